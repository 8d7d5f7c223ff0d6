// Text window, headless: paragraphs, wrapping, the rings and the scrollbar,
// clicks and selection, and the mended edge cases (narrow and short
// windows, copies without a selection, selections across the ring's wrap).
#include "wm_text_win.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "style_set.h"
#include "widget_test_env.h"
#include "wm_scrollbar.h"

namespace {

using wgt::WidgetTest;

const COLOUR kActive = 0xFF3070C0u, kBarBack = 0xFF202020u, kBarText = 0xFFFFFFFFu;
const COLOUR kInk = 0xFF00FF00u;

std::vector<std::string> g_clicks;
INT_S32 record_click(WM_SCREEN_OBJECT* object, INT_WORD, INT_WORD) {
  auto* w = static_cast<WM_TEXT_WIN*>(object);
  g_clicks.push_back(w->clicked_tag ? w->clicked_tag : "(null)");
  return 0;
}

class TextWinTest : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    g_clicks.clear();
  }
  // The explicit form with no extra gap, scrollbar 15 px.
  std::unique_ptr<WM_TEXT_WIN> window(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2,
                                      INT_S16 line_count = 50, INT_U8 selectable = 0) {
    return std::make_unique<WM_TEXT_WIN>(x1, y1, x2, y2, 0, line_count, 15, &kActive, &kBarBack,
                                         &kBarText, selectable, 1, record_click, 0, 0);
  }
  static std::string line_text(WM_TEXT_WIN* w, INT_S16 slot) {
    const TEXT_WIN_LINE& l = w->lines[slot];
    return l.start ? std::string(l.start, l.length) : "(none)";
  }
  // The lines in display order, oldest first.
  static std::vector<std::string> shown_order(WM_TEXT_WIN* w) {
    std::vector<std::string> out;
    const INT_S16 oldest = w->line_total < w->line_count ? 0 : w->line_head;
    for (INT_S16 d = 0; d < w->line_total; ++d)
      out.push_back(line_text(w, static_cast<INT_S16>((oldest + d) % w->line_count)));
    return out;
  }
  // The pointer's y for row r of the page.
  static INT_S16 row_y(WM_TEXT_WIN* w, int r) {
    return static_cast<INT_S16>(w->y + w->top_gap + r * w->line_height() + w->line_height() / 2);
  }
  static INT_S32 input(WM_TEXT_WIN* w, INT_S16 px, INT_S16 py, INT_U32 buttons) {
    wgt::pointer(px, py, buttons);
    return w->handle_input();
  }
};

}  // namespace

TEST_F(TextWinTest, LineEndsMakeParagraphs) {
  struct Case {
    const char* text;
    std::vector<std::string> paragraphs;
  };
  for (const Case& c : std::vector<Case>{{"a\nb", {"a", "b"}},
                                         {"a\r\nb", {"a", "", "b"}},
                                         {"\n", {"", ""}},
                                         {"a\rb", {"a", "b"}},
                                         {"one", {"one"}}}) {
    auto w = window(10, 10, 209, 229);
    EXPECT_EQ(w->add_text(c.text, nullptr, &kInk, 1, 1), 1);
    std::vector<std::string> got;
    for (INT_S16 i = 0; i < w->paragraph_total; ++i) {
      got.push_back(w->paragraphs[i].text);
      EXPECT_STREQ(w->paragraphs[i].tag, "");
    }
    EXPECT_EQ(got, c.paragraphs) << c.text;
    EXPECT_EQ(w->line_total, static_cast<INT_S16>(c.paragraphs.size()));
  }
  auto w = window(10, 10, 209, 229);
  EXPECT_EQ(w->add_text(nullptr, "t", &kInk, 1, 1), 0);
  EXPECT_EQ(w->paragraph_total, 0);
}

TEST_F(TextWinTest, ExactlyTheAvailableWidthWrapsOnePixelNarrowerDoesNot) {
  auto w = window(10, 10, 209, 229);
  const INT_S32 tw = text_width("Hello");
  const INT_S32 chrome = w->left_gap + w->right_gap + 2;
  // Available width = tw: the word does not fit, it breaks inside.
  w->set_size(static_cast<INT_S16>(tw + chrome), 220, 1);
  w->add_text("Hello", "", &kInk, 1, 1);
  EXPECT_EQ(shown_order(w.get()), (std::vector<std::string>{"Hell", "o"}));
  w->clear();
  w->set_size(static_cast<INT_S16>(tw + chrome + 1), 220, 1);
  w->add_text("Hello", "", &kInk, 1, 1);
  EXPECT_EQ(shown_order(w.get()), (std::vector<std::string>{"Hello"}));
}

