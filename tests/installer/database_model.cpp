// The database model: defaults after construction and reset, what reset
// keeps, the keyword tables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "database.h"
#include "wm_globals.h"

namespace {

int system_info_reads = 0;
void count_system_info(SYSTEM_INFO* info) {
  system_info_reads++;
  info->can_desktop_shortcut = 1;
}

TEST(DatabaseModel, DefaultsAfterConstruction) {
  DATABASE db;
  EXPECT_EQ(db.window_width, 300);
  EXPECT_EQ(db.window_height, 200);
  EXPECT_EQ(db.dialog_width, 200);
  EXPECT_EQ(db.dialog_height, 150);
  EXPECT_EQ(db.current_page, INSTALL_PAGE_START);
  EXPECT_STREQ(db.target_folder, "$ROOT0");
  EXPECT_EQ(db.use_second_folders, 1);
  EXPECT_EQ(db.desktop_shortcuts, 1);
  EXPECT_EQ(db.menu_entries, 1);
  EXPECT_EQ(db.item_count, 0);
  EXPECT_EQ(db.items, nullptr);
  EXPECT_EQ(db.language_count, 0);
  EXPECT_EQ(db.languages, nullptr);
  EXPECT_STREQ(db.config_name.text, "installer.xml");
  FOLDER appdata;
  appdata.set("$APPDATA");
  EXPECT_STREQ(db.config_folder.path, appdata.path);
  EXPECT_EQ(db.quit_box.x, -1);
  EXPECT_EQ(db.quit_box.width, 200);
  EXPECT_EQ(db.error_box.width, 400);
  EXPECT_EQ(db.error_box.height, 300);
  EXPECT_EQ(db.browser_box.width, -1);
  EXPECT_EQ(db.animation_period, 600);
  EXPECT_EQ(db.file_buffer_size, 0x100000u);
  // The real system information is read: the installer's three flags are set.
  EXPECT_EQ(db.system_info.can_desktop_shortcut, 1);
  EXPECT_EQ(db.system_info.can_menu_entry, 1);
  EXPECT_EQ(db.system_info.has_drive_list, 1);
  EXPECT_STREQ(db.language_text(TEXT_APPLICATION_TITLE), "");
}

TEST(DatabaseModel, ResetFreesTablesAndKeepsTheRest) {
  database_system_info_reader = count_system_info;
  DATABASE db;
  db.item_count = 2;
  db.items = static_cast<INSTALL_ITEM*>(calloc(2, sizeof(INSTALL_ITEM)));
  db.items[1].files = static_cast<INSTALL_FILE*>(calloc(3, sizeof(INSTALL_FILE)));
  db.items[1].file_count = 3;
  db.language_count = 1;
  db.languages = static_cast<INSTALL_LANGUAGE*>(calloc(1, sizeof(INSTALL_LANGUAGE)));
  db.languages[0].item_names =
      static_cast<char(*)[DATABASE_TEXT_SIZE]>(calloc(2, DATABASE_TEXT_SIZE));
  db.dialog_x = 17;
  db.dialog_y = 19;
  db.progress_rate_x = 5;
  db.progress_update_rate = 7;
  db.icons[3].create(4, 4);
  db.background.create(8, 2);
  db.automatic = 1;
  db.target_platform = PLATFORM_MACOSX;
  db.window_width = 800;
  db.current_page = INSTALL_PAGE_TARGET;
  strcpy(db.target_folder, "$ROOT0/x");
  db.styles[5].shading_type = 9;
  const int reads = system_info_reads;
  db.reset();
  EXPECT_EQ(system_info_reads, reads + 1);
  EXPECT_EQ(db.items, nullptr);
  EXPECT_EQ(db.item_count, 0);
  EXPECT_EQ(db.languages, nullptr);
  EXPECT_EQ(db.window_width, 300);
  EXPECT_EQ(db.current_page, INSTALL_PAGE_START);
  EXPECT_STREQ(db.target_folder, "$ROOT0");
  EXPECT_EQ(db.styles[5].shading_type, 1u);
  EXPECT_EQ(db.dialog_x, 17);
  EXPECT_EQ(db.dialog_y, 19);
  EXPECT_EQ(db.progress_rate_x, 5);
  EXPECT_EQ(db.progress_update_rate, 7);
  EXPECT_EQ(db.icons[3].width, 4);
  EXPECT_EQ(db.background.width, 8);
  EXPECT_EQ(db.automatic, 1);
  EXPECT_EQ(db.target_platform, PLATFORM_MACOSX);
}

TEST(DatabaseModel, SecondOptionsStyleTakesTheDefaultColour) {
  database_system_info_reader = count_system_info;
  wm_default_colour = 0;  // unset: invisible colours
  DATABASE db;
  const WM_STYLE_SET& s = db.styles[STYLE_OPTIONS_SECOND];
  EXPECT_EQ(s.fg_colour, 0u);
  EXPECT_EQ(s.bg_colour, 0u);
  EXPECT_EQ(s.ssf, 0u);
  EXPECT_EQ(s.shading_flags, 0);
  wm_default_colour = 0xFF123456;
  db.reset();
  EXPECT_EQ(s.fg_colour, 0xFF123456u);
  EXPECT_EQ(s.bg_colour, 0xFF123456u);
  // The other style sets keep the style-set defaults.
  EXPECT_EQ(db.styles[2].ssf, 5u);
  EXPECT_EQ(db.styles[2].shading_flags, 255);
}

TEST(DatabaseModel, KeywordTables) {
  struct {
    const char* word;
    INT_U8 platform;
  } platforms[] = {{"linux_i86", 1}, {"LINUX_I86", 1}, {"linux", 0},  {"MacOSX", 17},
                   {"win32", 33},    {"gp2x", 0x81},   {"WinMob_Arm", 0x82},
                   {"psp", 0x83},    {"NDS", 0x84},    {"", 0},      {nullptr, 0}};
  for (const auto& p : platforms)
    EXPECT_EQ(parse_platform(p.word), p.platform) << (p.word ? p.word : "(null)");
  EXPECT_EQ(parse_item_type("WebLink"), SHORTCUT_WEB_LINK);
  EXPECT_EQ(parse_item_type("application"), SHORTCUT_APPLICATION);
  EXPECT_EQ(parse_item_type("TEXTFILE"), SHORTCUT_TEXT_FILE);
  EXPECT_EQ(parse_item_type("web link"), 0);
}

TEST(DatabaseModel, UsablePathTexts) {
  EXPECT_TRUE(is_usable_path_text("$ROOT0/zorv-demo"));
  EXPECT_TRUE(is_usable_path_text("$APP/$work"));
  EXPECT_TRUE(is_usable_path_text("$app"));
  EXPECT_TRUE(is_usable_path_text("relative/name"));
  EXPECT_FALSE(is_usable_path_text("$NOPE/x"));
  EXPECT_FALSE(is_usable_path_text(nullptr));
}

}  // namespace
