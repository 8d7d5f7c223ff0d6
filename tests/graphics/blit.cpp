// Fills, gradients, clears and blits: the blend rule, the blit modes,
// clipping and the dirty rectangle.
#include <gtest/gtest.h>

#include <vector>

#include "image.h"
#include "test_support.h"
#include "window.h"

namespace {

struct Rect {
  int l, r, t, b;
  bool operator==(const Rect& o) const { return l == o.l && r == o.r && t == o.t && b == o.b; }
};
std::ostream& operator<<(std::ostream& os, const Rect& c) {
  return os << "(" << c.l << ".." << c.r << ", " << c.t << ".." << c.b << ")";
}
Rect dirty_of(const IMAGE& im) {
  return {im.dirty_left, im.dirty_right, im.dirty_top, im.dirty_bottom};
}
Rect clip_of(const IMAGE& im) { return {im.clip_left, im.clip_right, im.clip_top, im.clip_bottom}; }
const Rect kNoDirty{65535, 65535, 65535, 65535};

void no_dirty(IMAGE& im) { im.dirty_left = im.dirty_right = im.dirty_top = im.dirty_bottom = 65535; }

// A one-row image holding the given pixels.
std::unique_ptr<IMAGE> row_of(const std::vector<INT_U32>& px) {
  auto im = std::make_unique<IMAGE>(static_cast<INT_S16>(px.size()), 1);
  for (size_t i = 0; i < px.size(); ++i) im->pixels[i] = px[i];
  return im;
}
std::vector<INT_U32> row(const IMAGE& im, int yy = 0) {
  return std::vector<INT_U32>(im.pixel_at(0, yy), im.pixel_at(0, yy) + im.width);
}
std::vector<INT_U32> column(const IMAGE& im, int xx = 0) {
  std::vector<INT_U32> out;
  for (int yy = 0; yy < im.height; ++yy) out.push_back(*im.pixel_at(xx, yy));
  return out;
}

}  // namespace

// One pixel s combined into one pixel d by each mode.
TEST(Blit, ModesCombineOnePixelByTheirRule) {
  struct Case {
    INT_S32 mode;
    INT_U32 src, dst, expect;
    const char* what;
  } cases[] = {
      {BLIT_BLEND, 0xF9FFFFFF, 0xFF000000, 0xFFF8F8F8, "alpha 249 mixes; /256 never reaches 255"},
      {BLIT_BLEND, 0xFAFFFFFF, 0xFF000000, 0xFAFFFFFF, "alpha 250 stores the source whole"},
      {BLIT_BLEND, 0xFF102030, 0x80FFFFFF, 0xFF102030, "opaque stores whole"},
      {BLIT_BLEND, 0x00FFFFFF, 0xFF123456, 0xFF123456, "alpha 0 leaves the destination"},
      {BLIT_BLEND, 0x80FFFFFF, 0xFF000000, 0xFF7F7F7F, "half white over opaque black"},
      {BLIT_BLEND, 0x80FFFFFF, 0x00000000, 0x007F7F7F, "destination alpha kept"},
      {BLIT_BLEND, 0xF9000000, 0x00FFFFFF, 0x00050505, "black at 249 over clear white"},
      {BLIT_BLEND, 0x40102030, 0x80C0B0A0, 0x80938B83, "channels mixed separately"},
      {BLIT_BLEND, 0x01FFFFFF, 0xFF336699, 0xFF336698, "alpha 1 barely moves"},
      {7, 0x80FFFFFF, 0xFF000000, 0xFF7F7F7F, "an unknown mode blends"},
      {-1, 0x00FFFFFF, 0xFF123456, 0xFF123456, "a negative mode blends"},
      {BLIT_COPY, 0x00FFFFFF, 0xFF123456, 0x00FFFFFF, "copy takes all four channels"},
      {BLIT_COPY, 0x80123456, 0xFFFFFFFF, 0x80123456, "copy does not blend"},
      {BLIT_MASK, 0x01FFFFFF, 0x00123456, 0xFF123456, "mask: any alpha makes opaque"},
      {BLIT_MASK, 0x00FFFFFF, 0xFF123456, 0x00123456, "mask: alpha 0 makes clear"},
      {BLIT_MASK, 0xFF000000, 0x7F654321, 0xFF654321, "mask keeps the colour"},
      {BLIT_ALPHA_MULTIPLY, 0x80000000, 0xFF123456, 0x80123456, "255 x 128 / 255"},
      {BLIT_ALPHA_MULTIPLY, 0x80FFFFFF, 0x64123456, 0x32123456, "100 x 128 / 255 = 50"},
      {BLIT_ALPHA_MULTIPLY, 0x00FFFFFF, 0xFF123456, 0x00123456, "times 0"},
      {BLIT_ALPHA_MULTIPLY, 0xFE000000, 0xFE000000, 0xFD000000, "254 x 254 / 255 rounds down to 253"},
  };
  for (const Case& c : cases) {
    auto src = row_of({c.src});
    auto dst = row_of({c.dst});
    dst->blit(src.get(), 0, 0, 0, 0, 1, 1, c.mode);
    EXPECT_EQ(dst->pixels[0], c.expect) << std::hex << c.what;
    EXPECT_EQ(dirty_of(*dst), (Rect{0, 0, 0, 0})) << c.what;
    // A blending fill in the source colour follows the same rule.
    if (c.mode != BLIT_BLEND) continue;
    auto filled = row_of({c.dst});
    filled->fill_rect(0, 0, 0, 0, &c.src, 1);
    EXPECT_EQ(filled->pixels[0], c.expect) << "fill: " << c.what;
  }
}

