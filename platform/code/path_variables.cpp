// Folders set from path texts: path variables, user-defined variables, the
// base-path and icon-path overrides, and the trace of the default folders.
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "console.h"
#include "errors.h"
#include "folder.h"
#include "folder_internal.h"
#include "path_trace_stream.h"
#include "fonts.h"
#include "text_compare.h"

using namespace folder_detail;

INT_U8 (*folder_fonts_ready)() = nullptr;

namespace {

// The user variables. The table itself is never destroyed, so resolutions
// made by other static destructors stay safe; its records are deleted at exit.
struct VARIABLE_TABLE {
  PATH_VARIABLE** items = nullptr;
  INT_S32 count = 0;
  INT_S32 capacity = 0;
};

void clear_table();

VARIABLE_TABLE& table() {
  static VARIABLE_TABLE* t = [] {
    VARIABLE_TABLE* made = new VARIABLE_TABLE;
    atexit(clear_table);
    return made;
  }();
  return *t;
}

void clear_table() {
  VARIABLE_TABLE& t = table();
  for (INT_S32 i = 0; i < t.count; i++) delete_path_variable(t.items[i]);
  free(t.items);
  t.items = nullptr;
  t.count = t.capacity = 0;
}

// Zero-initialised: a resolution made before anything was overridden sees
// no override.
INT_U8 base_path_set = 0;
char application_name[256];
INT_U8 icon_path_set = 0;
INT_U8 default_paths_shown = 0;

// Both start as the executable's folder. They are built from the default
// folder directly: resolving "$APP" here could ask for the base folder while
// it is being built.
FOLDER executable_folder() {
  FOLDER f(FOLDER::UNSET{});
  f.set_platform_default(0, nullptr, 0);
  return f;
}

FOLDER& base_folder() {
  static FOLDER f = executable_folder();
  return f;
}

FOLDER& icon_folder() {
  static FOLDER f = executable_folder();
  return f;
}

bool fonts_ready() { return folder_fonts_ready ? folder_fonts_ready() != 0 : is_font_system_ready() != 0; }

PATH_VARIABLE* find_user(const char* name) {
  VARIABLE_TABLE& t = table();
  for (INT_S32 i = 0; i < t.count; i++) {
    const char* text = t.items[i]->name.text;
    if (name ? (text && strcmp(text, name) == 0) : (!text || !*text)) return t.items[i];
  }
  return nullptr;
}

const char* const builtin_names[] = {"$APP",      "$BASE",      "$SYSAPP", "$INSTDATA",
                                     "$APPDATA",  "$USERDATA",  "$USERPREFS", "$TEMP",
                                     "$FONTDATA", "$ICONDATA",  "$HERE"};

bool is_root_name(const char* name) { return compare_text_nocase_n(name, "$ROOT", 5) == 0; }

}  // namespace

bool is_known_path_variable(const char* name) {
  if (!name) return false;
  if (find_user(name)) return true;
  for (const char* b : builtin_names)
    if (compare_text_nocase(name, b) == 0) return true;
  return is_root_name(name);
}

FOLDER::FOLDER() {
  path[0] = 0;
  set("$APP");
}

FOLDER::FOLDER(UNSET) { path[0] = 0; }

FOLDER::FOLDER(const FOLDER& other) : DATA_DEVICE_CLIENT() { strcpy(path, other.path); }

FOLDER& FOLDER::operator=(const FOLDER& other) {
  if (this != &other) strcpy(path, other.path);
  return *this;
}

FOLDER::~FOLDER() {}

// Applies the segments of a path text: ".." goes up, "." stays, any other
// segment enters a sub-folder. A segment too long for a name is refused.
// Below "$TEMP" (in_temp) each level is held for the run, and those made go
// at exit when still empty.
static bool walk(FOLDER* f, const char* rest, INT_U8 create, bool in_temp = false) {
  char* tail = strdup(rest);
  if (!tail) return false;
  bool ok = true;
  char* save = nullptr;
  for (char* seg = strtok_r(tail, "/", &save); seg && ok; seg = strtok_r(nullptr, "/", &save)) {
    if (strlen(seg) > FOLDER_SEGMENT_MAX)
      ok = false;
    else if (strcmp(seg, "..") == 0)
      ok = f->go_up();
    else if (strcmp(seg, ".") != 0) {
      char joined[FOLDER_PATH_SIZE];
      if (in_temp && join(joined, f->path, seg)) hold_temp_folder(joined, 0777, false, create != 0);
      ok = f->enter(seg, create);
    }
  }
  free(tail);
  return ok;
}

