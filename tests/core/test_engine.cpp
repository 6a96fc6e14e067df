#include "test_engine.h"

#include "chunk_file_loader.h"
#include "chunk_file_saver.h"
#include "file_channels.h"
#include "file_loader.h"
#include "file_saver.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

// ---------------------------------------------------------------------------
// TestChannel

void TestChannel::CallChannel() {
  ++calls;
  if (CheckRenderCount()) ++computed;
}

bool TestChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  saver.SaveChunk("TVAL", &value, 4);
  return true;
}

bool TestChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  if (loader.GetInfoIfTag("TVAL") && !loader.CopyTagData(&value, 4)) return false;
  return true;
}

void TestChannel::DoDependencyInit(Orn_List* dependencies) {
  if (needsLibrary) AddDLLDepend(needsLibrary, dependencies);
}

// ---------------------------------------------------------------------------
// TestEngineExt

TestEngineExt::TestEngineExt(TestEngine* engine) : owner(engine) { engineInterface = engine; }

void TestEngineExt::CheckPublicChannelRemoval(Orn_Channel* channel, int poolNr) {
  for (Orn_ChannelGroup* group : owner->groups)
    if (group) group->CheckPublicChannelRemoval(channel, poolNr);
}

void TestEngineExt::CheckPublicCallChannelRemoval(Orn_Channel* channel) {
  for (auto& request : requests)
    if (request.second == channel) request.second = nullptr;
}

void TestEngineExt::CheckInterfaceChange(const char* poolName) {
  for (Orn_ChannelGroup* group : owner->groups)
    if (group) group->CheckInterfaceChange(poolName);
}

Orn_Channel* TestEngineExt::GetPublicChannel(PublicCallInfo* info) {
  if (!info) return nullptr;
  for (Orn_ChannelGroup* group : owner->groups) {
    if (!group || group->GetPoolNr() != info->requestedNr) continue;
    if (Orn_Channel* channel = group->GetPublicChannel(info)) return channel;
  }
  return nullptr;
}

bool TestEngineExt::AddChannelRequest(int value, Orn_Channel* channel) {
  requests.emplace_back(value, channel);
  return true;
}

void TestEngineExt::CheckChannelRequest(Orn_ChannelGroup* group, int poolNr, Orn_Channel* channel) {
  if (!group || !channel) return;
  for (auto& request : requests) {
    if (request.second &&
        channelInternal.CheckPublicChannelRequest(request.second, channel, poolNr, group->GetPoolName()))
      request.second = nullptr;
  }
}

// ---------------------------------------------------------------------------
// TestEngine

TestEngine::TestEngine() : EngineInterface(WithoutEngine{}) {
  delete ext;
  ext = new TestEngineExt(this);
  globalEngine = this;
  Register(TypeA(), "Test A", TypeA());
  Register(TypeB(), "Test B", TypeB());
  Register(TypeDerivedA(), "Test Derived A", TypeA());
  Register(TypeParent(), "Test Parent", TypeParent(), [](TestChannel* channel) {
    channel->SetChildCreationCount(4);
    channel->SetChildCreateType(ChildCreation(TypeA(), 0, "Single A"), 0);
    channel->SetChildCreateType(ChildCreation(TypeA(), -1, "Many A"), 1);
    channel->SetChildCreateType(ChildCreation(kWildcardGuid, 2, "Anything"), 2);
    channel->SetChildCreateType(ChildCreation(TypeB(), -1, "Many B"), 3);
  });
}

TestEngine::~TestEngine() {
  for (size_t i = 0; i < groups.size(); ++i) DeleteChannelGroup(static_cast<int>(i));
  if (globalEngine == this) globalEngine = nullptr;
}

void TestEngine::Register(const GUID& type, const char* name, const GUID& base,
                          std::function<void(TestChannel*)> declare) {
  Registered entry;
  entry.type.type = type;
  entry.type.baseType = base;
  entry.type.SetName(name);
  entry.declare = std::move(declare);
  registry[GuidToString(type)] = std::move(entry);
}

TestChannel* TestEngine::Make(const GUID& type, Orn_ChannelGroup* group) {
  return static_cast<TestChannel*>(InitChannelFromType(type, group, false));
}