// The rule per channel, as the blend is defined, against whole rows (where
// the blit works on several pixels at once), for every alpha.
TEST(Blit, BlendOfWholeRowsFollowsThePerChannelRuleForEveryAlpha) {
  auto rule = [](INT_U32 d, INT_U32 s, INT_U32 threshold) -> INT_U32 {
    INT_U32 a = s >> 24;
    if (a == 0) return d;
    if (a >= threshold) return s;
    INT_U32 out = d & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
      out |= ((((d >> shift) & 0xFF) * (255 - a) + ((s >> shift) & 0xFF) * a) >> 8) << shift;
    return out;
  };
  const INT_U32 pairs[][2] = {{0xFFFFFF, 0xFF000000}, {0x000000, 0x00FFFFFF},
                              {0x8040C0, 0x7F13579B}, {0xFF00FF, 0x0000FF00}};
  for (INT_U8 threshold : {250, 0, 1, 255}) {
    alpha_copy_threshold = threshold;
    for (const auto& p : pairs) {
      std::vector<INT_U32> s(259), d(259, p[1]);
      for (int i = 0; i < 259; ++i) s[i] = (static_cast<INT_U32>(i % 256) << 24) | p[0];
      auto src = row_of(s);
      auto dst = row_of(d);
      for (int start : {0, 1, 3}) {  // every alignment of the groups of pixels
        dst = row_of(d);
        dst->blit(src.get(), start, 0, start, 0, 259, 1, BLIT_BLEND);
        for (int i = 0; i < 259; ++i)
          ASSERT_EQ(dst->pixels[i], i < start ? p[1] : rule(p[1], s[i], threshold))
              << std::hex << "alpha " << (s[i] >> 24) << " threshold " << int(threshold);
      }
    }
  }
  alpha_copy_threshold = 250;
  // Runs wholly opaque or wholly invisible next to mixed ones.
  auto src = row_of({0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444, 0, 0, 0, 0,
                     0x80FFFFFF, 0, 0xFF555555, 0x01000000, 0xF9FFFFFF});
  auto dst = row_of(std::vector<INT_U32>(13, 0xFF000000));
  dst->blit(src.get(), 0, 0, 0, 0, 13, 1, BLIT_BLEND);
  EXPECT_EQ(row(*dst), (std::vector<INT_U32>{0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444,
                                             0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000,
                                             0xFF7F7F7F, 0xFF000000, 0xFF555555, 0xFF000000,
                                             0xFFF8F8F8}));
}

TEST(Blit, ThresholdIsTheGlobalSetting) {
  INT_U8 saved = alpha_copy_threshold;
  alpha_copy_threshold = 200;
  auto src = row_of({0xC8FFFFFF, 0xC7FFFFFF});
  auto dst = row_of({0xFF000000, 0xFF000000});
  dst->blit(src.get(), 0, 0, 0, 0, 2, 1, BLIT_BLEND);
  alpha_copy_threshold = saved;
  EXPECT_EQ(row(*dst), (std::vector<INT_U32>{0xC8FFFFFF, 0xFFC6C6C6}));
}

