// Text window: paragraphs, wrapping, the rings, the scrollbar, input.
#include "wm_text_win.h"

#include "wm_globals.h"
#include "wm_scrollbar.h"

WM_TEXT_WIN::WM_TEXT_WIN(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16, INT_S16 count,
                         INT_S16, const COLOUR*, const COLOUR*, const COLOUR*, INT_U8 can_select,
                         INT_U8 vis, WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2)
    : WM_SCREEN_OBJECT(vis, callback, arg1, arg2), background_frame(&wm_skin_cache) {
  init(x1, y1, x2, y2, count, can_select, nullptr, nullptr, 255, -1, -1, 0x5, 15, nullptr, 0, 0,
       0, 0);
}

WM_TEXT_WIN::WM_TEXT_WIN(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2,
                         const WM_STYLE_SET* style, const WM_STYLE_SET* bar_style,
                         INT_S16 count, INT_U8 can_select, WM_ACTION_CALLBACK callback,
                         INT_WORD arg1, INT_WORD arg2)
    : WM_SCREEN_OBJECT(style->visible, callback, arg1, arg2), background_frame(&wm_skin_cache) {
  init(x1, y1, x2, y2, count, can_select, nullptr, nullptr, 255, -1, -1, 0x5, 15, bar_style, 0, 0,
       0, 0);
}

WM_TEXT_WIN::~WM_TEXT_WIN() {
  delete[] paragraphs;
  delete[] lines;
}

void WM_TEXT_WIN::init(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 count,
                       INT_U8 can_select, const COLOUR*, const COLOUR*, INT_U8 font_id,
                       INT_S16 fw, INT_S16 fh, INT_U16 window_flags, INT_U16 mask,
                       const WM_STYLE_SET* bar_style, INT_S16 left, INT_S16 right, INT_S16 top,
                       INT_S16 bottom) {
  x = x1;
  y = y1;
  width = static_cast<INT_S16>(x2 - x1 + 1);
  height = static_cast<INT_S16>(y2 - y1 + 1);
  line_count = count;
  paragraphs = new TEXT_WIN_PARAGRAPH[count];
  lines = new TEXT_WIN_LINE[count];
  scrollbar = nullptr;
  line_head = line_total = paragraph_head = paragraph_total = 0;
  slider_scale = 0;
  page_last = 0;
  clicked_tag = nullptr;
  show_from_top = 0;
  selectable = can_select;
  left_pressed = right_pressed = left_released = right_released = 0;
  press_x = press_y = 0;
  press_line = -1;
  sel_start_line = sel_start_char = sel_end_line = sel_end_char = -1;
  anchor_line = anchor_char = -1;
  back_colour = fading_colour = COLOUR_INVISIBLE;
  font = font_id;
  font_w = fw;
  font_h = fh;
  left_gap = left;
  right_gap = right;
  top_gap = top;
  bottom_gap = bottom;
  flags = window_flags;
  border_mask = mask;
  if (bar_style) scrollbar_style = *bar_style;
  kind |= WM_KIND_TEXT_WIN;
}

INT_S32 WM_TEXT_WIN::handle_input() { return WM_SCREEN_OBJECT::handle_input(); }
void WM_TEXT_WIN::set_size(INT_S16 w, INT_S16 h, INT_U8 c) { WM_SCREEN_OBJECT::set_size(w, h, c); }
void WM_TEXT_WIN::draw() {}
INT_U8 WM_TEXT_WIN::add_text(const char*, const char*, const COLOUR*, INT_U8, INT_U8) { return 0; }
INT_U8 WM_TEXT_WIN::load_file(FOLDER*, const char*, const COLOUR*) { return 0; }
void WM_TEXT_WIN::clear() {}
void WM_TEXT_WIN::copy_selection(char*, INT_S16) {}
void WM_TEXT_WIN::clear_selection() {}
INT_S16 WM_TEXT_WIN::char_at(INT_S16, INT_S16) { return 0; }
INT_U8 WM_TEXT_WIN::load_images(const char*, const char*, const WM_STYLE_SET*) { return 0; }
INT_U8 WM_TEXT_WIN::load_images_from_folder(FOLDER*, const char*, const WM_STYLE_SET*) {
  return 0;
}
INT_S32 WM_TEXT_WIN::scroll_changed(WM_SCREEN_OBJECT*, INT_WORD arg1, INT_WORD) {
  word_to_pointer<WM_TEXT_WIN>(arg1)->show();
  return 0;
}
INT_S16 WM_TEXT_WIN::first_shown_slot() { return 0; }
INT_S16 WM_TEXT_WIN::line_height() const { return font_h; }
