// Button: construction, the hint style, text and the input pass (events,
// keys, repeat, press modes, disabled buttons, state callbacks).
#include <string>
#include <vector>

#include "style_set.h"
#include "widget_test_env.h"
#include "wm_button.h"
#include "wm_script.h"

using namespace wgt;

namespace {

const COLOUR kFace = 0xFFC0C0C0u, kInk = 0xFF000000u;
const INT_S32 kReturn = 36, kKeyF = 41;

std::vector<std::string>& calls() {
  static std::vector<std::string> v;
  return v;
}
INT_S32 g_answer = 0;

// Logs "R" plus the released byte, and answers g_answer.
INT_S32 record(WM_SCREEN_OBJECT* object, INT_WORD arg1, INT_WORD) {
  WM_BUTTON* b = static_cast<WM_BUTTON*>(object);
  calls().push_back(std::string(word_to_s32(arg1) ? "B" : "R") + std::to_string(b->released));
  return g_answer;
}

class Button : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    calls().clear();
    g_answer = 0;
  }
  // A plain button at (40, 40), 80 x 30.
  WM_BUTTON* make(INT_U8 events, INT_U32 mode = BUTTON_PRESS_NORMAL) {
    return add(new WM_BUTTON(40, 40, 119, 69, &kFace, &kInk, "OK", mode, 0, 15, record, 0, 0, 1,
                             events));
  }
  // One frame with the pointer inside ('i') or outside ('o'), the left
  // button as given, after ms; returns "result:calls".
  std::string step(char where, bool left, INT_U32 ms = 16) {
    if (where == 'i') move_to(60, 50);
    if (where == 'o') move_to(200, 150);
    if (left)
      left_down();
    else
      left_up();
    calls().clear();
    const INT_S32 r = frame(ms);
    std::string s = std::to_string(r) + ":";
    for (const std::string& c : calls()) s += c;
    return s;
  }
};

struct EVENT_ROW {
  const char* name;
  INT_U8 events;
  INT_U32 mode;
  INT_U8 always_armed;
  // Frames: pointer inside or outside, left button, what the frame returns
  // and calls.
  std::vector<std::pair<std::string, std::string>> frames;
};

}  // namespace

TEST_F(Button, SizesItselfFromItsTextInItsOwnFont) {
  WM_BUTTON b(5, 6, -1, -1, &kFace, &kInk, "Next", 255, -1, -1, 0, 0, 15, nullptr, 0, 0, 1, 2);
  EXPECT_EQ(b.font, kFont);
  EXPECT_EQ(b.font_w, kFontSize);
  EXPECT_EQ(b.left_gap, 2);  // the default shading type's border
  EXPECT_EQ(b.x_spacing, 2);
  EXPECT_EQ(b.width, text_width("Next") + 4);
  EXPECT_EQ(b.height, kFontSize + 4);
  EXPECT_EQ(b.x, 5);
  EXPECT_EQ(b.y, 6);
  EXPECT_EQ(b.kind & WM_KIND_BUTTON, WM_KIND_BUTTON);
  EXPECT_EQ(b.back_colour, kFace);
  EXPECT_EQ(b.highlight_colour, kFace);
  EXPECT_EQ(b.active_back_colour, kFace);
  EXPECT_EQ(b.idle_chance, 10);
  EXPECT_EQ(b.drag_x, -1);
  EXPECT_STREQ(b.text, "Next");
  EXPECT_EQ(b.flashing_text.tag, TV_TEXT);
}

TEST_F(Button, FirstButtonWritesTheBuiltInHintStyle) {
  EXPECT_EQ(wm_button_hint_style_ready, 0);
  WM_BUTTON b(0, 0, 9, 9, &kFace, &kInk, "", 0, 0, 15, nullptr, 0, 0, 1, 2);
  EXPECT_EQ(wm_button_hint_style_ready, 1);
  const WM_STYLE_SET& h = wm_button_hint_style;
  EXPECT_EQ(h.shading_type, 3u);
  EXPECT_EQ(h.fg_colour, 0xFF000000u);
  EXPECT_EQ(h.bg_colour, 0xFFFFD000u);
  EXPECT_EQ(h.fading_colour, 0xFFFF0000u);
  EXPECT_EQ(h.shading_flags, 15);
  EXPECT_EQ(h.ssf, 0x10Bu);
}

