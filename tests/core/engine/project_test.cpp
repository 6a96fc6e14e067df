// Projects: the project-file loader's result codes and restores, the error
// log's line format, and the engine control driving a project end to end.
#include "channel_list.h"
#include "engine_control.h"
#include "engine_fixture.h"
#include "error_log.h"
#include "file_loader.h"
#include "file_saver.h"
#include "orn_channel.h"
#include "orn_channel_group.h"
#include "project_loader.h"
#include "projects_fixture.h"
#include "win32/datetime.h"
#include "win32/messagebox.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>


TEST_F(Projects, ResultCodesOfTheHeaderAndVersion) {
  EXPECT_EQ(Load(root / "missing.klv"), kProjectFailure);
  EXPECT_EQ(engine->ext->InitializeKLVFile(nullptr), kProjectFailure);

  ProjectWriter(engine).Int("KSGX", 1).WriteTo(Project());
  EXPECT_EQ(Load(Project()), kProjectFailure);

  ProjectWriter(engine).Int("KSPT", 1).Text("KSGR", "start.grp").Int("KVNV", 100006).WriteTo(Project());
  EXPECT_EQ(Load(Project()), kProjectNeedsUpdate);

  ProjectWriter(engine).Int("KSPT", 1).Text("KSGR", "start.grp").Int("KVNV", 100005).WriteTo(Project());
  EXPECT_EQ(Load(Project()), kProjectReady);
  EXPECT_EQ(std::string(engine->ext->GetProjectLoader()->GetStartGroupPath()), (root / "start.grp").string());

  // A project without a start group does not keep the previous one.
  ProjectWriter(engine).Int("KSPT", 1).WriteTo(Project());
  EXPECT_EQ(Load(Project()), kProjectReady);
  EXPECT_STREQ(engine->ext->GetProjectLoader()->GetStartGroupPath(), "");
}

TEST_F(Projects, PresentCurrentLibrariesAreReady) {
  ProjectWriter writer(engine);
  writer.Int("KSPT", 1).Int("KDDC", 2).Tag("KFDB").Blocks(PlainType(), kCurrent, CrcOf(PlainFile()));
  writer.Int("KDGC", 0).WriteTo(Project());
  EXPECT_EQ(Load(Project()), kProjectReady);
}

TEST_F(Projects, OutdatedLibraryIsRestoredFromItsEmbeddedCopy) {
  // The embedded copy is the second library of the plain type, written under
  // the plain library's file name; the requirement (2, 25, 1) is newer than
  // (1, 25, 1).
  fs::path again = install / "channels" / "ZZ-plain-again.so";
  std::vector<char> copy = ReadBytes(again);
  const int32_t required[3] = {2, 25, 1};
  int32_t size = static_cast<int32_t>(copy.size());
  std::string name = "0A11CE00-0000-4000-8000-000000000001.so";
  ProjectWriter writer(engine);
  writer.Int("KSPT", 1).Int("KDDC", 1).Blocks(PlainType(), required, CrcOf(again));
  writer.Text("KCAN", name).Int("KCAS", size).Chunk("KCAF", copy.data(), copy.size());
  writer.WriteTo(Project());
  EXPECT_EQ(Load(Project()), kProjectReady);
  EXPECT_EQ(ReadBytes(PlainFile()), copy);
  ChannelType listed = engine->ext->GetChannelList()->GetChannelType(PlainType());
  EXPECT_EQ(listed.version[0], 2);
  EXPECT_EQ(listed.version[2], 1);
  // The next channel of the type comes from the restored file, not from the
  // library that was loaded before the restore.
  Orn_Channel* channel = engine->InitChannelFromType(PlainType(), nullptr, false);
  ASSERT_NE(channel, nullptr);
  EXPECT_STREQ(channel->GetChannelType().name, "Test Plain Again");
  delete channel;
}

