#include "state_block.h"

#include <cstring>

#include "buffers.h"
#include "device.h"
#include "base_texture.h"

namespace d3d8 {
namespace {

// Render states that belong to the pixel and to the vertex part of the
// pipeline, for D3DSBT_PIXELSTATE and D3DSBT_VERTEXSTATE blocks.
constexpr DWORD kPixelRenderStates[] = {
    D3DRS_ZENABLE,         D3DRS_FILLMODE,        D3DRS_SHADEMODE,        D3DRS_LINEPATTERN,
    D3DRS_ZWRITEENABLE,    D3DRS_ALPHATESTENABLE, D3DRS_LASTPIXEL,        D3DRS_SRCBLEND,
    D3DRS_DESTBLEND,       D3DRS_ZFUNC,           D3DRS_ALPHAREF,         D3DRS_ALPHAFUNC,
    D3DRS_DITHERENABLE,    D3DRS_FOGSTART,        D3DRS_FOGEND,           D3DRS_FOGDENSITY,
    D3DRS_ALPHABLENDENABLE, D3DRS_EDGEANTIALIAS,  D3DRS_ZBIAS,            D3DRS_STENCILENABLE,
    D3DRS_STENCILFAIL,     D3DRS_STENCILZFAIL,    D3DRS_STENCILPASS,      D3DRS_STENCILFUNC,
    D3DRS_STENCILREF,      D3DRS_STENCILMASK,     D3DRS_STENCILWRITEMASK, D3DRS_TEXTUREFACTOR,
    D3DRS_WRAP0,           D3DRS_WRAP1,           D3DRS_WRAP2,            D3DRS_WRAP3,
    D3DRS_WRAP4,           D3DRS_WRAP5,           D3DRS_WRAP6,            D3DRS_WRAP7,
    D3DRS_COLORWRITEENABLE, D3DRS_BLENDOP,
};

constexpr DWORD kVertexRenderStates[] = {
    D3DRS_SHADEMODE,          D3DRS_SPECULARENABLE,          D3DRS_CULLMODE,
    D3DRS_FOGENABLE,          D3DRS_FOGCOLOR,                D3DRS_FOGTABLEMODE,
    D3DRS_FOGSTART,           D3DRS_FOGEND,                  D3DRS_FOGDENSITY,
    D3DRS_RANGEFOGENABLE,     D3DRS_AMBIENT,                 D3DRS_COLORVERTEX,
    D3DRS_FOGVERTEXMODE,      D3DRS_CLIPPING,                D3DRS_LIGHTING,
    D3DRS_NORMALIZENORMALS,   D3DRS_LOCALVIEWER,             D3DRS_EMISSIVEMATERIALSOURCE,
    D3DRS_AMBIENTMATERIALSOURCE, D3DRS_DIFFUSEMATERIALSOURCE, D3DRS_SPECULARMATERIALSOURCE,
    D3DRS_VERTEXBLEND,        D3DRS_CLIPPLANEENABLE,         D3DRS_SOFTWAREVERTEXPROCESSING,
    D3DRS_POINTSIZE,          D3DRS_POINTSIZE_MIN,           D3DRS_POINTSPRITEENABLE,
    D3DRS_POINTSCALEENABLE,   D3DRS_POINTSCALE_A,            D3DRS_POINTSCALE_B,
    D3DRS_POINTSCALE_C,       D3DRS_MULTISAMPLEANTIALIAS,    D3DRS_MULTISAMPLEMASK,
    D3DRS_PATCHEDGESTYLE,     D3DRS_PATCHSEGMENTS,           D3DRS_POINTSIZE_MAX,
    D3DRS_INDEXEDVERTEXBLENDENABLE, D3DRS_TWEENFACTOR,       D3DRS_POSITIONORDER,
    D3DRS_NORMALORDER,
};

}  // namespace

void StateBlock::Select(D3DSTATEBLOCKTYPE type, const DeviceState& current) {
  const bool all = type == D3DSBT_ALL;
  const bool pixel = all || type == D3DSBT_PIXELSTATE;
  const bool vertex = all || type == D3DSBT_VERTEXSTATE;
  if (all) {
    for (int i = 0; i < kRenderStateCount; ++i) renderStates_.set(i);
    stageStates_.set();
    transforms_.set();
    textures_.set();
    streams_.set();
    viewport_ = material_ = indices_ = true;
  }
  if (pixel) {
    for (DWORD s : kPixelRenderStates) renderStates_.set(s);
    for (int st = 0; st < kStageCount; ++st)
      for (int t = 1; t < kStageStateCount; ++t) stageStates_.set(st * kStageStateCount + t);
    pixelShader_ = true;
    psConstants_.set();
  }
  if (vertex) {
    for (DWORD s : kVertexRenderStates) renderStates_.set(s);
    for (int st = 0; st < kStageCount; ++st) {
      stageStates_.set(st * kStageStateCount + D3DTSS_TEXCOORDINDEX);
      stageStates_.set(st * kStageStateCount + D3DTSS_TEXTURETRANSFORMFLAGS);
    }
    vertexShader_ = true;
    vsConstants_.set();
    // The lights that exist when the block is made.
    for (const auto& [index, slot] : current.lights) {
      LightEntry& e = lights_[index];
      e.hasLight = e.hasEnable = true;
    }
  }
}

void StateBlock::RecordRenderState(DWORD state, DWORD value) {
  renderStates_.set(state);
  values_.renderStates[state] = value;
}

void StateBlock::RecordStageState(DWORD stage, DWORD type, DWORD value) {
  stageStates_.set(stage * kStageStateCount + type);
  values_.stageStates[stage][type] = value;
}

void StateBlock::RecordTransform(int slot, const D3DMATRIX& m) {
  transforms_.set(slot);
  values_.transforms[slot] = m;
}

void StateBlock::RecordViewport(const D3DVIEWPORT8& v) {
  viewport_ = true;
  values_.viewport = v;
}

void StateBlock::RecordMaterial(const D3DMATERIAL8& m) {
  material_ = true;
  values_.material = m;
}

void StateBlock::RecordLight(DWORD index, const D3DLIGHT8& l) {
  LightEntry& e = lights_[index];
  e.hasLight = true;
  e.light = l;
}

void StateBlock::RecordLightEnable(DWORD index, bool enable) {
  LightEntry& e = lights_[index];
  e.hasEnable = true;
  e.enabled = enable;
}

void StateBlock::RecordTexture(DWORD stage, BaseTexture* t) {
  textures_.set(stage);
  BindRef<BaseTexture>(values_.textures[stage], t);
}

void StateBlock::RecordStream(UINT stream, VertexBuffer* vb, UINT stride) {
  streams_.set(stream);
  BindRef<VertexBuffer>(values_.streams[stream], vb);
  values_.strides[stream] = stride;
}

void StateBlock::RecordIndices(IndexBuffer* ib, UINT baseVertexIndex) {
  indices_ = true;
  BindRef<IndexBuffer>(values_.indices, ib);
  values_.baseVertexIndex = baseVertexIndex;
}

void StateBlock::RecordVertexShader(DWORD handle) {
  vertexShader_ = true;
  values_.vertexShader = handle;
}

void StateBlock::RecordPixelShader(DWORD handle) {
  pixelShader_ = true;
  values_.pixelShader = handle;
}

void StateBlock::RecordVertexConstant(DWORD reg, const float* value) {
  vsConstants_.set(reg);
  std::memcpy(values_.vsConstants[reg], value, 16);
}

void StateBlock::RecordPixelConstant(DWORD reg, const float* value) {
  psConstants_.set(reg);
  std::memcpy(values_.psConstants[reg], value, 16);
}

void StateBlock::Capture(const DeviceState& c) {
  for (int i = 0; i < kRenderStateCount; ++i)
    if (renderStates_.test(i)) values_.renderStates[i] = c.renderStates[i];
  for (int s = 0; s < kStageCount; ++s)
    for (int t = 0; t < kStageStateCount; ++t)
      if (stageStates_.test(s * kStageStateCount + t)) values_.stageStates[s][t] = c.stageStates[s][t];
  for (int i = 0; i < kTransformSlotCount; ++i)
    if (transforms_.test(i)) values_.transforms[i] = c.transforms[i];
  if (viewport_) values_.viewport = c.viewport;
  if (material_) values_.material = c.material;
  for (auto& [index, e] : lights_) {
    auto it = c.lights.find(index);
    if (it == c.lights.end()) continue;  // a light that no longer exists keeps the stored values
    if (e.hasLight) e.light = it->second.light;
    if (e.hasEnable) e.enabled = it->second.enabled;
  }
  for (int s = 0; s < kStageCount; ++s)
    if (textures_.test(s)) BindRef<BaseTexture>(values_.textures[s], c.textures[s]);
  for (int s = 0; s < kStreamCount; ++s)
    if (streams_.test(s)) {
      BindRef<VertexBuffer>(values_.streams[s], c.streams[s]);
      values_.strides[s] = c.strides[s];
    }
  if (indices_) {
    BindRef<IndexBuffer>(values_.indices, c.indices);
    values_.baseVertexIndex = c.baseVertexIndex;
  }
  if (vertexShader_) values_.vertexShader = c.vertexShader;
  if (pixelShader_) values_.pixelShader = c.pixelShader;
  for (int i = 0; i < 96; ++i)
    if (vsConstants_.test(i)) std::memcpy(values_.vsConstants[i], c.vsConstants[i], 16);
  for (int i = 0; i < 8; ++i)
    if (psConstants_.test(i)) std::memcpy(values_.psConstants[i], c.psConstants[i], 16);
}

void StateBlock::Apply(Device& d) const {
  for (int i = 0; i < kRenderStateCount; ++i)
    if (renderStates_.test(i)) d.SetRenderState(static_cast<D3DRENDERSTATETYPE>(i), values_.renderStates[i]);
  for (int s = 0; s < kStageCount; ++s)
    for (int t = 0; t < kStageStateCount; ++t)
      if (stageStates_.test(s * kStageStateCount + t))
        d.SetTextureStageState(static_cast<DWORD>(s), static_cast<D3DTEXTURESTAGESTATETYPE>(t),
                               values_.stageStates[s][t]);
  for (int i = 0; i < kTransformSlotCount; ++i) {
    if (!transforms_.test(i)) continue;
    d.state_.transforms[i] = values_.transforms[i];
    d.MarkTransform(i);
  }
  if (viewport_) d.SetViewport(&values_.viewport);
  if (material_) d.SetMaterial(&values_.material);
  for (const auto& [index, e] : lights_) {
    if (e.hasLight) d.SetLight(index, &e.light);
    if (e.hasEnable) d.LightEnable(index, e.enabled ? TRUE : FALSE);
  }
  for (int s = 0; s < kStageCount; ++s)
    if (textures_.test(s))
      d.SetTexture(static_cast<DWORD>(s), values_.textures[s] ? values_.textures[s]->Interface() : nullptr);
  for (int s = 0; s < kStreamCount; ++s)
    if (streams_.test(s)) d.SetStreamSource(static_cast<UINT>(s), values_.streams[s], values_.strides[s]);
  if (indices_) d.SetIndices(values_.indices, values_.baseVertexIndex);
  if (vertexShader_ && values_.vertexShader) d.SetVertexShader(values_.vertexShader);
  if (pixelShader_) d.SetPixelShader(values_.pixelShader);
  for (int i = 0; i < 96; ++i)
    if (vsConstants_.test(i)) d.SetVertexShaderConstant(static_cast<DWORD>(i), values_.vsConstants[i], 1);
  for (int i = 0; i < 8; ++i)
    if (psConstants_.test(i)) d.SetPixelShaderConstant(static_cast<DWORD>(i), values_.psConstants[i], 1);
}

// ---------------------------------------------------------------------------
// The device's state-block calls
// ---------------------------------------------------------------------------

HRESULT Device::BeginStateBlock() {
  if (recording_) return D3DERR_INVALIDCALL;
  recording_ = new StateBlock();
  return D3D_OK;
}

HRESULT Device::EndStateBlock(DWORD* pToken) {
  if (!pToken || !recording_) return D3DERR_INVALIDCALL;
  DWORD token = nextStateBlock_++;
  stateBlocks_.emplace(token, std::unique_ptr<StateBlock>(recording_));
  recording_ = nullptr;
  *pToken = token;
  return D3D_OK;
}

HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* pToken) {
  if (!pToken || recording_) return D3DERR_INVALIDCALL;
  if (type != D3DSBT_ALL && type != D3DSBT_PIXELSTATE && type != D3DSBT_VERTEXSTATE) return D3DERR_INVALIDCALL;
  auto block = std::make_unique<StateBlock>();
  block->Select(type, state_);
  block->Capture(state_);
  DWORD token = nextStateBlock_++;
  stateBlocks_.emplace(token, std::move(block));
  *pToken = token;
  return D3D_OK;
}

HRESULT Device::ApplyStateBlock(DWORD token) {
  if (recording_) return D3DERR_INVALIDCALL;
  auto it = stateBlocks_.find(token);
  if (it == stateBlocks_.end()) return D3DERR_INVALIDCALL;
  it->second->Apply(*this);
  return D3D_OK;
}

HRESULT Device::CaptureStateBlock(DWORD token) {
  if (recording_) return D3DERR_INVALIDCALL;
  auto it = stateBlocks_.find(token);
  if (it == stateBlocks_.end()) return D3DERR_INVALIDCALL;
  it->second->Capture(state_);
  return D3D_OK;
}

HRESULT Device::DeleteStateBlock(DWORD token) {
  if (recording_) return D3DERR_INVALIDCALL;
  auto it = stateBlocks_.find(token);
  if (it == stateBlocks_.end()) return D3DERR_INVALIDCALL;
  stateBlocks_.erase(it);
  return D3D_OK;
}

}  // namespace d3d8
