#include "desktop.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "folder.h"
#include "utilities.h"
#include "window.h"

DESKTOP_PROGRAMS desktop_programs = {
    "/usr/bin/xdg-desktop-menu", "/usr/bin/update-menus", "rm", "/usr/lib/menu",
    "$BROWSER",                  "kfmclient exec",        "gnome-open", "konqueror",
};

namespace {

std::string text_or_empty(const char* text) { return text ? text : ""; }

// Letters and digits stay, every other character becomes '_'.
std::string file_name_form(const char* title) {
  std::string out = text_or_empty(title);
  for (char& c : out)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return out;
}

std::string entry_name(const std::string& file_name) { return "local." + file_name; }

// A folder's path text followed by the separator, unless it already ends in one.
std::string folder_prefix(const FOLDER* folder) {
  std::string path = folder->path;
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string target_text(const char* target_name, const FOLDER* target_folder) {
  std::string name = text_or_empty(target_name);
  return target_folder ? folder_prefix(target_folder) + name : name;
}

// Empty unless both an icon folder and an icon name are given.
std::string icon_text(const FOLDER* icon_folder, const char* icon_name) {
  if (!icon_folder || !icon_name) return "";
  return folder_prefix(icon_folder) + icon_name;
}

const char* home_folder() {
  const char* home = getenv("HOME");
  return home && *home ? home : nullptr;
}

// --- Shell command lines -------------------------------------------------

// A text as one double-quoted shell word.
std::string shell_quoted(const std::string& text) { return shell_quote(text.c_str()); }

bool is_plain_shell_word(const std::string& word) {
  if (word.empty()) return false;
  for (unsigned char c : word)
    if (!isalnum(c) && !strchr("/._-+,:@%=", c)) return false;
  return true;
}

std::string shell_word(const std::string& word) {
  return is_plain_shell_word(word) ? word : shell_quoted(word);
}

// The words of a package's argument text, read as a shell would read them:
// blanks separate words; double quotes (inside which a backslash keeps only
// '"', '\\', '$' and '`' from their meaning), single quotes and a backslash
// before any character group or keep characters. An unclosed quote runs to
// the end. Nothing is expanded: the words are written back quoted for each
// syntax, so the author's quoting keeps working and no character can run
// anything.
std::vector<std::string> split_words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  for (size_t i = 0; i < text.size(); i++) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
      continue;
    }
    in_word = true;
    if (c == '\\') {
      if (i + 1 < text.size()) word += text[++i];
    } else if (c == '\'') {
      while (++i < text.size() && text[i] != '\'') word += text[i];
    } else if (c == '"') {
      while (++i < text.size() && text[i] != '"') {
        if (text[i] == '\\' && i + 1 < text.size() && strchr("\"\\$`", text[i + 1])) i++;
        word += text[i];
      }
    } else {
      word += c;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

// Arguments stay several words; each one that holds a character the shell
// would act on is quoted on its own.
std::string shell_arguments(const std::string& arguments) {
  std::string out;
  for (const std::string& word : split_words(arguments)) {
    if (!out.empty()) out += ' ';
    out += shell_word(word);
  }
  return out;
}

void run(const std::string& command) {
  // The desktop's tools may take a while: the frame that says what is being
  // made goes out before they run, not after.
  present_frame_before_blocking();
  int status = system(command.c_str());
  (void)status;  // the tools report their own failures
}

// The desktop's open command: DESKTOP, or DESKTOP_SESSION when DESKTOP is
// not set, chooses the program.
const char* open_program() {
  const char* desktop = getenv("DESKTOP");
  if (!desktop) desktop = getenv("DESKTOP_SESSION");
  if (desktop && (strstr(desktop, "kde") || strstr(desktop, "KDE")))
    return desktop_programs.kde_open;
  if (desktop && (strstr(desktop, "gnome") || strstr(desktop, "GNOME")))
    return desktop_programs.gnome_open;
  return desktop_programs.other_open;
}

std::string open_command(const std::string& path) {
  return std::string(open_program()) + " " + shell_quoted(path) + " &";
}

bool program_exists(const char* path) {
  struct stat st;
  return path && stat(path, &st) == 0;
}

// The older menu system's update, only where it is installed: a missing
// program would only make the shell complain on every install.
void run_update_menus() {
  if (program_exists(desktop_programs.update_menus)) run(desktop_programs.update_menus);
}

// --- File contents -------------------------------------------------------

// A value of a desktop entry: backslash and control characters escaped, so
// the value stays on its line.
std::string entry_value(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out;
}

// The inside of a double-quoted word of an Exec line.
std::string exec_quoted_inner(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    if (c == '%') out += '%';  // a literal percent, not a field code
    out += c;
  }
  return out;
}

std::string exec_quoted(const std::string& text) { return "\"" + exec_quoted_inner(text) + "\""; }

bool is_plain_exec_word(const std::string& word) {
  if (word.empty()) return false;
  for (unsigned char c : word)
    if (c <= ' ' || c == 0x7F || strchr("\"'\\><~|&;$*?#()`%", c)) return false;
  return true;
}

std::string exec_word(const std::string& word) {
  return is_plain_exec_word(word) ? word : exec_quoted(word);
}

std::string exec_arguments(const std::string& arguments) {
  std::string out;
  for (const std::string& word : split_words(arguments)) {
    if (!out.empty()) out += ' ';
    out += exec_word(word);
  }
  return out;
}

// A double-quoted field of the menu line.
std::string menu_field(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

bool write_all(FILE* file, const std::string& text) {
  return fwrite(text.data(), 1, text.size(), file) == text.size();
}

// Closes a written file; one whose write or close failed (a full disk) is
// removed rather than left cut short or empty. True when it was stored whole.
bool close_or_remove(FILE* file, const std::string& path, bool written) {
  if (fclose(file) == 0 && written) return true;
  unlink(path.c_str());
  return false;
}

bool write_and_close(FILE* file, const std::string& path, const std::string& text) {
  return close_or_remove(file, path, write_all(file, text));
}

// --- The private temporary folder ----------------------------------------

// The temporary menu files keep their fixed base names (the menu tool takes
// the menu id from them), so they live in a folder only this process can
// write, made fresh for each call and removed at its end.
class PRIVATE_FOLDER {
 public:
  PRIVATE_FOLDER() {
    const char* base = getenv("TMPDIR");
    if (!base || *base != '/') base = "/tmp";
    std::string pattern = std::string(base) + "/zorv-menu.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data())) path_ = buffer.data();
  }
  ~PRIVATE_FOLDER() {
    if (path_.empty()) return;
    for (const std::string& name : created_) unlink(name.c_str());
    rmdir(path_.c_str());
  }
  bool ok() const { return !path_.empty(); }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Creates the file exclusively, never through a link; null on failure.
  FILE* create(const std::string& name) {
    if (!ok()) return nullptr;
    std::string path = file(name);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    FILE* stream = fdopen(fd, "w");
    if (!stream) {
      close(fd);
      unlink(path.c_str());
      return nullptr;
    }
    created_.push_back(path);
    return stream;
  }

 private:
  std::string path_;
  std::vector<std::string> created_;
};

// Directory names of a menu section: each part of the section adds "-" and
// the part with every character that is not a letter or digit as '_'.
struct MENU_DIRECTORY {
  std::string file_name;  // "zorv-<name>.directory"
  std::string title;      // the part as given
};

std::vector<MENU_DIRECTORY> menu_directories(const char* section) {
  std::vector<MENU_DIRECTORY> out;
  std::string text = text_or_empty(section);
  std::string name;
  size_t start = 0;
  for (;;) {
    size_t slash = text.find('/', start);
    std::string part = text.substr(start, slash == std::string::npos ? std::string::npos
                                                                     : slash - start);
    if (!name.empty()) name += '-';
    name += file_name_form(part.c_str());
    out.push_back({"zorv-" + name + ".directory", part});
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return out;
}

// The menu file: under the system menu folder, else under "$HOME/.menu";
// *path names the one opened.
FILE* open_menu_file(const std::string& entry, std::string* path) {
  *path = std::string(desktop_programs.system_menu_folder) + "/" + entry + ".desktop";
  FILE* file = fopen(path->c_str(), "w");
  if (file) return file;
  const char* home = home_folder();
  if (!home) return nullptr;
  std::string folder = std::string(home) + "/.menu";
  mkdir(folder.c_str(), 0777);
  *path = folder + "/" + entry + ".desktop";
  return fopen(path->c_str(), "w");
}

}  // namespace

void create_desktop_shortcut(INT_U8 kind, const char* target_name, const char* arguments,
                             const char* title, FOLDER* icon_folder, const char* icon_name,
                             FOLDER* target_folder) {
  const char* home = home_folder();
  if (!home || !title || !*title) return;
  std::string path = std::string(home) + "/Desktop/" + file_name_form(title) + ".desktop";
  FILE* file = fopen(path.c_str(), "w");
  if (!file) return;
  // An Exec line runs the program; a URL is an address or a path, taken as
  // it stands (only the value syntax of the entry applies to it).
  const std::string target = target_text(target_name, target_folder);
  const std::string command = exec_quoted(target) + " " + exec_arguments(text_or_empty(arguments));
  const std::string link = "\"" + target + "\" " + text_or_empty(arguments);
  std::string icon = icon_text(icon_folder, icon_name);
  if (icon.empty() && kind == SHORTCUT_WEB_LINK) icon = "www";
  if (icon.empty() && kind == SHORTCUT_TEXT_FILE) icon = "ascii";
  std::string text;
  if (kind == SHORTCUT_APPLICATION) {
    text = "[Desktop Entry]\nEncoding=UTF-8\nValue=1.0\nType=Application\nName=" +
           entry_value(title) + "\nComment=" + entry_value(title) + "\nExec=" +
           entry_value(command) + "\nIcon=" + entry_value(icon) + "\n";
  } else if (kind == SHORTCUT_WEB_LINK || kind == SHORTCUT_TEXT_FILE) {
    text = "[Desktop Entry]\nEncoding=UTF-8\nValue=1.0\nType=Link\nName=" + entry_value(title) +
           "\nIcon=" + entry_value(icon) + "\nURL=" + entry_value(link) + "\n";
  }
  write_and_close(file, path, text);
}

void create_os_menu_shortcut(INT_U8 kind, const char* target_name, const char* arguments,
                             const char* title, const char* menu_section, FOLDER* icon_folder,
                             const char* icon_name, FOLDER* target_folder) {
  if (!title || !*title) return;
  const std::string file_name = file_name_form(title);
  const std::string entry = entry_name(file_name);
  std::string menu_path;
  FILE* menu_file = open_menu_file(entry, &menu_path);

  PRIVATE_FOLDER temp;
  const std::string desktop_name = "zorv-" + file_name + ".desktop";
  FILE* desktop_file = nullptr;
  if (program_exists(desktop_programs.xdg_desktop_menu)) desktop_file = temp.create(desktop_name);

  const std::string target = target_text(target_name, target_folder);
  const std::string args = text_or_empty(arguments);
  std::string icon = icon_text(icon_folder, icon_name);
  if (icon.empty())
    icon = kind == SHORTCUT_APPLICATION ? "exec" : kind == SHORTCUT_WEB_LINK ? "www" : "ascii";

  // The same command in the two syntaxes it is written in: a shell command
  // for the menu system, an Exec line for the desktop file.
  std::string shell_command, exec_command;
  if (kind == SHORTCUT_APPLICATION) {
    shell_command = shell_word(target) + " " + shell_arguments(args);
    exec_command = exec_word(target) + " " + exec_arguments(args);
  } else if (kind == SHORTCUT_WEB_LINK) {
    shell_command = "$BROWSER " + shell_word(target);
    exec_command = "$BROWSER " + exec_word(target);
  } else {
    shell_command = open_command(target);
    exec_command = std::string(open_program()) + " " + exec_quoted(target) + " &";
  }

  const bool menu_written =
      menu_file && write_all(menu_file, "?package(" + entry + "): command=\"" + menu_field(shell_command) +
                                            "\" icon=\"" + menu_field(icon) + "\" section=\"" +
                                            menu_field(text_or_empty(menu_section)) + "\" title=\"" +
                                            menu_field(title) + "\" needs=\"x11\" startup_notify=\"true\"\n");
  // A desktop file that could not be stored whole is not handed to the menu
  // tool: the run goes on as without one.
  const bool desktop_stored =
      desktop_file && write_and_close(desktop_file, temp.file(desktop_name),
                                      "[Desktop Entry]\nValue=1.0\nType=Application\nName=" + entry_value(title) +
                                          "\nExec=" + entry_value(exec_command) + "\nIcon=" + entry_value(icon) +
                                          "\n");

  if (!desktop_stored) {
    if (menu_file) close_or_remove(menu_file, menu_path, menu_written);
    run_update_menus();
    return;
  }

  std::string list;
  for (const MENU_DIRECTORY& directory : menu_directories(menu_section)) {
    FILE* file = temp.create(directory.file_name);
    if (!file) continue;
    bool written = write_all(file, "[Desktop Entry]\nValue=1.0\nType=Directory\nName=" +
                                       entry_value(directory.title) + "\nIcon=folder\n");
    if (fclose(file) != 0 || !written) continue;
    if (!list.empty()) list += ' ';
    list += shell_quoted(temp.file(directory.file_name));
  }
  const std::string desktop_path = shell_quoted(temp.file(desktop_name));
  if (!list.empty()) {
    run(std::string(desktop_programs.xdg_desktop_menu) + " install " + list + " " + desktop_path);
    run(std::string(desktop_programs.remove) + " " + list);
  }
  run(std::string(desktop_programs.remove) + " " + desktop_path);
  if (menu_file) {
    close_or_remove(menu_file, menu_path, menu_written);
    run_update_menus();
  }
}

void remove_desktop_shortcut(INT_U8, const char*, const char*, const char* title) {
  const char* home = home_folder();
  if (!home || !title || !*title) return;
  run(std::string(desktop_programs.remove) + " -f " +
      shell_quoted(std::string(home) + "/Desktop/" + file_name_form(title) + ".desktop"));
}

void remove_os_menu_shortcut(INT_U8, const char*, const char*, const char* title,
                             const char* menu_section) {
  if (!title || !*title) return;
  const std::string file_name = file_name_form(title);
  const std::string entry = entry_name(file_name);
  const std::string remove = std::string(desktop_programs.remove) + " -f ";
  run(remove + shell_quoted(std::string(desktop_programs.system_menu_folder) + "/" + entry +
                            ".desktop"));
  if (const char* home = home_folder())
    run(remove + shell_quoted(std::string(home) + "/.menu/" + entry + ".desktop"));
  if (program_exists(desktop_programs.xdg_desktop_menu)) {
    PRIVATE_FOLDER temp;
    if (temp.ok()) {
      std::string list;
      for (const MENU_DIRECTORY& directory : menu_directories(menu_section)) {
        if (!list.empty()) list += ' ';
        list += shell_quoted(temp.file(directory.file_name));
      }
      run(std::string(desktop_programs.xdg_desktop_menu) + " uninstall " + list + " " +
          shell_quoted(temp.file("zorv-" + file_name + ".desktop")));
    }
  }
  run_update_menus();
}

void open_url(const char* url) {
  if (!url) return;
  // Without a browser the shell would run the address itself.
  const char* browser = desktop_programs.browser;
  if (!browser || !*browser) return;
  if (browser[0] == '$') {
    const char* value = getenv(browser + 1);
    if (!value || !*value) return;
  }
  std::string address;
  for (const char* p = url; *p; p++) {
    if (*p == ' ')
      address += "%20";
    else
      address += *p;
  }
  run(std::string(browser) + " " + shell_quoted(address) + " &");
}

void open_in_file_manager(FOLDER* folder, const char* name) {
  std::string path;
  if (folder)
    path = folder->native_path_text(name);
  else if (name)
    path = name;
  else
    return;
  run(open_command(path));
}
