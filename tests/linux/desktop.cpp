#include "desktop.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "folder.h"
#include "test_support.h"

namespace {

// Stand-in programs record each call as one line: the program's name, then
// every argument in brackets, so word splitting is visible.
// The line is written at once: programs started in the background may
// record at the same time.
const char* kRecorder =
    "#!/bin/sh\n"
    "line=$(basename \"$0\"); for a in \"$@\"; do line=\"$line [$a]\"; done\n"
    "printf '%%s\\n' \"$line\" >> '%s'\n";

class Desktop : public ::testing::Test {
 protected:
  void SetUp() override {
    home = getenv("HOME");
    bin = zt::make_temp_dir("bin");
    saved = zt::make_temp_dir("saved");
    log = zt::sandbox() + "/calls.log";
    sysmenu = zt::make_temp_dir("sysmenu");
    mkdir((home + "/Desktop").c_str(), 0755);
    standin("update-menus");
    standin("konqueror");
    standin("gnome-open");
    standin("kfmclient");
    standin("browser");
    standin("rm", "exec /bin/rm \"$@\"\n");
    // The menu tool also keeps a copy of each file it is given and notes the
    // mode of the folder that holds them.
    standin("xdg-desktop-menu",
            "for a in \"$@\"; do [ -f \"$a\" ] && cp \"$a\" '" + saved +
                "'/ && stat -c 'mode %a' \"$(dirname \"$a\")\" >> '" + saved +
                "/modes'; done\n");
    paths = {bin + "/xdg-desktop-menu", bin + "/update-menus", bin + "/rm", sysmenu,
             "$BROWSER", bin + "/kfmclient exec", bin + "/gnome-open", bin + "/konqueror"};
    desktop_programs = {paths[0].c_str(), paths[1].c_str(), paths[2].c_str(), paths[3].c_str(),
                        paths[4].c_str(), paths[5].c_str(), paths[6].c_str(), paths[7].c_str()};
  }

  void standin(const std::string& name, const std::string& more = "") {
    char head[1024];
    snprintf(head, sizeof head, kRecorder, log.c_str());
    std::string path = bin + "/" + name;
    zt::write_text(path, head + more);
    chmod(path.c_str(), 0755);
  }

  std::vector<std::string> calls() {
    std::vector<std::string> lines;
    std::string text = zt::read_text(log), line;
    for (char c : text) {
      if (c == '\n') {
        lines.push_back(line);
        line.clear();
      } else {
        line += c;
      }
    }
    return lines;
  }

  // Programs started in the background: wait for their line.
  std::vector<std::string> wait_calls(size_t count) {
    for (int i = 0; i < 200 && calls().size() < count; i++)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return calls();
  }

