// The installation database: everything that varies from one installation to
// the next (layout, skin, texts per language, items with their files and
// shortcuts) and the installer's run-time state. One instance,
// `installer_database`; its persistent part is the record "database.bin" in
// the installer package.
#ifndef INSTALLER_DATABASE_H
#define INSTALLER_DATABASE_H

#include "data_device.h"
#include "desktop.h"
#include "folder.h"
#include "image.h"
#include "style_set.h"
#include "system_info.h"
#include "zorv_string.h"
#include "zorv_types.h"

class INSTALL_DIALOG;
class PACKAGE;

// Width of every text field of the records.
enum { DATABASE_TEXT_SIZE = 256 };

enum {
  DATABASE_STYLE_COUNT = 14,
  DATABASE_ICON_COUNT = 24,
  LANGUAGE_TEXT_COUNT = 58,
  // Texts 0..53 stand before the item names, 54..57 after them.
  LANGUAGE_TEXTS_BEFORE_NAMES = 54,
  DATABASE_RECORD_VERSION = 7
};

// Page numbers (`current_page`).
enum : INT_S32 {
  INSTALL_PAGE_START = 2,  // never built: the value a reset database starts with
  INSTALL_PAGE_LANGUAGE = 3,
  INSTALL_PAGE_LICENCE = 4,
  INSTALL_PAGE_ITEM = 5,
  INSTALL_PAGE_TARGET = 6,
  INSTALL_PAGE_PROGRESS = 7,
  INSTALL_PAGE_README = 8,
  INSTALL_PAGE_FINISH = 9  // never built: going there ends the program
};

// Platform codes of files and shortcuts (`parse_platform`); only "every" and
// Linux ones are installed.
enum : INT_U8 {
  PLATFORM_ANY = 0,
  PLATFORM_LINUX_I86 = 1,
  PLATFORM_MACOSX = 17,
  PLATFORM_WIN32 = 33,
  PLATFORM_GP2X = 0x81,
  PLATFORM_WINMOB_ARM = 0x82,
  PLATFORM_PSP = 0x83,
  PLATFORM_NDS = 0x84
};

// Shortcut kinds (`parse_item_type`): SHORTCUT_APPLICATION, _WEB_LINK and
// _TEXT_FILE are the desktop layer's (desktop.h).
enum : INT_U8 { SHORTCUT_NONE = 0 };

// Indices into `DATABASE::styles`, named for their users.
enum {
  STYLE_TITLE = 0,            // title banner
  STYLE_DIALOG_TEXT = 1,      // stored only
  STYLE_OPTIONS = 2,          // grids of the language, item and target pages
  STYLE_OPTIONS_SECOND = 3,   // second style of those grids (never from a skin)
  STYLE_TEXT_TITLE = 4,       // target page labels
  STYLE_TEXT = 5,             // text windows, target path button, folder browser
  STYLE_SCROLLBAR = 6,        // second style of text windows
  STYLE_CHECK_BOX = 7,
  STYLE_PROGRESS_BAR = 8,
  STYLE_PROGRESS_SCRIPT = 9,  // status line above the progress bar
  STYLE_MENU_DROPDOWN = 10,
  STYLE_MENU_BUTTON = 11,
  STYLE_MENU_ITEM = 12,
  STYLE_MENU_ALT_ITEM = 13
};

// Indices into `DATABASE::icons`.
enum {
  ICON_FORWARD = 0,
  ICON_PREVIOUS = 1,
  ICON_YES = 2,
  ICON_NO = 3,
  ICON_QUIT = 4,
  ICON_ABOUT = 5,
  ICON_FINISH = 6,
  ICON_AGREE = 7,
  ICON_DISAGREE = 8,
  ICON_INSTALL = 9,
  ICON_NEW_FOLDER = 10,
  ICON_FIRST_DRIVE = 11,  // 11..20: the file selector's drive icons 0..9
  ICON_PARENT_FOLDER = 21,
  ICON_FILE = 22,
  ICON_FOLDER = 23
};

