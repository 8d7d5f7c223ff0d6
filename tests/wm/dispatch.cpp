// Pop-up list, focus, tick and input dispatch, click modes, flash phase.
#include "wm_test_env.h"

using namespace wmt;

namespace {

class Dispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    make_screen(200, 100);
    pointer(-1, -1, 0);
  }
};

INT_S32 click_logger(WM_SCREEN_OBJECT* o, INT_WORD a1, INT_WORD) {
  log().push_back(static_cast<PROBE*>(o)->name + ".click" + std::to_string(word_to_s32(a1)));
  return word_to_s32(a1);
}

void focus_logger(WM_SCREEN_OBJECT* o, INT_WORD arg) {
  log().push_back(std::to_string(word_to_s32(arg)) + (wm_focus_object == o ? "+" : "-"));
}

const INT_U32 kRight = 2;  // library button 2

}  // namespace

TEST_F(Dispatch, FlashPhase) {
  struct Case {
    INT_U32 ms;
    INT_U8 phase;
  } cases[] = {{1234567, 0x29}, {0, 0}, {50, 0x01}, {125, 0x02}, {8000, 0x80}, {16000, 0x00}};
  for (const Case& k : cases) {
    clock_now() = k.ms;
    WM_SCREEN_OBJECT o(1, nullptr, 0, 0);
    o.update(0);
    EXPECT_EQ(wm_frame_ms, k.ms);
    EXPECT_EQ(wm_flash_phase, k.phase) << k.ms;
    EXPECT_EQ(wm_tick_armed, 1);
  }
}

TEST_F(Dispatch, NestedTicksShareOneClockReading) {
  struct CLOCK_READER : PROBE {
    CLOCK_READER() : PROBE("r", 0, 0, 1, 1) {}
    INT_S32 update(INT_U8) override {
      clock_now() += 1000;  // time passes inside the pass
      seen.push_back(wm_frame_ms);
      return 0;
    }
    std::vector<INT_U32> seen;
  };
  WM_SCREEN_OBJECT root(1, nullptr, 0, 0);
  CLOCK_READER* a = new CLOCK_READER;
  CLOCK_READER* b = new CLOCK_READER;
  root.add_child(a, 0);
  root.add_child(b, 0);
  clock_now() = 5000;
  root.update(0);
  EXPECT_EQ(a->seen[0], 5000u);
  EXPECT_EQ(b->seen[0], 5000u);
}

TEST_F(Dispatch, PopupTickDeletesOnFourAndGoesOn) {
  WM_MANAGER root;
  PROBE* a = new PROBE("a", 0, 0, 5, 5);
  PROBE* b = new PROBE("b", 0, 0, 5, 5);
  PROBE* c = new PROBE("c", 0, 0, 5, 5);
  root.add_popup(a, 0);
  root.add_popup(b, 0);
  root.add_popup(c, 0);
  a->tick_result = WM_ACTION_DELETE;
  EXPECT_EQ(root.update(1), 0);
  EXPECT_EQ(b->ticks, 1);
  EXPECT_EQ(c->ticks, 1);
  EXPECT_FALSE(is_popup(a));
  b->tick_result = 17;
  EXPECT_EQ(root.update(1), 17);
  EXPECT_EQ(c->ticks, 1);  // the walk stopped at b
  c->not_owned = 1;
  c->tick_result = WM_ACTION_DELETE;
  EXPECT_EQ(root.update(1), 0);
  EXPECT_FALSE(is_popup(c));  // only taken out of the list
  EXPECT_EQ(c->visible, 1);
  delete c;
  root.release_children(1, 0, 0);
}

// A dialog deleted by its tick takes the hint of its button with it; the hint
// sat just above it in the pop-up list. The walk must not follow it.
TEST_F(Dispatch, DeletedNextPopupIsSkipped) {
  struct BUTTON_WITH_HINT : PROBE {
    explicit BUTTON_WITH_HINT(WM_SCREEN_OBJECT* owner) : PROBE("button", 0, 0, 5, 5) {
      hint = new PROBE("hint", 0, 0, 5, 5);
      owner->add_popup(hint, 0);
    }
    ~BUTTON_WITH_HINT() override { delete hint; }
    PROBE* hint;
  };
  WM_MANAGER root;
  PROBE* dialog = new PROBE("dialog", 0, 0, 50, 50);
  root.add_popup(dialog, 0);
  dialog->add_child(new BUTTON_WITH_HINT(&root), 0);
  PROBE* top = new PROBE("top", 0, 0, 5, 5);
  root.add_popup(top, 0);
  dialog->tick_result = WM_ACTION_DELETE;
  log().clear();
  EXPECT_EQ(root.update(1), 0);
  EXPECT_EQ(joined_log(), "~dialog ~hint ~button");
  EXPECT_EQ(top->ticks, 1);
  EXPECT_EQ(wm_popup_list.count, 1);
  root.release_children(1, 0, 0);
}