TEST_F(Projects, MissingLibraryWithoutCopyNeedsAnUpdate) {
  ProjectWriter writer(engine);
  writer.Int("KSPT", 1).Int("KDDC", 1).Blocks(GuidLiteral("0A11CE00-0000-4000-8000-0000000000FF"), kCurrent, 0);
  writer.WriteTo(Project());
  EXPECT_EQ(Load(Project()), kProjectNeedsUpdate);
}

TEST_F(Projects, ChecksumTestFollowsTheRegistrySwitch) {
  ProjectWriter writer(engine);
  writer.Int("KSPT", 1).Int("KDDC", 1).Blocks(PlainType(), kCurrent, CrcOf(PlainFile()) + 1);
  writer.WriteTo(Project());
  EXPECT_EQ(Load(Project()), kProjectNeedsUpdate);
  ASSERT_TRUE(engine->ext->SetRegData("KlvCrCCheck", "No"));
  EXPECT_EQ(Load(Project()), kProjectReady);

  // Third-party libraries are always checked.
  std::ofstream(install / "3rd" / "helper.so") << "library bytes";
  ProjectWriter others(engine);
  others.Int("KSPT", 1).Int("KDDC", 0).Int("KDGC", 1).Text("KDDF", "helper.so").Int("KCRC", 1);
  others.WriteTo(Project());
  EXPECT_EQ(Load(Project()), kProjectNeedsUpdate);
}

TEST_F(Projects, EmbeddedNamesThatLeaveTheirDirectoryAreRefused) {
  const char payload[] = "not a library";
  int32_t size = sizeof payload;
  for (const char* name : {"../escape.so", "/tmp/escape.so", "sub/escape.so", "..", "a\\..\\b.so"}) {
    ProjectWriter writer(engine);
    writer.Int("KSPT", 1).Int("KDDC", 1).Blocks(GuidLiteral("0A11CE00-0000-4000-8000-0000000000FE"), kCurrent, 0);
    writer.Text("KCAN", name).Int("KCAS", size).Chunk("KCAF", payload, sizeof payload);
    writer.WriteTo(Project());
    EXPECT_EQ(Load(Project()), kProjectNeedsUpdate) << name;
  }
  EXPECT_FALSE(fs::exists(install / "escape.so"));
  EXPECT_FALSE(fs::exists("/tmp/escape.so"));
}

TEST_F(Projects, EmbeddedSizeLargerThanItsBlockIsRefused) {
  const char payload[] = "short";
  ProjectWriter writer(engine);
  writer.Int("KSPT", 1).Int("KDDC", 1).Blocks(GuidLiteral("0A11CE00-0000-4000-8000-0000000000FD"), kCurrent, 0);
  writer.Text("KCAN", "x.so").Int("KCAS", 1000).Chunk("KCAF", payload, sizeof payload);
  writer.WriteTo(Project());
  EXPECT_NE(Load(Project()), kProjectReady);
  EXPECT_FALSE(fs::exists(install / "channels" / "x.so"));
}

TEST_F(Projects, DamagedEntryListsStopAtOnce) {
  // Counts the remaining bytes cannot hold, and entries that are neither of
  // their kind's tags, are damaged files: never "ready", never a long loop.
  const std::vector<std::function<void(ProjectWriter&)>> damaged = {
      [](ProjectWriter& w) { w.Int("KSPT", 1).Int("KDDC", 0x7FFFFFFF).Tag("XXXX").Int("KDGC", 0); },
      [](ProjectWriter& w) { w.Int("KSPT", 1).Int("KDDC", 2).Tag("KFDB").Int("XXXX", 0).Int("KDGC", 0); },
      [](ProjectWriter& w) { w.Int("KSPT", 1).Int("KDDC", 0).Int("KDGC", 2).Tag("KDFF").Int("XXXX", 0); },
      [](ProjectWriter& w) { w.Int("KSPT", 1).Int("KDDC", 0).Int("KDGC", -1); },
  };
  for (size_t i = 0; i < damaged.size(); ++i) {
    ProjectWriter writer(engine);
    damaged[i](writer);
    writer.WriteTo(Project());
    EXPECT_EQ(Load(Project()), kProjectFailure) << "project " << i;
  }
}

