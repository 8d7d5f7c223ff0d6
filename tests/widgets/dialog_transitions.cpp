// Dialog transitions: slide timings, fades, closing, moves and hides in
// mid-slide, and the blending render.
#include "dialog_test_env.h"
#include "wm_button.h"

using namespace dgt;

namespace {

const DIALOG_EFFECTS kFades = {0x3, 300, 1000, 192};
// Slides in from its own height above (no screen edge), out the same way.
const DIALOG_EFFECTS kRelativeSlide = {0x70, 300, 1000, 192};

// The channel mix of the blend rule at opacity a, per channel.
COLOUR mix(COLOUR under, COLOUR over, INT_U32 a) {
  COLOUR out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const INT_S32 u = (under >> shift) & 0xFF, o = (over >> shift) & 0xFF;
    out |= static_cast<COLOUR>(u + (o - u) * static_cast<INT_S32>(a) / 255) << shift;
  }
  return out;
}

bool near(COLOUR a, COLOUR b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d > tolerance || d < -tolerance) return false;
  }
  return true;
}

}  // namespace

// Built-in effects: opaque at once, in from above the screen's top edge over
// 300 ms, then out the same way and hidden; deleted when asked.
TEST_F(DialogTest, DefaultEffectsSlideFromTheTopEdge) {
  WM_DIALOG* d = make(50, 60, 100, 80, "T", nullptr);
  EXPECT_EQ(d->alpha, 255);
  EXPECT_EQ(d->x, 50);
  EXPECT_EQ(d->y, -80);
  EXPECT_EQ(d->get_y(), 60);  // the resting position
  EXPECT_EQ(d->caption->y, -79);

  EXPECT_EQ(tick(d, 0), WM_ACTION_HANDLED);  // first step: the clock starts
  EXPECT_EQ(d->y, -80);
  EXPECT_EQ(tick(d, 75), 0);  // every second update only
  EXPECT_EQ(d->y, -80);
  EXPECT_EQ(tick(d, 75), WM_ACTION_HANDLED);  // +150: halfway
  EXPECT_EQ(d->y, -10);
  EXPECT_EQ(d->alpha, 255);
  tick(d, 0);
  EXPECT_EQ(tick(d, 149), WM_ACTION_HANDLED);  // +299
  EXPECT_EQ(d->y, 59);
  tick(d, 0);
  EXPECT_EQ(tick(d, 1), WM_ACTION_HANDLED);  // +300: at rest
  EXPECT_EQ(d->y, 60);
  EXPECT_EQ(d->client_area->y, 60 + d->caption_height());
  tick(d, 0);
  EXPECT_EQ(tick(d, 100), 0);  // nothing runs any more
  EXPECT_EQ(d->visible, 1);

  d->close(1);
  EXPECT_EQ(d->alpha, 255);  // no fade-out bit: opaque all the way
  EXPECT_EQ(d->target_alpha, 255);
  EXPECT_EQ(d->get_y(), 60);
  EXPECT_EQ(tick(d, 0), WM_ACTION_HANDLED);
  tick(d, 0);
  EXPECT_EQ(tick(d, 150), WM_ACTION_HANDLED);
  EXPECT_EQ(d->y, -10);
  tick(d, 0);
  EXPECT_EQ(tick(d, 150), WM_ACTION_DELETE);  // arrived, hidden, to be deleted
  EXPECT_EQ(d->visible, 0);
  EXPECT_EQ(d->y, 60);  // back at its resting position
  delete d;
}

TEST_F(DialogTest, ClosedWithoutDeleteStaysAndReopens) {
  WM_DIALOG* d = open(make(50, 60, 100, 80, "T", nullptr));
  frames(40);
  EXPECT_EQ(d->y, 60);
  d->close(0);
  frames(40);
  EXPECT_TRUE(is_popup(d));
  EXPECT_EQ(d->visible, 0);
  EXPECT_EQ(d->y, 60);
  // Shown again, its first render opens it again from the top edge.
  d->show();
  frame();
  EXPECT_LT(d->y, 60);
  frames(40);
  EXPECT_EQ(d->y, 60);
  EXPECT_EQ(d->visible, 1);
}

