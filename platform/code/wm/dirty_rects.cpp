// Dirty rectangles, invalidation and the render slots.
#include "image.h"
#include "page_manager.h"
#include "wm_globals.h"
#include "wm_internal.h"
#include "wm_platform.h"
#include "wm_screen_object.h"

namespace {

bool rect_is_set(const DIRTY_RECT& r) {
  return r.top != -1 && r.left != -1 && r.right != -1 && r.bottom != -1;
}

void grow_to_include(DIRTY_RECT& r, INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2) {
  if (r.left == -1 || r.left > x1) r.left = x1;
  if (r.right == -1 || r.right < x2) r.right = x2;
  if (r.top == -1 || r.top > y1) r.top = y1;
  if (r.bottom == -1 || r.bottom < y2) r.bottom = y2;
}

INT_U16 display_width_at(INT_S16 px, INT_S16 py) {
  return wm_screen_width(static_cast<INT_U16>(get_display_of_point(px, py)));
}
INT_U16 display_height_at(INT_S16 px, INT_S16 py) {
  return wm_screen_height(static_cast<INT_U16>(get_display_of_point(px, py)));
}

// The merge test of modes 2 and 3: the rectangles overlap or lie within the
// margin of each other on both axes.
bool near(const DIRTY_RECT& r, INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2, INT_S32 m) {
  return x1 < r.right + m && x2 > r.left - m && y1 < r.bottom + m && y2 > r.top - m;
}

INT_S64 area(INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2) {
  return static_cast<INT_S64>(x2 - x1 + 1) * (y2 - y1 + 1);
}

// Mode 2 merges near rectangles only when their union adds at most margin²
// pixels that neither of them covers, so long thin changes lying diagonally
// apart stay separate instead of dirtying the square between them.
bool cheap_union(const DIRTY_RECT& r, INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2,
                 INT_S32 m) {
  const INT_S32 ux1 = x1 < r.left ? x1 : r.left, uy1 = y1 < r.top ? y1 : r.top;
  const INT_S32 ux2 = x2 > r.right ? x2 : r.right, uy2 = y2 > r.bottom ? y2 : r.bottom;
  INT_S64 covered = area(x1, y1, x2, y2) + area(r.left, r.top, r.right, r.bottom);
  const INT_S32 ix1 = x1 > r.left ? x1 : r.left, iy1 = y1 > r.top ? y1 : r.top;
  const INT_S32 ix2 = x2 < r.right ? x2 : r.right, iy2 = y2 < r.bottom ? y2 : r.bottom;
  if (ix1 <= ix2 && iy1 <= iy2) covered -= area(ix1, iy1, ix2, iy2);
  return area(ux1, uy1, ux2, uy2) - covered <= static_cast<INT_S64>(m) * m;
}

}  // namespace

