// Test fixture: resolves path texts from wherever a copy of this program
// lies. Its arguments are a list of commands, run in order:
//   opt DIR        root of the system-wide default folders (instead of /opt)
//   tmp DIR        shared temporary root (instead of /tmp)
//   mounts FILE    mount table (instead of /proc/mounts)
//   fonts-ready    the font system counts as ready from now on
//   trace          the path trace is printed, each line prefixed "trace: "
//   base DIR NAME  overrides the base path (DIR taken literally)
//   reset-base     drops that override
//   define NAME DIR  defines a user variable (DIR taken literally)
//   set TEXT       prints "<result> <path>" after FOLDER::set(TEXT)
//   create TEXT    the same with creation of missing sub-folders
//   make TEXT      the same, also creating the variable's own folder
//   varform TEXT   prints the variable form of the folder TEXT names
//   expand TEXT    prints expand_path_text(TEXT)
//   expand-name TEXT NAME  prints expand_path_text(TEXT, NAME)
//   enter NAME     prints "<result> <path>" after entering NAME, made when
//                  missing, from the folder the last set, create or make gave
//   write NAME     prints "<result>" after writing a file NAME there
#include <cstdio>
#include <cstring>
#include <string>

#include "folder.h"
#include "../platform/code/path_trace_stream.h"

static INT_U8 fonts_ready() { return 1; }

static void print_trace(const char* text) {
  static std::string pending;
  pending += text;
  size_t nl;
  while ((nl = pending.find('\n')) != std::string::npos) {
    printf("trace: %s\n", pending.substr(0, nl).c_str());
    pending.erase(0, nl + 1);
  }
}

static bool literal_folder(FOLDER* f, const char* dir) {
  if (f->set_if_directory(dir)) return true;
  fprintf(stderr, "path_probe: not a folder: %s\n", dir);
  return false;
}

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  FOLDER last(FOLDER::UNSET{});
  for (int i = 1; i < argc; i++) {
    std::string cmd = argv[i];
    auto arg = [&](int k) -> const char* { return i + k < argc ? argv[i + k] : nullptr; };
    if (cmd == "fonts-ready") {
      folder_fonts_ready = fonts_ready;
    } else if (cmd == "trace") {
      path_trace_sink = print_trace;
    } else if (cmd == "reset-base") {
      reset_base_path();
    } else if ((cmd == "opt" || cmd == "tmp" || cmd == "mounts") && arg(1)) {
      const char* value = argv[++i];
      if (cmd == "opt") default_folder_system_root = value;
      if (cmd == "tmp") shared_temp_root = value;
      if (cmd == "mounts") mount_table_path = value;
    } else if (cmd == "expand-name" && arg(2)) {
      const char* text = argv[++i];
      const char* name = argv[++i];
      printf("%s\n", expand_path_text(text, name));
    } else if (cmd == "enter" && arg(1)) {
      const bool ok = last.enter(argv[++i], 1);
      printf("%d %s\n", ok ? 1 : 0, last.path);
    } else if (cmd == "write" && arg(1)) {
      FILE* file = last.open_file(argv[++i], "wb");
      const bool ok = file && fputs("probe\n", file) >= 0;
      if (file) close_file(file);
      printf("%d\n", ok ? 1 : 0);
    } else if ((cmd == "base" || cmd == "define") && arg(2)) {
      FOLDER f(FOLDER::UNSET{});
      const char* first = argv[++i];
      const char* second = argv[++i];
      if (cmd == "base") {
        if (!literal_folder(&f, first)) return 2;
        set_base_path(&f, second);
      } else {
        if (!literal_folder(&f, second)) return 2;
        define_variable(first, &f);
      }
    } else if ((cmd == "set" || cmd == "create" || cmd == "make" || cmd == "varform" || cmd == "expand") && arg(1)) {
      const char* text = argv[++i];
      if (cmd == "expand") {
        printf("%s\n", expand_path_text(text, nullptr));
        continue;
      }
      FOLDER f(FOLDER::UNSET{});
      bool ok = f.set(text, cmd == "set" || cmd == "varform" ? 0 : 1, nullptr, cmd == "make" ? 1 : 0);
      if (cmd == "varform") {
        char form[FOLDER_PATH_SIZE];
        f.to_variable_form(form);
        printf("%s\n", form);
      } else {
        printf("%d %s\n", ok ? 1 : 0, f.path);
      }
      last = f;
    } else {
      fprintf(stderr, "path_probe: bad command: %s\n", cmd.c_str());
      return 2;
    }
  }
  return 0;
}
