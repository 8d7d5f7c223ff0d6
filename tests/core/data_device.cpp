#include "data_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using Bytes = std::vector<INT_U8>;

TEST(DataDevice, IntegersWithAndWithoutSwapAgainstHandWrittenBytes) {
  struct Case { INT_U32 swap; Bytes expected; };
  for (const Case& c : std::vector<Case>{
           {0, {0x7F, 0x02, 0x01, 0x02, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
           {1, {0x7F, 0x01, 0x02, 0x00, 0x00, 0x01, 0x02, 0xFF, 0xFF, 0xFF, 0xFF}}}) {
    MEMORY_DEVICE dev;
    dev.swap_flag = c.swap;
    EXPECT_TRUE(dev.write_u8(0x7F));
    EXPECT_TRUE(dev.write_u16(0x0102));
    EXPECT_TRUE(dev.write_u32(258));
    EXPECT_TRUE(dev.write_s32(-1));
    EXPECT_EQ(dev.bytes, c.expected) << "swap " << c.swap;
    EXPECT_EQ(dev.error_flag, 0);

    MEMORY_DEVICE in(c.expected);
    in.swap_flag = c.swap;
    INT_U8 b = 0;
    INT_U16 h = 0;
    INT_U32 w = 0;
    INT_S32 s = 0;
    EXPECT_TRUE(in.read_u8(&b));
    EXPECT_TRUE(in.read_u16(&h));
    EXPECT_TRUE(in.read_u32(&w));
    EXPECT_TRUE(in.read_s32(&s));
    EXPECT_EQ(b, 0x7F);
    EXPECT_EQ(h, 0x0102);
    EXPECT_EQ(w, 258u);
    EXPECT_EQ(s, -1);
  }
}

TEST(DataDevice, PartialReadCountsAsSuccessThenTheNextFails) {
  MEMORY_DEVICE dev(Bytes{0x34, 0x12});
  INT_U32 v = 0xAAAA0000u;
  EXPECT_TRUE(dev.read_u32(&v));
  EXPECT_EQ(v, 0xAAAA1234u);  // the two bytes not read keep what was there
  EXPECT_EQ(dev.error_flag, 0);
  EXPECT_FALSE(dev.read_u32(&v));
  EXPECT_EQ(dev.error_flag, 1);
  EXPECT_FALSE(dev.read_u8(reinterpret_cast<INT_U8*>(&v)));
}

TEST(DataDevice, WritesFailOnAFullDevice) {
  MEMORY_DEVICE dev;
  dev.write_limit = 2;
  EXPECT_TRUE(dev.write_u32(1));  // two of four bytes: a partial success
  EXPECT_FALSE(dev.write_u8(1));
  EXPECT_EQ(dev.error_flag, 1);
  EXPECT_EQ(dev.bytes, (Bytes{1, 0}));
}

TEST(DataDevice, StringsAreALengthAndTheCharacters) {
  struct Case { const char* text; INT_U32 swap; Bytes bytes; };
  for (const Case& c : std::vector<Case>{{nullptr, 0, {0, 0, 0, 0}},
                                         {"", 0, {0, 0, 0, 0}},
                                         {"abc", 0, {3, 0, 0, 0, 'a', 'b', 'c'}},
                                         {"abc", 1, {0, 0, 0, 3, 'a', 'b', 'c'}}}) {
    MEMORY_DEVICE dev;
    dev.swap_flag = c.swap;
    EXPECT_TRUE(dev.write_string(c.text));
    EXPECT_EQ(dev.bytes, c.bytes);
    dev.seek(0, 0);
    char buf[8];
    std::memset(buf, 'z', sizeof buf);
    EXPECT_TRUE(dev.read_string(buf, sizeof buf));
    EXPECT_STREQ(buf, c.text ? c.text : "");
  }
}

TEST(DataDevice, ReadStringCutsToTheBufferAndSkipsTheRest) {
  MEMORY_DEVICE dev;
  dev.write_string("0123456789");
  dev.write_u8(0xEE);
  dev.seek(0, 0);
  char buf[5];
  EXPECT_TRUE(dev.read_string(buf, sizeof buf));
  EXPECT_STREQ(buf, "0123");
  EXPECT_EQ(dev.tell(), 14u);
  INT_U8 after = 0;
  EXPECT_TRUE(dev.read_u8(&after));
  EXPECT_EQ(after, 0xEE);

  // A rest longer than any one read is skipped whole.
  MEMORY_DEVICE long_text;
  long_text.write_string(std::string(1000, 'x').c_str());
  long_text.write_u8(0xEF);
  long_text.seek(0, 0);
  EXPECT_TRUE(long_text.read_string(buf, sizeof buf));
  EXPECT_STREQ(buf, "xxxx");
  EXPECT_EQ(long_text.tell(), 1004u);
  EXPECT_TRUE(long_text.read_u8(&after));
  EXPECT_EQ(after, 0xEF);
}

TEST(DataDevice, ReadStringRefusesBadInput) {
  char buf[8] = "keep";
  {
    MEMORY_DEVICE dev(Bytes{0, 0, 0, 0x80, 'a'});  // length 2^31
    EXPECT_FALSE(dev.read_string(buf, sizeof buf));
    EXPECT_EQ(dev.tell(), 4u);
    EXPECT_EQ(dev.error_flag, 1);
  }
  {
    MEMORY_DEVICE dev(Bytes{1, 0, 0, 0, 'a'});
    EXPECT_FALSE(dev.read_string(buf, 0));
    EXPECT_EQ(dev.tell(), 0u);
  }
  {
    // A length far beyond the data: what there is arrives, the skip stops at
    // the end of the device (no endless loop) and reports failure.
    MEMORY_DEVICE dev(Bytes{0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'});
    EXPECT_FALSE(dev.read_string(buf, sizeof buf));
    EXPECT_STREQ(buf, "ab");
  }
  {
    MEMORY_DEVICE dev(Bytes{1, 0});  // a length cut short reads as 1; no character follows
    EXPECT_FALSE(dev.read_string(buf, sizeof buf));
    EXPECT_STREQ(buf, "");
  }
}

namespace {
struct Pair : DATA_DEVICE_CLIENT {
  INT_U16 a = 0, b = 0;
  bool fail_reading = false;
  bool get_from_data_device(DATA_DEVICE* d) override {
    return !fail_reading && d->read_u16(&a) && d->read_u16(&b);
  }
  bool put_to_data_device(DATA_DEVICE* d) override { return d->write_u16(a) && d->write_u16(b); }
};
}  // namespace

TEST(DataDevice, ObjectsReadAndWriteThemselvesAndSetTheFlag) {
  MEMORY_DEVICE dev;
  Pair p;
  p.a = 0x0A0B;
  p.b = 0x0C0D;
  EXPECT_TRUE(dev.write_object(p));
  EXPECT_EQ(dev.bytes, (Bytes{0x0B, 0x0A, 0x0D, 0x0C}));
  dev.seek(0, 0);
  Pair q;
  EXPECT_TRUE(dev.read_object(q));
  EXPECT_EQ(q.a, 0x0A0B);
  EXPECT_EQ(q.b, 0x0C0D);
  Pair bad;
  bad.fail_reading = true;
  dev.seek(0, 0);
  EXPECT_FALSE(dev.read_object(bad));
  EXPECT_EQ(dev.error_flag, 1);
  EXPECT_FALSE(dev.read_object(static_cast<DATA_DEVICE_CLIENT*>(nullptr)));
}

TEST(MemoryDevice, SeekFromTheEndAndGapsReadAsZeros) {
  MEMORY_DEVICE dev(Bytes{1, 2, 3, 4});
  dev.seek(-1, 1);
  EXPECT_EQ(dev.tell(), 3u);
  dev.seek(-10, 1);
  EXPECT_EQ(dev.tell(), 0u);
  dev.seek(6, 0);
  EXPECT_TRUE(dev.write_u8(9));
  EXPECT_EQ(dev.bytes, (Bytes{1, 2, 3, 4, 0, 0, 9}));
}
