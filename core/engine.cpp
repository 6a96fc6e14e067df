#include "engine.h"

#include "channel_internal.h"
#include "channel_list.h"
#include "engine_interface.h"
#include "evaluation_depth.h"
#include "handshake_lock.h"
#include "orn_channel.h"
#include "orn_channel_group.h"
#include "orn_tread.h"
#include "temp_files.h"
#include "text_util.h"
#include "win32/env.h"
#include "win32/library.h"
#include "win32/registry.h"

#include <cstdlib>
#include <cstring>
#include <string>

Engine::Engine()
    : uniqueGroup(nullptr),
      treeCount(0),
      channelList(nullptr),
      windowHandle(nullptr),
      className{},
      instance(nullptr),
      installDir{},
      regKey{},
      engineInterface(nullptr),
      initialised(false),
      currentEvent(-1),
      windowMessage{},
      startGroup(0),
      sendDepth(0),
      releasing(false) {
  HandshakeLock::Acquire();
}

Engine::~Engine() {
  // Release normally ran before; whatever is left is freed here so that an
  // engine deleted without Release leaks nothing.
  if (!releasing) Release();
  HandshakeLock::Drop();
}

const char* Engine::GetInstallDir() { return installDir; }

void Engine::SetInstallDir(const char* dir) {
  if (dir) CopyText(installDir, sizeof installDir, dir);
}

void Engine::SetKelvaneRegKey(const char* key) {
  if (key) CopyText(regKey, sizeof regKey, key);
}

void Engine::SetEngineInterface(EngineInterface* engine) {
  engineInterface = engine;
  uniqueGroup = new Orn_ChannelGroup(engine);
  channelList = new ChannelList(engine);
}

HWND Engine::GetWindowHandle() { return windowHandle; }

void Engine::SetWindowHandle(HWND window) {
  if (window) windowHandle = window;
}

bool Engine::InitEngine(HINSTANCE programInstance, const char* name) {
  instance = programInstance;
  if (name) CopyText(className, sizeof className, name);

  // PATH is read whole: a longer one than a fixed buffer holds would
  // otherwise be replaced by the prefix alone.
  std::string path;
  for (DWORD size = GetEnvironmentVariableA("PATH", nullptr, 0); size > path.size();
       size = GetEnvironmentVariableA("PATH", path.data(), static_cast<DWORD>(path.size())))
    path.assign(size, '\0');
  path.resize(std::strlen(path.c_str()));
  // The prefix goes in once: when the installation's channels directory is
  // already an element of PATH. (Looking for the installation directory as
  // any part of the text would also match /usr/local inside /usr/local/bin.)
  std::string channelsDir = std::string(installDir) + kPathSeparator + "channels";
  bool present = false;
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find(kPathListSeparator, start);
    if (end == std::string::npos) end = path.size();
    if (path.compare(start, end - start, channelsDir) == 0) present = true;
    start = end + 1;
  }
  if (installDir[0] != '\0' && !present) {
    // An empty list element would name the current directory: none is added
    // when PATH was empty.
    std::string prefixed = channelsDir + kPathListSeparator + installDir + kPathSeparator + "3rd";
    if (!path.empty()) prefixed += kPathListSeparator + path;
    SetEnvironmentVariableA("PATH", prefixed.c_str());
  }

  RemoveStaleTempFiles();
  if (channelList) {
    std::string channels = std::string(installDir) + kPathSeparator + "channels";
    char dir[260];
    CopyText(dir, sizeof dir, channels.c_str());
    channelList->SetChannelDir(dir);
    channelList->CreateChannelList();
  }
  initialised = true;
  return true;
}

void Engine::RemoveStaleTempFiles() {
  if (installDir[0] == '\0') return;
  // The places the engine itself writes: the channel-list cache, and restored
  // plug-ins and libraries.
  const std::string root(installDir);
  for (const std::string& dir : {root, root + kPathSeparator + "channels", root + kPathSeparator + "3rd"}) {
    for (const std::string& path : ::RemoveStaleTempFiles(dir))
      engineInterface->infoFunctor(
          ("Engine::InitEngine: removed a temporary file an interrupted write left: " + path).c_str());
  }
}

