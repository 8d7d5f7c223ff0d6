// Text file stream: line reading, escapes, encodings, round trips.
#include "text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "folder.h"
#include "test_support.h"

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes bytes_of(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A text stream on a file of the given bytes, as the opener leaves it after
// the byte-order mark.
struct Reader {
  TEXT_FILE file;
  explicit Reader(const Bytes& content, bool sixteen = false, bool swapped = false) {
    std::string path = zt::make_temp_dir("r") + "/in.txt";
    zt::write_bytes(path, content);
    file.stream = fopen(path.c_str(), "rb");
    file.mode = 0;
    file.sixteen_bit = sixteen;
    file.swapped = swapped;
  }
  ~Reader() {
    if (file.stream) fclose(file.stream);
  }
  std::vector<std::string> lines() {
    std::vector<std::string> out;
    char buffer[1024];
    while (file.read_line(buffer)) out.push_back(buffer);
    return out;
  }
};

struct Writer {
  TEXT_FILE file;
  std::string path;
  explicit Writer(bool sixteen = false) {
    path = zt::make_temp_dir("w") + "/out.txt";
    file.stream = fopen(path.c_str(), "wb");
    file.mode = 1;
    file.sixteen_bit = sixteen;
  }
  ~Writer() {
    if (file.stream) fclose(file.stream);
  }
  Bytes close() {
    fclose(file.stream);
    file.stream = nullptr;
    return zt::read_bytes(path);
  }
};

const std::string ESC = "\x01";

TEST(TextFile, ReadLinesOfEightBitFiles) {
  struct Case {
    const char* what;
    std::string content;
    std::vector<std::string> lines;
  } cases[] = {
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"LF, last line open", "a\nb", {"a", "b"}},
      {"CR", "a\rb\r", {"a", "b"}},
      {"empty lines", "\n\nx\n", {"", "", "x"}},
      {"stray CR in LF file", "a\nb\rc\n", {"a", "bc"}},
      {"two-byte UTF-8", "\xD0\x90", {ESC + ",0410"}},
      {"run closes before narrow", "a\xD0\x90\xD0\x91" "b", {"a" + ESC + ",0410,0411" + ESC + "b"}},
      {"Latin-1 range stays narrow", "\xC3\xA9t\xC3\xA9", {"\xE9t\xE9"}},
      {"three-byte UTF-8", "\xE4\xB8\xAD", {ESC + ",4E2D"}},
      {"beyond U+FFFF", "\xF0\x9F\x98\x80!", {ESC + ",FFFD" + ESC + "!"}},
      {"broken sequence keeps the line end", "a\xC3\nb\n", {"a", "b"}},
      {"lone continuation byte", "\x80x", {"\x80x"}},
  };
  for (const Case& c : cases) {
    Reader r(bytes_of(c.content));
    EXPECT_EQ(r.lines(), c.lines) << c.what;
  }
}

TEST(TextFile, ReadLinesOfSixteenBitFiles) {
  struct Case {
    const char* what;
    Bytes content;
    bool swapped;
    std::vector<std::string> lines;
  } cases[] = {
      {"host order", {'a', 0, '\r', 0, '\n', 0, 0x10, 0x04, '\n', 0}, false, {"a", ESC + ",0410"}},
      {"swapped", {0, 'a', 0, '\n', 0, 'b', 0, '\n'}, true, {"a", "b"}},
      {"surrogate pair is one character", {0x3D, 0xD8, 0x00, 0xDE, 'x', 0}, false, {ESC + ",FFFD" + ESC + "x"}},
      {"lone surrogate kept", {0x3D, 0xD8, 'x', 0}, false, {ESC + ",D83D" + ESC + "x"}},
      {"odd trailing byte is the end", {'a', 0, 'b'}, false, {"a"}},
  };
  for (const Case& c : cases) {
    Reader r(c.content, true, c.swapped);
    EXPECT_EQ(r.lines(), c.lines) << c.what;
  }
}

TEST(TextFile, LongLineIsCutAndItsNextCharacterDropped) {
  std::string line(300, 'x');
  for (int i = 0; i < 300; i++) line[i] = static_cast<char>('a' + i % 26);
  Reader r(bytes_of(line + "\n"));
  char buffer[256];
  ASSERT_TRUE(r.file.read_line(buffer));
  EXPECT_EQ(std::string(buffer), line.substr(0, 255));
  ASSERT_TRUE(r.file.read_line(buffer));
  EXPECT_EQ(std::string(buffer), line.substr(256));
  EXPECT_FALSE(r.file.read_line(buffer));
}

