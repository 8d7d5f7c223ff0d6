// What the window manager relies on of the dialog and grid classes: the page
// manager closes dialogs and the focus walk descends into grid cells.
#ifndef WM_DIALOG_GRID_H
#define WM_DIALOG_GRID_H

#include "wm_dialog.h"
#include "wm_screen_object.h"

class WM_GRID : public WM_SCREEN_OBJECT {
 public:
  WM_GRID(INT_U8 visible, WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2)
      : WM_SCREEN_OBJECT(visible, callback, arg1, arg2) {
    kind |= WM_KIND_GRID;
  }
  virtual INT_S16 get_row_count() = 0;
  virtual INT_S16 get_cell_count(INT_S16 row) = 0;
  // The object in a cell; null outside the rows or the row's cells.
  virtual WM_SCREEN_OBJECT* get_cell(INT_S16 column, INT_S16 row) = 0;
  // 1 when the grid is visible and the row lies wholly inside its view.
  virtual INT_U8 is_row_visible(INT_S16 row) = 0;
};

#endif
