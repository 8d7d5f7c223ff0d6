// Typed values: conversions between the ten value types, text and numbers.
#include "typed_value.h"

#include <cctype>
#include <cerrno>
#include <cfloat>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

TYPED_SLOT* slot_of(void* slot) { return static_cast<TYPED_SLOT*>(slot); }
const TYPED_SLOT* slot_of(const void* slot) { return static_cast<const TYPED_SLOT*>(slot); }

// Narrowing keeps the low bits, as a store into the field would.
INT_U32 low32(INT_S64 v) { return static_cast<INT_U32>(static_cast<INT_U64>(v)); }
INT_S32 s32_of(INT_U32 v) { return static_cast<INT_S32>(v); }

float to_f32(double v) {
  // Outside the float range the conversion is undefined; infinity is what a
  // float can say about it.
  if (v > FLT_MAX) return __builtin_inff();
  if (v < -FLT_MAX) return -__builtin_inff();
  return static_cast<float>(v);
}

// Integer text as the 32-bit "%ld" read it: optional space and sign, then
// decimal digits; out of range saturates. False when no digit follows.
bool scan_s32(const char* text, INT_S32* out) {
  if (!text) return false;
  const char* p = text;
  while (isspace(static_cast<unsigned char>(*p))) ++p;
  const char* digits = p + ((*p == '-' || *p == '+') ? 1 : 0);
  if (!isdigit(static_cast<unsigned char>(*digits))) return false;
  errno = 0;
  long long v = strtoll(p, nullptr, 10);
  if (v > INT32_MAX) v = INT32_MAX;
  if (v < INT32_MIN) v = INT32_MIN;
  *out = static_cast<INT_S32>(v);
  return true;
}

// "%lu" of a 32-bit long: a minus sign negates modulo 2^32, a magnitude past
// 32 bits saturates.
bool scan_u32(const char* text, INT_U32* out) {
  if (!text) return false;
  const char* p = text;
  while (isspace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = (*p++ == '-');
  if (!isdigit(static_cast<unsigned char>(*p))) return false;
  errno = 0;
  unsigned long long v = strtoull(p, nullptr, 10);
  if (errno == ERANGE || v > 0xFFFFFFFFull) {
    *out = 0xFFFFFFFFu;
    return true;
  }
  INT_U32 u = static_cast<INT_U32>(v);
  *out = negative ? 0u - u : u;
  return true;
}

bool scan_double(const char* text, double* out) {
  if (!text) return false;
  char* end = nullptr;
  double v = strtod(text, &end);
  if (end == text) return false;
  *out = v;
  return true;
}

bool scan_pointer(const char* text, INT_WORD* out) {
  if (!text) return false;
  const char* p = text;
  while (isspace(static_cast<unsigned char>(*p))) ++p;
  char* end = nullptr;
  unsigned long long v = strtoull(p, &end, 16);
  if (end == p) return false;
  *out = static_cast<INT_WORD>(v);
  return true;
}

// A new array exactly as long as the formatted text needs; null when the
// allocation fails.
char* format_new(const char* format, ...) __attribute__((format(printf, 1, 2)));
char* format_new(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int n = vsnprintf(nullptr, 0, format, args);
  va_end(args);
  char* text = nullptr;
  if (n >= 0) {
    text = new (std::nothrow) char[static_cast<size_t>(n) + 1];
    if (text) vsnprintf(text, static_cast<size_t>(n) + 1, format, again);
  }
  va_end(again);
  return text;
}

char* copy_new(const char* text) {
  if (!text) text = "";
  size_t n = strlen(text);
  char* copy = new (std::nothrow) char[n + 1];
  if (copy) memcpy(copy, text, n + 1);
  return copy;
}

template <typename T>
void clamp_field(T* v, T lo, T hi) {
  if (*v < lo) *v = lo;
  if (*v > hi) *v = hi;
}

}  // namespace

