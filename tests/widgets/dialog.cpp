// The dialog base: default styles and geometry, centring, titles, dragging,
// what a child's answer does, drawing, and the module's globals.
#include "dialog_test_env.h"
// After gtest: the helpers use its macros.
#include "../graphics/image_files_test_util.h"
#include "folder.h"
#include "test_support.h"
#include "wm_button.h"
#include "wm_widget_globals.h"

using namespace dgt;

TEST_F(DialogTest, DefaultStylesAndGlobals) {
  EXPECT_EQ(wm_dialog_styles_ready, 0);
  EXPECT_EQ(wm_dialog_effects.flags, 0x047Cu);
  EXPECT_EQ(wm_dialog_effects.open_delay, 300u);
  EXPECT_EQ(wm_dialog_effects.display_delay, 1000u);
  EXPECT_EQ(wm_dialog_effects.dragging_alpha, 192u);
  EXPECT_EQ(wm_dialog_live_drag, 1);
  for (int i = 0; i < WM_DRIVE_ICON_COUNT; ++i) EXPECT_EQ(wm_drive_icons[i].width, 0) << i;
  EXPECT_EQ(wm_parent_folder_icon.width, 0);
  EXPECT_EQ(wm_file_icon.pixels, nullptr);
  EXPECT_EQ(wm_folder_icon.height, 0);

  WM_DIALOG::init_default_styles();
  EXPECT_EQ(wm_dialog_styles_ready, 1);
  const WM_STYLE_SET &f = wm_dialog_background_style, &t = wm_dialog_title_style,
                     &b = wm_dialog_button_style;
  EXPECT_EQ(f.shading_type, 4u);
  EXPECT_EQ(f.fg_colour, 0xFF0000FFu);
  EXPECT_EQ(f.bg_colour, kFrame);
  EXPECT_EQ(f.shading_flags, 0x0F);
  EXPECT_EQ(t.shading_type, 4u);
  EXPECT_EQ(t.fg_colour, 0xFF000000u);
  EXPECT_EQ(t.bg_colour, kCaption);
  EXPECT_EQ(b.shading_type, 4u);
  EXPECT_EQ(b.fg_colour, 0xFF000000u);
  EXPECT_EQ(b.bg_colour, kFrame);
  EXPECT_EQ(b.highlight_colour, 0xFFFF0000u);
  EXPECT_EQ(b.highlight_text_colour, 0xFF000000u);
  EXPECT_EQ(b.ssf, static_cast<INT_U32>(ssf_draw_border));
  EXPECT_EQ(b.shading_flags, 0xFF);
  EXPECT_EQ(b.border_left_gap, 4);
  EXPECT_EQ(b.border_bottom_gap, 4);

  // Once only: a loaded style copied over a default is never overwritten.
  wm_dialog_title_style.bg_colour = 0xFF00FF00u;
  WM_DIALOG::init_default_styles();
  delete make(0, 0, 50, 50);
  EXPECT_EQ(wm_dialog_title_style.bg_colour, 0xFF00FF00u);
}

// A program's fixture that starts each case afresh clears the flag: every
// later run gives the look of the first, the button gaps included, also
// after other gaps were copied over them in between.
TEST_F(DialogTest, DefaultStylesAreTheSameHoweverOftenTheyAreMade) {
  WM_DIALOG::init_default_styles();
  auto look = [](const WM_STYLE_SET& s) {
    return std::vector<long>{s.border_left_gap, s.border_right_gap, s.border_top_gap, s.border_bottom_gap,
                             s.cell_left_gap,   s.cell_right_gap,   s.cell_top_gap,   s.cell_bottom_gap,
                             s.shading_type,    s.shading_flags,    s.ssf,            s.fg_colour,
                             s.bg_colour,       s.highlight_colour, s.highlight_text_colour, s.visible};
  };
  const std::vector<long> frame = look(wm_dialog_background_style), title = look(wm_dialog_title_style),
                          button = look(wm_dialog_button_style);
  EXPECT_EQ(wm_dialog_button_style.border_top_gap, 4);
  for (int i = 0; i < 30; ++i) {
    wm_dialog_button_style.border_left_gap = 9;
    wm_dialog_styles_ready = 0;
    WM_DIALOG::init_default_styles();
    ASSERT_EQ(look(wm_dialog_background_style), frame) << i;
    ASSERT_EQ(look(wm_dialog_title_style), title) << i;
    ASSERT_EQ(look(wm_dialog_button_style), button) << i;
  }
  WM_DIALOG* d = make(0, 0, 100, 80);
  EXPECT_EQ(d->button_style.border_bottom_gap, 4);
  delete d;
}

