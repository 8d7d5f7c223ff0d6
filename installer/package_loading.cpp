// Opening the installer package: the database record, the fonts it carries,
// the per-item shortcut flags and the file selector's icons.
#include <cstring>

#include "data_file.h"
#include "database.h"
#include "fonts.h"
#include "package.h"

namespace {

const char kPackageName[] = "installer.pkg";
const char kDatabaseEntry[] = "database.bin";
const INT_S32 kPackageBlockSize = 1024;
const char kFallbackTarget[] = "$ROOT0";

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

}  // namespace

bool DATABASE::open_package() {
  DATA_FILE* probe = open_data_file(&config_folder, kPackageName, DATA_FILE_READ, DATA_FILE_HEADER, 0);
  if (!probe) return false;
  close_data_file(&probe);

  delete package;
  package = open_installer_package(&config_folder);
  if (!package) return false;

  bool loaded = false;
  if (DATA_FILE* record = package->open_file(kDatabaseEntry, DATA_FILE_READ, DATA_FILE_HEADER)) {
    loaded = get_from_data_device(record);
    close_package_file(&record);
  } else {
    reset();  // without a record the database holds its defaults
  }
  if (loaded) load_package_fonts(package);

  // The run reads the package with the record's buffer size.
  delete package;
  const INT_U32 largest = DATA_FILE_MAX_BUFFER;
  data_file_default_buffer_size =
      static_cast<INT_S32>(file_buffer_size > largest ? largest : file_buffer_size);
  package = open_installer_package(&config_folder);
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
    if (!usable_default_folder(item.default_folder)) strcpy(item.default_folder, kFallbackTarget);
  }
  if (item_count > 0) strcpy(target_folder, items[0].default_folder);
  give_file_selector_icons(this);
  return true;
}
