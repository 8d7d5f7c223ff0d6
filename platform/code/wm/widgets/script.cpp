// The static text label: construction, state images, text and input.
#include "wm_script.h"

#include <string>

#include "folder.h"
#include "style_set.h"
#include "wm_border.h"
#include "wm_globals.h"
#include "widget_shared.h"
#include "../wm_internal.h"

namespace {

// Style drawing flags and the label flags they become.
struct FLAG_MAP {
  INT_U32 style_bit;
  INT_U32 label_bit;
};
const FLAG_MAP kStyleFlags[] = {
    {ssf_left_justify_text, SCRIPT_TEXT_LEFT},
    {ssf_right_justify_text, SCRIPT_TEXT_RIGHT},
    {ssf_darkened_background, SCRIPT_DARKENED},
    {ssf_hfading, SCRIPT_HFADING},
    {ssf_vfading, SCRIPT_VFADING},
    {ssf_use_text_colour_for_outline, SCRIPT_TEXT_COLOUR_OUTLINE},
    {ssf_shadow_text, SCRIPT_SHADOW_TEXT},
    {ssf_inset_text, SCRIPT_INSET_TEXT},
    {ssf_chiseled_text, SCRIPT_CHISELLED_TEXT},
    {ssf_icon_left, SCRIPT_ICON_LEFT},
    {ssf_icon_right, SCRIPT_ICON_RIGHT},
    {ssf_icon_top, SCRIPT_ICON_TOP},
    {ssf_icon_bottom, SCRIPT_ICON_BOTTOM},
    {ssf_icon_attach_to_text, SCRIPT_ICON_ATTACHED},
    {ssf_wrap_text, SCRIPT_WRAP_TEXT},
    {ssf_dont_resize_image, SCRIPT_DONT_RESIZE_IMAGE},
};

INT_U32 label_flags_from_style(INT_U32 ssf) {
  INT_U32 flags = 0;
  if ((ssf & ssf_draw_border) && (ssf & ssf_indent_border)) flags |= SCRIPT_INDENT_BORDER;
  if ((ssf & ssf_draw_border) && (ssf & ssf_outstanding_border)) flags |= SCRIPT_RAISED_BORDER;
  for (const FLAG_MAP& m : kStyleFlags)
    if (ssf & m.style_bit) flags |= m.label_bit;
  return flags;
}

bool is_set(COLOUR c) { return (c >> 24) != 0; }

const INT_U8 kDefaultFont = 255;

}  // namespace

WM_SCRIPT::WM_SCRIPT(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const WM_STYLE_SET* style,
                     const char* txt)
    : WM_SCREEN_OBJECT(style->visible, nullptr, 0, 0) {
  flashing_text.set_string(&flashing_text.value, "");
  shading_type = style->shading_type;
  label_flags = label_flags_from_style(style->ssf);
  init(x1, y1, x2, y2, txt, style->font_id, style->font_x_sz, style->font_y_sz,
       &style->fg_colour, &style->bg_colour, style->border_left_gap, style->border_right_gap,
       style->border_top_gap, style->border_bottom_gap, style->x_spacing, style->y_spacing);
  border_mask = static_cast<INT_U16>(style->shading_flags & ~0x8000u);
  if ((style->ssf & ssf_draw_border) && (style->ssf & ssf_indent_border)) border_mask |= 0x8000u;
  if (is_set(style->fading_colour)) fading_colour = style->fading_colour;
  if (is_set(style->bevel_colour)) colour = style->bevel_colour;
  if (is_set(style->flashing_text_colour)) {
    if (visible) show();
    flashing_text_colour = style->flashing_text_colour;
  }
  if (is_set(style->underline_colour)) {
    if (visible) show();
    underline_colour = style->underline_colour;
  }
  if (style->image_filename) load_images(style->image_path, style->image_filename, style);
}

