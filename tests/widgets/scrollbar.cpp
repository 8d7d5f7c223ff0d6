// Scrollbar model, layout and input, headless: slider positions, drags,
// track repeat, keys, the wheel target, change reports, construction checks,
// and the 64-bit and range-clamping behaviour.
#include "wm_scrollbar.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../wm/wm_test_env.h"
#include "errors.h"
#include "style_set.h"
#include "test_support.h"

namespace {

const COLOUR kBar = 0xFF404040u, kSlider = 0xFF2060C0u, kButton = 0xFF30A030u,
             kArrow = 0xFFFFFFFFu;

// The bounds are stored raw, so that no clamping of one bound by the other
// gets in the way of the range a test wants.
void put_raw(TYPED_SLOT& slot, INT_U32 tag, INT_S32 v) {
  switch (tag) {
    case TV_S8: slot.s8 = static_cast<INT_S8>(v); break;
    case TV_U8: slot.u8 = static_cast<INT_U8>(v); break;
    case TV_S16: slot.s16 = static_cast<INT_S16>(v); break;
    case TV_U16: slot.u16 = static_cast<INT_U16>(v); break;
    default: slot.s32 = v; break;
  }
}
TYPED_VALUE int_value(INT_S32 v, INT_S32 lo, INT_S32 hi, INT_U32 tag = TV_S32) {
  TYPED_VALUE t;
  t.tag = tag;
  put_raw(t.min, tag, lo);
  put_raw(t.max, tag, hi);
  put_raw(t.value, tag, v);
  return t;
}

struct Env {
  Env() { wmt::make_screen(400, 300); }
};

std::unique_ptr<WM_SCROLLBAR> explicit_bar(TYPED_VALUE* v, INT_U32 orientation, INT_S16 x1,
                                           INT_S16 y1, INT_S16 x2, INT_S16 y2,
                                           INT_S16 slider = 10, INT_S16 button = 15) {
  return std::make_unique<WM_SCROLLBAR>(x1, y1, x2, y2, slider, button, v, orientation, 0, &kBar,
                                        &kSlider, &kButton, &kArrow, 1, nullptr, 0, 0);
}

// One input pass at a frame time with the pointer and left button given.
INT_S32 pass(WM_SCROLLBAR* sb, INT_U32 ms, INT_S16 px, INT_S16 py, bool left) {
  wm_frame_ms = ms;
  wmt::pointer(px, py, left ? 1u : 0u);
  return sb->handle_input();
}

int g_reports = 0;
INT_S32 count_report(WM_SCREEN_OBJECT*, INT_WORD, INT_WORD) {
  ++g_reports;
  return 0;
}

std::vector<std::string> box_texts() {
  std::vector<std::string> out;
  for (const auto& call : zt::message_box_calls()) {
    std::string s;
    for (size_t i = 2; i < call.size(); ++i) s += (i > 2 ? "\n" : "") + call[i];
    out.push_back(s);
  }
  return out;
}

}  // namespace

TEST(ScrollbarLayout, SliderPositionTableBothOrientations) {
  Env env;
  struct Case {
    INT_U32 orientation;
    INT_S32 v;
    INT_S32 expected_p;
  };
  // 100 x 20 horizontal at x 10: track_start 20 (+15 with buttons), length 90 (60).
  // 20 x 100 vertical at y 50: track_start 50 (+15), length 90 (60); max at the top.
  for (const Case& c : std::vector<Case>{{SB_HORIZONTAL, 0, 20},
                                         {SB_HORIZONTAL, 45, 65},
                                         {SB_HORIZONTAL, 90, 110},
                                         {SB_HORIZONTAL, 1, 21},
                                         {SB_HORIZONTAL_BUTTONS, 0, 35},
                                         {SB_HORIZONTAL_BUTTONS, 45, 65},
                                         {SB_HORIZONTAL_BUTTONS, 90, 95},
                                         {SB_VERTICAL, 90, 50},
                                         {SB_VERTICAL, 0, 140},
                                         {SB_VERTICAL, 30, 110},
                                         {SB_VERTICAL_BUTTONS, 90, 65},
                                         {SB_VERTICAL_BUTTONS, 0, 125},
                                         {SB_VERTICAL_BUTTONS, 45, 95}}) {
    TYPED_VALUE v = int_value(c.v, 0, 90);
    auto sb = c.orientation < SB_VERTICAL ? explicit_bar(&v, c.orientation, 10, 50, 109, 69)
                                          : explicit_bar(&v, c.orientation, 10, 50, 29, 149);
    EXPECT_EQ(sb->slider_position(c.v), c.expected_p) << c.orientation << " v " << c.v;
  }
}

