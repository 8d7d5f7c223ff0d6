// The record form of a style set against bytes written out by hand: version
// 8 in both byte orders, a version 1 record, damaged records.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../graphics/image_files_test_util.h"
#include "folder.h"
#include "image_cache.h"
#include "skin_frame.h"
#include "style_set.h"

namespace {

typedef std::vector<INT_U8> Bytes;

// Hex pairs, spaces ignored.
Bytes hex(const char* text) {
  Bytes out;
  for (const char* p = text; *p;) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    unsigned v;
    sscanf(p, "%2x", &v);
    out.push_back(static_cast<INT_U8>(v));
    p += 2;
  }
  return out;
}
// A text field of fixed size: the text, then zeros.
Bytes field(const std::string& text, size_t size) {
  Bytes out(text.begin(), text.end());
  out.resize(size, 0);
  return out;
}
Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Version 8, little-endian: "bt", "Nm", "$APP/s", type 6, thirteen colours,
// visible 1, ssf 5, ssef 0x80, sssf 0xEE, mask 0x80FF, font 3, sixteen shorts.
Bytes golden_le() {
  return cat({hex("08000000 02000000 6274 02000000 4e6d"), field("$APP/s", 2048),
              hex("06000000"
                  "01000011 02000022 03000033 04000044 05000055 06000066 07000077"
                  "08000088 09000099 0a0000aa 0b0000bb 0c0000cc 0d0000dd"
                  "01 05000000 80000000 ee ff80 03"
                  "ffff 0c00 0100 0200 0300 0400 ffff ffff ffff ffff 0100 0200 0f00 0a00 0f00 1400")});
}
Bytes golden_be() {
  return cat({hex("00000008 00000002 6274 00000002 4e6d"), field("$APP/s", 2048),
              hex("00000006"
                  "11000001 22000002 33000003 44000004 55000005 66000006 77000007"
                  "88000008 99000009 aa00000a bb00000b cc00000c dd00000d"
                  "01 00000005 00000080 ee 80ff 03"
                  "ffff 000c 0001 0002 0003 0004 ffff ffff ffff ffff 0001 0002 000f 000a 000f 0014")});
}

void fill(WM_STYLE_SET* s) {
  s->set_image_filename("bt");
  s->set_name("Nm");
  snprintf(s->image_path, sizeof s->image_path, "$APP/s");
  s->shading_type = 6;
  COLOUR* colours[] = {&s->fg_colour,       &s->bg_colour,          &s->fading_colour,
                       &s->highlight_colour, &s->highlight_text_colour, &s->active_colour,
                       &s->active_text_colour, &s->bevel_colour,    &s->mouse_over_colour,
                       &s->mouse_over_text_colour, &s->flashing_colour, &s->flashing_text_colour,
                       &s->underline_colour};
  for (INT_U32 i = 0; i < 13; ++i) *colours[i] = ((i + 1) * 0x11000000u) | (i + 1);
  s->visible = 1;
  s->ssf = 5;
  s->ssef = 0x80;
  s->sssf = 0xEE;
  s->shading_flags = 0x80FF;
  s->font_id = 3;
  s->font_x_sz = -1;
  s->font_y_sz = 12;
  s->border_left_gap = 1;
  s->border_right_gap = 2;
  s->border_top_gap = 3;
  s->border_bottom_gap = 4;
  s->x_spacing = 1;
  s->y_spacing = 2;
  s->scrollbar_button_width = 15;
  s->scrollbar_slider_width = 10;
  s->grid_scrollbar_width = 15;
  s->grid_two_tone_value = 20;
}

void expect_filled(const WM_STYLE_SET& s) {
  WM_STYLE_SET want;
  fill(&want);
  EXPECT_STREQ(s.image_filename, "bt");
  EXPECT_STREQ(s.name, "Nm");
  EXPECT_STREQ(s.image_path, "$APP/s");
  EXPECT_EQ(s.shading_type, 6u);
  EXPECT_EQ(s.fg_colour, 0x11000001u);
  EXPECT_EQ(s.bevel_colour, 0x88000008u);
  EXPECT_EQ(s.underline_colour, 0xDD00000Du);
  EXPECT_EQ(s.visible, 1);
  EXPECT_EQ(s.ssf, 5u);
  EXPECT_EQ(s.ssef, 0x80u);
  EXPECT_EQ(s.sssf, 0xEE);
  EXPECT_EQ(s.shading_flags, 0x80FF);
  EXPECT_EQ(s.font_id, 3);
  EXPECT_EQ(s.font_x_sz, -1);
  EXPECT_EQ(s.font_y_sz, 12);
  EXPECT_EQ(s.border_bottom_gap, 4);
  EXPECT_EQ(s.cell_left_gap, -1);
  EXPECT_EQ(s.y_spacing, 2);
  EXPECT_EQ(s.grid_two_tone_value, 20);
}

