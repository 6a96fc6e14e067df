#include "layer_frame.h"

#include <d3dx8/d3dx8core.h>

#include <cmath>
#include <cstring>

#include "bench_scene.h"
#include "layer_device.h"

namespace bench {
namespace {

// The plain OpenGL program's lighting: colour x (0.188 + max(N.L, 0)).
const char* kVertexShader =
    "vs.1.1\n"
    "m4x4 oPos, v0, c0        ; c0-c3: world x view x projection, transposed\n"
    "dp3 r0.x, v3, c5         ; c5: direction towards the light\n"
    "max r0.x, r0.x, c6.y\n"
    "add r0, r0.x, c6.x       ; c6.x: ambient\n"
    "mul oD0.xyz, r0, c4      ; c4: material colour\n"
    "mov oD0.w, c4.w\n"
    "mov oT0, v7\n";
const char* kPixelShader = "ps.1.1\ntex t0\nmul r0, t0, v0\n";

bool Assemble(const char* text, LPD3DXBUFFER* code) {
  return SUCCEEDED(D3DXAssembleShader(text, static_cast<UINT>(std::strlen(text)), 0, nullptr, code, nullptr));
}

}  // namespace

bool LayerRenderer::Init(bool shaders) {
  shaders_ = shaders;
  d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
  if (!d3d_) return false;
  if (FAILED(CreateLayerDevice(d3d_, kTargetSize, kTargetSize, nullptr, true, &device_))) return false;

  Mesh mesh = BuildMesh();
  vertexCount_ = static_cast<unsigned>(mesh.vertices.size());
  const UINT vbytes = static_cast<UINT>(mesh.vertices.size() * sizeof(Vertex));
  const UINT ibytes = static_cast<UINT>(mesh.indices.size() * 2);
  device_->CreateVertexBuffer(vbytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vb_);
  device_->CreateIndexBuffer(ibytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib_);
  BYTE* p = nullptr;
  vb_->Lock(0, 0, &p, 0);
  std::memcpy(p, mesh.vertices.data(), vbytes);
  vb_->Unlock();
  ib_->Lock(0, 0, &p, 0);
  std::memcpy(p, mesh.indices.data(), ibytes);
  ib_->Unlock();
  for (int i = 0; i < 2; ++i) {
    device_->CreateTexture(kTextureSize, kTextureSize, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &textures_[i]);
    D3DLOCKED_RECT lr;
    textures_[i]->LockRect(0, &lr, nullptr, 0);
    std::vector<uint8_t> texels = BuildTexture(i);
    for (int y = 0; y < kTextureSize; ++y)
      std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch, &texels[y * kTextureSize * 4], kTextureSize * 4);
    textures_[i]->UnlockRect(0);
  }

  float vp[16];
  ViewProjection(vp);
  D3DMATRIX proj;
  std::memcpy(&proj, vp, sizeof proj);
  device_->SetTransform(D3DTS_PROJECTION, &proj);
  D3DLIGHT8 light = {};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1, 1, 1, 1};
  light.Direction = {0.3f, -0.4f, 0.866f};
  device_->SetLight(0, &light);
  device_->LightEnable(0, TRUE);
  device_->SetRenderState(D3DRS_AMBIENT, 0x00303030);
  device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
  device_->SetStreamSource(0, vb_, sizeof(Vertex));
  device_->SetIndices(ib_, 0);
  if (FAILED(device_->CreateImageSurface(kTargetSize, kTargetSize, D3DFMT_A8R8G8B8, &readBack_))) return false;
  if (!shaders_) return true;
  const DWORD declaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(3, D3DVSDT_FLOAT3),
                               D3DVSD_REG(7, D3DVSDT_FLOAT2), D3DVSD_END()};
  LPD3DXBUFFER vs = nullptr, ps = nullptr;
  bool ok = Assemble(kVertexShader, &vs) && Assemble(kPixelShader, &ps) &&
            SUCCEEDED(device_->CreateVertexShader(declaration, static_cast<const DWORD*>(vs->GetBufferPointer()),
                                                  &vertexShader_, 0)) &&
            SUCCEEDED(device_->CreatePixelShader(static_cast<const DWORD*>(ps->GetBufferPointer()), &pixelShader_));
  if (vs) vs->Release();
  if (ps) ps->Release();
  if (!ok) return false;
  device_->SetVertexShader(vertexShader_);
  device_->SetPixelShader(pixelShader_);
  const float l[3] = {0.3f, -0.4f, 0.866f};
  const float len = std::sqrt(l[0] * l[0] + l[1] * l[1] + l[2] * l[2]);
  const float toLight[8] = {-l[0] / len, -l[1] / len, -l[2] / len, 0, 0.188f, 0, 0, 0};
  device_->SetVertexShaderConstant(5, toLight, 2);
  return true;
}

void LayerRenderer::Shutdown() {
  if (device_) {
    device_->SetTexture(0, nullptr);
    device_->SetPixelShader(0);
    device_->SetVertexShader(D3DFVF_XYZ);
    if (vertexShader_) device_->DeleteVertexShader(vertexShader_);
    if (pixelShader_) device_->DeletePixelShader(pixelShader_);
    device_->SetStreamSource(0, nullptr, 0);
    device_->SetIndices(nullptr, 0);
  }
  for (IDirect3DTexture8*& t : textures_)
    if (t) t->Release(), t = nullptr;
  if (readBack_) readBack_->Release(), readBack_ = nullptr;
  if (vb_) vb_->Release(), vb_ = nullptr;
  if (ib_) ib_->Release(), ib_ = nullptr;
  if (device_) device_->Release(), device_ = nullptr;
  if (d3d_) d3d_->Release(), d3d_ = nullptr;
}

void LayerRenderer::Frame() {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
  device_->BeginScene();
  float vp[16];
  ViewProjection(vp);
  for (int i = 0; i < kDrawsPerFrame; ++i) {
    DrawState s = StateForDraw(i);
    if (shaders_) {
      float wvp[16], constants[20];
      for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k) {
          float v = 0;
          for (int j = 0; j < 4; ++j) v += s.world[r * 4 + j] * vp[j * 4 + k];
          wvp[r * 4 + k] = v;
        }
      for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k) constants[k * 4 + r] = wvp[r * 4 + k];
      std::memcpy(constants + 16, s.color, 16);
      device_->SetVertexShaderConstant(0, constants, 5);
    } else {
      D3DMATRIX world;
      std::memcpy(&world, s.world, sizeof world);
      device_->SetTransform(D3DTS_WORLD, &world);
      D3DMATERIAL8 mat = {};
      mat.Diffuse = {s.color[0], s.color[1], s.color[2], s.color[3]};
      mat.Ambient = mat.Diffuse;
      device_->SetMaterial(&mat);
    }
    device_->SetTexture(0, textures_[s.texture]);
    device_->SetRenderState(D3DRS_CULLMODE, s.cull ? D3DCULL_CCW : D3DCULL_NONE);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount_, 0, kGridX * kGridY * 2);
  }
  device_->EndScene();
  device_->Present(nullptr, nullptr, nullptr, nullptr);
  device_->GetFrontBuffer(readBack_);
}

}  // namespace bench
