// The installation run through the real install page and dialog, frames
// pumped as the program's main loop does, timed from the click on Install
// (its button's release, sent as the server sends a person's) until the frame
// that shows the completion line went out to the server: the page change,
// step 0 with the package's directory load, every file and the shortcut step,
// as the demo runs them.
// On $DISPLAY when it is set, else on a private Xvfb.
//
// 1. The demo package's big variant (2,000 files of 100,000 bytes besides the
//    demo's own), paired in alternating rounds against `unzip` of a stored
//    zip of the same files, `tar -xf` of a tar of them, `cp -r`, and a
//    self-extracting shell script with a tar payload (all made once, before
//    the rounds). Then, with a private Xvfb, the same against `unzip` with the
//    program and the server on one core, and on two (taskset).
// 2. Clicks: button release to the end of the frame that answers it, for the
//    click on Install (to the frame that takes step 0) and for page turns
//    between the item and the target page.
// 3. Growth: packages of 100, 1,000 and 10,000 files of 1,000 bytes, each run
//    paired against `tar -xf` of the same files.
// 4. Reinstall: a package of 10,000 files of 1,000 bytes installed over an
//    earlier installation of it (every name replaced) paired against a first
//    installation into a new folder, in memory (a tmpfs folder, /dev/shm
//    unless --memory-folder names another), where no file system's freeing
//    of the old files' blocks weighs in.
//
//   bench_install_run [--rounds N] [--core-rounds N] [--growth-rounds N]
//                     [--turns N] [--counts N,N,...] [--no-big]
//                     [--reinstall-rounds N] [--reinstall-count N]
//                     [--memory-folder PATH]
//
// Absolute times and ratios as min / median / max, with the load average.
// Each package is installed by a child process of its own (one installer
// start-up per package). Old targets are moved aside between rounds (a large
// delete slows the next file creations on some file systems) and removed
// after the rounds. Everything lives in a temporary folder that is removed at
// the end. Never fails on a time.
#include <X11/Xlib.h>
#include <sched.h>
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
#include "install_dialog.h"
#include "install_run.h"
#include "package.h"
#include "paired.h"
#include "utilities.h"
#include "window.h"
#include "wm_button.h"
#include "wm_screen_object.h"
#include "../platform/code/linux/x11_platform.h"

namespace {

using CLOCK = std::chrono::steady_clock;

struct OPTIONS {
  int rounds = 5;
  int core_rounds = 3;
  int growth_rounds = 3;
  int turns = 20;
  std::vector<int> counts = {100, 1000, 10000};
  bool big = true;
  int reinstall_rounds = 5;
  int reinstall_count = 10000;
  std::string memory_folder = "/dev/shm";
};

const int kGrowthFileSize = 1000;
const char kGrowthBlockSize[] = "4096";
const char kPackageName[] = "installer.pkg";
const INT_S32 kPackageBlockSize = 1024;  // as the installer opens its package
// A person holds a click about this long.
const double kHeldSeconds = 0.15;
// Long enough for a page's opening effects to end.
const double kSettleSeconds = 0.5;

pid_t own_xvfb = 0;

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

// ---------------------------------------------------------------- clicks

// A second client that sends the program's window the button events a
// person's click makes.
class CLICKER {
 public:
  CLICKER() : display_(XOpenDisplay(nullptr)) {
    // The real pointer rests off the window, so that no hover or hint plays.
    if (display_) {
      XWarpPointer(display_, None, DefaultRootWindow(display_), 0, 0, 0, 0, 0, 0);
      XSync(display_, False);
    }
  }
  ~CLICKER() {
    if (display_) XCloseDisplay(display_);
  }
  bool ok() const { return display_ != nullptr; }
  void press(int x, int y) { send(ButtonPress, x, y); }
  void release(int x, int y) { send(ButtonRelease, x, y); }

 private:
  void send(int type, int x, int y) {
    XEvent e = {};
    XButtonEvent& b = e.xbutton;
    b.type = type;
    b.display = display_;
    b.window = x11.window;
    b.root = DefaultRootWindow(display_);
    b.time = CurrentTime;
    b.x = x;
    b.y = y;
    b.state = type == ButtonRelease ? Button1Mask : 0;
    b.button = Button1;
    b.same_screen = True;
    XSendEvent(display_, x11.window, False, 0, &e);
    XSync(display_, False);
  }
  Display* display_;
};

CLICKER* clicker = nullptr;

// One turn of the program's main loop.
void frame() {
  update_platform();
  installer_step();
}

void frames_for(double seconds) {
  const CLOCK::time_point start = CLOCK::now();
  while (seconds_since(start) < seconds) frame();
}

// An object that asks the page manager once to build the page again.
class KICK : public WM_SCREEN_OBJECT {
 public:
  KICK() : WM_SCREEN_OBJECT(0, nullptr, 0, 0) { width = height = 1; }
  INT_S32 update(INT_U8 popups) override {
    if (done) return WM_SCREEN_OBJECT::update(popups);
    done = true;
    return PAGE_ACTION_REBUILD_CLOSE_POPUPS;
  }

