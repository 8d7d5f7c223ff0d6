// The native path that the target page shows for a target folder text.
#include <string>

#include "folder.h"
#include "install_dialog.h"
#include "text_compare.h"

const char* target_path_display_text(const char* text) {
  static char buffer[FOLDER_PATH_SIZE];
  const std::string all(text ? text : "");
  size_t start = 0;
  std::string result;
  // Only a leading '$' segment is a variable (all that FOLDER::set resolves);
  // a later one is a folder name, as in "$ROOT0/tmp/$work". An unknown or
  // missing variable shows the program's folder, where FOLDER::set starts.
  {
    const size_t end = all.find('/');
    std::string first = all.substr(0, end);
    FOLDER base(FOLDER::UNSET{});
    if (!first.empty() && first[0] == '$' && is_known_path_variable(first.c_str()) &&
        compare_text_nocase(first.c_str(), "$HERE") != 0) {
      base.set(first.c_str());
      start = end == std::string::npos ? all.size() + 1 : end + 1;
    } else {
      base.set("$APP");
      start = first.empty() || first[0] == '$' ? (end == std::string::npos ? all.size() + 1 : end + 1) : 0;
    }
    result = base.native_path_text(nullptr);
  }
  while (start <= all.size()) {
    size_t end = all.find('/', start);
    if (end == std::string::npos) end = all.size();
    const std::string segment = all.substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      const size_t slash = result.rfind('/');
      result.erase(slash == std::string::npos || slash == 0 ? 1 : slash);
      continue;
    }
    if (result.empty() || result.back() != '/') result += '/';
    result += segment;
  }
  if (result.size() >= sizeof buffer) result.resize(sizeof buffer - 1);
  result.copy(buffer, result.size());
  buffer[result.size()] = 0;
  return buffer;
}
