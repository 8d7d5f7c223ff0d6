// Style sets in memory: defaults, copying, text flags, rescaling and the
// state images loaded through the window manager's skin cache.
#include "style_set.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "fonts.h"
#include "image_cache.h"
#include "skin_frame.h"
#include "typed_value.h"

INT_U8 wm_load_style_images = 1;
INT_U8 wm_style_image_flags = 1;

const char* const style_image_suffixes[STYLE_IMAGE_COUNT] = {
    "",           "_up",          "_down",           "_disabled",     "_over",
    "_active_up", "_active_down", "_active_disabled", "_active_over", "_highlighted",
    "_alternate", "_flashing",    "_dragging",       "_bg",           "_empty",
    "_full",      "_bar",         "_bar_disabled",   "_bar_over",     "_slider_up",
    "_slider_down", "_slider_disabled", "_slider_over", "_less_up",   "_less_down",
    "_less_disabled", "_less_over", "_more_up",      "_more_down",    "_more_disabled",
    "_more_over"};

namespace {

// A private copy of a non-empty text; null for null, "" or a failed allocation.
char* copy_text(const char* text) {
  if (!text || !*text) return nullptr;
  size_t n = strlen(text);
  char* copy = new (std::nothrow) char[n + 1];
  if (copy) memcpy(copy, text, n + 1);
  return copy;
}

INT_S16 narrow16(INT_S64 v) { return static_cast<INT_S16>(static_cast<INT_U16>(static_cast<INT_U64>(v))); }
INT_S16 scaled(INT_S16 v, double ratio) { return narrow16(saturate_to_s64(v * ratio)); }

// One axis of rescale_style: a = old extent, c = new extent, lo/hi the two
// border gaps, retain bits for the extent and each gap.
void rescale_axis(INT_S32 a, INT_S32 c, INT_S16* lo, INT_S16* hi, bool keep_extent,
                  bool keep_lo, bool keep_hi) {
  const INT_S64 L = *lo, R = *hi;
  if (!keep_extent) {
    if (keep_lo && keep_hi) return;
    if (keep_lo) {
      if (a - L != 0) *hi = narrow16(static_cast<INT_S32>((c - L) * R / (a - L)));
    } else if (keep_hi) {
      if (a - R != 0) *lo = narrow16(static_cast<INT_S32>((c - R) * L / (a - R)));
    } else if (a != 0) {
      const double ratio = static_cast<double>(c) / a;
      *lo = scaled(*lo, ratio);
      *hi = scaled(*hi, ratio);
    }
    return;
  }
  if (keep_lo && keep_hi) return;
  if (keep_lo) {
    if (R != 0) *hi = narrow16(R + (c - a));
  } else if (keep_hi) {
    if (L != 0) *lo = narrow16(L + (c - a));
  } else if (L + R != 0) {
    // Both gaps share the change of the extent, each from its old value.
    const INT_S64 W = a - L - R;
    *lo = narrow16(static_cast<INT_S32>(L * (c - W) / (L + R)));
    *hi = narrow16(static_cast<INT_S32>(R * (c - W) / (L + R)));
  }
}

}  // namespace

bool is_number_char(INT_U16 character) {
  return (character >= '0' && character <= '9') || character == '.' || character == '-' ||
         character == '+';
}

WM_STYLE_SET::WM_STYLE_SET() : image_filename(nullptr), name(nullptr) {
  for (auto& slot : state_images) slot = nullptr;
  set_defaults();
}

WM_STYLE_SET::WM_STYLE_SET(const WM_STYLE_SET& other) : WM_STYLE_SET() { *this = other; }

WM_STYLE_SET::~WM_STYLE_SET() {
  delete[] name;
  delete[] image_filename;
  free_state_images();
}

void WM_STYLE_SET::set_defaults() {
  memset(image_path, 0, sizeof image_path);
  shading_type = 1;
  fg_colour = 0xFFFFFFFFu;
  bg_colour = 0xFF000000u;
  fading_colour = highlight_colour = highlight_text_colour = 0;
  active_colour = active_text_colour = bevel_colour = 0;
  mouse_over_colour = mouse_over_text_colour = 0;
  flashing_colour = flashing_text_colour = underline_colour = 0;
  visible = 1;
  ssf = ssf_draw_border | ssf_outstanding_border;
  ssef = 0;
  sssf = 238;
  shading_flags = 255;
  font_id = 255;
  font_x_sz = font_y_sz = -1;
  border_left_gap = border_right_gap = border_top_gap = border_bottom_gap = -1;
  cell_left_gap = cell_right_gap = cell_top_gap = cell_bottom_gap = -1;
  x_spacing = y_spacing = 1;
  scrollbar_button_width = 15;
  scrollbar_slider_width = 10;
  grid_scrollbar_width = 15;
  grid_two_tone_value = 20;
  loaded = 0;
}

void WM_STYLE_SET::reset() {
  free_state_images();
  set_defaults();
}

void WM_STYLE_SET::free_state_images() {
  for (auto& slot : state_images) {
    if (!slot) continue;
    slot->release();
    delete slot;
    slot = nullptr;
  }
  loaded = 0;
}

void WM_STYLE_SET::set_name(const char* text) {
  char* copy = copy_text(text);
  delete[] name;
  name = copy;
}