TEST_F(DialogTest, FadesInAndOutWithBlendedPixels) {
  WM_DIALOG* d = open(make(40, 40, 120, 100, nullptr, &kFades));
  PROBE* content = new PROBE("content", 0, 0, 10, 10);
  d->add_child(content, 1);
  EXPECT_EQ(d->alpha, 0);
  // The first frame renders (which opens it), then takes the first step.
  EXPECT_EQ(frame(), WM_ACTION_HANDLED);
  EXPECT_EQ(d->alpha, 0);
  EXPECT_EQ(pixel(100, 90), kBackdrop);  // alpha 0 paints nothing
  EXPECT_EQ(frame(75), 0);  // a step on every second update only
  EXPECT_EQ(d->alpha, 0);
  EXPECT_EQ(frame(75), WM_ACTION_HANDLED);
  EXPECT_NEAR(d->alpha, 127, 1);
  EXPECT_TRUE(near(pixel(100, 90), mix(kBackdrop, kFrame, d->alpha), 2))
      << std::hex << pixel(100, 90) << " " << mix(kBackdrop, kFrame, d->alpha);
  step_frame(150);
  EXPECT_EQ(d->alpha, 255);
  EXPECT_EQ(pixel(100, 90), kFrame);

  d->close(1);
  EXPECT_EQ(d->target_alpha, 0);
  EXPECT_EQ(d->alpha, 255);  // fading out
  const int inputs = content->inputs;
  ASSERT_GT(inputs, 0);
  step_frame(0);
  step_frame(150);
  EXPECT_NEAR(d->alpha, 127, 1);
  // While closing a press on the frame starts no drag, whose fade to the
  // dragging opacity would bring the dialog back.
  pointer(100, 90, 1);
  frame(0);
  EXPECT_EQ(d->dragging, 0);
  EXPECT_EQ(content->inputs, inputs);  // the content ignores input while fading out
  pointer(100, 90, 0);
  for (int i = 0; i < 40 && is_popup(d); ++i) frame(16);
  EXPECT_FALSE(is_popup(d));
  EXPECT_EQ(pixel(100, 90), kBackdrop);
}

TEST_F(DialogTest, AlphaZeroPaintsNothing) {
  const DIALOG_EFFECTS fade_in = {0x1, 300, 1000, 192};
  WM_DIALOG* d = open(make(40, 40, 120, 100, "T", &fade_in));
  PROBE* content = new PROBE("c", 5, 5, 20, 20);
  d->add_child(content, 1);
  frame();
  redraw_all();
  EXPECT_EQ(d->alpha, 0);
  EXPECT_EQ(content->draws, 0);
  EXPECT_EQ(pixel(100, 90), kBackdrop);
  EXPECT_EQ(d->drawn, 1);
}

TEST_F(DialogTest, InstantCloseHidesOnTheNextUpdate) {
  WM_DIALOG* d = make(50, 60, 100, 80, "T", nullptr);
  d->immediate = 1;
  d->delete_when_closed = 1;
  d->set_fade(0);
  d->start_transition(0);
  d->immediate = 0;
  EXPECT_EQ(d->alpha, 0);
  EXPECT_EQ(d->y, 60);  // the opening slide was finished, no closing slide
  EXPECT_EQ(tick(d, 0), WM_ACTION_DELETE);
  EXPECT_EQ(d->visible, 0);
  delete d;

  // The page manager's action 3 does the same through its frame.
  WM_DIALOG* e = open(make(50, 60, 100, 80, "T", nullptr));
  PROBE* c = new PROBE("content", 0, 0, 5, 5);
  e->add_child(c, 1);
  pm().close_dialogs(1);
  frame();
  EXPECT_FALSE(is_popup(e));
  EXPECT_EQ(joined_log(), "~content");
}

TEST_F(DialogTest, HideInMidSlideSettlesAtRest) {
  WM_DIALOG* d = make(50, 60, 100, 80, "T", nullptr);
  tick(d, 0);
  tick(d, 0);
  tick(d, 150);
  ASSERT_EQ(d->y, -10);
  d->hide(0, 0);
  EXPECT_EQ(d->visible, 0);
  EXPECT_EQ(d->y, 60);
  EXPECT_EQ(d->from_y, 60);
  EXPECT_EQ(d->to_y, 60);
  EXPECT_EQ(d->client_area->y, 60 + d->caption_height());
  delete d;
}

