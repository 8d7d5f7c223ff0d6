// WM_CONFIRM: the message box. A dialog with a message and one to three
// buttons in a row along its bottom edge ("Close" alone, or "Yes" and "No").
// The message is a scrolling text window that the creator fills afterwards,
// or centred one-line labels given at construction, the box sized to fit.
// The buttons call the creator's callbacks; their results are the dialog's:
// WM_ACTION_CLOSE closes the box, WM_ACTION_DELETE deletes it at once, and
// anything else goes on to the page manager.
#ifndef WM_CONFIRM_H
#define WM_CONFIRM_H

#include "wm_dialog.h"
#include "zorv_types.h"

class FOLDER;
class WM_BUTTON;
class WM_TEXT_WIN;

class WM_CONFIRM : public WM_DIALOG {
 public:
  // Up to three buttons with their texts and callbacks.
  WM_CONFIRM(INT_S16 w, INT_S16 h, const char* title, const char* text1, const char* text2,
             const char* text3, INT_U8 visible, WM_ACTION_CALLBACK callback1, INT_WORD arg11,
             INT_WORD arg12, WM_ACTION_CALLBACK callback2, INT_WORD arg21, INT_WORD arg22,
             WM_ACTION_CALLBACK callback3, INT_WORD arg31, INT_WORD arg32, INT_S16 x, INT_S16 y,
             INT_S16 button_count, INT_S16 line_capacity, const DIALOG_EFFECTS* effects);
  // One button (single) with text1, or two.
  WM_CONFIRM(INT_S16 w, INT_S16 h, const char* title, const char* text1, const char* text2,
             INT_U8 visible, WM_ACTION_CALLBACK callback1, INT_WORD arg11, INT_WORD arg12,
             WM_ACTION_CALLBACK callback2, INT_WORD arg21, INT_WORD arg22, INT_S16 x, INT_S16 y,
             INT_U8 single, INT_S16 line_capacity, const DIALOG_EFFECTS* effects);
  // "Close" (single), called with (argument, 1); else "Yes" with
  // (argument, 1) and "No" with (argument, 0).
  WM_CONFIRM(INT_S16 w, INT_S16 h, const char* title, INT_U8 visible,
             WM_ACTION_CALLBACK callback, INT_WORD argument, INT_S16 x, INT_S16 y, INT_U8 single,
             INT_S16 line_capacity, const DIALOG_EFFECTS* effects);
  // Centred one-line labels, no text window; the box sizes itself.
  WM_CONFIRM(INT_S16 x, INT_S16 y, const char* title, const char** lines, INT_S16 line_count,
             INT_U8 visible, WM_ACTION_CALLBACK callback, INT_WORD argument, INT_U8 single,
             const DIALOG_EFFECTS* effects);
  ~WM_CONFIRM() override;

  // Builds `text_window` above the button row and gives the row's y.
  void create_text_window(INT_S16* button_row_y, INT_S16 line_capacity);
  void create_buttons(INT_S16 button_row_y, INT_S16 count, const char* text1, const char* text2,
                      const char* text3, WM_ACTION_CALLBACK callback1, INT_WORD arg11,
                      INT_WORD arg12, WM_ACTION_CALLBACK callback2, INT_WORD arg21,
                      INT_WORD arg22, WM_ACTION_CALLBACK callback3, INT_WORD arg31,
                      INT_WORD arg32);
  // Fills the text window from a text file; whether a line was read (0
  // without a text window).
  INT_S32 load_text(FOLDER* folder, const char* name);
  // A ready-made button callback: closes the box on the release.
  static INT_S32 close_on_click(WM_SCREEN_OBJECT* button, INT_WORD arg1, INT_WORD arg2);

  // Children inside the client area; null when absent.
  WM_BUTTON* first_button = nullptr;
  WM_BUTTON* second_button = nullptr;
  WM_BUTTON* third_button = nullptr;
  WM_TEXT_WIN* text_window = nullptr;

 private:
  // The button style's gaps (unset = its border width) and font height.
  struct BUTTON_METRICS {
    INT_S16 left, right, top, bottom, font_height;
  };
  BUTTON_METRICS button_metrics() const;
  INT_S16 client_width();
  INT_S32 button_text_width(const char* text) const;
  void open_as(INT_U8 visible);
  void finish();
};

#endif