TEST_F(Button, ALoadedHintStyleIsKept) {
  wm_button_hint_style.bg_colour = 0xFF123456u;
  wm_button_hint_style_ready = 1;
  WM_BUTTON b(0, 0, 9, 9, &kFace, &kInk, "", 0, 0, 15, nullptr, 0, 0, 1, 2);
  EXPECT_EQ(wm_button_hint_style.bg_colour, 0xFF123456u);
}

TEST_F(Button, StyleSetFormTakesFlagsColoursAndModes) {
  WM_STYLE_SET st;
  st.shading_type = 3;  // border width 1
  st.fg_colour = 0xFF010203u;
  st.bg_colour = 0xFF405060u;
  st.highlight_colour = 0xFF0000FFu;
  st.mouse_over_colour = 0xFF00FF00u;
  st.ssf = ssf_draw_border | ssf_indent_border | ssf_left_justify_text | ssf_hfading | ssf_disabled;
  st.ssef = ssef_auto_actiavte | ssef_up_arrow | ssef_indent_when_active | ssef_dont_mask_click;
  st.shading_flags = 0x80FF;
  st.border_left_gap = 7;
  WM_BUTTON b(0, 0, -1, -1, &st, "Go", "A hint", record, 3, 4, 2);
  EXPECT_EQ(b.press_mode, BUTTON_PRESS_ON_ENTRY);
  EXPECT_EQ(b.left_gap, 7);
  EXPECT_EQ(b.right_gap, 1);
  EXPECT_EQ(b.x_spacing, 1);  // the style's own spacing
  EXPECT_EQ(b.width, text_width("Go") + 8);
  EXPECT_EQ(b.border_mask, 0x80FF);
  EXPECT_EQ(b.button_flags, BUTTON_FIXED_BORDER | BUTTON_TEXT_LEFT | BUTTON_HFADING |
                                BUTTON_ARROW_UP | BUTTON_HIT_RECTANGLE);
  EXPECT_EQ(b.text_colour, 0xFF010203u);
  EXPECT_EQ(b.active_back_colour, 0xFF405060u);  // no active colour: the back colour
  EXPECT_EQ(b.highlight_colour, 0xFF0000FFu);
  EXPECT_EQ(b.mouse_over_colour, 0xFF00FF00u);
  EXPECT_EQ(b.mouse_over_text_colour, 0u);
  EXPECT_EQ(b.enabled, 0);
  EXPECT_EQ(b.indent_when_active, 1);
  ASSERT_NE(b.hint, nullptr);
  EXPECT_EQ(b.hint->visible, 0);
  EXPECT_EQ(b.hint->input_target, &b);
  EXPECT_EQ(b.hint->not_owned, 1);
  EXPECT_EQ(b.hint->width, text_width("A hint") + 2);  // built-in style: shading 3, gaps 1
  EXPECT_EQ(b.action_arg1, 3u);

  st.ssf = ssf_outstanding_border;  // no draw_border bit: no border at all
  st.ssef = ssef_auto_depress;
  WM_BUTTON c(0, 0, -1, -1, &st, "Go", nullptr, nullptr, 0, 0, 2);
  EXPECT_EQ(c.border_mask, 0);
  EXPECT_EQ(c.button_flags, 0u);
  EXPECT_EQ(c.press_mode, BUTTON_PRESS_FOLLOWS_POINTER);
  EXPECT_EQ(c.hint, nullptr);
}

