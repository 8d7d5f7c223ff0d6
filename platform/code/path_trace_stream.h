// TEMPORARY: the smallest stream the path trace can write to until the debug
// streams exist. Replace the object behind path_trace() by the "Default Path
// Trace" debug stream (flags 0, options read) and delete these two files;
// tools/path_probe's "trace" command then writes the stream's option file
// (console output on) instead of setting the sink.
#ifndef ZORV_PATH_TRACE_STREAM_H
#define ZORV_PATH_TRACE_STREAM_H

struct PATH_TRACE_STREAM {
  void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

PATH_TRACE_STREAM& path_trace();

// Where the trace's text goes; null (the default) drops it, as a debug
// stream without an option file does.
extern void (*path_trace_sink)(const char* text);

#endif
