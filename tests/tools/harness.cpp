// The test sandbox itself: every test must be unable to block on a message box
// or write outside its temporary folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>

#include "test_support.h"

TEST(Harness, HomeAndWorkingFolderAreInsideTheSandbox) {
  std::string box = zt::sandbox();
  ASSERT_NE(std::getenv("HOME"), nullptr);
  EXPECT_EQ(std::string(std::getenv("HOME")), box + "/home");
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(std::string(cwd), box + "/work");
}

TEST(Harness, StandInMessageBoxRecordsArgumentsAndStatus) {
  zt::clear_message_box_calls();
  setenv("XMESSAGE_STATUS", "3", 1);
  EXPECT_EQ(zt::sh("xmessage -center 'a b' c"), 3);
  unsetenv("XMESSAGE_STATUS");
  auto calls = zt::message_box_calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], (std::vector<std::string>{"-center", "a b", "c"}));
}

TEST(Harness, ChildRunCapturesOutputAndStatus) {
  auto r = zt::run_in_child([] {
    printf("out");
    fprintf(stderr, "err");
    fflush(nullptr);
    _exit(255);
  });
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "out");
  EXPECT_EQ(r.err, "err");
}

TEST(Harness, StandardInputIsEmpty) {
  char c;
  EXPECT_EQ(read(0, &c, 1), 0);
}

TEST(Harness, PrivateXServerStartsAndStops) {
  pid_t pid;
  {
    auto server = zt::XServer::start_xvfb(320, 200, 24);
    ASSERT_NE(server, nullptr);
    pid = server->pid();
    std::string out;
    EXPECT_EQ(zt::sh("xdpyinfo | grep dimensions", &out), 0);
    EXPECT_NE(out.find("320x200"), std::string::npos) << out;
  }
  EXPECT_NE(kill(pid, 0), 0);  // gone once the object is
}
