// Path variables resolved by copies of the probe placed in temporary trees,
// and the path-text walk of FOLDER::set in process.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "folder.h"
#include "folder_test_util.h"
#include "test_support.h"

using ft::mkdirs;

namespace {

class Probe : public ft::SandboxTest {
 protected:
  void SetUp() override {
    SandboxTest::SetUp();
    h = ft::home();
    app = h + "/inst/bin";
    exe = ft::place_probe(app);
  }
  // Runs the probe with the sandbox seams first.
  std::string run(std::vector<std::string> args, int* status = nullptr) {
    std::vector<std::string> all = {"opt", opt, "tmp", shared, "mounts", box + "/no-mounts"};
    all.insert(all.end(), args.begin(), args.end());
    return ft::run_probe(exe, all, status);
  }
  std::string set(const std::string& text) { return run({"set", text}); }
  std::string h, app, exe;
};

TEST_F(Probe, AppIsTheExecutablesFolderInAnyCase) {
  EXPECT_EQ("1 " + app + "\n", set("$APP"));
  EXPECT_EQ("1 " + app + "\n", set("$base"));
  mkdirs(app + "/Skins");
  EXPECT_EQ("1 " + app + "/Skins\n", set("$app/Skins"));
}

TEST_F(Probe, AppDataPrefersTheSystemSharedFolder) {
  mkdirs(h + "/inst/data");
  mkdirs(opt + "/path_probe/shared");
  EXPECT_EQ("1 " + opt + "/path_probe/shared\n", set("$APPDATA"));
}

TEST_F(Probe, AppDataSearchesUpwardsForTheNearestData) {
  struct Case {
    std::vector<std::string> data_folders;
    std::string expected;  // empty: not found
  } cases[] = {
      {{"inst/bin/data", "inst/data", "data"}, "inst/bin/data"},
      {{"inst/data", "data"}, "inst/data"},
      {{"data"}, "data"},
      {{}, ""},
  };
  for (const Case& c : cases) {
    system(("rm -rf '" + h + "/data' '" + h + "/inst/data' '" + app + "/data'").c_str());
    for (const auto& d : c.data_folders) mkdirs(h + "/" + d);
    // A "data" folder above the home folder is never reached.
    mkdirs(box + "/data");
    std::string expected = c.expected.empty() ? "0 " + app : "1 " + h + "/" + c.expected;
    EXPECT_EQ(expected + "\n", set("$APPDATA")) << c.expected;
  }
}

TEST_F(Probe, DataSearchStopsAtTheTemporaryFolder) {
  // The program lies inside its own temporary folder <tmp>/path_probe.
  std::string temp = shared + "/path_probe";
  std::string inside = ft::place_probe(temp + "/app/bin");
  mkdirs(shared + "/data");
  std::vector<std::string> args = {"opt", opt, "tmp", shared, "set", "$APPDATA"};
  EXPECT_EQ("0 " + temp + "/app/bin\n", ft::run_probe(inside, args));
  mkdirs(temp + "/data");
  EXPECT_EQ("1 " + temp + "/data\n", ft::run_probe(inside, args));
}

TEST_F(Probe, TempFolder) {
  // Without <home>/tmp: a private folder below the shared one. Naming it
  // makes it, so a folder set to it can be entered and written to at once;
  // what was written stays, and so do the folders that hold it.
  struct Case {
    std::vector<std::string> commands;
    std::string printed, written;
  } cases[] = {
      {{"set", "$TEMP", "enter", "big", "write", "x"}, "1 %/path_probe\n1 %/path_probe/big\n1\n", "big/x"},
      {{"set", "$temp", "write", "x"}, "1 %/path_probe\n1\n", "x"},
      {{"set", "$TEMP/", "enter", "a", "enter", "b", "write", "x"},
       "1 %/path_probe\n1 %/path_probe/a\n1 %/path_probe/a/b\n1\n", "a/b/x"},
  };
  for (const std::string& root : {shared, h + "/tmp"}) {
    if (root != shared) mkdirs(root);
    for (const Case& c : cases) {
      system(("rm -rf '" + root + "/path_probe'").c_str());
      std::string printed = c.printed;
      for (size_t at; (at = printed.find('%')) != std::string::npos;) printed.replace(at, 1, root);
      EXPECT_EQ(printed, run(c.commands)) << c.commands[1];
      EXPECT_TRUE(zt::file_exists(root + "/path_probe/" + c.written)) << c.written;
    }
  }
}

// What a run leaves in the temporary roots (the shared one and <home>/tmp).
std::string left_in(const std::string& dir) {
  std::string out;
  zt::sh("cd '" + dir + "' && find . -mindepth 1 | sort", &out);
  return out;
}

// What a run made for "$TEMP" goes at its end while empty: resolving it,
// tracing it, making or entering folders in it or naming it under the
// installation's own name leaves nothing.
TEST_F(Probe, ARunLeavesNoEmptyTemporaryFolderOfItsOwn) {
  mkdirs(h + "/inst/data");
  struct Case {
    const char* what;
    std::vector<std::string> commands;
    std::string printed;
  } cases[] = {
      {"named, traced and named again under another name",
       {"fonts-ready", "set", "$TEMP", "set", "$TEMP/x", "base", app, "Demo App", "set", "$TEMP", "reset-base",
        "set", "$TEMP"},
       "1 " + shared + "/path_probe\n0 " + shared + "/path_probe\n1 " + shared + "/Demo App\n1 " + shared +
           "/path_probe\n"},
      {"made to be written", {"create", "$TEMP/x/y"}, "1 " + shared + "/path_probe/x/y\n"},
      {"made by entering", {"set", "$TEMP", "enter", "big", "enter", "deeper"},
       "1 " + shared + "/path_probe\n1 " + shared + "/path_probe/big\n1 " + shared + "/path_probe/big/deeper\n"},
      {"made under the installation's name", {"base", app, "Demo App", "make", "$TEMP"}, "1 " + shared + "/Demo App\n"},
      {"made in the program's folder for an override without a name",
       {"base", app, "", "set", "$TEMP", "create", "$TEMP/x"}, "1 " + app + "/temp\n1 " + app + "/temp/x\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int status = -1;
    EXPECT_EQ(c.printed, run(c.commands, &status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(left_in(shared), "");
    EXPECT_FALSE(ft::is_dir(app + "/temp"));
  }
  // Below <home>/tmp alike.
  mkdirs(h + "/tmp");
  EXPECT_EQ("1 " + h + "/tmp/path_probe/x\n", run({"set", "$TEMP", "create", "$TEMP/x"}).substr(
                                                  ("1 " + h + "/tmp/path_probe\n").size()));
  EXPECT_EQ(left_in(h + "/tmp"), "");
  // A folder that was there before stays with what it holds; only what the
  // run made goes.
  mkdirs(h + "/tmp/path_probe/kept");
  EXPECT_EQ("1 " + h + "/tmp/path_probe/x/y\n", run({"create", "$TEMP/x/y"}));
  EXPECT_EQ(left_in(h + "/tmp"), "./path_probe\n./path_probe/kept\n");
}

TEST_F(Probe, SharedTempFolderThatIsNotPrivateIsRefused) {
  std::string planted = box + "/elsewhere";
  mkdirs(planted);
  const std::string own = shared + "/path_probe-" + std::to_string(geteuid());
  struct Case {
    const char* what;
    std::string setup;
  } cases[] = {
      {"a link", "ln -s '" + planted + "' '" + shared + "/path_probe'"},
      {"writable by others", "mkdir -m 777 '" + shared + "/path_probe'; chmod 777 '" + shared +
                                 "/path_probe'"},
      {"a file", "touch '" + shared + "/path_probe'"},
      {"owned by another user", geteuid() == 0 ? "mkdir '" + shared + "/path_probe' && chown 65534:65534 '" +
                                                     shared + "/path_probe'"
                                               : "touch '" + shared + "/path_probe'"},
  };
  // The refused name gives way to one of this user's own beside it; when
  // that is refused too, to a stand-in of a random name beside them, which
  // the program removes when it ends.
  for (const Case& c : cases) {
    system(("rm -rf '" + shared + "/path_probe' '" + own + "' '" + app + "/temp'").c_str());
    ASSERT_EQ(0, system(c.setup.c_str()));
    EXPECT_EQ("1 " + own + "\n", set("$TEMP")) << c.what;
    EXPECT_FALSE(ft::is_dir(own)) << c.what << ": made, and gone at the end";
    EXPECT_FALSE(ft::is_dir(app + "/temp"));
    system(("rm -rf '" + own + "' && ln -s '" + planted + "' '" + own + "'").c_str());
    const std::string stand_in = set("$TEMP");
    EXPECT_EQ(stand_in.rfind("1 " + own + "-", 0), 0u) << c.what << ": " << stand_in;
    EXPECT_EQ(stand_in.size(), ("1 " + own + "-XXXXXX\n").size()) << c.what << ": " << stand_in;
    EXPECT_FALSE(ft::is_dir(stand_in.substr(2, stand_in.size() - 3))) << c.what;
    EXPECT_FALSE(ft::is_dir(app + "/temp"));
  }
}

TEST_F(Probe, UserPrefsWithAndWithoutDocuments) {
  std::string config = h + "/.path_probe/config";
  // No default folder and no creation: the data search.
  mkdirs(h + "/inst/data");
  EXPECT_EQ("1 " + h + "/inst/data\n", set("$USERPREFS"));
  // Created on request; no Documents folder: the config folder itself.
  EXPECT_EQ("1 " + config + "\n", run({"make", "$USERPREFS"}));
  EXPECT_TRUE(ft::is_dir(config));
  EXPECT_EQ("1 " + config + "\n", set("$USERPREFS"));
  // With Documents the first call makes the link and answers with it; later
  // calls find the link there and answer with the config folder.
  mkdirs(h + "/Documents");
  EXPECT_EQ("1 " + h + "/Documents/path_probe\n", set("$USERPREFS"));
  EXPECT_TRUE(ft::is_link(h + "/Documents/path_probe"));
  EXPECT_EQ("1 " + config + "\n", set("$USERPREFS"));
}

TEST_F(Probe, FontData) {
  // Nothing anywhere: the font search fails.
  EXPECT_EQ("0 " + app + "\n", set("$FONTDATA"));
  mkdirs(h + "/inst/zorv_libs/data/fonts");
  EXPECT_EQ("1 " + h + "/inst/zorv_libs/data/fonts\n", set("$FONTDATA"));
  mkdirs(h + "/inst/data/fonts");
  EXPECT_EQ("1 " + h + "/inst/data/fonts\n", set("$FONTDATA"));
  mkdirs(opt + "/path_probe/data/fonts");
  EXPECT_EQ("1 " + opt + "/path_probe/data/fonts\n", set("$FONTDATA"));
  mkdirs(opt + "/path_probe/shared/fonts");
  EXPECT_EQ("1 " + opt + "/path_probe/shared/fonts\n", set("$FONTDATA"));
  mkdirs(h + "/.path_probe/data/fonts");
  EXPECT_EQ("1 " + h + "/.path_probe/data/fonts\n", set("$FONTDATA"));
}

TEST_F(Probe, RootDrives) {
  std::string table = box + "/mounts";
  mkdirs(box + "/media/usb");
  zt::write_text(table, "/dev/sdb1 " + box + "/media/usb vfat rw 0 0\n");
  std::vector<std::string> pre = {"mounts", table};
  auto root = [&](const std::string& text) {
    std::vector<std::string> a = pre;
    a.push_back("set");
    a.push_back(text);
    return run(a);
  };
  EXPECT_EQ("1 " + h + "\n", root("$ROOT0"));
  EXPECT_EQ("1 " + h + "\n", root("$ROOT"));
  EXPECT_EQ("1 " + shared + "/path_probe\n", root("$Root1"));
  EXPECT_EQ("1 /\n", root("$ROOT2"));
  EXPECT_EQ("1 " + box + "/media/usb\n", root("$ROOT3"));
  EXPECT_EQ("0 " + app + "\n", root("$ROOT4"));
}

TEST_F(Probe, BaseOverride) {
  std::string base = h + "/moved/bin";
  mkdirs(base);
  mkdirs(h + "/moved/data");
  mkdirs(opt + "/path_probe/shared");
  mkdirs(opt + "/other/shared");
  // An empty name: no default folder is consulted, only the search from the
  // base folder.
  EXPECT_EQ("1 " + base + "\n1 " + h + "/moved/data\n",
            run({"base", base, "", "set", "$APP", "set", "$APPDATA"}));
  EXPECT_EQ("1 " + opt + "/other/shared\n", run({"base", base, "other", "set", "$APPDATA"}));
  EXPECT_EQ("1 " + opt + "/path_probe/shared\n",
            run({"base", base, "", "reset-base", "set", "$APPDATA"}));
}

TEST_F(Probe, UserVariableAndUnknownVariable) {
  mkdirs(h + "/skins/a");
  EXPECT_EQ("1 " + h + "/skins/a\n", run({"define", "$SKINS", h + "/skins", "set", "$SKINS/a"}));
  int status = 0;
  zt::clear_message_box_calls();
  run({"define", "$SKINS", h + "/skins", "set", "$skins/a"}, &status);
  EXPECT_EQ(255, status);
  auto calls = zt::message_box_calls();
  ASSERT_FALSE(calls.empty());
  std::string all;
  for (const auto& a : calls.back()) all += a + " ";
  EXPECT_NE(std::string::npos, all.find("000C")) << all;
  EXPECT_NE(std::string::npos, all.find("Path type constant passed to function FOLDER::set() was invalid"))
      << all;
}

TEST_F(Probe, TraceOnceAfterFontsAndAfterEachOverride) {
  mkdirs(h + "/inst/data");
  std::string quiet = run({"trace", "set", "$APP", "set", "$APP"});
  EXPECT_EQ("1 " + app + "\n1 " + app + "\n", quiet);
  std::string out = run({"trace", "set", "$APP", "fonts-ready", "set", "$APP", "set", "$APP"});
  auto table = [&](const std::string& temp) {
    return "trace: $APP => " + app + "\n" + "trace: $SYSAPP => " + app + "\n" +
           "trace: $INSTDATA => " + h + "/inst/data\n" + "trace: $APPDATA => " + h +
           "/inst/data\n" + "trace: $USERDATA => " + h + "/inst/data\n" +
           "trace: $USERPREFS => " + h + "/inst/data\n" + "trace: $TEMP => " + temp + "\n" +
           "trace: $ROOT0 => " + h + "\n" + "trace: $FONTDATA => " + app + "\n" +
           "trace: $ICONDATA => " + app + "\n";
  };
  std::string normal = table(shared + "/path_probe");
  EXPECT_EQ("1 " + app + "\ntrace: \ntrace: Starting Default Paths:\ntrace: \n" + normal + "1 " +
                app + "\n1 " + app + "\n",
            out);
  // An override with an empty name skips every default folder, $TEMP's too.
  std::string changed = run({"trace", "base", app, "", "reset-base"});
  EXPECT_EQ("trace: \ntrace: Base Path Changed:\ntrace: \n" + table(app + "/temp") +
                "trace: \ntrace: Base Path Changed:\ntrace: \n" + normal,
            changed);
}

TEST_F(Probe, VariableForms) {
  mkdirs(h + "/inst/data/skins");
  mkdirs(h + "/work/a");
  mkdirs(h + "/.path_probe/config/x");
  EXPECT_EQ("$APP\n", run({"varform", "$APP"}));
  // $APPDATA is $APP's neighbour here.
  EXPECT_EQ("$APPDATA/skins\n", run({"varform", "$APPDATA/skins"}));
  EXPECT_EQ("$ROOT0/work/a\n", run({"varform", "$ROOT0/work/a"}));
  // Below $USERPREFS: through the home folder.
  EXPECT_EQ("$ROOT0/.path_probe/config/x\n", run({"varform", "$ROOT0/.path_probe/config/x"}));
  EXPECT_EQ("$TEMP\n", run({"varform", "$TEMP"}));
  EXPECT_EQ("$ROOT2/usr/share\n", run({"varform", "$ROOT2/usr/share"}));
  EXPECT_EQ("$ROOT2\n", run({"varform", "$ROOT2"}));
  // When the fallback makes $APPDATA the same folder as $APP, $APP wins.
  system(("rm -rf '" + h + "/inst/data'").c_str());
  mkdirs(app + "/sub");
  EXPECT_EQ("$APP\n", run({"varform", "$APP"}));
  EXPECT_EQ("$APP/sub\n", run({"varform", "$APP/sub"}));
}

TEST_F(Probe, ExpandPathText) {
  mkdirs(h + "/inst/data");
  EXPECT_EQ(h + "/inst/x\n", run({"expand", "$APPDATA/../x"}));
  EXPECT_EQ(app + "/a/b\n", run({"expand", "a//b/"}));
  EXPECT_EQ("/usr\n", run({"expand", "$ROOT2/usr"}));
  EXPECT_EQ(h + "/inst/x/y\n", run({"expand-name", "$APPDATA/../x", "y"}));
  // A variable that names no folder shows as "$APP" and never ends the
  // program: unknown, or "$HERE" without a base.
  int status = -1;
  EXPECT_EQ(app + "/My App\n" + app + "/x\n" + app + "/f\n",
            run({"expand", "$TARGET/My App", "expand", "$HERE/x", "expand-name", "a/$nothing", "f"},
                &status));
  EXPECT_EQ(0, status);
}

// In process: the walk over the segments of a path text, from a user
// variable so that nothing depends on where the test program lies.
class SetWalk : public ft::SandboxTest {
 protected:
  void SetUp() override {
    SandboxTest::SetUp();
    root = zt::make_temp_dir("walk");
    mkdirs(root + "/a/b");
    FOLDER r = ft::at(root);
    ASSERT_TRUE(define_variable("$T", &r));
  }
  std::string root;
};

TEST_F(SetWalk, Segments) {
  FOLDER app(FOLDER::UNSET{});
  app.set("$APP");
  std::string long_name(256, 'n');
  mkdirs(root + "/" + std::string(255, 'm'));
  struct Case {
    std::string text;
    bool ok;
    std::string path;  // "$APP" for the application folder
  } cases[] = {
      {"$T//a///b/", true, root + "/a/b"},
      {"$T/", true, root},
      {"$T/a/b/../..", true, root},
      {"$T/a/./b", true, root + "/a/b"},
      {"$T/a/missing/b", false, root + "/a"},
      {"$T/" + std::string(255, 'm'), true, root + "/" + std::string(255, 'm')},
      {"$T/" + long_name, false, root},
      {"/usr/share", false, "$APP"},
      {"x/y", false, "$APP"},
      {"./x", false, "$APP"},
      {"", false, "$APP"},
  };
  for (const Case& c : cases) {
    FOLDER f(FOLDER::UNSET{});
    EXPECT_EQ(c.ok, f.set(c.text.c_str())) << c.text;
    EXPECT_STREQ(c.path == "$APP" ? app.path : c.path.c_str(), f.path) << c.text;
  }
  FOLDER f = ft::at(root + "/a/b");
  EXPECT_TRUE(f.set("../b/..")) << "two dots from the current folder";
  EXPECT_STREQ((root + "/a").c_str(), f.path);
  EXPECT_FALSE(f.set(nullptr));
  EXPECT_STREQ((root + "/a").c_str(), f.path);
}

TEST_F(SetWalk, HereAndCreate) {
  FOLDER here = ft::at(root + "/a");
  FOLDER f = ft::at(root);
  EXPECT_TRUE(f.set("$HERE/b", 0, &here));
  EXPECT_STREQ((root + "/a/b").c_str(), f.path);
  // No here-folder: relative to the current path.
  EXPECT_TRUE(f.set("$HERE/.."));
  EXPECT_STREQ((root + "/a").c_str(), f.path);
  // Creation one level per segment.
  EXPECT_FALSE(f.set("$T/c/d"));
  EXPECT_STREQ(root.c_str(), f.path);
  EXPECT_TRUE(f.set("$T/c/d", 1));
  EXPECT_TRUE(ft::is_dir(root + "/c/d"));
  FOLDER t(FOLDER::UNSET{});
  EXPECT_TRUE(t.set("$TEMP/x/y", 1));
  EXPECT_EQ(shared + "/test_core_path_variables/x/y", std::string(t.path));
}

TEST_F(SetWalk, DefineUndefine) {
  FOLDER a = ft::at(root + "/a");
  FOLDER f(FOLDER::UNSET{});
  ASSERT_TRUE(define_variable("$T", &a));  // redefinition replaces
  EXPECT_TRUE(f.set("$T/b"));
  EXPECT_STREQ((root + "/a/b").c_str(), f.path);
  ASSERT_TRUE(define_variable("$U", &a));
  undefine_variable("$T");
  EXPECT_TRUE(f.set("$U"));
  EXPECT_STREQ((root + "/a").c_str(), f.path);
  undefine_variable("$nothing");
  zt::ChildResult r = zt::run_in_child([] {
    FOLDER g(FOLDER::UNSET{});
    g.set("$T/b");
  });
  EXPECT_EQ(255, r.status) << "an undefined variable is an unknown one";
}

TEST_F(SetWalk, BasePathGetter) {
  FOLDER base = ft::at(root + "/a");
  set_base_path(&base, "some name");
  FOLDER out(FOLDER::UNSET{});
  char name[5];
  get_base_path(&out, name, sizeof name);
  EXPECT_STREQ(base.path, out.path);
  EXPECT_STREQ("some", name);
  FOLDER f(FOLDER::UNSET{});
  f.set("$APP");
  EXPECT_STREQ(base.path, f.path);
  reset_base_path();
  f.set("$APP");
  EXPECT_STRNE(base.path, f.path);
  set_icon_path(&base);
  EXPECT_TRUE(f.set("$ICONDATA"));
  EXPECT_STREQ(base.path, f.path);
  reset_icon_path();
  get_icon_folder(&out);
  EXPECT_STREQ(base.path, out.path);
}

}  // namespace

namespace {

TEST_F(SetWalk, BaseOverrideWithoutAFolderKeepsTheExecutablesFolder) {
  set_base_path(nullptr, "");
  FOLDER f(FOLDER::UNSET{}), exe(FOLDER::UNSET{});
  EXPECT_TRUE(f.set("$APP"));
  exe.set_platform_default(0, nullptr, 0);
  EXPECT_STREQ(exe.path, f.path);
  reset_base_path();
}

}  // namespace
