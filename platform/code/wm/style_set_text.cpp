// The ".ss" text form of a style set: one configuration entry per field,
// colours as "#AARRGGBB", folders relative to the file's own with "$HERE".
#include <cstdio>
#include <cstring>

#include "config_file.h"
#include "folder.h"
#include "style_set.h"

bool is_known_path_variable(const char* name);

namespace {

struct FLAG_KEY {
  const char* key;
  INT_U32 bit;
};

// In reading (and writing) order.
const FLAG_KEY kSsfKeys[] = {
    {"ssf_draw_border", 0},        {"ssf_indent_border", 1},
    {"ssf_outstanding_border", 2}, {"ssf_hfading", 3},
    {"ssf_vfading", 4},            {"ssf_darkened_background", 5},
    {"ssf_left_justify_text", 6},  {"ssf_right_justify_text", 7},
    {"ssf_top_align_text", 26},    {"ssf_bottom_align_text", 27},
    {"ssf_use_text_colour_for_outline", 8}, {"ssf_shadow_text", 9},
    {"ssf_inset_text", 10},        {"ssf_chiseled_text", 11},
    {"ssf_disabled", 12},          {"ssf_icon_left", 13},
    {"ssf_icon_right", 14},        {"ssf_icon_top", 15},
    {"ssf_icon_bottom", 16},       {"ssf_icon_attach_to_text", 17},
    {"ssf_wrap_text", 18},         {"ssf_dont_resize_image", 19}};

// Older spellings of extended flags, read only.
const FLAG_KEY kOldSsefKeys[] = {
    {"ssf_invert_vfading_on_press", 0}, {"ssf_indent_when_active", 1},
    {"ssf_left_arrow", 2},              {"ssf_right_arrow", 3},
    {"ssf_up_arrow", 4},                {"ssf_down_arrow", 5},
    {"ssf_auto_depress", 6},            {"ssf_auto_actiavte", 7},
    {"ssf_sb_horizontal", 9},           {"ssf_sb_with_buttons", 10},
    {"ssf_te_password", 11},            {"ssf_grid_fix_top_row", 12},
    {"ssf_grid_two_tone", 13},          {"ssf_grid_type_lines", 14},
    {"ssf_grid_type_cells", 15}};

const FLAG_KEY kSsefKeys[] = {
    {"ssef_invert_vfading_on_press", 0}, {"ssef_indent_when_active", 1},
    {"ssef_left_arrow", 2},              {"ssef_right_arrow", 3},
    {"ssef_up_arrow", 4},                {"ssef_down_arrow", 5},
    {"ssef_auto_depress", 6},            {"ssef_auto_actiavte", 7},
    {"ssef_dont_mask_click", 8},         {"ssef_sb_horizontal", 9},
    {"ssef_sb_with_buttons", 10},        {"ssef_te_password", 11},
    {"ssef_grid_fix_top_row", 12},       {"ssef_grid_two_tone", 13},
    {"ssef_grid_type_lines", 14},        {"ssef_grid_type_cells", 15},
    {"ssef_grid_scroll_by_line", 16},    {"ssef_grid_no_scrollbar", 17},
    {"ssef_grid_only_draw_used_lines", 18}, {"ssef_grid_dont_shorten_scrollbar", 25},
    {"ssef_pb_only_draw_bar", 19},       {"ssef_pb_vertical", 20},
    {"ssef_pb_no_shading", 21},          {"ssef_pb_position_text_on_bar", 22},
    {"ssef_pb_draw_alt_percentage", 23}, {"ssef_fm_hide_scrolling_arrows", 24}};

const FLAG_KEY kSssfKeys[] = {
    {"sssf_retain_width", 0},       {"sssf_retain_left_border", 1},
    {"sssf_retain_right_border", 2}, {"sssf_retain_x_font_size", 3},
    {"sssf_retain_height", 4},      {"sssf_retain_top_border", 5},
    {"sssf_retain_bottom_border", 6}, {"sssf_retain_y_font_size", 7}};

struct COLOUR_KEY {
  const char* key;
  COLOUR WM_STYLE_SET::*field;
};

// The first six are required.
const COLOUR_KEY kColourKeys[] = {
    {"fg_colour", &WM_STYLE_SET::fg_colour},
    {"bg_colour", &WM_STYLE_SET::bg_colour},
    {"fading_colour", &WM_STYLE_SET::fading_colour},
    {"highlight_colour", &WM_STYLE_SET::highlight_colour},
    {"highlight_text_colour", &WM_STYLE_SET::highlight_text_colour},
    {"active_colour", &WM_STYLE_SET::active_colour},
    {"active_text_colour", &WM_STYLE_SET::active_text_colour},
    {"mouse_over_colour", &WM_STYLE_SET::mouse_over_colour},
    {"mouse_over_text_colour", &WM_STYLE_SET::mouse_over_text_colour},
    {"flashing_colour", &WM_STYLE_SET::flashing_colour},
    {"flashing_text_colour", &WM_STYLE_SET::flashing_text_colour},
    {"underline_colour", &WM_STYLE_SET::underline_colour}};
const int kRequiredColours = 6;

struct SHORT_KEY {
  const char* key;
  INT_S16 WM_STYLE_SET::*field;
};

const SHORT_KEY kShortKeys[] = {
    {"border_left_gap", &WM_STYLE_SET::border_left_gap},
    {"border_right_gap", &WM_STYLE_SET::border_right_gap},
    {"border_top_gap", &WM_STYLE_SET::border_top_gap},
    {"border_bottom_gap", &WM_STYLE_SET::border_bottom_gap},
    {"cell_left_gap", &WM_STYLE_SET::cell_left_gap},
    {"cell_right_gap", &WM_STYLE_SET::cell_right_gap},
    {"cell_top_gap", &WM_STYLE_SET::cell_top_gap},
    {"cell_bottom_gap", &WM_STYLE_SET::cell_bottom_gap},
    {"x_spacing", &WM_STYLE_SET::x_spacing},
    {"y_spacing", &WM_STYLE_SET::y_spacing},
    {"scrollbar_button_width", &WM_STYLE_SET::scrollbar_button_width},
    {"scrollbar_slider_width", &WM_STYLE_SET::scrollbar_slider_width},
    {"grid_scrollbar_width", &WM_STYLE_SET::grid_scrollbar_width},
    {"grid_two_tone_value", &WM_STYLE_SET::grid_two_tone_value}};

template <typename T>
void apply_flags(CONFIG_FILE* file, FOLDER* folder, const FLAG_KEY* keys, size_t count,
                 T* flags) {
  for (size_t i = 0; i < count; ++i) {
    INT_S32 v = 0;
    if (!file->get_long(folder, keys[i].key, &v, 0)) continue;
    const T bit = static_cast<T>(1u << keys[i].bit);
    if (v & 0xFF)
      *flags = static_cast<T>(*flags | bit);
    else
      *flags = static_cast<T>(*flags & ~bit);
  }
}

template <typename T>
bool write_flags(CONFIG_FILE* file, FOLDER* folder, const FLAG_KEY* keys, size_t count, T flags) {
  for (size_t i = 0; i < count; ++i)
    if (!file->set_long(folder, keys[i].key, (flags >> keys[i].bit) & 1, 0)) return false;
  return true;
}

// A number key whose value is kept as its low bits; unparsable text keeps
// the field's value.
bool read_number(CONFIG_FILE* file, FOLDER* folder, const char* key, INT_S32* value) {
  return file->get_long(folder, key, value, 0);
}

// Whether a path text is free of unknown variables (which end the program
// when a folder is set from them).
bool names_known_variable(const char* text) {
  if (text[0] != '$') return true;
  char name[256];
  const size_t n = strcspn(text, "/");
  snprintf(name, sizeof name, "%.*s", static_cast<int>(n > 255 ? 255 : n), text);
  return is_known_path_variable(name);
}

}  // namespace

