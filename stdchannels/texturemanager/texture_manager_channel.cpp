#include "texturemanager/texture_manager_channel.h"

#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type =
      vel::MakeTypeRecord("Texture Manager", vel::kTextureManagerType, vel::kTextureManagerType);
  return type;
}
}  // namespace

TextureManagerChannel::TextureManagerChannel() {
  SetChannelName("Texture Manager");
  SetChildCreationCount(1);
  vel::DeclareMultiSlot(this, 0, vel::kTextureType, "DX8 Texture", "Public Textures");
}

TextureManagerChannel::~TextureManagerChannel() = default;

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) TextureManagerChannel; }
