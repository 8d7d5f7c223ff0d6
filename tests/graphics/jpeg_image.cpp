// JPEG files: round trip, reading at another size, grey files, refusals.
#include <gtest/gtest.h>

#include <cstdlib>

#include "image.h"
#include "image_files_test_util.h"

using itu::Bytes;

namespace {

std::unique_ptr<IMAGE> gradient(int w, int h) {
  return itu::make_image(w, h, [w, h](int x, int y) {
    return 0xFF000000u | (x * 255 / w) << 16 | (y * 255 / h) << 8 | 0x80;
  });
}

int max_channel_difference(const IMAGE& a, const IMAGE& b) {
  int worst = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      for (int s = 0; s < 32; s += 8)
        worst = std::max(worst, std::abs(int((*a.pixel_at(x, y) >> s) & 0xFF) -
                                          int((*b.pixel_at(x, y) >> s) & 0xFF)));
  return worst;
}

std::vector<INT_U32> column(const IMAGE& im, int x) {
  std::vector<INT_U32> out;
  for (int y = 0; y < im.height; ++y) out.push_back(*im.pixel_at(x, y));
  return out;
}
std::vector<INT_U32> row(const IMAGE& im, int y) {
  return std::vector<INT_U32>(im.pixel_at(0, y), im.pixel_at(0, y) + im.width);
}

TEST(Jpeg, RoundTripIsCloseAndOpaque) {
  auto im = gradient(32, 16);
  for (int progressive : {0, 1}) {
    std::string path = itu::temp_file("rt.jpg");
    ASSERT_TRUE(itu::save_jpeg_to(path, *im, 95, progressive));
    IMAGE back;
    ASSERT_TRUE(itu::load_jpeg_from(path, back, 0, 0));
    ASSERT_EQ(back.width, 32);
    ASSERT_EQ(back.height, 16);
    EXPECT_LE(max_channel_difference(back, *im), 8) << progressive;
  }
}

TEST(Jpeg, QualityAbove100WritesNothing) {
  std::string path = itu::temp_file("q.jpg");
  EXPECT_FALSE(itu::save_jpeg_to(path, *gradient(4, 4), 101, 0));
  EXPECT_TRUE(zt::read_bytes(path).empty());
}

TEST(Jpeg, ReadingAtAnotherSizeRepeatsOrDropsColumnsAndRows) {
  const int w = 12, h = 6;
  std::string path = itu::temp_file("s.jpg");
  ASSERT_TRUE(itu::save_jpeg_to(path, *gradient(w, h), 90, 0));
  IMAGE natural;
  ASSERT_TRUE(itu::load_jpeg_from(path, natural, -1, -1));
  // (2w - 1, h): every source column twice, the last once.
  IMAGE wide;
  ASSERT_TRUE(itu::load_jpeg_from(path, wide, 2 * w - 1, 0));
  ASSERT_EQ(wide.width, 2 * w - 1);
  ASSERT_EQ(wide.height, h);
  for (int x = 0; x < 2 * w - 1; ++x) EXPECT_EQ(column(wide, x), column(natural, x / 2)) << x;
  // (w, 2h - 1): rows the same way.
  IMAGE tall;
  ASSERT_TRUE(itu::load_jpeg_from(path, tall, 0, 2 * h - 1));
  for (int y = 0; y < 2 * h - 1; ++y) EXPECT_EQ(row(tall, y), row(natural, y / 2)) << y;
  // Reducing to 4 x 3 keeps the columns and rows the rule lands on exactly:
  // source c goes to (4 - 1) * c / (w - 1), the first to arrive stays.
  IMAGE small;
  ASSERT_TRUE(itu::load_jpeg_from(path, small, 4, 3));
  const int kept_columns[] = {0, 4, 8, 11}, kept_rows[] = {0, 3, 5};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(*small.pixel_at(x, y), *natural.pixel_at(kept_columns[x], kept_rows[y])) << x << "," << y;
}

TEST(Jpeg, OnePixelHighOrWideSourceIsCopiedAcross) {
  for (auto size : {std::pair<int, int>{5, 1}, {1, 4}, {1, 1}}) {
    std::string path = itu::temp_file("one.jpg");
    ASSERT_TRUE(itu::save_jpeg_to(path, *gradient(size.first, size.second), 90, 0));
    IMAGE natural, big;
    ASSERT_TRUE(itu::load_jpeg_from(path, natural, 0, 0));
    ASSERT_TRUE(itu::load_jpeg_from(path, big, 9, 7));
    // Each target pixel shows the last source pixel that landed at or
    // before it; a one-pixel side lands once and is repeated across.
    auto landed = [](int n, int big_n, int at) {
      int last = 0;
      for (int c = 0; c < n; ++c)
        if ((n == 1 ? 0 : (big_n - 1) * c / (n - 1)) <= at) last = c;
      return last;
    };
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 9; ++x)
        ASSERT_EQ(*big.pixel_at(x, y),
                  *natural.pixel_at(landed(size.first, 9, x), landed(size.second, 7, y)))
            << x << "," << y;
  }
}

