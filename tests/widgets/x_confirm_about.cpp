// The confirmation box, the check box and the about box under a real X
// server: widget_demo's scenes driven with xdotool and read back.
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

const uint32_t kBackground = 0x202020;

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
  // The rest of the first unread line that starts with `word `, as numbers.
  bool wait_line(const std::string& word, std::vector<int>* numbers = nullptr,
                 int timeout_ms = 10000) {
    for (int waited = 0;; waited += 50) {
      for (size_t i = next_; i < lines_.size(); ++i) {
        const std::string& l = lines_[i];
        if (l == word || l.compare(0, word.size() + 1, word + " ") == 0) {
          next_ = i + 1;
          if (numbers) {
            numbers->clear();
            std::istringstream in(l.substr(word.size()));
            for (int n; in >> n;) numbers->push_back(n);
          }
          return true;
        }
      }
      if (waited > timeout_ms || !read_some(waited < timeout_ms ? 50 : 0)) return false;
    }
  }

 private:
  // Reads what has come within the wait; false when the program is gone.
  bool read_some(int wait_ms) {
    pollfd p = {out_, POLLIN, 0};
    if (poll(&p, 1, wait_ms) <= 0) return true;
    char buf[512];
    const ssize_t n = read(out_, buf, sizeof buf);
    if (n <= 0) return false;
    partial_.append(buf, static_cast<size_t>(n));
    for (size_t nl; (nl = partial_.find('\n')) != std::string::npos;) {
      lines_.push_back(partial_.substr(0, nl));
      partial_.erase(0, nl + 1);
    }
    return true;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  std::vector<std::string> lines_;
  std::string partial_;
  size_t next_ = 0;
};

// A click as a person makes it: held for a few frames. A move with --sync
// to where the pointer already is would wait for a motion that never comes.
bool click(const std::string& window, int x, int y, int hold_ms = 150) {
  static std::string last_place;
  const std::string place = window + " " + std::to_string(x) + " " + std::to_string(y);
  const char* sync = place == last_place ? "" : "--sync ";
  last_place = place;
  if (!zt::xdotool(std::string("mousemove ") + sync + "--window " + place + " mousedown 1"))
    return false;
  usleep(static_cast<useconds_t>(hold_ms) * 1000);
  return zt::xdotool("mouseup 1");
}

bool eventually(const std::function<bool()>& pred, int timeout_ms = 3000) {
  for (int waited = 0; waited < timeout_ms; waited += 20) {
    if (pred()) return true;
    usleep(20000);
  }
  return pred();
}

class XConfirmAbout : public ::testing::Test {
 protected:
  void start(const char* scene) {
    server_ = zt::XServer::start_xvfb(640, 480, 24);
    ASSERT_TRUE(server_);
    server_->use();
    ASSERT_TRUE(eventually([&] {
      probe_.reset(new zt::XProbe);
      return probe_->ok();
    }));
    demo_.reset(new Demo(scene));
    ASSERT_TRUE(demo_->wait_line("ready"));
    std::vector<Window> windows;
    ASSERT_TRUE(eventually([&] {
      windows = probe_->find_windows("widget demo");
      return !windows.empty();
    }));
    window_ = windows[0];
    id_ = std::to_string(window_);
  }
  std::vector<uint32_t> area(const std::vector<int>& r) {
    return probe_->read_pixels(window_, r[0], r[1], r[2], r[3]);
  }

  std::unique_ptr<zt::XServer> server_;
  std::unique_ptr<zt::XProbe> probe_;
  std::unique_ptr<Demo> demo_;
  Window window_ = 0;
  std::string id_;
};

}  // namespace

// A press on the message's scrollbar track pages it; No closes the box;
// two clicks on the check box tick and untick it.
TEST_F(XConfirmAbout, ConfirmBoxTrackNoAndCheckBox) {
  start("confirm");
  std::vector<int> box, track, no, check, scroll;
  ASSERT_TRUE(demo_->wait_line("box", &box));
  ASSERT_TRUE(demo_->wait_line("track", &track));
  ASSERT_TRUE(demo_->wait_line("no", &no));
  ASSERT_TRUE(demo_->wait_line("check", &check));
  ASSERT_TRUE(demo_->wait_line("scroll", &scroll));
  const int top = scroll.at(0);
  ASSERT_GT(top, 0);  // the message overflows and shows its first line
  const std::vector<int> message = {box[0] + 20, box[1] + 30, box[2] - 60, 40};
  const std::vector<uint32_t> first_page = area(message);

  // The text window's track steps a line; held past the repeat delay it
  // goes on stepping.
  ASSERT_TRUE(click(id_, track[0], track[1], 900));
  EXPECT_TRUE(eventually([&] {
    while (demo_->wait_line("scroll", &scroll, 0)) {
    }
    return scroll.at(0) < top - 2;
  })) << scroll.at(0) << " from " << top;
  EXPECT_TRUE(eventually([&] { return area(message) != first_page; }));

  const std::vector<int> check_box = {check[0] - 4, check[1] - 4, 9, 9};
  const std::vector<uint32_t> unticked = area(check_box);

  ASSERT_TRUE(click(id_, no[0], no[1]));
  ASSERT_TRUE(demo_->wait_line("answer", &scroll));
  EXPECT_EQ(scroll.at(0), 0);
  ASSERT_TRUE(demo_->wait_line("closed"));
  EXPECT_TRUE(eventually([&] { return probe_->pixel(window_, box[0] + box[2] / 2, box[1] + 20) == kBackground; }))
      << std::hex << probe_->pixel(window_, box[0] + box[2] / 2, box[1] + 20);

  ASSERT_TRUE(click(id_, check[0], check[1]));
  ASSERT_TRUE(demo_->wait_line("check", &scroll));
  EXPECT_EQ(scroll.at(0), 1);
  EXPECT_TRUE(eventually([&] { return area(check_box) != unticked; }));
  ASSERT_TRUE(click(id_, check[0], check[1]));
  ASSERT_TRUE(demo_->wait_line("check", &scroll));
  EXPECT_EQ(scroll.at(0), 0);
  EXPECT_TRUE(eventually([&] { return area(check_box) == unticked; }));
}

// "Close" closes the about box.
TEST_F(XConfirmAbout, AboutBoxCloses) {
  start("about");
  std::vector<int> box, close;
  ASSERT_TRUE(demo_->wait_line("box", &box));
  ASSERT_TRUE(demo_->wait_line("close", &close));
  const int px = box[0] + box[2] / 2, py = box[1] + 4;
  EXPECT_NE(probe_->pixel(window_, px, py), kBackground);
  ASSERT_TRUE(click(id_, close[0], close[1]));
  ASSERT_TRUE(demo_->wait_line("closed"));
  EXPECT_TRUE(eventually([&] { return probe_->pixel(window_, px, py) == kBackground; }))
      << std::hex << probe_->pixel(window_, px, py);
}
