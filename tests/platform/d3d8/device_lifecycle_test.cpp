// Creating, resetting and releasing devices: parameters, injected failures,
// the reset rule for default-pool objects and reference counts.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class DeviceLifecycleTest : public DeviceTest {};

TEST_F(DeviceLifecycleTest, CreateRejectsAWrongSdkVersion) { EXPECT_EQ(Direct3DCreate8(120), nullptr); }

TEST_F(DeviceLifecycleTest, AdapterReportsTheDesktopModeAndItsChecks) {
  ASSERT_NE(d3d_, nullptr);
  EXPECT_EQ(d3d_->GetAdapterCount(), 1u);
  D3DDISPLAYMODE mode;
  ASSERT_EQ(d3d_->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_GT(mode.Width, 0u);
  EXPECT_GT(mode.Height, 0u);
  EXPECT_TRUE(mode.Format == D3DFMT_X8R8G8B8 || mode.Format == D3DFMT_R5G6B5 || mode.Format == D3DFMT_X1R5G5B5);
  EXPECT_EQ(d3d_->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);

  EXPECT_EQ(d3d_->CheckDeviceType(0, D3DDEVTYPE_HAL, mode.Format, mode.Format, TRUE), D3D_OK);
  EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                    D3DFMT_D24S8),
            D3D_OK);
  EXPECT_EQ(d3d_->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, mode.Format, mode.Format, D3DFMT_D24S8), D3D_OK);
  EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT5), D3D_OK);
  EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE, D3DFMT_V8U8), D3D_OK);
  EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                    D3DFMT_X8R8G8B8),
            D3D_OK);
  // A depth format is no texture, and a bump format no render target.
  EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE, D3DFMT_D16),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                    D3DFMT_V8U8),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d_->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, mode.Format, mode.Format, D3DFMT_X8R8G8B8),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d_->CheckDeviceType(0, D3DDEVTYPE_REF, mode.Format, mode.Format, TRUE), D3DERR_NOTAVAILABLE);
}

TEST_F(DeviceLifecycleTest, CapsOfferTransformAndLightingWithoutIndexedBlending) {
  ASSERT_NE(d3d_, nullptr);
  D3DCAPS8 caps;
  ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  EXPECT_LE(caps.MaxVertexBlendMatrixIndex, 3u);
  EXPECT_EQ(caps.MaxTextureBlendStages, 8u);
  EXPECT_EQ(caps.MaxActiveLights, 8u);
  ASSERT_TRUE(CreateDevice());
  D3DCAPS8 deviceCaps;
  ASSERT_EQ(device_->GetDeviceCaps(&deviceCaps), D3D_OK);
  EXPECT_EQ(std::memcmp(&caps, &deviceCaps, sizeof caps), 0);
}

TEST_F(DeviceLifecycleTest, WindowedDeviceWithoutWindowRendersOffScreen) {
  ASSERT_TRUE(CreateDevice());
  D3DDEVICE_CREATION_PARAMETERS cp;
  ASSERT_EQ(device_->GetCreationParameters(&cp), D3D_OK);
  EXPECT_EQ(cp.AdapterOrdinal, 0u);
  EXPECT_EQ(cp.DeviceType, D3DDEVTYPE_HAL);
  EXPECT_EQ(cp.BehaviorFlags, static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
  const D3DSURFACE_DESC desc = BackBufferDesc();
  EXPECT_EQ(desc.Width, kWidth);
  EXPECT_EQ(desc.Height, kHeight);
  EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  IDirect3D8* d3d = nullptr;
  ASSERT_EQ(device_->GetDirect3D(&d3d), D3D_OK);
  EXPECT_EQ(d3d, d3d_);
  d3d->Release();
}

TEST_F(DeviceLifecycleTest, ZeroSizedWindowedBackBufferGetsASizeWrittenBack) {
  ASSERT_NE(d3d_, nullptr);
  D3DPRESENT_PARAMETERS pp = WindowedParameters(0, 0);
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
            D3D_OK);
  EXPECT_GT(pp.BackBufferWidth, 0u);
  EXPECT_GT(pp.BackBufferHeight, 0u);
  EXPECT_EQ(pp.BackBufferCount, 1u);
}

TEST_F(DeviceLifecycleTest, InvalidPresentParametersAreRefused) {
  ASSERT_NE(d3d_, nullptr);
  D3DPRESENT_PARAMETERS pp = WindowedParameters(32, 32);
  IDirect3DDevice8* dev = nullptr;
  // No vertex-processing flag, and two at once.
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &dev), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &dev),
            D3DERR_INVALIDCALL);
  D3DPRESENT_PARAMETERS bad = pp;
  bad.EnableAutoDepthStencil = TRUE;
  bad.AutoDepthStencilFormat = D3DFMT_X8R8G8B8;
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &bad, &dev),
            D3DERR_INVALIDCALL);
  bad = pp;
  bad.SwapEffect = static_cast<D3DSWAPEFFECT>(0);
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &bad, &dev),
            D3DERR_INVALIDCALL);
  // Full screen needs a window and a size.
  bad = pp;
  bad.Windowed = FALSE;
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &bad, &dev),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(dev, nullptr);
}

