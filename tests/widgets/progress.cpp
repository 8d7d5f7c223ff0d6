// Progress bar, headless: fills and geometry, text boxes, the screen check,
// the overlay animation, pumps by the wall second, and the 64-bit mends.
#include "wm_progress.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>

#include "../graphics/image_files_test_util.h"
#include "errors.h"
#include "folder.h"
#include "style_set.h"
#include "widget_test_env.h"

namespace {

using wgt::WidgetTest;

const COLOUR kBack = 0xFF203040u, kLabel = 0xFFE0E0E0u, kFill = 0xFF00C000u;

// No label, gaps of 2, flat: the trough of a bar at (10, 10), 104 x 20, is
// (12, 12)-(111, 27); inner width 99, inner height 15, part border 2.
WM_STYLE_SET bar_style(INT_U32 ssef = 0) {
  WM_STYLE_SET s;
  s.bg_colour = kBack;
  s.fg_colour = kLabel;
  s.highlight_colour = kFill;
  s.border_left_gap = s.border_right_gap = s.border_top_gap = s.border_bottom_gap = 2;
  s.ssef = ssef;
  return s;
}

int g_platform_frames = 0;
void count_platform_frame() { ++g_platform_frames; }
int g_swaps = 0;
void count_swap(INT_S16) { ++g_swaps; }

class ProgressTest : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    g_platform_frames = g_swaps = 0;
    progress_update_platform = count_platform_frame;
    progress_swap_screens = count_swap;
  }
  void paint(WM_PROGRESS_BAR* bar) {
    screen->set_clip(0, 0, wgt::kScreenWidth - 1, wgt::kScreenHeight - 1);
    bar->draw();
  }
};

}  // namespace

TEST_F(ProgressTest, FillTable) {
  struct Case {
    INT_U32 ssef;
    INT_S32 maximum, value;
    INT_S32 f, o;
    const char* text;
  };
  for (const Case& c : std::vector<Case>{
           {0, 100, 0, 5, 0, "0%"},          // floor: 2 x bw + 1
           {0, 100, 100, 100, 0, "100%"},    // one past the trough's right edge
           {0, 100, 50, 50, 0, "50%"},       // 99 x 50 / 100 + 1
           {0, 0, 0, 100, 0, "100%"},        // no range: full
           {0, 7, 3, 43, 0, "42%"},          // truncated
           {ssef_pb_vertical, 100, 0, 5, 10, "0%"},
           {ssef_pb_vertical, 100, 100, 16, -1, "100%"},
           {ssef_pb_vertical, 10, 5, 8, 7, "50%"}}) {
    WM_STYLE_SET style = bar_style(c.ssef);
    WM_PROGRESS_BAR bar(10, 10, 104, 20, nullptr, c.maximum, &style);
    bar.value = c.value;
    auto g = bar.geometry();
    EXPECT_EQ(g.left, 12);
    EXPECT_EQ(g.top, 12);
    EXPECT_EQ(g.right, 111);
    EXPECT_EQ(g.bottom, 27);
    EXPECT_EQ(g.bw, 2);
    EXPECT_EQ(g.f, c.f) << c.maximum << " " << c.value;
    if (c.ssef & ssef_pb_vertical) {
      EXPECT_EQ(g.o, c.o);
    }
    char buffer[PB_TEXT_SIZE];
    EXPECT_STREQ(bar.main_text(buffer), c.text);
  }
}

