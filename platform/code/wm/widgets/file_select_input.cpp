// The file selector's input: rebuilding the list and the location menu, the
// commands of its parts and the new-folder dialog.
#include "wm_file_select.h"

#include <cstring>

#include "data_file.h"
#include "page_manager.h"
#include "sound.h"
#include "wm_button.h"
#include "wm_globals.h"
#include "wm_grid.h"
#include "wm_image_widget.h"
#include "wm_menu.h"
#include "wm_script.h"
#include "wm_text_edit.h"
#include "wm_text_edit_dialog.h"
#include "wm_widget_globals.h"
#include "../wm_internal.h"

namespace {

enum : INT_WORD {
  kCommandOk = 1,
  kCommandCancel = 2,
  kCommandNewFolder = 3,
  kCommandLocation = 4,
  kCommandDrive = 5,
  kCommandFolder = 6,
  kCommandFile = 7,
  kCommandName = 8
};
const INT_S32 kMyComputer = -1;
const INT_U32 kTextLeft = 1;  // button flags of the list's text cells
// Folders deeper than this are not walked for the location menu.
const int kMaxLocationItems = 256;
const INT_S16 kNameMaxLength = 256;
const char kParentName[] = "..";

// Folder and file icons keep their shape in a cell of any size; the drive
// icons are shown as the skin drew them, fitted to the cell.
WM_IMAGE* make_icon(const IMAGE& picture, INT_WORD command, WM_FILE_SELECT* self,
                    INT_U8 keep_aspect) {
  WM_IMAGE* icon = new WM_IMAGE(0, 0, 0, 0, 1, WM_FILE_SELECT::on_command, command,
                                reinterpret_cast<INT_WORD>(self), IMAGE_CLICK_RELEASE);
  icon->picture.copy_from(&picture);
  icon->picture.keep_aspect = keep_aspect;
  return icon;
}

}  // namespace

WM_BUTTON* WM_FILE_SELECT::row_button(INT_S16 row) {
  WM_SCREEN_OBJECT* cell = list ? list->get_cell(1, row) : nullptr;
  return cell && (cell->kind & WM_KIND_BUTTON) ? static_cast<WM_BUTTON*>(cell) : nullptr;
}

void WM_FILE_SELECT::clear_name_in_open_mode() {
  if (mode == FILE_SELECT_OPEN) name_box->set_text("");
}

namespace {

// "My Computer" as the location menu's last item, then an empty list.
void end_locations_and_clear_list(WM_FILE_SELECT* s) {
  if (WM_BUTTON* item = s->location_menu->menu->add_item(s->my_computer_text.text, WM_FILE_SELECT::on_command,
                                                         kCommandLocation, reinterpret_cast<INT_WORD>(s), 0))
    item->click_arg1 = word_from_s32(kMyComputer);
  s->location_menu->place();
  s->list->clear_rows(1);
  s->selected_row = -1;
  s->row_count = 0;
}

}  // namespace

void WM_FILE_SELECT::empty_location_menu() {
  WM_FLOATING_MENU* m = location_menu ? location_menu->menu : nullptr;
  if (!m) return;
  m->remove_scroll_buttons();
  if (m->grid) m->grid->clear_rows(1);
  m->entry_count = m->item_count = 0;
  m->first_visible = m->last_visible = 0;
  m->up_row = m->down_row = 0;
  m->up_displaced = m->down_displaced = nullptr;
  location_menu->place();
}

void WM_FILE_SELECT::fill_folder_view() {
  const INT_WORD self = reinterpret_cast<INT_WORD>(this);
  new_folder_button->set_enabled(mode == FILE_SELECT_OPEN ? 0 : 1);
  empty_location_menu();
  location_menu->set_text(folder.display_name(), 0);
  FOLDER walk(folder);
  for (int i = 0; i < kMaxLocationItems; ++i) {
    if (WM_BUTTON* item = location_menu->menu->add_item(walk.display_name(), on_command,
                                                        kCommandLocation, self, 0))
      item->click_arg1 = word_from_s32(i);
    location_menu->place();
    if (!walk.go_up()) break;
  }
  end_locations_and_clear_list(this);

  FOLDER above(folder);
  const INT_WORD up = word_from_s32(above.go_up() ? 1 : kMyComputer);
  WM_IMAGE* icon = make_icon(wm_parent_folder_icon, kCommandLocation, this, 1);
  icon->click_arg1 = up;
  if (!list->place_object(0, 0, icon)) delete icon;
  if (WM_BUTTON* b = list->add_font_button_cell(1, 0, kParentName, &style.fg_colour,
                                                &wm_default_colour, kTextLeft, on_command,
                                                kCommandLocation, self, BUTTON_EVENT_RELEASE))
    b->click_arg1 = up;
  // ".." is row 0: every entry goes to row row_count, which its cells carry.
  row_count = 1;

  for (int pass = 0; pass < (mode == FILE_SELECT_FOLDER ? 1 : 2); ++pass) {
    DIR_SCAN* scan = folder.open_scan(nullptr, show_hidden, 0, 0);
    if (!scan) break;
    DIR_SCAN_ITEM item;
    while (read_dir_scan(scan, &item))
      if ((item.is_folder != 0) == (pass == 0)) add_entry_row(&item);
    close_dir_scan(scan);
  }
}

