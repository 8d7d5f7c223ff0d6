// A plain dialog: caption, a label and Back, Next and Quit buttons, with no
// fades or slides. Each button prints its command; Quit ends the scene.
// Next starts with the focus, so Tab then Return reaches Quit.
#include "widget_demo.h"
#include "wm_button.h"
#include "wm_dialog.h"
#include "wm_script.h"

namespace {

const DIALOG_EFFECTS kNoEffects = {0, 300, 1000, 192};
const COLOUR kLabelText = 0xFF000000u;
const INT_S16 kWidth = 240, kHeight = 150;
const INT_S16 kButtonWidth = 64, kButtonHeight = 24, kGap = 8;

INT_S32 command(WM_SCREEN_OBJECT*, INT_WORD name, INT_WORD answer) {
  widget_demo_say("command %s", reinterpret_cast<const char*>(name));
  return word_to_s32(answer);
}

void build(PAGE_MANAGER* pm) {
  WM_DIALOG* d = new WM_DIALOG(-1, -1, kWidth, kHeight, "Setup", nullptr, nullptr, nullptr,
                               &kNoEffects);
  const INT_S16 cw = d->client_area->width, ch = d->client_area->height;
  d->add_child(new WM_SCRIPT(kGap, kGap, static_cast<INT_S16>(cw - kGap), 40,
                             "Ready to install.", 255, -1, -1, &kLabelText, nullptr, 0, 0, -1,
                             -1, -1, -1, -1, -1),
               1);
  struct {
    const char* name;
    INT_S32 answer;
  } buttons[] = {{"back", WM_ACTION_HANDLED}, {"next", WM_ACTION_HANDLED},
                 {"quit", PAGE_ACTION_END}};
  const char* labels[] = {"Back", "Next", "Quit"};
  WM_BUTTON* next = nullptr;
  for (int i = 0; i < 3; ++i) {
    const INT_S16 x1 = static_cast<INT_S16>(cw - (3 - i) * (kButtonWidth + kGap));
    const INT_S16 y1 = static_cast<INT_S16>(ch - kButtonHeight - kGap);
    WM_BUTTON* b = new WM_BUTTON(x1, y1, static_cast<INT_S16>(x1 + kButtonWidth - 1),
                                 static_cast<INT_S16>(y1 + kButtonHeight - 1), &d->button_style,
                                 labels[i], nullptr, command,
                                 reinterpret_cast<INT_WORD>(buttons[i].name),
                                 word_from_s32(buttons[i].answer), BUTTON_EVENT_RELEASE);
    b->focusable = 1;
    d->add_child(b, 1);
    if (i == 1) next = b;
  }
  pm->current_manager->add_popup(d, 0);
  next->take_focus();
}

}  // namespace

WIDGET_DEMO_SCENE("dialog", build);
