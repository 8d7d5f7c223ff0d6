// The installer program where no window can be opened: without a display it
// says so in one line and ends with status 1, on a screen too small for its
// dialog also in a message box; a termination signal ends it while no page
// window is open; a package it cannot use, or a shared temporary folder
// others hold, does not hold it. Run as a user starts it over ssh, from a
// service or from a menu.
#include <sys/stat.h>

#include <algorithm>

#include "x_program.h"

using namespace xi;

namespace {

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// Files left below a folder (folders themselves do not count).
std::string files_below(const std::string& dir) {
  std::string out;
  zt::sh("find " + quoted(dir) + " -mindepth 1 ! -type d 2>/dev/null", &out);
  return out;
}

TEST(StartWithoutDisplay, EndsWithStatusOneAndOneLine) {
  const std::string dir = zt::make_temp_dir("demo");
  ASSERT_TRUE(make_demo_package(dir));
  const std::string temp = std::string(getenv("HOME")) + "/tmp";
  struct Case {
    const char* what;
    std::vector<std::string> env;
    std::string line;
  } cases[] = {
      {"DISPLAY unset", {"-u", "DISPLAY"}, "installer: cannot open the display: DISPLAY is not set\n"},
      {"DISPLAY naming no server", {"DISPLAY=:4093"}, "installer: cannot open the display \":4093\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    zt::clear_message_box_calls();
    std::vector<std::string> args = c.env;
    for (const std::string& a : {installer_path(), std::string("-x"), "$ROOT2" + dir + "/installer.xml"})
      args.push_back(a);
    ProgramRun run("/usr/bin/env", args);
    EXPECT_EQ(run.wait_exit(20000), 1) << run.err();
    EXPECT_EQ(run.err(), c.line);
    EXPECT_EQ(run.out(), "");
    EXPECT_TRUE(zt::message_box_calls().empty());
    EXPECT_EQ(files_below(temp), "") << "the unpacked fonts are gone";
  }
}

// ---- a start-up held at a chosen moment -----------------------------------------

// The library the held runs preload (see hold_at_open.c).
const std::string kHoldLibrary = ZORV_BUILD_DIR "/zorv_hold_at_open.so";

// The environment of a run held at the first file it opens for writing below
// its private temporary folder (one of the package's fonts): the path held
// is written to `ready`. A sanitized program accepts a library preloaded
// before its runtime.
std::vector<std::string> held_at_private_folder(const std::string& ready) {
  const char* asan = getenv("ASAN_OPTIONS");
  return {"LD_PRELOAD=" + kHoldLibrary, "ZORV_HOLD_AT_OPEN=/zorv-%p-", "ZORV_HOLD_READY=" + ready,
          "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":verify_asan_link_order=0"};
}

// The path the run is held at, once it is there ("" when it ended first or
// did not get there in time).
std::string wait_until_held(ProgramRun& run, const std::string& ready) {
  for (int waited = 0; waited < 20000 && run.running(); waited += 20) {
    if (zt::file_exists(ready)) return zt::read_text(ready);
    usleep(20000);
  }
  return "";
}

std::string folder_of(const std::string& path) { return path.substr(0, path.rfind('/')); }

// A start-up held while the package's fonts are unpacked (as a slow medium
// holds it) ends on a termination signal before any window exists, and the
// half-written font goes with the private folder.
TEST(StartWithoutDisplay, ATerminationSignalEndsTheProgramBeforeAnyWindowAndLeavesNothing) {
  const std::string dir = zt::make_temp_dir("demo");
  ASSERT_TRUE(make_demo_package(dir));
  const std::string temp = std::string(getenv("HOME")) + "/tmp";
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    SCOPED_TRACE(sig);
    const std::string ready = dir + "/held-" + std::to_string(sig);
    std::vector<std::string> args = {"-u", "DISPLAY"};
    for (const std::string& a : held_at_private_folder(ready)) args.push_back(a);
    for (const std::string& a : {installer_path(), std::string("-x"), "$ROOT2" + dir + "/installer.xml"})
      args.push_back(a);
    ProgramRun run("/usr/bin/env", args);
    const std::string held = wait_until_held(run, ready);
    ASSERT_NE(held, "") << run.err();
    const std::string own = folder_of(held);
    ASSERT_EQ(own.rfind(temp + "/", 0), 0u) << held;
    ASSERT_TRUE(zt::file_exists(held)) << "the font being unpacked";
    // The window-size change is no termination request.
    run.signal(SIGWINCH);
    usleep(200000);
    EXPECT_TRUE(run.running());
    run.signal(sig);
    EXPECT_EQ(run.wait_exit(10000), 1) << run.err();
    struct stat st;
    EXPECT_NE(lstat(own.c_str(), &st), 0) << own << " is left behind";
    EXPECT_EQ(files_below(temp), "");
  }
}

// A Ctrl-C while the processors are counted (behind a slow /proc: the
// first read of "/proc/cpuinfo" by the program, or by a program it starts,
// is held) ends the start-up: the count is read in the program, where the
// signal is taken, not by a shell during which the program ignores it.
TEST(StartWithoutDisplay, AnInterruptWhileTheProcessorsAreCountedEndsTheProgram) {
  const std::string dir = zt::make_temp_dir("demo");
  ASSERT_TRUE(make_demo_package(dir));
  const std::string temp = std::string(getenv("HOME")) + "/tmp";
  const std::string ready = dir + "/held";
  const char* asan = getenv("ASAN_OPTIONS");
  std::vector<std::string> args = {"-u", "DISPLAY", "LD_PRELOAD=" + kHoldLibrary, "ZORV_HOLD_AT_OPEN=/proc/cpuinfo",
                                   "ZORV_HOLD_READS=1", "ZORV_HOLD_READY=" + ready,
                                   "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":verify_asan_link_order=0"};
  for (const std::string& a : {installer_path(), std::string("-x"), "$ROOT2" + dir + "/installer.xml"})
    args.push_back(a);
  ProgramRun run("/usr/bin/env", args);
  ASSERT_EQ(wait_until_held(run, ready), "/proc/cpuinfo") << run.err();
  run.signal(SIGINT);
  EXPECT_EQ(run.wait_exit(10000), 1) << run.err();
  EXPECT_EQ(files_below(temp), "");
}

// A package that is no regular file (a FIFO nobody writes would hold the
// open for ever) is refused at once, with the line of every other refusal.
TEST(StartWithoutDisplay, APackageThatIsNoRegularFileIsRefusedAtOnce) {
  const std::string fifo = zt::make_temp_dir("fifo"), link = zt::make_temp_dir("link");
  ASSERT_EQ(mkfifo((fifo + "/installer.pkg").c_str(), 0644), 0);
  ASSERT_EQ(symlink((fifo + "/installer.pkg").c_str(), (link + "/installer.pkg").c_str()), 0);
  for (const std::string& dir : {fifo, link}) {
    SCOPED_TRACE(dir);
    ProgramRun run("/usr/bin/env", {"-u", "DISPLAY", installer_path(), "-x", "$ROOT2" + dir + "/installer.xml"});
    EXPECT_EQ(run.wait_exit(10000), 255) << "still waiting in the open";
    EXPECT_EQ(run.err(), "installer: no installation data: " + dir + "/installer.pkg: it is no regular file\n");
  }
}

// ---- a display where the first page window cannot open or has not opened yet ----

// The message program itself, not the tests' stand-in that only records.
const char kMessageProgram[] = "/usr/bin/xmessage";

std::vector<Window> child_windows(zt::XProbe& probe, Window window) {
  std::vector<Window> out;
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(probe.display(), window, &root, &parent, &children, &count)) {
    out.assign(children, children + count);
    if (children) XFree(children);
  }
  return out;
}

// The message program's text colour; its background and frames are light,
// all but its scrollbar's.
bool is_ink(uint32_t p) { return ((p >> 16) & 0xFF) < 0x80 && ((p >> 8) & 0xFF) < 0x80 && (p & 0xFF) < 0x80; }

// A message box on the probe's display as the program draws it.
struct Box {
  Window window = 0;
  Rect place;                    // on the screen
  std::vector<uint32_t> pixels;  // row by row
  Window text = 0, button = 0;   // its text (with a scrollbar at its left) and its OK button
  std::vector<Rect> lines;       // of ink in the text, in the text's coordinates
};

// The lines of ink in the box's text, right of its scrollbar, top to bottom:
// one per line of text that shows (an empty line shows none).
std::vector<Rect> text_lines(zt::XProbe& probe, Window text_window) {
  std::vector<Rect> lines;
  Rect text;
  if (!probe.geometry(text_window, &text.x, &text.y, &text.w, &text.h)) return lines;
  const std::vector<Window> bars = child_windows(probe, text_window);
  XWindowAttributes bar;
  if (bars.size() != 1 || !XGetWindowAttributes(probe.display(), bars[0], &bar)) return lines;
  // The bar's frame is drawn in the text's colour.
  const int left = bar.x + bar.width + 2 * bar.border_width;
  const std::vector<uint32_t> px = probe.read_pixels(text_window, 0, 0, text.w, text.h);
  if (px.size() != static_cast<size_t>(text.w * text.h)) return lines;
  bool in_line = false;
  for (int y = 0; y < text.h; ++y) {
    int first = -1, last = -1;
    for (int x = std::max(left, 0); x < text.w; ++x)
      if (is_ink(px[y * text.w + x])) {
        if (first < 0) first = x;
        last = x;
      }
    if (first < 0) {
      in_line = false;
      continue;
    }
    if (!in_line) lines.push_back({first, y, 0, 0});
    in_line = true;
    Rect& l = lines.back();
    const int right = std::max(l.x + l.w, last + 1);
    l.x = std::min(l.x, first);
    l.w = right - l.x;
    l.h = y + 1 - l.y;
  }
  return lines;
}

// Waits for the one message box on the display to be drawn whole: its
// pixels, read 100 ms apart, hold still with ink in them.
bool read_box(zt::XProbe& probe, Box* box) {
  box->window = wait_for_window(probe, "xmessage");
  if (!box->window) return false;
  std::vector<uint32_t> last;
  for (int waited = 0; waited < 10000; waited += 100) {
    Rect& r = box->place;
    if (probe.geometry(box->window, &r.x, &r.y, &r.w, &r.h)) {
      box->pixels = probe.read_pixels(box->window, 0, 0, r.w, r.h);
      if (!box->pixels.empty() && box->pixels == last && std::any_of(last.begin(), last.end(), is_ink)) break;
      last = box->pixels;
    }
    usleep(100000);
  }
  // The box's form holds the text, which holds its scrollbar, and the button.
  const std::vector<Window> form = child_windows(probe, box->window);
  if (form.size() != 1) return false;
  for (Window w : child_windows(probe, form[0]))
    (child_windows(probe, w).empty() ? box->button : box->text) = w;
  if (!box->text || !box->button || box->pixels.empty() || box->pixels != last) return false;
  box->lines = text_lines(probe, box->text);
  return true;
}

// The box the message program shows for `message` on a screen large enough
// for any line of it: what the user must see.
bool read_reference_box(const zt::XServer& large, const std::string& message, Box* box) {
  large.use();
  ProgramRun shown(kMessageProgram, {"-buttons", "OK:2", message});
  zt::XProbe probe;
  return probe.ok() && read_box(probe, box);
}

// The demonstration's dialog is 700 x 460; its window takes 10 more pixels of
// width and 30 of height for the frame. On a screen with less room the user,
// who may have started the program from a menu, is told in a box why nothing
// comes, and the terminal gets the same in one line. The box, as the message
// program shows it, lies on the screen, its title first on a line of its own,
// and every line of its text whole.
TEST(StartOnASmallScreen, SaysTheSizeNeededAndTheScreensSizeInOneLineAndInTheBox) {
  ASSERT_EQ(access(kMessageProgram, X_OK), 0) << "the message program (Debian's x11-utils) is missing";
  const std::string dir = zt::make_temp_dir("demo");
  ASSERT_TRUE(make_demo_package(dir));
  const std::string temp = std::string(getenv("HOME")) + "/tmp";
  // The real message program first on PATH for the runs that show the box.
  const std::string real_bin = zt::make_temp_dir("real-bin");
  ASSERT_EQ(symlink(kMessageProgram, (real_bin + "/xmessage").c_str()), 0);
  const std::string real_path = "PATH=" + real_bin + ":" + getenv("PATH");
  auto large = zt::start_checked_xvfb(1280, 1024, 24);
  ASSERT_TRUE(large);
  tolerate_x_errors();
  const int sizes[][2] = {{640, 480}, {709, 600}, {800, 489}, {320, 240}};
  for (const auto& size : sizes) {
    const std::string screen = std::to_string(size[0]) + " x " + std::to_string(size[1]);
    SCOPED_TRACE(screen);
    const std::string title = "The screen is too small!", line1 = "The installer needs a screen",
                      line2 = "of at least 710 x 490 pixels;", line3 = "this one has " + screen + ".";
    Box reference;
    ASSERT_TRUE(read_reference_box(*large, title + "\n\n" + line1 + "\n" + line2 + "\n" + line3, &reference));
    auto server = zt::start_checked_xvfb(size[0], size[1], 24);
    ASSERT_TRUE(server);
    const std::string stderr_line = "installer: the screen \"" + server->display() +
                                    "\" is too small: 710 x 490 pixels needed, " + screen + " there\n";

    // What the program is given: the title, an empty line, the text in short lines.
    zt::clear_message_box_calls();
    {
      ProgramRun run(installer_path(), {"-x", "$ROOT2" + dir + "/installer.xml"});
      EXPECT_EQ(run.wait_exit(20000), 1) << run.err();
      EXPECT_EQ(run.err(), stderr_line);
      EXPECT_EQ(run.out(), "");
    }
    EXPECT_EQ(zt::message_box_calls(),
              (std::vector<std::vector<std::string>>{{"-buttons", "OK:2", title, "", line1, line2, line3}}));
    EXPECT_EQ(files_below(temp), "") << "the unpacked fonts are gone";

    // What the user sees, until the OK button is pressed.
    ProgramRun run("/usr/bin/env", {real_path, installer_path(), "-x", "$ROOT2" + dir + "/installer.xml"});
    zt::XProbe probe;
    ASSERT_TRUE(probe.ok());
    Box box;
    const bool shown = read_box(probe, &box);
    zt::sh("import -window root '" + output_folder() + "/box-" + std::to_string(size[0]) + "x" +
           std::to_string(size[1]) + ".png' 2>/dev/null");
    ASSERT_TRUE(shown) << run.err();
    const Rect& at = box.place;
    EXPECT_TRUE(at.x >= 0 && at.y >= 0 && at.x + at.w <= size[0] && at.y + at.h <= size[1])
        << "the box lies at " << at.x << ", " << at.y << ", " << at.w << " x " << at.h;
    ASSERT_EQ(reference.lines.size(), 4u);
    EXPECT_EQ(box.lines.size(), 4u) << "the title, then the text's three lines";
    if (!box.lines.empty()) {
      EXPECT_EQ(box.lines[0].w, reference.lines[0].w) << "the title's line holds the title alone (no ':')";
    }
    // The same pixels as the box for the whole message on a large screen:
    // nothing cut, nothing added (no ':' after the title).
    EXPECT_EQ(box.place.w, reference.place.w);
    EXPECT_EQ(box.place.h, reference.place.h);
    EXPECT_TRUE(box.pixels == reference.pixels) << "the box differs from the whole message's";
    int bx = 0, by = 0, bw = 0, bh = 0;
    ASSERT_TRUE(probe.geometry(box.button, &bx, &by, &bw, &bh));
    ASSERT_TRUE(click(box.button, bw / 2, bh / 2));
    EXPECT_EQ(run.wait_exit(20000), 1) << run.err();
    EXPECT_EQ(run.err(), stderr_line) << "the line on standard error stays";
    EXPECT_EQ(files_below(temp), "") << "the unpacked fonts are gone";
  }
  // The runs (the package maker's too) leave no folder behind.
  std::string left;
  zt::sh("cd " + quoted(temp) + " && find . -mindepth 1 | sort", &left);
  EXPECT_EQ(left, "");
}

// Until the first page window opens nothing has been installed: a start-up
// held by a slow medium while only the "Please Wait" window stands ends on
// a termination signal as one without a window, without asking, and leaves
// nothing in the temporary folder.
TEST(StartBeforeTheFirstPage, ATerminationSignalUnderThePleaseWaitWindowEndsTheProgram) {
  auto server = zt::start_checked_xvfb(1024, 768, 24);
  ASSERT_TRUE(server);
  const std::string dir = zt::make_temp_dir("demo");
  ASSERT_TRUE(make_demo_package(dir));
  const std::string temp = std::string(getenv("HOME")) + "/tmp";
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    SCOPED_TRACE(sig);
    zt::clear_message_box_calls();
    const std::string ready = dir + "/held-" + std::to_string(sig);
    std::vector<std::string> args = held_at_private_folder(ready);
    for (const std::string& a : {installer_path(), std::string("-x"), "$ROOT2" + dir + "/installer.xml"})
      args.push_back(a);
    ProgramRun run("/usr/bin/env", args);
    const std::string held = wait_until_held(run, ready);
    ASSERT_NE(held, "") << run.err();
    const std::string own = folder_of(held);
    zt::XProbe probe;
    ASSERT_TRUE(probe.ok());
    ASSERT_EQ(probe.find_windows("Please Wait").size(), 1u) << "the start-up is held under its window";
    run.signal(sig);
    EXPECT_EQ(run.wait_exit(10000), 1) << run.err();
    EXPECT_TRUE(zt::message_box_calls().empty());
    struct stat st;
    EXPECT_NE(lstat(own.c_str(), &st), 0) << own << " is left behind";
    EXPECT_EQ(files_below(temp), "");
    EXPECT_TRUE(probe.find_windows("Please Wait").empty());
  }
}

// ---- another user holds the shared temporary folder's names ----------------------

// Both names of the shared temporary folder ("<root>/<name>", then
// "<root>/<name>-<uid>") taken by another user: the installer still starts,
// in a stand-in folder of a random name, and leaves nothing behind, whether
// it ends by itself or on a signal.
TEST(StartWithoutDisplay, AnotherUsersFoldersInTheSharedTemporaryFolderLockNobodyOut) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to plant as one user and run as another";
  // A tree the unprivileged user can read, with the sandbox of installer_e2e
  // (its shared temporary root is <sandbox>/temp, open to all like /tmp).
  char pattern[] = "/tmp/zorv-stand-in.XXXXXX";
  ASSERT_TRUE(mkdtemp(pattern));
  const std::string tree = pattern, sandbox = tree + "/e2e", shared = sandbox + "/temp", home = tree + "/home",
                    package = tree + "/package", held_dir = tree + "/held";
  ASSERT_EQ(zt::sh("chmod 0755 " + quoted(tree) + " && mkdir " + quoted(home) + " " + quoted(package) + " " +
                   quoted(held_dir) + " && chown 65534:65534 " + quoted(home) + " && chmod 0777 " +
                   quoted(held_dir)),
            0);
  ASSERT_TRUE(make_e2e_sandbox(sandbox));
  ASSERT_TRUE(make_demo_package(package));
  const std::string name = shared + "/installer_e2e", own = name + "-65534";
  struct Plant {
    const char* what;
    std::string command;
  } plants[] = {
      {"a folder of theirs", "mkdir " + quoted(own)},
      {"a link", "ln -s " + quoted(home) + " " + quoted(own)},
      {"a file", "touch " + quoted(own)},
      {"a folder open to all", "mkdir " + quoted(own) + " && chmod 0777 " + quoted(own)},
  };
  int round = 0;
  for (const Plant& p : plants) {
    SCOPED_TRACE(p.what);
    ASSERT_EQ(zt::sh("rm -rf " + quoted(shared) + "/* && mkdir -m 0700 " + quoted(name) + " && " + p.command), 0);
    for (bool signalled : {false, true}) {
      SCOPED_TRACE(signalled ? "ended by a signal" : "ended by itself");
      const std::string ready = held_dir + "/" + std::to_string(round++);
      std::vector<std::string> args = {"--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/env", "-u",
                                       "DISPLAY", "HOME=" + home};
      if (signalled)
        for (const std::string& a : held_at_private_folder(ready)) args.push_back(a);
      for (const std::string& a : {installer_e2e_path(), std::string("-x"), "$ROOT2" + package + "/installer.xml"})
        args.push_back(a);
      ProgramRun run("/usr/bin/setpriv", args);
      if (signalled) {
        const std::string held = wait_until_held(run, ready);
        ASSERT_NE(held, "") << run.err();
        EXPECT_EQ(held.rfind(own + "-", 0), 0u) << held;
        run.signal(SIGTERM);
        EXPECT_EQ(run.wait_exit(10000), 1) << run.err();
      } else {
        EXPECT_EQ(run.wait_exit(20000), 1) << run.err();
        EXPECT_EQ(run.err(), "installer_e2e: cannot open the display: DISPLAY is not set\n");
      }
      std::string left;
      zt::sh("ls -A " + quoted(shared), &left);
      EXPECT_EQ(left, "installer_e2e\ninstaller_e2e-65534\n") << "only what the other user made stays";
    }
  }
  zt::sh("rm -rf " + quoted(tree));
}

}  // namespace
