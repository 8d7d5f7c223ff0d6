// Scrollbar drawing, golden pixels: the flat parts in their colours, hover
// colours while focused, a pressed button's reversed fade and indented
// border; skinned, the frame chosen per state.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../graphics/image_files_test_util.h"
#include "../wm/wm_test_env.h"
#include "folder.h"
#include "wm_scrollbar.h"

namespace {

const COLOUR kBar = 0xFF404040u, kSlider = 0xFF2060C0u, kButton = 0xFF00FF00u,
             kArrow = 0xFFFFFFFFu, kHover = 0xFFC0C000u, kArrowHover = 0xFF0000FFu;
const COLOUR kBlack = 0xFF000000u, kDark = 0xFF808080u, kLight = 0xFFFFFFFFu;

TYPED_VALUE range_0_90() {
  TYPED_VALUE t;
  t.tag = TV_S32;
  t.max.s32 = 90;
  return t;
}

std::unique_ptr<WM_SCROLLBAR> bar(TYPED_VALUE* v, INT_U32 orientation, INT_S16 x1, INT_S16 y1,
                                  INT_S16 x2, INT_S16 y2, INT_U8 flags = 0) {
  return std::make_unique<WM_SCROLLBAR>(x1, y1, x2, y2, 10, 15, v, orientation, flags, &kBar,
                                        &kSlider, &kButton, &kArrow, 1, nullptr, 0, 0);
}

void paint(WM_SCROLLBAR* sb) {
  wm_surface->set_clip(0, 0, 399, 299);
  sb->draw();
}

}  // namespace

TEST(ScrollbarDrawFlat, PartsInTheirColours) {
  wmt::make_screen(400, 300);
  TYPED_VALUE v = range_0_90();
  // (20, 20)-(119, 39); value 0: P = 30, the slider spans 20..29 and is filled 22..30.
  auto sb = bar(&v, SB_HORIZONTAL, 20, 20, 119, 39);
  paint(sb.get());
  EXPECT_EQ(wmt::pixel(20, 30), kDark);    // outer border, indented: left dark
  EXPECT_EQ(wmt::pixel(119, 30), kLight);  // right light
  EXPECT_EQ(wmt::pixel(60, 20), kDark);    // top dark
  EXPECT_EQ(wmt::pixel(60, 21), kBlack);   // outline
  EXPECT_EQ(wmt::pixel(118, 30), kBlack);
  EXPECT_EQ(wmt::pixel(60, 30), kBar);     // track
  EXPECT_EQ(wmt::pixel(21, 30), kBlack);   // slider's left black line (and the outline)
  EXPECT_EQ(wmt::pixel(22, 30), kLight);   // slider border, raised: left light
  EXPECT_EQ(wmt::pixel(25, 30), kSlider);  // slider fill
  EXPECT_EQ(wmt::pixel(25, 22), kLight);   // top light
  EXPECT_EQ(wmt::pixel(29, 30), kDark);    // right dark
  EXPECT_EQ(wmt::pixel(30, 30), kBlack);   // the fill reaches P; its black line
  EXPECT_EQ(wmt::pixel(31, 30), kBar);
  EXPECT_EQ(wmt::pixel(10, 10), 0xFF000000u);  // nothing outside
  EXPECT_EQ(wmt::pixel(120, 30), 0xFF000000u);
}

TEST(ScrollbarDrawFlat, VerticalSliderAtTheTopForTheMaximum) {
  wmt::make_screen(400, 300);
  TYPED_VALUE v = range_0_90();
  v.value.s32 = 90;
  auto sb = bar(&v, SB_VERTICAL, 20, 20, 39, 119);  // P = 20: slider rows 20..29
  paint(sb.get());
  EXPECT_EQ(wmt::pixel(30, 25), kSlider);
  EXPECT_EQ(wmt::pixel(30, 29), kBlack);  // the bottom black line at P + s - 1
  EXPECT_EQ(wmt::pixel(30, 28), kDark);   // the border's bottom
  EXPECT_EQ(wmt::pixel(30, 60), kBar);
}

