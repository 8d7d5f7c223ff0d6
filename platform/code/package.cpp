// Package container: opening, directory, extraction, storing, entry files.
#include "package.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_set>

#include "debug_stream.h"
#include "errors.h"

#define PACKAGE_ERROR(code, argument) package_error((code), (argument), __LINE__)

namespace {

// A soft error, also reported to the "ZORV Platform" stream.
void package_error(INT_U16 code, const char* argument, INT_S32 line) {
  set_last_error(code, argument);
  if (DEBUG_STREAM* stream = platform_debug_stream())
    stream->report("code/package", line, get_error_code_text(code, argument));
}

const char MAGIC[8] = {'Z', 'O', 'R', 'V', 'P', 'K', 'G', 0};
enum {
  ENTRY_FIXED_SIZE = 20,  // name length and four links
  BLOCK_OVERHEAD = 8,     // next link and used count
  ROOT_FIXED_SIZE = 24,   // name length and five words
  HEADER_SIZE = 16,
  NAME_FIELD_SIZE = 256
};

char* copy_name(const char* text, size_t length) {
  char* copy = new (std::nothrow) char[length + 1];
  if (!copy) return nullptr;
  memcpy(copy, text, length);
  copy[length] = 0;
  return copy;
}

}  // namespace

ssize_t (*package_pread)(int fd, void* buffer, size_t count, off_t offset) = pread;

void package_copy_hook_none(PACKAGE*, INT_U64, INT_U32) {}
void (*package_copy_hook)(PACKAGE* package, INT_U64 copied, INT_U32 size) = package_copy_hook_none;

