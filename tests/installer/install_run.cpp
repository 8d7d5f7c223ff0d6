// The installation run headless: the real install page and dialog, the
// scripted clocks, a package and a target folder in the sandbox. Every log is
// compared with bytes written out here.
#include "install_run.h"

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "clock.h"
#include "database_bytes.h"
#include "desktop.h"
#include "image_files.h"
#include "install_dialog_env.h"

using namespace inst;

namespace {

struct SHOWN {
  INT_S32 percent;
  std::string line;
  bool operator==(const SHOWN& o) const { return percent == o.percent && line == o.line; }
};
std::ostream& operator<<(std::ostream& out, const SHOWN& s) { return out << s.percent << " '" << s.line << "'"; }

std::vector<SHOWN>& shown() {
  static std::vector<SHOWN> v;
  return v;
}
// The progress line runs platform frames (the bar's pump, then one after the
// line is painted): each new state shown is recorded once.
void record_progress() {
  if (!install_dialog || !install_dialog->progress_bar) return;
  const SHOWN now = {install_dialog->progress_bar->value, label_of(install_dialog->status_label)};
  if (now.line.empty() || (!shown().empty() && shown().back() == now)) return;
  shown().push_back(now);
}

struct FILE_ROW {
  const char* name;
  const char* folder;
  const char* entry;
  INT_U8 platform;
  const char* install_name;
};

class InstallRunTest : public InstallerTest {
 protected:
  void SetUp() override {
    reset_installer_state();
    InstallerTest::SetUp();
    umask(022);
    home = getenv("HOME");
    // The sandbox home as a fresh run finds it: an earlier case's target,
    // shortcuts and folders would show in this case's files and counts.
    const char* sandbox = getenv("ZORV_TEST_TMP");
    ASSERT_TRUE(sandbox && *sandbox && home.rfind(std::string(sandbox) + "/", 0) == 0) << home;
    ASSERT_EQ(zt::sh("find '" + home + "' -mindepth 1 -maxdepth 1 ! -name tmp -exec rm -rf {} +"), 0);
    menu = zt::make_temp_dir("menu");
    zt::sh("mkdir -p '" + home + "/Desktop'");
    desktop_programs.xdg_desktop_menu = "/nonexistent/xdg-desktop-menu";
    desktop_programs.update_menus = "true";
    desktop_programs.system_menu_folder = menu.c_str();
    progress_update_platform = record_progress;
    shown().clear();
    make_database(1, 1);
    std::snprintf(installer_database.target_folder, FOLDER_PATH_SIZE, "$ROOT0/target");
    target = home + "/target";
    payload = zt::make_temp_dir("payload");
  }

  INSTALL_ITEM& item() { return installer_database.items[0]; }

  // Adds an entry to the package.
  void store(const std::string& entry, const std::string& body) {
    FOLDER folder;
    folder.set(("$ROOT2" + payload).c_str());
    zt::write_text(payload + "/scratch", body);
    ASSERT_TRUE(installer_database.package->store_file(&folder, "scratch", entry.c_str()));
    std::remove((payload + "/scratch").c_str());
  }

  void set_files(const std::vector<FILE_ROW>& rows) {
    INSTALL_ITEM& it = item();
    std::free(it.files);
    it.files = static_cast<INSTALL_FILE*>(std::calloc(rows.size() ? rows.size() : 1, sizeof(INSTALL_FILE)));
    it.file_count = static_cast<INT_S16>(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      INSTALL_FILE& f = it.files[i];
      std::snprintf(f.name, DATABASE_TEXT_SIZE, "%s", rows[i].name);
      std::snprintf(f.folder, DATABASE_TEXT_SIZE, "%s", rows[i].folder);
      std::snprintf(f.package_entry, DATABASE_TEXT_SIZE, "%s", rows[i].entry);
      std::snprintf(f.install_name, DATABASE_TEXT_SIZE, "%s", rows[i].install_name ? rows[i].install_name : "");
      f.platform = rows[i].platform;
    }
  }

  INSTALL_SHORTCUT& add_shortcut(INT_U8 kind, const char* target_name, const char* title, const char* section = "") {
    INSTALL_ITEM& it = item();
    it.shortcuts = static_cast<INSTALL_SHORTCUT*>(
        std::realloc(it.shortcuts, sizeof(INSTALL_SHORTCUT) * static_cast<size_t>(it.shortcut_count + 1)));
    INSTALL_SHORTCUT& s = it.shortcuts[it.shortcut_count++];
    std::memset(&s, 0, sizeof s);
    s.kind = kind;
    std::snprintf(s.target, DATABASE_TEXT_SIZE, "%s", target_name);
    std::snprintf(s.title, DATABASE_TEXT_SIZE, "%s", title);
    std::snprintf(s.menu_section, DATABASE_TEXT_SIZE, "%s", section);
    return s;
  }

  WM_CONFIRM* failure_box() {
    WM_SCREEN_OBJECT* top = find_popup(0);
    return top && (top->kind & WM_KIND_CONFIRM) ? dynamic_cast<WM_CONFIRM*>(top) : nullptr;
  }
  static std::string box_text(WM_CONFIRM* box) {
    std::string all;
    WM_TEXT_WIN* w = box ? box->text_window : nullptr;
    for (INT_S16 i = 0; w && i < w->line_count; ++i)
      if (w->paragraphs[i].text) all += std::string(w->paragraphs[i].text) + "|";
    return all;
  }

  void go_on() {
    WM_CONFIRM* box = failure_box();
    ASSERT_TRUE(box);
    click_button(box->first_button);
  }

  // Frames until the run has finished or a failure box is on top.
  bool run(int max_frames = 200) {
    for (int i = 0; i < max_frames; ++i) {
      if (install_step_count > install_step_limit + 1 && install_step_limit > 0) return true;
      if (failure_box()) return false;
      frame();
    }
    return false;
  }
  // The whole run, answering every failure box with "go on"; the boxes seen.
  int run_going_on() {
    int boxes = 0;
    show_page(INSTALL_PAGE_PROGRESS);
    while (!run()) {
      if (!failure_box()) break;
      ++boxes;
      go_on();
    }
    return boxes;
  }

  std::string log() { return zt::read_text(target + "/install_log.txt"); }
  std::string header() { return "Installed Files\n---------------\n\nLanguage: T0\n"; }
  static int mode_of(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
  }