TEST_F(DialogTest, GeometryWithTheDefaultStyles) {
  WM_DIALOG* d = make(10, 20, 200, 150);
  // Shading type 4 is one pixel wide: border gaps 1, cell top gap 1.
  EXPECT_EQ(d->style.border_left_gap, 1);
  EXPECT_EQ(d->style.border_right_gap, 1);
  EXPECT_EQ(d->style.border_top_gap, 1);
  EXPECT_EQ(d->style.border_bottom_gap, 1);
  EXPECT_EQ(d->style.cell_top_gap, 1);
  EXPECT_EQ(d->style.cell_left_gap, 0);
  EXPECT_EQ(d->style.cell_right_gap, 0);
  EXPECT_EQ(d->style.cell_bottom_gap, 0);
  ASSERT_NE(d->caption, nullptr);
  const INT_S16 hc = d->caption->height;
  EXPECT_GT(hc, kFontSize);
  EXPECT_EQ(d->caption_height(), 1 + hc + 1);
  EXPECT_EQ(d->caption->x, 11);
  EXPECT_EQ(d->caption->y, 21);
  EXPECT_EQ(d->caption->width, 199);  // its corners include w - br until the first layout
  EXPECT_EQ(d->client_area->x, 11);
  EXPECT_EQ(d->client_area->y, 20 + 1 + hc + 1);
  EXPECT_EQ(d->client_area->width, 198);
  EXPECT_EQ(d->client_area->height, 150 - (1 + hc + 1) - 1);
  EXPECT_EQ(d->get_x(), 10);
  EXPECT_EQ(d->get_y(), 20);
  EXPECT_EQ(d->can_focus(), 0);
  EXPECT_TRUE(d->kind & WM_KIND_DIALOG);
  EXPECT_EQ(d->get_parent(), nullptr);
  EXPECT_EQ(d->caption->get_parent(), d);
  EXPECT_EQ(d->client_area->get_parent(), d);

  // Content goes into the client area, relative to its corner.
  PROBE* p = new PROBE("p", 5, 6, 10, 10);
  d->add_child(p, 1);
  EXPECT_EQ(p->get_parent(), d->client_area);
  EXPECT_EQ(p->x, 16);
  EXPECT_EQ(p->y, d->client_area->y + 6);

  // A resize lays the caption and the client area out again.
  d->set_size(100, 80, 1);
  EXPECT_EQ(d->caption->width, 98);
  EXPECT_EQ(d->client_area->width, 98);
  EXPECT_EQ(d->client_area->height, 80 - (1 + hc + 1) - 1);
  d->set_position(30, 40);
  EXPECT_EQ(d->caption->x, 31);
  EXPECT_EQ(d->client_area->y, 40 + 1 + hc + 1);
  EXPECT_EQ(p->x, 36);
  delete d;
  EXPECT_EQ(joined_log(), "~p");
}

TEST_F(DialogTest, MinusOneCentresOnDisplayZero) {
  struct Case {
    INT_S16 x, y, w, h, want_x, want_y;
  } cases[] = {
      {-1, -1, 100, 50, 110, 95},
      {-1, -1, 101, 51, 109, 94},  // (320 - 101) / 2 truncates
      {-1, 7, 100, 50, 110, 7},
      {7, -1, 100, 50, 7, 95},
      {-1, -1, 400, 300, -40, -30},  // larger than the screen
  };
  for (const Case& c : cases) {
    WM_DIALOG* d = make(c.x, c.y, c.w, c.h);
    EXPECT_EQ(d->x, c.want_x) << c.x << "," << c.y << " " << c.w;
    EXPECT_EQ(d->y, c.want_y) << c.x << "," << c.y << " " << c.h;
    delete d;
  }
}

