// installer_e2e's failure paths as an unprivileged user: a missing entry, an
// unwritable target, the hostile database, a full disk and another user's
// links in a shared target. Each shows the failure box (or, where the run
// truly succeeded, none), and nothing is written outside the target.
#include "x_install_env.h"

using namespace xe;

namespace {

int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class InstallFailureE2E : public InstallE2E {
 protected:
  std::string log() { return zt::read_text(target + "/install_log.txt"); }
  // Answers the failure boxes of a run with "go on", each once its failed line
  // is in the log; false when one did not come.
  bool go_on_through(int failures) {
    for (int k = 1; k <= failures; ++k) {
      for (int waited = 0; count_of(log(), "failed to unpack") < k; waited += 100) {
        if (waited > 30000) return false;
        usleep(100000);
      }
      if (!wait_for_failure_box()) return false;
      // The next failure's box can follow at once where this one stood.
      press_failure_box(failure_box_layout().go_on, [&] {
        const std::string now = log();
        return count_of(now, "failed to unpack") > k || now.find("Installation completed") != std::string::npos;
      });
    }
    return true;
  }
  // Installs with a file-size limit that the payload's data.bin (1,300,000
  // bytes) passes, and goes on through its one failure to the end. The limit
  // comes once start-up has read the database (about 2 MB) and the fonts.
  // Only a process of one's own user takes a new limit without extra rights:
  // this run is root's.
  void install_on_a_full_disk() {
    ASSERT_NO_FATAL_FAILURE(walk_to_target_page("trap '' XFSZ", false));
    // env and bash exec into the program: it keeps the pid it was started with.
    const std::string pid = std::to_string(program->pid());
    ASSERT_EQ(zt::sh("prlimit --pid " + pid + " --fsize=1048576"), 0) << pid;
    click_install();
    ASSERT_TRUE(go_on_through(1)) << program->err();
    ASSERT_TRUE(wait_for_log("Installation completed with 1 errors.\n")) << log();
  }
  // The installation page's status line shows `line` (the mirror's page
  // with that line).
  bool wait_for_status_line(const std::string& line) {
    dialog = mirror.show(INSTALL_PAGE_PROGRESS, 0);
    if (!dialog || !dialog->status_label) return false;
    // The mirror's own run may have stopped at a failure box over the line.
    while (WM_SCREEN_OBJECT* box = find_popup(WM_KIND_CONFIRM)) page_manager.current_manager->remove_popup(box, 1, 0);
    std::string text = line;
    dialog->set_progress(100, &text[0]);
    page_manager.current_manager->invalidate_display();
    page_manager.redraw();
    const bool shown = wait_for_match(*probe, window, mirror, rect_of(dialog->status_label), 15000);
    screenshot(window, "status-line");
    return shown;
  }
  // Leaves through the readme page.
  void finish() {
    click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_README);
    press(rect_of(dialog->next_button));
    EXPECT_EQ(program->wait_exit(), 0) << program->err();
  }
  void quit_with_yes() {
    press(rect_of(dialog->quit_button));
    WM_CONFIRM* box = mirror.show_quit_box();
    ASSERT_TRUE(box);
    EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(box)));
    press(rect_of(box->first_button));
    EXPECT_EQ(program->wait_exit(), 0) << program->err();
  }
};

TEST_F(InstallFailureE2E, AMissingEntryFailsOnceAndGoingBackStartsAFreshLog) {
  make_package("missing-entry");
  // An earlier installation's file of that name stays.
  zt::sh("mkdir -p " + q(target + "/doc") + " && printf 'earlier notes\\n' > " + q(target + "/doc/notes.txt") +
         " && chown -R " + kNobody + ":" + kNobody + " " + q(target));
  ASSERT_NO_FATAL_FAILURE(walk_to_target_page());
  click_install();
  ASSERT_TRUE(go_on_through(1)) << program->err();
  ASSERT_TRUE(wait_for_log("Installation completed with 1 errors.\n")) << log();
  EXPECT_NE(log().find("\"" + target + "/doc/notes.txt\" failed to unpack (payload/notes.txt)\n"), std::string::npos)
      << log();
  EXPECT_EQ(zt::read_text(target + "/doc/notes.txt"), "earlier notes\n");
  program.reset();

  // A second run: go back returns to the target page; install starts over.
  ASSERT_NO_FATAL_FAILURE(walk_to_target_page());
  click_install();
  for (int waited = 0; count_of(log(), "failed to unpack") < 1 && waited < 30000; waited += 100) usleep(100000);
  ASSERT_TRUE(wait_for_failure_box());
  press_failure_box(failure_box_layout().go_back);
  expect_page(INSTALL_PAGE_TARGET);
  click_install();
  ASSERT_TRUE(go_on_through(1)) << program->err();
  ASSERT_TRUE(wait_for_log("Installation completed with 1 errors.\n")) << log();
  const std::string text = log();
  EXPECT_EQ(count_of(text, "Installed Files"), 1) << text;
  EXPECT_EQ(count_of(text, "failed to unpack"), 1) << text;
  EXPECT_EQ(count_of(text, "Installed \""), 4) << text;
  EXPECT_EQ(zt::read_text(target + "/doc/notes.txt"), "earlier notes\n");
}

