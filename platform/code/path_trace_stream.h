// The path trace: lines about the default folders go to the "Default Path
// Trace" debug stream (flags 0, options read from its option file).
#ifndef ZORV_PATH_TRACE_STREAM_H
#define ZORV_PATH_TRACE_STREAM_H

#include "debug_stream.h"

struct PATH_TRACE_STREAM {
  void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

PATH_TRACE_STREAM& path_trace();

// The debug stream behind the trace; null while it is being built and after
// it was destroyed at exit.
DEBUG_STREAM* path_trace_debug_stream();

// A copy of every trace text also goes here when set (a seam for tests).
extern void (*path_trace_sink)(const char* text);

#endif
