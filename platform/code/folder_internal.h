// Helpers shared by the folder modules.
#ifndef ZORV_FOLDER_INTERNAL_H
#define ZORV_FOLDER_INTERNAL_H

#include <signal.h>

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
// The "$TEMP" folder, which need not exist yet.
void temp_folder(FOLDER* out);
// Name part of the running executable (empty text when unknown).
bool executable_path(char* out);

// Removes a folder and everything below it, links as links, with calls a
// signal handler may make; a name that is no folder is only unlinked.
void remove_tree(const char* path);
// Removes the stand-in for the shared temporary folder that this process
// made, if any (safe in a signal handler).
void remove_temp_stand_in();
// The folder the default "$TEMP" (kind 6) is or would be once made: a
// resolution that only names it makes nothing.
bool planned_temp_default(FOLDER* f, const char* name);
// Makes a "$TEMP" folder (one level) unless it exists; one made is removed
// by remove_empty_temp_folders when it is still empty.
bool make_temp_folder(const char* path);
// The folders made for "$TEMP" at path and above it stay at exit (the shared
// root of the private folders, which other runs may be using).
void keep_temp_folder(const char* path);
// Removes the folders this process made for "$TEMP" that are empty (safe in
// a signal handler).
void remove_empty_temp_folders();

// Termination signals wait while this lives, so their handler never sees a
// folder made but not yet recorded.
class TERMINATION_SIGNALS_HELD {
 public:
  TERMINATION_SIGNALS_HELD();
  ~TERMINATION_SIGNALS_HELD();
  TERMINATION_SIGNALS_HELD(const TERMINATION_SIGNALS_HELD&) = delete;
  TERMINATION_SIGNALS_HELD& operator=(const TERMINATION_SIGNALS_HELD&) = delete;

 private:
  sigset_t previous;
};

}  // namespace folder_detail

#endif
