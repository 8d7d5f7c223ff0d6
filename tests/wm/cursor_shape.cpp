// The widgets' pointer-shape request: kept for the frame only when shapes are
// in use, the kind is known and the platform took it; applied at frame end.
#include <vector>

#include "wm_test_env.h"

using namespace wmt;

namespace {

std::vector<std::pair<int, int>> calls;
INT_U8 platform_answer = 1;
INT_U8 recording_cursor(INT_U8 kind, INT_U8 defer) {
  calls.push_back({kind, defer});
  return platform_answer;
}

}  // namespace

TEST(CursorShape, StoredOnlyWhenShapesAreOnAndThePlatformTakesIt) {
  make_screen(64, 48);
  wm_set_cursor_source = recording_cursor;
  PAGE_MANAGER pm(1, -1);
  struct Case {
    INT_U8 shapes_on, kind, platform;
    int stored;  // frame_cursor_kind afterwards, from 0
    size_t calls;
  } cases[] = {
      {1, 1, 1, 1, 1}, {1, 6, 1, 6, 1}, {1, 7, 1, 0, 0},
      {0, 1, 1, 0, 0}, {1, 2, 0, 0, 1},
  };
  for (const Case& c : cases) {
    calls.clear();
    wm_use_cursor_shapes = c.shapes_on;
    platform_answer = c.platform;
    pm.frame_cursor_kind = 0;
    pm.set_cursor_shape(c.kind);
    EXPECT_EQ(pm.frame_cursor_kind, c.stored) << int(c.kind);
    ASSERT_EQ(calls.size(), c.calls) << int(c.kind);
    if (c.calls) EXPECT_EQ(calls[0], std::make_pair(int(c.kind), 1));  // deferred
  }
  wm_set_cursor_source = nullptr;
}
