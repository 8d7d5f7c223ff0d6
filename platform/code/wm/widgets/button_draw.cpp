// The push button: drawing.
#include "wm_button.h"
#include "wm_globals.h"

void WM_BUTTON::draw() {}
