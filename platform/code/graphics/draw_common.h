// Helpers shared by the drawing modules of IMAGE.
#ifndef ZORV_DRAW_COMMON_H
#define ZORV_DRAW_COMMON_H

#include "colour.h"
#include "image.h"

namespace drawing {

// Enabled, with a clip rectangle.
inline bool can_draw(const IMAGE* image) { return image->enabled && !image->clip_is_empty(); }
// Outline and line primitives: an invisible colour is fatal error 3, an image
// without pixels fatal error 2 (the colour is tested first).
void require_outline_colour(const IMAGE* image, const COLOUR* colour);
// A one-pixel line between any two points; the ends are clamped into the
// image, the dirty rectangle extended, pixels outside the clip skipped.
void thin_line(IMAGE* image, int x1, int y1, int x2, int y2, COLOUR colour, bool blend);

inline COLOUR* pixel_at(IMAGE* image, int gx, int gy) {
  return image->pixel_at(gx, gy);
}

}  // namespace drawing

#endif
