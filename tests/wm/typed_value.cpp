// Typed values: setters by tag, clamping, text forms, readers, overflow.
#include "typed_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

enum Op { FROM_TEXT, FROM_LONG, FROM_ULONG, FROM_DOUBLE, FROM_POINTER };

struct Range {
  double lo, hi;  // applied in the tag's type; lo > hi allowed
};

TYPED_VALUE make(INT_U32 tag, Range r) {
  TYPED_VALUE v;
  v.tag = tag;
  switch (tag) {
    case TV_S8: v.min.s8 = static_cast<INT_S8>(r.lo); v.max.s8 = static_cast<INT_S8>(r.hi); break;
    case TV_U8: v.min.u8 = static_cast<INT_U8>(r.lo); v.max.u8 = static_cast<INT_U8>(r.hi); break;
    case TV_S16: v.min.s16 = static_cast<INT_S16>(r.lo); v.max.s16 = static_cast<INT_S16>(r.hi); break;
    case TV_U16: v.min.u16 = static_cast<INT_U16>(r.lo); v.max.u16 = static_cast<INT_U16>(r.hi); break;
    case TV_S32: v.min.s32 = static_cast<INT_S32>(r.lo); v.max.s32 = static_cast<INT_S32>(r.hi); break;
    case TV_U32: v.min.u32 = static_cast<INT_U32>(r.lo); v.max.u32 = static_cast<INT_U32>(r.hi); break;
    case TV_F32: v.min.f32 = static_cast<float>(r.lo); v.max.f32 = static_cast<float>(r.hi); break;
    case TV_F64: v.min.f64 = r.lo; v.max.f64 = r.hi; break;
    default: break;
  }
  return v;
}

std::string text_of(const TYPED_VALUE& v, INT_S32 size = 400) {
  char buf[400];
  memset(buf, 'Z', sizeof buf);
  v.to_string(&v.value, buf, size);
  return std::string(buf);
}

const Range kWide = {-1e18, 1e18};
const Range kS8 = {-128, 127}, kU8 = {0, 255}, kS16 = {-32768, 32767}, kU16 = {0, 65535};
const Range kS32 = {-2147483648.0, 2147483647.0}, kU32 = {0, 4294967295.0};

