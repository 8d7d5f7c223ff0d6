// Folders named by path variables, their file-system operations, the
// platform's default folders, drives and the text forms of a folder.
#ifndef ZORV_FOLDER_H
#define ZORV_FOLDER_H

#include <cstdio>

#include "data_device.h"
#include "lists.h"
#include "zorv_string.h"
#include "zorv_types.h"

// Size of every path buffer: a path holds at most 2047 characters.
enum { FOLDER_PATH_SIZE = 2048, FOLDER_SEGMENT_MAX = 255, DIR_SCAN_PATTERN_MAX = 258 };

struct FILE_INFO {
  INT_U8 is_folder;
  INT_U8 hidden;        // the name begins with '.'
  INT_U16 permissions;  // owner bits: mode & 0700
  INT_U32 size;
  INT_U32 modified;  // seconds since 1970
};

struct DIR_SCAN;
struct DIR_SCAN_ITEM;
struct DIR_ENTRY;

class FOLDER : public DATA_DEVICE_CLIENT {
 public:
  char path[FOLDER_PATH_SIZE];

  // Every folder starts as "$APP".
  FOLDER();
  // Copies only the path: no variable is resolved.
  FOLDER(const FOLDER& other);
  // A scratch folder holding the empty (root) path; nothing is resolved.
  struct UNSET {};
  explicit FOLDER(UNSET);
  FOLDER& operator=(const FOLDER& other);
  virtual ~FOLDER();

  // Folder records on a data device.
  bool get_from_data_device(DATA_DEVICE* device) override;
  bool put_to_data_device(DATA_DEVICE* device) override;

  // Path texts: "$VARIABLE/rest" or "../rest" relative to the current path.
  bool set(const char* text, INT_U8 create = 0, const FOLDER* here = nullptr,
           INT_U8 create_variable_folder = 0, INT_U8 no_fallback = 0);
  bool resolve_variable(const char* name, INT_U8 create, const FOLDER* here, INT_U8 no_fallback);
  // Default folder kinds 0 ($APP) to 6 ($TEMP).
  bool set_platform_default(INT_U32 kind, const char* name, INT_U8 create);

  // File-system operations; names are relative to the folder.
  const char* native_path_text(const char* name = nullptr) const;
  bool equals(const FOLDER* other) const;
  bool go_up();
  bool enter(const char* name, INT_U8 create);
  bool set_if_directory(const char* path_text);
  bool get_file_info(const char* name, FILE_INFO* out) const;
  FILE* open_file(const char* name, const char* mode) const;
  // As open_file (modes "rb", "r+b", "wb"), for a regular file only and
  // without ever waiting in the open (a FIFO's open waits for a writer). With
  // "wb" only a new name is made: exclusively, never through a link. Null
  // with errno set otherwise.
  FILE* open_regular_file(const char* name, const char* mode) const;
  bool rename_file(const char* name, const FOLDER* to, const char* new_name = nullptr) const;
  bool remove_file(const char* name) const;
  bool remove_folder(const char* name, INT_U8 recursive) const;
  bool empty_sub_folder(const char* name) const;
  DIR_SCAN* open_scan(const char* pattern, INT_U8 show_hidden, INT_U32 match_mode,
                      INT_U8 filter_folders);
  void list(INT_U8 folders, INT_U8 show_hidden, INT_U8 append, DIR_ENTRY** array, INT_S32* count,
            const char* pattern, INT_U32 match_mode, INT_S32 first_capacity, INT_S32 growth);
  bool set_file_mode(const char* name, INT_U16 mode) const;
  INT_S32 execute(const char* name) const;

  // Drives.
  bool set_to_drive(INT_U16 n);
  INT_U16 drive_index() const;
  const char* display_name() const;

  // Text forms (out holds FOLDER_PATH_SIZE bytes).
  void to_variable_form(char* out) const;
  static void get_relative_path_text(const FOLDER* base, const FOLDER* folder, char* out);
  void get_path_text(char* out, const FOLDER* base) const;
  // Finds an unused "%08X<suffix>" name and reserves it: the file is created
  // empty, exclusively and without following links.
  bool unique_file_name(char* out, INT_S16 size, const char* suffix) const;

};

bool is_directory(const char* path);
void close_file(FILE* stream);

// A file written into a folder that others may write to. A new name is
// created exclusively and never through a link; an existing name (a file or
// a link) is never opened: the content goes to a fresh name in the same
// folder, which is renamed over the old name once it is whole. Until then
// the old file stays as it was.
class OUTPUT_FILE {
 public:
  OUTPUT_FILE() = default;
  ~OUTPUT_FILE();  // an unfinished file is abandoned
  OUTPUT_FILE(const OUTPUT_FILE&) = delete;
  OUTPUT_FILE& operator=(const OUTPUT_FILE&) = delete;

