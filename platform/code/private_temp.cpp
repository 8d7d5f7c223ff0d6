// The process's private folder inside "$TEMP": files with fixed names (the
// unpacked fonts, documents) go there, never straight into the shared folder.
// Its removal also takes away the empty folders made for "$TEMP".
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "folder.h"
#include "folder_internal.h"

namespace {

// Read by the signal handler's clean-up: plain static storage, written only
// while termination signals are held.
struct PRIVATE_TEMP {
  char path[FOLDER_PATH_SIZE];  // empty = not made
  pid_t owner;                  // a forked child makes its own
  int lock_fd;                  // holds the folder's lock while the run lives
};
PRIVATE_TEMP private_temp;

const int kMaxRemoveDepth = 32;

// Empties the folder open on dir_fd, links removed as links, never followed.
// Removing while reading may hide entries from the read, so the folder is
// read again until a pass removes nothing.
void remove_content(int dir_fd, int depth) {
  alignas(struct dirent64) char buffer[2048];
  for (bool removed = true; removed;) {
    removed = false;
    if (lseek(dir_fd, 0, SEEK_SET) != 0) return;
    for (;;) {
      const long n = syscall(SYS_getdents64, dir_fd, buffer, sizeof buffer);
      if (n <= 0) break;
      for (long at = 0; at < n;) {
        const struct dirent64* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
        at += entry->d_reclen;
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        if (unlinkat(dir_fd, name, 0) == 0) {
          removed = true;
          continue;
        }
        if (errno != EISDIR || depth >= kMaxRemoveDepth) continue;
        const int sub = openat(dir_fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub >= 0) {
          remove_content(sub, depth + 1);
          close(sub);
        }
        if (unlinkat(dir_fd, name, AT_REMOVEDIR) == 0) removed = true;
      }
    }
  }
}

const char kPrivatePrefix[] = "zorv-";

// The pid in a private folder's name "zorv-<pid>-XXXXXX", or 0 when the name
// is not of that form.
pid_t pid_in_name(const char* name) {
  if (strncmp(name, kPrivatePrefix, sizeof kPrivatePrefix - 1) != 0) return 0;
  const char* c = name + sizeof kPrivatePrefix - 1;
  long pid = 0;
  const char* digits = c;
  for (; *c >= '0' && *c <= '9'; c++) {
    pid = pid * 10 + (*c - '0');
    if (pid > 0x7FFFFFFF) return 0;
  }
  if (c == digits || *c != '-' || strlen(c + 1) != 6) return 0;
  return static_cast<pid_t>(pid);
}

bool process_runs(pid_t pid) { return kill(pid, 0) == 0 || errno == EPERM; }

// Removes this user's private folders in temp whose run has ended (a run
// ended by SIGKILL leaves its own). A live run holds its folder's lock, so a
// pid used again by another process changes nothing: the folder stays while
// its pid runs or its lock is held. Links are never followed, and nothing
// outside temp is touched. True when one was removed.
bool remove_stale_private_folders(const char* temp) {
  const int dir_fd = open(temp, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd < 0) return false;
  bool removed_any = false;
  const int list_fd = dup(dir_fd);
  DIR* dir = list_fd >= 0 ? fdopendir(list_fd) : nullptr;
  if (!dir && list_fd >= 0) close(list_fd);
  for (struct dirent* e = dir ? readdir(dir) : nullptr; e; e = readdir(dir)) {
    const pid_t pid = pid_in_name(e->d_name);
    if (pid <= 0 || pid == getpid() || process_runs(pid)) continue;
    const int fd = openat(dir_fd, e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
        flock(fd, LOCK_EX | LOCK_NB) == 0) {
      remove_content(fd, 0);
      if (unlinkat(dir_fd, e->d_name, AT_REMOVEDIR) == 0) removed_any = true;
    }
    close(fd);
  }
  if (dir) closedir(dir);
  close(dir_fd);
  return removed_any;
}

}  // namespace

namespace folder_detail {

void remove_tree(const char* path) {
  const int saved_errno = errno;
  const int fd = open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    remove_content(fd, 0);
    close(fd);
    rmdir(path);
  } else {
    unlink(path);  // something else took the name: only the name goes
  }
  errno = saved_errno;
}

TERMINATION_SIGNALS_HELD::TERMINATION_SIGNALS_HELD() {
  sigset_t held;
  sigemptyset(&held);
  for (int s : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM}) sigaddset(&held, s);
  pthread_sigmask(SIG_BLOCK, &held, &previous);
}

TERMINATION_SIGNALS_HELD::~TERMINATION_SIGNALS_HELD() { pthread_sigmask(SIG_SETMASK, &previous, nullptr); }

}  // namespace folder_detail

using namespace folder_detail;

bool get_private_temp_folder(FOLDER* out) {
  if (!out) return false;
  PRIVATE_TEMP& t = private_temp;
  if (t.path[0] && t.owner != getpid()) t.path[0] = 0;  // the parent's folder stays the parent's
  if (!t.path[0]) {
    FOLDER temp;
    temp.set("$TEMP", 1);
    // What ended runs left goes; the folder they shared is then one this run
    // takes away at its end when it is empty.
    if (remove_stale_private_folders(temp.path)) adopt_temp_folder(temp.path);
    char pattern[FOLDER_PATH_SIZE];
    const int n = snprintf(pattern, sizeof pattern, "%s/zorv-%d-XXXXXX",
                           temp.native_path_text(nullptr), static_cast<int>(getpid()));
    if (n < 0 || n >= static_cast<int>(sizeof pattern)) return false;
    // A signal that ends the program removes the folder: it is recorded
    // before any signal can see it.
    TERMINATION_SIGNALS_HELD held;
    // mkdtemp makes a new folder of a fresh name, mode 0700, or fails: an
    // existing name or a link planted in its place is never used.
    if (!mkdtemp(pattern)) return false;
    struct stat st;
    const int lock_fd = open(pattern, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (lock_fd < 0 || fstat(lock_fd, &st) != 0 || st.st_uid != geteuid() || fchmod(lock_fd, 0700) != 0 ||
        flock(lock_fd, LOCK_EX | LOCK_NB) != 0) {
      if (lock_fd >= 0) close(lock_fd);
      rmdir(pattern);
      return false;
    }
    strcpy(t.path, pattern);
    t.owner = getpid();
    t.lock_fd = lock_fd;
    // A program that ends without its own shutdown still leaves nothing.
    static bool registered = false;
    if (!registered) registered = atexit(remove_private_temp_folder) == 0;
  }
  return out->set_if_directory(t.path);
}

// Only calls a signal handler may make: the handler of a termination signal
// that ends a program without a window calls it too.
void remove_private_temp_folder() {
  PRIVATE_TEMP& t = private_temp;
  if (t.path[0] && t.owner == getpid()) {
    remove_tree(t.path);
    close(t.lock_fd);  // after the removal: until then no clean-up takes it
  }
  t.path[0] = 0;
  remove_empty_temp_folders();
  remove_temp_stand_in();
}
