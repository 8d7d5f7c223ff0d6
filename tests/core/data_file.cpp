// Buffered data files: golden bytes, a model-based random test of the update
// mode, gzip streams, write failures, text-file byte-order marks.
#include "data_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "folder_test_util.h"
#include "test_support.h"
#include "text_file.h"

namespace {

// A byte text that may hold NULs.
#define B(literal) std::string(literal, sizeof(literal) - 1)

using Bytes = std::vector<uint8_t>;

class DataFileTest : public ft::SandboxTest {
 protected:
  void SetUp() override {
    SandboxTest::SetUp();
    dir = zt::make_temp_dir("df");
    folder = ft::at(dir);
  }
  std::string file(const std::string& name) { return dir + "/" + name; }
  std::string dir;
  FOLDER folder{FOLDER::UNSET{}};
};

TEST_F(DataFileTest, HeaderAndValuesWrittenByHand) {
  DATA_FILE* f = open_data_file(&folder, "a.bin", DATA_FILE_WRITE, DATA_FILE_HEADER, 0);
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(0u, f->tell());
  EXPECT_EQ(0u, f->get_size());
  EXPECT_TRUE(f->write_u32(258));
  EXPECT_EQ(4u, f->tell());
  EXPECT_EQ(4u, f->get_size());
  EXPECT_TRUE(close_data_file_checked(&f));
  EXPECT_EQ(nullptr, f);
  EXPECT_EQ((Bytes{0x00, 0x02, 0x01, 0x00, 0x00}), zt::read_bytes(file("a.bin")));

  // Without the header the values start at once; swap set by the argument.
  f = open_data_file(&folder, "b.bin", DATA_FILE_WRITE, 1, 0);
  ASSERT_NE(nullptr, f);
  f->write_u32(258);
  f->write_u16(0x0102);
  close_data_file(&f);
  EXPECT_EQ((Bytes{0x00, 0x00, 0x01, 0x02, 0x01, 0x02}), zt::read_bytes(file("b.bin")));
}

TEST_F(DataFileTest, ByteOrderByteSetsTheSwapFlag) {
  struct Case {
    Bytes bytes;
    INT_U32 swap;
    INT_U32 value;
  } cases[] = {
      {{0x01, 0x00, 0x00, 0x01, 0x02}, 1, 258},
      {{0x00, 0x02, 0x01, 0x00, 0x00}, 0, 258},
  };
  for (const Case& c : cases) {
    zt::write_bytes(file("c.bin"), c.bytes);
    DATA_FILE* f = open_data_file(&folder, "c.bin", DATA_FILE_READ, DATA_FILE_HEADER, 0);
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(c.swap, f->swap_flag);
    EXPECT_EQ(4u, f->get_size());
    INT_U32 v = 0;
    EXPECT_TRUE(f->read_u32(&v));
    EXPECT_EQ(c.value, v);
    EXPECT_FALSE(f->read_u8(reinterpret_cast<INT_U8*>(&v)));
    EXPECT_TRUE(f->eof());
    f->seek(0, 0);
    EXPECT_FALSE(f->eof());
    EXPECT_TRUE(f->read_u32(&v));
    EXPECT_EQ(c.value, v);
    close_data_file(&f);
  }
}

TEST_F(DataFileTest, UpdateModeOpening) {
  // An empty file gets the header byte; an existing one opens at its end.
  zt::write_bytes(file("e.bin"), {});
  DATA_FILE* f = open_data_file(&folder, "e.bin", DATA_FILE_UPDATE, DATA_FILE_HEADER, 0);
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(0u, f->tell());
  EXPECT_EQ(0u, f->get_size());
  close_data_file(&f);
  EXPECT_EQ((Bytes{0x00}), zt::read_bytes(file("e.bin")));

  zt::write_bytes(file("g.bin"), {0x00, 1, 2, 3, 4, 5});
  f = open_data_file(&folder, "g.bin", DATA_FILE_UPDATE, DATA_FILE_HEADER, 0);
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(5u, f->tell());
  EXPECT_EQ(5u, f->get_size());
  f->seek(0, 1);
  EXPECT_EQ(5u, f->tell());
  f->seek(-4, 1);
  EXPECT_EQ(1u, f->tell());
  INT_U8 b = 0;
  EXPECT_TRUE(f->read_u8(&b));
  EXPECT_EQ(2, b);
  close_data_file(&f);

  // A missing file is created.
  f = open_data_file(&folder, "new.bin", DATA_FILE_UPDATE, DATA_FILE_HEADER, 0);
  ASSERT_NE(nullptr, f);
  f->write_u8(7);
  close_data_file(&f);
  EXPECT_EQ((Bytes{0x00, 0x07}), zt::read_bytes(file("new.bin")));
}

TEST_F(DataFileTest, ReadAfterWriteInUpdateMode) {
  Bytes original(20);
  for (int i = 0; i < 20; i++) original[i] = static_cast<uint8_t>(100 + i);
  zt::write_bytes(file("u.bin"), original);
  DATA_FILE* f = open_data_file(&folder, "u.bin", DATA_FILE_UPDATE, 0, 0);
  ASSERT_NE(nullptr, f);
  Bytes written(10);
  for (int i = 0; i < 10; i++) written[i] = static_cast<uint8_t>(i);
  f->seek(0, 0);
  EXPECT_EQ(10, f->write(written.data(), 10));
  f->seek(5, 0);
  Bytes got(10);
  EXPECT_EQ(10, f->read(got.data(), 10));
  EXPECT_EQ((Bytes{5, 6, 7, 8, 9, 110, 111, 112, 113, 114}), got);
  close_data_file(&f);
  Bytes expected = original;
  std::copy(written.begin(), written.end(), expected.begin());
  EXPECT_EQ(expected, zt::read_bytes(file("u.bin")));
}

TEST_F(DataFileTest, FlushLeavesTheStreamAtTheLogicalPosition) {
  // Image codecs read the stdio stream directly after a flush.
  DATA_FILE* f = open_data_file(&folder, "p.bin", DATA_FILE_UPDATE, DATA_FILE_HEADER, 0);
  ASSERT_NE(nullptr, f);
  Bytes data(30);
  for (int i = 0; i < 30; i++) data[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(30, f->write(data.data(), 30));
  f->seek(12, 0);  // inside the buffer: only the buffer position moves
  f->flush();
  EXPECT_EQ(1 + 12, ftello(f->stream));
  EXPECT_EQ(12, fgetc(f->stream));
  close_data_file(&f);
}

TEST_F(DataFileTest, BufferSizeIsClamped) {
  struct Case {
    INT_S32 asked, got;
  } cases[] = {{100, 1024}, {100000000, 52428800}, {-1, 524288}, {4096, 4096}, {-7, 1024}};
  for (const Case& c : cases) {
    DATA_FILE f(c.asked);
    EXPECT_EQ(c.got, f.buffer_size) << c.asked;
  }
}

TEST_F(DataFileTest, SeekPastTheEndIsNoData) {
  DATA_FILE* f = open_data_file(&folder, "s.bin", DATA_FILE_WRITE, DATA_FILE_HEADER, 0);
  ASSERT_NE(nullptr, f);
  f->write_u8(1);
  f->seek(100, 0);
  EXPECT_EQ(100u, f->tell());
  EXPECT_EQ(1u, f->get_size());
  f->flush();
  EXPECT_EQ(1u, f->get_size());
  f->seek(0, 1);
  EXPECT_EQ(1u, f->tell());
  close_data_file(&f);
  EXPECT_EQ((Bytes{0x00, 0x01}), zt::read_bytes(file("s.bin")));
}

// Random operations in update mode against a model in memory, with a
// 1024-byte buffer so that reads and writes fall below, on and above it.
TEST_F(DataFileTest, UpdateModeAgainstAModel) {
  std::mt19937 rng(12345);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 40; round++) {
    Bytes model(static_cast<size_t>(pick(0, 3000)));
    for (auto& b : model) b = static_cast<uint8_t>(rng());
    Bytes initial = {0x00};
    initial.insert(initial.end(), model.begin(), model.end());
    zt::write_bytes(file("m.bin"), initial);
    DATA_FILE* file_object = new DATA_FILE(1024);
    DATA_FILE& f = *file_object;
    ASSERT_TRUE(DATA_FILE::open(&folder, "m.bin", DATA_FILE_UPDATE, DATA_FILE_HEADER, &f, 0));
    size_t pos = model.size();
    std::string log;
    for (int step = 0; step < 200; step++) {
      int op = pick(0, 5);
      if (op == 0) {
        bool from_end = pick(0, 1);
        int p = from_end ? pick(-static_cast<int>(model.size()), 300) : pick(0, static_cast<int>(model.size()) + 300);
        f.seek(p, from_end ? 1 : 0);
        pos = static_cast<size_t>(from_end ? static_cast<int>(model.size()) + p : p);
        log += " seek" + std::to_string(pos);
      } else if (op == 1) {
        int n = pick(1, 2500);
        Bytes got(static_cast<size_t>(n), 0xEE);
        INT_S32 r = f.read(got.data(), n);
        size_t expect = pos >= model.size() ? 0 : std::min(model.size() - pos, static_cast<size_t>(n));
        log += " read" + std::to_string(n);
        ASSERT_EQ(static_cast<INT_S32>(expect), r) << log;
        ASSERT_TRUE(std::equal(got.begin(), got.begin() + r, model.begin() + static_cast<long>(pos))) << log;
        pos += expect;
      } else if (op == 2 || op == 3) {
        int n = op == 2 ? pick(1, 300) : pick(900, 2500);
        Bytes data(static_cast<size_t>(n));
        for (auto& b : data) b = static_cast<uint8_t>(rng());
        ASSERT_EQ(n, f.write(data.data(), n));
        if (model.size() < pos + data.size()) model.resize(pos + data.size(), 0);
        std::copy(data.begin(), data.end(), model.begin() + static_cast<long>(pos));
        pos += data.size();
        log += " write" + std::to_string(n);
      } else if (op == 4) {
        f.flush();
        log += " flush";
      }
      ASSERT_EQ(pos, f.tell()) << log;
      ASSERT_EQ(model.size(), f.get_size()) << log;
    }
    ASSERT_TRUE(close_data_file_checked(&file_object));
    Bytes expected = {0x00};
    expected.insert(expected.end(), model.begin(), model.end());
    ASSERT_EQ(expected, zt::read_bytes(file("m.bin"))) << log;
  }
}

TEST_F(DataFileTest, GzipWriteWithForwardSeeks) {
  DATA_FILE* f = open_data_file(&folder, "w.gz", DATA_FILE_WRITE, DATA_FILE_HEADER, 1);
  ASSERT_NE(nullptr, f);
  f->write("abc", 3);
  f->seek(10, 0);
  EXPECT_EQ(3u, f->get_size());
  f->write("xyz", 3);
  std::string big(600000, 'q');  // larger than the buffer: written directly
  f->write(big.data(), static_cast<INT_S32>(big.size()));
  EXPECT_EQ(13u + big.size(), f->get_size());
  EXPECT_TRUE(close_data_file_checked(&f));
  std::string out;
  ASSERT_EQ(0, zt::sh("gzip -dc '" + file("w.gz") + "'", &out));
  EXPECT_EQ(std::string("\0abc\0\0\0\0\0\0\0xyz", 14) + big, out);

  // A gzip stream cannot go back: the write fails and says so.
  f = open_data_file(&folder, "back.gz", DATA_FILE_WRITE, DATA_FILE_HEADER, 1);
  ASSERT_NE(nullptr, f);
  std::string chunk(5000, 'a');
  f->write(chunk.data(), 5000);
  f->flush();
  f->seek(0, 0);
  f->write("b", 1);
  EXPECT_FALSE(close_data_file_checked(&f));
}

TEST_F(DataFileTest, GzipRead) {
  std::string content(1, '\x01');
  for (int i = 0; i < 5000; i++) content += static_cast<char>(i * 7);
  zt::write_text(file("r"), content);
  ASSERT_EQ(0, zt::sh("gzip -c '" + file("r") + "' > '" + file("r.gz") + "'"));
  DATA_FILE* file_object = new DATA_FILE(1024);
  DATA_FILE& f = *file_object;
  ASSERT_TRUE(DATA_FILE::open(&folder, "r.gz", DATA_FILE_READ, DATA_FILE_HEADER, &f, 1));
  EXPECT_EQ(1u, f.swap_flag);
  EXPECT_EQ(5000u, f.get_size());
  std::string got(5000, 0);
  EXPECT_EQ(5000, f.read(&got[0], 5000));
  EXPECT_EQ(content.substr(1), got);
  f.seek(-10, 1);
  char tail[10];
  EXPECT_EQ(10, f.read(tail, 10));
  EXPECT_EQ(content.substr(4991), std::string(tail, 10));
  f.seek(3, 0);
  EXPECT_EQ(4, f.read(tail, 4));
  EXPECT_EQ(content.substr(4, 4), std::string(tail, 4));
  close_data_file(&file_object);

  // Update mode on gzip: open for reading, positioned at the end; a gzip
  // stream runs one way, so a write fails and says so.
  file_object = new DATA_FILE(1024);
  ASSERT_TRUE(DATA_FILE::open(&folder, "r.gz", DATA_FILE_UPDATE, DATA_FILE_HEADER, file_object, 1));
  EXPECT_EQ(5000u, file_object->tell());
  EXPECT_EQ(5000u, file_object->get_size());
  file_object->seek(0, 0);
  EXPECT_EQ(4, file_object->read(tail, 4));
  EXPECT_EQ(content.substr(1, 4), std::string(tail, 4));
  file_object->write("x", 1);
  EXPECT_FALSE(close_data_file_checked(&file_object));
  ASSERT_EQ(0, zt::sh("gzip -dc '" + file("r.gz") + "' | cmp -s - '" + file("r") + "'"));

  // Damaged gzip data is refused at the open.
  content = std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03garbage", 17);
  zt::write_text(file("bad.gz"), content);
  EXPECT_EQ(nullptr, open_data_file(&folder, "bad.gz", DATA_FILE_READ, DATA_FILE_HEADER, 1));
}

TEST_F(DataFileTest, FullDiskIsReported) {
  FOLDER dev = ft::at("/dev");
  // The header byte cannot be written: the open fails.
  EXPECT_EQ(nullptr, open_data_file(&dev, "full", DATA_FILE_WRITE, DATA_FILE_HEADER, 0));
  DATA_FILE* f = open_data_file(&dev, "full", DATA_FILE_WRITE, 0, 0);
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(4, f->write("abcd", 4));  // buffered
  EXPECT_FALSE(f->write_failed());
  EXPECT_FALSE(close_data_file_checked(&f));

  f = open_data_file(&dev, "full", DATA_FILE_WRITE, 0, 0);
  ASSERT_NE(nullptr, f);
  std::string big(600000, 'x');
  EXPECT_GE(0, f->write(big.data(), static_cast<INT_S32>(big.size())));
  EXPECT_TRUE(f->write_failed());
  EXPECT_EQ(0u, f->get_size());
  close_data_file(&f);
  EXPECT_EQ(nullptr, f);

  // gzip: the failure shows when the stream is finished.
  f = open_data_file(&dev, "full", DATA_FILE_WRITE, DATA_FILE_HEADER, 1);
  ASSERT_NE(nullptr, f);
  f->write("abcd", 4);
  EXPECT_FALSE(close_data_file_checked(&f));
}

TEST_F(DataFileTest, OpenRefusals) {
  zt::write_bytes(file("x"), {0});
  EXPECT_EQ(nullptr, open_data_file(&folder, "missing", DATA_FILE_READ, DATA_FILE_HEADER, 0));
  EXPECT_EQ(nullptr, open_data_file(&folder, "", DATA_FILE_READ, 0, 0));
  EXPECT_EQ(nullptr, open_data_file(&folder, nullptr, DATA_FILE_READ, 0, 0));
  EXPECT_EQ(nullptr, open_data_file(&folder, "x", 3, 0, 0));
  EXPECT_EQ(nullptr, open_data_file(nullptr, "x", 0, 0, 0));
  EXPECT_FALSE(DATA_FILE::open(&folder, "x", 0, 0, nullptr, 0));
  DATA_FILE* none = nullptr;
  close_data_file(&none);
}

TEST_F(DataFileTest, WrongDirectionIsFatal) {
  struct Case {
    INT_S32 mode;
    bool do_read;
    const char* code;
  } cases[] = {{DATA_FILE_WRITE, true, "000E"}, {DATA_FILE_READ, false, "000F"}};
  zt::write_bytes(file("d.bin"), {0, 1, 2});
  for (const Case& c : cases) {
    zt::clear_message_box_calls();
    zt::ChildResult r = zt::run_in_child([&] {
      DATA_FILE* f = open_data_file(&folder, "d.bin", c.mode, DATA_FILE_HEADER, 0);
      if (!f) _exit(3);
      INT_U8 b = 0;
      if (c.do_read)
        f->read(&b, 1);
      else
        f->write(&b, 1);
    });
    EXPECT_EQ(255, r.status);
    auto calls = zt::message_box_calls();
    ASSERT_FALSE(calls.empty());
    std::string all;
    for (const auto& a : calls.back()) all += a;
    EXPECT_NE(std::string::npos, all.find(c.code)) << all;
  }
}

TEST_F(DataFileTest, TextOpenByteOrderMarks) {
  struct Case {
    const char* what;
    bool exists;
    std::string content;
    INT_S32 mode;
    INT_U8 unicode;
    bool ok;
    INT_U8 sixteen, swapped;
    long position;
    std::string after;  // file content after writing "Z" (for write and append) and closing
  } cases[] = {
      {"read LE", true, B("\xFF\xFE" "A\0"), 0, 0, true, 1, 0, 2, ""},
      {"read BE", true, B("\xFE\xFF\0A"), 0, 0, true, 1, 1, 2, ""},
      {"read 8-bit", true, "AB", 0, 0, true, 0, 0, 0, ""},
      {"read empty", true, "", 0, 1, true, 0, 0, 0, ""},
      {"read missing", false, "", 0, 0, false, 0, 0, 0, ""},
      {"write 16", true, "old", 1, 1, true, 1, 0, 2, B("\xFF\xFEZ")},
      {"write 8", true, "old", 1, 0, true, 0, 0, 0, "Z"},
      {"append LE", true, B("\xFF\xFE" "A\0"), 2, 0, true, 1, 0, 4, B("\xFF\xFE" "A\0Z")},
      {"append BE", true, B("\xFE\xFF\0A"), 2, 1, false, 0, 0, 0, B("\xFE\xFF\0A")},
      {"append empty 16", true, "", 2, 1, true, 1, 0, 2, B("\xFF\xFEZ")},
      {"append empty 8", true, "", 2, 0, true, 0, 0, 0, "Z"},
      {"append 8", true, "ab", 2, 1, true, 0, 0, -1, "abZ"},
      {"append missing 16", false, "", 2, 1, true, 1, 0, 2, B("\xFF\xFEZ")},
  };
  for (Case& c : cases) {
    std::string name = std::string("t_") + std::to_string(&c - cases);
    remove(file(name).c_str());
    if (c.exists) zt::write_text(file(name), c.content);
    FILE* stream = nullptr;
    INT_U8 sixteen = 9, swapped = 9;
    bool ok = open_text_stream(&folder, name.c_str(), c.mode, c.unicode, &stream, &sixteen, &swapped);
    ASSERT_EQ(c.ok, ok) << c.what;
    if (ok) {
      EXPECT_EQ(c.sixteen, sixteen) << c.what;
      EXPECT_EQ(c.swapped, swapped) << c.what;
      if (c.position >= 0) {
        EXPECT_EQ(c.position, ftell(stream)) << c.what;
      }
      if (c.mode != 0) fputc('Z', stream);
      fclose(stream);
    }
    if (c.mode != 0) {
      EXPECT_EQ(c.after, zt::read_text(file(name))) << c.what;
    }
  }
  // The same through the text-file stream.
  zt::write_text(file("tf"), std::string("\xFE\xFF\0A", 4));
  TEXT_FILE* t = open_text_file(&folder, "tf", 0, 0);
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(1, t->sixteen_bit);
  EXPECT_EQ(1, t->swapped);
  EXPECT_EQ(0, t->mode);
  close_text_file(&t);
  EXPECT_EQ(nullptr, t);
  EXPECT_EQ(nullptr, open_text_file(&folder, "tf", 2, 0));
}

TEST_F(DataFileTest, FileInformationTexts) {
  struct Case {
    INT_U32 size;
    const char* text;
  } cases[] = {{0, "0.0 b"},          {1024, "1024.0 b"},      {1025, "1.0 k"},
               {1536, "1.5 k"},       {1048576, "1024.0 k"},   {1572864, "1.5 M"},
               {1073741824, "1024.0 M"}, {3221225472u, "3.0 G"}};
  DIR_SCAN_ITEM item{};
  for (const Case& c : cases) {
    item.size = c.size;
    EXPECT_STREQ(c.text, get_file_size_text(&item)) << c.size;
  }
  setenv("TZ", "UTC", 1);
  tzset();
  item.modified = 784111777;
  EXPECT_STREQ("Sun Nov  6 08:49:37 1994", get_file_time_text(&item));
}

}  // namespace

