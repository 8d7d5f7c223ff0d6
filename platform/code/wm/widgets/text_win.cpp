// Text window: paragraphs split at line ends, wrapped into display lines in
// two rings, the scrollbar made when the lines overflow, selection by drag
// and clicks on tagged lines.
//
// The rings are read in display order, from the oldest kept line: slot
// (oldest + d) for display index d, where oldest is 0 until the ring is full
// and the next slot to be written afterwards. Selections compare display
// indexes, so they stay right once the ring has wrapped.
#include <cstring>
#include <new>
#include <string>

#include "errors.h"
#include "folder.h"
#include "image.h"
#include "input.h"
#include "sound.h"
#include "text_file.h"
#include "wm_border.h"
#include "wm_globals.h"
#include "wm_scrollbar.h"
#include "wm_text_win.h"
#include "../wm_internal.h"

namespace {

const INT_U32 kErrorLineRing = 0x90;
const INT_U32 kErrorParagraphRing = 0x91;

const INT_U8 kDefaultFont = 255;
const INT_S16 kDefaultSize = -1;
const INT_U32 kLeftButtonBit = 1u << 0;
const INT_U32 kRightButtonBit = 1u << 1;

// A gap of -1 stands for the border width of the shading type plus this.
const INT_S16 kDefaultGapExtra = 5;
// The text area keeps this many pixels beside the gaps.
const INT_S32 kTextMargin = 2;
// The longest line file reading takes, terminator included.
const INT_S16 kFileLineSize = 1024;
// A display line's length field is 16 bits wide.
const size_t kMaxLineBytes = 65535;

char* copy_text(const char* text, size_t length) {
  char* copy = new char[length + 1];
  std::memcpy(copy, text, length);
  copy[length] = 0;
  return copy;
}

INT_U16 style_window_flags(const WM_STYLE_SET* style) {
  const INT_U32 ssf = style->ssf;
  INT_U16 f = 0;
  if ((ssf & ssf_draw_border) && (ssf & ssf_indent_border)) f |= TW_INDENTED_BORDER;
  if ((ssf & ssf_draw_border) && (ssf & ssf_outstanding_border)) f |= TW_RAISED_BORDER;
  const struct {
    INT_U32 ssf_bit;
    INT_U16 flag;
  } table[] = {{ssf_left_justify_text, TW_LEFT_JUSTIFY}, {ssf_right_justify_text, TW_RIGHT_JUSTIFY},
               {ssf_top_align_text, TW_TOP_ALIGN},        {ssf_bottom_align_text, TW_BOTTOM_ALIGN},
               {ssf_darkened_background, TW_DARKENED},    {ssf_hfading, TW_HFADE},
               {ssf_vfading, TW_VFADE},                   {ssf_shadow_text, TW_SHADOW_TEXT},
               {ssf_inset_text, TW_INSET_TEXT},           {ssf_chiseled_text, TW_CHISELED_TEXT}};
  for (const auto& row : table)
    if (ssf & row.ssf_bit) f |= row.flag;
  return f;
}

}  // namespace

// ---- Construction ------------------------------------------------------------

WM_TEXT_WIN::WM_TEXT_WIN(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 gap_extra,
                         INT_S16 count, INT_S16 bar_width, const COLOUR* bar_active,
                         const COLOUR* bar_back, const COLOUR* bar_text, INT_U8 can_select,
                         INT_U8 vis, WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2)
    : WM_SCREEN_OBJECT(vis, callback, arg1, arg2), background_frame(&wm_skin_cache) {
  // The scrollbar's style: its drawing flags are ssf_inset_text, so its bar
  // has no end buttons.
  WM_STYLE_SET bar_style;
  bar_style.ssf = ssf_inset_text;
  bar_style.scrollbar_button_width = bar_style.scrollbar_slider_width = bar_width;
  if (bar_active) bar_style.active_colour = *bar_active;
  if (bar_back) bar_style.bg_colour = *bar_back;
  if (bar_text) bar_style.fg_colour = *bar_text;
  const INT_S16 gap = static_cast<INT_S16>(border_width(shading_type) + gap_extra);
  const COLOUR none = COLOUR_INVISIBLE;
  init(x1, y1, x2, y2, count, can_select, &none, &none, kDefaultFont, kDefaultSize, kDefaultSize,
       TW_INDENTED_BORDER | TW_LEFT_JUSTIFY, 15, &bar_style, gap, gap, gap, gap);
}

