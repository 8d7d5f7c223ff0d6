// The record form of a style set: version 8 written, versions 1 to 8 read.
// Records come from installation packages, so every length is checked
// against what the device still holds before anything is allocated.
#include <cstring>
#include <new>

#include "folder.h"
#include "style_set.h"

namespace {

// Bytes left on the device after its position, or -1 when it cannot say.
INT_S64 bytes_left(DATA_DEVICE* device) {
  const INT_U32 here = device->tell();
  device->seek(0, 1);
  const INT_U32 end = device->tell();
  device->seek(static_cast<INT_S32>(here), 0);
  if (device->tell() != here) return -1;
  return end >= here ? static_cast<INT_S64>(end) - here : 0;
}

bool read_raw(DATA_DEVICE* device, void* buffer, size_t count) {
  const bool ok = device->read(buffer, static_cast<INT_S32>(count)) == static_cast<INT_S32>(count);
  device->error_flag = ok ? 0 : 1;
  return ok;
}

bool write_raw(DATA_DEVICE* device, const void* buffer, size_t count) {
  const bool ok =
      device->write(buffer, static_cast<INT_S32>(count)) == static_cast<INT_S32>(count);
  device->error_flag = ok ? 0 : 1;
  return ok;
}

// Whole values only: a device that delivers part of a value has failed.
bool get_u32(DATA_DEVICE* device, INT_U32* out) {
  INT_U32 v;
  if (!read_raw(device, &v, 4)) return false;
  *out = device->swap_flag ? __builtin_bswap32(v) : v;
  return true;
}

bool get_u16(DATA_DEVICE* device, INT_U16* out) {
  INT_U16 v;
  if (!read_raw(device, &v, 2)) return false;
  *out = device->swap_flag ? __builtin_bswap16(v) : v;
  return true;
}

bool get_u8(DATA_DEVICE* device, INT_U8* out) { return read_raw(device, out, 1); }

bool put_u32(DATA_DEVICE* device, INT_U32 v) {
  if (device->swap_flag) v = __builtin_bswap32(v);
  return write_raw(device, &v, 4);
}

bool put_u16(DATA_DEVICE* device, INT_U16 v) {
  if (device->swap_flag) v = __builtin_bswap16(v);
  return write_raw(device, &v, 2);
}

bool put_u8(DATA_DEVICE* device, INT_U8 v) { return write_raw(device, &v, 1); }

// A length-prefixed text into *field (null for length 0). A length beyond
// the cap or the device's remaining bytes fails before any allocation.
bool read_text_field(DATA_DEVICE* device, char** field) {
  INT_U32 length = 0;
  if (!get_u32(device, &length)) return false;
  if (length == 0) return true;
  const INT_S64 left = bytes_left(device);
  if (length > STYLE_SET_MAX_TEXT || (left >= 0 && length > left)) {
    device->error_flag = 1;
    return false;
  }
  const size_t n = length;
  char* text = new (std::nothrow) char[n + 1];
  if (!text) {
    device->error_flag = 1;
    return false;
  }
  if (!read_raw(device, text, n)) {
    delete[] text;
    return false;
  }
  text[n] = 0;
  if (!text[0]) {
    delete[] text;  // an empty text is no text, as with set_name
    return true;
  }
  *field = text;
  return true;
}

bool write_text_field(DATA_DEVICE* device, const char* text) {
  const size_t n = text ? strlen(text) : 0;
  if (!put_u32(device, static_cast<INT_U32>(n))) return false;
  return n == 0 || write_raw(device, text, n);
}

bool read_s16(DATA_DEVICE* device, INT_S16* out) {
  INT_U16 v;
  if (!get_u16(device, &v)) return false;
  *out = static_cast<INT_S16>(v);
  return true;
}

}  // namespace

