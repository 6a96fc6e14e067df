// TextureManagerChannel ("Texture Manager"): the engine-wide registry of
// public textures. A texture registers by linking itself into the manager's
// one slot ("Public Textures", any number of links) with SetChild(texture,
// -1, -1) and keeps the returned child index, which stays valid until it
// removes itself with RemoveChild(index); freed positions are reused. One
// unique instance serves the engine.
#pragma once

#include "orn_channel.h"

class TextureManagerChannel : public Orn_Channel {
 public:
  TextureManagerChannel();
  ~TextureManagerChannel() override;
  TextureManagerChannel(const TextureManagerChannel&) = delete;
  TextureManagerChannel& operator=(const TextureManagerChannel&) = delete;
};
