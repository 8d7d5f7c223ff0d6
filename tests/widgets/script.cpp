// Script label: size, text, flashing, drawing, input hand-over.
#include "style_set.h"
#include "widget_test_env.h"
#include "../graphics/image_files_test_util.h"
#include "folder.h"
#include "test_support.h"
#include "wm_script.h"

using namespace wgt;

namespace {

class Script : public WidgetTest {};

}  // namespace

TEST_F(Script, SizesItselfFromItsTextAndKeepsThatSize) {
  const COLOUR ink = 0xFF000000u, back = 0xFFFFFFFFu;
  WM_SCRIPT label(0, 0, -1, -1, "Hello", 255, -1, -1, &ink, &back, 0, 1, 3, 4, 5, 6, -1, -1);
  EXPECT_EQ(label.width, text_width("Hello") + 3 + 4);
  EXPECT_EQ(label.height, kFontSize + 5 + 6);
  EXPECT_EQ(label.font, kFont);
  EXPECT_EQ(label.x_spacing, 3);
  EXPECT_EQ(label.y_spacing, 5);
  EXPECT_EQ(label.kind & WM_KIND_SCRIPT, WM_KIND_SCRIPT);
  label.set_text_value("A much longer text than before", 0);
  EXPECT_EQ(label.width, text_width("Hello") + 3 + 4);
  EXPECT_STREQ(label.text.value.text, "A much longer text than before");
}

TEST_F(Script, FramesDrawTheLabel) {
  const COLOUR ink = 0xFF000000u, back = 0xFF00FF00u;
  add(new WM_SCRIPT(10, 10, 59, 29, "", 255, -1, -1, &ink, &back, 0, 1, -1, -1, -1, -1, -1, -1));
  frame(16);
  EXPECT_EQ(pixel(10, 10), back);
  EXPECT_EQ(pixel(59, 29), back);
  EXPECT_EQ(pixel(60, 30), kBackdrop);
}

namespace {

const COLOUR kInk = 0xFF000000u, kPaper = 0xFFFFFFFFu, kRed = 0xFFFF0000u;
const COLOUR kLight = 0xFFFFFFFFu, kDark = 0xFF808080u;

int count_colour(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, COLOUR c) {
  int n = 0;
  for (INT_S16 y = y1; y <= y2; ++y)
    for (INT_S16 x = x1; x <= x2; ++x) n += pixel(x, y) == c;
  return n;
}

// A 100 x 24 label at (20, 20) with gaps 2.
class ScriptDraw : public WidgetTest {
 protected:
  WM_SCRIPT* make(const char* text, INT_U32 flags, const COLOUR* back = &kPaper) {
    return add(new WM_SCRIPT(20, 20, 119, 43, text, 255, -1, -1, &kInk, back, flags, 1, 2, 2, 2,
                             2, -1, -1));
  }
};

}  // namespace

TEST_F(ScriptDraw, FlashTable) {
  WM_SCRIPT* l = make("Steady", 0);
  l->flashing_text.free_string(&l->flashing_text.value);
  l->flashing_text.set_string(&l->flashing_text.value, "Flash");
  l->flashing_text_colour = kRed;
  struct ROW {
    INT_U32 ms;
    INT_U8 showing;
  };
  for (const ROW& r : {ROW{1999, 0}, ROW{2000, 1}, ROW{3999, 1}, ROW{4000, 0}, ROW{6000, 1}}) {
    clock_now() = r.ms;
    frame(0);
    EXPECT_EQ(l->flash_showing, r.showing) << r.ms;
    const int red = count_colour(20, 20, 119, 43, kRed);
    if (r.showing)
      EXPECT_GT(red, 5) << r.ms;
    else
      EXPECT_EQ(red, 0) << r.ms;
  }
  // Hidden: the state stays.
  l->hide(0, 0);
  clock_now() = 8000;
  frame(0);
  EXPECT_EQ(l->flash_showing, 1);
  l->show();
  frame(0);
  EXPECT_EQ(l->flash_showing, 0);
}

TEST_F(ScriptDraw, EmptyFlashingTextNeverFlips) {
  WM_SCRIPT* l = make("Steady", 0);
  for (INT_U32 ms : {2000u, 4000u, 6000u}) {
    clock_now() = ms;
    frame(0);
    EXPECT_EQ(l->flash_showing, 0);
  }
}

