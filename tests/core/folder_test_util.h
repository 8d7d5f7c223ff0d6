// Shared by the folder tests: seams pointed into the test's sandbox, small
// file helpers, and copies of the path probe placed in temporary trees.
#ifndef FOLDER_TEST_UTIL_H
#define FOLDER_TEST_UTIL_H

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "folder.h"
#include "test_support.h"

namespace ft {

inline std::string home() { return std::getenv("HOME"); }

inline void mkdirs(const std::string& path) {
  std::string cur;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    cur = path.substr(0, end);
    if (!cur.empty()) mkdir(cur.c_str(), 0755);
    start = end + 1;
  }
}

inline bool is_dir(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

inline bool is_link(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

inline FOLDER at(const std::string& path) {
  FOLDER f(FOLDER::UNSET{});
  EXPECT_TRUE(f.set_if_directory(path.c_str())) << path;
  return f;
}

// Seams of the default folders pointed into the sandbox for the life of the
// test: "/opt" -> <sandbox>/opt, "/tmp" -> <sandbox>/tmp.
class SandboxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box = zt::sandbox();
    opt = box + "/opt";
    shared = box + "/tmp";
    mkdirs(opt);
    mkdirs(shared);
    // Tests choose for themselves whether <home>/tmp exists.
    rmdir((home() + "/tmp").c_str());
    chmod(shared.c_str(), 0755);
    default_folder_system_root = opt.c_str();
    shared_temp_root = shared.c_str();
  }
  void TearDown() override {
    default_folder_system_root = "/opt";
    shared_temp_root = "/tmp";
  }
  std::string box, opt, shared;
};

// A copy of the path probe at dir/path_probe.
inline std::string place_probe(const std::string& dir) {
  mkdirs(dir);
  std::string target = dir + "/path_probe";
  std::string cmd = "cp '" ZORV_BUILD_DIR "/path_probe' '" + target + "'";
  EXPECT_EQ(0, system(cmd.c_str()));
  return target;
}

// Runs a probe copy with the arguments; its standard output, exit status in
// *status.
inline std::string run_probe(const std::string& exe, const std::vector<std::string>& args,
                             int* status = nullptr) {
  zt::ChildResult r = zt::run_in_child([&] {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  });
  if (status) *status = r.status;
  return r.out;
}

}  // namespace ft

#endif
