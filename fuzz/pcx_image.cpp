// The PCX reader over arbitrary bytes, and the writer on what it read.
#include <cstdint>
#include <vector>

#include "data_device.h"
#include "image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MEMORY_DEVICE dev(std::vector<INT_U8>(data, data + size));
  IMAGE im(3, 2);
  if (im.load_pcx(&dev)) {
    MEMORY_DEVICE out;
    im.save_pcx(&out);
    IMAGE again;
    if (!again.load_pcx(&out) && im.width > 0) __builtin_trap();
  } else if (im.width != 3 || im.height != 2) {
    __builtin_trap();
  }
  return 0;
}