void add_screen_dirty_rect(WM_SCREEN_OBJECT*, INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2) {
  if (wm_drawn_dirty_rect != -1) return;  // drawing never dirties what is being drawn
  const INT_S32 mode = wm_dirty_mode;
  if (mode < 0 || mode > 4) return;

  if (mode == 4) {
    if (wm_dirty_rect_count == 0) {
      wm_dirty_rect_count = 1;
      DIRTY_RECT& r = wm_dirty_rects[0];
      r.top = 0;
      r.left = 0;
      r.right = static_cast<INT_S16>(display_width_at(x1, y1) - 1);
      r.bottom = static_cast<INT_S16>(display_height_at(x1, y1) - 1);
    }
    return;
  }
  if (mode == 0) {
    if (wm_dirty_rect_count == 0) {
      wm_dirty_rect_count = 1;
      wm_dirty_rects[0] = DIRTY_RECT{-1, -1, -1, -1};
    }
    grow_to_include(wm_dirty_rects[0], x1, y1, x2, y2);
    return;
  }

  const INT_S32 m = wm_dirty_merge_margin;
  for (;;) {
    // Drop a rectangle that a listed one already covers.
    for (INT_U16 i = 0; i < wm_dirty_rect_count; ++i) {
      const DIRTY_RECT& r = wm_dirty_rects[i];
      if (x1 >= r.left && x2 <= r.right && y1 >= r.top && y2 <= r.bottom) return;
    }
    if (mode == 2 || mode == 3) {
      INT_S32 found = -1;
      for (INT_U16 i = 0; i < wm_dirty_rect_count && found < 0; ++i) {
        const DIRTY_RECT& r = wm_dirty_rects[i];
        if (near(r, x1, y1, x2, y2, m) && (mode == 3 || cheap_union(r, x1, y1, x2, y2, m)))
          found = i;
      }
      if (found >= 0) {
        const DIRTY_RECT r = wm_dirty_rects[found];
        if (r.left < x1) x1 = r.left;
        if (r.top < y1) y1 = r.top;
        if (r.right > x2) x2 = r.right;
        if (r.bottom > y2) y2 = r.bottom;
        wm_dirty_rects[found] = wm_dirty_rects[wm_dirty_rect_count - 1];
        --wm_dirty_rect_count;
        continue;  // the union may swallow more, or be covered itself
      }
    }
    break;
  }
  if (wm_dirty_rect_count < WM_MAX_DIRTY_RECTS) {
    DIRTY_RECT& r = wm_dirty_rects[wm_dirty_rect_count++];
    r.top = y1;
    r.left = x1;
    r.right = x2;
    r.bottom = y2;
  } else {
    grow_to_include(wm_dirty_rects[0], x1, y1, x2, y2);
  }
}

void WM_SCREEN_OBJECT::invalidate_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2) {
  if (x2 < x1 || y2 < y1) return;
  const INT_S32 w = display_width_at(x, y), h = display_height_at(x, y);
  INT_S32 l = x1 < 0 ? 0 : x1, t = y1 < 0 ? 0 : y1;
  INT_S32 r = x2 > w - 1 ? w - 1 : x2, b = y2 > h - 1 ? h - 1 : y2;
  // A rectangle wholly off screen is empty once clamped; adding it would
  // store an inverted rectangle.
  if (r < l || b < t) return;
  add_screen_dirty_rect(this, static_cast<INT_S16>(l), static_cast<INT_S16>(t),
                        static_cast<INT_S16>(r), static_cast<INT_S16>(b));
}

void WM_SCREEN_OBJECT::invalidate() {
  const INT_S32 w = display_width_at(x, y), h = display_height_at(x, y);
  const INT_S32 l = x > 0 ? x : 0, t = y > 0 ? y : 0;
  const INT_S32 rx = x + get_width(), by = y + get_height();
  const INT_S32 r = (rx < w ? rx : w) - 1, b = (by < h ? by : h) - 1;
  if (r < l || b < t) return;
  add_screen_dirty_rect(this, static_cast<INT_S16>(l), static_cast<INT_S16>(t),
                        static_cast<INT_S16>(r), static_cast<INT_S16>(b));
}

void WM_SCREEN_OBJECT::invalidate_display() {
  const INT_S32 w = display_width_at(x, y), h = display_height_at(x, y);
  if (w < 1 || h < 1) return;
  add_screen_dirty_rect(this, 0, 0, static_cast<INT_S16>(w - 1), static_cast<INT_S16>(h - 1));
}

INT_U8 is_dirty_rect_active() {
  if (wm_drawn_dirty_rect < 0 || wm_drawn_dirty_rect >= WM_MAX_DIRTY_RECTS) return 0;
  return rect_is_set(wm_dirty_rects[wm_drawn_dirty_rect]);
}

INT_U8 WM_SCREEN_OBJECT::meets_dirty_rect() {
  if (!is_dirty_rect_active()) return 0;
  const DIRTY_RECT& r = wm_dirty_rects[wm_drawn_dirty_rect];
  return x <= r.right && x + width > r.left && y <= r.bottom && y + height > r.top;
}

// ---- render slots ---------------------------------------------------------------

