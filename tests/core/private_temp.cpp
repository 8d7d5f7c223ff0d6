// The process's private folder in "$TEMP".
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "app.h"
#include "console.h"
#include "folder.h"
#include "folder_internal.h"
#include "test_support.h"

namespace {

// "$TEMP" of a run that names itself `name`: <home>/tmp/<name> in the tests.
std::string temp_of(const std::string& name) { return std::string(getenv("HOME")) + "/tmp/" + name; }

bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

void name_the_run(const char* name) {
  FOLDER base;
  set_base_path(&base, name);
}

// A run in a child process, taken step by step: the child says a line and
// waits for the test's go, so two runs interleave where the test says.
class StepRun {
 public:
  explicit StepRun(const std::function<void(StepRun&)>& body) {
    if (pipe(down_) != 0 || pipe(up_) != 0) return;
    fflush(stdout);
    pid_ = fork();
    if (pid_ == 0) {
      close(down_[1]);
      close(up_[0]);
      alarm(30);
      body(*this);
      _exit(0);
    }
    close(down_[0]);
    close(up_[1]);
  }
  ~StepRun() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      wait_exit();
    }
    close(down_[1]);
    close(up_[0]);
  }
  // In the child.
  void say(const std::string& line) {
    const std::string l = line + "\n";
    if (write(up_[1], l.data(), l.size()) < 0) _exit(3);
  }
  void wait_go() {
    char c;
    if (read(down_[0], &c, 1) != 1) _exit(4);
  }
  // In the test.
  std::string hear() {
    std::string line;
    char c;
    while (read(up_[0], &c, 1) == 1 && c != '\n') line += c;
    return line;
  }
  void go() { EXPECT_EQ(write(down_[1], "g", 1), 1); }
  int wait_exit() {
    int status = 0;
    if (waitpid(pid_, &status, 0) != pid_) return -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return status_;
  }
  pid_t pid() const { return pid_; }

 private:
  int down_[2] = {-1, -1}, up_[2] = {-1, -1};
  pid_t pid_ = -1;
  int status_ = -1;
};

// A file written into a folder, and removed again.
bool write_and_remove(FOLDER* f, const char* name) {
  FILE* file = f->open_file(name, "wb");
  if (!file) return false;
  const bool ok = fputs("data\n", file) >= 0;
  close_file(file);
  return f->remove_file(name) && ok;
}

// The pid of a process that has ended.
pid_t ended_pid() {
  const pid_t pid = fork();
  if (pid == 0) _exit(0);
  waitpid(pid, nullptr, 0);
  return pid;
}

TEST(PrivateTempFolder, MadePrivateOncePerProcessAndRemovedWithItsContent) {
  FOLDER first, second, temp;
  ASSERT_TRUE(get_private_temp_folder(&first));
  ASSERT_TRUE(get_private_temp_folder(&second));
  EXPECT_STREQ(first.path, second.path);
  temp.set("$TEMP");
  const std::string path = first.path;
  EXPECT_EQ(path.rfind(std::string(temp.path), 0), 0u) << path;
  struct stat st;
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 07777, 0700u);

  // Content, including a link that must be removed, not followed.
  const std::string outside = zt::make_temp_dir("outside");
  zt::write_text(outside + "/keep.txt", "keep");
  zt::write_text(path + "/font.ttf", "x");
  ASSERT_EQ(mkdir((path + "/sub").c_str(), 0700), 0);
  zt::write_text(path + "/sub/doc.txt", "y");
  ASSERT_EQ(symlink(outside.c_str(), (path + "/link").c_str()), 0);
  remove_private_temp_folder();
  EXPECT_NE(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(zt::file_exists(outside + "/keep.txt"));

  // A later use makes a new one.
  FOLDER again;
  ASSERT_TRUE(get_private_temp_folder(&again));
  EXPECT_STRNE(again.path, path.c_str());
  remove_private_temp_folder();
}

