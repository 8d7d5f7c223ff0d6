// The skin loader: a folder tree of ".ss" style files, icon images and the
// dialog effects, read into the database and the dialog and hint globals.
#include <cstring>

#include "config_file.h"
#include "database.h"
#include "wm_button.h"
#include "wm_dialog.h"

namespace {

enum SKIN_TARGET {
  TO_STYLE,              // the database's style set `style`
  TO_DIALOG_BACKGROUND,  // through the temporary set, copied even when the read failed
  TO_DIALOG_TITLE,
  TO_DIALOG_BUTTON,
  TO_HINT                // through the temporary set, copied only when read
};

struct SKIN_FILE {
  const char* folder;
  const char* file;
  SKIN_TARGET target;
  int style;
};

// Sub-folders in reading order, with their files in reading order.
const SKIN_FILE kSkinFiles[] = {
    {"button", "button.ss", TO_DIALOG_BUTTON, 0},
    {"button", "button_hints.ss", TO_HINT, 0},
    {"button", "menu_button.ss", TO_STYLE, STYLE_MENU_BUTTON},
    {"menu", "menu_dropdown.ss", TO_STYLE, STYLE_MENU_DROPDOWN},
    {"menu", "menu_item.ss", TO_STYLE, STYLE_MENU_ITEM},
    {"menu", "menu_alt_item.ss", TO_STYLE, STYLE_MENU_ALT_ITEM},
    {"check_box", "check_box.ss", TO_STYLE, STYLE_CHECK_BOX},
    {"progress_bar", "progress_bar.ss", TO_STYLE, STYLE_PROGRESS_BAR},
    {"progress_bar", "progress_bar_script.ss", TO_STYLE, STYLE_PROGRESS_SCRIPT},
    {"dialog", "background.ss", TO_DIALOG_BACKGROUND, 0},
    {"dialog", "text.ss", TO_STYLE, STYLE_DIALOG_TEXT},
    {"dialog", "title.ss", TO_DIALOG_TITLE, 0},
    {"options", "options.ss", TO_STYLE, STYLE_OPTIONS},
    {"text_win", "scrollbar.ss", TO_STYLE, STYLE_SCROLLBAR},
    {"text_win", "text_title.ss", TO_STYLE, STYLE_TEXT_TITLE},
    {"text_win", "text.ss", TO_STYLE, STYLE_TEXT},
    {"title", "title.ss", TO_STYLE, STYLE_TITLE},
};

const char kIconFolder[] = "icons";
const char* const kIconNames[DATABASE_ICON_COUNT] = {
    "forw_icon", "prev_icon", "yes_icon", "no_icon", "quit_icon", "about_icon",
    "finish_icon", "agree_icon", "disagree_icon", "install_icon", "new_folder_icon", "disk",
    "disk-cdrom", "disk-floppy", "disk-network", "disk-linux", "disk-unix", "disk-mac",
    "disk-os2", "disk-dos", "disk-windows", "parent_folder", "file", "folder"};

const char kEffectsFile[] = "dialog_effects.cfg";

// Reads one file of a sub-folder into its destination.
void read_skin_file(DATABASE* database, CONFIG_FILE* config, FOLDER* sub, const SKIN_FILE& f,
                    WM_STYLE_SET* temporary) {
  config->init(f.file, 1);
  if (f.target == TO_STYLE) {
    database->styles[f.style].read_text(config, nullptr, 0, sub);
    return;
  }
  const bool read = temporary->read_text(config, nullptr, 0, sub);
  switch (f.target) {
    case TO_DIALOG_BACKGROUND: set_dialog_background_style(temporary); break;
    case TO_DIALOG_TITLE: set_dialog_title_style(temporary); break;
    case TO_DIALOG_BUTTON: set_dialog_button_style(temporary); break;
    case TO_HINT:
      if (read) {
        wm_button_hint_style = *temporary;
        wm_button_hint_style_ready = 1;
      }
      break;
    case TO_STYLE: break;
  }
}

void load_icons(DATABASE* database, FOLDER* icons) {
  for (int i = 0; i < DATABASE_ICON_COUNT; i++) {
    // Loaded aside, so a picture that fails leaves the icon as it was.
    IMAGE picture;
    if (picture.load(icons, kIconNames[i], -1, -1) && picture.width > 0)
      database->icons[i].copy_from(&picture);
  }
}

// Reads one decimal key into a value of the destination's width.
template <typename T>
void read_effect(CONFIG_FILE* config, FOLDER* skin, const char* key, T* field, INT_U32 kept_bits) {
  // A value that is no number leaves the field as it was.
  INT_S32 value = static_cast<INT_S32>(*field);
  char text[CONFIG_VALUE_SIZE];
  if (!config->get_string(skin, key, text) || !config->get_long(skin, key, &value, 0)) return;
  const INT_U32 bits = static_cast<INT_U32>(value) & kept_bits;
  *field = static_cast<T>((static_cast<INT_U32>(*field) & ~kept_bits) | bits);
}

void load_effects(DATABASE* database, CONFIG_FILE* config, FOLDER* skin) {
  DIALOG_EFFECTS effects = wm_dialog_effects;
  database->progress_rate_x = 0;
  database->progress_rate_y = 0;
  database->progress_update_rate = 0;
  config->init(kEffectsFile, 1);
  if (skin && config->exists(skin)) {
    read_effect(config, skin, "flags", &effects.flags, 0xFFFF);
    read_effect(config, skin, "open_delay", &effects.open_delay, 0xFFFFFFFF);
    read_effect(config, skin, "display_delay", &effects.display_delay, 0xFFFFFFFF);
    read_effect(config, skin, "dragging_alpha", &effects.dragging_alpha, 0xFF);
    read_effect(config, skin, "progress_bar_animation_x_rate", &database->progress_rate_x, 0xFFFF);
    read_effect(config, skin, "progress_bar_animation_y_rate", &database->progress_rate_y, 0xFFFF);
    read_effect(config, skin, "progress_bar_animation_update_rate",
                &database->progress_update_rate, 0xFFFF);
  }
  wm_dialog_effects.flags = (wm_dialog_effects.flags & ~0xFFFFu) | (effects.flags & 0xFFFF);
  wm_dialog_effects.open_delay = effects.open_delay;
  wm_dialog_effects.display_delay = effects.display_delay;
  wm_dialog_effects.dragging_alpha =
      (wm_dialog_effects.dragging_alpha & ~0xFFu) | (effects.dragging_alpha & 0xFF);
}

}  // namespace

void load_skin(DATABASE* database, const char* skin_folder) {
  if (!database) return;
  FOLDER skin;
  // A text with an unknown variable would end the program: such a skin
  // folder holds nothing.
  const bool usable = skin_folder && is_usable_path_text(skin_folder) &&
                      skin.set(skin_folder, 0);
  CONFIG_FILE config;
  WM_STYLE_SET temporary;  // not reset between reads
  if (usable) {
    const char* current = nullptr;
    FOLDER sub;
    bool present = false;
    for (const SKIN_FILE& f : kSkinFiles) {
      if (!current || strcmp(current, f.folder) != 0) {
        current = f.folder;
        sub = skin;
        present = sub.enter(f.folder, 0);
      }
      if (present) read_skin_file(database, &config, &sub, f, &temporary);
    }
    FOLDER icons = skin;
    if (icons.enter(kIconFolder, 0)) load_icons(database, &icons);
  }
  load_effects(database, &config, usable ? &skin : nullptr);
}