TEST(ScrollbarLayout, TrackAndExtentPerOrientation) {
  Env env;
  TYPED_VALUE v = int_value(0, 0, 10);
  auto h = explicit_bar(&v, SB_HORIZONTAL_BUTTONS, 0, 0, 99, 19, 12, 15);
  EXPECT_EQ(h->track_start, 0 + 15 + 12);
  EXPECT_EQ(h->track_length, 100 - 30 - 12);
  EXPECT_EQ(h->get_track_extent(), 70);
  auto v2 = explicit_bar(&v, SB_VERTICAL, 0, 0, 19, 99, 12, 15);
  EXPECT_EQ(v2->track_start, 0);
  EXPECT_EQ(v2->track_length, 88);
  EXPECT_EQ(v2->get_track_extent(), 100);
  v2->set_size(20, 60, 0);
  EXPECT_EQ(v2->track_length, 48);
  v2->set_position(5, 7);
  EXPECT_EQ(v2->track_start, 7);
  EXPECT_EQ(wm_wheel_target, v2.get());  // the newest bar takes the wheel
}

TEST(ScrollbarLayout, EmptyRangeStandsAtTheStartWithoutDividing) {
  Env env;
  TYPED_VALUE v = int_value(5, 0, 10);
  auto sb = explicit_bar(&v, SB_VERTICAL, 0, 0, 19, 99);
  v.max.s32 = 0;  // the owner shrinks the range after construction
  v.value.s32 = 0;
  EXPECT_EQ(sb->slider_position(0), sb->track_start);
  EXPECT_EQ(pass(sb.get(), 0, 10, 50, true), 0);  // a press divides by nothing
  pass(sb.get(), 10, 10, 60, true);
  SUCCEED();
}

TEST(ScrollbarDrag, SnapsWithinOnePixelOfEitherEndAndFollowsTheFormula) {
  Env env;
  // Horizontal, x 0..99, slider 10: track_start 10, length 90, range 0..900.
  TYPED_VALUE v = int_value(0, 0, 900);
  auto sb = explicit_bar(&v, SB_HORIZONTAL, 0, 0, 99, 19);
  // Press on the slider (covers 0..9) at px 5: grab offset = P - c + 1 = 6.
  pass(sb.get(), 0, 5, 10, true);
  EXPECT_EQ(sb->dragging, 1);
  EXPECT_EQ(sb->grab_offset, 6);
  // p = c + 6; to the middle: p = 55 gives 900 x 45 / 90 = 450.
  pass(sb.get(), 10, 49, 10, true);
  EXPECT_EQ(v.get_long(), 450);
  // p = 99 is one pixel from the far end (100): snaps to the maximum.
  pass(sb.get(), 20, 93, 10, true);
  EXPECT_EQ(v.get_long(), 900);
  // p = 98 does not snap: 900 x 88 / 90 = 880.
  pass(sb.get(), 30, 92, 10, true);
  EXPECT_EQ(v.get_long(), 880);
  // Outside the bar the drag goes on; p = 11 snaps to the start.
  pass(sb.get(), 40, 5, 200, true);
  EXPECT_EQ(v.get_long(), 0);
  pass(sb.get(), 50, 5, 10, false);
  EXPECT_EQ(sb->dragging, 0);
}

TEST(ScrollbarDrag, VerticalDragCountsFromTheTop) {
  Env env;
  // Vertical, y 0..99, slider 10: track_start 0, length 90, range 0..90, max at the top.
  TYPED_VALUE v = int_value(90, 0, 90);
  auto sb = explicit_bar(&v, SB_VERTICAL, 0, 0, 19, 99);
  pass(sb.get(), 0, 10, 5, true);  // slider covers 0..9; grab offset 0 - 5 + 1 = -4
  EXPECT_EQ(sb->grab_offset, -4);
  pass(sb.get(), 10, 10, 34, true);  // p = 30: 90 - 90 x 30 / 90 = 60
  EXPECT_EQ(v.get_long(), 60);
  pass(sb.get(), 20, 10, 200, true);  // far below: snaps to the minimum
  EXPECT_EQ(v.get_long(), 0);
}

