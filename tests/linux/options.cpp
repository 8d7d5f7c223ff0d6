// The command-line option scanner.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options.h"
#include "test_support.h"

namespace {

struct Args {
  std::vector<std::string> text;
  std::vector<char*> argv;
  explicit Args(std::vector<std::string> t) : text(std::move(t)) {
    for (auto& s : text) argv.push_back(&s[0]);
    argv.push_back(nullptr);
  }
  INT_S16 argc() const { return static_cast<INT_S16>(text.size()); }
};

// Every option and value until the end, as "a", "x=value".
std::vector<std::string> scan(std::vector<std::string> words, const char* options = "as:x:p:") {
  reset_option_scanner();
  Args args(std::move(words));
  std::vector<std::string> out;
  for (int guard = 0; guard < 50; ++guard) {
    INT_S32 c = get_next_option(args.argc(), args.argv.data(), options);
    if (c == -1) break;
    std::string item(1, static_cast<char>(c));
    if (std::string(option_argument) != "-" + item) item += "=" + std::string(option_argument);
    out.push_back(item);
  }
  return out;
}

}  // namespace

TEST(Options, Scans) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> expect;
  } cases[] = {
      {{"prog"}, {}},
      {{"prog", "-a"}, {"a"}},
      {{"prog", "file", "-a"}, {"a"}},                        // non-options skipped
      {{"prog", "-x", "cfg/inst.xml", "-a"}, {"x=cfg/inst.xml", "a"}},
      {{"prog", "-a", "-s", "out.bin", "more", "-p", "linux_i86"}, {"a", "s=out.bin", "p=linux_i86"}},
      {{"prog", "-a", "--", "-a"}, {"a"}},                    // two dashes end the scan
      {{"prog", "--verbose", "-a"}, {}},
      {{"prog", "-a", "-a"}, {"a", "a"}},                     // the next call starts after "-a"
  };
  for (const Case& c : cases) EXPECT_EQ(scan(c.args), c.expect) << c.args.size();
}

TEST(Options, TwoDashesEndTheScanForGood) {
  reset_option_scanner();
  Args args({"prog", "--", "-a"});
  for (int i = 0; i < 3; ++i) EXPECT_EQ(get_next_option(args.argc(), args.argv.data(), "a"), -1);
}

TEST(Options, NullArgumentsGiveQuestionMark) {
  reset_option_scanner();
  Args args({"prog", "-a"});
  EXPECT_EQ(get_next_option(args.argc(), nullptr, "a"), '?');
  EXPECT_EQ(get_next_option(args.argc(), args.argv.data(), nullptr), '?');
}

TEST(Options, ErrorsAreFatal) {
  struct Case {
    std::vector<std::string> args;
    const char* code;
    const char* message;
  } cases[] = {
      {{"prog", "-x"}, "0041", "No argument for command line option: -x"},
      {{"prog", "-x", "-a"}, "0041", "No argument for command line option: -x"},
      {{"prog", "-ab"}, "0040", "Invalid argument format for command line option: -ab"},
      {{"prog", "-"}, "0040", "Invalid argument format for command line option: -"},
      {{"prog", "-q"}, "0042", "Unrecognised command line option: -q"},
      {{"prog", "-:"}, "0042", "Unrecognised command line option: -:"},
  };
  for (const Case& c : cases) {
    zt::clear_message_box_calls();
    zt::ChildResult r = zt::run_in_child([&] { scan(c.args); });
    EXPECT_EQ(r.status, 255) << c.message;
    EXPECT_NE(r.out.find("Application was unable to continue"), std::string::npos) << r.out;
    std::string all;
    for (auto& call : zt::message_box_calls())
      for (auto& a : call) all += a + "\n";
    EXPECT_NE(all.find(std::string("ERROR: ") + c.code + ":"), std::string::npos) << all;
    EXPECT_NE(all.find(c.message), std::string::npos) << all;
  }
}
