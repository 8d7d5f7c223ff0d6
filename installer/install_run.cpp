// The installation run: one step per frame on the installation page. Step 0
// checks and creates the target folder and starts the log; each file step
// unpacks one file; one step makes the shortcuts and menu entries; the last
// writes the completion line. Failures are counted and shown in a box that
// lets the user go on or go back to the target page.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "app_installer.h"
#include "clock.h"
#include "database.h"
#include "debug_stream.h"
#include "desktop.h"
#include "errors.h"
#include "install_dialog.h"
#include "install_run.h"
#include "package.h"
#include "wm_button.h"
#include "wm_confirm.h"
#include "wm_globals.h"
#include "wm_text_win.h"
#include "window.h"

INT_S32 install_step_count = 0;
INT_S32 install_step_limit = 0;
INT_U16 install_error_count = 0;
// Set from the target at step 0; nothing is resolved before main.
FOLDER install_log_folder{FOLDER::UNSET{}};

namespace {

const char kPackageName[] = "installer.pkg";
const INT_U32 kWorkingIdleWait = 0;
const INT_U32 kRestingIdleWait = 50;
const INT_S16 kFailureBoxLines = 100;
const INT_U16 kExecutableMode = 0755;

const char kFolderFailed[] = "cannot create the folder";
const char kNameRefused[] = "name refused";
const char kForeignLink[] = "a folder of its path is a link owned by another user";

// Whether set_base_path ran for the run now going: an abandoned run gives
// "$APP" back to the program.
bool base_path_moved = false;

// The target folder as step 0 found it: a folder removed (or put back anew)
// during the run would otherwise be made again by the next file step, and the
// run would end without errors while the earlier files are gone. The path is
// empty until step 0 has found the target. Its descriptor, held from step 0
// on, is where every folder of the run inside the target is reached from:
// whatever is put at the target's path later, nothing is written there.
struct TARGET_IDENTITY {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  int fd = -1;
};
TARGET_IDENTITY run_target;

// The folder of the last file step, held for the next file of the same
// folder text: folders are walked and made once, not once per file.
struct HELD_FOLDER {
  std::string text;
  bool second = false;
  std::string path;
  int fd = -1;
};
HELD_FOLDER held_folder;

void release_held_folder() {
  if (held_folder.fd >= 0) close(held_folder.fd);
  held_folder = HELD_FOLDER();
}

// Lets go of the target and the folders reached through it.
void release_target() {
  release_held_folder();
  if (run_target.fd >= 0) close(run_target.fd);
  run_target = TARGET_IDENTITY();
}

bool same_folder(const TARGET_IDENTITY& known) {
  struct stat st;
  return stat(known.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev == known.device &&
         st.st_ino == known.inode;
}

// The run found its target or its log taken away: counted once, and the run
// writes nothing more.
bool run_cut_off = false;

const char kTargetRemoved[] = "the target folder was removed";
const char kLogRemoved[] = "the log was removed";
const char kPackageChanged[] = "the package changed during the installation";
// A package rewritten during an entry's copy: the step copies the entry
// again from the package as it is now, this many times at most.
const int kCopyAttempts = 3;

DATABASE& db() { return installer_database; }
char* text(int n) { return const_cast<char*>(installer_database.language_text(n)); }

void show_progress(INSTALL_DIALOG* dialog, INT_S32 percent, char* line) {
  if (dialog) dialog->set_progress(percent, line);
}

// The failure box: the path concerned and why, under text 8 when a file of
// the run failed.
enum FAILURE_KIND { FILE_FAILURE, RUN_FAILURE };
void open_failure_box(const std::string& path, const std::string& reason, FAILURE_KIND kind = FILE_FAILURE) {
  DATABASE& d = db();
  WM_CONFIRM* box = new WM_CONFIRM(d.error_box.width, d.error_box.height, text(TEXT_FAILURE_TITLE),
                                   text(TEXT_FAILURE_GO_ON), text(TEXT_FAILURE_GO_BACK), 1,
                                   handle_install_dialog_command, word_from_s32(INSTALL_CMD_CONTINUE), 0,
                                   handle_install_dialog_command, word_from_s32(INSTALL_CMD_GO_TO_PAGE),
                                   word_from_s32(d.previous_page()), d.error_box.x, d.error_box.y, 0,
                                   kFailureBoxLines, nullptr);
  if (box->text_window) {
    const COLOUR* colour = (wm_default_colour >> 24) ? &wm_default_colour : &box->style.fg_colour;
    // A run cut off lost no single file: "A file could not be installed"
    // would send the user looking for one.
    if (kind == FILE_FAILURE) box->text_window->add_text(text(TEXT_FAILURE_MESSAGE), "", colour, box->visible, 1);
    const std::string detail = install_log_text(path.c_str()) + ": " + reason;
    box->text_window->add_text(detail.c_str(), "", colour, box->visible, 1);
    box->text_window->flags = 0;
  }
  box->draggable = d.error_box_draggable;
  if (box->first_button && d.icons[ICON_YES].width != 0) box->first_button->set_icon(&d.icons[ICON_YES]);
  if (box->second_button && d.icons[ICON_NO].width != 0) box->second_button->set_icon(&d.icons[ICON_NO]);
  page_manager.current_manager->add_popup(box, 0);
}

void count_failure(const std::string& path, const std::string& reason, FAILURE_KIND kind = FILE_FAILURE) {
  ++install_error_count;
  open_failure_box(path, reason, kind);
}

// The folder A of the run from the target text: known variable, reached
// whole, writable and enterable. On failure *path and *reason say why.
bool set_target_folder(FOLDER* a, std::string* path, std::string* reason) {
  const char* target = db().target_folder;
  *path = target;
  if (target[0] != '$' || !is_usable_path_text(target)) {
    *reason = kNameRefused;
    return false;
  }
  const bool reached = a->set(target, 1, nullptr, 1);
  *path = a->native_path_text(nullptr);
  if (!reached) {
    *path = expand_path_text(target, nullptr);
    *reason = kFolderFailed;
    return false;
  }
  if (access(a->native_path_text(nullptr), W_OK | X_OK) != 0) {
    *reason = std::strerror(errno);
    return false;
  }
  return true;
}

std::string joined_path(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() != '/' ? folder + "/" + name : folder + name;
}

// A folder of the run from a record's text (checked with
// is_install_folder_text) relative to A, made where missing. The text's
// variable is resolved as FOLDER::set resolves it; every level after it is
// walked from an open folder, the target's own descriptor wherever the path
// lies in the target, and a link is followed only when it is this user's
// or root's. *path is the folder's path (also when a level failed, then with
// *reason); the result is its descriptor (the caller closes it), or -1.
int open_run_folder(const char* text, bool second, const FOLDER& a, std::string* path, std::string* reason) {
  FOLDER base(a);
  const char* rest = text;
  if (text[0] == '$') {
    const size_t n = std::strcspn(text, "/");
    if (!base.set(std::string(text, n).c_str(), 1, &a, second ? 1 : 0)) {
      *path = expand_path_text(text, nullptr);
      *reason = kFolderFailed;
      return -1;
    }
    rest = text + n;
  }
  std::vector<std::string> levels;
  std::string base_path = base.path;
  while (base_path.size() > 1 && base_path.back() == '/') base_path.pop_back();
  int start = -1;
  const std::string& target = run_target.path;
  const std::string below_target = joined_path(target, "");
  if (run_target.fd >= 0 &&
      (base_path == target || base_path.compare(0, below_target.size(), below_target) == 0)) {
    start = run_target.fd;
    const std::string inside = base_path.substr(std::min(base_path.size(), below_target.size()));
    for (size_t at = 0; at < inside.size();) {
      const size_t n = inside.find('/', at);
      const std::string level = inside.substr(at, n == std::string::npos ? std::string::npos : n - at);
      if (!level.empty()) levels.push_back(level);
      at = n == std::string::npos ? inside.size() : n + 1;
    }
    base_path = target;
  }
  // The text's levels, as FOLDER::set takes them: ".." goes up one level.
  for (const char* p = rest; *p;) {
    const size_t n = std::strcspn(p, "/");
    const std::string level(p, n);
    if (level == "..") {
      if (levels.empty()) {
        *path = joined_path(base_path, rest);
        *reason = kNameRefused;
        return -1;
      }
      levels.pop_back();
    } else if (!level.empty() && level != ".") {
      levels.push_back(level);
    }
    p += n;
    while (*p == '/') ++p;
  }
  *path = base_path.empty() ? "/" : base_path;
  for (const std::string& level : levels) *path = joined_path(*path, level);
  int fd = start >= 0 ? fcntl(start, F_DUPFD_CLOEXEC, 0)
                      : open(base_path.empty() ? "/" : base_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    *reason = std::strerror(errno);
    return -1;
  }
  for (const std::string& level : levels) {
    bool foreign = false;
    const int next = open_sub_folder_at(fd, level.c_str(), 1, &foreign);
    close(fd);
    fd = next;
    if (fd < 0) {
      *reason = foreign ? kForeignLink : kFolderFailed;
      return -1;
    }
  }
  return fd;
}

// The log folder relative to A; A itself when its text is refused or cannot
// be set. The folder's descriptor (the caller closes it), or -1.
int set_log_folder(const FOLDER& a) {
  DATABASE& d = db();
  const bool second = d.second_log_folder[0] && d.use_second_folders;
  const char* folder_text = second ? d.second_log_folder : d.log_folder;
  std::string path, reason;
  int fd = is_install_folder_text(folder_text) ? open_run_folder(folder_text, second, a, &path, &reason) : -1;
  if (fd >= 0 && path.size() < FOLDER_PATH_SIZE) {
    std::snprintf(install_log_folder.path, FOLDER_PATH_SIZE, "%s", path.c_str());
    return fd;
  }
  if (fd >= 0) close(fd);
  install_log_folder = a;
  return fcntl(run_target.fd, F_DUPFD_CLOEXEC, 0);
}

// Ends the run without files or shortcuts: the next step is the completion.
void skip_to_completion() { install_step_count = install_step_limit + 1; }

void start_run(INSTALL_DIALOG* dialog) {
  DATABASE& d = db();
  set_idle_wait(kWorkingIdleWait);
  install_error_count = 0;
  close_install_log();
  base_path_moved = false;
  run_cut_off = false;
  release_target();
  const INSTALL_ITEM& item = d.items[d.selected_item];
  if (!d.system_info.has_drive_list || !item.allows_second_folders) d.use_second_folders = 0;
  install_step_limit = static_cast<INT_S32>(item.file_count) + 1;

  // A package that cannot be reopened fails once, like a refused target.
  // The run looks every file up: its directory is held in memory.
  if (d.package) d.package->keep_directory();
  if (!d.package) {
    d.package = new PACKAGE(&d.config_folder, kPackageName, 0, -1, 1);
    if (!d.package->file) {
      delete d.package;
      d.package = nullptr;
      install_step_count = 1;
      show_progress(dialog, 0, text(TEXT_PROGRESS_START));
      skip_to_completion();
      count_failure(d.config_folder.native_path_text(kPackageName), get_last_error_text());
      return;
    }
  }
  install_step_count = 1;
  show_progress(dialog, 0, text(TEXT_PROGRESS_START));

  FOLDER a;
  std::string path, reason;
  if (!set_target_folder(&a, &path, &reason)) {
    skip_to_completion();
    count_failure(path, reason);
    return;
  }
  struct stat st;
  const std::string target_path = a.native_path_text(nullptr);
  const int target_fd = open(target_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (target_fd < 0 || fstat(target_fd, &st) != 0) {
    const int error = errno;
    if (target_fd >= 0) close(target_fd);
    skip_to_completion();
    count_failure(target_path, std::strerror(error));
    return;
  }
  run_target.path = target_path;
  run_target.device = st.st_dev;
  run_target.inode = st.st_ino;
  run_target.fd = target_fd;
  set_base_path(&a, d.application_name);
  base_path_moved = true;
  const int log_folder_fd = set_log_folder(a);
  if (log_folder_fd >= 0 && create_install_log(log_folder_fd, d.language_text(TEXT_LANGUAGE_NAME), &reason)) {
    install_log_present = 1;
  } else {
    if (log_folder_fd < 0) reason = std::strerror(errno);
    open_failure_box(install_log_folder.native_path_text(INSTALL_LOG_NAME), reason);
  }
  if (log_folder_fd >= 0) close(log_folder_fd);
}

// The reason an unpack failed: the system's text for a failed write, else
// the library's message.
std::string unpack_failure_reason(int saved_errno) {
  if ((last_error_code == ERROR_FILE_WRITE || last_error_code == ERROR_FILE_CREATE) && saved_errno != 0)
    return std::strerror(saved_errno);
  return get_last_error_text();
}

// Ends the run for a target or log taken away: the log is let go, so no
// line goes anywhere, and one failure is counted.
void cut_off_run(const std::string& path, const char* reason) {
  run_cut_off = true;
  release_held_folder();
  close_install_log();
  skip_to_completion();
  count_failure(path, reason, RUN_FAILURE);
}

bool target_lost() { return !run_cut_off && !run_target.path.empty() && !same_folder(run_target); }

// The target or the log taken away (an rm -rf of the target that lost its
// race with the run leaves the folder, so only the log shows it): nothing
// more goes into the target nor into the log; the run counts one failure and
// ends.
bool run_lost() {
  if (target_lost()) {
    cut_off_run(run_target.path, kTargetRemoved);
    return true;
  }
  if (run_cut_off || !install_log_present || install_log_intact()) return false;
  cut_off_run(install_log_folder.native_path_text(INSTALL_LOG_NAME), kLogRemoved);
  return true;
}

// A file's path for the log and the box when its folder could not be set:
// resolved where the text is one the run accepts, as it stands otherwise.
std::string unreached_path(const char* folder_text, bool text_ok, const FOLDER& a, const char* name) {
  if (!text_ok) return std::string(folder_text) + "/" + name;
  if (folder_text[0] == '$') return expand_path_text(folder_text, name);
  return std::string(a.native_path_text(nullptr)) + "/" + folder_text + "/" + name;
}

// The file's name and percent drawn before its copy wait for their turn:
// a large file shows them while it is copied, not after.
void show_due_frame_between_chunks(PACKAGE*, INT_U32, INT_U32, INT_WORD) { present_due_frame(); }

// One file step. False when it ended the run instead: the target was found
// gone, and the file is not counted on its own.
bool install_file(INSTALL_DIALOG* dialog, const INSTALL_FILE& file) {
  DATABASE& d = db();
  if (!file.package_entry[0] || file.platform > PLATFORM_LINUX_I86) return true;

  const bool second = file.second_folder[0] && d.use_second_folders;
  const char* folder_text = second ? file.second_folder : file.folder;
  const char* name = file.install_name[0] ? file.install_name : file.name;

  std::string line = folder_text;
  if (line.empty() || line.back() != '/') line += '/';
  line += name;
  if (line[0] == '$') line.erase(0, line.find('/'));
  const INT_S32 percent = static_cast<INT_S32>(static_cast<INT_S64>(install_step_count) * 100 / install_step_limit);
  show_progress(dialog, percent, &line[0]);

  // "$APP" is the target folder A now; B starts there.
  const FOLDER a;
  const bool text_ok = is_install_folder_text(folder_text);
  const bool name_ok = is_install_file_name(name);
  std::string reason;
  std::string folder_path;
  bool folder_ok = false;
  if (text_ok) {
    if (held_folder.fd >= 0 && held_folder.text == folder_text && held_folder.second == second) {
      folder_ok = true;
    } else {
      release_held_folder();
      const int fd = open_run_folder(folder_text, second, a, &folder_path, &reason);
      folder_ok = fd >= 0;
      if (folder_ok) {
        held_folder.text = folder_text;
        held_folder.second = second;
        held_folder.path = folder_path;
        held_folder.fd = fd;
      }
    }
    if (folder_ok) folder_path = held_folder.path;
  }
  std::string path = folder_ok || !folder_path.empty() ? joined_path(folder_path, name)
                                                       : unreached_path(folder_text, text_ok, a, name);
  const bool executable = file.platform == PLATFORM_LINUX_I86;

  bool installed = false;
  bool target_moved = false;
  PACKAGE_ENTRY entry;
  // A package rewritten since its directory was read: each name must reach
  // its own blocks, not whatever now lies where its blocks were.
  if (d.package) d.package->refresh_directory();
  if (!text_ok || !name_ok) {
    reason = kNameRefused;
  } else if (!folder_ok) {
    if (reason.empty()) reason = kFolderFailed;
  } else if (!d.package) {
    reason = get_error_code_text(ERROR_PACKAGE_ENTRY_NOT_FOUND, file.package_entry);
  } else if (!d.package->look_up_entry(file.package_entry, &entry)) {
    // Looked up first: a missing entry never touches a file of that name.
    reason = get_last_error_text();
  } else {
    for (int attempt = 1;; ++attempt) {
      // A new name is created exclusively; an existing one is written under
      // a fresh name and replaced once the copy is whole, so a failed copy
      // leaves the earlier file as it was.
      OUTPUT_FILE output;
      if (!output.open_at(held_folder.fd, name)) {
        reason = std::strerror(errno);
        break;
      }
      errno = 0;
      installed = d.package->copy_entry(entry, output.descriptor(), name, show_due_frame_between_chunks);
      const int saved_errno = errno;
      // Made executable before it takes its name: it is never there
      // without its mode, and the mode goes to this file only.
      if (installed && executable && fchmod(output.descriptor(), kExecutableMode) != 0) {
        if (DEBUG_STREAM* stream = platform_debug_stream())
          stream->report(__FILE__, __LINE__, ("cannot make executable: " + path).c_str());
      }
      // The package is checked again once the copy is done: one rewritten
      // during the copy leaves a mix of its old and new bytes in the output,
      // which the copy itself cannot see.
      if (!d.package->refresh_directory()) {
        if (!installed) {
          reason = unpack_failure_reason(saved_errno);
          output.abandon();
        } else if (target_lost()) {
          // The target was swapped during the copy: the file does not stay
          // where it went, and the run ends at this step.
          output.abandon();
          installed = false;
          target_moved = true;
        } else if (!output.finish()) {
          reason = std::strerror(errno);
          installed = false;
        }
        break;
      }
      // The output is a mix and goes; the entry is copied again as the
      // package now holds it.
      output.abandon();
      installed = false;
      if (attempt == kCopyAttempts) {
        reason = kPackageChanged;
        break;
      }
      if (!d.package->look_up_entry(file.package_entry, &entry)) {
        reason = get_last_error_text();
        break;
      }
    }
  }
  // A step that failed because the target went is the target's failure,
  // counted once; its file's line goes nowhere.
  if (!installed && (target_moved || target_lost())) {
    cut_off_run(run_target.path, kTargetRemoved);
    return false;
  }

  if (installed)
    append_install_log("Installed \"" + install_log_text(path.c_str()) + "\"\n");
  else
    append_install_log("\"" + install_log_text(path.c_str()) + "\" failed to unpack (" +
                       install_log_text(file.package_entry) + ")\n");

  if (!installed) count_failure(path, reason);
  return true;
}

// A shortcut's folder: from its second text when the second folders are used,
// else its first; none when both are empty. False when the chosen text is
// refused (*refused names it). *chosen is the text chosen.
bool shortcut_folder(const char* first, const char* second_text, FOLDER* out, bool* set, std::string* chosen,
                     const FOLDER& a, std::string* refused) {
  *set = false;
  const bool second = second_text[0] && db().use_second_folders;
  const char* folder_text = second ? second_text : first;
  *chosen = folder_text;
  if (!folder_text[0]) return true;
  if (!is_install_folder_text(folder_text)) {
    *refused = folder_text;
    return false;
  }
  // Walked as a file's folder is: made where missing, never through
  // another user's link.
  std::string path, reason;
  const int fd = open_run_folder(folder_text, second, a, &path, &reason);
  *set = fd >= 0 && path.size() < FOLDER_PATH_SIZE;
  if (fd >= 0) close(fd);
  if (*set) std::snprintf(out->path, FOLDER_PATH_SIZE, "%s", path.c_str());
  return true;
}

std::string quoted_folder(const FOLDER& folder, bool set) {
  return set ? install_log_text(folder.native_path_text(nullptr)) : "null";
}

// A shortcut to a file (any kind but a web link) is made only when the file
// is there after the file steps: a launcher of a file that failed to unpack
// cannot start, and would replace a good one of the same title. A bare name
// without a folder may be a program found on the PATH, and is left alone.
// False with the path and the reason when the file is missing.
bool shortcut_target_present(const INSTALL_SHORTCUT& s, const FOLDER& t, const std::string& t_text, bool t_set,
                             std::string* path, std::string* reason) {
  if (s.kind == SHORTCUT_WEB_LINK) return true;
  if (!t_text.empty() && !t_set) {
    *path = t_text + "/" + s.target;
    *reason = kFolderFailed;
    return false;
  }
  if (t_set) {
    *path = t.native_path_text(nullptr);
    if (path->empty() || path->back() != '/') *path += '/';
    *path += s.target;
  } else if (s.target[0] == '/') {
    *path = s.target;
  } else {
    return true;
  }
  struct stat st;
  if (stat(path->c_str(), &st) == 0) return true;
  *reason = std::strerror(errno);
  return false;
}

void make_shortcuts(INSTALL_DIALOG* dialog) {
  DATABASE& d = db();
  const INSTALL_ITEM& item = d.items[d.selected_item];
  FOLDER a;  // "$APP": the target folder
  std::string first_path, first_reason;
  // One line and one counted failure per shortcut; one box for all of them.
  auto not_created = [&](const INSTALL_SHORTCUT& s, const std::string& why, const std::string& path,
                         const std::string& reason) {
    ++install_error_count;
    append_install_log("Shortcut \"" + install_log_text(s.title) + "\" not created (" +
                       install_log_text(why.c_str()) + ")\n");
    if (first_path.empty()) {
      first_path = path;
      first_reason = reason;
    }
  };
  for (INT_S16 i = 0; i < item.shortcut_count; ++i) {
    const INSTALL_SHORTCUT& s = item.shortcuts[i];
    if (s.platform > PLATFORM_LINUX_I86) continue;
    FOLDER t, icon;
    bool t_set = false, icon_set = false;
    std::string refused, t_chosen, icon_chosen;
    if (!shortcut_folder(s.target_location, s.second_target_location, &t, &t_set, &t_chosen, a, &refused) ||
        !shortcut_folder(s.icon_folder, s.second_icon_folder, &icon, &icon_set, &icon_chosen, a, &refused)) {
      not_created(s, refused, refused, kNameRefused);
      continue;
    }
    const bool desktop = !s.menu_section[0];
    if (desktop ? !(d.desktop_shortcuts && d.system_info.can_desktop_shortcut)
                : !(d.menu_entries && d.system_info.can_menu_entry))
      continue;
    std::string missing, reason;
    if (!shortcut_target_present(s, t, t_chosen, t_set, &missing, &reason)) {
      not_created(s, missing + ": " + reason, missing, reason);
      continue;
    }
    // native_path_text shares one buffer: each folder's text is copied first.
    const std::string t_text = quoted_folder(t, t_set), icon_text = quoted_folder(icon, icon_set);
    const std::string common = std::to_string(s.kind) + ", \"" + install_log_text(s.target) + "\", \"" +
                               install_log_text(s.arguments) + "\", \"" + install_log_text(s.title) + "\", \"";
    const std::string tail = icon_text + "\", \"" + install_log_text(s.icon_name) + "\", \"" + t_text + "\" );\n";
    if (desktop) {
      show_progress(dialog, 100, text(TEXT_PROGRESS_SHORTCUTS));
      create_desktop_shortcut(s.kind, s.target, s.arguments, s.title, icon_set ? &icon : nullptr, s.icon_name,
                              t_set ? &t : nullptr);
      append_install_log("create_desktop_shortcut( " + common + tail);
    } else {
      show_progress(dialog, 100, text(TEXT_PROGRESS_MENU_ENTRIES));
      create_os_menu_shortcut(s.kind, s.target, s.arguments, s.title, s.menu_section, icon_set ? &icon : nullptr,
                              s.icon_name, t_set ? &t : nullptr);
      append_install_log("create_os_menu_shortcut( " + common + install_log_text(s.menu_section) + "\", \"" +
                         tail);
    }
  }
  if (!first_path.empty()) open_failure_box(first_path, first_reason);
}

void complete_run(INSTALL_DIALOG* dialog) {
  release_target();
  if (base_path_moved) reset_base_path();
  base_path_moved = false;
  if (dialog) dialog->update_buttons();
  // A run that counted failures says so where a good one says it is done.
  std::string line = text(TEXT_PROGRESS_DONE);
  if (install_error_count != 0)
    line = std::string(text(TEXT_FAILURE_TITLE)) + " (" + std::to_string(install_error_count) + ")";
  show_progress(dialog, 100, &line[0]);
  if (install_error_count == 0)
    append_install_log("Installation completed without any errors.\n");
  else
    append_install_log("Installation completed with " + std::to_string(install_error_count) + " errors.\n");
  close_install_log();
  set_idle_wait(kRestingIdleWait);
}

bool run_unfinished() { return install_step_count >= 1 && install_step_count <= install_step_limit + 1; }

}  // namespace

void DATABASE::install_step(INSTALL_DIALOG* dialog) {
  // The run waits while a message box (the failure box, the quit box) is on top.
  WM_SCREEN_OBJECT* top = find_popup(0);
  if (top && (top->kind & WM_KIND_CONFIRM)) return;

  if (current_page != INSTALL_PAGE_PROGRESS) {
    // Leaving the page abandons the run; the program's idle wait and "$APP"
    // come back once.
    if (run_unfinished()) {
      set_idle_wait(kRestingIdleWait);
      if (base_path_moved) reset_base_path();
      base_path_moved = false;
    }
    close_install_log();
    release_target();
    install_step_count = 0;
    return;
  }
  if (item_count < 1 || language_count < 1) return;

  if (install_step_count == 0) {
    start_run(dialog);
  } else if (install_step_count < install_step_limit) {
    // Nothing more goes into a folder that is no longer the one chosen, nor
    // into a log that is no longer the run's.
    if (run_lost()) return;
    if (install_file(dialog, items[selected_item].files[install_step_count - 1])) ++install_step_count;
  } else if (install_step_count == install_step_limit) {
    if (run_lost()) return;
    make_shortcuts(dialog);
    ++install_step_count;
  } else if (install_step_count == install_step_limit + 1) {
    // The completion line too goes only into the run's own log.
    if (run_lost()) return;
    complete_run(dialog);
    ++install_step_count;
  }
}
