// Texture coordinates of the two UV sets generated from the positions or
// normals (planar, two cubic variants, cylinder, sphere and the camera sphere
// map), their scale, shift and offset, and their normalisation. Set 0 is UV
// set 1; set 1 and every other number UV set 2.
//
// A quotient by a box extent of zero (a flat mesh) counts as 0 and arccos
// arguments are clamped to [-1, 1], so no coordinate is ever NaN or infinite.
#include "objectdata/vel_dx8_object_data_channel.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "objectdata/mesh_arrays.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.1415927410125732;
constexpr float kInverseTwoPi = 0.15915494f;
constexpr float kInversePi = 0.31830987f;
constexpr VertTUVOffset kNeutralAdjustment = {0, 0, 0, 0, 1, 1};

float Ratio(float a, float b) {
  const float q = a / b;
  return std::isfinite(q) ? q : 0.0f;
}

double Acos(float x) { return std::acos(std::clamp(static_cast<double>(x), -1.0, 1.0)); }

// The angle of a normal around the Y axis, in [0, 2 pi).
double AroundY(const VertNormal& n) {
  D3DXVECTOR3 flat(n.x, 0, n.z);
  D3DXVECTOR3 d;
  D3DXVec3Normalize(&d, &flat);
  return d.z > 0 ? Acos(d.x) : Acos(-d.x) + kPi;
}
}  // namespace

bool Vel_DX8_ObjectDataChannel::UVSetEnabled(int set) const {
  if (set == 0) return useUVSet1_;
  if (set == 1) return useUVSet2_;
  return true;
}

// ---------------------------------------------------------------------------
// Generators

void Vel_DX8_ObjectDataChannel::Planar(int set, int axis) {
  VertTUV* uv = UVArray(set);
  if (!uv || axis < 0 || axis > 2) return;
  D3DXVECTOR3 min(0, 0, 0), max(0, 0, 0);
  MakeObjectSizeBoundrys(min, max);
  const D3DXVECTOR3 s = max - min;
  const D3DXVECTOR3 c = s * 0.5f + min;
  const int32_t n = std::min(vertexCount_, UVLength(set));
  for (int32_t i = 0; i < n; ++i) {
    const VertPos p = mesh::GetElement(positions_, positionsLength_, vertexCount_, static_cast<unsigned long>(i));
    // u runs 0..1 from the box minimum to its maximum, v 0..1 from the
    // maximum to the minimum.
    const float across = axis == 0 ? p.z : p.x;
    const float acrossSize = axis == 0 ? s.z : s.x;
    const float acrossCentre = axis == 0 ? c.z : c.x;
    const float up = axis == 1 ? p.z : p.y;
    const float upSize = axis == 1 ? s.z : s.y;
    const float upCentre = axis == 1 ? c.z : c.y;
    uv[i].u = (Ratio(across, acrossSize) + 0.5f) - Ratio(acrossCentre, acrossSize);
    uv[i].v = -((Ratio(up, upSize) - 0.5f) - Ratio(upCentre, upSize));
  }
}

void Vel_DX8_ObjectDataChannel::PlanarTexture(int set, int axis) {
  if (!usePosition_ || !UVSetEnabled(set)) return;
  Planar(set, axis);
}

void Vel_DX8_ObjectDataChannel::CubicPerVertex(int set) {
  VertTUV* uv = UVArray(set);
  if (!uv || !normals_) return;
  D3DXVECTOR3 min(0, 0, 0), max(0, 0, 0);
  MakeObjectSizeBoundrys(min, max);
  const D3DXVECTOR3 s = max - min;
  const int32_t n = std::min(vertexCount_, UVLength(set));
  for (int32_t i = 0; i < n; ++i) {
    const auto at = static_cast<unsigned long>(i);
    const VertPos p = mesh::GetElement(positions_, positionsLength_, vertexCount_, at);
    const VertNormal nv = mesh::GetElement(normals_, normalsLength_, vertexCount_, at);
    const float a = std::fabs(nv.x), b = std::fabs(nv.y), e = std::fabs(nv.z);
    if (a >= b && a >= e) {
      uv[i].u = Ratio(p.z - min.z, s.z);
      uv[i].v = -Ratio(p.y - min.y, s.y);
    } else if (e >= b && e >= a) {
      uv[i].u = Ratio(p.x - min.x, s.x);
      uv[i].v = -Ratio(p.y - min.y, s.y);
    } else {
      uv[i].u = Ratio(p.x - min.x, s.x);
      uv[i].v = -Ratio(p.z - min.z, s.z);
    }
  }
}

