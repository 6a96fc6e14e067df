// The surface channel drawing its mesh: where the world matrix puts it, the
// colour its material gives it under a known ambient light, the two passes,
// blending, alpha rejection, depth settings and its textures on the stages.
#include "image_writers.h"
#include "material/material_channel.h"
#include "mesh_fixture.h"
#include "surface/vel_dx8_surface_channel.h"
#include "texture/vel_dx8_texture.h"

namespace vel_test {
namespace {

class SurfaceDrawTest : public MeshTest {
 protected:
  void SetUp() override {
    MeshTest::SetUp();
    ASSERT_NE(D3DDevice(), nullptr);
    FlatSetup();
  }

  // A surface drawing a quad from (x0, y0) to (x1, y1) at depth z.
  Vel_DX8_SurfaceChannel* QuadSurface(float x0, float y0, float x1, float y1, float z, D3DCOLOR color) {
    Vel_DX8_ObjectDataChannel* mesh = NewMesh();
    MakeQuad(mesh, x0, y0, x1, y1, z, color);
    auto* surface = Create<Vel_DX8_SurfaceChannel>(vel::kSurfaceType);
    EXPECT_TRUE(Link(surface, mesh, Vel_DX8_SurfaceChannel::kObjectDataSlot));
    return surface;
  }

  template <class Draw>
  Image DrawScene(Draw draw) {
    IDirect3DDevice8* d = D3DDevice();
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    d->BeginScene();
    engine->ext->IncreaseTreeCount();
    draw();
    d->EndScene();
    return PresentAndCapture();
  }

  DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
    DWORD value = 0;
    D3DDevice()->GetTextureStageState(stage, type, &value);
    return value;
  }
};

TEST_F(SurfaceDrawTest, DrawsItsMeshWhereTheWorldMatrixPutsItInItsMaterialsColour) {
  Vel_DX8_SurfaceChannel* surface = QuadSurface(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f, 0xFFFFFFFF);
  auto* material = Create<MaterialChannel>(vel::kMaterialType);
  ASSERT_TRUE(Link(surface, material, Vel_DX8_SurfaceChannel::kMaterialSlot));
  D3DMATERIAL8 m{};
  m.Diffuse = {0, 0, 0, 1};
  m.Ambient = {1.0f, 0.5f, 0.25f, 1};
  material->SetMaterial(m);
  // Lit by a white ambient light alone: the colour is the material's ambient.
  Device()->SetRenderState(D3DRS_LIGHTING, TRUE);
  Device()->SetRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
  D3DXMATRIX world;
  D3DXMatrixTranslation(&world, 0.5f, 0.0f, 0.0f);
  surface->SetWorldMatrix(world);
  EXPECT_EQ(surface->GetWorldMatrix(), world);

  Image image = DrawScene([&] { surface->DrawSurface(); });
  EXPECT_RGB_NEAR(At(image, 0.5f, 0.0f), 255, Byte(0.5f), Byte(0.25f), 2);
  EXPECT_RGB_NEAR(At(image, 0.9f, 0.4f), 255, Byte(0.5f), Byte(0.25f), 2);
  EXPECT_RGB_NEAR(At(image, -0.25f, 0.0f), 0, 0, 0, 0);

  // Hidden, or asked in the other pass, it draws nothing.
  image = DrawScene([&] { surface->DrawTransparentSurface(); });
  EXPECT_RGB_NEAR(At(image, 0.5f, 0.0f), 0, 0, 0, 0);
  surface->SetVisible(false);
  image = DrawScene([&] { surface->DrawSurface(); });
  EXPECT_RGB_NEAR(At(image, 0.5f, 0.0f), 0, 0, 0, 0);
}

TEST_F(SurfaceDrawTest, TransparentSurfacesBlendInTheSecondPassAndAlphaRejects) {
  Vel_DX8_SurfaceChannel* back = QuadSurface(-1, -1, 1, 1, 0.8f, 0xFFFF0000);
  Vel_DX8_SurfaceChannel* glass = QuadSurface(-1, -1, 0, 1, 0.2f, 0x8000FF00);
  glass->SetTransparentSurface(true);
  glass->SetWriteDepthBuffer(false);
  const float a = 0x80 / 255.0f;

  Image image = DrawScene([&] {
    back->DrawSurface();
    glass->DrawSurface();  // not in the first pass
    back->DrawTransparentSurface();
    glass->DrawTransparentSurface();
  });
  EXPECT_RGB_NEAR(At(image, -0.5f, 0.0f), Byte(1 - a), Byte(a), 0, 2);
  EXPECT_RGB_NEAR(At(image, 0.5f, 0.0f), 255, 0, 0, 1);
  // Blending was on for the glass only.
  DWORD blend = 1;
  D3DDevice()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
  EXPECT_EQ(blend, 0u);

  // Alpha 0x80 is rejected at a reference of 0x90 and passes at 0x70.
  glass->SetAlphaRejectTest(true);
  glass->SetAlphaRejectValue(0x90);
  image = DrawScene([&] {
    back->DrawSurface();
    glass->DrawTransparentSurface();
  });
  EXPECT_RGB_NEAR(At(image, -0.5f, 0.0f), 255, 0, 0, 1);
  glass->SetAlphaRejectValue(0x70);
  image = DrawScene([&] {
    back->DrawSurface();
    glass->DrawTransparentSurface();
  });
  EXPECT_RGB_NEAR(At(image, -0.5f, 0.0f), Byte(1 - a), Byte(a), 0, 2);

  // A surface that does not test depth draws over what is nearer.
  Vel_DX8_SurfaceChannel* behind = QuadSurface(0, -1, 1, 1, 0.9f, 0xFF0000FF);
  image = DrawScene([&] {
    back->DrawSurface();
    behind->DrawSurface();
  });
  EXPECT_RGB_NEAR(At(image, 0.5f, 0.0f), 255, 0, 0, 1);
  behind->SetCheckDepthBuffer(false);
  image = DrawScene([&] {
    back->DrawSurface();
    behind->DrawSurface();
  });
  EXPECT_RGB_NEAR(At(image, 0.5f, 0.0f), 0, 0, 255, 1);
}

TEST_F(SurfaceDrawTest, BindsItsTexturesToStagesWithItsStageSettings) {
  Vel_DX8_SurfaceChannel* surface = QuadSurface(-1, -1, 1, 1, 0.5f, 0xFFFFFFFF);
  Vel_DX8_ObjectDataChannel* mesh = surface->GetObjectData();
  ASSERT_NE(mesh, nullptr);
  // Texture coordinates 0..1 across the quad, (0, 0) at the top left.
  mesh->SetVertexTUUse(true);
  const VertTUV uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int i = 0; i < 4; ++i) mesh->SetVertexTUCoord(uv[i], i);
  // Red, green / blue, white.
  testimages::Bytes png =
      testimages::WritePng(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}, testimages::PngKind::kRgba);
  auto* texture = Create<Vel_DX8_Texture>(vel::kTextureType);
  texture->SetMipMapLevels(1);
  ASSERT_TRUE(texture->LoadTextureFromMemoryAndCopyBuffer(reinterpret_cast<const char*>(png.data()),
                                                          static_cast<int>(png.size())));
  ASSERT_TRUE(Link(surface, texture, Vel_DX8_SurfaceChannel::kTexturesSlot));
  for (DWORD stage = 0; stage < 8; ++stage) Device()->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_POINT);

  // Texture times the white vertex colour: the texels land on the quarters.
  Image image = DrawScene([&] { surface->DrawSurface(); });
  EXPECT_RGB_NEAR(At(image, -0.5f, 0.5f), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0.5f, 0.5f), 0, 255, 0, 1);
  EXPECT_RGB_NEAR(At(image, -0.5f, -0.5f), 0, 0, 255, 1);
  EXPECT_RGB_NEAR(At(image, 0.5f, -0.5f), 255, 255, 255, 1);
  // Afterwards the stage is free again.
  IDirect3DBaseTexture8* bound = nullptr;
  D3DDevice()->GetTexture(0, &bound);
  EXPECT_EQ(bound, nullptr);
  EXPECT_EQ(StageState(0, D3DTSS_COLORARG1), static_cast<DWORD>(D3DTA_DIFFUSE));

  // The stage settings apply: the texture alone, then its inverse.
  surface->SetColorOp(D3DTOP_SELECTARG1, 0);
  surface->SetColorArg1(D3DTA_TEXTURE | D3DTA_COMPLEMENT, 0);
  image = DrawScene([&] { surface->DrawSurface(); });
  EXPECT_RGB_NEAR(At(image, -0.5f, 0.5f), 0, 255, 255, 1);
  EXPECT_RGB_NEAR(At(image, 0.5f, -0.5f), 0, 0, 0, 1);
  // Clamped coordinates repeat the edge texels beyond 1.
  surface->SetColorArg1(D3DTA_TEXTURE, 0);
  surface->SetTillingMode(D3DTADDRESS_CLAMP, 0);
  for (int i = 0; i < 4; ++i) mesh->SetVertexTUCoord({uv[i].u * 2, uv[i].v * 2}, i);
  mesh->InvalidateDeviceObjects();
  image = DrawScene([&] { surface->DrawSurface(); });
  EXPECT_RGB_NEAR(At(image, -0.75f, 0.75f), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0.5f, -0.5f), 255, 255, 255, 1);
  EXPECT_RGB_NEAR(At(image, -0.75f, -0.75f), 0, 0, 255, 1);
}

}  // namespace
}  // namespace vel_test
