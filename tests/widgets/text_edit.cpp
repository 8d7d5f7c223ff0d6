// The text edit box: focus clicks, editing keys and characters as tables of
// cases, the clipboard, Return, password mode, the four filters, scrolling,
// and its pixels (selection band, cursor column).
#include <algorithm>
#include <functional>
#include <sstream>
#include <vector>

#include "clipboard.h"
#include "input.h"
#include "style_set.h"
#include "widget_test_env.h"
#include "wm_text_edit.h"

using namespace wgt;

namespace {

const COLOUR kText = 0xFF000000u, kBack = 0xFFFFFFFFu, kHighlight = 0xFF3060C0u,
             kCursor = 0xFFFF0000u;
const INT_S16 kBoxX = 10, kBoxY = 20, kBoxWidth = 200, kGap = 2;
const INT_S32 kCtrl = 37, kShift = 50, kReturn = 36;

INT_S32 record(WM_SCREEN_OBJECT* object, INT_WORD arg1, INT_WORD) {
  WM_TEXT_EDIT* box = static_cast<WM_TEXT_EDIT*>(object);
  log().push_back(std::string(box->return_pressed ? "return:" : "change:") + box->text.text + "/" +
                  std::to_string(word_to_s32(arg1)));
  return 0;
}

class TextEdit : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    KEYBOARD::resize_queue(10);
    set_clipboard_text(nullptr);
    style.fg_colour = kText;
    style.bg_colour = kBack;
    style.highlight_colour = kHighlight;
    style.active_text_colour = kCursor;
    style.font_id = kFont;
    style.font_x_sz = style.font_y_sz = kFontSize;
    style.border_left_gap = style.border_right_gap = kGap;
    style.border_top_gap = style.border_bottom_gap = kGap;
  }
  WM_TEXT_EDIT* make(const char* text, INT_S16 max_length = 20, INT_S16 w = kBoxWidth,
                     INT_S16 px = kBoxX, INT_S16 py = kBoxY) {
    root();
    return add(new WM_TEXT_EDIT(px, py, w, max_length, text, &style, record, 5, 0));
  }
  static INT_S16 mid_y(const WM_TEXT_EDIT* b) { return static_cast<INT_S16>(b->y + b->height / 2); }
  void click_at(INT_S16 px, INT_S16 py) {
    move_to(px, py);
    left_down();
    frame(16);
    left_up();
    frame(16);
  }
  void type(const std::string& chars) {
    for (char c : chars) {
      KEYBOARD::char_event(static_cast<INT_U8>(c));
      frame(16);
    }
  }
  void ctrl_char(char c) {
    key_down(kCtrl);
    KEYBOARD::char_event(static_cast<INT_U8>(c));
    frame(16);
    key_up(kCtrl);
  }
  // Keys with modifiers held across the frame: "S-" Shift, "C-" Ctrl.
  void key(const std::string& name) {
    static const std::pair<const char*, INT_S32> kCodes[] = {
        {"Home", 97}, {"Left", 100}, {"Right", 102}, {"End", 103}, {"Delete", 107}};
    std::string rest = name;
    bool shift = false, ctrl = false;
    while (rest.size() > 2 && rest[1] == '-') {
      if (rest[0] == 'S') shift = true;
      if (rest[0] == 'C') ctrl = true;
      rest = rest.substr(2);
    }
    INT_S32 code = 0;
    for (const auto& k : kCodes)
      if (rest == k.first) code = k.second;
    ASSERT_NE(code, 0) << name;
    if (shift) key_down(kShift);
    if (ctrl) key_down(kCtrl);
    press_key(code);
    frame(16);
    key_up(kShift);
    key_up(kCtrl);
  }
  // A script of steps: key names, "t:chars" typed, "^x" Ctrl+letter, "BS"
  // BackSpace, "SP" a space.
  void run(const std::string& script) {
    std::istringstream in(script);
    std::string step;
    while (in >> step) {
      if (step.rfind("t:", 0) == 0)
        type(step.substr(2));
      else if (step[0] == '^')
        ctrl_char(step[1]);
      else if (step == "BS")
        type("\b");
      else if (step == "SP")
        type(" ");
      else
        key(step);
    }
  }
  WM_STYLE_SET style;
};