  std::string home, bin, saved, log, sysmenu;
  std::vector<std::string> paths;
};

FOLDER folder_at(const std::string& path) {
  FOLDER folder;
  snprintf(folder.path, sizeof folder.path, "%s", path.c_str());
  return folder;
}

TEST_F(Desktop, ApplicationShortcutByteForByte) {
  create_desktop_shortcut(1, "/opt/game/run", nullptr, "My App 2.0", nullptr, nullptr, nullptr);
  EXPECT_EQ(zt::read_text(home + "/Desktop/My_App_2_0.desktop"),
            "[Desktop Entry]\n"
            "Encoding=UTF-8\n"
            "Value=1.0\n"
            "Type=Application\n"
            "Name=My App 2.0\n"
            "Comment=My App 2.0\n"
            "Exec=\"/opt/game/run\" \n"
            "Icon=\n");
  EXPECT_TRUE(calls().empty());
}

TEST_F(Desktop, ShortcutKinds) {
  FOLDER icons = folder_at("/usr/share/icons/");
  FOLDER target = folder_at("/opt/my game");
  struct Case {
    int kind;
    const char* name;
    const char* arguments;
    FOLDER* icon_folder;
    const char* icon;
    FOLDER* target_folder;
    const char* expected;
  } cases[] = {
      {1, "run", "-w -f", &icons, "game.png", &target,
       "[Desktop Entry]\nEncoding=UTF-8\nValue=1.0\nType=Application\nName=T\nComment=T\n"
       "Exec=\"/opt/my game/run\" -w -f\nIcon=/usr/share/icons/game.png\n"},
      {2, "http://example.org/a b", nullptr, nullptr, nullptr, nullptr,
       "[Desktop Entry]\nEncoding=UTF-8\nValue=1.0\nType=Link\nName=T\nIcon=www\n"
       "URL=\"http://example.org/a b\" \n"},
      {3, "readme.txt", nullptr, &icons, nullptr, &target,
       "[Desktop Entry]\nEncoding=UTF-8\nValue=1.0\nType=Link\nName=T\nIcon=ascii\n"
       "URL=\"/opt/my game/readme.txt\" \n"},
      {3, "readme.txt", nullptr, nullptr, "icon", nullptr,
       "[Desktop Entry]\nEncoding=UTF-8\nValue=1.0\nType=Link\nName=T\nIcon=ascii\n"
       "URL=\"readme.txt\" \n"},
      {0, "x", nullptr, nullptr, nullptr, nullptr, ""},
      {9, "x", nullptr, nullptr, nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    create_desktop_shortcut(c.kind, c.name, c.arguments, "T", c.icon_folder, c.icon,
                            c.target_folder);
    EXPECT_EQ(zt::read_text(home + "/Desktop/T.desktop"), c.expected);
  }
}

TEST_F(Desktop, HostileTextsCannotBreakTheEntry) {
  FOLDER target = folder_at("/opt/a \"q\" $HOME `id` \\x 50%");
  create_desktop_shortcut(1, "run", "--name=\"x y\" `id` a\nb", "Bad\nTitle\\", nullptr, nullptr,
                          &target);
  EXPECT_EQ(zt::read_text(home + "/Desktop/Bad_Title_.desktop"),
            "[Desktop Entry]\nEncoding=UTF-8\nValue=1.0\nType=Application\n"
            "Name=Bad\\nTitle\\\\\nComment=Bad\\nTitle\\\\\n"
            "Exec=\"/opt/a \\\\\"q\\\\\" \\\\$HOME \\\\`id\\\\` \\\\\\\\x 50%%/run\" "
            "\"--name=x y\" \"\\\\`id\\\\`\" a b\n"
            "Icon=\n");
}

TEST_F(Desktop, NoDesktopFolderWritesNothing) {
  rmdir((home + "/Desktop").c_str());
  create_desktop_shortcut(1, "run", nullptr, "My App", nullptr, nullptr, nullptr);
  EXPECT_FALSE(zt::file_exists(home + "/Desktop"));
}

TEST_F(Desktop, MenuLineFallsBackToHomeWithoutTheMenuTool) {
  paths[0] = bin + "/missing-xdg-desktop-menu";
  paths[3] = zt::sandbox() + "/no/such/folder";
  desktop_programs.xdg_desktop_menu = paths[0].c_str();
  desktop_programs.system_menu_folder = paths[3].c_str();
  create_os_menu_shortcut(1, "run", nullptr, "My App 2.0", "Games", nullptr, nullptr, nullptr);
  EXPECT_EQ(zt::read_text(home + "/.menu/local.My_App_2_0.desktop"),
            "?package(local.My_App_2_0): command=\"run \" icon=\"exec\" section=\"Games\" "
            "title=\"My App 2.0\" needs=\"x11\" startup_notify=\"true\"\n");
  EXPECT_EQ(calls(), std::vector<std::string>{"update-menus"});
}

TEST_F(Desktop, MenuEntryThroughTheMenuTool) {
  FOLDER target = folder_at("/opt/my game/");
  create_os_menu_shortcut(1, "run", "-f", "My App 2.0", "Games/Puzzles", nullptr, nullptr,
                          &target);
  EXPECT_EQ(zt::read_text(sysmenu + "/local.My_App_2_0.desktop"),
            "?package(local.My_App_2_0): command=\"\\\"/opt/my game/run\\\" -f\" icon=\"exec\" "
            "section=\"Games/Puzzles\" title=\"My App 2.0\" needs=\"x11\" "
            "startup_notify=\"true\"\n");
  std::vector<std::string> got = calls();
  ASSERT_EQ(got.size(), 4u);
  // The temporary files lie in one private folder under TMPDIR.
  std::string tmp = getenv("TMPDIR");
  std::string prefix = "xdg-desktop-menu [install] [" + tmp + "/zorv-menu.";
  ASSERT_EQ(got[0].compare(0, prefix.size(), prefix), 0) << got[0];
  std::string dir = got[0].substr(prefix.size() - (tmp.size() + 11), tmp.size() + 17);
  EXPECT_EQ(got[0], "xdg-desktop-menu [install] [" + dir + "/zorv-Games.directory] [" + dir +
                        "/zorv-Games-Puzzles.directory] [" + dir + "/zorv-My_App_2_0.desktop]");
  EXPECT_EQ(got[1], "rm [" + dir + "/zorv-Games.directory] [" + dir +
                        "/zorv-Games-Puzzles.directory]");
  EXPECT_EQ(got[2], "rm [" + dir + "/zorv-My_App_2_0.desktop]");
  EXPECT_EQ(got[3], "update-menus");
  EXPECT_FALSE(zt::file_exists(dir));
  EXPECT_EQ(zt::read_text(saved + "/modes"), "mode 700\nmode 700\nmode 700\n");
  EXPECT_EQ(zt::read_text(saved + "/zorv-Games.directory"),
            "[Desktop Entry]\nValue=1.0\nType=Directory\nName=Games\nIcon=folder\n");
  EXPECT_EQ(zt::read_text(saved + "/zorv-Games-Puzzles.directory"),
            "[Desktop Entry]\nValue=1.0\nType=Directory\nName=Puzzles\nIcon=folder\n");
  EXPECT_EQ(zt::read_text(saved + "/zorv-My_App_2_0.desktop"),
            "[Desktop Entry]\nValue=1.0\nType=Application\nName=My App 2.0\n"
            "Exec=\"/opt/my game/run\" -f\nIcon=exec\n");
}

TEST_F(Desktop, PlantedLinksInTheSharedTemporaryFolderAreNotFollowed) {
  // Links another user could plant under the names the menu files keep.
  std::string tmp = getenv("TMPDIR");
  std::string victim = zt::sandbox() + "/victim";
  zt::write_text(victim, "precious");
  for (const char* name : {"/zorv-My_App_2_0.desktop", "/zorv-Games.directory"})
    ASSERT_EQ(symlink(victim.c_str(), (tmp + name).c_str()), 0);
  create_os_menu_shortcut(1, "run", nullptr, "My App 2.0", "Games", nullptr, nullptr, nullptr);
  EXPECT_EQ(zt::read_text(victim), "precious");
  EXPECT_EQ(zt::read_text(saved + "/zorv-My_App_2_0.desktop"),
            "[Desktop Entry]\nValue=1.0\nType=Application\nName=My App 2.0\nExec=run \nIcon=exec\n");
  struct stat st;
  EXPECT_EQ(lstat((tmp + "/zorv-Games.directory").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// The value of a double-quoted field of the menu line, unescaped.
std::string menu_field(const std::string& line, const std::string& key) {
  size_t at = line.find(" " + key + "=\"");
  if (at == std::string::npos) return "<missing>";
  std::string value;
  for (size_t i = at + key.size() + 3; i < line.size() && line[i] != '"'; i++) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      i++;
      value += line[i] == 'n' ? '\n' : line[i];
    } else {
      value += line[i];
    }
  }
  return value;
}

// The words of an Exec value as a launcher reads them: the value's escapes
// first, then blanks between words, double quotes in which a backslash
// keeps '"', '`', '$' or '\\', and "%%" for a percent sign.
std::vector<std::string> exec_words(const std::string& value) {
  std::string line;
  for (size_t i = 0; i < value.size(); i++) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      const char e = value[++i];
      line += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == 's' ? ' ' : e;
    } else {
      line += value[i];
    }
  }
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  for (size_t i = 0; i < line.size(); i++) {
    const char c = line[i];
    if (c == ' ') {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else if (c == '"') {
      in_word = true;
      while (++i < line.size() && line[i] != '"') {
        if ((line[i] == '\\' || (line[i] == '%' && line[i + 1] == '%')) && i + 1 < line.size()) i++;
        word += line[i];
      }
    } else if (c == '%' && i + 1 < line.size() && line[i + 1] == '%') {
      in_word = true;
      word += line[++i];
    } else {
      in_word = true;
      word += c;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

std::string single_quoted(const std::string& word) {
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The value of a key of a desktop file.
std::string entry_key(const std::string& file, const std::string& key) {
  size_t at = file.find("\n" + key + "=");
  if (at == std::string::npos) return "<missing>";
  at += key.size() + 2;
  return file.substr(at, file.find('\n', at) - at);
}

// The package author's own quoting of the arguments holds: the program gets
// the words the author meant, through the desktop's Exec line and through the
// menu system's shell alike, and nothing in them runs.
TEST_F(Desktop, ArgumentsKeepTheirQuoting) {
  standin("show args");
  FOLDER target = folder_at(bin);
  std::string trace = zt::sandbox() + "/pwned";
  struct Case {
    std::string arguments, words;
  } cases[] = {
      {"--title \"My File\" -x", "[--title] [My File] [-x]"},
      {"'single quoted' back\\ slash \"\" end", "[single quoted] [back slash] [] [end]"},
      {"\"a \\\"b\\\" \\$c\" 50% %f", "[a \"b\" $c] [50%] [%f]"},
      {"`touch " + trace + "` $(touch " + trace + ") \"x\ny\"\r z",
       "[`touch] [" + trace + "`] [$(touch] [" + trace + ")] [x\ny] [z]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    create_desktop_shortcut(1, "show args", c.arguments.c_str(), "T", nullptr, nullptr, &target);
    const std::string file = zt::read_text(home + "/Desktop/T.desktop");
    ASSERT_EQ(std::count(file.begin(), file.end(), '\n'), 8) << file;
    // Run the stand-in with the words of the Exec line.
    std::vector<std::string> words = exec_words(entry_key(file, "Exec"));
    ASSERT_FALSE(words.empty());
    std::string command;
    for (const std::string& w : words) command += single_quoted(w) + " ";
    unlink(log.c_str());
    ASSERT_EQ(zt::sh(command), 0) << command;
    EXPECT_EQ(zt::read_text(log), "show args " + c.words + "\n");
    // The menu line's command through the shell.
    unlink(log.c_str());
    create_os_menu_shortcut(1, "show args", c.arguments.c_str(), "T", "S", nullptr, nullptr,
                            &target);
    const std::string line = zt::read_text(sysmenu + "/local.T.desktop");
    unlink(log.c_str());
    ASSERT_EQ(zt::sh(menu_field(line, "command")), 0);
    EXPECT_EQ(zt::read_text(log), "show args " + c.words + "\n");
    // And the menu tool's desktop file, read as a launcher reads it.
    words = exec_words(entry_key(zt::read_text(saved + "/zorv-T.desktop"), "Exec"));
    command.clear();
    for (const std::string& w : words) command += single_quoted(w) + " ";
    unlink(log.c_str());
    ASSERT_EQ(zt::sh(command), 0) << command;
    EXPECT_EQ(zt::read_text(log), "show args " + c.words + "\n");
  }
  EXPECT_FALSE(zt::file_exists(trace));
}

// A link's URL is an address or a path: only the entry's value syntax
// applies to it, no program-line quoting.
TEST_F(Desktop, LinksKeepTheirAddressAsItStands) {
  FOLDER folder = folder_at("/srv/50% off/$x y");
  struct Case {
    int kind;
    const char* name;
    FOLDER* folder;
    const char* url;
  } cases[] = {
      {2, "http://example.org/a%20b?q=$x&r=a b", nullptr,
       "URL=\"http://example.org/a%20b?q=$x&r=a b\" \n"},
      {3, "read me.txt", &folder, "URL=\"/srv/50% off/$x y/read me.txt\" \n"},
      {2, "http://x.org/\nExec=evil\\", nullptr, "URL=\"http://x.org/\\nExec=evil\\\\\" \n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    create_desktop_shortcut(c.kind, c.name, nullptr, "L", nullptr, nullptr, c.folder);
    const std::string file = zt::read_text(home + "/Desktop/L.desktop");
    ASSERT_EQ(std::count(file.begin(), file.end(), '\n'), 7) << file;
    EXPECT_EQ(file.substr(file.find("\nURL=") + 1), c.url);
  }
}

TEST_F(Desktop, HostileTextsInTheMenuLine) {
  paths[0] = bin + "/missing-xdg-desktop-menu";
  desktop_programs.xdg_desktop_menu = paths[0].c_str();
  std::string trace = zt::sandbox() + "/pwned";
  std::string target = "/x/a\"b`touch " + trace + "` $HOME \\";
  std::string arguments = "-t \"x y\" $(touch " + trace + ")";
  create_os_menu_shortcut(1, target.c_str(), arguments.c_str(), "A \"b\"\nc", "S\"", nullptr,
                          nullptr, nullptr);
  std::string line = zt::read_text(sysmenu + "/local.A__b__c.desktop");
  ASSERT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;
  EXPECT_EQ(menu_field(line, "title"), "A \"b\"\nc");
  EXPECT_EQ(menu_field(line, "section"), "S\"");
  // The menu system's shell sees the target as one word and the arguments
  // as the words they were.
  std::string words;
  ASSERT_EQ(zt::sh("set -- " + menu_field(line, "command") +
                       "; for a; do printf '[%s]' \"$a\"; done",
                   &words), 0);
  EXPECT_EQ(words, "[" + target + "][-t][x y][$(touch][" + trace + ")]");
  EXPECT_FALSE(zt::file_exists(trace));
}

TEST_F(Desktop, MenuEntryKindsAndSections) {
  unsetenv("DESKTOP");
  setenv("DESKTOP_SESSION", "gnome", 1);
  struct Case {
    int kind;
    const char* target;
    const char* section;
    const char* command;
    const char* icon;
    const char* exec;
    std::vector<std::string> directories;
  } cases[] = {
      {3, "/doc/read me.txt", "Docs", nullptr, "ascii", nullptr, {"Docs"}},
      {2, "http://x.org/", "Net/", "$BROWSER http://x.org/", "www", "$BROWSER http://x.org/",
       {"Net", "Net-"}},
      {7, "a$b", "A b/C.d", nullptr, "ascii", nullptr, {"A_b", "A_b-C_d"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    unlink(log.c_str());
    create_os_menu_shortcut(c.kind, c.target, nullptr, "T", c.section, nullptr, nullptr,
                            nullptr);
    std::string line = zt::read_text(sysmenu + "/local.T.desktop");
    if (c.command) {
      EXPECT_NE(line.find("command=\"" + std::string(c.command) + "\""), std::string::npos)
          << line;
    }
    EXPECT_NE(line.find("icon=\"" + std::string(c.icon) + "\""), std::string::npos) << line;
    EXPECT_NE(line.find("section=\"" + std::string(c.section) + "\""), std::string::npos);
    std::string first = calls().at(0);
    for (const std::string& d : c.directories) {
      EXPECT_NE(first.find("/zorv-" + d + ".directory]"), std::string::npos) << first;
    }
    if (c.exec) {
      EXPECT_NE(zt::read_text(saved + "/zorv-T.desktop").find(std::string("Exec=") + c.exec),
                std::string::npos);
    }
  }
}

TEST_F(Desktop, KindThreeMenuCommandUsesTheSessionsOpener) {
  unsetenv("DESKTOP");
  setenv("DESKTOP_SESSION", "gnome", 1);
  create_os_menu_shortcut(3, "/doc/read me.txt", nullptr, "T", "Docs", nullptr, nullptr, nullptr);
  EXPECT_EQ(zt::read_text(sysmenu + "/local.T.desktop"),
            "?package(local.T): command=\"" + bin + "/gnome-open \\\"/doc/read me.txt\\\" &\" "
            "icon=\"ascii\" section=\"Docs\" title=\"T\" needs=\"x11\" startup_notify=\"true\"\n");
}

TEST_F(Desktop, RemovalCommands) {
  zt::write_text(home + "/Desktop/My_App_2_0.desktop", "x");
  remove_desktop_shortcut(1, "run", nullptr, "My App 2.0");
  EXPECT_FALSE(zt::file_exists(home + "/Desktop/My_App_2_0.desktop"));
  remove_os_menu_shortcut(1, "run", nullptr, "My App 2.0", "Games/Puzzles");
  std::vector<std::string> got = calls();
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0], "rm [-f] [" + home + "/Desktop/My_App_2_0.desktop]");
  EXPECT_EQ(got[1], "rm [-f] [" + sysmenu + "/local.My_App_2_0.desktop]");
  EXPECT_EQ(got[2], "rm [-f] [" + home + "/.menu/local.My_App_2_0.desktop]");
  std::string tmp = getenv("TMPDIR");
  ASSERT_EQ(got[3].find("xdg-desktop-menu [uninstall] [" + tmp + "/zorv-menu."), 0u) << got[3];
  std::string dir = got[3].substr(30, tmp.size() + 17);
  EXPECT_EQ(got[3], "xdg-desktop-menu [uninstall] [" + dir + "/zorv-Games.directory] [" + dir +
                        "/zorv-Games-Puzzles.directory] [" + dir + "/zorv-My_App_2_0.desktop]");
  EXPECT_EQ(got[4], "update-menus");
  EXPECT_FALSE(zt::file_exists(dir));
}

TEST_F(Desktop, FileManagerChosenByTheSession) {
  struct Case {
    const char* desktop;
    const char* session;
    const char* expected;
  } cases[] = {
      {"KDE", "gnome", "kfmclient [exec]"},
      {"xkdex", nullptr, "kfmclient [exec]"},
      {"GNOME", nullptr, "gnome-open"},
      {nullptr, "gnome-classic", "gnome-open"},
      {nullptr, "kde-plasma", "kfmclient [exec]"},
      {"xfce", "gnome", "konqueror"},
      {"", "kde", "konqueror"},
      {nullptr, nullptr, "konqueror"},
  };
  FOLDER folder = folder_at(zt::sandbox());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    unlink(log.c_str());
    if (c.desktop) setenv("DESKTOP", c.desktop, 1); else unsetenv("DESKTOP");
    if (c.session) setenv("DESKTOP_SESSION", c.session, 1); else unsetenv("DESKTOP_SESSION");
    open_in_file_manager(&folder, "sub dir");
    auto got = wait_calls(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], std::string(c.expected) + " [" + zt::sandbox() + "/sub dir]");
  }
}

TEST_F(Desktop, OpenUrl) {
  setenv("BROWSER", (bin + "/browser").c_str(), 1);
  open_url("http://example.org/a b c");
  EXPECT_EQ(wait_calls(1), std::vector<std::string>{"browser [http://example.org/a%20b%20c]"});
}

TEST_F(Desktop, OpenUrlWithoutBrowserRunsNothing) {
  // The address would be run as a command: make it one that leaves a trace.
  std::string trace = zt::sandbox() + "/ran";
  std::string script = bin + "/addr";
  zt::write_text(script, "#!/bin/sh\ntouch '" + trace + "'\n");
  chmod(script.c_str(), 0755);
  unsetenv("BROWSER");
  open_url(script.c_str());
  setenv("BROWSER", "", 1);
  open_url(script.c_str());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(zt::file_exists(trace));
}

TEST_F(Desktop, HostilePathsReachTheProgramsUnchanged) {
  std::string trace = zt::sandbox() + "/pwned";
  const std::string hostile = "/x/a b \"q\" $HOME `touch " + trace + "` $(touch " + trace +
                              ") \\n ;touch " + trace + " 'z'";
  unsetenv("DESKTOP");
  unsetenv("DESKTOP_SESSION");
  open_in_file_manager(nullptr, hostile.c_str());
  setenv("BROWSER", (bin + "/browser").c_str(), 1);
  open_url(hostile.c_str());
  auto got = wait_calls(2);
  ASSERT_EQ(got.size(), 2u);
  std::string encoded;
  for (char c : hostile) encoded += c == ' ' ? std::string("%20") : std::string(1, c);
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got[0], "browser [" + encoded + "]");
  EXPECT_EQ(got[1], "konqueror [" + hostile + "]");

  // A home folder with the same characters.
  unlink(log.c_str());
  std::string odd_home = zt::sandbox() + "/h \"q\" $x `touch " + trace + "`";
  mkdir(odd_home.c_str(), 0755);
  setenv("HOME", odd_home.c_str(), 1);
  remove_desktop_shortcut(1, nullptr, nullptr, "My App");
  EXPECT_EQ(calls(), std::vector<std::string>{"rm [-f] [" + odd_home + "/Desktop/My_App.desktop]"});
  EXPECT_FALSE(zt::file_exists(trace));
}

}  // namespace

namespace {

// Without the older menu system's update program nothing tries to run it, so
// the shell has nothing to complain about; the rest works as before.
TEST_F(Desktop, AMissingMenuUpdateProgramIsNotRun) {
  paths[1] = bin + "/missing-update-menus";
  desktop_programs.update_menus = paths[1].c_str();
  const zt::ChildResult child = zt::run_in_child([&] {
    create_os_menu_shortcut(1, "run", nullptr, "My App", "Games", nullptr, nullptr, nullptr);
    paths[0] = bin + "/missing-xdg-desktop-menu";
    desktop_programs.xdg_desktop_menu = paths[0].c_str();
    create_os_menu_shortcut(1, "run", nullptr, "Other", "Games", nullptr, nullptr, nullptr);
    remove_os_menu_shortcut(1, "run", nullptr, "My App", "Games");
  });
  EXPECT_EQ(child.status, 0);
  EXPECT_EQ(child.err, "");
  EXPECT_TRUE(zt::file_exists(sysmenu + "/local.Other.desktop"));
  for (const std::string& call : calls()) EXPECT_EQ(call.find("update-menus"), std::string::npos) << call;
  ASSERT_FALSE(calls().empty());
  EXPECT_EQ(calls().front().rfind("xdg-desktop-menu [install]", 0), 0u) << calls().front();
}

// A full disk: every write fails once the file is closed. The files that
// could not be stored are not left behind empty; what could be is kept.
TEST_F(Desktop, FilesThatCannotBeWrittenAreRemoved) {
  const std::string desktop_file = home + "/Desktop/Full.desktop";
  const std::string menu_file = sysmenu + "/local.Full.desktop";
  ASSERT_EQ(symlink("/dev/full", desktop_file.c_str()), 0);
  ASSERT_EQ(symlink("/dev/full", menu_file.c_str()), 0);
  struct stat st;
  for (int kind : {1, 2, 3}) {
    SCOPED_TRACE(kind);
    create_desktop_shortcut(kind, "run", nullptr, "Full", nullptr, nullptr, nullptr);
    EXPECT_NE(lstat(desktop_file.c_str(), &st), 0);
    ASSERT_EQ(symlink("/dev/full", desktop_file.c_str()), 0);
  }
  create_os_menu_shortcut(1, "run", nullptr, "Full", "Games", nullptr, nullptr, nullptr);
  EXPECT_NE(lstat(menu_file.c_str(), &st), 0);
  // The menu tool still got its files; the update still ran.
  const std::vector<std::string> got = calls();
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.back(), "update-menus");
  // Without the menu tool, the fallback under the home folder alike.
  paths[0] = bin + "/missing-xdg-desktop-menu";
  paths[3] = zt::sandbox() + "/no/such/folder";
  desktop_programs.xdg_desktop_menu = paths[0].c_str();
  desktop_programs.system_menu_folder = paths[3].c_str();
  const std::string home_menu = home + "/.menu/local.Full.desktop";
  mkdir((home + "/.menu").c_str(), 0755);
  ASSERT_EQ(symlink("/dev/full", home_menu.c_str()), 0);
  create_os_menu_shortcut(1, "run", nullptr, "Full", "Games", nullptr, nullptr, nullptr);
  EXPECT_NE(lstat(home_menu.c_str(), &st), 0);
  // A file that could be written stays.
  create_os_menu_shortcut(1, "run", nullptr, "Fine", "Games", nullptr, nullptr, nullptr);
  EXPECT_NE(zt::read_text(home + "/.menu/local.Fine.desktop"), "");
  create_desktop_shortcut(1, "run", nullptr, "Fine", nullptr, nullptr, nullptr);
  EXPECT_NE(zt::read_text(home + "/Desktop/Fine.desktop"), "");
}

}  // namespace
