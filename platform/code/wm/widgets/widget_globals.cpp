#include "wm_widget_globals.h"

// Never destroyed: the installer's static destructors may still release them.
IMAGE* wm_get_drive_icons() {
  static IMAGE* icons = new IMAGE[WM_DRIVE_ICON_COUNT]{
      IMAGE(-1, -1), IMAGE(-1, -1), IMAGE(-1, -1), IMAGE(-1, -1), IMAGE(-1, -1),
      IMAGE(-1, -1), IMAGE(-1, -1), IMAGE(-1, -1), IMAGE(-1, -1), IMAGE(-1, -1)};
  return icons;
}

IMAGE& wm_get_parent_folder_icon() {
  static IMAGE* icon = new IMAGE(-1, -1);
  return *icon;
}

IMAGE& wm_get_file_icon() {
  static IMAGE* icon = new IMAGE(-1, -1);
  return *icon;
}

IMAGE& wm_get_folder_icon() {
  static IMAGE* icon = new IMAGE(-1, -1);
  return *icon;
}
