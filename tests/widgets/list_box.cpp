// The list box: its selection rules, reports in the pass after a change, the
// wheel while the pointer rests on it, cut labels, user values and resizing;
// the same for a box made by the grid's cell maker in a scrolled grid.
#include "grid_test_util.h"
#include "menu_test_env.h"

namespace {

using namespace mt;

const char* kThree[] = {"Alpha", "Beta", "Gamma"};

struct REPORT {
  INT_S16 selected;
  INT_WORD value;
};

class ListBox : public MenuTest {
 protected:
  static INT_S32 on_chosen(WM_LIST_BOX* box, INT_WORD self, INT_WORD) {
    word_to_pointer<ListBox>(self)->reports.push_back({box->selected, box->selected_value});
    EXPECT_EQ(box->was_left_down, 1);
    return 0;
  }
  WM_LIST_BOX* plain(INT_S16 initial = 5) {
    return add(new WM_LIST_BOX(20, 20, 139, 39, 0, 3, kThree, initial, &even_style, &frame_style,
                               0, &even_style, &odd_style, nullptr, nullptr, on_chosen,
                               word_from_pointer(this), 0, &kInstant));
  }
  // A cell of a grid of 30 rows scrolled down by ten.
  WM_LIST_BOX* in_grid(INT_S16 initial = 5) {
    WM_STYLE_SET s = gt::flat_style();
    WM_GRID* g = add(gt::make_grid(10, 10, 129, 209, s, 20));
    for (INT_S16 r = 0; r < 30; ++r) g->add_script_cell(0, r, "row", &even_style);
    g->set_scroll(g->scroll_value() - 200);
    WM_LIST_BOX* box = g->add_list_box_cell(0, 12, 0, 3, kThree, initial, &even_style, 0,
                                            &frame_style, 0, &even_style, on_chosen,
                                            word_from_pointer(this), 0, &odd_style);
    frames(2);
    return box;
  }
  void click_box(WM_LIST_BOX* b) {
    click(static_cast<INT_S16>(b->x + 5), static_cast<INT_S16>(b->y + b->height / 2));
  }
  void rest_on(WM_LIST_BOX* b) {
    move_to(static_cast<INT_S16>(b->x + 5), static_cast<INT_S16>(b->y + b->height / 2));
    frames(2);
  }

