// Page manager: the frame update, page action codes, redraw and helpers.
#include "page_manager.h"
#include "wm_dialog_grid.h"
#include "wm_globals.h"
#include "wm_internal.h"
#include "wm_platform.h"
#include "input.h"

namespace {

const INT_U8 kBusyCursor = 6;
const INT_U8 kLastCursorKind = 6;

bool key_down(INT_S32 a, INT_S32 b) { return wm_key_is_down(a) || wm_key_is_down(b); }

}  // namespace

void PAGE_MANAGER::rebuild_area(INT_S32 area, INT_U8 delete_popups) {
  select_area(area);
  PAGE_AREA& ar = areas[area];
  PAGE_RECORD& cur = ar.history[ar.current];
  if (cur.leave) cur.leave();
  ar.manager.release_children(delete_popups, 0, 1);
  if (cur.build) build_page(&cur);
}

void PAGE_MANAGER::act_on_switch(INT_S32 code, INT_S32 area) {
  switch (code) {
    case PAGE_ACTION_SWITCH: switch_pages(area); break;
    case PAGE_ACTION_CROSS_FADE: switch_cross_fade(this, area); break;
    case PAGE_ACTION_FADE_IN: switch_fade_in(this, area); break;
    case PAGE_ACTION_COLOUR_IN: switch_colour_in(this, area); break;
    case PAGE_ACTION_BLACK_OUT_FADE_IN: switch_black_out_fade_in(this, area); break;
    case PAGE_ACTION_GREY_OUT_COLOUR_IN: switch_grey_out_colour_in(this, area); break;
    case PAGE_ACTION_FADE_TO_BLACK:
      fade_to_black(this);
      switch_pages(area);
      break;
    case PAGE_ACTION_FADE_TO_GREY:
      fade_to_grey(this);
      switch_pages(area);
      break;
    default: break;
  }
}