  std::string home, menu, target, payload;
};

// The cases of this program share the program's globals: run in one
// process, in any order or each again after all the others, each gives what
// it gives alone.
TEST(InstallRunSuite, CasesPassTogetherInAnyOrder) {
  std::string out;
  const int status = run_this_program("--gtest_filter='-InstallRunSuite.*' --gtest_shuffle --gtest_repeat=2", &out);
  EXPECT_EQ(status, 0) << out;
}

TEST(InstallRunSuite, CasesPassAgainAfterAllTheOthers) {
  std::string out;
  const int status = run_this_program("--gtest_filter='InstallRunTest.*' --gtest_repeat=2", &out);
  EXPECT_EQ(status, 0) << out;
}

TEST_F(InstallRunTest, ThreeFilesMoveTheBarByAQuarterAndLogEachFile) {
  store("e/tool", "#!/bin/sh\necho hi\n");
  store("e/readme", "read me\n");
  store("e/data", std::string(3000, 'x'));
  set_files({{"tool", "$APP/bin", "e/tool", PLATFORM_LINUX_I86, nullptr},
             {"readme", "$APP", "e/readme", PLATFORM_ANY, "README.txt"},
             {"data", "$APP/data/", "e/data", PLATFORM_ANY, nullptr}});
  add_shortcut(SHORTCUT_APPLICATION, "tool", "Desk");
  add_shortcut(SHORTCUT_APPLICATION, "tool", "Menu", "Utility");
  EXPECT_EQ(run_going_on(), 0);

  const std::vector<SHOWN> expected = {{0, "T38"}, {25, "/bin/tool"}, {50, "/README.txt"}, {75, "/data/data"},
                                       {100, "T40"}, {100, "T41"}, {100, "T44"}};
  EXPECT_EQ(shown(), expected);
  EXPECT_EQ(zt::read_text(target + "/bin/tool"), "#!/bin/sh\necho hi\n");
  EXPECT_EQ(zt::read_text(target + "/README.txt"), "read me\n");
  EXPECT_EQ(zt::read_text(target + "/data/data"), std::string(3000, 'x'));
  EXPECT_EQ(mode_of(target + "/bin/tool"), 0755);
  EXPECT_EQ(mode_of(target + "/README.txt"), 0644);
  EXPECT_EQ(log(), header() +
                       "Installed \"" + target + "/bin/tool\"\n"
                       "Installed \"" + target + "/README.txt\"\n"
                       "Installed \"" + target + "/data/data\"\n"
                       "create_desktop_shortcut( 1, \"tool\", \"\", \"Desk\", \"null\", \"\", \"null\" );\n"
                       "create_os_menu_shortcut( 1, \"tool\", \"\", \"Menu\", \"Utility\", \"null\", \"\", \"null\" );\n"
                       "Installation completed without any errors.\n");
  EXPECT_EQ(install_error_count, 0);
  EXPECT_EQ(get_idle_wait(), 50u);
  // The finished run stays finished; the next button leads on.
  EXPECT_TRUE(install_dialog->next_button->enabled);
  frame();
  EXPECT_EQ(shown().size(), expected.size());
}

TEST_F(InstallRunTest, AnItemWithoutFilesGoesStraightToShortcutsAndCompletion) {
  set_files({});
  show_page(INSTALL_PAGE_PROGRESS);
  frame();  // step 0
  EXPECT_EQ(install_step_limit, 1);
  EXPECT_EQ(get_idle_wait(), 0u);
  ASSERT_TRUE(run());
  EXPECT_EQ(shown(), (std::vector<SHOWN>{{0, "T38"}, {100, "T44"}}));
  EXPECT_EQ(log(), header() + "Installation completed without any errors.\n");
}

TEST_F(InstallRunTest, FilesWithoutEntryOrOfAnotherPlatformAreSkippedSilently) {
  store("e/a", "a");
  set_files({{"none", "$APP", "", PLATFORM_ANY, nullptr},
             {"mac", "$APP", "e/a", PLATFORM_MACOSX, nullptr},
             {"a", "$APP", "e/a", PLATFORM_ANY, nullptr}});
  EXPECT_EQ(run_going_on(), 0);
  EXPECT_EQ(shown(), (std::vector<SHOWN>{{0, "T38"}, {75, "/a"}, {100, "T44"}}));
  EXPECT_EQ(log(), header() + "Installed \"" + target + "/a\"\nInstallation completed without any errors.\n");
  EXPECT_FALSE(zt::file_exists(target + "/none"));
  EXPECT_FALSE(zt::file_exists(target + "/mac"));
}

TEST_F(InstallRunTest, AFolderTextWithoutVariableIsShownAsItStandsAndFails) {
  store("e/x", "x");
  store("e/tool", "t");
  set_files({{"tool", "$APP/bin/", "e/tool", PLATFORM_ANY, nullptr}, {"x", "data", "e/x", PLATFORM_ANY, nullptr}});
  show_page(INSTALL_PAGE_PROGRESS);
  ASSERT_FALSE(run());
  ASSERT_EQ(shown().size(), 3u);
  EXPECT_EQ(shown()[1], (SHOWN{33, "/bin/tool"}));
  EXPECT_EQ(shown()[2], (SHOWN{66, "data/x"}));
  EXPECT_NE(box_text(failure_box()).find("T8|data/x: name refused|"), std::string::npos) << box_text(failure_box());
  go_on();
  ASSERT_TRUE(run());
  EXPECT_EQ(log(), header() + "Installed \"" + target + "/bin/tool\"\n\"data/x\" failed to unpack (e/x)\n" +
                       "Installation completed with 1 errors.\n");
}

TEST_F(InstallRunTest, SecondFoldersAreDroppedWithoutADriveList) {
  store("e/a", "a");
  set_files({{"a", "$APP/first", "e/a", PLATFORM_ANY, nullptr}});
  std::snprintf(item().files[0].second_folder, DATABASE_TEXT_SIZE, "$APP/second");
  installer_database.use_second_folders = 1;
  installer_database.system_info.has_drive_list = 0;
  EXPECT_EQ(run_going_on(), 0);
  EXPECT_EQ(installer_database.use_second_folders, 0);
  EXPECT_TRUE(zt::file_exists(target + "/first/a"));
  EXPECT_FALSE(zt::file_exists(target + "/second"));
}

TEST_F(InstallRunTest, TwoFailuresShowTwoBoxesInTurn) {
  store("e/a", "a");
  set_files({{"m1", "$APP", "e/missing1", PLATFORM_ANY, nullptr},
             {"a", "$APP", "e/a", PLATFORM_ANY, nullptr},
             {"m2", "$APP", "e/missing2", PLATFORM_ANY, nullptr}});
  show_page(INSTALL_PAGE_PROGRESS);
  ASSERT_FALSE(run());
  ASSERT_TRUE(failure_box());
  const INT_S32 count = install_step_count;
  for (int i = 0; i < 5; ++i) frame();  // the run waits while the box is open
  EXPECT_EQ(install_step_count, count);
  go_on();
  ASSERT_FALSE(run());
  EXPECT_NE(box_text(failure_box()).find(target + "/m2: Error: File e/missing2 not found in package."),
            std::string::npos)
      << box_text(failure_box());
  go_on();
  ASSERT_TRUE(run());
  EXPECT_EQ(install_error_count, 2);
  // The completion line counts the failures, in the failure box's title.
  EXPECT_EQ(shown().back(), (SHOWN{100, "T7 (2)"}));
  EXPECT_EQ(log(), header() + "\"" + target + "/m1\" failed to unpack (e/missing1)\nInstalled \"" + target +
                       "/a\"\n\"" + target + "/m2\" failed to unpack (e/missing2)\n" +
                       "Installation completed with 2 errors.\n");
  // A missing entry never touches a file of that name.
  EXPECT_FALSE(zt::file_exists(target + "/m1"));
}

TEST_F(InstallRunTest, AShortcutLineNamesEachOfItsTwoFolders) {
  store("e/tool", "t");
  set_files({{"tool", "$APP/bin", "e/tool", PLATFORM_ANY, nullptr}});
  INSTALL_SHORTCUT& s = add_shortcut(SHORTCUT_APPLICATION, "tool", "Two Folders");
  std::snprintf(s.target_location, DATABASE_TEXT_SIZE, "$APP/bin");
  std::snprintf(s.icon_folder, DATABASE_TEXT_SIZE, "$APP/share/icons");
  std::snprintf(s.icon_name, DATABASE_TEXT_SIZE, "tool.png");
  std::snprintf(s.arguments, DATABASE_TEXT_SIZE, "--go");
  EXPECT_EQ(run_going_on(), 0);
  EXPECT_EQ(log(), header() + "Installed \"" + target + "/bin/tool\"\n" +
                       "create_desktop_shortcut( 1, \"tool\", \"--go\", \"Two Folders\", \"" + target +
                       "/share/icons\", \"tool.png\", \"" + target + "/bin\" );\n" +
                       "Installation completed without any errors.\n");
  EXPECT_EQ(zt::read_text(home + "/Desktop/Two_Folders.desktop"),
            "[Desktop Entry]\nEncoding=UTF-8\nValue=1.0\nType=Application\nName=Two Folders\nComment=Two Folders\n"
            "Exec=\"" + target + "/bin/tool\" --go\nIcon=" + target + "/share/icons/tool.png\n");
}

TEST_F(InstallRunTest, GoingBackAndInstallingAgainStartsAFreshRunAndLog) {
  store("e/a", "a");
  set_files({{"m", "$APP", "e/missing", PLATFORM_ANY, nullptr}, {"a", "$APP", "e/a", PLATFORM_ANY, nullptr}});
  show_page(INSTALL_PAGE_PROGRESS);
  ASSERT_FALSE(run());
  WM_CONFIRM* box = failure_box();
  ASSERT_TRUE(box);
  box->second_button->released = 1;
  EXPECT_EQ(handle_install_dialog_command(box->second_button, INSTALL_CMD_GO_TO_PAGE, INSTALL_PAGE_TARGET),
            PAGE_ACTION_REBUILD_CLOSE_POPUPS);
  rebuild(installer_database.current_page);
  frame();
  EXPECT_EQ(install_step_count, 0);
  EXPECT_EQ(get_idle_wait(), 50u);
  // Fixed, the second run writes a log of its own.
  std::snprintf(item().files[0].package_entry, DATABASE_TEXT_SIZE, "e/a");
  rebuild(INSTALL_PAGE_PROGRESS);
  ASSERT_TRUE(run());
  EXPECT_EQ(install_error_count, 0);
  EXPECT_EQ(log(), header() + "Installed \"" + target + "/m\"\nInstalled \"" + target + "/a\"\n" +
                       "Installation completed without any errors.\n");
}

// Every text the run refuses, and one it accepts; each refused one is a
// counted failure with its line and its box.
TEST_F(InstallRunTest, RefusedNamesAndFolderTextsAreCountedFailures) {
  store("e/a", "a");
  const struct {
    const char* name;
    const char* folder;
    bool accepted;
  } cases[] = {
      {"", "$APP", false},           {".", "$APP", false},        {"..", "$APP", false},
      {"../x", "$APP", false},       {"a/b", "$APP", false},      {"new\nline", "$APP", false},
      {"tab\tx", "$APP", false},     {"del\x7F", "$APP", false},  {"x", "$NOPE/x", false},
      {"x", "$APP/..", false},       {"x", "$APP/a/../..", false}, {"x", "../x", false},
      {"x", "", false},              {"x", "plain", false},       {"ok", "$APP/$work", true},
      {"ok2", "$APP/a/../b", true},
  };
  std::vector<FILE_ROW> rows;
  for (const auto& c : cases) rows.push_back({c.name, c.folder, "e/a", PLATFORM_ANY, nullptr});
  set_files(rows);
  int refused = 0;
  for (const auto& c : cases) refused += c.accepted ? 0 : 1;
  EXPECT_EQ(run_going_on(), refused);
  EXPECT_EQ(install_error_count, refused);
  EXPECT_EQ(zt::read_text(target + "/$work/ok"), "a");
  EXPECT_EQ(zt::read_text(target + "/b/ok2"), "a");
  const std::string text = log();
  EXPECT_NE(text.find("\"" + target + "/new\\nline\" failed to unpack (e/a)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"$NOPE/x/x\" failed to unpack (e/a)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"$APP/../x\" failed to unpack (e/a)\n"), std::string::npos) << text;
  // Nothing reached the target's parent or left the target.
  EXPECT_FALSE(zt::file_exists(home + "/x"));
  EXPECT_EQ(zt::sh("[ $(find '" + target + "' -type f | wc -l) -eq 3 ]"), 0);
}

TEST_F(InstallRunTest, TwoRefusedShortcutsShowOneBoxAndTwoLines) {
  set_files({});
  std::snprintf(add_shortcut(SHORTCUT_APPLICATION, "t", "One").target_location, DATABASE_TEXT_SIZE, "$NOPE");
  std::snprintf(add_shortcut(SHORTCUT_APPLICATION, "t", "Two").icon_folder, DATABASE_TEXT_SIZE, "$APP/../..");
  EXPECT_EQ(run_going_on(), 1);
  EXPECT_EQ(install_error_count, 2);
  EXPECT_EQ(log(), header() + "Shortcut \"One\" not created ($NOPE)\nShortcut \"Two\" not created ($APP/../..)\n" +
                       "Installation completed with 2 errors.\n");
  EXPECT_FALSE(zt::file_exists(home + "/Desktop/One.desktop"));
  EXPECT_FALSE(zt::file_exists(home + "/Desktop/Two.desktop"));
}

TEST_F(InstallRunTest, LogLinesAreWholeEscapedAndByteForByte) {
  std::snprintf(installer_database.target_folder, FOLDER_PATH_SIZE, "$ROOT0/Gr\xC3\xBC\xC3\x9F" "e");
  target = home + "/Gr\xC3\xBC\xC3\x9F" "e";
  store("e/a", "a");
  // A folder of about 1,500 characters, longer than a record text: reached
  // through a user variable.
  std::string long_path = target;
  for (int i = 0; i < 6; ++i) long_path += "/" + std::string(240, static_cast<char>('a' + i));
  ASSERT_EQ(zt::sh("mkdir -p '" + long_path + "'"), 0);
  FOLDER deep_folder;
  ASSERT_TRUE(deep_folder.set_if_directory(long_path.c_str()));
  ASSERT_TRUE(define_variable("$DEEP", &deep_folder));
  set_files({{"a", "$APP", "e/a", PLATFORM_ANY, nullptr},
             {"b", "$APP", "e/new\nline", PLATFORM_ANY, nullptr},
             {"long", "$DEEP", "e/a", PLATFORM_ANY, nullptr}});
  add_shortcut(SHORTCUT_APPLICATION, "t", "Forged\nInstallation completed without any errors.");
  EXPECT_EQ(run_going_on(), 1);
  undefine_variable("$DEEP");
  EXPECT_EQ(log(), header() + "Installed \"" + target + "/a\"\n\"" + target +
                       "/b\" failed to unpack (e/new\\nline)\nInstalled \"" + long_path +
                       "/long\"\ncreate_desktop_shortcut( 1, \"t\", \"\", "
                       "\"Forged\\nInstallation completed without any errors.\", \"null\", \"\", \"null\" );\n"
                       "Installation completed with 1 errors.\n");
  EXPECT_GT(long_path.size(), 1450u);
}

TEST_F(InstallRunTest, ARefusedTargetLeavesTheEarlierLogAlone) {
  store("e/a", "a");
  set_files({{"a", "$APP", "e/a", PLATFORM_ANY, nullptr}});
  EXPECT_EQ(run_going_on(), 0);
  const std::string earlier = log();
  // Under a regular file, empty, an unknown variable: each refused at once.
  zt::write_text(home + "/blocker", "x");
  for (const char* bad : {"$ROOT0/blocker/app", "", "$NOPE/app", "plain/app"}) {
    SCOPED_TRACE(bad);
    std::snprintf(installer_database.target_folder, FOLDER_PATH_SIZE, "%s", bad);
    rebuild(INSTALL_PAGE_TARGET);
    frame();
    rebuild(INSTALL_PAGE_PROGRESS);
    frame();
    WM_CONFIRM* box = failure_box();
    ASSERT_TRUE(box);
    EXPECT_EQ(install_error_count, 1);
    EXPECT_EQ(install_log_present, 0);
    go_on();
    ASSERT_TRUE(run());
    EXPECT_EQ(shown().back(), (SHOWN{100, "T7 (1)"}));
    EXPECT_TRUE(install_dialog->next_button->enabled);
    EXPECT_EQ(get_idle_wait(), 50u);
  }
  EXPECT_EQ(log(), earlier);
  EXPECT_FALSE(zt::file_exists(home + "/a"));
  EXPECT_FALSE(zt::file_exists(home + "/blocker/app"));
  // "$APP" is the program's folder again.
  FOLDER app;
  EXPECT_NE(std::string(app.native_path_text(nullptr)), target);
}

TEST_F(InstallRunTest, APackageThatCannotBeReopenedFailsOnce) {
  store("e/a", "a");
  set_files({{"a", "$APP", "e/a", PLATFORM_ANY, nullptr}});
  delete installer_database.package;
  installer_database.package = nullptr;
  installer_database.config_folder.set(("$ROOT2" + zt::make_temp_dir("nothing")).c_str());
  show_page(INSTALL_PAGE_PROGRESS);
  frame();
  ASSERT_TRUE(failure_box());
  EXPECT_EQ(install_error_count, 1);
  const size_t shown_before = shown().size();
  for (int i = 0; i < 5; ++i) frame();
  EXPECT_EQ(shown().size(), shown_before);
  go_on();
  ASSERT_TRUE(run());
  EXPECT_EQ(install_error_count, 1);
  EXPECT_FALSE(zt::file_exists(target + "/a"));
  EXPECT_EQ(get_idle_wait(), 50u);
  EXPECT_FALSE(installer_database.package);
}

TEST_F(InstallRunTest, AnAbandonedRunGivesBackTheIdleWaitAndAppOnce) {
  store("e/a", "a");
  set_files({{"m", "$APP", "e/missing", PLATFORM_ANY, nullptr}, {"a", "$APP", "e/a", PLATFORM_ANY, nullptr}});
  FOLDER program_app;
  const std::string program_folder = program_app.native_path_text(nullptr);
  show_page(INSTALL_PAGE_PROGRESS);
  ASSERT_FALSE(run());
  FOLDER during;
  EXPECT_EQ(std::string(during.native_path_text(nullptr)), target);
  EXPECT_EQ(get_idle_wait(), 0u);
  rebuild(INSTALL_PAGE_TARGET);
  frame();
  EXPECT_EQ(get_idle_wait(), 50u);
  FOLDER after;
  EXPECT_EQ(std::string(after.native_path_text(nullptr)), program_folder);
  // Once: a later idle wait set elsewhere is left alone.
  set_idle_wait(7);
  frame();
  EXPECT_EQ(get_idle_wait(), 7u);

  // After a refused target too.
  std::snprintf(installer_database.target_folder, FOLDER_PATH_SIZE, "$NOPE");
  rebuild(INSTALL_PAGE_PROGRESS);
  frame();
  ASSERT_TRUE(failure_box());
  EXPECT_EQ(get_idle_wait(), 0u);
  rebuild(INSTALL_PAGE_TARGET);
  frame();
  EXPECT_EQ(get_idle_wait(), 50u);
  set_idle_wait(7);
  frame();
  EXPECT_EQ(get_idle_wait(), 7u);
}

TEST_F(InstallRunTest, StepCountersHoldItemsOfMoreThan32766Files) {
  // Every file skipped (no entry): only the counting is exercised.
  INSTALL_ITEM& it = item();
  std::free(it.files);
  it.file_count = 32767;
  it.files = static_cast<INSTALL_FILE*>(std::calloc(32767, sizeof(INSTALL_FILE)));
  show_page(INSTALL_PAGE_PROGRESS);
  frame();
  EXPECT_EQ(install_step_limit, 32768);
  ASSERT_TRUE(run(40000));
  EXPECT_EQ(install_step_count, 32770);
  EXPECT_EQ(log(), header() + "Installation completed without any errors.\n");
}

}  // namespace