TEST(StyleSetRecord, WritesVersion8InBothByteOrders) {
  for (INT_U32 swap : {0u, 1u}) {
    WM_STYLE_SET s;
    fill(&s);
    // Bytes after the terminator are never written out.
    memset(s.image_path + 7, 'x', 100);
    MEMORY_DEVICE device;
    device.swap_flag = swap;
    ASSERT_TRUE(s.put_to_data_device(&device));
    EXPECT_EQ(device.bytes, swap ? golden_be() : golden_le()) << "swap " << swap;
  }
}

TEST(StyleSetRecord, ReadsVersion8InBothByteOrders) {
  for (INT_U32 swap : {0u, 1u}) {
    MEMORY_DEVICE device(swap ? golden_be() : golden_le());
    device.swap_flag = swap;
    WM_STYLE_SET s;
    s.set_name("replaced");
    ASSERT_TRUE(s.get_from_data_device(&device)) << swap;
    expect_filled(s);
    EXPECT_EQ(device.position, device.bytes.size());
  }
}

TEST(StyleSetRecord, VersionsOutOfRangeReadAsNearestKnown) {
  // Version 9 and above is read as 8.
  Bytes b = golden_le();
  b[0] = 0x2A;
  MEMORY_DEVICE device(b);
  WM_STYLE_SET s;
  ASSERT_TRUE(s.get_from_data_device(&device));
  expect_filled(s);
}

// Version 1: a folder record for the path, no active-text, mouse-over,
// flashing or underline colours, no sssf.
Bytes version1(const char* version_hex) {
  return cat({hex(version_hex), hex("00000000 03000000 6f6c64"), hex("ff"),
              field("$APP/old", 2048),
              hex("02000000"
                  "010000f1 020000f2 030000f3 040000f4 050000f5 060000f6"
                  "080000f8"
                  "00 07000000 00020000 0f00 ff"
                  "0800 0900 0100 0100 0100 0100 0200 0200 0200 0200 0300 0300 1000 0800 1000 1e00")});
}

TEST(StyleSetRecord, ReadsVersion1) {
  for (const char* v : {"01000000", "00000000", "ffffffff"}) {
    MEMORY_DEVICE device(version1(v));
    WM_STYLE_SET s;
    s.set_image_filename("gone");
    s.mouse_over_colour = s.flashing_colour = s.flashing_text_colour = 0xFF;
    s.active_text_colour = s.underline_colour = 0xFF;
    s.sssf = 0;
    ASSERT_TRUE(s.get_from_data_device(&device)) << v;
    EXPECT_EQ(device.position, device.bytes.size());
    EXPECT_EQ(s.image_filename, nullptr);
    EXPECT_STREQ(s.name, "old");
    FOLDER old;
    old.set("$APP/old");
    char want[FOLDER_PATH_SIZE];
    old.get_path_text(want, nullptr);
    EXPECT_STREQ(s.image_path, want);
    EXPECT_EQ(s.shading_type, 2u);
    EXPECT_EQ(s.fg_colour, 0xF1000001u);
    EXPECT_EQ(s.active_colour, 0xF6000006u);
    EXPECT_EQ(s.bevel_colour, 0xF8000008u);
    for (COLOUR c : {s.active_text_colour, s.mouse_over_colour, s.mouse_over_text_colour,
                     s.flashing_colour, s.flashing_text_colour, s.underline_colour})
      EXPECT_EQ(c, 0u);
    EXPECT_EQ(s.sssf, 238);
    EXPECT_EQ(s.visible, 0);
    EXPECT_EQ(s.ssf, 7u);
    EXPECT_EQ(s.ssef, 0x200u);
    EXPECT_EQ(s.shading_flags, 15);
    EXPECT_EQ(s.font_id, 255);
    EXPECT_EQ(s.font_x_sz, 8);
    EXPECT_EQ(s.grid_two_tone_value, 30);
  }
}

TEST(StyleSetRecord, TruncatedRecordFailsKeepingWhatWasRead) {
  const Bytes whole = golden_le();
  // Cut inside the colours (after fg and bg), then at every field boundary
  // class: version, a length, a name, the path, the last short.
  for (size_t keep : {size_t(2), size_t(6), size_t(11), size_t(1000), size_t(18 + 2048 + 4 + 10),
                      whole.size() - 1}) {
    MEMORY_DEVICE device(Bytes(whole.begin(), whole.begin() + keep));
    WM_STYLE_SET s;
    s.shading_type = 77;
    EXPECT_FALSE(s.get_from_data_device(&device)) << keep;
    if (keep == 18 + 2048 + 4 + 10) {
      EXPECT_STREQ(s.image_filename, "bt");
      EXPECT_STREQ(s.name, "Nm");
      EXPECT_EQ(s.shading_type, 6u);
      EXPECT_EQ(s.fg_colour, 0x11000001u);
      EXPECT_EQ(s.highlight_colour, 0u);  // the default, untouched
    }
    EXPECT_EQ(s.is_loaded(), 0);
  }
}