WM_TEXT_WIN::WM_TEXT_WIN(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2,
                         const WM_STYLE_SET* style, const WM_STYLE_SET* bar_style,
                         INT_S16 count, INT_U8 can_select, WM_ACTION_CALLBACK callback,
                         INT_WORD arg1, INT_WORD arg2)
    : WM_SCREEN_OBJECT(style->visible, callback, arg1, arg2), background_frame(&wm_skin_cache) {
  shading_type = style->shading_type;
  INT_U16 mask = static_cast<INT_U16>(style->shading_flags & ~BORDER_INDENTED);
  if ((style->ssf & ssf_draw_border) && (style->ssf & ssf_indent_border))
    mask |= BORDER_INDENTED;
  init(x1, y1, x2, y2, count, can_select, &style->bg_colour, &style->fading_colour,
       style->font_id, style->font_x_sz, style->font_y_sz, style_window_flags(style), mask,
       bar_style, style->border_left_gap, style->border_right_gap, style->border_top_gap,
       style->border_bottom_gap);
  if (style->image_filename) {
    if (style->is_loaded()) {
      if (const SKIN_FRAME* base = style->state_images[STYLE_IMAGE_BASE])
        background_frame.copy_from(base);
    } else {
      background_frame.load(style->image_path, style->image_filename, 0);
    }
  }
}

