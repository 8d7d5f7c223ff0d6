// The grid under a real X server: widget_demo's "grid" scene, a grid of
// button cells overflowing its area, scrolled with the wheel, clicked, and
// walked with Tab and Down as a person would; pixels read back.
#include "widget_demo_x.h"

using namespace wdx;

namespace {

const uint32_t kFace = 0xC0C0C0, kGridBack = 0x304060;
// The scene's grid: at (20, 20), 200 x 120, rows of 28 with 2 pixels below.
const int kGridX = 20, kGridY = 20, kPitch = 30, kRowHeight = 28;
const int kWheelStep = kRowHeight / 2;

class XGrid : public DemoTest {};

}  // namespace

TEST_F(XGrid, WheelClickTabAndDown) {
  ASSERT_NO_FATAL_FAILURE(start("grid"));
  Demo& demo = *demo_;
  ASSERT_TRUE(demo.said("grid 20 20 200 120 pitch 30")) << demo.text();
  EXPECT_TRUE(demo.said("focus 0")) << demo.text();  // the first cell, given on show

  // Row 0's face at the top, the spacing below it in the grid's colour.
  EXPECT_TRUE(eventually([&] { return pixel(kGridX + 4, kGridY + 4) == kFace; }))
      << std::hex << pixel(kGridX + 4, kGridY + 4);
  EXPECT_EQ(pixel(kGridX + 4, kGridY + kRowHeight), kGridBack);

  // The pointer rests over the grid for a few frames first: notches that
  // come with the move itself are dropped when the grid takes the wheel.
  ASSERT_TRUE(move(id_, 100, 80));
  usleep(kHold);
  ASSERT_TRUE(zt::xdotool("click 5"));
  EXPECT_TRUE(demo.said("scroll " + std::to_string(kWheelStep))) << demo.text();
  ASSERT_TRUE(zt::xdotool("click 5"));
  EXPECT_TRUE(demo.said("scroll " + std::to_string(2 * kWheelStep))) << demo.text();
  EXPECT_TRUE(demo.said("focus 1")) << demo.text();  // row 0 went partly out of view
  const int pos = 2 * kWheelStep;
  // Row 1 now starts 2 pixels down; above it, row 0's spacing.
  EXPECT_TRUE(eventually([&] {
    return pixel(kGridX + 4, kGridY + kPitch - pos - 1) == kGridBack &&
           pixel(kGridX + 4, kGridY + kPitch - pos + 4) == kFace;
  })) << std::hex << pixel(kGridX + 4, kGridY + kPitch - pos + 4);

  // A click on row 2 prints its command and gives it the focus.
  ASSERT_TRUE(click(id_, 60, kGridY + 2 * kPitch - pos + kRowHeight / 2));
  EXPECT_TRUE(demo.said("command 2")) << demo.text();
  EXPECT_TRUE(demo.said("focus 2")) << demo.text();

  // Tab and Down move the focus on; Down past the view scrolls by a row.
  ASSERT_TRUE(key("Tab"));
  EXPECT_TRUE(demo.said("focus 3")) << demo.text();
  ASSERT_TRUE(key("Down"));
  EXPECT_TRUE(demo.said("focus 4")) << demo.text();
  ASSERT_TRUE(key("Down"));
  EXPECT_TRUE(demo.said("focus 5")) << demo.text();
  EXPECT_TRUE(demo.said("scroll " + std::to_string(pos + kPitch))) << demo.text();
  EXPECT_EQ(demo.text().find("command 3"), std::string::npos);
}
