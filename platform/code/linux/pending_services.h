// Services of other modules that the program entry and the window call but
// that have not landed yet; pending_services.cpp holds weak placeholders that
// the real definitions replace. Delete each line when its module lands.
#ifndef ZORV_PENDING_SERVICES_H
#define ZORV_PENDING_SERVICES_H

#include "zorv_types.h"

extern INT_U8 wm_cursor_kind;  // wm_globals.h

#endif
