// The database record: golden bytes, the version gates, round trips, damaged
// and cut records, short writes and the skin part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "data_file.h"
#include "database.h"
#include "database_bytes.h"
#include "image_cache.h"
#include "test_support.h"
#include "wm_button.h"
#include "wm_dialog.h"
#include "wm_widget_globals.h"

using dbt::B;
using dbt::Bytes;

namespace {

class DatabaseRecord : public ::testing::Test {
 protected:
  void SetUp() override { database_system_info_reader = dbt::quiet_system_info; }
};

bool read_bytes_into(DATABASE& db, const Bytes& with_header) {
  MEMORY_DEVICE m = dbt::device_of(with_header);
  return db.get_from_data_device(&m);
}

TEST_F(DatabaseRecord, GoldenVersion7) {
  dbt::RecordContents spec;
  DATABASE db;
  dbt::fill(db, spec);
  db.config_folder.set_if_directory(zt::make_temp_dir("idx").c_str());
  ASSERT_TRUE(db.save_index());
  const Bytes file = zt::read_bytes(std::string(db.config_folder.path) + "/installer.idx");

  // The opening fields, written out literally.
  Bytes head = B().u8(0x00).u8(0x07).raw(dbt::empty_cache()).raw(dbt::empty_image()).b;
  head.insert(head.end(), {0x00, 0x01, 0x01, 0x00, 0x00, 0x10, 0x00, 0x07, 0x00, 0x00, 0x00});
  for (char c : std::string("English")) head.push_back(static_cast<INT_U8>(c));
  head.insert(head.end(), {0x20, 0x03, 0x58, 0x02});
  ASSERT_GE(file.size(), head.size());
  EXPECT_EQ(Bytes(file.begin(), file.begin() + head.size()), head);
  // The whole record as the hand-written builder has it.
  EXPECT_EQ(file, dbt::record(spec));

  // The item record, literally: "A", no second folders, empty default
  // folder, no files, no shortcuts.
  dbt::RecordContents bare = spec;
  bare.items[0].default_folder = "";
  dbt::fill(db, bare);
  MEMORY_DEVICE m;
  ASSERT_TRUE(db.put_to_data_device(&m));
  const Bytes item = {0x01, 0x00, 0x00, 0x00, 0x41, 0x01, 0x00, 0x00,
                      0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  const Bytes expected_tail = B().str("demo").u16(1).raw(item).b;
  EXPECT_NE(std::search(m.bytes.begin(), m.bytes.end(), expected_tail.begin(),
                        expected_tail.end()),
            m.bytes.end());
}

TEST_F(DatabaseRecord, ItemRecordWithoutSecondFolders) {
  dbt::RecordContents spec;
  spec.items[0].default_folder = "";
  DATABASE db;
  dbt::fill(db, spec);
  db.items[0].allows_second_folders = 0;
  MEMORY_DEVICE m;
  ASSERT_TRUE(db.put_to_data_device(&m));
  const Bytes item = {0x01, 0x00, 0x00, 0x00, 0x41, 0x00, 0x00, 0x00,
                      0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  const Bytes tail = B().str("demo").u16(1).raw(item).u16(1).b;
  EXPECT_NE(std::search(m.bytes.begin(), m.bytes.end(), tail.begin(), tail.end()), m.bytes.end());
}

TEST_F(DatabaseRecord, SwappedCopyReadsBackEqual) {
  dbt::RecordContents spec;
  DATABASE db;
  dbt::fill(db, spec);
  MEMORY_DEVICE plain, swapped;
  swapped.swap_flag = 1;
  ASSERT_TRUE(db.put_to_data_device(&plain));
  ASSERT_TRUE(db.put_to_data_device(&swapped));
  ASSERT_EQ(plain.bytes.size(), swapped.bytes.size());
  EXPECT_NE(plain.bytes, swapped.bytes);
  // The window size stands big-endian after the language name.
  const Bytes big_endian = B().u8(0).u8(0).u8(0).u8(7).b;
  EXPECT_NE(std::search(swapped.bytes.begin(), swapped.bytes.end(), big_endian.begin(),
                        big_endian.end()),
            swapped.bytes.end());

  DATABASE back;
  swapped.position = 0;
  ASSERT_TRUE(back.get_from_data_device(&swapped));
  MEMORY_DEVICE again;
  ASSERT_TRUE(back.put_to_data_device(&again));
  EXPECT_EQ(again.bytes, plain.bytes);
}

TEST_F(DatabaseRecord, Version1) {
  dbt::RecordContents spec;
  spec.version = 1;
  DATABASE db;
  db.progress_rate_x = 41;
  db.progress_update_rate = 43;
  wm_dialog_effects = {0x047C, 300, 1000, 192};
  ASSERT_TRUE(read_bytes_into(db, dbt::record(spec)));
  EXPECT_EQ(db.show_whole_path, 1);
  EXPECT_EQ(db.show_folder_part, 1);
  EXPECT_EQ(db.dialog_draggable, 1);
  EXPECT_EQ(db.quit_box.x, -1);
  EXPECT_EQ(db.quit_box.y, -1);
  EXPECT_EQ(db.quit_box.width, 210);
  EXPECT_EQ(db.quit_box.height, 160);
  EXPECT_EQ(db.error_box.x, -1);
  EXPECT_EQ(db.error_box.width, 410);
  EXPECT_EQ(db.error_box.height, 310);
  EXPECT_EQ(db.browser_box.width, -1);
  EXPECT_EQ(db.quit_box_draggable, 1);
  EXPECT_EQ(wm_dialog_effects.flags, 0x047Cu);
  EXPECT_EQ(wm_dialog_effects.open_delay, 300u);
  EXPECT_EQ(wm_dialog_effects.dragging_alpha, 192u);
  EXPECT_EQ(db.progress_rate_x, 41);
  EXPECT_EQ(db.progress_update_rate, 43);
  ASSERT_EQ(db.language_count, 1);
  EXPECT_STREQ(db.languages[0].text(0), "English-1");
  EXPECT_STREQ(db.languages[0].text(1), "English-1");
  EXPECT_STREQ(db.languages[0].text(38), "");
  EXPECT_STREQ(db.languages[0].text(39), "");
  EXPECT_STREQ(db.languages[0].text(40), "English-40");
  EXPECT_STREQ(db.languages[0].item_names[0], "English item 0");
  EXPECT_STREQ(db.languages[0].text(57), "English-57");
  EXPECT_EQ(db.languages[0].readme_lines, 200);
  ASSERT_EQ(db.item_count, 1);
  EXPECT_STREQ(db.items[0].default_folder, "");
  EXPECT_STREQ(db.application_name, "demo");
  // "English-1" is no match for "English": the first language is kept.
  EXPECT_EQ(db.current_language, 0);
  EXPECT_EQ(wm_style_image_cache_flags, CACHE_FIND_ONLY);
}

TEST_F(DatabaseRecord, Version3And6) {
  dbt::RecordContents spec;
  spec.version = 3;
  spec.show_whole_path = spec.show_folder_part = 0;
  DATABASE db;
  wm_dialog_effects = {0x047C, 300, 1000, 192};
  ASSERT_TRUE(read_bytes_into(db, dbt::record(spec)));
  EXPECT_EQ(db.show_whole_path, 0);
  EXPECT_EQ(db.show_folder_part, 0);
  EXPECT_EQ(db.quit_box.x, -1);
  EXPECT_EQ(db.quit_box.width, 210);
  EXPECT_STREQ(db.languages[0].text(0), "English-1");
  EXPECT_STREQ(db.languages[0].text(38), "English-38");
  EXPECT_STREQ(db.languages[0].text(39), "English-39");
  EXPECT_EQ(wm_dialog_effects.open_delay, 300u);

  spec.version = 6;
  db.progress_rate_y = 77;
  ASSERT_TRUE(read_bytes_into(db, dbt::record(spec)));
  EXPECT_EQ(db.dialog_draggable, 0);
  EXPECT_EQ(db.quit_box.x, 5);
  EXPECT_EQ(db.quit_box.y, 6);
  EXPECT_EQ(db.error_box.x, 7);
  EXPECT_EQ(db.browser_box.width, 300);
  EXPECT_EQ(db.browser_prompt_on_box, 1);
  EXPECT_EQ(db.about_box.height, 150);
  EXPECT_EQ(wm_dialog_effects.flags, 0x0013u);
  EXPECT_EQ(wm_dialog_effects.open_delay, 111u);
  EXPECT_EQ(wm_dialog_effects.display_delay, 222u);
  EXPECT_EQ(wm_dialog_effects.dragging_alpha, 99u);
  EXPECT_EQ(db.progress_rate_x, 3);
  EXPECT_EQ(db.progress_rate_y, 4);
  EXPECT_STREQ(db.languages[0].text(0), "English");
  EXPECT_EQ(db.current_language, 0);
  EXPECT_STREQ(db.items[0].default_folder, "");  // not stored before version 7
}

TEST_F(DatabaseRecord, Version9ReadsAsVersion7AndVersion0AsVersion1) {
  dbt::RecordContents spec;
  DATABASE seven, nine;
  ASSERT_TRUE(read_bytes_into(seven, dbt::record(spec)));
  spec.version = 9;
  ASSERT_TRUE(read_bytes_into(nine, dbt::record(spec)));
  MEMORY_DEVICE a, b;
  ASSERT_TRUE(seven.put_to_data_device(&a));
  ASSERT_TRUE(nine.put_to_data_device(&b));
  EXPECT_EQ(a.bytes, b.bytes);
  EXPECT_STREQ(nine.items[0].default_folder, "$ROOT0/a");

  spec.version = 0;
  Bytes zero = dbt::record(spec);  // built with version 1's fields
  DATABASE db;
  ASSERT_TRUE(read_bytes_into(db, zero));
  EXPECT_EQ(db.quit_box.x, -1);
  EXPECT_EQ(db.quit_box.width, 210);
}

TEST_F(DatabaseRecord, EffectBitsBeyondTheStoredOnesStay) {
  dbt::RecordContents spec;
  DATABASE db;
  wm_dialog_effects = {0xABCD0000u | 0x047C, 300, 1000, 0x1200 | 192};
  ASSERT_TRUE(read_bytes_into(db, dbt::record(spec)));
  EXPECT_EQ(wm_dialog_effects.flags, 0xABCD0013u);
  EXPECT_EQ(wm_dialog_effects.dragging_alpha, 0x1200u | 99);
}

TEST_F(DatabaseRecord, WriteThenReadKeepsEveryStoredField) {
  DATABASE db;
  dbt::RecordContents spec;
  spec.items.push_back(dbt::RecordContents::Item());
  spec.languages.push_back("Deutsch");
  dbt::fill(db, spec);
  db.show_frame_rate = 1;
  db.file_buffer_size = 65536;
  db.full_screen = 1;
  db.animation_strip_width = 640;
  db.animation_strip_height = 480;
  db.animation_delay = 250;
  db.animation_period = 900;
  db.background.create(3, 2);
  db.background.pixels[db.background.pitch + 1] = 0xFF00FF00;
  db.icons[5].create(2, 2);
  db.icons[5].pixels[db.icons[5].pitch + 1] = 0x80112233;
  INSTALL_ITEM& item = db.items[1];
  dbt::set_text(item.default_folder, "$APP/$work");
  item.file_count = 2;
  item.files = static_cast<INSTALL_FILE*>(calloc(2, sizeof(INSTALL_FILE)));
  const char* file_texts[] = {"run.sh", "spare", "$APP/bin", "run", "$APP/bin2", "payload/run.sh"};
  for (int f = 0; f < 2; f++) {
    INSTALL_FILE& file = item.files[f];
    char* fields[] = {file.name,          file.spare_text,    file.folder,
                      file.install_name, file.second_folder, file.package_entry};
    for (int t = 0; t < 6; t++) dbt::set_text(fields[t], std::string(file_texts[t]) + char('0' + f));
    file.platform = f ? PLATFORM_MACOSX : PLATFORM_LINUX_I86;
    file.spare_flag = 7;
  }
  item.shortcut_count = 1;
  item.shortcuts = static_cast<INSTALL_SHORTCUT*>(calloc(1, sizeof(INSTALL_SHORTCUT)));
  INSTALL_SHORTCUT& sc = item.shortcuts[0];
  sc.kind = SHORTCUT_WEB_LINK;
  sc.platform = PLATFORM_WIN32;
  char* sc_fields[] = {sc.target,    sc.title,     sc.menu_section,    sc.arguments,
                       sc.icon_folder, sc.second_icon_folder, sc.icon_name,
                       sc.target_location, sc.second_target_location};
  for (int t = 0; t < 9; t++) dbt::set_text(sc_fields[t], "s" + std::to_string(t));
  // A 255-byte text is the longest a field keeps.
  dbt::set_text(db.extra_text, std::string(255, 'x'));

  MEMORY_DEVICE m;
  ASSERT_TRUE(db.put_to_data_device(&m));
  DATABASE back;
  m.position = 0;
  ASSERT_TRUE(back.get_from_data_device(&m));
  EXPECT_EQ(m.position, m.bytes.size());

  EXPECT_EQ(back.show_frame_rate, 1);
  EXPECT_EQ(back.file_buffer_size, 65536u);
  EXPECT_EQ(back.full_screen, 1);
  EXPECT_EQ(back.show_title_banner, 1);
  EXPECT_EQ(back.dialog_x, 20);
  EXPECT_EQ(back.animation_strip_width, 640);
  EXPECT_EQ(back.animation_strip_height, 480);
  EXPECT_EQ(back.animation_delay, 250);
  EXPECT_EQ(back.animation_period, 900);
  EXPECT_STREQ(back.animation_folder, "$APP/anim");
  EXPECT_STREQ(back.second_log_folder, "logs2");
  EXPECT_EQ(back.extra_value, -2);
  EXPECT_EQ(std::string(back.extra_text), std::string(255, 'x'));
  ASSERT_EQ(back.background.width, 3);
  EXPECT_EQ(back.background.pixels[back.background.pitch + 1], 0xFF00FF00u);
  ASSERT_EQ(back.icons[5].width, 2);
  EXPECT_EQ(back.icons[5].pixels[back.icons[5].pitch + 1], 0x80112233u);
  for (int i = 0; i < DATABASE_STYLE_COUNT; i++)
    EXPECT_EQ(back.styles[i].shading_type, 100u + i) << i;
  EXPECT_EQ(wm_dialog_background_style.shading_type, 200u);
  EXPECT_EQ(wm_dialog_title_style.shading_type, 201u);
  EXPECT_EQ(wm_dialog_button_style.shading_type, 202u);
  EXPECT_EQ(wm_button_hint_style.shading_type, 203u);
  EXPECT_EQ(wm_button_hint_style_ready, 1);
  ASSERT_EQ(back.item_count, 2);
  EXPECT_STREQ(back.items[1].default_folder, "$APP/$work");
  ASSERT_EQ(back.items[1].file_count, 2);
  for (int f = 0; f < 2; f++) {
    const INSTALL_FILE& a = db.items[1].files[f];
    const INSTALL_FILE& b = back.items[1].files[f];
    EXPECT_STREQ(b.name, a.name);
    EXPECT_STREQ(b.spare_text, a.spare_text);
    EXPECT_STREQ(b.folder, a.folder);
    EXPECT_STREQ(b.install_name, a.install_name);
    EXPECT_STREQ(b.second_folder, a.second_folder);
    EXPECT_STREQ(b.package_entry, a.package_entry);
    EXPECT_EQ(b.platform, a.platform);
    EXPECT_EQ(b.spare_flag, 7);
  }
  ASSERT_EQ(back.items[1].shortcut_count, 1);
  EXPECT_EQ(memcmp(&back.items[1].shortcuts[0], &sc, sizeof sc), 0);
  ASSERT_EQ(back.language_count, 2);
  for (int l = 0; l < 2; l++)
    for (int n = 0; n < LANGUAGE_TEXT_COUNT; n++)
      EXPECT_STREQ(back.languages[l].text(n), db.languages[l].text(n));
  EXPECT_STREQ(back.languages[1].item_names[1], "Deutsch item 1");
  // Chosen anew by the reader.
  EXPECT_EQ(back.current_language, 0);
  EXPECT_EQ(back.current_page, INSTALL_PAGE_LANGUAGE);
  MEMORY_DEVICE again;
  ASSERT_TRUE(back.put_to_data_device(&again));
  EXPECT_EQ(again.bytes, m.bytes);
}

TEST_F(DatabaseRecord, LongTextIsCutAndTheRestConsumed) {
  dbt::RecordContents spec;
  spec.application_name = std::string(300, 'n');
  DATABASE db;
  ASSERT_TRUE(read_bytes_into(db, dbt::record(spec)));
  EXPECT_EQ(std::string(db.application_name), std::string(255, 'n'));
  EXPECT_EQ(db.item_count, 1);
  EXPECT_STREQ(db.items[0].name, "A");
}

TEST_F(DatabaseRecord, EmptyTextIsFourZeroBytes) {
  dbt::RecordContents spec;
  spec.application_name = "";
  spec.items.clear();
  DATABASE db;
  dbt::fill(db, spec);
  MEMORY_DEVICE m;
  ASSERT_TRUE(db.put_to_data_device(&m));
  // extra text, extra value, application name (empty), no items.
  const Bytes tail = B().str("extra").u32(0xFFFFFFFE).u32(0).u16(0).u16(1).b;
  EXPECT_NE(std::search(m.bytes.begin(), m.bytes.end(), tail.begin(), tail.end()), m.bytes.end());
}

TEST_F(DatabaseRecord, LastLanguageMatchingTheDefaultWins) {
  dbt::RecordContents spec;
  spec.languages = {"English", "Deutsch", "English", "Francais"};
  DATABASE db;
  ASSERT_TRUE(read_bytes_into(db, dbt::record(spec)));
  EXPECT_EQ(db.current_language, 2);
  spec.default_language = "Klingon";
  ASSERT_TRUE(read_bytes_into(db, dbt::record(spec)));
  EXPECT_EQ(db.current_language, 0);
}

// A small record: no cache images, empty background and icons.
Bytes small_record() {
  dbt::RecordContents spec;
  spec.items = {dbt::RecordContents::Item(), dbt::RecordContents::Item()};
  spec.items[0].files = 1;
  spec.items[1].shortcuts = 2;
  spec.languages = {"English", "Deutsch"};
  return dbt::record(spec);
}

TEST_F(DatabaseRecord, CutAtEveryOffsetFailsAndResetsCleanly) {
  const Bytes full = small_record();
  DATABASE db;
  ASSERT_TRUE(read_bytes_into(db, full));
  const INT_U8 flags_before = 1;
  for (size_t cut = 1; cut < full.size(); cut++) {
    wm_style_image_cache_flags = flags_before;
    ASSERT_FALSE(read_bytes_into(db, Bytes(full.begin(), full.begin() + cut))) << cut;
    ASSERT_EQ(wm_style_image_cache_flags, flags_before) << cut;
    db.reset();
    ASSERT_EQ(db.items, nullptr);
  }
}

TEST_F(DatabaseRecord, WriteLimitShortOfTheRecordFails) {
  DATABASE db;
  ASSERT_TRUE(read_bytes_into(db, small_record()));
  MEMORY_DEVICE full;
  ASSERT_TRUE(db.put_to_data_device(&full));
  const INT_S64 size = static_cast<INT_S64>(full.bytes.size());
  for (INT_S64 limit = 0; limit < size; limit += (limit < 64 || size - limit < 64 ? 1 : 97)) {
    MEMORY_DEVICE m;
    m.write_limit = limit;
    ASSERT_FALSE(db.put_to_data_device(&m)) << limit;
  }
}

TEST_F(DatabaseRecord, SkinPartRoundTripAndShortWrites) {
  DATABASE db;
  ASSERT_TRUE(read_bytes_into(db, small_record()));
  db.icons[ICON_FIRST_DRIVE].create(3, 3);
  db.icons[ICON_FOLDER].create(2, 1);
  db.icons[ICON_FOLDER].pixels[1] = 0xFFABCDEF;
  MEMORY_DEVICE skin;
  ASSERT_TRUE(db.write_skin(&skin));
  // The tail: dialog effects and progress rates.
  const Bytes tail = B().u16(0x0013).u32(111).u32(222).u8(99).u16(3).u16(4).u16(5).b;
  ASSERT_GE(skin.bytes.size(), tail.size());
  EXPECT_EQ(Bytes(skin.bytes.end() - tail.size(), skin.bytes.end()), tail);
  const INT_S64 size = static_cast<INT_S64>(skin.bytes.size());
  for (INT_S64 limit : {INT_S64(0), INT_S64(3), size / 2, size - 3, size - 1}) {
    MEMORY_DEVICE m;
    m.write_limit = limit;
    EXPECT_FALSE(db.write_skin(&m)) << limit;
  }
  MEMORY_DEVICE exact;
  exact.write_limit = size;
  EXPECT_TRUE(db.write_skin(&exact));

  DATABASE other;
  skin.position = 0;
  wm_dialog_effects = {0, 0, 0, 0};
  ASSERT_TRUE(other.read_skin(&skin));
  EXPECT_EQ(other.styles[STYLE_MENU_ITEM].shading_type, 112u);
  EXPECT_EQ(other.progress_update_rate, 5);
  EXPECT_EQ(wm_dialog_effects.display_delay, 222u);
  // Icons 11 to 23 went to the file selector.
  EXPECT_EQ(wm_drive_icons[0].width, 3);
  EXPECT_EQ(wm_drive_icons[1].width, 0);
  ASSERT_EQ(wm_folder_icon.width, 2);
  EXPECT_EQ(wm_folder_icon.pixels[1], 0xFFABCDEFu);
  for (size_t cut = 0; cut < skin.bytes.size(); cut += 41) {
    MEMORY_DEVICE part(Bytes(skin.bytes.begin(), skin.bytes.begin() + cut));
    EXPECT_FALSE(other.read_skin(&part)) << cut;
  }
}

TEST_F(DatabaseRecord, StyleImagesComeOnlyFromTheRecordsCache) {
  // A style set whose pictures lie on disk but not in the record's cache.
  const std::string folder = zt::make_temp_dir("skin");
  IMAGE picture;
  picture.create(4, 4);
  FOLDER where;
  ASSERT_TRUE(where.set_if_directory(folder.c_str()));
  DATA_FILE* file = open_data_file(&where, "knob.png", DATA_FILE_WRITE, 0, 0);
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(picture.save_png(file));
  close_data_file(&file);

  WM_STYLE_SET on_disk;
  where.to_variable_form(on_disk.image_path);
  on_disk.set_image_filename("knob");
  wm_style_image_cache_flags = 1;
  on_disk.load_state_images();
  ASSERT_NE(on_disk.state_images[STYLE_IMAGE_BASE], nullptr);  // the picture is loadable
  on_disk.free_state_images();

  DATABASE db;
  dbt::fill(db, dbt::RecordContents());
  db.styles[STYLE_CHECK_BOX] = on_disk;
  wm_skin_cache.free_all();
  MEMORY_DEVICE m;
  ASSERT_TRUE(db.put_to_data_device(&m));
  m.position = 0;
  DATABASE back;
  wm_style_image_cache_flags = 1;
  ASSERT_TRUE(back.get_from_data_device(&m));
  EXPECT_STREQ(back.styles[STYLE_CHECK_BOX].image_filename, "knob");
  for (SKIN_FRAME* frame : back.styles[STYLE_CHECK_BOX].state_images) EXPECT_EQ(frame, nullptr);
  EXPECT_EQ(wm_style_image_cache_flags, CACHE_FIND_ONLY);
}

TEST_F(DatabaseRecord, IndexFile) {
  DATABASE db;
  db.config_folder.set_if_directory(zt::make_temp_dir("idx").c_str());
  EXPECT_FALSE(db.load_index());
  dbt::fill(db, dbt::RecordContents());
  ASSERT_TRUE(db.save_index());
  DATABASE back;
  back.config_folder = db.config_folder;
  ASSERT_TRUE(back.load_index());
  EXPECT_EQ(back.window_width, 800);
  EXPECT_STREQ(back.languages[0].text(TEXT_APPLICATION_TITLE), "English-2");
}

}  // namespace

namespace {

// The fuzzer's seeds, one record per version: each reads whole. With
// ZORV_WRITE_FUZZ_SEEDS set to a folder they are written there instead.
TEST_F(DatabaseRecord, FuzzSeedsReadWhole) {
  const std::string corpus = std::string(ZORV_SOURCE_DIR) + "/fuzz/corpus/database_record";
  const char* write_to = getenv("ZORV_WRITE_FUZZ_SEEDS");
  for (int version = 1; version <= 7; version++) {
    dbt::RecordContents spec;
    spec.version = version;
    spec.items.push_back(dbt::RecordContents::Item());
    spec.items[0].files = 1;
    spec.items[1].shortcuts = 2;
    spec.languages = {"English", "Deutsch"};
    const std::string name = "/v" + std::to_string(version);
    if (write_to) {
      zt::write_bytes(write_to + name, dbt::record(spec));
      continue;
    }
    const Bytes seed = zt::read_bytes(corpus + name);
    EXPECT_EQ(seed, dbt::record(spec)) << name;
    DATABASE db;
    EXPECT_TRUE(read_bytes_into(db, seed)) << name;
  }
}

}  // namespace
