// The group file: round trips through a file and memory, a hand-made byte
// sequence read as the format table lays it out, and bad input.
#include "test_engine.h"

#include "file_loader.h"
#include "file_saver.h"
#include "smart_channel.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

ParameterInterfaceInfo Parameter(const char* name, const GUID& type) {
  ParameterInterfaceInfo info{};
  std::strncpy(info.name, name, sizeof info.name - 1);
  info.type = type;
  return info;
}

class GroupFileTest : public ::testing::Test {
 protected:
  TestChannel* Make(const GUID& type, const char* name) {
    TestChannel* channel = engine.Make(type, sample);
    if (name) channel->SetChannelName(name);
    return channel;
  }

  // Holes (slot 1 and a trailing one), links to slots before and after,
  // multi-link slots with a blank link, a public call, a parameter
  // placeholder, a parameter interface with a hole and a pool name.
  void BuildSample() {
    sample = engine.AddGroup("Sample", 0);
    TestChannel* root = Make(TypeParent(), "Root");
    Make(TypeA(), "gone");
    TestChannel* mid = Make(TypeParent(), "Mid");
    TestChannel* late = Make(TypeA(), "Late");
    TestChannel* derived = Make(TypeDerivedA(), "Deriv");
    TestChannel* bee = Make(TypeB(), "Bee");
    TestChannel* placeholder = Make(TypeA(), "Param");
    TestChannel* call = Make(TypeA(), "Call");
    Make(TypeA(), "gone too");
    root->value = 7;
    late->value = -3;
    channelInternal.SetIgnoreTreeCount(late, true);
    derived->SetChannelInterfaceType(VEL_PUBLIC);
    placeholder->SetChannelInterfaceType(VEL_PARAMETER);
    channelInternal.SetParameterInfo(placeholder, 1);
    call->SetChannelInterfaceType(VEL_PUBLICCALL);
    PublicCallInfo info;
    std::strcpy(info.channelName, "Remote");
    std::strcpy(info.poolName, "OtherPool");
    std::strcpy(info.fileName, "../x/other.grp");
    info.requestedNr = 2;
    channelInternal.SetPublicCallInfo(call, info);

    root->SetChild(late, -1, 0);
    root->SetChild(derived, -1, 1);
    root->SetChild(late, 2, 1);
    root->SetChild(mid, -1, 2);
    root->SetChild(bee, -1, 3);
    mid->SetChild(root, -1, 2);
    mid->SetChild(placeholder, -1, 0);
    mid->SetChild(call, -1, 1);

    sample->RemoveChannel(1);
    sample->RemoveChannel(8);
    sample->SetStartChannel(2);
    sample->AddParameterInfo(Parameter("In", TypeA()));
    sample->AddParameterInfo(Parameter("Other", TypeB()));
    sample->AddParameterInfo(Parameter("Any", kWildcardGuid));
    sample->RemoveParameterInfo(1);
  }

  std::vector<char> SaveToMemory(Orn_ChannelGroup* group) {
    OrnFileSaver saver(&engine);
    saver.OpenMemory();
    group->WriteChannelGroup(saver);
    saver.CloseMemory();
    return std::vector<char>(saver.GetBuffer(), saver.GetBuffer() + saver.GetBufferSize());
  }

  bool LoadBytes(Orn_ChannelGroup* group, std::vector<char> bytes, bool takePoolName = false) {
    return group->LoadChannelGroupFromBuffer("memory.grp", static_cast<int>(bytes.size()), bytes.data(),
                                             takePoolName);
  }

  MessageLog log;
  TestEngine engine;
  ScratchDirectory dir;
  Orn_ChannelGroup* sample = nullptr;
};

