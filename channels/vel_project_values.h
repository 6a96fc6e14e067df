// Turning values that come from a project (float children, loaded records)
// into device settings: conversions that saturate instead of overflowing, and
// substitutes for values that are not finite, so that no NaN or infinity
// reaches a device state.
#pragma once

#include <d3dx8/d3dx8math.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace vel {

// v truncated toward zero and limited to the range of int32; NaN gives 0.
inline int32_t SaturateToInt(float v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0f) return INT32_MAX;
  if (v <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// The one rule by which every channel turns a colour component of a float or
// vector child into its byte: v x scale (255 unless a channel's own scale
// says otherwise) truncated toward zero and saturated to 0..255; NaN gives 0.
// A component above 1.0 is full intensity, never a wrapped low byte.
inline uint32_t ColorByte(float v, float scale = 255.0f) {
  float scaled = v * scale;
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= 255.0f) return 255;
  return static_cast<uint32_t>(scaled);
}

// Three components by that rule, packed 0x00RRGGBB.
inline uint32_t ColorBytes(float r, float g, float b, float scale = 255.0f) {
  return ColorByte(r, scale) << 16 | ColorByte(g, scale) << 8 | ColorByte(b, scale);
}
inline uint32_t ColorBytes(const D3DXVECTOR3& rgb, float scale = 255.0f) {
  return ColorBytes(rgb.x, rgb.y, rgb.z, scale);
}

// v when it is finite, else `otherwise`.
inline float FiniteOr(float v, float otherwise) { return std::isfinite(v) ? v : otherwise; }

// A float is finite unless its exponent bits are all set (infinity, NaN);
// tested without a branch per value, as every drawn matrix passes here.
inline bool AllFinite(const float* values, int n) {
  uint32_t finite = 1;
  for (int i = 0; i < n; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &values[i], sizeof bits);
    finite &= (bits & 0x7f800000u) != 0x7f800000u;
  }
  return finite != 0;
}
inline bool AllFinite(const D3DXMATRIX& m) { return AllFinite(&m.m[0][0], 16); }
inline bool AllFinite(const D3DXVECTOR3& v) { return AllFinite(&v.x, 3); }

// The inverse of m into out when m is finite and invertible and the inverse
// is finite; otherwise out is left as it was and the answer is false.
inline bool InvertFinite(const D3DXMATRIX& m, D3DXMATRIX* out) {
  D3DXMATRIX inverse;
  if (!AllFinite(m) || !D3DXMatrixInverse(&inverse, nullptr, &m) || !AllFinite(inverse)) return false;
  *out = inverse;
  return true;
}

}  // namespace vel
