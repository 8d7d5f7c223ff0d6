// Button drawing: the painted face and its bevel, the pressed look, state
// skins, corner radius, the darkened face, text offsets, arrows.
#include <algorithm>
#include <string>
#include <vector>

#include "widget_test_env.h"
#include "../graphics/image_files_test_util.h"
#include "folder.h"
#include "test_support.h"
#include "wm_button.h"
#include "wm_script.h"

using namespace wgt;

namespace {

const COLOUR kFace = 0xFFC0C0C0u, kInk = 0xFF000000u, kBlue = 0xFF0000FFu;
const COLOUR kLight = 0xFFFFFFFFu, kDark = 0xFF808080u;  // the window manager's bevel colours

class ButtonDraw : public WidgetTest {
 protected:
  // An 80 x 30 button at (40, 40) in the surface's font.
  WM_BUTTON* make(const char* text, INT_U32 flags = 0, INT_U16 mask = 15) {
    return add(new WM_BUTTON(40, 40, 119, 69, &kFace, &kInk, text, 0, flags, mask, nullptr, 0, 0,
                             1, BUTTON_EVENT_RELEASE));
  }
  // The screen's pixels in the rectangle, row by row.
  std::vector<COLOUR> grab(int x1, int y1, int x2, int y2) {
    std::vector<COLOUR> v;
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x) v.push_back(pixel(static_cast<INT_S16>(x), static_cast<INT_S16>(y)));
    return v;
  }
  void press_inside() {
    move_to(60, 50);
    frame();
    left_down();
    frame();
  }
};

}  // namespace

TEST_F(ButtonDraw, UnskinnedFaceWithARaisedBevel) {
  make("");
  frame();
  EXPECT_EQ(pixel(60, 55), kFace);
  EXPECT_EQ(pixel(42, 42), kFace);  // inside the two rings
  EXPECT_EQ(pixel(40, 40), kLight);
  EXPECT_EQ(pixel(41, 41), kLight);
  EXPECT_EQ(pixel(40, 60), kLight);  // left side
  EXPECT_EQ(pixel(119, 69), kDark);
  EXPECT_EQ(pixel(118, 68), kDark);
  EXPECT_EQ(pixel(119, 40), kDark);  // the right side is drawn over the top
  EXPECT_EQ(pixel(40, 69), kDark);   // the bottom over the left
  EXPECT_EQ(pixel(39, 40), kBackdrop);
  EXPECT_EQ(pixel(120, 69), kBackdrop);
}

TEST_F(ButtonDraw, PressedFaceIsTheHighlightColourIndented) {
  WM_BUTTON* b = make("");
  b->highlight_colour = kBlue;
  press_inside();
  ASSERT_EQ(b->pressed, 1);
  EXPECT_EQ(pixel(60, 55), kBlue);
  EXPECT_EQ(pixel(40, 40), kDark);
  EXPECT_EQ(pixel(41, 41), kDark);
  EXPECT_EQ(pixel(119, 69), kLight);
  EXPECT_EQ(b->border_mask & 0x8000, 0x8000);
  left_up();
  frame();
  EXPECT_EQ(pixel(60, 55), kFace);
  EXPECT_EQ(pixel(40, 40), kLight);
}

TEST_F(ButtonDraw, DownTextMovesOneRightAndDownWhenCentred) {
  make("OK");
  frame();
  const std::vector<COLOUR> up = grab(44, 44, 114, 64);
  press_inside();
  EXPECT_EQ(grab(45, 45, 115, 65), up);
}

TEST_F(ButtonDraw, DownTextMovesTwoRightWhenJustified) {
  make("OK", BUTTON_TEXT_LEFT);
  frame();
  const std::vector<COLOUR> up = grab(43, 44, 100, 64);
  EXPECT_NE(grab(43, 44, 100, 64), std::vector<COLOUR>(up.size(), kFace));  // some text
  press_inside();
  EXPECT_EQ(grab(45, 45, 102, 65), up);
}

TEST_F(ButtonDraw, HoverTextColourBeatsThePressedOne) {
  WM_BUTTON* b = make("OK");
  b->highlight_text_colour = 0xFFFF0000u;
  b->mouse_over_text_colour = 0xFF00FF00u;
  press_inside();
  ASSERT_EQ(b->hover, 1);
  const std::vector<COLOUR> px = grab(42, 42, 117, 67);
  int green = 0, red = 0;
  for (COLOUR c : px) {
    green += c == 0xFF00FF00u;
    red += c == 0xFFFF0000u;
  }
  EXPECT_GT(green, 3);
  EXPECT_EQ(red, 0);
}