TEST(TextFile, EscapeThatDoesNotFitEndsTheLine) {
  // Five narrow characters and max_line 8: the escape needs six more bytes.
  Reader r(bytes_of("abcde\xD0\x90z\n"));
  r.file.max_line = 8;
  char buffer[8];
  ASSERT_TRUE(r.file.read_line(buffer));
  EXPECT_EQ(std::string(buffer), "abcde");
  ASSERT_TRUE(r.file.read_line(buffer));
  EXPECT_EQ(std::string(buffer), "z");
}

TEST(TextFile, ReadCharDeliversLineEndsAsLf) {
  Reader r(bytes_of("a\r\nb"));
  std::string got;
  INT_U8 c;
  while (r.file.read_char(&c)) got += static_cast<char>(c);
  EXPECT_EQ(got, "a\nb");
  EXPECT_EQ(r.file.line_end, 13);
}

TEST(TextFile, WriteStringDecodesEscapes) {
  struct Case {
    const char* what;
    std::string text;
    Bytes utf8;
    Bytes sixteen;
  } cases[] = {
      {"run and back", "a" + ESC + ",0410,0411" + ESC + "b",
       {'a', 0xD0, 0x90, 0xD0, 0x91, 'b'},
       {'a', 0, 0x10, 0x04, 0x11, 0x04, 'b', 0}},
      {"Latin-1 byte", "\xE9", {0xC3, 0xA9}, {0xE9, 0}},
      {"line end is LF only", "x\n", {'x', '\n'}, {'x', 0, '\n', 0}},
      {"lower-case digits, no comma", ESC + "00e9" + ESC, {0xC3, 0xA9}, {0xE9, 0}},
      {"letters skipped, short group eats its end", ESC + "zz12X,0041", {'A'}, {'A', 0}},
      {"comma after a closing escape is skipped", ESC + ",0041" + ESC + ",b", {'A', 'b'}, {'A', 0, 'b', 0}},
      {"three-byte", ESC + ",4E2D", {0xE4, 0xB8, 0xAD}, {0x2D, 0x4E}},
      {"line end closes an open run", ESC + ",0416\nabc", {0xD0, 0x96, '\n', 'a', 'b', 'c'},
       {0x16, 0x04, '\n', 0, 'a', 0, 'b', 0, 'c', 0}},
  };
  for (const Case& c : cases) {
    Writer w8(false);
    EXPECT_TRUE(w8.file.write_string(c.text.c_str())) << c.what;
    EXPECT_EQ(w8.close(), c.utf8) << c.what;
    Writer w16(true);
    EXPECT_TRUE(w16.file.write_string(c.text.c_str())) << c.what;
    EXPECT_EQ(w16.close(), c.sixteen) << c.what;
  }
}

TEST(TextFile, TerminatorEndsAShortDigitGroup) {
  // What follows the terminator must never be read: the digits after it
  // would make a character.
  const char text[] = "\x01" "12\0" "0041";
  Writer w;
  EXPECT_TRUE(w.file.write_string(text));
  EXPECT_EQ(w.close(), Bytes{});
}

TEST(TextFile, PutCodeEncodings) {
  struct Case {
    INT_U32 value;
    Bytes utf8;
  } cases[] = {
      {0x41, {0x41}},
      {0x7FF, {0xDF, 0xBF}},
      {0xFFFF, {0xEF, 0xBF, 0xBF}},
      {0x1F600, {0xF0, 0x9F, 0x98, 0x80}},
      {0x10FFFF, {0xF4, 0x8F, 0xBF, 0xBF}},
      {0x110041, {0x41}},
  };
  for (const Case& c : cases) {
    Writer w;
    EXPECT_TRUE(w.file.put_code(c.value));
    EXPECT_EQ(w.close(), c.utf8) << std::hex << c.value;
  }
  Writer plain;
  plain.file.utf8 = 0;
  EXPECT_TRUE(plain.file.write_char(0xE9));
  EXPECT_EQ(plain.close(), Bytes{0xE9});
}

