// The installation run through the real install page and dialog, frames
// pumped as the program's main loop does, timed from step 0 to the
// completion line. On $DISPLAY when it is set, else on a private Xvfb.
//
// 1. The demo package's big variant (2,000 files of 100,000 bytes besides the
//    demo's own), paired in alternating rounds against `cp -r` of the same
//    files, `tar -xf` of a tar of them and `unzip` of a stored zip of them
//    (tar and zip made once, before the rounds).
// 2. Growth: packages of 100, 1,000 and 10,000 files of 1,000 bytes, each run
//    paired against `cp -r`, in seconds per file.
//
//   bench_install_run [--rounds N] [--growth-rounds N] [--counts N,N,...] [--no-big]
//
// Absolute times and ratios as min / median / max, with the load average.
// Each package is installed by a child process of its own (one installer
// start-up per package). Everything lives in a temporary folder that is
// removed at the end. Never fails on a time.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app_installer.h"
#include "clock.h"
#include "database.h"
#include "desktop.h"
#include "fonts.h"
#include "install_run.h"
#include "paired.h"
#include "utilities.h"
#include "window.h"
#include "wm_screen_object.h"

namespace {

using CLOCK = std::chrono::steady_clock;

struct OPTIONS {
  int rounds = 5;
  int growth_rounds = 3;
  std::vector<int> counts = {100, 1000, 10000};
  bool big = true;
};

const int kGrowthFileSize = 1000;
const char kGrowthBlockSize[] = "4096";

int shell(const std::string& command) { return system(command.c_str()); }
std::string q(const std::string& s) { return shell_quote(s.c_str()); }

double seconds_since(CLOCK::time_point start) {
  return std::chrono::duration<double>(CLOCK::now() - start).count();
}

// Seconds a shell command takes; negative when it fails.
double timed_shell(const std::string& command) {
  const CLOCK::time_point start = CLOCK::now();
  if (shell(command) != 0) return -1;
  return seconds_since(start);
}

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
    // -noreset: each package's child disconnects; the server must outlive it.
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-nolisten", "tcp", "-screen", "0", "1024x768x24",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // The server writes the number and the newline apart: closing the pipe
  // before the newline came would end it.
  char number[32] = {0};
  size_t n = 0;
  while (n < sizeof number - 1 && !std::strchr(number, '\n')) {
    const ssize_t got = read(fds[0], number + n, sizeof number - 1 - n);
    if (got <= 0) break;
    n += static_cast<size_t>(got);
  }
  close(fds[0]);
  if (!std::strchr(number, '\n')) return 0;
  number[std::strcspn(number, "\n")] = 0;
  setenv("DISPLAY", (":" + std::string(number)).c_str(), 1);
  return pid;
}

// The installer started on the package in `folder`, its install page built.
void start_installer(const std::string& folder, const std::string& menu) {
  desktop_programs.xdg_desktop_menu = "/nonexistent/xdg-desktop-menu";
  desktop_programs.update_menus = "true";
  desktop_programs.system_menu_folder = menu.c_str();
  init_fonts();
  std::string config = "$ROOT2" + folder + "/installer.xml";
  char program[] = "installer";
  char option[] = "-x";
  char* argv[] = {program, option, &config[0], nullptr};
  installer_start_up(3, argv);
  // Without a window nothing would be presented: no figure at all then.
  if (!is_window_open(0)) {
    fprintf(stderr, "no window on %s\n", getenv("DISPLAY"));
    _exit(1);
  }
  DATABASE& d = installer_database;
  d.desktop_shortcuts = 0;
  d.menu_entries = 0;
  d.current_page = INSTALL_PAGE_PROGRESS;
  installer_step();  // the first frame accepts the page
}

void stop_installer() {
  installer_shut_down();
  close_window(65535);
  shutdown_fonts();
  close_display();
}

// One run of the installation page into `target` (a plain path), from the
// frame that takes step 0 to the frame that writes the completion line;
// seconds, negative when the run stopped on a failure box.
double timed_run(const std::string& target) {
  DATABASE& d = installer_database;
  std::snprintf(d.target_folder, sizeof d.target_folder, "$ROOT2%s", target.c_str());
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
    WM_SCREEN_OBJECT* top = find_popup(0);
    if (top && (top->kind & WM_KIND_CONFIRM)) return -1;
  }
  return seconds_since(start);
}

