// Helpers shared by the test programs: the per-test sandbox, captured child
// runs (for fatal exits), the stand-in message box's record, and private X
// servers.
#ifndef ZORV_TEST_SUPPORT_H
#define ZORV_TEST_SUPPORT_H

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zt {

// The sandbox folder made by run_test.sh (HOME is its "home", the working
// folder its "work"). Every test program runs in one (test_main.cpp); a
// program without that main gets a fresh folder on demand.
std::string sandbox();
// A new empty folder inside the sandbox.
std::string make_temp_dir(const std::string& hint = "t");

std::string read_text(const std::string& path);
std::vector<uint8_t> read_bytes(const std::string& path);
void write_text(const std::string& path, const std::string& text);
void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool file_exists(const std::string& path);

struct ChildResult {
  int status = -1;       // exit status, or 128 + signal number
  std::string out;       // everything written to standard output
  std::string err;       // everything written to standard error
};
// Runs fn in a forked child with stdout and stderr captured; the child exits 0
// when fn returns. Use it for code that ends the process (fatal errors).
ChildResult run_in_child(const std::function<void()>& fn, int timeout_seconds = 30);

// The calls recorded by the stand-in xmessage/gmessage: one vector of
// arguments per call. XMESSAGE_STATUS in the environment sets its exit code.
std::vector<std::vector<std::string>> message_box_calls();
void clear_message_box_calls();

// A private X server on a display it chooses itself; stopped by its process
// id when the object goes. `use()` points DISPLAY at it.
class XServer {
 public:
  // Xvfb -nolisten tcp with one screen of the given size and depth.
  static std::unique_ptr<XServer> start_xvfb(int width = 1024, int height = 768, int depth = 24,
                                             const std::vector<std::string>& extra = {});
  // Any server program that understands -displayfd (Xorg with a config, say).
  static std::unique_ptr<XServer> start(const std::vector<std::string>& argv);
  ~XServer();
  const std::string& display() const { return display_; }
  pid_t pid() const { return pid_; }
  void use() const;

 private:
  XServer() = default;
  std::string display_;
  pid_t pid_ = -1;
};

// Runs a shell command with DISPLAY set for the server; returns its exit
// status and fills `out` with its standard output when given.
int sh(const std::string& command, std::string* out = nullptr);

}  // namespace zt

#endif