 private:
  bool done = false;
};

// Builds `page` and lets its opening effects end.
void show_page(INT_S32 page) {
  installer_database.current_page = page;
  // The rebuild takes the kick with the page's other objects.
  page_manager.current_manager->add_child(new KICK(), 0);
  frame();
  frames_for(kSettleSeconds);
}

// Presses the button and holds it as a person does; the release is the
// caller's, which returns when it was sent.
CLOCK::time_point click(const WM_BUTTON* button) {
  const int x = button->x + button->width / 2, y = button->y + button->height / 2;
  clicker->press(x, y);
  frames_for(kHeldSeconds);
  const CLOCK::time_point released = CLOCK::now();
  clicker->release(x, y);
  return released;
}

// ---------------------------------------------------------------- installer

// The installer started on the package in `folder`, its install page built.
void start_installer(const std::string& folder, const std::string& root) {
  // Shortcuts and menu entries are made as the demo makes them, into
  // folders of this run: the desktop under a home of its own, the menu
  // entry in a menu folder of its own, no menu programs.
  const std::string home = root + "/home";
  shell("mkdir -p " + q(home + "/Desktop") + " " + q(root + "/menu"));
  setenv("HOME", home.c_str(), 1);
  static std::string menu;
  menu = root + "/menu";
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
  clicker = new CLICKER();
  if (!clicker->ok()) {
    fprintf(stderr, "no second connection to %s\n", getenv("DISPLAY"));
    _exit(1);
  }
  DATABASE& d = installer_database;
  d.desktop_shortcuts = 1;
  d.menu_entries = 1;
  show_page(INSTALL_PAGE_ITEM);
}

void stop_installer() {
  delete clicker;
  clicker = nullptr;
  installer_shut_down();
  close_window(65535);
  shutdown_fonts();
  close_display();
}

struct RUN {
  double first_step = -1;  // release to the end of the frame that took step 0
  double total = -1;       // release to the frame that shows the completion line
};

// One run into `target` (a plain path), from the click on Install; negative
// times when the run stopped on a failure box.
RUN timed_run(const std::string& target) {
  DATABASE& d = installer_database;
  std::snprintf(d.target_folder, sizeof d.target_folder, "$ROOT2%s", target.c_str());
  // The package as the program's start-up leaves it: open, its directory
  // not read yet (step 0 reads it).
  delete d.package;
  d.package = new PACKAGE(&d.config_folder, kPackageName, 1, kPackageBlockSize, 0);
  if (!d.package->file) {
    fprintf(stderr, "cannot open the package again\n");
    _exit(1);
  }
  show_page(INSTALL_PAGE_TARGET);
  RUN run;
  if (!install_dialog || !install_dialog->next_button) return run;
  const CLOCK::time_point released = click(install_dialog->next_button);
  for (;;) {
    frame();
    if (run.first_step < 0 && install_step_count >= 1) run.first_step = seconds_since(released);
    if (install_step_count > install_step_limit + 1) break;
    WM_SCREEN_OBJECT* top = find_popup(0);
    if (top && (top->kind & WM_KIND_CONFIRM)) return RUN();
  }
  // The user waits until the completion line is on the server: a frame
  // that waits for the display's turn goes out with a later pump.
  while (x11.present_pending) frame();
  run.total = seconds_since(released);
  return run;
}

// Page turns between the item and the target page: release to the end of
// the frame that shows the other page; seconds per turn.
std::vector<double> page_turns(int turns) {
  std::vector<double> out;
  DATABASE& d = installer_database;
  show_page(INSTALL_PAGE_ITEM);
  for (int i = 0; i < turns && install_dialog; ++i) {
    const INT_S32 from = d.current_page;
    const WM_BUTTON* button = from == INSTALL_PAGE_ITEM ? install_dialog->next_button : install_dialog->back_button;
    if (!button) break;
    const CLOCK::time_point released = click(button);
    double took = -1;
    for (int n = 0; n < 100000 && took < 0; ++n) {
      frame();
      if (d.current_page != from) took = seconds_since(released);
    }
    if (took < 0) break;
    out.push_back(took);
    frames_for(kSettleSeconds);
  }
  return out;
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

// ---------------------------------------------------------------- baselines

// A baseline: a name and the command that makes `destination` from the
// sources `prepare_baselines` made under `root`.
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
std::string script_command(const std::string& root, const std::string& destination) {
  return "sh " + q(root + "/source.sh") + " " + q(destination);
}

const BASELINE kUnzip = {"unzip", unzip_command};
const BASELINE kTar = {"tar -xf", tar_command};
const BASELINE kCopy = {"cp -r", copy_command};
const BASELINE kScript = {"self-extracting script", script_command};

// The tar, the stored zip and the self-extracting script of root/source.
void prepare_baselines(const std::string& root) {
  const std::string source = root + "/source";
  shell("rm -f " + q(source + "/install_log.txt"));
  shell("tar -cf " + q(root + "/source.tar") + " -C " + q(source) + " .");
  shell("cd " + q(source) + " && zip -q -0 -r " + q(root + "/source.zip") + " .");
  // Three lines of shell, then the tar: unpacks itself into the folder named.
  const std::string script = root + "/source.sh";
  shell("{ printf '#!/bin/sh\\nmkdir -p \"$1\" && tail -n +4 \"$0\" | tar -xf - -C \"$1\"\\nexit $?\\n'; cat " +
        q(root + "/source.tar") + "; } > " + q(script));
}

struct MEASURED {
  std::vector<RUN> install;
  std::vector<std::vector<double>> baselines;  // per baseline, per round
  std::vector<double> totals() const {
    std::vector<double> v;
    for (const RUN& r : install) v.push_back(r.total);
    return v;
  }
  std::vector<double> first_steps() const {
    std::vector<double> v;
    for (const RUN& r : install) v.push_back(r.first_step);
    return v;
  }
};

int aside_count = 0;

// Moves a round's output out of the way; removed after the rounds.
void move_aside(const std::string& root, const std::string& path) {
  shell("mkdir -p " + q(root + "/aside") + " && mv " + q(path) + " " +
        q(root + "/aside/" + std::to_string(aside_count++)) + " 2>/dev/null");
}

// Paired rounds of the installation against each baseline, the installation
// first in even rounds and last in odd ones.
MEASURED paired_install_rounds(const std::string& root, const std::vector<BASELINE>& baselines, int rounds,
                               bool print_rounds) {
  MEASURED m;
  m.baselines.resize(baselines.size());
  for (int round = 0; round < rounds; ++round) {
    const std::string installed = root + "/installed";
    RUN install;
    std::vector<double> base(baselines.size());
    if (round % 2 == 0) install = timed_run(installed);
    for (size_t b = 0; b < baselines.size(); ++b) {
      const std::string out = root + "/out" + std::to_string(b);
      base[b] = timed_shell(baselines[b].command(root, out));
      move_aside(root, out);
    }
    if (round % 2 == 1) install = timed_run(installed);
    move_aside(root, installed);
    if (install.total < 0) fprintf(stderr, "round %d: the run stopped on a failure box\n", round);
    m.install.push_back(install);
    for (size_t b = 0; b < baselines.size(); ++b) m.baselines[b].push_back(base[b]);
    if (print_rounds) {
      printf("  round %d: install %.3f s", round, install.total);
      for (size_t b = 0; b < baselines.size(); ++b) printf(", %s %.3f s", baselines[b].name, base[b]);
      printf("\n");
    }
  }
  shell("rm -rf " + q(root + "/aside"));
  return m;
}

std::vector<double> ratios(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> r;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) r.push_back(a[i] / b[i]);
  return r;
}

// ---------------------------------------------------------------- cores

// The first two processors this program may use; -1 where there is none.
void two_cpus(int* a, int* b) {
  *a = *b = -1;
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) != 0) return;
  for (int c = 0; c < CPU_SETSIZE; ++c)
    if (CPU_ISSET(c, &set)) {
      if (*a < 0) *a = c;
      else if (*b < 0) *b = c;
    }
}

