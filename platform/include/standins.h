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

// Built: the clock and pump, window, input state, clipboard, application record.
#include "app.h"
#include "clipboard.h"
#include "clock.h"
#include "input.h"
#include "window.h"

#endif