TEST_F(ButtonDraw, NoBorderWithMaskZeroAndAnUnsetFacePaintsNothing) {
  WM_BUTTON* b = make("", 0, 0);
  frame();
  EXPECT_EQ(pixel(40, 40), kFace);
  b->back_colour = 0;
  b->border_mask = 15;
  screen->clear(&kBackdrop, 1);
  b->show();
  frame();
  EXPECT_EQ(pixel(60, 55), kBackdrop);
  EXPECT_EQ(pixel(40, 40), kLight);  // the bevel still comes from the global colours
}

TEST_F(ButtonDraw, CornerRadiusIsHalfOfAThirdOfTheShorterSide) {
  // 90 x 30: a third of 30 is 10, halved: 5. The left side starts below the
  // corner's arc.
  WM_BUTTON* b = add(new WM_BUTTON(40, 40, 129, 69, &kFace, &kInk, "", 0, 0, 0xFF, nullptr, 0,
                                   0, 1, BUTTON_EVENT_RELEASE));
  frame();
  EXPECT_EQ(pixel(40, 40), kBackdrop);  // outside the rounded corner
  EXPECT_EQ(pixel(40, 41), kBackdrop);
  EXPECT_EQ(pixel(40, 45), kLight);     // the straight left side from y + 5
  EXPECT_EQ(pixel(45, 40), kLight);     // the straight top from x + 5
  EXPECT_EQ(pixel(85, 55), kFace);
  root()->remove_child(b, 1, 0);
  // 120 x 120 and up: 20.
  add(new WM_BUTTON(100, 100, 219, 219, &kFace, &kInk, "", 0, 0, 0xFF, nullptr, 0, 0, 1,
                    BUTTON_EVENT_RELEASE));
  frame();
  EXPECT_EQ(pixel(100, 110), kBackdrop);
  EXPECT_EQ(pixel(100, 120), kLight);
  EXPECT_EQ(pixel(120, 100), kLight);
}

TEST_F(ButtonDraw, DarkenedFlagHalvesWhatIsBeneath) {
  // 0xFF102030 darkened by 50 %.
  make("", BUTTON_DARKENED, 0);
  frame();
  EXPECT_EQ(pixel(60, 55), 0xFF081018u);
  EXPECT_EQ(pixel(40, 40), 0xFF081018u);
  EXPECT_EQ(pixel(39, 40), kBackdrop);
}

TEST_F(ButtonDraw, ArrowsInTheirSquares) {
  // 80 x 30, border 2: the left arrow in (42, 42)-(67, 67), the right one in
  // (92, 42)-(117, 67); the arrow tips point outwards.
  WM_BUTTON* b = make("", BUTTON_ARROW_LEFT | BUTTON_ARROW_RIGHT);
  b->text_colour = kBlue;
  frame();
  EXPECT_EQ(pixel(55, 55), kBlue);   // the left arrow's middle
  EXPECT_EQ(pixel(104, 55), kBlue);  // the right arrow's middle
  EXPECT_EQ(pixel(80, 55), kFace);   // between them
  // Disabled: engraved in the bevel colours, never blue.
  b->set_enabled(0);
  frame();
  const std::vector<COLOUR> px = grab(42, 42, 117, 67);
  int blue = 0, light = 0, dark = 0;
  for (COLOUR c : px) {
    blue += c == kBlue;
    light += c == kLight;
    dark += c == kDark;
  }
  EXPECT_EQ(blue, 0);
  EXPECT_GT(light, 0);
  EXPECT_GT(dark, 20);
}

