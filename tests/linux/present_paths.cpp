// Every way a frame reaches the server (the screen pixels living in a shared
// segment, a copy converted into one, the screen pixels lent to the XImage, a
// converted copy) shows the same pixels, on Xvfb and on Xorg with the dummy
// driver, at depths 24 and 16, before and after a resize.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "image.h"
#include "test_support.h"
#include "window.h"
#include "x_helpers.h"
#include "x11_platform.h"

namespace {

const INT_U16 NO = 65535;

COLOUR pattern(int x, int y, int seed) {
  return 0xFF000000u | (static_cast<COLOUR>((x * 7 + y + seed) & 0xFF) << 16) |
         (static_cast<COLOUR>((y * 5 + x * 3) & 0xFF) << 8) | static_cast<COLOUR>((x ^ y ^ seed) & 0xFF);
}

// Paints, presents and reads the window back; the number of wrong pixels.
int present_and_compare(zt::XProbe& probe, int depth, int seed) {
  IMAGE* s = get_screen_image(0);
  for (int y = 0; y < s->height; ++y)
    for (int x = 0; x < s->width; ++x)
      // The alpha byte varies too: the server must never see it.
      s->pixels[y * s->pitch + x] = (pattern(x, y, seed) & 0x00FFFFFFu) | (static_cast<COLOUR>(x * 37) << 24);
  s->add_dirty_rect(0, 0, static_cast<INT_S16>(s->width - 1), static_cast<INT_S16>(s->height - 1));
  swap_screens(-1);
  const std::vector<uint32_t> got = probe.read_pixels(x11.window, 0, 0, s->width, s->height);
  if (got.size() != static_cast<size_t>(s->width) * s->height) return -1;
  int wrong = 0;
  for (int y = 0; y < s->height; ++y)
    for (int x = 0; x < s->width; ++x) {
      COLOUR want = pattern(x, y, seed) & 0x00FFFFFFu;
      if (depth == 16) want &= 0x00F8FCF8u;  // 5, 6 and 5 bits kept
      if (got[y * s->width + x] != want && wrong++ < 3)
        ADD_FAILURE() << "pixel " << x << "," << y << " " << std::hex << got[y * s->width + x] << " != " << want;
    }
  return wrong;
}

struct Case {
  bool xorg;
  int depth;
};

class PresentPaths : public ::testing::TestWithParam<Case> {};

TEST_P(PresentPaths, EveryPathShowsTheSamePixelsAcrossAResize) {
  const Case c = GetParam();
  std::unique_ptr<zt::XServer> server = c.xorg ? zt::start_xorg_dummy(c.depth) : zt::start_checked_xvfb(1024, 768, c.depth);
  if (!server && c.xorg) {
    GTEST_SKIP() << "Xorg with the dummy driver cannot run here";
  }
  ASSERT_TRUE(server);
  zt::XProbe probe;
  ASSERT_TRUE(probe.ok());
  int opcode, event, error;
  const bool has_shm = XQueryExtension(probe.display(), "MIT-SHM", &opcode, &event, &error);
  if (!c.xorg) {
    EXPECT_TRUE(has_shm);  // Xvfb here has it
  }
  for (INT_U8 shared : {1, 0}) {
    x11_shared_memory_allowed = shared;
    const std::string expected = shared && has_shm ? (c.depth == 24 ? "segment" : "shared")
                                                   : c.depth == 24 ? "borrowed" : "copied";
    // On the segment path the screen image draws straight into what the
    // server reads: nothing is copied before a present.
    auto drawn_in_place = [&] {
      return expected != "segment" || reinterpret_cast<char*>(get_screen_image(0)->pixels) == x11.ximage->data;
    };
    WINDOW_REQUEST r{"Paths", 203, 97, 0, NO, NO, NO, NO, 0};  // odd width: the pitch is wider
    ASSERT_TRUE(open_window(&r, 0));
    zt::pump_until([] { return false; }, 100);
    EXPECT_EQ(x11_presentation_kind(), expected);
    EXPECT_TRUE(drawn_in_place());
    EXPECT_EQ(present_and_compare(probe, c.depth, 1), 0) << expected;
    r.width = 150;
    r.height = 121;
    ASSERT_TRUE(open_window(&r, 0));
    zt::pump_until([] { return false; }, 100);
    EXPECT_EQ(x11_presentation_kind(), expected);
    EXPECT_TRUE(drawn_in_place());
    EXPECT_EQ(present_and_compare(probe, c.depth, 2), 0) << expected << " after the resize";
    EXPECT_EQ(present_and_compare(probe, c.depth, 3), 0) << expected << " a second frame";
    close_window(65535);
    EXPECT_STREQ(x11_presentation_kind(), "none");
  }
  x11_shared_memory_allowed = 1;
  close_display();
}

// The connection closed under an open window takes the shared segment with
// it; the next window, on a new connection, gets one of its own.
TEST(PresentPathsReconnect, ClosingTheDisplayUnderASharedWindowThenOpeningAgain) {
  std::unique_ptr<zt::XServer> server = zt::start_checked_xvfb(1024, 768, 24);
  ASSERT_TRUE(server);
  zt::XProbe probe;
  ASSERT_TRUE(probe.ok());
  WINDOW_REQUEST r{"Again", 64, 48, 0, NO, NO, NO, NO, 0};
  ASSERT_TRUE(open_window(&r, 0));
  EXPECT_STREQ(x11_presentation_kind(), "segment");
  close_display();
  EXPECT_STREQ(x11_presentation_kind(), "none");
  ASSERT_TRUE(open_window(&r, 0));
  zt::pump_until([] { return false; }, 100);
  EXPECT_STREQ(x11_presentation_kind(), "segment");
  EXPECT_EQ(present_and_compare(probe, 24, 4), 0);
  close_window(65535);
  close_display();
}

// Shared segments of a process, from the system's table.
int segments_made_by(pid_t pid) {
  std::ifstream table("/proc/sysvipc/shm");
  std::string line;
  std::getline(table, line);  // the heading
  int count = 0;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    long key, id, perms, size, creator;
    if (fields >> key >> id >> perms >> size >> creator && creator == pid) ++count;
  }
  return count;
}