TEST(TypedValue, SetThenText) {
  struct Case {
    INT_U32 tag;
    Range range;
    Op op;
    const char* text;
    double number;
    const char* want;
  } cases[] = {
      // "%c" tags keep one byte: the text 300 stores '3'.
      {TV_S8, kS8, FROM_TEXT, "300", 0, "3"},
      {TV_U8, kU8, FROM_LONG, nullptr, 0x141, "A"},        // low byte of 0x141
      {TV_U8, kU8, FROM_DOUBLE, nullptr, 65.9, "A"},       // truncated toward zero
      {TV_U8, kU8, FROM_DOUBLE, nullptr, 65536.0 + 66, "B"},  // 16 bits, then the low byte
      {TV_S16, {-10, 10}, FROM_TEXT, "25", 0, "10"},
      {TV_S16, {-10, 10}, FROM_TEXT, "-25", 0, "-10"},
      {TV_S16, kS16, FROM_TEXT, "  -17xyz", 0, "-17"},
      {TV_S16, kS16, FROM_LONG, nullptr, 0x12345, "9029"},  // low 16 bits
      {TV_U16, kU16, FROM_ULONG, nullptr, 70000, "4464"},
      {TV_S32, kS32, FROM_DOUBLE, nullptr, 2.75, "2"},
      {TV_S32, kS32, FROM_DOUBLE, nullptr, -2.75, "-2"},
      {TV_S32, kS32, FROM_TEXT, "99999999999", 0, "2147483647"},  // saturates like a 32-bit long
      // Out-of-range floats: saturate to 64 bits, then keep the low 32.
      {TV_S32, kS32, FROM_DOUBLE, nullptr, 1e300, "-1"},
      {TV_S32, kS32, FROM_DOUBLE, nullptr, -1e300, "0"},
      {TV_S32, kS32, FROM_DOUBLE, nullptr, NAN, "0"},
      {TV_S32, kS32, FROM_DOUBLE, nullptr, 4294967298.0, "2"},
      {TV_U32, kU32, FROM_LONG, nullptr, -1, "4294967295"},
      {TV_U32, {0, 100}, FROM_LONG, nullptr, -1, "100"},  // its unsigned range decides
      {TV_U32, kU32, FROM_TEXT, "-1", 0, "4294967295"},
      {TV_U32, kU32, FROM_DOUBLE, nullptr, 4294967295.0, "4294967295"},
      {TV_F32, {-1e30, 1e30}, FROM_TEXT, "1.5", 0, "1.50"},
      {TV_F32, {-INFINITY, INFINITY}, FROM_DOUBLE, nullptr, 1e300, "inf"},
      {TV_F64, kWide, FROM_TEXT, "3.14159", 0, "3.14"},
      {TV_F64, {0, 1}, FROM_DOUBLE, nullptr, 5, "1.00"},
      {TV_F64, kWide, FROM_ULONG, nullptr, 4294967295.0, "4294967295.00"},
      {TV_F64, kWide, FROM_LONG, nullptr, -1, "-1.00"},
      // Tag 8: the text a setter prints, allocated at its length.
      {TV_TEXT, kWide, FROM_DOUBLE, nullptr, 2.75, "2.75"},
      {TV_TEXT, kWide, FROM_LONG, nullptr, -2147483648.0, "-2147483648"},
      {TV_TEXT, kWide, FROM_ULONG, nullptr, 4294967295.0, "4294967295"},
      {TV_TEXT, kWide, FROM_TEXT, "hello", 0, "hello"},
      {TV_TEXT, kWide, FROM_TEXT, nullptr, 0, ""},
      {TV_POINTER, kWide, FROM_POINTER, nullptr, 0x1234, "0x1234"},
  };
  for (const Case& c : cases) {
    TYPED_VALUE v = make(c.tag, c.range);
    switch (c.op) {
      case FROM_TEXT: v.set_from_string(&v.value, c.text); break;
      case FROM_LONG: v.set_from_long(&v.value, static_cast<INT_S32>(c.number)); break;
      case FROM_ULONG: v.set_from_ulong(&v.value, static_cast<INT_U32>(c.number)); break;
      case FROM_DOUBLE: v.set_from_double(&v.value, c.number); break;
      case FROM_POINTER: v.set_from_pointer(&v.value, static_cast<INT_WORD>(c.number)); break;
    }
    EXPECT_EQ(text_of(v), c.want) << "tag " << c.tag << " op " << c.op << " " << c.number;
    v.free_string(&v.value);
  }
}

TEST(TypedValue, HugeDoubleTextIsWhole) {
  TYPED_VALUE v;
  v.tag = TV_TEXT;
  v.set_from_double(&v.value, 1e300);
  ASSERT_NE(v.value.text, nullptr);
  EXPECT_EQ(v.length(&v.value), 304u);  // "1" + 300 digits + ".00"
  EXPECT_EQ(std::string(v.value.text, 4), "1000");
  v.free_string(&v.value);
}

TEST(TypedValue, UnparsableTextKeepsValue) {
  for (INT_U32 tag : {TV_S8, TV_S16, TV_U16, TV_S32, TV_U32, TV_F32, TV_F64}) {
    TYPED_VALUE v = make(tag, {0, 100});
    v.set_from_long(&v.value, 7);
    for (const char* bad : {static_cast<const char*>("letters"), "", static_cast<const char*>(nullptr)}) {
      if (tag == TV_S8 && bad && *bad) continue;  // "%c" takes any first byte
      v.set_from_string(&v.value, bad);
      EXPECT_EQ(v.as_long(&v.value), 7) << tag << " '" << (bad ? bad : "null") << "'";
    }
  }
}

TEST(TypedValue, MinAboveMaxEndsAtMax) {
  for (INT_U32 tag : {TV_S8, TV_U8, TV_S16, TV_U16, TV_S32, TV_U32, TV_F32, TV_F64}) {
    TYPED_VALUE v = make(tag, {50, 20});
    v.set_from_long(&v.value, 0);
    EXPECT_EQ(v.as_long(&v.value), 20) << tag;
    v.set_from_double(&v.value, 99);
    EXPECT_EQ(v.as_long(&v.value), 20) << tag;
    v.set_from_string(&v.value, "35");
    if (tag > TV_U8) {
      EXPECT_EQ(v.as_long(&v.value), 20) << tag;
    }
  }
}

