// Page manager: records, areas, construction, requests and acceptance.
#include "page_manager.h"

#include <new>

#include "wm_globals.h"
#include "wm_internal.h"
#include "wm_platform.h"

// ---- records -----------------------------------------------------------------

INT_U32 PAGE_RECORD::clear(INT_U8 call_release) {
  if (call_release && release) release(&data);
  build = nullptr;
  release = nullptr;
  process = nullptr;
  compare = nullptr;
  leave = nullptr;
  data = 0;
  keep = 0;
  stamp = wm_unique_stamp();
  return stamp;
}

INT_U8 PAGE_RECORD::equals(const PAGE_RECORD* a, const PAGE_RECORD* b) {
  if (a->build != b->build || a->release != b->release || a->process != b->process ||
      a->compare != b->compare || a->leave != b->leave || a->stamp != b->stamp)
    return 0;
  return a->compare ? (a->compare(a->data, b->data) ? 1 : 0) : (a->data == b->data ? 1 : 0);
}

namespace {

// Another record of the page manager (a history slot or a pending request of
// any area) still holds the same data word under the same release function.
// Releasing it now would leave that record holding freed data. A data word
// of 0 never counts as shared: pages whose release ignores the word (and
// frees something else) must still be released.
bool data_held_elsewhere(const PAGE_RECORD* record) {
  PAGE_MANAGER* pm = wm_page_manager;
  if (!pm || !record->data || !record->release) return false;
  for (INT_S16 a = 0; a < pm->area_count; ++a) {
    const PAGE_AREA& area = pm->areas[a];
    const PAGE_RECORD* others[PAGE_HISTORY_SIZE + 1];
    for (int i = 0; i < PAGE_HISTORY_SIZE; ++i) others[i] = &area.history[i];
    others[PAGE_HISTORY_SIZE] = &area.pending;
    for (const PAGE_RECORD* o : others)
      if (o != record && o->data == record->data && o->release == record->release) return true;
  }
  return false;
}

// Drops a record, releasing its data unless another record still holds it.
void drop(PAGE_RECORD* record) { record->clear(data_held_elsewhere(record) ? 0 : 1); }

}  // namespace

void PAGE_MANAGER::drop_record(PAGE_RECORD* record) { drop(record); }

// ---- areas ----------------------------------------------------------------------

PAGE_AREA::PAGE_AREA()
    : history(), pending(), current(0), count(1), go_back(-1), reset_requested(0),
      rebuild_requested(0), rebuild_next_frame(0) {
  for (PAGE_RECORD& r : history) r.clear(0);
  pending.clear(0);
  reset();
}

PAGE_AREA::~PAGE_AREA() {
  reset();
  manager.release_children(1, 0, 1);
  if (pending.build) drop(&pending);
  for (PAGE_RECORD& r : history) r.clear(0);
}

void PAGE_AREA::reset() {
  const INT_U8 was_visible = manager.visible;
  PAGE_RECORD& cur = history[current];
  if (cur.leave) cur.leave();
  manager.release_children(0, 0, 1);
  manager.invalidate();
  manager.visible = was_visible;
  manager.needs_redraw = was_visible;
  for (PAGE_RECORD& r : history) drop(&r);
  pending.clear(0);
  reset_requested = 0;
  rebuild_requested = 0;
  rebuild_next_frame = 0;
  current = 0;
  count = 1;
  go_back = -1;
}

// ---- construction and destruction -----------------------------------------------

PAGE_MANAGER::PAGE_MANAGER(INT_U16 count, INT_S32 key_queue_size)
    : current_manager(nullptr), areas(nullptr), area_count(0), current_area(0),
      fade_in_first_page(0), transition_time(700), pointer_override_x(-1),
      pointer_override_y(-1), pointer_override_button(0), last_screen_width(0),
      last_screen_height(0), frame_cursor_kind(0) {
  for (IMAGE& b : backgrounds) b.init(-1, -1);
  wm_resize_key_queue(key_queue_size);
  if (count < 1) wm_fatal(0x69);
  if (wm_page_manager) wm_fatal(0x6a);
  areas = new (std::nothrow) PAGE_AREA[count];
  if (!areas) wm_fatal(0x6b);
  wm_page_manager = this;
  area_count = static_cast<INT_S16>(count);
  current_area = 0;
  fade_in_first_page = 0;
  wm_install_shutdown_hook(shutdown_page_manager);
  current_manager = &areas[0].manager;
  transition_time = 700;
  for (INT_S16 a = 0; a < area_count; ++a) areas[a].manager.set_layer(a);
}

PAGE_MANAGER::~PAGE_MANAGER() {
  for (INT_S16 a = 0; a < area_count; ++a) {
    // A request never accepted still owns its data.
    if (areas[a].pending.build) drop(&areas[a].pending);
    areas[a].reset();
  }
  // The areas' own destructors must not look across areas being freed.
  area_count = 0;
  delete[] areas;
  areas = nullptr;
  current_manager = nullptr;
  current_area = 0;
  fade_in_first_page = 0;
  transition_time = 0;
  if (wm_page_manager == this) wm_page_manager = nullptr;
}

void shutdown_page_manager() {
  if (wm_page_manager) wm_page_manager->leave_all_pages();
}

PAGE_AREA* PAGE_MANAGER::area_for(INT_S32 area) {
  if (area == -1) area = current_area;
  if (area < 0 || area >= area_count) return nullptr;
  return &areas[area];
}

