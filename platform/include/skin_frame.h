// Skinned frames: the picture a widget is drawn with. Up to nine parts (four
// corners, four edges, a centre), or three parts, or one image, plus up to
// three overlays, all handles of an image cache. Drawing composes the parts
// for the rectangle's size; with skin_frame_caching the composition is kept
// and reused while the size stays the same.
#ifndef ZORV_SKIN_FRAME_H
#define ZORV_SKIN_FRAME_H

#include "colour.h"
#include "image.h"
#include "image_cache.h"
#include "zorv_types.h"

class FOLDER;

// Compose into the kept composite and reuse it (default 1).
extern INT_U8 skin_frame_caching;

class SKIN_FRAME {
 public:
  IMAGE_CACHE* cache;
  IMAGE* mid_left = nullptr;  // also the parts of a three-part frame; mid_mid alone = single image
  IMAGE* mid_mid = nullptr;
  IMAGE* mid_right = nullptr;
  IMAGE* top_mid = nullptr;
  IMAGE* bottom_mid = nullptr;
  IMAGE* top_left = nullptr;
  IMAGE* top_right = nullptr;
  IMAGE* bottom_left = nullptr;
  IMAGE* bottom_right = nullptr;
  IMAGE* colay = nullptr;  // overlays: centred, scaled, tiled
  IMAGE* solay = nullptr;
  IMAGE* tolay = nullptr;
  IMAGE* composite = nullptr;  // the kept composition, owned
  INT_S16 overlay_x = 0;
  INT_S16 overlay_y = 0;
  INT_U8 recompose = 0;  // compose anew at the next draw

  explicit SKIN_FRAME(IMAGE_CACHE* cache) : cache(cache) {}
  // Deletes the composite; owners call release() first to give the parts back.
  ~SKIN_FRAME();
  SKIN_FRAME(const SKIN_FRAME&) = delete;
  SKIN_FRAME& operator=(const SKIN_FRAME&) = delete;

  // Whether a complete set was found; the parts found are held either way.
  INT_U8 load(const char* folder, const char* base, INT_U8 flags);
  INT_U8 load_in_folder(FOLDER* folder, const char* base, INT_U8 flags);
  // Draws into the inclusive rectangle; target null = the screen image of
  // the display holding (x1, y1). An empty rectangle draws nothing.
  void draw(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_U8 stretch, IMAGE* target, INT_S32 mode);
  // Whether the frame drawn at width x height is not transparent at (x, y).
  INT_U8 colour_at(INT_S16 x, INT_S16 y, INT_S16 width, INT_S16 height);
  INT_U8 is_valid() const { return mid_mid != nullptr; }
  void release();
  SKIN_FRAME* copy_from(const SKIN_FRAME* source);
  void replace_colour(const COLOUR* from, const COLOUR* to);
  void colourise(const COLOUR* c1, const COLOUR* c2, const COLOUR* c3);
  void tint(const COLOUR* colour);
  void greyscale();

 private:
  IMAGE** part(int index);
  void compose(int ox, int oy, int cx, int cy, IMAGE* dest, INT_S32 mode, INT_U8 stretch);
  void frame_into(IMAGE* into, int x1, int y1, int x2, int y2, INT_U8 stretch);
};

#endif
