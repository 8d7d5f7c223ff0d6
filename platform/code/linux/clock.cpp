// Millisecond clock, sleeping and the idle-wait setting.
#include "clock.h"

#include <sys/times.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "window.h"

INT_U32 (*time_ms_source)() = nullptr;
INT_U8 frame_activity = 0;

static INT_U32 idle_wait_ms = 50;

INT_U32 ticks_to_ms(INT_U64 ticks, INT_U64 ticks_per_second) {
  if (ticks_per_second == 0) return 0;
  // Whole seconds and the remainder separately, so the product never leaves
  // 64 bits; the result wraps to 32 bits only at the very end.
  INT_U64 ms = (ticks / ticks_per_second) * 1000u + (ticks % ticks_per_second) * 1000u / ticks_per_second;
  return static_cast<INT_U32>(ms);
}

INT_U32 get_time_ms() {
  if (time_ms_source) return time_ms_source();
  struct tms unused;
  clock_t ticks = times(&unused);
  long rate = sysconf(_SC_CLK_TCK);
  if (rate <= 0) rate = 100;
  return ticks_to_ms(static_cast<INT_U64>(ticks), static_cast<INT_U64>(rate));
}

// Sleeps the whole span even when a signal arrives in between.
static void sleep_span(time_t seconds, long nanoseconds) {
  timespec want = {seconds, nanoseconds};
  timespec left;
  while (nanosleep(&want, &left) != 0 && errno == EINTR) want = left;
}

void sleep_ms(INT_U32 ms) {
  sleep_span(static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L);
}

void sleep_seconds(INT_U32 seconds) { sleep_span(static_cast<time_t>(seconds), 0); }

INT_U32 get_idle_wait() { return idle_wait_ms; }
void set_idle_wait(INT_U32 ms) {
  // Waiting again after working flat out (an installation run ends): the
  // last frame asked for is shown before the program rests.
  if (idle_wait_ms == 0 && ms != 0) present_pending_frame();
  idle_wait_ms = ms;
}
