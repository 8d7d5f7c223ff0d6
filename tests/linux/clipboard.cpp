// The CLIPBOARD selection with xclip as the other client.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "clipboard.h"
#include "clock.h"
#include "input.h"
#include "test_support.h"
#include "window.h"
#include "x_helpers.h"
#include "x11_platform.h"

namespace {

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = zt::start_checked_xvfb(1024, 768, 24);
    ASSERT_TRUE(server);
    probe.reset(new zt::XProbe());
    // A fresh server, where no client has made CLIPBOARD yet.
    clipboard_atom_existed = XInternAtom(probe->display(), "CLIPBOARD", True) != None;
    WINDOW_REQUEST r = {"Clip", 200, 100, 0, 65535, 65535, 65535, 65535, 1};
    ASSERT_TRUE(open_window(&r, 0));
  }
  void TearDown() override {
    set_clipboard_text(nullptr);
    close_window(65535);
    close_display();
    probe.reset();
    server.reset();
  }
  // Runs a shell command while the pump answers selection requests.
  int serve_while(const std::string& command, std::string* out) {
    auto job = std::async(std::launch::async, [&] { return zt::sh(command, out); });
    while (job.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) update_platform();
    return job.get();
  }
  // An xclip serving the clipboard in the background; its process id.
  std::string start_owner(const std::string& command) {
    std::string pid;
    zt::sh(command + " >/dev/null 2>&1 & echo $!", &pid);
    while (!pid.empty() && pid.back() == '\n') pid.pop_back();
    return pid;
  }
  void stop_owner(const std::string& pid) {
    if (!pid.empty()) zt::sh("kill " + pid + " 2>/dev/null");
  }
  std::unique_ptr<zt::XServer> server;
  std::unique_ptr<zt::XProbe> probe;
  bool clipboard_atom_existed = true;
};

}  // namespace

// Nobody had made the CLIPBOARD atom when the display opened: copying and
// pasting work all the same, both ways.
TEST_F(ClipboardTest, WorksOnAServerThatDidNotKnowTheAtom) {
  ASSERT_FALSE(clipboard_atom_existed);
  set_clipboard_text("first copy");
  std::string out;
  ASSERT_EQ(serve_while("xclip -o -selection clipboard -t UTF8_STRING", &out), 0);
  EXPECT_EQ(out, std::string("first copy") + '\0');
  std::string pid = start_owner("printf 'foreign' | xclip -i -selection clipboard -quiet");
  EXPECT_TRUE(zt::pump_until([] {
    char b[32];
    return get_clipboard_text(b, sizeof b) && strcmp(b, "foreign") == 0;
  }));
  stop_owner(pid);
}

TEST_F(ClipboardTest, OtherClientsGetOurTextWithItsTerminator) {
  set_clipboard_text("copied text");
  std::string out;
  ASSERT_EQ(serve_while("xclip -o -selection clipboard -t UTF8_STRING", &out), 0);
  EXPECT_EQ(out, std::string("copied text") + '\0');
  ASSERT_EQ(serve_while("xclip -o -selection clipboard -t TEXT", &out), 0);
  EXPECT_EQ(out, std::string("copied text") + '\0');
  ASSERT_EQ(serve_while("xclip -o -selection clipboard -t TARGETS", &out), 0);
  EXPECT_EQ(out, "TEXT\nCOMPOUND_TEXT\nUTF8_STRING\nTARGETS\n");
  // STRING is not offered.
  EXPECT_NE(serve_while("xclip -o -selection clipboard -t STRING 2>/dev/null", &out), 0);
}

TEST_F(ClipboardTest, OurOwnCopyNeedsNoServer) {
  set_clipboard_text("mine");
  char buffer[16];
  memset(buffer, 'x', sizeof buffer);
  struct Case {
    INT_U32 size;
    const char* text;
  } cases[] = {{16, "mine"}, {5, "mine"}, {3, "mi"}, {1, ""}};
  for (const Case& c : cases) {
    ASSERT_TRUE(get_clipboard_text(buffer, c.size)) << c.size;
    EXPECT_STREQ(buffer, c.text) << c.size;
  }
  // Size 0: nothing written, nothing answered.
  memset(buffer, 'x', sizeof buffer);
  EXPECT_FALSE(get_clipboard_text(buffer, 0));
  EXPECT_EQ(buffer[0], 'x');
  EXPECT_FALSE(get_clipboard_text(nullptr, 4));
  EXPECT_TRUE(has_clipboard_text());
  set_clipboard_text(nullptr);
  EXPECT_FALSE(has_clipboard_text());
}