void WM_FILE_SELECT::fill_drives_view() {
  const INT_WORD self = reinterpret_cast<INT_WORD>(this);
  new_folder_button->set_enabled(0);
  empty_location_menu();
  location_menu->set_text(my_computer_text.text, 0);
  end_locations_and_clear_list(this);
  const INT_U16 drives = count_drives();
  for (INT_U16 i = 0; i < drives; ++i) {
    const INT_S16 row = static_cast<INT_S16>(i);
    const int type = static_cast<int>(get_drive_type(i));
    const IMAGE& picture = type >= 0 && type < WM_DRIVE_ICON_COUNT && wm_drive_icons[type].width > 0
                               ? wm_drive_icons[type]
                               : wm_drive_icons[0];
    WM_IMAGE* icon = make_icon(picture, kCommandDrive, this, 0);
    icon->click_arg1 = i;
    if (!list->place_object(0, row, icon)) delete icon;
    // A drive gone since it was counted has no name.
    const char* name = get_drive_name(i);
    if (WM_BUTTON* b = list->add_font_button_cell(1, row, name ? name : "", &style.fg_colour,
                                                  &wm_default_colour, kTextLeft, on_command,
                                                  kCommandDrive, self, BUTTON_EVENT_RELEASE))
      b->click_arg1 = i;
    row_count = static_cast<INT_S16>(row + 1);
  }
}

void WM_FILE_SELECT::rebuild() {
  if (drives_view)
    fill_drives_view();
  else
    fill_folder_view();
  // The scroll value counts from the bottom: its maximum shows the top.
  if (list->row_count > 0) list->set_scroll(list->scroll_maximum());
  list->show();
}

void WM_FILE_SELECT::add_entry_row(const DIR_SCAN_ITEM* entry) {
  if (!entry || !entry->name) return;
  const char* ext = extension.text ? extension.text : "";
  const size_t n = std::strlen(entry->name), t = std::strlen(ext);
  if (!entry->is_folder && t && (n < t || std::strcmp(entry->name + n - t, ext) != 0)) return;
  const INT_WORD command = entry->is_folder ? kCommandFolder : kCommandFile;
  const INT_WORD self = reinterpret_cast<INT_WORD>(this);
  const INT_S16 row = row_count;
  WM_IMAGE* icon = make_icon(entry->is_folder ? wm_folder_icon : wm_file_icon, command, this, 1);
  icon->click_arg1 = word_from_s32(row);
  if (!list->place_object(0, row, icon)) {
    delete icon;
    return;  // the grid is full
  }
  const char* texts[3] = {entry->name, get_file_size_text(entry), get_file_time_text(entry)};
  for (INT_U16 column = 1; column <= 3; ++column)
    if (WM_BUTTON* b = list->add_font_button_cell(column, row, texts[column - 1] ? texts[column - 1] : "",
                                                  &style.fg_colour, &wm_default_colour, kTextLeft,
                                                  on_command, command, self, BUTTON_EVENT_RELEASE))
      b->click_arg1 = word_from_s32(row);
  const char* typed = name_box->text.text ? name_box->text.text : "";
  if (!entry->is_folder && std::strcmp(entry->name, typed) == 0) {
    list->set_row_selected(row, 1);
    selected_row = row;
  }
  row_count = static_cast<INT_S16>(row + 1);
}

void WM_FILE_SELECT::update_ok_button() {
  INT_U8 on = ok_button->enabled;
  if (mode == FILE_SELECT_OPEN || mode == FILE_SELECT_SAVE)
    on = !drives_view && name_box->text.length() > 0 ? 1 : 0;
  else if (mode == FILE_SELECT_FOLDER)
    on = drives_view ? 0 : 1;
  if (on != ok_button->enabled) ok_button->set_enabled(on);
}

INT_S32 WM_FILE_SELECT::handle_input() {
  if (refresh_needed) {
    refresh_needed = 0;
    rebuild();
  }
  update_ok_button();
  INT_S32 r = 0;
  wm_call_survives(this, [&] { r = WM_DIALOG::handle_input(); });
  return r;
}

