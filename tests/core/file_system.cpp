// File-system operations of a folder, in temporary trees.
#include <errno.h>
#include <fcntl.h>
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

namespace {

// Writing into a folder that others may write to.
class OutputFile : public FileSystem {
 protected:
  void SetUp() override {
    FileSystem::SetUp();
    outside = zt::make_temp_dir("outside");
    zt::write_text(outside + "/theirs", "theirs\n");
    ASSERT_EQ(chmod((outside + "/theirs").c_str(), 0600), 0);
    folder_fd = open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder_fd, 0);
    umask(022);
  }
  void TearDown() override {
    close(folder_fd);
    FileSystem::TearDown();
  }
  std::string at(const std::string& name) const { return root + "/" + name; }
  std::string kind(const std::string& name) const {
    struct stat st;
    if (lstat(at(name).c_str(), &st) != 0) return "none";
    if (S_ISLNK(st.st_mode)) return "link";
    if (S_ISDIR(st.st_mode)) return "folder";
    if (S_ISFIFO(st.st_mode)) return "fifo";
    char mode[8];
    snprintf(mode, sizeof mode, "%o", static_cast<unsigned>(st.st_mode & 07777));
    return std::string("file ") + mode + " '" + zt::read_text(at(name)) + "'";
  }
  static bool put(const OUTPUT_FILE& out, const std::string& text) {
    return write(out.descriptor(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }
  std::string fresh_names() const {
    std::string out;
    zt::sh("ls -A '" + root + "' | grep '^.zorv-'", &out);
    return out;
  }
  std::string outside;
  int folder_fd = -1;
};

// What stands at the name before, while the file is written, and after it
// is finished or abandoned: a new name holds the file from its exclusive
// creation on; an existing file or link (one leading nowhere too) is
// replaced only once the file is finished, and what a link led to is never
// touched.
TEST_F(OutputFile, ANameIsCreatedOrReplacedOnlyOnceTheFileIsWhole) {
  const struct {
    const char* what;
    std::string make;
    bool replacing;
    std::string while_written, abandoned;
  } cases[] = {
      {"new", "true", false, "file 644 'new'", "none"},
      {"file", "printf old > n && chmod 0600 n", true, "file 600 'old'", "file 600 'old'"},
      {"link", "ln -s '" + outside + "/theirs' n", true, "link", "link"},
      {"link to nothing", "ln -s '" + outside + "/absent' n", true, "link", "link"},
  };
  for (bool finished : {true, false}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (finished ? ", finished" : ", abandoned"));
      ASSERT_EQ(zt::sh("cd '" + root + "' && rm -f n && " + c.make), 0);
      OUTPUT_FILE out;
      ASSERT_TRUE(out.open_at(folder_fd, "n"));
      EXPECT_EQ(out.replacing(), c.replacing);
      EXPECT_TRUE(fcntl(out.descriptor(), F_GETFD) & FD_CLOEXEC);
      ASSERT_TRUE(put(out, "new"));
      EXPECT_EQ(kind("n"), c.while_written);
      if (finished) {
        ASSERT_TRUE(out.finish());
        EXPECT_EQ(kind("n"), "file 644 'new'");
      } else {
        out.abandon();
        EXPECT_EQ(kind("n"), c.abandoned);
      }
      EXPECT_EQ(out.descriptor(), -1);
      EXPECT_EQ(fresh_names(), "");
      EXPECT_EQ(zt::read_text(outside + "/theirs"), "theirs\n");
      EXPECT_FALSE(zt::file_exists(outside + "/absent"));
    }
  }
}

