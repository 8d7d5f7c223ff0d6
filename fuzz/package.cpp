// Package reader on arbitrary bytes: open (cached and not), look up, extract
// every entry, open an entry file, and store into the damaged package.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_work_folder.h"
#include "package.h"

namespace {

const std::string& work_dir() {
  static const std::string dir = fuzz_work_folder("package");
  return dir;
}

void write_file(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return;
  if (size) fwrite(data, 1, size, f);
  fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FOLDER* folder = [] {
    FOLDER* f = new FOLDER(FOLDER::UNSET());
    f->set_if_directory(work_dir().c_str());
    write_file(work_dir() + "/small", reinterpret_cast<const uint8_t*>("0123456789abcdefXYZ"), 19);
    return f;
  }();
  for (INT_U8 cache : {0, 1}) {
    write_file(work_dir() + "/in.pkg", data, size);
    PACKAGE package(folder, "in.pkg", 0, -1, cache);
    if (!package.file) continue;
    PACKAGE_ENTRY entry;
    package.find_entry("a", &entry);
    package.find_entry("database.bin", &entry);
    int extracted = 0;
    for (PACKAGE_ENTRY* e = package.first_cached_entry; e && extracted < 8; e = e->next_cached, extracted++)
      package.extract(folder, "out", e->name);
    if (!cache) {
      package.extract(folder, "out", "a");
      DATA_FILE* f = package.open_file("a", 0, 0);
      if (f) close_package_file(&f);
    }
    // Storing writes whole blocks: keep it to block sizes a test can afford.
    if (package.header.block_size > 65536) continue;
    package.store_file(folder, "small", "a", 1);
    package.store_file(folder, "small", "new entry", 1);
    package.extract(folder, "out", "new entry");
  }
  return 0;
}
