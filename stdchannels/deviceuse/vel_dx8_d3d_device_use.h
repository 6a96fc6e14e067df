// Vel_DX8_D3DDeviceUse: the base of every channel that holds Direct3D objects
// (textures, meshes, text, and through them primitives, particles and shader
// surfaces). A device user is linked into the device channel's "Textures"
// slot while it lives, so the device channel can make it drop its device
// objects before a reset; it is unlinked again when it is destroyed.
#pragma once

#include "orn_channel.h"

class Vel_DX8_DirectGraphicsChannel;

class Vel_DX8_D3DDeviceUse : public Orn_Channel {
 public:
  // Finds the engine's one device channel (null when there is none) and links
  // this channel into its "Textures" slot.
  Vel_DX8_D3DDeviceUse();
  // Unlinks this channel from the device channel, when it still knows one.
  ~Vel_DX8_D3DDeviceUse() override;

  // Releases every Direct3D object the channel holds; they are created again
  // on next use. The base holds none.
  virtual void InvalidateDeviceObjects();
  // Called by the device channel as it goes away: the channel drops its
  // device objects and forgets the device channel for good.
  virtual void InvalidateDirectGraphics();

  // The device user behind `channel` when it is one that is alive now, else
  // null: the device channel calls only these.
  static Vel_DX8_D3DDeviceUse* AsLiveDeviceUser(Orn_Channel* channel);

 protected:
  // The device channel, read directly by derived classes; null when the
  // engine has none or it has gone.
  Vel_DX8_DirectGraphicsChannel* directGraphics_;
};
