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
    if (c.calls) {
      EXPECT_EQ(calls[0], std::make_pair(int(c.kind), 1));  // deferred
    }
  }
  wm_set_cursor_source = nullptr;
}

namespace {

// A page object that asks for a pointer shape during its input pass.
struct SHAPE_ASKER : WM_SCREEN_OBJECT {
  SHAPE_ASKER() : WM_SCREEN_OBJECT(1, nullptr, 0, 0) {}
  INT_S32 handle_input() override {
    if (kind_wanted <= 6) wm_page_manager->set_cursor_shape(kind_wanted);
    return 0;
  }
  INT_U8 kind_wanted = 255;
};
SHAPE_ASKER* asker = nullptr;
void build_asker(PAGE_MANAGER* pm) {
  asker = new SHAPE_ASKER();
  pm->current_manager->add_child(asker, 0);
}

}  // namespace

TEST(CursorShape, AskedForEachFrameAndAppliedAtItsEnd) {
  make_screen(64, 48);
  wm_set_cursor_source = recording_cursor;
  platform_answer = 1;
  wm_use_cursor_shapes = 1;
  PAGE_MANAGER pm(1, -1);
  pm.request_page(0, build_asker, nullptr, 0, nullptr, 0, 0, nullptr);
  pm.update(0);
  ASSERT_NE(asker, nullptr);
  calls.clear();
  asker->kind_wanted = 3;
  pm.update(0);
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{3, 1}, {3, 0}}));
  EXPECT_EQ(wm_cursor_kind, 3);
  // Not asked again: the frame falls back to the normal shape.
  calls.clear();
  asker->kind_wanted = 255;
  pm.update(0);
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 0}}));
  EXPECT_EQ(wm_cursor_kind, 0);
  wm_set_cursor_source = nullptr;
}
