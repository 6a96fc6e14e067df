// Checked access to a child through the interface of a derived class: a
// channel is taken as a T only when its type or its base type is T's type, so
// a channel of another type linked into a slot is never called through the
// wrong table of operations.
#pragma once

#include "orn_channel.h"

#include <cstddef>
#include <cstdint>

namespace vel {

inline bool IsOfType(Orn_Channel* channel, const GUID& type) {
  if (!channel) return false;
  ChannelType t = channel->GetChannelType();
  return t.baseType == type || t.type == type;
}

template <class T>
T* As(Orn_Channel* channel, const GUID& type) {
  return IsOfType(channel, type) ? static_cast<T*>(channel) : nullptr;
}

// Child entry i of `parent` as a T, or null.
template <class T>
T* ChildAs(Orn_Channel* parent, int i, const GUID& type) {
  return parent ? As<T>(parent->GetChild(i), type) : nullptr;
}

// Starts loading what a channel reads when it is drawn: the leading bytes
// of the base (table, type, links) and the derived class's own members
// (`size` is the derived class's size). Harmless on any address.
inline void PrefetchChannel(const void* channel, size_t size) {
  if (!channel) return;
  const char* p = static_cast<const char*>(channel);
  for (size_t at = 0; at < 192; at += 64) __builtin_prefetch(p + at);
  for (size_t at = sizeof(Orn_Channel) & ~size_t{63}; at < size; at += 64) __builtin_prefetch(p + at);
}

template <class T>
void Prefetch(const T* channel) {
  PrefetchChannel(channel, sizeof(T));
}

// When a channel's typed pointers to its children were taken: they stay
// good while no link anywhere changed, the links resolved directly when they
// were taken and no calls are being tracked.
class LinkStamp {
 public:
  bool Fresh(const Orn_Channel* owner) const {
    return taken_ == Orn_Channel::LinkChangeCount() && !owner->TrackingCalls();
  }
  void Take(Orn_Channel* owner) { taken_ = owner->LinksResolveDirectly() ? Orn_Channel::LinkChangeCount() : 0; }

 private:
  uint64_t taken_ = 0;  // the count starts at 1
};

}  // namespace vel