TEST(PrivateTempFolder, AChildHasItsOwnAndAFatalExitRemovesIt) {
  FOLDER parent;
  ASSERT_TRUE(get_private_temp_folder(&parent));
  zt::ChildResult r = zt::run_in_child([] {
    FOLDER mine;
    if (!get_private_temp_folder(&mine)) return;
    zt::write_text(std::string(mine.path) + "/font.ttf", "x");
    printf("%s\n", mine.path);
    fflush(stdout);
    fatal_exit("stop");
  });
  EXPECT_EQ(r.status, 255);
  const std::string child = r.out.substr(0, r.out.find('\n'));
  ASSERT_FALSE(child.empty());
  EXPECT_NE(child, std::string(parent.path));
  struct stat st;
  EXPECT_NE(lstat(child.c_str(), &st), 0) << child;
  // The parent's folder is the parent's: the child's exit left it alone.
  EXPECT_EQ(lstat(parent.path, &st), 0);
  remove_private_temp_folder();
}

TEST(PrivateTempFolder, ANormalExitRemovesIt) {
  zt::ChildResult r = zt::run_in_child([] {
    FOLDER mine;
    if (!get_private_temp_folder(&mine)) return;
    printf("%s\n", mine.path);
    fflush(stdout);
    exit(0);
  });
  EXPECT_EQ(r.status, 0);
  const std::string child = r.out.substr(0, r.out.find('\n'));
  ASSERT_FALSE(child.empty());
  struct stat st;
  EXPECT_NE(lstat(child.c_str(), &st), 0) << child;
}

// "$TEMP" folders a run made go at its end when they are empty, the root of
// its private folder too; one that holds something stays.
TEST(PrivateTempFolder, AtTheEndOnlyTheEmptyTemporaryFoldersOfTheRunGo) {
  const std::string temp_root = std::string(getenv("HOME")) + "/tmp";
  zt::ChildResult r = zt::run_in_child([] {
    FOLDER base;
    set_base_path(&base, "Run Name");
    FOLDER mine;
    if (!get_private_temp_folder(&mine)) return;
    zt::write_text(std::string(mine.path) + "/font.ttf", "x");
    set_base_path(&base, "Other Name");
    FOLDER written(FOLDER::UNSET{}), empty(FOLDER::UNSET{});
    if (!written.set("$TEMP/a", 1) || !empty.set("$TEMP/b/c", 1)) return;
    zt::write_text(std::string(written.path) + "/file.txt", "y");
    exit(0);
  });
  EXPECT_EQ(r.status, 0) << r.err;
  std::string left;
  zt::sh("cd '" + temp_root + "' && find . -mindepth 1 -path './test_core_*' -prune -o -print | sort", &left);
  EXPECT_EQ(left, "./Other Name\n./Other Name/a\n./Other Name/a/file.txt\n");
}

// Named, "$TEMP" exists: a folder set there can be entered and written to
// at once, with nothing made before.
TEST(PrivateTempFolder, NamingTheTemporaryFolderMakesIt) {
  zt::ChildResult r = zt::run_in_child([] {
    name_the_run("Fresh Run");
    FOLDER t;
    t.set("$TEMP");
    printf("%s\n", t.path);
    FOLDER big(t);
    FILE* file = t.open_file("x", "wb");
    printf("%d %d\n", big.enter("big", 1) ? 1 : 0, file ? 1 : 0);
    if (file) close_file(file);
    fflush(stdout);
  });
  EXPECT_EQ(r.out, temp_of("Fresh Run") + "\n1 1\n") << r.err;
  EXPECT_TRUE(exists(temp_of("Fresh Run") + "/x"));
  EXPECT_TRUE(exists(temp_of("Fresh Run") + "/big"));
}

