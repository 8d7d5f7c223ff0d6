// Button features: the hint label, drag and drop, the idle click, and a
// button deleted while each of them runs.
#include <set>
#include <string>
#include <vector>

#include "random.h"
#include "widget_test_env.h"
#include "wm_button.h"
#include "wm_script.h"

using namespace wgt;

namespace {

const COLOUR kFace = 0xFFC0C0C0u, kInk = 0xFF000000u, kGreen = 0xFF00FF00u;

std::vector<std::string>& calls() {
  static std::vector<std::string> v;
  return v;
}
std::string joined() {
  std::string s;
  for (const std::string& c : calls()) s += (s.empty() ? "" : " ") + c;
  return s;
}

INT_S32 clicked(WM_SCREEN_OBJECT*, INT_WORD arg1, INT_WORD) {
  calls().push_back("click" + std::to_string(word_to_s32(arg1)));
  return 0;
}

std::string name_of(WM_SCREEN_OBJECT* o, WM_BUTTON* source) {
  if (!o) return "none";
  if (o->kind & WM_KIND_MANAGER) return "root";
  if (o == source) return "self";
  if (PROBE* p = dynamic_cast<PROBE*>(o)) return p->name;
  return "other";
}

INT_S32 dragged(WM_BUTTON* source, WM_SCREEN_OBJECT* target, INT_S32 x, INT_S32 y, INT_S32 event,
                INT_WORD, INT_WORD) {
  const char* names[] = {"", "START", "CANCEL", "", "DROP", "", "", "", "DROP_SELF"};
  calls().push_back(std::string(names[event]) + "(" + name_of(target, source) + "@" +
                    std::to_string(x) + "," + std::to_string(y) + ")");
  return 0;
}

class ButtonFeatures : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    calls().clear();
  }
  // An 80 x 30 button at (x, 40).
  WM_BUTTON* make(INT_S16 bx = 40, INT_WORD arg = 1, INT_U8 events = BUTTON_EVENT_RELEASE) {
    return add(new WM_BUTTON(bx, 40, static_cast<INT_S16>(bx + 79), 69, &kFace, &kInk, "OK", 0, 0,
                             15, clicked, arg, 0, 1, events));
  }
  INT_S32 at(INT_S16 px, INT_S16 py, bool left = false) {
    move_to(px, py);
    if (left)
      left_down();
    else
      left_up();
    return frame();
  }
};

}  // namespace

// ---- hints ------------------------------------------------------------------

TEST_F(ButtonFeatures, HintOpensAfterTwoWallSecondsAtThePointer) {
  WM_BUTTON* b = make();
  b->set_hint("Goes on");
  ASSERT_NE(b->hint, nullptr);
  WM_SCRIPT* h = b->hint;
  at(60, 50);
  EXPECT_EQ(b->hint_time, static_cast<INT_U32>(kWallStart));
  frames(5);
  EXPECT_FALSE(is_popup(h));
  advance_wall(1);
  frame();
  EXPECT_FALSE(is_popup(h));  // one second: not yet
  advance_wall(1);
  frame();
  ASSERT_TRUE(is_popup(h));
  EXPECT_EQ(h->visible, 1);
  EXPECT_EQ(h->x, 60);
  EXPECT_EQ(h->y + h->height, 50);  // the bottom-left corner at the pointer
  // Drawn in the built-in look: outlined in the text colour, a gradient
  // from yellow to red.
  frame();
  EXPECT_EQ(pixel(h->x, static_cast<INT_S16>(h->y + 5)), 0xFF000000u);
  const COLOUR left_end = pixel(static_cast<INT_S16>(h->x + 1), static_cast<INT_S16>(h->y + 1));
  EXPECT_EQ(left_end & 0xFFFF00FFu, 0xFFFF0000u);
  EXPECT_GE(left_end >> 8 & 0xFF, 0xC8u);  // 0xD0 at x, a step less one pixel in
  const COLOUR right_end =
      pixel(static_cast<INT_S16>(h->x + h->width - 2), static_cast<INT_S16>(h->y + 1));
  EXPECT_EQ(right_end & 0xFFFF0000u, 0xFFFF0000u);
  EXPECT_LT(right_end >> 8 & 0xFF, 0x10u);
  // Moving inside the button drags the open hint along.
  at(70, 52);
  EXPECT_EQ(h->x, 70);
  EXPECT_EQ(h->y + h->height, 52);
}

