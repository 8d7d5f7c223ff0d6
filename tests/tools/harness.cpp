// The test sandbox itself: every test must be unable to block on a message box
// or write outside its temporary folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <thread>

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

namespace {

// Names the file in which the case below reports and then waits.
const char kHoldReport[] = "ZORV_TEST_HOLD_REPORT";

bool wait_until(const std::function<bool()>& done, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace

// A program under run_test.sh is its child, with Ctrl-C and Ctrl-\ at their
// default (a shell starts a child in the background with them ignored), and
// the kernel ends it when the launcher dies. Started by the case below with a
// report file named, it writes its process id and sandbox there and waits to
// be ended.
TEST(Harness, RunsAsTheLaunchersChild) {
  struct sigaction action;
  ASSERT_EQ(sigaction(SIGINT, nullptr, &action), 0);
  EXPECT_EQ(action.sa_handler, SIG_DFL);
  ASSERT_EQ(sigaction(SIGQUIT, nullptr, &action), 0);
  EXPECT_EQ(action.sa_handler, SIG_DFL);
  int death_signal = 0;
  ASSERT_EQ(prctl(PR_GET_PDEATHSIG, &death_signal), 0);
  EXPECT_EQ(death_signal, SIGKILL);
  // Meant for this program alone, not for those it starts.
  EXPECT_EQ(std::getenv("ZORV_TEST_LAUNCHER_PID"), nullptr);
  const char* report = std::getenv(kHoldReport);
  if (!report) return;
  const std::string part = std::string(report) + ".part";
  zt::write_text(part, std::to_string(getpid()) + " " + zt::sandbox() + " " +
                           (::testing::Test::HasFailure() ? "failed" : "ok") + "\n");
  ASSERT_EQ(rename(part.c_str(), report), 0);
  for (;;) pause();
}

// A test program started by hand and then ended from outside, as a user
// ends it (kill, Ctrl-C, a closed terminal, kill -9), ends with its launcher,
// and nothing of it stays: no process and no sandbox, also under a relative
// temporary root.
TEST(Harness, AProgramStartedByHandEndsWithItsLauncherAndLeavesNothing) {
  // The program and the launcher's watcher come to this process when the
  // launcher is gone, so that waiting for them all is waiting for nothing
  // to be left.
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  char exe[PATH_MAX];
  const ssize_t len = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(len, 0);
  exe[len] = 0;
  const std::string home = zt::make_temp_dir("user-home");
  const std::string caller = zt::make_temp_dir("caller");
  const struct {
    const char* name;
    int signal;  // 0: the program runs to its end
    bool relative_root;
    int status;  // the launcher's exit status; -1: killed by the signal
  } endings[] = {
      {"term", SIGTERM, false, 128 + SIGTERM}, {"int", SIGINT, false, 128 + SIGINT},
      {"hup", SIGHUP, false, 128 + SIGHUP},    {"kill", SIGKILL, false, -1},
      {"kill-relative", SIGKILL, true, -1},    {"end-relative", 0, true, 0},
  };
  for (const auto& e : endings) {
    SCOPED_TRACE(e.name);
    const std::string roots = std::string("roots-") + e.name;
    const std::string report = caller + "/report-" + e.name;
    const std::string output = caller + "/output-" + e.name;
    ASSERT_EQ(mkdir((caller + "/" + roots).c_str(), 0755), 0);
    const pid_t launcher = fork();
    ASSERT_GE(launcher, 0);
    if (launcher == 0) {
      const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0 || chdir(caller.c_str()) != 0) _exit(127);
      unsetenv("ZORV_TEST_TMP");
      setenv("HOME", home.c_str(), 1);
      setenv("ZORV_TEST_TMPROOT", (e.relative_root ? roots : caller + "/" + roots).c_str(), 1);
      if (e.signal) setenv(kHoldReport, report.c_str(), 1);
      execl(exe, exe, "--gtest_filter=Harness.RunsAsTheLaunchersChild", static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    bool launcher_ended = false;
    pid_t program = 0;
    if (e.signal) {
      // The launcher ending first is a failure to start the program.
      ASSERT_TRUE(wait_until(
          [&] {
            launcher_ended = waitpid(launcher, &status, WNOHANG) == launcher;
            return launcher_ended || zt::file_exists(report);
          },
          60))
          << "no report";
      EXPECT_FALSE(launcher_ended) << zt::read_text(output);
      std::istringstream words(zt::read_text(report));
      std::string sandbox, verdict;
      words >> program >> sandbox >> verdict;
      EXPECT_GT(program, 0);
      EXPECT_EQ(sandbox.rfind(caller + "/" + roots + "/zorv-test.", 0), 0u) << sandbox;
      EXPECT_EQ(verdict, "ok") << zt::read_text(output);
      if (!launcher_ended) {
        ASSERT_EQ(kill(launcher, e.signal), 0);
      }
    }
    if (!launcher_ended)
      launcher_ended = wait_until([&] { return waitpid(launcher, &status, WNOHANG) == launcher; }, 30);
    EXPECT_TRUE(launcher_ended) << "the launcher did not end";
    if (launcher_ended && e.status >= 0) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == e.status) << status << "\n" << zt::read_text(output);
    } else if (launcher_ended) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == e.signal) << status;
    }
    // Everything this case started, reparented here or not, has ended.
    const bool all_reaped = wait_until(
        [] {
          pid_t reaped;
          while ((reaped = waitpid(-1, nullptr, WNOHANG)) > 0) {
          }
          return reaped < 0 && errno == ECHILD;
        },
        30);
    EXPECT_TRUE(all_reaped) << "processes left";
    if (!all_reaped) {
      if (!launcher_ended) kill(launcher, SIGKILL);
      if (program > 0) kill(program, SIGKILL);
      while (waitpid(-1, nullptr, 0) > 0) {
      }
    }
    EXPECT_EQ(listing(caller + "/" + roots), ".\n");
  }
}