std::string allowed_cpus() {
  std::string list;
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) != 0) return "0";
  for (int c = 0; c < CPU_SETSIZE; ++c)
    if (CPU_ISSET(c, &set)) list += (list.empty() ? "" : ",") + std::to_string(c);
  return list;
}

void pin_self(int cpu) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  sched_setaffinity(0, sizeof set, &set);
}

bool pin_server(const std::string& cpus) {
  return shell("taskset -a -p -c " + cpus + " " + std::to_string(own_xvfb) + " >/dev/null") == 0;
}

// The big package against unzip with the program (and the baselines it
// runs) on one processor and the server on the same one or the next.
void bench_cores(const std::string& root, int rounds) {
  if (rounds < 1) return;
  int a = -1, b = -1;
  two_cpus(&a, &b);
  if (!own_xvfb || a < 0 || b < 0) {
    printf("  (one and two cores: needs a private Xvfb and two processors)\n");
    return;
  }
  cpu_set_t saved;
  sched_getaffinity(0, sizeof saved, &saved);
  const std::string all = allowed_cpus();
  for (int server : {a, b}) {
    pin_self(a);
    if (!pin_server(std::to_string(server))) {
      printf("  (taskset failed)\n");
      break;
    }
    const MEASURED m = paired_install_rounds(root, {kUnzip}, rounds, false);
    print_load();
    printf("big package, program and server on %s (cpu %d and %d), %d paired rounds:\n",
           server == a ? "one core" : "two cores", a, server, rounds);
    print_spread("install run", m.totals(), 1, "s");
    print_spread("unzip", m.baselines[0], 1, "s");
    print_spread("install run / unzip", ratios(m.totals(), m.baselines[0]));
  }
  sched_setaffinity(0, sizeof saved, &saved);
  pin_server(all);
}

