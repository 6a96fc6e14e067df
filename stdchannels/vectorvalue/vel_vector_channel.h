// Vel_VectorChannel ("Value Vector"): three floats, a position, a direction,
// a size or a colour (red, green, blue in 0..1).
#pragma once

#include "orn_channel.h"

#include <d3dx8/d3dx8math.h>

class Vel_VectorChannel : public Orn_Channel {
 public:
  Vel_VectorChannel();
  ~Vel_VectorChannel() override;

  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;

  virtual D3DXVECTOR3 GetVector();
  virtual void SetVector(D3DXVECTOR3 v);

 protected:
  // The stored vector; (0, 0, 0) when new. Saved as chunk "VEVA" (12 bytes).
  D3DXVECTOR3 vector;
};
