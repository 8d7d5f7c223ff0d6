// The file selector over a fixture tree in a fresh sub-folder of "$TEMP": the
// listing by mode and extension, row numbers, browsing by rows, ".." and the
// location menu, the OK button, the result, the drives view from a fixture
// mount table and New Folder through the entry dialog.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "clipboard.h"
#include "dialog_test_env.h"
#include "input.h"
#include "wm_button.h"
#include "wm_file_select.h"
#include "wm_floating_menu.h"
#include "wm_grid.h"
#include "wm_image_widget.h"
#include "wm_menu.h"
#include "wm_text_edit.h"
#include "wm_text_edit_dialog.h"
#include "wm_widget_globals.h"

using namespace dgt;

namespace {

INT_S32 record_answer(WM_SCREEN_OBJECT*, INT_WORD arg1, INT_WORD answer) {
  log().push_back("answer" + std::to_string(word_to_s32(answer)) + "/" +
                  std::to_string(word_to_s32(arg1)));
  return 0;
}

class FileSelect : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    screen = make_screen(640, 480, kBackdrop);
    screen->font = static_cast<INT_S8>(kFont);
    screen->font_width = screen->font_height = kFontSize;
    wm_dialog_effects = kNoEffects;
    KEYBOARD::resize_queue(10);
    ASSERT_TRUE(temp.set("$TEMP", 1));  // made for the fixture written into it
    fixture_name = "fsel_" + std::to_string(getpid());
    fixture = temp;
    ASSERT_TRUE(fixture.enter(fixture_name.c_str(), 1));
    for (const char* d : {".h", "a", "b"}) ASSERT_TRUE(FOLDER(fixture).enter(d, 1));
    for (const char* f : {"x.txt", "Y.TXT", "z.dat"}) std::ofstream(path(f)) << "12345";
  }
  void TearDown() override {
    temp.remove_folder(fixture_name.c_str(), 1);
    DialogTest::TearDown();
  }
  std::string path(const std::string& name) const {
    return std::string(fixture.path) + "/" + name;
  }
  WM_FILE_SELECT* make(INT_U8 mode, const FOLDER* start, const char* name, const char* ext,
                       INT_U8 hidden = 0) {
    root();
    WM_FILE_SELECT* s = new WM_FILE_SELECT(0, 0, 1, record_answer, 9, nullptr, nullptr, nullptr);
    s->show_hidden = hidden;
    s->set_mode(mode, start, name, ext);
    open(s);
    frames(2);
    return s;
  }
  static std::string row_text(WM_FILE_SELECT* s, INT_S16 row) {
    WM_SCREEN_OBJECT* c = s->list->get_cell(1, row);
    return c && (c->kind & WM_KIND_BUTTON) ? static_cast<WM_BUTTON*>(c)->text : "";
  }
  static std::string rows(WM_FILE_SELECT* s) {
    std::string out;
    for (INT_S16 r = 0; r < s->list->row_count; ++r) out += (r ? " " : "") + row_text(s, r);
    return out;
  }
  void click(WM_SCREEN_OBJECT* o) {
    ASSERT_NE(o, nullptr);
    const INT_S16 px = static_cast<INT_S16>(o->x + o->width / 2);
    const INT_S16 py = static_cast<INT_S16>(o->y + o->height / 2);
    at(px, py, false);
    at(px, py, true);
    at(px, py, false);
    frame(16);
  }
  void click_row(WM_FILE_SELECT* s, INT_S16 row, INT_U16 column = 1) {
    click(s->list->get_cell(static_cast<INT_S16>(column), row));
  }
  FOLDER temp, fixture;
  std::string fixture_name;
};

