// Dirty-rectangle list, invalidation and the redraw pass.
#include "wm_test_env.h"

using namespace wmt;

namespace {

class DirtyRects : public ::testing::Test {
 protected:
  void SetUp() override {
    make_screen(320, 200);
    wm_dirty_rect_count = 0;
  }
  static void add(int x1, int y1, int x2, int y2) {
    add_screen_dirty_rect(nullptr, static_cast<INT_S16>(x1), static_cast<INT_S16>(y1),
                          static_cast<INT_S16>(x2), static_cast<INT_S16>(y2));
  }
  // The list as "l,t-r,b" entries in list order.
  static std::string list() {
    std::string s;
    for (int i = 0; i < wm_dirty_rect_count; ++i) {
      const DIRTY_RECT& r = wm_dirty_rects[i];
      s += (s.empty() ? "" : " ") + std::to_string(r.left) + "," + std::to_string(r.top) + "-" +
           std::to_string(r.right) + "," + std::to_string(r.bottom);
    }
    return s;
  }
};

struct Rect {
  int x1, y1, x2, y2;
};

}  // namespace

TEST_F(DirtyRects, MergeTable) {
  struct Case {
    const char* name;
    INT_S32 mode;
    std::vector<Rect> adds;
    const char* expect;
  } cases[] = {
      {"near merges", 3, {{10, 10, 20, 20}, {40, 10, 50, 20}}, "10,10-50,20"},
      {"far stays apart", 3, {{10, 10, 20, 20}, {100, 100, 110, 110}},
       "10,10-20,20 100,100-110,110"},
      {"gap of exactly the margin stays apart", 3, {{10, 10, 20, 20}, {52, 10, 60, 20}},
       "10,10-20,20 52,10-60,20"},
      {"contained is dropped", 3, {{10, 10, 50, 50}, {20, 20, 30, 30}}, "10,10-50,50"},
      {"cascade swallows a third", 3,
       {{0, 0, 10, 10}, {60, 0, 70, 10}, {35, 0, 40, 10}}, "0,0-70,10"},
      {"union dropped as contained", 3, {{0, 0, 100, 100}, {150, 150, 160, 160}, {90, 90, 155, 155}},
       "0,0-160,160"},
      {"mode 1 appends apart", 1, {{10, 10, 20, 20}, {15, 15, 25, 25}},
       "10,10-20,20 15,15-25,25"},
      {"mode 1 drops contained", 1, {{10, 10, 20, 20}, {12, 12, 18, 18}}, "10,10-20,20"},
      {"mode 0 one bounding box", 0, {{10, 10, 20, 20}, {100, 5, 110, 50}}, "10,5-110,50"},
      {"mode 4 whole screen", 4, {{10, 10, 20, 20}, {100, 100, 110, 110}}, "0,0-319,199"},
      {"mode 2 merges near squares", 2, {{10, 10, 20, 20}, {40, 10, 50, 20}}, "10,10-50,20"},
      {"mode 2 keeps diagonal bars apart", 2, {{0, 0, 100, 2}, {120, 20, 220, 22}},
       "0,0-100,2 120,20-220,22"},
      {"mode 3 merges diagonal bars", 3, {{0, 0, 100, 2}, {120, 20, 220, 22}}, "0,0-220,22"},
      {"mode 5 ignores", 5, {{10, 10, 20, 20}}, ""},
      {"mode -1 ignores", -1, {{10, 10, 20, 20}}, ""},
  };
  for (const Case& k : cases) {
    wm_dirty_rect_count = 0;
    wm_dirty_mode = k.mode;
    for (const Rect& r : k.adds) add(r.x1, r.y1, r.x2, r.y2);
    EXPECT_EQ(list(), k.expect) << k.name;
  }
  wm_dirty_mode = 3;
}

TEST_F(DirtyRects, FullListFoldsIntoTheFirstEntry) {
  for (int i = 0; i < 128; ++i) add(i * 40, 0, i * 40, 0);  // 40 apart: beyond the margin
  ASSERT_EQ(wm_dirty_rect_count, 128);
  add(5, 190, 6, 191);  // the 129th, near nothing
  EXPECT_EQ(wm_dirty_rect_count, 128);
  const DIRTY_RECT& r = wm_dirty_rects[0];
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 6);
  EXPECT_EQ(r.bottom, 191);
  EXPECT_EQ(wm_dirty_rects[127].left, 127 * 40);
}

