// The plain records a channel shares with the engine: child-slot declarations,
// child-list entries, public-call and parameter records, link requests and
// dependencies.
#pragma once

#include "channel_type.h"
#include "orn_list.h"
#include "win32/types.h"

#include <cstddef>
#include <cstdint>

class Orn_Channel;

// Interface types of a channel.
enum {
  VEL_NORMAL = 0,
  VEL_PUBLIC = 1,
  VEL_PUBLICCALL = 2,
  VEL_PARAMETER = 3,
  VEL_CUSTOMCHANNELGET = 4,
  VEL_PUBLICCUSTOMCHANNELGET = 5,
};

// One entry of a channel's child list.
struct ChildInfo {
  Orn_Channel* channel = nullptr;
  int32_t creationTypeNr = -1;
  bool isCreationHead = false;
  bool multiLink = false;
  int32_t linkPos = 0;
  int32_t listPos = 0;
  int32_t userData = 0;

  // Beside the channels, in the channel heap.
  static void* operator new(std::size_t size);
  static void operator delete(void* block, std::size_t size) noexcept;
};

// The declaration of one child slot, passed by value to SetChildCreateType.
struct ChildCreation {
  ChannelType acceptedType;
  int32_t requestLink;
  char reservedFlag;
  bool createChild;
  char childName[102];
  GUID createInstead;
  ChildInfo* childInfo;

  // Wildcard accepted type, multi-link, no flags, empty label, nothing instead.
  ChildCreation();
  ChildCreation(const GUID& accepted, int32_t requestLink, const char* label, bool createChild = false);
  void SetLabel(const char* label);
};

static_assert(offsetof(ChildCreation, acceptedType) == 0);
static_assert(offsetof(ChildCreation, requestLink) == 128);
static_assert(offsetof(ChildCreation, reservedFlag) == 132);
static_assert(offsetof(ChildCreation, createChild) == 133);
static_assert(offsetof(ChildCreation, childName) == 134);
static_assert(offsetof(ChildCreation, createInstead) == 236);
static_assert(offsetof(ChildCreation, childInfo) >= 252, "childInfo follows createInstead");

// The record of a public-call channel; written as chunk CHES.
struct PublicCallInfo {
  char channelName[80];
  char poolName[80];
  char fileName[260];
  int32_t requestedNr;
  uint8_t autoLoad;
  uint8_t padding[3];

  // "No Name", "No Pool", "No File", 0, off.
  PublicCallInfo();
};
static_assert(sizeof(PublicCallInfo) == 428, "PublicCallInfo is the 428-byte CHES record");
static_assert(offsetof(PublicCallInfo, poolName) == 80);
static_assert(offsetof(PublicCallInfo, fileName) == 160);
static_assert(offsetof(PublicCallInfo, requestedNr) == 420);
static_assert(offsetof(PublicCallInfo, autoLoad) == 424);

// The highest pool instance number a public call may ask for. Instance numbers
// index per-channel lists, so a number from a damaged file would otherwise
// make them grow without bound; no project loads this many instances of one
// group.
constexpr int32_t kMaxPoolInstanceNr = 4095;

struct ParameterInfo {
  int32_t parameterIndex = 0;
};

// One parameter slot of a group's interface; written raw in chunk CGII.
struct ParameterInterfaceInfo {
  char name[40];
  GUID type;
};
static_assert(sizeof(ParameterInterfaceInfo) == 56, "ParameterInterfaceInfo is a 56-byte record");
static_assert(offsetof(ParameterInterfaceInfo, type) == 40);

// A link waiting for a group slot that is not loaded yet.
struct ChannelRequestInfo {
  int32_t targetIndex;
  int32_t linkPos;
  Orn_Channel* requester;
  int32_t creationTypeNr;
};

// A link read from a group file whose target was not loaded yet.
struct LinkRequestMark {
  int32_t targetIndex;
  int32_t linkPos;
};

// A channel type and the plug-in files it needs.
class ChannelDependency {
 public:
  ChannelDependency();
  virtual ~ChannelDependency();
  ChannelDependency(const ChannelDependency&) = delete;
  ChannelDependency& operator=(const ChannelDependency&) = delete;

  GUID type;
  Orn_List dllNames;  // of Orn_String*, owned
};
