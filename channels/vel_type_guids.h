// The type GUIDs of the channel types the drawing plug-ins refer to: their
// own, and those of the standard channel types they link, create or test for.
// A GUID's text form is also the file name of the library of a root type.
#pragma once

#include "guid_util.h"

namespace vel {
// Standard channel types.
inline const GUID kDeviceUseType = GuidLiteral("B5D8E12C-4F79-4A03-86BD-2C97E0A5F134");
inline const GUID kSurfaceType = GuidLiteral("5C07A9E8-B2D4-4F61-A3E5-8D1F46C02B97");
inline const GUID kSceneType = GuidLiteral("DFE3DAB7-1F21-4F2A-BD76-A467B1115308");
inline const GUID kMatrixType = GuidLiteral("1E9B4C73-D58A-4206-B7F1-6A3C02E8D95B");
inline const GUID kFloatType = GuidLiteral("7D4F1A06-C9E3-4B85-A2D7-F05B8C631E4A");
inline const GUID kVectorType = GuidLiteral("C2A95E18-0B7D-4F36-8D41-95E3A7C06F2B");
inline const GUID kTextureManagerType = GuidLiteral("3B7E5D21-94C6-4F0A-8D13-6A2F9C04E7B8");
inline const GUID kTimeSourceType = GuidLiteral("92F7C0B4-3E18-4D6A-85C2-B04D1F69A2E3");
inline const GUID kLightManagerType = GuidLiteral("3B7E2F90-5A16-4C8D-9E24-B0716DA3C85E");
inline const GUID kInputType = GuidLiteral("3A9E61D4-7B28-4F03-B5C6-E18D27A4F390");
inline const GUID kProjectionType = GuidLiteral("7F0C4D21-E83A-4B97-A6D5-2C91F8E04B63");
inline const GUID kMaterialType = GuidLiteral("62E1D9A4-5B08-4C7F-9E23-A4F7B10C58D6");
inline const GUID kShaderInfoType = GuidLiteral("1B7F4E2D-C930-4A65-B8D1-5E09A3F6C274");
inline const GUID kGroupBufferType = GuidLiteral("58C2A19F-0D76-4E3B-A4F8-C91E07B36D52");
// The text channel (TextChannel, "Text"): the string a text output draws. Its
// GUID was chosen here, once, for this engine; saved projects name it, so it
// never changes. Its string getter is TextChannel::GetString.
inline const GUID kTextType = GuidLiteral("E4B71C39-2A5D-4F86-9C03-7D1A5E62B8F0");
inline const GUID kSkinnedObjectDataTypeA = GuidLiteral("8C3D5F10-A2E7-4B96-8F41-D6B27E09C3A5");
inline const GUID kSkinnedObjectDataTypeB = GuidLiteral("E4A06C3B-7D19-4F82-A5E6-93C1B07D2F48");
inline const GUID kCubeTextureType = GuidLiteral("4D8B2E61-7A05-4C39-9F1E-B6C03A58D712");

// The drawing plug-ins.
inline const GUID kDeviceType = GuidLiteral("A17B3E96-F20C-4D85-B3C9-6E41D2A0F857");
inline const GUID kCameraType = GuidLiteral("8D25C9A0-F1E7-4B63-A948-3E0D6B72C5F1");
inline const GUID kLightType = GuidLiteral("D04E7F19-8B62-4C3A-A5D0-92F6E13B7C84");
inline const GUID kObjectDataType = GuidLiteral("94E0B5C3-1A7F-4C28-8D56-E2B41F09A7C4");
inline const GUID kObjectType = GuidLiteral("E93A5D17-06C4-4F2B-8C71-B5D48A29E063");
inline const GUID kPrimitiveType = GuidLiteral("2C84F0A6-9D13-47E5-A061-B3E7C25D8F19");
inline const GUID kParticleType = GuidLiteral("3F6D2A87-C45E-4B90-91A3-5C08E7D6B2F1");
inline const GUID kTextureType = GuidLiteral("5E1A7C20-3B4D-4E61-9A2F-70C3D18B4E05");
inline const GUID kTextOutType = GuidLiteral("6B92D0E4-7C31-4A5F-8E17-D4A3B96C0F28");
inline const GUID kMotionType = GuidLiteral("41C8A2F7-E5B9-4D06-9F3E-07A6C5D1B948");
inline const GUID kUserInputType = GuidLiteral("C7F1063B-2D84-4E9A-B5C2-A83E90F47D16");
inline const GUID kMousePickType = GuidLiteral("0F7E4B92-A36D-4C51-97E8-D1C25F0B8A46");
inline const GUID kShaderSurfaceType = GuidLiteral("7A3C9E41-62B0-4D17-B8E4-1F95A0C6D372");
}  // namespace vel
