// The one command handler of every installer widget: page changes, the
// language, the item and the options.
#include <cstdio>

#include "database.h"
#include "install_dialog.h"
#include "page_manager.h"
#include "window.h"
#include "wm_button.h"
#include "wm_check_box.h"
#include "wm_grid.h"

namespace {

const INT_U32 kLastCommand = INSTALL_CMD_CONTINUE;

// The check box of an item row of the item grid, or null.
WM_CHECK_BOX* item_box(INT_S16 item) {
  if (!install_grid) return nullptr;
  return dynamic_cast<WM_CHECK_BOX*>(install_grid->get_cell(0, item));
}

INT_U8 checked_state(WM_SCREEN_OBJECT* caller) {
  WM_CHECK_BOX* box = dynamic_cast<WM_CHECK_BOX*>(caller);
  return box ? box->checked : 0;
}

INT_S32 go_to_page(INT_S32 page) {
  installer_database.current_page = page;
  return page == INSTALL_PAGE_FINISH ? PAGE_ACTION_END : PAGE_ACTION_REBUILD_CLOSE_POPUPS;
}

INT_S32 choose_item(INT_S32 item) {
  DATABASE& d = installer_database;
  if (item < 0 || item >= d.item_count) return WM_ACTION_NONE;
  if (WM_CHECK_BOX* old = item_box(d.selected_item)) old->set_checked(0);
  d.selected_item = static_cast<INT_S16>(item);
  std::snprintf(d.target_folder, sizeof d.target_folder, "%s", d.items[item].default_folder);
  // Ticked again even when it is the box just clicked off: the item boxes are
  // one radio group.
  if (WM_CHECK_BOX* box = item_box(d.selected_item)) box->set_checked(1);
  return WM_ACTION_NONE;
}

INT_S32 choose_language(WM_SCREEN_OBJECT* caller, INT_S32 page) {
  DATABASE& d = installer_database;
  const INT_S32 language = word_to_s32(caller->click_arg1);
  if (language < 0 || language >= d.language_count) return WM_ACTION_NONE;
  d.current_language = static_cast<INT_S16>(language);
  set_window_title(d.language_text(TEXT_APPLICATION_TITLE), 0);
  return go_to_page(page);
}

void enable_path_buttons(INT_U8 enabled) {
  if (target_path_button) target_path_button->set_enabled(enabled);
  if (browse_button) browse_button->set_enabled(enabled);
}

}  // namespace

INT_S32 handle_install_dialog_command(WM_SCREEN_OBJECT* caller, INT_WORD command_word, INT_WORD value_word) {
  // Buttons call on the press too; only the release of a click counts.
  if (caller && (caller->kind & WM_KIND_BUTTON)) {
    WM_BUTTON* button = dynamic_cast<WM_BUTTON*>(caller);
    if (button && !button->released) return WM_ACTION_NONE;
  }
  const INT_U32 command = static_cast<INT_U32>(word_to_s32(command_word));
  const INT_S32 value = word_to_s32(value_word);
  if (command > kLastCommand) return WM_ACTION_NONE;
  DATABASE& d = installer_database;
  switch (command) {
    case INSTALL_CMD_QUIT:
      open_quit_box(0);
      return WM_ACTION_NONE;
    case INSTALL_CMD_ITEM:
      return choose_item(value);
    case INSTALL_CMD_LANGUAGE:
      return caller ? choose_language(caller, value) : WM_ACTION_NONE;
    case INSTALL_CMD_GO_TO_PAGE:
      return go_to_page(value);
    case INSTALL_CMD_ALT_FOLDERS:
      d.use_second_folders = checked_state(caller);
      enable_path_buttons(d.use_second_folders ? 0 : 1);
      return WM_ACTION_NONE;
    case INSTALL_CMD_DESKTOP:
      d.desktop_shortcuts = checked_state(caller);
      return WM_ACTION_NONE;
    case INSTALL_CMD_MENU:
      d.menu_entries = checked_state(caller);
      return WM_ACTION_NONE;
    case INSTALL_CMD_CONTINUE:
      return WM_ACTION_CLOSE;
    case INSTALL_CMD_ABOUT:
      open_about_box();
      return WM_ACTION_NONE;
    case INSTALL_CMD_BROWSE:
      handle_browse_command(caller, value);
      return WM_ACTION_NONE;
    default:
      return WM_ACTION_NONE;
  }
}
