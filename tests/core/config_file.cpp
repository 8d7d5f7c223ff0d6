// Configuration files: exact bytes in both modes, encodings, numbers, and
// files that must not be lost.
#include "config_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "errors.h"
#include "test_support.h"

namespace {

struct Dir {
  std::string path;
  FOLDER folder{FOLDER::UNSET()};
  Dir() : path(zt::make_temp_dir("cfg")) { EXPECT_TRUE(folder.set_if_directory(path.c_str())); }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
  std::vector<std::string> names() const {
    std::string out;
    zt::sh("ls -A '" + path + "'", &out);
    std::vector<std::string> result;
    size_t start = 0;
    for (size_t nl; (nl = out.find('\n', start)) != std::string::npos; start = nl + 1)
      result.push_back(out.substr(start, nl - start));
    return result;
  }
};

std::string get(CONFIG_FILE& c, Dir& d, const char* id) {
  char value[CONFIG_VALUE_SIZE] = "untouched";
  if (!c.get_string(&d.folder, id, value)) return "<" + std::to_string(last_error_code) + ">";
  return value;
}

TEST(ConfigFile, CachedModeWritesEntriesInFileOrder) {
  Dir d;
  zt::write_text(d / "s.cfg", "# comment\n\nzeta\n\tlast\nalpha\n   first\n");
  CONFIG_FILE c("s.cfg");
  EXPECT_TRUE(c.set_string(&d.folder, "beta", "new"));
  EXPECT_TRUE(c.set_string(&d.folder, "alpha", "changed"));
  EXPECT_TRUE(c.set_string(&d.folder, "empty", nullptr));
  EXPECT_EQ(zt::read_text(d / "s.cfg"), "zeta\n\tlast\nalpha\n\tchanged\nbeta\n\tnew\nempty\n\t\n");
  EXPECT_EQ(get(c, d, "empty"), "");
  EXPECT_EQ(d.names(), std::vector<std::string>{"s.cfg"});
}

TEST(ConfigFile, FourLineFileInBothModes) {
  const std::string original = "# comment\n\n  key\n   value\n";
  for (INT_U8 cached : {1, 0}) {
    Dir d;
    zt::write_text(d / "f.cfg", original);
    CONFIG_FILE c("f.cfg", cached);
    EXPECT_EQ(get(c, d, "key"), "value");
    EXPECT_TRUE(c.set_string(&d.folder, "key", "new"));
    EXPECT_EQ(zt::read_text(d / "f.cfg"), cached ? "key\n\tnew\n" : "# comment\n\nkey\n\tnew\n");
    EXPECT_EQ(d.names(), std::vector<std::string>{"f.cfg"});
  }
}

TEST(ConfigFile, ReadsCrLfAndSixteenBitFiles) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"CR LF", {'a', '\r', '\n', '\t', 'x', '\r', '\n', 'b', '\r', '\n', ' ', 'y', 'z', '\r', '\n'}},
      {"UTF-16 host order", {0xFF, 0xFE, 'a', 0, '\n', 0, '\t', 0, 'x', 0, '\n', 0, 'b', 0, '\n', 0, 'y', 0, 'z', 0}},
      {"UTF-16 swapped", {0xFE, 0xFF, 0, 'a', 0, '\r', 0, '\n', 0, 'x', 0, '\r', 0, '\n', 0, 'b', 0, '\r', 0, '\n', 0, 'y', 0, 'z'}},
  };
  for (const Case& k : cases) {
    for (INT_U8 cached : {1, 0}) {
      Dir d;
      zt::write_bytes(d / "u.cfg", k.bytes);
      CONFIG_FILE c("u.cfg", cached);
      EXPECT_EQ(get(c, d, "a"), "x") << k.what;
      EXPECT_EQ(get(c, d, "b"), "yz") << k.what;
      // Written back as UTF-8 without a mark.
      EXPECT_TRUE(c.set_string(&d.folder, "a", "\x01,0416"));
      std::string expected = cached ? "a\n\t\xD0\x96\nb\n\tyz\n" : "a\n\t\xD0\x96\nb\n\tyz\n";
      EXPECT_EQ(zt::read_text(d / "u.cfg"), expected) << k.what;
    }
  }
}

