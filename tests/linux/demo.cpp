// The whole program from its entry: the demonstration application run as a
// child process on a private Xvfb, driven with xdotool and signals.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>

#include "test_support.h"
#include "x_helpers.h"

namespace {

class Demo {
 public:
  explicit Demo(const char* option = nullptr) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], 1);
      close(fds[0]);
      close(fds[1]);
      execl(ZORV_BUILD_DIR "/platform_demo", "platform_demo", option, static_cast<char*>(nullptr));
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
  // Reads output until it contains `text`; true when it did in time.
  bool wait_for(const std::string& text, int timeout_ms = 5000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (text_.find(text, seen_) == std::string::npos) {
      int left = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count());
      if (left <= 0) return false;
      pollfd p = {out_, POLLIN, 0};
      if (poll(&p, 1, left) <= 0) continue;
      char buf[512];
      ssize_t n = read(out_, buf, sizeof buf);
      if (n <= 0) return text_.find(text, seen_) != std::string::npos;
      text_.append(buf, static_cast<size_t>(n));
    }
    seen_ = text_.find(text, seen_) + text.size();
    return true;
  }
  int count(const std::string& text) const {
    int n = 0;
    for (size_t at = text_.find(text); at != std::string::npos; at = text_.find(text, at + 1)) ++n;
    return n;
  }
  // The exit status once the program ended (-1 when it did not in time).
  int wait_exit(int timeout_ms = 5000) {
    for (int waited = 0; waited < timeout_ms; waited += 10) {
      int st = 0;
      if (waitpid(pid_, &st, WNOHANG) == pid_) {
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        wait_for("\x01", 200);  // drain what is left
        return status_;
      }
      usleep(10000);
    }
    return -1;
  }
  bool running() { return status_ < 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
  pid_t pid() const { return pid_; }
  const std::string& text() const { return text_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string text_;
  size_t seen_ = 0;
};

class DemoTest : public ::testing::Test {
 protected:
  virtual const char* option() const { return nullptr; }
  void SetUp() override {
    server = zt::start_checked_xvfb(1024, 768, 24);
    ASSERT_TRUE(server);
    probe.reset(new zt::XProbe());
    demo.reset(new Demo(option()));
    ASSERT_TRUE(demo->wait_for("started")) << demo->text();
    std::vector<Window> w = probe->find_windows("Platform Demo");
    ASSERT_EQ(w.size(), 1u);
    window = w[0];
    id = std::to_string(window);
  }
  void TearDown() override {
    demo.reset();
    probe.reset();
    server.reset();
  }
  std::unique_ptr<zt::XServer> server;
  std::unique_ptr<zt::XProbe> probe;
  std::unique_ptr<Demo> demo;
  Window window = 0;
  std::string id;
};

}  // namespace

TEST_F(DemoTest, ShowsFourQuartersInA640By480Window) {
  int x, y, w, h;
  ASSERT_TRUE(probe->geometry(window, &x, &y, &w, &h));
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(probe->property_text(window, "WM_NAME"), "Platform Demo");
  struct Spot {
    int x, y;
    uint32_t colour;
  } spots[] = {{10, 10, 0xFF0000},  {319, 239, 0xFF0000}, {320, 10, 0x00FF00}, {630, 230, 0x00FF00},
               {10, 240, 0x0000FF}, {300, 400, 0x0000FF}, {320, 240, 0xFFFFFF}, {639, 420, 0xFFFFFF}};
  bool drawn = false;
  for (int i = 0; i < 100 && !drawn; ++i) {
    drawn = probe->pixel(window, 320, 240) == 0xFFFFFF;
    usleep(20000);
  }
  for (const Spot& s : spots) EXPECT_EQ(probe->pixel(window, s.x, s.y), s.colour) << s.x << "," << s.y;
}

