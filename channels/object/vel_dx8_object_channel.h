// Vel_DX8_ObjectChannel ("DX8 3D Object"): places a set of surfaces in the
// world. Its matrix is the "Object Matrix" child after the "OffSetMatrix"
// child; it tracks how far that matrix moved since the previous frame, keeps
// an object-space box (the union of its surfaces' mesh boxes) with its world
// counterpart for culling, and draws its surfaces in an opaque and a
// transparent pass with its matrix as the world transform. It has no
// per-frame work of its own: another channel asks it to draw.
#pragma once

#include "orn_channel.h"
#include "vel_child_access.h"

#include <cstdint>

#include <d3dx8/d3dx8math.h>

class Vel_DX8_DirectGraphicsChannel;
class Vel_DX8_SurfaceChannel;
class Vel_MatrixChannel;

class Vel_DX8_ObjectChannel : public Orn_Channel {
 public:
  Vel_DX8_ObjectChannel();
  ~Vel_DX8_ObjectChannel() override;

  void OneTimeInitialize() override;
  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void DoDependencyInit(Orn_List* dependencies) override;

  // Starts loading the channels drawing this object reads (its matrices
  // and surfaces), for a caller drawing many objects one after another.
  void PrefetchForDraw() {
    if (!links_.stamp.Fresh(this)) return;
    for (int i = 0; i < links_.prefetchCount; ++i) vel::PrefetchChannel(links_.prefetch[i], links_.prefetchSize[i]);
  }
  // False when this frame's opaque pass found no transparent surface and
  // since then no surface turned transparent and no link changed, so that
  // the transparent pass has nothing to draw.
  bool NeedsTransparentPass();
  // What DrawTransparentSurfaces leaves on the device, for a caller that
  // passes over objects with nothing to draw: answers which of the states
  // below the pass sets for this object now, and sets those of them that are
  // `wanted` when `apply` is true. The world transform is set whenever
  // there is a device and a finite matrix; the depth states of the last
  // surface when the object is not culled and has a surface.
  enum PassStates { kWorldTransform = 1, kDepthStates = 2 };
  int LeaveTransparentPass(int wanted, bool apply);
  virtual void DrawSurfaces();
  virtual void DrawTransparentSurfaces();
  // The object matrix, brought up to date on the first call of a frame.
  virtual D3DXMATRIX GetObjectMatrix();
  virtual Vel_MatrixChannel* GetOrientation();
  virtual Vel_MatrixChannel* GetOffset();
  // Surface i (child entry i + 2) when it is a surface, else null.
  virtual Vel_DX8_SurfaceChannel* Getsurface(int i);
  virtual int GetSurfaceCount();
  virtual D3DXVECTOR3 GetDeltaMovement();
  virtual void SetDeltaMovement(D3DXVECTOR3 delta);
  // The position of the previous computation (before the latest movement).
  virtual D3DXVECTOR3 GetPosition();
  virtual void SetUseFullObjectCulling(bool on);
  virtual bool GetUseFullObjectCulling();
  virtual void CalculateCulling();
  virtual bool GetIfObjectIsVisible();
  virtual void DoTransFormMinMax(D3DXMATRIX matrix);
  virtual void GetBoundingBoxMinMax(D3DXVECTOR3* min, D3DXVECTOR3* max);

 protected:
  Vel_DX8_DirectGraphicsChannel* directGraphics_;
  bool positionKnown_;
  D3DXVECTOR3 lastPosition_;
  D3DXVECTOR3 deltaMovement_;
  D3DXMATRIX objectMatrix_;
  bool useFullObjectCulling_;
  D3DXVECTOR3 objectBoxMin_;
  D3DXVECTOR3 objectBoxMax_;
  D3DXVECTOR3 worldBoxMin_;
  D3DXVECTOR3 worldBoxMax_;
  bool boxComputed_;

 private:
  // Both passes: world transform, culling, depth states and the surface's
  // world matrix; `transparent` picks the surface's draw operation.
  void DrawPass(bool transparent);

  // The typed children, kept between link changes so that drawing reads
  // the object's own memory instead of walking its links every frame.
  static constexpr int kCachedEntries = 6;
  struct Links {
    vel::LinkStamp stamp;
    Vel_MatrixChannel* orientation = nullptr;
    Vel_MatrixChannel* offset = nullptr;
    int surfaceEntries = 0;  // child entries from the first surface on
    Vel_DX8_SurfaceChannel* surfaces[kCachedEntries] = {};
    // The channels above with their sizes, for PrefetchForDraw.
    int prefetchCount = 0;
    const void* prefetch[kCachedEntries + 2] = {};
    uint32_t prefetchSize[kCachedEntries + 2] = {};
  };
  // The links brought up to date; null when the surface entries do not fit
  // (the callers then read the links themselves).
  const Links* CurrentLinks();
  Links links_;

  // What the opaque pass saw: in which frame (tree count) it ran, whether
  // any surface was transparent, and the link and transparency counts when
  // it began.
  int transparentFrame_ = -1;
  bool hasTransparent_ = false;
  uint64_t opaqueLinks_ = 0;
  uint64_t opaqueTransparency_ = 0;
};