void WM_TEXT_WIN::init(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 count,
                       INT_U8 can_select, const COLOUR* back, const COLOUR* fading,
                       INT_U8 font_id, INT_S16 fw, INT_S16 fh, INT_U16 window_flags,
                       INT_U16 mask, const WM_STYLE_SET* bar_style, INT_S16 left, INT_S16 right,
                       INT_S16 top, INT_S16 bottom) {
  paragraphs = nullptr;
  lines = nullptr;
  scrollbar = nullptr;
  scroll.tag = TV_S32;
  scroll.min.s32 = 0;
  scroll.max.s32 = 1;
  scroll.value.s32 = 0;
  // A ring holds at least one line, so that slot arithmetic never divides by 0.
  line_count = count < 1 ? 1 : count;
  back_colour = back ? *back : COLOUR_INVISIBLE;
  fading_colour = fading ? *fading : COLOUR_INVISIBLE;
  font = font_id;
  font_w = fw;
  font_h = fh;
  const INT_S16 default_gap = static_cast<INT_S16>(border_width(shading_type) + kDefaultGapExtra);
  left_gap = left == -1 ? default_gap : left;
  right_gap = right == -1 ? default_gap : right;
  top_gap = top == -1 ? default_gap : top;
  bottom_gap = bottom == -1 ? default_gap : bottom;
  flags = window_flags;
  border_mask = mask;
  selectable = can_select;
  line_head = line_total = paragraph_head = paragraph_total = 0;
  slider_scale = 0;
  page_last = 0;
  clicked_tag = nullptr;
  show_from_top = 0;
  left_pressed = right_pressed = left_released = right_released = 0;
  press_x = press_y = 0;
  press_line = -1;
  sel_start_line = sel_start_char = sel_end_line = sel_end_char = -1;
  anchor_line = anchor_char = -1;
  if (bar_style) scrollbar_style = *bar_style;

  lines = new (std::nothrow) TEXT_WIN_LINE[line_count];
  if (!lines) report_fatal_error(kErrorLineRing, nullptr);
  paragraphs = new (std::nothrow) TEXT_WIN_PARAGRAPH[line_count];
  if (!paragraphs) report_fatal_error(kErrorParagraphRing, nullptr);

  x = x1;
  y = y1;
  width = height = 0;  // so that set_size sees a change and computes the page
  set_size(static_cast<INT_S16>(x2 - x1 + 1), static_cast<INT_S16>(y2 - y1 + 1), 1);
  kind |= WM_KIND_TEXT_WIN;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

WM_TEXT_WIN::~WM_TEXT_WIN() {
  release_focus();  // a class that lets it take the focus: told while whole
  clear();
  delete[] paragraphs;
  delete[] lines;
  background_frame.release();
}

// ---- Measures ----------------------------------------------------------------

INT_U8 WM_TEXT_WIN::resolved_font() const {
  if (font == kDefaultFont && wm_surface) return static_cast<INT_U8>(wm_surface->font);
  return font;
}
INT_S16 WM_TEXT_WIN::resolved_font_w() const {
  if (font_w == kDefaultSize && wm_surface) return wm_surface->font_width;
  return font_w;
}
INT_S16 WM_TEXT_WIN::line_height() const {
  INT_S16 fh = font_h;
  if (fh == kDefaultSize && wm_surface) fh = wm_surface->font_height;
  return fh > 0 ? fh : 1;  // a line is never 0 pixels high
}

INT_S16 WM_TEXT_WIN::scrollbar_width() const {
  return scrollbar ? scrollbar_style.scrollbar_button_width : 0;
}

INT_S32 WM_TEXT_WIN::available_width() const {
  return width - left_gap - right_gap - kTextMargin - scrollbar_width();
}

INT_S32 WM_TEXT_WIN::text_width(const char* text, INT_U32 count) const {
  if (!wm_surface) return 0;
  return wm_surface->text_width(resolved_font(), static_cast<INT_U16>(resolved_font_w()),
                                static_cast<INT_U16>(line_height()), text, count);
}

INT_S32 WM_TEXT_WIN::oldest_slot() const { return line_total < line_count ? 0 : line_head; }

INT_S32 WM_TEXT_WIN::display_index(INT_S16 slot) const {
  if (slot < 0 || slot >= line_count) return -1;
  const INT_S32 d = (slot - oldest_slot() + line_count) % line_count;
  return d < line_total ? d : -1;
}

INT_S16 WM_TEXT_WIN::slot_of(INT_S32 d) const {
  if (d < 0 || d >= line_total) return -1;
  return static_cast<INT_S16>((oldest_slot() + d) % line_count);
}

INT_S32 WM_TEXT_WIN::first_shown() const {
  const INT_S32 page = page_last + 1;
  if (line_total <= page_last) return 0;
  const INT_S32 d = line_total - page - scroll.value.s32;
  return d < 0 ? 0 : d;
}

INT_S16 WM_TEXT_WIN::first_shown_slot() { return slot_of(first_shown()); }

// ---- Adding text -------------------------------------------------------------

INT_U8 WM_TEXT_WIN::add_text(const char* text, const char* tag, const COLOUR* colour,
                             INT_U8 redraw, INT_U8 allow_scrollbar) {
  if (!text) return 0;
  if (!tag) tag = "";
  const COLOUR c = colour ? *colour : 0xFF000000u;
  // Line feeds part paragraphs; within a part without one, carriage returns
  // do. An empty part is an empty paragraph, so CR LF leaves an empty line.
  INT_U8 result = 0;
  const char* part = text;
  for (;;) {
    const char* lf = std::strchr(part, '\n');
    const size_t part_length = lf ? static_cast<size_t>(lf - part) : std::strlen(part);
    std::string piece(part, part_length);
    size_t start = 0;
    for (;;) {
      const size_t cr = piece.find('\r', start);
      const size_t end = cr == std::string::npos ? piece.size() : cr;
      result = add_paragraph(piece.substr(start, end - start), tag, c, allow_scrollbar);
      if (cr == std::string::npos) break;
      start = cr + 1;
    }
    if (!lf) break;
    part = lf + 1;
  }
  if (redraw) show();
  return result;
}

INT_U8 WM_TEXT_WIN::add_paragraph(const std::string& text, const char* tag, COLOUR colour,
                                  INT_U8 allow_scrollbar) {
  // The slot's old text has at most one display line left, in the slot that
  // add_line writes first, so it can go now.
  TEXT_WIN_PARAGRAPH& p = paragraphs[paragraph_head];
  delete[] p.text;
  delete[] p.tag;
  p.text = copy_text(text.data(), text.size());
  p.tag = copy_text(tag, std::strlen(tag));
  p.colour = colour;
  paragraph_head = static_cast<INT_S16>((paragraph_head + 1) % line_count);
  if (paragraph_total < line_count) ++paragraph_total;
  const INT_U8 overflowed = add_line(p.text, p.tag, p.colour, allow_scrollbar);
  return allow_scrollbar || !overflowed ? 1 : 0;
}

// Bytes of the next display line of `rest` (at least one), and where the
// line after it starts.
size_t WM_TEXT_WIN::break_line(const char* rest, const char** next) const {
  const size_t length = std::strlen(rest);
  const INT_S32 avail = available_width();
  if (length == 0) {
    *next = rest;
    return 0;
  }
  // n: the most leading bytes narrower than the space (widths grow with the
  // byte count). Prefixes are measured at doubling lengths first, so a long
  // paragraph costs what its lines cost, not its length per line.
  const size_t cap = length < kMaxLineBytes ? length : kMaxLineBytes;
  size_t lo = 0, hi = cap;
  for (size_t probe = 1;; probe *= 2) {
    const size_t p = probe < cap ? probe : cap;
    if (text_width(rest, static_cast<INT_U32>(p)) >= avail) {
      hi = p - 1;
      break;
    }
    lo = p;
    if (p == cap) break;
  }
  if (lo == length) {  // the whole rest is narrower: the line is complete
    *next = rest + length;
    return length;
  }
  // At least one byte, so that a narrow window still moves on.
  while (lo < hi) {
    const size_t mid = lo + (hi - lo + 1) / 2;
    if (text_width(rest, static_cast<INT_U32>(mid)) < avail)
      lo = mid;
    else
      hi = mid - 1;
  }
  size_t n = lo < 1 ? 1 : lo;
  if (n > length) n = length;
  // The last space among bytes 1 to n ends the line; byte n is the first that
  // did not fit. Without one the word is broken.
  size_t line = n;
  for (size_t k = n < length ? n : length - 1; k >= 1; --k)
    if (rest[k] == ' ') {
      line = k;
      break;
    }
  const char* after = rest + line;
  if (*after == ' ')
    while (*after == ' ') ++after;
  *next = after;
  return line;
}

INT_U8 WM_TEXT_WIN::add_line(const char* text, const char* tag, COLOUR colour,
                             INT_U8 allow_scrollbar) {
  const char* rest = text;
  for (;;) {
    const INT_S16 slot = line_head;
    // A line overwritten inside the selection ends the selection.
    if (sel_start_line != -1 && slot_in_selection(slot))
      sel_start_line = sel_start_char = sel_end_line = sel_end_char = -1;
    TEXT_WIN_LINE& line = lines[slot];
    line.start = rest;
    line.tag = tag;
    line.colour = colour;
    line_head = static_cast<INT_S16>((line_head + 1) % line_count);
    if (line_total < line_count) ++line_total;
    const char* next = nullptr;
    line.length = static_cast<INT_U16>(break_line(rest, &next));
    if (!*next) break;
    rest = next;
  }

  const INT_S32 page = page_last + 1;
  if (scrollbar) {
    resize_slider();
    return 0;
  }
  if (line_total <= page) return 0;
  slider_scale = 0;
  if (!allow_scrollbar) return 1;

  const INT_S16 s = scrollbar_style.scrollbar_button_width;
  scroll.max.s32 = line_total - page;
  scrollbar = new WM_SCROLLBAR(static_cast<INT_S16>(x + width - 1 - s), static_cast<INT_S16>(y + 3),
                               static_cast<INT_S16>(x + width - 4),
                               static_cast<INT_S16>(y + height - 4), &scroll, &scrollbar_style,
                               scroll_changed, word_from_pointer(this), 0);
  scrollbar->invalidate();
  scrollbar->visible = scrollbar->needs_redraw = visible;
  reflow();
  scroll.value.s32 = show_from_top ? scroll.max.s32 : 0;
  const INT_S32 beyond = line_count - page;
  slider_scale = beyond > 0 ? static_cast<double>(scrollbar->get_track_extent() - s) / beyond : 0;
  add_child(scrollbar, 0);
  resize_slider();
  return 1;
}

// Sizes the slider to the part of the text in view and sets the range.
void WM_TEXT_WIN::resize_slider() {
  const INT_S32 page = page_last + 1;
  if (slider_scale != 0) {
    const INT_S32 extent = scrollbar->get_track_extent();
    double length = extent - (line_total - page) * slider_scale;
    // Never longer than the track, whatever the scale: a short bar with end
    // buttons has a negative one.
    if (length > extent) length = extent;
    if (length < 1) length = 1;
    scrollbar->slider_length = static_cast<INT_S16>(length);
    scrollbar->layout_track();
    if (scrollbar->visible) scrollbar->show();
  }
  INT_S32 top = line_total - page;
  if (top < 1) top = 1;  // the range stays non-empty
  scroll.max.s32 = top;
  if (scroll.value.s32 > top) scroll.value.s32 = top;
  if (show_from_top) scroll.value.s32 = top;
}

void WM_TEXT_WIN::reflow() {
  clear_selection();
  for (INT_S16 i = 0; i < line_count; ++i) lines[i] = TEXT_WIN_LINE();
  line_head = line_total = 0;
  if (!scrollbar) scroll.value.s32 = 0;
  const bool had_scrollbar = scrollbar != nullptr;
  const INT_S32 first = paragraph_total < line_count ? 0 : paragraph_head;
  for (INT_S32 i = 0; i < paragraph_total; ++i) {
    const TEXT_WIN_PARAGRAPH& p = paragraphs[(first + i) % line_count];
    // A scrollbar made on the way has reflowed everything already.
    if (add_line(p.text, p.tag, p.colour, 1) || (!had_scrollbar && scrollbar)) break;
  }
}

void WM_TEXT_WIN::set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) {
  if (new_width == width && new_height == height) return;
  // The old scrollbar goes first: resized with the window it could no
  // longer hold its end buttons.
  if (scrollbar) {
    WM_SCROLLBAR* old = scrollbar;
    scrollbar = nullptr;
    if (!wm_call_survives(this, [&] { remove_child(old, 1, 1); })) return;  // see clear
  }
  WM_SCREEN_OBJECT::set_size(new_width, new_height, children_too);
  slider_scale = 0;
  page_last = static_cast<INT_S16>((new_height - top_gap - bottom_gap - 2) / line_height() - 1);
  clear_selection();
  reflow();
}