bool WM_STYLE_SET::put_to_data_device(DATA_DEVICE* device) {
  if (!device) return false;
  if (!put_u32(device, STYLE_SET_RECORD_VERSION)) return false;
  if (!write_text_field(device, image_filename) || !write_text_field(device, name)) return false;
  // The bytes after the path's terminator are written as zeros, so nothing
  // left over from an earlier path reaches the file.
  char path[STYLE_PATH_SIZE] = {};
  const size_t used = strnlen(image_path, sizeof image_path - 1);
  memcpy(path, image_path, used);
  if (!write_raw(device, path, sizeof path)) return false;
  const COLOUR colours[] = {fg_colour,        bg_colour,          fading_colour,
                            highlight_colour, highlight_text_colour, active_colour,
                            active_text_colour, bevel_colour,     mouse_over_colour,
                            mouse_over_text_colour, flashing_colour, flashing_text_colour,
                            underline_colour};
  if (!put_u32(device, shading_type)) return false;
  for (COLOUR c : colours)
    if (!put_u32(device, c)) return false;
  if (!put_u8(device, visible) || !put_u32(device, ssf) || !put_u32(device, ssef) ||
      !put_u8(device, sssf) || !put_u16(device, shading_flags) || !put_u8(device, font_id))
    return false;
  const INT_S16 shorts[] = {font_x_sz,        font_y_sz,         border_left_gap,
                            border_right_gap, border_top_gap,    border_bottom_gap,
                            cell_left_gap,    cell_right_gap,    cell_top_gap,
                            cell_bottom_gap,  x_spacing,         y_spacing,
                            scrollbar_button_width, scrollbar_slider_width,
                            grid_scrollbar_width,   grid_two_tone_value};
  for (INT_S16 v : shorts)
    if (!put_u16(device, static_cast<INT_U16>(v))) return false;
  return true;
}

bool WM_STYLE_SET::get_from_data_device(DATA_DEVICE* device) {
  if (!device) return false;
  INT_U32 stored = 0;
  if (!get_u32(device, &stored)) return false;
  INT_S32 version = static_cast<INT_S32>(stored);
  if (version > STYLE_SET_RECORD_VERSION) version = STYLE_SET_RECORD_VERSION;
  if (version < 1) version = 1;

  delete[] name;
  name = nullptr;
  delete[] image_filename;
  image_filename = nullptr;
  if (!read_text_field(device, &image_filename)) return false;
  if (!read_text_field(device, &name)) return false;

  if (version < 6) {
    FOLDER folder;
    if (!folder.get_from_data_device(device)) return false;
    char text[FOLDER_PATH_SIZE] = {};
    folder.get_path_text(text, nullptr);
    text[sizeof text - 1] = 0;
    memcpy(image_path, text, sizeof image_path);
  } else {
    char path[STYLE_PATH_SIZE];
    if (!read_raw(device, path, sizeof path)) return false;
    path[sizeof path - 1] = 0;  // a record without a terminator is cut
    memcpy(image_path, path, sizeof path);
  }

  auto colour = [&](COLOUR* field, bool present) {
    if (!present) {
      *field = 0;
      return true;
    }
    return get_u32(device, field);
  };
  if (!get_u32(device, &shading_type) || !colour(&fg_colour, true) ||
      !colour(&bg_colour, true) || !colour(&fading_colour, true) ||
      !colour(&highlight_colour, true) || !colour(&highlight_text_colour, true) ||
      !colour(&active_colour, true) || !colour(&active_text_colour, version >= 5) ||
      !colour(&bevel_colour, true) || !colour(&mouse_over_colour, version >= 2) ||
      !colour(&mouse_over_text_colour, version >= 2) || !colour(&flashing_colour, version >= 4) ||
      !colour(&flashing_text_colour, version >= 3) || !colour(&underline_colour, version >= 8))
    return false;
  if (!get_u8(device, &visible) || !get_u32(device, &ssf) || !get_u32(device, &ssef))
    return false;
  if (version >= 7) {
    if (!get_u8(device, &sssf)) return false;
  } else {
    sssf = 238;
  }
  if (!get_u16(device, &shading_flags) || !get_u8(device, &font_id)) return false;
  INT_S16* shorts[] = {&font_x_sz,        &font_y_sz,         &border_left_gap,
                       &border_right_gap, &border_top_gap,    &border_bottom_gap,
                       &cell_left_gap,    &cell_right_gap,    &cell_top_gap,
                       &cell_bottom_gap,  &x_spacing,         &y_spacing,
                       &scrollbar_button_width, &scrollbar_slider_width,
                       &grid_scrollbar_width,   &grid_two_tone_value};
  for (INT_S16* field : shorts)
    if (!read_s16(device, field)) return false;
  load_state_images();
  return true;
}
