// The text entry dialog: layout of prompt, edit box and buttons, and the
// buttons' answer.
#include "wm_text_edit_dialog.h"

#include "image.h"
#include "sound.h"
#include "wm_button.h"
#include "wm_globals.h"
#include "wm_script.h"
#include "wm_text_edit.h"
#include "../wm_internal.h"
#include "../wm_platform.h"

namespace {

const INT_S16 kDefaultWidth = 450, kDefaultHeight = 180;
const char kPrompt[] = "Enter Text";
const char kOk[] = "OK";
const char kCancel[] = "Cancel";
const INT_U8 kOkAnswer = 1, kCancelAnswer = 0;
enum : INT_WORD { kWhichOk = 1, kWhichCancel = 2 };
// The edit style of the default form: a sunken border, no skin.
const INT_U32 kSunkenBorderFlags = ssf_draw_border | ssf_indent_border;
const INT_U32 kSunkenShading = 4;

INT_S16 s16(INT_S32 v) { return static_cast<INT_S16>(v); }

// The edit box counts its length in 16 signed bits; a larger limit would
// wrap negative and take no character at all.
const INT_U16 kLongestText = 32767;

WM_STYLE_SET sunken_copy(const WM_STYLE_SET& button_style) {
  WM_STYLE_SET copy(button_style);
  copy.ssf |= kSunkenBorderFlags;
  copy.set_image_filename(nullptr);
  copy.shading_type = kSunkenShading;
  return copy;
}

}  // namespace

WM_TEXT_EDIT_DIALOG::WM_TEXT_EDIT_DIALOG(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h,
                                         const WM_STYLE_SET* edit_style, INT_U8 vis,
                                         WM_ACTION_CALLBACK callback, INT_WORD argument,
                                         const char* ok_text, const char* cancel_text,
                                         const char* title, INT_S16 max_length)
    : WM_DIALOG(px, py, w == -1 ? kDefaultWidth : w, h == -1 ? kDefaultHeight : h,
                title ? title : "") {
  invalidate();
  visible = needs_redraw = vis;
  build(callback, argument, edit_style, ok_text, cancel_text, max_length);
}

WM_TEXT_EDIT_DIALOG::WM_TEXT_EDIT_DIALOG(INT_S16 px, INT_S16 py, INT_U8 vis,
                                         WM_ACTION_CALLBACK callback, INT_WORD argument,
                                         const char* ok_text, const char* cancel_text,
                                         const char* title, INT_U16 max_length)
    : WM_DIALOG(px, py, kDefaultWidth, kDefaultHeight, title ? title : "") {
  invalidate();
  visible = needs_redraw = vis;
  const WM_STYLE_SET edit_style = sunken_copy(button_style);
  build(callback, argument, &edit_style, ok_text, cancel_text,
        s16(max_length > kLongestText ? kLongestText : max_length));
}

WM_TEXT_EDIT_DIALOG::~WM_TEXT_EDIT_DIALOG() {}

void WM_TEXT_EDIT_DIALOG::build(WM_ACTION_CALLBACK callback, INT_WORD argument,
                                const WM_STYLE_SET* edit_style, const char* ok_text,
                                const char* cancel_text, INT_S16 max_length) {
  fit_to_screen();

  action_callback = callback;
  action_arg1 = argument;
  const INT_S16 cw = s16(width - style.border_left_gap - style.border_right_gap -
                         style.cell_left_gap - style.cell_right_gap);
  const INT_S16 ch =
      s16(height - caption_height() - style.border_bottom_gap - style.cell_bottom_gap);

  ok_button = new WM_BUTTON(0, 0, -1, -1, &button_style, ok_text ? ok_text : kOk, "", on_button,
                            kWhichOk, reinterpret_cast<INT_WORD>(this), BUTTON_EVENT_RELEASE);
  const INT_S16 m = s16(ok_button->height / 2);
  const INT_S16 row_y = s16(ch - 2 * m);
  ok_button->set_position(s16(cw - ok_button->width - m), row_y);
  ok_button->focusable = 1;

  cancel_button = new WM_BUTTON(0, 0, -1, -1, &button_style, cancel_text ? cancel_text : kCancel,
                                "", on_button, kWhichCancel, reinterpret_cast<INT_WORD>(this),
                                BUTTON_EVENT_RELEASE);
  cancel_button->set_position(s16(cw - 2 * m - ok_button->width - cancel_button->width), row_y);
  cancel_button->focusable = 1;

  const INT_S16 fh = wm_surface ? wm_surface->font_height : 0;
  prompt_label = new WM_SCRIPT(m, m, s16(cw - m), s16(m + fh), kPrompt, 255, -1, -1,
                               &style.fg_colour, &wm_default_colour, SCRIPT_TEXT_LEFT, 1, -1, -1,
                               -1, -1, -1, -1);

  edit_box = new WM_TEXT_EDIT(0, 0, s16(cw - 2 * m), max_length, "", edit_style, nullptr, 0, 0);
  edit_box->set_position(m, s16(row_y - m - edit_box->height));

  // Label and box centred in the room above the buttons when they fit.
  const INT_S32 avail = ch - 5 * m;
  const INT_S32 used = prompt_label->height + edit_box->height + m;
  if (used < avail) {
    const INT_S16 d = s16((avail - used) / 2);
    prompt_label->set_position(m, s16(d + m));
    edit_box->set_position(m, s16(d + 2 * m + prompt_label->height));
  }

  add_child(prompt_label, 1);
  add_child(edit_box, 1);
  add_child(ok_button, 1);
  add_child(cancel_button, 1);
  kind |= WM_KIND_TEXT_EDIT_DIALOG;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

INT_S32 WM_TEXT_EDIT_DIALOG::on_button(WM_SCREEN_OBJECT*, INT_WORD which, INT_WORD dialog) {
  WM_TEXT_EDIT_DIALOG* self = reinterpret_cast<WM_TEXT_EDIT_DIALOG*>(dialog);
  if (which == kWhichOk)
    self->action_arg2 = kOkAnswer;
  else if (which == kWhichCancel)
    self->action_arg2 = kCancelAnswer;
  else
    return 0;
  WM_CLICK_SOUND& s = wm_click_sound;
  if (s.handle && s.name[0])
    play_sound_file(s.handle, s.channel, &s.folder, s.name, s.volume, s.pan, 0);
  INT_S32 result = 0;
  if (self->action_callback)
    wm_call_survives(self, [&] {
      result = self->action_callback(self, self->action_arg1, self->action_arg2);
    });
  return result;
}
