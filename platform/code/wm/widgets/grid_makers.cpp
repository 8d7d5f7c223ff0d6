// Cell makers: each makes a widget on the cell's row-relative box and places
// it; the grid moves and sizes it to the cell on screen.
#include "grid_internal.h"
#include "image.h"
#include "wm_button.h"
#include "wm_globals.h"
#include "wm_image_widget.h"
#include "wm_script.h"

namespace {

const INT_U8 kImageCellClickEvents = 3;  // press and release
const INT_U8 kFontButtonClickEvents = 3;

struct BOX {
  INT_S16 x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  INT_S16 width() const { return static_cast<INT_S16>(x2 - x1 + 1); }
  INT_S16 height() const { return static_cast<INT_S16>(y2 - y1 + 1); }
};

// The row's box of the cell, or that of an empty row of the grid's columns
// for a row not made yet; all 0 for a column outside the row.
BOX cell_box(WM_GRID& g, INT_U16 column, INT_S16 row) {
  BOX b;
  const INT_U8 sb = g.scrollbar ? 1 : 0;
  if (row >= 0 && row < g.row_count) {
    g.rows[row]->get_cell_rect(static_cast<INT_S16>(column), sb, &b.x1, &b.y1, &b.x2, &b.y2);
  } else {
    GRID_ROW empty;
    grid_empty_row(g, empty, 1);
    empty.get_cell_rect(static_cast<INT_S16>(column), sb, &b.x1, &b.y1, &b.x2, &b.y2);
  }
  return b;
}

}  // namespace

WM_SCRIPT* WM_GRID::add_script_cell(INT_U16 column, INT_S16 row, const char* text,
                                    const WM_STYLE_SET* item_style) {
  const BOX b = cell_box(*this, column, row);
  WM_SCRIPT* label = new WM_SCRIPT(b.x1, b.y1, b.x2, b.y2, item_style, text);
  place_object(column, row, label);
  return label;
}

WM_SCRIPT* WM_GRID::add_text_cell(INT_U16 column, INT_S16 row, const char* text,
                                  const COLOUR* text_colour, const COLOUR* back_colour,
                                  INT_U32 flags) {
  const BOX b = cell_box(*this, column, row);
  WM_SCRIPT* label = new WM_SCRIPT(b.x1, b.y1, b.x2, b.y2, text, style.font_id, style.font_x_sz,
                                   style.font_y_sz, text_colour, back_colour, flags, 1, -1, -1,
                                   -1, -1, -1, -1);
  place_object(column, row, label);
  return label;
}

WM_BUTTON* WM_GRID::add_button_cell(INT_U16 column, INT_S16 row, const char* text,
                                    const WM_STYLE_SET* item_style, WM_ACTION_CALLBACK callback,
                                    INT_WORD arg1, INT_WORD arg2, INT_U8 click_events) {
  const BOX b = cell_box(*this, column, row);
  WM_BUTTON* button = new WM_BUTTON(b.x1, b.y1, b.x2, b.y2, item_style, text, nullptr, callback,
                                    arg1, arg2, click_events);
  place_object(column, row, button);
  return button;
}

WM_BUTTON* WM_GRID::add_font_button_cell(INT_U16 column, INT_S16 row, const char* text,
                                         const COLOUR* colour_a, const COLOUR* colour_b,
                                         INT_U32 button_flags, WM_ACTION_CALLBACK callback,
                                         INT_WORD arg1, INT_WORD arg2, INT_U8 click_events) {
  const BOX b = cell_box(*this, column, row);
  WM_BUTTON* button = new WM_BUTTON(b.x1, b.y1, b.x2, b.y2, colour_b, colour_a, text,
                                    style.font_id, style.font_x_sz, style.font_y_sz, 0,
                                    button_flags, 0, callback, arg1, arg2, 1,
                                    kFontButtonClickEvents);
  if (button->visible) button->show();
  button->highlight_colour = wm_default_colour;
  button->click_events = click_events;
  place_object(column, row, button);
  return button;
}

WM_IMAGE* WM_GRID::add_image_cell(INT_U16 column, INT_S16 row, FOLDER* folder,
                                  const char* base_name, WM_ACTION_CALLBACK callback,
                                  INT_WORD arg1, INT_WORD arg2) {
  const BOX b = cell_box(*this, column, row);
  WM_IMAGE* image = new WM_IMAGE(b.x1, b.y1, b.width(), b.height(), 1, callback, arg1, arg2,
                                 kImageCellClickEvents);
  image->picture.load(folder, base_name, b.width(), b.height());
  place_object(column, row, image);
  return image;
}
