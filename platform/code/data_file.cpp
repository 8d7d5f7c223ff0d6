// Buffered data files over plain or gzip streams, the byte-order handling of
// text files, and the file-information texts.
#include "data_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

#include "errors.h"

INT_S32 data_file_default_buffer_size = 524288;

gzFile gzopen_file(FILE* stream, const char* mode) {
  if (!stream || !mode) return nullptr;
  // The gzip stream works on a duplicate of the descriptor, placed where the
  // stdio stream stands; closing it leaves the stdio stream to its owner.
  fflush(stream);
  off_t at = ftello(stream);
  int fd = fcntl(fileno(stream), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  if (at < 0 || lseek(fd, at, SEEK_SET) < 0) {
    close(fd);
    return nullptr;
  }
  gzFile gz = gzdopen(fd, mode);
  if (!gz) close(fd);
  return gz;
}

int gzclose_keep_file(gzFile file) { return file ? gzclose(file) : Z_STREAM_ERROR; }

DATA_FILE::DATA_FILE(INT_S32 size)
    : buffer(nullptr),
      buffer_position(0),
      buffer_fill(0),
      buffer_size(0),
      mode(0),
      stream(nullptr),
      header_flag(0),
      dirty(0),
      gzip_stream(nullptr),
      file_size(0),
      buffer_offset(0),
      write_error(0) {
  if (size == -1) size = data_file_default_buffer_size;
  if (size < DATA_FILE_MIN_BUFFER) size = DATA_FILE_MIN_BUFFER;
  if (size > DATA_FILE_MAX_BUFFER) size = DATA_FILE_MAX_BUFFER;
  buffer = new (std::nothrow) INT_U8[size];
  if (!buffer) report_fatal_error(0x15, nullptr);
  buffer_size = size;
}

DATA_FILE::~DATA_FILE() { delete[] buffer; }

// The length of a plain stream, or -1 when it cannot be told or does not
// fit the format's 32-bit offsets.
static INT_S64 stream_length(FILE* f) {
  if (fseeko(f, 0, SEEK_END) != 0) return -1;
  off_t n = ftello(f);
  if (n < 0 || n > static_cast<off_t>(0xFFFFFFFFu)) return -1;
  return n;
}

// The uncompressed length of a gzip stream opened for reading, which is
// rewound afterwards; -1 on a damaged stream or one too long for 32 bits.
static INT_S64 gzip_length(gzFile gz, INT_U8* scratch, INT_S32 size) {
  INT_S64 total = 0;
  for (;;) {
    int n = gzread(gz, scratch, static_cast<unsigned>(size));
    if (n < 0) return -1;
    if (n == 0) break;
    total += n;
    if (total > 0xFFFFFFFFll) return -1;
  }
  int err = 0;
  gzerror(gz, &err);
  if (err != Z_OK && err != Z_BUF_ERROR) return -1;
  if (gzrewind(gz) != 0) return -1;
  return total;
}

namespace {
const char* const kStreamModes[] = {"rb", "wb", "r+b"};
}

bool DATA_FILE::open(FOLDER* folder, const char* name, INT_S32 mode, INT_U32 swap, DATA_FILE* file,
                     INT_U8 gzip) {
  if (!folder || !name || !*name || !file || mode < 0 || mode > 2) return false;
  FILE* f = folder->open_file(name, kStreamModes[mode]);
  if (!f) return false;
  return attach(f, mode, swap, file, gzip);
}

DATA_FILE* open_regular_data_file(FOLDER* folder, const char* name, INT_S32 mode, INT_U32 swap) {
  if (!folder || !name || !*name || mode < 0 || mode > 2) return nullptr;
  FILE* f = folder->open_regular_file(name, kStreamModes[mode]);
  if (!f) return nullptr;
  DATA_FILE* file = new (std::nothrow) DATA_FILE(-1);
  if (!file) {
    fclose(f);
    return nullptr;
  }
  if (!DATA_FILE::attach(f, mode, swap, file, 0)) {
    delete file;
    return nullptr;
  }
  return file;
}

bool DATA_FILE::attach(FILE* f, INT_S32 mode, INT_U32 swap, DATA_FILE* file, INT_U8 gzip) {
  // Our own buffer does the buffering; stdio then reports a failed write at
  // the write itself.
  setvbuf(f, nullptr, _IONBF, 0);
  gzFile gz = nullptr;
  file->buffer_position = file->buffer_fill = 0;
  file->dirty = 0;
  file->write_error = 0;
  file->error_flag = 0;
  auto fail = [&]() {
    if (gz) gzclose_keep_file(gz);
    fclose(f);
    return false;
  };
  INT_U8 byte = 0;
  if (swap == DATA_FILE_HEADER) {
    file->header_flag = 1;
    if (mode == DATA_FILE_WRITE) {
      if (gzip && !(gz = gzopen_file(f, "w"))) return fail();
      bool ok = gz ? gzwrite(gz, &byte, 1) == 1 : fwrite(&byte, 1, 1, f) == 1;
      if (!ok) return fail();
      file->swap_flag = 0;
      file->file_size = file->buffer_offset = 1;
    } else {
      rewind(f);
      INT_S64 length;
      if (gzip) {
        if (!(gz = gzopen_file(f, "r"))) return fail();
        length = gzip_length(gz, file->buffer, file->buffer_size);
        if (length < 0) return fail();
        if (length > 0 && gzread(gz, &byte, 1) != 1) return fail();
      } else {
        length = stream_length(f);
        if (length < 0) return fail();
        rewind(f);
        if (length > 0 && fread(&byte, 1, 1, f) != 1) return fail();
      }
      if (mode == DATA_FILE_READ) {
        file->swap_flag = byte;
        file->file_size = static_cast<INT_U32>(length);
        file->buffer_offset = 1;
      } else {
        if (length == 0) {
          // An empty file gets the header byte of a file written here.
          if (gz || fseeko(f, 0, SEEK_SET) != 0 || fwrite(&byte, 1, 1, f) != 1) return fail();
          length = 1;
        }
        file->swap_flag = byte;
        file->file_size = file->buffer_offset = static_cast<INT_U32>(length);
      }
    }
  } else {
    file->header_flag = 0;
    file->swap_flag = swap;
    if (mode == DATA_FILE_WRITE) {
      file->file_size = file->buffer_offset = 0;
    } else {
      INT_S64 length = stream_length(f);
      if (length < 0) return fail();
      file->file_size = static_cast<INT_U32>(length);
      file->buffer_offset = mode == DATA_FILE_READ ? 0 : static_cast<INT_U32>(length);
    }
  }
  file->stream = f;
  file->gzip_stream = gz;
  file->mode = static_cast<INT_U32>(mode);
  return true;
}

DATA_FILE* open_data_file(FOLDER* folder, const char* name, INT_S32 mode, INT_U32 swap, INT_U8 gzip) {
  DATA_FILE* file = new (std::nothrow) DATA_FILE(-1);
  if (!file) return nullptr;
  if (!DATA_FILE::open(folder, name, mode, swap, file, gzip)) {
    delete file;
    return nullptr;
  }
  return file;
}

INT_U32 DATA_FILE::tell() { return buffer_offset + static_cast<INT_U32>(buffer_position) - header_flag; }

INT_U32 DATA_FILE::get_size() {
  if (!stream) return 0;
  // Only bytes written count: a position past the end is no data yet.
  INT_U64 end = file_size;
  if (dirty && buffer_fill > 0 && static_cast<INT_U64>(buffer_offset) + buffer_fill > end)
    end = static_cast<INT_U64>(buffer_offset) + buffer_fill;
  if (end < header_flag) return 0;
  return static_cast<INT_U32>(end - header_flag);
}

bool DATA_FILE::position_stream(INT_U32 offset) {
  if (!gzip_stream) return fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
  z_off_t at = gztell(gzip_stream);
  if (at == static_cast<z_off_t>(offset)) return true;
  // A writing gzip stream only moves forward (zlib writes the gap as zeros).
  if (mode == DATA_FILE_WRITE && at > static_cast<z_off_t>(offset)) return false;
  return gzseek(gzip_stream, static_cast<z_off_t>(offset), SEEK_SET) == static_cast<z_off_t>(offset);
}

INT_S32 DATA_FILE::raw_write(const void* data, INT_S32 count) {
  if (!position_stream(buffer_offset)) return 0;
  if (gzip_stream) {
    // A gzip stream opened for reading cannot take data.
    if (mode != DATA_FILE_WRITE) return 0;
    int n = gzwrite(gzip_stream, data, static_cast<unsigned>(count));
    return n > 0 ? n : 0;
  }
  return static_cast<INT_S32>(fwrite(data, 1, static_cast<size_t>(count), stream));
}

INT_S32 DATA_FILE::raw_read(void* data, INT_S32 count) {
  if (!position_stream(buffer_offset)) return 0;
  if (gzip_stream) {
    int n = gzread(gzip_stream, data, static_cast<unsigned>(count));
    return n > 0 ? n : 0;
  }
  return static_cast<INT_S32>(fread(data, 1, static_cast<size_t>(count), stream));
}

void DATA_FILE::flush() {
  if (!stream) return;
  INT_U32 old = buffer_offset;
  if (dirty && buffer_fill >= 1) {
    INT_S32 written = raw_write(buffer, buffer_fill);
    if (written != buffer_fill) write_error = 1;
    if (written > 0 && old + static_cast<INT_U32>(written) > file_size)
      file_size = old + static_cast<INT_U32>(written);
  }
  buffer_offset = old + static_cast<INT_U32>(buffer_fill);
  if (buffer_position < buffer_fill) {
    buffer_offset = old + static_cast<INT_U32>(buffer_position);
    // Codecs that read the stdio stream directly after a flush find it at the
    // logical position; a writing gzip stream cannot go back, and its next
    // write reports that.
    position_stream(buffer_offset);
  }
  buffer_position = buffer_fill = 0;
  dirty = 0;
}

void DATA_FILE::seek(INT_S32 position, INT_U8 from_end) {
  INT_S64 target = position;
  if (from_end) target += get_size();
  target += header_flag;
  // Nothing lies before the data or beyond the format's 32-bit offsets.
  if (target < header_flag || target > 0xFFFFFFFFll) return;
  INT_U32 t = static_cast<INT_U32>(target);
  if (t == buffer_offset + static_cast<INT_U32>(buffer_position)) return;
  if (buffer_offset <= t && t <= buffer_offset + static_cast<INT_U32>(buffer_fill)) {
    buffer_position = static_cast<INT_S32>(t - buffer_offset);
    return;
  }
  flush();
  buffer_offset = t;
  // Placed at once (an end-of-file state ends with the move); a writing gzip
  // stream moves only when data follows, so a seek alone adds nothing.
  if (!(gzip_stream && mode == DATA_FILE_WRITE)) position_stream(t);
}

INT_S32 DATA_FILE::read(void* data, INT_S32 count) {
  if (!stream) return 0;
  if (mode != DATA_FILE_READ && mode != DATA_FILE_UPDATE) report_fatal_error(0x0E, nullptr);
  if (!data || count <= 0) return 0;
  INT_U8* out = static_cast<INT_U8*>(data);
  INT_S32 total = 0;
  for (;;) {
    INT_S32 available = buffer_fill - buffer_position;
    if (available >= count) {
      memcpy(out, buffer + buffer_position, static_cast<size_t>(count));
      buffer_position += count;
      return total + count;
    }
    if (available > 0) {
      memcpy(out, buffer + buffer_position, static_cast<size_t>(available));
      buffer_position += available;
      out += available;
      count -= available;
      total += available;
    }
    flush();  // written out when dirty; the buffer then starts after it
    INT_S32 got = raw_read(buffer, buffer_size);
    buffer_fill = got;
    buffer_position = 0;
    if (got <= 0) {
      buffer_fill = 0;
      return total;
    }
  }
}

INT_S32 DATA_FILE::write(const void* data, INT_S32 count) {
  if (!stream || !data || count <= 0) return 0;
  if (mode != DATA_FILE_WRITE && mode != DATA_FILE_UPDATE) report_fatal_error(0x0F, nullptr);
  if (static_cast<INT_S64>(buffer_position) + count >= buffer_size) flush();
  if (count < buffer_size) {
    memcpy(buffer + buffer_position, data, static_cast<size_t>(count));
    buffer_position += count;
    if (buffer_fill < buffer_position) buffer_fill = buffer_position;
    dirty = 1;
    return count;
  }
  INT_S32 written = raw_write(data, count);
  if (written != count) write_error = 1;
  if (written > 0) {
    buffer_offset += static_cast<INT_U32>(written);
    if (file_size < buffer_offset) file_size = buffer_offset;
  }
  return written;
}

bool DATA_FILE::eof() {
  if (!stream) return true;
  if (buffer_fill > buffer_position) return false;
  return gzip_stream ? gzeof(gzip_stream) != 0 : feof(stream) != 0;
}

bool close_data_file_checked(DATA_FILE** file) {
  if (!file || !*file) return false;
  DATA_FILE* f = *file;
  bool writing = f->mode != DATA_FILE_READ;
  f->flush();
  if (f->gzip_stream) {
    int result = gzclose_keep_file(f->gzip_stream);
    if (writing && result != Z_OK) f->write_error = 1;
    f->gzip_stream = nullptr;
  }
  if (f->stream) {
    if (fclose(f->stream) != 0 && writing) f->write_error = 1;
    f->stream = nullptr;
  }
  bool ok = !f->write_error;
  if (!f->finish_close()) ok = false;
  delete f;
  *file = nullptr;
  return ok;
}

void close_data_file(DATA_FILE** file) { close_data_file_checked(file); }

bool open_text_stream(FOLDER* folder, const char* name, INT_S32 mode, INT_U8 unicode, FILE** stream,
                      INT_U8* sixteen_bit, INT_U8* swapped) {
  if (!folder || !name || !*name || !stream || !sixteen_bit || !swapped || mode < 0 || mode > 2)
    return false;
  const char* open_mode = mode == 1 ? (unicode ? "wb" : "w") : mode == 2 ? "r+b" : "rb";
  FILE* f = folder->open_file(name, open_mode);
  if (!f) return false;
  *sixteen_bit = 0;
  *swapped = 0;
  static const INT_U8 mark[2] = {0xFF, 0xFE};
  if (mode == 1) {
    *sixteen_bit = unicode ? 1 : 0;
    if (unicode && fwrite(mark, 1, 2, f) != 2) {
      fclose(f);
      return false;
    }
    *stream = f;
    return true;
  }
  INT_U8 head[2] = {0, 0};
  size_t got = fread(head, 1, 2, f);
  bool little = got == 2 && head[0] == 0xFF && head[1] == 0xFE;
  bool big = got == 2 && head[0] == 0xFE && head[1] == 0xFF;
  if (mode == 2) {
    if (big) {
      // Byte-reversed 16-bit files are not appended to.
      fclose(f);
      return false;
    }
    fseek(f, 0, SEEK_END);
    if (little) {
      *sixteen_bit = 1;
      *stream = f;
      return true;
    }
    if (got == 0 && unicode) {
      if (fwrite(mark, 1, 2, f) != 2) {
        fclose(f);
        return false;
      }
      *sixteen_bit = 1;
      *stream = f;
      return true;
    }
    fclose(f);
    f = folder->open_file(name, "a+");
    if (!f) return false;
    *stream = f;
    return true;
  }
  if (little || big) {
    *sixteen_bit = 1;
    *swapped = big ? 1 : 0;
    *stream = f;
    return true;
  }
  fclose(f);
  f = folder->open_file(name, "r");
  if (!f) return false;
  *stream = f;
  return true;
}

const char* get_file_time_text(const DIR_SCAN_ITEM* item) {
  static char text[64];
  text[0] = 0;
  if (!item) return text;
  time_t t = static_cast<time_t>(item->modified);
  char buf[64];
  if (ctime_r(&t, buf)) {
    size_t n = strlen(buf);
    if (n && buf[n - 1] == '\n') buf[n - 1] = 0;
    strcpy(text, buf);
  }
  return text;
}

const char* get_file_size_text(const DIR_SCAN_ITEM* item) {
  static char text[64];
  if (!item) {
    text[0] = 0;
    return text;
  }
  double size = item->size;
  if (item->size > 1073741824u)
    snprintf(text, sizeof text, "%.1lf %s", size / 1073741824.0, "G");
  else if (item->size > 1048576u)
    snprintf(text, sizeof text, "%.1lf %s", size / 1048576.0, "M");
  else if (item->size > 1024u)
    snprintf(text, sizeof text, "%.1lf %s", size / 1024.0, "k");
  else
    snprintf(text, sizeof text, "%.1lf %s", size, "b");
  return text;
}