bool WM_STYLE_SET::read_text(CONFIG_FILE* file, STYLE_FONT_LOOKUP lookup, INT_WORD arg,
                             FOLDER* folder) {
  if (!file) return false;
  char value[CONFIG_VALUE_SIZE];
  sssf = 238;
  ssf = 0;
  ssef = 0;

  if (file->get_string(folder, "name", value)) set_name(value);
  if (!file->get_string(folder, "image_filename", value)) return false;
  set_image_filename(value);
  if (!file->get_string(folder, "image_path", value)) return false;
  if (strncmp(value, "$HERE", 5) == 0) {
    // Only "$HERE" itself names the folder; any longer variable name is an
    // unknown variable, which the folder code treats as fatal.
    if (value[5] != 0 && value[5] != '/') return false;
    if (folder) {
      FOLDER resolved;
      char text[FOLDER_PATH_SIZE] = {};
      if (resolved.set(value, 0, folder)) resolved.get_path_text(text, nullptr);
      snprintf(image_path, sizeof image_path, "%s", text);
    } else {
      snprintf(image_path, sizeof image_path, "%s", "$APP_DATA/config");
    }
  } else {
    snprintf(image_path, sizeof image_path, "%s", value);
  }
  load_state_images();

  INT_S32 n = static_cast<INT_S32>(shading_type);
  if (!read_number(file, folder, "shading_type", &n)) return false;
  shading_type = static_cast<INT_U32>(n);
  for (int i = 0; i < static_cast<int>(sizeof kColourKeys / sizeof kColourKeys[0]); ++i) {
    COLOUR* field = &(this->*kColourKeys[i].field);
    if (file->get_string(folder, kColourKeys[i].key, value)) {
      parse_colour(field, value);
    } else if (i < kRequiredColours) {
      return false;
    } else {
      *field = 0;
    }
  }
  n = visible;
  if (!read_number(file, folder, "visible", &n)) return false;
  visible = static_cast<INT_U8>(n);
  n = shading_flags;
  if (!read_number(file, folder, "shading_flags", &n)) return false;
  shading_flags = static_cast<INT_U16>(n);

  n = 0;
  if (read_number(file, folder, "drawing_flags", &n)) {
    ssf = static_cast<INT_U32>(n) & 0xFFFF;
    ssef = static_cast<INT_U32>(n) >> 16;
  }

  n = font_id;
  if (!read_number(file, folder, "font_id", &n)) return false;
  font_id = static_cast<INT_U8>(n);
  n = font_x_sz;
  if (!read_number(file, folder, "font_x_sz", &n)) return false;
  font_x_sz = static_cast<INT_S16>(n);
  n = font_y_sz;
  if (!read_number(file, folder, "font_y_sz", &n)) return false;
  font_y_sz = static_cast<INT_S16>(n);
  if (file->get_string(folder, "font_name", value) && *value && lookup)
    font_id = lookup(value, arg);

  for (const SHORT_KEY& k : kShortKeys) {
    n = this->*k.field;
    if (!read_number(file, folder, k.key, &n)) return false;
    this->*k.field = static_cast<INT_S16>(n);
  }

  apply_flags(file, folder, kSsfKeys, sizeof kSsfKeys / sizeof kSsfKeys[0], &ssf);
  apply_flags(file, folder, kOldSsefKeys, sizeof kOldSsefKeys / sizeof kOldSsefKeys[0], &ssef);
  apply_flags(file, folder, kSsefKeys, sizeof kSsefKeys / sizeof kSsefKeys[0], &ssef);
  apply_flags(file, folder, kSssfKeys, sizeof kSssfKeys / sizeof kSssfKeys[0], &sssf);
  return true;
}

