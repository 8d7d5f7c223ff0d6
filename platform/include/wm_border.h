// The border painter's free functions and constants: bevel colours, border
// thickness per shading type, and the arrow glyph of buttons and scrollbars.
// The painter itself is WM_SCREEN_OBJECT::draw_border.
#ifndef WM_BORDER_H
#define WM_BORDER_H

#include "colour.h"
#include "zorv_types.h"

class WM_SCREEN_OBJECT;

// Side-and-corner mask of a border.
enum : INT_U16 {
  BORDER_SIDE_TOP = 1,
  BORDER_SIDE_BOTTOM = 2,
  BORDER_SIDE_LEFT = 4,
  BORDER_SIDE_RIGHT = 8,
  BORDER_CORNER_TOP_LEFT = 16,
  BORDER_CORNER_TOP_RIGHT = 32,
  BORDER_CORNER_BOTTOM_LEFT = 64,
  BORDER_CORNER_BOTTOM_RIGHT = 128,
  BORDER_INDENTED = 0x8000
};

// Dark and light bevel colours for an object (null = none) and a base colour.
void get_bevel_colours(const WM_SCREEN_OBJECT* object, const COLOUR* base, COLOUR* dark,
                       COLOUR* light);
// Thickness of a shading type's border; type 1 is the window manager's default.
INT_U16 get_default_border_width(INT_U32 shading_type);
// A filled triangle (direction ARROW_UP, ARROW_DOWN, ARROW_LEFT, ARROW_RIGHT)
// inside the inclusive rectangle; a margin of -1 is a third of the extent.
void draw_arrow(WM_SCREEN_OBJECT* object, INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2,
                const COLOUR* colour, INT_S32 direction, INT_S16 margin_x, INT_S16 margin_y);

#endif