TEST_F(GroupFileTest, RoundTripThroughFileAndMemory) {
  BuildSample();
  std::string path = dir.File("sample.grp");
  ASSERT_TRUE(sample->SaveChannelGroup(path.c_str()));
  EXPECT_STREQ(sample->GetChannelGroupFileName(), path.c_str());
  std::string expected = DescribeGroup(sample);

  Orn_ChannelGroup* fromFile = engine.AddGroup();
  ASSERT_TRUE(fromFile->LoadChannelGroupFromFile(path.c_str(), true));
  EXPECT_EQ(DescribeGroup(fromFile), expected);
  EXPECT_EQ(fromFile->GetPoolNr(), 1);  // instance 0 of the pool is the sample

  Orn_ChannelGroup* fromMemory = engine.AddGroup();
  ASSERT_TRUE(LoadBytes(fromMemory, SaveToMemory(sample), true));
  EXPECT_EQ(DescribeGroup(fromMemory), expected);
  EXPECT_EQ(SaveToMemory(fromMemory), ReadFile(path));
  EXPECT_TRUE(log.messages.empty()) << log.Texts().front();

  // The parameter hole is a hole again: the next parameter fills it.
  EXPECT_EQ(fromMemory->AddParameterInfo(Parameter("New", TypeB())), 1);
}

TEST_F(GroupFileTest, WrittenChunksFollowTheTable) {
  BuildSample();
  std::vector<SavedChunk> chunks = ParseChunks(SaveToMemory(sample));
  ASSERT_GE(chunks.size(), 3u);
  EXPECT_EQ(chunks[0].tag, "ORNG");
  EXPECT_TRUE(chunks[0].data.empty());
  EXPECT_EQ(chunks[1].tag, "CHCO");
  EXPECT_EQ(ChunkInt(chunks[1]), 9);
  std::vector<int32_t> indices;
  for (size_t i = 0; i < chunks.size(); ++i) {
    if (chunks[i].tag != "CHIX") continue;
    indices.push_back(ChunkInt(chunks[i]));
    if (ChunkInt(chunks[i]) >= 0) {
      EXPECT_EQ(chunks[i + 1].tag, "CHID");
      EXPECT_EQ(chunks[i + 2].tag, "CHIC");
    }
  }
  EXPECT_EQ(indices, (std::vector<int32_t>{0, -1, 2, 3, 4, 5, 6, 7, -1}));
  size_t n = chunks.size();
  EXPECT_EQ(chunks[n - 5].tag, "CHSC");
  EXPECT_EQ(ChunkInt(chunks[n - 5]), 2);
  EXPECT_EQ(chunks[n - 4].tag, "CGIC");
  EXPECT_EQ(ChunkInt(chunks[n - 4]), 3);
  EXPECT_EQ(chunks[n - 3].tag, "CGII");
  ASSERT_EQ(chunks[n - 3].data.size(), 3 * 56u);
  EXPECT_STREQ(chunks[n - 3].data.data() + 56, "NoInterface");
  EXPECT_EQ(chunks[n - 2].tag, "CINA");
  EXPECT_STREQ(chunks[n - 2].data.data(), "Sample");
  EXPECT_EQ(chunks[n - 1].tag, "CGGG");
  EXPECT_EQ(chunks[n - 1].data.size(), 16u);
}

TEST_F(GroupFileTest, GroupWithoutPoolIsNoNameInstance) {
  Orn_ChannelGroup* group = engine.AddGroup();
  engine.Make(TypeA(), group);
  std::vector<char> bytes = SaveToMemory(group);
  std::vector<SavedChunk> chunks = ParseChunks(bytes);
  EXPECT_STREQ(chunks[chunks.size() - 2].data.data(), "No Name Instance");
  EXPECT_EQ(chunks[chunks.size() - 2].data.size(), 17u);

  Orn_ChannelGroup* first = engine.AddGroup();
  Orn_ChannelGroup* second = engine.AddGroup();
  ASSERT_TRUE(LoadBytes(first, bytes, true));
  ASSERT_TRUE(LoadBytes(second, bytes, true));
  EXPECT_STREQ(first->GetPoolName(), "No Name Instance");
  EXPECT_EQ(first->GetPoolNr(), 0);
  EXPECT_EQ(second->GetPoolNr(), 1);
  Orn_ChannelGroup* untaken = engine.AddGroup();
  ASSERT_TRUE(LoadBytes(untaken, bytes, false));
  EXPECT_EQ(untaken->GetPoolName(), nullptr);
}

