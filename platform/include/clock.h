// The millisecond clock, sleeping, and the per-frame platform pump with its
// idle wait.
#ifndef ZORV_CLOCK_H
#define ZORV_CLOCK_H

#include "zorv_types.h"

// Milliseconds since an arbitrary origin; wraps at 2^32. Only differences
// between two readings mean anything: compute them in unsigned arithmetic.
INT_U32 get_time_ms();
// The conversion behind get_time_ms, exposed for its tests: clock ticks at the
// given rate to wrapped milliseconds, exact over the whole 64-bit tick range.
INT_U32 ticks_to_ms(INT_U64 ticks, INT_U64 ticks_per_second);
// Seam for tests that need a clock of their own; null = the real clock. The
// program never sets it.
extern INT_U32 (*time_ms_source)();

void sleep_ms(INT_U32 ms);
void sleep_seconds(INT_U32 seconds);

// Longest wait of a frame in which nothing happened (default 50; 0 = never).
INT_U32 get_idle_wait();
void set_idle_wait(INT_U32 ms);

// Set by anything that changed the screen or moved data since the last frame
// (presentation, cursor changes, pointer warps, socket traffic); while it is
// set the next frame does not wait. Cleared at the end of every frame that
// had a window.
extern INT_U8 frame_activity;

// One platform frame: queued application events, every pending X event into
// the input state, the idle wait, the key map, the sound update.
void update_platform();

#endif
