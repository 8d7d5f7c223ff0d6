// The configuration-selection screen.
#include "config_select.h"

#include <cstring>
#include <string>

#include "app.h"
#include "app_installer.h"
#include "config_file.h"
#include "database.h"
#include "folder.h"
#include "install_dialog.h"
#include "window.h"
#include "wm_button.h"
#include "wm_file_select.h"
#include "wm_script.h"

const char configuration_settings_file[] = "settings.cfg";
const char configuration_last_path_key[] = "last_path";
const char configuration_last_name_key[] = "last_filename";

namespace {

const char kStartFolder[] = "$APPDATA";
const char kOpenText[] = "Open";
const char kExtension[] = ".xml";
const char kTitle[] = "Select Installation Configuration";
const char kStatus[] = "Select the XML configuration file.";
const INT_U16 kNoLimit = 65535;
// Room for a 256-character name, the extension and the terminator.
const size_t kNameSize = 256 + sizeof kExtension;

// The settings file, cached: read on first use, written back on every change.
// Its folder is made when missing: before it exists "$USERPREFS" falls back
// to the program's folder (or a "data" folder above it), where the settings
// would land, or be lost when that folder is read-only.
struct SETTINGS {
  CONFIG_FILE file;
  FOLDER folder;
  SETTINGS() : folder(FOLDER::UNSET{}) {
    file.init(configuration_settings_file, 1);
    folder.set("$USERPREFS", 0, nullptr, 1);
  }
};

// A stored path is used only when it begins with a variable FOLDER::set knows
// (it resolves nothing else; later '$' segments are folder names). An empty,
// absolute or plain value would start from the program's folder instead.
bool usable_last_path(const char* text) {
  if (text[0] != '$') return false;
  const char* slash = std::strchr(text, '/');
  const std::string first = slash ? std::string(text, slash) : std::string(text);
  return is_known_path_variable(first.c_str());
}

// A setting holds at most CONFIG_VALUE_SIZE - 1 characters and would keep a
// longer text cut, which names another folder or file: such a text is stored
// empty, as if never chosen.
const char* storable(const char* text) { return std::strlen(text) < CONFIG_VALUE_SIZE ? text : ""; }

void open_main_window() {
  DATABASE& d = installer_database;
  WINDOW_REQUEST request = {};
  request.title = d.language_text(TEXT_APPLICATION_TITLE);
  request.width = static_cast<INT_S16>(d.window_width);
  request.height = static_cast<INT_S16>(d.window_height);
  request.full_screen = d.full_screen;
  request.min_width = d.dialog_width;
  request.max_width = kNoLimit;
  request.min_height = d.dialog_height;
  request.max_height = kNoLimit;
  request.undecorated = 0;
  open_window(&request, 0);
}

}  // namespace

void select_configuration_page(PAGE_MANAGER* pm) {
  pm->request_page(pm->current_area, build_configuration_page, nullptr, 0, nullptr, 0, 0, nullptr);
}

void build_configuration_page(PAGE_MANAGER* pm) {
  DATABASE& d = installer_database;
  SETTINGS settings;
  FOLDER start(FOLDER::UNSET{});
  start.set(kStartFolder);
  char value[CONFIG_VALUE_SIZE];
  if (settings.file.get_string(&settings.folder, configuration_last_path_key, value) &&
      usable_last_path(value))
    start.set(value);
  char name[CONFIG_VALUE_SIZE] = "";
  if (!settings.file.get_string(&settings.folder, configuration_last_name_key, name)) name[0] = 0;

  if (!wm_dialog_styles_ready) WM_DIALOG::init_default_styles();
  WM_FILE_SELECT* selector = new WM_FILE_SELECT(
      0, 0, static_cast<INT_S16>(get_screen_width(0)), static_cast<INT_S16>(get_screen_height(0)),
      &d.styles[STYLE_MENU_BUTTON], &d.styles[STYLE_MENU_DROPDOWN], &d.styles[STYLE_TEXT],
      &d.styles[STYLE_TEXT], &d.styles[STYLE_SCROLLBAR], 0, handle_configuration_choice, 1, kOpenText,
      nullptr, nullptr, &d.styles[STYLE_MENU_ITEM], &d.styles[STYLE_MENU_ALT_ITEM]);
  selector->hide(0, 0);
  selector->set_mode(FILE_SELECT_OPEN, &start, name[0] ? name : nullptr, kExtension);
  selector->effects.flags = 0;
  selector->draggable = 0;
  // Only a choice leaves this screen.
  if (WM_BUTTON* cancel = selector->cancel_button)
    if (cancel->enabled) cancel->set_enabled(0);
  selector->set_title(kTitle);
  if (WM_SCRIPT* status = selector->status_label) {
    if (status->visible) status->show();
    status->set_text_value(kStatus, 0);
  }
  selector->show();
  pm->current_manager->add_popup(selector, 0);
}

INT_S32 handle_configuration_choice(WM_SCREEN_OBJECT* caller, INT_WORD command, INT_WORD value) {
  WM_FILE_SELECT* selector =
      caller && (caller->kind & WM_KIND_FILE_SELECT) ? dynamic_cast<WM_FILE_SELECT*>(caller) : nullptr;
  if (!selector || word_to_s32(command) != 1 || word_to_s32(value) == 0) return WM_ACTION_NONE;
  DATABASE& d = installer_database;
  SETTINGS settings;

  char name[kNameSize] = "";
  selector->get_result(&d.config_folder, name);
  d.config_name.set(name);
  // Remembered before the package is tried, so a folder without one is
  // still where the next start opens.
  char path[FOLDER_PATH_SIZE];
  d.config_folder.get_path_text(path, nullptr);
  settings.file.set_string(&settings.folder, configuration_last_path_key, storable(path));
  settings.file.set_string(&settings.folder, configuration_last_name_key, storable(name));

  // Every page reads the current language's texts and the run the selected
  // item: a database without either is no installation data.
  if (!d.open_package() || d.language_count < 1 || d.item_count < 1) return WM_ACTION_NONE;

  open_main_window();
  PAGE_MANAGER& pm = page_manager;
  pm.areas[0].manager.set_size(static_cast<INT_S16>(d.window_width), static_cast<INT_S16>(d.window_height), 1);

  // Gone at once: the opacity drops to 0 now and its next tick deletes it.
  selector->immediate = 1;
  selector->delete_when_closed = 1;
  selector->set_fade(0);
  selector->start_transition(0);
  selector->immediate = 0;

  register_install_page(&pm);
  set_may_quit_callback(open_quit_box);
  return PAGE_ACTION_CROSS_FADE;
}