TEST_F(TextWinTest, BreaksAtTheLastSpaceAndDropsSpacesAtTheBreak) {
  auto w = window(10, 10, 209, 229);
  const INT_S32 chrome = w->left_gap + w->right_gap + 2;
  w->set_size(static_cast<INT_S16>(text_width("aaaa bb") + chrome), 220, 1);
  w->add_text("aaaa bb cc     dddddddddddd", "", &kInk, 1, 1);
  const auto got = shown_order(w.get());
  ASSERT_GE(got.size(), 3u);
  EXPECT_EQ(got[0], "aaaa");  // "aaaa bb" is as wide as the space: the break is at its space
  // The line ends at the last space that fits; the run of spaces after the
  // break is dropped, the ones before it stay with the line.
  EXPECT_EQ(got[1].substr(0, 5), "bb cc");
  EXPECT_EQ(got[1].find_first_not_of(' ', 5), std::string::npos);
  EXPECT_EQ(got[2].substr(0, 4), "dddd");  // no leading spaces, the long word broken inside
  for (size_t i = 2; i < got.size(); ++i) EXPECT_EQ(got[i].find(' '), std::string::npos);
  std::string joined;
  for (size_t i = 2; i < got.size(); ++i) joined += got[i];
  EXPECT_EQ(joined, "dddddddddddd");
}

TEST_F(TextWinTest, RingKeepsTheNewestFiftyAndScrollsThroughThem) {
  auto w = window(10, 10, 209, 109);  // a few lines per page
  const INT_S32 page = w->page_last + 1;
  ASSERT_GT(page, 2);
  for (int i = 0; i < 60; ++i) w->add_text(("p" + std::to_string(i)).c_str(), "", &kInk, 1, 1);
  EXPECT_EQ(w->paragraph_total, 50);
  EXPECT_EQ(w->line_total, 50);
  ASSERT_NE(w->scrollbar, nullptr);
  EXPECT_EQ(w->scroll.max.s32, 50 - page);
  EXPECT_EQ(shown_order(w.get()).front(), "p10");
  // Following the newest line: value 0 shows p59 last.
  EXPECT_EQ(w->scroll.value.s32, 0);
  EXPECT_EQ(line_text(w.get(), static_cast<INT_S16>((w->first_shown_slot() + page - 1) % 50)),
            "p59");
  // At the maximum the oldest kept line comes first.
  w->scroll.value.s32 = w->scroll.max.s32;
  EXPECT_EQ(line_text(w.get(), w->first_shown_slot()), "p10");
  // show_from_top keeps the first line in view after every line.
  auto top = window(10, 10, 209, 109);
  top->show_from_top = 1;
  for (int i = 0; i < 60; ++i) top->add_text(("p" + std::to_string(i)).c_str(), "", &kInk, 1, 1);
  EXPECT_EQ(top->scroll.value.s32, top->scroll.max.s32);
  EXPECT_EQ(line_text(top.get(), top->first_shown_slot()), "p10");
}

TEST_F(TextWinTest, WithoutTheScrollbarAFullWindowAnswers0) {
  auto w = window(10, 10, 209, 109);
  const INT_S32 page = w->page_last + 1;
  for (int i = 0; i < page; ++i) EXPECT_EQ(w->add_text("x", "", &kInk, 1, 0), 1);
  EXPECT_EQ(w->add_text("one more", "", &kInk, 1, 0), 0);
  EXPECT_EQ(w->scrollbar, nullptr);
}

TEST_F(TextWinTest, ResizeRemakesTheScrollbarAndClearsTheSelection) {
  auto w = window(10, 10, 209, 109, 50, 1);
  for (int i = 0; i < 12; ++i) w->add_text("line", "", &kInk, 1, 1);
  ASSERT_NE(w->scrollbar, nullptr);
  EXPECT_EQ(w->children.count, 1);
  w->sel_start_line = w->sel_end_line = 3;
  w->sel_start_char = 0;
  w->sel_end_char = 1;
  w->set_size(150, 150, 1);
  ASSERT_NE(w->scrollbar, nullptr);
  EXPECT_EQ(w->children.count, 1);
  EXPECT_EQ(w->scrollbar->x + w->scrollbar->width - 1, 10 + 150 - 4);
  EXPECT_EQ(w->scrollbar->y + w->scrollbar->height - 1, 10 + 150 - 4);
  EXPECT_EQ(w->sel_start_line, -1);
  ASSERT_LT(w->page_last + 1, 12);
  EXPECT_EQ(w->scroll.max.s32, 12 - (w->page_last + 1));
  // Grown to hold everything: no scrollbar.
  w->set_size(200, 230, 1);
  ASSERT_GE(w->page_last + 1, 12);
  EXPECT_EQ(w->scrollbar, nullptr);
  EXPECT_EQ(w->children.count, 0);
}

