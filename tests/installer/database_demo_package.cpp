// The demonstration package: its entries, its database read back through the
// installer's own loading, its variants, and identical bytes on every run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "data_file.h"
#include "database.h"
#include "database_bytes.h"
#include "fonts.h"
#include "package.h"
#include "test_support.h"

namespace {

const std::string kTool = std::string(ZORV_BUILD_DIR) + "/make_demo_package";
const std::string kPkgtool = std::string(ZORV_BUILD_DIR) + "/pkgtool";

// Runs the program with the arguments given, in `cwd` when one is named.
zt::ChildResult run_program(const std::vector<std::string>& args, const std::string& cwd = "") {
  return zt::run_in_child([args, cwd] {
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  });
}

std::string make(const std::vector<std::string>& options = {}) {
  const std::string dir = zt::make_temp_dir("demo") + "/out";  // made by the tool
  std::vector<std::string> args = {kTool, dir};
  args.insert(args.end(), options.begin(), options.end());
  const zt::ChildResult r = run_program(args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  return dir;
}

class DemoPackage : public ::testing::Test {
 protected:
  void SetUp() override { database_system_info_reader = dbt::quiet_system_info; }
};

TEST_F(DemoPackage, ListsTheDatabaseFontsDocumentsAndPayload) {
  const std::string dir = make();
  const zt::ChildResult r = run_program({kPkgtool, "list", dir + "/installer.pkg"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> names;
  std::vector<unsigned long> sizes;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    const size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    sizes.push_back(std::stoul(line.substr(0, tab)));
    names.push_back(line.substr(tab + 1));
  }
  std::vector<std::string> expected = {"database.bin"};
  for (INT_U8 i = 0; i < BUILTIN_FONT_COUNT; i++) expected.push_back(get_builtin_font_file(i));
  for (const char* n : {"licence-0", "readme-0", "licence-1", "readme-1", "licence-2", "readme-2",
                        "payload/zorv-demo.sh",
                        "payload/notes.txt", "payload/data.bin", "payload/empty.txt",
                        "payload/zorv-demo-mac", "payload/zorv-demo.png"})
    expected.push_back(n);
  ASSERT_EQ(names, expected);
  for (INT_U8 i = 0; i < BUILTIN_FONT_COUNT; i++) {
    struct stat st;
    ASSERT_EQ(stat((std::string(BUILTIN_FONT_SOURCE_FOLDER) + "/" + get_builtin_font_source(i)).c_str(), &st), 0);
    EXPECT_EQ(sizes[1 + i], static_cast<unsigned long>(st.st_size)) << names[1 + i];
  }
  EXPECT_EQ(sizes[1 + BUILTIN_FONT_COUNT + 6], 43u);       // the script
  EXPECT_EQ(sizes[1 + BUILTIN_FONT_COUNT + 8], 1300000u);  // the data
  EXPECT_EQ(sizes[1 + BUILTIN_FONT_COUNT + 9], 0u);        // the empty file
}

TEST_F(DemoPackage, ReadsBackAsBuilt) {
  const std::string dir = make();
  DATABASE db;
  ASSERT_TRUE(db.config_folder.set_if_directory(dir.c_str()));
  ASSERT_TRUE(db.open_package());
  EXPECT_EQ(db.window_width, 800);
  EXPECT_EQ(db.window_height, 600);
  // The dialog in the middle of the window.
  EXPECT_EQ(db.dialog_width, 700);
  EXPECT_EQ(db.dialog_height, 460);
  EXPECT_EQ(db.dialog_x, 50);
  EXPECT_EQ(db.dialog_y, 70);
  EXPECT_EQ(db.dialog_gap, 10);
  EXPECT_EQ(db.animation_period, 0);
  EXPECT_EQ(db.background.width, 800);
  EXPECT_EQ(db.background.height, 600);
  // Every box is a pop-up centred over the dialog, the browser at least its
  // own default size.
  for (const BOX_LAYOUT* box : {&db.quit_box, &db.error_box, &db.browser_box, &db.about_box}) {
    EXPECT_EQ(box->x, -1);
    EXPECT_EQ(box->y, -1);
  }
  EXPECT_GE(db.browser_box.width, 500);
  EXPECT_GE(db.browser_box.height, 350);
  // The buttons' icons, the browser's new-folder button's among them.
  for (int i = 0; i < DATABASE_ICON_COUNT; i++) EXPECT_EQ(db.icons[i].width > 0, i <= ICON_NEW_FOLDER) << i;
  EXPECT_EQ(wm_dialog_effects.flags & 0xFFFF, 0u);
  EXPECT_EQ(wm_dialog_effects.open_delay, 0u);
  EXPECT_EQ(wm_dialog_effects.dragging_alpha & 0xFF, 255u);
  EXPECT_STREQ(db.application_name, "zorv-demo");
  EXPECT_STREQ(db.default_language, "English");
  ASSERT_EQ(db.language_count, 3);
  const char* names[] = {"English", "Deutsch", "Fran\xE7" "ais"};
  for (int l = 0; l < 3; l++) {
    EXPECT_STREQ(db.languages[l].text(TEXT_LANGUAGE_NAME), names[l]);
    EXPECT_EQ(db.languages[l].readme_lines, 200);
    for (int n = 0; n < LANGUAGE_TEXT_COUNT; n++) EXPECT_NE(db.languages[l].text(n)[0], 0) << l << " " << n;
  }
  EXPECT_EQ(db.current_language, 0);
  EXPECT_EQ(db.current_page, INSTALL_PAGE_LANGUAGE);
  ASSERT_EQ(db.item_count, 2);
  EXPECT_STREQ(db.items[0].name, "Demo");
  EXPECT_STREQ(db.items[1].name, "Documents only");
  EXPECT_STREQ(db.languages[1].item_names[1], "Nur Dokumente");
  EXPECT_STREQ(db.target_folder, "$ROOT0/zorv-demo");
  EXPECT_STREQ(db.items[1].default_folder, "$ROOT0/zorv-demo-docs");
  const INSTALL_ITEM& demo = db.items[0];
  EXPECT_EQ(demo.has_desktop_shortcuts, 1);
  EXPECT_EQ(demo.has_menu_entries, 1);
  ASSERT_EQ(demo.shortcut_count, 4);
  EXPECT_EQ(demo.shortcuts[2].kind, SHORTCUT_WEB_LINK);
  EXPECT_EQ(demo.shortcuts[3].platform, PLATFORM_MACOSX);
  for (int s = 0; s < demo.shortcut_count; s++)
    for (const char* text : {demo.shortcuts[s].target, demo.shortcuts[s].arguments})
      EXPECT_EQ(std::string(text).find_first_of("%$\"'`"), std::string::npos) << text;
  ASSERT_GE(demo.file_count, 6);
  int platform_one = 0, unpacked = 0;
  for (int f = 0; f < demo.file_count; f++) {
    const INSTALL_FILE& file = demo.files[f];
    EXPECT_EQ(std::string(file.folder).rfind("$APP", 0), 0u) << file.folder;
    if (file.platform == PLATFORM_LINUX_I86) platform_one++;
    if (!file.package_entry[0]) unpacked++;
    if (file.package_entry[0] && file.platform <= PLATFORM_LINUX_I86) {
      EXPECT_TRUE(DATABASE::has_document(db.package, file.package_entry)) << file.package_entry;
    }
  }
  EXPECT_EQ(platform_one, 1);
  EXPECT_EQ(unpacked, 1);
  EXPECT_EQ(db.items[1].shortcut_count, 0);
  for (const char* doc : {"licence-0", "licence-1", "licence-2", "readme-0", "readme-1", "readme-2"})
    EXPECT_TRUE(DATABASE::has_document(db.package, doc)) << doc;

  // The record written again is the entry's bytes.
  FOLDER out;
  out.set_if_directory(zt::make_temp_dir("x").c_str());
  ASSERT_TRUE(db.package->extract(&out, "database.bin"));
  const dbt::Bytes entry = zt::read_bytes(std::string(out.path) + "/database.bin");
  ASSERT_FALSE(entry.empty());
  EXPECT_EQ(entry[0], 0);
  EXPECT_EQ(entry[1], 7);
  MEMORY_DEVICE again;
  again.bytes.push_back(0);
  again.position = 1;
  ASSERT_TRUE(db.put_to_data_device(&again));
  EXPECT_EQ(again.bytes, entry);
}

TEST_F(DemoPackage, TwoRunsGiveIdenticalBytes) {
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{}, {"--variant", "hostile"}, {"--block-size", "4096"}}) {
    const std::string a = make(options), b = make(options);
    const dbt::Bytes first = zt::read_bytes(a + "/installer.pkg");
    EXPECT_GT(first.size(), 1300000u);
    EXPECT_EQ(first, zt::read_bytes(b + "/installer.pkg"));
  }
}

TEST_F(DemoPackage, Variants) {
  DATABASE db;
  ASSERT_TRUE(db.config_folder.set_if_directory(make({"--variant", "missing-entry"}).c_str()));
  ASSERT_TRUE(db.open_package());
  EXPECT_FALSE(DATABASE::has_document(db.package, "payload/notes.txt"));
  EXPECT_TRUE(DATABASE::has_document(db.package, "payload/data.bin"));

  ASSERT_TRUE(db.config_folder.set_if_directory(make({"--variant", "hostile"}).c_str()));
  ASSERT_TRUE(db.open_package());
  ASSERT_EQ(db.item_count, 5);
  EXPECT_STREQ(db.items[0].default_folder, "$ROOT0/a\"b$(touch PWNED)c`x");
  std::vector<std::string> names, folders;
  for (int f = 0; f < db.items[0].file_count; f++) {
    names.push_back(db.items[0].files[f].name);
    folders.push_back(db.items[0].files[f].folder);
  }
  for (const char* n : {"../escape.txt", "new\nline.txt", "zorv-demo.sh"})
    EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
  for (const char* f : {"$NOPE/x", "$APP/.."})
    EXPECT_NE(std::find(folders.begin(), folders.end(), f), folders.end()) << f;
  // The unusable default folders: stored as they are, a folder named after
  // the application in the home folder once loaded.
  for (int i = 2; i < 5; i++) EXPECT_STREQ(db.items[i].default_folder, "$ROOT0/zorv-demo");
  EXPECT_STREQ(db.languages[0].item_names[3], "Unknown variable");
}

// The big variant shaped: N payload files of the size asked for, listed in
// the item after the demo's own files, each its own entry.
TEST_F(DemoPackage, BigVariantTakesItsFileCountAndSize) {
  const std::string dir = make({"--variant", "big", "--count", "3", "--size", "1000", "--block-size", "256"});
  const zt::ChildResult r = run_program({kPkgtool, "list", dir + "/installer.pkg"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> big;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);)
    if (line.find("\tbig/") != std::string::npos) big.push_back(line);
  EXPECT_EQ(big, (std::vector<std::string>{"1000\tbig/file-0000.bin", "1000\tbig/file-0001.bin",
                                           "1000\tbig/file-0002.bin"}));
  DATABASE db;
  ASSERT_TRUE(db.config_folder.set_if_directory(dir.c_str()));
  ASSERT_TRUE(db.open_package());
  ASSERT_GE(db.items[0].file_count, 3);
  const INSTALL_FILE& last = db.items[0].files[db.items[0].file_count - 1];
  EXPECT_STREQ(last.package_entry, "big/file-0002.bin");
  EXPECT_STREQ(last.folder, "$APP/big");
}

TEST_F(DemoPackage, BadArgumentsGiveOneLineAndNoPackage) {
  const std::string dir = zt::make_temp_dir("bad");
  zt::write_text(dir + "/file", "x");
  const std::vector<std::vector<std::string>> cases = {
      {kTool},
      {kTool, dir + "/a", "--variant", "huge"},
      {kTool, dir + "/a", "--block-size", "0"},
      {kTool, dir + "/a", "--block-size"},
      {kTool, dir + "/file"},
      {kTool, dir + "/a", "--variant", "big", "--count", "0"},
      {kTool, dir + "/a", "--variant", "big", "--count", "30001"},
      {kTool, dir + "/a", "--variant", "big", "--size", "-1"},
      {kTool, dir + "/a", "--variant", "big", "--size", "1k"},
      {kTool, dir + "/a", "--count", "3"},
  };
  for (const auto& args : cases) {
    const zt::ChildResult r = run_program(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("make_demo_package: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_FALSE(zt::file_exists(dir + "/a/installer.pkg"));
}

// What `dir` holds, one name a line.
std::string listing(const std::string& dir) {
  std::string out;
  zt::sh("cd '" + dir + "' && find . -mindepth 1 | LC_ALL=C sort", &out);
  return out;
}

TEST_F(DemoPackage, HelpPrintsTheUsageAndWritesNothing) {
  const std::string dir = zt::make_temp_dir("help");
  for (const std::vector<std::string>& args : {std::vector<std::string>{kTool, "--help"},
                                                std::vector<std::string>{kTool, "out", "--help"},
                                                std::vector<std::string>{kTool, "out", "--variant", "big", "--help"}}) {
    const zt::ChildResult r = run_program(args, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("usage: make_demo_package OUTDIR ", 0), 0u) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    EXPECT_EQ(r.err, "");
  }
  EXPECT_EQ(listing(dir), "");
}

// An argument that begins with '-' and names no option is refused before
// anything is written, wherever it stands.
TEST_F(DemoPackage, UnknownOptionsAreRefusedWithOneLine) {
  const std::string dir = zt::make_temp_dir("unknown");
  const std::vector<std::vector<std::string>> cases = {
      {kTool, "--frob"},
      {kTool, "-h"},
      {kTool, "-"},
      {kTool, "--HELP"},
      {kTool, "out", "--varient", "big"},
      {kTool, "--help=1", "out"},
      {kTool, "out", "--variant", "big", "-x", "1"},
  };
  for (const auto& args : cases) {
    const zt::ChildResult r = run_program(args, dir);
    EXPECT_EQ(r.status, 2) << args[1];
    EXPECT_EQ(r.err.rfind("make_demo_package: unknown option -", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(listing(dir), "");
}

}  // namespace