TEST_F(TextEdit, ConstructionFromTheStyle) {
  WM_TEXT_EDIT* b = make("hello", 3);
  EXPECT_STREQ(b->text.text, "hel");
  EXPECT_EQ(b->cursor, 3);
  EXPECT_EQ(b->height, 2 * kGap + kFontSize);
  EXPECT_EQ(b->text_colour, kText);
  EXPECT_EQ(b->back_colour, kBack);
  EXPECT_EQ(b->cursor_colour, kCursor);
  EXPECT_EQ(b->highlight_colour, kHighlight);
  EXPECT_EQ(b->kind & WM_KIND_TEXT_EDIT, WM_KIND_TEXT_EDIT);
  EXPECT_EQ(b->can_focus(), 1);
  b->enabled = 0;
  EXPECT_EQ(b->can_focus(), 0);
}

TEST_F(TextEdit, FirstFocusClickSelectsAllSecondPlacesTheCursor) {
  WM_TEXT_EDIT* b = make("hello world");
  click_at(static_cast<INT_S16>(kBoxX + 40), mid_y(b));
  EXPECT_EQ(wm_focus_object, b);
  EXPECT_EQ(b->sel_start, 0);
  EXPECT_EQ(b->sel_end, 11);
  EXPECT_STREQ(b->focus_text.text, "hello world");
  // Just right of the boundary after "hel": the nearest boundary is 3.
  const INT_S16 at3 = static_cast<INT_S16>(kBoxX + kGap + text_width("hel") + 1);
  click_at(at3, mid_y(b));
  EXPECT_EQ(b->cursor, 3);
  EXPECT_EQ(b->sel_start, -1);
  EXPECT_EQ(b->char_index_at(static_cast<INT_S16>(kBoxX)), 0);
  EXPECT_EQ(b->char_index_at(static_cast<INT_S16>(kBoxX + kBoxWidth - kGap)), 11);
}

TEST_F(TextEdit, HeldPressRunsTheFocusClickOnceAndNoneWhenBegunDisabled) {
  WM_TEXT_EDIT* b = make("hello");
  click_at(static_cast<INT_S16>(kBoxX + 20), mid_y(b));
  move_to(static_cast<INT_S16>(kBoxX + kGap + text_width("he")), mid_y(b));
  left_down();
  frame(16);
  EXPECT_EQ(b->cursor, 2);
  b->cursor = 4;  // a repeated focus click would put it back
  frames(3);
  EXPECT_EQ(b->cursor, 4);
  left_up();
  frame(16);

  WM_TEXT_EDIT* c = make("other", 20, 100, 10, 100);
  c->enabled = 0;
  move_to(20, mid_y(c));
  left_down();
  frame(16);
  c->enabled = 1;
  frames(2);
  EXPECT_EQ(wm_focus_object, b);
  left_up();
  frame(16);
}

struct EDIT_CASE {
  const char* text;
  INT_S16 max_length;
  const char* script;
  const char* result;
  INT_S16 cursor, sel_start, sel_end;
};