INT_S32 WM_FILE_SELECT::answer(INT_U8 value) {
  action_arg2 = value;
  WM_CLICK_SOUND& s = wm_click_sound;
  if (s.handle && s.name[0])
    play_sound_file(s.handle, s.channel, &s.folder, s.name, s.volume, s.pan, 0);
  INT_S32 result = 0;
  if (action_callback)
    wm_call_survives(this, [&] { result = action_callback(this, action_arg1, value); });
  return result;
}

void WM_FILE_SELECT::open_new_folder_dialog() {
  // One at a time; a dialog closed by others has left the pop-up list.
  if (new_folder_dialog && is_popup(new_folder_dialog)) return;
  const bool over = prompt_over_selector != 0;
  WM_TEXT_EDIT_DIALOG* d = new WM_TEXT_EDIT_DIALOG(
      over ? get_x() : -1, over ? get_y() : -1, over ? width : -1, over ? height : -1,
      &entry_style, 1, on_command, kCommandNewFolder, ok_button->text, cancel_button->text,
      nullptr, kNameMaxLength);
  d->click_arg1 = reinterpret_cast<INT_WORD>(this);
  if (wm_page_manager && wm_page_manager->current_manager)
    wm_page_manager->current_manager->add_popup(d, 0);
  else
    add_popup(d, 0);
  if (ok_button->icon.width > 0) d->ok_button->set_icon(&ok_button->icon);
  if (cancel_button->icon.width > 0) d->cancel_button->set_icon(&cancel_button->icon);
  d->prompt_label->set_text_value(new_folder_prompt.text, 0);
  d->set_title(new_folder_title.text);
  d->edit_box->char_filter = WM_TEXT_EDIT::filter_file_name;
  new_folder_dialog = d;
}

INT_S32 WM_FILE_SELECT::on_command(WM_SCREEN_OBJECT* object, INT_WORD command, INT_WORD arg) {
  if (command == kCommandNewFolder && object && (object->kind & WM_KIND_TEXT_EDIT_DIALOG)) {
    // The new-folder dialog's answer: arg is the answer, the selector rides
    // in the dialog's click_arg1.
    WM_TEXT_EDIT_DIALOG* d = static_cast<WM_TEXT_EDIT_DIALOG*>(object);
    WM_FILE_SELECT* self = reinterpret_cast<WM_FILE_SELECT*>(d->click_arg1);
    const char* name = d->edit_box->text.text;
    if (self && word_to_s32(arg) == 1 && name && name[0]) {
      self->folder.enter(name, 1);
      self->refresh_needed = 1;
    }
    if (self && self->new_folder_dialog == d) self->new_folder_dialog = nullptr;
    d->delete_when_closed = 1;
    d->set_fade(0);
    d->start_transition(0);
    d->immediate = 0;
    return 0;
  }

  WM_FILE_SELECT* self = reinterpret_cast<WM_FILE_SELECT*>(arg);
  if (!self) return 0;
  const INT_S32 n = object ? word_to_s32(object->click_arg1) : 0;
  switch (command) {
    case kCommandOk:
      return self->answer(1);
    case kCommandCancel:
      return self->answer(0);
    case kCommandNewFolder:
      self->open_new_folder_dialog();
      break;
    case kCommandLocation:
      self->clear_name_in_open_mode();
      if (n == kMyComputer) {
        self->drives_view = 1;
      } else {
        for (INT_S32 i = 0; i < n; ++i)
          if (!self->folder.go_up()) break;
      }
      self->refresh_needed = 1;
      break;
    case kCommandDrive:
      self->clear_name_in_open_mode();
      self->folder.set_to_drive(static_cast<INT_U16>(n));
      self->drives_view = 0;
      self->refresh_needed = 1;
      break;
    case kCommandFolder: {
      self->clear_name_in_open_mode();
      const WM_BUTTON* b = self->row_button(static_cast<INT_S16>(n));
      if (b && b->text) self->folder.enter(b->text, 0);
      self->refresh_needed = 1;
      break;
    }
    case kCommandFile: {
      const WM_BUTTON* b = self->row_button(static_cast<INT_S16>(n));
      if (!b || !b->text) break;
      self->name_box->set_text(b->text);
      self->list->set_row_selected(self->selected_row, 0);
      self->selected_row = static_cast<INT_S16>(n);
      self->list->set_row_selected(self->selected_row, 1);
      self->update_ok_button();
      break;
    }
    case kCommandName:
      if (self->mode == FILE_SELECT_OPEN || self->mode == FILE_SELECT_SAVE) self->update_ok_button();
      break;
    default:
      break;
  }
  return 0;
}