// ---------------------------------------------------------------------------
// Groups and pools

Orn_ChannelGroup* Engine::GetChannelGroup(int index) {
  return static_cast<Orn_ChannelGroup*>(groups.GetItem(index));
}

int Engine::GetChannelGroupCount() { return groups.GetItemCount(); }

int Engine::AddGroup(Orn_ChannelGroup* group) {
  int index = groups.AddItemOrNULL(group);
  if (group) group->SetGroupIndex(index);
  return index;
}

void Engine::DeleteChannelGroup(int index) {
  Orn_ChannelGroup* group = GetChannelGroup(index);
  if (!group) return;
  groups.SetItem(nullptr, index);
  delete group;
}

void Engine::ReleaseGroups() {
  for (int i = 0; i < requests.GetItemCount(); ++i) delete static_cast<EngineChannelRequest*>(requests.GetItem(i));
  requests.ReleaseItems();
  for (int i = 0; i < groups.GetItemCount(); ++i) DeleteChannelGroup(i);
  groups.ReleaseItems();
}

Orn_ChannelGroup* Engine::GetChannelGroup(const char* fileName, int poolNr) {
  if (!fileName) return nullptr;
  for (int i = 0; i < groups.GetItemCount(); ++i) {
    Orn_ChannelGroup* group = GetChannelGroup(i);
    if (!group || group->GetPoolNr() != poolNr) continue;
    const char* name = group->GetChannelGroupFileName();
    if (name && EqualsIgnoreCase(name, fileName)) return group;
  }
  return nullptr;
}

Orn_ChannelGroup* Engine::GetPoolGroup(const char* poolName, int poolNr) {
  if (!poolName) return nullptr;
  for (int i = 0; i < groups.GetItemCount(); ++i) {
    Orn_ChannelGroup* group = GetChannelGroup(i);
    if (!group || group->GetPoolNr() != poolNr) continue;
    const char* name = group->GetPoolName();
    if (name && EqualsIgnoreCase(name, poolName)) return group;
  }
  return nullptr;
}

int Engine::GetHighInstance(const char* poolName) {
  if (!poolName) return 0;
  int high = -1;
  for (int i = 0; i < groups.GetItemCount(); ++i) {
    Orn_ChannelGroup* group = GetChannelGroup(i);
    if (!group) continue;
    const char* name = group->GetPoolName();
    if (name && EqualsIgnoreCase(name, poolName) && group->GetPoolNr() > high) high = group->GetPoolNr();
  }
  return high;
}

Orn_ChannelGroup* Engine::CreateNewGroup(const char* poolName, bool isArray, int poolNr) {
  if (!poolName || !poolName[0]) return nullptr;
  int n = 0;
  if (poolNr == -2) {
    bool stopped = false;
    for (int i = 0; i < groups.GetItemCount(); ++i) {
      Orn_ChannelGroup* group = GetChannelGroup(i);
      if (!group) {
        n = i;
        stopped = true;
        break;
      }
      const char* name = group->GetPoolName();
      if (name && EqualsIgnoreCase(name, poolName)) n = group->GetPoolNr() + 1;
    }
    if (!stopped) n = GetHighInstance(poolName) + 1;
  } else if (poolNr < 0) {
    n = GetHighInstance(poolName) + 1;
  } else {
    n = poolNr;
    if (Orn_ChannelGroup* old = GetPoolGroup(poolName, n)) DeleteChannelGroup(old->GetGroupIndex());
  }
  if (!isArray && n > 0) {
    engineInterface->errorFunctor("Engine::CreateNewGroup non array group created with same name");
    return nullptr;
  }
  if (isArray && n > 0) {
    Orn_ChannelGroup* first = GetChannelGroup(poolName, 0);
    if (first && !first->GetIfArrayGroup()) {
      engineInterface->errorFunctor("Engine::CreateNewGroup wanted to create an array of a non array group!");
      return nullptr;
    }
  }
  Orn_ChannelGroup* group = new Orn_ChannelGroup(engineInterface);
  group->SetPoolNr(n);
  group->SetPoolName(poolName);
  group->SetIfArrayGroup(isArray);
  AddGroup(group);
  return group;
}

