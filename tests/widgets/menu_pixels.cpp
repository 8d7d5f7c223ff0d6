// An open menu bar chain painted in flat colours, read back at probe points:
// the two item colours alternating by parity, the separator line, the "v"
// row of a sub-menu cut by the menu bounds, and the menus' frames.
#include "menu_test_env.h"

namespace {

using namespace mt;

const COLOUR kLineColour = 0xFFE0E000u, kArrowColour = 0xFFC02020u;

class MenuPixels : public MenuTest {};

TEST_F(MenuPixels, AnOpenMenuBarChain) {
  wm_default_colour = kLineColour;  // the grids' and separators' colour
  wm_bevel_dark_colour = wm_bevel_light_colour = 0;
  pm().backgrounds[0].create(kScreenWidth, kScreenHeight);
  pm().backgrounds[0].clear(&kBackdrop, 1);
  set_bounds(-1, -1, 0, 150);
  WM_STYLE_SET bar = flat(kBarColour), arrows = flat(kArrowColour);
  WM_MENU* file = add(new WM_MENU(0, 0, 59, 19, "File", MENU_BELOW, &bar, &frame_style,
                                  &even_style, &odd_style, nullptr, &arrows, &arrows, &kInstant,
                                  nullptr));
  WM_MENU* edit = add(new WM_MENU(60, 0, 119, 19, "Edit", MENU_BELOW, &bar, &frame_style,
                                  &even_style, &odd_style, nullptr, &arrows, &arrows, &kInstant,
                                  nullptr));
  edit->link(file);
  fill(file->menu, {"New", "Open", "-", "Save"});
  WM_MENU* recent = file->menu->add_submenu("Recent", 0, 1, nullptr, nullptr);
  fill(recent->menu, names(12, "r"));
  click(5, 5);
  INT_S16 px, py;
  row_centre(file->menu, 4, &px, &py);
  move_to(px, py);
  frames(3);
  ASSERT_TRUE(recent->menu->visible);
  move_to(300, 230);  // away from every item: no hover look
  frames(1);
  redraw_all();
  // Written out by hand: the bar's menu at (0, 21), rows from y 23 (18 each,
  // the separator 3); its sub-menu pushed up inside the bounds to y 3, its
  // last visible row "v".
  struct PROBE_POINT {
    const char* what;
    int x, y;
    COLOUR want;
  } probes[] = {
      {"row 0, even item", 52, 37, kEvenColour},
      {"row 1, odd item", 52, 55, kOddColour},
      {"separator line", 30, 60, kLineColour},
      {"row 3, even item after the separator", 52, 73, kEvenColour},
      {"row 4, the sub-menu item, odd", 8, 95, kOddColour},
      {"frame, left side", 0, 60, 0xFFFFFF00u},
      {"frame, bottom edge", 30, 99, 0xFF9C9C00u},
      {"sub-menu row 0 continues the parity: odd", 100, 18, kOddColour},
      {"sub-menu row 1, even", 100, 37, kEvenColour},
      {"sub-menu grid gap", 60, 100, kLineColour},
      {"sub-menu \"v\" row", 70, 140, kArrowColour},
      {"sub-menu \"v\" row, right", 110, 145, kArrowColour},
      {"below the sub-menu", 70, 153, kBackdrop},
  };
  for (const PROBE_POINT& p : probes) {
    SCOPED_TRACE(p.what);
    ASSERT_NE(screen->pixel_at(p.x, p.y), nullptr);
    EXPECT_EQ(*screen->pixel_at(p.x, p.y), p.want)
        << std::hex << *screen->pixel_at(p.x, p.y) << " at " << std::dec << p.x << "," << p.y;
  }
  EXPECT_EQ(recent->menu->down_row, recent->menu->last_visible);
}

}  // namespace