namespace {

// A write that fails half-way (the file size limit, its signal ignored): the
// box says why, and the file the unpack created goes again; one that was
// there before stays as it was.
TEST_F(InstallRunTest, AFailedWriteNamesTheSystemErrorAndLeavesNoPartialFile) {
  store("e/big", std::string(300000, 'b'));
  set_files({{"big", "$APP", "e/big", PLATFORM_ANY, nullptr}, {"kept", "$APP", "e/big", PLATFORM_ANY, nullptr}});
  ASSERT_EQ(zt::sh("mkdir -p '" + target + "' && printf 'before' > '" + target + "/kept'"), 0);
  const zt::ChildResult child = zt::run_in_child([&] {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {100000, 100000};
    setrlimit(RLIMIT_FSIZE, &limit);
    show_page(INSTALL_PAGE_PROGRESS);
    run();
    printf("box: %s\n", box_text(failure_box()).c_str());
    go_on();
    run();
    printf("box: %s\n", box_text(failure_box()).c_str());
    go_on();
    run();
    printf("errors: %d\n", install_error_count);
  });
  EXPECT_NE(child.out.find("box: T8|" + target + "/big: File too large|"), std::string::npos) << child.out;
  EXPECT_NE(child.out.find("box: T8|" + target + "/kept: File too large|"), std::string::npos) << child.out;
  EXPECT_NE(child.out.find("errors: 2"), std::string::npos) << child.out;
  EXPECT_FALSE(zt::file_exists(target + "/big"));
  EXPECT_EQ(zt::read_text(target + "/kept"), "before");
}

}  // namespace

namespace {

TEST_F(InstallRunTest, ALogThatCannotBeCreatedShowsTheBoxUncounted) {
  store("e/a", "a");
  set_files({{"a", "$APP", "e/a", PLATFORM_ANY, nullptr}});
  ASSERT_EQ(zt::sh("mkdir -p '" + target + "/install_log.txt'"), 0);
  show_page(INSTALL_PAGE_PROGRESS);
  ASSERT_FALSE(run());
  EXPECT_NE(box_text(failure_box()).find("T8|" + target + "/install_log.txt: Is a directory|"), std::string::npos)
      << box_text(failure_box());
  go_on();
  ASSERT_TRUE(run());
  EXPECT_EQ(install_error_count, 0);
  EXPECT_EQ(zt::read_text(target + "/a"), "a");
  EXPECT_EQ(zt::sh("[ -z \"$(ls -A '" + target + "/install_log.txt')\" ]"), 0);
}

TEST_F(InstallRunTest, TheRunWaitsWhileTheQuitBoxIsOnTop) {
  store("e/a", "a");
  set_files({{"a", "$APP", "e/a", PLATFORM_ANY, nullptr}});
  show_page(INSTALL_PAGE_PROGRESS);
  frame();  // step 0
  ASSERT_EQ(install_step_count, 1);
  open_quit_box(0);
  for (int i = 0; i < 5; ++i) frame(1000);
  EXPECT_EQ(install_step_count, 1);
  WM_CONFIRM* box = quit_confirm_box;
  ASSERT_TRUE(box);
  click_button(box->second_button);  // No: the box goes, the run goes on
  ASSERT_TRUE(run());
  EXPECT_EQ(zt::read_text(target + "/a"), "a");
}

}  // namespace

