// Small independent utilities: transliteration of one character, base64,
// byte scrambling, time stamps, the frame counter, passwords, HTTP dates, the
// about text, number parsing with a fallback, and shell quoting. Texts are
// returned in static buffers of this module, overwritten by the next call.
#ifndef ZORV_UTILITIES_H
#define ZORV_UTILITIES_H

#include <ctime>
#include <string>

#include "zorv_types.h"

// The clock the time stamps, the frame counter and the password maker's
// callers read; time() unless a test replaces it.
extern time_t (*utility_clock)(time_t*);

// The ASCII replacement of a Latin-1 character (buffer: at least 2 bytes,
// null = a static one).
const char* transliterate_char(INT_U8 character, char* buffer);

// Standard base64 without line breaks. Returns the encoded length; writes the
// text and a terminator only when out_size is greater than that length.
// -1 when the length cannot be represented.
INT_S32 encode_base64(const INT_U8* data, INT_U32 length, char* out, INT_S32 out_size);
// -1 for a malformed text; else the number of bytes written, or, when out is
// null or too small, the number of bytes the text holds at most.
INT_S32 decode_base64(const char* text, INT_U8* out, INT_S32 out_size);

// Reversible scrambling with two random key bytes: length + 2 bytes out.
INT_S32 scramble_bytes(const INT_U8* data, INT_S32 length, INT_U8* out, INT_S32 out_size);
// The inverse: length - 2 bytes out; 0 when the input is shorter than 2
// bytes or out is too small.
INT_S32 unscramble_bytes(const INT_U8* data, INT_U32 length, INT_U8* out, INT_S32 out_size);

// Seconds since the epoch, strictly greater than every earlier result.
INT_U32 get_unique_time_stamp();

// The frame counter: each call of these three counts one frame.
INT_U32 get_frame_counts(INT_U32* min, INT_U32* max, INT_U32* average);
char* get_frame_rate_text(const char* label);
INT_U8 update_frame_rate_text(char** out, const char* label);

enum : INT_U8 {
  PASSWORD_ALLOW_UPPER = 1,
  PASSWORD_REQUIRE_UPPER = 2,
  PASSWORD_ALLOW_DIGITS = 4,
  PASSWORD_REQUIRE_DIGIT = 8,
  PASSWORD_TO_CLIPBOARD = 16,
};
// A password of min_length..max_length letters (and digits); null for bad
// arguments (a minimum below 4 or above 256 among them). out: at least
// max_length + 1 bytes (257 at most needed), null = a static buffer.
char* make_random_password(INT_S16 min_length, INT_S16 max_length, INT_U8 flags, char* out);

// "Sun, 06 Nov 1994 08:49:37 GMT".
char* get_http_date(time_t seconds);

// The later of the last key time and the last pointer or button time.
time_t get_last_input_time();

// The application's name on the first line, then the library's credits.
char* build_about_text(INT_U8 with_maker);

double parse_double_or(const char* text, double fallback);
// Base 10; values outside the 32-bit range saturate.
INT_U32 parse_unsigned_or(const char* text, INT_U32 fallback);
INT_S32 parse_long_or(const char* text, INT_S32 fallback);

// The text as one double-quoted shell word: ", $, ` and \ are escaped, so no
// text can end the word or expand inside it. Null gives "".
std::string shell_quote(const char* text);

#endif
