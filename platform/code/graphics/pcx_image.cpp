// PCX files: 8 bits per pixel, run-length coded, 256-colour palette at the end.
#include <cstring>
#include <unordered_map>
#include <vector>

#include "image.h"
#include "image_file_common.h"

namespace {

const INT_U32 kTransparentRgb = 0x8B9A25;  // palette colour read as transparent
const int kPaletteBytes = 768;
const int kHeaderBytes = 128;

// Reads the coded pixel bytes through a small buffer.
class ByteReader {
 public:
  explicit ByteReader(DATA_DEVICE* device) : device_(device) {}
  bool next(INT_U8* out) {
    if (pos_ == fill_) {
      fill_ = device_->read(buffer_, sizeof buffer_);
      pos_ = 0;
      if (fill_ <= 0) {
        fill_ = 0;
        return false;
      }
    }
    *out = buffer_[pos_++];
    return true;
  }

 private:
  DATA_DEVICE* device_;
  INT_U8 buffer_[4096];
  INT_S32 pos_ = 0, fill_ = 0;
};

}  // namespace

bool IMAGE::load_pcx(DATA_DEVICE* device) {
  if (!device) return false;
  device->seek(0, 0);
  const INT_S64 size = image_files::device_bytes_left(device);
  if (size < kPaletteBytes + 1) return false;
  device->seek(-(kPaletteBytes + 1), 1);
  INT_U8 marker = 0;
  if (!device->read_u8(&marker) || marker != 12) return false;
  INT_U8 palette[kPaletteBytes];
  if (device->read(palette, kPaletteBytes) != kPaletteBytes) {
    device->error_flag = 1;
    return false;
  }
  INT_U32 colours[256];
  for (int i = 0; i < 256; ++i) {
    const INT_U32 rgb = static_cast<INT_U32>(palette[3 * i]) << 16 |
                        static_cast<INT_U32>(palette[3 * i + 1]) << 8 | palette[3 * i + 2];
    colours[i] = rgb == kTransparentRgb ? rgb : 0xFF000000u | rgb;
  }

  device->seek(0, 0);
  INT_U8 manufacturer = 0, version = 0, encoding = 0, bits = 0, reserved = 0, planes = 0;
  INT_U16 x_min = 0, y_min = 0, x_max = 0, y_max = 0, h_res = 0, v_res = 0, bytes_per_line = 0,
          palette_info = 0;
  INT_U8 ega[48], filler[58];
  device->read_u8(&manufacturer);
  device->read_u8(&version);
  device->read_u8(&encoding);
  device->read_u8(&bits);
  device->read_u16(&x_min);
  device->read_u16(&y_min);
  device->read_u16(&x_max);
  device->read_u16(&y_max);
  device->read_u16(&h_res);
  device->read_u16(&v_res);
  device->read(ega, sizeof ega);
  device->read_u8(&reserved);
  device->read_u8(&planes);
  device->read_u16(&bytes_per_line);
  device->read_u16(&palette_info);
  device->read(filler, sizeof filler);
  if (manufacturer != 10) return false;

  // An empty picture is stored with -1 (65535) as its maxima and loads back
  // empty, not 65536 wide; any other large maximum is a size too big.
  auto extent = [](INT_U16 low, INT_U16 high) {
    return (high == 0xFFFF ? -1L : static_cast<long>(high)) + 1 - low;
  };
  const long w = extent(x_min, x_max);
  const long h = extent(y_min, y_max);
  if (w < 1 || h < 1) {
    create(-1, -1);
    return true;
  }
  // One coded byte yields at most 63 indexes: a header that promises more
  // than the file can hold is damaged, and refused before allocating.
  const INT_S64 budget = 63 * size;
  if (w > image_files::kMaxSide || h > image_files::kMaxSide ||
      static_cast<INT_S64>(w) * h > budget || static_cast<INT_S64>(bytes_per_line) * h > budget)
    return false;
  IMAGE scratch;
  scratch.alignment = alignment;
  if (!image_files::create_exact(&scratch, w, h)) return false;

  device->seek(kHeaderBytes, 0);
  ByteReader in(device);
  int run = 0;
  INT_U8 index = 0;
  for (int r = 0; r < scratch.height; ++r) {
    INT_U32* row = scratch.pixels + static_cast<long>(r) * scratch.pitch;
    for (int i = 0; i < bytes_per_line; ++i) {
      if (run > 0) {
        --run;
      } else {
        INT_U8 byte;
        if (!in.next(&byte)) {
          device->error_flag = 1;
          return false;
        }
        if ((byte & 0xC0) == 0xC0) {
          run = (byte & 0x3F) - 1;
          if (!in.next(&index)) {
            device->error_flag = 1;
            return false;
          }
        } else {
          index = byte;
        }
      }
      if (i < scratch.width) row[i] = colours[index];
    }
  }
  return image_files::take_over(this, &scratch);
}

bool IMAGE::save_pcx(DATA_DEVICE* device) {
  if (!device) return false;
  const INT_U16 w = width, h = height;
  const INT_U8 zeros[58] = {};
  bool ok = true;
  ok &= device->write_u8(10);
  ok &= device->write_u8(5);
  ok &= device->write_u8(1);
  ok &= device->write_u8(8);
  ok &= device->write_u16(0);
  ok &= device->write_u16(0);
  ok &= device->write_u16(static_cast<INT_U16>(w - 1));
  ok &= device->write_u16(static_cast<INT_U16>(h - 1));
  ok &= device->write_u16(w);
  ok &= device->write_u16(h);
  ok &= device->write(zeros, 48) == 48;
  ok &= device->write_u8(0);
  ok &= device->write_u8(1);
  ok &= device->write_u16(w);
  ok &= device->write_u16(1);
  ok &= device->write(zeros, 58) == 58;

  // Palette of at most 255 colours in order of first use; colours past that
  // are written as index 0. Indexes of 64 and above are coded as a run of one.
  INT_U8 palette[kPaletteBytes] = {};
  int used = 0;
  std::unordered_map<INT_U32, INT_U8> lookup;
  std::vector<INT_U8> coded;
  coded.reserve(static_cast<size_t>(w) * 2);
  if (pixels) {
    for (int r = 0; r < h; ++r) {
      const INT_U32* row = pixels + static_cast<long>(r) * pitch;
      coded.clear();
      for (int c = 0; c < w; ++c) {
        const INT_U32 rgb = row[c] & 0xFFFFFF;
        INT_U8 index = 0;
        auto found = lookup.find(rgb);
        if (found != lookup.end()) {
          index = found->second;
        } else if (used < 255) {
          index = static_cast<INT_U8>(used);
          lookup.emplace(rgb, index);
          palette[3 * used] = static_cast<INT_U8>(rgb >> 16);
          palette[3 * used + 1] = static_cast<INT_U8>(rgb >> 8);
          palette[3 * used + 2] = static_cast<INT_U8>(rgb);
          ++used;
        }
        if (index & 0xC0) coded.push_back(0xC1);
        coded.push_back(index);
      }
      const INT_S32 n = static_cast<INT_S32>(coded.size());
      ok &= device->write(coded.data(), n) == n;
    }
  }
  ok &= device->write_u8(12);
  ok &= device->write(palette, kPaletteBytes) == kPaletteBytes;
  device->error_flag = ok ? 0 : 1;
  return true;
}
