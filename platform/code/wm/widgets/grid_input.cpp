// Grid ticking and input: both reach the scrollbar and the cells in view.
#include "grid_internal.h"
#include "wm_scrollbar.h"

INT_S32 WM_GRID::update(INT_U8 popups) {
  if (!visible) return 0;
  INT_S32 result = WM_SCREEN_OBJECT::update(popups);
  sync_scroll();
  return result;
}

INT_S32 WM_GRID::handle_input() {
  if (!visible) return 0;
  INT_S32 result = WM_SCREEN_OBJECT::handle_input();
  sync_scroll();
  return result;
}

WM_SCREEN_OBJECT* WM_GRID::find_neighbour_cell(INT_U8, INT_S16, INT_S16, INT_S16*, INT_S16*,
                                               INT_U8) {
  return nullptr;
}
