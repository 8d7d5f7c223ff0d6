// The character scan shared by text measuring, drawing and the text box:
// bytes are Latin-1 codes; byte 0x01 toggles wide mode (a ',' after it is
// skipped), in which each character is 4 hex digits and an optional ','.
#ifndef ZORV_TEXT_SCAN_H
#define ZORV_TEXT_SCAN_H

#include "fonts.h"
#include "zorv_types.h"

namespace text_scan {

class Scanner {
 public:
  // remaining: characters to deliver, negative = all.
  Scanner(const char* t, INT_S64 max_chars, bool start_wide_mode, size_t at = 0)
      : text(t), pos(at), wide(start_wide_mode), remaining(max_chars) {}
  // The next character; false at the end of the text or of max_chars.
  bool next(INT_U32* code);

  const char* text;
  size_t pos;         // byte after the last character delivered
  size_t start = 0;   // first byte of the last character delivered
  bool wide;          // mode after the last character
  bool start_wide = false;  // mode at the last character
  INT_S64 remaining;
};

}  // namespace text_scan

namespace drawing {

// The slot's cached entry for codes below 256 (made on first use), `temp`
// for wider codes; rendered at the cell size less one pixel each way.
GLYPH_ENTRY* glyph_for(INT_S8 slot, INT_U32 code, int font_w, int font_h, GLYPH_ENTRY* temp);
// Frees the bitmap of a temporary entry.
void release_temp(GLYPH_ENTRY* temp);
// Slot loaded and cell at least 1 x 1.
bool usable_font(int font, int font_w, int font_h);

}  // namespace drawing

#endif
