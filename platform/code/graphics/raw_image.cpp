// The raw image format, embedded picture arrays and their source-text form.
#include <cstring>
#include <vector>

#include "image.h"
#include "image_file_common.h"
#include "text_file.h"

namespace {

const char kMagic[10] = {'z', 'o', 'r', 'v', 'r', 'a', 'w', 'i', 'm', 'g'};

inline INT_U32 reverse32(INT_U32 v) { return __builtin_bswap32(v); }

}  // namespace

bool IMAGE::put_to_data_device(DATA_DEVICE* device) {
  if (!device) return false;
  if (device->write(kMagic, 10) != 10 || !device->write_u8(1) || !device->write_u16(width) ||
      !device->write_u16(height)) {
    device->error_flag = 1;
    return false;
  }
  if (width < 1 || height < 1 || !pixels) return true;
  // Pixels are stored in host order (little-endian), reversed under the
  // swap flag, one row of exactly width pixels at a time.
  std::vector<INT_U32> row(width);
  for (int r = 0; r < height; ++r) {
    const INT_U32* src = pixels + static_cast<long>(r) * pitch;
    for (int c = 0; c < width; ++c) row[c] = device->swap_flag ? reverse32(src[c]) : src[c];
    const INT_S32 bytes = static_cast<INT_S32>(sizeof(INT_U32) * width);
    if (device->write(row.data(), bytes) != bytes) {
      device->error_flag = 1;
      return false;
    }
  }
  device->error_flag = 0;
  return true;
}

bool IMAGE::get_from_data_device(DATA_DEVICE* device) {
  if (!device) return false;
  char magic[10];
  if (device->read(magic, 10) != 10) {
    device->error_flag = 1;
    return false;
  }
  if (std::memcmp(magic, kMagic, 10) != 0) return false;
  INT_U8 version = 0;
  if (!device->read_u8(&version) || version != 1) return false;
  INT_U16 w = 0, h = 0;
  if (!device->read_u16(&w) || !device->read_u16(&h)) return false;
  if (w == 0 || h == 0) {
    create(-1, -1);
    return true;
  }
  // A stream shorter than the pixels it announces is refused before anything
  // is allocated; so is a size no image can hold.
  const INT_S64 need = static_cast<INT_S64>(w) * h * 4;
  if (image_files::device_bytes_left(device) < need) {
    device->error_flag = 1;
    return false;
  }
  IMAGE scratch;
  scratch.alignment = alignment;
  if (!image_files::create_exact(&scratch, w, h)) return false;
  const INT_S32 bytes = static_cast<INT_S32>(sizeof(INT_U32) * w);
  for (int r = 0; r < scratch.height; ++r) {
    INT_U32* row = scratch.pixels + static_cast<long>(r) * scratch.pitch;
    if (device->read(row, bytes) != bytes) {
      device->error_flag = 1;
      return false;
    }
    if (device->swap_flag)
      for (int c = 0; c < scratch.width; ++c) row[c] = reverse32(row[c]);
  }
  device->error_flag = 0;
  return image_files::take_over(this, &scratch);
}

bool IMAGE::load_embedded(const INT_U8* data) {
  if (!data) return false;
  const long w = (data[1] << 8) | data[2];
  const long h = (data[3] << 8) | data[4];
  if (w < 1 || h < 1) {
    create(static_cast<INT_S16>(w), static_cast<INT_S16>(h));
    return true;
  }
  IMAGE scratch;
  scratch.alignment = alignment;
  if (!image_files::create_exact(&scratch, w, h)) return false;
  const INT_U8* p = data + 5;
  for (int r = 0; r < scratch.height; ++r) {
    INT_U32* row = scratch.pixels + static_cast<long>(r) * scratch.pitch;
    for (int c = 0; c < scratch.width; ++c, p += 4)
      row[c] = static_cast<INT_U32>(p[0]) | static_cast<INT_U32>(p[1]) << 8 |
               static_cast<INT_U32>(p[2]) << 16 | static_cast<INT_U32>(p[3]) << 24;
  }
  return image_files::take_over(this, &scratch);
}

void IMAGE::write_c_source(TEXT_FILE* file, const char* name) {
  if (!file) return;
  const INT_U32 count = 5 + 4u * width * height;
  file->printf("static INT_U8 %s[%ld] =\n{\n\t", name ? name : "", static_cast<long>(count));
  file->printf("0x%02X,", 1);
  file->printf("0x%02X,", width >> 8);
  file->printf("0x%02X,", width & 0xFF);
  file->printf("0x%02X,", height >> 8);
  file->printf("0x%02X", height & 0xFF);
  if (height < 1 || !pixels) {
    file->write_string("\n};\n");
    return;
  }
  for (int r = 0; r < height; ++r) {
    file->write_string(",\n\t");
    const INT_U32* row = pixels + static_cast<long>(r) * pitch;
    for (int c = 0; c < width; ++c) {
      if (c > 0) file->write_string(",");
      const INT_U32 v = row[c];
      file->printf("0x%02X,", v & 0xFF);
      file->printf("0x%02X,", (v >> 8) & 0xFF);
      file->printf("0x%02X,", (v >> 16) & 0xFF);
      file->printf("0x%02X", v >> 24);
    }
  }
  file->write_string("\n};\n");
}