Orn_Channel* TestEngine::InitChannelFromType(GUID type, Orn_ChannelGroup* group, bool) {
  HINSTANCE savedModule = globalDllInstance;
  EngineInterface* savedEngine = globalEngine;
  globalEngine = this;
  Orn_Channel* channel = nullptr;
  if (type == kFileLoaderChannelType) {
    channel = new Vel_ChunkFileLoader;
  } else if (type == kFileSaverChannelType) {
    channel = new Vel_ChunkFileSaver;
  } else {
    auto found = registry.find(GuidToString(type));
    if (found != registry.end()) {
      TestChannel* made = new TestChannel(found->second.type);
      if (found->second.declare) found->second.declare(made);
      channel = made;
    }
  }
  globalDllInstance = savedModule;
  globalEngine = savedEngine;
  if (channel && group) group->AddChannel(channel);
  if (channel) channel->OneTimeInitialize();
  return channel;
}

Orn_Channel* TestEngine::InitChannelFromType(ChannelType type, Orn_ChannelGroup* group, bool createChildren) {
  typeRequests.push_back(type);
  return InitChannelFromType(type.type, group, createChildren);
}

Orn_ChannelGroup* TestEngine::AddGroup(const char* poolName, int poolNr) {
  Orn_ChannelGroup* group = new Orn_ChannelGroup(this);
  group->SetGroupIndex(static_cast<int>(groups.size()));
  groups.push_back(group);
  if (poolName) group->SetPoolName(poolName);
  group->SetPoolNr(poolNr);
  return group;
}

void TestEngine::Frame() {
  treeCount = treeCount > 29999 ? 0 : treeCount + 1;
  for (Orn_ChannelGroup* group : groups)
    if (group) group->SetParameterChannel(nullptr);
}

Orn_ChannelGroup* TestEngine::GetChannelGroup(const char* fileName, int poolNr) {
  if (!fileName) return nullptr;
  for (Orn_ChannelGroup* group : groups)
    if (group && group->GetPoolNr() == poolNr && group->GetChannelGroupFileName() &&
        strcasecmp(group->GetChannelGroupFileName(), fileName) == 0)
      return group;
  return nullptr;
}

Orn_ChannelGroup* TestEngine::GetChannelGroup(int index) {
  if (index < 0 || index >= static_cast<int>(groups.size())) return nullptr;
  return groups[static_cast<size_t>(index)];
}

Orn_ChannelGroup* TestEngine::GetPoolGroup(const char* poolName, int poolNr) {
  if (!poolName) return nullptr;
  for (Orn_ChannelGroup* group : groups)
    if (group && group->GetPoolNr() == poolNr && group->GetPoolName() &&
        strcasecmp(group->GetPoolName(), poolName) == 0)
      return group;
  return nullptr;
}

Orn_ChannelGroup* TestEngine::LoadChannelGroup(const char* file, const char* poolName) {
  loadedFiles.push_back(file ? file : "");
  Orn_ChannelGroup* group = AddGroup(poolName, poolName ? 0 : -1);
  int index = group->GetGroupIndex();
  if (!group->LoadChannelGroupFromFile(file, poolName == nullptr)) {
    DeleteChannelGroup(index);
    return nullptr;
  }
  if (poolName) {
    group->SetPoolName(poolName);
    group->SetPoolNr(0);
  }
  group->CheckPublicChannels();
  return group;
}

int TestEngine::GetHighInstance(const char* poolName) {
  int high = -1;
  if (!poolName) return 0;
  for (Orn_ChannelGroup* group : groups)
    if (group && group->GetPoolName() && strcasecmp(group->GetPoolName(), poolName) == 0 && group->GetPoolNr() > high)
      high = group->GetPoolNr();
  return high;
}

void TestEngine::DeleteChannelGroup(int index) {
  if (index < 0 || index >= static_cast<int>(groups.size())) return;
  Orn_ChannelGroup* group = groups[static_cast<size_t>(index)];
  groups[static_cast<size_t>(index)] = nullptr;
  delete group;
}

// ---------------------------------------------------------------------------
// Helpers

ScratchDirectory::ScratchDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-model-XXXXXX").string();
  std::vector<char> text(pattern.begin(), pattern.end());
  text.push_back('\0');
  char* made = mkdtemp(text.data());
  path = made ? made : "";
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

