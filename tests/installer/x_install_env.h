// End-to-end set-up for installer_e2e: a private Xvfb any user may reach
// (-ac), a tree under /tmp that uid 65534 can read (program, package, the
// desktop sandbox, its own HOME and TMPDIR), the program run as that user,
// and clicks as a person gives them.
#ifndef INSTALLER_X_INSTALL_ENV_H
#define INSTALLER_X_INSTALL_ENV_H

#include <sys/stat.h>

#include <cstdlib>
#include <regex>
#include <set>

#include "install_run.h"
#include "x_program.h"

namespace xe {

using namespace xi;

const char kNobody[] = "65534";

inline std::string q(const std::string& s) { return "'" + s + "'"; }

// Every path under root (folders end in '/').
inline std::set<std::string> listing(const std::string& root) {
  std::string out;
  zt::sh("cd " + q(root) + " && find . -mindepth 1 \\( -type d -printf '%P/\\n' \\) -o -printf '%P\\n'", &out);
  std::set<std::string> paths;
  size_t start = 0;
  for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
    paths.insert(out.substr(start, end - start));
  return paths;
}

class InstallE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int attempt = 0; attempt < 5 && !server; ++attempt) {
      server = zt::XServer::start_xvfb(1024, 768, 24, {"-ac"});
      for (int i = 0; server && i < 40; ++i) {
        if (Display* d = XOpenDisplay(server->display().c_str())) {
          XCloseDisplay(d);
          break;
        }
        usleep(50000);
      }
    }
    ASSERT_TRUE(server);
    server->use();
    probe.reset(new zt::XProbe());
    ASSERT_TRUE(probe->ok());
    tolerate_x_errors();

    char pattern[] = "/tmp/zorv-e2e.XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    root = pattern;
    home = root + "/home";
    sandbox = root + "/sandbox";
    tmpdir = root + "/tmpdir";
    program_copy = root + "/prog/installer_e2e";
    package_dir = root + "/pkg";
    target = home + "/zorv-demo";
    ASSERT_EQ(zt::sh("chmod 0755 " + q(root) + " && mkdir -p " + q(home + "/Desktop") + " " + q(tmpdir) + " " +
                     q(root + "/prog") + " " + q(package_dir) + " " + q(sandbox) + " && cp " +
                     q(installer_e2e_path()) + " " + q(program_copy) + " && chown -R " + kNobody + ":" + kNobody +
                     " " + q(home) + " " + q(tmpdir)),
              0);
    ASSERT_TRUE(make_e2e_sandbox(sandbox));
  }
  void TearDown() override {
    program.reset();
    probe.reset();
    server.reset();
    if (!root.empty()) zt::sh("chmod -R u+rwX " + q(root) + " 2>/dev/null; rm -rf " + q(root));
  }

  // The demonstration package (a variant of it), read-only, and the mirror
  // of its pages.
  void make_package(const std::string& variant = "") {
    ASSERT_EQ(zt::sh("'" ZORV_BUILD_DIR "/make_demo_package' " + q(package_dir) +
                     (variant.empty() ? "" : " --variant " + variant) + " >/dev/null && chmod 0444 " +
                     q(package_dir + "/installer.pkg")),
              0);
    ASSERT_TRUE(mirror.load(package_dir));
  }

  // Starts the program as uid 65534 with its own HOME and TMPDIR; `limit`
  // is shell text run before it (a signal ignored, say).
  void start(const std::string& limit = "", bool unprivileged = true) {
    std::vector<std::string> args = {"HOME=" + home, "TMPDIR=" + tmpdir, "ZORV_E2E_SANDBOX=" + sandbox,
                                      "DISPLAY=" + server->display()};
    if (unprivileged)
      args.insert(args.end(), {"/usr/bin/setpriv", "--reuid=" + std::string(kNobody),
                               "--regid=" + std::string(kNobody), "--clear-groups"});
    if (!limit.empty()) {
      args.push_back("/bin/bash");
      args.push_back("-c");
      args.push_back(limit + "; exec \"$0\" \"$@\"");
    }
    args.push_back(program_copy);
    args.push_back("-x");
    args.push_back("$ROOT2" + package_dir + "/installer.xml");
    program.reset(new ProgramRun("/usr/bin/env", args));
    window = wait_for_window(*probe, mirror.text(TEXT_APPLICATION_TITLE));
    ASSERT_NE(window, 0u) << program->err();
    expect_page(INSTALL_PAGE_LANGUAGE);
  }

  void expect_page(INT_S32 page) {
    dialog = mirror.show(page, 0);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog->caption);
    EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(dialog->caption), 10000))
        << "page " << page << ": " << program->err();
    screenshot(window, "page-" + std::to_string(page));
  }
  // Clicks until the window shows the page (a button enabled a frame later
  // ignores an early click).
  void click_to_page(const Rect& where, INT_S32 page) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      ASSERT_TRUE(click(window, where.cx(), where.cy()));
      INSTALL_DIALOG* next = mirror.show(page, 0);
      if (wait_for_match(*probe, window, mirror, rect_of(next->caption), 3000)) break;
    }
    expect_page(page);
  }
  // Language, licence and item pages to the target page.
  void walk_to_target_page(const std::string& limit = "", bool unprivileged = true) {
    ASSERT_NO_FATAL_FAILURE(start(limit, unprivileged));
    ASSERT_TRUE(install_grid);
    click_to_page(rect_of(install_grid->get_cell(0, 0)), INSTALL_PAGE_LICENCE);
    click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_ITEM);
    click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_TARGET);
  }
  // The install button: the window shows the installation page's caption.
  void click_install() {
    const Rect install = rect_of(dialog->next_button);
    ASSERT_TRUE(click(window, install.cx(), install.cy()));
  }

  // The failure box's caption and buttons, as the program places them.
  struct BOX {
    Rect caption, go_on, go_back;
  };
  BOX failure_box_layout() {
    DATABASE& d = installer_database;
    WM_CONFIRM box(d.error_box.width, d.error_box.height, d.language_text(TEXT_FAILURE_TITLE),
                   d.language_text(TEXT_FAILURE_GO_ON), d.language_text(TEXT_FAILURE_GO_BACK), 1, nullptr, 0, 0,
                   nullptr, 0, 0, d.error_box.x, d.error_box.y, 0, 100, nullptr);
    return {rect_of(box.caption), rect_of(box.first_button), rect_of(box.second_button)};
  }
  // A caption bar where the failure box stands: mostly the caption colour,
  // which the page never shows there.
  bool failure_box_shown() {
    const Rect& c = failure_box_layout().caption;
    std::vector<uint32_t> now = probe->read_pixels(window, c.x, c.y, c.w, c.h);
    int caption_pixels = 0;
    for (uint32_t p : now) caption_pixels += (p & 0xFFFFFF) == 0x2F6DB5;
    return !now.empty() && caption_pixels * 2 > static_cast<int>(now.size());
  }
  // Waits for the failure box.
  bool wait_for_failure_box(int timeout_ms = 15000) {
    for (int waited = 0; waited < timeout_ms; waited += 200) {
      if (failure_box_shown()) {
        usleep(300000);
        screenshot(window, "failure-box-" + std::to_string(++boxes_seen));
        return true;
      }
      usleep(200000);
    }
    return false;
  }
  void press(const Rect& r) { ASSERT_TRUE(click(window, r.cx(), r.cy())); }
  // Presses one of the failure box's buttons until the press has been taken
  // (`taken`, or the box gone): on a loaded machine a frame can outlast the
  // held click, and a press and release pumped in one frame are lost.
  template <typename TAKEN>
  void press_failure_box(const Rect& r, TAKEN taken) {
    for (int attempt = 0; attempt < 4; ++attempt) {
      press(r);
      for (int waited = 0; waited < 3000; waited += 100) {
        if (taken() || !failure_box_shown()) return;
        usleep(100000);
      }
    }
  }
  void press_failure_box(const Rect& r) {
    press_failure_box(r, [] { return false; });
  }

  // Waits for a text in the log (owned by the installing user).
  bool wait_for_log(const std::string& text, int timeout_ms = 30000) {
    for (int waited = 0; waited < timeout_ms; waited += 100) {
      if (zt::read_text(target + "/install_log.txt").find(text) != std::string::npos) return true;
      usleep(100000);
    }
    return false;
  }

  std::string extracted(const std::string& entry) {
    const std::string out = root + "/extracted";
    zt::sh("'" ZORV_BUILD_DIR "/pkgtool' extract " + q(package_dir + "/installer.pkg") + " " + q(entry) + " " +
           q(out) + " >/dev/null 2>&1");
    const std::string bytes = zt::read_text(out);
    std::remove(out.c_str());
    return bytes;
  }
  static int mode_of(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
  }
  std::string calls() { return zt::read_text(sandbox + "/calls"); }

  std::unique_ptr<zt::XServer> server;
  std::unique_ptr<zt::XProbe> probe;
  std::unique_ptr<ProgramRun> program;
  Mirror mirror;
  Window window = 0;
  INSTALL_DIALOG* dialog = nullptr;
  std::string root, home, sandbox, tmpdir, program_copy, package_dir, target;
  int boxes_seen = 0;
};

}  // namespace xe

#endif
