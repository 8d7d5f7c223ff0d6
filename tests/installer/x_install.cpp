// The demonstration package installed end to end by installer_e2e as an
// unprivileged user on a private Xvfb, driven page by page with xdotool; then
// every file, mode, log line, shortcut, menu line and desktop-program call is
// checked against bytes written out here.
#include "x_install_env.h"

using namespace xe;

namespace {

std::string sha256(const std::string& path) {
  std::string out;
  zt::sh("sha256sum " + q(path), &out);
  return out.substr(0, 64);
}
long long mtime_ns(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec : -1;
}

TEST_F(InstallE2E, TheDemoInstallsWithItsLogShortcutsAndMenuEntry) {
  make_package();
  const std::string pkg = package_dir + "/installer.pkg";
  const std::string pkg_sum = sha256(pkg);
  const long long pkg_time = mtime_ns(pkg);
  const std::set<std::string> before = listing(root);
  const std::set<std::string> test_tmp_before = listing(std::string(getenv("TMPDIR")));

  ASSERT_NO_FATAL_FAILURE(walk_to_target_page());
  click_install();
  ASSERT_TRUE(wait_for_log("Installation completed")) << program->err();
  expect_page(INSTALL_PAGE_PROGRESS);
  ASSERT_TRUE(dialog->status_label);
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(dialog->status_label)));
  screenshot(window, "page-7-done");
  click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_README);
  press(rect_of(dialog->next_button));
  EXPECT_EQ(program->wait_exit(), 0) << program->err();

  // The files, byte for byte, with their modes.
  const struct {
    const char* path;
    const char* entry;
    int mode;
  } files[] = {{"bin/zorv-demo.sh", "payload/zorv-demo.sh", 0755},
               {"doc/notes.txt", "payload/notes.txt", 0644},
               {"data/data.bin", "payload/data.bin", 0644},
               {"data/placeholder.txt", "payload/empty.txt", 0644},
               {"share/zorv-demo.png", "payload/zorv-demo.png", 0644}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.path);
    const std::string want = extracted(f.entry);
    EXPECT_TRUE(want.size() > 0 || std::string(f.entry) == "payload/empty.txt");
    EXPECT_EQ(zt::read_text(target + "/" + f.path), want);
    EXPECT_EQ(mode_of(target + "/" + f.path), f.mode);
  }
  EXPECT_EQ(listing(target), (std::set<std::string>{"bin/", "bin/zorv-demo.sh", "doc/", "doc/notes.txt", "data/",
                                                     "data/data.bin", "data/placeholder.txt", "share/",
                                                     "share/zorv-demo.png", "install_log.txt"}));

  const std::string t = target;
  EXPECT_EQ(zt::read_text(t + "/install_log.txt"),
            "Installed Files\n---------------\n\nLanguage: English\n"
            "Installed \"" + t + "/bin/zorv-demo.sh\"\n"
            "Installed \"" + t + "/doc/notes.txt\"\n"
            "Installed \"" + t + "/data/data.bin\"\n"
            "Installed \"" + t + "/data/placeholder.txt\"\n"
            "Installed \"" + t + "/share/zorv-demo.png\"\n"
            "create_desktop_shortcut( 1, \"zorv-demo.sh\", \"\", \"Zorv Demo\", \"" + t + "/share\", \"zorv-demo.png\", \"" +
                t + "/bin\" );\n"
            "create_os_menu_shortcut( 1, \"zorv-demo.sh\", \"--greeting hello\", \"Zorv Demo\", \"Utility\", \"" + t +
                "/share\", \"zorv-demo.png\", \"" + t + "/bin\" );\n"
            "create_desktop_shortcut( 2, \"https://example.org/zorv\", \"\", \"Zorv Demo Web Site\", \"null\", \"\", "
            "\"null\" );\n"
            "Installation completed without any errors.\n");

  // The desktop files and the menu line.
  EXPECT_EQ(listing(home + "/Desktop"), (std::set<std::string>{"Zorv_Demo.desktop", "Zorv_Demo_Web_Site.desktop"}));
  EXPECT_EQ(zt::read_text(home + "/Desktop/Zorv_Demo.desktop"),
            "[Desktop Entry]\nEncoding=UTF-8\nValue=1.0\nType=Application\nName=Zorv Demo\nComment=Zorv Demo\n"
            "Exec=\"" + t + "/bin/zorv-demo.sh\" \nIcon=" + t + "/share/zorv-demo.png\n");
  EXPECT_EQ(zt::read_text(home + "/Desktop/Zorv_Demo_Web_Site.desktop"),
            "[Desktop Entry]\nEncoding=UTF-8\nValue=1.0\nType=Link\nName=Zorv Demo Web Site\nIcon=www\n"
            "URL=\"https://example.org/zorv\" \n");
  EXPECT_EQ(listing(sandbox + "/menu"), (std::set<std::string>{"local.Zorv_Demo.desktop"}));
  EXPECT_EQ(zt::read_text(sandbox + "/menu/local.Zorv_Demo.desktop"),
            "?package(local.Zorv_Demo): command=\"" + t + "/bin/zorv-demo.sh --greeting hello\" icon=\"" + t +
                "/share/zorv-demo.png\" section=\"Utility\" title=\"Zorv Demo\" needs=\"x11\" "
                "startup_notify=\"true\"\n");
  EXPECT_EQ(zt::read_text(sandbox + "/copies/zorv-Zorv_Demo.desktop"),
            "[Desktop Entry]\nValue=1.0\nType=Application\nName=Zorv Demo\nExec=" + t +
                "/bin/zorv-demo.sh --greeting hello\nIcon=" + t + "/share/zorv-demo.png\n");
  EXPECT_EQ(zt::read_text(sandbox + "/copies/zorv-Utility.directory"),
            "[Desktop Entry]\nValue=1.0\nType=Directory\nName=Utility\nIcon=folder\n");

  // The desktop programs' calls: the menu files lie in a private folder.
  const std::string d = tmpdir + "/zorv-menu\\.[A-Za-z0-9]{6}";
  const std::regex expected_calls("xdg-desktop-menu \\[install\\] \\[(" + d + ")/zorv-Utility\\.directory\\] \\[\\1/zorv-Zorv_Demo\\.desktop\\]\n"
                                   "rm \\[\\1/zorv-Utility\\.directory\\]\n"
                                   "rm \\[\\1/zorv-Zorv_Demo\\.desktop\\]\n"
                                   "update-menus\n");
  EXPECT_TRUE(std::regex_match(calls(), expected_calls)) << calls();

  // The installed script runs.
  std::string greeting;
  zt::sh(q(t + "/bin/zorv-demo.sh"), &greeting);
  EXPECT_EQ(greeting, "Hello from the Zorv demo.\n");

  // The temporary folders: nothing left, not even an empty "$TEMP" folder.
  std::string temp_files;
  zt::sh("find " + q(sandbox + "/temp") + " -mindepth 1", &temp_files);
  EXPECT_EQ(temp_files, "");
  EXPECT_EQ(listing(tmpdir), std::set<std::string>{});
  EXPECT_EQ(listing(std::string(getenv("TMPDIR"))), test_tmp_before);

  // Nothing new outside the target, the Desktop, the menu folder and the sandbox.
  for (const std::string& path : listing(root)) {
    if (before.count(path)) continue;
    const bool allowed = path.rfind("home/zorv-demo/", 0) == 0 || path.rfind("home/Desktop/", 0) == 0 ||
                         path.rfind("sandbox/", 0) == 0 || path == "extracted";
    EXPECT_TRUE(allowed) << path;
  }
  EXPECT_EQ(sha256(pkg), pkg_sum);
  EXPECT_EQ(mtime_ns(pkg), pkg_time);
}

