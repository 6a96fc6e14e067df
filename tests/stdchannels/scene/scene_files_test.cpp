// Scenes saved to a group file and loaded back draw the picture their
// settings describe: colours computed from the lighting, fog and blending
// equations of the fixed-function pipeline, texels where the texture puts
// them, culled objects not drawn; and a device lost mid-run gives back the
// same picture.
#include "camera/vel_dx8_camera_channel.h"
#include "image_writers.h"
#include "light/vel_dx8_light_instance_channel.h"
#include "material/material_channel.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "mesh_fixture.h"
#include "object/vel_dx8_object_channel.h"
#include "scene/vel_scene_channel.h"
#include "surface/vel_dx8_surface_channel.h"
#include "texture/vel_dx8_texture.h"

#include <cmath>

namespace vel_test {
namespace {

struct Color {
  float r, g, b;
};
Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Color operator*(Color a, Color b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
Color operator*(float f, Color a) { return {f * a.r, f * a.g, f * a.b}; }

#define EXPECT_COLOR(pixel, c) EXPECT_RGB_NEAR(pixel, Byte((c).r), Byte((c).g), Byte((c).b), 3)

class SceneFilesTest : public MeshTest {
 protected:
  void SetUp() override {
    MeshTest::SetUp();
    ASSERT_NE(D3DDevice(), nullptr);
    scene = Create<Vel_SceneChannel>(vel::kSceneType);
    camera = Create<Vel_DX8_CameraChannel>(vel::kCameraType);
    ASSERT_TRUE(scene && camera);
    ASSERT_TRUE(Link(scene, camera, 0));
    // The camera at the origin looking along +z.
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    ASSERT_TRUE(Link(camera, Matrix(identity), Vel_DX8_CameraChannel::kCameraMatrixSlot));
  }

  Vel_MatrixChannel* Matrix(const D3DXMATRIX& m) {
    auto* matrix = Create<Vel_MatrixChannel>(vel::kMatrixType);
    matrix->SetMatrix(m);
    return matrix;
  }

  // An object of the scene with one surface: a rectangle from (x0, y0) to
  // (x1, y1) at depth z facing the camera (normal -z), texture coordinates
  // 0..1 from its top left; the surface goes to `object` when given.
  Vel_DX8_SurfaceChannel* AddRectangle(float x0, float y0, float x1, float y1, float z, MaterialChannel* material,
                                       Vel_DX8_ObjectChannel* object = nullptr) {
    Vel_DX8_ObjectDataChannel* mesh = NewMesh();
    SetQuad(mesh, x0, y0, x1, y1, z);
    auto* surface = Create<Vel_DX8_SurfaceChannel>(vel::kSurfaceType);
    EXPECT_TRUE(Link(surface, mesh, Vel_DX8_SurfaceChannel::kObjectDataSlot));
    EXPECT_TRUE(Link(surface, material, Vel_DX8_SurfaceChannel::kMaterialSlot));
    if (!object) {
      object = Create<Vel_DX8_ObjectChannel>(vel::kObjectType);
      EXPECT_TRUE(Link(scene, object, 0));
    }
    EXPECT_TRUE(Link(object, surface, 2));
    return surface;
  }

  MaterialChannel* Material(Color diffuse, float alpha, Color emissive) {
    auto* material = Create<MaterialChannel>(vel::kMaterialType);
    D3DMATERIAL8 m{};
    m.Diffuse = {diffuse.r, diffuse.g, diffuse.b, alpha};
    m.Ambient = {1, 1, 1, alpha};
    m.Emissive = {emissive.r, emissive.g, emissive.b, 1};
    material->SetMaterial(m);
    return material;
  }

  Vel_DX8_LightInstanceChannel* AddLight(int type, const D3DXMATRIX& placement, Color diffuse) {
    auto* light = Create<Vel_DX8_LightInstanceChannel>(vel::kLightType);
    light->SetLightType(type);
    light->SetVectorValue(Vel_DX8_LightInstanceChannel::kDiffuseSlot, {diffuse.r, diffuse.g, diffuse.b});
    EXPECT_TRUE(Link(light, Matrix(placement), Vel_DX8_LightInstanceChannel::kPlacementSlot));
    lights.push_back(light);
    EXPECT_TRUE(Link(scene, light, 0));
    return light;
  }

  // Saves the harness group with the scene as its start channel, loads the
  // file as a new group and returns it; the lights are switched off again
  // after everything else first.
  Orn_ChannelGroup* SaveAndLoad() {
    for (auto* light : lights) EXPECT_TRUE(Link(scene, light, 0));
    group->SetStartChannel(scene->GetChannelIDIndexNr());
    const std::string file = (root / "scene.grp").string();
    EXPECT_TRUE(group->SaveChannelGroup(file.c_str()));
    Orn_ChannelGroup* loaded = engine->LoadChannelGroup(file.c_str(), "Loaded");
    EXPECT_NE(loaded, nullptr);
    return loaded;
  }

  Image Draw(Orn_ChannelGroup* loaded) {
    engine->ext->IncreaseTreeCount();
    loaded->CallStartChannel();
    return Capture();
  }

  // A lost device is reset by the scene on its next present; the frame after
  // that is the frame before.
  void ExpectSameFrameAfterDeviceLoss(Orn_ChannelGroup* loaded, const Image& before) {
    D3D8Debug_LoseDevice(D3DDevice());
    Draw(loaded);
    ASSERT_EQ(D3DDevice()->TestCooperativeLevel(), D3D_OK);
    const Image after = Draw(loaded);
    ASSERT_EQ(after.argb.size(), before.argb.size());
    int different = 0;
    for (size_t i = 0; i < after.argb.size(); ++i) different += after.argb[i] != before.argb[i];
    EXPECT_EQ(different, 0) << "pixels that differ after the device came back";
  }

  Vel_SceneChannel* scene = nullptr;
  Vel_DX8_CameraChannel* camera = nullptr;
  std::vector<Vel_DX8_LightInstanceChannel*> lights;
};

TEST_F(SceneFilesTest, LightingFogBlendingAndCullingFollowTheirEquations) {
  // A 90 degree perspective: a point (x, y, z) lands at NDC (x / z, y / z).
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, static_cast<float>(M_PI / 2), 1.0f, 1.0f, 100.0f);
  ASSERT_TRUE(Link(camera, Matrix(projection), Vel_DX8_CameraChannel::kProjectionSlot));
  // Linear fog from 6 to 14 in (0.2, 0.4, 0.8); SetFogColor takes red low.
  const Color fog{0.2f, 0.4f, 0.8f};
  camera->SetUseFog(true);
  camera->SetFogMode(0);
  camera->SetFogStart(6.0f);
  camera->SetFogEnd(14.0f);
  camera->SetFogColor(0xCC6633);

  // A sun turned 60 degrees about y: it meets faces with normal -z at
  // cos 60 = 0.5; its ambient part lights everything.
  D3DXMATRIX turn;
  D3DXMatrixRotationY(&turn, static_cast<float>(M_PI / 3));
  const Color sunColor{1.0f, 0.5f, 0.25f}, sunAmbient{0.1f, 0.1f, 0.1f};
  auto* sun = AddLight(0, turn, sunColor);
  sun->SetVectorValue(Vel_DX8_LightInstanceChannel::kAmbientSlot, {0.1f, 0.1f, 0.1f});
  // A lamp 2 in front of the centre of a 2 x 2 square at (4, 4, 8): each
  // corner sqrt(6) away at cos = 2 / sqrt(6); range 3 keeps it off the rest.
  D3DXMATRIX lampAt;
  D3DXMatrixTranslation(&lampAt, 4, 4, 6);
  const Color lampColor{0.5f, 1.0f, 0.5f};
  auto* lamp = AddLight(2, lampAt, lampColor);
  lamp->SetVectorValue(Vel_DX8_LightInstanceChannel::kAttenuationSlot, {0.5f, 0.2f, 0.0f});
  lamp->SetChannelValue(3.0f, Vel_DX8_LightInstanceChannel::kRangeSlot);

  const Color diffuse{0.8f, 0.6f, 0.4f};
  MaterialChannel* paint = Material(diffuse, 1.0f, {0, 0, 0});
  AddRectangle(-100, -100, 0, 100, 5, paint);   // left half, before the fog
  AddRectangle(0, -100, 100, 100, 10, paint);   // right half, half fogged
  AddRectangle(3, 3, 5, 5, 8, paint);           // the lamp's square
  // A glass in front of the top left quarter, drawn after the lights are off:
  // its own glow at alpha 0.25 over what lies behind.
  const Color glow{0.2f, 1.0f, 0.6f};
  Vel_DX8_SurfaceChannel* glass = AddRectangle(-100, 0, 0, 100, 4, Material({1, 1, 1}, 0.25f, glow));
  glass->SetTransparentSurface(true);
  glass->SetSourceBlend(D3DBLEND_SRCALPHA);
  glass->SetDestBlend(D3DBLEND_INVSRCALPHA);
  glass->SetWriteDepthBuffer(false);
  // An object behind the camera, culled whole: none of its triangles is
  // drawn.
  auto* behind = Create<Vel_DX8_ObjectChannel>(vel::kObjectType);
  ASSERT_TRUE(Link(scene, behind, 0));
  AddRectangle(-1, -1, 1, 1, -5, paint, behind);
  behind->SetUseFullObjectCulling(true);

  Orn_ChannelGroup* loaded = SaveAndLoad();
  ASSERT_NE(loaded, nullptr);
  Vel_FloatChannel* triangles = Statistic("Vel_ObjectData_PolyCount");
  ASSERT_NE(triangles, nullptr);
  Draw(loaded);
  const float trianglesBefore = triangles->GetFloat();
  const Image image = Draw(loaded);
  EXPECT_NEAR(triangles->GetFloat() - trianglesBefore, 8.0f, 0.01f) << "four rectangles of two triangles; the box is culled";

  const Color lit = sunAmbient + 0.5f * (diffuse * sunColor);
  EXPECT_COLOR(image.At(8, 56), lit);
  const float a = 0.25f;
  EXPECT_COLOR(image.At(8, 8), a * glow + (1 - a) * lit);
  // Fog factor (end - z) / (end - start): 0.5 at z = 10, 0.75 at z = 8.
  EXPECT_COLOR(image.At(56, 56), 0.5f * lit + 0.5f * fog);
  const float d = std::sqrt(6.0f);
  const float lampFactor = (2.0f / d) / (0.5f + 0.2f * d);
  EXPECT_COLOR(image.At(48, 16), 0.75f * (lit + lampFactor * (diffuse * lampColor)) + 0.25f * fog);

  ExpectSameFrameAfterDeviceLoss(loaded, image);
}

TEST_F(SceneFilesTest, TextureCornersLandOnTheScreenCorners) {
  // Identity projection: x and y in -1..1 span the screen.
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  ASSERT_TRUE(Link(camera, Matrix(identity), Vel_DX8_CameraChannel::kProjectionSlot));
  // 64 x 64 texels, one per pixel: 8 x 8 blocks of colour in the corners.
  testimages::Texels texels(64 * 64, 0xFF808080);
  const uint32_t corner[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      if ((x < 8 || x >= 56) && (y < 8 || y >= 56)) texels[y * 64 + x] = corner[(y >= 56) * 2 + (x >= 56)];
  testimages::Bytes png = testimages::WritePng(64, 64, texels, testimages::PngKind::kRgb);
  auto* texture = Create<Vel_DX8_Texture>(vel::kTextureType);
  ASSERT_TRUE(texture->LoadTextureFromMemoryAndCopyBuffer(reinterpret_cast<const char*>(png.data()),
                                                          static_cast<int>(png.size())));
  // Lit by its own white glow alone, the surface shows the texels as they are.
  Vel_DX8_SurfaceChannel* quad = AddRectangle(-1, -1, 1, 1, 0.5f, Material({0, 0, 0}, 1.0f, {1, 1, 1}));
  ASSERT_TRUE(Link(quad, texture, Vel_DX8_SurfaceChannel::kTexturesSlot));

  Orn_ChannelGroup* loaded = SaveAndLoad();
  ASSERT_NE(loaded, nullptr);
  const Image image = Draw(loaded);
  EXPECT_RGB_NEAR(image.At(3, 3), 255, 0, 0, 2);
  EXPECT_RGB_NEAR(image.At(60, 3), 0, 255, 0, 2);
  EXPECT_RGB_NEAR(image.At(3, 60), 0, 0, 255, 2);
  EXPECT_RGB_NEAR(image.At(60, 60), 255, 255, 255, 2);
  EXPECT_RGB_NEAR(image.At(32, 32), 128, 128, 128, 2);

  ExpectSameFrameAfterDeviceLoss(loaded, image);
}

}  // namespace
}  // namespace vel_test
