// The image surface: life cycle, pitch, clip and dirty rectangles, the global
// display space and the pixel layout in memory.
#include "image.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstring>
#include <vector>

#include "test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZT_ASAN 1
#endif
#endif

#ifdef ZT_ASAN
// Under the sanitizer a failed allocation must come back as null, as it does
// in a plain build, and 4 GiB must be refused without touching memory.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}
#endif

namespace {

struct Rect {
  int l, r, t, b;
  bool operator==(const Rect& o) const { return l == o.l && r == o.r && t == o.t && b == o.b; }
};
std::ostream& operator<<(std::ostream& os, const Rect& c) {
  return os << "(" << c.l << ".." << c.r << ", " << c.t << ".." << c.b << ")";
}
Rect clip_of(const IMAGE& im) { return {im.clip_left, im.clip_right, im.clip_top, im.clip_bottom}; }
Rect dirty_of(const IMAGE& im) {
  return {im.dirty_left, im.dirty_right, im.dirty_top, im.dirty_bottom};
}
const Rect kNoClip{-1, -1, -1, -1};
const Rect kNoDirty{65535, 65535, 65535, 65535};

}  // namespace

TEST(ImageSurface, EmptyImageHasNoPixelsClipOrDirtyArea) {
  IMAGE im(-1, -1);
  EXPECT_EQ(im.width, 0);
  EXPECT_EQ(im.height, 0);
  EXPECT_EQ(im.pitch, 0);
  EXPECT_EQ(im.pixels, nullptr);
  EXPECT_EQ(clip_of(im), kNoClip);
  EXPECT_EQ(dirty_of(im), kNoDirty);
  EXPECT_EQ(im.enabled, 1);
  EXPECT_EQ(im.x, 0);
  EXPECT_EQ(im.y, 0);
  EXPECT_EQ(im.alignment, 0);
  EXPECT_EQ(im.fixed_size, 0);
  EXPECT_EQ(im.keep_aspect, 0);
  EXPECT_EQ(im.font, 10);
  EXPECT_EQ(im.font_width, 22);
  EXPECT_EQ(im.font_height, 22);
  EXPECT_EQ(im.link, nullptr);
  // Nothing can make an empty image dirty or drawable.
  im.add_dirty_rect(0, 0, 10, 10);
  im.set_clip(0, 0, 10, 10);
  EXPECT_EQ(dirty_of(im), kNoDirty);
  EXPECT_EQ(clip_of(im), kNoClip);
}

TEST(ImageSurface, NewImageIsTransparentBlackWithWholeClipAndNoDirtyArea) {
  IMAGE im(5, 3);
  ASSERT_NE(im.pixels, nullptr);
  EXPECT_EQ(im.width, 5);
  EXPECT_EQ(im.height, 3);
  for (int i = 0; i < im.pitch * im.height; ++i) EXPECT_EQ(im.pixels[i], 0u) << i;
  EXPECT_EQ(clip_of(im), (Rect{0, 4, 0, 2}));
  EXPECT_EQ(dirty_of(im), kNoDirty);
}

TEST(ImageSurface, InitOnALiveImageStartsAfresh) {
  IMAGE im(4, 4);
  const COLOUR c = 0xFFFFFFFF;
  im.clear(&c, 1);
  im.fixed_size = 1;
  im.font = 2;
  im.init(3, 2);  // the old pixels are released (the sanitizer build checks)
  EXPECT_EQ(im.width, 3);
  EXPECT_EQ(im.height, 2);
  EXPECT_EQ(im.fixed_size, 0);
  EXPECT_EQ(im.font, 10);
  EXPECT_EQ(*im.pixel_at(2, 1), 0u);
  EXPECT_EQ(dirty_of(im), kNoDirty);
}

TEST(ImageSurface, PitchFollowsAlignmentAndHoldsPastSixteenBits) {
  struct Case {
    int width, alignment, pitch;
  } cases[] = {
      {7, 0, 8},   {7, 1, 7},   {10, 4, 12}, {8, 0, 8},         {1, -3, 2},
      {5, 2, 6},   {9, 3, 9},   {1, 127, 127}, {32767, 0, 32768}, {32767, 1, 32767},
      {32767, 64, 32768},
  };
  for (const Case& c : cases) {
    IMAGE im;
    im.alignment = static_cast<INT_S8>(c.alignment);
    im.create(static_cast<INT_S16>(c.width), 1);
    EXPECT_EQ(im.pitch, c.pitch) << "width " << c.width << " alignment " << c.alignment;
    EXPECT_EQ(im.width, c.width);
    // The last pixel of the row is addressable and the row is zeroed.
    EXPECT_EQ(im.pixel_at(c.width - 1, 0), im.pixels + c.width - 1);
    EXPECT_EQ(im.pixels[c.width - 1], 0u);
  }
}

