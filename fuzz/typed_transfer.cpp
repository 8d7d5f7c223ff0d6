// Typed reads, stored strings and base64 decoding over arbitrary bytes: the
// first byte picks the swap flag and the read buffer size.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "data_device.h"
#include "utilities.h"
#include "zorv_string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  INT_U8 control = data[0];
  std::vector<INT_U8> bytes(data + 1, data + size);

  MEMORY_DEVICE dev(bytes);
  dev.swap_flag = control & 1;
  INT_S32 room = (control >> 1) & 31;
  std::vector<char> buffer(static_cast<size_t>(room) + 1);
  while (dev.read_string(buffer.data(), room)) {
    if (std::strlen(buffer.data()) >= static_cast<size_t>(room > 0 ? room : 1)) __builtin_trap();
  }

  MEMORY_DEVICE again(bytes);
  again.swap_flag = control & 1;
  ZORV_STRING s;
  while (again.read_object(s)) {
    if (s.text && static_cast<INT_S32>(std::strlen(s.text)) >= s.capacity) __builtin_trap();
  }

  std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  INT_S32 need = decode_base64(text.c_str(), nullptr, 0);
  if (need >= 0) {
    std::vector<INT_U8> out(static_cast<size_t>(need) + 1);
    INT_S32 got = decode_base64(text.c_str(), out.data(), need);
    if (got > need) __builtin_trap();
  }
  ZORV_STRING coded;
  coded.set(text.c_str());
  coded.decode();
  return 0;
}
