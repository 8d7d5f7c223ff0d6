// Page transitions: fades to grey or black, colouring and fading in, and the
// cross-fade. Each runs to its end inside one frame, presenting every step;
// the elapsed time is clamped to [0, T] so that a stalled or backward clock
// and a time of 0 still end at the exact end state.
#include <memory>

#include "image.h"
#include "wm_globals.h"
#include "wm_platform.h"
#include "wm_transitions.h"

namespace {

const COLOUR kBlack = 0xFF000000u;

IMAGE* screen() { return wm_screen_image(0); }

// A copy of the screen image as it is now.
std::unique_ptr<IMAGE> snapshot() {
  IMAGE* s = screen();
  auto snap = std::make_unique<IMAGE>(static_cast<INT_S16>(s->width), static_cast<INT_S16>(s->height));
  snap->blit(s, 0, 0, 0, 0, static_cast<INT_S16>(s->width), static_cast<INT_S16>(s->height),
             BLIT_BLEND);
  return snap;
}

void present() {
  IMAGE* s = screen();
  s->add_dirty_rect(0, 0, static_cast<INT_S16>(s->width), static_cast<INT_S16>(s->height));
  wm_present_all();
}

void accept_pages(PAGE_MANAGER* manager, INT_S32 area) {
  const INT_S32 n = manager->area_count;
  for (INT_S32 k = 0; k < n; ++k) manager->accept_page(((area + k) % n + n) % n);
  manager->redraw();
}

// The per-pixel loop: `to_grey` fades the snapshot's colours to their grey,
// otherwise they come back from grey.
void per_pixel(PAGE_MANAGER* manager, const IMAGE* snap, bool to_grey) {
  IMAGE* s = screen();
  INT_U32 t0 = wm_clock_ms();
  for (;;) {
    const INT_U32 total = manager->transition_time;
    const INT_S64 e = transition_elapsed(wm_clock_ms(), &t0, total);
    const INT_S64 t = total ? static_cast<INT_S64>(total) : 1;
    const INT_S64 done = total ? e : 1;  // a time of 0 is the end state at once
    const bool clipped = s->clip_is_empty();
    for (int y = 0; y < s->height && !clipped; ++y) {
      const int gy = s->y + y;
      if (gy < s->clip_top || gy > s->clip_bottom) continue;
      for (int x = 0; x < s->width; ++x) {
        const int gx = s->x + x;
        if (gx < s->clip_left || gx > s->clip_right) continue;
        COLOUR c = wm_default_colour;
        if (snap && snap->pixels && !snap->clip_is_empty() && x >= snap->clip_left &&
            x <= snap->clip_right && y >= snap->clip_top && y <= snap->clip_bottom)
          c = *snap->pixel_at(snap->x + x, snap->y + y);
        const INT_S64 r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        const INT_S64 grey = (r + g + b) / 3;
        auto mix = [&](INT_S64 ch) -> INT_U32 {
          const INT_S64 v = to_grey ? ch + (grey - ch) * done / t : grey + (ch - grey) * done / t;
          return static_cast<INT_U32>(v) & 0xFF;
        };
        *s->pixel_at(gx, gy) = 0xFF000000u | (mix(r) << 16) | (mix(g) << 8) | mix(b);
      }
    }
    present();
    if (!total || e >= static_cast<INT_S64>(total)) break;
  }
}

// The alpha loop: `draw` paints one step at blend level a.
template <typename DRAW>
void alpha_loop(PAGE_MANAGER* manager, DRAW draw) {
  INT_U32 t0 = wm_clock_ms();
  for (;;) {
    const INT_U32 total = manager->transition_time;
    const INT_U8 a = transition_level(transition_elapsed(wm_clock_ms(), &t0, total), total);
    draw(a);
    present();
    if (a == 255) break;
  }
}

void blend_onto_screen(const IMAGE* image) {
  IMAGE* s = screen();
  s->blit(image, 0, 0, s->x, s->y, static_cast<INT_S16>(image->width),
          static_cast<INT_S16>(image->height), BLIT_BLEND);
}

// Black under the snapshot at `alpha`.
void black_under(IMAGE* snap, INT_U8 alpha) {
  screen()->clear(&kBlack, 0);
  snap->set_alpha(alpha, 0, 0);
  blend_onto_screen(snap);
}

}  // namespace

INT_U32 transition_elapsed(INT_U32 now, INT_U32* t0, INT_U32 total) {
  INT_S64 e = static_cast<INT_S64>(now) - static_cast<INT_S64>(*t0);
  if (e < 0) {
    *t0 = now;
    e = 0;
  }
  return e > total ? total : static_cast<INT_U32>(e);
}

INT_U8 transition_level(INT_U32 elapsed, INT_U32 total) {
  if (total == 0 || elapsed >= total) return 255;
  return static_cast<INT_U8>(static_cast<INT_U64>(elapsed) * 255 / total);
}

void fade_to_grey(PAGE_MANAGER* manager) {
  auto snap = snapshot();
  per_pixel(manager, snap.get(), true);
}

void switch_colour_in(PAGE_MANAGER* manager, INT_S32 area) {
  accept_pages(manager, area);
  auto snap = snapshot();
  per_pixel(manager, snap.get(), false);
}

void fade_to_black(PAGE_MANAGER* manager) {
  auto snap = snapshot();
  alpha_loop(manager, [&](INT_U8 a) { black_under(snap.get(), static_cast<INT_U8>(255 - a)); });
}

void switch_fade_in(PAGE_MANAGER* manager, INT_S32 area) {
  accept_pages(manager, area);
  auto snap = snapshot();
  alpha_loop(manager, [&](INT_U8 a) { black_under(snap.get(), a); });
}

void switch_cross_fade(PAGE_MANAGER* manager, INT_S32 area) {
  auto old_screen = snapshot();
  old_screen->set_alpha(255, 0, 0);
  accept_pages(manager, area);
  auto new_screen = snapshot();
  alpha_loop(manager, [&](INT_U8 a) {
    blend_onto_screen(old_screen.get());
    new_screen->set_alpha(a, 0, 0);
    blend_onto_screen(new_screen.get());
  });
}

namespace {

// Both halves over half the time; the old screen goes back under the new
// page so that parts it does not repaint keep their colours.
template <typename FIRST, typename SECOND>
void two_phase(PAGE_MANAGER* manager, FIRST first, SECOND second) {
  auto saved = snapshot();
  const INT_U32 total = manager->transition_time;
  manager->transition_time = total / 2;
  first();
  blend_onto_screen(saved.get());
  second();
  manager->transition_time = total;
}

}  // namespace

void switch_grey_out_colour_in(PAGE_MANAGER* manager, INT_S32 area) {
  two_phase(manager, [&] { fade_to_grey(manager); }, [&] { switch_colour_in(manager, area); });
}

void switch_black_out_fade_in(PAGE_MANAGER* manager, INT_S32 area) {
  two_phase(manager, [&] { fade_to_black(manager); }, [&] { switch_fade_in(manager, area); });
}