INT_U8 WM_TEXT_WIN::load_file(FOLDER* folder, const char* name, const COLOUR* colour) {
  TEXT_FILE* file = open_text_file(folder, name, 0, 0);
  if (!file) return 0;
  file->max_line = kFileLineSize;
  char buffer[kFileLineSize];
  INT_U8 added = 0;
  while (file->stream && file->read_line(buffer)) {
    add_text(buffer, "", colour, visible, 1);
    added = 1;
  }
  close_text_file(&file);
  return added;
}

void WM_TEXT_WIN::clear() {
  clear_selection();
  if (paragraphs)
    for (INT_S16 i = 0; i < line_count; ++i) {
      delete[] paragraphs[i].text;
      delete[] paragraphs[i].tag;
      paragraphs[i] = TEXT_WIN_PARAGRAPH();
    }
  if (lines)
    for (INT_S16 i = 0; i < line_count; ++i) lines[i] = TEXT_WIN_LINE();
  line_head = line_total = paragraph_head = paragraph_total = 0;
  if (scrollbar) {
    WM_SCROLLBAR* old = scrollbar;
    scrollbar = nullptr;
    // A scrollbar that holds the focus tells its callback, which may delete
    // the window.
    if (!wm_call_survives(this, [&] { remove_child(old, 1, 0); })) return;
  }
  slider_scale = 0;
  scroll.value.s32 = 0;
}

