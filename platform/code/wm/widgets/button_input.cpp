// The push button: the input pass.
#include "wm_button.h"
#include "wm_globals.h"

INT_S32 WM_BUTTON::handle_input() { return WM_SCREEN_OBJECT::handle_input(); }
