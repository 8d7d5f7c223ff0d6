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

// Notes, for wm_call_survives, that an object died during a call. Only the
// helper below makes one; every object's destructor flags those on it.
class WM_DELETION_WATCH {
 public:
  ~WM_DELETION_WATCH();
  WM_DELETION_WATCH(const WM_DELETION_WATCH&) = delete;
  WM_DELETION_WATCH& operator=(const WM_DELETION_WATCH&) = delete;
  bool deleted() const { return object_ == nullptr; }
  static void object_deleted(const WM_SCREEN_OBJECT* object);

 private:
  explicit WM_DELETION_WATCH(const WM_SCREEN_OBJECT* object);
  template <class F>
  friend bool wm_call_survives(const WM_SCREEN_OBJECT* self, F&& call);
  const WM_SCREEN_OBJECT* object_;
  WM_DELETION_WATCH* outer_;
};

// The one way the window manager calls application code: a callback of any
// kind (action, click, focus, button state, drag, list box choice, menu open,
// scrollbar step), a virtual an application may override (draw, update,
// handle_input), or a library call that may run either (take_focus, a grid
// moving its focus). The call runs inside the helper, which answers whether
// `self` - the object whose members the caller touches afterwards - still
// lives; when it does not, the caller returns at once and touches nothing of
// it. A new widget keeps to this by calling its callbacks and its children's
// slots only through here (a test scans the sources for any other call) and by
// returning straight away on false; calls nest, each with its own object.
template <class F>
inline bool wm_call_survives(const WM_SCREEN_OBJECT* self, F&& call) {
  const WM_DELETION_WATCH watch(self);
  call();
  return !watch.deleted();
}

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
