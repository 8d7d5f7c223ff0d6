// The value a widget shows and edits: one value of one of ten types with a
// minimum and a maximum, converted to and from text and the common numeric
// types. Every operation names the slot it works on (value, min or max) and
// takes the type from the tag; setters convert, then clamp that slot (and the
// value, when the slot written is a bound).
#ifndef TYPED_VALUE_H
#define TYPED_VALUE_H

#include "zorv_types.h"

enum : INT_U32 {
  TV_S8 = 0,
  TV_U8 = 1,
  TV_S16 = 2,
  TV_U16 = 3,
  TV_S32 = 4,
  TV_U32 = 5,
  TV_F32 = 6,
  TV_F64 = 7,
  TV_TEXT = 8,     // owned zero-terminated string (new[])
  TV_POINTER = 9   // pointer, not owned
};

// Eight bytes holding one value in its tag's type, in the first bytes.
union TYPED_SLOT {
  INT_S8 s8;
  INT_U8 u8;
  INT_S16 s16;
  INT_U16 u16;
  INT_S32 s32;
  INT_U32 u32;
  float f32;
  double f64;
  char* text;
  INT_WORD word;
  INT_U8 bytes[8];
};

struct TYPED_VALUE {
  INT_U32 tag = 0;
  TYPED_SLOT value{};
  TYPED_SLOT min{};
  TYPED_SLOT max{};

  // Keeps *slot inside [min, max] for tags 0 to 7: below min becomes min,
  // then above max becomes max (so min > max ends at max). NaN stays.
  void clamp(void* slot);
  // Writes the slot as text into buffer, at most size - 1 characters and a
  // terminator; nothing for a size below 1 or a tag above 9.
  void to_string(const void* slot, char* buffer, INT_S32 size) const;
  INT_S32 as_long(const void* slot) const;
  INT_U32 as_ulong(const void* slot) const;
  INT_WORD as_pointer(const void* slot) const;
  double as_double(const void* slot) const;
  void set_from_string(void* slot, const char* text);
  void set_from_long(void* slot, INT_S32 v);
  void set_from_ulong(void* slot, INT_U32 v);
  void set_from_pointer(void* slot, INT_WORD v);
  void set_from_double(void* slot, double v);
  // tag := 8 and a fresh copy in the slot (null counts as ""); the previous
  // content is not freed (constructors use it on empty values).
  void set_string(void* slot, const char* text);
  // Frees a tag-8 string and clears the pointer.
  void free_string(void* slot);
  INT_U32 length(const void* slot) const;
  // clamp(slot), then the value too when slot is min or max.
  void settle(void* slot);

  // The names the widgets use.
  INT_S32 get_long() const { return as_long(&value); }
  void set_long(void* slot, INT_S32 v) { set_from_long(slot, v); }
};

// Float to integer with defined results everywhere: saturated to the 64-bit
// range, NaN gives 0. Callers narrow to their field's width.
INT_S64 saturate_to_s64(double v);

#endif
