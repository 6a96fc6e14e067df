// The two bump-mapping effects: the tangent frame lies in the vertex where
// their declarations feed it to the shaders (plain and skinned), and on a
// layer with shaders they draw, light a flat normal map as the lighting
// texture says and come back unchanged after a device loss.
#include "cubetexture/vel_dx8_cube_texture.h"
#include "dot_product_bump_effect.h"
#include "effect_fixture.h"
#include "image_writers.h"
#include "reflective_bump_effect.h"
#include "skinnedobjectdata/skinned_object_data_channel.h"

#include <cstdlib>
#include <cstring>
#include <map>

namespace vel_test {
namespace {

using Surface = Vel_DX8_PixelShaderSurface;

// The vertex bytes the effect built, read back.
template <class Effect>
class Peek : public Effect {
 public:
  unsigned Stride() const { return this->vertexStride; }
  std::vector<float> Vertex(unsigned i) {
    std::vector<float> out(this->vertexStride / 4);
    BYTE* data = nullptr;
    if (!this->vertexBuffer || FAILED(this->vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY))) return {};
    std::memcpy(out.data(), data + i * this->vertexStride, this->vertexStride);
    this->vertexBuffer->Unlock();
    return out;
  }
};

// Byte offset of every input register a declaration feeds, and the size of
// the vertex it reads.
std::map<int, unsigned> RegisterOffsets(const DWORD* declaration, unsigned* size) {
  std::map<int, unsigned> offsets;
  unsigned at = 0;
  for (; *declaration != 0xFFFFFFFFu; ++declaration) {
    if ((*declaration >> 29) != 2) continue;
    offsets[static_cast<int>(*declaration & 0xFF)] = at;
    at += 4 * (((*declaration >> 16) & 0xF) + 1);
  }
  *size = at;
  return offsets;
}

class BumpEffectsTest : public EffectTest {
 protected:
  template <class Effect>
  void Attach(Effect& effect, Surface* surface) {
    effect.engine = engine;
    effect.SetOwner(surface);
    effect.SetDevice(Device());
    // The vertices alone: no shader needed for them.
    ASSERT_TRUE(effect.BuildMeshBuffers());
  }

