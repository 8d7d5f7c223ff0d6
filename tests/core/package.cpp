// Package container: golden bytes, directory and free list, damaged files,
// full disks and read-only media.
#include "package.h"

#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <functional>
#include <cstring>
#include <string>
#include <vector>

#include "errors.h"
#include "test_support.h"

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Bytes le32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }
Bytes be32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }
Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes zeros(size_t n) { return Bytes(n, 0); }

// A folder on a test directory, set literally.
struct Dir {
  std::string path;
  FOLDER folder{FOLDER::UNSET()};
  Dir() : path(zt::make_temp_dir("pkg")) { EXPECT_TRUE(folder.set_if_directory(path.c_str())); }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};

void put(Dir& dir, const std::string& name, const Bytes& content) { zt::write_bytes(dir / name, content); }

int tmp_files_in(const char* path) {
  DIR* d = opendir(path);
  if (!d) return 0;
  int copies = 0;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n.size() > 4 && n.compare(n.size() - 4, 4, ".tmp") == 0) copies++;
  }
  closedir(d);
  return copies;
}

// Temporary copies of entries, in "$TEMP" and in the process's own folder.
int temporary_copies() {
  FOLDER temp{FOLDER::UNSET()}, own{FOLDER::UNSET()};
  if (!temp.set("$TEMP") || !get_private_temp_folder(&own)) return -1;
  return tmp_files_in(temp.native_path_text()) + tmp_files_in(own.native_path_text());
}

// The empty package as the format lays it out, in little-endian order.
Bytes empty_package(uint32_t block_size, uint32_t first = 0, uint32_t last = 0) {
  return Bytes{0} + text("ZORVPKG") + Bytes{0} + Bytes{1, 0} +                    // byte order, magic, version
         le32(block_size) + le32(26) + le32(0) + le32(0) +                         // header
         le32(4) + text("root") + le32(first) + le32(last) + zeros(12);            // root
}

// One entry "a" holding "xyz" at block size 16: 100 bytes.
Bytes one_entry_package() {
  return empty_package(16, 54, 54) +
         le32(1) + text("a") + le32(75) + le32(75) + le32(0) + le32(3) +  // entry at 54
         le32(0) + text("xyz") + zeros(13) + le32(3);                     // block at 75
}

TEST(Package, CreatedEmptyPackageIsFiftyFiveBytes) {
  Dir dir;
  {
    PACKAGE package(&dir.folder, "new.pkg", 1, 16);
    ASSERT_NE(package.file, nullptr);
    EXPECT_EQ(last_error_code, 0);
  }
  EXPECT_EQ(zt::read_bytes(dir / "new.pkg"), empty_package(16));
}

TEST(Package, DefaultBlockSizeIsTheDataFileBuffer) {
  Dir dir;
  { PACKAGE package(&dir.folder, "d.pkg", 1); }
  EXPECT_EQ(zt::read_bytes(dir / "d.pkg"), empty_package(524288));
}

TEST(Package, OneEntryGoldenBytesCachedAndUncached) {
  for (INT_U8 cache : {0, 1}) {
    Dir dir;
    put(dir, "a", text("xyz"));
    {
      PACKAGE package(&dir.folder, "p.pkg", 1, 16, cache);
      ASSERT_TRUE(package.store_file(&dir.folder, "a", nullptr, 0));
      PACKAGE_ENTRY entry;
      ASSERT_TRUE(package.find_entry("a", &entry));
      EXPECT_EQ(entry.size, 3u);
    }
    EXPECT_EQ(zt::read_bytes(dir / "p.pkg"), one_entry_package()) << "cache " << int(cache);
  }
}

TEST(Package, CachedDirectoryReachesTheFileOnlyAtTheEnd) {
  Dir dir;
  put(dir, "a", text("xyz"));
  PACKAGE* package = new PACKAGE(&dir.folder, "p.pkg", 1, 16, 1);
  ASSERT_TRUE(package->store_file(&dir.folder, "a"));
  PACKAGE_ENTRY entry;
  EXPECT_TRUE(package->find_entry("a", &entry));
  Bytes during = zt::read_bytes(dir / "p.pkg");
  delete package;
  Bytes after = zt::read_bytes(dir / "p.pkg");
  EXPECT_EQ(after, one_entry_package());
  // Until then the root still names no entry.
  ASSERT_GE(during.size(), 55u);
  EXPECT_EQ(Bytes(during.begin() + 35, during.begin() + 43), le32(0) + le32(0));
}

TEST(Package, ReadOnlyUseLeavesACachedPackageUntouched) {
  Dir dir;
  put(dir, "p.pkg", one_entry_package());
  struct timeval old_times[2] = {{1000, 0}, {1000, 0}};
  ASSERT_EQ(utimes((dir / "p.pkg").c_str(), old_times), 0);
  {
    PACKAGE package(&dir.folder, "p.pkg", 0, -1, 1);
    ASSERT_TRUE(package.extract(&dir.folder, "out", "a"));
  }
  struct stat after;
  ASSERT_EQ(stat((dir / "p.pkg").c_str(), &after), 0);
  EXPECT_EQ(after.st_mtime, 1000);
  EXPECT_EQ(zt::read_text(dir / "out"), "xyz");
}

