// The installer application: start-up with its options, the per-frame step,
// shutdown, the one page manager and the install page with its background.
// The program's entry points (installer/program/main.cpp) forward here.
#ifndef INSTALLER_APP_INSTALLER_H
#define INSTALLER_APP_INSTALLER_H

#include "page_manager.h"
#include "zorv_types.h"

class IMAGE;
class INSTALL_DIALOG;
struct ANIM_STRIP;

// The program's one page manager (one area, the default key buffer), built on
// first use so that it is ready for any static initialiser, and destroyed at
// exit.
PAGE_MANAGER& get_page_manager();
#define page_manager (get_page_manager())

// The install page's state.
extern INSTALL_DIALOG* install_dialog;        // the dialog of the current page
extern INT_S16 dialog_position_x, dialog_position_y;  // where the next dialog is built
extern ANIM_STRIP* background_strip;          // null without an animation
extern INT_U32 animation_start_ms;            // 0 = not yet set

// Start-up: reads the options, loads the package behind a "Please Wait"
// picture and opens the main window with the install page pending. Ends the
// process when there is no installation data, after -s, and on an option
// error.
void installer_start_up(INT_S16 argc, char** argv);
// One main-loop step; 0 when the program is to end.
INT_U8 installer_step();
void installer_shut_down();

// The install page.
void register_install_page(PAGE_MANAGER* pm);
void build_install_page(PAGE_MANAGER* pm);
void release_install_page(INT_WORD* data);
INT_S32 process_install_page();

// The options "as:x:p:" (start-up's first part, apart for the tests): sets
// the database's automatic flag, platform, configuration folder and name; -s
// writes the skin and ends the process.
void read_installer_options(INT_S16 argc, char** argv);
// Option -s: loads the skin from "$APPDATA/vek" and writes its record into the
// file the path text names. Returns 0 when the file was written whole and
// closed; otherwise prints one line naming the path on stderr, removes a file
// it created itself, and returns 1.
int write_skin_file(const char* path_text);

// The pictures, drawn by code.
enum { PLEASE_WAIT_WIDTH = 353, PLEASE_WAIT_HEIGHT = 143 };
const char* const* installer_icon_xpm();  // 64 x 64, two characters per pixel
void draw_please_wait_picture(IMAGE* picture, INT_U8 shutting_down);

#endif
