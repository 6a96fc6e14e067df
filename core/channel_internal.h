// ChannelInternal: the operations on a channel's internals that the channel
// class, the group, the engine and plug-ins share: link positions, linking by
// type, link requests, public-call resolution, public names, parameters, call
// tracking, the unique flag and dependencies. It holds no data; the core
// exports one instance, channelInternal. Every operation does nothing (or
// answers 0, false, NULL) for a NULL channel.
#pragma once

#include "channel_records.h"

class Orn_Channel;
class Orn_ChannelGroup;

class ChannelInternal {
 public:
  virtual ~ChannelInternal();
  virtual int SetChildByType(Orn_Channel* parent, Orn_Channel* child, int linkPos);
  virtual void RemoveChildPosition(Orn_Channel* channel, int i);
  virtual void RemoveChild(Orn_Channel* parent, Orn_Channel* child);
  virtual void RecalculateNodeOffsets(Orn_Channel* channel);
  virtual void SortChilderen(Orn_Channel* channel);
  virtual int GetChildCreationCount(Orn_Channel* channel);
  virtual int GetChildLinkPosition(Orn_Channel* channel, int i);
  virtual void SetIfUniqueChannel(Orn_Channel* channel, bool unique);
  virtual bool GetIfUniqueChannel(Orn_Channel* channel);
  virtual bool CheckChannelRequest(Orn_Channel* requester, int targetIndex, int linkPos, Orn_Channel* target,
                                   int creationTypeNr);
  virtual void SetChannelIDIndexNr(Orn_Channel* channel, int index);
  virtual void CheckIndexNrRemoval(Orn_Channel* channel, int index);
  virtual void SetChannelGroup(Orn_Channel* channel, Orn_ChannelGroup* group);
  virtual bool GetIfExternalChild(Orn_Channel* channel, int i);
  virtual bool SetPublicCallInfo(Orn_Channel* channel, PublicCallInfo info);
  virtual PublicCallInfo GetPublicCallInfo(Orn_Channel* channel);
  virtual void SetAutoLoadGroup(Orn_Channel* channel, bool autoLoad);
  virtual bool GetAutoLoadGroup(Orn_Channel* channel);
  virtual void CheckPublicChannelInstanceRemoval(Orn_Channel* caller, Orn_Channel* channel, int instanceNr);
  virtual bool CheckPublicChannelRequest(Orn_Channel* caller, Orn_Channel* publicChannel, int instanceNr,
                                         const char* poolName);
  virtual void SetRequestedPublicChannelNr(Orn_Channel* channel, int nr);
  virtual void DoPublicChannelNameCheck(Orn_Channel* channel);
  virtual ParameterInfo* GetParameterInfo(Orn_Channel* channel);
  virtual void SetParameterInfo(Orn_Channel* channel, int index);
  virtual void SetParameterInfo(Orn_Channel* channel, ParameterInfo info);
  virtual int GetChannelGetChildTime(Orn_Channel* channel);
  virtual void UpdateCallingTime(Orn_Channel* channel);
  virtual bool GetIgnoreTreeCount(Orn_Channel* channel);
  virtual void SetIgnoreTreeCount(Orn_Channel* channel, bool ignore);
  virtual void GetChannelDepenency(Orn_Channel* channel, Orn_List* dependencies);
  virtual void ReleaseChilderen(Orn_Channel* channel);

  ChildInfo* GetChildInfo(Orn_Channel* channel, int i);
  ChildCreation* GetChildCreateType(Orn_Channel* channel, int slot);
  Orn_Channel* GetInternalChild(Orn_Channel* channel, int i);
  Orn_Channel* GetPublicChannelForPublicCall(Orn_Channel* caller);
};

extern ChannelInternal channelInternal;