TEST(Blit, ClippingShiftsSourceAndDestinationAndMarksOnlyWhatChanged) {
  const std::vector<INT_U32> src_px = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  struct Case {
    int src_x, dst_x, width;
    Rect clip;  // destination clip (columns)
    std::vector<INT_U32> expect;
    Rect dirty;
    const char* what;
  } cases[] = {
      {0, -5, 10, {0, 9, 0, 0}, {6, 7, 8, 9, 10, 0, 0, 0, 0, 0}, {0, 4, 0, 0}, "dst_x -5"},
      {-3, 0, 10, {0, 9, 0, 0}, {0, 0, 0, 1, 2, 3, 4, 5, 6, 7}, {3, 9, 0, 0}, "src_x -3"},
      {0, 0, 10, {2, 5, 0, 0}, {0, 0, 3, 4, 5, 6, 0, 0, 0, 0}, {2, 5, 0, 0}, "clip 2..5"},
      {6, 0, 10, {0, 9, 0, 0}, {7, 8, 9, 10, 0, 0, 0, 0, 0, 0}, {0, 3, 0, 0}, "source end"},
      {0, 7, 10, {0, 9, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 1, 2, 3}, {7, 9, 0, 0}, "clip end"},
      {2, 1, 3, {0, 9, 0, 0}, {0, 3, 4, 5, 0, 0, 0, 0, 0, 0}, {1, 3, 0, 0}, "width 3"},
      {0, 10, 10, {0, 9, 0, 0}, std::vector<INT_U32>(10, 0), kNoDirty, "past the clip"},
      {0, 0, 10, {6, 9, 0, 0}, {0, 0, 0, 0, 0, 0, 7, 8, 9, 10}, {6, 9, 0, 0}, "clip from 6"},
      {0, -10, 10, {0, 9, 0, 0}, std::vector<INT_U32>(10, 0), kNoDirty, "left of the clip"},
      {10, 0, 10, {0, 9, 0, 0}, std::vector<INT_U32>(10, 0), kNoDirty, "src past its width"},
      {-10, 0, 10, {0, 9, 0, 0}, std::vector<INT_U32>(10, 0), kNoDirty, "src before it"},
      {0, 0, 0, {0, 9, 0, 0}, std::vector<INT_U32>(10, 0), kNoDirty, "width 0"},
      {0, 0, -4, {0, 9, 0, 0}, std::vector<INT_U32>(10, 0), kNoDirty, "negative width"},
  };
  auto src = row_of(src_px);
  for (const Case& c : cases) {
    auto dst = row_of(std::vector<INT_U32>(10, 0));
    dst->set_clip(c.clip.l, 0, c.clip.r, 0);
    dst->blit(src.get(), c.src_x, 0, c.dst_x, 0, c.width, 1, BLIT_COPY);
    EXPECT_EQ(row(*dst), c.expect) << c.what;
    EXPECT_EQ(dirty_of(*dst), c.dirty) << c.what;
  }
}

TEST(Blit, RowsAreClippedLikeColumns) {
  IMAGE src(1, 6);
  for (int i = 0; i < 6; ++i) *src.pixel_at(0, i) = 0xFF000000u + i + 1;
  IMAGE dst(1, 6);
  dst.set_clip(0, 1, 0, 3);
  // dst_y 0 is cut to the clip's top (source row -2), then the rows before
  // the source push it down to row 3, where the clip leaves one row.
  dst.blit(&src, 0, -3, 0, 0, 1, 10, BLIT_COPY);
  EXPECT_EQ(column(dst), (std::vector<INT_U32>{0, 0, 0, 0xFF000001, 0, 0}));
  EXPECT_EQ(dirty_of(dst), (Rect{0, 0, 3, 3}));
  dst.blit(&src, 0, 0, 0, -1, 1, 10, BLIT_COPY);
  EXPECT_EQ(column(dst), (std::vector<INT_U32>{0, 0xFF000003, 0xFF000004, 0xFF000005, 0, 0}));
  EXPECT_EQ(dirty_of(dst), (Rect{0, 0, 1, 3}));
}

