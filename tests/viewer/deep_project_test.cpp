// Projects whose evaluation would nest without end play on: the viewer keeps
// drawing frames, reports the child it leaves out, and ends in order on
// SIGTERM (the same under the sanitizer build, whose stack frames are bigger).
#include "viewer_run.h"

#include <gtest/gtest.h>

#include <string>

TEST_F(ViewerRun, DeepChainsAndASelfCallingPublicCallPlayWithoutACrash) {
  const fs::path tool = fs::path(std::getenv("KELVANE_DIST")).parent_path() / "tools" / "make_deep_projects";
  const fs::path made = install / "deep";
  ASSERT_EQ(std::system(("'" + tool.string() + "' '" + install.string() + "' '" + made.string() + "' >/dev/null 2>&1")
                            .c_str()),
            0);

  struct Case {
    const char* project;
    const char* report;
    const char* running;  // text of the log showing frames go on
  };
  const Case cases[] = {
      {"deep/deep_log/deep_log.klv", "Orn_Channel::GetChild: Channel evaluation deeper than the limit", "Main: frame"},
      {"deep/deep_motion/scene.klv", "Orn_Channel::GetChild: Channel evaluation deeper than the limit",
       "DirectX 8.1 or better installed"},
      {"deep/self_call/self_call.klv", "Orn_Channel::GetChild: A public call that calls itself again is left out",
       "Main: frame"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.project);
    fs::remove(install / "error.log");
    pid_t pid = Start({c.project});
    EXPECT_TRUE(WaitForText(install / "error.log", c.report, 120));
    EXPECT_TRUE(WaitForText(install / "error.log", c.running, 60));
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitExit(pid, 60), 0) << Output();
    const std::string log = ReadText(install / "error.log");
    // Reported once, though every frame meets the same cut.
    size_t first = log.find(c.report);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find(c.report, first + 1), std::string::npos) << log;
    EXPECT_NE(log.find("Libraries loaded : "), std::string::npos) << log;
  }
}
