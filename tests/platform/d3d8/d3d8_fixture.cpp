#include "d3d8_fixture.h"

namespace d3d8test {

D3DMATRIX PerspectiveFov(float fovY, float aspect, float zn, float zf) {
  D3DMATRIX m{};
  float yScale = 1.0f / std::tan(fovY / 2);
  m._11 = yScale / aspect;
  m._22 = yScale;
  m._33 = zf / (zf - zn);
  m._34 = 1.0f;
  m._43 = -zn * zf / (zf - zn);
  return m;
}

D3DMATRIX Translation(float x, float y, float z) {
  D3DMATRIX m = Identity();
  m._41 = x;
  m._42 = y;
  m._43 = z;
  return m;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
  return r;
}

D3DMATRIX Rotation(float x, float y, float z, float angle) {
  const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
  D3DMATRIX r = Identity();
  r._11 = t * x * x + c, r._12 = t * x * y + s * z, r._13 = t * x * z - s * y;
  r._21 = t * x * y - s * z, r._22 = t * y * y + c, r._23 = t * y * z + s * x;
  r._31 = t * x * z + s * y, r._32 = t * y * z - s * x, r._33 = t * z * z + c;
  return r;
}

D3DMATRIX Scaling(float x, float y, float z) {
  D3DMATRIX m{};
  m._11 = x;
  m._22 = y;
  m._33 = z;
  m._44 = 1;
  return m;
}

void DeviceTest::SetUp() { d3d_ = Direct3DCreate8(D3D_SDK_VERSION); }

void DeviceTest::TearDown() {
  if (device_) {
    EXPECT_EQ(device_->Release(), 0u) << "objects made by the device were not released";
  }
  device_ = nullptr;
  if (d3d_) {
    EXPECT_EQ(d3d_->Release(), 0u);
  }
  d3d_ = nullptr;
}

bool DeviceTest::CreateDevice(D3DFORMAT depth) {
  if (!d3d_) {
    ADD_FAILURE() << "no Direct3D object (no OpenGL 3.3 renderer)";
    return false;
  }
  pp_ = WindowedParameters(kWidth, kHeight);
  pp_.EnableAutoDepthStencil = depth != D3DFMT_UNKNOWN;
  pp_.AutoDepthStencilFormat = depth;
  pp_.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  HRESULT hr = d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp_, &device_);
  EXPECT_EQ(hr, D3D_OK);
  return device_ != nullptr;
}

D3DPRESENT_PARAMETERS DeviceTest::WindowedParameters(UINT width, UINT height) {
  EXPECT_EQ(d3d_->GetAdapterDisplayMode(0, &mode_), D3D_OK);
  D3DPRESENT_PARAMETERS pp = {};
  pp.BackBufferWidth = width;
  pp.BackBufferHeight = height;
  pp.BackBufferFormat = mode_.Format;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  return pp;
}

void DeviceTest::ShowTexture(IDirect3DBaseTexture8* texture) {
  device_->SetTexture(0, texture);
  SelectArg1(D3DTA_TEXTURE);
  Clear(0xFF000000);
  DrawScreenTexturedQuad(0xFFFFFFFF);
  device_->SetTexture(0, nullptr);
}

void DeviceTest::SelectArg1(DWORD arg) {
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, arg);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, arg);
}

Rgba DeviceTest::PixelOf(IDirect3DSurface8* surface, int x, int y) {
  D3DLOCKED_RECT lr;
  Rgba result{-1, -1, -1, -1};
  if (surface->LockRect(&lr, nullptr, D3DLOCK_READONLY) != D3D_OK) {
    ADD_FAILURE() << "surface cannot be locked";
    return result;
  }
  const BYTE* p = static_cast<const BYTE*>(lr.pBits) + y * lr.Pitch + x * 4;
  result = {p[2], p[1], p[0], p[3]};
  surface->UnlockRect();
  return result;
}

std::vector<D3DCOLOR> DeviceTest::Texels(IDirect3DSurface8* surface) {
  D3DSURFACE_DESC desc{};
  EXPECT_EQ(surface->GetDesc(&desc), D3D_OK);
  std::vector<D3DCOLOR> out;
  IDirect3DSurface8* image = nullptr;
  EXPECT_EQ(device_->CreateImageSurface(desc.Width, desc.Height, desc.Format, &image), D3D_OK);
  if (!image) return out;
  EXPECT_EQ(device_->CopyRects(surface, nullptr, 0, image, nullptr), D3D_OK);
  D3DLOCKED_RECT lr;
  if (image->LockRect(&lr, nullptr, D3DLOCK_READONLY) == D3D_OK) {
    for (UINT y = 0; y < desc.Height; ++y) {
      const D3DCOLOR* row = reinterpret_cast<const D3DCOLOR*>(static_cast<const BYTE*>(lr.pBits) + y * lr.Pitch);
      out.insert(out.end(), row, row + desc.Width);
    }
    image->UnlockRect();
  }
  image->Release();
  return out;
}

Rgba DeviceTest::Pixel(int x, int y) {
  IDirect3DSurface8* bb = nullptr;
  EXPECT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &bb), D3D_OK);
  Rgba p = PixelOf(bb, x, y);
  bb->Release();
  return p;
}

D3DSURFACE_DESC DeviceTest::BackBufferDesc() {
  D3DSURFACE_DESC desc{};
  IDirect3DSurface8* bb = nullptr;
  EXPECT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &bb), D3D_OK);
  if (!bb) return desc;
  EXPECT_EQ(bb->GetDesc(&desc), D3D_OK);
  bb->Release();
  return desc;
}

void DeviceTest::Clear(D3DCOLOR color) {
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0), D3D_OK);
}

void DeviceTest::DrawQuadUP(DWORD fvf, const void* vertices, UINT stride) {
  EXPECT_EQ(device_->SetVertexShader(fvf), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, vertices, stride), D3D_OK);
}

DeviceTest::ScreenRect DeviceTest::ViewportRect() {
  D3DVIEWPORT8 vp;
  device_->GetViewport(&vp);
  const float x0 = static_cast<float>(vp.X) - 0.5f, y0 = static_cast<float>(vp.Y) - 0.5f;
  return {x0, y0, x0 + static_cast<float>(vp.Width), y0 + static_cast<float>(vp.Height)};
}

void DeviceTest::DrawScreenQuad(D3DCOLOR color, float z) {
  const auto [x0, y0, x1, y1] = ViewportRect();
  ScreenColor v[4] = {{x0, y0, z, 1, color}, {x1, y0, z, 1, color}, {x0, y1, z, 1, color}, {x1, y1, z, 1, color}};
  DrawQuadUP(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, v, sizeof v[0]);
}

void DeviceTest::DrawScreenTexturedQuad(D3DCOLOR color, float u0, float v0, float u1, float v1) {
  const auto [x0, y0, x1, y1] = ViewportRect();
  ScreenColorTex v[4] = {{x0, y0, 0.5f, 1, color, u0, v0},
                         {x1, y0, 0.5f, 1, color, u1, v0},
                         {x0, y1, 0.5f, 1, color, u0, v1},
                         {x1, y1, 0.5f, 1, color, u1, v1}};
  DrawQuadUP(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, v, sizeof v[0]);
}

}  // namespace d3d8test
