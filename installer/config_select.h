// The configuration-selection screen: a full-screen file selector chooses the
// installation's XML configuration; its folder becomes the configuration
// folder that holds "installer.pkg". The choice is remembered in
// "settings.cfg" in "$USERPREFS" ("last_path", "last_filename"), where the
// next start opens. An application that wants the screen requests it instead
// of loading the package itself; a usable choice hands over to the install
// page.
#ifndef INSTALLER_CONFIG_SELECT_H
#define INSTALLER_CONFIG_SELECT_H

#include "page_manager.h"
#include "wm_screen_object.h"
#include "zorv_types.h"

// Requests the screen in the page manager's current area.
void select_configuration_page(PAGE_MANAGER* pm);
// Its build function.
void build_configuration_page(PAGE_MANAGER* pm);
// The selector's callback: on "Open" stores the choice, loads the package and
// returns PAGE_ACTION_CROSS_FADE to the install page; 0 while there is
// nothing usable (the selector stays open).
INT_S32 handle_configuration_choice(WM_SCREEN_OBJECT* caller, INT_WORD command, INT_WORD value);

// The settings file's name and keys.
extern const char configuration_settings_file[];  // "settings.cfg"
extern const char configuration_last_path_key[];  // "last_path"
extern const char configuration_last_name_key[];  // "last_filename"

#endif
