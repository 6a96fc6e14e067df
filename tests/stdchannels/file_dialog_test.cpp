// The file-dialog channel: it answers at once with "cancelled" when there is
// neither a desktop nor a terminal, and takes the path the desktop dialog
// prints.
#include "project_file_dialog.h"
#include "test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

// Sets an environment variable for one test; the old value comes back after.
class EnvSetting {
 public:
  EnvSetting(const char* name, const char* value) : name(name) {
    const char* old = std::getenv(name);
    had = old != nullptr;
    if (had) previous = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~EnvSetting() {
    if (had)
      setenv(name.c_str(), previous.c_str(), 1);
    else
      unsetenv(name.c_str());
  }

 private:
  std::string name;
  std::string previous;
  bool had = false;
};

// Standard input from /dev/null (not a terminal) for one test.
class StdinFromNull {
 public:
  StdinFromNull() : saved(dup(STDIN_FILENO)) {
    int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    close(null);
  }
  ~StdinFromNull() {
    dup2(saved, STDIN_FILENO);
    close(saved);
  }

 private:
  int saved;
};

// Standard input from a pseudo-terminal whose other side holds typed text.
class StdinFromTerminal {
 public:
  explicit StdinFromTerminal(const std::string& typed) : saved(dup(STDIN_FILENO)) {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
    int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
    if (terminal < 0) return;
    dup2(terminal, STDIN_FILENO);
    close(terminal);
    ready = write(master, typed.data(), typed.size()) == static_cast<ssize_t>(typed.size());
  }
  ~StdinFromTerminal() {
    dup2(saved, STDIN_FILENO);
    close(saved);
    if (master >= 0) close(master);
  }

  bool ready = false;

 private:
  int saved;
  int master = -1;
};

class FileDialog : public ::testing::Test {
 protected:
  // A stand-in for the desktop dialog program: it records its arguments,
  // prints the given text and exits with the given code.
  void FakeZenity(const std::string& output, int code) {
    std::string script = dir.File("zenity");
    std::string text = "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + dir.File("args") + "'\n";
    if (!output.empty()) text += "printf '%s\\n' '" + output + "'\n";
    text += "exit " + std::to_string(code) + "\n";
    WriteAll(script, std::vector<char>(text.begin(), text.end()));
    chmod(script.c_str(), 0755);
  }

  ScratchDir dir;
  StdinFromNull input;
  Vel_ProjectFileDialog dialog;
  char path[260];
};

TEST_F(FileDialog, HeadlessWithoutTerminalCancelsAtOnce) {
  EnvSetting display("DISPLAY", nullptr);
  EnvSetting wayland("WAYLAND_DISPLAY", nullptr);
  std::strcpy(path, "left over");
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(dialog.OpenFileDialog("Kelvane file (*.klv)", "klv", path, sizeof path));
  EXPECT_STREQ(path, "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(FileDialog, DesktopWithoutDialogProgramCancels) {
  EnvSetting display("DISPLAY", ":99");
  EnvSetting searchPath("PATH", dir.path.c_str());
  EXPECT_FALSE(dialog.OpenFileDialog("Kelvane file (*.klv)", "klv", path, sizeof path));
  EXPECT_STREQ(path, "");
}

TEST_F(FileDialog, DesktopDialogChoiceIsReturned) {
  FakeZenity("/home/user/demo.klv", 0);
  EnvSetting display("DISPLAY", ":99");
  EnvSetting searchPath("PATH", dir.path.c_str());
  ASSERT_TRUE(dialog.OpenFileDialog("Kelvane file (*.klv)", "klv", path, sizeof path));
  EXPECT_STREQ(path, "/home/user/demo.klv");
  std::vector<char> args = ReadAll(dir.File("args"));
  std::string argText(args.begin(), args.end());
  EXPECT_NE(argText.find("--file-selection"), std::string::npos);
  EXPECT_NE(argText.find("--file-filter=Kelvane file (*.klv) | *.klv"), std::string::npos);
}

TEST_F(FileDialog, DesktopDialogCancelIsEmpty) {
  FakeZenity("", 1);
  EnvSetting wayland("WAYLAND_DISPLAY", "wayland-0");
  EnvSetting display("DISPLAY", nullptr);
  EnvSetting searchPath("PATH", dir.path.c_str());
  EXPECT_FALSE(dialog.OpenFileDialog("Kelvane file (*.klv)", "klv", path, sizeof path));
  EXPECT_STREQ(path, "");
}

TEST_F(FileDialog, PathLongerThanTheBufferIsNotCut) {
  FakeZenity("/a/very/long/path/to/demo.klv", 0);
  EnvSetting display("DISPLAY", ":99");
  EnvSetting searchPath("PATH", dir.path.c_str());
  char small[10];
  EXPECT_FALSE(dialog.OpenFileDialog("Kelvane file (*.klv)", "klv", small, sizeof small));
  EXPECT_STREQ(small, "");
  EXPECT_FALSE(dialog.OpenFileDialog("Kelvane file (*.klv)", "klv", nullptr, 10));
}

// A dialog program that cannot show itself (no display server) falls back to
// the terminal, which is not there either.
TEST_F(FileDialog, BrokenDialogProgramFallsBackAndCancels) {
  FakeZenity("", 255);
  EnvSetting display("DISPLAY", ":99");
  EnvSetting searchPath("PATH", dir.path.c_str());
  EXPECT_FALSE(dialog.OpenFileDialog("Kelvane file (*.klv)", "klv", path, sizeof path));
  EXPECT_STREQ(path, "");
}

TEST_F(FileDialog, TerminalAnswerGetsTheDefaultExtension) {
  EnvSetting display("DISPLAY", nullptr);
  EnvSetting wayland("WAYLAND_DISPLAY", nullptr);
  {
    StdinFromTerminal terminal("  projects/demo  \n");
    if (!terminal.ready) GTEST_SKIP() << "no pseudo-terminal here";
    ASSERT_TRUE(dialog.OpenFileDialog("Kelvane file (*.klv)", "klv", path, sizeof path));
    EXPECT_STREQ(path, "projects/demo.klv");
  }
  {
    StdinFromTerminal terminal("/data/v1.2/other.klv\n");
    if (!terminal.ready) GTEST_SKIP() << "no pseudo-terminal here";
    ASSERT_TRUE(dialog.OpenFileDialog("Kelvane file (*.klv)", "klv", path, sizeof path));
    EXPECT_STREQ(path, "/data/v1.2/other.klv");
  }
  {
    StdinFromTerminal terminal("\n");
    if (!terminal.ready) GTEST_SKIP() << "no pseudo-terminal here";
    EXPECT_FALSE(dialog.OpenFileDialog("Kelvane file (*.klv)", "klv", path, sizeof path));
    EXPECT_STREQ(path, "");
  }
}

}  // namespace