TEST_F(ScriptDraw, NumericTextDrawsNoText) {
  WM_SCRIPT* l = make("", 0);
  l->text.free_string(&l->text.value);
  l->text.tag = TV_S32;
  l->text.value.s32 = 42;
  l->text.min.s32 = 0;
  l->text.max.s32 = 100;
  frame();
  EXPECT_EQ(count_colour(20, 20, 119, 43, kPaper), 100 * 24);
  l->set_text_value("77", 0);  // parsed into the value's own type
  EXPECT_EQ(l->text.tag, TV_S32);
  EXPECT_EQ(l->text.value.s32, 77);
  l->set_text_value("500", 0);
  EXPECT_EQ(l->text.value.s32, 100);  // clamped
  frame();
  EXPECT_EQ(count_colour(20, 20, 119, 43, kPaper), 100 * 24);
  // A string draws text.
  l->text.tag = TV_TEXT;
  l->text.value.text = nullptr;
  l->set_text_value("Words", 0);
  frame();
  EXPECT_LT(count_colour(20, 20, 119, 43, kPaper), 100 * 24 - 20);
}

TEST_F(ScriptDraw, BorderFlagsAndAnUnsetBackground) {
  struct ROW {
    INT_U32 flags;
    COLOUR top_left, bottom_right;
  };
  // Indented (0x1, also with 0x2), raised (0x2), none.
  for (const ROW& r : {ROW{SCRIPT_INDENT_BORDER, kDark, kLight},
                       ROW{SCRIPT_INDENT_BORDER | SCRIPT_RAISED_BORDER, kDark, kLight},
                       ROW{SCRIPT_RAISED_BORDER, kLight, kDark}, ROW{0, kPaper, kPaper}}) {
    WM_SCRIPT* l = make("", r.flags);
    frame();
    EXPECT_EQ(pixel(20, 20), r.top_left) << r.flags;
    EXPECT_EQ(pixel(119, 43), r.bottom_right) << r.flags;
    EXPECT_EQ(pixel(60, 30), kPaper) << r.flags;
    root()->remove_child(l, 1, 0);
  }
  screen->clear(&kBackdrop, 1);
  const COLOUR none = 0;
  make("", SCRIPT_RAISED_BORDER, &none);
  frame();
  EXPECT_EQ(pixel(60, 30), kBackdrop);  // nothing painted inside
  EXPECT_EQ(pixel(20, 20), kLight);     // the border still drawn
}

TEST_F(ScriptDraw, DarkenedUnlessTheFlashingBackgroundShows) {
  WM_SCRIPT* l = make("", SCRIPT_DARKENED);
  l->border_mask = 15;
  frame();
  EXPECT_EQ(pixel(60, 30), 0xFF081018u);  // the backdrop at 50 %
  l->flashing_text.free_string(&l->flashing_text.value);
  l->flashing_text.set_string(&l->flashing_text.value, " ");
  l->flashing_back_colour = kRed;
  clock_now() = 2000;
  frame(0);
  ASSERT_EQ(l->flash_showing, 1);
  EXPECT_EQ(pixel(60, 30), kRed);
}

TEST_F(ScriptDraw, GradientsRunFromTheBackToTheFadingColour) {
  WM_SCRIPT* h = make("", SCRIPT_HFADING, &kRed);
  h->fading_colour = 0xFF0000FFu;
  frame();
  EXPECT_EQ(pixel(20, 30), kRed);
  EXPECT_EQ(pixel(119, 30), 0xFF0000FFu);
  root()->remove_child(h, 1, 0);
  WM_SCRIPT* v = make("", SCRIPT_VFADING, &kRed);
  v->fading_colour = 0xFF0000FFu;
  frame();
  EXPECT_EQ(pixel(60, 20), kRed);
  EXPECT_EQ(pixel(60, 43), 0xFF0000FFu);
}

TEST_F(ScriptDraw, TextAlignment) {
  // Left-justified text starts at the left gap, right-justified ends at the
  // right gap.
  WM_SCRIPT* l = make("III", SCRIPT_TEXT_LEFT);
  frame();
  int first = -1;
  for (INT_S16 x = 20; x <= 119 && first < 0; ++x)
    if (count_colour(x, 22, x, 41, kPaper) != 20) first = x;
  EXPECT_GE(first, 22);
  EXPECT_LE(first, 24);
  root()->remove_child(l, 1, 0);
  make("III", SCRIPT_TEXT_RIGHT);
  frame();
  int last = -1;
  for (INT_S16 x = 119; x >= 20 && last < 0; --x)
    if (count_colour(x, 22, x, 41, kPaper) != 20) last = x;
  EXPECT_LE(last, 117);
  EXPECT_GE(last, 113);
}