  void run_table(WM_LIST_BOX* box, bool wheel_reaches_box = true) {
    frames(2);
    {
      SCOPED_TRACE("initial 5 of 3 selects entry 2, unreported");
      EXPECT_EQ(box->selected, 2);
      EXPECT_STREQ(box->text, "Gamma");
      EXPECT_TRUE(reports.empty());
    }
    {
      SCOPED_TRACE("set_selection (-1, 0) selects entry 0, reported in the next pass");
      box->set_selection(static_cast<INT_U16>(-1), 0);
      EXPECT_EQ(box->selected, 0);
      EXPECT_TRUE(reports.empty());
      frames(1);
      ASSERT_EQ(reports.size(), 1u);
      EXPECT_EQ(reports[0].selected, 0);
      frames(3);
      EXPECT_EQ(reports.size(), 1u);
      box->set_selection(0, 0);  // already selected: nothing
      frames(2);
      EXPECT_EQ(reports.size(), 1u);
    }
    {
      SCOPED_TRACE("silent changes change the label only");
      box->set_selection(1, 1);
      frames(2);
      EXPECT_STREQ(box->text, "Beta");
      EXPECT_EQ(reports.size(), 1u);
    }
    {
      SCOPED_TRACE("picking an entry in the open list reports once, next frame");
      reports.clear();
      click_box(box);
      ASSERT_TRUE(box->menu->visible);
      INT_S16 px, py;
      row_centre(box->menu, 2, &px, &py);
      click(px, py);
      frames(3);
      ASSERT_EQ(reports.size(), 1u);
      EXPECT_EQ(reports[0].selected, 2);
      EXPECT_EQ(reports[0].value, 0u);  // constructor entries have user value 0
      EXPECT_STREQ(box->text, "Gamma");
      EXPECT_FALSE(box->menu->visible);
    }
    if (wheel_reaches_box) {
      SCOPED_TRACE("the wheel: turns before resting are dropped, then one entry a notch");
      reports.clear();
      move_to(300, 230);
      frames(1);
      wheel(2);
      rest_on(box);
      EXPECT_EQ(box->selected, 2);
      EXPECT_EQ(mouse_state.wheel, 0);
      wheel(1);  // up: towards the first entry
      frames(2);
      EXPECT_EQ(box->selected, 1);
      ASSERT_EQ(reports.size(), 1u);
      EXPECT_EQ(reports[0].selected, 1);
      wheel(5);
      frames(2);
      EXPECT_EQ(box->selected, 0);
      wheel(-9);
      frames(2);
      EXPECT_EQ(box->selected, 2);
      EXPECT_EQ(reports.size(), 3u);
    } else {
      SCOPED_TRACE("over a scrolled grid the wheel scrolls the grid");
      rest_on(box);
      WM_GRID* g = static_cast<WM_GRID*>(root()->child_at(0));
      const INT_S32 before = g->scroll_value();
      wheel(1);
      frames(2);
      EXPECT_NE(g->scroll_value(), before);
      EXPECT_EQ(box->selected, 2);
    }
    {
      SCOPED_TRACE("user values and select_by_value");
      WM_BUTTON* d = box->add_entry("Delta", 0, 0, 0);
      WM_BUTTON* e = box->add_entry("Epsilon", 77, 0, 1);
      ASSERT_NE(d, nullptr);
      EXPECT_EQ(d->action_arg2, 3u);  // its index
      EXPECT_EQ(e->action_arg2, 77u);
      EXPECT_EQ(box->add_entry(nullptr, 1, 0, 1), nullptr);
      box->select_by_value(77, 1);
      EXPECT_EQ(box->selected, 4);
      EXPECT_EQ(box->selected_value, 77u);
      box->select_by_value(0, 1);
      EXPECT_EQ(box->selected, 0);  // the first constructor entry
      box->select_by_value(12345, 0);
      EXPECT_EQ(box->selected, 0);
    }
    {
      SCOPED_TRACE("a long label is cut without an ellipsis; the menu keeps it whole");
      const char* longest = "Entry too long to show";
      box->add_entry(longest, 9, 0, 1);
      box->select_by_value(9, 1);
      const std::string shown = box->text;
      EXPECT_LT(shown.size(), strlen(longest));
      EXPECT_EQ(std::string(longest).compare(0, shown.size(), shown), 0);
      EXPECT_LE(text_width(shown.c_str()), box->width - box->left_gap - box->right_gap);
      EXPECT_STREQ(box->menu->item_at(5)->text, longest);
    }
    if (wheel_reaches_box) {  // a grid sizes its cells itself
      SCOPED_TRACE("resizing refreshes the label next frame, the menu at least as wide");
      box->set_size(300, box->height, 0);
      EXPECT_EQ(box->refresh_needed, 1);
      frames(1);
      EXPECT_EQ(box->refresh_needed, 0);
      EXPECT_STREQ(box->text, "Entry too long to show");
      EXPECT_GE(box->menu->width, 300);
    }
  }
  std::vector<REPORT> reports;
};

TEST_F(ListBox, EdgeCaseTable) { run_table(plain()); }

TEST_F(ListBox, EdgeCaseTableInAScrolledGrid) {
  WM_LIST_BOX* box = in_grid();
  EXPECT_NE(box->kind & WM_KIND_LIST_BOX, 0u);
  WM_GRID* g = static_cast<WM_GRID*>(root()->child_at(0));
  INT_U16 r, c;
  ASSERT_TRUE(g->find_cell(box, &r, &c, 1));
  EXPECT_EQ(r, 12);
  EXPECT_EQ(box->menu->effects.flags, 96u);  // the list box's default effects
  run_table(box, false);
}

TEST_F(ListBox, AClickOnAnEntryChoosesItInEveryRow) {
  WM_LIST_BOX* box = plain(0);
  for (INT_S16 want : {2, 0, 1}) {
    SCOPED_TRACE(want);
    click_box(box);
    INT_S16 px, py;
    row_centre(box->menu, want, &px, &py);
    click(px, py);
    frames(8);
    EXPECT_EQ(box->selected, want);
    EXPECT_FALSE(box->menu->visible);
  }
}

TEST_F(ListBox, AClickOnTheNewLastRowAfterTheBoundsShrankChoosesThatEntry) {
  const char* many[] = {"e0", "e1", "e2", "e3", "e4", "e5", "e6", "e7", "e8", "e9"};
  set_bounds(-1, -1, 0, 140);
  WM_LIST_BOX* box = add(new WM_LIST_BOX(20, 20, 139, 39, 0, 10, many, 0, &even_style,
                                         &frame_style, 0, &even_style, &odd_style, nullptr,
                                         nullptr, on_chosen, word_from_pointer(this), 0,
                                         &kInstant));
  click_box(box);
  ASSERT_TRUE(box->menu->visible);
  WM_FLOATING_MENU* m = box->menu;
  ASSERT_NE(m->down_displaced, nullptr);
  WM_FLOATING_MENU::on_scroll_button(m->down_button, word_from_pointer(m), 0);
  set_bounds(-1, -1, 0, 115);  // one row less: the run ends a row earlier
  m->layout();
  ASSERT_NE(m->down_displaced, nullptr);
  EXPECT_EQ(m->down_row, m->last_visible);  // "v" moved with the run's end
  for (INT_S16 i = 0; i < 10; ++i) {
    ASSERT_NE(m->item_at(i), nullptr);
    EXPECT_STREQ(m->item_at(i)->text, many[i]);
  }
  const INT_S16 last_entry = static_cast<INT_S16>(m->last_visible - 1);
  INT_S16 px, py;
  row_centre(m, last_entry, &px, &py);
  click(px, py);
  frames(3);
  EXPECT_EQ(box->selected, last_entry);
  EXPECT_STREQ(box->text, many[last_entry]);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].selected, last_entry);
}

