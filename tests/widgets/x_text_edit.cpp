// The edit box and the file selector under a real X server: widget_demo's
// "text_edit" scene over a fixture folder, driven with pointer and keyboard
// as a person would (every press held for a few frames), with xclip as the
// other clipboard client; pixels read back.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "test_support.h"
#include "x_helpers.h"

namespace {

const uint32_t kHighlight = 0x3060C0, kCursor = 0xFF0000;

// widget_demo with its standard output collected line by line.
class Demo {
 public:
  Demo(const char* scene, const std::string& folder) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], 1);
      close(fds[0]);
      close(fds[1]);
      setenv("WIDGET_DEMO_FOLDER", folder.c_str(), 1);
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
  // Waits for a line beginning with the prefix after the last one taken;
  // the whole line, or "" on time-out.
  std::string line(const std::string& prefix, int timeout_ms = 10000) {
    for (int waited = 0;; waited += 50) {
      size_t at = taken_;
      while (true) {
        const size_t end = text_.find('\n', at);
        if (end == std::string::npos) break;
        const std::string l = text_.substr(at, end - at);
        if (l.compare(0, prefix.size(), prefix) == 0) {
          taken_ = end + 1;
          return l;
        }
        at = end + 1;
      }
      if (waited >= timeout_ms) return "";
      pollfd p = {out_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      char buf[512];
      const ssize_t n = read(out_, buf, sizeof buf);
      if (n <= 0) return "";
      text_.append(buf, static_cast<size_t>(n));
    }
  }
  const std::string& text() const { return text_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  size_t taken_ = 0;
  std::string text_;
};

// A frame drains every queued X event before widgets look, and one typed
// character is taken per frame: presses are held for a few frames.
const useconds_t kHold = 150000;

bool click(const std::string& window, int x, int y) {
  if (!zt::xdotool("mousemove --sync --window " + window + " " + std::to_string(x) + " " +
                   std::to_string(y) + " mousedown 1"))
    return false;
  usleep(kHold);
  if (!zt::xdotool("mouseup 1")) return false;
  usleep(kHold);
  return true;
}

bool key(const std::string& name) {
  if (!zt::xdotool("keydown " + name)) return false;
  usleep(kHold);
  if (!zt::xdotool("keyup " + name)) return false;
  usleep(kHold);
  return true;
}

bool type(const std::string& text) {
  for (char c : text)
    if (!key(std::string(1, c))) return false;
  return true;
}

// Ctrl held across frames around the letter.
bool ctrl(const std::string& letter) {
  if (!zt::xdotool("keydown ctrl")) return false;
  usleep(kHold);
  const bool ok = key(letter);
  zt::xdotool("keyup ctrl");
  usleep(kHold);
  return ok;
}

bool eventually(const std::function<bool()>& pred, int timeout_ms = 3000) {
  for (int waited = 0; waited < timeout_ms; waited += 20) {
    if (pred()) return true;
    usleep(20000);
  }
  return pred();
}

// The numbers after the words of a line ("row sub 144 142" -> 144, 142).
std::vector<int> numbers(const std::string& line) {
  std::istringstream in(line);
  std::vector<int> out;
  std::string word;
  while (in >> word)
    if (!word.empty() && (isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-'))
      out.push_back(std::atoi(word.c_str()));
  return out;
}

bool is_directory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

TEST(XTextEdit, TypingClipboardReturnBrowsingAndNewFolder) {
  std::unique_ptr<zt::XServer> server = zt::start_checked_xvfb(640, 480, 24);
  ASSERT_TRUE(server);
  server->use();
  zt::XProbe probe;
  ASSERT_TRUE(probe.ok());
  XInternAtom(probe.display(), "CLIPBOARD", False);
  XSync(probe.display(), False);

  char folder_template[] = "/tmp/x_text_edit_XXXXXX";
  ASSERT_NE(mkdtemp(folder_template), nullptr);
  const std::string fixture = folder_template;
  // Removed however the test ends.
  struct REMOVER {
    std::string path;
    ~REMOVER() { zt::sh("rm -rf '" + path + "'"); }
  } remover{fixture};
  ASSERT_EQ(mkdir((fixture + "/sub").c_str(), 0700), 0);
  std::ofstream(fixture + "/f.txt") << "x";

  {
    Demo demo("text_edit", fixture);
    const std::vector<int> box = numbers(demo.line("box "));
    ASSERT_EQ(box.size(), 4u) << demo.text();
    const std::vector<int> sub = numbers(demo.line("row sub "));
    ASSERT_EQ(sub.size(), 2u) << demo.text();
    const std::vector<int> new_folder = numbers(demo.line("newfolder "));
    ASSERT_EQ(new_folder.size(), 2u) << demo.text();
    ASSERT_FALSE(demo.line("ready").empty()) << demo.text();
    std::vector<Window> windows;
    ASSERT_TRUE(eventually([&] {
      windows = probe.find_windows("widget demo");
      return !windows.empty();
    }));
    const Window w = windows[0];
    const std::string id = std::to_string(w);
    ASSERT_TRUE(zt::xdotool("windowfocus --sync " + id));

    // Typed text, the cursor behind it.
    ASSERT_TRUE(click(id, box[0], box[1]));
    ASSERT_TRUE(type("hello"));
    const std::vector<int> cursor = numbers(demo.line("edit hello cursor"));
    ASSERT_EQ(cursor.size(), 2u) << demo.text();
    EXPECT_TRUE(eventually([&] { return probe.pixel(w, cursor[0], cursor[1]) == kCursor; }))
        << std::hex << probe.pixel(w, cursor[0], cursor[1]);

    // Ctrl+A shows the band; Ctrl+C hands the text to other clients.
    ASSERT_TRUE(ctrl("a"));
    EXPECT_TRUE(eventually([&] { return probe.pixel(w, box[2], box[3]) == kHighlight; }))
        << std::hex << probe.pixel(w, box[2], box[3]);
    ASSERT_TRUE(ctrl("c"));
    std::string out;
    ASSERT_EQ(zt::sh("timeout 5 xclip -o -selection clipboard", &out), 0);
    EXPECT_EQ(out.c_str(), std::string("hello"));

    // Text another client put there arrives with Ctrl+V over the selection.
    ASSERT_EQ(zt::sh("printf 'world' | timeout 20 xclip -i -selection clipboard -loops 10 "
                     ">/dev/null 2>&1 &"),
              0);
    usleep(300000);
    ASSERT_TRUE(ctrl("v"));
    EXPECT_FALSE(demo.line("edit world cursor").empty()) << demo.text();
    ASSERT_TRUE(key("Return"));
    EXPECT_FALSE(demo.line("return world").empty()) << demo.text();

    // A click on the folder row enters it.
    ASSERT_TRUE(click(id, sub[0], sub[1]));
    EXPECT_FALSE(demo.line("folder " + fixture + "/sub").empty()) << demo.text();

    // New Folder, a typed name and OK make the folder.
    ASSERT_FALSE(demo.line("rows done").empty());
    ASSERT_TRUE(click(id, new_folder[0], new_folder[1]));
    const std::vector<int> dialog = numbers(demo.line("dialog "));
    ASSERT_EQ(dialog.size(), 4u) << demo.text();
    ASSERT_TRUE(click(id, dialog[0], dialog[1]));
    ASSERT_TRUE(type("made"));
    ASSERT_TRUE(click(id, dialog[2], dialog[3]));
    EXPECT_TRUE(eventually([&] { return is_directory(fixture + "/sub/made"); }));
    EXPECT_FALSE(demo.line("folder " + fixture + "/sub/made").empty()) << demo.text();
  }
}
