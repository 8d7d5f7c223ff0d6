// The folders of "$TEMP" a process uses. Runs of one program share them, so
// each run holds a shared lock on every level it uses for as long as it runs,
// and a run removes a level only while it has the level's lock to itself
// (and rmdir, which never removes a folder that holds anything): one run's
// end never takes a folder from under another that is about to write there.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "folder.h"
#include "folder_internal.h"

void (*temp_folder_hold_step)(const char* path) = nullptr;

namespace {

// Plain static storage, changed only while termination signals are held:
// the clean-up of a termination signal reads it.
struct HELD_FOLDER {
  char path[FOLDER_PATH_SIZE];
  int fd;      // holds the shared lock; -1 while only made
  dev_t dev;   // the directory the lock is on: a folder of the same name
  ino_t ino;   // made later is another one
  bool nofollow;
  bool remove;  // made by this run, or by runs before it (see adopt)
};

struct HELD_FOLDERS {
  static const int kMax = 64;
  HELD_FOLDER items[kMax];
  volatile sig_atomic_t count;
  pid_t owner;  // a forked child holds its own
};
HELD_FOLDERS held_folders;

// A run waits at most this long for a run that is removing a level.
const int kHoldAttempts = 2000;
const long kContendedWaitNs = 1000000;

bool level_stat(const char* path, bool nofollow, struct stat* st) {
  return (nofollow ? lstat(path, st) : stat(path, st)) == 0;
}

bool private_dir(const struct stat& st) {
  return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && !(st.st_mode & 022);
}

// The table of this process; one inherited through fork is let go (the
// parent keeps its locks through its own descriptors).
HELD_FOLDERS& table() {
  HELD_FOLDERS& h = held_folders;
  if (h.owner != getpid()) {
    for (int i = 0; i < h.count; i++)
      if (h.items[i].fd >= 0) close(h.items[i].fd);
    h.count = 0;
    h.owner = getpid();
  }
  return h;
}

HELD_FOLDER* find(const char* path) {
  HELD_FOLDERS& h = table();
  for (int i = 0; i < h.count; i++)
    if (strcmp(h.items[i].path, path) == 0) return &h.items[i];
  return nullptr;
}

// A free record, or null when the table is full of live holds. Records of
// levels that are gone are reused.
HELD_FOLDER* new_record() {
  HELD_FOLDERS& h = table();
  if (h.count < HELD_FOLDERS::kMax) {
    HELD_FOLDER* r = &h.items[h.count];
    r->fd = -1;
    r->remove = false;
    r->path[0] = 0;
    h.count = h.count + 1;
    return r;
  }
  for (int i = 0; i < h.count; i++) {
    HELD_FOLDER& r = h.items[i];
    struct stat st;
    if (level_stat(r.path, r.nofollow, &st) && st.st_dev == r.dev && st.st_ino == r.ino) continue;
    if (r.fd >= 0) close(r.fd);
    r.fd = -1;
    r.remove = false;
    r.path[0] = 0;
    return &r;
  }
  return nullptr;
}

void register_exit_clean_up() {
  static bool registered = false;
  if (!registered) registered = atexit(folder_detail::remove_empty_temp_folders) == 0;
}

// Notes a level this run made: it goes at exit when empty.
void note_made(const char* path, bool nofollow) {
  struct stat st;
  if (!level_stat(path, nofollow, &st)) return;
  HELD_FOLDER* r = find(path);
  if (!r) r = new_record();
  if (!r) return;
  if (r->fd >= 0) close(r->fd);
  strcpy(r->path, path);
  r->fd = -1;
  r->dev = st.st_dev;
  r->ino = st.st_ino;
  r->nofollow = nofollow;
  r->remove = true;
  register_exit_clean_up();
}

// Takes the shared lock on the level open on fd. `alone` tells whether no
// other run held it. False while a run removing it holds it alone.
bool lock_shared(int fd, bool* alone) {
  *alone = flock(fd, LOCK_EX | LOCK_NB) == 0;
  return flock(fd, LOCK_SH | LOCK_NB) == 0;
}

void wait_briefly() {
  struct timespec t = {0, kContendedWaitNs};
  nanosleep(&t, nullptr);
}

// Removes the level of r when it is empty and no other run holds it.
void remove_if_unused(HELD_FOLDER& r) {
  int fd = r.fd;
  if (fd < 0) fd = open(r.path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (r.nofollow ? O_NOFOLLOW : 0));
  if (fd < 0) return;
  struct stat held, named;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 && held.st_dev == r.dev &&
      held.st_ino == r.ino && level_stat(r.path, r.nofollow, &named) && named.st_dev == r.dev &&
      named.st_ino == r.ino)
    rmdir(r.path);
  close(fd);  // also ends the exclusive hold, after the removal
  r.fd = -1;
}

}  // namespace

