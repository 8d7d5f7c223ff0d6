// Input given faster than a frame, as a touchpad and a fast typist give it:
// clicks whose press and release come back to back, a double click, typing
// with no delay between keys, and keys typed where no edit box takes them.
// widget_demo's scenes under a real X server, driven with xdotool.
#include <sys/stat.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "widget_demo_x.h"

using namespace wdx;

namespace {

// Lines of the output that begin with `prefix`.
int count_lines(const std::string& text, const std::string& prefix) {
  std::istringstream in(text);
  int n = 0;
  for (std::string l; std::getline(in, l);)
    if (l.compare(0, prefix.size(), prefix) == 0) ++n;
  return n;
}

// Typed as xdotool types with no delay: press and release of each key back
// to back, the next key at once.
bool type_fast(const std::string& text) { return zt::xdotool("type --delay 0 '" + text + "'"); }

class XFastInput : public DemoTest {
 protected:
  // Starts the input_paths scene and reads where its parts are.
  void start_paths() {
    ASSERT_NO_FATAL_FAILURE(start("input_paths"));
    places_ = numbers_in(demo_->line("places "));
    ASSERT_EQ(places_.size(), 8u) << demo_->text();
    ASSERT_FALSE(demo_->line("focus open").empty()) << demo_->text();
  }
  int x(int part) const { return places_[2 * part]; }
  int y(int part) const { return places_[2 * part + 1]; }
  enum { kCheck, kOpen, kBox, kDisabled };
  std::vector<int> places_;
};

}  // namespace

// Fifty clicks as a touchpad's tap sends them, the release right behind the
// press and the next click right behind that: fifty toggles.
TEST_F(XFastInput, FiftyBackToBackClicksOnACheckBoxToggleItFiftyTimes) {
  ASSERT_NO_FATAL_FAILURE(start_paths());
  ASSERT_TRUE(move(id_, x(kCheck), y(kCheck)));
  usleep(kHold);
  ASSERT_TRUE(zt::xdotool("click --repeat 50 --delay 0 1"));
  EXPECT_TRUE(eventually([&] {
    demo_->line("no such line", 0);  // reads what has come
    return count_lines(demo_->text(), "check ") >= 50;
  }, 10000)) << count_lines(demo_->text(), "check ");
  // And no more than that, once every event had its frame.
  usleep(300000);
  demo_->line("no such line", 0);
  EXPECT_EQ(count_lines(demo_->text(), "check "), 50);
  EXPECT_EQ(count_lines(demo_->text(), "check 1"), 25);
}

// A double click on a list row is two clicks on it, no fewer and no more.
TEST_F(XFastInput, ADoubleClickOnAListRowIsTwoClicksOnIt) {
  start("grid");
  const std::vector<int> grid = numbers_in(demo_->line("grid "));
  ASSERT_EQ(grid.size(), 5u) << demo_->text();
  const int row = 2;
  const int px = grid[0] + grid[2] / 3, py = grid[1] + row * grid[4] + grid[4] / 2 - 1;
  ASSERT_TRUE(move(id_, px, py));
  usleep(kHold);
  for (int pair = 0; pair < 3; ++pair) {
    // xdotool's double click: two back-to-back clicks 80 ms apart.
    ASSERT_TRUE(zt::xdotool("click --repeat 2 --delay 80 1"));
    std::vector<int> command;
    for (int i = 0; i < 2; ++i) {
      ASSERT_TRUE(demo_->numbers("command", &command)) << "pair " << pair << " click " << i << "\n"
                                                        << demo_->text();
      EXPECT_EQ(command.at(0), row);
    }
    EXPECT_FALSE(demo_->numbers("command", &command, 400)) << "a third click in pair " << pair;
  }
}

