// The install dialog headless: every page's widgets, the choice grids, the
// target grid's rows, the documents, set_progress and update_buttons.
#include "install_dialog_env.h"

#include <dirent.h>

#include <vector>

#include "frame_pace_seams.h"
#include "page_manager.h"
#include "window.h"

using namespace inst;

namespace {

struct ButtonRow {
  bool enabled;
  const char* text;
  const char* hint;
  INT_S32 command;
  INT_S32 value;  // -99: not looked at
};
struct PageCase {
  INT_S32 page;
  const char* caption;
  ButtonRow quit, back, next;
  INT_U32 content;  // kind of the content widget
};

class InstallDialogTest : public InstallerTest {};

// Two languages, two items, a licence and a readme for language 0: the page
// sequence 3, 4, 5, 6, 7, 8.
TEST_F(InstallDialogTest, EveryPageHasItsButtonsAndContent) {
  const PageCase cases[] = {
      {3, "T27", {true, "T19", "T20", 1, 0}, {false, "T13", "T14", 100, 0}, {false, "T11", "T12", 100, 0},
       WM_KIND_GRID},
      {4, "T28", {true, "T19", "T20", 1, 0}, {true, "T17", "T18", 100, 9}, {true, "T15", "T16", 100, 5},
       WM_KIND_TEXT_WIN},
      {5, "T30", {true, "T19", "T20", 1, 0}, {false, "T13", "T14", 100, 0}, {true, "T11", "T12", 100, 6},
       WM_KIND_GRID},
      {6, "T31", {true, "T19", "T20", 1, 0}, {true, "T13", "T14", 100, 5}, {true, "T23", "T24", 100, 7},
       WM_KIND_GRID},
      {7, "T37", {true, "T19", "T20", 1, 0}, {false, "T13", "T14", 100, 0}, {false, "T11", "T12", 100, 8},
       WM_KIND_PROGRESS_BAR},
      {8, "T29", {true, "T21", "T22", 8, 0}, {false, "T13", "T14", 100, 0}, {true, "T25", "T26", 100, 9},
       WM_KIND_TEXT_WIN},
  };
  make_database(2, 2);
  for (const PageCase& c : cases) {
    SCOPED_TRACE(c.page);
    INSTALL_DIALOG* dialog = c.page == 3 ? show_page(c.page) : rebuild(c.page);
    ASSERT_TRUE(dialog);
    EXPECT_STREQ(dialog->get_title(), c.caption);
    const std::pair<WM_BUTTON*, const ButtonRow*> rows[] = {
        {dialog->quit_button, &c.quit}, {dialog->back_button, &c.back}, {dialog->next_button, &c.next}};
    for (const auto& r : rows) {
      SCOPED_TRACE(r.second->text);
      EXPECT_EQ(r.first->enabled != 0, r.second->enabled);
      EXPECT_EQ(text_of(r.first), r.second->text);
      EXPECT_EQ(hint_of(r.first), r.second->hint);
      EXPECT_EQ(command_of(r.first), r.second->command);
      EXPECT_EQ(value_of(r.first), r.second->value);
    }
    EXPECT_TRUE(find_child<WM_SCREEN_OBJECT>(dialog, c.content));
    EXPECT_EQ(dialog->progress_bar != nullptr, c.page == 7);
    EXPECT_EQ(dialog->status_label != nullptr, c.page == 7);
    EXPECT_EQ(install_grid != nullptr, c.content == WM_KIND_GRID);
  }
}

TEST_F(InstallDialogTest, ButtonRowAndFittedButtons) {
  make_database(2, 2);
  INSTALL_DIALOG* dialog = show_page(4);
  const WM_MANAGER* client = dialog->client_area;
  const INT_S16 W = client->width, H = client->height;
  WM_BUTTON *quit = dialog->quit_button, *back = dialog->back_button, *next = dialog->next_button;
  const INT_S16 row_y = static_cast<INT_S16>(client->y + H - quit->height);
  EXPECT_EQ(quit->x, client->x);
  EXPECT_EQ(quit->y, row_y);
  EXPECT_EQ(next->x + next->width, client->x + W);
  EXPECT_EQ(next->y, row_y);
  EXPECT_EQ(back->x + back->width + installer_database.dialog_gap, next->x);
  EXPECT_EQ(back->y, row_y);
  // Accept and decline are fitted to their texts in the dialog's button style.
  EXPECT_EQ(back->width, dialog->button_style.padded_text_width(wm_surface, "T17"));
  EXPECT_EQ(next->width, dialog->button_style.padded_text_width(wm_surface, "T15"));
  // The client area is the dialog less its frame and caption.
  EXPECT_EQ(W, 480 - dialog->style.border_left_gap - dialog->style.border_right_gap -
                   dialog->style.cell_left_gap - dialog->style.cell_right_gap);
  EXPECT_EQ(H, 360 - dialog->caption_height() - dialog->style.border_bottom_gap - dialog->style.cell_bottom_gap);
}

TEST_F(InstallDialogTest, LanguageGridOfThreeButtonsIsCentred) {
  make_database(3, 1);
  installer_database.styles[STYLE_OPTIONS].y_spacing = 2;
  // Buttons 20 pixels high: a 12-pixel font and the default gaps of 4.
  wm_dialog_button_style.font_y_sz = 12;
  INSTALL_DIALOG* dialog = show_page(3);
  ASSERT_TRUE(install_grid);
  const WM_STYLE_SET& options = installer_database.styles[STYLE_OPTIONS];
  INT_S16 widest = 0;
  for (INT_S16 i = 0; i < 3; ++i) {
    WM_BUTTON* b = dynamic_cast<WM_BUTTON*>(install_grid->get_cell(0, i));
    ASSERT_TRUE(b);
    EXPECT_EQ(text_of(b), i == 0 ? "T1" : "L" + std::to_string(i) + " T1");
    EXPECT_EQ(command_of(b), INSTALL_CMD_LANGUAGE);
    EXPECT_EQ(word_to_s32(b->click_arg1), i);
    EXPECT_EQ(value_of(b), 4);  // the licence page follows
    EXPECT_EQ(b->click_events, 2);
    // The size the button had before the grid fitted it to its cell.
    WM_BUTTON natural(0, 0, -1, -1, &dialog->button_style, b->text, nullptr, nullptr, 0, 0, 2);
    EXPECT_EQ(natural.height, 20);
    if (natural.width > widest) widest = natural.width;
  }
  EXPECT_EQ(install_grid->get_row_count(), 3);
  const INT_S32 gh = static_cast<INT_S32>(get_border_gaps_height(&options)) + 66;
  const INT_S32 gw = widest + static_cast<INT_S32>(get_border_gaps_width(&options) + get_cell_gaps_width(&options));
  EXPECT_EQ(install_grid->height, gh);
  EXPECT_EQ(install_grid->width, gw);
  const INT_S16 hc = static_cast<INT_S16>(dialog->client_area->height - dialog->next_button->height -
                                          installer_database.dialog_gap);
  EXPECT_EQ(install_grid->x - dialog->client_area->x, (dialog->client_area->width - gw) / 2);
  EXPECT_EQ(install_grid->y - dialog->client_area->y, (hc + 1 - gh) / 2);
}

TEST_F(InstallDialogTest, ItemGridTicksTheSelectedItem) {
  make_database(1, 3);
  installer_database.selected_item = 1;
  show_page(5);
  ASSERT_TRUE(install_grid);
  for (INT_S16 i = 0; i < 3; ++i) {
    WM_CHECK_BOX* box = dynamic_cast<WM_CHECK_BOX*>(install_grid->get_cell(0, i));
    ASSERT_TRUE(box);
    EXPECT_EQ(box->checked, i == 1 ? 1 : 0);
    EXPECT_EQ(word_to_s32(box->action_arg1), INSTALL_CMD_ITEM);
    EXPECT_EQ(word_to_s32(box->action_arg2), i);
  }
}

struct TargetCase {
  const char* name;
  INT_U8 allows_second, use_second, desktop, menu;
  bool check_box;
  INT_S16 path_row;
  bool path_enabled;
  INT_S16 desktop_row, menu_row;  // -1: none
  INT_S16 rows;
};

TEST_F(InstallDialogTest, TargetGridRows) {
  const TargetCase cases[] = {
      {"second folders set", 1, 1, 1, 1, true, 3, false, 7, 8, 9},
      {"second folders clear", 1, 0, 1, 1, true, 3, true, 7, 8, 9},
      {"not allowed", 0, 1, 1, 1, false, 2, true, 6, 7, 8},
      {"no shortcuts", 0, 1, 0, 0, false, 2, true, -1, -1, 4},
      {"desktop only", 0, 1, 1, 0, false, 2, true, 6, -1, 7},
      {"menu only", 0, 1, 0, 1, false, 2, true, -1, 6, 7},
  };
  make_database(1, 1);
  bool first = true;
  for (const TargetCase& c : cases) {
    SCOPED_TRACE(c.name);
    INSTALL_ITEM& item = installer_database.items[0];
    item.allows_second_folders = c.allows_second;
    item.has_desktop_shortcuts = c.desktop;
    item.has_menu_entries = c.menu;
    installer_database.use_second_folders = c.use_second;
    if (first)
      show_page(6);
    else
      rebuild(6);
    first = false;
    ASSERT_TRUE(install_grid);
    WM_GRID* g = install_grid;
    EXPECT_EQ(label_of(dynamic_cast<WM_SCRIPT*>(g->get_cell(0, 0))), "T32");
    WM_CHECK_BOX* second = dynamic_cast<WM_CHECK_BOX*>(g->get_cell(1, 2));
    EXPECT_EQ(second != nullptr, c.check_box);
    if (second) {
      EXPECT_EQ(second->checked, c.use_second);
    }
    ASSERT_TRUE(target_path_button);
    ASSERT_TRUE(browse_button);
    EXPECT_EQ(g->get_cell(1, c.path_row), target_path_button);
    EXPECT_EQ(g->get_cell(2, c.path_row), browse_button);
    EXPECT_EQ(text_of(target_path_button), std::string(expand_path_text("$ROOT0/item0", nullptr)));
    EXPECT_EQ(text_of(browse_button), "...");
    EXPECT_EQ(target_path_button->enabled != 0, c.path_enabled);
    EXPECT_EQ(browse_button->enabled != 0, c.path_enabled);
    EXPECT_EQ(command_of(target_path_button), INSTALL_CMD_BROWSE);
    const INT_S16 n = static_cast<INT_S16>(c.path_row + 1);
    if (c.desktop || c.menu) {
      EXPECT_EQ(label_of(dynamic_cast<WM_SCRIPT*>(g->get_cell(0, n + 1))), "T34");
    }
    WM_CHECK_BOX* desktop = c.desktop_row < 0 ? nullptr : dynamic_cast<WM_CHECK_BOX*>(g->get_cell(1, c.desktop_row));
    WM_CHECK_BOX* menu = c.menu_row < 0 ? nullptr : dynamic_cast<WM_CHECK_BOX*>(g->get_cell(1, c.menu_row));
    if (c.desktop_row >= 0) {
      ASSERT_TRUE(desktop);
      EXPECT_EQ(word_to_s32(desktop->action_arg1), INSTALL_CMD_DESKTOP);
    }
    if (c.menu_row >= 0) {
      ASSERT_TRUE(menu);
      EXPECT_EQ(word_to_s32(menu->action_arg1), INSTALL_CMD_MENU);
    }
    EXPECT_EQ(g->get_row_count(), c.rows);
  }
}

TEST_F(InstallDialogTest, TargetGridRowHeights) {
  make_database(1, 1);
  show_page(6);
  ASSERT_TRUE(install_grid);
  // Row 0 has the rows-per-page layout's height h; the spacers are set to
  // h / 3, the option rows to h + (h - s) * 3 / 5, each less the style's
  // row spacing.
  const INT_S32 spacing = installer_database.styles[STYLE_OPTIONS].y_spacing;
  const INT_S32 h = install_grid->rows[0]->height;
  const INT_S32 s = h / 3, t = h + ((h - s) * 3) / 5;
  EXPECT_GT(h, 3);
  EXPECT_EQ(install_grid->rows[1]->height, s - spacing);
  EXPECT_EQ(install_grid->rows[2]->height, t - spacing);
  EXPECT_EQ(install_grid->rows[4]->height, s - spacing);
}

// The window of the readme and the licence, by page.
WM_TEXT_WIN* text_window(INSTALL_DIALOG* dialog) { return find_child<WM_TEXT_WIN>(dialog, WM_KIND_TEXT_WIN); }

std::vector<std::string> names_in(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(d);
  }
  return names;
}