TEST_F(ProgressTest, FlatPixelsOfTheParts) {
  WM_STYLE_SET style = bar_style(ssef_pb_no_shading);
  WM_PROGRESS_BAR bar(10, 10, 104, 20, nullptr, 100, &style);
  bar.set_title("", 0);  // no text over the probes
  bar.value = 0;
  paint(&bar);
  // Value 0 still paints a block bw + 2 = 4 pixels long: columns 14..17.
  EXPECT_EQ(wgt::pixel(14, 20), kFill);
  EXPECT_EQ(wgt::pixel(17, 20), kFill);
  EXPECT_EQ(wgt::pixel(18, 20), kBack);
  EXPECT_EQ(wgt::pixel(12, 20), 0xFF808080u);  // the trough's border, indented: dark left
  EXPECT_EQ(wgt::pixel(13, 20), 0xFF808080u);
  // At 100 % the fill covers the trough border's right column (112 = right + 1).
  bar.value = 100;
  paint(&bar);
  EXPECT_EQ(wgt::pixel(110, 20), kFill);
  EXPECT_EQ(wgt::pixel(112, 20), kFill);
  // A visible remaining colour paints the rest and covers the boundary column.
  bar.value = 50;
  bar.remaining_colour = 0xFF800000u;
  paint(&bar);
  EXPECT_EQ(wgt::pixel(61, 20), kFill);
  EXPECT_EQ(wgt::pixel(62, 20), 0xFF800000u);  // left + f = 62 belongs to both
  EXPECT_EQ(wgt::pixel(109, 20), 0xFF800000u);
}

TEST_F(ProgressTest, VerticalBarIgnoresItsLabelAndFillsFromTheBottom) {
  WM_STYLE_SET style = bar_style(ssef_pb_vertical | ssef_pb_no_shading);
  WM_PROGRESS_BAR bar(10, 10, 20, 104, "label", 10, &style);
  EXPECT_EQ(bar.label, nullptr);
  bar.set_title("", 0);
  bar.value = 5;
  paint(&bar);
  // Trough (12, 12)-(27, 111): ih 99, f 50, o 49: the fill spans rows 61..109.
  EXPECT_EQ(wgt::pixel(20, 109), kFill);
  EXPECT_EQ(wgt::pixel(20, 61), kFill);
  EXPECT_EQ(wgt::pixel(20, 60), kBack);
}

TEST_F(ProgressTest, LabelMovesTheTrough) {
  WM_STYLE_SET style = bar_style();
  WM_PROGRESS_BAR bar(10, 10, 200, 20, "Files", 100, &style);
  const INT_S32 l = text_width("Files");
  auto g = bar.geometry();
  EXPECT_EQ(g.left, 10 + 4 + l);
  EXPECT_EQ(g.iw, 200 - 1 - 2 - 4 - l);
  WM_STYLE_SET only = bar_style(ssef_pb_only_draw_bar);
  WM_PROGRESS_BAR bare(10, 40, 200, 20, "Files", 100, &only);
  g = bare.geometry();
  EXPECT_EQ(g.bw, 0);
  EXPECT_EQ(g.left, 12);
}

TEST_F(ProgressTest, TextBoxesOnTheBar) {
  WM_STYLE_SET style = bar_style(ssef_pb_position_text_on_bar | ssef_pb_draw_alt_percentage);
  WM_PROGRESS_BAR bar(10, 10, 104, 20, nullptr, 100, &style);
  // Trough (12, 12)-(111, 27), bw 2, ih 15 (odd: the boxes reach one row lower).
  WM_PROGRESS_BAR::GEOMETRY g{12, 12, 111, 27, 99, 15, 2, 60, 0};
  INT_S32 m[4], r[4];
  bar.text_boxes(g, 20, m, r);  // both parts wider than the text
  EXPECT_EQ(std::vector<INT_S32>(m, m + 4), (std::vector<INT_S32>{14, 14, 72, 26}));
  EXPECT_EQ(std::vector<INT_S32>(r, r + 4), (std::vector<INT_S32>{72, 14, 109, 26}));
  g.f = 10;  // filled part not wider than the text: from the inner left edge, tw + 1
  bar.text_boxes(g, 20, m, r);
  EXPECT_EQ(m[2], 14 + 20 + 1);
  g.f = 90;  // remaining part not wider: it ends at the inner right edge
  bar.text_boxes(g, 20, m, r);
  EXPECT_EQ(r[0], 109 - 1 - 20);
  EXPECT_EQ(r[2], 109);

  WM_STYLE_SET vstyle = bar_style(ssef_pb_vertical | ssef_pb_position_text_on_bar);
  WM_PROGRESS_BAR vbar(10, 10, 20, 104, nullptr, 100, &vstyle);
  // Trough (12, 12)-(27, 111), font height 16.
  WM_PROGRESS_BAR::GEOMETRY v{12, 12, 27, 111, 15, 99, 2, 0, 40};
  vbar.text_boxes(v, 20, m, r);
  EXPECT_EQ(std::vector<INT_S32>(m, m + 4), (std::vector<INT_S32>{14, 52, 25, 109}));
  EXPECT_EQ(std::vector<INT_S32>(r, r + 4), (std::vector<INT_S32>{14, 14, 25, 52}));
  v.o = 90;  // filled part no higher than the font
  vbar.text_boxes(v, 20, m, r);
  EXPECT_EQ(m[1], 109 - 1 - 16);
  v.o = 10;
  vbar.text_boxes(v, 20, m, r);
  EXPECT_EQ(r[3], 14 + 16 + 1);
}

