// Images the widgets read and the installer fills from its skin: the file
// selector's icons. Built empty on first use and kept to the end of the
// process.
#ifndef WM_WIDGET_GLOBALS_H
#define WM_WIDGET_GLOBALS_H

#include "image.h"

// Drive icons indexed by drive kind 0-9.
enum { WM_DRIVE_ICON_COUNT = 10 };
IMAGE* wm_get_drive_icons();
IMAGE& wm_get_parent_folder_icon();
IMAGE& wm_get_file_icon();
IMAGE& wm_get_folder_icon();
#define wm_drive_icons (wm_get_drive_icons())
#define wm_parent_folder_icon (wm_get_parent_folder_icon())
#define wm_file_icon (wm_get_file_icon())
#define wm_folder_icon (wm_get_folder_icon())

#endif