TEST(Package, ExtractCopiesTheStoredBytes) {
  Dir dir;
  Bytes big(5000);
  for (size_t i = 0; i < big.size(); i++) big[i] = uint8_t(i * 7 + 3);
  put(dir, "big", big);
  put(dir, "empty", {});
  PACKAGE package(&dir.folder, "p.pkg", 1, 300);
  ASSERT_TRUE(package.store_file(&dir.folder, "big", "data/big.bin"));
  ASSERT_TRUE(package.store_file(&dir.folder, "empty"));
  ASSERT_TRUE(package.extract(&dir.folder, "copy", "data/big.bin"));
  EXPECT_EQ(zt::read_bytes(dir / "copy"), big);
  ASSERT_TRUE(package.extract(&dir.folder, "empty.out", "empty"));
  EXPECT_EQ(zt::read_bytes(dir / "empty.out"), Bytes{});
  PACKAGE_ENTRY entry;
  EXPECT_FALSE(package.find_entry("data/BIG.bin", &entry));
  EXPECT_FALSE(package.extract(&dir.folder, "x", "missing"));
  EXPECT_EQ(last_error_code, 4112);
  EXPECT_STREQ(last_error_argument, "missing");
}

std::vector<uint32_t> progress_seen;
void record_progress(PACKAGE*, INT_U32 so_far, INT_U32 size, INT_WORD user) {
  progress_seen.push_back(so_far);
  progress_seen.push_back(size);
  progress_seen.push_back(uint32_t(user));
}

TEST(Package, ProgressSeesTheRunningTotal) {
  Dir dir;
  put(dir, "f", zeros(40));
  PACKAGE package(&dir.folder, "p.pkg", 1, 16);
  progress_seen.clear();
  ASSERT_TRUE(package.store_file(&dir.folder, "f", nullptr, 1, record_progress, 7));
  EXPECT_EQ(progress_seen, (std::vector<uint32_t>{16, 40, 7, 32, 40, 7, 40, 40, 7}));
  progress_seen.clear();
  ASSERT_TRUE(package.extract(&dir.folder, "g", "f", record_progress, 9));
  EXPECT_EQ(progress_seen, (std::vector<uint32_t>{16, 40, 9, 32, 40, 9, 40, 40, 9}));
}

TEST(Package, StoreWithoutReplaceChangesNothing) {
  Dir dir;
  put(dir, "a", text("xyz"));
  put(dir, "b", text("other"));
  {
    PACKAGE package(&dir.folder, "p.pkg", 1, 16);
    ASSERT_TRUE(package.store_file(&dir.folder, "a"));
    EXPECT_FALSE(package.store_file(&dir.folder, "b", "a", 0));
  }
  EXPECT_EQ(zt::read_bytes(dir / "p.pkg"), one_entry_package());
}

TEST(Package, FreeListIsReusedFirstInFirstOut) {
  for (INT_U8 cache : {0, 1}) {
    Dir dir;
    put(dir, "a", Bytes(40, 'Q'));  // three blocks: 75, 99, 123; stale bytes would show
    put(dir, "b", text("bbbbb"));
    put(dir, "small", text("AAAAA"));
    Bytes c(20);
    for (size_t i = 0; i < c.size(); i++) c[i] = uint8_t('c' + i);
    put(dir, "c", c);
    PACKAGE* package = new PACKAGE(&dir.folder, "p.pkg", 1, 16, cache);
    ASSERT_TRUE(package->store_file(&dir.folder, "a"));  // entry 54, blocks 75 99 123
    ASSERT_TRUE(package->store_file(&dir.folder, "b"));  // entry 147, block 168
    ASSERT_TRUE(package->store_file(&dir.folder, "small", "a", 1));
    EXPECT_EQ(package->header.first_free, 99u);
    EXPECT_EQ(package->header.last_free, 123u);
    EXPECT_EQ(package->file->get_size(), 192u);
    ASSERT_TRUE(package->store_file(&dir.folder, "c"));  // entry 192, blocks 99 123
    EXPECT_EQ(package->header.first_free, 0u);
    EXPECT_EQ(package->header.last_free, 0u);
    delete package;

    Bytes file = zt::read_bytes(dir / "p.pkg");
    ASSERT_EQ(file.size(), 214u) << "cache " << int(cache);
    Bytes expected = empty_package(16, 54, 192) +
                     le32(1) + text("a") + le32(75) + le32(75) + le32(147) + le32(5) +
                     le32(0) + text("AAAAA") + zeros(11) + le32(5) +
                     le32(123) + Bytes(c.begin(), c.begin() + 16) + le32(16) +
                     le32(0) + Bytes(c.begin() + 16, c.end()) + zeros(12) + le32(4) +
                     le32(1) + text("b") + le32(168) + le32(168) + le32(192) + le32(5) +
                     le32(0) + text("bbbbb") + zeros(11) + le32(5) +
                     le32(1) + text("c") + le32(99) + le32(123) + le32(0) + le32(20);
    EXPECT_EQ(file, expected) << "cache " << int(cache);
  }
}

TEST(Package, TrailingEmptyBlockExactlyForEmptyAndBufferSizedSources) {
  INT_S32 saved = data_file_default_buffer_size;
  data_file_default_buffer_size = 1024;
  struct Case {
    size_t length;
    size_t blocks;  // of 512 bytes
    uint32_t last_used;
  } cases[] = {{0, 1, 0}, {1000, 2, 488}, {1024, 3, 0}, {1500, 3, 476}, {2048, 5, 0}};
  for (const Case& c : cases) {
    Dir dir;
    put(dir, "e", Bytes(c.length, 0x5A));
    { PACKAGE package(&dir.folder, "p.pkg", 1, 512); ASSERT_TRUE(package.store_file(&dir.folder, "e")); }
    Bytes file = zt::read_bytes(dir / "p.pkg");
    ASSERT_EQ(file.size(), 55 + 21 + c.blocks * 520) << c.length;
    EXPECT_EQ(Bytes(file.end() - 4, file.end()), le32(c.last_used)) << c.length;
    PACKAGE package(&dir.folder, "p.pkg");
    ASSERT_TRUE(package.extract(&dir.folder, "out", "e"));
    EXPECT_EQ(zt::read_bytes(dir / "out"), Bytes(c.length, 0x5A));
  }
  data_file_default_buffer_size = saved;
}