TEST_F(ButtonFeatures, HintStaysOnTheScreen) {
  WM_BUTTON* b = add(new WM_BUTTON(250, 0, 319, 29, &kFace, &kInk, "R", 0, 0, 15, nullptr, 0, 0,
                                   1, BUTTON_EVENT_RELEASE));
  b->set_hint("A rather long hint text");
  WM_SCRIPT* h = b->hint;
  at(315, 5);
  advance_wall(2);
  frame();
  ASSERT_TRUE(is_popup(h));
  EXPECT_EQ(h->x + h->width, kScreenWidth);  // clamped at the right edge
  EXPECT_EQ(h->y, 0);                        // and at the top
}

TEST_F(ButtonFeatures, LeftPressClosesTheHintAndAClickStillFires) {
  WM_BUTTON* b = make(40, 1, BUTTON_EVENT_PRESS | BUTTON_EVENT_RELEASE);
  b->set_hint("Press me");
  at(60, 50);
  advance_wall(2);
  frame();
  ASSERT_TRUE(is_popup(b->hint));
  // The hint is the topmost pop-up: the press reaches the button through it.
  EXPECT_EQ(at(60, 50, true), 1);
  EXPECT_FALSE(is_popup(b->hint));
  EXPECT_EQ(b->hint_time, static_cast<INT_U32>(kWallStart + 2));  // the wait starts again
  EXPECT_EQ(at(60, 50, false), 1);
  EXPECT_EQ(joined(), "click1 click1");
}

TEST_F(ButtonFeatures, HintInputGoesToItsButtonFirst) {
  WM_BUTTON* b = make(40, 1, BUTTON_EVENT_PRESS);
  b->set_hint("Hint");
  at(60, 50);
  move_to(60, 50);
  left_down();
  EXPECT_EQ(b->hint->handle_input(), 1);
  EXPECT_EQ(joined(), "click1");
}

TEST_F(ButtonFeatures, HintIsHandedOverToTheNeighbour) {
  WM_BUTTON* a = make(40, 1);
  WM_BUTTON* b = make(130, 2);
  a->set_hint("First");
  b->set_hint("Second");
  at(60, 50);
  advance_wall(2);
  frame();
  ASSERT_TRUE(is_popup(a->hint));
  at(150, 50);  // the open hint takes this pass: A closes it and hands over
  EXPECT_FALSE(is_popup(a->hint));
  EXPECT_EQ(b->hint_x, 40);
  frame();  // B's own pass opens its hint without a new wait
  EXPECT_TRUE(is_popup(b->hint));
  EXPECT_EQ(b->hint->x, 150);
}

TEST_F(ButtonFeatures, OnlyAnOpenHintIsHandedOver) {
  WM_BUTTON* a = make(40, 1);
  WM_BUTTON* b = make(130, 2);
  a->set_hint("First");
  b->set_hint("Second");
  at(60, 50);  // a rest on A begins, and ends before its hint opens
  advance_wall(1);
  at(60, 100);
  advance_wall(5);
  at(150, 50);
  frame();
  EXPECT_FALSE(is_popup(b->hint));  // B waits for its own rest
  EXPECT_EQ(b->hint_time, static_cast<INT_U32>(kWallStart + 6));
  advance_wall(1);
  frame();
  EXPECT_FALSE(is_popup(b->hint));
  advance_wall(1);
  frame();
  EXPECT_TRUE(is_popup(b->hint));
}