// ---- Selection ---------------------------------------------------------------

bool WM_TEXT_WIN::slot_in_selection(INT_S16 slot) const {
  const INT_S32 d = display_index(slot);
  const INT_S32 a = display_index(sel_start_line), b = display_index(sel_end_line);
  return d >= 0 && a >= 0 && b >= 0 && a <= d && d <= b;
}

void WM_TEXT_WIN::clear_selection() {
  sel_start_line = sel_start_char = sel_end_line = sel_end_char = -1;
  if (visible) show();
}

INT_S16 WM_TEXT_WIN::char_at(INT_S16 slot, INT_S16 px) {
  if (slot < 0 || slot >= line_count || !lines[slot].start) return 0;
  const TEXT_WIN_LINE& line = lines[slot];
  const INT_S32 distance = px - (x + left_gap);
  if (distance < 0 || line.length == 0) return 0;
  // The first character whose right edge lies beyond the point; the line's
  // last one when the point lies beyond the line.
  for (INT_S32 k = 0; k < line.length; ++k)
    if (text_width(line.start, static_cast<INT_U32>(k + 1)) > distance)
      return static_cast<INT_S16>(k);
  return static_cast<INT_S16>(line.length - 1);
}

void WM_TEXT_WIN::copy_selection(char* buffer, INT_S16 size) {
  if (!buffer || size < 1) return;
  const INT_S32 first = display_index(sel_start_line), last = display_index(sel_end_line);
  if (first < 0 || last < 0 || sel_start_char < 0 || sel_end_char < 0 || first > last) return;
  INT_S32 out = 0;
  const INT_S32 room = size - 1;
  for (INT_S32 d = first; d <= last && out < room; ++d) {
    const TEXT_WIN_LINE& line = lines[slot_of(d)];
    if (!line.start) continue;
    INT_S32 from = d == first ? sel_start_char : 0;
    INT_S32 to = d == last ? sel_end_char : line.length - 1;
    if (to > line.length - 1) to = line.length - 1;
    for (INT_S32 k = from; k <= to && out < room; ++k) buffer[out++] = line.start[k];
    if (out < room) buffer[out++] = ' ';
  }
  buffer[out] = 0;
}

