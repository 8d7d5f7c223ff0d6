// Relative path texts, folder records (bytes written by hand) and unique
// file names with a fixed clock.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "data_device.h"
#include "folder.h"
#include "folder_test_util.h"
#include "test_support.h"

using ft::mkdirs;

namespace {

using Bytes = std::vector<INT_U8>;

class PathTexts : public ft::SandboxTest {
 protected:
  void SetUp() override {
    SandboxTest::SetUp();
    h = ft::home();
    mount_table_path = "/nonexistent/mounts";
    app.set("$APP");
  }
  void TearDown() override {
    mount_table_path = "/proc/mounts";
    unique_name_clock = nullptr;
    SandboxTest::TearDown();
  }
  std::string form(const FOLDER& f) {
    char out[FOLDER_PATH_SIZE];
    f.to_variable_form(out);
    return out;
  }
  Bytes record(const std::string& text, INT_U8 id = 255) {
    Bytes b(1 + FOLDER_PATH_SIZE, 0);
    b[0] = id;
    std::copy(text.begin(), text.end(), b.begin() + 1);
    return b;
  }
  std::string h;
  FOLDER app{FOLDER::UNSET{}};
};

TEST_F(PathTexts, RelativeTexts) {
  mkdirs(h + "/a/b/c/d");
  mkdirs(h + "/a/b/x");
  struct Case {
    std::string base, folder, text;
  } cases[] = {
      {"/a/b", "/a/b/c/d", "$HERE/c/d/"},
      {"/a/b/x", "/a/b/c", "$HERE/../c/"},
      {"/a/b/x", "/a/b", "$HERE/.."},
      {"/a/b", "/a/b", "$HERE"},
      {"/a/b/c/d", "/a/b/x", "$HERE/../../x/"},
  };
  for (const Case& c : cases) {
    FOLDER base = ft::at(h + c.base), folder = ft::at(h + c.folder);
    char out[FOLDER_PATH_SIZE];
    FOLDER::get_relative_path_text(&base, &folder, out);
    EXPECT_STREQ(c.text.c_str(), out) << c.base << " " << c.folder;
    folder.get_path_text(out, &base);
    EXPECT_STREQ(c.text.c_str(), out);
    // Read back with the base as here-folder.
    FOLDER back(FOLDER::UNSET{});
    EXPECT_TRUE(back.set(out, 0, &base)) << out;
    EXPECT_STREQ(folder.path, back.path);
  }
  // Different drives: the variable form.
  FOLDER base = ft::at(h + "/a"), other = ft::at("/usr");
  char out[FOLDER_PATH_SIZE];
  FOLDER::get_relative_path_text(&base, &other, out);
  EXPECT_STREQ("$ROOT2/usr", out);
  other.get_path_text(out, nullptr);
  EXPECT_STREQ("$ROOT2/usr", out);
  EXPECT_EQ("$ROOT0/a/b/c", form(ft::at(h + "/a/b/c")));
  EXPECT_EQ("$APP", form(app));
}

TEST_F(PathTexts, RecordBytes) {
  mkdirs(h + "/x");
  MEMORY_DEVICE dev;
  FOLDER f = ft::at(h + "/x");
  ASSERT_TRUE(f.put_to_data_device(&dev));
  EXPECT_EQ(record("$ROOT0/x"), dev.bytes);
  EXPECT_EQ(0, dev.error_flag);
  // A device that takes only part of the field: the record failed.
  MEMORY_DEVICE small;
  small.write_limit = 100;
  EXPECT_FALSE(f.put_to_data_device(&small));
  EXPECT_EQ(1, small.error_flag);
}

TEST_F(PathTexts, RecordsRead) {
  mkdirs(h + "/x");
  std::string long_text = "$ROOT0/" + std::string(FOLDER_PATH_SIZE, 'a');
  Bytes whole = record("$ROOT0/x");
  Bytes cut(whole.begin(), whole.begin() + 100);
  struct Case {
    const char* what;
    Bytes bytes;
    bool ok;
    std::string path;  // "$APP": the application folder
  } cases[] = {
      {"variable form", record("$ROOT0/x"), true, h + "/x"},
      {"deepest existing", record("$ROOT0/x/gone/more"), true, h + "/x"},
      {"native existing", record(h + "/x", 1), true, h + "/x"},
      {"native missing", record(h + "/none", 1), true, "$APP"},
      {"native relative", record("x", 1), true, "$APP"},
      {"foreign platform", record(h + "/x", 7), true, "$APP"},
      {"unknown variable", record("$NOPE/x"), true, "$APP"},
      {"no terminator", record(long_text.substr(0, FOLDER_PATH_SIZE)), true, h},
      {"cut short", cut, false, "/start"},
      {"empty", Bytes{}, false, "/start"},
  };
  for (const Case& c : cases) {
    MEMORY_DEVICE dev(c.bytes);
    FOLDER f(FOLDER::UNSET{});
    strcpy(f.path, "/start");
    EXPECT_EQ(c.ok, f.get_from_data_device(&dev)) << c.what;
    EXPECT_STREQ(c.path == "$APP" ? app.path : c.path.c_str(), f.path) << c.what;
  }
}

TEST_F(PathTexts, RecordRoundTripThroughAnotherInstallation) {
  // Written below $APPDATA, read where $APPDATA is another folder.
  FOLDER data(FOLDER::UNSET{});
  data.set("$TEMP");
  mkdirs(std::string(data.path) + "/sub");
  ASSERT_TRUE(data.set("$TEMP/sub"));
  MEMORY_DEVICE dev;
  ASSERT_TRUE(data.put_to_data_device(&dev));
  EXPECT_EQ(record("$TEMP/sub"), dev.bytes);
  shared_temp_root = box.c_str();
  mkdirs(box + "/test_core_path_texts/sub");
  chmod((box + "/test_core_path_texts").c_str(), 0700);
  dev.position = 0;
  FOLDER back(FOLDER::UNSET{});
  ASSERT_TRUE(back.get_from_data_device(&dev));
  EXPECT_EQ(box + "/test_core_path_texts/sub", std::string(back.path));
}

INT_U32 fixed_clock() { return 0x1234ABCDu; }
INT_U32 wrapping_clock() { return 0xFFFFFFFFu; }

TEST_F(PathTexts, UniqueFileNames) {
  std::string dir = zt::make_temp_dir("u");
  FOLDER f = ft::at(dir);
  unique_name_clock = fixed_clock;
  char out[32];
  ASSERT_TRUE(f.unique_file_name(out, sizeof out, ".tmp"));
  EXPECT_STREQ("1234ABCD.tmp", out);
  EXPECT_TRUE(zt::file_exists(dir + "/1234ABCD.tmp")) << "the name is reserved";
  ASSERT_TRUE(f.unique_file_name(out, sizeof out, ".tmp"));
  EXPECT_STREQ("1234ABCE.tmp", out);
  // A planted link and a folder are passed over; the link is not followed.
  std::string target = dir + "/target";
  ASSERT_EQ(0, symlink(target.c_str(), (dir + "/1234ABCF.tmp").c_str()));
  mkdirs(dir + "/1234ABD0.tmp");
  ASSERT_TRUE(f.unique_file_name(out, sizeof out, ".tmp"));
  EXPECT_STREQ("1234ABD1.tmp", out);
  EXPECT_FALSE(zt::file_exists(target));
  // Eight digits, the suffix and the terminator must fit.
  EXPECT_FALSE(f.unique_file_name(out, 16, "12345678"));
  EXPECT_TRUE(f.unique_file_name(out, 17, "12345678"));
  EXPECT_FALSE(f.unique_file_name(nullptr, 17, ".x"));
  EXPECT_FALSE(f.unique_file_name(out, 17, nullptr));
  EXPECT_FALSE(f.unique_file_name(out, 17, "/x"));
  unique_name_clock = wrapping_clock;
  ASSERT_TRUE(f.unique_file_name(out, sizeof out, ".w"));
  ASSERT_TRUE(f.unique_file_name(out, sizeof out, ".w"));
  EXPECT_STREQ("00000000.w", out);
  FOLDER none(FOLDER::UNSET{});
  strcpy(none.path, (dir + "/missing").c_str());
  EXPECT_FALSE(none.unique_file_name(out, sizeof out, ".tmp"));
}

}  // namespace