TEST_F(DialogTest, NullTitleHasNoCaptionEmptyTitleHasOne) {
  WM_DIALOG* none = make(0, 0, 100, 100, nullptr);
  EXPECT_EQ(none->caption, nullptr);
  EXPECT_EQ(none->caption_height(), 1);
  EXPECT_EQ(none->client_area->y, 1);
  EXPECT_EQ(none->client_area->height, 98);
  EXPECT_STREQ(none->get_title(), "");
  none->set_title("ignored");
  EXPECT_STREQ(none->get_title(), "");
  EXPECT_EQ(none->is_over_caption(5, 5), 0);
  EXPECT_EQ(none->children.count, 1);

  WM_DIALOG* empty = make(0, 0, 100, 100, "");
  ASSERT_NE(empty->caption, nullptr);
  ASSERT_NE(empty->get_title(), nullptr);
  EXPECT_STREQ(empty->get_title(), "");
  EXPECT_GT(empty->caption_height(), 2);
  empty->set_title("Setup");
  EXPECT_STREQ(empty->get_title(), "Setup");
  empty->set_title(nullptr);
  EXPECT_STREQ(empty->get_title(), "");
  // A caption holding a number has no title text.
  empty->caption->text.free_string(&empty->caption->text.value);
  empty->caption->text.tag = TV_S32;
  EXPECT_EQ(empty->get_title(), nullptr);
  delete none;
  delete empty;
}

TEST_F(DialogTest, ColourFormReplacesOnlySetColours) {
  const COLOUR green = 0xFF00FF00u, unset = 0x0012345u;
  WM_DIALOG d(0, 0, 80, 60, "T", &green, nullptr, &unset, &green, nullptr, nullptr, &green,
              nullptr, 1, &kNoEffects);
  EXPECT_EQ(d.style.bg_colour, green);
  EXPECT_EQ(d.style.fg_colour, 0xFF0000FFu);
  EXPECT_EQ(d.title_style.bg_colour, kCaption);
  EXPECT_EQ(d.title_style.fg_colour, green);
  EXPECT_EQ(d.button_style.highlight_colour, green);
  EXPECT_EQ(d.button_style.bg_colour, kFrame);
  EXPECT_EQ(d.visible, 1);
  // The defaults themselves are untouched.
  EXPECT_EQ(wm_dialog_background_style.bg_colour, kFrame);
  WM_DIALOG hidden(0, 0, 80, 60, "T", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr, 0, &kNoEffects);
  EXPECT_EQ(hidden.visible, 0);
}

TEST_F(DialogTest, StyleVisibilityAndBevelColour) {
  WM_DIALOG::init_default_styles();
  WM_STYLE_SET s = wm_dialog_background_style;
  s.visible = 0;
  s.bevel_colour = 0xFF112233u;
  s.border_left_gap = 6;
  s.cell_left_gap = 3;
  WM_DIALOG d(0, 0, 80, 60, nullptr, &s, nullptr, nullptr, &kNoEffects);
  EXPECT_EQ(d.visible, 0);
  EXPECT_EQ(d.colour, 0xFF112233u);
  EXPECT_EQ(d.client_area->x, 9);
  EXPECT_EQ(d.client_area->width, 80 - 6 - 1 - 3);
}

// Drags: where the press lands decides. The pointer moves by (+30, +20).
TEST_F(DialogTest, DragTable) {
  struct Case {
    const char* what;
    INT_S16 px, py;
    bool press_outside_first;
    INT_U8 draggable;
    bool moves;
  } cases[] = {
      {"caption", 60, 25, false, 1, true},
      {"frame margin", 150, 140, false, 1, true},
      {"inner button", 40, 100, false, 1, false},
      {"press begun outside", 60, 25, true, 1, false},
      {"not draggable", 60, 25, false, 0, false},
      {"outside", 5, 5, false, 1, false},
  };
  for (const Case& c : cases) {
    WM_DIALOG* d = open(make(20, 20, 200, 130));
    d->draggable = c.draggable;
    WM_BUTTON* inner = new WM_BUTTON(10, 40, 49, 69, &d->button_style, "OK", nullptr, nullptr,
                                     0, 0, BUTTON_EVENT_RELEASE);
    d->add_child(inner, 1);  // (31, 40 + client top) .. covers (40, 100)
    ASSERT_TRUE(inner->is_over(40, 100)) << c.what;
    frame();
    if (c.press_outside_first) at(5, 5, true);
    at(c.px, c.py, true);
    EXPECT_EQ(d->dragging, c.moves ? 1 : 0) << c.what;
    if (c.moves) {
      EXPECT_EQ(d->alpha, 192) << c.what;  // dragging_alpha, at once without fades
    }
    at(static_cast<INT_S16>(c.px + 30), static_cast<INT_S16>(c.py + 20), true);
    at(static_cast<INT_S16>(c.px + 30), static_cast<INT_S16>(c.py + 20), false);
    EXPECT_EQ(d->x, c.moves ? 50 : 20) << c.what;
    EXPECT_EQ(d->y, c.moves ? 40 : 20) << c.what;
    EXPECT_EQ(d->alpha, 255) << c.what;
    EXPECT_EQ(d->dragging, 0) << c.what;
    root()->remove_popup(d, 1, 0);
  }
}