TEST(Blit, NothingHappensOnDisabledEmptyOrUnclippedImages) {
  auto src = row_of({0xFFFFFFFF});
  IMAGE empty_src;
  auto dst = row_of({0});
  dst->enabled = 0;
  dst->blit(src.get(), 0, 0, 0, 0, 1, 1, BLIT_COPY);
  dst->enabled = 1;
  dst->blit(nullptr, 0, 0, 0, 0, 1, 1, BLIT_COPY);
  dst->blit(&empty_src, 0, 0, 0, 0, 1, 1, BLIT_COPY);
  dst->clip_left = -1;
  dst->blit(src.get(), 0, 0, 0, 0, 1, 1, BLIT_COPY);
  EXPECT_EQ(dst->pixels[0], 0u);
  EXPECT_EQ(dirty_of(*dst), kNoDirty);
  IMAGE empty_dst;
  empty_dst.blit(src.get(), 0, 0, 0, 0, 1, 1, BLIT_COPY);
  EXPECT_EQ(dirty_of(empty_dst), kNoDirty);
}

// Moving a block within one image reads every source pixel before it is
// overwritten, whichever way the block moves.
TEST(Blit, OverlappingBlitWithinOneImageMovesTheBlockIntact) {
  struct Case {
    int sx, sy, dx, dy, w, h;
    INT_S32 mode;
    std::vector<INT_U32> expect;  // the 4 x 1 row or 1 x 4 column
    bool vertical;
  } cases[] = {
      {0, 0, 1, 0, 3, 1, BLIT_COPY, {1, 1, 2, 3}, false},
      {0, 0, 1, 0, 3, 1, BLIT_BLEND, {1, 1, 2, 3}, false},
      {1, 0, 0, 0, 3, 1, BLIT_COPY, {2, 3, 4, 4}, false},
      {1, 0, 0, 0, 3, 1, BLIT_BLEND, {2, 3, 4, 4}, false},
      {0, 0, 0, 1, 1, 3, BLIT_COPY, {1, 1, 2, 3}, true},
      {0, 0, 0, 1, 1, 3, BLIT_BLEND, {1, 1, 2, 3}, true},
      {0, 1, 0, 0, 1, 3, BLIT_BLEND, {2, 3, 4, 4}, true},
  };
  for (const Case& c : cases) {
    IMAGE im(c.vertical ? 1 : 4, c.vertical ? 4 : 1);
    for (int i = 0; i < 4; ++i) im.pixels[c.vertical ? i * im.pitch : i] = 0xFF000000u + i + 1;
    im.blit(&im, c.sx, c.sy, c.dx, c.dy, c.w, c.h, c.mode);
    std::vector<INT_U32> expect;
    for (INT_U32 v : c.expect) expect.push_back(0xFF000000u + v);
    EXPECT_EQ(c.vertical ? column(im) : row(im), expect)
        << c.sx << "," << c.sy << " -> " << c.dx << "," << c.dy << " mode " << c.mode;
  }
  // The mask reads the alpha the source had before the move.
  auto masked = row_of({0xFF000001, 0x00000002, 0x00000003, 0x00000004});
  masked->blit(masked.get(), 0, 0, 1, 0, 3, 1, BLIT_MASK);
  EXPECT_EQ(row(*masked), (std::vector<INT_U32>{0xFF000001, 0xFF000002, 0x00000003, 0x00000004}));
  // Diagonal move down and right over a 3 x 3 block.
  IMAGE im(3, 3);
  for (int i = 0; i < 9; ++i) *im.pixel_at(i % 3, i / 3) = 0xFF000000u + i;
  im.blit(&im, 0, 0, 1, 1, 2, 2, BLIT_COPY);
  EXPECT_EQ(row(im, 1), (std::vector<INT_U32>{0xFF000003, 0xFF000000, 0xFF000001}));
  EXPECT_EQ(row(im, 2), (std::vector<INT_U32>{0xFF000006, 0xFF000003, 0xFF000004}));
}