TEST(ImageSurface, PixelsAreLittleEndianWordsBlueGreenRedAlpha) {
  IMAGE im(2, 2);
  *im.pixel_at(1, 1) = 0x11223344;
  const INT_U8* bytes = reinterpret_cast<const INT_U8*>(im.pixels);
  const INT_U8 expect[] = {0x44, 0x33, 0x22, 0x11};
  EXPECT_EQ(std::memcmp(bytes + (1 * im.pitch + 1) * 4, expect, 4), 0);
}

TEST(ImageSurface, RecreatingAtTheSameSizeKeepsPixelsMarksAllDirtyAndResetsClip) {
  IMAGE im(4, 3);
  *im.pixel_at(2, 1) = 0xFF0000FF;
  INT_U32* before = im.pixels;
  im.set_clip(1, 1, 2, 2);
  im.enabled = 0;
  im.max_width = 50;
  im.max_height = 60;
  im.create(4, 3);
  EXPECT_EQ(im.pixels, before);
  EXPECT_EQ(*im.pixel_at(2, 1), 0xFF0000FFu);
  EXPECT_EQ(dirty_of(im), (Rect{0, 3, 0, 2}));
  EXPECT_EQ(clip_of(im), (Rect{0, 3, 0, 2}));
  EXPECT_EQ(im.enabled, 0);  // untouched when nothing was allocated
  EXPECT_EQ(im.max_width, 0);
  EXPECT_EQ(im.max_height, 0);
}

TEST(ImageSurface, ResizingZeroesPixelsMergesTheOldAreaAndEnables) {
  IMAGE im(20, 20);
  im.fill_rect(0, 0, 19, 19, std::vector<COLOUR>{0xFFFFFFFF}.data(), 0);
  im.dirty_left = im.dirty_right = im.dirty_top = im.dirty_bottom = 65535;
  im.enabled = 0;
  im.create(30, 10);
  EXPECT_EQ(im.width, 30);
  EXPECT_EQ(im.height, 10);
  EXPECT_EQ(*im.pixel_at(0, 0), 0u);
  EXPECT_EQ(*im.pixel_at(29, 9), 0u);
  EXPECT_EQ(dirty_of(im), (Rect{0, 19, 0, 19}));
  EXPECT_EQ(clip_of(im), (Rect{0, 29, 0, 9}));
  EXPECT_EQ(im.enabled, 1);
  // Down to nothing: no pixels, no clip, no dirty area.
  im.create(0, 5);
  EXPECT_EQ(im.pixels, nullptr);
  EXPECT_EQ(im.width, 0);
  EXPECT_EQ(im.height, 0);
  EXPECT_EQ(im.pitch, 0);
  EXPECT_EQ(clip_of(im), kNoClip);
  EXPECT_EQ(dirty_of(im), kNoDirty);
}

TEST(ImageSurface, FixedSizeImagesIgnoreCreateEntirely) {
  IMAGE im(4, 4);
  im.fixed_size = 1;
  im.max_width = 7;
  im.max_height = 9;
  im.set_clip(1, 1, 2, 2);
  im.create(8, 8);
  EXPECT_EQ(im.width, 4);
  EXPECT_EQ(im.max_width, 7);
  EXPECT_EQ(im.max_height, 9);
  EXPECT_EQ(clip_of(im), (Rect{1, 2, 1, 2}));
  EXPECT_EQ(dirty_of(im), kNoDirty);
}