void PAGE_MANAGER::select_area(INT_S32 area) {
  current_area = static_cast<INT_S16>(area);
  current_manager = &areas[area].manager;
}

// ---- requests and acceptance ---------------------------------------------------

void PAGE_MANAGER::request_page(INT_S32 area, PAGE_BUILD build, PAGE_RELEASE release,
                                INT_WORD data, PAGE_PROCESS process, INT_U8 keep,
                                INT_U32 stamp, PAGE_LEAVE leave) {
  if (!build || area < 0 || area >= area_count) return;
  select_area(area);
  PAGE_AREA& ar = areas[area];
  if (ar.pending.data != 0) {
    // The new request may carry the very data word the old one holds.
    const bool same = data == ar.pending.data && release == ar.pending.release;
    if (same)
      ar.pending.clear(0);
    else
      drop(&ar.pending);
  }
  ar.pending.build = build;
  ar.pending.release = release;
  ar.pending.process = process;
  ar.pending.data = data;
  ar.pending.keep = keep;
  ar.pending.leave = leave;
  if (ar.pending.stamp != 0) ar.pending.stamp = stamp;
  ar.pending.compare = nullptr;
  ar.go_back = -1;
}

void PAGE_MANAGER::build_page(PAGE_RECORD* record) {
  if (record && record->build) record->build(this);
  if (!wm_focus_object) focus_next();
}

void PAGE_MANAGER::accept_page(INT_S32 area) {
  if (area < 0 || area >= area_count) return;
  PAGE_AREA& ar = areas[area];
  const INT_U8 was_visible = ar.manager.visible;
  select_area(area);

  if (ar.reset_requested) {
    ar.reset();
    return;
  }
  if (!ar.pending.build && ar.go_back < 0) {
    if (!ar.rebuild_requested) return;
    ar.rebuild_requested = 0;
    PAGE_RECORD& cur = ar.history[ar.current];
    if (cur.leave) cur.leave();
    ar.manager.release_children(0, 0, 1);
    ar.manager.invalidate();
    ar.manager.visible = was_visible;
    ar.manager.needs_redraw = was_visible;
    build_page(&cur);
    redraw();
    return;
  }

  ar.manager.hide(0, 1);
  if (ar.history[ar.current].leave) ar.history[ar.current].leave();
  ar.manager.release_children(0, 0, 1);

  if (ar.go_back >= 0) {
    INT_S32 target = ar.go_back;
    if (!ar.history[ar.current].keep) {
      // Take the left page out of the history; later records close up so
      // that none is lost beyond the count.
      const INT_S32 gone = ar.current;
      drop(&ar.history[gone]);
      for (INT_S32 i = gone; i + 1 < ar.count; ++i) ar.history[i] = ar.history[i + 1];
      ar.history[ar.count - 1].clear(0);
      --ar.count;
      if (target > gone) --target;
    }
    ar.current = target;
  } else {
    PAGE_RECORD* cur = &ar.history[ar.current];
    // The same page requested again replaces itself.
    if (cur->build && PAGE_RECORD::equals(cur, &ar.pending)) cur->keep = 0;
    if (cur->keep) {
      ++ar.current;
      if (ar.current > PAGE_HISTORY_SIZE - 1) {
        drop(&ar.history[0]);
        for (int i = 0; i < PAGE_HISTORY_SIZE - 1; ++i) ar.history[i] = ar.history[i + 1];
        ar.history[PAGE_HISTORY_SIZE - 1].clear(0);
        ar.current = PAGE_HISTORY_SIZE - 1;
        ar.count = PAGE_HISTORY_SIZE;
      }
    } else {
      drop(cur);
    }
    // The forward history goes, including a record in the slot about to be
    // overwritten.
    for (INT_S32 i = ar.current; i < ar.count; ++i)
      if (ar.history[i].build || ar.history[i].data) drop(&ar.history[i]);
    ar.count = ar.current + 1;
    ar.history[ar.current] = ar.pending;
  }

  ar.pending.clear(0);  // its data now belongs to the history record
  ar.go_back = -1;
  build_page(&ar.history[ar.current]);
  ar.manager.invalidate();
  ar.manager.visible = was_visible;
  ar.manager.needs_redraw = was_visible;
  ar.rebuild_requested = 0;
  ar.rebuild_next_frame = 0;
}

void PAGE_MANAGER::switch_pages(INT_S32 area) {
  if (area_count < 1) return;
  for (INT_S32 k = 0; k < area_count; ++k) accept_page(((area + k) % area_count + area_count) % area_count);
  redraw();
}

void PAGE_MANAGER::leave_all_pages() {
  if (IMAGE* screen = wm_screen_image(0)) {
    const INT_U16 w = wm_screen_width(0), h = wm_screen_height(0);
    if (w && h) screen->set_clip(0, 0, static_cast<INT_S16>(w - 1), static_cast<INT_S16>(h - 1));
  }
  for (INT_U16 d = 0; d < WM_DISPLAY_COUNT; ++d)
    if (wm_window_open(d)) backgrounds[d].grab_from(0, 0, wm_screen_image(d), BLIT_BLEND);
  for (INT_S16 a = 0; a < area_count; ++a) {
    select_area(a);
    PAGE_AREA& ar = areas[a];
    ar.manager.hide(0, 1);
    if (ar.history[ar.current].leave) ar.history[ar.current].leave();
    ar.manager.release_children(0, 0, 1);
    drop(&ar.history[ar.current]);
  }
  if (area_count > 0) areas[0].manager.release_children(1, 0, 0);
}