TEST(ScrollbarDrawFlat, HoverColoursWhileFocused) {
  wmt::make_screen(400, 300);
  TYPED_VALUE v = range_0_90();
  auto sb = bar(&v, SB_HORIZONTAL_BUTTONS, 20, 20, 119, 39);
  sb->hover_colour = kHover;
  sb->arrow_hover_colour = kArrowHover;
  paint(sb.get());
  EXPECT_EQ(wmt::pixel(70, 30), kBar);
  EXPECT_EQ(wmt::pixel(23, 23), kButton);
  EXPECT_EQ(wmt::pixel(29, 30), kArrow);  // the less arrow's tip row
  sb->focusable = 1;
  sb->take_focus();
  paint(sb.get());
  EXPECT_EQ(wmt::pixel(70, 30), kHover);  // track
  EXPECT_EQ(wmt::pixel(23, 23), kHover);  // less button
  EXPECT_EQ(wmt::pixel(29, 30), kArrowHover);
  EXPECT_EQ(wmt::pixel(20, 30), kDark);  // the outer border keeps the bar's colour
  // Without a hover colour a focused bar keeps its own colours.
  sb->hover_colour = COLOUR_INVISIBLE;
  paint(sb.get());
  EXPECT_EQ(wmt::pixel(70, 30), kBar);
}

TEST(ScrollbarDrawFlat, PressedButtonFadeReversedAndBorderIndented) {
  wmt::make_screen(400, 300);
  TYPED_VALUE v = range_0_90();
  // Horizontal fade; the less button is filled (22, 62)-(36, 77), 15 columns.
  auto sb = bar(&v, SB_HORIZONTAL_BUTTONS, 20, 60, 119, 79, SB_FLAG_HFADE);
  paint(sb.get());
  EXPECT_EQ(wmt::pixel(23, 63), 0xFF00ED00u);  // 255 - 255 x 1 / 14
  EXPECT_EQ(wmt::pixel(35, 63), 0xFF001300u);  // 255 - 255 x 13 / 14
  EXPECT_EQ(wmt::pixel(22, 70), kLight);       // raised
  EXPECT_EQ(wmt::pixel(36, 70), kDark);
  EXPECT_EQ(wmt::pixel(37, 70), kBlack);       // separator
  sb->repeat_kind = SB_STEP_LINE_LESS;         // held down
  paint(sb.get());
  EXPECT_EQ(wmt::pixel(23, 63), 0xFF001200u);  // black first: 255 x 1 / 14
  EXPECT_EQ(wmt::pixel(35, 63), 0xFF00EC00u);  // 255 x 13 / 14
  EXPECT_EQ(wmt::pixel(22, 70), kDark);        // indented
  EXPECT_EQ(wmt::pixel(36, 70), kLight);
  // The more button is not pressed and keeps its fade.
  EXPECT_EQ(wmt::pixel(104, 63), 0xFF00DD00u);  // 255 - 255 x 2 / 15
}