TEST_F(Button, SetTextCopiesAndOnlyWidens) {
  WM_BUTTON b(0, 0, 19, 19, &kFace, &kInk, "A", 0, 0, 15, nullptr, 0, 0, 1, 2);
  EXPECT_EQ(b.set_text(nullptr, 1), 0);
  EXPECT_STREQ(b.text, "A");
  std::string longer = "Somewhat longer";
  EXPECT_EQ(b.set_text(longer.c_str(), 1), 1);
  longer[0] = 'X';
  EXPECT_STREQ(b.text, "Somewhat longer");
  EXPECT_EQ(b.width, text_width("Somewhat longer") + 1);
  b.set_text("B", 1);
  EXPECT_EQ(b.width, text_width("Somewhat longer") + 1);
}

TEST_F(Button, EventTable) {
  const std::vector<EVENT_ROW> rows = {
      {"release inside", BUTTON_EVENT_RELEASE, 0, 0,
       {{"o-", "0:"}, {"i-", "0:"}, {"iL", "0:"}, {"iL", "0:"}, {"i-", "1:R1"}, {"i-", "0:"}}},
      {"press", BUTTON_EVENT_PRESS, 0, 0,
       {{"i-", "0:"}, {"iL", "1:R0"}, {"iL", "0:"}, {"i-", "0:"}}},
      {"press and release", BUTTON_EVENT_PRESS | BUTTON_EVENT_RELEASE, 0, 0,
       {{"i-", "0:"}, {"iL", "1:R0"}, {"i-", "1:R1"}}},
      {"released outside, plain", BUTTON_EVENT_RELEASE, 0, 0,
       {{"i-", "0:"}, {"iL", "0:"}, {"oL", "0:"}, {"o-", "0:"}, {"i-", "0:"}}},
      {"released outside, mask 8", BUTTON_EVENT_RELEASE | BUTTON_EVENT_RELEASE_OUTSIDE, 0, 0,
       {{"i-", "0:"}, {"iL", "0:"}, {"oL", "0:"}, {"o-", "1:R1"}, {"i-", "0:"}}},
      {"pressed outside, released inside", BUTTON_EVENT_RELEASE, 0, 0,
       {{"o-", "0:"}, {"oL", "0:"}, {"iL", "0:"}, {"i-", "0:"}}},
      {"always armed", BUTTON_EVENT_RELEASE, 0, 1,
       {{"o-", "0:"}, {"oL", "0:"}, {"iL", "0:"}, {"i-", "1:R1"}}},
      {"entry presses, exit releases", BUTTON_EVENT_PRESS | BUTTON_EVENT_RELEASE,
       BUTTON_PRESS_ON_ENTRY, 0,
       {{"o-", "0:"}, {"i-", "1:R0"}, {"i-", "0:"}, {"o-", "1:R1"}, {"o-", "0:"}}},
      {"entry with the button held over it", BUTTON_EVENT_PRESS | BUTTON_EVENT_RELEASE,
       BUTTON_PRESS_ON_ENTRY, 0,
       {{"o-", "0:"}, {"iL", "0:"}, {"iL", "0:"}, {"oL", "0:"}}},
  };
  for (const EVENT_ROW& row : rows) {
    SCOPED_TRACE(row.name);
    WM_BUTTON* b = make(row.events, row.mode);
    b->always_armed = row.always_armed;
    for (size_t i = 0; i < row.frames.size(); ++i) {
      const std::string& f = row.frames[i].first;
      EXPECT_EQ(step(f[0], f[1] == 'L'), row.frames[i].second) << "frame " << i;
    }
    root()->remove_child(b, 1, 0);
    step('o', false);
  }
}

TEST_F(Button, ResultIsTheCallbacksCodeOrHandled) {
  WM_BUTTON* b = make(BUTTON_EVENT_RELEASE);
  g_answer = 42;
  step('i', false);
  step('i', true);
  EXPECT_EQ(step('i', false), "42:R1");
  b->action_callback = nullptr;
  step('i', true);
  EXPECT_EQ(step('i', false), "1:");
}

