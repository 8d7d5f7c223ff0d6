// Helpers shared by the window-manager sources: list access that does not
// disturb the lists' cursors, and snapshots for walks that call into objects.
#ifndef WM_INTERNAL_H
#define WM_INTERNAL_H

#include <vector>

#include "lists.h"
#include "wm_screen_object.h"

class IMAGE;

// Bumped whenever an object leaves a child list or the pop-up list, or dies.
// A walk over a snapshot rechecks membership only when it moved.
extern unsigned wm_unlink_generation;

inline WM_SCREEN_OBJECT* wm_node_object(const LIST_NODE* node) {
  return node ? static_cast<WM_SCREEN_OBJECT*>(PTRLLIST::stored_pointer(node)) : nullptr;
}

bool wm_list_contains(const PTRLLIST& list, const void* item);
// Appends at the end whatever the list's cursor; the cursor is kept.
void wm_list_append(PTRLLIST& list, void* item);
// Unlinks every occurrence; returns how many there were.
int wm_list_remove_all(PTRLLIST& list, void* item);
// The last item, or null.
WM_SCREEN_OBJECT* wm_list_last(const PTRLLIST& list);

// A copy of a list's items taken before a walk that calls into them, so that
// objects the calls delete or unlink are skipped rather than followed.
class WM_SNAPSHOT {
 public:
  WM_SNAPSHOT(const PTRLLIST& list, bool topmost_first);
  size_t size() const { return count_; }
  WM_SCREEN_OBJECT* at(size_t i) const { return items_[i]; }
  // The item is still in the list (always true when nothing was unlinked
  // since the snapshot was taken).
  bool still_listed(size_t i) const;

 private:
  const PTRLLIST& list_;
  unsigned generation_;
  size_t count_;
  WM_SCREEN_OBJECT** items_;
  WM_SCREEN_OBJECT* inline_[32];
  std::vector<WM_SCREEN_OBJECT*> heap_;
};

// Watches an object across a call that may delete it (a callback may delete
// its widget, the widget's grid row or grid, or the widget's parent): every
// object's destructor flags the watches on it, and the caller then touches
// nothing of it. Watches live on the stack and nest.
class WM_DELETION_WATCH {
 public:
  explicit WM_DELETION_WATCH(const WM_SCREEN_OBJECT* object);
  ~WM_DELETION_WATCH();
  WM_DELETION_WATCH(const WM_DELETION_WATCH&) = delete;
  WM_DELETION_WATCH& operator=(const WM_DELETION_WATCH&) = delete;
  bool deleted() const { return object_ == nullptr; }
  static void object_deleted(const WM_SCREEN_OBJECT* object);

 private:
  const WM_SCREEN_OBJECT* object_;
  WM_DELETION_WATCH* outer_;
};

// The object's release_focus, for the library's widget destructors.
void wm_release_dying_object(WM_SCREEN_OBJECT* object);

// Tick helpers.
INT_U8 wm_compute_flash_phase(INT_U32 ms);

// Saved clip rectangles are put back exactly, an all -1 clip included.
struct WM_CLIP {
  INT_S16 left, top, right, bottom;
};
WM_CLIP wm_save_clip(const IMAGE* image);
void wm_restore_clip(IMAGE* image, const WM_CLIP& clip);

#endif
