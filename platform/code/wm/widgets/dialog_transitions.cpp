// Dialog transitions: opacity fades and slides, timed against the frame clock
// and stepped by the dialog's own update; blending of a partly transparent
// dialog in its render; what hide, move and resize do to a running slide.
#include "image.h"
#include "window.h"
#include "wm_dialog.h"
#include "wm_globals.h"
#include "../wm_internal.h"

namespace {

const INT_U8 kOpaque = 255;

// from + (to - from) * elapsed / duration, in 64 bits: durations come from
// skin files and may be long enough to overflow a 32-bit product.
INT_S32 interpolate(INT_S32 from, INT_S32 to, INT_U32 elapsed, INT_U32 duration) {
  return static_cast<INT_S32>(from + static_cast<INT_S64>(to - from) * elapsed / duration);
}

}  // namespace

void WM_DIALOG::set_fade(INT_U8 new_alpha) {
  const INT_U8 current = alpha;
  start_alpha = current;
  transition_start = 0;
  target_alpha = new_alpha;
  transition_ms = (new_alpha == 0 || current == 0) ? effects.open_delay : effects.display_delay;
  bool fades = false;
  if (current < new_alpha)
    fades = effects.flags & (current == 0 ? DIALOG_FADE_IN : DIALOG_FADE_UP);
  else if (current > new_alpha)
    fades = effects.flags & (new_alpha == 0 ? DIALOG_FADE_OUT : DIALOG_FADE_DOWN);
  if (!fades || immediate) alpha = new_alpha;
  if (visible) show();
}

void WM_DIALOG::start_transition(INT_U8 open) {
  // A slide still running is finished at the resting position: for a
  // closing slide that is where it started, not the far end it was heading
  // for (a close from there would find nothing left to slide).
  const bool closing_slide = !opening && slide_running();
  if (from_x != to_x || from_y != to_y) WM_SCREEN_OBJECT::set_position(get_x(), get_y());
  from_x = to_x = x;
  from_y = to_y = y;
  if (!open && !visible) {
    // Already hidden: nothing to close, and showing it opens it again.
    close_pending = 0;
    return;
  }
  close_pending = open ? 0 : 1;
  if (!open && closing_slide) {
    // Closed again on its way out: it ends at once, on the next update.
    alpha = target_alpha = 0;
    return;
  }
  if (immediate) return;
  if (!(effects.flags & (open ? DIALOG_SLIDE_OPEN : DIALOG_SLIDE_CLOSE))) return;
  transition_start = 0;
  transition_ms = effects.open_delay;
  opening = open;

  INT_S32 ox = x, oy = y;
  const INT_U32 f = effects.flags;
  if (f & DIALOG_SLIDE_SCREEN_EDGE) {
    const INT_U16 display = static_cast<INT_U16>(get_display_of_point(x, y));
    if (f & DIALOG_SLIDE_LEFT)
      ox = -width;
    else if (f & DIALOG_SLIDE_RIGHT)
      ox = get_screen_width(display);
    if (f & DIALOG_SLIDE_TOP)
      oy = -height;
    else if (f & DIALOG_SLIDE_BOTTOM)
      oy = get_screen_height(display);
  } else {
    if (f & DIALOG_SLIDE_LEFT)
      ox = x - width;
    else if (f & DIALOG_SLIDE_RIGHT)
      ox = x + width;
    if (f & DIALOG_SLIDE_TOP)
      oy = y - height;
    else if (f & DIALOG_SLIDE_BOTTOM)
      oy = y + height;
  }
  if (open) {
    from_x = static_cast<INT_S16>(ox);
    from_y = static_cast<INT_S16>(oy);
  } else {
    // No direction bit, or already at the end point: nothing to slide, and
    // the close ends with the fade (at once without one).
    if (ox == x && oy == y) return;
    to_x = static_cast<INT_S16>(ox);
    to_y = static_cast<INT_S16>(oy);
    // A dialog that dropped to opacity 0 at once still shows its slide.
    if (alpha == 0 && target_alpha == 0) alpha = target_alpha = kOpaque;
  }
  WM_SCREEN_OBJECT::set_position(from_x, from_y);
  if (visible) show();
}

