// Border painter. The bevelled rings come with the border module; until then
// objects draw no border.
#include "wm_screen_object.h"

void WM_SCREEN_OBJECT::draw_border(INT_S16, INT_S16, INT_S16, INT_S16, INT_U16, const COLOUR*,
                                   INT_U32, INT_S16) {}
