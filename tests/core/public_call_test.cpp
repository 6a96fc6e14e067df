// Public calls across groups: found by channel name, pool name and instance;
// waiting for a group, loading it on demand, passing parameters.
#include "test_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

ParameterInterfaceInfo Parameter(const char* name, const GUID& type) {
  ParameterInterfaceInfo info{};
  std::strncpy(info.name, name, sizeof info.name - 1);
  info.type = type;
  return info;
}

class PublicCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main = engine.AddGroup("MainPool", 0);
    parent = engine.Make(TypeParent(), main);
    parent->SetChannelName("Parent");
    caller = engine.Make(TypeA(), main);
    caller->SetChannelName("Caller");
    caller->SetChannelInterfaceType(VEL_PUBLICCALL);
    parent->SetChild(caller, -1, 0);
  }

  void Call(const char* channel, const char* pool, int instance, bool autoLoad, const char* file = "No File") {
    PublicCallInfo info;
    std::strcpy(info.channelName, channel);
    std::strcpy(info.poolName, pool);
    std::strcpy(info.fileName, file);
    info.requestedNr = instance;
    info.autoLoad = autoLoad ? 1 : 0;
    ASSERT_TRUE(channelInternal.SetPublicCallInfo(caller, info));
  }

  // A library group: public channel "Target" whose child 0 stands for the
  // group's parameter 0; parameters "In" (A) and "Second" (B).
  // Instances after the first exist only in an array pool.
  Orn_ChannelGroup* Library(int instance, const GUID& targetType = TypeA()) {
    Orn_ChannelGroup* lib = engine.AddGroup("LibPool", instance, instance > 0);
    target = engine.Make(targetType, lib);
    target->SetChannelName("target");
    target->SetChildCreateType(ChildCreation(kWildcardGuid, 0, "in"), 0);
    target->SetChannelInterfaceType(VEL_PUBLIC);
    placeholder = engine.Make(TypeA(), lib);
    placeholder->SetChannelInterfaceType(VEL_PARAMETER);
    channelInternal.SetParameterInfo(placeholder, 0);
    target->SetChild(placeholder, -1, 0);
    lib->AddParameterInfo(Parameter("In", TypeA()));
    lib->AddParameterInfo(Parameter("Second", TypeB()));
    return lib;
  }

  // Live groups in the engine's list.
  int GroupCount() {
    int count = 0;
    for (int i = 0; i < engine.GetChannelGroupCount(); ++i) count += engine.GetChannelGroup(i) != nullptr;
    return count;
  }
  // Whether the engine was asked to load a group since it held `groups`
  // groups: a load either adds a group or is refused with a message of the
  // engine's loader.
  bool LoadRequested(int groups) { return GroupCount() != groups || log.HasPart("Engine::LoadChannelGroup"); }

  MessageLog log;
  TestEngine engine;
  ScratchDirectory dir;
  Orn_ChannelGroup* main = nullptr;
  TestChannel* parent = nullptr;
  TestChannel* caller = nullptr;
  TestChannel* target = nullptr;
  TestChannel* placeholder = nullptr;
};

TEST_F(PublicCallTest, FindsThePublicChannelAndPassesParameters) {
  Orn_ChannelGroup* lib = Library(0);
  Call("TARGET", "libpool", 0, false);
  EXPECT_EQ(channelInternal.GetChildCreationCount(caller), 2);
  TestChannel* argument = engine.Make(TypeDerivedA(), main);
  EXPECT_EQ(caller->SetChild(argument, -1, 0), 0);
  EXPECT_STREQ(channelInternal.GetChildCreateType(caller, 1)->childName, "Second");

  EXPECT_EQ(parent->GetChild(0), target);
  EXPECT_EQ(target->GetChild(0), argument);  // parameter 0 is the caller's child 0

  // Every call makes the target's group compute once more.
  target->CallChannel();
  target->CallChannel();
  EXPECT_EQ(target->computed, 1);
  parent->GetChild(0);
  target->CallChannel();
  EXPECT_EQ(target->computed, 2);

  engine.Frame();  // the call has left the group
  EXPECT_EQ(target->GetChild(0), nullptr);
  EXPECT_EQ(lib->GetTreeCalculateCount(), engine.GetTreeCalculateCount());
}

