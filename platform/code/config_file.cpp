// Configuration files of identifier and value lines, cached or direct.
#include "config_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "debug_stream.h"
#include "errors.h"
#include "text_file.h"

#define SOFT_ERROR(code, argument) raise_soft_error((code), (argument), "code/config_file", __LINE__)

namespace {

enum { ENTRY_NONE, ENTRY_READ, ENTRY_FAILED };
enum { LINE_SIZE = 256 };

bool is_blank(int c) { return c == ' ' || c == '\t'; }

void copy_cut(char* out, size_t size, const char* text) {
  size_t n = strnlen(text, size - 1);
  memcpy(out, text, n);
  out[n] = 0;
}

// A read error ends the file too: it never turns into an end of file, and a
// reader waiting for one would go round for ever.
bool at_end(TEXT_FILE* file) { return !file->stream || feof(file->stream) || ferror(file->stream); }

// Reads the next entry; comment and empty lines met on the way go to `copy`
// when one is given.
int read_entry(TEXT_FILE* in, CONFIG_ENTRY* entry, TEXT_FILE* copy) {
  char line[LINE_SIZE];
  in->max_line = LINE_SIZE;
  for (;;) {
    line[0] = 0;
    in->read_line(line);
    bool is_skipped = line[0] == '#' || line[0] == 0;
    if (at_end(in)) {
      if (is_skipped) return ENTRY_NONE;
      SOFT_ERROR(257, nullptr);
      return ENTRY_FAILED;
    }
    if (!is_skipped) break;
    if (copy) {
      copy->write_string(line);
      copy->write_string("\n");
    }
  }
  const char* id = line;
  while (is_blank(*id)) id++;
  copy_cut(entry->id, sizeof entry->id, id);

  INT_S32 first;
  do {
    if (!in->read_code(&first)) {
      SOFT_ERROR(257, nullptr);
      return ENTRY_FAILED;
    }
  } while (first == ' ' || first == '\t');
  if (first == 10) {
    entry->value[0] = 0;
    return ENTRY_READ;
  }
  if (at_end(in)) {
    SOFT_ERROR(257, nullptr);
    return ENTRY_FAILED;
  }
  line[0] = 0;
  in->read_line(line);
  // A wide first character keeps its escape and joins the run that may follow.
  char* out = entry->value;
  size_t room = sizeof entry->value - 1;
  const char* rest = line;
  if (first & 0xFF00) {
    snprintf(out, 7, "%c,%04X", TEXT_ESCAPE, static_cast<unsigned>(first) & 0xFFFFu);
    out += 6;
    room -= 6;
    if (*rest == TEXT_ESCAPE)
      rest++;
    else if (*rest && room > 0) {
      *out++ = TEXT_ESCAPE;
      room--;
    }
  } else {
    *out++ = static_cast<char>(first);
    room--;
  }
  copy_cut(out, room + 1, rest);
  return ENTRY_READ;
}

// Writes one entry in its written form. Line breaks would turn one entry into
// several, so identifier and value end at the first one.
bool write_entry(TEXT_FILE* out, const char* id, const char* value) {
  std::string i(id, strcspn(id, "\r\n"));
  std::string v(value, strcspn(value, "\r\n"));
  return out->write_string(i.c_str()) && out->write_string("\n\t") && out->write_string(v.c_str()) &&
         out->write_string("\n");
}

// Does the file exist at all (readable or not)?
bool file_missing(FOLDER* folder, const char* name) {
  struct stat st;
  if (stat(folder->native_path_text(name), &st) == 0) return false;
  return errno == ENOENT || errno == ENOTDIR;
}

// Reads a whole file; false when it cannot be read to its end.
bool read_whole(int fd, std::string* out) {
  char buffer[4096];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out->append(buffer, static_cast<size_t>(n));
  }
}

