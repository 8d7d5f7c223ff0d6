// pkgtool as a developer runs it: exit codes, one-line errors, golden bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Bytes le32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }
Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes empty_package(uint32_t block_size, uint32_t first = 0, uint32_t last = 0) {
  return Bytes{0} + text("ZORVPKG") + Bytes{0, 1, 0} + le32(block_size) + le32(26) + le32(0) + le32(0) +
         le32(4) + text("root") + le32(first) + le32(last) + Bytes(12, 0);
}

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

// Runs pkgtool with the arguments, each quoted for the shell. A run that
// never ends (a damaged package read in a loop) is stopped and fails on its
// status, however slow the machine.
ToolRun pkgtool(const std::vector<std::string>& args) {
  std::string command = "timeout 300 '" ZORV_BUILD_DIR "/pkgtool'";
  for (const std::string& a : args) {
    std::string q = "'";
    for (char c : a) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    command += " " + q + "'";
  }
  std::string err_path = zt::sandbox() + "/pkgtool.err";
  ToolRun r;
  r.status = zt::sh(command + " 2>'" + err_path + "'", &r.out);
  r.err = zt::read_text(err_path);
  return r;
}

// One line on standard error, nothing on standard output.
void expect_error(const ToolRun& r, const std::string& fragment) {
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  ASSERT_FALSE(r.err.empty());
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  EXPECT_NE(r.err.find(fragment), std::string::npos) << r.err;
}

TEST(Pkgtool, CreateAddListExtract) {
  std::string d = zt::make_temp_dir("tool");
  std::string pkg = d + "/p.pkg";
  ASSERT_EQ(pkgtool({"create", pkg, "--block-size", "16"}).status, 0);
  EXPECT_EQ(zt::read_bytes(pkg), empty_package(16));
  zt::write_text(d + "/a", "xyz");
  ASSERT_EQ(pkgtool({"add", pkg, d + "/a"}).status, 0);
  EXPECT_EQ(zt::read_bytes(pkg), empty_package(16, 54, 54) + le32(1) + text("a") + le32(75) + le32(75) +
                                     le32(0) + le32(3) + le32(0) + text("xyz") + Bytes(13, 0) + le32(3));
  zt::write_text(d + "/b", "second file");
  ASSERT_EQ(pkgtool({"add", pkg, d + "/b", "odd\tname\nwith\\"}).status, 0);
  ToolRun listed = pkgtool({"list", pkg});
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.out, "3\ta\n11\todd\\tname\\nwith\\\\\n");
  ASSERT_EQ(pkgtool({"extract", pkg, "odd\tname\nwith\\", d + "/out"}).status, 0);
  EXPECT_EQ(zt::read_text(d + "/out"), "second file");
  // Adding under an existing name replaces the entry.
  zt::write_text(d + "/a2", "replaced");
  ASSERT_EQ(pkgtool({"add", pkg, d + "/a2", "a"}).status, 0);
  ASSERT_EQ(pkgtool({"extract", pkg, "a", d + "/a.out"}).status, 0);
  EXPECT_EQ(zt::read_text(d + "/a.out"), "replaced");
}

TEST(Pkgtool, DefaultBlockSizeAndLiteralPaths) {
  std::string d = zt::make_temp_dir("tool");
  ASSERT_EQ(mkdir((d + "/$APP").c_str(), 0755), 0);
  std::string pkg = d + "/$APP/x.pkg";
  ASSERT_EQ(pkgtool({"create", pkg}).status, 0);
  EXPECT_EQ(zt::read_bytes(pkg), empty_package(524288));
}

