// Headless set-up for the install dialog, command and quit-box tests: the
// widget fixture's screen, font and scripted clocks, the installer's own page
// manager, and an installation database built in the test (texts "T<n>" in
// language 0, "L<l> T<n>" in the others).
#ifndef INSTALL_DIALOG_ENV_H
#define INSTALL_DIALOG_ENV_H

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../widgets/widget_test_env.h"
#include "app_installer.h"
#include "database.h"
#include "folder.h"
#include "install_dialog.h"
#include "install_run.h"
#include "package.h"
#include "test_support.h"
#include "wm_button.h"
#include "clock.h"
#include "style_set.h"
#include "wm_check_box.h"
#include "wm_confirm.h"
#include "wm_dialog.h"
#include "wm_grid.h"
#include "wm_progress.h"
#include "wm_script.h"
#include "wm_text_win.h"

namespace inst {

using namespace wgt;

const INT_S16 kScreenW = 640, kScreenH = 480;

inline int& swaps() {
  static int n = 0;
  return n;
}
inline int& platform_frames() {
  static int n = 0;
  return n;
}
inline void count_swap(INT_S16) { ++swaps(); }
inline void count_frame() { ++platform_frames(); }
inline void no_system_info(SYSTEM_INFO*) {}

// The text of a label ("" without one).
inline std::string label_of(const WM_SCRIPT* s) {
  return s && s->text.tag == TV_TEXT && s->text.value.text ? s->text.value.text : "";
}
inline std::string text_of(const WM_BUTTON* b) { return b && b->text ? b->text : ""; }
inline std::string hint_of(const WM_BUTTON* b) { return b ? label_of(b->hint) : ""; }
inline INT_S32 command_of(const WM_BUTTON* b) { return word_to_s32(b->action_arg1); }
inline INT_S32 value_of(const WM_BUTTON* b) { return word_to_s32(b->action_arg2); }

// Children of the dialog's client area of a kind.
template <typename T>
T* find_child(INSTALL_DIALOG* dialog, INT_U32 kind) {
  for (INT_S16 i = 0;; ++i) {
    WM_SCREEN_OBJECT* o = dialog->client_area->child_at(i);
    if (!o) return nullptr;
    if (o->kind & kind) return dynamic_cast<T*>(o);
  }
}

// The program's page manager, database, install page, installation run and
// look are globals that outlive a case: this puts them back as the program
// starts, with no page (the page manager accepts a request by itself only
// into an empty history), whichever case ran before in this process.
inline void reset_installer_state() {
  // Boxes (a failure box, the quit box) are on the pop-up list, which
  // resetting the page area leaves alone.
  page_manager.areas[0].manager.release_children(1, 0, 0);
  page_manager.areas[0].reset();  // releases the install page and its strip
  page_manager.fade_in_first_page = 0;
  DATABASE& d = installer_database;
  d.reset();
  d.automatic = 0;
  d.target_platform = 0;
  d.background.init(-1, -1);
  delete d.package;
  d.package = nullptr;
  animation_start_ms = 0;
  install_step_count = 0;
  install_step_limit = 0;
  install_error_count = 0;
  install_log_present = 0;
  reset_base_path();
  set_idle_wait(50);
  // A loaded record replaces the dialogs' effects and the default styles.
  wm_dialog_effects = {0x047C, 300, 1000, 192};
  wm_dialog_styles_ready = 0;
  wm_button_hint_style_ready = 0;
  wm_style_image_cache_flags = 1;
}

// Runs this test program again with `arguments` (cases chosen, shuffled,
// repeated); its exit status, and its output in *out.
inline int run_this_program(const std::string& arguments, std::string* out) {
  char exe[4096];
  const ssize_t len = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (len <= 0) return -1;
  exe[len] = 0;
  return zt::sh("'" + std::string(exe) + "' " + arguments + " 2>&1", out);
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_default_font();
    screen = make_screen(kScreenW, kScreenH, kBackdrop);
    screen->font = static_cast<INT_S8>(kFont);
    screen->font_width = screen->font_height = kFontSize;
    clock_now() = kClockStart;
    wall_now() = kWallStart;
    utility_clock = scripted_wall_clock;
    wm_use_cursor_shapes = 0;
    keys_down().clear();
    pointer(-1, -1, 0);
    progress_update_platform = count_frame;
    progress_swap_screens = count_swap;
    database_system_info_reader = no_system_info;
    // Page switches show at once (no transition loop on a scripted clock).
    page_manager.transition_time = 0;
  }

