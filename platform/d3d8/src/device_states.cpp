// Setters and getters of the device state: render and texture-stage states,
// transforms, viewport, material, lights, textures, streams and indices.
// While a state block is being recorded the setters record instead of
// changing the device.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "buffers.h"
#include "device.h"
#include "matrix_math.h"
#include "state_block.h"
#include "surface.h"
#include "base_texture.h"

namespace d3d8 {

// ---------------------------------------------------------------------------
// What a change invalidates
// ---------------------------------------------------------------------------

void Device::MarkRenderState(DWORD state) {
  switch (state) {
    case D3DRS_FOGENABLE:
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGVERTEXMODE:
    case D3DRS_RANGEFOGENABLE:
    case D3DRS_LIGHTING:
    case D3DRS_COLORVERTEX:
    case D3DRS_LOCALVIEWER:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
    case D3DRS_SPECULARENABLE:
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAFUNC:
    case D3DRS_SHADEMODE:
    case D3DRS_POINTSCALEENABLE:
    case D3DRS_POINTSPRITEENABLE:
    case D3DRS_WRAP0:
    case D3DRS_WRAP1:
    case D3DRS_WRAP2:
    case D3DRS_WRAP3:
    case D3DRS_WRAP4:
    case D3DRS_WRAP5:
    case D3DRS_WRAP6:
    case D3DRS_WRAP7:
      dirty_ |= kDirtyKey;
      break;
    case D3DRS_ZENABLE:
    case D3DRS_FILLMODE:
    case D3DRS_ZWRITEENABLE:
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_CULLMODE:
    case D3DRS_ZFUNC:
    case D3DRS_DITHERENABLE:
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_ZBIAS:
    case D3DRS_STENCILENABLE:
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS:
    case D3DRS_STENCILFUNC:
    case D3DRS_STENCILREF:
    case D3DRS_STENCILMASK:
    case D3DRS_STENCILWRITEMASK:
    case D3DRS_COLORWRITEENABLE:
    case D3DRS_BLENDOP:
      dirty_ |= kDirtyRaster;
      break;
    case D3DRS_FOGCOLOR:
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
      BumpGroup(kGroupFog);
      break;
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_ALPHAREF:
      BumpGroup(kGroupPixel);
      break;
    case D3DRS_AMBIENT:
      BumpGroup(kGroupLights);
      break;
    case D3DRS_POINTSIZE:
    case D3DRS_POINTSIZE_MIN:
    case D3DRS_POINTSIZE_MAX:
    case D3DRS_POINTSCALE_A:
    case D3DRS_POINTSCALE_B:
    case D3DRS_POINTSCALE_C:
      BumpGroup(kGroupPoint);
      break;
    default:
      break;
  }
}

namespace {

// The stage states the fixed-function key is built from.
bool IsStageKeyState(DWORD type) {
  switch (type) {
    case D3DTSS_COLOROP:
    case D3DTSS_COLORARG0:
    case D3DTSS_COLORARG1:
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAOP:
    case D3DTSS_ALPHAARG0:
    case D3DTSS_ALPHAARG1:
    case D3DTSS_ALPHAARG2:
    case D3DTSS_RESULTARG:
    case D3DTSS_TEXCOORDINDEX:
    case D3DTSS_TEXTURETRANSFORMFLAGS:
      return true;
    default:
      return false;
  }
}

}  // namespace

void Device::MarkStageState(DWORD stage, DWORD type) {
  if (IsStageKeyState(type)) {
    dirty_ |= kDirtyStageKey;
    return;
  }
  switch (type) {
    case D3DTSS_BUMPENVMAT00:
    case D3DTSS_BUMPENVMAT01:
    case D3DTSS_BUMPENVMAT10:
    case D3DTSS_BUMPENVMAT11:
    case D3DTSS_BUMPENVLSCALE:
    case D3DTSS_BUMPENVLOFFSET:
      BumpGroup(kGroupPixel);
      break;
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
    case D3DTSS_ADDRESSW:
    case D3DTSS_BORDERCOLOR:
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER:
    case D3DTSS_MIPFILTER:
    case D3DTSS_MIPMAPLODBIAS:
    case D3DTSS_MAXMIPLEVEL:
    case D3DTSS_MAXANISOTROPY:
      samplerDirty_ |= static_cast<uint8_t>(1u << stage);
      break;
    default:
      break;
  }
}

void Device::CountStageKeyChange(DWORD stage, DWORD type, DWORD before, DWORD after) {
  const DWORD built = keyStageStates_[stage][type];
  stageKeyDifferences_ += (after != built ? 1 : 0) - (before != built ? 1 : 0);
}

void Device::CountTextureKindChange(DWORD stage, TextureKind before, TextureKind after) {
  const TextureKind built = keyTextureKinds_[stage];
  stageKeyDifferences_ += (after != built ? 1 : 0) - (before != built ? 1 : 0);
}

void Device::MarkTransform(int slot) {
  if (slot < kViewSlot || slot == kProjectionSlot) BumpGroup(kGroupTransform);
  if (slot == kViewSlot || slot == kProjectionSlot) ++viewProjVersion_;
  if (slot == kViewSlot) {
    BumpGroup(kGroupTransform);
    BumpGroup(kGroupLights);  // lights are handed to the shaders in camera space
  }
  if (slot == kProjectionSlot) dirty_ |= kDirtyKey;  // table fog measures w only in perspective
  if (slot >= kTextureSlot0) {
    BumpGroup(kGroupTexMatrix);
    const uint8_t bit = static_cast<uint8_t>(1u << (slot - kTextureSlot0));
    const uint8_t identity = IsIdentity(state_.transforms[slot]) ? bit : 0;
    if ((textureMatrixIdentity_ & bit) != identity) {
      textureMatrixIdentity_ = static_cast<uint8_t>((textureMatrixIdentity_ & ~bit) | identity);
      dirty_ |= kDirtyKey;
    }
  }
}

// ---------------------------------------------------------------------------
// Render states
// ---------------------------------------------------------------------------

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (static_cast<DWORD>(state) >= kRenderStateCount) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->RecordRenderState(state, value);
    return D3D_OK;
  }
  if (state_.renderStates[state] == value) return D3D_OK;
  state_.renderStates[state] = value;
  MarkRenderState(state);
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* pValue) {
  if (!pValue || static_cast<DWORD>(state) >= kRenderStateCount) return D3DERR_INVALIDCALL;
  *pValue = state_.renderStates[state];
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= kStageCount || static_cast<DWORD>(type) >= kStageStateCount) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->RecordStageState(stage, type, value);
    return D3D_OK;
  }
  if (state_.stageStates[stage][type] == value) return D3D_OK;
  if (IsStageKeyState(type)) CountStageKeyChange(stage, type, state_.stageStates[stage][type], value);
  state_.stageStates[stage][type] = value;
  MarkStageState(stage, type);
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* pValue) {
  if (!pValue || stage >= kStageCount || static_cast<DWORD>(type) >= kStageStateCount) return D3DERR_INVALIDCALL;
  *pValue = state_.stageStates[stage][type];
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Transforms and viewport
// ---------------------------------------------------------------------------

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* pMatrix) {
  int slot = TransformSlotOf(state);
  if (slot < 0 || !pMatrix) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->RecordTransform(slot, *pMatrix);
    return D3D_OK;
  }
  if (std::memcmp(&state_.transforms[slot], pMatrix, sizeof(D3DMATRIX)) == 0) return D3D_OK;
  state_.transforms[slot] = *pMatrix;
  MarkTransform(slot);
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* pMatrix) {
  int slot = TransformSlotOf(state);
  if (slot < 0 || !pMatrix) return D3DERR_INVALIDCALL;
  *pMatrix = state_.transforms[slot];
  return D3D_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* pMatrix) {
  int slot = TransformSlotOf(state);
  if (slot < 0 || !pMatrix) return D3DERR_INVALIDCALL;
  // The given matrix multiplies the current one from the left.
  D3DMATRIX m = Multiply(*pMatrix, state_.transforms[slot]);
  return SetTransform(state, &m);
}

