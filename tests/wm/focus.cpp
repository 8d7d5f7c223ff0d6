// Focus traversal with Tab, Shift+Tab, Ctrl+Tab and Ctrl+Shift+Tab.
#include <map>

#include "wm_test_env.h"

using namespace wmt;

namespace {

// Two page areas:
//   area 0: A, Hd (hidden, focusable), B (hidden container holding H), grid G
//           with rows [C0 C1] [R0, scrolled out of view] [D0], then E
//   area 1: F, K
// Focusable order: A C0 C1 D0 E F K.
class Focus : public ::testing::Test {
 protected:
  void SetUp() override {
    make_screen(320, 200);
    wm_use_cursor_shapes = 0;
    pm = new PAGE_MANAGER(2, -1);
    WM_MANAGER& a0 = pm->areas[0].manager;
    WM_MANAGER& a1 = pm->areas[1].manager;
    a0.add_child(make("A"), 0);
    a0.add_child(make("Hd", 0), 0);
    PROBE* b = new PROBE("B", 0, 0, 10, 10, 0xFFFFFFFFu, 0);
    b->add_child(make("H"), 0);
    a0.add_child(b, 0);
    grid = new STANDIN_GRID;
    a0.add_child(grid, 0);
    for (const char* row : {"C", "R", "D"}) {
      std::vector<WM_SCREEN_OBJECT*> cells;
      int n = row[0] == 'C' ? 2 : 1;
      for (int i = 0; i < n; ++i) {
        PROBE* cell = make(std::string(row) + std::to_string(i));
        owned.push_back(cell);
        cells.push_back(cell);
      }
      grid->rows.push_back(cells);
    }
    grid->hidden_rows = {1};
    a0.add_child(make("E"), 0);
    a1.add_child(make("F"), 0);
    a1.add_child(make("K"), 0);
  }
  void TearDown() override {
    wm_focus_object = nullptr;
    delete pm;
    for (PROBE* p : owned) delete p;
  }
  PROBE* make(const std::string& name, INT_U8 vis = 1) {
    PROBE* p = new PROBE(name, 0, 0, 10, 10, 0xFF00FF00u, vis);
    p->focusable = 1;
    all[name] = p;
    return p;
  }
  // Presses Tab with the given modifiers in one frame; the focus's name.
  std::string tab(const std::string& from, bool shift, bool ctrl) {
    wm_focus_object = from.empty() ? nullptr : all.at(from);
    keys_down().clear();
    if (shift) keys_down().insert(62);
    if (ctrl) keys_down().insert(37);
    press_key(23);
    pm->update(0);
    keys_down().clear();
    return wm_focus_object ? static_cast<PROBE*>(wm_focus_object)->name : "";
  }
  PAGE_MANAGER* pm = nullptr;
  STANDIN_GRID* grid = nullptr;
  std::vector<PROBE*> owned;
  std::map<std::string, PROBE*> all;
};

}  // namespace

TEST_F(Focus, Table) {
  struct Case {
    const char* from;
    bool shift, ctrl;
    const char* to;
  } cases[] = {
      {"", false, false, "A"},   {"", true, false, "K"},     {"A", false, false, "C0"},
      {"C0", false, false, "C1"}, {"C1", false, false, "D0"},  // the row out of view is skipped
      {"D0", true, false, "C1"}, {"K", false, false, "A"},    {"A", true, false, "K"},
      {"E", false, false, "F"},  {"F", true, false, "E"},
      {"Hd", false, false, "C0"},  // hidden focus counts as passed where it stands
      {"Hd", true, false, "A"},
      {"H", false, false, "A"},    // in a hidden branch, never met: first
      {"H", true, false, "K"},     // ... and last
      {"R0", false, false, "A"},   {"R0", true, false, "K"},
      {"", false, true, "A"},      // Ctrl+Tab: first of area 0
      {"K", false, true, "F"},     // first of the focus's own area
      {"C1", false, true, "A"},
      {"", true, true, "F"},       // Ctrl+Shift+Tab without focus: area 1
      {"E", true, true, "A"},
  };
  for (const Case& k : cases) EXPECT_EQ(tab(k.from, k.shift, k.ctrl), k.to) << k.from << k.shift << k.ctrl;
  EXPECT_EQ(keyboard_state.last_keycode, 0);  // Tab is taken either way
}

TEST_F(Focus, CtrlFormsSkipHiddenAreas) {
  pm->areas[0].manager.visible = 0;
  EXPECT_EQ(tab("", false, true), "F");
  pm->areas[0].manager.visible = 1;
  pm->areas[1].manager.visible = 0;
  EXPECT_EQ(tab("", true, true), "A");
}

TEST_F(Focus, VisiblePopupConfinesTheFocus) {
  STANDIN_DIALOG* dialog = new STANDIN_DIALOG("dlg", 0, 0, 100, 100);
  dialog->add_child(make("P1"), 0);
  dialog->add_child(make("P2"), 0);
  pm->areas[0].manager.add_popup(dialog, 0);
  EXPECT_EQ(tab("P2", false, false), "P1");
  EXPECT_EQ(tab("P1", true, false), "P2");
  EXPECT_EQ(tab("A", false, false), "P1");
  EXPECT_EQ(tab("P2", false, true), "P2");  // Ctrl+Tab does nothing
  wm_focus_object = nullptr;
  EXPECT_EQ(pm->focus_area_forward(), 0);
  EXPECT_EQ(pm->focus_area_backward(), 0);
  pm->areas[0].manager.release_children(1, 0, 0);
}

TEST_F(Focus, SingleFocusableObjectKeepsTheFocus) {
  for (auto& [name, p] : all)
    if (name != "E") p->focusable = 0;
  wm_focus_object = all["E"];
  EXPECT_EQ(pm->focus_next(), 1);
  EXPECT_EQ(wm_focus_object, all["E"]);
  EXPECT_EQ(pm->focus_previous(), 1);
  EXPECT_EQ(wm_focus_object, all["E"]);
  all["E"]->focusable = 0;
  EXPECT_EQ(pm->focus_next(), 0);
}

TEST_F(Focus, OneAreaCtrlShiftTabGoesToItsFirstObject) {
  delete pm;
  pm = new PAGE_MANAGER(1, -1);
  pm->areas[0].manager.add_child(make("X"), 0);
  pm->areas[0].manager.add_child(make("Y"), 0);
  EXPECT_EQ(tab("", true, true), "X");
  EXPECT_EQ(tab("Y", true, true), "X");
}