TEST(Package, BigEndianPackageIsRead) {
  Dir dir;
  Bytes swapped = Bytes{1} + text("ZORVPKG") + Bytes{'!'} + Bytes{0, 1} +
                  be32(16) + be32(26) + be32(0) + be32(0) +
                  be32(4) + text("root") + be32(54) + be32(54) + zeros(12) +
                  be32(1) + text("a") + be32(75) + be32(75) + be32(0) + be32(3) +
                  be32(0) + text("xyz") + zeros(13) + be32(3);
  put(dir, "be.pkg", swapped);
  {
    PACKAGE package(&dir.folder, "be.pkg", 0, -1, 1);
    ASSERT_NE(package.file, nullptr);
    EXPECT_EQ(package.header.block_size, 16u);
    ASSERT_TRUE(package.extract(&dir.folder, "out", "a"));
  }
  EXPECT_EQ(zt::read_text(dir / "out"), "xyz");
  EXPECT_EQ(zt::read_bytes(dir / "be.pkg"), swapped);
}

TEST(Package, OpeningChecksMagicVersionAndHeader) {
  const Bytes one = one_entry_package();
  const Bytes after_version(one.begin() + 11, one.end());
  struct Case {
    const char* what;
    Bytes content;
    int error;  // 0: opens
  } cases[] = {
      {"eighth magic byte is free", Bytes{0} + text("ZORVPKG?") + Bytes{1, 0} + after_version, 0},
      {"version 0x8000 counts as negative", Bytes{0} + text("ZORVPKG") + Bytes{0, 0x00, 0x80} + after_version, 0},
      {"version 2", Bytes{0} + text("ZORVPKG") + Bytes{0, 2, 0} + after_version, 4106},
      {"not a package", Bytes{0} + text("hello world, this is not a package at all"), 4105},
      {"short file", Bytes{0} + text("ZORV"), 4103},
      {"header cut", Bytes(one.begin(), one.begin() + 20), 4103},
      {"block size 0", empty_package(0), 4103},
      {"block size beyond any buffer", empty_package(0x7FFFFFF0), 4103},
      {"root outside the file", Bytes{0} + text("ZORVPKG") + Bytes{0, 1, 0} + le32(16) + le32(5000) + le32(0) + le32(0), 4103},
      {"root name length huge", Bytes{0} + text("ZORVPKG") + Bytes{0, 1, 0} + le32(16) + le32(26) + le32(0) + le32(0) + le32(0xFFFFFFF0) + text("root") + zeros(20), 4103},
  };
  for (const Case& c : cases) {
    Dir dir;
    put(dir, "x.pkg", c.content);
    PACKAGE package(&dir.folder, "x.pkg");
    EXPECT_EQ(package.file != nullptr, c.error == 0) << c.what;
    EXPECT_EQ(last_error_code, c.error) << c.what;
    if (c.error) {
      EXPECT_FALSE(package.extract(&dir.folder, "o", "a")) << c.what;
    }
  }
}

TEST(Package, MissingFileWithoutCreate) {
  Dir dir;
  PACKAGE package(&dir.folder, "none.pkg");
  EXPECT_EQ(package.file, nullptr);
  EXPECT_EQ(last_error_code, 4108);
  EXPECT_FALSE(package.extract(&dir.folder, "o", "a"));
  EXPECT_EQ(last_error_code, 4109);
  EXPECT_FALSE(zt::file_exists(dir / "none.pkg"));
}

// Copies of the one-entry package with one field changed.
Bytes patched(size_t offset, const Bytes& value, size_t cut = 0) {
  Bytes b = one_entry_package();
  std::copy(value.begin(), value.end(), b.begin() + offset);
  if (cut) b.resize(cut);
  return b;
}
// File offsets in the one-entry package (data position + 1).
const size_t ENTRY = 55, ENTRY_FIRST = ENTRY + 5, ENTRY_NEXT = ENTRY + 13, ENTRY_SIZE = ENTRY + 17;
const size_t BLOCK = 76, BLOCK_USED = BLOCK + 20;

