// PNG files: exact round trip, the chunks written, files of other kinds made
// by ImageMagick, damaged and hostile files.
#include <gtest/gtest.h>
#include <zlib.h>

#include "image.h"
#include "image_files_test_util.h"

using itu::Bytes;

namespace {

Bytes be32(INT_U32 v) { return {INT_U8(v >> 24), INT_U8(v >> 16), INT_U8(v >> 8), INT_U8(v)}; }

Bytes chunk(const char* type, const Bytes& data) {
  Bytes body = itu::cat({itu::text_bytes(type), data});
  return itu::cat({be32(static_cast<INT_U32>(data.size())), body,
                   be32(static_cast<INT_U32>(crc32(0, body.data(), static_cast<uInt>(body.size()))))});
}

// A PNG made by hand: IHDR, the rows (each with filter byte 0) deflated, IEND.
Bytes png_file(INT_U32 w, INT_U32 h, INT_U8 depth, INT_U8 colour_type, const Bytes& rows) {
  uLongf size = compressBound(rows.size());
  Bytes packed(size);
  compress(packed.data(), &size, rows.data(), rows.size());
  packed.resize(size);
  return itu::cat({{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A},
                   chunk("IHDR", itu::cat({be32(w), be32(h), {depth, colour_type, 0, 0, 0}})),
                   chunk("IDAT", packed), chunk("IEND", {})});
}

std::string write_file(const Bytes& bytes, const char* name = "f.png") {
  std::string path = itu::temp_file(name);
  zt::write_bytes(path, bytes);
  return path;
}

TEST(Png, RgbaRoundTripIsExact) {
  auto im = itu::make_image(7, 5, [](int x, int y) {
    return static_cast<INT_U32>((x * 37 + y) << 24 | (x * 11) << 16 | (y * 50) << 8 | (x ^ y) * 9);
  });
  std::string path = itu::temp_file("rt.png");
  ASSERT_TRUE(itu::save_png_to(path, *im));
  IMAGE back;
  ASSERT_TRUE(itu::load_png_from(path, back));
  EXPECT_EQ(back.width, 7);
  EXPECT_EQ(back.height, 5);
  EXPECT_EQ(itu::pixels_of(back), itu::pixels_of(*im));
}

TEST(Png, SavedFileHasColourType6SbitAndTheTwoTextsInOrder) {
  auto im = itu::make_image(3, 2, [](int x, int y) { return 0x80112233u + x + 16 * y; });
  std::string path = itu::temp_file("chunks.png");
  ASSERT_TRUE(itu::save_png_to(path, *im));
  // An independent reader lists the chunks up to the first IDAT.
  std::string out;
  ASSERT_EQ(zt::sh("python3 - '" + path + R"(' <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
assert data[:8] == b'\x89PNG\r\n\x1a\n'
pos = 8
while pos < len(data):
    n, = struct.unpack('>I', data[pos:pos + 4]); kind = data[pos + 4:pos + 8]
    body = data[pos + 8:pos + 8 + n]
    assert struct.unpack('>I', data[pos + 8 + n:pos + 12 + n])[0] == zlib.crc32(kind + body)
    if kind == b'IHDR':
        w, h, depth, ctype, comp, filt, inter = struct.unpack('>IIBBBBB', body)
        print('IHDR', w, h, depth, ctype, inter)
    elif kind == b'sBIT': print('sBIT', body.hex())
    elif kind == b'tEXt': print('tEXt', body.split(b'\0')[0].decode())
    else: print(kind.decode())
    pos += 12 + n
PY)",
                   &out),
            0);
  EXPECT_EQ(out, "IHDR 3 2 8 6 0\nsBIT 08080808\ntEXt Author\ntEXt Website\nIDAT\nIEND\n");
}

struct Made {
  const char* what;
  const char* convert_args;  // ImageMagick: from the 2 x 2 PPM/PAM source to out.png
  std::vector<INT_U32> expected;
};

