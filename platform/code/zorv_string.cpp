#include "zorv_string.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "clipboard.h"
#include "text_compare.h"
#include "utilities.h"

INT_S32 string_default_minimum_size = 50;

ZORV_STRING::ZORV_STRING() : minimum_size(string_default_minimum_size) {}

ZORV_STRING::ZORV_STRING(const ZORV_STRING& source, INT_S32 first, INT_S32 last)
    : minimum_size(string_default_minimum_size) {
  if (!reserve(1)) return;
  INT_S32 length = source.length();
  if (first < 0 || first >= length) return;
  if (last == -1) last = length - 1;
  if (last < first || last >= length) return;
  if (!reserve(last - first + 2)) return;
  std::memcpy(text, source.text + first, static_cast<size_t>(last - first + 1));
  text[last - first + 1] = 0;
}

ZORV_STRING::ZORV_STRING(const ZORV_STRING* source, INT_S32 first, INT_S32 last)
    : ZORV_STRING(source ? *source : ZORV_STRING(), first, last) {}

ZORV_STRING::ZORV_STRING(const ZORV_STRING& other) : minimum_size(other.minimum_size) { set(other.text); }

ZORV_STRING& ZORV_STRING::operator=(const ZORV_STRING& other) {
  if (this != &other) {
    if (other.text) set(other.text);
    else empty_out();
  }
  return *this;
}

ZORV_STRING::~ZORV_STRING() { std::free(text); }

bool ZORV_STRING::reserve(INT_S32 n) {
  INT_S32 size = n > minimum_size ? n : minimum_size;
  if (size < 1) size = 1;
  if (capacity >= size) return true;
  char* grown = static_cast<char*>(std::realloc(text, static_cast<size_t>(size)));
  if (!grown) return false;
  if (!text) grown[0] = 0;
  text = grown;
  capacity = size;
  return true;
}

void ZORV_STRING::release() {
  std::free(text);
  text = nullptr;
  capacity = 0;
}

void ZORV_STRING::empty_out() {
  if (minimum_size == 0) release();
  else if (text) text[0] = 0;
}

INT_S32 ZORV_STRING::length() const { return text ? static_cast<INT_S32>(std::strlen(text)) : 0; }

char* ZORV_STRING::char_ref(INT_U32 index) {
  static char empty[1];
  empty[0] = 0;
  if (index >= static_cast<INT_U32>(length())) return empty;
  return text + index;
}

// A text that lies inside this string's own buffer would move or be
// overwritten while it is copied; such arguments are copied first.
static bool inside(const char* buffer, INT_S32 capacity, const char* p) {
  return buffer && p && p >= buffer && p < buffer + capacity;
}

ZORV_STRING& ZORV_STRING::set(const char* source) {
  if (!source) {
    empty_out();
    return *this;
  }
  if (inside(text, capacity, source)) {
    std::string copy = source;
    return set(copy.c_str());
  }
  size_t n = std::strlen(source);
  if (n >= 0x7FFFFFFF || !reserve(static_cast<INT_S32>(n + 1))) {
    empty_out();
    return *this;
  }
  std::memcpy(text, source, n + 1);
  return *this;
}

ZORV_STRING& ZORV_STRING::set_long(INT_S32 value) {
  if (reserve(15)) snprintf(text, static_cast<size_t>(capacity), "%d", value);
  return *this;
}

ZORV_STRING& ZORV_STRING::set_short(INT_S16 value) {
  if (reserve(15)) snprintf(text, static_cast<size_t>(capacity), "%hd", value);
  return *this;
}

ZORV_STRING& ZORV_STRING::append(const char* source) {
  if (!text) return set(source);
  if (!source) return *this;
  if (inside(text, capacity, source)) {
    std::string copy = source;
    return append(copy.c_str());
  }
  size_t have = std::strlen(text), add = std::strlen(source);
  if (have + add >= 0x7FFFFFFF || !reserve(static_cast<INT_S32>(have + add + 1))) return *this;
  std::memcpy(text + have, source, add + 1);
  return *this;
}

