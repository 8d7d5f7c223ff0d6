// The image widget's drawing: the picture fitted to the widget, its border
// and the hover fill.
#include "colour.h"
#include "wm_globals.h"
#include "wm_image_widget.h"

bool WM_IMAGE::adopt_picture_size() {
  if (!size_unset() || !picture.width || !picture.height) return false;
  width = static_cast<INT_S16>(picture.width);
  height = static_cast<INT_S16>(picture.height);
  return true;
}

// A widget of unset size meets no dirty rectangle, so it would never be
// drawn and never learn its size: it takes the picture's before it renders.
void WM_IMAGE::render() {
  adopt_picture_size();
  WM_SCREEN_OBJECT::render();
}

void WM_IMAGE::fit_picture() {
  if (size_unset()) return;
  if (!picture.width || !picture.height)
    picture.create(width, height);
  else
    picture.scale(static_cast<INT_U16>(width), static_cast<INT_U16>(height),
                  fast_image_scaling ? 0 : 1);
}

void WM_IMAGE::draw() {
  if (!wm_surface) return;
  adopt_picture_size();
  fit_picture();
  const INT_S16 dx = static_cast<INT_S16>((width - picture.width) / 2);
  const INT_S16 dy = static_cast<INT_S16>((height - picture.height) / 2);
  const INT_S16 x1 = static_cast<INT_S16>(x + dx), y1 = static_cast<INT_S16>(y + dy);
  // Border and hover fill frame the picture: a picture that keeps its aspect
  // is narrower or lower than the widget, and the widget's own size from the
  // picture's corner would reach past the widget.
  const INT_S16 w = picture.width ? static_cast<INT_S16>(picture.width) : width;
  const INT_S16 h = picture.height ? static_cast<INT_S16>(picture.height) : height;
  const INT_S16 x2 = static_cast<INT_S16>(x1 + w - 1), y2 = static_cast<INT_S16>(y1 + h - 1);
  picture.draw_to(x1, y1, wm_surface, BLIT_BLEND);
  if (border_mask) {
    const COLOUR unset = 0;
    draw_border(x1, y1, x2, y2, border_mask, &unset, 1, -1);
  }
  if ((wm_focus_object == this || hover) && (hover_colour >> 24))
    wm_surface->fill_rect(x1, y1, x2, y2, &hover_colour, 1);
}