  // `name` (one path component) in the folder open as folder_fd, which must
  // stay open until the file is finished. False with errno set.
  bool open_at(int folder_fd, const char* name);
  // The file, open for writing (close-on-exec); -1 when none is open.
  int descriptor() const { return fd_; }
  // The file replaces an existing name.
  bool replacing() const { return fresh_[0] != 0; }
  // Puts the whole file in place under its name. With keep_open the
  // descriptor stays open for the caller (who then closes it), otherwise it
  // is closed first. False with errno set when it could not be closed or
  // put in place: the file is removed then, and an old one stays.
  bool finish(int* keep_open = nullptr);
  // Closes and removes the file written; an old one stays.
  void abandon();

 private:
  int folder_fd_ = -1;
  int fd_ = -1;
  char name_[FOLDER_SEGMENT_MAX + 1] = {0};
  char fresh_[32] = {0};
  void release_folder();
};

// Opens the folder `name` (one component) below the folder open as
// folder_fd, made first (mode 0777) when missing and `create` is set. A link
// there is followed only when it belongs to this user or to root: another
// user's link fails with *foreign_link set. The new descriptor (O_PATH,
// close-on-exec), or -1 with errno set.
int open_sub_folder_at(int folder_fd, const char* name, INT_U8 create, bool* foreign_link);

// Match modes of scan patterns.
enum {
  MATCH_ENDS = 0,
  MATCH_ENDS_NOCASE = 1,
  MATCH_BEGINS = 2,
  MATCH_BEGINS_NOCASE = 3,
  MATCH_CONTAINS = 4,
  MATCH_CONTAINS_NOCASE = 5,
  MATCH_EQUALS = 6,
  MATCH_EQUALS_NOCASE = 7
};

struct DIR_SCAN {
  struct dirent** entries;
  INT_S32 count;
  INT_S32 next;
  INT_U8 show_hidden;
  char pattern[DIR_SCAN_PATTERN_MAX + 1];
  INT_U32 match_mode;
  const FOLDER* folder;
  INT_U8 filter_folders;
};

struct DIR_SCAN_ITEM {
  const FOLDER* folder;
  const char* name;  // valid until the scan is closed
  INT_U8 is_folder;
  INT_U8 hidden;
  INT_U16 permissions;
  INT_U32 size;
  INT_U32 modified;
};

// One record of a listing. Listings are realloc'ed arrays that callers
// release with free(); the records' folders own nothing.
struct DIR_ENTRY {
  FOLDER folder;
  char name[FOLDER_SEGMENT_MAX + 1];
  INT_U8 is_folder;
  INT_U8 hidden;
  INT_U8 read_only;
  INT_U32 size;
  INT_U32 modified;
  DIR_ENTRY(const FOLDER& listed) : folder(listed) {}
};

bool read_dir_scan(DIR_SCAN* scan, DIR_SCAN_ITEM* out);
void close_dir_scan(DIR_SCAN* scan);
bool copy_file(const FOLDER* from, const char* name, const FOLDER* to, const char* new_name);
void get_executable_location(FOLDER* out, char* name_out);
void free_and_clear(void** pointer);

// User path variables and the overrides.
struct PATH_VARIABLE {
  ZORV_STRING name;  // full name, '$' included
  FOLDER folder;
};
bool define_variable(const char* name, const FOLDER* folder);
void undefine_variable(const char* name);
void delete_path_variable(PATH_VARIABLE* variable);
void set_base_path(const FOLDER* folder, const char* name);
void reset_base_path();
void get_base_path(FOLDER* out, char* name_out, INT_U16 size);
void set_icon_path(const FOLDER* folder);
void reset_icon_path();
void get_icon_folder(FOLDER* out);
void print_default_paths();

// Drives.
enum DRIVE_TYPE {
  DRIVE_DISK = 0,
  DRIVE_CDROM = 1,
  DRIVE_FLOPPY = 2,
  DRIVE_NETWORK = 3,
  DRIVE_LINUX = 4,
  DRIVE_UNIX = 5,
  DRIVE_MAC = 6,
  DRIVE_OS2 = 7,
  DRIVE_DOS = 8,
  DRIVE_WINDOWS = 9
};
INT_U16 count_drives();
const char* get_drive_name(INT_U16 n);
DRIVE_TYPE get_drive_type(INT_U16 n);

// A built-in or user-defined variable name, '$' included (so a stored text
// can be checked before it is resolved).
bool is_known_path_variable(const char* name);

// The process's private folder in "$TEMP": made on first use, exclusively,
// mode 0700, one per process. Removing it takes its content with it, and a
// stand-in for "$TEMP" this process made; it is safe in a signal handler.
bool get_private_temp_folder(FOLDER* out);
void remove_private_temp_folder();

// The native path of a path text with an optional file name, for display.
const char* expand_path_text(const char* text, const char* name);

// Seams. Defaults are the real places; only tests change them.
extern const char* default_folder_system_root;  // "/opt"
extern const char* shared_temp_root;            // "/tmp"
extern const char* mount_table_path;            // "/proc/mounts"
extern INT_U32 (*unique_name_clock)();          // null: the millisecond clock
extern INT_U8 (*folder_fonts_ready)();          // null: is_font_system_ready

#endif