TEST_F(PublicCallTest, WrongInstanceOrPoolFindsNothing) {
  Library(0);
  Call("Target", "LibPool", 1, false);
  EXPECT_EQ(parent->GetChild(0), nullptr);
  Call("Target", "OtherPool", 0, false);
  EXPECT_EQ(parent->GetChild(0), nullptr);
  Call("Targe", "LibPool", 0, false);
  EXPECT_EQ(parent->GetChild(0), nullptr);
}

TEST_F(PublicCallTest, LinksWaitInSlotZeroUntilTheTargetAppears) {
  // An announced channel must match the name's first character exactly.
  Call("target", "LibPool", 0, false);
  TestChannel* b = engine.Make(TypeB(), main);
  EXPECT_EQ(parent->GetChild(0), nullptr);
  caller->SetChild(b, -1, 1);  // asks for slot 1: kept at position 1
  EXPECT_EQ(caller->GetChildLinkPositionCount(0), 2);
  channelInternal.GetChildInfo(caller, 1)->userData = 42;

  // Saved as if the link were in its real slot.
  std::vector<SavedChunk> chunks = ParseChunks(SaveRecord(&engine, caller));
  std::vector<int32_t> entries;
  for (const SavedChunk& chunk : chunks)
    if (chunk.tag == "CHLC" || chunk.tag == "CHLI" || chunk.tag == "CHUL" || chunk.tag == "CHRP")
      entries.push_back(ChunkInt(chunk));
  EXPECT_EQ(entries, (std::vector<int32_t>{2, -1, 0, b->GetChannelIDIndexNr(), 1, 0}));

  // The caller waits for the engine to answer its request instead of
  // searching again; the engine answers when the group announces its public
  // channels.
  Orn_ChannelGroup* lib = Library(0);
  EXPECT_EQ(parent->GetChild(0), nullptr);
  lib->CheckPublicChannels();
  EXPECT_EQ(parent->GetChild(0), target);
  EXPECT_EQ(caller->GetChild(1), b);  // moved to slot 1 on first use
  ChildCreation* slot1 = channelInternal.GetChildCreateType(caller, 1);
  ASSERT_NE(slot1, nullptr);
  EXPECT_EQ(slot1->childInfo->channel, b);
  EXPECT_EQ(slot1->childInfo->userData, 42);
}

TEST_F(PublicCallTest, LoadsTheTargetGroupOnDemand) {
  Orn_ChannelGroup* lib = Library(0);
  std::filesystem::create_directories(dir.File("Groups"));
  std::filesystem::create_directories(dir.File("Shared"));
  std::string libFile = dir.File("Shared/Lib.grp");
  ASSERT_TRUE(lib->SaveChannelGroup(libFile.c_str()));
  engine.DeleteChannelGroup(lib->GetGroupIndex());

  main->SetChannelGroupFileName(dir.File("Groups/main.grp").c_str());
  Call("Target", "LibPool", 0, true, "..\\shared\\LIB.grp");  // written elsewhere, other letter case
  int groups = GroupCount();
  Orn_Channel* found = parent->GetChild(0);
  ASSERT_NE(found, nullptr);
  Orn_ChannelGroup* loaded = found->GetChannelGroup();
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(GroupCount(), groups + 1);
  EXPECT_STREQ(loaded->GetChannelGroupFileName(), libFile.c_str());
  EXPECT_STREQ(found->GetChannelName(), "target");
  EXPECT_STREQ(loaded->GetPoolName(), "LibPool");
  EXPECT_EQ(engine.GetPoolGroup("LibPool", 0), loaded);

  // Saving the call stores the target's file relative to the caller's group.
  // The group file keeps the format's '\\' separators.
  std::string mainFile = dir.File("Groups/main.grp");
  ASSERT_TRUE(main->SaveChannelGroup(mainFile.c_str()));
  EXPECT_STREQ(channelInternal.GetPublicCallInfo(caller).fileName, "..\\Shared\\Lib.grp");
  EXPECT_FALSE(LoadRequested(groups + 1));
  std::ifstream in(mainFile, std::ios::binary);
  std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(saved.find(std::string("..\\Shared\\Lib.grp\0", 18)), std::string::npos);
  EXPECT_EQ(saved.find("../"), std::string::npos);
}