// Runs `work` in a child process; what it writes to its pipe comes back.
template <class Work>
std::string in_child(Work work) {
  fflush(stdout);
  int fds[2];
  if (pipe(fds) != 0) return "";
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const std::string result = work();
    fflush(stdout);
    if (write(fds[1], result.data(), result.size()) < 0) _exit(1);
    _exit(0);
  }
  close(fds[1]);
  std::string result;
  char buffer[256];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) result.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  return result;
}

bool make_package(const std::string& tools, const std::string& folder, const std::string& options) {
  return shell("mkdir -p " + q(folder) + " && " + q(tools + "/make_demo_package") + " " + q(folder) + " " + options +
               " >/dev/null") == 0;
}

// Files and bytes under a folder, for the heading.
std::string tree_size(const std::string& folder) {
  std::string out;
  if (FILE* p = popen(("find " + q(folder) + " -type f -printf '%s\\n' | awk '{n++; s+=$1} END "
                       "{printf \"%d files, %.1f MB\", n, s/1e6}'").c_str(), "r")) {
    char line[128];
    if (fgets(line, sizeof line, p)) out = line;
    pclose(p);
  }
  return out;
}

// A baseline: a name and the command that makes `destination` from the
// source the caller prepared.
struct BASELINE {
  const char* name;
  std::string (*command)(const std::string& root, const std::string& destination);
};

std::string copy_command(const std::string& root, const std::string& destination) {
  return "cp -r " + q(root + "/source") + " " + q(destination);
}
std::string tar_command(const std::string& root, const std::string& destination) {
  return "mkdir " + q(destination) + " && tar -xf " + q(root + "/source.tar") + " -C " + q(destination);
}
std::string unzip_command(const std::string& root, const std::string& destination) {
  return "unzip -q " + q(root + "/source.zip") + " -d " + q(destination);
}

struct MEASURED {
  std::vector<double> install;
  std::vector<std::vector<double>> baselines;  // per baseline, per round
};

// Paired rounds of the installation against each baseline, the installation
// first in even rounds and last in odd ones; every round into fresh folders,
// removed between rounds outside the timings.
MEASURED paired_install_rounds(const std::string& root, const std::vector<BASELINE>& baselines, int rounds,
                               bool print_rounds) {
  MEASURED m;
  m.baselines.resize(baselines.size());
  for (int round = 0; round < rounds; ++round) {
    const std::string installed = root + "/installed" + std::to_string(round);
    double install = 0;
    std::vector<double> base(baselines.size());
    if (round % 2 == 0) install = timed_run(installed);
    for (size_t b = 0; b < baselines.size(); ++b) {
      const std::string out = root + "/" + std::to_string(b) + "-" + std::to_string(round);
      base[b] = timed_shell(baselines[b].command(root, out));
    }
    if (round % 2 == 1) install = timed_run(installed);
    if (install < 0) fprintf(stderr, "round %d: the run stopped on a failure box\n", round);
    m.install.push_back(install);
    for (size_t b = 0; b < baselines.size(); ++b) m.baselines[b].push_back(base[b]);
    if (print_rounds) {
      printf("  round %d: install %.3f s", round, install);
      for (size_t b = 0; b < baselines.size(); ++b) printf(", %s %.3f s", baselines[b].name, base[b]);
      printf("\n");
    }
    shell("rm -rf " + q(installed) + " " + q(root) + "/[0-9]-*");
  }
  return m;
}

std::vector<double> ratios(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> r;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) r.push_back(a[i] / b[i]);
  return r;
}

// The big package against cp -r, tar -xf and unzip.
void bench_big(const std::string& tools, const std::string& root, int rounds) {
  const std::string package = root + "/package";
  if (!make_package(tools, package, "--variant big")) {
    fprintf(stderr, "cannot make the big package\n");
    return;
  }
  in_child([&] {
    start_installer(package, root);
    // A first run gives the files the baselines copy.
    if (timed_run(root + "/source") < 0) {
      fprintf(stderr, "the first run stopped on a failure box\n");
      return std::string();
    }
    shell("rm -f " + q(root + "/source/install_log.txt"));
    shell("tar -cf " + q(root + "/source.tar") + " -C " + q(root + "/source") + " .");
    shell("cd " + q(root + "/source") + " && zip -q -0 -r " + q(root + "/source.zip") + " .");
    printf("big package: %s installed\n", tree_size(root + "/source").c_str());
    const std::vector<BASELINE> baselines = {
        {"unzip", unzip_command}, {"tar -xf", tar_command}, {"cp -r", copy_command}};
    const MEASURED m = paired_install_rounds(root, baselines, rounds, true);
    print_load();
    printf("big package, %d paired rounds (min / median / max):\n", rounds);
    print_spread("install run", m.install, 1, "s");
    for (size_t b = 0; b < baselines.size(); ++b) print_spread(baselines[b].name, m.baselines[b], 1, "s");
    for (size_t b = 0; b < baselines.size(); ++b)
      print_spread((std::string("install run / ") + baselines[b].name).c_str(), ratios(m.install, m.baselines[b]));
    stop_installer();
    return std::string();
  });
  shell("rm -rf " + q(root));
}