// Language texts by number.
enum {
  TEXT_LANGUAGE_NAME = 0,  // compared with default_language; written into the log
  TEXT_LANGUAGE_OWN_NAME = 1,
  TEXT_APPLICATION_TITLE = 2,
  TEXT_QUIT_TITLE = 3,
  TEXT_QUIT_MESSAGE = 4,
  TEXT_QUIT_YES = 5,
  TEXT_QUIT_NO = 6,
  TEXT_FAILURE_TITLE = 7,
  TEXT_FAILURE_MESSAGE = 8,
  TEXT_FAILURE_GO_ON = 9,
  TEXT_FAILURE_GO_BACK = 10,
  TEXT_NEXT = 11,
  TEXT_NEXT_HINT = 12,
  TEXT_BACK = 13,
  TEXT_BACK_HINT = 14,
  TEXT_ACCEPT = 15,
  TEXT_ACCEPT_HINT = 16,
  TEXT_DECLINE = 17,
  TEXT_DECLINE_HINT = 18,
  TEXT_QUIT = 19,
  TEXT_QUIT_HINT = 20,
  TEXT_ABOUT = 21,  // also the about box's title
  TEXT_ABOUT_HINT = 22,
  TEXT_INSTALL = 23,
  TEXT_INSTALL_HINT = 24,
  TEXT_FINISH = 25,
  TEXT_FINISH_HINT = 26,
  TEXT_CAPTION_LANGUAGE = 27,
  TEXT_CAPTION_LICENCE = 28,
  TEXT_CAPTION_README = 29,
  TEXT_CAPTION_ITEM = 30,
  TEXT_CAPTION_TARGET = 31,
  TEXT_TARGET_FOLDER_LABEL = 32,
  TEXT_SECOND_FOLDERS = 33,
  TEXT_SHORTCUTS_LABEL = 34,
  TEXT_DESKTOP_SHORTCUTS = 35,
  TEXT_MENU_ENTRIES = 36,
  TEXT_CAPTION_PROGRESS = 37,
  TEXT_PROGRESS_START = 38,
  TEXT_PROGRESS_NO_PATHS = 39,
  TEXT_PROGRESS_SHORTCUTS = 40,
  TEXT_PROGRESS_MENU_ENTRIES = 41,
  TEXT_STORED_42 = 42,
  TEXT_STORED_43 = 43,
  TEXT_PROGRESS_DONE = 44,
  TEXT_OK = 45,
  TEXT_CANCEL = 46,
  TEXT_NEW_FOLDER = 47,
  TEXT_BROWSER_TITLE = 48,
  TEXT_BROWSER_LABEL_1 = 49,
  TEXT_BROWSER_LABEL_2 = 50,
  TEXT_BROWSER_DRIVES = 51,
  TEXT_NEW_FOLDER_NAME = 52,
  TEXT_NEW_FOLDER_PROMPT = 53,
  TEXT_STORED_54 = 54,
  TEXT_STORED_55 = 55,
  TEXT_STORED_56 = 56,
  TEXT_STORED_57 = 57
};

// Placement of a box: -1 lets the box choose (centred, or sized to content).
struct BOX_LAYOUT {
  INT_S16 x;
  INT_S16 y;
  INT_S16 width;
  INT_S16 height;
};

struct INSTALL_FILE {
  char name[DATABASE_TEXT_SIZE];          // unpacked name when install_name is empty
  char spare_text[DATABASE_TEXT_SIZE];    // carried only
  char folder[DATABASE_TEXT_SIZE];        // path text, relative to the target folder
  INT_U8 platform;                        // PLATFORM_*: 0 and 1 are installed, 1 made executable
  char install_name[DATABASE_TEXT_SIZE];  // empty = name
  char second_folder[DATABASE_TEXT_SIZE]; // empty = folder
  INT_U8 spare_flag;                      // carried only
  char package_entry[DATABASE_TEXT_SIZE]; // empty = not installed
};