TEST_F(ButtonFeatures, HidingTheButtonTakesItsHintDown) {
  WM_BUTTON* b = make();
  b->set_hint("Hint");
  at(60, 50);
  advance_wall(2);
  frame();
  ASSERT_TRUE(is_popup(b->hint));
  b->hide(0, 0);
  EXPECT_FALSE(is_popup(b->hint));
  EXPECT_EQ(b->hint->visible, 0);
  b->set_hint("");
  EXPECT_EQ(b->hint, nullptr);
}

// ---- drag and drop ---------------------------------------------------------------

class ButtonDrag : public ButtonFeatures {
 protected:
  void SetUp() override {
    ButtonFeatures::SetUp();
    button = make();
    button->drag_callback = dragged;
    button->drag_events = DRAG_EVENT_START | DRAG_EVENT_CANCEL | DRAG_EVENT_DROP |
                          DRAG_EVENT_DROP_SELF;
    target = add(new PROBE("probe", 200, 100, 60, 60, kGreen));
    frame();
  }
  WM_BUTTON* button = nullptr;
  PROBE* target = nullptr;
};

TEST_F(ButtonDrag, StartThenDropOnTheTarget) {
  at(60, 50, true);
  EXPECT_EQ(button->drag_x, 60);
  EXPECT_EQ(button->grab_dx, -20);
  EXPECT_EQ(button->grab_dy, -10);
  EXPECT_EQ(joined(), "");
  at(61, 50, true);
  EXPECT_EQ(joined(), "START(self@61,50)");
  EXPECT_TRUE(is_popup(button));
  EXPECT_EQ(button->drag_shown, 1);
  at(230, 130, true);
  // The drag image: a translucent copy of the button over the target.
  // The copy's left edge is at 230 - 20; (215, 135) is face, not text.
  const COLOUR c = pixel(215, 135);
  EXPECT_NEAR(static_cast<int>(c >> 16 & 0xFF), 72, 2);  // 0xC0 + (0x00 - 0xC0) * 160 / 256
  EXPECT_NEAR(static_cast<int>(c >> 8 & 0xFF), 231, 2);  // 0xC0 + (0xFF - 0xC0) * 160 / 256
  EXPECT_EQ(pixel(60, 55), kFace);  // the button itself stays in place
  calls().clear();
  at(230, 130, false);
  EXPECT_EQ(joined(), "DROP(probe@230,130)");
  EXPECT_FALSE(is_popup(button));
  EXPECT_EQ(button->drag_x, -1);
  EXPECT_EQ(button->drag_shown, 0);
  EXPECT_EQ(joined(), "DROP(probe@230,130)");  // no click: the press was disarmed
  frame();
  EXPECT_EQ(pixel(240, 135), kGreen);  // the drag image is gone
}

TEST_F(ButtonDrag, ReleaseWithoutAMoveCancels) {
  at(60, 50, true);
  at(60, 50, false);
  EXPECT_EQ(joined(), "CANCEL(self@60,50) click1");
  EXPECT_EQ(button->drag_x, -1);
}

TEST_F(ButtonDrag, AwayAndBackDropsOnItself) {
  at(60, 50, true);
  at(200, 200, true);
  at(70, 55, true);
  at(70, 55, false);
  EXPECT_EQ(joined(), "START(root@200,200) DROP_SELF(self@70,55)");
}

TEST_F(ButtonDrag, RightButtonDragsTooUnlessTurnedOff) {
  move_to(60, 50);
  right_down();
  frame();
  move_to(230, 130);
  frame();
  right_up();
  frame();
  EXPECT_EQ(joined(), "START(probe@230,130) DROP(probe@230,130)");
  calls().clear();
  button->right_button_drags = 0;
  move_to(60, 50);
  right_down();
  frame();
  move_to(230, 130);
  frame();
  right_up();
  frame();
  EXPECT_EQ(joined(), "");
}

TEST_F(ButtonDrag, DragImageFarFromTheButtonIsDrawn) {
  // The drag image lies in a dirty rectangle of its own, away from the
  // button's rectangle.
  at(60, 50, true);
  at(61, 50, true);
  at(280, 220, true);
  EXPECT_NEAR(static_cast<int>(pixel(265, 220) >> 16 & 0xFF), 82, 2);  // over the backdrop
  EXPECT_EQ(pixel(279, 209), kBackdrop);
}

