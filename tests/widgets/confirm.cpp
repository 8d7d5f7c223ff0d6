// The confirmation box: the button row, the text window's place, the lines
// form's size, and the quit question answered through the page manager.
#include "widget_test_env.h"
#include "wm_button.h"
#include "wm_confirm.h"
#include "wm_script.h"
#include "wm_text_win.h"

using namespace wgt;

namespace {

// The default button style: gaps of 4 all round, the surface's 16 px font.
const INT_S32 kGap = 4;
const INT_S32 kButtonHeight = kGap + kGap + kFontSize;

WM_CONFIRM* answered_box = nullptr;

// Yes ends the program; No closes the box for good.
INT_S32 quit_answer(WM_SCREEN_OBJECT*, INT_WORD, INT_WORD value) {
  log().push_back("answer" + std::to_string(word_to_s32(value)));
  if (word_to_s32(value) == 1) return PAGE_ACTION_END;
  answered_box->close(1);
  return 0;
}

class Confirm : public WidgetTest {
 protected:
  INT_S32 button_width(std::initializer_list<const char*> texts) {
    INT_S32 widest = 0;
    for (const char* t : texts) widest = std::max(widest, text_width(t));
    return kGap + kGap + widest;
  }
  // Client-relative position of a child.
  static INT_S16 rel_x(WM_CONFIRM* box, WM_SCREEN_OBJECT* o) { return o->x - box->client_area->x; }
  static INT_S16 rel_y(WM_CONFIRM* box, WM_SCREEN_OBJECT* o) { return o->y - box->client_area->y; }
  static INT_S32 client_width(WM_CONFIRM* box) { return box->client_area->width; }
  void click_on(WM_SCREEN_OBJECT* o) {
    move_to(static_cast<INT_S16>(o->x + o->width / 2), static_cast<INT_S16>(o->y + o->height / 2));
    frame(16);
    left_down();
    frames(2);
    left_up();
  }
};

}  // namespace

// Two buttons split the row into three equal gaps, up to the truncation:
// the second gap is one wider when the row leaves 2 over a multiple of 3.
// Both are as wide as the widest of "Close", "Yes", "No" plus the gaps.
TEST_F(Confirm, YesNoButtonRow) {
  const INT_S32 bw = button_width({"Close", "Yes", "No"});
  for (INT_S32 rest = 0; rest < 3; ++rest) {
    const INT_S32 cw = 2 * bw + 30 + rest;
    WM_CONFIRM* box = new WM_CONFIRM(static_cast<INT_S16>(cw + 2), 150, "Quit?", 1, nullptr, 0,
                                     10, 10, 0, 20, nullptr);
    ASSERT_EQ(client_width(box), cw);
    ASSERT_NE(box->first_button, nullptr);
    ASSERT_NE(box->second_button, nullptr);
    EXPECT_EQ(box->third_button, nullptr);
    EXPECT_STREQ(box->first_button->text, "Yes");
    EXPECT_STREQ(box->second_button->text, "No");
    const INT_S32 g = (cw - 2 * bw) / 3, G = 2 * (cw - 2 * bw) / 3;
    EXPECT_EQ(G, rest == 2 ? 2 * g + 1 : 2 * g);
    const INT_S32 row = box->height - box->caption_height() - box->style.border_bottom_gap -
                        box->style.cell_bottom_gap - kButtonHeight;
    EXPECT_EQ(rel_x(box, box->first_button), g) << rest;
    EXPECT_EQ(rel_x(box, box->second_button), G + bw) << rest;
    for (WM_BUTTON* b : {box->first_button, box->second_button}) {
      EXPECT_EQ(rel_y(box, b), row);
      EXPECT_EQ(b->width, bw + 1);
      EXPECT_EQ(b->height, kButtonHeight + 1);
      EXPECT_EQ(b->click_events, BUTTON_EVENT_RELEASE);
    }
    // The text window fills the rest with a margin of 10.
    WM_TEXT_WIN* tw = box->text_window;
    ASSERT_NE(tw, nullptr);
    EXPECT_EQ(rel_x(box, tw), 10);
    EXPECT_EQ(rel_y(box, tw), 10);
    EXPECT_EQ(rel_x(box, tw) + tw->width - 1, cw - 10);
    EXPECT_EQ(rel_y(box, tw) + tw->height - 1, row - 10);
    EXPECT_EQ(tw->show_from_top, 1);
    EXPECT_EQ(tw->flags, TW_LEFT_JUSTIFY | TW_TOP_ALIGN);
    EXPECT_TRUE(box->kind & WM_KIND_CONFIRM);
    EXPECT_TRUE(box->kind & WM_KIND_DIALOG);
    delete box;
  }
}