TEST_F(DemoTest, ShowsThePointerAndTypedCharactersAndEndsOnEscape) {
  ASSERT_TRUE(zt::xdotool("windowfocus --sync " + id));
  ASSERT_TRUE(zt::xdotool("mousemove --sync --window " + id + " 100 50"));
  EXPECT_TRUE(demo->wait_for("pointer 100 50")) << demo->text();
  // The marker is drawn at the pointer.
  bool marked = false;
  for (int i = 0; i < 100 && !marked; ++i) {
    marked = probe->pixel(window, 100, 50) == 0x000000;
    usleep(20000);
  }
  EXPECT_TRUE(marked);
  ASSERT_TRUE(zt::xdotool("type Hi"));
  EXPECT_TRUE(demo->wait_for("char 72")) << demo->text();
  EXPECT_TRUE(demo->wait_for("char 105")) << demo->text();
  ASSERT_TRUE(zt::xdotool("key Escape"));
  EXPECT_EQ(demo->wait_exit(), 0) << demo->text();
  EXPECT_NE(demo->text().find("key 9"), std::string::npos);
  EXPECT_NE(demo->text().find("ended"), std::string::npos);
  EXPECT_TRUE(probe->find_windows("Platform Demo").empty());
}

TEST_F(DemoTest, SigintAsksTheMayQuitCallbackOnceAndSigwinchDoesNothing) {
  kill(demo->pid(), SIGWINCH);
  usleep(300000);
  EXPECT_TRUE(demo->running());
  EXPECT_EQ(demo->count("may-quit"), 0);
  kill(demo->pid(), SIGINT);
  EXPECT_EQ(demo->wait_exit(), 0) << demo->text();
  EXPECT_EQ(demo->count("may-quit"), 1);
  EXPECT_NE(demo->text().find("ended"), std::string::npos);  // the orderly shutdown ran
}

TEST_F(DemoTest, TheWindowsCloseButtonAsksToo) {
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(probe->display(), "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(probe->display(), "WM_DELETE_WINDOW", False));
  XSendEvent(probe->display(), window, False, 0, &e);
  XSync(probe->display(), False);
  EXPECT_EQ(demo->wait_exit(), 0) << demo->text();
  EXPECT_EQ(demo->count("may-quit"), 1);
}

namespace {
class RefusingDemoTest : public DemoTest {
  const char* option() const override { return "-n"; }
};
}  // namespace

TEST_F(RefusingDemoTest, ARefusedSignalLetsTheProgramGoOn) {
  kill(demo->pid(), SIGTERM);
  EXPECT_TRUE(demo->wait_for("may-quit"));
  usleep(300000);
  EXPECT_TRUE(demo->running());
  kill(demo->pid(), SIGINT);
  EXPECT_TRUE(demo->wait_for("may-quit"));
  usleep(300000);
  EXPECT_TRUE(demo->running());
  ASSERT_TRUE(zt::xdotool("windowfocus --sync " + id + " key Escape"));
  EXPECT_EQ(demo->wait_exit(), 0) << demo->text();
  EXPECT_EQ(demo->count("may-quit"), 2);
}

TEST(DemoEntry, AStepThatEndsAtOnceRunsNoFrameAndTheCreditsFollowTheDisplay) {
  auto server = zt::start_checked_xvfb(1024, 768, 24);
  ASSERT_TRUE(server);
  zt::clear_message_box_calls();
  {
    Demo demo("-q");
    EXPECT_EQ(demo.wait_exit(), 0) << demo.text();
    EXPECT_NE(demo.text().find("ended after 1 steps"), std::string::npos) << demo.text();
  }
  EXPECT_TRUE(zt::message_box_calls().empty());
  {
    Demo demo("-c");
    ASSERT_TRUE(demo.wait_for("started"));
    kill(demo.pid(), SIGINT);
    EXPECT_EQ(demo.wait_exit(), 0) << demo.text();
  }
  auto calls = zt::message_box_calls();
  ASSERT_EQ(calls.size(), 1u);
  std::string all;
  for (auto& a : calls[0]) all += a + "\n";
  EXPECT_NE(all.find("Z.O.R.V. Development Libraries:"), std::string::npos) << all;
  EXPECT_NE(all.find("Platform Demo"), std::string::npos) << all;  // the about text names the application
}

TEST(DemoEntry, AnUnknownOptionEndsThroughTheFatalPath) {
  auto server = zt::start_checked_xvfb(1024, 768, 24);
  ASSERT_TRUE(server);
  Demo demo("-z");
  EXPECT_EQ(demo.wait_exit(), 255);
  EXPECT_NE(demo.text().find("Application was unable to continue"), std::string::npos) << demo.text();
}
