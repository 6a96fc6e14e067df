// Plug-in loading, the type check, the creation handshake and unique channels,
// against real plug-in libraries in a temporary installation.
#include "channel_internal.h"
#include "channel_list.h"
#include "engine_fixture.h"
#include "orn_channel.h"
#include "orn_channel_group.h"
#include "win32/env.h"

#include <algorithm>
#include <cstring>

using PluginLoading = EngineFixture;

namespace {
int IndexOf(const std::vector<std::string>& entries, const std::string& entry) {
  auto it = std::find(entries.begin(), entries.end(), entry);
  return it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
}
}  // namespace

TEST_F(PluginLoading, CreatesAChannelOfAnInstalledType) {
  Orn_Channel* channel = engine->InitChannelFromType(PlainType(), nullptr, false);
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(channel->engine, engine);
  EXPECT_NE(channel->dll, nullptr);
  ChannelType type = channel->GetChannelType();
  EXPECT_STREQ(type.name, "Test Plain");
  EXPECT_EQ(type.type, PlainType());
  delete channel;
}

TEST_F(PluginLoading, RefusesOtherInterfaceVersionsOnceWithAMessage) {
  const std::string v24 = "Channel not compatible with current version:  Test Version 24";
  const std::string v26 = "Channel not compatible with current version:  Test Version 26";
  EXPECT_EQ(receiver.Count(v24), 1);
  EXPECT_EQ(receiver.Count(v26), 1);
  EXPECT_EQ(engine->InitChannelFromType(Version24Type(), nullptr, false), nullptr);
  EXPECT_EQ(engine->InitChannelFromType(Version26Type(), nullptr, false), nullptr);
  EXPECT_EQ(engine->InitChannelFromType(Version24Type(), nullptr, false), nullptr);
  EXPECT_EQ(receiver.Count(v24), 1);
  EXPECT_EQ(receiver.Count(v26), 1);
  EXPECT_EQ(engine->ext->GetChannelList()->GetItem(Version24Type()), nullptr);
}

TEST_F(PluginLoading, FirstLibraryListedKeepsADuplicatedType) {
  ChannelListItem* item = engine->ext->GetChannelList()->GetItem(PlainType());
  ASSERT_NE(item, nullptr);
  std::string file = item->fileName.GetString();
  EXPECT_NE(file.find("0A11CE00-0000-4000-8000-000000000001.so"), std::string::npos) << file;
  EXPECT_STREQ(item->type.name, "Test Plain");
}

TEST_F(PluginLoading, LibraryWithoutGetTypeOrInitDLL) {
  std::string noType = (install / "channels" / "0A11CE00-0000-4000-8000-000000000006.so").string();
  EXPECT_TRUE(GuidIsZero(engine->ext->GetDLLType(noType.c_str()).type));

  std::string noInit = (install / "channels" / "0A11CE00-0000-4000-8000-000000000008.so").string();
  int before = Core()->GetLibraryCount();
  EXPECT_EQ(engine->ext->GetDLLInstance(noInit.c_str()), nullptr);
  EXPECT_EQ(Core()->GetLibraryCount(), before + 1);
  EXPECT_TRUE(receiver.Contains("Engine::GetDLLInstance: Couldn't find external function InitDLL() in dll:"));
}

TEST_F(PluginLoading, MissingLibraryIsReported) {
  EXPECT_EQ(engine->ext->GetDLLInstance("/nowhere/DoesNotExist.so"), nullptr);
  EXPECT_TRUE(receiver.Contains("Engine::GetDLLInstance: Error loading DLL file: /nowhere/DoesNotExist.so"));
  EXPECT_EQ(engine->ext->GetDLLInstance("x"), nullptr);
}

TEST_F(PluginLoading, LibrariesAPlugInNeedsAreFoundIn3rd) {
  const GUID needsThird = GuidLiteral("0A11CE00-0000-4000-8000-00000000000C");
  fs::path built = fs::path(std::getenv("KELVANE_DIST")).parent_path() / "test-3rd";
  fs::copy_file(built / "0A11CE00-0000-4000-8000-00000000000C.so", install / "channels" / "needs3rd.so");
  StopEngine();
  StartEngine();
  EXPECT_EQ(engine->InitChannelFromType(needsThird, nullptr, false), nullptr) << "found outside the installation";
  fs::copy_file(built / "thirdprobe.so", install / "3rd" / "thirdprobe.so");
  StopEngine();
  StartEngine();
  test_recorder::Clear();
  Orn_Channel* channel = engine->InitChannelFromType(needsThird, nullptr, false);
  ASSERT_NE(channel, nullptr) << (receiver.messages.empty() ? "" : receiver.Texts().back());
  EXPECT_GE(IndexOf(test_recorder::Entries(), "answered from 3rd"), 0);
  delete channel;
}

