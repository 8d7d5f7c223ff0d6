// The push button: construction, state skins, text, hint label, lifecycle.
#include "wm_button.h"

#include <cstring>
#include <new>
#include <string>

#include "errors.h"
#include "folder.h"
#include "page_manager.h"
#include "wm_globals.h"
#include "wm_script.h"
#include "../wm_internal.h"
#include "widget_shared.h"

// ---- globals -----------------------------------------------------------------

WM_STYLE_SET& wm_get_button_hint_style() {
  // Never destroyed: hint labels of static objects are built from it and
  // the installer copies a skin's hint style into it at any time.
  static WM_STYLE_SET* style = new WM_STYLE_SET();
  return *style;
}
INT_U8 wm_button_hint_style_ready = 0;
INT_U32 wm_repeat_delay = 300;
INT_U32 wm_repeat_interval = 30;
INT_U32 wm_idle_click_delay = 0;
INT_U32 wm_idle_click_step = 500;
WM_BUTTON* wm_idle_click_button = nullptr;
INT_U32 wm_idle_click_time = 0;

namespace {

const INT_U32 kErrorButtonTitle = 0x61;
const INT_U8 kDefaultFont = 255;

bool is_set(COLOUR c) { return (c >> 24) != 0; }

// The built-in hint look, used until a skin provides one.
void write_builtin_hint_style() {
  WM_STYLE_SET& s = wm_button_hint_style;
  s.shading_type = 3;
  s.fg_colour = 0xFF000000u;
  s.bg_colour = 0xFFFFD000u;
  s.fading_colour = 0xFFFF0000u;
  s.shading_flags = 15;
  s.ssf = ssf_draw_border | ssf_indent_border | ssf_hfading | ssf_use_text_colour_for_outline;
  wm_button_hint_style_ready = 1;
}

struct FLAG_MAP {
  INT_U32 style_bit;
  INT_U32 button_bit;
};
const FLAG_MAP kStyleFlags[] = {
    {ssf_left_justify_text, BUTTON_TEXT_LEFT},
    {ssf_right_justify_text, BUTTON_TEXT_RIGHT},
    {ssf_darkened_background, BUTTON_DARKENED},
    {ssf_hfading, BUTTON_HFADING},
    {ssf_vfading, BUTTON_VFADING},
    {ssf_use_text_colour_for_outline, BUTTON_TEXT_COLOUR_OUTLINE},
    {ssf_shadow_text, BUTTON_SHADOW_TEXT},
    {ssf_inset_text, BUTTON_INSET_TEXT},
    {ssf_chiseled_text, BUTTON_CHISELED_TEXT},
    {ssf_icon_left, BUTTON_ICON_LEFT},
    {ssf_icon_right, BUTTON_ICON_RIGHT},
    {ssf_icon_top, BUTTON_ICON_TOP},
    {ssf_icon_bottom, BUTTON_ICON_BOTTOM},
    {ssf_icon_attach_to_text, BUTTON_ICON_ATTACHED},
    {ssf_wrap_text, BUTTON_WRAP_TEXT},
    {ssf_dont_resize_image, BUTTON_DONT_RESIZE_SKIN},
};
const FLAG_MAP kStyleExtendedFlags[] = {
    {ssef_left_arrow, BUTTON_ARROW_LEFT},
    {ssef_right_arrow, BUTTON_ARROW_RIGHT},
    {ssef_up_arrow, BUTTON_ARROW_UP},
    {ssef_down_arrow, BUTTON_ARROW_DOWN},
    {ssef_invert_vfading_on_press, BUTTON_INVERT_VFADING},
    {ssef_dont_mask_click, BUTTON_HIT_RECTANGLE},
};

INT_U32 button_flags_from_style(INT_U32 ssf, INT_U32 ssef) {
  INT_U32 flags = 0;
  if ((ssf & ssf_draw_border) && (ssf & (ssf_indent_border | ssf_outstanding_border)))
    flags |= BUTTON_FIXED_BORDER;
  for (const FLAG_MAP& m : kStyleFlags)
    if (ssf & m.style_bit) flags |= m.button_bit;
  for (const FLAG_MAP& m : kStyleExtendedFlags)
    if (ssef & m.style_bit) flags |= m.button_bit;
  return flags;
}

// Suffixes of the state skin files, in skin order.
const char* const kSkinSuffixes[BUTTON_SKIN_COUNT] = {
    "_up",           "_down",        "_disabled",          "_over",
    "_active_up",    "_active_down", "_active_disabled",   "_active_over",
    "_highlighted",  "_flashing",    "_dragging"};
// The style's state image behind each skin.
const int kSkinStyleImages[BUTTON_SKIN_COUNT] = {
    STYLE_IMAGE_UP,          STYLE_IMAGE_DOWN,        STYLE_IMAGE_DISABLED,
    STYLE_IMAGE_OVER,        STYLE_IMAGE_ACTIVE_UP,   STYLE_IMAGE_ACTIVE_DOWN,
    STYLE_IMAGE_ACTIVE_DISABLED, STYLE_IMAGE_ACTIVE_OVER, STYLE_IMAGE_HIGHLIGHTED,
    STYLE_IMAGE_FLASHING,    STYLE_IMAGE_DRAGGING};

}  // namespace