namespace {

// A package whose shortcut target is missing: the file fails, and neither its
// desktop shortcut nor its menu entry is made; an earlier good shortcut of
// the same title stays. A web link and a bare program name are made as
// before.
TEST_F(InstallRunTest, ShortcutsToAFileThatIsNotThereAreNotCreated) {
  store("e/doc", "d");
  set_files({{"tool", "$APP/bin", "e/missing", PLATFORM_LINUX_I86, nullptr},
             {"doc.txt", "$APP/doc", "e/doc", PLATFORM_ANY, nullptr}});
  std::snprintf(add_shortcut(SHORTCUT_APPLICATION, "tool", "Tool").target_location, DATABASE_TEXT_SIZE,
                "$APP/bin");
  std::snprintf(add_shortcut(SHORTCUT_APPLICATION, "tool", "Tool", "Utility").target_location,
                DATABASE_TEXT_SIZE, "$APP/bin");
  std::snprintf(add_shortcut(SHORTCUT_TEXT_FILE, "gone.txt", "Gone").target_location, DATABASE_TEXT_SIZE,
                "$APP/doc");
  std::snprintf(add_shortcut(SHORTCUT_TEXT_FILE, "doc.txt", "Doc").target_location, DATABASE_TEXT_SIZE,
                "$APP/doc");
  add_shortcut(SHORTCUT_TEXT_FILE, "/nonexistent/file.txt", "Absolute");
  add_shortcut(SHORTCUT_WEB_LINK, "https://example.org/x", "Site");
  add_shortcut(SHORTCUT_APPLICATION, "some-program", "On The Path");
  zt::write_text(home + "/Desktop/Tool.desktop", "an earlier good shortcut\n");

  EXPECT_EQ(run_going_on(), 2);  // the file's box, then one box for the shortcuts
  EXPECT_EQ(install_error_count, 5);
  EXPECT_EQ(shown().back(), (SHOWN{100, "T7 (5)"}));
  const std::string bin = target + "/bin/tool", gone = target + "/doc/gone.txt";
  EXPECT_EQ(log(), header() + "\"" + bin + "\" failed to unpack (e/missing)\n" +
                       "Installed \"" + target + "/doc/doc.txt\"\n" +
                       "Shortcut \"Tool\" not created (" + bin + ": No such file or directory)\n" +
                       "Shortcut \"Tool\" not created (" + bin + ": No such file or directory)\n" +
                       "Shortcut \"Gone\" not created (" + gone + ": No such file or directory)\n" +
                       "create_desktop_shortcut( 3, \"doc.txt\", \"\", \"Doc\", \"null\", \"\", \"" + target +
                       "/doc\" );\n"
                       "Shortcut \"Absolute\" not created (/nonexistent/file.txt: No such file or directory)\n"
                       "create_desktop_shortcut( 2, \"https://example.org/x\", \"\", \"Site\", \"null\", \"\", "
                       "\"null\" );\n"
                       "create_desktop_shortcut( 1, \"some-program\", \"\", \"On The Path\", \"null\", \"\", "
                       "\"null\" );\n"
                       "Installation completed with 5 errors.\n");
  EXPECT_EQ(zt::read_text(home + "/Desktop/Tool.desktop"), "an earlier good shortcut\n");
  EXPECT_FALSE(zt::file_exists(menu + "/local.Tool.desktop"));
  EXPECT_FALSE(zt::file_exists(home + "/Desktop/Gone.desktop"));
  EXPECT_FALSE(zt::file_exists(home + "/Desktop/Absolute.desktop"));
  EXPECT_TRUE(zt::file_exists(home + "/Desktop/Doc.desktop"));
  EXPECT_TRUE(zt::file_exists(home + "/Desktop/Site.desktop"));
  EXPECT_TRUE(zt::file_exists(home + "/Desktop/On_The_Path.desktop"));
}

// Shortcuts the options leave out are neither made nor counted, their target
// there or not.
TEST_F(InstallRunTest, AMissingTargetOfAShortcutNotAskedForIsNoFailure) {
  set_files({});
  std::snprintf(add_shortcut(SHORTCUT_APPLICATION, "tool", "Tool").target_location, DATABASE_TEXT_SIZE,
                "$APP/bin");
  std::snprintf(add_shortcut(SHORTCUT_APPLICATION, "tool", "Tool", "Utility").target_location,
                DATABASE_TEXT_SIZE, "$APP/bin");
  installer_database.desktop_shortcuts = 0;
  installer_database.menu_entries = 0;
  EXPECT_EQ(run_going_on(), 0);
  EXPECT_EQ(install_error_count, 0);
  EXPECT_EQ(shown().back(), (SHOWN{100, "T44"}));
  EXPECT_EQ(log(), header() + "Installation completed without any errors.\n");
}

// The target folder taken away during the run, put back anew, or emptied
// under the run (its log gone with its files): the next file step makes
// neither the folder nor the log again; the run counts one failure and ends.
TEST_F(InstallRunTest, ATargetFolderRemovedOrEmptiedDuringTheRunIsAFailure) {
  store("e/a", "a");
  set_files({{"a", "$APP", "e/a", PLATFORM_ANY, nullptr},
             {"b", "$APP/sub", "e/a", PLATFORM_ANY, nullptr},
             {"c", "$APP", "e/a", PLATFORM_ANY, nullptr}});
  add_shortcut(SHORTCUT_APPLICATION, "a", "A Tool");
  const std::string folder_gone = target + ": the target folder was removed";
  const struct {
    const char* what;
    std::string change;
    std::string box;
    bool folder_after;
  } cases[] = {
      {"removed", "rm -rf '" + target + "'", folder_gone, false},
      // Made before the old one goes, so it cannot get the same inode.
      {"replaced", "mkdir '" + target + ".new' && rm -rf '" + target + "' && mv '" + target + ".new' '" + target + "'",
       folder_gone, true},
      // An rm -rf that lost its race with the run: the folder stays.
      {"emptied", "rm -f '" + target + "/install_log.txt' '" + target + "/a'",
       target + "/install_log.txt: the log was removed", true},
  };
  show_page(INSTALL_PAGE_TARGET);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    zt::sh("rm -rf '" + target + "' '" + home + "/Desktop/A_Tool.desktop'");
    shown().clear();
    rebuild(INSTALL_PAGE_TARGET);
    frame();
    rebuild(INSTALL_PAGE_PROGRESS);
    for (int i = 0; i < 5 && !zt::file_exists(target + "/a"); ++i) frame();  // step 0, the first file
    ASSERT_EQ(zt::read_text(target + "/a"), "a");
    ASSERT_FALSE(zt::file_exists(target + "/c"));
    ASSERT_EQ(zt::sh(c.change), 0);
    ASSERT_FALSE(run());
    // Under the box's title alone: no single file failed.
    EXPECT_EQ(box_text(failure_box()), c.box + "|");
    go_on();
    ASSERT_TRUE(run());
    EXPECT_EQ(install_error_count, 1);
    EXPECT_EQ(shown().back(), (SHOWN{100, "T7 (1)"}));
    EXPECT_EQ(zt::file_exists(target), c.folder_after);
    // No log starts again without its header.
    EXPECT_FALSE(zt::file_exists(target + "/install_log.txt"));
    EXPECT_FALSE(zt::file_exists(target + "/sub"));
    EXPECT_FALSE(zt::file_exists(target + "/c"));
    EXPECT_FALSE(zt::file_exists(home + "/Desktop/A_Tool.desktop"));
    EXPECT_EQ(get_idle_wait(), 50u);
  }
}

// A failure box that slides in from above the screen and out again leaves
// the page as it was: every pixel beside the box and the dialog (the
// background, black where the picture does not reach) is the page's at every
// frame. The database is a stored record: a window of 640 x 480, the box
// 400 x 300 centred, sliding from the screen's top edge; the background
// picture smaller than the window, smaller in one direction, or larger. With
// an animation whose picture cannot be loaded (no names, as older records
// carry them, or a file that is not there) the page has the same backdrop.
// An animation of one colour repaints the whole page at every frame, so that
// anything a box draws beside itself shows on a colour that is not black,
// also while the box is wholly above the screen; held at its first frame
// through a long start delay, it is what a moving box uncovers.
enum BACKDROP_ANIMATION { NO_ANIMATION, UNNAMED_ANIMATION, MISSING_ANIMATION, PLAIN_ANIMATION, HELD_ANIMATION };
struct SLIDING_CASE {
  const char* name;
  unsigned width, height;  // of the background picture
  BACKDROP_ANIMATION animation;
};
void PrintTo(const SLIDING_CASE& c, std::ostream* out) { *out << c.name; }
class SlidingBoxTest : public InstallRunTest, public ::testing::WithParamInterface<SLIDING_CASE> {};