TEST_F(DialogTest, MoveInMidSlideShiftsTheSlide) {
  WM_DIALOG* d = make(50, 60, 100, 80, "T", &kRelativeSlide);
  EXPECT_EQ(d->y, -20);  // its own height above
  tick(d, 0);
  tick(d, 0);
  tick(d, 150);
  ASSERT_EQ(d->y, 20);
  d->set_position(70, 100);  // opening: start and end move by (20, 40)
  EXPECT_EQ(d->x, 70);
  EXPECT_EQ(d->y, 60);
  EXPECT_EQ(d->from_y, 20);
  EXPECT_EQ(d->to_x, 70);
  EXPECT_EQ(d->to_y, 100);
  EXPECT_EQ(d->get_x(), 70);
  tick(d, 0);
  tick(d, 75);  // +225
  EXPECT_EQ(d->y, 80);
  tick(d, 0);
  tick(d, 75);
  EXPECT_EQ(d->y, 100);

  // Closing: the resting end is `from`; a move shifts both ends.
  d->close(0);
  step(d, 0);
  step(d, 150);
  ASSERT_EQ(d->y, 60);
  d->set_position(70, 110);
  EXPECT_EQ(d->y, 70);
  EXPECT_EQ(d->to_y, 30);
  EXPECT_EQ(d->get_y(), 110);
  // A resize in mid-slide moves the start with the new height.
  d->set_size(100, 60, 0);
  EXPECT_EQ(d->from_y, 110 + 80 - 60);
  delete d;
}

TEST_F(DialogTest, ScreenEdgeSlidesFromEachSide) {
  struct Case {
    INT_U32 flags;
    INT_S16 from_x, from_y;
  } cases[] = {
      {0x450, 50, -80},   // top
      {0x490, -100, 60},  // left
      {0x510, 50, 240},   // bottom: the screen height
      {0x610, 320, 60},   // right: the screen width
      {0x4D0, -100, -80}, // top and left
      {0x550, 50, -80},   // top wins over bottom
      {0x110, 50, 140},   // bottom by its own height
      {0x210, 150, 60},   // right by its own width
      {0x290, -50, 60},   // left wins over right
  };
  for (const Case& c : cases) {
    const DIALOG_EFFECTS fx = {c.flags, 300, 1000, 192};
    WM_DIALOG* d = make(50, 60, 100, 80, "T", &fx);
    EXPECT_EQ(d->x, c.from_x) << std::hex << c.flags;
    EXPECT_EQ(d->y, c.from_y) << std::hex << c.flags;
    delete d;
  }
}

TEST_F(DialogTest, DragFadeTimings) {
  const DIALOG_EFFECTS fx = {0xC, 300, 1000, 100};
  WM_DIALOG* d = make(50, 60, 100, 80, "T", &fx);
  d->set_fade(100);
  EXPECT_EQ(d->alpha, 255);
  EXPECT_EQ(d->transition_ms, 1000u);
  step(d, 0);
  step(d, 500);
  EXPECT_EQ(d->alpha, 255 - 155 * 500 / 1000);
  d->immediate = 1;
  d->set_fade(255);
  d->immediate = 0;
  EXPECT_EQ(d->alpha, 255);
  // Without the two bits the change is immediate.
  d->effects.flags = 0;
  d->set_fade(100);
  EXPECT_EQ(d->alpha, 100);
  // A duration of 0 ends the fade at its first step.
  d->effects.flags = 0x8;
  d->effects.display_delay = 0;
  d->set_fade(200);
  EXPECT_EQ(d->alpha, 100);
  step(d, 0);
  EXPECT_EQ(d->alpha, 200);
  // Long durations do not overflow the interpolation.
  d->effects.display_delay = 4000000000u;
  d->set_fade(250);
  step(d, 0);
  step(d, 2000000000u);
  EXPECT_EQ(d->alpha, 225);
  delete d;
}