// One growth package: the median seconds of its installation.
double bench_growth(const std::string& tools, const std::string& root, int count, int rounds) {
  const std::string package = root + "/package";
  if (!make_package(tools, package,
                    "--variant big --count " + std::to_string(count) + " --size " +
                        std::to_string(kGrowthFileSize) + " --block-size " + kGrowthBlockSize)) {
    fprintf(stderr, "cannot make the package of %d files\n", count);
    return -1;
  }
  const std::string result = in_child([&] {
    start_installer(package, root);
    std::string out;
    if (timed_run(root + "/source") >= 0) {
      shell("rm -f " + q(root + "/source/install_log.txt"));
      const MEASURED m = paired_install_rounds(root, {{"cp -r", copy_command}}, rounds, false);
      const double files = static_cast<double>(installer_database.items[0].file_count);
      const SPREAD install = spread_of(m.install), copy = spread_of(m.baselines[0]);
      printf("  %6d files: install %9.3f s (%7.1f us per file), cp -r %7.3f s (%6.1f us per file), "
             "ratio %.1f\n",
             count, install.median, install.median / files * 1e6, copy.median, copy.median / files * 1e6,
             spread_of(ratios(m.install, m.baselines[0])).median);
      out = std::to_string(install.median);
    } else {
      fprintf(stderr, "the run of %d files stopped on a failure box\n", count);
    }
    stop_installer();
    return out;
  });
  shell("rm -rf " + q(root));
  return result.empty() ? -1 : std::strtod(result.c_str(), nullptr);
}

bool parse(int argc, char** argv, OPTIONS* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool has_value = i + 1 < argc;
    if (a == "--no-big") {
      o->big = false;
    } else if (a == "--rounds" && has_value) {
      o->rounds = std::atoi(argv[++i]);
    } else if (a == "--growth-rounds" && has_value) {
      o->growth_rounds = std::atoi(argv[++i]);
    } else if (a == "--counts" && has_value) {
      o->counts.clear();
      const std::string list = argv[++i];
      for (size_t at = 0; at < list.size();) {
        const size_t comma = list.find(',', at);
        const std::string item = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        if (!item.empty()) o->counts.push_back(std::atoi(item.c_str()));
        at = comma == std::string::npos ? list.size() : comma + 1;
      }
    } else {
      return false;
    }
  }
  if (o->rounds < 1 || o->growth_rounds < 1) return false;
  for (int c : o->counts)
    if (c < 1) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  OPTIONS options;
  if (!parse(argc, argv, &options)) {
    fprintf(stderr, "usage: bench_install_run [--rounds N] [--growth-rounds N] [--counts N,N,...] [--no-big]\n");
    return 1;
  }
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench-install.XXXXXX";
  if (!mkdtemp(&pattern[0])) {
    perror("mkdtemp");
    return 1;
  }
  const std::string root = pattern;
  const std::string tools = build_folder();

  pid_t xvfb = 0;
  const char* display = getenv("DISPLAY");
  if (!display || !*display) {
    xvfb = start_xvfb();
    if (!xvfb) {
      fprintf(stderr, "cannot start Xvfb\n");
      return 1;
    }
  }
  printf("display %s%s\n", getenv("DISPLAY"), xvfb ? " (own Xvfb)" : "");
  print_load();

  if (options.big) bench_big(tools, root + "/big", options.rounds);

  if (!options.counts.empty()) {
    printf("growth, files of %d bytes, medians of %d paired rounds:\n", kGrowthFileSize, options.growth_rounds);
    std::vector<double> medians;
    for (int count : options.counts)
      medians.push_back(bench_growth(tools, root + "/g" + std::to_string(count), count, options.growth_rounds));
    for (size_t i = 1; i < medians.size(); ++i)
      if (medians[i] > 0 && medians[i - 1] > 0)
        printf("  %d files / %d files: %.1f x the time (linear: %.1f x)\n", options.counts[i],
               options.counts[i - 1], medians[i] / medians[i - 1],
               double(options.counts[i]) / options.counts[i - 1]);
    print_load();
  }

  if (xvfb) {
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
  }
  shell("rm -rf " + q(root));
  return 0;
}
