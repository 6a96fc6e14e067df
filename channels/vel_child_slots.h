// Declaring the child slots and the type record of a drawing plug-in.
#pragma once

#include "channel_records.h"
#include "guid_util.h"
#include "orn_channel.h"

namespace vel {

// Declares child slot `slot` of `channel`: it takes one channel of type `type`
// (named `typeName` in the declaration, any base type), asks for link position
// `slot` and carries `label`. With `create` the engine makes a child together
// with the channel: of `created`, or of the accepted type when that is zero.
inline void DeclareSlot(Orn_Channel* channel, int slot, const GUID& type, const char* typeName, const char* label,
                        bool create = false, const GUID& created = kNullGuid) {
  ChildCreation declaration(type, slot, label, create);
  declaration.acceptedType.SetName(typeName);
  declaration.acceptedType.baseType = kWildcardGuid;
  declaration.createInstead = created;
  channel->SetChildCreateType(declaration, slot);
}

// Declares child slot `slot` of `channel` taking any number of channels of
// type `type` (named `typeName`, any base type), in link order.
inline void DeclareMultiSlot(Orn_Channel* channel, int slot, const GUID& type, const char* typeName,
                             const char* label) {
  ChildCreation declaration(type, -1, label);
  declaration.acceptedType.SetName(typeName);
  declaration.acceptedType.baseType = kWildcardGuid;
  channel->SetChildCreateType(declaration, slot);
}

// The type record a plug-in's GetType hands out.
inline ChannelType MakeTypeRecord(const char* name, const GUID& type, const GUID& baseType) {
  ChannelType record(type);
  record.SetName(name);
  record.baseType = baseType;
  return record;
}

}  // namespace vel
