// The folder browser of the target page: "..." and the path button open a
// folder selector; its answer comes back as the same command.
#include "app_installer.h"
#include "database.h"
#include "install_dialog.h"
#include "wm_button.h"
#include "wm_file_select.h"
#include "wm_script.h"

namespace {

void give_icon(WM_BUTTON* button, int icon) {
  const IMAGE& picture = installer_database.icons[icon];
  if (button && picture.width != 0) button->set_icon(&picture);
}

void open_folder_browser() {
  DATABASE& d = installer_database;
  if (!wm_dialog_styles_ready) WM_DIALOG::init_default_styles();
  const BOX_LAYOUT& box = d.browser_box;
  WM_FILE_SELECT* selector = new WM_FILE_SELECT(
      box.x, box.y, box.width, box.height, &d.styles[STYLE_MENU_BUTTON], &d.styles[STYLE_MENU_DROPDOWN],
      &d.styles[STYLE_TEXT], &d.styles[STYLE_TEXT], &d.styles[STYLE_SCROLLBAR], 1,
      handle_install_dialog_command, word_from_s32(INSTALL_CMD_BROWSE), d.language_text(TEXT_OK),
      d.language_text(TEXT_CANCEL), d.language_text(TEXT_NEW_FOLDER), &d.styles[STYLE_MENU_ITEM],
      &d.styles[STYLE_MENU_ALT_ITEM]);
  selector->prompt_over_selector = d.browser_prompt_on_box;
  selector->draggable = d.browser_draggable;
  // The target folder need not exist yet: the selector starts at its deepest
  // existing folder. A text without a known leading variable (never stored
  // by the installer itself) must not reach FOLDER::set.
  FOLDER start;
  if (is_usable_path_text(d.target_folder)) start.set(d.target_folder);
  selector->set_mode(FILE_SELECT_FOLDER, &start, nullptr, nullptr);
  page_manager.current_manager->add_popup(selector, 0);

  selector->set_title(d.language_text(TEXT_BROWSER_TITLE));
  give_icon(selector->ok_button, ICON_YES);
  give_icon(selector->cancel_button, ICON_NO);
  give_icon(selector->new_folder_button, ICON_NEW_FOLDER);
  if (selector->status_label) selector->status_label->set_text_value(d.language_text(TEXT_BROWSER_LABEL_1), 0);
  if (selector->location_label) selector->location_label->set_text_value(d.language_text(TEXT_BROWSER_LABEL_2), 0);
  selector->my_computer_text.set(d.language_text(TEXT_BROWSER_DRIVES));
  selector->new_folder_title.set(d.language_text(TEXT_NEW_FOLDER_NAME));
  selector->new_folder_prompt.set(d.language_text(TEXT_NEW_FOLDER_PROMPT));
}

// The selector's answer: 1 with a folder chosen, 0 for Cancel.
void take_folder_choice(WM_FILE_SELECT* selector, INT_S32 value) {
  DATABASE& d = installer_database;
  if (value != 0) {
    FOLDER chosen;
    selector->get_result(&chosen, nullptr);
    chosen.get_path_text(d.target_folder, nullptr);
    // The folder's own native path: expanding the variable form would resolve
    // a later '$' segment (a folder named "$x") as a variable.
    if (target_path_button) target_path_button->set_text(chosen.native_path_text(nullptr), 0);
  }
  selector->close(1);
}

}  // namespace

void handle_browse_command(WM_SCREEN_OBJECT* caller, INT_S32 value) {
  if (caller && (caller->kind & WM_KIND_FILE_SELECT)) {
    if (WM_FILE_SELECT* selector = dynamic_cast<WM_FILE_SELECT*>(caller)) take_folder_choice(selector, value);
    return;
  }
  open_folder_browser();
}
