#include "channel_records.h"

#include "channel_heap.h"

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

void* ChildInfo::operator new(std::size_t size) {
  if (void* block = channel_heap::Allocate(size)) return block;
  throw std::bad_alloc();
}

void ChildInfo::operator delete(void* block, std::size_t size) noexcept { channel_heap::Free(block, size); }