TEST_F(FileSelect, OpenModeListsFoldersThenMatchingFilesWithTheirRowNumbers) {
  WM_FILE_SELECT* s = make(FILE_SELECT_OPEN, &fixture, nullptr, ".txt");
  EXPECT_EQ(rows(s), ".. a b x.txt");  // Y.TXT and z.dat do not end with ".txt"
  EXPECT_EQ(s->row_count, 4);
  for (INT_S16 r = 0; r < 4; ++r)
    for (INT_S16 c = 0; c < (r == 0 ? 2 : 4); ++c) {
      SCOPED_TRACE(std::to_string(r) + "," + std::to_string(c));
      WM_SCREEN_OBJECT* cell = s->list->get_cell(c, r);
      ASSERT_NE(cell, nullptr);
      EXPECT_EQ(word_to_s32(cell->click_arg1), r == 0 ? 1 : r);  // ".." goes up one level
      EXPECT_EQ(word_to_s32(cell->action_arg1), r == 0 ? 4 : r == 3 ? 7 : 6);
    }
  EXPECT_EQ(row_text(s, 0), "..");
  EXPECT_TRUE(s->list->is_scrolled_to_top());
  EXPECT_STREQ(s->get_title(), "Select a File");
  EXPECT_STREQ(s->status_label->text.value.text, "Select an exsiting file.");
  EXPECT_EQ(s->name_box->enabled, 0);
  EXPECT_EQ(s->new_folder_button->enabled, 0);
  EXPECT_EQ(s->ok_button->enabled, 0);

  WM_FILE_SELECT* h = make(FILE_SELECT_OPEN, &fixture, nullptr, ".txt", 1);
  EXPECT_EQ(rows(h), ".. .h a b x.txt");
}

TEST_F(FileSelect, OpenModeOkWaitsForAFileAndOtherClicksClearTheName) {
  WM_FILE_SELECT* s = make(FILE_SELECT_OPEN, &fixture, nullptr, ".txt");
  click_row(s, 3);
  EXPECT_STREQ(s->name_box->text.text, "x.txt");
  EXPECT_EQ(s->selected_row, 3);
  EXPECT_EQ(s->list->rows[3]->selected, 1);
  EXPECT_EQ(s->ok_button->enabled, 1);
  click(s->ok_button);
  EXPECT_EQ(joined_log(), "answer1/9");
  FOLDER out;
  char name[300];
  s->get_result(&out, name);
  EXPECT_STREQ(out.path, fixture.path);
  EXPECT_STREQ(name, "x.txt");

  click_row(s, 1, 0);  // the folder icon of "a" enters it
  EXPECT_EQ(std::string(s->folder.path), path("a"));
  EXPECT_STREQ(s->name_box->text.text, "");
  EXPECT_EQ(s->ok_button->enabled, 0);
  EXPECT_EQ(rows(s), "..");
  click_row(s, 0);  // ".." back up
  EXPECT_STREQ(s->folder.path, fixture.path);
  click_row(s, 3);
  EXPECT_EQ(s->ok_button->enabled, 1);
  click_row(s, 0, 0);
  EXPECT_STREQ(s->name_box->text.text, "");
  EXPECT_EQ(s->ok_button->enabled, 0);
  EXPECT_STREQ(s->folder.path, temp.path);  // ".." of the fixture
  // A location item clears the name too (item 0: the folder itself).
  s->name_box->set_text("x.txt");
  WM_FILE_SELECT::on_command(s->location_menu->menu->item_at(0), 4, reinterpret_cast<INT_WORD>(s));
  frame(16);
  EXPECT_STREQ(s->name_box->text.text, "");
  EXPECT_STREQ(s->folder.path, temp.path);
  click(s->cancel_button);
  EXPECT_EQ(log().back(), "answer0/9");
}

