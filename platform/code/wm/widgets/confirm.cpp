// The confirmation box: its four forms, the text window and the button row.
#include "wm_confirm.h"

#include "image.h"
#include "wm_border.h"
#include "wm_button.h"
#include "wm_globals.h"
#include "wm_script.h"
#include "wm_text_win.h"
#include "../wm_platform.h"

namespace {

const char kClose[] = "Close";
const char kYes[] = "Yes";
const char kNo[] = "No";

// The text window's margin inside the client area, its extra line gap and
// its scrollbar width.
const INT_S16 kTextMargin = 10;
const INT_S16 kTextGapExtra = 2;
const INT_S16 kScrollbarWidth = 15;
// Three buttons: the third stands this far from the left edge, the other
// two one pixel more from the right.
const INT_S16 kRowMargin = 10;
// The lines form: its smallest width and the room beside the widest line.
const INT_S16 kLinesMinWidth = 150;
const INT_S16 kLinesExtraWidth = 40;

INT_S16 s16(INT_S32 v) { return static_cast<INT_S16>(v); }

}  // namespace

WM_CONFIRM::BUTTON_METRICS WM_CONFIRM::button_metrics() const {
  const INT_S16 bw = static_cast<INT_S16>(get_default_border_width(button_style.shading_type));
  auto gap = [bw](INT_S16 g) { return g == -1 ? bw : g; };
  BUTTON_METRICS m;
  m.left = gap(button_style.border_left_gap);
  m.right = gap(button_style.border_right_gap);
  m.top = gap(button_style.border_top_gap);
  m.bottom = gap(button_style.border_bottom_gap);
  m.font_height = button_style.font_y_sz < 0 && wm_surface ? wm_surface->font_height
                                                            : button_style.font_y_sz;
  return m;
}

INT_S32 WM_CONFIRM::button_text_width(const char* text) const {
  if (!text || !wm_surface) return 0;
  return wm_surface->text_width(button_style.font_id, static_cast<INT_U16>(button_style.font_x_sz),
                                static_cast<INT_U16>(button_style.font_y_sz), text);
}

INT_S16 WM_CONFIRM::client_width() {
  return s16(width - style.border_left_gap - style.border_right_gap - style.cell_left_gap -
             style.cell_right_gap);
}

void WM_CONFIRM::open_as(INT_U8 vis) {
  invalidate();
  visible = vis;
  needs_redraw = vis;
}