TEST_F(ProgressTest, FatalErrorOnePixelBeyondTheScreenNoneAtTheEdge) {
  WM_STYLE_SET style = bar_style();
  // 320 x 240: ending exactly at the edge is accepted.
  WM_PROGRESS_BAR right(220, 0, 100, 20, nullptr, 1, &style);
  WM_PROGRESS_BAR bottom(0, 220, 100, 20, nullptr, 1, &style);
  struct Case {
    INT_S16 x, y, w, h;
  };
  for (const Case& c : {Case{220, 0, 101, 20}, Case{0, 220, 100, 21}, Case{-1, 0, 10, 10},
                        Case{0, -1, 10, 10}}) {
    zt::clear_message_box_calls();
    auto r = zt::run_in_child([&] { WM_PROGRESS_BAR bar(c.x, c.y, c.w, c.h, nullptr, 1, &style); });
    EXPECT_EQ(r.status, 255);
    auto calls = zt::message_box_calls();
    ASSERT_EQ(calls.size(), 1u);
    std::string text;
    for (const auto& a : calls[0]) text += a + "\n";
    EXPECT_NE(text.find("ERROR: 0110:\nInvalid dimensions passed to progress bar constructor"),
              std::string::npos)
        << text;
  }
}

TEST_F(ProgressTest, OverlaysStepWithTheClock) {
  const std::string dir = zt::make_temp_dir("pbskin");
  auto put = [&](const char* name, int w, COLOUR c) {
    ASSERT_TRUE(itu::save_png_to(dir + "/" + name + ".png",
                                 *itu::make_image(w, 4, [c](int, int) { return c; })));
  };
  put("pb_empty", 4, 0xFF101010u);
  put("pb_full", 4, 0xFF00A000u);
  put("pb_full_colay", 8, 0x80FFFFFFu);
  FOLDER folder;
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  WM_STYLE_SET style = bar_style();
  auto bar = std::make_unique<WM_PROGRESS_BAR>(10, 10, 104, 20, nullptr, 100, &style);
  ASSERT_TRUE(bar->load_images(&folder, "pb", nullptr));
  ASSERT_NE(bar->full_frame.colay, nullptr);
  bar->animation_x_rate = 10;  // 10 ms per pixel, steps at least 300 ms apart
  wgt::clock_now() += 300;
  bar->animate();
  EXPECT_EQ(bar->full_frame.overlay_x, 0);  // not past 300 ms yet
  wgt::clock_now() += 1;
  bar->full_frame.recompose = 0;
  bar->animate();
  EXPECT_EQ(bar->full_frame.overlay_x, 6);  // (301 / 10) mod 8
  EXPECT_EQ(bar->full_frame.recompose, 1);
  wgt::clock_now() += 350;
  bar->pump();
  EXPECT_EQ(bar->full_frame.overlay_x, 1);  // 6 + 35 mod 8 = 9, wrapped by 8
  bar->animation_x_rate = -10;
  wgt::clock_now() += 301;
  bar->update(0);
  EXPECT_EQ(bar->full_frame.overlay_x, 3);  // 1 - 6, wrapped
  EXPECT_EQ(bar->full_frame.overlay_y, 0);  // the other axis stands still
  // Without a skin's overlays nothing moves.
  bar->release_images();
  EXPECT_FALSE(bar->has_skin());
  wgt::clock_now() += 1000;
  bar->animate();
  EXPECT_EQ(bar->full_frame.overlay_x, 3);
}

