// The installer program's start-up from the outside: no installation data,
// the configuration path of -x and the skin file of -s. The -x and -s cases
// run a copy of the program in a temporary tree with a "data" folder beside
// it, which is then the program's "$APPDATA".
#include <sys/stat.h>

#include "data_file.h"
#include "x_program.h"

using namespace xi;

namespace {

const char kNoData[] = "No installation data found!";

std::string sh_quoted(const std::string& s) { return "'" + s + "'"; }

// ---- no installation data --------------------------------------------------------

TEST(InstallerStart, AFolderWithoutPackageIsNoInstallationData) {
  auto server = zt::start_checked_xvfb(640, 480, 24);
  ASSERT_TRUE(server);
  const std::string empty = zt::make_temp_dir("empty");
  zt::clear_message_box_calls();
  ProgramRun run(installer_path(), {"-x", "$ROOT2" + empty + "/installer.xml"});
  EXPECT_EQ(run.wait_exit(), 255);
  EXPECT_NE(run.out().find(std::string("\nError, unable to continue...\n\n") + kNoData + "\n\n"), std::string::npos)
      << run.out();
  const auto calls = zt::message_box_calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], (std::vector<std::string>{"-buttons", "OK:2", kNoData, "",
                                                "Make sure you have got all required files."}));
  // Nothing was created: not even an empty package.
  EXPECT_EQ(zt::sh("[ -z \"$(ls -A " + sh_quoted(empty) + ")\" ]"), 0);
}

// ---- a copy of the program with its own data folder ------------------------------

class InstallerTree : public ::testing::Test {
 protected:
  void SetUp() override {
    struct stat info;
    ASSERT_NE(stat("/opt/installer/shared", &info), 0) << "/opt/installer/shared would be $APPDATA";
    tree = zt::make_temp_dir("tree");
    program = tree + "/installer";
    ASSERT_EQ(zt::sh("cp " + sh_quoted(installer_path()) + " " + sh_quoted(program) + " && mkdir " +
                     sh_quoted(tree + "/data")),
              0);
  }

  // Writes a skin folder "data/vek" with the dialog effects and progress
  // rates given.
  void write_skin_folder() {
    const std::string vek = tree + "/data/vek";
    ASSERT_EQ(zt::sh("mkdir -p " + sh_quoted(vek + "/dialog") + " " + sh_quoted(vek + "/icons")), 0);
    zt::write_text(vek + "/dialog_effects.cfg",
                   "flags\n\t5\nopen_delay\n\t100\ndisplay_delay\n\t200\ndragging_alpha\n\t300\n"
                   "progress_bar_animation_x_rate\n\t7\nprogress_bar_animation_y_rate\n\t8\n"
                   "progress_bar_animation_update_rate\n\t9\n");
    zt::write_text(vek + "/dialog/text.ss", "fg_colour\n\tFF112233\nbg_colour\n\tFF445566\n");
  }

  int run_status(const std::vector<std::string>& args, std::string* err = nullptr, std::string* out = nullptr) {
    ProgramRun run(program, args);
    const int status = run.wait_exit(20000);
    if (err) *err = run.err();
    if (out) *out = run.out();
    return status;
  }

  std::string tree, program;
};

