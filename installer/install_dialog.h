// The install dialog, rebuilt for every page of the installer, the commands
// its widgets send, and the quit confirmation box.
#ifndef INSTALLER_INSTALL_DIALOG_H
#define INSTALLER_INSTALL_DIALOG_H

#include "wm_dialog.h"
#include "zorv_types.h"

class WM_BUTTON;
class WM_CONFIRM;
class WM_GRID;
class WM_PROGRESS_BAR;
class WM_SCRIPT;

// Command ids: the first argument of every installer widget's action
// callback; the second is the value.
enum : INT_S32 {
  INSTALL_CMD_QUIT = 1,
  INSTALL_CMD_ITEM = 2,         // value: item index
  INSTALL_CMD_LANGUAGE = 3,     // value: page to go to; the language in click_arg1
  INSTALL_CMD_ALT_FOLDERS = 4,
  INSTALL_CMD_BROWSE = 5,
  INSTALL_CMD_DESKTOP = 6,
  INSTALL_CMD_MENU = 7,
  INSTALL_CMD_ABOUT = 8,
  INSTALL_CMD_GO_TO_PAGE = 100,  // value: page to go to
  INSTALL_CMD_CONTINUE = 101
};

class INSTALL_DIALOG : public WM_DIALOG {
 public:
  // The dialog of the database's current page at (x, y); the caller adds it
  // to the page area.
  INSTALL_DIALOG(INT_S16 x, INT_S16 y);
  ~INSTALL_DIALOG() override;

  // At the end of the installation run: the quit button becomes the about
  // button (or is disabled when a readme follows), the next button is enabled.
  void update_buttons();
  // Shows the run's progress at once; `text` may be cut during the call and is
  // restored before it returns.
  void set_progress(INT_S32 percent, char* text);

  WM_BUTTON* quit_button;
  WM_BUTTON* back_button;
  WM_BUTTON* next_button;
  WM_PROGRESS_BAR* progress_bar;  // installation page only
  WM_SCRIPT* status_label;        // installation page only

 private:
  void build_language_grid();
  void build_item_grid();
  void build_document_window(const char* pattern, INT_S16 line_count);
  void build_target_grid();
  void build_progress_widgets();
  WM_GRID* make_choice_grid(INT_S16 rows_per_page);
  struct CHOICE_FIT {
    INT_S16 widest = 0;  // widest choice
    INT_S32 total = 0;   // rows' heights with their spacing
  };
  void add_choice_row(WM_GRID* grid, INT_S16 row, WM_SCREEN_OBJECT* object, CHOICE_FIT* fit);
  void finish_choice_grid(WM_GRID* grid, const CHOICE_FIT& fit);

  INT_S16 client_width_;    // W
  INT_S16 client_height_;   // H
  INT_S16 content_height_;  // Hc
};

// Widgets of the current page for the command handler; null while the page
// has none (cleared with the dialog that holds them).
extern WM_GRID* install_grid;
extern WM_BUTTON* target_path_button;
extern WM_BUTTON* browse_button;

// The action callback of every installer widget; returns an action code.
INT_S32 handle_install_dialog_command(WM_SCREEN_OBJECT* caller, INT_WORD command, INT_WORD value);

// The open quit confirmation box, null when none (cleared whenever the box is
// destroyed, whoever destroys it).
extern WM_CONFIRM* quit_confirm_box;
// Opens the quit box (replacing an open one); the may-quit callback, so it
// always answers 0: only the box's Yes ends the program.
INT_U8 open_quit_box(INT_U32 unused);
INT_S32 handle_quit_box_command(WM_SCREEN_OBJECT* caller, INT_WORD command, INT_WORD value);

// Command 5: from the target page's path buttons opens the folder browser;
// from the browser (value 1 for a chosen folder, 0 for Cancel) takes its
// answer and closes it.
void handle_browse_command(WM_SCREEN_OBJECT* caller, INT_S32 value);
// The about box of the last pages (command 8), at the database's about_box.
void open_about_box();
// The native path the target page shows for a target folder text: only a
// leading '$' segment is resolved, later ones are folder names.
const char* target_path_display_text(const char* text);

#endif
