// The menu button: its floating menu opened beside it and flipped to the
// side that fits, rings of menu buttons acting as a menu bar, and the
// pointer-entry mode of sub-menu items.
#include "../wm_platform.h"
#include "page_manager.h"
#include "wm_globals.h"
#include "wm_menu.h"
#include "../wm_internal.h"

INT_U32 wm_menu_press_mode = 0;

namespace {

const DIALOG_EFFECTS kMenuEffects = {96, 100, 200, 224};
const INT_U32 kPressModeNormal = 1, kPressModeEntry = 2;
const INT_U32 kItemLeftJustify = 64;  // ssf_left_justify_text
const INT_U32 kItemAutoDepress = 64;  // ssef_auto_depress
const INT_U32 kFrameBorder = 5;       // ssf_draw_border | ssf_outstanding_border
const INT_U16 kSides = 15;

}  // namespace

WM_MENU::WM_MENU(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const char* label,
                 INT_U32 dir, const WM_STYLE_SET* button_style, const WM_STYLE_SET* frame_style,
                 const WM_STYLE_SET* item_style, const WM_STYLE_SET* alternate_item_style,
                 const WM_STYLE_SET* separator_style, const WM_STYLE_SET* up_button_style,
                 const WM_STYLE_SET* down_button_style, const DIALOG_EFFECTS* fx,
                 const WM_STYLE_SET* submenu_frame_style)
    : WM_BUTTON(x1, y1, x2, y2, button_style, label, nullptr, open_close, 0, 0,
                BUTTON_EVENT_PRESS) {
  action_arg1 = word_from_pointer(this);
  init(dir, frame_style, item_style, alternate_item_style, separator_style, up_button_style,
       down_button_style, fx, submenu_frame_style);
  if (button_style) {
    gap_x = button_style->x_spacing;
    gap_y = button_style->y_spacing;
    place();
  }
}

WM_MENU::WM_MENU(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* back,
                 const COLOUR* text_col, const COLOUR* highlight, const COLOUR* highlight_text,
                 const char* label, INT_U8 shown, INT_U32 dir, const DIALOG_EFFECTS* fx)
    : WM_BUTTON(x1, y1, x2, y2, back, text_col, label, 0, 0, kSides, open_close, 0, 0, shown,
                BUTTON_EVENT_PRESS) {
  action_arg1 = word_from_pointer(this);
  WM_STYLE_SET frame;
  if (text_col) frame.fg_colour = *text_col;
  if (back) frame.bg_colour = *back;
  if (highlight) frame.highlight_colour = *highlight;
  if (highlight_text) frame.highlight_text_colour = *highlight_text;
  frame.ssf = kFrameBorder;
  frame.shading_flags = kSides;
  frame.visible = shown;
  init(dir, &frame, nullptr, nullptr, nullptr, nullptr, nullptr, fx, nullptr);
}

void WM_MENU::init(INT_U32 dir, const WM_STYLE_SET* frame_style, const WM_STYLE_SET* item_style,
                   const WM_STYLE_SET* alternate_item_style, const WM_STYLE_SET* separator_style,
                   const WM_STYLE_SET* up_button_style, const WM_STYLE_SET* down_button_style,
                   const DIALOG_EFFECTS* fx, const WM_STYLE_SET* submenu_frame_style) {
  direction = dir;
  open = 0;
  parent = nullptr;
  open_callback = nullptr;
  open_arg1 = open_arg2 = 0;
  gap_x = gap_y = 0;
  ring_next = ring_prev = nullptr;

  // The menu copies its styles: a local item style lives long enough.
  WM_STYLE_SET items;
  if (item_style) {
    items = *item_style;
  } else {
    WM_STYLE_SET defaults;
    const WM_STYLE_SET& f = frame_style ? *frame_style : defaults;
    items.ssf = kItemLeftJustify;
    items.ssef = kItemAutoDepress;
    items.fg_colour = f.fg_colour;
    items.bg_colour = f.bg_colour;
    items.highlight_colour = f.highlight_colour;
    items.highlight_text_colour = f.highlight_text_colour;
    items.font_id = f.font_id;
    items.font_x_sz = f.font_x_sz;
    items.font_y_sz = f.font_y_sz;
  }
  menu = new WM_FLOATING_MENU(x, y, nullptr, frame_style, frame_style, &items,
                              alternate_item_style, 0, 1, separator_style, up_button_style,
                              down_button_style, fx ? fx : &kMenuEffects, submenu_frame_style);
  menu->min_client_width = static_cast<INT_S16>(width - menu_frame_width());
  menu->owner = this;
  menu->hide(0, 0);  // shown when it opens; never over anything before

  const INT_U32 old_mode = press_mode;
  if (wm_menu_press_mode == kPressModeNormal) press_mode = BUTTON_PRESS_NORMAL;
  if (wm_menu_press_mode == kPressModeEntry) press_mode = BUTTON_PRESS_ON_ENTRY;
  if (press_mode != old_mode && visible) show();
  kind |= WM_KIND_MENU;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
  place();
}

