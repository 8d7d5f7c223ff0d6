// Every call into application code - a callback field of the public headers,
// or the draw, update and handle_input slots an application overrides - is
// made inside wm_call_survives, which tells the caller whether its object
// lived through it. Read from the source tree: a direct call added anywhere
// fails here, before any fixture has to reach it.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kSource = ZORV_SOURCE_DIR;

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Files under a folder (recursively) whose names end with one of the tails.
void list_files(const std::string& folder, const std::vector<std::string>& tails,
                std::vector<std::string>* out) {
  DIR* d = opendir(folder.c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "/" + name;
    if (e->d_type == DT_DIR) {
      list_files(path, tails, out);
      continue;
    }
    for (const std::string& t : tails)
      if (ends_with(name, t)) out->push_back(path);
  }
  closedir(d);
  std::sort(out->begin(), out->end());
}

// Comments and literals blanked out, line breaks kept.
std::string code_only(const std::string& src) {
  std::string out = src;
  enum { CODE, LINE, BLOCK, STRING, CHAR } mode = CODE;
  for (size_t i = 0; i < out.size(); ++i) {
    const char c = src[i], next = i + 1 < src.size() ? src[i + 1] : 0;
    switch (mode) {
      case CODE:
        if (c == '/' && next == '/') mode = LINE;
        else if (c == '/' && next == '*') mode = BLOCK;
        else if (c == '"') mode = STRING;
        else if (c == '\'') mode = CHAR;
        else continue;
        out[i] = ' ';
        break;
      case LINE:
        if (c == '\n') mode = CODE;
        else out[i] = ' ';
        break;
      case BLOCK:
        if (c == '*' && next == '/') {
          out[i] = out[i + 1] = ' ';
          ++i;
          mode = CODE;
        } else if (c != '\n') {
          out[i] = ' ';
        }
        break;
      case STRING:
      case CHAR:
        if (c == '\\') {
          out[i] = ' ';
          if (i + 1 < out.size() && src[i + 1] != '\n') out[++i] = ' ';
        } else {
          if (c == (mode == STRING ? '"' : '\'')) mode = CODE;
          if (c != '\n') out[i] = ' ';
        }
        break;
    }
  }
  return out;
}

// The argument lists of the helper's calls, from '(' to its ')'.
std::vector<std::pair<size_t, size_t>> helper_spans(const std::string& code) {
  std::vector<std::pair<size_t, size_t>> spans;
  static const std::regex call(R"(\bwm_call_survives\s*\()");
  for (auto it = std::sregex_iterator(code.begin(), code.end(), call); it != std::sregex_iterator();
       ++it) {
    const size_t open = static_cast<size_t>(it->position(0) + it->length(0) - 1);
    int depth = 0;
    size_t i = open;
    for (; i < code.size(); ++i) {
      if (code[i] == '(') ++depth;
      if (code[i] == ')' && --depth == 0) break;
    }
    spans.emplace_back(open, i);
  }
  return spans;
}

bool is_word(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// A name that a type precedes is declared or defined there, not called.
bool is_declaration(const std::string& code, size_t name_at) {
  size_t i = name_at;
  auto skip_space_back = [&] {
    while (i > 0 && std::isspace(static_cast<unsigned char>(code[i - 1]))) --i;
  };
  skip_space_back();
  // Qualified: step back over "Class::" parts.
  while (i >= 2 && code[i - 1] == ':' && code[i - 2] == ':') {
    i -= 2;
    skip_space_back();
    while (i > 0 && is_word(code[i - 1])) --i;
    skip_space_back();
  }
  if (i == 0) return false;
  const char before = code[i - 1];
  if (before == '*' || before == '&') return true;  // a returned pointer or reference
  if (!is_word(before)) return false;
  size_t start = i;
  while (start > 0 && is_word(code[start - 1])) --start;
  return code.substr(start, i - start) != "return";
}

struct FINDING {
  std::string where;
  std::string line;
};

// Calls matching the pattern (its first group is the called name) that are
// neither declarations nor inside the helper.
std::vector<FINDING> direct_calls(const std::string& name, const std::string& source,
                                  const std::regex& pattern) {
  const std::string code = code_only(source);
  const auto spans = helper_spans(code);
  std::vector<FINDING> found;
  for (auto it = std::sregex_iterator(code.begin(), code.end(), pattern);
       it != std::sregex_iterator(); ++it) {
    const size_t at = static_cast<size_t>(it->position(1));
    if (is_declaration(code, at)) continue;
    bool inside = false;
    for (const auto& s : spans) inside = inside || (s.first < at && at < s.second);
    if (inside) continue;
    const auto line_no = std::count(code.begin(), code.begin() + static_cast<long>(at), '\n') + 1;
    const size_t line_end = source.rfind('\n', at);
    const size_t from = line_end == std::string::npos ? 0 : line_end + 1;
    const size_t to = source.find('\n', at);
    found.push_back(FINDING{name + ":" + std::to_string(line_no), source.substr(from, to - from)});
  }
  return found;
}

std::vector<FINDING> scan(const std::vector<std::string>& folders, const std::regex& pattern) {
  std::vector<FINDING> all;
  for (const std::string& folder : folders) {
    std::vector<std::string> files;
    list_files(kSource + "/" + folder, {".cpp", ".h"}, &files);
    EXPECT_FALSE(files.empty()) << folder;
    for (const std::string& f : files) {
      const auto found = direct_calls(f.substr(kSource.size() + 1), read_file(f), pattern);
      all.insert(all.end(), found.begin(), found.end());
    }
  }
  return all;
}

std::string report(const std::vector<FINDING>& found) {
  std::string s;
  for (const FINDING& f : found) s += f.where + ": " + f.line + "\n";
  return s;
}

// The member fields of the public window-manager headers whose type is a
// callback taking a screen object (of any class) first.
std::set<std::string> callback_fields() {
  std::vector<std::string> headers;
  list_files(kSource + "/platform/include", {".h"}, &headers);
  std::string all;
  for (const std::string& h : headers)
    if (h.find("/wm_") != std::string::npos) all += code_only(read_file(h)) + "\n";
  std::set<std::string> types;
  static const std::regex type(
      R"(typedef[^;()]*\(\s*\*\s*(\w+)\s*\)\s*\(\s*(const\s+)?WM_\w+\s*\*)");
  for (auto it = std::sregex_iterator(all.begin(), all.end(), type); it != std::sregex_iterator();
       ++it)
    types.insert((*it)[1]);
  std::set<std::string> fields;
  for (const std::string& t : types) {
    // Indented: a member of a class, not an extern of the header.
    const std::regex member("\\n[ \\t]+" + t + "\\s+(\\w+)\\s*(=[^;]*)?;");
    for (auto it = std::sregex_iterator(all.begin(), all.end(), member);
         it != std::sregex_iterator(); ++it)
      fields.insert((*it)[1]);
  }
  return fields;
}

std::regex callback_call_pattern(const std::set<std::string>& fields) {
  std::string names;
  for (const std::string& f : fields) names += (names.empty() ? "" : "|") + f;
  return std::regex("\\b(" + names + ")\\s*\\(");
}

// update takes its argument, draw and handle_input none (the draw and update
// of other classes take others, or none).
const std::regex kSlotCall(
    R"(\b(draw\s*\(\s*\)|handle_input\s*\(\s*\)|update\s*\(\s*[^)\s]))");

std::vector<FINDING> slot_calls(const std::string& name, const std::string& source) {
  return direct_calls(name, source, kSlotCall);
}

}  // namespace

