#include "shaderinfo/shader_info_channel.h"

#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 ShaderInfo", vel::kShaderInfoType, vel::kShaderInfoType);
  return type;
}
}  // namespace

ShaderInfoChannel::ShaderInfoChannel() {
  SetChannelName("DX8 ShaderInfo");
  SetChildCreationCount(kSlotCount);
  vel::DeclareMultiSlot(this, kValues, vel::kFloatType, "Value", "Values");
  vel::DeclareMultiSlot(this, kVectors, vel::kVectorType, "Value Vector", "Vectors");
  vel::DeclareMultiSlot(this, kTextures, vel::kTextureType, "Texture Channel", "Textures");
  vel::DeclareMultiSlot(this, kParticles, vel::kParticleType, "DX8 ParticleObject", "Particles");
}

ShaderInfoChannel::~ShaderInfoChannel() = default;

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) ShaderInfoChannel; }
