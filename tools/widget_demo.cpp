// Shows widget scenes in a window for the X tests: one scene per argument,
// each on show until one of its callbacks ends it. Prints "scene NAME" and
// "ready" once a scene is on screen; without a known scene it lists them.
#include "widget_demo.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app.h"
#include "folder.h"
#include "fonts.h"
#include "image.h"
#include "window.h"
#include "wm_globals.h"

namespace {

std::map<std::string, WIDGET_DEMO_BUILD>& scenes() {
  static std::map<std::string, WIDGET_DEMO_BUILD>* table =
      new std::map<std::string, WIDGET_DEMO_BUILD>();
  return *table;
}

PAGE_MANAGER& pages() {
  static PAGE_MANAGER manager(1, -1);
  return manager;
}

// Frames drawn before a scene counts as on show.
const int kFramesUntilReady = 3;
// The text font of every scene: the system's DejaVu Sans when it is there.
const char* const kFontFolder = "/usr/share/fonts/truetype/dejavu";
const INT_S16 kFontSize = 14;

std::vector<std::string> queue;
size_t current = 0;
int frames_in_scene = 0;

void build_current(PAGE_MANAGER* pm) { scenes()[queue[current]](pm); }

void start_scene() {
  frames_in_scene = 0;
  widget_demo_say("scene %s", queue[current].c_str());
  // A data word of its own per scene: the same scene named twice is a new
  // page, not the one on show.
  pages().request_page(0, build_current, nullptr, static_cast<INT_WORD>(current + 1), nullptr, 0,
                       0, nullptr);
}

}  // namespace

bool widget_demo_register(const char* name, WIDGET_DEMO_BUILD build) {
  scenes()[name] = build;
  return true;
}

void widget_demo_say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::printf("\n");
  std::fflush(stdout);
}

void start_installer(INT_S16 argc, char** argv) {
  APPLICATION_INFO.app_name = "widget demo";
  bool known = true;
  for (INT_S16 i = 1; i < argc; ++i) {
    if (!scenes().count(argv[i])) {
      std::fprintf(stderr, "widget_demo: no scene \"%s\"\n", argv[i]);
      known = false;
    }
    queue.push_back(argv[i]);
  }
  if (queue.empty() || !known) {
    std::fprintf(stderr, "usage: widget_demo SCENE...\nscenes:");
    for (const auto& entry : scenes()) std::fprintf(stderr, " %s", entry.first.c_str());
    std::fprintf(stderr, "\n");
    std::exit(2);
  }
  WINDOW_REQUEST request = {};
  request.title = "widget demo";
  request.width = WIDGET_DEMO_WIDTH;
  request.height = WIDGET_DEMO_HEIGHT;
  request.min_width = request.max_width = request.min_height = request.max_height = 65535;
  open_window(&request, 0);
  FOLDER fonts;
  if (fonts.set_if_directory(kFontFolder)) {
    const INT_S32 slot = load_font("DejaVuSans.ttf", "DejaVu Sans", 255, &fonts);
    if (slot >= 0) {
      IMAGE* screen = get_screen_image(0);
      screen->font = static_cast<INT_S8>(slot);
      screen->font_width = screen->font_height = kFontSize;
    }
  }
  PAGE_MANAGER& pm = pages();
  pm.backgrounds[0].create(WIDGET_DEMO_WIDTH, WIDGET_DEMO_HEIGHT);
  pm.backgrounds[0].clear(&WIDGET_DEMO_BACKGROUND, 1);
  start_scene();
}

INT_U8 update_installer() {
  const INT_S32 result = pages().update(0);
  swap_screens(-1);
  if (++frames_in_scene == kFramesUntilReady) widget_demo_say("ready");
  if (result != PAGE_ACTION_END) return 1;
  // The scene is over: its pop-ups go with it.
  pages().current_manager->release_children(1, 0, 0);
  if (++current >= queue.size()) return 0;
  start_scene();
  pages().switch_pages(0);  // later pages wait for a switch; this is it
  return 1;
}

void shutdown_installer() {}

INT_U8 confirm_quit(INT_U32) { return 1; }
