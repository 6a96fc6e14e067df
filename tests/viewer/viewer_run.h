// The viewer run by the tests: started as a separate process on a copy of the
// installation, headless on SDL's offscreen driver (or under a real X server
// when one is given), and stopped by SIGTERM.
#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
extern char** environ;

inline std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ViewerRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvane-viewer-XXXXXX";
    root = mkdtemp(pattern);
    install = root / "install";
    const char* dist = std::getenv("KELVANE_DIST");
    ASSERT_NE(dist, nullptr);
    fs::copy(dist, install, fs::copy_options::recursive);
    fs::remove(install / "channel.lst");
    fs::remove(install / "error.log");
    registry = root / "registry";
    SetRegistryValue("WriteErrorLog", "Yes");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  void SetRegistryValue(const char* name, const char* value) {
    std::string tool = (fs::path(std::getenv("KELVANE_DIST")).parent_path() / "tools" / "reg_value").string();
    std::string command = "KELVANE_REGISTRY='" + registry.string() + "' '" + tool +
                          "' 'SOFTWARE\\Ondrel\\Kelvane Viewers\\1.20.000' " + name + " " + value;
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  // Starts the viewer in the installation with the given arguments and extra
  // environment; returns its process id.
  pid_t Start(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {}) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      std::string entry = *e;
      if (entry.rfind("KELVANE_REGISTRY=", 0) == 0 || entry.rfind("SDL_VIDEODRIVER=", 0) == 0) continue;
      env.push_back(entry);
    }
    env.push_back("KELVANE_REGISTRY=" + registry.string());
    bool driverGiven = false;
    for (const auto& e : extraEnv) driverGiven = driverGiven || e.rfind("SDL_VIDEODRIVER=", 0) == 0;
    if (!driverGiven) env.push_back("SDL_VIDEODRIVER=offscreen");
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    std::string program = (install / "viewer").string();
    std::vector<std::string> argStrings = {program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, install.c_str());
    std::string out = (root / "viewer.out").string();
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(rc, 0);
    return pid;
  }

  // Waits for the process to end by itself; -1 when it does not within the time.
  int WaitExit(pid_t pid, int seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
  }

  std::string Output() { return ReadText(root / "viewer.out"); }

  // Waits until the file holds the text; false when it does not within the time.
  static bool WaitForText(const fs::path& file, const std::string& text, int seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      if (ReadText(file).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // Plays `project` headless and stops it after `*seconds` (doubled until
  // a frame was presented, within four minutes); the last frame's RGB bytes,
  // and in `*seconds` the time that gave it.
  std::vector<uint8_t> PlayFrame(const std::string& project, const fs::path& frame, int* seconds, unsigned* width) {
    fs::remove(frame);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(240);
    for (; !fs::exists(frame) && std::chrono::steady_clock::now() < deadline; *seconds *= 2) {
      fs::remove(install / "error.log");
      pid_t pid = Start({project}, {"KELVANE_FRAME_PNG=" + frame.string()});
      EXPECT_TRUE(WaitForText(install / "error.log", "DirectX 8.1 or better installed", 60));
      std::this_thread::sleep_for(std::chrono::seconds(*seconds));
      kill(pid, SIGTERM);
      EXPECT_EQ(WaitExit(pid, 30), 0) << Output();
      if (fs::exists(frame)) break;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, frame.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    *width = image.width;
    return rgb;
  }

  fs::path root, install, registry;
};
