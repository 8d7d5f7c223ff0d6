// What the library needs of the application it runs, and the program-wide
// switches of the program entry.
#ifndef ZORV_APP_H
#define ZORV_APP_H

#include "zorv_types.h"

// The application's description. The library owns the one record; the
// application fills it from a static initialiser before main runs.
struct APPLICATION_INFO_RECORD {
  const char* app_name;         // first line of the about text
  INT_U8 credits_at_exit;       // nonzero: the credits box when the program ends
  const char* const* icon_xpm;  // XPM lines of the window icon; null = the built-in one
};
extern APPLICATION_INFO_RECORD APPLICATION_INFO;

// Entry points the application provides (main calls them).
void start_installer(INT_S16 argc, char** argv);
INT_U8 update_installer();    // one step; 0 ends the main loop
void shutdown_installer();
INT_U8 confirm_quit(INT_U32 unused);  // the application's may-quit question

// May-quit callback: asked with 0 on a termination signal and on the window
// manager's close request; nonzero allows the program to end.
typedef INT_U8 (*MAY_QUIT_CALLBACK)(INT_U32);
void set_may_quit_callback(MAY_QUIT_CALLBACK callback);
extern MAY_QUIT_CALLBACK may_quit_callback;
// Set when a quit was allowed; the main loop leaves when it is nonzero.
extern INT_U8 quit_requested;
// Asks the may-quit callback and sets quit_requested from its answer (0
// without a callback).
void ask_may_quit();
// Turns a termination signal that arrived since the last call into the
// callback's answer. Main thread only.
void consume_quit_signal();

// Called once after the main loop (the page manager leaves its pages).
extern void (*platform_shutdown_hook)();

extern char** program_argv;
extern char** program_envp;

// Signal handler for 1, 2, 3, 13, 15 (termination requests) and 28 (ignored).
void handle_signal(INT_S32 signal_number);
// From now on a termination request while no window is open ends the process
// at once with status 1: with no window there is nobody to ask, and a program
// started without a display must not outlive its signals.
void end_on_quit_signal_without_window();
// True while the connection to the X server is open.
bool is_display_open();
// Routes those six signals to handle_signal.
void install_signal_handlers();

// Switches of the font system, for use before main calls init_fonts: no
// preloading of the built-in fonts; freed font slots may be taken again.
void disable_font_preload();
void allow_font_slot_reuse();

// Builds the platform's globals (screen image, MOUSE and KEYBOARD handles);
// runs before main, safe to call again.
void init_platform_globals();

#endif
