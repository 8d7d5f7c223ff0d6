// The main of every test program. A program started by hand, outside
// run_test.sh, first runs itself again through run_test.sh, so that it gets
// the same sandbox as under ctest and never touches the user's home folder.
//
// This must happen before any static initialiser reads HOME (the library's
// debug streams read their option files from it before main): the switch is
// a constructor of the highest priority, which the linker places ahead of
// every ordinary one of the program, the static libraries' included.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Set on the way into run_test.sh; met again outside a sandbox, the launcher
// failed to make one and the program stops instead of starting it forever.
const char* const kEnteringVariable = "ZORV_TEST_ENTERING_SANDBOX";

// The process id of the run_test.sh that starts the program, for the program
// alone: taken out of the environment before anything else runs.
const char* const kLauncherVariable = "ZORV_TEST_LAUNCHER_PID";

// HOME lies inside the folder run_test.sh made, and that folder is there.
bool inside_sandbox() {
  const char* root = std::getenv("ZORV_TEST_TMP");
  const char* home = std::getenv("HOME");
  if (!root || !*root || !home) return false;
  struct stat st;
  if (stat(root, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  const size_t n = std::strlen(root);
  return std::strncmp(home, root, n) == 0 && home[n] == '/';
}

// run_test.sh starts the program in the background, which a shell does with
// SIGINT and SIGQUIT ignored: they get their default back, so that Ctrl-C
// ends a program started by hand. A launcher killed outright takes the
// program with it; one already gone before that was asked for ends it here.
void follow_launcher() {
  const char* text = std::getenv(kLauncherVariable);
  if (!text) return;
  const long launcher = std::strtol(text, nullptr, 10);
  unsetenv(kLauncherVariable);
  if (launcher <= 0) return;
  signal(SIGINT, SIG_DFL);
  signal(SIGQUIT, SIG_DFL);
  // The parent's death, the launcher's or a debugger's between the two.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  const pid_t id = static_cast<pid_t>(launcher);
  if (getppid() != id && kill(id, 0) != 0 && errno == ESRCH) _exit(99);
}

// glibc hands the program's arguments to the constructors it runs.
__attribute__((constructor(101))) void enter_sandbox(int argc, char** argv, char**) {
  if (inside_sandbox()) {
    unsetenv(kEnteringVariable);
    follow_launcher();
    return;
  }
  if (std::getenv(kEnteringVariable)) {
    std::fprintf(stderr, "%s: run_test.sh did not make a sandbox\n", argc > 0 ? argv[0] : "test");
    _exit(99);
  }
  char exe[PATH_MAX];
  const ssize_t len = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (len <= 0) {
    std::perror("/proc/self/exe");
    _exit(99);
  }
  exe[len] = 0;
  setenv(kEnteringVariable, "1", 1);
  std::vector<char*> args = {const_cast<char*>(ZORV_TEST_LAUNCHER), exe};
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);
  execv(ZORV_TEST_LAUNCHER, args.data());
  std::perror(ZORV_TEST_LAUNCHER);
  _exit(99);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