WM_MENU::~WM_MENU() {
  wm_release_dying_object(this);
  unlink();
  if (menu) {
    if (open) remove_popup(menu, 1, 0);  // not_owned: only taken off the list
    delete menu;
    menu = nullptr;
  }
}

INT_S16 WM_MENU::menu_frame_width() {
  if (!menu) return 0;
  const WM_STYLE_SET& s = menu->style;
  return static_cast<INT_S16>(s.border_left_gap + s.border_right_gap + s.cell_left_gap +
                              s.cell_right_gap);
}

// ---- placing -----------------------------------------------------------------------------

void WM_MENU::place_once() {
  const INT_S16 mw = menu->width, mh = menu->height;
  INT_S32 nx = x, ny = y;
  switch (direction) {
    case MENU_BELOW: ny = y + height + gap_y; break;
    case MENU_ABOVE: ny = y - mh - gap_y; break;
    case MENU_LEFT: nx = x - mw - gap_x; break;
    default: nx = x + width + gap_x; break;
  }
  menu->set_position(static_cast<INT_S16>(nx), static_cast<INT_S16>(ny));
  menu->layout();
}

void WM_MENU::place() {
  if (!menu) return;
  place_once();
  INT_S16 bx1, by1, bx2, by2;
  get_menu_bounds(&bx1, &by1, &bx2, &by2);
  const INT_S32 mw = menu->width, mh = menu->height;
  const INT_S32 below_end = y + height + gap_y + mh, above_start = y - gap_y - mh;
  const INT_S32 left_start = x - mw - gap_x, right_end = x + gap_x + width + mw;
  INT_U32 flipped = direction;
  switch (direction) {
    case MENU_BELOW:
      if (!(below_end <= by2) && !(above_start <= by1)) flipped = MENU_ABOVE;
      break;
    case MENU_ABOVE:
      if (!(below_end >= by2) && !(above_start >= by1)) flipped = MENU_BELOW;
      break;
    case MENU_LEFT:
      if (!(left_start >= bx1) && !(right_end >= bx2)) flipped = MENU_RIGHT;
      break;
    default:
      if (!(left_start <= bx1) && !(right_end <= bx2)) flipped = MENU_LEFT;
      break;
  }
  // The second pass cannot flip back: it flips only towards a side that fits.
  if (flipped != direction) {
    direction = flipped;
    place_once();
  }
}

// ---- opening and closing -------------------------------------------------------------------

INT_S32 WM_MENU::open_close(WM_SCREEN_OBJECT*, INT_WORD self, INT_WORD) {
  WM_MENU* b = word_to_pointer<WM_MENU>(self);
  if (!b || !b->menu) return 0;
  WM_FLOATING_MENU* m = b->menu;
  if (is_popup(m) && m->visible && m->drawn) {
    m->delete_when_closed = m->not_owned ? 0 : 1;
    m->set_fade(0);
    m->start_transition(0);
    m->immediate = 0;
    return 0;
  }
  // It may delete the button, and the menu with it.
  if (b->open_callback &&
      !wm_call_survives(b, [&] { b->open_callback(b, b->open_arg1, b->open_arg2); }))
    return 0;
  if (!is_popup(m)) b->add_popup(m, 0);
  m->reset_items();
  m->show();
  b->place();
  b->open = 1;
  return 0;
}

