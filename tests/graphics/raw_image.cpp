// The raw image format, embedded picture arrays and their source text.
#include <gtest/gtest.h>

#include "data_device.h"
#include "image.h"
#include "image_files_test_util.h"
#include "text_file.h"

using itu::Bytes;

namespace {

const Bytes kMagic = itu::text_bytes("zorvrawimg");

// A 2 x 1 image of 0xFF102030 and 0x80000001.
std::unique_ptr<IMAGE> two_pixels() {
  return itu::make_image(2, 1, [](int x, int) { return x == 0 ? 0xFF102030u : 0x80000001u; });
}

const Bytes kPlain = itu::cat({kMagic, {1, 0x02, 0x00, 0x01, 0x00},
                               {0x30, 0x20, 0x10, 0xFF, 0x01, 0x00, 0x00, 0x80}});
const Bytes kSwapped = itu::cat({kMagic, {1, 0x00, 0x02, 0x00, 0x01},
                                 {0xFF, 0x10, 0x20, 0x30, 0x80, 0x00, 0x00, 0x01}});

TEST(RawImage, WritesHeaderAndPixelsInEitherByteOrder) {
  for (int swap = 0; swap < 2; ++swap) {
    MEMORY_DEVICE dev;
    dev.swap_flag = swap;
    ASSERT_TRUE(two_pixels()->put_to_data_device(&dev));
    EXPECT_EQ(dev.bytes, swap ? kSwapped : kPlain) << "swap " << swap;
  }
}

TEST(RawImage, ReadsHandWrittenStreamsInEitherByteOrder) {
  for (int swap = 0; swap < 2; ++swap) {
    MEMORY_DEVICE dev(swap ? kSwapped : kPlain);
    dev.swap_flag = swap;
    IMAGE im;
    ASSERT_TRUE(im.get_from_data_device(&dev));
    EXPECT_EQ(itu::pixels_of(im), itu::pixels_of(*two_pixels()));
    EXPECT_EQ(dev.tell(), dev.bytes.size());
  }
}

TEST(RawImage, EmptyImageIsTheHeaderAlone) {
  MEMORY_DEVICE dev;
  IMAGE empty;
  ASSERT_TRUE(empty.put_to_data_device(&dev));
  EXPECT_EQ(dev.bytes, itu::cat({kMagic, {1, 0, 0, 0, 0}}));
  // Stored databases hold such images; they read back as empty, with success.
  for (const Bytes& sizes : {Bytes{0, 0, 0, 0}, Bytes{5, 0, 0, 0}, Bytes{0, 0, 0xFF, 0xFF}}) {
    MEMORY_DEVICE in(itu::cat({kMagic, {1}, sizes}));
    auto im = itu::sentinel();
    EXPECT_TRUE(im->get_from_data_device(&in));
    EXPECT_EQ(im->width, 0);
    EXPECT_EQ(im->height, 0);
    EXPECT_EQ(im->pixels, nullptr);
  }
}

TEST(RawImage, DamagedStreamsAreRefusedAndLeaveTheImageAlone) {
  const Bytes px(4 * 2, 0x11);
  struct Case {
    const char* what;
    Bytes bytes;
    bool error_flag;
  } cases[] = {
      {"short magic", itu::text_bytes("zorvraw"), true},
      {"wrong magic", itu::cat({itu::text_bytes("zorvrawimG"), {1, 2, 0, 1, 0}, px}), false},
      {"version 2", itu::cat({kMagic, {2, 2, 0, 1, 0}, px}), false},
      {"no version", kMagic, true},
      {"short size", itu::cat({kMagic, {1, 2, 0, 1}}), true},
      {"truncated pixels", itu::cat({kMagic, {1, 2, 0, 1, 0}, Bytes(7, 0x11)}), true},
      {"no pixels", itu::cat({kMagic, {1, 2, 0, 1, 0}}), true},
      {"huge size, few bytes", itu::cat({kMagic, {1, 0xFF, 0x7F, 0xFF, 0x7F}, px}), true},
      // Wider than any image: the pixels are there, but no image holds them.
      {"width 40000", itu::cat({kMagic, {1, 0x40, 0x9C, 1, 0}, Bytes(160000, 0)}), false},
      {"width 65535", itu::cat({kMagic, {1, 0xFF, 0xFF, 1, 0}, Bytes(262140, 0)}), false},
  };
  for (const Case& c : cases) {
    MEMORY_DEVICE dev(c.bytes);
    auto im = itu::sentinel();
    EXPECT_FALSE(im->get_from_data_device(&dev)) << c.what;
    itu::expect_sentinel(*im);
    if (c.error_flag) {
      EXPECT_EQ(dev.error_flag, 1) << c.what;
    }
  }
}

TEST(RawImage, FixedSizeTargetTakesOnlyItsOwnSize) {
  for (int w : {2, 3}) {
    auto im = itu::make_image(w, 1, [](int, int) { return 0xFFFFFFFFu; });
    im->fixed_size = 1;
    MEMORY_DEVICE dev(kPlain);
    EXPECT_EQ(im->get_from_data_device(&dev), w == 2) << w;
    EXPECT_EQ(im->width, w);
    EXPECT_EQ(*im->pixel_at(0, 0), w == 2 ? 0xFF102030u : 0xFFFFFFFFu);
  }
}

TEST(RawImage, FailedWriteSetsTheErrorFlag) {
  MEMORY_DEVICE dev;
  dev.write_limit = 17;
  EXPECT_FALSE(two_pixels()->put_to_data_device(&dev));
  EXPECT_EQ(dev.error_flag, 1);
}

TEST(EmbeddedPicture, LoadsBigEndianSizesAndLittleEndianPixels) {
  const INT_U8 data[] = {1, 0, 2, 0, 1, 0x30, 0x20, 0x10, 0xFF, 0x01, 0x00, 0x00, 0x80};
  for (INT_U8 format : {1, 0, 7}) {
    Bytes copy(data, data + sizeof data);
    copy[0] = format;
    IMAGE im;
    ASSERT_TRUE(im.load_embedded(copy.data()));
    EXPECT_EQ(itu::pixels_of(im), itu::pixels_of(*two_pixels()));
  }
  IMAGE im;
  EXPECT_FALSE(im.load_embedded(nullptr));
  const INT_U8 no_rows[] = {1, 0, 4, 0, 0};
  EXPECT_TRUE(im.load_embedded(no_rows));
  EXPECT_EQ(im.width, 0);
}

std::string c_source_of(IMAGE& im, const char* name) {
  std::string path = itu::temp_file("pic.h");
  TEXT_FILE file;
  file.stream = fopen(path.c_str(), "wb");
  file.mode = 1;
  im.write_c_source(&file, name);
  fclose(file.stream);
  return zt::read_text(path);
}

TEST(EmbeddedPicture, WritesCSourceText) {
  auto one = itu::make_image(1, 1, [](int, int) { return 0xFF102030u; });
  EXPECT_EQ(c_source_of(*one, "pic"),
            "static INT_U8 pic[9] =\n"
            "{\n"
            "\t0x01,0x00,0x01,0x00,0x01,\n"
            "\t0x30,0x20,0x10,0xFF\n"
            "};\n");
  auto four = itu::make_image(2, 2, [](int x, int y) { return 0x80000000u | (y << 8) | x; });
  *four->pixel_at(1, 1) = 0x01ABCDEF;
  EXPECT_EQ(c_source_of(*four, "tile"),
            "static INT_U8 tile[21] =\n"
            "{\n"
            "\t0x01,0x00,0x02,0x00,0x02,\n"
            "\t0x00,0x00,0x00,0x80,0x01,0x00,0x00,0x80,\n"
            "\t0x00,0x01,0x00,0x80,0xEF,0xCD,0xAB,0x01\n"
            "};\n");
  IMAGE empty;
  EXPECT_EQ(c_source_of(empty, "none"),
            "static INT_U8 none[5] =\n{\n\t0x01,0x00,0x00,0x00,0x00\n};\n");
}

TEST(EmbeddedPicture, SourceTextBytesLoadBack) {
  auto im = itu::make_image(3, 2, [](int x, int y) { return 0x01020304u * (x + 3 * y + 1); });
  // The array in the text is the embedded form: parse the hex numbers back.
  std::string text = c_source_of(*im, "p");
  Bytes bytes;
  for (size_t at = text.find("0x"); at != std::string::npos; at = text.find("0x", at + 2))
    bytes.push_back(static_cast<INT_U8>(std::stoul(text.substr(at + 2, 2), nullptr, 16)));
  ASSERT_EQ(bytes.size(), 5u + 4 * 6);
  IMAGE back;
  ASSERT_TRUE(back.load_embedded(bytes.data()));
  EXPECT_EQ(itu::pixels_of(back), itu::pixels_of(*im));
}

}  // namespace
