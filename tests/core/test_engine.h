// The engine the channel-model tests run on: the real engine, whose channel
// creation makes channels of test classes registered in this process (and the
// chunk loader and saver channels) instead of loading plug-in libraries. It
// also holds the helpers the tests share: a receiver that keeps every message,
// a configurable test channel class and a scratch directory.
#pragma once

#include "captured_messages.h"
#include "saved_record.h"
#include "channel_internal.h"
#include "engine_interface.h"
#include "guid_util.h"
#include "messages.h"
#include "orn_channel.h"
#include "orn_channel_group.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Types of the test channel classes.
inline GUID TypeA() { return GuidLiteral("7E570001-0000-4000-8000-00000000000A"); }
inline GUID TypeB() { return GuidLiteral("7E570001-0000-4000-8000-00000000000B"); }
// Derived from TypeA (its base type is TypeA).
inline GUID TypeDerivedA() { return GuidLiteral("7E570001-0000-4000-8000-0000000000DA"); }
// A channel with four slots: 0 single A (request link 0), 1 multi-link A,
// 2 single wildcard (request link 2), 3 multi-link B.
inline GUID TypeParent() { return GuidLiteral("7E570001-0000-4000-8000-0000000000F0"); }

// Installs itself as the process-wide receiver while it lives.
using MessageLog = CapturedMessages;

// The channel class of the tests. It reports the type it was made with, keeps
// one value of its own (chunk "TVAL" after the channel record), counts its
// calls and the frames in which it computed, and hands out `handOut` as a
// custom-get channel.
class TestChannel : public Orn_Channel {
 public:
  explicit TestChannel(const ChannelType& type) : type(type) {}
  ChannelType GetChannelType() override { return type; }
  void CallChannel() override;
  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  Orn_Channel* GetChannelFromChannel(Orn_Channel*, ChildInfo*) override { return handOut; }
  void DoDependencyInit(Orn_List* dependencies) override;
  using Orn_Channel::CheckRenderCount;

  ChannelType type;
  int32_t value = 0;
  int calls = 0;
  int computed = 0;
  Orn_Channel* handOut = nullptr;
  const char* needsLibrary = nullptr;
};

// The engine of the channel-model tests: the real engine facade started on an
// empty installation, except that channels of the test classes (and the chunk
// loader and saver channels) are created in this process instead of from
// plug-in libraries. Groups, pools, group loading, public channels, requests
// and the tree count are the real engine's.
class TestEngine : public EngineInterface {
 public:
  TestEngine();
  ~TestEngine() override;

  // Test channel classes by type; the standard types TypeA, TypeB,
  // TypeDerivedA and TypeParent are registered from the start.
  void Register(const GUID& type, const char* name, const GUID& base, std::function<void(TestChannel*)> declare = {});
  TestChannel* Make(const GUID& type, Orn_ChannelGroup* group = nullptr);
  // A group in the engine's list. Without a pool name the group belongs to no
  // pool (as a group loaded without one before it reads its file); with one it
  // is the engine's CreateNewGroup of that pool and instance.
  Orn_ChannelGroup* AddGroup(const char* poolName = nullptr, int poolNr = 0, bool isArray = false);
  // The engine's frame tick.
  void Frame() { ext->IncreaseTreeCount(); }

  using EngineInterface::InitChannelFromType;
  Orn_Channel* InitChannelFromType(GUID type, Orn_ChannelGroup* group, bool createChildren) override;
  Orn_Channel* InitChannelFromType(ChannelType type, Orn_ChannelGroup* group, bool createChildren) override;

  // Every type record the creation by record was asked for.
  std::vector<ChannelType> typeRequests;

 private:
  struct Registered {
    ChannelType type;
    std::function<void(TestChannel*)> declare;
  };
  Orn_Channel* CreateInProcess(const GUID& type);
  std::map<std::string, Registered> registry;
};

// A fresh directory, removed with its contents afterwards.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  std::string File(const std::string& name) const { return path + "/" + name; }
  std::string path;
};

// The bytes of a group file, chunk by chunk, as the group-file table lays
// them out (little-endian block sizes).
class ChunkBytes {
 public:
  ChunkBytes& Tag(const char* tag);
  ChunkBytes& Block(const void* data, uint32_t size);
  ChunkBytes& Int(const char* tag, int32_t value) { return Tag(tag).Block(&value, 4); }
  ChunkBytes& Guid(const char* tag, const GUID& guid) { return Tag(tag).Block(&guid, 16); }
  ChunkBytes& Text(const char* tag, const char* text);
  // A minimal channel record: CHNA name, CHIT type, CHLC 0.
  ChunkBytes& Record(const char* name, int32_t interfaceType = VEL_NORMAL);
  std::vector<char> bytes;
};

// One chunk of saved bytes.
struct SavedChunk {
  std::string tag;
  std::vector<char> data;
};
// Splits saved bytes into chunks; ORNG is the one bare tag.
std::vector<SavedChunk> ParseChunks(const std::vector<char>& bytes);
int32_t ChunkInt(const SavedChunk& chunk);

// A description of a group that two groups share when they hold the same
// slots, types, names, interface types, values, child entries and links.
std::string DescribeGroup(Orn_ChannelGroup* group);
