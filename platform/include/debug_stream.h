// Named channels for diagnostic lines. What happens to a line (console,
// message box, a rolling file in "$USERPREFS/debug") is decided at run time by
// the stream's option file "<name>_release.cfg" in that folder; a stream
// without an option file is silent.
#ifndef DEBUG_STREAM_H
#define DEBUG_STREAM_H

#include "zorv_types.h"

class TEXT_FILE;

enum {
  DEBUG_TO_CONSOLE = 0x001,
  DEBUG_TO_POPUP = 0x002,
  DEBUG_TO_FILE = 0x004,
  DEBUG_TRUNCATE_FIRST = 0x008,
  DEBUG_KEEP_FILE_OPEN = 0x010,
  DEBUG_FILE_HEADER = 0x020,
  DEBUG_STREAM_NAME = 0x040,
  DEBUG_CODE_LOCATION = 0x080,
  DEBUG_BREAKPOINT = 0x100,
  DEBUG_ROLLING_BACKUP = 0x200,
  DEBUG_SAVE_OPTIONS = 0x400,  // constructor only: write the options back on destruction
  DEBUG_TIME_STAMP = 0x800     // constructor only: each line carries the time
};

class DEBUG_STREAM {
 public:
  char name[256];
  char file_name[256];  // output file within "$USERPREFS/debug"
  INT_U16 flags;
  INT_U8 first_write;
  TEXT_FILE* file;
  INT_U16 lines_written;
  INT_U16 rolling_limit;

  explicit DEBUG_STREAM(const char* name = nullptr, INT_U16 flags = 0, INT_U8 read_options = 1);
  ~DEBUG_STREAM();
  DEBUG_STREAM(const DEBUG_STREAM&) = delete;
  DEBUG_STREAM& operator=(const DEBUG_STREAM&) = delete;

  void write_line(const char* source_file, INT_S32 line, const char* text, INT_U8 add_line_end);
  // write_line with a line end, only when any flag is set (cheap on hot paths).
  void report(const char* source_file, INT_S32 line, const char* text);
  void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void read_options();
  void write_options();
};

DEBUG_STREAM* find_debug_stream(const char* name);

// The library's two general streams, "ZORV Platform" and "ZORV Modules",
// built before main. Null once they were destroyed at exit.
DEBUG_STREAM* platform_debug_stream();
DEBUG_STREAM* modules_debug_stream();

// Records a soft error (code and argument) and reports its text to the
// "ZORV Platform" stream with the source location.
void raise_soft_error(INT_U16 code, const char* argument, const char* source_file, INT_S32 line);

#endif
