// Vel_DX8_DetectMouseCollision ("DX8 DetectMouseCollision"): a float value
// channel that is 1.0 while the mouse cursor lies over a triangle of its 3D
// object child and 0.0 otherwise. Asked for the nearest hit it also reports
// the surface, hit point, triangle normal and squared distance. The ray
// starts at the camera and passes through the cursor (device view,
// projection and viewport, the cursor in the device's present window), and
// is tested in the object's own space against each surface mesh's box and
// then its triangles (triangle lists only; a triangle counts when it faces
// the ray and lies ahead of the camera). It saves the float value's record
// unchanged.
#pragma once

#include "floatvalue/vel_float_channel.h"

#include <d3dx8/d3dx8math.h>

#include <cstdint>

class InputChannel;
class Vel_DX8_DirectGraphicsChannel;
class Vel_DX8_ObjectChannel;

// The nearest hit; positions and the normal are in the object's own space.
struct CollisionResult {
  float hitX, hitY, hitZ;
  // (V1 - V0) x (V2 - V0) of the triangle hit, not normalised.
  float normalX, normalY, normalZ;
  int32_t surface;
  // Squared distance from the ray origin (the camera) to the hit point.
  float distance;
};
static_assert(sizeof(CollisionResult) == 32, "CollisionResult holds eight 32-bit fields");

class Vel_DX8_DetectMouseCollision : public Vel_FloatChannel {
 public:
  enum Slot { kObjectSlot = 0 };

  Vel_DX8_DetectMouseCollision();
  ~Vel_DX8_DetectMouseCollision() override;

  void DoDependencyInit(Orn_List* dependencies) override;
  // 1.0 when the cursor is over the object this frame (computed on the
  // first call of the frame, stopping at the first hit), else 0.0.
  float GetFloat() override;

  // Tests the object's surfaces in order; with `nearest` every surface and
  // the closest hit is recorded, else it stops at the first hit.
  virtual void CalculateCollision(bool nearest);
  virtual void CalculateCollisionSurface(int surface, bool nearest);
  // The surface index of the nearest hit, or -1.
  virtual int GetSelectedSurface();
  // The record of the last nearest-hit computation.
  virtual CollisionResult* Result();

 protected:
  InputChannel* input;
  Vel_DX8_DirectGraphicsChannel* directGraphics_;
  CollisionResult result;
  bool found;

 private:
  // The ray through the cursor in world space: origin O and far point F;
  // false when the cursor is outside the viewport or the transforms give no
  // ray.
  bool CursorRay(D3DXVECTOR3* origin, D3DXVECTOR3* farPoint);
  Vel_DX8_ObjectChannel* Object();
};
