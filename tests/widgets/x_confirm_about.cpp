// The confirmation box, the check box and the about box under a real X
// server: widget_demo's scenes driven with xdotool and read back.
#include "widget_demo_x.h"

using namespace wdx;

namespace {

const uint32_t kBackground = 0x202020;

class XConfirmAbout : public DemoTest {};

}  // namespace

// A press on the message's scrollbar track pages it; No closes the box;
// two clicks on the check box tick and untick it.
TEST_F(XConfirmAbout, ConfirmBoxTrackNoAndCheckBox) {
  start("confirm");
  std::vector<int> box, track, no, check, scroll;
  ASSERT_TRUE(demo_->numbers("box", &box));
  ASSERT_TRUE(demo_->numbers("track", &track));
  ASSERT_TRUE(demo_->numbers("no", &no));
  ASSERT_TRUE(demo_->numbers("check", &check));
  ASSERT_TRUE(demo_->numbers("scroll", &scroll));
  const int top = scroll.at(0);
  ASSERT_GT(top, 0);  // the message overflows and shows its first line
  const std::vector<int> message = {box[0] + 20, box[1] + 30, box[2] - 60, 40};
  const std::vector<uint32_t> first_page = area(message);

  // The text window's track steps a line; held past the repeat delay it
  // goes on stepping.
  ASSERT_TRUE(click(id_, track[0], track[1], 900));
  EXPECT_TRUE(eventually([&] {
    while (demo_->numbers("scroll", &scroll, 0)) {
    }
    return scroll.at(0) < top - 2;
  })) << scroll.at(0) << " from " << top;
  EXPECT_TRUE(eventually([&] { return area(message) != first_page; }));

  const std::vector<int> check_box = {check[0] - 4, check[1] - 4, 9, 9};
  const std::vector<uint32_t> unticked = area(check_box);

  ASSERT_TRUE(click(id_, no[0], no[1]));
  ASSERT_TRUE(demo_->numbers("answer", &scroll));
  EXPECT_EQ(scroll.at(0), 0);
  ASSERT_TRUE(demo_->numbers("closed"));
  EXPECT_TRUE(eventually([&] { return pixel(box[0] + box[2] / 2, box[1] + 20) == kBackground; }))
      << std::hex << pixel(box[0] + box[2] / 2, box[1] + 20);

  ASSERT_TRUE(click(id_, check[0], check[1]));
  ASSERT_TRUE(demo_->numbers("check", &scroll));
  EXPECT_EQ(scroll.at(0), 1);
  EXPECT_TRUE(eventually([&] { return area(check_box) != unticked; }));
  ASSERT_TRUE(click(id_, check[0], check[1]));
  ASSERT_TRUE(demo_->numbers("check", &scroll));
  EXPECT_EQ(scroll.at(0), 0);
  EXPECT_TRUE(eventually([&] { return area(check_box) == unticked; }));
}

// "Close" closes the about box.
TEST_F(XConfirmAbout, AboutBoxCloses) {
  start("about");
  std::vector<int> box, close;
  ASSERT_TRUE(demo_->numbers("box", &box));
  ASSERT_TRUE(demo_->numbers("close", &close));
  const int px = box[0] + box[2] / 2, py = box[1] + 4;
  EXPECT_NE(pixel(px, py), kBackground);
  ASSERT_TRUE(click(id_, close[0], close[1]));
  ASSERT_TRUE(demo_->numbers("closed"));
  EXPECT_TRUE(eventually([&] { return pixel(px, py) == kBackground; }))
      << std::hex << pixel(px, py);
}