// A program that ends (exit, static destructors) with its window open and
// the screen image's pixels in a segment: it neither crashes nor leaves the
// segment behind.
TEST(PresentPathsExit, EndingTheProgramWithTheWindowOpen) {
  std::unique_ptr<zt::XServer> server = zt::start_checked_xvfb(1024, 768, 24);
  ASSERT_TRUE(server);
  zt::XProbe probe;
  ASSERT_TRUE(probe.ok());
  const zt::ChildResult child = zt::run_in_child([] {
    WINDOW_REQUEST r{"Ending", 203, 97, 0, NO, NO, NO, NO, 0};
    if (!open_window(&r, 0)) return;
    COLOUR c = 0xFF336699u;
    get_screen_image(0)->clear(&c, 1);
    swap_screens(-1);
    printf("%s %d %d\n", x11_presentation_kind(), static_cast<int>(getpid()), segments_made_by(getpid()));
    fflush(stdout);
    exit(0);
  });
  EXPECT_EQ(child.status, 0) << child.err;
  EXPECT_EQ(child.err, "");
  int pid = 0, segments = 0;
  char kind[16] = {0};
  ASSERT_EQ(sscanf(child.out.c_str(), "%15s %d %d", kind, &pid, &segments), 3) << child.out;
  EXPECT_STREQ(kind, "segment");
  EXPECT_EQ(segments, 1);
  // The server lets go of it when it sees the connection closed.
  EXPECT_TRUE(zt::pump_until([pid] { return segments_made_by(pid) == 0; }, 10000));
}

INSTANTIATE_TEST_SUITE_P(Servers, PresentPaths,
                         ::testing::Values(Case{false, 24}, Case{false, 16}, Case{true, 24}, Case{true, 16}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.xorg ? "XorgDummy" : "Xvfb") +
                                  std::to_string(info.param.depth);
                         });

}  // namespace