TEST_F(InstallDialogTest, DocumentsAreShownAndNoCopyIsLeft) {
  make_database(1, 1);
  WM_TEXT_WIN* licence = text_window(show_page(4));
  ASSERT_TRUE(licence);
  EXPECT_EQ(licence->line_count, 250);
  EXPECT_EQ(licence->show_from_top, 1);
  ASSERT_GE(licence->paragraph_total, 2);
  EXPECT_STREQ(licence->paragraphs[0].text, "Licence 0 line one");
  EXPECT_STREQ(licence->paragraphs[1].text, "line two");
  EXPECT_EQ(licence->paragraphs[0].colour, installer_database.styles[STYLE_TEXT].fg_colour);
  WM_TEXT_WIN* readme = text_window(rebuild(8));
  ASSERT_TRUE(readme);
  EXPECT_EQ(readme->line_count, 200);
  ASSERT_GE(readme->paragraph_total, 1);
  EXPECT_STREQ(readme->paragraphs[0].text, "Readme 0");
  FOLDER temp, own;
  temp.set("$TEMP");
  ASSERT_TRUE(get_private_temp_folder(&own));
  for (const std::string& dir : {std::string(temp.native_path_text()), std::string(own.native_path_text())})
    for (const std::string& name : names_in(dir)) {
      EXPECT_NE(name.rfind("licence-", 0), 0u) << dir;
      EXPECT_NE(name.rfind("readme-", 0), 0u) << dir;
    }
}