  // A database of `languages` languages and `items` items; documents (a
  // package in the sandbox) for the languages listed.
  void make_database(int languages, int items, const std::string& licences = "0",
                     const std::string& readmes = "0") {
    DATABASE& d = installer_database;
    d.reset();
    d.dialog_width = 480;
    d.dialog_height = 360;
    d.dialog_x = 20;
    d.dialog_y = 20;
    d.animation_period = 0;
    d.languages = static_cast<INSTALL_LANGUAGE*>(std::calloc(languages, sizeof(INSTALL_LANGUAGE)));
    d.language_count = static_cast<INT_S16>(languages);
    for (int l = 0; l < languages; ++l) {
      INSTALL_LANGUAGE& lang = d.languages[l];
      for (int t = 0; t < LANGUAGE_TEXT_COUNT; ++t) {
        if (l == 0)
          std::snprintf(lang.text(t), DATABASE_TEXT_SIZE, "T%d", t);
        else
          std::snprintf(lang.text(t), DATABASE_TEXT_SIZE, "L%d T%d", l, t);
      }
      lang.item_names = static_cast<char(*)[DATABASE_TEXT_SIZE]>(std::calloc(items, DATABASE_TEXT_SIZE));
      for (int i = 0; i < items; ++i) std::snprintf(lang.item_names[i], DATABASE_TEXT_SIZE, "Item %d", i);
      lang.readme_lines = 200;
    }
    d.items = static_cast<INSTALL_ITEM*>(std::calloc(items, sizeof(INSTALL_ITEM)));
    d.item_count = static_cast<INT_S16>(items);
    for (int i = 0; i < items; ++i) {
      std::snprintf(d.items[i].name, DATABASE_TEXT_SIZE, "item%d", i);
      std::snprintf(d.items[i].default_folder, DATABASE_TEXT_SIZE, "$ROOT0/item%d", i);
      d.items[i].allows_second_folders = 1;
      d.items[i].has_desktop_shortcuts = 1;
      d.items[i].has_menu_entries = 1;
    }
    std::snprintf(d.target_folder, sizeof d.target_folder, "%s", d.items[0].default_folder);
    d.system_info.has_drive_list = 1;
    d.system_info.can_desktop_shortcut = 1;
    d.system_info.can_menu_entry = 1;
    make_package(licences, readmes);
  }

  // "installer.pkg" in the sandbox with a licence and a readme for each
  // language digit listed.
  void make_package(const std::string& licences, const std::string& readmes) {
    DATABASE& d = installer_database;
    delete d.package;
    d.package = nullptr;
    const std::string dir = zt::make_temp_dir("pkg");
    FOLDER folder;
    folder.set(("$ROOT2" + dir).c_str());
    d.package = new PACKAGE(&folder, "installer.pkg", 1, 1024, 0);
    auto store = [&](const std::string& name, const std::string& body) {
      zt::write_text(dir + "/" + name, body);
      d.package->store_file(&folder, name.c_str());
      std::remove((dir + "/" + name).c_str());
    };
    for (char c : licences) store(std::string("licence-") + c, std::string("Licence ") + c + " line one\nline two\n");
    for (char c : readmes) store(std::string("readme-") + c, std::string("Readme ") + c + "\n");
  }

  // Builds the install page for `page` (the first frame accepts it).
  INSTALL_DIALOG* show_page(INT_S32 page) {
    installer_database.current_page = page;
    if (!registered) {
      register_install_page(&page_manager);
      registered = true;
    }
    page_manager.update(0);
    return install_dialog;
  }
  // Rebuilds the page as a page change does.
  INSTALL_DIALOG* rebuild(INT_S32 page) {
    installer_database.current_page = page;
    kick = new PROBE("kick", 0, 0, 1, 1);
    kick->tick_result = PAGE_ACTION_REBUILD_CLOSE_POPUPS;
    page_manager.current_manager->add_child(kick, 0);
    page_manager.update(0);
    return install_dialog;
  }
  // Paints the whole screen now (every widget's drawing runs).
  void redraw_all_now() {
    page_manager.current_manager->invalidate_display();
    page_manager.redraw();
  }
  INT_S32 frame(INT_U32 ms = 16) {
    clock_now() += ms;
    return page_manager.update(0);
  }
  // A click as a person makes it, on a box button: the box's opening
  // transition ends first, its closing one after.
  void click_button(WM_BUTTON* button) {
    for (int i = 0; i < 3; ++i) frame(1000);
    press_and_release(button);
    for (int i = 0; i < 5; ++i) frame(1000);
  }
  // The press and release alone, a frame each, the pointer then leaving.
  void press_and_release(WM_BUTTON* button) {
    const INT_S16 cx = static_cast<INT_S16>(button->x + button->width / 2);
    const INT_S16 cy = static_cast<INT_S16>(button->y + button->height / 2);
    pointer(cx, cy, 0);
    frame();
    pointer(cx, cy, 1);
    frame();
    pointer(cx, cy, 0);
    frame();
    pointer(-1, -1, 0);
  }

  IMAGE* screen = nullptr;
  bool registered = false;
  PROBE* kick = nullptr;
};

}  // namespace inst

#endif