TEST(ConfigFile, WideFirstCharacterOfAValueKeepsItsEscape) {
  Dir d;
  zt::write_text(d / "w.cfg", "one\n\t\xD0\x96x\ntwo\n  \xD0\x96\xD0\x96\nthree\n\xD0\x96\n");
  for (INT_U8 cached : {1, 0}) {
    CONFIG_FILE c("w.cfg", cached);
    EXPECT_EQ(get(c, d, "one"), "\x01,0416\x01x");
    EXPECT_EQ(get(c, d, "two"), "\x01,0416,0416");
    EXPECT_EQ(get(c, d, "three"), "\x01,0416");
  }
}

TEST(ConfigFile, NumbersAreThirtyTwoBit) {
  Dir d;
  CONFIG_FILE c("n.cfg");
  struct Case {
    INT_S32 value;
    INT_U8 hex;
    const char* text;
  } cases[] = {{-1, 1, "FFFFFFFF"}, {255, 1, "FF"}, {-1, 0, "-1"}, {2147483647, 0, "2147483647"},
               {INT32_MIN, 1, "80000000"}, {0, 1, "0"}};
  for (const Case& k : cases) {
    ASSERT_TRUE(c.set_long(&d.folder, "n", k.value, k.hex));
    EXPECT_EQ(get(c, d, "n"), k.text);
    INT_S32 back = 12345;
    EXPECT_TRUE(c.get_long(&d.folder, "n", &back, k.hex));
    EXPECT_EQ(back, k.value) << k.text;
  }
  // Hex text read as decimal is no number: success, output unchanged.
  ASSERT_TRUE(c.set_long(&d.folder, "h", 255, 1));
  INT_S32 out = 77;
  EXPECT_TRUE(c.get_long(&d.folder, "h", &out, 0));
  EXPECT_EQ(out, 77);
  EXPECT_FALSE(c.get_long(&d.folder, "missing", &out, 0));
  EXPECT_EQ(out, 77);
}

TEST(ConfigFile, LookupErrors) {
  Dir d;
  std::string long_id(100, 'i');
  zt::write_text(d / "e.cfg", "good\n\tyes\n" + long_id + "\n\tv\nlast_without_value\n");
  for (INT_U8 cached : {1, 0}) {
    CONFIG_FILE c("e.cfg", cached);
    EXPECT_EQ(get(c, d, "good"), "yes");
    EXPECT_EQ(get(c, d, long_id.c_str()), cached ? "<256>" : "<257>");
    EXPECT_EQ(get(c, d, long_id.substr(0, 79).c_str()), "v");
    EXPECT_EQ(get(c, d, ""), "<4097>");
    EXPECT_EQ(get(c, d, nullptr), "<4097>");
    EXPECT_EQ(get(c, d, "nope"), cached ? "<256>" : "<257>");
    EXPECT_EQ(get(c, d, "last_without_value"), cached ? "<256>" : "<257>");
  }
}

// Identifiers that could never be read back are refused, in both modes,
// and nothing is added: the file reads back exactly as it was.
TEST(ConfigFile, IdentifiersThatCannotBeReadBackAreRefused) {
  const std::string original = "a\n\t1\nb\n\t2\n";
  for (INT_U8 cached : {1, 0}) {
    Dir d;
    zt::write_text(d / "r.cfg", original);
    CONFIG_FILE c("r.cfg", cached);
    for (const std::string& id : {std::string(80, 'i'), std::string(200, 'j'), std::string("#a"),
                                  std::string(" a"), std::string("\ta"), std::string("a\nb"),
                                  std::string("a\r"), std::string("")}) {
      for (int call = 0; call < 2; call++) {
        EXPECT_FALSE(c.set_string(&d.folder, id.c_str(), "x")) << id.size() << " " << int(cached);
        EXPECT_EQ(last_error_code, 4097);
      }
    }
    EXPECT_FALSE(c.set_long(&d.folder, "#n", 5, 0));
    EXPECT_EQ(zt::read_text(d / "r.cfg"), original);
    // The longest identifier that fits still works.
    const std::string longest(79, 'k');
    EXPECT_TRUE(c.set_string(&d.folder, longest.c_str(), "v"));
    CONFIG_FILE fresh("r.cfg", cached);
    EXPECT_EQ(get(fresh, d, longest.c_str()), "v");
    EXPECT_EQ(get(fresh, d, "b"), "2");
  }
}

