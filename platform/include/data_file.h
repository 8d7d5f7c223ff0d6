// Buffered data files (plain or gzip) with the one-byte byte-order header,
// the opening of text files, and small file-information texts.
#ifndef ZORV_DATA_FILE_H
#define ZORV_DATA_FILE_H

#include <zlib.h>

#include <cstdio>

#include "data_device.h"
#include "folder.h"
#include "zorv_types.h"

// Buffer size of files constructed with -1.
extern INT_S32 data_file_default_buffer_size;

enum { DATA_FILE_READ = 0, DATA_FILE_WRITE = 1, DATA_FILE_UPDATE = 2 };
enum { DATA_FILE_MIN_BUFFER = 1024, DATA_FILE_MAX_BUFFER = 52428800 };
// The swap argument that means "use the file's byte-order byte".
const INT_U32 DATA_FILE_HEADER = 0xFFFFFFFFu;

class DATA_FILE : public DATA_DEVICE {
 public:
  INT_U8* buffer;
  INT_S32 buffer_position;
  INT_S32 buffer_fill;
  INT_S32 buffer_size;
  INT_U32 mode;
  FILE* stream;
  INT_U8 header_flag;
  INT_U8 dirty;
  gzFile gzip_stream;
  INT_U32 file_size;      // raw offset: header byte included
  INT_U32 buffer_offset;  // raw offset of buffer[0]
  // Sticky: a short write, a failed flush or a failed close happened.
  INT_U8 write_error;

  explicit DATA_FILE(INT_S32 size = -1);
  ~DATA_FILE() override;

  static bool open(FOLDER* folder, const char* name, INT_S32 mode, INT_U32 swap, DATA_FILE* file,
                   INT_U8 gzip);
  INT_U32 tell() override;
  INT_U32 get_size();
  void seek(INT_S32 position, INT_U8 from_end) override;
  INT_S32 read(void* data, INT_S32 count) override;
  INT_S32 write(const void* data, INT_S32 count) override;
  void flush();
  bool eof();
  // True once any write to the file failed (the file on disk is incomplete).
  bool write_failed() const { return write_error != 0; }
  // Last step of close_data_file_checked, after the streams are closed: a
  // file that is a copy of something else puts it back here. False when
  // that failed.
  virtual bool finish_close() { return true; }

  // The rest of open, on a stream already open in the mode's way; the
  // stream is closed when it fails.
  static bool attach(FILE* stream, INT_S32 mode, INT_U32 swap, DATA_FILE* file, INT_U8 gzip);

 private:
  bool position_stream(INT_U32 offset);
  INT_S32 raw_write(const void* data, INT_S32 count);
  INT_S32 raw_read(void* data, INT_S32 count);
};

DATA_FILE* open_data_file(FOLDER* folder, const char* name, INT_S32 mode, INT_U32 swap,
                          INT_U8 gzip);
void close_data_file(DATA_FILE** file);
// As open_data_file without gzip, for a regular file only, and never waiting
// in the open (FOLDER::open_regular_file): mode 1 makes a new file only.
DATA_FILE* open_regular_data_file(FOLDER* folder, const char* name, INT_S32 mode, INT_U32 swap);
// As close_data_file; false when any write to the file failed, including the
// last flush, the closing of the streams and finish_close.
bool close_data_file_checked(DATA_FILE** file);

// Byte-order-mark handling of text files. Opens name in folder for a text
// stream in mode 0 (read), 1 (write) or 2 (append) and reports the encoding
// found or written. The text-file stream's own open uses it.
bool open_text_stream(FOLDER* folder, const char* name, INT_S32 mode, INT_U8 unicode, FILE** stream,
                      INT_U8* sixteen_bit, INT_U8* swapped);

// gzip streams on an open stdio stream, closed without closing that stream.
gzFile gzopen_file(FILE* stream, const char* mode);
int gzclose_keep_file(gzFile file);

struct DIR_SCAN_ITEM;
const char* get_file_time_text(const DIR_SCAN_ITEM* item);
const char* get_file_size_text(const DIR_SCAN_ITEM* item);

#endif
