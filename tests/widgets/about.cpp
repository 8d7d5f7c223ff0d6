// The about box: its default size, "Close" closing on a release inside, the
// credits window beside the picture and a click on it starting "$BROWSER".
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "widget_test_env.h"
#include "wm_about.h"
#include "wm_button.h"
#include "wm_image_widget.h"
#include "wm_text_win.h"

using namespace wgt;

namespace {

const INT_S16 kWideScreen = 640, kTallScreen = 480;

class About : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    screen = make_screen(kWideScreen, kTallScreen, kBackdrop);
    screen->font = static_cast<INT_S8>(kFont);
    screen->font_width = screen->font_height = kFontSize;
  }
  // Opens the box on the pop-up list and lets it come to rest.
  WM_ABOUT* open() {
    WM_ABOUT* about = new WM_ABOUT(-1, -1, -1, -1);
    root()->add_popup(about, 0);
    frames(40);
    return about;
  }
  void press_at(INT_S16 px, INT_S16 py) {
    move_to(px, py);
    frame(16);
    left_down();
    frames(2);
  }
  static INT_S16 mid_x(const WM_SCREEN_OBJECT* o) { return static_cast<INT_S16>(o->x + o->width / 2); }
  static INT_S16 mid_y(const WM_SCREEN_OBJECT* o) { return static_cast<INT_S16>(o->y + o->height / 2); }
  static WM_TEXT_WIN* credits(WM_ABOUT* about) {
    for (INT_S16 i = 0; WM_SCREEN_OBJECT* o = about->client_area->child_at(i); ++i)
      if (o->kind & WM_KIND_TEXT_WIN) return static_cast<WM_TEXT_WIN*>(o);
    return nullptr;
  }
  static WM_IMAGE* picture(WM_ABOUT* about) {
    for (INT_S16 i = 0; WM_SCREEN_OBJECT* o = about->client_area->child_at(i); ++i)
      if (o->kind & WM_KIND_IMAGE) return static_cast<WM_IMAGE*>(o);
    return nullptr;
  }
};

}  // namespace

// All -1 gives 440 x 320 centred; the picture at the left, the credits from
// 80 px into the client area down to one pixel above "Close", which is
// centred along the bottom.
TEST_F(About, DefaultSizeAndLayout) {
  WM_ABOUT* about = open();
  EXPECT_EQ(about->width, 440);
  EXPECT_EQ(about->height, 320);
  EXPECT_EQ(about->get_x(), (kWideScreen - 440) / 2);
  EXPECT_EQ(about->get_y(), (kTallScreen - 320) / 2);
  EXPECT_TRUE(about->kind & WM_KIND_ABOUT);
  EXPECT_STREQ(about->get_title(), "About");
  WM_SCREEN_OBJECT* client = about->client_area;
  WM_BUTTON* close = about->close_button;
  ASSERT_NE(close, nullptr);
  EXPECT_STREQ(close->text, "Close");
  EXPECT_EQ(close->x - client->x, (client->width - close->width) / 2);
  EXPECT_EQ(close->y + close->height, client->y + client->height);
  WM_IMAGE* pic = picture(about);
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->x, client->x);
  EXPECT_EQ(pic->picture.width, 80);
  EXPECT_EQ(pic->y - client->y, (client->height - 75) / 4);
  EXPECT_EQ(pic->width, 80);  // taken from the picture when drawn
  EXPECT_EQ(pic->height, 75);
  // A widget of size 0 meets no dirty rectangle: it must still be drawn.
  int opaque = 0, shown = 0;
  for (INT_S16 j = 0; j < 75; ++j)
    for (INT_S16 i = 0; i < 80; ++i) {
      const COLOUR c = *pic->picture.pixel_at(pic->picture.x + i, pic->picture.y + j);
      if ((c >> 24) != 0xFF) continue;
      ++opaque;
      if (pixel(static_cast<INT_S16>(pic->x + i), static_cast<INT_S16>(pic->y + j)) == c) ++shown;
    }
  EXPECT_GT(opaque, 100);
  EXPECT_EQ(shown, opaque);
  WM_TEXT_WIN* text = credits(about);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->x - client->x, 80);
  EXPECT_EQ(text->y, client->y);
  EXPECT_EQ(text->x + text->width, client->x + client->width);
  EXPECT_EQ(text->y + text->height, close->y);
  EXPECT_GT(text->line_total, 0);
}

// "Close" answers press and release; pressed, left and released outside it
// keeps the box; released inside it closes the box, which stays allocated.
TEST_F(About, CloseOnReleaseInside) {
  WM_ABOUT* about = open();
  WM_BUTTON* close = about->close_button;
  press_at(mid_x(close), mid_y(close));
  move_to(static_cast<INT_S16>(close->x - 20), mid_y(close));
  frame(16);
  left_up();
  frames(40);
  EXPECT_EQ(about->visible, 1);

  press_at(mid_x(close), mid_y(close));
  left_up();
  frames(40);
  EXPECT_EQ(about->visible, 0);
  EXPECT_TRUE(is_popup(about));
  root()->remove_popup(about, 1, 0);
}

// A click on the credits starts the stand-in browser with the web address;
// the box stays open.
TEST_F(About, CreditsClickStartsTheBrowser) {
  char cwd[1024];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  const std::string record = std::string(cwd) + "/browser.txt";
  const std::string script = std::string(cwd) + "/browser.sh";
  {
    std::ofstream s(script);
    s << "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" << record << "'\n";
  }
  ASSERT_EQ(chmod(script.c_str(), 0755), 0);
  setenv("BROWSER", script.c_str(), 1);

  WM_ABOUT* about = open();
  WM_TEXT_WIN* text = credits(about);
  ASSERT_NE(text, nullptr);
  press_at(static_cast<INT_S16>(text->x + 20), static_cast<INT_S16>(text->y + 6));
  left_up();
  frames(3);
  std::string seen;
  for (int waited = 0; waited < 5000 && seen.empty(); waited += 20) {
    std::ifstream in(record);
    std::getline(in, seen);
    if (seen.empty()) usleep(20000);
  }
  EXPECT_EQ(seen, wm_about_web_address);
  frames(40);
  EXPECT_EQ(about->visible, 1);
  root()->remove_popup(about, 1, 0);
}
