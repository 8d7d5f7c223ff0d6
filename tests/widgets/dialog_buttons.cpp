// A dialog with a caption, a label and buttons: rendered to a PNG and read
// back, closed through the page manager by a button's answer, and deleted
// in the middle of things.
#include "dialog_test_env.h"
// After gtest: the helpers use its macros.
#include "../graphics/image_files_test_util.h"
#include "wm_button.h"

using namespace dgt;

namespace {

INT_S32 answer(WM_SCREEN_OBJECT*, INT_WORD code, INT_WORD) {
  log().push_back("clicked");
  return word_to_s32(code);
}

// The demo's dialog: "Setup", a label and Back, Next and Quit along the
// bottom of the client area. Returns the Quit button.
WM_BUTTON* build_setup_dialog(WM_DIALOG* d, INT_S32 quit_answer) {
  const COLOUR black = 0xFF000000u;
  const INT_S16 cw = d->client_area->width, ch = d->client_area->height;
  d->add_child(new WM_SCRIPT(8, 8, static_cast<INT_S16>(cw - 8), 40, "Ready to install.", 255,
                             -1, -1, &black, nullptr, 0, 0, -1, -1, -1, -1, -1, -1),
               1);
  const char* labels[] = {"Back", "Next", "Quit"};
  WM_BUTTON* b = nullptr;
  for (int i = 0; i < 3; ++i) {
    const INT_S16 x1 = static_cast<INT_S16>(cw - (3 - i) * 72), y1 = static_cast<INT_S16>(ch - 32);
    b = new WM_BUTTON(x1, y1, static_cast<INT_S16>(x1 + 63), static_cast<INT_S16>(y1 + 23),
                      &d->button_style, labels[i], nullptr, answer,
                      word_from_s32(i == 2 ? quit_answer : WM_ACTION_HANDLED), 0,
                      BUTTON_EVENT_RELEASE);
    d->add_child(b, 1);
  }
  return b;
}

}  // namespace

TEST_F(DialogTest, SetupDialogToPngWithProbes) {
  WM_DIALOG* d = open(make(40, 45, 240, 150, "Setup"));
  WM_BUTTON* quit = build_setup_dialog(d, PAGE_ACTION_END);
  frame();
  redraw_all();
  const std::string path = itu::temp_file("dialog.png");
  ASSERT_TRUE(itu::save_png_to(path, *screen));
  IMAGE back;
  ASSERT_TRUE(itu::load_png_from(path, back));
  ASSERT_EQ(back.width, kScreenWidth);
  auto at = [&](int px, int py) { return *back.pixel_at(px, py); };
  EXPECT_EQ(at(44, 120), kFrame);              // frame, left of the content
  EXPECT_EQ(at(50, 47), kCaption);             // caption, left of its text
  EXPECT_EQ(at(quit->x + 5, quit->y + 12), kFrame);  // button face, left of its text
  EXPECT_EQ(at(39, 100), kBackdrop);
  EXPECT_EQ(at(280, 100), kBackdrop);
  // Some text was drawn on the caption and on the button.
  int dark_caption = 0, dark_button = 0;
  for (int px = 41; px < 279; ++px)
    if (at(px, 47 + d->caption->height / 2) != kCaption) ++dark_caption;
  for (int px = quit->x; px < quit->x + quit->width; ++px)
    if (at(px, quit->y + 12) != kFrame) ++dark_button;
  EXPECT_GT(dark_caption, 5);
  EXPECT_GT(dark_button, 5);
}

// Page action 3 from a button: every dialog closes, slides out and is
// deleted when its slide has ended.
TEST_F(DialogTest, ButtonAnswerThreeClosesEveryDialog) {
  WM_DIALOG* below = open(make(10, 10, 120, 90, "Below", nullptr));
  below->add_child(new PROBE("below-content", 5, 5, 10, 10), 1);
  WM_DIALOG* top = open(make(60, 40, 240, 150, "Setup", nullptr));
  WM_BUTTON* quit = build_setup_dialog(top, PAGE_ACTION_CLOSE_DIALOGS);
  frames(40);  // both slid in
  ASSERT_EQ(top->y, 40);
  ASSERT_EQ(below->y, 10);
  const INT_S16 cx = static_cast<INT_S16>(quit->x + quit->width / 2),
                cy = static_cast<INT_S16>(quit->y + quit->height / 2);
  at(cx, cy, true);
  at(cx, cy, true);
  INT_S32 r = at(cx, cy, false);
  if (r != PAGE_ACTION_CLOSE_DIALOGS) r = at(cx, cy, false);
  EXPECT_EQ(r, PAGE_ACTION_CLOSE_DIALOGS);
  EXPECT_EQ(joined_log(), "clicked");
  EXPECT_EQ(top->delete_when_closed, 1);
  EXPECT_EQ(below->delete_when_closed, 1);
  EXPECT_TRUE(is_popup(top));
  EXPECT_TRUE(is_popup(below));
  // Both slide out, seen in mid-way positions, before they go.
  bool top_seen_sliding = false, below_seen_sliding = false;
  for (int i = 0; i < 60 && wm_popup_list.count; ++i) {
    if (is_popup(top) && top->visible && top->y < 40 && top->y > -150) top_seen_sliding = true;
    if (is_popup(below) && below->visible && below->y < 10 && below->y > -90)
      below_seen_sliding = true;
    frame(16);
  }
  EXPECT_TRUE(top_seen_sliding);
  EXPECT_TRUE(below_seen_sliding);
  EXPECT_EQ(wm_popup_list.count, 0);
  EXPECT_EQ(joined_log(), "clicked ~below-content");
}

// Deleting a dialog that is being dragged, in mid-slide or with pressed
// content leaves nothing pointing at it.
TEST_F(DialogTest, DeletedMidDragAndMidSlide) {
  WM_DIALOG* dragged = open(make(20, 20, 120, 90));
  frame();
  at(60, 25, true);
  ASSERT_EQ(dragged->dragging, 1);
  delete dragged;
  EXPECT_EQ(wm_popup_list.count, 0);
  at(80, 45, true);
  at(80, 45, false);

  WM_DIALOG* sliding = open(make(20, 20, 240, 150, "T", nullptr));
  WM_BUTTON* quit = build_setup_dialog(sliding, WM_ACTION_HANDLED);
  frames(40);
  at(static_cast<INT_S16>(quit->x + 5), static_cast<INT_S16>(quit->y + 5), true);
  at(static_cast<INT_S16>(quit->x + 5), static_cast<INT_S16>(quit->y + 5), true);
  sliding->close(1);
  step_frame(0);
  step_frame(100);
  ASSERT_NE(sliding->y, 20);
  delete sliding;
  EXPECT_EQ(wm_pressed_object, nullptr);
  EXPECT_EQ(wm_popup_list.count, 0);
  frames(3);
  at(60, 60, false);
  frames(3);
}