WM_SCRIPT::WM_SCRIPT(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const char* txt,
                     INT_U8 fnt, INT_S16 fw, INT_S16 fh, const COLOUR* text_col,
                     const COLOUR* back_col, INT_U32 flags, INT_U8 background, INT_S16 lg,
                     INT_S16 rg, INT_S16 tg, INT_S16 bg, INT_S16 xs, INT_S16 ys)
    : WM_SCREEN_OBJECT(1, nullptr, 0, 0) {
  flashing_text.set_string(&flashing_text.value, "");
  label_flags = flags;
  draw_background = background;
  init(x1, y1, x2, y2, txt, fnt, fw, fh, text_col, back_col, lg, rg, tg, bg, xs, ys);
}

void WM_SCRIPT::init(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const char* txt,
                     INT_U8 fnt, INT_S16 fw, INT_S16 fh, const COLOUR* text_col,
                     const COLOUR* back_col, INT_S16 lg, INT_S16 rg, INT_S16 tg, INT_S16 bg,
                     INT_S16 xs, INT_S16 ys) {
  // 255 and -1 stand for the surface's defaults; resolved once here, since
  // the text drawing resolves them only for measuring.
  font = fnt == kDefaultFont && wm_surface ? static_cast<INT_U8>(wm_surface->font) : fnt;
  font_w = fw == -1 && wm_surface ? wm_surface->font_width : fw;
  font_h = fh == -1 && wm_surface ? wm_surface->font_height : fh;

  const INT_S16 border = static_cast<INT_S16>(border_width(1));
  left_gap = lg == -1 ? border : lg;
  right_gap = rg == -1 ? border : rg;
  top_gap = tg == -1 ? border : tg;
  bottom_gap = bg == -1 ? border : bg;
  x_spacing = xs == -1 ? left_gap : xs;
  y_spacing = ys == -1 ? top_gap : ys;

  border_mask = 15;
  x = x1;
  y = y1;
  if (!txt) txt = "";
  text.free_string(&text.value);
  text.set_string(&text.value, txt);

  width = static_cast<INT_S16>(x2 - x1 + 1);
  if (width <= 0) {
    const INT_S32 tw = wm_surface ? wm_surface->text_width(font, font_w, font_h, txt) : 0;
    width = static_cast<INT_S16>(tw + left_gap + right_gap);
  }
  height = static_cast<INT_S16>(y2 - y1 + 1);
  if (height <= 0) {
    const INT_S16 fhgt = font_h == -1 && wm_surface ? wm_surface->font_height : font_h;
    height = static_cast<INT_S16>(fhgt + top_gap + bottom_gap);
  }

  input_target = nullptr;
  text_colour = text_col ? *text_col : 0;
  back_colour = back_col ? *back_col : 0;
  underline_colour = 0;
  flashing_text_colour = 0;
  fading_colour = 0xFF000000u;
  flash_showing = 0;
  flash_mask = 32;
  kind |= WM_KIND_SCRIPT;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

WM_SCRIPT::~WM_SCRIPT() {
  release_images();
  text.free_string(&text.value);
  flashing_text.free_string(&flashing_text.value);
}

// ---- state images ------------------------------------------------------------

INT_U8 WM_SCRIPT::load_images(const char* folder_path, const char* base_name,
                              const WM_STYLE_SET* style) {
  if (style && style->is_loaded()) {
    if (const SKIN_FRAME* base = style->state_images[STYLE_IMAGE_BASE]) up_frame.copy_from(base);
    if (const SKIN_FRAME* f = style->state_images[STYLE_IMAGE_FLASHING])
      flashing_frame.copy_from(f);
    if (!up_frame.is_valid())
      if (const SKIN_FRAME* up = style->state_images[STYLE_IMAGE_UP]) up_frame.copy_from(up);
    return has_images();
  }
  if (!base_name) {
    release_images();
    return 0;
  }
  const std::string base(base_name);
  up_frame.load(folder_path, base.c_str(), 0);
  if (!up_frame.is_valid()) up_frame.load(folder_path, (base + "_up").c_str(), 0);
  flashing_frame.load(folder_path, (base + "_flashing").c_str(), 0);
  return has_images();
}

INT_U8 WM_SCRIPT::load_images_from_folder(FOLDER* folder, const char* base_name,
                                          const WM_STYLE_SET* style) {
  char path[4096];
  path[0] = '\0';
  if (folder) folder->get_path_text(path, nullptr);
  return load_images(path, base_name, style);
}

void WM_SCRIPT::release_images() {
  up_frame.release();
  flashing_frame.release();
}

void WM_SCRIPT::set_colours(const COLOUR* back, const COLOUR* text_col, const COLOUR* third,
                            INT_U8 mask_mode) {
  if (back) back_colour = *back;
  if (text_col) text_colour = *text_col;
  if (up_frame.is_valid()) {
    if (mask_mode)
      up_frame.colourise(back, text_col, third);
    else
      up_frame.tint(back);
  }
  show();
}

// ---- text ----------------------------------------------------------------------

void WM_SCRIPT::set_text_value(const char* new_text, INT_U8 fit_width) {
  if (visible) show();
  text.set_from_string(&text.value, new_text);
  if (fit_width && wm_surface && new_text) {
    const INT_S32 wanted = wm_surface->text_width(
        static_cast<INT_U8>(wm_surface->font), static_cast<INT_U16>(wm_surface->font_width),
        static_cast<INT_U16>(wm_surface->font_height), new_text) + 1;
    if (width < wanted) width = static_cast<INT_S16>(wanted);
  }
}

INT_U16 WM_SCRIPT::text_size(const WM_STYLE_SET* style, const char* txt, INT_U16* out_width,
                          INT_U16* out_height) {
  IMAGE* s = wm_surface;
  const INT_U8 fnt = style->font_id == kDefaultFont && s ? static_cast<INT_U8>(s->font)
                                                         : style->font_id;
  const INT_S32 fw = style->font_x_sz == -1 && s ? s->font_width : style->font_x_sz;
  const INT_S32 fh = style->font_y_sz == -1 && s ? s->font_height : style->font_y_sz;

  const INT_S32 lg = style->border_left_gap, rg = style->border_right_gap;
  INT_S32 gaps_x;
  if (lg != -1 && rg != -1)
    gaps_x = lg + rg;
  else if (lg == -1 && rg == -1)
    gaps_x = fw;
  else
    gaps_x = (lg != -1 ? lg : rg) + fw / 2;

  const INT_S32 b = get_default_border_width(style->shading_type);
  const INT_S32 tg = style->border_top_gap, bg = style->border_bottom_gap;
  INT_S32 gaps_y;
  if (tg != -1 && bg != -1)
    gaps_y = tg + bg;
  else if (tg == -1 && bg == -1)
    gaps_y = 2 * b;
  else
    gaps_y = (tg != -1 ? tg : bg) + b;

  const INT_S32 tw =
      s ? s->text_width(fnt, static_cast<INT_U16>(fw), static_cast<INT_U16>(fh), txt ? txt : "")
        : 0;
  if (out_width) *out_width = static_cast<INT_U16>(gaps_x + tw + 1);
  const INT_U16 h = static_cast<INT_U16>(gaps_y + fh + 1);
  if (out_height) *out_height = h;
  return h;
}

// ---- tick and input ------------------------------------------------------------

INT_S32 WM_SCRIPT::update(INT_U8 popups) {
  if (widgets::flash_phase_changed(flashing_text, visible, flash_mask, &flash_showing)) show();
  INT_S32 r = 0;
  wm_call_survives(this, [&] { r = WM_SCREEN_OBJECT::update(popups); });
  return r;
}

INT_U8 WM_SCRIPT::is_over(INT_S16 px, INT_S16 py) {
  const bool shaped = up_frame.is_valid() && !(label_flags & SCRIPT_HIT_RECTANGLE);
  return widgets::is_over_shaped(this, px, py, shaped ? &up_frame : nullptr);
}

INT_S32 WM_SCRIPT::handle_input() {
  if (input_target) {
    INT_S32 r = 0;
    if (!wm_call_survives(this, [&] { r = input_target->handle_input(); }) || r) return r;
  }
  INT_S32 result = 0;
  wm_call_survives(this, [&] { result = WM_SCREEN_OBJECT::handle_input(); });
  return result;
}

INT_U8 WM_SCRIPT::can_focus() { return 0; }
