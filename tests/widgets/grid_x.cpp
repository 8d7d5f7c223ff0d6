// The grid under a real X server: widget_demo's "grid" scene, a grid of
// button cells overflowing its area, scrolled with the wheel, clicked, and
// walked with Tab and Down as a person would; pixels read back.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>

#include "test_support.h"
#include "x_helpers.h"

namespace {

const uint32_t kFace = 0xC0C0C0, kGridBack = 0x304060;
// The scene's grid: at (20, 20), 200 x 120, rows of 28 with 2 pixels below.
const int kGridX = 20, kGridY = 20, kPitch = 30, kRowHeight = 28;
const int kWheelStep = kRowHeight / 2;

// widget_demo with its standard output collected line by line.
class Demo {
 public:
  explicit Demo(const char* scene) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], 1);
      close(fds[0]);
      close(fds[1]);
      execl(ZORV_BUILD_DIR "/widget_demo", "widget_demo", scene, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    out_ = fds[0];
  }
  ~Demo() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }
  // Waits until the output holds the line.
  bool said(const std::string& line, int timeout_ms = 10000) {
    for (int waited = 0; text_.find(line + "\n") == std::string::npos; waited += 50) {
      if (waited >= timeout_ms) return false;
      pollfd p = {out_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      char buf[256];
      const ssize_t n = read(out_, buf, sizeof buf);
      if (n <= 0) return false;
      text_.append(buf, static_cast<size_t>(n));
    }
    return true;
  }
  const std::string& text() const { return text_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string text_;
};

// A frame drains every queued X event before widgets look, so a press and
// its release stay apart for a few frames, as a person's do.
const useconds_t kHold = 150000;

bool click(const std::string& window, int x, int y) {
  if (!zt::xdotool("mousemove --sync --window " + window + " " + std::to_string(x) + " " +
                   std::to_string(y) + " mousedown 1"))
    return false;
  usleep(kHold);
  return zt::xdotool("mouseup 1");
}

bool key(const std::string& name) {
  if (!zt::xdotool("keydown " + name)) return false;
  usleep(kHold);
  return zt::xdotool("keyup " + name);
}

bool eventually(const std::function<bool()>& pred, int timeout_ms = 3000) {
  for (int waited = 0; waited < timeout_ms; waited += 20) {
    if (pred()) return true;
    usleep(20000);
  }
  return pred();
}

}  // namespace

TEST(XGrid, WheelClickTabAndDown) {
  std::unique_ptr<zt::XServer> server = zt::start_checked_xvfb(640, 480, 24);
  ASSERT_TRUE(server);
  server->use();
  zt::XProbe probe;
  ASSERT_TRUE(probe.ok());
  Demo demo("grid");
  ASSERT_TRUE(demo.said("ready")) << demo.text();
  ASSERT_TRUE(demo.said("grid 20 20 200 120 pitch 30")) << demo.text();
  std::vector<Window> windows;
  ASSERT_TRUE(eventually([&] {
    windows = probe.find_windows("widget demo");
    return !windows.empty();
  }));
  const Window w = windows[0];
  const std::string id = std::to_string(w);
  ASSERT_TRUE(zt::xdotool("windowfocus --sync " + id));
  EXPECT_TRUE(demo.said("focus 0")) << demo.text();  // the first cell, given on show

  // Row 0's face at the top, the spacing below it in the grid's colour.
  EXPECT_TRUE(eventually([&] { return probe.pixel(w, kGridX + 4, kGridY + 4) == kFace; }))
      << std::hex << probe.pixel(w, kGridX + 4, kGridY + 4);
  EXPECT_EQ(probe.pixel(w, kGridX + 4, kGridY + kRowHeight), kGridBack);

  // The pointer rests over the grid for a few frames first: notches that
  // come with the move itself are dropped when the grid takes the wheel.
  ASSERT_TRUE(zt::xdotool("mousemove --sync --window " + id + " 100 80"));
  usleep(kHold);
  ASSERT_TRUE(zt::xdotool("click 5"));
  EXPECT_TRUE(demo.said("scroll " + std::to_string(kWheelStep))) << demo.text();
  ASSERT_TRUE(zt::xdotool("click 5"));
  EXPECT_TRUE(demo.said("scroll " + std::to_string(2 * kWheelStep))) << demo.text();
  EXPECT_TRUE(demo.said("focus 1")) << demo.text();  // row 0 went partly out of view
  const int pos = 2 * kWheelStep;
  // Row 1 now starts 2 pixels down; above it, row 0's spacing.
  EXPECT_TRUE(eventually([&] {
    return probe.pixel(w, kGridX + 4, kGridY + kPitch - pos - 1) == kGridBack &&
           probe.pixel(w, kGridX + 4, kGridY + kPitch - pos + 4) == kFace;
  })) << std::hex << probe.pixel(w, kGridX + 4, kGridY + kPitch - pos + 4);

  // A click on row 2 prints its command and gives it the focus.
  ASSERT_TRUE(click(id, 60, kGridY + 2 * kPitch - pos + kRowHeight / 2));
  EXPECT_TRUE(demo.said("command 2")) << demo.text();
  EXPECT_TRUE(demo.said("focus 2")) << demo.text();

  // Tab and Down move the focus on; Down past the view scrolls by a row.
  ASSERT_TRUE(key("Tab"));
  EXPECT_TRUE(demo.said("focus 3")) << demo.text();
  ASSERT_TRUE(key("Down"));
  EXPECT_TRUE(demo.said("focus 4")) << demo.text();
  ASSERT_TRUE(key("Down"));
  EXPECT_TRUE(demo.said("focus 5")) << demo.text();
  EXPECT_TRUE(demo.said("scroll " + std::to_string(pos + kPitch))) << demo.text();
  EXPECT_EQ(demo.text().find("command 3"), std::string::npos);
}
