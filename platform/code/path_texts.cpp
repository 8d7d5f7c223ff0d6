// The text forms of a folder (variable form, "$HERE" form), the expansion of
// path texts for display, folder records, and unique file names.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "folder.h"
#include "folder_internal.h"
#include "clock.h"
#include "text_compare.h"

using namespace folder_detail;

INT_U32 (*unique_name_clock)() = nullptr;

namespace {

const char* const candidates[] = {"$APP",  "$SYSAPP",   "$APPDATA", "$USERDATA",
                                  "$TEMP", "$FONTDATA", "$ICONDATA"};
const int candidate_count = sizeof candidates / sizeof candidates[0];

// The last component of a path (one trailing '/' ignored).
std::string last_component(const char* path) {
  std::string p(path);
  if (!p.empty() && p.back() == '/') p.pop_back();
  size_t slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

// Copies a form into a caller's buffer of FOLDER_PATH_SIZE bytes. A form too
// long for it is written as the empty text, which reads back as "$APP",
// rather than as a cut path naming some other folder.
void put_form(char* out, const std::string& form) {
  if (form.size() >= FOLDER_PATH_SIZE)
    out[0] = 0;
  else
    memcpy(out, form.c_str(), form.size() + 1);
}

std::string variable_form(const FOLDER& folder) {
  FOLDER resolved[candidate_count] = {
      FOLDER(FOLDER::UNSET{}), FOLDER(FOLDER::UNSET{}), FOLDER(FOLDER::UNSET{}),
      FOLDER(FOLDER::UNSET{}), FOLDER(FOLDER::UNSET{}), FOLDER(FOLDER::UNSET{}),
      FOLDER(FOLDER::UNSET{})};
  for (int i = 0; i < candidate_count; i++) resolved[i].set(candidates[i]);
  FOLDER copy(folder);
  std::string tail;
  for (;;) {
    for (int i = 0; i < candidate_count; i++)
      if (copy.equals(&resolved[i])) return candidates[i] + tail;
    std::string component = last_component(copy.path);
    if (!copy.go_up()) break;
    tail = "/" + component + tail;
  }
  char root[16];
  snprintf(root, sizeof root, "$ROOT%d", copy.drive_index());
  return root + tail;
}

}  // namespace

void FOLDER::to_variable_form(char* out) const {
  if (out) put_form(out, variable_form(*this));
}

void FOLDER::get_relative_path_text(const FOLDER* base, const FOLDER* folder, char* out) {
  if (!base || !folder || !out) return;
  if (base->drive_index() != folder->drive_index()) {
    folder->to_variable_form(out);
    return;
  }
  FOLDER b(*base);
  if (b.equals(folder)) {
    put_form(out, "$HERE");
    return;
  }
  int up = 0, depth = 0;
  bool found = false;
  for (;;) {
    FOLDER f(*folder);
    depth = 0;
    while (!f.equals(&b) && f.go_up()) depth++;
    if (f.equals(&b)) {
      found = true;
      break;
    }
    if (!b.go_up()) break;
    up++;
  }
  // Without a common ancestor no "$HERE" form leads to the folder.
  if (!found) {
    folder->to_variable_form(out);
    return;
  }
  std::string tail;
  FOLDER f(*folder);
  for (int i = 0; i < depth; i++) {
    tail = last_component(f.path) + "/" + tail;
    f.go_up();
  }
  std::string form = "$HERE";
  for (int i = 0; i < up; i++) form += "/..";
  if (!tail.empty()) form += "/" + tail;
  put_form(out, form);
}

void FOLDER::get_path_text(char* out, const FOLDER* base) const {
  if (base)
    get_relative_path_text(base, this, out);
  else
    to_variable_form(out);
}

const char* expand_path_text(const char* text, const char* name) {
  static char buffer[FOLDER_PATH_SIZE];
  std::string result;
  {
    FOLDER app(FOLDER::UNSET{});
    app.set("$APP");
    result = app.native_path_text(nullptr);
  }
  auto append = [&](const std::string& segment) {
    if (result.empty() || result.back() != '/') result += '/';
    result += segment;
  };
  std::string all(text ? text : "");
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find('/', start);
    if (end == std::string::npos) end = all.size();
    std::string segment = all.substr(start, end - start);
    start = end + 1;
    if (segment.empty()) continue;
    if (segment[0] == '$') {
      // A display text must not end the program: a variable that names no
      // folder (unknown, or "$HERE" without a base) shows as "$APP".
      const bool resolvable = is_known_path_variable(segment.c_str()) &&
                              compare_text_nocase(segment.c_str(), "$HERE") != 0;
      FOLDER scratch(FOLDER::UNSET{});
      scratch.set(resolvable ? segment.c_str() : "$APP");
      result = scratch.native_path_text(nullptr);
    } else if (segment == "..") {
      size_t slash = result.rfind('/');
      result.erase(slash == std::string::npos ? 0 : slash);
    } else {
      append(segment);
    }
  }
  if (name) append(name);
  put_form(buffer, result);
  return buffer;
}

bool FOLDER::put_to_data_device(DATA_DEVICE* device) {
  if (!device) return false;
  bool ok = device->write_u8(255);
  char field[FOLDER_PATH_SIZE];
  memset(field, 0, sizeof field);
  to_variable_form(field);
  // The field is written whole or the record fails.
  bool field_ok = device->write(field, FOLDER_PATH_SIZE) == FOLDER_PATH_SIZE;
  device->error_flag = field_ok ? 0 : 1;
  return ok && field_ok;
}

bool FOLDER::get_from_data_device(DATA_DEVICE* device) {
  if (!device) return false;
  INT_U8 id;
  if (!device->read_u8(&id)) return false;
  char field[FOLDER_PATH_SIZE];
  bool field_ok = device->read(field, FOLDER_PATH_SIZE) == FOLDER_PATH_SIZE;
  device->error_flag = field_ok ? 0 : 1;
  if (!field_ok) return false;
  // Whatever the device held, the text ends inside the field.
  field[FOLDER_PATH_SIZE - 1] = 0;
  if (id == 255) {
    // A text naming no known variable is a foreign folder, not a fatal error.
    char name[256];
    size_t n = strcspn(field, "/");
    snprintf(name, sizeof name, "%.*s", static_cast<int>(n > 255 ? 255 : n), field);
    if (field[0] == '$' && !is_known_path_variable(name))
      set("$APP");
    else
      set(field, 0, nullptr, 0, 0);
  } else if (id == 1 && field[0] == '/') {
    strcpy(path, field);
  } else {
    set("$APP");
  }
  if (!is_directory(path)) set("$APP");
  return true;
}

bool FOLDER::unique_file_name(char* out, INT_S16 size, const char* suffix) const {
  if (!out || !suffix || strlen(suffix) + 9 > static_cast<size_t>(size < 0 ? 0 : size)) return false;
  if (strchr(suffix, '/')) return false;
  INT_U32 n = unique_name_clock ? unique_name_clock() : get_time_ms();
  // Each try creates the name exclusively without following a link, so the
  // name is reserved for the caller; a bounded number of tries.
  for (INT_U32 tries = 0; tries < (1u << 20); tries++, n++) {
    char name[FOLDER_PATH_SIZE], joined[FOLDER_PATH_SIZE];
    snprintf(name, sizeof name, "%08X%s", n, suffix);
    if (!join(joined, path, name)) return false;
    int fd = ::open(joined, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      close(fd);
      strcpy(out, name);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}