TEST_F(FileSelect, FolderModeListsNoFilesAndOkIsEnabled) {
  WM_FILE_SELECT* s = make(FILE_SELECT_FOLDER, &fixture, "ignored", nullptr);
  EXPECT_EQ(rows(s), ".. a b");
  EXPECT_EQ(s->ok_button->enabled, 1);
  EXPECT_EQ(s->new_folder_button->enabled, 1);
  EXPECT_STREQ(s->name_box->text.text, "");
  EXPECT_STREQ(s->get_title(), "Select a Folder");
  FOLDER out;
  char name[8] = "junk";
  s->get_result(&out, name);
  EXPECT_STREQ(name, "");
  EXPECT_STREQ(out.path, fixture.path);
  s->name_box->set_text("b");
  s->get_result(&out, nullptr);
  EXPECT_EQ(std::string(out.path), path("b"));
}

TEST_F(FileSelect, SaveModeAppendsTheExtensionOnlyWhenMissingAndHighlightsTheNamedFile) {
  WM_FILE_SELECT* s = make(FILE_SELECT_SAVE, &fixture, "x.txt", ".txt");
  EXPECT_EQ(s->selected_row, 3);
  EXPECT_EQ(s->list->rows[3]->selected, 1);
  EXPECT_STREQ(s->status_label->text.value.text, "Select a new or exsiting file.");
  FOLDER out;
  char name[300];
  const struct {
    const char* typed;
    const char* ext;
    const char* result;
  } cases[] = {{"report", ".txt", "report.txt"},
               {"report.txt", ".txt", "report.txt"},
               {"report.TXT", ".txt", "report.TXT.txt"},
               {"report", "", "report"}};
  for (const auto& c : cases) {
    s->extension.set(c.ext);
    s->name_box->set_text(c.typed);
    s->get_result(&out, name);
    EXPECT_STREQ(name, c.result) << c.typed << " " << c.ext;
  }
  s->set_mode(0, nullptr, nullptr, nullptr);
  name[0] = 'q';
  s->get_result(&out, name);
  EXPECT_EQ(name[0], 'q');
}

TEST_F(FileSelect, ParentOfTempIsMyComputerAndTheLocationMenuGoesUp) {
  WM_FILE_SELECT* t = make(FILE_SELECT_OPEN, &temp, nullptr, nullptr);
  EXPECT_EQ(word_to_s32(t->list->get_cell(1, 0)->click_arg1), -1);
  click_row(t, 0);
  EXPECT_EQ(t->drives_view, 1);

  WM_FILE_SELECT* s = make(FILE_SELECT_OPEN, &fixture, nullptr, nullptr);
  WM_FLOATING_MENU* m = s->location_menu->menu;
  ASSERT_EQ(m->item_count, 3);
  EXPECT_STREQ(m->item_at(0)->text, fixture_name.c_str());
  EXPECT_STREQ(m->item_at(1)->text, "Temp");
  EXPECT_STREQ(m->item_at(2)->text, "My Computer");
  EXPECT_STREQ(s->location_menu->text, fixture_name.c_str());
  EXPECT_EQ(word_to_s32(m->item_at(1)->click_arg1), 1);
  EXPECT_EQ(word_to_s32(m->item_at(2)->click_arg1), -1);
  WM_FILE_SELECT::on_command(m->item_at(1), 4, reinterpret_cast<INT_WORD>(s));
  frame(16);
  EXPECT_STREQ(s->folder.path, temp.path);
  EXPECT_EQ(s->location_menu->menu->item_count, 2);
}

TEST_F(FileSelect, NameBoxFocusThenFileRowLeavesNoSelection) {
  WM_FILE_SELECT* s = make(FILE_SELECT_SAVE, &fixture, "longname.txt", nullptr);
  set_clipboard_text("kept");
  click(s->name_box);
  ASSERT_EQ(wm_focus_object, s->name_box);
  key_down(37);
  KEYBOARD::char_event('a');
  frame(16);
  key_up(37);
  ASSERT_EQ(s->name_box->sel_end, 12);
  click_row(s, 4);  // x.txt (no extension: Y.TXT, x.txt, z.dat after a, b)
  EXPECT_STREQ(s->name_box->text.text, "x.txt");
  EXPECT_EQ(wm_focus_object, s->name_box);
  EXPECT_EQ(s->name_box->sel_start, -1);
  KEYBOARD::char_event('c');
  frame(16);
  EXPECT_STREQ(s->name_box->text.text, "x.txtc");
  key_down(37);
  KEYBOARD::char_event('c');
  frame(16);
  key_up(37);
  char clip[16] = {};
  ASSERT_TRUE(get_clipboard_text(clip, sizeof clip));
  EXPECT_STREQ(clip, "kept");
}

