// Cube textures: which face and texel a direction reads, coordinates
// generated in camera space and transformed with three components, and cube
// faces as render targets.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

struct ScreenTex3 {
  float x, y, z, rhw;
  float r[3];
};

class CubeTextureTest : public DeviceTest {
 protected:
  // A cube of edge `edge` whose texel (x, y) of face f is `color(f, x, y)`.
  template <typename F>
  IDirect3DCubeTexture8* MakeCube(UINT edge, F color) {
    IDirect3DCubeTexture8* cube = nullptr;
    EXPECT_EQ(device_->CreateCubeTexture(edge, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube), D3D_OK);
    if (!cube) return nullptr;
    for (UINT f = 0; f < 6; ++f) {
      D3DLOCKED_RECT lr;
      EXPECT_EQ(cube->LockRect(static_cast<D3DCUBEMAP_FACES>(f), 0, &lr, nullptr, 0), D3D_OK);
      for (UINT y = 0; y < edge; ++y)
        for (UINT x = 0; x < edge; ++x) {
          const D3DCOLOR c = color(f, x, y);
          std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch + x * 4, &c, 4);
        }
      EXPECT_EQ(cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(f), 0), D3D_OK);
    }
    return cube;
  }

  // The whole viewport drawn with one lookup direction.
  Rgba Lookup(float x, float y, float z) {
    const auto [x0, y0, x1, y1] = ViewportRect();
    const ScreenTex3 v[4] = {{x0, y0, 0.5f, 1, {x, y, z}},
                             {x1, y0, 0.5f, 1, {x, y, z}},
                             {x0, y1, 0.5f, 1, {x, y, z}},
                             {x1, y1, 0.5f, 1, {x, y, z}}};
    Clear(0xFF000000);
    DrawQuadUP(D3DFVF_XYZRHW | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0), v, sizeof v[0]);
    return Pixel(32, 32);
  }

  // A quad facing the camera whose vertices all carry normal n.
  void DrawQuadWithNormal(float nx, float ny, float nz) {
    const PosNormal v[4] = {{-1, 1, 0.5f, nx, ny, nz}, {1, 1, 0.5f, nx, ny, nz}, {-1, -1, 0.5f, nx, ny, nz},
                            {1, -1, 0.5f, nx, ny, nz}};
    Clear(0xFF000000);
    DrawQuadUP(D3DFVF_XYZ | D3DFVF_NORMAL, v, sizeof v[0]);
  }
};

// Solid faces: +X red, -X green, +Y blue, -Y yellow, +Z magenta, -Z cyan.
constexpr D3DCOLOR kFaceColor[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFFFF00FF, 0xFF00FFFF};

Rgba RgbaOf(D3DCOLOR c) {
  return {static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF), 255};
}

#define EXPECT_COLOR(px, c)                 \
  do {                                      \
    const Rgba _e = RgbaOf(c);              \
    EXPECT_NEAR_RGB(px, _e.r, _e.g, _e.b, 0); \
  } while (0)

TEST_F(CubeTextureTest, DirectionsReadTheFaceAndTexelOfTheMajorAxis) {
  ASSERT_TRUE(CreateDevice());
  // 2 x 2 texels a face, each with its own colour.
  auto color = [](UINT f, UINT x, UINT y) -> D3DCOLOR { return 0xFF000000 | (40 * f + 20) << 16 | (x * 200) << 8 | y * 200; };
  IDirect3DCubeTexture8* cube = MakeCube(2, color);
  ASSERT_NE(cube, nullptr);
  device_->SetTexture(0, cube);
  SelectArg1(D3DTA_TEXTURE);
  // For texel (x, y) the face coordinates are sc = x - 0.5 and tc = y - 0.5
  // (s = (sc + 1) / 2, t = (tc + 1) / 2 over a major axis of length 1). Each
  // face turns (sc, tc) into a direction by the layout Direct3D documents.
  for (UINT f = 0; f < 6; ++f) {
    for (UINT y = 0; y < 2; ++y) {
      for (UINT x = 0; x < 2; ++x) {
        const float sc = x - 0.5f, tc = y - 0.5f;
        float d[3];
        switch (f) {
          case D3DCUBEMAP_FACE_POSITIVE_X: d[0] = 1, d[1] = -tc, d[2] = -sc; break;
          case D3DCUBEMAP_FACE_NEGATIVE_X: d[0] = -1, d[1] = -tc, d[2] = sc; break;
          case D3DCUBEMAP_FACE_POSITIVE_Y: d[0] = sc, d[1] = 1, d[2] = tc; break;
          case D3DCUBEMAP_FACE_NEGATIVE_Y: d[0] = sc, d[1] = -1, d[2] = -tc; break;
          case D3DCUBEMAP_FACE_POSITIVE_Z: d[0] = sc, d[1] = -tc, d[2] = 1; break;
          default: d[0] = -sc, d[1] = -tc, d[2] = -1; break;
        }
        SCOPED_TRACE(testing::Message() << "face " << f << " texel " << x << "," << y);
        EXPECT_COLOR(Lookup(d[0], d[1], d[2]), color(f, x, y));
      }
    }
  }
  device_->SetTexture(0, nullptr);
  cube->Release();
}

