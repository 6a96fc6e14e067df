// OrbitPathChannel ("Orbit Path"): a vector value that travels round a
// horizontal circle as time passes: (r cos a, height, r sin a) with the angle
// a = start + 2 pi t / period, t the seconds since the channel was first read.
// A camera or light placement reads it as its position vector. Record, after
// the vector record: "ORBT" radius, height, seconds per turn, start angle
// (four 32-bit floats).
#pragma once

#include "vectorvalue/vel_vector_channel.h"

#include <cstdint>

class OrbitPathChannel : public Vel_VectorChannel {
 public:
  struct Path {
    float radius;
    float height;
    float secondsPerTurn;
    float startAngle;
  };
  static_assert(sizeof(Path) == 16, "the saved path is 16 bytes");

  OrbitPathChannel();

  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  D3DXVECTOR3 GetVector() override;

  virtual void SetPath(Path path);
  virtual Path GetPath();
  // The position after `seconds` on the path.
  virtual D3DXVECTOR3 PositionAt(float seconds);

 protected:
  Path path_;
  uint32_t startTick_;
  bool started_;
};