TEST_F(GroupFileTest, HandMadeBytesLoadAsTheTableSays) {
  char typeName[80] = "Parent from file";
  const GUID groupGuid = GuidLiteral("01234567-89AB-CDEF-0123-456789ABCDEF");
  ChunkBytes file;
  file.Tag("ORNG").Int("ENVR", 1).Int("CHCO", 3);
  file.Int("CHIX", 0).Guid("CHID", TypeParent()).Tag("CHNM").Block(typeName, 80).Int("CHVE", 7).Guid("CHBG", TypeParent());
  uint8_t ignore = 1;
  file.Tag("CHIC").Block(&ignore, 1).Text("CHNA", "P").Int("CHIT", 0).Int("CHLC", 3);
  file.Int("CHLI", -1).Int("CHUL", 0).Int("CHLI", -1).Int("CHUL", 1);
  file.Int("CHLI", 2).Int("CHUL", 2);  // no CHRP: position i - slot = 0
  file.Int("CHIX", -1);
  file.Int("CHIX", 2).Record("Q");  // no CHID: the type carries over
  file.Text("CINA", "Hand Pool").Guid("CGGG", groupGuid);  // no CHSC, CGIC, CGII

  Orn_ChannelGroup* group = engine.AddGroup();
  group->SetStartChannel(5);
  ASSERT_TRUE(LoadBytes(group, file.bytes, true)) << (log.messages.empty() ? "" : log.Texts().front());
  ASSERT_EQ(group->GetChannelCount(), 3);
  auto* p = dynamic_cast<TestChannel*>(group->GetChannel(0));
  auto* q = dynamic_cast<TestChannel*>(group->GetChannel(2));
  ASSERT_TRUE(p && q);
  EXPECT_EQ(group->GetChannel(1), nullptr);
  EXPECT_STREQ(p->GetChannelName(), "P");
  EXPECT_TRUE(channelInternal.GetIgnoreTreeCount(p));
  EXPECT_EQ(q->type.type, TypeParent());
  EXPECT_EQ(p->GetChild(2), q);  // forward link into the wildcard slot
  EXPECT_EQ(p->GetChild(0), nullptr);
  EXPECT_EQ(group->GetStartChannel(), 0);
  EXPECT_EQ(group->GetParameterCount(), 0);
  EXPECT_STREQ(group->GetPoolName(), "Hand Pool");
  EXPECT_EQ(group->GetUniqueGroupGuid(), groupGuid);

  ASSERT_EQ(engine.typeRequests.size(), 2u);
  for (const ChannelType& requested : engine.typeRequests) {
    EXPECT_STREQ(requested.name, "Parent from file");
    EXPECT_EQ(requested.version[0], 1);
    EXPECT_EQ(requested.version[1], 25);
    EXPECT_EQ(requested.version[2], 7);
    EXPECT_EQ(requested.baseType, TypeParent());
  }
}

TEST_F(GroupFileTest, LinkToALaterSlotWaitsForIt) {
  ChunkBytes file;
  file.Tag("ORNG").Int("CHCO", 4);
  file.Int("CHIX", 0).Guid("CHID", TypeParent()).Text("CHNA", "root").Int("CHLC", 2);
  file.Int("CHLI", 3).Int("CHUL", 0).Int("CHRP", 0);
  file.Int("CHLI", -1).Int("CHUL", 1);  // links nothing
  file.Int("CHIX", 1).Guid("CHID", TypeA()).Record("a");
  file.Int("CHIX", 2).Record("b");
  file.Int("CHIX", 3).Record("c");
  Orn_ChannelGroup* group = engine.AddGroup();
  ASSERT_TRUE(LoadBytes(group, file.bytes));
  Orn_Channel* root = group->GetChannel(0);
  EXPECT_EQ(root->GetChild(0), group->GetChannel(3));
  EXPECT_EQ(root->GetChildLinkPositionCount(1), 0);

  // A link to a slot that never loads is dropped.
  ChunkBytes dangling;
  dangling.Tag("ORNG").Int("CHCO", 1);
  dangling.Int("CHIX", 0).Guid("CHID", TypeParent()).Text("CHNA", "r").Int("CHLC", 1).Int("CHLI", 9);
  ASSERT_TRUE(LoadBytes(group, dangling.bytes));
  EXPECT_EQ(group->GetChannel(0)->GetChild(0), nullptr);
}

