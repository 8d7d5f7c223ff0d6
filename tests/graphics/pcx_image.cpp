// PCX files: header, run codes, palette, the transparent colour, refusals.
#include <gtest/gtest.h>

#include "data_device.h"
#include "image.h"
#include "image_files_test_util.h"

using itu::Bytes;

namespace {

Bytes le16(int v) { return {static_cast<INT_U8>(v), static_cast<INT_U8>(v >> 8)}; }

// A header as written by hand: manufacturer, version, encoding, bits, the
// window, resolutions, 48 palette bytes, reserved, planes, bytes per line,
// palette information, 58 bytes of filler.
Bytes header(int x_min, int y_min, int x_max, int y_max, int bytes_per_line, int manufacturer = 10) {
  return itu::cat({{static_cast<INT_U8>(manufacturer), 5, 1, 8}, le16(x_min), le16(y_min), le16(x_max),
                   le16(y_max), le16(x_max + 1), le16(y_max + 1), Bytes(48, 0), {0, 1},
                   le16(bytes_per_line), le16(1), Bytes(58, 0)});
}

Bytes palette(std::initializer_list<INT_U32> rgbs) {
  Bytes out{12};
  for (INT_U32 c : rgbs) out.insert(out.end(), {INT_U8(c >> 16), INT_U8(c >> 8), INT_U8(c)});
  out.resize(769, 0);
  return out;
}

TEST(Pcx, SavedHeaderAndRunCodesAreExact) {
  // Three colours make indexes 0, 1, 2.
  auto im = itu::make_image(3, 1, [](int x, int) { return 0xFF000000u | (0x100000u * (x + 1)); });
  MEMORY_DEVICE dev;
  ASSERT_TRUE(im->save_pcx(&dev));
  EXPECT_EQ(dev.bytes, itu::cat({header(0, 0, 2, 0, 3), {0, 1, 2},
                                 palette({0x100000, 0x200000, 0x300000})}));
}

TEST(Pcx, IndexesWithATopBitSetAreWrittenAsRunsOfOne) {
  // 201 colours: index i is colour i.
  auto im = itu::make_image(201, 1, [](int x, int) { return 0xFF000000u | x; });
  MEMORY_DEVICE dev;
  ASSERT_TRUE(im->save_pcx(&dev));
  const Bytes& b = dev.bytes;
  // Indexes 0..63 one byte each, 64..200 two bytes each.
  ASSERT_EQ(b.size(), 128u + 64 + 2 * 137 + 769);
  EXPECT_EQ(b[128 + 63], 0x3F);
  EXPECT_EQ(Bytes(b.begin() + 128 + 64 + 2 * 36, b.begin() + 128 + 64 + 2 * 37), (Bytes{0xC1, 0x64}));
  EXPECT_EQ(Bytes(b.begin() + 128 + 64 + 2 * 136, b.begin() + 128 + 64 + 2 * 137), (Bytes{0xC1, 0xC8}));
  IMAGE back;
  ASSERT_TRUE(back.load_pcx(&dev));
  EXPECT_EQ(itu::pixels_of(back), itu::pixels_of(*im));
}

TEST(Pcx, PaletteHoldsAtMost255ColoursTheRestBecomeIndexZero) {
  auto im = itu::make_image(300, 1, [](int x, int) { return 0xFF000000u | (x * 0x10101); });
  MEMORY_DEVICE dev;
  ASSERT_TRUE(im->save_pcx(&dev));
  const Bytes& b = dev.bytes;
  const size_t pal = b.size() - 768;
  EXPECT_EQ(b[pal - 1], 12);
  EXPECT_EQ(Bytes(b.begin() + pal + 3 * 254, b.begin() + pal + 3 * 255), (Bytes{254, 254, 254}));
  EXPECT_EQ(Bytes(b.begin() + pal + 3 * 255, b.end()), Bytes(3, 0));
  IMAGE back;
  ASSERT_TRUE(back.load_pcx(&dev));
  EXPECT_EQ(*back.pixel_at(254, 0), 0xFFFEFEFEu);
  for (int x : {255, 280, 299}) EXPECT_EQ(*back.pixel_at(x, 0), 0xFF000000u) << x;
}

TEST(Pcx, ReadsRunsAcrossRowsSkipsPaddingAndKeepsTheTransparentColour) {
  // 3 x 2 picture, window starting at (5, 7), 4 bytes per line: the fourth
  // index of each row is padding. A run of 5 of index 1 starts in row 0
  // and carries into row 1.
  Bytes file = itu::cat({header(5, 7, 7, 8, 4), {0x00, 0x02, 0x0C, 0xC5, 0x01, 0x3F, 0xC1, 0xC8},
                         palette({0x000000, 0x8B9A25, 0xFFFFFF})});
  MEMORY_DEVICE dev(file);
  IMAGE im;
  ASSERT_TRUE(im.load_pcx(&dev));
  ASSERT_EQ(im.width, 3);
  ASSERT_EQ(im.height, 2);
  EXPECT_EQ(itu::pixels_of(im), (std::vector<INT_U32>{0xFF000000, 0xFFFFFFFF, 0xFF000000,  //
                                                       0x008B9A25, 0x008B9A25, 0x008B9A25}));
}

TEST(Pcx, DamagedFilesAreRefusedAndLeaveTheImageAlone) {
  const Bytes px(6, 0);
  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"no palette marker", itu::cat({header(0, 0, 2, 1, 3), px, [] {
                                        Bytes p = palette({});
                                        p[0] = 11;
                                        return p;
                                      }()})},
      {"not a PCX", itu::cat({header(0, 0, 2, 1, 3, 11), px, palette({})})},
      {"shorter than a palette", Bytes(700, 12)},
      {"wider than an image", itu::cat({header(0, 0, 39999, 0, 40000), Bytes(40000, 0x00), palette({})})},
      {"huge size in a small file", itu::cat({header(0, 0, 30000, 30000, 30001), px, palette({})})},
      {"huge size, no bytes per line", itu::cat({header(0, 0, 30000, 30000, 0), px, palette({})})},
      // The coded bytes run out inside the pixels (the palette is read as
      // pixels, then nothing is left).
      {"truncated pixels", itu::cat({header(0, 0, 99, 99, 100), Bytes(10, 0), palette({})})},
  };
  for (const Case& c : cases) {
    MEMORY_DEVICE dev(c.bytes);
    auto im = itu::sentinel();
    EXPECT_FALSE(im->load_pcx(&dev)) << c.what;
    itu::expect_sentinel(*im);
  }
}