ZORV_STRING& ZORV_STRING::append_long(INT_S32 value) {
  char number[16];
  snprintf(number, sizeof number, "%d", value);
  return append(number);
}

ZORV_STRING& ZORV_STRING::append_short(INT_S16 value) {
  char number[16];
  snprintf(number, sizeof number, "%hd", value);
  return append(number);
}

void ZORV_STRING::insert(const ZORV_STRING& other, INT_S32 position) {
  if (!other.text || !other.text[0]) return;
  if (&other == this) {
    ZORV_STRING copy(other);
    insert(copy, position);
    return;
  }
  if (!text || !text[0]) {
    set(other.text);
    return;
  }
  INT_S32 have = length(), add = other.length();
  if (position < 0 || position > have) return;
  if (static_cast<INT_S64>(have) + add >= 0x7FFFFFFF || !reserve(have + add + 1)) return;
  std::memmove(text + position + add, text + position, static_cast<size_t>(have - position + 1));
  std::memcpy(text + position, other.text, static_cast<size_t>(add));
}

void ZORV_STRING::insert(const ZORV_STRING* other, INT_S32 position) {
  if (other) insert(*other, position);
}

bool ZORV_STRING::erase(INT_S32 first, INT_S32 last) {
  if (first > last || !text || first < 0) return false;
  INT_S32 have = length();
  if (last >= have) return false;
  std::memmove(text + first, text + last + 1, static_cast<size_t>(have - last));
  return true;
}

bool ZORV_STRING::replace(const ZORV_STRING& find_what, const ZORV_STRING& with, INT_S32 start) {
  if (!find_what.text || !find_what.text[0] || !text || !text[0]) return false;
  INT_S32 have = length();
  if (start < 0 || start >= have) return false;
  std::string what = find_what.text;
  std::string by = with.text ? with.text : "";
  const char* hit = std::strstr(text + start, what.c_str());
  if (!hit) return false;
  INT_S32 at = static_cast<INT_S32>(hit - text);
  INT_S32 cut = static_cast<INT_S32>(what.size()), add = static_cast<INT_S32>(by.size());
  if (add > cut) {
    if (static_cast<INT_S64>(have) + add - cut >= 0x7FFFFFFF || !reserve(have - cut + add + 1)) return false;
  }
  std::memmove(text + at + add, text + at + cut, static_cast<size_t>(have - at - cut + 1));
  std::memcpy(text + at, by.data(), by.size());
  return true;
}

static bool same_text(const char* a, const char* b, INT_S32 n, bool case_sensitive) {
  if (case_sensitive) return std::strncmp(a, b, static_cast<size_t>(n)) == 0;
  return compare_text_nocase_n32(a, b, n) == 0;
}

INT_S32 ZORV_STRING::find(const ZORV_STRING& what, INT_S32 start, INT_U8 case_sensitive) const {
  if (!text || !what.text || !what.text[0]) return -1;
  INT_S32 have = length();
  if (start < 0 || start >= have) return -1;
  INT_S32 n = what.length();
  for (INT_S32 i = start; i + n <= have; ++i)
    if (same_text(text + i, what.text, n, case_sensitive != 0)) return i;
  return -1;
}

INT_S32 ZORV_STRING::find_last(const ZORV_STRING& what, INT_S32 start, INT_U8 case_sensitive) const {
  if (!text || !what.text || !what.text[0]) return -1;
  INT_S32 have = length(), n = what.length();
  INT_S32 candidate = have - n;
  if (start >= 0 && start < candidate) candidate = start;
  for (INT_S32 i = candidate; i >= 0; --i) {
    if (same_text(text + i, what.text, n, case_sensitive != 0)) return i;
  }
  return -1;
}

static bool trimmable(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u < 0x80 && isspace(u);
}

void ZORV_STRING::trim_left() {
  if (!text) return;
  INT_S32 skip = 0;
  while (text[skip] && trimmable(text[skip])) ++skip;
  if (skip) std::memmove(text, text + skip, std::strlen(text + skip) + 1);
}

void ZORV_STRING::trim_right() {
  if (!text) return;
  INT_S32 end = length();
  while (end > 0 && trimmable(text[end - 1])) --end;
  text[end] = 0;
}