// ---- idle click ---------------------------------------------------------------------

class IdleClick : public ButtonFeatures {
 protected:
  void SetUp() override {
    ButtonFeatures::SetUp();
    button = make();
    button->idle_chance = 1;  // picked on its first chance
    seed_random(1234);
    mouse_state.last_mouse_time = 0;
    keyboard_state.last_key_time = 0;
    move_to(300, 200);
  }
  WM_BUTTON* button = nullptr;
};

TEST_F(IdleClick, OffWhileTheDelayIsZero) {
  wm_idle_click_delay = 0;
  frames(10, 1000);
  EXPECT_EQ(pm().pointer_override_x, -1);
  EXPECT_EQ(wm_idle_click_button, nullptr);
  EXPECT_EQ(joined(), "");
}

TEST_F(IdleClick, PressesAtTheCentreReleasesThenClears) {
  wm_idle_click_delay = 1000;
  frame(10);  // the first pass starts the idle time
  EXPECT_EQ(wm_idle_click_time, clock_now());
  frame(1000);
  EXPECT_EQ(pm().pointer_override_x, -1);  // exactly the delay: not yet
  frame(1);
  EXPECT_EQ(wm_idle_click_button, button);
  EXPECT_EQ(pm().pointer_override_x, 80);
  EXPECT_EQ(pm().pointer_override_y, 55);
  EXPECT_EQ(pm().pointer_override_button, 1);
  frame(100);
  EXPECT_EQ(button->pressed, 1);
  frame(401);
  EXPECT_EQ(pm().pointer_override_button, 0);
  EXPECT_EQ(pm().pointer_override_x, 80);
  frame(100);
  EXPECT_EQ(joined(), "click1");
  frame(401);
  EXPECT_EQ(pm().pointer_override_x, -1);
  EXPECT_EQ(pm().pointer_override_y, -1);
  EXPECT_EQ(wm_idle_click_button, nullptr);
  EXPECT_EQ(wm_idle_click_time, 0u);
  EXPECT_EQ(mouse_state.x, 300);  // the real pointer is back
}

TEST_F(IdleClick, RecentInputOrZeroChanceMeansNoClick) {
  wm_idle_click_delay = 1000;
  mouse_state.last_mouse_time = static_cast<INT_U32>(wall_now());
  frames(5, 1000);
  EXPECT_EQ(wm_idle_click_button, nullptr);
  mouse_state.last_mouse_time = 0;
  button->idle_chance = 0;
  frames(5, 1000);
  EXPECT_EQ(wm_idle_click_button, nullptr);
  button->idle_chance = 1;
  button->set_enabled(0);
  frames(5, 1000);
  EXPECT_EQ(wm_idle_click_button, nullptr);
}

// ---- deletion while a feature runs ------------------------------------------------------

TEST_F(ButtonDrag, DeletedMidDragLeavesNothingBehind) {
  at(60, 50, true);
  at(150, 150, true);
  ASSERT_TRUE(is_popup(button));
  const void* gone = button;
  root()->remove_child(button, 1, 0);
  EXPECT_FALSE(is_popup(static_cast<const WM_SCREEN_OBJECT*>(gone)));
  at(160, 160, true);
  at(160, 160, false);
  frame();
  EXPECT_EQ(joined(), "START(root@150,150)");
}

TEST_F(IdleClick, DeletedMidIdleClickClearsTheSimulatedPointer) {
  wm_idle_click_delay = 1000;
  frame(10);
  frame(1001);
  ASSERT_EQ(wm_idle_click_button, button);
  frame(100);
  root()->remove_child(button, 1, 0);
  EXPECT_EQ(wm_idle_click_button, nullptr);
  EXPECT_EQ(pm().pointer_override_x, -1);
  EXPECT_EQ(pm().pointer_override_y, -1);
  EXPECT_EQ(pm().pointer_override_button, 0);
  frames(5, 600);
}

