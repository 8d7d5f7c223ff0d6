// The installer started through the configuration-selection screen: a
// 640 x 480 window shows the full-screen file selector; choosing an XML file
// beside an "installer.pkg" hands over to the install page at the package's
// window size. Prints one "selector <folder> <name>" line when the selector
// is on show, for the tests.
#include <cstdio>

#include "app.h"
#include "app_installer.h"
#include "config_select.h"
#include "fonts.h"
#include "folder.h"
#include "install_dialog.h"
#include "window.h"
#include "wm_file_select.h"
#include "wm_globals.h"
#include "wm_text_edit.h"

namespace {

const INT_S16 kWindowWidth = 640, kWindowHeight = 480;
const INT_U16 kNoLimit = 65535;

struct APP_INFO_SETUP {
  APP_INFO_SETUP() {
    APPLICATION_INFO.app_name = "Installer 1.08";
    APPLICATION_INFO.credits_at_exit = 0;
    APPLICATION_INFO.icon_xpm = installer_icon_xpm();
  }
} app_info_setup;

// No package is loaded before the choice, so neither are its fonts: the
// built-in slots still empty are filled from the DejaVu files they are copies
// of, copied under their built-in names into the process's private folder
// (removed at shutdown).
void load_builtin_fonts() {
  FOLDER source(FOLDER::UNSET{}), folder(FOLDER::UNSET{});
  if (!source.set_if_directory(BUILTIN_FONT_SOURCE_FOLDER) || !get_private_temp_folder(&folder)) return;
  for (INT_U8 i = 0; i < BUILTIN_FONT_COUNT; i++) {
    if (is_font_loaded(static_cast<INT_S8>(i))) continue;
    const char* file = get_builtin_font_file(i);
    if (!copy_file(&source, get_builtin_font_source(i), &folder, file)) continue;
    if (font_file_usable(&folder, file)) load_font(file, get_builtin_font_family(i), i, &folder);
    folder.remove_file(file);
  }
}

// Before a choice the window's close button simply ends the program; the
// choice makes the quit box the question.
INT_U8 allow_quit(INT_U32) { return 1; }

bool reported = false;

void report_selector() {
  if (reported) return;
  WM_FILE_SELECT* selector = dynamic_cast<WM_FILE_SELECT*>(find_popup(WM_KIND_FILE_SELECT));
  if (!selector || !selector->drawn) return;
  const char* name = selector->name_box ? selector->name_box->text.text : nullptr;
  std::printf("selector %s %s\n", selector->folder.native_path_text(nullptr), name ? name : "");
  std::fflush(stdout);
  reported = true;
}

}  // namespace

void start_installer(INT_S16, char**) {
  load_builtin_fonts();
  WINDOW_REQUEST request = {};
  request.title = "Installer";
  request.width = kWindowWidth;
  request.height = kWindowHeight;
  request.min_width = request.max_width = request.min_height = request.max_height = kNoLimit;
  open_window(&request, 0);
  set_may_quit_callback(allow_quit);
  select_configuration_page(&page_manager);
}

INT_U8 update_installer() {
  const INT_U8 go_on = installer_step();
  report_selector();
  return go_on;
}

void shutdown_installer() { installer_shut_down(); }

INT_U8 confirm_quit(INT_U32 unused) { return open_quit_box(unused); }
