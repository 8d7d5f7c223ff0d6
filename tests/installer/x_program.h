// The installer program under a private X server: a child process with its
// output captured, clicks and signals as a person gives them, and a mirror of
// the program's pages built in the test process from the same package, which
// tells where the buttons are and what each page looks like.
#ifndef INSTALLER_X_PROGRAM_H
#define INSTALLER_X_PROGRAM_H

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "../widgets/widget_test_env.h"
#include "app.h"
#include "app_installer.h"
#include "database.h"
#include "desktop.h"
#include "fonts.h"
#include "install_dialog.h"
#include "test_support.h"
#include "wm_button.h"
#include "wm_confirm.h"
#include "wm_dialog.h"
#include "wm_grid.h"
#include "wm_progress.h"
#include "wm_script.h"
#include "x_helpers.h"

namespace xi {

inline std::string installer_path() { return ZORV_BUILD_DIR "/installer"; }
// The installer for tests that reach the installation page: its desktop
// programs, menu folder and shared temporary folder lie in a sandbox
// (installer/e2e), so no test writes a real menu entry or runs a desktop
// program.
inline std::string installer_e2e_path() { return ZORV_BUILD_DIR "/installer_e2e"; }

// Makes the sandbox installer_e2e runs against in dir (which must exist) and
// names it in ZORV_E2E_SANDBOX for the programs this process starts. Every
// stand-in appends one line to dir/calls: its name, then each argument in
// brackets; xdg-desktop-menu also copies the files it is given into
// dir/copies, rm then removes them. All of it is open to any user.
inline bool make_e2e_sandbox(const std::string& dir) {
  const std::string q = "'" + dir + "'";
  if (zt::sh("mkdir -p " + q + "/bin " + q + "/menu " + q + "/temp " + q + "/copies && touch " + q +
             "/calls && chmod 0777 " + q + "/menu " + q + "/copies && chmod 1777 " + q + "/temp && chmod 0666 " +
             q + "/calls") != 0)
    return false;
  auto stand_in = [&](const std::string& name, const std::string& then) {
    zt::write_text(dir + "/bin/" + name,
                   "#!/bin/sh\n{ printf '%s' '" + name + "'; for a in \"$@\"; do printf ' [%s]' \"$a\"; done; echo; } >> '" +
                       dir + "/calls'\n" + then);
    return zt::sh("chmod 0755 " + q + "/bin/" + name) == 0;
  };
  const bool made =
      stand_in("xdg-desktop-menu", "for a in \"$@\"; do [ -f \"$a\" ] && cp \"$a\" '" + dir + "/copies/'; done\nexit 0\n") &&
      stand_in("update-menus", "exit 0\n") && stand_in("rm", "exec /bin/rm \"$@\"\n") &&
      stand_in("browser", "exit 0\n") && stand_in("open", "exit 0\n");
  return made && setenv("ZORV_E2E_SANDBOX", dir.c_str(), 1) == 0;
}

// Where this test's screenshots are kept: <build>/test-output/installer/<test>.
inline std::string output_folder() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string dir = std::string(ZORV_BUILD_DIR) + "/test-output/installer/" + info->test_suite_name() + "." +
                    info->name();
  zt::sh("mkdir -p '" + dir + "'");
  return dir;
}

// Writes the demonstration package into dir.
inline bool make_demo_package(const std::string& dir) {
  return zt::sh("'" ZORV_BUILD_DIR "/make_demo_package' '" + dir + "' >/dev/null") == 0;
}

// A program run with stdout and stderr captured.
class ProgramRun {
 public:
  ProgramRun(const std::string& program, const std::vector<std::string>& args) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      dup2(err[1], 2);
      for (int fd : {out[0], out[1], err[0], err[1]}) close(fd);
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(program.c_str()));
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~ProgramRun() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
  }
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  // The exit status once the program ended (-1 when it did not in time).
  int wait_exit(int timeout_ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (status_ < 0) {
      int st = 0;
      if (waitpid(pid_, &st, WNOHANG) == pid_) {
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        break;
      }
      if (std::chrono::steady_clock::now() > end) return -1;
      drain(10);
    }
    while (drain(50)) {
    }
    return status_;
  }
  bool running() {
    if (status_ >= 0) return false;
    drain(0);
    int st = 0;
    if (waitpid(pid_, &st, WNOHANG) == pid_) {
      status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
      return false;
    }
    return true;
  }
  void signal(int sig) { kill(pid_, sig); }
  pid_t pid() const { return pid_; }
  const std::string& out() { return out_text_; }
  const std::string& err() { return err_text_; }

 private:
  // Reads what is there; true when something was read.
  bool drain(int wait_ms) {
    pollfd p[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (poll(p, 2, wait_ms) <= 0) return false;
    bool any = false;
    char buf[4096];
    for (int i = 0; i < 2; ++i) {
      if (!(p[i].revents & (POLLIN | POLLHUP))) continue;
      const ssize_t n = read(p[i].fd, buf, sizeof buf);
      if (n > 0) {
        (i == 0 ? out_text_ : err_text_).append(buf, static_cast<size_t>(n));
        any = true;
      }
    }
    return any;
  }
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  int status_ = -1;
  std::string out_text_, err_text_;
};

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  int cx() const { return x + w / 2; }
  int cy() const { return y + h / 2; }
};
inline Rect rect_of(const WM_SCREEN_OBJECT* o) { return {o->x, o->y, o->width, o->height}; }

