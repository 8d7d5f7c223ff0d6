// IMAGE: the one pixel surface of the library. 32-bit ARGB pixels with a
// clip rectangle, a dirty rectangle, a default font and an origin in the
// global display space. Every drawing operation is a member of IMAGE, takes
// global coordinates with inclusive corners in any order, stays inside the
// clip rectangle and extends the dirty rectangle by what it touched.
#ifndef ZORV_IMAGE_H
#define ZORV_IMAGE_H

#include "colour.h"
#include "data_device.h"
#include "zorv_types.h"

class DATA_FILE;
class FOLDER;
class TEXT_FILE;

// Blit modes. Any value not listed blends.
const INT_S32 BLIT_BLEND = 0;           // blend rule with the source alpha
const INT_S32 BLIT_COPY = 1;            // all four channels copied
const INT_S32 BLIT_MASK = 2;            // dest alpha := 255 where source alpha is not 0, else 0
const INT_S32 BLIT_ALPHA_MULTIPLY = 3;  // dest alpha := dest alpha x source alpha / 255

// A blended colour whose alpha is at or above this is stored whole.
extern INT_U8 alpha_copy_threshold;

// The blend rule for a colour s with its own alpha onto pixel d: alpha 0
// leaves d, alpha at or above the threshold stores s whole, otherwise red,
// green and blue are mixed (blend_rgb_packed) and d keeps its alpha.
inline COLOUR blend_pixel(COLOUR d, COLOUR s, INT_U32 threshold) {
  INT_U32 a = s >> 24;
  if (a == 0) return d;
  if (a >= threshold) return s;
  return blend_rgb_packed(d, s, a);
}

// Global display space: 8 x 8 displays of 4096 x 4096 pixels.
INT_S16 get_display_of_point(INT_S16 x, INT_S16 y);
INT_S16 get_display_origin_x(INT_S16 display);
INT_S16 get_display_origin_y(INT_S16 display);

class IMAGE : public DATA_DEVICE_CLIENT {
 public:
  INT_S16 x = 0;           // global position of pixel (0,0)
  INT_S16 y = 0;
  INT_U16 height = 0;      // 0 = empty image
  INT_U16 width = 0;
  INT_S32 pitch = 0;       // pixels from one row to the next (32 bits: width 32767 rounds past 16)
  INT_S8 alignment = 0;    // >1: pitch is a multiple of it; 1: pitch = width; <=0: width rounded to even
  INT_U32* pixels = nullptr;  // height x pitch, owned; null for an empty image
  INT_U8 fixed_size;       // while set, create and scale do nothing
  INT_S16 clip_left;       // inclusive, global; all four -1 = nothing may be drawn
  INT_S16 clip_right;
  INT_S16 clip_top;
  INT_S16 clip_bottom;
  INT_U8 enabled;          // drawing enabled; set by every (re)allocation
  INT_U8 keep_aspect;      // scaling keeps the aspect ratio
  INT_S8 font;             // default font number for text calls that pass 255
  INT_S16 font_width;      // default font size for text calls that pass 65535
  INT_S16 font_height;
  INT_U16 dirty_left;      // inclusive, global, compared as signed; 65535 = no dirty area
  INT_U16 dirty_right;
  INT_U16 dirty_top;
  INT_U16 dirty_bottom;
  INT_S16 max_width;       // scaling limits; below 1 = none
  INT_U16 max_height;
  void* link;              // free for the owner's use

  // ---- Surface ----------------------------------------------------------
  explicit IMAGE(INT_S16 width = -1, INT_S16 height = -1);
  virtual ~IMAGE();
  IMAGE(const IMAGE&) = delete;             // images are copied with copy_from
  IMAGE& operator=(const IMAGE&) = delete;

