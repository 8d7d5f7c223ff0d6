// Termination signals and the may-quit callback (headless).
#include <gtest/gtest.h>

#include <signal.h>

#include "app.h"
#include "test_support.h"
#include "input.h"

namespace {
int asked = 0;
INT_U8 answer = 0;
INT_U8 may_quit(INT_U32 arg) {
  EXPECT_EQ(arg, 0u);
  ++asked;
  return answer;
}
}  // namespace

TEST(Signals, TerminationRequestsAskTheCallbackOnTheMainThread) {
  set_may_quit_callback(may_quit);
  struct Case {
    int signal;
    INT_U8 answer;
    int asked;
    INT_U8 quit;
  } cases[] = {
      {SIGINT, 1, 1, 1},  {SIGTERM, 0, 1, 0},  // a refusal clears the earlier yes
      {SIGHUP, 1, 1, 1},  {SIGWINCH, 0, 0, 1}, // 28 is ignored: nothing changes
      {SIGQUIT, 0, 1, 0}, {SIGPIPE, 1, 1, 1},  {SIGUSR1, 0, 0, 1}, {0, 0, 0, 1}, {40, 0, 0, 1},
  };
  quit_requested = 0;
  for (const Case& c : cases) {
    asked = 0;
    answer = c.answer;
    handle_signal(c.signal);
    EXPECT_EQ(asked, 0) << c.signal;  // never inside the handler
    consume_quit_signal();
    consume_quit_signal();            // one request, one question
    EXPECT_EQ(asked, c.asked) << c.signal;
    EXPECT_EQ(quit_requested, c.quit) << c.signal;
  }
  set_may_quit_callback(nullptr);
}

TEST(Signals, WithoutCallbackASignalOnlyClearsTheRequest) {
  set_may_quit_callback(nullptr);
  quit_requested = 1;
  handle_signal(SIGINT);
  consume_quit_signal();
  EXPECT_EQ(quit_requested, 0);
}

TEST(Signals, InstalledHandlersKeepTheProcessAlive) {
  install_signal_handlers();
  set_may_quit_callback(may_quit);
  asked = 0;
  answer = 1;
  quit_requested = 0;
  for (int s : {SIGWINCH, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) raise(s);
  consume_quit_signal();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(quit_requested, 1);
  set_may_quit_callback(nullptr);
}

// As the program entry sets it up: with no window open there is nobody to
// ask, so a termination request ends the process with status 1 at once.
TEST(Signals, WithoutAWindowATerminationRequestEndsTheProgram) {
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
    zt::ChildResult r = zt::run_in_child([s] {
      install_signal_handlers();
      set_may_quit_callback(may_quit);
      end_on_quit_signal_without_window();
      raise(SIGWINCH);  // ignored: the process goes on
      raise(s);
      _exit(7);
    });
    EXPECT_EQ(r.status, 1) << s;
  }
}

TEST(Globals, BuiltBeforeMain) {
  // The screen image exists (empty), and the global handles hold the queue.
  ASSERT_NE(global_keyboard(), nullptr);
  ASSERT_NE(global_mouse(), nullptr);
  EXPECT_EQ(keyboard_state.capacity, 10);
  EXPECT_GE(keyboard_state.handle_count, 1);
  EXPECT_EQ(mouse_state.button_count, 3);
  EXPECT_EQ(APPLICATION_INFO.credits_at_exit, 0);
  EXPECT_EQ(platform_shutdown_hook, nullptr);
}