TEST_F(TextEdit, EditingTable) {
  const EDIT_CASE cases[] = {
      {"hello", 10, "t:X", "X", 1, -1, -1},              // typing replaces the selection
      {"hello", 5, "t:XY", "XY", 2, -1, -1},             // also at the maximum length
      {"hello", 5, "End t:X", "hello", 5, -1, -1},       // at the limit a character is dropped
      {"ab cd", 10, "End C-Left", "ab cd", 2, -1, -1},   // stops right before the space
      {"ab cd", 10, "End C-Left C-Left", "ab cd", 0, -1, -1},
      {"ab cd", 10, "Home C-Right", "ab cd", 2, -1, -1},
      {"ab cd", 10, "Home C-Right C-Right", "ab cd", 5, -1, -1},  // and moves on
      {"ab cd ef", 10, "Home C-Right C-Right", "ab cd ef", 5, -1, -1},
      {"hello", 10, "Home S-Right S-Right", "hello", 2, 0, 2},
      {"hello", 10, "End S-Home", "hello", 0, 5, 0},
      {"hello", 10, "Home S-End", "hello", 5, 0, 5},
      {"hello", 10, "Home S-Right S-Left", "hello", 0, -1, -1},  // equal ends clear
      {"hello", 10, "Home S-Right Right", "hello", 2, -1, -1},
      {"ab cd", 10, "Home C-S-Right", "ab cd", 2, 0, 2},
      {"hello", 10, "Home Delete", "ello", 0, -1, -1},
      {"hello", 10, "End Delete", "hello", 5, -1, -1},
      {"hello", 10, "Home S-Right S-Right Delete", "llo", 0, -1, -1},
      {"hello", 10, "End BS", "hell", 4, -1, -1},
      {"hello", 10, "Home BS", "hello", 0, -1, -1},
      {"hello", 10, "Home Right S-Right S-Right BS", "hlo", 1, -1, -1},
      {"hello", 10, "End ^a", "hello", 5, 0, 5},
      {"hello", 10, "Home S-Right S-Right ^x", "llo", 0, -1, -1},
      {"hello", 10, "End BS BS t:p ^z", "hello", 5, 0, 5},
      {"hello", 10, "Home t:\x01\x1f\x7f", "hello", 0, -1, -1},  // controls and DEL type nothing
      {"", 10, "t:a SP t:b", "a b", 3, -1, -1},
  };
  for (const EDIT_CASE& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " | " + c.script);
    WM_TEXT_EDIT* b = make(c.text, c.max_length);
    b->take_focus();
    run(c.script);
    EXPECT_STREQ(b->text.text, c.result);
    EXPECT_EQ(b->cursor, c.cursor);
    EXPECT_EQ(b->sel_start, c.sel_start);
    EXPECT_EQ(b->sel_end, c.sel_end);
    EXPECT_EQ(keyboard_state.last_keycode, 0);
    root()->remove_child(b, 1, 0);
  }
}

TEST_F(TextEdit, CopyThenPasteIntoAnotherBoxFilteredAndCut) {
  WM_TEXT_EDIT* a = make("a/b c!", 20);
  WM_TEXT_EDIT* b = make("", 4, 100, 10, 100);
  b->char_filter = WM_TEXT_EDIT::filter_file_name;
  a->take_focus();
  run("End ^a ^c");
  char clip[64] = {};
  ASSERT_TRUE(get_clipboard_text(clip, sizeof clip));
  EXPECT_STREQ(clip, "a/b c!");
  b->take_focus();
  run("^v");
  EXPECT_STREQ(b->text.text, "ab c");  // "/" filtered, cut to four
  EXPECT_EQ(b->cursor, 4);
  // Ctrl+C without a selection leaves the clipboard alone; an empty
  // clipboard pastes nothing but still deletes the selection.
  run("End ^c");
  ASSERT_TRUE(get_clipboard_text(clip, sizeof clip));
  EXPECT_STREQ(clip, "a/b c!");
  set_clipboard_text(nullptr);
  run("^a ^v");
  EXPECT_STREQ(b->text.text, "");
  set_clipboard_text("x/y");
  run("^v");
  EXPECT_STREQ(b->text.text, "xy");
}

struct PASTE_CASE {
  const char* clipboard;
  INT_U8 (*filter)(INT_U16);
  INT_S16 max_length;
  const char* result;
};

// Pasting keeps to the typed-character rule: control characters and DEL are
// dropped before the text is cut to the room left.
TEST_F(TextEdit, PasteTable) {
  const PASTE_CASE cases[] = {
      {"PASTE\nLINE", nullptr, 20, "PASTELINE"},
      {"a\r\nb\tc\x1f\x7f" "d", nullptr, 20, "abcd"},
      {"\x01\x02\x03wxyz", nullptr, 4, "wxyz"},  // dropped characters take no room
      {"it\x7fs", WM_TEXT_EDIT::filter_letters, 20, "its"},  // the filter's DEL stays out
      {"new\nfolder", WM_TEXT_EDIT::filter_file_name, 20, "newfolder"},
      {"caf\xe9 ~", nullptr, 20, "caf\xe9 ~"},  // printable and high characters stay
      {"\n\x7f", nullptr, 20, ""},
  };
  for (const PASTE_CASE& c : cases) {
    SCOPED_TRACE(c.clipboard);
    WM_TEXT_EDIT* b = make("", c.max_length);
    b->char_filter = c.filter;
    b->take_focus();
    set_clipboard_text(c.clipboard);
    run("^v");
    EXPECT_STREQ(b->text.text ? b->text.text : "", c.result);
    EXPECT_EQ(b->cursor, static_cast<INT_S16>(strlen(c.result)));
    root()->remove_child(b, 1, 0);
  }
}

