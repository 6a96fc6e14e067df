#include "test_engine.h"

#include "chunk_file_loader.h"
#include "chunk_file_saver.h"
#include "engine.h"
#include "file_channels.h"
#include "file_loader.h"
#include "file_saver.h"
#include "handshake_lock.h"
#include "win32/library.h"

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
// TestEngine

namespace {

// The installation every test engine of this process starts on: empty
// "channels" and "3rd" directories (so the engine finds no plug-in library)
// and a registry store of its own. One per process, so PATH is prefixed once.
class TestInstallation {
 public:
  TestInstallation() {
    std::filesystem::create_directories(dir.File("channels"));
    std::filesystem::create_directories(dir.File("3rd"));
    setenv("KELVANE_REGISTRY", dir.File("registry").c_str(), 1);
  }
  const std::string& Path() const { return dir.path; }

 private:
  ScratchDirectory dir;
};

const TestInstallation& Installation() {
  static TestInstallation installation;
  return installation;
}

// Takes the messages of the engine's start-up: an empty installation has no
// loader plug-in for the channel list's cache, which the tests do not look at.
class StartUpMessages : public DebugOutPut {
 public:
  StartUpMessages() : previous(debugOutPut) { debugOutPut = this; }
  ~StartUpMessages() override { debugOutPut = previous; }
  void ShowDebugMessage(DebugMessage*) override {}

 private:
  DebugOutPut* previous;
};

}  // namespace

TestEngine::TestEngine() {
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
  StartUpMessages quiet;
  ext->SetInstallDir(Installation().Path().c_str());
  ext->SetKelvaneRegKey("Software\\KelvaneModelTest");
  EXPECT_TRUE(ext->InitEngine(nullptr, "TEST"));
  // In an installation the start-up's first plug-in creation (the channel
  // list's loader) leaves this engine as the process-wide one; the empty
  // installation loads none.
  globalEngine = this;
}

TestEngine::~TestEngine() {
  // The host's shutdown: the engine releases its groups while the facade and
  // its extension still exist.
  ext->Release();
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

Orn_Channel* TestEngine::CreateInProcess(const GUID& type) {
  if (type == kFileLoaderChannelType) return new Vel_ChunkFileLoader;
  if (type == kFileSaverChannelType) return new Vel_ChunkFileSaver;
  auto found = registry.find(GuidToString(type));
  if (found == registry.end()) return nullptr;
  TestChannel* made = new TestChannel(found->second.type);
  if (found->second.declare) found->second.declare(made);
  return made;
}

Orn_Channel* TestEngine::InitChannelFromType(GUID type, Orn_ChannelGroup* group, bool createChildren) {
  // The creation handshake of a plug-in, with this program as the module.
  HMODULE module = GetModuleHandleA(nullptr);
  HandshakeLock::Enter();
  globalDllInstance = module;
  globalEngine = this;
  Orn_Channel* channel = CreateInProcess(type);
  HandshakeLock::Leave();
  if (!channel) return EngineInterface::InitChannelFromType(type, group, createChildren);
  channel->dll = module;
  channel->engine = this;

  // Children declared for creation come with their parent, in slot order, as
  // the engine makes them for a plug-in's channel.
  if (group) group->AddChannel(channel);
  if (createChildren) {
    for (int slot = 0; slot < channelInternal.GetChildCreationCount(channel); ++slot) {
      ChildCreation* creation = channelInternal.GetChildCreateType(channel, slot);
      if (!creation || !creation->createChild) continue;
      GUID childType = GuidIsZero(creation->createInstead) ? creation->acceptedType.type : creation->createInstead;
      Orn_Channel* child = InitChannelFromType(childType, group, true);
      if (!child) {
        errorFunctor("Couldn't initialize child");
        continue;
      }
      creation = channelInternal.GetChildCreateType(channel, slot);
      if (!creation) continue;
      if (creation->childName[0]) child->SetChannelName(creation->childName);
      channel->SetChild(child, -1, creation->requestLink);
    }
  }
  channel->OneTimeInitialize();
  return channel;
}

Orn_Channel* TestEngine::InitChannelFromType(ChannelType type, Orn_ChannelGroup* group, bool createChildren) {
  typeRequests.push_back(type);
  return InitChannelFromType(type.type, group, createChildren);
}

Orn_ChannelGroup* TestEngine::AddGroup(const char* poolName, int poolNr, bool isArray) {
  Orn_ChannelGroup* group = nullptr;
  if (poolName) {
    group = CreateNewGroup(poolName, isArray, poolNr);
  } else if (engineObject) {
    group = new Orn_ChannelGroup(this);
    engineObject->AddGroup(group);
  }
  EXPECT_NE(group, nullptr) << "the engine refused the group";
  return group;
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

