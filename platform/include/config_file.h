// Configuration files: an identifier on one line, its value on the next.
// Cached mode reads the whole file into a table sorted by identifier and
// rewrites the file from it on every change; direct mode scans the file for
// every lookup and copies it with the one value changed.
#ifndef CONFIG_FILE_H
#define CONFIG_FILE_H

#include <vector>

#include "folder.h"
#include "zorv_types.h"

enum { CONFIG_ID_SIZE = 80, CONFIG_VALUE_SIZE = 256 };

struct CONFIG_ENTRY {
  INT_U16 index;  // position in file order
  char id[CONFIG_ID_SIZE];
  char value[CONFIG_VALUE_SIZE];
};

typedef void (*CONFIG_VISITOR)(const char* id, const char* value, INT_WORD arg);

class CONFIG_FILE {
 public:
  FOLDER folder;  // "$USERPREFS" unless the owner changes it
  char name[256];
  std::vector<CONFIG_ENTRY*> entries;  // the cached table, owned
  INT_U8 cached;

  explicit CONFIG_FILE(const char* name = nullptr, INT_U8 cached = 1);
  ~CONFIG_FILE();
  CONFIG_FILE(const CONFIG_FILE&) = delete;
  CONFIG_FILE& operator=(const CONFIG_FILE&) = delete;

  void init(const char* name, INT_U8 cached);
  bool exists(FOLDER* folder);
  bool load_all(FOLDER* folder, INT_U8 report_missing);
  bool get_string(FOLDER* folder, const char* id, char value[CONFIG_VALUE_SIZE]);
  // Numbers are 32-bit: in hex -1 is "FFFFFFFF" and reads back as -1. Text
  // that is no number leaves *out as it was and still succeeds.
  bool get_long(FOLDER* folder, const char* id, INT_S32* out, INT_U8 hex);
  bool set_string(FOLDER* folder, const char* id, const char* value);
  bool set_long(FOLDER* folder, const char* id, INT_S32 value, INT_U8 hex);
  void for_each_entry(FOLDER* folder, CONFIG_VISITOR callback, INT_WORD arg);
  bool write_all(FOLDER* folder);

 private:
  void clear_table();
  void sort_by_id();
  CONFIG_ENTRY* find(const char* id);
};

#endif