bool write_whole(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// A replacement for a file: written beside it under a private name and put in
// place only when every byte reached the disk. The new file keeps the old
// one's mode, owner and group; a symbolic link stays a link and what it
// points to is replaced. Where that cannot be done (the folder takes no new
// file, or the owner could not be kept), the file is rewritten in place: the
// new text is gathered first and the old one written back if the rewrite
// fails.
class REPLACEMENT {
 public:
  TEXT_FILE* text = nullptr;

  bool begin(FOLDER* folder, const char* name) {
    target_ = folder->native_path_text(name);
    if (target_.size() >= FOLDER_PATH_SIZE) return false;
    struct stat st;
    if (lstat(target_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      char* real = realpath(target_.c_str(), nullptr);
      if (real) {
        target_ = real;
        free(real);
      } else {
        in_place_ = true;  // a link to nothing yet: written through it
      }
    }
    const bool existed = stat(target_.c_str(), &st) == 0;
    mode_t mode;
    if (existed) {
      mode = st.st_mode & 07777;
    } else {
      mode_t mask = umask(0);
      umask(mask);
      mode = 0666 & ~mask;
    }
    int fd = -1;
    if (!in_place_) {
      const size_t slash = target_.rfind('/');
      const std::string dir = slash == std::string::npos ? "." : target_.substr(0, slash);
      const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
      temp_ = dir + "/." + base + ".XXXXXX";
      if (temp_.size() >= FOLDER_PATH_SIZE) return false;
      fd = mkstemp(&temp_[0]);
      if (fd >= 0 && existed && !keep_owner(fd, st)) {
        close(fd);
        unlink(temp_.c_str());
        fd = -1;
      }
      if (fd >= 0) fchmod(fd, mode);
      in_place_ = fd < 0;
    }
    FILE* stream;
    if (in_place_) {
      temp_.clear();
      // Opened now, so that a file we may not write fails before anything
      // is gathered; emptied only when the new text is complete.
      target_fd_ = open(target_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, mode);
      if (target_fd_ < 0) return false;
      created_ = !existed;
      stream = open_memstream(&gathered_, &gathered_size_);
    } else {
      stream = fdopen(fd, "w");
      if (!stream) close(fd);
    }
    if (stream) text = new (std::nothrow) TEXT_FILE;
    if (!text) {
      if (stream) fclose(stream);
      discard();
      close_target();
      return false;
    }
    text->stream = stream;
    text->mode = 1;
    return true;
  }

  // ok: every write succeeded. Closes and, when all is well, replaces.
  bool commit(bool ok) {
    if (!text) return false;
    if (!finish_text_file(&text)) ok = false;
    if (in_place_) {
      ok = ok && rewrite_in_place();
    } else if (ok && rename(temp_.c_str(), target_.c_str()) != 0) {
      ok = false;
    }
    if (!ok) discard();
    close_target();
    return ok;
  }

  ~REPLACEMENT() {
    if (text) commit(false);
    close_target();
    free(gathered_);
  }

 private:
  // The new file gets the old one's owner and group where that is permitted;
  // false when the file would change hands.
  static bool keep_owner(int fd, const struct stat& old) {
    if (fchown(fd, old.st_uid, old.st_gid) == 0) return true;
    if (old.st_uid != geteuid()) return false;
    return fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0 || old.st_gid == getegid();
  }

  bool rewrite_in_place() {
    std::string before;
    if (lseek(target_fd_, 0, SEEK_SET) != 0 || !read_whole(target_fd_, &before)) return false;
    auto put = [&](const char* data, size_t size) {
      return lseek(target_fd_, 0, SEEK_SET) == 0 && ftruncate(target_fd_, 0) == 0 &&
             write_whole(target_fd_, data, size) && fsync(target_fd_) == 0;
    };
    if (put(gathered_ ? gathered_ : "", gathered_size_)) return true;
    put(before.data(), before.size());  // the old text back, as far as it goes
    return false;
  }

  void discard() {
    if (!temp_.empty()) unlink(temp_.c_str());
    if (created_ && target_fd_ >= 0) unlink(target_.c_str());
  }

  void close_target() {
    if (target_fd_ >= 0) close(target_fd_);
    target_fd_ = -1;
  }

  std::string target_;
  std::string temp_;
  bool in_place_ = false;
  bool created_ = false;
  int target_fd_ = -1;
  char* gathered_ = nullptr;
  size_t gathered_size_ = 0;
};

bool by_id(const CONFIG_ENTRY* a, const CONFIG_ENTRY* b) { return strcmp(a->id, b->id) < 0; }
bool by_index(const CONFIG_ENTRY* a, const CONFIG_ENTRY* b) { return a->index < b->index; }

}  // namespace

CONFIG_FILE::CONFIG_FILE(const char* file_name, INT_U8 is_cached) : folder(FOLDER::UNSET()), cached(1) {
  name[0] = 0;
  folder.set("$USERPREFS");
  init(file_name, is_cached);
}

CONFIG_FILE::~CONFIG_FILE() { clear_table(); }

void CONFIG_FILE::clear_table() {
  for (CONFIG_ENTRY* e : entries) delete e;
  entries.clear();
}

void CONFIG_FILE::init(const char* file_name, INT_U8 is_cached) {
  copy_cut(name, sizeof name, file_name ? file_name : "settings");
  cached = is_cached;
  clear_table();
}

void CONFIG_FILE::sort_by_id() { std::stable_sort(entries.begin(), entries.end(), by_id); }

CONFIG_ENTRY* CONFIG_FILE::find(const char* id) {
  CONFIG_ENTRY key;
  copy_cut(key.id, sizeof key.id, id);
  // A longer identifier than the table can hold is never found.
  if (strlen(id) >= sizeof key.id) return nullptr;
  auto it = std::lower_bound(entries.begin(), entries.end(), &key, by_id);
  return it != entries.end() && strcmp((*it)->id, id) == 0 ? *it : nullptr;
}

bool CONFIG_FILE::exists(FOLDER* in) {
  TEXT_FILE* file = open_text_file(in ? in : &folder, name, 0, 0);
  if (!file) return false;
  close_text_file(&file);
  return true;
}

bool CONFIG_FILE::load_all(FOLDER* in, INT_U8 report_missing) {
  if (!in) in = &folder;
  clear_table();
  TEXT_FILE* file = open_text_file(in, name, 0, 0);
  if (!file) {
    // Only a file that is not there is an empty table; one that cannot be
    // read must not be taken for empty and overwritten.
    if (!report_missing && file_missing(in, name)) return true;
    SOFT_ERROR(4098, name);
    return false;
  }
  while (!at_end(file)) {
    CONFIG_ENTRY* entry = new (std::nothrow) CONFIG_ENTRY;
    if (!entry) {
      SOFT_ERROR(4100, nullptr);
      close_text_file(&file);
      return false;
    }
    if (read_entry(file, entry, nullptr) != ENTRY_READ) {
      delete entry;
      continue;
    }
    entry->index = static_cast<INT_U16>(entries.size());
    entries.push_back(entry);
  }
  close_text_file(&file);
  sort_by_id();
  return true;
}

bool CONFIG_FILE::get_string(FOLDER* in, const char* id, char value[CONFIG_VALUE_SIZE]) {
  if (!id || !*id) {
    SOFT_ERROR(4097, nullptr);
    return false;
  }
  set_last_error(0, nullptr);
  if (!in) in = &folder;
  if (cached) {
    if (entries.empty() && !load_all(in, 1)) return false;
    CONFIG_ENTRY* entry = find(id);
    if (!entry) {
      SOFT_ERROR(256, id);
      return false;
    }
    if (value) copy_cut(value, CONFIG_VALUE_SIZE, entry->value);
    return true;
  }
  TEXT_FILE* file = open_text_file(in, name, 0, 0);
  if (!file) {
    SOFT_ERROR(4098, name);
    return false;
  }
  CONFIG_ENTRY entry;
  while (!at_end(file)) {
    if (read_entry(file, &entry, nullptr) != ENTRY_READ) continue;
    if (strcmp(entry.id, id) == 0) {
      if (value) copy_cut(value, CONFIG_VALUE_SIZE, entry.value);
      close_text_file(&file);
      return true;
    }
  }
  close_text_file(&file);
  if (last_error_code == 0) SOFT_ERROR(256, id);
  return false;
}

namespace {

// Scans a number as the 32-bit "%ld" or "%lX" forms do: blanks, a sign, an
// optional 0x before hex digits; the value wraps at 32 bits.
bool scan_number(const char* text, bool hex, INT_S32* out) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) p++;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (hex && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && isxdigit(static_cast<unsigned char>(p[2]))) p += 2;
  INT_U32 value = 0;
  int digits = 0;
  for (;; p++, digits++) {
    int d;
    if (*p >= '0' && *p <= '9')
      d = *p - '0';
    else if (hex && *p >= 'a' && *p <= 'f')
      d = *p - 'a' + 10;
    else if (hex && *p >= 'A' && *p <= 'F')
      d = *p - 'A' + 10;
    else
      break;
    value = value * (hex ? 16u : 10u) + static_cast<INT_U32>(d);
  }
  if (!digits) return false;
  if (negative) value = 0u - value;
  *out = static_cast<INT_S32>(value);
  return true;
}

}  // namespace

