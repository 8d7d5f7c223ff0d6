// The image widget: its size from the picture, rescaling, the click point
// and the focus key standing in for the pointer.
#include "../wm/wm_test_env.h"
#include "wm_image_widget.h"

using namespace wmt;

namespace {

const COLOUR kRed = 0xFFFF0000u, kBackground = 0xFF000000u;
const INT_S32 kReturn = 36;

struct Call {
  INT_S16 x, y;
};
std::vector<Call>& calls() {
  static std::vector<Call> c;
  return c;
}
INT_S32 record_click(WM_SCREEN_OBJECT* object, INT_WORD, INT_WORD) {
  WM_IMAGE* image = static_cast<WM_IMAGE*>(object);
  calls().push_back({image->click_x, image->click_y});
  return 0;
}

class ImageWidget : public ::testing::Test {
 protected:
  void SetUp() override {
    make_screen(320, 200, kBackground);
    wm_dirty_rect_count = 0;
  }
  static void fill(IMAGE& picture, INT_S16 w, INT_S16 h) {
    picture.create(w, h);
    picture.clear(&kRed, 1);
  }
};

}  // namespace

// Unset sizes (0 or -1) take the picture's size in the first redraw, and the
// picture shows at the widget's place.
TEST_F(ImageWidget, FirstDrawTakesThePictureSize) {
  PAGE_MANAGER pm(1, -1);
  const struct {
    INT_S16 w, h;
  } cases[] = {{-1, -1}, {0, 0}, {0, 40}, {40, -1}};
  for (const auto& c : cases) {
    WM_IMAGE* image = new WM_IMAGE(5, 6, c.w, c.h, 1, nullptr, 0, 0, IMAGE_CLICK_RELEASE);
    fill(image->picture, 32, 24);
    pm.areas[0].manager.add_child(image, 0);
    add_screen_dirty_rect(nullptr, 0, 0, 319, 199);
    pm.redraw();
    EXPECT_EQ(image->width, 32) << c.w << "x" << c.h;
    EXPECT_EQ(image->height, 24) << c.w << "x" << c.h;
    EXPECT_EQ(pixel(5, 6), kRed);
    EXPECT_EQ(pixel(36, 29), kRed);
    EXPECT_EQ(pixel(37, 29), kBackground);
    EXPECT_EQ(pixel(36, 30), kBackground);
    pm.areas[0].manager.remove_child(image, 1, 0);
    get_screen_image(0)->clear(&kBackground, 1);
  }
}

// A widget of its own size scales the picture to it when drawn, and again on
// every change of size; the same size changes nothing.
TEST_F(ImageWidget, PictureFollowsTheWidgetSize) {
  WM_IMAGE image(10, 10, 100, 50, 1, nullptr, 0, 0, IMAGE_CLICK_RELEASE);
  fill(image.picture, 32, 32);
  image.draw();
  EXPECT_EQ(image.picture.width, 100);
  EXPECT_EQ(image.picture.height, 50);
  EXPECT_EQ(pixel(10, 10), kRed);
  EXPECT_EQ(pixel(109, 59), kRed);
  EXPECT_EQ(pixel(110, 59), kBackground);
  wm_dirty_rect_count = 0;
  image.set_size(100, 50, 0);
  EXPECT_EQ(wm_dirty_rect_count, 0);
  image.set_size(60, 40, 0);
  EXPECT_EQ(image.picture.width, 60);
  EXPECT_EQ(image.picture.height, 40);
  // An empty picture is made at the widget's size, transparent.
  WM_IMAGE blank(200, 10, 20, 10, 1, nullptr, 0, 0, IMAGE_CLICK_RELEASE);
  blank.draw();
  EXPECT_EQ(blank.picture.width, 20);
  EXPECT_EQ(pixel(205, 15), kBackground);
}

// The click point is relative to the widget while the callback runs and -1
// after. There is no armed state: a press outside and a release inside fire.
TEST_F(ImageWidget, ClickPointAndEvents) {
  const struct {
    INT_U8 events;
    bool press_inside;
    size_t expected;
  } cases[] = {
      {IMAGE_CLICK_RELEASE, true, 1},
      {IMAGE_CLICK_RELEASE, false, 1},
      {IMAGE_CLICK_PRESS, true, 1},
      {IMAGE_CLICK_PRESS, false, 0},
      {IMAGE_CLICK_PRESS | IMAGE_CLICK_RELEASE, true, 2},
  };
  for (const auto& c : cases) {
    WM_IMAGE image(20, 30, 40, 20, 1, record_click, 0, 0, c.events);
    calls().clear();
    pointer(c.press_inside ? 25 : 5, c.press_inside ? 33 : 5, 0);
    image.handle_input();
    pointer(c.press_inside ? 25 : 5, c.press_inside ? 33 : 5, 1);
    image.handle_input();
    pointer(27, 36, 1);
    image.handle_input();  // held: no change, no event
    pointer(27, 36, 0);
    image.handle_input();
    ASSERT_EQ(calls().size(), c.expected) << int(c.events) << c.press_inside;
    EXPECT_EQ(image.click_x, -1);
    EXPECT_EQ(image.click_y, -1);
    if (c.expected == 0) continue;
    const Call& last = calls().back();
    if (c.events & IMAGE_CLICK_RELEASE) {
      EXPECT_EQ(last.x, 7);
      EXPECT_EQ(last.y, 6);
    } else {
      EXPECT_EQ(last.x, 5);
      EXPECT_EQ(last.y, 3);
    }
  }
  // Repeat while held: every pass held over the widget is a press.
  WM_IMAGE held(20, 30, 40, 20, 1, record_click, 0, 0, IMAGE_CLICK_PRESS);
  held.repeat_while_held = 1;
  calls().clear();
  pointer(25, 35, 1);
  for (int i = 0; i < 3; ++i) held.handle_input();
  EXPECT_EQ(calls().size(), 3u);
}