TEST(TextFile, PrintfFormatsIntoEscapedText) {
  Writer w;
  w.file.printf("%s=%d\n", "n", 42);
  EXPECT_EQ(w.close(), bytes_of("n=42\n"));
}

TEST(TextFile, OperationsRefuseTheWrongModeOrNoStream) {
  Reader r(bytes_of("abc\n"));
  EXPECT_FALSE(r.file.write_string("x"));
  EXPECT_FALSE(r.file.write_char('x'));
  Writer w;
  char buffer[256];
  INT_U8 c;
  EXPECT_FALSE(w.file.read_line(buffer));
  EXPECT_FALSE(w.file.read_char(&c));
  EXPECT_FALSE(w.file.write_string(nullptr));
  EXPECT_TRUE(w.file.write_string(""));
  TEXT_FILE closed;
  EXPECT_FALSE(closed.read_line(buffer));
  EXPECT_FALSE(closed.put_code('a'));
  EXPECT_EQ(closed.get_code(), -1);
}

TEST(TextFile, Utf8ToSixteenBitAndBackIsByteIdentical) {
  const std::string original =
      "plain ASCII line\n"
      "caf\xC3\xA9 na\xC3\xAFve \xC3\xBF\n"
      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 mixed \xE4\xB8\xAD\xE6\x96\x87 end\n"
      "\n"
      "\xE2\x82\xAC" "5 \xE2\x80\x94 tab\there\n"
      "last\n";
  Reader source(bytes_of(original));
  std::vector<std::string> lines = source.lines();
  ASSERT_EQ(lines.size(), 6u);

  Writer wide(true);
  for (const std::string& line : lines) {
    ASSERT_TRUE(wide.file.write_string(line.c_str()));
    ASSERT_TRUE(wide.file.write_string("\n"));
  }
  Bytes wide_bytes = wide.close();

  Reader back(wide_bytes, true);
  Writer narrow(false);
  for (const std::string& line : back.lines()) {
    ASSERT_TRUE(narrow.file.write_string(line.c_str()));
    ASSERT_TRUE(narrow.file.write_string("\n"));
  }
  EXPECT_EQ(narrow.close(), bytes_of(original));
}

TEST(TextFile, FinishReportsAFailedWrite) {
  TEXT_FILE* full = new TEXT_FILE;
  full->stream = fopen("/dev/full", "w");
  ASSERT_NE(full->stream, nullptr);
  full->mode = 1;
  full->write_string("some text that cannot be stored\n");
  EXPECT_FALSE(finish_text_file(&full));
  EXPECT_EQ(full, nullptr);

  std::string path = zt::make_temp_dir() + "/ok.txt";
  TEXT_FILE* ok = new TEXT_FILE;
  ok->stream = fopen(path.c_str(), "w");
  ok->mode = 1;
  ok->write_string("fine\n");
  EXPECT_TRUE(finish_text_file(&ok));
  EXPECT_EQ(zt::read_text(path), "fine\n");
}

}  // namespace

namespace {

TEST(TextFile, OpenedFilesCarryTheirByteOrderMark) {
  std::string dir = zt::make_temp_dir("open");
  FOLDER folder{FOLDER::UNSET()};
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  TEXT_FILE* w = open_text_file(&folder, "u.txt", 1, 1);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->write_string(("a" + ESC + ",0416\n").c_str()));
  close_text_file(&w);
  TEXT_FILE* a = open_text_file(&folder, "u.txt", 2, 0);
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->write_string("b\n"));
  EXPECT_TRUE(finish_text_file(&a));
  EXPECT_EQ(zt::read_bytes(dir + "/u.txt"), (Bytes{0xFF, 0xFE, 'a', 0, 0x16, 0x04, '\n', 0, 'b', 0, '\n', 0}));
  TEXT_FILE* r = open_text_file(&folder, "u.txt", 0, 0);
  ASSERT_NE(r, nullptr);
  char line[256];
  ASSERT_TRUE(r->read_line(line));
  EXPECT_EQ(std::string(line), "a" + ESC + ",0416");
  ASSERT_TRUE(r->read_line(line));
  EXPECT_EQ(std::string(line), "b");
  EXPECT_FALSE(r->read_line(line));
  close_text_file(&r);
}

}  // namespace