TEST_F(DialogTest, OutlineDragMovesOnRelease) {
  wm_dialog_live_drag = 0;
  WM_DIALOG* d = open(make(20, 20, 100, 80));
  frame();
  const std::vector<COLOUR> before(screen->pixels, screen->pixels + 320 * 240);
  // Drawn twice at one place the outline restores every pixel.
  d->draw_drag_outline(33, 44);
  EXPECT_EQ(pixel(34, 44), before[44 * 320 + 34] ^ 0x00FFFFFFu);
  EXPECT_EQ(pixel(132, 100), before[100 * 320 + 132] ^ 0x00FFFFFFu);
  EXPECT_EQ(pixel(60, 60), before[60 * 320 + 60]);  // inside: untouched
  d->draw_drag_outline(33, 44);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), screen->pixels));

  at(60, 25, true);
  ASSERT_EQ(d->dragging, 1);
  at(70, 45, true);
  EXPECT_EQ(d->x, 20);  // the dialog waits; the outline follows
  EXPECT_EQ(d->outline_x, 30);
  EXPECT_EQ(d->outline_y, 40);
  at(70, 45, false);
  EXPECT_EQ(d->x, 30);
  EXPECT_EQ(d->y, 40);
  frame();
  // Nothing of the outline is left on the screen: the frame's corner is the
  // frame's bevel, the pixel left of it the backdrop.
  EXPECT_EQ(pixel(29, 60), kBackdrop);
  EXPECT_EQ(pixel(20, 20), kBackdrop);
}

namespace {

INT_S32 answer(WM_SCREEN_OBJECT*, INT_WORD code, INT_WORD) { return word_to_s32(code); }

// A child that answers its input pass with its code once.
struct ANSWERING : PROBE {
  explicit ANSWERING(INT_S32 code) : PROBE("child", 0, 0, 10, 10) {
    action_callback = answer;
    action_arg1 = word_from_s32(code);
  }
  INT_S32 handle_input() override {
    if (fired) return 0;
    fired = true;
    log().push_back("answer");
    return action_callback(this, action_arg1, action_arg2);
  }
  bool fired = false;
};

}  // namespace

TEST_F(DialogTest, ChildAnswerTwoClosesAndKeepsFourDeletesAtOnce) {
  WM_DIALOG* keep = open(make(10, 10, 100, 80));
  keep->add_child(new ANSWERING(WM_ACTION_CLOSE), 1);
  EXPECT_EQ(frame(), 0);
  EXPECT_EQ(keep->target_alpha, 0);
  frame();
  EXPECT_TRUE(is_popup(keep));
  EXPECT_EQ(keep->visible, 0);
  EXPECT_EQ(joined_log(), "answer");
  root()->remove_popup(keep, 1, 0);
  EXPECT_EQ(joined_log(), "answer ~child");

  log().clear();
  WM_DIALOG* gone = open(make(10, 10, 100, 80, "Title", nullptr));  // default effects
  gone->add_child(new ANSWERING(WM_ACTION_DELETE), 1);
  // Still sliding in: the answer deletes it without waiting for any transition.
  for (int i = 0; i < 4 && log().empty(); ++i) frame(16);
  EXPECT_FALSE(is_popup(gone));
  EXPECT_EQ(joined_log(), "answer ~child");
}

