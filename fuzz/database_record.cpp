// The database record reader on arbitrary bytes: the first byte is the data
// file's header (nonzero = swapped), the rest the record. A record read whole
// is written again and must read back to the same bytes.
#include <cstdint>
#include <vector>

#include "data_device.h"
#include "database.h"
#include "image_cache.h"
#include "wm_button.h"
#include "wm_dialog.h"

namespace {

// The system information is not read from the fuzzer's data: leave it out.
void no_system_info(SYSTEM_INFO*) {}

DATABASE& database() {
  static DATABASE* db = [] {
    database_system_info_reader = no_system_info;
    return new DATABASE();
  }();
  return *db;
}

// What a record changes outside the database, back to a known state.
void reset_globals() {
  wm_dialog_background_style.reset();
  wm_dialog_title_style.reset();
  wm_dialog_button_style.reset();
  wm_button_hint_style.reset();
  wm_button_hint_style_ready = 0;
  wm_dialog_effects = {0x047C, 300, 1000, 192};
  wm_skin_cache.free_all();
  // State images come from the cache only: no file is ever opened.
  wm_style_image_cache_flags = CACHE_FIND_ONLY;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  DATABASE& db = database();
  reset_globals();
  MEMORY_DEVICE device(std::vector<INT_U8>(data + 1, data + size));
  device.swap_flag = data[0] != 0;
  if (db.get_from_data_device(&device)) {
    wm_style_image_cache_flags = CACHE_FIND_ONLY;
    MEMORY_DEVICE first, second;
    first.swap_flag = second.swap_flag = device.swap_flag;
    if (!db.put_to_data_device(&first)) __builtin_trap();
    first.position = 0;
    if (!db.get_from_data_device(&first)) __builtin_trap();
    if (!db.put_to_data_device(&second) || second.bytes != first.bytes) __builtin_trap();
  }
  db.reset();
  return 0;
}
