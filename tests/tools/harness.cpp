// The test sandbox itself: every test must be unable to block on a message box
// or write outside its temporary folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <sstream>

#include "debug_stream.h"
#include "test_support.h"

TEST(Harness, HomeAndWorkingFolderAreInsideTheSandbox) {
  std::string box = zt::sandbox();
  ASSERT_NE(std::getenv("HOME"), nullptr);
  EXPECT_EQ(std::string(std::getenv("HOME")), box + "/home");
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(std::string(cwd), box + "/work");
}

TEST(Harness, StandInMessageBoxRecordsArgumentsAndStatus) {
  zt::clear_message_box_calls();
  setenv("XMESSAGE_STATUS", "3", 1);
  EXPECT_EQ(zt::sh("xmessage -center 'a b' c"), 3);
  unsetenv("XMESSAGE_STATUS");
  auto calls = zt::message_box_calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], (std::vector<std::string>{"-center", "a b", "c"}));
}

TEST(Harness, ChildRunCapturesOutputAndStatus) {
  auto r = zt::run_in_child([] {
    printf("out");
    fprintf(stderr, "err");
    fflush(nullptr);
    _exit(255);
  });
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "out");
  EXPECT_EQ(r.err, "err");
}

TEST(Harness, StandardInputIsEmpty) {
  char c;
  EXPECT_EQ(read(0, &c, 1), 0);
}

TEST(Harness, PrivateXServerStartsAndStops) {
  pid_t pid;
  {
    auto server = zt::XServer::start_xvfb(320, 200, 24);
    ASSERT_NE(server, nullptr);
    pid = server->pid();
    std::string out;
    EXPECT_EQ(zt::sh("xdpyinfo | grep dimensions", &out), 0);
    EXPECT_NE(out.find("320x200"), std::string::npos) << out;
  }
  EXPECT_NE(kill(pid, 0), 0);  // gone once the object is
}

// Writes into HOME as the installer tests do; run by hand below, where its
// files must land in a sandbox of the program's own. A home that a run
// before left its folder in makes it fail. It also brings in the library's
// debug streams, which read their option files from HOME before main.
TEST(Harness, WritesIntoHome) {
  ASSERT_NE(platform_debug_stream(), nullptr);
  const std::string home = std::getenv("HOME");
  ASSERT_EQ(mkdir((home + "/Desktop").c_str(), 0755), 0);
  zt::write_text(home + "/Desktop/probe.desktop", "[Desktop Entry]\n");
  ASSERT_EQ(mkdir((home + "/target").c_str(), 0755), 0);
}

namespace {

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// The verdict lines of a GoogleTest run, without timings.
std::string verdicts(const std::string& output) {
  std::istringstream in(output);
  std::string line, kept;
  while (std::getline(in, line))
    if (line.rfind("[  PASSED  ]", 0) == 0 || line.rfind("[  FAILED  ]", 0) == 0) kept += line + "\n";
  return kept;
}

// Every path under `dir`, one a line, sorted.
std::string listing(const std::string& dir) {
  std::string out;
  zt::sh("cd " + quoted(dir) + " && find . | LC_ALL=C sort", &out);
  return out;
}

}  // namespace

// A test program started by hand, with the user's HOME and no sandbox, runs
// in one of its own: it gives what it gives under run_test.sh, and the
// user's home folder and the temporary root are as they were.
TEST(Harness, AProgramRunByHandMakesItsOwnSandbox) {
  char exe[PATH_MAX];
  const ssize_t len = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(len, 0);
  exe[len] = 0;
  const std::string home = zt::make_temp_dir("user-home");
  const std::string roots = zt::make_temp_dir("tmp-root");
  // The debug streams' option file, made a FIFO: whoever opens it waits for
  // a writer that never comes, so a program that reads HOME before it has
  // left it (at static initialisation, say) does not finish.
  const std::string options = home + "/.test_tools_harness/config/debug";
  ASSERT_EQ(zt::sh("mkdir -p " + quoted(options)), 0);
  ASSERT_EQ(mkfifo((options + "/ZORV Platform_release.cfg").c_str(), 0644), 0);
  const std::string before = listing(home);

  const std::string cases =
      " --gtest_filter=Harness.HomeAndWorkingFolderAreInsideTheSandbox:Harness.WritesIntoHome 2>&1";
  std::string by_hand, launched;
  const int by_hand_status =
      zt::sh("cd " + quoted(home) + " && env -u ZORV_TEST_TMP HOME=" + quoted(home) + " ZORV_TEST_TMPROOT=" +
                 quoted(roots) + " timeout 30 " + quoted(exe) + cases,
             &by_hand);
  const int launched_status = zt::sh("ZORV_TEST_TMPROOT=" + quoted(roots) + " timeout 30 " +
                                         quoted(ZORV_SOURCE_DIR "/tests/support/run_test.sh") + " " +
                                         quoted(exe) + cases,
                                     &launched);
  EXPECT_EQ(by_hand_status, 0) << by_hand;
  EXPECT_EQ(launched_status, 0) << launched;
  EXPECT_EQ(verdicts(by_hand), "[  PASSED  ] 2 tests.\n") << by_hand;
  EXPECT_EQ(verdicts(by_hand), verdicts(launched));
  EXPECT_EQ(listing(home), before);
  EXPECT_EQ(listing(roots), ".\n");  // each sandbox removed after its run
}