// One button is centred ("Close" for the yes/no form); with three the third
// stands at the left and the other two at the right. Longer texts widen all.
TEST_F(Confirm, OneAndThreeButtons) {
  WM_CONFIRM* single = new WM_CONFIRM(200, 120, nullptr, 1, nullptr, 0, 0, 0, 1, 20, nullptr);
  const INT_S32 bw1 = button_width({"Close"});
  ASSERT_NE(single->first_button, nullptr);
  EXPECT_EQ(single->second_button, nullptr);
  EXPECT_STREQ(single->first_button->text, "Close");
  EXPECT_EQ(rel_x(single, single->first_button), (client_width(single) - bw1) / 2);
  delete single;

  const char* long_text = "Go back to the folder page";
  WM_CONFIRM* three = new WM_CONFIRM(400, 150, "Three", "One", long_text, "Three", 1, nullptr, 0,
                                     0, nullptr, 0, 0, nullptr, 0, 0, 0, 0, 3, 20, nullptr);
  const INT_S32 bw = button_width({"Close", "One", long_text, "Three"});
  const INT_S32 cw = client_width(three);
  EXPECT_EQ(rel_x(three, three->third_button), 10);
  EXPECT_EQ(rel_x(three, three->first_button), cw - 11 - 2 * kGap - 2 * bw);
  EXPECT_EQ(rel_x(three, three->second_button), cw - 11 - bw);
  for (WM_BUTTON* b : {three->first_button, three->second_button, three->third_button})
    EXPECT_EQ(b->width, bw + 1);
  delete three;
}

// The lines form sizes itself: 40 beside the widest line, at least three
// "Close" buttons or 150; the lines centred one font height apart, the
// button row two font heights below the last.
TEST_F(Confirm, LinesFormSizesItself) {
  const INT_S32 three_close = std::max<INT_S32>(150, 3 * (2 * kGap + text_width("Close")));
  WM_CONFIRM* empty = new WM_CONFIRM(5, 5, nullptr, nullptr, 0, 1, nullptr, 0, 1, nullptr);
  EXPECT_EQ(empty->width, three_close);
  EXPECT_EQ(empty->text_window, nullptr);
  EXPECT_EQ(rel_y(empty, empty->first_button), 2 * kFontSize);
  delete empty;
  // A count without lines is no lines.
  empty = new WM_CONFIRM(5, 5, nullptr, nullptr, 3, 1, nullptr, 0, 1, nullptr);
  EXPECT_EQ(empty->width, three_close);
  EXPECT_EQ(rel_y(empty, empty->first_button), 2 * kFontSize);
  delete empty;

  const char* lines[] = {"Short", "A rather longer line of text", nullptr};
  WM_CONFIRM* box = new WM_CONFIRM(-1, 5, "Note", lines, 3, 1, nullptr, 0, 0, nullptr);
  const INT_S32 w = std::max(40 + text_width(lines[1]), three_close);
  EXPECT_EQ(box->width, w);
  EXPECT_EQ(box->get_x(), (kScreenWidth - w) / 2);
  const INT_S32 th = (3 + 2) * kFontSize;
  EXPECT_EQ(box->height, th + box->caption_height() + box->style.border_bottom_gap +
                             box->style.cell_bottom_gap + kButtonHeight);
  EXPECT_EQ(rel_y(box, box->first_button), th);
  EXPECT_STREQ(box->first_button->text, "Yes");
  EXPECT_STREQ(box->second_button->text, "No");
  // The labels: every child of the client area that is no button.
  int n = 0;
  for (INT_S16 i = 0; WM_SCREEN_OBJECT* o = box->client_area->child_at(i); ++i) {
    if (!(o->kind & WM_KIND_SCRIPT)) continue;
    const char* text = lines[n] ? lines[n] : "";
    EXPECT_EQ(rel_x(box, o), (client_width(box) - text_width(text)) / 2) << n;
    EXPECT_EQ(rel_y(box, o), kFontSize * (n + 1)) << n;
    ++n;
  }
  EXPECT_EQ(n, 3);
  delete box;
}

