// Hand-written database records for the installer tests: a byte builder, the
// nested records spliced from their own writers, and a record of any version
// built field by field.
#ifndef TESTS_INSTALLER_DATABASE_BYTES_H
#define TESTS_INSTALLER_DATABASE_BYTES_H

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data_device.h"
#include "database.h"
#include "image_cache.h"
#include "style_set.h"
#include "wm_dialog.h"
#include "wm_button.h"

namespace dbt {

using Bytes = std::vector<INT_U8>;

struct B {
  Bytes b;
  B& u8(unsigned v) {
    b.push_back(static_cast<INT_U8>(v));
    return *this;
  }
  B& u16(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
  B& u32(unsigned long v) { return u16(v & 0xFFFF).u16((v >> 16) & 0xFFFF); }
  B& str(const std::string& s) {
    u32(s.size());
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  B& raw(const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
    return *this;
  }
};

// The system information is not what these tests are about: reading it runs
// a shell command on every reset.
inline void quiet_system_info(SYSTEM_INFO* info) {
  info->can_desktop_shortcut = info->can_menu_entry = info->has_drive_list = 1;
}

inline Bytes written(DATA_DEVICE_CLIENT& client) {
  MEMORY_DEVICE m;
  client.put_to_data_device(&m);
  return m.bytes;
}

// An empty image: magic, version 1, 0 x 0.
inline Bytes empty_image() {
  return B().raw({'z', 'o', 'r', 'v', 'r', 'a', 'w', 'i', 'm', 'g'}).u8(1).u16(0).u16(0).b;
}
// A raw image of w x h pixels, pixel (x, y) giving each colour.
template <typename PIXEL>
Bytes raw_image(unsigned w, unsigned h, PIXEL pixel) {
  B r;
  r.raw({'z', 'o', 'r', 'v', 'r', 'a', 'w', 'i', 'm', 'g'}).u8(1).u16(w).u16(h);
  for (unsigned y = 0; y < h; y++)
    for (unsigned x = 0; x < w; x++) r.u32(pixel(x, y));
  return r.b;
}
// An empty image cache: version 2, no entries.
inline Bytes empty_cache() { return B().u8(2).u32(0).b; }
inline Bytes default_style_set() {
  WM_STYLE_SET s;
  return written(s);
}
inline Bytes style_set_with_shading(unsigned shading) {
  WM_STYLE_SET s;
  s.shading_type = shading;
  return written(s);
}

// What a hand-built record holds; the builder writes the fields the version
// stores.
struct RecordContents {
  int version = 7;
  unsigned show_whole_path = 1, show_folder_part = 1;
  Bytes cache = empty_cache();
  std::string default_language = "English";
  unsigned window_w = 800, window_h = 600;
  unsigned dialog_x = 20, dialog_y = 20;  // 16-bit fields: 0xFFFB is -5
  unsigned dialog_w = 480, dialog_h = 360;
  unsigned quit_w = 210, quit_h = 160;
  unsigned error_w = 410, error_h = 310;
  unsigned error_x = 7, error_y = 8;  // 0xFFFF: centred
  Bytes background = empty_image();
  unsigned effect_flags = 0x0013, open_delay = 111;
  std::string animation_folder = "$APP/anim", animation_image = "strip";
  unsigned animation_period = 0, animation_delay = 0;
  std::string application_name = "demo";
  struct Item {
    std::string name = "A";
    std::string default_folder = "$ROOT0/a";
    unsigned files = 0, shortcuts = 0;
    long claimed_files = -1, claimed_shortcuts = -1;  // -1: the real counts
  };
  long claimed_items = -1, claimed_languages = -1;
  bool empty_texts = false;  // every text of the tables empty: the smallest records
  std::vector<Item> items = {Item()};
  std::vector<std::string> languages = {"English"};
  unsigned readme_lines = 200;
};

// Text n of a language in the hand-built records.
inline std::string text_of(const std::string& language, int n) {
  return n == 0 ? language : language + "-" + std::to_string(n);
}

inline Bytes record(const RecordContents& s, unsigned header = 0) {
  const int v = s.version > 7 ? 7 : s.version < 1 ? 1 : s.version;
  B r;
  if (header != 256) r.u8(header);
  r.u8(s.version).raw(s.cache).raw(s.background);
  r.u8(0);                             // show_frame_rate
  if (v >= 2) r.u8(s.show_whole_path);  // show_whole_path
  if (v >= 3) r.u8(s.show_folder_part); // show_folder_part
  r.u32(0x100000).str(s.default_language).u16(s.window_w).u16(s.window_h);
  r.u8(0).u8(1);               // full_screen, show_title_banner
  r.u16(s.dialog_x).u16(s.dialog_y).u16(s.dialog_w).u16(s.dialog_h).u16(10);
  if (v >= 4) {
    r.u8(0);                                           // dialog_draggable
    r.u16(5).u16(6).u16(s.quit_w).u16(s.quit_h).u8(0);
    r.u16(s.error_x).u16(s.error_y).u16(s.error_w).u16(s.error_h).u8(0);
    r.u16(0xFFFF).u16(0xFFFF).u16(300).u16(200).u8(1).u8(0);  // browser
    r.u16(0xFFFF).u16(0xFFFF).u16(250).u16(150).u8(0);        // about
  } else {
    r.u16(s.quit_w).u16(s.quit_h).u16(s.error_w).u16(s.error_h);
  }
  r.str(s.animation_folder).str(s.animation_image).u32(s.animation_period).u16(0xFFFF).u16(0xFFFF)
      .u16(s.animation_delay);
  r.str("logs").str("logs2");
  // Style set n carries shading type 100 + n; they stand in this order.
  for (int n : {7, 8, 9, 10, 11, 12, 13, 1, 6, 4, 5, 0, 2, 3}) r.raw(style_set_with_shading(100 + n));
  for (int i = 0; i < DATABASE_ICON_COUNT; i++) r.raw(empty_image());
  for (int i = 0; i < 4; i++) r.raw(style_set_with_shading(200 + i));
  if (v >= 4) r.u16(s.effect_flags).u32(s.open_delay).u32(222).u8(99);
  if (v >= 5) r.u16(3).u16(4).u16(5);
  r.str("extra").u32(0xFFFFFFFE).str(s.application_name);
  const bool e = s.empty_texts;
  auto t = [e](const std::string& text) { return e ? std::string() : text; };
  r.u16(s.claimed_items >= 0 ? s.claimed_items : s.items.size());
  for (const auto& item : s.items) {
    r.str(t(item.name)).u8(1);
    if (v >= 7) r.str(t(item.default_folder));
    r.u16(item.claimed_files >= 0 ? item.claimed_files : item.files);
    for (unsigned f = 0; f < item.files; f++)
      r.str(t("f" + std::to_string(f))).str("").str(t("$APP/bin")).u8(1).str("").str("").u8(0)
          .str(t("e"));
    r.u16(item.claimed_shortcuts >= 0 ? item.claimed_shortcuts : item.shortcuts);
    for (unsigned c = 0; c < item.shortcuts; c++)
      r.u8(1).str(t("t")).str(t("T")).str(t(c % 2 ? "Utility" : "")).u8(0).str("").str("")
          .str("").str("").str("").str("");
  }
  r.u16(s.claimed_languages >= 0 ? s.claimed_languages : s.languages.size());
  for (const auto& language : s.languages) {
    r.str(t(text_of(language, 1)));
    if (v >= 6) r.str(t(text_of(language, 0)));
    for (int n = 2; n <= 37; n++) r.str(t(text_of(language, n)));
    if (v >= 3) r.str(t(text_of(language, 38))).str(t(text_of(language, 39)));
    for (int n = 40; n <= 53; n++) r.str(t(text_of(language, n)));
    for (size_t i = 0; i < s.items.size(); i++) r.str(t(language + " item " + std::to_string(i)));
    for (int n = 54; n <= 57; n++) r.str(t(text_of(language, n)));
    r.u16(s.readme_lines);
  }
  return r.b;
}

inline void set_text(char* field, const std::string& text) {
  std::snprintf(field, DATABASE_TEXT_SIZE, "%s", text.c_str());
}

// A database and the window-manager globals holding what record(spec)
// stores (version 7, no files or shortcuts).
inline void fill(DATABASE& db, const RecordContents& s) {
  db.reset();
  set_text(db.default_language, s.default_language);
  db.show_whole_path = static_cast<INT_U8>(s.show_whole_path);
  db.show_folder_part = static_cast<INT_U8>(s.show_folder_part);
  db.window_width = s.window_w;
  db.window_height = s.window_h;
  db.show_title_banner = 1;
  db.dialog_x = static_cast<INT_S16>(s.dialog_x);
  db.dialog_y = static_cast<INT_S16>(s.dialog_y);
  db.dialog_width = s.dialog_w;
  db.dialog_height = s.dialog_h;
  db.dialog_draggable = 0;
  db.quit_box = {5, 6, static_cast<INT_S16>(s.quit_w), static_cast<INT_S16>(s.quit_h)};
  db.quit_box_draggable = 0;
  db.error_box = {static_cast<INT_S16>(s.error_x), static_cast<INT_S16>(s.error_y),
                  static_cast<INT_S16>(s.error_w), static_cast<INT_S16>(s.error_h)};
  db.error_box_draggable = 0;
  db.browser_box = {-1, -1, 300, 200};
  db.browser_prompt_on_box = 1;
  db.browser_draggable = 0;
  db.about_box = {-1, -1, 250, 150};
  db.about_box_draggable = 0;
  set_text(db.animation_folder, s.animation_folder);
  set_text(db.animation_image, s.animation_image);
  db.animation_period = static_cast<INT_S32>(s.animation_period);
  set_text(db.log_folder, "logs");
  set_text(db.second_log_folder, "logs2");
  for (int i = 0; i < DATABASE_STYLE_COUNT; i++) {
    db.styles[i].reset();
    db.styles[i].shading_type = 100 + i;
  }
  WM_STYLE_SET globals[4];
  for (int i = 0; i < 4; i++) globals[i].shading_type = 200 + i;
  set_dialog_background_style(&globals[0]);
  set_dialog_title_style(&globals[1]);
  set_dialog_button_style(&globals[2]);
  wm_button_hint_style = globals[3];
  wm_dialog_effects.flags = s.effect_flags;
  wm_dialog_effects.open_delay = s.open_delay;
  wm_dialog_effects.display_delay = 222;
  wm_dialog_effects.dragging_alpha = 99;
  db.progress_rate_x = 3;
  db.progress_rate_y = 4;
  db.progress_update_rate = 5;
  set_text(db.extra_text, "extra");
  db.extra_value = -2;
  set_text(db.application_name, s.application_name);
  db.item_count = static_cast<INT_S16>(s.items.size());
  db.items = static_cast<INSTALL_ITEM*>(calloc(s.items.size() + 1, sizeof(INSTALL_ITEM)));
  for (size_t i = 0; i < s.items.size(); i++) {
    set_text(db.items[i].name, s.items[i].name);
    set_text(db.items[i].default_folder, s.items[i].default_folder);
    db.items[i].allows_second_folders = 1;
  }
  db.language_count = static_cast<INT_S16>(s.languages.size());
  db.languages =
      static_cast<INSTALL_LANGUAGE*>(calloc(s.languages.size() + 1, sizeof(INSTALL_LANGUAGE)));
  for (size_t l = 0; l < s.languages.size(); l++) {
    INSTALL_LANGUAGE& language = db.languages[l];
    for (int n = 0; n < LANGUAGE_TEXT_COUNT; n++)
      set_text(language.text(n), text_of(s.languages[l], n));
    language.item_names = static_cast<char(*)[DATABASE_TEXT_SIZE]>(
        calloc(s.items.size() + 1, DATABASE_TEXT_SIZE));
    for (size_t i = 0; i < s.items.size(); i++)
      set_text(language.item_names[i], s.languages[l] + " item " + std::to_string(i));
    language.readme_lines = static_cast<INT_S16>(s.readme_lines);
  }
}

// The record without the data file's header byte, as a device holds it.
inline MEMORY_DEVICE device_of(const Bytes& with_header) {
  MEMORY_DEVICE m(Bytes(with_header.begin() + 1, with_header.end()));
  m.swap_flag = with_header[0];
  return m;
}

}  // namespace dbt

#endif
