// The path trace writes to the "Default Path Trace" debug stream.
#include "path_trace_stream.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void (*path_trace_sink)(const char* text) = nullptr;

namespace {

// Built with the first line traced, so that a program that traces nothing
// resolves no folder for it. 0 not built, 1 building (its option file is
// being read, which resolves a folder and may trace), 2 live, 3 destroyed.
DEBUG_STREAM* trace_stream = nullptr;
int trace_state = 0;

void destroy_trace_stream() {
  DEBUG_STREAM* stream = trace_stream;
  trace_stream = nullptr;
  trace_state = 3;
  delete stream;
}

}  // namespace

DEBUG_STREAM* path_trace_debug_stream() {
  if (trace_state == 0) {
    trace_state = 1;
    trace_stream = new DEBUG_STREAM("Default Path Trace", 0, 1);
    trace_state = 2;
    atexit(destroy_trace_stream);
  }
  return trace_state == 2 ? trace_stream : nullptr;
}

void PATH_TRACE_STREAM::printf(const char* format, ...) {
  if (!format) return;
  char line[2048];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (DEBUG_STREAM* stream = path_trace_debug_stream()) stream->write_line(nullptr, 0, line, 0);
  if (path_trace_sink) path_trace_sink(line);
}

PATH_TRACE_STREAM& path_trace() {
  static PATH_TRACE_STREAM stream;
  return stream;
}