namespace folder_detail {

bool hold_temp_folder(const char* path, mode_t mode, bool private_level, bool make) {
  for (int attempt = 0; attempt < kHoldAttempts; attempt++) {
    struct stat st;
    if (!level_stat(path, private_level, &st)) {
      if (errno != ENOENT || !make) return false;
      TERMINATION_SIGNALS_HELD held;
      if (mkdir(path, mode) != 0) {
        if (errno == EEXIST) continue;
        return false;
      }
      note_made(path, private_level);
      continue;
    }
    if (private_level ? !private_dir(st) : !S_ISDIR(st.st_mode)) return false;
    HELD_FOLDER* r = find(path);
    if (r && r->fd >= 0 && r->dev == st.st_dev && r->ino == st.st_ino) return true;
    const int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (private_level ? O_NOFOLLOW : 0));
    if (fd < 0) {
      if (errno == ENOENT) continue;
      return false;
    }
    if (temp_folder_hold_step) temp_folder_hold_step(path);
    bool alone = false;
    if (!lock_shared(fd, &alone)) {
      close(fd);
      wait_briefly();
      continue;
    }
    // The lock is worth something only on the folder the name still gives:
    // a run may have removed this one before the lock was taken.
    struct stat locked, named;
    if (fstat(fd, &locked) != 0 || locked.st_nlink == 0 || !level_stat(path, private_level, &named) ||
        named.st_dev != locked.st_dev || named.st_ino != locked.st_ino) {
      close(fd);
      continue;
    }
    TERMINATION_SIGNALS_HELD held;
    r = find(path);
    const bool made = r && r->remove && r->dev == locked.st_dev && r->ino == locked.st_ino;
    if (!r) r = new_record();
    if (!r) {
      close(fd);  // no room to note it: used without a hold, never removed
      return true;
    }
    if (r->fd >= 0) close(r->fd);
    strcpy(r->path, path);
    r->fd = fd;
    r->dev = locked.st_dev;
    r->ino = locked.st_ino;
    r->nofollow = private_level;
    // A level another run holds was made by runs: the last to leave it takes
    // it away. One that was there, unused, before any run stays.
    r->remove = made || !alone;
    if (r->remove) register_exit_clean_up();
    return true;
  }
  struct stat st;
  return level_stat(path, private_level, &st) && S_ISDIR(st.st_mode);
}

bool hold_temp_folder_below(const char* parent, const char* path) {
  const HELD_FOLDER* r = find(parent);
  if (!r || r->fd < 0) return false;
  hold_temp_folder(path, 0777, false, true);
  return true;
}

void adopt_temp_folder(const char* path) {
  TERMINATION_SIGNALS_HELD held;
  HELD_FOLDER* r = find(path);
  if (!r || r->fd < 0) return;
  r->remove = true;
  register_exit_clean_up();
}

void remove_empty_temp_folders() {
  HELD_FOLDERS& h = held_folders;
  if (h.owner == getpid()) {
    const int saved_errno = errno;
    // Deepest first, whatever order the levels were held in: a deeper level
    // has the longer path.
    for (;;) {
      HELD_FOLDER* deepest = nullptr;
      size_t deepest_length = 0;
      for (int i = 0; i < h.count; i++) {
        HELD_FOLDER& r = h.items[i];
        const size_t n = strlen(r.path);
        if ((r.fd >= 0 || r.remove) && (!deepest || n > deepest_length)) {
          deepest = &r;
          deepest_length = n;
        }
      }
      if (!deepest) break;
      if (deepest->remove) remove_if_unused(*deepest);
      if (deepest->fd >= 0) close(deepest->fd);
      deepest->fd = -1;
      deepest->remove = false;
    }
    errno = saved_errno;
  }
  h.count = 0;
}

}  // namespace folder_detail
