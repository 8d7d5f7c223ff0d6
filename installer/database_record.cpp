// The database record: versions 1 to 7 read, 7 written, and its skin part.
// One walk describes the field order for both directions; the reader and the
// writer differ only in how a field moves and in what a table needs.
#include <cstdlib>
#include <cstring>

#include "data_file.h"
#include "database.h"
#include "image_cache.h"
#include "wm_button.h"
#include "wm_dialog.h"
#include "wm_widget_globals.h"

namespace {

const char kIndexFileName[] = "installer.idx";

// The style sets stand in the record in this order of their index.
const int kRecordStyleOrder[DATABASE_STYLE_COUNT] = {7, 8, 9, 10, 11, 12, 13, 1, 6, 4, 5, 0, 2, 3};

// Only these bits of the dialog effects are stored; the others stay.
const INT_U32 kStoredEffectFlags = 0xFFFF;
const INT_U32 kStoredDraggingAlpha = 0xFF;

// Smallest records (all texts empty), to refuse a count before allocating
// when the data left cannot hold that many.
const INT_S64 kSmallestFile = 6 * 4 + 2;
const INT_S64 kSmallestShortcut = 9 * 4 + 2;
INT_S64 smallest_item(int version) { return version >= 7 ? 13 : 9; }
INT_S64 smallest_language(int version, INT_S16 item_count) {
  const INT_S64 texts = version >= 6 ? 58 : version >= 3 ? 57 : 55;
  return (texts + item_count) * 4 + 2;
}

// Bytes left on the device after its position, or -1 when it cannot say.
INT_S64 bytes_left(DATA_DEVICE* device) {
  const INT_U32 here = device->tell();
  device->seek(0, 1);
  const INT_U32 end = device->tell();
  device->seek(static_cast<INT_S32>(here), 0);
  if (device->tell() != here) return -1;
  return end >= here ? static_cast<INT_S64>(end) - here : 0;
}

template <typename T>
T swapped(T v) {
  if constexpr (sizeof(T) == 2) return static_cast<T>(__builtin_bswap16(static_cast<INT_U16>(v)));
  if constexpr (sizeof(T) == 4) return static_cast<T>(__builtin_bswap32(static_cast<INT_U32>(v)));
  return v;
}

// Reading: a field counts only when all its bytes arrived.
class RECORD_READER {
 public:
  static constexpr bool reading = true;
  DATA_DEVICE* device;
  int version;

  RECORD_READER(DATA_DEVICE* d, int v) : device(d), version(v) {}

  bool raw(void* out, size_t count) {
    const bool ok =
        device->read(out, static_cast<INT_S32>(count)) == static_cast<INT_S32>(count);
    device->error_flag = ok ? 0 : 1;
    return ok;
  }

  template <typename T>
  bool value(T& field) {
    T v;
    if (!raw(&v, sizeof v)) return false;
    field = device->swap_flag ? swapped(v) : v;
    return true;
  }

  // Keeps 255 bytes at most; the rest of a longer text is read and dropped.
  bool text(char* field) {
    INT_U32 length = 0;
    if (!value(length)) return false;
    const INT_U32 kept = length < DATABASE_TEXT_SIZE - 1 ? length : DATABASE_TEXT_SIZE - 1;
    char buffer[DATABASE_TEXT_SIZE];
    if (kept > 0 && !raw(buffer, kept)) return false;
    buffer[kept] = 0;
    for (INT_U32 rest = length - kept; rest > 0;) {
      char scratch[256];
      const INT_U32 n = rest < sizeof scratch ? rest : sizeof scratch;
      if (!raw(scratch, n)) return false;
      rest -= n;
    }
    memcpy(field, buffer, kept + 1);
    return true;
  }

  bool object(DATA_DEVICE_CLIENT& client) { return device->read_object(client); }

  // Allocates a zeroed table of `count` records once the data left can hold
  // them; counts above 32767 do not fit the table's count field.
  template <typename T>
  bool table(T*& records, INT_S16& record_count, INT_U16 count, INT_S64 smallest) {
    records = nullptr;
    record_count = 0;
    if (count == 0) return true;
    if (count > 32767) return false;
    const INT_S64 left = bytes_left(device);
    if (left < 0 || left < count * smallest) return false;
    records = static_cast<T*>(calloc(count, sizeof(T)));
    if (!records) return false;
    record_count = static_cast<INT_S16>(count);
    return true;
  }

  // The four window-manager style sets, through one temporary set.
  bool global_styles() {
    WM_STYLE_SET loaded;
    WM_STYLE_SET* (*const setters[3])(const WM_STYLE_SET*) = {
        set_dialog_background_style, set_dialog_title_style, set_dialog_button_style};
    for (auto setter : setters) {
      if (!object(loaded)) return false;
      setter(&loaded);
    }
    if (!object(loaded)) return false;
    wm_button_hint_style = loaded;
    wm_button_hint_style_ready = 1;
    return true;
  }