int lines(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

TEST_F(InstallerTree, ConfigurationPathsFindThePackage) {
  auto server = zt::start_checked_xvfb(1024, 768, 24);
  ASSERT_TRUE(server);
  ASSERT_EQ(zt::sh("mkdir " + sh_quoted(tree + "/data/cfg")), 0);
  ASSERT_TRUE(make_demo_package(tree + "/data/cfg"));
  Mirror mirror;
  ASSERT_TRUE(mirror.load(tree + "/data/cfg"));
  const std::string title = mirror.text(TEXT_APPLICATION_TITLE);
  zt::XProbe probe;
  tolerate_x_errors();
  // Below the default configuration folder "$APPDATA", and from the variable.
  for (const std::string& path : {std::string("cfg/installer.xml"), std::string("$APPDATA/cfg/installer.xml")}) {
    SCOPED_TRACE(path);
    ProgramRun run(program, {"-x", path});
    EXPECT_NE(wait_for_window(probe, title), 0u) << run.err();
    EXPECT_TRUE(run.running());
  }
}

TEST_F(InstallerTree, UnknownPathVariablesAreRefused) {
  for (const char* option : {"-x", "-s"}) {
    SCOPED_TRACE(option);
    std::string err;
    const std::string path = std::string("$NOPE/") + (option[1] == 'x' ? "installer.xml" : "skin.bin");
    EXPECT_EQ(run_status({option, path}, &err), 1);
    EXPECT_EQ(lines(err), 1) << err;
    EXPECT_NE(err.find(path), std::string::npos) << err;
  }
}

TEST_F(InstallerTree, SkinFileIsWrittenWhole) {
  write_skin_folder();
  std::string err, out;
  // The process ends after -s: the -x after it is never read (its unknown
  // variable would end the program with status 1).
  EXPECT_EQ(run_status({"-s", "skin.bin", "-x", "$NOPE/installer.xml"}, &err, &out), 255);
  EXPECT_EQ(err, "");
  EXPECT_EQ(out, "");
  const std::vector<uint8_t> bytes = zt::read_bytes(tree + "/skin.bin");
  ASSERT_GT(bytes.size(), 19u);
  EXPECT_EQ(bytes[0], 0x00);  // little-endian header
  // The dialog effects (u16 flags, u32 delays, u8 alpha: 300 keeps 0x2C) and
  // the progress rates close the file.
  const std::vector<uint8_t> tail = {0x05, 0x00, 0x64, 0x00, 0x00, 0x00, 0xC8, 0x00, 0x00, 0x00,
                                     0x2C, 0x07, 0x00, 0x08, 0x00, 0x09, 0x00};
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - tail.size(), bytes.end()), tail);
  // The reader takes it back.
  FOLDER folder;
  ASSERT_TRUE(folder.set(("$ROOT2" + tree).c_str()));
  DATA_FILE* file = open_data_file(&folder, "skin.bin", 0, static_cast<INT_U32>(-1), 0);
  ASSERT_TRUE(file);
  EXPECT_TRUE(installer_database.read_skin(file));
  close_data_file(&file);
  EXPECT_EQ(wm_dialog_effects.flags, 5u);
  EXPECT_EQ(wm_dialog_effects.open_delay, 100u);
  EXPECT_EQ(wm_dialog_effects.display_delay, 200u);
  EXPECT_EQ(wm_dialog_effects.dragging_alpha, 0x2Cu);
  EXPECT_EQ(installer_database.progress_rate_x, 7);
  EXPECT_EQ(installer_database.progress_rate_y, 8);
  EXPECT_EQ(installer_database.progress_update_rate, 9);
}

TEST_F(InstallerTree, SkinFailuresLeaveNoFile) {
  // No skin folder.
  std::string err;
  EXPECT_EQ(run_status({"-s", "skin.bin"}, &err), 1);
  EXPECT_EQ(lines(err), 1) << err;
  EXPECT_FALSE(zt::file_exists(tree + "/skin.bin"));

  write_skin_folder();
  // A folder on the path below a regular file cannot exist.
  zt::write_text(tree + "/plain", "x");
  EXPECT_EQ(run_status({"-s", "plain/sub/skin.bin"}, &err), 1);
  EXPECT_EQ(lines(err), 1) << err;
  EXPECT_NE(err.find("plain/sub/skin.bin"), std::string::npos) << err;
  EXPECT_EQ(zt::read_text(tree + "/plain"), "x");

  // A write that fails part-way (the file size limit stands for a full
  // disk): status 1 and no file.
  EXPECT_EQ(run_status({"-s", "whole.bin"}), 255);
  ASSERT_GT(zt::read_bytes(tree + "/whole.bin").size(), 2048u);
  const int status = zt::sh("trap '' XFSZ; ulimit -f 1; " + sh_quoted(program) + " -s cut.bin 2>/dev/null");
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(zt::file_exists(tree + "/cut.bin"));
}

TEST_F(InstallerTree, AnUnwritableFolderKeepsItsFiles) {
  write_skin_folder();
  // A tree the unprivileged user can read but not write.
  ASSERT_EQ(zt::sh("chmod 755 " + sh_quoted(zt::sandbox()) + " && chmod -R a+rX " + sh_quoted(tree)), 0);
  for (std::string up = tree; up.size() > 1; up = up.substr(0, up.rfind('/')))
    zt::sh("chmod a+x " + sh_quoted(up));
  ASSERT_EQ(zt::sh("mkdir " + sh_quoted(tree + "/ro") + " && chmod 555 " + sh_quoted(tree + "/ro")), 0);
  zt::write_text(tree + "/ro/skin.bin", "kept");
  ASSERT_EQ(zt::sh("chmod 444 " + sh_quoted(tree + "/ro/skin.bin")), 0);
  auto as_nobody = [&](const std::string& target) {
    return zt::sh("cd " + sh_quoted(tree) + " && setpriv --reuid=65534 --regid=65534 --clear-groups " +
                  sh_quoted(program) + " -s " + sh_quoted(target) + " 2>" + sh_quoted(tree + "/err.txt"));
  };
  EXPECT_EQ(as_nobody("ro/skin.bin"), 1);
  EXPECT_EQ(lines(zt::read_text(tree + "/err.txt")), 1) << zt::read_text(tree + "/err.txt");
  EXPECT_EQ(zt::read_text(tree + "/ro/skin.bin"), "kept");
  EXPECT_EQ(as_nobody("ro/new.bin"), 1);
  EXPECT_FALSE(zt::file_exists(tree + "/ro/new.bin"));
}

}  // namespace
