// The demonstration package as a person sees it, headless at the demo's own
// window size: every page and box in every language with each button's icon
// beside its text and nothing cut, the folder browser's parts apart, the
// contrast of every text against what lies under it, and the German and
// French letters.
#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "colour.h"
#include "wm_about.h"
#include "wm_check_box.h"
#include "wm_file_select.h"
#include "package.h"
#include "wm_menu.h"
#include "wm_scrollbar.h"
#include "wm_text_win.h"
#include "x_program.h"

using namespace xi;

namespace {

std::string text_of(const WM_BUTTON* b) { return b && b->text ? b->text : ""; }

// An inclusive pixel box; empty while x1 > x2.
struct Box {
  int x1 = 1, y1 = 1, x2 = 0, y2 = 0;
  bool empty() const { return x1 > x2 || y1 > y2; }
  int w() const { return empty() ? 0 : x2 - x1 + 1; }
  int h() const { return empty() ? 0 : y2 - y1 + 1; }
  void add(int x, int y) {
    if (empty()) {
      x1 = x2 = x;
      y1 = y2 = y;
      return;
    }
    x1 = std::min(x1, x);
    x2 = std::max(x2, x);
    y1 = std::min(y1, y);
    y2 = std::max(y2, y);
  }
  bool meets(const Box& o) const {
    return !empty() && !o.empty() && x1 <= o.x2 && o.x1 <= x2 && y1 <= o.y2 && o.y1 <= y2;
  }
  bool inside(const Box& o) const { return x1 >= o.x1 && x2 <= o.x2 && y1 >= o.y1 && y2 <= o.y2; }
};
std::string str(const Box& b) {
  return "(" + std::to_string(b.x1) + "," + std::to_string(b.y1) + ")-(" + std::to_string(b.x2) + "," +
         std::to_string(b.y2) + ")";
}
Box box_of(const WM_SCREEN_OBJECT* o) { return {o->x, o->y, o->x + o->width - 1, o->y + o->height - 1}; }

// The object's area of the screen, painted anew on a neutral ground.
std::vector<COLOUR> paint(WM_SCREEN_OBJECT* o) {
  IMAGE* s = wm_surface;
  s->set_clip(0, 0, static_cast<INT_S16>(s->width - 1), static_cast<INT_S16>(s->height - 1));
  const COLOUR ground = 0xFF808080;
  const Box b = box_of(o);
  s->fill_rect(static_cast<INT_S16>(b.x1), static_cast<INT_S16>(b.y1), static_cast<INT_S16>(b.x2),
               static_cast<INT_S16>(b.y2), &ground, 0);
  o->draw();
  std::vector<COLOUR> p;
  for (int y = b.y1; y <= b.y2; ++y)
    for (int x = b.x1; x <= b.x2; ++x)
      p.push_back(x >= 0 && y >= 0 && x < s->width && y < s->height ? *s->pixel_at(x, y) : 0);
  return p;
}
// Where two paintings of the object differ, in screen pixels.
Box difference(const WM_SCREEN_OBJECT* o, const std::vector<COLOUR>& a, const std::vector<COLOUR>& b) {
  Box d;
  for (int j = 0; j < o->height; ++j)
    for (int i = 0; i < o->width; ++i)
      if (a[static_cast<size_t>(j * o->width + i)] != b[static_cast<size_t>(j * o->width + i)])
        d.add(o->x + i, o->y + j);
  return d;
}

// The size of an object's text ink with all the room it could want: the
// object at the screen's top-left corner, as wide as the screen.
Box full_text_ink(WM_SCREEN_OBJECT* o, const std::string& text, const std::function<void(const char*)>& set_text) {
  const INT_S16 x = o->x, y = o->y, w = o->width, h = o->height;
  o->x = 0;
  o->y = 0;
  o->width = wm_surface->width;
  o->height = static_cast<INT_S16>(h + 40);
  set_text("");
  const std::vector<COLOUR> bare = paint(o);
  set_text(text.c_str());
  const Box ink = difference(o, bare, paint(o));
  o->x = x;
  o->y = y;
  o->width = w;
  o->height = h;
  return ink;
}

// The ink of a button's icon and of its text, each painted without the
// other in the same places (an invisible text colour, a clear icon of the
// same size), measured enabled: disabling changes the look, not the places.
struct ButtonInk {
  Box icon, text;
  Box whole_text;  // the text's ink with all the room it could want
};
ButtonInk ink_of(WM_BUTTON* b) {
  const INT_U8 enabled = b->enabled, pressed = b->pressed, hover = b->hover;
  b->enabled = 1;
  b->pressed = 0;
  b->hover = 0;
  const COLOUR colours[] = {b->text_colour, b->mouse_over_text_colour, b->highlight_text_colour,
                            b->active_text_colour, b->flashing_text_colour};
  auto hide_text = [&](bool hide) {
    b->text_colour = hide ? 0 : colours[0];
    b->mouse_over_text_colour = hide ? 0 : colours[1];
    b->highlight_text_colour = hide ? 0 : colours[2];
    b->active_text_colour = hide ? 0 : colours[3];
    b->flashing_text_colour = hide ? 0 : colours[4];
  };
  IMAGE icon;
  icon.copy_from(&b->icon);
  auto clear_icon = [&](bool clear) {
    if (icon.width == 0) return;
    b->icon.copy_from(&icon);
    if (clear)
      for (int y = 0; y < icon.height; ++y)
        for (int x = 0; x < icon.width; ++x) *b->icon.pixel_at(x, y) = 0;
  };
  ButtonInk ink;
  hide_text(true);
  clear_icon(true);
  const std::vector<COLOUR> bare = paint(b);
  clear_icon(false);
  ink.icon = difference(b, bare, paint(b));
  hide_text(false);
  clear_icon(true);
  ink.text = difference(b, bare, paint(b));
  const std::string text = text_of(b);
  if (!text.empty()) ink.whole_text = full_text_ink(b, text, [b](const char* t) { b->set_text(t, 0); });
  clear_icon(false);
  b->enabled = enabled;
  b->pressed = pressed;
  b->hover = hover;
  return ink;
}

// The icon's own visible pixels.
Box icon_ink(const IMAGE& icon) {
  Box b;
  for (int y = 0; y < icon.height; ++y)
    for (int x = 0; x < icon.width; ++x)
      if (*const_cast<IMAGE&>(icon).pixel_at(x, y) >> 24) b.add(x, y);
  return b;
}

// Every object drawn under `root`: children and grid cells, once each.
void each_object(WM_SCREEN_OBJECT* root, const std::function<void(WM_SCREEN_OBJECT*)>& visit) {
  std::set<WM_SCREEN_OBJECT*> seen;
  std::vector<WM_SCREEN_OBJECT*> todo = {root};
  while (!todo.empty()) {
    WM_SCREEN_OBJECT* o = todo.back();
    todo.pop_back();
    if (!o || !seen.insert(o).second || !o->visible) continue;
    visit(o);
    for (INT_S16 i = 0; WM_SCREEN_OBJECT* c = o->child_at(i); ++i) todo.push_back(c);
    if (auto* grid = dynamic_cast<WM_GRID*>(o))
      for (INT_S16 r = 0; r < grid->get_row_count(); ++r)
        for (INT_U16 c = 0; c < grid->column_count; ++c) todo.push_back(grid->get_cell(c, r));
  }
}

std::string label_of(const WM_SCRIPT* s) {
  return s && s->text.tag == TV_TEXT && s->text.value.text ? s->text.value.text : "";
}

// A button's text and icon lie inside its face, apart, and whole.
void expect_button_fits(WM_BUTTON* b, const Box& screen) {
  const std::string text = text_of(b);
  SCOPED_TRACE("button \"" + text + "\" at " + str(box_of(b)));
  EXPECT_TRUE(box_of(b).inside(screen));
  const ButtonInk ink = ink_of(b);
  const int border = (b->border_mask & 15) ? b->border_width(1) : 0;
  const Box face = {b->x + border, b->y + border, b->x + b->width - 1 - border, b->y + b->height - 1 - border};
  if (b->icon.width) {
    const Box whole = icon_ink(b->icon);
    EXPECT_FALSE(ink.icon.empty());
    EXPECT_GE(ink.icon.w(), whole.w() - 1) << "icon cut: " << str(ink.icon);
    EXPECT_GE(ink.icon.h(), whole.h() - 1) << "icon cut: " << str(ink.icon);
    EXPECT_TRUE(ink.icon.inside(face)) << "icon " << str(ink.icon);
    EXPECT_FALSE(ink.icon.meets(ink.text)) << "icon " << str(ink.icon) << " text " << str(ink.text);
  }
  if (!ink.whole_text.empty()) {
    // Every column, but for the first column of a letter that leans left of
    // its cell (J, T): a button fitted to its text starts the text exactly
    // at the edge of its clip. Rows are bounded by the text's own box of
    // the font's height, which an accent over a capital or a deep descender
    // can overreach in any style.
    const Box& whole = ink.whole_text;
    EXPECT_GE(ink.text.w(), whole.w() - 1) << "text cut: " << str(ink.text) << ", whole " << str(whole);
    EXPECT_TRUE(ink.text.inside(face)) << "text " << str(ink.text);
  }
}

// A label's text is whole; returns where it lies.
Box expect_label_whole(WM_SCRIPT* s) {
  const std::string text = label_of(s);
  SCOPED_TRACE("label \"" + text + "\"");
  if (text.empty()) return Box();
  auto set = [s](const char* t) { s->set_text_value(t, 0); };
  const Box whole = full_text_ink(s, text, set);
  set("");
  const std::vector<COLOUR> bare = paint(s);
  set(text.c_str());
  const Box ink = difference(s, bare, paint(s));
  EXPECT_GE(ink.w(), whole.w() - 1) << "text cut: " << str(ink) << ", whole " << str(whole);
  return ink;
}

// No scrolling needed to read the box's text.
void expect_no_scrolling(WM_SCREEN_OBJECT* box) {
  WM_TEXT_WIN* w = nullptr;
  each_object(box, [&](WM_SCREEN_OBJECT* o) {
    if (!w) w = dynamic_cast<WM_TEXT_WIN*>(o);
  });
  ASSERT_TRUE(w);
  EXPECT_TRUE(!w->scrollbar || !w->scrollbar->visible) << w->line_total << " lines";
}

class DemoLook : public ProgramTest {
 protected:
  // Headless: no X server.
  void SetUp() override {}
  void TearDown() override {}

