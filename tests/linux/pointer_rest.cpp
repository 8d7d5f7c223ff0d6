// The installer at rest under a private Xvfb: with the pointer on a button,
// as on the empty page, it takes no more than 1 % of a core. Widgets ask for
// their pointer shape every frame; only a shape that changes may keep a frame
// from resting.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "../installer/x_program.h"

using namespace xi;

namespace {

// Ticks of CPU time (user and system) the process has used.
long cpu_ticks(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t end_of_name = stat.rfind(')');
  if (end_of_name == std::string::npos) return -1;
  std::istringstream fields(stat.substr(end_of_name + 2));
  std::string field;
  long utime = -1, stime = -1;
  // From the state (field 3): user time is field 14, system time field 15.
  for (int n = 3; n <= 15 && fields >> field; ++n) {
    if (n == 14) utime = std::stol(field);
    if (n == 15) stime = std::stol(field);
  }
  return utime < 0 || stime < 0 ? -1 : utime + stime;
}

class PointerRest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (HasFatalFailure()) return;
    load_demo_package();
    if (HasFatalFailure()) return;
    start_on_demo(INSTALL_PAGE_LANGUAGE);
  }
  // The share of a core the program uses over `seconds` with the pointer
  // resting at x, y, once whatever the arrival started has settled.
  double share_at_rest(int x, int y, int seconds = 2) {
    zt::xdotool("mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " +
                std::to_string(y));
    usleep(1000000);
    const long before = cpu_ticks(program->pid());
    usleep(static_cast<useconds_t>(seconds) * 1000000u);
    const long after = cpu_ticks(program->pid());
    EXPECT_GE(before, 0);
    return static_cast<double>(after - before) / static_cast<double>(sysconf(_SC_CLK_TCK) * seconds);
  }
};

TEST_F(PointerRest, APointerOnAnyButtonOrNoneUsesAtMostOnePercent) {
  ASSERT_TRUE(install_grid);
  ASSERT_TRUE(dialog->next_button);
  ASSERT_TRUE(dialog->quit_button);
  const struct {
    const char* where;
    Rect at;
  } places[] = {
      {"the page's background", {1, 1, 1, 1}},
      {"the English cell", rect_of(install_grid->get_cell(0, 0))},
      {"the Next button", rect_of(dialog->next_button)},
      {"the Quit button", rect_of(dialog->quit_button)},
  };
  for (const auto& p : places) {
    SCOPED_TRACE(p.where);
    EXPECT_LE(share_at_rest(p.at.cx(), p.at.cy()), 0.01);
  }
  EXPECT_TRUE(program->running());
}

}  // namespace
