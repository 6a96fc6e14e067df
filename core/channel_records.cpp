#include "channel_records.h"

#include "guid_util.h"
#include "orn_string.h"

#include <cstring>

ChildCreation::ChildCreation()
    : requestLink(-1), reservedFlag(0), createChild(false), childName{}, createInstead{}, childInfo(nullptr) {
  acceptedType.type = kWildcardGuid;
  acceptedType.baseType = kWildcardGuid;
}

ChildCreation::ChildCreation(const GUID& accepted, int32_t link, const char* label, bool create)
    : ChildCreation() {
  acceptedType.type = accepted;
  acceptedType.baseType = accepted;
  requestLink = link;
  createChild = create;
  SetLabel(label);
}

void ChildCreation::SetLabel(const char* label) {
  std::memset(childName, 0, sizeof childName);
  if (label) std::strncpy(childName, label, sizeof childName - 1);
}

PublicCallInfo::PublicCallInfo() : channelName{}, poolName{}, fileName{}, requestedNr(0), autoLoad(0), padding{} {
  std::strcpy(channelName, "No Name");
  std::strcpy(poolName, "No Pool");
  std::strcpy(fileName, "No File");
}

ChannelDependency::ChannelDependency() : type{} {}

ChannelDependency::~ChannelDependency() {
  for (int i = 0; i < dllNames.GetItemCount(); ++i) delete static_cast<Orn_String*>(dllNames.GetItem(i));
}
