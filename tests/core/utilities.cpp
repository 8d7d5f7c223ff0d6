#include "utilities.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "app.h"
#include "clipboard.h"
#include "random.h"

namespace {
std::string b64(const std::string& data) {
  const auto* p = reinterpret_cast<const INT_U8*>(data.data());
  INT_S32 n = encode_base64(p, static_cast<INT_U32>(data.size()), nullptr, 0);
  std::vector<char> out(static_cast<size_t>(n) + 1, '#');
  EXPECT_EQ(encode_base64(p, static_cast<INT_U32>(data.size()), out.data(), n + 1), n);
  return std::string(out.data());
}
struct Decoded {
  INT_S32 result;
  std::string bytes;
};
Decoded unb64(const char* text, INT_S32 room = 64) {
  std::vector<INT_U8> out(static_cast<size_t>(room) + 1, 0xEE);
  INT_S32 r = decode_base64(text, out.data(), room);
  return {r, r > 0 ? std::string(reinterpret_cast<char*>(out.data()), static_cast<size_t>(r)) : ""};
}

time_t fake_now = 1000;
time_t fake_clock(time_t* t) {
  if (t) *t = fake_now;
  return fake_now;
}
}  // namespace

TEST(Base64, Rfc4648Vectors) {
  struct Case { const char* plain; const char* coded; };
  for (const Case& c : std::vector<Case>{{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
                                         {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}}) {
    EXPECT_EQ(b64(c.plain), c.coded);
    Decoded d = unb64(c.coded);
    EXPECT_EQ(d.result, static_cast<INT_S32>(std::strlen(c.plain)));
    EXPECT_EQ(d.bytes, c.plain);
  }
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  Decoded d = unb64(b64(all).c_str(), 300);
  EXPECT_EQ(d.bytes, all);
  EXPECT_EQ(b64("\xFB\xFF"), "+/8=");
}

TEST(Base64, SizesAreAskedFirst) {
  const INT_U8 three[] = {1, 2, 3};
  char out[5] = "####";
  EXPECT_EQ(encode_base64(three, 3, out, 4), 4);  // out_size == length: nothing written
  EXPECT_STREQ(out, "####");
  EXPECT_EQ(encode_base64(three, 3, nullptr, 100), 4);
  EXPECT_EQ(decode_base64("Zm9vYg==", nullptr, 0), 4);
  INT_U8 small[3] = {0xEE, 0xEE, 0xEE};
  EXPECT_EQ(decode_base64("Zm9vYg==", small, 3), 4);
  EXPECT_EQ(small[0], 0xEE);
}

TEST(Base64, DecodeRejectsAndStopsEarly) {
  struct Case { const char* text; INT_S32 result; std::string bytes; };
  for (const Case& c : std::vector<Case>{
           {"Zg==", 1, "f"},
           {"Zm8=", 2, "fo"},
           {"Zm8", -1, ""},
           {"Zm*v", -1, ""},
           {"Z=9v", -1, ""},
           {"Zm9\xE9", -1, ""},
           {nullptr, -1, ""},
           {"AA==AAAA", 1, std::string(1, '\0')},  // stops after the padded group
           {"Zm9v\rZm9v", -1, ""},                  // length not a multiple of 4
           {"Zm9v\rAAA", 3, "foo"},                 // stops at the carriage return
       }) {
    Decoded d = unb64(c.text);
    EXPECT_EQ(d.result, c.result) << (c.text ? c.text : "null");
    EXPECT_EQ(d.bytes, c.bytes);
  }
}

TEST(Scramble, RoundTripAndKeyBytes) {
  seed_random(31u << 10);
  const std::string text("The quick brown fox \xE9\x00\xFF", 23);
  const auto* data = reinterpret_cast<const INT_U8*>(text.data());
  INT_S32 len = static_cast<INT_S32>(text.size());
  EXPECT_EQ(scramble_bytes(nullptr, len, nullptr, 0), len + 2);
  std::vector<INT_U8> a(static_cast<size_t>(len) + 2), b(a.size());
  EXPECT_EQ(scramble_bytes(data, len, a.data(), len + 1), 0);  // too small
  ASSERT_EQ(scramble_bytes(data, len, a.data(), len + 2), len + 2);
  ASSERT_EQ(scramble_bytes(data, len, b.data(), len + 2), len + 2);
  EXPECT_NE(a, b);
  EXPECT_GE(a[0], 1);
  EXPECT_GE(a.back(), 1);
  // Hand check of the first byte: key ^ d0 ^ (0 x k) ^ ~0.
  EXPECT_EQ(a[1], static_cast<INT_U8>(a.back() ^ data[0] ^ 0xFF));
  std::vector<INT_U8> plain(static_cast<size_t>(len));
  EXPECT_EQ(unscramble_bytes(a.data(), static_cast<INT_U32>(a.size()), plain.data(), len), len);
  EXPECT_EQ(std::string(plain.begin(), plain.end()), text);
  EXPECT_EQ(unscramble_bytes(b.data(), static_cast<INT_U32>(b.size()), plain.data(), len - 1), 0);
  EXPECT_EQ(unscramble_bytes(nullptr, static_cast<INT_U32>(a.size()), nullptr, 0), len);  // size asked
  EXPECT_EQ(unscramble_bytes(a.data(), static_cast<INT_U32>(a.size()), nullptr, 0), 0);
}

TEST(Scramble, ShortInputsGiveNoNegativeLength) {
  const INT_U8 one[1] = {5}, two[2] = {5, 6};
  INT_U8 out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  for (INT_U32 n : {0u, 1u}) {
    EXPECT_EQ(unscramble_bytes(one, n, out, 4), 0);
    EXPECT_EQ(unscramble_bytes(nullptr, n, nullptr, 0), 0);
  }
  EXPECT_EQ(unscramble_bytes(two, 2, out, 4), 0);
  EXPECT_EQ(out[0], 0xEE);
  EXPECT_EQ(scramble_bytes(one, -1, out, 4), 0);
}

TEST(TimeStamps, StrictlyIncreasing) {
  utility_clock = fake_clock;
  fake_now = 2000000000;
  INT_U32 t = get_unique_time_stamp();
  EXPECT_EQ(t, 2000000000u);
  EXPECT_EQ(get_unique_time_stamp(), t + 1);
  EXPECT_EQ(get_unique_time_stamp(), t + 2);
  fake_now += 10;
  EXPECT_EQ(get_unique_time_stamp(), t + 10);
  fake_now -= 100;  // the clock went back
  EXPECT_EQ(get_unique_time_stamp(), t + 11);
  utility_clock = time;
}

TEST(FrameCounter, RatesStatisticsAndText) {
  utility_clock = fake_clock;
  fake_now = 5000;
  auto frames = [](int n) {
    for (int i = 0; i < n; ++i) get_frame_counts(nullptr, nullptr, nullptr);
  };
  // The call that sees a new second closes the old one, counting itself.
  frames(1);
  fake_now++;
  frames(29);
  INT_U32 mn = 9, mx = 9, avg = 9;
  fake_now++;
  // The low start-up seconds (1 frame) made the statistics restart.
  EXPECT_EQ(get_frame_counts(&mn, &mx, &avg), 29u);
  EXPECT_EQ(mn, 0u);
  EXPECT_EQ(mx, 0u);
  EXPECT_EQ(avg, 0u);
  frames(39);
  fake_now++;
  EXPECT_EQ(get_frame_counts(&mn, &mx, &avg), 40u);
  EXPECT_EQ(mn, 40u);
  EXPECT_EQ(mx, 40u);
  EXPECT_EQ(avg, 40u);
  frames(19);
  fake_now++;
  EXPECT_STREQ(get_frame_rate_text(nullptr), "Frame Rate: 20hz (Min 20hz, Max 40hz, Avg 30hz)");
  char* text = nullptr;
  EXPECT_EQ(update_frame_rate_text(&text, "FPS"), 0);  // same rate: not rebuilt
  EXPECT_STREQ(text, "Frame Rate: 20hz (Min 20hz, Max 40hz, Avg 30hz)");
  frames(23);
  fake_now++;
  EXPECT_EQ(update_frame_rate_text(&text, "FPS"), 1);
  EXPECT_STREQ(text, "FPS: 25hz (Min 20hz, Max 40hz, Avg 28hz)");
  utility_clock = time;
}

TEST(Passwords, ArgumentsAndCharacters) {
  seed_random(5u << 10);
  struct Bad { INT_S16 min, max; INT_U8 flags; };
  for (const Bad& b : std::vector<Bad>{{4, 3, 0}, {8, 8, 2}, {8, 8, 8}, {3, 10, 0}, {257, 300, 0}, {300, 300, 10 | 5},
                                       {-1, 5, 0}}) {
    EXPECT_EQ(make_random_password(b.min, b.max, b.flags, nullptr), nullptr) << b.min << " " << b.max;
  }
  for (int round = 0; round < 50; ++round) {
    char* p = make_random_password(8, 8, PASSWORD_ALLOW_DIGITS, nullptr);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(std::strlen(p), 8u);
    for (char* c = p; *c; ++c) EXPECT_TRUE(islower(*c) || isdigit(*c)) << p;
    char own[300];
    p = make_random_password(6, 30000, PASSWORD_ALLOW_UPPER | PASSWORD_REQUIRE_UPPER | PASSWORD_ALLOW_DIGITS |
                                           PASSWORD_REQUIRE_DIGIT, own);
    ASSERT_EQ(p, own);
    size_t n = std::strlen(p);
    EXPECT_GE(n, 6u);
    EXPECT_LE(n, 256u);
    bool up = false, dig = false;
    for (char* c = p; *c; ++c) {
      EXPECT_TRUE(isalnum(*c));
      up |= isupper(*c) != 0;
      dig |= isdigit(*c) != 0;
    }
    EXPECT_TRUE(up && dig);
  }
  char* p = make_random_password(256, 256, PASSWORD_ALLOW_UPPER | PASSWORD_REQUIRE_UPPER | PASSWORD_TO_CLIPBOARD,
                                 nullptr);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::strlen(p), 256u);
  char clip[300];
  ASSERT_TRUE(get_clipboard_text(clip, sizeof clip));
  EXPECT_STREQ(clip, p);
}

