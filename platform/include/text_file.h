// Text files read and written line by line: 8-bit files in UTF-8 and files of
// 16-bit units with a byte-order mark. Inside the library text is an 8-bit
// string; characters that do not fit a byte travel as escapes: a byte 0x01,
// then ",XXXX" (four hex digits) per 16-bit character, and another 0x01 where
// narrow characters resume.
#ifndef TEXT_FILE_H
#define TEXT_FILE_H

#include <cstdio>

#include "zorv_types.h"

class FOLDER;

// The byte that opens and closes an escape run in escaped text.
const char TEXT_ESCAPE = 0x01;

class TEXT_FILE {
 public:
  INT_S16 max_line;     // size of the buffer read_line fills, terminator included
  INT_S32 mode;         // 0 read, 1 write (truncated), 2 append
  FILE* stream;         // the open stream, or NULL
  INT_S32 line_end;     // 0 until the first CR or LF is read; then that character
  INT_U8 sixteen_bit;   // the file is a sequence of 16-bit units
  INT_U8 swapped;       // the units are stored in the opposite byte order
  INT_U8 utf8;          // 8-bit files are UTF-8

  TEXT_FILE();
  ~TEXT_FILE();

  // Opening and closing live with the data-file module: open fills mode,
  // stream, sixteen_bit and swapped from the byte-order mark.
  static bool open(FOLDER* folder, const char* name, INT_S32 mode, INT_U8 unicode, TEXT_FILE* file);

  bool put_code(INT_U32 value);
  INT_S32 get_code();
  bool write_char(INT_U8 character);
  bool write_string(const char* text);
  void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  bool read_char(INT_U8* out);
  // As read_char, but delivers the whole character value (above U+FFFF:
  // U+FFFD), so that a wide character is not cut to its low byte.
  bool read_code(INT_S32* out);
  bool read_line(char* buffer);

 private:
  // One character value of the file, or -1 at its end.
  INT_S32 read_value();
  // Whether a line-end character ends the line (it may be the other one).
  bool is_line_end(INT_S32 value);
  INT_S32 pending_unit_ = -1;  // a 16-bit unit read ahead while pairing surrogates
};

TEXT_FILE* open_text_file(FOLDER* folder, const char* name, INT_S32 mode, INT_U8 unicode);
void close_text_file(TEXT_FILE** file);

// Closes like close_text_file, but reports whether every byte reached the
// file: false when a write or the close failed (a full disk, say).
bool finish_text_file(TEXT_FILE** file);

#endif
