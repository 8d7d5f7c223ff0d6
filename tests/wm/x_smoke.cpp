// The window manager under a real X server: the smoke application's page,
// driven with xdotool (Tab, clicks) and read back from the window.
#include <gtest/gtest.h>

#include <fcntl.h>
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

const uint32_t kTile = 0x0000FF, kFocused = 0xFFFF00, kClicked = 0xFF0000, kBackground = 0x202020;

class SmokeApp {
 public:
  SmokeApp() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], 1);
      close(fds[0]);
      close(fds[1]);
      execl(ZORV_BUILD_DIR "/wm_smoke_app", "wm_smoke_app", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    out_ = fds[0];
  }
  ~SmokeApp() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }
  bool wait_ready(int timeout_ms = 10000) {
    std::string text;
    for (int waited = 0; waited < timeout_ms && text.find("ready") == std::string::npos;) {
      pollfd p = {out_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) {
        waited += 100;
        continue;
      }
      char buf[256];
      ssize_t n = read(out_, buf, sizeof buf);
      if (n <= 0) return false;
      text.append(buf, static_cast<size_t>(n));
    }
    return text.find("ready") != std::string::npos;
  }
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
};

// A click as a person makes it: the button stays down for a few frames (a
// press and release inside one frame are both pumped before anyone looks).
bool click(const std::string& window, int x, int y, int button) {
  const std::string b = std::to_string(button);
  if (!zt::xdotool("mousemove --sync --window " + window + " " + std::to_string(x) + " " +
                   std::to_string(y) + " mousedown " + b))
    return false;
  usleep(150000);
  return zt::xdotool("mouseup " + b);
}

bool eventually(const std::function<bool()>& pred, int timeout_ms = 3000) {
  for (int waited = 0; waited < timeout_ms; waited += 20) {
    if (pred()) return true;
    usleep(20000);
  }
  return pred();
}

}  // namespace

TEST(XSmoke, TabAndClickOnAPageOfPlainObjects) {
  std::unique_ptr<zt::XServer> server = zt::XServer::start_xvfb(640, 480, 24);
  ASSERT_TRUE(server);
  server->use();
  std::unique_ptr<zt::XProbe> connection;
  ASSERT_TRUE(eventually([&] {
    connection.reset(new zt::XProbe);
    return connection->ok();
  }));
  zt::XProbe& probe = *connection;
  SmokeApp app;
  ASSERT_TRUE(app.wait_ready());
  std::vector<Window> windows;
  ASSERT_TRUE(eventually([&] {
    windows = probe.find_windows("wm smoke");
    return !windows.empty();
  }));
  const Window w = windows[0];
  const std::string id = std::to_string(w);
  ASSERT_TRUE(zt::xdotool("windowfocus --sync " + id));

  // Tile centres: 1 (40,40), 2 (100,40), 3 (160,40), end tile (40,110).
  auto colours = [&] {
    return std::vector<uint32_t>{probe.pixel(w, 40, 40), probe.pixel(w, 100, 40),
                                 probe.pixel(w, 160, 40), probe.pixel(w, 100, 120)};
  };
  // The first page gives its first tile the focus.
  EXPECT_TRUE(eventually([&] {
    return colours() == std::vector<uint32_t>{kFocused, kTile, kTile, kBackground};
  })) << std::hex << colours()[0] << " " << colours()[1] << " " << colours()[3];
  EXPECT_EQ(probe.pixel(w, 20, 20), kFocused);  // tile corners are exact
  EXPECT_EQ(probe.pixel(w, 19, 20), kBackground);
  EXPECT_EQ(probe.pixel(w, 59, 59), kFocused);
  EXPECT_EQ(probe.pixel(w, 60, 59), kBackground);

  // Tab moves the focus to the second tile.
  ASSERT_TRUE(zt::xdotool("key --window " + id + " Tab"));
  EXPECT_TRUE(eventually([&] {
    return colours() == std::vector<uint32_t>{kTile, kFocused, kTile, kBackground};
  })) << std::hex << colours()[0] << " " << colours()[1];

  // A right click on the third tile clicks it (and focuses it).
  ASSERT_TRUE(click(id, 160, 40, 3));
  EXPECT_TRUE(eventually([&] { return colours()[2] == kClicked; })) << std::hex << colours()[2];
  EXPECT_EQ(colours()[1], kTile);
  // The left button is the widgets'; the base click does not take it.
  ASSERT_TRUE(click(id, 40, 40, 1));
  usleep(200000);
  EXPECT_NE(colours()[0], kClicked);

  // The end tile ends the program through its page action code.
  ASSERT_TRUE(click(id, 40, 110, 3));
  EXPECT_EQ(app.wait_exit(), 0);
}
