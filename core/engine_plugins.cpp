// Plug-in libraries: loading by file name, the type-record check, the creation
// handshake, children created with their parent and unique channels.
#include "channel_internal.h"
#include "channel_list.h"
#include "engine.h"
#include "engine_interface.h"
#include "guid_util.h"
#include "handshake_lock.h"
#include "orn_channel.h"
#include "orn_channel_group.h"
#include "orn_string.h"
#include "text_util.h"
#include "win32/library.h"

#include <cstring>

namespace {
typedef ChannelType* (*GetTypeFunction)();
typedef Orn_Channel* (*InitDLLFunction)();

// The file-name part of a path, as the system loader gets it.
void FileNameOf(const char* file, char* out, size_t size) {
  CopyText(out, size, file);
  Orn_String::MakeFULLName(out);
}

}  // namespace

const Engine::PluginExports& Engine::ExportsOf(HMODULE module) {
  auto found = exportCache.find(module);
  if (found != exportCache.end()) return found->second;
  PluginExports exports;
  exports.getType = reinterpret_cast<GetTypeFunction>(reinterpret_cast<void*>(GetProcAddress(module, "GetType")));
  exports.initDLL = reinterpret_cast<InitDLLFunction>(reinterpret_cast<void*>(GetProcAddress(module, "InitDLL")));
  return exportCache.emplace(module, exports).first->second;
}

ChannelType Engine::GetDLLType(HINSTANCE module) {
  ChannelType record;
  if (!module) return record;
  GetTypeFunction getType = ExportsOf(module).getType;
  if (!getType) return record;
  const ChannelType* reported = getType();
  if (reported) std::memcpy(&record, reported, sizeof record);
  record.name[sizeof record.name - 1] = '\0';
  return record;
}

ChannelType Engine::GetDLLType(const char* file) {
  ChannelType record;
  if (!file) return record;
  char name[260];
  FileNameOf(file, name, sizeof name);
  HMODULE module = LoadLibraryA(name);
  if (!module) {
    engineInterface->errorFunctor("Couldn't find DLL");
    engineInterface->errorFunctor(file);
    return record;
  }
  record = GetDLLType(module);
  ForgetExports(module);
  FreeLibrary(module);
  if (record.version[1] != kChannelInterfaceVersion) {
    record.type = kNullGuid;
    engineInterface->errorFunctor("Channel not compatible with current version: ", record.name);
  }
  return record;
}

Orn_Channel* Engine::GetDLLInstance(const char* file) {
  if (!file || std::strlen(file) < 2) return nullptr;
  char path[500];
  CopyText(path, sizeof path, file);
  char name[260];
  FileNameOf(path, name, sizeof name);
  HMODULE module = LoadLibraryA(name);
  if (!module) {
    engineInterface->errorFunctor("GetLastError:", static_cast<int>(GetLastError()));
    engineInterface->errorFunctor("Engine::GetDLLInstance: Error loading DLL file:", path);
    return nullptr;
  }
  libraries.AddItem(module);
  if (!ExportsOf(module).initDLL) {
    engineInterface->errorFunctor("Engine::GetDLLInstance: Couldn't find external function InitDLL() in dll:");
    return nullptr;
  }
  return CreateDLLInstance(module);
}

Orn_Channel* Engine::CreateDLLInstance(HINSTANCE module) {
  if (!module) return nullptr;
  InitDLLFunction initDLL = ExportsOf(module).initDLL;
  if (!initDLL) {
    engineInterface->errorFunctor("Engine::GetDLLInstance: Couldn't find external function InitDLL() in dll:");
    return nullptr;
  }
  HandshakeLock::Enter();
  globalDllInstance = module;
  globalEngine = engineInterface;
  Orn_Channel* object = initDLL();
  HandshakeLock::Leave();
  if (!object) return nullptr;
  object->dll = module;
  object->engine = engineInterface;
  return object;
}

