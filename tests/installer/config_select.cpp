// The configuration-selection screen: where the selector starts from the
// settings, and what a choice stores, loads and asks of the page manager.
#include <sys/stat.h>

#include "app.h"
#include "config_file.h"
#include "config_select.h"
#include "install_dialog_env.h"
#include "wm_file_select.h"
#include "wm_globals.h"
#include "wm_text_edit.h"

using namespace inst;

namespace {

std::string native_of(const char* text) {
  FOLDER f(FOLDER::UNSET{});
  f.set(text);
  return f.native_path_text(nullptr);
}

// Where "$USERPREFS" lives once made: <HOME>/.<program>/config.
std::string prefs_folder() {
  FOLDER f(FOLDER::UNSET{});
  f.set("$USERPREFS", 0, nullptr, 1);
  return f.native_path_text(nullptr);
}

WM_FILE_SELECT* selector() { return dynamic_cast<WM_FILE_SELECT*>(find_popup(WM_KIND_FILE_SELECT)); }

std::string name_in(WM_FILE_SELECT* s) {
  return s->name_box && s->name_box->text.text ? s->name_box->text.text : "";
}

class ConfigSelectTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    installer_database.reset();
  }
  void write_settings(const std::string& bytes) {
    const std::string dir = prefs_folder();
    zt::write_text(dir + "/settings.cfg", bytes);
  }
  WM_FILE_SELECT* build() {
    build_configuration_page(&page_manager);
    return selector();
  }
  void drop(WM_FILE_SELECT* s) { page_manager.current_manager->remove_popup(s, 1, 0); }
  INT_S32 open(WM_FILE_SELECT* s) {
    return WM_FILE_SELECT::on_command(s->ok_button, 1, reinterpret_cast<INT_WORD>(s));
  }
};

TEST_F(ConfigSelectTest, TheSelectorCoversTheScreenInFileModeWithoutCancel) {
  WM_FILE_SELECT* s = build();
  ASSERT_TRUE(s);
  EXPECT_EQ(s->x, 0);
  EXPECT_EQ(s->y, 0);
  EXPECT_EQ(s->width, kScreenW);
  EXPECT_EQ(s->height, kScreenH);
  EXPECT_TRUE(s->visible);
  EXPECT_EQ(s->mode, FILE_SELECT_OPEN);
  EXPECT_STREQ(s->extension.text, ".xml");
  EXPECT_EQ(s->effects.flags, 0u);
  EXPECT_EQ(s->draggable, 0);
  EXPECT_FALSE(s->cancel_button->enabled);
  EXPECT_EQ(text_of(s->ok_button), "Open");
  EXPECT_EQ(text_of(s->new_folder_button), "New Folder");
  EXPECT_STREQ(s->get_title(), "Select Installation Configuration");
  EXPECT_EQ(label_of(s->status_label), "Select the XML configuration file.");
  EXPECT_EQ(s->action_callback, handle_configuration_choice);
  EXPECT_EQ(word_to_s32(s->action_arg1), 1);
  // Cancel, were it pressed, answers nothing.
  EXPECT_EQ(WM_FILE_SELECT::on_command(s->cancel_button, 2, reinterpret_cast<INT_WORD>(s)), 0);
  EXPECT_EQ(selector(), s);
}

