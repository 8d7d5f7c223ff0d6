// Fonts: the table of font slots, FreeType start and stop, loading font files
// into slots, the per-slot cache of rendered glyphs, the 19 built-in fonts,
// and the constants of text drawing (members of IMAGE in image.h).
#ifndef ZORV_FONTS_H
#define ZORV_FONTS_H

#include "zorv_types.h"

class FOLDER;
typedef struct FT_FaceRec_* FT_Face;

// One rendered character. Valid for exactly one rendered size: a request at
// another size renders again.
struct GLYPH_ENTRY {
  INT_U16 rendered_width;   // FreeType pixel size it was rendered at
  INT_U16 rendered_height;
  INT_S32 advance;          // horizontal advance in pixels (32 bits: no wrap at large sizes)
  INT_S32 left;             // bitmap left bearing in pixels
  INT_S32 top;              // rows above the baseline
  INT_U16 bitmap_width;
  INT_U16 bitmap_rows;
  INT_U16 pitch;            // bytes per coverage row
  INT_U8* coverage;         // rows x pitch bytes of 8-bit coverage; null = not rendered
  INT_S16 face_height;      // line height in font units
  INT_S16 face_descender;   // font units, negative below the baseline
};

struct FONT_SLOT {
  char name[128];           // family name given at load, else the file name
  FT_Face face;             // null = empty slot
  INT_U8 coverage_scale;    // grey level meaning full coverage; 255 after load
  GLYPH_ENTRY* glyphs[256]; // cache for codes 0..255, made on first use
};

// Number of built-in fonts; they occupy slots 0 to 18.
const INT_U8 BUILTIN_FONT_COUNT = 19;

// Switches of the font system, set by the platform layer before init_fonts.
extern INT_U8 font_preload;               // 1: init_fonts loads the built-in fonts
extern INT_U8 font_slot_reuse_forbidden;  // 1: automatic loads always append a slot

void init_fonts();
void shutdown_fonts();
// Loads `file` from `folder` (null = "$FONTDATA") into `slot` (255 = the
// first free slot from 19 on); returns the slot, or -1 when nothing was
// loaded. Built-in slots 0..18 take only their own file name.
INT_S32 load_font(const char* file, const char* family, INT_U8 slot, FOLDER* folder);
// Whether FreeType accepts `file` in `folder` as a font (load_font ends the
// program on one it refuses). False before init_fonts.
bool font_file_usable(FOLDER* folder, const char* file);
// Empties one slot (255 = every slot); the slot stays in the table.
void free_font(INT_U8 slot);
// Makes `entry` hold `code` of the slot's face at pixel_w x pixel_h; renders
// only when the cached size differs. The slot must be usable.
void render_glyph(GLYPH_ENTRY* entry, INT_U16 code, INT_S8 slot, INT_S16 pixel_w, INT_S16 pixel_h);
INT_U8 is_font_loaded(INT_S8 slot);
FONT_SLOT* get_font_slot(INT_S8 slot);
INT_S16 get_font_count();
// The built-in font table: our file name, its family name, and the DejaVu
// file (from fonts-dejavu-core / fonts-dejavu-extra) it is a copy of. Null
// for an index above 18.
const char* get_builtin_font_file(INT_U8 index);
const char* get_builtin_font_family(INT_U8 index);
const char* get_builtin_font_source(INT_U8 index);
// Where the Debian packages install the DejaVu files.
#define BUILTIN_FONT_SOURCE_FOLDER "/usr/share/fonts/truetype/dejavu"
INT_U8 is_font_system_ready();

// Text escape: toggles wide mode, in which each character is 4 hex digits.
const char TEXT_ESCAPE_WIDE = 0x01;

// Effect bits of IMAGE::draw_text (only the lowest set one counts) and the
// alignment bits of IMAGE::draw_text_box, which shares the word.
enum : INT_U16 {
  TEXT_EFFECT_SHADOW = 1,
  TEXT_EFFECT_EMBOSS = 2,
  TEXT_EFFECT_BEVEL = 4,
  TEXT_ALIGN_TOP = 8,
  TEXT_ALIGN_BOTTOM = 16,
  TEXT_ALIGN_LEFT = 32,
  TEXT_ALIGN_RIGHT = 64,
};

#endif
