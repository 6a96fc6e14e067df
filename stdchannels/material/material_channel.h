// MaterialChannel ("DX8 Material"): the material a surface is lit with. Its
// own values are saved with it; a vector child in "Diffuse", "Ambient",
// "Specular" or "Emissive" (red, green, blue in 0..1) and a float child in
// "Power" or "Alpha" take the place of the own value while linked. The alpha
// (opacity) is the alpha of all four colours.
#pragma once

#include "orn_channel.h"
#include "vel_child_access.h"

#include <d3d8/d3d8.h>

class Vel_DX8_DirectGraphicsChannel;
class Vel_FloatChannel;
class Vel_VectorChannel;

class MaterialChannel : public Orn_Channel {
 public:
  // Child slots.
  enum Slot { kDiffuse, kAmbient, kSpecular, kEmissive, kPower, kAlpha, kSlotCount };
  // GetMaterialValue(kAlphaValue) is the opacity: the specular colour's
  // alpha, which always equals the diffuse alpha.
  static constexpr int kAlphaValue = 11;

  MaterialChannel();
  ~MaterialChannel() override;

  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void DoDependencyInit(Orn_List* dependencies) override;

  // Sets the material on the device (nothing without one).
  virtual void ApplyMaterial();
  // The material as ApplyMaterial sets it: the own values with the linked
  // children's in their place.
  virtual D3DMATERIAL8 GetMaterial();
  // The own values; the alpha of the diffuse colour is the opacity.
  virtual void SetMaterial(D3DMATERIAL8 material);
  virtual D3DMATERIAL8 GetOwnMaterial();
  // Value `index` of GetMaterial() taken as 17 floats: diffuse, ambient,
  // specular and emissive (red, green, blue, alpha each), then the power;
  // 0.0 outside 0..16.
  virtual float GetMaterialValue(int index);

 protected:
  // Saved as chunk "MATE" (68 bytes): diffuse white, ambient white, no
  // specular or emissive colour, power 0, opaque when new.
  D3DMATERIAL8 material_;
  Vel_DX8_DirectGraphicsChannel* directGraphics_;

 private:
  // The typed children, kept between link changes (see vel::LinkStamp).
  struct Links {
    vel::LinkStamp stamp;
    Vel_VectorChannel* colors[4] = {};  // diffuse, ambient, specular, emissive
    Vel_FloatChannel* power = nullptr;
    Vel_FloatChannel* alpha = nullptr;
  };
  const Links& CurrentLinks();
  Links links_;
};