TEST(ConfigFile, MissingFiles) {
  Dir d;
  CONFIG_FILE cached("c.cfg", 1);
  EXPECT_EQ(get(cached, d, "x"), "<4098>");
  EXPECT_STREQ(last_error_argument, "c.cfg");
  EXPECT_FALSE(cached.exists(&d.folder));
  EXPECT_TRUE(cached.set_string(&d.folder, "x", "1"));
  EXPECT_EQ(zt::read_text(d / "c.cfg"), "x\n\t1\n");
  EXPECT_TRUE(cached.exists(&d.folder));

  CONFIG_FILE direct("d.cfg", 0);
  EXPECT_EQ(get(direct, d, "x"), "<4098>");
  EXPECT_TRUE(direct.set_string(&d.folder, "x", "2"));
  EXPECT_EQ(zt::read_text(d / "d.cfg"), "x\n\t2\n");
  EXPECT_EQ(d.names(), (std::vector<std::string>{"c.cfg", "d.cfg"}));
}

TEST(ConfigFile, DuplicateIdentifiersInDirectMode) {
  Dir d;
  zt::write_text(d / "dup.cfg", "k\n\tfirst\nother\n\to\nk\n\tsecond\n");
  CONFIG_FILE c("dup.cfg", 0);
  EXPECT_EQ(get(c, d, "k"), "first");
  EXPECT_TRUE(c.set_string(&d.folder, "k", "both"));
  EXPECT_EQ(zt::read_text(d / "dup.cfg"), "k\n\tboth\nother\n\to\nk\n\tboth\n");
}

TEST(ConfigFile, LineBreaksInAValueCannotMakeNewEntries) {
  Dir d;
  for (INT_U8 cached : {1, 0}) {
    CONFIG_FILE c(cached ? "a.cfg" : "b.cfg", cached);
    EXPECT_TRUE(c.set_string(&d.folder, "k", "v\ninjected\n\tevil"));
    EXPECT_EQ(zt::read_text(d / (cached ? "a.cfg" : "b.cfg")), "k\n\tv\n");
  }
}

std::vector<std::string> visited;
void visit(const char* id, const char* value, INT_WORD arg) {
  visited.push_back(std::string(id) + "=" + value + "/" + std::to_string(word_to_s32(arg)));
}

TEST(ConfigFile, ForEachEntry) {
  Dir d;
  zt::write_text(d / "v.cfg", "b\n\t2\na\n\t1\n");
  visited.clear();
  CONFIG_FILE cached("v.cfg", 1);
  cached.for_each_entry(&d.folder, visit, 5);
  EXPECT_EQ(visited, (std::vector<std::string>{"a=1/5", "b=2/5"}));
  visited.clear();
  CONFIG_FILE direct("v.cfg", 0);
  direct.for_each_entry(&d.folder, visit, 6);
  EXPECT_EQ(visited, (std::vector<std::string>{"b=2/6", "a=1/6"}));
  direct.for_each_entry(&d.folder, nullptr, 0);
  EXPECT_EQ(last_error_code, 4099);
}

// Runs fn in a child that may write at most `limit` bytes to any file.
void with_file_size_limit(rlim_t limit, const std::function<void()>& fn) {
  zt::ChildResult r = zt::run_in_child([&] {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {limit, limit};
    setrlimit(RLIMIT_FSIZE, &rl);
    fn();
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  });
  EXPECT_EQ(r.status, 0) << r.out << r.err;
}

