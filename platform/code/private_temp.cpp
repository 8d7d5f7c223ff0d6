// The process's private folder inside "$TEMP": files with fixed names (the
// unpacked fonts, documents) go there, never straight into the shared folder.
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "folder.h"

namespace {

struct PRIVATE_TEMP {
  char path[FOLDER_PATH_SIZE] = {0};  // empty = not made
  pid_t owner = 0;                    // a forked child makes its own
};

PRIVATE_TEMP& private_temp() {
  static PRIVATE_TEMP state;
  return state;
}

int remove_entry(const char* path, const struct stat*, int, struct FTW*) {
  remove(path);
  return 0;
}

}  // namespace

bool get_private_temp_folder(FOLDER* out) {
  if (!out) return false;
  PRIVATE_TEMP& t = private_temp();
  if (t.path[0] && t.owner != getpid()) t.path[0] = 0;  // the parent's folder stays the parent's
  if (!t.path[0]) {
    FOLDER temp;
    temp.set("$TEMP", 1);
    char pattern[FOLDER_PATH_SIZE];
    const int n = snprintf(pattern, sizeof pattern, "%s/zorv-%d-XXXXXX",
                           temp.native_path_text(nullptr), static_cast<int>(getpid()));
    if (n < 0 || n >= static_cast<int>(sizeof pattern)) return false;
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

void remove_private_temp_folder() {
  PRIVATE_TEMP& t = private_temp();
  if (!t.path[0] || t.owner != getpid()) return;
  // Depth first, links removed as links, never followed.
  nftw(t.path, remove_entry, 16, FTW_DEPTH | FTW_PHYS);
  t.path[0] = 0;
}
