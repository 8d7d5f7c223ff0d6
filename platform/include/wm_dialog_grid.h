// What the window manager relies on of the dialog and grid classes: the page
// manager closes dialogs and the focus walk descends into grid cells.
#ifndef WM_DIALOG_GRID_H
#define WM_DIALOG_GRID_H

#include "wm_dialog.h"
#include "wm_grid.h"
#include "wm_screen_object.h"

#endif
