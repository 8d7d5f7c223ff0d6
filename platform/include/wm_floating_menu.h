// The floating menu: a frameless-or-framed dialog holding one single-column
// grid of entries (command items, sub-menu items, separators). It sizes itself
// to its widest entry, stays inside the menu bounds, shows the run of entries
// that fits and lends the first and last rows of that run to "^" and "v"
// scroll buttons while more entries lie beyond them. Modal while open: it sits
// on the pop-up list and takes all input.
#ifndef WM_FLOATING_MENU_H
#define WM_FLOATING_MENU_H

#include <string>
#include <unordered_map>

#include "style_set.h"
#include "wm_dialog.h"
#include "zorv_types.h"

class WM_BUTTON;
class WM_GRID;
class WM_MENU;

class WM_FLOATING_MENU : public WM_DIALOG {
 public:
  // Null styles take the dialog defaults (alternate items: the button style),
  // null effects the floating-menu default. keep = 1 sets not_owned.
  WM_FLOATING_MENU(INT_S16 x, INT_S16 y, const char* title, const WM_STYLE_SET* frame_style,
                   const WM_STYLE_SET* caption_style, const WM_STYLE_SET* button_style,
                   const WM_STYLE_SET* alternate_item_style, INT_U8 draggable, INT_U8 keep,
                   const WM_STYLE_SET* separator_style, const WM_STYLE_SET* up_button_style,
                   const WM_STYLE_SET* down_button_style, const DIALOG_EFFECTS* effects,
                   const WM_STYLE_SET* submenu_frame_style);
  ~WM_FLOATING_MENU() override;

  void hide(INT_U8 popups, INT_U8 children) override;
  INT_S32 handle_input() override;
  INT_S32 update(INT_U8 popups) override;
  void set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) override;
  void set_title(const char* text) override;

  // ---- Entries ------------------------------------------------------------
  // Null for a null text, without a grid or when the grid refuses the row.
  WM_BUTTON* add_item(const char* text, WM_ACTION_CALLBACK callback, INT_WORD arg1,
                      INT_WORD arg2, INT_U8 separator_before);
  void add_separator();
  // A sub-menu item opening its own menu to the right; null for a null text.
  WM_MENU* add_submenu(const char* text, INT_U8 separator_before, INT_U8 show_arrow,
                       const WM_STYLE_SET* style_a, const WM_STYLE_SET* style_b);
  // The item (kind button) or sub-menu item (kind menu) at an entry index; an
  // entry lent to a scroll button counts at its own index. Null otherwise.
  WM_BUTTON* item_at(INT_S16 index);
  WM_MENU* submenu_at(INT_S16 index);
  // The entry object at an index, whatever its kind (null out of range).
  WM_SCREEN_OBJECT* entry_at(INT_S16 index);

  void reset_items();
  void set_items_focusable(INT_U8 on);
  void layout();
  void update_scroll_buttons();
  void remove_scroll_buttons();
  static INT_S32 on_scroll_button(WM_SCREEN_OBJECT* button, INT_WORD menu, INT_WORD up);

  // Sub-menu trees and the chain of menus above a dismissed one.
  void hide_tree();
  INT_U8 is_over_tree(INT_S16 px, INT_S16 py);
  void close_chain(INT_U8 recursive);
  void hide_chain(INT_U8 recursive);

  WM_GRID* grid = nullptr;  // child of the client area
  INT_S16 entry_count = 0;
  INT_S16 item_count = 0;
  INT_S16 first_visible = 0;
  INT_S16 last_visible = 0;
  INT_S16 min_client_width = 0;
  WM_STYLE_SET grid_style;
  const WM_STYLE_SET* alternate_item_style = nullptr;  // not owned
  WM_STYLE_SET* separator_style = nullptr;             // owned copies or null
  WM_STYLE_SET* up_button_style = nullptr;
  WM_STYLE_SET* down_button_style = nullptr;
  WM_STYLE_SET* submenu_frame_style = nullptr;
  INT_U8 prev_buttons = 0;
  INT_U8 prev_escape = 0;
  INT_U8 prev_activate = 0;
  INT_U8 just_opened = 1;
  INT_U8 was_visible = 0;
  INT_U8 menu_draggable = 0;  // copied into the dialog's draggable every pass
  INT_U8 delete_pending = 0;
  WM_SCREEN_OBJECT* up_displaced = nullptr;
  WM_SCREEN_OBJECT* down_displaced = nullptr;
  WM_BUTTON* up_button = nullptr;  // owned
  WM_BUTTON* down_button = nullptr;
  INT_S16 up_row = 0;
  INT_S16 down_row = 0;
  WM_SCREEN_OBJECT* owner = nullptr;  // the opening menu button; not owned
  INT_U32 close_key = 0;
  INT_U8 close_key_latched = 1;

 protected:
  INT_U8 menu_holds_focus() override;

 private:
  // The item style for the next item, by parity.
  const WM_STYLE_SET* next_item_style() const;
  INT_S16 entry_height(INT_S16 index);
  INT_S32 entry_text_width(WM_SCREEN_OBJECT* entry);
  WM_BUTTON* make_scroll_button(INT_U8 up);
  void choose_and_unwind();
  void close_as_escape();
  void page_keys(INT_U32 key);
  void scroll_to_focus_button();
  void letter_search(char c);
  void focus_entry(INT_S16 row);
  void focus_nearest_shown(INT_S16 row);
  INT_S32 wheel_step();
  // Layout runs after every change and measures every entry: widths already
  // measured in the item font are kept by text.
  std::unordered_map<std::string, INT_S32> text_widths_;
  INT_S32 measured_font_[6] = {-2, -2, -2, -2, -2, -2};
  // The side the last scroll button moved the list to; a run of two rows
  // shows only that side's button.
  INT_U8 scrolled_up_last_ = 0;
};

#endif
