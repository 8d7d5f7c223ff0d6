// What the window manager relies on of the dialog and grid classes: the page
// manager closes dialogs and the focus walk descends into grid cells. The
// widget classes derive from these and provide the operations.
#ifndef WM_DIALOG_GRID_H
#define WM_DIALOG_GRID_H

#include "wm_grid.h"
#include "wm_screen_object.h"

class WM_DIALOG : public WM_SCREEN_OBJECT {
 public:
  WM_DIALOG(INT_U8 visible, WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2)
      : WM_SCREEN_OBJECT(visible, callback, arg1, arg2) {
    kind |= WM_KIND_DIALOG;
  }
  // A dialog never takes the focus itself.
  INT_U8 can_focus() override { return 0; }

  // Fade target alpha; with `immediate` set the alpha is reached at once.
  virtual void set_fade(INT_U8 alpha) = 0;
  // Open (1) or close (0) transition; with `immediate` set only the end
  // position is settled.
  virtual void start_transition(INT_U8 open) = 0;

  INT_U8 immediate = 0;           // settle fades and slides at once
  INT_U8 delete_when_closed = 0;  // tick returns 4 once the close has ended
};

#endif
