// The program entry. Only main lives here, so that programs with a main of
// their own (tests, tools) never pull it in.
#include <signal.h>
#include <unistd.h>

#include "app.h"
#include "clipboard.h"
#include "clock.h"
#include "console.h"
#include "folder.h"
#include "fonts.h"
#include "input.h"
#include "joystick.h"
#include "sound.h"
#include "wm_globals.h"
#include "utilities.h"
#include "window.h"
#include "x11_platform.h"

namespace {

const int kTerminationSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM};

// While the start-up has opened no window but "Please Wait", nothing has
// been done that the user must be asked about: the program ends as one
// without a window does, also while a slow read holds the start-up. Once
// another window is open the request waits for the question, as later on.
void handle_start_up_signal(int signal_number) {
  if (x11.window && x11.window != please_wait_window) {
    handle_signal(signal_number);
    return;
  }
  remove_private_temp_folder();
  _exit(1);
}

void route_termination_signals_for_start_up() {
  for (int s : kTerminationSignals) {
    struct sigaction action = {};
    action.sa_handler = handle_start_up_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(s, &action, nullptr);
  }
}

}  // namespace

int main(int argc, char** argv, char** envp) {
  install_x_error_handler();
  program_argv = argv;
  program_envp = envp;
  // Before the handlers: a request that arrives once they are in place
  // already ends a program without a window.
  end_on_quit_signal_without_window();
  install_signal_handlers();
  route_termination_signals_for_start_up();
  init_fonts();
  start_installer(static_cast<INT_S16>(argc), argv);
  install_signal_handlers();  // from here on a request is a question

  begin_program_frame();
  INT_U8 go = update_installer();
  end_program_frame();
  while (go) {
    consume_quit_signal();
    if (quit_requested) break;
    update_platform();
    begin_program_frame();
    go = update_installer();
    end_program_frame();
  }

  if (platform_shutdown_hook) platform_shutdown_hook();
  shutdown_installer();
  close_window(65535);
  shutdown_fonts();
  stop_sound();
  if (wm_cursor_kind != 255) {
    wm_cursor_kind = 255;
    set_cursor(255, 0);
  }
  close_display();
  if (APPLICATION_INFO.credits_at_exit) show_message_box("Z.O.R.V. Development Libraries", build_about_text(0));
  free_clipboard_text();
  close_joysticks();
  restore_x_error_handler();
  return 0;
}