// ---- construction ----------------------------------------------------------------

WM_BUTTON::WM_BUTTON(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const WM_STYLE_SET* style,
                     const char* txt, const char* hint_text, WM_ACTION_CALLBACK callback,
                     INT_WORD arg1, INT_WORD arg2, INT_U8 events)
    : WM_SCREEN_OBJECT(style->visible, callback, arg1, arg2) {
  flashing_text.set_string(&flashing_text.value, "");
  shading_type = style->shading_type;
  const INT_U32 mode = (style->ssef & ssef_auto_depress)    ? BUTTON_PRESS_FOLLOWS_POINTER
                       : (style->ssef & ssef_auto_actiavte) ? BUTTON_PRESS_ON_ENTRY
                                                            : BUTTON_PRESS_NORMAL;
  const COLOUR* active = is_set(style->active_colour) ? &style->active_colour : &style->bg_colour;
  init(x1, y1, x2, y2, txt, &style->bg_colour, active, &style->highlight_colour, mode,
       style->font_id, style->font_x_sz, style->font_y_sz, style->border_left_gap,
       style->border_right_gap, style->border_top_gap, style->border_bottom_gap,
       style->x_spacing, style->y_spacing, events);
  border_mask = (style->ssf & ssf_draw_border)
                    ? static_cast<INT_U16>((style->shading_flags & ~0x8000u) |
                                           ((style->ssf & ssf_indent_border) ? 0x8000u : 0))
                    : 0;
  button_flags = button_flags_from_style(style->ssf, style->ssef);
  text_colour = style->fg_colour;
  if (is_set(style->fading_colour)) fading_colour = style->fading_colour;
  if (is_set(style->highlight_text_colour)) highlight_text_colour = style->highlight_text_colour;
  if (is_set(style->bevel_colour)) colour = style->bevel_colour;
  if (is_set(style->mouse_over_colour)) mouse_over_colour = style->mouse_over_colour;
  if (is_set(style->mouse_over_text_colour)) mouse_over_text_colour = style->mouse_over_text_colour;
  if (is_set(style->flashing_text_colour)) flashing_text_colour = style->flashing_text_colour;
  if (is_set(style->active_text_colour)) active_text_colour = style->active_text_colour;
  if (hint_text) set_hint(hint_text);
  if (style->ssf & ssf_disabled) {
    pressed = 0;
    enabled = 0;
  }
  if (style->ssef & ssef_indent_when_active) indent_when_active = 1;
  if (style->image_filename) load_state_skins(style->image_path, style->image_filename, style);
  if (is_set(style->underline_colour)) underline_colour = style->underline_colour;
}

WM_BUTTON::WM_BUTTON(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* back,
                     const COLOUR* text_col, const char* txt, INT_U8 fnt, INT_S16 fw, INT_S16 fh,
                     INT_U32 mode, INT_U32 flags, INT_U16 mask, WM_ACTION_CALLBACK callback,
                     INT_WORD arg1, INT_WORD arg2, INT_U8 vis, INT_U8 events)
    : WM_SCREEN_OBJECT(vis, callback, arg1, arg2) {
  flashing_text.set_string(&flashing_text.value, "");
  init(x1, y1, x2, y2, txt, back, back, back, mode, fnt, fw, fh, -1, -1, -1, -1, -1, -1, events);
  border_mask = mask;
  button_flags = flags;
  text_colour = text_col ? *text_col : 0;
}

WM_BUTTON::WM_BUTTON(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* back,
                     const COLOUR* text_col, const char* txt, INT_U32 mode, INT_U32 flags,
                     INT_U16 mask, WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2,
                     INT_U8 vis, INT_U8 events)
    : WM_BUTTON(x1, y1, x2, y2, back, text_col, txt, kDefaultFont, -1, -1, mode, flags, mask,
                callback, arg1, arg2, vis, events) {}