TEST_F(TextWinTest, ClickOnATaggedLineCallsBack) {
  auto w = window(10, 10, 209, 229);
  w->add_text("tagged", "t1", &kInk, 1, 1);
  w->add_text("plain", nullptr, &kInk, 1, 1);
  const INT_S16 px = 40;
  input(w.get(), px, row_y(w.get(), 0), 1);
  EXPECT_TRUE(g_clicks.empty());  // the press alone does nothing
  input(w.get(), px, row_y(w.get(), 0), 0);
  EXPECT_EQ(g_clicks, std::vector<std::string>{"t1"});
  EXPECT_EQ(w->clicked_tag, nullptr);
  input(w.get(), px, row_y(w.get(), 1), 1);
  input(w.get(), px, row_y(w.get(), 1), 0);
  EXPECT_EQ(g_clicks.size(), 1u);
  // A right click reports too.
  input(w.get(), px, row_y(w.get(), 0), 2);
  input(w.get(), px, row_y(w.get(), 0), 0);
  EXPECT_EQ(g_clicks.size(), 2u);
  EXPECT_EQ(w->right_released, 1);
  // A release outside the text area stays pending until the pointer comes back.
  input(w.get(), px, row_y(w.get(), 0), 1);
  input(w.get(), 300, row_y(w.get(), 0), 0);
  EXPECT_EQ(g_clicks.size(), 2u);
  input(w.get(), px, row_y(w.get(), 0), 0);
  EXPECT_EQ(g_clicks.size(), 3u);
}

TEST_F(TextWinTest, DragSelectsAndCopies) {
  auto w = window(10, 10, 209, 229, 50, 1);
  w->add_text("alpha beta", "t", &kInk, 1, 1);
  w->add_text("gamma", "t", &kInk, 1, 1);
  w->add_text("delta", "t", &kInk, 1, 1);
  const INT_S16 left = static_cast<INT_S16>(w->x + w->left_gap);
  // From inside "beta" (the 'e', index 7) to the end of "gamma".
  const INT_S16 start_x = static_cast<INT_S16>(left + text_width("alpha b") + 1);
  input(w.get(), start_x, row_y(w.get(), 0), 1);
  input(w.get(), 150, row_y(w.get(), 1), 1);
  EXPECT_EQ(w->sel_start_line, 0);
  EXPECT_EQ(w->sel_start_char, 7);
  EXPECT_EQ(w->sel_end_line, 1);
  EXPECT_EQ(w->sel_end_char, 4);
  input(w.get(), 150, row_y(w.get(), 1), 0);  // the end of a drag is no click
  EXPECT_TRUE(g_clicks.empty());
  char buffer[64];
  w->copy_selection(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "eta gamma ");
  w->copy_selection(buffer, 6);
  EXPECT_STREQ(buffer, "eta g");
  // Dragging upwards orders the ends the same way.
  input(w.get(), 150, row_y(w.get(), 1), 1);
  input(w.get(), start_x, row_y(w.get(), 0), 1);
  input(w.get(), start_x, row_y(w.get(), 0), 0);
  w->copy_selection(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "eta gamma ");
  // A click without movement clears the selection (and reports the tag).
  input(w.get(), 40, row_y(w.get(), 2), 1);
  input(w.get(), 40, row_y(w.get(), 2), 0);
  EXPECT_EQ(w->sel_start_line, -1);
  EXPECT_EQ(g_clicks, std::vector<std::string>{"t"});
}

TEST_F(TextWinTest, SelectedTextIsABandOfTheLineColour) {
  auto w = window(10, 10, 209, 229, 50, 1);
  w->add_text("WWWWWW", "", &kInk, 1, 1);
  w->add_text("WWWWWW", "", &kInk, 1, 1);
  w->sel_start_line = 0;
  w->sel_start_char = 0;
  w->sel_end_line = 1;
  w->sel_end_char = 5;
  screen->set_clip(0, 0, 319, 239);
  w->draw();
  // Both lines drawn character by character as a band: no background shows
  // inside the band's first character cell.
  const INT_S32 first = w->y + w->top_gap +
                        (w->height - w->top_gap - w->bottom_gap - 2 * w->line_height()) / 2;
  int ink = 0;
  for (INT_S16 px = static_cast<INT_S16>(w->x + w->left_gap);
       px < w->x + w->left_gap + text_width("W"); ++px)
    ink += wgt::pixel(px, static_cast<INT_S16>(first + w->line_height() / 2)) == kInk;
  EXPECT_GT(ink, text_width("W") / 2);
}

TEST_F(TextWinTest, MendedOnePixelWideWindowReturns) {
  auto w = window(10, 10, 10, 229);
  EXPECT_EQ(w->add_text("narrow words here", "", &kInk, 1, 1), 1);
  EXPECT_GT(w->line_total, 0);
  for (INT_S16 i = 0; i < w->line_total; ++i) EXPECT_GE(w->lines[i].length, 0);
}

