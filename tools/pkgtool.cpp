// pkgtool: creates packages, adds files to them, lists and extracts entries.
// Paths are taken literally, never as path variables.
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "errors.h"
#include "folder.h"
#include "package.h"

namespace {

const char USAGE[] =
    "usage: pkgtool create PKG [--block-size N] | add PKG FILE [NAME] | list PKG | extract PKG NAME OUTFILE";

int fail(const std::string& message) {
  fprintf(stderr, "pkgtool: %s\n", message.c_str());
  return 1;
}

int fail_soft() { return fail(get_last_error_text()); }

// Splits a literal path into its folder and its last component.
bool locate(const char* path, FOLDER* folder, std::string* name) {
  std::string text = path;
  if (text.empty() || text.back() == '/') return false;
  size_t slash = text.rfind('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : text.substr(0, slash);
  *name = slash == std::string::npos ? text : text.substr(slash + 1);
  if (*name == "." || *name == "..") return false;
  char resolved[PATH_MAX];
  if (!realpath(dir.c_str(), resolved)) return false;
  return folder->set_if_directory(resolved);
}

// A tab, newline or backslash in a name is written as \t, \n or \\.
std::string escaped(const char* name) {
  std::string out;
  for (const char* p = name; *p; p++) {
    if (*p == '\t')
      out += "\\t";
    else if (*p == '\n')
      out += "\\n";
    else if (*p == '\\')
      out += "\\\\";
    else
      out += *p;
  }
  return out;
}

bool parse_block_size(const char* text, INT_S32* out) {
  char* end = nullptr;
  errno = 0;
  long long value = strtoll(text, &end, 10);
  if (errno || !end || *end || end == text || value < 1 || value > DATA_FILE_MAX_BUFFER) return false;
  *out = static_cast<INT_S32>(value);
  return true;
}

int create(int argc, char** argv) {
  INT_S32 block_size = -1;
  if (argc == 5 && strcmp(argv[3], "--block-size") == 0) {
    if (!parse_block_size(argv[4], &block_size))
      return fail(std::string("block size must be a number from 1 to ") + std::to_string(DATA_FILE_MAX_BUFFER));
  } else if (argc != 3) {
    return fail(USAGE);
  }
  FOLDER folder{FOLDER::UNSET()};
  std::string name;
  if (!locate(argv[2], &folder, &name)) return fail(std::string("cannot use ") + argv[2]);
  struct stat st;
  if (lstat(argv[2], &st) == 0) return fail(std::string(argv[2]) + " already exists");
  PACKAGE package(&folder, name.c_str(), 1, block_size);
  if (!package.file) return fail_soft();
  return 0;
}

int add(int argc, char** argv) {
  if (argc != 4 && argc != 5) return fail(USAGE);
  FOLDER package_folder{FOLDER::UNSET()}, source_folder{FOLDER::UNSET()};
  std::string package_name, source_name;
  if (!locate(argv[2], &package_folder, &package_name)) return fail(std::string("cannot use ") + argv[2]);
  if (!locate(argv[3], &source_folder, &source_name)) return fail(std::string("cannot use ") + argv[3]);
  struct stat st;
  if (stat(argv[3], &st) != 0) return fail(std::string("cannot read ") + argv[3]);
  if (static_cast<unsigned long long>(st.st_size) > 0xFFFFFFFFull)
    return fail(std::string(argv[3]) + " is too large for a package (4 GiB at most)");
  const char* entry = argc == 5 ? argv[4] : source_name.c_str();
  if (!*entry) return fail("an entry name cannot be empty");
  PACKAGE package(&package_folder, package_name.c_str());
  if (!package.file) return fail_soft();
  if (!package.store_file(&source_folder, source_name.c_str(), entry, 1)) return fail_soft();
  return 0;
}

int list(int argc, char** argv) {
  if (argc != 3) return fail(USAGE);
  FOLDER folder{FOLDER::UNSET()};
  std::string name;
  if (!locate(argv[2], &folder, &name)) return fail(std::string("cannot use ") + argv[2]);
  PACKAGE package(&folder, name.c_str(), 0, -1, 1);
  if (!package.file) return fail_soft();
  for (PACKAGE_ENTRY* e = package.first_cached_entry; e; e = e->next_cached)
    printf("%lu\t%s\n", static_cast<unsigned long>(e->size), escaped(e->name).c_str());
  if (fflush(stdout) != 0 || ferror(stdout)) return fail("cannot write the list");
  if (package.directory_damaged) return fail(name + " is damaged: its directory is cut short");
  return 0;
}

int extract(int argc, char** argv) {
  if (argc != 5) return fail(USAGE);
  FOLDER package_folder{FOLDER::UNSET()}, out_folder{FOLDER::UNSET()};
  std::string package_name, out_name;
  if (!locate(argv[2], &package_folder, &package_name)) return fail(std::string("cannot use ") + argv[2]);
  if (!locate(argv[4], &out_folder, &out_name)) return fail(std::string("cannot use ") + argv[4]);
  PACKAGE package(&package_folder, package_name.c_str(), 0, -1, 1);
  if (!package.file) return fail_soft();
  if (!package.extract(&out_folder, out_name.c_str(), argv[3])) {
    if (last_error_code == ERROR_FILE_READ) return fail(package_name + " is damaged: " + get_last_error_text());
    return fail_soft();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return fail(USAGE);
  std::string command = argv[1];
  if (command == "create") return create(argc, argv);
  if (command == "add") return add(argc, argv);
  if (command == "list") return list(argc, argv);
  if (command == "extract") return extract(argc, argv);
  return fail(USAGE);
}
