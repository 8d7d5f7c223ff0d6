// A text window's scrollbar under a real X server, driven with xdotool: the
// wheel turned over it, then its slider dragged past the top of the track.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "x_helpers.h"

namespace {

const uint32_t kSlider = 0x3070C0;

// widget_demo on one scene, its lines read as they come.
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
  // The numbers of the next unread line that starts with `word `.
  bool wait_line(const std::string& word, std::vector<int>* numbers, int timeout_ms = 10000) {
    for (int waited = 0;;) {
      for (; next_ < lines_.size(); ++next_) {
        const std::string& l = lines_[next_];
        if (l.compare(0, word.size() + 1, word + " ") == 0) {
          numbers->clear();
          std::istringstream in(l.substr(word.size()));
          for (int n; in >> n;) numbers->push_back(n);
          ++next_;
          return true;
        }
      }
      if (waited >= timeout_ms) return false;
      pollfd p = {out_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) {
        waited += 50;
        continue;
      }
      char buf[512];
      const ssize_t n = read(out_, buf, sizeof buf);
      if (n <= 0) return false;
      partial_.append(buf, static_cast<size_t>(n));
      for (size_t nl; (nl = partial_.find('\n')) != std::string::npos;) {
        lines_.push_back(partial_.substr(0, nl));
        partial_.erase(0, nl + 1);
      }
    }
  }
  // Reads "scroll" lines until one shows `value`.
  bool wait_scroll(int value, std::vector<int>* last) {
    while (wait_line("scroll", last, 5000))
      if (last->at(0) == value) return true;
    return false;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::vector<std::string> lines_;
  std::string partial_;
  size_t next_ = 0;
};

bool eventually(const std::function<bool()>& pred, int timeout_ms = 3000) {
  for (int waited = 0; waited < timeout_ms; waited += 20) {
    if (pred()) return true;
    usleep(20000);
  }
  return pred();
}

std::string at(const std::string& window, int x, int y) {
  return "mousemove --sync --window " + window + " " + std::to_string(x) + " " +
         std::to_string(y);
}

}  // namespace

TEST(XScrollbar, WheelThenDragPastTheTop) {
  auto server = zt::XServer::start_xvfb(640, 480, 24);
  ASSERT_TRUE(server);
  server->use();
  std::unique_ptr<zt::XProbe> probe;
  ASSERT_TRUE(eventually([&] {
    probe.reset(new zt::XProbe);
    return probe->ok();
  }));
  Demo demo("scrollbar");
  std::vector<int> bar, scroll;
  ASSERT_TRUE(demo.wait_line("bar", &bar));
  ASSERT_TRUE(demo.wait_scroll(0, &scroll));  // following the newest line: value 0
  const int max = scroll.at(2);
  ASSERT_GT(max, 10);
  std::vector<Window> windows;
  ASSERT_TRUE(eventually([&] {
    windows = probe->find_windows("widget demo");
    return !windows.empty();
  }));
  const Window window = windows[0];
  const std::string id = std::to_string(window);
  const int cx = bar[0] + bar[2] / 2, slider = bar[4];

  // Three notches up over the bar, each a press and release of button 4.
  ASSERT_TRUE(zt::xdotool(at(id, cx, bar[1] + bar[3] / 2)));
  usleep(200000);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(zt::xdotool("click 4"));
    usleep(100000);
  }
  ASSERT_TRUE(demo.wait_scroll(3, &scroll));

  // Drag the slider from its middle to above the bar: it snaps to the top,
  // which is the maximum of a vertical bar.
  const int grab_y = scroll.at(1) + slider / 2;
  ASSERT_TRUE(zt::xdotool(at(id, cx, grab_y) + " mousedown 1"));
  usleep(150000);
  ASSERT_TRUE(zt::xdotool(at(id, cx, (bar[1] + grab_y) / 2)));
  usleep(150000);
  ASSERT_TRUE(zt::xdotool(at(id, cx, bar[1] - 15)));
  usleep(150000);
  ASSERT_TRUE(zt::xdotool("mouseup 1"));
  ASSERT_TRUE(demo.wait_scroll(max, &scroll));
  // The slider now stands at the top of the track, below the more button.
  const int top = scroll.at(1);
  EXPECT_TRUE(eventually([&] { return probe->pixel(window, cx, top + slider / 2) == kSlider; }))
      << std::hex << probe->pixel(window, cx, top + slider / 2);
}