TEST_F(DeviceLifecycleTest, InjectedCreateDeviceFailuresReturnEachCode) {
  ASSERT_NE(d3d_, nullptr);
  for (HRESULT code : {D3DERR_INVALIDCALL, D3DERR_NOTAVAILABLE, D3DERR_OUTOFVIDEOMEMORY}) {
    D3D8Debug_FailCreateDevice(code, 1);
    IDirect3DDevice8* dev = nullptr;
    D3DPRESENT_PARAMETERS pp = WindowedParameters(16, 16);
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev), code);
    EXPECT_EQ(dev, nullptr);
    // One use only: the next creation succeeds.
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev), D3D_OK);
    EXPECT_EQ(dev->Release(), 0u);
  }
}

TEST_F(DeviceLifecycleTest, InjectedFailureCanLastUntilCleared) {
  ASSERT_TRUE(CreateDevice());
  D3D8Debug_FailReset(D3DERR_OUTOFVIDEOMEMORY, -1);
  D3DPRESENT_PARAMETERS pp = pp_;
  EXPECT_EQ(device_->Reset(&pp), D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(device_->Reset(&pp), D3DERR_OUTOFVIDEOMEMORY);
  D3D8Debug_FailReset(D3D_OK, 0);
  EXPECT_EQ(device_->Reset(&pp), D3D_OK);
}

TEST_F(DeviceLifecycleTest, InjectedResetFailuresReturnEachCodeAndLeaveTheDeviceUsable) {
  ASSERT_TRUE(CreateDevice());
  for (HRESULT code : {D3DERR_INVALIDCALL, D3DERR_NOTAVAILABLE, D3DERR_OUTOFVIDEOMEMORY}) {
    D3D8Debug_FailReset(code, 1);
    D3DPRESENT_PARAMETERS pp = pp_;
    EXPECT_EQ(device_->Reset(&pp), code);
    EXPECT_EQ(device_->Reset(&pp), D3D_OK);
  }
  Clear(0xFF00FF00);
  Rgba p = Pixel(1, 1);
  EXPECT_EQ(p.g, 255);
}

TEST_F(DeviceLifecycleTest, SimulatedLossLastsUntilASuccessfulReset) {
  ASSERT_TRUE(CreateDevice());
  D3D8Debug_LoseDevice(device_);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  D3D8Debug_FailReset(D3DERR_OUTOFVIDEOMEMORY, 1);
  D3DPRESENT_PARAMETERS pp = pp_;
  EXPECT_EQ(device_->Reset(&pp), D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->Reset(&pp), D3D_OK);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(DeviceLifecycleTest, ResetIsRefusedWhileADefaultPoolObjectLives) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(256, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &vb), D3D_OK);
  IDirect3DTexture8* managed = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed), D3D_OK);
  D3DPRESENT_PARAMETERS pp = pp_;
  EXPECT_EQ(device_->Reset(&pp), D3DERR_INVALIDCALL);
  vb->Release();
  // Managed objects survive a reset.
  EXPECT_EQ(device_->Reset(&pp), D3D_OK);
  D3DSURFACE_DESC desc;
  EXPECT_EQ(managed->GetLevelDesc(0, &desc), D3D_OK);
  managed->Release();

  // So does a render-target texture, and a held back buffer.
  IDirect3DTexture8* rt = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &rt), D3D_OK);
  EXPECT_EQ(device_->Reset(&pp), D3DERR_INVALIDCALL);
  rt->Release();
  IDirect3DSurface8* bb = nullptr;
  device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &bb);
  EXPECT_EQ(device_->Reset(&pp), D3DERR_INVALIDCALL);
  bb->Release();
  EXPECT_EQ(device_->Reset(&pp), D3D_OK);
}

TEST_F(DeviceLifecycleTest, ResetChangesTheBackBufferAndRestoresDefaultStates) {
  ASSERT_TRUE(CreateDevice());
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  D3DMATRIX t = Translation(1, 2, 3);
  device_->SetTransform(D3DTS_WORLD, &t);
  D3DPRESENT_PARAMETERS pp = pp_;
  pp.BackBufferWidth = 32;
  pp.BackBufferHeight = 16;
  ASSERT_EQ(device_->Reset(&pp), D3D_OK);
  DWORD v = 0;
  device_->GetRenderState(D3DRS_LIGHTING, &v);
  EXPECT_EQ(v, static_cast<DWORD>(TRUE));
  D3DMATRIX w;
  device_->GetTransform(D3DTS_WORLD, &w);
  EXPECT_EQ(w._41, 0.0f);
  D3DVIEWPORT8 vp;
  device_->GetViewport(&vp);
  EXPECT_EQ(vp.Width, 32u);
  EXPECT_EQ(vp.Height, 16u);
  const D3DSURFACE_DESC desc = BackBufferDesc();
  EXPECT_EQ(desc.Width, 32u);
  EXPECT_EQ(desc.Height, 16u);
}