void WM_DIALOG::close(INT_U8 destroy) {
  delete_when_closed = destroy;
  set_fade(0);
  start_transition(0);
  immediate = 0;
}

INT_S32 WM_DIALOG::update(INT_U8 popups) {
  if (!visible && !dragging) return 0;
  // A child's tick may delete the dialog.
  INT_S32 r = 0;
  if (!wm_call_survives(this, [&] { r = WM_SCREEN_OBJECT::update(popups); }) || r) return r;

  if (step_due && (fade_running() || slide_running())) {
    if (transition_start == 0) transition_start = wm_frame_ms;
    const INT_U32 now = wm_frame_ms;
    const INT_U32 elapsed = now - transition_start;
    if (static_cast<INT_U32>(transition_start + transition_ms) > now) {
      if (fade_running())
        alpha = static_cast<INT_U8>(interpolate(start_alpha, target_alpha, elapsed, transition_ms));
      const INT_S16 nx = x != to_x ? static_cast<INT_S16>(interpolate(from_x, to_x, elapsed,
                                                                      transition_ms))
                                   : x;
      const INT_S16 ny = y != to_y ? static_cast<INT_S16>(interpolate(from_y, to_y, elapsed,
                                                                      transition_ms))
                                   : y;
      WM_SCREEN_OBJECT::set_position(nx, ny);
    } else {
      alpha = target_alpha;
      if (slide_running()) WM_SCREEN_OBJECT::set_position(to_x, to_y);
    }
    wm_focus_changed = 1;
    r = WM_ACTION_HANDLED;
    show();
  }

  if (!fade_running() && !slide_running()) {
    // A dialog with a close pending is never at rest as an open one.
    const bool at_rest =
        !close_pending && alpha != 0 && ((x == from_x && y == from_y) || opening);
    if (!at_rest) {
      // Faded out, or a closing slide has arrived: back to the resting
      // position, hidden, and deleted when asked.
      WM_SCREEN_OBJECT::set_position(from_x, from_y);
      from_x = to_x = x;
      from_y = to_y = y;
      hide(0, 0);
      if (delete_when_closed) {
        step_due = 1;
        return WM_ACTION_DELETE;
      }
    }
  }
  step_due = r != WM_ACTION_HANDLED;
  return r;
}

void WM_DIALOG::render() {
  IMAGE* s = wm_surface;
  if (!s || !visible || !is_dirty_rect_active()) return;
  IMAGE backdrop;  // what lies beneath, while the dialog is not opaque
  const DIRTY_RECT saved_clip{s->clip_top, s->clip_left, s->clip_right, s->clip_bottom};

  // The resting rectangle: a slide by the dialog's own size shows it moving
  // out of or into its own frame.
  INT_S16 rx = x, ry = y;
  if (slide_running() && !(effects.flags & DIALOG_SLIDE_SCREEN_EDGE)) {
    rx = opening ? to_x : from_x;
    ry = opening ? to_y : from_y;
  }
  s->intersect_clip(rx, ry, static_cast<INT_S16>(rx + width - 1),
                    static_cast<INT_S16>(ry + height - 1));

  if (!drawn && !close_pending && meets_dirty_rect()) {
    set_fade(kOpaque);
    start_transition(1);
    immediate = 0;
  }

  const INT_U8 a = alpha;
  const bool translucent = a >= 1 && a <= 254;
  const INT_U16 saved_dirty[4] = {s->dirty_left, s->dirty_top, s->dirty_right, s->dirty_bottom};
  if (translucent) s->dirty_left = s->dirty_top = s->dirty_right = s->dirty_bottom = 65535;

  if (a == kOpaque) {
    WM_SCREEN_OBJECT::render();
  } else {
    backdrop.create(width, height);
    backdrop.grab_from(static_cast<INT_S16>(x - s->x), static_cast<INT_S16>(y - s->y), s,
                       BLIT_COPY);
    if (a == 0) {
      drawn = 1;
      needs_redraw = 0;
    } else {
      WM_SCREEN_OBJECT::render();
    }
  }

  if (translucent) {
    if (s->has_dirty_area()) {
      blend_image.create(width, height);
      blend_image.grab_from(static_cast<INT_S16>(x - s->x), static_cast<INT_S16>(y - s->y), s,
                            BLIT_COPY);
      backdrop.draw_to(x, y, s, BLIT_COPY);
      blend_image.set_alpha(a, 0, 0);
      blend_image.draw_to(x, y, s, BLIT_BLEND);
    }
    // Whatever this frame drew before the dialog must still be presented,
    // whether or not the dialog touched any pixels.
    if (saved_dirty[0] != 65535 && saved_dirty[1] != 65535 && saved_dirty[2] != 65535 &&
        saved_dirty[3] != 65535)
      s->add_dirty_rect(static_cast<INT_S16>(saved_dirty[0]), static_cast<INT_S16>(saved_dirty[1]),
                        static_cast<INT_S16>(saved_dirty[2]), static_cast<INT_S16>(saved_dirty[3]));
  }
  s->clip_left = saved_clip.left;
  s->clip_top = saved_clip.top;
  s->clip_right = saved_clip.right;
  s->clip_bottom = saved_clip.bottom;
}