TEST(StyleSetRecord, OversizedLengthsAreRefused) {
  struct {
    const char* head;
    size_t padding;
    bool name_kept;
  } cases[] = {
      {"08000000 ffffffff 6274", 5000, false},  // wraps "length + 1" to 0 if unchecked
      {"08000000 ffffff7f 6274", 5000, false},
      {"08000000 00100000 6274", 100, false},   // more than the device holds
      {"08000000 02000000 6274 00f0ffff", 5000, true},  // the name's length
  };
  for (const auto& c : cases) {
    Bytes b = cat({hex(c.head), Bytes(c.padding, 'a')});
    MEMORY_DEVICE device(b);
    WM_STYLE_SET s;
    EXPECT_FALSE(s.get_from_data_device(&device)) << c.head;
    EXPECT_EQ(device.error_flag, 1);
    EXPECT_EQ(s.name, nullptr);
    EXPECT_EQ(s.image_filename != nullptr, c.name_kept);
  }
  // A length within what the device holds but past the cap.
  Bytes b = cat({hex("08000000 01200000"), Bytes(0x2001 + 3000, 'a')});
  MEMORY_DEVICE device(b);
  WM_STYLE_SET s;
  EXPECT_FALSE(s.get_from_data_device(&device));
}

TEST(StyleSetRecord, TextStartingWithZeroIsNone) {
  // "\0b" as the base name: no name, as an empty text gives everywhere.
  Bytes b = golden_le();
  b[8] = 0;
  MEMORY_DEVICE device(b);
  WM_STYLE_SET s;
  ASSERT_TRUE(s.get_from_data_device(&device));
  EXPECT_EQ(s.image_filename, nullptr);
  EXPECT_STREQ(s.name, "Nm");
}

TEST(StyleSetRecord, UnterminatedPathIsCut) {
  Bytes b = golden_le();
  std::fill(b.begin() + 16, b.begin() + 16 + 2048, 'q');
  MEMORY_DEVICE device(b);
  WM_STYLE_SET s;
  ASSERT_TRUE(s.get_from_data_device(&device));
  EXPECT_EQ(strlen(s.image_path), 2047u);
}

TEST(StyleSetRecord, WriteFailureStopsWithFalse) {
  for (INT_S64 limit : {0, 3, 8, 20, 2000, 2100, 2140}) {
    WM_STYLE_SET s;
    fill(&s);
    MEMORY_DEVICE device;
    device.write_limit = limit;
    EXPECT_FALSE(s.put_to_data_device(&device)) << limit;
  }
}

TEST(StyleSetRecord, StateImagesFromTheCacheAfterReading) {
  wm_skin_cache.free_all();
  const std::string dir = zt::make_temp_dir("skin");
  FOLDER folder;
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  for (const char* name : {"bt_up", "bt_alt", "bt_slider_over"})
    ASSERT_TRUE(itu::save_png_to(dir + "/" + name + ".png",
                                 *itu::make_image(2, 2, [](int, int) { return 0xFF808080u; })));
  WM_STYLE_SET s;
  fill(&s);
  folder.get_path_text(s.image_path, nullptr);
  MEMORY_DEVICE device;
  ASSERT_TRUE(s.put_to_data_device(&device));

  // Nothing is loaded while the switch is off.
  wm_load_style_images = 0;
  device.position = 0;
  WM_STYLE_SET off;
  ASSERT_TRUE(off.get_from_data_device(&device));
  EXPECT_EQ(off.is_loaded(), 0);
  for (SKIN_FRAME* f : off.state_images) EXPECT_EQ(f, nullptr);
  wm_load_style_images = 1;

  device.position = 0;
  WM_STYLE_SET first;
  ASSERT_TRUE(first.get_from_data_device(&device));
  EXPECT_EQ(first.is_loaded(), 1);

  // With the files gone and cache-only lookups, the cached images fill the
  // same slots.
  for (const char* name : {"bt_up", "bt_alt", "bt_slider_over"})
    ASSERT_EQ(remove((dir + "/" + name + ".png").c_str()), 0);
  wm_style_image_cache_flags = 8;
  device.position = 0;
  WM_STYLE_SET again;
  ASSERT_TRUE(again.get_from_data_device(&device));
  wm_style_image_flags = 1;
  EXPECT_EQ(again.is_loaded(), 1);
  for (int i = 0; i < STYLE_IMAGE_COUNT; ++i) {
    const bool want = i == STYLE_IMAGE_UP || i == STYLE_IMAGE_ALTERNATE || i == STYLE_IMAGE_SLIDER_OVER;
    ASSERT_EQ(again.state_images[i] != nullptr, want) << i;
    if (want) {
      EXPECT_EQ(again.state_images[i]->mid_mid, first.state_images[i]->mid_mid) << i;
    }
  }
}

}  // namespace
