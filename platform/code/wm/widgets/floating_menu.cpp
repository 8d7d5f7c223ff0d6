// The floating menu: construction, entries, layout and the scroll buttons.
// Its input pass is in floating_menu_input.cpp.
#include <new>

#include "errors.h"
#include "image.h"
#include "page_manager.h"
#include "wm_button.h"
#include "wm_floating_menu.h"
#include "wm_globals.h"
#include "wm_grid.h"
#include "wm_menu.h"
#include "wm_script.h"
#include "../wm_internal.h"

namespace {

const DIALOG_EFFECTS kFloatingMenuEffects = {15, 200, 200, 224};
// A separator without a style of its own: a 3-pixel line in the grid's colour.
const INT_S16 kSeparatorHeight = 3;
const INT_U32 kSeparatorShading = 4;
const INT_U8 kScrollButtonEvents = BUTTON_EVENT_PRESS | BUTTON_EVENT_REPEAT;
const INT_WORD kUp = 1, kDown = 0;
const INT_U8 kDefaultFont = 255;

INT_S32 part_height(const IMAGE* part) { return part ? part->height : 0; }

INT_S32 unset_as(INT_S16 value, INT_S32 fallback) { return value == -1 ? fallback : value; }

INT_S32 style_text_width(const WM_STYLE_SET& s, const char* text) {
  if (!wm_surface || !text || !*text) return 0;
  return wm_surface->text_width(s.font_id, static_cast<INT_U16>(s.font_x_sz),
                                static_cast<INT_U16>(s.font_y_sz), text);
}

bool is_separator(const WM_SCREEN_OBJECT* o) {
  return o && (o->kind & WM_KIND_SCRIPT) && !(o->kind & WM_KIND_BUTTON);
}

WM_STYLE_SET* copy_of(const WM_STYLE_SET* s) {
  if (!s) return nullptr;
  WM_STYLE_SET* c = new WM_STYLE_SET();
  *c = *s;
  return c;
}

}  // namespace