struct INSTALL_SHORTCUT {
  INT_U8 kind;                            // SHORTCUT_*
  char target[DATABASE_TEXT_SIZE];
  char title[DATABASE_TEXT_SIZE];
  char menu_section[DATABASE_TEXT_SIZE];  // empty = a desktop shortcut
  INT_U8 platform;                        // as INSTALL_FILE::platform
  char arguments[DATABASE_TEXT_SIZE];
  char icon_folder[DATABASE_TEXT_SIZE];
  char second_icon_folder[DATABASE_TEXT_SIZE];
  char icon_name[DATABASE_TEXT_SIZE];
  char target_location[DATABASE_TEXT_SIZE];
  char second_target_location[DATABASE_TEXT_SIZE];
};

struct INSTALL_ITEM {
  char name[DATABASE_TEXT_SIZE];
  char default_folder[DATABASE_TEXT_SIZE];  // becomes target_folder when chosen
  INT_U8 allows_second_folders;
  INSTALL_FILE* files;  // malloc, file_count records
  INT_S16 file_count;
  INSTALL_SHORTCUT* shortcuts;  // malloc, shortcut_count records
  INT_S16 shortcut_count;
  INT_U8 has_desktop_shortcuts;  // computed when the package is opened
  INT_U8 has_menu_entries;
};

struct INSTALL_LANGUAGE {
  char texts[LANGUAGE_TEXTS_BEFORE_NAMES][DATABASE_TEXT_SIZE];
  char (*item_names)[DATABASE_TEXT_SIZE];  // malloc, item_count names; null without items
  char texts_after[LANGUAGE_TEXT_COUNT - LANGUAGE_TEXTS_BEFORE_NAMES][DATABASE_TEXT_SIZE];
  INT_S16 readme_lines;  // line capacity of the readme text window

  // Text n (0..57) of the language.
  char* text(int n) {
    return n < LANGUAGE_TEXTS_BEFORE_NAMES ? texts[n] : texts_after[n - LANGUAGE_TEXTS_BEFORE_NAMES];
  }
  const char* text(int n) const {
    return n < LANGUAGE_TEXTS_BEFORE_NAMES ? texts[n] : texts_after[n - LANGUAGE_TEXTS_BEFORE_NAMES];
  }
};

class DATABASE : public DATA_DEVICE_CLIENT {
 public:
  INT_U8 show_frame_rate;
  INT_U8 show_whole_path;
  INT_U8 show_folder_part;
  INT_U32 file_buffer_size;
  char default_language[DATABASE_TEXT_SIZE];
  INT_U16 window_width, window_height;
  INT_U8 full_screen;
  INT_U8 show_title_banner;
  INT_S16 dialog_x = 0, dialog_y = 0;
  INT_U16 dialog_width, dialog_height;
  INT_U16 dialog_gap;
  INT_U8 dialog_draggable;
  BOX_LAYOUT quit_box;
  INT_U8 quit_box_draggable;
  BOX_LAYOUT error_box;
  INT_U8 error_box_draggable;
  BOX_LAYOUT browser_box;
  INT_U8 browser_prompt_on_box;
  INT_U8 browser_draggable;
  BOX_LAYOUT about_box;
  INT_U8 about_box_draggable;
  char animation_folder[DATABASE_TEXT_SIZE];
  char animation_image[DATABASE_TEXT_SIZE];
  INT_S32 animation_period;  // 0 = no strip: `background` is shown
  INT_S16 animation_strip_width, animation_strip_height;
  INT_U16 animation_delay;
  char log_folder[DATABASE_TEXT_SIZE];
  char second_log_folder[DATABASE_TEXT_SIZE];
  WM_STYLE_SET styles[DATABASE_STYLE_COUNT];
  IMAGE icons[DATABASE_ICON_COUNT];
  INT_U16 progress_rate_x = 0, progress_rate_y = 0, progress_update_rate = 0;
  char extra_text[DATABASE_TEXT_SIZE];  // carried only
  INT_S32 extra_value;
  char application_name[DATABASE_TEXT_SIZE];
  INSTALL_ITEM* items = nullptr;  // malloc, item_count records
  INT_S16 item_count = 0;
  INSTALL_LANGUAGE* languages = nullptr;  // malloc, language_count records
  INT_S16 language_count = 0;
  IMAGE background;
  PACKAGE* package = nullptr;  // the open installer package
  INT_S16 selected_item;
  INT_S16 current_language;
  INT_S32 current_page;
  SYSTEM_INFO system_info;
  char target_folder[FOLDER_PATH_SIZE];
  INT_U8 use_second_folders;
  INT_U8 desktop_shortcuts;
  INT_U8 menu_entries;
  INT_U8 automatic = 0;        // option -a: no language page
  INT_U8 target_platform = 0;  // option -p
  ZORV_STRING config_name;
  FOLDER config_folder;  // holds "installer.pkg"

