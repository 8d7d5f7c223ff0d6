// The install dialog: one WM_DIALOG per page, filled from the installation
// database's current page, language, skin and layout.
#include "install_dialog.h"

#include <cstdio>
#include <cstring>

#include "app_installer.h"
#include "database.h"
#include "folder.h"
#include "package.h"
#include "page_manager.h"
#include "window.h"
#include "wm_button.h"
#include "wm_border.h"
#include "wm_check_box.h"
#include "wm_globals.h"
#include "wm_grid.h"
#include "wm_progress.h"
#include "wm_script.h"
#include "wm_text_win.h"

WM_GRID* install_grid = nullptr;
WM_BUTTON* target_path_button = nullptr;
WM_BUTTON* browse_button = nullptr;

namespace {

// Every page's dialog shows at once and stays opaque while dragged.
const DIALOG_EFFECTS kPageEffects = {0, 0, 0, 255};

// Click events of the navigation buttons: press and release (the handler acts
// on the release only); of the language buttons: the release only.
const INT_U8 kPressAndRelease = 3;
const INT_U8 kReleaseOnly = 2;

const INT_S16 kLicenceLines = 250;
// The readme's own capacity below 1 would give a ring with no slots (or a
// failed allocation): the licence window's is used instead.
const INT_S16 kFallbackReadmeLines = kLicenceLines;

// Column weights of the target grid: labels, the path and its check box, the
// browse button, a margin.
const INT_U16 kTargetWeights[4] = {2, 11, 1, 2};
const INT_U16 kShortcutWeights[3] = {2, 11, 1};

DATABASE& db() { return installer_database; }
const char* text(int n) { return installer_database.language_text(n); }

void give_icon(WM_BUTTON* button, int icon) {
  const IMAGE& picture = installer_database.icons[icon];
  if (picture.width != 0) button->set_icon(&picture);
}

WM_BUTTON* make_button(const WM_STYLE_SET* style, int label, int hint, INT_S32 command, int icon) {
  WM_BUTTON* b = new WM_BUTTON(0, 0, -1, -1, style, text(label), text(hint),
                               handle_install_dialog_command, word_from_s32(command), 0,
                               kPressAndRelease);
  give_icon(b, icon);
  return b;
}

void disable(WM_BUTTON* button) {
  if (button->enabled) button->set_enabled(0);
}

void set_value(WM_BUTTON* button, INT_S32 value) { button->action_arg2 = word_from_s32(value); }

// New text, fitted to it in the button style, a new hint and icon.
void relabel(WM_BUTTON* button, const WM_STYLE_SET& style, int label, int hint, int icon) {
  button->set_text(text(label), 0);
  button->set_size(static_cast<INT_S16>(style.padded_text_width(wm_surface, text(label))), button->height, 1);
  button->set_hint(text(hint));
  give_icon(button, icon);
}

const INT_U16 kUnsetGap = 65535;

// The text a label shows ("" when its value holds none).
const char* label_text(const WM_SCRIPT* label) {
  return label->text.tag == TV_TEXT && label->text.value.text ? label->text.value.text : "";
}

INT_S32 gap_or_border(const WM_STYLE_SET& style, INT_U16 gap) {
  return gap == kUnsetGap ? get_default_border_width(style.shading_type) : gap;
}

INT_S32 font_height_or_default(const WM_STYLE_SET& style) {
  return style.font_y_sz == -1 && wm_surface ? wm_surface->font_height : style.font_y_sz;
}

}  // namespace

