// The check box: its geometry, toggling by either button, set_checked and
// what it keeps as written (no resizing, both buttons always hidden).
#include "widget_test_env.h"
#include "wm_button.h"
#include "wm_check_box.h"

using namespace wgt;

namespace {

const COLOUR kBoxColour = 0xFFFFFFFFu, kTextColour = 0xFF000000u;

INT_S32 count_toggle(WM_SCREEN_OBJECT* object, INT_WORD arg1, INT_WORD arg2) {
  log().push_back("toggled" + std::to_string(static_cast<WM_CHECK_BOX*>(object)->checked) + "/" +
                  std::to_string(word_to_s32(arg1)) + "/" + std::to_string(word_to_s32(arg2)));
  return 0;
}

class CheckBox : public WidgetTest {
 protected:
  WM_CHECK_BOX* make(INT_S16 font_size = kFontSize, INT_S16 px = 20, INT_S16 py = 30) {
    return add(new WM_CHECK_BOX(px, py, &kBoxColour, &kTextColour, "Option", kFont, font_size,
                                font_size, count_toggle, 7, 9, 1));
  }
  // A click held over a few frames, pressed at one point and released at
  // another.
  void click(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2) {
    move_to(x1, y1);
    frame(16);
    left_down();
    frames(2);
    move_to(x2, y2);
    frame(16);
    left_up();
    frame(16);
  }
  static INT_S16 mid_x(const WM_SCREEN_OBJECT* o) { return static_cast<INT_S16>(o->x + o->width / 2); }
  static INT_S16 mid_y(const WM_SCREEN_OBJECT* o) { return static_cast<INT_S16>(o->y + o->height / 2); }
};

}  // namespace

// The box is the font height plus both borders (at least 10), the label
// starts half a font width to its right, the check box spans both.
TEST_F(CheckBox, Geometry) {
  const struct {
    INT_S16 font_size, box;
  } cases[] = {{16, 20}, {4, 10}, {6, 10}, {7, 11}};
  for (const auto& c : cases) {
    WM_CHECK_BOX* cb = make(c.font_size);
    ASSERT_NE(cb->box, nullptr);
    ASSERT_NE(cb->label, nullptr);
    EXPECT_EQ(cb->box->x, 20);
    EXPECT_EQ(cb->box->y, 30);
    EXPECT_EQ(cb->box->width, c.box) << c.font_size;
    EXPECT_EQ(cb->box->height, c.box) << c.font_size;
    EXPECT_EQ(cb->label->x, 20 + c.box + c.font_size / 2) << c.font_size;
    EXPECT_EQ(cb->label->y, 30);
    EXPECT_GT(cb->label->width, 0);
    EXPECT_EQ(cb->x, 20);
    EXPECT_EQ(cb->width, cb->label->width + c.box + c.font_size / 2);
    EXPECT_EQ(cb->height, std::max(cb->label->height, cb->box->height));
    EXPECT_EQ(cb->checked, 0);
    EXPECT_EQ(cb->box->border_mask, 0x800F);
    EXPECT_EQ(cb->label->border_mask, 0);
    EXPECT_TRUE(cb->box->focusable);
    EXPECT_FALSE(cb->label->focusable);
    EXPECT_EQ(cb->can_focus(), 1);
    root()->remove_child(cb, 1, 0);
  }
  // Above the screen's top edge the label still sizes itself to its text.
  WM_CHECK_BOX* high = make(16, 20, 30);
  WM_CHECK_BOX* above = make(16, 20, -5);
  EXPECT_EQ(above->label->width, high->label->width);
  EXPECT_EQ(above->label->height, high->label->height);
}

