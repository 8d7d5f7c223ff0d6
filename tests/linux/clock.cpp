// The millisecond clock, sleeping and the idle-wait setting (headless).
#include <gtest/gtest.h>

#include <chrono>

#include "clock.h"

TEST(Clock, TicksConvertThroughSixtyFourBits) {
  struct Case {
    uint64_t ticks, rate;
    uint32_t ms;
  } cases[] = {
      {0, 100, 0},
      {1, 100, 10},
      {123, 100, 1230},
      {1, 60, 16},                               // truncated, not rounded
      {59, 60, 983},
      {999, 1000, 999},
      // 49.7 days at 100 ticks a second is 2^32 ms: the value wraps to 0
      // instead of being undefined.
      {429496729ull * 1 + 0, 100, 4294967290u},
      {429496730ull, 100, 4},                     // 4294967300 ms wraps to 4
      {100ull * 86400 * 50, 100, 25032704u},      // 50 days of uptime
      {0xFFFFFFFFFFFFFFFFull, 100, static_cast<uint32_t>((0xFFFFFFFFFFFFFFFFull / 100) * 1000 + 150)},
      {5, 0, 0},                                  // no tick rate: no time
  };
  for (const Case& c : cases) EXPECT_EQ(ticks_to_ms(c.ticks, c.rate), c.ms) << c.ticks << " at " << c.rate;
}

TEST(Clock, DifferencesFollowTheWallClock) {
  uint32_t a = get_time_ms();
  auto t0 = std::chrono::steady_clock::now();
  sleep_ms(120);
  uint32_t b = get_time_ms();
  auto real = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  uint32_t d = b - a;  // unsigned: right across a wrap too
  EXPECT_GE(real, 120);
  EXPECT_GE(d + 20, 120u);   // the clock ticks in 10 ms steps
  EXPECT_LE(d, static_cast<uint32_t>(real) + 30);
}

TEST(Clock, SleepSecondsAndMillisecondsAboveOneSecond) {
  auto t0 = std::chrono::steady_clock::now();
  sleep_ms(1050);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_GE(ms, 1050);
  EXPECT_LT(ms, 1600);
  t0 = std::chrono::steady_clock::now();
  sleep_seconds(1);
  ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_GE(ms, 1000);
  EXPECT_LT(ms, 1600);
}

static uint32_t fixed_clock() { return 4242; }

TEST(Clock, SeamReplacesTheClock) {
  time_ms_source = fixed_clock;
  EXPECT_EQ(get_time_ms(), 4242u);
  time_ms_source = nullptr;
  EXPECT_NE(get_time_ms(), 4242u);
}

TEST(Clock, IdleWaitDefaultsToFiftyAndIsSettable) {
  EXPECT_EQ(get_idle_wait(), 50u);
  set_idle_wait(0);
  EXPECT_EQ(get_idle_wait(), 0u);
  set_idle_wait(1500);
  EXPECT_EQ(get_idle_wait(), 1500u);
}

TEST(Clock, PumpWithoutWindowDeliversApplicationEventsOnly) {
  // No display: the frame returns at once, whatever the idle wait.
  set_idle_wait(1000);
  auto t0 = std::chrono::steady_clock::now();
  update_platform();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_LT(ms, 200);
}