// A pop-up that is also someone's child asks to be deleted: its parent owns
// it, so it only leaves the pop-up list; the parent deletes it once later.
TEST_F(Dispatch, ChildPopupAskingForDeletionIsOnlyUnlisted) {
  for (bool by_input : {false, true}) {
    log().clear();
    WM_MANAGER* root = new WM_MANAGER;
    PROBE* both = new PROBE("both", 0, 0, 5, 5);
    root->add_child(both, 0);
    root->add_popup(both, 0);
    if (by_input) {
      both->input_result = WM_ACTION_DELETE;
      EXPECT_EQ(root->handle_input(), 0);
    } else {
      both->tick_result = WM_ACTION_DELETE;
      EXPECT_EQ(root->update(1), 0);
    }
    EXPECT_FALSE(is_popup(both));
    EXPECT_EQ(joined_log(), "");
    delete root;
    EXPECT_EQ(joined_log(), "~both");
  }
}

TEST_F(Dispatch, TopmostVisiblePopupTakesAllInput) {
  WM_MANAGER root;
  PROBE* page_button = new PROBE("page", 0, 0, 50, 50);
  page_button->click_callback = click_logger;
  page_button->click_arg1 = word_from_s32(1);
  root.add_child(page_button, 0);
  PROBE* dialog = new PROBE("dialog", 100, 0, 50, 50);
  PROBE* hidden = new PROBE("hidden", 0, 0, 200, 100, 0xFFFFFFFFu, 0);
  root.add_popup(dialog, 0);
  root.add_popup(hidden, 0);
  pointer(10, 10, kRight);
  log().clear();
  EXPECT_EQ(root.handle_input(), 0);
  EXPECT_EQ(dialog->inputs, 1);
  EXPECT_EQ(hidden->inputs, 0);
  EXPECT_EQ(page_button->inputs, 0);
  EXPECT_EQ(joined_log(), "");
  EXPECT_EQ(dialog->layer, -1);  // root has no layer
  dialog->hide(0, 0);
  EXPECT_EQ(root.handle_input(), 1);
  EXPECT_EQ(joined_log(), "page.click1");
}

TEST_F(Dispatch, ClickModes) {
  // (mode, press inside?, release inside?) -> clicks logged
  struct Case {
    INT_U32 mode;
    bool press_in, release_in;
    const char* expect;
  } cases[] = {
      {CLICK_ON_PRESS, true, true, "b.click5"},   {CLICK_ON_PRESS, true, false, "b.click5"},
      {CLICK_ON_RELEASE, true, true, "b.click5"}, {CLICK_ON_RELEASE, true, false, ""},
      {CLICK_ON_BOTH, true, true, "b.click5 b.click5"}, {CLICK_ON_BOTH, true, false, "b.click5"},
      {CLICK_ON_BOTH, false, true, ""},
  };
  for (const Case& k : cases) {
    log().clear();
    WM_MANAGER root;
    PROBE* b = new PROBE("b", 10, 10, 20, 20);
    b->click_callback = click_logger;
    b->click_mode = k.mode;
    b->click_arg1 = word_from_s32(5);
    root.add_child(b, 0);
    pointer(k.press_in ? 15 : 100, 15, kRight);
    root.handle_input();
    pointer(k.release_in ? 15 : 100, 15, 0);
    root.handle_input();
    EXPECT_EQ(joined_log(), k.expect) << k.mode << k.press_in << k.release_in;
    EXPECT_EQ(wm_pressed_object, nullptr);
  }
}

TEST_F(Dispatch, LeftButtonDoesNotDriveTheBaseClick) {
  WM_MANAGER root;
  PROBE* b = new PROBE("b", 10, 10, 20, 20);
  b->click_callback = click_logger;
  root.add_child(b, 0);
  pointer(15, 15, 1);
  log().clear();
  root.handle_input();
  EXPECT_EQ(joined_log(), "");
}

TEST_F(Dispatch, SecondObjectGetsNoPressWhileTheFirstIsPressed) {
  WM_MANAGER root;
  PROBE* a = new PROBE("a", 10, 10, 20, 20);
  PROBE* b = new PROBE("b", 10, 10, 20, 20);
  for (PROBE* p : {a, b}) {
    p->click_callback = click_logger;
    p->click_mode = CLICK_ON_PRESS;
    root.add_child(p, 0);
  }
  pointer(15, 15, kRight);
  log().clear();
  root.handle_input();
  root.handle_input();
  EXPECT_EQ(joined_log(), "a.click0");
  EXPECT_EQ(wm_pressed_object, a);
}

