// The about box: picture, credits and "Close".
#include "wm_about.h"

#include "builtin_pictures.h"
#include "desktop.h"
#include "utilities.h"
#include "wm_button.h"
#include "wm_globals.h"
#include "wm_image_widget.h"
#include "wm_text_win.h"

const char wm_about_web_address[] = "https://zorv.example.org/";

namespace {

const INT_S16 kDefaultWidth = 440;
const INT_S16 kDefaultHeight = 320;
const INT_S16 kCreditsLines = 50;
const char kCreditsTag[] = "credits";

INT_S16 s16(INT_S32 v) { return static_cast<INT_S16>(v); }

}  // namespace

WM_ABOUT::WM_ABOUT(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h)
    : WM_DIALOG(px, py, w == -1 ? kDefaultWidth : w, h == -1 ? kDefaultHeight : h, "About") {
  const INT_S16 cw = s16(width - style.border_left_gap - style.border_right_gap -
                         style.cell_left_gap - style.cell_right_gap);
  const INT_S16 ch = s16(height - caption_height() - style.border_bottom_gap -
                         style.cell_bottom_gap);

  close_button = new WM_BUTTON(0, 0, -1, -1, &button_style, "Close", nullptr, on_click,
                               ABOUT_CLOSE, 0, BUTTON_EVENT_PRESS | BUTTON_EVENT_RELEASE);
  close_button->set_position(s16((cw - close_button->width) / 2), s16(ch - close_button->height));
  add_child(close_button, 1);

  WM_IMAGE* picture = new WM_IMAGE(0, 0, 0, 0, 1, nullptr, 0, 0,
                                   IMAGE_CLICK_PRESS | IMAGE_CLICK_RELEASE);
  load_builtin_about_picture(&picture->picture);
  const INT_S16 picture_width = static_cast<INT_S16>(picture->picture.width);
  picture->set_position(0, s16((ch - static_cast<INT_S16>(picture->picture.height)) / 4));
  add_child(picture, 1);

  WM_STYLE_SET credits_style;
  credits_style.font_id = button_style.font_id;
  credits_style.font_x_sz = button_style.font_x_sz;
  credits_style.font_y_sz = button_style.font_y_sz;
  credits_style.ssf = ssf_left_justify_text;
  credits_style.bg_colour = 0;
  credits_style.fg_colour = button_style.fg_colour;
  WM_TEXT_WIN* credits =
      new WM_TEXT_WIN(picture_width, 0, s16(cw - 1), s16(ch - 1 - close_button->height),
                      &credits_style, &credits_style, kCreditsLines, 0, on_click, ABOUT_CREDITS, 0);
  add_child(credits, 1);
  credits->add_text(build_about_text(1), kCreditsTag, &style.fg_colour, visible, 1);

  kind |= WM_KIND_ABOUT;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

WM_ABOUT::~WM_ABOUT() {}

INT_S32 WM_ABOUT::on_click(WM_SCREEN_OBJECT* object, INT_WORD which, INT_WORD) {
  switch (which) {
    case ABOUT_CLOSE:
      return static_cast<WM_BUTTON*>(object)->released ? WM_ACTION_CLOSE : WM_ACTION_NONE;
    case ABOUT_CREDITS:
      open_url(wm_about_web_address);
      return WM_ACTION_NONE;
    default:
      return WM_ACTION_NONE;
  }
}
