// Widgets deleted by their own callbacks: real widgets on a page, driven by
// pointer and keys through the page manager's frames, whose callback of any
// kind (an action, a click, a focus change, a button's state, a drag, a list
// box's choice, a menu opening, a scrollbar's step) deletes the widget, its
// grid row, the whole grid or its parent, whether the input pass, the tick or
// the paint runs it; and an application's widget whose draw, tick or input
// pass does the same. A widget deleted while it holds the focus tells its focus
// callback while it is whole. Nothing of a deleted widget may be read or
// written afterwards (the AddressSanitizer build checks that), and the
// frames after it go on as usual.
#include <cstddef>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "folder.h"
#include "grid_test_util.h"
#include "menu_test_env.h"
#include "wm_check_box.h"
#include "wm_dialog.h"
#include "wm_file_select.h"
#include "wm_image_widget.h"
#include "wm_progress.h"
#include "wm_scrollbar.h"
#include "wm_text_edit.h"
#include "wm_text_edit_dialog.h"
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

// Returns its first argument as the action code.
INT_S32 deleting_action(WM_SCREEN_OBJECT*, INT_WORD code, INT_WORD) {
  ++g_calls;
  g_delete();
  return static_cast<INT_S32>(code);
}
// Acts once, on the change it is set for: the gain (argument 1) or the loss
// (argument 0) of the focus.
void deleting_focus(WM_SCREEN_OBJECT* o, INT_WORD on_gain) {
  if (!g_delete || (wm_focus_object == o) != (on_gain != 0)) return;
  ++g_calls;
  const std::function<void()> once = g_delete;
  g_delete = nullptr;
  once();
}
INT_S32 no_action(WM_SCREEN_OBJECT*, INT_WORD, INT_WORD) { return 0; }
// What a button's click does to the scene, besides the deletion counted.
std::function<void()> g_act;
INT_S32 acting_action(WM_SCREEN_OBJECT*, INT_WORD, INT_WORD) {
  if (g_act) g_act();
  return 0;
}
INT_U32 deleting_open(WM_MENU*, INT_WORD, INT_WORD) {
  ++g_calls;
  g_delete();
  return 0;
}
// A focus callback that reads the text box it is given.
std::string g_focus_text;
void reading_focus(WM_SCREEN_OBJECT* o, INT_WORD) {
  const WM_TEXT_EDIT* e = static_cast<WM_TEXT_EDIT*>(o);
  g_focus_text = e->text.text ? e->text.text : "";
}

// A dialog that is always allocated at the same address while that is free,
// as the allocator of the normal build does for a new object of a freed
// one's size.
alignas(std::max_align_t) unsigned char g_dialog_slot[sizeof(WM_DIALOG)];
bool g_dialog_slot_taken = false;

class RECYCLED_DIALOG : public WM_DIALOG {
 public:
  using WM_DIALOG::WM_DIALOG;
  static void* operator new(std::size_t n) {
    if (g_dialog_slot_taken || n > sizeof(g_dialog_slot)) return ::operator new(n);
    g_dialog_slot_taken = true;
    return g_dialog_slot;
  }
  static void operator delete(void* p) {
    if (p == static_cast<void*>(g_dialog_slot))
      g_dialog_slot_taken = false;
    else
      ::operator delete(p);
  }
};
// An application's own focusable widget, which lets go of the focus first in
// its destructor, so that its focus callback still finds its label.
class LABELLED_WIDGET : public WM_SCREEN_OBJECT {
 public:
  LABELLED_WIDGET(INT_S16 px, INT_S16 py)
      : WM_SCREEN_OBJECT(1, nullptr, 0, 0), label("a label longer than a short string") {
    x = px;
    y = py;
    width = 80;
    height = 30;
  }
  ~LABELLED_WIDGET() override { release_focus(); }
  std::string label;
};

// Library widgets that do not take the focus themselves, in classes that
// let them.
template <typename BASE>
class FOCUSABLE : public BASE {
 public:
  using BASE::BASE;
  INT_U8 can_focus() override { return this->focusable; }
};

