// Screen objects: construction, children, geometry, visibility, ownership.
#include "wm_test_env.h"

using namespace wmt;

namespace {

class ScreenObject : public ::testing::Test {
 protected:
  void SetUp() override { make_screen(200, 100); }
};

void focus_logger(WM_SCREEN_OBJECT* o, INT_WORD arg) {
  log().push_back("focus" + std::to_string(word_to_s32(arg)) + (wm_focus_object == o ? "+" : "-"));
}

}  // namespace

TEST_F(ScreenObject, ConstructionDefaults) {
  WM_SCREEN_OBJECT o(1, nullptr, word_from_s32(7), word_from_s32(-8));
  EXPECT_EQ(o.visible, 1);
  EXPECT_EQ(o.needs_redraw, 1);
  EXPECT_EQ(o.drawn, 0);
  EXPECT_EQ(o.layer, -1);
  EXPECT_EQ(o.shading_type, 1u);
  EXPECT_EQ(o.click_mode, static_cast<INT_U32>(CLICK_ON_BOTH));
  EXPECT_EQ(o.colour, 0u);
  EXPECT_EQ(word_to_s32(o.action_arg2), -8);
  EXPECT_EQ(wm_surface, get_screen_image(0));
  WM_SCREEN_OBJECT hidden(0, nullptr, 0, 0);
  EXPECT_EQ(hidden.needs_redraw, 0);
}

TEST_F(ScreenObject, ChildAddedToUndrawnParentIsNotInvalidated) {
  WM_SCREEN_OBJECT parent(1, nullptr, 0, 0);
  wm_dirty_rect_count = 0;
  parent.add_child(new PROBE("c", 10, 10, 5, 5), 0);
  EXPECT_EQ(wm_dirty_rect_count, 0);
  parent.drawn = 1;
  parent.add_child(new PROBE("d", 10, 10, 5, 5), 0);
  EXPECT_EQ(wm_dirty_rect_count, 1);
}

TEST_F(ScreenObject, AddChildAppendsWhateverTheCursor) {
  WM_SCREEN_OBJECT parent(1, nullptr, 0, 0);
  PROBE* a = new PROBE("a", 0, 0, 1, 1);
  PROBE* b = new PROBE("b", 0, 0, 1, 1);
  PROBE* c = new PROBE("c", 0, 0, 1, 1);
  parent.add_child(a, 0);
  parent.add_child(b, 0);
  parent.children.cursor = parent.children.head;  // a walk is under way
  parent.add_child(c, 0);
  EXPECT_EQ(parent.child_at(0), a);
  EXPECT_EQ(parent.child_at(2), c);
  EXPECT_EQ(parent.child_at(3), nullptr);
  EXPECT_EQ(parent.child_at(-1), nullptr);
  wm_popup_list.cursor = wm_popup_list.head;
  PROBE p("p", 0, 0, 1, 1), q("q", 0, 0, 1, 1);
  parent.add_popup(&p, 0);
  wm_popup_list.cursor = wm_popup_list.head;
  parent.add_popup(&q, 0);
  EXPECT_EQ(PTRLLIST::stored_pointer(wm_popup_list.tail), &q);
}

TEST_F(ScreenObject, RelativeAddAndRemoveMoveAndRelayer) {
  WM_SCREEN_OBJECT parent(1, nullptr, 0, 0);
  parent.x = 100;
  parent.y = 50;
  parent.layer = 3;
  PROBE* c = new PROBE("c", 5, 6, 10, 10);
  parent.add_child(c, 1);
  EXPECT_EQ(c->x, 105);
  EXPECT_EQ(c->y, 56);
  EXPECT_EQ(c->layer, 3);
  parent.remove_child(c, 0, 1);
  EXPECT_EQ(c->x, 5);
  EXPECT_EQ(c->y, 6);
  EXPECT_EQ(c->layer, 0);
  EXPECT_EQ(c->visible, 0);
  EXPECT_EQ(c->get_parent(), nullptr);
  parent.layer = -4;  // a pop-up above area 2
  parent.add_child(c, 0);
  parent.remove_child(c, 0, 0);
  EXPECT_EQ(c->layer, 2);
  delete c;
}

TEST_F(ScreenObject, PositionAndSizeDeltasReachEveryDescendant) {
  WM_SCREEN_OBJECT parent(1, nullptr, 0, 0);
  parent.width = parent.height = 50;
  PROBE* c = new PROBE("c", 10, 10, 20, 20);
  PROBE* g = new PROBE("g", 12, 12, 5, 5);
  parent.add_child(c, 0);
  c->add_child(g, 0);
  wm_dirty_rect_count = 0;
  parent.set_position(0, 0);  // unchanged: nothing happens
  EXPECT_EQ(wm_dirty_rect_count, 0);
  parent.set_position(30, 20);
  EXPECT_EQ(c->x, 40);
  EXPECT_EQ(g->x, 42);
  EXPECT_EQ(g->y, 32);
  parent.set_size(60, 55, 0);
  EXPECT_EQ(c->width, 20);
  parent.set_size(70, 65, 1);
  EXPECT_EQ(c->width, 30);
  EXPECT_EQ(g->height, 15);
}

TEST_F(ScreenObject, HitTests) {
  WM_SCREEN_OBJECT parent(1, nullptr, 0, 0);
  parent.width = parent.height = 50;
  PROBE* a = new PROBE("a", 10, 10, 20, 20);
  PROBE* b = new PROBE("b", 20, 20, 20, 20);
  PROBE* out = new PROBE("out", 80, 80, 10, 10);  // sticks out of the parent
  PROBE* hid = new PROBE("hid", 0, 0, 5, 5, 0xFFFFFFFFu, 0);
  parent.add_child(a, 0);
  parent.add_child(b, 0);
  parent.add_child(out, 0);
  parent.add_child(hid, 0);
  struct Case {
    INT_S16 px, py;
    WM_SCREEN_OBJECT* expect;
  } cases[] = {{25, 25, b}, {12, 12, a}, {2, 2, &parent}, {85, 85, out}, {60, 60, nullptr},
               {-1, 0, nullptr}, {49, 49, &parent}, {50, 50, nullptr}};
  for (const Case& k : cases) EXPECT_EQ(parent.object_at(k.px, k.py), k.expect) << k.px;
  EXPECT_TRUE(parent.is_over(85, 85));
  EXPECT_FALSE(parent.contains(85, 85));
  EXPECT_FALSE(hid->is_over(1, 1));
}

TEST_F(ScreenObject, HideWithPopupsHidesEveryPopup) {
  WM_SCREEN_OBJECT a(1, nullptr, 0, 0), b(1, nullptr, 0, 0);
  PROBE p1("p1", 0, 0, 5, 5), p2("p2", 0, 0, 5, 5);
  b.add_popup(&p1, 0);
  b.add_popup(&p2, 0);
  a.hide(1, 0);
  EXPECT_EQ(p1.visible, 0);
  EXPECT_EQ(p2.visible, 0);
  EXPECT_EQ(a.visible, 0);
  b.remove_popup(&p1, 0, 0);
  b.remove_popup(&p2, 0, 0);
}

TEST_F(ScreenObject, DeletingTheFocusObjectClearsFocusBeforeItsCallback) {
  PROBE* o = new PROBE("o", 0, 0, 5, 5);
  o->focusable = 1;
  o->focus_callback = focus_logger;
  o->focus_arg = word_from_s32(9);
  o->take_focus();
  ASSERT_EQ(wm_focus_object, o);
  wm_pressed_object = o;
  log().clear();
  delete o;
  EXPECT_EQ(joined_log(), "~o focus9-");
  EXPECT_EQ(wm_focus_object, nullptr);
  EXPECT_EQ(wm_pressed_object, nullptr);
}

TEST_F(ScreenObject, NotOwnedChildSurvivesItsParent) {
  PROBE keeper("keeper", 0, 0, 5, 5);
  keeper.not_owned = 1;
  {
    WM_SCREEN_OBJECT parent(1, nullptr, 0, 0);
    parent.add_child(&keeper, 0);
    parent.add_child(new PROBE("owned", 0, 0, 5, 5), 0);
    log().clear();
  }
  EXPECT_EQ(joined_log(), "~owned");
  EXPECT_EQ(keeper.visible, 0);
  EXPECT_EQ(keeper.get_parent(), nullptr);
}

