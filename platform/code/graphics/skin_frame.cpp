// Skinned frames.
#include "skin_frame.h"

#include <algorithm>
#include <string>

#include "folder.h"
#include "window.h"
#include "wm_globals.h"

INT_U8 skin_frame_caching = 1;

namespace {

const int kParts = 12;

COLOUR default_colour() { return wm_default_colour; }

// The two end sizes a and b fitted into the length L.
void shrink(int a, int b, int L, int* a2, int* b2) {
  if (a + b > L) {
    *a2 = L * a / (a + b);
    *b2 = L * b / (*a2 + b);
  } else {
    *a2 = a;
    *b2 = b;
  }
}

COLOUR image_pixel(const IMAGE* im, int x, int y) {
  if (!im || !im->pixels || im->clip_is_empty() || x < im->clip_left || x > im->clip_right ||
      y < im->clip_top || y > im->clip_bottom)
    return default_colour();
  return *im->pixel_at(x, y);
}

}  // namespace

SKIN_FRAME::~SKIN_FRAME() {
  delete composite;
  composite = nullptr;
}

IMAGE** SKIN_FRAME::part(int i) {
  IMAGE** all[kParts] = {&mid_left, &mid_mid,   &mid_right,   &top_mid,      &bottom_mid, &top_left,
                         &top_right, &bottom_left, &bottom_right, &colay,       &solay,      &tolay};
  return all[i];
}

void SKIN_FRAME::release() {
  if (!cache) return;
  for (int i = 0; i < kParts; ++i) {
    IMAGE** p = part(i);
    if (*p) cache->release(cache->entry_of(*p));
    *p = nullptr;
  }
  delete composite;
  composite = nullptr;
}

SKIN_FRAME* SKIN_FRAME::copy_from(const SKIN_FRAME* source) {
  if (source == this) return this;
  release();
  if (!cache || !source) return this;
  SKIN_FRAME* from = const_cast<SKIN_FRAME*>(source);
  for (int i = 0; i < kParts; ++i)
    if (*from->part(i)) *part(i) = cache->add_ref(*from->part(i));
  return this;
}

INT_U8 SKIN_FRAME::load(const char* folder, const char* base, INT_U8 flags) {
  if (!cache) return 0;
  release();
  if (!base) return 0;
  const std::string b = base;
  auto get = [&](const char* suffix) { return cache->get(folder, (b + suffix).c_str(), -1, -1, flags); };
  colay = get("_colay");
  solay = get("_solay");
  tolay = get("_tolay");
  if ((top_left = get("_top_left"))) {
    top_mid = get("_top_mid");
    top_right = get("_top_right");
    mid_left = get("_mid_left");
    mid_mid = get("_mid_mid");
    mid_right = get("_mid_right");
    bottom_left = get("_bottom_left");
    bottom_mid = get("_bottom_mid");
    bottom_right = get("_bottom_right");
    return top_mid && top_right && mid_left && mid_mid && mid_right && bottom_left && bottom_mid &&
           bottom_right;
  }
  if ((mid_left = get("_left"))) {
    mid_mid = get("_mid");
    mid_right = get("_right");
    return mid_mid && mid_right;
  }
  if ((top_mid = get("_top"))) {
    mid_mid = get("_mid");
    bottom_mid = get("_bottom");
    return mid_mid && bottom_mid;
  }
  mid_mid = get("");
  return mid_mid != nullptr;
}

INT_U8 SKIN_FRAME::load_in_folder(FOLDER* folder, const char* base, INT_U8 flags) {
  char text[FOLDER_PATH_SIZE] = {};
  if (folder) {
    folder->get_path_text(text, nullptr);
  } else {
    FOLDER app;
    app.get_path_text(text, nullptr);
  }
  text[sizeof text - 1] = 0;
  return load(text, base, flags);
}

void SKIN_FRAME::draw(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_U8 stretch, IMAGE* target,
                      INT_S32 mode) {
  const int w = x2 - x1 + 1, h = y2 - y1 + 1;
  // Nothing to compose, and nothing to divide the ends by.
  if (w < 1 || h < 1) return;
  if (!target) target = get_screen_image(static_cast<INT_U16>(get_display_of_point(x1, y1)));
  if (!target) return;
  if (!skin_frame_caching) {
    compose(x1, y1, x2, y2, target, mode, stretch);
    return;
  }
  if (composite && composite->width == w && composite->height == h && !recompose) {
    composite->draw_to(x1, y1, target, mode);
    return;
  }
  if (!composite) composite = new IMAGE(-1, -1);
  composite->create(static_cast<INT_S16>(w), static_cast<INT_S16>(h));
  recompose = 0;
  if (composite->width != w || composite->height != h) return;
  const COLOUR clear = default_colour();
  composite->clear(&clear, 1);
  compose(0, 0, w - 1, h - 1, composite, BLIT_COPY, stretch);
  composite->draw_to(x1, y1, target, mode);
}