TEST(ConfigFile, AFullDiskKeepsTheOldFile) {
  std::string original;
  for (int i = 0; i < 20; i++) original += "key" + std::to_string(i) + "\n\tvalue " + std::to_string(i) + "\n";
  for (INT_U8 cached : {1, 0}) {
    Dir d;
    zt::write_text(d / "big.cfg", original);
    with_file_size_limit(64, [&] {
      CONFIG_FILE c("big.cfg", cached);
      EXPECT_FALSE(c.set_string(&d.folder, "key3", "changed"));
      EXPECT_EQ(last_error_code, 4098);
      // The table still holds the change for the next lookup.
      if (cached) {
        EXPECT_EQ(get(c, d, "key3"), "changed");
      }
    });
    EXPECT_EQ(zt::read_text(d / "big.cfg"), original);
    EXPECT_EQ(d.names(), std::vector<std::string>{"big.cfg"});
  }
}

TEST(ConfigFile, UnreadableFileIsNeverRewritten) {
  Dir d;
  zt::write_text(d / "locked.cfg", "a\n\t1\nb\n\t2\n");
  chmod((d / "locked.cfg").c_str(), 0200);
  auto body = [&] {
    for (INT_U8 cached : {1, 0}) {
      CONFIG_FILE c("locked.cfg", cached);
      EXPECT_FALSE(c.set_string(&d.folder, "a", "lost?"));
      EXPECT_EQ(last_error_code, 4098);
    }
  };
  if (geteuid() == 0) {
    chmod(zt::sandbox().c_str(), 0755);
    chmod(d.path.c_str(), 0777);
    zt::ChildResult r = zt::run_in_child([&] {
      if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
      body();
      _exit(::testing::Test::HasFailure() ? 1 : 0);
    });
    EXPECT_EQ(r.status, 0) << r.out << r.err;
  } else {
    body();
  }
  chmod((d / "locked.cfg").c_str(), 0600);
  EXPECT_EQ(zt::read_text(d / "locked.cfg"), "a\n\t1\nb\n\t2\n");
}