TEST_F(DeviceLifecycleTest, ReleasingTheDeviceReportsObjectsStillHeld) {
  ASSERT_TRUE(CreateDevice());
  const UINT before = D3D8Debug_LiveObjectCount();
  IDirect3DTexture8* tex = nullptr;
  IDirect3DIndexBuffer8* ib = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex), D3D_OK);
  ASSERT_EQ(device_->CreateIndexBuffer(64, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
  EXPECT_EQ(D3D8Debug_LiveObjectCount(), before + 2);
  EXPECT_EQ(D3D8Debug_DeviceChildReferences(device_), 2u);

  // The application's reference goes; the two objects keep the device.
  EXPECT_EQ(device_->Release(), 2u);
  EXPECT_EQ(D3D8Debug_DeviceChildReferences(device_), 2u);
  IDirect3DDevice8* owner = nullptr;
  tex->GetDevice(&owner);
  EXPECT_EQ(owner, device_);
  owner->Release();
  EXPECT_EQ(ib->Release(), 0u);
  EXPECT_EQ(D3D8Debug_DeviceChildReferences(device_), 1u);
  EXPECT_EQ(tex->Release(), 0u);  // the last reference: the device goes with it
  device_ = nullptr;
  EXPECT_EQ(D3D8Debug_LiveObjectCount(), before - 1);
}

TEST_F(DeviceLifecycleTest, BoundObjectsDoNotKeepTheDeviceAlive) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* tex = nullptr;
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex), D3D_OK);
  ASSERT_EQ(device_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vb), D3D_OK);
  device_->SetTexture(0, tex);
  device_->SetStreamSource(0, vb, 16);
  // The device holds the bindings, not the application.
  EXPECT_EQ(tex->Release(), 0u);
  EXPECT_EQ(vb->Release(), 0u);
  IDirect3DBaseTexture8* bound = nullptr;
  device_->GetTexture(0, &bound);
  EXPECT_NE(bound, nullptr);
  bound->Release();
  // TearDown expects the device's count to reach 0.
}

TEST_F(DeviceLifecycleTest, TextureLevelsCountTheirReferencesOnTheTexture) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* tex = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex), D3D_OK);
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(tex->GetSurfaceLevel(1, &level), D3D_OK);
  EXPECT_EQ(tex->AddRef(), 3u);
  EXPECT_EQ(tex->Release(), 2u);
  IDirect3DTexture8* container = nullptr;
  ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture8, reinterpret_cast<void**>(&container)), D3D_OK);
  EXPECT_EQ(container, tex);
  container->Release();
  EXPECT_EQ(level->Release(), 1u);
  EXPECT_EQ(tex->Release(), 0u);
}

TEST_F(DeviceLifecycleTest, ScenesNestOnlyOnce) {
  ASSERT_TRUE(CreateDevice());
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->BeginScene(), D3D_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->EndScene(), D3D_OK);
}

TEST_F(DeviceLifecycleTest, ShadersAnswerACleanFailure) {
  ASSERT_TRUE(CreateDevice());
  const DWORD decl[] = {0};
  DWORD handle = 123;
  EXPECT_TRUE(FAILED(device_->CreateVertexShader(decl, nullptr, &handle, 0)));
  EXPECT_EQ(handle, 0u);
  EXPECT_TRUE(FAILED(device_->CreatePixelShader(decl, &handle)));
  EXPECT_EQ(device_->SetPixelShader(0), D3D_OK);
  EXPECT_EQ(device_->SetPixelShader(7), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetVertexShader(5), D3DERR_INVALIDCALL);
  float c[4] = {};
  EXPECT_EQ(device_->SetVertexShaderConstant(96, c, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetPixelShaderConstant(8, c, 1), D3DERR_INVALIDCALL);
}

TEST_F(DeviceLifecycleTest, FrontBufferHoldsThePresentedFrame) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF4080C0);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  Clear(0xFF000000);
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(kWidth, kHeight, D3DFMT_A8R8G8B8, &image), D3D_OK);
  ASSERT_EQ(device_->GetFrontBuffer(image), D3D_OK);
  Rgba p = PixelOf(image, 10, 10);
  EXPECT_EQ(p.r, 0x40);
  EXPECT_EQ(p.g, 0x80);
  EXPECT_EQ(p.b, 0xC0);
  EXPECT_EQ(p.a, 0xFF);
  image->Release();
}

TEST_F(DeviceLifecycleTest, CursorCallsWorkWithoutAWindow) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(32, 32, D3DFMT_A8R8G8B8, &image), D3D_OK);
  EXPECT_EQ(device_->SetCursorProperties(0, 0, image), D3D_OK);
  EXPECT_EQ(device_->SetCursorProperties(40, 0, image), D3DERR_INVALIDCALL);
  device_->SetCursorPosition(5, 5, 0);
  EXPECT_EQ(device_->ShowCursor(TRUE), FALSE);
  EXPECT_EQ(device_->ShowCursor(FALSE), TRUE);
  image->Release();
}

}  // namespace
}  // namespace d3d8test
