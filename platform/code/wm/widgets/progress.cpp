// Progress bar: construction, images, titles, the overlay animation and the
// pump that keeps the window alive while work runs inside one frame.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "clock.h"
#include "errors.h"
#include "folder.h"
#include "image.h"
#include "page_manager.h"
#include "style_set.h"
#include "utilities.h"
#include "window.h"
#include "wm_globals.h"
#include "wm_progress.h"
#include "../wm_internal.h"

void (*progress_update_platform)() = update_platform;
void (*progress_swap_screens)(INT_S16 display) = swap_screens;
INT_S64 progress_last_pump_second = 0;

namespace {

const INT_U32 kErrorDimensions = 0x110;
const INT_U32 kErrorTitleMemory = 0x111;

const INT_U16 kUnsetSize = 65535;
const INT_U8 kDefaultFont = 255;
const INT_S16 kDefaultUpdateRate = 300;

char* copy_text(const char* text) {
  const size_t n = std::strlen(text) + 1;
  char* copy = new (std::nothrow) char[n];
  if (!copy) report_fatal_error(kErrorTitleMemory, nullptr);
  std::memcpy(copy, text, n);
  return copy;
}

INT_U8 style_flags(const WM_STYLE_SET* style) {
  INT_U8 f = 0;
  if (!(style->ssf & ssf_draw_border)) f |= PB_FLAG_NO_BORDER;
  if (style->ssf & ssf_dont_resize_image) f |= PB_FLAG_NO_RESIZE;
  if (style->ssef & ssef_pb_only_draw_bar) f |= PB_FLAG_ONLY_BAR;
  if (style->ssef & ssef_pb_vertical) f |= PB_FLAG_VERTICAL;
  if (style->ssef & ssef_pb_no_shading) f |= PB_FLAG_NO_SHADING;
  if (style->ssef & ssef_pb_position_text_on_bar) f |= PB_FLAG_TEXT_ON_BAR;
  if (style->ssef & ssef_pb_draw_alt_percentage) f |= PB_FLAG_REMAINING_TEXT;
  return f;
}

INT_S32 image_width(const IMAGE* im) { return im ? im->width : 0; }
INT_S32 image_height(const IMAGE* im) { return im ? im->height : 0; }

// One axis of the overlay scroll: the offset moved on by the time passed.
// Returns whether the offset changed.
bool step_axis(INT_S16 rate, INT_S32 size, INT_U32 now, INT_U32 rate_limit, INT_U32& last,
               INT_S16& offset) {
  if (size == 0 || rate == 0) return false;
  if (now - last <= rate_limit) return false;
  const INT_U32 magnitude = rate < 0 ? static_cast<INT_U32>(-static_cast<INT_S32>(rate))
                                     : static_cast<INT_U32>(rate);
  INT_S32 step = static_cast<INT_S32>(((now - last) / magnitude) % static_cast<INT_U32>(size));
  if (rate < 0) step = -step;
  INT_S32 moved = offset + step;
  if (moved > size) moved -= size;
  if (moved < 0) moved += size;
  const bool changed = moved != offset;
  offset = static_cast<INT_S16>(moved);
  last = now;
  return changed;
}

}  // namespace

WM_PROGRESS_BAR::WM_PROGRESS_BAR(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h, const char* text,
                                 INT_S32 max, const WM_STYLE_SET* style)
    : WM_SCREEN_OBJECT(style->visible, nullptr, 0, 0),
      background_frame(&wm_skin_cache),
      empty_frame(&wm_skin_cache),
      full_frame(&wm_skin_cache),
      alt_frame(&wm_skin_cache) {
  shading_type = style->shading_type;
  init(px, py, w, h, text, max, &style->bg_colour, &style->fg_colour, &style->highlight_colour,
       style_flags(style), style->font_id, static_cast<INT_U16>(style->font_x_sz),
       static_cast<INT_U16>(style->font_y_sz), static_cast<INT_U16>(style->border_left_gap),
       static_cast<INT_U16>(style->border_right_gap), static_cast<INT_U16>(style->border_top_gap),
       static_cast<INT_U16>(style->border_bottom_gap));
  // An unset style colour is not copied: the text keeps the label's colour.
  if (colour_is_visible(style->highlight_text_colour)) text_colour = style->highlight_text_colour;
  if (style->image_filename) load_images(style->image_path, style->image_filename, style);
  if (colour_alpha(style->bevel_colour)) colour = style->bevel_colour;
}

