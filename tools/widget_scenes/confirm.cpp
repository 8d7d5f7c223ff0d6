// A confirmation box whose message overflows its text window, and beneath
// it on the page a check box and a progress bar. Prints where to click once
// the box is at rest, the text window's scroll value when it changes, the
// answer and the check box's value.
#include <cstdio>

#include "widget_demo.h"
#include "wm_button.h"
#include "wm_check_box.h"
#include "wm_confirm.h"
#include "wm_progress.h"
#include "wm_scrollbar.h"
#include "wm_text_win.h"

namespace {

const int kMessageLines = 40;
const COLOUR kBoxColour = 0xFFFFFFFFu, kLabelColour = 0xFFE0E0E0u;

WM_CONFIRM* box = nullptr;

INT_S32 on_answer(WM_SCREEN_OBJECT*, INT_WORD, INT_WORD value) {
  widget_demo_say("answer %d", word_to_s32(value));
  return WM_ACTION_CLOSE;
}

INT_S32 on_check(WM_SCREEN_OBJECT* object, INT_WORD, INT_WORD) {
  widget_demo_say("check %d", static_cast<WM_CHECK_BOX*>(object)->checked);
  return 0;
}

// Reports what the X test needs: geometry once the box has come to rest,
// then every change of the message's scroll value and the box's closing.
class WATCHER : public WM_SCREEN_OBJECT {
 public:
  WATCHER(WM_CHECK_BOX* check) : WM_SCREEN_OBJECT(1, nullptr, 0, 0), check_(check) {}
  INT_S32 update(INT_U8) override {
    WM_TEXT_WIN* text = box->text_window;
    if (!at_rest_ && box->x == box->get_x() && box->y == box->get_y() && box->drawn) {
      at_rest_ = true;
      WM_SCROLLBAR* bar = text->scrollbar;
      widget_demo_say("box %d %d %d %d", box->x, box->y, box->width, box->height);
      // Low in the track, below the slider of a message shown from its top.
      widget_demo_say("track %d %d", bar->x + bar->width / 2, bar->y + bar->height - 4);
      widget_demo_say("no %d %d", box->second_button->x + box->second_button->width / 2,
                      box->second_button->y + box->second_button->height / 2);
      widget_demo_say("check %d %d", check_->box->x + check_->box->width / 2,
                      check_->box->y + check_->box->height / 2);
      widget_demo_say("scroll %d", text->scroll.get_long());
      shown_ = text->scroll.get_long();
    }
    if (at_rest_ && text->scroll.get_long() != shown_) {
      shown_ = text->scroll.get_long();
      widget_demo_say("scroll %d", shown_);
    }
    if (at_rest_ && !closed_ && !box->visible) {
      closed_ = true;
      widget_demo_say("closed");
    }
    return 0;
  }

 private:
  WM_CHECK_BOX* check_;
  bool at_rest_ = false, closed_ = false;
  INT_S32 shown_ = 0;
};

void build(PAGE_MANAGER* pm) {
  WM_MANAGER* page = pm->current_manager;
  WM_CHECK_BOX* check = new WM_CHECK_BOX(280, 230, &kBoxColour, &kLabelColour, "Option", 255, -1,
                                         -1, on_check, 0, 0, 1);
  page->add_child(check, 0);
  WM_STYLE_SET bar_style;
  WM_PROGRESS_BAR* bar = new WM_PROGRESS_BAR(280, 265, 110, 20, "", 100, &bar_style);
  bar->value = 40;
  page->add_child(bar, 0);

  box = new WM_CONFIRM(250, 200, "Question", 1, on_answer, 0, 10, 10, 0, 100, nullptr);
  char line[64];
  for (int i = 0; i < kMessageLines; ++i) {
    std::snprintf(line, sizeof line, "Line %d of a message too long for its box", i + 1);
    box->text_window->add_text(line, nullptr, &box->style.fg_colour, 0, 1);
  }
  page->add_child(new WATCHER(check), 0);
  page->add_popup(box, 0);
}

}  // namespace

WIDGET_DEMO_SCENE("confirm", build);
