// The channel record: what SaveChannel writes, what LoadChannel accepts, and
// links recorded as requests until their target loads. Channel handles.
#include "test_engine.h"

#include "file_loader.h"
#include "smart_channel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class RecordTest : public ::testing::Test {
 protected:
  std::vector<std::string> Tags(Orn_Channel* channel) {
    std::vector<std::string> tags;
    for (const SavedChunk& chunk : ParseChunks(SaveRecord(&engine, channel))) tags.push_back(chunk.tag);
    return tags;
  }
  bool Load(Orn_Channel* channel, std::vector<char> bytes, Orn_ChannelGroup* into) {
    OrnFileLoader loader(&engine);
    loader.SetBuffer(bytes.data(), static_cast<int>(bytes.size()), true);
    return channel->LoadChannel(loader, into);
  }

  MessageLog log;
  TestEngine engine;
  Orn_ChannelGroup* group = engine.AddGroup();
};

TEST_F(RecordTest, UnnamedChannelSavesABlankName) {
  TestChannel* channel = engine.Make(TypeA(), group);
  std::vector<SavedChunk> chunks = ParseChunks(SaveRecord(&engine, channel));
  ASSERT_GE(chunks.size(), 2u);
  EXPECT_EQ(chunks[1].tag, "CHNA");
  EXPECT_EQ(chunks[1].data, (std::vector<char>{' ', '\0'}));
  TestChannel* copy = engine.Make(TypeA(), group);
  ASSERT_TRUE(Load(copy, SaveRecord(&engine, channel), group));
  EXPECT_STREQ(copy->GetChannelName(), " ");
}

TEST_F(RecordTest, EntriesAreWrittenWithSlotAndPosition) {
  TestChannel* parent = engine.Make(TypeParent(), group);
  TestChannel* a = engine.Make(TypeA(), group);
  TestChannel* b = engine.Make(TypeB(), group);
  parent->SetChild(a, -1, 0);
  parent->SetChild(b, 1, 3);  // a blank link, then b
  EXPECT_EQ(Tags(parent), (std::vector<std::string>{"CHIC", "CHNA", "CHIT", "CHLC",
                                                   "CHLI", "CHUL", "CHRP",  // slot 0: a
                                                   "CHLI", "CHUL",          // slot 1 head
                                                   "CHLI", "CHUL",          // slot 2 head
                                                   "CHLI", "CHUL",          // slot 3 blank link
                                                   "CHLI", "CHUL", "CHRP",  // slot 3: b at 1
                                                   "CHLI", "CHUL",          // slot 3 head
                                                   "TVAL"}));
  std::vector<SavedChunk> chunks = ParseChunks(SaveRecord(&engine, parent));
  EXPECT_EQ(ChunkInt(chunks[3]), 6);
  EXPECT_EQ(ChunkInt(chunks[13]), b->GetChannelIDIndexNr());
  EXPECT_EQ(ChunkInt(chunks[14]), 3);
  EXPECT_EQ(ChunkInt(chunks[15]), 1);
}

TEST_F(RecordTest, PublicCallAndParameterRecordsCarryTheirChunk) {
  TestChannel* call = engine.Make(TypeA(), group);
  call->SetChannelInterfaceType(VEL_PUBLICCALL);
  std::vector<SavedChunk> chunks = ParseChunks(SaveRecord(&engine, call));
  ASSERT_GE(chunks.size(), 4u);
  EXPECT_EQ(chunks[3].tag, "CHES");
  EXPECT_EQ(chunks[3].data.size(), 428u);
  EXPECT_STREQ(chunks[3].data.data() + 80, "No Pool");

  TestChannel* parameter = engine.Make(TypeA(), group);
  parameter->SetChannelInterfaceType(VEL_PARAMETER);
  channelInternal.SetParameterInfo(parameter, 4);
  chunks = ParseChunks(SaveRecord(&engine, parameter));
  EXPECT_EQ(chunks[3].tag, "CEXI");
  EXPECT_EQ(ChunkInt(chunks[3]), 4);
  TestChannel* copy = engine.Make(TypeA(), group);
  ASSERT_TRUE(Load(copy, SaveRecord(&engine, parameter), group));
  EXPECT_EQ(copy->GetChannelInterfaceType(), VEL_PARAMETER);
  EXPECT_EQ(channelInternal.GetParameterInfo(copy)->parameterIndex, 4);
}