TEST_F(ProgressTest, PumpsRunOnePlatformFramePerWallSecond) {
  WM_STYLE_SET style = bar_style();
  WM_PROGRESS_BAR a(10, 10, 104, 20, nullptr, 100, &style);
  WM_PROGRESS_BAR b(10, 40, 104, 20, nullptr, 100, &style);
  a.pump();
  b.pump();  // the second is shared by all bars
  a.pump();
  EXPECT_EQ(g_platform_frames, 1);
  advance_wall(1);
  a.pump();
  b.pump();
  EXPECT_EQ(g_platform_frames, 2);
  // A repainting title presents the bar and pumps.
  advance_wall(1);
  a.set_title("Copying", 1);
  EXPECT_EQ(g_swaps, 1);
  EXPECT_EQ(g_platform_frames, 3);
  char buffer[PB_TEXT_SIZE];
  EXPECT_STREQ(a.main_text(buffer), "Copying");
  a.set_title(nullptr, 0);
  EXPECT_STREQ(a.main_text(buffer), "0%");
  EXPECT_EQ(g_swaps, 1);
}

TEST_F(ProgressTest, LoadImagesWithoutStyleOrNameKeepsTheAltFrame) {
  const std::string dir = zt::make_temp_dir("pbskin");
  for (const char* name : {"pb_bg", "pb_empty", "pb_full", "pb_alt"})
    ASSERT_TRUE(itu::save_png_to(dir + "/" + name + ".png",
                                 *itu::make_image(4, 4, [](int, int) { return 0xFF102030u; })));
  FOLDER folder;
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  WM_STYLE_SET style = bar_style();
  WM_PROGRESS_BAR bar(10, 10, 104, 20, nullptr, 100, &style);
  EXPECT_TRUE(bar.load_images(&folder, "pb", nullptr));
  EXPECT_FALSE(bar.load_images(&folder, nullptr, nullptr));
  EXPECT_FALSE(bar.background_frame.is_valid());
  EXPECT_FALSE(bar.full_frame.is_valid());
  EXPECT_TRUE(bar.alt_frame.is_valid());
}

TEST_F(ProgressTest, MendedLargeMaximumShowsFiftyPercentOverHalfTheTrough) {
  WM_STYLE_SET style = bar_style(ssef_pb_no_shading);
  WM_PROGRESS_BAR bar(10, 10, 104, 20, nullptr, 100000000, &style);
  bar.value = 50000000;
  char buffer[PB_TEXT_SIZE];
  EXPECT_STREQ(bar.main_text(buffer), "50%");
  bar.remaining_text(buffer);
  EXPECT_STREQ(buffer, "50%");
  EXPECT_EQ(bar.geometry().f, 50);
  bar.set_title("", 0);
  paint(&bar);
  EXPECT_EQ(wgt::pixel(62, 20), kFill);
  EXPECT_EQ(wgt::pixel(63, 20), kBack);
}

TEST_F(ProgressTest, MendedValuesOutsideTheRangeAndBoundedTexts) {
  WM_STYLE_SET style = bar_style(ssef_pb_position_text_on_bar | ssef_pb_draw_alt_percentage);
  WM_PROGRESS_BAR bar(10, 10, 104, 20, nullptr, 1, &style);
  bar.value = INT_MAX;  // drawn as if clamped; the field is left alone
  char buffer[PB_TEXT_SIZE];
  EXPECT_STREQ(bar.main_text(buffer), "100%");
  EXPECT_EQ(bar.geometry().f, 100);
  paint(&bar);
  EXPECT_EQ(bar.value, INT_MAX);
  bar.value = INT_MIN;
  EXPECT_STREQ(bar.main_text(buffer), "0%");
  paint(&bar);
  // The formatter stays within its 16 bytes whatever it is given.
  char guarded[32];
  std::memset(guarded, 'Z', sizeof guarded);
  format_percentage(guarded, INT_MIN);
  EXPECT_STREQ(guarded, "-2147483648%");
  format_percentage(guarded, LLONG_MIN);
  EXPECT_EQ(std::strlen(guarded), PB_TEXT_SIZE - 1u);
  for (size_t i = PB_TEXT_SIZE; i < sizeof guarded; ++i) EXPECT_EQ(guarded[i], 'Z');
  // No range, both texts on the bar: full, "100%" and "0%".
  WM_PROGRESS_BAR empty(10, 40, 104, 20, nullptr, 0, &style);
  empty.value = 5;
  empty.remaining_text(buffer);
  EXPECT_STREQ(buffer, "0%");
  paint(&empty);
  EXPECT_STREQ(empty.main_text(buffer), "100%");
}