// The frame drawn without overlays into an overlay's image; with caching
// that is the composite as composed so far.
void SKIN_FRAME::frame_into(IMAGE* into, int x1, int y1, int x2, int y2, INT_U8 stretch) {
  if (skin_frame_caching && composite)
    composite->draw_to(static_cast<INT_S16>(x1), static_cast<INT_S16>(y1), into, BLIT_ALPHA_MULTIPLY);
  else
    compose(x1, y1, x2, y2, into, BLIT_ALPHA_MULTIPLY, stretch);
}

void SKIN_FRAME::compose(int ox, int oy, int cx, int cy, IMAGE* dest, INT_S32 mode, INT_U8 stretch) {
  const int w = cx - ox + 1, h = cy - oy + 1;
  if (w < 1 || h < 1) return;
  auto s16 = [](int v) { return static_cast<INT_S16>(v); };
  auto put = [&](IMAGE* im, int x, int y) {
    if (im) im->draw_to(s16(x), s16(y), dest, mode);
  };
  auto put_cut = [&](IMAGE* im, int x, int y, int cw, int ch) {
    if (im && cw > 0 && ch > 0) im->draw_part_to(s16(x), s16(y), 0, 0, s16(cw), s16(ch), dest, mode);
  };
  auto resize = [&](IMAGE** im, int rw, int rh) {
    if (cache && *im) cache->resize(im, s16(rw), s16(rh));
  };

  const bool row3 = mid_left && mid_mid && mid_right;
  if (row3 && top_left && top_mid && top_right && bottom_left && bottom_mid && bottom_right) {
    int lw, rw, th, bh;
    shrink(mid_left->width, mid_right->width, w, &lw, &rw);
    shrink(top_mid->height, bottom_mid->height, h, &th, &bh);
    if (lw) {
      resize(&top_left, lw, top_left->height);
      resize(&mid_left, lw, mid_left->height);
      resize(&bottom_left, lw, bottom_left->height);
    }
    if (rw) {
      resize(&top_right, rw, top_right->height);
      resize(&mid_right, rw, mid_right->height);
      resize(&bottom_right, rw, bottom_right->height);
    }
    if (th) {
      resize(&top_left, top_left->width, th);
      resize(&top_mid, top_mid->width, th);
      resize(&top_right, top_right->width, th);
    }
    if (bh) {
      resize(&bottom_left, bottom_left->width, bh);
      resize(&bottom_mid, bottom_mid->width, bh);
      resize(&bottom_right, bottom_right->width, bh);
    }
    if (lw && th) put(top_left, ox, oy);
    if (lw && bh) put(bottom_left, ox, cy + 1 - bh);
    if (rw && th) put(top_right, cx + 1 - rw, oy);
    if (rw && bh) put(bottom_right, cx + 1 - rw, cy + 1 - bh);
    // The ends may overlap by a pixel after shrinking: no centre then.
    const int cw = w - lw - rw, ch = h - th - bh;
    if (cw > 0 && ch > 0 && mid_mid->width > 0 && mid_mid->height > 0) {
      const INT_S16 l = dest->clip_left, r = dest->clip_right, t = dest->clip_top, b = dest->clip_bottom;
      dest->intersect_clip(s16(ox + lw), s16(oy + th), s16(ox + lw + cw - 1), s16(oy + th + ch - 1));
      if (!dest->clip_is_empty())
        for (int y = oy + th; y < oy + th + ch; y += mid_mid->height)
          for (int x = ox + lw; x < ox + lw + cw; x += mid_mid->width) put(mid_mid, x, y);
      dest->clip_left = l, dest->clip_right = r, dest->clip_top = t, dest->clip_bottom = b;
    }
    if (cw > 0 && top_mid->width > 0)
      for (int x = ox + lw; x < ox + lw + cw; x += top_mid->width) {
        put_cut(top_mid, x, oy, ox + lw + cw - x, top_mid->height);
        put_cut(bottom_mid, x, cy + 1 - bh, ox + lw + cw - x, bottom_mid->height);
      }
    if (ch > 0 && mid_left->height > 0)
      for (int y = oy + th; y < oy + th + ch; y += mid_left->height) {
        put_cut(mid_left, ox, y, mid_left->width, oy + th + ch - y);
        put_cut(mid_right, cx + 1 - rw, y, mid_right->width, oy + th + ch - y);
      }
  } else if (row3) {
    int lw, rw;
    shrink(mid_left->width, mid_right->width, w, &lw, &rw);
    if (lw) resize(&mid_left, lw, h);
    if (rw) resize(&mid_right, rw, h);
    resize(&mid_mid, mid_mid->width, h);
    put(mid_left, ox, oy);
    put(mid_right, cx + 1 - rw, oy);
    const int end = ox + w - rw;
    if (mid_mid->width > 0)
      for (int x = ox + lw; x < end; x += mid_mid->width) put_cut(mid_mid, x, oy, end - x, mid_mid->height);
  } else if (top_mid && mid_mid && bottom_mid) {
    int th, bh;
    shrink(top_mid->height, bottom_mid->height, h, &th, &bh);
    if (th) resize(&top_mid, w, th);
    if (bh) resize(&bottom_mid, w, bh);
    resize(&mid_mid, w, mid_mid->height);
    put(top_mid, ox, oy);
    put(bottom_mid, ox, cy + 1 - bh);
    const int end = oy + h - bh;
    if (mid_mid->height > 0)
      for (int y = oy + th; y < end; y += mid_mid->height) put_cut(mid_mid, ox, y, mid_mid->width, end - y);
  } else if (mid_mid) {
    if (stretch) resize(&mid_mid, w, h);
    put(mid_mid, ox + (w - mid_mid->width) / 2, oy + (h - mid_mid->height) / 2);
  }

  if (mode != BLIT_BLEND && mode != BLIT_COPY) return;
  if (colay)
    colay->draw_to(s16(ox + (w - colay->width) / 2 + overlay_x), s16(oy + (h - colay->height) / 2 + overlay_y),
                   dest, BLIT_BLEND);
  if (solay && w - overlay_x > 0 && h - overlay_y > 0) {
    IMAGE copy(-1, -1);
    copy.copy_from(solay);
    copy.scale(static_cast<INT_U16>(w - overlay_x), static_cast<INT_U16>(h - overlay_y), !fast_image_scaling);
    frame_into(&copy, overlay_x, overlay_y, w - 1, h - 1, stretch);
    copy.draw_to(s16(ox), s16(oy), dest, BLIT_BLEND);
  }
  if (tolay && tolay->width > 0 && tolay->height > 0) {
    IMAGE under(s16(w), s16(h));
    under.grab_from(s16(ox - dest->x), s16(oy - dest->y), dest, BLIT_BLEND);
    for (int y = -overlay_y; y < h; y += tolay->height)
      for (int x = -overlay_x; x < w; x += tolay->width) tolay->draw_to(s16(x), s16(y), &under, BLIT_BLEND);
    frame_into(&under, 0, 0, w - 1, h - 1, stretch);
    under.draw_to(s16(ox), s16(oy), dest, BLIT_BLEND);
  }
}