TEST_F(RecordTest, RequiredChunksAreReported) {
  TestChannel* channel = engine.Make(TypeA(), group);
  EXPECT_FALSE(Load(channel, ChunkBytes().Record("x").bytes, nullptr));
  EXPECT_TRUE(log.Has("Group is NULL"));
  EXPECT_FALSE(Load(channel, ChunkBytes().Int("CHIT", 0).bytes, group));
  EXPECT_TRUE(log.Has("Couldn't find channel name header"));
  EXPECT_FALSE(Load(channel, ChunkBytes().Text("CHNA", "name").Int("CHLC", 2).Int("CHLI", -1).bytes, group));
  EXPECT_TRUE(log.Has("Couldn't find channel links header"));
  EXPECT_TRUE(log.Has("2."));
  EXPECT_TRUE(log.Has("name"));
}

TEST_F(RecordTest, RequestLinksWhenTheTargetArrives) {
  TestChannel* parent = engine.Make(TypeParent(), group);
  ChunkBytes record;
  record.Text("CHNA", "p").Int("CHLC", 2).Int("CHLI", 7).Int("CHUL", 0).Int("CHRP", 0);
  record.Int("CHLI", 7).Int("CHUL", 1).Int("CHRP", 1);
  ASSERT_TRUE(Load(parent, record.bytes, group));
  EXPECT_EQ(parent->GetChild(0), nullptr);

  TestChannel* target = engine.Make(TypeA());
  group->SetChannel(target, 7);
  channelInternal.SetChannelIDIndexNr(target, 7);
  group->CheckRequestListForIndex(7);
  EXPECT_EQ(parent->GetChild(0), target);
  EXPECT_EQ(parent->GetChildFromLinkPosition(1, 1), target);
  EXPECT_EQ(parent->GetChildLinkPositionCount(1), 2);
  // Each request links once.
  EXPECT_FALSE(channelInternal.CheckChannelRequest(parent, 7, 0, target, 0));
}

TEST_F(RecordTest, HandleRevalidatesOnEveryUse) {
  TestChannel* channel = engine.Make(TypeA(), group);
  SmartChannel handle(&engine);
  ASSERT_TRUE(handle.SetChannel(channel));
  EXPECT_EQ(handle.GetChannel(), channel);
  SmartChannel copy = handle;
  EXPECT_EQ(copy.GetInternalChannel(), channel);

  // The slot is a hole, then holds another channel.
  TestChannel* other = engine.Make(TypeA());
  int slot = channel->GetChannelIDIndexNr();
  group->RemoveChannel(slot);
  EXPECT_EQ(handle.GetChannel(), nullptr);
  EXPECT_EQ(group->AddChannel(other), slot);
  EXPECT_EQ(handle.GetChannel(), nullptr);

  // The group was replaced by a new one at the same index: the channel moved
  // along to the same slot, but the handle was taken in the old group.
  ASSERT_TRUE(handle.SetChannel(other));
  EXPECT_EQ(handle.GetChannel(), other);
  int index = group->GetGroupIndex();
  group->SetChannel(nullptr, slot);  // the channel outlives its group
  engine.DeleteChannelGroup(index);
  Orn_ChannelGroup* replacement = engine.AddGroup();
  ASSERT_EQ(replacement->GetGroupIndex(), index);
  ASSERT_EQ(replacement->AddChannel(other), slot);
  EXPECT_EQ(handle.GetChannel(), nullptr);
  ASSERT_TRUE(handle.SetChannel(other));
  EXPECT_EQ(handle.GetChannel(), other);

  // Without a group a handle never resolves.
  TestChannel* loose = engine.Make(TypeA());
  EXPECT_FALSE(handle.SetChannel(loose));
  EXPECT_EQ(handle.GetChannel(), nullptr);
  EXPECT_FALSE(handle.SetChannel(nullptr));
  delete loose;
}

TEST_F(RecordTest, HandleAnswersByInterfaceType) {
  TestChannel* getter = engine.Make(TypeA(), group);
  TestChannel* answer = engine.Make(TypeB(), group);
  getter->handOut = answer;
  getter->SetChannelInterfaceType(VEL_PUBLICCUSTOMCHANNELGET);
  SmartChannel handle(&engine);
  handle.SetChannel(getter);
  EXPECT_EQ(handle.GetChannel(), answer);
  EXPECT_EQ(handle.GetInternalChannel(), getter);

  TestChannel* parameter = engine.Make(TypeA(), group);
  parameter->SetChannelInterfaceType(VEL_PARAMETER);
  handle.SetChannel(parameter);
  EXPECT_EQ(handle.GetChannel(), nullptr);
}

}  // namespace
