// The file selector: construction, layout, modes and the result.
#include "wm_file_select.h"

#include <cstring>

#include "image.h"
#include "wm_button.h"
#include "wm_globals.h"
#include "wm_grid.h"
#include "wm_menu.h"
#include "wm_script.h"
#include "wm_text_edit.h"
#include "wm_text_edit_dialog.h"
#include "wm_widget_globals.h"
#include "../wm_platform.h"

namespace {

const INT_S16 kDefaultWidth = 500, kDefaultHeight = 350;
const char kOk[] = "OK";
const char kCancel[] = "Cancel";
const char kNewFolder[] = "New Folder";
const char kMyComputer[] = "My Computer";
const char kNewFolderPrompt[] = "Enter new folder name";
const char kLocation[] = "Location:";
const INT_S16 kNameMaxLength = 256;
const INT_U16 kTopWeights[] = {8, 3, 4};
const INT_U16 kListWeights[] = {1, 5, 1, 3};
const INT_U16 kRoundedCorners = 0xF0;
const INT_U16 kFourSides = 15;

// The texts of each mode: title and status line.
struct MODE_TEXTS {
  const char* title;
  const char* status;
};
const MODE_TEXTS kModeTexts[] = {
    {"Select a File", "Select an exsiting file."},
    {"Select a New File", "Select a new or exsiting file."},
    {"Select a Folder", "Select an exsiting folder."},
};

// The icons a selector shows, by the name they are loaded under when the
// skin left them empty.
const char* const kDriveIconNames[WM_DRIVE_ICON_COUNT] = {
    "disk",       "disk-cdrom", "disk-floppy", "disk-network", "disk-linux",
    "disk-unix",  "disk-mac",   "disk-os2",    "disk-dos",     "disk-windows"};

INT_S16 s16(INT_S32 v) { return static_cast<INT_S16>(v); }

void load_if_empty(IMAGE& icon, FOLDER* folder, const char* name) {
  if (icon.width <= 0) icon.load(folder, name, -1, -1);
}

void load_empty_icons() {
  FOLDER icons;
  if (!icons.set("$ICONDATA")) return;
  for (int i = 0; i < WM_DRIVE_ICON_COUNT; ++i)
    load_if_empty(wm_drive_icons[i], &icons, kDriveIconNames[i]);
  load_if_empty(wm_parent_folder_icon, &icons, "parent_folder");
  load_if_empty(wm_file_icon, &icons, "file");
  load_if_empty(wm_folder_icon, &icons, "folder");
}

bool ends_with(const char* text, const char* tail) {
  const size_t n = std::strlen(text), t = std::strlen(tail);
  return n >= t && std::strcmp(text + n - t, tail) == 0;
}

// The five styles of the default form, derived from the dialog's button style.
struct DERIVED_STYLES {
  WM_STYLE_SET menu_button, menu_frame, name_box, list, list_scrollbar;
  explicit DERIVED_STYLES(const WM_STYLE_SET& b)
      : menu_button(b), menu_frame(b), name_box(b), list(b), list_scrollbar(b) {
    menu_button.ssf |= ssf_left_justify_text;
    menu_button.ssef |= ssef_down_arrow;
    menu_frame.shading_flags = static_cast<INT_U16>(menu_frame.shading_flags & ~kRoundedCorners);
    menu_frame.ssf |= ssf_draw_border | ssf_outstanding_border;
    name_box.shading_flags = static_cast<INT_U16>(name_box.shading_flags & ~kRoundedCorners);
    name_box.ssf |= ssf_draw_border | ssf_indent_border;
    name_box.shading_type = 4;
    list = name_box;
  }
};

}  // namespace

WM_FILE_SELECT::WM_FILE_SELECT(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h,
                               const WM_STYLE_SET* menu_button_style,
                               const WM_STYLE_SET* menu_frame_style,
                               const WM_STYLE_SET* name_box_style, const WM_STYLE_SET* list_style,
                               const WM_STYLE_SET* list_scrollbar_style, INT_U8 vis,
                               WM_ACTION_CALLBACK callback, INT_WORD arg1, const char* ok_text,
                               const char* cancel_text, const char* new_folder_text,
                               const WM_STYLE_SET* menu_item_style,
                               const WM_STYLE_SET* menu_alternate_item_style)
    : WM_DIALOG(px, py, w == -1 ? kDefaultWidth : w, h == -1 ? kDefaultHeight : h, "") {
  folder.set("$APP");
  invalidate();
  visible = needs_redraw = vis;
  build(callback, arg1, ok_text, cancel_text, new_folder_text, menu_button_style,
        menu_frame_style, name_box_style, list_style, list_scrollbar_style, menu_item_style,
        menu_alternate_item_style);
}