TEST_F(PluginLoading, ChildrenAreCreatedWithTheirParentInOrder) {
  Orn_ChannelGroup* group = engine->CreateNewGroup("Children", false, -1);
  ASSERT_NE(group, nullptr);
  test_recorder::Clear();
  Orn_Channel* parent = Core()->InitChannelFromType(ParentType(), group, true, false);
  ASSERT_NE(parent, nullptr);
  std::vector<std::string> expected = {"construct Test Parent", "construct Test Plain", "init Test Plain",
                                       "construct Test Alternative", "init Test Alternative", "init Test Parent"};
  EXPECT_EQ(test_recorder::Entries(), expected);

  Orn_Channel* first = parent->GetChild(0);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->GetChannelName(), "first");
  EXPECT_EQ(first->GetChannelType().type, PlainType());
  Orn_Channel* instead = parent->GetChild(2);
  ASSERT_NE(instead, nullptr);
  EXPECT_STREQ(instead->GetChannelName(), "instead");
  EXPECT_EQ(instead->GetChannelType().type, AltType());
  // Parent first, then its children, all in the same group.
  EXPECT_EQ(group->GetChannel(0), parent);
  EXPECT_TRUE(group->GetIfChannelInGroup(first));
  EXPECT_TRUE(group->GetIfChannelInGroup(instead));
}

TEST_F(PluginLoading, MissingChildTypeStillCreatesTheParent) {
  // Remove the type the parent wants instead: its slot stays empty.
  fs::remove(install / "channels" / "0A11CE00-0000-4000-8000-000000000007.so");
  StopEngine();
  fs::remove(install / "channel.lst");
  StartEngine();
  Orn_ChannelGroup* group = engine->CreateNewGroup("Children", false, -1);
  Orn_Channel* parent = Core()->InitChannelFromType(ParentType(), group, true, false);
  ASSERT_NE(parent, nullptr);
  EXPECT_TRUE(receiver.Contains("Couldn't initialize child"));
  EXPECT_EQ(parent->GetChild(2), nullptr);
  EXPECT_NE(parent->GetChild(0), nullptr);
  EXPECT_TRUE(group->GetIfChannelInGroup(parent));
}

TEST_F(PluginLoading, ConstructorMayCreateAnotherChannel) {
  Orn_Channel* creator = engine->InitChannelFromType(CreatorType(), nullptr, false);
  ASSERT_NE(creator, nullptr);
  auto entries = test_recorder::Entries();
  EXPECT_GE(IndexOf(entries, "construct Test Plain"), 0);
  // The handshake globals belong to the creator again once its own constructor ends.
  EXPECT_EQ(creator->GetChannelType().type, CreatorType());
  delete creator;
  EXPECT_GE(IndexOf(test_recorder::Entries(), "destroy Test Plain "), 0);
}