bool CONFIG_FILE::get_long(FOLDER* in, const char* id, INT_S32* out, INT_U8 hex) {
  char value[CONFIG_VALUE_SIZE];
  if (!get_string(in, id, value)) return false;
  if (out) scan_number(value, hex != 0, out);
  return true;
}

bool CONFIG_FILE::set_long(FOLDER* in, const char* id, INT_S32 value, INT_U8 hex) {
  char text[16];
  if (hex)
    snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
  else
    snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return set_string(in, id, text);
}

namespace {

// An identifier the reader would cut, skip as a comment, strip of its
// leading blanks or split over two lines would never be found again; worse,
// a fresh read would take the line after it for another entry.
bool readable_identifier(const char* id) {
  if (!id || !*id || *id == '#' || is_blank(*id)) return false;
  const size_t length = strlen(id);
  return length < CONFIG_ID_SIZE && strcspn(id, "\r\n") == length;
}

}  // namespace

bool CONFIG_FILE::set_string(FOLDER* in, const char* id, const char* value) {
  if (!readable_identifier(id)) {
    SOFT_ERROR(4097, nullptr);
    return false;
  }
  set_last_error(0, nullptr);
  if (!value) value = "";
  if (!in) in = &folder;
  if (cached) {
    if (entries.empty() && !load_all(in, 0)) return false;
    CONFIG_ENTRY* entry = find(id);
    if (entry) {
      copy_cut(entry->value, sizeof entry->value, value);
    } else {
      entry = new (std::nothrow) CONFIG_ENTRY;
      if (!entry) {
        SOFT_ERROR(4100, nullptr);
        return false;
      }
      copy_cut(entry->id, sizeof entry->id, id);
      copy_cut(entry->value, sizeof entry->value, value);
      entry->index = static_cast<INT_U16>(entries.size());
      entries.push_back(entry);
    }
    bool written = write_all(in);
    sort_by_id();
    return written;
  }

  // Direct mode: copy the file with the one value changed into a
  // replacement, comment and empty lines kept in place.
  TEXT_FILE* old = open_text_file(in, name, 0, 0);
  if (!old && !file_missing(in, name)) {
    SOFT_ERROR(4098, name);
    return false;
  }
  REPLACEMENT replacement;
  if (!replacement.begin(in, name)) {
    if (old) close_text_file(&old);
    SOFT_ERROR(4098, name);
    return false;
  }
  bool ok = true;
  bool matched = false;
  if (old) {
    CONFIG_ENTRY entry;
    while (!at_end(old)) {
      if (read_entry(old, &entry, replacement.text) != ENTRY_READ) continue;
      bool same = strcmp(entry.id, id) == 0;
      matched = matched || same;
      ok = write_entry(replacement.text, entry.id, same ? value : entry.value) && ok;
    }
    close_text_file(&old);
  }
  if (!matched) {
    char cut_id[CONFIG_ID_SIZE];
    char cut_value[CONFIG_VALUE_SIZE];
    copy_cut(cut_id, sizeof cut_id, id);
    copy_cut(cut_value, sizeof cut_value, value);
    ok = write_entry(replacement.text, cut_id, cut_value) && ok;
  }
  if (!replacement.commit(ok)) {
    SOFT_ERROR(4098, name);
    return false;
  }
  return true;
}