TEST(Jpeg, GreyFileLoadsAsOpaqueGrey) {
  std::string dir = zt::make_temp_dir();
  ASSERT_EQ(zt::sh("cd '" + dir + "' && convert -size 8x8 gradient:white-black -colorspace Gray grey.jpg"), 0);
  std::string out;
  zt::sh("identify -format '%[channels]' '" + dir + "/grey.jpg'", &out);
  IMAGE im;
  ASSERT_TRUE(itu::load_jpeg_from(dir + "/grey.jpg", im, 0, 0)) << out;
  ASSERT_EQ(im.width, 8);
  for (INT_U32 p : itu::pixels_of(im)) {
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF);
    EXPECT_EQ((p >> 8) & 0xFF, p & 0xFF);
  }
  EXPECT_GT(*im.pixel_at(0, 0) & 0xFF, 0xE0u);
  EXPECT_LT(*im.pixel_at(0, 7) & 0xFF, 0x20u);
}

TEST(Jpeg, DamagedAndHostileFilesAreRefusedAndLeaveTheImageAlone) {
  std::string path = itu::temp_file("g.jpg");
  ASSERT_TRUE(itu::save_jpeg_to(path, *gradient(64, 64), 90, 0));
  const Bytes good = zt::read_bytes(path);
  // The frame header's height and width follow the SOF0 marker FF C0.
  size_t sof = 0;
  for (size_t i = 0; i + 1 < good.size(); ++i)
    if (good[i] == 0xFF && good[i + 1] == 0xC0) sof = i;
  ASSERT_GT(sof, 0u);
  auto with_size = [&](int w, int h) {
    Bytes b = good;
    b[sof + 5] = INT_U8(h >> 8), b[sof + 6] = INT_U8(h);
    b[sof + 7] = INT_U8(w >> 8), b[sof + 8] = INT_U8(w);
    return b;
  };
  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"not a JPEG", itu::text_bytes("GIF89a and then some more bytes")},
      {"header only", Bytes(good.begin(), good.begin() + sof + 20)},
      {"truncated in the scan", Bytes(good.begin(), good.begin() + good.size() / 2)},
      {"huge size, small file", with_size(30000, 30000)},
      {"wider than an image", with_size(40000, 8)},
      {"zero height", with_size(64, 0)},
  };
  for (const Case& c : cases) {
    std::string p = itu::temp_file("bad.jpg");
    zt::write_bytes(p, c.bytes);
    auto im = itu::sentinel();
    EXPECT_FALSE(itu::load_jpeg_from(p, *im, 0, 0)) << c.what;
    itu::expect_sentinel(*im);
  }
}

TEST(Jpeg, FixedSizeTargetTakesOnlyItsOwnSize) {
  std::string path = itu::temp_file("f.jpg");
  ASSERT_TRUE(itu::save_jpeg_to(path, *gradient(4, 2), 90, 0));
  for (int w : {4, 5}) {
    auto im = itu::make_image(w, 2, [](int, int) { return 0x12345678u; });
    im->fixed_size = 1;
    EXPECT_EQ(itu::load_jpeg_from(path, *im, 0, 0), w == 4);
    EXPECT_EQ(*im->pixel_at(0, 0) == 0x12345678u, w != 4);
  }
}

}  // namespace
