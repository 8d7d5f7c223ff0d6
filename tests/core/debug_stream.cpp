// Debug streams: option files, composed lines, rolling files, the header and
// the library's static streams.
#include "debug_stream.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "config_file.h"
#include "errors.h"
#include "folder.h"
#include "path_trace_stream.h"
#include "test_support.h"

namespace {

std::string debug_folder() {
  FOLDER f{FOLDER::UNSET()};
  EXPECT_TRUE(f.set("$USERPREFS/debug", 1, nullptr, 1));
  return f.native_path_text();
}

void write_options(const std::string& stream, const std::string& content) {
  zt::write_text(debug_folder() + "/" + stream + "_release.cfg", content);
}

std::string output(const std::string& file) {
  std::string path = debug_folder() + "/" + file;
  return zt::file_exists(path) ? zt::read_text(path) : "<none>";
}

TEST(DebugStream, WithoutOptionFileNothingHappens) {
  DEBUG_STREAM s("Quiet", 0, 1);
  EXPECT_EQ(s.flags, 0);
  EXPECT_STREQ(s.file_name, "Quiet.txt");
  EXPECT_EQ(s.rolling_limit, 100);
  zt::ChildResult r = zt::run_in_child([&] {
    s.write_line("x.cpp", 1, "text", 1);
    s.report("x.cpp", 1, "text");
  });
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(output("Quiet.txt"), "<none>");
}

TEST(DebugStream, OptionKeysSetTheirFlags) {
  struct Case {
    const char* what;
    std::string options;
    INT_U16 flags;
  } cases[] = {
      {"console", "write_to_console\n\t1\n", DEBUG_TO_CONSOLE},
      {"disabled wins", "disabled\n\t1\nwrite_to_console\n\t1\n", 0},
      {"256 has no low byte", "write_to_file\n\t256\nwrite_stream_name\n\t257\n", DEBUG_STREAM_NAME},
      {"all keys",
       "write_to_console\n\t1\nwrite_to_popup_dialog\n\t1\nwrite_to_file\n\t1\ntruncate_file_on_first_write\n\t1\n"
       "keep_file_open\n\t1\nwrite_file_header\n\t1\nwrite_stream_name\n\t1\nwrite_code_location\n\t1\n"
       "trigger_breakpoint\n\t1\nfile_rolling_backup\n\t1\n",
       0x2FF},
  };
  for (const Case& c : cases) {
    write_options("Opt", c.options);
    DEBUG_STREAM s("Opt", DEBUG_SAVE_OPTIONS | DEBUG_TIME_STAMP, 1);
    EXPECT_EQ(s.flags, c.flags) << c.what;
    s.flags = 0;
  }
}

TEST(DebugStream, ConsoleLineCarriesNameAndLocation) {
  write_options("Con", "write_to_console\n\t1\nwrite_stream_name\n\t1\nwrite_code_location\n\t1\n");
  DEBUG_STREAM s("Con");
  zt::ChildResult r = zt::run_in_child([&] {
    s.report("code/config_file", 42, "message");
    s.write_line(nullptr, 7, "no location", 0);
    s.printf("%d apples\n", 3);
  });
  EXPECT_EQ(r.out, "<Con>: (code/config_file,42) message\n<Con>: no location<Con>: 3 apples\n");
}

TEST(DebugStream, FileRollsOverToBak) {
  write_options("Roll", "write_to_file\n\t1\nfile_rolling_backup\n\t1\nfile_rolling_limit\n\t3\n");
  zt::write_text(debug_folder() + "/Roll.txt.bak", "older backup\n");
  DEBUG_STREAM s("Roll");
  EXPECT_EQ(s.rolling_limit, 3);
  for (int i = 1; i <= 4; i++) s.report(nullptr, 0, ("line " + std::to_string(i)).c_str());
  EXPECT_EQ(output("Roll.txt.bak"), "line 1\nline 2\nline 3\n");
  EXPECT_EQ(output("Roll.txt"), "line 4\n");
}

TEST(DebugStream, HeaderAndTruncationOnFirstWriteOnly) {
  write_options("Head", "write_to_file\n\t1\ntruncate_file_on_first_write\n\t1\nwrite_file_header\n\t1\n"
                        "keep_file_open\n\t1\nfilename\n\thead.log\n");
  zt::write_text(debug_folder() + "/head.log", "from an earlier run\n");
  {
    DEBUG_STREAM s("Head");
    EXPECT_STREQ(s.file_name, "head.log");
    s.report(nullptr, 0, "first");
    s.report(nullptr, 0, "second");
  }
  std::regex expected(
      "======================================\n"
      "> Debug stream: Head\n"
      "> Written: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), [0-9]{2} [A-Z][a-z]{2} [0-9]{4} [0-9:]{8} GMT\n"
      "\n"
      "first\nsecond\n");
  EXPECT_TRUE(std::regex_match(output("head.log"), expected)) << output("head.log");
  // A later stream of the same name appends without a header.
  write_options("Head", "write_to_file\n\t1\nfilename\n\thead.log\n");
  DEBUG_STREAM again("Head");
  again.report(nullptr, 0, "third");
  EXPECT_NE(output("head.log").find("second\nthird\n"), std::string::npos);
}

TEST(DebugStream, OutputFileNameStaysInTheDebugFolder) {
  write_options("Esc", "write_to_file\n\t1\nfilename\n\t../escaped.txt\n");
  DEBUG_STREAM s("Esc");
  EXPECT_STREQ(s.file_name, "Esc.txt");
}

TEST(DebugStream, PopupShowsTheLineWithoutTheNamePrefix) {
  write_options("Pop", "write_to_popup_dialog\n\t1\nwrite_stream_name\n\t1\n");
  DEBUG_STREAM s("Pop");
  zt::clear_message_box_calls();
  s.report(nullptr, 0, "look");
  auto calls = zt::message_box_calls();
  ASSERT_EQ(calls.size(), 1u);
  std::string all;
  for (const std::string& a : calls[0]) all += a + "|";
  EXPECT_NE(all.find("Pop"), std::string::npos) << all;
  EXPECT_NE(all.find("look"), std::string::npos) << all;
  EXPECT_EQ(all.find("<Pop>"), std::string::npos) << all;
}

TEST(DebugStream, RegistryAndDefaultName) {
  DEBUG_STREAM* unnamed = new DEBUG_STREAM(nullptr, 0, 0);
  EXPECT_EQ(std::string(unnamed->name).rfind("Debug Stream ", 0), 0u);
  EXPECT_EQ(std::string(unnamed->file_name), std::string(unnamed->name) + ".txt");
  EXPECT_EQ(find_debug_stream(unnamed->name), unnamed);
  std::string name = unnamed->name;
  delete unnamed;
  EXPECT_EQ(find_debug_stream(name.c_str()), nullptr);
  EXPECT_NE(find_debug_stream("ZORV Platform"), nullptr);
  EXPECT_NE(find_debug_stream("ZORV Modules"), nullptr);
  EXPECT_EQ(find_debug_stream(nullptr), nullptr);
}

TEST(DebugStream, OptionsAreWrittenBack) {
  {
    DEBUG_STREAM s("Save", DEBUG_SAVE_OPTIONS | DEBUG_TO_FILE | DEBUG_STREAM_NAME | DEBUG_BREAKPOINT, 0);
    s.rolling_limit = 7;
  }
  EXPECT_EQ(zt::read_text(debug_folder() + "/Save_release.cfg"),
            "filename\n\tSave.txt\ndisabled\n\t0\nwrite_to_console\n\t0\nwrite_to_popup_dialog\n\t0\n"
            "write_to_file\n\t1\ntruncate_file_on_first_write\n\t0\nkeep_file_open\n\t0\n"
            "write_file_header\n\t0\nwrite_stream_name\n\t1\nwrite_code_location\n\t0\n"
            "trigger_breakpoint\n\t1\nfile_rolling_backup\n\t0\nfile_rolling_limit\n\t7\n");
  DEBUG_STREAM back("Save");
  EXPECT_EQ(back.flags, DEBUG_TO_FILE | DEBUG_STREAM_NAME);
  EXPECT_EQ(back.rolling_limit, 7);
}

TEST(DebugStream, PlatformStreamRecordsSoftErrors) {
  write_options("ZORV Platform", "write_to_file\n\t1\nwrite_stream_name\n\t1\nwrite_code_location\n\t1\n");
  DEBUG_STREAM* platform = platform_debug_stream();
  ASSERT_NE(platform, nullptr);
  platform->read_options();
  CONFIG_FILE c("missing.cfg");
  char value[CONFIG_VALUE_SIZE];
  EXPECT_FALSE(c.get_string(nullptr, "x", value));
  std::string log = output("ZORV Platform.txt");
  EXPECT_TRUE(std::regex_match(
      log, std::regex("<ZORV Platform>: \\(code/config_file,[0-9]+\\) "
                      "Error: Error trying to open the config file missing\\.cfg\\.\n")))
      << log;
}

}  // namespace

namespace {

TEST(DebugStream, PathTraceWritesToItsOwnStream) {
  write_options("Default Path Trace", "write_to_file\n\t1\n");
  ASSERT_NE(path_trace_debug_stream(), nullptr);
  FOLDER base{FOLDER::UNSET()};
  ASSERT_TRUE(base.set_if_directory(zt::make_temp_dir("base").c_str()));
  set_base_path(&base, "traced");
  reset_base_path();
  DEBUG_STREAM* trace = find_debug_stream("Default Path Trace");
  ASSERT_NE(trace, nullptr);
  EXPECT_EQ(trace->flags, DEBUG_TO_FILE);
  std::string log = output("Default Path Trace.txt");
  // The override's own lines went to its own preferences folder; the reset
  // is traced here.
  EXPECT_EQ(log.rfind("\nBase Path Changed:\n\n$APP => ", 0), 0u) << log;
  EXPECT_NE(log.find("$TEMP => "), std::string::npos) << log;
}

}  // namespace
