// WM_CHECK_BOX: a two-state control made of two buttons, a small sunken box
// and a text label to its right. A click on either toggles `checked`, updates
// the box (its active skins, or the mark "X" / " " without skins) and calls
// the check box's action callback. The check box paints nothing itself and
// keeps its size; its buttons do all drawing and input.
#ifndef WM_CHECK_BOX_H
#define WM_CHECK_BOX_H

#include "colour.h"
#include "style_set.h"
#include "wm_screen_object.h"
#include "zorv_types.h"

class WM_BUTTON;

class WM_CHECK_BOX : public WM_SCREEN_OBJECT {
 public:
  // Explicit form: box colour1 on colour2 text; font 255 and sizes -1 are
  // the drawing surface's defaults.
  WM_CHECK_BOX(INT_S16 x, INT_S16 y, const COLOUR* colour1, const COLOUR* colour2,
               const char* text, INT_U8 font, INT_S16 font_w, INT_S16 font_h,
               WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2, INT_U8 visible);
  // Style-set form: bg and fg colours, font; the box's state skins from the
  // style's image file name when it has one.
  WM_CHECK_BOX(INT_S16 x, INT_S16 y, const WM_STYLE_SET* style, const char* text,
               WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2);
  ~WM_CHECK_BOX() override;

  // Always hides both buttons.
  void hide(INT_U8 popups, INT_U8 children) override;
  // A check box keeps its size.
  void set_size(INT_S16, INT_S16, INT_U8) override {}
  INT_U8 can_focus() override;
  void draw() override {}

  // Sets the value without calling the action callback.
  void set_checked(INT_U8 value);

  // The box's state callback: its active look follows `checked`.
  static INT_U8 checked_state(WM_BUTTON* box, INT_WORD check_box);
  // Both buttons' action callback (a release inside): toggles.
  static INT_S32 on_click(WM_SCREEN_OBJECT* button, INT_WORD check_box, INT_WORD unused);

  INT_U8 checked = 0;
  WM_BUTTON* box = nullptr;    // owned child
  WM_BUTTON* label = nullptr;  // owned child

 private:
  void init(INT_S16 x, INT_S16 y, const COLOUR* colour1, const COLOUR* colour2,
            const char* text, INT_U8 font, INT_S16 font_w, INT_S16 font_h);
  void show_value();
};

#endif