TEST(TypedValue, NanStaysUnclamped) {
  TYPED_VALUE v = make(TV_F64, {0, 1});
  v.set_from_double(&v.value, NAN);
  EXPECT_TRUE(std::isnan(v.value.f64));
}

TEST(TypedValue, SettersWorkOnTheSlotGiven) {
  // A widget writes the maximum through the same operation; the slot named is
  // the one converted and clamped.
  TYPED_VALUE v = make(TV_S16, {0, 10});
  v.set_from_long(&v.value, 8);
  v.set_long(&v.max, 300);
  EXPECT_EQ(v.max.s16, 300);
  EXPECT_EQ(v.value.s16, 8);
  v.set_long(&v.value, 250);
  EXPECT_EQ(v.get_long(), 250);
  v.set_from_long(&v.min, -5);
  EXPECT_EQ(v.min.s16, -5);
}

TEST(TypedValue, NewBoundClampsTheValue) {
  // Every setter, every numeric tag: the value follows a bound that moves
  // past it, and stays where it is when the bound leaves room.
  for (INT_U32 tag : {TV_S8, TV_U8, TV_S16, TV_U16, TV_S32, TV_U32, TV_F32, TV_F64}) {
    const bool narrow = tag <= TV_U8;
    const INT_S32 hi = narrow ? 110 : 500, mid = narrow ? 100 : 400, cut = narrow ? 50 : 100;
    for (Op op : {FROM_TEXT, FROM_LONG, FROM_ULONG, FROM_DOUBLE, FROM_POINTER}) {
      if (narrow && op == FROM_TEXT) continue;  // "%c" reads one character
      TYPED_VALUE v = make(tag, {0, static_cast<double>(hi)});
      v.set_from_long(&v.value, mid);
      auto write = [&](void* slot, INT_S32 n) {
        switch (op) {
          case FROM_TEXT: v.set_from_string(slot, std::to_string(n).c_str()); break;
          case FROM_LONG: v.set_long(slot, n); break;
          case FROM_ULONG: v.set_from_ulong(slot, static_cast<INT_U32>(n)); break;
          case FROM_DOUBLE: v.set_from_double(slot, n); break;
          case FROM_POINTER: v.set_from_pointer(slot, static_cast<INT_WORD>(n)); break;
        }
      };
      write(&v.max, hi + 10);
      EXPECT_EQ(v.get_long(), mid) << tag << " op " << op;
      write(&v.max, cut);
      EXPECT_EQ(v.as_long(&v.max), cut) << tag << " op " << op;
      EXPECT_EQ(v.get_long(), cut) << tag << " op " << op;
      write(&v.max, hi);
      write(&v.min, cut + 5);
      EXPECT_EQ(v.as_long(&v.min), cut + 5) << tag << " op " << op;
      EXPECT_EQ(v.get_long(), cut + 5) << tag << " op " << op;
    }
  }
}