TEST_P(SlidingBoxTest, LeavesNoTrailBesideItself) {
  const SLIDING_CASE c = GetParam();
  const COLOUR kPlain = 0xFF305070u;
  auto picture = [](unsigned x, unsigned y) { return 0xFF000000u | ((x * 37 + y * 11) & 0xFF) << 16 | 0x4080u; };
  dbt::RecordContents spec;
  spec.window_w = kScreenW;
  spec.window_h = kScreenH;
  spec.error_w = 400;
  spec.error_h = 300;
  spec.error_x = spec.error_y = 0xFFFF;
  spec.effect_flags = 0x47C;
  spec.open_delay = 300;
  spec.background = dbt::raw_image(c.width, c.height, picture);
  // As the faulty page was seen: the dialog partly above the screen.
  const bool missing = c.animation == UNNAMED_ANIMATION || c.animation == MISSING_ANIMATION;
  if (missing) spec.dialog_y = 0xFFFB;  // -5
  if (c.animation != NO_ANIMATION) spec.animation_period = 600;
  if (c.animation == UNNAMED_ANIMATION) spec.animation_folder = spec.animation_image = "";
  if (c.animation == MISSING_ANIMATION) spec.animation_folder = "$ROOT2" + zt::make_temp_dir("anim");
  if (c.animation == PLAIN_ANIMATION || c.animation == HELD_ANIMATION) {
    // Twice the window, as the strip loads it: no scaling blurs its edges.
    const std::string folder = zt::make_temp_dir("anim");
    IMAGE strip(2 * kScreenW, 2 * kScreenH);
    strip.clear(&kPlain, 1);
    FILE* out = std::fopen((folder + "/strip.png").c_str(), "wb");
    ASSERT_TRUE(out);
    const bool saved = save_png_stream(&strip, out);
    ASSERT_TRUE(std::fclose(out) == 0 && saved);
    spec.animation_folder = "$ROOT2" + folder;
  }
  if (c.animation == HELD_ANIMATION) spec.animation_delay = 60000;
  DATABASE& d = installer_database;
  d.reset();
  MEMORY_DEVICE record = dbt::device_of(dbt::record(spec));
  ASSERT_TRUE(d.get_from_data_device(&record));
  ASSERT_EQ(wm_dialog_effects.flags & 0xFFFF, 0x47Cu);
  make_package("0", "0");
  std::snprintf(d.target_folder, FOLDER_PATH_SIZE, "$ROOT0/target");
  store("e/a", "a");
  set_files({{"m", "$APP", "e/missing", PLATFORM_ANY, nullptr}, {"a", "$APP", "e/a", PLATFORM_ANY, nullptr}});
  show_page(INSTALL_PAGE_PROGRESS);
  ASSERT_TRUE(install_dialog);
  const INSTALL_DIALOG* dialog = install_dialog;
  ASSERT_EQ(dialog->y, missing ? -5 : 20);

  // A backdrop as large as the screen at least, the picture at its top-left
  // and black beyond it, or the animation over it.
  const IMAGE& back = page_manager.backgrounds[0];
  ASSERT_GE(back.width, kScreenW);
  ASSERT_GE(back.height, kScreenH);
  const unsigned far_x = kScreenW - 1, far_y = kScreenH - 1;
  const bool plain = c.animation == PLAIN_ANIMATION || c.animation == HELD_ANIMATION;
  EXPECT_EQ(*back.pixel_at(far_x, far_y), plain                                 ? kPlain
                                          : far_x < c.width && far_y < c.height ? picture(far_x, far_y)
                                                                                : 0xFF000000u);

  // The page as it stands in the frame before the box opens.
  IMAGE before(kScreenW, kScreenH);
  for (int i = 0; i < 100 && !failure_box(); ++i) {
    before.blit(screen, 0, 0, 0, 0, kScreenW, kScreenH, BLIT_COPY);
    frame();
  }
  WM_CONFIRM* box = failure_box();
  ASSERT_TRUE(box);
  const INT_S16 rest_x = (kScreenW - 400) / 2, rest_y = (kScreenH - 300) / 2;
  auto inside = [](int x, int y, int left, int top, int w, int h) {
    return x >= left && x < left + w && y >= top && y < top + h;
  };
  // Pixels beside the box where it stands now and beside the dialog.
  auto trail = [&]() {
    int n = 0;
    for (int y = 0; y < kScreenH; ++y)
      for (int x = 0; x < kScreenW; ++x)
        if (!inside(x, y, dialog->x, dialog->y, dialog->width, dialog->height) &&
            !(box && inside(x, y, box->x, box->y, box->width, box->height)) &&
            *screen->pixel_at(x, y) != *before.pixel_at(x, y))
          ++n;
    return n;
  };
  int frames = 0;
  for (; frames < 100 && (box->y != rest_y || frames < 25); ++frames) {
    frame();
    ASSERT_EQ(trail(), 0) << "sliding in, box at " << box->x << "," << box->y;
  }
  ASSERT_EQ(box->x, rest_x);
  ASSERT_EQ(box->y, rest_y);
  ASSERT_GT(frames, 5);  // it slid

  press_and_release(box->first_button);  // go on
  for (int i = 0; i < 100 && failure_box(); ++i) {
    frame();
    if (failure_box()) {
      ASSERT_EQ(trail(), 0) << "sliding out, box at " << box->x << "," << box->y;
    }
  }
  ASSERT_FALSE(failure_box());
  box = nullptr;
  for (int i = 0; i < 10; ++i) frame(1000);
  EXPECT_EQ(trail(), 0) << "after the slide";
  EXPECT_EQ(install_error_count, 1);
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, SlidingBoxTest,
                         ::testing::Values(SLIDING_CASE{"2x1", 2, 1, NO_ANIMATION},
                                           SLIDING_CASE{"2x480", 2, 480, NO_ANIMATION},
                                           SLIDING_CASE{"640x1", 640, 1, NO_ANIMATION},
                                           SLIDING_CASE{"800x600", 800, 600, NO_ANIMATION},
                                           SLIDING_CASE{"2x1UnnamedAnimation", 2, 1, UNNAMED_ANIMATION},
                                           SLIDING_CASE{"2x1MissingAnimation", 2, 1, MISSING_ANIMATION},
                                           SLIDING_CASE{"2x1PlainAnimation", 2, 1, PLAIN_ANIMATION},
                                           SLIDING_CASE{"2x1HeldAnimation", 2, 1, HELD_ANIMATION}),
                         [](const ::testing::TestParamInfo<SLIDING_CASE>& p) { return p.param.name; });

// Package reads counted through the package's read seam.
long package_reads = 0;
ssize_t counting_pread(int fd, void* buffer, size_t count, off_t offset) {
  ++package_reads;
  return pread(fd, buffer, count, offset);
}

class InstallRunPackageTest : public InstallRunTest {
 protected:
  void TearDown() override {
    package_pread = pread;
    InstallRunTest::TearDown();
  }

  // "installer.pkg" of its own folder holding `count` small entries "e/N",
  // written with its directory in memory (so writing it is quick) and then
  // opened as the installer opens it, without the directory.
  void make_entries(int count) {
    DATABASE& d = installer_database;
    delete d.package;
    d.package = nullptr;
    package_folder = zt::make_temp_dir("many");
    FOLDER folder;
    folder.set(("$ROOT2" + package_folder).c_str());
    {
      PACKAGE writer(&folder, "installer.pkg", 1, 64, 1);
      ASSERT_TRUE(writer.file);
      for (int i = 0; i < count; ++i) {
        zt::write_text(package_folder + "/scratch", "body " + std::to_string(i));
        ASSERT_TRUE(writer.store_file(&folder, "scratch", ("e/" + std::to_string(i)).c_str()));
      }
      std::remove((package_folder + "/scratch").c_str());
    }
    d.package = new PACKAGE(&folder, "installer.pkg", 0, -1, 0);
    ASSERT_TRUE(d.package->file);
    ASSERT_FALSE(d.package->cache);
    std::vector<FILE_ROW> rows;
    names.clear();
    names.reserve(count);
    for (int i = 0; i < count; ++i) names.push_back(std::to_string(i));
    entries.clear();
    entries.reserve(count);
    for (int i = 0; i < count; ++i) entries.push_back("e/" + names[i]);
    for (int i = 0; i < count; ++i)
      rows.push_back({names[i].c_str(), "$APP", entries[i].c_str(), PLATFORM_ANY, nullptr});
    set_files(rows);
  }
  std::string package_path() const { return package_folder + "/installer.pkg"; }

  std::string package_folder;
  std::vector<std::string> names, entries;
};

// The run holds the package's directory in memory: a file step reads as much
// of the package for its thousandth entry as for its first.
TEST_F(InstallRunPackageTest, AFileStepReadsAFixedAmountWhereverItsEntryLies) {
  const int kFiles = 2000;
  make_entries(kFiles);
  package_pread = counting_pread;
  show_page(INSTALL_PAGE_PROGRESS);
  frame();  // step 0 loads the directory
  ASSERT_EQ(install_step_count, 1);
  std::vector<long> per_step;
  while (install_step_count < install_step_limit && !failure_box()) {
    const long before = package_reads;
    frame();
    per_step.push_back(package_reads - before);
  }
  ASSERT_FALSE(failure_box()) << box_text(failure_box());
  ASSERT_EQ(per_step.size(), static_cast<size_t>(kFiles));
  // The block's link and count, and the end of the file behind the last one.
  EXPECT_LE(*std::max_element(per_step.begin(), per_step.end()), 3) << "first " << per_step.front()
                                                                    << ", last " << per_step.back();
  ASSERT_TRUE(run());
  EXPECT_EQ(install_error_count, 0);
  EXPECT_EQ(zt::read_text(target + "/0"), "body 0");
  EXPECT_EQ(zt::read_text(target + "/1999"), "body 1999");
}

// The run only reads installer.pkg: its bytes and time stay, also once the
// package is closed.
TEST_F(InstallRunPackageTest, TheRunLeavesThePackageAsItWas) {
  make_entries(20);
  struct timeval old_times[2] = {{1000, 0}, {1000, 0}};
  ASSERT_EQ(utimes(package_path().c_str(), old_times), 0);
  const std::vector<uint8_t> bytes = zt::read_bytes(package_path());
  EXPECT_EQ(run_going_on(), 0);
  EXPECT_EQ(zt::read_text(target + "/19"), "body 19");
  delete installer_database.package;
  installer_database.package = nullptr;
  struct stat after;
  ASSERT_EQ(stat(package_path().c_str(), &after), 0);
  EXPECT_EQ(after.st_mtime, 1000);
  EXPECT_EQ(zt::read_bytes(package_path()), bytes);
}

// A package cut short during the run, inside the directory or inside the
// last entry's data: the file of that entry says the package could not be
// read (not that it lacks the entry, nor that the entry could not be read).
TEST_F(InstallRunPackageTest, APackageCutShortIsAReadErrorOfThePackage) {
  const struct {
    const char* what;
    bool in_directory;
  } cases[] = {{"directory", true}, {"data", false}};
  show_page(INSTALL_PAGE_TARGET);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    zt::sh("rm -rf '" + target + "'");
    make_entries(3);
    PACKAGE_ENTRY last;
    ASSERT_TRUE(installer_database.package->find_entry("e/2", &last));
    // File offset = data position + 1: into the name of the last record, or
    // into its block's data.
    const off_t cut = c.in_directory ? static_cast<off_t>(last.position) + 1 + 6
                                     : static_cast<off_t>(last.first_block) + 1 + 4 + 2;
    shown().clear();
    rebuild(INSTALL_PAGE_TARGET);
    frame();
    rebuild(INSTALL_PAGE_PROGRESS);
    for (int i = 0; i < 20 && install_step_count < 2 && !failure_box(); ++i) frame();  // step 0, the first file
    ASSERT_EQ(install_step_count, 2);
    ASSERT_EQ(truncate(package_path().c_str(), cut), 0);
    ASSERT_FALSE(run());
    EXPECT_EQ(box_text(failure_box()), "T8|" + target + "/2: Error: Unable to read from file installer.pkg.|");
    go_on();
    ASSERT_TRUE(run());
    EXPECT_EQ(install_error_count, 1);
    EXPECT_EQ(zt::read_text(target + "/1"), "body 1");
    EXPECT_FALSE(zt::file_exists(target + "/2"));
    EXPECT_EQ(log(), header() + "Installed \"" + target + "/0\"\nInstalled \"" + target + "/1\"\n\"" + target +
                         "/2\" failed to unpack (e/2)\nInstallation completed with 1 errors.\n");
  }
}