TEST_F(InstallDialogTest, ReadmeCapacityBelowOneIsTheLicencesCapacity) {
  make_database(1, 1);
  installer_database.languages[0].readme_lines = 0;
  WM_TEXT_WIN* window = text_window(show_page(8));
  ASSERT_TRUE(window);
  EXPECT_EQ(window->line_count, 250);
  EXPECT_STREQ(window->paragraphs[0].text, "Readme 0");
  installer_database.languages[0].readme_lines = -5;
  window = text_window(rebuild(8));
  ASSERT_TRUE(window);
  EXPECT_EQ(window->line_count, 250);
  redraw_all_now();
}

TEST_F(InstallDialogTest, MissingDocumentLeavesTheWindowEmpty) {
  make_database(1, 1, "", "");
  WM_TEXT_WIN* window = text_window(show_page(4));
  ASSERT_TRUE(window);
  EXPECT_EQ(window->paragraph_total, 0);
}

// ---- the run's calls -----------------------------------------------------------

class ProgressTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    make_database(1, 1);
    dialog = show_page(7);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog->progress_bar);
    ASSERT_TRUE(dialog->status_label);
    swaps() = 0;
    platform_frames() = 0;
  }
  std::string line() { return label_of(dialog->status_label); }
  INSTALL_DIALOG* dialog = nullptr;
};

