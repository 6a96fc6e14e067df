#include "image_effect_fixture.h"

#include <cstdlib>
#include <sstream>

namespace vel_test {

void ImageEffectTest::TearDown() {
  // The effect's private time source goes before the engine frees its plug-in.
  water.reset();
  EffectTest::TearDown();
}

WaterEffect* ImageEffectTest::StartWater(int width, int height) {
  Vel_DX8_PixelShaderSurface* surface = PixelSurface(-1);
  AddImage(surface, [](int, int) { return 0x00808080u; }, width, height);
  AddImage(surface, [](int, int) { return 0xFFFFFFFFu; }, 8, 8);
  if (!ShadersRun(surface)) return nullptr;
  water = std::make_unique<WaterEffect>();
  water->engine = engine;
  water->SetDevice(Device());
  water->SetOwner(surface);
  WaterFrame();
  return water.get();
}

void ImageEffectTest::WaterFrame() {
  D3DDevice()->BeginScene();
  water->DoShaderEffect();
  D3DDevice()->EndScene();
}

Vel_DX8_PixelShaderSurface* ImageEffectTest::PixelSurface(int number) {
  // Half a pixel up and left of the window.
  const float h = 1.0f / kSize;
  return NewSurface(number, Quad(-1 - h, -1 + h, 1 - h, 1 + h));
}

Vel_DX8_PixelShaderSurface* ImageEffectTest::PlacedPixelSurface(int number) {
  const float h = 1.0f / kSize, dx = 5, dy = -4;
  Vel_DX8_PixelShaderSurface* surface =
      NewSurface(number, Quad((-1 - h - dx) / 2, (-1 + h - dy) / 2, (1 - h - dx) / 2, (1 + h - dy) / 2));
  D3DXMATRIX scaling, translation;
  D3DXMatrixScaling(&scaling, 2, 2, 1);
  D3DXMatrixTranslation(&translation, dx, dy, 0);
  const D3DXMATRIX world = scaling * translation;
  D3DDevice()->SetTransform(D3DTS_WORLD, &world);
  surface->SetWorldMatrix(world);
  return surface;
}

Vel_DX8_Texture* ImageEffectTest::AddImage(Vel_DX8_PixelShaderSurface* surface,
                                           const std::function<uint32_t(int, int)>& texel, int w, int h) {
  std::vector<uint32_t> texels;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) texels.push_back(texel(x, y));
  return AddTexture(surface, texels, w, h);
}

bool ImageEffectTest::ShadersRun(Vel_DX8_PixelShaderSurface* surface) {
  if (!surface->GetVertexShaderSupport()) Draw(surface);
  return surface->GetVertexShaderSupport();
}

Texels ImageEffectTest::ReadTexels(IDirect3DTexture8* texture) {
  Texels out;
  IDirect3DSurface8* level = nullptr;
  if (!texture || texture->GetSurfaceLevel(0, &level) != D3D_OK) return out;
  D3DSURFACE_DESC desc{};
  level->GetDesc(&desc);
  IDirect3DSurface8* image = nullptr;
  if (D3DDevice()->CreateImageSurface(desc.Width, desc.Height, desc.Format, &image) == D3D_OK &&
      D3DDevice()->CopyRects(level, nullptr, 0, image, nullptr) == D3D_OK) {
    D3DLOCKED_RECT lr;
    if (image->LockRect(&lr, nullptr, D3DLOCK_READONLY) == D3D_OK) {
      for (UINT y = 0; y < desc.Height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(lr.pBits) + y * lr.Pitch);
        out.insert(out.end(), row, row + desc.Width);
      }
      image->UnlockRect();
    }
  }
  if (image) image->Release();
  level->Release();
  return out;
}

::testing::AssertionResult TexelsNear(const Texels& actual, const Texels& expected, int tolerance) {
  if (actual.size() != expected.size())
    return ::testing::AssertionFailure() << actual.size() << " texels, expected " << expected.size();
  std::ostringstream differences;
  int count = 0;
  for (size_t i = 0; i < actual.size(); ++i)
    for (int c = 0; c < 3; ++c)
      if (std::abs(Channel(actual[i], c) - Channel(expected[i], c)) > tolerance) {
        if (count++ < 8)
          differences << " texel " << i << " channel " << c << ": " << Channel(actual[i], c) << " expected "
                      << Channel(expected[i], c) << ";";
        break;
      }
  if (count == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << count << " texels differ:" << differences.str();
}

}  // namespace vel_test