TEST(Blit, ConvenienceFormsTargetOtherImagesAndNeverThemselves) {
  IMAGE pic(2, 2);
  for (int i = 0; i < 4; ++i) *pic.pixel_at(i % 2, i / 2) = 0xFF000010u + i;
  IMAGE target(4, 4);
  pic.draw_to(1, 2, &target, BLIT_COPY);
  EXPECT_EQ(row(target, 2), (std::vector<INT_U32>{0, 0xFF000010, 0xFF000011, 0}));
  EXPECT_EQ(row(target, 3), (std::vector<INT_U32>{0, 0xFF000012, 0xFF000013, 0}));
  EXPECT_EQ(dirty_of(target), (Rect{1, 2, 2, 3}));

  IMAGE part(4, 1);
  pic.draw_part_to(3, 0, 1, 1, 5, 5, &part, BLIT_COPY);
  EXPECT_EQ(row(part), (std::vector<INT_U32>{0, 0, 0, 0xFF000013}));

  IMAGE grab(2, 1);
  grab.grab_from(1, 2, &target, BLIT_COPY);
  EXPECT_EQ(row(grab), (std::vector<INT_U32>{0xFF000010, 0xFF000011}));

  no_dirty(pic);
  pic.draw_to(1, 1, &pic, BLIT_COPY);
  pic.draw_part_to(1, 1, 0, 0, 1, 1, &pic, BLIT_COPY);
  pic.grab_from(1, 1, &pic, BLIT_COPY);
  EXPECT_EQ(row(pic, 1), (std::vector<INT_U32>{0xFF000012, 0xFF000013}));
  EXPECT_EQ(dirty_of(pic), kNoDirty);
}

TEST(Blit, ConvenienceFormsWithoutTargetUseTheScreenImage) {
  IMAGE* screen = get_screen_image(0);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(get_screen_image(1), nullptr);
  IMAGE pic(2, 2);
  const COLOUR white = 0xFFFFFFFF, grey = 0xFF808080;
  pic.clear(&white, 1);
  no_dirty(pic);
  // No window yet: the screen image is empty, and drawing to it or grabbing
  // from it changes nothing.
  ASSERT_EQ(screen->width, 0);
  pic.draw_to(0, 0, nullptr, BLIT_COPY);
  pic.draw_part_to(0, 0, 0, 0, 2, 2, nullptr, BLIT_COPY);
  pic.grab_from(0, 0, nullptr, BLIT_COPY);
  EXPECT_EQ(*pic.pixel_at(1, 1), white);
  EXPECT_EQ(dirty_of(pic), kNoDirty);
  EXPECT_EQ(dirty_of(*screen), kNoDirty);

  screen->create(4, 3);
  screen->clear(&grey, 1);
  no_dirty(*screen);
  pic.draw_to(2, 1, nullptr, BLIT_COPY);
  EXPECT_EQ(row(*screen, 1), (std::vector<INT_U32>{grey, grey, white, white}));
  EXPECT_EQ(row(*screen, 2), (std::vector<INT_U32>{grey, grey, white, white}));
  EXPECT_EQ(dirty_of(*screen), (Rect{2, 3, 1, 2}));
  pic.draw_part_to(0, 0, 1, 1, 1, 1, nullptr, BLIT_COPY);
  EXPECT_EQ(*screen->pixel_at(0, 0), white);
  pic.grab_from(1, 0, nullptr, BLIT_COPY);
  EXPECT_EQ(row(pic, 0), (std::vector<INT_U32>{grey, grey}));
  EXPECT_EQ(row(pic, 1), (std::vector<INT_U32>{grey, white}));
  screen->draw_to(0, 0, nullptr, BLIT_COPY);  // itself: nothing
  screen->create(-1, -1);
}

TEST(Fill, RectangleIsClippedOrderedAndMarked) {
  const COLOUR red = 0xFFFF0000;
  struct Case {
    int x1, y1, x2, y2;
    Rect clip;
    Rect painted;  // l > r: nothing
    Rect dirty;
  } cases[] = {
      {1, 1, 2, 3, {0, 5, 0, 5}, {1, 2, 1, 3}, {1, 2, 1, 3}},
      {4, 3, 1, 0, {0, 5, 0, 5}, {1, 4, 0, 3}, {1, 4, 0, 3}},
      {-9, -9, 99, 99, {2, 3, 1, 4}, {2, 3, 1, 4}, {2, 3, 1, 4}},
      {0, 0, 1, 5, {2, 3, 1, 4}, {1, 0, 0, 0}, kNoDirty},
      {4, 0, 5, 0, {2, 3, 1, 4}, {1, 0, 0, 0}, kNoDirty},
      {3, 3, 3, 3, {0, 5, 0, 5}, {3, 3, 3, 3}, {3, 3, 3, 3}},
  };
  for (const Case& c : cases) {
    IMAGE im(6, 6);
    im.set_clip(c.clip.l, c.clip.t, c.clip.r, c.clip.b);
    im.fill_rect(c.x1, c.y1, c.x2, c.y2, &red, 0);
    for (int yy = 0; yy < 6; ++yy)
      for (int xx = 0; xx < 6; ++xx) {
        bool in = xx >= c.painted.l && xx <= c.painted.r && yy >= c.painted.t && yy <= c.painted.b;
        EXPECT_EQ(*im.pixel_at(xx, yy), in ? red : 0u)
            << xx << "," << yy << " of " << c.x1 << "," << c.y1 << "," << c.x2 << "," << c.y2;
      }
    EXPECT_EQ(dirty_of(im), c.dirty);
  }
}