  bool effects() {
    INT_U16 flags = 0;
    INT_U32 open_delay = 0, display_delay = 0;
    INT_U8 alpha = 0;
    if (!value(flags) || !value(open_delay) || !value(display_delay) || !value(alpha))
      return false;
    DIALOG_EFFECTS& e = wm_dialog_effects;
    e.flags = (e.flags & ~kStoredEffectFlags) | flags;
    e.open_delay = open_delay;
    e.display_delay = display_delay;
    e.dragging_alpha = (e.dragging_alpha & ~kStoredDraggingAlpha) | alpha;
    return true;
  }

  // From now on style sets take their state images from the cache just read,
  // never from files.
  void cache_read() { wm_style_image_cache_flags = CACHE_FIND_ONLY; }

  void names_table(INSTALL_LANGUAGE& language, INT_S16 item_count) {
    language.item_names =
        item_count > 0
            ? static_cast<char(*)[DATABASE_TEXT_SIZE]>(calloc(item_count, DATABASE_TEXT_SIZE))
            : nullptr;
  }
};

// Writing version 7: a field counts only when all its bytes were taken.
class RECORD_WRITER {
 public:
  static constexpr bool reading = false;
  DATA_DEVICE* device;
  int version = DATABASE_RECORD_VERSION;

  explicit RECORD_WRITER(DATA_DEVICE* d) : device(d) {}

  bool raw(const void* data, size_t count) {
    const bool ok =
        device->write(data, static_cast<INT_S32>(count)) == static_cast<INT_S32>(count);
    device->error_flag = ok ? 0 : 1;
    return ok;
  }

  template <typename T>
  bool value(T& field) {
    const T v = device->swap_flag ? swapped(field) : field;
    return raw(&v, sizeof v);
  }

  bool text(char* field) {
    INT_U32 length = static_cast<INT_U32>(strnlen(field, DATABASE_TEXT_SIZE - 1));
    return value(length) && (length == 0 || raw(field, length));
  }

  bool object(DATA_DEVICE_CLIENT& client) { return device->write_object(client); }

  template <typename T>
  bool table(T*&, INT_S16&, INT_U16, INT_S64) {
    return true;
  }

  bool global_styles() {
    WM_DIALOG::init_default_styles();
    WM_STYLE_SET copy;
    for (WM_STYLE_SET* style : {&wm_dialog_background_style, &wm_dialog_title_style,
                                &wm_dialog_button_style, &wm_button_hint_style}) {
      copy = *style;
      if (!object(copy)) return false;
    }
    return true;
  }

  bool effects() {
    const DIALOG_EFFECTS& e = wm_dialog_effects;
    INT_U16 flags = static_cast<INT_U16>(e.flags & kStoredEffectFlags);
    INT_U32 open_delay = e.open_delay, display_delay = e.display_delay;
    INT_U8 alpha = static_cast<INT_U8>(e.dragging_alpha & kStoredDraggingAlpha);
    return value(flags) && value(open_delay) && value(display_delay) && value(alpha);
  }

