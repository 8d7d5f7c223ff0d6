// The process's private folder inside "$TEMP": files with fixed names (the
// unpacked fonts, documents) go there, never straight into the shared folder.
// Its removal also takes away the empty folders made for "$TEMP".
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
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
    // Other runs of the same name share it: it may stay, empty, at exit.
    keep_temp_folder(temp.path);
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
    if (lstat(pattern, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid() ||
        chmod(pattern, 0700) != 0) {
      rmdir(pattern);
      return false;
    }
    strcpy(t.path, pattern);
    t.owner = getpid();
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
  if (t.path[0] && t.owner == getpid()) remove_tree(t.path);
  t.path[0] = 0;
  remove_empty_temp_folders();
  remove_temp_stand_in();
}
