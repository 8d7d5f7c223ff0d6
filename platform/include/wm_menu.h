// The menu button: a button owning a floating menu that it opens beside
// itself (below, above, left or right), flipping to the other side when the
// menu would leave the menu bounds and the other side has room. Menu buttons
// join into rings: while one member's menu is open, pointing at another member
// swaps the menus at once, which makes a row of them a menu bar. Sub-menu
// items of floating menus, the list box and the file selector's drop-down are
// menu buttons too.
#ifndef WM_MENU_H
#define WM_MENU_H

#include "colour.h"
#include "style_set.h"
#include "wm_button.h"
#include "wm_dialog.h"
#include "wm_floating_menu.h"
#include "zorv_types.h"

class WM_MENU;

// Where the menu opens.
enum : INT_U32 { MENU_BELOW = 0, MENU_ABOVE = 1, MENU_LEFT = 2, MENU_RIGHT = 3 };

typedef INT_U32 (*MENU_OPEN_CALLBACK)(WM_MENU* menu, INT_WORD arg1, INT_WORD arg2);

// Read by every menu-button constructor: 1 gives normal presses, 2 presses on
// pointer entry; any other value keeps the button style's press mode.
extern INT_U32 wm_menu_press_mode;

class WM_MENU : public WM_BUTTON {
 public:
  // Style form; x2 or y2 -1 sizes the button to its text.
  WM_MENU(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const char* text, INT_U32 direction,
          const WM_STYLE_SET* button_style, const WM_STYLE_SET* frame_style,
          const WM_STYLE_SET* item_style, const WM_STYLE_SET* alternate_item_style,
          const WM_STYLE_SET* separator_style, const WM_STYLE_SET* up_button_style,
          const WM_STYLE_SET* down_button_style, const DIALOG_EFFECTS* effects,
          const WM_STYLE_SET* submenu_frame_style);
  // Colour form in the surface font.
  WM_MENU(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* back_colour,
          const COLOUR* text_colour, const COLOUR* highlight_colour,
          const COLOUR* highlight_text_colour, const char* text, INT_U8 visible,
          INT_U32 direction, const DIALOG_EFFECTS* effects);
  ~WM_MENU() override;

  void hide(INT_U8 popups, INT_U8 children) override;
  INT_S32 handle_input() override;
  INT_S32 update(INT_U8 popups) override;
  void set_position(INT_S16 new_x, INT_S16 new_y) override;
  void set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) override;
  void set_layer(INT_S16 new_layer) override;
  void draw() override;
  WM_BUTTON* set_shortcut_key(INT_U32 keycode) override;

  // Moves the menu beside the button, flipping the direction when needed.
  void place();
  // The button's action callback: opens or closes the menu.
  static INT_S32 open_close(WM_SCREEN_OBJECT* button, INT_WORD menu, INT_WORD unused);

  // Rings.
  void link(WM_MENU* other);
  WM_MENU* unlink();
  WM_MENU* ring_member_at(INT_S16 px, INT_S16 py);

  WM_FLOATING_MENU* menu = nullptr;  // owned (not_owned set: the pop-up list never deletes it)
  INT_U32 direction = MENU_BELOW;
  INT_U8 open = 0;
  WM_SCREEN_OBJECT* parent = nullptr;  // sub-menu items: the object above in the chain
  MENU_OPEN_CALLBACK open_callback = nullptr;
  INT_WORD open_arg1 = 0, open_arg2 = 0;
  INT_S16 gap_x = 0, gap_y = 0;
  WM_MENU* ring_next = nullptr;
  WM_MENU* ring_prev = nullptr;

 protected:
  void init(INT_U32 direction, const WM_STYLE_SET* frame_style, const WM_STYLE_SET* item_style,
            const WM_STYLE_SET* alternate_item_style, const WM_STYLE_SET* separator_style,
            const WM_STYLE_SET* up_button_style, const WM_STYLE_SET* down_button_style,
            const DIALOG_EFFECTS* effects, const WM_STYLE_SET* submenu_frame_style);

 private:
  void place_once();
  // The menu's width less its client width.
  INT_S16 menu_frame_width();
};

#endif
