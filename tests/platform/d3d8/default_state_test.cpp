// The documented initial values of a device's states, as Get* reports them.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class DefaultStateTest : public DeviceTest {};

DWORD RS(IDirect3DDevice8* d, D3DRENDERSTATETYPE s) {
  DWORD v = 0xDEADBEEF;
  EXPECT_EQ(d->GetRenderState(s, &v), D3D_OK);
  return v;
}

DWORD TSS(IDirect3DDevice8* d, DWORD stage, D3DTEXTURESTAGESTATETYPE t) {
  DWORD v = 0xDEADBEEF;
  EXPECT_EQ(d->GetTextureStageState(stage, t, &v), D3D_OK);
  return v;
}

TEST_F(DefaultStateTest, RenderStatesStartAtTheirDocumentedValues) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DDevice8* d = device_;
  EXPECT_EQ(RS(d, D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));  // with an automatic depth buffer
  EXPECT_EQ(RS(d, D3DRS_FILLMODE), static_cast<DWORD>(D3DFILL_SOLID));
  EXPECT_EQ(RS(d, D3DRS_SHADEMODE), static_cast<DWORD>(D3DSHADE_GOURAUD));
  EXPECT_EQ(RS(d, D3DRS_ZWRITEENABLE), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RS(d, D3DRS_ALPHATESTENABLE), static_cast<DWORD>(FALSE));
  EXPECT_EQ(RS(d, D3DRS_LASTPIXEL), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RS(d, D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
  EXPECT_EQ(RS(d, D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ZERO));
  EXPECT_EQ(RS(d, D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
  EXPECT_EQ(RS(d, D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_LESSEQUAL));
  EXPECT_EQ(RS(d, D3DRS_ALPHAREF), 0u);
  EXPECT_EQ(RS(d, D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_ALWAYS));
  EXPECT_EQ(RS(d, D3DRS_DITHERENABLE), static_cast<DWORD>(FALSE));
  EXPECT_EQ(RS(d, D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(FALSE));
  EXPECT_EQ(RS(d, D3DRS_FOGENABLE), static_cast<DWORD>(FALSE));
  EXPECT_EQ(RS(d, D3DRS_SPECULARENABLE), static_cast<DWORD>(FALSE));
  EXPECT_EQ(RS(d, D3DRS_FOGCOLOR), 0u);
  EXPECT_EQ(RS(d, D3DRS_FOGTABLEMODE), static_cast<DWORD>(D3DFOG_NONE));
  EXPECT_EQ(RS(d, D3DRS_FOGSTART), F2D(0.0f));
  EXPECT_EQ(RS(d, D3DRS_FOGEND), F2D(1.0f));
  EXPECT_EQ(RS(d, D3DRS_FOGDENSITY), F2D(1.0f));
  EXPECT_EQ(RS(d, D3DRS_ZBIAS), 0u);
  EXPECT_EQ(RS(d, D3DRS_STENCILENABLE), static_cast<DWORD>(FALSE));
  EXPECT_EQ(RS(d, D3DRS_STENCILFUNC), static_cast<DWORD>(D3DCMP_ALWAYS));
  EXPECT_EQ(RS(d, D3DRS_STENCILMASK), 0xFFFFFFFFu);
  EXPECT_EQ(RS(d, D3DRS_STENCILWRITEMASK), 0xFFFFFFFFu);
  EXPECT_EQ(RS(d, D3DRS_WRAP0), 0u);
  EXPECT_EQ(RS(d, D3DRS_CLIPPING), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RS(d, D3DRS_LIGHTING), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RS(d, D3DRS_AMBIENT), 0u);
  EXPECT_EQ(RS(d, D3DRS_FOGVERTEXMODE), static_cast<DWORD>(D3DFOG_NONE));
  EXPECT_EQ(RS(d, D3DRS_COLORVERTEX), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RS(d, D3DRS_LOCALVIEWER), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RS(d, D3DRS_NORMALIZENORMALS), static_cast<DWORD>(FALSE));
  EXPECT_EQ(RS(d, D3DRS_DIFFUSEMATERIALSOURCE), static_cast<DWORD>(D3DMCS_COLOR1));
  EXPECT_EQ(RS(d, D3DRS_SPECULARMATERIALSOURCE), static_cast<DWORD>(D3DMCS_COLOR2));
  EXPECT_EQ(RS(d, D3DRS_AMBIENTMATERIALSOURCE), static_cast<DWORD>(D3DMCS_MATERIAL));
  EXPECT_EQ(RS(d, D3DRS_EMISSIVEMATERIALSOURCE), static_cast<DWORD>(D3DMCS_MATERIAL));
  EXPECT_EQ(RS(d, D3DRS_VERTEXBLEND), static_cast<DWORD>(D3DVBF_DISABLE));
  EXPECT_EQ(RS(d, D3DRS_SOFTWAREVERTEXPROCESSING), static_cast<DWORD>(TRUE));  // a software-processing device
  EXPECT_EQ(RS(d, D3DRS_POINTSIZE), F2D(1.0f));
  EXPECT_EQ(RS(d, D3DRS_POINTSCALE_A), F2D(1.0f));
  EXPECT_EQ(RS(d, D3DRS_MULTISAMPLEANTIALIAS), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RS(d, D3DRS_MULTISAMPLEMASK), 0xFFFFFFFFu);
  EXPECT_EQ(RS(d, D3DRS_PATCHSEGMENTS), F2D(1.0f));
  EXPECT_EQ(RS(d, D3DRS_POINTSIZE_MAX), F2D(64.0f));
  EXPECT_EQ(RS(d, D3DRS_COLORWRITEENABLE), 0x0Fu);
  EXPECT_EQ(RS(d, D3DRS_BLENDOP), static_cast<DWORD>(D3DBLENDOP_ADD));
  EXPECT_EQ(RS(d, D3DRS_TEXTUREFACTOR), 0xFFFFFFFFu);
  EXPECT_EQ(RS(d, D3DRS_POSITIONORDER), static_cast<DWORD>(D3DORDER_CUBIC));
  EXPECT_EQ(RS(d, D3DRS_NORMALORDER), static_cast<DWORD>(D3DORDER_LINEAR));
}

TEST_F(DefaultStateTest, DepthIsOffWithoutAnAutomaticDepthBuffer) {
  ASSERT_TRUE(CreateDevice(D3DFMT_UNKNOWN));
  EXPECT_EQ(RS(device_, D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_FALSE));
  IDirect3DSurface8* ds = reinterpret_cast<IDirect3DSurface8*>(1);
  EXPECT_EQ(device_->GetDepthStencilSurface(&ds), D3DERR_NOTFOUND);
  EXPECT_EQ(ds, nullptr);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(DefaultStateTest, TextureStagesStartAtTheirDocumentedValues) {
  ASSERT_TRUE(CreateDevice());
  for (DWORD s = 0; s < 8; ++s) {
    SCOPED_TRACE(s);
    EXPECT_EQ(TSS(device_, s, D3DTSS_COLOROP), static_cast<DWORD>(s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE));
    EXPECT_EQ(TSS(device_, s, D3DTSS_ALPHAOP), static_cast<DWORD>(s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE));
    EXPECT_EQ(TSS(device_, s, D3DTSS_COLORARG1), static_cast<DWORD>(D3DTA_TEXTURE));
    EXPECT_EQ(TSS(device_, s, D3DTSS_COLORARG2), static_cast<DWORD>(D3DTA_CURRENT));
    EXPECT_EQ(TSS(device_, s, D3DTSS_ALPHAARG1), static_cast<DWORD>(D3DTA_TEXTURE));
    EXPECT_EQ(TSS(device_, s, D3DTSS_ALPHAARG2), static_cast<DWORD>(D3DTA_CURRENT));
    EXPECT_EQ(TSS(device_, s, D3DTSS_TEXCOORDINDEX), s);
    EXPECT_EQ(TSS(device_, s, D3DTSS_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_WRAP));
    EXPECT_EQ(TSS(device_, s, D3DTSS_ADDRESSV), static_cast<DWORD>(D3DTADDRESS_WRAP));
    EXPECT_EQ(TSS(device_, s, D3DTSS_MAGFILTER), static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(TSS(device_, s, D3DTSS_MINFILTER), static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(TSS(device_, s, D3DTSS_MIPFILTER), static_cast<DWORD>(D3DTEXF_NONE));
    EXPECT_EQ(TSS(device_, s, D3DTSS_MAXANISOTROPY), 1u);
    EXPECT_EQ(TSS(device_, s, D3DTSS_BUMPENVMAT00), F2D(0.0f));
    EXPECT_EQ(TSS(device_, s, D3DTSS_TEXTURETRANSFORMFLAGS), static_cast<DWORD>(D3DTTFF_DISABLE));
    EXPECT_EQ(TSS(device_, s, D3DTSS_RESULTARG), static_cast<DWORD>(D3DTA_CURRENT));
    IDirect3DBaseTexture8* t = reinterpret_cast<IDirect3DBaseTexture8*>(1);
    EXPECT_EQ(device_->GetTexture(s, &t), D3D_OK);
    EXPECT_EQ(t, nullptr);
  }
  DWORD v;
  EXPECT_EQ(device_->GetTextureStageState(8, D3DTSS_COLOROP, &v), D3DERR_INVALIDCALL);
}

TEST_F(DefaultStateTest, TransformsViewportMaterialAndLightsStartEmpty) {
  ASSERT_TRUE(CreateDevice());
  for (D3DTRANSFORMSTATETYPE t : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_TEXTURE0, D3DTS_TEXTURE7}) {
    D3DMATRIX m;
    ASSERT_EQ(device_->GetTransform(t, &m), D3D_OK);
    D3DMATRIX id = Identity();
    EXPECT_EQ(std::memcmp(&m, &id, sizeof m), 0);
  }
  D3DMATRIX m;
  EXPECT_EQ(device_->GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(1), &m), D3DERR_INVALIDCALL);
  D3DVIEWPORT8 vp;
  ASSERT_EQ(device_->GetViewport(&vp), D3D_OK);
  EXPECT_EQ(vp.X, 0u);
  EXPECT_EQ(vp.Y, 0u);
  EXPECT_EQ(vp.Width, kWidth);
  EXPECT_EQ(vp.Height, kHeight);
  EXPECT_EQ(vp.MinZ, 0.0f);
  EXPECT_EQ(vp.MaxZ, 1.0f);
  D3DMATERIAL8 mat;
  ASSERT_EQ(device_->GetMaterial(&mat), D3D_OK);
  EXPECT_EQ(mat.Diffuse.r, 0.0f);
  EXPECT_EQ(mat.Power, 0.0f);
  D3DLIGHT8 light;
  EXPECT_EQ(device_->GetLight(0, &light), D3DERR_INVALIDCALL);
  // Enabling a light that was never set makes the default light: white,
  // directional, along +z.
  ASSERT_EQ(device_->LightEnable(3, TRUE), D3D_OK);
  ASSERT_EQ(device_->GetLight(3, &light), D3D_OK);
  EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_EQ(light.Diffuse.r, 1.0f);
  EXPECT_EQ(light.Direction.z, 1.0f);
  BOOL on = FALSE;
  EXPECT_EQ(device_->GetLightEnable(3, &on), D3D_OK);
  EXPECT_TRUE(on);
}

TEST_F(DefaultStateTest, StatesSetAreReadBack) {
  ASSERT_TRUE(CreateDevice());
  EXPECT_EQ(device_->SetRenderState(D3DRS_ALPHAREF, 8), D3D_OK);
  EXPECT_EQ(RS(device_, D3DRS_ALPHAREF), 8u);
  EXPECT_EQ(device_->SetTextureStageState(2, D3DTSS_BUMPENVLSCALE, F2D(0.5f)), D3D_OK);
  EXPECT_EQ(TSS(device_, 2, D3DTSS_BUMPENVLSCALE), F2D(0.5f));
  EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(300), 1), D3DERR_INVALIDCALL);
  D3DVIEWPORT8 vp = {0, 0, kWidth + 1, kHeight, 0, 1};
  EXPECT_EQ(device_->SetViewport(&vp), D3DERR_INVALIDCALL);  // larger than the render target
  D3DMATRIX a = Translation(1, 0, 0), b = Scaling(2, 2, 2), r;
  device_->SetTransform(D3DTS_VIEW, &a);
  device_->MultiplyTransform(D3DTS_VIEW, &b);  // b times the current matrix
  device_->GetTransform(D3DTS_VIEW, &r);
  EXPECT_EQ(r._11, 2.0f);
  EXPECT_EQ(r._41, 1.0f);
}

}  // namespace
}  // namespace d3d8test