void WM_BUTTON::init(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const char* txt,
                     const COLOUR* back, const COLOUR* active_back, const COLOUR* highlight,
                     INT_U32 mode, INT_U8 fnt, INT_S16 fw, INT_S16 fh, INT_S16 lg, INT_S16 rg,
                     INT_S16 tg, INT_S16 bg, INT_S16 xs, INT_S16 ys, INT_U8 events) {
  if (!wm_button_hint_style_ready) write_builtin_hint_style();
  IMAGE* s = wm_surface;
  font = fnt == kDefaultFont && s ? static_cast<INT_U8>(s->font) : fnt;
  font_w = fw == -1 && s ? s->font_width : fw;
  font_h = fh == -1 && s ? s->font_height : fh;

  right_button_drags = 1;
  drag_shown = 0;
  drag_x = drag_y = -1;
  drag_callback = nullptr;
  drag_arg1 = drag_arg2 = 0;

  const INT_S16 border = static_cast<INT_S16>(border_width(1));
  left_gap = lg == -1 ? border : lg;
  right_gap = rg == -1 ? border : rg;
  top_gap = tg == -1 ? border : tg;
  bottom_gap = bg == -1 ? border : bg;
  x_spacing = xs == -1 ? left_gap : xs;
  y_spacing = ys == -1 ? top_gap : ys;

  if (!txt) txt = "";
  width = static_cast<INT_S16>(x2 - x1 + 1);
  if (width <= 0) {
    const INT_S32 tw = s ? s->text_width(font, static_cast<INT_U16>(font_w),
                                         static_cast<INT_U16>(font_h), txt)
                         : 0;
    width = static_cast<INT_S16>(tw + left_gap + right_gap);
  }
  height = static_cast<INT_S16>(y2 - y1 + 1);
  if (height <= 0) {
    const INT_S16 fhgt = font_h == -1 && s ? s->font_height : font_h;
    height = static_cast<INT_S16>(fhgt + top_gap + bottom_gap);
  }
  x = x1;
  y = y1;

  enabled = 1;
  border_mask = 15;
  back_colour = back ? *back : 0;
  active_back_colour = active_back ? *active_back : 0;
  highlight_colour = highlight ? *highlight : 0;
  press_mode = mode;
  click_events = events;
  if (!set_text(txt, 0)) report_fatal_error(kErrorButtonTitle, nullptr);

  flash_showing = 0;
  flash_mask = 32;
  kind |= WM_KIND_BUTTON;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

WM_BUTTON::~WM_BUTTON() {
  wm_release_dying_object(this);
  if (wm_idle_click_button == this) {
    if (wm_page_manager) {
      wm_page_manager->pointer_override_x = -1;
      wm_page_manager->pointer_override_y = -1;
      wm_page_manager->pointer_override_button = 0;
    }
    wm_idle_click_button = nullptr;
  }
  set_hint(nullptr);
  delete[] text;
  text = nullptr;
  remove_popup(this, 0, 0);
  release_state_skins();
  flashing_text.free_string(&flashing_text.value);
}

// ---- text, icon, state --------------------------------------------------------------

INT_U8 WM_BUTTON::set_text(const char* new_text, INT_U8 fit_width) {
  if (!new_text) return 0;
  if (visible) show();
  delete[] text;
  const size_t n = strlen(new_text);
  text = new (std::nothrow) char[n + 1];
  if (!text) return 0;
  memcpy(text, new_text, n + 1);
  if (fit_width && wm_surface) {
    IMAGE* s = wm_surface;
    const INT_S32 wanted = s->text_width(static_cast<INT_U8>(s->font),
                                         static_cast<INT_U16>(s->font_width),
                                         static_cast<INT_U16>(s->font_height), text) + 1;
    if (width < wanted) width = static_cast<INT_S16>(wanted);
  }
  return 1;
}

void WM_BUTTON::set_icon(const IMAGE* picture) {
  if (!picture) return;
  icon.create(static_cast<INT_S16>(picture->width), static_cast<INT_S16>(picture->height));
  icon.blit(picture, 0, 0, 0, 0, static_cast<INT_S16>(picture->width),
            static_cast<INT_S16>(picture->height), BLIT_COPY);
  if (visible) show();
}

void WM_BUTTON::set_enabled(INT_U8 on) {
  if (visible) show();
  if (!on) pressed = 0;
  enabled = on;
}

void WM_BUTTON::reset_state() {
  pressed = 0;
  was_left_down = 0;
  armed = 0;
  hover = 0;
  press_time = 0;
  repeating = 0;
  if (visible) show();
}

WM_BUTTON* WM_BUTTON::set_shortcut_key(INT_U32 keycode) {
  shortcut_key = keycode;
  return this;
}

INT_U8 WM_BUTTON::can_focus() { return enabled && focusable; }

// ---- state skins -------------------------------------------------------------------------

INT_U8 WM_BUTTON::load_state_skins(const char* folder_path, const char* base_name,
                                   const WM_STYLE_SET* style) {
  if (style && style->is_loaded()) {
    for (int i = 0; i < BUTTON_SKIN_COUNT; ++i)
      if (const SKIN_FRAME* f = style->state_images[kSkinStyleImages[i]])
        state_skins[i].copy_from(f);
    if (const SKIN_FRAME* base = style->state_images[STYLE_IMAGE_BASE]) {
      if (!state_skins[BUTTON_SKIN_UP].is_valid()) state_skins[BUTTON_SKIN_UP].copy_from(base);
      if (!state_skins[BUTTON_SKIN_DOWN].is_valid()) state_skins[BUTTON_SKIN_DOWN].copy_from(base);
    }
    return has_state_skins();
  }
  if (!base_name) {
    release_state_skins();
    return 0;
  }
  const std::string base(base_name);
  for (int i = 0; i < BUTTON_SKIN_COUNT; ++i) {
    state_skins[i].load(folder_path, (base + kSkinSuffixes[i]).c_str(), 0);
    if ((i == BUTTON_SKIN_UP || i == BUTTON_SKIN_DOWN) && !state_skins[i].is_valid())
      state_skins[i].load(folder_path, base.c_str(), 0);
  }
  return has_state_skins();
}

INT_U8 WM_BUTTON::load_state_skins_from_folder(const FOLDER* folder, const char* base_name,
                                               const WM_STYLE_SET* style) {
  char path[4096];
  path[0] = '\0';
  if (folder) folder->get_path_text(path, nullptr);
  return load_state_skins(path, base_name, style);
}

void WM_BUTTON::release_state_skins() {
  for (SKIN_FRAME& f : state_skins) f.release();
}

INT_U8 WM_BUTTON::has_state_skins() const {
  return state_skins[BUTTON_SKIN_UP].is_valid() && state_skins[BUTTON_SKIN_DOWN].is_valid();
}

void WM_BUTTON::recolour_state_skins(const COLOUR* back, const COLOUR* text_col,
                                     const COLOUR* third, INT_U8 three_colour) {
  if (back) back_colour = active_back_colour = *back;
  if (text_col) text_colour = *text_col;
  if (has_state_skins()) {
    for (int i = 0; i <= BUTTON_SKIN_HIGHLIGHTED; ++i) {
      if (three_colour)
        state_skins[i].colourise(back, text_col, third);
      else
        state_skins[i].tint(back);
    }
  }
  show();
}

// ---- visibility ----------------------------------------------------------------------------

void WM_BUTTON::show() {
  if (drag_shown) {
    const INT_S16 dx = static_cast<INT_S16>(drag_x + grab_dx), dy = static_cast<INT_S16>(drag_y + grab_dy);
    invalidate_rect(dx, dy, static_cast<INT_S16>(dx + width - 1), static_cast<INT_S16>(dy + height - 1));
  }
  WM_SCREEN_OBJECT::show();
}

void WM_BUTTON::hide(INT_U8 popups, INT_U8 children_too) {
  if (hint) {
    hint->hide(0, 0);
    remove_popup(hint, 0, 0);
  }
  WM_SCREEN_OBJECT::hide(popups, children_too);
}

INT_U8 WM_BUTTON::is_over(INT_S16 px, INT_S16 py) {
  const bool shaped = has_state_skins() && !(button_flags & BUTTON_HIT_RECTANGLE);
  return widgets::is_over_shaped(this, px, py, shaped ? &state_skins[BUTTON_SKIN_UP] : nullptr);
}

INT_S32 WM_BUTTON::update(INT_U8 popups) {
  if (widgets::flash_phase_changed(flashing_text, visible, flash_mask, &flash_showing)) show();
  INT_S32 r = 0;
  wm_call_survives(this, [&] { r = WM_SCREEN_OBJECT::update(popups); });
  return r;
}
