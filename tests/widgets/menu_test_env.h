// Shared set-up of the menu tests: flat styles, menus without transitions,
// the entries each menu was given, and the invariant every step must keep.
#ifndef MENU_TEST_ENV_H
#define MENU_TEST_ENV_H

#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "widget_test_env.h"
#include "wm_button.h"
#include "wm_floating_menu.h"
#include "wm_globals.h"
#include "wm_grid.h"
#include "wm_list_box.h"
#include "wm_menu.h"
#include "wm_script.h"

namespace mt {

using namespace wgt;

const DIALOG_EFFECTS kInstant = {0, 100, 100, 224};
// Keys (classic X keycodes).
const INT_S32 kEscape = 9, kReturn = 36, kHome = 97, kUp = 98, kPrior = 99, kEnd = 103,
              kDown = 104, kNext = 105;
const COLOUR kFrameColour = 0xFF404040u, kEvenColour = 0xFF2040C0u, kOddColour = 0xFF20A040u,
             kTextColour = 0xFFFFFFFFu, kBarColour = 0xFFC08020u;

// A flat style with the given face colour and no gaps of its own.
inline WM_STYLE_SET flat(COLOUR bg, INT_U32 shading = 4) {
  WM_STYLE_SET s;
  s.bg_colour = bg;
  s.fg_colour = kTextColour;
  s.highlight_colour = bg;
  s.highlight_text_colour = kTextColour;
  s.shading_type = shading;
  return s;
}

class MenuTest : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    frame_style = flat(kFrameColour);
    even_style = flat(kEvenColour);
    odd_style = flat(kOddColour);
    pm();
  }
  void set_bounds(INT_S16 l, INT_S16 r, INT_S16 t, INT_S16 b) {
    wm_menu_bounds[0] = l;
    wm_menu_bounds[1] = r;
    wm_menu_bounds[2] = t;
    wm_menu_bounds[3] = b;
  }
  // A free-standing menu (not kept) on the pop-up list.
  WM_FLOATING_MENU* free_menu(INT_S16 x, INT_S16 y, const char* title = nullptr,
                              INT_U8 keep = 0) {
    WM_FLOATING_MENU* m = new WM_FLOATING_MENU(x, y, title, &frame_style, &frame_style,
                                               &even_style, &odd_style, 0, keep, nullptr,
                                               nullptr, nullptr, &kInstant, nullptr);
    entries[m].clear();  // a new menu may reuse a deleted one's address
    return m;
  }
  // Items "a0".."a<n-1>" by default; a separator where texts holds "-".
  void fill(WM_FLOATING_MENU* m, const std::vector<std::string>& texts) {
    for (const std::string& t : texts) {
      if (t == "-") {
        m->add_separator();
        entries[m].push_back(find_new_entry(m));
      } else {
        entries[m].push_back(m->add_item(t.c_str(), chosen, word_from_pointer(this),
                                         static_cast<INT_WORD>(entries[m].size()), 0));
      }
    }
  }
  static std::vector<std::string> names(int n, const char* prefix = "item") {
    std::vector<std::string> v;
    for (int i = 0; i < n; ++i) v.push_back(prefix + std::to_string(i));
    return v;
  }
  // The last entry, wherever it is (it may be lent to "v").
  WM_SCREEN_OBJECT* find_new_entry(WM_FLOATING_MENU* m) {
    return m->entry_at(static_cast<INT_S16>(m->entry_count - 1));
  }
  static INT_S32 chosen(WM_SCREEN_OBJECT*, INT_WORD self, INT_WORD index) {
    word_to_pointer<MenuTest>(self)->choices.push_back(word_to_s32(index));
    return 0;
  }

  // Grid cells other than the scroll buttons, plus the lent entries, are the
  // entries added, once each; item_at gives every item at its index.
  void expect_entries_intact(WM_FLOATING_MENU* m) {
    const std::vector<WM_SCREEN_OBJECT*>& want = entries[m];
    ASSERT_EQ(m->entry_count, static_cast<INT_S16>(want.size()));
    std::multiset<WM_SCREEN_OBJECT*> seen;
    for (INT_S16 r = 0; r < m->grid->row_count; ++r) {
      WM_SCREEN_OBJECT* o = m->grid->get_cell(0, r);
      if (o && o != m->up_button && o != m->down_button) seen.insert(o);
    }
    if (m->up_displaced) seen.insert(m->up_displaced);
    if (m->down_displaced) seen.insert(m->down_displaced);
    EXPECT_EQ(seen, std::multiset<WM_SCREEN_OBJECT*>(want.begin(), want.end()));
    for (size_t i = 0; i < want.size(); ++i) {
      WM_BUTTON* b = m->item_at(static_cast<INT_S16>(i));
      if (want[i]->kind & WM_KIND_BUTTON)
        EXPECT_EQ(b, want[i]) << "item " << i;
      else
        EXPECT_EQ(b, nullptr) << "separator " << i;
    }
    EXPECT_LE(m->first_visible, m->last_visible);
    if (m->entry_count > 0) {
      EXPECT_LT(m->last_visible, m->entry_count);
    } else {
      EXPECT_EQ(m->last_visible, 0);
    }
    if (m->up_displaced) {
      EXPECT_EQ(m->grid->get_cell(0, m->up_row), m->up_button);
    }
    if (m->down_displaced) {
      EXPECT_EQ(m->grid->get_cell(0, m->down_row), m->down_button);
    }
  }

  void press_key(INT_S32 code) {
    keyboard_state.last_keycode = code;
    key_down(code);
    frames(2);
    key_up(code);
    frames(2);
  }
  void type(char c) {
    KEYBOARD::char_event(static_cast<unsigned char>(c));
    frames(1);
  }
  // Centre of what the row shows (the grid places its cells when it paints).
  void row_centre(WM_FLOATING_MENU* m, INT_S16 row, INT_S16* px, INT_S16* py) {
    redraw_all();
    WM_SCREEN_OBJECT* o = m->grid->get_cell(0, row);
    ASSERT_NE(o, nullptr);
    *px = static_cast<INT_S16>(o->x + o->width / 2);
    *py = static_cast<INT_S16>(o->y + o->height / 2);
  }

  WM_STYLE_SET frame_style, even_style, odd_style;
  std::map<WM_FLOATING_MENU*, std::vector<WM_SCREEN_OBJECT*>> entries;
  std::vector<int> choices;
};

}  // namespace mt

#endif