TEST(Fill, InvisibleColourWithBlendChangesNoPixelButMarksDirty) {
  IMAGE im(4, 4);
  const COLOUR grey = 0xFF808080, invisible = 0x00FFFFFF;
  im.clear(&grey, 1);
  no_dirty(im);
  im.fill_rect(1, 1, 2, 2, &invisible, 1);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(*im.pixel_at(i % 4, i / 4), grey);
  EXPECT_EQ(dirty_of(im), (Rect{1, 2, 1, 2}));
  im.fill_rect(1, 1, 2, 2, &invisible, 0);  // stored whole without blend
  EXPECT_EQ(*im.pixel_at(1, 1), invisible);
}

TEST(Fill, DisabledImageIsLeftAlone) {
  IMAGE im(2, 2);
  im.enabled = 0;
  const COLOUR c = 0xFFFFFFFF;
  im.fill_rect(0, 0, 1, 1, &c, 0);
  im.fill_gradient_vertical(0, 0, 1, 1, &c, &c, 0);
  im.fill_gradient_horizontal(0, 0, 1, 1, &c, &c, 0);
  im.clear(&c, 0);
  EXPECT_EQ(*im.pixel_at(1, 1), 0u);
  EXPECT_EQ(dirty_of(im), kNoDirty);
}

TEST(Fill, ImageWithoutPixelsIsFatalError2) {
  zt::clear_message_box_calls();
  auto r = zt::run_in_child([] {
    IMAGE im;
    im.clip_left = im.clip_top = im.clip_right = im.clip_bottom = 0;
    const COLOUR c = 0xFFFFFFFF;
    im.fill_rect(0, 0, 1, 1, &c, 0);
    printf("returned\n");
  });
  EXPECT_EQ(r.status, 255) << r.out << r.err;
  EXPECT_EQ(r.out.find("returned"), std::string::npos);
  auto boxes = zt::message_box_calls();
  ASSERT_EQ(boxes.size(), 1u);
  std::string all;
  for (const auto& arg : boxes[0]) all += arg + "\n";
  EXPECT_NE(all.find("ERROR: 0002:\nOpenGraphics() not called "), std::string::npos) << all;
}

