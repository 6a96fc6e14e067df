// The 3D object's surfaces, its boxes and culling, and its two draw passes.
#include "object/vel_dx8_object_channel.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "surface/vel_dx8_surface_channel.h"
#include "vel_child_access.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

namespace {
// Surfaces are child entries 2 and on, followed by the slot's empty head.
constexpr int kFirstSurface = 2;

bool IsIdentity(const D3DXMATRIX& m) {
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column)
      if (m.m[row][column] != (row == column ? 1.0f : 0.0f)) return false;
  return true;
}

// Grows [min, max] by [lo, hi]; a component changes only for a strictly
// smaller or larger value.
void Extend(D3DXVECTOR3& min, D3DXVECTOR3& max, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi) {
  for (int i = 0; i < 3; ++i) {
    if (lo[i] < min[i]) min[i] = lo[i];
    if (hi[i] > max[i]) max[i] = hi[i];
  }
}
}  // namespace

const Vel_DX8_ObjectChannel::Links* Vel_DX8_ObjectChannel::CurrentLinks() {
  if (links_.stamp.Fresh(this)) return &links_;
  const int entries = GetChildCount() - kFirstSurface;
  if (entries > kCachedEntries) return nullptr;
  links_.orientation = vel::ChildAs<Vel_MatrixChannel>(this, 0, vel::kMatrixType);
  links_.offset = vel::ChildAs<Vel_MatrixChannel>(this, 1, vel::kMatrixType);
  links_.surfaceEntries = entries > 0 ? entries : 0;
  for (int i = 0; i < links_.surfaceEntries; ++i)
    links_.surfaces[i] = vel::ChildAs<Vel_DX8_SurfaceChannel>(this, i + kFirstSurface, vel::kSurfaceType);
  int n = 0;
  auto keep = [&](const void* channel, size_t size) {
    if (!channel) return;
    links_.prefetch[n] = channel;
    links_.prefetchSize[n++] = static_cast<uint32_t>(size);
  };
  keep(links_.orientation, sizeof(Vel_MatrixChannel));
  keep(links_.offset, sizeof(Vel_MatrixChannel));
  for (int i = 0; i < links_.surfaceEntries; ++i) keep(links_.surfaces[i], sizeof(Vel_DX8_SurfaceChannel));
  links_.prefetchCount = n;
  links_.stamp.Take(this);
  return &links_;
}

Vel_DX8_SurfaceChannel* Vel_DX8_ObjectChannel::Getsurface(int i) {
  if (i < 0) return nullptr;
  if (const Links* links = CurrentLinks()) return i < links->surfaceEntries ? links->surfaces[i] : nullptr;
  return vel::ChildAs<Vel_DX8_SurfaceChannel>(this, i + kFirstSurface, vel::kSurfaceType);
}

int Vel_DX8_ObjectChannel::GetSurfaceCount() {
  const int count = GetChildCount() - 3;
  return count > 0 ? count : 0;
}

void Vel_DX8_ObjectChannel::SetUseFullObjectCulling(bool on) {
  useFullObjectCulling_ = on;
  if (on) CalculateCulling();
}

bool Vel_DX8_ObjectChannel::GetUseFullObjectCulling() { return useFullObjectCulling_; }

void Vel_DX8_ObjectChannel::CalculateCulling() {
  bool first = true;
  for (int i = kFirstSurface; i < GetChildCount(); ++i) {
    auto* surface = vel::ChildAs<Vel_DX8_SurfaceChannel>(this, i, vel::kSurfaceType);
    auto* mesh = vel::ChildAs<Vel_DX8_ObjectDataChannel>(surface, 0, vel::kObjectDataType);
    if (!mesh) continue;
    boxComputed_ = true;
    const D3DXVECTOR3 lo = mesh->GetBoundingBoxMin();
    const D3DXVECTOR3 hi = mesh->GetBoundingBoxMax();
    if (first) {
      objectBoxMin_ = lo;
      objectBoxMax_ = hi;
      first = false;
    } else {
      Extend(objectBoxMin_, objectBoxMax_, lo, hi);
    }
  }
  // The world box follows at once: culling switched on in the middle of a
  // frame tests the object where it is now, not where an earlier frame left
  // the box.
  DoTransFormMinMax(objectMatrix_);
}

bool Vel_DX8_ObjectChannel::GetIfObjectIsVisible() {
  GetObjectMatrix();
  return !directGraphics_ || directGraphics_->CheckAABBVisible(worldBoxMin_, worldBoxMax_);
}

