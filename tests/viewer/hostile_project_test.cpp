// Hostile projects play on. Projects whose evaluation would nest without end
// keep drawing frames, report the child they leave out once, and end in order
// on SIGTERM (also under the sanitizer build, whose stack frames are bigger).
// Image bombs (small files declaring huge images) are refused by their
// declared size, so the viewer stays small and ends at once on SIGTERM.
// SIGTERM while a group of a million channels is still loading gives the
// load up and ends the viewer in order at once.
#include "viewer_run.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cctype>
#include <string>

namespace {
class HostileProject : public ViewerRun {
 protected:
  // Makes the projects of `which` (deep, bombs or huge) in the installation's
  // deep/.
  void Make(const char* which) {
    const fs::path tool = fs::path(std::getenv("KELVANE_DIST")).parent_path() / "tools" / "make_hostile_projects";
    const std::string command = "KELVANE_REGISTRY='" + (root / "maker-registry").string() + "' '" + tool.string() +
                                "' '" + install.string() + "' '" + (install / "deep").string() + "' " + which +
                                " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << which;
  }
};
}  // namespace

TEST_F(HostileProject, DeepChainsAndASelfCallingPublicCallPlayWithoutACrash) {
  Make("deep");
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

TEST_F(HostileProject, SigtermWhileAMillionChannelGroupLoadsEndsTheViewerAtOnce) {
  Make("huge");
  pid_t pid = Start({"deep/huge/huge.klv"});
  // The group file alone is about 100 MB: its load takes many seconds, and
  // nothing is logged before it ends.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  kill(pid, SIGTERM);
  const auto sent = std::chrono::steady_clock::now();
  const int code = WaitExit(pid, 30);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
  EXPECT_EQ(code, 0) << Output();
#if defined(__SANITIZE_ADDRESS__)
  EXPECT_LT(seconds, 4.0);
#else
  EXPECT_LT(seconds, 2.0);
#endif
  const std::string log = ReadText(install / "error.log");
  // Given up mid-load, the group dropped whole and no frame played; no
  // message box stood in the way.
  EXPECT_NE(log.find("Orn_ChannelGroup::LoadChannelGroup: Loading stopped, the program is asked to end"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Engine::LoadChannelGroup: Error loading channel group"), std::string::npos) << log;
  EXPECT_EQ(log.find("Main: frame"), std::string::npos) << log;
  EXPECT_NE(log.find("Libraries loaded : "), std::string::npos) << log;
  const std::string output = Output();
  EXPECT_EQ(output.find("There was an error while loading the project"), std::string::npos) << output;
}

TEST_F(HostileProject, FortyEightImageBombsStayUnder500MegabytesAndSigtermEndsTheViewerAtOnce) {
  Make("bombs");
  pid_t pid = Start({"deep/bombs/scene.klv"});
  // Every bomb is refused by name; the scene draws on.
  EXPECT_TRUE(WaitForText(install / "error.log", "Bomb 48", 120));
  EXPECT_TRUE(WaitForText(install / "error.log", "DirectX 8.1 or better installed", 60));
  kill(pid, SIGTERM);
  const auto sent = std::chrono::steady_clock::now();
  int status = 0;
  rusage usage{};
  pid_t ended = 0;
  while ((ended = wait4(pid, &status, WNOHANG, &usage)) == 0 &&
         std::chrono::steady_clock::now() - sent < std::chrono::seconds(30))
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
  if (ended != pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    FAIL() << "the viewer did not end within 30 s of SIGTERM";
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Output();
  // The sanitizer build's own shutdown work (its leak check) gets more time.
#if defined(__SANITIZE_ADDRESS__)
  EXPECT_LT(seconds, 4.0);
#else
  EXPECT_LT(seconds, 2.0);
#endif
  EXPECT_LT(usage.ru_maxrss, 500L * 1024) << "peak resident kilobytes";
  const std::string log = ReadText(install / "error.log");
  auto named = [&](const std::string& name) {  // "Bomb 1" but not "Bomb 12"
    for (size_t at = log.find(name); at != std::string::npos; at = log.find(name, at + 1))
      if (at + name.size() == log.size() || !std::isdigit(static_cast<unsigned char>(log[at + name.size()])))
        return true;
    return false;
  };
  for (int i = 1; i <= 48; ++i) EXPECT_TRUE(named("Bomb " + std::to_string(i))) << "Bomb " << i;
}
