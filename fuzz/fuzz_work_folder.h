// A fuzz target's private folder for the files it writes and reads back:
// made on first use under $TMPDIR (else /tmp) and removed when the run ends.
// A run that crashes cannot remove it: tools/fuzz_one.sh points TMPDIR into
// the folder it removes itself.
#ifndef FUZZ_WORK_FOLDER_H
#define FUZZ_WORK_FOLDER_H

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace fuzz_work_detail {

// Plain storage, so that the removal at exit never meets a destroyed string.
inline char* path() {
  static char made[4096];
  return made;
}

inline void remove_folder() {
  std::error_code ignored;
  std::filesystem::remove_all(path(), ignored);
}

}  // namespace fuzz_work_detail

// "<root>/fuzz-<name>.XXXXXX"; the same folder for the whole run.
inline std::string fuzz_work_folder(const char* name) {
  char* made = fuzz_work_detail::path();
  if (!*made) {
    const char* root = getenv("TMPDIR");
    if (!root || !*root) root = "/tmp";
    snprintf(made, 4096, "%s/fuzz-%s.XXXXXX", root, name);
    // Without its folder a target would write where it has no business.
    if (!mkdtemp(made)) {
      perror(made);
      abort();
    }
    atexit(fuzz_work_detail::remove_folder);
  }
  return made;
}

#endif
