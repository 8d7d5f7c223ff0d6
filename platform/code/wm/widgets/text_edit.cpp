// The text edit box: construction, text and selection, layout arithmetic and
// the character filters.
#include "wm_text_edit.h"

#include <cctype>
#include <cstring>

#include "folder.h"
#include "input.h"
#include "page_manager.h"
#include "sound.h"
#include "style_set.h"
#include "wm_globals.h"
#include "../wm_internal.h"
#include "../wm_platform.h"

namespace {

const INT_U8 kDefaultFont = 255;
// Keys pressed before a box existed must not act on it.
const INT_S32 kStaleKeys[] = {97, 100, 102, 103, 36, 107};
const COLOUR kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u;

bool is_set(COLOUR c) { return (c >> 24) != 0; }

struct FLAG_MAP {
  INT_U32 style_bit;
  INT_U16 edit_bit;
};
const FLAG_MAP kStyleFlags[] = {
    {ssf_icon_left, TEXT_EDIT_ICON_LEFT},       {ssf_icon_right, TEXT_EDIT_ICON_RIGHT},
    {ssf_icon_top, TEXT_EDIT_ICON_TOP},         {ssf_icon_bottom, TEXT_EDIT_ICON_BOTTOM},
    {ssf_dont_resize_image, TEXT_EDIT_DONT_RESIZE_IMAGE},
    {ssf_darkened_background, TEXT_EDIT_DARKENED},
};

INT_U16 edit_flags_from_style(const WM_STYLE_SET* style) {
  INT_U16 flags = 0;
  const INT_U32 ssf = style->ssf;
  if ((ssf & ssf_draw_border) && (ssf & ssf_indent_border))
    flags |= TEXT_EDIT_INDENT_BORDER;
  else if ((ssf & ssf_draw_border) && (ssf & ssf_outstanding_border))
    flags |= TEXT_EDIT_RAISED_BORDER;
  if (style->ssef & ssef_te_password) flags |= TEXT_EDIT_PASSWORD;
  for (const FLAG_MAP& m : kStyleFlags)
    if (ssf & m.style_bit) flags |= m.edit_bit;
  return flags;
}

// Letters and digits as the C locale classifies them: ASCII only, whatever
// locale the process runs in.
bool ascii_letter(INT_U16 c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool ascii_digit(INT_U16 c) { return c >= '0' && c <= '9'; }

}  // namespace

WM_TEXT_EDIT::WM_TEXT_EDIT(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 max_len, const char* txt,
                           const WM_STYLE_SET* style, WM_ACTION_CALLBACK callback,
                           INT_WORD arg1, INT_WORD arg2)
    : WM_SCREEN_OBJECT(style->visible, callback, arg1, arg2) {
  shading_type = style->shading_type;
  edit_flags = edit_flags_from_style(style);
  init(px, py, w, max_len, txt, &style->fg_colour, &style->bg_colour, style->font_id,
       style->font_x_sz, style->font_y_sz, style->border_left_gap, style->border_right_gap,
       style->border_top_gap, style->border_bottom_gap);
  if (style->image_filename && style->image_filename[0])
    load_images(style->image_path, style->image_filename, style);
  if (is_set(style->bevel_colour)) colour = style->bevel_colour;
  if (is_set(style->active_text_colour)) cursor_colour = style->active_text_colour;
  if (is_set(style->highlight_colour)) highlight_colour = style->highlight_colour;
}

WM_TEXT_EDIT::~WM_TEXT_EDIT() {
  wm_release_dying_object(this);
  background_frame.release();
}

void WM_TEXT_EDIT::init(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 max_len, const char* txt,
                        const COLOUR* text_col, const COLOUR* back_col, INT_U8 fnt, INT_S16 fw,
                        INT_S16 fh, INT_S16 lg, INT_S16 rg, INT_S16 tg, INT_S16 bg) {
  font = static_cast<INT_S8>(fnt > 254 && wm_surface ? wm_surface->font : fnt);
  font_w = fw == -1 && wm_surface ? wm_surface->font_width : fw;
  font_h = fh == -1 && wm_surface ? wm_surface->font_height : fh;
  const INT_S16 border = static_cast<INT_S16>(border_width(1));
  left_gap = lg == -1 ? border : lg;
  right_gap = rg == -1 ? border : rg;
  top_gap = tg == -1 ? border : tg;
  bottom_gap = bg == -1 ? border : bg;
  x = px;
  y = py;
  width = w;
  height = static_cast<INT_S16>(top_gap + bottom_gap + font_h);
  max_length = max_len;
  sel_start = sel_end = -1;
  drag_x = -1;
  char_filter = nullptr;
  return_pressed = left_down = notify_on_change = 0;
  enabled = 1;
  focusable = 1;
  set_text(txt);
  text_colour = cursor_colour = text_col ? *text_col : 0;
  back_colour = back_col ? *back_col : 0;
  choose_text_colour(&highlight_colour, &text_colour);
  if (is_set(back_colour)) ensure_colour_contrast(&highlight_colour, &back_colour, 0);
  kind |= WM_KIND_TEXT_EDIT;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
  const INT_S32 pending = wm_last_key();
  for (INT_S32 k : kStaleKeys)
    if (pending == k) {
      wm_take_key();
      break;
    }
}

void WM_TEXT_EDIT::set_text(const char* new_text) {
  // The selection's ends belong to the old text.
  clear_selection();
  if (!new_text) {
    text.set("");
    cursor = 0;
  } else {
    text.set(new_text);
    if (max_length >= 0 && text.length() > max_length) text.text[max_length] = 0;
    cursor = static_cast<INT_S16>(text.length());
  }
  show();
}

void WM_TEXT_EDIT::set_max_length(INT_S16 new_max) {
  if (new_max <= 0) return;
  max_length = new_max;
  if (text.length() > max_length) {
    clear_selection();
    text.text[max_length] = 0;
    cursor = static_cast<INT_S16>(text.length());
  }
  show();
}

void WM_TEXT_EDIT::select_all() {
  const INT_S16 len = static_cast<INT_S16>(text.length());
  if (len == 0 || (sel_start == 0 && sel_end == len)) return;
  sel_start = 0;
  sel_end = len;
  show();
}

void WM_TEXT_EDIT::clear_selection() {
  if (sel_start == -1 && sel_end == -1) return;
  show();
  sel_start = sel_end = -1;
}

INT_S32 WM_TEXT_EDIT::notify(INT_U8 with_sound) {
  if (with_sound) {
    WM_CLICK_SOUND& s = wm_click_sound;
    if (s.handle && s.name[0]) play_sound_file(s.handle, s.channel, &s.folder, s.name, s.volume, s.pan, 0);
  }
  INT_S32 result = 0;
  if (action_callback)
    wm_call_survives(this, [&] { result = action_callback(this, action_arg1, action_arg2); });
  return result;
}

INT_U8 WM_TEXT_EDIT::load_images(const char* folder_path, const char* base_name,
                                 const WM_STYLE_SET* style) {
  if (style && style->is_loaded()) {
    if (const SKIN_FRAME* base = style->state_images[STYLE_IMAGE_BASE])
      background_frame.copy_from(base);
    return has_images();
  }
  if (!base_name || !base_name[0]) {
    release_images();
    return 0;
  }
  background_frame.load(folder_path, base_name, 0);
  return has_images();
}

INT_U8 WM_TEXT_EDIT::load_images_from_folder(FOLDER* folder, const char* base_name,
                                             const WM_STYLE_SET* style) {
  return load_images(folder ? folder->native_path_text() : nullptr, base_name, style);
}

// ---- Layout ---------------------------------------------------------------

INT_S16 WM_TEXT_EDIT::first_shown(IMAGE* surface, INT_U8 fnt, INT_S16 fw, INT_S16 fh,
                                  const char* txt, INT_S16 cur, INT_S16 avail, INT_S32 w_width) {
  if (!surface || !txt) return 0;
  if (w_width < 1) w_width = 1;
  const INT_S32 est = avail / w_width;
  const INT_S32 len = static_cast<INT_S32>(std::strlen(txt));
  INT_S32 s = 0;
  if (est < cur) {
    // Never beyond the end: a box narrower than its gaps shows nothing.
    while (s < len && s + est < cur &&
           surface->text_width(fnt, static_cast<INT_U16>(fw), static_cast<INT_U16>(fh), txt + s) >
               avail)
      ++s;
  }
  return static_cast<INT_S16>(s);
}

INT_S32 WM_TEXT_EDIT::masks_that_fit(INT_S32 length, INT_S32 avail, INT_S32 mask_width) {
  if (mask_width < 1) mask_width = 1;
  if (avail <= 0) return 0;
  INT_S32 n = (avail - 1) / mask_width;  // the largest n with n * mask_width < avail
  return n < length ? n : length;
}

INT_S16 WM_TEXT_EDIT::first_shown_now() {
  if (!wm_surface) return 0;
  const INT_S32 w_width = wm_surface->text_width(static_cast<INT_U8>(font), static_cast<INT_U16>(font_w),
                                                 static_cast<INT_U16>(font_h), "W");
  return first_shown(wm_surface, static_cast<INT_U8>(font), font_w, font_h, text.text ? text.text : "",
                     cursor, static_cast<INT_S16>(width - 1 - left_gap - right_gap), w_width);
}

INT_S16 WM_TEXT_EDIT::char_x(INT_S16 index) {
  const char* t = text.text ? text.text : "";
  const INT_S32 len = static_cast<INT_S32>(std::strlen(t));
  const INT_S16 s = first_shown_now();
  auto tail = [&](INT_S32 from) -> INT_S32 {
    if (from >= len || !wm_surface) return 0;
    return wm_surface->text_width(static_cast<INT_U8>(font), static_cast<INT_U16>(font_w),
                                  static_cast<INT_U16>(font_h), t + from);
  };
  return static_cast<INT_S16>(x + left_gap + tail(s) - tail(index < 0 ? 0 : index));
}

INT_S16 WM_TEXT_EDIT::char_index_at(INT_S16 px) {
  const char* t = text.text ? text.text : "";
  const INT_S16 len = static_cast<INT_S16>(std::strlen(t));
  if (px < x + left_gap) return 0;
  if (px >= x + width - right_gap) return len;
  const INT_S32 d = px - x - left_gap;
  const INT_S16 s = first_shown_now();
  const INT_S32 n = len - s;
  if (n <= 0 || !wm_surface) return len;
  INT_S32 previous = 0;
  for (INT_S32 count = 1; count <= n; ++count) {
    const INT_S32 w = wm_surface->text_width(static_cast<INT_U8>(font), static_cast<INT_U16>(font_w),
                                             static_cast<INT_U16>(font_h), t + s,
                                             static_cast<INT_U32>(count));
    if (w >= d || count == n) {
      INT_S32 at = s + count;
      if (d - previous < w - d) --at;  // the boundary before is nearer; a tie keeps this one
      return static_cast<INT_S16>(at > len ? len : at);
    }
    previous = w;
  }
  return len;
}

// ---- Focus ----------------------------------------------------------------

void WM_TEXT_EDIT::take_focus() {
  const bool had_focus = wm_focus_object == this;
  // A focus callback may delete the box.
  if (!wm_call_survives(this, [&] { WM_SCREEN_OBJECT::take_focus(); })) return;
  KEYBOARD::begin_text_entry();
  if (had_focus || wm_focus_object != this) return;
  // Whatever the path to the focus (a click, Tab, a dialog opening): what
  // was typed before it belongs to no box.
  KEYBOARD::discard_chars();
  select_all();
  focus_text.set(text.text ? text.text : "");
}

// ---- Filters --------------------------------------------------------------

INT_U8 WM_TEXT_EDIT::filter_letters(INT_U16 c) {
  return ascii_letter(c) || c == '\'' || c == '-' || c == 127 ? 1 : 0;
}

INT_U8 WM_TEXT_EDIT::filter_letters_spaces(INT_U16 c) {
  return filter_letters(c) || c == ' ' ? 1 : 0;
}

INT_U8 WM_TEXT_EDIT::filter_letters_digits(INT_U16 c) {
  return filter_letters_spaces(c) || ascii_digit(c) ? 1 : 0;
}

INT_U8 WM_TEXT_EDIT::filter_file_name(INT_U16 c) {
  static const char kMarks[] = " @.-+!$%()_=[]{};:#~";
  if (ascii_letter(c) || ascii_digit(c)) return 1;
  return c != 0 && c < 128 && std::strchr(kMarks, static_cast<int>(c)) ? 1 : 0;
}
