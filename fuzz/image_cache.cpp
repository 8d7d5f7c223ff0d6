// The image cache record reader over arbitrary bytes: what it read is written
// again and looked up without touching any file.
#include <cstdint>
#include <cstring>
#include <vector>

#include "data_device.h"
#include "image_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  MEMORY_DEVICE dev(std::vector<INT_U8>(data + 1, data + size));
  dev.swap_flag = data[0] & 1;
  IMAGE_CACHE cache;
  cache.read(&dev);
  for (LIST_NODE* n = cache.entries.head; n; n = n->next) {
    auto* e = static_cast<IMAGE_CACHE_ENTRY*>(PTRLLIST::stored_pointer(n));
    if (std::memchr(e->folder, 0, sizeof e->folder) == nullptr) __builtin_trap();
    IMAGE* h = cache.get(e->folder, e->name, -1, -1, CACHE_FIND_ONLY);
    if (h) cache.release(cache.entry_of(h));
  }
  MEMORY_DEVICE out;
  if (!cache.write(&out)) __builtin_trap();
  IMAGE_CACHE again;
  out.seek(0, 0);
  if (!again.read(&out)) __builtin_trap();
  return 0;
}