TEST_F(Script, StyleSetFormAndTextSize) {
  WM_STYLE_SET st;
  st.shading_type = 3;  // border 1
  st.fg_colour = 0xFF010203u;
  st.bg_colour = 0xFF405060u;
  st.underline_colour = 0xFF00FF00u;
  st.ssf = ssf_draw_border | ssf_indent_border | ssf_right_justify_text | ssf_vfading |
           ssf_shadow_text | ssf_wrap_text | ssf_disabled | ssf_top_align_text;
  st.ssef = 0xFFFFFFFFu;
  st.shading_flags = 0x00F5;
  st.border_left_gap = 6;
  st.visible = 0;
  WM_SCRIPT l(0, 0, -1, -1, &st, "Text");
  EXPECT_EQ(l.visible, 0);
  EXPECT_EQ(l.shading_type, 3u);
  EXPECT_EQ(l.label_flags, SCRIPT_INDENT_BORDER | SCRIPT_TEXT_RIGHT | SCRIPT_VFADING |
                               SCRIPT_SHADOW_TEXT | SCRIPT_WRAP_TEXT);
  EXPECT_EQ(l.border_mask, 0x80F5);
  EXPECT_EQ(l.left_gap, 6);
  EXPECT_EQ(l.right_gap, 1);
  EXPECT_EQ(l.width, text_width("Text") + 7);
  EXPECT_EQ(l.height, kFontSize + 2);
  EXPECT_EQ(l.text_colour, 0xFF010203u);
  EXPECT_EQ(l.back_colour, 0xFF405060u);
  EXPECT_EQ(l.underline_colour, 0xFF00FF00u);
  EXPECT_EQ(l.fading_colour, 0xFF000000u);  // the style's unset fading colour is not taken
  EXPECT_EQ(l.can_focus(), 0);

  // Sizes: both gaps, none (the font's width, twice the border), one.
  INT_U16 w = 0, h = 0;
  WM_SCRIPT::text_size(&st, "Text", &w, &h);
  EXPECT_EQ(w, 6 + kFontSize / 2 + text_width("Text") + 1);
  EXPECT_EQ(h, 2 * 1 + kFontSize + 1);
  st.border_right_gap = 3;
  st.border_top_gap = 4;
  st.border_bottom_gap = 5;
  WM_SCRIPT::text_size(&st, "Text", &w, &h);
  EXPECT_EQ(w, 9 + text_width("Text") + 1);
  EXPECT_EQ(h, 9 + kFontSize + 1);
  st.border_left_gap = st.border_right_gap = -1;
  st.border_top_gap = -1;
  EXPECT_EQ(WM_SCRIPT::text_size(&st, "", &w, nullptr), 5 + 1 + kFontSize + 1);
  EXPECT_EQ(w, kFontSize + 1);
}

TEST_F(Script, SetTextValueFitsTheWidthInTheSurfaceFont) {
  WM_SCRIPT l(0, 0, 9, 9, "", 255, 30, 30, &kInk, &kPaper, 0, 1, 0, 0, 0, 0, -1, -1);
  l.set_text_value("Wide text", 1);
  EXPECT_EQ(l.width, text_width("Wide text") + 1);  // the surface's size, not the label's 30
  l.set_text_value("W", 1);
  EXPECT_EQ(l.width, text_width("Wide text") + 1);
}

namespace {
int g_target_inputs = 0;
INT_S32 g_target_answer = 0;
class TARGET : public WM_SCREEN_OBJECT {
 public:
  TARGET() : WM_SCREEN_OBJECT(1, nullptr, 0, 0) {}
  INT_S32 handle_input() override {
    ++g_target_inputs;
    return g_target_answer;
  }
};
}  // namespace

TEST_F(Script, InputGoesToTheInputTargetFirst) {
  WM_SCRIPT l(0, 0, 9, 9, "", 255, -1, -1, &kInk, &kPaper, 0, 1, 0, 0, 0, 0, -1, -1);
  EXPECT_EQ(l.handle_input(), 0);
  TARGET t;
  l.input_target = &t;
  EXPECT_EQ(l.handle_input(), 0);
  EXPECT_EQ(g_target_inputs, 1);
  g_target_answer = 3;
  EXPECT_EQ(l.handle_input(), 3);
}

TEST_F(Script, HitTestFollowsTheRectangleAndVisibility) {
  WM_SCRIPT l(10, 10, 19, 19, "", 255, -1, -1, &kInk, &kPaper, 0, 1, 0, 0, 0, 0, -1, -1);
  EXPECT_EQ(l.is_over(10, 10), 1);
  EXPECT_EQ(l.is_over(20, 10), 0);
  l.hide(0, 0);
  EXPECT_EQ(l.is_over(10, 10), 0);
}

