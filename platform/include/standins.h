// Formerly the stand-ins for platform services built elsewhere. Every service
// has landed and no stand-in is left; this header only forwards to the real
// headers until its last includers name the ones they use.
#ifndef ZORV_STANDINS_H
#define ZORV_STANDINS_H

#include "app.h"
#include "clipboard.h"
#include "clock.h"
#include "fonts.h"
#include "input.h"
#include "joystick.h"
#include "sound.h"
#include "window.h"
#include "zorv_types.h"

#endif
