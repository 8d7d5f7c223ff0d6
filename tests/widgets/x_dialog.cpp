// A dialog under a real X server: widget_demo's "dialog" scene, driven with
// the pointer and the keyboard as a person would, its pixels read back.
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

const uint32_t kFrame = 0xC0C0C0, kCaption = 0xFF0000, kBackground = 0x202020;
// The scene's dialog, 240 x 150, centred in the 400 x 300 window.
const int kDialogX = 80, kDialogY = 75;
// Button centres: the three sit at the client area's bottom right.
const int kButtonY = 204, kNextX = 207;

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
    if (pid_ > 0 && status_ < 0) {
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
  int wait_exit(int timeout_ms = 5000) {
    for (int waited = 0; waited < timeout_ms; waited += 10) {
      int st = 0;
      if (waitpid(pid_, &st, WNOHANG) == pid_) {
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        return status_;
      }
      usleep(10000);
    }
    return -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
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

TEST(XDialog, ClickNextThenTabAndReturnQuit) {
  std::unique_ptr<zt::XServer> server = zt::start_checked_xvfb(640, 480, 24);
  ASSERT_TRUE(server);
  server->use();
  zt::XProbe probe;
  ASSERT_TRUE(probe.ok());
  Demo demo("dialog");
  ASSERT_TRUE(demo.said("ready")) << demo.text();
  std::vector<Window> windows;
  ASSERT_TRUE(eventually([&] {
    windows = probe.find_windows("widget demo");
    return !windows.empty();
  }));
  const Window w = windows[0];
  const std::string id = std::to_string(w);
  ASSERT_TRUE(zt::xdotool("windowfocus --sync " + id));

  // Frame, caption and button face, read back from the window.
  EXPECT_TRUE(eventually([&] { return probe.pixel(w, kDialogX + 4, 185) == kFrame; }))
      << std::hex << probe.pixel(w, kDialogX + 4, 185);
  EXPECT_EQ(probe.pixel(w, kDialogX + 10, kDialogY + 3), kCaption);
  EXPECT_EQ(probe.pixel(w, 108, kButtonY), kFrame);  // Back's face, left of its text
  EXPECT_EQ(probe.pixel(w, kDialogX - 1, 100), kBackground);
  EXPECT_EQ(probe.pixel(w, 40, 40), kBackground);

  ASSERT_TRUE(click(id, kNextX, kButtonY));
  EXPECT_TRUE(demo.said("command next")) << demo.text();

  // Next holds the focus: Tab moves it to Quit, Return activates it.
  ASSERT_TRUE(zt::xdotool("mousemove --window " + id + " 5 5"));
  ASSERT_TRUE(key("Tab"));
  ASSERT_TRUE(key("Return"));
  EXPECT_TRUE(demo.said("command quit")) << demo.text();
  EXPECT_EQ(demo.text().find("command back"), std::string::npos);
  EXPECT_EQ(demo.wait_exit(), 0);
}