namespace {

// The process's open descriptors.
std::set<int> open_descriptors() {
  std::set<int> fds;
  DIR* d = opendir("/proc/self/fd");
  if (!d) return fds;
  const int own = dirfd(d);
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    const int fd = std::atoi(e->d_name);
    if (fd != own) fds.insert(fd);
  }
  closedir(d);
  return fds;
}

// Descriptors opened since `before` that a started program would inherit.
std::string inherited_since(const std::set<int>& before) {
  std::string out;
  for (int fd : open_descriptors())
    if (!before.count(fd) && !(fcntl(fd, F_GETFD) & FD_CLOEXEC)) out += std::to_string(fd) + " ";
  return out;
}

// Data files and text files, in every mode, gzip streams included, are
// open close-on-exec: the programs the installer starts (message boxes, the
// desktop's tools) inherit none of them.
TEST_F(DataFileTest, FilesAreNotInheritedByStartedPrograms) {
  const std::set<int> before = open_descriptors();
  std::vector<DATA_FILE*> files;
  files.push_back(open_data_file(&folder, "plain", DATA_FILE_WRITE, DATA_FILE_HEADER, 0));
  files.push_back(open_data_file(&folder, "zipped", DATA_FILE_WRITE, DATA_FILE_HEADER, 1));
  files.push_back(open_data_file(&folder, "update", DATA_FILE_UPDATE, DATA_FILE_HEADER, 0));
  for (DATA_FILE* f : files) ASSERT_NE(f, nullptr);
  ASSERT_TRUE(files[1]->write_u32(7));
  close_data_file(&files[1]);
  files[1] = open_data_file(&folder, "zipped", DATA_FILE_READ, DATA_FILE_HEADER, 1);
  files.push_back(open_data_file(&folder, "plain", DATA_FILE_READ, DATA_FILE_HEADER, 0));
  files.push_back(open_regular_data_file(&folder, "update", DATA_FILE_UPDATE, DATA_FILE_HEADER));
  for (DATA_FILE* f : files) ASSERT_NE(f, nullptr);
  zt::write_text(file("text"), "line\n");
  std::vector<TEXT_FILE*> texts = {open_text_file(&folder, "text", 0, 0), open_text_file(&folder, "text", 2, 0),
                                   open_text_file(&folder, "new", 1, 0)};
  for (TEXT_FILE* t : texts) ASSERT_NE(t, nullptr);
  EXPECT_GE(open_descriptors().size(), before.size() + files.size() + texts.size());
  EXPECT_EQ(inherited_since(before), "");
  for (DATA_FILE*& f : files) close_data_file(&f);
  for (TEXT_FILE*& t : texts) close_text_file(&t);
  EXPECT_EQ(open_descriptors(), before);
}

}  // namespace
