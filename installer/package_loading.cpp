// Opening the installer package: the database record, the fonts it carries,
// the per-item shortcut flags and the file selector's icons.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "data_file.h"
#include "errors.h"
#include "database.h"
#include "fonts.h"
#include "package.h"

namespace {

const char kPackageName[] = "installer.pkg";
const char kDatabaseEntry[] = "database.bin";
const INT_S32 kPackageBlockSize = 1024;
const char kFallbackRoot[] = "$ROOT0";
const char kFallbackName[] = "installation";

PACKAGE* open_installer_package(FOLDER* folder) {
  PACKAGE* package = new PACKAGE(folder, kPackageName, 1, kPackageBlockSize, 0);
  if (package->file) return package;
  delete package;
  return nullptr;
}

// Unpacks each built-in font the program has not loaded yet into the private
// folder, loads it when FreeType accepts it and removes the file again.
void load_package_fonts(PACKAGE* package) {
  FOLDER folder;
  if (!get_private_temp_folder(&folder)) return;
  for (INT_U8 i = 0; i < BUILTIN_FONT_COUNT; i++) {
    if (is_font_loaded(static_cast<INT_S8>(i))) continue;
    const char* file = get_builtin_font_file(i);
    if (!package->extract(&folder, file)) continue;
    if (font_file_usable(&folder, file)) load_font(file, get_builtin_font_family(i), i, &folder);
    folder.remove_file(file);
  }
}

// A default folder is usable only when it starts with a known variable:
// an empty text or a plain path would install into the program's folder,
// an unknown variable would end the program on the target page.
bool usable_default_folder(const char* text) { return text[0] == '$' && is_usable_path_text(text); }

// One plain folder name: not empty, not "." or "..", no '/' or control
// character.
bool plain_folder_name(const char* name) {
  if (!name[0] || strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return false;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(name); *c; c++)
    if (*c == '/' || *c < 0x20 || *c == 0x7F) return false;
  return true;
}

// Where a record without a usable default folder installs: a folder of its
// own in the home folder (never the home folder itself, which would get
// bin/, doc/ and the log loose in it), named after the application when
// that name can be one.
void fallback_target(const char* application_name, char (&out)[DATABASE_TEXT_SIZE]) {
  const char* name = plain_folder_name(application_name) ? application_name : kFallbackName;
  const int n = snprintf(out, sizeof out, "%s/%s", kFallbackRoot, name);
  if (n < 0 || static_cast<size_t>(n) >= sizeof out) snprintf(out, sizeof out, "%s/%s", kFallbackRoot, kFallbackName);
}

// Why the package file cannot be read, as the system says it.
void why_unreadable(const char* path, char* out, size_t size) {
  struct stat st;
  int fd = -1;
  if (stat(path, &st) != 0)
    snprintf(out, size, "%s", strerror(errno));
  else if (S_ISDIR(st.st_mode))
    snprintf(out, size, "it is a folder");
  else if (!S_ISREG(st.st_mode))
    snprintf(out, size, "it is no regular file");
  else if ((fd = open(path, O_RDONLY | O_CLOEXEC)) < 0)
    snprintf(out, size, "%s", strerror(errno));
  else
    snprintf(out, size, "it cannot be read");
  if (fd >= 0) close(fd);
}

// The library's text for its last error, or `otherwise`.
const char* last_error_or(const char* otherwise) { return last_error_code ? get_last_error_text() : otherwise; }

}  // namespace

void DATABASE::note_package_problem(const char* why) {
  char path[FOLDER_PATH_SIZE + sizeof kPackageName];
  snprintf(path, sizeof path, "%s/%s", config_folder.path, kPackageName);
  snprintf(package_problem, sizeof package_problem, "%s: %s", path, why);
}

bool DATABASE::open_package() {
  package_problem[0] = 0;
  char path[FOLDER_PATH_SIZE + sizeof kPackageName];
  snprintf(path, sizeof path, "%s/%s", config_folder.path, kPackageName);
  // Only a regular file is opened: the open of a FIFO or a device waits for
  // a writer, and the "Please Wait" window keeps a signal from ending that.
  struct stat st;
  const bool regular_or_missing = stat(path, &st) != 0 || S_ISREG(st.st_mode);
  DATA_FILE* probe =
      regular_or_missing ? open_data_file(&config_folder, kPackageName, DATA_FILE_READ, DATA_FILE_HEADER, 0) : nullptr;
  if (!probe) {
    char why[256];
    why_unreadable(path, why, sizeof why);
    note_package_problem(why);
    return false;
  }
  close_data_file(&probe);

  delete package;
  set_last_error(0, nullptr);
  package = open_installer_package(&config_folder);
  if (!package) {
    note_package_problem(last_error_or("it is no package"));
    return false;
  }

  bool loaded = false;
  set_last_error(0, nullptr);
  if (DATA_FILE* record = package->open_file(kDatabaseEntry, DATA_FILE_READ, DATA_FILE_HEADER)) {
    loaded = get_from_data_device(record);
    close_package_file(&record);
    if (!loaded) note_package_problem("its \"database.bin\" is damaged or cut short");
  } else {
    reset();  // without a record the database holds its defaults
    char error[sizeof last_error_argument + 256], why[FOLDER_PATH_SIZE + sizeof error + 128];
    snprintf(error, sizeof error, "%s", last_error_or("it cannot be written there"));
    PACKAGE_ENTRY entry;
    FOLDER temp(FOLDER::UNSET{});
    if (!package->find_entry(kDatabaseEntry, &entry))
      snprintf(why, sizeof why, "it holds no \"database.bin\"");
    else if (!temp.set("$TEMP", 1))
      snprintf(why, sizeof why, "its \"database.bin\" cannot be unpacked: no temporary folder this user may write");
    else
      snprintf(why, sizeof why, "its \"database.bin\" cannot be unpacked into the temporary folder %s (%s)",
               temp.path, error);
    note_package_problem(why);
  }
  if (loaded) load_package_fonts(package);

  // The run reads the package with the record's buffer size.
  delete package;
  const INT_U32 largest = DATA_FILE_MAX_BUFFER;
  data_file_default_buffer_size =
      static_cast<INT_S32>(file_buffer_size > largest ? largest : file_buffer_size);
  package = open_installer_package(&config_folder);
  if (!package && loaded) note_package_problem(last_error_or("it cannot be opened again"));
  if (!package || !loaded) return false;

  for (INT_S16 i = 0; i < item_count; i++) {
    INSTALL_ITEM& item = items[i];
    item.has_desktop_shortcuts = 0;
    item.has_menu_entries = 0;
    for (INT_S16 s = 0; s < item.shortcut_count; s++) {
      const INSTALL_SHORTCUT& shortcut = item.shortcuts[s];
      if (shortcut.platform != PLATFORM_ANY && shortcut.platform != PLATFORM_LINUX_I86) continue;
      if (shortcut.menu_section[0])
        item.has_menu_entries = 1;
      else
        item.has_desktop_shortcuts = 1;
    }
    if (!usable_default_folder(item.default_folder)) fallback_target(application_name, item.default_folder);
  }
  if (item_count > 0) strcpy(target_folder, items[0].default_folder);
  give_file_selector_icons(this);
  return true;
}
