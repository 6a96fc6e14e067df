// Draws merged into instanced draws: many objects sharing a mesh, material
// and texture, each under its own world matrix, must give exactly the
// picture they give drawn one at a time, whatever changes between them.
#include <functional>

#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

struct Vertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

class DrawMergeTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_TRUE(CreateDevice());
    MakeResources();
  }
  void TearDown() override {
    ReleaseResources();
    DeviceTest::TearDown();
  }
  void MakeResources() {
    MakeCube();
    texture_ = MakeColorTexture(4, 4, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF808080, 0xFFFFFF00,
                                       0xFF00FFFF, 0xFFFF00FF, 0xFF400000, 0xFF004000, 0xFF000040, 0xFFC0C0C0,
                                       0xFF102030, 0xFF302010, 0xFFA0B0C0, 0xFF0A0B0C});
    ASSERT_NE(texture_, nullptr);
  }
  void ReleaseResources() {
    if (device_) {
      device_->SetStreamSource(0, nullptr, 0);
      device_->SetIndices(nullptr, 0);
      device_->SetTexture(0, nullptr);
    }
    if (texture_) texture_->Release(), texture_ = nullptr;
    if (vb_) vb_->Release(), vb_ = nullptr;
    if (ib_) ib_->Release(), ib_ = nullptr;
  }

  // A unit cube, each face its own four vertices with the face's normal
  // and the whole texture.
  void MakeCube() {
    const float n[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    Vertex v[24];
    WORD idx[36];
    for (int f = 0; f < 6; ++f) {
      const float* nn = n[f];
      // Two directions across the face.
      const float a[3] = {nn[1] != 0 || nn[2] != 0 ? 1.0f : 0.0f, nn[0] != 0 ? 1.0f : 0.0f, 0.0f};
      const float b[3] = {nn[1] * a[2] - nn[2] * a[1], nn[2] * a[0] - nn[0] * a[2], nn[0] * a[1] - nn[1] * a[0]};
      for (int c = 0; c < 4; ++c) {
        const float s = (c & 1) ? 0.5f : -0.5f, t = (c & 2) ? 0.5f : -0.5f;
        v[f * 4 + c] = {0.5f * nn[0] + s * a[0] + t * b[0],
                        0.5f * nn[1] + s * a[1] + t * b[1],
                        0.5f * nn[2] + s * a[2] + t * b[2],
                        nn[0], nn[1], nn[2], s + 0.5f, t + 0.5f};
      }
      const WORD q[6] = {0, 1, 2, 2, 1, 3};
      for (int i = 0; i < 6; ++i) idx[f * 6 + i] = static_cast<WORD>(f * 4 + q[i]);
    }
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof v, 0, kFvf, D3DPOOL_MANAGED, &vb_), D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(sizeof idx, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib_), D3D_OK);
    Fill(vb_, v, sizeof v);
    BYTE* p = nullptr;
    ASSERT_EQ(ib_->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, idx, sizeof idx);
    ib_->Unlock();
  }
  static void Fill(IDirect3DVertexBuffer8* vb, const void* data, UINT bytes) {
    BYTE* p = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, data, bytes);
    vb->Unlock();
  }

  // Camera away from the origin looking at the field, a sun and a lamp,
  // linear vertex fog, the texture modulated by the lit colour.
  void SceneState() {
    const D3DMATRIX proj = PerspectiveFov(0.9f, 1.0f, 0.5f, 60.0f);
    device_->SetTransform(D3DTS_PROJECTION, &proj);
    const D3DMATRIX view = Multiply(Translation(-1.5f, 2.0f, 4.0f), Rotation(1, 0, 0, 0.35f));
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    device_->SetRenderState(D3DRS_AMBIENT, 0xFF202830);
    D3DLIGHT8 sun{};
    sun.Type = D3DLIGHT_DIRECTIONAL;
    sun.Diffuse = {0.8f, 0.75f, 0.6f, 1.0f};
    sun.Direction = {0.3f, -0.8f, 0.5f};
    device_->SetLight(0, &sun);
    device_->LightEnable(0, TRUE);
    D3DLIGHT8 lamp{};
    lamp.Type = D3DLIGHT_POINT;
    lamp.Diffuse = {0.4f, 0.6f, 1.0f, 1.0f};
    lamp.Position = {1.0f, 1.5f, 8.0f};
    lamp.Range = 12.0f;
    lamp.Attenuation0 = 0.2f;
    lamp.Attenuation1 = 0.1f;
    device_->SetLight(1, &lamp);
    device_->LightEnable(1, TRUE);
    D3DMATERIAL8 m{};
    m.Diffuse = m.Ambient = {1.0f, 0.9f, 0.8f, 1.0f};
    m.Emissive = {0.05f, 0.0f, 0.1f, 0.0f};
    device_->SetMaterial(&m);
    device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    device_->SetRenderState(D3DRS_FOGSTART, F2D(4.0f));
    device_->SetRenderState(D3DRS_FOGEND, F2D(20.0f));
    device_->SetRenderState(D3DRS_FOGCOLOR, 0xFF405060);
    device_->SetStreamSource(0, vb_, sizeof(Vertex));
    device_->SetIndices(ib_, 0);
    device_->SetVertexShader(kFvf);
  }

  // Object i of the field: moved, turned about a slanted axis and scaled
  // unevenly, so the normals' matrix is not the world matrix.
  static D3DMATRIX ObjectWorld(int i) {
    const float x = static_cast<float>(i % 15) - 7.0f, z = static_cast<float>(i / 15) * 1.3f + 3.0f;
    const D3DMATRIX turn = Rotation(0.48f, 0.8f, 0.36f, 0.37f * static_cast<float>(i));
    const D3DMATRIX scale = Scaling(0.5f + 0.03f * static_cast<float>(i % 7), 0.7f, 0.45f + 0.02f * (i % 5));
    return Multiply(Multiply(scale, turn), Translation(x, 0.2f * static_cast<float>(i % 3), z));
  }

  // One frame of `objects` objects, each drawn the way a surface draws it:
  // its stage set up and texture bound before the draw, both put back
  // after. `between(i)` runs before object i. Returns the frame's texels.
  std::vector<D3DCOLOR> Frame(bool merge, int objects, const std::function<void(int)>& between = {},
                              UINT* glDraws = nullptr) {
    D3D8Debug_MergeDraws(device_, merge);
    SceneState();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102040, 1.0f, 0);
    const UINT before = D3D8Debug_GlDrawCount(device_);
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    for (int i = 0; i < objects; ++i) {
      if (between) between(i);
      const D3DMATRIX world = ObjectWorld(i);
      device_->SetTransform(D3DTS_WORLD, &world);
      device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
      device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
      device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
      device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
      device_->SetTexture(0, texture_);
      EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 24, 0, 12), D3D_OK);
      device_->SetTexture(0, nullptr);
      device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
      device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    }
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    if (glDraws) *glDraws = D3D8Debug_GlDrawCount(device_) - before;
    IDirect3DSurface8* back = nullptr;
    EXPECT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    std::vector<D3DCOLOR> texels = back ? Texels(back) : std::vector<D3DCOLOR>{};
    if (back) back->Release();
    return texels;
  }

  // How many texels are not the clear colour: the picture has content.
  static int Covered(const std::vector<D3DCOLOR>& texels) {
    int n = 0;
    for (D3DCOLOR c : texels) n += (c & 0xFFFFFF) != 0x102040;
    return n;
  }

  IDirect3DVertexBuffer8* vb_ = nullptr;
  IDirect3DIndexBuffer8* ib_ = nullptr;
  IDirect3DTexture8* texture_ = nullptr;
};