void WM_DIALOG::settle_slide() {
  if (!slide_running()) return;
  WM_SCREEN_OBJECT::set_position(opening ? to_x : from_x, opening ? to_y : from_y);
  immediate = 0;
  from_x = to_x = x;
  from_y = to_y = y;
  alpha = target_alpha;
}

void WM_DIALOG::hide(INT_U8 popups, INT_U8 children_too) {
  settle_slide();
  close_pending = 0;
  WM_SCREEN_OBJECT::hide(popups, children_too);
}

void WM_DIALOG::set_position(INT_S16 new_x, INT_S16 new_y) {
  if (new_x == x && new_y == y) return;
  const bool relative = !(effects.flags & DIALOG_SLIDE_SCREEN_EDGE);
  if (!slide_running()) {
    WM_SCREEN_OBJECT::set_position(new_x, new_y);
    from_x = to_x = new_x;
    from_y = to_y = new_y;
  } else if (!opening) {
    const INT_S16 dx = static_cast<INT_S16>(new_x - from_x), dy = static_cast<INT_S16>(new_y - from_y);
    WM_SCREEN_OBJECT::set_position(static_cast<INT_S16>(x + dx), static_cast<INT_S16>(y + dy));
    if (relative) {
      to_x = static_cast<INT_S16>(to_x + dx);
      to_y = static_cast<INT_S16>(to_y + dy);
    }
    from_x = new_x;
    from_y = new_y;
  } else {
    const INT_S16 dx = static_cast<INT_S16>(new_x - to_x), dy = static_cast<INT_S16>(new_y - to_y);
    WM_SCREEN_OBJECT::set_position(static_cast<INT_S16>(x + dx), static_cast<INT_S16>(y + dy));
    if (relative) {
      from_x = static_cast<INT_S16>(from_x + dx);
      from_y = static_cast<INT_S16>(from_y + dy);
    }
    to_x = new_x;
    to_y = new_y;
  }
}

void WM_DIALOG::shift_slide_start(INT_S16 new_width, INT_S16 new_height) {
  const INT_U32 f = effects.flags;
  if (f & DIALOG_SLIDE_SCREEN_EDGE) {
    const INT_U16 display = static_cast<INT_U16>(get_display_of_point(x, y));
    if (f & DIALOG_SLIDE_LEFT) from_x = static_cast<INT_S16>(-new_width);
    if (f & DIALOG_SLIDE_RIGHT) from_x = static_cast<INT_S16>(get_screen_width(display) + new_width);
    if (f & DIALOG_SLIDE_TOP) from_y = static_cast<INT_S16>(-new_height);
    if (f & DIALOG_SLIDE_BOTTOM)
      from_y = static_cast<INT_S16>(get_screen_height(display) + new_height);
  } else {
    if (f & DIALOG_SLIDE_LEFT) from_x = static_cast<INT_S16>(from_x + width - new_width);
    if (f & DIALOG_SLIDE_RIGHT) from_x = static_cast<INT_S16>(from_x + new_width - width);
    if (f & DIALOG_SLIDE_TOP) from_y = static_cast<INT_S16>(from_y + height - new_height);
    if (f & DIALOG_SLIDE_BOTTOM) from_y = static_cast<INT_S16>(from_y + new_height - height);
  }
}
