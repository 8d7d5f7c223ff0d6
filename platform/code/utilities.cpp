#include "utilities.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app.h"
#include "clipboard.h"
#include "input.h"
#include "random.h"

time_t (*utility_clock)(time_t*) = time;

// --- transliteration ---

const char* transliterate_char(INT_U8 c, char* buffer) {
  static const char* const table[63] = {
      "A", "A", "A", "A", "A", "A", "AE", "C",                     // 192-199
      "E", "E", "E", "E", "I", "I", "I", "I",                      // 200-207
      "D", "N", "O", "O", "O", "O", "O", nullptr,                  // 208-215
      "O", "U", "U", "U", "U", "YSS", nullptr, nullptr,            // 216-223
      "a", "a", "a", "a", "a", "a", "ae", "c",                     // 224-231
      "e", "e", "e", "e", "i", "i", "i", "i",                      // 232-239
      "d", "n", "o", "o", "o", "o", "o", nullptr,                  // 240-247
      "o", "u", "u", "u", "u", "y", "p"};                          // 248-254
  if (c >= 192 && c <= 254 && table[c - 192]) return table[c - 192];
  static char own[2];
  char* out = buffer ? buffer : own;
  out[0] = c < 128 ? static_cast<char>(c) : '?';
  out[1] = 0;
  return out;
}

// --- base64 ---

static const char base64_alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

INT_S32 encode_base64(const INT_U8* data, INT_U32 length, char* out, INT_S32 out_size) {
  INT_U64 encoded = (static_cast<INT_U64>(length) + 2) / 3 * 4;
  if (encoded > 0x7FFFFFFEu) return -1;
  INT_S32 n = static_cast<INT_S32>(encoded);
  if (!out || out_size <= n || (!data && length > 0)) return n;
  char* o = out;
  INT_U32 i = 0;
  for (; i + 2 < length; i += 3) {
    INT_U32 v = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
    *o++ = base64_alphabet[v >> 18];
    *o++ = base64_alphabet[(v >> 12) & 63];
    *o++ = base64_alphabet[(v >> 6) & 63];
    *o++ = base64_alphabet[v & 63];
  }
  if (i < length) {
    INT_U32 v = data[i] << 16;
    if (i + 1 < length) v |= data[i + 1] << 8;
    *o++ = base64_alphabet[v >> 18];
    *o++ = base64_alphabet[(v >> 12) & 63];
    *o++ = i + 1 < length ? base64_alphabet[(v >> 6) & 63] : '=';
    *o++ = '=';
  }
  *o = 0;
  return n;
}

static int base64_value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

INT_S32 decode_base64(const char* text, INT_U8* out, INT_S32 out_size) {
  if (!text) return -1;
  size_t len = std::strlen(text);
  if (len % 4 != 0 || len / 4 * 3 > 0x7FFFFFFFu) return -1;
  if (len == 0) return 0;
  INT_S32 expected = static_cast<INT_S32>(len / 4 * 3);
  if (text[len - 1] == '=') --expected;
  if (text[len - 2] == '=') --expected;
  if (!out || out_size < expected) return expected;
  INT_S32 written = 0;
  for (size_t g = 0; g < len; g += 4) {
    const char* p = text + g;
    int v[4];
    for (int k = 0; k < 4; ++k) {
      v[k] = base64_value(p[k]);
      if (v[k] < 0 && !(k >= 2 && p[k] == '=')) return -1;
    }
    // A group gives one byte, two when its third character is not '=' and
    // three when its fourth is not '=' either; every byte stays inside the
    // size announced above.
    INT_U8 bytes[3];
    int count = 1;
    bytes[0] = static_cast<INT_U8>((v[0] << 2) | (v[1] >> 4));
    if (p[2] != '=') {
      bytes[1] = static_cast<INT_U8>((v[1] << 4) | (v[2] >> 2));
      count = 2;
      if (p[3] != '=') {
        bytes[2] = static_cast<INT_U8>((v[2] << 6) | v[3]);
        count = 3;
      }
    }
    if (written + count > out_size) return -1;
    std::memcpy(out + written, bytes, static_cast<size_t>(count));
    written += count;
    if (p[3] == '=' || p[2] == '=') break;
    if (p[4] == 0 || p[4] == 13) break;
  }
  // What was written, not what a full decode would have given: decoding may
  // stop early.
  return written;
}

// --- scrambling ---

