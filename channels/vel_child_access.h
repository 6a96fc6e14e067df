// Checked access to a child through the interface of a derived class: a
// channel is taken as a T only when its type or its base type is T's type, so
// a channel of another type linked into a slot is never called through the
// wrong table of operations.
#pragma once

#include "orn_channel.h"

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

}  // namespace vel