bool WM_STYLE_SET::write_text(CONFIG_FILE* file, STYLE_FONT_NAMING naming, INT_WORD arg,
                              FOLDER* folder) {
  if (!file) return false;
  if (!file->set_string(folder, "name", name ? name : "")) return false;
  if (!file->set_string(folder, "image_filename", image_filename ? image_filename : ""))
    return false;
  char path[FOLDER_PATH_SIZE];
  snprintf(path, sizeof path, "%s", image_path);
  if (folder && names_known_variable(image_path)) {
    FOLDER images;
    if (images.set(image_path, 0, nullptr)) FOLDER::get_relative_path_text(folder, &images, path);
  }
  if (!file->set_string(folder, "image_path", path)) return false;
  if (!file->set_long(folder, "shading_type", static_cast<INT_S32>(shading_type), 0)) return false;
  for (const COLOUR_KEY& k : kColourKeys) {
    char text[16];
    snprintf(text, sizeof text, "#%08X", static_cast<unsigned>(this->*k.field));
    if (!file->set_string(folder, k.key, text)) return false;
  }
  if (!file->set_long(folder, "visible", visible, 0)) return false;
  if (!file->set_long(folder, "shading_flags", shading_flags, 0)) return false;
  if (!file->set_long(folder, "font_id", font_id, 0)) return false;
  if (!file->set_long(folder, "font_x_sz", font_x_sz, 0)) return false;
  if (!file->set_long(folder, "font_y_sz", font_y_sz, 0)) return false;
  const char* font_name = naming ? naming(font_id, arg) : "";
  if (!file->set_string(folder, "font_name", font_name ? font_name : "")) return false;
  for (const SHORT_KEY& k : kShortKeys)
    if (!file->set_long(folder, k.key, this->*k.field, 0)) return false;
  return write_flags(file, folder, kSsfKeys, sizeof kSsfKeys / sizeof kSsfKeys[0], ssf) &&
         write_flags(file, folder, kSsefKeys, sizeof kSsefKeys / sizeof kSsefKeys[0], ssef) &&
         write_flags(file, folder, kSssfKeys, sizeof kSssfKeys / sizeof kSssfKeys[0], sssf);
}