TEST_F(DirtyRects, NothingIsAddedWhileARedrawRuns) {
  wm_drawn_dirty_rect = 0;
  add(1, 1, 2, 2);
  WM_SCREEN_OBJECT o(0, nullptr, 0, 0);
  o.width = o.height = 10;
  o.show();
  EXPECT_EQ(wm_dirty_rect_count, 0);
  wm_drawn_dirty_rect = -1;
}

TEST_F(DirtyRects, InvalidationClampsToTheScreen) {
  struct Case {
    const char* name;
    int x, y, w, h;         // object rectangle; invalidate()
    const char* expect;
  } objects[] = {
      {"top-left overhang", -5, -5, 10, 10, "0,0-4,4"},
      {"right overhang", 310, 10, 20, 5, "310,10-319,14"},
      {"wholly above", 10, -50, 20, 20, ""},
      {"wholly right", 330, 10, 20, 20, ""},
      {"zero width", 10, 10, 0, 5, ""},
  };
  for (const Case& k : objects) {
    wm_dirty_rect_count = 0;
    WM_SCREEN_OBJECT o(1, nullptr, 0, 0);
    o.x = static_cast<INT_S16>(k.x);
    o.y = static_cast<INT_S16>(k.y);
    o.width = static_cast<INT_S16>(k.w);
    o.height = static_cast<INT_S16>(k.h);
    o.invalidate();
    EXPECT_EQ(list(), k.expect) << k.name;
  }
  struct RectCase {
    const char* name;
    Rect r;
    const char* expect;
  } rects[] = {
      {"inside", {10, 10, 20, 20}, "10,10-20,20"},
      {"inverted", {20, 10, 10, 20}, ""},
      // A dialog sliding in from above: wholly off screen must add nothing,
      // not an inverted rectangle.
      {"wholly above", {10, -60, 50, -10}, ""},
      {"wholly left", {-60, 10, -10, 50}, ""},
      {"wholly right", {400, 10, 450, 50}, ""},
      {"wholly below", {10, 250, 50, 300}, ""},
      {"straddling", {-10, -10, 400, 300}, "0,0-319,199"},
  };
  for (const RectCase& k : rects) {
    wm_dirty_rect_count = 0;
    WM_SCREEN_OBJECT o(1, nullptr, 0, 0);
    o.invalidate_rect(static_cast<INT_S16>(k.r.x1), static_cast<INT_S16>(k.r.y1),
                      static_cast<INT_S16>(k.r.x2), static_cast<INT_S16>(k.r.y2));
    EXPECT_EQ(list(), k.expect) << k.name;
  }
  wm_dirty_rect_count = 0;
  WM_SCREEN_OBJECT o(1, nullptr, 0, 0);
  o.invalidate_display();
  EXPECT_EQ(list(), "0,0-319,199");
}

TEST_F(DirtyRects, RenderClearsFlagsWithoutDrawingOutsideTheRectangle) {
  PROBE inside("in", 10, 10, 10, 10), outside("out", 100, 100, 10, 10);
  wm_dirty_rects[0] = DIRTY_RECT{0, 0, 50, 50};
  wm_dirty_rect_count = 1;
  wm_drawn_dirty_rect = 0;
  inside.render();
  outside.render();
  wm_drawn_dirty_rect = -1;
  EXPECT_EQ(inside.draws, 1);
  EXPECT_EQ(outside.draws, 0);
  EXPECT_EQ(outside.drawn, 1);
  EXPECT_EQ(outside.needs_redraw, 0);
  // Without an active rectangle render does nothing at all.
  PROBE idle("idle", 0, 0, 5, 5);
  idle.render();
  EXPECT_EQ(idle.drawn, 0);
}

