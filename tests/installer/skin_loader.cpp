// The skin loader on skin folders written by the tests.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "config_file.h"
#include "data_file.h"
#include "database.h"
#include "database_bytes.h"
#include "test_support.h"
#include "wm_button.h"
#include "wm_dialog.h"

namespace {

class SkinLoader : public ::testing::Test {
 protected:
  std::string skin;
  DATABASE db;

  void SetUp() override {
    database_system_info_reader = dbt::quiet_system_info;
    db.reset();
    skin = zt::make_temp_dir("skin");
    WM_DIALOG::init_default_styles();
    wm_dialog_effects = {0x047C, 300, 1000, 192};
    db.progress_rate_x = db.progress_rate_y = db.progress_update_rate = 9;
  }

  std::string sub(const std::string& name) {
    const std::string path = skin + "/" + name;
    mkdir(path.c_str(), 0755);
    return path;
  }

  // A complete ".ss" file whose shading type marks where it went.
  void write_style(const std::string& folder_name, const std::string& file, unsigned marker) {
    FOLDER folder;
    ASSERT_TRUE(folder.set_if_directory(sub(folder_name).c_str()));
    WM_STYLE_SET style;
    style.shading_type = marker;
    CONFIG_FILE config(file.c_str(), 1);
    ASSERT_TRUE(style.write_text(&config, nullptr, 0, &folder));
  }

  void write_effects(const std::string& text) { zt::write_text(skin + "/dialog_effects.cfg", text); }

