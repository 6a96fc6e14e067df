// The effect base on a real device: the vertex layout it builds from the
// surface's mesh, rebuilding only when the mesh changes, the tangent basis,
// the skin block and bone palette, and the inputs it refuses.
#include "effect_fixture.h"
#include "foreign_child.h"
#include "saved_device_states.h"
#include "skinnedobjectdata/skinned_object_data_channel.h"

#include <algorithm>
#include <cstring>

namespace vel_test {
namespace {

// An effect of the test: the components it is given, counting its restores
// and draws; its retry clock stands where the test puts it.
class ProbeEffect : public ShaderEffect {
 public:
  explicit ProbeEffect(std::vector<int> used, bool skinning = false) : used_(std::move(used)), skinning_(skinning) {
    retryClock = [] { return now; };
  }
  bool UsesVertexComponent(int index) override { return std::count(used_.begin(), used_.end(), index) > 0; }
  bool SupportsSkinning() override { return skinning_; }
  float GetVertexValue(int vertex) override { return 10.0f * static_cast<float>(vertex); }
  const DWORD* GetVertexDeclaration() override { return kDeclaration; }
  bool RestoreDeviceObjects() override {
    ++restores;
    return BuildMeshBuffers();
  }
  void Render() override {
    ++renders;
    // The position leads every layout here: drawn as plain positions.
    D3DDevice()->SetVertexShader(D3DFVF_XYZ);
    DrawMesh();
  }
  unsigned Stride() const { return vertexStride; }
  bool Ready() const { return buffersReady; }
  // The floats of vertex i as the buffer holds them.
  std::vector<float> Vertex(unsigned i) {
    std::vector<float> out(vertexStride / 4);
    BYTE* data = nullptr;
    if (!vertexBuffer || FAILED(vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY))) return {};
    std::memcpy(out.data(), data + i * vertexStride, vertexStride);
    vertexBuffer->Unlock();
    return out;
  }
  IDirect3DVertexBuffer8* Vertices() { return vertexBuffer; }

  int restores = 0;
  int renders = 0;
  static inline DWORD now = 5001;  // odd: a failure is stamped with the low bit set

