// The installer program: its description for the platform layer and the
// entry points that the program entry calls.
#include "app.h"
#include "app_installer.h"
#include "install_dialog.h"

namespace {

struct INSTALLER_INFO {
  INSTALLER_INFO() {
    APPLICATION_INFO.app_name = "Installer 1.08";
    APPLICATION_INFO.credits_at_exit = 0;
    APPLICATION_INFO.icon_xpm = installer_icon_xpm();
  }
} installer_info;

}  // namespace

void start_installer(INT_S16 argc, char** argv) { installer_start_up(argc, argv); }

INT_U8 update_installer() { return installer_step(); }

void shutdown_installer() { installer_shut_down(); }

INT_U8 confirm_quit(INT_U32 unused) { return open_quit_box(unused); }