TEST(Png, FilesOfOtherKindsLoadAsOpaqueOrTransparent32BitPixels) {
  std::string dir = zt::make_temp_dir();
  // A 2 x 2 source: red, green / blue, white.
  zt::write_bytes(dir + "/src.ppm", itu::cat({itu::text_bytes("P6\n2 2\n255\n"),
                                             {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}}));
  zt::write_bytes(dir + "/grey.pgm", itu::cat({itu::text_bytes("P5\n2 2\n255\n"), {0, 85, 170, 255}}));
  const std::vector<INT_U32> colours = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  const std::vector<INT_U32> greys = {0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF};
  const Made cases[] = {
      {"palette", "src.ppm PNG8:out.png", colours},
      {"16-bit RGB", "src.ppm -depth 16 PNG48:out.png", colours},
      {"8-bit RGB", "src.ppm PNG24:out.png", colours},
      {"interlaced", "src.ppm -interlace PNG PNG24:out.png", colours},
      {"16-bit RGBA", "src.ppm -alpha set -channel A -evaluate set 50% +channel -depth 16 PNG64:out.png",
       {0x80FF0000, 0x8000FF00, 0x800000FF, 0x80FFFFFF}},
      {"8-bit grey", "grey.pgm -define png:color-type=0 -define png:bit-depth=8 out.png", greys},
      {"2-bit grey", "grey.pgm -define png:color-type=0 -define png:bit-depth=2 out.png", greys},
      {"16-bit grey", "grey.pgm -define png:color-type=0 -depth 16 out.png", greys},
      {"grey with alpha", "grey.pgm -alpha set -channel A -evaluate set 0 +channel -define png:color-type=4 out.png",
       {0x00000000, 0x00555555, 0x00AAAAAA, 0x00FFFFFF}},
      {"palette with tRNS", "src.ppm -transparent blue PNG8:out.png",
       {0xFFFF0000, 0xFF00FF00, 0x000000FF, 0xFFFFFFFF}},
  };
  for (const Made& m : cases) {
    std::string out;
    ASSERT_EQ(zt::sh("cd '" + dir + "' && rm -f out.png && convert " + m.convert_args +
                         " && identify -format '%[png:IHDR.color-type-orig] %[png:IHDR.bit-depth-orig]' out.png",
                     &out),
              0)
        << m.what;
    IMAGE im;
    ASSERT_TRUE(itu::load_png_from(dir + "/out.png", im)) << m.what;
    EXPECT_EQ(itu::pixels_of(im), m.expected) << m.what << " (" << out << ")";
  }
}

TEST(Png, HandMadeGreyAndPaletteFilesLoad) {
  // 1-bit grey: 0b1010 -> white, black, white, black.
  IMAGE im;
  ASSERT_TRUE(itu::load_png_from(write_file(png_file(4, 1, 1, 0, {0, 0xA0})), im));
  EXPECT_EQ(itu::pixels_of(im), (std::vector<INT_U32>{0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000}));
  // RGB: alpha 255.
  ASSERT_TRUE(itu::load_png_from(write_file(png_file(2, 1, 8, 2, {0, 1, 2, 3, 4, 5, 6})), im));
  EXPECT_EQ(itu::pixels_of(im), (std::vector<INT_U32>{0xFF010203, 0xFF040506}));
}

TEST(Png, DamagedAndHostileFilesAreRefusedAndLeaveTheImageAlone) {
  const Bytes good = png_file(2, 2, 8, 6, Bytes(2 * 9, 7));
  Bytes bad_crc = good;
  bad_crc[29] ^= 1;  // inside IHDR's CRC
  // 32767 x 32767 RGBA would be 4 GB of pixels from a few hundred bytes.
  const Bytes huge = png_file(32767, 32767, 8, 6, Bytes(4000, 0));
  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"truncated in IDAT", Bytes(good.begin(), good.begin() + 50)},
      {"signature only", Bytes(good.begin(), good.begin() + 8)},
      {"bad CRC", bad_crc},
      {"width 40000", png_file(40000, 1, 8, 6, Bytes(160001, 0))},
      {"width 65536", png_file(65536, 1, 8, 0, Bytes(65537, 0))},
      {"zero width", png_file(0, 1, 8, 6, Bytes(1, 0))},
      {"huge size, small file", huge},
      {"rows missing", png_file(2, 2, 8, 6, Bytes(9, 7))},
  };
  for (const Case& c : cases) {
    auto im = itu::sentinel();
    EXPECT_FALSE(itu::load_png_from(write_file(c.bytes), *im)) << c.what;
    itu::expect_sentinel(*im);
  }
}

TEST(Png, FixedSizeTargetTakesOnlyItsOwnSize) {
  std::string path = write_file(png_file(2, 1, 8, 2, {0, 1, 2, 3, 4, 5, 6}));
  for (int w : {2, 3}) {
    auto im = itu::make_image(w, 1, [](int, int) { return 0xFFFFFFFFu; });
    im->fixed_size = 1;
    EXPECT_EQ(itu::load_png_from(path, *im), w == 2);
    EXPECT_EQ(im->width, w);
    EXPECT_EQ(*im->pixel_at(0, 0), w == 2 ? 0xFF010203u : 0xFFFFFFFFu);
  }
}

TEST(Png, SavingAnEmptyImageOrToAReadOnlyStreamFails) {
  IMAGE empty;
  EXPECT_FALSE(itu::save_png_to(itu::temp_file("e.png"), empty));
  auto im = itu::make_image(4, 4, [](int, int) { return 0xFF123456u; });
  std::string path = itu::temp_file("ro.png");
  zt::write_bytes(path, {1});
  FILE* f = fopen(path.c_str(), "rb");
  EXPECT_FALSE(save_png_stream(im.get(), f));
  fclose(f);
}

}  // namespace
