// The platform's global state: the X connection record, the quit request and
// its callback, signals, the X error handler, and the globals built before
// main (screen image, KEYBOARD and MOUSE handles).
#include <signal.h>
#include <unistd.h>

#include <X11/Xproto.h>

#include <csignal>
#include <cstdio>

#include "app.h"
#include "folder.h"
#include "fonts.h"
#include "image.h"
#include "input.h"
#include "window.h"
#include "x11_platform.h"

X11_PLATFORM x11;
APPLICATION_INFO_RECORD APPLICATION_INFO = {"", 0, nullptr};
MAY_QUIT_CALLBACK may_quit_callback = nullptr;
INT_U8 quit_requested = 0;
void (*platform_shutdown_hook)() = nullptr;
char** program_argv = nullptr;
char** program_envp = nullptr;
INT_U8 gl_context_mismatch = 0;

// The signal handler touches only these (and reads whether a window exists).
static volatile sig_atomic_t quit_signal_pending = 0;
static volatile sig_atomic_t quit_signal_ends_windowless = 0;

void set_may_quit_callback(MAY_QUIT_CALLBACK callback) { may_quit_callback = callback; }

void ask_may_quit() { quit_requested = (may_quit_callback && may_quit_callback(0)) ? 1 : 0; }

void consume_quit_signal() {
  if (!quit_signal_pending) return;
  quit_signal_pending = 0;
  ask_may_quit();
}

void handle_signal(INT_S32 signal_number) {
  // 1, 2, 3, 13 and 15 are termination requests; everything else (28, the
  // window-size change, included) is ignored. The callback may open a
  // dialog, so it is asked later on the main thread.
  if (!(signal_number > 0 && signal_number < 16 && ((0xA00Eu >> signal_number) & 1u))) return;
  if (quit_signal_ends_windowless && !x11.window) {
    // The immediate end skips every clean-up but this one: nothing of the
    // process (a half-unpacked font) stays in the temporary folder.
    remove_private_temp_folder();
    _exit(1);
  }
  quit_signal_pending = 1;
}

void end_on_quit_signal_without_window() { quit_signal_ends_windowless = 1; }

bool is_display_open() { return x11.display != nullptr; }

static void signal_trampoline(int signal_number) { handle_signal(signal_number); }

void install_signal_handlers() {
  static const int signals[] = {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGWINCH};
  for (int s : signals) {
    struct sigaction action = {};
    action.sa_handler = signal_trampoline;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(s, &action, nullptr);
  }
}

// ---------------------------------------------------------------- X errors

static int (*previous_x_error_handler)(Display*, XErrorEvent*) = nullptr;
static bool x_error_handler_installed = false;

int handle_x_error(Display* display, XErrorEvent* error) {
  // GLX MakeCurrent refused for the window's visual. The extension's request
  // code is the one the server gave GLX, looked up when the display opened.
  if (error->error_code == BadMatch && x11.glx_opcode != 0 && error->request_code == x11.glx_opcode &&
      error->minor_code == 5) {
    gl_context_mismatch = 1;
    fputs("OpenGL Context does not match!", stdout);
    fputs("\n", stdout);
    fflush(stdout);
    return 0;
  }
  if (previous_x_error_handler) return previous_x_error_handler(display, error);
  return 0;
}

void install_x_error_handler() {
  if (x_error_handler_installed) return;
  previous_x_error_handler = XSetErrorHandler(handle_x_error);
  x_error_handler_installed = true;
}

void restore_x_error_handler() {
  if (!x_error_handler_installed) return;
  XSetErrorHandler(previous_x_error_handler);
  previous_x_error_handler = nullptr;
  x_error_handler_installed = false;
}

void disable_font_preload() { font_preload = 0; }
void allow_font_slot_reuse() { font_slot_reuse_forbidden = 0; }

// ---------------------------------------------------------------- globals

static IMAGE& screen_image() {
  static IMAGE image(-1, -1);
  return image;
}

IMAGE* platform_screen_image() { return &screen_image(); }

MOUSE* global_mouse() {
  static MOUSE mouse;
  return &mouse;
}

KEYBOARD* global_keyboard() {
  static KEYBOARD keyboard;
  return &keyboard;
}

void init_platform_globals() {
  screen_image();
  global_mouse();
  global_keyboard();
}

// Built before main, in the order above, whenever the platform layer is part
// of the program.
static const bool platform_globals_built = (init_platform_globals(), true);