void CONFIG_FILE::for_each_entry(FOLDER* in, CONFIG_VISITOR callback, INT_WORD arg) {
  set_last_error(0, nullptr);
  if (!callback) {
    SOFT_ERROR(4099, nullptr);
    return;
  }
  if (!in) in = &folder;
  if (cached) {
    if (entries.empty() && !load_all(in, 1)) return;
    for (CONFIG_ENTRY* e : entries) callback(e->id, e->value, arg);
    return;
  }
  TEXT_FILE* file = open_text_file(in, name, 0, 0);
  if (!file) {
    SOFT_ERROR(4098, name);
    return;
  }
  CONFIG_ENTRY entry;
  while (!at_end(file))
    if (read_entry(file, &entry, nullptr) == ENTRY_READ) callback(entry.id, entry.value, arg);
  close_text_file(&file);
}

bool CONFIG_FILE::write_all(FOLDER* in) {
  if (!in) in = &folder;
  REPLACEMENT replacement;
  if (!replacement.begin(in, name)) {
    SOFT_ERROR(4098, name);
    return false;
  }
  std::stable_sort(entries.begin(), entries.end(), by_index);
  bool ok = true;
  for (CONFIG_ENTRY* e : entries) ok = write_entry(replacement.text, e->id, e->value) && ok;
  sort_by_id();
  if (!replacement.commit(ok)) {
    SOFT_ERROR(4098, name);
    return false;
  }
  return true;
}
