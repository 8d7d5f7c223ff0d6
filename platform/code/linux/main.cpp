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
#include "joystick.h"
#include "sound.h"
#include "wm_globals.h"
#include "utilities.h"
#include "window.h"
#include "x11_platform.h"

namespace {

const int kTerminationSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM};

// Ends the program as one without a window does.
void end_start_up(int) {
  remove_private_temp_folder();
  _exit(1);
}

void end_start_up_on_termination_signals() {
  for (int s : kTerminationSignals) {
    struct sigaction action = {};
    action.sa_handler = end_start_up;
    sigfillset(&action.sa_mask);
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
  // Until the start-up has opened the first page window nothing has been
  // installed, so there is nothing to ask the user about: a termination
  // signal ends the program at once, also while the "Please Wait" window
  // stands over a slow read.
  end_start_up_on_termination_signals();
  init_fonts();
  start_installer(static_cast<INT_S16>(argc), argv);
  install_signal_handlers();

  INT_U8 go = update_installer();
  while (go) {
    consume_quit_signal();
    if (quit_requested) break;
    update_platform();
    go = update_installer();
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
