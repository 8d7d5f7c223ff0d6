// Up to two joysticks read through the Linux joystick devices.
#ifndef ZORV_JOYSTICK_H
#define ZORV_JOYSTICK_H

#include "zorv_types.h"

struct JOYSTICK_STATE {
  INT_U32 buttons;    // bit n = button n held
  INT_S32 axis[6];    // raw device values, -32767..32767
  INT_U16 changed;    // cleared after every read
  INT_U16 number;     // 1 or 2
};

struct JOYSTICK_CAPS {
  INT_S16 button_count;
  INT_S32 axis_range[6][2];  // minimum, maximum
  INT_U8 axis_flags[4];      // x/y present (more than one axis), then z/r (more than two)
  INT_U8 reserved;
};

// Device name patterns, each with one "%d": the first family is counted from
// 0 until one fails to open, then the second. Tests point them elsewhere.
extern const char* joystick_device_patterns[2];

// Descriptor of the n-th joystick device (n from 1), opened read-only and
// non-blocking; -1 when there is none.
INT_S32 find_joystick(INT_S32 n);
// Applies every pending event of the state's joystick; 0 when it has none.
bool read_joystick(JOYSTICK_STATE* state);
bool get_joystick_caps(JOYSTICK_STATE* state, JOYSTICK_CAPS* caps);
// Closes the two device handles that are open (program end, fatal exit).
void close_joysticks();

#endif
