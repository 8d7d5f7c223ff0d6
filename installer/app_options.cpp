// The installer's options "as:x:p:" and the skin writer of -s.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app_installer.h"
#include "console.h"
#include "data_file.h"
#include "database.h"
#include "folder.h"
#include "options.h"

namespace {

const char kOptionLetters[] = "as:x:p:";
const char kSkinFolder[] = "$APPDATA/vek";
const int kRefused = 1;  // exit status of a -s or -x that cannot be carried out

// A path text of -s or -x: "$HERE/" in front unless the argument begins with
// a path variable (a leading '/' is still taken below "$HERE").
std::string option_path_text(const char* argument) {
  return (argument[0] == '$' ? std::string() : std::string("$HERE/")) + argument;
}

// FOLDER::set ends the program on an unknown leading variable, so one is
// refused before any folder is set.
bool leading_variable_known(const std::string& text) {
  if (text.empty() || text[0] != '$') return true;
  return is_known_path_variable(text.substr(0, text.find('/')).c_str());
}

void report(char option, const char* argument, const char* why) {
  std::fprintf(stderr, "installer: -%c %s: %s\n", option, argument, why);
}

[[noreturn]] void refuse(char option, const char* argument, const char* why) {
  report(option, argument, why);
  remove_private_temp_folder();
  std::exit(kRefused);
}

void set_configuration(const char* argument) {
  DATABASE& db = installer_database;
  const std::string text = option_path_text(argument);
  if (!leading_variable_known(text)) refuse('x', argument, "unknown path variable");
  // The walk stops at the deepest existing folder, so the trailing name
  // leaves the folder at its parent; the result is not needed.
  db.config_folder.set(text.c_str(), 0, nullptr, 0);
  const size_t slash = text.rfind('/');
  db.config_name.set(slash == std::string::npos ? text.c_str() : text.c_str() + slash + 1);
}

bool is_regular_file(const std::string& native_path) {
  struct stat info;
  return lstat(native_path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool exists(const std::string& native_path) {
  struct stat info;
  return lstat(native_path.c_str(), &info) == 0;
}

}  // namespace

int write_skin_file(const char* argument) {
  DATABASE& db = installer_database;
  const std::string text = option_path_text(argument);
  if (!leading_variable_known(text)) {
    report('s', argument, "unknown path variable");
    return kRefused;
  }
  const size_t slash = text.rfind('/');
  if (slash == std::string::npos || slash + 1 == text.size()) {
    report('s', argument, "no file name");
    return kRefused;
  }
  const std::string name = text.substr(slash + 1);
  FOLDER folder;  // "$APP": "$HERE" stands for the program's folder
  if (!folder.set(text.substr(0, slash).c_str(), 0, nullptr, 0)) {
    report('s', argument, "no such folder");
    return kRefused;
  }
  FOLDER skin;
  if (!skin.set(kSkinFolder, 0, nullptr, 0)) {
    report('s', argument, "no skin folder " "$APPDATA/vek");
    return kRefused;
  }
  load_skin(&db, kSkinFolder);

  const std::string native = folder.native_path_text(name.c_str());
  const bool was_there = exists(native);
  DATA_FILE* file = open_data_file(&folder, name.c_str(), 1, static_cast<INT_U32>(-1), 0);
  if (!file) {
    report('s', argument, "cannot be created");
    return kRefused;
  }
  const bool written = db.write_skin(file);
  const bool closed = close_data_file_checked(&file);
  if (written && closed) return 0;
  // Only a regular file this run created goes: never a device, never a file
  // that was there before.
  if (!was_there && is_regular_file(native)) std::remove(native.c_str());
  report('s', argument, "could not be written whole");
  return kRefused;
}

void read_installer_options(INT_S16 argc, char** argv) {
  DATABASE& db = installer_database;
  reset_option_scanner();
  for (;;) {
    const INT_S32 letter = get_next_option(argc, argv, kOptionLetters);
    if (letter == -1 || letter == '?') return;
    switch (letter) {
      case 'p':
        db.target_platform = parse_platform(option_argument);
        break;
      case 'a':
        db.automatic = 1;
        break;
      case 'x':
        set_configuration(option_argument);
        break;
      case 's':
        if (write_skin_file(option_argument) != 0) {
          remove_private_temp_folder();
          std::exit(kRefused);
        }
        // Written whole: the process ends with the silent fatal exit.
        fatal_exit(nullptr);
      default:
        break;
    }
  }
}
