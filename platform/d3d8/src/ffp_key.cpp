#include "ffp_key.h"

#include "matrix_math.h"

namespace d3d8 {

size_t FfpKeyHash::operator()(const FfpKey& k) const {
  // FNV-1a over the key's bytes.
  const auto* p = reinterpret_cast<const unsigned char*>(&k);
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < sizeof k; ++i) {
    h ^= p[i];
    h *= 1099511628211ull;
  }
  return static_cast<size_t>(h);
}

int FvfTexCoordSize(DWORD fvf, int set) {
  switch ((fvf >> (16 + 2 * set)) & 3) {
    case D3DFVF_TEXTUREFORMAT1: return 1;
    case D3DFVF_TEXTUREFORMAT3: return 3;
    case D3DFVF_TEXTUREFORMAT4: return 4;
    default: return 2;
  }
}

UINT FvfStride(DWORD fvf) {
  if (fvf & 1u) return 0;  // bit 0 marks vertex-shader handles, never a format
  UINT size = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: size = 12; break;
    case D3DFVF_XYZRHW: size = 16; break;
    case D3DFVF_XYZB1: size = 16; break;
    case D3DFVF_XYZB2: size = 20; break;
    case D3DFVF_XYZB3: size = 24; break;
    case D3DFVF_XYZB4: size = 28; break;
    case D3DFVF_XYZB5: size = 32; break;
    default: return 0;
  }
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_PSIZE) size += 4;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_SPECULAR) size += 4;
  int sets = static_cast<int>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  if (sets > 8) return 0;
  for (int i = 0; i < sets; ++i) size += 4 * static_cast<UINT>(FvfTexCoordSize(fvf, i));
  return size;
}

namespace {

bool OpUsesArg(DWORD op, int arg) {  // arg: 0, 1 or 2
  switch (op) {
    case D3DTOP_DISABLE: return false;
    case D3DTOP_SELECTARG1: return arg == 1;
    case D3DTOP_SELECTARG2: return arg == 2;
    case D3DTOP_MULTIPLYADD:
    case D3DTOP_LERP: return true;
    case D3DTOP_BUMPENVMAP:
    case D3DTOP_BUMPENVMAPLUMINANCE: return false;
    default: return arg != 0;
  }
}

uint8_t SourceFor(DWORD rsValue, bool colorVertex, bool hasDiffuse, bool hasSpecular) {
  if (!colorVertex) return 0;
  if (rsValue == D3DMCS_COLOR1 && hasDiffuse) return 1;
  if (rsValue == D3DMCS_COLOR2 && hasSpecular) return 2;
  return 0;  // a missing vertex colour falls back to the material
}

}  // namespace