namespace {

// One-colour state skins in a folder of their own.
struct SKINS {
  std::string path = zt::make_temp_dir("skins");
  std::string text;
  SKINS() {
    FOLDER f;
    EXPECT_TRUE(f.set_if_directory(path.c_str()));
    char t[FOLDER_PATH_SIZE] = {};
    f.get_path_text(t, nullptr);
    text = t;
  }
  void put(const std::string& name, COLOUR c) const {
    ASSERT_TRUE(itu::save_png_to(path + "/" + name + ".png",
                                 *itu::make_image(4, 4, [c](int, int) { return c; })));
  }
};

const char* const kSkinNames[BUTTON_SKIN_COUNT] = {
    "up", "down", "disabled", "over", "active_up", "active_down", "active_disabled",
    "active_over", "highlighted", "flashing", "dragging"};
COLOUR skin_colour(int i) { return 0xFF000010u + static_cast<COLOUR>(i) * 0x00100000u; }

struct SKIN_ROW {
  const char* name;
  std::vector<int> missing;  // skins left out of the folder
  INT_U8 state, pressed, enabled, hover, flashing, fixed_indent;
  int expected;  // the skin drawn
};

}  // namespace

TEST_F(ButtonDraw, StateSkinChosenPerState) {
  const std::vector<SKIN_ROW> rows = {
      {"up", {}, 0, 0, 1, 0, 0, 0, BUTTON_SKIN_UP},
      {"over", {}, 0, 0, 1, 1, 0, 0, BUTTON_SKIN_OVER},
      {"pressed: highlighted", {}, 0, 1, 1, 0, 0, 0, BUTTON_SKIN_HIGHLIGHTED},
      {"pressed without highlighted: down", {BUTTON_SKIN_HIGHLIGHTED}, 0, 1, 1, 0, 0, 0,
       BUTTON_SKIN_DOWN},
      {"fixed indent: down", {}, 0, 0, 1, 0, 0, 1, BUTTON_SKIN_DOWN},
      {"disabled", {}, 0, 0, 0, 1, 0, 0, BUTTON_SKIN_DISABLED},
      {"flashing wins", {}, 1, 1, 0, 1, 1, 0, BUTTON_SKIN_FLASHING},
      {"active up", {}, 1, 0, 1, 0, 0, 0, BUTTON_SKIN_ACTIVE_UP},
      {"active over", {}, 1, 0, 1, 1, 0, 0, BUTTON_SKIN_ACTIVE_OVER},
      {"active down", {}, 1, 0, 1, 0, 0, 1, BUTTON_SKIN_ACTIVE_DOWN},
      {"active disabled", {}, 1, 0, 0, 0, 0, 0, BUTTON_SKIN_ACTIVE_DISABLED},
      {"active disabled, none: active up", {BUTTON_SKIN_ACTIVE_DISABLED}, 1, 0, 0, 0, 0, 0,
       BUTTON_SKIN_ACTIVE_UP},
      {"active disabled, no active skins: disabled",
       {BUTTON_SKIN_ACTIVE_DISABLED, BUTTON_SKIN_ACTIVE_DOWN, BUTTON_SKIN_ACTIVE_OVER,
        BUTTON_SKIN_ACTIVE_UP},
       1, 0, 0, 0, 0, 0, BUTTON_SKIN_DISABLED},
      {"active disabled, no active or disabled skins: down when indented",
       {BUTTON_SKIN_ACTIVE_DISABLED, BUTTON_SKIN_DISABLED, BUTTON_SKIN_ACTIVE_DOWN,
        BUTTON_SKIN_ACTIVE_OVER, BUTTON_SKIN_ACTIVE_UP},
       1, 0, 0, 0, 0, 1, BUTTON_SKIN_DOWN},
      {"active disabled, no active or disabled skins: over",
       {BUTTON_SKIN_ACTIVE_DISABLED, BUTTON_SKIN_DISABLED, BUTTON_SKIN_ACTIVE_DOWN,
        BUTTON_SKIN_ACTIVE_OVER, BUTTON_SKIN_ACTIVE_UP},
       1, 0, 0, 1, 0, 0, BUTTON_SKIN_OVER},
  };
  int n = 0;
  for (const SKIN_ROW& row : rows) {
    SCOPED_TRACE(row.name);
    SKINS skins;
    const std::string base = "b" + std::to_string(n++);
    for (int i = 0; i < BUTTON_SKIN_COUNT; ++i)
      if (std::find(row.missing.begin(), row.missing.end(), i) == row.missing.end())
        skins.put(base + "_" + kSkinNames[i], skin_colour(i));
    WM_BUTTON* b = make("", row.fixed_indent ? INT_U32{BUTTON_FIXED_BORDER} : 0u,
                        static_cast<INT_U16>(row.fixed_indent ? 0x800F : 15));
    ASSERT_EQ(b->load_state_skins(skins.text.c_str(), base.c_str(), nullptr), 1);
    b->state = row.state;
    b->pressed = row.pressed;
    b->enabled = row.enabled;
    b->hover = row.hover;
    b->flash_showing = row.flashing;
    // Drawn without an input pass, which would set hover and pressed anew.
    b->show();
    pm().redraw();
    EXPECT_EQ(pixel(60, 55), skin_colour(row.expected));
    EXPECT_EQ(pixel(40, 40), skin_colour(row.expected));  // no border over a skin
    root()->remove_child(b, 1, 0);
  }
}