TEST_F(Dispatch, ActivateKeyNeedsControl) {
  WM_MANAGER root;
  PROBE* b = new PROBE("b", 10, 10, 20, 20);
  b->click_callback = click_logger;
  b->focusable = 1;
  root.add_child(b, 0);
  b->take_focus();
  log().clear();
  keys_down() = {36};
  root.handle_input();
  keys_down() = {};
  root.handle_input();
  EXPECT_EQ(joined_log(), "");
  keys_down() = {36, 109};
  root.handle_input();  // pressed at the centre, pointer far away
  EXPECT_EQ(wm_pressed_object, b);
  keys_down() = {109};
  root.handle_input();  // released there
  EXPECT_EQ(joined_log(), "b.click0 b.click0");
  EXPECT_EQ(wm_pressed_object, nullptr);
}

TEST_F(Dispatch, FocusMovesWithCallbacksInOrder) {
  PROBE a("a", 0, 0, 5, 5), b("b", 0, 0, 5, 5), hid("h", 0, 0, 5, 5, 0xFFFFFFFFu, 0),
      no("n", 0, 0, 5, 5);
  for (PROBE* p : {&a, &b, &hid}) {
    p->focusable = 1;
    p->focus_callback = focus_logger;
  }
  a.focus_arg = word_from_s32(1);
  b.focus_arg = word_from_s32(2);
  a.take_focus();
  log().clear();
  wm_focus_changed = 0;
  hid.take_focus();
  no.take_focus();
  a.take_focus();
  EXPECT_EQ(joined_log(), "");
  EXPECT_EQ(wm_focus_changed, 0);
  wm_dirty_rect_count = 0;
  b.take_focus();
  EXPECT_EQ(joined_log(), "1- 2+");
  EXPECT_EQ(wm_focus_changed, 1);
  EXPECT_EQ(wm_focus_object, &b);
  EXPECT_GE(wm_dirty_rect_count, 1);
  wm_focus_object = nullptr;
}

// An object lets go of the focus and of a press on it: its callback is told
// of the loss once, with no object holding the focus; others are untouched.
TEST_F(Dispatch, ReleaseFocusTellsTheCallbackOfTheLoss) {
  PROBE a("a", 0, 0, 5, 5), b("b", 0, 0, 5, 5);
  for (PROBE* p : {&a, &b}) {
    p->focusable = 1;
    p->focus_callback = focus_logger;
  }
  a.focus_arg = word_from_s32(1);
  b.focus_arg = word_from_s32(2);
  a.take_focus();
  wm_pressed_object = &a;
  log().clear();
  b.release_focus();
  EXPECT_EQ(joined_log(), "");
  EXPECT_EQ(wm_focus_object, &a);
  EXPECT_EQ(wm_pressed_object, &a);
  a.release_focus();
  EXPECT_EQ(joined_log(), "1-");
  EXPECT_EQ(wm_focus_object, nullptr);
  EXPECT_EQ(wm_pressed_object, nullptr);
  a.release_focus();
  EXPECT_EQ(joined_log(), "1-");
}

TEST_F(Dispatch, PopupQueriesAndLayers) {
  WM_SCREEN_OBJECT area2(1, nullptr, 0, 0);
  area2.layer = 2;
  STANDIN_DIALOG d("d", 0, 0, 5, 5);
  PROBE plain("p", 0, 0, 5, 5), hidden("h", 0, 0, 5, 5, 0xFFFFFFFFu, 0);
  area2.add_popup(&d, 0);
  EXPECT_EQ(d.layer, -4);
  d.add_popup(&plain, 0);
  EXPECT_EQ(plain.layer, -4);
  d.add_popup(&hidden, 0);
  EXPECT_EQ(find_popup(0), &plain);
  EXPECT_EQ(find_popup(WM_KIND_DIALOG), &d);
  EXPECT_EQ(find_popup(WM_KIND_DIALOG | WM_KIND_GRID), nullptr);
  EXPECT_EQ(count_visible_popups(), 2);
  EXPECT_EQ(get_top_popup_layer(), -4);
  d.hide(0, 0);
  plain.hide(0, 0);
  EXPECT_EQ(get_top_popup_layer(), -1);
  EXPECT_EQ(count_visible_popups(), 0);
  wm_dirty_rect_count = 0;
  area2.remove_popup(&plain, 0, 0);
  EXPECT_FALSE(is_popup(&plain));
  EXPECT_EQ(plain.layer, 0);
  area2.remove_popup(&d, 0, 0);
  area2.remove_popup(&hidden, 0, 0);
  area2.remove_popup(&hidden, 1, 0);  // not listed: nothing, certainly no delete
}