// ---------------------------------------------------------------- the parts

// The big package against the archive tools, then on one and two cores.
void bench_big(const std::string& tools, const std::string& root, int rounds, int core_rounds) {
  const std::string package = root + "/package";
  if (!make_package(tools, package, "--variant big")) {
    fprintf(stderr, "cannot make the big package\n");
    return;
  }
  in_child([&] {
    start_installer(package, root);
    // A first run gives the files the baselines unpack.
    if (timed_run(root + "/source").total < 0) {
      fprintf(stderr, "the first run stopped on a failure box\n");
      return std::string();
    }
    prepare_baselines(root);
    printf("big package: %s installed\n", tree_size(root + "/source").c_str());
    const std::vector<BASELINE> baselines = {kUnzip, kTar, kCopy, kScript};
    const MEASURED m = paired_install_rounds(root, baselines, rounds, true);
    print_load();
    printf("big package, from the click on Install, %d paired rounds (min / median / max):\n", rounds);
    print_spread("install run", m.totals(), 1, "s");
    for (const BASELINE& b : baselines) print_spread(b.name, m.baselines[&b - &baselines[0]], 1, "s");
    for (const BASELINE& b : baselines)
      print_spread((std::string("install run / ") + b.name).c_str(), ratios(m.totals(), m.baselines[&b - &baselines[0]]));
    print_spread("click on Install to the first step", m.first_steps(), 1e3, "ms");
    bench_cores(root, core_rounds);
    stop_installer();
    return std::string();
  });
  shell("rm -rf " + q(root));
}

// Page turns of the demo package.
void bench_clicks(const std::string& tools, const std::string& root, int turns) {
  const std::string package = root + "/package";
  if (!make_package(tools, package, "")) {
    fprintf(stderr, "cannot make the demo package\n");
    return;
  }
  in_child([&] {
    start_installer(package, root);
    const std::vector<double> t = page_turns(turns);
    print_load();
    printf("clicks: button release to the end of the frame that answers it, %zu page turns:\n", t.size());
    print_spread("page turn", t, 1e3, "ms");
    stop_installer();
    return std::string();
  });
  shell("rm -rf " + q(root));
}

// A package of `count` growth files; says so when it cannot be made.
bool make_growth_package(const std::string& tools, const std::string& package, int count) {
  if (make_package(tools, package,
                   "--variant big --count " + std::to_string(count) + " --size " + std::to_string(kGrowthFileSize) +
                       " --block-size " + kGrowthBlockSize))
    return true;
  fprintf(stderr, "cannot make the package of %d files\n", count);
  return false;
}

