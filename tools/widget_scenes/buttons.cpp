// Buttons in their looks and features: a painted one that repeats while
// held, one with a hint, one that can be dragged onto a label, a styled one
// with rounded corners and a gradient, a darkened one, a disabled one with an
// arrow, and Quit. Prints each button's centre once on show and every event.
#include "widget_demo.h"
#include "wm_button.h"
#include "wm_script.h"

namespace {

const COLOUR kFace = 0xFFC0C0C0u, kInk = 0xFF000000u, kPaper = 0xFFE0E0E0u;
const COLOUR kPressed = 0xFF8080FFu;
const INT_S16 kW = 110, kH = 28, kLeft = 20, kRight = 150, kTop = 20, kStep = 40;

INT_S32 said(WM_SCREEN_OBJECT* object, INT_WORD name, INT_WORD answer) {
  widget_demo_say("%s %s", reinterpret_cast<const char*>(name),
                  static_cast<WM_BUTTON*>(object)->released ? "release" : "press");
  return word_to_s32(answer);
}

INT_S32 repeated(WM_SCREEN_OBJECT*, INT_WORD, INT_WORD) {
  static int count = 0;
  widget_demo_say("repeat %d", ++count);
  return 0;
}

INT_S32 dropped(WM_BUTTON*, WM_SCREEN_OBJECT* target, INT_S32 x, INT_S32 y, INT_S32 event,
                INT_WORD, INT_WORD) {
  const char* what = event == DRAG_EVENT_START    ? "start"
                     : event == DRAG_EVENT_CANCEL ? "cancel"
                     : event == DRAG_EVENT_DROP   ? "drop"
                                                  : "drop-self";
  const bool on_label = target && (target->kind & WM_KIND_SCRIPT);
  widget_demo_say("drag %s %d %d%s", what, x, y, on_label ? " on label" : "");
  return 0;
}

WM_BUTTON* plain(PAGE_MANAGER* pm, INT_S16 x, INT_S16 y, const char* text, const char* name,
                 INT_U8 events, INT_S32 answer = 0) {
  WM_BUTTON* b = new WM_BUTTON(x, y, static_cast<INT_S16>(x + kW - 1),
                               static_cast<INT_S16>(y + kH - 1), &kFace, &kInk, text, 0, 0, 15,
                               said, reinterpret_cast<INT_WORD>(name), word_from_s32(answer), 1,
                               events);
  b->highlight_colour = kPressed;
  pm->current_manager->add_child(b, 0);
  widget_demo_say("button %s %d %d", name, x + kW / 2, y + kH / 2);
  return b;
}

void build(PAGE_MANAGER* pm) {
  WM_BUTTON* repeat = plain(pm, kLeft, kTop, "Hold me", "repeat",
                            BUTTON_EVENT_PRESS | BUTTON_EVENT_REPEAT);
  repeat->action_callback = repeated;
  plain(pm, kLeft, kTop + kStep, "Rest here", "hint", BUTTON_EVENT_RELEASE)
      ->set_hint("Hints open after a rest");
  WM_BUTTON* drag = plain(pm, kLeft, kTop + 2 * kStep, "Drag me", "drag", BUTTON_EVENT_RELEASE);
  drag->drag_callback = dropped;
  drag->drag_events = DRAG_EVENT_START | DRAG_EVENT_CANCEL | DRAG_EVENT_DROP |
                      DRAG_EVENT_DROP_SELF;

  WM_SCRIPT* target = new WM_SCRIPT(kRight, kTop + 2 * kStep, kRight + 2 * kW, kTop + 3 * kStep + 20,
                                    "Drop here", 255, -1, -1, &kInk, &kPaper,
                                    SCRIPT_INDENT_BORDER, 1, -1, -1, -1, -1, -1, -1);
  pm->current_manager->add_child(target, 0);
  widget_demo_say("label %d %d", target->x + target->width / 2, target->y + target->height / 2);

  // The style-set form: rounded corners, a vertical gradient that turns
  // over while pressed, a hover colour.
  static WM_STYLE_SET style;
  style.bg_colour = 0xFF4060A0u;
  style.fading_colour = 0xFF102040u;
  style.fg_colour = 0xFFFFFFFFu;
  style.mouse_over_text_colour = 0xFFFFFF80u;
  style.ssf = ssf_draw_border | ssf_vfading | ssf_shadow_text;
  style.ssef = ssef_invert_vfading_on_press;
  WM_BUTTON* styled = new WM_BUTTON(kRight, kTop, kRight + kW - 1, kTop + 2 * kH, &style,
                                    "Styled", "The style-set form", said,
                                    reinterpret_cast<INT_WORD>("styled"), 0,
                                    BUTTON_EVENT_RELEASE);
  pm->current_manager->add_child(styled, 0);
  widget_demo_say("button styled %d %d", styled->x + styled->width / 2,
                  styled->y + styled->height / 2);

  WM_BUTTON* dark = plain(pm, kRight + kW + 10, kTop, "Darkened", "dark", BUTTON_EVENT_RELEASE);
  dark->button_flags |= BUTTON_DARKENED;
  WM_BUTTON* off = plain(pm, kLeft, kTop + 3 * kStep, "Disabled", "off", BUTTON_EVENT_RELEASE);
  off->button_flags |= BUTTON_ARROW_RIGHT;
  off->set_enabled(0);
  plain(pm, kLeft, kTop + 5 * kStep, "Quit", "quit", BUTTON_EVENT_RELEASE, PAGE_ACTION_END);
}

}  // namespace

WIDGET_DEMO_SCENE("buttons", build);
