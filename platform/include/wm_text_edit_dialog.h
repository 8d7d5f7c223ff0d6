// The text entry dialog: a prompt, a one-line edit box and "OK" and "Cancel"
// at the bottom right. Either button calls the creator's callback as
// (dialog, argument, answer), answer 1 for OK and 0 for Cancel; the creator
// reads edit_box->text and decides through its result whether the dialog
// closes (WM_ACTION_CLOSE), is deleted (WM_ACTION_DELETE) or stays (0).
#ifndef WM_TEXT_EDIT_DIALOG_H
#define WM_TEXT_EDIT_DIALOG_H

#include "wm_dialog.h"
#include "zorv_types.h"

class WM_BUTTON;
class WM_SCRIPT;
class WM_TEXT_EDIT;

class WM_TEXT_EDIT_DIALOG : public WM_DIALOG {
 public:
  // w and h -1 mean 450 and 180; x or y -1 centre the dialog. Null texts
  // mean "OK", "Cancel" and an empty caption.
  WM_TEXT_EDIT_DIALOG(INT_S16 x, INT_S16 y, INT_S16 w, INT_S16 h, const WM_STYLE_SET* edit_style,
                      INT_U8 visible, WM_ACTION_CALLBACK callback, INT_WORD argument,
                      const char* ok_text, const char* cancel_text, const char* title,
                      INT_S16 max_length);
  // 450 x 180; the edit box in a sunken copy of the dialog's button style.
  WM_TEXT_EDIT_DIALOG(INT_S16 x, INT_S16 y, INT_U8 visible, WM_ACTION_CALLBACK callback,
                      INT_WORD argument, const char* ok_text, const char* cancel_text,
                      const char* title, INT_U16 max_length);
  ~WM_TEXT_EDIT_DIALOG() override;

  // Both buttons' action callback: which 1 = OK, 2 = Cancel.
  static INT_S32 on_button(WM_SCREEN_OBJECT* button, INT_WORD which, INT_WORD dialog);

  WM_BUTTON* ok_button = nullptr;      // owned by the client area
  WM_BUTTON* cancel_button = nullptr;
  WM_SCRIPT* prompt_label = nullptr;
  WM_TEXT_EDIT* edit_box = nullptr;

 private:
  void build(WM_ACTION_CALLBACK callback, INT_WORD argument, const WM_STYLE_SET* edit_style,
             const char* ok_text, const char* cancel_text, INT_S16 max_length);
};

#endif