TEST(ScrollbarRepeat, TrackPressStepsAtOnceAfter500ThenEvery60AndStopsOutside) {
  Env env;
  TYPED_VALUE v = int_value(0, 0, 1000);
  auto sb = explicit_bar(&v, SB_HORIZONTAL, 0, 0, 99, 19);
  sb->page_step = 10;
  pass(sb.get(), 1000, 90, 10, true);  // right of the slider: page up at once
  EXPECT_EQ(v.get_long(), 10);
  EXPECT_EQ(sb->repeat_kind, SB_STEP_PAGE_MORE);
  pass(sb.get(), 1500, 90, 10, true);  // not past 500 ms yet
  EXPECT_EQ(v.get_long(), 10);
  pass(sb.get(), 1501, 90, 10, true);
  EXPECT_EQ(v.get_long(), 20);
  pass(sb.get(), 1561, 90, 10, true);  // 60 ms are not enough
  EXPECT_EQ(v.get_long(), 20);
  pass(sb.get(), 1562, 90, 10, true);
  EXPECT_EQ(v.get_long(), 30);
  pass(sb.get(), 1700, 90, 100, true);  // pointer left the bar: the repeat stops
  EXPECT_EQ(sb->repeat_kind, 0);
  pass(sb.get(), 2500, 90, 100, true);
  EXPECT_EQ(v.get_long(), 30);
  pass(sb.get(), 2600, 5, 10, false);
}

TEST(ScrollbarRepeat, EndButtonsStepALine) {
  Env env;
  TYPED_VALUE v = int_value(50, 0, 100);
  auto sb = explicit_bar(&v, SB_VERTICAL_BUTTONS, 0, 0, 19, 99);
  sb->line_step = 3;
  pass(sb.get(), 0, 10, 5, true);  // more button at the top
  EXPECT_EQ(v.get_long(), 53);
  pass(sb.get(), 10, 10, 5, false);
  pass(sb.get(), 20, 10, 95, true);  // less button at the bottom
  EXPECT_EQ(v.get_long(), 50);
  pass(sb.get(), 30, 10, 95, false);
}

TEST(ScrollbarKeys, TableWithAndWithoutCtrlOnlyWithTheFocus) {
  Env env;
  struct Case {
    bool vertical;
    INT_S32 key;
    bool ctrl;
    INT_S32 expected;
  };
  // Start 50 in 0..100, line step 1, page step 10.
  for (const Case& c : std::vector<Case>{{false, 97, false, 0},   {false, 103, false, 100},
                                         {false, 100, false, 49}, {false, 100, true, 40},
                                         {false, 102, false, 51}, {false, 102, true, 60},
                                         {false, 98, false, 50},  {false, 105, false, 50},
                                         {true, 97, false, 50},   {true, 97, true, 100},
                                         {true, 103, false, 50},  {true, 103, true, 0},
                                         {true, 98, false, 51},   {true, 98, true, 60},
                                         {true, 99, false, 60},   {true, 104, false, 49},
                                         {true, 104, true, 40},   {true, 105, false, 40},
                                         {true, 100, false, 50}}) {
    TYPED_VALUE v = int_value(50, 0, 100);
    auto sb = c.vertical ? explicit_bar(&v, SB_VERTICAL, 0, 0, 19, 99)
                         : explicit_bar(&v, SB_HORIZONTAL, 0, 0, 99, 19);
    sb->page_step = 10;
    sb->focusable = 1;
    wmt::keys_down().clear();
    if (c.ctrl) wmt::keys_down().insert(37);
    // Without the focus the key stays where it is.
    wm_focus_object = nullptr;
    wmt::press_key(c.key);
    pass(sb.get(), 0, 300, 250, false);
    EXPECT_EQ(v.get_long(), 50);
    EXPECT_EQ(keyboard_state.last_keycode, c.key);
    sb->take_focus();
    pass(sb.get(), 10, 300, 250, false);
    EXPECT_EQ(v.get_long(), c.expected) << c.vertical << " key " << c.key << " ctrl " << c.ctrl;
    EXPECT_EQ(keyboard_state.last_keycode, 0);
    wm_focus_object = nullptr;
  }
}