TEST_F(TextEdit, SetTextAndShorterMaxLengthLeaveNoSelection) {
  WM_TEXT_EDIT* b = make("longname.txt");
  b->take_focus();
  ASSERT_EQ(b->sel_end, 12);
  b->set_text("x.txt");
  EXPECT_EQ(b->sel_start, -1);
  EXPECT_EQ(b->sel_end, -1);
  type("c");
  EXPECT_STREQ(b->text.text, "x.txtc");
  run("^a");
  b->set_max_length(3);
  EXPECT_STREQ(b->text.text, "x.t");
  EXPECT_EQ(b->sel_start, -1);
  EXPECT_EQ(b->cursor, 3);
  b->set_max_length(0);
  EXPECT_EQ(b->max_length, 3);
}

TEST_F(TextEdit, ReturnActsOnceReleased) {
  WM_TEXT_EDIT* b = make("go");
  b->take_focus();
  key_down(kReturn);
  press_key(kReturn);
  frames(3);
  EXPECT_TRUE(log().empty());
  EXPECT_EQ(keyboard_state.last_keycode, kReturn);  // still pending
  key_up(kReturn);
  frame(16);
  EXPECT_EQ(joined_log(), "return:go/5");
  EXPECT_EQ(keyboard_state.last_keycode, 0);
  EXPECT_EQ(b->return_pressed, 0);
}

TEST_F(TextEdit, NotifyOnChangeReportsEveryEdit) {
  WM_TEXT_EDIT* b = make("ab");
  b->take_focus();
  run("t:x");
  EXPECT_TRUE(log().empty());
  b->notify_on_change = 1;
  run("t:y BS Home Delete End");
  EXPECT_EQ(joined_log(), "change:xy/5 change:x/5 change:/5");
}

TEST_F(TextEdit, PasswordModeKeepsNoSelectionAndIgnoresNavigation) {
  style.ssef |= ssef_te_password;
  WM_TEXT_EDIT* b = make("secret");
  EXPECT_EQ(b->edit_flags & TEXT_EDIT_PASSWORD, TEXT_EDIT_PASSWORD);
  b->take_focus();
  EXPECT_EQ(b->sel_end, 6);
  frame(16);
  EXPECT_EQ(b->sel_start, -1);
  run("Home Left");
  EXPECT_EQ(b->cursor, 6);
  EXPECT_EQ(keyboard_state.last_keycode, 0);
  run("BS t:Z");
  EXPECT_STREQ(b->text.text, "secreZ");
  // Masks never pass the box: 30 characters in a 60-pixel box.
  WM_TEXT_EDIT* narrow = make("", 40, 60, 10, 100);
  narrow->set_text("012345678901234567890123456789");
  redraw_all();
  for (INT_S16 py = 100; py < 100 + narrow->height; ++py)
    for (INT_S16 px = 70; px < 90; ++px) ASSERT_EQ(pixel(px, py), kBackdrop) << px << "," << py;
}

TEST_F(TextEdit, FiltersOverAllCharacters) {
  const std::string marks = " @.-+!$%()_=[]{};:#~";
  for (int c = 0; c < 256; ++c) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    const bool apos_hyphen_del = c == '\'' || c == '-' || c == 127;
    SCOPED_TRACE(c);
    EXPECT_EQ(WM_TEXT_EDIT::filter_letters(static_cast<INT_U16>(c)), letter || apos_hyphen_del);
    EXPECT_EQ(WM_TEXT_EDIT::filter_letters_spaces(static_cast<INT_U16>(c)),
              letter || apos_hyphen_del || c == ' ');
    EXPECT_EQ(WM_TEXT_EDIT::filter_letters_digits(static_cast<INT_U16>(c)),
              letter || digit || apos_hyphen_del || c == ' ');
    EXPECT_EQ(WM_TEXT_EDIT::filter_file_name(static_cast<INT_U16>(c)),
              letter || digit || (c > 0 && marks.find(static_cast<char>(c)) != std::string::npos));
  }
}

