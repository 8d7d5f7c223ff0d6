// The installation log and the checks of the record texts the run uses.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "database.h"
#include "install_run.h"
#include "text_file.h"

const char INSTALL_LOG_NAME[] = "install_log.txt";
INT_U8 install_log_present = 0;

namespace {

const char kLogHeader[] = "Installed Files\n---------------\n\nLanguage: ";
const INT_S32 kWriteMode = 1;
const INT_S32 kAppendMode = 2;

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

bool create_install_log(const char* language_name, std::string* reason) {
  errno = 0;
  TEXT_FILE* log = open_text_file(&install_log_folder, INSTALL_LOG_NAME, kWriteMode, 0);
  if (!log) {
    if (reason) *reason = std::strerror(errno ? errno : EIO);
    return false;
  }
  // The header keeps the text file's own encoding; the lines after it are
  // written byte for byte.
  const std::string header = kLogHeader + install_log_text(language_name) + "\n";
  const bool written = log->write_string(header.c_str());
  const int write_error = errno;
  if (!finish_text_file(&log) || !written) {
    if (reason) *reason = std::strerror(write_error ? write_error : (errno ? errno : EIO));
    return false;
  }
  return true;
}

void append_install_log(const std::string& line) {
  if (!install_log_present) return;
  TEXT_FILE* log = open_text_file(&install_log_folder, INSTALL_LOG_NAME, kAppendMode, 0);
  if (!log) return;
  log->utf8 = 0;
  log->write_string(line.c_str());
  close_text_file(&log);
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
