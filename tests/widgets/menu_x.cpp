// Menus under a real X server: widget_demo's "menus" scene, two ring-linked
// menu buttons (the second with a sub-menu) and a list box, driven as a
// person would (press, a pause of a few frames, release); colours read back.
#include <cstdio>

#include "widget_demo_x.h"

using namespace wdx;

namespace {

const uint32_t kFileItems = 0x2060C0, kEditItems = 0x20A040, kListItems = 0xA03080,
               kBackground = 0x202020;

// Takes the next line that begins with the prefix; its text after the prefix.
bool next(Demo& demo, const std::string& prefix, std::string* rest = nullptr) {
  const std::string l = demo.line(prefix);
  if (l.empty()) return false;
  if (rest) *rest = l.substr(prefix.size());
  return true;
}

// The centre of a menu's row, from its "row" line.
bool row(Demo& demo, const std::string& menu, int index, int* x, int* y) {
  std::string rest;
  if (!next(demo, "row " + menu + " " + std::to_string(index) + " ", &rest)) return false;
  return std::sscanf(rest.c_str(), "%d %d", x, y) == 2;
}

class XMenus : public DemoTest {};

}  // namespace

TEST_F(XMenus, RingSubMenuEscapeAndListBox) {
  ASSERT_NO_FATAL_FAILURE(start("menus"));
  Demo& demo = *demo_;
  // The right side of a row is face colour: the text is centred.
  auto face = [&](int cx, int cy, int menu_x, int menu_w) {
    (void)cx;
    return pixel(menu_x + menu_w - 5, cy);
  };

  // A click opens the first menu.
  ASSERT_TRUE(click(id_, 20, 20));
  std::string geometry;
  ASSERT_TRUE(next(demo, "shown file ", &geometry)) << demo.text();
  int fx, fy, fw, fh;
  ASSERT_EQ(std::sscanf(geometry.c_str(), "%d %d %d %d", &fx, &fy, &fw, &fh), 4);
  int rx, ry;
  ASSERT_TRUE(row(demo, "file", 1, &rx, &ry)) << demo.text();
  EXPECT_TRUE(eventually([&] { return face(rx, ry, fx, fw) == kFileItems; }))
      << std::hex << face(rx, ry, fx, fw);

  // Onto the second button, no click: the menus swap.
  ASSERT_TRUE(move(id_, 100, 20));
  ASSERT_TRUE(next(demo, "hidden file")) << demo.text();
  ASSERT_TRUE(next(demo, "shown edit ", &geometry)) << demo.text();
  int ex, ey, ew, eh;
  ASSERT_EQ(std::sscanf(geometry.c_str(), "%d %d %d %d", &ex, &ey, &ew, &eh), 4);
  int cx, cy, mx, my;
  ASSERT_TRUE(row(demo, "edit", 0, &cx, &cy)) << demo.text();
  ASSERT_TRUE(row(demo, "edit", 1, &mx, &my)) << demo.text();
  EXPECT_TRUE(eventually([&] { return face(cx, cy, ex, ew) == kEditItems; }))
      << std::hex << face(cx, cy, ex, ew);
  EXPECT_TRUE(eventually([&] { return pixel(fx + 3, ry) == kBackground; }))
      << std::hex << pixel(fx + 3, ry);

  // The sub-menu opens on entry; a click on its item prints the id and the
  // page shows again.
  ASSERT_TRUE(move(id_, mx, my));
  ASSERT_TRUE(next(demo, "shown more ")) << demo.text();
  int sx, sy;
  ASSERT_TRUE(row(demo, "more", 1, &sx, &sy)) << demo.text();
  ASSERT_TRUE(move(id_, mx + 10, my));  // along the item first, as a hand goes
  usleep(kHold);
  ASSERT_TRUE(click(id_, sx, sy));
  EXPECT_TRUE(next(demo, "item 22")) << demo.text();
  EXPECT_TRUE(next(demo, "hidden ")) << demo.text();
  EXPECT_TRUE(eventually([&] {
    return pixel(sx, sy) == kBackground && pixel(ex + 3, cy) == kBackground;
  })) << std::hex << pixel(sx, sy);
  EXPECT_EQ(demo.text().find("item 11"), std::string::npos);

  // Escape closes an open menu.
  ASSERT_TRUE(click(id_, 20, 20));
  ASSERT_TRUE(next(demo, "shown file ")) << demo.text();
  ASSERT_TRUE(key("Escape"));
  EXPECT_TRUE(next(demo, "hidden file")) << demo.text();
  EXPECT_TRUE(eventually([&] { return pixel(fx + 3, ry) == kBackground; }));

  // The list box: a chosen entry, then the wheel once the pointer rested.
  ASSERT_TRUE(click(id_, 250, 20));
  ASSERT_TRUE(next(demo, "shown list ", &geometry)) << demo.text();
  int lx, ly, lw, lh;
  ASSERT_EQ(std::sscanf(geometry.c_str(), "%d %d %d %d", &lx, &ly, &lw, &lh), 4);
  int tx, ty;
  ASSERT_TRUE(row(demo, "list", 2, &tx, &ty)) << demo.text();
  EXPECT_TRUE(eventually([&] { return face(tx, ty, lx, lw) == kListItems; }));
  ASSERT_TRUE(click(id_, tx, ty));
  EXPECT_TRUE(next(demo, "selection 2")) << demo.text();
  ASSERT_TRUE(move(id_, 250, 20));
  usleep(kHold);
  ASSERT_TRUE(zt::xdotool("click 4"));
  EXPECT_TRUE(next(demo, "selection 1")) << demo.text();
  usleep(kHold);
  ASSERT_TRUE(zt::xdotool("click 5"));
  EXPECT_TRUE(next(demo, "selection 2")) << demo.text();
  usleep(kHold);
  ASSERT_TRUE(zt::xdotool("click 5"));
  EXPECT_TRUE(next(demo, "selection 3")) << demo.text();
}
