#include "transliterate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "folder.h"
#include "test_support.h"

namespace {

TEST(Transliterate, Text) {
  struct Case {
    const char* source;
    INT_S16 size;
    const char* expected;
  } cases[] = {
      {"B\xE4r", 64, "Bar"},
      {"\xC0\xC6\xC7\xC8\xCC\xD0\xD1\xD2\xD8\xD9\xDD", 64, "AAECEIDNOOUYSS"},
      {"\xE0\xE6\xE7\xE8\xEC\xF0\xF1\xF2\xF8\xF9\xFD\xFE", 64, "aaeceidnoouyp"},
      {"\x80\xBF\xD7\xDE\xDF\xF7\xFF", 64, "???????"},
      {"abc\x7F", 64, "abc\x7F"},
      // Appending stops once size - 3 characters are there; the last
      // replacement may take the text beyond.
      {"abcdefgh", 8, "abcde"},
      {"abcd\xDD" "ef", 8, "abcdYSS"},
      {"\xC6\xC6\xC6\xC6", 8, "AEAEAE"},
      {"abc", 4, "a"},
      {"abc", 3, ""},
      {"abc", 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    char buffer[64];
    memset(buffer, 'x', sizeof buffer);
    transliterate_text(c.source, buffer, c.size);
    EXPECT_STREQ(buffer, c.expected);
    EXPECT_LE(strlen(buffer), size_t(c.size - 1));
  }
}

TEST(Transliterate, NothingWrittenWithoutRoom) {
  char buffer[4] = {'x', 'y', 'z', 0};
  transliterate_text("abc", buffer, 0);
  transliterate_text("abc", buffer, -5);
  transliterate_text(nullptr, buffer, 4);
  transliterate_text("abc", nullptr, 4);
  EXPECT_STREQ(buffer, "xyz");
}

TEST(Transliterate, Compare) {
  struct Case {
    const char* a;
    const char* b;
    INT_U8 ignore_case;
    int sign;
  } cases[] = {
      {"Ecole", "\xC9" "cole", 0, 0},
      {"abc", "abcd", 0, 0},  // a prefix in front compares equal
      {"abcd", "abc", 0, 1},
      {"a", "b", 0, -1},  // the two sides never share a buffer
      {"b", "a", 0, 1},
      {"Hello", "hELLO", 1, 0},
      {"Hello", "hELLO", 0, -1},
      {"\xE9t\xE9", "ETE", 1, 0},
      {"\xC6", "AE", 0, 1},  // position by position: "AE" against "A"
      {"AE", "\xC6", 0, -1},
      {"\x80", "?", 0, 0},
      {"", "", 0, 0},
      {nullptr, nullptr, 0, 0},
      {nullptr, "x", 0, -1},
      {"", "x", 0, -1},
      {"x", nullptr, 0, 1},
      {"x", "", 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a ? c.a : "(null)") + " / " + (c.b ? c.b : "(null)"));
    INT_S32 r = compare_text_transliterated(c.a, c.b, c.ignore_case);
    EXPECT_EQ((r > 0) - (r < 0), c.sign);
  }
}

class Melody : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = zt::make_temp_dir("wav");
    snprintf(folder.path, sizeof folder.path, "%s", dir.c_str());
  }
  std::vector<uint8_t> write(const char* melody, INT_S32 beat, const MELODY_FORMAT* format = nullptr) {
    EXPECT_TRUE(write_melody_wav(&folder, "m.wav", melody, beat, format));
    return zt::read_bytes(dir + "/m.wav");
  }
  static uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
  }
  static std::vector<int16_t> samples16(const std::vector<uint8_t>& b) {
    std::vector<int16_t> out;
    for (size_t i = 44; i + 1 < b.size(); i += 2) out.push_back(int16_t(b[i] | b[i + 1] << 8));
    return out;
  }
  std::string dir;
  FOLDER folder;
};

TEST_F(Melody, EmptyMelodyHeaderByHand) {
  const std::vector<uint8_t> expected = {
      'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
      16, 0, 0, 0,             // format chunk length
      1, 0,                    // PCM
      1, 0,                    // mono
      0x22, 0x56, 0, 0,        // 22050 Hz
      0x44, 0xAC, 0, 0,        // 44100 bytes a second
      2, 0,                    // block alignment
      16, 0,                   // bits
      'd', 'a', 't', 'a', 0, 0, 0, 0};
  EXPECT_EQ(write("0123456789", 1000), expected);
  EXPECT_EQ(write("", 1000), expected);
  EXPECT_EQ(write("E#B#&#", 1000), expected);  // no sharp for E, B and rests
}