TEST_F(ProgressTest, FolderPartOfThePath) {
  installer_database.show_whole_path = 0;
  installer_database.show_folder_part = 1;
  char tool[] = "/opt/app/bin/tool";
  dialog->set_progress(40, tool);
  EXPECT_EQ(line(), "/opt/app/bin/");
  EXPECT_EQ(dialog->progress_bar->value, 40);
  EXPECT_STREQ(tool, "/opt/app/bin/tool");
  const int shown = swaps();
  EXPECT_GE(shown, 2);  // the bar, then the line
  const int pumped = platform_frames();
  EXPECT_GE(pumped, 1);  // the line's frame (and the bar's once per wall second)
  // The same folder at the same percent repaints nothing.
  char other[] = "/opt/app/bin/other";
  dialog->set_progress(40, other);
  EXPECT_EQ(swaps(), shown);
  EXPECT_EQ(platform_frames(), pumped);
  EXPECT_STREQ(other, "/opt/app/bin/other");
  // Another folder, or another percent, does.
  char lib[] = "/opt/app/lib/x";
  dialog->set_progress(40, lib);
  EXPECT_EQ(line(), "/opt/app/lib/");
  EXPECT_GT(swaps(), shown);
}

TEST_F(ProgressTest, WholePathAndTextsNotStartingWithASlash) {
  installer_database.show_whole_path = 0;
  char working[] = "working";
  dialog->set_progress(10, working);
  const int first = swaps();
  dialog->set_progress(10, working);
  EXPECT_EQ(swaps(), 2 * first);  // always repainted
  EXPECT_EQ(line(), "working");
  installer_database.show_whole_path = 1;
  char path[] = "/opt/app/bin/tool";
  dialog->set_progress(20, path);
  EXPECT_EQ(line(), "/opt/app/bin/tool");
}