void BuildFfpKey(const DeviceState& st, DWORD fvf, bool points, const TextureKind textures[kStageCount], FfpKey* k) {
  std::memset(k, 0, sizeof *k);
  const DWORD* rs = st.renderStates;
  k->rhw = (fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
  k->hasNormal = (fvf & D3DFVF_NORMAL) != 0;
  k->hasDiffuse = (fvf & D3DFVF_DIFFUSE) != 0;
  k->hasSpecular = (fvf & D3DFVF_SPECULAR) != 0;
  k->hasPsize = (fvf & D3DFVF_PSIZE) != 0;
  k->texSets = static_cast<uint8_t>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  if (k->texSets > 8) k->texSets = 8;
  for (int i = 0; i < k->texSets; ++i) k->texSetSize[i] = static_cast<uint8_t>(FvfTexCoordSize(fvf, i));

  // Lighting applies to untransformed vertices only.
  k->lighting = !k->rhw && rs[D3DRS_LIGHTING] != 0;
  k->localViewer = !k->rhw && rs[D3DRS_LOCALVIEWER] != 0;
  if (k->lighting) {
    k->normalizeNormals = rs[D3DRS_NORMALIZENORMALS] != 0;
    const bool cv = rs[D3DRS_COLORVERTEX] != 0;
    k->diffuseSource = SourceFor(rs[D3DRS_DIFFUSEMATERIALSOURCE], cv, k->hasDiffuse, k->hasSpecular);
    k->ambientSource = SourceFor(rs[D3DRS_AMBIENTMATERIALSOURCE], cv, k->hasDiffuse, k->hasSpecular);
    k->specularSource = SourceFor(rs[D3DRS_SPECULARMATERIALSOURCE], cv, k->hasDiffuse, k->hasSpecular);
    k->emissiveSource = SourceFor(rs[D3DRS_EMISSIVEMATERIALSOURCE], cv, k->hasDiffuse, k->hasSpecular);
    for (const auto& [index, slot] : st.lights) {
      if (!slot.enabled) continue;
      if (k->lightCount == kMaxActiveLights) break;  // lights beyond the device's limit are not used
      k->lightType[k->lightCount++] = static_cast<uint8_t>(slot.light.Type);
    }
  }

  if (rs[D3DRS_FOGENABLE]) {
    const DWORD table = rs[D3DRS_FOGTABLEMODE], vertex = rs[D3DRS_FOGVERTEXMODE];
    if (table >= D3DFOG_EXP && table <= D3DFOG_LINEAR) {
      k->fogKind = static_cast<uint8_t>(FogKind::Table);
      k->fogMode = static_cast<uint8_t>(table);
      const D3DMATRIX& p = st.transforms[kProjectionSlot];
      k->fogFromW = !k->rhw && p._34 != 0.0f;
    } else if (!k->rhw && vertex >= D3DFOG_EXP && vertex <= D3DFOG_LINEAR) {
      k->fogKind = static_cast<uint8_t>(FogKind::Vertex);
      k->fogMode = static_cast<uint8_t>(vertex);
      k->rangeFog = rs[D3DRS_RANGEFOGENABLE] != 0;
    } else {
      // Without a fog formula the fog factor is the alpha of the vertex's
      // specular colour; vertices without one are not fogged, as the
      // hardware of the time treated a missing fog value as no fog.
      k->fogKind = static_cast<uint8_t>(k->hasSpecular ? FogKind::SpecularAlpha : FogKind::None);
    }
  }

  k->points = points;
  if (points) {
    k->pointScale = !k->rhw && rs[D3DRS_POINTSCALEENABLE] != 0;
    k->pointSprite = rs[D3DRS_POINTSPRITEENABLE] != 0;
  }
  k->flatShade = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  if (rs[D3DRS_ALPHATESTENABLE] && rs[D3DRS_ALPHAFUNC] != D3DCMP_ALWAYS &&
      rs[D3DRS_ALPHAFUNC] >= D3DCMP_NEVER && rs[D3DRS_ALPHAFUNC] <= D3DCMP_GREATEREQUAL)
    k->alphaFunc = static_cast<uint8_t>(rs[D3DRS_ALPHAFUNC]);
  // The fixed-function specular sum is added only with SPECULARENABLE.
  k->specularEnable = rs[D3DRS_SPECULARENABLE] != 0;

  // The cascade runs up to the first stage whose colour operation is DISABLE.
  for (int s = 0; s < kStageCount; ++s) {
    const DWORD* t = st.stageStates[s];
    DWORD cop = t[D3DTSS_COLOROP];
    if (cop < D3DTOP_SELECTARG1 || cop > D3DTOP_LERP) break;
    StageKey& sk = k->stages[s];
    DWORD aop = t[D3DTSS_ALPHAOP];
    if (aop < D3DTOP_DISABLE || aop > D3DTOP_LERP) aop = D3DTOP_DISABLE;
    sk.colorOp = static_cast<uint8_t>(cop);
    sk.alphaOp = static_cast<uint8_t>(aop);
    const DWORD cargs[3] = {t[D3DTSS_COLORARG0], t[D3DTSS_COLORARG1], t[D3DTSS_COLORARG2]};
    const DWORD aargs[3] = {t[D3DTSS_ALPHAARG0], t[D3DTSS_ALPHAARG1], t[D3DTSS_ALPHAARG2]};
    bool readsTexture = cop == D3DTOP_BLENDTEXTUREALPHA || cop == D3DTOP_BLENDTEXTUREALPHAPM ||
                        cop == D3DTOP_BUMPENVMAP || cop == D3DTOP_BUMPENVMAPLUMINANCE ||
                        aop == D3DTOP_BLENDTEXTUREALPHA || aop == D3DTOP_BLENDTEXTUREALPHAPM;
    for (int a = 0; a < 3; ++a) {
      if (OpUsesArg(cop, a)) {
        sk.colorArg[a] = static_cast<uint8_t>(cargs[a] & 0x3F);
        readsTexture |= ArgIs(sk.colorArg[a], D3DTA_TEXTURE);
      }
      if (OpUsesArg(aop, a)) {
        sk.alphaArg[a] = static_cast<uint8_t>(aargs[a] & 0x3F);
        readsTexture |= ArgIs(sk.alphaArg[a], D3DTA_TEXTURE);
      }
    }
    // A stage after a bump-mapping stage reads its texture with perturbed
    // coordinates even when no argument names it.
    if (s > 0 && (k->stages[s - 1].colorOp == D3DTOP_BUMPENVMAP ||
                  k->stages[s - 1].colorOp == D3DTOP_BUMPENVMAPLUMINANCE))
      readsTexture = true;
    sk.resultToTemp = (t[D3DTSS_RESULTARG] & D3DTA_SELECTMASK) == D3DTA_TEMP;
    sk.sampled = readsTexture && textures[s] != TextureKind::None;
    if (sk.sampled) {
      sk.cube = textures[s] == TextureKind::Cube;
      const DWORD tci = t[D3DTSS_TEXCOORDINDEX];
      sk.coordSet = static_cast<uint8_t>(tci & 7);
      sk.coordGen = static_cast<uint8_t>((tci >> 16) & 3);
      if (k->rhw) sk.coordGen = 0;  // no generation for pre-transformed vertices
      const DWORD ttff = t[D3DTSS_TEXTURETRANSFORMFLAGS];
      sk.transformCount = k->rhw ? 0 : static_cast<uint8_t>(ttff & 7);
      if (sk.transformCount > 4) sk.transformCount = 0;
      sk.projected = (ttff & D3DTTFF_PROJECTED) != 0;
      if (!points || !k->pointSprite) sk.wrap = static_cast<uint8_t>(rs[D3DRS_WRAP0 + sk.coordSet] & 0xF);
      sk.identityTransform = sk.transformCount != 0 && IsIdentity(st.transforms[kTextureSlot0 + s]);
      sk.twoCoords = !sk.cube && !sk.projected && !sk.wrap;
    }
    k->stageCount = static_cast<uint8_t>(s + 1);
  }
}

}  // namespace d3d8
