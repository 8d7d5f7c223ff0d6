// The style-set record reader on arbitrary bytes, in both byte orders; a
// record read whole is written again and must read back the same.
#include <cstdint>
#include <cstring>
#include <vector>

#include "data_device.h"
#include "style_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // State images are looked up in the cache only: no file is opened.
  wm_style_image_flags = 8;
  for (INT_U32 swap : {0u, 1u}) {
    MEMORY_DEVICE device(std::vector<INT_U8>(data, data + size));
    device.swap_flag = swap;
    WM_STYLE_SET style;
    if (!style.get_from_data_device(&device)) continue;
    MEMORY_DEVICE copy;
    copy.swap_flag = swap;
    if (!style.put_to_data_device(&copy)) __builtin_trap();
    copy.position = 0;
    WM_STYLE_SET again;
    if (!again.get_from_data_device(&copy)) __builtin_trap();
    if (strcmp(style.image_path, again.image_path) != 0 || style.ssf != again.ssf ||
        style.grid_two_tone_value != again.grid_two_tone_value ||
        (style.name == nullptr) != (again.name == nullptr))
      __builtin_trap();
  }
  return 0;
}