TEST_F(Button, HeldButtonRepeatsAfterTheDelayThenEveryInterval) {
  make(BUTTON_EVENT_PRESS | BUTTON_EVENT_REPEAT);
  step('i', false);
  EXPECT_EQ(step('i', true, 100), "1:R0");  // pressed at t
  EXPECT_EQ(step('i', true, 300), "0:");    // t + 300: not yet
  EXPECT_EQ(step('i', true, 1), "1:R0");    // t + 301: the first repeat
  EXPECT_EQ(step('i', true, 30), "0:");
  EXPECT_EQ(step('i', true, 1), "1:R0");    // 31 ms later
  EXPECT_EQ(step('i', true, 31), "1:R0");
  EXPECT_EQ(step('o', true, 100), "0:");    // held outside: no repeat
}

TEST_F(Button, ReleaseAfterARepeatFiresNothing) {
  WM_BUTTON* b = make(BUTTON_EVENT_RELEASE | BUTTON_EVENT_REPEAT);
  step('i', false);
  EXPECT_EQ(step('i', true), "0:");
  EXPECT_EQ(step('i', true, 400), "1:R0");
  EXPECT_EQ(b->repeating, 1);
  EXPECT_EQ(step('i', false), "0:");
  EXPECT_EQ(b->repeating, 0);
  // The next plain click releases normally.
  EXPECT_EQ(step('i', true), "0:");
  EXPECT_EQ(step('i', false), "1:R1");
}

TEST_F(Button, FocusedOrDefaultButtonAnswersReturnAlone) {
  for (int variant = 0; variant < 2; ++variant) {
    SCOPED_TRACE(variant ? "default button" : "focused");
    WM_BUTTON* b = make(BUTTON_EVENT_PRESS | BUTTON_EVENT_RELEASE);
    if (variant) {
      b->default_button = 1;
    } else {
      b->focusable = 1;
      b->take_focus();
    }
    step('o', false);
    key_down(kReturn);
    EXPECT_EQ(step('o', false), "1:R0");
    EXPECT_EQ(step('o', false), "0:");
    key_up(kReturn);
    EXPECT_EQ(step('o', false), "1:R1");
    root()->remove_child(b, 1, 0);
  }
  // Neither focused nor default: Return does nothing.
  make(BUTTON_EVENT_PRESS | BUTTON_EVENT_RELEASE);
  key_down(kReturn);
  EXPECT_EQ(step('o', false), "0:");
  key_up(kReturn);
  EXPECT_EQ(step('o', false), "0:");
}

TEST_F(Button, ShortcutKeyWorksWithoutFocus) {
  WM_BUTTON* b = make(BUTTON_EVENT_PRESS | BUTTON_EVENT_RELEASE);
  EXPECT_EQ(b->set_shortcut_key(kKeyF), b);
  step('o', false);
  key_down(kKeyF);
  EXPECT_EQ(step('o', false), "1:R0");
  key_up(kKeyF);
  EXPECT_EQ(step('o', false), "1:R1");
}

namespace {
INT_U8 g_state_answer = 0;
int g_state_asks = 0;
INT_U8 state_of(WM_BUTTON*, INT_WORD arg) {
  ++g_state_asks;
  EXPECT_EQ(word_to_s32(arg), 77);
  return g_state_answer;
}
}  // namespace

TEST_F(Button, DisabledButtonFiresNothingAndTracksNoHoverButAsksItsState) {
  WM_BUTTON* b = make(BUTTON_EVENT_PRESS | BUTTON_EVENT_RELEASE);
  b->mouse_over_colour = 0xFF00FF00u;
  b->state_callback = state_of;
  b->state_callback_arg = 77;
  b->set_enabled(0);
  g_state_answer = 1;
  EXPECT_EQ(step('i', false), "0:");
  EXPECT_EQ(b->state, 1);
  EXPECT_GE(g_state_asks, 1);
  EXPECT_EQ(step('i', true), "0:");
  EXPECT_EQ(b->hover, 0);
  EXPECT_EQ(b->pressed, 0);
  // Released while disabled, enabled again: no release appears from nowhere.
  EXPECT_EQ(step('i', false), "0:");
  b->set_enabled(1);
  EXPECT_EQ(step('i', false), "0:");
  EXPECT_EQ(b->hover, 1);
  // Pressed while enabled, released while disabled, enabled again: nothing.
  EXPECT_EQ(step('i', true), "1:R0");
  b->set_enabled(0);
  EXPECT_EQ(step('i', false), "0:");
  b->set_enabled(1);
  EXPECT_EQ(step('i', false), "0:");
}