  void init(INT_S16 width, INT_S16 height);
  void create(INT_S16 width, INT_S16 height);
  IMAGE* copy_from(const IMAGE* source);
  void set_clip(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2);
  void intersect_clip(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2);
  void add_dirty_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2);
  void copy_flipped(INT_U32* out) const;

  // Address of the pixel at global (gx, gy); the caller has checked it lies
  // inside the image.
  INT_U32* pixel_at(int gx, int gy) const {
    return pixels + static_cast<long>(gy - y) * pitch + (gx - x);
  }
  bool clip_is_empty() const {
    return clip_left == -1 || clip_right == -1 || clip_top == -1 || clip_bottom == -1;
  }
  // The clip rectangle as far as it lies on the pixels: the clip fields are
  // open to callers, and a clip put back after a resize may reach past them.
  // False when nothing may be drawn.
  struct Area {
    int left, right, top, bottom;
  };
  bool drawable_clip(Area& out) const;
  bool has_dirty_area() const {
    return dirty_left != 65535 && dirty_right != 65535 && dirty_top != 65535 &&
           dirty_bottom != 65535;
  }

  // ---- Fills, clears and blits -------------------------------------------
  void fill_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* colour,
                 INT_S8 blend);
  void fill_gradient_vertical(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2,
                              const COLOUR* top, const COLOUR* bottom, INT_S8 blend);
  void fill_gradient_horizontal(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2,
                                const COLOUR* left, const COLOUR* right, INT_S8 blend);
  void clear(const COLOUR* colour, INT_U8 ignore_clip);
  void blit(const IMAGE* source, INT_S16 src_x, INT_S16 src_y, INT_S16 dst_x, INT_S16 dst_y,
            INT_S16 width, INT_S16 height, INT_S32 mode);
  // target / source null = the screen image of display 0.
  void draw_part_to(INT_S16 x, INT_S16 y, INT_S16 src_x, INT_S16 src_y, INT_S16 width,
                    INT_S16 height, IMAGE* target, INT_S32 mode);
  void draw_to(INT_S16 x, INT_S16 y, IMAGE* target, INT_S32 mode);
  void grab_from(INT_S16 src_x, INT_S16 src_y, IMAGE* source, INT_S32 mode);

  // ---- Drawing: outlines, effects, scaling, colours, text, shapes ---------
  // (the drawing module's members; constants in colour.h and fonts.h)
  // Blends the colour into *pixel by the blend rule, stores and returns it.
  COLOUR blend_pixel(COLOUR* pixel, const COLOUR* colour);
  // The value form of the rule stays reachable by its plain name inside
  // members, which the member above would otherwise hide.
  static COLOUR blend_pixel(COLOUR d, COLOUR s, INT_U32 threshold) {
    return ::blend_pixel(d, s, threshold);
  }
  void draw_line(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* colour,
                 INT_S16 thickness, INT_U8 blend);
  void draw_arc(INT_S16 x, INT_S16 y, INT_U16 radius, INT_S8 quadrant, const COLOUR* colour);
  void draw_rounded_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* colour,
                         INT_U16 radius = 65535, INT_U8 corner_mask = 15);
  static INT_S16 default_corner_radius(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2);
  void fill_rounded_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 radius,
                         INT_S8 corner_mask, const COLOUR* colour, const COLOUR* colour2,
                         INT_S16 percent, INT_S32 style);
  // Shorthands of fill_rounded_rect: a plain fill with one colour, and a
  // darkening of what is there by a percentage.
  void fill_rounded_colour(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* colour,
                           INT_S16 radius, INT_S8 corner_mask) {
    const COLOUR black = 0xFF000000u;
    fill_rounded_rect(x1, y1, x2, y2, radius, corner_mask, colour, &black, 0, 0);
  }
  void darken_rounded(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 radius,
                      INT_S16 percent, INT_S8 corner_mask) {
    const COLOUR black = 0xFF000000u;
    fill_rounded_rect(x1, y1, x2, y2, radius, corner_mask, &black, &black, percent, 3);
  }
  void draw_circle(INT_S16 cx, INT_S16 cy, INT_S16 radius, COLOUR* colour, INT_S16 percent,
                   INT_S32 mode, INT_S16 thickness, INT_U8 smooth);
  void xor_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* colour);
  void draw_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* colour,
                 INT_S16 thickness = 1, INT_S8 sides = 15);
  void darken_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 percent);
  void colourise(const COLOUR* c1, const COLOUR* c2, const COLOUR* c3, INT_U8 keep_alpha);
  void replace_colour(const COLOUR* from, const COLOUR* to, INT_S8 rgb_only);
  void set_alpha(INT_U8 value, INT_S8 multiply, INT_S8 keep_transparent);
  void greyscale();
  void tint(const COLOUR* colour);
  // A fixed-size image, or a turned size beyond what an image holds, is
  // refused and left as it was.
  void rotate(float angle);
  void rotate_degrees(float angle);
  void scale(INT_U16 width, INT_U16 height, INT_U8 smooth);
  void rescale(INT_S16 width, INT_S16 height);
  INT_S32 text_width(INT_U8 font, INT_U16 font_w, INT_U16 font_h, const char* text,
                     INT_U32 max_chars = 0xFFFFFFFFu, INT_U8 start_wide = 0);
  void draw_glyph_run(INT_S16 x, INT_S16 y, const COLOUR* text_colour, const COLOUR* back_colour,
                      const COLOUR* underline_colour, double lightness, INT_S8 font,
                      INT_S16 font_w, INT_S16 font_h, const char* text, INT_S32 max_chars = -1,
                      INT_U8 start_wide = 0);
  void draw_text(INT_S16 x, INT_S16 y, const COLOUR* text_colour, const COLOUR* back_colour,
                 const COLOUR* underline_colour, INT_S8 font, INT_S16 font_w, INT_S16 font_h,
                 const char* text, INT_U16 effects = 0, INT_S32 max_chars = -1,
                 INT_U8 start_wide = 0);
  void draw_char(INT_S16 x, INT_S16 y, const COLOUR* text_colour, const COLOUR* back_colour,
                 const COLOUR* underline_colour, INT_S8 font, INT_S16 font_w, INT_S16 font_h,
                 INT_U8 character, INT_U16 effects = 0);
  void printf_text_underlined(INT_S16 x, INT_S16 y, const COLOUR* text_colour,
                              const COLOUR* back_colour, const COLOUR* underline_colour,
                              INT_S8 font, INT_S16 font_w, INT_S16 font_h, const char* format, ...)
      __attribute__((format(printf, 10, 11)));
  void printf_text(INT_S16 x, INT_S16 y, const COLOUR* text_colour, const COLOUR* back_colour,
                   INT_S8 font, INT_S16 font_w, INT_S16 font_h, const char* format, ...)
      __attribute__((format(printf, 9, 10)));
  void printf_text_default_font(INT_S16 x, INT_S16 y, const COLOUR* text_colour,
                                const COLOUR* back_colour, const char* format, ...)
      __attribute__((format(printf, 6, 7)));
  void draw_text_box(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* text_colour,
                     const COLOUR* back_colour, const COLOUR* underline_colour, INT_S8 font,
                     INT_S16 font_w, INT_S16 font_h, const char* text, INT_U16 flags);
  // ---- end of drawing members ----

  // ---- Image files: raw format, PNG, JPEG, PCX, loading by name -----------
  // Every loader reads into a scratch image and takes the picture over only
  // when it was read whole: a failed load leaves this image as it was. A
  // fixed-size image takes over only a picture of its own size.
  //
  // The raw format: "zorvrawimg", version 1, u16 width and height, then the
  // pixels row by row as u32 (byte-reversed under the device's swap flag).
  bool get_from_data_device(DATA_DEVICE* device) override;
  bool put_to_data_device(DATA_DEVICE* device) override;
  bool load_raw_file(FOLDER* folder, const char* name);
  // Embedded picture arrays: format byte, big-endian u16 width and height,
  // then blue, green, red, alpha per pixel. False for a null pointer.
  bool load_embedded(const INT_U8* data);
  void write_c_source(TEXT_FILE* file, const char* name);
  // PNG and JPEG go through the data file's stdio stream (plain files only).
  bool load_png(DATA_FILE* file);
  bool save_png(DATA_FILE* file);
  // A width or height below 1 takes the file's own.
  bool load_jpeg(DATA_FILE* file, INT_S16 width, INT_S16 height);
  // False for a quality above 100.
  bool save_jpeg(DATA_FILE* file, INT_U8 quality, INT_S8 progressive);
  // 8-bit run-length PCX with a 256-colour palette; the palette colour
  // (139, 154, 37) reads as transparent.
  bool load_pcx(DATA_DEVICE* device);
  bool save_pcx(DATA_DEVICE* device);
  bool load_png_file(FOLDER* folder, const char* name);
  bool load_jpeg_file(FOLDER* folder, const char* name, INT_S16 width, INT_S16 height);
  bool load_pcx_file(FOLDER* folder, const char* name);
  // By base name: name and name.png as PNG, then JPEG, PCX and raw the same
  // way; then scaled to width x height (-1 keeps a dimension).
  bool load(FOLDER* folder, const char* name, INT_S16 width, INT_S16 height);
  // Numbered pictures side by side; last 65535 = until the first one missing.
  void load_series(FOLDER* folder, const char* pattern, INT_S16 first, INT_U16 last);
  // Nine PNG slices "<base>_top_left.png" ... "<base>_mid_mid.png".
  void export_nine_slice(FOLDER* folder, const char* base);

 private:
  bool fill_preamble(int& x1, int& y1, int& x2, int& y2);
};

#endif