TEST(HttpDate, Rfc1123Form) {
  struct Case { time_t t; const char* text; };
  for (const Case& c : std::vector<Case>{{784111777, "Sun, 06 Nov 1994 08:49:37 GMT"},
                                         {0, "Thu, 01 Jan 1970 00:00:00 GMT"},
                                         {951782400, "Tue, 29 Feb 2000 00:00:00 GMT"},
                                         {4102444799, "Thu, 31 Dec 2099 23:59:59 GMT"}}) {
    EXPECT_STREQ(get_http_date(c.t), c.text);
  }
}

TEST(Transliterate, TableAndBuffer) {
  struct Case { INT_U8 c; const char* text; bool in_buffer; };
  char buffer[2];
  for (const Case& c : std::vector<Case>{{0xE9, "e", false}, {0xC6, "AE", false}, {0xDD, "YSS", false},
                                         {0xDF, "?", true}, {0xD7, "?", true}, {0xF7, "?", true},
                                         {0xDE, "?", true}, {0xFF, "?", true}, {0xA9, "?", true},
                                         {'A', "A", true}, {0xD8, "O", false}, {0xFE, "p", false}}) {
    const char* r = transliterate_char(c.c, buffer);
    EXPECT_STREQ(r, c.text) << int(c.c);
    EXPECT_EQ(r == buffer, c.in_buffer) << int(c.c);
  }
  EXPECT_STREQ(transliterate_char('z', nullptr), "z");
}

