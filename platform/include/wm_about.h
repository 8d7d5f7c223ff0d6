// WM_ABOUT: the library's about box. A dialog titled "About" with the
// built-in picture at the left, the application's credits in a scrolling
// text window beside it and a "Close" button centred along the bottom. A
// click on the credits opens the library's web page in the user's browser.
#ifndef WM_ABOUT_H
#define WM_ABOUT_H

#include "wm_dialog.h"
#include "zorv_types.h"

class WM_BUTTON;

// The page a click on the credits opens.
extern const char wm_about_web_address[];

// Arguments of WM_ABOUT::on_click.
enum : INT_U32 { ABOUT_CLOSE = 1, ABOUT_CREDITS = 2 };

class WM_ABOUT : public WM_DIALOG {
 public:
  // w -1 = 440, h -1 = 320; x or y -1 centres the box.
  WM_ABOUT(INT_S16 x, INT_S16 y, INT_S16 w, INT_S16 h);
  ~WM_ABOUT() override;

  // "Close" (ABOUT_CLOSE) closes on its release; the credits window
  // (ABOUT_CREDITS) opens the web page.
  static INT_S32 on_click(WM_SCREEN_OBJECT* object, INT_WORD which, INT_WORD unused);

  WM_BUTTON* close_button = nullptr;  // child inside the client area
};

#endif