void Vel_DX8_ObjectDataChannel::CubicTexture(int set, bool wholeMesh) {
  if (!usePosition_ || !UVSetEnabled(set)) return;
  if (!wholeMesh) {
    CubicPerVertex(set);
    return;
  }
  if (vertexCount_ < 3) return;
  // One projection for the whole mesh, along the dominant axis of the normal
  // of its first three positions.
  const D3DXVECTOR3 p0 = GetVertexPositionDx(0), p1 = GetVertexPositionDx(1), p2 = GetVertexPositionDx(2);
  const D3DXVECTOR3 e1 = p1 - p0, e2 = p2 - p0;
  D3DXVECTOR3 normal;
  D3DXVec3Cross(&normal, &e1, &e2);
  const float x = std::fabs(normal.x), y = std::fabs(normal.y), z = std::fabs(normal.z);
  Planar(set, x >= y && x >= z ? 0 : (z >= y ? 2 : 1));
}

void Vel_DX8_ObjectDataChannel::MakeCylinderTexture(int set) {
  if (!usePosition_ || !useNormal_ || !UVSetEnabled(set)) return;
  VertTUV* uv = UVArray(set);
  if (!uv || !normals_) return;
  D3DXVECTOR3 min(0, 0, 0), max(0, 0, 0);
  MakeObjectSizeBoundrys(min, max);
  const float height = max.y - min.y;
  const float k = Ratio(height * 0.5f + min.y, height);
  const int32_t n = std::min(vertexCount_, UVLength(set));
  for (int32_t i = 0; i < n; ++i) {
    const auto at = static_cast<unsigned long>(i);
    const VertPos p = mesh::GetElement(positions_, positionsLength_, vertexCount_, at);
    const VertNormal nv = mesh::GetElement(normals_, normalsLength_, vertexCount_, at);
    uv[i].u = static_cast<float>(AroundY(nv) * kInverseTwoPi);
    uv[i].v = -((Ratio(p.y, height) - 0.5f) - k);
  }
}

void Vel_DX8_ObjectDataChannel::MakeSphereTexture(int set) {
  if (!usePosition_ || !useNormal_ || !UVSetEnabled(set)) return;
  VertTUV* uv = UVArray(set);
  if (!uv || !normals_) return;
  const int32_t n = std::min(vertexCount_, UVLength(set));
  for (int32_t i = 0; i < n; ++i) {
    const VertNormal nv = mesh::GetElement(normals_, normalsLength_, vertexCount_, static_cast<unsigned long>(i));
    uv[i].u = static_cast<float>(AroundY(nv) * kInverseTwoPi);
    uv[i].v = static_cast<float>(Acos(nv.y) * kInversePi);
  }
}

void Vel_DX8_ObjectDataChannel::CalculateSphereMap(int set) {
  if (!usePosition_ || !UVSetEnabled(set) || !directGraphics_) return;
  VertTUV* uv = UVArray(set);
  if (!uv || !normals_) return;
  D3DXMATRIX world = worldMatrix_;
  world._11 = world._22 = world._33 = 1.0f;
  D3DXMATRIX camera = directGraphics_->GetCameraMatrix();
  D3DXMATRIX m;
  D3DXMatrixMultiply(&m, &camera, &world);
  const int32_t n = std::min(vertexCount_, UVLength(set));
  for (int32_t i = 0; i < n; ++i) {
    const VertNormal nv = mesh::GetElement(normals_, normalsLength_, vertexCount_, static_cast<unsigned long>(i));
    const float x = nv.x * m._11 + nv.y * m._21 + nv.z * m._31;
    const float y = nv.x * m._12 + nv.y * m._22 + nv.z * m._32;
    uv[i].u = (x + 1.0f) * 0.5f;
    uv[i].v = (1.0f - y) * 0.5f;
  }
}

// ---------------------------------------------------------------------------
// Mapping modes and adjustment

void Vel_DX8_ObjectDataChannel::MapTexture(int set, int mode, bool reset) {
  if (set == 0 || set == 1) mappingMode_[set] = mode;
  if (reset)
    for (VertTUVOffset* adjustment : uvAdjustment_)
      if (adjustment) *adjustment = kNeutralAdjustment;
  switch (mode) {
    case 0:
    case 1:
    case 2: PlanarTexture(set, mode); break;
    case 3: CubicTexture(set, false); break;
    case 4: MakeSphereTexture(set); break;
    case 5: MakeCylinderTexture(set); break;
    case 6: CubicTexture(set, true); break;
    default: return;
  }
  DataChanged();
  InvalidateDeviceObjects();
  CreateVertexBuffer();
}