INSTALL_DIALOG::INSTALL_DIALOG(INT_S16 px, INT_S16 py)
    : WM_DIALOG(px, py, static_cast<INT_S16>(installer_database.dialog_width),
                static_cast<INT_S16>(installer_database.dialog_height), "", nullptr, nullptr,
                nullptr, &kPageEffects),
      quit_button(nullptr), back_button(nullptr), next_button(nullptr), progress_bar(nullptr),
      status_label(nullptr), client_width_(0), client_height_(0), content_height_(0) {
  DATABASE& d = db();
  show();
  draggable = d.dialog_draggable;

  // The gaps are subtracted as the frame style stores them after its
  // defaults were filled in.
  client_width_ = static_cast<INT_S16>(width - style.border_left_gap - style.border_right_gap -
                                       style.cell_left_gap - style.cell_right_gap);
  client_height_ = static_cast<INT_S16>(height - caption_height() - style.border_bottom_gap -
                                        style.cell_bottom_gap);
  const INT_S16 W = client_width_, H = client_height_;

  quit_button = make_button(&button_style, TEXT_QUIT, TEXT_QUIT_HINT, INSTALL_CMD_QUIT, ICON_QUIT);
  quit_button->set_position(0, static_cast<INT_S16>(H - quit_button->height));
  add_child(quit_button, 1);
  next_button = make_button(&button_style, TEXT_NEXT, TEXT_NEXT_HINT, INSTALL_CMD_GO_TO_PAGE, ICON_FORWARD);
  add_child(next_button, 1);
  back_button = make_button(&button_style, TEXT_BACK, TEXT_BACK_HINT, INSTALL_CMD_GO_TO_PAGE, ICON_PREVIOUS);
  add_child(back_button, 1);
  content_height_ = static_cast<INT_S16>(H - next_button->height - d.dialog_gap);

  const INT_S32 page = d.current_page;
  switch (page) {
    case INSTALL_PAGE_LANGUAGE:
      set_title(text(TEXT_CAPTION_LANGUAGE));
      disable(back_button);
      disable(next_button);
      build_language_grid();
      break;
    case INSTALL_PAGE_LICENCE:
      set_title(text(TEXT_CAPTION_LICENCE));
      set_value(back_button, INSTALL_PAGE_FINISH);
      relabel(back_button, button_style, TEXT_DECLINE, TEXT_DECLINE_HINT, ICON_DISAGREE);
      set_value(next_button, d.next_page());
      relabel(next_button, button_style, TEXT_ACCEPT, TEXT_ACCEPT_HINT, ICON_AGREE);
      build_document_window("licence-%d", kLicenceLines);
      break;
    case INSTALL_PAGE_ITEM:
      set_title(text(TEXT_CAPTION_ITEM));
      disable(back_button);
      set_value(next_button, d.next_page());
      build_item_grid();
      break;
    case INSTALL_PAGE_TARGET: {
      set_title(text(TEXT_CAPTION_TARGET));
      const INT_S32 previous = d.previous_page();
      set_value(back_button, previous);
      if (previous != INSTALL_PAGE_ITEM) disable(back_button);
      set_value(next_button, d.next_page());
      relabel(next_button, button_style, TEXT_INSTALL, TEXT_INSTALL_HINT, ICON_INSTALL);
      build_target_grid();
      break;
    }
    case INSTALL_PAGE_PROGRESS: {
      set_title(text(TEXT_CAPTION_PROGRESS));
      disable(back_button);
      disable(next_button);
      const INT_S32 next = d.next_page();
      set_value(next_button, next);
      if (next == INSTALL_PAGE_FINISH) relabel(next_button, button_style, TEXT_FINISH, TEXT_FINISH_HINT, ICON_FINISH);
      build_progress_widgets();
      break;
    }
    case INSTALL_PAGE_README: {
      set_title(text(TEXT_CAPTION_README));
      disable(back_button);
      set_value(next_button, d.next_page());
      relabel(next_button, button_style, TEXT_FINISH, TEXT_FINISH_HINT, ICON_FINISH);
      relabel(quit_button, button_style, TEXT_ABOUT, TEXT_ABOUT_HINT, ICON_ABOUT);
      quit_button->action_arg1 = word_from_s32(INSTALL_CMD_ABOUT);
      INT_S16 lines = d.language_count > 0 ? d.languages[d.current_language].readme_lines : 0;
      if (lines < 1) lines = kFallbackReadmeLines;
      build_document_window("readme-%d", lines);
      break;
    }
    default:
      break;
  }

  // The button row, at the bottom of the client area.
  const INT_S16 cx = client_area ? client_area->x : 0, cy = client_area ? client_area->y : 0;
  const INT_S16 row_y = static_cast<INT_S16>(cy + H - quit_button->height);
  next_button->set_position(static_cast<INT_S16>(cx + W - next_button->width), row_y);
  back_button->set_position(
      static_cast<INT_S16>(cx + W - d.dialog_gap - back_button->width - next_button->width), row_y);
}

INSTALL_DIALOG::~INSTALL_DIALOG() {
  // The page's widgets go with the dialog (they are its children).
  if (install_dialog == this) {
    install_dialog = nullptr;
    install_grid = nullptr;
    target_path_button = nullptr;
    browse_button = nullptr;
  }
}

// ---- page content ----------------------------------------------------------------

