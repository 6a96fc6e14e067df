// The scene channel: one frame of a project that draws, from the clear to the
// presented image, the order of its children and the two passes of its 3D
// objects, and a device lost in the middle of a run.
#include "image_writers.h"
#include "material/material_channel.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "mesh_fixture.h"
#include "object/vel_dx8_object_channel.h"
#include "recording_user.h"
#include "scene/vel_scene_channel.h"
#include "surface/vel_dx8_surface_channel.h"
#include "texture/vel_dx8_texture.h"

#include <d3d8/d3d8debug.h>

namespace vel_test {
namespace {

// A child that writes its turn into a shared log when called.
class LoggingChild : public Orn_Channel {
 public:
  LoggingChild(std::string name, std::vector<std::string>* log) : name(std::move(name)), log(log) {}
  void CallChannel() override { log->push_back(name); }
  std::string name;
  std::vector<std::string>* log;
};

// A child that, when called, takes entry `entry` out of `parent`'s links.
class UnlinkingChild : public Orn_Channel {
 public:
  UnlinkingChild(Orn_Channel* parent, int entry) : parent(parent), entry(entry) {}
  void CallChannel() override { parent->RemoveChild(entry); }
  Orn_Channel* parent;
  int entry;
};

// A child that turns a surface transparent when it is called.
class TurningChild : public Orn_Channel {
 public:
  explicit TurningChild(Vel_DX8_SurfaceChannel* surface) : surface(surface) {}
  void CallChannel() override { surface->SetTransparentSurface(true); }
  Vel_DX8_SurfaceChannel* surface;
};

class SceneChannelTest : public MeshTest {
 protected:
  void SetUp() override {
    MeshTest::SetUp();
    scene = Create<Vel_SceneChannel>(vel::kSceneType);
    ASSERT_NE(scene, nullptr);
    ASSERT_NE(D3DDevice(), nullptr);
  }
  void TearDown() override {
    D3D8Debug_FailReset(D3D_OK, 0);
    D3D8Debug_FailCreateDevice(D3D_OK, 0);
    MeshTest::TearDown();
  }

  Vel_DX8_ObjectChannel* NewObject() {
    auto* object = Create<Vel_DX8_ObjectChannel>(vel::kObjectType);
    EXPECT_TRUE(Link(scene, object, Vel_SceneChannel::kChildrenSlot));
    return object;
  }
  // A surface of `object` drawing a quad in one colour.
  Vel_DX8_SurfaceChannel* AddQuad(Vel_DX8_ObjectChannel* object, float x0, float y0, float x1, float y1, float z,
                                  D3DCOLOR color) {
    Vel_DX8_ObjectDataChannel* mesh = NewMesh();
    MakeQuad(mesh, x0, y0, x1, y1, z, color);
    auto* surface = Create<Vel_DX8_SurfaceChannel>(vel::kSurfaceType);
    EXPECT_TRUE(Link(surface, mesh, Vel_DX8_SurfaceChannel::kObjectDataSlot));
    EXPECT_TRUE(Link(object, surface, 2));
    return surface;
  }