// A click on the label toggles like one on the box; each calls back once
// with the check box's own arguments. set_checked only sets.
TEST_F(CheckBox, ClicksToggleAndCallBackOnce) {
  WM_CHECK_BOX* cb = make();
  click(mid_x(cb->label), mid_y(cb->label), mid_x(cb->label), mid_y(cb->label));
  EXPECT_EQ(cb->checked, 1);
  EXPECT_STREQ(cb->box->text, "X");
  frame(16);
  EXPECT_EQ(cb->box->state, 1);  // the box's look follows in its next pass
  EXPECT_EQ(joined_log(), "toggled1/7/9");
  click(mid_x(cb->box), mid_y(cb->box), mid_x(cb->box), mid_y(cb->box));
  EXPECT_EQ(cb->checked, 0);
  EXPECT_STREQ(cb->box->text, " ");
  EXPECT_EQ(joined_log(), "toggled1/7/9 toggled0/7/9");

  log().clear();
  cb->set_checked(1);
  EXPECT_EQ(cb->checked, 1);
  EXPECT_STREQ(cb->box->text, "X");
  EXPECT_TRUE(log().empty());
  frame(16);
  EXPECT_EQ(cb->box->state, 1);  // the box's look follows on the next pass
  click(mid_x(cb->label), mid_y(cb->label), mid_x(cb->label), mid_y(cb->label));
  EXPECT_EQ(cb->checked, 0);
  EXPECT_STREQ(cb->box->text, " ");
  EXPECT_EQ(joined_log(), "toggled0/7/9");
}

// Each button needs its own press: pressed on the box and released on the
// label (or the other way round) toggles nothing.
TEST_F(CheckBox, PressAndReleaseOnDifferentButtonsToggleNothing) {
  WM_CHECK_BOX* cb = make();
  click(mid_x(cb->box), mid_y(cb->box), mid_x(cb->label), mid_y(cb->label));
  click(mid_x(cb->label), mid_y(cb->label), mid_x(cb->box), mid_y(cb->box));
  EXPECT_EQ(cb->checked, 0);
  EXPECT_TRUE(log().empty());
}

// Resizing does nothing; hiding always hides both buttons. A hidden check
// box stays hidden when its value is set.
TEST_F(CheckBox, KeepsItsSizeHidesBothAndStaysHidden) {
  WM_CHECK_BOX* cb = make();
  const INT_S16 w = cb->width, h = cb->height, bw = cb->box->width;
  cb->set_size(200, 100, 1);
  EXPECT_EQ(cb->width, w);
  EXPECT_EQ(cb->height, h);
  EXPECT_EQ(cb->box->width, bw);
  cb->hide(0, 0);
  EXPECT_EQ(cb->visible, 0);
  EXPECT_EQ(cb->box->visible, 0);
  EXPECT_EQ(cb->label->visible, 0);
  cb->set_checked(1);
  EXPECT_EQ(cb->visible, 0);
  EXPECT_STREQ(cb->box->text, "X");
  // Moving moves both buttons.
  cb->set_position(50, 60);
  EXPECT_EQ(cb->box->x, 50);
  EXPECT_EQ(cb->label->x, 50 + 20 + 8);
}

// The style-set form takes the colours, the font and the skin flag.
TEST_F(CheckBox, StyleSetForm) {
  WM_STYLE_SET style;
  style.bg_colour = 0xFF336699u;
  style.fg_colour = 0xFF112233u;
  style.font_id = kFont;
  style.font_x_sz = style.font_y_sz = 12;
  style.ssf |= ssf_dont_resize_image;
  WM_CHECK_BOX* cb = add(new WM_CHECK_BOX(5, 5, &style, "Styled", count_toggle, 1, 2));
  EXPECT_EQ(cb->box->back_colour, 0xFF336699u);
  EXPECT_EQ(cb->box->text_colour, 0xFF112233u);
  EXPECT_EQ(cb->label->text_colour, 0xFF112233u);
  EXPECT_EQ(cb->box->width, 16);
  EXPECT_TRUE(cb->box->button_flags & BUTTON_DONT_RESIZE_SKIN);
  EXPECT_FALSE(cb->box->has_state_skins());
}