TEST_F(DrawMergeTest, ManyObjectsGiveThePictureTheyGiveDrawnOneByOneInAFewDrawCalls) {
  // More objects than one instanced draw takes, so the field is drawn in
  // several merged draws.
  constexpr int kObjects = 300;
  UINT single = 0, merged = 0;
  const std::vector<D3DCOLOR> oneByOne = Frame(false, kObjects, {}, &single);
  const std::vector<D3DCOLOR> together = Frame(true, kObjects, {}, &merged);
  ASSERT_EQ(together.size(), oneByOne.size());
  EXPECT_GT(Covered(oneByOne), static_cast<int>(oneByOne.size() / 4));
  EXPECT_TRUE(together == oneByOne) << "the merged draws changed the picture";
  EXPECT_EQ(single, static_cast<UINT>(kObjects));
  EXPECT_LE(merged, 5u);
  EXPECT_GE(merged, 2u);
}

TEST_F(DrawMergeTest, WhatChangesBetweenObjectsIsSeenByTheObjectsAfterIt) {
  IDirect3DVertexBuffer8* other = nullptr;
  std::vector<D3DCOLOR> midScene;
  auto changes = [&](int i) {
    switch (i) {
      case 6: {  // another material
        D3DMATERIAL8 m{};
        m.Diffuse = m.Ambient = {0.2f, 1.0f, 0.3f, 1.0f};
        device_->SetMaterial(&m);
        break;
      }
      case 12: {  // the lamp moves
        D3DLIGHT8 lamp{};
        device_->GetLight(1, &lamp);
        lamp.Position = {-4.0f, 1.0f, 6.0f};
        device_->SetLight(1, &lamp);
        break;
      }
      case 18: {  // the mesh's vertices rewritten in place: flattened
        Vertex* v = nullptr;
        ASSERT_EQ(vb_->Lock(0, 0, reinterpret_cast<BYTE**>(&v), 0), D3D_OK);
        for (int k = 0; k < 24; ++k) v[k].y *= 0.3f;
        vb_->Unlock();
        break;
      }
      case 21: {  // the frame read back halfway
        IDirect3DSurface8* back = nullptr;
        ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        midScene = Texels(back);
        back->Release();
        break;
      }
      case 24: {  // the texture's texels change
        D3DLOCKED_RECT lr;
        ASSERT_EQ(texture_->LockRect(0, &lr, nullptr, 0), D3D_OK);
        for (int k = 0; k < 4; ++k) static_cast<D3DCOLOR*>(lr.pBits)[k] = 0xFF00FF80;
        texture_->UnlockRect(0);
        break;
      }
      case 30:  // back faces only
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        break;
      case 36:
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        break;
      case 42: {  // another, wider mesh; the first one's buffer released
        Vertex v[24];
        Vertex* from = nullptr;
        ASSERT_EQ(vb_->Lock(0, 0, reinterpret_cast<BYTE**>(&from), D3DLOCK_READONLY), D3D_OK);
        std::memcpy(v, from, sizeof v);
        vb_->Unlock();
        for (Vertex& x : v) x.x *= 1.8f;
        ASSERT_EQ(device_->CreateVertexBuffer(sizeof v, 0, kFvf, D3DPOOL_MANAGED, &other), D3D_OK);
        Fill(other, v, sizeof v);
        device_->SetStreamSource(0, other, sizeof(Vertex));
        vb_->Release();
        vb_ = other;
        break;
      }
      case 48:  // the fog goes
        device_->SetRenderState(D3DRS_FOGENABLE, FALSE);
        break;
      case 54: {  // a texture made, filled and released mid-scene
        IDirect3DTexture8* spare = MakeColorTexture(1, 1, {0xFFFFFFFF});
        if (spare) spare->Release();
        break;
      }
      default:
        break;
    }
  };
  // The same changes in the same places both ways, from fresh resources.
  const std::vector<D3DCOLOR> oneByOne = Frame(false, 60, changes);
  const std::vector<D3DCOLOR> halfOneByOne = midScene;
  ReleaseResources();
  MakeResources();
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
  UINT merged = 0;
  const std::vector<D3DCOLOR> together = Frame(true, 60, changes, &merged);
  EXPECT_GT(Covered(oneByOne), static_cast<int>(oneByOne.size() / 8));
  EXPECT_GT(Covered(halfOneByOne), 0);
  EXPECT_TRUE(midScene == halfOneByOne) << "the frame read halfway missed waiting draws";
  EXPECT_TRUE(together == oneByOne) << "a change between objects reached the wrong ones";
  // Between the changes the objects were still merged.
  EXPECT_LT(merged, 30u);
}