bool FOLDER::set(const char* text, INT_U8 create, const FOLDER* here, INT_U8 create_variable_folder,
                 INT_U8 no_fallback) {
  if (!default_paths_shown && fonts_ready()) {
    default_paths_shown = 1;
    path_trace().printf("\nStarting Default Paths:\n\n");
    print_default_paths();
  }
  if (!text) return false;
  if (text[0] != '$') {
    if (text[0] != '.' || text[1] != '.') {
      resolve_variable("$APP", 0, nullptr, 0);
      return false;
    }
    return walk(this, text, create);
  }
  size_t n = strcspn(text, "/");
  char name[256];
  size_t cut = n > 255 ? 255 : n;
  memcpy(name, text, cut);
  name[cut] = 0;
  // The text and the here-folder may lie in this folder, which the
  // resolution overwrites.
  FOLDER here_copy(here ? *here : *this);
  const FOLDER* here_ptr = here ? &here_copy : nullptr;
  char* tail = strdup(text + n);
  if (!tail) return false;
  bool ok = resolve_variable(name, 0, here_ptr, 1) ||
            resolve_variable(name, create_variable_folder, here_ptr, no_fallback);
  if (!ok)
    resolve_variable("$APP", 0, nullptr, 0);
  else
    ok = walk(this, tail, create, compare_text_nocase(name, "$TEMP") == 0);
  free(tail);
  return ok;
}

// Default folder of a kind for a variable, as the overrides allow.
static bool try_default(FOLDER* f, INT_U32 kind, INT_U8 create) {
  if (base_path_set && !application_name[0] && kind >= 1) return false;
  return f->set_platform_default(kind, base_path_set ? application_name : nullptr, create);
}

// Walks up from "$APP" until one of the sub-folder chains exists there.
static bool search_up(FOLDER* f, const char* const* chains[], int chain_count) {
  FOLDER level(FOLDER::UNSET{});
  level.resolve_variable("$APP", 0, nullptr, 0);
  for (;;) {
    for (int c = 0; c < chain_count; c++) {
      FOLDER probe(level);
      bool ok = true;
      for (const char* const* s = chains[c]; *s && ok; s++) ok = probe.enter(*s, 0);
      if (ok) {
        *f = probe;
        return true;
      }
    }
    if (!level.go_up()) return false;
  }
}

static bool sub_of_defaults(FOLDER* f, const char* sub, INT_U8 create) {
  static const INT_U32 kinds[] = {4, 3, 2};
  for (INT_U32 kind : kinds) {
    FOLDER probe(FOLDER::UNSET{});
    if (try_default(&probe, kind, create) && probe.enter(sub, 0)) {
      *f = probe;
      return true;
    }
  }
  return false;
}

bool FOLDER::resolve_variable(const char* name, INT_U8 create, const FOLDER* here,
                              INT_U8 no_fallback) {
  static const char* const data_chain[] = {"data", nullptr};
  static const char* const font_chain_a[] = {"data", "fonts", nullptr};
  static const char* const font_chain_b[] = {"zorv_libs", "data", "fonts", nullptr};
  static const char* const icon_chain_a[] = {"data", "icons", nullptr};
  static const char* const icon_chain_b[] = {"zorv_libs", "data", "icons", nullptr};

  if (!name) {
    resolve_variable("$APP", 0, nullptr, 0);
    return false;
  }
  if (PATH_VARIABLE* v = find_user(name)) {
    *this = v->folder;
    return true;
  }
  if (compare_text_nocase(name, "$APP") == 0 || compare_text_nocase(name, "$BASE") == 0) {
    if (base_path_set) {
      *this = base_folder();
      return true;
    }
    if (!set_platform_default(0, nullptr, create)) fatal_exit("No application folder found!");
    return true;
  }
  if (compare_text_nocase(name, "$SYSAPP") == 0) {
    if (try_default(this, 1, create)) return true;
    if (no_fallback) return false;
    return resolve_variable("$APP", 0, nullptr, 0);
  }
  static const char* const data_names[] = {"$INSTDATA", "$APPDATA", "$USERDATA", "$USERPREFS"};
  for (INT_U32 i = 0; i < 4; i++) {
    if (compare_text_nocase(name, data_names[i]) != 0) continue;
    if (try_default(this, 2 + i, create)) return true;
    if (no_fallback) return false;
    const char* const* chains[] = {data_chain};
    if (search_up(this, chains, 1)) return true;
    resolve_variable("$APP", 0, nullptr, 0);
    return false;
  }
  if (compare_text_nocase(name, "$TEMP") == 0) {
    // Always made when missing, so that it can be written to once named.
    // Each run holds it while it runs and takes away what it made there and
    // left empty when it ends.
    if (try_default(this, 6, 1)) return true;
    if (no_fallback) return false;
    FOLDER app(UNSET{});
    app.resolve_variable("$APP", 0, nullptr, 0);
    *this = app;
    char temp[FOLDER_PATH_SIZE];
    if (!join(temp, app.path, "temp") || !hold_temp_folder(temp, 0777, false, true)) return false;
    strcpy(path, temp);
    return true;
  }
  if (is_root_name(name)) {
    // The drive number: the digits after the prefix; none means drive 0.
    INT_U32 n = 0;
    for (const char* d = name + 5; *d >= '0' && *d <= '9'; d++) {
      n = n * 10 + static_cast<INT_U32>(*d - '0');
      if (n > 0xFFFF) break;
    }
    if (n <= 0xFFFF && set_to_drive(static_cast<INT_U16>(n))) return true;
    resolve_variable("$APP", 0, nullptr, 0);
    return false;
  }
  bool fonts = compare_text_nocase(name, "$FONTDATA") == 0;
  bool icons = !fonts && compare_text_nocase(name, "$ICONDATA") == 0;
  if (fonts || icons) {
    if (icons && icon_path_set) {
      *this = icon_folder();
      return true;
    }
    if (sub_of_defaults(this, fonts ? "fonts" : "icons", create)) return true;
    const char* const* chains[] = {fonts ? font_chain_a : icon_chain_a,
                                   fonts ? font_chain_b : icon_chain_b};
    if (search_up(this, chains, 2)) return true;
    resolve_variable("$APP", 0, nullptr, 0);
    return false;
  }
  if (compare_text_nocase(name, "$HERE") == 0) {
    if (here) *this = *here;
    return true;
  }
  report_fatal_error(0x0C, nullptr);
  return false;
}

