// File-system operations of a folder, in temporary trees.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app.h"
#include "folder.h"
#include "folder_test_util.h"
#include "test_support.h"

using ft::mkdirs;

namespace {

class FileSystem : public ft::SandboxTest {
 protected:
  void SetUp() override {
    SandboxTest::SetUp();
    root = zt::make_temp_dir("fs");
  }
  std::string root;
};

TEST_F(FileSystem, NativePathText) {
  struct Case {
    const char* path;
    const char* name;
    const char* text;
  } cases[] = {{"", nullptr, "/"},        {"/", nullptr, "/"},       {"", "x", "/x"},
               {"/", "x", "/x"},          {"/usr/", nullptr, "/usr"}, {"/usr", "lib", "/usr/lib"}};
  for (const Case& c : cases) {
    FOLDER f(FOLDER::UNSET{});
    strcpy(f.path, c.path);
    EXPECT_STREQ(c.text, f.native_path_text(c.name)) << c.path;
  }
  FOLDER a(FOLDER::UNSET{}), b(FOLDER::UNSET{});
  strcpy(b.path, "/");
  EXPECT_FALSE(a.equals(&b)) << "an empty root and \"/\" differ";
  // A joined text too long for a path is no path at all.
  FOLDER f = ft::at(root);
  EXPECT_STREQ("", f.native_path_text(std::string(2100, 'n').c_str()));
}

TEST_F(FileSystem, GoUp) {
  std::string h = ft::home();
  mkdirs(h + "/sub/deeper");
  FOLDER temp(FOLDER::UNSET{});
  ASSERT_TRUE(temp.set("$TEMP"));
  mkdirs(std::string(temp.path) + "/inner");
  struct Case {
    std::string from;
    bool ok;
    std::string to;
  } cases[] = {
      {"/usr", true, "/"},
      {"/usr/", true, "/"},
      {"/", false, "/"},
      {"", false, ""},
      {h, false, h},
      {h + "/sub/deeper", true, h + "/sub"},
      {h + "/sub", true, h},
      {temp.path, false, temp.path},
      {std::string(temp.path) + "/inner", true, temp.path},
      {"relative", false, "relative"},
      {root + "/gone/x", false, root + "/gone/x"},
  };
  for (const Case& c : cases) {
    FOLDER f(FOLDER::UNSET{});
    strcpy(f.path, c.from.c_str());
    EXPECT_EQ(c.ok, f.go_up()) << c.from;
    EXPECT_EQ(c.to, std::string(f.path)) << c.from;
  }
  // A climb from below the home folder ends there.
  FOLDER f = ft::at(h + "/sub/deeper");
  int steps = 0;
  while (f.go_up()) steps++;
  EXPECT_EQ(2, steps);
  EXPECT_EQ(h, std::string(f.path));
}

TEST_F(FileSystem, EnterAndDirectories) {
  mkdirs(root + "/a");
  FOLDER f = ft::at(root);
  EXPECT_FALSE(f.enter("a/b", 0));
  EXPECT_TRUE(f.enter("a/b", 1)) << "one level is made when a exists";
  EXPECT_STREQ((root + "/a/b").c_str(), f.path);
  f = ft::at(root);
  EXPECT_FALSE(f.enter("x/y", 1));
  EXPECT_FALSE(f.enter(nullptr, 1));
  EXPECT_FALSE(f.enter("", 1));
  EXPECT_STREQ(root.c_str(), f.path);
  EXPECT_FALSE(f.enter(std::string(2100, 'n').c_str(), 1));
  EXPECT_FALSE(f.set_if_directory((root + "/nothing").c_str()));
  EXPECT_FALSE(f.set_if_directory(nullptr));
  EXPECT_TRUE(is_directory(root.c_str()));
  EXPECT_FALSE(is_directory(nullptr));
}

TEST_F(FileSystem, OpenFileFallsBackOnlyForAMissingFile) {
  FOLDER f = ft::at(root);
  EXPECT_EQ(nullptr, f.open_file("missing", "rb"));
  EXPECT_EQ(nullptr, f.open_file("", "rb"));
  EXPECT_EQ(nullptr, f.open_file("x", ""));
  // A missing file is created, and the stream reads back what it writes.
  FILE* s = f.open_file("new", "r+b");
  ASSERT_NE(nullptr, s);
  fputs("hello", s);
  rewind(s);
  char buf[8] = {};
  EXPECT_EQ(5u, fread(buf, 1, 7, s));
  EXPECT_STREQ("hello", buf);
  close_file(s);
  s = f.open_file("new2", "r+");
  ASSERT_NE(nullptr, s);
  close_file(s);
  EXPECT_TRUE(zt::file_exists(root + "/new2"));
  // An existing file that cannot be opened for update is left whole.
  if (geteuid() != 0) {
    zt::write_text(root + "/locked", "keep");
    chmod((root + "/locked").c_str(), 0444);
    EXPECT_EQ(nullptr, f.open_file("locked", "r+b"));
    EXPECT_EQ("keep", zt::read_text(root + "/locked"));
  }
  // Names never lead out of the folder.
  mkdirs(root + "/in");
  FOLDER in = ft::at(root + "/in");
  for (const char* name : {"../escape", "a/../../escape", "..", "x/.."})
    EXPECT_EQ(nullptr, in.open_file(name, "wb")) << name;
  EXPECT_FALSE(zt::file_exists(root + "/escape"));
  FILE* dotted = in.open_file("..name", "wb");
  EXPECT_NE(nullptr, dotted) << "two dots inside a name are just a name";
  close_file(dotted);
  // Not a file: a folder of that name.
  mkdirs(root + "/dir");
  EXPECT_EQ(nullptr, f.open_file("dir", "r+b"));
  EXPECT_TRUE(ft::is_dir(root + "/dir"));
}

TEST_F(FileSystem, FileInfoRenameRemove) {
  FOLDER f = ft::at(root);
  zt::write_text(root + "/.h", "12345");
  chmod((root + "/.h").c_str(), 0640);
  FILE_INFO info{};
  ASSERT_TRUE(f.get_file_info(".h", &info));
  EXPECT_EQ(0, info.is_folder);
  EXPECT_EQ(1, info.hidden);
  EXPECT_EQ(0600, info.permissions);
  EXPECT_EQ(5u, info.size);
  EXPECT_FALSE(f.get_file_info("none", &info));
  mkdirs(root + "/to");
  FOLDER to = ft::at(root + "/to");
  EXPECT_TRUE(f.rename_file(".h", &to, "n"));
  EXPECT_TRUE(zt::file_exists(root + "/to/n"));
  EXPECT_TRUE(to.rename_file("n", &f));
  EXPECT_FALSE(f.rename_file(nullptr, &to));
  EXPECT_TRUE(f.set_file_mode("n", 0600));
  EXPECT_TRUE(f.remove_file("n"));
  EXPECT_FALSE(f.remove_file("n"));
  EXPECT_FALSE(f.remove_file(nullptr));
}

TEST_F(FileSystem, RemoveFolderNeverFollowsLinks) {
  // A sentinel outside the tree, reached through links inside it.
  std::string outside = zt::make_temp_dir("outside");
  zt::write_text(outside + "/sentinel", "x");
  mkdirs(outside + "/deep");
  zt::write_text(outside + "/deep/sentinel", "y");
  mkdirs(root + "/tree/a/.hidden_dir");
  zt::write_text(root + "/tree/a/.hidden_dir/.f", "1");
  zt::write_text(root + "/tree/file", "2");
  ASSERT_EQ(0, symlink(outside.c_str(), (root + "/tree/link_dir").c_str()));
  ASSERT_EQ(0, symlink((outside + "/sentinel").c_str(), (root + "/tree/a/link_file").c_str()));
  ASSERT_EQ(0, symlink(outside.c_str(), (root + "/top_link").c_str()));
  FOLDER f = ft::at(root);
  EXPECT_FALSE(f.remove_folder("tree", 0)) << "not empty";
  EXPECT_FALSE(f.empty_sub_folder("top_link")) << "a link is not emptied";
  EXPECT_TRUE(f.remove_folder("top_link", 1));
  EXPECT_FALSE(ft::is_link(root + "/top_link"));
  EXPECT_TRUE(f.remove_folder("tree", 1));
  EXPECT_FALSE(zt::file_exists(root + "/tree"));
  EXPECT_EQ("x", zt::read_text(outside + "/sentinel"));
  EXPECT_EQ("y", zt::read_text(outside + "/deep/sentinel"));
  EXPECT_FALSE(f.remove_folder(nullptr, 1));
}

std::vector<std::string> scan_names(FOLDER* f, const char* pattern, INT_U8 hidden, INT_U32 mode,
                                    INT_U8 filter_folders) {
  std::vector<std::string> names;
  DIR_SCAN* scan = f->open_scan(pattern, hidden, mode, filter_folders);
  if (!scan) return names;
  DIR_SCAN_ITEM item;
  while (read_dir_scan(scan, &item)) names.push_back(std::string(item.name) + (item.is_folder ? "/" : ""));
  close_dir_scan(scan);
  return names;
}

TEST_F(FileSystem, ScansWithEachPatternMode) {
  for (const char* n : {"a.png", "a.PNG", "cabd", "ab.txt", "AB.txt", ".dot", "b.png.bak"})
    zt::write_text(root + "/" + n, "");
  mkdirs(root + "/dir.png");
  mkdirs(root + "/sub");
  mkdirs(root + "/.hidden");
  FOLDER f = ft::at(root);
  using V = std::vector<std::string>;
  struct Case {
    const char* pattern;
    INT_U32 mode;
    INT_U8 filter;
    V names;
  } cases[] = {
      {nullptr, 0, 0, {"AB.txt", "a.PNG", "a.png", "ab.txt", "b.png.bak", "cabd", "dir.png/", "sub/"}},
      {".png", 0, 0, {"a.png", "dir.png/", "sub/"}},
      {".png", 0, 1, {"a.png", "dir.png/"}},
      {".png", 9, 1, {"a.png", "dir.png/"}},
      {".png", 1, 1, {"a.PNG", "a.png", "dir.png/"}},
      {"ab", 2, 1, {"ab.txt"}},
      {"ab", 3, 1, {"AB.txt", "ab.txt"}},
      {"ab", 4, 1, {"ab.txt", "cabd"}},
      {"AB", 5, 1, {"AB.txt", "ab.txt", "cabd"}},
      {"cabd", 6, 1, {"cabd"}},
      {"CABD", 6, 1, {}},
      {"CABD", 7, 1, {"cabd"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.names, scan_names(&f, c.pattern, 0, c.mode, c.filter)) << (c.pattern ? c.pattern : "-") << c.mode;
  V hidden = scan_names(&f, nullptr, 1, 0, 0);
  EXPECT_EQ((V{".dot", ".hidden/", "AB.txt", "a.PNG", "a.png", "ab.txt", "b.png.bak", "cabd", "dir.png/", "sub/"}),
            hidden);
  EXPECT_EQ(nullptr, f.open_scan(std::string(259, 'p').c_str(), 0, 0, 0));
  FOLDER empty = ft::at(zt::make_temp_dir("empty"));
  EXPECT_EQ(nullptr, empty.open_scan(nullptr, 1, 0, 0));
  close_dir_scan(nullptr);
}

TEST_F(FileSystem, Listings) {
  for (const char* n : {"b.png", "a.png", "c.txt"}) zt::write_text(root + "/" + n, "abc");
  chmod((root + "/c.txt").c_str(), 0444);
  for (const char* n : {"d1", "d2", "d3.png"}) mkdirs(root + "/" + n);
  FOLDER f = ft::at(root);
  DIR_ENTRY* list = nullptr;
  INT_S32 count = 0;
  f.list(1, 0, 0, &list, &count, ".png", 0, 1, 1);
  ASSERT_EQ(3, count) << "every sub-folder, whatever the pattern";
  EXPECT_STREQ("d1", list[0].name);
  EXPECT_STREQ("d3.png", list[2].name);
  EXPECT_EQ(1, list[1].is_folder);
  EXPECT_TRUE(list[1].folder.equals(&f));
  // Appending the files enlarges the same array.
  f.list(0, 0, 1, &list, &count, nullptr, 0, 1, 1);
  ASSERT_EQ(6, count);
  EXPECT_STREQ("a.png", list[3].name);
  EXPECT_STREQ("c.txt", list[5].name);
  EXPECT_EQ(1, list[5].read_only);
  EXPECT_EQ(0, list[4].read_only);
  EXPECT_EQ(3u, list[4].size);
  EXPECT_STREQ(root.c_str(), list[5].folder.path);
  free(list);
  list = nullptr;
  f.list(0, 0, 0, &list, &count, ".png", 0, 10, 5);
  EXPECT_EQ(2, count);
  free(list);
}

TEST_F(FileSystem, CopyFileQuotesNames) {
  const char* names[] = {"plain",   "with space", "dollar $HOME", "back`touch ran`", "quote\"s",
                         "sq'uote", "semi;colon", "back\\slash", "-f"};
  mkdirs(root + "/to dir");
  FOLDER from = ft::at(root);
  FOLDER to = ft::at(root + "/to dir");
  for (const char* n : names) {
    std::string name = n;
    zt::write_text(root + "/" + name, name);
    EXPECT_TRUE(copy_file(&from, name.c_str(), &to, nullptr)) << name;
    EXPECT_EQ(name, zt::read_text(root + "/to dir/" + name)) << name;
  }
  char cwd[4096];
  ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
  EXPECT_FALSE(zt::file_exists(std::string(cwd) + "/ran")) << "a name ran a command";
  EXPECT_FALSE(zt::file_exists(root + "/ran"));
  EXPECT_TRUE(copy_file(&from, "plain", &to, "renamed $x"));
  EXPECT_EQ("plain", zt::read_text(root + "/to dir/renamed $x"));
  EXPECT_FALSE(copy_file(&from, "missing", &to, nullptr));
  EXPECT_FALSE(copy_file(&from, nullptr, &to, nullptr));
}

TEST_F(FileSystem, ExecutableLocationAndExecute) {
  FOLDER f(FOLDER::UNSET{});
  char name[FOLDER_PATH_SIZE];
  get_executable_location(&f, name);
  EXPECT_STREQ("test_core_file_system", name);
  EXPECT_TRUE(zt::file_exists(std::string(f.path) + "/" + name));
  // execute makes the file executable and replaces the process.
  zt::write_text(root + "/script", "#!/bin/sh\necho replaced $1 $ZORV_PROBE_ENV\nexit 7\n");
  chmod((root + "/script").c_str(), 0600);
  FOLDER dir = ft::at(root);
  zt::ChildResult r = zt::run_in_child([&] {
    // The program's own vectors, as the program entry keeps them.
    static char arg0[] = "script", arg1[] = "with-args", env0[] = "ZORV_PROBE_ENV=kept";
    static char* args[] = {arg0, arg1, nullptr};
    static char* env[] = {env0, nullptr};
    program_argv = args;
    program_envp = env;
    dir.execute("script");
    _exit(1);
  });
  EXPECT_EQ(7, r.status);
  EXPECT_EQ("replaced with-args kept\n", r.out);
  EXPECT_EQ(-1, dir.execute("missing"));
  void* p = malloc(4);
  free_and_clear(&p);
  EXPECT_EQ(nullptr, p);
  free_and_clear(&p);
}

}  // namespace
