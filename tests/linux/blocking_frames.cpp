// A frame left waiting for its turn goes out during work that blocks longer
// than a frame interval: the installation run on a real window of a private
// Xvfb, a step that copies a large file after short ones, read through a
// second X connection while the copy runs. The copy is slowed by this
// program's own copy_file_range, which moves the test clock of the pacing a
// frame interval's worth per chunk.
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "../installer/install_dialog_env.h"
#include "window.h"
#include "x_helpers.h"
#include "x11_platform.h"

using namespace inst;

namespace {

INT_U64 fake_now = 1000000;
INT_U64 fake_clock() { return fake_now; }

const INT_U64 kChunkUs = 10000;   // what each chunk of the slow copy takes
const INT_U64 kShownByUs = 20000;  // the step's label is on the server by then
const size_t kBlockSize = 1024;    // of the package make_database writes
const size_t kSlowChunks = 30;

// What the slow copy saw: the server's label at the step's start, and the
// server and the screen image once kShownByUs had passed.
struct SLOW_COPY {
  bool watching = false;
  bool started = false, checked = false;
  INT_U64 start_us = 0;
  bool pending_at_start = false;
  std::vector<uint32_t> label_at_start, drawn_at_start, label_shown, label_drawn;
  int chunks = 0;
} slow;

zt::XProbe* probe_connection = nullptr;

std::vector<uint32_t> server_label() {
  XSync(x11.display, False);  // what the program sent is handled; nothing is presented for it
  const WM_SCRIPT* l = install_dialog->status_label;
  std::vector<uint32_t> out;
  XImage* image = XGetImage(probe_connection->display(), x11.window, l->x, l->y, static_cast<unsigned>(l->width),
                            static_cast<unsigned>(l->height), AllPlanes, ZPixmap);
  if (!image) return out;
  for (int y = 0; y < l->height; ++y)
    for (int x = 0; x < l->width; ++x) out.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu);
  XDestroyImage(image);
  return out;
}

std::vector<uint32_t> drawn_label() {
  const WM_SCRIPT* l = install_dialog->status_label;
  std::vector<uint32_t> out;
  for (int y = 0; y < l->height; ++y)
    for (int x = 0; x < l->width; ++x)
      out.push_back(*get_screen_image(0)->pixel_at(static_cast<INT_S16>(l->x + x), static_cast<INT_S16>(l->y + y)) &
                    0xFFFFFFu);
  return out;
}

// Pixels that differ (all of them when the sizes do).
size_t differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return a.size() > b.size() ? a.size() : b.size();
  size_t n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

bool copies_into_big(int fd) {
  char link[64], path[PATH_MAX];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, path, sizeof path - 1);
  if (n <= 0) return false;
  path[n] = 0;
  const std::string p = path;
  return p.size() > 4 && p.compare(p.size() - 4, 4, "/big") == 0;
}

}  // namespace

// The package's copies come here: each chunk of the file "big" takes
// kChunkUs on the test clock.
extern "C" ssize_t copy_file_range(int in, off64_t* in_at, int out, off64_t* out_at, size_t length,
                                   unsigned flags) __THROW {
  if (slow.watching && copies_into_big(out)) {
    ++slow.chunks;
    if (!slow.started) {
      slow.started = true;
      slow.start_us = fake_now;
      slow.pending_at_start = x11.present_pending != 0;
      slow.label_at_start = server_label();
      slow.drawn_at_start = drawn_label();
    } else if (!slow.checked && fake_now - slow.start_us >= kShownByUs) {
      slow.checked = true;
      slow.label_shown = server_label();
      slow.label_drawn = drawn_label();
    }
    fake_now += kChunkUs;
  }
  return syscall(SYS_copy_file_range, in, in_at, out, out_at, length, flags);
}