namespace {

bool pread_exactly(int fd, void* out, size_t count, off_t at) {
  char* p = static_cast<char*>(out);
  while (count > 0) {
    ssize_t got = package_pread(fd, p, count, at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    at += got;
    count -= static_cast<size_t>(got);
  }
  return true;
}

bool write_exactly(int fd, const INT_U8* data, size_t count) {
  while (count > 0) {
    ssize_t put = write(fd, data, count);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    count -= static_cast<size_t>(put);
  }
  return true;
}

// Reads up to `count` bytes at `at`; the number read, short only at the end
// of the file; -1 on an error.
ssize_t pread_some(int fd, void* out, size_t count, off_t at) {
  size_t done = 0;
  while (done < count) {
    ssize_t got = package_pread(fd, static_cast<char*>(out) + done, count - done, at + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

// The links of a block chain, read with as few system calls as the layout
// allows. A block is [next link][data][used count]; the used count of one
// block and the next link of the block right behind it are adjacent, so both
// come in one read, and when the chain continues with that block (as it does
// wherever a file was stored in one go) its link needs no read of its own.
struct CHAIN_READER {
  int fd;
  off_t base;  // file offset of position 0
  INT_U32 block_size;
  bool swap;
  INT_U64 ahead_position = 0;  // the block whose link `ahead_link` holds; 0 = none
  INT_U32 ahead_link = 0;

  INT_U32 word(const INT_U8* p) const {
    INT_U32 v;
    memcpy(&v, p, 4);
    return swap ? __builtin_bswap32(v) : v;
  }

  // The caller has checked that the whole block lies inside the file.
  bool read(INT_U32 position, INT_U32* next, INT_U32* used) {
    const off_t raw = base + static_cast<off_t>(position);
    INT_U8 bytes[8];
    if (position == ahead_position) {
      *next = ahead_link;
    } else {
      if (!pread_exactly(fd, bytes, 4, raw)) return false;
      *next = word(bytes);
    }
    ahead_position = 0;
    const ssize_t got = pread_some(fd, bytes, 8, raw + 4 + static_cast<off_t>(block_size));
    if (got < 4) return false;
    *used = word(bytes);
    if (got == 8) {
      ahead_position = static_cast<INT_U64>(position) + BLOCK_OVERHEAD + block_size;
      ahead_link = word(bytes + 4);
    }
    return true;
  }
};

enum COPY_RESULT { COPIED, READ_FAILED, WRITE_FAILED };

// Copies count bytes at offset `at` of one file to the end of another, inside
// the kernel where it can; through `buffer` (at least count bytes, allocated
// on demand) where it cannot.
COPY_RESULT copy_range(int from, off_t at, int to, size_t count, PACKAGE_BLOCK* buffer, size_t buffer_size) {
  while (count > 0) {
    off_t in = at;
    ssize_t copied = copy_file_range(from, &in, to, nullptr, count, 0);
    if (copied > 0) {
      at += copied;
      count -= static_cast<size_t>(copied);
      continue;
    }
    if (copied == 0) return READ_FAILED;
    if (errno == EINTR) continue;
    if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF) break;
    return WRITE_FAILED;
  }
  if (count == 0) return COPIED;
  if (!buffer->data) buffer->data = new (std::nothrow) INT_U8[buffer_size];
  if (!buffer->data) return WRITE_FAILED;
  if (!pread_exactly(from, buffer->data, count, at)) return READ_FAILED;
  return write_exactly(to, buffer->data, count) ? COPIED : WRITE_FAILED;
}

}  // namespace

// ---------------------------------------------------------------- records

INT_U64 PACKAGE::data_length() { return file ? file->get_size() : 0; }

bool PACKAGE::block_fits(INT_U32 position) {
  return position != 0 &&
         static_cast<INT_U64>(position) + BLOCK_OVERHEAD + header.block_size <= data_length();
}

bool PACKAGE::read_header() {
  if (data_length() < static_cast<INT_U64>(header.position) + HEADER_SIZE) return false;
  file->seek(static_cast<INT_S32>(header.position), 0);
  return file->read_u32(&header.block_size) && file->read_u32(&header.root_position) &&
         file->read_u32(&header.first_free) && file->read_u32(&header.last_free);
}

bool PACKAGE::write_header() {
  file->seek(static_cast<INT_S32>(header.position), 0);
  return file->write_u32(header.block_size) && file->write_u32(header.root_position) &&
         file->write_u32(header.first_free) && file->write_u32(header.last_free);
}

bool PACKAGE::read_root() {
  INT_U64 length = data_length();
  INT_U32 position = header.root_position;
  if (position == 0 || static_cast<INT_U64>(position) + 4 > length) return false;
  file->seek(static_cast<INT_S32>(position), 0);
  INT_U32 name_length = 0;
  if (!file->read_u32(&name_length)) return false;
  if (static_cast<INT_U64>(position) + ROOT_FIXED_SIZE + name_length > length) return false;
  char* name = new (std::nothrow) char[static_cast<size_t>(name_length) + 1];
  if (!name) {
    PACKAGE_ERROR(4107, nullptr);
    return false;
  }
  if (name_length && file->read(name, static_cast<INT_S32>(name_length)) != static_cast<INT_S32>(name_length)) {
    delete[] name;
    return false;
  }
  name[name_length] = 0;
  delete[] root.name;
  root.name = name;
  root.name_length = name_length;
  root.position = position;
  return file->read_u32(&root.first_entry) && file->read_u32(&root.last_entry) &&
         file->read_u32(&root.reserved[0]) && file->read_u32(&root.reserved[1]) &&
         file->read_u32(&root.reserved[2]);
}

bool PACKAGE::write_root() {
  file->seek(static_cast<INT_S32>(root.position), 0);
  INT_S32 n = static_cast<INT_S32>(root.name_length);
  return file->write_u32(root.name_length) && (n == 0 || file->write(root.name, n) == n) &&
         file->write_u32(root.first_entry) && file->write_u32(root.last_entry) &&
         file->write_u32(root.reserved[0]) && file->write_u32(root.reserved[1]) &&
         file->write_u32(root.reserved[2]);
}

// Everything written so far reaches the descriptor, which the readers below
// use directly.
void PACKAGE::sync_file() {
  file->flush();
  fflush(file->stream);
}

// Directory records are read straight from the file: a lookup that walks the
// directory would otherwise refill the data file's whole buffer per record.
bool PACKAGE::read_raw(INT_U32 position, void* out, size_t count) {
  sync_file();
  return pread_exactly(fileno(file->stream), out, count, static_cast<off_t>(position) + file->header_flag);
}

bool PACKAGE::read_entry_record(INT_U32 position, PACKAGE_ENTRY* out) {
  INT_U64 length = data_length();
  if (position == 0 || static_cast<INT_U64>(position) + ENTRY_FIXED_SIZE > length) return false;
  // One read takes a record with a name of ordinary length whole.
  INT_U8 chunk[ENTRY_FIXED_SIZE + 236];
  size_t first = static_cast<size_t>(std::min<INT_U64>(sizeof chunk, length - position));
  // The file may have been cut short since it was opened: what the read
  // delivers counts, not the length known then.
  sync_file();
  const ssize_t got = pread_some(fileno(file->stream), chunk, first, static_cast<off_t>(position) + file->header_flag);
  if (got < ENTRY_FIXED_SIZE) return false;
  first = static_cast<size_t>(got);
  auto word = [this](const INT_U8* p) {
    INT_U32 v;
    memcpy(&v, p, 4);
    return file->swap_flag ? __builtin_bswap32(v) : v;
  };
  INT_U32 name_length = word(chunk);
  // The name must lie inside the file before anything is allocated for it.
  if (static_cast<INT_U64>(position) + ENTRY_FIXED_SIZE + name_length > length) return false;
  char* name = new (std::nothrow) char[static_cast<size_t>(name_length) + 1];
  if (!name) {
    PACKAGE_ERROR(4107, nullptr);
    return false;
  }
  INT_U8 links[16];
  if (ENTRY_FIXED_SIZE + static_cast<size_t>(name_length) <= first) {
    memcpy(name, chunk + 4, name_length);
    memcpy(links, chunk + 4 + name_length, sizeof links);
  } else if (first < sizeof chunk || !read_raw(position + 4, name, name_length) ||
             !read_raw(position + 4 + name_length, links, sizeof links)) {
    delete[] name;
    return false;
  }
  name[name_length] = 0;
  delete[] out->name;
  out->name = name;
  out->name_length = name_length;
  out->position = position;
  out->first_block = word(links);
  out->last_block = word(links + 4);
  out->next_entry = word(links + 8);
  out->size = word(links + 12);
  return true;
}

bool PACKAGE::write_entry_record(const PACKAGE_ENTRY* entry) {
  file->seek(static_cast<INT_S32>(entry->position), 0);
  INT_S32 n = static_cast<INT_S32>(entry->name_length);
  return file->write_u32(entry->name_length) && (n == 0 || file->write(entry->name, n) == n) &&
         file->write_u32(entry->first_block) && file->write_u32(entry->last_block) &&
         file->write_u32(entry->next_entry) && file->write_u32(entry->size);
}

// In a cached package the in-memory entry is authoritative; the file learns
// of it when the directory is written.
bool PACKAGE::write_entry_back(PACKAGE_ENTRY* entry) {
  if (cache && entry->origin) {
    PACKAGE_ENTRY* cached = entry->origin;
    if (cached != entry) {
      cached->first_block = entry->first_block;
      cached->last_block = entry->last_block;
      cached->next_entry = entry->next_entry;
      cached->size = entry->size;
    }
    return true;
  }
  return write_entry_record(entry);
}

bool PACKAGE::allocate_block(PACKAGE_BLOCK* block) {
  if (!block->data) block->data = new (std::nothrow) INT_U8[header.block_size];
  if (!block->data) PACKAGE_ERROR(4107, nullptr);
  return block->data != nullptr;
}

// Reads a block's next link and used count, not its data.
bool PACKAGE::read_block(INT_U32 position, PACKAGE_BLOCK* block) {
  // A stale link or count must never survive a failed read.
  block->next_block = 0;
  block->used = 0;
  if (!block_fits(position)) return false;
  block->position = position;
  int fd = fileno(file->stream);
  off_t raw = static_cast<off_t>(position) + file->header_flag;
  INT_U32 next, used;
  if (!pread_exactly(fd, &next, 4, raw) || !pread_exactly(fd, &used, 4, raw + 4 + header.block_size)) return false;
  if (file->swap_flag) {
    next = __builtin_bswap32(next);
    used = __builtin_bswap32(used);
  }
  block->next_block = next;
  block->used = used;
  return true;
}

bool PACKAGE::write_block(PACKAGE_BLOCK* block) {
  file->seek(static_cast<INT_S32>(block->position), 0);
  INT_S32 size = static_cast<INT_S32>(header.block_size);
  return file->write_u32(block->next_block) && file->write(block->data, size) == size &&
         file->write_u32(block->used);
}

// Blocks lie after the root record: a link into the header or the root
// comes only from damage and must never be written through.
bool PACKAGE::block_writable(INT_U32 position) {
  return block_fits(position) &&
         position >= static_cast<INT_U64>(root.position) + ROOT_FIXED_SIZE + root.name_length;
}

// Changes only the next link of a block; the rest of it stays as it is.
bool PACKAGE::write_link(INT_U32 block_position, INT_U32 next) {
  if (!block_writable(block_position)) return false;
  file->seek(static_cast<INT_S32>(block_position), 0);
  return file->write_u32(next);
}

// ---------------------------------------------------------------- opening

PACKAGE::PACKAGE(FOLDER* folder, const char* file_name, INT_U8 create, INT_S32 block_size, INT_U8 cache_flag)
    : file(nullptr),
      first_cached_entry(nullptr),
      last_cached_entry(nullptr),
      cache(cache_flag),
      read_only(0),
      changed(0),
      directory_damaged(0) {
  snprintf(name_, sizeof name_, "%s", file_name ? file_name : "");
  if (!folder || !file_name || !*file_name) {
    PACKAGE_ERROR(4108, name_);
    return;
  }
  // Only a regular file is opened: the open of a FIFO waits for a writer,
  // that of a device may do anything. A name changed after this look is
  // caught on the opened descriptor, and that open never waits.
  struct stat st;
  if (stat(folder->native_path_text(file_name), &st) == 0 && !S_ISREG(st.st_mode)) {
    PACKAGE_ERROR(4103, name_);
    return;
  }
  DATA_FILE* probe = open_regular_data_file(folder, file_name, DATA_FILE_READ, DATA_FILE_HEADER);
  if (!probe) {
    if (stat(folder->native_path_text(file_name), &st) == 0) {
      // There but unreadable: creating would destroy it.
      PACKAGE_ERROR(4103, name_);
      return;
    }
    if (!create) {
      PACKAGE_ERROR(4108, name_);
      return;
    }
    if (block_size < 1) block_size = data_file_default_buffer_size;
    if (block_size > DATA_FILE_MAX_BUFFER) block_size = DATA_FILE_MAX_BUFFER;
    // A new file only: a name that appeared meanwhile (a link, say) is not
    // written through.
    file = open_regular_data_file(folder, file_name, DATA_FILE_WRITE, DATA_FILE_HEADER);
    if (!file) {
      PACKAGE_ERROR(4102, name_);
      return;
    }
    header.block_size = static_cast<INT_U32>(block_size);
    bool ok = file->write(MAGIC, 8) == 8 && file->write_u16(1);
    if (ok) {
      header.position = file->tell();
      ok = write_header();
    }
    if (ok) {
      root.position = header.root_position = file->tell();
      ok = write_header();
    }
    if (ok) {
      root.name = copy_name("root", 4);
      root.name_length = 4;
      if (!root.name) {
        PACKAGE_ERROR(4107, nullptr);
        close_data_file(&file);
        folder->remove_file(file_name);
        return;
      }
      file->seek(static_cast<INT_S32>(root.position), 0);
      ok = write_root();
    }
    if (!close_data_file_checked(&file) || !ok) {
      PACKAGE_ERROR(4104, name_);
      folder->remove_file(file_name);
      return;
    }
  } else {
    close_data_file(&probe);
  }

  file = open_regular_data_file(folder, file_name, DATA_FILE_UPDATE, DATA_FILE_HEADER);
  if (!file) {
    // A medium that cannot be written is still read.
    PACKAGE_ERROR(4101, name_);
    file = open_regular_data_file(folder, file_name, DATA_FILE_READ, DATA_FILE_HEADER);
    if (!file) return;
    read_only = 1;
  }
  char magic[8];
  INT_U16 version = 0;
  int failure = 0;
  file->seek(0, 0);
  if (file->read(magic, 8) != 8)
    failure = 4103;
  else if (memcmp(magic, MAGIC, 7) != 0)
    failure = 4105;
  else if (!file->read_u16(&version) || data_length() < 10)
    failure = 4103;
  else if (static_cast<INT_S16>(version) > 1)
    failure = 4106;
  else {
    header.position = 10;
    // A block larger than any buffer the system makes comes only from damage.
    if (!read_header() || header.block_size == 0 || header.block_size > DATA_FILE_MAX_BUFFER || !read_root())
      failure = 4103;
  }
  if (failure) {
    PACKAGE_ERROR(failure, name_);
    close_data_file(&file);
    return;
  }
  if (cache) load_directory();
  set_last_error(0, nullptr);
}

PACKAGE::~PACKAGE() {
  if (file) {
    if (cache) {
      if (changed && !read_only) write_directory();
      free_directory();
    }
    close_data_file(&file);
  }
  delete[] root.name;
  root.name = nullptr;
}

// ---------------------------------------------------------------- directory

bool PACKAGE::stamp_file(FILE_STAMP* out) {
  struct stat st;
  if (!file || !file->stream || fstat(fileno(file->stream), &st) != 0) return false;
  out->size = st.st_size;
  out->modified_s = st.st_mtim.tv_sec;
  out->modified_ns = st.st_mtim.tv_nsec;
  out->changed_s = st.st_ctim.tv_sec;
  out->changed_ns = st.st_ctim.tv_nsec;
  return true;
}

void PACKAGE::load_directory() {
  free_directory();
  directory_damaged = 0;
  if (!file) return;
  // Taken before the walk: a change made while it reads is seen next time.
  if (!stamp_file(&loaded_stamp_)) loaded_stamp_ = FILE_STAMP();
  INT_U32 position = root.first_entry;
  INT_U64 limit = data_length() / ENTRY_FIXED_SIZE + 1;
  std::unordered_set<INT_U32> seen;
  while (position != 0) {
    if (!seen.insert(position).second || seen.size() > limit) {
      directory_damaged = 1;
      break;
    }
    PACKAGE_ENTRY* entry = new (std::nothrow) PACKAGE_ENTRY;
    if (!entry) break;
    if (!read_entry_record(position, entry)) {
      delete entry;
      directory_damaged = 1;
      break;
    }
    entry->origin = entry;
    cached_entries.push_back(entry);
    cached_index.emplace(entry->name, entry);
    if (last_cached_entry)
      last_cached_entry->next_cached = entry;
    else
      first_cached_entry = entry;
    last_cached_entry = entry;
    position = entry->next_entry;
  }
}

void PACKAGE::keep_directory() {
  if (cache || !file) return;
  cache = 1;
  load_directory();
}

bool PACKAGE::refresh_directory() {
  if (!file || !cache || changed) return false;
  FILE_STAMP now;
  if (!stamp_file(&now) || now == loaded_stamp_) return false;
  // Nothing the data file holds of the earlier contents is read again.
  sync_file();
  file->file_size = static_cast<INT_U32>(std::min<INT_S64>(now.size, 0xFFFFFFFFll));
  const PACKAGE_HEADER old_header = header;
  if (!read_header() || header.block_size == 0 || header.block_size > DATA_FILE_MAX_BUFFER || !read_root()) {
    // No longer a package that can be read: every lookup says so.
    header = old_header;
    free_directory();
    directory_damaged = 1;
    loaded_stamp_ = now;
    return true;
  }
  load_directory();
  return true;
}

void PACKAGE::write_directory() {
  if (!file || read_only) return;
  write_header();
  write_root();
  for (PACKAGE_ENTRY* entry : cached_entries) write_entry_record(entry);
}

void PACKAGE::free_directory() {
  cached_index.clear();
  for (PACKAGE_ENTRY* entry : cached_entries) delete entry;
  cached_entries.clear();
  first_cached_entry = last_cached_entry = nullptr;
}

bool PACKAGE::find_entry(const char* name, PACKAGE_ENTRY* out) {
  lookup_damaged_ = cache && directory_damaged;
  if (!file || !name || !out || root.first_entry == 0) return false;
  if (cache) {
    const auto found = cached_index.find(name);
    if (found == cached_index.end()) return false;
    const PACKAGE_ENTRY* entry = found->second;
    char* copy = copy_name(entry->name, entry->name_length);
    if (!copy) {
      PACKAGE_ERROR(4107, nullptr);
      return false;
    }
    delete[] out->name;
    out->name = copy;
    out->name_length = entry->name_length;
    out->position = entry->position;
    out->first_block = entry->first_block;
    out->last_block = entry->last_block;
    out->next_entry = entry->next_entry;
    out->size = entry->size;
    out->next_cached = entry->next_cached;
    out->origin = entry->origin;
    return true;
  }
  INT_U32 position = root.first_entry;
  INT_U64 limit = data_length() / ENTRY_FIXED_SIZE + 1;
  std::unordered_set<INT_U32> seen;
  while (position != 0) {
    if (!seen.insert(position).second || seen.size() > limit || !read_entry_record(position, out)) {
      lookup_damaged_ = true;
      return false;
    }
    out->next_cached = nullptr;
    out->origin = nullptr;
    if (strcmp(out->name, name) == 0) return true;
    position = out->next_entry;
  }
  return false;
}

bool PACKAGE::look_up_entry(const char* name, PACKAGE_ENTRY* out) {
  if (name && find_entry(name, out)) return true;
  // A directory cut short may well hold the name further on: the package
  // could not be read, which is not the same as a name it lacks.
  if (lookup_damaged_)
    PACKAGE_ERROR(4103, name_);
  else
    PACKAGE_ERROR(4112, name);
  return false;
}

// ---------------------------------------------------------------- extraction

bool PACKAGE::extract(FOLDER* destination, const char* destination_name, const char* entry_name,
                      PACKAGE_PROGRESS progress, INT_WORD user) {
  if (!file) {
    PACKAGE_ERROR(4109, nullptr);
    return false;
  }
  const char* wanted = entry_name ? entry_name : destination_name;
  if (!destination || !destination_name) {
    PACKAGE_ERROR(4111, destination_name);
    return false;
  }
  PACKAGE_ENTRY entry;
  if (!look_up_entry(wanted, &entry)) return false;
  return extract_entry(destination, destination_name, entry, progress, user);
}

bool PACKAGE::extract_entry(FOLDER* destination, const char* destination_name, const PACKAGE_ENTRY& entry,
                            PACKAGE_PROGRESS progress, INT_WORD user) {
  if (!file) {
    PACKAGE_ERROR(4109, nullptr);
    return false;
  }
  if (!destination || !destination_name) {
    PACKAGE_ERROR(4111, destination_name);
    return false;
  }
  // The output is opened by name, as any file a caller names: a device or a
  // FIFO is written to. The installation run, whose folders others may
  // write to, makes its files itself and uses copy_entry.
  FILE* output = destination->open_file(destination_name, "wb");
  if (!output) {
    PACKAGE_ERROR(4111, destination_name);
    return false;
  }
  bool copied = copy_entry(entry, fileno(output), destination_name, progress, user);
  if (fclose(output) != 0 && copied) {
    PACKAGE_ERROR(4104, destination_name);
    copied = false;
  }
  if (copied) set_last_error(0, nullptr);
  return copied;
}

bool PACKAGE::copy_entry(const PACKAGE_ENTRY& entry, int output, const char* destination_name,
                         PACKAGE_PROGRESS progress, INT_WORD user) {
  if (!file) {
    PACKAGE_ERROR(4109, nullptr);
    return false;
  }
  // The output is a plain copy of the stored bytes: they move from the
  // package file to the output without passing through the data files'
  // buffers (and inside the kernel where it can copy between files).
  sync_file();
  const int from = fileno(file->stream);
  const int to = output;
  // Walk the chain trusting nothing: every block lies inside the file, no
  // block comes twice, no count exceeds the block, the total never exceeds
  // the entry's size.
  PACKAGE_BLOCK block;
  CHAIN_READER chain{from, static_cast<off_t>(file->header_flag), header.block_size, file->swap_flag != 0};
  INT_U64 total = 0;
  INT_U64 limit = data_length() / (BLOCK_OVERHEAD + static_cast<INT_U64>(header.block_size)) + 1;
  std::unordered_set<INT_U32> seen;
  bool damaged = false;
  bool write_failed = false;
  for (INT_U32 position = entry.first_block; position != 0; position = block.next_block) {
    block.next_block = 0;
    if (!seen.insert(position).second || seen.size() > limit || !block_fits(position) ||
        !chain.read(position, &block.next_block, &block.used) || block.used > header.block_size ||
        total + block.used > entry.size) {
      damaged = true;
      break;
    }
    if (block.used == 0) continue;
    total += block.used;
    if (progress) progress(this, static_cast<INT_U32>(total), entry.size, user);
    off_t data = static_cast<off_t>(position) + file->header_flag + 4;
    COPY_RESULT result = copy_range(from, data, to, block.used, &block, header.block_size);
    if (result != COPIED) {
      (result == READ_FAILED ? damaged : write_failed) = true;
      break;
    }
    package_copy_hook(this, total, entry.size);
  }
  if (!damaged && !write_failed && total != entry.size) damaged = true;
  if (damaged) {
    // What could not be read is the package, not the entry.
    PACKAGE_ERROR(4103, name_);
    return false;
  }
  if (write_failed) {
    PACKAGE_ERROR(4104, destination_name);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- storing

bool PACKAGE::add_entry(const char* name, PACKAGE_ENTRY* out) {
  INT_U64 position = data_length();
  size_t length = strlen(name);
  char* copy = copy_name(name, length);
  if (!copy) {
    PACKAGE_ERROR(4107, nullptr);
    return false;
  }
  delete[] out->name;
  out->name = copy;
  out->name_length = static_cast<INT_U32>(length);
  out->position = static_cast<INT_U32>(position);
  out->first_block = out->last_block = out->next_entry = out->size = 0;
  out->next_cached = out->origin = nullptr;
  if (!write_entry_record(out)) return false;
  changed = 1;
  if (cache) {
    PACKAGE_ENTRY* cached = new (std::nothrow) PACKAGE_ENTRY;
    if (cached) cached->name = copy_name(name, length);
    if (!cached || !cached->name) {
      delete cached;
      PACKAGE_ERROR(4107, nullptr);
      return false;
    }
    cached->name_length = out->name_length;
    cached->position = out->position;
    cached->origin = cached;
    out->origin = cached;
    cached_entries.push_back(cached);
    cached_index.emplace(cached->name, cached);
    if (last_cached_entry) {
      last_cached_entry->next_cached = cached;
      last_cached_entry->next_entry = cached->position;
    }
    root.last_entry = cached->position;
    last_cached_entry = cached;
    if (root.first_entry == 0 || !first_cached_entry) {
      first_cached_entry = cached;
      if (root.first_entry == 0) root.first_entry = cached->position;
    }
    return true;
  }
  if (root.last_entry) {
    PACKAGE_ENTRY last;
    if (read_entry_record(root.last_entry, &last)) {
      last.next_entry = out->position;
      if (!write_entry_record(&last)) return false;
    }
  }
  root.last_entry = out->position;
  if (root.first_entry == 0) root.first_entry = out->position;
  return write_root();
}

bool PACKAGE::release_blocks(PACKAGE_ENTRY* entry) {
  bool ok = true;
  if (entry->first_block != 0) {
    if (header.last_free && block_writable(header.last_free)) {
      ok = write_link(header.last_free, entry->first_block);
    } else {
      header.first_free = entry->first_block;
    }
    header.last_free = entry->last_block;
    if (!cache) ok = write_header() && ok;
  }
  entry->first_block = entry->last_block = 0;
  changed = 1;
  return write_entry_back(entry) && ok;
}

bool PACKAGE::take_block(PACKAGE_ENTRY* entry, PACKAGE_BLOCK* block) {
  if (!allocate_block(block)) return false;
  INT_U32 position = 0;
  if (header.first_free) {
    INT_U32 candidate = header.first_free;
    INT_U32 next = 0;
    bool usable = block_writable(candidate);
    if (usable) {
      file->seek(static_cast<INT_S32>(candidate), 0);
      usable = file->read_u32(&next);
    }
    if (usable) {
      position = candidate;
      // A block that links to itself would be handed out twice.
      header.first_free = next == candidate ? 0 : next;
    } else {
      // A free list that leads out of the file is dropped, not followed.
      header.first_free = 0;
    }
    if (header.first_free == 0) header.last_free = 0;
    if (!cache && !write_header()) return false;
    if (position && next != 0 && !write_link(position, 0)) return false;
  }
  if (!position) {
    INT_U64 end = data_length();
    if (end + BLOCK_OVERHEAD + header.block_size > 0xFFFFFFFFull) return false;
    position = static_cast<INT_U32>(end);
    block->position = position;
    block->next_block = 0;
    block->used = 0;
    memset(block->data, 0, header.block_size);
    if (!write_block(block)) return false;
  }
  block->position = position;
  block->next_block = 0;
  block->used = 0;
  INT_U32 previous = entry->last_block;
  entry->last_block = position;
  if (entry->first_block == 0) entry->first_block = position;
  changed = 1;
  if (!write_entry_back(entry)) return false;
  if (previous && !write_link(previous, position)) return false;
  return true;
}

bool PACKAGE::store_file(FOLDER* source_folder, const char* source_name, const char* entry_name,
                         INT_U8 replace, PACKAGE_PROGRESS progress, INT_WORD user) {
  if (!file) {
    PACKAGE_ERROR(4109, nullptr);
    return false;
  }
  if (read_only) {
    PACKAGE_ERROR(4104, name_);
    return false;
  }
  if (!source_folder || !source_name) {
    PACKAGE_ERROR(4110, source_name);
    return false;
  }
  const char* name = entry_name ? entry_name : source_name;
  // Sizes and positions are 32-bit: a larger source cannot be stored.
  struct stat st;
  if (stat(source_folder->native_path_text(source_name), &st) == 0 &&
      static_cast<INT_U64>(st.st_size) > 0xFFFFFFFFull) {
    PACKAGE_ERROR(4110, source_name);
    return false;
  }
  DATA_FILE* source = open_data_file(source_folder, source_name, DATA_FILE_READ, 0, 0);
  if (!source) {
    PACKAGE_ERROR(4110, source_name);
    return false;
  }
  PACKAGE_ENTRY entry;
  bool found = find_entry(name, &entry);
  if (found && !replace) {
    close_data_file(&source);
    return false;
  }
  INT_U32 size = source->get_size();
  INT_U64 blocks = size / header.block_size + 1;
  INT_U64 needed = (found ? 0 : ENTRY_FIXED_SIZE + strlen(name)) + blocks * (BLOCK_OVERHEAD + header.block_size);
  if (data_length() + needed > 0xFFFFFFFFull) {
    close_data_file(&source);
    PACKAGE_ERROR(4104, name_);
    return false;
  }
  bool ok = found ? release_blocks(&entry) : add_entry(name, &entry);
  if (ok) {
    entry.size = size;
    ok = write_entry_back(&entry);
  }
  PACKAGE_BLOCK block;
  INT_U32 total = 0;
  while (ok && !source->eof()) {
    if (!take_block(&entry, &block)) {
      ok = false;
      break;
    }
    // Never more than the size recorded: a growing source is cut there.
    INT_U32 wanted = size - total < header.block_size ? size - total : header.block_size;
    INT_S32 got = wanted ? source->read(block.data, static_cast<INT_S32>(wanted)) : 0;
    if (got <= 0) got = 0;
    memset(block.data + got, 0, header.block_size - static_cast<INT_U32>(got));
    block.used = static_cast<INT_U32>(got);
    if (got == 0) {
      ok = write_block(&block);
      break;
    }
    total += static_cast<INT_U32>(got);
    if (progress) progress(this, total, entry.size, user);
    ok = write_block(&block);
  }
  close_data_file(&source);
  if (ok && total != entry.size) {
    // The source ended early (a read error): keep the entry consistent.
    entry.size = total;
    write_entry_back(&entry);
    PACKAGE_ERROR(4110, source_name);
    return false;
  }
  // Whatever the data file still holds must reach the disk to count.
  sync_file();
  if (!ok || file->write_failed()) {
    PACKAGE_ERROR(4104, name_);
    return false;
  }
  set_last_error(0, nullptr);
  return true;
}

// ---------------------------------------------------------------- entry files

bool PACKAGE::prepare_entry_file(const char* entry_name, INT_S32 mode, FOLDER* folder, char* temporary_name) {
  if (!file || !entry_name || strlen(entry_name) >= NAME_FIELD_SIZE) return false;
  if (mode < 0 || mode > 2) return false;
  // Nothing can be stored back into a package opened for reading only.
  if (read_only && mode != 0) return false;
  // In the process's own folder: a program ended by a signal takes it away
  // whole, so no copy is left in the shared "$TEMP".
  if (!get_private_temp_folder(folder)) return false;
  if (!folder->unique_file_name(temporary_name, NAME_FIELD_SIZE, ".tmp")) return false;
  PACKAGE_ENTRY entry;
  if (find_entry(entry_name, &entry)) {
    // An entry that cannot be extracted gives no file, so that closing it can
    // never store a truncated copy back.
    if (!extract(folder, temporary_name, entry_name)) {
      folder->remove_file(temporary_name);
      temporary_name[0] = 0;
      return false;
    }
    return true;
  }
  if (mode != 0) return true;
  // Nothing to read: the name reserved in $TEMP goes again.
  folder->remove_file(temporary_name);
  temporary_name[0] = 0;
  return false;
}

PACKAGE_DATA_FILE::PACKAGE_DATA_FILE()
    : DATA_FILE(-1), package(nullptr), temporary_folder(FOLDER::UNSET()), read_only(1) {
  temporary_name[0] = 0;
  entry_name[0] = 0;
}

bool PACKAGE_DATA_FILE::finish_close() {
  bool ok = true;
  if (package && !read_only) {
    ok = !write_failed() && package->store_file(&temporary_folder, temporary_name, entry_name, 1, nullptr, 0);
    if (ok) package->changed = 1;
    package = nullptr;  // stored (or given up) once
  }
  return ok;
}

PACKAGE_DATA_FILE::~PACKAGE_DATA_FILE() {
  // Deleted without close_data_file_checked: the copy is still stored.
  finish_close();
  if (temporary_name[0]) temporary_folder.remove_file(temporary_name);
}

PACKAGE_TEXT_FILE::PACKAGE_TEXT_FILE() : package(nullptr), temporary_folder(FOLDER::UNSET()), read_only(1) {
  temporary_name[0] = 0;
  entry_name[0] = 0;
}

PACKAGE_DATA_FILE* PACKAGE::open_file(const char* entry_name, INT_S32 mode, INT_U32 swap) {
  PACKAGE_DATA_FILE* entry_file = new (std::nothrow) PACKAGE_DATA_FILE;
  if (!entry_file) return nullptr;
  if (!prepare_entry_file(entry_name, mode, &entry_file->temporary_folder, entry_file->temporary_name)) {
    delete entry_file;
    return nullptr;
  }
  if (!DATA_FILE::open(&entry_file->temporary_folder, entry_file->temporary_name, mode, swap, entry_file, 0)) {
    delete entry_file;
    return nullptr;
  }
  snprintf(entry_file->entry_name, sizeof entry_file->entry_name, "%s", entry_name);
  entry_file->read_only = mode == 0;
  entry_file->package = this;
  return entry_file;
}

PACKAGE_TEXT_FILE* PACKAGE::open_text_file(const char* entry_name, INT_S32 mode, INT_U8 unicode) {
  PACKAGE_TEXT_FILE* entry_file = new (std::nothrow) PACKAGE_TEXT_FILE;
  if (!entry_file) return nullptr;
  if (!prepare_entry_file(entry_name, mode, &entry_file->temporary_folder, entry_file->temporary_name)) {
    delete entry_file;
    return nullptr;
  }
  if (!TEXT_FILE::open(&entry_file->temporary_folder, entry_file->temporary_name, mode, unicode, entry_file)) {
    entry_file->temporary_folder.remove_file(entry_file->temporary_name);
    delete entry_file;
    return nullptr;
  }
  snprintf(entry_file->entry_name, sizeof entry_file->entry_name, "%s", entry_name);
  entry_file->read_only = mode == 0;
  entry_file->package = this;
  return entry_file;
}

void close_package_file(DATA_FILE** entry_file) { close_package_file_checked(entry_file); }

bool close_package_file_checked(DATA_FILE** entry_file) { return close_data_file_checked(entry_file); }

void close_package_text_file(PACKAGE_TEXT_FILE** entry_file) { close_package_text_file_checked(entry_file); }

bool close_package_text_file_checked(PACKAGE_TEXT_FILE** entry_file) {
  if (!entry_file || !*entry_file) return false;
  PACKAGE_TEXT_FILE* text = *entry_file;
  bool complete = true;
  if (text->stream) {
    if (fflush(text->stream) != 0 || ferror(text->stream)) complete = false;
    if (fclose(text->stream) != 0) complete = false;
    text->stream = nullptr;
  }
  bool ok = complete;
  if (text->package && !text->read_only) {
    ok = complete &&
         text->package->store_file(&text->temporary_folder, text->temporary_name, text->entry_name, 1, nullptr, 0);
    if (ok) text->package->changed = 1;
  }
  if (text->temporary_name[0]) text->temporary_folder.remove_file(text->temporary_name);
  delete text;
  *entry_file = nullptr;
  return ok;
}
