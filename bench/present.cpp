// Presenting a full 800 x 600 frame to the window, as a ratio to a plain
// XPutImage of the same frame, in paired rounds; each call waits for the
// server (XSync) so that both sides are timed to the same point. Runs on
// $DISPLAY, or on a private Xvfb when there is none. Not a test.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "clipboard.h"
#include "clock.h"
#include "image.h"
#include "paired.h"
#include "window.h"
#include "../platform/code/linux/x11_platform.h"

namespace {

const int kWidth = 800, kHeight = 600;

void paint(IMAGE* im) {
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) *im->pixel_at(x, y) = 0xFF000000u | ((x * 2654435761u + y * 40503u) & 0xFFFFFF);
}

bool open_frame() {
  WINDOW_REQUEST r = {"Present benchmark", kWidth, kHeight, 0, 65535, 65535, 65535, 65535, 1};
  if (!open_window(&r, 0)) return false;
  paint(get_screen_image(0));
  return true;
}

// A private Xvfb when no display is set; its process id, or -1.
pid_t start_private_server() {
  if (getenv("DISPLAY") && *getenv("DISPLAY")) return -1;
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-nolisten", "tcp", "-noreset", "-screen", "0", "1024x768x24", "-displayfd", fd.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) return pid;
  setenv("DISPLAY", (":" + number).c_str(), 1);
  return pid;
}

// A frame with nothing to do (no events, no idle wait), as a ratio to the one
// request a frame needs: the key map.
void idle_frames() {
  if (!open_frame()) return;
  const INT_U32 wait = get_idle_wait();
  set_idle_wait(0);
  update_platform();
  XSync(x11.display, False);
  auto frame = [] { update_platform(); };
  auto key_map = [] {
    char keys[32];
    XQueryKeymap(x11.display, keys);
  };
  const PAIRED p = paired_rounds(15, 200, frame, key_map);
  std::printf("frame with no wait (min / median / max):\n");
  print_spread("update_platform / XQueryKeymap", p.ratio);
  print_spread("update_platform", p.ours, 1e6, "us");
  print_spread("XQueryKeymap", p.baseline, 1e6, "us");
  // A resting window: the default wait, nothing happening.
  set_idle_wait(wait);
  update_platform();
  update_platform();
  const unsigned long before = XNextRequest(x11.display);
  update_platform();
  const unsigned long requests = XNextRequest(x11.display) - before;
  const int kIdleFrames = 100;
  // The share of a core over kIdleFrames frames, each after `before_frame`.
  auto resting = [&](void (*before_frame)(), double* wall) {
    rusage used_before, used_after;
    getrusage(RUSAGE_SELF, &used_before);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kIdleFrames; ++i) {
      before_frame();
      update_platform();
    }
    *wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    getrusage(RUSAGE_SELF, &used_after);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    const double cpu = seconds(used_after.ru_utime) - seconds(used_before.ru_utime) +
                       seconds(used_after.ru_stime) - seconds(used_before.ru_stime);
    return 100 * cpu / *wall;
  };
  double wall = 0;
  const double idle = resting([] {}, &wall);
  std::printf("idle window (idle wait %u ms): %lu requests per idle frame, %.2f %% CPU over %d frames (%.2f s)\n",
              wait, requests, idle, kIdleFrames, wall);
  // A pointer resting on a button: the button asks for its shape every frame.
  set_cursor(2, 0);
  const double on_button = resting([] { set_cursor(2, 1); }, &wall);
  std::printf("idle window, pointer shape asked each frame: %.2f %% CPU over %d frames (%.2f s)\n", on_button,
              kIdleFrames, wall);
  close_window(65535);
}

// Every present timed goes out: the pace's clock moves one frame interval per call.
INT_U64 stepping_clock() {
  static INT_U64 now = 1;
  return now += kFixedFrameIntervalUs;
}

}  // namespace

int main() {
  pid_t server = start_private_server();
  print_load();
  std::printf("800 x 600 frame (min / median / max):\n");
  for (INT_U8 shared : {1, 0}) {
    x11_shared_memory_allowed = shared;
    if (!open_frame()) {
      std::fprintf(stderr, "no X display\n");
      return 1;
    }
    // The frame already in the server's format, as a plain program keeps it.
    int screen = DefaultScreen(x11.display);
    XImage* image = XCreateImage(x11.display, DefaultVisual(x11.display, screen), DefaultDepth(x11.display, screen),
                                 ZPixmap, 0, nullptr, kWidth, kHeight, 32, 0);
    image->data = static_cast<char*>(malloc(static_cast<size_t>(image->bytes_per_line) * kHeight));
    IMAGE* s = get_screen_image(0);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) XPutPixel(image, x, y, *s->pixel_at(x, y) & 0xFFFFFF);
    GC gc = XCreateGC(x11.display, x11.window, 0, nullptr);
    auto plain = [&] {
      XPutImage(x11.display, x11.window, gc, image, 0, 0, 0, 0, kWidth, kHeight);
      XSync(x11.display, False);
    };
    auto ours = [&] {
      s->add_dirty_rect(0, 0, kWidth - 1, kHeight - 1);
      swap_screens(-1);
      XSync(x11.display, False);
    };
    pace_clock_source = stepping_clock;
    const PAIRED p = paired_rounds(15, 10, ours, plain);
    pace_clock_source = nullptr;
    const std::string kind = x11_presentation_kind();
    print_spread(("swap_screens (" + kind + ") / XPutImage").c_str(), p.ratio);
    print_spread(("swap_screens (" + kind + ")").c_str(), p.ours, 1e3, "ms");
    print_spread("XPutImage", p.baseline, 1e3, "ms");
    XFreeGC(x11.display, gc);
    XDestroyImage(image);
    close_window(65535);
  }
  idle_frames();
  close_display();
  if (server > 0) {
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
  }
  return 0;
}
