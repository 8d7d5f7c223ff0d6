#include "errors.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "console.h"

INT_U16 last_error_code = 0;
char last_error_argument[1024] = "";

static const char* const memory_info =
    "Dynamic memory failed to allocate, this is normally due to a lack of free system memory";
static const char* const path_info = "Check that path and filename are correct";
static const char* const option_info = "Check command line options specified";

const ERROR_RECORD warning_table[] = {
    {0x00, 1, "DEBUG MESSAGE:", nullptr},
    {0x01, 1, "Unable to create debug file", nullptr},
    {0x02, 1, "Unable to open debug file", nullptr},
    {0x03, 1, "Sound layer was unable to start", nullptr},
    {0x10, 0, "Too many colour for a 256 Palette",
     "There were more that 256 colours when tring to save an image, all unsaved colours have been "
     "defaulted to palette entry 0"},
    {0x20, 0, "Scrollbar dimentions are invalid", nullptr},
    {0x21, 0, "Slider bar width is invalid", nullptr},
    {0xFFFFFFFFu, 0, nullptr, nullptr},
};

const ERROR_RECORD error_table[] = {
    {0x00, 0, "Main window pointer invalid", "Unable to create main window"},
    {0x01, 0, "Unable to open screen mode", nullptr},
    {0x02, 0, "OpenGraphics() not called", "A graphics routine was called before the graphics were opened"},
    {0x03, 0, "COLOUR_INVISIBLE was passed as an invalid argument",
     "Transparent colour was used in an inavlid situation"},
    {0x04, 0, "No mouse driver installed", "Check that your mouse is configured properly"},
    {0x05, 0, "Two mouse handlers declared",
     "There is only support for one mouse, but application has asked for two mouse handlers"},
    {0x06, 0, "Three joystick handlers declared",
     "There is only support for two joysticks, but application has asked for three joystick handlers"},
    {0x07, 0, "Two keyboard handlers declared",
     "There is only support for one keyboard, but application has asked for two keyboard handlers"},
    {0x08, 0, "Unable to allocate keyboard buffer", nullptr},
    {0x09, 1, "Unable to open keyboard configuration file", path_info},
    {0x0A, 0, "Receive buffer ssize supplied to TCPIP::TCPIP() was invalid", nullptr},
    {0x0B, 0, "Unable to allocate dynamic memory for TCP/IP layer", memory_info},
    {0x0C, 0, "Path type constant passed to function FOLDER::set() was invalid", nullptr},
    {0x0D, 0, "Platform OS ID read from disk in function FOLDER::get_from_data_device() was invalid", nullptr},
    {0x0E, 0, "Attempted to read data from a file that was opened for writing", nullptr},
    {0x0F, 0, "Attempted to write to a file that was opened for reading", nullptr},
    {0x10, 0, "Unable to create swap image", "XCreateImage() failed to allocate image for swap_screens() function"},
    {0x11, 0, "Unable to allocate dynamic memory for colour mapping array", memory_info},
    {0x12, 0, "The desktop colour depth is not supported",
     "The current destop or display is in an unsupported colour mode, change the number of colours and "
     "try again"},
    {0x13, 1, "Unable to open the window",
     "Check that your graphics card supports the requested mode and if you have changed your disply "
     "setting return them back to defaults"},
    {0x14, 0, "Two sound handlers declared",
     "There is only support for one sound device, but application has asked for two"},
    {0x15, 0, "Unable to allocate dynamic memory for data file cache", memory_info},
    {0x20, 0, "Unable to allocate dynamic memory for image", memory_info},
    {0x21, 0, "Unable to startup the font system", nullptr},
    {0x22, 0, "Unable to load font from disk",
     "The font file was either not found or was corrupt, check all required font files are present and "
     "that they contain valid information"},
    {0x23, 0, "Unable to allocate dynamic memory for font", memory_info},
    {0x24, 0, "Unable to set the font pixel size", nullptr},
    {0x25, 0, "Unable to render font glyph", nullptr},
    {0x26, 1, "Unable to open PCX image file", path_info},
    {0x27, 1, "Unable to read PCX header from file", "Check that file is a PCX file with 256 colour palette"},
    {0x28, 0, "Invalid number of sprite images specified", nullptr},
    {0x29, 0, "Unable to allocate memory for sprite image", nullptr},
    {0x2A, 1, "No PCX palatte found in file", nullptr},
    {0x30, 0, "Invalid number of stars specified for starfeild", nullptr},
    {0x31, 0, "Invalid starfield dimentions specifed", nullptr},
    {0x32, 0, "Unable to allocate memory for starfield", nullptr},
    {0x40, 1, "Invalid argument format for command line option:", option_info},
    {0x41, 1, "No argument for command line option:", option_info},
    {0x42, 1, "Unrecognised command line option:", option_info},
    {0x50, 0, "Unable to allocate dynamic memory for http", memory_info},
    {0x51, 0, "Unable to open sockets", "Unable to open the listen sockets to allow incoming TCP/IP connections"},
    {0x60, 0, "Screen object has invalid size", "Either the width or height of this screen object was less than zero"},
    {0x61, 0, "Unable to allocate memory for button title", nullptr},
    {0x62, 0, "Invalid button size or title", nullptr},
    {0x63, 0, "Unable to allocate memory for dialog title", nullptr},
    {0x64, 0, "Invalid dialog size or title", nullptr},
    {0x65, 0, "Unable to allocate memory for script title", nullptr},
    {0x66, 0, "Unable to allocate memory for about box close button", nullptr},
    {0x67, 0, "Unable to allocate memory for about box scripts", nullptr},
    {0x68, 0, "Unable to allocate memory for keypad data members", nullptr},
    {0x69, 0, "Invalid area count supplied to page manager",
     "There must be at least one area supplied to the page manager"},
    {0x6A, 0, "Two page managers declared",
     "Page manager is used to control the window manager system and there should be only one declared"},
    {0x6B, 0, "Unable to allocate memory for page manager areas", nullptr},
    {0x6C, 0, "Two page tool managers declared",
     "Page tool manager is used to control the window manager system and there should be only one declared"},
    {0x70, 0, "Srollbar slew values are invalid", nullptr},
    {0x71, 0, "Scrollbar is not on the drawable screen", nullptr},
    {0x72, 0, "The scrollbar slew variable pointer is invalid", nullptr},
    {0x73, 0, "Scrollbar slew variable is of the wrong type",
     "Scrollbar slew varible in not an integer based parameter, must be a INT_S8_TYPE, INT_TYPE, "
     "INT_S16_TYPE or INT_S32_TYPE"},
    {0x74, 0, "Invalid scrollbar type", nullptr},
    {0x80, 0, "Invalid dimensions passed to edit box constructor", nullptr},
    {0x81, 0, "Unable to allocate memory for edit box buffer", nullptr},
    {0x90, 0, "Unable to allocate memory for text window screen buffer", nullptr},
    {0x91, 0, "Unable to allocate memory for text window data buffer", memory_info},
    {0x100, 0, "Invalid number of rows passed to list box", nullptr},
    {0x101, 0, "List box start selection not found in list", nullptr},
    {0x110, 0, "Invalid dimensions passed to progress bar constructor", nullptr},
    {0x111, 0, "Unable to allocate memory for progress bar title", nullptr},
    // Application modules outside the library; nothing here raises them.
    {0x1001, 0, "Unable to allocate dynamic memory for application data", memory_info},
    {0x1010, 1, "Unable to open application data file:", path_info},
    {0x1011, 1, "Unable to read application data file:", path_info},
    {0x1020, 0, "Unable to allocate dynamic memory for application module", memory_info},
    {0x1021, 0, "Application module was not initialised", nullptr},
    {0x1022, 0, "Unable to allocate dynamic memory for application resources", memory_info},
    {0x1023, 1, "Application resource not found:", nullptr},
    {0x1024, 0, "Application module was started twice", nullptr},
    {0x1025, 0, "Invalid argument passed to application module", nullptr},
    {0xFFFFFFFFu, 0, nullptr, nullptr},
};

