// Text file stream: UTF-8 and 16-bit text with wide-character escapes.
#include "text_file.h"

#include <cstdarg>
#include <cstring>

namespace {

// Stands for every character that the four-digit escape cannot hold.
const INT_U32 REPLACEMENT_CHARACTER = 0xFFFD;

int hex_digit_value(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool put_byte(FILE* stream, INT_U32 byte) { return fputc(static_cast<int>(byte & 0xFF), stream) != EOF; }

}  // namespace

TEXT_FILE::TEXT_FILE()
    : max_line(256), mode(0), stream(nullptr), line_end(0), sixteen_bit(0), swapped(0), utf8(1) {}

TEXT_FILE::~TEXT_FILE() {}

bool TEXT_FILE::put_code(INT_U32 value) {
  if (!stream) return false;
  if (sixteen_bit) {
    // Files we write are never swapped: units go out least significant byte first.
    INT_U32 unit = value == 10 ? 0x000A : (value & 0xFFFF);
    return put_byte(stream, unit) && put_byte(stream, unit >> 8);
  }
  if (!utf8) return put_byte(stream, value);
  if (value < 0x80) return put_byte(stream, value);
  if (value < 0x800) return put_byte(stream, 0xC0 | (value >> 6)) && put_byte(stream, 0x80 | (value & 0x3F));
  if (value < 0x10000)
    return put_byte(stream, 0xE0 | (value >> 12)) && put_byte(stream, 0x80 | ((value >> 6) & 0x3F)) &&
           put_byte(stream, 0x80 | (value & 0x3F));
  if (value <= 0x10FFFF)
    return put_byte(stream, 0xF0 | (value >> 18)) && put_byte(stream, 0x80 | ((value >> 12) & 0x3F)) &&
           put_byte(stream, 0x80 | ((value >> 6) & 0x3F)) && put_byte(stream, 0x80 | (value & 0x3F));
  return put_byte(stream, value & 0x7F);
}

INT_S32 TEXT_FILE::get_code() {
  if (!stream) return -1;
  int first = fgetc(stream);
  if (first == EOF) return -1;
  int extra;
  INT_S32 value;
  if (!utf8 || first < 0x80 || (first & 0xC0) == 0x80 || first >= 0xF8) return first;
  if ((first & 0xE0) == 0xC0) {
    extra = 1;
    value = first & 0x1F;
  } else if ((first & 0xF0) == 0xE0) {
    extra = 2;
    value = first & 0x0F;
  } else {
    extra = 3;
    value = first & 0x07;
  }
  for (int i = 0; i < extra; i++) {
    int next = fgetc(stream);
    if (next == EOF) return 0;
    if ((next & 0xC0) != 0x80) {
      // The byte that broke the sequence starts the next character: a line
      // end right after a broken sequence still ends the line.
      ungetc(next, stream);
      return 0;
    }
    value = (value << 6) | (next & 0x3F);
  }
  return value;
}

INT_S32 TEXT_FILE::read_value() {
  if (!stream) return -1;
  if (!sixteen_bit) return get_code();
  auto read_unit = [this]() -> INT_S32 {
    unsigned char bytes[2];
    if (fread(bytes, 1, 2, stream) != 2) return -1;
    return swapped ? (bytes[0] << 8) | bytes[1] : bytes[0] | (bytes[1] << 8);
  };
  INT_S32 unit = pending_unit_;
  pending_unit_ = -1;
  if (unit < 0) unit = read_unit();
  if (unit < 0xD800 || unit > 0xDBFF) return unit;
  // A high surrogate followed by a low one is one character beyond the
  // escape's reach; a lone surrogate stays what it is.
  INT_S32 next = read_unit();
  if (next >= 0xDC00 && next <= 0xDFFF) return 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
  pending_unit_ = next;
  return unit;
}

bool TEXT_FILE::is_line_end(INT_S32 value) {
  if (line_end == 0) line_end = value;
  return value == line_end;
}

bool TEXT_FILE::write_char(INT_U8 character) {
  if (!stream || (mode != 1 && mode != 2)) return false;
  return put_code(character);
}

bool TEXT_FILE::write_string(const char* text) {
  if (!stream || (mode != 1 && mode != 2) || !text) return false;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  bool escaped = false;
  while (*p) {
    if (*p == static_cast<unsigned char>(TEXT_ESCAPE)) {
      escaped = !escaped;
      p++;
      if (*p == ',') p++;
      continue;
    }
    if (!escaped) {
      if (!put_code(*p)) return false;
      p++;
      continue;
    }
    if (*p == '\n' || *p == '\r') {
      // read_line leaves a run open at the end of a line: the line end closes
      // it, or it and everything after it would be lost.
      escaped = false;
      continue;
    }
    if (hex_digit_value(*p) < 0) {
      p++;
      continue;
    }
    INT_U32 value = 0;
    int digits = 0;
    while (digits < 4 && hex_digit_value(*p) >= 0) {
      value = (value << 4) | static_cast<INT_U32>(hex_digit_value(*p));
      digits++;
      p++;
    }
    if (digits < 4) {
      // A short group is dropped with the byte that ends it, but the
      // terminator always ends the text.
      if (*p) p++;
      continue;
    }
    if (!put_code(value)) return false;
    if (*p == ',') p++;
  }
  return true;
}

void TEXT_FILE::printf(const char* format, ...) {
  if (!format || !stream || (mode != 1 && mode != 2)) return;
  char buffer[1023];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  write_string(buffer);
}

bool TEXT_FILE::read_code(INT_S32* out) {
  if (!stream || mode != 0 || !out) return false;
  for (;;) {
    INT_S32 value = read_value();
    if (value < 0) return false;
    if (value == 13 || value == 10) {
      if (!is_line_end(value)) continue;
      *out = 10;
      return true;
    }
    *out = value > 0xFFFF ? static_cast<INT_S32>(REPLACEMENT_CHARACTER) : value;
    return true;
  }
}

bool TEXT_FILE::read_char(INT_U8* out) {
  INT_S32 value;
  if (!out || !read_code(&value)) return false;
  *out = static_cast<INT_U8>(value & 0xFF);
  return true;
}

bool TEXT_FILE::read_line(char* buffer) {
  if (!stream || mode != 0 || !buffer || max_line < 1) return false;
  const int size = max_line;
  int length = 0;
  bool escaped = false;
  for (;;) {
    INT_S32 value = read_value();
    if (value < 0) {
      buffer[length] = 0;
      return length > 0;
    }
    if (value == 13 || value == 10) {
      if (!is_line_end(value)) continue;
      buffer[length] = 0;
      return true;
    }
    if (value > 0xFFFF) value = REPLACEMENT_CHARACTER;
    if (value & 0xFF00) {
      int needed = (escaped ? 0 : 1) + 5;
      if (length + needed + 1 > size) break;
      if (!escaped) buffer[length++] = TEXT_ESCAPE;
      escaped = true;
      snprintf(buffer + length, 6, ",%04X", static_cast<unsigned>(value));
      length += 5;
    } else {
      int needed = (escaped ? 1 : 0) + 1;
      if (length + needed + 1 > size) break;
      if (escaped) buffer[length++] = TEXT_ESCAPE;
      escaped = false;
      buffer[length++] = static_cast<char>(value);
    }
  }
  // The character that did not fit is dropped; the rest of the line is what
  // the next call returns.
  buffer[length] = 0;
  return true;
}

bool finish_text_file(TEXT_FILE** file) {
  if (!file || !*file) return false;
  TEXT_FILE* text = *file;
  bool ok = true;
  if (text->stream) {
    if (fflush(text->stream) != 0 || ferror(text->stream)) ok = false;
    if (fclose(text->stream) != 0) ok = false;
    text->stream = nullptr;
  } else {
    ok = false;
  }
  delete text;
  *file = nullptr;
  return ok;
}
