// Style sets in memory: defaults, names, text flags, rescaling, copying and
// the state images filled from the skin cache.
#include "style_set.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../graphics/image_files_test_util.h"
#include "folder.h"
#include "image_cache.h"
#include "skin_frame.h"

namespace {

TEST(StyleSet, Defaults) {
  WM_STYLE_SET s;
  EXPECT_STREQ(s.image_path, "");
  EXPECT_EQ(s.shading_type, 1u);
  EXPECT_EQ(s.fg_colour, 0xFFFFFFFFu);
  EXPECT_EQ(s.bg_colour, 0xFF000000u);
  for (COLOUR c : {s.fading_colour, s.highlight_colour, s.highlight_text_colour, s.active_colour,
                   s.active_text_colour, s.bevel_colour, s.mouse_over_colour,
                   s.mouse_over_text_colour, s.flashing_colour, s.flashing_text_colour,
                   s.underline_colour})
    EXPECT_EQ(c, 0u);
  EXPECT_EQ(s.visible, 1);
  EXPECT_EQ(s.ssf, 5u);
  EXPECT_EQ(s.ssef, 0u);
  EXPECT_EQ(s.sssf, 238);
  EXPECT_EQ(s.shading_flags, 255);
  EXPECT_EQ(s.font_id, 255);
  for (INT_S16 v : {s.font_x_sz, s.font_y_sz, s.border_left_gap, s.border_right_gap,
                    s.border_top_gap, s.border_bottom_gap, s.cell_left_gap, s.cell_right_gap,
                    s.cell_top_gap, s.cell_bottom_gap})
    EXPECT_EQ(v, -1);
  EXPECT_EQ(s.x_spacing, 1);
  EXPECT_EQ(s.y_spacing, 1);
  EXPECT_EQ(s.scrollbar_button_width, 15);
  EXPECT_EQ(s.scrollbar_slider_width, 10);
  EXPECT_EQ(s.grid_scrollbar_width, 15);
  EXPECT_EQ(s.grid_two_tone_value, 20);
  for (SKIN_FRAME* f : s.state_images) EXPECT_EQ(f, nullptr);
  EXPECT_EQ(s.name, nullptr);
  EXPECT_EQ(s.image_filename, nullptr);
  EXPECT_EQ(s.is_loaded(), 0);
}

TEST(StyleSet, NamesAndReset) {
  WM_STYLE_SET s;
  s.set_name("button");
  EXPECT_STREQ(s.name, "button");
  s.set_name("");
  EXPECT_EQ(s.name, nullptr);
  s.set_name("again");
  s.set_name(nullptr);
  EXPECT_EQ(s.name, nullptr);
  s.set_name("kept");
  s.set_image_filename("btn");
  s.ssf = 0;
  s.border_left_gap = 7;
  snprintf(s.image_path, sizeof s.image_path, "$APP/skin");
  s.reset();
  EXPECT_STREQ(s.name, "kept");
  EXPECT_STREQ(s.image_filename, "btn");
  EXPECT_EQ(s.ssf, 5u);
  EXPECT_EQ(s.border_left_gap, -1);
  EXPECT_STREQ(s.image_path, "");
  EXPECT_TRUE(is_number_char('7') && is_number_char('.') && is_number_char('-') &&
              is_number_char('+'));
  EXPECT_FALSE(is_number_char('a') || is_number_char(' ') || is_number_char(0x660));
}

TEST(StyleSet, TextFlags) {
  struct {
    INT_U32 ssf, want;
  } cases[] = {
      {ssf_shadow_text, 1},       {ssf_inset_text, 2},          {ssf_chiseled_text, 4},
      {ssf_top_align_text, 8},    {ssf_bottom_align_text, 16},  {ssf_left_justify_text, 32},
      {ssf_right_justify_text, 64}, {ssf_left_justify_text | ssf_right_justify_text, 96},
      {ssf_draw_border | ssf_wrap_text, 0}, {0xFFFFFFFFu, 127},
  };
  WM_STYLE_SET s;
  for (const auto& c : cases) {
    s.ssf = c.ssf;
    EXPECT_EQ(s.get_text_flags(), c.want) << std::hex << c.ssf;
  }
}

TEST(StyleSet, Rescale) {
  struct Case {
    INT_U8 sssf;
    INT_S16 a, b, c, d;            // old and new screen
    INT_S16 L, R, T, B, fx, fy;    // before
    INT_S16 wL, wR, wT, wB, wfx, wfy;
  } cases[] = {
      // No retain flags: everything scales; an unset -1 becomes -2.
      {0, 640, 480, 1280, 960, 4, -1, 3, 5, 8, 16, 8, -2, 6, 10, 16, 32},
      // The default flags change nothing.
      {238, 640, 480, 1280, 960, 4, 6, 3, 5, 8, 16, 4, 6, 3, 5, 8, 16},
      // Width and left border kept: the right border takes the change.
      {sssf_retain_width | sssf_retain_left_border | 0xF0, 100, 50, 120, 50, 10, 6, 1, 1, 8, 8,
       10, 26, 1, 1, 9, 8},
      // ... a zero right border stays 0.
      {sssf_retain_width | sssf_retain_left_border | 0xF8, 100, 50, 120, 50, 10, 0, 1, 1, 8, 8,
       10, 0, 1, 1, 8, 8},
      // Width and right border kept: the left takes it.
      {sssf_retain_width | sssf_retain_right_border | 0xF8, 100, 50, 80, 50, 10, 6, 1, 1, 8, 8,
       -10, 6, 1, 1, 8, 8},
      // Width kept, both borders share c - W, each from its own old value.
      {sssf_retain_width | 0xF8, 100, 50, 130, 50, 10, 30, 1, 1, 8, 8, 17, 52, 1, 1, 8, 8},
      // Left kept, width not: R := (c - L) * R / (a - L).
      {sssf_retain_left_border | 0xF8, 100, 50, 200, 50, 10, 9, 1, 1, 8, 8, 10, 19, 1, 1, 8, 8},
      // Right kept: L := (c - R) * L / (a - R).
      {sssf_retain_right_border | 0xF8, 100, 50, 200, 50, 10, 10, 1, 1, 8, 8, 21, 10, 1, 1, 8, 8},
      // Vertical: the same rules with height, top and bottom.
      {sssf_retain_height | sssf_retain_top_border | 0x0F, 50, 100, 50, 120, 1, 1, 10, 6, 8, 8,
       1, 1, 10, 26, 8, 9},
      {0x0F | sssf_retain_y_font_size, 50, 480, 50, 240, 1, 1, 10, 7, 8, 9, 1, 1, 5, 3, 8, 9},
      // A zero divisor leaves the value alone: old width 0, L + R = 0, a - L = 0.
      {0, 0, 0, 100, 100, 3, 4, 5, 6, 7, 8, 3, 4, 5, 6, 7, 8},
      {sssf_retain_width | 0xF8, 100, 50, 130, 50, 0, 0, 1, 1, 8, 8, 0, 0, 1, 1, 8, 8},
      {sssf_retain_left_border | 0xF8, 100, 50, 200, 50, 100, 9, 1, 1, 8, 8, 100, 9, 1, 1, 8, 8},
      // Results beyond 16 bits are narrowed, never undefined.
      {0, 1, 1, 30000, 30000, 30000, -30000, 2, 2, 30000, 1, -5888, 5888, -5536, -5536, -5888, 30000},
  };
  for (const Case& t : cases) {
    WM_STYLE_SET s;
    s.sssf = t.sssf;
    s.border_left_gap = t.L;
    s.border_right_gap = t.R;
    s.border_top_gap = t.T;
    s.border_bottom_gap = t.B;
    s.font_x_sz = t.fx;
    s.font_y_sz = t.fy;
    s.cell_left_gap = 3;
    s.rescale_style(t.a, t.b, t.c, t.d);
    SCOPED_TRACE(::testing::Message() << "sssf " << int(t.sssf) << " " << t.a << "x" << t.b
                                      << " -> " << t.c << "x" << t.d);
    EXPECT_EQ(s.border_left_gap, t.wL);
    EXPECT_EQ(s.border_right_gap, t.wR);
    EXPECT_EQ(s.border_top_gap, t.wT);
    EXPECT_EQ(s.border_bottom_gap, t.wB);
    EXPECT_EQ(s.font_x_sz, t.wfx);
    EXPECT_EQ(s.font_y_sz, t.wfy);
    EXPECT_EQ(s.cell_left_gap, 3);
  }
}

// A folder of skin pictures, each one plain colour.
struct Skin {
  std::string path = zt::make_temp_dir("skin");
  FOLDER folder;
  Skin() {
    EXPECT_TRUE(folder.set_if_directory(path.c_str()));
    wm_skin_cache.free_all();
  }
  void put(const std::string& name, INT_U32 colour = 0xFF336699) const {
    ASSERT_TRUE(itu::save_png_to(path + "/" + name + ".png",
                                 *itu::make_image(4, 4, [colour](int, int) { return colour; })));
  }
  void into(WM_STYLE_SET* s) const { folder.get_path_text(s->image_path, nullptr); }
};

TEST(StyleSet, StateImagesFillTheSlotsFound) {
  Skin skin;
  skin.put("btn_up");
  skin.put("btn_alt");
  skin.put("btn_more_over_mid_mid");  // a nine-part frame with its centre only
  WM_STYLE_SET s;
  s.set_image_filename("btn");
  skin.into(&s);
  s.load_state_images();
  EXPECT_EQ(s.is_loaded(), 1);
  for (int i = 0; i < STYLE_IMAGE_COUNT; ++i) {
    const bool want = i == STYLE_IMAGE_UP || i == STYLE_IMAGE_ALTERNATE;
    EXPECT_EQ(s.state_images[i] != nullptr, want) << "slot " << i;
  }
  // "_alternate" wins over "_alt" when both exist.
  skin.put("btn_alternate", 0xFF00FF00);
  s.load_state_images();
  ASSERT_NE(s.state_images[STYLE_IMAGE_ALTERNATE], nullptr);
  EXPECT_EQ(*s.state_images[STYLE_IMAGE_ALTERNATE]->mid_mid->pixel_at(0, 0), 0xFF00FF00u);

  // Off switch and a missing base name leave everything empty.
  s.free_state_images();
  wm_load_style_images = 0;
  s.load_state_images();
  wm_load_style_images = 1;
  EXPECT_EQ(s.state_images[STYLE_IMAGE_UP], nullptr);
  EXPECT_EQ(s.is_loaded(), 0);
  WM_STYLE_SET none;
  skin.into(&none);
  none.load_state_images();
  EXPECT_EQ(none.is_loaded(), 0);
}

TEST(StyleSet, OverlongBaseNameLoadsNothingAndDoesNotOverflow) {
  Skin skin;
  WM_STYLE_SET s;
  std::string base(5000, 'b');
  s.set_image_filename(base.c_str());
  skin.into(&s);
  s.load_state_images();
  EXPECT_EQ(s.is_loaded(), 1);
  for (SKIN_FRAME* f : s.state_images) EXPECT_EQ(f, nullptr);
}

TEST(StyleSet, CopySharesCachedImages) {
  Skin skin;
  skin.put("w");
  skin.put("w_down");
  skin.put("w_bg");
  auto* source = new WM_STYLE_SET;
  source->set_name("window");
  source->set_image_filename("w");
  skin.into(source);
  source->border_top_gap = 9;
  source->bevel_colour = 0xFF123456;
  source->load_state_images();
  IMAGE* shared = source->state_images[STYLE_IMAGE_DOWN]->mid_mid;
  ASSERT_NE(shared, nullptr);

  WM_STYLE_SET copy;
  copy.set_name("old");
  copy = *source;
  EXPECT_STREQ(copy.name, "window");
  EXPECT_NE(copy.name, source->name);
  EXPECT_STREQ(copy.image_filename, "w");
  EXPECT_STREQ(copy.image_path, source->image_path);
  EXPECT_EQ(copy.border_top_gap, 9);
  EXPECT_EQ(copy.bevel_colour, 0xFF123456u);
  EXPECT_EQ(copy.is_loaded(), 1);
  int frames = 0;
  for (int i = 0; i < STYLE_IMAGE_COUNT; ++i) {
    EXPECT_EQ(copy.state_images[i] != nullptr, source->state_images[i] != nullptr);
    if (!copy.state_images[i]) continue;
    ++frames;
    EXPECT_NE(copy.state_images[i], source->state_images[i]);  // frames of its own
    EXPECT_EQ(copy.state_images[i]->mid_mid, source->state_images[i]->mid_mid);  // shared image
  }
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(wm_skin_cache.entry_of(shared)->references, 2);
  delete source;
  // The copy's images survive the source.
  ASSERT_NE(wm_skin_cache.entry_of(shared), nullptr);
  EXPECT_EQ(wm_skin_cache.entry_of(shared)->references, 1);
  EXPECT_EQ(*copy.state_images[STYLE_IMAGE_DOWN]->mid_mid->pixel_at(0, 0), 0xFF336699u);

  // Onto itself: unchanged.
  WM_STYLE_SET& alias = copy;
  SKIN_FRAME* before = copy.state_images[STYLE_IMAGE_BG];
  copy = alias;
  EXPECT_STREQ(copy.name, "window");
  EXPECT_EQ(copy.state_images[STYLE_IMAGE_BG], before);
  EXPECT_EQ(copy.is_loaded(), 1);
  EXPECT_EQ(wm_skin_cache.entry_of(shared)->references, 1);

  // Copy construction gives another independent set.
  WM_STYLE_SET third(copy);
  EXPECT_STREQ(third.name, "window");
  EXPECT_EQ(wm_skin_cache.entry_of(shared)->references, 2);
}

}  // namespace
