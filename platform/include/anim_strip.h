// An animated strip: a cell-sized window onto a larger picture that glides
// across it once forth and back per period, and up and down twice, so that a
// backdrop drifts slowly behind a page. The position is a function of the
// millisecond clock alone.
#ifndef ZORV_ANIM_STRIP_H
#define ZORV_ANIM_STRIP_H

#include "image.h"
#include "image_cache.h"
#include "zorv_types.h"

class FOLDER;

struct ANIM_STRIP {
  INT_S16 x, y;                      // screen position of the cell
  INT_S16 cell_width, cell_height;   // the visible window
  INT_S16 offset_x, offset_y;        // the window's corner inside the picture
  INT_S16 strip_width, strip_height; // size the picture is loaded at
  INT_U32 period;                    // ms of one cycle; 1 or less = still
  INT_U32 start;                     // clock value at which the cycle began
  IMAGE* image;                      // a cache handle, or the strip's own image
  IMAGE_CACHE* cache;                // null = the image is the strip's own

  // A strip size of 0 or less is twice the cell size.
  ANIM_STRIP(INT_S16 x, INT_S16 y, IMAGE_CACHE* cache, const char* folder, const char* name,
             INT_S16 cell_width, INT_S16 cell_height, INT_U32 period, INT_S16 strip_width,
             INT_S16 strip_height);
  ANIM_STRIP(INT_S16 x, INT_S16 y, FOLDER* folder, const char* name, INT_S16 cell_width,
             INT_S16 cell_height, INT_U32 period, INT_S16 strip_width, INT_S16 strip_height);
  ~ANIM_STRIP();
  ANIM_STRIP(const ANIM_STRIP&) = delete;
  ANIM_STRIP& operator=(const ANIM_STRIP&) = delete;

  void reset();
  // Whether an offset changed since the last call.
  INT_U8 update();
  // The cell onto `target`, display 0's screen image when null.
  void draw(IMAGE* target = nullptr);
};

#endif
