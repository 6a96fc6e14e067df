// FontTexture: drawing strings as quads from the vertex buffer.
#include "textout/font_texture.h"

#include <cmath>

void FontTexture::BeginText() {
  if (!device_ || !savedBlock_ || !drawingBlock_) return;
  device_->CaptureStateBlock(savedBlock_);
  device_->ApplyStateBlock(drawingBlock_);
  device_->SetVertexShader(kVertexFormat);
  device_->SetStreamSource(0, vertexBuffer_, sizeof(Vertex));
}

void FontTexture::EndText() {
  if (device_ && savedBlock_) device_->ApplyStateBlock(savedBlock_);
}

HRESULT FontTexture::DrawText(float x, float y, D3DCOLOR color, const char* text, DWORD flags) {
  if (!text || !device_ || !vertexBuffer_ || !savedBlock_) return E_FAIL;
  BeginText();
  // Glyphs rasterised smaller than the font size draw at full size; so do
  // the lines.
  const float scale = 1.0f / textScale_;
  HRESULT result = EmitText(x, y, color, text, flags, scale, LineHeight() * scale, 0.9f);
  EndText();
  return result;
}

HRESULT FontTexture::DrawTextScaled(float x, float y, float linesPerScreen, D3DCOLOR color, const char* text,
                                    DWORD flags) {
  if (!text || !device_ || !vertexBuffer_ || !savedBlock_) return E_FAIL;
  BeginText();
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  D3DVIEWPORT8 viewport{};
  device_->GetViewport(&viewport);
  const float perLine = std::isfinite(linesPerScreen) && linesPerScreen != 0.0f ? 1.0f / linesPerScreen : 0.0f;
  const float lineStep = static_cast<float>(viewport.Height) * perLine;
  const float lineHeight = LineHeight();
  HRESULT result = EmitText(x, y, color, text, flags, lineHeight > 0 ? lineStep / lineHeight : 0.0f, lineStep, 0.0f);
  EndText();
  return result;
}

HRESULT FontTexture::DrawTextQuick(float x, float y, D3DCOLOR color, const char* text, DWORD flags) {
  if (!text || !device_ || !vertexBuffer_) return E_FAIL;
  const float scale = 1.0f / textScale_;
  return EmitText(x, y, color, text, flags, scale, LineHeight() * scale, 0.9f);
}

HRESULT FontTexture::EmitText(float x, float y, D3DCOLOR color, const char* text, DWORD flags, float scale,
                              float lineStep, float z) {
  if (flags & kFiltered) {
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  }
  Vertex* v = nullptr;
  if (FAILED(vertexBuffer_->Lock(0, 0, reinterpret_cast<BYTE**>(&v), D3DLOCK_DISCARD))) return E_FAIL;
  UINT triangles = 0;
  float sx = x, sy = y;
  for (const char* p = text; *p; ++p) {
    const signed char c = static_cast<signed char>(*p);
    if (c == '\n') {
      sx = x;
      sy += lineStep;
      continue;
    }
    // Other control codes and bytes above 127 draw nothing and do not move.
    if (c < kFirstChar) continue;
    const float* g = glyphs_[c - kFirstChar];
    const float w = (g[2] - g[0]) * static_cast<float>(texWidth_) * scale;
    const float h = (g[3] - g[1]) * static_cast<float>(texHeight_) * scale;
    const float l = sx - 0.5f, r = sx + w - 0.5f, t = sy - 0.5f, b = sy + h - 0.5f;
    *v++ = {l, b, z, 1.0f, color, g[0], g[3]};
    *v++ = {l, t, z, 1.0f, color, g[0], g[1]};
    *v++ = {r, b, z, 1.0f, color, g[2], g[3]};
    *v++ = {r, t, z, 1.0f, color, g[2], g[1]};
    *v++ = {r, b, z, 1.0f, color, g[2], g[3]};
    *v++ = {l, t, z, 1.0f, color, g[0], g[1]};
    triangles += 2;
    if (triangles * 3 > kVertexCount - 6) {
      vertexBuffer_->Unlock();
      device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
      if (FAILED(vertexBuffer_->Lock(0, 0, reinterpret_cast<BYTE**>(&v), D3DLOCK_DISCARD))) return E_FAIL;
      triangles = 0;
    }
    sx += w;
  }
  vertexBuffer_->Unlock();
  if (triangles > 0) device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
  return S_OK;
}
