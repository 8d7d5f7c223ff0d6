// Helpers shared by the image file readers.
#include "image_file_common.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace image_files {

bool create_exact(IMAGE* image, long w, long h) {
  if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) return false;
  image->create(static_cast<INT_S16>(w), static_cast<INT_S16>(h));
  return image->pixels && image->width == w && image->height == h;
}

bool take_over(IMAGE* target, IMAGE* scratch) {
  const int w = scratch->width, h = scratch->height;
  if (w < 1 || h < 1 || !scratch->pixels) {
    target->create(-1, -1);
    return true;
  }
  if (target->fixed_size) {
    if (target->width != w || target->height != h || !target->pixels) return false;
  } else {
    target->create(static_cast<INT_S16>(w), static_cast<INT_S16>(h));
    if (target->width != w || target->height != h || !target->pixels) return false;
  }
  for (int r = 0; r < h; ++r)
    std::memcpy(target->pixels + static_cast<long>(r) * target->pitch,
                scratch->pixels + static_cast<long>(r) * scratch->pitch, sizeof(INT_U32) * w);
  return true;
}

INT_S64 device_bytes_left(DATA_DEVICE* device) {
  const INT_U32 here = device->tell();
  device->seek(0, 1);
  const INT_U32 end = device->tell();
  device->seek(static_cast<INT_S32>(here), 0);
  return end > here ? static_cast<INT_S64>(end - here) : 0;
}

INT_S64 stream_bytes_left(FILE* stream) {
  struct stat st;
  const int fd = fileno(stream);
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  const long here = ftell(stream);
  if (here < 0) return -1;
  return std::max<INT_S64>(0, static_cast<INT_S64>(st.st_size) - here);
}

}  // namespace image_files