// The program's pages built headless in this process from the same package:
// the same layout code, fonts and skin give the same rectangles and pixels.
class Mirror {
 public:
  bool load(const std::string& package_folder) {
    init_fonts();
    DATABASE& d = installer_database;
    d.config_folder.set(("$ROOT2" + package_folder).c_str());
    if (!d.open_package() || d.language_count < 1 || d.item_count < 1) return false;
    screen_ = wmt::make_screen(static_cast<INT_S16>(d.window_width), static_cast<INT_S16>(d.window_height));
    // The page area takes the window's size, as the program's does once the
    // package is loaded (a page built before may have sized it otherwise).
    page_manager.areas[0].manager.set_size(static_cast<INT_S16>(d.window_width),
                                           static_cast<INT_S16>(d.window_height), 1);
    wm_use_cursor_shapes = 0;
    progress_update_platform = [] {};
    progress_swap_screens = [](INT_S16) {};
    page_manager.transition_time = 0;
    wm_bevel_dark_colour = 0;
    wm_bevel_light_colour = 0;
    register_install_page(&page_manager);
    // The about text's first line, as the program's entry names it.
    APPLICATION_INFO.app_name = "Installer 1.08";
    // The mirror's own installation run goes to a folder of its own, and its
    // shortcuts and menu entries nowhere.
    mirror_target_ = "$ROOT2" + zt::make_temp_dir("mirror-target");
    desktop_programs.xdg_desktop_menu = "/nonexistent/xdg-desktop-menu";
    desktop_programs.update_menus = "true";
    desktop_programs.system_menu_folder = "/nonexistent";
    return true;
  }
  // Builds `page` in `language` and runs one frame (the installation page's
  // stand-in run completes in it). Returns the dialog.
  INSTALL_DIALOG* show(INT_S32 page, INT_S16 language = 0) {
    DATABASE& d = installer_database;
    // Shown already: a rebuild would start the page's run over.
    if (built_ && install_dialog && d.current_page == page && d.current_language == language)
      return install_dialog;
    d.current_language = language;
    d.current_page = page;
    if (built_) {
      auto* kick = new wmt::PROBE("kick", 0, 0, 1, 1);
      kick->tick_result = PAGE_ACTION_REBUILD_CLOSE_POPUPS;
      page_manager.current_manager->add_child(kick, 0);
    }
    built_ = true;
    wmt::clock_now() += 20;
    page_manager.update(0);
    wmt::clock_now() += 20;
    page_manager.update(0);
    if (page == INSTALL_PAGE_PROGRESS) {
      // The run completes (one step a frame), as the program's does.
      char shown_target[FOLDER_PATH_SIZE];
      std::snprintf(shown_target, sizeof shown_target, "%s", d.target_folder);
      std::snprintf(d.target_folder, sizeof d.target_folder, "%s", mirror_target_.c_str());
      for (int i = 0; i < 10000 && install_dialog && !install_dialog->next_button->enabled; ++i) {
        wmt::clock_now() += 20;
        page_manager.update(0);
      }
      std::snprintf(d.target_folder, sizeof d.target_folder, "%s", shown_target);
    }
    page_manager.current_manager->invalidate_display();
    page_manager.redraw();
    return install_dialog;
  }
  // Opens the quit box over the page shown and paints it; returns the box.
  WM_CONFIRM* show_quit_box() {
    open_quit_box(0);
    for (int i = 0; i < 3; ++i) {
      wmt::clock_now() += 2000;
      page_manager.update(0);
    }
    page_manager.current_manager->invalidate_display();
    page_manager.redraw();
    return quit_confirm_box;
  }
  void close_quit_box() {
    if (!quit_confirm_box) return;
    page_manager.current_manager->remove_popup(quit_confirm_box, 1, 0);
    page_manager.current_manager->invalidate_display();
    page_manager.redraw();
  }
  // Writes what the mirror shows as a PPM picture (kept beside the
  // screenshots when a page does not match).
  void save(const std::string& path) const {
    std::string data = "P6\n" + std::to_string(screen_->width) + " " + std::to_string(screen_->height) + "\n255\n";
    for (int y = 0; y < screen_->height; ++y)
      for (int x = 0; x < screen_->width; ++x) {
        const uint32_t p = pixel(x, y);
        data += static_cast<char>(p >> 16);
        data += static_cast<char>(p >> 8);
        data += static_cast<char>(p);
      }
    zt::write_text(path, data);
  }
  // The mirror's pixel as the window shows it (0x00RRGGBB).
  uint32_t pixel(int x, int y) const { return *screen_->pixel_at(x, y) & 0xFFFFFFu; }
  const char* text(int n) const { return installer_database.language_text(n); }

