// The installation log and the checks of the record texts the run uses.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "database.h"
#include "folder.h"
#include "install_run.h"
#include "text_file.h"

const char INSTALL_LOG_NAME[] = "install_log.txt";
INT_U8 install_log_present = 0;

namespace {

const char kLogHeader[] = "Installed Files\n---------------\n\nLanguage: ";
const INT_S32 kWriteMode = 1;

// The log the run created, held open (appending) for the whole run: while it
// is held its inode cannot be handed to another file, so the path naming
// this inode means the path still names the run's own log. Lines go only
// through it, never into whatever file the path names now.
int log_fd = -1;

std::string log_path() { return install_log_folder.native_path_text(INSTALL_LOG_NAME); }

bool is_control(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

std::string install_log_text(const char* text) {
  std::string out;
  if (!text) return out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p == '\n') {
      out += "\\n";
    } else if (is_control(*p)) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", *p);
      out += hex;
    } else {
      out += static_cast<char>(*p);
    }
  }
  return out;
}

bool create_install_log(int folder_fd, const char* language_name, std::string* reason) {
  auto failed = [reason](int error) {
    if (reason) *reason = std::strerror(error ? error : EIO);
    return false;
  };
  // Made as every output of the run is: a name that is there (an earlier
  // log, or a link to someone's file) is replaced once the header is whole,
  // never written through.
  OUTPUT_FILE output;
  if (!output.open_at(folder_fd, INSTALL_LOG_NAME)) return failed(errno);
  // The header keeps the text file's own encoding, written through a text
  // file on a second handle; the lines after it go byte for byte.
  const int second = fcntl(output.descriptor(), F_DUPFD_CLOEXEC, 0);
  FILE* stream = second >= 0 ? fdopen(second, "w") : nullptr;
  TEXT_FILE* log = stream ? new (std::nothrow) TEXT_FILE : nullptr;
  if (!log) {
    const int error = errno;
    if (stream)
      fclose(stream);
    else if (second >= 0)
      ::close(second);
    return failed(error);
  }
  log->stream = stream;
  log->mode = kWriteMode;
  errno = 0;
  const std::string header = kLogHeader + install_log_text(language_name) + "\n";
  const bool written = log->write_string(header.c_str());
  int write_error = errno;
  const bool finished = finish_text_file(&log);
  if (!write_error) write_error = errno;
  if (!written || !finished) return failed(write_error);
  int held = -1;
  if (!output.finish(&held)) return failed(errno);
  if (fcntl(held, F_SETFL, O_APPEND) != 0) {
    const int error = errno;
    ::close(held);
    return failed(error);
  }
  log_fd = held;
  return true;
}

void close_install_log() {
  if (log_fd >= 0) ::close(log_fd);
  log_fd = -1;
  install_log_present = 0;
}

void append_install_log(const std::string& line) {
  if (!install_log_present || log_fd < 0) return;
  const int fd = log_fd;
  const char* data = line.data();
  size_t left = line.size();
  while (left > 0) {
    const ssize_t put = ::write(fd, data, left);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    data += put;
    left -= static_cast<size_t>(put);
  }
}

bool install_log_intact() {
  struct stat held, named;
  return log_fd >= 0 && fstat(log_fd, &held) == 0 && held.st_nlink > 0 && stat(log_path().c_str(), &named) == 0 &&
         named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

bool is_install_folder_text(const char* text) {
  if (!text) return false;
  const char* rest = text;
  if (text[0] == '$') {
    if (!is_usable_path_text(text)) return false;
    rest = text + std::strcspn(text, "/");
  } else if (!(text[0] == '.' && text[1] == '.')) {
    return false;  // a plain or empty text names no folder
  }
  long depth = 0;
  while (*rest) {
    while (*rest == '/') ++rest;
    const size_t n = std::strcspn(rest, "/");
    if (n == 2 && rest[0] == '.' && rest[1] == '.') {
      if (--depth < 0) return false;
    } else if (n > 0 && !(n == 1 && rest[0] == '.')) {
      ++depth;
    }
    rest += n;
  }
  return true;
}

bool is_install_file_name(const char* name) {
  if (!name || !*name || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p)
    if (*p == '/' || is_control(*p)) return false;
  return true;
}