  // The skin folder as a path text, the form the loader takes.
  void load() {
    FOLDER folder;
    ASSERT_TRUE(folder.set_if_directory(skin.c_str()));
    char text[FOLDER_PATH_SIZE];
    folder.to_variable_form(text);
    ASSERT_EQ(text[0], '$') << text;
    load_skin(&db, text);
  }
};

TEST_F(SkinLoader, EmptySkinFolderChangesOnlyTheProgressRates) {
  const INT_U32 button_shading = wm_dialog_button_style.shading_type;
  const INT_U8 hint_ready = wm_button_hint_style_ready;
  load();
  for (const WM_STYLE_SET& s : db.styles) EXPECT_EQ(s.shading_type, 1u);
  for (const IMAGE& icon : db.icons) EXPECT_EQ(icon.width, 0);
  EXPECT_EQ(wm_dialog_button_style.shading_type, button_shading);
  EXPECT_EQ(wm_button_hint_style_ready, hint_ready);
  EXPECT_EQ(wm_dialog_effects.flags, 0x047Cu);
  EXPECT_EQ(wm_dialog_effects.open_delay, 300u);
  EXPECT_EQ(wm_dialog_effects.display_delay, 1000u);
  EXPECT_EQ(wm_dialog_effects.dragging_alpha, 192u);
  EXPECT_EQ(db.progress_rate_x, 0);
  EXPECT_EQ(db.progress_rate_y, 0);
  EXPECT_EQ(db.progress_update_rate, 0);
}

TEST_F(SkinLoader, OnlyTheForwardIcon) {
  IMAGE picture;
  picture.create(5, 3);
  picture.pixels[0] = 0xFF102030;
  FOLDER icons;
  ASSERT_TRUE(icons.set_if_directory(sub("icons").c_str()));
  DATA_FILE* file = open_data_file(&icons, "forw_icon.png", DATA_FILE_WRITE, 0, 0);
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(picture.save_png(file));
  close_data_file(&file);
  db.icons[1].create(2, 2);  // an icon the skin does not hold stays
  load();
  ASSERT_EQ(db.icons[0].width, 5);
  EXPECT_EQ(db.icons[0].height, 3);
  EXPECT_EQ(db.icons[0].pixels[0], 0xFF102030u);
  EXPECT_EQ(db.icons[1].width, 2);
  for (int i = 2; i < DATABASE_ICON_COUNT; i++) EXPECT_EQ(db.icons[i].width, 0) << i;
  for (const WM_STYLE_SET& s : db.styles) EXPECT_EQ(s.shading_type, 1u);
  EXPECT_EQ(db.progress_update_rate, 0);
}

TEST_F(SkinLoader, EffectValuesAreDecimalAndCutToTheirWidth) {
  write_effects(
      "flags\n0x47C\nopen_delay\n4000000000\ndisplay_delay\n25\ndragging_alpha\n300\n"
      "progress_bar_animation_x_rate\n65537\nprogress_bar_animation_update_rate\n40\n");
  wm_dialog_effects.flags |= 0x10000;  // bits above the stored ones stay
  load();
  EXPECT_EQ(wm_dialog_effects.flags, 0x10000u);
  EXPECT_EQ(wm_dialog_effects.display_delay, 25u);
  EXPECT_EQ(wm_dialog_effects.dragging_alpha, 44u);
  EXPECT_EQ(db.progress_rate_x, 1);
  EXPECT_EQ(db.progress_rate_y, 0);
  EXPECT_EQ(db.progress_update_rate, 40);
}

TEST_F(SkinLoader, AValueThatIsNoNumberLeavesItsField) {
  write_effects("display_delay\nsoon\nprogress_bar_animation_y_rate\nfast\nopen_delay\n12\n");
  load();
  EXPECT_EQ(wm_dialog_effects.display_delay, 1000u);
  EXPECT_EQ(wm_dialog_effects.open_delay, 12u);
  EXPECT_EQ(db.progress_rate_y, 0);  // the reset value before the file is read
}

TEST_F(SkinLoader, ButtonFolderWithoutButtonStyleStillReplacesTheDialogButtonStyle) {
  write_style("button", "menu_button.ss", 42);
  write_style("dialog", "background.ss", 43);
  WM_STYLE_SET looked_after = wm_dialog_button_style;
  ASSERT_NE(looked_after.ssf, 0u);
  load();
  EXPECT_EQ(db.styles[STYLE_MENU_BUTTON].shading_type, 42u);
  // The failed read of the missing file left the temporary set with its
  // flags cleared, and it was copied anyway.
  EXPECT_EQ(wm_dialog_button_style.shading_type, 1u);
  EXPECT_EQ(wm_dialog_button_style.ssf, 0u);
  EXPECT_EQ(wm_dialog_background_style.shading_type, 43u);
  // "dialog/title.ss" is missing too: the temporary set still holds the
  // background style the read before it loaded.
  EXPECT_EQ(wm_dialog_title_style.shading_type, 43u);
}

TEST_F(SkinLoader, TextStyleInDialogAndTextWindowFolders) {
  write_style("dialog", "text.ss", 51);
  write_style("text_win", "text.ss", 55);
  write_style("button", "button_hints.ss", 60);
  load();
  EXPECT_EQ(db.styles[STYLE_DIALOG_TEXT].shading_type, 51u);
  EXPECT_EQ(db.styles[STYLE_TEXT].shading_type, 55u);
  EXPECT_EQ(wm_button_hint_style.shading_type, 60u);
  EXPECT_EQ(wm_button_hint_style_ready, 1);
  EXPECT_EQ(db.styles[STYLE_OPTIONS_SECOND].shading_type, 1u);
}

TEST_F(SkinLoader, EveryFileReachesItsDestination) {
  const struct {
    const char* folder;
    const char* file;
    int style;
  } files[] = {{"button", "menu_button.ss", 11},     {"menu", "menu_dropdown.ss", 10},
               {"menu", "menu_item.ss", 12},         {"menu", "menu_alt_item.ss", 13},
               {"check_box", "check_box.ss", 7},     {"progress_bar", "progress_bar.ss", 8},
               {"progress_bar", "progress_bar_script.ss", 9}, {"options", "options.ss", 2},
               {"text_win", "scrollbar.ss", 6},      {"text_win", "text_title.ss", 4},
               {"title", "title.ss", 0}};
  for (const auto& f : files) write_style(f.folder, f.file, 300 + f.style);
  write_style("dialog", "title.ss", 71);
  write_style("button", "button.ss", 72);
  load();
  for (const auto& f : files) EXPECT_EQ(db.styles[f.style].shading_type, 300u + f.style) << f.file;
  EXPECT_EQ(wm_dialog_title_style.shading_type, 71u);
  EXPECT_EQ(wm_dialog_button_style.shading_type, 72u);
}

TEST_F(SkinLoader, AFolderTextWithAnUnknownVariableLoadsNothing) {
  write_effects("dragging_alpha\n7\n");
  load_skin(&db, "$NOPE/skin");
  EXPECT_EQ(wm_dialog_effects.dragging_alpha, 192u);
  EXPECT_EQ(db.progress_rate_x, 0);
}

}  // namespace