Orn_ChannelGroup* Engine::LoadChannelGroup(const char* file, const char* poolName) {
  if (!initialised) return nullptr;
  if (poolName) {
    int j = 0;
    for (int i = 0; i < groups.GetItemCount(); ++i) {
      Orn_ChannelGroup* group = GetChannelGroup(i);
      if (!group) continue;
      const char* name = group->GetPoolName();
      if (!name || !EqualsIgnoreCase(name, poolName)) continue;
      if (group->GetPoolNr() == -1) return nullptr;
      if (group->GetPoolNr() >= j) {
        if (!group->GetIfArrayGroup()) {
          engineInterface->errorFunctor("Engine::LoadChannelGroup wanted to load a channel group in a non array pool");
          return nullptr;
        }
        j = group->GetPoolNr() + 1;
      }
    }
    if (j > 0) {
      engineInterface->errorFunctor("Engine::LoadChannelGroup Pool name already exists");
      engineInterface->errorFunctor("Arrays can only be made trough CreateGroup (Array_LoadGroup)");
      return nullptr;
    }
  }
  Orn_ChannelGroup* group = new Orn_ChannelGroup(engineInterface);
  int index = AddGroup(group);
  if (poolName) group->SetPoolName(poolName);
  if (!group->LoadChannelGroupFromFile(file, poolName == nullptr)) {
    DeleteChannelGroup(index);
    engineInterface->errorFunctor("Engine::LoadChannelGroup: Error loading channel group");
    return nullptr;
  }
  if (poolName) {
    group->SetPoolName(poolName);
    group->SetPoolNr(0);
    group->CheckPublicChannels();
    return group;
  }
  if (group->GetPoolNr() == 0) {
    group->CheckPublicChannels();
    return group;
  }
  DeleteChannelGroup(index);
  engineInterface->errorFunctor("Engine::LoadChannelGroup Pool name already exists");
  engineInterface->errorFunctor("Arrays can only be made trough CreateGroup (Array_LoadGroup)");
  return nullptr;
}

int Engine::GetUniqueChannelCount() { return uniqueGroup ? uniqueGroup->GetChannelCount() : 0; }

void Engine::SetStartGroup(int index) { startGroup = index; }
int Engine::GetStartGroup() { return startGroup; }

// ---------------------------------------------------------------------------
// Public channels and requests

void Engine::CheckPublicChannelRemoval(Orn_Channel* channel, int poolNr) {
  for (int i = 0; i < groups.GetItemCount(); ++i)
    if (Orn_ChannelGroup* group = GetChannelGroup(i)) group->CheckPublicChannelRemoval(channel, poolNr);
}

void Engine::CheckPublicCallChannelRemoval(Orn_Channel* channel) {
  // Every request of the channel goes, not only the first: a channel deleted
  // with two requests pending must leave none behind.
  for (int i = 0; i < requests.GetItemCount(); ++i) {
    EngineChannelRequest* request = static_cast<EngineChannelRequest*>(requests.GetItem(i));
    if (request && request->channel == channel) {
      delete request;
      requests.SetItem(nullptr, i);
    }
  }
}

void Engine::CheckInterfaceChange(const char* poolName) {
  for (int i = 0; i < groups.GetItemCount(); ++i)
    if (Orn_ChannelGroup* group = GetChannelGroup(i)) group->CheckInterfaceChange(poolName);
}

Orn_Channel* Engine::GetPublicChannel(PublicCallInfo* info) {
  if (!info) return nullptr;
  for (int i = 0; i < groups.GetItemCount(); ++i) {
    Orn_ChannelGroup* group = GetChannelGroup(i);
    if (!group || group->GetPoolNr() != info->requestedNr) continue;
    if (Orn_Channel* channel = group->GetPublicChannel(info)) return channel;
  }
  return nullptr;
}

