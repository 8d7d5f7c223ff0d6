// Input as it meets the widgets: a check box that prints every toggle, a
// focusable "open" button that opens a text entry dialog, an edit box and a
// disabled one. Prints the centres of what the tests click, "focus <name>"
// whenever the focus moves, "edit <text>" for every edit of the box, and
// "dialog <x> <y> <x> <y>" (its box and OK) once the dialog is open and
// "answer <text>" when its OK is pressed.
#include "widget_demo.h"
#include "wm_button.h"
#include "wm_check_box.h"
#include "wm_globals.h"
#include "wm_text_edit.h"
#include "wm_text_edit_dialog.h"

namespace {

const DIALOG_EFFECTS kNoEffects = {0, 300, 1000, 192};
const COLOUR kWhite = 0xFFFFFFFFu, kGrey = 0xFFE0E0E0u, kFace = 0xFFC0C0C0u, kInk = 0xFF000000u;
const INT_S16 kLeft = 20, kButtonW = 120, kButtonH = 24, kBoxW = 200, kBoxGap = 3;

WM_CHECK_BOX* check = nullptr;
WM_BUTTON* open_button = nullptr;
WM_TEXT_EDIT* box = nullptr;
WM_TEXT_EDIT* disabled_box = nullptr;
WM_TEXT_EDIT_DIALOG* dialog = nullptr;

int centre_x(const WM_SCREEN_OBJECT* o) { return o->x + o->width / 2; }
int centre_y(const WM_SCREEN_OBJECT* o) { return o->y + o->height / 2; }
const char* text_of(const WM_TEXT_EDIT* b) { return b->text.text ? b->text.text : ""; }

INT_S32 on_check(WM_SCREEN_OBJECT* object, INT_WORD, INT_WORD) {
  widget_demo_say("check %d", static_cast<WM_CHECK_BOX*>(object)->checked);
  return 0;
}

INT_S32 on_edit(WM_SCREEN_OBJECT* object, INT_WORD, INT_WORD) {
  widget_demo_say("edit %s", text_of(static_cast<WM_TEXT_EDIT*>(object)));
  return 0;
}

INT_S32 on_answer(WM_SCREEN_OBJECT* object, INT_WORD, INT_WORD answer) {
  WM_TEXT_EDIT_DIALOG* d = static_cast<WM_TEXT_EDIT_DIALOG*>(object);
  if (word_to_s32(answer) == 1) widget_demo_say("answer %s", text_of(d->edit_box));
  d->delete_when_closed = 1;
  d->set_fade(0);
  d->start_transition(0);
  if (dialog == d) dialog = nullptr;
  return 0;
}

INT_S32 on_open(WM_SCREEN_OBJECT*, INT_WORD, INT_WORD) {
  if (dialog) return 0;
  dialog = new WM_TEXT_EDIT_DIALOG(-1, -1, 1, on_answer, 0, "OK", "Cancel", "Name", 100);
  if (wm_page_manager) wm_page_manager->current_manager->add_popup(dialog, 0);
  return 0;
}

// Reports the focus's moves and the dialog's place once it is drawn.
class WATCHER : public WM_SCREEN_OBJECT {
 public:
  WATCHER() : WM_SCREEN_OBJECT(1, nullptr, 0, 0) {}
  INT_S32 update(INT_U8) override {
    if (wm_focus_object != focus_) {
      focus_ = wm_focus_object;
      widget_demo_say("focus %s", name_of(focus_));
    }
    if (dialog != said_dialog_ && (!dialog || dialog->drawn)) {
      said_dialog_ = dialog;
      if (dialog)
        widget_demo_say("dialog %d %d %d %d", centre_x(dialog->edit_box), centre_y(dialog->edit_box),
                        centre_x(dialog->ok_button), centre_y(dialog->ok_button));
    }
    return 0;
  }

 private:
  static const char* name_of(const WM_SCREEN_OBJECT* o) {
    if (!o) return "none";
    if (o == open_button) return "open";
    if (o == box) return "box";
    if (o == disabled_box) return "disabled";
    if (dialog && o == dialog->edit_box) return "dialog";
    return "other";
  }
  WM_SCREEN_OBJECT* focus_ = nullptr;
  WM_SCREEN_OBJECT* said_dialog_ = nullptr;
};

void build(PAGE_MANAGER* pm) {
  WM_DIALOG::init_default_styles();
  wm_dialog_effects = kNoEffects;
  WM_MANAGER* page = pm->current_manager;

  check = new WM_CHECK_BOX(kLeft, 20, &kWhite, &kGrey, "Option", 255, -1, -1, on_check, 0, 0, 1);
  // Out of the focus walk: Tab goes from the button to the box.
  check->box->focusable = check->label->focusable = 0;
  page->add_child(check, 0);

  // First in the walk: the focus rests here until a box takes it.
  open_button = new WM_BUTTON(kLeft, 60, kLeft + kButtonW - 1, 60 + kButtonH - 1, &kFace, &kInk, "Open",
                              0, 0, 15, on_open, 0, 0, 1, BUTTON_EVENT_RELEASE);
  open_button->focusable = 1;
  page->add_child(open_button, 0);

  WM_STYLE_SET style;
  style.fg_colour = kInk;
  style.bg_colour = kWhite;
  style.ssf |= ssf_draw_border | ssf_indent_border;
  style.border_left_gap = style.border_right_gap = kBoxGap;
  style.border_top_gap = style.border_bottom_gap = kBoxGap;
  box = new WM_TEXT_EDIT(kLeft, 100, kBoxW, 40, "", &style, on_edit, 0, 0);
  box->notify_on_change = 1;
  page->add_child(box, 0);
  disabled_box = new WM_TEXT_EDIT(kLeft, 140, kBoxW, 40, "", &style, on_edit, 0, 0);
  disabled_box->notify_on_change = 1;
  disabled_box->enabled = 0;
  page->add_child(disabled_box, 0);
  page->add_child(new WATCHER, 0);

  widget_demo_say("places check %d %d open %d %d box %d %d disabled %d %d", centre_x(check->box),
                  centre_y(check->box), centre_x(open_button), centre_y(open_button), centre_x(box),
                  centre_y(box), centre_x(disabled_box), centre_y(disabled_box));
}

}  // namespace

WIDGET_DEMO_SCENE("input_paths", build);
