// The two facades through which channels and the engine control reach the
// engine: EngineInterface (held by every channel) and EngineInterfaceExt
// (engine-level services used by the engine control and the core itself).
// The order of the virtual operations of both is fixed: plug-ins built
// separately call them by position.
#pragma once

#include "channel_type.h"
#include "messages.h"
#include "win32/types.h"

class Engine;
class EngineInterfaceExt;
class Orn_Channel;
class Orn_ChannelGroup;
class ChannelList;
class DllInterface;
class Orn_Tread;
class ProjectFileLoader;
class OrnFileLoader;
class Vel_FileLoaderChannel;
struct PublicCallInfo;

// The version of this core; project files name the lowest core they need.
constexpr int kEngineInterfaceID = 100005;

class EngineInterface {
 public:
  EngineInterface();
  virtual ~EngineInterface();
  EngineInterface(const EngineInterface&) = delete;
  EngineInterface& operator=(const EngineInterface&) = delete;

  virtual const char* GetInstallDir();
  virtual const char* GetEngineClassName();
  virtual HINSTANCE GetEngineInstance();
  virtual HWND GetWindowHandle();
  virtual int GetTreeCalculateCount();
  virtual void SetTreeCalculateCount(int count);
  virtual Orn_ChannelGroup* CreateNewGroup(const char* poolName, bool isArray, int poolNr);
  virtual Orn_ChannelGroup* GetChannelGroup(const char* fileName, int poolNr);
  virtual Orn_ChannelGroup* GetChannelGroup(int index);
  virtual Orn_ChannelGroup* GetPoolGroup(const char* poolName, int poolNr);
  virtual Orn_ChannelGroup* LoadChannelGroup(const char* file, const char* poolName);
  virtual int GetHighInstance(const char* poolName);
  virtual void DeleteChannelGroup(int index);
  virtual int GetChannelGroupCount();
  virtual Orn_Channel* InitChannelFromType(GUID type, Orn_ChannelGroup* group, bool createChildren);
  virtual Orn_Channel* InitChannelFromType(ChannelType type, Orn_ChannelGroup* group, bool createChildren);
  virtual Orn_Channel* GetUniqueChannel(GUID type, const char* name);
  virtual Orn_Channel* GetUniqueChannel(ChannelType type, const char* name);
  virtual void AddChannelToEvent(Orn_Channel* channel, int event);
  virtual void RemoveChannelFromEvent(Orn_Channel* channel, int event);

  ShowDebugMessage debugFunctor;
  ShowErrorMessage errorFunctor;
  ShowInfoMessage infoFunctor;
  ShowMessageBox boxFunctor;
  EngineInterface* self;
  EngineInterfaceExt* ext;
  Engine* engineObject;
  ShowDebug debugText;

 protected:
  // A facade without an engine object, for hosts that supply the services
  // themselves (tests, tools). Every forwarding operation answers its default.
  struct WithoutEngine {};
  explicit EngineInterface(WithoutEngine);
};

class EngineInterfaceExt {
 public:
  static constexpr int kDebugSlots = 10;
  static constexpr int kDebugTextSize = 300;

  EngineInterfaceExt();
  virtual ~EngineInterfaceExt();
  EngineInterfaceExt(const EngineInterfaceExt&) = delete;
  EngineInterfaceExt& operator=(const EngineInterfaceExt&) = delete;

  virtual void SetInstallDir(const char* dir);
  virtual void ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual int GetInterfaceID();
  virtual bool InitEngine(HINSTANCE instance, const char* className);
  virtual void UpdateChannelTree();
  virtual void ReleaseGroups();
  virtual void CheckPublicChannelRemoval(Orn_Channel* channel, int poolNr);
  virtual void CheckPublicCallChannelRemoval(Orn_Channel* channel);
  virtual void CheckInterfaceChange(const char* poolName);
  virtual void IncreaseTreeCount();
  virtual Orn_Channel* GetPublicChannel(PublicCallInfo* info);
  virtual bool AddChannelRequest(int value, Orn_Channel* channel);
  virtual void CheckChannelRequest(Orn_ChannelGroup* group, int poolNr, Orn_Channel* channel);
  virtual DllInterface* GetDLLInstance(const char* file);
  virtual Orn_Channel* CreateChannelFromDLL(const char* file, Orn_ChannelGroup* group, bool createChildren);
  virtual void SetWindowHandle(HWND window);
  virtual ChannelList* GetChannelList();
  virtual void DebugOut(const char* text, int slot);
  virtual const char* GetDebug(int slot);
  virtual void KillTread(Orn_Tread* thread);
  virtual void SetIfTrackChannelCalling(bool track);
  virtual void SetGraphRunning(bool running);
  virtual bool GetGraphRunning();
  virtual int InitializeKLVFile(const char* path);
  virtual Orn_ChannelGroup* GetKLVStartGroup();
  virtual void SetStartGroup(int index);
  virtual int GetStartGroup();
  virtual void Release();
  virtual int GetUniqueChannelCount();
  virtual void SetKelvaneRegKey(const char* key);
  virtual void TranslateFile(Vel_FileLoaderChannel* loaderChannel);
  virtual void TranslateFile(OrnFileLoader* loader);
  virtual bool SetRegData(const char* name, const char* value);
  virtual bool GetRegData(const char* name, char* dst, int len);
  virtual Orn_Tread* GetNewTread();
  virtual Orn_Tread* GetTreadFromID(int id);
  virtual int GetCurrentEvent();

  void SetEngineInterface(EngineInterface* engine);
  bool GetIfTrackChannelCalling() const { return trackChannelCalling; }
  ChannelType GetDLLType(const char* file);
  ChannelType GetDLLType(HINSTANCE module);
  ProjectFileLoader* GetProjectLoader() const { return projectLoader; }
  // Called by a channel's destructor: the engine drops its event
  // registrations and pending requests.
  void ChannelDestroyed(Orn_Channel* channel);

 protected:
  Engine* EngineObject() const;

  bool trackChannelCalling;
  bool graphRunning;
  ProjectFileLoader* projectLoader;
  EngineInterface* engineInterface;
  char debugText[kDebugSlots][kDebugTextSize];
};