TEST(ConfigFile, AFolderInPlaceOfTheFileIsAnErrorNotAHang) {
  Dir d;
  ASSERT_EQ(mkdir((d / "dir.cfg").c_str(), 0755), 0);
  zt::ChildResult r = zt::run_in_child(
      [&] {
        for (INT_U8 cached : {1, 0}) {
          CONFIG_FILE c("dir.cfg", cached);
          char value[CONFIG_VALUE_SIZE];
          EXPECT_FALSE(c.get_string(&d.folder, "a", value));
          EXPECT_FALSE(c.set_string(&d.folder, "a", "1"));
        }
        _exit(::testing::Test::HasFailure() ? 1 : 0);
      },
      10);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  struct stat st;
  ASSERT_EQ(stat((d / "dir.cfg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST(ConfigFile, ReplacementKeepsTheFileMode) {
  Dir d;
  zt::write_text(d / "m.cfg", "a\n\t1\n");
  chmod((d / "m.cfg").c_str(), 0640);
  CONFIG_FILE c("m.cfg");
  ASSERT_TRUE(c.set_string(&d.folder, "a", "2"));
  struct stat st;
  ASSERT_EQ(stat((d / "m.cfg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// Runs body as the unprivileged user 65534 when the tests run as root.
void as_nobody(const std::function<void()>& body) {
  if (geteuid() != 0) {
    body();
    return;
  }
  zt::ChildResult r = zt::run_in_child([&] {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    body();
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  });
  EXPECT_EQ(r.status, 0) << r.out << r.err;
}

struct Owner {
  uid_t uid;
  gid_t gid;
  mode_t mode;
  bool operator==(const Owner& o) const { return uid == o.uid && gid == o.gid && mode == o.mode; }
};
Owner owner_of(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return {0, 0, 0};
  return {st.st_uid, st.st_gid, st.st_mode & 07777};
}

// Whoever rewrites a settings file, it stays its owner's, in both modes.
TEST(ConfigFile, RewriteKeepsOwnerAndGroup) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give the file to another user";
  for (INT_U8 cached : {1, 0}) {
    Dir d;
    zt::write_text(d / "user.cfg", "a\n\t1\n");
    ASSERT_EQ(chown((d / "user.cfg").c_str(), 65534, 65534), 0);
    chmod((d / "user.cfg").c_str(), 0640);
    CONFIG_FILE c("user.cfg", cached);
    ASSERT_TRUE(c.set_string(&d.folder, "a", "2"));
    EXPECT_EQ(owner_of(d / "user.cfg"), (Owner{65534, 65534, 0640})) << int(cached);
    EXPECT_EQ(zt::read_text(d / "user.cfg"), "a\n\t2\n");
    EXPECT_EQ(d.names(), std::vector<std::string>{"user.cfg"});
  }
}

// A file the user may write keeps working where no file can be added beside
// it, or where a new file would not be the old one's owner's: it is rewritten
// in place.
TEST(ConfigFile, WritableFileWithoutAReplacementIsRewrittenInPlace) {
  chmod(zt::sandbox().c_str(), 0755);
  struct Case {
    mode_t folder_mode;
    uid_t file_owner;
  } cases[] = {{0755, 65534}, {0777, 0}};
  for (const Case& k : cases) {
    Dir d;
    chmod(d.path.c_str(), k.folder_mode);
    zt::write_text(d / "s.cfg", "# keep\na\n\t1\nb\n\t2\n");
    chmod((d / "s.cfg").c_str(), 0666);
    if (geteuid() == 0) {
      ASSERT_EQ(chown((d / "s.cfg").c_str(), k.file_owner, k.file_owner), 0);
    }
    const Owner before = owner_of(d / "s.cfg");
    as_nobody([&] {
      CONFIG_FILE direct("s.cfg", 0);
      EXPECT_TRUE(direct.set_string(&d.folder, "b", "changed")) << last_error_code;
      CONFIG_FILE cached("s.cfg", 1);
      EXPECT_TRUE(cached.set_string(&d.folder, "c", "3")) << last_error_code;
    });
    EXPECT_EQ(zt::read_text(d / "s.cfg"), "a\n\t1\nb\n\tchanged\nc\n\t3\n") << k.folder_mode;
    EXPECT_EQ(owner_of(d / "s.cfg"), before);
    EXPECT_EQ(d.names(), std::vector<std::string>{"s.cfg"});
  }
}

TEST(ConfigFile, ALinkStaysALinkAndItsFileIsReplaced) {
  Dir d, elsewhere;
  zt::write_text(elsewhere / "real.cfg", "a\n\t1\n");
  ASSERT_EQ(symlink((elsewhere / "real.cfg").c_str(), (d / "link.cfg").c_str()), 0);
  for (INT_U8 cached : {1, 0}) {
    CONFIG_FILE c("link.cfg", cached);
    ASSERT_TRUE(c.set_string(&d.folder, "a", cached ? "2" : "3"));
    struct stat st;
    ASSERT_EQ(lstat((d / "link.cfg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(zt::read_text(elsewhere / "real.cfg"), cached ? "a\n\t2\n" : "a\n\t3\n");
  }
  EXPECT_EQ(d.names(), std::vector<std::string>{"link.cfg"});
  EXPECT_EQ(elsewhere.names(), std::vector<std::string>{"real.cfg"});
}

TEST(ConfigFile, DefaultsAndInit) {
  FOLDER prefs{FOLDER::UNSET()};
  ASSERT_TRUE(prefs.set("$USERPREFS", 0, nullptr, 1));
  CONFIG_FILE c;
  EXPECT_STREQ(c.name, "settings");
  EXPECT_EQ(c.cached, 1);
  EXPECT_TRUE(c.folder.equals(&prefs));
  Dir d;
  zt::write_text(d / "one.cfg", "k\n\t1\n");
  zt::write_text(d / "two.cfg", "k\n\t2\n");
  c.init("one.cfg", 1);
  EXPECT_EQ(get(c, d, "k"), "1");
  c.init("two.cfg", 0);
  EXPECT_EQ(get(c, d, "k"), "2");
}

}  // namespace
