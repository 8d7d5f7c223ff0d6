#include "errors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "test_support.h"

namespace {
// The stand-in message program records the message argument line by line.
std::string joined(const std::vector<std::string>& lines, size_t from) {
  std::string s;
  for (size_t i = from; i < lines.size(); ++i) s += (i > from ? "\n" : "") + lines[i];
  return s;
}
std::vector<std::string> box_messages() {
  std::vector<std::string> out;
  for (const auto& call : zt::message_box_calls()) {
    EXPECT_GE(call.size(), 3u);
    if (call.size() < 3) continue;
    EXPECT_EQ(call[0], "-buttons");
    EXPECT_EQ(call[1], "OK:2");
    out.push_back(joined(call, 2));
  }
  return out;
}
int table_rows(const ERROR_RECORD* t) {
  int n = 0;
  while (t[n].code != 0xFFFFFFFFu) ++n;
  return n;
}
}  // namespace

TEST(SoftErrors, MessagesByCode) {
  struct Case { INT_U16 code; const char* arg; const char* text; };
  for (const Case& c : std::vector<Case>{
           {0, "x", "No Error"},
           {256, "id", "Warning: The requested entry was not found in the config file (id)."},
           {4098, nullptr, "Error: Error trying to open the config file ."},
           {4102, "p.pkg", "Error: Unable to open the package file p.pkg in write mode"},
           {4112, "a%sb", "Error: File a%sb not found in package."},
           {4109, "ignored", "Error: Package file did not open correctly."},
           {999, "x", "Unknown Error Code"}}) {
    EXPECT_STREQ(get_error_code_text(c.code, c.arg), c.text) << c.code;
    set_last_error(c.code, c.arg);
    EXPECT_EQ(last_error_code, c.code);
    EXPECT_STREQ(get_last_error_text(), c.text);
  }
}

TEST(SoftErrors, ArgumentIsCutTo1023Characters) {
  std::string big(2000, 'a');
  set_last_error(4103, big.c_str());
  EXPECT_EQ(std::string(last_error_argument), big.substr(0, 1023));
  std::string expected = "Error: Unable to read from file " + big.substr(0, 1023) + ".";
  EXPECT_EQ(get_last_error_text(), expected);
  set_last_error(0, nullptr);
  EXPECT_STREQ(last_error_argument, "");
}

TEST(ErrorTables, SizesAndRowsAsDesigned) {
  EXPECT_EQ(table_rows(warning_table), 7);
  EXPECT_EQ(table_rows(error_table), 76);
  int with_extra = 0;
  for (int i = 0; i < 76; ++i) with_extra += error_table[i].append_extra != 0;
  EXPECT_EQ(with_extra, 11);
  for (int i = 0; i + 1 < 76; ++i) EXPECT_LT(error_table[i].code, error_table[i + 1].code);
}

TEST(Warnings, ShowTheRowAndAppendExtraOnlyWhenTheRowSaysSo) {
  zt::clear_message_box_calls();
  report_warning(0x20, "ignored");
  report_warning(0x00, "hello");
  report_warning(0x10, nullptr);
  report_warning(0x77, "x");
  EXPECT_EQ(box_messages(),
            (std::vector<std::string>{
                "Warning:\n\nWARNING: 0020:\nScrollbar dimentions are invalid ",
                "Warning:\n\nWARNING: 0000:\nDEBUG MESSAGE: hello",
                "Warning:\n\nWARNING: 0010:\nToo many colour for a 256 Palette \n\nDo you require more information?",
                "Warning:\n\nWARNING: Undefined warning encountered"}));
}

TEST(Warnings, LongExtraIsCut) {
  zt::clear_message_box_calls();
  std::string big(3000, 'e');
  report_warning(0x01, big.c_str());
  auto m = box_messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].size(), std::string("Warning:\n\n").size() + 1023);
}

TEST(FatalErrors, ShowTheBoxPrintTheLineAndExit255) {
  struct Case { INT_U32 code; const char* extra; std::string box; };
  for (const Case& c : std::vector<Case>{
           {0x41, "-x", "Error:\n\nERROR: 0041:\nNo argument for command line option: -x\n\nDo you require more information?"},
           {0x13, nullptr, "Error:\n\nERROR: 0013:\nUnable to open the window \n\nDo you require more information?"},
           {0x21, "dropped", "Error:\n\nERROR: 0021:\nUnable to startup the font system "},
           {0x1001, nullptr, "Error:\n\nERROR: 1001:\nUnable to allocate dynamic memory for application data \n\nDo you require more information?"},
           {0x9999, nullptr, "Error:\n\nERROR: Undefined error encountered"}}) {
    zt::clear_message_box_calls();
    auto r = zt::run_in_child([&] { report_fatal_error(c.code, c.extra); });
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "\nError, unable to continue...\n\nApplication was unable to continue\n\n");
    EXPECT_EQ(box_messages(), std::vector<std::string>{c.box});
  }
}

TEST(DebugLines, ConsoleForm) {
  auto r = zt::run_in_child([] {
    print_debug_line("file.cpp", 42, "text");
    print_debug_line(nullptr, 1, "plain");
  });
  EXPECT_EQ(r.out, "Debug - File: file.cpp Line 42: = text\nplain\n");
}

TEST(DebugLines, FirstDefaultCallEmptiesDebugTxt) {
  zt::write_text("debug.txt", "stale\n");
  append_debug_file(nullptr, 0, "one", nullptr);
  append_debug_file("f.cpp", 7, "two", nullptr);
  EXPECT_EQ(zt::read_text("debug.txt"), "one\nDebug - File: f.cpp Line 7: = two\n");
  append_debug_file(nullptr, 0, "named", "other.txt");
  append_debug_file(nullptr, 0, "again", "other.txt");
  EXPECT_EQ(zt::read_text("other.txt"), "named\nagain\n");
}

TEST(DebugLines, UnwritableFileRaisesAWarning) {
  zt::clear_message_box_calls();
  append_debug_file(nullptr, 0, "x", "no/such/folder/log.txt");
  EXPECT_EQ(box_messages(),
            std::vector<std::string>{"Warning:\n\nWARNING: 0002:\nUnable to open debug file no/such/folder/log.txt"});
}