TEST(Package, DamagedPackagesFailExtractionQuicklyAndBounded) {
  struct Case {
    const char* what;
    Bytes content;
  } cases[] = {
      {"cut inside the block", patched(0, {}, 90)},
      {"cut inside the entry name", patched(0, {}, 60)},
      {"block links to itself", patched(BLOCK, le32(75))},
      {"block links outside the file", patched(BLOCK, le32(0x7FFFFFF0))},
      {"used count above the block size", patched(ENTRY_SIZE, le32(1000)) },
      {"first block outside the file", patched(ENTRY_FIRST, le32(0xFFFFFFF0))},
      {"first block is the entry itself", patched(ENTRY_FIRST, le32(54))},
      {"total beyond the entry size", patched(ENTRY_SIZE, le32(2))},
      {"chain shorter than the entry size", patched(ENTRY_SIZE, le32(10))},
      {"huge name length", patched(ENTRY, le32(0xFFFFFFF0))},
  };
  // The used-count case needs its used field raised too.
  {
    Bytes& b = cases[4].content;
    Bytes used = le32(1000);
    std::copy(used.begin(), used.end(), b.begin() + BLOCK_USED);
  }
  for (const Case& c : cases) {
    for (INT_U8 cache : {0, 1}) {
      Dir dir;
      put(dir, "bad.pkg", c.content);
      auto start = std::chrono::steady_clock::now();
      {
        PACKAGE package(&dir.folder, "bad.pkg", 0, -1, cache);
        EXPECT_FALSE(package.extract(&dir.folder, "out", "a")) << c.what;
        // What could not be read is the package, wherever it was cut.
        EXPECT_STREQ(get_last_error_text(), "Error: Unable to read from file bad.pkg.") << c.what;
      }
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.what;
      if (zt::file_exists(dir / "out")) {
        EXPECT_LE(zt::read_bytes(dir / "out").size(), 3u) << c.what;
      }
    }
  }
}

TEST(Package, DirectoryCycleEndsTheWalk) {
  Dir dir;
  put(dir, "loop.pkg", patched(ENTRY_NEXT, le32(54)));
  for (INT_U8 cache : {0, 1}) {
    PACKAGE package(&dir.folder, "loop.pkg", 0, -1, cache);
    PACKAGE_ENTRY entry;
    EXPECT_FALSE(package.find_entry("zzz", &entry));
    EXPECT_TRUE(package.find_entry("a", &entry));
  }
}

TEST(Package, ExtractionToAFullDiskFails) {
  Dir dir;
  put(dir, "p.pkg", one_entry_package());
  FOLDER dev{FOLDER::UNSET()};
  ASSERT_TRUE(dev.set_if_directory("/dev"));
  PACKAGE package(&dir.folder, "p.pkg");
  EXPECT_FALSE(package.extract(&dev, "full", "a"));
  EXPECT_EQ(last_error_code, 4104);
  EXPECT_STREQ(last_error_argument, "full");
}

TEST(Package, EntryFilesAreTemporaryCopies) {
  for (INT_U8 cache : {0, 1}) {
    Dir dir;
    put(dir, "a", text("xyz"));
    {
      PACKAGE package(&dir.folder, "p.pkg", 1, 16, cache);
      ASSERT_TRUE(package.store_file(&dir.folder, "a"));
      DATA_FILE* reader = package.open_file("a", 0, 0);
      ASSERT_NE(reader, nullptr);
      // The copy lies in the process's own folder, which a signal that ends
      // the program takes away whole; "$TEMP" itself holds none.
      FOLDER temp{FOLDER::UNSET()}, own{FOLDER::UNSET()};
      ASSERT_TRUE(temp.set("$TEMP") && get_private_temp_folder(&own));
      EXPECT_EQ(tmp_files_in(own.native_path_text()), 1);
      EXPECT_EQ(tmp_files_in(temp.native_path_text()), 0);
      char buf[8] = {};
      EXPECT_EQ(reader->read(buf, 8), 3);
      EXPECT_STREQ(buf, "xyz");
      close_package_file(&reader);
      EXPECT_EQ(package.open_file("missing", 0, 0), nullptr);

      DATA_FILE* writer = package.open_file("n", 1, 0);
      ASSERT_NE(writer, nullptr);
      EXPECT_EQ(writer->write("hello", 5), 5);
      close_package_file(&writer);
      ASSERT_TRUE(package.extract(&dir.folder, "n.out", "n"));
      EXPECT_EQ(zt::read_text(dir / "n.out"), "hello");

      PACKAGE_TEXT_FILE* text_file = package.open_text_file("t.txt", 1, 0);
      ASSERT_NE(text_file, nullptr);
      EXPECT_TRUE(text_file->write_string("line\n"));
      close_package_text_file(&text_file);
      EXPECT_EQ(text_file, nullptr);
      ASSERT_TRUE(package.extract(&dir.folder, "t.out", "t.txt"));
      EXPECT_EQ(zt::read_text(dir / "t.out"), "line\n");
    }
    // Stores made by closing entry files reach the file (a cached package
    // writes its directory back).
    PACKAGE again(&dir.folder, "p.pkg");
    ASSERT_TRUE(again.extract(&dir.folder, "n2.out", "n"));
    EXPECT_EQ(zt::read_text(dir / "n2.out"), "hello");
    ASSERT_TRUE(again.extract(&dir.folder, "t2.out", "t.txt"));
  }
  // No temporary copy stays behind.
  EXPECT_EQ(temporary_copies(), 0);
}

TEST(Package, MissingEntryOpenedForReadingLeavesNoTemporaryFile) {
  Dir dir;
  PACKAGE package(&dir.folder, "p.pkg", 1, 16);
  EXPECT_EQ(package.open_text_file("missing.txt", 0, 0), nullptr);
  EXPECT_EQ(package.open_file("missing", 0, 0), nullptr);
  EXPECT_EQ(temporary_copies(), 0);
}

