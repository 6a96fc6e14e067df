// Orn_Channel: the base class of every channel, one node of a project's graph.
// It owns a numbered set of child slots declared by the plug-in's constructor,
// holds references to the channels linked into them, resolves a slot to the
// channel that really answers, saves and loads its channel record and gates
// per-frame work with CheckRenderCount.
#pragma once

#include "channel_records.h"
#include "channel_type.h"
#include "dll_interface.h"
#include "engine_interface.h"
#include "orn_list.h"

class OrnFileSaver;
class OrnFileLoader;
class Orn_ChannelGroup;
class ChannelInternal;
struct Orn_ChannelCold;

class Orn_Channel : public DllInterface {
 public:
  Orn_Channel();
  ~Orn_Channel() override;
  Orn_Channel(const Orn_Channel&) = delete;
  Orn_Channel& operator=(const Orn_Channel&) = delete;

  // Virtual operations in their fixed order; plug-ins append theirs after these.
  virtual void CallChannel();
  virtual void OneTimeInitialize();
  virtual void DoEvent(int event, unsigned long param);
  virtual ChannelType GetChannelType();
  virtual bool SaveChannel(OrnFileSaver& saver);
  virtual bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group);
  virtual void SetChannelInterfaceType(int type);
  virtual Orn_Channel* GetChannelFromChannel(Orn_Channel* caller, ChildInfo* link);
  virtual unsigned long GetTimeStamp();
  virtual void SetTimeStamp();
  virtual void DoDependencyInit(Orn_List* dependencies);

  // The channel that answers for child entry i: a plain or public child at
  // once, every other case through the full resolution. NULL past the
  // evaluation depth limit (reported once for this channel). The caller's
  // stack frame stands for its place in the evaluation.
  Orn_Channel* GetChild(int i) {
    const uintptr_t frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    ChildInfo* info = static_cast<ChildInfo*>(childInfos.GetItem(i));
    Orn_Channel* linked = info ? info->channel : nullptr;
    if (!TrackingCalls()) {
      if (!linked) return nullptr;
      if ((linked->interfaceType == VEL_NORMAL || linked->interfaceType == VEL_PUBLIC) && EnterPlainChild(frame))
        return linked;
    }
    return ResolveChild(i, frame);
  }
  // A number that changes whenever any link of any channel changes (a child
  // set or removed, a slot declared, an interface type changed, a channel
  // loaded or destroyed). A derived channel may keep typed pointers to its
  // children while it stays the same and LinksResolveDirectly() held when
  // they were taken.
  static uint64_t LinkChangeCount() { return linkChangeCount; }
  static void NoteLinkChange() { ++linkChangeCount; }
  // True when every child entry answers with the channel linked there (no
  // public call, parameter or custom resolution) and no calls are tracked,
  // so that GetChild(i) stays what it is now until a link changes.
  bool LinksResolveDirectly();
  // Whether the engine records which channels are called (GetChild then
  // notes each call).
  bool TrackingCalls() const { return engine && engine->ext && engine->ext->GetIfTrackChannelCalling(); }
  Orn_Channel* GetChildFromLinkPosition(int slot, int pos);
  int GetChildLinkPositionCount(int slot);
  Orn_Channel* GetChildFromLinkGuid(GUID type, int n);
  int GetChildTypeCount(GUID type);
  int GetChildCount() { return childInfos.GetItemCount(); }
  int SetChild(Orn_Channel* child, int targetChannel, int targetChildTypeNr);
  void RemoveChild(int i);
  void RemoveChildren();
  void SetChildCreationCount(int n);
  void SetChildCreateType(ChildCreation creation, int slot);
  int GetChannelIDIndexNr() const { return channelIndexNr; }
  Orn_ChannelGroup* GetChannelGroup() const { return channelGroup; }
  const char* GetChannelName() const { return channelName; }
  int GetChannelInterfaceType() const { return interfaceType; }
  void SetChannelName(const char* name);
  void AddChannelGuidDepend(GUID type, Orn_List* dependencies);
  void AddDLLDepend(const char* file, Orn_List* dependencies);

 protected:
  bool CheckRenderCount();
  // The tree count CheckRenderCount compares with: the group's, else the
  // engine's.
  int CurrentTreeCount();
  // GetChild's full resolution, with call tracking; `frame` is GetChild's
  // stack frame.
  Orn_Channel* ResolveChild(int i, uintptr_t frame);
  // Counts a plain child's resolution made from `frame`; false past the limit.
  static bool EnterPlainChild(uintptr_t frame);
  // Reports, once for this channel, a child left out for being too deep.
  void ReportTooDeep(bool reentered);

  // What a frame reads of a channel comes first, so that it shares the
  // object's first two cache lines with the derived class's own fields:
  // the interface type and child entries (GetChild), the tree count and
  // group (CheckRenderCount). Everything else lives in `cold`.
  int32_t interfaceType;
  int32_t lastTreeCount;
  Orn_List childInfos;  // ChildInfo*
  Orn_ChannelGroup* channelGroup;
  Orn_ChannelCold* cold;
  char* channelName;
  int32_t channelIndexNr;
  bool ignoreTreeCount;
  bool collectingLinks;
  bool uniqueChannel;
  bool typeCached;
  bool depthReported;

  static uint64_t linkChangeCount;

  friend class ChannelInternal;
};
