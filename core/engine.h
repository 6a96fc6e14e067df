// Engine: the core's central object. It holds the project's channel groups and
// the group of unique channels, the channel list, the loaded plug-in
// libraries, event registrations, pending public-call requests and the threads
// lent to channels; it starts up, ticks frames, dispatches events, reads and
// writes registry values and shuts down in order. Only the engine interfaces
// reach it.
#pragma once

#include "channel_type.h"
#include "orn_list.h"
#include "win32/types.h"

#include <unordered_map>

class EngineInterface;
class Orn_Channel;
class Orn_ChannelGroup;
class Orn_Tread;
class ChannelList;
struct PublicCallInfo;

struct EventRegistration {
  Orn_Channel* channel;
  int32_t event;
};

struct EngineChannelRequest {
  Orn_Channel* channel;
  int32_t value;
};

struct WindowMessageInfo {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class Engine {
 public:
  static constexpr int kMaxTreeCount = 30000;
  static constexpr int kEventsReleased = -3;

  Engine();
  virtual ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  virtual const char* GetInstallDir();
  virtual Orn_ChannelGroup* CreateNewGroup(const char* poolName, bool isArray, int poolNr);
  virtual void DeleteChannelGroup(int index);
  virtual int GetChannelGroupCount();
  virtual void ReleaseGroups();
  virtual void CheckPublicChannelRemoval(Orn_Channel* channel, int poolNr);
  virtual void CheckPublicCallChannelRemoval(Orn_Channel* channel);
  virtual void CheckInterfaceChange(const char* poolName);
  virtual Orn_Channel* GetPublicChannel(PublicCallInfo* info);
  virtual bool AddChannelRequest(int value, Orn_Channel* channel);
  virtual void CheckChannelRequest(Orn_ChannelGroup* group, int poolNr, Orn_Channel* channel);
  virtual HWND GetWindowHandle();
  virtual void SetWindowHandle(HWND window);
  virtual void SetEngineInterface(EngineInterface* engine);
  virtual bool SetRegData(const char* name, const char* value);
  virtual bool GetRegData(const char* name, char* dst, int len);
  virtual Orn_Tread* GetNewTread();
  virtual void KillTread(Orn_Tread* thread);
  virtual Orn_Tread* GetTreadFromID(int id);
  virtual int GetCurrentEvent();
  virtual void SendEvent(int event, void* param);
  virtual void AddChannelToEvent(Orn_Channel* channel, int event);
  virtual void RemoveChannelFromEvent(Orn_Channel* channel, int event);
  virtual void ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void SetStartGroup(int index);
  virtual int GetStartGroup();

  bool InitEngine(HINSTANCE instance, const char* className);
  void Release();
  void IncreaseTreeCount();
  void UpdateChannelTree();
  int GetTreeCalculateCount() const { return treeCount; }
  void SetTreeCalculateCount(int count) { treeCount = count; }
  Orn_ChannelGroup* GetChannelGroup(int index);
  Orn_ChannelGroup* GetChannelGroup(const char* fileName, int poolNr);
  Orn_ChannelGroup* GetPoolGroup(const char* poolName, int poolNr);
  int GetHighInstance(const char* poolName);
  Orn_ChannelGroup* LoadChannelGroup(const char* file, const char* poolName);
  int AddGroup(Orn_ChannelGroup* group);
  ChannelList* GetChannelList() { return channelList; }
  const char* GetEngineClassName() const { return className; }
  HINSTANCE GetEngineInstance() const { return instance; }
  int GetUniqueChannelCount();
  void SetInstallDir(const char* dir);
  void SetKelvaneRegKey(const char* key);
  bool GetIfInitialised() const { return initialised; }
  int GetLibraryCount() const { return libraries.GetItemCount(); }

  // Plug-in loading and channel creation.
  ChannelType GetDLLType(const char* file);
  ChannelType GetDLLType(HINSTANCE module);
  Orn_Channel* GetDLLInstance(const char* file);
  Orn_Channel* CreateDLLInstance(HINSTANCE module);
  Orn_Channel* CreateChannelFromInstance(HINSTANCE module, Orn_ChannelGroup* group, bool createChildren, bool unique);
  Orn_Channel* CreateChannelFromFile(const char* file, Orn_ChannelGroup* group, bool createChildren, bool unique);
  Orn_Channel* InitChannelFromType(GUID type, Orn_ChannelGroup* group, bool createChildren, bool unique);
  Orn_Channel* InitChannelFromType(ChannelType type, Orn_ChannelGroup* group, bool createChildren, bool unique);
  Orn_Channel* GetUniqueChannel(GUID type, const char* name);
  Orn_Channel* GetUniqueChannel(ChannelType type, const char* name);

  // A channel is being deleted: it must receive no further event and no public
  // call may wait for it.
  void ForgetChannel(Orn_Channel* channel);

 protected:
  // The two exports of a plug-in module, looked up once per loaded module.
  struct PluginExports {
    ChannelType* (*getType)() = nullptr;
    Orn_Channel* (*initDLL)() = nullptr;
  };
  const PluginExports& ExportsOf(HMODULE module);
  void ForgetExports(HMODULE module) { exportCache.erase(module); }

  void CompactEventRegistrations();
  bool AnyThreadBodyRunning();
  // Removes the temporary files of writes into the installation that were
  // interrupted (their process no longer runs), and says so in the log.
  void RemoveStaleTempFiles();

  Orn_ChannelGroup* uniqueGroup;
  Orn_List groups;  // Orn_ChannelGroup*
  int32_t treeCount;
  ChannelList* channelList;
  HWND windowHandle;
  Orn_List requests;  // EngineChannelRequest*
  char className[260];
  HINSTANCE instance;
  char installDir[300];
  char regKey[300];
  EngineInterface* engineInterface;
  bool initialised;
  Orn_List threads;    // Orn_Tread*
  Orn_List libraries;  // HMODULE in load order
  Orn_List eventRegistrations;  // EventRegistration*
  int32_t currentEvent;
  WindowMessageInfo windowMessage;
  int32_t startGroup;
  // Nesting depth of SendEvent; registrations removed meanwhile are only
  // emptied and are compacted when the outermost send ends.
  int32_t sendDepth;
  bool releasing;
  std::unordered_map<HMODULE, PluginExports> exportCache;
};