void WM_SCREEN_OBJECT::render() {
  if (!is_dirty_rect_active() || !visible) return;
  const bool outermost = !wm_rendering;
  if (outermost) {
    const DIRTY_RECT& r = wm_dirty_rects[wm_drawn_dirty_rect];
    if (wm_surface) {
      const WM_CLIP c = wm_save_clip(wm_surface);
      wm_saved_clip = DIRTY_RECT{c.top, c.left, c.right, c.bottom};
      wm_surface->intersect_clip(r.left, r.top, r.right, r.bottom);
    }
    wm_rendering = 1;
  }
  // An application's draw may hide, remove or delete the object (and a
  // child's, its parent): the object's part ends there, the clip is still
  // put back.
  bool lives = true;
  if (meets_dirty_rect()) {
    lives = wm_call_survives(this, [&] { draw(); });
    if (lives && visible) {
      drawn = 1;
      needs_redraw = 0;
    }
  } else if (needs_redraw) {
    drawn = 1;
    needs_redraw = 0;
  }
  if (lives && visible) {
    WM_SNAPSHOT kids(children, false);
    for (size_t i = 0; i < kids.size(); ++i) {
      WM_SCREEN_OBJECT* c = kids.at(i);
      if (kids.still_listed(i) && !is_popup(c) && !wm_call_survives(this, [&] { c->render(); }))
        break;
    }
  }
  if (outermost) {
    if (wm_surface)
      wm_restore_clip(wm_surface, WM_CLIP{wm_saved_clip.left, wm_saved_clip.top,
                                          wm_saved_clip.right, wm_saved_clip.bottom});
    wm_rendering = 0;
  }
}

void WM_SCREEN_OBJECT::render_popups() {
  if (!is_dirty_rect_active()) return;
  WM_SNAPSHOT pops(wm_popup_list, false);
  for (size_t i = 0; i < pops.size(); ++i) {
    if (!pops.still_listed(i)) continue;
    WM_SCREEN_OBJECT* p = pops.at(i);
    if (p->layer >= 0) p->set_layer(static_cast<INT_S16>(-2 - layer));
    if (!wm_call_survives(this, [&] { p->render(); })) return;
  }
}

// ---- immediate repaints -----------------------------------------------------------

namespace {

void repaint_now(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, WM_SCREEN_OBJECT* own) {
  PAGE_MANAGER* pm = wm_page_manager;
  const INT_S16 saved_index = wm_drawn_dirty_rect;
  const DIRTY_RECT saved_rect = wm_dirty_rects[0];
  wm_drawn_dirty_rect = 0;
  wm_dirty_rects[0] = DIRTY_RECT{y1, x1, x2, y2};
  IMAGE* surface = wm_surface;
  WM_CLIP saved_clip{-1, -1, -1, -1};
  if (surface) {
    saved_clip = wm_save_clip(surface);
    surface->set_clip(x1, y1, x2, y2);
  }
  const INT_U16 display = static_cast<INT_U16>(get_display_of_point(x1, y1));
  if (IMAGE* screen = wm_screen_image(display))
    pm->backgrounds[display].draw_to(0, 0, screen, BLIT_BLEND);
  for (INT_S16 a = 0; a < pm->area_count; ++a) pm->areas[a].manager.render();
  if (pm->area_count > 0 && is_dirty_rect_active()) pm->areas[0].manager.render_popups();
  if (own && own->layer == -1) own->render();
  if (surface) wm_restore_clip(surface, saved_clip);
  wm_drawn_dirty_rect = saved_index;
  wm_dirty_rects[0] = saved_rect;
}

}  // namespace

void WM_SCREEN_OBJECT::redraw_area() {
  if (!wm_page_manager) return;
  repaint_now(x, y, static_cast<INT_S16>(x + width - 1), static_cast<INT_S16>(y + height - 1),
              this);
}

void redraw_screen(INT_S16 display) {
  if (!wm_page_manager || display < 0) return;
  const INT_U16 w = wm_screen_width(static_cast<INT_U16>(display));
  const INT_U16 h = wm_screen_height(static_cast<INT_U16>(display));
  if (!w || !h) return;
  repaint_now(0, 0, static_cast<INT_S16>(w - 1), static_cast<INT_S16>(h - 1), nullptr);
}