TEST_F(ClipboardTest, PastesWhatAnotherClientOwnsAndLetsGoOfOurs) {
  set_clipboard_text("ours");
  // xclip takes the selection: our copy goes when the pump sees it.
  std::string pid = start_owner("printf 'from xclip' | xclip -i -selection clipboard -quiet");
  ASSERT_TRUE(zt::pump_until([] {
    char b[32];
    return get_clipboard_text(b, sizeof b) && strcmp(b, "from xclip") == 0;
  }));
  char buffer[6];
  ASSERT_TRUE(get_clipboard_text(buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "from ");  // cut to the buffer, terminated
  stop_owner(pid);
}

TEST_F(ClipboardTest, AnOwnerAnsweringOnlyStringIsPastedOnTheLastAttempt) {
  std::string pid = start_owner("printf 'plain' | xclip -i -selection clipboard -t STRING -quiet");
  zt::sh("sleep 0.3");
  auto t0 = std::chrono::steady_clock::now();
  char buffer[32] = {0};
  ASSERT_TRUE(get_clipboard_text(buffer, sizeof buffer));
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_STREQ(buffer, "plain");
  EXPECT_LT(ms, 1500);
  stop_owner(pid);
}

TEST_F(ClipboardTest, NobodyOwningTheClipboardGivesNothing) {
  char buffer[8] = "zzz";
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(get_clipboard_text(buffer, sizeof buffer));
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_LT(ms, 1500);
}

// ---------------------------------------------------------------- odd clients

namespace {

// A clipboard owner of our own making, on its own connection and thread,
// answering every request with 32-bit items instead of text.
class WordOwner {
 public:
  WordOwner() {
    display_ = XOpenDisplay(nullptr);
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    Atom clipboard = XInternAtom(display_, "CLIPBOARD", False);
    XSetSelectionOwner(display_, clipboard, window_, CurrentTime);
    XSync(display_, False);
    thread_ = std::thread([this] { serve(); });
  }
  ~WordOwner() {
    stop_ = true;
    thread_.join();
    XCloseDisplay(display_);
  }
  int answered() const { return answered_; }

 private:
  void serve() {
    while (!stop_) {
      while (XPending(display_)) {
        XEvent e;
        XNextEvent(display_, &e);
        if (e.type != SelectionRequest) continue;
        const XSelectionRequestEvent& r = e.xselectionrequest;
        long words[3] = {0x41414141, 0x42424242, 0x43434343};
        XChangeProperty(display_, r.requestor, r.property, r.target, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(words), 3);
        XEvent n = {};
        n.xselection.type = SelectionNotify;
        n.xselection.requestor = r.requestor;
        n.xselection.selection = r.selection;
        n.xselection.target = r.target;
        n.xselection.property = r.property;
        n.xselection.time = r.time;
        XSendEvent(display_, r.requestor, False, 0, &n);
        XFlush(display_);
        ++answered_;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  Display* display_ = nullptr;
  Window window_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> answered_{0};
};

}  // namespace

TEST_F(ClipboardTest, WordsInsteadOfTextAreNoText) {
  WordOwner owner;
  char buffer[64];
  memset(buffer, 'x', sizeof buffer);
  EXPECT_FALSE(get_clipboard_text(buffer, sizeof buffer));
  EXPECT_EQ(owner.answered(), 4);  // every target asked, none taken
  EXPECT_EQ(buffer[0], 'x');
}

TEST_F(ClipboardTest, ARequestorThatVanishedBeforeTheAnswerIsNoError) {
  // The default error handler of the test process ends it on any X error.
  set_clipboard_text("short-lived");
  Display* d = probe->display();
  Window requestor = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  XConvertSelection(d, XInternAtom(d, "CLIPBOARD", False), XInternAtom(d, "UTF8_STRING", False),
                    XInternAtom(d, "ANSWER", False), requestor, CurrentTime);
  XDestroyWindow(d, requestor);
  XSync(d, False);
  zt::pump_until([] { return false; }, 200);
  char buffer[32];
  EXPECT_TRUE(get_clipboard_text(buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "short-lived");
}