HRESULT Device::SetViewport(const D3DVIEWPORT8* pViewport) {
  if (!pViewport) return D3DERR_INVALIDCALL;
  const D3DVIEWPORT8& v = *pViewport;
  // The viewport must lie inside the render target, with depths in [0, 1].
  if (v.Width == 0 || v.Height == 0 || static_cast<uint64_t>(v.X) + v.Width > renderTarget_->width() ||
      static_cast<uint64_t>(v.Y) + v.Height > renderTarget_->height() || !(v.MinZ >= 0.0f) || !(v.MaxZ <= 1.0f) ||
      !(v.MinZ <= v.MaxZ))
    return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->RecordViewport(v);
    return D3D_OK;
  }
  state_.viewport = v;
  dirty_ |= kDirtyViewport;
  BumpGroup(kGroupViewport);
  BumpGroup(kGroupTransform);
  BumpGroup(kGroupPoint);
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT8* pViewport) {
  if (!pViewport) return D3DERR_INVALIDCALL;
  *pViewport = state_.viewport;
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Material and lights
// ---------------------------------------------------------------------------

HRESULT Device::SetMaterial(const D3DMATERIAL8* pMaterial) {
  if (!pMaterial) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->RecordMaterial(*pMaterial);
    return D3D_OK;
  }
  // Surfaces set their material before every draw, mostly the same one.
  if (std::memcmp(&state_.material, pMaterial, sizeof state_.material) == 0) return D3D_OK;
  state_.material = *pMaterial;
  BumpGroup(kGroupMaterial);
  return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL8* pMaterial) {
  if (!pMaterial) return D3DERR_INVALIDCALL;
  *pMaterial = state_.material;
  return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* pLight) {
  if (!pLight) return D3DERR_INVALIDCALL;
  const D3DLIGHT8& l = *pLight;
  if (l.Type != D3DLIGHT_POINT && l.Type != D3DLIGHT_SPOT && l.Type != D3DLIGHT_DIRECTIONAL)
    return D3DERR_INVALIDCALL;
  if (l.Type != D3DLIGHT_DIRECTIONAL && (!(l.Range >= 0.0f) || l.Range > std::sqrt(3.4e38f)))
    return D3DERR_INVALIDCALL;
  if (l.Type == D3DLIGHT_SPOT && (!(l.Theta >= 0.0f) || !(l.Phi >= l.Theta) || l.Phi > 3.1415927f))
    return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->RecordLight(index, l);
    return D3D_OK;
  }
  auto it = state_.lights.find(index);
  if (it == state_.lights.end()) {
    state_.lights[index].light = l;
  } else {
    if (it->second.enabled && it->second.light.Type != l.Type) dirty_ |= kDirtyKey;
    it->second.light = l;
  }
  BumpGroup(kGroupLights);
  return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT8* pLight) {
  if (!pLight) return D3DERR_INVALIDCALL;
  auto it = state_.lights.find(index);
  if (it == state_.lights.end()) return D3DERR_INVALIDCALL;
  *pLight = it->second.light;
  return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  if (recording_) {
    recording_->RecordLightEnable(index, enable != 0);
    return D3D_OK;
  }
  auto it = state_.lights.find(index);
  if (it == state_.lights.end()) {
    if (!enable) return D3D_OK;
    // Enabling a light that was never set creates the default light.
    it = state_.lights.emplace(index, LightSlot{DefaultLight(), false}).first;
  }
  if (it->second.enabled != (enable != 0)) {
    it->second.enabled = enable != 0;
    dirty_ |= kDirtyKey;
    BumpGroup(kGroupLights);
  }
  return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* pEnable) {
  if (!pEnable) return D3DERR_INVALIDCALL;
  auto it = state_.lights.find(index);
  if (it == state_.lights.end()) return D3DERR_INVALIDCALL;
  *pEnable = it->second.enabled ? TRUE : FALSE;
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Textures, streams, indices
// ---------------------------------------------------------------------------

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* pTexture) {
  if (stage >= kStageCount) return D3DERR_INVALIDCALL;
  BaseTexture* t = BaseTextureOf(pTexture);
  if (t && t->device() != this) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->RecordTexture(stage, t);
    return D3D_OK;
  }
  if (state_.textures[stage] == t) return D3D_OK;
  // The programs differ by what each stage samples: nothing, 2D or cube.
  const TextureKind before = TextureKindOf(state_.textures[stage]), after = TextureKindOf(t);
  if (before != after) {
    dirty_ |= kDirtyStageKey;
    CountTextureKindChange(stage, before, after);
  }
  BindRef<BaseTexture>(state_.textures[stage], t);
  dirty_ |= kDirtyTextures;
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture8** ppTexture) {
  if (!ppTexture || stage >= kStageCount) return D3DERR_INVALIDCALL;
  BaseTexture* t = state_.textures[stage];
  *ppTexture = t ? t->Interface() : nullptr;
  if (t) t->AddRefPublic();
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* pStreamData, UINT stride) {
  if (streamNumber >= kStreamCount) return D3DERR_INVALIDCALL;
  VertexBuffer* vb = static_cast<VertexBuffer*>(pStreamData);
  if (vb && vb->device() != this) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->RecordStream(streamNumber, vb, stride);
    return D3D_OK;
  }
  BindRef<VertexBuffer>(state_.streams[streamNumber], vb);
  state_.strides[streamNumber] = stride;
  return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** ppStreamData, UINT* pStride) {
  if (!ppStreamData || !pStride || streamNumber >= kStreamCount) return D3DERR_INVALIDCALL;
  VertexBuffer* vb = state_.streams[streamNumber];
  if (vb) vb->AddRef();
  *ppStreamData = vb;
  *pStride = state_.strides[streamNumber];
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* pIndexData, UINT baseVertexIndex) {
  IndexBuffer* ib = static_cast<IndexBuffer*>(pIndexData);
  if (ib && ib->device() != this) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->RecordIndices(ib, baseVertexIndex);
    return D3D_OK;
  }
  BindRef<IndexBuffer>(state_.indices, ib);
  state_.baseVertexIndex = baseVertexIndex;
  return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer8** ppIndexData, UINT* pBaseVertexIndex) {
  if (!ppIndexData || !pBaseVertexIndex) return D3DERR_INVALIDCALL;
  IndexBuffer* ib = state_.indices;
  if (ib) ib->AddRef();
  *ppIndexData = ib;
  *pBaseVertexIndex = state_.baseVertexIndex;
  return D3D_OK;
}

}  // namespace d3d8
