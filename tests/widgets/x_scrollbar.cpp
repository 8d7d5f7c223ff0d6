// A text window's scrollbar under a real X server, driven with xdotool: the
// wheel turned over it, then its slider dragged past the top of the track.
#include "widget_demo_x.h"

using namespace wdx;

namespace {

const uint32_t kSlider = 0x3070C0;

// Takes "scroll" lines until one shows `value`.
bool wait_scroll(Demo& demo, int value, std::vector<int>* last) {
  while (demo.numbers("scroll", last, 5000))
    if (last->at(0) == value) return true;
  return false;
}

class XScrollbar : public DemoTest {};

}  // namespace

TEST_F(XScrollbar, WheelThenDragPastTheTop) {
  ASSERT_NO_FATAL_FAILURE(start("scrollbar"));
  Demo& demo = *demo_;
  std::vector<int> bar, scroll;
  ASSERT_TRUE(demo.numbers("bar", &bar));
  ASSERT_TRUE(wait_scroll(demo, 0, &scroll));  // following the newest line: value 0
  const int max = scroll.at(2);
  ASSERT_GT(max, 10);
  const int cx = bar[0] + bar[2] / 2, slider = bar[4];

  // Three notches up over the bar, each a press and release of button 4.
  ASSERT_TRUE(move(id_, cx, bar[1] + bar[3] / 2));
  usleep(200000);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(zt::xdotool("click 4"));
    usleep(100000);
  }
  ASSERT_TRUE(wait_scroll(demo, 3, &scroll));

  // Drag the slider from its middle to above the bar: it snaps to the top,
  // which is the maximum of a vertical bar.
  const int grab_y = scroll.at(1) + slider / 2;
  ASSERT_TRUE(move(id_, cx, grab_y) && zt::xdotool("mousedown 1"));
  usleep(150000);
  ASSERT_TRUE(move(id_, cx, (bar[1] + grab_y) / 2));
  usleep(150000);
  ASSERT_TRUE(move(id_, cx, bar[1] - 15));
  usleep(150000);
  ASSERT_TRUE(zt::xdotool("mouseup 1"));
  ASSERT_TRUE(wait_scroll(demo, max, &scroll));
  // The slider now stands at the top of the track, below the more button.
  const int top = scroll.at(1);
  EXPECT_TRUE(eventually([&] { return pixel(cx, top + slider / 2) == kSlider; }))
      << std::hex << pixel(cx, top + slider / 2);
}