// A folder, a FIFO or a device at the name stays what it is: the open fails
// at once, and nothing is written anywhere.
TEST_F(OutputFile, AFolderOrAFifoAtTheNameIsNotReplaced) {
  ASSERT_EQ(mkdir(at("d").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(at("f").c_str(), 0644), 0);
  const struct {
    const char* name;
    int error;
    const char* kind;
  } cases[] = {{"d", EISDIR, "folder"}, {"f", EEXIST, "fifo"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OUTPUT_FILE out;
    errno = 0;
    EXPECT_FALSE(out.open_at(folder_fd, c.name));
    EXPECT_EQ(errno, c.error);
    EXPECT_EQ(out.descriptor(), -1);
    EXPECT_EQ(kind(c.name), c.kind);
  }
  EXPECT_EQ(fresh_names(), "");
  for (const char* name : {"", ".", "..", "a/b"}) {
    OUTPUT_FILE out;
    EXPECT_FALSE(out.open_at(folder_fd, name)) << name;
  }
}

// A file kept open past its finish (the installation log): in place under
// its name, and the caller writes on.
TEST_F(OutputFile, AFileKeptOpenIsInPlaceAndWritable) {
  zt::write_text(at("log"), "an earlier log\n");
  OUTPUT_FILE out;
  ASSERT_TRUE(out.open_at(folder_fd, "log"));
  ASSERT_TRUE(put(out, "header\n"));
  int kept = -1;
  ASSERT_TRUE(out.finish(&kept));
  ASSERT_GE(kept, 0);
  EXPECT_EQ(zt::read_text(at("log")), "header\n");
  EXPECT_EQ(write(kept, "line\n", 5), 5);
  close(kept);
  EXPECT_EQ(zt::read_text(at("log")), "header\nline\n");
}

// A folder level below an open folder: made when missing (with create), a
// link followed only when it is this user's (root's here), another user's
// refused and told apart from other failures.
TEST_F(FileSystem, SubFoldersAreOpenedWithoutAnotherUsersLinks) {
  const std::string elsewhere = zt::make_temp_dir("elsewhere");
  ASSERT_EQ(zt::sh("cd '" + root + "' && mkdir there && printf x > file && ln -s '" + elsewhere + "' own && ln -s '" +
                   elsewhere + "' theirs && chown -h 4242:4242 theirs"),
            0);
  const int folder_fd = open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(folder_fd, 0);
  struct stat want;
  const struct {
    const char* name;
    INT_U8 create;
    std::string leads_to;  // empty: fails
    bool foreign;
  } cases[] = {{"there", 0, root + "/there", false}, {"made", 1, root + "/made", false},
               {"missing", 0, "", false},            {"own", 0, elsewhere, false},
               {"theirs", 1, "", true},              {"file", 1, "", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool foreign = !c.foreign;
    const int fd = open_sub_folder_at(folder_fd, c.name, c.create, &foreign);
    EXPECT_EQ(foreign, c.foreign);
    if (c.leads_to.empty()) {
      EXPECT_EQ(fd, -1);
      continue;
    }
    ASSERT_GE(fd, 0);
    struct stat got;
    ASSERT_EQ(fstat(fd, &got), 0);
    ASSERT_EQ(stat(c.leads_to.c_str(), &want), 0);
    EXPECT_EQ(got.st_ino, want.st_ino);
    EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
    close(fd);
  }
  close(folder_fd);
  EXPECT_FALSE(zt::file_exists(root + "/missing"));
  EXPECT_EQ(zt::sh("[ -z \"$(ls -A '" + elsewhere + "')\" ]"), 0);
}

// Regular files only, and an open that never waits: a FIFO, a folder, an
// existing name for a new file (a link too) are refused at once.
TEST_F(FileSystem, RegularFilesOpenWithoutWaiting) {
  ASSERT_EQ(zt::sh("cd '" + root + "' && printf abc > file && mkfifo fifo && mkdir dir && ln -s file link"), 0);
  FOLDER folder = ft::at(root);
  const struct {
    const char* name;
    const char* mode;
    int error;  // 0: opens
  } cases[] = {{"file", "rb", 0},        {"file", "r+b", 0},     {"fifo", "rb", EINVAL}, {"fifo", "r+b", EINVAL},
               {"dir", "rb", EISDIR},    {"new", "wb", 0},       {"file", "wb", EEXIST}, {"link", "wb", EEXIST},
               {"missing", "rb", ENOENT}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.mode);
    errno = 0;
    FILE* f = folder.open_regular_file(c.name, c.mode);
    EXPECT_EQ(f != nullptr, c.error == 0);
    if (f) {
      EXPECT_FALSE(fcntl(fileno(f), F_GETFL) & O_NONBLOCK);
      EXPECT_TRUE(fcntl(fileno(f), F_GETFD) & FD_CLOEXEC);
      fclose(f);
    } else {
      EXPECT_EQ(errno, c.error);
    }
  }
  EXPECT_EQ(zt::read_text(root + "/file"), "abc");
}

}  // namespace
