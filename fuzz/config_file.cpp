// Configuration-file and text-stream readers on arbitrary bytes, in both
// modes, with changes written back.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "config_file.h"
#include "fuzz_work_folder.h"
#include "text_file.h"

namespace {

const std::string& work_dir() {
  static const std::string dir = fuzz_work_folder("config");
  return dir;
}

void write_file(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return;
  if (size) fwrite(data, 1, size, f);
  fclose(f);
}

void visit(const char*, const char*, INT_WORD) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FOLDER* folder = [] {
    FOLDER* f = new FOLDER(FOLDER::UNSET());
    f->set_if_directory(work_dir().c_str());
    return f;
  }();
  std::string path = work_dir() + "/in.cfg";
  for (INT_U8 cached : {1, 0}) {
    write_file(path, data, size);
    CONFIG_FILE config("in.cfg", cached);
    char value[CONFIG_VALUE_SIZE];
    INT_S32 number = 0;
    config.get_string(folder, "a", value);
    config.get_long(folder, "n", &number, 1);
    config.for_each_entry(folder, visit, 0);
    config.set_string(folder, "a", "\x01,0416\x01z");
    config.get_string(folder, "a", value);
  }
  // The text stream itself, 8-bit and 16-bit, with a small line buffer.
  write_file(path, data, size);
  for (int mode = 0; mode < 3; mode++) {
    TEXT_FILE text;
    text.stream = fopen(path.c_str(), "rb");
    if (!text.stream) break;
    text.sixteen_bit = mode != 0;
    text.swapped = mode == 2;
    text.max_line = 7;
    char line[7];
    while (text.read_line(line)) {
    }
    fclose(text.stream);
  }
  // Whatever was read back is written as escaped text.
  std::string escaped(reinterpret_cast<const char*>(data), size);
  TEXT_FILE out;
  out.stream = fopen("/dev/null", "wb");
  out.mode = 1;
  if (out.stream) {
    out.write_string(escaped.c_str());
    out.sixteen_bit = 1;
    out.write_string(escaped.c_str());
    fclose(out.stream);
  }
  return 0;
}