// --- soft errors ---

void set_last_error(INT_U16 code, const char* argument) {
  last_error_code = code;
  snprintf(last_error_argument, sizeof last_error_argument, "%s", argument ? argument : "");
}

const char* get_last_error_text() { return get_error_code_text(last_error_code, last_error_argument); }

const char* get_error_code_text(INT_U16 code, const char* argument) {
  const char* pattern;
  switch (code) {
    case 0: return "No Error";
    case 256: pattern = "Warning: The requested entry was not found in the config file (%s)."; break;
    case 257: return "Warning: Found end of config file before it was expected, this may indicate a corrupt file.";
    case 4096: return "Error: Colour darkening percentage was over 100% or less than -100% which makes no sense.";
    case 4097: return "Error: A blank or invalid ID arg was requested from the config file.";
    case 4098: pattern = "Error: Error trying to open the config file %s."; break;
    case 4099: return "Error: Trying to read entire config file without supplying a callback function.";
    case 4100:
      return "Error: Unable to allocate dynamic memory for config file reader. Make sure that you have "
             "enough free memory by closing other running applications.";
    case 4101: pattern = "Error: Unable to open the package file %s in append mode."; break;
    case 4102: pattern = "Error: Unable to open the package file %s in write mode"; break;
    case 4103: pattern = "Error: Unable to read from file %s."; break;
    case 4104: pattern = "Error: Unable to write to file %s."; break;
    case 4105: pattern = "Error: %s does not appear to be a package file."; break;
    case 4106: pattern = "Error: %s has unsupported package version."; break;
    case 4107:
      return "Error: Unable to allocate dynamic memory for package system. Make sure that you have enough "
             "free memory by closing other running applications.";
    case 4108: pattern = "Error: Can not open file %s as it was not found."; break;
    case 4109: return "Error: Package file did not open correctly.";
    case 4110: pattern = "Error: Unable to open file %s for packing."; break;
    case 4111: pattern = "Error: Unable to create file %s."; break;
    case 4112: pattern = "Error: File %s not found in package."; break;
    default: return "Unknown Error Code";
  }
  static char message[1200];
  snprintf(message, sizeof message, pattern, argument ? argument : "");
  return message;
}