// An object that is both a child and a pop-up (a dragged button) is deleted
// once, by its parent, whichever path removes it; nothing keeps pointing at it.
TEST_F(ScreenObject, ChildThatIsAlsoAPopupIsDeletedOnce) {
  struct Path {
    const char* name;
    void (*run)(WM_SCREEN_OBJECT* parent, WM_SCREEN_OBJECT* both);
  } paths[] = {
      {"remove_child destroy", [](WM_SCREEN_OBJECT* p, WM_SCREEN_OBJECT* c) { p->remove_child(c, 1, 0); }},
      {"release_children popups+children", [](WM_SCREEN_OBJECT* p, WM_SCREEN_OBJECT*) { p->release_children(1, 0, 1); }},
      {"release_children popups only", [](WM_SCREEN_OBJECT* p, WM_SCREEN_OBJECT*) { p->release_children(1, 0, 0); }},
      {"remove_popup destroy", [](WM_SCREEN_OBJECT* p, WM_SCREEN_OBJECT* c) { p->remove_popup(c, 1, 0); }},
      {"direct delete", [](WM_SCREEN_OBJECT*, WM_SCREEN_OBJECT* c) { delete c; }},
  };
  for (const Path& path : paths) {
    log().clear();
    WM_SCREEN_OBJECT* parent = new WM_SCREEN_OBJECT(1, nullptr, 0, 0);
    PROBE* both = new PROBE("both", 0, 0, 5, 5);
    parent->add_child(both, 0);
    parent->add_popup(both, 0);
    parent->add_popup(both, 0);  // listed twice
    path.run(parent, both);
    delete parent;
    EXPECT_EQ(joined_log(), "~both") << path.name;
    EXPECT_EQ(wm_popup_list.count, 0) << path.name;
  }
}

// A child has one parent: adding it elsewhere (or again) takes it off the
// first list, and the place it was shown is painted over. Deleting both
// parents afterwards deletes it once.
TEST_F(ScreenObject, AddChildMovesTheChildFromItsFormerParent) {
  WM_SCREEN_OBJECT* first = new WM_SCREEN_OBJECT(1, nullptr, 0, 0);
  WM_SCREEN_OBJECT* second = new WM_SCREEN_OBJECT(1, nullptr, 0, 0);
  first->x = 10;
  first->width = first->height = 50;
  first->drawn = 1;
  PROBE* child = new PROBE("child", 20, 20, 5, 5);
  first->add_child(child, 0);
  first->add_child(child, 0);  // twice to the same parent: listed once
  EXPECT_EQ(first->children.count, 1);
  child->drawn = 1;
  wm_dirty_rect_count = 0;
  second->add_child(child, 0);
  EXPECT_EQ(first->children.count, 0);
  EXPECT_EQ(second->children.count, 1);
  EXPECT_EQ(child->get_parent(), second);
  bool painted_over = false;
  for (int i = 0; i < wm_dirty_rect_count; ++i) {
    const DIRTY_RECT& r = wm_dirty_rects[i];
    painted_over |= r.left <= 20 && r.top <= 20 && r.right >= 24 && r.bottom >= 24;
  }
  EXPECT_TRUE(painted_over);
  log().clear();
  delete second;
  EXPECT_EQ(joined_log(), "~child");
  delete first;
  EXPECT_EQ(joined_log(), "~child");
}

TEST_F(ScreenObject, AnObjectCannotBecomeItsOwnDescendant) {
  WM_SCREEN_OBJECT top(1, nullptr, 0, 0);
  WM_SCREEN_OBJECT* mid = new WM_SCREEN_OBJECT(1, nullptr, 0, 0);
  top.add_child(mid, 0);
  mid->add_child(&top, 0);
  mid->add_child(mid, 0);
  EXPECT_EQ(top.get_parent(), nullptr);
  EXPECT_EQ(mid->get_parent(), &top);
  EXPECT_EQ(mid->children.count, 0);
  EXPECT_EQ(top.is_over(1000, 1000), 0);  // a loop would never return
}

TEST(WmGlobals, BuiltInValues) {
  EXPECT_EQ(wm_click_sound.handle, nullptr);
  EXPECT_EQ(wm_click_sound.volume, 100);
  EXPECT_EQ(wm_click_sound.pan, 0);
  EXPECT_STREQ(wm_click_sound.name, "");
  FOLDER app;
  app.set("$APP");
  EXPECT_STREQ(wm_click_sound.folder.path, app.path);
  EXPECT_EQ(wm_arrow_images[ARROW_RIGHT].width, 0);
  EXPECT_EQ(wm_popup_list.count, 0);
  struct Setting {
    long value, expect;
  } settings[] = {{wm_dirty_mode, 3},           {wm_dirty_merge_margin, 32},
                  {wm_drawn_dirty_rect, -1},    {wm_activate_key, 36},
                  {wm_default_shading_type, 6}, {wm_cursor_kind, 255},
                  {wm_tick_armed, 1},           {wm_popup_pass_armed, 1},
                  {wm_menu_bounds[2], -1},      {wm_rebuild_on_screen_change, 1},
                  {wm_use_cursor_shapes, 1},    {wm_busy_cursor_on_page_change, 1},
                  {static_cast<long>(wm_bevel_dark_colour), 0xFF808080L},
                  {static_cast<long>(wm_outline_colour), 0xFFFFFF00L},
                  {static_cast<long>(wm_bevel_base_colour), 0}};
  for (const Setting& s : settings) EXPECT_EQ(s.value, s.expect);
}