// The quit question on the pop-up list: "Yes" makes the page manager's
// frame return the end code; "No" closes the box, which slides out and
// leaves the pop-up list.
TEST_F(Confirm, QuitBoxThroughThePageManager) {
  for (int answer : {1, 0}) {
    log().clear();
    answered_box = new WM_CONFIRM(200, 150, "Quit?", 1, quit_answer, 0, -1, -1, 0, 100, nullptr);
    root()->add_popup(answered_box, 0);
    frames(40);  // opened and at rest
    WM_BUTTON* b = answer ? answered_box->first_button : answered_box->second_button;
    click_on(b);
    const INT_S32 result = frame(16);
    EXPECT_EQ(joined_log(), "answer" + std::to_string(answer));
    if (answer) {
      EXPECT_EQ(result, PAGE_ACTION_END);
      root()->remove_popup(answered_box, 1, 0);
      continue;
    }
    EXPECT_NE(result, PAGE_ACTION_END);
    EXPECT_TRUE(is_popup(answered_box));
    frames(40);
    EXPECT_EQ(wm_popup_list.head, nullptr);
  }
}

// The ready-made callback closes on the release only.
TEST_F(Confirm, CloseOnClickClosesOnRelease) {
  WM_CONFIRM* box = new WM_CONFIRM(200, 120, nullptr, 1, WM_CONFIRM::close_on_click, 0, 0, 0, 1,
                                   20, nullptr);
  box->first_button->released = 0;
  EXPECT_EQ(WM_CONFIRM::close_on_click(box->first_button, 0, 0), WM_ACTION_NONE);
  box->first_button->released = 1;
  EXPECT_EQ(WM_CONFIRM::close_on_click(box->first_button, 0, 0), WM_ACTION_CLOSE);
  EXPECT_EQ(box->load_text(nullptr, "none.txt"), 0);
  delete box;
}

namespace {
int page_clicks = 0;
INT_S32 count_page_click(WM_SCREEN_OBJECT*, INT_WORD, INT_WORD) {
  ++page_clicks;
  return 0;
}
}  // namespace

// A box whose focused button closes it, answered by Return and by Return
// again while it slides away: it still goes, and the page button under it
// then takes a click.
TEST_F(Confirm, AnsweredTwiceByReturnStillCloses) {
  const INT_S32 kReturn = 36, kTab = 23;
  const COLOUR face = 0xFFC0C0C0u, ink = 0xFF000000u;
  page_clicks = 0;
  add(new WM_BUTTON(120, 100, 199, 129, &face, &ink, "Page", 0, 0, 15, count_page_click, 0, 0, 1,
                    BUTTON_EVENT_RELEASE));
  WM_CONFIRM* box =
      new WM_CONFIRM(200, 120, "Note", 1, WM_CONFIRM::close_on_click, 0, 60, 60, 1, 20, nullptr);
  root()->add_popup(box, 0);
  box->first_button->focusable = 1;
  frames(40);
  press_key(kTab);
  frame(16);
  ASSERT_EQ(wm_focus_object, box->first_button);
  for (int answer = 0; answer < 2; ++answer) {
    key_down(kReturn);
    frames(2);
    key_up(kReturn);
    frames(2);
  }
  for (int n = 0; n < 60 && box->visible; ++n) frame(16);
  EXPECT_EQ(box->visible, 0);
  EXPECT_EQ(box->get_y(), 60);
  click(160, 115);
  EXPECT_EQ(page_clicks, 1);
}