TEST_F(GroupFileTest, ChannelStoredOutOfOrderKeepsItsSlot) {
  ChunkBytes swapped;
  swapped.Tag("ORNG").Int("CHCO", 2).Int("CHIX", 1).Guid("CHID", TypeA()).Record("second").Int("CHIX", -1);
  Orn_ChannelGroup* group = engine.AddGroup();
  ASSERT_TRUE(LoadBytes(group, swapped.bytes));
  EXPECT_EQ(group->GetChannel(0), nullptr);
  ASSERT_NE(group->GetChannel(1), nullptr);
  EXPECT_STREQ(group->GetChannel(1)->GetChannelName(), "second");
}

TEST_F(GroupFileTest, MissingChunksAreReported) {
  Orn_ChannelGroup* group = engine.AddGroup();
  ChunkBytes noMagic;
  noMagic.Int("CHCO", 0);
  EXPECT_FALSE(LoadBytes(group, noMagic.bytes));
  EXPECT_TRUE(log.Has("Orn_ChannelGroup::LoadChannelGroup: Unknown format channel group"));
  EXPECT_TRUE(log.Has("12."));  // the loaded size

  ChunkBytes noCount;
  noCount.Tag("ORNG");
  EXPECT_FALSE(LoadBytes(group, noCount.bytes));
  EXPECT_TRUE(log.Has("Orn_ChannelGroup::LoadChannelGroup: No itemcount"));

  ChunkBytes noIndex;
  noIndex.Tag("ORNG").Int("CHCO", 1).Int("CHSC", 0);
  EXPECT_FALSE(LoadBytes(group, noIndex.bytes));
  EXPECT_TRUE(log.Has("Orn_ChannelGroup::LoadChannelGroup: Couldn't find channel index header"));
  EXPECT_TRUE(log.Has("Loader file :  memory.grp"));

  ChunkBytes unknownType;
  unknownType.Tag("ORNG").Int("CHCO", 1).Int("CHIX", 0).Record("no type");
  EXPECT_FALSE(LoadBytes(group, unknownType.bytes));
  EXPECT_TRUE(log.Has("Orn_ChannelGroup::LoadChannelGroup: Couldn't find channel DLL!"));

  EXPECT_FALSE(group->LoadChannelGroupFromFile(dir.File("absent.grp").c_str(), false));
  EXPECT_TRUE(log.Has("Couldn't load project file"));
  std::string unwritable = dir.File("no/such/dir/x.grp");
  EXPECT_FALSE(group->SaveChannelGroup(unwritable.c_str()));
  EXPECT_TRUE(log.Has("Couldn't create channel group file:  " + unwritable));
}

TEST_F(GroupFileTest, FailedChannelStopsLoadingAndKeepsWhatLoaded) {
  ChunkBytes file;
  file.Tag("ORNG").Int("CHCO", 3);
  file.Int("CHIX", 0).Guid("CHID", TypeA()).Record("fine");
  file.Int("CHIX", 1).Text("CHNA", "no link count");
  file.Int("CHIX", 2).Record("never");
  Orn_ChannelGroup* group = engine.AddGroup();
  EXPECT_FALSE(LoadBytes(group, file.bytes));
  EXPECT_TRUE(log.Has("Couldn't find channel linkcount header"));
  EXPECT_TRUE(log.Has("Orn_ChannelGroup::LoadChannelGroup: Couldn't load channel"));
  ASSERT_NE(group->GetChannel(0), nullptr);
  EXPECT_NE(group->GetChannel(1), nullptr);  // stays in its slot
  EXPECT_EQ(group->GetChannel(2), nullptr);
}