TEST_F(ConfigSelectTest, TheStartFolderComesFromTheSettings) {
  const std::string appdata = native_of("$APPDATA");
  const std::string dir = zt::make_temp_dir("last");
  ASSERT_EQ(mkdir((dir + "/$work").c_str(), 0700), 0);
  const std::string root = "$ROOT2" + dir;
  struct Case {
    const char* name;
    std::string settings;  // the file's bytes; empty = no file
    std::string folder, file;
  } cases[] = {
      {"missing", "", appdata, ""},
      {"present", "last_path\n\t" + root + "\nlast_filename\n\ta.xml\n", dir, "a.xml"},
      {"vanished", "last_path\n\t" + root + "/gone/deeper\n", dir, ""},
      {"unknown variable", "last_path\n\t$NOPE/x\nlast_filename\n\tb.xml\n", appdata, "b.xml"},
      {"later $ segment", "last_path\n\t" + root + "/$work\n", dir + "/$work", ""},
      {"plain", "last_path\n\tplain/x\n", appdata, ""},
      {"absolute", "last_path\n\t" + dir + "\n", appdata, ""},
      {"empty", "last_path\n\t\n", appdata, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove((prefs_folder() + "/settings.cfg").c_str());
    if (!c.settings.empty()) write_settings(c.settings);
    WM_FILE_SELECT* s = build();
    ASSERT_TRUE(s);
    EXPECT_EQ(std::string(s->folder.native_path_text(nullptr)), c.folder);
    EXPECT_EQ(name_in(s), c.file);
    drop(s);
  }
}

TEST_F(ConfigSelectTest, OpenStoresTheChoiceLoadsThePackageAndRequestsTheInstallPage) {
  const std::string dir = zt::make_temp_dir("config");
  ASSERT_EQ(zt::sh("'" ZORV_BUILD_DIR "/make_demo_package' '" + dir + "' >/dev/null"), 0);
  zt::write_text(dir + "/installer.xml", "not read\n");
  const std::string prefs = std::string(getenv("HOME")) + "/.test_installer_config_select/config";
  ASSERT_FALSE(is_directory(prefs.c_str()));  // made for the settings, not before

  WM_FILE_SELECT* s = build();
  ASSERT_TRUE(s);
  FOLDER folder(FOLDER::UNSET{});
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  s->set_mode(FILE_SELECT_OPEN, &folder, "installer.xml", ".xml");
  EXPECT_EQ(open(s), PAGE_ACTION_CROSS_FADE);

  DATABASE& d = installer_database;
  EXPECT_EQ(std::string(d.config_folder.native_path_text(nullptr)), dir);
  EXPECT_STREQ(d.config_name.text, "installer.xml");
  EXPECT_GT(d.language_count, 0);
  // The settings, by hand and through CONFIG_FILE.
  ASSERT_TRUE(is_directory(prefs.c_str()));
  char variable[FOLDER_PATH_SIZE];
  folder.get_path_text(variable, nullptr);
  ASSERT_EQ(variable[0], '$');
  EXPECT_EQ(zt::read_text(prefs + "/settings.cfg"),
            std::string("last_path\n\t") + variable + "\nlast_filename\n\tinstaller.xml\n");
  CONFIG_FILE settings;
  settings.init("settings.cfg", 1);
  FOLDER prefs_folder(FOLDER::UNSET{});
  ASSERT_TRUE(prefs_folder.set_if_directory(prefs.c_str()));
  char value[CONFIG_VALUE_SIZE];
  ASSERT_TRUE(settings.get_string(&prefs_folder, "last_path", value));
  EXPECT_STREQ(value, variable);
  ASSERT_TRUE(settings.get_string(&prefs_folder, "last_filename", value));
  EXPECT_STREQ(value, "installer.xml");
  // The first area takes the package's window size; the install page waits.
  EXPECT_EQ(page_manager.areas[0].manager.width, static_cast<INT_S16>(d.window_width));
  EXPECT_EQ(page_manager.areas[0].manager.height, static_cast<INT_S16>(d.window_height));
  EXPECT_EQ(page_manager.areas[0].pending.build, build_install_page);
  EXPECT_EQ(may_quit_callback, open_quit_box);
  // The selector is gone at once and deleted on its next tick.
  EXPECT_EQ(s->alpha, 0);
  frame();
  frame();
  EXPECT_EQ(selector(), nullptr);
  EXPECT_TRUE(install_dialog);

  // The next start opens where this one chose, with the name filled in.
  WM_FILE_SELECT* again = build();
  ASSERT_TRUE(again);
  EXPECT_EQ(std::string(again->folder.native_path_text(nullptr)), dir);
  EXPECT_EQ(name_in(again), "installer.xml");
}

TEST_F(ConfigSelectTest, AFolderWithoutAUsablePackageKeepsTheSelectorButIsRemembered) {
  const std::string dir = zt::make_temp_dir("nopackage");
  zt::write_text(dir + "/installer.xml", "x\n");
  zt::write_text(dir + "/installer.pkg", "not a package");
  WM_FILE_SELECT* s = build();
  FOLDER folder(FOLDER::UNSET{});
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  s->set_mode(FILE_SELECT_OPEN, &folder, "installer.xml", ".xml");
  EXPECT_EQ(open(s), 0);
  frame();
  frame();
  EXPECT_EQ(selector(), s);
  EXPECT_TRUE(s->visible);
  EXPECT_EQ(page_manager.areas[0].pending.build, nullptr);
  drop(s);
  WM_FILE_SELECT* again = build();
  EXPECT_EQ(std::string(again->folder.native_path_text(nullptr)), dir);
}

TEST_F(ConfigSelectTest, AChoiceTooLongForTheSettingsIsNotStoredCut) {
  // A folder path of more than 255 characters, and a name of 256.
  std::string dir = zt::make_temp_dir("long");
  while (dir.size() < 300) {
    dir += "/" + std::string(60, 'd');
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  }
  const std::string name = std::string(252, 'n') + ".xml";
  zt::write_text(dir + "/" + name, "x\n");
  WM_FILE_SELECT* s = build();
  FOLDER folder(FOLDER::UNSET{});
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  s->set_mode(FILE_SELECT_OPEN, &folder, name.c_str(), ".xml");
  EXPECT_EQ(open(s), 0);
  EXPECT_STREQ(installer_database.config_name.text, name.c_str());
  EXPECT_EQ(zt::read_text(prefs_folder() + "/settings.cfg"), "last_path\n\t\nlast_filename\n\t\n");
  drop(s);
  WM_FILE_SELECT* again = build();
  EXPECT_EQ(std::string(again->folder.native_path_text(nullptr)), native_of("$APPDATA"));
  EXPECT_EQ(name_in(again), "");
}

}  // namespace
