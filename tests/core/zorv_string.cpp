#include "zorv_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "random.h"

namespace {
ZORV_STRING make(const char* s) {
  ZORV_STRING z;
  z.set(s);
  return z;
}
std::string str(const ZORV_STRING& z) { return z.text ? z.text : "<null>"; }
}  // namespace

TEST(ZorvString, AllocatesTheMinimumAndEmptiesByItsRule) {
  ZORV_STRING s;
  EXPECT_EQ(s.text, nullptr);
  EXPECT_EQ(s.capacity, 0);
  s.append("ab");
  EXPECT_EQ(s.capacity, 50);
  EXPECT_EQ(str(s), "ab");
  s.set(nullptr);
  EXPECT_EQ(str(s), "");
  EXPECT_EQ(s.capacity, 50);
  ZORV_STRING t;
  t.minimum_size = 0;
  t.set("abc");
  EXPECT_EQ(t.capacity, 4);
  t.set(nullptr);
  EXPECT_EQ(t.text, nullptr);
  EXPECT_EQ(t.capacity, 0);
  std::string long_text(120, 'x');
  s.set(long_text.c_str());
  EXPECT_EQ(s.capacity, 121);
  s.release();
  EXPECT_EQ(s.text, nullptr);
  EXPECT_EQ(s.minimum_size, 50);
}

TEST(ZorvString, Substrings) {
  ZORV_STRING hello = make("hello");
  struct Case { INT_S32 first, last; const char* result; };
  for (const Case& c : std::vector<Case>{{1, -1, "ello"}, {3, 1, ""}, {0, 5, ""}, {0, 4, "hello"},
                                         {-1, 2, ""}, {5, -1, ""}, {2, 2, "l"}}) {
    ZORV_STRING sub(hello, c.first, c.last);
    EXPECT_EQ(str(sub), c.result) << c.first << "," << c.last;
  }
  ZORV_STRING of_null(static_cast<const ZORV_STRING*>(nullptr), 0, -1);
  EXPECT_EQ(str(of_null), "");
}

TEST(ZorvString, NumbersAreSetAndAppended) {
  ZORV_STRING s;
  s.set_long(-2147483647 - 1);
  EXPECT_EQ(str(s), "-2147483648");
  s.append_short(-32768).append_long(7);
  EXPECT_EQ(str(s), "-2147483648-327687");
  s.set_short(12);
  EXPECT_EQ(str(s), "12");
}

TEST(ZorvString, EraseAndInsert) {
  ZORV_STRING s = make("hello");
  EXPECT_TRUE(s.erase(1, 2));
  EXPECT_EQ(str(s), "hlo");
  s.set("hello");
  for (auto [f, l] : std::vector<std::pair<int, int>>{{0, 5}, {2, 1}, {-1, 1}}) EXPECT_FALSE(s.erase(f, l));
  EXPECT_EQ(str(s), "hello");
  ZORV_STRING xy = make("XY");
  s.insert(xy, 5);
  EXPECT_EQ(str(s), "helloXY");
  s.set("hello");
  s.insert(xy, 6);
  EXPECT_EQ(str(s), "hello");
  s.insert(xy, 0);
  EXPECT_EQ(str(s), "XYhello");
  ZORV_STRING empty;
  empty.insert(xy, 3);
  EXPECT_EQ(str(empty), "XY");
  s.set("ab");
  s.insert(s, 1);  // itself
  EXPECT_EQ(str(s), "aabb");
}

TEST(ZorvString, ArgumentsInsideTheOwnBufferAreSafe) {
  ZORV_STRING s;
  s.minimum_size = 0;
  s.set("abcdef");
  s.append(s.text);  // the buffer moves while it grows
  EXPECT_EQ(str(s), "abcdefabcdef");
  s.set(s.text + 3);
  EXPECT_EQ(str(s), "defabcdef");
}

TEST(ZorvString, FindForwardAndBackward) {
  ZORV_STRING hello = make("hello");
  ZORV_STRING LL = make("LL"), l = make("l"), lo = make("lo"), none;
  EXPECT_EQ(hello.find(LL, 0, 0), 2);
  EXPECT_EQ(hello.find(LL, 0, 1), -1);
  EXPECT_EQ(hello.find(LL, 3, 0), -1);
  EXPECT_EQ(hello.find(l, 3, 1), 3);
  EXPECT_EQ(hello.find(l, 5, 1), -1);
  EXPECT_EQ(hello.find(none, 0, 1), -1);
  EXPECT_EQ(hello.find_last(l, -1, 1), 3);
  EXPECT_EQ(hello.find_last(l, 2, 1), 2);
  EXPECT_EQ(hello.find_last(l, 1, 1), -1);
  EXPECT_EQ(hello.find_last(LL, -1, 0), 2);
  EXPECT_EQ(hello.find_last(LL, -1, 1), -1);
  EXPECT_EQ(hello.find_last(lo, 100, 1), 3);
  EXPECT_EQ(l.find_last(hello, -1, 1), -1);
}

TEST(ZorvString, Replace) {
  ZORV_STRING s = make("one two two");
  ZORV_STRING two = make("two"), three = make("three"), none;
  EXPECT_TRUE(s.replace(two, three, 0));
  EXPECT_EQ(str(s), "one three two");
  EXPECT_TRUE(s.replace(two, none, 0));  // removal
  EXPECT_EQ(str(s), "one three ");
  EXPECT_FALSE(s.replace(two, three, 0));
  EXPECT_FALSE(s.replace(three, two, 100));
  EXPECT_FALSE(s.replace(none, two, 0));
}