TEST_F(GroupFileTest, CorruptCountsAndIndicesAreRefused) {
  Orn_ChannelGroup* group = engine.AddGroup();
  struct Case {
    const char* what;
    ChunkBytes bytes;
    const char* message;
  };
  std::vector<Case> cases(8);
  cases[0].what = "negative count";
  cases[0].bytes.Tag("ORNG").Int("CHCO", -5);
  cases[0].message = "Orn_ChannelGroup::LoadChannelGroup: Item count out of range -5";
  cases[1].what = "count beyond the data";
  cases[1].bytes.Tag("ORNG").Int("CHCO", 2000000000).Int("CHIX", -1);
  cases[1].message = "Orn_ChannelGroup::LoadChannelGroup: Item count out of range 2000000000";
  cases[2].what = "index beyond the count";
  cases[2].bytes.Tag("ORNG").Int("CHCO", 2).Int("CHIX", 5).Guid("CHID", TypeA()).Record("x").Int("CHIX", -1);
  cases[2].message = "Orn_ChannelGroup::LoadChannelGroup: Channel index out of range 5";
  cases[3].what = "index used twice";
  cases[3].bytes.Tag("ORNG").Int("CHCO", 2).Int("CHIX", 0).Guid("CHID", TypeA()).Record("x").Int("CHIX", 0).Record("y");
  cases[3].message = "Orn_ChannelGroup::LoadChannelGroup: Channel index out of range 0";
  cases[4].what = "short type GUID";
  cases[4].bytes.Tag("ORNG").Int("CHCO", 1).Int("CHIX", 0).Tag("CHID").Block("12345678", 8).Record("x");
  cases[4].message = "Orn_ChannelGroup::LoadChannelGroup: Corrupt chunk CHID";
  cases[5].what = "parameter count not matching its block";
  cases[5].bytes.Tag("ORNG").Int("CHCO", 0).Int("CGIC", 1).Tag("CGII").Block(std::string(112, 'p').data(), 112);
  cases[5].message = "Orn_ChannelGroup::LoadChannelGroup: Corrupt chunk CGII";
  cases[6].what = "parameter count beyond the data";
  cases[6].bytes.Tag("ORNG").Int("CHCO", 0).Int("CGIC", 1 << 30).Tag("CGII").Block("", 0);
  cases[6].message = "Orn_ChannelGroup::LoadChannelGroup: Parameter count out of range 1073741824";
  cases[7].what = "pool name longer than the data";
  cases[7].bytes.Tag("ORNG").Int("CHCO", 0).Tag("CINA").Block("abc", 3);
  cases[7].bytes.bytes[cases[7].bytes.bytes.size() - 7] = 100;  // size field says 100
  cases[7].message = "Orn_ChannelGroup::LoadChannelGroup: Corrupt chunk CINA";
  for (Case& c : cases) {
    log.Clear();
    EXPECT_FALSE(LoadBytes(group, c.bytes.bytes, true)) << c.what;
    EXPECT_TRUE(log.Has(c.message)) << c.what << ": " << (log.messages.empty() ? "" : log.Texts().front());
    EXPECT_LE(group->GetChannelCount(), 2) << c.what;
  }
}