TEST_F(FileSelect, DrivesViewFromAMountTable) {
  const std::string table = path("mounts");
  {
    std::ofstream t(table);
    t << "proc /proc proc rw 0 0\n"
      << "/dev/sdb1 /media/usb\\040stick vfat rw 0 0\n"
      << "/dev/cdrom0 /media/cd iso9660 ro 0 0\n"
      << "/dev/sdc1 " << path("a") << " ext2 rw 0 0\n";
  }
  mount_table_path = table.c_str();
  const COLOUR colours[WM_DRIVE_ICON_COUNT] = {0xFF000010u, 0xFF000011u, 0, 0, 0xFF000014u};
  for (int i = 0; i < WM_DRIVE_ICON_COUNT; ++i) {
    wm_drive_icons[i].create(colours[i] ? 4 : -1, colours[i] ? 4 : -1);
    if (colours[i]) wm_drive_icons[i].clear(&colours[i], 1);
  }
  WM_FILE_SELECT* s = make(FILE_SELECT_FOLDER, &temp, nullptr, nullptr);
  click_row(s, 0);
  ASSERT_EQ(s->drives_view, 1);
  EXPECT_EQ(rows(s), "Home Temp File System /media/usb stick /media/cd " + path("a"));
  // Home, Temp, root: Linux; the vfat stick has no icon of its own (DOS).
  const COLOUR expected[] = {0xFF000014u, 0xFF000014u, 0xFF000014u,
                             0xFF000010u, 0xFF000011u, 0xFF000014u};
  for (INT_S16 r = 0; r < 6; ++r) {
    WM_IMAGE* icon = static_cast<WM_IMAGE*>(s->list->get_cell(0, r));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(*icon->picture.pixel_at(icon->picture.x, icon->picture.y), expected[r]) << r;
    EXPECT_EQ(word_to_s32(icon->click_arg1), r);
    EXPECT_EQ(word_to_s32(icon->action_arg1), 5);
  }
  EXPECT_EQ(s->ok_button->enabled, 0);
  EXPECT_EQ(s->new_folder_button->enabled, 0);
  EXPECT_STREQ(s->location_menu->text, "My Computer");
  EXPECT_EQ(s->location_menu->menu->item_count, 1);
  click_row(s, 5);
  EXPECT_EQ(s->drives_view, 0);
  EXPECT_EQ(std::string(s->folder.path), path("a"));
  EXPECT_EQ(s->ok_button->enabled, 1);
  mount_table_path = "/proc/mounts";
}

