// Widgets deleted by their own callbacks: real widgets on a page, driven by
// pointer and keys through the page manager's frames, whose callback deletes
// the widget, its grid row or the whole grid. Nothing of a deleted widget may
// be read or written afterwards (the AddressSanitizer build checks that), and
// the frames after it go on as usual.
#include <functional>
#include <string>
#include <vector>

#include "grid_test_util.h"
#include "menu_test_env.h"
#include "wm_check_box.h"
#include "wm_dialog.h"
#include "wm_image_widget.h"
#include "wm_text_edit.h"
#include "wm_text_win.h"

namespace {

using namespace mt;

const COLOUR kFace = 0xFFC0C0C0u, kInk = 0xFF000000u;
const char* kThree[] = {"Alpha", "Beta", "Gamma"};

// What the callback deletes, and how.
std::function<void()> g_delete;
int g_calls = 0;
std::vector<const WM_SCREEN_OBJECT*> g_destroyed;

void on_destroyed(WM_SCREEN_OBJECT* object, INT_WORD) { g_destroyed.push_back(object); }

INT_S32 deleting_action(WM_SCREEN_OBJECT*, INT_WORD, INT_WORD) {
  ++g_calls;
  g_delete();
  return 0;
}
INT_S32 deleting_drag(WM_BUTTON*, WM_SCREEN_OBJECT*, INT_S32, INT_S32, INT_S32, INT_WORD,
                      INT_WORD) {
  ++g_calls;
  g_delete();
  return 0;
}
INT_S32 deleting_choice(WM_LIST_BOX*, INT_WORD, INT_WORD) {
  ++g_calls;
  g_delete();
  return 0;
}

class SelfDeletingCallback : public MenuTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    g_calls = 0;
    g_destroyed.clear();
    wm_object_destroyed_hook = on_destroyed;
    KEYBOARD::resize_queue(10);
  }
  void TearDown() override {
    wm_object_destroyed_hook = nullptr;
    g_delete = nullptr;
    MenuTest::TearDown();
  }
  bool destroyed(const WM_SCREEN_OBJECT* o) const {
    for (const WM_SCREEN_OBJECT* d : g_destroyed)
      if (d == o) return true;
    return false;
  }
  void click_on(const WM_SCREEN_OBJECT* o) {
    click(static_cast<INT_S16>(o->x + o->width / 2), static_cast<INT_S16>(o->y + o->height / 2));
  }
  // Deletes an object of the page.
  std::function<void()> remove(WM_SCREEN_OBJECT* o) {
    return [this, o] { root()->remove_child(o, 1, 0); };
  }
  // A grid of three rows of buttons (or pictures) that delete as asked;
  // returns the cell of row 1.
  WM_SCREEN_OBJECT* grid_of_three(WM_GRID** out, bool pictures = false) {
    WM_STYLE_SET s = gt::flat_style();
    WM_GRID* g = add(gt::make_grid(20, 20, 219, 139, s, 30));
    WM_SCREEN_OBJECT* middle = nullptr;
    for (INT_S16 r = 0; r < 3; ++r) {
      WM_SCREEN_OBJECT* o;
      if (pictures) {
        o = new WM_IMAGE(0, 0, 40, 20, 1, deleting_action, 0, 0, IMAGE_CLICK_RELEASE);
        g->place_object(0, r, o);
      } else {
        o = g->add_button_cell(0, r, "Cell", &even_style, deleting_action, 0, 0,
                               BUTTON_EVENT_RELEASE);
      }
      if (r == 1) middle = o;
    }
    *out = g;
    frames(2);
    return middle;
  }

  // Builds the scene named by the case, acts on it as a person would and
  // returns the object that must be gone.
  const WM_SCREEN_OBJECT* run_case(const std::string& name) {
    if (name == "ButtonClick" || name == "ButtonByFocusKey") {
      WM_BUTTON* b = add(new WM_BUTTON(40, 40, 119, 69, &kFace, &kInk, "OK", 0, 0, 15,
                                       deleting_action, 0, 0, 1, BUTTON_EVENT_RELEASE));
      g_delete = remove(b);
      frame(16);
      if (name == "ButtonClick") {
        click_on(b);
      } else {
        b->focusable = 1;
        b->take_focus();
        key_down(kReturn);
        frames(2);
        key_up(kReturn);
        frames(2);
      }
      return b;
    }
    if (name == "CheckBoxToggle") {
      WM_CHECK_BOX* c = add(new WM_CHECK_BOX(40, 40, &kFace, &kInk, "Option", kFont, kFontSize,
                                             kFontSize, deleting_action, 0, 0, 1));
      g_delete = remove(c);
      frame(16);
      click_on(c->box);
      return c;
    }
    if (name == "TextWindowTagClick") {
      WM_TEXT_WIN* w = add(new WM_TEXT_WIN(20, 20, 219, 139, 0, 20, 15, &kFace, &kInk, &kInk, 0,
                                           1, deleting_action, 0, 0));
      w->add_text("A tagged line", "tag", &kInk, 1, 1);
      g_delete = remove(w);
      frame(16);
      click(60, static_cast<INT_S16>(w->y + w->top_gap + w->line_height() / 2));
      return w;
    }
    if (name == "ImageClick") {
      WM_IMAGE* i = add(new WM_IMAGE(40, 40, 60, 40, 1, deleting_action, 0, 0,
                                     IMAGE_CLICK_PRESS | IMAGE_CLICK_RELEASE));
      g_delete = remove(i);
      frame(16);
      click_on(i);
      return i;
    }
    if (name == "PictureDeletesItsParent") {
      // The picture's callback returns 0: the parent's walk over its children
      // must end with the parent, not go on to the next child.
      PROBE* parent = add(new PROBE("parent", 20, 20, 200, 100));
      WM_IMAGE* i = new WM_IMAGE(40, 40, 60, 40, 1, deleting_action, 0, 0, IMAGE_CLICK_RELEASE);
      parent->add_child(i, 1);
      parent->add_child(new PROBE("sibling", 120, 40, 60, 40), 1);
      g_delete = remove(parent);
      frame(16);
      click_on(i);
      return parent;
    }
    if (name == "DragStartDeletesTheSource" || name == "DropDeletesTheSource") {
      WM_BUTTON* b = add(new WM_BUTTON(40, 40, 119, 69, &kFace, &kInk, "Drag", 0, 0, 15, nullptr,
                                       0, 0, 1, BUTTON_EVENT_RELEASE));
      b->drag_callback = deleting_drag;
      b->drag_events = name == "DropDeletesTheSource" ? DRAG_EVENT_DROP : DRAG_EVENT_START;
      add(new PROBE("target", 200, 100, 60, 60));
      g_delete = remove(b);
      frame(16);
      move_to(60, 50);
      frame(16);
      left_down();
      frame(16);
      for (INT_S16 step = 1; step <= 4; ++step) {
        move_to(static_cast<INT_S16>(60 + step * 40), static_cast<INT_S16>(50 + step * 20));
        frame(16);
      }
      left_up();
      frames(2);
      return b;
    }
    if (name == "GridButtonClearsTheGrid" || name == "GridButtonDeletesItsRow" ||
        name == "GridButtonRemovesTheGrid" || name == "GridPictureRemovesTheGrid") {
      WM_GRID* g = nullptr;
      WM_SCREEN_OBJECT* cell = grid_of_three(&g, name == "GridPictureRemovesTheGrid");
      if (name == "GridButtonClearsTheGrid")
        g_delete = [g] { g->clear_rows(0); };
      else if (name == "GridButtonDeletesItsRow")
        g_delete = [g] { g->delete_rows(1, 1); };
      else
        g_delete = remove(g);
      click_on(cell);
      if (name == "GridButtonRemovesTheGrid" || name == "GridPictureRemovesTheGrid") {
        EXPECT_TRUE(destroyed(g));
      } else {
        EXPECT_EQ(g->row_count, name == "GridButtonClearsTheGrid" ? 0 : 2);
      }
      return cell;
    }
    if (name == "ListBoxChoiceDeletesTheBox") {
      WM_LIST_BOX* box = add(new WM_LIST_BOX(20, 20, 139, 39, 0, 3, kThree, 1, &even_style,
                                             &frame_style, 0, &even_style, &odd_style, nullptr,
                                             nullptr, deleting_choice, 0, 0, &kInstant));
      g_delete = remove(box);
      move_to(30, 30);
      frames(2);
      wheel(1);
      frames(3);
      return box;
    }
    if (name == "TextEditReturnDeletesTheBox") {
      edit_style = even_style;
      edit_style.font_id = kFont;
      edit_style.font_x_sz = edit_style.font_y_sz = kFontSize;
      WM_TEXT_EDIT* e = add(new WM_TEXT_EDIT(20, 20, 200, 20, "text", &edit_style,
                                             deleting_action, 0, 0));
      g_delete = remove(e);
      frame(16);
      click_on(e);
      press_key(kReturn);
      frame(16);
      frames(2);
      return e;
    }
    if (name == "DialogButtonDeletesTheDialog") {
      const DIALOG_EFFECTS none = {0, 300, 1000, 192};
      WM_DIALOG* d = new WM_DIALOG(40, 40, 200, 120, "Dialog", nullptr, nullptr, nullptr, &none);
      root()->add_popup(d, 0);
      WM_BUTTON* b = new WM_BUTTON(10, 10, 89, 39, &kFace, &kInk, "Go", 0, 0, 15,
                                   deleting_action, 0, 0, 1, BUTTON_EVENT_RELEASE);
      d->add_child(b, 1);
      g_delete = [this, d] { root()->remove_popup(d, 1, 0); };
      frames(2);
      click_on(b);
      return d;
    }
    ADD_FAILURE() << "no such case " << name;
    return nullptr;
  }
  WM_STYLE_SET edit_style;
};

}  // namespace

// The callback ran once, its widget (or what it deleted with it) is gone,
// and the page goes on taking frames and input.
TEST_P(SelfDeletingCallback, NothingIsTouchedAfterTheCallback) {
  const WM_SCREEN_OBJECT* gone = run_case(GetParam());
  EXPECT_EQ(g_calls, 1);
  EXPECT_TRUE(destroyed(gone));
  click(300, 220);
  frames(3);
  EXPECT_EQ(g_calls, 1);
}

INSTANTIATE_TEST_SUITE_P(Widgets, SelfDeletingCallback,
                         ::testing::Values("ButtonClick", "ButtonByFocusKey", "CheckBoxToggle",
                                           "TextWindowTagClick", "ImageClick", "PictureDeletesItsParent",
                                           "DragStartDeletesTheSource", "DropDeletesTheSource",
                                           "GridButtonClearsTheGrid", "GridButtonDeletesItsRow",
                                           "GridButtonRemovesTheGrid",
                                           "GridPictureRemovesTheGrid",
                                           "ListBoxChoiceDeletesTheBox",
                                           "TextEditReturnDeletesTheBox",
                                           "DialogButtonDeletesTheDialog"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });
