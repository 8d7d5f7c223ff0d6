// Grid painting: background, row and cell boxes, the placing of the cells in
// view, the scrollbar, and the row skins.
#include "folder.h"
#include "grid_internal.h"
#include "wm_scrollbar.h"

void WM_GRID::draw() {}

void WM_GRID::render() { WM_SCREEN_OBJECT::render(); }

INT_U8 WM_GRID::load_skin(const char*, const char*, const WM_STYLE_SET*) { return 0; }

INT_U8 WM_GRID::load_skin_from_folder(FOLDER*, const char*, const WM_STYLE_SET*) { return 0; }

void WM_GRID::release_skin() {
  normal_frame.release();
  highlighted_frame.release();
  alternate_frame.release();
}
