// What several widgets share: the click sound, flashing text, the hit test
// over a shaped skin, and the drawing of a face, its text and its icon.
#ifndef ZORV_WIDGET_SHARED_H
#define ZORV_WIDGET_SHARED_H

#include "image.h"
#include "skin_frame.h"
#include "typed_value.h"
#include "wm_globals.h"
#include "wm_screen_object.h"

namespace widgets {

// A colour with alpha 0 means "not set".
inline bool is_set(COLOUR c) { return (c >> 24) != 0; }

// Plays the click sound when one is loaded.
void play_click_sound();

// Flashing text shows in the phases `mask` selects; true when `showing`
// changed and the widget has to be shown again.
bool flash_phase_changed(const TYPED_VALUE& flashing_text, INT_U8 visible, INT_U8 mask, INT_U8* showing);

// The pointer is over the object: over a child, or inside the object and,
// when a shape is given, over one of its opaque pixels.
INT_U8 is_over_shaped(WM_SCREEN_OBJECT* object, INT_S16 px, INT_S16 py, SKIN_FRAME* shape);

// The surface's clip, put back as it was when the drawing ends.
struct SAVED_CLIP {
  IMAGE* s;
  INT_S16 l, r, t, b;
  explicit SAVED_CLIP(IMAGE* surface)
      : s(surface), l(s->clip_left), r(s->clip_right), t(s->clip_top), b(s->clip_bottom) {}
  void restore() const {
    s->clip_left = l;
    s->clip_right = r;
    s->clip_top = t;
    s->clip_bottom = b;
  }
};

// For the length of a drawing, the surface's clip narrowed to the object's
// own rectangle (nothing at all for an object without size), so that parts
// its gaps or texts push past its edges are cut there.
struct OWN_CLIP {
  SAVED_CLIP saved;
  OWN_CLIP(IMAGE* surface, const WM_SCREEN_OBJECT* o) : saved(surface) {
    if (o->width < 1 || o->height < 1)
      surface->clip_left = surface->clip_right = surface->clip_top = surface->clip_bottom = -1;
    else
      surface->intersect_clip(o->x, o->y, static_cast<INT_S16>(o->x + o->width - 1),
                              static_cast<INT_S16>(o->y + o->height - 1));
  }
  ~OWN_CLIP() { saved.restore(); }
  OWN_CLIP(const OWN_CLIP&) = delete;
  OWN_CLIP& operator=(const OWN_CLIP&) = delete;
};

// The corner radius of a painted face of that rectangle.
INT_S16 face_radius(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2);

enum FACE_FADING : INT_U8 { FACE_FLAT, FACE_HFADING, FACE_VFADING, FACE_VFADING_INVERTED };

// Paints a face: darkened, or in `colour` (fading to `fading`) when that is
// set; rounded at the corners the border painter's bits 4-7 name.
void fill_face(IMAGE* s, INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 radius, INT_U16 border_mask,
               bool darkened, COLOUR colour, COLOUR fading, FACE_FADING how);

// A widget's text font, the surface's defaults standing in for font 255 and
// size -1 (text drawing draws nothing with those).
struct TEXT_FONT {
  INT_S8 id;
  INT_S16 w, h;
  TEXT_FONT(const IMAGE* s, INT_U8 font, INT_S16 font_w, INT_S16 font_h)
      : id(font == 255 ? s->font : static_cast<INT_S8>(font)),
        w(font_w == -1 ? s->font_width : font_w),
        h(font_h == -1 ? s->font_height : font_h) {}
  INT_S32 width(IMAGE* s, const char* text) const {
    return text ? s->text_width(static_cast<INT_U8>(id), static_cast<INT_U16>(w), static_cast<INT_U16>(h), text) : 0;
  }
};

// Where a widget's text and icon go, from its own flag bits: each widget
// numbers them differently, one table per widget says which bit is which.
struct PLACEMENT_BITS {
  INT_U32 text_left, text_right, text_top, text_bottom;
  INT_U32 icon_left, icon_right, icon_top, icon_bottom, icon_attached;
  INT_U32 shadow, inset, chiselled;
};
struct PLACEMENT {
  // Of each pair the first wins.
  bool text_left, text_right, text_top, text_bottom;
  bool icon_left, icon_right, icon_top, icon_bottom, icon_attached;
  INT_U16 text_word;  // the text drawing's alignment and effect bits
  PLACEMENT(INT_U32 flags, const PLACEMENT_BITS& bits);
};

// The widget's box and the gaps inside it.
struct CONTENT_BOX {
  INT_S32 x, y, x2, y2;
  INT_S32 left_gap, right_gap, top_gap, bottom_gap;
};

// The text's position for text of tw x th; `down` moves left- and
// right-aligned text (a pressed look).
void place_text(const PLACEMENT& p, const CONTENT_BOX& b, INT_S32 tw, INT_S32 th, INT_S32 down, INT_S32* tx,
                INT_S32* ty);

// The slot an icon of iw x ih is centred in. An attached icon sits beside
// the text, which moves aside to make room.
struct ICON_SLOT {
  INT_S32 x1, y1, x2, y2;
};
ICON_SLOT place_icon(const PLACEMENT& p, const CONTENT_BOX& b, INT_S32 x_spacing, INT_S32 y_spacing, INT_S32 iw,
                     INT_S32 ih, INT_S32 tw, INT_S32 th, INT_S32* tx, INT_S32* ty);
// Clips to the slot on the sides the icon was placed at.
void clip_to_icon_slot(IMAGE* s, const PLACEMENT& p, const CONTENT_BOX& b, const ICON_SLOT& slot);

}  // namespace widgets

#endif
