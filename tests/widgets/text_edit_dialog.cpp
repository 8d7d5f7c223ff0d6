// The text entry dialog: its size from both forms and on a narrow screen,
// the layout of label, box and buttons, and the answers through the creator's
// callback.
#include "dialog_test_env.h"
#include "input.h"
#include "wm_button.h"
#include "wm_text_edit.h"
#include "wm_text_edit_dialog.h"

using namespace dgt;

namespace {

INT_S32 g_answer_result = 0;

INT_S32 answer(WM_SCREEN_OBJECT* object, INT_WORD arg, INT_WORD value) {
  WM_TEXT_EDIT_DIALOG* d = static_cast<WM_TEXT_EDIT_DIALOG*>(object);
  log().push_back("answer" + std::to_string(word_to_s32(value)) + "/" +
                  std::to_string(word_to_s32(arg)) + "/" + d->edit_box->text.text);
  return g_answer_result;
}

class TextEditDialog : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    wm_dialog_effects = kNoEffects;
  }
  void use_screen(INT_S16 w, INT_S16 h) {
    screen = make_screen(w, h, kBackdrop);
    screen->font = static_cast<INT_S8>(kFont);
    screen->font_width = screen->font_height = kFontSize;
  }
  void click(const WM_SCREEN_OBJECT* o) {
    const INT_S16 px = static_cast<INT_S16>(o->x + o->width / 2);
    const INT_S16 py = static_cast<INT_S16>(o->y + o->height / 2);
    at(px, py, false);
    at(px, py, true);
    at(px, py, false);
  }
};

TEST_F(TextEditDialog, BothFormsAre450By180AndScreenWideOnANarrowScreen) {
  use_screen(640, 480);
  WM_TEXT_EDIT_DIALOG a(-1, -1, -1, -1, &wm_dialog_button_style, 1, nullptr, 0, nullptr, nullptr,
                        nullptr, 20);
  WM_TEXT_EDIT_DIALOG b(-1, -1, 1, nullptr, 0, nullptr, nullptr, nullptr, 20);
  for (WM_TEXT_EDIT_DIALOG* d : {&a, &b}) {
    EXPECT_EQ(d->width, 450);
    EXPECT_EQ(d->height, 180);
    EXPECT_EQ(d->get_x(), (640 - 450) / 2);
    ASSERT_NE(d->get_title(), nullptr);  // a null title gives an empty caption
    EXPECT_STREQ(d->get_title(), "");
    EXPECT_EQ(d->kind & (WM_KIND_TEXT_EDIT_DIALOG | WM_KIND_DIALOG),
              WM_KIND_TEXT_EDIT_DIALOG | WM_KIND_DIALOG);
    EXPECT_STREQ(d->ok_button->text, "OK");
    EXPECT_STREQ(d->cancel_button->text, "Cancel");
    EXPECT_EQ(d->edit_box->max_length, 20);
  }
  // The default form's box: a sunken border in shading type 4.
  EXPECT_EQ(b.edit_box->edit_flags & TEXT_EDIT_INDENT_BORDER, TEXT_EDIT_INDENT_BORDER);
  EXPECT_EQ(b.edit_box->shading_type, 4u);

  use_screen(400, 300);
  WM_TEXT_EDIT_DIALOG c(-1, -1, 1, nullptr, 0, "Yes", "No", "Name", 10);
  EXPECT_EQ(c.width, 400);
  EXPECT_EQ(c.get_x(), 0);
  EXPECT_EQ(c.height, 180);
  EXPECT_STREQ(c.ok_button->text, "Yes");
  EXPECT_STREQ(c.get_title(), "Name");
}

// The default form's 16-bit unsigned limit above what the box can count is
// its largest length, so the box still takes typed characters.
TEST_F(TextEditDialog, DefaultFormClampsTheMaximumLength) {
  use_screen(640, 480);
  KEYBOARD::resize_queue(10);
  const struct {
    INT_U16 asked;
    INT_S16 kept;
  } cases[] = {{32766, 32766}, {32767, 32767}, {32768, 32767}, {40000, 32767}, {65535, 32767}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.asked);
    WM_TEXT_EDIT_DIALOG* d =
        new WM_TEXT_EDIT_DIALOG(-1, -1, 1, nullptr, 0, nullptr, nullptr, nullptr, c.asked);
    open(d);
    EXPECT_EQ(d->edit_box->max_length, c.kept);
    d->edit_box->set_text("ab");
    EXPECT_STREQ(d->edit_box->text.text, "ab");
    d->edit_box->take_focus();
    d->edit_box->clear_selection();
    KEYBOARD::char_event('c');
    frames(1);
    EXPECT_STREQ(d->edit_box->text.text, "abc");
    root()->remove_popup(d, 1, 0);
  }
}