namespace {

// How long each short step takes, and so how the big step finds its name
// when its copy begins: drawn and waiting for its turn, or not drawn yet
// (the frames the display takes none of draw nothing while the run works).
struct STEP_PACE {
  const char* name;
  INT_U64 short_step_us;
  bool waiting_at_start;
};

void PrintTo(const STEP_PACE& pace, std::ostream* out) { *out << pace.name; }

class BlockingWork : public InstallerTest, public ::testing::WithParamInterface<STEP_PACE> {
 protected:
  void SetUp() override {
    server = zt::start_checked_xvfb(1024, 768, 24);
    ASSERT_TRUE(server);
    probe.reset(new zt::XProbe());
    ASSERT_TRUE(probe->ok());
    probe_connection = probe.get();
    const WINDOW_REQUEST request = {"Run", kScreenW, kScreenH, 0, 65535, 65535, 65535, 65535, 1};
    ASSERT_TRUE(open_window(&request, 0));
    reset_installer_state();
    InstallerTest::SetUp();
    // The real platform under the page: presents at the pace, frames pumped.
    progress_update_platform = update_platform;
    progress_swap_screens = swap_screens;
    pace_clock_source = fake_clock;
    desktop_programs.xdg_desktop_menu = "/nonexistent/xdg-desktop-menu";
    desktop_programs.update_menus = "true";
    payload = zt::make_temp_dir("payload");
  }
  void TearDown() override {
    slow.watching = false;
    pace_clock_source = nullptr;
    progress_update_platform = count_frame;
    progress_swap_screens = count_swap;
    reset_installer_state();
    close_window(65535);
    close_display();
    probe_connection = nullptr;
    probe.reset();
    server.reset();
  }
  void store(const std::string& entry, const std::string& body) {
    FOLDER folder;
    folder.set(("$ROOT2" + payload).c_str());
    zt::write_text(payload + "/scratch", body);
    ASSERT_TRUE(installer_database.package->store_file(&folder, "scratch", entry.c_str()));
    std::remove((payload + "/scratch").c_str());
  }

  std::unique_ptr<zt::XServer> server;
  std::unique_ptr<zt::XProbe> probe;
  std::string payload;
};

}  // namespace

TEST_P(BlockingWork, ALargeFileAfterShortOnesShowsItsOwnNameWhileItIsCopied) {
  make_database(1, 1);
  DATABASE& d = installer_database;
  std::snprintf(d.target_folder, FOLDER_PATH_SIZE, "$ROOT0/target");
  d.show_whole_path = 1;
  const int kShort = 5;
  std::vector<std::string> names;
  for (int i = 0; i < kShort; ++i) {
    names.push_back("short-" + std::to_string(i));
    store("e/" + names.back(), "a short file\n");
  }
  names.push_back("big");
  store("e/big", std::string(kSlowChunks * kBlockSize, 'b'));
  INSTALL_ITEM& item = d.items[0];
  item.files = static_cast<INSTALL_FILE*>(std::calloc(names.size(), sizeof(INSTALL_FILE)));
  item.file_count = static_cast<INT_S16>(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    INSTALL_FILE& f = item.files[i];
    std::snprintf(f.name, DATABASE_TEXT_SIZE, "%s", names[i].c_str());
    std::snprintf(f.folder, DATABASE_TEXT_SIZE, "$APP");
    std::snprintf(f.package_entry, DATABASE_TEXT_SIZE, "e/%s", names[i].c_str());
    f.platform = PLATFORM_ANY;
  }

  show_page(INSTALL_PAGE_PROGRESS);
  slow.watching = true;
  // As the main loop runs it: a step, then a platform frame.
  for (int i = 0; i < 100 && !(install_step_limit > 0 && install_step_count > install_step_limit + 1); ++i) {
    frame();
    update_platform();
    fake_now += GetParam().short_step_us;
  }
  slow.watching = false;
  ASSERT_TRUE(slow.started);
  ASSERT_TRUE(slow.checked) << slow.chunks << " chunks";
  EXPECT_EQ(install_error_count, 0);
  EXPECT_EQ(zt::read_text(std::string(getenv("HOME")) + "/target/big"), std::string(kSlowChunks * kBlockSize, 'b'));
  // The server still showed the short file's name when the copy began; the
  // big file's name was drawn and waiting, or not drawn yet.
  EXPECT_EQ(slow.pending_at_start, GetParam().waiting_at_start);
  ASSERT_FALSE(slow.label_drawn.empty());
  EXPECT_GT(differing(slow.label_at_start, slow.label_drawn), 0u);
  if (!GetParam().waiting_at_start) {
    EXPECT_EQ(differing(slow.drawn_at_start, slow.label_at_start), 0u);
  }
  // By kShownByUs into the copy, the server shows the big file's name.
  EXPECT_EQ(differing(slow.label_shown, slow.label_drawn), 0u);
}

INSTANTIATE_TEST_SUITE_P(Paces, BlockingWork,
                         ::testing::Values(STEP_PACE{"Waiting", 1000, true}, STEP_PACE{"Undrawn", 5000, false}),
                         [](const ::testing::TestParamInfo<STEP_PACE>& info) { return info.param.name; });