TEST_F(ProgressTest, NoPathsShowsText39OncePerPercent) {
  installer_database.show_whole_path = 0;
  installer_database.show_folder_part = 0;
  char path[] = "/opt/app/bin/tool";
  dialog->set_progress(30, path);
  EXPECT_EQ(line(), "T39");
  EXPECT_EQ(dialog->progress_bar->value, 30);
  const int shown = swaps();
  dialog->set_progress(30, path);
  EXPECT_EQ(swaps(), shown);
}

TEST_F(ProgressTest, PercentOutOfRangeKeepsTheValueButShowsTheLine) {
  char a[] = "a", b[] = "b";
  dialog->set_progress(50, a);
  dialog->set_progress(101, b);
  EXPECT_EQ(dialog->progress_bar->value, 50);
  EXPECT_EQ(line(), "b");
  dialog->set_progress(-1, a);
  EXPECT_EQ(dialog->progress_bar->value, 50);
  EXPECT_EQ(line(), "a");
  dialog->set_progress(100, b);
  EXPECT_EQ(dialog->progress_bar->value, 100);
}

// Steps of small files, many to a displayed frame: a step that no frame shows
// paints and presents nothing and runs no platform frame of its own; the
// frame that goes out shows the last step's bar and line, as a step painted
// at once would. A step that blocks shows its line through the deferred
// drawer as soon as a frame may go out.
TEST_F(ProgressTest, StepsThatNoFrameShowsOnlyMarkTheirChange) {
  INT_U8 goes_out = 1;
  const zt::FramesGoOutWhen seams(&goes_out);
  auto pixels = [this] {
    return std::vector<COLOUR>(screen->pixels, screen->pixels + screen->pitch * screen->height);
  };
  // The screen a step painted at once leaves.
  auto painted = [&](INT_S32 percent, const char* text) {
    goes_out = 1;
    char line[64];
    std::snprintf(line, sizeof line, "%s", text);
    dialog->set_progress(percent, line);
    return pixels();
  };
  set_idle_wait(0);
  const std::vector<COLOUR> two = painted(20, "two"), four = painted(40, "four");
  const std::vector<COLOUR> before = painted(5, "zero");
  ASSERT_NE(two, before);
  progress_last_pump_second = utility_clock(nullptr);  // the bar's pump runs no frame now
  swaps() = 0;
  platform_frames() = 0;

  goes_out = 0;
  char one[] = "one", second[] = "two";
  dialog->set_progress(10, one);
  dialog->set_progress(20, second);
  EXPECT_EQ(line(), "two");
  EXPECT_EQ(dialog->progress_bar->value, 20);
  EXPECT_EQ(swaps(), 0);
  EXPECT_EQ(platform_frames(), 0);
  EXPECT_EQ(pixels(), before);
  // The frame that goes out.
  goes_out = 1;
  page_manager.draw_frame();
  EXPECT_EQ(pixels(), two);

  // A step whose work blocks.
  goes_out = 0;
  char fourth[] = "four";
  dialog->set_progress(40, fourth);
  page_manager.draw_frame();
  ASSERT_TRUE(deferred_frame_drawer);
  EXPECT_EQ(pixels(), two);
  goes_out = 1;
  deferred_frame_drawer();
  EXPECT_EQ(pixels(), four);
}

