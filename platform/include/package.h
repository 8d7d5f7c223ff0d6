// The package container: one file holding named entries, each a chain of
// fixed-size blocks, with a directory of entries and a free list of blocks.
#ifndef PACKAGE_H
#define PACKAGE_H

#include <sys/types.h>

#include <string_view>
#include <unordered_map>
#include <vector>

#include "data_file.h"
#include "folder.h"
#include "text_file.h"
#include "zorv_types.h"

class PACKAGE;

// Called before each block is written: bytes so far (this block included),
// the entry's size and the caller's word.
typedef void (*PACKAGE_PROGRESS)(PACKAGE* package, INT_U32 so_far, INT_U32 size, INT_WORD user);

// Every positioned read of the package file goes through this; tests count
// or fail reads here. The default is pread.
extern ssize_t (*package_pread)(int fd, void* buffer, size_t count, off_t offset);

// Called by extract_entry after each block of an entry has reached the
// output: bytes copied so far and the entry's size. Tests change the package
// here, between two blocks of one copy; the default does nothing.
extern void (*package_copy_hook)(PACKAGE* package, INT_U64 copied, INT_U32 size);
void package_copy_hook_none(PACKAGE* package, INT_U64 copied, INT_U32 size);

struct PACKAGE_HEADER {
  INT_U32 position = 0;  // data position of the header record (10)
  INT_U32 block_size = 0;
  INT_U32 root_position = 0;
  INT_U32 first_free = 0;
  INT_U32 last_free = 0;
};

struct PACKAGE_ROOT {
  INT_U32 position = 0;
  char* name = nullptr;
  INT_U32 name_length = 0;
  INT_U32 first_entry = 0;
  INT_U32 last_entry = 0;
  INT_U32 reserved[3] = {0, 0, 0};
};

struct PACKAGE_ENTRY {
  INT_U32 position = 0;
  char* name = nullptr;     // new[] copy
  INT_U32 name_length = 0;  // as stored (a stored name may hold zero bytes)
  INT_U32 first_block = 0;
  INT_U32 last_block = 0;
  INT_U32 next_entry = 0;
  INT_U32 size = 0;
  PACKAGE_ENTRY* next_cached = nullptr;
  // The in-memory entry this record stands for (itself for a cached entry);
  // null for a record read from the file.
  PACKAGE_ENTRY* origin = nullptr;

  PACKAGE_ENTRY() = default;
  ~PACKAGE_ENTRY() { delete[] name; }
  PACKAGE_ENTRY(const PACKAGE_ENTRY&) = delete;
  PACKAGE_ENTRY& operator=(const PACKAGE_ENTRY&) = delete;
};

struct PACKAGE_BLOCK {
  INT_U32 position = 0;
  INT_U32 next_block = 0;
  INT_U8* data = nullptr;  // block size bytes, allocated on first use
  INT_U32 used = 0;

  PACKAGE_BLOCK() = default;
  ~PACKAGE_BLOCK() { delete[] data; }
  PACKAGE_BLOCK(const PACKAGE_BLOCK&) = delete;
  PACKAGE_BLOCK& operator=(const PACKAGE_BLOCK&) = delete;
};

// A data file on a temporary copy of an entry; closing it (close_package_file)
// stores the copy back unless it was opened for reading.
class PACKAGE_DATA_FILE : public DATA_FILE {
 public:
  PACKAGE* package;
  FOLDER temporary_folder;
  char temporary_name[256];
  char entry_name[256];
  INT_U8 read_only;

  PACKAGE_DATA_FILE();
  ~PACKAGE_DATA_FILE() override;
  // Stores the copy back (once); false when that failed.
  bool finish_close() override;
};

class PACKAGE_TEXT_FILE : public TEXT_FILE {
 public:
  PACKAGE* package;
  FOLDER temporary_folder;
  char temporary_name[256];
  char entry_name[256];
  INT_U8 read_only;

  PACKAGE_TEXT_FILE();
};

class PACKAGE {
 public:
  DATA_FILE* file;  // null when opening failed
  PACKAGE_HEADER header;
  PACKAGE_ROOT root;
  PACKAGE_ENTRY* first_cached_entry;
  PACKAGE_ENTRY* last_cached_entry;
  INT_U8 cache;
  std::vector<PACKAGE_ENTRY*> cached_entries;  // owns the in-memory directory
  // The cached entries by name (the first of a name, as a walk finds it);
  // the keys are views of the entries' own names.
  std::unordered_map<std::string_view, PACKAGE_ENTRY*> cached_index;
  // The medium could not be written: the package was opened for reading only.
  INT_U8 read_only;
  // Something was changed since the package was opened.
  INT_U8 changed;
  // The directory walk met a record it could not trust.
  INT_U8 directory_damaged;