TEST(Pcx, PictureLessThanOnePixelHighLoadsEmpty) {
  for (const Bytes& h : {header(0, 5, 2, 4, 3), header(0, 1, 2, 0, 3), header(3, 0, 2, 1, 3)}) {
    MEMORY_DEVICE dev(itu::cat({h, palette({})}));
    auto im = itu::sentinel();
    EXPECT_TRUE(im->load_pcx(&dev));
    EXPECT_EQ(im->width, 0);
    EXPECT_EQ(im->pixels, nullptr);
  }
}

// An empty picture is stored with both maxima at -1 and loads back empty.
TEST(Pcx, EmptyImageRoundTrips) {
  IMAGE empty;
  MEMORY_DEVICE dev;
  ASSERT_TRUE(empty.save_pcx(&dev));
  EXPECT_EQ(dev.bytes, itu::cat({header(0, 0, -1, -1, 0), palette({})}));
  auto im = itu::sentinel();
  dev.seek(0, 0);
  EXPECT_TRUE(im->load_pcx(&dev));
  EXPECT_EQ(im->width, 0);
  EXPECT_EQ(im->height, 0);
  EXPECT_EQ(im->pixels, nullptr);
}

TEST(Pcx, RoundTripKeepsColoursAndMarksTheTransparentOne) {
  auto im = itu::make_image(17, 9, [](int x, int y) { return 0xFF000000u | ((x * 7 + y * 3) % 40) * 0x030507; });
  *im->pixel_at(4, 4) = 0x808B9A25;  // alpha is not stored; this colour reads back transparent
  MEMORY_DEVICE dev;
  ASSERT_TRUE(im->save_pcx(&dev));
  IMAGE back;
  ASSERT_TRUE(back.load_pcx(&dev));
  *im->pixel_at(4, 4) = 0x008B9A25;
  EXPECT_EQ(itu::pixels_of(back), itu::pixels_of(*im));
}

}  // namespace