void Vel_DX8_ObjectChannel::DoTransFormMinMax(D3DXMATRIX m) {
  if (IsIdentity(m)) {
    worldBoxMin_ = objectBoxMin_;
    worldBoxMax_ = objectBoxMax_;
    return;
  }
  const D3DXVECTOR3& lo = objectBoxMin_;
  const D3DXVECTOR3& hi = objectBoxMax_;
  for (int corner = 0; corner < 8; ++corner) {
    const D3DXVECTOR3 p((corner & 1) ? hi.x : lo.x, (corner & 2) ? hi.y : lo.y, (corner & 4) ? hi.z : lo.z);
    D3DXVECTOR3 t;
    D3DXVec3TransformCoord(&t, &p, &m);
    if (corner == 0) worldBoxMin_ = worldBoxMax_ = t;
    else Extend(worldBoxMin_, worldBoxMax_, t, t);
  }
}

void Vel_DX8_ObjectChannel::GetBoundingBoxMinMax(D3DXVECTOR3* min, D3DXVECTOR3* max) {
  if (!boxComputed_) CalculateCulling();
  DoTransFormMinMax(GetObjectMatrix());
  if (min) *min = worldBoxMin_;
  if (max) *max = worldBoxMax_;
}

void Vel_DX8_ObjectChannel::DrawSurfaces() { DrawPass(false); }

void Vel_DX8_ObjectChannel::DrawTransparentSurfaces() { DrawPass(true); }

bool Vel_DX8_ObjectChannel::NeedsTransparentPass() {
  return hasTransparent_ || transparentFrame_ != CurrentTreeCount() || opaqueLinks_ != Orn_Channel::LinkChangeCount() ||
         opaqueTransparency_ != Vel_DX8_SurfaceChannel::TransparencyChangeCount();
}

int Vel_DX8_ObjectChannel::LeaveTransparentPass(int wanted, bool apply) {
  const D3DXMATRIX m = GetObjectMatrix();
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device || !vel::AllFinite(m)) return 0;
  if (apply && (wanted & kWorldTransform)) device->SetTransform(D3DTS_WORLD, &m);
  if (useFullObjectCulling_ && !directGraphics_->CheckAABBVisible(worldBoxMin_, worldBoxMax_)) return kWorldTransform;
  Vel_DX8_SurfaceChannel* last = nullptr;
  for (int i = GetChildCount() - 1; i >= kFirstSurface && !last; --i)
    last = vel::ChildAs<Vel_DX8_SurfaceChannel>(this, i, vel::kSurfaceType);
  if (!last) return kWorldTransform;
  if (apply && (wanted & kDepthStates)) {
    directGraphics_->SetRenderState(D3DRS_ZENABLE, last->GetCheckDepthBuffer() ? 1 : 0);
    directGraphics_->SetRenderState(D3DRS_ZWRITEENABLE, last->GetWriteDepthBuffer() ? 1 : 0);
  }
  return kWorldTransform | kDepthStates;
}

void Vel_DX8_ObjectChannel::DrawPass(bool transparent) {
  const D3DXMATRIX m = GetObjectMatrix();
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  // An object whose matrix is not finite has no place to be drawn at.
  if (!device || !vel::AllFinite(m)) return;
  device->SetTransform(D3DTS_WORLD, &m);
  if (useFullObjectCulling_ && !directGraphics_->CheckAABBVisible(worldBoxMin_, worldBoxMax_)) return;
  if (!transparent) {
    transparentFrame_ = CurrentTreeCount();
    hasTransparent_ = false;
    opaqueLinks_ = Orn_Channel::LinkChangeCount();
    opaqueTransparency_ = Vel_DX8_SurfaceChannel::TransparencyChangeCount();
  }
  const Links* links = CurrentLinks();
  const int entries = links ? links->surfaceEntries : GetChildCount() - kFirstSurface;
  for (int i = 0; i < entries; ++i) {
    auto* surface = links ? links->surfaces[i]
                          : vel::ChildAs<Vel_DX8_SurfaceChannel>(this, i + kFirstSurface, vel::kSurfaceType);
    if (!surface) continue;
    if (!transparent && surface->GetTransparentSurface()) hasTransparent_ = true;
    directGraphics_->ChangeRenderState(D3DRS_ZENABLE, surface->GetCheckDepthBuffer() ? 1 : 0);
    directGraphics_->ChangeRenderState(D3DRS_ZWRITEENABLE, surface->GetWriteDepthBuffer() ? 1 : 0);
    surface->SetWorldMatrix(m);
    if (transparent) surface->DrawTransparentSurface();
    else surface->DrawSurface();
  }
}