// The focus key stands in for the pointer for as long as it is held: a press
// when it goes down and a release when it comes up, at the centre, whatever
// the pointer does meanwhile; hover is left alone until the key is up.
TEST_F(ImageWidget, FocusKeyActsAsTheButtonWhileHeld) {
  const struct {
    INT_U8 events;
    size_t at_down, at_up;
  } cases[] = {
      {IMAGE_CLICK_PRESS, 1, 0},
      {IMAGE_CLICK_RELEASE, 0, 1},
      {IMAGE_CLICK_PRESS | IMAGE_CLICK_RELEASE, 1, 1},
  };
  for (const auto& c : cases) {
    WM_IMAGE image(20, 30, 40, 20, 1, record_click, 0, 0, c.events);
    image.focusable = 1;
    image.take_focus();
    calls().clear();
    keys_down().clear();
    pointer(25, 35, 0);  // over the widget: hover on
    image.handle_input();
    ASSERT_EQ(image.hover, 1);

    keys_down().insert(kReturn);
    image.handle_input();
    EXPECT_EQ(calls().size(), c.at_down) << int(c.events);
    // Held: the pointer leaves, presses and releases elsewhere and over the
    // widget; nothing fires and hover stays.
    const struct {
      INT_S16 x, y;
      INT_U32 buttons;
    } moves[] = {{200, 150, 0}, {200, 150, 1}, {30, 40, 1}, {30, 40, 0}, {200, 150, 0}};
    for (const auto& m : moves) {
      pointer(m.x, m.y, m.buttons);
      image.handle_input();
    }
    EXPECT_EQ(calls().size(), c.at_down) << int(c.events);
    EXPECT_EQ(image.hover, 1);

    keys_down().clear();
    image.handle_input();
    ASSERT_EQ(calls().size(), c.at_down + c.at_up) << int(c.events);
    for (const Call& call : calls()) {
      EXPECT_EQ(call.x, 20);
      EXPECT_EQ(call.y, 10);
    }
    image.handle_input();  // the key is up: the pointer is followed again
    EXPECT_EQ(image.hover, 0);
    EXPECT_EQ(calls().size(), c.at_down + c.at_up);
  }
}

// Without the focus the key does nothing; a hover colour shows over the
// picture while hovered.
TEST_F(ImageWidget, KeyNeedsTheFocusAndHoverFills) {
  WM_IMAGE image(20, 30, 40, 20, 1, record_click, 0, 0, IMAGE_CLICK_PRESS);
  fill(image.picture, 40, 20);
  image.hover_colour = 0xFF00FF00u;
  calls().clear();
  keys_down().insert(kReturn);
  pointer(200, 150, 0);
  image.handle_input();
  EXPECT_TRUE(calls().empty());
  image.draw();
  EXPECT_EQ(pixel(30, 40), kRed);
  pointer(30, 40, 0);
  image.handle_input();
  EXPECT_EQ(image.hover, 1);
  image.draw();
  EXPECT_EQ(pixel(30, 40), 0xFF00FF00u);
}

// A button change over the widget that is no event asks the page manager
// for the hand cursor.
INT_U8 record_cursor(INT_U8 kind, INT_U8 defer) {
  log().push_back("cursor" + std::to_string(kind) + "/" + std::to_string(defer));
  return 1;
}
TEST_F(ImageWidget, HandCursorOnAChangeThatIsNoEvent) {
  PAGE_MANAGER pm(1, -1);
  wm_set_cursor_source = record_cursor;
  wm_use_cursor_shapes = 1;
  WM_IMAGE image(20, 30, 40, 20, 1, record_click, 0, 0, IMAGE_CLICK_RELEASE);
  image.hand_cursor = 1;
  calls().clear();
  log().clear();
  pointer(25, 35, 0);
  image.handle_input();
  pointer(25, 35, 1);
  image.handle_input();
  EXPECT_EQ(pm.frame_cursor_kind, 1);
  EXPECT_EQ(joined_log(), "cursor1/1");
  pointer(25, 35, 0);
  image.handle_input();
  EXPECT_EQ(calls().size(), 1u);
  EXPECT_EQ(joined_log(), "cursor1/1");
}

// A picture that keeps its aspect is scaled to fit and centred; the border
// and the hover fill frame the picture, never the space beside it.
TEST_F(ImageWidget, KeptAspectIsCentredAndFramedAsDrawn) {
  const COLOUR kGreen = 0xFF00FF00u;
  WM_IMAGE image(10, 10, 100, 50, 1, nullptr, 0, 0, IMAGE_CLICK_RELEASE);
  fill(image.picture, 32, 32);
  image.picture.keep_aspect = 1;
  image.hover = 1;
  image.hover_colour = kGreen;
  image.draw();
  EXPECT_EQ(image.picture.width, 50);
  EXPECT_EQ(image.picture.height, 50);
  const struct {
    INT_S16 x, y;
    COLOUR colour;
  } golden[] = {{34, 30, kBackground}, {35, 30, kGreen},       {84, 30, kGreen},
                {85, 30, kBackground}, {109, 30, kBackground}, {110, 30, kBackground},
                {134, 30, kBackground}, {60, 10, kGreen},      {60, 59, kGreen},
                {60, 60, kBackground}};
  for (const auto& g : golden) EXPECT_EQ(pixel(g.x, g.y), g.colour) << g.x << "," << g.y;
  // Drawn again at the same size, nothing moves.
  image.hover = 0;
  image.draw();
  EXPECT_EQ(image.picture.width, 50);
  EXPECT_EQ(pixel(35, 30), kRed);
  EXPECT_EQ(pixel(34, 30), kBackground);
}
