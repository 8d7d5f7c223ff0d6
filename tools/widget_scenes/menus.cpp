// Two ring-linked menu buttons (the second with a sub-menu) and a list box,
// all in flat colours. Prints where each menu shows its rows once it is on
// screen ("shown <menu> <x> <y> <w> <h>", then "row <menu> <i> <x> <y>" for
// the centre of every row), "hidden <menu>" when it goes, "item <id>" when
// an item is chosen and "selection <i>" when the list box reports a change.
#include <cstdio>

#include "widget_demo.h"
#include "wm_globals.h"
#include "wm_grid.h"
#include "wm_list_box.h"
#include "wm_menu.h"

namespace {

const COLOUR kBar = 0xFF806020u, kInk = 0xFFFFFFFFu, kFrame = 0xFF404040u;
const COLOUR kFileItems = 0xFF2060C0u, kEditItems = 0xFF20A040u, kListItems = 0xFFA03080u;
const DIALOG_EFFECTS kNoEffects = {0, 100, 100, 224};
const char* kColours[] = {"Red", "Green", "Blue", "Cyan"};

WM_STYLE_SET flat(COLOUR bg) {
  WM_STYLE_SET s;
  s.bg_colour = s.highlight_colour = bg;
  s.fg_colour = s.highlight_text_colour = kInk;
  s.shading_type = 4;
  s.x_spacing = s.y_spacing = 0;
  return s;
}

INT_S32 item(WM_SCREEN_OBJECT*, INT_WORD id, INT_WORD) {
  widget_demo_say("item %d", word_to_s32(id));
  return 0;
}

INT_S32 chosen(WM_LIST_BOX* box, INT_WORD, INT_WORD) {
  widget_demo_say("selection %d", box->selected);
  return 0;
}

// Reports each watched menu's rows once it has been painted, and its going.
class WATCHER : public WM_SCREEN_OBJECT {
 public:
  WATCHER() : WM_SCREEN_OBJECT(1, nullptr, 0, 0) {}
  void watch(const char* name, WM_FLOATING_MENU* m) {
    names_[count_] = name;
    menus_[count_] = m;
    shown_[count_++] = 0;
  }
  INT_S32 update(INT_U8) override {
    for (int i = 0; i < count_; ++i) {
      WM_FLOATING_MENU* m = menus_[i];
      const bool on = m->visible && m->drawn && is_popup(m);
      if (on && !shown_[i]) {
        widget_demo_say("shown %s %d %d %d %d", names_[i], m->x, m->y, m->width, m->height);
        for (INT_S16 r = m->first_visible; r <= m->last_visible; ++r)
          if (WM_SCREEN_OBJECT* o = m->grid->get_cell(0, r))
            widget_demo_say("row %s %d %d %d", names_[i], r, o->x + o->width / 2,
                            o->y + o->height / 2);
      } else if (!on && shown_[i]) {
        widget_demo_say("hidden %s", names_[i]);
      }
      shown_[i] = on;
    }
    return 0;
  }

 private:
  const char* names_[4] = {};
  WM_FLOATING_MENU* menus_[4] = {};
  bool shown_[4] = {};
  int count_ = 0;
};

void build(PAGE_MANAGER* pm) {
  static WM_STYLE_SET bar = flat(kBar), frame = flat(kFrame), file_items = flat(kFileItems),
                      edit_items = flat(kEditItems), list_items = flat(kListItems);
  WM_MANAGER* page = pm->current_manager;
  WM_MENU* file = new WM_MENU(10, 10, 79, 29, "File", MENU_BELOW, &bar, &frame, &file_items,
                              &file_items, nullptr, nullptr, nullptr, &kNoEffects, nullptr);
  file->menu->add_item("New", item, 1, 0, 0);
  file->menu->add_item("Open", item, 2, 0, 0);
  file->menu->add_item("Quit", item, 3, 0, 1);
  WM_MENU* edit = new WM_MENU(80, 10, 149, 29, "Edit", MENU_BELOW, &bar, &frame, &edit_items,
                              &edit_items, nullptr, nullptr, nullptr, &kNoEffects, nullptr);
  edit->menu->add_item("Copy", item, 11, 0, 0);
  WM_MENU* more = edit->menu->add_submenu("More", 0, 1, nullptr, nullptr);
  more->menu->add_item("First", item, 21, 0, 0);
  more->menu->add_item("Second", item, 22, 0, 0);
  edit->link(file);
  WM_LIST_BOX* list = new WM_LIST_BOX(200, 10, 319, 29, 0, 4, kColours, 0, &bar, &frame, 0,
                                      &list_items, &list_items, nullptr, nullptr, chosen, 0, 0,
                                      &kNoEffects);
  page->add_child(file, 0);
  page->add_child(edit, 0);
  page->add_child(list, 0);
  WATCHER* watcher = new WATCHER;
  watcher->watch("file", file->menu);
  watcher->watch("edit", edit->menu);
  watcher->watch("more", more->menu);
  watcher->watch("list", list->menu);
  page->add_child(watcher, 0);
  widget_demo_say("menus file 10 10 edit 80 10 list 200 10");
}

}  // namespace

WIDGET_DEMO_SCENE("menus", build);