// ---- Input -------------------------------------------------------------------

bool WM_TEXT_WIN::in_text_area(INT_S16 px, INT_S16 py) const {
  return x < px && px < x + width - 1 - scrollbar_width() && y < py && py < y + height - 1;
}

INT_S16 WM_TEXT_WIN::slot_under(INT_S16 py) const {
  const INT_S32 row = (py - y - top_gap) / line_height();
  return slot_of(first_shown() + row);
}

void WM_TEXT_WIN::drag_selection(INT_S16 px, INT_S16 py) {
  if (press_line != -1) {
    anchor_line = press_line;
    anchor_char = char_at(press_line, press_x);
    press_line = -1;
  }
  const INT_S16 slot = slot_under(py);
  if (anchor_line != -1 && slot != -1 && display_index(anchor_line) >= 0) {
    const INT_S16 at = char_at(slot, px);
    const INT_S32 da = display_index(anchor_line), dp = display_index(slot);
    const bool anchor_first = da < dp || (da == dp && anchor_char <= at);
    sel_start_line = anchor_first ? anchor_line : slot;
    sel_start_char = anchor_first ? anchor_char : at;
    sel_end_line = anchor_first ? slot : anchor_line;
    sel_end_char = anchor_first ? at : anchor_char;
  }
  // Dragging against the top or bottom line scrolls, a line per frame.
  if (scrollbar) {
    const INT_S32 fh = line_height();
    const INT_S32 from_top = py - (y + top_gap);
    const INT_S32 to_bottom = (y + height - bottom_gap) - py;
    INT_S32 v = scroll.value.s32;
    if (from_top >= 0 && from_top < fh)
      ++v;
    else if (to_bottom > 0 && to_bottom <= fh)
      --v;
    if (v > scroll.max.s32) v = scroll.max.s32;
    if (v < 0) v = 0;
    scroll.value.s32 = v;
  }
  show();
}