TEST_F(FileSelect, TheTempDriveChosenBeforeAnythingWasWrittenThereIsMade) {
  WM_FILE_SELECT* s = make(FILE_SELECT_FOLDER, &temp, nullptr, nullptr);
  // As in a run that has not written to its temporary folder yet.
  ASSERT_TRUE(temp.remove_folder(fixture_name.c_str(), 1));
  ASSERT_EQ(rmdir(temp.path), 0) << strerror(errno);
  click_row(s, 0);
  ASSERT_EQ(s->drives_view, 1);
  click_row(s, 1);
  EXPECT_EQ(s->drives_view, 0);
  EXPECT_EQ(std::string(s->folder.path), std::string(temp.path));
  struct stat st;
  ASSERT_EQ(stat(temp.path, &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(s->new_folder_button->enabled, 1);
  ASSERT_TRUE(FOLDER(temp).enter(fixture_name.c_str(), 1));  // for the tear-down
}

TEST_F(FileSelect, NewFolderThroughTheEntryDialog) {
  WM_FILE_SELECT* s = make(FILE_SELECT_FOLDER, &fixture, nullptr, nullptr);
  auto open_dialog = [&]() -> WM_TEXT_EDIT_DIALOG* {
    click(s->new_folder_button);
    WM_SCREEN_OBJECT* top = find_popup(WM_KIND_TEXT_EDIT_DIALOG);
    return static_cast<WM_TEXT_EDIT_DIALOG*>(top);
  };
  // Cancel, then OK with an empty name: nothing is made.
  WM_TEXT_EDIT_DIALOG* d = open_dialog();
  ASSERT_NE(d, nullptr);
  EXPECT_STREQ(d->get_title(), "New Folder");
  EXPECT_STREQ(d->prompt_label->text.value.text, "Enter new folder name");
  EXPECT_EQ(d->edit_box->char_filter, &WM_TEXT_EDIT::filter_file_name);
  EXPECT_EQ(reinterpret_cast<WM_FILE_SELECT*>(d->click_arg1), s);
  d->edit_box->set_text("nope");
  click(d->cancel_button);
  frames(3);
  EXPECT_FALSE(is_popup(d));
  d = open_dialog();
  ASSERT_NE(d, nullptr);
  click(d->ok_button);
  frames(3);
  EXPECT_FALSE(is_popup(d));
  EXPECT_EQ(rows(s), ".. a b");
  struct stat st;
  EXPECT_NE(stat(path("nope").c_str(), &st), 0);

  d = open_dialog();
  ASSERT_NE(d, nullptr);
  d->edit_box->set_text("made");
  click(d->ok_button);
  frames(3);
  EXPECT_FALSE(is_popup(d));
  EXPECT_EQ(stat(path("made").c_str(), &st), 0);
  EXPECT_EQ(std::string(s->folder.path), path("made"));
  EXPECT_EQ(rows(s), "..");
}

TEST_F(FileSelect, SelectorDeletedWithItsNewFolderDialogOpen) {
  WM_FILE_SELECT* s = make(FILE_SELECT_FOLDER, &fixture, nullptr, nullptr);
  click(s->new_folder_button);
  WM_SCREEN_OBJECT* d = find_popup(WM_KIND_TEXT_EDIT_DIALOG);
  ASSERT_NE(d, nullptr);
  root()->remove_popup(s, 1, 0);
  EXPECT_FALSE(is_popup(d));
  frames(2);
}

// The parent-folder, folder and file icons keep their shape in the list's
// cells: each copy carries the keep-aspect flag and is fitted, not stretched.
TEST_F(FileSelect, RowIconsKeepTheirAspect) {
  const struct {
    IMAGE* icon;
    INT_S16 w, h;
    COLOUR colour;
  } icons[] = {{&wm_parent_folder_icon, 8, 4, 0xFF000021u},
               {&wm_folder_icon, 4, 8, 0xFF000022u},
               {&wm_file_icon, 6, 5, 0xFF000023u}};
  for (const auto& i : icons) {
    i.icon->create(i.w, i.h);
    i.icon->clear(&i.colour, 1);
  }
  WM_FILE_SELECT* s = make(FILE_SELECT_OPEN, &fixture, nullptr, ".txt");
  redraw_all();
  ASSERT_EQ(rows(s), ".. a b x.txt");
  const struct {
    INT_S16 row;
    int icon;
  } kinds[] = {{0, 0}, {1, 1}, {3, 2}};
  for (const auto& k : kinds) {
    SCOPED_TRACE(row_text(s, k.row));
    const auto& i = icons[k.icon];
    WM_SCREEN_OBJECT* cell = s->list->get_cell(0, k.row);
    ASSERT_NE(cell, nullptr);
    ASSERT_TRUE(cell->kind & WM_KIND_IMAGE);
    const IMAGE& p = static_cast<WM_IMAGE*>(cell)->picture;
    EXPECT_EQ(p.keep_aspect, 1);
    EXPECT_EQ(*p.pixel_at(p.x, p.y), i.colour);
    // Scaled to the cell: one side fills it, the other keeps the proportion.
    ASSERT_GT(cell->width, 0);
    ASSERT_GT(cell->height, 0);
    EXPECT_LE(p.width, cell->width);
    EXPECT_LE(p.height, cell->height);
    EXPECT_TRUE(p.width == cell->width || p.height == cell->height);
    EXPECT_NEAR(double(p.width) / p.height, double(i.w) / i.h, 1.0 / p.height);
  }
  for (const auto& i : icons) i.icon->create(-1, -1);
}

// Every entry of a large folder is listed: more folders than the grid's
// default row limit, and files after them.
TEST_F(FileSelect, AFolderOfTwoThousandEntriesListsThemAll) {
  FOLDER many(fixture);
  ASSERT_TRUE(many.enter("many", 1));
  char name[16];
  for (int i = 0; i < 1100; ++i) {
    std::snprintf(name, sizeof name, "d%04d", i);
    ASSERT_TRUE(FOLDER(many).enter(name, 1));
  }
  for (int i = 0; i < 900; ++i) {
    std::snprintf(name, sizeof name, "f%04d", i);
    std::ofstream(std::string(many.path) + "/" + name) << "1";
  }
  WM_FILE_SELECT* s = make(FILE_SELECT_OPEN, &many, "f0899", nullptr);
  ASSERT_EQ(s->list->row_count, 2001);
  EXPECT_EQ(s->row_count, 2001);
  EXPECT_EQ(row_text(s, 1), "d0000");
  EXPECT_EQ(row_text(s, 1100), "d1099");
  EXPECT_EQ(row_text(s, 1101), "f0000");
  EXPECT_EQ(row_text(s, 2000), "f0899");
  EXPECT_EQ(s->selected_row, 2000);
  EXPECT_EQ(word_to_s32(s->list->get_cell(3, 2000)->click_arg1), 2000);
  EXPECT_TRUE(s->list->is_scrolled_to_top());
  // The last entry can be scrolled to and chosen.
  s->list->set_scroll(0);
  frame(16);
  ASSERT_EQ(s->list->is_row_visible(2000), 1);
  s->name_box->set_text("");
  click_row(s, 2000);
  EXPECT_STREQ(s->name_box->text.text, "f0899");
}

TEST_F(FileSelect, DefaultFormFitsTheScreenAndDerivesItsStyles) {
  screen = make_screen(400, 300, kBackdrop);
  screen->font = static_cast<INT_S8>(kFont);
  screen->font_width = screen->font_height = kFontSize;
  WM_FILE_SELECT s(-1, -1, 1, nullptr, 0, nullptr, nullptr, nullptr);
  EXPECT_EQ(s.width, 400);
  EXPECT_EQ(s.height, 300);
  EXPECT_EQ(s.get_x(), 0);
  EXPECT_EQ(s.get_y(), 0);
  EXPECT_EQ(s.kind & WM_KIND_FILE_SELECT, WM_KIND_FILE_SELECT);
  EXPECT_EQ(s.entry_style.shading_type, 4u);
  EXPECT_EQ(s.entry_style.ssf & 3u, 3u);
  EXPECT_EQ(s.entry_style.shading_flags & 0xF0u, 0u);
  EXPECT_EQ(s.name_box->max_length, 256);
  EXPECT_EQ(s.name_box->notify_on_change, 1);
  EXPECT_STREQ(s.new_folder_button->text, "New Folder");
  EXPECT_LT(s.name_box->y + s.name_box->height, s.ok_button->y);
  EXPECT_LT(s.list->y + s.list->height, s.name_box->y + 1);
}

}  // namespace
