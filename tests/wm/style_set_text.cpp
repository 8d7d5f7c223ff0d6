// The ".ss" text form: files written by hand, read, and written back.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "config_file.h"
#include "folder.h"
#include "style_set.h"
#include "test_support.h"

namespace {

// Every required key, in the file's own "identifier, then value" lines.
const char* const kRequired[][2] = {
    {"image_filename", "knob"},     {"image_path", "$APP/skins"},
    {"shading_type", "7"},          {"fg_colour", "#FF102030"},
    {"bg_colour", "#80405060"},     {"fading_colour", "#00000000"},
    {"highlight_colour", "#FFABCDEF"}, {"highlight_text_colour", "#01020304"},
    {"active_colour", "#FFFFFFFF"}, {"visible", "257"},
    {"shading_flags", "65551"},     {"font_id", "3"},
    {"font_x_sz", "-1"},            {"font_y_sz", "12"},
    {"border_left_gap", "4"},       {"border_right_gap", "5"},
    {"border_top_gap", "6"},        {"border_bottom_gap", "7"},
    {"cell_left_gap", "-1"},        {"cell_right_gap", "1"},
    {"cell_top_gap", "2"},          {"cell_bottom_gap", "3"},
    {"x_spacing", "8"},             {"y_spacing", "9"},
    {"scrollbar_button_width", "16"}, {"scrollbar_slider_width", "11"},
    {"grid_scrollbar_width", "14"}, {"grid_two_tone_value", "30"}};

struct SsFile {
  std::string dir = zt::make_temp_dir("ss");
  FOLDER folder;
  CONFIG_FILE file{"look.ss", 1};
  SsFile() { EXPECT_TRUE(folder.set_if_directory(dir.c_str())); }

  // The required keys minus `skip`, then `extra` lines as given.
  void write(const std::vector<std::pair<std::string, std::string>>& extra,
             const std::string& skip = "") {
    std::string text;
    for (const auto& kv : kRequired)
      if (skip != kv[0]) text += std::string(kv[0]) + "\n" + kv[1] + "\n";
    for (const auto& kv : extra) text += kv.first + "\n" + kv.second + "\n";
    zt::write_text(dir + "/look.ss", text);
  }
  bool read(WM_STYLE_SET* s, STYLE_FONT_LOOKUP lookup = nullptr, bool with_folder = true) {
    file.load_all(&folder, 0);
    return s->read_text(&file, lookup, 77, with_folder ? &folder : nullptr);
  }
};

TEST(StyleSetText, MinimalFile) {
  SsFile f;
  f.write({});
  WM_STYLE_SET s;
  s.bevel_colour = 0xFF0000FF;
  ASSERT_TRUE(f.read(&s));
  EXPECT_EQ(s.name, nullptr);
  EXPECT_STREQ(s.image_filename, "knob");
  EXPECT_STREQ(s.image_path, "$APP/skins");
  EXPECT_EQ(s.shading_type, 7u);
  EXPECT_EQ(s.fg_colour, 0xFF102030u);
  EXPECT_EQ(s.bg_colour, 0x80405060u);
  EXPECT_EQ(s.fading_colour, 0u);
  EXPECT_EQ(s.highlight_colour, 0xFFABCDEFu);
  EXPECT_EQ(s.highlight_text_colour, 0x01020304u);
  EXPECT_EQ(s.active_colour, 0xFFFFFFFFu);
  EXPECT_EQ(s.active_text_colour, 0u);
  EXPECT_EQ(s.underline_colour, 0u);
  EXPECT_EQ(s.bevel_colour, 0xFF0000FFu);  // no key: left as it was
  EXPECT_EQ(s.visible, 1);                 // low 8 bits of 257
  EXPECT_EQ(s.shading_flags, 15);          // low 16 bits of 65551
  EXPECT_EQ(s.font_id, 3);
  EXPECT_EQ(s.font_x_sz, -1);
  EXPECT_EQ(s.font_y_sz, 12);
  EXPECT_EQ(s.border_left_gap, 4);
  EXPECT_EQ(s.border_bottom_gap, 7);
  EXPECT_EQ(s.cell_left_gap, -1);
  EXPECT_EQ(s.cell_bottom_gap, 3);
  EXPECT_EQ(s.x_spacing, 8);
  EXPECT_EQ(s.y_spacing, 9);
  EXPECT_EQ(s.scrollbar_button_width, 16);
  EXPECT_EQ(s.scrollbar_slider_width, 11);
  EXPECT_EQ(s.grid_scrollbar_width, 14);
  EXPECT_EQ(s.grid_two_tone_value, 30);
  // Not the constructor's flags: reading starts from 0, 0 and 238.
  EXPECT_EQ(s.ssf, 0u);
  EXPECT_EQ(s.ssef, 0u);
  EXPECT_EQ(s.sssf, 238);
  EXPECT_EQ(s.is_loaded(), 1);  // a base name was given; no picture exists
}

TEST(StyleSetText, FlagKeys) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> lines;
    INT_U32 ssf, ssef;
    INT_U8 sssf;
  } cases[] = {
      {{{"drawing_flags", "65541"}}, 5, 1, 238},
      {{{"drawing_flags", "65541"}, {"ssf_draw_border", "0"}, {"ssef_left_arrow", "1"}},
       4, 5, 238},
      // The older spelling loses against the newer one for the same bit.
      {{{"ssf_auto_actiavte", "1"}, {"ssef_auto_actiavte", "0"}}, 0, 0, 238},
      {{{"ssf_auto_actiavte", "1"}}, 0, ssef_auto_actiavte, 238},
      {{{"ssf_grid_type_cells", "1"}, {"ssf_sb_horizontal", "2"}}, 0,
       ssef_grid_type_cells | ssef_sb_horizontal, 238},
      // Only the low 8 bits of a flag value count: 256 clears.
      {{{"ssf_wrap_text", "256"}, {"ssf_top_align_text", "1"}, {"ssf_bottom_align_text", "9"}},
       ssf_top_align_text | ssf_bottom_align_text, 0, 238},
      {{{"ssef_grid_dont_shorten_scrollbar", "1"}, {"ssef_fm_hide_scrolling_arrows", "1"}}, 0,
       ssef_grid_dont_shorten_scrollbar | ssef_fm_hide_scrolling_arrows, 238},
      {{{"sssf_retain_width", "1"}, {"sssf_retain_y_font_size", "0"}}, 0, 0, 0x6F},
  };
  for (const Case& c : cases) {
    SsFile f;
    f.write(c.lines);
    WM_STYLE_SET s;
    ASSERT_TRUE(f.read(&s));
    EXPECT_EQ(s.ssf, c.ssf) << c.lines[0].first;
    EXPECT_EQ(s.ssef, c.ssef) << c.lines[0].first;
    EXPECT_EQ(s.sssf, c.sssf) << c.lines[0].first;
  }
}