  Vel_SceneChannel* scene = nullptr;
  std::vector<std::string> log;
};

TEST_F(SceneChannelTest, ClearsCallsItsChildrenInOrderAndDrawsTransparentSurfacesLast) {
  FlatSetup();
  scene->SetClearColor(0xFF0000FF);
  // Link order: a child, an object with a red floor and a half-transparent
  // green pane, another child, an object whose white quad lies behind the
  // pane.
  ASSERT_TRUE(Link(scene, Adopt<LoggingChild>("first", &log), 0));
  Vel_DX8_ObjectChannel* front = NewObject();
  AddQuad(front, -1, -1, 1, 0, 0.8f, 0xFFFF0000);
  Vel_DX8_SurfaceChannel* pane = AddQuad(front, -1, -1, 1, 1, 0.2f, 0x8000FF00);
  pane->SetTransparentSurface(true);
  pane->SetWriteDepthBuffer(false);
  ASSERT_TRUE(Link(scene, Adopt<LoggingChild>("second", &log), 0));
  Vel_DX8_ObjectChannel* back = NewObject();
  AddQuad(back, -1, 0, 1, 1, 0.9f, 0xFFFFFFFF);

  Frame(scene);
  Image image = Capture();
  EXPECT_EQ(log, (std::vector<std::string>{"first", "second"}));
  // The pane is blended over everything opaque, the later object included.
  const float a = 0x80 / 255.0f;
  EXPECT_RGB_NEAR(At(image, 0.0f, -0.5f), Byte(1 - a), Byte(a), 0, 2);
  EXPECT_RGB_NEAR(At(image, 0.0f, 0.5f), Byte(1 - a), 255, Byte(1 - a), 2);

  // Once a frame, however often it is called.
  scene->CallChannel();
  EXPECT_EQ(log.size(), 2u);
  // Without the pane the clear colour shows where nothing is drawn.
  pane->SetVisible(false);
  Destroy(back);
  Frame(scene);
  image = Capture();
  EXPECT_RGB_NEAR(At(image, 0.0f, 0.5f), 0, 0, 255, 0);
  EXPECT_RGB_NEAR(At(image, 0.0f, -0.5f), 255, 0, 0, 0);
}

// The scene keeps its children between frames; a child that changes the
// scene's links while it is called is seen at once: an object unlinked by
// an earlier child is not drawn in the same frame.
TEST_F(SceneChannelTest, LinksChangedByAChildDuringTheFrameAreSeenAtOnce) {
  FlatSetup();
  scene->SetClearColor(0xFF0000FF);
  Vel_DX8_ObjectChannel* first = NewObject();
  AddQuad(first, -1, -1, 1, 0, 0.5f, 0xFFFF0000);
  auto* unlinker = Adopt<UnlinkingChild>(scene, 2);
  unlinker->entry = -1;  // does nothing in the first frame
  ASSERT_TRUE(Link(scene, unlinker, Vel_SceneChannel::kChildrenSlot));
  Vel_DX8_ObjectChannel* second = NewObject();
  AddQuad(second, -1, 0, 1, 1, 0.5f, 0xFFFFFFFF);
  ASSERT_EQ(scene->GetChild(2), second);
  Frame(scene);
  EXPECT_RGB_NEAR(At(Capture(), 0.0f, 0.5f), 255, 255, 255, 0);

  unlinker->entry = 2;
  Frame(scene);
  Image image = Capture();
  EXPECT_RGB_NEAR(At(image, 0.0f, -0.5f), 255, 0, 0, 0);
  EXPECT_RGB_NEAR(At(image, 0.0f, 0.5f), 0, 0, 255, 0);
  EXPECT_EQ(scene->GetChild(2), nullptr);
}

// A surface turned transparent by a child after its object's opaque pass is
// drawn in the same frame's transparent pass, as if every object's pass had
// run. Added to itself (source and destination factor one) it shows twice
// its colour where it was drawn in both passes, once where only in one.
TEST_F(SceneChannelTest, ASurfaceTurnedTransparentDuringTheFrameIsDrawnInItsTransparentPass) {
  FlatSetup();
  Vel_DX8_ObjectChannel* first = NewObject();
  Vel_DX8_SurfaceChannel* turning = AddQuad(first, 0.2f, 0.1f, 0.8f, 0.7f, 0.5f, 0xFF600000);
  turning->SetCheckDepthBuffer(false);
  turning->SetSourceBlend(D3DBLEND_ONE);
  turning->SetDestBlend(D3DBLEND_ONE);
  ASSERT_TRUE(Link(scene, Adopt<TurningChild>(turning), Vel_SceneChannel::kChildrenSlot));
  Vel_DX8_ObjectChannel* second = NewObject();
  AddQuad(second, -0.8f, -0.6f, -0.2f, 0.0f, 0.5f, 0xFFFFFFFF);

  Frame(scene);
  Image image = Capture();
  EXPECT_RGB_NEAR(At(image, 0.5f, 0.4f), 2 * 0x60, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, -0.5f, -0.3f), 255, 255, 255, 0);
  // Transparent from the start, it is drawn by the second pass alone.
  Frame(scene);
  EXPECT_RGB_NEAR(At(Capture(), 0.5f, 0.4f), 0x60, 0, 0, 1);
}

// The transparent pass passes over objects without anything transparent and
// still leaves the device as every object's pass would: the world transform
// of the last object (culled, it still sets it) and the depth states of the
// last surface of the last object not culled.
TEST_F(SceneChannelTest, TheTransparentPassLeavesTheStatesOfEveryObjectsPass) {
  FlatSetup();
  Vel_DX8_ObjectChannel* glass = NewObject();
  Vel_DX8_SurfaceChannel* pane = AddQuad(glass, -0.9f, -0.9f, 0.9f, 0.9f, 0.3f, 0x8000FF00);
  pane->SetTransparentSurface(true);
  Vel_DX8_ObjectChannel* flat = NewObject();
  AddQuad(flat, -0.5f, 0.2f, 0.5f, 0.6f, 0.6f, 0xFF0000FF);
  Vel_DX8_SurfaceChannel* overlay = AddQuad(flat, 0.1f, -0.6f, 0.7f, -0.2f, 0.6f, 0xFFFF0000);
  overlay->SetCheckDepthBuffer(false);
  overlay->SetWriteDepthBuffer(false);
  Vel_DX8_ObjectChannel* far = NewObject();
  AddQuad(far, -0.25f, -0.25f, 0.25f, 0.25f, 0.5f, 0xFFFFFFFF);
  D3DXMATRIX away;
  D3DXMatrixTranslation(&away, 6, -2, 0.25f);
  auto* placement = Create<Vel_MatrixChannel>(vel::kMatrixType);
  placement->SetMatrix(away);
  ASSERT_TRUE(Link(far, placement, 0));
  far->SetUseFullObjectCulling(true);

  for (int frame = 0; frame < 2; ++frame) {
    Frame(scene);
    IDirect3DDevice8* d = D3DDevice();
    DWORD z = 1, zWrite = 1;
    d->GetRenderState(D3DRS_ZENABLE, &z);
    d->GetRenderState(D3DRS_ZWRITEENABLE, &zWrite);
    EXPECT_EQ(z, 0u);
    EXPECT_EQ(zWrite, 0u);
    D3DXMATRIX world;
    d->GetTransform(D3DTS_WORLD, &world);
    EXPECT_EQ(world, away);
    // The pane is still blended over the opaque quads.
    const float a = 0x80 / 255.0f;
    Image image = Capture();
    EXPECT_RGB_NEAR(At(image, 0.4f, -0.4f), Byte(1 - a), Byte(a), 0, 2);
    EXPECT_RGB_NEAR(At(image, 0.0f, 0.4f), 0, Byte(a), Byte(1 - a), 2);
  }
}

TEST_F(SceneChannelTest, LostDeviceIsResetAndTheNextFrameEqualsTheOneBefore) {
  // Drawn with the device's default states alone (they come back with the
  // reset): default projection, lighting on, the colour from the material's
  // emissive part times the texture.
  Vel_DX8_ObjectChannel* object = NewObject();
  Vel_DX8_SurfaceChannel* surface = AddQuad(object, -1, -1, 1, 1, 2.0f, 0xFFFFFFFF);
  Vel_DX8_ObjectDataChannel* mesh = surface->GetObjectData();
  mesh->SetVertexTUUse(true);
  const VertTUV uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int i = 0; i < 4; ++i) mesh->SetVertexTUCoord(uv[i], i);
  auto* material = Create<MaterialChannel>(vel::kMaterialType);
  D3DMATERIAL8 m{};
  m.Emissive = {1, 1, 1, 1};
  m.Diffuse = {0, 0, 0, 1};
  material->SetMaterial(m);
  ASSERT_TRUE(Link(surface, material, Vel_DX8_SurfaceChannel::kMaterialSlot));
  testimages::Bytes png =
      testimages::WritePng(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00}, testimages::PngKind::kRgba);
  auto* texture = Create<Vel_DX8_Texture>(vel::kTextureType);
  ASSERT_TRUE(texture->LoadTextureFromMemoryAndCopyBuffer(reinterpret_cast<const char*>(png.data()),
                                                          static_cast<int>(png.size())));
  ASSERT_TRUE(Link(surface, texture, Vel_DX8_SurfaceChannel::kTexturesSlot));
  RecordingUser* user = Adopt<RecordingUser>("user", &log);

  Frame(scene);
  const Image before = Capture();
  ASSERT_FALSE(before.Empty());
  // Filtered texels: red towards the top left, yellow towards the bottom right.
  EXPECT_RGB_NEAR(before.At(kWidth / 4, kHeight / 4), 255, 0, 0, 40);
  EXPECT_RGB_NEAR(before.At(3 * kWidth / 4, 3 * kHeight / 4), 255, 255, 0, 40);

  // Presenting finds the device lost: the scene has it reset, every device
  // user drops its objects, and the next frame makes them again.
  D3D8Debug_LoseDevice(D3DDevice());
  Frame(scene);
  EXPECT_EQ(log, (std::vector<std::string>{"user objects"}));
  EXPECT_EQ(D3DDevice()->TestCooperativeLevel(), D3D_OK);
  Frame(scene);
  const Image after = Capture();
  EXPECT_EQ(after.argb, before.argb);
  EXPECT_TRUE(texture->GetIfValidTexture());
  (void)user;

  // A scene that cannot begin is reported once, however many frames it lasts.
  messages.Clear();
  D3DDevice()->BeginScene();
  RunFrames(scene, 3);
  D3DDevice()->EndScene();
  EXPECT_EQ(messages.messages.size(), 1u);
  EXPECT_TRUE(messages.HasPart("Vel_SceneChannel::CallChannel: Couldn't begin the scene"));

  // With no device at all the children still run and nothing is drawn.
  ASSERT_TRUE(Link(scene, Adopt<LoggingChild>("child", &log), 0));
  D3D8Debug_FailReset(D3DERR_DEVICELOST, -1);
  D3D8Debug_FailCreateDevice(D3DERR_NOTAVAILABLE, -1);
  Device()->ResetDevice();
  ASSERT_EQ(D3DDevice(), nullptr);
  log.clear();
  RunFrames(scene, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"child", "child"}));
}

TEST_F(SceneChannelTest, RecordLoadsBackByteForByte) {
  scene->SetClearColor(0x80402010);
  std::vector<char> record = SaveRecord(scene);
  bool loaded = false;
  auto* copy = vel::As<Vel_SceneChannel>(LoadRecord(vel::kSceneType, record, &loaded), vel::kSceneType);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(copy->GetClearColor(), 0x80402010u);
  EXPECT_EQ(SaveRecord(copy), record);
  ExpectCutRecordsHandled(vel::kSceneType, record);
}

}  // namespace
}  // namespace vel_test