void WM_MENU::hide(INT_U8 popups, INT_U8 children_too) {
  WM_SCREEN_OBJECT::hide(popups, children_too);
  if (menu) menu->hide_tree();
}

INT_S32 WM_MENU::handle_input() {
  if (open && menu && !menu->visible) {
    remove_popup(menu, 0, 0);
    open = 0;
  }
  INT_S32 r = 0;
  wm_call_survives(this, [&] { r = WM_BUTTON::handle_input(); });
  return r;
}

INT_S32 WM_MENU::update(INT_U8 popups) {
  if (!visible) return 0;
  INT_S32 r = 0;
  if (!wm_call_survives(this, [&] { r = WM_SCREEN_OBJECT::update(popups); }) || r) return r;
  WM_FLOATING_MENU* m = menu;
  if (!open || !m || !m->visible || m->alpha != m->target_alpha || m->x != m->to_x ||
      m->y != m->to_y)
    return 0;
  const INT_S16 px = wm_pointer_x(), py = wm_pointer_y();
  if (is_over(px, py) || m->is_over_tree(px, py)) return 0;

  WM_MENU* other = ring_member_at(px, py);
  if (other && other->enabled) {
    m->immediate = 1;
    m->close(0);
    reset_state();
    other->place();
    // It may delete the other member, or the bar that holds the ring.
    if (other->open_callback && !wm_call_survives(other, [&] {
          other->open_callback(other, other->open_arg1, other->open_arg2);
        }))
      return 0;
    if (WM_FLOATING_MENU* om = other->menu) {
      om->hide(0, 0);
      om->immediate = 1;
      if (!is_popup(om)) other->add_popup(om, 0);
      om->show();
    }
    other->open = 1;
    other->pressed = 1;
    other->show();
    return 0;
  }
  if (press_mode == BUTTON_PRESS_ON_ENTRY) {
    m->close(0);
    reset_state();
  }
  return 0;
}

void WM_MENU::set_position(INT_S16 new_x, INT_S16 new_y) {
  if (new_x == x && new_y == y) return;
  WM_SCREEN_OBJECT::set_position(new_x, new_y);
  place();
}

void WM_MENU::set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) {
  if (new_width == width && new_height == height) return;
  const INT_U8 was_shown = menu && menu->visible;
  WM_SCREEN_OBJECT::set_size(new_width, new_height, children_too);
  if (!menu) return;
  menu->min_client_width = static_cast<INT_S16>(width - menu_frame_width());
  menu->layout();
  if (was_shown) menu->show();
  place();
}

void WM_MENU::set_layer(INT_S16 new_layer) {
  if (menu) menu->set_layer(new_layer);
  WM_SCREEN_OBJECT::set_layer(new_layer);
}

void WM_MENU::draw() {
  wm_call_survives(this, [&] { WM_BUTTON::draw(); });
}

WM_BUTTON* WM_MENU::set_shortcut_key(INT_U32 keycode) {
  shortcut_key = keycode;
  if (menu) menu->close_key = keycode;
  return this;
}

// ---- rings ----------------------------------------------------------------------------------

void WM_MENU::link(WM_MENU* other) {
  unlink();
  if (!other || other == this) return;
  if (other->ring_next) {
    ring_next = other;
    ring_prev = other->ring_prev;
    ring_prev->ring_next = this;
    other->ring_prev = this;
  } else {
    ring_next = ring_prev = other;
    other->ring_next = other->ring_prev = this;
  }
}

WM_MENU* WM_MENU::unlink() {
  WM_MENU* next = ring_next;
  if (!next) return nullptr;
  if (next == ring_prev) {
    next->ring_next = next->ring_prev = nullptr;  // a ring of one does not exist
  } else {
    ring_prev->ring_next = ring_next;
    ring_next->ring_prev = ring_prev;
  }
  ring_next = ring_prev = nullptr;
  return next;
}

WM_MENU* WM_MENU::ring_member_at(INT_S16 px, INT_S16 py) {
  if (!ring_next) return nullptr;
  if (is_over(px, py)) return this;
  for (WM_MENU* m = ring_next; m && m != this; m = m->ring_next)
    if (m->is_over(px, py)) return m;
  return nullptr;
}
