// STAND-INS for platform services that are built elsewhere. Each declaration
// below carries the name and signature of the real service; the definitions
// in standins.cpp are placeholders (weak symbols, so a real definition always
// wins). Whoever builds the real service deletes its stand-in from
// standins.cpp and its declaration here, and includes the real header below.
// Nothing here is a finished feature.
#ifndef ZORV_STANDINS_H
#define ZORV_STANDINS_H

#include "joystick.h"
#include "fonts.h"
#include "sound.h"
#include "zorv_types.h"

// Millisecond clock and frame pump (real: clock.h). The stand-in pump only
// delivers the queued application events.
INT_U32 get_time_ms();
void update_platform();

// Window (real: window.h). No window exists, so these do nothing.
void close_window(INT_U16 display);
INT_U8 is_full_screen();

// Display connection and input grabs (real: the X11 layer). The design gives
// these steps no names: the message box releases the pointer and keyboard
// grabs in full-screen state, and the fatal exit closes the display.
void release_input_grabs();
void close_display();

// Clipboard (real: clipboard.h): a private copy only, no X selection.
void set_clipboard_text(const char* text);
bool get_clipboard_text(char* buffer, INT_U32 size);
bool has_clipboard_text();

// Input state (real: input.h): time() seconds of the latest key and of the
// latest pointer or button event; 0 = none yet.
INT_U32 get_last_key_time();
INT_U32 get_last_mouse_time();

// The application's description (real: app.h, filled by the application).
struct APPLICATION_INFO_RECORD {
  const char* app_name;
  INT_U8 credits_at_exit;
  const char* const* icon_xpm;
};
extern APPLICATION_INFO_RECORD APPLICATION_INFO;

#endif