TEST(ImageSurface, CopyFromTakesSizeAndPixelsAndOnFixedSizeOnlyWhatFits) {
  IMAGE src(3, 2);
  for (int yy = 0; yy < 2; ++yy)
    for (int xx = 0; xx < 3; ++xx) *src.pixel_at(xx, yy) = 0x10000000u * (yy * 3 + xx) + 0x123;
  IMAGE dst(7, 7);
  dst.font = 3;
  EXPECT_EQ(dst.copy_from(&src), &dst);
  EXPECT_EQ(dst.width, 3);
  EXPECT_EQ(dst.height, 2);
  EXPECT_EQ(dst.font, 3);  // only pixels and size are taken over
  for (int yy = 0; yy < 2; ++yy)
    for (int xx = 0; xx < 3; ++xx) EXPECT_EQ(*dst.pixel_at(xx, yy), *src.pixel_at(xx, yy));

  IMAGE fixed(2, 3);
  fixed.fixed_size = 1;
  fixed.copy_from(&src);
  EXPECT_EQ(fixed.width, 2);
  EXPECT_EQ(fixed.height, 3);
  EXPECT_EQ(*fixed.pixel_at(1, 1), *src.pixel_at(1, 1));
  EXPECT_EQ(*fixed.pixel_at(1, 2), 0u);

  EXPECT_EQ(fixed.copy_from(nullptr), &fixed);  // nothing to copy: unchanged
  EXPECT_EQ(fixed.width, 2);
}