// installer.pkg rewritten in place during the run (the same size and inode,
// the same entries in another order, other bytes): every file unpacked after
// it holds what its entry holds in the package as it is now.
TEST_F(InstallRunPackageTest, APackageRewrittenDuringTheRunGivesEachFileItsOwnBytes) {
  const int kFiles = 10;  // names of one length: both orders have one layout
  make_entries(kFiles);
  // Older than the rewrite, which then cannot keep the package's times.
  struct timeval old_times[2] = {{1000, 0}, {1000, 0}};
  ASSERT_EQ(utimes(package_path().c_str(), old_times), 0);
  const std::string scratch = zt::make_temp_dir("rewrite");
  FOLDER folder;
  folder.set(("$ROOT2" + scratch).c_str());
  {
    PACKAGE writer(&folder, "installer.pkg", 1, 64, 1);
    ASSERT_TRUE(writer.file);
    for (int i = kFiles - 1; i >= 0; --i) {
      zt::write_text(scratch + "/src", "BODY " + std::to_string(i));
      ASSERT_TRUE(writer.store_file(&folder, "src", ("e/" + std::to_string(i)).c_str()));
    }
  }
  const std::vector<uint8_t> rewritten = zt::read_bytes(scratch + "/installer.pkg");
  struct stat before, after;
  ASSERT_EQ(stat(package_path().c_str(), &before), 0);
  ASSERT_EQ(rewritten.size(), static_cast<size_t>(before.st_size));

  show_page(INSTALL_PAGE_PROGRESS);
  for (int i = 0; i < 20 && install_step_count < 4 && !failure_box(); ++i) frame();  // step 0, three files
  ASSERT_EQ(install_step_count, 4);
  zt::write_bytes(package_path(), rewritten);
  ASSERT_EQ(stat(package_path().c_str(), &after), 0);
  ASSERT_EQ(after.st_ino, before.st_ino);
  ASSERT_TRUE(run());
  EXPECT_EQ(install_error_count, 0);
  for (int i = 0; i < kFiles; ++i)
    EXPECT_EQ(zt::read_text(target + "/" + std::to_string(i)), (i < 3 ? "body " : "BODY ") + std::to_string(i)) << i;
}

}  // namespace

namespace {

// installer.pkg rewritten in place while one entry is copied: "e/big" (20
// blocks) all 'a' in the package the run opened, all 'b' in the other of
// the same layout. The hook puts the other package in place after every
// third block of a copy, once or each time.
class InstallRunRewriteTest : public InstallRunPackageTest {
 protected:
  static constexpr INT_U32 kBlock = 64;
  static constexpr int kBigBlocks = 20;

  void TearDown() override {
    package_copy_hook = package_copy_hook_none;
    InstallRunPackageTest::TearDown();
  }

  // One package of the layout, written into `dir`; its bytes.
  static std::vector<uint8_t> write_package(const std::string& dir, char fill) {
    FOLDER folder;
    folder.set(("$ROOT2" + dir).c_str());
    {
      PACKAGE writer(&folder, "installer.pkg", 1, kBlock, 1);
      EXPECT_TRUE(writer.file);
      zt::write_text(dir + "/src", std::string(kBlock * kBigBlocks, fill));
      EXPECT_TRUE(writer.store_file(&folder, "src", "e/big"));
      zt::write_text(dir + "/src", "small");
      EXPECT_TRUE(writer.store_file(&folder, "src", "e/small"));
      std::remove((dir + "/src").c_str());
    }
    return zt::read_bytes(dir + "/installer.pkg");
  }

  void make_two_packages() {
    DATABASE& d = installer_database;
    delete d.package;
    d.package = nullptr;
    package_folder = zt::make_temp_dir("rewritten");
    packages[0] = write_package(package_folder, 'a');
    packages[1] = write_package(zt::make_temp_dir("other"), 'b');
    ASSERT_EQ(packages[0].size(), packages[1].size());
    FOLDER folder;
    folder.set(("$ROOT2" + package_folder).c_str());
    d.package = new PACKAGE(&folder, "installer.pkg", 0, -1, 0);
    ASSERT_TRUE(d.package->file);
    path = package_path();
    rewrites = 0;
    set_files({{"big", "$APP", "e/big", PLATFORM_ANY, nullptr}, {"small", "$APP", "e/small", PLATFORM_ANY, nullptr}});
  }

  static void rewrite_between_blocks(PACKAGE* package, INT_U64 copied, INT_U32) {
    if (package != installer_database.package || copied % (3 * kBlock) != 0) return;
    if (only_once && rewrites > 0) return;
    ++rewrites;
    zt::write_bytes(path, packages[rewrites % 2]);
    // Each rewrite leaves a time of its own, as a writer slower than the
    // clock's tick does.
    const struct timeval times[2] = {{1000 + rewrites, 0}, {1000 + rewrites, 0}};
    utimes(path.c_str(), times);
  }

  static std::vector<uint8_t> packages[2];
  static std::string path;
  static bool only_once;
  static int rewrites;
};
std::vector<uint8_t> InstallRunRewriteTest::packages[2];
std::string InstallRunRewriteTest::path;
bool InstallRunRewriteTest::only_once = false;
int InstallRunRewriteTest::rewrites = 0;

// Rewritten once during the copy: the step copies the entry again from the
// package as it is now, and the file holds that entry's bytes only.
TEST_F(InstallRunRewriteTest, AnEntryRewrittenDuringItsCopyIsCopiedAgain) {
  make_two_packages();
  only_once = true;
  package_copy_hook = rewrite_between_blocks;
  EXPECT_EQ(run_going_on(), 0);
  EXPECT_EQ(rewrites, 1);
  EXPECT_EQ(install_error_count, 0);
  EXPECT_EQ(zt::read_text(target + "/big"), std::string(kBlock * kBigBlocks, 'b'));
  EXPECT_EQ(zt::read_text(target + "/small"), "small");
  EXPECT_EQ(log(), header() + "Installed \"" + target + "/big\"\nInstalled \"" + target +
                       "/small\"\nInstallation completed without any errors.\n");
}

// Rewritten during every copy of the entry (a writer in a loop): the step
// gives up after a few copies, counts the failure and leaves no file; the
// next file is installed as usual.
TEST_F(InstallRunRewriteTest, AnEntryRewrittenDuringEveryCopyIsAFailureWithoutAFile) {
  make_two_packages();
  only_once = false;
  package_copy_hook = rewrite_between_blocks;
  show_page(INSTALL_PAGE_PROGRESS);
  ASSERT_FALSE(run());
  EXPECT_EQ(box_text(failure_box()), "T8|" + target + "/big: the package changed during the installation|");
  EXPECT_FALSE(zt::file_exists(target + "/big"));
  go_on();
  ASSERT_TRUE(run());
  EXPECT_GT(rewrites, 1);
  EXPECT_EQ(install_error_count, 1);
  EXPECT_EQ(zt::read_text(target + "/small"), "small");
  EXPECT_EQ(log(), header() + "\"" + target + "/big\" failed to unpack (e/big)\nInstalled \"" + target +
                       "/small\"\nInstallation completed with 1 errors.\n");
}

// The log taken away and made again, or the target moved away with a
// stranger's log put in its place, between two steps: found before the next
// file, before the shortcuts and before the completion line. The run writes
// nothing more anywhere: not into the file made in the log's place, not into
// the stranger's log, not into its own log where it went.
TEST_F(InstallRunTest, ALogMadeAgainIsNotTheRunsOwn) {
  store("e/a", "a");
  set_files({{"a", "$APP", "e/a", PLATFORM_ANY, nullptr}, {"b", "$APP", "e/a", PLATFORM_ANY, nullptr}});
  add_shortcut(SHORTCUT_APPLICATION, "a", "A Tool");
  const std::string log_path = target + "/install_log.txt", moved = target + ".moved";
  const std::string log_gone = log_path + ": the log was removed|";
  const std::string made_again = "rm -f '" + log_path + "' && : > '" + log_path + "'";
  // Steps: 1 and 2 the files, 3 the shortcuts, 4 the completion line.
  const struct {
    const char* what;
    INT_S32 before_step;
    std::string change;
    std::string box;
    bool b_installed, shortcut_made;
  } cases[] = {
      {"made again before a file", 2, made_again, log_gone, false, false},
      {"removed before the shortcuts", 3, "rm -f '" + log_path + "'", log_gone, true, false},
      {"made again before the completion", 4, made_again, log_gone, true, true},
      {"the target moved, a stranger's log in its place", 4,
       "mv '" + target + "' '" + moved + "' && mkdir '" + target + "' && printf 'stranger\\n' > '" + log_path + "'",
       target + ": the target folder was removed|", true, true},
  };
  show_page(INSTALL_PAGE_TARGET);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    zt::sh("rm -rf '" + target + "' '" + moved + "' '" + home + "/Desktop/A_Tool.desktop'");
    shown().clear();
    rebuild(INSTALL_PAGE_TARGET);
    frame();
    rebuild(INSTALL_PAGE_PROGRESS);
    for (int i = 0; i < 10 && install_step_count < c.before_step && !failure_box(); ++i) frame();
    ASSERT_EQ(install_step_count, c.before_step);
    const std::string kept = log();
    ASSERT_EQ(kept.rfind(header(), 0), 0u) << kept;
    const std::string stranger = c.box == log_gone ? "" : "stranger\n";
    ASSERT_EQ(zt::sh(c.change), 0);
    ASSERT_FALSE(run());
    EXPECT_EQ(box_text(failure_box()), c.box);
    go_on();
    ASSERT_TRUE(run());
    EXPECT_EQ(install_error_count, 1);
    EXPECT_EQ(shown().back(), (SHOWN{100, "T7 (1)"}));
    EXPECT_EQ(zt::read_text(log_path), stranger);
    if (c.box != log_gone) {
      EXPECT_EQ(zt::read_text(moved + "/install_log.txt"), kept);
    }
    const std::string folder = c.box == log_gone ? target : moved;
    EXPECT_EQ(zt::file_exists(folder + "/b"), c.b_installed);
    EXPECT_EQ(zt::file_exists(home + "/Desktop/A_Tool.desktop"), c.shortcut_made);
    EXPECT_EQ(get_idle_wait(), 50u);
  }
}

// The target moved away during a file step (after the step found it there,
// before its file's folder is made): one failure, the target's, with the
// target's path; the file gets no line, and the log, gone with the target,
// no completion line.
std::string move_at_line, move_from, move_to;
void move_target_at_line() {
  record_progress();
  if (!move_at_line.empty() && !shown().empty() && shown().back().line == move_at_line) {
    move_at_line.clear();
    rename(move_from.c_str(), move_to.c_str());
  }
}

