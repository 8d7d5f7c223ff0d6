// The edit box and the file selector under a real X server: widget_demo's
// "text_edit" scene over a fixture folder, driven with pointer and keyboard
// as a person would (every press held for a few frames), with xclip as the
// other clipboard client; pixels read back.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "widget_demo_x.h"

using namespace wdx;

namespace {

const uint32_t kHighlight = 0x3060C0, kCursor = 0xFF0000;

bool type(const std::string& text) {
  for (char c : text)
    if (!key(std::string(1, c))) return false;
  return true;
}

// Ctrl held across frames around the letter.
bool ctrl(const std::string& letter) {
  if (!zt::xdotool("keydown ctrl")) return false;
  usleep(kHold);
  const bool ok = key(letter);
  zt::xdotool("keyup ctrl");
  usleep(kHold);
  return ok;
}

class XTextEdit : public DemoTest {};

}  // namespace

TEST_F(XTextEdit, TypingClipboardReturnBrowsingAndNewFolder) {
  ASSERT_NO_FATAL_FAILURE(start_server());
  XInternAtom(probe_->display(), "CLIPBOARD", False);
  XSync(probe_->display(), False);

  char folder_template[] = "/tmp/x_text_edit_XXXXXX";
  ASSERT_NE(mkdtemp(folder_template), nullptr);
  const std::string fixture = folder_template;
  // Removed however the test ends.
  struct REMOVER {
    std::string path;
    ~REMOVER() { zt::sh("rm -rf '" + path + "'"); }
  } remover{fixture};
  ASSERT_EQ(mkdir((fixture + "/sub").c_str(), 0700), 0);
  std::ofstream(fixture + "/f.txt") << "x";

  {
    ASSERT_NO_FATAL_FAILURE(start_demo("text_edit", {"WIDGET_DEMO_FOLDER=" + fixture}));
    Demo& demo = *demo_;
    const std::vector<int> box = numbers_in(demo.line("box "));
    ASSERT_EQ(box.size(), 4u) << demo.text();
    const std::vector<int> sub = numbers_in(demo.line("row sub "));
    ASSERT_EQ(sub.size(), 2u) << demo.text();
    const std::vector<int> new_folder = numbers_in(demo.line("newfolder "));
    ASSERT_EQ(new_folder.size(), 2u) << demo.text();
    ASSERT_FALSE(demo.line("ready").empty()) << demo.text();

    // Typed text, the cursor behind it.
    ASSERT_TRUE(click(id_, box[0], box[1]));
    ASSERT_TRUE(type("hello"));
    const std::vector<int> cursor = numbers_in(demo.line("edit hello cursor"));
    ASSERT_EQ(cursor.size(), 2u) << demo.text();
    EXPECT_TRUE(eventually([&] { return pixel(cursor[0], cursor[1]) == kCursor; }))
        << std::hex << pixel(cursor[0], cursor[1]);

    // Ctrl+A shows the band; Ctrl+C hands the text to other clients.
    ASSERT_TRUE(ctrl("a"));
    EXPECT_TRUE(eventually([&] { return pixel(box[2], box[3]) == kHighlight; }))
        << std::hex << pixel(box[2], box[3]);
    ASSERT_TRUE(ctrl("c"));
    std::string out;
    ASSERT_EQ(zt::sh("timeout 5 xclip -o -selection clipboard", &out), 0);
    EXPECT_EQ(out.c_str(), std::string("hello"));

    // Text another client put there arrives with Ctrl+V over the selection.
    ASSERT_EQ(zt::sh("printf 'world' | timeout 20 xclip -i -selection clipboard -loops 10 "
                     ">/dev/null 2>&1 &"),
              0);
    usleep(300000);
    ASSERT_TRUE(ctrl("v"));
    EXPECT_FALSE(demo.line("edit world cursor").empty()) << demo.text();
    ASSERT_TRUE(key("Return"));
    EXPECT_FALSE(demo.line("return world").empty()) << demo.text();

    // A click on the folder row enters it.
    ASSERT_TRUE(click(id_, sub[0], sub[1]));
    EXPECT_FALSE(demo.line("folder " + fixture + "/sub").empty()) << demo.text();

    // New Folder, a typed name and OK make the folder.
    ASSERT_FALSE(demo.line("rows done").empty());
    ASSERT_TRUE(click(id_, new_folder[0], new_folder[1]));
    const std::vector<int> dialog = numbers_in(demo.line("dialog "));
    ASSERT_EQ(dialog.size(), 4u) << demo.text();
    ASSERT_TRUE(click(id_, dialog[0], dialog[1]));
    ASSERT_TRUE(type("made"));
    ASSERT_TRUE(click(id_, dialog[2], dialog[3]));
    EXPECT_TRUE(eventually([&] { return is_directory(fixture + "/sub/made"); }));
    EXPECT_FALSE(demo.line("folder " + fixture + "/sub/made").empty()) << demo.text();
    demo_.reset();  // before the fixture folder goes
  }
}