TEST(ScrollbarWheel, TargetMovesToTheBarUnderThePointerDroppingCountedNotches) {
  Env env;
  TYPED_VALUE a = int_value(50, 0, 100), b = int_value(50, 0, 100);
  auto first = explicit_bar(&a, SB_VERTICAL, 0, 0, 19, 99);
  auto second = explicit_bar(&b, SB_VERTICAL, 100, 0, 119, 99);
  EXPECT_EQ(wm_wheel_target, second.get());
  second->wheel_step = 2;
  // Two notches up while the pointer is elsewhere: the target takes them.
  mouse_state.wheel = 2;
  pass(first.get(), 0, 300, 250, false);
  pass(second.get(), 0, 300, 250, false);
  EXPECT_EQ(a.get_long(), 50);
  EXPECT_EQ(b.get_long(), 54);
  EXPECT_EQ(mouse_state.wheel, 0);
  // Counted notches are dropped when the pointer brings the wheel to the first bar.
  mouse_state.wheel = 3;
  pass(first.get(), 10, 10, 50, false);
  EXPECT_EQ(wm_wheel_target, first.get());
  EXPECT_EQ(a.get_long(), 50);
  EXPECT_EQ(mouse_state.wheel, 0);
  mouse_state.wheel = -1;  // one notch down
  pass(first.get(), 20, 10, 50, false);
  pass(second.get(), 20, 10, 50, false);
  EXPECT_EQ(a.get_long(), 49);
  EXPECT_EQ(b.get_long(), 54);
  // A destroyed target leaves no scrollbar with the wheel.
  first.reset();
  EXPECT_EQ(wm_wheel_target, nullptr);
  second.reset();
}

TEST(ScrollbarReports, OwnerChangeReportedOnceInTheNextPass) {
  Env env;
  TYPED_VALUE v = int_value(0, 0, 100);
  auto sb = std::make_unique<WM_SCROLLBAR>(0, 0, 19, 99, 10, 15, &v, SB_VERTICAL, 0, &kBar,
                                           &kSlider, &kButton, &kArrow, 1, count_report, 0, 0);
  g_reports = 0;
  v.set_long(&v.value, 40);
  EXPECT_EQ(sb->shown_value, 0);  // drawn at the old place until the next pass
  EXPECT_EQ(g_reports, 0);
  pass(sb.get(), 0, 300, 250, false);
  EXPECT_EQ(g_reports, 1);
  EXPECT_EQ(sb->shown_value, 40);
  pass(sb.get(), 10, 300, 250, false);
  EXPECT_EQ(g_reports, 1);
  // A disabled bar ignores input but still reports.
  sb->enabled = 0;
  v.set_long(&v.value, 41);
  mouse_state.wheel = 5;
  pass(sb.get(), 20, 10, 50, false);
  EXPECT_EQ(g_reports, 2);
  EXPECT_EQ(v.get_long(), 41);
}

TEST(ScrollbarChecks, WarningsRaiseTheSliderAndWidenTheSide) {
  Env env;
  zt::clear_message_box_calls();
  TYPED_VALUE v = int_value(0, 0, 10);
  auto sb = explicit_bar(&v, SB_VERTICAL, 10, 10, 14, 99, 3);
  EXPECT_EQ(sb->slider_length, 6);
  EXPECT_EQ(sb->width, 11);
  EXPECT_EQ(box_texts(), (std::vector<std::string>{
                             "Warning:\n\nWARNING: 0020:\nScrollbar dimentions are invalid ",
                             "Warning:\n\nWARNING: 0021:\nSlider bar width is invalid "}));
}

TEST(ScrollbarChecks, FatalErrorsWithTheirTexts) {
  struct Case {
    const char* what;
    std::function<void()> make;
    std::string text;
  };
  static TYPED_VALUE range = int_value(0, 0, 10), empty = int_value(3, 3, 3), ptr;
  ptr.tag = TV_POINTER;
  const std::vector<Case> cases = {
      {"buttons too long", [] { explicit_bar(&range, SB_VERTICAL_BUTTONS, 0, 0, 19, 38); },
       "ERROR: 0070:\nSrollbar slew values are invalid "},
      {"min = max", [] { explicit_bar(&empty, SB_VERTICAL, 0, 0, 19, 99); },
       "ERROR: 0070:\nSrollbar slew values are invalid "},
      {"no value", [] { explicit_bar(nullptr, SB_VERTICAL, 0, 0, 19, 99); },
       "ERROR: 0072:\nThe scrollbar slew variable pointer is invalid "},
      {"pointer value", [] { explicit_bar(&ptr, SB_VERTICAL, 0, 0, 19, 99); },
       "ERROR: 0073:\nScrollbar slew variable is of the wrong type "},
      {"orientation 4", [] { explicit_bar(&range, 4, 0, 0, 19, 99); },
       "ERROR: 0074:\nInvalid scrollbar type "}};
  for (const Case& c : cases) {
    zt::clear_message_box_calls();
    auto r = zt::run_in_child([&] {
      Env env;
      c.make();
    });
    EXPECT_EQ(r.status, 255) << c.what;
    auto boxes = box_texts();
    ASSERT_EQ(boxes.size(), 1u) << c.what;
    EXPECT_NE(boxes[0].find(c.text), std::string::npos) << c.what << ": " << boxes[0];
  }
}

