// A text window whose lines overflow it, so that it carries a vertical
// scrollbar with end buttons. Prints the bar's rectangle, then the scroll
// value and the slider's top edge whenever the value changes.
#include <cstdio>

#include "style_set.h"
#include "widget_demo.h"
#include "wm_scrollbar.h"
#include "wm_text_win.h"

namespace {

const int kLines = 60;
const COLOUR kText = 0xFFE0E0E0u, kBack = 0xFF101828u;
const COLOUR kTrack = 0xFF404040u, kSlider = 0xFF3070C0u, kArrow = 0xFFFFFFFFu;

WM_TEXT_WIN* text = nullptr;

class WATCHER : public WM_SCREEN_OBJECT {
 public:
  WATCHER() : WM_SCREEN_OBJECT(1, nullptr, 0, 0) {}
  INT_S32 update(INT_U8) override {
    WM_SCROLLBAR* bar = text->scrollbar;
    if (!bar) return 0;
    if (!told_) {
      told_ = true;
      widget_demo_say("bar %d %d %d %d %d", bar->x, bar->y, bar->width, bar->height,
                      bar->slider_length);
    }
    // What the bar shows: its value once it has reported it.
    if (bar->shown_value != shown_) {
      shown_ = bar->shown_value;
      widget_demo_say("scroll %d %d %d", shown_, bar->slider_position(shown_),
                      text->scroll.max.s32);
    }
    return 0;
  }

 private:
  bool told_ = false;
  INT_S32 shown_ = -1;
};

void build(PAGE_MANAGER* pm) {
  WM_STYLE_SET style;
  style.bg_colour = kBack;
  style.fg_colour = kText;
  WM_STYLE_SET bar_style;
  bar_style.ssef = ssef_sb_with_buttons;
  bar_style.bg_colour = kTrack;
  bar_style.active_colour = kSlider;
  bar_style.fg_colour = kArrow;
  text = new WM_TEXT_WIN(20, 20, 300, 220, &style, &bar_style, 100, 0, nullptr, 0, 0);
  char line[64];
  for (int i = 0; i < kLines; ++i) {
    std::snprintf(line, sizeof line, "Line %d of the text", i + 1);
    text->add_text(line, nullptr, &kText, 1, 1);
  }
  pm->current_manager->add_child(text, 0);
  pm->current_manager->add_child(new WATCHER(), 0);
}

}  // namespace

WIDGET_DEMO_SCENE("scrollbar", build);
