// Extracting every entry of a package of 2,000 files (about 200 MB) into a
// fresh folder, timed against copying the same files with cp in the same run.
// The data is generated in a temporary folder and removed at the end.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "folder.h"
#include "paired.h"
#include "package.h"
#include "utilities.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int shell(const std::string& command) { return system(command.c_str()); }

}  // namespace

int main() {
  const char* tmp = getenv("TMPDIR");
  std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench-package.XXXXXX";
  if (!mkdtemp(&tmpl[0])) {
    perror("mkdtemp");
    return 1;
  }
  const std::string root = tmpl;
  const std::string source = root + "/source";
  mkdir(source.c_str(), 0755);

  // Mixed sizes: mostly small files, some medium, a few large ones.
  std::mt19937 random(12345);
  std::vector<std::string> names;
  std::vector<char> chunk(1 << 20);
  for (char& c : chunk) c = static_cast<char>(random());
  size_t total = 0;
  for (int i = 0; i < 2000; i++) {
    size_t size;
    int kind = random() % 100;
    if (kind < 70)
      size = random() % (16 << 10);
    else if (kind < 95)
      size = (16 << 10) + random() % (256 << 10);
    else
      size = (512 << 10) + random() % (1536 << 10);
    char name[32];
    snprintf(name, sizeof name, "file%04d.bin", i);
    names.push_back(name);
    FILE* f = fopen((source + "/" + name).c_str(), "wb");
    for (size_t left = size; left > 0;) {
      size_t n = std::min(left, chunk.size() - 1024);
      fwrite(chunk.data() + random() % 1024, 1, n, f);
      left -= n;
    }
    fclose(f);
    total += size;
  }
  printf("data: %zu files, %.1f MB\n", names.size(), total / 1e6);

  FOLDER source_folder{FOLDER::UNSET()}, root_folder{FOLDER::UNSET()};
  source_folder.set_if_directory(source.c_str());
  root_folder.set_if_directory(root.c_str());

  // Every round writes into fresh folders (removing a tree just before
  // creating files slows the file system's inode allocation). No machine-wide
  // step (sync, dropping caches) comes between or inside the timings: the
  // pairs see the same caches, and the ratio is what counts.
  int serial = 0;
  auto time_cp = [&] {
    std::string target = root + "/cp" + std::to_string(serial++);
    auto start = std::chrono::steady_clock::now();
    if (shell("cp -r " + shell_quote(source.c_str()) + " " + shell_quote(target.c_str())) != 0) return -1.0;
    return seconds_since(start);
  };
  auto time_extract = [&](const char* package_name, INT_U8 cached) {
    std::string target = root + "/out" + std::to_string(serial++);
    auto start = std::chrono::steady_clock::now();
    mkdir(target.c_str(), 0755);
    FOLDER out_folder{FOLDER::UNSET()};
    out_folder.set_if_directory(target.c_str());
    PACKAGE package(&root_folder, package_name, 0, -1, cached);
    for (const std::string& name : names)
      if (!package.extract(&out_folder, name.c_str(), name.c_str())) return -1.0;
    return seconds_since(start);
  };
  auto clear_outputs = [&] { shell("rm -rf " + shell_quote(root.c_str()) + "/out* " + shell_quote(root.c_str()) + "/cp*"); };

  print_load();
  std::printf("extract every entry / cp -r of the same files, paired rounds (min / median / max):\n");
  const int kRounds = 7;
  for (INT_S32 block_size : {64 << 10, 512 << 10}) {
    const std::string package_name = "bench" + std::to_string(block_size) + ".pkg";
    {
      PACKAGE package(&root_folder, package_name.c_str(), 1, block_size, 1);
      for (const std::string& name : names)
        if (!package.store_file(&source_folder, name.c_str(), nullptr, 1)) {
          fprintf(stderr, "store failed: %s\n", name.c_str());
          return 1;
        }
    }
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; round++) {
      double a, b;
      if (round % 2) {
        a = time_cp();
        b = time_extract(package_name.c_str(), 1);
      } else {
        b = time_extract(package_name.c_str(), 1);
        a = time_cp();
      }
      if (a <= 0 || b < 0) {
        fprintf(stderr, "round %d failed\n", round);
        return 1;
      }
      ratios.push_back(b / a);
      if (round % 2) clear_outputs();  // between pairs, outside the timings
    }
    const std::string what = std::to_string(block_size >> 10) + " KiB blocks";
    print_spread(what.c_str(), ratios);
    // For information: without the in-memory directory every lookup walks
    // the directory in the file.
    std::vector<double> uncached;
    for (int round = 0; round < 3; round++) {
      double a = time_cp(), b = time_extract(package_name.c_str(), 0);
      uncached.push_back(b / a);
      clear_outputs();
    }
    print_spread((what + ", no directory cache").c_str(), uncached);
    remove((root + "/" + package_name).c_str());
  }
  shell("rm -rf " + shell_quote(root.c_str()));
  return 0;
}
