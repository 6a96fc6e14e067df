// Embedded library copies that are not what their entry names replace
// nothing: the installation stays byte for byte as it was and later projects
// play. Copies that are what they say are installed, also when a plug-in
// needs a library the same project restores after it.
#include "channel_list.h"
#include "engine_control.h"
#include "orn_channel.h"
#include "orn_channel_group.h"
#include "project_loader.h"
#include "projects_fixture.h"

#include <elf.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace {
const GUID kFileLoaderType = GuidLiteral("C2A94E17-5B83-4D60-A7F1-0E9D36B8C254");
const int32_t kNewer[3] = {2, 25, 1};

// Every file of the installation's library directories, with its bytes.
std::map<std::string, std::vector<char>> Snapshot(const fs::path& install) {
  std::map<std::string, std::vector<char>> files;
  for (const char* dir : {"channels", "3rd"})
    for (const auto& entry : fs::directory_iterator(install / dir))
      files[std::string(dir) + "/" + entry.path().filename().string()] = ReadBytes(entry.path());
  return files;
}

fs::path BuiltThirdDir() { return fs::path(std::getenv("KELVANE_DIST")).parent_path() / "test-3rd"; }

class Restores : public Projects {
 protected:
  // A project with one channel-library entry carrying an embedded copy.
  void ChannelProject(const GUID& type, const int32_t required[3], const std::string& name,
                      const std::vector<char>& bytes) {
    ProjectWriter writer(engine);
    writer.Int("KSPT", 1).Int("KDDC", 1).Blocks(type, required, Crc(bytes));
    writer.Text("KCAN", name).Int("KCAS", static_cast<int32_t>(bytes.size())).Chunk("KCAF", bytes.data(), bytes.size());
    writer.WriteTo(Project());
  }

  int32_t Crc(const std::vector<char>& bytes) {
    OrnFileLoader loader(engine);
    loader.SetBuffer(const_cast<char*>(bytes.data()), static_cast<int>(bytes.size()), false);
    return loader.GetCRC();
  }

  // A fresh engine control runs a project whose start group holds a plain
  // channel; answers the frames it counted.
  int PlayPlainProject() {
    const int32_t plainCrc = CrcOf(PlainFile());
    StopEngine();
    {
      EngineInterface* maker = new EngineInterface;
      maker->ext->SetInstallDir(install.c_str());
      maker->ext->SetKelvaneRegKey("Software\\KelvaneTest");
      EXPECT_TRUE(maker->ext->InitEngine(nullptr, "TEST"));
      Orn_ChannelGroup* group = maker->CreateNewGroup("Plain", false, -1);
      Orn_Channel* start = maker->InitChannelFromType(PlainType(), group, true);
      EXPECT_NE(start, nullptr);
      if (start) group->SetStartChannel(start->GetChannelIDIndexNr());
      EXPECT_TRUE(group->SaveChannelGroup((root / "plain.grp").c_str()));
      {
        ProjectWriter plain(maker);
        plain.Int("KSPT", 1).Text("KSGR", "plain.grp").Int("KDDC", 1).Blocks(PlainType(), kCurrent, plainCrc);
        plain.WriteTo(root / "plain.klv");
      }
      maker->ext->Release();
      delete maker;
    }
    EngineControl* control = GetEngineControlInstance();
    control->SetInstallDir(install.c_str());
    control->SetKelvaneRegKey("Software\\KelvaneTest");
    std::string path = (root / "plain.klv").string();
    control->SetCommandLine(path.data());
    int frames = -1;
    if (control->InitEngine(nullptr, const_cast<char*>("TEST"), nullptr) && control->LoadProject() == kLoadProjectReady) {
      int before = control->GetEngineInterface()->GetTreeCalculateCount();
      for (int i = 0; i < 3; ++i) control->EngineLoop();
      frames = control->GetEngineInterface()->GetTreeCalculateCount() - before;
    }
    delete control;
    debugOutPut = &receiver;
    StartEngine();
    return frames;
  }
};
}  // namespace

