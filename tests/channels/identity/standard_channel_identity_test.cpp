// The standard channel types the drawing plug-ins link, create and test for:
// each library's type record where the drawing channels rely on it, and the
// links the drawing channels make or expect, made the way they are made.
#include "identity_support.h"

namespace vel_test {
namespace {

constexpr const char* kDeviceUse = "B5D8E12C-4F79-4A03-86BD-2C97E0A5F134";
constexpr const char* kTextureManager = "3B7E5D21-94C6-4F0A-8D13-6A2F9C04E7B8";
constexpr const char* kTimeSource = "92F7C0B4-3E18-4D6A-85C2-B04D1F69A2E3";
constexpr const char* kLightManager = "3B7E2F90-5A16-4C8D-9E24-B0716DA3C85E";
constexpr const char* kInput = "3A9E61D4-7B28-4F03-B5C6-E18D27A4F390";
constexpr const char* kFileLoader = "C2A94E17-5B83-4D60-A7F1-0E9D36B8C254";
constexpr const char* kFileSaver = "6F02C8B1-E4D7-4A39-B5E0-27C9136DA4F5";
constexpr const char* kFileDialog = "6A1F3C58-92D7-4B0E-8C35-F24A71D09B63";

struct StandardRow {
  const char* type;
  const char* name;  // null where no display name is fixed
  const char* base;  // null where the base type is not relied on
};

// A value read from a child is trusted only when the child's base type is
// the value type (float, vector, matrix); surfaces and materials are found by
// their base type too.
// clang-format off
const StandardRow kStandardTypes[] = {
  // type            display name     base type
  {kDeviceUse,      nullptr,         nullptr},
  {kSurface,        nullptr,         kSurface},
  {kFloat,          nullptr,         kFloat},
  {kVector,         "Value Vector",  kVector},
  {kMatrix,         "Matrix",        kMatrix},
  {kMaterial,       nullptr,         kMaterial},
  {kShaderInfo,     nullptr,         nullptr},
  {kGroupBuffer,    nullptr,         nullptr},
  {kProjection,     nullptr,         nullptr},
  {kTextureManager, nullptr,         nullptr},
  {kTimeSource,     nullptr,         nullptr},
  {kLightManager,   nullptr,         nullptr},
  {kInput,          nullptr,         nullptr},
  {kSkinnedA,       nullptr,         nullptr},
  {kSkinnedB,       nullptr,         nullptr},
  {kText,           nullptr,         nullptr},
  {kFileLoader,     nullptr,         nullptr},
  {kFileSaver,      nullptr,         nullptr},
  {kFileDialog,     nullptr,         nullptr},
};
// clang-format on

// A child of type `child` linked into `slot` of a channel of type `parent`
// (any accepting slot for -1), as the drawing channels expect to find it.
struct LinkRow {
  const char* parent;
  int slot;
  const char* child;
};

// clang-format off
const LinkRow kLinks[] = {
  // parent          slot  child
  {kSurface,          0,  kObjectData},     // a surface's child 0 is its mesh
  {kSurface,          0,  kPrimitive},
  {kSurface,          0,  kParticle},
  {kObject,           2,  kSurface},
  {kObject,           2,  kShaderSurface},
  {kObject,           0,  kMotion},
  {kShaderSurface,    0,  kSkinnedA},       // skinned meshes stand where a mesh stands
  {kShaderSurface,    0,  kSkinnedB},
  {kShaderSurface,    1,  kMaterial},
  {kShaderSurface,    2,  kTexture},
  {kSkinnedA,         0,  kObjectData},     // and carry the plain mesh as their child 0
  {kSkinnedB,         0,  kObjectData},
  {kCamera,           0,  kMotion},
  {kCamera,           1,  kUserInput},      // float-derived channels stand for floats
  {kCamera,           9,  kMousePick},
  {kCamera,          10,  kProjection},     // the projection source stands where a matrix stands
  {kLight,            1,  kVector},
  {kMousePick,        0,  kObject},
  {kTexture,          0,  kTexture},
  {kTexture,          2,  kGroupBuffer},
  {kTextOut,          0,  kVector},
  {kTextOut,          1,  kText},
  {kDevice,           0,  kTexture},
  {kParticle,         0,  kPrimitive},
  {kTextureManager,  -1,  kTexture},        // registration: SetChild(texture, -1, -1)
  {kShaderInfo,      -1,  kFloat},          // shader inputs, found by type
  {kShaderInfo,      -1,  kVector},
  {kShaderInfo,      -1,  kTexture},
  {kShaderInfo,      -1,  kParticle},
};
// clang-format on

class StandardChannelIdentityTest : public IdentityTest {};

TEST_F(StandardChannelIdentityTest, EveryLibraryReportsTheTypeTheDrawingChannelsRelyOn) {
  for (const StandardRow& row : kStandardTypes) {
    SCOPED_TRACE(row.type);
    const ChannelType* record = TypeRecordOfType(row.type);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(GuidToString(record->type), row.type);
    if (row.name) { EXPECT_STREQ(record->name, row.name); }
    if (row.base) { EXPECT_EQ(GuidToString(record->baseType), row.base); }
    EXPECT_EQ(record->version[0], 1);
    EXPECT_EQ(record->version[1], 25);
    EXPECT_EQ(record->version[2], 1);
    EXPECT_EQ(record->flag, 0);
  }
  // The directory lister is found by its file name.
  const ChannelType* directory = TypeRecordOf("Directory.so");
  ASSERT_NE(directory, nullptr);
  EXPECT_EQ(directory->version[1], 25);
}

TEST_F(StandardChannelIdentityTest, ChildrenLinkWhereTheDrawingChannelsLookForThem) {
  Device();
  for (const LinkRow& row : kLinks) {
    Orn_Channel* parent = Create(Guid(row.parent));
    Orn_Channel* child = Create(Guid(row.child));
    ASSERT_NE(parent, nullptr) << row.parent;
    ASSERT_NE(child, nullptr) << row.child;
    SCOPED_TRACE(std::string(parent->GetChannelName()) + " <- " + child->GetChannelName());
    const int index = parent->SetChild(child, -1, row.slot);
    ASSERT_GE(index, 0);
    EXPECT_EQ(parent->GetChild(index), child);
    if (row.slot >= 0) {
      EXPECT_EQ(parent->GetChildFromLinkPosition(row.slot, 0), child);
    } else {
      // A second channel of the type is the next of its kind.
      Orn_Channel* second = Create(Guid(row.child));
      ASSERT_GE(parent->SetChild(second, -1, -1), 0);
      EXPECT_EQ(parent->GetChildFromLinkGuid(Guid(row.child), 0), child);
      EXPECT_EQ(parent->GetChildFromLinkGuid(Guid(row.child), 1), second);
    }
  }
}

// The water effect finds particle systems among a shader info's mesh-typed
// children.
TEST_F(StandardChannelIdentityTest, ParticleSystemsCountAsMeshesOfAShaderInfo) {
  Device();
  Orn_Channel* info = Create(Guid(kShaderInfo));
  Orn_Channel* particles = Create(Guid(kParticle));
  ASSERT_NE(info, nullptr);
  ASSERT_NE(particles, nullptr);
  ASSERT_GE(info->SetChild(particles, -1, -1), 0);
  EXPECT_EQ(info->GetChildTypeCount(Guid(kObjectData)), 1);
  EXPECT_EQ(info->GetChildFromLinkGuid(Guid(kObjectData), 0), particles);
}

}  // namespace
}  // namespace vel_test
