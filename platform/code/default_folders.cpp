// The platform's default folders: the executable's folder, the system-wide
// folders under /opt, the per-user folders in the home folder, and the
// temporary folder.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "folder.h"
#include "folder_internal.h"

using namespace folder_detail;

const char* default_folder_system_root = "/opt";
const char* shared_temp_root = "/tmp";

// <name>: the given name, else the executable's file name.
static void application_name_for(const char* name, char* out) {
  if (name) {
    snprintf(out, FOLDER_PATH_SIZE, "%s", name);
    return;
  }
  char exe[FOLDER_PATH_SIZE];
  if (!executable_path(exe)) {
    strcpy(out, "ZORV Application");
    return;
  }
  const char* slash = strrchr(exe, '/');
  strcpy(out, slash ? slash + 1 : exe);
}

// Formats into a folder path; false when the text does not fit.
static bool format_path(char* out, const char* format, const char* a, const char* b = nullptr) {
  int n = b ? snprintf(out, FOLDER_PATH_SIZE, format, a, b) : snprintf(out, FOLDER_PATH_SIZE, format, a);
  return n >= 0 && n < FOLDER_PATH_SIZE;
}

// A folder only this user can change: a real directory (not a link) that
// belongs to them and that nobody else can write.
static bool private_directory(const char* path) {
  struct stat st;
  return lstat(path, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && !(st.st_mode & 022);
}

// A folder below base, level by level. When `owned` (below a root where
// anyone may create names) every level must be a private directory and a
// missing one is made private; else every level must be a directory. With
// `make` a missing level is made, and every level is held for the run
// (hold_temp_folder); else a missing one is refused. "." and ".." are no
// level. An empty name is base itself when allow_base.
static bool folder_below(FOLDER* f, const char* base, const char* name, bool make, bool owned,
                         bool allow_base = false) {
  char path[FOLDER_PATH_SIZE], rest[FOLDER_PATH_SIZE];
  if (!copy_path(path, base) || !copy_path(rest, name)) return false;
  bool any = allow_base;
  char* save = nullptr;
  for (char* seg = strtok_r(rest, "/", &save); seg; seg = strtok_r(nullptr, "/", &save)) {
    if (strcmp(seg, ".") == 0 || strcmp(seg, "..") == 0) return false;
    char next[FOLDER_PATH_SIZE];
    if (!join(next, path, seg)) return false;
    if (make ? !hold_temp_folder(next, owned ? 0700 : 0777, owned, true)
             : (owned ? !private_directory(next) : !is_directory(next)))
      return false;
    strcpy(path, next);
    any = true;
  }
  if (!any) return false;
  strcpy(f->path, path);
  return true;
}

// The folder that stands in for "<root>/<first>-<uid>" when someone else
// holds both that name and "<root>/<first>": a fresh one of a random name,
// made once and kept for the process, because "$TEMP" is resolved many times
// and must name the same folder each time. Plain static storage: the
// clean-up of a termination signal reads it.
struct TEMP_STAND_IN {
  char path[FOLDER_PATH_SIZE];   // empty = none made
  char first[FOLDER_PATH_SIZE];  // the first level of the name it stands in for
  pid_t owner;                   // only the process that made it removes it
};
static TEMP_STAND_IN temp_stand_in;

void folder_detail::remove_temp_stand_in() {
  TEMP_STAND_IN& s = temp_stand_in;
  if (s.path[0] && s.owner == getpid()) remove_tree(s.path);
  s.path[0] = 0;
}

// The stand-in made for the same first level, while it is still private.
static bool kept_stand_in(FOLDER* f, const char* name, size_t first, bool make) {
  const TEMP_STAND_IN& s = temp_stand_in;
  return s.path[0] && strlen(s.first) == first && strncmp(s.first, name, first) == 0 &&
         private_directory(s.path) && folder_below(f, s.path, name + first, make, true, true);
}

// It goes at exit with whatever it holds: its name is random, so no other
// run uses it.
static bool new_stand_in(FOLDER* f, const char* name, size_t first, bool make) {
  TEMP_STAND_IN& s = temp_stand_in;
  const bool same_name = s.path[0] && strlen(s.first) == first && strncmp(s.first, name, first) == 0;
  if (!make || (s.path[0] && !same_name)) return false;  // one stand-in per process
  s.path[0] = 0;  // one that is gone or changed hands is no longer ours to remove
  char pattern[FOLDER_PATH_SIZE];
  int n = snprintf(pattern, sizeof pattern, "%s/%.*s-%lu-XXXXXX", shared_temp_root, static_cast<int>(first), name,
                   static_cast<unsigned long>(geteuid()));
  if (n < 0 || n >= FOLDER_PATH_SIZE) return false;
  {
    TERMINATION_SIGNALS_HELD held;
    if (!mkdtemp(pattern)) return false;
    if (!private_directory(pattern) || chmod(pattern, 0700) != 0) {
      rmdir(pattern);
      return false;
    }
    strcpy(s.path, pattern);
    snprintf(s.first, sizeof s.first, "%.*s", static_cast<int>(first), name);
    s.owner = getpid();
  }
  static bool registered = false;
  if (!registered) registered = atexit(remove_temp_stand_in) == 0;
  return folder_below(f, s.path, name + first, make, true, true);
}

// <root>/<name>, shared by every user who runs the program under that name.
// The first user to run it owns that folder, so anyone else (or anyone who
// finds the name taken by something unsafe) gets "<first>-<uid>" in place of
// the first level of the name, a folder of their own under the same root;
// when that name is taken too, a stand-in of a random name, kept from then on.
static bool private_shared_folder(FOLDER* f, const char* name, bool make) {
  const size_t first = strcspn(name, "/");
  if (kept_stand_in(f, name, first, make)) return true;
  if (folder_below(f, shared_temp_root, name, make, true)) return true;
  if (first == 0 || strncmp(name, ".", first) == 0 || strncmp(name, "..", first) == 0) return false;
  char own[FOLDER_PATH_SIZE];
  int n = snprintf(own, sizeof own, "%.*s-%lu%s", static_cast<int>(first), name,
                   static_cast<unsigned long>(geteuid()), name + first);
  if (n < 0 || n >= FOLDER_PATH_SIZE) return false;
  if (folder_below(f, shared_temp_root, own, make, true)) return true;
  return new_stand_in(f, name, first, make);
}

// Kind 6: <home>/tmp/<name> when <home>/tmp exists, else below the shared
// temporary folder.
static bool temp_default(FOLDER* f, const char* name, bool make) {
  char app[FOLDER_PATH_SIZE], home_tmp[FOLDER_PATH_SIZE];
  application_name_for(name, app);
  const char* h = home();
  if (h && format_path(home_tmp, "%s/tmp", h) && is_directory(home_tmp))
    return folder_below(f, home_tmp, app, make, false);
  return private_shared_folder(f, app, make);
}

bool FOLDER::set_platform_default(INT_U32 kind, const char* name, INT_U8 create) {
  if (kind > 6) return false;
  if (kind == 6) return temp_default(this, name, create != 0);
  if (kind == 0) {
    char exe[FOLDER_PATH_SIZE];
    if (!executable_path(exe)) {
      const char* h = home();
      strcpy(path, h ? h : "");
      return true;
    }
    char* slash = strrchr(exe, '/');
    if (!slash || slash == exe)
      path[0] = 0;
    else {
      *slash = 0;
      strcpy(path, exe);
    }
    return true;
  }
  char app[FOLDER_PATH_SIZE], text[FOLDER_PATH_SIZE], here_text[FOLDER_PATH_SIZE];
  application_name_for(name, app);
  const char* h = home();
  if (kind <= 3) {
    static const char* const subs[] = {"bin", "data", "shared"};
    const char* sub = subs[kind - 1];
    if (!format_path(text, "%s/%s/", default_folder_system_root, app) ||
        strlen(text) + strlen(sub) >= FOLDER_PATH_SIZE)
      return false;
    strcat(text, sub);
    strcpy(path, text);
    if (is_directory(path)) return true;
    if (!create) return false;
    FOLDER here(UNSET{});
    if (!copy_path(here.path, default_folder_system_root) ||
        !format_path(here_text, "$HERE/%s/%s", app, sub))
      return false;
    return set(here_text, 1, &here);
  }
  if (kind == 4 || kind == 5) {
    if (!h) return false;
    const char* sub = kind == 4 ? "data" : "config";
    if (!format_path(text, "%s/.%s/", h, app) || strlen(text) + strlen(sub) >= FOLDER_PATH_SIZE)
      return false;
    strcat(text, sub);
    strcpy(path, text);
    if (!is_directory(path)) {
      if (!create) return false;
      FOLDER here(UNSET{});
      strcpy(here.path, h);
      if (!format_path(here_text, "$HERE/.%s/%s", app, sub) || !set(here_text, 1, &here))
        return false;
    }
    if (kind == 4) return true;
    // The preferences folder is also reachable from the user's Documents.
    char documents[FOLDER_PATH_SIZE], link_path[FOLDER_PATH_SIZE];
    if (!format_path(documents, "%s/Documents", h) || !is_directory(documents)) return true;
    char link_name[FOLDER_PATH_SIZE];
    strcpy(link_name, app);
    for (char* c = link_name; *c; c++)
      if (*c == '/') *c = '-';
    if (!join(link_path, documents, link_name)) return true;
    struct stat st;
    if (lstat(link_path, &st) == 0) return true;
    if (symlink(path, link_path) != 0) return true;
    strcpy(path, link_path);
    return true;
  }
  return false;
}
