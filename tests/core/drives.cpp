// Drives from a mount table written by hand (the table's path is a seam).
#include <gtest/gtest.h>

#include <string>

#include "folder.h"
#include "folder_test_util.h"
#include "test_support.h"

using ft::mkdirs;

namespace {

class Drives : public ft::SandboxTest {
 protected:
  void SetUp() override {
    SandboxTest::SetUp();
    h = ft::home();
    FOLDER t(FOLDER::UNSET{});
    t.set("$TEMP");
    temp = t.path;
    table = box + "/mounts";
    std::string m = box + "/mnt";
    std::string lines =
        "/dev/sda1 / ext3 rw 0 0\n"
        "/dev/cdrom " + m + "/cd udf ro 0 0\n"
        "/dev/cdrom " + m + "/cd2 iso9660 ro 0 0\n"
        "/dev/fd0 " + m + "/floppy vfat rw 0 0\n"
        "/dev/sdb1 " + m + "/a vfat rw 0 0\n"
        "server:/x " + m + "/net nfs rw 0 0\n"
        "/dev/sdc1 " + h + " ext3 rw 0 0\n"
        "/dev/sdd1 " + temp + " xfs rw 0 0\n"
        "/dev/sde1 " + m + "/with\\040space ntfs rw 0 0\n"
        "no-third-space here\n"
        "/dev/sdf1 " + h + "/inner ext2 rw 0 0\n"
        "/dev/sdz9 " + m + "/long" + std::string(1100, 'x') + " hfs rw 0 0\n"
        "/dev/sdg1 " + m + "/mac hfs rw 0 0\n"
        "/dev/sdh1 " + m + "/os2 hpfs rw 0 0\n"
        "/dev/sdi1 " + m + "/unix sysv rw\n"
        "/dev/sdj1 " + m + "/ext4 ext4 rw 0 0\n";
    zt::write_text(table, lines);
    mount_table_path = table.c_str();
    mnt = m;
  }
  void TearDown() override {
    mount_table_path = "/proc/mounts";
    SandboxTest::TearDown();
  }
  std::string h, temp, table, mnt;
};

TEST_F(Drives, ListFromTheMountTable) {
  struct Case {
    INT_U16 n;
    std::string name;  // empty: no such drive
    DRIVE_TYPE type;
  } cases[] = {
      {0, "Home", DRIVE_LINUX},
      {1, "Temp", DRIVE_LINUX},
      {2, "File System", DRIVE_LINUX},
      {3, mnt + "/cd2", DRIVE_CDROM},
      {4, mnt + "/floppy", DRIVE_FLOPPY},
      {5, mnt + "/a", DRIVE_DOS},
      {6, mnt + "/net", DRIVE_NETWORK},
      {7, mnt + "/with space", DRIVE_WINDOWS},
      {8, h + "/inner", DRIVE_LINUX},
      {9, mnt + "/mac", DRIVE_MAC},
      {10, mnt + "/os2", DRIVE_OS2},
      {11, mnt + "/unix", DRIVE_UNIX},
      {12, "", DRIVE_DISK},
  };
  EXPECT_EQ(12, count_drives());
  for (const Case& c : cases) {
    const char* name = get_drive_name(c.n);
    EXPECT_EQ(c.name, name ? std::string(name) : std::string()) << c.n;
    EXPECT_EQ(c.type, get_drive_type(c.n)) << c.n;
    FOLDER f(FOLDER::UNSET{});
    strcpy(f.path, "/unchanged");
    EXPECT_EQ(!c.name.empty(), f.set_to_drive(c.n)) << c.n;
    std::string root = c.n == 0 ? h : c.n == 1 ? temp : c.n == 2 ? "/" : c.name.empty() ? "/unchanged" : c.name;
    EXPECT_EQ(root, std::string(f.path)) << c.n;
  }
}

TEST_F(Drives, DriveIndexOfFolders) {
  struct Case {
    std::string path;
    INT_U16 drive;
  } cases[] = {
      {h, 0},
      {h + "/inner/x", 0},  // the home test comes first
      {temp + "/sub", 1},   // the temporary folder lies in no other drive
      {"/usr/share", 2},
      {"", 2},
      {mnt + "/a", 5},
      {mnt + "/a/deep/er", 5},
      {mnt + "/ab", 2},  // a mount point claims whole components only
      {mnt + "/with space/x", 7},
  };
  for (const Case& c : cases) {
    FOLDER f(FOLDER::UNSET{});
    strcpy(f.path, c.path.c_str());
    EXPECT_EQ(c.drive, f.drive_index()) << c.path;
  }
}

TEST_F(Drives, UnreadableTable) {
  mount_table_path = "/nonexistent/mounts";
  EXPECT_EQ(3, count_drives());
  EXPECT_EQ(nullptr, get_drive_name(3));
  EXPECT_STREQ("File System", get_drive_name(2));
  EXPECT_EQ(DRIVE_DISK, get_drive_type(3));
  FOLDER f(FOLDER::UNSET{});
  EXPECT_FALSE(f.set_to_drive(3));
  EXPECT_TRUE(f.set_to_drive(2));
  EXPECT_STREQ("/", f.path);
  strcpy(f.path, (mnt + "/a").c_str());
  EXPECT_EQ(2, f.drive_index());
}

TEST_F(Drives, DisplayNames) {
  struct Case {
    std::string path, name;
  } cases[] = {{h, "Home"}, {h + "/", "Home"}, {temp, "Temp"}, {"", "File System"},
               {"/", "File System"}, {"/usr/lib", "lib"}, {"/usr/lib/", "lib"}, {"plain", "/"}};
  for (const Case& c : cases) {
    FOLDER f(FOLDER::UNSET{});
    strcpy(f.path, c.path.c_str());
    EXPECT_STREQ(c.name.c_str(), f.display_name()) << c.path;
  }
}

}  // namespace
