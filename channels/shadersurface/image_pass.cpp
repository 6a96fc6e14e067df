#include "image_pass.h"

#include "engine_interface.h"
#include "texture/vel_dx8_texture.h"
#include "vel_child_access.h"
#include "vel_type_guids.h"
#include "vertex_declaration.h"

#include <cstring>

namespace image_pass {

namespace {
void Report(EngineInterface* engine, const char* text) {
  if (engine) engine->errorFunctor(text);
}
}  // namespace

const DWORD kQuadDeclaration[] = {vel_fx::DeclStream(0), vel_fx::DeclRegister(0, vel_fx::kFloat3),
                                  vel_fx::DeclRegister(1, vel_fx::kFloat2), vel_fx::kDeclEnd};

D3DXMATRIX QuadTransform(float scale, float size, D3DXVECTOR3 at) {
  D3DXMATRIX scaling, view, ortho, product, transposed;
  const D3DXVECTOR3 eye(at.x, at.y, -5.0f), up(0, 1, 0);
  D3DXMatrixScaling(&scaling, scale, scale, 1.0f);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixOrthoLH(&ortho, size, size, 0.2f, 20.0f);
  product = scaling * view * ortho;
  D3DXMatrixTranspose(&transposed, &product);
  return transposed;
}


Vel_DX8_Texture* AsTexture(Orn_Channel* channel) { return vel::As<Vel_DX8_Texture>(channel, vel::kTextureType); }

IDirect3DTexture8* TextureOf(Orn_Channel* channel, UINT* width, UINT* height) {
  if (width) *width = 0;
  if (height) *height = 0;
  Vel_DX8_Texture* texture = AsTexture(channel);
  if (!texture) return nullptr;
  // Asking for the description makes a texture dropped with the device again.
  const D3DSURFACE_DESC desc = texture->GetTextureDescription(0);
  IDirect3DTexture8* t = texture->GetTexture();
  if (!t) return nullptr;
  if (width) *width = desc.Width;
  if (height) *height = desc.Height;
  return t;
}

HRESULT CreateTarget(IDirect3DDevice8* device, UINT width, UINT height, EngineInterface* engine,
                     const char* createFailed, const char* levelFailed, Target* target) {
  target->Release();
  if (!device) return E_FAIL;
  if (FAILED(device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                   &target->texture))) {
    target->texture = nullptr;
    Report(engine, createFailed);
    return E_FAIL;
  }
  if (FAILED(target->texture->GetSurfaceLevel(0, &target->surface))) {
    target->surface = nullptr;
    Report(engine, levelFailed);
    return E_FAIL;
  }
  return D3D_OK;
}

void SetFilterStages(IDirect3DDevice8* device, DWORD colourOp) {
  for (DWORD stage = 0; stage < 4; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_COLOROP, colourOp);
    device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
  }
}

HRESULT CreateQuad(IDirect3DDevice8* device, EngineInterface* engine, const char* createFailed,
                   const char* lockFailed, IDirect3DVertexBuffer8** quad) {
  SafeRelease(*quad);
  if (!device) return E_FAIL;
  HRESULT hr = device->CreateVertexBuffer(kQuadBytes, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, quad);
  if (FAILED(hr)) {
    *quad = nullptr;
    Report(engine, createFailed);
    return hr;
  }
  BYTE* bytes = nullptr;
  hr = (*quad)->Lock(0, 0, &bytes, 0);
  if (FAILED(hr) || !bytes) {
    Report(engine, lockFailed);
    SafeRelease(*quad);
    return FAILED(hr) ? hr : E_FAIL;
  }
  std::memcpy(bytes, kQuad, kQuadBytes);
  (*quad)->Unlock();
  return D3D_OK;
}

SavedTargets::SavedTargets(IDirect3DDevice8* device) : device_(device) {
  if (!device_) return;
  if (FAILED(device_->GetRenderTarget(&color_))) color_ = nullptr;
  if (FAILED(device_->GetDepthStencilSurface(&depth_))) depth_ = nullptr;
}

SavedTargets::~SavedTargets() {
  // Every way out, a failure part-way included, leaves the device drawing
  // into its own target again.
  if (!restored_) Restore();
  SafeRelease(color_);
  SafeRelease(depth_);
}

HRESULT SavedTargets::Restore() {
  restored_ = true;
  if (!device_ || !color_) return E_FAIL;
  return device_->SetRenderTarget(color_, depth_);
}

}  // namespace image_pass
