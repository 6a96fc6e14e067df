// The part of the device state that decides which fixed-function program
// draws: vertex layout, lighting set-up, fog, texture coordinates and the
// texture-stage cascade. Two draws with equal keys share one compiled program.
// Every field is a byte so the key has no padding and compares as memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "device_state.h"
#include "texture_kind.h"

namespace d3d8 {

enum class FogKind : uint8_t { None = 0, Vertex = 1, Table = 2, SpecularAlpha = 3 };
enum class CoordGen : uint8_t { PassThrough = 0, CameraNormal = 1, CameraPosition = 2, Reflection = 3 };

struct StageKey {
  uint8_t colorOp, alphaOp;
  uint8_t colorArg[3];  // ARG0, ARG1, ARG2
  uint8_t alphaArg[3];
  uint8_t resultToTemp;
  uint8_t sampled;  // the stage reads its texture (coordinates needed)
  uint8_t cube;     // the texture is a cube texture (three coordinates)
  uint8_t coordSet;
  uint8_t coordGen;
  uint8_t transformCount;  // 0 without a texture transform
  uint8_t projected;
  uint8_t wrap;  // D3DRS_WRAPn of the coordinate set
  // The stage's texture matrix is the identity: the coordinates are only
  // extended, not multiplied.
  uint8_t identityTransform;
  // The pixels read only the first two coordinates (a 2D texture, neither
  // projected nor wrapped): two are handed on instead of four.
  uint8_t twoCoords;
};

struct FfpKey {
  uint8_t rhw;  // pre-transformed vertices
  uint8_t hasNormal, hasDiffuse, hasSpecular, hasPsize;
  uint8_t texSets;
  uint8_t texSetSize[8];
  uint8_t lighting, localViewer, normalizeNormals, specularEnable;
  // Colour sources after the vertex format was taken into account:
  // 0 material, 1 vertex diffuse, 2 vertex specular.
  uint8_t diffuseSource, ambientSource, specularSource, emissiveSource;
  uint8_t lightCount;
  uint8_t lightType[kMaxActiveLights];
  uint8_t fogKind;
  uint8_t fogMode;  // D3DFOG_* of the vertex or table fog
  uint8_t rangeFog;
  uint8_t fogFromW;  // table fog measures eye depth (perspective projection)
  uint8_t points, pointScale, pointSprite;
  uint8_t flatShade;
  uint8_t alphaFunc;  // 0: no alpha test
  uint8_t stageCount;
  StageKey stages[kStageCount];

  bool operator==(const FfpKey& o) const { return std::memcmp(this, &o, sizeof *this) == 0; }
};
static_assert(sizeof(FfpKey) % 1 == 0 && alignof(FfpKey) == 1, "the key is plain bytes");

struct FfpKeyHash {
  size_t operator()(const FfpKey& k) const;
};

// Components (1..4) of texture-coordinate set `set` in an FVF code.
int FvfTexCoordSize(DWORD fvf, int set);
// Bytes of one vertex of an FVF code; 0 for an invalid code (and for any
// value with bit 0 set, which is a vertex-shader handle).
UINT FvfStride(DWORD fvf);

// Builds the key for a draw with the given vertex format and primitive.
// `textures[s]`: what stage s has bound.
void BuildFfpKey(const DeviceState& state, DWORD fvf, bool points, const TextureKind textures[kStageCount],
                 FfpKey* key);

// Whether a stage argument references the given source.
inline bool ArgIs(uint8_t arg, DWORD source) { return (arg & D3DTA_SELECTMASK) == source; }

}  // namespace d3d8