TEST_F(TextWinTest, MendedShortWindowsWithEndButtonBarsEndNoProgram) {
  WM_STYLE_SET style;
  style.bg_colour = 0xFF101010u;
  style.fg_colour = kInk;
  WM_STYLE_SET bar;
  bar.ssef = ssef_sb_with_buttons;  // 15 px buttons, 10 px slider
  for (INT_S16 h = 30; h <= 50; ++h) {
    WM_TEXT_WIN w(10, 10, 209, static_cast<INT_S16>(10 + h - 1), &style, &bar, 50, 0, nullptr, 0,
                  0);
    for (int i = 0; i < 8; ++i) w.add_text("overflowing text", "", &kInk, 1, 1);
    ASSERT_NE(w.scrollbar, nullptr) << h;
    const WM_SCROLLBAR* sb = w.scrollbar;
    EXPECT_LE(sb->slider_length, sb->get_track_extent()) << h;
    EXPECT_GE(sb->track_length, 0) << h;
    EXPECT_EQ(sb->orientation, h >= 46 ? SB_VERTICAL_BUTTONS : SB_VERTICAL) << h;
  }
}

TEST_F(TextWinTest, MendedCopyWithoutSelectionOrRoomWritesNothing) {
  auto w = window(10, 10, 209, 229, 50, 1);
  w->add_text("text", "", &kInk, 1, 1);
  char buffer[8] = "keep";
  w->copy_selection(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "keep");
  w->sel_start_line = w->sel_end_line = 0;
  w->sel_start_char = 0;
  w->sel_end_char = 3;
  w->copy_selection(buffer, 0);
  EXPECT_STREQ(buffer, "keep");
  w->copy_selection(buffer, 1);
  EXPECT_STREQ(buffer, "");
}

TEST_F(TextWinTest, MendedDragAcrossTheRingsWrapSelectsTheDraggedLines) {
  // Ten lines per page.
  auto w = window(10, 10, 209, 209, 50, 1);
  w->set_size(200, static_cast<INT_S16>(10 * w->line_height() + w->top_gap + w->bottom_gap + 2 + 8),
              1);
  ASSERT_EQ(w->page_last, 9);
  for (int i = 0; i < 60; ++i) w->add_text(("p" + std::to_string(i)).c_str(), "", &kInk, 1, 1);
  ASSERT_EQ(w->line_head, 10);
  // Show display lines 35 to 44: slots 45 to 49, then 0 to 4 ("p45" to "p54").
  w->scroll.value.s32 = 5;
  ASSERT_EQ(w->first_shown_slot(), 45);
  input(w.get(), 20, row_y(w.get(), 0), 1);  // on "p45", slot 45
  input(w.get(), 150, row_y(w.get(), 7), 1);  // to "p52", slot 2
  input(w.get(), 150, row_y(w.get(), 7), 0);
  EXPECT_EQ(w->sel_start_line, 45);
  EXPECT_EQ(w->sel_end_line, 2);
  char buffer[128];
  w->copy_selection(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "p45 p46 p47 p48 p49 p50 p51 p52 ");
}

TEST_F(TextWinTest, LoadFileAddsEveryLine) {
  const std::string dir = zt::make_temp_dir("tw");
  zt::write_text(dir + "/readme.txt", "first\n\nthird line\r\nfourth");
  FOLDER folder;
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  auto w = window(10, 10, 209, 229);
  EXPECT_EQ(w->load_file(&folder, "readme.txt", &kInk), 1);
  EXPECT_EQ(shown_order(w.get()), (std::vector<std::string>{"first", "", "third line", "fourth"}));
  EXPECT_EQ(w->load_file(&folder, "missing.txt", &kInk), 0);
}

TEST_F(TextWinTest, LongParagraphWrapsIntoItsWordsAgain) {
  auto w = window(10, 10, 209, 229, 3000);
  std::string text;
  for (int i = 0; i < 4000; ++i) text += "w" + std::to_string(i % 97) + (i % 7 ? " " : "  ");
  w->add_text(text.c_str(), "", &kInk, 1, 1);
  const auto lines = shown_order(w.get());
  ASSERT_GT(lines.size(), 100u);
  // Every line fits, and the lines hold the words in order.
  std::string words, expected;
  for (const std::string& l : lines) {
    EXPECT_LT(text_width(l.c_str()), w->width - w->left_gap - w->right_gap - 2 - 15) << l;
    for (char c : l) words += c == ' ' ? (words.empty() || words.back() == ' ' ? "" : " ") : std::string(1, c);
    if (!words.empty() && words.back() != ' ') words += ' ';
  }
  for (char c : text) expected += c == ' ' ? (expected.back() == ' ' ? "" : " ") : std::string(1, c);
  EXPECT_EQ(words, expected);
}