TEST(ApplicationCalls, EveryCallbackTypeOfThePublicHeadersIsFound) {
  const std::set<std::string> fields = callback_fields();
  for (const char* f : {"action_callback", "click_callback", "focus_callback", "state_callback",
                        "drag_callback", "chosen_callback", "open_callback", "step_callback"})
    EXPECT_EQ(fields.count(f), 1u) << f;
}

TEST(ApplicationCalls, TheScanTellsADirectCallFromOneThroughTheHelper) {
  const std::regex callbacks = callback_call_pattern({"state_callback", "action_callback"});
  const std::string source =
      "// state_callback(this, 0) in a comment\n"
      "void WM_X::f() {\n"
      "  const char* s = \"action_callback(this)\";\n"
      "  INT_U8 a = state_callback(this, state_callback_arg);\n"
      "  if (!wm_call_survives(this, [&] { a = state_callback(this, 1); })) return;\n"
      "  wm_call_survives(this, [&] {\n"
      "    r = action_callback(this, action_arg1, action_arg2);\n"
      "  });\n"
      "  return action_callback(this, 1, 2);\n"
      "}\n";
  const auto found = direct_calls("x.cpp", source, callbacks);
  ASSERT_EQ(found.size(), 2u) << report(found);
  EXPECT_EQ(found[0].where, "x.cpp:4");
  EXPECT_EQ(found[1].where, "x.cpp:9");

  const std::string slots =
      "INT_S32 WM_X::update(INT_U8 popups) {\n"
      "  virtual void draw();\n"
      "  frame.draw(x, y, x2, y2, 1, s, 0);\n"
      "  if (!wm_call_survives(this, [&] { r = WM_SCREEN_OBJECT::update(popups); })) return r;\n"
      "  c->draw();\n"
      "  return WM_DIALOG::handle_input();\n"
      "}\n";
  const auto slot_found = slot_calls("y.cpp", slots);
  ASSERT_EQ(slot_found.size(), 2u) << report(slot_found);
  EXPECT_EQ(slot_found[0].where, "y.cpp:5");
  EXPECT_EQ(slot_found[1].where, "y.cpp:6");
}

TEST(ApplicationCalls, EveryCallbackIsCalledThroughTheHelper) {
  const auto found =
      scan({"platform/code", "installer"}, callback_call_pattern(callback_fields()));
  EXPECT_TRUE(found.empty()) << "called outside wm_call_survives:\n" << report(found);
}

TEST(ApplicationCalls, EveryDrawUpdateAndInputPassIsCalledThroughTheHelper) {
  std::vector<std::string> files;
  list_files(kSource + "/platform/code/wm", {".cpp", ".h"}, &files);
  ASSERT_FALSE(files.empty());
  std::vector<FINDING> all;
  for (const std::string& f : files) {
    const auto found = slot_calls(f.substr(kSource.size() + 1), read_file(f));
    all.insert(all.end(), found.begin(), found.end());
  }
  EXPECT_TRUE(all.empty()) << "called outside wm_call_survives:\n" << report(all);
}