WM_FILE_SELECT::WM_FILE_SELECT(INT_S16 px, INT_S16 py, INT_U8 vis, WM_ACTION_CALLBACK callback,
                               INT_WORD arg1, const char* ok_text, const char* cancel_text,
                               const char* new_folder_text)
    : WM_DIALOG(px, py, kDefaultWidth, kDefaultHeight, "") {
  folder.set("$APP");
  invalidate();
  visible = needs_redraw = vis;
  const DERIVED_STYLES d(button_style);
  build(callback, arg1, ok_text, cancel_text, new_folder_text, &d.menu_button, &d.menu_frame,
        &d.name_box, &d.list, &d.list_scrollbar, nullptr, nullptr);
}

WM_FILE_SELECT::~WM_FILE_SELECT() {
  // An open new-folder dialog answers to this selector: it goes with it.
  // (A dialog that has left the list was deleted by whoever took it off.)
  if (new_folder_dialog && is_popup(new_folder_dialog)) {
    new_folder_dialog->not_owned = 0;
    remove_popup(new_folder_dialog, 1, 0);
  }
  new_folder_dialog = nullptr;
}

void WM_FILE_SELECT::build(WM_ACTION_CALLBACK callback, INT_WORD arg1, const char* ok_text,
                           const char* cancel_text, const char* new_folder_text,
                           const WM_STYLE_SET* menu_button_style,
                           const WM_STYLE_SET* menu_frame_style,
                           const WM_STYLE_SET* name_box_style, const WM_STYLE_SET* list_style,
                           const WM_STYLE_SET* list_scrollbar_style,
                           const WM_STYLE_SET* menu_item_style,
                           const WM_STYLE_SET* menu_alternate_item_style) {
  fit_to_screen();

  action_callback = callback;
  action_arg1 = arg1;
  mode = 0;
  show_hidden = drives_view = refresh_needed = prompt_over_selector = 0;
  selected_row = -1;
  row_count = 0;
  my_computer_text.set(kMyComputer);
  new_folder_title.set(kNewFolder);
  new_folder_prompt.set(kNewFolderPrompt);
  entry_style = *name_box_style;
  load_empty_icons();

  const INT_S16 w = s16(width - style.border_left_gap - style.border_right_gap -
                        style.cell_left_gap - style.cell_right_gap);
  const INT_S16 h =
      s16(height - caption_height() - style.border_bottom_gap - style.cell_bottom_gap);
  const INT_WORD self = reinterpret_cast<INT_WORD>(this);

  new_folder_button =
      new WM_BUTTON(0, 0, -1, -1, &button_style, new_folder_text ? new_folder_text : kNewFolder,
                    "", on_command, 3, self, BUTTON_EVENT_RELEASE);
  const INT_S16 m = s16(new_folder_button->height / 2);
  const INT_S16 row_y = s16(h - 2 * m);
  new_folder_button->set_position(m, row_y);
  new_folder_button->focusable = 1;
  ok_button = new WM_BUTTON(0, 0, -1, -1, &button_style, ok_text ? ok_text : kOk, "", on_command,
                            1, self, BUTTON_EVENT_RELEASE);
  ok_button->set_position(s16(w - ok_button->width - m), row_y);
  ok_button->focusable = 1;
  cancel_button = new WM_BUTTON(0, 0, -1, -1, &button_style, cancel_text ? cancel_text : kCancel,
                                "", on_command, 2, self, BUTTON_EVENT_RELEASE);
  cancel_button->set_position(s16(w - 2 * m - cancel_button->width - ok_button->width), row_y);
  cancel_button->focusable = 1;

  location_menu = new WM_MENU(0, 0, -1, -1, "", MENU_BELOW, menu_button_style, menu_frame_style,
                              menu_item_style, menu_alternate_item_style, nullptr, nullptr,
                              nullptr, nullptr, nullptr);
  const INT_S16 font_h = wm_surface ? wm_surface->font_height : 0;
  const INT_S16 row_h = location_menu->height > font_h ? location_menu->height : font_h;

  // The top line: status text, "Location:" and the drop-down, without
  // borders or gaps.
  WM_STYLE_SET top;
  top.ssf &= ~static_cast<INT_U32>(ssf_draw_border | ssf_indent_border | ssf_outstanding_border);
  top.shading_flags = kFourSides;
  top.bg_colour = wm_default_colour;
  top.font_id = 255;
  top.font_x_sz = top.font_y_sz = -1;
  top.border_left_gap = top.border_right_gap = top.border_top_gap = top.border_bottom_gap = 0;
  top.cell_left_gap = top.cell_right_gap = top.cell_top_gap = top.cell_bottom_gap = 0;
  top.x_spacing = top.y_spacing = 0;
  top_grid = new WM_GRID(1);
  top_grid->init(static_cast<INT_U16>(m), static_cast<INT_U16>(m), static_cast<INT_U16>(w - m),
                 static_cast<INT_U16>(row_h + m), 3, kTopWeights, &top, &top);
  top_grid->visible = 1;
  top_grid->rows_per_page = 1;
  top_grid->set_size(s16(top_grid->width - 1), top_grid->height, 1);
  top_grid->set_size(s16(top_grid->width + 1), top_grid->height, 1);
  add_child(top_grid, 1);
  status_label = top_grid->add_text_cell(0, 0, "", &style.fg_colour, &wm_default_colour,
                                         SCRIPT_TEXT_LEFT);
  location_label =
      top_grid->add_text_cell(1, 0, kLocation, &style.fg_colour, &wm_default_colour, 0);
  for (WM_SCRIPT* label : {status_label, location_label})
    if (label) label->left_gap = label->right_gap = label->top_gap = label->bottom_gap = 0;
  top_grid->place_object(2, 0, location_menu);

  name_box = new WM_TEXT_EDIT(0, 0, s16(w - 2 * m), kNameMaxLength, "", name_box_style,
                              on_command, 8, self);
  name_box->set_position(m, s16(row_y - 2 * m - name_box->height));
  name_box->notify_on_change = 1;
  add_child(name_box, 1);

  list = new WM_GRID(list_style->visible);
  list->init(static_cast<INT_U16>(m), static_cast<INT_U16>(row_h + 2 * m),
             static_cast<INT_U16>(w - m), static_cast<INT_U16>(row_y - 2 * m - name_box->height - m),
             4, kListWeights, list_style, list_scrollbar_style);
  list->rows_per_page = 0;
  // A folder of any size lists as many entries as a grid can hold, not the
  // default 1,024 rows.
  list->row_limit = -1;
  INT_S32 list_row_h = row_h;
  for (const IMAGE* icon : {&wm_drive_icons[9], &wm_parent_folder_icon, &wm_file_icon,
                            &wm_folder_icon})
    if (icon->height > list_row_h) list_row_h = icon->height;
  list_row_h -= list_style->y_spacing;
  if (list_row_h <= 0) list_row_h = static_cast<INT_S32>(get_grid_row_height(list_style, nullptr));
  list->row_height = s16(list_row_h < 1 ? 1 : list_row_h);
  add_child(list, 1);
  add_child(ok_button, 1);
  add_child(cancel_button, 1);
  add_child(new_folder_button, 1);

  kind |= WM_KIND_FILE_SELECT;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

void WM_FILE_SELECT::set_mode(INT_U8 new_mode, const FOLDER* start, const char* name,
                              const char* ext) {
  mode = new_mode;
  extension.set(ext ? ext : "");
  drives_view = 0;
  refresh_needed = 1;
  if (mode < FILE_SELECT_OPEN || mode > FILE_SELECT_FOLDER) return;
  if (start) folder = *start;
  name_box->set_text(mode == FILE_SELECT_FOLDER || !name ? "" : name);
  name_box->enabled = mode == FILE_SELECT_SAVE ? 1 : 0;
  name_box->show();
  new_folder_button->set_enabled(mode == FILE_SELECT_OPEN ? 0 : 1);
  new_folder_button->show();
  const MODE_TEXTS& t = kModeTexts[mode - FILE_SELECT_OPEN];
  set_title(t.title);
  if (status_label) {
    status_label->set_text_value(t.status, 0);
    status_label->show();
  }
}

void WM_FILE_SELECT::get_result(FOLDER* out, char* name) {
  if (mode < FILE_SELECT_OPEN || mode > FILE_SELECT_FOLDER || !out) return;
  const char* typed = name_box->text.text ? name_box->text.text : "";
  *out = folder;
  if (mode == FILE_SELECT_FOLDER) {
    if (name) name[0] = 0;
    if (typed[0]) out->enter(typed, 0);
    return;
  }
  if (!name) return;
  std::strcpy(name, typed);
  const char* ext = extension.text ? extension.text : "";
  if (mode == FILE_SELECT_SAVE && ext[0] && !ends_with(typed, ext)) std::strcat(name, ext);
}