TEST_F(TextEdit, ScrolledBoxKeepsTheCursorInViewAndClicksUnderThePointer) {
  WM_TEXT_EDIT* b = make("abcdefghijklmnopqrstuvwxyz", 40, 60);
  const INT_S16 first = b->first_shown_now();
  EXPECT_GT(first, 0);
  EXPECT_LE(b->char_x(b->cursor), kBoxX + 60 - kGap);
  EXPECT_GE(b->char_x(first), kBoxX + kGap);
  b->take_focus();
  // A click just right of the boundary before character first + 2.
  const INT_S16 k = static_cast<INT_S16>(first + 2);
  const INT_S16 at = static_cast<INT_S16>(b->char_x(k) + 1);
  click_at(at, mid_y(b));
  EXPECT_EQ(b->cursor, k);
  // Home scrolls back to the start.
  run("Home");
  EXPECT_EQ(b->first_shown_now(), 0);
}

// Characters that came in one frame are all taken in it, in order, each
// through the filter and up to the maximum length.
TEST_F(TextEdit, EveryCharacterQueuedInAFrameIsTakenInOrder) {
  KEYBOARD::resize_queue(32);
  WM_TEXT_EDIT* b = make("", 8);
  b->notify_on_change = 1;
  b->char_filter = WM_TEXT_EDIT::filter_file_name;
  b->take_focus();
  for (char c : std::string("ab/c\bd efghij")) KEYBOARD::char_event(static_cast<INT_U8>(c));
  frame(16);
  EXPECT_STREQ(b->text.text, "abd efgh");
  EXPECT_EQ(b->cursor, 8);
  EXPECT_EQ(KEYBOARD::pop_char(), 0);
  const std::vector<std::string> want = {"change:a/5", "change:ab/5", "change:abc/5", "change:ab/5",
                                         "change:abd/5", "change:abd /5", "change:abd e/5",
                                         "change:abd ef/5", "change:abd efg/5", "change:abd efgh/5"};
  EXPECT_EQ(log(), want);
}

// What was typed while no box took it is not for the box that takes the
// focus next, whatever its path to the focus.
TEST_F(TextEdit, TypedBeforeTheFocusOrWhileDisabledNeverArrives) {
  WM_TEXT_EDIT* a = make("", 20);
  WM_TEXT_EDIT* b = make("", 20, kBoxWidth, kBoxX, 60);
  // Typed with no box to take it (both disabled, so none has the focus);
  // then one takes the focus and a key follows.
  auto typed_then = [&](const std::function<void()>& focus) {
    a->enabled = b->enabled = 0;
    frame(16);
    ASSERT_EQ(wm_focus_object, nullptr);
    for (char c : std::string("early")) KEYBOARD::char_event(static_cast<INT_U8>(c));
    frame(16);
    a->enabled = b->enabled = 1;
    focus();
    KEYBOARD::char_event('z');
    frame(16);
  };
  typed_then([&] {
    press_key(KEYCODE_TAB);
    frame(16);
  });
  EXPECT_EQ(wm_focus_object, a);
  EXPECT_STREQ(a->text.text, "z");
  typed_then([&] { click_at(static_cast<INT_S16>(kBoxX + 10), mid_y(b)); });
  EXPECT_EQ(wm_focus_object, b);
  EXPECT_STREQ(b->text.text, "z");
  // The focus moving there, as when a dialog opens with it.
  typed_then([&] { a->take_focus(); });
  EXPECT_EQ(wm_focus_object, a);
  EXPECT_STREQ(a->text.text, "z");  // typed over the selected "z"

  // Typed into the focused box as it is disabled: the focus moves on to the
  // other box, and what was typed stays behind.
  a->enabled = 0;
  for (char c : std::string("lost")) KEYBOARD::char_event(static_cast<INT_U8>(c));
  frame(16);
  KEYBOARD::char_event('y');
  frame(16);
  EXPECT_EQ(wm_focus_object, b);
  EXPECT_STREQ(b->text.text, "y");  // over the selection of the focus click
  EXPECT_STREQ(a->text.text, "z");
}

TEST_F(TextEdit, PendingKeyBeforeConstructionIsConsumed) {
  press_key(97);
  make("x");
  EXPECT_EQ(keyboard_state.last_keycode, 0);
  press_key(98);  // Up is no key of the box's
  make("y");
  EXPECT_EQ(keyboard_state.last_keycode, 98);
}