// The page manager's redraw pass: only what lies inside each dirty rectangle
// is repainted; sentinel pixels outside survive, pop-ups come on top and a
// child that is also a pop-up is drawn with the pop-ups only.
TEST_F(DirtyRects, RedrawPaintsOnlyInsideTheDirtyRectangles) {
  IMAGE* screen = make_screen(320, 200, 0xFF123456u);
  PAGE_MANAGER pm(1, -1);
  const COLOUR bg = 0xFF0000FFu;
  pm.backgrounds[0].create(320, 200);
  pm.backgrounds[0].clear(&bg, 1);
  WM_MANAGER& area = pm.areas[0].manager;
  PROBE* big = new PROBE("big", 0, 0, 320, 200, 0xFF00FF00u);
  PROBE* both = new PROBE("both", 50, 50, 20, 20, 0xFFFF0000u);
  area.add_child(big, 0);
  area.add_child(both, 0);
  PROBE* popup = new PROBE("popup", 60, 60, 20, 20, 0xFFFFFF00u);
  area.add_popup(popup, 0);
  area.add_popup(both, 0);  // a dragged child: drawn above the dialog
  wm_dirty_rect_count = 0;
  add(40, 40, 89, 89);
  wm_dirty_rects[wm_dirty_rect_count++] = DIRTY_RECT{-1, -1, -1, -1};  // inactive
  pm.redraw();
  EXPECT_EQ(wm_dirty_rect_count, 0);
  EXPECT_EQ(wm_drawn_dirty_rect, -1);
  struct Probe {
    INT_S16 x, y;
    COLOUR expect;
  } probes[] = {
      {39, 39, 0xFF123456u},  // outside: untouched sentinel
      {90, 90, 0xFF123456u},  {0, 0, 0xFF123456u},  {319, 199, 0xFF123456u},
      {40, 40, 0xFF00FF00u},  // inside, big
      {89, 89, 0xFF00FF00u},  {55, 55, 0xFFFF0000u},  // both
      {65, 65, 0xFFFF0000u},  // both above the pop-up
      {75, 75, 0xFFFFFF00u},  // pop-up
  };
  for (const Probe& p : probes) EXPECT_EQ(pixel(p.x, p.y), p.expect) << p.x << "," << p.y;
  EXPECT_EQ(both->draws, 1);
  EXPECT_EQ(screen->clip_left, 0);
  EXPECT_EQ(screen->clip_bottom, 199);
  area.release_children(1, 0, 1);
}

TEST_F(DirtyRects, ManagerTakesTheScreenSizeOnce) {
  WM_MANAGER m;
  EXPECT_EQ(m.get_width(), 320);
  EXPECT_EQ(m.get_height(), 200);
  make_screen(100, 50);
  EXPECT_EQ(m.get_width(), 320);
  wm_dirty_rect_count = 0;
  m.set_size(320, 200, 1);
  EXPECT_EQ(wm_dirty_rect_count, 0);
  PROBE* c = new PROBE("c", 0, 0, 10, 10);
  m.add_child(c, 0);
  m.set_size(40, 30, 1);
  EXPECT_EQ(c->width, 10);  // children keep their size
  EXPECT_EQ(list(), "0,0-39,29");
  EXPECT_EQ(m.can_focus(), 0);
}

TEST_F(DirtyRects, RedrawAreaRepaintsAtOnceAndKeepsTheList) {
  make_screen(320, 200, 0xFF123456u);
  PAGE_MANAGER pm(1, -1);
  PROBE* a = new PROBE("a", 10, 10, 30, 30, 0xFF00FF00u);
  pm.areas[0].manager.add_child(a, 0);
  PROBE loose("loose", 100, 100, 10, 10, 0xFFFF0000u);  // in no page area
  wm_dirty_rect_count = 0;
  add(200, 150, 210, 160);
  a->redraw_area();
  loose.redraw_area();
  EXPECT_EQ(pixel(20, 20), 0xFF00FF00u);
  EXPECT_EQ(pixel(105, 105), 0xFFFF0000u);
  EXPECT_EQ(pixel(9, 9), 0xFF123456u);
  EXPECT_EQ(list(), "200,150-210,160");
  EXPECT_EQ(wm_drawn_dirty_rect, -1);
}
