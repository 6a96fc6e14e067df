// SmartChannel: a weak handle to a channel that remembers where it lives
// (group index, the group's unique GUID, slot) and checks on every use that
// the channel is still there.
#pragma once

#include "win32/types.h"

class EngineInterface;
class Orn_Channel;

class SmartChannel {
 public:
  SmartChannel();
  explicit SmartChannel(EngineInterface* engine);
  virtual ~SmartChannel();
  SmartChannel(const SmartChannel&) = default;
  SmartChannel& operator=(const SmartChannel&) = default;

  virtual bool SetChannel(Orn_Channel* channel);
  virtual Orn_Channel* GetInternalChannel();
  virtual Orn_Channel* GetChannel();

  // True while no channel is stored (the handle cannot resolve).
  bool IsEmpty() const { return channel == nullptr; }

 protected:
  GUID groupGuid;
  int32_t groupIndex;
  int32_t channelIndex;
  Orn_Channel* channel;
  EngineInterface* engine;
};