INT_S32 scramble_bytes(const INT_U8* data, INT_S32 length, INT_U8* out, INT_S32 out_size) {
  if (length < 0 || length > 0x7FFFFFFD) return 0;
  if (!data) return length + 2;
  if (!out || out_size < length + 2) return 0;
  INT_U32 k = static_cast<INT_U32>(get_random_in_range(1, 256));
  INT_U32 key = static_cast<INT_U32>(get_random_in_range(1, 256));
  out[0] = static_cast<INT_U8>(k);
  INT_U32 sum = 0;
  for (INT_S32 i = 1; i <= length; ++i) {
    INT_U8 plain = data[i - 1];
    out[i] = static_cast<INT_U8>(key ^ plain ^ (static_cast<INT_U32>(i - 1) * k) ^ ~sum);
    sum += plain;
  }
  out[length + 1] = static_cast<INT_U8>(key);
  return length + 2;
}

INT_S32 unscramble_bytes(const INT_U8* data, INT_U32 length, INT_U8* out, INT_S32 out_size) {
  // Under 2 bytes there is no key: nothing to restore, and no negative length.
  if (length < 2 || length - 2 > 0x7FFFFFFFu) return 0;
  INT_S32 n = static_cast<INT_S32>(length - 2);
  if (!data) return n;
  if (n > out_size) return 0;
  if (n < 1) return n;
  if (!out) return 0;
  INT_U32 k = data[0];
  INT_U32 key = data[length - 1];
  INT_U32 sum = 0;
  for (INT_S32 i = 1; i <= n; ++i) {
    INT_U8 plain = static_cast<INT_U8>(key ^ data[i] ^ (static_cast<INT_U32>(i - 1) * k) ^ ~sum);
    out[i - 1] = plain;
    sum += plain;
  }
  return n;
}

// --- time stamps and the frame counter ---

INT_U32 get_unique_time_stamp() {
  static INT_U32 previous = 0;
  INT_U32 t = static_cast<INT_U32>(utility_clock(nullptr));
  if (t <= previous) t = previous + 1;
  previous = t;
  return t;
}

namespace {
struct FRAME_COUNTER {
  INT_U32 frames = 0;
  time_t second = 0;
  INT_U32 seconds = 0;
  INT_U64 total = 0;
  INT_U32 rate = 0;
  INT_U32 maximum = 0;
  INT_U32 minimum = 0xFFFFFFFFu;
  INT_U32 average = 0;
} frame_counter;

void count_frame() {
  FRAME_COUNTER& c = frame_counter;
  ++c.frames;
  time_t now = utility_clock(nullptr);
  if (now == c.second) return;
  c.rate = c.frames;
  c.frames = 0;
  c.second = now;
  c.total += c.rate;
  ++c.seconds;
  if (c.rate < c.minimum) c.minimum = c.rate;
  if (c.rate > c.maximum) c.maximum = c.rate;
  c.average = static_cast<INT_U32>(c.total / c.seconds);
  if ((c.average >> 1) > c.minimum) {
    c.minimum = 0xFFFFFFFFu;
    c.average = 0;
    c.seconds = 0;
    c.total = 0;
    c.maximum = 0;
  }
}

INT_U32 reported_minimum() { return frame_counter.minimum == 0xFFFFFFFFu ? 0 : frame_counter.minimum; }

char frame_rate_text[1100];
bool frame_rate_formatted = false;
INT_U32 frame_rate_formatted_for = 0;

bool format_frame_rate(const char* label) {
  if (frame_rate_formatted && frame_rate_formatted_for == frame_counter.rate) return false;
  snprintf(frame_rate_text, sizeof frame_rate_text, "%.1000s: %dhz (Min %dhz, Max %dhz, Avg %dhz)",
           label ? label : "Frame Rate", static_cast<INT_S32>(frame_counter.rate),
           static_cast<INT_S32>(reported_minimum()), static_cast<INT_S32>(frame_counter.maximum),
           static_cast<INT_S32>(frame_counter.average));
  frame_rate_formatted = true;
  frame_rate_formatted_for = frame_counter.rate;
  return true;
}
}  // namespace

INT_U32 get_frame_counts(INT_U32* min, INT_U32* max, INT_U32* average) {
  count_frame();
  if (min) *min = reported_minimum();
  if (max) *max = frame_counter.maximum;
  if (average) *average = frame_counter.average;
  return frame_counter.rate;
}

char* get_frame_rate_text(const char* label) {
  count_frame();
  format_frame_rate(label);
  return frame_rate_text;
}

INT_U8 update_frame_rate_text(char** out, const char* label) {
  count_frame();
  bool rebuilt = format_frame_rate(label);
  if (out) *out = frame_rate_text;
  return rebuilt ? 1 : 0;
}