TEST_F(ButtonDraw, FocusAndDefaultButtonLookHovered) {
  SKINS skins;
  for (int i : {BUTTON_SKIN_UP, BUTTON_SKIN_DOWN, BUTTON_SKIN_OVER})
    skins.put(std::string("k_") + kSkinNames[i], skin_colour(i));
  WM_BUTTON* b = make("");
  ASSERT_EQ(b->load_state_skins(skins.text.c_str(), "k", nullptr), 1);
  frame();
  EXPECT_EQ(pixel(60, 55), skin_colour(BUTTON_SKIN_UP));
  b->default_button = 1;
  b->show();
  frame();
  EXPECT_EQ(pixel(60, 55), skin_colour(BUTTON_SKIN_OVER));
  b->default_button = 0;
  b->focusable = 1;
  b->take_focus();
  frame();
  EXPECT_EQ(pixel(60, 55), skin_colour(BUTTON_SKIN_OVER));
}

TEST_F(ButtonDraw, BareBaseNameServesUpAndDown) {
  SKINS skins;
  skins.put("plain", 0xFF336699u);
  WM_BUTTON* b = make("");
  EXPECT_EQ(b->load_state_skins(skins.text.c_str(), "plain", nullptr), 1);
  EXPECT_TRUE(b->state_skins[BUTTON_SKIN_UP].is_valid());
  EXPECT_TRUE(b->state_skins[BUTTON_SKIN_DOWN].is_valid());
  EXPECT_FALSE(b->state_skins[BUTTON_SKIN_OVER].is_valid());
  EXPECT_EQ(b->load_state_skins(skins.text.c_str(), nullptr, nullptr), 0);
  EXPECT_FALSE(b->state_skins[BUTTON_SKIN_UP].is_valid());
  EXPECT_EQ(b->load_state_skins(skins.text.c_str(), "missing", nullptr), 0);
  frame();
  EXPECT_EQ(pixel(60, 55), kFace);  // unskinned again: the painted face
}

TEST_F(ButtonDraw, ShapedSkinPassesClicksThroughTransparentPixels) {
  SKINS skins;
  // Opaque left half, transparent right half.
  for (const char* n : {"s_up", "s_down"})
    ASSERT_TRUE(itu::save_png_to(skins.path + "/" + n + ".png",
                                 *itu::make_image(80, 30, [](int px, int) {
                                   return px < 40 ? 0xFF00FF00u : 0x00000000u;
                                 })));
  WM_BUTTON* b = make("");
  ASSERT_EQ(b->load_state_skins(skins.text.c_str(), "s", nullptr), 1);
  EXPECT_EQ(b->is_over(50, 50), 1);
  EXPECT_EQ(b->is_over(100, 50), 0);
  b->button_flags |= BUTTON_HIT_RECTANGLE;
  EXPECT_EQ(b->is_over(100, 50), 1);
}