TEST_F(DialogTest, DrawsFrameCaptionAndContent) {
  WM_DIALOG* d = open(make(20, 30, 160, 120, "Setup"));
  d->add_child(new PROBE("p", 10, 10, 20, 20, 0xFF00FF00u), 1);
  frame();
  redraw_all();
  const INT_S16 cy = static_cast<INT_S16>(d->client_area->y);
  EXPECT_EQ(pixel(100, 100), kFrame);             // frame background
  EXPECT_EQ(pixel(100, 31 + 2), kCaption);        // caption
  EXPECT_EQ(pixel(35, cy + 15), 0xFF00FF00u);     // content over the frame
  EXPECT_EQ(pixel(19, 100), kBackdrop);           // outside
  EXPECT_EQ(pixel(180, 100), kBackdrop);
  // The default "ssf_" word raises the border: bevel colours at the edges.
  EXPECT_EQ(pixel(20, 100), 0xFFFFFFFFu);
  EXPECT_EQ(pixel(179, 149), 0xFF808080u);
  // After the first draw the caption is exactly w - bl - br wide.
  EXPECT_EQ(d->caption->width, 158);
}

TEST_F(DialogTest, BorderFlags) {
  struct Case {
    INT_U32 ssf;
    COLOUR top_left, bottom_right;
  } cases[] = {
      {ssf_draw_border, kFrame, kFrame},  // "draw border" alone draws none
      {ssf_draw_border | ssf_outstanding_border, 0xFFFFFFFFu, 0xFF808080u},
      {ssf_draw_border | ssf_indent_border, 0xFF808080u, 0xFFFFFFFFu},
  };
  WM_DIALOG::init_default_styles();
  for (const Case& c : cases) {
    WM_STYLE_SET s = wm_dialog_background_style;
    s.ssf = c.ssf;
    WM_DIALOG* d = open(new WM_DIALOG(20, 30, 100, 80, nullptr, &s, nullptr, nullptr, &kNoEffects));
    frame();
    redraw_all();
    EXPECT_EQ(pixel(20, 60), c.top_left) << c.ssf;
    EXPECT_EQ(pixel(119, 60), c.bottom_right) << c.ssf;
    EXPECT_EQ(pixel(60, 60), kFrame) << c.ssf;
    root()->remove_popup(d, 1, 0);
  }
}

TEST_F(DialogTest, FrameSkinReplacesTheStylePainting) {
  const std::string dir = zt::make_temp_dir();
  const COLOUR green = 0xFF00FF00u;
  IMAGE one(8, 8);
  one.clear(&green, 1);
  ASSERT_TRUE(itu::save_png_to(dir + "/frame.png", one));
  FOLDER folder;
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  char text[FOLDER_PATH_SIZE] = {};
  folder.get_path_text(text, nullptr);

  WM_DIALOG* d = open(make(20, 30, 100, 80, nullptr));
  EXPECT_EQ(d->has_frame_skin(), 0);
  EXPECT_EQ(d->set_frame_skin(&folder, "frame", nullptr), 1);
  EXPECT_EQ(d->has_frame_skin(), 1);
  frame();
  redraw_all();
  EXPECT_EQ(pixel(60, 60), green);
  EXPECT_EQ(pixel(20, 30), green);  // no border over a skin
  EXPECT_EQ(d->set_frame_skin(text, "missing", nullptr), 0);
  EXPECT_EQ(d->set_frame_skin(text, "frame", nullptr), 1);
  EXPECT_EQ(d->set_frame_skin(text, nullptr, nullptr), 0);
  redraw_all();
  EXPECT_EQ(pixel(60, 60), kFrame);

  // A frame style naming an image loads it at construction.
  WM_DIALOG::init_default_styles();
  WM_STYLE_SET s = wm_dialog_background_style;
  std::snprintf(s.image_path, sizeof s.image_path, "%s", text);
  s.set_image_filename("frame");
  WM_DIALOG skinned(0, 0, 50, 50, nullptr, &s, nullptr, nullptr, &kNoEffects);
  EXPECT_EQ(skinned.has_frame_skin(), 1);
  skinned.release_frame_skin();
  EXPECT_EQ(skinned.has_frame_skin(), 0);

  // A loaded style lends its base state image instead, at construction and
  // to set_frame_skin, whatever name is given.
  s.load_state_images();
  ASSERT_EQ(s.is_loaded(), 1);
  ASSERT_NE(s.state_images[STYLE_IMAGE_BASE], nullptr);
  WM_DIALOG lent(0, 0, 50, 50, nullptr, &s, nullptr, nullptr, &kNoEffects);
  EXPECT_EQ(lent.has_frame_skin(), 1);
  EXPECT_EQ(lent.frame_skin.mid_mid, s.state_images[STYLE_IMAGE_BASE]->mid_mid);  // shared
  EXPECT_EQ(d->set_frame_skin(text, "missing", &s), 1);
}
