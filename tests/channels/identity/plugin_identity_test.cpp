// The identity of every drawing plug-in, which stored projects depend on: the
// type record of its library (display name, type and base GUIDs, versions,
// flag) and every child slot a new channel declares (label, accepted type,
// link position, whether and what the engine creates with it).
#include "identity_support.h"

#include <climits>
#include <map>
#include <set>

namespace vel_test {
namespace {

struct TypeRow {
  const char* type;  // also the library's file name
  const char* name;
  const char* base;
  int flag;
  const char* channelName;  // a new channel's own name; null: not fixed
};

// clang-format off
const TypeRow kTypeRecords[] = {
  // type            display name                  base type     flag  name of a new channel
  {kDevice,        "DX8 DirectGraphicsChannel", kDevice,        1, "DX8 DirectGraphicsChannel"},
  {kCamera,        "DX8 Camera",                kCamera,        0, "DX8 Camera"},
  {kLight,         "DX8 Light",                 kLight,         0, "DX8 Light"},
  {kObjectData,    "DX8 3D ObjectData",         kObjectData,    0, "DX8 3D ObjectData"},
  {kObject,        "DX8 3D Object",             kObject,        0, "DX8 3D Object"},
  {kMotion,        "DX8 Motion",                kMatrix,        0, "DX8 Motion"},
  {kMousePick,     "DX8 DetectMouseCollision",  kFloat,         0, "DX8 DetectMouseCollision"},
  {kTexture,       "DX8 Texture",               kTexture,       0, "DX8 Texture"},
  {kPrimitive,     "DX8 Primitive",             kObjectData,    0, "DX8 Primitive"},
  {kParticle,      "DX8 ParticleObject",        kObjectData,    0, "DX8 ParticleObject"},
  {kUserInput,     "DX8 UserInput",             kFloat,         0, "DX8 UserInput"},
  {kTextOut,       "DX8 Textout",               kTextOut,       0, nullptr},
  {kShaderSurface, "DX8 ShaderSurface",         kSurface,       0, nullptr},
};
// clang-format on

enum class Made { No, Yes, Unstated };
constexpr int kUnstated = INT_MIN;  // a link position no declaration states

struct SlotRow {
  const char* channel;
  int slot;
  const char* label;
  const char* acceptedName;  // null: not stated
  const char* accepted;
  int link;
  Made create;
  const char* made;  // the type the engine creates; null: nothing
};

// clang-format off
const SlotRow kSlots[] = {
  // channel      slot label                          accepted name        accepted type  link    created     type created
  {kDevice,        0, "Textures",                      nullptr,             kAnyType,      -1, Made::No,  nullptr},

  {kCamera,        0, "Camera Matrix",                 "Matrix",            kMatrix,        0, Made::Yes, kMotion},
  {kCamera,        1, "Fog On Off",                    "Float",             kFloat,         1, Made::No,  nullptr},
  {kCamera,        2, "Fog Mode: 0-Lin 1-Exp 2-Exp2",  "Float",             kFloat,         2, Made::No,  nullptr},
  {kCamera,        3, "Fog Start Distance",            "Float",             kFloat,         3, Made::No,  nullptr},
  {kCamera,        4, "Fog End Distance",              "Float",             kFloat,         4, Made::No,  nullptr},
  {kCamera,        5, "Fog Density",                   "Float",             kFloat,         5, Made::No,  nullptr},
  {kCamera,        6, "Fog Color R",                   "Float",             kFloat,         6, Made::No,  nullptr},
  {kCamera,        7, "Fog Color G",                   "Float",             kFloat,         7, Made::No,  nullptr},
  {kCamera,        8, "Fog Color B",                   "Float",             kFloat,         8, Made::No,  nullptr},
  {kCamera,        9, "Zoom Factor",                   "Float",             kFloat,         9, Made::Yes, kFloat},
  {kCamera,       10, "Projection Matrix",             "Matrix",            kMatrix,       10, Made::No,  nullptr},

  {kLight,         0, "Light Pos",                     "Matrix",            kMatrix,        0, Made::Yes, kMotion},
  {kLight,         1, "Diffuse",                       "Value Vector",      kVector,        1, Made::Yes, kVector},
  {kLight,         2, "Attenuation",                   "Value Vector",      kVector,        2, Made::Yes, kVector},
  {kLight,         3, "Range",                         "Value",             kFloat,         3, Made::Yes, kFloat},
  {kLight,         4, "Falloff",                       "Value",             kFloat,         4, Made::Yes, kFloat},
  {kLight,         5, "Theta",                         "Value",             kFloat,         5, Made::Yes, kFloat},
  {kLight,         6, "Phi",                           "Value",             kFloat,         6, Made::Yes, kFloat},
  {kLight,         7, "Light type",                    "Value",             kFloat,         7, Made::Yes, kFloat},
  {kLight,         8, "Specular",                      "Value Vector",      kVector,        8, Made::No,  nullptr},
  {kLight,         9, "Ambient",                       "Value Vector",      kVector,        9, Made::No,  nullptr},
  {kLight,        10, "Light state information",       "Value",             kFloat,        10, Made::No,  nullptr},

  {kObjectData,    0, "Texture Matrix Set 0",          "Matrix",            kMatrix,        0, Made::No,  nullptr},
  {kObjectData,    1, "Texture Matrix Set 1",          "Matrix",            kMatrix,        1, Made::No,  nullptr},

  {kObject,        0, "Object Matrix",                 "Matrix",            kMatrix,        0, Made::No,  nullptr},
  {kObject,        1, "OffSetMatrix",                  "Matrix",            kMatrix,        1, Made::No,  nullptr},
  {kObject,        2, "Surfaces",                      "DX8 Surface",       kSurface,      -1, Made::No,  nullptr},

  {kMotion,        0, "Position Vector",               "Value Vector",      kVector,        0, Made::Yes, kVector},
  {kMotion,        1, "Rotation Vector",               "Value Vector",      kVector,        1, Made::Yes, kVector},
  {kMotion,        2, "Size Vector",                   "Value Vector",      kVector,        2, Made::Yes, kVector},
  {kMotion,        3, "Look At Matrix",                "Matrix",            kMatrix,        3, Made::No,  nullptr},
  {kMotion,        4, "Parent Matrix",                 "Matrix",            kMatrix,        4, Made::No,  nullptr},

  {kMousePick,     0, "3D Object",                     "DX8_Object",        kObject,        0, Made::No,  nullptr},

  {kTexture,       0, "Alpha Texture",                 "DX8 Texture",       kTexture,       0, Made::No,  nullptr},
  {kTexture,       1, "Bumpmap Scale",                 "Value",             kFloat,         1, Made::No,  nullptr},
  {kTexture,       2, "Load texture from file",        "GroupBuffer",       kGroupBuffer,   2, Made::No,  nullptr},

  {kPrimitive,     0, "Texture Matrix Set 0",          "Matrix",            kMatrix,        0, Made::No,  nullptr},
  {kPrimitive,     1, "Texture Matrix Set 1",          "Matrix",            kMatrix,        1, Made::No,  nullptr},
  {kPrimitive,     2, "Primitive Complexity",          "Value",             kFloat,         2, Made::No,  nullptr},
  {kPrimitive,     3, "Primitive Information",         "Type depends on setting", kAnyType, -1, Made::No,  nullptr},

  {kParticle,      0, "Emmiter Shape ObjectData",      "DX8 3D ObjectData", kObjectData,    0, Made::No,  nullptr},
  {kParticle,      1, "Particle BirthRate",            "Value",             kFloat,         1, Made::No,  nullptr},
  {kParticle,      2, "Particle Gravity",              "Value",             kFloat,         2, Made::No,  nullptr},
  {kParticle,      3, "Particle LifeTime",             "Value",             kFloat,         3, Made::No,  nullptr},
  {kParticle,      4, "Particle Velocity",             "Value",             kFloat,         4, Made::No,  nullptr},
  {kParticle,      5, "Particle Velocity Randomize",   "Value",             kFloat,         5, Made::No,  nullptr},
  {kParticle,      6, "Particle Size",                 "Value",             kFloat,         6, Made::No,  nullptr},
  {kParticle,      7, "Particle Ending Size",          "Value",             kFloat,         7, Made::No,  nullptr},
  {kParticle,      8, "Particle Size Randomize",       "Value",             kFloat,         8, Made::No,  nullptr},
  {kParticle,      9, "Number of Particles Alive",     "Value",             kFloat,         9, Made::No,  nullptr},
  {kParticle,     10, "Start Color",                   "Value Vector",      kVector,       10, Made::No,  nullptr},
  {kParticle,     11, "End Color",                     "Value Vector",      kVector,       11, Made::No,  nullptr},
  {kParticle,     12, "Explode Count",                 "Value",             kFloat,        12, Made::No,  nullptr},
  {kParticle,     13, "Reset System",                  "Value",             kFloat,        13, Made::No,  nullptr},
  {kParticle,     14, "Use Normalize Velocity",        "Value",             kFloat,        14, Made::No,  nullptr},

  // The user-input channel declares no slot.

  {kTextOut,       0, "Pos",                           "Value Vector",      kVector,  kUnstated, Made::Unstated, nullptr},
  {kTextOut,       1, "Text",                          "Text",              kText,    kUnstated, Made::Unstated, nullptr},
  {kTextOut,       2, "Color",                         "Value Vector",      kVector,  kUnstated, Made::Unstated, nullptr},

  {kShaderSurface, 0, "ObjectData",                    "Object Data Channel", kObjectData,  0, Made::No,  nullptr},
  {kShaderSurface, 1, "DX8 Material",                  "DX8 Material",      kMaterial,      1, Made::No,  nullptr},
  {kShaderSurface, 2, "Textures",                      "Texture Channel",   kTexture,      -1, Made::No,  nullptr},
  {kShaderSurface, 3, "Shader Info",                   "DX8 ShaderInfo",    kShaderInfo,    3, Made::Yes, kShaderInfo},
};
// clang-format on

std::map<std::string, std::vector<const SlotRow*>> SlotsByChannel() {
  std::map<std::string, std::vector<const SlotRow*>> byChannel;
  for (const TypeRow& type : kTypeRecords) byChannel[type.type];
  for (const SlotRow& row : kSlots) byChannel[row.channel].push_back(&row);
  return byChannel;
}

class PluginIdentityTest : public IdentityTest {};

TEST_F(PluginIdentityTest, EveryLibraryReportsItsTypeRecord) {
  ASSERT_EQ(std::size(kTypeRecords), 13u);
  for (const TypeRow& row : kTypeRecords) {
    SCOPED_TRACE(row.name);
    // Asked twice: the record stays what it is.
    for (int call = 0; call < 2; ++call) {
      const ChannelType* record = TypeRecordOfType(row.type);
      ASSERT_NE(record, nullptr);
      EXPECT_STREQ(record->name, row.name);
      EXPECT_EQ(GuidToString(record->type), row.type);
      EXPECT_EQ(GuidToString(record->baseType), row.base);
      EXPECT_EQ(record->version[0], 1);
      EXPECT_EQ(record->version[1], 25);
      EXPECT_EQ(record->version[2], 1);
      EXPECT_EQ(record->flag, row.flag);
    }
    // A channel the engine makes of the type reports the same record.
    Orn_Channel* channel = Create(Guid(row.type));
    ASSERT_NE(channel, nullptr);
    const ChannelType made = channel->GetChannelType();
    EXPECT_STREQ(made.name, row.name);
    EXPECT_EQ(GuidToString(made.type), row.type);
    EXPECT_EQ(GuidToString(made.baseType), row.base);
    if (row.channelName) {
      EXPECT_STREQ(channel->GetChannelName(), row.channelName);
    }
  }
}

TEST_F(PluginIdentityTest, EveryChannelDeclaresItsChildSlots) {
  for (const auto& [type, rows] : SlotsByChannel()) {
    Orn_Channel* channel = Create(Guid(type.c_str()));
    ASSERT_NE(channel, nullptr) << type;
    SCOPED_TRACE(channel->GetChannelName());
    EXPECT_EQ(SlotCount(channel), static_cast<int>(rows.size()));
    std::set<int> links;
    for (const SlotRow* row : rows) {
      SCOPED_TRACE(row->label);
      const ChildCreation* slot = SlotOf(channel, row->slot);
      ASSERT_NE(slot, nullptr);
      EXPECT_STREQ(slot->childName, row->label);
      if (row->acceptedName) { EXPECT_STREQ(slot->acceptedType.name, row->acceptedName); }
      EXPECT_EQ(GuidToString(slot->acceptedType.type), row->accepted);
      EXPECT_EQ(GuidToString(slot->acceptedType.baseType), kAnyType);
      EXPECT_EQ(slot->acceptedType.version[0], 1);
      EXPECT_EQ(slot->acceptedType.version[1], 25);
      EXPECT_EQ(slot->acceptedType.version[2], 1);
      EXPECT_EQ(slot->acceptedType.flag, 0);
      if (row->link != kUnstated) { EXPECT_EQ(slot->requestLink, row->link); }
      // A request number is unique among the channel's slots.
      if (slot->requestLink != -1) { EXPECT_TRUE(links.insert(slot->requestLink).second) << slot->requestLink; }
      if (row->create != Made::Unstated) { EXPECT_EQ(slot->createChild, row->create == Made::Yes); }
      if (row->made) {
        const GUID made = GuidIsZero(slot->createInstead) ? slot->acceptedType.type : slot->createInstead;
        EXPECT_EQ(GuidToString(made), row->made);
      } else {
        EXPECT_TRUE(GuidIsZero(slot->createInstead)) << GuidToString(slot->createInstead);
      }
    }
  }
}

// Made with its children, a channel gets exactly the children its slots ask
// for, of the stated type, named by their slot and linked into it. (A slot
// that creates nothing may still hold one of those children: the light
// shares its diffuse vector as its specular one.)
TEST_F(PluginIdentityTest, ChildrenMadeWithAChannelAreOfTheStatedType) {
  for (const auto& [type, rows] : SlotsByChannel()) {
    messages.Clear();
    Orn_Channel* channel = Create(Guid(type.c_str()), true);
    ASSERT_NE(channel, nullptr) << type;
    SCOPED_TRACE(channel->GetChannelName());
    EXPECT_FALSE(messages.Has("Couldn't initialize child"));
    std::set<Orn_Channel*> made;
    for (const SlotRow* row : rows) {
      if (!row->made) continue;
      SCOPED_TRACE(row->label);
      Orn_Channel* child = channel->GetChildFromLinkPosition(row->slot, 0);
      ASSERT_NE(child, nullptr);
      EXPECT_EQ(GuidToString(child->GetChannelType().type), row->made);
      EXPECT_STREQ(child->GetChannelName(), row->label);
      made.insert(child);
    }
    for (const SlotRow* row : rows) {
      if (row->made || row->create == Made::Unstated) continue;
      Orn_Channel* child = channel->GetChildFromLinkPosition(row->slot, 0);
      EXPECT_TRUE(!child || made.count(child)) << row->label << " holds " << child->GetChannelName();
    }
  }
}

}  // namespace
}  // namespace vel_test
