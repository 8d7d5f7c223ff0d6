// A stand-in for the installation run until it is built: on the installation
// page it shows the completed state once per visit, so that every page can
// be walked. It installs nothing.
#include "database.h"
#include "install_dialog.h"

namespace {
INT_U8 shown_on_this_visit = 0;  // cleared whenever the page is left
}  // namespace

void DATABASE::install_step(INSTALL_DIALOG* dialog) {
  if (current_page != INSTALL_PAGE_PROGRESS) {
    shown_on_this_visit = 0;
    return;
  }
  if (shown_on_this_visit || !dialog) return;
  shown_on_this_visit = 1;
  // A close request handled inside this call (the progress line runs a
  // platform frame) opens the quit box; the dialog stays until the page
  // manager deletes it.
  dialog->set_progress(100, languages[current_language].text(TEXT_PROGRESS_DONE));
  dialog->update_buttons();
}