TEST(Parsers, FallbackOnlyForNull) {
  EXPECT_EQ(parse_long_or(nullptr, -7), -7);
  EXPECT_EQ(parse_long_or("42abc", -7), 42);
  EXPECT_EQ(parse_long_or("abc", -7), 0);
  EXPECT_EQ(parse_long_or("-12", 0), -12);
  EXPECT_EQ(parse_long_or("99999999999", 0), INT32_MAX);
  EXPECT_EQ(parse_long_or("-99999999999", 0), INT32_MIN);
  EXPECT_EQ(parse_unsigned_or(nullptr, 9u), 9u);
  EXPECT_EQ(parse_unsigned_or("4294967295", 0), 4294967295u);
  EXPECT_EQ(parse_unsigned_or("4294967296", 0), 4294967295u);
  EXPECT_EQ(parse_unsigned_or("-1", 0), 4294967295u);
  EXPECT_EQ(parse_unsigned_or(" 17x", 0), 17u);
  EXPECT_EQ(parse_unsigned_or("- 5", 3), 0u);
  EXPECT_EQ(parse_unsigned_or("x", 3), 0u);
  EXPECT_DOUBLE_EQ(parse_double_or(nullptr, 1.5), 1.5);
  EXPECT_DOUBLE_EQ(parse_double_or("2.25e1z", 1.5), 22.5);
  EXPECT_DOUBLE_EQ(parse_double_or("", 1.5), 0.0);
}

TEST(AboutText, StartsWithTheApplicationName) {
  APPLICATION_INFO.app_name = "Installer 1.08";
  std::string plain = build_about_text(0);
  EXPECT_EQ(plain.substr(0, 15), "Installer 1.08\n");
  std::string with_maker = build_about_text(1);
  EXPECT_EQ(with_maker.substr(0, plain.size()), plain);
  EXPECT_GT(with_maker.size(), plain.size());
  APPLICATION_INFO.app_name = nullptr;
  EXPECT_EQ(build_about_text(0)[0], '\n');
}