INT_S32 PAGE_MANAGER::update(INT_U8 present) {
  // 1. Frame set-up.
  if (!last_screen_width || !last_screen_height) {
    last_screen_width = wm_screen_width(0);
    last_screen_height = wm_screen_height(0);
  }
  frame_cursor_kind = wm_use_cursor_shapes ? 0 : 255;
  wm_focus_changed = 0;

  // 2. A simulated pointer stands in for the real one during this frame.
  const bool override = pointer_override_x != -1 && pointer_override_y != -1;
  INT_S16 real_x = 0, real_y = 0;
  INT_U8 real_button = 0;
  if (override) {
    real_x = wm_pointer_x();
    real_y = wm_pointer_y();
    real_button = (wm_button_mask() & 1u) ? 1 : 0;
    wm_set_pointer(pointer_override_x, pointer_override_y);
    wm_stamp_mouse_time();
    wm_button_event(1, pointer_override_button);
  }

  // 3. Focus keys.
  if (wm_last_key() == KEYCODE_TAB) {
    wm_take_key();
    const bool shift = key_down(KEYCODE_SHIFT_LEFT, KEYCODE_SHIFT_RIGHT);
    const bool ctrl = key_down(KEYCODE_CONTROL_LEFT, KEYCODE_CONTROL_RIGHT);
    if (shift && ctrl)
      focus_area_backward();
    else if (shift)
      focus_previous();
    else if (ctrl)
      focus_area_forward();
    else
      focus_next();
  }

  // 4. Process gate.
  bool process_gate = wm_process_interval == 0;
  if (!process_gate) {
    const INT_U32 now = wm_clock_ms();
    if (now - wm_process_last_ms >= wm_process_interval) {
      process_gate = true;
      wm_process_last_ms = now;
    }
  }

  // 5. Area pass, last area first.
  INT_S32 pending_action = 0;
  bool changed = false;
  for (INT_S32 a = area_count - 1; a >= 0; --a) {
    select_area(a);
    PAGE_AREA& ar = areas[a];
    if (!ar.history[ar.current].build && ar.pending.build) {
      ar.manager.visible = 1;
      ar.manager.needs_redraw = 1;
      pending_action = fade_in_first_page ? PAGE_ACTION_FADE_IN : PAGE_ACTION_SWITCH;
      ar.manager.invalidate();
      changed = true;
    }
    if (ar.rebuild_next_frame) {
      ar.rebuild_next_frame = 0;
      rebuild_area(a, 0);
      changed = true;
    }
    if (!pending_action) {
      // The area managers belong to the page manager: they outlive any call.
      INT_S32 r = 0;
      wm_call_survives(&ar.manager, [&] { r = ar.manager.update(0); });
      draw_frame();
      if (r != WM_ACTION_NONE && r != WM_ACTION_HANDLED) {
        pending_action = r;
        changed = true;
      }
    }
  }

  // 6. Pop-up tick.
  INT_S32 result;
  INT_S32 action_area = 0;
  if (!pending_action && area_count > 0)
    wm_call_survives(&areas[0].manager, [&] { result = areas[0].manager.update(1); });
  else
    result = pending_action;

  // 7. Process callbacks and input.
  if (!changed && area_count > 0) {
    if (count_visible_popups()) {
      const INT_S16 top = get_top_popup_layer();
      const INT_S32 a = top < -1 ? -2 - top : top;
      if (top != -1 && a < area_count) {
        select_area(a);
        PAGE_RECORD& cur = areas[a].history[areas[a].current];
        if (process_gate && cur.process) result = cur.process();
        if (result == 0)
          wm_call_survives(&areas[a].manager, [&] { result = areas[a].manager.handle_input(); });
        action_area = a;
      }
    } else {
      for (INT_S32 a = area_count - 1; a >= 0 && result == 0; --a) {
        select_area(a);
        PAGE_AREA& ar = areas[a];
        PAGE_RECORD& cur = ar.history[ar.current];
        if (process_gate && ar.manager.visible && cur.process) result = cur.process();
        if (result == 0) wm_call_survives(&ar.manager, [&] { result = ar.manager.handle_input(); });
        if (result != 0) action_area = a;
      }
    }
  }

  // 8. Act on the code.
  if (area_count > 0) {
    select_area(action_area);
    const bool busy = wm_use_cursor_shapes && wm_busy_cursor_on_page_change;
    switch (result) {
      case PAGE_ACTION_CLOSE_DIALOGS: close_dialogs(0); break;
      case PAGE_ACTION_REBUILD:
      case PAGE_ACTION_REBUILD_CLOSE_POPUPS:
        if (busy) set_page_cursor(kBusyCursor);
        rebuild_area(action_area, result == PAGE_ACTION_REBUILD_CLOSE_POPUPS);
        result = 0;
        break;
      case PAGE_ACTION_REBUILD_ALL:
      case PAGE_ACTION_REBUILD_ALL_CLOSE_POPUPS:
        if (busy) set_page_cursor(kBusyCursor);
        for (INT_S32 k = 0; k < area_count; ++k)
          rebuild_area((action_area + k) % area_count,
                       result == PAGE_ACTION_REBUILD_ALL_CLOSE_POPUPS && k == 0);
        result = 0;
        break;
      case PAGE_ACTION_CLOSE_POPUPS:
        areas[0].manager.release_children(1, 0, 0);
        result = 0;
        break;
      default:
        if (result >= PAGE_ACTION_SWITCH && result <= PAGE_ACTION_FADE_TO_GREY) {
          if (busy) set_page_cursor(kBusyCursor);
          wm_focus_changed = 1;
          act_on_switch(result, action_area);
        }
        break;
    }
  }

  // 9. Screen size change.
  if (wm_rebuild_on_screen_change) {
    const INT_U16 w = wm_screen_width(0), h = wm_screen_height(0);
    if (w != last_screen_width || h != last_screen_height) {
      last_screen_width = w;
      last_screen_height = h;
      if (area_count > 0) {
        areas[0].manager.invalidate_display();
        for (INT_S32 a = area_count - 1; a >= 0; --a) {
          select_area(a);
          areas[a].rebuild_next_frame = 0;
          rebuild_area(a, 0);
        }
      }
    }
  }

  // 10. Focus repair.
  if (!wm_focus_changed && result != WM_ACTION_HANDLED) {
    if (!focus_next() && wm_focus_object) {
      // The callback must see the focus gone, as on every other loss.
      WM_SCREEN_OBJECT* lost = wm_focus_object;
      wm_focus_object = nullptr;
      if (lost->visible) lost->show();
      if (lost->focus_callback)
        wm_call_survives(lost, [&] { lost->focus_callback(lost, lost->focus_arg); });
    }
  }

  // 11, 12.
  draw_frame();
  if (present) wm_present_all();

  // 13. The real pointer comes back.
  if (override) {
    wm_stamp_mouse_time();
    wm_set_pointer(real_x, real_y);
    wm_button_event(1, real_button);
  }

  // 14. Pointer shape asked for by this frame's objects.
  if (wm_use_cursor_shapes && frame_cursor_kind <= 6 && frame_cursor_kind != wm_cursor_kind) {
    wm_cursor_kind = frame_cursor_kind;
    wm_platform_set_cursor(frame_cursor_kind, 0);
  }
  return result;
}

