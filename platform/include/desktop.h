// Desktop shortcuts and desktop-menu entries, and opening addresses and
// folders in the desktop's programs.
#ifndef ZORV_DESKTOP_H
#define ZORV_DESKTOP_H

#include "zorv_types.h"

class FOLDER;

// Shortcut kinds. Any other kind is treated as a text file for menu entries
// and writes an empty desktop file.
enum { SHORTCUT_APPLICATION = 1, SHORTCUT_WEB_LINK = 2, SHORTCUT_TEXT_FILE = 3 };

// The programs and places the desktop entries use. The defaults are the real
// ones; tests point them at stand-ins.
struct DESKTOP_PROGRAMS {
  const char* xdg_desktop_menu;    // "/usr/bin/xdg-desktop-menu", used when it exists
  const char* update_menus;        // "/usr/bin/update-menus"
  const char* remove;              // "rm"
  const char* system_menu_folder;  // "/usr/lib/menu"
  const char* browser;             // "$BROWSER", expanded by the shell
  const char* kde_open;            // "kfmclient exec"
  const char* gnome_open;          // "gnome-open"
  const char* other_open;          // "konqueror"
};
extern DESKTOP_PROGRAMS desktop_programs;

void create_desktop_shortcut(INT_U8 kind, const char* target_name, const char* arguments,
                             const char* title, FOLDER* icon_folder, const char* icon_name,
                             FOLDER* target_folder);
void create_os_menu_shortcut(INT_U8 kind, const char* target_name, const char* arguments,
                             const char* title, const char* menu_section, FOLDER* icon_folder,
                             const char* icon_name, FOLDER* target_folder);
// Only the title (and the section) are used; the other arguments mirror the
// create calls.
void remove_desktop_shortcut(INT_U8 kind, const char* target_name, const char* arguments,
                             const char* title);
void remove_os_menu_shortcut(INT_U8 kind, const char* target_name, const char* arguments,
                             const char* title, const char* menu_section);
// Starts the user's browser ($BROWSER) on the address; nothing runs when
// BROWSER is not set.
void open_url(const char* url);
// Opens the folder (or the path or address given as name, without a folder)
// in the desktop's file manager.
void open_in_file_manager(FOLDER* folder, const char* name);

#endif
