// The about box, smaller than its default so that it fits the demo window.
// Prints where "Close" is once the box has come to rest, and "closed" when
// it has gone.
#include "widget_demo.h"
#include "wm_about.h"
#include "wm_button.h"

namespace {

WM_ABOUT* about = nullptr;

class WATCHER : public WM_SCREEN_OBJECT {
 public:
  WATCHER() : WM_SCREEN_OBJECT(1, nullptr, 0, 0) {}
  INT_S32 update(INT_U8) override {
    if (!at_rest_ && about->x == about->get_x() && about->y == about->get_y() && about->drawn) {
      at_rest_ = true;
      WM_BUTTON* close = about->close_button;
      widget_demo_say("box %d %d %d %d", about->x, about->y, about->width, about->height);
      widget_demo_say("close %d %d", close->x + close->width / 2, close->y + close->height / 2);
    }
    if (at_rest_ && !closed_ && !about->visible) {
      closed_ = true;
      widget_demo_say("closed");
    }
    return 0;
  }

 private:
  bool at_rest_ = false, closed_ = false;
};

void build(PAGE_MANAGER* pm) {
  about = new WM_ABOUT(-1, -1, 360, 260);
  pm->current_manager->add_child(new WATCHER, 0);
  pm->current_manager->add_popup(about, 0);
}

}  // namespace

WIDGET_DEMO_SCENE("about", build);
