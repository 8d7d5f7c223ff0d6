// The installation run (one step per frame on the installation page) and its
// log "install_log.txt".
#ifndef INSTALLER_INSTALL_RUN_H
#define INSTALLER_INSTALL_RUN_H

#include <string>

#include "folder.h"
#include "zorv_types.h"

// The next step: 0 = not started; 1 .. limit - 1 = file steps; limit = the
// shortcut step; limit + 1 = completion; above = finished. 32-bit, so an item
// of 32,767 files cannot wrap them.
extern INT_S32 install_step_count;
extern INT_S32 install_step_limit;  // the item's file count + 1, set by step 0
extern INT_U16 install_error_count;
// Folder of the run's log; only meaningful while install_log_present is set.
extern FOLDER install_log_folder;
// The run created its log: lines go nowhere otherwise (not into an earlier
// run's log).
extern INT_U8 install_log_present;

extern const char INSTALL_LOG_NAME[];  // "install_log.txt"

// A record text made safe for one log line: every control character written
// as "\n" or "\xHH", everything else byte for byte.
std::string install_log_text(const char* text);

// Creates the log afresh in install_log_folder (open as folder_fd) with its
// header (the language name, control characters escaped) and holds it open
// for the run. An existing name is replaced, never written through. False
// with errno's text in *reason when it could not be created or written.
bool create_install_log(int folder_fd, const char* language_name, std::string* reason);
// Lets go of the run's log: no line goes anywhere afterwards.
void close_install_log();
// Appends one whole line (it ends in "\n") byte for byte to the log the run
// holds; nothing without one. No log is opened or created here: a log taken
// away during the run does not start again without its header, and a file
// made in its place is not written.
void append_install_log(const std::string& line);
// The log the run holds still has a name, and install_log_folder's
// "install_log.txt" is that name.
bool install_log_intact();

// A path text of a record as the run accepts it: a leading '$' segment naming
// a known variable, or a leading "..", and no ".." segment climbing above the
// folder where the text starts. Later '$' segments are folder names.
bool is_install_folder_text(const char* text);
// One path component: not empty, not "." or "..", no '/', no control character.
bool is_install_file_name(const char* name);

#endif