TEST(ZorvString, TrimStopsAtHighBytesAndLowers) {
  ZORV_STRING s = make("   \xE9x \t\n");
  s.trim_left();
  EXPECT_EQ(str(s), "\xE9x \t\n");
  s.trim_right();
  EXPECT_EQ(str(s), "\xE9x");
  s.set("x\xA0");
  s.trim_right();
  EXPECT_EQ(str(s), "x\xA0");
  s.set("MiXeD \xC9");
  s.to_lower();
  EXPECT_EQ(str(s), "mixed \xC9");
}

TEST(ZorvString, SerialisedFormAgainstHandWrittenBytes) {
  ZORV_STRING s = make("abc");
  MEMORY_DEVICE dev;
  EXPECT_TRUE(dev.write_object(s));
  EXPECT_EQ(dev.bytes, (std::vector<INT_U8>{3, 0, 0, 0, 'a', 'b', 'c'}));
  MEMORY_DEVICE swapped;
  swapped.swap_flag = 1;
  ZORV_STRING none;
  EXPECT_TRUE(swapped.write_object(none));
  EXPECT_TRUE(swapped.write_object(s));
  EXPECT_EQ(swapped.bytes, (std::vector<INT_U8>{0, 0, 0, 0, 0, 0, 0, 3, 'a', 'b', 'c'}));
  swapped.seek(0, 0);
  ZORV_STRING a = make("old"), b;
  EXPECT_TRUE(swapped.read_object(a));
  EXPECT_EQ(str(a), "");
  EXPECT_TRUE(swapped.read_object(b));
  EXPECT_EQ(str(b), "abc");
}

TEST(ZorvString, ReadingDamagedData) {
  struct Case { std::vector<INT_U8> bytes; bool ok; const char* text; };
  for (const Case& c : std::vector<Case>{
           {{3, 0, 0, 0}, false, ""},                   // no characters follow
           {{3, 0, 0, 0, 'a'}, true, "a"},              // partial: a success, only what came
           {{0, 0, 0, 0x80}, false, ""},                // negative length
           {{0xFF, 0xFF, 0xFF, 0x7F, 'x', 'y'}, true, "xy"},  // huge length, two bytes of data
           {{1, 0}, false, ""}}) {
    MEMORY_DEVICE dev(c.bytes);
    ZORV_STRING s = make("previous");
    EXPECT_EQ(s.get_from_data_device(&dev), c.ok);
    EXPECT_EQ(str(s), c.text);
    EXPECT_LT(s.capacity, 2 << 20);  // never sized by the stored length alone
  }
}

TEST(ZorvString, EncodeAndDecode) {
  seed_random(1234 << 10);
  for (const char* text : {"", "a", "hello world", "\xE9\xFF\x01 mixed"}) {
    ZORV_STRING s = make(text);
    INT_S32 n = s.encode();
    EXPECT_EQ(n, static_cast<INT_S32>((std::strlen(text) + 2 + 2) / 3 * 4)) << text;
    EXPECT_EQ(static_cast<INT_S32>(std::strlen(s.text)), n);
    EXPECT_NE(str(s), text);
    ASSERT_NE(s.decode(), nullptr) << text;
    EXPECT_EQ(str(s), text);
  }
}

TEST(ZorvString, DecodeRefusesShortOrBadPayloads) {
  // "" and "AA==" decode to fewer than the two key bytes; "AAA=" decodes to
  // exactly the two key bytes, the empty text.
  for (const char* bad : {"", "AA==", "AA==AAAA", "A", "****", "AAAA\r"}) {
    ZORV_STRING s = make(bad);
    EXPECT_EQ(s.decode(), nullptr) << bad;
    EXPECT_EQ(str(s), bad);
  }
  ZORV_STRING two = make("AAA=");
  ASSERT_NE(two.decode(), nullptr);
  EXPECT_EQ(str(two), "");
  ZORV_STRING none;
  EXPECT_EQ(none.decode(), nullptr);
  EXPECT_EQ(none.encode(), 0);
}

TEST(ZorvString, ClipboardRoundTrip) {
  ZORV_STRING s = make("copied");
  s.copy_to_clipboard();
  ZORV_STRING t = make("before");
  t.paste_from_clipboard();
  EXPECT_EQ(str(t), "copied");
  std::string big(3000, 'q');
  s.set(big.c_str());
  s.copy_to_clipboard();
  t.paste_from_clipboard();
  EXPECT_EQ(t.length(), 1023);
}

TEST(ZorvString, LengthAndCharRef) {
  ZORV_STRING s = make("ab");
  EXPECT_EQ(s.length(), 2);
  EXPECT_EQ(*s.char_ref(1), 'b');
  EXPECT_EQ(*s.char_ref(2), 0);
  ZORV_STRING none;
  EXPECT_EQ(none.length(), 0);
  EXPECT_EQ(*none.char_ref(0), 0);
}

TEST(ZorvString, CopiesAreDeep) {
  ZORV_STRING a = make("one");
  ZORV_STRING b(a);
  b.set("two");
  ZORV_STRING c;
  c = a;
  a.set("three");
  EXPECT_EQ(str(b), "two");
  EXPECT_EQ(str(c), "one");
}
