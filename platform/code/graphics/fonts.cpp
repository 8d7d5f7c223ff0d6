// Font table, FreeType start and stop, font loading and the glyph cache.
#include "fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <cstring>

#include "data_file.h"
#include "errors.h"
#include "folder.h"

INT_U8 font_preload = 1;
INT_U8 font_slot_reuse_forbidden = 0;

namespace {

struct BUILTIN_FONT {
  const char* file;    // our name, as the installer's package stores it
  const char* family;
  const char* source;  // the DejaVu file it is a copy of
};

// The one list of built-in fonts, indexed by slot number.
const BUILTIN_FONT builtin_fonts[BUILTIN_FONT_COUNT] = {
    {"deco_expanded.ttf", "Deco Expanded", "DejaVuSerif-Bold.ttf"},
    {"deco_italic.ttf", "Deco Italic", "DejaVuSerif-Italic.ttf"},
    {"deco_leaning.ttf", "Deco Leaning", "DejaVuSansCondensed-Oblique.ttf"},
    {"deco_regular.ttf", "Deco", "DejaVuSerif.ttf"},
    {"deco_outline.ttf", "Deco Outline", "DejaVuSans-ExtraLight.ttf"},
    {"deco_wide.ttf", "Deco Super Extended", "DejaVuSerif-BoldItalic.ttf"},
    {"script.ttf", "Script", "DejaVuSerifCondensed-BoldItalic.ttf"},
    {"sans_bold_italic.ttf", "Sans Bold Italic", "DejaVuSans-BoldOblique.ttf"},
    {"sans_bold.ttf", "Sans Bold", "DejaVuSans-Bold.ttf"},
    {"sans_italic.ttf", "Sans Italic", "DejaVuSans-Oblique.ttf"},
    {"sans.ttf", "Sans", "DejaVuSans.ttf"},
    {"display.ttf", "Display", "DejaVuSansCondensed-Bold.ttf"},
    {"serif_slanted.ttf", "Serif Slanted", "DejaVuSerifCondensed-Italic.ttf"},
    {"display_two.ttf", "Display Two", "DejaVuSansCondensed-BoldOblique.ttf"},
    {"relief_embossed.ttf", "Relief Embossed", "DejaVuSansMono-Bold.ttf"},
    {"relief.ttf", "Relief", "DejaVuSansMono.ttf"},
    {"narrow_condensed.ttf", "Narrow Condensed", "DejaVuSansCondensed.ttf"},
    {"narrow.ttf", "Narrow", "DejaVuSans.ttf"},
    {"pixel.ttf", "Pixel", "DejaVuSansMono-BoldOblique.ttf"},
};

// Slot numbers are signed 8-bit: 0..127 are addressable.
const int kMaxSlots = 128;

struct FontState {
  FONT_SLOT* table = nullptr;
  INT_S16 count = 0;
  FT_Library library = nullptr;
  INT_U8 ready = 0;
};

FontState& state() {
  static FontState s;
  return s;
}

void free_glyph(GLYPH_ENTRY*& entry) {
  if (!entry) return;
  free(entry->coverage);
  free(entry);
  entry = nullptr;
}

}  // namespace

INT_U8 is_font_system_ready() { return state().ready; }

const char* get_builtin_font_file(INT_U8 index) {
  return index < BUILTIN_FONT_COUNT ? builtin_fonts[index].file : nullptr;
}

const char* get_builtin_font_family(INT_U8 index) {
  return index < BUILTIN_FONT_COUNT ? builtin_fonts[index].family : nullptr;
}

const char* get_builtin_font_source(INT_U8 index) {
  return index < BUILTIN_FONT_COUNT ? builtin_fonts[index].source : nullptr;
}

INT_S16 get_font_count() { return state().count; }

FONT_SLOT* get_font_slot(INT_S8 slot) {
  FontState& s = state();
  if (!s.table || slot < 0 || slot >= s.count || !s.table[slot].face) return nullptr;
  return &s.table[slot];
}

INT_U8 is_font_loaded(INT_S8 slot) { return get_font_slot(slot) != nullptr; }

void init_fonts() {
  FontState& s = state();
  if (s.ready) return;
  if (FT_Init_FreeType(&s.library) != 0) report_fatal_error(0x21, nullptr);
  if (font_preload)
    for (INT_U8 i = 0; i < BUILTIN_FONT_COUNT; ++i)
      load_font(builtin_fonts[i].file, builtin_fonts[i].family, i, nullptr);
  s.ready = 1;
}

void shutdown_fonts() {
  FontState& s = state();
  if (!s.ready) return;
  free_font(255);
  free(s.table);
  s.table = nullptr;
  s.count = 0;
  FT_Done_FreeType(s.library);
  s.library = nullptr;
  s.ready = 0;
}