TEST_F(PluginLoading, UniqueChannelsAreSharedByTypeAndName) {
  Orn_Channel* a = engine->GetUniqueChannel(PlainType(), nullptr);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(engine->GetUniqueChannel(PlainType(), nullptr), a);
  EXPECT_EQ(engine->GetUniqueChannel(ChannelType(PlainType()), nullptr), a);
  EXPECT_TRUE(channelInternal.GetIfUniqueChannel(a));

  Orn_Channel* named = engine->GetUniqueChannel(AltType(), "A");
  Orn_Channel* other = engine->GetUniqueChannel(AltType(), "B");
  ASSERT_NE(named, nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_NE(named, other);
  EXPECT_EQ(engine->GetUniqueChannel(AltType(), "a"), named);

  std::string longName(70, 'x');
  for (int i = 0; i < 70; ++i) longName[i] = static_cast<char>('A' + i % 26);
  Orn_Channel* longOne = engine->GetUniqueChannel(AltType(), longName.c_str());
  ASSERT_NE(longOne, nullptr);
  EXPECT_EQ(std::string(longOne->GetChannelName()), longName.substr(11));

  EXPECT_EQ(engine->GetUniqueChannel(kNullGuid, nullptr), nullptr);
  EXPECT_TRUE(receiver.Contains("GUID of channel not found!\nCould not add unique channel!"));
  EXPECT_EQ(engine->ext->GetUniqueChannelCount(), 4);
}

TEST_F(PluginLoading, ChannelsFromTheInterfaceAreNeverUnique) {
  Orn_Channel* channel = engine->InitChannelFromType(PlainType(), nullptr, false);
  ASSERT_NE(channel, nullptr);
  EXPECT_FALSE(channelInternal.GetIfUniqueChannel(channel));
  delete channel;
}

TEST_F(PluginLoading, PathIsPrefixedOnlyOnce) {
  char path[4096] = {};
  GetEnvironmentVariableA("PATH", path, sizeof path);
  std::string first = path;
  std::string channels = (install / "channels").string() + ":";
  EXPECT_EQ(first.find(channels), 0u);
  StopEngine();
  StartEngine();
  GetEnvironmentVariableA("PATH", path, sizeof path);
  EXPECT_EQ(std::string(path), first);
}

TEST_F(PluginLoading, PathHoldingTheInstallationTextIsStillPrefixed) {
  StopEngine();
  char saved[65536] = {};
  GetEnvironmentVariableA("PATH", saved, sizeof saved);
  std::string bin = (install / "bin").string();
  SetEnvironmentVariableA("PATH", bin.c_str());
  StartEngine();
  char path[65536] = {};
  GetEnvironmentVariableA("PATH", path, sizeof path);
  SetEnvironmentVariableA("PATH", saved);
  EXPECT_EQ(std::string(path), (install / "channels").string() + ":" + (install / "3rd").string() + ":" + bin);
}

TEST_F(PluginLoading, LongPathIsKeptBehindThePrefix) {
  StopEngine();
  char saved[65536] = {};
  GetEnvironmentVariableA("PATH", saved, sizeof saved);
  std::string longPath = "/usr/bin";
  while (longPath.size() < 2000) longPath += ":/opt/nothing/here";
  SetEnvironmentVariableA("PATH", longPath.c_str());
  StartEngine();
  char path[65536] = {};
  GetEnvironmentVariableA("PATH", path, sizeof path);
  SetEnvironmentVariableA("PATH", saved);
  std::string expected = (install / "channels").string() + ":" + (install / "3rd").string() + ":" + longPath;
  EXPECT_EQ(std::string(path), expected);
}

TEST_F(PluginLoading, ChannelListIsFoundAgainFromTheCache) {
  Orn_Channel* first = engine->InitChannelFromType(PlainType(), nullptr, false);
  ASSERT_NE(first, nullptr);
  delete first;
  StopEngine();
  ASSERT_TRUE(fs::exists(install / "channel.lst"));
  StartEngine();
  ChannelListItem* item = engine->ext->GetChannelList()->GetItem(PlainType());
  ASSERT_NE(item, nullptr);
  EXPECT_FALSE(item->typeChecked);
  EXPECT_TRUE(item->onDisk);
  EXPECT_STREQ(item->type.name, "Test Plain");
  Orn_Channel* channel = engine->InitChannelFromType(PlainType(), nullptr, false);
  ASSERT_NE(channel, nullptr);
  EXPECT_TRUE(item->typeChecked);
  delete channel;
}

TEST_F(PluginLoading, CorruptCacheIsRebuiltFromTheScan) {
  StopEngine();
  {
    std::FILE* file = std::fopen((install / "channel.lst").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const char garbage[] = "CLCC\x04\x00\x00\x00\xff\xff\xff\x7f" "CHIX\x40\x00";
    std::fwrite(garbage, 1, sizeof garbage, file);
    std::fclose(file);
  }
  StartEngine();
  EXPECT_NE(engine->ext->GetChannelList()->GetItem(PlainType()), nullptr);
  Orn_Channel* channel = engine->InitChannelFromType(PlainType(), nullptr, false);
  ASSERT_NE(channel, nullptr);
  delete channel;
}

TEST_F(PluginLoading, ShutdownDeletesGroupsThenUniquesThenFreesLibrariesLastFirst) {
  Orn_ChannelGroup* group = engine->CreateNewGroup("Shutdown", false, -1);
  Orn_Channel* grouped = engine->InitChannelFromType(PlainType(), group, false);
  ASSERT_NE(grouped, nullptr);
  grouped->SetChannelName("grouped");
  Orn_Channel* unique = engine->GetUniqueChannel(AltType(), "unique");
  ASSERT_NE(unique, nullptr);
  test_recorder::Clear();
  StopEngine();
  auto entries = test_recorder::Entries();
  int destroyGrouped = IndexOf(entries, "destroy Test Plain grouped");
  int destroyUnique = IndexOf(entries, "destroy Test Alternative unique");
  int unloadAlt = IndexOf(entries, "unload Test Alternative");
  int unloadPlain = IndexOf(entries, "unload Test Plain");
  ASSERT_GE(destroyGrouped, 0);
  ASSERT_GE(destroyUnique, 0);
  EXPECT_LT(destroyGrouped, destroyUnique);
  // The plain library was loaded before the alternative one, so it goes last.
  ASSERT_GE(unloadAlt, 0);
  ASSERT_GE(unloadPlain, 0);
  EXPECT_LT(destroyUnique, unloadAlt);
  EXPECT_LT(unloadAlt, unloadPlain);
  EXPECT_TRUE(receiver.Contains("Libraries loaded : "));
}
