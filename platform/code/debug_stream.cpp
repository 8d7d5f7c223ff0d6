// Debug streams: option files, composed lines, rolling output files.
#include "debug_stream.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <string>

#include "config_file.h"
#include "console.h"
#include "errors.h"
#include "folder.h"
#include "text_file.h"
#include "utilities.h"

namespace {

// The registry is plain data so that it is usable before any constructor ran
// and after every destructor ran.
DEBUG_STREAM** registry = nullptr;
INT_S16 registry_count = 0;

const char* const OPTION_FOLDER = "$USERPREFS/debug";

struct FLAG_KEY {
  INT_U16 bit;
  const char* key;
};
// Read from the option file in this order.
const FLAG_KEY flag_keys[] = {
    {DEBUG_TO_CONSOLE, "write_to_console"},
    {DEBUG_TO_POPUP, "write_to_popup_dialog"},
    {DEBUG_TO_FILE, "write_to_file"},
    {DEBUG_TRUNCATE_FIRST, "truncate_file_on_first_write"},
    {DEBUG_KEEP_FILE_OPEN, "keep_file_open"},
    {DEBUG_FILE_HEADER, "write_file_header"},
    {DEBUG_STREAM_NAME, "write_stream_name"},
    {DEBUG_CODE_LOCATION, "write_code_location"},
    {DEBUG_ROLLING_BACKUP, "file_rolling_backup"},
};

void append(char* buffer, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
void append(char* buffer, size_t size, const char* format, ...) {
  size_t used = strlen(buffer);
  if (used + 1 >= size) return;
  va_list args;
  va_start(args, format);
  vsnprintf(buffer + used, size - used, format, args);
  va_end(args);
}

void copy_text(char* out, size_t size, const char* text) { snprintf(out, size, "%s", text ? text : ""); }

// An output file name must stay inside the debug folder.
bool acceptable_file_name(const char* name) { return name[0] && !strchr(name, '/') && strcmp(name, "..") != 0; }

}  // namespace

void raise_soft_error(INT_U16 code, const char* argument, const char* source_file, INT_S32 line) {
  set_last_error(code, argument);
  // Found by name: a program that never builds the library's static streams
  // just records the error.
  if (DEBUG_STREAM* stream = find_debug_stream("ZORV Platform")) {
    if (stream->flags) stream->report(source_file, line, get_error_code_text(code, argument));
  }
}

DEBUG_STREAM::DEBUG_STREAM(const char* stream_name, INT_U16 stream_flags, INT_U8 read)
    : flags(stream_flags), first_write(1), file(nullptr), lines_written(0), rolling_limit(100) {
  DEBUG_STREAM** grown =
      static_cast<DEBUG_STREAM**>(realloc(registry, sizeof(DEBUG_STREAM*) * (registry_count + 1)));
  if (grown) {
    registry = grown;
    registry[registry_count++] = this;
  }
  if (stream_name && *stream_name)
    copy_text(name, sizeof name, stream_name);
  else
    snprintf(name, sizeof name, "Debug Stream %p", static_cast<void*>(this));
  copy_text(file_name, sizeof file_name, (std::string(name) + ".txt").c_str());
  if (read) read_options();
  first_write = 1;
  file = nullptr;
}

DEBUG_STREAM::~DEBUG_STREAM() {
  if (flags & DEBUG_SAVE_OPTIONS) write_options();
  for (INT_S16 i = 0; i < registry_count; i++) {
    if (registry[i] != this) continue;
    memmove(registry + i, registry + i + 1, sizeof(DEBUG_STREAM*) * (registry_count - i - 1));
    registry_count--;
    break;
  }
  if (registry_count == 0) {
    free(registry);
    registry = nullptr;
  }
  if (file) close_text_file(&file);
}

void DEBUG_STREAM::read_options() {
  flags = 0;
  copy_text(file_name, sizeof file_name, (std::string(name) + ".txt").c_str());
  FOLDER folder{FOLDER::UNSET()};
  if (!folder.set(OPTION_FOLDER, 0, nullptr, 0, 0)) return;
  char option_name[300];
  snprintf(option_name, sizeof option_name, "%s_release.cfg", name);
  CONFIG_FILE options(option_name, 1);
  if (!options.exists(&folder)) return;
  // Keys that are not there are simply not set: look only for those present,
  // so that reading options reports no soft errors of its own.
  std::set<std::string> present;
  options.for_each_entry(&folder, [](const char* id, const char*, INT_WORD arg) {
    word_to_pointer<std::set<std::string>>(arg)->insert(id);
  }, word_from_pointer(&present));
  auto number = [&](const char* key, INT_S32 fallback) {
    INT_S32 value = fallback;
    if (present.count(key)) options.get_long(&folder, key, &value, 0);
    return value;
  };
  char value[CONFIG_VALUE_SIZE];
  if (present.count("filename") && options.get_string(&folder, "filename", value) && acceptable_file_name(value))
    copy_text(file_name, sizeof file_name, value);
  if (number("disabled", 0) & 0xFF) return;
  INT_U16 read_flags = 0;
  for (const FLAG_KEY& key : flag_keys)
    if (number(key.key, 0) & 0xFF) read_flags |= key.bit;
  rolling_limit = static_cast<INT_U16>(number("file_rolling_limit", 100) & 0xFFFF);
  flags = read_flags;
}

void DEBUG_STREAM::write_options() {
  FOLDER folder{FOLDER::UNSET()};
  if (!folder.set(OPTION_FOLDER, 1, nullptr, 1, 0)) return;
  char option_name[300];
  snprintf(option_name, sizeof option_name, "%s_release.cfg", name);
  CONFIG_FILE options(option_name, 1);
  options.set_string(&folder, "filename", file_name);
  options.set_long(&folder, "disabled", flags == 0 ? 1 : 0, 0);
  for (const FLAG_KEY& key : flag_keys) {
    if (key.bit == DEBUG_ROLLING_BACKUP) continue;
    options.set_long(&folder, key.key, (flags & key.bit) ? 1 : 0, 0);
  }
  options.set_long(&folder, "trigger_breakpoint", (flags & DEBUG_BREAKPOINT) ? 1 : 0, 0);
  options.set_long(&folder, "file_rolling_backup", (flags & DEBUG_ROLLING_BACKUP) ? 1 : 0, 0);
  options.set_long(&folder, "file_rolling_limit", rolling_limit, 0);
}

void DEBUG_STREAM::report(const char* source_file, INT_S32 line, const char* text) {
  if (flags) write_line(source_file, line, text, 1);
}

void DEBUG_STREAM::printf(const char* format, ...) {
  if (!format) return;
  char text[2048];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  write_line(nullptr, 0, text, 0);
}

void DEBUG_STREAM::write_line(const char* source_file, INT_S32 line, const char* text, INT_U8 add_line_end) {
  char buffer[2048];
  buffer[0] = 0;
  size_t prefix = 0;
  if (flags & DEBUG_STREAM_NAME) {
    append(buffer, sizeof buffer, "<%s>: ", name);
    prefix = strlen(buffer);
  }
  if (flags & DEBUG_TIME_STAMP) append(buffer, sizeof buffer, "%s ", get_http_date(time(nullptr)));
  if ((flags & DEBUG_CODE_LOCATION) && source_file)
    append(buffer, sizeof buffer, "(%s,%ld) ", source_file, static_cast<long>(line));
  append(buffer, sizeof buffer, "%s", text ? text : "");

  if (flags & DEBUG_TO_CONSOLE) {
    print_text(buffer);
    if (add_line_end) print_text("\n");
  }
  if (flags & DEBUG_TO_FILE) {
    FOLDER folder{FOLDER::UNSET()};
    // Without the debug folder the line has nowhere safe to go.
    if (folder.set(OPTION_FOLDER, 1, nullptr, 1, 0)) {
      if ((flags & DEBUG_ROLLING_BACKUP) && lines_written >= rolling_limit) {
        if (file) close_text_file(&file);
        char backup[300];
        snprintf(backup, sizeof backup, "%s.bak", file_name);
        folder.remove_file(backup);
        folder.rename_file(file_name, &folder, backup);
        lines_written = 0;
      }
      if (!file) {
        INT_S32 mode = (first_write && (flags & DEBUG_TRUNCATE_FIRST)) ? 1 : 2;
        file = open_text_file(&folder, file_name, mode, 0);
      }
      if (file) {
        if (first_write && (flags & DEBUG_FILE_HEADER)) {
          file->write_string("======================================\n");
          file->write_string("> Debug stream: ");
          file->write_string(name);
          file->write_string("\n");
          file->write_string("> Written: ");
          file->write_string(get_http_date(time(nullptr)));
          file->write_string("\n\n");
        }
        file->write_string(buffer);
        if (add_line_end) file->write_string("\n");
        lines_written++;
        if (!(flags & DEBUG_KEEP_FILE_OPEN)) close_text_file(&file);
        first_write = 0;
      }
    }
  }
  if (flags & DEBUG_TO_POPUP) show_message_box(name, buffer + prefix);
}

DEBUG_STREAM* find_debug_stream(const char* stream_name) {
  if (!stream_name) return nullptr;
  for (INT_S16 i = 0; i < registry_count; i++)
    if (strcmp(registry[i]->name, stream_name) == 0) return registry[i];
  return nullptr;
}
