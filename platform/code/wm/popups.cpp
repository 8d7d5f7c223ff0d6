// The pop-up list and the keyboard focus.
#include "wm_globals.h"
#include "wm_internal.h"
#include "wm_screen_object.h"

void WM_SCREEN_OBJECT::add_popup(WM_SCREEN_OBJECT* popup, INT_U8 relative) {
  if (!popup) return;
  if (relative) popup->set_position(popup->get_x() + x, popup->get_y() + y);
  popup->set_layer(layer < 0 ? layer : static_cast<INT_S16>(-2 - layer));
  wm_list_append(wm_popup_list, popup);
  if (popup->visible && drawn) popup->invalidate();
}

void WM_SCREEN_OBJECT::remove_popup(WM_SCREEN_OBJECT* popup, INT_U8 destroy, INT_U8 relative) {
  if (!popup || !wm_popup_list.remove(popup)) return;
  ++wm_unlink_generation;
  invalidate();
  // A pop-up that is also someone's child is owned by that parent.
  if (destroy && !popup->not_owned && !popup->get_parent()) {
    delete popup;
    return;
  }
  popup->set_layer(layer < -1 ? static_cast<INT_S16>(-2 - layer) : 0);
  if (relative) popup->set_position(popup->get_x() - x, popup->get_y() - y);
}

WM_SCREEN_OBJECT* find_popup(INT_U32 mask) {
  for (LIST_NODE* n = wm_popup_list.tail; n; n = n->previous) {
    WM_SCREEN_OBJECT* p = wm_node_object(n);
    if (p && p->visible && (p->kind & mask) == mask) return p;
  }
  return nullptr;
}

INT_U8 is_popup(const WM_SCREEN_OBJECT* object) {
  return object && wm_list_contains(wm_popup_list, object);
}

INT_S16 get_top_popup_layer() {
  WM_SCREEN_OBJECT* p = find_popup(0);
  return p ? p->layer : -1;
}

INT_U16 count_visible_popups() {
  INT_U16 n = 0;
  for (LIST_NODE* p = wm_popup_list.head; p; p = p->next) {
    WM_SCREEN_OBJECT* o = wm_node_object(p);
    if (o && o->visible) ++n;
  }
  return n;
}

INT_U8 WM_SCREEN_OBJECT::can_focus() { return focusable; }

void WM_SCREEN_OBJECT::take_focus() {
  if (!can_focus() || wm_focus_object == this || !visible) return;
  WM_SCREEN_OBJECT* old = wm_focus_object;
  wm_focus_object = this;
  // The old owner's callback may delete this object, and so may its own:
  // nothing of it is touched after that. Callers make this call through
  // wm_call_survives as well.
  bool alive = true;
  if (old) {
    if (old->visible) old->show();
    if (old->focus_callback)
      alive = wm_call_survives(this, [&] { old->focus_callback(old, old->focus_arg); });
  }
  if (alive) {
    if (visible) show();
    if (focus_callback) wm_call_survives(this, [&] { focus_callback(this, focus_arg); });
  }
  wm_focus_changed = 1;
}