  DATABASE();
  ~DATABASE() override;
  DATABASE(const DATABASE&) = delete;
  DATABASE& operator=(const DATABASE&) = delete;

  // Every field back to its default, tables freed, the system information
  // gathered again. Leaves the dialog position, icons, background, progress
  // rates, package, automatic, target_platform and the configuration alone.
  void reset();

  // The record (reads versions 1 to 7, writes 7).
  bool get_from_data_device(DATA_DEVICE* device) override;
  bool put_to_data_device(DATA_DEVICE* device) override;
  // The skin part of the record.
  bool read_skin(DATA_DEVICE* device);
  bool write_skin(DATA_DEVICE* device);
  // The record in "installer.idx" in config_folder.
  bool load_index();
  bool save_index();

  // Finds "installer.pkg" in config_folder, reads the record from its entry
  // "database.bin", loads the fonts it carries and leaves the package open.
  bool open_package();
  // Why open_package (or the start-up after it) found no installation data:
  // the package's path and the reason, one line; "" when nothing was wrong.
  char package_problem[2 * FOLDER_PATH_SIZE] = {};
  void note_package_problem(const char* why);

  // One step of the installation run on the installation page (nothing on
  // any other page); the dialog shows its progress.
  void install_step(INSTALL_DIALOG* dialog);

  // Page sequence around current_page.
  INT_S32 next_page();
  INT_S32 previous_page();
  static bool has_document(PACKAGE* package, const char* name);

  // The current language's text n; "" when there is no such language.
  const char* language_text(int n) const;

 private:
  void free_tables();
  bool has_licence();
  bool has_readme();
};

extern DATABASE& installer_database_instance();
// Built on first use, kept to the end of the process.
#define installer_database (installer_database_instance())

// Reads the system information for reset; tests and the fuzzer replace it.
extern void (*database_system_info_reader)(SYSTEM_INFO* info);

// Keyword tables (case ignored): unknown keywords give 0.
INT_U8 parse_item_type(const char* keyword);
INT_U8 parse_platform(const char* keyword);

// Copy a style set into a dialog default style after making the defaults
// ready, so their one-time initialisation cannot overwrite the copy later.
WM_STYLE_SET* set_dialog_background_style(const WM_STYLE_SET* style);
WM_STYLE_SET* set_dialog_title_style(const WM_STYLE_SET* style);
WM_STYLE_SET* set_dialog_button_style(const WM_STYLE_SET* style);

// Copies icons 11 to 23 into the file selector's drive, parent-folder, file
// and folder icons.
void give_file_selector_icons(const DATABASE* db);

// Path texts from a record: usable when a leading '$' segment names a known
// variable (later '$' segments are ordinary folder names).
bool is_usable_path_text(const char* text);

// Reads a skin folder into the database and the dialog and hint globals.
void load_skin(DATABASE* database, const char* skin_folder);

#endif