TEST_F(PublicCallTest, AutoLoadTurnsItselfOffWhenThePoolLacksTheChannel) {
  engine.AddGroup("LibPool", 0);
  main->SetChannelGroupFileName(dir.File("main.grp").c_str());
  int groups = GroupCount();
  Call("Target", "LibPool", 0, true, "lib.grp");
  EXPECT_EQ(parent->GetChild(0), nullptr);
  EXPECT_TRUE(log.Has("Orn_Channel::GetPublicChannelForPublicCall error looking for channel"));
  EXPECT_TRUE(log.Has("Caller : is a public channel looking for a non existing channel"));
  EXPECT_TRUE(log.Has("Original Poolname :  MainPool"));
  EXPECT_TRUE(log.Has("Non existing channel :  Target"));
  EXPECT_TRUE(log.Has("Autoload turned off"));
  EXPECT_FALSE(channelInternal.GetAutoLoadGroup(caller));
  EXPECT_FALSE(LoadRequested(groups));
}

TEST_F(PublicCallTest, AutoLoadTurnsItselfOffWhenTheFileIsMissing) {
  main->SetChannelGroupFileName(dir.File("main.grp").c_str());
  Call("Target", "LibPool", 0, true, "missing.grp");
  EXPECT_EQ(parent->GetChild(0), nullptr);
  EXPECT_TRUE(log.Has("Couldn't autoload group"));
  EXPECT_TRUE(log.Has(dir.File("missing.grp")));
  EXPECT_FALSE(channelInternal.GetAutoLoadGroup(caller));
  log.Clear();
  EXPECT_EQ(parent->GetChild(0), nullptr);
  EXPECT_FALSE(log.Has("Couldn't autoload group"));
}

TEST_F(PublicCallTest, OtherInstancesNeverLoadButFindTheirGroupLater) {
  main->SetChannelGroupFileName(dir.File("main.grp").c_str());
  int groups = GroupCount();
  Call("Target", "LibPool", 3, true, "lib.grp");
  EXPECT_EQ(parent->GetChild(0), nullptr);
  EXPECT_FALSE(LoadRequested(groups));
  Library(3);
  EXPECT_EQ(parent->GetChild(0), target);
}

TEST_F(PublicCallTest, DifferentBaseTypeStaysUnresolved) {
  Orn_ChannelGroup* lib = Library(0, TypeB());
  Call("Target", "LibPool", 0, false);
  EXPECT_EQ(parent->GetChild(0), nullptr);
  lib->CheckPublicChannels();
  EXPECT_EQ(parent->GetChild(0), nullptr);
}

TEST_F(PublicCallTest, CallWithoutChildrenLeavesNoParameterChannel) {
  Orn_ChannelGroup* lib = Library(0);
  Call("Target", "LibPool", 0, false);
  engine.SetTreeCalculateCount(9);
  EXPECT_EQ(parent->GetChild(0), target);
  EXPECT_EQ(lib->GetTreeCalculateCount(), 9);  // the engine's count
}

TEST_F(PublicCallTest, RemovedTargetIsForgotten) {
  Orn_ChannelGroup* lib = Library(0);
  Call("Target", "LibPool", 0, false);
  EXPECT_EQ(parent->GetChild(0), target);
  EXPECT_TRUE(lib->RemoveChannel(target));
  EXPECT_EQ(parent->GetChild(0), nullptr);
}

TEST_F(PublicCallTest, CustomGetTargetHandsOutItsChannel) {
  Library(0);
  TestChannel* value = engine.Make(TypeB());
  target->handOut = value;
  target->SetChannelInterfaceType(VEL_PUBLICCUSTOMCHANNELGET);
  Call("Target", "LibPool", 0, false);
  EXPECT_EQ(parent->GetChild(0), value);
  delete value;
}

TEST_F(PublicCallTest, InterfaceChangeDropsTheCallersSlots) {
  Orn_ChannelGroup* lib = Library(0);
  Call("Target", "LibPool", 0, false);
  caller->SetChild(engine.Make(TypeA(), main), -1, 0);
  EXPECT_GT(caller->GetChildCount(), 0);
  lib->RemoveParameterInfo(1);
  EXPECT_EQ(caller->GetChildCount(), 0);
  EXPECT_EQ(channelInternal.GetChildCreationCount(caller), 1);
}

}  // namespace