bool define_variable(const char* name, const FOLDER* folder) {
  if (!folder) return false;
  if (PATH_VARIABLE* v = find_user(name)) {
    v->folder = *folder;
    return true;
  }
  VARIABLE_TABLE& t = table();
  if (t.count == t.capacity) {
    void* grown = realloc(t.items, sizeof(PATH_VARIABLE*) * static_cast<size_t>(t.capacity + 10));
    if (!grown) return false;
    t.items = static_cast<PATH_VARIABLE**>(grown);
    t.capacity += 10;
  }
  PATH_VARIABLE* v = new (std::nothrow) PATH_VARIABLE{ZORV_STRING(), *folder};
  if (!v) return false;
  v->name.set(name);
  t.items[t.count++] = v;
  return true;
}

void undefine_variable(const char* name) {
  VARIABLE_TABLE& t = table();
  for (INT_S32 i = 0; i < t.count; i++) {
    const char* text = t.items[i]->name.text;
    if (name ? (text && strcmp(text, name) == 0) : (!text || !*text)) {
      delete_path_variable(t.items[i]);
      // The last record takes the freed place.
      t.items[i] = t.items[--t.count];
      return;
    }
  }
}

void delete_path_variable(PATH_VARIABLE* variable) { delete variable; }

static void trace_change(const char* line) {
  path_trace().printf("%s", line);
  print_default_paths();
}

void set_base_path(const FOLDER* folder, const char* name) {
  if (folder) base_folder() = *folder;
  base_path_set = 1;
  strncpy(application_name, name ? name : "", 255);
  application_name[255] = 0;
  trace_change("\nBase Path Changed:\n\n");
}

void reset_base_path() {
  base_path_set = 0;
  trace_change("\nBase Path Changed:\n\n");
}

void get_base_path(FOLDER* out, char* name_out, INT_U16 size) {
  if (out) *out = base_folder();
  if (name_out && size) {
    strncpy(name_out, application_name, size - 1);
    name_out[size - 1] = 0;
  }
}

void set_icon_path(const FOLDER* folder) {
  if (folder) icon_folder() = *folder;
  icon_path_set = 1;
  trace_change("\nIcon Path Changed:\n\n");
}

void reset_icon_path() {
  icon_path_set = 0;
  trace_change("\nIcon Path Changed:\n\n");
}

void get_icon_folder(FOLDER* out) {
  if (out) *out = icon_folder();
}

void print_default_paths() {
  static const char* const names[] = {"$APP",       "$SYSAPP", "$INSTDATA", "$APPDATA",
                                      "$USERDATA",  "$USERPREFS", "$TEMP", "$ROOT0",
                                      "$FONTDATA",  "$ICONDATA"};
  for (const char* name : names) {
    FOLDER scratch(FOLDER::UNSET{});
    scratch.resolve_variable(name, 0, nullptr, 0);
    path_trace().printf("%s => %s\n", name, scratch.native_path_text(nullptr));
  }
}