TEST(TypedValue, Readers) {
  struct Case {
    INT_U32 tag;
    double number;      // stored through set_from_double unless text
    const char* text;   // tag 8 content
    INT_S32 want_long;
    INT_U32 want_ulong;
    double want_double;
  } cases[] = {
      {TV_S8, -3, nullptr, -3, 0xFFFFFFFDu, -3},
      {TV_U8, 200, nullptr, 200, 200, 200},
      {TV_S16, -300, nullptr, -300, 0xFFFFFED4u, -300},
      {TV_U32, 4294967295.0, nullptr, -1, 0xFFFFFFFFu, 4294967295.0},
      {TV_F64, -2.9, nullptr, -2, 0xFFFFFFFEu, -2.9},
      {TV_F64, 1e20, nullptr, -1, 0xFFFFFFFFu, 1e20},
      {TV_F64, 3e9, nullptr, -1294967296, 3000000000u, 3e9},
      {TV_TEXT, 0, "12abc", 12, 12, 12},
      {TV_TEXT, 0, "-1", -1, 0xFFFFFFFFu, -1},
      {TV_TEXT, 0, "x", 0, 0, 0},
      {TV_TEXT, 0, nullptr, 0, 0, 0},
  };
  for (const Case& c : cases) {
    TYPED_VALUE v = make(c.tag, {-1e300, 1e300});
    if (c.tag == TV_U32) v = make(c.tag, kU32);
    if (c.tag == TV_S8) v = make(c.tag, kS8);
    if (c.tag == TV_U8) v = make(c.tag, kU8);
    if (c.tag == TV_S16) v = make(c.tag, kS16);
    if (c.tag == TV_TEXT) {
      v.value.text = nullptr;
      if (c.text) v.set_from_string(&v.value, c.text);
    } else {
      v.set_from_double(&v.value, c.number);
    }
    EXPECT_EQ(v.as_long(&v.value), c.want_long) << c.tag << " " << c.number;
    EXPECT_EQ(v.as_ulong(&v.value), c.want_ulong) << c.tag << " " << c.number;
    EXPECT_DOUBLE_EQ(v.as_double(&v.value), c.want_double) << c.tag << " " << c.number;
    v.free_string(&v.value);
  }
  TYPED_VALUE unknown;
  unknown.tag = 10;
  unknown.value.s32 = 5;
  EXPECT_EQ(unknown.as_long(&unknown.value), 0);
  EXPECT_EQ(unknown.as_double(&unknown.value), 0);
  unknown.set_from_long(&unknown.value, 9);
  EXPECT_EQ(unknown.value.s32, 5);
}

TEST(TypedValue, PointerTag) {
  TYPED_VALUE v;
  v.tag = TV_POINTER;
  const char* text = "kept by the caller";
  v.set_from_string(&v.value, text);
  EXPECT_EQ(v.value.word, word_from_pointer(text));
  EXPECT_EQ(v.as_pointer(&v.value), word_from_pointer(text));
  TYPED_VALUE t;
  t.tag = TV_TEXT;
  t.set_from_string(&t.value, "0x7f00");
  EXPECT_EQ(t.as_pointer(&t.value), 0x7f00u);
  t.free_string(&t.value);
}

TEST(TypedValue, ToStringBounds) {
  TYPED_VALUE v;
  v.set_string(&v.value, "abcdef");
  EXPECT_EQ(v.tag, TV_TEXT);
  EXPECT_EQ(text_of(v, 4), "abc");
  EXPECT_EQ(text_of(v, 1), "");
  // Size 0 or below writes nothing at all.
  char buf[4] = {'Q', 'Q', 'Q', 0};
  v.to_string(&v.value, buf + 1, 0);
  v.to_string(&v.value, buf + 1, -5);
  EXPECT_STREQ(buf, "QQQ");
  v.free_string(&v.value);

  // Numbers are cut to the caller's size too.
  TYPED_VALUE d = make(TV_F64, {-1e308, 1e308});
  d.set_from_double(&d.value, 1e300);
  EXPECT_EQ(text_of(d, 6), "10000");
  TYPED_VALUE n = make(TV_S32, kS32);
  n.set_from_long(&n.value, -123456);
  EXPECT_EQ(text_of(n, 4), "-12");
  TYPED_VALUE none;
  none.tag = TV_TEXT;
  EXPECT_EQ(text_of(none), "");
  EXPECT_EQ(none.length(&none.value), 0u);
  none.tag = 11;
  char untouched[3] = {'u', 'v', 0};
  none.to_string(&none.value, untouched, 3);
  EXPECT_STREQ(untouched, "uv");
}

TEST(TypedValue, FreeStringClearsPointer) {
  TYPED_VALUE v;
  v.tag = TV_TEXT;
  v.set_from_string(&v.value, "one");
  v.free_string(&v.value);
  EXPECT_EQ(v.value.text, nullptr);
  // The next setter must not free it again (ASan would report it).
  v.set_from_long(&v.value, 42);
  EXPECT_EQ(text_of(v), "42");
  EXPECT_EQ(v.length(&v.value), 2u);
  v.free_string(&v.value);
  v.free_string(&v.value);
}

}  // namespace
