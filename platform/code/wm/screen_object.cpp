// Screen object: construction, destruction, children, geometry, visibility.
#include "wm_screen_object.h"

#include "wm_globals.h"
#include "wm_internal.h"
#include "wm_platform.h"

unsigned wm_unlink_generation = 0;

// ---- list helpers ----------------------------------------------------------

bool wm_list_contains(const PTRLLIST& list, const void* item) {
  for (const LIST_NODE* n = list.head; n; n = n->next)
    if (wm_node_object(n) == item) return true;
  return false;
}

void wm_list_append(PTRLLIST& list, void* item) {
  // insert() goes before the cursor when one is set; append regardless.
  LIST_NODE* saved = list.cursor;
  list.cursor = nullptr;
  list.insert(item);
  list.cursor = saved;
}

int wm_list_remove_all(PTRLLIST& list, void* item) {
  int n = 0;
  while (list.remove(item)) ++n;
  if (n) ++wm_unlink_generation;
  return n;
}

WM_SCREEN_OBJECT* wm_list_last(const PTRLLIST& list) {
  return list.tail ? wm_node_object(list.tail) : nullptr;
}

WM_SNAPSHOT::WM_SNAPSHOT(const PTRLLIST& list, bool topmost_first)
    : list_(list), generation_(wm_unlink_generation), count_(0), items_(inline_) {
  size_t n = 0;
  for (const LIST_NODE* p = list.head; p; p = p->next) ++n;
  if (n > sizeof inline_ / sizeof inline_[0]) {
    heap_.resize(n);
    items_ = heap_.data();
  }
  if (topmost_first) {
    for (const LIST_NODE* p = list.tail; p && count_ < n; p = p->previous)
      items_[count_++] = wm_node_object(p);
  } else {
    for (const LIST_NODE* p = list.head; p && count_ < n; p = p->next)
      items_[count_++] = wm_node_object(p);
  }
}

bool WM_SNAPSHOT::still_listed(size_t i) const {
  if (generation_ == wm_unlink_generation) return true;
  return wm_list_contains(list_, items_[i]);
}

// ---- construction and destruction -----------------------------------------

WM_SCREEN_OBJECT::WM_SCREEN_OBJECT(INT_U8 vis, WM_ACTION_CALLBACK callback, INT_WORD arg1,
                                   INT_WORD arg2)
    : x(0), y(0), width(0), height(0), state(0), visible(vis), needs_redraw(vis), drawn(0),
      not_owned(0), colour(wm_default_colour), layer(-1), kind(0), shading_type(1),
      action_callback{callback}, click_callback{nullptr}, click_mode(CLICK_ON_BOTH),
      action_arg1(arg1), action_arg2(arg2), click_arg1(0), click_arg2(0),
      activate_key_state(0), focus_callback{nullptr}, focus_arg(0), focusable(0),
      parent_(nullptr) {
  if (!wm_surface) wm_surface = wm_screen_image(0);
}

namespace {
WM_DELETION_WATCH* innermost_watch = nullptr;
}  // namespace

WM_DELETION_WATCH::WM_DELETION_WATCH(const WM_SCREEN_OBJECT* object) : object_(object), outer_(innermost_watch) {
  innermost_watch = this;
}

WM_DELETION_WATCH::~WM_DELETION_WATCH() { innermost_watch = outer_; }

void WM_DELETION_WATCH::object_deleted(const WM_SCREEN_OBJECT* object) {
  for (WM_DELETION_WATCH* w = innermost_watch; w; w = w->outer_)
    if (w->object_ == object) w->object_ = nullptr;
}

void WM_SCREEN_OBJECT::release_focus() {
  if (wm_pressed_object == this) wm_pressed_object = nullptr;
  if (wm_focus_object != this) return;
  wm_focus_object = nullptr;
  // The object is on its way out: nothing of it is touched after the call.
  if (focus_callback) wm_call_survives(this, [&] { focus_callback(this, focus_arg); });
}

void wm_release_dying_object(WM_SCREEN_OBJECT* object) { object->release_focus(); }