TEST_F(ListBox, ARefusedCellIsStillReturned) {
  WM_STYLE_SET s = gt::flat_style();
  WM_GRID* g = add(gt::make_grid(10, 10, 209, 209, s, 20));
  g->row_limit = 2;
  WM_LIST_BOX* box = g->add_list_box_cell(0, 5, 0, 3, kThree, 0, &even_style, 0, &frame_style, 0,
                                          &even_style, nullptr, 0, 0, &odd_style);
  ASSERT_NE(box, nullptr);
  INT_U16 r, c;
  EXPECT_FALSE(g->find_cell(box, &r, &c, 1));
  delete box;
}

TEST_F(ListBox, ColourFormAndEmptyBoxes) {
  const COLOUR back = 0xFF112233u, text = 0xFFEEEEEEu, hl = 0xFF445566u;
  WM_LIST_BOX* box = add(new WM_LIST_BOX(10, 10, 109, 29, 0, static_cast<INT_U16>(0), nullptr,
                                         static_cast<INT_U16>(0), &back, &text, &hl, 1, nullptr,
                                         0, 0, nullptr));
  EXPECT_EQ(box->button_flags, 129u);
  EXPECT_EQ(box->selected, -1);
  box->set_selection(3, 0);  // no entries: ignored
  EXPECT_EQ(box->selected, -1);
  rest_on(box);
  wheel(1);
  frames(2);
  EXPECT_EQ(box->selected, -1);
  box->add_entry("One", 0, 0, 0);
  box->set_selection(0, 1);
  EXPECT_STREQ(box->text, "One");
}

}  // namespace