// Programs that leave some of the transform rows unread (OpenGL reports
// the array shorter): lit with every light off, with and without vertex
// fog, and unlit with camera-space positions as texture coordinates. Each
// instance must still find its own rows.
TEST_F(DrawMergeTest, ProgramsReadingFewerTransformRowsStillGiveEachObjectItsOwn) {
  const std::function<void()> setups[3] = {
      [&] {
        device_->LightEnable(0, FALSE);
        device_->LightEnable(1, FALSE);
      },
      [&] {
        device_->LightEnable(0, FALSE);
        device_->LightEnable(1, FALSE);
        device_->SetRenderState(D3DRS_FOGENABLE, FALSE);
      },
      [&] {
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
      }};
  for (int k = 0; k < 3; ++k) {
    auto setup = [&](int i) {
      if (i == 0) setups[k]();
    };
    const std::vector<D3DCOLOR> oneByOne = Frame(false, 60, setup);
    UINT merged = 0;
    const std::vector<D3DCOLOR> together = Frame(true, 60, setup, &merged);
    device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    EXPECT_GT(Covered(oneByOne), static_cast<int>(oneByOne.size() / 8)) << "case " << k;
    EXPECT_TRUE(together == oneByOne) << "case " << k << ": the merged draws changed the picture";
    EXPECT_LT(merged, 5u) << "case " << k;
  }
}