TEST_F(Restores, GarbageWithItsOwnChecksumReplacesNothing) {
  const std::string garbage = "random bytes stating their own checksum";
  const std::vector<char> bytes(garbage.begin(), garbage.end());
  struct Case {
    GUID type;
    std::string name;
  };
  const Case cases[] = {
      {PlainType(), PlainFile().filename().string()},                  // over a good plug-in
      {kFileLoaderType, "C2A94E17-5B83-4D60-A7F1-0E9D36B8C254.so"},    // as the file loader
      {GuidLiteral("0A11CE00-0000-4000-8000-0000000000F0"), "gone.so"},  // the library is missing
  };
  auto before = Snapshot(install);
  for (const Case& c : cases) {
    ChannelProject(c.type, kNewer, c.name, bytes);
    receiver.Clear();
    EXPECT_EQ(Load(Project()), kProjectNeedsUpdate) << c.name;
    EXPECT_TRUE(receiver.Has(kMessageError, "ProjectFileLoader::Load: embedded copy is not a shared object, not written: " + c.name))
        << c.name;
  }
  // The same garbage as a third-party library.
  {
    ProjectWriter others(engine);
    others.Int("KSPT", 1).Int("KDDC", 0).Int("KDGC", 1).Text("KDDF", "helper.so").Int("KCRC", Crc(bytes));
    others.Text("KDLN", "helper.so").Int("KDLS", static_cast<int32_t>(bytes.size()));
    others.Chunk("KDLF", bytes.data(), bytes.size()).WriteTo(Project());
  }
  EXPECT_EQ(Load(Project()), kProjectNeedsUpdate);

  EXPECT_EQ(Snapshot(install), before);
  // The file loader still reads files, and a later plain project plays.
  EXPECT_EQ(CrcOf(PlainFile()), Crc(ReadBytes(PlainFile())));
  EXPECT_EQ(PlayPlainProject(), 3);
  EXPECT_EQ(Snapshot(install), before);
}

TEST_F(Restores, LibrariesThatAreNotTheNamedPlugInReplaceNothing) {
  const fs::path channels = install / "channels";
  // A shared object for another machine: its header says so.
  std::vector<char> foreign = ReadBytes(PlainFile());
  ElfW(Ehdr) header;
  std::memcpy(&header, foreign.data(), sizeof header);
  header.e_machine = header.e_machine == EM_X86_64 ? EM_AARCH64 : EM_X86_64;
  std::memcpy(foreign.data(), &header, sizeof header);
  struct Case {
    std::vector<char> bytes;
    std::string reason;
  };
  const Case cases[] = {
      {foreign, "ProjectFileLoader::Load: embedded copy is a shared object for another machine, not written: "},
      {ReadBytes(channels / "0A11CE00-0000-4000-8000-000000000007.so"),
       "ProjectFileLoader::Load: embedded copy not installed, a plug-in of another channel type: "},
      {ReadBytes(BuiltThirdDir() / "thirdprobe.so"),
       "ProjectFileLoader::Load: embedded copy not installed, not a channel plug-in (GetType or InitDLL missing): "},
      {ReadBytes(channels / "0A11CE00-0000-4000-8000-000000000004.so"),
       "ProjectFileLoader::Load: embedded copy not installed, a plug-in of another channel type: "},
  };
  auto before = Snapshot(install);
  for (const Case& c : cases) {
    ChannelProject(PlainType(), kNewer, PlainFile().filename().string(), c.bytes);
    receiver.Clear();
    EXPECT_EQ(Load(Project()), kProjectNeedsUpdate) << c.reason;
    EXPECT_TRUE(receiver.Has(kMessageError, c.reason + PlainFile().filename().string())) << c.reason;
  }
  // A plug-in of the entry's type built for interface version 24.
  const GUID v24 = Version24Type();
  ChannelProject(v24, kNewer, "0A11CE00-0000-4000-8000-000000000004.so",
                 ReadBytes(channels / "0A11CE00-0000-4000-8000-000000000004.so"));
  receiver.Clear();
  EXPECT_EQ(Load(Project()), kProjectNeedsUpdate);
  EXPECT_TRUE(receiver.Has(kMessageError,
                           "ProjectFileLoader::Load: embedded copy not installed, a plug-in for another interface "
                           "version: 0A11CE00-0000-4000-8000-000000000004.so"));
  // A good plug-in of the entry's type, named as another type's library.
  ChannelProject(PlainType(), kNewer, "C2A94E17-5B83-4D60-A7F1-0E9D36B8C254.so", ReadBytes(channels / "ZZ-plain-again.so"));
  receiver.Clear();
  EXPECT_EQ(Load(Project()), kProjectNeedsUpdate);
  EXPECT_TRUE(receiver.Has(kMessageError,
                           "ProjectFileLoader::Load: embedded copy would replace the library of another channel type, "
                           "not written: C2A94E17-5B83-4D60-A7F1-0E9D36B8C254.so"));
  EXPECT_EQ(Snapshot(install), before);
  Orn_Channel* channel = engine->InitChannelFromType(PlainType(), nullptr, false);
  ASSERT_NE(channel, nullptr);
  EXPECT_STREQ(channel->GetChannelType().name, "Test Plain");
  delete channel;
}