WM_GRID* INSTALL_DIALOG::make_choice_grid(INT_S16 rows_per_page) {
  DATABASE& d = db();
  WM_GRID* grid = new WM_GRID(d.styles[STYLE_OPTIONS].visible, nullptr, 0, 0);
  grid->init(0, 0, static_cast<INT_U16>(client_width_ - 1), static_cast<INT_U16>(content_height_), 1,
             nullptr, &d.styles[STYLE_OPTIONS], &d.styles[STYLE_OPTIONS_SECOND]);
  grid->rows_per_page = rows_per_page;
  // Shrunk by one and set back, so that the grid lays its rows out.
  const INT_S16 w = grid->width, h = grid->height;
  grid->width = static_cast<INT_S16>(w - 1);
  grid->set_size(w, h, 1);
  install_grid = grid;
  return grid;
}

// One choice per row, each row as high as its object plus the row spacing.
void INSTALL_DIALOG::add_choice_row(WM_GRID* grid, INT_S16 row, WM_SCREEN_OBJECT* object, CHOICE_FIT* fit) {
  const INT_S16 spacing = db().styles[STYLE_OPTIONS].y_spacing;
  if (object->width > fit->widest) fit->widest = object->width;
  fit->total += spacing + object->height;
  grid->set_row_height(static_cast<INT_U16>(object->height + spacing));
  grid->place_object(0, row, object);
}

// Shrinks the grid around its choices and centres it in the content area.
void INSTALL_DIALOG::finish_choice_grid(WM_GRID* grid, const CHOICE_FIT& fit) {
  const WM_STYLE_SET& options = db().styles[STYLE_OPTIONS];
  const INT_S16 gw =
      static_cast<INT_S16>(fit.widest + get_border_gaps_width(&options) + get_cell_gaps_width(&options));
  const INT_S16 gh = static_cast<INT_S16>(get_border_gaps_height(&options) + fit.total);
  grid->set_size(gw, gh, 1);
  grid->set_position(static_cast<INT_S16>((client_width_ - gw) / 2),
                     static_cast<INT_S16>((content_height_ + 1 - gh) / 2));
  add_child(grid, 1);
}

void INSTALL_DIALOG::build_language_grid() {
  DATABASE& d = db();
  WM_GRID* grid = make_choice_grid(d.language_count);
  const INT_S32 next = d.next_page();  // computed now, with the language current now
  CHOICE_FIT fit;
  for (INT_S16 i = 0; i < d.language_count; ++i) {
    WM_BUTTON* b = new WM_BUTTON(0, 0, -1, -1, &button_style, d.languages[i].text(TEXT_LANGUAGE_OWN_NAME),
                                 nullptr, handle_install_dialog_command,
                                 word_from_s32(INSTALL_CMD_LANGUAGE), word_from_s32(next), kReleaseOnly);
    b->click_arg1 = word_from_s32(i);
    add_choice_row(grid, i, b, &fit);
  }
  finish_choice_grid(grid, fit);
}

void INSTALL_DIALOG::build_item_grid() {
  DATABASE& d = db();
  WM_GRID* grid = make_choice_grid(d.item_count);
  char(*names)[DATABASE_TEXT_SIZE] = d.language_count > 0 ? d.languages[d.current_language].item_names : nullptr;
  CHOICE_FIT fit;
  for (INT_S16 i = 0; i < d.item_count; ++i) {
    WM_CHECK_BOX* box = new WM_CHECK_BOX(0, 0, &d.styles[STYLE_CHECK_BOX],
                                         names ? names[i] : "",
                                         handle_install_dialog_command,
                                         word_from_s32(INSTALL_CMD_ITEM), word_from_s32(i));
    box->set_checked(i == d.selected_item);
    add_choice_row(grid, i, box, &fit);
  }
  finish_choice_grid(grid, fit);
}

void INSTALL_DIALOG::build_document_window(const char* pattern, INT_S16 line_count) {
  DATABASE& d = db();
  WM_TEXT_WIN* window = new WM_TEXT_WIN(0, 0, static_cast<INT_S16>(client_width_ - 1), content_height_,
                                        &d.styles[STYLE_TEXT], &d.styles[STYLE_SCROLLBAR], line_count,
                                        0, nullptr, 0, 0);
  add_child(window, 1);
  window->show_from_top = 1;
  // The document is unpacked into the process's private folder (a fixed name
  // in the shared temporary folder could be a link planted by someone else)
  // and removed again once read.
  char name[32];
  std::snprintf(name, sizeof name, pattern, static_cast<int>(d.current_language));
  FOLDER folder;
  if (!d.package || !get_private_temp_folder(&folder)) return;
  if (d.package->extract(&folder, name))
    window->load_file(&folder, name, &d.styles[STYLE_TEXT].fg_colour);
  folder.remove_file(name);
}

