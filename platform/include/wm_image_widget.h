// WM_IMAGE: one picture shown as a screen object. It takes its size from the
// picture or rescales the picture to its own, draws an optional border, fills
// a hover colour over the picture while pointed at or focused, and calls its
// action callback on a left press and/or release over it, with the point
// clicked in `click_x`, `click_y` while the callback runs.
#ifndef WM_IMAGE_WIDGET_H
#define WM_IMAGE_WIDGET_H

#include "image.h"
#include "wm_screen_object.h"
#include "zorv_types.h"

// Bits of `click_events`: when the action callback is called.
enum : INT_U8 { IMAGE_CLICK_PRESS = 1, IMAGE_CLICK_RELEASE = 2 };

class WM_IMAGE : public WM_SCREEN_OBJECT {
 public:
  // Width and height 0 or -1 take the picture's size when first drawn.
  WM_IMAGE(INT_S16 x, INT_S16 y, INT_S16 width, INT_S16 height, INT_U8 visible,
           WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2, INT_U8 click_events);
  ~WM_IMAGE() override;

  INT_S32 handle_input() override;
  void set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) override;
  void render() override;
  void draw() override;

  IMAGE picture;                  // filled by the owner
  INT_U8 was_left_down = 0;       // real left button at the previous pass
  INT_U8 repeat_while_held = 0;   // every pass held over the widget is a press
  INT_S16 click_x = -1;           // click point relative to the widget, while
  INT_S16 click_y = -1;           // the callback runs; -1 otherwise
  INT_U16 border_mask = 0;        // border painter mask; 0 = no border
  INT_U8 click_events;            // IMAGE_CLICK_* bits
  INT_U8 hover = 0;               // the pointer is over the widget
  COLOUR hover_colour = 0;        // filled over the picture when hovered or focused
  INT_U8 was_activate_key_down = 0;
  INT_U8 hand_cursor = 0;         // a button change that is no event shows the hand

 private:
  bool size_unset() const;
  bool adopt_picture_size();
  void fit_picture();
  INT_S32 fire(INT_S16 px, INT_S16 py);
};

#endif