WM_PROGRESS_BAR::~WM_PROGRESS_BAR() {
  release_focus();  // a class that lets it take the focus: told while whole
  delete[] label;
  delete[] title;
  alt_frame.release();
  full_frame.release();
  empty_frame.release();
  background_frame.release();
}

void WM_PROGRESS_BAR::init(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h, const char* text,
                           INT_S32 max, const COLOUR* background, const COLOUR* label_col,
                           const COLOUR* fill, INT_U8 f, INT_U8 font_id, INT_U16 fw, INT_U16 fh,
                           INT_U16 gl, INT_U16 gr, INT_U16 gt, INT_U16 gb) {
  label = title = nullptr;  // before anything can fail, for the destructor
  // A bar of no size would paint from its corner backwards, outside itself.
  if (w < 1) w = 1;
  if (h < 1) h = 1;
  if (font_id == kDefaultFont && wm_surface) font_id = static_cast<INT_U8>(wm_surface->font);
  if (fw == kUnsetSize && wm_surface) fw = static_cast<INT_U16>(wm_surface->font_width);
  if (fh == kUnsetSize && wm_surface) fh = static_cast<INT_U16>(wm_surface->font_height);
  if (gl == kUnsetSize) gl = static_cast<INT_U16>(static_cast<INT_S16>(fw) / 2);
  if (gr == kUnsetSize) gr = static_cast<INT_U16>(static_cast<INT_S16>(fw) / 2);
  const INT_S32 spare = h - static_cast<INT_S16>(fh);
  if (gt == kUnsetSize) gt = static_cast<INT_U16>(spare < 0 ? 0 : spare / 2);
  if (gb == kUnsetSize) gb = static_cast<INT_U16>(spare < 0 ? 0 : spare / 2);

  value = 0;
  x = px;
  y = py;
  width = w;
  height = h;
  maximum = max;
  background_colour = *background;
  label_colour = *label_col;
  fill_colour = *fill;
  text_colour = remaining_text_colour = label_colour;
  remaining_colour = COLOUR_INVISIBLE;
  font = font_id;
  font_width = fw;
  font_height = fh;
  gap_left = gl;
  gap_right = gr;
  gap_top = gt;
  gap_bottom = gb;
  flags = f;
  last_x_step_ms = last_y_step_ms = get_time_ms();
  animation_x_rate = animation_y_rate = 0;
  animation_update_rate = kDefaultUpdateRate;

  // The rectangle must lie on the screen of the display holding its corner.
  const INT_S16 display = get_display_of_point(px, py);
  const INT_S32 rx = px - get_display_origin_x(display);
  const INT_S32 ry = py - get_display_origin_y(display);
  const INT_S32 sw = get_screen_width(static_cast<INT_U16>(display));
  const INT_S32 sh = get_screen_height(static_cast<INT_U16>(display));
  if (rx < 0 || ry < 0 || ry + h > sh || rx + w > sw) report_fatal_error(kErrorDimensions, nullptr);

  if (text && !(flags & PB_FLAG_VERTICAL)) label = copy_text(text);
  kind |= WM_KIND_PROGRESS_BAR;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

// ---- Images ------------------------------------------------------------------

bool WM_PROGRESS_BAR::has_skin() const { return empty_frame.is_valid() && full_frame.is_valid(); }

void WM_PROGRESS_BAR::release_images() {
  background_frame.release();
  empty_frame.release();
  full_frame.release();
}

bool WM_PROGRESS_BAR::load_images(const char* folder_path, const char* base_name,
                                  const WM_STYLE_SET* style) {
  struct Slot {
    SKIN_FRAME* frame;
    int style_image;
    const char* suffix;
  };
  const Slot slots[] = {{&background_frame, STYLE_IMAGE_BG, "_bg"},
                        {&empty_frame, STYLE_IMAGE_EMPTY, "_empty"},
                        {&full_frame, STYLE_IMAGE_FULL, "_full"},
                        {&alt_frame, STYLE_IMAGE_ALTERNATE, "_alt"}};
  if (style && style->is_loaded()) {
    for (const Slot& s : slots)
      if (const SKIN_FRAME* image = style->state_images[s.style_image]) s.frame->copy_from(image);
  } else if (base_name) {
    char name[STYLE_PATH_SIZE];
    for (const Slot& s : slots) {
      std::snprintf(name, sizeof name, "%s%s", base_name, s.suffix);
      s.frame->load(folder_path, name, 0);
    }
  } else {
    release_images();
    return false;
  }
  return has_skin();
}

bool WM_PROGRESS_BAR::load_images(FOLDER* folder, const char* base_name,
                                  const WM_STYLE_SET* style) {
  char path[STYLE_PATH_SIZE] = "";
  if (folder) folder->get_path_text(path, nullptr);
  return load_images(path, base_name, style);
}

// ---- Title, animation, pump -------------------------------------------------

void WM_PROGRESS_BAR::set_title(const char* text, INT_U8 repaint_now) {
  delete[] title;
  title = nullptr;
  if (text) title = copy_text(text);
  if (repaint_now) {
    // Drawn with whatever else waits for a frame, so that the frame shown is
    // current everywhere.
    if (wm_page_manager) {
      invalidate();
      wm_page_manager->redraw();
    } else {
      redraw_area();
    }
    progress_swap_screens(get_display_of_point(x, y));
    pump();
    return;
  }
  if (visible) show();
}

void WM_PROGRESS_BAR::animate() {
  if (animation_x_rate == 0 && animation_y_rate == 0) return;
  const INT_U32 now = get_time_ms();
  const INT_U32 rate_limit = static_cast<INT_U32>(animation_update_rate);
  const INT_S32 widest = std::max({image_width(full_frame.colay), image_width(full_frame.solay),
                                   image_width(full_frame.tolay)});
  const INT_S32 tallest =
      std::max({image_height(full_frame.colay), image_height(full_frame.solay),
                image_height(full_frame.tolay)});
  const INT_U32 last_x = last_x_step_ms, last_y = last_y_step_ms;
  if (step_axis(animation_x_rate, widest, now, rate_limit, last_x_step_ms, full_frame.overlay_x))
    full_frame.recompose = 1;
  if (step_axis(animation_y_rate, tallest, now, rate_limit, last_y_step_ms, full_frame.overlay_y))
    full_frame.recompose = 1;
  // A step was taken on either axis: have the bar drawn again (a hidden bar
  // stays hidden).
  if ((last_x != last_x_step_ms || last_y != last_y_step_ms) && visible) show();
}

void WM_PROGRESS_BAR::pump() {
  animate();
  // One platform frame per wall second for all bars together.
  const INT_S64 second = static_cast<INT_S64>(utility_clock(nullptr));
  if (second != progress_last_pump_second) {
    progress_update_platform();
    progress_last_pump_second = second;
  }
}

INT_S32 WM_PROGRESS_BAR::update(INT_U8 popups) {
  animate();
  INT_S32 r = 0;
  wm_call_survives(this, [&] { r = WM_SCREEN_OBJECT::update(popups); });
  return r;
}

void format_percentage(char* out, INT_S64 percent) {
  std::snprintf(out, PB_TEXT_SIZE, "%lld%%", static_cast<long long>(percent));
}