// One growth package: the median seconds of its installation.
double bench_growth(const std::string& tools, const std::string& root, int count, int rounds) {
  const std::string package = root + "/package";
  if (!make_growth_package(tools, package, count)) return -1;
  const std::string result = in_child([&] {
    start_installer(package, root);
    std::string out;
    if (timed_run(root + "/source").total >= 0) {
      prepare_baselines(root);
      const MEASURED m = paired_install_rounds(root, {kTar}, rounds, false);
      const double files = static_cast<double>(installer_database.items[0].file_count);
      const SPREAD install = spread_of(m.totals()), tar = spread_of(m.baselines[0]);
      const SPREAD ratio = spread_of(ratios(m.totals(), m.baselines[0]));
      printf("  %6d files: install %8.3f s (%6.1f us per file), tar -xf %7.3f s (%6.1f us per file), "
             "install / tar -xf %.1f / %.1f / %.1f\n",
             count, install.median, install.median / files * 1e6, tar.median, tar.median / files * 1e6,
             ratio.min, ratio.median, ratio.max);
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

// Reinstallation over every file of an earlier one against a first
// installation, in alternating paired rounds.
void bench_reinstall(const std::string& tools, const std::string& root, int count, int rounds) {
  const std::string package = root + "/package";
  if (!make_growth_package(tools, package, count)) return;
  in_child([&] {
    start_installer(package, root);
    const std::string again = root + "/again", first = root + "/first";
    // The earlier installation the rounds install over.
    if (timed_run(again).total < 0) {
      fprintf(stderr, "the first run stopped on a failure box\n");
      return std::string();
    }
    std::vector<double> firsts, agains;
    for (int round = 0; round < rounds; ++round) {
      double f = -1, a = -1;
      if (round % 2 == 0) a = timed_run(again).total;
      f = timed_run(first).total;
      move_aside(root, first);
      if (round % 2 == 1) a = timed_run(again).total;
      if (f < 0 || a < 0) fprintf(stderr, "round %d: a run stopped on a failure box\n", round);
      firsts.push_back(f);
      agains.push_back(a);
    }
    print_load();
    printf("reinstall, %d files of %d bytes in %s, from the click on Install, %d paired rounds (min / median / max):\n",
           count, kGrowthFileSize, root.c_str(), rounds);
    print_spread("first installation", firsts, 1, "s");
    print_spread("reinstallation", agains, 1, "s");
    print_spread("reinstallation / first installation", ratios(agains, firsts));
    stop_installer();
    return std::string();
  });
  shell("rm -rf " + q(root));
}

bool parse(int argc, char** argv, OPTIONS* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool has_value = i + 1 < argc;
    if (a == "--no-big") {
      o->big = false;
    } else if (a == "--rounds" && has_value) {
      o->rounds = std::atoi(argv[++i]);
    } else if (a == "--core-rounds" && has_value) {
      o->core_rounds = std::atoi(argv[++i]);
    } else if (a == "--growth-rounds" && has_value) {
      o->growth_rounds = std::atoi(argv[++i]);
    } else if (a == "--reinstall-rounds" && has_value) {
      o->reinstall_rounds = std::atoi(argv[++i]);
    } else if (a == "--reinstall-count" && has_value) {
      o->reinstall_count = std::atoi(argv[++i]);
    } else if (a == "--memory-folder" && has_value) {
      o->memory_folder = argv[++i];
    } else if (a == "--turns" && has_value) {
      o->turns = std::atoi(argv[++i]);
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
  if (o->rounds < 1 || o->core_rounds < 0 || o->growth_rounds < 1 || o->turns < 0 || o->reinstall_rounds < 0 ||
      o->reinstall_count < 1)
    return false;
  for (int c : o->counts)
    if (c < 1) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  OPTIONS options;
  if (!parse(argc, argv, &options)) {
    fprintf(stderr,
            "usage: bench_install_run [--rounds N] [--core-rounds N] [--growth-rounds N] [--turns N] "
            "[--counts N,N,...] [--no-big] [--reinstall-rounds N] [--reinstall-count N] [--memory-folder PATH]\n");
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

  const char* display = getenv("DISPLAY");
  if (!display || !*display) {
    own_xvfb = start_xvfb();
    if (!own_xvfb) {
      fprintf(stderr, "cannot start Xvfb\n");
      return 1;
    }
  }
  printf("display %s%s\n", getenv("DISPLAY"), own_xvfb ? " (own Xvfb)" : "");
  print_load();

  if (options.big) {
    // The one- and two-core rounds pin the server: only a server of our own.
    bench_big(tools, root + "/big", options.rounds, own_xvfb ? options.core_rounds : 0);
  }
  if (options.turns > 0) bench_clicks(tools, root + "/clicks", options.turns);

  if (!options.counts.empty()) {
    printf("growth, files of %d bytes, from the click on Install, medians of %d paired rounds:\n", kGrowthFileSize,
           options.growth_rounds);
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

  if (options.reinstall_rounds > 0) {
    std::string memory = options.memory_folder + "/bench-reinstall.XXXXXX";
    if (mkdtemp(&memory[0]))
      bench_reinstall(tools, memory, options.reinstall_count, options.reinstall_rounds);
    else
      perror(options.memory_folder.c_str());
  }

  if (own_xvfb) {
    kill(own_xvfb, SIGTERM);
    waitpid(own_xvfb, nullptr, 0);
  }
  shell("rm -rf " + q(root));
  return 0;
}