// Closing an entry file says whether its copy reached the package: here the
// copy is gone before the close, as a full or vanished $TEMP would leave it.
TEST(Package, EntryFileThatCannotBeStoredBackIsReportedByItsClose) {
  Dir dir;
  PACKAGE package(&dir.folder, "p.pkg", 1, 16);
  for (bool lose_copy : {false, true}) {
    SCOPED_TRACE(lose_copy ? "copy removed" : "copy kept");
    PACKAGE_DATA_FILE* data = package.open_file("d", 1, 0);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->write("data", 4), 4);
    if (lose_copy) unlink(data->temporary_folder.native_path_text(data->temporary_name));
    DATA_FILE* as_data = data;
    EXPECT_EQ(close_data_file_checked(&as_data), !lose_copy);
    if (lose_copy) {
      EXPECT_EQ(last_error_code, 4110);
    }

    data = package.open_file("d2", 1, 0);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->write("more", 4), 4);
    if (lose_copy) unlink(data->temporary_folder.native_path_text(data->temporary_name));
    as_data = data;
    EXPECT_EQ(close_package_file_checked(&as_data), !lose_copy);
    EXPECT_EQ(as_data, nullptr);

    PACKAGE_TEXT_FILE* text_file = package.open_text_file("t.txt", 1, 0);
    ASSERT_NE(text_file, nullptr);
    EXPECT_TRUE(text_file->write_string("line\n"));
    if (lose_copy) unlink(text_file->temporary_folder.native_path_text(text_file->temporary_name));
    EXPECT_EQ(close_package_text_file_checked(&text_file), !lose_copy);
    EXPECT_EQ(text_file, nullptr);
  }
  PACKAGE_ENTRY entry;
  EXPECT_TRUE(package.find_entry("t.txt", &entry));
  EXPECT_EQ(temporary_copies(), 0);
  DATA_FILE* none = nullptr;
  EXPECT_FALSE(close_package_file_checked(&none));
  EXPECT_FALSE(close_package_text_file_checked(nullptr));
}

TEST(Package, DamagedEntryGivesNoEntryFile) {
  Dir dir;
  put(dir, "bad.pkg", patched(BLOCK, le32(75)));
  {
    PACKAGE package(&dir.folder, "bad.pkg");
    EXPECT_EQ(package.open_file("a", 0, 0), nullptr);
    EXPECT_EQ(package.open_file("a", 2, 0), nullptr);
  }
  EXPECT_EQ(zt::read_bytes(dir / "bad.pkg"), patched(BLOCK, le32(75)));
}

// Runs fn as an unprivileged user when the tests run as root, so that file
// modes hold.
void as_unprivileged(const std::string& dir, const std::function<void()>& fn) {
  if (geteuid() != 0) {
    fn();
    return;
  }
  chmod(zt::sandbox().c_str(), 0755);
  chmod(dir.c_str(), 0777);
  zt::ChildResult r = zt::run_in_child([&] {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    fn();
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  });
  EXPECT_EQ(r.status, 0) << r.out << r.err;
}

TEST(Package, ReadOnlyMediumIsOpenedForReading) {
  Dir dir;
  put(dir, "ro.pkg", one_entry_package());
  put(dir, "new", text("new content"));
  chmod((dir / "ro.pkg").c_str(), 0444);
  chmod((dir / "new").c_str(), 0644);
  as_unprivileged(dir.path, [&] {
    for (INT_U8 cache : {0, 1}) {
      PACKAGE package(&dir.folder, "ro.pkg", 0, -1, cache);
      ASSERT_NE(package.file, nullptr);
      EXPECT_TRUE(package.read_only);
      EXPECT_TRUE(package.extract(&dir.folder, "out", "a"));
      EXPECT_EQ(zt::read_text(dir / "out"), "xyz");
      EXPECT_FALSE(package.store_file(&dir.folder, "new"));
      EXPECT_EQ(last_error_code, 4104);
      EXPECT_EQ(package.open_file("a", 1, 0), nullptr);
      EXPECT_EQ(package.open_file("a", 2, 0), nullptr);
    }
  });
  EXPECT_EQ(zt::read_bytes(dir / "ro.pkg"), one_entry_package());
}

TEST(Package, CreateNeverTruncatesAnUnreadableFile) {
  Dir dir;
  put(dir, "secret.pkg", text("precious"));
  chmod((dir / "secret.pkg").c_str(), 0200);
  as_unprivileged(dir.path, [&] {
    PACKAGE package(&dir.folder, "secret.pkg", 1, 16);
    EXPECT_EQ(package.file, nullptr);
    EXPECT_NE(last_error_code, 0);
  });
  chmod((dir / "secret.pkg").c_str(), 0600);
  EXPECT_EQ(zt::read_text(dir / "secret.pkg"), "precious");
}

}  // namespace

