// Helpers shared by the folder modules.
#ifndef ZORV_FOLDER_INTERNAL_H
#define ZORV_FOLDER_INTERNAL_H

#include <signal.h>
#include <sys/types.h>

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
// A level of a "$TEMP" folder: made (mode) when missing and `make`, then
// held by this run until it ends, so that no other run removes it meanwhile.
// A private level must be a directory of this user that others cannot
// write, and is never reached through a link. False when it is missing and
// not made, or is no such folder.
bool hold_temp_folder(const char* path, mode_t mode, bool private_level, bool make);
// Makes and holds the level `path` when `parent` is a "$TEMP" level this run
// holds; false, doing nothing, when it is not.
bool hold_temp_folder_below(const char* parent, const char* path);
// The held level at path is one runs made (a run that ended left something
// of its own in it): this run takes it away at exit when it is empty.
void adopt_temp_folder(const char* path);
// Removes the levels this run made (or adopted) that are empty and that no
// other run holds; lets go of the others (safe in a signal handler).
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

// Test seam: called while a run is taking the hold of a "$TEMP" level that
// exists, before its lock; null outside tests.
extern void (*temp_folder_hold_step)(const char* path);

#endif