bool Engine::AddChannelRequest(int value, Orn_Channel* channel) {
  EngineChannelRequest* request = new EngineChannelRequest{channel, value};
  requests.AddItemOrNULL(request);
  return true;
}

void Engine::CheckChannelRequest(Orn_ChannelGroup* group, int poolNr, Orn_Channel* channel) {
  if (!group || !channel) return;
  for (int i = 0; i < requests.GetItemCount(); ++i) {
    EngineChannelRequest* request = static_cast<EngineChannelRequest*>(requests.GetItem(i));
    if (!request) continue;
    if (channelInternal.CheckPublicChannelRequest(request->channel, channel, poolNr, group->GetPoolName())) {
      delete request;
      requests.SetItem(nullptr, i);
    }
  }
}

// ---------------------------------------------------------------------------
// Frames and events

void Engine::IncreaseTreeCount() {
  evaluation_depth::Forget();
  treeCount = treeCount > kMaxTreeCount - 1 ? 0 : treeCount + 1;
  if (uniqueGroup) uniqueGroup->IncreaseTreeCount();
  for (int i = 0; i < groups.GetItemCount(); ++i)
    if (Orn_ChannelGroup* group = GetChannelGroup(i)) group->SetParameterChannel(nullptr);
  SendEvent(0, nullptr);
}

void Engine::UpdateChannelTree() {
  if (Orn_ChannelGroup* group = GetChannelGroup(startGroup)) group->CallStartChannel();
}

int Engine::GetCurrentEvent() { return currentEvent; }

void Engine::AddChannelToEvent(Orn_Channel* channel, int event) {
  if (!channel || event < 0) return;
  eventRegistrations.AddItem(new EventRegistration{channel, event});
}

void Engine::RemoveChannelFromEvent(Orn_Channel* channel, int event) {
  if (!channel) return;
  for (int i = 0; i < eventRegistrations.GetItemCount(); ++i) {
    EventRegistration* registration = static_cast<EventRegistration*>(eventRegistrations.GetItem(i));
    if (registration && registration->channel == channel && registration->event == event)
      registration->channel = nullptr;
  }
  if (sendDepth == 0) CompactEventRegistrations();
}

void Engine::CompactEventRegistrations() {
  for (int i = eventRegistrations.GetItemCount() - 1; i >= 0; --i) {
    EventRegistration* registration = static_cast<EventRegistration*>(eventRegistrations.GetItem(i));
    if (!registration || !registration->channel) {
      delete registration;
      eventRegistrations.RemoveItem(i);
    }
  }
}

void Engine::SendEvent(int event, void* param) {
  if (currentEvent == kEventsReleased) return;
  currentEvent = event;
  // Registrations added while sending wait for the next event; removed ones
  // are emptied in place, so no other channel is skipped or called twice.
  int count = eventRegistrations.GetItemCount();
  ++sendDepth;
  for (int i = 0; i < count && currentEvent != kEventsReleased; ++i) {
    EventRegistration* registration = static_cast<EventRegistration*>(eventRegistrations.GetItem(i));
    if (registration && registration->channel && registration->event == event)
      registration->channel->DoEvent(event, reinterpret_cast<unsigned long>(param));
  }
  if (--sendDepth == 0) CompactEventRegistrations();
}

void Engine::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  windowMessage.message = message;
  windowMessage.wParam = wParam;
  windowMessage.lParam = lParam;
  SendEvent(1, &windowMessage);
}

void Engine::ForgetChannel(Orn_Channel* channel) {
  if (!channel) return;
  for (int i = 0; i < eventRegistrations.GetItemCount(); ++i) {
    EventRegistration* registration = static_cast<EventRegistration*>(eventRegistrations.GetItem(i));
    if (registration && registration->channel == channel) registration->channel = nullptr;
  }
  if (sendDepth == 0) CompactEventRegistrations();
  CheckPublicCallChannelRemoval(channel);
}

// ---------------------------------------------------------------------------
// Registry values under HKEY_CURRENT_USER\<regKey>

