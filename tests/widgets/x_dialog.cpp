// A dialog under a real X server: widget_demo's "dialog" scene, driven with
// the pointer and the keyboard as a person would, its pixels read back.
#include "widget_demo_x.h"

using namespace wdx;

namespace {

const uint32_t kFrame = 0xC0C0C0, kCaption = 0xFF0000, kBackground = 0x202020;
// The scene's dialog, 240 x 150, centred in the 400 x 300 window.
const int kDialogX = 80, kDialogY = 75;
// Button centres: the three sit at the client area's bottom right.
const int kButtonY = 204, kNextX = 207;

class XDialog : public DemoTest {};

}  // namespace

TEST_F(XDialog, ClickNextThenTabAndReturnQuit) {
  ASSERT_NO_FATAL_FAILURE(start("dialog"));
  Demo& demo = *demo_;

  // Frame, caption and button face, read back from the window.
  EXPECT_TRUE(eventually([&] { return pixel(kDialogX + 4, 185) == kFrame; }))
      << std::hex << pixel(kDialogX + 4, 185);
  EXPECT_EQ(pixel(kDialogX + 10, kDialogY + 3), kCaption);
  EXPECT_EQ(pixel(108, kButtonY), kFrame);  // Back's face, left of its text
  EXPECT_EQ(pixel(kDialogX - 1, 100), kBackground);
  EXPECT_EQ(pixel(40, 40), kBackground);

  ASSERT_TRUE(click(id_, kNextX, kButtonY));
  EXPECT_TRUE(demo.said("command next")) << demo.text();

  // Next holds the focus: Tab moves it to Quit, Return activates it.
  ASSERT_TRUE(move(id_, 5, 5));
  ASSERT_TRUE(key("Tab"));
  ASSERT_TRUE(key("Return"));
  EXPECT_TRUE(demo.said("command quit")) << demo.text();
  EXPECT_EQ(demo.text().find("command back"), std::string::npos);
  EXPECT_EQ(demo.wait_exit(), 0);
}
