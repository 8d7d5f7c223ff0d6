// The list box: a menu button whose entries are the choices, its label the
// chosen entry's text, the wheel stepping the choice while the pointer rests
// on it, and changes reported to the owner in the pass after they happen.
#include <cstring>
#include <string>

#include "../wm_platform.h"
#include "input.h"
#include "wm_globals.h"
#include "wm_grid.h"
#include "wm_list_box.h"
#include "../wm_internal.h"

namespace {

const DIALOG_EFFECTS kListBoxEffects = {96, 100, 200, 224};
const INT_U32 kLabelFlags = BUTTON_TEXT_LEFT | BUTTON_ARROW_DOWN;

}  // namespace

WM_LIST_BOX::WM_LIST_BOX(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_U32, INT_S16 n,
                         const char** texts, INT_S16 initial, const WM_STYLE_SET* button_style,
                         const WM_STYLE_SET* frame_style, INT_U32, const WM_STYLE_SET* item_style,
                         const WM_STYLE_SET* alternate_item_style,
                         const WM_STYLE_SET* up_button_style,
                         const WM_STYLE_SET* down_button_style, LIST_BOX_CALLBACK callback,
                         INT_WORD arg1, INT_WORD arg2, const DIALOG_EFFECTS* fx)
    : WM_MENU(x1, y1, x2, y2, "", MENU_BELOW, button_style, frame_style, item_style,
              alternate_item_style, nullptr, up_button_style, down_button_style,
              fx ? fx : &kListBoxEffects, nullptr) {
  chosen_callback = callback;
  chosen_arg1 = arg1;
  chosen_arg2 = arg2;
  init(n, texts, static_cast<INT_U16>(initial));
}

WM_LIST_BOX::WM_LIST_BOX(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_U32, INT_S16 n,
                         const char** texts, INT_S16 initial, const WM_STYLE_SET* button_style,
                         INT_U32, const WM_STYLE_SET* frame_style, INT_U32,
                         const WM_STYLE_SET* item_style, LIST_BOX_CALLBACK callback,
                         INT_WORD arg1, INT_WORD arg2, const WM_STYLE_SET* alternate_item_style,
                         const DIALOG_EFFECTS* fx)
    : WM_MENU(x1, y1, x2, y2, "", MENU_BELOW, button_style, frame_style, item_style,
              alternate_item_style, nullptr, nullptr, nullptr, fx ? fx : &kListBoxEffects,
              nullptr) {
  chosen_callback = callback;
  chosen_arg1 = arg1;
  chosen_arg2 = arg2;
  init(n, texts, static_cast<INT_U16>(initial));
}

WM_LIST_BOX::WM_LIST_BOX(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_U32, INT_U16 n,
                         const char** texts, INT_U16 initial, const COLOUR* back,
                         const COLOUR* text_col, const COLOUR* highlight, INT_U8 shown,
                         LIST_BOX_CALLBACK callback, INT_WORD arg1, INT_WORD arg2,
                         const DIALOG_EFFECTS* fx)
    : WM_MENU(x1, y1, x2, y2, back, text_col, highlight, text_col, "", shown, MENU_BELOW,
              fx ? fx : &kListBoxEffects) {
  if (visible) show();
  button_flags = kLabelFlags;
  chosen_callback = callback;
  chosen_arg1 = arg1;
  chosen_arg2 = arg2;
  init(static_cast<INT_S16>(n), texts, initial);
}

// The menu and its entries go with WM_MENU.
WM_LIST_BOX::~WM_LIST_BOX() { wm_release_dying_object(this); }

void WM_LIST_BOX::init(INT_S16 n, const char** texts, INT_U16 initial) {
  kind |= WM_KIND_LIST_BOX;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
  show_icon = 1;
  count = 0;
  refresh_needed = 0;
  pointer_was_over = 0;
  selected = -1;
  reported = -1;
  if (!menu || !texts) return;
  for (INT_S16 i = 0; i < n; ++i) {
    // An entry the menu refuses is not counted: entry i stays item i.
    if (!menu->add_item(texts[i], on_item_chosen, word_from_pointer(this), 0, 0)) continue;
    place();
    ++count;
  }
  if (count >= 1) {
    select_index(static_cast<INT_S16>(initial), 0);
    report_changes = 0;  // the initial choice is never reported
  }
}

// ---- selecting -------------------------------------------------------------------------------

void WM_LIST_BOX::select_index(INT_S32 index, INT_U8 report) {
  if (count < 1) return;
  if (index < 0) index = 0;
  if (index >= count) index = count - 1;
  if (index == selected) return;
  selected = static_cast<INT_S16>(index);
  refresh_label();
  if (visible) show();
  report_changes = report;
}

void WM_LIST_BOX::set_selection(INT_U16 index, INT_U8 silent) {
  select_index(static_cast<INT_S16>(index), silent ? 0 : 1);
}

void WM_LIST_BOX::select_by_value(INT_WORD value, INT_U8 silent) {
  if (!menu) return;
  for (INT_S16 i = 0; i < count; ++i) {
    WM_BUTTON* item = menu->item_at(i);
    if (item && item->action_arg2 == value) {
      select_index(i, silent ? 0 : 1);
      return;
    }
  }
}

