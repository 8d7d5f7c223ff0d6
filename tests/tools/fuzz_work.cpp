// Fuzz runs leave nothing in the temporary root: the targets that write
// files keep them in a folder of their own under $TMPDIR, removed when the
// run ends, and tools/fuzz_one.sh removes whatever a crashed run left.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "../../fuzz/fuzz_work_folder.h"
#include "config_file.h"
#include "folder.h"
#include "package.h"
#include "style_set.h"
#include "test_support.h"
#include "text_file.h"

// The targets themselves, built here with the library of the tests; each
// entry point under a name of its own. Every header they include is already
// in, so nothing but their own code lands in the namespaces.
#define LLVMFuzzerTestOneInput fuzz_config_file_input
namespace config_file_target {
#include "../../fuzz/config_file.cpp"
}
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput fuzz_package_input
namespace package_target {
#include "../../fuzz/package.cpp"
}
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput fuzz_style_set_text_input
namespace style_set_text_target {
#include "../../fuzz/style_set_text.cpp"
}
#undef LLVMFuzzerTestOneInput

namespace {

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// What `dir` holds, one name a line.
std::string listing(const std::string& dir) {
  std::string out;
  zt::sh("cd " + quoted(dir) + " && find . -mindepth 1 -maxdepth 1 | LC_ALL=C sort", &out);
  return out;
}

using Input = int (*)(const uint8_t*, size_t);

struct Target {
  const char* name;
  Input input;
  const char* sample;
};
void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }

const Target kTargets[] = {
    {"config_file", config_file_target::fuzz_config_file_input, "a=1\nn=2\n"},
    {"package", package_target::fuzz_package_input, "ZPKG but not really"},
    {"style_set_text", style_set_text_target::fuzz_style_set_text_input, "[style]\nfont=x\n"},
};

class FuzzTargetWork : public ::testing::TestWithParam<Target> {};

// A run keeps its files in one folder under TMPDIR while it lasts, and the
// folder is gone once the run ends.
TEST_P(FuzzTargetWork, FolderUnderTmpdirGoesWithTheRun) {
  const Target& target = GetParam();
  const std::string root = zt::make_temp_dir("tmp-root");
  const zt::ChildResult run = zt::run_in_child([&] {
    setenv("TMPDIR", root.c_str(), 1);
    for (int i = 0; i < 3; ++i)
      target.input(reinterpret_cast<const uint8_t*>(target.sample), std::strlen(target.sample));
    std::fputs(listing(root).c_str(), stdout);
    std::exit(0);  // as libFuzzer ends a run
  });
  EXPECT_EQ(run.status, 0) << run.err;
  // While it ran: one folder of its own, "fuzz-<name>.XXXXXX".
  EXPECT_EQ(run.out.rfind("./fuzz-", 0), 0u) << run.out;
  EXPECT_EQ(run.out.find("\n./fuzz-", 1), std::string::npos) << run.out;
  EXPECT_EQ(listing(root), "");
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzTargetWork, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

// A run that crashes after writing into TMPDIR, HOME and its working folder
// leaves nothing in the temporary root either.
TEST(FuzzOne, CrashedRunLeavesNothingInTheTemporaryRoot) {
  const std::string dir = zt::make_temp_dir("fuzz-one");
  const std::string root = zt::make_temp_dir("tmp-root");
  const std::string stand_in = dir + "/crashes";
  zt::write_text(stand_in,
                 "#!/bin/sh\n"
                 "d=$(mktemp -d \"${TMPDIR:-/tmp}/fuzz-stand-in.XXXXXX\") || exit 3\n"
                 "echo x > \"$d/in.cfg\"; echo y > \"$HOME/home-file\"; echo z > here\n"
                 "kill -ABRT $$\n");
  ASSERT_EQ(chmod(stand_in.c_str(), 0755), 0);
  ASSERT_EQ(zt::sh("mkdir " + quoted(dir + "/corpus") + " && printf x > " + quoted(dir + "/corpus/seed")), 0);
  std::string output;
  const int status = zt::sh("TMPDIR=" + quoted(root) + " " + quoted(ZORV_SOURCE_DIR "/tools/fuzz_one.sh") + " " +
                                quoted(stand_in) + " " + quoted(dir + "/corpus") + " 5 2>&1",
                            &output);
  EXPECT_NE(status, 0) << output;
  EXPECT_EQ(listing(root), "");
}

}  // namespace