  void load(const std::vector<std::string>& options = {}) {
    folder = zt::make_temp_dir("demo");
    std::string command = "'" ZORV_BUILD_DIR "/make_demo_package' '" + folder + "'";
    for (const std::string& o : options) command += " " + o;
    ASSERT_EQ(zt::sh(command), 0);
    ASSERT_TRUE(mirror.load(folder));
    // Every row of the target page shows.
    SYSTEM_INFO& info = installer_database.system_info;
    info.has_drive_list = info.can_desktop_shortcut = info.can_menu_entry = 1;
    screen = {0, 0, wm_surface->width - 1, wm_surface->height - 1};
  }
  void expect_buttons_fit(WM_SCREEN_OBJECT* root) {
    each_object(root, [&](WM_SCREEN_OBJECT* o) {
      if (auto* b = dynamic_cast<WM_BUTTON*>(o)) expect_button_fits(b, screen);
    });
  }
  std::string language_name() const {
    return installer_database.languages[installer_database.current_language].text(TEXT_LANGUAGE_NAME);
  }

  Box screen;
};

TEST_F(DemoLook, EveryPageInEveryLanguageShowsIconsBesideWholeTexts) {
  load();
  for (INT_S16 l = 0; l < installer_database.language_count; ++l)
    for (INT_S32 page = INSTALL_PAGE_LANGUAGE; page <= INSTALL_PAGE_README; ++page) {
      INSTALL_DIALOG* dialog = mirror.show(page, l);
      SCOPED_TRACE(language_name() + " page " + std::to_string(page));
      ASSERT_TRUE(dialog);
      EXPECT_TRUE(box_of(dialog).inside(screen));
      expect_buttons_fit(dialog);
      if (page == INSTALL_PAGE_TARGET) {
        ASSERT_TRUE(browse_button);
        EXPECT_EQ(text_of(browse_button), "...");
      }
    }
}

TEST_F(DemoLook, TheBoxesInEveryLanguageHaveRoomForTheirTexts) {
  load();
  const std::string home = getenv("HOME");
  ASSERT_EQ(zt::sh("mkdir -p '" + home + "/Documents' '" + home + "/Music'"), 0);
  for (INT_S16 l = 0; l < installer_database.language_count; ++l) {
    // The quit box.
    mirror.show(INSTALL_PAGE_LICENCE, l);
    SCOPED_TRACE(language_name());
    WM_CONFIRM* quit = mirror.show_quit_box();
    ASSERT_TRUE(quit);
    EXPECT_TRUE(box_of(quit).inside(screen));
    expect_buttons_fit(quit);
    expect_no_scrolling(quit);
    mirror.close_quit_box();

    // The folder browser, at HOME: centred in the window, at least the
    // selector's own default size.
    INSTALL_DIALOG* dialog = mirror.show(INSTALL_PAGE_TARGET, l);
    ASSERT_TRUE(dialog && browse_button);
    send(browse_button);
    settle_mirror();
    auto* s = dynamic_cast<WM_FILE_SELECT*>(find_popup(WM_KIND_FILE_SELECT));
    ASSERT_TRUE(s);
    s->folder.set_if_directory(home.c_str());
    s->refresh_needed = 1;
    settle_mirror();
    EXPECT_GE(s->width, 500);
    EXPECT_GE(s->height, 350);
    EXPECT_TRUE(box_of(s).inside(screen));
    EXPECT_LE(std::abs((s->x + s->width / 2) - screen.w() / 2), 1);
    EXPECT_LE(std::abs((s->y + s->height / 2) - screen.h() / 2), 1);
    EXPECT_GE(s->row_count, 3);  // "..", Documents, Music
    expect_buttons_fit(s);
    // Its buttons and labels lie apart.
    std::vector<std::pair<std::string, Box>> parts;
    for (WM_BUTTON* b : {s->ok_button, s->cancel_button, s->new_folder_button, static_cast<WM_BUTTON*>(s->location_menu)})
      parts.push_back({"button " + text_of(b), box_of(b)});
    for (WM_SCRIPT* label : {s->status_label, s->location_label})
      parts.push_back({"label " + label_of(label), expect_label_whole(label)});
    for (size_t i = 0; i < parts.size(); ++i)
      for (size_t j = i + 1; j < parts.size(); ++j)
        EXPECT_FALSE(parts[i].second.meets(parts[j].second))
            << parts[i].first << " " << str(parts[i].second) << " meets " << parts[j].first << " "
            << str(parts[j].second);
    s->close(1);
    settle_mirror();

    // The about box of the readme page.
    dialog = mirror.show(INSTALL_PAGE_README, l);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(word_to_s32(dialog->quit_button->action_arg1), INSTALL_CMD_ABOUT);
    send(dialog->quit_button);
    settle_mirror();
    auto* about = dynamic_cast<WM_ABOUT*>(find_popup(WM_KIND_ABOUT));
    ASSERT_TRUE(about);
    EXPECT_TRUE(box_of(about).inside(screen));
    expect_buttons_fit(about);
    expect_no_scrolling(about);
  }
}

TEST_F(DemoLook, TheFailureBoxShowsTheReasonOfALongPathWithoutScrolling) {
  load({"--variant", "missing-entry"});
  DATABASE& d = installer_database;
  const std::string target = zt::make_temp_dir("a-rather-long-folder-name-for-the-failure-box") +
                             "/and-one-more-level-below-it/zorv-demo";
  for (INT_S16 l = 0; l < d.language_count; ++l) {
    INSTALL_DIALOG* dialog = mirror.show(INSTALL_PAGE_TARGET, l);
    SCOPED_TRACE(language_name());
    ASSERT_TRUE(dialog);
    std::snprintf(d.target_folder, sizeof d.target_folder, "$ROOT2%s", target.c_str());
    // The installation page, built as a page change builds it.
    d.current_page = INSTALL_PAGE_PROGRESS;
    auto* kick = new wmt::PROBE("kick", 0, 0, 1, 1);
    kick->tick_result = PAGE_ACTION_REBUILD_CLOSE_POPUPS;
    page_manager.current_manager->add_child(kick, 0);
    WM_CONFIRM* box = nullptr;
    for (int i = 0; i < 200 && !box; ++i) {
      wmt::clock_now() += 20;
      page_manager.update(0);
      box = dynamic_cast<WM_CONFIRM*>(find_popup(WM_KIND_CONFIRM));
    }
    ASSERT_TRUE(box);
    settle_mirror();
    EXPECT_TRUE(box_of(box).inside(screen));
    expect_buttons_fit(box);
    expect_no_scrolling(box);
    page_manager.current_manager->remove_popup(box, 1, 0);
    zt::sh("rm -rf '" + target + "'");
  }
}

// ---- Contrast -------------------------------------------------------------

double luminance(COLOUR c) {
  auto channel = [](double v) {
    v /= 255;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel((c >> 16) & 0xFF) + 0.7152 * channel((c >> 8) & 0xFF) + 0.0722 * channel(c & 0xFF);
}
double contrast(COLOUR a, COLOUR b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
// The colour with its lightness moved, as the chiselled text of a disabled
// widget paints the face.
COLOUR lightness_moved(COLOUR c, double by) {
  double a, h, s, l;
  colour_to_ahsl(&c, &a, &h, &s, &l);
  l = std::min(1.0, std::max(0.0, l + by));
  COLOUR out;
  ahsl_to_colour(&out, a, h, s, l);
  return out;
}
bool is_set(COLOUR c) { return (c >> 24) != 0; }

struct Pair {
  std::string what;
  COLOUR text, under;
};

TEST_F(DemoLook, EveryTextStandsOutFromWhatLiesUnderIt) {
  load();
  const DATABASE& d = installer_database;
  const WM_STYLE_SET& frame = wm_dialog_background_style;
  std::vector<Pair> pairs;
  // A widget's text in its normal, hovered, pressed and active looks.
  auto widget = [&](const std::string& name, const WM_STYLE_SET& s, COLOUR under_when_unset) {
    const COLOUR face = is_set(s.bg_colour) ? s.bg_colour : under_when_unset;
    pairs.push_back({name, s.fg_colour, face});
    if (is_set(s.mouse_over_colour) || is_set(s.mouse_over_text_colour))
      pairs.push_back({name + " hovered", is_set(s.mouse_over_text_colour) ? s.mouse_over_text_colour : s.fg_colour,
                       is_set(s.mouse_over_colour) ? s.mouse_over_colour : face});
    if (is_set(s.highlight_colour))
      pairs.push_back({name + " pressed", is_set(s.highlight_text_colour) ? s.highlight_text_colour : s.fg_colour,
                       s.highlight_colour});
    if (is_set(s.active_colour))
      pairs.push_back({name + " active", is_set(s.active_text_colour) ? s.active_text_colour : s.fg_colour,
                       s.active_colour});
  };
  widget("dialog text", frame, frame.bg_colour);
  pairs.push_back({"caption", wm_dialog_title_style.fg_colour, wm_dialog_title_style.bg_colour});
  widget("button", wm_dialog_button_style, frame.bg_colour);
  pairs.push_back({"hint", wm_button_hint_style.fg_colour, wm_button_hint_style.bg_colour});
  const COLOUR grid = d.styles[STYLE_OPTIONS].bg_colour;
  pairs.push_back({"target page label", d.styles[STYLE_TEXT_TITLE].fg_colour, grid});
  widget("check box", d.styles[STYLE_CHECK_BOX], grid);
  widget("document, listing, path", d.styles[STYLE_TEXT], frame.bg_colour);
  pairs.push_back({"browser listing", frame.fg_colour, d.styles[STYLE_TEXT].bg_colour});
  pairs.push_back({"status line", d.styles[STYLE_PROGRESS_SCRIPT].fg_colour, frame.bg_colour});
  widget("location menu", d.styles[STYLE_MENU_BUTTON], frame.bg_colour);
  widget("menu item", d.styles[STYLE_MENU_ITEM], d.styles[STYLE_MENU_DROPDOWN].bg_colour);
  widget("menu item (alternate)", d.styles[STYLE_MENU_ALT_ITEM], d.styles[STYLE_MENU_DROPDOWN].bg_colour);
  // The percentage runs over the filled part and over the bar's background
  // (the remaining part is not painted).
  const WM_STYLE_SET& bar = d.styles[STYLE_PROGRESS_BAR];
  pairs.push_back({"percentage over the filled part", bar.highlight_text_colour, bar.highlight_colour});
  pairs.push_back({"percentage over the rest", bar.highlight_text_colour, bar.bg_colour});
  for (const Pair& p : pairs) {
    SCOPED_TRACE(p.what);
    ASSERT_TRUE(is_set(p.text));
    ASSERT_TRUE(is_set(p.under));
    EXPECT_GE(contrast(p.text, p.under), 4.5);
  }

  // A disabled button's text does not show its colour: it is a relief in
  // the face, lighter by 0.15 at one pixel's offset and darker by 0.1 over
  // the glyphs. On a face light enough for ink text that relief reaches
  // about 1.6 : 1 at most, short of 3 : 1, whatever the colours.
  const COLOUR face = wm_dialog_button_style.bg_colour;
  EXPECT_GE(contrast(lightness_moved(face, 0.15), lightness_moved(face, -0.1)), 1.5);
}

// ---- Letters --------------------------------------------------------------

// The ink of one character drawn alone.
Box glyph_ink(unsigned char c, std::vector<COLOUR>* pixels) {
  IMAGE* s = wm_surface;
  s->set_clip(0, 0, static_cast<INT_S16>(s->width - 1), static_cast<INT_S16>(s->height - 1));
  const COLOUR white = 0xFFFFFFFF, black = 0xFF000000;
  s->fill_rect(0, 0, 63, 63, &white, 0);
  s->draw_char(16, 16, &black, nullptr, nullptr, s->font, 24, 24, c, 0);
  Box b;
  pixels->clear();
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      pixels->push_back(*s->pixel_at(x, y));
      if (*s->pixel_at(x, y) != white) b.add(x, y);
    }
  return b;
}

TEST_F(DemoLook, FrancaisAndZuruckAreSpeltWithTheirLetters) {
  load();
  const DATABASE& d = installer_database;
  ASSERT_EQ(d.language_count, 3);
  EXPECT_STREQ(d.languages[1].text(TEXT_BACK), "Zur\xFC" "ck");
  EXPECT_STREQ(d.languages[2].text(TEXT_LANGUAGE_OWN_NAME), "Fran\xE7" "ais");
  EXPECT_STREQ(d.languages[2].text(TEXT_LANGUAGE_NAME), "Fran\xE7" "ais");
  // The glyph of U+00FC is the u with two dots above it; that of U+00E7 the
  // c with a cedilla below it.
  struct Case {
    unsigned char letter, base;
    bool above;
  };
  for (const Case& c : {Case{static_cast<unsigned char>(d.languages[1].text(TEXT_BACK)[3]), 'u', true},
                        Case{static_cast<unsigned char>(d.languages[2].text(TEXT_LANGUAGE_OWN_NAME)[4]), 'c', false}}) {
    SCOPED_TRACE(c.base);
    std::vector<COLOUR> letter, base;
    const Box l = glyph_ink(c.letter, &letter);
    const Box b = glyph_ink(c.base, &base);
    ASSERT_FALSE(b.empty());
    ASSERT_FALSE(l.empty());
    // The base letter is there unchanged, and the mark beyond it.
    for (int y = b.y1; y <= b.y2; ++y)
      for (int x = 0; x < 64; ++x) EXPECT_EQ(letter[y * 64 + x], base[y * 64 + x]) << x << "," << y;
    if (c.above) {
      EXPECT_LT(l.y1, b.y1 - 1);
      EXPECT_EQ(l.y2, b.y2);
    } else {
      EXPECT_GT(l.y2, b.y2 + 1);
      EXPECT_EQ(l.y1, b.y1);
    }
  }
}

// UTF-8 text as Latin-1 bytes (the characters of the demo's documents all
// lie in Latin-1).
std::string latin1(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0xC2 && c <= 0xC3 && i + 1 < utf8.size())
      out += static_cast<char>(((c & 3) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    else
      out += static_cast<char>(c);
  }
  return out;
}

// Every language has its licence and readme, and their pages show every
// line of them whole, accented letters and all.
TEST_F(DemoLook, EveryLanguageShowsItsLicenceAndReadmeWhole) {
  load();
  const DATABASE& d = installer_database;
  FOLDER out;
  ASSERT_TRUE(out.set_if_directory(zt::make_temp_dir("docs").c_str()));
  for (INT_S16 l = 0; l < d.language_count; ++l)
    for (const INT_S32 page : {INSTALL_PAGE_LICENCE, INSTALL_PAGE_README}) {
      const std::string name = (page == INSTALL_PAGE_LICENCE ? "licence-" : "readme-") + std::to_string(l);
      SCOPED_TRACE(name);
      ASSERT_TRUE(d.package->extract(&out, name.c_str()));
      const std::string document = zt::read_text(std::string(out.path) + "/" + name);
      INSTALL_DIALOG* dialog = mirror.show(page, l);
      ASSERT_TRUE(dialog);
      WM_TEXT_WIN* w = nullptr;
      each_object(dialog, [&](WM_SCREEN_OBJECT* o) {
        if (!w) w = dynamic_cast<WM_TEXT_WIN*>(o);
      });
      ASSERT_TRUE(w);
      std::vector<std::string> shown;
      for (INT_S16 i = 0; i < w->paragraph_total; ++i)
        shown.push_back(w->paragraphs[i].text ? w->paragraphs[i].text : "");
      std::vector<std::string> lines;
      for (size_t start = 0; start < document.size();) {
        const size_t end = document.find('\n', start);
        lines.push_back(latin1(document.substr(start, end - start)));
        start = end == std::string::npos ? document.size() : end + 1;
      }
      EXPECT_EQ(shown, lines);
      EXPECT_GE(lines.size(), 10u);
    }
}

}  // namespace
