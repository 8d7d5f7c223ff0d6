// The library's two general debug streams, "ZORV Platform" and "ZORV
// Modules", built at static initialisation in that order.
#include <cstdlib>
#include <initializer_list>

#include "debug_stream.h"

namespace {

// 0 not built, 1 building, 2 live, 3 destroyed at exit.
struct STATIC_STREAM {
  DEBUG_STREAM* stream;
  int state;
};
STATIC_STREAM platform_stream = {nullptr, 0};
STATIC_STREAM modules_stream = {nullptr, 0};

void destroy_static_streams() {
  for (STATIC_STREAM* s : {&modules_stream, &platform_stream}) {
    DEBUG_STREAM* stream = s->stream;
    s->stream = nullptr;
    s->state = 3;
    delete stream;
  }
}

DEBUG_STREAM* static_stream(STATIC_STREAM& s, const char* name) {
  if (s.state == 0) {
    static bool exit_registered = false;
    s.state = 1;
    s.stream = new DEBUG_STREAM(name, 0, 1);
    s.state = 2;
    if (!exit_registered) {
      exit_registered = true;
      atexit(destroy_static_streams);
    }
  }
  return s.state == 2 ? s.stream : nullptr;
}

struct STATIC_STREAMS_INIT {
  STATIC_STREAMS_INIT() {
    platform_debug_stream();
    modules_debug_stream();
  }
} static_streams_init;

}  // namespace

DEBUG_STREAM* platform_debug_stream() { return static_stream(platform_stream, "ZORV Platform"); }
DEBUG_STREAM* modules_debug_stream() { return static_stream(modules_stream, "ZORV Modules"); }