// 200 characters typed with no delay into the new-folder box: the folder made
// has that name, every character in order.
TEST_F(XFastInput, TwoHundredCharactersTypedWithoutDelayMakeTheFolderOfThatName) {
  ASSERT_NO_FATAL_FAILURE(start_server());
  char folder_template[] = "/tmp/x_fast_input_XXXXXX";
  ASSERT_NE(mkdtemp(folder_template), nullptr);
  const std::string fixture = folder_template;
  struct REMOVER {
    std::string path;
    ~REMOVER() { zt::sh("rm -rf '" + path + "'"); }
  } remover{fixture};

  ASSERT_NO_FATAL_FAILURE(start_demo("text_edit", {"WIDGET_DEMO_FOLDER=" + fixture}));
  const std::vector<int> new_folder = numbers_in(demo_->line("newfolder "));
  ASSERT_EQ(new_folder.size(), 2u) << demo_->text();
  ASSERT_FALSE(demo_->line("rows done").empty());
  ASSERT_TRUE(click(id_, new_folder[0], new_folder[1]));
  const std::vector<int> dialog = numbers_in(demo_->line("dialog "));
  ASSERT_EQ(dialog.size(), 4u) << demo_->text();

  // Upper and lower case, digits, spaces and the marks a name may hold.
  std::string name;
  const std::string piece = "Quick-brown_fox.jumps+over (the) lazy=dog;42 ";
  while (name.size() < 200) name += piece;
  name.resize(200);
  name.back() = 'Z';
  // The box took the focus as the dialog opened.
  ASSERT_TRUE(type_fast(name));
  // Every key is in before OK goes down.
  usleep(500000);
  ASSERT_TRUE(click(id_, dialog[2], dialog[3]));
  std::string made;
  EXPECT_TRUE(eventually([&] { return is_directory(fixture + "/" + name); }, 5000))
      << (zt::sh("ls '" + fixture + "'", &made), made);
  demo_.reset();  // before the fixture folder goes
}

// What is typed while no edit box takes it reaches no box later: not one
// that takes the focus by Tab, by a click or by opening with it, and not
// after a click on a disabled box.
TEST_F(XFastInput, KeysTypedBeforeABoxHadTheFocusNeverReachIt) {
  ASSERT_NO_FATAL_FAILURE(start_paths());

  // Tab.
  ASSERT_TRUE(type_fast("hello"));
  ASSERT_TRUE(key("Tab"));
  ASSERT_FALSE(demo_->line("focus box").empty()) << demo_->text();
  ASSERT_TRUE(type_fast("abc"));
  EXPECT_EQ(demo_->line("edit "), "edit a") << demo_->text();
  EXPECT_EQ(demo_->line("edit "), "edit ab");
  EXPECT_EQ(demo_->line("edit "), "edit abc");

  // A click, after letters typed into the disabled box with the focus on the
  // button.
  ASSERT_TRUE(key("shift+Tab"));
  ASSERT_FALSE(demo_->line("focus open").empty()) << demo_->text();
  ASSERT_TRUE(click(id_, x(kDisabled), y(kDisabled)));
  ASSERT_TRUE(type_fast("xyz"));
  ASSERT_TRUE(click(id_, x(kBox), y(kBox)));
  ASSERT_FALSE(demo_->line("focus box").empty()) << demo_->text();
  ASSERT_TRUE(type_fast("12"));
  // The first click selects all: the first key replaces it.
  EXPECT_EQ(demo_->line("edit "), "edit 1") << demo_->text();
  EXPECT_EQ(demo_->line("edit "), "edit 12");

  // Opening with the focus: typed on the page, then the dialog opens.
  ASSERT_TRUE(key("shift+Tab"));
  ASSERT_FALSE(demo_->line("focus open").empty()) << demo_->text();
  ASSERT_TRUE(type_fast("stale"));
  ASSERT_TRUE(click(id_, x(kOpen), y(kOpen)));
  const std::vector<int> dialog = numbers_in(demo_->line("dialog "));
  ASSERT_EQ(dialog.size(), 4u) << demo_->text();
  ASSERT_FALSE(demo_->line("focus dialog").empty()) << demo_->text();
  ASSERT_TRUE(type_fast("name"));
  usleep(300000);
  ASSERT_TRUE(click(id_, dialog[2], dialog[3]));
  EXPECT_EQ(demo_->line("answer "), "answer name") << demo_->text();
  // Nothing typed on the page reached the box meanwhile.
  EXPECT_EQ(count_lines(demo_->text(), "edit "), 5) << demo_->text();
}
