// The check box: two buttons sharing one toggle.
#include "wm_check_box.h"

#include "image.h"
#include "wm_button.h"
#include "wm_globals.h"
#include "../wm_internal.h"
#include "widget_shared.h"

namespace {

const char kCheckedMark[] = "X";
const char kUncheckedMark[] = " ";
// The box's sides drawn indented: a sunken square.
const INT_U16 kSunkenSquare = 0x800F;
const INT_S16 kSmallestBox = 10;

}  // namespace

WM_CHECK_BOX::WM_CHECK_BOX(INT_S16 px, INT_S16 py, const COLOUR* colour1, const COLOUR* colour2,
                           const char* text, INT_U8 font, INT_S16 font_w, INT_S16 font_h,
                           WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2, INT_U8 vis)
    : WM_SCREEN_OBJECT(vis, callback, arg1, arg2) {
  init(px, py, colour1, colour2, text, font, font_w, font_h);
}

WM_CHECK_BOX::WM_CHECK_BOX(INT_S16 px, INT_S16 py, const WM_STYLE_SET* style, const char* text,
                           WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2)
    : WM_SCREEN_OBJECT(style->visible, callback, arg1, arg2) {
  init(px, py, &style->bg_colour, &style->fg_colour, text, style->font_id, style->font_x_sz,
       style->font_y_sz);
  if (style->image_filename && style->image_filename[0])
    box->load_state_skins(style->image_path, style->image_filename, nullptr);
  if (style->ssf & ssf_dont_resize_image) box->button_flags |= BUTTON_DONT_RESIZE_SKIN;
}

WM_CHECK_BOX::~WM_CHECK_BOX() { wm_release_dying_object(this); }

void WM_CHECK_BOX::init(INT_S16 px, INT_S16 py, const COLOUR* colour1, const COLOUR* colour2,
                        const char* text, INT_U8 font, INT_S16 font_w, INT_S16 font_h) {
  checked = 0;
  const INT_S16 fw = font_w == -1 && wm_surface ? wm_surface->font_width : font_w;
  const INT_S16 fh = font_h < 0 && wm_surface ? wm_surface->font_height : font_h;
  INT_S16 s = static_cast<INT_S16>(fh + 2 * border_width(1));
  if (s < kSmallestBox) s = kSmallestBox;

  box = new WM_BUTTON(px, py, static_cast<INT_S16>(px + s - 1), static_cast<INT_S16>(py + s - 1),
                      colour1, colour2, "", font, font_w, font_h, BUTTON_PRESS_NORMAL,
                      BUTTON_FIXED_BORDER, kSunkenSquare, on_click, reinterpret_cast<INT_WORD>(this),
                      0, 1, BUTTON_EVENT_RELEASE);
  box->state_callback = checked_state;
  box->state_callback_arg = reinterpret_cast<INT_WORD>(this);
  box->state = checked;
  box->focusable = 1;
  add_child(box, 0);

  // A rectangle of no width sizes the label to its text, wherever it lies.
  const COLOUR transparent = 0;
  const INT_S16 lx = static_cast<INT_S16>(px + box->width + fw / 2);
  label = new WM_BUTTON(lx, py, static_cast<INT_S16>(lx - 1), static_cast<INT_S16>(py - 1),
                        &transparent, colour2, text, font, font_w, font_h, BUTTON_PRESS_NORMAL,
                        BUTTON_FIXED_BORDER, 0, on_click, reinterpret_cast<INT_WORD>(this), 0, 1,
                        BUTTON_EVENT_RELEASE);
  add_child(label, 0);

  x = px;
  y = py;
  width = static_cast<INT_S16>(label->width + box->width + fw / 2);
  height = label->height > box->height ? label->height : box->height;
}

void WM_CHECK_BOX::hide(INT_U8 popups, INT_U8) { WM_SCREEN_OBJECT::hide(popups, 1); }

INT_U8 WM_CHECK_BOX::can_focus() {
  const bool focusable_part = (box && box->focusable) || (label && label->focusable);
  const bool enabled_part = (box && box->enabled) || (label && label->enabled);
  return focusable_part && enabled_part ? 1 : 0;
}

// The mark without skins, and a redraw request. A hidden check box (a grid
// row out of view) stays hidden.
void WM_CHECK_BOX::show_value() {
  if (box && !box->has_state_skins()) box->set_text(checked ? kCheckedMark : kUncheckedMark, 0);
  if (visible) show();
}

void WM_CHECK_BOX::set_checked(INT_U8 value) {
  checked = value;
  show_value();
}

INT_U8 WM_CHECK_BOX::checked_state(WM_BUTTON*, INT_WORD check_box) {
  return reinterpret_cast<WM_CHECK_BOX*>(check_box)->checked;
}

INT_S32 WM_CHECK_BOX::on_click(WM_SCREEN_OBJECT*, INT_WORD check_box, INT_WORD) {
  WM_CHECK_BOX* self = reinterpret_cast<WM_CHECK_BOX*>(check_box);
  self->checked = self->checked ? 0 : 1;
  self->show_value();
  widgets::play_click_sound();
  // Nothing of the box is touched after its owner's callback.
  if (self->action_callback)
    wm_call_survives(self,
                     [&] { self->action_callback(self, self->action_arg1, self->action_arg2); });
  return 0;
}
