// PLACEHOLDERS (weak) for services of modules that have not landed: the real
// definitions replace them. Nothing here is a finished feature.
#include "pending_services.h"

#define ZORV_PLACEHOLDER __attribute__((weak))

ZORV_PLACEHOLDER INT_U8 wm_cursor_kind = 255;
