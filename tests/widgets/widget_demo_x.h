// tools/widget_demo under a private Xvfb, for the widgets' X tests: the
// program with its output read line by line, the pointer and keyboard used
// as a person uses them, and the window's pixels read back.
#ifndef ZORV_WIDGET_DEMO_X_H
#define ZORV_WIDGET_DEMO_X_H

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "x_helpers.h"

namespace wdx {

// The numbers among the words of a line ("row sub 144 142" -> 144, 142).
inline std::vector<int> numbers_in(const std::string& line) {
  std::istringstream in(line);
  std::vector<int> out;
  std::string word;
  while (in >> word)
    if (!word.empty() && (isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-'))
      out.push_back(std::atoi(word.c_str()));
  return out;
}

inline bool is_directory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// widget_demo on one scene, its standard output collected line by line.
class Demo {
 public:
  // `env` holds "NAME=value" settings for the program only.
  explicit Demo(const std::string& scene, const std::vector<std::string>& env = {}) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], 1);
      close(fds[0]);
      close(fds[1]);
      for (const std::string& setting : env) putenv(const_cast<char*>(setting.c_str()));
      execl(ZORV_BUILD_DIR "/widget_demo", "widget_demo", scene.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    out_ = fds[0];
  }
  ~Demo() {
    // An ended program was reaped already: its id may be another's now.
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }
  Demo(const Demo&) = delete;
  Demo& operator=(const Demo&) = delete;

  // Waits until some line of the output, earlier ones included, is `line`.
  bool said(const std::string& line, int timeout_ms = 10000) {
    return wait([&] {
      for (const std::string& l : lines_)
        if (l == line) return true;
      return false;
    }, timeout_ms);
  }
  // Waits for the first line after the last one taken that begins with
  // `prefix`, and takes it: the whole line, or "" on time-out. A time of 0
  // takes only what has come already.
  std::string line(const std::string& prefix, int timeout_ms = 10000) {
    return take([&](const std::string& l) { return l.compare(0, prefix.size(), prefix) == 0; }, timeout_ms);
  }
  // The same for a line that is `word` or starts with `word `: its numbers.
  bool numbers(const std::string& word, std::vector<int>* numbers = nullptr, int timeout_ms = 10000) {
    const std::string l = take(
        [&](const std::string& l) { return l == word || l.compare(0, word.size() + 1, word + " ") == 0; },
        timeout_ms);
    if (l.empty()) return false;
    if (numbers) {
      numbers->clear();
      std::istringstream in(l.substr(word.size()));
      for (int n; in >> n;) numbers->push_back(n);
    }
    return true;
  }
  // Everything the program wrote so far.
  const std::string& text() const { return text_; }
  // The exit status once the program ended (-1 when it did not in time).
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
  std::string take(const std::function<bool(const std::string&)>& match, int timeout_ms) {
    std::string found;
    wait([&] {
      for (; next_ < lines_.size(); ++next_)
        if (match(lines_[next_])) {
          found = lines_[next_++];
          return true;
        }
      return false;
    }, timeout_ms);
    return found;
  }
  // Reads output until found() holds, the time is up or the output ends.
  bool wait(const std::function<bool()>& found, int timeout_ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!found()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      pollfd p = {out_, POLLIN, 0};
      const int ready = poll(&p, 1, static_cast<int>(std::max<long long>(0, std::min<long long>(50, left.count()))));
      if (ready > 0) {
        char buf[4096];
        const ssize_t n = read(out_, buf, sizeof buf);
        if (n <= 0) return found();
        append(buf, static_cast<size_t>(n));
      } else if (left.count() <= 0) {
        return found();
      }
    }
    return true;
  }
  void append(const char* data, size_t size) {
    text_.append(data, size);
    partial_.append(data, size);
    for (size_t nl; (nl = partial_.find('\n')) != std::string::npos;) {
      lines_.push_back(partial_.substr(0, nl));
      partial_.erase(0, nl + 1);
    }
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string text_, partial_;
  std::vector<std::string> lines_;
  size_t next_ = 0;  // lines before this were taken already
};

// How long a click or key is held, as a person holds it; back-to-back
// presses and releases have cases of their own.
const useconds_t kHold = 150000;

// Moves the pointer to the window's point and waits until it is there. A
// move with --sync to where the pointer already is would wait for a motion
// that never comes: that one is sent without.
inline bool move(const std::string& window, int x, int y) {
  static std::string last_place;
  const std::string place = window + " " + std::to_string(x) + " " + std::to_string(y);
  const char* sync = place == last_place ? "" : "--sync ";
  last_place = place;
  return zt::xdotool(std::string("mousemove ") + sync + "--window " + place);
}

// A click as a person makes it: the pointer rests, the button stays down for
// `hold_ms`, and the next input comes a few frames after the release.
inline bool click(const std::string& window, int x, int y, int hold_ms = 150, int button = 1) {
  const std::string b = std::to_string(button);
  if (!move(window, x, y)) return false;
  usleep(kHold);
  if (!zt::xdotool("mousedown " + b)) return false;
  usleep(static_cast<useconds_t>(hold_ms) * 1000);
  if (!zt::xdotool("mouseup " + b)) return false;
  usleep(kHold);
  return true;
}

// A key held for a few frames.
inline bool key(const std::string& name) {
  if (!zt::xdotool("keydown " + name)) return false;
  usleep(kHold);
  if (!zt::xdotool("keyup " + name)) return false;
  usleep(kHold);
  return true;
}

inline bool eventually(const std::function<bool()>& pred, int timeout_ms = 3000) {
  for (int waited = 0; waited < timeout_ms; waited += 20) {
    if (pred()) return true;
    usleep(20000);
  }
  return pred();
}

// A private Xvfb, a connection of the test's own and widget_demo on a scene,
// its window found and focused.
class DemoTest : public ::testing::Test {
 protected:
  // Starts the server and the scene, and waits for the scene's "ready".
  void start(const std::string& scene, const std::vector<std::string>& env = {}) {
    ASSERT_NO_FATAL_FAILURE(start_server());
    ASSERT_NO_FATAL_FAILURE(start_demo(scene, env));
  }
  void start_server() {
    server_ = zt::start_checked_xvfb(640, 480, 24);
    ASSERT_TRUE(server_);
    probe_.reset(new zt::XProbe);
    ASSERT_TRUE(probe_->ok());
  }
  void start_demo(const std::string& scene, const std::vector<std::string>& env = {}) {
    demo_.reset(new Demo(scene, env));
    ASSERT_TRUE(demo_->said("ready")) << demo_->text();
    std::vector<Window> windows;
    ASSERT_TRUE(eventually([&] {
      windows = probe_->find_windows("widget demo");
      return !windows.empty();
    }));
    window_ = windows[0];
    id_ = std::to_string(window_);
    ASSERT_TRUE(zt::xdotool("windowfocus --sync " + id_));
  }
  uint32_t pixel(int x, int y) { return probe_->pixel(window_, x, y); }
  // The pixels of {x, y, width, height}.
  std::vector<uint32_t> area(const std::vector<int>& r) { return probe_->read_pixels(window_, r[0], r[1], r[2], r[3]); }

  std::unique_ptr<zt::XServer> server_;
  std::unique_ptr<zt::XProbe> probe_;
  std::unique_ptr<Demo> demo_;
  Window window_ = 0;
  std::string id_;  // the window's id for xdotool
};

}  // namespace wdx

#endif