TEST_F(ProgressTest, SkinnedPartsFollowTheClampedValue) {
  const std::string dir = zt::make_temp_dir("pbskin");
  const COLOUR kEmpty = 0xFF101010u, kFull = 0xFF00A000u, kAlt = 0xFFA00000u;
  for (const auto& part : {std::make_pair("pb_empty", kEmpty), std::make_pair("pb_full", kFull),
                           std::make_pair("pb_alt", kAlt)}) {
    const COLOUR c = part.second;
    ASSERT_TRUE(itu::save_png_to(dir + "/" + part.first + ".png",
                                 *itu::make_image(4, 4, [c](int, int) { return c; })));
  }
  FOLDER folder;
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  WM_STYLE_SET style = bar_style();
  WM_PROGRESS_BAR bar(10, 10, 104, 20, nullptr, 100, &style);
  ASSERT_TRUE(bar.load_images(&folder, "pb", nullptr));
  bar.set_title("", 0);
  // Trough (12, 12)-(111, 27), no part borders when skinned: f = 50 at 50 %.
  bar.value = 50;
  paint(&bar);
  EXPECT_EQ(wgt::pixel(30, 20), kFull);
  EXPECT_EQ(wgt::pixel(80, 20), kAlt);
  bar.value = -5;  // drawn as 0: no full part, the remaining part from the frame's width on
  paint(&bar);
  EXPECT_EQ(wgt::pixel(13, 20), kEmpty);
  EXPECT_EQ(wgt::pixel(30, 20), kAlt);
  bar.value = 200;  // drawn as 100 %: no remaining part
  paint(&bar);
  EXPECT_EQ(wgt::pixel(100, 20), kFull);
}

namespace {

// Pixels outside (x1, y1)-(x2, y2) that differ from the backdrop.
int painted_outside(INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2) {
  int n = 0;
  for (INT_S16 py = 0; py < wgt::kScreenHeight; ++py)
    for (INT_S16 px = 0; px < wgt::kScreenWidth; ++px)
      if ((px < x1 || px > x2 || py < y1 || py > y2) && wgt::pixel(px, py) != wgt::kBackdrop) ++n;
  return n;
}

}  // namespace

// A bar made with no width or height is a one-pixel bar: whatever its style,
// value or text, nothing lands outside it.
TEST_F(ProgressTest, BarsWithoutSizePaintNothingOutsideThemselves) {
  struct Case {
    INT_S16 w, h;
    INT_U32 ssef;
    INT_S32 value;
  };
  for (const Case& c : std::vector<Case>{{-800, -800, 0, 0},
                                         {-20, 30, 0, 50},
                                         {40, -10, 0, 100},
                                         {0, 0, ssef_pb_vertical, 100},
                                         {0, 20, ssef_pb_position_text_on_bar, 0},
                                         {-5, -5, ssef_pb_only_draw_bar, 100}}) {
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
    screen->clear(&wgt::kBackdrop, 1);
    WM_STYLE_SET style = bar_style(c.ssef);
    WM_PROGRESS_BAR bar(100, 100, c.w, c.h, "label", 100, &style);
    EXPECT_EQ(bar.width, c.w < 1 ? 1 : c.w);
    EXPECT_EQ(bar.height, c.h < 1 ? 1 : c.h);
    bar.value = c.value;
    paint(&bar);
    EXPECT_EQ(painted_outside(100, 100, 100 + bar.width - 1, 100 + bar.height - 1), 0);
  }
}
