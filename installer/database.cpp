#include "database.h"

#include <cstdlib>
#include <cstring>

#include "package.h"
#include "text_compare.h"
#include "wm_globals.h"

void (*database_system_info_reader)(SYSTEM_INFO* info) = read_system_info;

DATABASE& installer_database_instance() {
  // Built on first use so that its members' globals exist before it; never
  // destroyed before the static destructors that may still read it.
  static DATABASE* database = new DATABASE();
  return *database;
}

namespace {

const BOX_LAYOUT kQuitBoxDefault = {-1, -1, 200, 150};
const BOX_LAYOUT kErrorBoxDefault = {-1, -1, 400, 300};
const BOX_LAYOUT kFreeBoxDefault = {-1, -1, -1, -1};

struct KEYWORD {
  const char* word;
  INT_U8 code;
};

const KEYWORD kItemTypes[] = {
    {"application", SHORTCUT_APPLICATION},
    {"weblink", SHORTCUT_WEB_LINK},
    {"textfile", SHORTCUT_TEXT_FILE},
};

const KEYWORD kPlatforms[] = {
    {"linux_i86", PLATFORM_LINUX_I86}, {"macosx", PLATFORM_MACOSX},
    {"win32", PLATFORM_WIN32},         {"gp2x", PLATFORM_GP2X},
    {"winmob_arm", PLATFORM_WINMOB_ARM}, {"psp", PLATFORM_PSP},
    {"nds", PLATFORM_NDS},
};

template <size_t N>
INT_U8 lookup_keyword(const KEYWORD (&table)[N], const char* keyword) {
  if (!keyword) return 0;
  for (const KEYWORD& k : table)
    if (compare_text_nocase(keyword, k.word) == 0) return k.code;
  return 0;
}

}  // namespace

INT_U8 parse_item_type(const char* keyword) { return lookup_keyword(kItemTypes, keyword); }
INT_U8 parse_platform(const char* keyword) { return lookup_keyword(kPlatforms, keyword); }

bool is_usable_path_text(const char* text) {
  if (!text || text[0] != '$') return text != nullptr;
  char name[FOLDER_SEGMENT_MAX + 1];
  const size_t n = strcspn(text, "/");
  if (n > FOLDER_SEGMENT_MAX) return false;
  memcpy(name, text, n);
  name[n] = 0;
  return is_known_path_variable(name);
}

DATABASE::DATABASE() {
  config_name.set("installer.xml");
  config_folder.set("$APPDATA");
  reset();
}

DATABASE::~DATABASE() {
  // As reset, without gathering the system information only to free it.
  free_tables();
  delete package;
  package = nullptr;
  free_system_info(&system_info);
}

void DATABASE::reset() {
  show_frame_rate = 0;
  show_whole_path = 1;
  show_folder_part = 1;
  file_buffer_size = 0x100000;
  default_language[0] = 0;
  window_width = 300;
  window_height = 200;
  full_screen = 0;
  show_title_banner = 0;
  dialog_width = 200;
  dialog_height = 150;
  dialog_gap = 10;
  dialog_draggable = 1;
  quit_box = kQuitBoxDefault;
  quit_box_draggable = 1;
  error_box = kErrorBoxDefault;
  error_box_draggable = 1;
  browser_box = kFreeBoxDefault;
  browser_prompt_on_box = 0;
  browser_draggable = 1;
  about_box = kFreeBoxDefault;
  about_box_draggable = 1;
  animation_folder[0] = 0;
  animation_image[0] = 0;
  animation_period = 600;
  animation_strip_width = -1;
  animation_strip_height = -1;
  animation_delay = 0;
  log_folder[0] = 0;
  second_log_folder[0] = 0;

  for (WM_STYLE_SET& style : styles) style.reset();

  extra_text[0] = 0;
  extra_value = 0;
  application_name[0] = 0;

  free_tables();

  strcpy(target_folder, "$ROOT0");
  selected_item = 0;
  current_language = 0;
  current_page = INSTALL_PAGE_START;
  use_second_folders = 1;
  desktop_shortcuts = 1;
  menu_entries = 1;

  if (database_system_info_reader) database_system_info_reader(&system_info);

  WM_STYLE_SET& second = styles[STYLE_OPTIONS_SECOND];
  second.fg_colour = wm_default_colour;
  second.bg_colour = wm_default_colour;
  second.ssf = 0;
  second.shading_flags = 0;
}

void DATABASE::free_tables() {
  // Tables are zeroed when allocated, so entries a failed read never reached
  // hold null pointers and zero counts here.
  for (INT_S16 i = 0; items && i < item_count; i++) {
    free(items[i].files);
    free(items[i].shortcuts);
  }
  free(items);
  items = nullptr;
  item_count = 0;
  for (INT_S16 i = 0; languages && i < language_count; i++) free(languages[i].item_names);
  free(languages);
  languages = nullptr;
  language_count = 0;
}

const char* DATABASE::language_text(int n) const {
  if (!languages || current_language < 0 || current_language >= language_count || n < 0 ||
      n >= LANGUAGE_TEXT_COUNT)
    return "";
  return languages[current_language].text(n);
}