// Whatever way a run ends, the folders it made for "$TEMP" and left empty go
// with its private folder: the temporary root holds nothing of it.
TEST(PrivateTempFolder, NoEndOfARunLeavesAnEmptyFolder) {
  struct Case {
    const char* how;
    int status;
    void (*end)();
  } cases[] = {
      {"normal exit", 0, [] { exit(0); }},
      {"fatal error", 255, [] { fatal_exit("stop"); }},
      {"termination signal", 1,
       [] {
         install_signal_handlers();
         end_on_quit_signal_without_window();
         raise(SIGTERM);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    const std::string name = std::string("Ended By ") + c.how;
    zt::ChildResult r = zt::run_in_child([&] {
      name_the_run(name.c_str());
      FOLDER t, mine, deep;
      t.set("$TEMP");
      if (!get_private_temp_folder(&mine) || !deep.set("$TEMP/a/b", 1)) return;
      zt::write_text(std::string(mine.path) + "/font.ttf", "x");
      printf("%d\n", exists(deep.path) ? 1 : 0);
      fflush(stdout);
      c.end();
    });
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.out.substr(0, 2), "1\n") << "made below it";
    EXPECT_FALSE(exists(temp_of(name))) << temp_of(name);
  }
}

// Two runs share "$TEMP": the one that made it ends while the other holds it
// and is about to write there. The write succeeds, and the folder goes only
// with the last run, once empty.
TEST(PrivateTempFolder, ARunEndingNeverTakesTheFolderFromAnotherThatUsesIt) {
  const std::string temp = temp_of("Shared Run");
  StepRun a([](StepRun& self) {
    name_the_run("Shared Run");
    FOLDER t;
    if (!t.set("$TEMP/made", 1)) _exit(5);
    self.say("made");
    self.wait_go();
    exit(0);
  });
  ASSERT_EQ(a.hear(), "made");
  StepRun b([](StepRun& self) {
    name_the_run("Shared Run");
    FOLDER t;
    t.set("$TEMP");
    self.say("named");
    self.wait_go();
    self.say(write_and_remove(&t, "file.txt") ? "wrote" : "write failed");
    self.wait_go();
    exit(0);
  });
  ASSERT_EQ(b.hear(), "named");
  a.go();
  EXPECT_EQ(a.wait_exit(), 0);
  EXPECT_TRUE(exists(temp)) << "still used";
  EXPECT_FALSE(exists(temp + "/made")) << "the first run's own empty folder goes";
  b.go();
  EXPECT_EQ(b.hear(), "wrote");
  b.go();
  EXPECT_EQ(b.wait_exit(), 0);
  EXPECT_FALSE(exists(temp)) << "the last run takes it away";
}

// The other order: a run finds "$TEMP", and before it holds it the run that
// made it ends and removes it. The late run makes it again and writes.
const char* race_path = nullptr;
StepRun* race_run = nullptr;

void end_the_other_run_at_the_lock(const char* path) {
  if (!race_path || strcmp(path, race_path) != 0) return;
  race_path = nullptr;
  race_run->say("at the lock");
  race_run->wait_go();
  race_run->say(exists(path) ? "still there" : "removed");
}

TEST(PrivateTempFolder, ARunWhoseFolderIsRemovedBeforeItsLockMakesItAgain) {
  static const std::string temp = temp_of("Racing Run");
  StepRun a([](StepRun& self) {
    name_the_run("Racing Run");
    FOLDER t;
    t.set("$TEMP");
    self.say("made");
    self.wait_go();
    exit(0);
  });
  ASSERT_EQ(a.hear(), "made");
  StepRun b([](StepRun& self) {
    race_path = temp.c_str();
    race_run = &self;
    temp_folder_hold_step = end_the_other_run_at_the_lock;
    name_the_run("Racing Run");
    FOLDER t;
    t.set("$TEMP");
    self.say(std::string(t.path) == temp && write_and_remove(&t, "file.txt") ? "wrote" : "write failed");
    exit(0);
  });
  ASSERT_EQ(b.hear(), "at the lock");
  a.go();
  EXPECT_EQ(a.wait_exit(), 0);
  b.go();
  EXPECT_EQ(b.hear(), "removed");
  EXPECT_EQ(b.hear(), "wrote");
  EXPECT_EQ(b.wait_exit(), 0);
  EXPECT_FALSE(exists(temp));
}

// A run ended by SIGKILL leaves its private folder; the next run removes it.
// Only this user's folders of the private form whose run has ended go: not
// those of live runs (a live run's lock keeps its folder even when the pid
// in the name has ended), not another user's, and no link is followed.
TEST(PrivateTempFolder, ANewRunRemovesThePrivateFoldersOfEndedRunsOnly) {
  const std::string temp = temp_of("Stale Run");
  zt::ChildResult killed = zt::run_in_child([] {
    name_the_run("Stale Run");
    FOLDER mine;
    if (!get_private_temp_folder(&mine)) return;
    zt::write_text(std::string(mine.path) + "/font.ttf", "x");
    printf("%s\n", mine.path);
    fflush(stdout);
    raise(SIGKILL);
  });
  ASSERT_EQ(killed.status, 128 + SIGKILL);
  const std::string left = killed.out.substr(0, killed.out.find('\n'));
  ASSERT_TRUE(exists(left + "/font.ttf")) << left;

  auto live_run = [](StepRun& self) {
    name_the_run("Stale Run");
    FOLDER mine;
    if (!get_private_temp_folder(&mine)) _exit(5);
    self.say(mine.path);
    self.wait_go();
    exit(0);
  };
  StepRun live(live_run), renamed(live_run);
  const std::string live_folder = live.hear(), renamed_from = renamed.hear();
  const std::string dead = std::to_string(ended_pid());
  const std::string renamed_folder = temp + "/zorv-" + dead + "-rename";
  ASSERT_EQ(rename(renamed_from.c_str(), renamed_folder.c_str()), 0);

  const std::string outside = zt::make_temp_dir("outside");
  zt::write_text(outside + "/keep.txt", "keep");
  const std::string linked = temp + "/zorv-" + dead + "-linked", inner = temp + "/zorv-" + dead + "-innerl";
  ASSERT_EQ(symlink(outside.c_str(), linked.c_str()), 0);
  ASSERT_EQ(mkdir(inner.c_str(), 0700), 0);
  ASSERT_EQ(symlink(outside.c_str(), (inner + "/link").c_str()), 0);
  const std::string others = temp + "/zorv-" + dead + "-others";
  ASSERT_EQ(mkdir(others.c_str(), 0700), 0);
  const bool as_root = geteuid() == 0;
  if (as_root) {
    ASSERT_EQ(chown(others.c_str(), 65534, 65534), 0);
  }
  const std::string odd[] = {temp + "/zorv-" + dead + "-toolong", temp + "/zorv--abcdef", temp + "/zorv-" + dead,
                             temp + "/other-" + dead + "-abcdef"};
  for (const std::string& o : odd) ASSERT_EQ(mkdir(o.c_str(), 0700), 0) << o;

  zt::ChildResult next = zt::run_in_child([] {
    name_the_run("Stale Run");
    FOLDER mine;
    if (!get_private_temp_folder(&mine)) return;
    printf("%s\n", mine.path);
    fflush(stdout);
    exit(0);
  });
  EXPECT_EQ(next.status, 0) << next.err;
  EXPECT_FALSE(exists(left)) << "the killed run's";
  EXPECT_FALSE(exists(inner)) << "removed, its link not followed";
  EXPECT_TRUE(zt::file_exists(outside + "/keep.txt"));
  EXPECT_TRUE(exists(live_folder)) << "a live run's";
  EXPECT_TRUE(exists(renamed_folder)) << "a live run's under an ended pid";
  EXPECT_TRUE(exists(linked)) << "a link";
  if (as_root) {
    EXPECT_TRUE(exists(others)) << "another user's";
  }
  for (const std::string& o : odd) EXPECT_TRUE(exists(o)) << o;
  EXPECT_FALSE(exists(next.out.substr(0, next.out.find('\n')))) << "the new run's own went at its end";
  live.go();
  renamed.go();
  EXPECT_EQ(live.wait_exit(), 0);
  EXPECT_EQ(renamed.wait_exit(), 0);
}

}  // namespace