INT_S32 load_font(const char* file, const char* family, INT_U8 slot, FOLDER* folder) {
  FontState& s = state();
  if (!file || !*file) return -1;
  FOLDER font_data;
  if (!folder) {
    font_data.set("$FONTDATA");
    folder = &font_data;
  }
  int index;
  if (slot == 255) {
    index = s.count > BUILTIN_FONT_COUNT ? s.count : BUILTIN_FONT_COUNT;
  } else if (slot < BUILTIN_FONT_COUNT) {
    if (strcmp(file, builtin_fonts[slot].file) != 0) return -1;
    index = slot;
  } else if (slot < kMaxSlots) {
    index = slot;
  } else {
    return -1;  // 128..254 are not slot numbers
  }

  DATA_FILE* probe = open_data_file(folder, file, DATA_FILE_READ, 0, 0);
  if (!probe) return -1;
  close_data_file(&probe);

  if (index < s.count) {
    if (s.table[index].face) return -1;
  } else {
    bool reused = false;
    if (slot == 255 && s.count >= 20 && !font_slot_reuse_forbidden) {
      for (int i = BUILTIN_FONT_COUNT; i < s.count; ++i)
        if (!s.table[i].face) {
          index = i;
          reused = true;
          break;
        }
    }
    if (!reused) {
      if (index >= kMaxSlots) return -1;
      auto* grown = static_cast<FONT_SLOT*>(realloc(s.table, sizeof(FONT_SLOT) * (index + 1)));
      if (!grown) report_fatal_error(0x23, nullptr);
      memset(grown + s.count, 0, sizeof(FONT_SLOT) * (index + 1 - s.count));
      s.table = grown;
      s.count = static_cast<INT_S16>(index + 1);
    }
  }

  FONT_SLOT& f = s.table[index];
  if (FT_New_Face(s.library, folder->native_path_text(file), 0, &f.face) != 0) {
    f.face = nullptr;
    report_fatal_error(0x22, nullptr);
  }
  f.coverage_scale = 255;
  const char* name = family ? family : file;
  strncpy(f.name, name, sizeof f.name - 1);
  f.name[sizeof f.name - 1] = 0;
  return index;
}

bool font_file_usable(FOLDER* folder, const char* file) {
  FontState& s = state();
  if (!s.ready || !s.library || !folder || !file || !*file) return false;
  FT_Face face = nullptr;
  if (FT_New_Face(s.library, folder->native_path_text(file), 0, &face) != 0) return false;
  FT_Done_Face(face);
  return true;
}

void free_font(INT_U8 slot) {
  FontState& s = state();
  if (!s.table) return;
  if (slot == 255) {
    for (int i = 0; i < s.count; ++i) free_font(static_cast<INT_U8>(i));
    return;
  }
  if (slot >= s.count) return;
  FONT_SLOT& f = s.table[slot];
  if (f.face) FT_Done_Face(f.face);
  f.face = nullptr;
  for (GLYPH_ENTRY*& g : f.glyphs) free_glyph(g);
}

void render_glyph(GLYPH_ENTRY* entry, INT_U16 code, INT_S8 slot, INT_S16 pixel_w, INT_S16 pixel_h) {
  if (entry->coverage && entry->rendered_width == static_cast<INT_U16>(pixel_w) &&
      entry->rendered_height == static_cast<INT_U16>(pixel_h))
    return;
  free(entry->coverage);
  entry->coverage = nullptr;
  FONT_SLOT* f = get_font_slot(slot);
  if (!f) return;
  FT_Face face = f->face;
  if (FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(pixel_w < 0 ? 0 : pixel_w),
                         static_cast<FT_UInt>(pixel_h < 0 ? 0 : pixel_h)) != 0)
    report_fatal_error(0x24, nullptr);
  if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0) report_fatal_error(0x25, nullptr);
  FT_GlyphSlot g = face->glyph;
  entry->rendered_width = static_cast<INT_U16>(pixel_w);
  entry->rendered_height = static_cast<INT_U16>(pixel_h);
  entry->advance = static_cast<INT_S32>(g->advance.x >> 6);
  entry->left = g->bitmap_left;
  entry->top = g->bitmap_top;
  entry->bitmap_width = static_cast<INT_U16>(g->bitmap.width);
  entry->bitmap_rows = static_cast<INT_U16>(g->bitmap.rows);
  const int pitch = g->bitmap.pitch < 0 ? -g->bitmap.pitch : g->bitmap.pitch;
  entry->pitch = static_cast<INT_U16>(pitch);
  // The size in size_t: a 16-bit product would wrap for large glyphs.
  const size_t bytes = static_cast<size_t>(g->bitmap.rows) * static_cast<size_t>(pitch);
  entry->coverage = static_cast<INT_U8*>(malloc(bytes ? bytes : 1));
  if (!entry->coverage) report_fatal_error(0x23, nullptr);
  if (bytes) {
    // Copy row by row so that a bottom-up bitmap (negative pitch) ends up
    // top-down like the others.
    for (unsigned r = 0; r < g->bitmap.rows; ++r) {
      const unsigned char* row = g->bitmap.pitch < 0
                                     ? g->bitmap.buffer + static_cast<size_t>(g->bitmap.rows - 1 - r) * pitch
                                     : g->bitmap.buffer + static_cast<size_t>(r) * pitch;
      memcpy(entry->coverage + static_cast<size_t>(r) * pitch, row, pitch);
    }
  }
  entry->face_height = face->height;
  entry->face_descender = face->descender;
}
