// TEMPORARY stand-in stream of the path trace; see path_trace_stream.h.
#include "path_trace_stream.h"

#include <cstdarg>
#include <cstdio>

void (*path_trace_sink)(const char* text) = nullptr;

void PATH_TRACE_STREAM::printf(const char* format, ...) {
  if (!format || !path_trace_sink) return;
  char line[2048];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof line, format, args);
  va_end(args);
  path_trace_sink(line);
}

PATH_TRACE_STREAM& path_trace() {
  static PATH_TRACE_STREAM stream;
  return stream;
}