TEST(Pkgtool, Errors) {
  std::string d = zt::make_temp_dir("tool");
  std::string pkg = d + "/p.pkg";
  ASSERT_EQ(pkgtool({"create", pkg, "--block-size", "16"}).status, 0);
  zt::write_text(d + "/notpkg", "this is plainly not a package file");
  zt::write_bytes(d + "/v2.pkg", Bytes{0} + text("ZORVPKG") + Bytes{0, 2, 0} + le32(16) + le32(26) + le32(0) +
                                     le32(0) + le32(4) + text("root") + Bytes(20, 0));
  expect_error(pkgtool({"create", pkg}), "exists");
  EXPECT_EQ(zt::read_bytes(pkg), empty_package(16));
  expect_error(pkgtool({"create", d + "/q.pkg", "--block-size", "0"}), "block size");
  expect_error(pkgtool({"create", d + "/q.pkg", "--block-size", "12x"}), "block size");
  expect_error(pkgtool({"list", d + "/notpkg"}), "does not appear to be a package");
  expect_error(pkgtool({"list", d + "/v2.pkg"}), "unsupported package version");
  expect_error(pkgtool({"list", d + "/missing.pkg"}), "not found");
  expect_error(pkgtool({"extract", pkg, "nothing", d + "/o"}), "nothing not found in package");
  expect_error(pkgtool({"add", pkg, d + "/no-such-file"}), "no-such-file");
  expect_error(pkgtool({"frobnicate", pkg}), "usage");
  expect_error(pkgtool({"list"}), "usage");
}

TEST(Pkgtool, FileBeyondThirtyTwoBitSizesIsRefused) {
  std::string d = zt::make_temp_dir("tool");
  std::string pkg = d + "/p.pkg";
  ASSERT_EQ(pkgtool({"create", pkg}).status, 0);
  ASSERT_EQ(zt::sh("truncate -s 4294967296 '" + d + "/huge'"), 0);  // sparse
  expect_error(pkgtool({"add", pkg, d + "/huge"}), "too large");
  EXPECT_EQ(zt::read_bytes(pkg), empty_package(524288));
}

TEST(Pkgtool, DamagedPackagesAndFullDisks) {
  std::string d = zt::make_temp_dir("tool");
  Bytes good = empty_package(16, 54, 54) + le32(1) + text("a") + le32(75) + le32(75) + le32(0) + le32(3) +
               le32(0) + text("xyz") + Bytes(13, 0) + le32(3);
  struct Case {
    const char* what;
    size_t offset;
    Bytes value;
    size_t cut;
  } cases[] = {
      {"cut inside the block", 0, {}, 90},
      {"block links to itself", 76, le32(75), 0},
      {"used count above the block size", 96, le32(1000), 0},
      {"huge name length", 55, le32(0xFFFFFFF0), 0},
  };
  for (const Case& c : cases) {
    Bytes bad = good;
    std::copy(c.value.begin(), c.value.end(), bad.begin() + c.offset);
    if (c.cut) bad.resize(c.cut);
    zt::write_bytes(d + "/bad.pkg", bad);
    ToolRun r = pkgtool({"extract", d + "/bad.pkg", "a", d + "/out"});
    EXPECT_EQ(r.status, 1) << c.what;
    expect_error(r, "");
    if (zt::file_exists(d + "/out")) {
      EXPECT_LE(zt::read_bytes(d + "/out").size(), 3u) << c.what;
    }
  }
  zt::write_bytes(d + "/good.pkg", good);
  expect_error(pkgtool({"extract", d + "/good.pkg", "a", "/dev/full"}), "Unable to write to file full");
}

}  // namespace

namespace {

TEST(Pkgtool, AddThatCannotBeWrittenFails) {
  std::string d = zt::make_temp_dir("tool");
  std::string pkg = d + "/p.pkg";
  ASSERT_EQ(pkgtool({"create", pkg, "--block-size", "1024"}).status, 0);
  zt::write_text(d + "/big", std::string(6000, 'b'));
  // At most 2 KiB per file, and the signal that would end the program ignored:
  // the store's writes fail.
  std::string err_path = d + "/err";
  int status = zt::sh("trap '' XFSZ; ulimit -f 2; '" ZORV_BUILD_DIR "/pkgtool' add '" + pkg + "' '" + d +
                      "/big' 2>'" + err_path + "'");
  EXPECT_EQ(status, 1);
  EXPECT_NE(zt::read_text(err_path).find("Unable to write to file p.pkg"), std::string::npos)
      << zt::read_text(err_path);
}

}  // namespace