 private:
  static constexpr DWORD kDeclaration[] = {0x20000000, 0xFFFFFFFF};
  std::vector<int> used_;
  bool skinning_;
};

class ShaderEffectBaseTest : public EffectTest {
 protected:
  void Attach(ShaderEffect& effect, Vel_DX8_PixelShaderSurface* surface) {
    effect.engine = engine;
    effect.SetOwner(surface);
    effect.SetDevice(Device());
  }
};

TEST_F(ShaderEffectBaseTest, TheVertexHoldsTheChosenComponentsAndIsRebuiltOnlyWhenTheMeshChanges) {
  Vel_DX8_ObjectDataChannel* mesh = Quad(-1, -0.5f, 1, 0.5f, 0.25f);
  Vel_DX8_PixelShaderSurface* surface = NewSurface(-1, mesh);
  ProbeEffect effect({ShaderEffect::kVertexValue, ShaderEffect::kTexU, ShaderEffect::kNormal, ShaderEffect::kPosition});
  Attach(effect, surface);
  effect.DoShaderEffect();
  effect.DoShaderEffect();
  EXPECT_EQ(effect.restores, 1);
  EXPECT_EQ(effect.renders, 2);
  ASSERT_EQ(effect.Stride(), 32u);
  // Position, normal, u, value: whatever order the components were named in.
  EXPECT_EQ(effect.Vertex(2), (std::vector<float>{1, -0.5f, 0.25f, 0, 0, -1, 1, 20}));

  // The mesh builds new buffers: its stamp moves and the effect follows.
  mesh->SetVertexPosition(VertPos{0.5f, -0.5f, 0.25f}, 2);
  ASSERT_TRUE(mesh->CreateVertexBuffer());
  effect.DoShaderEffect();
  EXPECT_EQ(effect.restores, 2);
  EXPECT_FLOAT_EQ(effect.Vertex(2)[0], 0.5f);

  // A device loss drops the buffers; the next frame builds them again.
  const unsigned held = LiveReferences();
  effect.InvalidateDeviceObjects();
  EXPECT_LT(LiveReferences(), held);
  effect.DoShaderEffect();
  EXPECT_EQ(effect.restores, 3);
  EXPECT_TRUE(effect.Ready());
  ExpectNoLayerError();
}

TEST_F(ShaderEffectBaseTest, TheTangentBasisFollowsTheTextureDirections) {
  Vel_DX8_PixelShaderSurface* surface = NewSurface(-1, Quad(-1, -1, 1, 1));
  ProbeEffect effect({0, 1, 3, 5, 6, 7, 8});
  Attach(effect, surface);
  effect.DoShaderEffect();
  ASSERT_EQ(effect.Stride(), 80u);
  for (unsigned i = 0; i < 4; ++i) {
    const std::vector<float> v = effect.Vertex(i);
    ASSERT_EQ(v.size(), 20u);
    // u grows with x, v grows downwards; S x T faces along the normal.
    EXPECT_EQ(std::vector<float>(v.begin() + 11, v.end()), (std::vector<float>{1, 0, 0, 0, -1, 0, 0, 0, -1})) << i;
  }
  // 32-bit indices are read too; a buffer of no triangles is refused.
  IDirect3DIndexBuffer8* wide = nullptr;
  ASSERT_EQ(D3DDevice()->CreateIndexBuffer(12, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &wide), D3D_OK);
  BYTE* data = nullptr;
  ASSERT_EQ(wide->Lock(0, 0, &data, 0), D3D_OK);
  const uint32_t triangle[3] = {0, 1, 2};
  std::memcpy(data, triangle, sizeof triangle);
  wide->Unlock();
  EXPECT_EQ(effect.BuildTangentBasis(effect.Vertices(), wide), 0);
  EXPECT_EQ(effect.BuildTangentBasis(effect.Vertices(), nullptr), E_FAIL);
  wide->Release();
}

TEST_F(ShaderEffectBaseTest, ASkinnedMeshCarriesItsWeightsAndBoneRegistersAndThePaletteHasTwentyFiveBones) {
  auto* skin = Create<SkinnedObjectDataChannel>(vel::kSkinnedObjectDataTypeA);
  ASSERT_NE(skin, nullptr);
  ASSERT_TRUE(Link(skin, Quad(-1, -1, 1, 1), 0));
  Vel_DX8_PixelShaderSurface* surface = NewSurface(-1, skin);
  // Bones 1, 2, 3 and 30: the last is past the palette and takes bone 0.
  skin->SetVertexWeights(0, SkinWeights{{0.5f, 0.25f, 0.125f}, 0x1E030201u});
  skin->SetWeightsPerVertex(2);
  ProbeEffect effect({ShaderEffect::kPosition}, true);
  Attach(effect, surface);
  EXPECT_TRUE(effect.IsSkinnedObjectData());
  effect.DoShaderEffect();
  ASSERT_EQ(effect.Stride(), 12u + 32u);
  std::vector<float> v = effect.Vertex(0);
  EXPECT_EQ(std::vector<float>(v.begin() + 3, v.end()), (std::vector<float>{0.5f, 0.5f, 0.125f, 0, 23, 26, 29, 20}));

  // One weight a vertex: the first weight is 1, the others as read.
  skin->SetWeightsPerVertex(1);
  effect.DoShaderEffect();
  v = effect.Vertex(0);
  EXPECT_EQ(std::vector<float>(v.begin() + 3, v.begin() + 7), (std::vector<float>{1, 0.25f, 0.125f, 0}));

  // The palette: three rows of each transposed bone from c20 on.
  skin->SetBoneCount(2);
  D3DXMATRIX bone;
  D3DXMatrixTranslation(&bone, 7, 8, 9);
  skin->SetBoneMatrix(1, bone);
  ASSERT_TRUE(effect.SetBoneMatrices());
  float rows[12] = {};
  // (Read back where the device keeps vertex-shader constants.)
  const bool readable = SUCCEEDED(D3DDevice()->GetVertexShaderConstant(23, rows, 3));
  if (readable) {
    EXPECT_EQ(std::vector<float>(rows, rows + 12), (std::vector<float>{1, 0, 0, 7, 0, 1, 0, 8, 0, 0, 1, 9}));
  }
  skin->SetBoneCount(0);
  EXPECT_TRUE(effect.SetBoneMatrices());
  skin->SetBoneCount(26);
  float after[12] = {};
  EXPECT_FALSE(effect.SetBoneMatrices());
  if (readable) {
    D3DDevice()->GetVertexShaderConstant(23, after, 3);
    EXPECT_EQ(std::memcmp(rows, after, sizeof rows), 0) << "nothing is uploaded for 26 bones";
  }

  // An effect that cannot skin uses the skinned mesh's vertices alone.
  ProbeEffect plain({ShaderEffect::kPosition});
  Attach(plain, surface);
  plain.DoShaderEffect();
  EXPECT_EQ(plain.Stride(), 12u);
  EXPECT_FALSE(plain.SetBoneMatrices());
}

TEST_F(ShaderEffectBaseTest, BadMeshesForeignChildrenAndAMissingDeviceDrawNothing) {
  // An index past the last vertex: no buffers, reported.
  Vel_DX8_ObjectDataChannel* mesh = Quad(-1, -1, 1, 1);
  Vel_DX8_PixelShaderSurface* surface = NewSurface(-1, mesh);
  mesh->SetIndex(9, 5);
  ProbeEffect effect({ShaderEffect::kPosition});
  Attach(effect, surface);
  effect.DoShaderEffect();
  ProbeEffect::now += ShaderEffect::kRestoreRetryMs - 1;
  effect.DoShaderEffect();
  EXPECT_FALSE(effect.Ready());
  EXPECT_EQ(effect.renders, 0);
  // Tried and reported once, not every frame, until a second has passed; a
  // device reset tries again at once, and so does a change of the mesh,
  // which mends it here.
  EXPECT_EQ(effect.restores, 1);
  EXPECT_EQ(messages.Count("Invalid index data"), 1);
  ProbeEffect::now += 1;
  effect.DoShaderEffect();
  EXPECT_EQ(effect.restores, 2);
  effect.InvalidateDeviceObjects();
  effect.DoShaderEffect();
  EXPECT_EQ(effect.restores, 3);
  EXPECT_EQ(messages.Count("Invalid index data"), 3);
  mesh->SetIndex(3, 5);
  ASSERT_TRUE(mesh->CreateVertexBuffer());
  effect.DoShaderEffect();
  EXPECT_EQ(effect.restores, 4);
  EXPECT_TRUE(effect.Ready());

  // A channel of another type in the mesh slot is never read as a mesh.
  auto* value = Create<Vel_FloatChannel>(vel::kFloatType);
  ASSERT_TRUE(PlaceForeignChild(surface, 0, value));
  ProbeEffect other({ShaderEffect::kPosition});
  Attach(other, surface);
  other.DoShaderEffect();
  EXPECT_FALSE(other.Ready());

  // Shader slots: 10 is reported for vertex shaders, silent for pixel shaders.
  messages.Clear();
  EXPECT_FALSE(effect.AssembleVertexShader(10, "vs.1.1", nullptr));
  EXPECT_TRUE(messages.Has("Error invalid shadernr"));
  messages.Clear();
  EXPECT_FALSE(effect.AssemblePixelShader(10, "ps.1.1"));
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(effect.LoadEffectResource("NO SUCH TEXT"), nullptr);
  EXPECT_STREQ(effect.GetErrorText(), "No vertex shader compiled or error creating vertex shader");

  // Without a device channel nothing is drawn and nothing is touched.
  ProbeEffect orphan({ShaderEffect::kPosition});
  orphan.SetOwner(surface);
  orphan.DoShaderEffect();
  EXPECT_EQ(orphan.restores, 0);
  orphan.InvalidateDeviceObjects();
}

TEST_F(ShaderEffectBaseTest, SavedStatesComeBackAndTheBlockGoesWithTheDevice) {
  IDirect3DDevice8* d = D3DDevice();
  SavedDeviceStates saved;
  d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  ASSERT_TRUE(saved.Capture(d));
  d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  saved.Apply();
  DWORD z = 0, op = 0;
  d->GetRenderState(D3DRS_ZENABLE, &z);
  d->GetTextureStageState(1, D3DTSS_COLOROP, &op);
  EXPECT_EQ(z, static_cast<DWORD>(D3DZB_TRUE));
  EXPECT_EQ(op, static_cast<DWORD>(D3DTOP_ADD));
  // A second capture keeps the states of then.
  d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  ASSERT_TRUE(saved.Capture(d));
  d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  saved.Apply();
  d->GetRenderState(D3DRS_ZENABLE, &z);
  EXPECT_EQ(z, static_cast<DWORD>(D3DZB_FALSE));
  saved.Release();
  EXPECT_FALSE(saved.Held());
  saved.Apply();  // nothing to apply: no effect, no error
}

}  // namespace
}  // namespace vel_test
