// The installer program where no window can be opened: without a display it
// says so in one line and ends with status 1; a termination signal ends it
// while no window is open. Run as a user starts it over ssh or from a service.
#include <sys/stat.h>

#include "x_program.h"

using namespace xi;

namespace {

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// Files left below a folder (folders themselves do not count).
std::string files_below(const std::string& dir) {
  std::string out;
  zt::sh("find " + quoted(dir) + " -mindepth 1 ! -type d 2>/dev/null", &out);
  return out;
}

TEST(StartWithoutDisplay, EndsWithStatusOneAndOneLine) {
  const std::string dir = zt::make_temp_dir("demo");
  ASSERT_TRUE(make_demo_package(dir));
  const std::string temp = std::string(getenv("HOME")) + "/tmp";
  struct Case {
    const char* what;
    std::vector<std::string> env;
    std::string line;
  } cases[] = {
      {"DISPLAY unset", {"-u", "DISPLAY"}, "installer: cannot open the display: DISPLAY is not set\n"},
      {"DISPLAY naming no server", {"DISPLAY=:4093"}, "installer: cannot open the display \":4093\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    zt::clear_message_box_calls();
    std::vector<std::string> args = c.env;
    for (const std::string& a : {installer_path(), std::string("-x"), "$ROOT2" + dir + "/installer.xml"})
      args.push_back(a);
    ProgramRun run("/usr/bin/env", args);
    EXPECT_EQ(run.wait_exit(20000), 1) << run.err();
    EXPECT_EQ(run.err(), c.line);
    EXPECT_EQ(run.out(), "");
    EXPECT_TRUE(zt::message_box_calls().empty());
    EXPECT_EQ(files_below(temp), "") << "the unpacked fonts are gone";
  }
}

// True once the process catches signal `sig` (its handler is in place and
// not set aside, as a shell command run through system() sets SIGINT aside).
bool catches(pid_t pid, int sig) {
  const std::string status = zt::read_text("/proc/" + std::to_string(pid) + "/status");
  const size_t at = status.find("SigCgt:\t");
  if (at == std::string::npos) return false;
  const unsigned long long mask = std::stoull(status.substr(at + 8, 16), nullptr, 16);
  return (mask >> (sig - 1)) & 1u;
}

// True while the process waits in the open of a FIFO for a writer, with its
// handler for `sig` in place.
bool waits_for_writer(pid_t pid, int sig) {
  const std::string proc = "/proc/" + std::to_string(pid);
  const bool waits = zt::read_text(proc + "/wchan") == "wait_for_partner" ||
                     zt::read_text(proc + "/syscall").rfind("257 ", 0) == 0;  // openat, x86-64
  return waits && catches(pid, sig);
}

// A package that never arrives (a FIFO nobody writes stands for a hung
// medium) holds the start-up before any window exists.
TEST(StartWithoutDisplay, ATerminationSignalEndsTheProgramBeforeAnyWindow) {
  const std::string dir = zt::make_temp_dir("slow");
  ASSERT_EQ(mkfifo((dir + "/installer.pkg").c_str(), 0644), 0);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    SCOPED_TRACE(sig);
    ProgramRun run("/usr/bin/env", {"-u", "DISPLAY", installer_path(), "-x", "$ROOT2" + dir + "/installer.xml"});
    bool ready = false;
    for (int waited = 0; !ready && waited < 20000 && run.running(); waited += 20) {
      ready = waits_for_writer(run.pid(), sig);
      if (!ready) usleep(20000);
    }
    ASSERT_TRUE(ready) << run.err();
    // The window-size change is no termination request.
    run.signal(SIGWINCH);
    usleep(200000);
    EXPECT_TRUE(run.running());
    run.signal(sig);
    EXPECT_EQ(run.wait_exit(10000), 1) << run.err();
  }
}

}  // namespace