int Vel_DX8_ObjectDataChannel::GetTextureMapping(int set) {
  return set == 0 || set == 1 ? mappingMode_[set] : -1;
}

void Vel_DX8_ObjectDataChannel::CalculateTextureCoords(int set) {
  if ((set != 0 && set != 1) || !usePosition_ || !UVSetEnabled(set)) return;
  MapTexture(set, mappingMode_[set], false);
  const VertTUVOffset a = uvAdjustment_[set] ? *uvAdjustment_[set] : kNeutralAdjustment;
  VertTUV* uv = UVArray(set);
  const int32_t n = uv ? std::min(vertexCount_, UVLength(set)) : 0;
  for (int32_t i = 0; i < n; ++i) {
    uv[i].u = uv[i].u * a.scaleU - a.shiftU;
    uv[i].v = a.shiftV + uv[i].v * a.scaleV;
  }
  DataChanged();
  InvalidateDeviceObjects();
  CreateVertexBuffer();
}

void Vel_DX8_ObjectDataChannel::ScaleTexture(float u, float v, int set) {
  const int s = set == 0 ? 0 : 1;
  if (uvAdjustment_[s]) {
    uvAdjustment_[s]->scaleU *= u;
    uvAdjustment_[s]->scaleV *= v;
  }
  CalculateTextureCoords(s);
}

void Vel_DX8_ObjectDataChannel::ShiftTexture(float u, float v, int set) {
  const int s = set == 0 ? 0 : 1;
  if (uvAdjustment_[s]) {
    uvAdjustment_[s]->shiftU = u + uvAdjustment_[s]->offsetU;
    uvAdjustment_[s]->shiftV = v + uvAdjustment_[s]->offsetV;
  }
  CalculateTextureCoords(s);
}

void Vel_DX8_ObjectDataChannel::AddTextureOffset(float u, float v, int set) {
  const int s = set == 0 ? 0 : 1;
  if (uvAdjustment_[s]) {
    uvAdjustment_[s]->offsetU += u;
    uvAdjustment_[s]->offsetV += v;
  }
  if (s == 0 ? useUVSet1_ : useUVSet2_) ShiftTexture(0, 0, set);
}

VertTUVOffset Vel_DX8_ObjectDataChannel::GetTUVOffSet(int set) {
  const int s = set == 1 ? 1 : 0;
  return uvAdjustment_[s] ? *uvAdjustment_[s] : kNeutralAdjustment;
}

void Vel_DX8_ObjectDataChannel::SetTUVOffSet(int set, VertTUVOffset offset) {
  if ((set == 0 || set == 1) && uvAdjustment_[set]) *uvAdjustment_[set] = offset;
  ShiftTexture(0, 0, set);
  CalculateTextureCoords(set);
}

void Vel_DX8_ObjectDataChannel::RemapTexture() {
  MapTexture(0, mappingMode_[0], false);
  MapTexture(1, mappingMode_[1], false);
  CalculateTextureCoords(0);
  CalculateTextureCoords(1);
}

void Vel_DX8_ObjectDataChannel::NormalizeTexture(int set) {
  if (vertexCount_ <= 0 || !UVSetEnabled(set)) return;
  VertTUV* uv = UVArray(set);
  const int32_t n = uv ? std::min(vertexCount_, UVLength(set)) : 0;
  if (n <= 0) return;
  float minU = uv[0].u, maxU = uv[0].u, minV = uv[0].v, maxV = uv[0].v;
  for (int32_t i = 1; i < n; ++i) {
    minU = std::min(minU, uv[i].u);
    maxU = std::max(maxU, uv[i].u);
    minV = std::min(minV, uv[i].v);
    maxV = std::max(maxV, uv[i].v);
  }
  // A coordinate whose range is 0 (or too small to invert) stays as it is.
  const float inverseU = maxU - minU != 0 ? 1.0f / (maxU - minU) : 0.0f;
  const float inverseV = maxV - minV != 0 ? 1.0f / (maxV - minV) : 0.0f;
  for (int32_t i = 0; i < n; ++i) {
    if (inverseU != 0 && std::isfinite(inverseU)) uv[i].u = (uv[i].u - minU) * inverseU;
    if (inverseV != 0 && std::isfinite(inverseV)) uv[i].v = (uv[i].v - minV) * inverseV;
  }
  DataChanged();
  InvalidateDeviceObjects();
  CreateVertexBuffer();
}
