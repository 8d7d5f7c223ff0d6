// Style sets: the complete look of one kind of widget (skin images, shading,
// colours, flags, font, gaps, sizes and up to 31 state images), read from
// ".ss" text files or stored as a versioned record.
#ifndef STYLE_SET_H
#define STYLE_SET_H

#include "colour.h"
#include "data_device.h"
#include "zorv_types.h"

class CONFIG_FILE;
class FOLDER;
class IMAGE;
class SKIN_FRAME;

// Drawing flags (ssf).
enum : INT_U32 {
  ssf_draw_border = 1u << 0,
  ssf_indent_border = 1u << 1,
  ssf_outstanding_border = 1u << 2,
  ssf_hfading = 1u << 3,
  ssf_vfading = 1u << 4,
  ssf_darkened_background = 1u << 5,
  ssf_left_justify_text = 1u << 6,
  ssf_right_justify_text = 1u << 7,
  ssf_use_text_colour_for_outline = 1u << 8,
  ssf_shadow_text = 1u << 9,
  ssf_inset_text = 1u << 10,
  ssf_chiseled_text = 1u << 11,
  ssf_disabled = 1u << 12,
  ssf_icon_left = 1u << 13,
  ssf_icon_right = 1u << 14,
  ssf_icon_top = 1u << 15,
  ssf_icon_bottom = 1u << 16,
  ssf_icon_attach_to_text = 1u << 17,
  ssf_wrap_text = 1u << 18,
  ssf_dont_resize_image = 1u << 19,
  ssf_top_align_text = 1u << 26,
  ssf_bottom_align_text = 1u << 27
};

// Extended flags (ssef); sb, te, grid, pb and fm name the widget that reads them.
enum : INT_U32 {
  ssef_invert_vfading_on_press = 1u << 0,
  ssef_indent_when_active = 1u << 1,
  ssef_left_arrow = 1u << 2,
  ssef_right_arrow = 1u << 3,
  ssef_up_arrow = 1u << 4,
  ssef_down_arrow = 1u << 5,
  ssef_auto_depress = 1u << 6,
  ssef_auto_actiavte = 1u << 7,
  ssef_dont_mask_click = 1u << 8,
  ssef_sb_horizontal = 1u << 9,
  ssef_sb_with_buttons = 1u << 10,
  ssef_te_password = 1u << 11,
  ssef_grid_fix_top_row = 1u << 12,
  ssef_grid_two_tone = 1u << 13,
  ssef_grid_type_lines = 1u << 14,
  ssef_grid_type_cells = 1u << 15,
  ssef_grid_scroll_by_line = 1u << 16,
  ssef_grid_no_scrollbar = 1u << 17,
  ssef_grid_only_draw_used_lines = 1u << 18,
  ssef_pb_only_draw_bar = 1u << 19,
  ssef_pb_vertical = 1u << 20,
  ssef_pb_no_shading = 1u << 21,
  ssef_pb_position_text_on_bar = 1u << 22,
  ssef_pb_draw_alt_percentage = 1u << 23,
  ssef_fm_hide_scrolling_arrows = 1u << 24,
  ssef_grid_dont_shorten_scrollbar = 1u << 25
};

// Scaling flags (sssf): which sizes keep their value on a new screen size.
enum : INT_U8 {
  sssf_retain_width = 1u << 0,
  sssf_retain_left_border = 1u << 1,
  sssf_retain_right_border = 1u << 2,
  sssf_retain_x_font_size = 1u << 3,
  sssf_retain_height = 1u << 4,
  sssf_retain_top_border = 1u << 5,
  sssf_retain_bottom_border = 1u << 6,
  sssf_retain_y_font_size = 1u << 7
};

// State image slots.
enum {
  STYLE_IMAGE_BASE = 0,
  STYLE_IMAGE_UP,
  STYLE_IMAGE_DOWN,
  STYLE_IMAGE_DISABLED,
  STYLE_IMAGE_OVER,
  STYLE_IMAGE_ACTIVE_UP,
  STYLE_IMAGE_ACTIVE_DOWN,
  STYLE_IMAGE_ACTIVE_DISABLED,
  STYLE_IMAGE_ACTIVE_OVER,
  STYLE_IMAGE_HIGHLIGHTED,
  STYLE_IMAGE_ALTERNATE,
  STYLE_IMAGE_FLASHING,
  STYLE_IMAGE_DRAGGING,
  STYLE_IMAGE_BG,
  STYLE_IMAGE_EMPTY,
  STYLE_IMAGE_FULL,
  STYLE_IMAGE_BAR,
  STYLE_IMAGE_BAR_DISABLED,
  STYLE_IMAGE_BAR_OVER,
  STYLE_IMAGE_SLIDER_UP,
  STYLE_IMAGE_SLIDER_DOWN,
  STYLE_IMAGE_SLIDER_DISABLED,
  STYLE_IMAGE_SLIDER_OVER,
  STYLE_IMAGE_LESS_UP,
  STYLE_IMAGE_LESS_DOWN,
  STYLE_IMAGE_LESS_DISABLED,
  STYLE_IMAGE_LESS_OVER,
  STYLE_IMAGE_MORE_UP,
  STYLE_IMAGE_MORE_DOWN,
  STYLE_IMAGE_MORE_DISABLED,
  STYLE_IMAGE_MORE_OVER,
  STYLE_IMAGE_COUNT
};

