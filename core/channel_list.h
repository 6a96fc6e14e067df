// ChannelList: the engine's registry of installed channel types, each with its
// type record and plug-in file. Built at start-up from the cache file
// "channel.lst" and a scan of the channels directory, written back at shutdown.
#pragma once

#include "channel_type.h"
#include "orn_list.h"
#include "orn_string.h"
#include "win32/types.h"

class EngineInterface;
class Orn_Channel;

struct ChannelListItem {
  int32_t index = 0;
  ChannelType type;
  Orn_String fileName;
  bool onDisk = false;
  bool typeChecked = false;
  HMODULE module = nullptr;
};

class ChannelList {
 public:
  // Limits on what a cache file may describe; larger values mark it corrupt.
  static constexpr int kMaxCachedItems = 65536;

  explicit ChannelList(EngineInterface* engine);
  virtual ~ChannelList();
  ChannelList(const ChannelList&) = delete;
  ChannelList& operator=(const ChannelList&) = delete;

  virtual bool CreateChannelList();
  virtual bool SaveChannelList();
  virtual bool LoadChannelList();
  virtual void SortChannelList();
  virtual void Release();
  virtual void AddDirectory(char* dir, int depth);
  virtual bool AddItem(ChannelListItem* item);
  virtual ChannelListItem* AddItemFromFile(char* file);
  virtual ChannelListItem* GetItem(GUID type);
  virtual ChannelListItem* GetItem(int slot);
  virtual int GetItemCount();
  virtual bool GetOnDisk(GUID type);
  virtual ChannelType GetChannelType(GUID type);
  virtual unsigned long Char2Hex(char digit, int power);
  virtual void SetChannelDir(char* dir);
  virtual void CheckChannelUpdate(Orn_Channel* channel);
  virtual void SetVersionInfo(GUID type, int version[3]);

  const char* GetChannelDir() const { return channelDir; }

 protected:
  bool ReadCache(class Vel_FileLoaderChannel* loader, const char* installDir);

  Orn_List items;  // ChannelListItem*
  char channelDir[260];
  EngineInterface* engine;
};