  // block_size < 1: data_file_default_buffer_size. cache: hold the directory
  // in memory and write it back when the package is deleted.
  PACKAGE(FOLDER* folder, const char* file_name, INT_U8 create = 0, INT_S32 block_size = -1,
          INT_U8 cache = 0);
  virtual ~PACKAGE();
  PACKAGE(const PACKAGE&) = delete;
  PACKAGE& operator=(const PACKAGE&) = delete;

  bool find_entry(const char* name, PACKAGE_ENTRY* out);
  // find_entry that says why it found nothing: soft error 4112 for a name
  // the directory lacks, 4103 when the directory could not be read to its end.
  bool look_up_entry(const char* name, PACKAGE_ENTRY* out);
  bool extract(FOLDER* destination, const char* destination_name, const char* entry_name = nullptr,
               PACKAGE_PROGRESS progress = nullptr, INT_WORD user = 0);
  // extract for an entry already looked up: no second search.
  bool extract_entry(FOLDER* destination, const char* destination_name, const PACKAGE_ENTRY& entry,
                     PACKAGE_PROGRESS progress = nullptr, INT_WORD user = 0);
  // Copies an entry looked up before to the end of the file open as
  // `output` (its name, for messages, is destination_name); soft error 4103
  // when the package could not be read, 4104 when the output could not be
  // written. The output is left open, as it is.
  bool copy_entry(const PACKAGE_ENTRY& entry, int output, const char* destination_name,
                  PACKAGE_PROGRESS progress = nullptr, INT_WORD user = 0);
  bool store_file(FOLDER* source, const char* source_name, const char* entry_name = nullptr,
                  INT_U8 replace = 1, PACKAGE_PROGRESS progress = nullptr, INT_WORD user = 0);
  PACKAGE_DATA_FILE* open_file(const char* entry_name, INT_S32 mode, INT_U32 swap);
  PACKAGE_TEXT_FILE* open_text_file(const char* entry_name, INT_S32 mode, INT_U8 unicode);
  void load_directory();
  // Holds the directory in memory from now until the package is deleted
  // (loads it when the package was opened without it).
  void keep_directory();
  // A held directory is read again, with the header and the root, when the
  // package file was changed by someone else since it was loaded (one fstat):
  // each name then reaches the blocks it has in the file as it is now. True
  // when it was read again. A package changed through this object keeps its
  // own directory.
  bool refresh_directory();
  void write_directory();
  void free_directory();

 private:
  char name_[256];  // the package's file name, for messages
  // The last find_entry ended on a directory it could not read to its end.
  bool lookup_damaged_ = false;
  // The package file's size, modification and change times (nanoseconds) when
  // the directory was loaded.
  struct FILE_STAMP {
    INT_S64 size = -1, modified_s = 0, modified_ns = 0, changed_s = 0, changed_ns = 0;
    bool operator==(const FILE_STAMP& o) const {
      return size == o.size && modified_s == o.modified_s && modified_ns == o.modified_ns &&
             changed_s == o.changed_s && changed_ns == o.changed_ns;
    }
  };
  FILE_STAMP loaded_stamp_;

  bool stamp_file(FILE_STAMP* out);

  INT_U64 data_length();
  bool block_fits(INT_U32 position);
  bool block_writable(INT_U32 position);
  bool read_header();
  bool write_header();
  bool read_root();
  bool write_root();
  void sync_file();
  bool read_raw(INT_U32 position, void* out, size_t count);
  bool read_entry_record(INT_U32 position, PACKAGE_ENTRY* out);
  bool write_entry_record(const PACKAGE_ENTRY* entry);
  bool write_entry_back(PACKAGE_ENTRY* entry);
  bool read_block(INT_U32 position, PACKAGE_BLOCK* block);
  bool write_block(PACKAGE_BLOCK* block);
  bool write_link(INT_U32 block_position, INT_U32 next);
  bool allocate_block(PACKAGE_BLOCK* block);
  bool add_entry(const char* name, PACKAGE_ENTRY* out);
  bool release_blocks(PACKAGE_ENTRY* entry);
  bool take_block(PACKAGE_ENTRY* entry, PACKAGE_BLOCK* block);
  bool prepare_entry_file(const char* entry_name, INT_S32 mode, FOLDER* folder, char* temporary_name);
  friend class PACKAGE_DATA_FILE;
  friend bool close_package_text_file_checked(PACKAGE_TEXT_FILE** file);
};

void close_package_file(DATA_FILE** file);
void close_package_text_file(PACKAGE_TEXT_FILE** file);
// As above; false when the entry could not be written completely or stored
// back into the package.
bool close_package_file_checked(DATA_FILE** file);
bool close_package_text_file_checked(PACKAGE_TEXT_FILE** file);

#endif
