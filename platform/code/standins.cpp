// STAND-INS: placeholders for platform services built elsewhere (see
// standins.h). Weak, so that the real definition replaces each one.
#include "standins.h"

#include <sys/times.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "events.h"

#define ZORV_STANDIN __attribute__((weak))

ZORV_STANDIN INT_U32 get_time_ms() {
  struct tms t;
  double ms = static_cast<double>(times(&t)) * (1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK)));
  return static_cast<INT_U32>(static_cast<INT_U64>(ms));
}

ZORV_STANDIN void update_platform() { dispatch_events(); }

ZORV_STANDIN void close_window(INT_U16) {}
ZORV_STANDIN INT_U8 is_full_screen() { return 0; }
ZORV_STANDIN void release_input_grabs() {}
ZORV_STANDIN void close_display() {}

static char* standin_clipboard = nullptr;

ZORV_STANDIN void set_clipboard_text(const char* text) {
  std::free(standin_clipboard);
  standin_clipboard = text ? strdup(text) : nullptr;
}

ZORV_STANDIN bool get_clipboard_text(char* buffer, INT_U32 size) {
  if (!standin_clipboard || !buffer || size == 0) return false;
  std::strncpy(buffer, standin_clipboard, size);
  buffer[size - 1] = 0;
  return true;
}

ZORV_STANDIN bool has_clipboard_text() {
  char probe[2];
  return get_clipboard_text(probe, sizeof probe);
}

ZORV_STANDIN INT_U32 get_last_key_time() { return 0; }
ZORV_STANDIN INT_U32 get_last_mouse_time() { return 0; }

ZORV_STANDIN APPLICATION_INFO_RECORD APPLICATION_INFO = {"Application", 0, nullptr};