WM_SCREEN_OBJECT::~WM_SCREEN_OBJECT() {
  WM_DELETION_WATCH::object_deleted(this);
  // Nothing may keep pointing at a dead object: the pop-up list may hold it
  // (even twice), and so may a parent when it is deleted directly.
  wm_list_remove_all(wm_popup_list, this);
  if (parent_) {
    wm_list_remove_all(parent_->children, this);
    parent_ = nullptr;
  }
  ++wm_unlink_generation;

  wm_release_dying_object(this);
  if (wm_object_destroyed_hook) wm_object_destroyed_hook(this, wm_object_destroyed_hook_arg);
  release_children(0, 0, 1);
}

// ---- children --------------------------------------------------------------

void WM_SCREEN_OBJECT::unlink_child(WM_SCREEN_OBJECT* child) {
  wm_list_remove_all(children, child);
  if (child->parent_ == this) child->parent_ = nullptr;
}

void WM_SCREEN_OBJECT::add_child(WM_SCREEN_OBJECT* child, INT_U8 relative) {
  if (!child) return;
  // An object is never its own ancestor: every walk down the tree would loop.
  for (WM_SCREEN_OBJECT* up = this; up; up = up->parent_)
    if (up == child) return;
  // One parent at a time: a child still listed by its first parent would be
  // freed by one owner and walked (or freed again) by the other. Where it was
  // shown must be painted over.
  if (WM_SCREEN_OBJECT* old = child->parent_) {
    old->unlink_child(child);
    if (child->visible && child->drawn) child->invalidate();
    if (old->visible && old->drawn) old->invalidate();
  }
  if (relative) child->set_position(child->get_x() + x, child->get_y() + y);
  child->set_layer(layer);
  wm_list_append(children, child);
  child->parent_ = this;
  if (child->visible && drawn) child->invalidate();
}

void WM_SCREEN_OBJECT::remove_child(WM_SCREEN_OBJECT* child, INT_U8 destroy, INT_U8 relative) {
  if (!child || !wm_list_contains(children, child)) return;
  unlink_child(child);
  child->hide(0, 0);
  if (destroy && !child->not_owned) {
    delete child;  // its destructor also takes it off the pop-up list
    return;
  }
  child->set_layer(layer < -1 ? static_cast<INT_S16>(-2 - layer) : 0);
  if (relative) child->set_position(child->get_x() - x, child->get_y() - y);
}

void WM_SCREEN_OBJECT::release_children(INT_U8 popups_too, INT_WORD, INT_U8 children_too) {
  if (popups_too) {
    // Topmost first. Each deletion may take further pop-ups with it (a
    // dialog's button deletes its hint), so the list is read afresh each
    // time. A pop-up that is also someone's child belongs to that parent:
    // it is only hidden here, like a not-owned one.
    // A focused one tells its callback, which may delete this object.
    PTRLLIST& list = wm_popup_list;
    while (WM_SCREEN_OBJECT* p = wm_list_last(list)) {
      wm_list_remove_all(list, p);
      if (p->not_owned || p->parent_)
        p->hide(0, 0);
      else if (!wm_call_survives(this, [&] { delete p; }))
        return;
    }
  }
  if (!children_too) {
    if (visible) invalidate();
    return;
  }
  while (WM_SCREEN_OBJECT* c = wm_list_last(children)) {
    unlink_child(c);
    if (!popups_too) wm_list_remove_all(wm_popup_list, c);
    if (c->not_owned)
      c->hide(0, 0);
    else if (!wm_call_survives(this, [&] { delete c; }))
      return;
  }
  if (visible) invalidate();
}

WM_SCREEN_OBJECT* WM_SCREEN_OBJECT::child_at(INT_S16 n) {
  if (n < 0) return nullptr;
  for (LIST_NODE* p = children.head; p; p = p->next)
    if (n-- == 0) return wm_node_object(p);
  return nullptr;
}

// ---- geometry and hit tests --------------------------------------------------

INT_U8 WM_SCREEN_OBJECT::contains(INT_S16 px, INT_S16 py) {
  return visible && x <= px && px < x + width && y <= py && py < y + height;
}

