// Drives: the home folder, the temporary folder, the whole file system and
// every mounted file system of a known type, as the kernel's table lists them.
#include <cstdio>
#include <cstring>

#include "folder.h"
#include "folder_internal.h"

using namespace folder_detail;

const char* mount_table_path = "/proc/mounts";

namespace {

struct MOUNT {
  char device[1024];
  char point[FOLDER_PATH_SIZE];
  DRIVE_TYPE type;
};

bool starts_with(const char* text, const char* prefix) {
  return strncmp(text, prefix, strlen(prefix)) == 0;
}

// The table writes blanks and the like in mount points as "\ooo".
void decode_octal(char* text) {
  char* out = text;
  for (const char* in = text; *in;) {
    if (in[0] == '\\' && in[1] >= '0' && in[1] <= '3' && in[2] >= '0' && in[2] <= '7' &&
        in[3] >= '0' && in[3] <= '7') {
      *out++ = static_cast<char>((in[1] - '0') * 64 + (in[2] - '0') * 8 + (in[3] - '0'));
      in += 4;
    } else {
      *out++ = *in++;
    }
  }
  *out = 0;
}

bool kept_type(const char* type, DRIVE_TYPE* kind) {
  static const struct {
    const char* name;
    DRIVE_TYPE kind;
  } types[] = {{"ext", DRIVE_LINUX},    {"ext2", DRIVE_LINUX},  {"ext3", DRIVE_LINUX},
               {"iso9660", DRIVE_CDROM}, {"msdos", DRIVE_DOS},   {"umsdos", DRIVE_DOS},
               {"vfat", DRIVE_DOS},      {"nfs", DRIVE_NETWORK}, {"nfs4", DRIVE_NETWORK},
               {"smbfs", DRIVE_NETWORK}, {"ntfs", DRIVE_WINDOWS}, {"hfs", DRIVE_MAC},
               {"hpfs", DRIVE_OS2},      {"sysv", DRIVE_UNIX},   {"xfs", DRIVE_UNIX}};
  for (const auto& t : types)
    if (strcmp(type, t.name) == 0) {
      *kind = t.kind;
      return true;
    }
  return false;
}

// Calls visit for each kept mount in table order until it returns true.
// False when the table cannot be read.
template <typename VISIT>
bool for_each_mount(VISIT visit) {
  FILE* table = fopen(mount_table_path, "r");
  if (!table) return false;
  FOLDER temp(FOLDER::UNSET{});
  temp_folder(&temp);
  char line[1024];
  MOUNT m;
  bool stop = false;
  while (!stop && fgets(line, sizeof line, table)) {
    size_t n = strlen(line);
    if (n && line[n - 1] == '\n') {
      line[--n] = 0;
    } else if (!feof(table)) {
      // A line longer than the buffer is skipped whole, never read as two.
      int c;
      while ((c = fgetc(table)) != EOF && c != '\n') {
      }
      continue;
    }
    char* first = strchr(line, ' ');
    if (!first) continue;
    char* second = strchr(first + 1, ' ');
    if (!second) continue;
    char* third = strchr(second + 1, ' ');
    if (!third) continue;
    *first = *second = *third = 0;
    const char* type = second + 1;
    DRIVE_TYPE kind;
    if (!kept_type(type, &kind)) continue;
    strcpy(m.device, line);
    strcpy(m.point, first + 1);
    decode_octal(m.point);
    if (is_home(m.point) || strcmp(m.point, temp.path) == 0 || strcmp(m.point, "/") == 0) continue;
    if (starts_with(m.device, "/dev/cdrom"))
      kind = DRIVE_CDROM;
    else if (starts_with(m.device, "/dev/floppy") || starts_with(m.device, "/dev/fd"))
      kind = DRIVE_FLOPPY;
    m.type = kind;
    stop = visit(m);
  }
  fclose(table);
  return true;
}

// The mount of number n (3 and up); false when there is none.
bool find_mount(INT_U16 n, MOUNT* out) {
  if (n < 3) return false;
  INT_U32 index = 0;
  bool found = false;
  for_each_mount([&](const MOUNT& m) {
    if (index++ == static_cast<INT_U32>(n - 3)) {
      *out = m;
      found = true;
    }
    return found;
  });
  return found;
}

// prefix is the whole path or a leading part of it that ends at a '/'.
bool holds(const char* prefix, const char* path) {
  size_t n = strlen(prefix);
  if (n == 0 || strncmp(path, prefix, n) != 0) return false;
  return path[n] == 0 || path[n] == '/' || prefix[n - 1] == '/';
}

}  // namespace

INT_U16 count_drives() {
  INT_U32 count = 3;
  for_each_mount([&](const MOUNT&) { return ++count >= 0xFFFF; });
  return static_cast<INT_U16>(count);
}

const char* get_drive_name(INT_U16 n) {
  static char name[FOLDER_PATH_SIZE];
  static const char* const pseudo[] = {"Home", "Temp", "File System"};
  if (n < 3) return pseudo[n];
  MOUNT m;
  if (!find_mount(n, &m)) return nullptr;
  strcpy(name, m.point);
  return name;
}

DRIVE_TYPE get_drive_type(INT_U16 n) {
  if (n < 3) return DRIVE_LINUX;
  MOUNT m;
  return find_mount(n, &m) ? m.type : DRIVE_DISK;
}

bool FOLDER::set_to_drive(INT_U16 n) {
  if (n == 0) {
    const char* h = home();
    if (!h) return false;
    strcpy(path, h);
    return true;
  }
  if (n == 1) {
    temp_folder(this);
    return true;
  }
  if (n == 2) {
    strcpy(path, "/");
    return true;
  }
  MOUNT m;
  if (!find_mount(n, &m)) return false;
  strcpy(path, m.point);
  return true;
}

INT_U16 FOLDER::drive_index() const {
  FOLDER temp(UNSET{});
  temp_folder(&temp);
  if (holds(temp.path, path)) return 1;
  const char* h = home();
  if (h && holds(h, path)) return 0;
  INT_U16 result = 2;
  INT_U32 index = 0;
  for_each_mount([&](const MOUNT& m) {
    if (holds(m.point, path)) {
      result = static_cast<INT_U16>(3 + index);
      return true;
    }
    return ++index >= 0xFFFF - 3;
  });
  return result;
}

const char* FOLDER::display_name() const {
  static char name[FOLDER_PATH_SIZE];
  strcpy(name, path);
  size_t n = strlen(name);
  if (n && name[n - 1] == '/') name[--n] = 0;
  FOLDER temp(UNSET{});
  if (is_home(name)) return "Home";
  temp_folder(&temp);
  if (strcmp(name, temp.path) == 0) return "Temp";
  if (n == 0) return "File System";
  const char* slash = strrchr(name, '/');
  if (!slash) return "/";
  memmove(name, slash + 1, strlen(slash + 1) + 1);
  return name;
}
