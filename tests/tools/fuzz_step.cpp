// The CI fuzz step fails on undefined behaviour: a fuzz target compiled with
// the flags the fuzz build gives its targets and run as tools/fuzz.sh runs
// each one ends with a non-zero status when it meets undefined behaviour.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// The compile command the fuzz build uses for fuzz/<name>.cpp.
std::string fuzz_compile_command(const std::string& build, const std::string& name) {
  std::string commands;
  zt::sh("ninja -C " + quoted(build) + " -t commands fuzz_" + name, &commands);
  const std::string source = std::string(ZORV_SOURCE_DIR) + "/fuzz/" + name + ".cpp";
  size_t end = commands.find(" -c " + source);
  if (end == std::string::npos) return "";
  size_t start = commands.rfind('\n', end);
  start = start == std::string::npos ? 0 : start + 1;
  return commands.substr(start, end - start);
}

TEST(FuzzStep, UndefinedBehaviourFailsTheRun) {
  if (zt::sh("command -v clang++ >/dev/null && command -v ninja >/dev/null") != 0)
    GTEST_SKIP() << "no clang++ or ninja";
  const std::string dir = zt::make_temp_dir("fuzz");
  const std::string build = dir + "/build";
  ASSERT_EQ(zt::sh("CC=clang CXX=clang++ cmake -S " + quoted(ZORV_SOURCE_DIR) +
                   " -B " + quoted(build) + " -G Ninja -DZORV_FUZZ=ON -DZORV_TESTS=OFF >/dev/null"),
            0);
  std::string compile = fuzz_compile_command(build, "folder_record");
  ASSERT_NE(compile, "");
  // The same command on a target that overflows a signed int on input "x".
  const size_t out = compile.find(" -o ");
  ASSERT_NE(out, std::string::npos);
  const size_t after = compile.find(' ', out + 4);
  compile = compile.substr(0, out) + " -o " + quoted(dir + "/ub.o") +
            (after == std::string::npos ? "" : compile.substr(after));
  zt::write_text(dir + "/ub.cpp",
                 "#include <climits>\n#include <cstddef>\n#include <cstdint>\n"
                 "extern \"C\" int LLVMFuzzerTestOneInput(const uint8_t* d, size_t n) {\n"
                 "  volatile int big = INT_MAX;\n"
                 "  if (n == 1 && d[0] == 'x') return big + static_cast<int>(n) == 0;\n"
                 "  return 0;\n"
                 "}\n");
  ASSERT_EQ(zt::sh("cd " + quoted(build) + " && " + compile + " -c " + quoted(dir + "/ub.cpp") +
                   " && clang++ -fsanitize=fuzzer,address,undefined " + quoted(dir + "/ub.o") + " -o " +
                   quoted(dir + "/ub")),
            0)
      << compile;
  ASSERT_EQ(zt::sh("mkdir " + quoted(dir + "/corpus") + " && printf x > " + quoted(dir + "/corpus/seed")), 0);

  std::string output;
  const int status = zt::sh(quoted(std::string(ZORV_SOURCE_DIR) + "/tools/fuzz_one.sh") + " " +
                                quoted(dir + "/ub") + " " + quoted(dir + "/corpus") + " 20 2>&1",
                            &output);
  EXPECT_NE(status, 0) << output;
  EXPECT_NE(output.find("runtime error: signed integer overflow"), std::string::npos) << output;
}

}  // namespace