TEST(Gradient, ChannelsRunLinearlyOverTheUncutRectangle) {
  const COLOUR black = 0xFF000000, white = 0xFFFFFFFF, clear_white = 0x00FFFFFF;
  struct Case {
    COLOUR from, to;
    int first, last;  // corners along the gradient, in the order given
    int clip_first;   // first row / column inside the clip
    INT_S8 blend;
    std::vector<INT_U32> expect;  // rows / columns 0..3 over opaque black
  } cases[] = {
      {black, white, 0, 2, 0, 0, {0xFF000000, 0xFF7F7F7F, 0xFFFFFFFF, 0xFF000000}},
      {black, white, 2, 0, 0, 0, {0xFF000000, 0xFF7F7F7F, 0xFFFFFFFF, 0xFF000000}},
      {white, black, 0, 2, 0, 0, {0xFFFFFFFF, 0xFF808080, 0xFF000000, 0xFF000000}},
      {black, white, 0, 2, 1, 0, {0xFF000000, 0xFF7F7F7F, 0xFFFFFFFF, 0xFF000000}},
      {black, white, -1, 2, 0, 0, {0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF, 0xFF000000}},
      {0x10203040, 0x10203040, 1, 1, 0, 0, {0xFF000000, 0x10203040, 0xFF000000, 0xFF000000}},
      {0x80FFFFFF, white, 3, 3, 0, 1, {0xFF000000, 0xFF000000, 0xFF000000, 0xFF7F7F7F}},
      {clear_white, white, 0, 2, 0, 1, {0xFF000000, 0xFF7E7E7E, 0xFFFFFFFF, 0xFF000000}},
      {clear_white, white, 0, 2, 0, 0, {0x00FFFFFF, 0x7FFFFFFF, 0xFFFFFFFF, 0xFF000000}},
  };
  for (int vertical = 0; vertical < 2; ++vertical) {
    for (const Case& c : cases) {
      IMAGE im(vertical ? 2 : 4, vertical ? 4 : 2);
      im.clear(&black, 1);
      no_dirty(im);
      if (vertical) {
        im.set_clip(0, c.clip_first, 1, 3);
        im.fill_gradient_vertical(0, c.first, 1, c.last, &c.from, &c.to, c.blend);
      } else {
        im.set_clip(c.clip_first, 0, 3, 1);
        im.fill_gradient_horizontal(c.first, 0, c.last, 1, &c.from, &c.to, c.blend);
      }
      std::vector<INT_U32> got = vertical ? column(im, 1) : row(im, 1);
      for (int i = 0; i < c.clip_first; ++i) EXPECT_EQ(got[i], black) << "cut away";
      for (int i = c.clip_first; i < 4; ++i)
        EXPECT_EQ(got[i], c.expect[i]) << std::hex << (vertical ? "row " : "column ") << std::dec
                                       << i << " from " << c.first << " to " << c.last;
    }
  }
}

TEST(Clear, RespectsTheClipUnlessToldToIgnoreIt) {
  const COLOUR blue = 0x800000FF;
  IMAGE im(30, 30);
  im.set_clip(10, 10, 19, 19);
  im.clear(&blue, 0);
  int painted = 0;
  for (int yy = 0; yy < 30; ++yy)
    for (int xx = 0; xx < 30; ++xx)
      if (*im.pixel_at(xx, yy) == blue) ++painted;
  EXPECT_EQ(painted, 100);
  EXPECT_EQ(*im.pixel_at(10, 10), blue);
  EXPECT_EQ(*im.pixel_at(20, 19), 0u);
  EXPECT_EQ(dirty_of(im), (Rect{10, 19, 10, 19}));

  IMAGE whole(30, 30);
  whole.set_clip(10, 10, 19, 19);
  whole.enabled = 0;
  whole.clear(&blue, 1);
  EXPECT_EQ(*whole.pixel_at(0, 0), blue);  // stored whole, not blended
  EXPECT_EQ(*whole.pixel_at(29, 29), blue);
  EXPECT_EQ(clip_of(whole), (Rect{10, 19, 10, 19}));
  EXPECT_EQ(whole.enabled, 0);
  EXPECT_EQ(dirty_of(whole), (Rect{0, 29, 0, 29}));
}

// A clip saved before a resize and put back afterwards reaches past the
// smaller image: drawing stays on the pixels (the sanitizer build checks).
TEST(Clip, StaleClipRestoredAfterAShrinkNeverDrawsOutsideTheImage) {
  IMAGE im(10, 10);
  const INT_S16 l = im.clip_left, r = im.clip_right, t = im.clip_top, b = im.clip_bottom;
  im.create(4, 3);
  no_dirty(im);
  im.clip_left = l;
  im.clip_right = r;
  im.clip_top = t;
  im.clip_bottom = b;
  const COLOUR c = 0xFFFFFFFF;
  im.fill_rect(0, 0, 9, 9, &c, 0);
  im.fill_gradient_vertical(0, 0, 9, 9, &c, &c, 1);
  im.fill_gradient_horizontal(0, 0, 9, 9, &c, &c, 0);
  EXPECT_EQ(dirty_of(im), (Rect{0, 3, 0, 2}));
  IMAGE big(10, 10);
  big.clear(&c, 1);
  for (INT_S32 mode : {BLIT_BLEND, BLIT_COPY, BLIT_MASK, BLIT_ALPHA_MULTIPLY})
    im.blit(&big, 0, 0, 0, 0, 10, 10, mode);
  EXPECT_EQ(dirty_of(im), (Rect{0, 3, 0, 2}));
  EXPECT_EQ(*im.pixel_at(3, 2), c);
}
