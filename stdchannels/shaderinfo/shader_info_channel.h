// ShaderInfoChannel ("DX8 ShaderInfo"): the parameters of a shader surface's
// effect. It only holds links: the n-th linked float, vector, texture or
// particle channel is the effect's n-th input of that kind, in link order.
// It has no chunks of its own.
#pragma once

#include "orn_channel.h"

class ShaderInfoChannel : public Orn_Channel {
 public:
  enum Slot { kValues = 0, kVectors, kTextures, kParticles, kSlotCount };

  ShaderInfoChannel();
  ~ShaderInfoChannel() override;
};