namespace {

TEST(Package, DamagedFreeListIsDroppedNotFollowed) {
  struct Case {
    const char* what;
    uint32_t first_free;
  } cases[] = {{"outside the file", 0x7FFFFFF0}, {"inside the header", 3}};
  for (const Case& c : cases) {
    Dir dir;
    Bytes bad = one_entry_package();
    Bytes link = le32(c.first_free) + le32(c.first_free);
    std::copy(link.begin(), link.end(), bad.begin() + 19);
    put(dir, "p.pkg", bad);
    put(dir, "b", text("bee"));
    {
      PACKAGE package(&dir.folder, "p.pkg");
      ASSERT_TRUE(package.store_file(&dir.folder, "b")) << c.what;
      EXPECT_EQ(package.header.first_free, 0u) << c.what;
    }
    // The new entry went to the end of the file; the old one is intact.
    EXPECT_EQ(zt::read_bytes(dir / "p.pkg").size(), 100u + 21 + 24) << c.what;
    PACKAGE package(&dir.folder, "p.pkg");
    ASSERT_TRUE(package.extract(&dir.folder, "a.out", "a"));
    ASSERT_TRUE(package.extract(&dir.folder, "b.out", "b"));
    EXPECT_EQ(zt::read_text(dir / "a.out"), "xyz");
    EXPECT_EQ(zt::read_text(dir / "b.out"), "bee");
  }
}

TEST(Package, FreeBlockLinkingToItselfIsTakenOnce) {
  Dir dir;
  put(dir, "a", zeros(20));  // blocks 75 and 99
  put(dir, "small", text("s"));
  put(dir, "c", text("0123456789abcdefXYZ"));  // two blocks
  {
    PACKAGE package(&dir.folder, "p.pkg", 1, 16);
    ASSERT_TRUE(package.store_file(&dir.folder, "a"));
  }
  // Free the second block by hand and make it link to itself.
  Bytes b = zt::read_bytes(dir / "p.pkg");
  Bytes fix = le32(99) + le32(99);
  std::copy(fix.begin(), fix.end(), b.begin() + 19);
  Bytes self = le32(99);
  std::copy(self.begin(), self.end(), b.begin() + 100);
  zt::write_bytes(dir / "p.pkg", b);
  {
    PACKAGE package(&dir.folder, "p.pkg");
    ASSERT_TRUE(package.store_file(&dir.folder, "c"));
    ASSERT_TRUE(package.extract(&dir.folder, "c.out", "c"));
  }
  EXPECT_EQ(zt::read_text(dir / "c.out"), "0123456789abcdefXYZ");
}

TEST(Package, EntryFileThatCouldNotBeWrittenIsNotStoredBack) {
  Dir dir;
  put(dir, "p.pkg", one_entry_package());
  zt::ChildResult r = zt::run_in_child([&] {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {4096, 4096};
    setrlimit(RLIMIT_FSIZE, &rl);
    PACKAGE package(&dir.folder, "p.pkg");
    DATA_FILE* f = package.open_file("a", 1, 0);
    if (!f) _exit(2);
    std::vector<char> big(8192, 'q');
    f->write(big.data(), static_cast<INT_S32>(big.size()));
    close_package_file(&f);
    _exit(0);
  });
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(zt::read_bytes(dir / "p.pkg"), one_entry_package());
}

}  // namespace

namespace {

// A chain that runs back to back in places and jumps elsewhere: 99 -> 75 ->
// 87 -> 111. The link read ahead with one block's count belongs to the block
// behind it, and is used only when the chain goes there; the last block ends
// the file, so nothing lies behind it.
TEST(Package, ChainsReadAheadOnlyWhereBlocksAreBackToBack) {
  for (INT_U8 cache : {0, 1}) {
    Dir dir;
    put(dir, "p.pkg",
        empty_package(4, 54, 54) +
            le32(1) + text("e") + le32(99) + le32(111) + le32(0) + le32(13) +  // entry at 54
            le32(87) + text("BBBB") + le32(4) +                                  // block at 75
            le32(111) + text("CCxx") + le32(2) +                                 // block at 87
            le32(75) + text("AAAA") + le32(4) +                                  // block at 99
            le32(0) + text("DDDy") + le32(3));                                   // block at 111
    PACKAGE package(&dir.folder, "p.pkg", 0, -1, cache);
    ASSERT_TRUE(package.extract(&dir.folder, "out", "e")) << "cache " << int(cache);
    EXPECT_EQ(zt::read_bytes(dir / "out"), text("AAAABBBBCCDDD")) << "cache " << int(cache);
  }
}

}  // namespace