INT_S64 saturate_to_s64(double v) {
  if (v != v) return 0;
  if (v >= 9223372036854775807.0) return INT64_MAX;
  if (v <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<INT_S64>(v);
}

void TYPED_VALUE::clamp(void* slot) {
  TYPED_SLOT* s = slot_of(slot);
  switch (tag) {
    case TV_S8: clamp_field(&s->s8, min.s8, max.s8); break;
    case TV_U8: clamp_field(&s->u8, min.u8, max.u8); break;
    case TV_S16: clamp_field(&s->s16, min.s16, max.s16); break;
    case TV_U16: clamp_field(&s->u16, min.u16, max.u16); break;
    case TV_S32: clamp_field(&s->s32, min.s32, max.s32); break;
    case TV_U32: clamp_field(&s->u32, min.u32, max.u32); break;
    case TV_F32: clamp_field(&s->f32, min.f32, max.f32); break;
    case TV_F64: clamp_field(&s->f64, min.f64, max.f64); break;
    default: break;
  }
}

// A new bound must not leave the value outside the range it now describes:
// the scrollbar, grid and menus shrink a maximum under a value they show.
void TYPED_VALUE::settle(void* slot) {
  clamp(slot);
  if (slot == &min || slot == &max) clamp(&value);
}

void TYPED_VALUE::to_string(const void* slot, char* buffer, INT_S32 size) const {
  if (!buffer || size < 1) return;
  const TYPED_SLOT* s = slot_of(slot);
  const size_t n = static_cast<size_t>(size);
  switch (tag) {
    case TV_S8: snprintf(buffer, n, "%c", s->s8); break;
    case TV_U8: snprintf(buffer, n, "%c", s->u8); break;
    case TV_S16: snprintf(buffer, n, "%hd", s->s16); break;
    case TV_U16: snprintf(buffer, n, "%hu", s->u16); break;
    case TV_S32: snprintf(buffer, n, "%" PRId32, s->s32); break;
    case TV_U32: snprintf(buffer, n, "%" PRIu32, s->u32); break;
    case TV_F32: snprintf(buffer, n, "%.2f", static_cast<double>(s->f32)); break;
    case TV_F64: snprintf(buffer, n, "%.2f", s->f64); break;
    case TV_TEXT: {
      const char* text = s->text ? s->text : "";
      strncpy(buffer, text, n);
      buffer[n - 1] = 0;
      break;
    }
    case TV_POINTER: snprintf(buffer, n, "%p", reinterpret_cast<void*>(s->word)); break;
    default: break;
  }
}

INT_S32 TYPED_VALUE::as_long(const void* slot) const {
  const TYPED_SLOT* s = slot_of(slot);
  switch (tag) {
    case TV_S8: return s->s8;
    case TV_U8: return s->u8;
    case TV_S16: return s->s16;
    case TV_U16: return s->u16;
    case TV_S32: return s->s32;
    case TV_U32: return s32_of(s->u32);
    case TV_POINTER: return word_to_s32(s->word);
    case TV_F32: return s32_of(low32(saturate_to_s64(s->f32)));
    case TV_F64: return s32_of(low32(saturate_to_s64(s->f64)));
    case TV_TEXT: {
      INT_S32 v = 0;
      return scan_s32(s->text, &v) ? v : 0;
    }
    default: return 0;
  }
}

INT_U32 TYPED_VALUE::as_ulong(const void* slot) const {
  const TYPED_SLOT* s = slot_of(slot);
  switch (tag) {
    case TV_S8:
    case TV_U8:
    case TV_S16:
    case TV_U16:
    case TV_S32:
    case TV_U32: return static_cast<INT_U32>(as_long(slot));
    case TV_POINTER: return static_cast<INT_U32>(s->word);
    case TV_F32: return low32(saturate_to_s64(s->f32));
    case TV_F64: return low32(saturate_to_s64(s->f64));
    case TV_TEXT: {
      INT_U32 v = 0;
      return scan_u32(s->text, &v) ? v : 0;
    }
    default: return 0;
  }
}

INT_WORD TYPED_VALUE::as_pointer(const void* slot) const {
  const TYPED_SLOT* s = slot_of(slot);
  switch (tag) {
    case TV_S8:
    case TV_U8:
    case TV_S16:
    case TV_U16:
    case TV_S32:
    case TV_F32:
    case TV_F64: return word_from_s32(as_long(slot));
    case TV_U32: return s->u32;
    case TV_POINTER: return s->word;
    case TV_TEXT: {
      INT_WORD v = 0;
      return scan_pointer(s->text, &v) ? v : 0;
    }
    default: return 0;
  }
}

double TYPED_VALUE::as_double(const void* slot) const {
  const TYPED_SLOT* s = slot_of(slot);
  switch (tag) {
    case TV_S8: return s->s8;
    case TV_U8: return s->u8;
    case TV_S16: return s->s16;
    case TV_U16: return s->u16;
    case TV_S32: return s->s32;
    case TV_U32: return s->u32;
    case TV_POINTER: return word_to_s32(s->word);
    case TV_F32: return s->f32;
    case TV_F64: return s->f64;
    case TV_TEXT: {
      double v = 0;
      return scan_double(s->text, &v) ? v : 0;
    }
    default: return 0;
  }
}

void TYPED_VALUE::set_from_string(void* slot, const char* text) {
  TYPED_SLOT* s = slot_of(slot);
  switch (tag) {
    case TV_S8:
    case TV_U8:
      // "%c": one byte as it stands; an empty or null text reads nothing.
      if (text && *text) s->u8 = static_cast<INT_U8>(*text);
      break;
    case TV_S16:
    case TV_U16: {
      // "%hd" / "%hu": the number read as a long, stored in 16 bits.
      INT_S32 v;
      if (tag == TV_S16) {
        if (scan_s32(text, &v)) s->u16 = static_cast<INT_U16>(v);
      } else {
        INT_U32 u;
        if (scan_u32(text, &u)) s->u16 = static_cast<INT_U16>(u);
      }
      break;
    }
    case TV_S32: {
      INT_S32 v;
      if (scan_s32(text, &v)) s->s32 = v;
      break;
    }
    case TV_U32: {
      INT_U32 v;
      if (scan_u32(text, &v)) s->u32 = v;
      break;
    }
    case TV_F32: {
      double v;
      if (scan_double(text, &v)) s->f32 = to_f32(v);
      break;
    }
    case TV_F64: {
      double v;
      if (scan_double(text, &v)) s->f64 = v;
      break;
    }
    case TV_TEXT:
      free_string(slot);
      s->text = copy_new(text);
      break;
    case TV_POINTER: s->word = word_from_pointer(text); break;
    default: return;
  }
  settle(slot);
}

void TYPED_VALUE::set_from_long(void* slot, INT_S32 v) {
  TYPED_SLOT* s = slot_of(slot);
  switch (tag) {
    case TV_S8:
    case TV_U8: s->u8 = static_cast<INT_U8>(v); break;
    case TV_S16:
    case TV_U16: s->u16 = static_cast<INT_U16>(v); break;
    case TV_S32: s->s32 = v; break;
    case TV_U32: s->u32 = static_cast<INT_U32>(v); break;
    case TV_POINTER: s->word = word_from_s32(v); break;
    case TV_F32: s->f32 = static_cast<float>(v); break;
    case TV_F64: s->f64 = v; break;
    case TV_TEXT:
      free_string(slot);
      s->text = format_new("%" PRId32, v);
      if (!s->text) return;
      break;
    default: return;
  }
  settle(slot);
}

void TYPED_VALUE::set_from_ulong(void* slot, INT_U32 v) {
  TYPED_SLOT* s = slot_of(slot);
  switch (tag) {
    case TV_S8:
    case TV_U8: s->u8 = static_cast<INT_U8>(v); break;
    case TV_S16:
    case TV_U16: s->u16 = static_cast<INT_U16>(v); break;
    case TV_S32:
    case TV_U32: s->u32 = v; break;
    case TV_POINTER: s->word = v; break;
    case TV_F32: s->f32 = static_cast<float>(v); break;
    case TV_F64: s->f64 = v; break;
    case TV_TEXT:
      free_string(slot);
      s->text = format_new("%" PRIu32, v);
      if (!s->text) return;
      break;
    default: return;
  }
  settle(slot);
}

void TYPED_VALUE::set_from_pointer(void* slot, INT_WORD v) {
  TYPED_SLOT* s = slot_of(slot);
  switch (tag) {
    case TV_S8:
    case TV_U8: s->u8 = static_cast<INT_U8>(v); break;
    case TV_S16:
    case TV_U16: s->u16 = static_cast<INT_U16>(v); break;
    case TV_S32:
    case TV_U32: s->u32 = static_cast<INT_U32>(v); break;
    case TV_POINTER: s->word = v; break;
    case TV_F32: s->f32 = static_cast<float>(static_cast<intptr_t>(v)); break;
    case TV_F64: s->f64 = static_cast<double>(static_cast<intptr_t>(v)); break;
    case TV_TEXT:
      free_string(slot);
      s->text = format_new("%p", reinterpret_cast<void*>(v));
      if (!s->text) return;
      break;
    default: return;
  }
  settle(slot);
}

void TYPED_VALUE::set_from_double(void* slot, double v) {
  TYPED_SLOT* s = slot_of(slot);
  const INT_S64 whole = saturate_to_s64(v);
  switch (tag) {
    case TV_S8:
    case TV_U8: s->u8 = static_cast<INT_U8>(static_cast<INT_U16>(whole)); break;
    case TV_S16:
    case TV_U16: s->u16 = static_cast<INT_U16>(whole); break;
    case TV_S32:
    case TV_U32: s->u32 = low32(whole); break;
    case TV_POINTER: s->word = word_from_s32(s32_of(low32(whole))); break;
    case TV_F32: s->f32 = to_f32(v); break;
    case TV_F64: s->f64 = v; break;
    case TV_TEXT:
      free_string(slot);
      s->text = format_new("%.2f", v);
      if (!s->text) return;
      break;
    default: return;
  }
  settle(slot);
}

void TYPED_VALUE::set_string(void* slot, const char* text) {
  tag = TV_TEXT;
  slot_of(slot)->text = copy_new(text);
}

void TYPED_VALUE::free_string(void* slot) {
  TYPED_SLOT* s = slot_of(slot);
  if (tag != TV_TEXT || !s->text) return;
  delete[] s->text;
  s->text = nullptr;  // the next setter would free it again otherwise
}

INT_U32 TYPED_VALUE::length(const void* slot) const {
  const TYPED_SLOT* s = slot_of(slot);
  if (tag != TV_TEXT || !s->text) return 0;
  return static_cast<INT_U32>(strlen(s->text));
}
