#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "console.h"
#include "test_support.h"
#include "utilities.h"

TEST(MessageBox, RunsTheProgramWithOneOkButton) {
  zt::clear_message_box_calls();
  show_message_box("Title", "Line one\nLine two");
  auto calls = zt::message_box_calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], (std::vector<std::string>{"-buttons", "OK:2", "Title:", "", "Line one", "Line two"}));
}

// The title heads the box with a colon, unless it ends in a mark of its own.
TEST(MessageBox, ATitleEndingInAMarkOfItsOwnGetsNoColon) {
  const std::pair<const char*, const char*> cases[] = {{"Error", "Error:"},
                                                       {"No installation data found!", "No installation data found!"},
                                                       {"Is it there?", "Is it there?"},
                                                       {"Settings:", "Settings:"},
                                                       {"v1.08.", "v1.08."},
                                                       {"", ":"}};
  for (const auto& [title, heading] : cases) {
    zt::clear_message_box_calls();
    show_message_box(title, "text");
    auto calls = zt::message_box_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], (std::vector<std::string>{"-buttons", "OK:2", heading, "", "text"}));
  }
}

TEST(MessageBox, HostileTextsReachTheProgramUnchanged) {
  zt::clear_message_box_calls();
  std::string marker = zt::sandbox() + "/pwned";
  std::string title = "a\"b $HOME `touch " + marker + "` \\";
  std::string text = "\"; touch " + marker + "; echo \"$(id) \\\" '";
  show_message_box(title.c_str(), text.c_str());
  auto calls = zt::message_box_calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], (std::vector<std::string>{"-buttons", "OK:2", title + ":", "", text}));
  EXPECT_FALSE(zt::file_exists(marker));
}

TEST(MessageBox, NullArgumentsDoNothing) {
  zt::clear_message_box_calls();
  auto r = zt::run_in_child([] {
    show_message_box(nullptr, "x");
    show_message_box("x", nullptr);
  });
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(zt::message_box_calls().empty());
}

TEST(MessageBox, ConsoleFallbackWhenTheProgramFails) {
  struct Case { const char* status; bool console; };
  for (const Case& c : std::vector<Case>{{"127", true}, {"1", true}, {"2", false}, {"0", false}, {"3", false}}) {
    auto r = zt::run_in_child([&] {
      setenv("XMESSAGE_STATUS", c.status, 1);
      show_message_box("Title", "Text");
    });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, c.console ? "\n*\n*\tTitle\n*\n*\tText\n*\n*  Press Return\n*\n" : "") << c.status;
  }
}

TEST(MessageBox, ConsoleFallbackWhenNoProgramExists) {
  auto r = zt::run_in_child([] {
    setenv("PATH", "/nonexistent", 1);
    message_box_preferred_program = "/nonexistent/gmessage";
    show_message_box("T", "x");
  });
  EXPECT_EQ(r.out, "\n*\n*\tT\n*\n*\tx\n*\n*  Press Return\n*\n");
}

TEST(MessageBox, PreferredProgramIsCentred) {
  std::string dir = zt::make_temp_dir("bin");
  std::string prog = dir + "/gmessage";
  zt::write_text(prog, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args\"\n");
  chmod(prog.c_str(), 0755);
  message_box_preferred_program = prog.c_str();
  show_message_box("T", "x");
  EXPECT_EQ(zt::read_text(prog + ".args"), "-center\n-buttons\nOK:2\nT:\n\nx\n");
}

TEST(PrintText, WritesAsIsAndFlushes) {
  auto r = zt::run_in_child([] {
    print_text("100% %s\n");
    print_text(nullptr);
    _exit(0);  // no flush at exit: print_text flushed already
  });
  EXPECT_EQ(r.out, "100% %s\n");
}

TEST(FatalExit, PrintsItsLineAndExits255) {
  auto with_text = zt::run_in_child([] { fatal_exit("No installation data found!"); });
  EXPECT_EQ(with_text.status, 255);
  EXPECT_EQ(with_text.out, "\nError, unable to continue...\n\nNo installation data found!\n\n");
  auto without = zt::run_in_child([] { fatal_exit(nullptr); });
  EXPECT_EQ(without.status, 255);
  EXPECT_EQ(without.out, "");
}

TEST(ShellQuote, EscapesWhatDoubleQuotesDoNotProtect) {
  struct Case { const char* in; const char* out; };
  for (const Case& c : std::vector<Case>{{nullptr, "\"\""},
                                         {"", "\"\""},
                                         {"plain text", "\"plain text\""},
                                         {"a\"b", "\"a\\\"b\""},
                                         {"$HOME", "\"\\$HOME\""},
                                         {"`id`", "\"\\`id\\`\""},
                                         {"back\\slash", "\"back\\\\slash\""},
                                         {"it's !*?\n", "\"it's !*?\n\""}}) {
    EXPECT_EQ(shell_quote(c.in), c.out);
  }
  // And the shell gives back exactly the original text.
  for (const char* text : {"a\"b$c`d\\e", "\\\"", "$(id)", "ends with \\", "x\ny"}) {
    std::string out;
    ASSERT_EQ(zt::sh("printf %s " + shell_quote(text), &out), 0);
    EXPECT_EQ(out, text);
  }
}
