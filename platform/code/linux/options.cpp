// Command-line option scanner.
#include "options.h"

#include <cstring>
#include <string>

#include "errors.h"

char* option_argument = nullptr;

static INT_U16 option_index = 1;
static INT_U8 advance_pending = 0;

void reset_option_scanner() {
  option_index = 1;
  advance_pending = 0;
  option_argument = nullptr;
}

INT_S32 get_next_option(INT_S16 argc, char** argv, const char* options) {
  if (!argv || !options) return '?';
  if (advance_pending) {
    ++option_index;
    advance_pending = 0;
  }
  while (option_index < argc && (!argv[option_index] || argv[option_index][0] != '-')) ++option_index;
  if (option_index >= argc) return -1;
  char* arg = argv[option_index];
  option_argument = arg;
  if (arg[1] == '-') return -1;
  if (strlen(arg) != 2) report_fatal_error(0x40, arg);
  INT_S32 result = -1;
  for (const char* o = options; *o; ++o) {
    if (*o == ':' || *o != arg[1]) continue;
    if (o[1] != ':') {
      result = static_cast<unsigned char>(*o);
      break;
    }
    ++option_index;
    if (option_index < argc && argv[option_index] && argv[option_index][0] != '-') {
      option_argument = argv[option_index];
      result = static_cast<unsigned char>(*o);
      break;
    }
    report_fatal_error(0x41, arg);
  }
  if (result < 0) report_fatal_error(0x42, arg);
  advance_pending = 1;
  return result;
}
