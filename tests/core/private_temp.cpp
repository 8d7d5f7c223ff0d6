// The process's private folder in "$TEMP".
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "folder.h"
#include "test_support.h"
#include "console.h"

namespace {

TEST(PrivateTempFolder, MadePrivateOncePerProcessAndRemovedWithItsContent) {
  FOLDER first, second, temp;
  ASSERT_TRUE(get_private_temp_folder(&first));
  ASSERT_TRUE(get_private_temp_folder(&second));
  EXPECT_STREQ(first.path, second.path);
  temp.set("$TEMP");
  const std::string path = first.path;
  EXPECT_EQ(path.rfind(std::string(temp.path), 0), 0u) << path;
  struct stat st;
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 07777, 0700u);

  // Content, including a link that must be removed, not followed.
  const std::string outside = zt::make_temp_dir("outside");
  zt::write_text(outside + "/keep.txt", "keep");
  zt::write_text(path + "/font.ttf", "x");
  ASSERT_EQ(mkdir((path + "/sub").c_str(), 0700), 0);
  zt::write_text(path + "/sub/doc.txt", "y");
  ASSERT_EQ(symlink(outside.c_str(), (path + "/link").c_str()), 0);
  remove_private_temp_folder();
  EXPECT_NE(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(zt::file_exists(outside + "/keep.txt"));

  // A later use makes a new one.
  FOLDER again;
  ASSERT_TRUE(get_private_temp_folder(&again));
  EXPECT_STRNE(again.path, path.c_str());
  remove_private_temp_folder();
}

TEST(PrivateTempFolder, AChildHasItsOwnAndAFatalExitRemovesIt) {
  FOLDER parent;
  ASSERT_TRUE(get_private_temp_folder(&parent));
  zt::ChildResult r = zt::run_in_child([] {
    FOLDER mine;
    if (!get_private_temp_folder(&mine)) return;
    zt::write_text(std::string(mine.path) + "/font.ttf", "x");
    printf("%s\n", mine.path);
    fflush(stdout);
    fatal_exit("stop");
  });
  EXPECT_EQ(r.status, 255);
  const std::string child = r.out.substr(0, r.out.find('\n'));
  ASSERT_FALSE(child.empty());
  EXPECT_NE(child, std::string(parent.path));
  struct stat st;
  EXPECT_NE(lstat(child.c_str(), &st), 0) << child;
  // The parent's folder is the parent's: the child's exit left it alone.
  EXPECT_EQ(lstat(parent.path, &st), 0);
  remove_private_temp_folder();
}

TEST(PrivateTempFolder, ANormalExitRemovesIt) {
  zt::ChildResult r = zt::run_in_child([] {
    FOLDER mine;
    if (!get_private_temp_folder(&mine)) return;
    printf("%s\n", mine.path);
    fflush(stdout);
    exit(0);
  });
  EXPECT_EQ(r.status, 0);
  const std::string child = r.out.substr(0, r.out.find('\n'));
  ASSERT_FALSE(child.empty());
  struct stat st;
  EXPECT_NE(lstat(child.c_str(), &st), 0) << child;
}

// "$TEMP" folders a run made go at its end when they are empty; one that
// holds something stays, and so does the root of the private folders, which
// another run of the same name may be using.
TEST(PrivateTempFolder, AtTheEndOnlyTheEmptyTemporaryFoldersOfTheRunGo) {
  const std::string temp_root = std::string(getenv("HOME")) + "/tmp";
  zt::ChildResult r = zt::run_in_child([] {
    FOLDER base;
    set_base_path(&base, "Run Name");
    FOLDER mine;
    if (!get_private_temp_folder(&mine)) return;
    zt::write_text(std::string(mine.path) + "/font.ttf", "x");
    set_base_path(&base, "Other Name");
    FOLDER written(FOLDER::UNSET{}), empty(FOLDER::UNSET{});
    if (!written.set("$TEMP/a", 1) || !empty.set("$TEMP/b/c", 1)) return;
    zt::write_text(std::string(written.path) + "/file.txt", "y");
    exit(0);
  });
  EXPECT_EQ(r.status, 0) << r.err;
  std::string left;
  zt::sh("cd '" + temp_root + "' && find . -mindepth 1 -path './test_core_*' -prune -o -print | sort", &left);
  EXPECT_EQ(left, "./Other Name\n./Other Name/a\n./Other Name/a/file.txt\n./Run Name\n");
}

}  // namespace