TEST(ScrollbarDrawSkinned, FrameChosenPerState) {
  wmt::make_screen(400, 300);
  const std::string dir = zt::make_temp_dir("sbskin");
  struct Part {
    const char* name;
    COLOUR colour;
  };
  const Part parts[] = {{"sb_bar", 0xFF100000u},          {"sb_bar_disabled", 0xFF200000u},
                        {"sb_bar_over", 0xFF300000u},     {"sb_slider_up", 0xFF000010u},
                        {"sb_slider_down", 0xFF000020u},  {"sb_slider_disabled", 0xFF000030u},
                        {"sb_slider_over", 0xFF000040u}};
  for (const Part& p : parts) {
    const COLOUR c = p.colour;
    ASSERT_TRUE(itu::save_png_to(dir + "/" + p.name + ".png",
                                 *itu::make_image(4, 4, [c](int, int) { return c; })));
  }
  FOLDER folder;
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  TYPED_VALUE v = range_0_90();
  auto sb = bar(&v, SB_HORIZONTAL, 20, 20, 119, 39);
  ASSERT_TRUE(sb->load_bar_images(&folder, "sb", nullptr));
  EXPECT_FALSE(sb->frames[SB_FRAME_LESS_UP].is_valid());
  // Value 0: the slider covers 20..29.
  auto expect = [](COLOUR track, COLOUR slider) {
    EXPECT_EQ(wmt::pixel(60, 30), track);
    EXPECT_EQ(wmt::pixel(25, 30), slider);
    EXPECT_EQ(wmt::pixel(20, 20), slider);
    EXPECT_EQ(wmt::pixel(30, 30), track);
  };
  paint(sb.get());
  expect(0xFF100000u, 0xFF000010u);
  sb->slider_hover = 1;
  paint(sb.get());
  expect(0xFF100000u, 0xFF000040u);
  sb->slider_hover = 0;
  sb->focusable = 1;
  sb->take_focus();
  paint(sb.get());
  expect(0xFF300000u, 0xFF000040u);
  sb->dragging = 1;  // active wins over hover
  paint(sb.get());
  expect(0xFF300000u, 0xFF000020u);
  sb->enabled = 0;  // disabled wins over all
  paint(sb.get());
  expect(0xFF200000u, 0xFF000030u);
  // Without disabled images a disabled bar draws its normal ones.
  sb->frames[SB_FRAME_BAR_DISABLED].release();
  sb->frames[SB_FRAME_SLIDER_DISABLED].release();
  sb->dragging = 0;
  wm_focus_object = nullptr;
  paint(sb.get());
  expect(0xFF100000u, 0xFF000010u);
}

namespace {

// Pixels outside (x1, y1)-(x2, y2) that differ from the cleared screen.
int painted_outside(INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2) {
  int n = 0;
  for (INT_S16 py = 0; py < 300; ++py)
    for (INT_S16 px = 0; px < 400; ++px)
      if ((px < x1 || px > x2 || py < y1 || py > y2) && wmt::pixel(px, py) != 0xFF000000u) ++n;
  return n;
}

}  // namespace

// Resized below its slider, a bar has no travel and paints only inside
// itself; at no size it paints nothing.
TEST(ScrollbarDrawFlat, ResizedBelowItsSliderPaintsOnlyInsideItself) {
  struct Case {
    INT_U32 orientation;
    INT_S16 w, h;
    INT_S32 value;
  };
  for (const Case& c : {Case{SB_HORIZONTAL, 0, 0, 0}, Case{SB_HORIZONTAL, 0, 0, 90},
                        Case{SB_HORIZONTAL, 5, 5, 45}, Case{SB_HORIZONTAL, 6, 20, 90},
                        Case{SB_VERTICAL, 0, 0, 0}, Case{SB_VERTICAL, 20, 4, 90}}) {
    SCOPED_TRACE(std::to_string(c.orientation) + ": " + std::to_string(c.w) + " x " +
                 std::to_string(c.h) + " at " + std::to_string(c.value));
    wmt::make_screen(400, 300);
    TYPED_VALUE v = range_0_90();
    v.value.s32 = c.value;
    auto sb = bar(&v, c.orientation, 100, 100, 199, 119);
    sb->shown_value = c.value;
    sb->set_size(c.w, c.h, 0);
    EXPECT_EQ(sb->track_length, 0);
    paint(sb.get());
    EXPECT_EQ(painted_outside(100, 100, 100 + c.w - 1, 100 + c.h - 1), 0);
    // The slider stands at the start of its empty travel.
    EXPECT_EQ(sb->slider_position(c.value), sb->track_start);
  }
}
