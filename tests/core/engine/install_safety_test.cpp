// The installation under interrupted and failing writes: start-up removes the
// temporary files of writers that no longer run, and a full file system
// leaves every installed file as it was, no temporary file behind, and a log
// that names the file and the cause.
#include "orn_channel.h"
#include "project_loader.h"
#include "projects_fixture.h"

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {
// A process id no process has any more.
pid_t EndedProcess() {
  pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

std::string TempName(const std::string& file, pid_t pid, int number) {
  return "." + file + ".tmp-" + std::to_string(pid) + "-" + std::to_string(number);
}

std::vector<std::string> TempFilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.path().filename().string().find(".tmp-") != std::string::npos) names.push_back(entry.path().filename());
  return names;
}

// Writes until the file system has no room left.
void FillUp(const fs::path& file) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::setvbuf(out, nullptr, _IONBF, 0);
  std::vector<char> block(64 * 1024, 'f');
  for (size_t size : {block.size(), size_t{4096}, size_t{1}})
    while (std::fwrite(block.data(), 1, size, out) == size) {
    }
  std::fclose(out);
}
}  // namespace

TEST_F(Projects, StartUpRemovesOnlyTheTemporaryFilesOfEndedWriters) {
  const pid_t ended = EndedProcess();
  pid_t running = fork();
  ASSERT_GE(running, 0);
  if (running == 0) {
    pause();
    _exit(0);
  }
  const fs::path channels = install / "channels";
  const std::string plain = PlainFile().filename().string();
  const std::vector<fs::path> stale = {
      channels / TempName(plain, ended, 0),
      install / TempName("channel.lst", ended, 7),
      install / "3rd" / TempName("helper.so", ended, 2),
  };
  const std::vector<fs::path> kept = {
      channels / TempName(plain, running, 0),             // its writer still runs
      install / TempName("channel.lst", running, 1),
      channels / TempName("own.so", getpid(), 3),           // this process's own
      channels / (plain + ".tmp-" + std::to_string(ended) + "-0"),  // not a name we make
      channels / ("." + plain + ".tmp-" + std::to_string(ended) + "-x"),
      channels / ("." + plain + ".tmp-" + std::to_string(ended)),
  };
  for (const fs::path& file : stale) std::ofstream(file) << "half a library";
  for (const fs::path& file : kept) std::ofstream(file) << "being written";
  fs::create_directory(channels / TempName("dir.so", ended, 0));

  StopEngine();
  receiver.Clear();
  StartEngine();
  kill(running, SIGKILL);
  waitpid(running, nullptr, 0);

  for (const fs::path& file : stale) {
    EXPECT_FALSE(fs::exists(file)) << file;
    EXPECT_TRUE(receiver.Has(kMessageInfo,
                             "Engine::InitEngine: removed a temporary file an interrupted write left: " + file.string()))
        << file;
  }
  for (const fs::path& file : kept) EXPECT_TRUE(fs::exists(file)) << file;
  EXPECT_TRUE(fs::is_directory(channels / TempName("dir.so", ended, 0)));
  int removals = 0;
  for (const auto& m : receiver.messages) removals += m.second.find("removed a temporary file") != std::string::npos;
  EXPECT_EQ(removals, 3);
  // The engine started normally on the installation.
  Orn_Channel* channel = engine->InitChannelFromType(PlainType(), nullptr, false);
  EXPECT_NE(channel, nullptr);
  delete channel;
}

TEST_F(Projects, FullFileSystemKeepsTheInstallationAndNamesTheCause) {
  // An installation on a small file system of its own.
  const fs::path small = root / "small";
  fs::create_directories(small);
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=4m") != 0)
    GTEST_SKIP() << "cannot mount a small file system here: " << std::strerror(errno);
  struct Unmount {
    fs::path dir;
    ~Unmount() { umount2(dir.c_str(), MNT_DETACH); }
  } unmount{small};
  fs::create_directories(small / "channels");
  fs::create_directories(small / "3rd");
  const std::string plain = PlainFile().filename().string();
  for (const auto& entry : fs::directory_iterator(install / "channels")) {
    fs::path target = small / "channels" / entry.path().filename();
    if (entry.path().filename() == plain)
      fs::copy_file(entry.path(), target);
    else
      fs::create_symlink(entry.path(), target);
  }
  const std::vector<char> again = ReadBytes(install / "channels" / "ZZ-plain-again.so");
  const std::vector<char> installed = ReadBytes(PlainFile());
  // A hand-made cache of no items for this installation.
  {
    char dir[260] = {};
    small.string().copy(dir, sizeof dir - 1);
    ProjectWriter cache(engine);
    cache.Int("CLCC", 0).Chunk("CHDI", dir, sizeof dir).WriteTo(small / "channel.lst");
  }
  const std::vector<char> cache = ReadBytes(small / "channel.lst");
  const int32_t againCrc = CrcOf(install / "channels" / "ZZ-plain-again.so");
  StopEngine();
  install = small;
  StartEngine();
  {
    // The plain library is outdated; its copy is the second library of the type.
    const int32_t required[3] = {2, 25, 1};
    ProjectWriter writer(engine);
    writer.Int("KSPT", 1).Int("KDDC", 1).Blocks(PlainType(), required, againCrc);
    writer.Text("KCAN", plain).Int("KCAS", static_cast<int32_t>(again.size())).Chunk("KCAF", again.data(), again.size());
    writer.WriteTo(Project());
  }
  FillUp(small / "filler");
  receiver.Clear();

  EXPECT_EQ(Load(Project()), kProjectNeedsUpdate);
  EXPECT_EQ(ReadBytes(small / "channels" / plain), installed);
  EXPECT_EQ(TempFilesIn(small / "channels"), std::vector<std::string>{});
  const std::string saverFailure = "Vel_ChunkFileSaver: could not save " + (small / "channels").string() + "/." + plain + ".tmp-";
  const std::string cause = ": No space left on device";
  bool named = false;
  for (const std::string& text : receiver.Texts())
    named = named || (text.rfind(saverFailure, 0) == 0 && text.size() > cause.size() &&
                      text.compare(text.size() - cause.size(), cause.size(), cause) == 0);
  EXPECT_TRUE(named) << "the saver names the file and the cause";
  EXPECT_TRUE(receiver.Has(kMessageError, "ProjectFileLoader::Load: embedded copy could not be written, the installed "
                                          "file is kept: " + (small / "channels" / plain).string()));

  // The cache saved at shutdown cannot be written either: the old one stays.
  receiver.Clear();
  StopEngine();
  EXPECT_EQ(ReadBytes(small / "channel.lst"), cache);
  EXPECT_EQ(TempFilesIn(small), std::vector<std::string>{});
  EXPECT_TRUE(receiver.Has(kMessageError, "Vel_ChunkFileSaver: could not save " + (small / "channel.lst").string() +
                                              ": No space left on device"));

  // With room again the same project restores its copy.
  fs::remove(small / "filler");
  StartEngine();
  EXPECT_EQ(Load(Project()), kProjectReady);
  EXPECT_EQ(ReadBytes(small / "channels" / plain), again);
  StopEngine();
  EXPECT_NE(ReadBytes(small / "channel.lst"), cache);
}
