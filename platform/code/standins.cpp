// STAND-INS: placeholders for platform services built elsewhere (see
// standins.h). Weak, so that the real definition replaces each one.
#include "standins.h"


#define ZORV_STANDIN __attribute__((weak))

ZORV_STANDIN void stop_sound() {}
ZORV_STANDIN void close_joysticks() {}
ZORV_STANDIN INT_U8 is_font_system_ready() { return 0; }