INT_U8 WM_SCREEN_OBJECT::is_over_child(INT_S16 px, INT_S16 py) {
  WM_SNAPSHOT kids(children, false);
  for (size_t i = 0; i < kids.size(); ++i) {
    WM_SCREEN_OBJECT* c = kids.at(i);
    if (kids.still_listed(i) && c->visible && c->is_over(px, py)) return 1;
  }
  return 0;
}

INT_U8 WM_SCREEN_OBJECT::is_over(INT_S16 px, INT_S16 py) {
  return visible && (contains(px, py) || is_over_child(px, py));
}

WM_SCREEN_OBJECT* WM_SCREEN_OBJECT::object_at(INT_S16 px, INT_S16 py) {
  if (!visible || !is_over(px, py)) return nullptr;
  WM_SCREEN_OBJECT* result = this;
  WM_SNAPSHOT kids(children, false);
  for (size_t i = 0; i < kids.size(); ++i) {
    WM_SCREEN_OBJECT* c = kids.at(i);
    if (!kids.still_listed(i) || !c->visible) continue;
    if (WM_SCREEN_OBJECT* hit = c->object_at(px, py)) result = hit;
  }
  return result;
}

void WM_SCREEN_OBJECT::set_position(INT_S16 new_x, INT_S16 new_y) {
  if (new_x == x && new_y == y) return;
  WM_SNAPSHOT kids(children, false);
  for (size_t i = 0; i < kids.size(); ++i) {
    WM_SCREEN_OBJECT* c = kids.at(i);
    if (!kids.still_listed(i)) continue;
    c->set_position(static_cast<INT_S16>(new_x - x + c->get_x()),
                    static_cast<INT_S16>(new_y - y + c->get_y()));
  }
  if (visible) invalidate();
  x = new_x;
  y = new_y;
  if (visible) invalidate();
}

void WM_SCREEN_OBJECT::set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) {
  if (new_width == width && new_height == height) return;
  if (visible) invalidate();
  if (children_too) {
    WM_SNAPSHOT kids(children, false);
    for (size_t i = 0; i < kids.size(); ++i) {
      WM_SCREEN_OBJECT* c = kids.at(i);
      if (!kids.still_listed(i)) continue;
      c->set_size(static_cast<INT_S16>(new_width - width + c->get_width()),
                  static_cast<INT_S16>(new_height - height + c->get_height()), children_too);
    }
  }
  width = new_width;
  height = new_height;
  if (visible) invalidate();
}

void WM_SCREEN_OBJECT::set_layer(INT_S16 new_layer) {
  layer = new_layer;
  WM_SNAPSHOT kids(children, false);
  for (size_t i = 0; i < kids.size(); ++i)
    if (kids.still_listed(i)) kids.at(i)->set_layer(new_layer);
}

INT_S16 WM_SCREEN_OBJECT::get_x() { return x; }
INT_S16 WM_SCREEN_OBJECT::get_y() { return y; }
INT_S16 WM_SCREEN_OBJECT::get_width() { return width; }
INT_S16 WM_SCREEN_OBJECT::get_height() { return height; }

// ---- visibility ---------------------------------------------------------------

void WM_SCREEN_OBJECT::show() {
  visible = 1;
  needs_redraw = 1;
  invalidate();
}

void WM_SCREEN_OBJECT::hide(INT_U8 popups, INT_U8 children_too) {
  needs_redraw = 0;
  drawn = 0;
  if (!visible) return;
  if (popups) {
    WM_SNAPSHOT pops(wm_popup_list, true);
    for (size_t i = 0; i < pops.size(); ++i)
      if (pops.still_listed(i)) pops.at(i)->hide(0, 0);
  }
  if (children_too) {
    WM_SNAPSHOT kids(children, true);
    for (size_t i = 0; i < kids.size(); ++i)
      if (kids.still_listed(i)) kids.at(i)->hide(0, 0);
  }
  visible = 0;
  invalidate();
}

void WM_SCREEN_OBJECT::set_state(INT_U8 new_state) {
  if (visible) show();
  state = new_state;
}

void WM_SCREEN_OBJECT::draw() {}
