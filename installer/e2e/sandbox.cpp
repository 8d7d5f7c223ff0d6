// Test-only part of installer_e2e, the installer the end-to-end tests run.
// Before anything else, the desktop programs, the system menu folder and the
// shared temporary folder are pointed into the sandbox that
// ZORV_E2E_SANDBOX names:
//   <sandbox>/bin/{xdg-desktop-menu,update-menus,rm,browser,open}  stand-ins
//   <sandbox>/menu                                                the menu folder
//   <sandbox>/temp                                                the shared temporary folder
// Without it the program refuses to start, so it never writes a real menu
// entry or runs a real desktop program.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "desktop.h"
#include "folder.h"

namespace {

struct E2E_SANDBOX {
  std::string xdg, update, remove, browser, open, menu, temp;

  E2E_SANDBOX() {
    const char* root = getenv("ZORV_E2E_SANDBOX");
    if (!root || root[0] != '/') {
      // Linked into more than one program: each names itself.
      fprintf(stderr, "%s: ZORV_E2E_SANDBOX must name the sandbox folder\n", program_invocation_short_name);
      _exit(2);
    }
    const std::string base = root;
    xdg = base + "/bin/xdg-desktop-menu";
    update = base + "/bin/update-menus";
    remove = base + "/bin/rm";
    browser = base + "/bin/browser";
    open = base + "/bin/open";
    menu = base + "/menu";
    temp = base + "/temp";
    // Plain constant-initialised pointers: safe to change before any other
    // initialiser reads them.
    desktop_programs.xdg_desktop_menu = xdg.c_str();
    desktop_programs.update_menus = update.c_str();
    desktop_programs.remove = remove.c_str();
    desktop_programs.system_menu_folder = menu.c_str();
    desktop_programs.browser = browser.c_str();
    desktop_programs.kde_open = open.c_str();
    desktop_programs.gnome_open = open.c_str();
    desktop_programs.other_open = open.c_str();
    shared_temp_root = temp.c_str();
  }
} sandbox;

}  // namespace