TEST_F(TextEdit, SelectionBandAndCursorPixels) {
  WM_TEXT_EDIT* b = make("    ");  // spaces draw no glyph: the band shows pure
  b->take_focus();
  b->sel_start = 1;
  b->sel_end = 3;
  b->cursor = 4;
  redraw_all();
  const INT_S16 sp = static_cast<INT_S16>(text_width(" "));
  ASSERT_GT(sp, 1);
  const INT_S16 left = static_cast<INT_S16>(kBoxX + kGap);
  const INT_S16 py = static_cast<INT_S16>(kBoxY + kGap + 3);
  // The band runs from one pixel left of boundary 1 to one left of boundary 3.
  EXPECT_EQ(pixel(static_cast<INT_S16>(left + sp - 2), py), kBack);
  EXPECT_EQ(pixel(static_cast<INT_S16>(left + sp - 1), py), kHighlight);
  EXPECT_EQ(pixel(static_cast<INT_S16>(left + 3 * sp - 1), py), kHighlight);
  EXPECT_EQ(pixel(static_cast<INT_S16>(left + 3 * sp), py), kBack);
  // The cursor column at boundary 4, over the font height.
  EXPECT_EQ(pixel(static_cast<INT_S16>(left + 4 * sp), static_cast<INT_S16>(kBoxY + kGap)), kCursor);
  EXPECT_EQ(pixel(static_cast<INT_S16>(left + 4 * sp),
                  static_cast<INT_S16>(kBoxY + kGap + kFontSize - 1)),
            kCursor);
  EXPECT_EQ(pixel(static_cast<INT_S16>(left + 4 * sp + 1), py), kBack);
}

TEST_F(TextEdit, StyleWithoutTextColourDrawsItsCursorInContrast) {
  style.fg_colour = 0;
  style.active_text_colour = 0;
  WM_TEXT_EDIT* b = make("");
  b->take_focus();
  redraw_all();  // no fatal error from the line primitive
  EXPECT_EQ(pixel(static_cast<INT_S16>(kBoxX + kGap), static_cast<INT_S16>(kBoxY + kGap + 2)),
            0xFF000000u);  // black on the white background
}

TEST_F(TextEdit, ZeroWidthWAndMaskCountAsOne) {
  const char* t = "abcdefghij";
  EXPECT_EQ(WM_TEXT_EDIT::first_shown(screen, kFont, kFontSize, kFontSize, t, 10, 30, 0),
            WM_TEXT_EDIT::first_shown(screen, kFont, kFontSize, kFontSize, t, 10, 30, 1));
  EXPECT_EQ(WM_TEXT_EDIT::first_shown(screen, kFont, kFontSize, kFontSize, t, 10, 30, 1), 0);
  EXPECT_EQ(WM_TEXT_EDIT::masks_that_fit(100, 30, 0), 29);
  EXPECT_EQ(WM_TEXT_EDIT::masks_that_fit(10, 30, 0), 10);
  EXPECT_EQ(WM_TEXT_EDIT::masks_that_fit(100, 30, 10), 2);  // 3 * 10 is not below 30
  EXPECT_EQ(WM_TEXT_EDIT::masks_that_fit(5, 0, 10), 0);
  // A box narrower than its gaps shows from no position beyond the end.
  EXPECT_LE(WM_TEXT_EDIT::first_shown(screen, kFont, kFontSize, kFontSize, t, 10, -5, 12), 10);
}

TEST_F(TextEdit, TextCursorShapeWhileThePointerIsOver) {
  static std::vector<int> kinds;
  wm_use_cursor_shapes = 1;
  wm_set_cursor_source = [](INT_U8 kind, INT_U8 defer) -> INT_U8 {
    if (defer) kinds.push_back(kind);
    return 1;
  };
  WM_TEXT_EDIT* b = make("text");
  move_to(static_cast<INT_S16>(kBoxX + 5), mid_y(b));
  frame(16);
  EXPECT_NE(std::find(kinds.begin(), kinds.end(), 5), kinds.end());
  EXPECT_EQ(pm().frame_cursor_kind, 5);
  kinds.clear();
  move_to(static_cast<INT_S16>(kBoxX + kBoxWidth + 20), mid_y(b));
  frame(16);
  EXPECT_EQ(std::find(kinds.begin(), kinds.end(), 5), kinds.end());
  wm_set_cursor_source = nullptr;
}

}  // namespace