  void cache_read() {}
  void names_table(INSTALL_LANGUAGE&, INT_S16) {}
};

INT_U16 stored_count(INT_S16 count) { return static_cast<INT_U16>(count < 0 ? 0 : count); }

template <class IO>
bool walk_box(IO& io, BOX_LAYOUT& box) {
  return io.value(box.x) && io.value(box.y) && io.value(box.width) && io.value(box.height);
}

template <class IO>
bool walk_styles(IO& io, DATABASE& db) {
  for (int index : kRecordStyleOrder)
    if (!io.object(db.styles[index])) return false;
  return true;
}

template <class IO>
bool walk_icons(IO& io, DATABASE& db) {
  for (IMAGE& icon : db.icons)
    if (!io.object(icon)) return false;
  return true;
}

template <class IO>
bool walk_progress_rates(IO& io, DATABASE& db) {
  return io.value(db.progress_rate_x) && io.value(db.progress_rate_y) &&
         io.value(db.progress_update_rate);
}

template <class IO>
bool walk_file(IO& io, INSTALL_FILE& f) {
  return io.text(f.name) && io.text(f.spare_text) && io.text(f.folder) && io.value(f.platform) &&
         io.text(f.install_name) && io.text(f.second_folder) && io.value(f.spare_flag) &&
         io.text(f.package_entry);
}

template <class IO>
bool walk_shortcut(IO& io, INSTALL_SHORTCUT& s) {
  return io.value(s.kind) && io.text(s.target) && io.text(s.title) && io.text(s.menu_section) &&
         io.value(s.platform) && io.text(s.arguments) && io.text(s.icon_folder) &&
         io.text(s.second_icon_folder) && io.text(s.icon_name) && io.text(s.target_location) &&
         io.text(s.second_target_location);
}

template <class IO>
bool walk_item(IO& io, INSTALL_ITEM& item) {
  if (!io.text(item.name) || !io.value(item.allows_second_folders)) return false;
  if (io.version >= 7 && !io.text(item.default_folder)) return false;
  INT_U16 count = stored_count(item.file_count);
  if (!io.value(count) || !io.table(item.files, item.file_count, count, kSmallestFile))
    return false;
  for (INT_S16 i = 0; i < item.file_count; i++)
    if (!walk_file(io, item.files[i])) return false;
  count = stored_count(item.shortcut_count);
  if (!io.value(count) ||
      !io.table(item.shortcuts, item.shortcut_count, count, kSmallestShortcut))
    return false;
  for (INT_S16 i = 0; i < item.shortcut_count; i++)
    if (!walk_shortcut(io, item.shortcuts[i])) return false;
  return true;
}

template <class IO>
bool walk_texts(IO& io, INSTALL_LANGUAGE& language, int first, int last) {
  for (int n = first; n <= last; n++)
    if (!io.text(language.text(n))) return false;
  return true;
}

template <class IO>
bool walk_language(IO& io, INSTALL_LANGUAGE& language, INT_S16 item_count) {
  if (!io.text(language.text(TEXT_LANGUAGE_OWN_NAME))) return false;
  if (io.version >= 6) {
    if (!io.text(language.text(TEXT_LANGUAGE_NAME))) return false;
  } else {
    strcpy(language.text(TEXT_LANGUAGE_NAME), language.text(TEXT_LANGUAGE_OWN_NAME));
  }
  if (!walk_texts(io, language, 2, 37)) return false;
  if (io.version >= 3 && !walk_texts(io, language, 38, 39)) return false;
  if (!walk_texts(io, language, 40, 53)) return false;
  io.names_table(language, item_count);
  if (item_count > 0 && !language.item_names) {
    if (IO::reading) return false;
    // A model without names writes empty ones, so the record stays readable.
    char empty[1] = {0};
    for (INT_S16 i = 0; i < item_count; i++)
      if (!io.text(empty)) return false;
  } else {
    for (INT_S16 i = 0; i < item_count; i++)
      if (!io.text(language.item_names[i])) return false;
  }
  return walk_texts(io, language, 54, 57) && io.value(language.readme_lines);
}

// Rows 2 to 38 of the record (the version byte is the caller's).
template <class IO>
bool walk_record(IO& io, DATABASE& db) {
  const int v = io.version;
  if (!io.object(wm_skin_cache)) return false;
  io.cache_read();
  if (!io.object(db.background) || !io.value(db.show_frame_rate)) return false;
  if (v >= 2 && !io.value(db.show_whole_path)) return false;
  if (v >= 3 && !io.value(db.show_folder_part)) return false;
  if (!io.value(db.file_buffer_size) || !io.text(db.default_language) ||
      !io.value(db.window_width) || !io.value(db.window_height) || !io.value(db.full_screen) ||
      !io.value(db.show_title_banner) || !io.value(db.dialog_x) || !io.value(db.dialog_y) ||
      !io.value(db.dialog_width) || !io.value(db.dialog_height) || !io.value(db.dialog_gap))
    return false;
  if (v >= 4) {
    if (!io.value(db.dialog_draggable) || !walk_box(io, db.quit_box) ||
        !io.value(db.quit_box_draggable) || !walk_box(io, db.error_box) ||
        !io.value(db.error_box_draggable) || !walk_box(io, db.browser_box) ||
        !io.value(db.browser_prompt_on_box) || !io.value(db.browser_draggable) ||
        !walk_box(io, db.about_box) || !io.value(db.about_box_draggable))
      return false;
  } else {
    // Older records hold only the two boxes' sizes; x and y stay -1.
    if (!io.value(db.quit_box.width) || !io.value(db.quit_box.height) ||
        !io.value(db.error_box.width) || !io.value(db.error_box.height))
      return false;
  }
  if (!io.text(db.animation_folder) || !io.text(db.animation_image) ||
      !io.value(db.animation_period) || !io.value(db.animation_strip_width) ||
      !io.value(db.animation_strip_height) || !io.value(db.animation_delay) ||
      !io.text(db.log_folder) || !io.text(db.second_log_folder))
    return false;
  if (!walk_styles(io, db) || !walk_icons(io, db) || !io.global_styles()) return false;
  if (v >= 4 && !io.effects()) return false;
  if (v >= 5 && !walk_progress_rates(io, db)) return false;
  if (!io.text(db.extra_text) || !io.value(db.extra_value) || !io.text(db.application_name))
    return false;

  INT_U16 count = stored_count(db.item_count);
  if (!io.value(count) || !io.table(db.items, db.item_count, count, smallest_item(v)))
    return false;
  for (INT_S16 i = 0; i < db.item_count; i++)
    if (!walk_item(io, db.items[i])) return false;

  count = stored_count(db.language_count);
  if (!io.value(count) ||
      !io.table(db.languages, db.language_count, count, smallest_language(v, db.item_count)))
    return false;
  for (INT_S16 i = 0; i < db.language_count; i++) {
    INSTALL_LANGUAGE& language = db.languages[i];
    if (!walk_language(io, language, db.item_count)) return false;
    // The last language matching the default wins.
    if (IO::reading && strcmp(language.text(TEXT_LANGUAGE_NAME), db.default_language) == 0)
      db.current_language = i;
  }
  return true;
}

template <class IO>
bool walk_skin(IO& io, DATABASE& db) {
  if (!io.object(wm_skin_cache) || !walk_styles(io, db) || !walk_icons(io, db) ||
      !io.global_styles())
    return false;
  if (IO::reading) give_file_selector_icons(&db);
  return io.effects() && walk_progress_rates(io, db);
}

}  // namespace

