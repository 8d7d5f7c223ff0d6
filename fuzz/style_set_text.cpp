// The ".ss" text reader on arbitrary file contents, with and without a
// folder for "$HERE".
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "config_file.h"
#include "folder.h"
#include "fuzz_work_folder.h"
#include "style_set.h"

namespace {

const std::string& work_dir() {
  static const std::string dir = fuzz_work_folder("style");
  return dir;
}

INT_U8 font_lookup(const char* name, INT_WORD) { return static_cast<INT_U8>(name[0]); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FOLDER* folder = [] {
    FOLDER* f = new FOLDER(FOLDER::UNSET());
    f->set_if_directory(work_dir().c_str());
    return f;
  }();
  wm_style_image_flags = 8;  // cached images only: no file is opened
  FILE* f = fopen((work_dir() + "/in.ss").c_str(), "wb");
  if (!f) return 0;
  if (size) fwrite(data, 1, size, f);
  fclose(f);
  CONFIG_FILE config("in.ss", 1);
  config.folder = *folder;
  config.load_all(folder, 0);
  WM_STYLE_SET with_folder;
  with_folder.read_text(&config, font_lookup, 0, folder);
  WM_STYLE_SET without;
  without.read_text(&config, nullptr, 0, nullptr);
  if (strnlen(with_folder.image_path, sizeof with_folder.image_path) >= sizeof with_folder.image_path)
    __builtin_trap();
  return 0;
}