bool Engine::SetRegData(const char* name, const char* value) {
  if (!name || !value) return false;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, regKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                               static_cast<DWORD>(std::strlen(value)));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool Engine::GetRegData(const char* name, char* dst, int len) {
  if (!name || !dst || len <= 0) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, regKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
  BYTE buffer[1200] = {};
  DWORD size = sizeof buffer - 1;
  DWORD type = 0;
  LONG result = RegQueryValueExA(key, name, nullptr, &type, buffer, &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ || size > static_cast<DWORD>(len)) return false;
  // The stored text carries no terminating zero; the copy always gets one.
  size_t copy = size < static_cast<DWORD>(len) ? size : static_cast<size_t>(len) - 1;
  std::memcpy(dst, buffer, copy);
  dst[copy] = '\0';
  return true;
}

// ---------------------------------------------------------------------------
// Threads

Orn_Tread* Engine::GetNewTread() {
  // Bound to this engine, not to whichever engine the global names.
  Orn_Tread* thread = new Orn_Tread(engineInterface);
  int slot = threads.AddItemOrNULL(thread);
  thread->SetClassID(slot);
  return thread;
}

void Engine::KillTread(Orn_Tread* thread) {
  if (!thread) return;
  if (thread->GetIfTreadRunning()) {
    thread->CloseTread();
    return;
  }
  // Only handles the engine lent out are deleted; a handle a channel made
  // itself stays its own.
  for (int i = 0; i < threads.GetItemCount(); ++i) {
    if (threads.GetItem(i) == thread) {
      threads.SetItem(nullptr, i);
      delete thread;
      return;
    }
  }
}

Orn_Tread* Engine::GetTreadFromID(int id) { return static_cast<Orn_Tread*>(threads.GetItem(id)); }

bool Engine::AnyThreadBodyRunning() {
  for (int i = 0; i < threads.GetItemCount(); ++i) {
    Orn_Tread* thread = static_cast<Orn_Tread*>(threads.GetItem(i));
    if (thread && thread->GetIfBodyRunning()) return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Shutdown

void Engine::Release() {
  if (releasing) return;
  releasing = true;
  if (engineInterface) engineInterface->errorFunctor("Libraries loaded : ", libraries.GetItemCount());
  initialised = false;
  currentEvent = kEventsReleased;

  for (int i = 0; i < threads.GetItemCount(); ++i)
    if (Orn_Tread* thread = static_cast<Orn_Tread*>(threads.GetItem(i))) thread->ExitThread();

  for (int i = 0; i < groups.GetItemCount(); ++i) DeleteChannelGroup(i);
  groups.ReleaseItems();

  for (int i = 0; i < requests.GetItemCount(); ++i) delete static_cast<EngineChannelRequest*>(requests.GetItem(i));
  requests.ReleaseItems();

  delete channelList;
  channelList = nullptr;

  delete uniqueGroup;
  uniqueGroup = nullptr;

  for (int i = 0; i < threads.GetItemCount(); ++i)
    if (Orn_Tread* thread = static_cast<Orn_Tread*>(threads.GetItem(i))) thread->CloseTread();
  bool bodiesRunning = false;
  for (int i = 0; i < threads.GetItemCount(); ++i) {
    Orn_Tread* thread = static_cast<Orn_Tread*>(threads.GetItem(i));
    if (!thread) continue;
    if (thread->GetIfBodyRunning()) {
      // A body that did not answer keeps its handle and its code: freeing
      // either would pull memory out from under a running thread.
      bodiesRunning = true;
      continue;
    }
    delete thread;
  }
  threads.ReleaseItems();

  for (int i = 0; i < eventRegistrations.GetItemCount(); ++i)
    delete static_cast<EventRegistration*>(eventRegistrations.GetItem(i));
  eventRegistrations.ReleaseItems();

  exportCache.clear();
  if (!bodiesRunning) {
    for (int i = libraries.GetItemCount() - 1; i >= 0; --i)
      FreeLibrary(static_cast<HMODULE>(libraries.GetItem(i)));
  }
  libraries.ReleaseItems();
}