ChunkBytes& ChunkBytes::Tag(const char* tag) {
  bytes.insert(bytes.end(), tag, tag + 4);
  return *this;
}

ChunkBytes& ChunkBytes::Block(const void* data, uint32_t size) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
  const char* p = static_cast<const char*>(data);
  bytes.insert(bytes.end(), p, p + size);
  return *this;
}

ChunkBytes& ChunkBytes::Text(const char* tag, const char* text) {
  return Tag(tag).Block(text, static_cast<uint32_t>(std::strlen(text) + 1));
}

ChunkBytes& ChunkBytes::Record(const char* name, int32_t interfaceType) {
  return Text("CHNA", name).Int("CHIT", interfaceType).Int("CHLC", 0);
}

std::string DescribeGroup(Orn_ChannelGroup* group) {
  std::ostringstream out;
  out << "slots " << group->GetChannelCount() << " start " << group->GetStartChannel() << " pool "
      << (group->GetPoolName() ? group->GetPoolName() : "(unset)") << " guid "
      << GuidToString(group->GetUniqueGroupGuid()) << "\n";
  for (int i = 0; i < group->GetChannelCount(); ++i) {
    Orn_Channel* channel = group->GetChannel(i);
    if (!channel) {
      out << i << ": hole\n";
      continue;
    }
    out << i << ": " << GuidToString(channel->GetChannelType().type) << " '"
        << (channel->GetChannelName() ? channel->GetChannelName() : "(unset)") << "' type "
        << channel->GetChannelInterfaceType() << " index " << channel->GetChannelIDIndexNr() << " ignore "
        << channelInternal.GetIgnoreTreeCount(channel);
    if (auto* test = dynamic_cast<TestChannel*>(channel)) out << " value " << test->value;
    if (channel->GetChannelInterfaceType() == VEL_PUBLICCALL) {
      PublicCallInfo info = channelInternal.GetPublicCallInfo(channel);
      out << " call " << info.channelName << "/" << info.poolName << "/" << info.fileName << "/" << info.requestedNr
          << "/" << int(info.autoLoad);
    }
    if (ParameterInfo* parameter = channelInternal.GetParameterInfo(channel))
      out << " parameter " << parameter->parameterIndex;
    out << "\n";
    for (int e = 0; e < channel->GetChildCount(); ++e) {
      ChildInfo* info = channelInternal.GetChildInfo(channel, e);
      if (!info) {
        out << "   " << e << ": none\n";
        continue;
      }
      out << "   " << e << ": slot " << info->creationTypeNr << (info->isCreationHead ? " head" : "")
          << (info->multiLink ? " multi" : "") << " pos " << info->linkPos << " -> "
          << (info->channel ? info->channel->GetChannelIDIndexNr() : -1) << "\n";
    }
  }
  for (int k = 0; k < group->GetParameterCount(); ++k) {
    ParameterInterfaceInfo info = group->GetParameterInfo(k);
    out << "parameter " << k << " '" << info.name << "' " << GuidToString(info.type) << "\n";
  }
  return out.str();
}

std::vector<SavedChunk> ParseChunks(const std::vector<char>& bytes) {
  std::vector<SavedChunk> chunks;
  size_t at = 0;
  while (at + 4 <= bytes.size()) {
    SavedChunk chunk;
    chunk.tag.assign(bytes.data() + at, 4);
    at += 4;
    if (chunk.tag != "ORNG" && at + 4 <= bytes.size()) {
      uint32_t size = 0;
      std::memcpy(&size, bytes.data() + at, 4);
      at += 4;
      size_t end = at + size < bytes.size() ? at + size : bytes.size();
      chunk.data.assign(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(end));
      at = end;
    }
    chunks.push_back(chunk);
  }
  return chunks;
}

int32_t ChunkInt(const SavedChunk& chunk) {
  int32_t value = 0;
  if (chunk.data.size() >= 4) std::memcpy(&value, chunk.data.data(), 4);
  return value;
}

std::vector<char> SaveRecord(EngineInterface* engine, Orn_Channel* channel) {
  OrnFileSaver saver(engine);
  saver.OpenMemory();
  channel->SaveChannel(saver);
  saver.CloseMemory();
  if (!saver.GetBuffer()) return {};
  return std::vector<char>(saver.GetBuffer(), saver.GetBuffer() + saver.GetBufferSize());
}