TEST_F(GroupFileTest, CorruptChannelRecordsAreRefused) {
  Orn_ChannelGroup* group = engine.AddGroup();
  ChunkBytes longName;
  longName.Tag("ORNG").Int("CHCO", 1).Int("CHIX", 0).Guid("CHID", TypeA()).Tag("CHNA").Block("name", 5);
  longName.bytes[longName.bytes.size() - 9] = 0x7F;  // size field far beyond the data
  EXPECT_FALSE(LoadBytes(group, longName.bytes));
  EXPECT_TRUE(log.Has("Orn_Channel::LoadChannel: Corrupt chunk CHNA"));

  ChunkBytes farPosition;
  farPosition.Tag("ORNG").Int("CHCO", 2).Int("CHIX", 0).Guid("CHID", TypeParent()).Text("CHNA", "p").Int("CHLC", 1);
  farPosition.Int("CHLI", 1).Int("CHUL", 1).Int("CHRP", 1000000000).Int("CHIX", 1).Record("c");
  EXPECT_FALSE(LoadBytes(group, farPosition.bytes));
  EXPECT_TRUE(log.Has("Orn_Channel::LoadChannel: Link position out of range 1000000000"));

  // A public call keeps a waiting link at the position of its slot: a slot
  // number far beyond the record is refused as well.
  ChunkBytes farCall;
  farCall.Tag("ORNG").Int("CHCO", 2).Int("CHIX", 0).Guid("CHID", TypeA()).Record("a");
  farCall.Int("CHIX", 1).Text("CHNA", "call").Int("CHIT", VEL_PUBLICCALL).Int("CHLC", 1);
  farCall.Int("CHLI", 0).Int("CHUL", 2000000000).Int("CHRP", 0);
  EXPECT_FALSE(LoadBytes(group, farCall.bytes));
  EXPECT_TRUE(log.Has("Orn_Channel::LoadChannel: Link position out of range 2000000000"));

  // A slot number out of range links by type instead.
  ChunkBytes farSlot;
  farSlot.Tag("ORNG").Int("CHCO", 2).Int("CHIX", 0).Guid("CHID", TypeA()).Record("a");
  farSlot.Int("CHIX", 1).Guid("CHID", TypeParent()).Text("CHNA", "p").Int("CHLC", 1);
  farSlot.Int("CHLI", 0).Int("CHUL", 99999).Int("CHRP", 0);
  EXPECT_TRUE(LoadBytes(group, farSlot.bytes));
  EXPECT_EQ(group->GetChannel(1)->GetChild(0), group->GetChannel(0));

  // Texts of a public-call record need no terminating zero.
  PublicCallInfo info;
  std::memset(static_cast<void*>(&info), 'z', sizeof info);
  info.requestedNr = 1;
  ChunkBytes call;
  call.Tag("ORNG").Int("CHCO", 1).Int("CHIX", 0).Guid("CHID", TypeA()).Text("CHNA", "call").Int("CHIT", VEL_PUBLICCALL);
  call.Tag("CHES").Block(&info, sizeof info).Int("CHLC", 0);
  ASSERT_TRUE(LoadBytes(group, call.bytes));
  PublicCallInfo loaded = channelInternal.GetPublicCallInfo(group->GetChannel(0));
  EXPECT_EQ(std::strlen(loaded.channelName), 79u);
  EXPECT_EQ(std::strlen(loaded.fileName), 259u);
}

TEST_F(GroupFileTest, InstanceNumberNoProjectHasIsRefusedInConstantMemory) {
  // A public call whose link waits for its target instance: the instance
  // number indexes the call's lists of targets and waiting requests.
  auto callFile = [](int32_t instance) {
    PublicCallInfo info;
    info.requestedNr = instance;
    ChunkBytes file;
    file.Tag("ORNG").Int("CHCO", 2).Int("CHIX", 0).Guid("CHID", TypeA()).Record("a");
    file.Int("CHIX", 1).Text("CHNA", "call").Int("CHIT", VEL_PUBLICCALL).Tag("CHES").Block(&info, sizeof info);
    file.Int("CHLC", 1).Int("CHLI", 0).Int("CHUL", 0).Int("CHRP", 0);
    return file.bytes;
  };
  Orn_ChannelGroup* group = engine.AddGroup();
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  EXPECT_FALSE(LoadBytes(group, callFile(0x7FFFFFF0)));
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  EXPECT_TRUE(log.Has("Orn_Channel::LoadChannel: Pool instance number out of range 2147483632"));
  EXPECT_TRUE(log.Has("Orn_ChannelGroup::LoadChannelGroup: Couldn't load channel"));
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kilobytes grown";
  // The highest instance number a project may use still loads and waits.
  log.Clear();
  EXPECT_TRUE(LoadBytes(group, callFile(kMaxPoolInstanceNr))) << (log.messages.empty() ? "" : log.Texts().front());
}

