// Vel_MatrixChannel ("Matrix"): a 4x4 transform in the row-vector convention.
// The motion channel derives from it and writes `matrix` directly.
#pragma once

#include "orn_channel.h"

#include <d3dx8/d3dx8math.h>

class Vel_MatrixChannel : public Orn_Channel {
 public:
  Vel_MatrixChannel();
  ~Vel_MatrixChannel() override;

  // No per-frame work; never consumes the frame gate of a derived class.
  void CallChannel() override;
  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;

  virtual D3DXMATRIX GetMatrix();
  virtual void SetMatrix(D3DXMATRIX m);

 protected:
  // The stored matrix; the identity when new. Saved as chunk "MAVA" (64 bytes).
  D3DXMATRIX matrix;
};