TEST_F(Button, PressedLookStaysWhileHeldOutsideAndGoesAtTheRelease) {
  WM_BUTTON* b = make(BUTTON_EVENT_RELEASE);
  step('i', false);
  step('i', true);
  EXPECT_EQ(b->pressed, 1);
  step('o', true);
  EXPECT_EQ(b->pressed, 1);
  step('o', false);
  EXPECT_EQ(b->pressed, 0);
}

TEST_F(Button, PressedLookFollowsThePointerInMode1) {
  WM_BUTTON* b = make(BUTTON_EVENT_RELEASE, BUTTON_PRESS_FOLLOWS_POINTER);
  step('i', false);
  EXPECT_EQ(b->pressed, 1);
  step('o', false);
  EXPECT_EQ(b->pressed, 0);
}

TEST_F(Button, HoverIsTrackedOnlyWhenItChangesTheLook) {
  WM_BUTTON* b = make(BUTTON_EVENT_RELEASE);
  step('i', false);
  EXPECT_EQ(b->hover, 0);
  b->mouse_over_text_colour = 0xFFFF0000u;
  step('i', false);
  EXPECT_EQ(b->hover, 1);
  step('o', false);
  EXPECT_EQ(b->hover, 0);
}

TEST_F(Button, PressTakesTheFocusOfAFocusableButton) {
  WM_BUTTON* b = make(BUTTON_EVENT_RELEASE);
  b->focusable = 1;
  WM_BUTTON* other = add(new WM_BUTTON(200, 40, 239, 69, &kFace, &kInk, "X", 0, 0, 15, nullptr,
                                       0, 0, 1, 2));
  other->focusable = 1;
  other->take_focus();
  step('i', false);
  step('i', true);
  EXPECT_EQ(wm_focus_object, b);
  b->set_enabled(0);
  EXPECT_EQ(b->can_focus(), 0);
}

TEST_F(Button, HiddenButtonIsNotOver) {
  WM_BUTTON* b = make(BUTTON_EVENT_RELEASE);
  EXPECT_EQ(b->is_over(60, 50), 1);
  EXPECT_EQ(b->is_over(39, 50), 0);
  b->hide(0, 0);
  EXPECT_EQ(b->is_over(60, 50), 0);
}

TEST_F(Button, FlashingTextAlternatesOnTheFlashClockWhileVisible) {
  WM_BUTTON* b = make(BUTTON_EVENT_RELEASE);
  clock_now() = 1000;  // phase bit 5 is (ms / 2000) & 1
  frame(0);
  EXPECT_EQ(b->flash_showing, 0);  // empty flashing text: never
  clock_now() = 2000;
  frame(0);
  EXPECT_EQ(b->flash_showing, 0);
  b->flashing_text.free_string(&b->flashing_text.value);
  b->flashing_text.set_string(&b->flashing_text.value, "Now!");
  clock_now() = 1999;
  frame(0);
  EXPECT_EQ(b->flash_showing, 0);
  clock_now() = 2000;
  frame(0);
  EXPECT_EQ(b->flash_showing, 1);
  clock_now() = 4000;
  frame(0);
  EXPECT_EQ(b->flash_showing, 0);
  b->hide(0, 0);
  clock_now() = 6000;
  frame(0);
  EXPECT_EQ(b->flash_showing, 0);
}