// Focus callbacks that read what their widget owns; told of the loss, they
// record what they read.
void reading_widget_focus(WM_SCREEN_OBJECT* o, INT_WORD) {
  if (wm_focus_object != o) g_focus_text = static_cast<LABELLED_WIDGET*>(o)->label;
}
void reading_bar_focus(WM_SCREEN_OBJECT* o, INT_WORD) {
  const WM_PROGRESS_BAR* b = static_cast<WM_PROGRESS_BAR*>(o);
  if (wm_focus_object != o) g_focus_text = b->label ? b->label : "";
}
void reading_text_win_focus(WM_SCREEN_OBJECT* o, INT_WORD) {
  const WM_TEXT_WIN* w = static_cast<WM_TEXT_WIN*>(o);
  if (wm_focus_object == o) return;
  g_focus_text.clear();
  for (INT_S16 i = 0; i < w->line_count && g_focus_text.empty(); ++i)
    if (w->lines[i].start) g_focus_text.assign(w->lines[i].start, w->lines[i].length);
}
void reading_dialog_focus(WM_SCREEN_OBJECT* o, INT_WORD) {
  const char* title = static_cast<WM_DIALOG*>(o)->get_title();
  if (wm_focus_object != o) g_focus_text = title ? title : "";
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

// Runs g_delete once.
void delete_once() {
  if (!g_delete) return;
  ++g_calls;
  const std::function<void()> once = g_delete;
  g_delete = nullptr;
  once();
}
// The owner's state of a button, which deletes as asked once the button is
// pressed: an enabled one once the press took effect, a disabled one as soon
// as the pointer button is down over it.
INT_U8 deleting_state(WM_BUTTON* b, INT_WORD) {
  const bool over = b->contains(mouse_state.x, mouse_state.y) != 0;
  const bool pressed = b->enabled ? b->armed != 0 : over && (mouse_state.buttons & 1u) != 0;
  if (pressed) delete_once();
  return 0;
}
// A scrollbar's step, which deletes as asked at the call counted down to.
int g_steps_before_delete = 0;
INT_S32 deleting_step(WM_SCROLLBAR*, INT_S32) {
  if (g_steps_before_delete-- == 0) delete_once();
  return 5;
}

// An application's widget whose draw, tick or input pass runs g_delete.
class SELF_DELETING_WIDGET : public WM_SCREEN_OBJECT {
 public:
  enum SLOT { DRAW, UPDATE, INPUT };
  // The slot a case's name says by its initial: Draw, Update, else Input.
  static SLOT slot_named(char initial) { return initial == 'D' ? DRAW : initial == 'U' ? UPDATE : INPUT; }
  SELF_DELETING_WIDGET(SLOT s, INT_S16 px, INT_S16 py)
      : WM_SCREEN_OBJECT(1, nullptr, 0, 0), slot(s) {
    x = px;
    y = py;
    width = 60;
    height = 30;
  }
  void draw() override {
    if (slot == DRAW) delete_once();
  }
  INT_S32 update(INT_U8 popups) override {
    if (slot != UPDATE) return WM_SCREEN_OBJECT::update(popups);
    delete_once();
    return 0;
  }
  INT_S32 handle_input() override {
    if (slot != INPUT) return WM_SCREEN_OBJECT::handle_input();
    delete_once();
    return 0;
  }
  const SLOT slot;
};

// An application's widget that takes itself off its parent in its draw,
// without deleting itself.
class SELF_REMOVING_WIDGET : public WM_SCREEN_OBJECT {
 public:
  SELF_REMOVING_WIDGET(INT_S16 px, INT_S16 py) : WM_SCREEN_OBJECT(1, nullptr, 0, 0) {
    x = px;
    y = py;
    width = 60;
    height = 30;
  }
  void draw() override {
    ++draws;
    if (WM_SCREEN_OBJECT* p = get_parent()) p->remove_child(this, 0, 0);
  }
  int draws = 0;
};

class SelfDeletingCallback : public MenuTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    g_calls = 0;
    g_destroyed.clear();
    g_focus_text.clear();
    wm_object_destroyed_hook = on_destroyed;
    KEYBOARD::resize_queue(10);
  }
  void TearDown() override {
    wm_object_destroyed_hook = nullptr;
    g_delete = nullptr;
    g_act = nullptr;
    MenuTest::TearDown();
  }
  bool destroyed(const WM_SCREEN_OBJECT* o) const {
    for (const WM_SCREEN_OBJECT* d : g_destroyed)
      if (d == o) return true;
    return false;
  }
  int times_destroyed(const WM_SCREEN_OBJECT* o) const {
    int n = 0;
    for (const WM_SCREEN_OBJECT* d : g_destroyed) n += d == o;
    return n;
  }
  void click_on(const WM_SCREEN_OBJECT* o) {
    click(static_cast<INT_S16>(o->x + o->width / 2), static_cast<INT_S16>(o->y + o->height / 2));
  }
  // The right button, which drives the objects' own clicks.
  void right_click_on(const WM_SCREEN_OBJECT* o) {
    move_to(static_cast<INT_S16>(o->x + o->width / 2), static_cast<INT_S16>(o->y + o->height / 2));
    frame(16);
    right_down();
    frames(2);
    right_up();
    frames(2);
  }
  // A focusable button on a panel, which the page's focus repair gives the
  // focus first.
  WM_BUTTON* focus_holder() {
    PROBE* panel = add(new PROBE("panel", 190, 170, 100, 50));
    WM_BUTTON* a = new WM_BUTTON(200, 180, 279, 209, &kFace, &kInk, "First", 0, 0, 15, nullptr,
                                 0, 0, 1, BUTTON_EVENT_RELEASE);
    panel->add_child(a, 0);
    a->focusable = 1;
    frames(2);
    EXPECT_EQ(wm_focus_object, a);
    return a;
  }
  WM_BUTTON* plain_button() {
    WM_BUTTON* b = add(new WM_BUTTON(40, 40, 119, 69, &kFace, &kInk, "OK", 0, 0, 15, nullptr, 0,
                                     0, 1, BUTTON_EVENT_RELEASE));
    b->focusable = 1;
    return b;
  }
  WM_SCROLLBAR* bar() {
    bar_value.tag = TV_S32;
    bar_value.min.s32 = 0;
    bar_value.max.s32 = 100;
    bar_value.value.s32 = 50;
    return add(new WM_SCROLLBAR(20, 100, 219, 115, 20, 15, &bar_value, SB_HORIZONTAL_BUTTONS, 0,
                                &kFace, &kInk, &kFace, &kInk, 1, nullptr, 0, 0));
  }
  WM_MENU* menu_button(INT_S16 x, const char* label) {
    WM_MENU* m = new WM_MENU(x, 0, static_cast<INT_S16>(x + 59), 19, label, MENU_BELOW,
                             &even_style, &frame_style, &even_style, &odd_style, nullptr, nullptr,
                             nullptr, &kInstant, nullptr);
    m->menu->add_item("Rebuild", deleting_action, 0, 0, 0);
    m->menu->add_item("Other", nullptr, 0, 0, 0);
    return m;
  }
  // A button of the page whose click runs g_act.
  void click_change() {
    WM_BUTTON* b = add(new WM_BUTTON(240, 100, 309, 129, &kFace, &kInk, "Change", 0, 0, 15, acting_action,
                                     0, 0, 1, BUTTON_EVENT_RELEASE));
    frame(16);
    click_on(b);
  }
  // An owner's scrollbar made focusable and given the focus; told of losing
  // it, it runs g_delete. False when there is no bar.
  bool focus_deletes_on_loss(WM_SCROLLBAR* bar) {
    EXPECT_NE(bar, nullptr);
    if (!bar) return false;
    bar->focusable = 1;
    bar->take_focus();
    frames(2);
    EXPECT_EQ(wm_focus_object, bar);
    bar->focus_callback = deleting_focus;
    bar->focus_arg = 0;
    return true;
  }
  // Deletes an object of the page.
  std::function<void()> remove(WM_SCREEN_OBJECT* o) {
    return [this, o] { root()->remove_child(o, 1, 0); };
  }
  // A grid of three rows of buttons (or pictures) that delete as asked;
  // returns the cell of row 1.
  WM_SCREEN_OBJECT* grid_of_three(WM_GRID** out, bool pictures = false, INT_S16 rows = 3) {
    WM_STYLE_SET s = gt::flat_style();
    WM_GRID* g = add(gt::make_grid(20, 20, 219, 139, s, 30));
    WM_SCREEN_OBJECT* middle = nullptr;
    for (INT_S16 r = 0; r < rows; ++r) {
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

  // A grid of buttons with keyboard navigation, the focus on row 0.
  WM_GRID* navigable_grid(INT_S16 rows) {
    WM_GRID* g = nullptr;
    grid_of_three(&g, false, rows);
    g->keyboard_navigation = 1;
    for (INT_S16 r = 0; r < rows; ++r) g->get_cell(0, r)->focusable = 1;
    g->get_cell(0, 0)->take_focus();
    frames(2);
    EXPECT_EQ(wm_focus_object, g->get_cell(0, 0));
    return g;
  }
  // A free-standing menu of twelve items ("a0", "b1" ... "l11") of which
  // five are in view, with navigation on and the focus on the first; the
  // item at row deletes the menu when it gains (or loses) the focus.
  WM_FLOATING_MENU* long_menu(INT_S16 row, INT_WORD on_gain) {
    set_bounds(-1, -1, 0, 99);
    WM_FLOATING_MENU* m = new WM_FLOATING_MENU(10, 0, nullptr, &frame_style, &frame_style,
                                               &even_style, &odd_style, 0, 0, nullptr, nullptr,
                                               nullptr, &kInstant, nullptr);
    for (int i = 0; i < 12; ++i)
      m->add_item((std::string(1, static_cast<char>('a' + i)) + std::to_string(i)).c_str(),
                  no_action, 0, 0, 0);
    root()->add_popup(m, 0);
    frames(2);
    press_key(kDown);  // switches navigation on
    EXPECT_EQ(m->grid->keyboard_navigation, 1);
    EXPECT_EQ(wm_focus_object, m->item_at(0));
    EXPECT_LT(m->last_visible, 11);
    if (row >= 0) delete_menu_on_focus(m, row, on_gain);
    return m;
  }
  void delete_menu_on_focus(WM_FLOATING_MENU* m, INT_S16 row, INT_WORD on_gain) {
    WM_BUTTON* item = m->item_at(row);
    ASSERT_NE(item, nullptr);
    item->focus_callback = deleting_focus;
    item->focus_arg = on_gain;
    g_delete = [this, m] { root()->remove_popup(m, 1, 0); };
  }
  // A focused widget deleted by a click on another (unfocusable) button;
  // its focus callback is told of the loss while the widget is whole.
  void delete_focused(WM_SCREEN_OBJECT* o, WM_FOCUS_CALLBACK reading, const char* expected) {
    focus_holder();
    o->focusable = 1;
    o->focus_callback = reading;
    o->take_focus();
    frames(2);
    EXPECT_EQ(wm_focus_object, o);
    WM_BUTTON* b = add(new WM_BUTTON(200, 100, 279, 129, &kFace, &kInk, "Delete", 0, 0, 15,
                                     deleting_action, 0, 0, 1, BUTTON_EVENT_RELEASE));
    g_delete = remove(o);
    g_focus_text.clear();
    click_on(b);
    EXPECT_NE(wm_focus_object, o);
    EXPECT_EQ(g_focus_text, expected);
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
    if (name == "MenuItemRebuildsTheMenuBar") {
      WM_MENU* file = add(menu_button(0, "File"));
      g_delete = [this, file] {
        root()->remove_child(file, 1, 0);
        add(new WM_MENU(0, 0, 59, 19, "File", MENU_BELOW, &even_style, &frame_style, &even_style,
                        &odd_style, nullptr, nullptr, nullptr, &kInstant, nullptr));
      };
      frame(16);
      click_on(file);
      EXPECT_TRUE(file->menu->visible);
      INT_S16 px, py;
      row_centre(file->menu, 0, &px, &py);
      click(px, py);
      return file;
    }
    if (name == "FocusLossDeletesTheNewFocus" || name == "FocusRepairLossDeletesTheNext") {
      WM_BUTTON* a = focus_holder();
      a->focus_callback = deleting_focus;
      a->focus_arg = 0;
      WM_BUTTON* b = plain_button();
      g_delete = remove(b);
      frame(16);
      if (name == "FocusLossDeletesTheNewFocus") {
        click_on(b);
      } else {
        a->get_parent()->hide(0, 0);  // the repair passes the focus on to b
        frames(2);
      }
      return b;
    }
    if (name == "ButtonFocusDeletesTheButton") {
      focus_holder();
      WM_BUTTON* b = plain_button();
      b->focus_callback = deleting_focus;
      b->focus_arg = 1;
      g_delete = remove(b);
      frame(16);
      click_on(b);
      return b;
    }
    if (name == "TabFocusDeletesTheButton") {
      focus_holder();
      WM_BUTTON* b = plain_button();
      b->focus_callback = deleting_focus;
      b->focus_arg = 1;
      g_delete = remove(b);
      frame(16);
      press_key(KEYCODE_TAB);
      return b;
    }
    if (name == "ScrollbarFocusDeletesTheBar") {
      focus_holder();
      WM_SCROLLBAR* s = bar();
      s->focusable = 1;
      s->focus_callback = deleting_focus;
      s->focus_arg = 1;
      g_delete = remove(s);
      frame(16);
      click(30, 107);  // on the end button
      return s;
    }
    if (name == "ObjectFocusDeletesTheObject") {
      focus_holder();
      PROBE* p = add(new PROBE("object", 40, 40, 80, 30));
      p->focusable = 1;
      p->click_callback = no_action;
      p->focus_callback = deleting_focus;
      p->focus_arg = 1;
      g_delete = remove(p);
      frame(16);
      right_click_on(p);
      return p;
    }
    if (name == "ListBoxRightClickDeletesTheBox") {
      WM_LIST_BOX* box = add(new WM_LIST_BOX(20, 20, 139, 39, 0, 3, kThree, 1, &even_style,
                                             &frame_style, 0, &even_style, &odd_style, nullptr,
                                             nullptr, nullptr, 0, 0, &kInstant));
      box->click_callback = deleting_action;
      g_delete = remove(box);
      frame(16);
      right_click_on(box);
      return box;
    }
    if (name == "ScrollbarRightClickDeletesTheBar") {
      WM_SCROLLBAR* s = bar();
      s->click_callback = deleting_action;
      g_delete = remove(s);
      frame(16);
      right_click_on(s);
      return s;
    }
    if (name == "MenuOpenDeletesTheButton") {
      WM_MENU* file = add(menu_button(0, "File"));
      file->open_callback = deleting_open;
      g_delete = remove(file);
      frame(16);
      click_on(file);
      return file;
    }
    if (name == "RingOpenDeletesTheBar" || name == "RingOpenDeletesItsDialog") {
      // Pointing at the other member of an open ring opens its menu from
      // the tick of the first; the callback deletes the bar (or the dialog)
      // holding both.
      WM_SCREEN_OBJECT* holder;
      if (name == "RingOpenDeletesTheBar") {
        holder = add(new PROBE("bar", 0, 0, 240, 20));
        g_delete = remove(holder);
      } else {
        const DIALOG_EFFECTS none = {0, 300, 1000, 192};
        holder = new WM_DIALOG(0, 0, 240, 120, "Dialog", nullptr, nullptr, nullptr, &none);
        root()->add_popup(holder, 0);
        g_delete = [this, holder] { root()->remove_popup(holder, 1, 0); };
      }
      WM_MENU* file = menu_button(0, "File");
      WM_MENU* edit = menu_button(60, "Edit");
      holder->add_child(file, 1);
      holder->add_child(edit, 1);
      edit->link(file);
      edit->open_callback = deleting_open;
      frames(2);
      click_on(file);
      EXPECT_TRUE(file->menu->visible);
      move_to(static_cast<INT_S16>(edit->x + 30), static_cast<INT_S16>(edit->y + 10));
      frames(3);
      return holder;
    }
    if (name == "PopUpReplacedAtItsAddress") {
      // The button deletes its dialog, opens a new one (at the freed
      // address) and answers with the delete code: the new one stays.
      const DIALOG_EFFECTS none = {0, 300, 1000, 192};
      WM_DIALOG* d = new RECYCLED_DIALOG(40, 40, 200, 120, "Dialog", nullptr, nullptr, nullptr,
                                         &none);
      root()->add_popup(d, 0);
      WM_BUTTON* b = new WM_BUTTON(10, 10, 89, 39, &kFace, &kInk, "Go", 0, 0, 15,
                                   deleting_action, WM_ACTION_DELETE, 0, 1, BUTTON_EVENT_RELEASE);
      d->add_child(b, 1);
      WM_DIALOG* fresh = nullptr;
      g_delete = [this, d, &fresh, none] {
        root()->remove_popup(d, 1, 0);
        fresh = new RECYCLED_DIALOG(40, 40, 200, 120, "Next", nullptr, nullptr, nullptr, &none);
        root()->add_popup(fresh, 0);
      };
      frames(2);
      click_on(b);
      EXPECT_EQ(fresh, d);
      EXPECT_EQ(times_destroyed(d), 1);
      EXPECT_TRUE(is_popup(fresh));
      EXPECT_EQ(find_popup(0), fresh);
      return d;
    }
    if (name == "FocusedTextEditDeletedByReturn") {
      // Its focus callback is told of the loss while the box is whole.
      edit_style = even_style;
      edit_style.font_id = kFont;
      edit_style.font_x_sz = edit_style.font_y_sz = kFontSize;
      WM_TEXT_EDIT* e = add(new WM_TEXT_EDIT(20, 20, 200, 20, "text", &edit_style,
                                             deleting_action, 0, 0));
      e->focus_callback = reading_focus;
      g_delete = remove(e);
      frame(16);
      click_on(e);
      EXPECT_EQ(wm_focus_object, e);
      g_focus_text.clear();
      press_key(kReturn);
      frames(2);
      EXPECT_EQ(g_focus_text, "text");
      return e;
    }
    if (name == "GridArrowFocusDeletesTheGrid" || name == "GridArrowFocusLossDeletesTheGrid") {
      WM_GRID* g = navigable_grid(3);
      const bool loss = name == "GridArrowFocusLossDeletesTheGrid";
      WM_SCREEN_OBJECT* watched = g->get_cell(0, loss ? 0 : 1);
      watched->focus_callback = deleting_focus;
      watched->focus_arg = loss ? 0 : 1;
      g_delete = remove(g);
      press_key(kDown);
      return g;
    }
    if (name == "GridFocusCellDeletesTheGrid") {
      // The application moves the focus to a row out of view.
      WM_GRID* g = navigable_grid(6);
      WM_SCREEN_OBJECT* last = g->get_cell(0, 5);
      last->focus_callback = deleting_focus;
      last->focus_arg = 1;
      g_delete = remove(g);
      g->focus_cell(0, 5);
      frames(2);
      return g;
    }
    if (name == "GridScrollMovesTheFocusLossDeletesTheGrid") {
      // The wheel scrolls the focused row out of view: the focus moves on to
      // a row in view, and the row losing it deletes the grid.
      WM_GRID* g = navigable_grid(6);
      EXPECT_NE(g->scrollbar, nullptr);
      WM_SCREEN_OBJECT* first = g->get_cell(0, 0);
      first->focus_callback = deleting_focus;
      first->focus_arg = 0;
      g_delete = remove(g);
      move_to(100, 80);
      frame(16);
      wheel(-2);
      frames(3);
      return g;
    }
    if (name == "GridScrollbarFocusLossDeletesTheGrid") {
      // A click on the grid's focusable scrollbar takes the focus from a
      // cell, whose callback deletes the grid with its scrollbar.
      WM_GRID* g = navigable_grid(6);
      EXPECT_NE(g->scrollbar, nullptr);
      if (!g->scrollbar) return g;
      g->scrollbar->focusable = 1;
      WM_SCREEN_OBJECT* first = g->get_cell(0, 0);
      first->focus_callback = deleting_focus;
      first->focus_arg = 0;
      g_delete = remove(g);
      click_on(g->scrollbar);
      return g;
    }
    if (name == "GridClearedFocusLossDeletesTheGrid" ||
        name == "GridRowDeletedFocusLossDeletesTheGrid" ||
        name == "GridRowResetFocusLossDeletesTheGrid" ||
        name == "GridCellReplacedFocusLossDeletesTheGrid") {
      // A button of the page changes the rows; the focused cell goes with
      // them, and its callback, told of the loss, deletes the grid.
      WM_GRID* g = navigable_grid(3);
      WM_SCREEN_OBJECT* first = g->get_cell(0, 0);
      first->focus_callback = deleting_focus;
      first->focus_arg = 0;
      g_delete = remove(g);
      if (name == "GridClearedFocusLossDeletesTheGrid")
        g_act = [g] { g->clear_rows(0); };
      else if (name == "GridRowDeletedFocusLossDeletesTheGrid")
        g_act = [g] { g->delete_rows(0, 0); };
      else if (name == "GridRowResetFocusLossDeletesTheGrid")
        g_act = [g] { g->reset_rows(0, 1); };
      else
        g_act = [g] { g->place_object(0, 0, new PROBE("new cell", 0, 0, 10, 10)); };
      click_change();
      return g;
    }
    if (name == "TextWindowClearedFocusLossDeletesTheWindow" ||
        name == "TextWindowResizedFocusLossDeletesTheWindow") {
      // The window's scrollbar holds the focus; clearing or resizing the
      // window deletes the bar, whose callback deletes the window.
      WM_TEXT_WIN* w = add(new WM_TEXT_WIN(20, 20, 219, 99, 0, 20, 15, &kFace, &kInk, &kInk, 0,
                                           1, nullptr, 0, 0));
      for (int i = 0; i < 12; ++i)
        w->add_text(("Line " + std::to_string(i)).c_str(), "", &kInk, 1, 1);
      frames(2);
      if (!focus_deletes_on_loss(w->scrollbar)) return w;
      g_delete = remove(w);
      if (name == "TextWindowClearedFocusLossDeletesTheWindow")
        g_act = [w] { w->clear(); };
      else
        g_act = [w] { w->set_size(180, 60, 1); };
      click_change();
      return w;
    }
    if (name == "GridClearedBarFocusLossDeletesTheGrid" ||
        name == "GridResizedBarFocusLossDeletesTheGrid") {
      // The grid's own scrollbar holds the focus and goes with the rows (or
      // is made again for the new size); its callback deletes the grid.
      WM_GRID* g = navigable_grid(6);
      if (!focus_deletes_on_loss(g->scrollbar)) return g;
      g_delete = remove(g);
      if (name == "GridClearedBarFocusLossDeletesTheGrid")
        g_act = [g] { g->clear_rows(0); };
      else
        g_act = [g] { g->set_size(180, 100, 1); };
      click_change();
      return g;
    }
    if (name == "NestedGridPaintFocusLossDeletesTheOuterGrid") {
      // A list grid in the cell of an outer grid, the focus on its first
      // row. The outer grid is made shorter: its paint fits the list to the
      // smaller cell, the focused row leaves the view, and the row losing
      // the focus (at the next tick) deletes the outer grid.
      WM_STYLE_SET s = gt::flat_style();
      WM_GRID* outer = add(gt::make_grid(20, 20, 219, 139, s, 120));
      outer->rows_per_page = 1;
      WM_GRID* list = gt::make_grid(0, 0, 199, 119, s, 30);
      for (INT_S16 r = 0; r < 6; ++r)
        list->add_button_cell(0, r, "Cell", &even_style, no_action, 0, 0, BUTTON_EVENT_RELEASE)
            ->focusable = 1;
      list->keyboard_navigation = 1;
      outer->place_object(0, 0, list);
      frames(2);
      WM_SCREEN_OBJECT* first = list->get_cell(0, 0);
      first->take_focus();
      frames(2);
      EXPECT_EQ(wm_focus_object, first);
      first->focus_callback = deleting_focus;
      first->focus_arg = 0;
      g_delete = remove(outer);
      outer->set_size(200, 60, 1);
      frames(3);
      return outer;
    }
    if (name == "FloatingMenuEndFocusDeletesTheMenu") {
      // End moves the focus to the last item, beyond the run in view.
      WM_FLOATING_MENU* m = long_menu(11, 1);
      press_key(kEnd);
      return m;
    }
    if (name == "FloatingMenuArrowFocusDeletesTheMenu") {
      WM_FLOATING_MENU* m = long_menu(1, 1);
      press_key(kDown);
      return m;
    }
    if (name == "FloatingMenuScrollButtonFocusDeletesTheMenu") {
      // Down from the last entry above "v" puts the focus on "v"; the menu
      // then scrolls and focuses the entry that "v" covered.
      WM_FLOATING_MENU* m = long_menu(-1, 0);
      EXPECT_NE(m->down_displaced, nullptr);
      if (!m->down_displaced) return m;
      for (INT_S16 r = 1; r < m->down_row; ++r) press_key(kDown);
      EXPECT_EQ(wm_focus_object, m->item_at(static_cast<INT_S16>(m->down_row - 1)));
      delete_menu_on_focus(m, m->down_row, 1);
      press_key(kDown);
      return m;
    }
    if (name == "FloatingMenuLetterFocusDeletesTheMenu") {
      WM_FLOATING_MENU* m = long_menu(7, 1);  // "h7"
      type('h');
      return m;
    }
    if (name == "FloatingMenuWheelFocusLossDeletesTheMenu") {
      // The wheel scrolls the focused first item out of the run.
      WM_FLOATING_MENU* m = long_menu(0, 0);
      move_to(static_cast<INT_S16>(m->x + m->width / 2), static_cast<INT_S16>(m->y + 40));
      frame(16);
      wheel(-1);
      frames(2);
      return m;
    }
    if (name == "FocusedWidgetDeleted") {
      LABELLED_WIDGET* w = add(new LABELLED_WIDGET(40, 40));
      delete_focused(w, reading_widget_focus, "a label longer than a short string");
      return w;
    }
    if (name == "FocusedProgressBarDeleted") {
      WM_STYLE_SET s = even_style;
      WM_PROGRESS_BAR* b =
          add(new FOCUSABLE<WM_PROGRESS_BAR>(20, 40, 150, 20, "Copying", 100, &s));
      delete_focused(b, reading_bar_focus, "Copying");
      return b;
    }
    if (name == "FocusedTextWindowDeleted") {
      WM_TEXT_WIN* w = add(new FOCUSABLE<WM_TEXT_WIN>(20, 20, 169, 89, 0, 20, 15, &kFace, &kInk,
                                                      &kInk, 0, 1, nullptr, 0, 0));
      w->add_text("A line", "", &kInk, 1, 1);
      delete_focused(w, reading_text_win_focus, "A line");
      return w;
    }
    if (name == "FocusedDialogDeleted") {
      const DIALOG_EFFECTS none = {0, 300, 1000, 192};
      WM_DIALOG* d = add(new FOCUSABLE<WM_DIALOG>(20, 20, 150, 70, "Dialog", nullptr, nullptr,
                                                  nullptr, &none));
      delete_focused(d, reading_dialog_focus, "Dialog");
      return d;
    }
    if (name == "ReleasedChildFocusLossDeletesTheParent") {
      // A button of the page lets go of a panel's children; the focused one
      // goes with them, and its callback, told of the loss, deletes the panel.
      WM_BUTTON* a = focus_holder();
      WM_SCREEN_OBJECT* panel = a->get_parent();
      panel->add_child(new PROBE("sibling", 250, 180, 20, 20), 0);
      a->focus_callback = deleting_focus;
      a->focus_arg = 0;
      g_delete = remove(panel);
      g_act = [panel] { panel->release_children(0, 0, 1); };
      click_change();
      return panel;
    }
    if (name == "ButtonStateDeletesTheButton" || name == "DisabledButtonStateDeletesTheButton") {
      WM_BUTTON* b = plain_button();
      b->state_callback = deleting_state;
      if (name == "DisabledButtonStateDeletesTheButton") b->set_enabled(0);
      g_delete = remove(b);
      frame(16);
      click_on(b);
      return b;
    }
    if (name == "ButtonPressDeletesTheButton" || name == "ButtonRepeatDeletesTheButton" ||
        name == "ButtonReleaseOutsideDeletesTheButton") {
      const INT_U8 events = name == "ButtonPressDeletesTheButton"    ? BUTTON_EVENT_PRESS
                            : name == "ButtonRepeatDeletesTheButton" ? BUTTON_EVENT_REPEAT
                                                                     : BUTTON_EVENT_RELEASE_OUTSIDE;
      WM_BUTTON* b = add(new WM_BUTTON(40, 40, 119, 69, &kFace, &kInk, "OK", 0, 0, 15,
                                       deleting_action, 0, 0, 1, events));
      g_delete = remove(b);
      move_to(60, 50);
      frame(16);
      left_down();
      frames(2);
      if (name == "ButtonReleaseOutsideDeletesTheButton") move_to(200, 200);
      for (int i = 0; i < 20 && g_calls == 0; ++i) frame(100);  // held past the repeat delay
      left_up();
      frames(2);
      return b;
    }
    if (name == "DragCancelDeletesTheSource") {
      WM_BUTTON* b = add(new WM_BUTTON(40, 40, 119, 69, &kFace, &kInk, "Drag", 0, 0, 15, nullptr,
                                       0, 0, 1, BUTTON_EVENT_RELEASE));
      b->drag_callback = deleting_drag;
      b->drag_events = DRAG_EVENT_CANCEL;
      g_delete = remove(b);
      move_to(60, 50);
      frame(16);
      left_down();
      frame(16);
      move_to(160, 120);
      frames(2);
      move_to(60, 50);  // back where it was taken: the drag is called off
      frames(2);
      left_up();
      frames(2);
      return b;
    }
    if (name == "ScrollbarArrowStepDeletesTheBar" || name == "ScrollbarTrackStepDeletesTheBar" ||
        name == "ScrollbarKeyStepDeletesTheBar" || name == "ScrollbarRepeatStepDeletesTheBar") {
      WM_SCROLLBAR* s = bar();
      s->step_callback = deleting_step;
      g_steps_before_delete = name == "ScrollbarRepeatStepDeletesTheBar" ? 1 : 0;
      g_delete = remove(s);
      frame(16);
      if (name == "ScrollbarKeyStepDeletesTheBar") {
        s->focusable = 1;
        s->take_focus();
        frames(2);
        press_key(KEYCODE_RIGHT);
      } else if (name == "ScrollbarRepeatStepDeletesTheBar") {
        move_to(30, 107);  // on the end button, held
        frame(16);
        left_down();
        for (int i = 0; i < 20 && g_calls == 0; ++i) frame(100);
        left_up();
        frames(2);
      } else {
        click(name == "ScrollbarArrowStepDeletesTheBar" ? 30 : 200, 107);
      }
      return s;
    }
    if (name == "ScrollbarValueDeletesTheBar") {
      WM_SCROLLBAR* s = bar();
      s->action_callback = deleting_action;
      g_delete = remove(s);
      frame(16);
      click(30, 107);
      return s;
    }
    if (name == "TextEditTypingDeletesTheBox" || name == "TextEditDeleteKeyDeletesTheBox") {
      edit_style = even_style;
      edit_style.font_id = kFont;
      edit_style.font_x_sz = edit_style.font_y_sz = kFontSize;
      WM_TEXT_EDIT* e = add(new WM_TEXT_EDIT(20, 20, 200, 20, "text", &edit_style,
                                             deleting_action, 0, 0));
      e->notify_on_change = 1;
      frame(16);
      click_on(e);
      EXPECT_EQ(wm_focus_object, e);
      g_delete = remove(e);
      if (name == "TextEditTypingDeletesTheBox") {
        type('x');
        type('y');
      } else {
        press_key(KEYCODE_HOME);
        press_key(KEYCODE_DELETE);
      }
      frames(2);
      return e;
    }
    if (name == "TextEditDialogOkDeletesTheDialog") {
      // Made with the library's dialog effects, set to none for the case.
      const DIALOG_EFFECTS effects = wm_dialog_effects;
      wm_dialog_effects = DIALOG_EFFECTS{0, 300, 1000, 192};
      WM_TEXT_EDIT_DIALOG* d =
          new WM_TEXT_EDIT_DIALOG(0, 0, 1, deleting_action, 0, nullptr, nullptr, nullptr, 20);
      wm_dialog_effects = effects;
      root()->add_popup(d, 0);
      g_delete = [this, d] { root()->remove_popup(d, 1, 0); };
      frames(2);
      click_on(d->ok_button);
      return d;
    }
    if (name == "FileSelectCancelDeletesTheSelector") {
      FOLDER temp;
      EXPECT_TRUE(temp.set("$TEMP", 1));
      const DIALOG_EFFECTS effects = wm_dialog_effects;
      wm_dialog_effects = DIALOG_EFFECTS{0, 300, 1000, 192};
      WM_FILE_SELECT* f =
          new WM_FILE_SELECT(0, 0, 1, deleting_action, 0, nullptr, nullptr, nullptr);
      wm_dialog_effects = effects;
      f->set_mode(FILE_SELECT_FOLDER, &temp, nullptr, nullptr);
      root()->add_popup(f, 0);
      g_delete = [this, f] { root()->remove_popup(f, 1, 0); };
      frames(2);
      click_on(f->cancel_button);
      return f;
    }
    if (name == "ButtonRightClickDeletesTheButton" ||
        name == "PictureRightClickDeletesThePicture" || name == "TextEditRightClickDeletesTheBox" ||
        name == "TextWindowRightClickDeletesTheWindow" ||
        name == "ObjectRightClickDeletesItsParent") {
      WM_SCREEN_OBJECT* o;
      WM_SCREEN_OBJECT* gone;
      if (name == "ButtonRightClickDeletesTheButton") {
        o = gone = plain_button();
      } else if (name == "PictureRightClickDeletesThePicture") {
        o = gone = add(new WM_IMAGE(40, 40, 60, 40, 1, nullptr, 0, 0, IMAGE_CLICK_RELEASE));
      } else if (name == "TextEditRightClickDeletesTheBox") {
        edit_style = even_style;
        edit_style.font_id = kFont;
        edit_style.font_x_sz = edit_style.font_y_sz = kFontSize;
        o = gone = add(new WM_TEXT_EDIT(20, 20, 200, 20, "text", &edit_style, nullptr, 0, 0));
      } else if (name == "TextWindowRightClickDeletesTheWindow") {
        o = gone = add(new WM_TEXT_WIN(20, 20, 219, 139, 0, 20, 15, &kFace, &kInk, &kInk, 0, 1,
                                       nullptr, 0, 0));
      } else {
        gone = add(new PROBE("parent", 20, 20, 200, 100));
        o = new PROBE("object", 40, 40, 60, 30);
        gone->add_child(o, 0);
        gone->add_child(new PROBE("sibling", 120, 40, 60, 30), 0);
      }
      o->click_callback = deleting_action;
      o->click_mode = CLICK_ON_RELEASE;
      g_delete = remove(gone);
      frame(16);
      right_click_on(o);
      return gone;
    }
    if (name == "DrawDeletesTheWidget" || name == "UpdateDeletesTheWidget" ||
        name == "InputDeletesTheWidget") {
      const SELF_DELETING_WIDGET::SLOT slot = SELF_DELETING_WIDGET::slot_named(name[0]);
      frame(16);
      SELF_DELETING_WIDGET* w = add(new SELF_DELETING_WIDGET(slot, 40, 40));
      g_delete = remove(w);
      frames(2);
      return w;
    }
    if (name == "DrawDeletesItsParent" || name == "UpdateDeletesItsParent" ||
        name == "InputDeletesItsParent") {
      const SELF_DELETING_WIDGET::SLOT slot = SELF_DELETING_WIDGET::slot_named(name[0]);
      frame(16);
      PROBE* parent = add(new PROBE("parent", 20, 20, 200, 100));
      parent->add_child(new SELF_DELETING_WIDGET(slot, 40, 40), 0);
      parent->add_child(new PROBE("sibling", 120, 40, 60, 30), 0);
      g_delete = remove(parent);
      frames(2);
      return parent;
    }
    if (name == "PopUpDrawDeletesThePopUp" || name == "PopUpUpdateDeletesThePopUp" ||
        name == "PopUpInputDeletesThePopUp") {
      const SELF_DELETING_WIDGET::SLOT slot = SELF_DELETING_WIDGET::slot_named(name[5]);
      frame(16);
      SELF_DELETING_WIDGET* w = new SELF_DELETING_WIDGET(slot, 40, 40);
      root()->add_popup(w, 0);
      g_delete = [this, w] { root()->remove_popup(w, 1, 0); };
      frames(2);
      return w;
    }
    if (name == "GridCellDrawDeletesTheGrid" || name == "GridCellUpdateDeletesTheGrid" ||
        name == "GridCellInputDeletesTheGrid") {
      const SELF_DELETING_WIDGET::SLOT slot = SELF_DELETING_WIDGET::slot_named(name[8]);
      WM_STYLE_SET st = gt::flat_style();
      WM_GRID* g = add(gt::make_grid(20, 20, 219, 139, st, 30));
      g->add_button_cell(0, 0, "Cell", &even_style, no_action, 0, 0, BUTTON_EVENT_RELEASE);
      g->place_object(0, 1, new SELF_DELETING_WIDGET(slot, 0, 0));
      g->add_button_cell(0, 2, "Cell", &even_style, no_action, 0, 0, BUTTON_EVENT_RELEASE);
      g_delete = remove(g);
      frames(3);
      return g;
    }
    ADD_FAILURE() << "no such case " << name;
    return nullptr;
  }
  WM_STYLE_SET edit_style;
  TYPED_VALUE bar_value;
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
                                           "DialogButtonDeletesTheDialog",
                                           "MenuItemRebuildsTheMenuBar",
                                           "FocusLossDeletesTheNewFocus",
                                           "FocusRepairLossDeletesTheNext",
                                           "ButtonFocusDeletesTheButton",
                                           "TabFocusDeletesTheButton",
                                           "ScrollbarFocusDeletesTheBar",
                                           "ObjectFocusDeletesTheObject",
                                           "ListBoxRightClickDeletesTheBox",
                                           "ScrollbarRightClickDeletesTheBar",
                                           "MenuOpenDeletesTheButton", "RingOpenDeletesTheBar",
                                           "RingOpenDeletesItsDialog",
                                           "PopUpReplacedAtItsAddress",
                                           "FocusedTextEditDeletedByReturn",
                                           "GridArrowFocusDeletesTheGrid",
                                           "GridArrowFocusLossDeletesTheGrid",
                                           "GridFocusCellDeletesTheGrid",
                                           "GridScrollMovesTheFocusLossDeletesTheGrid",
                                           "GridScrollbarFocusLossDeletesTheGrid",
                                           "NestedGridPaintFocusLossDeletesTheOuterGrid",
                                           "GridClearedBarFocusLossDeletesTheGrid",
                                           "GridResizedBarFocusLossDeletesTheGrid",
                                           "TextWindowClearedFocusLossDeletesTheWindow",
                                           "TextWindowResizedFocusLossDeletesTheWindow",
                                           "GridClearedFocusLossDeletesTheGrid",
                                           "GridRowDeletedFocusLossDeletesTheGrid",
                                           "GridRowResetFocusLossDeletesTheGrid",
                                           "GridCellReplacedFocusLossDeletesTheGrid",
                                           "FloatingMenuEndFocusDeletesTheMenu",
                                           "FloatingMenuArrowFocusDeletesTheMenu",
                                           "FloatingMenuScrollButtonFocusDeletesTheMenu",
                                           "FloatingMenuLetterFocusDeletesTheMenu",
                                           "FloatingMenuWheelFocusLossDeletesTheMenu",
                                           "FocusedWidgetDeleted", "FocusedProgressBarDeleted",
                                           "FocusedTextWindowDeleted", "FocusedDialogDeleted",
                                           "ReleasedChildFocusLossDeletesTheParent",
                                           "ButtonStateDeletesTheButton",
                                           "DisabledButtonStateDeletesTheButton",
                                           "ButtonPressDeletesTheButton",
                                           "ButtonRepeatDeletesTheButton",
                                           "ButtonReleaseOutsideDeletesTheButton",
                                           "DragCancelDeletesTheSource",
                                           "ScrollbarArrowStepDeletesTheBar",
                                           "ScrollbarTrackStepDeletesTheBar",
                                           "ScrollbarKeyStepDeletesTheBar",
                                           "ScrollbarRepeatStepDeletesTheBar",
                                           "ScrollbarValueDeletesTheBar",
                                           "TextEditTypingDeletesTheBox",
                                           "TextEditDeleteKeyDeletesTheBox",
                                           "TextEditDialogOkDeletesTheDialog",
                                           "FileSelectCancelDeletesTheSelector",
                                           "ButtonRightClickDeletesTheButton",
                                           "PictureRightClickDeletesThePicture",
                                           "TextEditRightClickDeletesTheBox",
                                           "TextWindowRightClickDeletesTheWindow",
                                           "ObjectRightClickDeletesItsParent",
                                           "DrawDeletesTheWidget", "UpdateDeletesTheWidget",
                                           "InputDeletesTheWidget", "DrawDeletesItsParent",
                                           "UpdateDeletesItsParent", "InputDeletesItsParent",
                                           "PopUpDrawDeletesThePopUp",
                                           "PopUpUpdateDeletesThePopUp",
                                           "PopUpInputDeletesThePopUp",
                                           "GridCellDrawDeletesTheGrid",
                                           "GridCellUpdateDeletesTheGrid",
                                           "GridCellInputDeletesTheGrid"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

using SelfRemovingPaint = MenuTest;

// It lives on as its parent left it: hidden, not drawn, to be shown again.
TEST_F(SelfRemovingPaint, AWidgetTakenOffItsParentByItsDrawIsLeftHiddenAndUndrawn) {
  frame(16);
  PROBE* parent = add(new PROBE("parent", 20, 20, 200, 100));
  SELF_REMOVING_WIDGET* w = new SELF_REMOVING_WIDGET(40, 40);
  parent->add_child(w, 0);
  frames(2);
  EXPECT_EQ(w->draws, 1);
  EXPECT_EQ(w->get_parent(), nullptr);
  EXPECT_EQ(w->visible, 0);
  EXPECT_EQ(w->drawn, 0);
  EXPECT_EQ(w->needs_redraw, 0);
  frames(2);
  EXPECT_EQ(w->draws, 1);
  delete w;
}