// During a fade, drawing done earlier in the frame away from the dialog is
// still presented: the screen's dirty rectangle keeps it.
TEST_F(DialogTest, FadingRenderKeepsTheFramesDirtyRectangle) {
  WM_DIALOG* d = open(make(10, 10, 60, 50, "T", &kFades));
  frame();
  d->alpha = 127;
  d->target_alpha = 255;
  ASSERT_EQ(d->drawn, 1);
  screen->dirty_left = screen->dirty_top = screen->dirty_right = screen->dirty_bottom = 65535;
  const COLOUR white = 0xFFFFFFFFu;
  screen->fill_rect(200, 150, 220, 170, &white, 0);  // earlier drawing of the frame
  wm_dirty_rects[0] = DIRTY_RECT{150, 200, 220, 170};
  wm_dirty_rect_count = 1;
  wm_drawn_dirty_rect = 0;
  d->render();  // the redraw rectangle misses the dialog
  wm_drawn_dirty_rect = -1;
  wm_dirty_rect_count = 0;
  ASSERT_TRUE(screen->has_dirty_area());
  EXPECT_LE(screen->dirty_left, 200);
  EXPECT_LE(screen->dirty_top, 150);
  EXPECT_GE(screen->dirty_right, 220);
  EXPECT_GE(screen->dirty_bottom, 170);
  // A redraw rectangle on the dialog adds the dialog and keeps the rest.
  screen->dirty_left = screen->dirty_top = screen->dirty_right = screen->dirty_bottom = 65535;
  screen->add_dirty_rect(200, 150, 220, 170);
  wm_dirty_rects[0] = DIRTY_RECT{0, 0, 319, 239};
  wm_dirty_rect_count = 1;
  wm_drawn_dirty_rect = 0;
  d->render();
  wm_drawn_dirty_rect = -1;
  wm_dirty_rect_count = 0;
  EXPECT_EQ(screen->dirty_left, 10);
  EXPECT_EQ(screen->dirty_top, 10);
  EXPECT_EQ(screen->dirty_right, 220);
  EXPECT_EQ(screen->dirty_bottom, 170);
}

namespace {

int page_clicks = 0;
INT_S32 count_page_click(WM_SCREEN_OBJECT*, INT_WORD, INT_WORD) {
  ++page_clicks;
  return 0;
}

bool action3_due = false;
INT_S32 page_process() {
  if (!action3_due) return 0;
  action3_due = false;
  return PAGE_ACTION_CLOSE_DIALOGS;
}

}  // namespace