enum { STYLE_SET_RECORD_VERSION = 8, STYLE_PATH_SIZE = 2048 };

typedef INT_U8 (*STYLE_FONT_LOOKUP)(const char* font_name, INT_WORD arg);
typedef const char* (*STYLE_FONT_NAMING)(INT_U8 font_id, INT_WORD arg);

class WM_STYLE_SET : public DATA_DEVICE_CLIENT {
 public:
  WM_STYLE_SET();
  ~WM_STYLE_SET() override;
  WM_STYLE_SET(const WM_STYLE_SET& other);
  WM_STYLE_SET& operator=(const WM_STYLE_SET& source);

  // The record form.
  bool get_from_data_device(DATA_DEVICE* device) override;
  bool put_to_data_device(DATA_DEVICE* device) override;

  void reset();
  INT_U8 is_loaded() const { return loaded; }
  void free_state_images();
  void load_state_images();
  void set_name(const char* text);
  void set_image_filename(const char* text);
  INT_U32 get_text_flags() const;
  void rescale_style(INT_S16 old_width, INT_S16 old_height, INT_S16 new_width,
                     INT_S16 new_height);

  // The ".ss" text form; folder null = the configuration file's own folder.
  bool read_text(CONFIG_FILE* file, STYLE_FONT_LOOKUP lookup, INT_WORD arg, FOLDER* folder);
  bool write_text(CONFIG_FILE* file, STYLE_FONT_NAMING naming, INT_WORD arg, FOLDER* folder);

  // Sizes around a border (the border painter's module).
  INT_S32 padded_text_width(IMAGE* surface, const char* text) const;
  void border_gaps_x(INT_U16* out) const;
  INT_S32 border_gaps_y(INT_U16 fallback, INT_U16* out) const;

  char image_path[STYLE_PATH_SIZE];
  INT_U32 shading_type;
  COLOUR fg_colour;
  COLOUR bg_colour;
  COLOUR fading_colour;
  COLOUR highlight_colour;
  COLOUR highlight_text_colour;
  COLOUR active_colour;
  COLOUR active_text_colour;
  COLOUR bevel_colour;
  COLOUR mouse_over_colour;
  COLOUR mouse_over_text_colour;
  COLOUR flashing_colour;
  COLOUR flashing_text_colour;
  COLOUR underline_colour;
  INT_U8 visible;
  INT_U32 ssf;
  INT_U32 ssef;
  INT_U8 sssf;
  INT_U16 shading_flags;
  INT_U8 font_id;
  INT_S16 font_x_sz, font_y_sz;  // -1 = the surface's default
  INT_S16 border_left_gap, border_right_gap, border_top_gap, border_bottom_gap;  // -1 = unset
  INT_S16 cell_left_gap, cell_right_gap, cell_top_gap, cell_bottom_gap;          // -1 = unset
  INT_S16 x_spacing, y_spacing;
  INT_S16 scrollbar_button_width;
  INT_S16 scrollbar_slider_width;
  INT_S16 grid_scrollbar_width;
  INT_S16 grid_two_tone_value;
  SKIN_FRAME* state_images[STYLE_IMAGE_COUNT];
  char* image_filename;  // owned; null = none
  char* name;            // owned; null = none
  INT_U8 loaded;

 private:
  void set_defaults();
};

// The suffix of each state image slot after the base name ("" for slot 0,
// "_alternate" for slot 10, which falls back to "_alt").
extern const char* const style_image_suffixes[STYLE_IMAGE_COUNT];

// A digit, '.', '-' or '+'.
bool is_number_char(INT_U16 character);

// 0 turns state-image loading off.
extern INT_U8 wm_load_style_images;
// Image-cache flags the state images are loaded with (8: cached images only).
extern INT_U8 wm_style_image_flags;
inline INT_U8& wm_style_image_cache_flags = wm_style_image_flags;

// Longest name and image base name a record may carry.
enum { STYLE_SET_MAX_TEXT = 4096 };

#endif