TEST_F(GroupFileTest, TruncatedAndDamagedFilesNeverCrash) {
  BuildSample();
  std::vector<char> good = SaveToMemory(sample);
  Orn_ChannelGroup* group = engine.AddGroup();
  for (size_t length = 0; length < good.size(); ++length) {
    std::vector<char> cut(good.begin(), good.begin() + static_cast<long>(length));
    LoadBytes(group, cut);
    EXPECT_LE(group->GetChannelCount(), 9);
  }
  // KELVANE_DAMAGE_ROUNDS raises the number of damaged files for longer runs.
  int rounds = std::getenv("KELVANE_DAMAGE_ROUNDS") ? std::atoi(std::getenv("KELVANE_DAMAGE_ROUNDS")) : 3000;
  std::mt19937 random(12345);
  for (int round = 0; round < rounds; ++round) {
    std::vector<char> bytes = good;
    int flips = 1 + static_cast<int>(random() % 8);
    for (int f = 0; f < flips; ++f) bytes[random() % bytes.size()] = static_cast<char>(random());
    LoadBytes(group, bytes);
    for (int i = 0; i < group->GetChannelCount(); ++i)
      if (Orn_Channel* channel = group->GetChannel(i)) channel->GetChild(0);
  }
  for (int round = 0; round < rounds; ++round) {
    std::vector<char> bytes(random() % 600);
    for (char& byte : bytes) byte = static_cast<char>(random());
    if (round % 2 == 0 && bytes.size() >= 4) std::memcpy(bytes.data(), "ORNG", 4);
    LoadBytes(group, bytes);
  }
  // Well-formed slots and records with small random values and chunks left
  // out or thrown in: the linking and public-call paths.
  static const char* const kTags[] = {"CHIX", "CHID", "CHNA", "CHIT", "CHES", "CHLC", "CHLI", "CHUL", "CHRP", "CGII"};
  const GUID types[] = {TypeA(), TypeB(), TypeDerivedA(), TypeParent()};
  auto small = [&random](int low, int high) { return static_cast<int32_t>(low + static_cast<int>(random() % (high - low + 1))); };
  auto chance = [&random](int percent) { return static_cast<int>(random() % 100) < percent; };
  for (int round = 0; round < rounds; ++round) {
    ChunkBytes file;
    int32_t slots = small(0, 6);
    file.Tag("ORNG").Int("CHCO", slots);
    for (int32_t i = 0; i < slots; ++i) {
      file.Int("CHIX", chance(15) ? -1 : chance(90) ? i : small(-2, 8));
      if (chance(80)) file.Guid("CHID", chance(50) ? TypeA() : types[random() % 4]);
      if (chance(30)) {
        uint8_t flag = static_cast<uint8_t>(random() % 2);
        file.Tag("CHIC").Block(&flag, 1);
      }
      if (chance(98)) file.Text("CHNA", chance(50) ? "Target" : "x");
      int32_t type = chance(25) ? 0 : small(0, 5);
      if (chance(90)) file.Int("CHIT", type);
      if (type == VEL_PUBLICCALL && chance(80)) {
        PublicCallInfo info;
        std::strcpy(info.channelName, "Target");
        std::strcpy(info.poolName, chance(50) ? "Pool" : "No Name Instance");
        std::strcpy(info.fileName, chance(50) ? "memory.grp" : "x");
        info.requestedNr = chance(70) ? 0 : small(-1, 2);
        info.autoLoad = static_cast<uint8_t>(random() % 2);
        file.Tag("CHES").Block(&info, sizeof info);
      }
      if (type == VEL_PARAMETER && chance(80)) file.Int("CEXI", small(-1, 3));
      int32_t links = small(0, 6);
      if (chance(98)) file.Int("CHLC", links);
      for (int32_t k = 0; k < links; ++k) {
        if (chance(99)) file.Int("CHLI", small(-1, 6));
        if (chance(80)) file.Int("CHUL", small(-2, 5));
        if (chance(70)) file.Int("CHRP", chance(90) ? small(-1, k + 1) : small(-2, 7));
        if (chance(1)) file.Int(kTags[random() % 10], small(-1, 4));
      }
      if (chance(50)) file.Int("TVAL", small(0, 9));
    }
    if (chance(50)) file.Int("CHSC", small(-1, 6));
    int32_t parameters = small(0, 3);
    bool counted = chance(60);
    if (counted) file.Int("CGIC", parameters);
    if (counted && chance(80)) {
      std::vector<ParameterInterfaceInfo> records(static_cast<size_t>(chance(95) ? parameters : small(0, 3)));
      for (auto& record : records) record = Parameter(chance(30) ? "NoInterface" : "p", chance(30) ? kNullGuid : types[random() % 4]);
      file.Tag("CGII").Block(records.data(), static_cast<uint32_t>(records.size() * sizeof(ParameterInterfaceInfo)));
    }
    if (chance(60)) file.Text("CINA", "Pool");
    group->SetPoolName(nullptr);  // instance 0 of "Pool" when the name is taken
    group->SetPoolNr(-1);
    LoadBytes(group, file.bytes, random() % 2);
    group->CheckPublicChannels();  // as the engine does after loading
    for (int i = 0; i < group->GetChannelCount(); ++i)
      if (Orn_Channel* channel = group->GetChannel(i))
        for (int e = 0; e < channel->GetChildCount(); ++e) channel->GetChild(e);
    SaveToMemory(group);
  }
  SUCCEED();
}

