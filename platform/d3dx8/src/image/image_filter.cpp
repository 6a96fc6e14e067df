// Image scaling filters.
#include "image_filter.h"

#include <d3dx8/d3dx8core.h>
#include <d3dx8/d3dx8tex.h>

#include <algorithm>
#include <cmath>

namespace d3dx8 {
namespace {

DWORD KindOf(DWORD filter) { return filter & 0xFF; }

void CopyUnscaled(const ArgbImage& src, ArgbImage* dst) {
  const UINT w = std::min(src.width, dst->width), h = std::min(src.height, dst->height);
  for (UINT y = 0; y < h; ++y) std::copy(src.Row(y), src.Row(y) + w, dst->Row(y));
}

void ScalePoint(const ArgbImage& src, ArgbImage* dst) {
  for (UINT y = 0; y < dst->height; ++y) {
    const UINT sy = UINT((uint64_t(y) * 2 + 1) * src.height / (uint64_t(dst->height) * 2));
    for (UINT x = 0; x < dst->width; ++x) {
      const UINT sx = UINT((uint64_t(x) * 2 + 1) * src.width / (uint64_t(dst->width) * 2));
      dst->At(x, y) = src.At(sx, sy);
    }
  }
}

// Index of texel i of an axis of n texels, wrapped or mirrored into range.
int Fold(int i, int n, bool mirror) {
  if (mirror) {
    const int period = 2 * n;
    i %= period;
    if (i < 0) i += period;
    return i < n ? i : period - 1 - i;
  }
  i %= n;
  return i < 0 ? i + n : i;
}

void ScaleLinear(const ArgbImage& src, ArgbImage* dst, bool mirrorU, bool mirrorV) {
  const double sxScale = double(src.width) / dst->width, syScale = double(src.height) / dst->height;
  for (UINT y = 0; y < dst->height; ++y) {
    const double fy = (y + 0.5) * syScale - 0.5;
    const int y0 = int(std::floor(fy));
    const double ty = fy - y0;
    const int ya = Fold(y0, int(src.height), mirrorV), yb = Fold(y0 + 1, int(src.height), mirrorV);
    for (UINT x = 0; x < dst->width; ++x) {
      const double fx = (x + 0.5) * sxScale - 0.5;
      const int x0 = int(std::floor(fx));
      const double tx = fx - x0;
      const int xa = Fold(x0, int(src.width), mirrorU), xb = Fold(x0 + 1, int(src.width), mirrorU);
      const uint32_t c00 = src.At(xa, ya), c10 = src.At(xb, ya), c01 = src.At(xa, yb), c11 = src.At(xb, yb);
      uint32_t result = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        const double v = ((c00 >> shift) & 0xFF) * (1 - tx) * (1 - ty) + ((c10 >> shift) & 0xFF) * tx * (1 - ty) +
                         ((c01 >> shift) & 0xFF) * (1 - tx) * ty + ((c11 >> shift) & 0xFF) * tx * ty;
        result |= uint32_t(std::lround(std::clamp(v, 0.0, 255.0))) << shift;
      }
      dst->At(x, y) = result;
    }
  }
}

// Reduction by whole factors: each target texel is the rounded mean of a
// kx x ky block of source texels.
void ReduceByBlocks(const ArgbImage& src, ArgbImage* dst, UINT kx, UINT ky) {
  const uint32_t count = kx * ky;
  for (UINT y = 0; y < dst->height; ++y) {
    for (UINT x = 0; x < dst->width; ++x) {
      uint32_t sums[4] = {0, 0, 0, 0};
      for (UINT j = 0; j < ky; ++j) {
        const uint32_t* row = src.Row(y * ky + j) + size_t(x) * kx;
        for (UINT i = 0; i < kx; ++i)
          for (int c = 0; c < 4; ++c) sums[c] += (row[i] >> (8 * c)) & 0xFF;
      }
      uint32_t result = 0;
      for (int c = 0; c < 4; ++c) result |= ((sums[c] + count / 2) / count) << (8 * c);
      dst->At(x, y) = result;
    }
  }
}

// Area-weighted average for any ratio: a target texel covers a rectangle of
// the source, and each source texel counts by the part of it inside.
void ScaleByArea(const ArgbImage& src, ArgbImage* dst) {
  const double sxScale = double(src.width) / dst->width, syScale = double(src.height) / dst->height;
  for (UINT y = 0; y < dst->height; ++y) {
    const double top = y * syScale, bottom = (y + 1) * syScale;
    for (UINT x = 0; x < dst->width; ++x) {
      const double left = x * sxScale, right = (x + 1) * sxScale;
      double sums[4] = {0, 0, 0, 0};
      double total = 0;
      for (UINT sy = UINT(top); sy < src.height && sy < bottom; ++sy) {
        const double wy = std::min<double>(sy + 1, bottom) - std::max<double>(sy, top);
        for (UINT sx = UINT(left); sx < src.width && sx < right; ++sx) {
          const double w = wy * (std::min<double>(sx + 1, right) - std::max<double>(sx, left));
          if (w <= 0) continue;
          const uint32_t c = src.At(sx, sy);
          for (int k = 0; k < 4; ++k) sums[k] += w * ((c >> (8 * k)) & 0xFF);
          total += w;
        }
      }
      uint32_t result = 0;
      if (total > 0)
        for (int k = 0; k < 4; ++k)
          result |= uint32_t(std::lround(std::clamp(sums[k] / total, 0.0, 255.0))) << (8 * k);
      dst->At(x, y) = result;
    }
  }
}

}  // namespace

bool FilterIsValid(DWORD filter) {
  if (filter == D3DX_DEFAULT) return true;
  const DWORD kind = KindOf(filter);
  if (kind < D3DX_FILTER_NONE || kind > D3DX_FILTER_BOX) return false;
  return (filter & ~DWORD(0xFF | D3DX_FILTER_MIRROR | D3DX_FILTER_DITHER)) == 0;
}

ArgbImage ScaleImage(const ArgbImage& src, UINT width, UINT height, DWORD filter) {
  ArgbImage dst(width, height, 0);
  if (src.width == 0 || src.height == 0 || width == 0 || height == 0) return dst;
  const DWORD kind = filter == D3DX_DEFAULT ? D3DX_FILTER_TRIANGLE : KindOf(filter);
  if (kind == D3DX_FILTER_NONE || (src.width == width && src.height == height)) {
    CopyUnscaled(src, &dst);
  } else if (kind == D3DX_FILTER_POINT) {
    ScalePoint(src, &dst);
  } else if (kind == D3DX_FILTER_LINEAR) {
    ScaleLinear(src, &dst, (filter & D3DX_FILTER_MIRROR_U) != 0, (filter & D3DX_FILTER_MIRROR_V) != 0);
  } else if (src.width % width == 0 && src.height % height == 0) {
    ReduceByBlocks(src, &dst, src.width / width, src.height / height);
  } else {
    ScaleByArea(src, &dst);
  }
  return dst;
}

ArgbImage NextMipLevel(const ArgbImage& src, DWORD filter) {
  const DWORD mipFilter = filter == D3DX_DEFAULT ? D3DX_FILTER_BOX : filter;
  return ScaleImage(src, std::max<UINT>(1, src.width / 2), std::max<UINT>(1, src.height / 2), mipFilter);
}

void ApplyColorKey(ArgbImage* image, DWORD key) {
  if (key == 0) return;
  for (uint32_t& texel : image->texels)
    if (texel == key) texel = 0;
}

}  // namespace d3dx8