 private:
  IMAGE* screen_ = nullptr;
  bool built_ = false;
  std::string mirror_target_;
};

// Moves the pointer off every widget (the window's top-left corner lies on
// the background), so that no button shows its hover look or hint.
// (Never with --sync: a move to where the pointer already is would wait for
// a motion that never comes.)
inline void park_pointer(Window window) {
  zt::xdotool("mousemove --window " + std::to_string(window) + " 1 1");
  usleep(100000);
}

// The program's window may be still unmapped, or already gone, when it is
// read: such a read fails (and is tried again), it does not end the test.
inline int ignore_x_error(Display*, XErrorEvent*) { return 0; }
inline void tolerate_x_errors() { XSetErrorHandler(ignore_x_error); }

// A click as a person makes it: the button stays down for about 150 ms; then
// the pointer moves away.
inline bool click(Window window, int x, int y) {
  const std::string id = std::to_string(window);
  if (!zt::xdotool("mousemove --window " + id + " " + std::to_string(x) + " " + std::to_string(y)))
    return false;
  usleep(100000);
  if (!zt::xdotool("mousedown 1")) return false;
  usleep(150000);
  const bool up = zt::xdotool("mouseup 1");
  // Moved at once, the release and the move could meet in one frame, which
  // would read the release outside the button.
  usleep(200000);
  park_pointer(window);
  return up;
}

// Pixels of a rectangle of the window that differ from the mirror's.
inline int differences(zt::XProbe& probe, Window window, const Mirror& mirror, const Rect& r) {
  std::vector<uint32_t> got = probe.read_pixels(window, r.x, r.y, r.w, r.h);
  if (got.size() != static_cast<size_t>(r.w * r.h)) return r.w * r.h;
  int n = 0;
  for (int j = 0; j < r.h; ++j)
    for (int i = 0; i < r.w; ++i)
      if (got[j * r.w + i] != mirror.pixel(r.x + i, r.y + j)) ++n;
  return n;
}

// Waits until the rectangle of the window shows what the mirror shows.
inline bool wait_for_match(zt::XProbe& probe, Window window, const Mirror& mirror, const Rect& r,
                           int timeout_ms = 5000) {
  for (int waited = 0; waited <= timeout_ms; waited += 50) {
    if (differences(probe, window, mirror, r) == 0) return true;
    usleep(50000);
  }
  static int failures = 0;
  mirror.save(output_folder() + "/mirror-" + std::to_string(++failures) + ".ppm");
  return false;
}

// What a window manager sends when the window's close button is pressed.
inline bool send_close_request(zt::XProbe& probe, Window window) {
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = probe.intern("WM_PROTOCOLS");
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(probe.intern("WM_DELETE_WINDOW"));
  e.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(probe.display(), window, False, NoEventMask, &e) != 0;
  XFlush(probe.display());
  return sent;
}

inline void screenshot(Window window, const std::string& name) {
  zt::sh("import -window " + std::to_string(window) + " '" + output_folder() + "/" + name + ".png' 2>/dev/null");
}

// Waits for the program's top-level window of that title.
inline Window wait_for_window(zt::XProbe& probe, const std::string& title, int timeout_ms = 15000) {
  for (int waited = 0; waited <= timeout_ms; waited += 50) {
    std::vector<Window> w = probe.find_windows(title);
    if (w.size() == 1) return w[0];
    usleep(50000);
  }
  return 0;
}

