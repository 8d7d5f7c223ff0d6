// The animated image strip.
#include "anim_strip.h"

#include "clock.h"
#include "folder.h"

namespace {

INT_S16 strip_size(INT_S16 given, INT_S16 cell) {
  return given > 0 ? given : static_cast<INT_S16>(2 * cell);
}

}  // namespace

ANIM_STRIP::ANIM_STRIP(INT_S16 x, INT_S16 y, IMAGE_CACHE* cache, const char* folder, const char* name,
                       INT_S16 cell_width, INT_S16 cell_height, INT_U32 period, INT_S16 strip_width,
                       INT_S16 strip_height)
    : x(x),
      y(y),
      cell_width(cell_width),
      cell_height(cell_height),
      offset_x(0),
      offset_y(0),
      strip_width(strip_size(strip_width, cell_width)),
      strip_height(strip_size(strip_height, cell_height)),
      period(period),
      start(0),
      image(nullptr),
      cache(cache) {
  offset_y = static_cast<INT_S16>((this->strip_height - cell_height) / 2);
  if (cache) image = cache->get(folder, name, this->strip_width, this->strip_height, 0);
}

ANIM_STRIP::ANIM_STRIP(INT_S16 x, INT_S16 y, FOLDER* folder, const char* name, INT_S16 cell_width,
                       INT_S16 cell_height, INT_U32 period, INT_S16 strip_width, INT_S16 strip_height)
    : x(x),
      y(y),
      cell_width(cell_width),
      cell_height(cell_height),
      offset_x(0),
      offset_y(0),
      strip_width(strip_size(strip_width, cell_width)),
      strip_height(strip_size(strip_height, cell_height)),
      period(period),
      start(0),
      image(new IMAGE(-1, -1)),
      cache(nullptr) {
  offset_y = static_cast<INT_S16>((this->strip_height - cell_height) / 2);
  image->load(folder, name, this->strip_width, this->strip_height);
}

ANIM_STRIP::~ANIM_STRIP() {
  if (cache)
    cache->release(cache->entry_of(image));
  else
    delete image;
  image = nullptr;
}

void ANIM_STRIP::reset() {
  start = get_time_ms();
  offset_x = 0;
  offset_y = static_cast<INT_S16>((strip_height - cell_height) / 2);
}

INT_U8 ANIM_STRIP::update() {
  // A period of 1 ms has no half to divide by: it counts as still.
  if (period <= 1) return 0;
  const INT_U32 now = get_time_ms();
  if (static_cast<INT_S64>(now) > static_cast<INT_S64>(start) + period || now < start) start = now;
  const INT_S64 W = strip_width - cell_width, H = strip_height - cell_height;
  const INT_S64 half = period / 2, elapsed = static_cast<INT_S64>(now) - start;
  const INT_S16 old_x = offset_x, old_y = offset_y;
  INT_S64 ox, oy;
  if (elapsed <= half) {
    ox = elapsed * W / half;
    oy = elapsed * H / half + H / 2;
    if (oy > H) oy = 2 * H - oy;
  } else {
    const INT_S64 left = static_cast<INT_S64>(period) - elapsed;
    ox = left * W / half;
    oy = left * H / half - H / 2;
    if (oy < 0) oy = -oy;
  }
  offset_x = static_cast<INT_S16>(ox);
  offset_y = static_cast<INT_S16>(oy);
  return offset_x != old_x || offset_y != old_y;
}

void ANIM_STRIP::draw(IMAGE* target) {
  if (image) image->draw_part_to(x, y, offset_x, offset_y, cell_width, cell_height, target, BLIT_BLEND);
}
