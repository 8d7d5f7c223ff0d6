// Focus traversal with Tab: one depth-first walk over what is on show.
#include "page_manager.h"
#include "wm_dialog_grid.h"
#include "wm_globals.h"
#include "wm_internal.h"

void PAGE_MANAGER::focus_walk(WM_SCREEN_OBJECT* object, INT_U8* passed, WM_SCREEN_OBJECT** first,
                              WM_SCREEN_OBJECT** last, WM_SCREEN_OBJECT** before,
                              WM_SCREEN_OBJECT** after) {
  if (!object) return;
  if (!object->visible) {
    if (object == wm_focus_object) *passed = 1;
    return;
  }
  if (*before && *after) return;
  const bool focusable = object->can_focus() && object->visible;
  if (focusable) {
    if (!*first) *first = object;
    *last = object;
  }
  if (object == wm_focus_object) {
    *passed = 1;
  } else if (focusable && !*after) {
    if (*passed)
      *after = object;
    else if (wm_focus_object)
      *before = object;
    else
      *after = object;
  }
  for (LIST_NODE* n = object->children.head; n && !(*before && *after); n = n->next)
    focus_walk(wm_node_object(n), passed, first, last, before, after);

  if (!(object->kind & WM_KIND_GRID)) return;
  WM_GRID* grid = dynamic_cast<WM_GRID*>(object);
  if (!grid) return;
  const INT_S16 rows = grid->get_row_count();
  for (INT_S16 r = 0; r < rows && !(*before && *after); ++r) {
    if (!grid->is_row_visible(r)) continue;  // scrolled out of view
    const INT_S16 cells = grid->get_cell_count(r);
    for (INT_S16 c = 0; c < cells; ++c)
      if (WM_SCREEN_OBJECT* cell = grid->get_cell(c, r))
        focus_walk(cell, passed, first, last, before, after);
  }
}

void PAGE_MANAGER::walk_roots(INT_U8* passed, WM_SCREEN_OBJECT** first, WM_SCREEN_OBJECT** last,
                              WM_SCREEN_OBJECT** before, WM_SCREEN_OBJECT** after) {
  if (count_visible_popups()) {
    focus_walk(find_popup(0), passed, first, last, before, after);
    return;
  }
  for (INT_S16 a = 0; a < area_count; ++a)
    focus_walk(&areas[a].manager, passed, first, last, before, after);
}

INT_U8 PAGE_MANAGER::focus_next() {
  INT_U8 passed = 0;
  WM_SCREEN_OBJECT *first = nullptr, *last = nullptr, *before = nullptr, *after = nullptr;
  walk_roots(&passed, &first, &last, &before, &after);
  WM_SCREEN_OBJECT* target = after ? after : first;
  if (!target) return 0;
  target->take_focus();
  return 1;
}

INT_U8 PAGE_MANAGER::focus_previous() {
  INT_U8 passed = 0;
  WM_SCREEN_OBJECT *first = nullptr, *last = nullptr, *before = nullptr, *after = nullptr;
  walk_roots(&passed, &first, &last, &before, &after);
  WM_SCREEN_OBJECT* target = before ? before : last;
  if (!target) return 0;
  target->take_focus();
  return 1;
}

INT_U8 PAGE_MANAGER::focus_area(INT_U8 forward) {
  if (count_visible_popups() || area_count < 1) return 0;
  INT_S32 s;
  if (wm_focus_object)
    s = wm_focus_object->layer < 0 ? 0 : wm_focus_object->layer;
  else
    s = forward ? 0 : 1;
  for (INT_S32 k = 0; k < area_count; ++k) {
    const INT_S32 a = ((forward ? s + k : s - k) % area_count + area_count) % area_count;
    if (!areas[a].manager.visible) continue;
    INT_U8 passed = 0;
    WM_SCREEN_OBJECT *first = nullptr, *last = nullptr, *before = nullptr, *after = nullptr;
    focus_walk(&areas[a].manager, &passed, &first, &last, &before, &after);
    if (!first) return 0;
    first->take_focus();
    return 1;
  }
  return 0;
}

INT_U8 PAGE_MANAGER::focus_area_forward() { return focus_area(1); }
INT_U8 PAGE_MANAGER::focus_area_backward() { return focus_area(0); }