TEST_F(Restores, PlugInAndTheLibraryItNeedsAreRestoredTogether) {
  const GUID needsThird = GuidLiteral("0A11CE00-0000-4000-8000-00000000000C");
  std::vector<char> plugin = ReadBytes(BuiltThirdDir() / "0A11CE00-0000-4000-8000-00000000000C.so");
  std::vector<char> library = ReadBytes(BuiltThirdDir() / "thirdprobe.so");
  auto addPlugin = [&](ProjectWriter& writer) {
    writer.Int("KSPT", 1).Int("KDDC", 1).Blocks(needsThird, kCurrent, Crc(plugin));
    writer.Text("KCAN", "needs3rd.so").Int("KCAS", static_cast<int32_t>(plugin.size()));
    writer.Chunk("KCAF", plugin.data(), plugin.size());
  };
  // Without its library the plug-in never loads: it is not installed.
  {
    ProjectWriter alone(engine);
    addPlugin(alone);
    alone.WriteTo(Project());
  }
  receiver.Clear();
  EXPECT_EQ(Load(Project()), kProjectNeedsUpdate);
  EXPECT_FALSE(fs::exists(install / "channels" / "needs3rd.so"));
  EXPECT_TRUE(receiver.HasPart("ProjectFileLoader::Load: embedded copy not installed, it does not load: "));

  // With the library in an entry after it, the plug-in loads once the library
  // is in place.
  {
    ProjectWriter writer(engine);
    addPlugin(writer);
    writer.Int("KDGC", 1).Text("KDDF", "thirdprobe.so").Int("KCRC", Crc(library));
    writer.Text("KDLN", "thirdprobe.so").Int("KDLS", static_cast<int32_t>(library.size()));
    writer.Chunk("KDLF", library.data(), library.size()).WriteTo(Project());
  }
  EXPECT_EQ(Load(Project()), kProjectReady);
  EXPECT_EQ(ReadBytes(install / "channels" / "needs3rd.so"), plugin);
  EXPECT_EQ(ReadBytes(install / "3rd" / "thirdprobe.so"), library);
  for (const char* dir : {"channels", "3rd"})
    for (const auto& entry : fs::directory_iterator(install / dir))
      EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << "left behind: " << entry.path();
  // A type the list did not know is found at the next start.
  StopEngine();
  StartEngine();
  Orn_Channel* channel = engine->InitChannelFromType(needsThird, nullptr, false);
  ASSERT_NE(channel, nullptr);
  std::vector<std::string> entries = test_recorder::Entries();
  EXPECT_NE(std::find(entries.begin(), entries.end(), "answered from 3rd"), entries.end());
  delete channel;
}