TEST(StyleSetText, MissingRequiredKeyFailsKeepingWhatWasRead) {
  SsFile f;
  f.write({{"name", "dial"}}, "image_path");
  WM_STYLE_SET s;
  s.set_image_filename("old");
  EXPECT_FALSE(f.read(&s));
  EXPECT_STREQ(s.name, "dial");
  EXPECT_STREQ(s.image_filename, "knob");
  EXPECT_EQ(s.is_loaded(), 0);  // images are not loaded
  EXPECT_EQ(s.shading_type, 1u);

  for (const char* key : {"image_filename", "shading_type", "active_colour", "visible",
                          "font_y_sz", "grid_two_tone_value"}) {
    SsFile g;
    g.write({}, key);
    WM_STYLE_SET t;
    EXPECT_FALSE(g.read(&t)) << key;
  }
}

TEST(StyleSetText, HereFolders) {
  SsFile f;
  ASSERT_EQ(mkdir((f.dir + "/images").c_str(), 0755), 0);
  FOLDER images;
  ASSERT_TRUE(images.set_if_directory((f.dir + "/images").c_str()));
  char want[FOLDER_PATH_SIZE];
  images.get_path_text(want, nullptr);

  f.write({{"image_path", "$HERE/images"}}, "image_path");
  WM_STYLE_SET s;
  ASSERT_TRUE(f.read(&s));
  EXPECT_STREQ(s.image_path, want);

  WM_STYLE_SET t;
  f.file.folder = f.folder;  // the file is found in its own folder
  f.file.load_all(nullptr, 0);
  ASSERT_TRUE(t.read_text(&f.file, nullptr, 0, nullptr));
  EXPECT_STREQ(t.image_path, "$APP_DATA/config");
}

TEST(StyleSetText, DamagedHerePathFailsTheRead) {
  for (const char* bad : {"$HEREX/images", "$HERE\xca\x96x", "$HEREHERE"}) {
    SsFile f;
    f.write({{"image_path", bad}}, "image_path");
    WM_STYLE_SET s;
    EXPECT_FALSE(f.read(&s)) << bad;
    EXPECT_FALSE(f.read(&s, nullptr, false)) << bad;
    EXPECT_EQ(s.is_loaded(), 0);
  }
  // A path with an unknown variable is written as it stands.
  SsFile f;
  WM_STYLE_SET s;
  snprintf(s.image_path, sizeof s.image_path, "$NOSUCHVARIABLE/x");
  ASSERT_TRUE(s.write_text(&f.file, nullptr, 0, &f.folder));
  EXPECT_NE(zt::read_text(f.dir + "/look.ss").find("image_path\n\t$NOSUCHVARIABLE/x\n"),
            std::string::npos);
}

TEST(StyleSetText, OverlongPathIsBounded) {
  SsFile f;
  std::string longest(3000, 'p');
  f.write({{"image_path", "$APP/" + longest}, {"name", std::string(5000, 'n')}}, "image_path");
  WM_STYLE_SET s;
  ASSERT_TRUE(f.read(&s));
  const size_t n = strnlen(s.image_path, sizeof s.image_path);
  EXPECT_LT(n, sizeof s.image_path);
  EXPECT_EQ(std::string(s.image_path, 5), "$APP/");
}

INT_U8 font_by_name(const char* name, INT_WORD arg) {
  return strcmp(name, "serif") == 0 && arg == 77 ? 42 : 0;
}

