// Menus under a real X server: widget_demo's "menus" scene, two ring-linked
// menu buttons (the second with a sub-menu) and a list box, driven as a
// person would (press, a pause of a few frames, release); colours read back.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "test_support.h"
#include "x_helpers.h"

namespace {

const uint32_t kFileItems = 0x2060C0, kEditItems = 0x20A040, kListItems = 0xA03080,
               kBackground = 0x202020;

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
  // Waits until a line begins with the prefix; its text after the prefix.
  bool said(const std::string& prefix, std::string* rest = nullptr, int timeout_ms = 10000) {
    for (int waited = 0;; waited += 50) {
      for (size_t at = seen_; (at = text_.find(prefix, at)) != std::string::npos; ++at) {
        if (at != 0 && text_[at - 1] != '\n') continue;
        const size_t end = text_.find('\n', at);
        if (end == std::string::npos) break;
        if (rest) *rest = text_.substr(at + prefix.size(), end - at - prefix.size());
        seen_ = end + 1;
        return true;
      }
      if (waited >= timeout_ms) return false;
      pollfd p = {out_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      char buf[512];
      const ssize_t n = read(out_, buf, sizeof buf);
      if (n <= 0) return false;
      text_.append(buf, static_cast<size_t>(n));
    }
  }
  // The centre of a menu's row, from its "row" line.
  bool row(const std::string& menu, int index, int* x, int* y) {
    std::string rest;
    if (!said("row " + menu + " " + std::to_string(index) + " ", &rest)) return false;
    return std::sscanf(rest.c_str(), "%d %d", x, y) == 2;
  }
  const std::string& text() const { return text_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string text_;
  size_t seen_ = 0;  // lines before this were matched already
};

// A frame drains every queued X event before widgets look: a press and its
// release stay apart for a few frames, as a person's do.
const useconds_t kHold = 150000;

bool move(const std::string& window, int x, int y) {
  return zt::xdotool("mousemove --sync --window " + window + " " + std::to_string(x) + " " +
                     std::to_string(y));
}

bool click(const std::string& window, int x, int y) {
  if (!move(window, x, y)) return false;
  usleep(kHold);
  if (!zt::xdotool("mousedown 1")) return false;
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

TEST(XMenus, RingSubMenuEscapeAndListBox) {
  std::unique_ptr<zt::XServer> server = zt::start_checked_xvfb(640, 480, 24);
  ASSERT_TRUE(server);
  server->use();
  zt::XProbe probe;
  ASSERT_TRUE(probe.ok());
  Demo demo("menus");
  ASSERT_TRUE(demo.said("ready")) << demo.text();
  std::vector<Window> windows;
  ASSERT_TRUE(eventually([&] {
    windows = probe.find_windows("widget demo");
    return !windows.empty();
  }));
  const Window w = windows[0];
  const std::string id = std::to_string(w);
  ASSERT_TRUE(zt::xdotool("windowfocus --sync " + id));
  // The right side of a row is face colour: the text is centred.
  auto face = [&](int cx, int cy, int menu_x, int menu_w) {
    (void)cx;
    return probe.pixel(w, menu_x + menu_w - 5, cy);
  };

  // A click opens the first menu.
  ASSERT_TRUE(click(id, 20, 20));
  std::string geometry;
  ASSERT_TRUE(demo.said("shown file ", &geometry)) << demo.text();
  int fx, fy, fw, fh;
  ASSERT_EQ(std::sscanf(geometry.c_str(), "%d %d %d %d", &fx, &fy, &fw, &fh), 4);
  int rx, ry;
  ASSERT_TRUE(demo.row("file", 1, &rx, &ry)) << demo.text();
  EXPECT_TRUE(eventually([&] { return face(rx, ry, fx, fw) == kFileItems; }))
      << std::hex << face(rx, ry, fx, fw);

  // Onto the second button, no click: the menus swap.
  ASSERT_TRUE(move(id, 100, 20));
  ASSERT_TRUE(demo.said("hidden file")) << demo.text();
  ASSERT_TRUE(demo.said("shown edit ", &geometry)) << demo.text();
  int ex, ey, ew, eh;
  ASSERT_EQ(std::sscanf(geometry.c_str(), "%d %d %d %d", &ex, &ey, &ew, &eh), 4);
  int cx, cy, mx, my;
  ASSERT_TRUE(demo.row("edit", 0, &cx, &cy)) << demo.text();
  ASSERT_TRUE(demo.row("edit", 1, &mx, &my)) << demo.text();
  EXPECT_TRUE(eventually([&] { return face(cx, cy, ex, ew) == kEditItems; }))
      << std::hex << face(cx, cy, ex, ew);
  EXPECT_TRUE(eventually([&] { return probe.pixel(w, fx + 3, ry) == kBackground; }))
      << std::hex << probe.pixel(w, fx + 3, ry);

  // The sub-menu opens on entry; a click on its item prints the id and the
  // page shows again.
  ASSERT_TRUE(move(id, mx, my));
  ASSERT_TRUE(demo.said("shown more ")) << demo.text();
  int sx, sy;
  ASSERT_TRUE(demo.row("more", 1, &sx, &sy)) << demo.text();
  ASSERT_TRUE(move(id, mx + 10, my));  // along the item first, as a hand goes
  usleep(kHold);
  ASSERT_TRUE(click(id, sx, sy));
  EXPECT_TRUE(demo.said("item 22")) << demo.text();
  EXPECT_TRUE(demo.said("hidden ")) << demo.text();
  EXPECT_TRUE(eventually([&] {
    return probe.pixel(w, sx, sy) == kBackground && probe.pixel(w, ex + 3, cy) == kBackground;
  })) << std::hex << probe.pixel(w, sx, sy);
  EXPECT_EQ(demo.text().find("item 11"), std::string::npos);

  // Escape closes an open menu.
  ASSERT_TRUE(click(id, 20, 20));
  ASSERT_TRUE(demo.said("shown file ")) << demo.text();
  ASSERT_TRUE(key("Escape"));
  EXPECT_TRUE(demo.said("hidden file")) << demo.text();
  EXPECT_TRUE(eventually([&] { return probe.pixel(w, fx + 3, ry) == kBackground; }));

  // The list box: a chosen entry, then the wheel once the pointer rested.
  ASSERT_TRUE(click(id, 250, 20));
  ASSERT_TRUE(demo.said("shown list ", &geometry)) << demo.text();
  int lx, ly, lw, lh;
  ASSERT_EQ(std::sscanf(geometry.c_str(), "%d %d %d %d", &lx, &ly, &lw, &lh), 4);
  int tx, ty;
  ASSERT_TRUE(demo.row("list", 2, &tx, &ty)) << demo.text();
  EXPECT_TRUE(eventually([&] { return face(tx, ty, lx, lw) == kListItems; }));
  ASSERT_TRUE(click(id, tx, ty));
  EXPECT_TRUE(demo.said("selection 2")) << demo.text();
  ASSERT_TRUE(move(id, 250, 20));
  usleep(kHold);
  ASSERT_TRUE(zt::xdotool("click 4"));
  EXPECT_TRUE(demo.said("selection 1")) << demo.text();
  usleep(kHold);
  ASSERT_TRUE(zt::xdotool("click 5"));
  EXPECT_TRUE(demo.said("selection 2")) << demo.text();
  usleep(kHold);
  ASSERT_TRUE(zt::xdotool("click 5"));
  EXPECT_TRUE(demo.said("selection 3")) << demo.text();
}
