// The programs built for the end-to-end tests refuse to start outside their
// sandbox, and each names itself in the one line that says so.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

TEST(E2ESandbox, EachProgramNamesItselfWhenTheSandboxIsMissing) {
  for (const std::string name : {"installer_e2e", "config_select_app"}) {
    std::string err;
    const int status = zt::sh("env -u ZORV_E2E_SANDBOX '" ZORV_BUILD_DIR "/" + name + "' 2>&1 >/dev/null", &err);
    EXPECT_EQ(status, 2) << name;
    EXPECT_EQ(err, name + ": ZORV_E2E_SANDBOX must name the sandbox folder\n");
  }
}

}  // namespace
