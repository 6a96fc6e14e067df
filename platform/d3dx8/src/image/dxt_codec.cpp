// DXT block decoding and a straightforward encoder: colour end points on the
// principal axis of the block's colours, alpha end points at its alpha range,
// each texel given the nearest entry of the resulting palettes.
#include "dxt_codec.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "argb_image.h"

namespace d3dx8 {
namespace {

uint32_t Expand565(uint32_t c, uint32_t* r, uint32_t* g, uint32_t* b) {
  uint32_t r5 = (c >> 11) & 0x1F, g6 = (c >> 5) & 0x3F, b5 = c & 0x1F;
  *r = (r5 << 3) | (r5 >> 2);
  *g = (g6 << 2) | (g6 >> 4);
  *b = (b5 << 3) | (b5 >> 2);
  return c;
}

uint32_t Pack565(uint32_t r, uint32_t g, uint32_t b) {
  return (((r * 31 + 127) / 255) << 11) | (((g * 63 + 127) / 255) << 5) | ((b * 31 + 127) / 255);
}

uint32_t Read16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t Read32(const uint8_t* p) { return Read16(p) | (Read16(p + 2) << 16); }
void Write16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

// The four colours of a colour block. DXT1 blocks whose first colour is not
// above the second have three colours and transparent black; the colour
// blocks of DXT3 and DXT5 always have four colours.
void ColourPalette(const uint8_t* block, bool allowTransparent, uint32_t palette[4]) {
  uint32_t c0 = Read16(block), c1 = Read16(block + 2);
  uint32_t r0, g0, b0, r1, g1, b1;
  Expand565(c0, &r0, &g0, &b0);
  Expand565(c1, &r1, &g1, &b1);
  palette[0] = PackArgb(0xFF, r0, g0, b0);
  palette[1] = PackArgb(0xFF, r1, g1, b1);
  if (c0 > c1 || !allowTransparent) {
    palette[2] = PackArgb(0xFF, (2 * r0 + r1 + 1) / 3, (2 * g0 + g1 + 1) / 3, (2 * b0 + b1 + 1) / 3);
    palette[3] = PackArgb(0xFF, (r0 + 2 * r1 + 1) / 3, (g0 + 2 * g1 + 1) / 3, (b0 + 2 * b1 + 1) / 3);
  } else {
    palette[2] = PackArgb(0xFF, (r0 + r1) / 2, (g0 + g1) / 2, (b0 + b1) / 2);
    palette[3] = 0;
  }
}

void AlphaPalette(uint32_t a0, uint32_t a1, uint32_t alphas[8]) {
  alphas[0] = a0;
  alphas[1] = a1;
  if (a0 > a1) {
    for (uint32_t i = 1; i < 7; ++i) alphas[i + 1] = ((7 - i) * a0 + i * a1 + 3) / 7;
  } else {
    for (uint32_t i = 1; i < 5; ++i) alphas[i + 1] = ((5 - i) * a0 + i * a1 + 2) / 5;
    alphas[6] = 0;
    alphas[7] = 255;
  }
}

uint32_t ColourDistance(uint32_t a, uint32_t b) {
  int dr = int(RedOf(a)) - int(RedOf(b)), dg = int(GreenOf(a)) - int(GreenOf(b)),
      db = int(BlueOf(a)) - int(BlueOf(b));
  return uint32_t(dr * dr + dg * dg + db * db);
}

// End points of a colour block: the two texels lying furthest apart along
// the principal axis of the texels' colours (found by power iteration on their
// covariance), so that colours along one line, the common case, are met.
void ChooseEndPoints(const uint32_t texels[16], bool transparentMode, uint32_t* first, uint32_t* second) {
  double mean[3] = {0, 0, 0};
  int count = 0;
  for (int i = 0; i < 16; ++i) {
    if (transparentMode && AlphaOf(texels[i]) < 128) continue;
    mean[0] += RedOf(texels[i]);
    mean[1] += GreenOf(texels[i]);
    mean[2] += BlueOf(texels[i]);
    ++count;
  }
  if (count == 0) {
    *first = *second = 0;
    return;
  }
  for (double& m : mean) m /= count;
  double cov[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
  for (int i = 0; i < 16; ++i) {
    if (transparentMode && AlphaOf(texels[i]) < 128) continue;
    const double d[3] = {RedOf(texels[i]) - mean[0], GreenOf(texels[i]) - mean[1], BlueOf(texels[i]) - mean[2]};
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) cov[r][c] += d[r] * d[c];
  }
  // Start from the covariance column of the widest channel: never orthogonal
  // to the principal axis unless all texels are alike.
  int widest = 0;
  for (int r = 1; r < 3; ++r)
    if (cov[r][r] > cov[widest][widest]) widest = r;
  double axis[3] = {cov[0][widest], cov[1][widest], cov[2][widest]};
  for (int iteration = 0; iteration < 8; ++iteration) {
    double next[3];
    for (int r = 0; r < 3; ++r) next[r] = cov[r][0] * axis[0] + cov[r][1] * axis[1] + cov[r][2] * axis[2];
    const double length = std::sqrt(next[0] * next[0] + next[1] * next[1] + next[2] * next[2]);
    if (length == 0) break;  // all texels the same colour
    for (int r = 0; r < 3; ++r) axis[r] = next[r] / length;
  }
  double lo = 1e30, hi = -1e30;
  *first = *second = 0;
  for (int i = 0; i < 16; ++i) {
    if (transparentMode && AlphaOf(texels[i]) < 128) continue;
    const double p = RedOf(texels[i]) * axis[0] + GreenOf(texels[i]) * axis[1] + BlueOf(texels[i]) * axis[2];
    if (p < lo) {
      lo = p;
      *second = texels[i];
    }
    if (p > hi) {
      hi = p;
      *first = texels[i];
    }
  }
}

void EncodeColourBlock(const uint32_t texels[16], bool transparentMode, uint8_t* block) {
  uint32_t high, low;
  ChooseEndPoints(texels, transparentMode, &high, &low);
  uint32_t c0 = Pack565(RedOf(high), GreenOf(high), BlueOf(high));
  uint32_t c1 = Pack565(RedOf(low), GreenOf(low), BlueOf(low));
  // Four-colour blocks need c0 > c1, three-colour blocks c0 <= c1.
  if (transparentMode ? c0 > c1 : c0 < c1) std::swap(c0, c1);
  Write16(block, c0);
  Write16(block + 2, c1);

  uint32_t palette[4];
  ColourPalette(block, transparentMode, palette);
  const int usable = (transparentMode || c0 == c1) ? 3 : 4;
  uint32_t indices = 0;
  for (int i = 0; i < 16; ++i) {
    uint32_t best = 0;
    if (transparentMode && AlphaOf(texels[i]) < 128) {
      best = 3;
    } else {
      uint32_t bestDistance = ~0u;
      for (int k = 0; k < usable; ++k) {
        uint32_t d = ColourDistance(texels[i], palette[k]);
        if (d < bestDistance) {
          bestDistance = d;
          best = uint32_t(k);
        }
      }
    }
    indices |= best << (2 * i);
  }
  Write16(block + 4, indices & 0xFFFF);
  Write16(block + 6, indices >> 16);
}

void EncodeAlphaBlock(const uint32_t texels[16], uint8_t* block) {
  uint32_t lo = 255, hi = 0;
  for (int i = 0; i < 16; ++i) {
    lo = std::min(lo, AlphaOf(texels[i]));
    hi = std::max(hi, AlphaOf(texels[i]));
  }
  block[0] = uint8_t(hi);
  block[1] = uint8_t(lo);
  uint32_t alphas[8];
  AlphaPalette(hi, lo, alphas);
  uint64_t bits = 0;
  for (int i = 0; i < 16; ++i) {
    uint32_t best = 0, bestDistance = ~0u;
    if (hi != lo) {
      for (uint32_t k = 0; k < 8; ++k) {
        int d = int(AlphaOf(texels[i])) - int(alphas[k]);
        if (uint32_t(d * d) < bestDistance) {
          bestDistance = uint32_t(d * d);
          best = k;
        }
      }
    }
    bits |= uint64_t(best) << (3 * i);
  }
  for (int i = 0; i < 6; ++i) block[2 + i] = uint8_t(bits >> (8 * i));
}

}  // namespace

void DecodeDxtBlock(DxtKind kind, const uint8_t* block, uint32_t texels[16]) {
  const uint8_t* colour = kind == DxtKind::kDxt1 ? block : block + 8;
  uint32_t palette[4];
  ColourPalette(colour, kind == DxtKind::kDxt1, palette);
  const uint32_t indices = Read32(colour + 4);
  for (int i = 0; i < 16; ++i) texels[i] = palette[(indices >> (2 * i)) & 3];

  if (kind == DxtKind::kDxt3) {
    for (int i = 0; i < 16; ++i) {
      uint32_t a = (block[i / 2] >> ((i & 1) * 4)) & 0x0F;
      texels[i] = (texels[i] & 0x00FFFFFF) | ((a * 17) << 24);
    }
  } else if (kind == DxtKind::kDxt5) {
    uint32_t alphas[8];
    AlphaPalette(block[0], block[1], alphas);
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i) texels[i] = (texels[i] & 0x00FFFFFF) | (alphas[(bits >> (3 * i)) & 7] << 24);
  }
}

void EncodeDxtBlock(DxtKind kind, const uint32_t texels[16], uint8_t* block) {
  if (kind == DxtKind::kDxt1) {
    bool transparent = false;
    for (int i = 0; i < 16; ++i) transparent |= AlphaOf(texels[i]) < 128;
    EncodeColourBlock(texels, transparent, block);
    return;
  }
  if (kind == DxtKind::kDxt3) {
    for (int i = 0; i < 8; ++i) {
      uint32_t lo = (AlphaOf(texels[2 * i]) * 15 + 127) / 255, hi = (AlphaOf(texels[2 * i + 1]) * 15 + 127) / 255;
      block[i] = uint8_t(lo | (hi << 4));
    }
  } else {
    EncodeAlphaBlock(texels, block);
  }
  EncodeColourBlock(texels, false, block + 8);
}

}  // namespace d3dx8
