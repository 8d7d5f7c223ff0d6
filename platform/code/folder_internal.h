// Helpers shared by the folder modules.
#ifndef ZORV_FOLDER_INTERNAL_H
#define ZORV_FOLDER_INTERNAL_H

#include "folder.h"

namespace folder_detail {

// folder path + '/' + name into out (FOLDER_PATH_SIZE bytes). The '/' is left
// out when the path already ends with one, unless always_slash. False when
// the result does not fit.
bool join(char* out, const char* path, const char* name, bool always_slash = false);
// Copies text into out when it fits in FOLDER_PATH_SIZE bytes.
bool copy_path(char* out, const char* text);
// The value of HOME, or null when it is unset, empty or too long.
const char* home();
// path equals HOME, ignoring one trailing '/' on either side.
bool is_home(const char* path);
// The "$TEMP" folder (created when missing).
void temp_folder(FOLDER* out);
// Name part of the running executable (empty text when unknown).
bool executable_path(char* out);

}  // namespace folder_detail

#endif
