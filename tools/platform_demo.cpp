// Demonstration application of the platform layer, and a fixture of its
// tests: a 640 x 480 window "Platform Demo" with four coloured quarters, a
// marker at the pointer and a strip of the last typed characters (one block
// per character, its shade the character code). Every input it sees is also
// written to standard output, one line each. Ends on Escape, or when asked
// to quit (a termination signal or the window's close button).
// Options, for the tests that run the whole program: -q ends after the
// first step, -n refuses every request to quit, -c shows the credits box at
// the end.
#include <cstdio>

#include "app.h"
#include "clock.h"
#include "image.h"
#include "input.h"
#include "options.h"
#include "window.h"

namespace {

// The window icon: 16 x 16, the four quarters of the test picture.
const char* const demo_icon[] = {
    "16 16 4 2",
    "r  c #FF0000",
    "g  c #00FF00",
    "b  c #0000FF",
    "w  c #FFFFFF",
    "r r r r r r r r g g g g g g g g ",
    "r r r r r r r r g g g g g g g g ",
    "r r r r r r r r g g g g g g g g ",
    "r r r r r r r r g g g g g g g g ",
    "r r r r r r r r g g g g g g g g ",
    "r r r r r r r r g g g g g g g g ",
    "r r r r r r r r g g g g g g g g ",
    "r r r r r r r r g g g g g g g g ",
    "b b b b b b b b w w w w w w w w ",
    "b b b b b b b b w w w w w w w w ",
    "b b b b b b b b w w w w w w w w ",
    "b b b b b b b b w w w w w w w w ",
    "b b b b b b b b w w w w w w w w ",
    "b b b b b b b b w w w w w w w w ",
    "b b b b b b b b w w w w w w w w ",
    "b b b b b b b b w w w w w w w w ",
    nullptr,
};

struct DemoInfo {
  DemoInfo() {
    APPLICATION_INFO.app_name = "Platform Demo";
    APPLICATION_INFO.credits_at_exit = 0;
    APPLICATION_INFO.icon_xpm = demo_icon;
  }
} demo_info;

const int width = 640, height = 480;
const int strip_length = 16;
unsigned char typed[strip_length];
int typed_count = 0;
INT_S16 last_x = -2, last_y = -2;
bool redraw = true;
bool quit_after_first_step = false;
int steps = 0;
bool refuse_to_quit = false;

void draw() {
  IMAGE* screen = get_screen_image(0);
  if (!screen || !screen->pixels) return;
  const COLOUR quarters[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
  const int w = screen->width, h = screen->height;
  screen->fill_rect(0, 0, w / 2 - 1, h / 2 - 1, &quarters[0], 0);
  screen->fill_rect(w / 2, 0, w - 1, h / 2 - 1, &quarters[1], 0);
  screen->fill_rect(0, h / 2, w / 2 - 1, h - 1, &quarters[2], 0);
  screen->fill_rect(w / 2, h / 2, w - 1, h - 1, &quarters[3], 0);
  for (int i = 0; i < typed_count; ++i) {
    COLOUR shade = 0xFF000000u | (typed[i] * 0x010101u);
    INT_S16 x = static_cast<INT_S16>(8 + i * 12);
    screen->fill_rect(x, static_cast<INT_S16>(h - 16), static_cast<INT_S16>(x + 9), static_cast<INT_S16>(h - 7), &shade, 0);
  }
  if (last_x >= 0 && last_y >= 0) {
    const COLOUR black = 0xFF000000u;
    screen->fill_rect(static_cast<INT_S16>(last_x - 3), static_cast<INT_S16>(last_y - 3),
                      static_cast<INT_S16>(last_x + 3), static_cast<INT_S16>(last_y + 3), &black, 0);
  }
}

}  // namespace

INT_U8 confirm_quit(INT_U32) {
  printf("may-quit\n");
  fflush(stdout);
  return refuse_to_quit ? 0 : 1;
}

void start_installer(INT_S16 argc, char** argv) {
  for (INT_S32 option; (option = get_next_option(argc, argv, "qnc")) != -1;) {
    if (option == 'q') quit_after_first_step = true;
    if (option == 'n') refuse_to_quit = true;
    if (option == 'c') APPLICATION_INFO.credits_at_exit = 1;
  }
  WINDOW_REQUEST request = {"Platform Demo", width, height, 0, 65535, 65535, 65535, 65535, 0};
  if (!open_window(&request, 0)) {
    fprintf(stderr, "platform_demo: cannot open a window on the display\n");
  }
  set_may_quit_callback(confirm_quit);
  printf("started\n");
  fflush(stdout);
}

INT_U8 update_installer() {
  ++steps;
  bool go = !quit_after_first_step;
  INT_S32 key = KEYBOARD::take_key();
  if (key) {
    printf("key %d\n", static_cast<int>(key));
    if (key == 9) go = false;
  }
  while (INT_U8 c = KEYBOARD::pop_char()) {
    printf("char %d\n", c);
    if (typed_count == strip_length) {
      for (int i = 1; i < strip_length; ++i) typed[i - 1] = typed[i];
      --typed_count;
    }
    typed[typed_count++] = c;
    redraw = true;
  }
  if (mouse_state.x != last_x || mouse_state.y != last_y) {
    last_x = mouse_state.x;
    last_y = mouse_state.y;
    printf("pointer %d %d\n", last_x, last_y);
    redraw = true;
  }
  fflush(stdout);
  if (redraw) {
    draw();
    redraw = false;
  }
  swap_screens(-1);
  return go ? 1 : 0;
}

void shutdown_installer() {
  close_window(0);
  printf("ended after %d steps\n", steps);
  fflush(stdout);
}