INT_U8 SKIN_FRAME::colour_at(INT_S16 x, INT_S16 y, INT_S16 width, INT_S16 height) {
  auto opaque = [](const IMAGE* im, int px, int py) { return (image_pixel(im, px, py) >> 24) != 0; };
  const bool row3 = mid_left && mid_mid && mid_right;
  if (row3 && top_left && top_mid && top_right && bottom_left && bottom_mid && bottom_right) {
    const int lw = mid_left->width, rw = mid_right->width, th = top_mid->height, bh = bottom_mid->height;
    const int col = x < lw ? 0 : x <= width - rw ? 1 : 2;
    const int row = y < th ? 0 : y <= height - bh ? 1 : 2;
    const int px = col == 2 ? x + rw - width : x, py = row == 2 ? y + bh - height : y;
    IMAGE* corners[3][3] = {{top_left, nullptr, top_right}, {nullptr, nullptr, nullptr},
                            {bottom_left, nullptr, bottom_right}};
    if (row != 1 && col != 1) return opaque(corners[row][col], px, py);
    if (row == 1 && col == 0) return opaque(mid_left, px, 0);
    if (row == 1 && col == 2) return opaque(mid_right, px, 0);
    if (row == 0) return opaque(top_mid, 0, py);
    if (row == 2) return opaque(bottom_mid, 0, py);
    return opaque(mid_mid, 0, 0);
  }
  if (row3) {
    const int lw = mid_left->width, rw = mid_right->width;
    if (x < lw) return opaque(mid_left, x, y);
    if (x <= width - rw) return opaque(mid_mid, 0, y);
    return opaque(mid_right, x + rw - width, y);
  }
  if (top_mid && mid_mid && bottom_mid) {
    const int th = top_mid->height, bh = bottom_mid->height;
    if (y < th) return opaque(top_mid, x, y);
    if (y <= height - bh) return opaque(mid_mid, x, 0);
    return opaque(bottom_mid, x, y + bh - height);
  }
  if (mid_mid)
    return opaque(mid_mid, x - (width - mid_mid->width) / 2, y - (height - mid_mid->height) / 2);
  return 0;
}

void SKIN_FRAME::replace_colour(const COLOUR* from, const COLOUR* to) {
  if (!cache) return;
  for (int i = 0; i < kParts; ++i)
    if (*part(i)) cache->replace_colour(part(i), from, to);
}

void SKIN_FRAME::colourise(const COLOUR* c1, const COLOUR* c2, const COLOUR* c3) {
  if (!cache) return;
  for (int i = 0; i < kParts; ++i)
    if (*part(i)) cache->colourise(part(i), c1, c2, c3);
}

void SKIN_FRAME::tint(const COLOUR* colour) {
  if (!cache) return;
  for (int i = 0; i < kParts; ++i)
    if (*part(i)) cache->tint(part(i), colour);
}

void SKIN_FRAME::greyscale() {
  if (!cache) return;
  for (int i = 0; i < kParts; ++i)
    if (*part(i)) cache->greyscale(part(i));
}