void INSTALL_DIALOG::build_target_grid() {
  DATABASE& d = db();
  const WM_STYLE_SET* label_style = &d.styles[STYLE_TEXT_TITLE];
  WM_GRID* grid = make_choice_grid(8);
  add_child(grid, 1);
  const INT_S16 h = grid->row_height;
  const INT_S16 s = static_cast<INT_S16>(h / 3);
  const INT_S16 t = static_cast<INT_S16>(h + ((h - s) * 3) / 5);
  // The page reads the chosen item; a database without one has no such page.
  if (d.selected_item < 0 || d.selected_item >= d.item_count) return;
  const INSTALL_ITEM& item = d.items[d.selected_item];

  grid->add_script_cell(0, 0, text(TEXT_TARGET_FOLDER_LABEL), label_style);
  grid->set_column_weights(4, kTargetWeights);
  grid->set_row_height(static_cast<INT_U16>(s));
  grid->add_script_cell(0, 1, "", label_style);
  grid->set_row_height(static_cast<INT_U16>(t));

  WM_CHECK_BOX* second = nullptr;
  INT_S16 path_row = 2;
  if (d.system_info.has_drive_list && item.allows_second_folders) {
    second = new WM_CHECK_BOX(0, 0, &d.styles[STYLE_CHECK_BOX], text(TEXT_SECOND_FOLDERS),
                              handle_install_dialog_command,
                              word_from_s32(INSTALL_CMD_ALT_FOLDERS), 0);
    second->set_checked(d.use_second_folders);
    grid->place_object(1, 2, second);
    path_row = 3;
  }
  target_path_button = grid->add_button_cell(1, path_row, target_path_display_text(d.target_folder),
                                             &d.styles[STYLE_TEXT], handle_install_dialog_command,
                                             word_from_s32(INSTALL_CMD_BROWSE), 0, kPressAndRelease);
  browse_button = grid->add_button_cell(2, path_row, "...", &button_style, handle_install_dialog_command,
                                        word_from_s32(INSTALL_CMD_BROWSE), 0, kPressAndRelease);
  if (second) {
    const INT_U8 enabled = d.use_second_folders ? 0 : 1;
    if (target_path_button) target_path_button->set_enabled(enabled);
    if (browse_button) browse_button->set_enabled(enabled);
  }

  const INT_S16 n = static_cast<INT_S16>(path_row + 1);
  grid->set_row_height(static_cast<INT_U16>(s));
  grid->add_script_cell(0, n, "", label_style);
  grid->set_row_height(static_cast<INT_U16>(t));

  const bool desktop = d.system_info.can_desktop_shortcut && item.has_desktop_shortcuts;
  const bool menu = d.system_info.can_menu_entry && item.has_menu_entries;
  if (!desktop && !menu) return;
  grid->set_column_weights(1, nullptr);
  grid->add_script_cell(0, static_cast<INT_S16>(n + 1), text(TEXT_SHORTCUTS_LABEL), label_style);
  grid->set_column_weights(3, kShortcutWeights);
  grid->set_row_height(static_cast<INT_U16>(s));
  grid->add_script_cell(0, static_cast<INT_S16>(n + 2), "", label_style);
  grid->set_row_height(static_cast<INT_U16>(t));
  INT_S16 row = static_cast<INT_S16>(n + 3);
  if (desktop) {
    WM_CHECK_BOX* box = new WM_CHECK_BOX(0, 0, &d.styles[STYLE_CHECK_BOX], text(TEXT_DESKTOP_SHORTCUTS),
                                         handle_install_dialog_command,
                                         word_from_s32(INSTALL_CMD_DESKTOP), 0);
    box->set_checked(d.desktop_shortcuts);
    grid->place_object(1, row++, box);
  }
  if (menu) {
    WM_CHECK_BOX* box = new WM_CHECK_BOX(0, 0, &d.styles[STYLE_CHECK_BOX], text(TEXT_MENU_ENTRIES),
                                         handle_install_dialog_command,
                                         word_from_s32(INSTALL_CMD_MENU), 0);
    box->set_checked(d.menu_entries);
    grid->place_object(1, row, box);
  }
}

