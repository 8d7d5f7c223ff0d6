// Shared set-up of the dialog tests: a page manager with a painted
// background, dialogs on the pop-up list, and direct ticks on the scripted
// clock for transition timings.
#ifndef DIALOG_TEST_ENV_H
#define DIALOG_TEST_ENV_H

#include "widget_test_env.h"
#include "wm_dialog.h"
#include "wm_script.h"

namespace dgt {

using namespace wgt;

// No fades and no slides: a dialog is at rest and opaque at once.
const DIALOG_EFFECTS kNoEffects = {0, 300, 1000, 192};
const COLOUR kFrame = 0xFFC0C0C0u, kCaption = 0xFFFF0000u;

class DialogTest : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    pm().backgrounds[0].create(kScreenWidth, kScreenHeight);
    pm().backgrounds[0].clear(&kBackdrop, 1);
  }
  WM_DIALOG* open(WM_DIALOG* d) {
    root()->add_popup(d, 0);
    return d;
  }
  WM_DIALOG* make(INT_S16 x, INT_S16 y, INT_S16 w, INT_S16 h, const char* title = "Title",
                  const DIALOG_EFFECTS* fx = &kNoEffects) {
    return new WM_DIALOG(x, y, w, h, title, nullptr, nullptr, nullptr, fx);
  }
  // One update of the dialog alone, the clock moved on by ms first.
  static INT_S32 tick(WM_DIALOG* d, INT_U32 ms) {
    clock_now() += ms;
    wm_tick_armed = 1;
    return d->update(0);
  }
  // The next transition step, the clock moved on by ms first: a dialog
  // steps on every second update at most, so this takes one or two.
  static INT_S32 step(WM_DIALOG* d, INT_U32 ms) {
    INT_S32 r = tick(d, ms);
    if (r == 0) r = tick(d, 0);
    return r;
  }
  // The same through page-manager frames.
  INT_S32 step_frame(INT_U32 ms) {
    INT_S32 r = frame(ms);
    if (r == 0) r = frame(0);
    return r;
  }
  // A frame with the pointer at (px, py) and the left button as given.
  INT_S32 at(INT_S16 px, INT_S16 py, bool left, INT_U32 ms = 16) {
    pointer(px, py, left ? 1u : 0u);
    return frame(ms);
  }
};

}  // namespace dgt

#endif
