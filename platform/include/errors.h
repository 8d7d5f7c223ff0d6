// Error reporting. Soft errors leave a code and an argument text for the
// caller to fetch; warnings and fatal errors are raised by code from their
// tables and shown in a message box; a fatal error then ends the process.
#ifndef ZORV_ERRORS_H
#define ZORV_ERRORS_H

#include "zorv_types.h"

struct ERROR_RECORD {
  INT_U32 code;          // 0xFFFFFFFF ends a table
  INT_U32 append_extra;  // nonzero: the caller's extra text is appended
  const char* message;
  const char* more_info;  // or null
};

extern const ERROR_RECORD warning_table[];
extern const ERROR_RECORD error_table[];

// The soft error state: 0 = none; the argument holds at most 1023 characters.
extern INT_U16 last_error_code;
extern char last_error_argument[1024];

// Soft error codes.
enum : INT_U16 {
  ERROR_NONE = 0,
  ERROR_CONFIG_ENTRY_NOT_FOUND = 256,
  ERROR_CONFIG_UNEXPECTED_END = 257,
  ERROR_COLOUR_DARKEN_RANGE = 4096,
  ERROR_CONFIG_BAD_ID = 4097,
  ERROR_CONFIG_OPEN = 4098,
  ERROR_CONFIG_NO_CALLBACK = 4099,
  ERROR_CONFIG_NO_MEMORY = 4100,
  ERROR_PACKAGE_OPEN_APPEND = 4101,
  ERROR_PACKAGE_OPEN_WRITE = 4102,
  ERROR_FILE_READ = 4103,
  ERROR_FILE_WRITE = 4104,
  ERROR_NOT_A_PACKAGE = 4105,
  ERROR_PACKAGE_VERSION = 4106,
  ERROR_PACKAGE_NO_MEMORY = 4107,
  ERROR_FILE_NOT_FOUND = 4108,
  ERROR_PACKAGE_NOT_OPEN = 4109,
  ERROR_PACKING_OPEN = 4110,
  ERROR_FILE_CREATE = 4111,
  ERROR_PACKAGE_ENTRY_NOT_FOUND = 4112,
};

// Stores the code and at most 1023 characters of the argument (null = "");
// set_last_error(0, nullptr) clears the state.
void set_last_error(INT_U16 code, const char* argument);
// The message of the stored soft error.
const char* get_last_error_text();
// The message of a soft error code with its argument (null = ""); valid until
// the next call.
const char* get_error_code_text(INT_U16 code, const char* argument);

// Shows warning `code` in a box titled "Warning" and returns.
void report_warning(INT_U32 code, const char* extra);
// Shows error `code` in a box titled "Error" and ends the process (255).
[[noreturn]] void report_fatal_error(INT_U32 code, const char* extra);
// The platform's message box; with more_info the text asks whether more
// information is wanted.
void show_error_box(const char* title, const char* text, const char* more_info);

// "Debug - File: %s Line %d: = " (when source_file is given), the text and a
// line feed, on the console.
void print_debug_line(const char* source_file, INT_S32 line, const char* text);
// The same line appended to file_name (null = "debug.txt" in the working
// folder, which the first such call of the process empties).
void append_debug_file(const char* source_file, INT_S32 line, const char* text, const char* file_name);

#endif