TEST_F(InstallRunTest, ATargetMovedAwayDuringAFileStepIsOneFailureOfTheTarget) {
  store("e/a", "a");
  const struct {
    const char* what;
    const char* folder;
    std::string line;
  } cases[] = {{"into a folder of the target", "$APP/big", "/big/f2"}, {"into the target", "$APP", "/f2"}};
  move_from = target;
  move_to = target + ".moved";
  progress_update_platform = move_target_at_line;
  show_page(INSTALL_PAGE_TARGET);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    zt::sh("rm -rf '" + target + "' '" + move_to + "'");
    set_files({{"f1", c.folder, "e/a", PLATFORM_ANY, nullptr},
               {"f2", c.folder, "e/a", PLATFORM_ANY, nullptr},
               {"f3", "$APP", "e/a", PLATFORM_ANY, nullptr}});
    move_at_line = c.line;
    shown().clear();
    rebuild(INSTALL_PAGE_TARGET);
    frame();
    rebuild(INSTALL_PAGE_PROGRESS);
    ASSERT_FALSE(run());
    ASSERT_TRUE(move_at_line.empty());
    EXPECT_EQ(box_text(failure_box()), target + ": the target folder was removed|");
    go_on();
    ASSERT_TRUE(run());
    EXPECT_EQ(install_error_count, 1);
    EXPECT_EQ(shown().back(), (SHOWN{100, "T7 (1)"}));
    EXPECT_FALSE(zt::file_exists(target));
    const std::string folder = std::string(c.folder) == "$APP" ? target : target + "/big";
    EXPECT_EQ(zt::read_text(move_to + "/install_log.txt"), header() + "Installed \"" + folder + "/f1\"\n");
    EXPECT_FALSE(zt::file_exists(move_to + "/f3"));
  }
}

// A file whose folder cannot be made (a file stands where it would go): the
// box and the log name the file by its path, not by the record's text.
TEST_F(InstallRunTest, AFileWhoseFolderCannotBeMadeIsNamedByItsPath) {
  store("e/a", "a");
  set_files({{"f", "$APP/big", "e/a", PLATFORM_ANY, nullptr}});
  ASSERT_EQ(zt::sh("mkdir -p '" + target + "' && printf 'in the way' > '" + target + "/big'"), 0);
  show_page(INSTALL_PAGE_PROGRESS);
  ASSERT_FALSE(run());
  EXPECT_EQ(box_text(failure_box()), "T8|" + target + "/big/f: cannot create the folder|");
  go_on();
  ASSERT_TRUE(run());
  EXPECT_EQ(log(), header() + "\"" + target + "/big/f\" failed to unpack (e/a)\n" +
                       "Installation completed with 1 errors.\n");
  EXPECT_EQ(zt::read_text(target + "/big"), "in the way");
}

}  // namespace

namespace {

// ---- writes into a folder that others may write to ----------------------------------

// Where a file stands: its bytes, its mode, whether it is a link.
struct FILE_STATE {
  bool link = false;
  bool regular = false;
  int mode = -1;
  std::string bytes;
  bool operator==(const FILE_STATE& o) const {
    return link == o.link && regular == o.regular && mode == o.mode && bytes == o.bytes;
  }
};
std::ostream& operator<<(std::ostream& out, const FILE_STATE& s) {
  return out << (s.link ? "link" : s.regular ? "file" : "none") << " " << std::oct << s.mode << std::dec << " '"
             << s.bytes << "'";
}
FILE_STATE state_of(const std::string& path) {
  FILE_STATE s;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return s;
  s.link = S_ISLNK(st.st_mode);
  s.regular = S_ISREG(st.st_mode);
  s.mode = static_cast<int>(st.st_mode & 07777);
  if (s.regular) s.bytes = zt::read_text(path);
  return s;
}
FILE_STATE regular(const std::string& bytes, int mode) {
  FILE_STATE s;
  s.regular = true;
  s.mode = mode;
  s.bytes = bytes;
  return s;
}

std::string listing_of(const std::string& folder) {
  std::string out;
  zt::sh("ls -A '" + folder + "'", &out);
  return out;
}

// The fresh names a replacement is written under, left anywhere below `folder`.
std::string fresh_names_below(const std::string& folder) {
  std::string out;
  zt::sh("find '" + folder + "' -name '.zorv-*' 2>/dev/null", &out);
  return out;
}

// An earlier installation's files, and links planted in the target where the
// run puts its log, a file in a folder of its own and an executable, one
// pointing nowhere: each link is replaced by the installed file (the
// executable gets its mode, the file it pointed at keeps its own), and what
// the links pointed at is left as it was.
TEST_F(InstallRunTest, LinksPlantedInTheTargetAreReplacedAndWhatTheyPointAtIsKept) {
  store("e/notes", "the notes\n");
  store("e/tool", "#!/bin/sh\n");
  set_files({{"notes.txt", "$APP/doc", "e/notes", PLATFORM_ANY, nullptr},
             {"tool", "$APP", "e/tool", PLATFORM_LINUX_I86, nullptr},
             {"gone.txt", "$APP", "e/notes", PLATFORM_ANY, nullptr},
             {"earlier.txt", "$APP", "e/notes", PLATFORM_ANY, nullptr}});
  const std::string outside = zt::make_temp_dir("outside");
  zt::write_text(outside + "/log", "someone's log\n");
  zt::write_text(outside + "/notes", "someone's notes\n");
  zt::write_text(outside + "/tool", "someone's tool\n");
  ASSERT_EQ(zt::sh("chmod 0600 '" + outside + "/log' '" + outside + "/notes' && chmod 0644 '" + outside + "/tool'"), 0);
  ASSERT_EQ(zt::sh("mkdir -p '" + target + "/doc' && ln -s '" + outside + "/log' '" + target + "/install_log.txt' && ln -s '" +
                   outside + "/notes' '" + target + "/doc/notes.txt' && ln -s '" + outside + "/tool' '" + target +
                   "/tool' && ln -s '" + outside + "/absent' '" + target + "/gone.txt' && printf 'earlier' > '" + target +
                   "/earlier.txt' && chmod 0600 '" + target + "/earlier.txt'"),
            0);
  EXPECT_EQ(run_going_on(), 0);
  EXPECT_EQ(install_error_count, 0);
  EXPECT_EQ(state_of(outside + "/log"), regular("someone's log\n", 0600));
  EXPECT_EQ(state_of(outside + "/notes"), regular("someone's notes\n", 0600));
  EXPECT_EQ(state_of(outside + "/tool"), regular("someone's tool\n", 0644));
  EXPECT_FALSE(zt::file_exists(outside + "/absent"));
  EXPECT_EQ(state_of(target + "/doc/notes.txt"), regular("the notes\n", 0644));
  EXPECT_EQ(state_of(target + "/tool"), regular("#!/bin/sh\n", 0755));
  EXPECT_EQ(state_of(target + "/gone.txt"), regular("the notes\n", 0644));
  // A replaced file is made as a new one is.
  EXPECT_EQ(state_of(target + "/earlier.txt"), regular("the notes\n", 0644));
  EXPECT_EQ(state_of(target + "/install_log.txt"),
            regular(header() + "Installed \"" + target + "/doc/notes.txt\"\nInstalled \"" + target +
                        "/tool\"\nInstalled \"" + target + "/gone.txt\"\nInstalled \"" + target +
                        "/earlier.txt\"\nInstallation completed without any errors.\n",
                    0644));
  EXPECT_EQ(fresh_names_below(target), "");
}

// A folder level of a file's path that is a link: another user's is not
// followed (the file fails with its path and why, and nothing is made where
// the link points, not even a folder); the user's own (here root's) is
// followed as before.
TEST_F(InstallRunTest, AFolderThatIsAnotherUsersLinkIsNotFollowed) {
  store("e/a", "a");
  set_files({{"notes.txt", "$APP/doc", "e/a", PLATFORM_ANY, nullptr},
             {"deep.txt", "$APP/doc/sub", "e/a", PLATFORM_ANY, nullptr},
             {"mine.txt", "$APP/mine", "e/a", PLATFORM_ANY, nullptr}});
  const std::string theirs = zt::make_temp_dir("theirs"), mine = zt::make_temp_dir("mine");
  ASSERT_EQ(zt::sh("mkdir -p '" + target + "' && ln -s '" + theirs + "' '" + target + "/doc' && chown -h 4242:4242 '" +
                   target + "/doc' && ln -s '" + mine + "' '" + target + "/mine'"),
            0);
  const std::string why = ": a folder of its path is a link owned by another user|";
  show_page(INSTALL_PAGE_PROGRESS);
  ASSERT_FALSE(run());
  EXPECT_EQ(box_text(failure_box()), "T8|" + target + "/doc/notes.txt" + why);
  go_on();
  ASSERT_FALSE(run());
  EXPECT_EQ(box_text(failure_box()), "T8|" + target + "/doc/sub/deep.txt" + why);
  go_on();
  ASSERT_TRUE(run());
  EXPECT_EQ(install_error_count, 2);
  EXPECT_EQ(listing_of(theirs), "");
  EXPECT_EQ(zt::read_text(mine + "/mine.txt"), "a");
  EXPECT_EQ(log(), header() + "\"" + target + "/doc/notes.txt\" failed to unpack (e/a)\n\"" + target +
                       "/doc/sub/deep.txt\" failed to unpack (e/a)\nInstalled \"" + target +
                       "/mine/mine.txt\"\nInstallation completed with 2 errors.\n");
}

}  // namespace