namespace {

long package_reads = 0;
ssize_t counting_pread(int fd, void* buffer, size_t count, off_t offset) {
  ++package_reads;
  return pread(fd, buffer, count, offset);
}
struct COUNTED_READS {
  COUNTED_READS() {
    package_reads = 0;
    package_pread = counting_pread;
  }
  ~COUNTED_READS() { package_pread = pread; }
};

// Entries "a", "b" (blocks of 16 bytes), then "a" again and "B": a lookup
// finds the first of a name, compares case and whole names.
Bytes three_names_package() {
  return empty_package(16, 54, 141) +
         le32(1) + text("a") + le32(75) + le32(75) + le32(99) + le32(3) +  // entry at 54
         le32(0) + text("xyz") + zeros(13) + le32(3) +                     // block at 75
         le32(1) + text("b") + le32(0) + le32(0) + le32(120) + le32(0) +   // entry at 99
         le32(1) + text("a") + le32(0) + le32(0) + le32(141) + le32(0) +   // entry at 120
         le32(1) + text("B") + le32(0) + le32(0) + le32(0) + le32(0);      // entry at 141
}

TEST(Package, LookupsGiveTheSameAnswersWithTheDirectoryHeldOrNot) {
  const struct {
    const char* name;
    bool found;
    INT_U32 position;
  } cases[] = {{"a", true, 54}, {"b", true, 99}, {"B", true, 141}, {"A", false, 0}, {"", false, 0},
               {"ab", false, 0}, {"c", false, 0}};
  for (int how = 0; how < 3; ++how) {
    Dir dir;
    put(dir, "p.pkg", three_names_package());
    // Opened without the directory, with it, and held later.
    PACKAGE package(&dir.folder, "p.pkg", 0, -1, how == 1);
    if (how == 2) package.keep_directory();
    EXPECT_EQ(package.cache, how == 0 ? 0 : 1);
    for (const auto& c : cases) {
      PACKAGE_ENTRY entry;
      EXPECT_EQ(package.find_entry(c.name, &entry), c.found) << c.name << " how " << how;
      if (c.found) {
        EXPECT_EQ(entry.position, c.position) << c.name << " how " << how;
      }
      EXPECT_EQ(package.look_up_entry(c.name, &entry), c.found) << c.name;
      if (!c.found) {
        EXPECT_EQ(std::string(get_last_error_text()), std::string("Error: File ") + c.name + " not found in package.");
      }
    }
    ASSERT_TRUE(package.extract(&dir.folder, "out", "a"));
    EXPECT_EQ(zt::read_text(dir / "out"), "xyz");
  }
}

TEST(Package, EntriesStoredIntoAHeldDirectoryAreFoundAtOnce) {
  Dir dir;
  put(dir, "p.pkg", three_names_package());
  put(dir, "src", text("new"));
  PACKAGE package(&dir.folder, "p.pkg", 0, -1, 0);
  package.keep_directory();
  ASSERT_TRUE(package.store_file(&dir.folder, "src", "c"));
  ASSERT_TRUE(package.store_file(&dir.folder, "src", "a"));  // replaces the first "a"
  PACKAGE_ENTRY entry;
  ASSERT_TRUE(package.find_entry("c", &entry));
  EXPECT_EQ(entry.position, 162u);
  ASSERT_TRUE(package.find_entry("a", &entry));
  EXPECT_EQ(entry.position, 54u);
  ASSERT_TRUE(package.extract(&dir.folder, "out", "a"));
  EXPECT_EQ(zt::read_text(dir / "out"), "new");
  package.free_directory();
  EXPECT_TRUE(package.cached_index.empty());
  EXPECT_FALSE(package.find_entry("c", &entry));
}

// With the directory held, looking up the last of many entries reads nothing
// from the file, and extracting a found entry reads its blocks only.
TEST(Package, AHeldDirectoryLooksUpWithoutReading) {
  Dir dir;
  const int kEntries = 2000;
  {
    PACKAGE writer(&dir.folder, "p.pkg", 1, 16, 1);
    put(dir, "src", text("abc"));
    for (int i = 0; i < kEntries; ++i)
      ASSERT_TRUE(writer.store_file(&dir.folder, "src", ("n" + std::to_string(i)).c_str()));
  }
  PACKAGE package(&dir.folder, "p.pkg", 0, -1, 0);
  {
    COUNTED_READS counted;
    package.keep_directory();
    EXPECT_EQ(package_reads, kEntries);
  }
  for (const char* name : {"n0", "n1999"}) {
    COUNTED_READS counted;
    PACKAGE_ENTRY entry;
    ASSERT_TRUE(package.find_entry(name, &entry));
    EXPECT_EQ(package_reads, 0) << name;
    ASSERT_TRUE(package.extract_entry(&dir.folder, "out", entry));
    EXPECT_LE(package_reads, 3) << name;  // the link, the count, the end of the file
    EXPECT_EQ(zt::read_text(dir / "out"), "abc");
  }
}

// Two entries, the second record cut inside: a name the walk could not reach
// is a read error of the package, not a missing entry.
TEST(Package, ADirectoryCutShortIsReportedAsUnreadable) {
  const Bytes cut = empty_package(16, 54, 99) +
                    le32(1) + text("a") + le32(75) + le32(75) + le32(99) + le32(3) +  // entry at 54
                    le32(0) + text("xyz") + zeros(13) + le32(3) +                     // block at 75
                    le32(1) + text("b") + le32(123);                                  // entry at 99, cut
  for (INT_U8 cache : {0, 1}) {
    Dir dir;
    put(dir, "cut.pkg", cut);
    PACKAGE package(&dir.folder, "cut.pkg", 0, -1, cache);
    ASSERT_TRUE(package.file);
    EXPECT_EQ(package.directory_damaged, cache);
    PACKAGE_ENTRY entry;
    ASSERT_TRUE(package.look_up_entry("a", &entry)) << int(cache);
    for (const char* name : {"b", "zzz"}) {
      EXPECT_FALSE(package.look_up_entry(name, &entry)) << name;
      EXPECT_EQ(last_error_code, 4103) << name << " cache " << int(cache);
      EXPECT_STREQ(get_last_error_text(), "Error: Unable to read from file cut.pkg.");
      EXPECT_FALSE(package.extract(&dir.folder, "out", name));
      EXPECT_EQ(last_error_code, 4103);
      EXPECT_FALSE(zt::file_exists(dir / "out"));
    }
    ASSERT_TRUE(package.extract(&dir.folder, "out", "a"));
    EXPECT_EQ(zt::read_text(dir / "out"), "xyz");
  }
}

// Two entries of three bytes each at block size 16, in the order given.
Bytes two_entries(const char* first, const char* first_body, const char* second, const char* second_body) {
  return empty_package(16, 54, 99) +
         le32(1) + text(first) + le32(75) + le32(75) + le32(99) + le32(3) +    // entry at 54
         le32(0) + text(first_body) + zeros(13) + le32(3) +                    // block at 75
         le32(1) + text(second) + le32(120) + le32(120) + le32(0) + le32(3) +  // entry at 99
         le32(0) + text(second_body) + zeros(13) + le32(3);                    // block at 120
}

// A package rewritten in place while its directory is held (the same size,
// the entries in another order): the directory is read again and each name
// gets the bytes it has now. An unchanged file costs no read.
TEST(Package, AHeldDirectoryFollowsAPackageRewrittenInPlace) {
  Dir dir;
  put(dir, "p.pkg", two_entries("a", "aaa", "b", "bbb"));
  // Older than any rewrite, which cannot then keep the same times.
  const struct timespec old_times[2] = {{1000, 0}, {1000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "p.pkg").c_str(), old_times, 0), 0);
  PACKAGE package(&dir.folder, "p.pkg", 0, -1, 0);
  package.keep_directory();
  {
    COUNTED_READS counted;
    EXPECT_FALSE(package.refresh_directory());
    EXPECT_EQ(package_reads, 0);
  }
  put(dir, "p.pkg", two_entries("b", "BBB", "a", "AAA"));
  EXPECT_TRUE(package.refresh_directory());
  EXPECT_FALSE(package.refresh_directory());
  PACKAGE_ENTRY entry;
  ASSERT_TRUE(package.find_entry("a", &entry));
  EXPECT_EQ(entry.position, 99u);
  ASSERT_TRUE(package.extract(&dir.folder, "out", "a"));
  EXPECT_EQ(zt::read_text(dir / "out"), "AAA");
  ASSERT_TRUE(package.extract(&dir.folder, "out", "b"));
  EXPECT_EQ(zt::read_text(dir / "out"), "BBB");