TEST_F(ButtonFeatures, DeletedWithItsHintShownTakesTheHintAlong) {
  WM_BUTTON* b = make();
  b->set_hint("Hint");
  at(60, 50);
  advance_wall(2);
  frame();
  ASSERT_TRUE(is_popup(b->hint));
  root()->remove_child(b, 1, 0);
  EXPECT_EQ(count_visible_popups(), 0);
  EXPECT_EQ(wm_popup_list.head, nullptr);
  frames(3);
  at(61, 51, true);
  at(61, 51, false);
  EXPECT_EQ(joined(), "");
}

TEST_F(ButtonFeatures, NeighbourDeletedAfterAHandOver) {
  WM_BUTTON* a = make(40, 1);
  WM_BUTTON* b = make(130, 2);
  a->set_hint("First");
  b->set_hint("Second");
  at(60, 50);
  advance_wall(2);
  frame();
  at(150, 50);
  frame();
  ASSERT_TRUE(is_popup(b->hint));
  root()->remove_child(b, 1, 0);
  frames(3);
  at(60, 50);
  EXPECT_EQ(wm_popup_list.head, nullptr);
}

// ---- pointer shape --------------------------------------------------------------------------

namespace {
std::set<INT_U8>& unavailable_cursors() {
  static std::set<INT_U8> kinds;
  return kinds;
}
INT_U8 scripted_cursor(INT_U8 kind, INT_U8) { return unavailable_cursors().count(kind) ? 0 : 1; }
}  // namespace

TEST_F(ButtonFeatures, PointerShapeOverThePressedAndTheDraggedButton) {
  wm_use_cursor_shapes = 1;
  wm_set_cursor_source = scripted_cursor;
  WM_BUTTON* b = make();
  at(200, 200);
  EXPECT_EQ(pm().frame_cursor_kind, 0);  // not over: no wish
  at(60, 50);
  EXPECT_EQ(pm().frame_cursor_kind, 1);
  at(60, 50, true);
  EXPECT_EQ(pm().frame_cursor_kind, 2);
  at(60, 50, false);
  b->drag_callback = dragged;
  at(60, 50);
  EXPECT_EQ(pm().frame_cursor_kind, 3);  // draggable
  at(60, 50, true);
  EXPECT_EQ(pm().frame_cursor_kind, 4);  // a drag runs from the press
  unavailable_cursors().insert(4);
  at(100, 100, true);
  EXPECT_EQ(pm().frame_cursor_kind, 3);
  at(100, 100, false);
  unavailable_cursors() = {2, 3};
  at(60, 50, true);
  EXPECT_EQ(pm().frame_cursor_kind, 4);
  at(100, 100, false);
  at(60, 50);
  EXPECT_EQ(pm().frame_cursor_kind, 1);
  wm_set_cursor_source = nullptr;
}

TEST_F(ButtonFeatures, WithoutAPageManagerNothingIsFoundOrChanged) {
  ASSERT_EQ(wm_page_manager, nullptr);
  WM_BUTTON b(40, 40, 119, 69, &kFace, &kInk, "OK", 0, 0, 15, clicked, 1, 0, 1,
              BUTTON_EVENT_RELEASE);
  b.drag_callback = dragged;
  b.drag_events = DRAG_EVENT_START | DRAG_EVENT_DROP;
  b.set_hint("Hint");
  b.idle_chance = 1;
  wm_idle_click_delay = 1;
  wm_idle_click_time = 1;
  wm_frame_ms = 100000;
  auto pass = [&](INT_S16 px, INT_S16 py, INT_U32 buttons) {
    pointer(px, py, buttons);
    return b.handle_input();
  };
  pass(60, 50, 0);
  pass(60, 50, 1);
  pass(200, 200, 1);
  pass(200, 200, 0);
  EXPECT_EQ(joined(), "START(none@200,200) DROP(none@200,200)");
  EXPECT_EQ(wm_idle_click_button, nullptr);
  EXPECT_EQ(b.hint_x, -1);
}