namespace {

// Two users of one group share a folder (setgid, mode 2775). One of them
// plants links there: the log's name leads to a file only the other may
// write, a folder of theirs holds the notes' name leading to another, and a
// folder's name is a link to one of the other's folders. The other installs
// into the shared folder: their files keep their bytes and modes, the two
// file links are replaced by the installed files, the file below the planted
// folder link fails with its path and why, and the run says so; their own
// link to a folder of theirs is followed.
const uid_t kVictim = 65534, kPlanter = 4242;
const gid_t kSharedGroup = 4243;

class SharedFolderTest : public InstallRunTest {
 protected:
  void SetUp() override {
    InstallRunTest::SetUp();
    // A tree the unprivileged user can reach (the sandbox's home may not be).
    char pattern[] = "/tmp/zorv-shared.XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    root = pattern;
    ASSERT_EQ(chmod(root.c_str(), 0755), 0);
    target = root + "/shared";
    std::snprintf(installer_database.target_folder, FOLDER_PATH_SIZE, "$ROOT2%s", target.c_str());
  }
  void TearDown() override {
    if (!root.empty()) zt::sh("rm -rf '" + root + "'");
    InstallRunTest::TearDown();
  }
  std::string root;
};

TEST_F(SharedFolderTest, AnotherUsersLinksNeitherStealNorBreakAnInstallation) {
  store("e/notes", "the demo's notes\n");
  store("e/tool", "#!/bin/sh\n");
  set_files({{"notes.txt", "$APP/doc", "e/notes", PLATFORM_ANY, nullptr},
             {"tool", "$APP/bin", "e/tool", PLATFORM_LINUX_I86, nullptr},
             {"mine.txt", "$APP/mine", "e/notes", PLATFORM_ANY, nullptr},
             {"readme.txt", "$APP", "e/notes", PLATFORM_ANY, nullptr}});
  const std::string victim = root + "/victim", v = std::to_string(kVictim), p = std::to_string(kPlanter),
                    g = std::to_string(kSharedGroup);
  // The victim's home: two files and a folder only they may write, and a
  // folder of theirs that their own link in the shared folder leads to.
  ASSERT_EQ(zt::sh("mkdir -p '" + victim + "/bin' '" + victim + "/mine' && printf 'my log\\n' > '" + victim +
                   "/log' && printf 'my notes\\n' > '" + victim + "/notes' && chmod 0600 '" + victim + "/log' '" +
                   victim + "/notes' && chown -R " + v + ":" + v + " '" + victim + "' && chmod 0700 '" + victim + "'"),
            0);
  // The shared folder and what the planter put there.
  const std::string planted = "mkdir '" + target + "' && chown 0:" + g + " '" + target + "' && chmod 2775 '" + target +
                              "' && ln -s '" + victim + "/log' '" + target + "/install_log.txt' && mkdir '" + target +
                              "/doc' && ln -s '" + victim + "/notes' '" + target + "/doc/notes.txt' && ln -s '" +
                              victim + "/bin' '" + target + "/bin' && chown -h " + p + ":" + g + " '" + target +
                              "/install_log.txt' '" + target + "/doc' '" + target + "/doc/notes.txt' '" + target +
                              "/bin' && chmod 2775 '" + target + "/doc' && ln -s '" + victim + "/mine' '" + target +
                              "/mine' && chown -h " + v + ":" + g + " '" + target + "/mine'";
  ASSERT_EQ(zt::sh(planted), 0);
  const zt::ChildResult child = zt::run_in_child([&] {
    const gid_t groups[] = {kSharedGroup};
    if (setgroups(1, groups) != 0 || setresgid(kVictim, kVictim, kVictim) != 0 ||
        setresuid(kVictim, kVictim, kVictim) != 0) {
      printf("cannot become the user\n");
      return;
    }
    show_page(INSTALL_PAGE_PROGRESS);
    while (!run()) {
      if (!failure_box()) break;
      printf("box: %s\n", box_text(failure_box()).c_str());
      go_on();
    }
    printf("errors: %d\n", install_error_count);
  });
  EXPECT_EQ(child.out, "box: T8|" + target + "/bin/tool: a folder of its path is a link owned by another user|\n" +
                           "errors: 1\n")
      << child.err;
  EXPECT_EQ(state_of(victim + "/log"), regular("my log\n", 0600));
  EXPECT_EQ(state_of(victim + "/notes"), regular("my notes\n", 0600));
  EXPECT_EQ(listing_of(victim + "/bin"), "");
  EXPECT_EQ(state_of(victim + "/mine/mine.txt"), regular("the demo's notes\n", 0644));
  EXPECT_EQ(state_of(target + "/doc/notes.txt"), regular("the demo's notes\n", 0644));
  EXPECT_EQ(state_of(target + "/readme.txt"), regular("the demo's notes\n", 0644));
  EXPECT_EQ(state_of(target + "/install_log.txt"),
            regular(header() + "Installed \"" + target + "/doc/notes.txt\"\n\"" + target +
                        "/bin/tool\" failed to unpack (e/tool)\nInstalled \"" + target +
                        "/mine/mine.txt\"\nInstalled \"" + target +
                        "/readme.txt\"\nInstallation completed with 1 errors.\n",
                    0644));
  // Made by the installing user, in the shared folder's group.
  struct stat st;
  ASSERT_EQ(stat((target + "/install_log.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kVictim);
  EXPECT_EQ(st.st_gid, kSharedGroup);
  EXPECT_EQ(fresh_names_below(root), "");
}

}  // namespace

namespace {

// An earlier installation's "big" (its own bytes and mode) under the name of
// an entry whose copy fails: the package cut short during the copy, the
// package rewritten during every copy, a full disk (the file size limit, its
// signal ignored). The earlier file stays as it was, no fresh name is left,
// and all through the copy the name holds the earlier file whole.
class FailedCopyTest : public InstallRunRewriteTest {
 protected:
  static void look(PACKAGE*, INT_U64, INT_U32) {
    const std::string now = zt::read_text(earlier);
    if (now != kEarlier) seen_during_copy = now;
  }
  static void look_then_cut(PACKAGE* package, INT_U64 copied, INT_U32 size) {
    look(package, copied, size);
    if (copied == 3 * kBlock) truncate(path.c_str(), 300);
  }
  static void look_then_rewrite(PACKAGE* package, INT_U64 copied, INT_U32 size) {
    look(package, copied, size);
    rewrite_between_blocks(package, copied, size);
  }
  static constexpr const char* kEarlier = "earlier bytes\n";
  static std::string earlier, seen_during_copy;
};
std::string FailedCopyTest::earlier, FailedCopyTest::seen_during_copy;

TEST_F(FailedCopyTest, KeepsTheEarlierFileAsItWas) {
  const struct {
    const char* what;
    void (*hook)(PACKAGE*, INT_U64, INT_U32);
    rlim_t size_limit;
    std::string reason, after;
  } cases[] = {
      // Cut short, the package is another one at every copy; the next file
      // is no longer there.
      {"cut short", look_then_cut, RLIM_INFINITY, "the package changed during the installation",
       "box: T8|" + target + "/small: Error: Unable to read from file installer.pkg.|\n"},
      {"rewritten during every copy", look_then_rewrite, RLIM_INFINITY, "the package changed during the installation",
       ""},
      {"full disk", look, 1000, "File too large", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    make_two_packages();
    only_once = false;
    earlier = target + "/big";
    seen_during_copy.clear();
    zt::sh("rm -rf '" + target + "'");
    ASSERT_EQ(zt::sh("mkdir -p '" + target + "' && printf 'earlier bytes\\n' > '" + earlier + "' && chmod 0640 '" +
                     earlier + "'"),
              0);
    package_copy_hook = c.hook;
    const zt::ChildResult child = zt::run_in_child([&] {
      signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit = {c.size_limit, c.size_limit};
      setrlimit(RLIMIT_FSIZE, &limit);
      show_page(INSTALL_PAGE_PROGRESS);
      while (!run()) {
        if (!failure_box()) break;
        printf("box: %s\n", box_text(failure_box()).c_str());
        go_on();
      }
      printf("seen during the copy: '%s'\n", seen_during_copy.c_str());
    });
    EXPECT_EQ(child.out, "box: T8|" + earlier + ": " + c.reason + "|\n" + c.after + "seen during the copy: ''\n")
        << child.err;
    EXPECT_EQ(state_of(earlier), regular(kEarlier, 0640));
    EXPECT_EQ(fresh_names_below(target), "");
    package_copy_hook = package_copy_hook_none;
  }
}

// The target swapped during a file's copy (moved away, a new folder of its
// name made, with the file's folder in it): the file whose copy succeeded
// is left neither in the new folder nor in the old one, and gets no
// "Installed" line; the run ends at that step as for a removed target.
std::string swap_at_line;
std::string swap_target;
void swap_target_during_copy(PACKAGE*, INT_U64, INT_U32) {
  if (swap_at_line.empty() || shown().empty() || shown().back().line != swap_at_line) return;
  swap_at_line.clear();
  zt::sh("mv '" + swap_target + "' '" + swap_target + ".moved' && mkdir -p '" + swap_target + "/big'");
}

TEST_F(InstallRunTest, ATargetSwappedDuringACopyGetsNoFileAndNoLine) {
  store("e/a", "a");
  const struct {
    const char* what;
    const char* folder;
    std::string line, in_target;
  } cases[] = {{"into a folder of the target", "$APP/big", "/big/f2", "/big/f2"},
               {"into the target", "$APP", "/f2", "/f2"}};
  const std::string moved = target + ".moved";
  swap_target = target;
  package_copy_hook = swap_target_during_copy;
  show_page(INSTALL_PAGE_TARGET);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    zt::sh("rm -rf '" + target + "' '" + moved + "'");
    set_files({{"f1", c.folder, "e/a", PLATFORM_ANY, nullptr},
               {"f2", c.folder, "e/a", PLATFORM_ANY, nullptr},
               {"f3", "$APP", "e/a", PLATFORM_ANY, nullptr}});
    swap_at_line = c.line;
    shown().clear();
    rebuild(INSTALL_PAGE_TARGET);
    frame();
    rebuild(INSTALL_PAGE_PROGRESS);
    ASSERT_FALSE(run());
    ASSERT_TRUE(swap_at_line.empty());
    EXPECT_EQ(box_text(failure_box()), target + ": the target folder was removed|");
    go_on();
    ASSERT_TRUE(run());
    EXPECT_EQ(install_error_count, 1);
    EXPECT_FALSE(zt::file_exists(target + c.in_target));
    EXPECT_FALSE(zt::file_exists(moved + c.in_target));
    EXPECT_TRUE(zt::file_exists(moved + c.in_target.substr(0, c.in_target.size() - 1) + "1"));
    EXPECT_FALSE(zt::file_exists(target + "/f3"));
    EXPECT_FALSE(zt::file_exists(target + "/install_log.txt"));
    const std::string folder = std::string(c.folder) == "$APP" ? target : target + "/big";
    EXPECT_EQ(zt::read_text(moved + "/install_log.txt"), header() + "Installed \"" + folder + "/f1\"\n");
    EXPECT_EQ(fresh_names_below(moved) + fresh_names_below(target), "");
  }
  package_copy_hook = package_copy_hook_none;
}

}  // namespace
