// The file and folder browser: a dialog listing the folders and files of a
// current folder, with a location drop-down of its ancestors and "My
// Computer" (the drives), a name box, "New Folder", "OK" and "Cancel". Modes:
// 1 choose an existing file, 2 a new or existing file name, 3 a folder. The
// caller's action callback gets (selector, action_arg1, answer), answer 1 for
// OK and 0 for Cancel, and reads the choice with get_result.
#ifndef WM_FILE_SELECT_H
#define WM_FILE_SELECT_H

#include "folder.h"
#include "style_set.h"
#include "wm_dialog.h"
#include "zorv_string.h"
#include "zorv_types.h"

class WM_BUTTON;
class WM_GRID;
class WM_MENU;
class WM_SCRIPT;
class WM_TEXT_EDIT;

enum : INT_U8 {
  FILE_SELECT_OPEN = 1,    // an existing file
  FILE_SELECT_SAVE = 2,    // a new or existing file
  FILE_SELECT_FOLDER = 3   // a folder
};

class WM_FILE_SELECT : public WM_DIALOG {
 public:
  // Width -1 = 500, height -1 = 350; null texts are "OK", "Cancel" and "New
  // Folder"; null item styles leave the menu its own.
  WM_FILE_SELECT(INT_S16 x, INT_S16 y, INT_S16 width, INT_S16 height,
                 const WM_STYLE_SET* menu_button_style, const WM_STYLE_SET* menu_frame_style,
                 const WM_STYLE_SET* name_box_style, const WM_STYLE_SET* list_style,
                 const WM_STYLE_SET* list_scrollbar_style, INT_U8 visible,
                 WM_ACTION_CALLBACK callback, INT_WORD action_arg1, const char* ok_text,
                 const char* cancel_text, const char* new_folder_text,
                 const WM_STYLE_SET* menu_item_style,
                 const WM_STYLE_SET* menu_alternate_item_style);
  // 500 x 350 with styles derived from the dialog's button style.
  WM_FILE_SELECT(INT_S16 x, INT_S16 y, INT_U8 visible, WM_ACTION_CALLBACK callback,
                 INT_WORD action_arg1, const char* ok_text, const char* cancel_text,
                 const char* new_folder_text);
  ~WM_FILE_SELECT() override;

  INT_S32 handle_input() override;

  // Called once after construction, before the selector is shown. A null
  // start keeps the current folder.
  void set_mode(INT_U8 new_mode, const FOLDER* start, const char* name, const char* ext);
  // name (when not null) holds 256 characters plus the extension and the
  // terminator.
  void get_result(FOLDER* out, char* name);
  // The action callback of every part.
  static INT_S32 on_command(WM_SCREEN_OBJECT* object, INT_WORD command, INT_WORD selector);
  void add_entry_row(const DIR_SCAN_ITEM* entry);

  INT_U8 mode = 0;
  FOLDER folder;
  ZORV_STRING extension;
  INT_U8 show_hidden = 0;
  INT_U8 drives_view = 0;
  ZORV_STRING my_computer_text;
  ZORV_STRING new_folder_title;
  ZORV_STRING new_folder_prompt;
  INT_U8 refresh_needed = 0;
  INT_S16 selected_row = -1;
  INT_S16 row_count = 0;  // list rows filled, the ".." row included
  INT_U8 prompt_over_selector = 0;
  WM_BUTTON* ok_button = nullptr;
  WM_BUTTON* cancel_button = nullptr;
  WM_BUTTON* new_folder_button = nullptr;
  WM_SCRIPT* status_label = nullptr;
  WM_SCRIPT* location_label = nullptr;
  WM_MENU* location_menu = nullptr;
  WM_TEXT_EDIT* name_box = nullptr;
  WM_GRID* list = nullptr;
  WM_GRID* top_grid = nullptr;
  WM_STYLE_SET entry_style;

 private:
  void build(WM_ACTION_CALLBACK callback, INT_WORD action_arg1, const char* ok_text,
             const char* cancel_text, const char* new_folder_text,
             const WM_STYLE_SET* menu_button_style, const WM_STYLE_SET* menu_frame_style,
             const WM_STYLE_SET* name_box_style, const WM_STYLE_SET* list_style,
             const WM_STYLE_SET* list_scrollbar_style, const WM_STYLE_SET* menu_item_style,
             const WM_STYLE_SET* menu_alternate_item_style);
  void rebuild();
  void fill_folder_view();
  void fill_drives_view();
  void empty_location_menu();
  void update_ok_button();
  void open_new_folder_dialog();
  INT_S32 answer(INT_U8 value);
  void clear_name_in_open_mode();
  // The text button in column 1 of a list row, or null.
  WM_BUTTON* row_button(INT_S16 row);
  // The open new-folder dialog (on the pop-up list), null when none: it
  // answers to this selector, so it must not outlive it.
  WM_DIALOG* new_folder_dialog = nullptr;
};

#endif