  // Checks that S, T and S x T of vertex 0 of the quad are where registers
  // `s`, `t` and `sxt` of `declaration` read them.
  template <class Effect>
  void ExpectFrameAt(Peek<Effect>& effect, const DWORD* declaration, int s, int t, int sxt, unsigned stride) {
    unsigned size = 0;
    std::map<int, unsigned> at = RegisterOffsets(declaration, &size);
    ASSERT_EQ(effect.Stride(), stride);
    const std::vector<float> v = effect.Vertex(0);
    ASSERT_EQ(v.size(), stride / 4);
    // u grows with x and v downwards; S x T faces along the quad's normal.
    EXPECT_EQ(std::vector<float>(v.begin() + at[s] / 4, v.begin() + at[s] / 4 + 3), (std::vector<float>{1, 0, 0}));
    EXPECT_EQ(std::vector<float>(v.begin() + at[t] / 4, v.begin() + at[t] / 4 + 3), (std::vector<float>{0, -1, 0}));
    EXPECT_EQ(std::vector<float>(v.begin() + at[sxt] / 4, v.begin() + at[sxt] / 4 + 3),
              (std::vector<float>{0, 0, -1}));
  }
};

TEST_F(BumpEffectsTest, TheTangentFrameIsWhereTheDeclarationsFeedIt) {
  {
    Peek<ReflectiveBumpEffect> effect;
    Attach(effect, NewSurface(-1, Quad(-1, -1, 1, 1)));
    EXPECT_TRUE(effect.OwnsStageStates());
    ExpectFrameAt(effect, effect.GetVertexDeclaration(), 5, 6, 4, 80);
  }
  {
    Peek<DotProductBumpEffect> effect;
    Attach(effect, NewSurface(-1, Quad(-1, -1, 1, 1)));
    ExpectFrameAt(effect, effect.GetVertexDeclaration(), 5, 6, 4, 68);
  }
  {
    // The skinned vertex: the same frame, then weights and bone registers.
    auto* skin = Create<SkinnedObjectDataChannel>(vel::kSkinnedObjectDataTypeA);
    ASSERT_NE(skin, nullptr);
    ASSERT_TRUE(Link(skin, Quad(-1, -1, 1, 1), 0));
    skin->SetWeightsPerVertex(1);
    Peek<DotProductBumpEffect> effect;
    Attach(effect, NewSurface(-1, skin));
    ASSERT_TRUE(effect.IsSkinnedObjectData());
    ExpectFrameAt(effect, effect.GetSkinnedVertexDeclaration(), 4, 5, 3, 100);
    unsigned size = 0;
    std::map<int, unsigned> at = RegisterOffsets(effect.GetSkinnedVertexDeclaration(), &size);
    EXPECT_EQ(size, 100u);
    EXPECT_EQ(effect.Vertex(0)[at[6] / 4], 1.0f) << "one bone, full weight";
    EXPECT_EQ(effect.Vertex(0)[at[7] / 4], static_cast<float>(ShaderEffect::kFirstBoneRegister));
  }
  ExpectNoLayerError();
}

#define SKIP_WITHOUT_SHADERS() \
  if (!ShadersAvailable()) GTEST_SKIP() << "the graphics layer has no vertex shaders"

TEST_F(BumpEffectsTest, DotProductLightingOfAFlatMapIsTheLightingTexelTimesTheBase) {
  SKIP_WITHOUT_SHADERS();
  // No Shader Info inputs: bump scale 0.25, light (0, 0, -1) towards the
  // viewer, so N.L = 1 and N.H is about 1: the lighting texture's last texel.
  Surface* surface = NewSurface(Surface::kDotProductBump, Quad(-1, -1, 1, 1));
  AddTexture(surface, std::vector<uint32_t>(4, 0xFF4080C0), 2, 2);
  AddTexture(surface, std::vector<uint32_t>(4, 0xFF8080FF), 2, 2);
  AddTexture(surface, {0x00000000, 0x00000000, 0x00000000, 0x00808080}, 2, 2);
  const Image image = Draw(surface);
  const Rgba centre = At(image, 0, 0);
  EXPECT_LE(std::abs(centre.r - 0x20), 3);
  EXPECT_LE(std::abs(centre.g - 0x40), 3);
  EXPECT_LE(std::abs(centre.b - 0x60), 3);
  ExpectLossRecovers(surface);
  ExpectNoLayerError();
}

TEST_F(BumpEffectsTest, ReflectionOfAPlainCubeIsTheCubesColourAndSurvivesALoss) {
  SKIP_WITHOUT_SHADERS();
  Surface* surface = NewSurface(Surface::kReflectiveBump, Quad(-1, -1, 1, 1));
  AddFloat(surface, 0.5f);
  AddTexture(surface, std::vector<uint32_t>(4, 0xFF8080FF), 2, 2);
  auto* cube = Create<Vel_DX8_CubeTexture>(vel::kCubeTextureType);
  ASSERT_NE(cube, nullptr);
  const testimages::Bytes png =
      testimages::WritePng(4, 4, testimages::Texels(16, 0xFF20C040), testimages::PngKind::kRgba);
  ASSERT_TRUE(cube->LoadTextureFromMemoryAndCopyBuffer(reinterpret_cast<const char*>(png.data()),
                                                       static_cast<int>(png.size())));
  ASSERT_TRUE(Link(surface, cube, Vel_DX8_SurfaceChannel::kTexturesSlot));
  const Image image = Draw(surface);
  const Rgba centre = At(image, 0, 0);
  EXPECT_EQ(centre.r, 0x20);
  EXPECT_EQ(centre.g, 0xC0);
  EXPECT_EQ(centre.b, 0x40);
  ExpectLossRecovers(surface);
  ExpectNoLayerError();
}

}  // namespace
}  // namespace vel_test