// --- warnings and fatal errors ---

static const ERROR_RECORD* find_record(const ERROR_RECORD* table, INT_U32 code) {
  for (; table->code != 0xFFFFFFFFu; ++table) {
    if (table->code == code) return table;
  }
  return nullptr;
}

// "<prefix>: %04X:\n<message> " and the extra text, cut to 1023 characters.
static std::string compose(const char* prefix, const ERROR_RECORD* row, const char* extra) {
  char head[1024];
  snprintf(head, sizeof head, "%s: %04X:\n%s ", prefix, row->code, row->message);
  std::string text = head;
  if (row->append_extra && extra) text += extra;
  if (text.size() > 1023) text.resize(1023);
  return text;
}

void show_error_box(const char* title, const char* text, const char* more_info) {
  if (!text) return;
  if (more_info) {
    std::string asked = std::string(text) + "\n\nDo you require more information?";
    show_message_box(title, asked.c_str());
  } else {
    show_message_box(title, text);
  }
}

void report_warning(INT_U32 code, const char* extra) {
  const ERROR_RECORD* row = find_record(warning_table, code);
  if (!row) {
    show_error_box("Warning", "WARNING: Undefined warning encountered", nullptr);
    return;
  }
  std::string text = compose("WARNING", row, extra);
  show_error_box("Warning", text.c_str(), row->more_info);
}

void report_fatal_error(INT_U32 code, const char* extra) {
  const ERROR_RECORD* row = find_record(error_table, code);
  if (!row) {
    show_error_box("Error", "ERROR: Undefined error encountered", nullptr);
  } else {
    std::string text = compose("ERROR", row, extra);
    show_error_box("Error", text.c_str(), row->more_info);
  }
  fatal_exit("Application was unable to continue");
}

// --- debug lines ---

void print_debug_line(const char* source_file, INT_S32 line, const char* text) {
  if (source_file) {
    char head[1200];
    snprintf(head, sizeof head, "Debug - File: %.1000s Line %d: = ", source_file, line);
    print_text(head);
  }
  print_text(text ? text : "");
  print_text("\n");
}

void append_debug_file(const char* source_file, INT_S32 line, const char* text, const char* file_name) {
  static bool first_done = false;
  FILE* f;
  if (!file_name && !first_done) {
    f = fopen("debug.txt", "w");
    if (!f) {
      report_warning(1, "debug.txt");
      return;
    }
    first_done = true;
  } else {
    f = fopen(file_name ? file_name : "debug.txt", "a");
    if (!f) {
      report_warning(2, file_name ? file_name : "debug.txt");
      return;
    }
  }
  if (source_file) fprintf(f, "Debug - File: %s Line %d: = %s\n", source_file, line, text ? text : "");
  else fprintf(f, "%s\n", text ? text : "");
  fclose(f);
}