// One user ran the installer; its shared temporary folder is that user's,
// 0700. A second user, on the same world-readable package (owned by the
// first, 0644, so it opens for reading only), starts and installs all the same
// with a temporary folder of their own beside it.
TEST_F(InstallE2E, ASecondUserAfterAFirstOneInstallsToo) {
  make_package();
  const std::string pkg = package_dir + "/installer.pkg";
  ASSERT_EQ(zt::sh("chmod 0644 " + q(pkg)), 0);
  const std::string first_home = root + "/first-home";
  ASSERT_EQ(zt::sh("mkdir -p " + q(first_home + "/Desktop")), 0);
  {
    ProgramRun first("/usr/bin/env", {"HOME=" + first_home, "TMPDIR=" + tmpdir, "ZORV_E2E_SANDBOX=" + sandbox,
                                      "DISPLAY=" + server->display(), program_copy, "-x",
                                      "$ROOT2" + package_dir + "/installer.xml"});
    const Window w = wait_for_window(*probe, mirror.text(TEXT_APPLICATION_TITLE));
    ASSERT_NE(w, 0u) << first.err();
    screenshot(w, "first-user");
  }
  // The first user's window is gone before the second user's is looked for.
  for (int waited = 0; waited < 10000 && !probe->find_windows(mirror.text(TEXT_APPLICATION_TITLE)).empty();
       waited += 50)
    usleep(50000);
  const std::string shared = sandbox + "/temp/installer_e2e";
  struct stat st;
  ASSERT_EQ(lstat(shared.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_mode & 07777, 0700u);

  ASSERT_NO_FATAL_FAILURE(walk_to_target_page());
  click_install();
  ASSERT_TRUE(wait_for_log("Installation completed without any errors.\n")) << program->err();
  for (const char* f : {"bin/zorv-demo.sh", "doc/notes.txt", "data/data.bin", "share/zorv-demo.png"})
    EXPECT_EQ(zt::read_text(target + "/" + f), extracted(std::string("payload/") + (strchr(f, '/') + 1))) << f;
  const std::string own = shared + "-" + kNobody;
  ASSERT_EQ(lstat(own.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_FALSE(zt::file_exists(root + "/prog/temp"));
}

}  // namespace