WM_FLOATING_MENU::WM_FLOATING_MENU(INT_S16 px, INT_S16 py, const char* title,
                                   const WM_STYLE_SET* frame_style,
                                   const WM_STYLE_SET* caption_style,
                                   const WM_STYLE_SET* item_style,
                                   const WM_STYLE_SET* alternate_style, INT_U8 drag, INT_U8 keep,
                                   const WM_STYLE_SET* separator, const WM_STYLE_SET* up_style,
                                   const WM_STYLE_SET* down_style, const DIALOG_EFFECTS* fx,
                                   const WM_STYLE_SET* submenu_frame)
    : WM_DIALOG(px, py, 50, 50, title, frame_style, caption_style, item_style,
                fx ? fx : &kFloatingMenuEffects) {
  grid_style.ssf = 0;
  grid_style.ssef = ssef_grid_no_scrollbar;
  grid_style.y_spacing = 0;
  grid_style.bg_colour = wm_default_colour;

  alternate_item_style = alternate_style ? alternate_style : &button_style;
  separator_style = copy_of(separator);
  up_button_style = copy_of(up_style);
  down_button_style = copy_of(down_style);
  submenu_frame_style = copy_of(submenu_frame);
  menu_draggable = drag;
  not_owned = keep;

  INT_S32 row_h = unset_as(style.font_y_sz, wm_surface ? wm_surface->font_height : 0) +
                  static_cast<INT_S32>(get_cell_gaps_height(&style)) +
                  (style.y_spacing >= 1 ? style.y_spacing : 0);
  if (row_h <= 0) row_h = static_cast<INT_S32>(get_grid_row_height(&grid_style, nullptr));

  grid = new WM_GRID(grid_style.visible);
  grid->init(0, 0, 50, 50, 1, nullptr, &grid_style, &grid_style);
  const INT_S32 field = row_h - grid_style.y_spacing;
  grid->row_height = static_cast<INT_S16>(field < 1 ? 1 : field);
  grid->rows_per_page = 0;
  grid->keyboard_navigation = 0;
  WM_DIALOG::add_child(grid, 1);
  layout();
  kind |= WM_KIND_FLOATING_MENU;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

WM_FLOATING_MENU::~WM_FLOATING_MENU() {
  WM_DIALOG::hide(0, 0);
  if (grid) {
    grid->keyboard_navigation = 0;
    remove_scroll_buttons();
    grid->clear_rows(1);
  }
  delete separator_style;
  delete up_button_style;
  delete down_button_style;
  delete submenu_frame_style;
  separator_style = up_button_style = down_button_style = submenu_frame_style = nullptr;
  entry_count = item_count = first_visible = last_visible = 0;
  prev_buttons = prev_escape = prev_activate = 0;
  delete up_button;
  delete down_button;
  up_button = down_button = nullptr;
  // The client area and the grid go with the dialog.
}

// ---- entries -------------------------------------------------------------------------------

const WM_STYLE_SET* WM_FLOATING_MENU::next_item_style() const {
  return (item_count & 1) ? alternate_item_style : &button_style;
}

WM_SCREEN_OBJECT* WM_FLOATING_MENU::entry_at(INT_S16 index) {
  if (!grid || index < 0 || index >= entry_count) return nullptr;
  // An entry lent to a scroll button is found by the row it left.
  if (up_displaced && index == up_row) return up_displaced;
  if (down_displaced && index == down_row) return down_displaced;
  return grid->get_cell(0, index);
}

WM_BUTTON* WM_FLOATING_MENU::item_at(INT_S16 index) {
  WM_SCREEN_OBJECT* o = entry_at(index);
  return o && (o->kind & WM_KIND_BUTTON) ? static_cast<WM_BUTTON*>(o) : nullptr;
}

WM_MENU* WM_FLOATING_MENU::submenu_at(INT_S16 index) {
  WM_SCREEN_OBJECT* o = entry_at(index);
  return o && (o->kind & WM_KIND_MENU) ? static_cast<WM_MENU*>(o) : nullptr;
}

WM_BUTTON* WM_FLOATING_MENU::add_item(const char* text, WM_ACTION_CALLBACK callback,
                                      INT_WORD arg1, INT_WORD arg2, INT_U8 separator_before) {
  if (!text || !grid) return nullptr;
  if (separator_before) add_separator();
  remove_scroll_buttons();
  INT_S16 x1, y1, x2, y2;
  grid->row_cell_rect(0, &x1, &y1, &x2, &y2);
  WM_BUTTON* item = new WM_BUTTON(x1, y1, x2, y2, next_item_style(), text, nullptr, callback,
                                  arg1, arg2, BUTTON_EVENT_RELEASE);
  item->always_armed = 1;
  item->focusable = 0;
  if (!grid->place_object(0, entry_count, item)) {
    delete item;
    layout();
    return nullptr;
  }
  ++entry_count;
  ++item_count;
  layout();
  return item;
}

void WM_FLOATING_MENU::add_separator() {
  if (!grid) return;
  remove_scroll_buttons();
  const INT_S16 saved = grid->row_height;
  WM_SCRIPT* line;
  INT_S32 h;
  if (!separator_style) {
    line = new WM_SCRIPT(0, 0, 10, kSeparatorHeight - 1, "", kDefaultFont, -1, -1,
                         &grid_style.bg_colour, &grid_style.bg_colour, 1, 1, -1, -1, -1, -1,
                         -1, -1);
    line->shading_type = kSeparatorShading;
    line->border_mask = 255;
    h = kSeparatorHeight;
  } else {
    line = new WM_SCRIPT(0, 0, 10, kSeparatorHeight - 1, separator_style, "");
    const SKIN_FRAME& f = line->up_frame;
    h = part_height(f.mid_mid) + part_height(f.top_mid) + part_height(f.bottom_mid);
    if (h == 0) h = static_cast<INT_S32>(get_grid_row_height(&grid_style, nullptr));
  }
  const INT_S32 field = h - grid_style.y_spacing;
  grid->row_height = static_cast<INT_S16>(field < 1 ? 1 : field);
  if (grid->place_object(0, entry_count, line))
    ++entry_count;
  else
    delete line;
  grid->row_height =
      saved ? saved : static_cast<INT_S16>(get_grid_row_height(&grid_style, nullptr));
  layout();
}

void WM_FLOATING_MENU::reset_items() {
  for (INT_S16 i = 0; i < entry_count; ++i)
    if (WM_BUTTON* b = item_at(i)) b->reset_state();
  just_opened = 1;
  close_key_latched = 1;
  prev_buttons = prev_escape = prev_activate = 0;
  was_visible = 0;
}

void WM_FLOATING_MENU::set_items_focusable(INT_U8 on) {
  if (!grid) return;
  for (INT_S16 i = 0; i < entry_count; ++i)
    if (WM_BUTTON* b = item_at(i)) b->focusable = on;
  grid->keyboard_navigation = on;
  if (up_displaced) up_displaced->focusable = on;
  if (down_displaced) down_displaced->focusable = on;
  if (up_button) up_button->focusable = on;
  if (down_button) down_button->focusable = on;
}

// ---- layout -------------------------------------------------------------------------------

INT_S16 WM_FLOATING_MENU::entry_height(INT_S16 index) {
  if (!grid || index < 0 || index >= grid->row_count) return 0;
  return static_cast<INT_S16>(grid->rows[index]->height + grid_style.y_spacing);
}

INT_S32 WM_FLOATING_MENU::entry_text_width(WM_SCREEN_OBJECT* e) {
  const char* text = nullptr;
  if (e && (e->kind & WM_KIND_BUTTON))
    text = static_cast<WM_BUTTON*>(e)->text;
  else if (e && (e->kind & WM_KIND_SCRIPT) && static_cast<WM_SCRIPT*>(e)->text.tag == TV_TEXT)
    text = static_cast<WM_SCRIPT*>(e)->text.value.text;
  if (!text || !*text) return 0;
  // The item font, and the surface's defaults that stand in for its unset
  // parts: another font, or texts long gone piling up, measure afresh.
  const INT_S32 font[6] = {button_style.font_id,   button_style.font_x_sz,
                           button_style.font_y_sz, wm_surface ? wm_surface->font : -1,
                           wm_surface ? wm_surface->font_width : -1,
                           wm_surface ? wm_surface->font_height : -1};
  bool same = text_widths_.size() <= 2u * static_cast<size_t>(entry_count) + 64u;
  for (int i = 0; i < 6; ++i) same = same && font[i] == measured_font_[i];
  if (!same) {
    text_widths_.clear();
    for (int i = 0; i < 6; ++i) measured_font_[i] = font[i];
  }
  auto found = text_widths_.find(text);
  if (found != text_widths_.end()) return found->second;
  const INT_S32 w = style_text_width(button_style, text);
  text_widths_.emplace(text, w);
  return w;
}

void WM_FLOATING_MENU::layout() {
  if (!grid) return;
  // Measured and tested are the entries themselves, never "^" or "v"; the
  // buttons are placed again at the end for the new run.
  remove_scroll_buttons();
  const INT_S32 frame_x = style.border_left_gap + style.border_right_gap + style.cell_left_gap +
                          style.cell_right_gap;
  INT_S32 w = 0;
  if (caption) {
    INT_U16 gaps = 0;
    title_style.border_gaps_x(&gaps);
    const char* t = caption->text.tag == TV_TEXT ? caption->text.value.text : nullptr;
    w = gaps + style_text_width(title_style, t);
  }
  INT_S16 bx1, by1, bx2, by2;
  get_menu_bounds(&bx1, &by1, &bx2, &by2);
  INT_S32 h = caption_height() + static_cast<INT_S32>(get_border_gaps_height(&grid_style)) +
              style.border_bottom_gap;
  w += style.border_left_gap + style.border_right_gap;

  INT_S32 skip = grid->overflows() ? grid->scroll_maximum() - grid->scroll_value() : 0;
  const INT_S32 item_bw = border_width(button_style.shading_type);
  const INT_S32 item_pad = unset_as(button_style.border_left_gap, item_bw) +
                           unset_as(button_style.border_right_gap, item_bw) +
                           static_cast<INT_S32>(get_border_gaps_width(&grid_style)) +
                           static_cast<INT_S32>(get_cell_gaps_width(&grid_style)) + frame_x;
  first_visible = 0;
  bool end_found = false;
  INT_S32 last = 0;
  for (INT_S16 i = 0; i < entry_count; ++i) {
    const INT_S32 eh = entry_height(i);
    const bool in_view = skip < 1;
    if (!in_view) {
      ++first_visible;
      skip -= eh;
    }
    const INT_S32 needed = entry_text_width(entry_at(i)) + item_pad;
    if (needed > w) w = needed;
    if (in_view && !end_found) {
      if (by2 - by1 < eh + h) {
        end_found = true;
        last = i - 1;
        while (last >= first_visible && is_separator(entry_at(static_cast<INT_S16>(last)))) {
          h -= entry_height(static_cast<INT_S16>(last));
          --last;
        }
      } else {
        h += eh;
      }
    }
  }
  if (!end_found) last = entry_count;
  // Bounds too small for one entry still show one: the run never ends
  // before it begins, and never starts beyond the last entry.
  if (first_visible > entry_count - 1)
    first_visible = static_cast<INT_S16>(entry_count > 0 ? entry_count - 1 : 0);
  if (entry_count > 0 && last < first_visible) {
    while (last < first_visible) h += entry_height(static_cast<INT_S16>(++last));
  }
  const bool needs_scroll = first_visible > 0 || last < entry_count;
  if (last > entry_count - 1) last = entry_count - 1;
  if (last < 0) last = 0;
  last_visible = static_cast<INT_S16>(last);
  if (min_client_width + frame_x > w) w = min_client_width + frame_x;

  if (needs_scroll && first_visible < last_visible && is_separator(entry_at(first_visible))) {
    h -= entry_height(first_visible);
    ++first_visible;
  }

  WM_DIALOG::set_size(static_cast<INT_S16>(w), static_cast<INT_S16>(h), 1);
  // Resizing and scrolling the grid may move the focus off an entry, and a
  // focus callback may delete the menu.
  if (!wm_call_survives(this, [&] {
        grid->set_size(static_cast<INT_S16>(width - frame_x),
                       static_cast<INT_S16>(height - caption_height() - style.border_bottom_gap -
                                            style.cell_bottom_gap),
                       1);
      }))
    return;
  if (needs_scroll && grid->row_count > 0) {
    // The first entry of the run on top, although the maximum changed.
    grid->scroll.set_long(&grid->scroll.value,
                          grid->scroll_maximum() - grid->row_top(first_visible));
    if (grid->visible && !wm_call_survives(this, [&] { grid->sync_scroll(); })) return;
  }

  INT_S16 nx = x < bx1 ? bx1 : x, ny = y < by1 ? by1 : y;
  if (nx + width - 1 > bx2) nx = static_cast<INT_S16>(bx2 + 1 - width);
  if (ny + height - 1 > by2) ny = static_cast<INT_S16>(by2 + 1 - height);
  if (nx != x || ny != y) set_position(nx, ny);
  update_scroll_buttons();
}

// ---- scroll buttons --------------------------------------------------------------------------

WM_BUTTON* WM_FLOATING_MENU::make_scroll_button(INT_U8 up) {
  INT_S16 x1, y1, x2, y2;
  grid->row_cell_rect(0, &x1, &y1, &x2, &y2);
  const WM_STYLE_SET* s = up ? up_button_style : down_button_style;
  if (!s) s = &button_style;
  const char* text = (s->ssef & ssef_fm_hide_scrolling_arrows) ? "" : (up ? "^" : "v");
  WM_BUTTON* b = new WM_BUTTON(x1, y1, x2, y2, s, text, nullptr, on_scroll_button,
                               word_from_pointer(this), up ? kUp : kDown, kScrollButtonEvents);
  if (b->visible) b->show();
  b->press_mode = BUTTON_PRESS_ON_ENTRY;
  b->focusable = grid->keyboard_navigation;
  return b;
}

void WM_FLOATING_MENU::update_scroll_buttons() {
  if (!grid || !grid->overflows() || entry_count < 1) {
    remove_scroll_buttons();
    return;
  }
  bool want_up = !up_displaced && !grid->is_scrolled_to_top();
  bool want_down = !down_displaced && grid->scroll_value() != 0;
  // One row cannot hold a button and still show an entry: the keys and the
  // wheel reach every entry there. Two rows hold one button beside one entry:
  // the one the last scroll went towards, so that holding it runs on to the
  // end of the list.
  const INT_S32 run = last_visible - first_visible + 1;
  if (run <= 1) want_up = want_down = false;
  if (run == 2 && want_up && want_down) {
    if (scrolled_up_last_)
      want_down = false;
    else
      want_up = false;
  }
  struct SIDE {
    bool wanted;
    INT_S16 row;
    WM_SCREEN_OBJECT** displaced;
    WM_BUTTON** button;
    INT_S16* button_row;
    INT_U8 up;
  } sides[2] = {{want_up, first_visible, &up_displaced, &up_button, &up_row, 1},
                {want_down, last_visible, &down_displaced, &down_button, &down_row, 0}};
  for (SIDE& s : sides) {
    if (!s.wanted || s.row < 0 || s.row >= grid->row_count) continue;
    WM_SCREEN_OBJECT* entry = grid->get_cell(0, s.row);
    if (!entry) continue;
    grid->rows[s.row]->set_cell(0, nullptr, 0);  // hides the entry; it stays ours
    *s.displaced = entry;
    *s.button_row = s.row;
    if (!*s.button) *s.button = make_scroll_button(s.up);
    if (!grid->place_object(0, s.row, *s.button)) {
      grid->place_object(0, s.row, entry);
      *s.displaced = nullptr;
      continue;
    }
    (*s.button)->show();
  }
}

void WM_FLOATING_MENU::remove_scroll_buttons() {
  if (!grid) return;
  struct SIDE {
    WM_SCREEN_OBJECT** displaced;
    WM_BUTTON* button;
    INT_S16* row;
  } sides[2] = {{&up_displaced, up_button, &up_row}, {&down_displaced, down_button, &down_row}};
  for (SIDE& s : sides) {
    if (!*s.displaced) continue;
    const INT_S16 r = *s.row;
    if (r >= 0 && r < grid->row_count) {
      if (grid->get_cell(0, r) == s.button) grid->rows[r]->set_cell(0, nullptr, 0);
      grid->place_object(0, r, *s.displaced);
      (*s.displaced)->show();
    }
    *s.displaced = nullptr;
    *s.row = 0;
  }
  if (up_button) up_button->hide(0, 0);
  if (down_button) down_button->hide(0, 0);
}

INT_S32 WM_FLOATING_MENU::on_scroll_button(WM_SCREEN_OBJECT*, INT_WORD menu_word,
                                           INT_WORD up) {
  WM_FLOATING_MENU* m = word_to_pointer<WM_FLOATING_MENU>(menu_word);
  if (!m || !m->grid) return 0;
  WM_GRID* g = m->grid;
  // Moving the focus may delete the menu.
  m->remove_scroll_buttons();
  m->scrolled_up_last_ = up ? 1 : 0;
  if (up) {
    // One entry comes into view, with any separators right above it.
    for (INT_S16 k = 1;; ++k) {
      const INT_S16 i = static_cast<INT_S16>(m->first_visible - k);
      if (i < 0) break;
      if (!wm_call_survives(m, [&] { g->set_scroll(g->scroll_value() + m->entry_height(i)); }))
        return 0;
      if (!is_separator(m->entry_at(i))) break;
    }
  } else {
    if (!wm_call_survives(
            m, [&] { g->set_scroll(g->scroll_value() - m->entry_height(m->first_visible)); }))
      return 0;
  }
  if (!wm_call_survives(m, [&] { m->layout(); })) return 0;
  if (g->is_scrolled_to_top() && m->up_button) m->up_button->reset_state();
  if (g->scroll_value() == 0 && m->down_button) m->down_button->reset_state();
  return 0;
}

void WM_FLOATING_MENU::set_size(INT_S16 new_width, INT_S16 new_height, INT_U8) {
  if (new_width != width || new_height != height) layout();
}

void WM_FLOATING_MENU::set_title(const char* text) {
  // Without a caption there is nothing to retitle, and none is made.
  if (!caption) return;
  if (caption->visible) caption->show();
  caption->text.set_from_string(&caption->text.value, text ? text : "");
  layout();
}

void WM_FLOATING_MENU::hide(INT_U8 popups, INT_U8 children_too) {
  WM_DIALOG::hide(popups, children_too);
  set_items_focusable(0);
}

INT_U8 WM_FLOATING_MENU::menu_holds_focus() {
  INT_U16 c, r;
  return grid && grid->find_focus_cell(&c, &r, 0) ? 1 : 0;
}

// ---- sub-menus ---------------------------------------------------------------------------------

WM_MENU* WM_FLOATING_MENU::add_submenu(const char* text, INT_U8 separator_before,
                                       INT_U8 show_arrow, const WM_STYLE_SET* style_a,
                                       const WM_STYLE_SET* style_b) {
  if (!text || !grid) return nullptr;
  if (separator_before) add_separator();
  remove_scroll_buttons();
  INT_S16 x1, y1, x2, y2;
  grid->row_cell_rect(0, &x1, &y1, &x2, &y2);
  const WM_STYLE_SET* items = style_a ? style_a : &button_style;
  const WM_STYLE_SET* alternates = style_b ? style_b : alternate_item_style;
  // The sub-menu carries on the two-tone alternation of this one.
  if (item_count & 1) {
    const WM_STYLE_SET* t = items;
    items = alternates;
    alternates = t;
  }
  WM_MENU* sub = new WM_MENU(x1, y1, x2, y2, text, MENU_RIGHT, next_item_style(),
                             submenu_frame_style ? submenu_frame_style : &style, items,
                             alternates, separator_style, up_button_style, down_button_style,
                             nullptr, nullptr);
  sub->focusable = 0;
  if (show_arrow) {
    if (sub->visible) sub->show();
    sub->button_flags |= BUTTON_ARROW_RIGHT;
  }
  sub->parent = owner && (owner->kind & WM_KIND_MENU) ? owner : this;
  sub->press_mode = BUTTON_PRESS_ON_ENTRY;
  if (!grid->place_object(0, entry_count, sub)) {
    delete sub;
    layout();
    return nullptr;
  }
  ++entry_count;
  ++item_count;
  if (sub->menu) {
    sub->menu->min_client_width = grid->width;
    sub->place();
  }
  layout();
  if (sub->menu) sub->menu->hide(0, 0);
  sub->reset_state();
  return sub;
}

void WM_FLOATING_MENU::hide_tree() {
  for (INT_S16 i = 0; i < entry_count; ++i)
    if (WM_MENU* sub = submenu_at(i))
      if (sub->menu) sub->menu->hide_tree();
  hide(0, 0);
}

INT_U8 WM_FLOATING_MENU::is_over_tree(INT_S16 px, INT_S16 py) {
  if (!visible) return 0;
  if (WM_SCREEN_OBJECT::is_over(px, py)) return 1;
  for (INT_S16 i = 0; i < entry_count; ++i) {
    WM_SCREEN_OBJECT* e = entry_at(i);
    if (!e) continue;
    if (e->kind & WM_KIND_MENU) {
      WM_MENU* sub = static_cast<WM_MENU*>(e);
      if (sub->is_over(px, py) || (sub->menu && sub->menu->is_over_tree(px, py))) return 1;
    } else if (e->is_over(px, py)) {
      return 1;
    }
  }
  return 0;
}