INT_S32 WM_LIST_BOX::on_item_chosen(WM_SCREEN_OBJECT* item, INT_WORD box_word, INT_WORD) {
  WM_LIST_BOX* box = word_to_pointer<WM_LIST_BOX>(box_word);
  if (!box || !box->menu) return 0;
  for (INT_S16 i = 0; i < box->count; ++i)
    if (box->menu->item_at(i) == item) {
      box->select_index(i, 1);
      return 0;
    }
  return 0;
}

WM_BUTTON* WM_LIST_BOX::add_entry(const char* text, INT_WORD value, INT_U8 as_submenu,
                                  INT_U8 use_value) {
  if (!text || !menu) return nullptr;
  WM_BUTTON* item;
  if (as_submenu)
    item = menu->add_submenu(text, 0, 0, nullptr, nullptr);
  else
    item = menu->add_item(text, on_item_chosen, word_from_pointer(this),
                          use_value ? value : static_cast<INT_WORD>(count), 0);
  if (!item) return nullptr;
  place();
  if (count == selected) refresh_label();
  ++count;
  return item;
}

// ---- the label ---------------------------------------------------------------------------------

void WM_LIST_BOX::refresh_label() {
  WM_BUTTON* item = menu ? menu->item_at(selected) : nullptr;
  if (!item) {
    set_label("");
    return;
  }
  selected_value = item->action_arg2;
  if (show_icon) {
    icon.create(static_cast<INT_S16>(item->icon.width), static_cast<INT_S16>(item->icon.height));
    if (item->icon.width > 0)
      icon.blit(&item->icon, 0, 0, 0, 0, static_cast<INT_S16>(item->icon.width),
                static_cast<INT_S16>(item->icon.height), BLIT_COPY);
    if (visible) show();
  }
  set_label(item->text);
}

void WM_LIST_BOX::set_label(const char* label) {
  if (!label) label = "";
  const INT_S32 room = width - left_gap - right_gap;
  auto fits = [&](const char* t) {
    return !wm_surface || wm_surface->text_width(font, static_cast<INT_U16>(font_w),
                                                 static_cast<INT_U16>(font_h), t) <= room;
  };
  if (fits(label)) {
    set_text(label, 0);
    return;
  }
  // Cut from the end, one character at a time; no ellipsis.
  std::string cut(label);
  while (!cut.empty() && !fits(cut.c_str())) cut.pop_back();
  set_text(cut.c_str(), 0);
}

// ---- input -------------------------------------------------------------------------------------

INT_S32 WM_LIST_BOX::handle_input() {
  // The box's own click, its focus and its choice callbacks may delete it.
  INT_S32 r = 0;
  if (!wm_call_survives(this, [&] { r = WM_MENU::handle_input(); }) || r) return r;

  // Turns made before the pointer came to rest on the box are dropped.
  if (is_over(wm_pointer_x(), wm_pointer_y())) {
    if (pointer_was_over) {
      const INT_S32 turns = mouse_state.wheel;
      if (turns != 0) {
        mouse_state.wheel = 0;
        if (count >= 1) {
          INT_S32 next = selected - turns;  // a notch up moves towards the first entry
          if (next < 0) next = 0;
          if (next > count - 1) next = count - 1;
          if (next != selected) {
            selected = static_cast<INT_S16>(next);
            refresh_label();
            if (visible) show();
            report_changes = 1;
          }
        }
      }
    } else {
      mouse_state.wheel = 0;
      pointer_was_over = 1;
    }
  } else {
    pointer_was_over = 0;
  }

  if (selected == reported && !refresh_needed) return r;
  refresh_needed = 0;
  refresh_label();
  if (selected != reported) {
    if (report_changes && chosen_callback) {
      const INT_U8 saved = was_left_down;
      was_left_down = 1;
      if (!wm_call_survives(this, [&] { r = chosen_callback(this, chosen_arg1, chosen_arg2); }))
        return r;
      was_left_down = saved;
    }
    reported = selected;
  }
  return r;
}

void WM_LIST_BOX::set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) {
  // A grid sizes its cells every time it paints: only a change refreshes.
  if (new_width == width && new_height == height) return;
  WM_MENU::set_size(new_width, new_height, children_too);
  refresh_needed = 1;
}

// ---- the grid's cell maker ----------------------------------------------------------------------

WM_LIST_BOX* WM_GRID::add_list_box_cell(INT_U16 column, INT_S16 row, INT_U32 unused1,
                                        INT_S16 n, const char** texts, INT_S16 initial,
                                        const WM_STYLE_SET* button_style, INT_U32 unused2,
                                        const WM_STYLE_SET* frame_style, INT_U32 unused3,
                                        const WM_STYLE_SET* item_style,
                                        LIST_BOX_CALLBACK callback, INT_WORD arg1, INT_WORD arg2,
                                        const WM_STYLE_SET* alternate_item_style) {
  INT_S16 x1, y1, x2, y2;
  if (row >= 0 && row < row_count)
    rows[row]->get_cell_rect(static_cast<INT_S16>(column), scrollbar ? 1 : 0, &x1, &y1, &x2, &y2);
  else
    row_cell_rect(column, &x1, &y1, &x2, &y2);
  WM_LIST_BOX* box = new WM_LIST_BOX(x1, y1, x2, y2, unused1, n, texts, initial, button_style,
                                     unused2, frame_style, unused3, item_style, callback, arg1,
                                     arg2, alternate_item_style, nullptr);
  place_object(column, row, box);
  return box;  // also when refused: the caller then owns it
}
