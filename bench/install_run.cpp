// The installation run of the demo package's big variant (2,000 files of
// 100,000 bytes, 65,536-byte blocks) through the real install page and
// dialog on a private Xvfb, frames pumped as the program's main loop does,
// timed from step 0 to the completion line against `cp -r` of the same files
// into a fresh folder, in alternating paired rounds. Prints the ratio's
// minimum, median and maximum. Everything lives in a temporary folder that is
// removed at the end.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app_installer.h"
#include "database.h"
#include "desktop.h"
#include "clock.h"
#include "fonts.h"
#include "install_run.h"
#include "utilities.h"
#include "window.h"

namespace {

const int kRounds = 5;

using CLOCK = std::chrono::steady_clock;

int shell(const std::string& command) { return system(command.c_str()); }
std::string q(const std::string& s) { return "'" + s + "'"; }

// The folder of this program's build tree (bench programs sit in <build>/bench).
std::string build_folder() {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return ".";
  exe[n] = 0;
  std::string path = exe;
  path = path.substr(0, path.rfind('/'));
  return path.substr(0, path.rfind('/'));
}

// Xvfb on a display it chooses; its process id, 0 on failure.
pid_t start_xvfb() {
  int fds[2];
  if (pipe(fds) != 0) return 0;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "1024x768x24",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char number[32] = {0};
  const ssize_t n = read(fds[0], number, sizeof number - 1);
  close(fds[0]);
  if (n <= 0) return 0;
  number[std::strcspn(number, "\n")] = 0;
  setenv("DISPLAY", (":" + std::string(number)).c_str(), 1);
  return pid;
}

// One run of the installation page, from the frame that takes step 0 to the
// frame that writes the completion line; seconds.
double timed_run(const std::string& target_text) {
  DATABASE& d = installer_database;
  std::snprintf(d.target_folder, sizeof d.target_folder, "%s", target_text.c_str());
  // Leaving the page resets the run; coming back starts it.
  d.current_page = INSTALL_PAGE_TARGET;
  update_platform();
  installer_step();
  d.current_page = INSTALL_PAGE_PROGRESS;
  CLOCK::time_point start{};
  bool started = false;
  for (;;) {
    update_platform();
    const CLOCK::time_point before = CLOCK::now();
    installer_step();
    if (!started && install_step_count >= 1) {
      start = before;
      started = true;
    }
    if (started && install_step_count > install_step_limit + 1) break;
  }
  return std::chrono::duration<double>(CLOCK::now() - start).count();
}

double timed_copy(const std::string& source, const std::string& destination) {
  const CLOCK::time_point start = CLOCK::now();
  if (shell("cp -r " + q(source) + " " + q(destination)) != 0) return -1;
  return std::chrono::duration<double>(CLOCK::now() - start).count();
}

}  // namespace

int main() {
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench-install.XXXXXX";
  if (!mkdtemp(&pattern[0])) {
    perror("mkdtemp");
    return 1;
  }
  const std::string root = pattern;
  const std::string tools = build_folder();
  if (shell(q(tools + "/make_demo_package") + " " + q(root + "/pkg") + " --variant big >/dev/null") != 0) {
    fprintf(stderr, "cannot make the package\n");
    return 1;
  }
  // No real desktop program or menu is ever reached.
  const std::string menu = root + "/menu";
  shell("mkdir -p " + q(menu));
  desktop_programs.xdg_desktop_menu = "/nonexistent/xdg-desktop-menu";
  desktop_programs.update_menus = "true";
  desktop_programs.system_menu_folder = menu.c_str();

  const pid_t xvfb = start_xvfb();
  if (!xvfb) {
    fprintf(stderr, "cannot start Xvfb\n");
    return 1;
  }
  init_fonts();
  std::string config = "$ROOT2" + root + "/pkg/installer.xml";
  char program[] = "installer";
  char option[] = "-x";
  char* argv[] = {program, option, &config[0], nullptr};
  installer_start_up(3, argv);
  DATABASE& d = installer_database;
  d.desktop_shortcuts = 0;
  d.menu_entries = 0;
  // The installation page is built (the first frame accepts it).
  d.current_page = INSTALL_PAGE_PROGRESS;
  installer_step();

  // A first run gives the files cp copies.
  timed_run("$ROOT2" + root + "/source");
  shell("rm -f " + q(root + "/source/install_log.txt"));
  std::vector<double> ratios;
  for (int round = 0; round < kRounds; ++round) {
    const std::string copy = root + "/copy" + std::to_string(round);
    const std::string installed = root + "/installed" + std::to_string(round);
    double copy_s, install_s;
    if (round % 2 == 0) {
      copy_s = timed_copy(root + "/source", copy);
      install_s = timed_run("$ROOT2" + installed);
    } else {
      install_s = timed_run("$ROOT2" + installed);
      copy_s = timed_copy(root + "/source", copy);
    }
    shell("rm -rf " + q(copy) + " " + q(installed));
    printf("round %d: install %.3f s, cp -r %.3f s, ratio %.2f\n", round, install_s, copy_s, install_s / copy_s);
    ratios.push_back(install_s / copy_s);
  }
  std::sort(ratios.begin(), ratios.end());
  printf("install run / cp -r: min %.2f, median %.2f, max %.2f (%d rounds)\n", ratios.front(),
         ratios[ratios.size() / 2], ratios.back(), kRounds);

  installer_shut_down();
  close_window(65535);
  shutdown_fonts();
  close_display();
  kill(xvfb, SIGTERM);
  waitpid(xvfb, nullptr, 0);
  shell("rm -rf " + q(root));
  return 0;
}