TEST_F(Projects, DamagedEmbeddedCopiesLeaveTheInstallationAsItWas) {
  // The plain library is outdated by the requirement, the third-party library
  // differs from its entry's checksum, and the project carries garbage in
  // place of each.
  ASSERT_TRUE(engine->ext->SetRegData("WriteErrorLog", "Yes"));
  std::vector<char> installed = ReadBytes(PlainFile());
  std::ofstream(install / "3rd" / "helper.so") << "library bytes";
  std::vector<char> helper = ReadBytes(install / "3rd" / "helper.so");
  const std::string garbage = "garbage in place of a library";
  const int32_t required[3] = {2, 25, 1};
  auto project = [&](bool channelEntry) {
    ProjectWriter writer(engine);
    writer.Int("KSPT", 1);
    if (channelEntry) {
      writer.Int("KDDC", 1).Blocks(PlainType(), required, CrcOf(PlainFile()));
      writer.Text("KCAN", PlainFile().filename().string()).Int("KCAS", static_cast<int32_t>(garbage.size()));
      writer.Chunk("KCAF", garbage.data(), garbage.size());
    } else {
      writer.Int("KDDC", 0).Int("KDGC", 1).Text("KDDF", "helper.so").Int("KCRC", CrcOf(install / "3rd" / "helper.so") + 1);
      writer.Text("KDLN", "helper.so").Int("KDLS", static_cast<int32_t>(garbage.size()));
      writer.Chunk("KDLF", garbage.data(), garbage.size());
    }
    writer.WriteTo(Project());
  };
  for (bool channelEntry : {true, false}) {
    project(channelEntry);
    receiver.messages.clear();
    EXPECT_EQ(Load(Project()), kProjectNeedsUpdate);
    EXPECT_TRUE(receiver.Has(kMessageError, "ProjectFileLoader::Load: embedded copy does not match its checksum, not written:  " +
                                                std::string(channelEntry ? PlainFile().filename().string() : "helper.so")));
  }
  EXPECT_EQ(ReadBytes(PlainFile()), installed);
  EXPECT_EQ(ReadBytes(install / "3rd" / "helper.so"), helper);
  for (const char* dir : {"channels", "3rd"})
    for (const auto& entry : fs::directory_iterator(install / dir))
      EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << "left behind: " << entry.path();
  // The plain type still loads from the file that was there.
  Orn_Channel* channel = engine->InitChannelFromType(PlainType(), nullptr, false);
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(channel->GetChannelType().type, PlainType());
  delete channel;
}

TEST_F(Projects, ErrorLogLineFormat) {
  ASSERT_TRUE(engine->ext->SetRegData("WriteErrorLog", "Yes"));
  ErrorLogOutput log(engine);
  SYSTEMTIME fixed = {};
  fixed.wYear = 2026;
  fixed.wMonth = 3;
  fixed.wDay = 7;
  fixed.wHour = 14;
  fixed.wMinute = 0;
  fixed.wSecond = 5;
  Win32_SetClockOverride(&fixed);
  DebugMessage message;
  message.SetDebugMessage("Couldn't find DLL");
  message.SetMessageType(kMessageError);
  log.ShowDebugMessage(&message);
  message.SetMessageType(kMessageInfo);
  message.SetDebugMessage("ready");
  log.ShowDebugMessage(&message);
  Win32_SetClockOverride(nullptr);
  std::vector<char> bytes = ReadBytes(install / "error.log");
  std::string expected = "2026-03-07 14:00:05 Error: Couldn't find DLL\r\n2026-03-07 14:00:05 Info : ready\r\n";
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
}