  // Rewritten into something that is no package: every lookup says so.
  put(dir, "p.pkg", text("not a package"));
  EXPECT_TRUE(package.refresh_directory());
  EXPECT_FALSE(package.look_up_entry("a", &entry));
  EXPECT_STREQ(get_last_error_text(), "Error: Unable to read from file p.pkg.");
}

}  // namespace

namespace {

// A FIFO (or another file that is not a regular one) where the package
// should be: refused at once, with or without create, and left as it is.
TEST(Package, AFifoIsRefusedWithoutOpeningIt) {
  Dir dir;
  ASSERT_EQ(mkfifo((dir / "p.pkg").c_str(), 0644), 0);
  for (INT_U8 create : {0, 1}) {
    SCOPED_TRACE(int(create));
    const zt::ChildResult child = zt::run_in_child(
        [&] {
          PACKAGE package(&dir.folder, "p.pkg", create, 16, 1);
          printf("file %d error %d\n", package.file != nullptr, last_error_code);
        },
        5);
    EXPECT_EQ(child.status, 0);
    EXPECT_EQ(child.out, "file 0 error 4103\n");
  }
  struct stat st;
  ASSERT_EQ(lstat((dir / "p.pkg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

std::vector<uint64_t> copies_seen;
void record_copy(PACKAGE*, INT_U64 copied, INT_U32 size) {
  copies_seen.push_back(copied);
  copies_seen.push_back(size);
}

// The copy hook runs after each block with data has reached the output, so
// a test can change the package between two blocks of one copy.
TEST(Package, TheCopyHookRunsAfterEachBlock) {
  Dir dir;
  put(dir, "f", zeros(40));
  put(dir, "empty", {});
  PACKAGE package(&dir.folder, "p.pkg", 1, 16);
  ASSERT_TRUE(package.store_file(&dir.folder, "f"));
  ASSERT_TRUE(package.store_file(&dir.folder, "empty"));
  copies_seen.clear();
  package_copy_hook = record_copy;
  const bool copied = package.extract(&dir.folder, "g", "f");
  const bool empty_copied = package.extract(&dir.folder, "e", "empty");
  package_copy_hook = package_copy_hook_none;
  EXPECT_TRUE(copied);
  EXPECT_TRUE(empty_copied);
  EXPECT_EQ(copies_seen, (std::vector<uint64_t>{16, 40, 32, 40, 40, 40}));
  EXPECT_EQ(zt::read_bytes(dir / "g"), zeros(40));
}

}  // namespace

namespace {

// A FIFO swapped in for the package at any moment (the two names exchanged
// in a loop, as a writer of the folder may do): every opening ends at once,
// with the package or refusing it, and never waits in the open of the FIFO.
TEST(Package, AFifoSwappedInAtAnyMomentNeverHoldsTheOpening) {
  Dir dir;
  put(dir, "p.pkg", one_entry_package());
  ASSERT_EQ(mkfifo((dir / "other").c_str(), 0644), 0);
  const std::string a = dir / "p.pkg", b = dir / "other";
  const zt::ChildResult child = zt::run_in_child(
      [&] {
        std::atomic<bool> stop{false};
        std::thread swapper([&] {
          while (!stop) renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE);
        });
        int opened = 0, refused = 0;
        for (int i = 0; i < 3000; ++i) {
          PACKAGE package(&dir.folder, "p.pkg", 0, -1, 0);
          ++(package.file ? opened : refused);
        }
        stop = true;
        swapper.join();
        printf("ended: %d, some opened: %d, some refused: %d\n", opened + refused, opened > 0, refused > 0);
      },
      20);
  EXPECT_EQ(child.status, 0);
  EXPECT_EQ(child.out, "ended: 3000, some opened: 1, some refused: 1\n");
}

// The package's descriptor is open close-on-exec.
TEST(Package, ThePackageIsNotInheritedByStartedPrograms) {
  Dir dir;
  put(dir, "p.pkg", one_entry_package());
  PACKAGE package(&dir.folder, "p.pkg");
  ASSERT_TRUE(package.file);
  EXPECT_TRUE(fcntl(fileno(package.file->stream), F_GETFD) & FD_CLOEXEC);
}

}  // namespace