WM_STYLE_SET* set_dialog_background_style(const WM_STYLE_SET* style) {
  WM_DIALOG::init_default_styles();
  return &(wm_dialog_background_style = *style);
}

WM_STYLE_SET* set_dialog_title_style(const WM_STYLE_SET* style) {
  WM_DIALOG::init_default_styles();
  return &(wm_dialog_title_style = *style);
}

WM_STYLE_SET* set_dialog_button_style(const WM_STYLE_SET* style) {
  WM_DIALOG::init_default_styles();
  return &(wm_dialog_button_style = *style);
}

void give_file_selector_icons(const DATABASE* db) {
  IMAGE* const targets[] = {
      &wm_drive_icons[0], &wm_drive_icons[1], &wm_drive_icons[2], &wm_drive_icons[3],
      &wm_drive_icons[4], &wm_drive_icons[5], &wm_drive_icons[6], &wm_drive_icons[7],
      &wm_drive_icons[8], &wm_drive_icons[9], &wm_parent_folder_icon, &wm_file_icon,
      &wm_folder_icon};
  static_assert(sizeof targets / sizeof targets[0] == DATABASE_ICON_COUNT - ICON_FIRST_DRIVE,
                "one target per file-selector icon");
  // An empty icon leaves its global empty, so the file selector loads its
  // own picture for it.
  for (int i = 0; i < DATABASE_ICON_COUNT - ICON_FIRST_DRIVE; i++)
    targets[i]->copy_from(&db->icons[ICON_FIRST_DRIVE + i]);
}

bool DATABASE::get_from_data_device(DATA_DEVICE* device) {
  reset();
  if (!device) return false;
  INT_U8 stored_version = 0;
  RECORD_READER probe(device, 1);
  if (!probe.value(stored_version)) return false;
  // Compared unsigned: 0 reads as version 1, anything above 7 as 7.
  int version = stored_version < 1 ? 1 : stored_version;
  if (version > DATABASE_RECORD_VERSION) version = DATABASE_RECORD_VERSION;
  RECORD_READER reader(device, version);
  const INT_U8 image_flags = wm_style_image_cache_flags;
  if (!walk_record(reader, *this)) {
    wm_style_image_cache_flags = image_flags;
    return false;
  }
  current_page = next_page();
  return true;
}

bool DATABASE::put_to_data_device(DATA_DEVICE* device) {
  if (!device) return false;
  RECORD_WRITER writer(device);
  INT_U8 version = DATABASE_RECORD_VERSION;
  return writer.value(version) && walk_record(writer, *this);
}

bool DATABASE::read_skin(DATA_DEVICE* device) {
  if (!device) return false;
  RECORD_READER reader(device, DATABASE_RECORD_VERSION);
  return walk_skin(reader, *this);
}

bool DATABASE::write_skin(DATA_DEVICE* device) {
  if (!device) return false;
  RECORD_WRITER writer(device);
  return walk_skin(writer, *this);
}

bool DATABASE::load_index() {
  DATA_FILE* file = open_data_file(&config_folder, kIndexFileName, DATA_FILE_READ,
                                   DATA_FILE_HEADER, 0);
  if (!file) return false;
  const bool ok = get_from_data_device(file);
  close_data_file(&file);
  return ok;
}

bool DATABASE::save_index() {
  DATA_FILE* file = open_data_file(&config_folder, kIndexFileName, DATA_FILE_WRITE,
                                   DATA_FILE_HEADER, 0);
  if (!file) return false;
  const bool ok = put_to_data_device(file);
  // A record whose last bytes never reached the disk is no record.
  return close_data_file_checked(&file) && ok;
}