TEST(StyleSetText, FontName) {
  SsFile f;
  f.write({{"font_name", "serif"}});
  WM_STYLE_SET s;
  ASSERT_TRUE(f.read(&s, font_by_name));
  EXPECT_EQ(s.font_id, 42);
  WM_STYLE_SET t;
  ASSERT_TRUE(f.read(&t, nullptr));
  EXPECT_EQ(t.font_id, 3);
}

const char* name_of_font(INT_U8 id, INT_WORD) { return id == 9 ? "mono" : "?"; }

TEST(StyleSetText, WriteThenReadBack) {
  SsFile f;
  ASSERT_EQ(mkdir((f.dir + "/pics").c_str(), 0755), 0);
  FOLDER pics;
  ASSERT_TRUE(pics.set_if_directory((f.dir + "/pics").c_str()));

  WM_STYLE_SET s;
  s.set_name("scroll");
  s.set_image_filename("sb");
  pics.get_path_text(s.image_path, nullptr);
  s.shading_type = 9;
  COLOUR c = 0x11223344;
  for (COLOUR* p : {&s.fg_colour, &s.bg_colour, &s.fading_colour, &s.highlight_colour,
                    &s.highlight_text_colour, &s.active_colour, &s.active_text_colour,
                    &s.mouse_over_colour, &s.mouse_over_text_colour, &s.flashing_colour,
                    &s.flashing_text_colour, &s.underline_colour})
    *p = (c += 0x01010101);
  s.bevel_colour = 0xFFAAAAAA;
  s.visible = 0;
  s.ssf = 0x0C0FFFFF;
  s.ssef = 0x03FFFFFF;
  s.sssf = 0xA5;
  s.shading_flags = 0x80F3;
  s.font_id = 9;
  s.font_x_sz = -3;
  s.font_y_sz = 300;
  INT_S16 v = -2;
  for (INT_S16* p : {&s.border_left_gap, &s.border_right_gap, &s.border_top_gap,
                     &s.border_bottom_gap, &s.cell_left_gap, &s.cell_right_gap, &s.cell_top_gap,
                     &s.cell_bottom_gap, &s.x_spacing, &s.y_spacing, &s.scrollbar_button_width,
                     &s.scrollbar_slider_width, &s.grid_scrollbar_width, &s.grid_two_tone_value})
    *p = v++;
  ASSERT_TRUE(s.write_text(&f.file, name_of_font, 0, &f.folder));

  const std::string text = zt::read_text(f.dir + "/look.ss");
  int lines = 0;
  for (char ch : text) lines += ch == '\n';
  EXPECT_EQ(lines, 2 * 92);
  for (const char* want : {"image_path\n\t$HERE/pics/\n", "fg_colour\n\t#12233445\n",
                           "font_name\n\tmono\n", "font_x_sz\n\t-3\n",
                           "ssef_auto_actiavte\n\t1\n", "ssf_bottom_align_text\n\t1\n",
                           "sssf_retain_left_border\n\t0\n"})
    EXPECT_NE(text.find(want), std::string::npos) << want;
  for (const char* never : {"drawing_flags", "bevel_colour", "ssf_auto_actiavte\n"})
    EXPECT_EQ(text.find(never), std::string::npos) << never;

  WM_STYLE_SET r;
  r.bevel_colour = 0xFF010101;
  ASSERT_TRUE(f.read(&r));
  EXPECT_STREQ(r.name, "scroll");
  EXPECT_STREQ(r.image_filename, "sb");
  EXPECT_STREQ(r.image_path, s.image_path);
  EXPECT_EQ(r.shading_type, s.shading_type);
  EXPECT_EQ(r.fg_colour, s.fg_colour);
  EXPECT_EQ(r.underline_colour, s.underline_colour);
  EXPECT_EQ(r.flashing_text_colour, s.flashing_text_colour);
  EXPECT_EQ(r.bevel_colour, 0xFF010101u);
  EXPECT_EQ(r.visible, s.visible);
  EXPECT_EQ(r.ssf, s.ssf);
  EXPECT_EQ(r.ssef, s.ssef);
  EXPECT_EQ(r.sssf, s.sssf);
  EXPECT_EQ(r.shading_flags, s.shading_flags);
  EXPECT_EQ(r.font_id, s.font_id);
  EXPECT_EQ(r.font_x_sz, s.font_x_sz);
  EXPECT_EQ(r.font_y_sz, s.font_y_sz);
  EXPECT_EQ(r.border_left_gap, -2);
  EXPECT_EQ(r.grid_two_tone_value, 11);
  EXPECT_EQ(r.cell_bottom_gap, s.cell_bottom_gap);
}

TEST(StyleSetText, WriteFailureIsReported) {
  SsFile f;
  // A folder that is gone: no key can be written.
  ASSERT_EQ(rmdir(f.dir.c_str()), 0);
  WM_STYLE_SET s;
  EXPECT_FALSE(s.write_text(&f.file, nullptr, 0, &f.folder));
  EXPECT_FALSE(zt::file_exists(f.dir + "/look.ss"));
}

}  // namespace
