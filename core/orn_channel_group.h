// Orn_ChannelGroup: the channels of one group file in indexed slots (holes
// keep indices stable), the start channel, the pool name and instance, the
// parameter interface and parameter channel, the group's own tree count and
// its unique GUID. It writes and reads the group file.
#pragma once

#include "channel_records.h"
#include "orn_list.h"
#include "win32/types.h"

#include <unordered_map>
#include <vector>

class EngineInterface;
class Orn_Channel;
class Orn_String;
class OrnFileLoader;
class OrnFileSaver;
class SmartChannel;

class Orn_ChannelGroup {
 public:
  Orn_ChannelGroup();
  explicit Orn_ChannelGroup(EngineInterface* engine);
  virtual ~Orn_ChannelGroup();
  Orn_ChannelGroup(const Orn_ChannelGroup&) = delete;
  Orn_ChannelGroup& operator=(const Orn_ChannelGroup&) = delete;

  virtual void Release();
  virtual bool SaveChannelGroup(const char* path);
  virtual bool LoadChannelGroupFromFile(const char* path, bool takePoolName);
  virtual bool LoadChannelGroupFromBuffer(const char* name, int size, char* data, bool takePoolName);
  virtual bool LoadChannelGroup(OrnFileLoader& loader, bool takePoolName);
  virtual int GetGroupIndex();
  virtual void SetGroupIndex(int index);
  virtual void AddChannelRequest(ChannelRequestInfo request);
  virtual void CheckPublicChannels();
  virtual void CheckRequestListForIndex(int index);
  virtual int AddChannel(Orn_Channel* channel);
  virtual bool RemoveChannel(Orn_Channel* channel);
  virtual bool RemoveChannel(int index);
  virtual bool TransferChannel(int index, Orn_ChannelGroup* other);
  virtual int GetChannelCount();
  virtual Orn_Channel* GetChannel(const char* name);
  virtual Orn_Channel* GetChannel(int index);
  virtual void SetChannel(Orn_Channel* channel, int index);
  virtual const char* GetChannelGroupFileName();
  virtual bool GetIfChannelInGroup(Orn_Channel* channel);
  virtual Orn_Channel* GetPublicChannel(PublicCallInfo* info);
  virtual void CheckPublicChannelRemoval(Orn_Channel* channel, int poolNr);
  virtual void CallStartChannel();
  virtual void SetStartChannel(int index);
  virtual int GetStartChannel();
  virtual int GetPoolNr();
  virtual void SetPoolNr(int nr);
  virtual const char* GetPoolName();
  virtual void SetPoolName(const char* name);
  virtual Orn_Channel* GetParameterChannel(int i);
  virtual void SetParameterChannel(Orn_Channel* channel);
  virtual int GetParameterCount();
  virtual ParameterInterfaceInfo GetParameterInfo(int i);
  virtual void SetParameterInfo(ParameterInterfaceInfo info, int index);
  virtual int AddParameterInfo(ParameterInterfaceInfo info);
  virtual void RemoveParameterInfo(int index);
  virtual bool CheckDuplicatePublicChannelName(Orn_Channel* channel);
  virtual void CheckInterfaceChange(const char* poolName);
  virtual GUID GetUniqueGroupGuid();
  virtual void SetChannelGroupFileName(const char* name);
  virtual bool GetIfArrayGroup();
  virtual void SetIfArrayGroup(bool array);
  virtual HWND GetParentWindow();
  virtual void SetParentWindow(HWND window);

  int GetTreeCalculateCount();
  void IncreaseTreeCount();
  EngineInterface* GetEngine() const { return engine; }
  // Writes the group file's chunks through an open saver (a file or memory);
  // SaveChannelGroup is this bracketed by opening and closing the file.
  void WriteChannelGroup(OrnFileSaver& saver);

 protected:
  // The reading steps of LoadChannelGroup after the group was emptied.
  bool ReadChannelGroup(OrnFileLoader& loader, bool takePoolName);

  Orn_List channels;         // Orn_Channel*
  Orn_List channelRequests;  // ChannelRequestInfo*
  Orn_String* groupFileName;
  Orn_String* poolName;
  int32_t groupIndex;
  int32_t startChannel;
  int32_t poolNr;
  SmartChannel* parameterChannel;
  Orn_List parameterInfos;  // ParameterInterfaceInfo*
  int32_t treeCount;
  GUID uniqueGroupGuid;
  bool arrayGroup;
  bool destroying;
  EngineInterface* engine;
  HWND parentWindow;
  // Lookup aids that keep loading and filling large groups linear: the list
  // slots of the waiting requests by target slot, and the lowest channel slot
  // that may be a hole.
  std::unordered_map<int32_t, std::vector<int32_t>> requestsByTarget;
  int32_t firstHoleHint = 0;
  // Set while Release deletes every channel: links between them were cleared
  // in one pass first, so no deletion needs to relink the others.
  bool releasingAll = false;
};
