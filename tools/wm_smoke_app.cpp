// A small application for the window manager's test under a real X server:
// one page with four plain tiles. The focused tile is yellow, the others
// blue; a click (right button) turns a tile red, and on the last tile it ends
// the program. Prints "ready" once the page is on show.
#include <cstdio>

#include "app.h"
#include "clock.h"
#include "image.h"
#include "page_manager.h"
#include "window.h"
#include "wm_globals.h"

namespace {

const COLOUR kBackground = 0xFF202020u;
const COLOUR kTile = 0xFF0000FFu;
const COLOUR kFocused = 0xFFFFFF00u;
const COLOUR kClicked = 0xFFFF0000u;

class TILE : public WM_SCREEN_OBJECT {
 public:
  TILE(INT_S16 px, INT_S16 py, INT_S32 answer) : WM_SCREEN_OBJECT(1, nullptr, 0, 0) {
    x = px;
    y = py;
    width = 40;
    height = 40;
    focusable = 1;
    click_callback = clicked;
    click_mode = CLICK_ON_RELEASE;
    click_arg1 = word_from_s32(answer);
  }
  void draw() override {
    const COLOUR* c = state ? &kClicked : (wm_focus_object == this ? &kFocused : &kTile);
    wm_surface->fill_rect(x, y, static_cast<INT_S16>(x + width - 1),
                          static_cast<INT_S16>(y + height - 1), c, 0);
  }

 private:
  static INT_S32 clicked(WM_SCREEN_OBJECT* tile, INT_WORD answer, INT_WORD) {
    tile->set_state(1);
    return word_to_s32(answer);
  }
};

PAGE_MANAGER& pages() {
  static PAGE_MANAGER manager(1, -1);
  return manager;
}

void build_page(PAGE_MANAGER* pm) {
  pm->current_manager->add_child(new TILE(20, 20, 0), 0);
  pm->current_manager->add_child(new TILE(80, 20, 0), 0);
  pm->current_manager->add_child(new TILE(140, 20, 0), 0);
  pm->current_manager->add_child(new TILE(20, 90, PAGE_ACTION_END), 0);
}

int frames = 0;

}  // namespace

void start_installer(INT_S16, char**) {
  APPLICATION_INFO.app_name = "wm smoke";
  WINDOW_REQUEST request = {};
  request.title = "wm smoke";
  request.width = 200;
  request.height = 150;
  request.min_width = request.max_width = request.min_height = request.max_height = 65535;
  open_window(&request, 0);
  PAGE_MANAGER& pm = pages();
  pm.backgrounds[0].create(200, 150);
  pm.backgrounds[0].clear(&kBackground, 1);
  pm.request_page(0, build_page, nullptr, 0, nullptr, 0, 0, nullptr);
}

INT_U8 update_installer() {
  const INT_S32 result = pages().update(0);
  swap_screens(-1);
  if (++frames == 3) {
    std::printf("ready\n");
    std::fflush(stdout);
  }
  return result == PAGE_ACTION_END ? 0 : 1;
}

void shutdown_installer() {}

INT_U8 confirm_quit(INT_U32) { return 1; }
