// Image files by folder and name: the data-file forms, loading by base name,
// series and nine-slice export.
#include <gtest/gtest.h>

#include "data_file.h"
#include "folder.h"
#include "image.h"
#include "image_files_test_util.h"

using itu::Bytes;

namespace {

struct Dir {
  std::string path = zt::make_temp_dir("pics");
  FOLDER folder;
  Dir() { EXPECT_TRUE(folder.set_if_directory(path.c_str())); }
  std::string at(const std::string& name) const { return path + "/" + name; }
};

std::unique_ptr<IMAGE> solid(int w, int h, INT_U32 c) {
  return itu::make_image(w, h, [c](int, int) { return c; });
}

// Saves through the IMAGE members in the given format: png, jpg, pcx, raw.
void save_as(const Dir& d, const std::string& name, const IMAGE& im, const std::string& format) {
  IMAGE& pic = const_cast<IMAGE&>(im);
  FOLDER f = d.folder;
  DATA_FILE* file =
      open_data_file(&f, name.c_str(), DATA_FILE_WRITE, format == "raw" ? DATA_FILE_HEADER : 0, 0);
  ASSERT_NE(file, nullptr);
  bool ok = false;
  if (format == "png") ok = pic.save_png(file);
  if (format == "jpg") ok = pic.save_jpeg(file, 100, 0);
  if (format == "pcx") ok = pic.save_pcx(file);
  if (format == "raw") ok = pic.put_to_data_device(file);
  EXPECT_TRUE(ok) << format;
  close_data_file(&file);
}

TEST(ImageLoad, RawFileCarriesTheByteOrderByte) {
  Dir d;
  const Bytes pixels_le = {0x30, 0x20, 0x10, 0xFF};
  zt::write_bytes(d.at("plain.raw"), itu::cat({{0}, itu::text_bytes("zorvrawimg"), {1, 1, 0, 1, 0}, pixels_le}));
  zt::write_bytes(d.at("swapped.raw"),
                  itu::cat({{1}, itu::text_bytes("zorvrawimg"), {1, 0, 1, 0, 1}, {0xFF, 0x10, 0x20, 0x30}}));
  for (const char* name : {"plain.raw", "swapped.raw"}) {
    IMAGE im;
    ASSERT_TRUE(im.load_raw_file(&d.folder, name)) << name;
    EXPECT_EQ(itu::pixels_of(im), std::vector<INT_U32>{0xFF102030}) << name;
  }
  save_as(d, "written.raw", *solid(1, 1, 0xFF102030), "raw");
  EXPECT_EQ(zt::read_bytes(d.at("written.raw")), zt::read_bytes(d.at("plain.raw")));
  IMAGE im;
  EXPECT_FALSE(im.load_raw_file(&d.folder, "missing.raw"));
}

TEST(ImageLoad, PngThroughADataFileRefusesAForeignSignature) {
  Dir d;
  auto im = itu::make_image(5, 3, [](int x, int y) { return 0x10203040u * (x + 1) + y; });
  save_as(d, "a.png", *im, "png");
  IMAGE back;
  ASSERT_TRUE(back.load_png_file(&d.folder, "a.png"));
  EXPECT_EQ(itu::pixels_of(back), itu::pixels_of(*im));
  Bytes not_png = zt::read_bytes(d.at("a.png"));
  not_png[1] = 'Q';
  zt::write_bytes(d.at("b.png"), not_png);
  auto target = itu::sentinel();
  EXPECT_FALSE(target->load_png_file(&d.folder, "b.png"));
  itu::expect_sentinel(*target);
}

TEST(ImageLoad, JpegThroughADataFile) {
  Dir d;
  save_as(d, "a.jpg", *solid(6, 4, 0xFF4080C0), "jpg");
  IMAGE im;
  ASSERT_TRUE(im.load_jpeg_file(&d.folder, "a.jpg", 3, -1));
  EXPECT_EQ(im.width, 3);
  EXPECT_EQ(im.height, 4);
  FOLDER f = d.folder;
  DATA_FILE* file = open_data_file(&f, "q.jpg", DATA_FILE_WRITE, 0, 0);
  EXPECT_FALSE(im.save_jpeg(file, 101, 0));
  close_data_file(&file);
  EXPECT_TRUE(zt::read_bytes(d.at("q.jpg")).empty());
}

TEST(ImageLoad, FindsThePictureInEveryFormatByBaseName) {
  for (const char* format : {"png", "jpg", "pcx", "raw"}) {
    Dir d;
    save_as(d, std::string("pic.") + format, *solid(4, 2, 0xFF000000), format);
    IMAGE im;
    ASSERT_TRUE(im.load(&d.folder, "pic", -1, -1)) << format;
    EXPECT_EQ(im.width, 4) << format;
    EXPECT_EQ(*im.pixel_at(1, 1) & 0xFFF0F0F0, 0xFF000000u) << format;
  }
}

TEST(ImageLoad, PrefersTheExactNameThenPngThenJpeg) {
  // Colours tell the files apart: red PNG, green JPEG, blue exact name.
  Dir d;
  save_as(d, "logo.png", *solid(2, 2, 0xFFFF0000), "png");
  save_as(d, "logo.jpg", *solid(2, 2, 0xFF00FF00), "jpg");
  IMAGE im;
  ASSERT_TRUE(im.load(&d.folder, "logo", -1, -1));
  EXPECT_EQ(*im.pixel_at(0, 0), 0xFFFF0000u);
  for (const char* format : {"jpg", "pcx", "raw"}) {
    save_as(d, "logo", *solid(2, 2, 0xFF0000FF), format);
    ASSERT_TRUE(im.load(&d.folder, "logo", -1, -1));
    EXPECT_LT(*im.pixel_at(0, 0) & 0xFFFF00, 0x101000u) << format;
    EXPECT_GT(*im.pixel_at(0, 0) & 0xFF, 0xF0u) << format;
  }
}

TEST(ImageLoad, ScalesToTheRequestedSizeOrKeepsIt) {
  Dir d;
  save_as(d, "p.png", *solid(40, 20, 0xFF336699), "png");
  struct Case {
    int w, h, expect_w, expect_h;
  } cases[] = {{-1, -1, 40, 20}, {100, -1, 100, 20}, {-1, 5, 40, 5}, {10, 10, 10, 10}};
  for (const Case& c : cases) {
    IMAGE im;
    ASSERT_TRUE(im.load(&d.folder, "p", static_cast<INT_S16>(c.w), static_cast<INT_S16>(c.h)));
    EXPECT_EQ(im.width, c.expect_w);
    EXPECT_EQ(im.height, c.expect_h);
  }
}

TEST(ImageLoad, NothingFoundLeavesTheImageAlone) {
  Dir d;
  zt::write_text(d.at("junk.png"), "not a picture at all");
  for (const char* name : {"missing", "junk", ""}) {
    auto im = itu::sentinel();
    EXPECT_FALSE(im->load(&d.folder, name, -1, -1)) << name;
    itu::expect_sentinel(*im);
  }
  auto im = itu::sentinel();
  EXPECT_FALSE(im->load(&d.folder, nullptr, -1, -1));
}

TEST(ImageLoad, SeriesStopsAtTheFirstGapOrSkipsGapsUpToLast) {
  Dir d;
  for (int n : {1, 2, 4}) save_as(d, "f" + std::to_string(n) + ".png", *solid(3, 2, 0xFF000000u | n), "png");
  struct Case {
    INT_S16 first;
    INT_U16 last;
    std::vector<INT_U32> frames;
  } cases[] = {{1, 65535, {1, 2}}, {1, 4, {1, 2, 4}}, {2, 4, {2, 4}}, {3, 3, {}}, {4, 1, {}}};
  for (const Case& c : cases) {
    auto im = itu::sentinel();
    im->load_series(&d.folder, "f%d", c.first, c.last);
    ASSERT_EQ(im->width, 3 * c.frames.size()) << c.first << ".." << c.last;
    for (size_t i = 0; i < c.frames.size(); ++i)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(*im->pixel_at(static_cast<int>(3 * i) + x, 1), 0xFF000000u | c.frames[i]);
  }
}

TEST(ImageLoad, SeriesOfUnequalFramesIsPlacedFromTheRight) {
  Dir d;
  save_as(d, "g0.png", *solid(2, 3, 0xFF0000AA), "png");
  save_as(d, "g1.png", *solid(4, 2, 0xFF0000BB), "png");
  IMAGE im;
  im.load_series(&d.folder, "g%d", 0, 1);
  // Two frames of the last one's size: 8 x 2, the last at x 4, the first
  // at 4 - 2 = 2, and clear to its left.
  ASSERT_EQ(im.width, 8);
  ASSERT_EQ(im.height, 2);
  EXPECT_EQ(itu::pixels_of(im), (std::vector<INT_U32>{0, 0, 0xFF0000AA, 0xFF0000AA, 0xFF0000BB, 0xFF0000BB,
                                                       0xFF0000BB, 0xFF0000BB, 0, 0, 0xFF0000AA, 0xFF0000AA,
                                                       0xFF0000BB, 0xFF0000BB, 0xFF0000BB, 0xFF0000BB}));
}

TEST(ImageLoad, SeriesPatternMustHoldOneNumber) {
  Dir d;
  save_as(d, "f1.png", *solid(3, 2, 0xFF000001), "png");
  for (const char* pattern : {"f%s", "f%d%d", "f", "f%n", "f%", "%x%s"}) {
    auto im = itu::sentinel();
    im->load_series(&d.folder, pattern, 1, 3);
    EXPECT_EQ(im->width, 0) << pattern;
  }
  IMAGE im;
  im.load_series(&d.folder, "%%f%1d", 1, 1);  // "%f1": no such file
  EXPECT_EQ(im.width, 0);
  im.load_series(&d.folder, "f%01d", 1, 1);
  EXPECT_EQ(im.width, 3);
}

TEST(ImageLoad, NineSliceExportCutsCornersEdgesAndCentre) {
  for (int size : {5, 4}) {
    Dir d;
    auto im = itu::make_image(size, size, [](int x, int y) { return 0xFF000000u | (x << 8) | y; });
    im->export_nine_slice(&d.folder, "b");
    const int w = size / 2, h = size / 2;
    struct Slice {
      const char* name;
      int sw, sh, sx, sy;
    } slices[] = {{"top_left", w, h, 0, 0},         {"bottom_left", w, h, 0, h + 1},
                  {"top_right", w, h, w + 1, 0},    {"bottom_right", w, h, w + 1, h + 1},
                  {"mid_left", w, 1, 0, h},         {"mid_right", w, 1, w + 1, h},
                  {"top_mid", 1, h, w, 0},          {"bottom_mid", 1, h, w, h + 1},
                  {"mid_mid", 1, 1, w, h}};
    for (const Slice& s : slices) {
      IMAGE part;
      ASSERT_TRUE(part.load_png_file(&d.folder, (std::string("b_") + s.name + ".png").c_str())) << s.name;
      ASSERT_EQ(part.width, s.sw) << s.name;
      ASSERT_EQ(part.height, s.sh) << s.name;
      for (int y = 0; y < s.sh; ++y)
        for (int x = 0; x < s.sw; ++x) {
          const int gx = s.sx + x, gy = s.sy + y;
          // Past the source (even sizes) the slice stays transparent.
          const INT_U32 want = gx < size && gy < size ? 0xFF000000u | (gx << 8) | gy : 0;
          EXPECT_EQ(*part.pixel_at(x, y), want) << size << " " << s.name << " " << x << "," << y;
        }
    }
  }
}

}  // namespace