TEST_F(CubeTextureTest, CameraSpaceNormalAndReflectionVectorsWithThreeTransformedComponents) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DCubeTexture8* cube = MakeCube(1, [](UINT f, UINT, UINT) { return kFaceColor[f]; });
  IDirect3DTexture8* flat = MakeColorTexture(1, 1, {0xFF808080});
  ASSERT_NE(cube, nullptr);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  SelectArg1(D3DTA_TEXTURE);
  device_->SetTexture(0, cube);
  device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
  // A normal turned towards the viewer: -z in camera space.
  DrawQuadWithNormal(0, 0, -1);
  EXPECT_COLOR(Pixel(32, 32), kFaceColor[D3DCUBEMAP_FACE_NEGATIVE_Z]);
  // N = (0.6, 0, -0.8) still points mostly along -z, while its reflection of
  // the distant viewer's direction E = (0, 0, -1), 2 (E.N) N - E =
  // (0.96, 0, -0.28), points along +x.
  DrawQuadWithNormal(0.6f, 0, -0.8f);
  EXPECT_COLOR(Pixel(32, 32), kFaceColor[D3DCUBEMAP_FACE_NEGATIVE_Z]);
  device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
  DrawQuadWithNormal(0.6f, 0, -0.8f);
  EXPECT_COLOR(Pixel(32, 32), kFaceColor[D3DCUBEMAP_FACE_POSITIVE_X]);
  // Three transformed components: a matrix exchanging x and z turns the
  // reflection (0, 0, -1) of a normal facing the viewer into (-1, 0, 0).
  D3DMATRIX swap{};
  swap._13 = swap._22 = swap._31 = swap._44 = 1;
  device_->SetTransform(D3DTS_TEXTURE0, &swap);
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3);
  DrawQuadWithNormal(0, 0, -1);
  EXPECT_COLOR(Pixel(32, 32), kFaceColor[D3DCUBEMAP_FACE_NEGATIVE_X]);
  // The stage's sampler follows the texture bound at each draw.
  device_->SetTexture(0, flat);
  device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  Clear(0xFF000000);
  DrawScreenTexturedQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Pixel(32, 32), 128, 128, 128, 0);
  device_->SetTexture(0, cube);
  EXPECT_COLOR(Lookup(0, 1, 0), kFaceColor[D3DCUBEMAP_FACE_POSITIVE_Y]);
  device_->SetTexture(0, nullptr);
  flat->Release();
  cube->Release();
}

TEST_F(CubeTextureTest, FacesAreRenderTargetsOfTheirCubeAndStateBlocksBindCubes) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DCubeTexture8* cube = nullptr;
  EXPECT_EQ(device_->CreateCubeTexture(16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &cube),
            D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->CreateCubeTexture(16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &cube),
            D3D_OK);
  for (UINT f = 0; f < 6; ++f) {
    SavedTargets saved(device_);
    IDirect3DSurface8* face = nullptr;
    ASSERT_EQ(cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(f), 0, &face), D3D_OK);
    ASSERT_EQ(device_->SetRenderTarget(face, nullptr), D3D_OK);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kFaceColor[f], 1.0f, 0), D3D_OK);
    IDirect3DCubeTexture8* container = nullptr;
    ASSERT_EQ(face->GetContainer(IID_IDirect3DCubeTexture8, reinterpret_cast<void**>(&container)), D3D_OK);
    EXPECT_EQ(container, cube);
    container->Release();
    face->Release();
  }
  // Bound through a recorded state block.
  DWORD block = 0;
  device_->BeginStateBlock();
  device_->SetTexture(0, cube);
  ASSERT_EQ(device_->EndStateBlock(&block), D3D_OK);
  ASSERT_EQ(device_->ApplyStateBlock(block), D3D_OK);
  device_->DeleteStateBlock(block);
  SelectArg1(D3DTA_TEXTURE);
  EXPECT_COLOR(Lookup(1, 0.2f, 0.1f), kFaceColor[D3DCUBEMAP_FACE_POSITIVE_X]);
  EXPECT_COLOR(Lookup(0.1f, -1, 0.3f), kFaceColor[D3DCUBEMAP_FACE_NEGATIVE_Y]);
  EXPECT_COLOR(Lookup(-0.2f, 0.1f, -1), kFaceColor[D3DCUBEMAP_FACE_NEGATIVE_Z]);
  device_->SetTexture(0, nullptr);
  cube->Release();
}

}  // namespace
}  // namespace d3d8test