TEST_F(InstallFailureE2E, ATargetThatIsAFileIsRefusedAtOnce) {
  make_package();
  zt::write_text(target, "not a folder\n");
  zt::sh("chown " + std::string(kNobody) + " " + q(target));
  ASSERT_NO_FATAL_FAILURE(walk_to_target_page());
  click_install();
  ASSERT_TRUE(wait_for_failure_box()) << program->err();
  press_failure_box(failure_box_layout().go_back);
  expect_page(INSTALL_PAGE_TARGET);
  EXPECT_EQ(zt::read_text(target), "not a folder\n");
  EXPECT_EQ(listing(home + "/Desktop"), std::set<std::string>{});
  EXPECT_EQ(calls(), "");
  quit_with_yes();
}

// As the unprivileged user: an existing target it may not write, then a home
// folder it may not write.
TEST_F(InstallFailureE2E, UnwritableTargetsAreRefusedAtOnce) {
  make_package();
  const struct {
    const char* what;
    std::string prepare;
    std::set<std::string> home_after;
  } cases[] = {{"0555 target", "mkdir " + q(target) + " && chown " + kNobody + " " + q(target) + " && chmod 0555 " + q(target),
                {"Desktop/", "zorv-demo/"}},
               {"0555 home", "rmdir " + q(target) + " && chmod 0555 " + q(home), {"Desktop/"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(zt::sh(c.prepare), 0);
    ASSERT_NO_FATAL_FAILURE(walk_to_target_page());
    click_install();
    ASSERT_TRUE(wait_for_failure_box()) << program->err();
    press_failure_box(failure_box_layout().go_back);
    expect_page(INSTALL_PAGE_TARGET);
    program.reset();
    EXPECT_EQ(listing(home), c.home_after);
  }
  EXPECT_EQ(calls(), "");
}

// Going on from the refusal: the run ends, and its last line counts the
// failure instead of calling the installation complete.
TEST_F(InstallFailureE2E, GoingOnIntoAnUnwritableTargetEndsWithTheFailureCount) {
  make_package();
  ASSERT_EQ(zt::sh("mkdir " + q(target) + " && chown " + kNobody + " " + q(target) + " && chmod 0555 " + q(target)), 0);
  ASSERT_NO_FATAL_FAILURE(walk_to_target_page());
  click_install();
  ASSERT_TRUE(wait_for_failure_box()) << program->err();
  press_failure_box(failure_box_layout().go_on);
  EXPECT_TRUE(wait_for_status_line("Installation problem (1)")) << program->err();
  finish();
  EXPECT_EQ(listing(home), (std::set<std::string>{"Desktop/", "zorv-demo/"}));
  EXPECT_EQ(calls(), "");
}

// The file both "Zorv Demo" shortcuts start is missing from the package: no
// launcher of it is made, and an earlier good one stays; the web link is
// made as before.
TEST_F(InstallFailureE2E, AMissingShortcutTargetMakesNoShortcutOfIt) {
  make_package("missing-shortcut-target");
  zt::write_text(home + "/Desktop/Zorv_Demo.desktop", "an earlier good shortcut\n");
  zt::sh("chown " + std::string(kNobody) + " " + q(home + "/Desktop/Zorv_Demo.desktop"));
  ASSERT_NO_FATAL_FAILURE(walk_to_target_page());
  click_install();
  // The script's box; then, where it stood, one box for the shortcuts that
  // were not made.
  ASSERT_TRUE(wait_for_log("failed to unpack")) << log();
  ASSERT_TRUE(wait_for_failure_box()) << program->err();
  press_failure_box(failure_box_layout().go_on, [&] { return log().find("not created") != std::string::npos; });
  ASSERT_TRUE(wait_for_log("not created")) << log();
  ASSERT_TRUE(wait_for_failure_box()) << program->err();
  press_failure_box(failure_box_layout().go_on,
                    [&] { return log().find("Installation completed") != std::string::npos; });
  ASSERT_TRUE(wait_for_log("Installation completed with 3 errors.\n")) << log();
  const std::string script = target + "/bin/zorv-demo.sh";
  EXPECT_EQ(count_of(log(), "Shortcut \"Zorv Demo\" not created (" + script + ": No such file or directory)\n"), 2)
      << log();
  EXPECT_EQ(log().find("create_desktop_shortcut( 1"), std::string::npos) << log();
  EXPECT_EQ(log().find("create_os_menu_shortcut"), std::string::npos) << log();
  EXPECT_NE(log().find("create_desktop_shortcut( 2, \"https://example.org/zorv\""), std::string::npos) << log();
  EXPECT_TRUE(wait_for_status_line("Installation problem (3)")) << program->err();
  finish();
  EXPECT_EQ(listing(home + "/Desktop"),
            (std::set<std::string>{"Zorv_Demo.desktop", "Zorv_Demo_Web_Site.desktop"}));
  EXPECT_EQ(zt::read_text(home + "/Desktop/Zorv_Demo.desktop"), "an earlier good shortcut\n");
  EXPECT_EQ(listing(sandbox + "/menu"), std::set<std::string>{});
  EXPECT_EQ(calls(), "");
  EXPECT_FALSE(zt::file_exists(script));
}

TEST_F(InstallFailureE2E, TheHostileDatabaseInstallsOnlyIntoItsTarget) {
  make_package("hostile");
  target = home + "/a\"b$(touch PWNED)c`x";
  zt::write_text(home + "/escape.txt", "beside the target\n");
  zt::sh("chown " + std::string(kNobody) + " " + q(home + "/escape.txt"));
  const std::set<std::string> before = listing(root);
  ASSERT_NO_FATAL_FAILURE(walk_to_target_page());
  click_install();
  ASSERT_TRUE(go_on_through(4)) << program->err();
  ASSERT_TRUE(wait_for_log("Installation completed with 4 errors.\n")) << log();
  const std::string text = log();
  for (const std::string& line :
       {"\"" + target + "/doc/../escape.txt\" failed to unpack (payload/notes.txt)\n",
        "\"" + target + "/doc/new\\nline.txt\" failed to unpack (payload/notes.txt)\n",
        std::string("\"$NOPE/x/nope.txt\" failed to unpack (payload/notes.txt)\n"),
        std::string("\"$APP/../up.txt\" failed to unpack (payload/notes.txt)\n")})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  EXPECT_EQ(mode_of(target + "/bin/zorv-demo.sh"), 0755);
  EXPECT_EQ(zt::read_text(home + "/escape.txt"), "beside the target\n");
  program.reset();
  std::string pwned;
  zt::sh("find " + q(root) + " " + q(zt::sandbox()) + " -name PWNED", &pwned);
  EXPECT_EQ(pwned, "");
  for (const std::string& path : listing(root)) {
    if (before.count(path)) continue;
    const bool allowed = path.rfind("home/a\"b$(touch PWNED)c`x/", 0) == 0 || path.rfind("home/Desktop/", 0) == 0 ||
                         path.rfind("sandbox/", 0) == 0;
    EXPECT_TRUE(allowed) << path;
  }
  // Only the desktop stand-ins ran.
  std::string programs;
  zt::sh("cut -d' ' -f1 " + q(sandbox + "/calls") + " | sort -u | tr '\\n' ' '", &programs);
  EXPECT_EQ(programs, "rm update-menus xdg-desktop-menu ");
}

TEST_F(InstallFailureE2E, AFullDiskFailsThePayloadAndLeavesNoPartialFile) {
  make_package();
  ASSERT_NO_FATAL_FAILURE(install_on_a_full_disk());
  EXPECT_NE(log().find("\"" + target + "/data/data.bin\" failed to unpack (payload/data.bin)\n"), std::string::npos);
  EXPECT_FALSE(zt::file_exists(target + "/data/data.bin"));
  EXPECT_EQ(mode_of(target + "/bin/zorv-demo.sh"), 0755);
}

// The same over an earlier installation: its data.bin keeps its bytes and
// its mode, and no partial file is left beside it.
TEST_F(InstallFailureE2E, AFullDiskKeepsTheEarlierFile) {
  make_package();
  ASSERT_EQ(zt::sh("mkdir -p " + q(target + "/data") + " && printf 'earlier data\\n' > " + q(target + "/data/data.bin") +
                   " && chmod 0640 " + q(target + "/data/data.bin")),
            0);
  ASSERT_NO_FATAL_FAILURE(install_on_a_full_disk());
  EXPECT_NE(log().find("\"" + target + "/data/data.bin\" failed to unpack (payload/data.bin)\n"), std::string::npos);
  EXPECT_EQ(zt::read_text(target + "/data/data.bin"), "earlier data\n");
  EXPECT_EQ(mode_of(target + "/data/data.bin"), 0640);
  EXPECT_EQ(listing(target + "/data"), (std::set<std::string>{"data.bin", "placeholder.txt"}));
}

// Two users share the target folder (setgid, group-writable). The other one
// has put a link named install_log.txt there to a file only the installing
// user may write, and made doc/ with a link doc/notes.txt to another of the
// installing user's files. The installing user installs the demo: both of
// their files keep their bytes, the links are replaced by the log and the
// notes, and the run ends without errors, as it truly did.
TEST_F(InstallFailureE2E, AnotherUsersLinksInASharedTargetAreReplacedNotWrittenThrough) {
  make_package();
  const std::string planter = "4242:4243";
  ASSERT_EQ(zt::sh("printf 'my log\\n' > " + q(home + "/my-log") + " && printf 'my notes\\n' > " +
                   q(home + "/my-notes") + " && chown " + kNobody + ":" + kNobody + " " + q(home + "/my-log") + " " +
                   q(home + "/my-notes") + " && chmod 0600 " + q(home + "/my-log") + " " + q(home + "/my-notes") +
                   " && mkdir " + q(target) + " && chown " + kNobody + ":4243 " + q(target) + " && chmod 2775 " +
                   q(target) + " && ln -s " + q(home + "/my-log") + " " + q(target + "/install_log.txt") +
                   " && mkdir " + q(target + "/doc") + " && chmod 2777 " + q(target + "/doc") + " && ln -s " +
                   q(home + "/my-notes") + " " + q(target + "/doc/notes.txt") + " && chown -h " + planter + " " +
                   q(target + "/install_log.txt") + " " + q(target + "/doc") + " " + q(target + "/doc/notes.txt")),
            0);
  ASSERT_NO_FATAL_FAILURE(walk_to_target_page());
  click_install();
  ASSERT_TRUE(wait_for_log("Installation completed")) << program->err();
  EXPECT_TRUE(wait_for_status_line(mirror.text(TEXT_PROGRESS_DONE))) << program->err();
  finish();
  EXPECT_EQ(zt::read_text(home + "/my-log"), "my log\n");
  EXPECT_EQ(zt::read_text(home + "/my-notes"), "my notes\n");
  EXPECT_EQ(mode_of(home + "/my-log"), 0600);
  EXPECT_EQ(mode_of(home + "/my-notes"), 0600);
  struct stat st;
  for (const char* name : {"install_log.txt", "doc/notes.txt"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(lstat((target + "/" + name).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 4243u);
  }
  EXPECT_EQ(zt::read_text(target + "/doc/notes.txt"), extracted("payload/notes.txt"));
  const std::string text = log();
  EXPECT_EQ(text.rfind("Installed Files\n", 0), 0u) << text;
  EXPECT_NE(text.find("Installed \"" + target + "/doc/notes.txt\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Installation completed without any errors.\n"), std::string::npos) << text;
  EXPECT_EQ(listing(target), (std::set<std::string>{"bin/", "bin/zorv-demo.sh", "doc/", "doc/notes.txt", "data/",
                                                     "data/data.bin", "data/placeholder.txt", "share/",
                                                     "share/zorv-demo.png", "install_log.txt"}));
}

}  // namespace
