// STAND-INS: placeholders for platform services built elsewhere (see
// standins.h). Weak, so that the real definition replaces each one. None are
// left.
#include "standins.h"