namespace {
// Steps shared by creation from a module and from a file, after the object exists.
Orn_Channel* FinishCreation(Engine* engine, Orn_Channel* object, Orn_ChannelGroup* group, bool createChildren,
                            bool unique) {
  if (group) group->AddChannel(object);
  if (createChildren) {
    for (int slot = 0; slot < channelInternal.GetChildCreationCount(object); ++slot) {
      ChildCreation* creation = channelInternal.GetChildCreateType(object, slot);
      if (!creation || !creation->createChild) continue;
      ChannelType type = creation->acceptedType;
      if (!GuidIsZero(creation->createInstead)) type.type = creation->createInstead;
      Orn_Channel* child = engine->InitChannelFromType(type, group, createChildren, false);
      if (!child) {
        object->engine->errorFunctor("Couldn't initialize child");
        continue;
      }
      // The creation record may have moved while the child was created.
      creation = channelInternal.GetChildCreateType(object, slot);
      if (!creation) continue;
      if (creation->childName[0]) child->SetChannelName(creation->childName);
      object->SetChild(child, -1, creation->requestLink);
    }
  }
  channelInternal.SetIfUniqueChannel(object, unique);
  object->OneTimeInitialize();
  return object;
}
}  // namespace

Orn_Channel* Engine::CreateChannelFromInstance(HINSTANCE module, Orn_ChannelGroup* group, bool createChildren,
                                               bool unique) {
  Orn_Channel* object = CreateDLLInstance(module);
  if (!object) return nullptr;
  return FinishCreation(this, object, group, createChildren, unique);
}

Orn_Channel* Engine::CreateChannelFromFile(const char* file, Orn_ChannelGroup* group, bool createChildren,
                                           bool unique) {
  Orn_Channel* object = GetDLLInstance(file);
  if (!object) return nullptr;
  if (channelList) channelList->CheckChannelUpdate(object);
  return FinishCreation(this, object, group, createChildren, unique);
}

Orn_Channel* Engine::InitChannelFromType(GUID type, Orn_ChannelGroup* group, bool createChildren, bool unique) {
  if (!channelList) return nullptr;
  ChannelListItem* item = channelList->GetItem(type);
  if (!item || !item->onDisk) return nullptr;
  if (!item->typeChecked) {
    ChannelType record = GetDLLType(item->fileName.GetString());
    if (GuidIsZero(record.type)) {
      item->onDisk = false;
      return nullptr;
    }
    item->typeChecked = true;
  } else if (item->module) {
    return CreateChannelFromInstance(item->module, group, createChildren, unique);
  }
  Orn_Channel* object = CreateChannelFromFile(item->fileName.GetString(), group, createChildren, unique);
  if (object) {
    // The item may have been replaced while the channel was created.
    if (ChannelListItem* current = channelList->GetItem(type)) current->module = object->dll;
  }
  return object;
}

Orn_Channel* Engine::InitChannelFromType(ChannelType type, Orn_ChannelGroup* group, bool createChildren,
                                         bool unique) {
  return InitChannelFromType(type.type, group, createChildren, unique);
}

Orn_Channel* Engine::GetUniqueChannel(GUID type, const char* name) {
  return GetUniqueChannel(ChannelType(type), name);
}

Orn_Channel* Engine::GetUniqueChannel(ChannelType type, const char* name) {
  const size_t kNameChars = 59;
  char requested[kNameChars + 1] = {};
  if (name && name[0]) {
    size_t length = std::strlen(name);
    CopyText(requested, sizeof requested, length < kNameChars ? name : name + (length - kNameChars));
  }
  if (GuidIsZero(type.type)) {
    engineInterface->errorFunctor("GUID of channel not found!\nCould not add unique channel!");
    return nullptr;
  }
  if (!uniqueGroup) return nullptr;
  for (int i = 0; i < uniqueGroup->GetChannelCount(); ++i) {
    Orn_Channel* channel = uniqueGroup->GetChannel(i);
    if (!channel || channel->GetChannelType().type != type.type) continue;
    if (!requested[0]) return channel;
    const char* own = channel->GetChannelName();
    if (own && EqualsIgnoreCase(own, requested)) return channel;
  }
  Orn_Channel* object = InitChannelFromType(type.type, nullptr, false, true);
  if (object) {
    if (requested[0]) object->SetChannelName(requested);
    uniqueGroup->AddChannel(object);
  }
  return object;
}
