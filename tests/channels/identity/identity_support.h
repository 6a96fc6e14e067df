// Reading a plug-in's identity as the engine sees it: the type record its
// library's GetType hands out and the child slots a new channel declares.
#pragma once

#include "channel_harness.h"
#include "channel_internal.h"
#include "guid_util.h"

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <string>

namespace vel_test {

// Type GUIDs, in their text form, of the channel types the slot tables name.
inline constexpr const char* kAnyType = "11111111-1111-1111-1111-111111111111";
inline constexpr const char* kMatrix = "1E9B4C73-D58A-4206-B7F1-6A3C02E8D95B";
inline constexpr const char* kFloat = "7D4F1A06-C9E3-4B85-A2D7-F05B8C631E4A";
inline constexpr const char* kVector = "C2A95E18-0B7D-4F36-8D41-95E3A7C06F2B";
inline constexpr const char* kSurface = "5C07A9E8-B2D4-4F61-A3E5-8D1F46C02B97";
inline constexpr const char* kMaterial = "62E1D9A4-5B08-4C7F-9E23-A4F7B10C58D6";
inline constexpr const char* kShaderInfo = "1B7F4E2D-C930-4A65-B8D1-5E09A3F6C274";
inline constexpr const char* kGroupBuffer = "58C2A19F-0D76-4E3B-A4F8-C91E07B36D52";
inline constexpr const char* kProjection = "7F0C4D21-E83A-4B97-A6D5-2C91F8E04B63";
inline constexpr const char* kSkinnedA = "8C3D5F10-A2E7-4B96-8F41-D6B27E09C3A5";
inline constexpr const char* kSkinnedB = "E4A06C3B-7D19-4F82-A5E6-93C1B07D2F48";
// The text channel a text output draws: a type of this engine's own whose
// GUID stored projects name.
inline constexpr const char* kText = "E4B71C39-2A5D-4F86-9C03-7D1A5E62B8F0";

// The drawing plug-ins.
inline constexpr const char* kDevice = "A17B3E96-F20C-4D85-B3C9-6E41D2A0F857";
inline constexpr const char* kCamera = "8D25C9A0-F1E7-4B63-A948-3E0D6B72C5F1";
inline constexpr const char* kLight = "D04E7F19-8B62-4C3A-A5D0-92F6E13B7C84";
inline constexpr const char* kObjectData = "94E0B5C3-1A7F-4C28-8D56-E2B41F09A7C4";
inline constexpr const char* kObject = "E93A5D17-06C4-4F2B-8C71-B5D48A29E063";
inline constexpr const char* kMotion = "41C8A2F7-E5B9-4D06-9F3E-07A6C5D1B948";
inline constexpr const char* kMousePick = "0F7E4B92-A36D-4C51-97E8-D1C25F0B8A46";
inline constexpr const char* kTexture = "5E1A7C20-3B4D-4E61-9A2F-70C3D18B4E05";
inline constexpr const char* kPrimitive = "2C84F0A6-9D13-47E5-A061-B3E7C25D8F19";
inline constexpr const char* kParticle = "3F6D2A87-C45E-4B90-91A3-5C08E7D6B2F1";
inline constexpr const char* kUserInput = "C7F1063B-2D84-4E9A-B5C2-A83E90F47D16";
inline constexpr const char* kTextOut = "6B92D0E4-7C31-4A5F-8E17-D4A3B96C0F28";
inline constexpr const char* kShaderSurface = "7A3C9E41-62B0-4D17-B8E4-1F95A0C6D372";

inline GUID Guid(const char* text) { return GuidLiteral(text); }

class IdentityTest : public ChannelHarness {
 protected:
  void TearDown() override {
    ChannelHarness::TearDown();
    for (void* library : libraries) dlclose(library);
    libraries.clear();
  }

  // The record the GetType export of the library `file` (in the
  // installation's channels directory) hands out; null when the library or
  // its export is missing.
  const ChannelType* TypeRecordOf(const std::string& file) {
    const std::string path = (install / "channels" / file).string();
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
      ADD_FAILURE() << dlerror();
      return nullptr;
    }
    libraries.push_back(library);
    auto getType = reinterpret_cast<ChannelType* (*)()>(dlsym(library, "GetType"));
    if (!getType) {
      ADD_FAILURE() << file << " has no GetType";
      return nullptr;
    }
    return getType();
  }
  // The library of a type is named by its GUID.
  const ChannelType* TypeRecordOfType(const char* type) { return TypeRecordOf(std::string(type) + ".so"); }

  static int SlotCount(Orn_Channel* channel) { return channelInternal.GetChildCreationCount(channel); }
  static const ChildCreation* SlotOf(Orn_Channel* channel, int slot) {
    return channelInternal.GetChildCreateType(channel, slot);
  }

  std::vector<void*> libraries;
};

}  // namespace vel_test