TEST(ScrollbarMended, StyleBarTooShortForItsButtonsGoesWithout) {
  Env env;
  WM_STYLE_SET style;
  style.ssef = ssef_sb_with_buttons;  // vertical, slider 10, buttons 15: needs 40 px
  TYPED_VALUE v = int_value(0, 0, 10);
  WM_SCROLLBAR short_bar(0, 0, 14, 38, &v, &style, nullptr, 0, 0);
  EXPECT_EQ(short_bar.orientation, SB_VERTICAL);
  EXPECT_EQ(short_bar.track_length, 39 - 10);
  WM_SCROLLBAR fits(0, 0, 14, 39, &v, &style, nullptr, 0, 0);
  EXPECT_EQ(fits.orientation, SB_VERTICAL_BUTTONS);
  style.ssef = ssef_sb_with_buttons | ssef_sb_horizontal;
  WM_SCROLLBAR short_h(0, 0, 20, 14, &v, &style, nullptr, 0, 0);
  EXPECT_EQ(short_h.orientation, SB_HORIZONTAL);
}

TEST(ScrollbarMended, FullRangeValuePlacedAndDraggedRight) {
  Env env;
  TYPED_VALUE v = int_value(0, INT_MIN, INT_MAX);
  // Horizontal x 0..99, slider 10: track 10..100.
  auto sb = explicit_bar(&v, SB_HORIZONTAL, 0, 0, 99, 19);
  EXPECT_EQ(sb->slider_position(INT_MIN), 10);
  EXPECT_EQ(sb->slider_position(INT_MAX), 100);
  EXPECT_EQ(sb->slider_position(0), 55);  // 2^31 x 90 / (2^32 - 1) = 45
  // Drag from the slider (covers 45..54 at value 0) to p = 40 of 90.
  pass(sb.get(), 0, 50, 10, true);
  EXPECT_EQ(sb->grab_offset, 55 - 50 + 1);
  pass(sb.get(), 10, 44, 10, true);  // p = 50: min + (2^32 - 1) x 40 / 90
  EXPECT_EQ(v.get_long(), static_cast<INT_S32>(INT_MIN + 4294967295LL * 40 / 90));
  pass(sb.get(), 20, 98, 10, true);  // past the end: the maximum
  EXPECT_EQ(v.get_long(), INT_MAX);
}

TEST(ScrollbarMended, NarrowValuesSteppedPastTheirLimitAreClamped) {
  Env env;
  struct Case {
    INT_U32 tag;
    INT_S32 lo, hi, start, page, wheel, expected;
  };
  for (const Case& c : std::vector<Case>{{TV_U8, 0, 255, 250, 10, 0, 255},
                                         {TV_U8, 0, 255, 5, -10, 0, 0},
                                         {TV_U8, 0, 255, 250, 0, 20, 255},
                                         {TV_S8, -128, 127, 120, 10, 0, 127},
                                         {TV_S8, -128, 127, -120, -10, 0, -128},
                                         {TV_S16, -32768, 32767, 32760, 10, 0, 32767},
                                         {TV_S16, -32768, 32767, 32760, 0, 3, 32767},
                                         {TV_U16, 0, 65535, 65530, 0, 10, 65535}}) {
    TYPED_VALUE v = int_value(c.start, c.lo, c.hi, c.tag);
    auto sb = explicit_bar(&v, SB_HORIZONTAL, 0, 0, 99, 19);
    if (c.page) {
      // A page step through a press right of the slider (or left for a negative step).
      sb->page_step = c.page > 0 ? c.page : -c.page;
      sb->focusable = 1;
      sb->take_focus();
      wmt::press_key(102);
      if (c.page < 0) wmt::press_key(100);
      wmt::keys_down().insert(37);
      pass(sb.get(), 0, 300, 250, false);
      wmt::keys_down().clear();
    } else {
      sb->wheel_step = 10;
      mouse_state.wheel = c.wheel;
      pass(sb.get(), 0, 300, 250, false);
    }
    EXPECT_EQ(v.get_long(), c.expected) << c.tag << " from " << c.start;
  }
}