TEST_F(Script, ObjectCreatedHookIsCalledLast) {
  static WM_SCREEN_OBJECT* seen = nullptr;
  static INT_U32 seen_kind = 0;
  wm_object_created_hook = [](WM_SCREEN_OBJECT* o, INT_WORD arg) {
    seen = o;
    seen_kind = o->kind;
    EXPECT_EQ(word_to_s32(arg), 5);
  };
  wm_object_created_hook_arg = 5;
  WM_SCRIPT l(0, 0, 9, 9, "", 255, -1, -1, &kInk, &kPaper, 0, 1, 0, 0, 0, 0, -1, -1);
  wm_object_created_hook = nullptr;
  EXPECT_EQ(seen, &l);
  EXPECT_EQ(seen_kind & WM_KIND_SCRIPT, WM_KIND_SCRIPT);
}

TEST_F(ScriptDraw, IconInTheLeftGap) {
  // A 6 x 6 icon in the slot x .. x + left gap (20 .. 32): at 20 + (12 - 6) / 2
  // = 23; vertically 20 + (23 - 6) / 2 = 28.
  WM_SCRIPT* l = make("", SCRIPT_ICON_LEFT);
  l->left_gap = 12;
  l->icon.create(6, 6);
  l->icon.clear(&kRed, 1);
  frame();
  EXPECT_EQ(pixel(23, 28), kRed);
  EXPECT_EQ(pixel(28, 33), kRed);
  EXPECT_EQ(pixel(22, 28), kPaper);
  EXPECT_EQ(pixel(29, 33), kPaper);
}

// Contradictory alignment flags: of each pair the first wins, for the text
// and for an icon attached beside it alike (the text is not pushed out of
// its box).
TEST_F(ScriptDraw, BothSidesOfAPairAlignAsTheFirstBesideAnAttachedIcon) {
  auto shot = [] {
    std::vector<COLOUR> v;
    for (INT_S16 y = 20; y <= 43; ++y)
      for (INT_S16 x = 20; x <= 119; ++x) v.push_back(pixel(x, y));
    return v;
  };
  struct CASE {
    INT_U32 first, second, icon;
  };
  const CASE cases[] = {{SCRIPT_TEXT_LEFT, SCRIPT_TEXT_RIGHT, SCRIPT_ICON_RIGHT},
                        {SCRIPT_TEXT_TOP, SCRIPT_TEXT_BOTTOM, SCRIPT_ICON_BOTTOM}};
  for (const CASE& c : cases) {
    WM_SCRIPT* l = make("Ab", c.first | c.icon | SCRIPT_ICON_ATTACHED);
    l->x_spacing = 3;
    l->y_spacing = 1;
    l->icon.create(4, 4);
    l->icon.clear(&kRed, 1);
    frame();
    const std::vector<COLOUR> first_only = shot();
    EXPECT_EQ(count_colour(20, 20, 119, 43, kRed), 16) << c.first;
    l->label_flags |= c.second;
    l->show();
    frame();
    EXPECT_EQ(shot(), first_only) << c.first;
    l->hide(0, 0);
    frame();
  }
}

TEST_F(ScriptDraw, StateImagesReplaceBackgroundAndBorder) {
  const std::string dir = zt::make_temp_dir("label");
  // Opaque top half, transparent bottom half.
  ASSERT_TRUE(itu::save_png_to(dir + "/tag_up.png", *itu::make_image(100, 24, [](int, int y) {
    return y < 12 ? 0xFF00FF00u : 0x00000000u;
  })));
  ASSERT_TRUE(itu::save_png_to(dir + "/tag_flashing.png",
                               *itu::make_image(4, 4, [](int, int) { return 0xFF0000FFu; })));
  FOLDER folder;
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  WM_SCRIPT* l = make("", SCRIPT_INDENT_BORDER | SCRIPT_DARKENED);
  EXPECT_EQ(l->load_images_from_folder(&folder, "tag", nullptr), 1);
  EXPECT_EQ(l->has_images(), 1);
  EXPECT_TRUE(l->flashing_frame.is_valid());
  frame();
  EXPECT_EQ(pixel(20, 20), 0xFF00FF00u);  // no border
  EXPECT_EQ(pixel(60, 25), 0xFF00FF00u);
  EXPECT_EQ(pixel(60, 40), kBackdrop);     // no background, no darkening
  // Clicks on the transparent half pass through, unless told otherwise.
  EXPECT_EQ(l->is_over(60, 25), 1);
  EXPECT_EQ(l->is_over(60, 40), 0);
  l->label_flags |= SCRIPT_HIT_RECTANGLE;
  EXPECT_EQ(l->is_over(60, 40), 1);
  // The flashing image while the flashing text shows.
  l->flashing_text.free_string(&l->flashing_text.value);
  l->flashing_text.set_string(&l->flashing_text.value, "x");
  clock_now() = 2000;
  frame(0);
  EXPECT_EQ(pixel(60, 40), 0xFF0000FFu);
  EXPECT_EQ(l->load_images(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(l->has_images(), 0);
}