TEST_F(Projects, ViewersSharingTheLogKeepEveryLineWhole) {
  ASSERT_TRUE(engine->ext->SetRegData("WriteErrorLog", "Yes"));
  constexpr int kWriters = 4;
  constexpr int kLines = 300;
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ErrorLogOutput log(engine);
      DebugMessage message;
      message.SetMessageType(kMessageError);
      for (int i = 0; i < kLines; ++i) {
        std::string text = "writer " + std::to_string(w) + " line " + std::to_string(i) + " " + std::string(40, 'a' + w);
        message.SetDebugMessage(text.c_str());
        log.ShowDebugMessage(&message);
      }
      _exit(0);
    }
    writers.push_back(pid);
  }
  for (pid_t pid : writers) ASSERT_EQ(waitpid(pid, nullptr, 0), pid);
  std::vector<char> bytes = ReadBytes(install / "error.log");
  std::string text(bytes.begin(), bytes.end());
  std::vector<int> next(kWriters, 0);
  size_t lines = 0;
  for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2, ++lines) {
    std::string line = text.substr(at, end - at);
    int w = -1, i = -1;
    ASSERT_EQ(std::sscanf(line.c_str() + 20, "Error: writer %d line %d", &w, &i), 2) << line;
    ASSERT_TRUE(w >= 0 && w < kWriters) << line;
    EXPECT_EQ(i, next[w]++) << line;
    EXPECT_EQ(line.substr(line.size() - 41), " " + std::string(40, 'a' + w)) << line;
  }
  EXPECT_EQ(lines, static_cast<size_t>(kWriters * kLines));
}

TEST_F(Projects, LoaderReportsOnlyWhenTheLogSaysYes) {
  ProjectWriter(engine).Int("KSGX", 1).WriteTo(Project());
  receiver.messages.clear();
  EXPECT_EQ(Load(Project()), kProjectFailure);
  EXPECT_FALSE(receiver.Contains("There is no KLV header found."));
  ASSERT_TRUE(engine->ext->SetRegData("WriteErrorLog", "yes"));
  EXPECT_EQ(Load(Project()), kProjectFailure);
  bool shown = false;
  for (const auto& m : receiver.messages) shown = shown || (m.first == kMessageBox && m.second == "There is no KLV header found.");
  EXPECT_TRUE(shown);
}

TEST_F(Projects, MessageWithoutTextIsNeitherWrittenNorShown) {
  ASSERT_TRUE(engine->ext->SetRegData("WriteErrorLog", "Yes"));
  ErrorLogOutput log(engine);
  int boxes = 0;
  auto previous = Win32_SetMessageBoxHook([&](HWND, const char*, const char*, UINT) {
    ++boxes;
    return IDOK;
  });
  DebugMessage message;
  message.SetMessageType(kMessageBox);
  log.ShowDebugMessage(&message);
  Win32_SetMessageBoxHook(previous);
  EXPECT_EQ(boxes, 0);
  EXPECT_FALSE(fs::exists(install / "error.log"));
}

TEST_F(Projects, ErrorLogIsOffUntilTheRegistrySaysSo) {
  ErrorLogOutput first(engine);
  EXPECT_FALSE(first.GetIfWriteLog());
  char value[10] = {};
  ASSERT_TRUE(engine->ext->GetRegData("WriteErrorLog", value, sizeof value));
  EXPECT_STREQ(value, "No");
  std::vector<std::string> boxes;
  auto previous = Win32_SetMessageBoxHook([&](HWND, const char* text, const char*, UINT) {
    boxes.push_back(text);
    return IDOK;
  });
  DebugMessage message;
  message.SetDebugMessage("shown");
  message.SetMessageType(kMessageBox);
  first.ShowDebugMessage(&message);
  Win32_SetMessageBoxHook(previous);
  EXPECT_EQ(boxes, std::vector<std::string>{"shown"});
  EXPECT_FALSE(fs::exists(install / "error.log"));
}