TEST_F(TextEditDialog, LayoutOfLabelBoxAndButtons) {
  use_screen(640, 480);
  WM_TEXT_EDIT_DIALOG d(20, 30, 1, nullptr, 0, nullptr, nullptr, "T", 20);
  const WM_STYLE_SET& f = d.style;
  const INT_S16 cw = static_cast<INT_S16>(450 - f.border_left_gap - f.border_right_gap -
                                          f.cell_left_gap - f.cell_right_gap);
  const INT_S16 ch = static_cast<INT_S16>(180 - d.caption_height() - f.border_bottom_gap -
                                          f.cell_bottom_gap);
  const INT_S16 cx = d.client_area->x, cy = d.client_area->y;
  const INT_S16 m = static_cast<INT_S16>(d.ok_button->height / 2);
  ASSERT_GT(m, 0);
  EXPECT_EQ(d.ok_button->x - cx, cw - d.ok_button->width - m);
  EXPECT_EQ(d.ok_button->y - cy, ch - 2 * m);
  EXPECT_EQ(d.cancel_button->x - cx, cw - 2 * m - d.ok_button->width - d.cancel_button->width);
  EXPECT_EQ(d.cancel_button->y, d.ok_button->y);
  EXPECT_EQ(d.edit_box->width, cw - 2 * m);
  EXPECT_EQ(d.prompt_label->height, kFontSize + 1);
  // Room above the buttons: label and box centred in it.
  const INT_S32 used = d.prompt_label->height + d.edit_box->height + m;
  const INT_S32 avail = ch - 5 * m;
  ASSERT_LT(used, avail);
  const INT_S16 dd = static_cast<INT_S16>((avail - used) / 2);
  EXPECT_EQ(d.prompt_label->x - cx, m);
  EXPECT_EQ(d.prompt_label->y - cy, dd + m);
  EXPECT_EQ(d.edit_box->x - cx, m);
  EXPECT_EQ(d.edit_box->y - cy, dd + 2 * m + d.prompt_label->height);
  EXPECT_EQ(d.prompt_label->text.tag, 8u);
  EXPECT_STREQ(d.prompt_label->text.value.text, "Enter Text");
}

TEST_F(TextEditDialog, TooLowDialogKeepsLabelAtTopAndBoxAboveButtons) {
  use_screen(640, 480);
  WM_TEXT_EDIT_DIALOG d(0, 0, 300, 110, &wm_dialog_button_style, 1, nullptr, 0, nullptr, nullptr,
                        nullptr, 20);
  const INT_S16 cx = d.client_area->x, cy = d.client_area->y;
  const INT_S16 m = static_cast<INT_S16>(d.ok_button->height / 2);
  EXPECT_EQ(d.prompt_label->y - cy, m);
  EXPECT_EQ(d.prompt_label->x - cx, m);
  EXPECT_EQ(d.edit_box->y, d.ok_button->y - m - d.edit_box->height);
}

TEST_F(TextEditDialog, AnswersThroughTheCallback) {
  use_screen(640, 480);
  WM_TEXT_EDIT_DIALOG* d =
      new WM_TEXT_EDIT_DIALOG(-1, -1, 1, answer, 77, nullptr, nullptr, nullptr, 20);
  open(d);
  d->edit_box->set_text("name");
  frames(2);
  g_answer_result = 0;  // stays open
  click(d->ok_button);
  EXPECT_TRUE(is_popup(d));
  click(d->ok_button);
  click(d->cancel_button);
  EXPECT_EQ(joined_log(), "answer1/77/name answer1/77/name answer0/77/name");
  EXPECT_TRUE(is_popup(d));
  g_answer_result = WM_ACTION_DELETE;
  click(d->ok_button);
  EXPECT_FALSE(is_popup(d));
}

TEST_F(TextEditDialog, WithoutCallbackTheAnswerIsOnlyRecorded) {
  use_screen(640, 480);
  WM_TEXT_EDIT_DIALOG* d =
      new WM_TEXT_EDIT_DIALOG(-1, -1, 1, nullptr, 0, nullptr, nullptr, nullptr, 20);
  open(d);
  frames(2);
  click(d->ok_button);
  EXPECT_EQ(d->action_arg2, 1u);
  click(d->cancel_button);
  EXPECT_EQ(d->action_arg2, 0u);
  EXPECT_TRUE(is_popup(d));
  EXPECT_EQ(WM_TEXT_EDIT_DIALOG::on_button(d->ok_button, 3, reinterpret_cast<INT_WORD>(d)), 0);
  EXPECT_EQ(d->action_arg2, 0u);
}

}  // namespace