void WM_CONFIRM::finish() {
  kind |= WM_KIND_CONFIRM;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

WM_CONFIRM::WM_CONFIRM(INT_S16 w, INT_S16 h, const char* title, const char* text1,
                       const char* text2, const char* text3, INT_U8 vis,
                       WM_ACTION_CALLBACK callback1, INT_WORD arg11, INT_WORD arg12,
                       WM_ACTION_CALLBACK callback2, INT_WORD arg21, INT_WORD arg22,
                       WM_ACTION_CALLBACK callback3, INT_WORD arg31, INT_WORD arg32, INT_S16 px,
                       INT_S16 py, INT_S16 button_count, INT_S16 line_capacity,
                       const DIALOG_EFFECTS* fx)
    : WM_DIALOG(px, py, w, h, title, nullptr, nullptr, nullptr, fx) {
  open_as(vis);
  INT_S16 row_y = 0;
  create_text_window(&row_y, line_capacity);
  create_buttons(row_y, button_count, text1, text2, text3, callback1, arg11, arg12, callback2,
                 arg21, arg22, callback3, arg31, arg32);
  finish();
}

WM_CONFIRM::WM_CONFIRM(INT_S16 w, INT_S16 h, const char* title, const char* text1,
                       const char* text2, INT_U8 vis, WM_ACTION_CALLBACK callback1,
                       INT_WORD arg11, INT_WORD arg12, WM_ACTION_CALLBACK callback2,
                       INT_WORD arg21, INT_WORD arg22, INT_S16 px, INT_S16 py, INT_U8 single,
                       INT_S16 line_capacity, const DIALOG_EFFECTS* fx)
    : WM_DIALOG(px, py, w, h, title, nullptr, nullptr, nullptr, fx) {
  open_as(vis);
  INT_S16 row_y = 0;
  create_text_window(&row_y, line_capacity);
  create_buttons(row_y, single ? 1 : 2, text1, text2, nullptr, callback1, arg11, arg12,
                 callback2, arg21, arg22, nullptr, 0, 0);
  finish();
}

WM_CONFIRM::WM_CONFIRM(INT_S16 w, INT_S16 h, const char* title, INT_U8 vis,
                       WM_ACTION_CALLBACK callback, INT_WORD argument, INT_S16 px, INT_S16 py,
                       INT_U8 single, INT_S16 line_capacity, const DIALOG_EFFECTS* fx)
    : WM_DIALOG(px, py, w, h, title, nullptr, nullptr, nullptr, fx) {
  open_as(vis);
  INT_S16 row_y = 0;
  create_text_window(&row_y, line_capacity);
  create_buttons(row_y, single ? 1 : 2, single ? kClose : kYes, kNo, nullptr, callback, argument,
                 1, callback, argument, 0, nullptr, 0, 0);
  finish();
}

WM_CONFIRM::WM_CONFIRM(INT_S16 px, INT_S16 py, const char* title, const char** lines,
                       INT_S16 line_count, INT_U8 vis, WM_ACTION_CALLBACK callback,
                       INT_WORD argument, INT_U8 single, const DIALOG_EFFECTS* fx)
    : WM_DIALOG(px, py, kLinesMinWidth, wm_surface ? wm_surface->font_height : 0, title, nullptr,
                nullptr, nullptr, fx) {
  open_as(vis);
  if (!lines || line_count < 0) line_count = 0;
  const INT_S16 fh0 = wm_surface ? wm_surface->font_height : 0;
  auto line_width = [](const char* text) -> INT_S32 {
    return text && wm_surface ? wm_surface->text_width(255, 65535, 65535, text) : 0;
  };
  const BUTTON_METRICS m = button_metrics();
  const INT_S32 text_height = (line_count + 2) * fh0;

  INT_S32 widest = 0;
  for (INT_S16 i = 0; i < line_count; ++i) {
    const INT_S32 lw = line_width(lines[i]);
    if (lw > widest) widest = lw;
  }
  INT_S32 w = kLinesExtraWidth + widest;
  INT_S32 three_buttons = 3 * (m.left + m.right + button_text_width(kClose));
  if (three_buttons < kLinesMinWidth) three_buttons = kLinesMinWidth;
  if (three_buttons > w) w = three_buttons;
  set_size(s16(w), s16(text_height + caption_height() + style.border_bottom_gap +
                       style.cell_bottom_gap + m.top + m.bottom + m.font_height),
           1);

  if (px == -1) {
    set_position(s16(get_display_origin_x(0) + (wm_screen_width(0) - w) / 2), get_y());
    if (visible) show();
  }
  if (py == -1) {
    set_position(get_x(), s16(get_display_origin_y(0) + (wm_screen_height(0) - height) / 2));
    if (visible) show();
  }

  const INT_S16 cw = client_width();
  const COLOUR no_back = 0;
  for (INT_S16 i = 0; i < line_count; ++i) {
    const char* text = lines[i] ? lines[i] : "";
    const INT_S16 lx = s16((cw - line_width(text)) / 2);
    const INT_S16 ly = s16(fh0 * (i + 1));
    WM_SCRIPT* label = new WM_SCRIPT(lx, ly, s16(lx - 1), s16(ly - 1), text, 255, -1, -1,
                                     &style.fg_colour, &no_back, 0, 0, 0, 0, 0, 0, -1, -1);
    add_child(label, 1);
  }
  create_buttons(s16(text_height), single ? 1 : 2, single ? kClose : kYes, kNo, nullptr, callback,
                 argument, 1, callback, argument, 0, nullptr, 0, 0);
  text_window = nullptr;
  finish();
}

WM_CONFIRM::~WM_CONFIRM() {}

void WM_CONFIRM::create_text_window(INT_S16* button_row_y, INT_S16 line_capacity) {
  const BUTTON_METRICS m = button_metrics();
  const INT_S16 row_y = s16(height - caption_height() - style.border_bottom_gap -
                            style.cell_bottom_gap - m.top - m.bottom - m.font_height);
  *button_row_y = row_y;
  const INT_S16 cw = client_width();
  text_window = new WM_TEXT_WIN(kTextMargin, kTextMargin, s16(cw - kTextMargin),
                                s16(row_y - kTextMargin), kTextGapExtra, line_capacity,
                                kScrollbarWidth, &style.bg_colour, &button_style.fg_colour,
                                &button_style.fg_colour, 0, 1, nullptr, 0, 0);
  text_window->show_from_top = 1;
  text_window->flags = TW_LEFT_JUSTIFY | TW_TOP_ALIGN;
  add_child(text_window, 1);
}

void WM_CONFIRM::create_buttons(INT_S16 row_y, INT_S16 count, const char* text1,
                                const char* text2, const char* text3,
                                WM_ACTION_CALLBACK callback1, INT_WORD arg11, INT_WORD arg12,
                                WM_ACTION_CALLBACK callback2, INT_WORD arg21, INT_WORD arg22,
                                WM_ACTION_CALLBACK callback3, INT_WORD arg31, INT_WORD arg32) {
  const BUTTON_METRICS m = button_metrics();
  const INT_S32 gaps = m.left + m.right;
  INT_S32 widest = button_text_width(kClose);
  const char* texts[3] = {text1, text2, text3};
  for (INT_S16 i = 0; i < 3 && i < (count < 1 ? 1 : count); ++i) {
    const INT_S32 tw = button_text_width(texts[i]);
    if (tw > widest) widest = tw;
  }
  const INT_S32 bw = gaps + widest;
  const INT_S32 bh = m.top + m.bottom + m.font_height;
  const INT_S32 cw = client_width();
  first_button = second_button = third_button = nullptr;

  auto make = [&](INT_S32 left, const char* text, WM_ACTION_CALLBACK cb, INT_WORD a1,
                  INT_WORD a2) {
    WM_BUTTON* b = new WM_BUTTON(s16(left), row_y, s16(left + bw), s16(row_y + bh),
                                 &button_style, text, nullptr, cb, a1, a2, BUTTON_EVENT_RELEASE);
    add_child(b, 1);
    return b;
  };
  if (count == 2) {
    const INT_S32 g = (cw - 2 * bw) / 3;
    const INT_S32 g2 = 2 * (cw - 2 * bw) / 3;
    first_button = make(g, text1, callback1, arg11, arg12);
    second_button = make(g2 + bw, text2, callback2, arg21, arg22);
  } else if (count == 3) {
    third_button = make(kRowMargin, text3, callback3, arg31, arg32);
    first_button = make(cw - (kRowMargin + 1) - gaps - 2 * bw, text1, callback1, arg11, arg12);
    second_button = make(cw - (kRowMargin + 1) - bw, text2, callback2, arg21, arg22);
  } else {
    first_button = make((cw - bw) / 2, text1, callback1, arg11, arg12);
  }
}

INT_S32 WM_CONFIRM::load_text(FOLDER* folder, const char* name) {
  if (!text_window) return 0;
  return text_window->load_file(folder, name, &style.fg_colour);
}

INT_S32 WM_CONFIRM::close_on_click(WM_SCREEN_OBJECT* button, INT_WORD, INT_WORD) {
  return static_cast<WM_BUTTON*>(button)->released ? WM_ACTION_CLOSE : WM_ACTION_NONE;
}
