// The about box of the last pages (the quit button turned about button).
#include "app_installer.h"
#include "database.h"
#include "install_dialog.h"
#include "wm_about.h"
#include "wm_button.h"

namespace {

// The open about box, forgotten when it is destroyed (the page manager
// deletes every pop-up on a page change).
class INSTALLER_ABOUT_BOX;
INSTALLER_ABOUT_BOX* open_about_box_ = nullptr;

class INSTALLER_ABOUT_BOX : public WM_ABOUT {
 public:
  using WM_ABOUT::WM_ABOUT;
  ~INSTALLER_ABOUT_BOX() override {
    if (open_about_box_ == this) open_about_box_ = nullptr;
  }
};

}  // namespace

void open_about_box() {
  DATABASE& d = installer_database;
  WM_SCREEN_OBJECT* area = page_manager.current_manager;
  // "Close" only hides the box: the one left from an earlier opening is
  // deleted here, so opening it again and again keeps a single box.
  if (INSTALLER_ABOUT_BOX* old = open_about_box_) {
    open_about_box_ = nullptr;
    if (is_popup(old))
      area->remove_popup(old, 1, 0);
    else
      delete old;
  }
  INSTALLER_ABOUT_BOX* box =
      new INSTALLER_ABOUT_BOX(d.about_box.x, d.about_box.y, d.about_box.width, d.about_box.height);
  open_about_box_ = box;
  area->add_popup(box, 0);
  box->set_title(d.language_text(TEXT_ABOUT));
  if (box->close_button) box->close_button->set_text(d.language_text(TEXT_OK), 0);
  box->draggable = d.about_box_draggable;
}