TEST_F(ButtonDraw, IconInTheLeftGapAndFadedWhenDisabled) {
  // A 6 x 6 blue icon in the slot x .. x + left_gap (40 .. 52): centred at
  // 40 + (12 - 6) / 2 = 43, vertically 40 + (29 - 6) / 2 = 51.
  WM_BUTTON* b = make("", BUTTON_ICON_LEFT);
  b->left_gap = 12;
  IMAGE blue(6, 6);
  blue.clear(&kBlue, 1);
  b->set_icon(&blue);
  EXPECT_EQ(b->icon.width, 6);
  frame();
  EXPECT_EQ(pixel(43, 51), kBlue);
  EXPECT_EQ(pixel(48, 56), kBlue);
  EXPECT_EQ(pixel(42, 51), kFace);
  EXPECT_EQ(pixel(49, 56), kFace);
  b->set_enabled(0);
  frame();
  // The face laid back over the icon at 208/255.
  const COLOUR c = pixel(45, 53);
  EXPECT_NEAR(static_cast<int>(c & 0xFF), 0xC0 + (0xFF - 0xC0) * 47 / 255, 2);
  EXPECT_NEAR(static_cast<int>(c >> 16 & 0xFF), 0xC0 * 208 / 255, 2);
  // The over icon replaces it while the button looks hovered.
  b->set_enabled(1);
  IMAGE red(4, 4);
  const COLOUR kRed = 0xFFFF0000u;
  red.clear(&kRed, 1);
  b->over_icon.create(4, 4);
  b->over_icon.blit(&red, 0, 0, 0, 0, 4, 4, BLIT_COPY);
  b->default_button = 1;
  b->show();
  frame();
  EXPECT_EQ(pixel(44, 52), kRed);
  EXPECT_EQ(pixel(43, 51), kFace);
}

TEST_F(ButtonDraw, DisabledTextIsChiselledAndNeverDown) {
  WM_BUTTON* b = make("OK");
  b->set_enabled(0);
  frame();
  const std::vector<COLOUR> up = grab(44, 44, 114, 64);
  b->pressed = 1;
  b->show();
  pm().redraw();
  EXPECT_EQ(grab(44, 44, 114, 64), up);  // no offset while disabled
  // Chiselled text leaves light and dark edges where plain text is black.
  int black = 0;
  for (COLOUR c : up) black += c == kInk;
  b->set_enabled(1);
  b->pressed = 0;
  b->show();
  pm().redraw();
  int black_enabled = 0;
  for (COLOUR c : grab(44, 44, 114, 64)) black_enabled += c == kInk;
  EXPECT_LT(black, black_enabled);
}

TEST_F(ButtonDraw, StyleSetStateImagesBecomeTheSkins) {
  // The style holds a base image and an over image: up and down take the
  // base, over its own.
  SKINS skins;
  skins.put("st", 0xFFAA0000u);
  skins.put("st_over", 0xFF0000AAu);
  WM_STYLE_SET style;
  snprintf(style.image_path, sizeof style.image_path, "%s", skins.text.c_str());
  style.set_image_filename("st");
  style.load_state_images();
  ASSERT_TRUE(style.is_loaded());
  WM_BUTTON* b = add(new WM_BUTTON(40, 40, 119, 69, &style, "", nullptr, nullptr, 0, 0,
                                   BUTTON_EVENT_RELEASE));
  ASSERT_EQ(b->has_state_skins(), 1);
  EXPECT_FALSE(b->state_skins[BUTTON_SKIN_DISABLED].is_valid());
  move_to(200, 200);
  frame();
  EXPECT_EQ(pixel(60, 55), 0xFFAA0000u);
  move_to(60, 55);
  frame();
  EXPECT_EQ(b->hover, 1);
  EXPECT_EQ(pixel(60, 55), 0xFF0000AAu);
  // A label of the same style shows the base image.
  WM_SCRIPT* l = add(new WM_SCRIPT(200, 100, 239, 119, &style, ""));
  EXPECT_EQ(l->has_images(), 1);
  frame();
  EXPECT_EQ(pixel(220, 110), 0xFFAA0000u);
}

TEST_F(ButtonDraw, RecolouredSkinsAndColours) {
  SKINS skins;
  skins.put("rc_up", 0xFF808080u);
  skins.put("rc_down", 0xFF808080u);
  WM_BUTTON* b = make("");
  ASSERT_EQ(b->load_state_skins(skins.text.c_str(), "rc", nullptr), 1);
  b->hide(0, 0);
  const COLOUR back = 0xFF00FF00u, ink = 0xFFFFFFFFu;
  b->recolour_state_skins(&back, &ink, nullptr, 0);
  EXPECT_EQ(b->visible, 1);  // shown again
  EXPECT_EQ(b->back_colour, back);
  EXPECT_EQ(b->active_back_colour, back);
  EXPECT_EQ(b->text_colour, ink);
  frame();
  const COLOUR c = pixel(60, 55);
  EXPECT_NE(c, 0xFF808080u);  // tinted toward green
  EXPECT_GT(c >> 8 & 0xFF, c >> 16 & 0xFF);
}
