#include "joystick.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/joystick.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

const char* joystick_device_patterns[2] = {"/dev/js%d", "/dev/djs%d"};

namespace {

INT_S32 joystick_handles[2] = {-1, -1};

int open_device(const char* pattern, int index) {
  char path[256];
  std::snprintf(path, sizeof path, pattern ? pattern : "", index);
  return open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

// The handle of joystick 1 or 2, opened on first use; -1 otherwise.
int joystick_handle(const JOYSTICK_STATE* state) {
  if (!state || (state->number != 1 && state->number != 2)) return -1;
  INT_S32& handle = joystick_handles[state->number - 1];
  if (handle == -1) handle = find_joystick(state->number);
  return handle;
}

}  // namespace

INT_S32 find_joystick(INT_S32 n) {
  if (n < 1) return -1;
  INT_S32 found = 0;
  for (const char* pattern : joystick_device_patterns) {
    for (int index = 0;; index++) {
      int fd = open_device(pattern, index);
      if (fd < 0) break;
      if (++found == n) return fd;
      close(fd);
    }
  }
  return -1;
}

bool read_joystick(JOYSTICK_STATE* state) {
  int fd = joystick_handle(state);
  if (fd < 0) return false;
  for (;;) {
    struct js_event event;
    ssize_t got = read(fd, &event, sizeof event);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno != EAGAIN) {
      // The device went away: forget it so that a later call looks again,
      // and do not report stale state as fresh.
      close(fd);
      joystick_handles[state->number - 1] = -1;
      return false;
    }
    if (got != static_cast<ssize_t>(sizeof event)) break;
    switch (event.type & ~JS_EVENT_INIT) {
      case JS_EVENT_BUTTON:
        // The mask has 32 bits; higher button numbers have no bit.
        if (event.number < 32) {
          INT_U32 bit = 1u << event.number;
          if (event.value)
            state->buttons |= bit;
          else
            state->buttons &= ~bit;
        }
        break;
      case JS_EVENT_AXIS:
        if (event.number < 6) state->axis[event.number] = event.value;
        break;
      default:
        break;
    }
  }
  state->changed = 0;
  return true;
}

bool get_joystick_caps(JOYSTICK_STATE* state, JOYSTICK_CAPS* caps) {
  if (!caps) return false;
  int fd = joystick_handle(state);
  if (fd < 0) return false;
  unsigned char buttons = 0, axes = 0;
  if (ioctl(fd, JSIOCGBUTTONS, &buttons) < 0) buttons = 0;
  if (ioctl(fd, JSIOCGAXES, &axes) < 0) axes = 0;
  caps->button_count = buttons;
  for (auto& range : caps->axis_range) {
    range[0] = -32767;
    range[1] = 32767;
  }
  caps->axis_flags[0] = caps->axis_flags[1] = axes > 1;
  caps->axis_flags[2] = caps->axis_flags[3] = axes > 2;
  caps->reserved = 0;
  return true;
}

void close_joysticks() {
  for (INT_S32& handle : joystick_handles) {
    if (handle != -1) close(handle);
    handle = -1;
  }
}
