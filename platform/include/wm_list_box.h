// The list box: a menu button that opens its entries below itself and shows
// the chosen entry's text (and icon) as its own label. The wheel steps the
// selection while the pointer rests on the box. Changes made by the user, or
// by the program without `silent`, reach chosen_callback in the next pass.
#ifndef WM_LIST_BOX_H
#define WM_LIST_BOX_H

#include "colour.h"
#include "style_set.h"
#include "wm_grid.h"
#include "wm_menu.h"
#include "zorv_types.h"

class WM_LIST_BOX : public WM_MENU {
 public:
  // Style form A.
  WM_LIST_BOX(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_U32 unused1, INT_S16 count,
              const char** texts, INT_S16 initial, const WM_STYLE_SET* button_style,
              const WM_STYLE_SET* frame_style, INT_U32 unused2, const WM_STYLE_SET* item_style,
              const WM_STYLE_SET* alternate_item_style, const WM_STYLE_SET* up_button_style,
              const WM_STYLE_SET* down_button_style, LIST_BOX_CALLBACK callback,
              INT_WORD arg1, INT_WORD arg2, const DIALOG_EFFECTS* effects);
  // Style form B (grid cells).
  WM_LIST_BOX(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_U32 unused1, INT_S16 count,
              const char** texts, INT_S16 initial, const WM_STYLE_SET* button_style,
              INT_U32 unused2, const WM_STYLE_SET* frame_style, INT_U32 unused3,
              const WM_STYLE_SET* item_style, LIST_BOX_CALLBACK callback, INT_WORD arg1,
              INT_WORD arg2, const WM_STYLE_SET* alternate_item_style,
              const DIALOG_EFFECTS* effects);
  // Colour form.
  WM_LIST_BOX(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_U32 unused1, INT_U16 count,
              const char** texts, INT_U16 initial, const COLOUR* back_colour,
              const COLOUR* text_colour, const COLOUR* highlight_colour, INT_U8 visible,
              LIST_BOX_CALLBACK callback, INT_WORD arg1, INT_WORD arg2,
              const DIALOG_EFFECTS* effects);
  ~WM_LIST_BOX() override;

  INT_S32 handle_input() override;
  void set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) override;

  void init(INT_S16 count, const char** texts, INT_U16 initial);
  void set_selection(INT_U16 index, INT_U8 silent);
  void select_by_value(INT_WORD value, INT_U8 silent);
  // A WM_BUTTON, or a WM_MENU when as_submenu; null for a null text.
  WM_BUTTON* add_entry(const char* text, INT_WORD value, INT_U8 as_submenu, INT_U8 use_value);
  void set_label(const char* text);
  void refresh_label();
  static INT_S32 on_item_chosen(WM_SCREEN_OBJECT* item, INT_WORD box, INT_WORD value);

  INT_S16 selected = -1;
  INT_S16 reported = -1;
  INT_U8 report_changes = 0;
  INT_U8 refresh_needed = 0;
  INT_WORD selected_value = 0;
  INT_U8 show_icon = 1;
  INT_U8 pointer_was_over = 0;
  LIST_BOX_CALLBACK chosen_callback = nullptr;
  INT_WORD chosen_arg1 = 0, chosen_arg2 = 0;
  INT_S16 count = 0;

 private:
  void select_index(INT_S32 index, INT_U8 report);
};

#endif
