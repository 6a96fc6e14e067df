// FontTexture: construction, the device objects and the drawing states.
#include "textout/font_texture.h"

#include <cstring>
#include <initializer_list>

FontTexture::FontTexture(const char* faceName, unsigned height, unsigned flags)
    : faceName_{},
      height_(height),
      flags_(flags),
      device_(nullptr),
      texture_(nullptr),
      vertexBuffer_(nullptr),
      texWidth_(0),
      texHeight_(0),
      textScale_(1.0f),
      glyphs_{},
      savedBlock_(0),
      drawingBlock_(0) {
  if (faceName) std::strncpy(faceName_, faceName, sizeof faceName_ - 1);
}

FontTexture::~FontTexture() {
  InvalidateDeviceObjects();
  DeleteDeviceObjects();
}

HRESULT FontTexture::RestoreDeviceObjects() {
  if (!device_ || !texture_) return E_FAIL;
  HRESULT result = device_->CreateVertexBuffer(kVertexCount * sizeof(Vertex), D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                               0, D3DPOOL_DEFAULT, &vertexBuffer_);
  if (FAILED(result)) {
    vertexBuffer_ = nullptr;
    return result;
  }
  // Both blocks hold the same states: capturing the saved one before a draw
  // remembers what the text changes, applying it afterwards puts it back.
  for (DWORD* block : {&savedBlock_, &drawingBlock_}) {
    result = device_->BeginStateBlock();
    if (FAILED(result)) return result;
    RecordDrawingStates();
    result = device_->EndStateBlock(block);
    if (FAILED(result)) {
      *block = 0;
      return result;
    }
  }
  return S_OK;
}

void FontTexture::RecordDrawingStates() {
  IDirect3DDevice8* d = device_;
  d->SetTexture(0, texture_);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  d->SetRenderState(D3DRS_ALPHAREF, 0x08);
  d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  d->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  d->SetRenderState(D3DRS_ZENABLE, FALSE);
  d->SetRenderState(D3DRS_STENCILENABLE, FALSE);
  d->SetRenderState(D3DRS_CLIPPING, TRUE);
  d->SetRenderState(D3DRS_EDGEANTIALIAS, FALSE);
  d->SetRenderState(D3DRS_CLIPPLANEENABLE, FALSE);
  d->SetRenderState(D3DRS_VERTEXBLEND, FALSE);
  d->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
  d->SetRenderState(D3DRS_FOGENABLE, FALSE);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  d->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
  d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

HRESULT FontTexture::InvalidateDeviceObjects() {
  if (vertexBuffer_) vertexBuffer_->Release();
  vertexBuffer_ = nullptr;
  if (device_) {
    if (savedBlock_) device_->DeleteStateBlock(savedBlock_);
    if (drawingBlock_) device_->DeleteStateBlock(drawingBlock_);
  }
  savedBlock_ = drawingBlock_ = 0;
  return S_OK;
}

HRESULT FontTexture::DeleteDeviceObjects() {
  if (texture_) texture_->Release();
  texture_ = nullptr;
  device_ = nullptr;
  return S_OK;
}

const float* FontTexture::GetGlyph(int c) const {
  static const float kNone[4] = {0, 0, 0, 0};
  return c >= kFirstChar && c < kFirstChar + kGlyphEntries ? glyphs_[c - kFirstChar] : kNone;
}

float FontTexture::LineHeight() const {
  const float* space = glyphs_[0];
  return (space[3] - space[1]) * static_cast<float>(texHeight_);
}