void INSTALL_DIALOG::build_progress_widgets() {
  DATABASE& d = db();
  const WM_STYLE_SET& bar_style = d.styles[STYLE_PROGRESS_BAR];
  const INT_S16 bar_height = static_cast<INT_S16>(gap_or_border(bar_style, bar_style.border_top_gap) +
                                                  gap_or_border(bar_style, bar_style.border_bottom_gap) +
                                                  font_height_or_default(bar_style) + bar_style.y_spacing);
  // The bar checks its rectangle, given relative to the client area, against
  // the screen and ends the program when it does not fit: a dialog wider than
  // the window, or too small for its buttons, is kept from that by building
  // the bar within the screen's bounds.
  const INT_S32 screen_w = get_screen_width(0), screen_h = get_screen_height(0);
  INT_S32 bar_h = bar_height, bar_w = client_width_, bar_y = content_height_ / 2;
  if (bar_h > screen_h) bar_h = screen_h;
  if (bar_w > screen_w) bar_w = screen_w;
  if (bar_w < 0) bar_w = 0;
  if (bar_y > screen_h - bar_h) bar_y = screen_h - bar_h;
  if (bar_y < 0) bar_y = 0;
  progress_bar = new WM_PROGRESS_BAR(0, static_cast<INT_S16>(bar_y), static_cast<INT_S16>(bar_w),
                                     static_cast<INT_S16>(bar_h), "", 100, &bar_style);
  progress_bar->animation_x_rate = static_cast<INT_S16>(d.progress_rate_x);
  progress_bar->animation_y_rate = static_cast<INT_S16>(d.progress_rate_y);
  progress_bar->animation_update_rate = static_cast<INT_S16>(d.progress_update_rate);
  add_child(progress_bar, 1);
  status_label = new WM_SCRIPT(0, 0, static_cast<INT_S16>(client_width_ - 1), -1,
                               &d.styles[STYLE_PROGRESS_SCRIPT], "");
  status_label->set_position(0, static_cast<INT_S16>(bar_y - status_label->height));
  add_child(status_label, 1);
}

// ---- the installation run's calls ----------------------------------------------

void INSTALL_DIALOG::update_buttons() {
  DATABASE& d = db();
  if (quit_button) {
    if (d.next_page() == INSTALL_PAGE_FINISH) {
      relabel(quit_button, button_style, TEXT_ABOUT, TEXT_ABOUT_HINT, ICON_ABOUT);
      quit_button->action_arg1 = word_from_s32(INSTALL_CMD_ABOUT);
    } else {
      disable(quit_button);
    }
  }
  if (next_button && !next_button->enabled) next_button->set_enabled(1);
}

void INSTALL_DIALOG::set_progress(INT_S32 percent, char* line_text) {
  if (!progress_bar) return;
  DATABASE& d = db();
  char empty[1] = "";
  char* line = line_text ? line_text : empty;
  char* cut = nullptr;  // where the line was ended early, restored at the end
  char saved = 0;
  if (line[0] == '/' && !d.show_whole_path) {
    if (!d.show_folder_part) {
      if (percent == progress_bar->value) return;
      line = const_cast<char*>(text(TEXT_PROGRESS_NO_PATHS));
    } else {
      // The folder part, with its trailing '/'.
      cut = std::strrchr(line, '/') + 1;
      saved = *cut;
      *cut = 0;
      if (percent == progress_bar->value && status_label && std::strcmp(label_text(status_label), line) == 0) {
        *cut = saved;
        return;
      }
    }
  }
  if (percent >= 0 && percent <= progress_bar->maximum) progress_bar->value = percent;
  // The new state goes into the dirty rectangles. A frame that is shown draws
  // it with everything else that changed and goes out at once, so that a long
  // step after this call shows its own line. Steps that the display takes no
  // frame of (small files, many to a frame) draw nothing: their bar and line
  // wait for the frame that shows them.
  const bool shown = wm_frame_goes_out() != 0;
  progress_bar->invalidate();
  if (status_label) {
    if (status_label->visible) status_label->show();
    status_label->set_text_value(line, 0);
  }
  if (shown) {
    if (wm_page_manager) wm_page_manager->redraw();
    progress_swap_screens(get_display_of_point(progress_bar->x, progress_bar->y));
  }
  progress_bar->pump();
  if (shown && status_label) {
    progress_swap_screens(get_display_of_point(x, y));
    progress_update_platform();
  }
  if (cut) *cut = saved;
}
