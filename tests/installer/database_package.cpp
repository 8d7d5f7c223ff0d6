// Opening the installer package: the outcomes table, fonts, default folders,
// shortcut flags and the file selector's icons.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "data_file.h"
#include "database.h"
#include "database_bytes.h"
#include "fonts.h"
#include "package.h"
#include "test_support.h"
#include "wm_widget_globals.h"

namespace {

struct PackageContent {
  DATABASE* record = nullptr;  // null: no "database.bin"
  std::vector<int> fonts;      // built-in fonts to carry
  std::vector<int> damaged_fonts;
};

// Writes "installer.pkg" into a new folder and returns the folder.
std::string make_package(const PackageContent& content) {
  const std::string dir = zt::make_temp_dir("cfg");
  const std::string work = zt::make_temp_dir("work");
  FOLDER out, scratch, fonts;
  EXPECT_TRUE(out.set_if_directory(dir.c_str()));
  EXPECT_TRUE(scratch.set_if_directory(work.c_str()));
  EXPECT_TRUE(fonts.set_if_directory(BUILTIN_FONT_SOURCE_FOLDER));
  PACKAGE package(&out, "installer.pkg", 1, 1024, 0);
  if (content.record) {
    DATA_FILE* file = open_data_file(&scratch, "database.bin", DATA_FILE_WRITE, DATA_FILE_HEADER, 0);
    EXPECT_NE(file, nullptr);
    EXPECT_TRUE(content.record->put_to_data_device(file));
    EXPECT_TRUE(close_data_file_checked(&file));
    EXPECT_TRUE(package.store_file(&scratch, "database.bin"));
  }
  for (int i : content.fonts)
    EXPECT_TRUE(package.store_file(&fonts, get_builtin_font_source(static_cast<INT_U8>(i)),
                                   get_builtin_font_file(static_cast<INT_U8>(i))));
  zt::write_text(work + "/bad.ttf", "this is no font at all");
  for (int i : content.damaged_fonts)
    EXPECT_TRUE(package.store_file(&scratch, "bad.ttf", get_builtin_font_file(static_cast<INT_U8>(i))));
  return dir;
}

class DatabasePackage : public ::testing::Test {
 protected:
  void SetUp() override {
    database_system_info_reader = dbt::quiet_system_info;
    font_preload = 0;
    init_fonts();
  }
  void TearDown() override { shutdown_fonts(); }

  // A record with one item per default folder.
  static void fill_items(DATABASE& db, const std::vector<std::string>& folders) {
    dbt::RecordContents spec;
    spec.items.clear();
    for (const std::string& f : folders) {
      dbt::RecordContents::Item item;
      item.default_folder = f;
      spec.items.push_back(item);
    }
    dbt::fill(db, spec);
  }