// A private Xvfb, a connection of the test's own and the sandbox
// installer_e2e runs against; the program, its window and the mirror of its
// pages.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = zt::start_checked_xvfb(1024, 768, 24);
    ASSERT_TRUE(server);
    probe.reset(new zt::XProbe());
    ASSERT_TRUE(probe->ok());
    tolerate_x_errors();
    ASSERT_TRUE(make_e2e_sandbox(zt::make_temp_dir("e2e")));
  }
  void TearDown() override {
    program.reset();
    probe.reset();
    server.reset();
  }

  // Writes the demonstration package into a new `folder` and loads the
  // mirror from it.
  void load_demo_package() {
    folder = zt::make_temp_dir("demo");
    ASSERT_TRUE(make_demo_package(folder));
    ASSERT_TRUE(mirror.load(folder));
  }

  // Starts the program on the demonstration package (load_demo_package
  // first); waits for its window and for the first page (in English) to have
  // faded in.
  void start_on_demo(INT_S32 first_page, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"-x", "$ROOT2" + folder + "/installer.xml"};
    args.insert(args.end(), extra.begin(), extra.end());
    program.reset(new ProgramRun(installer_e2e_path(), args));
    window = wait_for_window(*probe, mirror.text(TEXT_APPLICATION_TITLE));
    ASSERT_NE(window, 0u) << program->err();
    expect_page(first_page, 0);
  }

  // The window shows `page` in `language`: its caption matches the mirror's.
  void expect_page(INT_S32 page) {
    dialog = mirror.show(page, language);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog->caption);
    EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(dialog->caption)))
        << "page " << page << ": " << program->err();
    screenshot(window, "page-" + std::to_string(page));
  }
  void expect_page(INT_S32 page, INT_S16 in_language) {
    language = in_language;
    expect_page(page);
  }

  // The mirror's side of a click: the widget's callback as its release
  // calls it.
  static INT_S32 send(WM_SCREEN_OBJECT* o) {
    if (auto* b = dynamic_cast<WM_BUTTON*>(o)) b->released = 1;
    return o->action_callback ? o->action_callback(o, o->action_arg1, o->action_arg2) : 0;
  }
  // A click on the button in the window, and the same on the mirror's.
  void press(WM_BUTTON* b) {
    const Rect r = rect_of(b);
    ASSERT_TRUE(click(window, r.cx(), r.cy()));
    send(b);
    settle_mirror();
  }
  // A few frames of the mirror, long enough for any fade to end.
  void settle_mirror() {
    for (int i = 0; i < 4; ++i) {
      wmt::clock_now() += 2000;
      page_manager.update(0);
    }
    redraw_mirror();
  }
  void redraw_mirror() {
    page_manager.current_manager->invalidate_display();
    page_manager.redraw();
  }

  // Clicks until the window shows the page (a button enabled a frame later
  // ignores an early click).
  void click_to_page(const Rect& target, INT_S32 page) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      ASSERT_TRUE(click(window, target.cx(), target.cy()));
      INSTALL_DIALOG* next = mirror.show(page, language);
      if (wait_for_match(*probe, window, mirror, rect_of(next->caption), 2000)) break;
    }
    expect_page(page);
  }
  void click_to_page(const Rect& target, INT_S32 page, INT_S16 in_language) {
    language = in_language;
    click_to_page(target, page);
  }

  // From the page shown, the next button page by page until `last`.
  void walk_to(INT_S32 page, INT_S32 last) {
    DATABASE& d = installer_database;
    while (page != last) {
      d.current_page = page;
      const INT_S32 next = d.next_page();
      click_to_page(rect_of(dialog->next_button), next);
      if (HasFatalFailure()) return;
      page = next;
    }
  }
  // From the page shown, on to the installation page and the end of its run.
  void walk_to_finished_run(INT_S32 page) {
    walk_to(page, INSTALL_PAGE_PROGRESS);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(dialog->status_label);
    EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(dialog->status_label), 15000));
  }

  std::unique_ptr<zt::XServer> server;
  std::unique_ptr<zt::XProbe> probe;
  std::unique_ptr<ProgramRun> program;
  std::string folder;  // the demonstration package's
  Mirror mirror;
  Window window = 0;
  INSTALL_DIALOG* dialog = nullptr;
  INT_S16 language = 0;  // of the pages the mirror shows
};

}  // namespace xi

#endif