TEST_F(ProgressTest, WithoutProgressBarNothingHappens) {
  INSTALL_DIALOG* target = rebuild(6);
  swaps() = 0;
  char a[] = "a";
  target->set_progress(10, a);
  EXPECT_EQ(swaps(), 0);
  EXPECT_EQ(platform_frames(), 0);
}

TEST_F(InstallDialogTest, UpdateButtonsWithAndWithoutReadme) {
  make_database(1, 1, "0", "0");
  INSTALL_DIALOG* dialog = show_page(7);
  EXPECT_EQ(value_of(dialog->next_button), 8);
  dialog->update_buttons();
  EXPECT_EQ(dialog->quit_button->enabled, 0);
  EXPECT_EQ(text_of(dialog->quit_button), "T19");
  EXPECT_EQ(dialog->next_button->enabled, 1);
  EXPECT_EQ(text_of(dialog->next_button), "T11");

  make_package("0", "");
  dialog = rebuild(7);
  EXPECT_EQ(value_of(dialog->next_button), 9);
  EXPECT_EQ(text_of(dialog->next_button), "T25");
  EXPECT_EQ(dialog->next_button->enabled, 0);
  dialog->update_buttons();
  EXPECT_EQ(dialog->quit_button->enabled, 1);
  EXPECT_EQ(text_of(dialog->quit_button), "T21");
  EXPECT_EQ(hint_of(dialog->quit_button), "T22");
  EXPECT_EQ(command_of(dialog->quit_button), INSTALL_CMD_ABOUT);
  EXPECT_EQ(dialog->quit_button->width, dialog->button_style.padded_text_width(wm_surface, "T21"));
  EXPECT_EQ(dialog->next_button->enabled, 1);
}

// The run (an item without files: start, shortcuts, completion) completes
// once per visit of the installation page.
TEST_F(InstallDialogTest, RunCompletesOncePerVisit) {
  make_database(1, 1, "0", "");
  progress_swap_screens = count_swap;
  INSTALL_DIALOG* dialog = show_page(7);
  swaps() = 0;
  for (int i = 0; i < 3; ++i) frame();
  EXPECT_EQ(label_of(dialog->status_label), "T44");
  EXPECT_EQ(dialog->progress_bar->value, 100);
  EXPECT_EQ(dialog->next_button->enabled, 1);
  EXPECT_EQ(text_of(dialog->quit_button), "T21");
  const int shown = swaps();
  frame();
  frame();
  EXPECT_EQ(swaps(), shown);
  // Leaving the page and coming back runs it again.
  rebuild(6);
  frame();
  dialog = rebuild(7);
  EXPECT_EQ(dialog->progress_bar->value, 0);
  for (int i = 0; i < 3; ++i) frame();
  EXPECT_EQ(dialog->progress_bar->value, 100);
}

}  // namespace

namespace {
// A damaged record may give any dialog size: every page still builds and
// draws (the widgets keep to their own minimum sizes).
TEST_F(InstallDialogTest, TinyAndHugeDialogsBuildEveryPage) {
  for (INT_U16 size : {0, 1, 20, 65535}) {
    SCOPED_TRACE(size);
    make_database(2, 2);
    installer_database.dialog_width = size;
    installer_database.dialog_height = size;
    bool first = true;
    for (INT_S32 page : {3, 4, 5, 6, 7, 8}) {
      INSTALL_DIALOG* dialog = first ? show_page(page) : rebuild(page);
      first = false;
      ASSERT_TRUE(dialog);
      frame();
      redraw_all_now();
    }
    page_manager.leave_all_pages();
    registered = false;
  }
}
}  // namespace