void ZORV_STRING::to_lower() {
  if (!text) return;
  for (char* p = text; *p; ++p) *p = static_cast<char>(tolower(static_cast<unsigned char>(*p)));
}

void ZORV_STRING::copy_to_clipboard() { set_clipboard_text(text); }

void ZORV_STRING::paste_from_clipboard() {
  char buffer[1024];
  if (!has_clipboard_text() || !get_clipboard_text(buffer, sizeof buffer)) return;
  buffer[sizeof buffer - 1] = 0;
  release();
  set(buffer);
}

INT_S32 ZORV_STRING::encode() {
  if (!text) return 0;
  INT_S32 have = length();
  INT_S32 size = scramble_bytes(nullptr, have, nullptr, 0);
  if (size < 2) return 0;
  auto* scrambled = static_cast<INT_U8*>(std::malloc(static_cast<size_t>(size)));
  if (!scrambled) return 0;
  INT_S32 n = scramble_bytes(reinterpret_cast<const INT_U8*>(text), have, scrambled, size);
  INT_S32 encoded = n > 0 ? encode_base64(scrambled, static_cast<INT_U32>(n), nullptr, 0) : -1;
  INT_S32 result = 0;
  if (encoded > 0 && encoded < 0x7FFFFFFF && reserve(encoded + 1)) {
    result = encode_base64(scrambled, static_cast<INT_U32>(n), text, capacity);
  }
  std::free(scrambled);
  return result;
}

char* ZORV_STRING::decode() {
  if (!text) return nullptr;
  INT_S32 size = decode_base64(text, nullptr, 0);
  // Fewer than two bytes cannot hold the two key bytes.
  if (size < 2) return nullptr;
  auto* bytes = static_cast<INT_U8*>(std::malloc(static_cast<size_t>(size)));
  if (!bytes) return nullptr;
  INT_S32 got = decode_base64(text, bytes, size);
  char* result = nullptr;
  if (got >= 2) {
    INT_S32 plain_size = got - 2;
    auto* plain = static_cast<char*>(std::malloc(static_cast<size_t>(plain_size) + 1));
    if (plain && unscramble_bytes(bytes, static_cast<INT_U32>(got), reinterpret_cast<INT_U8*>(plain),
                                  plain_size) == plain_size) {
      plain[plain_size] = 0;
      if (reserve(plain_size + 1)) {
        std::memcpy(text, plain, static_cast<size_t>(plain_size) + 1);
        result = text;
      }
    }
    std::free(plain);
  }
  std::free(bytes);
  return result;
}

bool ZORV_STRING::put_to_data_device(DATA_DEVICE* device) {
  if (!device) return false;
  size_t n = text ? std::strlen(text) : 0;
  if (n > 0x7FFFFFFF) return false;
  if (!device->write_u32(static_cast<INT_U32>(n))) return false;
  if (n == 0) return true;
  return device->write(text, static_cast<INT_S32>(n)) != 0;
}

bool ZORV_STRING::get_from_data_device(DATA_DEVICE* device) {
  empty_out();
  if (!device) return false;
  INT_U32 n = 0;
  if (!device->read_u32(&n)) return false;
  if (n == 0) return true;
  if (n >= 0x80000000u) return false;
  // The stored length is not trusted with memory: the buffer grows with
  // what the device actually delivers, so a damaged length cannot make us
  // allocate gigabytes for a few bytes of data.
  const INT_U32 chunk = 1u << 20;
  INT_U32 got = 0;
  while (got < n) {
    INT_U32 want = n - got < chunk ? n - got : chunk;
    if (!reserve(static_cast<INT_S32>(got + want + 1))) {
      empty_out();
      return false;
    }
    INT_S32 r = device->read(text + got, static_cast<INT_S32>(want));
    if (r <= 0) break;
    got += static_cast<INT_U32>(r);
    if (static_cast<INT_U32>(r) < want) break;
  }
  if (got == 0) {
    empty_out();
    return false;
  }
  text[got] = 0;
  return true;
}
