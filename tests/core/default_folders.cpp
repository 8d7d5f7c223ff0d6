// Default folders of each kind, with the application name given, in the
// sandbox (the "/opt" and "/tmp" seams point into it).
#include <gtest/gtest.h>
#include <sys/stat.h>

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

}  // namespace