TEST(ImageSurface, SetClipOrdersAndClampsIntoTheImage) {
  struct Case {
    int x1, y1, x2, y2;
    Rect clip;
  } cases[] = {
      {50, 40, 10, 5, {10, 19, 5, 19}},
      {-5, -5, 100, 100, {0, 19, 0, 19}},
      {3, 4, 3, 4, {3, 3, 4, 4}},
      {-30, -30, -20, -20, {0, 0, 0, 0}},  // wholly outside: pinned to the nearest corner
      {25, 2, 30, 7, {19, 19, 2, 7}},
  };
  for (const Case& c : cases) {
    IMAGE im(20, 20);
    im.set_clip(c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(clip_of(im), c.clip) << c.x1 << "," << c.y1 << "," << c.x2 << "," << c.y2;
  }
}

// A rectangle wholly beside the image, even touching the clip's edge row or
// column once clamped, leaves nothing to draw.
TEST(ImageSurface, IntersectClipWithARectangleOffTheImageEmptiesIt) {
  const Rect off[] = {{120, 519, -300, -1}, {-50, -1, 0, 19}, {20, 40, 0, 19}, {0, 19, 20, 25}};
  for (const Rect& c : off) {
    IMAGE im(20, 20);
    im.intersect_clip(static_cast<INT_S16>(c.l), static_cast<INT_S16>(c.t), static_cast<INT_S16>(c.r),
                      static_cast<INT_S16>(c.b));
    EXPECT_EQ(clip_of(im), kNoClip) << c;
    COLOUR white = 0xFFFFFFFF;
    im.fill_rect(0, 0, 19, 19, &white, 0);
    EXPECT_EQ(*im.pixel_at(0, 0), 0u);
  }
}

TEST(ImageSurface, IntersectClipNarrowsAndEmptiesForGood) {
  IMAGE im(20, 20);
  im.set_clip(5, 5, 15, 15);
  im.intersect_clip(18, 0, 10, 12);
  EXPECT_EQ(clip_of(im), (Rect{10, 15, 5, 12}));
  im.intersect_clip(-100, -100, 100, 100);
  EXPECT_EQ(clip_of(im), (Rect{10, 15, 5, 12}));
  im.intersect_clip(0, 0, 9, 19);  // touches nothing of the clip
  EXPECT_EQ(clip_of(im), kNoClip);
  im.intersect_clip(0, 0, 19, 19);
  EXPECT_EQ(clip_of(im), kNoClip);
  COLOUR white = 0xFFFFFFFF;
  im.fill_rect(0, 0, 19, 19, &white, 0);
  EXPECT_EQ(*im.pixel_at(12, 8), 0u);
  EXPECT_EQ(dirty_of(im), kNoDirty);
  im.set_clip(0, 0, 19, 19);
  EXPECT_EQ(clip_of(im), (Rect{0, 19, 0, 19}));
}

TEST(ImageSurface, AddDirtyRectClampsOrdersAndMerges) {
  IMAGE im(20, 20);
  im.add_dirty_rect(-10, -10, 5, 5);
  EXPECT_EQ(dirty_of(im), (Rect{0, 5, 0, 5}));
  im.add_dirty_rect(8, 30, 3, 2);
  EXPECT_EQ(dirty_of(im), (Rect{0, 8, 0, 19}));
  im.add_dirty_rect(2, 2, 3, 3);  // inside: nothing grows
  EXPECT_EQ(dirty_of(im), (Rect{0, 8, 0, 19}));
  im.add_dirty_rect(100, 1, 200, 1);
  EXPECT_EQ(dirty_of(im), (Rect{0, 19, 0, 19}));
}

TEST(ImageSurface, CopyFlippedPacksRowsLastFirst) {
  IMAGE im(3, 2);  // pitch 4: the padding pixel must not be copied
  ASSERT_EQ(im.pitch, 4);
  const INT_U32 rows[2][3] = {{1, 2, 3}, {4, 5, 6}};
  for (int yy = 0; yy < 2; ++yy)
    for (int xx = 0; xx < 3; ++xx) *im.pixel_at(xx, yy) = rows[yy][xx];
  im.pixels[3] = 0xDEAD;
  std::vector<INT_U32> out(7, 0xEEEEEEEE);
  im.copy_flipped(out.data());
  EXPECT_EQ(out, (std::vector<INT_U32>{4, 5, 6, 1, 2, 3, 0xEEEEEEEE}));
  IMAGE empty;
  empty.copy_flipped(out.data());  // nothing written
  EXPECT_EQ(out[0], 4u);
}

TEST(ImageDisplaySpace, DisplaysAreEightByEightTilesOf4096) {
  struct Case {
    int x, y, display;
  } cases[] = {
      {0, 0, 0},    {-1, 5, 0},    {5, -1, 0},    {4095, 4095, 0},   {4096, 0, 8},
      {0, 4096, 1}, {4096, 4096, 9}, {8191, 12288, 11}, {32767, 32767, 63}, {28672, 0, 56},
  };
  for (const Case& c : cases)
    EXPECT_EQ(get_display_of_point(c.x, c.y), c.display) << c.x << "," << c.y;
  struct Origin {
    int display, x, y;
  } origins[] = {{0, 0, 0}, {1, 0, 4096}, {8, 4096, 0}, {9, 4096, 4096}, {63, 28672, 28672}};
  for (const Origin& o : origins) {
    EXPECT_EQ(get_display_origin_x(o.display), o.x) << o.display;
    EXPECT_EQ(get_display_origin_y(o.display), o.y) << o.display;
    EXPECT_EQ(get_display_of_point(o.x, o.y), o.display);
  }
}

TEST(ImageDisplaySpace, AnImageOnDisplayNineIsAddressedByGlobalCoordinates) {
  IMAGE im(8, 8);
  im.x = 4096;
  im.y = 4096;
  im.set_clip(0, 0, 4100, 4099);
  EXPECT_EQ(clip_of(im), (Rect{4096, 4100, 4096, 4099}));
  COLOUR red = 0xFFFF0000;
  im.fill_rect(4098, 4097, 4200, 4097, &red, 0);
  EXPECT_EQ(im.pixels[1 * im.pitch + 2], red);
  EXPECT_EQ(im.pixels[1 * im.pitch + 4], red);
  EXPECT_EQ(im.pixels[1 * im.pitch + 5], 0u);  // outside the clip
  EXPECT_EQ(dirty_of(im), (Rect{4098, 4100, 4097, 4097}));
  IMAGE src(2, 2);
  src.clear(&red, 1);
  im.set_clip(0, 0, 32767, 32767);
  im.blit(&src, 0, 0, 4102, 4102, 2, 2, BLIT_COPY);
  EXPECT_EQ(im.pixels[6 * im.pitch + 6], red);
  EXPECT_EQ(im.pixels[7 * im.pitch + 7], red);
}

TEST(ImageSurface, FailedPixelAllocationIsFatalError0x20) {
  zt::clear_message_box_calls();
  auto r = zt::run_in_child([] {
#ifndef ZT_ASAN
    struct rlimit lim = {512u << 20, 512u << 20};
    setrlimit(RLIMIT_AS, &lim);
#endif
    IMAGE im(32767, 32767);  // 4 GiB of pixels
    printf("allocated\n");
  });
  EXPECT_EQ(r.status, 255) << r.out << r.err;
  EXPECT_EQ(r.out.find("allocated"), std::string::npos);
  EXPECT_NE(r.out.find("Application was unable to continue"), std::string::npos) << r.out;
  auto boxes = zt::message_box_calls();
  ASSERT_EQ(boxes.size(), 1u);
  std::string all;
  for (const auto& arg : boxes[0]) all += arg + "\n";
  EXPECT_NE(all.find("ERROR: 0020:\nUnable to allocate dynamic memory for image "),
            std::string::npos)
      << all;
}