void WM_STYLE_SET::set_image_filename(const char* text) {
  char* copy = copy_text(text);
  delete[] image_filename;
  image_filename = copy;
}

WM_STYLE_SET& WM_STYLE_SET::operator=(const WM_STYLE_SET& source) {
  if (&source == this) return *this;
  memcpy(image_path, source.image_path, sizeof image_path);
  image_path[sizeof image_path - 1] = 0;
  shading_type = source.shading_type;
  fg_colour = source.fg_colour;
  bg_colour = source.bg_colour;
  fading_colour = source.fading_colour;
  highlight_colour = source.highlight_colour;
  highlight_text_colour = source.highlight_text_colour;
  active_colour = source.active_colour;
  active_text_colour = source.active_text_colour;
  bevel_colour = source.bevel_colour;
  mouse_over_colour = source.mouse_over_colour;
  mouse_over_text_colour = source.mouse_over_text_colour;
  flashing_colour = source.flashing_colour;
  flashing_text_colour = source.flashing_text_colour;
  underline_colour = source.underline_colour;
  visible = source.visible;
  ssf = source.ssf;
  ssef = source.ssef;
  sssf = source.sssf;
  shading_flags = source.shading_flags;
  font_id = source.font_id;
  font_x_sz = source.font_x_sz;
  font_y_sz = source.font_y_sz;
  border_left_gap = source.border_left_gap;
  border_right_gap = source.border_right_gap;
  border_top_gap = source.border_top_gap;
  border_bottom_gap = source.border_bottom_gap;
  cell_left_gap = source.cell_left_gap;
  cell_right_gap = source.cell_right_gap;
  cell_top_gap = source.cell_top_gap;
  cell_bottom_gap = source.cell_bottom_gap;
  x_spacing = source.x_spacing;
  y_spacing = source.y_spacing;
  scrollbar_button_width = source.scrollbar_button_width;
  scrollbar_slider_width = source.scrollbar_slider_width;
  grid_scrollbar_width = source.grid_scrollbar_width;
  grid_two_tone_value = source.grid_two_tone_value;
  set_name(source.name);
  set_image_filename(source.image_filename);
  free_state_images();
  for (int i = 0; i < STYLE_IMAGE_COUNT; ++i) {
    if (!source.state_images[i]) continue;
    SKIN_FRAME* frame = new (std::nothrow) SKIN_FRAME(&wm_skin_cache);
    if (!frame) break;
    frame->copy_from(source.state_images[i]);
    state_images[i] = frame;
  }
  loaded = source.loaded;
  return *this;
}

INT_U32 WM_STYLE_SET::get_text_flags() const {
  INT_U32 flags = 0;
  if (ssf & ssf_shadow_text) flags |= 1;
  if (ssf & ssf_inset_text) flags |= 2;
  if (ssf & ssf_chiseled_text) flags |= 4;
  if (ssf & ssf_top_align_text) flags |= 8;
  if (ssf & ssf_bottom_align_text) flags |= 16;
  if (ssf & ssf_left_justify_text) flags |= 32;
  if (ssf & ssf_right_justify_text) flags |= 64;
  return flags;
}

void WM_STYLE_SET::rescale_style(INT_S16 old_width, INT_S16 old_height, INT_S16 new_width,
                                 INT_S16 new_height) {
  rescale_axis(old_width, new_width, &border_left_gap, &border_right_gap,
               sssf & sssf_retain_width, sssf & sssf_retain_left_border,
               sssf & sssf_retain_right_border);
  rescale_axis(old_height, new_height, &border_top_gap, &border_bottom_gap,
               sssf & sssf_retain_height, sssf & sssf_retain_top_border,
               sssf & sssf_retain_bottom_border);
  if (!(sssf & sssf_retain_x_font_size) && old_width != 0)
    font_x_sz = scaled(font_x_sz, static_cast<double>(new_width) / old_width);
  if (!(sssf & sssf_retain_y_font_size) && old_height != 0)
    font_y_sz = scaled(font_y_sz, static_cast<double>(new_height) / old_height);
}

void WM_STYLE_SET::load_state_images() {
  if (!image_filename || !wm_load_style_images) return;
  free_state_images();
  SKIN_FRAME* frame = new (std::nothrow) SKIN_FRAME(&wm_skin_cache);
  if (!frame) return;
  // Image names are file names: a base name too long to carry a suffix
  // within one path segment finds no image for that slot.
  char image_name[256];
  auto try_load = [&](const char* suffix) {
    int n = snprintf(image_name, sizeof image_name, "%s%s", image_filename, suffix);
    if (n < 0 || static_cast<size_t>(n) >= sizeof image_name) {
      frame->release();
      return false;
    }
    frame->load(image_path, image_name, wm_style_image_flags);
    return frame->is_valid() != 0;
  };
  for (int i = 0; i < STYLE_IMAGE_COUNT; ++i) {
    bool found = try_load(style_image_suffixes[i]);
    if (!found && i == STYLE_IMAGE_ALTERNATE) found = try_load("_alt");
    if (!found) continue;
    state_images[i] = frame;
    frame = new (std::nothrow) SKIN_FRAME(&wm_skin_cache);
    if (!frame) return;  // the slots filled so far stay; loaded stays 0
  }
  frame->release();
  delete frame;
  loaded = 1;
}
