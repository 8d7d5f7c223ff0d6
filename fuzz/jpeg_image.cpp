// The JPEG reader over arbitrary bytes, through a temporary file as the
// program reads its files; the first byte picks a requested size.
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "image.h"
#include "image_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FILE* file = tmpfile();
  if (!file || size < 1) return 0;
  if (ftruncate(fileno(file), 0) != 0) return 0;
  rewind(file);
  fwrite(data + 1, 1, size - 1, file);
  fflush(file);
  rewind(file);
  const INT_S16 w = (data[0] & 0x80) ? (data[0] & 0x0F) + 1 : 0;
  const INT_S16 h = (data[0] & 0x80) ? ((data[0] >> 4) & 0x07) + 1 : 0;
  IMAGE im(3, 2);
  if (load_jpeg_stream(&im, file, w, h)) {
    if (w > 0 && (im.width != w || im.height != h)) __builtin_trap();
  } else if (im.width != 3 || im.height != 2) {
    __builtin_trap();
  }
  return 0;
}
