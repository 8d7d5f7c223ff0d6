// Typing in the installer program as a fast typist does, on a private Xvfb
// with the demonstration package: keys typed on a page without an edit box
// never turn up in the folder browser's New Folder box pages later, and a
// long name typed there with no delay between keys makes the folder of
// exactly that name.
#include <sys/stat.h>

#include "wm_file_select.h"
#include "wm_menu.h"
#include "wm_text_edit.h"
#include "wm_text_edit_dialog.h"
#include "x_program.h"

using namespace xi;

namespace {

bool is_folder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class TypingX : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (!HasFatalFailure()) load_demo_package();
  }
};

}  // namespace

TEST_F(TypingX, KeysFromEarlierPagesStayOutOfTheNewFolderBoxAndFastTypingArrivesWhole) {
  const std::string home = getenv("HOME");
  program.reset(new ProgramRun(installer_e2e_path(), {"-a", "-x", "$ROOT2" + folder + "/installer.xml"}));
  DATABASE& d = installer_database;
  d.automatic = 1;
  d.current_page = INSTALL_PAGE_START;
  const INT_S32 first = d.next_page();
  window = wait_for_window(*probe, mirror.text(TEXT_APPLICATION_TITLE));
  ASSERT_NE(window, 0u) << program->err();
  expect_page(first);
  // Typed where no box takes it.
  ASSERT_TRUE(zt::xdotool("windowfocus --sync " + std::to_string(window)));
  ASSERT_TRUE(zt::xdotool("type --delay 0 hello"));
  walk_to(first, INSTALL_PAGE_TARGET);
  if (HasFatalFailure()) return;
  if (!target_path_button->enabled) {
    WM_SCREEN_OBJECT* box = install_grid->get_cell(1, 2);
    ASSERT_TRUE(box);
    ASSERT_TRUE(click(window, box->x + 8, box->y + box->height / 2));
    send(box);
    redraw_mirror();
  }
  ASSERT_TRUE(target_path_button->enabled);
  ASSERT_TRUE(zt::xdotool("type --delay 0 world"));

  const Rect browse = rect_of(browse_button);
  ASSERT_TRUE(click(window, browse.cx(), browse.cy()));
  send(browse_button);
  settle_mirror();
  auto* s = dynamic_cast<WM_FILE_SELECT*>(find_popup(WM_KIND_FILE_SELECT));
  ASSERT_TRUE(s);
  ASSERT_TRUE(wait_for_match(*probe, window, mirror, rect_of(s->ok_button)));
  s->folder.set_if_directory(home.c_str());  // where the program's stands
  s->refresh_needed = 1;
  settle_mirror();
  ASSERT_TRUE(zt::xdotool("type --delay 0 browser"));
  press(s->new_folder_button);
  auto* entry = dynamic_cast<WM_TEXT_EDIT_DIALOG*>(find_popup(WM_KIND_TEXT_EDIT_DIALOG));
  ASSERT_TRUE(entry);
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(entry->ok_button)));

  // 200 characters into the box, which took the focus as the dialog opened.
  std::string name;
  const std::string piece = "Quick-brown_fox.jumps over the lazy dog 0123456789 ";
  while (name.size() < 200) name += piece;
  name.resize(200);
  name.back() = 'Z';
  ASSERT_TRUE(zt::xdotool("type --delay 0 '" + name + "'"));
  entry->edit_box->set_text(name.c_str());
  settle_mirror();
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(entry->edit_box)));
  screenshot(window, "typed");
  // OK in the program alone: the mirror's own selector would make the folder
  // in the same home.
  const Rect ok = rect_of(entry->ok_button);
  ASSERT_TRUE(click(window, ok.cx(), ok.cy()));
  bool made = false;
  for (int waited = 0; waited < 5000 && !made; waited += 50) {
    made = is_folder(home + "/" + name);
    if (!made) usleep(50000);
  }
  std::string listing;
  zt::sh("ls -a \"$HOME\"", &listing);
  EXPECT_TRUE(made) << listing;
  for (const char* early : {"hello", "world", "browser"})
    EXPECT_EQ(listing.find(early), std::string::npos) << listing;
  EXPECT_TRUE(program->running()) << program->err();
}
