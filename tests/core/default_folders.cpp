// Default folders of each kind, with the application name given, in the
// sandbox (the "/opt" and "/tmp" seams point into it).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "folder.h"
#include "folder_test_util.h"
#include "test_support.h"

using ft::mkdirs;

namespace {

class DefaultFolders : public ft::SandboxTest {
 protected:
  void SetUp() override {
    SandboxTest::SetUp();
    h = ft::home();
  }
  std::string h;
};

TEST_F(DefaultFolders, EachKindWithoutCreation) {
  struct Case {
    INT_U32 kind;
    std::string path;
  } cases[] = {
      {1, opt + "/tool/bin"},       {2, opt + "/tool/data"}, {3, opt + "/tool/shared"},
      {4, h + "/.tool/data"},       {5, h + "/.tool/config"},
  };
  for (const Case& c : cases) {
    FOLDER f(FOLDER::UNSET{});
    EXPECT_FALSE(f.set_platform_default(c.kind, "tool", 0)) << c.kind;
    EXPECT_EQ(c.path, std::string(f.path)) << "the formatted text stays";
    mkdirs(c.path);
    EXPECT_TRUE(f.set_platform_default(c.kind, "tool", 0)) << c.kind;
    EXPECT_EQ(c.path, std::string(f.path));
  }
  FOLDER f(FOLDER::UNSET{});
  strcpy(f.path, "/unchanged");
  EXPECT_FALSE(f.set_platform_default(7, "tool", 1));
  EXPECT_STREQ("/unchanged", f.path);
}

TEST_F(DefaultFolders, KindZeroIsTheExecutablesFolder) {
  FOLDER f(FOLDER::UNSET{}), g(FOLDER::UNSET{});
  char name[FOLDER_PATH_SIZE];
  EXPECT_TRUE(f.set_platform_default(0, "ignored", 0));
  get_executable_location(&g, name);
  EXPECT_STREQ(g.path, f.path);
  // Without a name the executable's file name is used.
  EXPECT_FALSE(f.set_platform_default(4, nullptr, 0));
  EXPECT_EQ(h + "/.test_core_default_folders/data", std::string(f.path));
}

TEST_F(DefaultFolders, CreationAndNestedNames) {
  struct Case {
    INT_U32 kind;
    std::string path;
  } cases[] = {
      {1, opt + "/a/b/bin"}, {3, opt + "/a/b/shared"}, {4, h + "/.a/b/data"}, {6, shared + "/a/b"},
  };
  for (const Case& c : cases) {
    FOLDER f(FOLDER::UNSET{});
    EXPECT_TRUE(f.set_platform_default(c.kind, "a/b", 1)) << c.kind;
    EXPECT_EQ(c.path, std::string(f.path));
    EXPECT_TRUE(ft::is_dir(c.path));
  }
  // A missing /opt cannot be filled.
  default_folder_system_root = "/nonexistent-root-for-test";
  FOLDER f(FOLDER::UNSET{});
  EXPECT_FALSE(f.set_platform_default(2, "x", 1));
  // Names too long for a path are refused, not cut.
  EXPECT_FALSE(f.set_platform_default(4, std::string(2100, 'n').c_str(), 1));
}

TEST_F(DefaultFolders, PreferencesLinkInDocuments) {
  FOLDER f(FOLDER::UNSET{});
  EXPECT_TRUE(f.set_platform_default(5, "tool", 1));
  EXPECT_EQ(h + "/.tool/config", std::string(f.path)) << "no Documents folder";
  mkdirs(h + "/Documents");
  EXPECT_TRUE(f.set_platform_default(5, "a/tool", 1));
  EXPECT_EQ(h + "/Documents/a-tool", std::string(f.path));
  EXPECT_TRUE(ft::is_link(h + "/Documents/a-tool"));
  EXPECT_TRUE(ft::is_dir(h + "/.a/tool/config"));
  EXPECT_TRUE(f.set_platform_default(5, "a/tool", 1));
  EXPECT_EQ(h + "/.a/tool/config", std::string(f.path));
}

TEST_F(DefaultFolders, TemporaryFolder) {
  FOLDER f(FOLDER::UNSET{});
  EXPECT_FALSE(f.set_platform_default(6, "tool", 0));
  EXPECT_TRUE(f.set_platform_default(6, "tool", 1));
  EXPECT_EQ(shared + "/tool", std::string(f.path));
  mkdirs(h + "/tmp");
  EXPECT_TRUE(f.set_platform_default(6, "tool", 1));
  EXPECT_EQ(h + "/tmp/tool", std::string(f.path));
}

// Ownership and mode of a path, or {-1, 0} when it is missing or a link.
std::pair<long, unsigned> owner_and_mode(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {-1, 0};
  return {static_cast<long>(st.st_uid), st.st_mode & 07777};
}

TEST_F(DefaultFolders, SharedTemporaryFolderThatIsNotOursGivesOneOfOurOwn) {
  const std::string uid = std::to_string(geteuid());
  const std::string planted = box + "/elsewhere";
  std::string listing;
  mkdirs(planted);
  struct Case {
    const char* what;
    std::string name, setup, expected;
  } cases[] = {
      {"a link", "tool", "ln -s '" + planted + "' '" + shared + "/tool'", shared + "/tool-" + uid},
      {"writable by others", "tool", "mkdir '" + shared + "/tool' && chmod 777 '" + shared + "/tool'", shared + "/tool-" + uid},
      {"a file", "tool", "touch '" + shared + "/tool'", shared + "/tool-" + uid},
      {"a nested name", "a/b", "mkdir '" + shared + "/a' && chmod 777 '" + shared + "/a'", shared + "/a-" + uid + "/b"},
      {"only the first level is renamed", "a/b", "mkdir -p '" + shared + "/a/b' && chmod 777 '" + shared + "/a/b'",
       shared + "/a-" + uid + "/b"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(0, system(("rm -rf '" + shared + "'/* && " + c.setup).c_str())) << c.what;
    FOLDER f(FOLDER::UNSET{});
    EXPECT_FALSE(f.set_platform_default(6, c.name.c_str(), 0)) << c.what << ": nothing made without creation";
    ASSERT_TRUE(f.set_platform_default(6, c.name.c_str(), 1)) << c.what;
    EXPECT_EQ(c.expected, std::string(f.path)) << c.what;
    EXPECT_EQ(owner_and_mode(c.expected), (std::pair<long, unsigned>{static_cast<long>(geteuid()), 0700u}))
        << c.what;
    EXPECT_TRUE(f.set_platform_default(6, c.name.c_str(), 0)) << c.what << ": found again";
    EXPECT_EQ(c.expected, std::string(f.path)) << c.what;
  }
  // Our own folder is checked as strictly: a link there is refused too, and
  // a stand-in of a random name takes its place. It is made once: every
  // later resolution finds it again, until it goes with the private folder.
  ASSERT_EQ(0, system(("rm -rf '" + shared + "'/* && touch '" + shared + "/tool' && ln -s '" + planted + "' '" +
                       shared + "/tool-" + uid + "'")
                          .c_str()));
  FOLDER f(FOLDER::UNSET{});
  EXPECT_FALSE(f.set_platform_default(6, "tool", 0)) << "nothing made without creation";
  ASSERT_TRUE(f.set_platform_default(6, "tool", 1));
  const std::string stand_in = f.path, prefix = shared + "/tool-" + uid + "-";
  EXPECT_EQ(stand_in.rfind(prefix, 0), 0u) << stand_in;
  EXPECT_EQ(stand_in.size(), prefix.size() + 6) << stand_in;
  EXPECT_EQ(owner_and_mode(stand_in), (std::pair<long, unsigned>{static_cast<long>(geteuid()), 0700u}));
  for (INT_U8 create : {0, 1}) {
    FOLDER again(FOLDER::UNSET{});
    EXPECT_TRUE(again.set_platform_default(6, "tool", create));
    EXPECT_EQ(stand_in, std::string(again.path));
  }
  // Kept even when our own name is free again: "$TEMP" does not move.
  ASSERT_EQ(unlink((shared + "/tool-" + uid).c_str()), 0);
  FOLDER kept(FOLDER::UNSET{});
  EXPECT_TRUE(kept.set_platform_default(6, "tool", 1));
  EXPECT_EQ(stand_in, std::string(kept.path));
  ASSERT_EQ(symlink(planted.c_str(), (shared + "/tool-" + uid).c_str()), 0);
  FOLDER nested(FOLDER::UNSET{});
  EXPECT_TRUE(nested.set_platform_default(6, "tool/sub", 1));
  EXPECT_EQ(stand_in + "/sub", std::string(nested.path));
  zt::write_text(stand_in + "/sub/font.ttf", "x");
  remove_private_temp_folder();
  EXPECT_FALSE(ft::is_dir(stand_in));
  EXPECT_EQ(zt::sh("ls -A '" + shared + "' | tr '\\n' ' '", &listing), 0);
  EXPECT_EQ(listing, "tool tool-" + uid + " ") << "what others hold stays";
  EXPECT_TRUE(ft::is_dir(planted));
  // Names that are no folder name get no stand-in either.
  for (const char* name : {"..", ".", "./x"}) EXPECT_FALSE(f.set_platform_default(6, name, 1)) << name;
  EXPECT_FALSE(ft::is_dir(shared + "/..-" + uid));
  EXPECT_FALSE(ft::is_dir(shared + "/.-" + uid));
}

// A second user after a first one: the folder the first user made is theirs,
// 0700; the second gets a folder of their own beside it.
TEST_F(DefaultFolders, SecondUserGetsAFolderOfTheirOwn) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as two users";
  // A tree the unprivileged user can reach, with a shared root like /tmp.
  char pattern[] = "/tmp/zorv-temp-users.XXXXXX";
  ASSERT_TRUE(mkdtemp(pattern));
  const std::string tree = pattern, root = tree + "/shared";
  ASSERT_EQ(0, system(("chmod 0755 '" + tree + "' && mkdir '" + root + "' && chmod 1777 '" + root + "'").c_str()));
  shared_temp_root = root.c_str();
  FOLDER first(FOLDER::UNSET{});
  ASSERT_TRUE(first.set_platform_default(6, "tool", 1));
  EXPECT_EQ(root + "/tool", std::string(first.path));

  zt::ChildResult r = zt::run_in_child([&] {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    FOLDER f(FOLDER::UNSET{});
    if (!f.set_platform_default(6, "tool", 1)) _exit(4);
    printf("%s\n", f.path);
    fflush(stdout);
    _exit(0);
  });
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(root + "/tool-65534\n", r.out);
  EXPECT_EQ(owner_and_mode(root + "/tool-65534"), (std::pair<long, unsigned>{65534, 0700u}));
  EXPECT_EQ(owner_and_mode(root + "/tool"), (std::pair<long, unsigned>{0, 0700u}));
  system(("rm -rf '" + tree + "'").c_str());
}

}  // namespace
