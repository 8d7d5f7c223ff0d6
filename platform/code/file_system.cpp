// File-system operations of a folder: path texts, moving through the tree,
// opening, renaming and removing files and folders, scans and listings.
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "app.h"
#include "folder.h"
#include "folder_internal.h"
#include "utilities.h"

using namespace folder_detail;

namespace folder_detail {

bool join(char* out, const char* path, const char* name, bool always_slash) {
  size_t p = strlen(path), n = strlen(name);
  bool slash = always_slash || p == 0 || path[p - 1] != '/';
  if (p + (slash ? 1 : 0) + n >= FOLDER_PATH_SIZE) return false;
  memcpy(out, path, p);
  if (slash) out[p++] = '/';
  memcpy(out + p, name, n + 1);
  return true;
}

bool copy_path(char* out, const char* text) {
  size_t n = strlen(text);
  if (n >= FOLDER_PATH_SIZE) return false;
  memcpy(out, text, n + 1);
  return true;
}

const char* home() {
  const char* h = getenv("HOME");
  if (!h || !*h || strlen(h) >= FOLDER_PATH_SIZE) return nullptr;
  return h;
}

bool is_home(const char* path) {
  const char* h = getenv("HOME");
  if (!h || !*h) return false;
  size_t n = strlen(h);
  if (strcmp(path, h) == 0) return true;
  // HOME given with a trailing '/' still stops the climb at the home folder.
  return n > 1 && h[n - 1] == '/' && strlen(path) == n - 1 && strncmp(path, h, n - 1) == 0;
}

void temp_folder(FOLDER* out) { out->set("$TEMP"); }

bool executable_path(char* out) {
  ssize_t n = readlink("/proc/self/exe", out, FOLDER_PATH_SIZE);
  // A link that fills the buffer may have been cut: treat it as unreadable.
  if (n <= 0 || n >= FOLDER_PATH_SIZE) return false;
  out[n] = 0;
  return true;
}

}  // namespace folder_detail

