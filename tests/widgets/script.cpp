// Script label: size, text, flashing, drawing, input hand-over.
#include "style_set.h"
#include "widget_test_env.h"
#include "wm_script.h"

using namespace wgt;

namespace {

class Script : public WidgetTest {};

}  // namespace

TEST_F(Script, SizesItselfFromItsTextAndKeepsThatSize) {
  const COLOUR ink = 0xFF000000u, back = 0xFFFFFFFFu;
  WM_SCRIPT label(0, 0, -1, -1, "Hello", 255, -1, -1, &ink, &back, 0, 1, 3, 4, 5, 6, -1, -1);
  EXPECT_EQ(label.width, text_width("Hello") + 3 + 4);
  EXPECT_EQ(label.height, kFontSize + 5 + 6);
  EXPECT_EQ(label.font, kFont);
  EXPECT_EQ(label.x_spacing, 3);
  EXPECT_EQ(label.y_spacing, 5);
  EXPECT_EQ(label.kind & WM_KIND_SCRIPT, WM_KIND_SCRIPT);
  label.set_text_value("A much longer text than before", 0);
  EXPECT_EQ(label.width, text_width("Hello") + 3 + 4);
  EXPECT_STREQ(label.text.value.text, "A much longer text than before");
}

TEST_F(Script, FramesDrawTheLabel) {
  const COLOUR ink = 0xFF000000u, back = 0xFF00FF00u;
  add(new WM_SCRIPT(10, 10, 59, 29, "", 255, -1, -1, &ink, &back, 0, 1, -1, -1, -1, -1, -1, -1));
  frame(16);
  EXPECT_EQ(pixel(10, 10), back);
  EXPECT_EQ(pixel(59, 29), back);
  EXPECT_EQ(pixel(60, 30), kBackdrop);
}