void PAGE_MANAGER::redraw() {
  IMAGE* surface = wm_surface;
  for (INT_U16 i = 0; i < wm_dirty_rect_count; ++i) {
    wm_drawn_dirty_rect = static_cast<INT_S16>(i);
    // An inactive rectangle redraws nothing: painting its background with
    // no object on top would wipe what is shown there.
    if (!is_dirty_rect_active()) continue;
    const DIRTY_RECT r = wm_dirty_rects[i];
    if (surface) surface->set_clip(r.left, r.top, r.right, r.bottom);
    for (INT_U16 d = 0; d < WM_DISPLAY_COUNT; ++d)
      if (wm_screen_width(d)) backgrounds[d].draw_to(0, 0, wm_screen_image(d), BLIT_COPY);
    for (INT_S16 a = 0; a < area_count; ++a) areas[a].manager.render();
    if (area_count > 0) areas[0].manager.render_popups();
    if (surface) {
      const INT_U16 w = wm_screen_width(0), h = wm_screen_height(0);
      surface->set_clip(0, 0, static_cast<INT_S16>(w - 1), static_cast<INT_S16>(h - 1));
    }
  }
  wm_drawn_dirty_rect = -1;
  wm_dirty_rect_count = 0;
}

void PAGE_MANAGER::draw_frame() {
  if (wm_frame_goes_out()) {
    redraw();
    return;
  }
  // Work that blocks the loop before the next frame shows what waits here.
  if (wm_dirty_rect_count) wm_set_deferred_frame_drawer(wm_present_deferred_frame);
}

INT_U8 wm_frame_goes_out() {
  // A resting program may sleep its idle wait before the next frame: what
  // changed is drawn now, and the pump shows it in its turn.
  if (wm_idle_wait() != 0) return 1;
  return wm_present_goes_out();
}

void wm_present_deferred_frame() {
  PAGE_MANAGER* pm = wm_page_manager;
  // Never from inside a drawing pass: its rectangles are being walked.
  if (!pm || !wm_dirty_rect_count || wm_drawn_dirty_rect != -1 || wm_rendering) return;
  if (!wm_present_goes_out()) return;
  pm->redraw();
  wm_present_all();
}

void PAGE_MANAGER::close_dialogs(INT_U8 immediate) {
  WM_SNAPSHOT pops(wm_popup_list, true);
  for (size_t i = 0; i < pops.size(); ++i) {
    if (!pops.still_listed(i) || !(pops.at(i)->kind & WM_KIND_DIALOG)) continue;
    WM_DIALOG* d = dynamic_cast<WM_DIALOG*>(pops.at(i));
    if (!d) continue;
    d->immediate = immediate;
    d->delete_when_closed = 1;
    d->set_fade(0);
    d->start_transition(0);
    d->immediate = 0;
  }
}

void PAGE_MANAGER::set_cursor_shape(INT_U8 kind) {
  if (wm_use_cursor_shapes && kind <= kLastCursorKind && wm_platform_set_cursor(kind, 1))
    frame_cursor_kind = kind;
}

WM_SCREEN_OBJECT* PAGE_MANAGER::object_at(INT_S16 px, INT_S16 py) {
  WM_SCREEN_OBJECT* first_manager = nullptr;
  for (INT_S32 a = area_count - 1; a >= 0; --a) {
    WM_SCREEN_OBJECT* root = &areas[a].manager;
    WM_SCREEN_OBJECT* hit = root->object_at(px, py);
    if (hit && hit != root) return hit;
    if (hit && !first_manager) first_manager = hit;
  }
  return first_manager;
}

void get_menu_bounds(INT_S16* x1, INT_S16* y1, INT_S16* x2, INT_S16* y2) {
  const INT_U16 display =
      static_cast<INT_U16>(get_display_of_point(wm_menu_bounds[0], wm_menu_bounds[1]));
  *x1 = wm_menu_bounds[0] < 0 ? 0 : wm_menu_bounds[0];
  *x2 = wm_menu_bounds[1] < 0 ? static_cast<INT_S16>(wm_screen_width(display) - 1)
                              : wm_menu_bounds[1];
  *y1 = wm_menu_bounds[2] < 0 ? 0 : wm_menu_bounds[2];
  *y2 = wm_menu_bounds[3] < 0 ? static_cast<INT_S16>(wm_screen_height(display) - 1)
                              : wm_menu_bounds[3];
}

INT_U8 set_page_cursor(INT_U8 kind) {
  if (kind > 6 && kind != 255) return 0;
  if (kind == wm_cursor_kind) return 1;
  wm_cursor_kind = kind;
  return wm_platform_set_cursor(kind, 0);
}
