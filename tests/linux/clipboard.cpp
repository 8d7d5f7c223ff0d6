// The CLIPBOARD selection with xclip as the other client, and the pointer
// shapes read back through XFixes.
#include <gtest/gtest.h>

#include <dlfcn.h>

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
    // Themed pointer shapes may be animated (the watch turns every 16 ms):
    // a picture read later would show another frame. Read before the display
    // opens, so every shape stays on its first frame.
    setenv("XCURSOR_ANIM", "0", 1);
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

// ---------------------------------------------------------------- cursors

namespace {

struct XFixesImage {
  short x, y;
  unsigned short width, height, xhot, yhot;
  unsigned long cursor_serial;
  unsigned long* pixels;
  Atom atom;
  const char* name;
};

// The image of the pointer on the screen now, as an ARGB string to compare.
std::string cursor_picture(Display* d) {
  static void* lib = dlopen("libXfixes.so.3", RTLD_NOW);
  if (!lib) return "no XFixes";
  auto get = reinterpret_cast<XFixesImage* (*)(Display*)>(dlsym(lib, "XFixesGetCursorImage"));
  if (!get) return "no XFixes";
  // Our requests first: the server orders requests per client only.
  if (x11.display) XSync(x11.display, False);
  XSync(d, False);
  XFixesImage* image = get(d);
  if (!image) return "none";
  bool visible = false;
  uint64_t hash = 1469598103934665603ull;
  for (int i = 0; i < image->width * image->height; ++i) {
    unsigned long p = image->pixels[i] & 0xFFFFFFFFul;
    if (p >> 24) visible = true;
    hash = (hash ^ p) * 1099511628211ull;
  }
  std::string s = std::to_string(image->width) + "x" + std::to_string(image->height) + ":" + std::to_string(hash);
  XFree(image);
  return visible ? s : "blank";
}

}  // namespace

TEST_F(ClipboardTest, CursorShapesHideAndShow) {
  ASSERT_TRUE(zt::xdotool("mousemove --sync --window " + std::to_string(x11.window) + " 50 50"));
  Display* d = probe->display();
  std::string plain = cursor_picture(d);
  ASSERT_NE(plain, "no XFixes");
  std::string shapes[7];
  for (INT_U8 kind = 1; kind <= 6; ++kind) {
    ASSERT_TRUE(set_cursor(kind, 0)) << int(kind);
    shapes[kind] = cursor_picture(d);
    EXPECT_NE(shapes[kind], plain) << int(kind);
    for (INT_U8 other = 1; other < kind; ++other) EXPECT_NE(shapes[kind], shapes[other]) << int(kind) << int(other);
  }
  // Deferred: remembered, not shown. The pause is longer than a frame of an
  // animated shape, so that a moving picture fails every time, not by chance.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(set_cursor(2, 1));
  EXPECT_EQ(cursor_picture(d), shapes[6]);
  MOUSE mouse;
  mouse.hide_pointer();
  EXPECT_EQ(mouse_state.pointer_shown, 0);
  EXPECT_EQ(cursor_picture(d), "blank");
  // A shape asked for while hidden is shown with the pointer.
  ASSERT_TRUE(set_cursor(5, 0));
  EXPECT_EQ(cursor_picture(d), "blank");
  mouse.show_pointer();
  EXPECT_EQ(mouse_state.pointer_shown, 1);
  EXPECT_EQ(cursor_picture(d), shapes[5]);
  ASSERT_TRUE(set_cursor(0, 0));
  EXPECT_EQ(cursor_picture(d), plain);
  EXPECT_FALSE(set_cursor(7, 0));
  EXPECT_FALSE(set_cursor(254, 0));
  EXPECT_TRUE(set_cursor(255, 0));
  close_window(0);
  EXPECT_FALSE(set_cursor(1, 0));  // no window
  EXPECT_TRUE(set_cursor(255, 0));  // still frees
}

TEST_F(ClipboardTest, WarpMovesThePointerAndTheState) {
  MOUSE mouse;
  frame_activity = 0;
  warp_pointer(&mouse, 30, 40);
  EXPECT_EQ(mouse_state.x, 30);
  EXPECT_EQ(mouse_state.y, 40);
  EXPECT_EQ(frame_activity, 1);
  Window root, child;
  int rx, ry, wx, wy;
  unsigned mask;
  XSync(x11.display, False);
  ASSERT_TRUE(XQueryPointer(probe->display(), x11.window, &root, &child, &rx, &ry, &wx, &wy, &mask));
  EXPECT_EQ(wx, 30);
  EXPECT_EQ(wy, 40);
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