// Closes that find nothing (more) to slide: a second close or the page
// manager's action 3 while a screen-edge closing slide runs, and effects
// that ask for a closing slide in no direction. Each ends within a bounded
// number of frames, hidden (deleted when asked), and the page button under
// the dialog then gets the click it could not get while the dialog was up.
TEST_F(DialogTest, ClosesThatFindNothingToSlideStillEnd) {
  enum HOW { SECOND_CLOSE, ACTION_3, ONE_CLOSE };
  struct Case {
    const char* name;
    INT_U32 flags;
    HOW how;
    INT_U8 destroy;
  } cases[] = {
      {"second close(0)", 0x047C, SECOND_CLOSE, 0},
      {"second close(1)", 0x047C, SECOND_CLOSE, 1},
      {"action 3 during the closing slide", 0x047C, ACTION_3, 0},
      {"slide bit, no direction", 0x20, ONE_CLOSE, 1},
      {"both slide bits, no direction", 0x30, ONE_CLOSE, 1},
      {"no direction, kept", 0x30, ONE_CLOSE, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log().clear();
    page_clicks = 0;
    const COLOUR face = 0xFFC0C0C0u, ink = 0xFF000000u;
    WM_BUTTON* page_button = add(new WM_BUTTON(80, 90, 159, 119, &face, &ink, "Page", 0, 0, 15,
                                               count_page_click, 0, 0, 1, BUTTON_EVENT_RELEASE));
    const DIALOG_EFFECTS fx = {c.flags, 300, 1000, 192};
    WM_DIALOG* d = open(make(50, 60, 200, 100, "T", &fx));
    d->add_child(new PROBE("content", 0, 0, 5, 5), 1);
    frames(40);
    ASSERT_EQ(d->y, 60);
    ASSERT_EQ(d->visible, 1);

    d->close(c.destroy);
    if (c.how != ONE_CLOSE) {
      frames(4);
      ASSERT_LT(d->y, 60);  // on its way up
      if (c.how == SECOND_CLOSE) {
        d->close(c.destroy);
      } else {
        pm().areas[0].history[pm().areas[0].current].process = page_process;
        action3_due = true;
      }
    }
    const bool deleted = c.destroy || c.how == ACTION_3;
    int n = 0;
    while (n < 60 && (deleted ? is_popup(d) : d->visible != 0)) {
      frame(16);
      ++n;
    }
    EXPECT_LT(n, 60);
    if (deleted) {
      EXPECT_FALSE(is_popup(d));
      EXPECT_EQ(joined_log(), "~content");
    } else {
      EXPECT_EQ(d->visible, 0);
      EXPECT_EQ(d->y, 60);  // hidden at its resting position
    }

    click(100, 100);
    EXPECT_EQ(page_clicks, 1);
    pm().areas[0].history[pm().areas[0].current].process = nullptr;
    if (!deleted) root()->remove_popup(d, 1, 0);
    root()->remove_child(page_button, 1, 0);
  }
}

// A content callback that hides its dialog: shown again, the dialog opens
// again, and its content takes input.
namespace {
WM_DIALOG* hidden_dialog = nullptr;
INT_S32 hide_dialog(WM_SCREEN_OBJECT*, INT_WORD, INT_WORD) {
  hidden_dialog->hide(0, 0);
  return 0;
}
}  // namespace

TEST_F(DialogTest, HiddenByItsContentOpensAgainWhenShown) {
  WM_DIALOG* d = hidden_dialog = open(make(50, 60, 200, 100, "T", nullptr));
  const COLOUR face = 0xFFC0C0C0u, ink = 0xFF000000u;
  WM_BUTTON* b = new WM_BUTTON(10, 10, 89, 39, &face, &ink, "Hide", 0, 0, 15, hide_dialog, 0, 0,
                               1, BUTTON_EVENT_RELEASE);
  d->add_child(b, 1);
  frames(40);
  ASSERT_EQ(d->y, 60);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    click(static_cast<INT_S16>(b->x + 5), static_cast<INT_S16>(b->y + 5));
    EXPECT_EQ(d->visible, 0);
    frames(40);
    d->show();
    frames(40);
    EXPECT_EQ(d->visible, 1);
    EXPECT_EQ(d->y, 60);
    EXPECT_EQ(d->alpha, 255);
  }
}

// While a dialog slides away its content takes no input: a click on its
// button as it goes calls nothing.
TEST_F(DialogTest, ContentTakesNoInputWhileClosing) {
  page_clicks = 0;
  WM_DIALOG* d = open(make(50, 60, 200, 100, "T", nullptr));
  const COLOUR face = 0xFFC0C0C0u, ink = 0xFF000000u;
  WM_BUTTON* b = new WM_BUTTON(10, 10, 189, 79, &face, &ink, "Go", 0, 0, 15, count_page_click, 0,
                               0, 1, BUTTON_EVENT_RELEASE | BUTTON_EVENT_PRESS);
  d->add_child(b, 1);
  frames(40);
  d->close(0);
  frame(16);
  move_to(static_cast<INT_S16>(b->x + 90), static_cast<INT_S16>(b->y + 30));
  for (int i = 0; i < 2; ++i) {
    left_down();
    frame(0);
    frame(0);
    left_up();
    frame(0);
    frame(0);
  }
  EXPECT_EQ(page_clicks, 0);
}

// The page manager's action 3 while the user drags a fading dialog: letting
// go does not bring it back, it fades out and is deleted.
TEST_F(DialogTest, ClosedWhileDraggedStillEnds) {
  const DIALOG_EFFECTS fades = {0xF, 300, 1000, 192};
  WM_DIALOG* d = open(make(50, 60, 200, 100, "T", &fades));
  frames(40);
  ASSERT_EQ(d->alpha, 255);
  move_to(60, 64);  // on the frame's caption
  frame(16);
  left_down();
  frames(2);
  move_to(70, 70);
  frames(2);
  ASSERT_EQ(d->dragging, 1);
  pm().close_dialogs(0);
  frames(2);
  left_up();
  frame(16);
  EXPECT_EQ(d->target_alpha, 0);  // no fade back up
  int n = 0;
  for (; n < 200 && is_popup(d); ++n) frame(16);
  EXPECT_LT(n, 200);
  EXPECT_FALSE(is_popup(d));
}
