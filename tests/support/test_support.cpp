#include "test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace zt {

std::string sandbox() {
  static std::string dir = [] {
    const char* env = std::getenv("ZORV_TEST_TMP");
    if (env && *env) return std::string(env);
    char tmpl[] = "/tmp/zorv-test.XXXXXX";
    const char* made = mkdtemp(tmpl);
    if (!made) throw std::runtime_error("mkdtemp failed");
    return std::string(made);
  }();
  return dir;
}

std::string make_temp_dir(const std::string& hint) {
  std::string tmpl = sandbox() + "/" + hint + ".XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed in " + sandbox());
  return std::string(buf.data());
}

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<uint8_t> read_bytes(const std::string& path) {
  std::string s = read_text(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

void write_text(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool file_exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}


ChildResult run_in_child(const std::function<void()>& fn, int timeout_seconds) {
  ChildResult r;
  int out_pipe[2], err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return r;
  fflush(stdout);
  fflush(stderr);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    close(out_pipe[0]); close(out_pipe[1]);
    close(err_pipe[0]); close(err_pipe[1]);
    alarm(static_cast<unsigned>(timeout_seconds));
    fn();
    fflush(stdout);
    fflush(stderr);
    _exit(0);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  // Read both pipes together so a chatty child never blocks on a full pipe.
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  int open_fds = 2;
  while (open_fds > 0) {
    if (poll(fds, 2, 1000) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
        char buf[4096];
        ssize_t n = read(fds[i].fd, buf, sizeof buf);
        if (n > 0) {
          (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
          close(fds[i].fd);
          fds[i].fd = -1;
          --open_fds;
        }
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) r.status = WEXITSTATUS(status);
  else if (WIFSIGNALED(status)) r.status = 128 + WTERMSIG(status);
  return r;
}

static std::string message_log_path() {
  const char* p = std::getenv("XMESSAGE_LOG");
  if (p && *p) return p;
  std::string path = sandbox() + "/xmessage.log";
  setenv("XMESSAGE_LOG", path.c_str(), 1);
  return path;
}

std::vector<std::vector<std::string>> message_box_calls() {
  std::vector<std::vector<std::string>> calls;
  std::istringstream in(read_text(message_log_path()));
  std::string line;
  std::vector<std::string> cur;
  while (std::getline(in, line)) {
    if (line == "--") { calls.push_back(cur); cur.clear(); }
    else cur.push_back(line);
  }
  return calls;
}

void clear_message_box_calls() { unlink(message_log_path().c_str()); }

std::unique_ptr<XServer> XServer::start_xvfb(int width, int height, int depth,
                                             const std::vector<std::string>& extra) {
  // -noreset: without it the server regenerates whenever its last client
  // leaves, and refuses connections for a moment while it does.
  std::vector<std::string> argv = {"Xvfb", "-nolisten", "tcp", "-noreset", "-screen", "0",
                                   std::to_string(width) + "x" + std::to_string(height) + "x" +
                                       std::to_string(depth)};
  argv.insert(argv.end(), extra.begin(), extra.end());
  return start(argv);
}

std::unique_ptr<XServer> XServer::start(const std::vector<std::string>& args) {
  int fds[2];
  if (pipe(fds) != 0) return nullptr;
  std::vector<std::string> argv = args;
  argv.push_back("-displayfd");
  argv.push_back(std::to_string(fds[1]));
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(devnull, 1);
    if (!std::getenv("ZORV_X_VERBOSE")) dup2(devnull, 2);
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(const_cast<char*>(a.c_str()));
    cargv.push_back(nullptr);
    execvp(cargv[0], cargv.data());
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  pollfd pfd = {fds[0], POLLIN, 0};
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    if (poll(&pfd, 1, 200) > 0) {
      char c;
      ssize_t n = read(fds[0], &c, 1);
      if (n <= 0) break;
      if (c == '\n') break;
      number += c;
    }
  }
  close(fds[0]);
  if (number.empty()) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return nullptr;
  }
  std::unique_ptr<XServer> s(new XServer());
  s->pid_ = pid;
  s->display_ = ":" + number;
  // Wait until the server accepts connections; a loaded machine can be slow.
  for (int i = 0; i < 600; ++i) {
    Display* d = XOpenDisplay(s->display_.c_str());
    if (d) {
      XCloseDisplay(d);
      s->use();
      return s;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}

XServer::~XServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    for (int i = 0; i < 50; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

void XServer::use() const { setenv("DISPLAY", display_.c_str(), 1); }

int sh(const std::string& command, std::string* out) {
  FILE* p = popen(command.c_str(), "r");
  if (!p) return -1;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  int status = pclose(p);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zt
