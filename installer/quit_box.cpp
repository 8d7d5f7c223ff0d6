// The quit confirmation box: opened by the quit button, the window's close
// button and termination signals; only its Yes ends the program.
#include "app_installer.h"
#include "database.h"
#include "install_dialog.h"
#include "wm_button.h"
#include "wm_confirm.h"
#include "wm_text_win.h"

WM_CONFIRM* quit_confirm_box = nullptr;

namespace {

const INT_S16 kQuitLines = 100;

// The box forgets itself when it is destroyed: the page manager deletes every
// pop-up on a page change, and a later close request must not reach a freed
// box.
class QUIT_BOX : public WM_CONFIRM {
 public:
  using WM_CONFIRM::WM_CONFIRM;
  ~QUIT_BOX() override {
    if (quit_confirm_box == this) quit_confirm_box = nullptr;
  }
};

void label(WM_BUTTON* button, int text, int icon) {
  if (!button) return;
  button->set_text(installer_database.language_text(text), 0);
  const IMAGE& picture = installer_database.icons[icon];
  if (picture.width != 0) button->set_icon(&picture);
}

}  // namespace

INT_U8 open_quit_box(INT_U32) {
  DATABASE& d = installer_database;
  WM_SCREEN_OBJECT* area = page_manager.current_manager;
  if (quit_confirm_box) {
    WM_CONFIRM* old = quit_confirm_box;
    if (is_popup(old))
      area->remove_popup(old, 1, 0);
    else
      delete old;
    quit_confirm_box = nullptr;
  }
  QUIT_BOX* box = new QUIT_BOX(d.quit_box.width, d.quit_box.height, d.language_text(TEXT_QUIT_TITLE), 1,
                               handle_quit_box_command, 1, d.quit_box.x, d.quit_box.y, 0, kQuitLines,
                               nullptr);
  quit_confirm_box = box;
  if (box->text_window) {
    box->text_window->add_text(d.language_text(TEXT_QUIT_MESSAGE), "", &box->style.fg_colour, box->visible, 1);
    box->text_window->flags = 0;
  }
  box->draggable = d.quit_box_draggable;
  label(box->first_button, TEXT_QUIT_YES, ICON_YES);
  label(box->second_button, TEXT_QUIT_NO, ICON_NO);
  area->add_popup(box, 0);
  return 0;
}

INT_S32 handle_quit_box_command(WM_SCREEN_OBJECT* caller, INT_WORD command, INT_WORD value) {
  WM_BUTTON* button = caller && (caller->kind & WM_KIND_BUTTON) ? dynamic_cast<WM_BUTTON*>(caller) : nullptr;
  if (!button || !button->released || word_to_s32(command) != 1) return WM_ACTION_NONE;
  if (word_to_s32(value) != 0) return PAGE_ACTION_END;
  if (WM_CONFIRM* box = quit_confirm_box) {
    quit_confirm_box = nullptr;
    box->delete_when_closed = 1;
    box->set_fade(0);
    box->start_transition(0);
  }
  return WM_ACTION_NONE;
}