TEST_F(GroupFileTest, SlotsHolesAndTransfers) {
  Orn_ChannelGroup* group = engine.AddGroup();
  TestChannel* a = engine.Make(TypeA(), group);
  TestChannel* b = engine.Make(TypeB(), group);
  a->SetChannelName("Alpha");
  EXPECT_EQ(group->GetChannel("ALPHA"), a);
  EXPECT_EQ(group->GetChannel(static_cast<const char*>(nullptr)), nullptr);
  EXPECT_EQ(group->AddChannel(a), 0);
  EXPECT_TRUE(group->RemoveChannel(0));
  EXPECT_EQ(group->GetChannelCount(), 2);
  TestChannel* c = engine.Make(TypeA(), group);
  EXPECT_EQ(c->GetChannelIDIndexNr(), 0);  // the hole is reused

  Orn_ChannelGroup* other = engine.AddGroup();
  EXPECT_TRUE(group->TransferChannel(1, other));
  EXPECT_EQ(b->GetChannelGroup(), other);
  EXPECT_EQ(group->GetChannel(1), nullptr);
  EXPECT_FALSE(group->TransferChannel(1, other));
  EXPECT_TRUE(other->GetIfChannelInGroup(b));
}

TEST_F(GroupFileTest, ParameterInterfaceKeepsItsHoles) {
  Orn_ChannelGroup* group = engine.AddGroup("Pool", 0);
  group->AddParameterInfo(Parameter("a", TypeA()));
  group->AddParameterInfo(Parameter("b", TypeB()));
  group->AddParameterInfo(Parameter("c", TypeA()));
  group->RemoveParameterInfo(2);
  EXPECT_EQ(group->GetParameterCount(), 2);
  group->RemoveParameterInfo(0);
  EXPECT_EQ(group->GetParameterCount(), 2);
  EXPECT_TRUE(GuidIsZero(group->GetParameterInfo(0).type));
  EXPECT_EQ(group->AddParameterInfo(Parameter("d", TypeB())), 0);
  EXPECT_STREQ(group->GetParameterInfo(0).name, "d");
  EXPECT_TRUE(GuidIsZero(group->GetParameterInfo(7).type));

  ParameterInterfaceInfo unterminated;
  std::memset(unterminated.name, 'n', sizeof unterminated.name);
  unterminated.type = TypeA();
  group->SetParameterInfo(unterminated, 1);
  EXPECT_EQ(std::strlen(group->GetParameterInfo(1).name), 39u);
}

TEST_F(GroupFileTest, GroupTreeCountRunsTo30000) {
  Orn_ChannelGroup* group = engine.AddGroup();
  TestChannel* caller = engine.Make(TypeA(), group);
  group->SetParameterChannel(caller);  // the group's own count is in force
  group->IncreaseTreeCount();
  EXPECT_EQ(group->GetTreeCalculateCount(), 0);
  for (int i = 0; i < 29999; ++i) group->IncreaseTreeCount();
  EXPECT_EQ(group->GetTreeCalculateCount(), 29999);
  group->IncreaseTreeCount();
  EXPECT_EQ(group->GetTreeCalculateCount(), 30000);
  group->IncreaseTreeCount();
  EXPECT_EQ(group->GetTreeCalculateCount(), 0);
  engine.SetTreeCalculateCount(77);
  group->SetParameterChannel(nullptr);
  EXPECT_EQ(group->GetTreeCalculateCount(), 77);
}

}  // namespace
