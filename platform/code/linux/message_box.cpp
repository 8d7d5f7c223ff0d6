#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>

#include <string>

#include "clock.h"
#include "console.h"
#include "folder.h"
#include "joystick.h"
#include "sound.h"
#include "utilities.h"
#include "window.h"
#include "x11_platform.h"

const char* message_box_preferred_program = "/usr/X11R6/bin/gmessage";

void print_text(const char* text) {
  if (text) printf("%s", text);
  fflush(nullptr);
}

static bool can_read(const char* path) {
  if (!path) return false;
  FILE* f = fopen(path, "r");
  if (!f) return false;
  fclose(f);
  return true;
}

static bool ends_in_mark(const char* title) {
  const size_t n = strlen(title);
  return n > 0 && strchr("!?.:", title[n - 1]) != nullptr;
}

void show_message_box(const char* title, const char* text) {
  if (!title || !text) return;
  std::string program = can_read(message_box_preferred_program)
                            ? shell_quote(message_box_preferred_program) + " -center"
                            : std::string("xmessage");
  // The title heads the box followed by a colon, unless it ends in a mark of
  // its own: "...found!:" would read as a stray mark.
  std::string message = std::string(title) + (ends_in_mark(title) ? "\n\n" : ":\n\n") + text;
  std::string command =
      program + " -buttons \"OK\":2 " + shell_quote(message.c_str()) + " >/dev/null 2>&1";
  // The window is not repainted while the box is up: a frame waiting for its
  // turn goes out first.
  present_frame_before_blocking();
  const bool grabbed = is_full_screen();
  if (grabbed) {
    // The message program cannot take the input while the window holds it.
    release_input_grabs();
    update_platform();
  }
  fflush(nullptr);
  int result = system(command.c_str());
  // The box is gone: the full-screen window takes its input back, or the
  // pointer could leave it (and pan the screen) for the rest of the run.
  if (grabbed && is_full_screen()) grab_input();
  int status = result == -1 ? 127 : (WIFEXITED(result) ? WEXITSTATUS(result) : 0);
  if (status != 1 && status != 127) return;
  printf("\n*\n*\t%s\n*\n*\t%s\n*\n*  Press Return\n*\n", title, text);
  fflush(nullptr);
  getchar();
}

void fatal_exit(const char* text) {
  // A teardown step that itself fails fatally must not start the teardown
  // again.
  static bool exiting = false;
  if (!exiting) {
    exiting = true;
    close_window(65535);
    stop_sound();
    close_display();
    close_joysticks();
    remove_private_temp_folder();
  }
  if (text) printf("\nError, unable to continue...\n\n%s\n\n", text);
  fflush(nullptr);
  exit(-1);
}
