// The target path shown on the target page: only a leading variable is
// resolved, later '$' segments are folder names.
#include "install_dialog_env.h"

using namespace inst;

namespace {

std::string native(const char* variable) {
  FOLDER f(FOLDER::UNSET{});
  f.set(variable);
  return f.native_path_text(nullptr);
}

TEST(TargetPathText, OnlyTheLeadingVariableIsResolved) {
  const std::string app = native("$APP");
  const std::string temp = native("$TEMP");
  struct Case {
    const char* text;
    std::string shown;
  } cases[] = {
      {"$ROOT2", "/"},
      {"$ROOT2/opt/demo", "/opt/demo"},
      {"$ROOT2/tmp/$x", "/tmp/$x"},
      {"$ROOT2/$work/$APP/b", "/$work/$APP/b"},
      {"$TEMP/a", temp + "/a"},
      {"$temp/a", temp + "/a"},
      {"$ROOT2//a//b/", "/a/b"},
      {"$ROOT2/a/../b", "/b"},
      {"$ROOT2/..", "/"},
      {"plain/x", app + "/plain/x"},
      {"/abs", app + "/abs"},
      {"", app},
      // Unknown or baseless variables are refused before FOLDER::set; shown,
      // they stand for the program's folder and never end the program.
      {"$NOPE/x", app + "/x"},
      {"$HERE/x", app + "/x"},
  };
  for (const Case& c : cases) EXPECT_EQ(target_path_display_text(c.text), c.shown) << c.text;
}

class TargetPageTest : public InstallerTest {};

TEST_F(TargetPageTest, AFolderNamedWithADollarShowsItsPath) {
  make_database(1, 1);
  const std::string dir = zt::make_temp_dir("target") + "/$x";
  std::snprintf(installer_database.target_folder, sizeof installer_database.target_folder, "$ROOT2%s",
                dir.c_str());
  show_page(INSTALL_PAGE_TARGET);
  ASSERT_TRUE(target_path_button);
  EXPECT_EQ(text_of(target_path_button), dir);
}

}  // namespace