bool is_directory(const char* path) {
  struct stat st;
  return path && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

const char* FOLDER::native_path_text(const char* name) const {
  static char text[FOLDER_PATH_SIZE];
  char base[FOLDER_PATH_SIZE];
  strcpy(base, path);
  size_t n = strlen(base);
  if (n && base[n - 1] == '/') base[--n] = 0;
  if (!name) {
    strcpy(text, n ? base : "/");
    return text;
  }
  // A joined text that does not fit names no file: give an empty text rather
  // than a cut (different) path.
  if (!join(text, base, name, true)) text[0] = 0;
  return text;
}

bool FOLDER::equals(const FOLDER* other) const { return other && strcmp(path, other->path) == 0; }

bool FOLDER::go_up() {
  FOLDER temp(UNSET{});
  temp_folder(&temp);
  char copy[FOLDER_PATH_SIZE];
  strcpy(copy, path);
  size_t n = strlen(copy);
  if (n && copy[n - 1] == '/') copy[--n] = 0;
  if (n == 0 || is_home(copy) || strcmp(copy, temp.path) == 0) return false;
  char* slash = strrchr(copy, '/');
  // A path without any '/' has no parent to go to.
  if (!slash) return false;
  if (slash == copy)
    copy[1] = 0;
  else
    *slash = 0;
  if (!is_directory(copy)) return false;
  strcpy(path, copy);
  return true;
}

bool FOLDER::enter(const char* name, INT_U8 create) {
  if (!name || !*name) return false;
  char joined[FOLDER_PATH_SIZE];
  if (!join(joined, path, name)) return false;
  if (create && !is_directory(joined)) {
    // Inside a "$TEMP" folder of the run a new level is held like the others,
    // so it goes at exit when left empty.
    if (!folder_detail::hold_temp_folder_below(path, joined)) mkdir(joined, 0777);
  }
  if (!is_directory(joined)) return false;
  strcpy(path, joined);
  return true;
}

bool FOLDER::set_if_directory(const char* path_text) {
  if (!path_text || strlen(path_text) >= FOLDER_PATH_SIZE || !is_directory(path_text)) return false;
  strcpy(path, path_text);
  return true;
}

bool FOLDER::get_file_info(const char* name, FILE_INFO* out) const {
  char joined[FOLDER_PATH_SIZE];
  struct stat st;
  if (!name || !out || !join(joined, path, name, true) || stat(joined, &st) != 0) return false;
  out->is_folder = S_ISDIR(st.st_mode) ? 1 : 0;
  out->hidden = name[0] == '.' ? 1 : 0;
  out->permissions = static_cast<INT_U16>(st.st_mode & 0700);
  out->size = static_cast<INT_U32>(st.st_size);
  out->modified = static_cast<INT_U32>(st.st_mtime);
  return true;
}

// A name with a ".." component leads out of the folder.
static bool leaves_folder(const char* name) {
  for (const char* p = name; *p;) {
    size_t n = strcspn(p, "/");
    if (n == 2 && p[0] == '.' && p[1] == '.') return true;
    p += n;
    while (*p == '/') p++;
  }
  return false;
}

FILE* FOLDER::open_file(const char* name, const char* mode) const {
  // Names come from packages and option files too: they never reach
  // outside the folder.
  if (!name || !*name || !mode || !*mode || leaves_folder(name)) return nullptr;
  char joined[FOLDER_PATH_SIZE];
  if (!join(joined, path, name)) return nullptr;
  // Close-on-exec: the programs the library starts (the desktop's tools,
  // message boxes) never inherit an open file.
  char cloexec_mode[16];
  if (snprintf(cloexec_mode, sizeof cloexec_mode, "%s%s", mode, strchr(mode, 'e') ? "" : "e") >=
      static_cast<int>(sizeof cloexec_mode))
    return nullptr;
  FILE* f = fopen(joined, cloexec_mode);
  if (f) {
    // A folder opens for reading but every read then fails without an end of
    // file, which would keep line readers turning for ever.
    struct stat st;
    if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
      fclose(f);
      errno = EISDIR;
      return nullptr;
    }
    return f;
  }
  // An update mode creates a file that does not exist yet. Only a missing
  // file is created: an existing one that cannot be opened is left alone.
  // The new stream can read back what it writes.
  bool binary = strcmp(mode, "r+b") == 0;
  if (errno != ENOENT || !(binary || strcmp(mode, "r+") == 0)) return nullptr;
  int fd = ::open(joined, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  f = fdopen(fd, binary ? "r+b" : "r+");
  if (!f) close(fd);
  return f;
}

FILE* FOLDER::open_regular_file(const char* name, const char* mode) const {
  if (!name || !*name || !mode || leaves_folder(name)) {
    errno = EINVAL;
    return nullptr;
  }
  int flags;
  if (strcmp(mode, "rb") == 0)
    flags = O_RDONLY;
  else if (strcmp(mode, "r+b") == 0)
    flags = O_RDWR;
  else if (strcmp(mode, "wb") == 0)
    flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW;
  else {
    errno = EINVAL;
    return nullptr;
  }
  char joined[FOLDER_PATH_SIZE];
  if (!join(joined, path, name)) {
    errno = ENAMETOOLONG;
    return nullptr;
  }
  // Without blocking, so that a FIFO put in place of the file never holds
  // the open; the descriptor itself is then checked, not the name.
  int fd = ::open(joined, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat st;
  int error = 0;
  if (fstat(fd, &st) != 0)
    error = errno;
  else if (!S_ISREG(st.st_mode))
    error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
    error = errno;
  FILE* f = error ? nullptr : fdopen(fd, mode);
  if (!f) {
    if (!error) error = errno;
    close(fd);
    errno = error;
  }
  return f;
}

void close_file(FILE* stream) {
  if (stream) fclose(stream);
}

// ---------------------------------------------------------------- outputs

namespace {

// Names the fresh files: fixed length, unlikely to be taken. A name taken
// (by chance or by someone else) only costs another try.
const int kFreshNameTries = 100;

unsigned long long next_fresh_number() {
  static unsigned long long state = 0;
  if (state == 0) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    state = (static_cast<unsigned long long>(getpid()) << 32) ^ static_cast<unsigned long long>(now.tv_nsec) ^
            (static_cast<unsigned long long>(now.tv_sec) << 20) ^ reinterpret_cast<uintptr_t>(&state);
  }
  // splitmix64
  unsigned long long z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

bool is_component(const char* name) {
  return name && *name && !strchr(name, '/') && strcmp(name, ".") != 0 && strcmp(name, "..") != 0 &&
         strlen(name) <= FOLDER_SEGMENT_MAX;
}

}  // namespace

OUTPUT_FILE::~OUTPUT_FILE() { abandon(); }

void OUTPUT_FILE::release_folder() {
  folder_fd_ = -1;
  name_[0] = 0;
  fresh_[0] = 0;
}

bool OUTPUT_FILE::open_at(int folder_fd, const char* name) {
  abandon();
  if (!is_component(name) || folder_fd < 0) {
    errno = EINVAL;
    return false;
  }
  folder_fd_ = folder_fd;
  strcpy(name_, name);
  const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  // A new name costs this one open.
  fd_ = openat(folder_fd, name, flags, 0666);
  if (fd_ >= 0) return true;
  int error = errno;
  if (error == EEXIST) {
    // The name is there: a file or a link is replaced, never opened. A
    // folder, a device, a FIFO or a socket stays what it is.
    struct stat st;
    if (fstatat(folder_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      error = errno;
    } else if (S_ISDIR(st.st_mode)) {
      error = EISDIR;
    } else if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
      error = EEXIST;
    } else {
      for (int tries = 0; tries < kFreshNameTries; ++tries) {
        snprintf(fresh_, sizeof fresh_, ".zorv-%016llx.part", next_fresh_number());
        fd_ = openat(folder_fd, fresh_, flags, 0666);
        if (fd_ >= 0) return true;
        error = errno;
        if (error != EEXIST) break;
      }
    }
  }
  release_folder();
  errno = error;
  return false;
}

bool OUTPUT_FILE::finish(int* keep_open) {
  if (fd_ < 0) {
    errno = EBADF;
    return false;
  }
  int error = 0;
  if (!keep_open) {
    // close reports what a network file system could not write.
    if (close(fd_) != 0) error = errno;
    fd_ = -1;
  }
  if (!error && fresh_[0] && renameat(folder_fd_, fresh_, folder_fd_, name_) != 0) error = errno;
  if (error) {
    if (fd_ >= 0) {
      abandon();
    } else {
      // Closed already: what this object made goes by its name.
      unlinkat(folder_fd_, fresh_[0] ? fresh_ : name_, 0);
      release_folder();
    }
    errno = error;
    return false;
  }
  if (keep_open) *keep_open = fd_;
  fd_ = -1;
  release_folder();
  return true;
}

void OUTPUT_FILE::abandon() {
  const int saved = errno;
  if (fd_ >= 0) {
    struct stat held;
    const bool known = !fresh_[0] && fstat(fd_, &held) == 0;
    close(fd_);
    fd_ = -1;
    if (fresh_[0]) {
      unlinkat(folder_fd_, fresh_, 0);
    } else {
      // Only the file this object made: one put in its place stays.
      struct stat now;
      if (known && fstatat(folder_fd_, name_, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == held.st_dev &&
          now.st_ino == held.st_ino)
        unlinkat(folder_fd_, name_, 0);
    }
  }
  release_folder();
  errno = saved;
}

int open_sub_folder_at(int folder_fd, const char* name, INT_U8 create, bool* foreign_link) {
  if (foreign_link) *foreign_link = false;
  if (!is_component(name) || folder_fd < 0) {
    errno = EINVAL;
    return -1;
  }
  const int flags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
  int fd = openat(folder_fd, name, flags);
  if (fd >= 0) return fd;
  if (errno == ENOENT && create) {
    if (mkdirat(folder_fd, name, 0777) != 0 && errno != EEXIST) return -1;
    fd = openat(folder_fd, name, flags);
    if (fd >= 0) return fd;
  }
  if (errno != ENOTDIR && errno != ELOOP) return -1;
  // Perhaps a link: the link itself is held, so that its owner and its
  // text are those of one and the same link.
  const int link = openat(folder_fd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (link < 0) return -1;
  struct stat st;
  char text[FOLDER_PATH_SIZE];
  ssize_t n = -1;
  int error = ENOTDIR;
  if (fstat(link, &st) == 0 && S_ISLNK(st.st_mode)) {
    if (st.st_uid != geteuid() && st.st_uid != 0) {
      if (foreign_link) *foreign_link = true;
      error = EPERM;
    } else {
      n = readlinkat(link, "", text, sizeof text);
      error = errno;
    }
  }
  close(link);
  if (n <= 0 || n >= static_cast<ssize_t>(sizeof text)) {
    errno = n >= static_cast<ssize_t>(sizeof text) ? ENAMETOOLONG : error;
    return -1;
  }
  text[n] = 0;
  // The user's (or root's) own link leads where it leads, as a path would.
  return openat(folder_fd, text, O_PATH | O_DIRECTORY | O_CLOEXEC);
}

bool FOLDER::rename_file(const char* name, const FOLDER* to, const char* new_name) const {
  if (!name || !to) return false;
  char from_path[FOLDER_PATH_SIZE], to_path[FOLDER_PATH_SIZE];
  if (!join(from_path, path, name) || !join(to_path, to->path, new_name ? new_name : name))
    return false;
  return rename(from_path, to_path) == 0;
}

bool FOLDER::remove_file(const char* name) const {
  char joined[FOLDER_PATH_SIZE];
  if (!name || !join(joined, path, name)) return false;
  return remove(joined) == 0;
}

bool FOLDER::remove_folder(const char* name, INT_U8 recursive) const {
  char joined[FOLDER_PATH_SIZE];
  if (!name || !join(joined, path, name)) return false;
  if (recursive) {
    // A link is removed itself; what it points to is never touched.
    struct stat st;
    if (lstat(joined, &st) == 0 && S_ISLNK(st.st_mode)) return unlink(joined) == 0;
    if (!empty_sub_folder(name)) return false;
  }
  return rmdir(joined) == 0;
}

bool FOLDER::empty_sub_folder(const char* name) const {
  FOLDER scratch(*this);
  char joined[FOLDER_PATH_SIZE];
  struct stat st;
  if (!name || !join(joined, path, name) || lstat(joined, &st) != 0 || !S_ISDIR(st.st_mode))
    return false;
  if (!scratch.enter(name, 0)) return false;
  struct dirent** entries = nullptr;
  int n = scandir(scratch.path[0] ? scratch.path : "/", &entries, nullptr, alphasort);
  if (n < 0) return true;
  // Sub-folders first, then everything else; lstat so that a link to a folder
  // counts as a file and is unlinked, never entered.
  for (int pass = 0; pass < 2; pass++) {
    for (int i = 0; i < n; i++) {
      const char* entry = entries[i]->d_name;
      if (strcmp(entry, ".") == 0 || strcmp(entry, "..") == 0) continue;
      char child[FOLDER_PATH_SIZE];
      if (!join(child, scratch.path, entry) || lstat(child, &st) != 0) continue;
      bool folder = S_ISDIR(st.st_mode);
      if (pass == 0 && folder) scratch.remove_folder(entry, 1);
      if (pass == 1 && !folder) scratch.remove_file(entry);
    }
  }
  for (int i = 0; i < n; i++) free(entries[i]);
  free(entries);
  return true;
}

// "." and ".." are never listed, so a folder without entries gives no scan.
static int real_entry(const struct dirent* entry) {
  return strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0;
}

DIR_SCAN* FOLDER::open_scan(const char* pattern, INT_U8 show_hidden, INT_U32 match_mode,
                            INT_U8 filter_folders) {
  if (pattern && strlen(pattern) > DIR_SCAN_PATTERN_MAX) return nullptr;
  struct dirent** entries = nullptr;
  int n = scandir(path[0] ? path : "/", &entries, real_entry, alphasort);
  if (n <= 0) {
    if (n == 0) free(entries);
    return nullptr;
  }
  DIR_SCAN* scan = new (std::nothrow) DIR_SCAN;
  if (!scan) {
    for (int i = 0; i < n; i++) free(entries[i]);
    free(entries);
    return nullptr;
  }
  scan->entries = entries;
  scan->count = n;
  scan->next = 0;
  scan->show_hidden = show_hidden;
  strcpy(scan->pattern, pattern ? pattern : "");
  scan->match_mode = match_mode;
  scan->folder = this;
  scan->filter_folders = filter_folders;
  return scan;
}

static bool matches(const char* name, const char* pattern, INT_U32 mode) {
  size_t n = strlen(name), p = strlen(pattern);
  switch (mode) {
    case MATCH_ENDS_NOCASE:
      return n >= p && strcasecmp(name + n - p, pattern) == 0;
    case MATCH_BEGINS:
      return strncmp(name, pattern, p) == 0;
    case MATCH_BEGINS_NOCASE:
      return strncasecmp(name, pattern, p) == 0;
    case MATCH_CONTAINS:
      return strstr(name, pattern) != nullptr;
    case MATCH_CONTAINS_NOCASE:
      return strcasestr(name, pattern) != nullptr;
    case MATCH_EQUALS:
      return strcmp(name, pattern) == 0;
    case MATCH_EQUALS_NOCASE:
      return strcasecmp(name, pattern) == 0;
    default:
      return n >= p && strcmp(name + n - p, pattern) == 0;
  }
}

bool read_dir_scan(DIR_SCAN* scan, DIR_SCAN_ITEM* out) {
  if (!scan || !out) return false;
  while (scan->next < scan->count) {
    const char* name = scan->entries[scan->next++]->d_name;
    char joined[FOLDER_PATH_SIZE];
    struct stat st;
    if (!join(joined, scan->folder->path, name, true) || stat(joined, &st) != 0) continue;
    if (!scan->show_hidden && name[0] == '.') continue;
    bool folder = S_ISDIR(st.st_mode);
    if (scan->pattern[0] && (!folder || scan->filter_folders) &&
        !matches(name, scan->pattern, scan->match_mode))
      continue;
    if (folder && (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)) continue;
    out->folder = scan->folder;
    out->name = name;
    out->is_folder = folder ? 1 : 0;
    out->hidden = name[0] == '.' ? 1 : 0;
    out->permissions = static_cast<INT_U16>(st.st_mode & 0700);
    out->size = static_cast<INT_U32>(st.st_size);
    out->modified = static_cast<INT_U32>(st.st_mtime);
    return true;
  }
  return false;
}

void close_dir_scan(DIR_SCAN* scan) {
  if (!scan) return;
  for (int i = 0; i < scan->count; i++) free(scan->entries[i]);
  free(scan->entries);
  delete scan;
}

void FOLDER::list(INT_U8 folders, INT_U8 show_hidden, INT_U8 append, DIR_ENTRY** array,
                  INT_S32* count, const char* pattern, INT_U32 match_mode, INT_S32 first_capacity,
                  INT_S32 growth) {
  if (!array || !count) return;
  if (first_capacity < 1) first_capacity = 1;
  if (growth < 1) growth = 1;
  if (!append) {
    *count = 0;
    *array = nullptr;
  }
  INT_S32 capacity = *count;
  DIR_SCAN* scan = open_scan(pattern, show_hidden, match_mode, 0);
  if (!scan) return;
  DIR_SCAN_ITEM item;
  while (read_dir_scan(scan, &item)) {
    if (item.is_folder != (folders ? 1 : 0)) continue;
    if (*count >= capacity) {
      INT_S32 wanted = *count == 0 ? first_capacity : *count + growth;
      void* grown = realloc(static_cast<void*>(*array), static_cast<size_t>(wanted) * sizeof(DIR_ENTRY));
      if (!grown) break;
      *array = static_cast<DIR_ENTRY*>(grown);
      capacity = wanted;
    }
    // The record's folder is a copy of this one: nothing is resolved, and the
    // caller's free() is all the release the record needs.
    DIR_ENTRY* entry = new (&(*array)[*count]) DIR_ENTRY(*this);
    strncpy(entry->name, item.name, FOLDER_SEGMENT_MAX);
    entry->name[FOLDER_SEGMENT_MAX] = 0;
    entry->is_folder = folders ? 1 : 0;
    entry->hidden = item.hidden;
    entry->read_only = (item.permissions & 0200) ? 0 : 1;
    entry->size = item.size;
    entry->modified = item.modified;
    (*count)++;
  }
  close_dir_scan(scan);
}

bool FOLDER::set_file_mode(const char* name, INT_U16 mode) const {
  char joined[FOLDER_PATH_SIZE];
  if (!name || !join(joined, path, name, true)) return false;
  return chmod(joined, mode) == 0;
}

INT_S32 FOLDER::execute(const char* name) const {
  char joined[FOLDER_PATH_SIZE];
  struct stat st;
  if (!name || !join(joined, path, name) || stat(joined, &st) != 0) return -1;
  chmod(joined, (st.st_mode & 07777) | 0111);
  char* const empty[] = {nullptr};
  // Before the program entry kept its vectors: no arguments, this environment.
  char* const* argv = program_argv ? program_argv : empty;
  char* const* envp = program_envp ? program_envp : environ;
  execve(joined, argv, envp);
  return -1;
}

bool copy_file(const FOLDER* from, const char* name, const FOLDER* to, const char* new_name) {
  if (!from || !to || !name) return false;
  char source[FOLDER_PATH_SIZE], target[FOLDER_PATH_SIZE];
  if (!join(source, from->path, name) || !join(target, to->path, new_name ? new_name : name))
    return false;
  std::string command =
      "cp -f " + shell_quote(source) + " " + shell_quote(target) + " >/dev/null 2>&1";
  return system(command.c_str()) == 0;
}

void get_executable_location(FOLDER* out, char* name_out) {
  char exe[FOLDER_PATH_SIZE];
  if (!executable_path(exe)) {
    const char* h = home();
    if (out) strcpy(out->path, h ? h : "");
    if (name_out) strcpy(name_out, "ZORV Application");
    return;
  }
  char* slash = strrchr(exe, '/');
  if (name_out) strcpy(name_out, slash ? slash + 1 : "");
  if (out) {
    if (!slash || slash == exe)
      out->path[0] = 0;
    else {
      *slash = 0;
      strcpy(out->path, exe);
    }
  }
}

void free_and_clear(void** pointer) {
  if (!pointer) return;
  free(*pointer);
  *pointer = nullptr;
}
