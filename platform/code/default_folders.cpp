// The platform's default folders: the executable's folder, the system-wide
// folders under /opt, the per-user folders in the home folder, and the
// temporary folder.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
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

// A folder below the shared temporary root: every level must be a real
// directory (not a link) that belongs to this user and that nobody else can
// write, because anyone may create names there. Missing levels are made
// private when creation is allowed.
static bool checked_shared_folder(FOLDER* f, const char* name, INT_U8 create) {
  char path[FOLDER_PATH_SIZE], rest[FOLDER_PATH_SIZE];
  if (!copy_path(path, shared_temp_root) || !copy_path(rest, name)) return false;
  bool any = false;
  char* save = nullptr;
  for (char* seg = strtok_r(rest, "/", &save); seg; seg = strtok_r(nullptr, "/", &save)) {
    if (strcmp(seg, ".") == 0 || strcmp(seg, "..") == 0) return false;
    char next[FOLDER_PATH_SIZE];
    if (!join(next, path, seg)) return false;
    struct stat st;
    if (lstat(next, &st) != 0) {
      if (!create || mkdir(next, 0700) != 0 || lstat(next, &st) != 0) return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 022)) return false;
    strcpy(path, next);
    any = true;
  }
  if (!any) return false;
  strcpy(f->path, path);
  return true;
}

// <root>/<name>, shared by every user who runs the program under that name.
// The first user to run it owns that folder, so anyone else (or anyone who
// finds the name taken by something unsafe) gets "<first>-<uid>" in place of
// the first level of the name, a folder of their own under the same root.
static bool private_shared_folder(FOLDER* f, const char* name, INT_U8 create) {
  if (checked_shared_folder(f, name, create)) return true;
  const size_t first = strcspn(name, "/");
  if (first == 0 || strncmp(name, ".", first) == 0 || strncmp(name, "..", first) == 0) return false;
  char own[FOLDER_PATH_SIZE];
  int n = snprintf(own, sizeof own, "%.*s-%lu%s", static_cast<int>(first), name,
                   static_cast<unsigned long>(geteuid()), name + first);
  if (n < 0 || n >= FOLDER_PATH_SIZE) return false;
  return checked_shared_folder(f, own, create);
}

bool FOLDER::set_platform_default(INT_U32 kind, const char* name, INT_U8 create) {
  if (kind > 6) return false;
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
  // Kind 6: <home>/tmp/<name> when <home>/tmp exists, else below the shared
  // temporary folder.
  char home_tmp[FOLDER_PATH_SIZE];
  if (h && format_path(home_tmp, "%s/tmp", h) && is_directory(home_tmp)) {
    FOLDER here(UNSET{});
    strcpy(here.path, home_tmp);
    if (!format_path(here_text, "$HERE/%s", app)) return false;
    return set(here_text, create, &here);
  }
  return private_shared_folder(this, app, create);
}