INT_S32 WM_TEXT_WIN::click(INT_S16 py) {
  clear_selection();
  const INT_S16 slot = slot_under(py);
  if (slot == -1 || !lines[slot].tag || !lines[slot].tag[0]) return 0;
  clicked_tag = lines[slot].tag;
  WM_CLICK_SOUND& sound = wm_click_sound;
  if (sound.handle && sound.name[0])
    play_sound_file(sound.handle, sound.channel, &sound.folder, sound.name, sound.volume, sound.pan,
                    0);
  INT_S32 result = 0;
  if (action_callback &&
      !wm_call_survives(this, [&] { result = action_callback(this, action_arg1, action_arg2); }))
    return result;
  clicked_tag = nullptr;
  return result;
}

INT_S32 WM_TEXT_WIN::handle_input() {
  INT_S32 result = 0;
  if (!wm_call_survives(this, [&] { result = WM_SCREEN_OBJECT::handle_input(); }) || result ||
      !visible)
    return result;
  if (!selectable && sel_start_line != -1) clear_selection();

  const INT_S16 px = mouse_state.x, py = mouse_state.y;
  const INT_U32 buttons = mouse_state.buttons;
  const bool left_down = (buttons & kLeftButtonBit) != 0;
  const bool right_down = (buttons & kRightButtonBit) != 0;
  const bool inside = in_text_area(px, py);
  if (right_down) right_pressed = 1;

  if (left_down) {
    if (!left_pressed) {
      if (inside) {
        if (selectable) {
          press_x = px;
          press_y = py;
          press_line = slot_under(py);
          anchor_line = anchor_char = -1;
        }
        left_pressed = 1;
      }
    } else if (selectable && (px != press_x || py != press_y)) {
      drag_selection(px, py);
    }
    // Only a right release goes on while the left button is held.
    if (!(right_pressed && !right_down)) return 0;
  }

  const bool left_release = left_pressed && !left_down;
  const bool right_release = right_pressed && !right_down;
  if (!(left_release || right_release) || !inside) return 0;
  left_released = left_release ? 1 : 0;
  right_released = right_release ? 1 : 0;
  if (!selectable || !left_release || (px == press_x && py == press_y)) {
    left_pressed = left_down ? 1 : 0;
    right_pressed = right_down ? 1 : 0;
    return click(py);
  }
  // The end of a drag: the selection stays.
  left_pressed = 0;
  return 0;
}

// ---- Images ------------------------------------------------------------------

INT_U8 WM_TEXT_WIN::load_images(const char* folder_path, const char* base_name,
                                const WM_STYLE_SET* style) {
  if (style && style->is_loaded()) {
    if (const SKIN_FRAME* base = style->state_images[STYLE_IMAGE_BASE])
      background_frame.copy_from(base);
  } else if (!base_name) {
    background_frame.release();
    return 0;
  } else {
    background_frame.load(folder_path, base_name, 0);
  }
  return background_frame.is_valid() ? 1 : 0;
}

INT_U8 WM_TEXT_WIN::load_images_from_folder(FOLDER* folder, const char* base_name,
                                            const WM_STYLE_SET* style) {
  char path[STYLE_PATH_SIZE] = "";
  if (folder) folder->get_path_text(path, nullptr);
  return load_images(path, base_name, style);
}

INT_S32 WM_TEXT_WIN::scroll_changed(WM_SCREEN_OBJECT*, INT_WORD arg1, INT_WORD) {
  if (WM_TEXT_WIN* window = word_to_pointer<WM_TEXT_WIN>(arg1)) window->show();
  return 0;
}