// Viewport, camera, a pre-transformed draw, a state block, texture
// matrices and the ambient colour changing between objects.
TEST_F(DrawMergeTest, ViewportCameraStateBlocksAndTextureMatricesChangingBetweenObjects) {
  DWORD block = 0;
  auto changes = [&](int i) {
    switch (i) {
      case 4: {
        D3DVIEWPORT8 vp = {8, 4, 48, 50, 0.0f, 1.0f};
        device_->SetViewport(&vp);
        break;
      }
      case 8: {
        const D3DMATRIX view = Multiply(Translation(-1.0f, 1.5f, 4.5f), Rotation(1, 0, 0, 0.3f));
        device_->SetTransform(D3DTS_VIEW, &view);
        break;
      }
      case 12: {
        ScreenColor quad[4] = {{0, 0, 0.5f, 1, 0xFFFF00FF}, {10, 0, 0.5f, 1, 0xFFFF00FF},
                               {0, 10, 0.5f, 1, 0xFFFF00FF}, {10, 10, 0.5f, 1, 0xFFFF00FF}};
        device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof quad[0]);
        device_->SetVertexShader(kFvf);
        device_->SetStreamSource(0, vb_, sizeof(Vertex));
        break;
      }
      case 16: {
        D3DMATERIAL8 m{};
        m.Diffuse = m.Ambient = {0.9f, 0.2f, 0.3f, 1.0f};
        device_->BeginStateBlock();
        device_->SetMaterial(&m);
        device_->EndStateBlock(&block);
        break;
      }
      case 20: {
        D3DMATERIAL8 m{};
        m.Diffuse = m.Ambient = {0.1f, 0.2f, 0.9f, 1.0f};
        device_->SetMaterial(&m);
        break;
      }
      case 24:
        device_->ApplyStateBlock(block);
        break;
      case 28:
        device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
        break;
      default:
        break;
    }
    if (i >= 28 && i < 40) {
      D3DMATRIX t = Identity();
      t._31 = 0.05f * static_cast<float>(i % 5);
      device_->SetTransform(D3DTS_TEXTURE0, &t);
    }
    if (i == 40) device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    if (i >= 44 && i < 50) device_->SetRenderState(D3DRS_AMBIENT, 0xFF000000 | (i * 0x030303));
  };
  auto reset = [&] {
    D3DVIEWPORT8 vp = {0, 0, 64, 64, 0.0f, 1.0f};
    device_->SetViewport(&vp);
    if (block) device_->DeleteStateBlock(block), block = 0;
  };
  reset();
  const std::vector<D3DCOLOR> oneByOne = Frame(false, 60, changes);
  reset();
  const std::vector<D3DCOLOR> together = Frame(true, 60, changes);
  reset();
  EXPECT_GT(Covered(oneByOne), 200);  // the camera moves most objects out of the smaller viewport
  EXPECT_TRUE(together == oneByOne) << "merged draws changed the picture";
}

// Draws of two devices interleaved: each device's waiting draws go to its
// own frame.
TEST_F(DrawMergeTest, TwoDevicesDrawingInTurnKeepTheirOwnObjects) {
  const std::vector<D3DCOLOR> alone = Frame(true, 40);
  IDirect3DDevice8* second = nullptr;
  D3DPRESENT_PARAMETERS pp = pp_;
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &second),
            D3D_OK);
  // The second device clears and draws a screen quad after every object
  // of the first.
  auto interleave = [&](int) {
    ScreenColor quad[4] = {{0, 0, 0.5f, 1, 0xFFFF00FF}, {64, 0, 0.5f, 1, 0xFFFF00FF},
                           {0, 64, 0.5f, 1, 0xFFFF00FF}, {64, 64, 0.5f, 1, 0xFFFF00FF}};
    second->SetRenderState(D3DRS_LIGHTING, FALSE);
    second->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    second->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    second->BeginScene();
    second->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof quad[0]);
    second->EndScene();
  };
  const std::vector<D3DCOLOR> interleaved = Frame(true, 40, interleave);
  EXPECT_TRUE(interleaved == alone) << "the other device's drawing reached this one's frame";
  second->Release();
}

}  // namespace
}  // namespace d3d8test
