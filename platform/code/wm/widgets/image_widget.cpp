// The image widget's life and input: construction, resizing, the click
// events of the left button and the focus key.
#include "wm_image_widget.h"

#include "../wm_platform.h"
#include "colour.h"
#include "page_manager.h"
#include "wm_globals.h"
#include "../wm_internal.h"
#include "widget_shared.h"

namespace {

// The pointer shape a button change over a hand-cursor picture asks for.
const INT_U8 kHandCursor = 1;
const INT_U32 kLeftButtonBit = 1u << 0;

}  // namespace

WM_IMAGE::WM_IMAGE(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h, INT_U8 vis,
                   WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2, INT_U8 events)
    : WM_SCREEN_OBJECT(vis, callback, arg1, arg2), picture(w, h), click_events(events) {
  kind |= WM_KIND_IMAGE;
  x = px;
  y = py;
  width = w;
  height = h;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

WM_IMAGE::~WM_IMAGE() { wm_release_dying_object(this); }

bool WM_IMAGE::size_unset() const { return width == 0 || width == -1 || height == 0 || height == -1; }

void WM_IMAGE::set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) {
  if (new_width == width && new_height == height) return;
  WM_SCREEN_OBJECT::set_size(new_width, new_height, children_too);
  // A picture not filled yet is made at the widget's size when drawn.
  if (picture.width && picture.height && !size_unset())
    picture.scale(static_cast<INT_U16>(width), static_cast<INT_U16>(height),
                  fast_image_scaling ? 0 : 1);
}

INT_S32 WM_IMAGE::fire(INT_S16 px, INT_S16 py) {
  click_x = static_cast<INT_S16>(px - x);
  click_y = static_cast<INT_S16>(py - y);
  widgets::play_click_sound();
  INT_S32 result = 0;
  if (action_callback &&
      !wm_call_survives(this, [&] { result = action_callback(this, action_arg1, action_arg2); }))
    return result;
  click_x = click_y = -1;
  return result;
}

INT_S32 WM_IMAGE::handle_input() {
  // Callbacks may delete the picture: nothing of it is touched after that.
  INT_S32 result = 0;
  if (!wm_call_survives(this, [&] { result = WM_SCREEN_OBJECT::handle_input(); }) || result ||
      !visible)
    return result;

  const INT_U8 real_left = (wm_button_mask() & kLeftButtonBit) ? 1 : 0;
  const INT_U8 key = wm_key_is_down(static_cast<INT_S32>(wm_activate_key)) ? 1 : 0;
  INT_S16 px = wm_pointer_x(), py = wm_pointer_y();
  INT_U8 left = real_left, was_left = was_left_down;

  // While the focused picture's key is down, and in the pass it comes up,
  // the key is the button, at the centre: a press when it goes down and a
  // release when it comes up, whatever the real button does meanwhile.
  if (wm_focus_object == this && (key || was_activate_key_down)) {
    px = static_cast<INT_S16>(x + width / 2);
    py = static_cast<INT_S16>(y + height / 2);
    left = key;
    was_left = was_activate_key_down;
  } else if ((is_over(px, py) ? 1 : 0) != hover) {
    hover = hover ? 0 : 1;
    show();
  }

  if (is_over(px, py) && ((repeat_while_held && left) || left != was_left)) {
    const INT_U8 bit = left ? IMAGE_CLICK_PRESS : IMAGE_CLICK_RELEASE;
    if (click_events & bit) {
      if (!wm_call_survives(this, [&] { result = fire(px, py); })) return result;
    } else if (hand_cursor && wm_page_manager) {
      wm_page_manager->set_cursor_shape(kHandCursor);
    }
  }
  was_left_down = real_left;
  was_activate_key_down = key;
  return result;
}