  static bool open(DATABASE& db, const std::string& dir) {
    db.config_folder.set_if_directory(dir.c_str());
    return db.open_package();
  }
};

TEST_F(DatabasePackage, NoPackage) {
  const std::string dir = zt::make_temp_dir("empty");
  DATABASE db;
  EXPECT_FALSE(open(db, dir));
  EXPECT_EQ(db.package, nullptr);
  EXPECT_FALSE(zt::file_exists(dir + "/installer.pkg"));
}

TEST_F(DatabasePackage, AFileThatIsNoPackageStaysAsItWas) {
  const std::string dir = zt::make_temp_dir("cfg");
  const std::string junk(5000, 'j');
  zt::write_text(dir + "/installer.pkg", junk);
  DATABASE db;
  EXPECT_FALSE(open(db, dir));
  EXPECT_EQ(zt::read_text(dir + "/installer.pkg"), junk);
  EXPECT_EQ(db.item_count, 0);
}

TEST_F(DatabasePackage, NoDatabaseEntryLeavesTheDefaultsEvenAfterAGoodPackage) {
  DATABASE source;
  fill_items(source, {"$ROOT0/good"});
  const std::string good = make_package({&source, {0}, {}});
  const std::string bad = make_package({nullptr, {1}, {}});
  DATABASE db;
  ASSERT_TRUE(open(db, good));
  EXPECT_EQ(db.item_count, 1);
  EXPECT_EQ(db.window_width, 800);
  EXPECT_TRUE(is_font_loaded(0));

  EXPECT_FALSE(open(db, bad));
  ASSERT_NE(db.package, nullptr);
  EXPECT_NE(db.package->file, nullptr);
  EXPECT_FALSE(is_font_loaded(1));
  EXPECT_EQ(db.item_count, 0);
  EXPECT_EQ(db.language_count, 0);
  EXPECT_EQ(db.window_width, 300);
  EXPECT_STREQ(db.target_folder, "$ROOT0");
}

// A package in `dir` whose "database.bin" is a record one byte short.
void write_cut_record_package(const std::string& dir) {
  const std::string work = zt::make_temp_dir("work");
  const dbt::Bytes record = dbt::record(dbt::RecordContents());
  zt::write_bytes(work + "/database.bin", dbt::Bytes(record.begin(), record.end() - 1));
  FOLDER out, scratch;
  out.set_if_directory(dir.c_str());
  scratch.set_if_directory(work.c_str());
  PACKAGE package(&out, "installer.pkg", 1, 1024, 0);
  ASSERT_TRUE(package.store_file(&scratch, "database.bin"));
}

TEST_F(DatabasePackage, AnIncompleteRecordFails) {
  const std::string dir = zt::make_temp_dir("cfg");
  ASSERT_NO_FATAL_FAILURE(write_cut_record_package(dir));
  DATABASE db;
  EXPECT_FALSE(open(db, dir));
  EXPECT_NE(db.package, nullptr);
  EXPECT_FALSE(is_font_loaded(0));
}

// The one line the start-up prints without installation data: the package's
// path and why it gave none.
TEST_F(DatabasePackage, AFailureSaysWhichPackageAndWhy) {
  DATABASE source;
  fill_items(source, {"$ROOT0/x"});
  const std::string good = make_package({&source, {}, {}});
  const std::string no_record = make_package({nullptr, {}, {}});
  const std::string missing = zt::make_temp_dir("missing"), folder = zt::make_temp_dir("folder"),
                    empty = zt::make_temp_dir("empty"), junk = zt::make_temp_dir("junk"),
                    cut = zt::make_temp_dir("cut");
  ASSERT_EQ(mkdir((folder + "/installer.pkg").c_str(), 0755), 0);
  zt::write_text(empty + "/installer.pkg", "");
  zt::write_text(junk + "/installer.pkg", std::string(5000, 'j'));
  ASSERT_NO_FATAL_FAILURE(write_cut_record_package(cut));
  struct Case {
    std::string dir, why;
  } cases[] = {
      {missing, "No such file or directory"},
      {folder, "it is a folder"},
      {empty, "Error: Unable to read from file installer.pkg."},
      {junk, "Error: installer.pkg does not appear to be a package file."},
      {no_record, "it holds no \"database.bin\""},
      {cut, "its \"database.bin\" is damaged or cut short"},
      {good, ""},
  };
  DATABASE db;
  for (const Case& c : cases) {
    const bool opened = open(db, c.dir);
    EXPECT_EQ(opened, c.why.empty()) << c.dir;
    EXPECT_EQ(std::string(db.package_problem), c.why.empty() ? "" : c.dir + "/installer.pkg: " + c.why);
  }
}

TEST_F(DatabasePackage, FontsFillOnlyEmptySlotsSkipDamagedOnesAndLeaveNoFiles) {
  DATABASE source;
  fill_items(source, {"$ROOT0/x"});
  const std::string dir = make_package({&source, {0, 1, 2, 18}, {3}});
  // Slot 0 already holds a font of the program's own.
  FOLDER system_fonts;
  ASSERT_TRUE(system_fonts.set_if_directory(zt::make_temp_dir("fontdata").c_str()));
  FOLDER dejavu;
  dejavu.set_if_directory(BUILTIN_FONT_SOURCE_FOLDER);
  ASSERT_TRUE(copy_file(&dejavu, get_builtin_font_source(0), &system_fonts, get_builtin_font_file(0)));
  ASSERT_EQ(load_font(get_builtin_font_file(0), "Mine", 0, &system_fonts), 0);

  DATABASE db;
  ASSERT_TRUE(open(db, dir));
  EXPECT_STREQ(get_font_slot(0)->name, "Mine");
  for (int i : {1, 2, 18}) {
    ASSERT_TRUE(is_font_loaded(static_cast<INT_S8>(i))) << i;
    EXPECT_STREQ(get_font_slot(static_cast<INT_S8>(i))->name,
                 get_builtin_font_family(static_cast<INT_U8>(i)));
  }
  EXPECT_FALSE(is_font_loaded(3));  // the damaged entry was skipped
  EXPECT_FALSE(is_font_loaded(4));  // missing

  // Neither "$TEMP" nor the private folder keeps a font file.
  FOLDER temp, mine;
  temp.set("$TEMP");
  ASSERT_TRUE(get_private_temp_folder(&mine));
  for (const FOLDER* f : {&temp, &mine})
    for (INT_U8 i = 0; i < BUILTIN_FONT_COUNT; i++)
      EXPECT_FALSE(zt::file_exists(std::string(f->path) + "/" + get_builtin_font_file(i)))
          << f->path << " " << get_builtin_font_file(i);
  remove_private_temp_folder();
}

TEST_F(DatabasePackage, NoItems) {
  DATABASE source;
  fill_items(source, {});
  const std::string dir = make_package({&source, {}, {}});
  DATABASE db;
  ASSERT_TRUE(open(db, dir));
  EXPECT_EQ(db.item_count, 0);
  EXPECT_STREQ(db.target_folder, "$ROOT0");
}

TEST_F(DatabasePackage, UnusableDefaultFoldersBecomeAFolderInTheHome) {
  DATABASE source;
  fill_items(source, {"", "$NOPE/x", "/opt/x", "demo", "$ROOT0/ok", "$APP/$work"});
  const std::string dir = make_package({&source, {}, {}});
  DATABASE db;
  ASSERT_TRUE(open(db, dir));
  ASSERT_EQ(db.item_count, 6);
  for (int i = 0; i < 4; i++) EXPECT_STREQ(db.items[i].default_folder, "$ROOT0/demo") << i;
  EXPECT_STREQ(db.items[4].default_folder, "$ROOT0/ok");
  EXPECT_STREQ(db.items[5].default_folder, "$APP/$work");
  EXPECT_STREQ(db.target_folder, "$ROOT0/demo");

  // The reader itself keeps the stored texts.
  MEMORY_DEVICE m;
  ASSERT_TRUE(source.put_to_data_device(&m));
  m.position = 0;
  DATABASE plain;
  ASSERT_TRUE(plain.get_from_data_device(&m));
  EXPECT_STREQ(plain.items[1].default_folder, "$NOPE/x");
}

// The folder is named after the application only when that name is one plain
// folder name that fits.
TEST_F(DatabasePackage, TheFallbackFolderIsNamedAfterTheApplication) {
  const std::string longest(DATABASE_TEXT_SIZE - 1 - 7, 'n'), too_long(DATABASE_TEXT_SIZE - 7, 'n');
  struct Case {
    std::string application_name, expected;
  } cases[] = {
      {"zorv-demo", "$ROOT0/zorv-demo"},
      {"Zorv Demo 2", "$ROOT0/Zorv Demo 2"},
      {"$HOME", "$ROOT0/$HOME"},  // a later '$' segment is a folder name
      {"..x", "$ROOT0/..x"},
      {longest, "$ROOT0/" + longest},
      {"", "$ROOT0/installation"},
      {".", "$ROOT0/installation"},
      {"..", "$ROOT0/installation"},
      {"a/b", "$ROOT0/installation"},
      {"/", "$ROOT0/installation"},
      {"new\nline", "$ROOT0/installation"},
      {"tab\t", "$ROOT0/installation"},
      {"del\x7F", "$ROOT0/installation"},
      {too_long, "$ROOT0/installation"},
  };
  for (const Case& c : cases) {
    DATABASE source;
    fill_items(source, {"", "$ROOT0/kept"});
    dbt::set_text(source.application_name, c.application_name);
    const std::string dir = make_package({&source, {}, {}});
    DATABASE db;
    ASSERT_TRUE(open(db, dir)) << c.application_name;
    EXPECT_EQ(std::string(db.items[0].default_folder), c.expected) << c.application_name;
    EXPECT_EQ(std::string(db.target_folder), c.expected) << c.application_name;
    EXPECT_STREQ(db.items[1].default_folder, "$ROOT0/kept");
    EXPECT_TRUE(is_usable_path_text(db.items[0].default_folder)) << c.application_name;
  }
}

TEST_F(DatabasePackage, ShortcutFlagsBufferSizePageAndFileSelectorIcons) {
  DATABASE source;
  fill_items(source, {"$ROOT0/a", "$ROOT0/b", "$ROOT0/c"});
  source.file_buffer_size = 4096;
  struct {
    int item;
    INT_U8 platform;
    const char* section;
  } shortcuts[] = {{0, PLATFORM_MACOSX, ""}, {1, PLATFORM_ANY, ""}, {2, PLATFORM_LINUX_I86, "Utility"},
                   {2, PLATFORM_WIN32, ""}};
  for (INT_S16 i = 0; i < 3; i++) {
    source.items[i].shortcuts = static_cast<INSTALL_SHORTCUT*>(calloc(2, sizeof(INSTALL_SHORTCUT)));
    for (const auto& s : shortcuts)
      if (s.item == i) {
        INSTALL_SHORTCUT& sc = source.items[i].shortcuts[source.items[i].shortcut_count++];
        sc.platform = s.platform;
        dbt::set_text(sc.menu_section, s.section);
      }
  }
  source.icons[ICON_FIRST_DRIVE].create(3, 3);
  source.icons[ICON_FIRST_DRIVE].pixels[0] = 0xFF010203;
  source.icons[ICON_FIRST_DRIVE + 1].create(-1, -1);  // an empty "disk-cdrom"
  source.icons[ICON_PARENT_FOLDER].create(4, 1);
  source.icons[ICON_FOLDER].create(2, 1);
  const std::string dir = make_package({&source, {}, {}});

  DATABASE db;
  ASSERT_TRUE(open(db, dir));
  EXPECT_EQ(db.items[0].has_desktop_shortcuts, 0);
  EXPECT_EQ(db.items[0].has_menu_entries, 0);
  EXPECT_EQ(db.items[1].has_desktop_shortcuts, 1);
  EXPECT_EQ(db.items[1].has_menu_entries, 0);
  EXPECT_EQ(db.items[2].has_desktop_shortcuts, 0);
  EXPECT_EQ(db.items[2].has_menu_entries, 1);
  EXPECT_EQ(data_file_default_buffer_size, 4096);
  EXPECT_EQ(db.current_page, INSTALL_PAGE_ITEM);  // one language, no licence, three items
  EXPECT_STREQ(db.target_folder, "$ROOT0/a");

  ASSERT_EQ(wm_drive_icons[0].width, 3);
  EXPECT_EQ(wm_drive_icons[0].pixels[0], 0xFF010203u);
  EXPECT_EQ(wm_drive_icons[1].width, 0);
  EXPECT_EQ(wm_parent_folder_icon.width, 4);
  EXPECT_EQ(wm_file_icon.width, 0);
  EXPECT_EQ(wm_folder_icon.width, 2);
}

}  // namespace
