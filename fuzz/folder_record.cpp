// Folder records read from outside data: any bytes give a folder or a
// refusal, never a crash or an end of the process.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "data_device.h"
#include "folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool seams = [] {
    // Keep every resolution inside the run's own folder.
    shared_temp_root = ".";
    default_folder_system_root = "./opt";
    mount_table_path = "./mounts";
    return true;
  }();
  (void)seams;
  MEMORY_DEVICE dev(std::vector<INT_U8>(data, data + size));
  FOLDER f(FOLDER::UNSET{});
  f.get_from_data_device(&dev);
  return 0;
}