// --- passwords ---

char* make_random_password(INT_S16 min_length, INT_S16 max_length, INT_U8 flags, char* out) {
  // A minimum above 256 can never be met (the length is capped at 256).
  if (min_length < 4 || min_length > 256 || min_length > max_length) return nullptr;
  if ((flags & PASSWORD_REQUIRE_UPPER) && !(flags & PASSWORD_ALLOW_UPPER)) return nullptr;
  if ((flags & PASSWORD_REQUIRE_DIGIT) && !(flags & PASSWORD_ALLOW_DIGITS)) return nullptr;
  static char own[257];
  char* p = out ? out : own;
  INT_S32 top = max_length < 256 ? max_length : 256;
  INT_S32 length = get_random_in_range(min_length, top + 1);
  for (;;) {
    bool digit = false, upper = false;
    for (INT_S32 i = 0; i < length; ++i) {
      for (;;) {
        int c = get_random_in_range(32, 127);
        if (!isalnum(c)) continue;
        if (isupper(c) && !(flags & PASSWORD_ALLOW_UPPER)) continue;
        if (isdigit(c) && !(flags & PASSWORD_ALLOW_DIGITS)) continue;
        digit = digit || isdigit(c);
        upper = upper || isupper(c);
        p[i] = static_cast<char>(c);
        break;
      }
    }
    if ((flags & PASSWORD_REQUIRE_DIGIT) && !digit) continue;
    if ((flags & PASSWORD_REQUIRE_UPPER) && !upper) continue;
    break;
  }
  p[length] = 0;
  if (flags & PASSWORD_TO_CLIPBOARD) set_clipboard_text(p);
  return p;
}

// --- dates, input time, about text ---

char* get_http_date(time_t seconds) {
  static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static char text[64];
  struct tm t;
  if (!gmtime_r(&seconds, &t) || t.tm_wday < 0 || t.tm_wday > 6 || t.tm_mon < 0 || t.tm_mon > 11) {
    text[0] = 0;
    return text;
  }
  snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", days[t.tm_wday], t.tm_mday,
           months[t.tm_mon], t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
  return text;
}

time_t get_last_input_time() {
  INT_U32 key = get_last_key_time();
  INT_U32 mouse = get_last_mouse_time();
  return static_cast<time_t>(key > mouse ? key : mouse);
}

char* build_about_text(INT_U8 with_maker) {
  static char text[2048];
  const char* name = APPLICATION_INFO.app_name ? APPLICATION_INFO.app_name : "";
  int n = snprintf(text, sizeof text,
                   "%.900s\n\nBuilt with the ZORV application library\nBuild date: %s %s\n", name,
                   __DATE__, __TIME__);
  if (with_maker && n > 0 && static_cast<size_t>(n) < sizeof text) {
    snprintf(text + n, sizeof text - static_cast<size_t>(n),
             "\nThe ZORV application library is a cross-platform framework of core services, "
             "graphics, a platform layer and a window manager with its widgets and dialogs.\n"
             "\nThe ZORV developers made and maintain the library; the application's makers "
             "chose it to build this program.\n");
  }
  return text;
}

// --- number parsing ---

double parse_double_or(const char* text, double fallback) {
  return text ? strtod(text, nullptr) : fallback;
}

INT_U32 parse_unsigned_or(const char* text, INT_U32 fallback) {
  if (!text) return fallback;
  const char* p = text;
  while (isspace(static_cast<unsigned char>(*p))) ++p;
  bool negative = *p == '-';
  errno = 0;
  unsigned long long v = strtoull(negative ? p + 1 : p, nullptr, 10);
  if (negative && !isdigit(static_cast<unsigned char>(p[1]))) return 0;
  if (errno == ERANGE || v > 0xFFFFFFFFull) return 0xFFFFFFFFu;
  return negative ? static_cast<INT_U32>(0u - static_cast<INT_U32>(v)) : static_cast<INT_U32>(v);
}

INT_S32 parse_long_or(const char* text, INT_S32 fallback) {
  if (!text) return fallback;
  long long v = strtoll(text, nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<INT_S32>(v);
}

// --- shell quoting ---

std::string shell_quote(const char* text) {
  std::string quoted = "\"";
  for (const char* p = text ? text : ""; *p; ++p) {
    if (*p == '"' || *p == '$' || *p == '`' || *p == '\\') quoted += '\\';
    quoted += *p;
  }
  quoted += '"';
  return quoted;
}
