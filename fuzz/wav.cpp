// WAV files from outside: the chunk walk must end, stay inside the data and
// never report a data chunk beyond its stated place.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "data_device.h"
#include "wav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MEMORY_DEVICE device(std::vector<INT_U8>(data, data + size));
  WAV_INFO info{};
  if (load_wav(&device, &info) && info.data_offset > size) abort();
  return 0;
}
