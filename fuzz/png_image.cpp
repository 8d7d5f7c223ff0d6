// The PNG reader over arbitrary bytes, through a temporary file as the
// program reads its files.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <unistd.h>

#include "image.h"
#include "image_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FILE* file = tmpfile();
  if (!file || size < 4 || png_sig_cmp(const_cast<png_bytep>(data), 0, 4) != 0) return 0;
  if (ftruncate(fileno(file), 0) != 0) return 0;
  rewind(file);
  fwrite(data, 1, size, file);
  fflush(file);
  fseek(file, 4, SEEK_SET);
  IMAGE im(3, 2);
  if (!load_png_stream(&im, file) && (im.width != 3 || im.height != 2)) __builtin_trap();
  return 0;
}