TEST_F(Melody, EightBitStereoHeaderByHand) {
  MELODY_FORMAT format;
  format.sample_rate = 8000;
  format.stereo = 1;
  format.sixteen_bit = 0;
  auto bytes = write("C", 500, &format);
  const std::vector<uint8_t> header = {
      'R', 'I', 'F', 'F', 0x64, 0x1F, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
      16, 0, 0, 0, 1, 0, 2, 0,
      0x40, 0x1F, 0, 0,        // 8000 Hz
      0x80, 0x3E, 0, 0,        // 16000 bytes a second
      2, 0, 8, 0,
      'd', 'a', 't', 'a', 0x40, 0x1F, 0, 0};  // 4000 frames of 2 bytes
  ASSERT_EQ(bytes.size(), 44u + 8000u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 44), header);
  // Signed bytes, the same value in both channels; silence is 0.
  EXPECT_EQ(bytes[44], 0);
  bool negative = false;
  for (size_t i = 44; i < bytes.size(); i += 2) {
    EXPECT_EQ(bytes[i], bytes[i + 1]);
    negative |= bytes[i] >= 0x80;
  }
  EXPECT_TRUE(negative);
}

TEST_F(Melody, SampleCounts) {
  struct Case {
    const char* melody;
    INT_S32 beat;
    uint32_t data;
  } cases[] = {
      {"CE", 1000, 88200},   // two notes of 22050 16-bit samples
      {"1C", 1000, 11026},   // 0.25 s: t < 0.25 holds for 5513 samples
      {"3C&", 1000, 44100},  // two half beats, the second a rest
      {"9c", 250, 44100},
      {"C#d#", 100, 8820},
      {"xyz#oC", 100, 4410},  // unknown characters are ignored
      {"C", -100, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.melody);
    auto bytes = write(c.melody, c.beat);
    ASSERT_EQ(bytes.size(), 44 + c.data);
    EXPECT_EQ(u32(bytes, 40), c.data);
    EXPECT_EQ(u32(bytes, 4), c.data + 36);
  }
}

TEST_F(Melody, RestsAreSilentAndNotesPeakBelowTheVolume) {
  auto rest = samples16(write("&", 100));
  ASSERT_EQ(rest.size(), 2205u);
  for (int16_t s : rest) ASSERT_EQ(s, 0);
  auto note = samples16(write("C", 1000));
  int peak = 0;
  for (int16_t s : note) peak = std::max(peak, std::abs(int(s)));
  EXPECT_LE(peak, 32767);
  EXPECT_GT(peak, 32000);  // the attack reaches the full level at 0.2 s
}

TEST_F(Melody, OctaveMarks) {
  auto plain = write("C", 200);
  EXPECT_EQ(write("O2C", 200), plain);
  EXPECT_EQ(write("O3c", 200), plain);  // one octave up, one down
  EXPECT_EQ(write("OxC", 200), plain);  // an 'O' without a digit is ignored
  EXPECT_EQ(write("CO", 200), plain);   // a last 'O' ends the melody
  EXPECT_EQ(write("COC", 200), write("CC", 200));
  EXPECT_NE(write("O3C", 200), plain);
  EXPECT_NE(write("C#", 200), plain);
}

TEST_F(Melody, TremoloWithoutDecayKeepsTheSustainLevel) {
  MELODY_FORMAT format;
  format.attack = 0;
  format.decay = 0;
  format.release = 0;
  format.tremolo = 1;
  auto samples = samples16(write("C", 500, &format));
  ASSERT_EQ(samples.size(), 11025u);
  int peak = 0;
  for (int16_t s : samples) peak = std::max(peak, std::abs(int(s)));
  EXPECT_LE(peak, 26213);  // 80 % of 32767
  EXPECT_GT(peak, 26000);
}

TEST_F(Melody, Refusals) {
  MELODY_FORMAT format;
  format.sample_rate = 0;
  EXPECT_FALSE(write_melody_wav(&folder, "zero.wav", "C", 100, &format));
  EXPECT_FALSE(zt::file_exists(dir + "/zero.wav"));
  FOLDER missing;
  snprintf(missing.path, sizeof missing.path, "%s/no/such", dir.c_str());
  EXPECT_FALSE(write_melody_wav(&missing, "m.wav", "C", 100, nullptr));
}

}  // namespace
