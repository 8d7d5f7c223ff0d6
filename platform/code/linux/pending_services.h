// Services of other modules that the program entry and the window call. All
// have landed (wm_cursor_kind is defined with the window manager's globals);
// the includers may name the real header instead.
#ifndef ZORV_PENDING_SERVICES_H
#define ZORV_PENDING_SERVICES_H

#include "zorv_types.h"

extern INT_U8 wm_cursor_kind;  // wm_globals.h

#endif
