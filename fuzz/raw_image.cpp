// The raw image reader and the embedded-picture reader over arbitrary bytes:
// the first byte picks the swap flag and whether the target has a fixed size.
#include <cstdint>
#include <vector>

#include "data_device.h"
#include "image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  MEMORY_DEVICE dev(std::vector<INT_U8>(data + 1, data + size));
  dev.swap_flag = data[0] & 1;
  IMAGE im(3, 2);
  im.fixed_size = (data[0] >> 1) & 1;
  if (im.get_from_data_device(&dev)) {
    if ((im.width == 0) != (im.pixels == nullptr)) __builtin_trap();
    MEMORY_DEVICE out;
    if (!im.put_to_data_device(&out)) __builtin_trap();
  } else if (im.width != 3 || im.height != 2) {
    __builtin_trap();  // a refused stream leaves the image alone
  }
  // An embedded array is trusted to hold its pixels: only feed whole ones.
  if (size >= 6) {
    const INT_U8* a = data + 1;
    const size_t w = (a[1] << 8) | a[2], h = (a[3] << 8) | a[4];
    if (5 + 4 * w * h <= size - 1) {
      IMAGE e;
      e.load_embedded(a);
    }
  }
  return 0;
}