TEST_F(Projects, EngineControlRunsAProjectFrameByFrame) {
  StopEngine();
  debugOutPut = nullptr;
  // A group with one plain channel as its start channel, and a project naming it.
  {
    EngineInterface* maker = new EngineInterface;
    maker->ext->SetInstallDir(install.c_str());
    maker->ext->SetKelvaneRegKey("Software\\KelvaneTest");
    ASSERT_TRUE(maker->ext->InitEngine(nullptr, "TEST"));
    Orn_ChannelGroup* group = maker->CreateNewGroup("Frames", false, -1);
    Orn_Channel* start = maker->InitChannelFromType(ParentType(), group, true);
    ASSERT_NE(start, nullptr);
    start->SetChannelName("start");
    group->SetStartChannel(start->GetChannelIDIndexNr());
    ASSERT_TRUE(group->SaveChannelGroup((root / "frames.grp").c_str()));
    ProjectWriter(maker).Int("KSPT", 1).Text("KSGR", "frames.grp").WriteTo(Project());
    maker->ext->Release();
    delete maker;
  }
  EngineControl* control = GetEngineControlInstance();
  ASSERT_NE(control, nullptr);
  control->EngineLoop();  // before InitEngine: nothing
  control->SetInstallDir(install.c_str());
  control->SetKelvaneRegKey("Software\\KelvaneTest");
  std::string path = Project().string();
  control->SetCommandLine(path.data());
  ASSERT_TRUE(control->InitEngine(nullptr, const_cast<char*>("TEST"), nullptr));
  EXPECT_NE(debugOutPut, nullptr);
  ASSERT_EQ(control->LoadProject(), kLoadProjectReady);
  int before = control->GetEngineInterface()->GetTreeCalculateCount();
  for (int i = 0; i < 5; ++i) control->EngineLoop();
  EXPECT_EQ(control->GetEngineInterface()->GetTreeCalculateCount(), before + 5);

  // A start group that cannot be loaded.
  ProjectWriter(control->GetEngineInterface()).Int("KSPT", 1).Text("KSGR", "absent.grp").WriteTo(Project());
  EXPECT_EQ(control->LoadProject(), kLoadProjectNoStartGroup);
  delete control;
  EXPECT_EQ(debugOutPut, nullptr);
  debugOutPut = &receiver;
}

namespace {
class ControlProbe : public EngineControl {
 public:
  const char* CommandLine() const { return commandLine; }
};
}  // namespace

TEST_F(Projects, LongCommandLineIsCut) {
  ControlProbe control;
  std::string path(1200, 'p');
  control.SetCommandLine(path.data());
  EXPECT_EQ(std::string(control.CommandLine()), path.substr(0, 999));
  // No engine yet: loading fails, frames and messages are ignored.
  EXPECT_EQ(control.LoadProject(), kLoadProjectFailure);
  control.EngineLoop();
  control.ProcessWindowMessage(0x0100, 0, 0);
}

TEST_F(Projects, NoFileChosenInTheDialogEndsWithoutAProject) {
  StopEngine();
  debugOutPut = nullptr;
  // Headless and without a terminal the dialog cancels at once.
  std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  int savedStdin = dup(0);
  int devNull = open("/dev/null", O_RDONLY);
  dup2(devNull, 0);
  close(devNull);
  EngineControl* control = GetEngineControlInstance();
  control->SetInstallDir(install.c_str());
  control->SetKelvaneRegKey("Software\\KelvaneTest");
  ASSERT_TRUE(control->InitEngine(nullptr, const_cast<char*>("TEST"), nullptr));
  EngineInterface* running = control->GetEngineInterface();
  running->CreateNewGroup("Earlier", false, -1);
  EXPECT_EQ(control->LoadProject(), kLoadProjectNoFile);
  EXPECT_EQ(running->GetChannelGroupCount(), 0);
  delete control;
  dup2(savedStdin, 0);
  close(savedStdin);
  if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
  debugOutPut = &receiver;
}
