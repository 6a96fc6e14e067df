// The image-space effects on the shared effect fixture: a shader surface
// whose quad covers the 64 x 64 window with texel centres on pixel centres
// (a 64 x 64 texture drawn on it shows texel (x, y) at pixel (x, y)),
// textures made by a function of the texel, the texels of render-target
// textures, and images compared texel by texel.
#pragma once

#include "effect_fixture.h"
#include "water_effect.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vel_test {

using Texels = std::vector<uint32_t>;  // 0xAARRGGBB, rows top down

class ImageEffectTest : public EffectTest {
 protected:
  static constexpr int kSize = kWidth;

  void TearDown() override;

  // A surface with effect `number` on the pixel-aligned quad.
  Vel_DX8_PixelShaderSurface* PixelSurface(int number);
  // The same quad placed by a world matrix, as an object places it: the
  // mesh is half the size and lies well outside the view; the world matrix
  // (on the device and the surface) scales it by 2 and moves it by (5, -4)
  // onto the window.
  Vel_DX8_PixelShaderSurface* PlacedPixelSurface(int number);
  // The next texture of `surface`: w x h texels made by `texel(x, y)`.
  Vel_DX8_Texture* AddImage(Vel_DX8_PixelShaderSurface* surface, const std::function<uint32_t(int, int)>& texel,
                            int w = kSize, int h = kSize);
  // False (the test is then skipped) while the device runs no shaders: the
  // surface then never draws effects that own their stage states.
  bool ShadersRun(Vel_DX8_PixelShaderSurface* surface);
  // The texels of a render-target texture, read back from the device.
  Texels ReadTexels(IDirect3DTexture8* texture);
  static Texels TexelsOf(const Image& image) { return Texels(image.argb.begin(), image.argb.end()); }

  // A water effect made here rather than by a surface, so that its
  // simulation can be stepped and read, on a surface without an effect of
  // its own: still water over the whole w x h mask (grey, alpha 0) and the
  // shape a drop stamps (8 x 8 white), restored by one drawn frame. Null
  // while the device runs no shaders.
  WaterEffect* StartWater(int width, int height);
  // One frame of the water effect alone.
  void WaterFrame();
  std::unique_ptr<WaterEffect> water;
};

// Channel c (0 red, 1 green, 2 blue) of an 0xAARRGGBB texel.
inline int Channel(uint32_t texel, int c) { return static_cast<int>((texel >> (16 - 8 * c)) & 0xFF); }
inline uint32_t Grey(int v) { return 0xFF000000u | (v << 16) | (v << 8) | v; }

// Every texel's colour channels within `tolerance` of the expected ones; the
// first differences are named.
::testing::AssertionResult TexelsNear(const Texels& actual, const Texels& expected, int tolerance);

}  // namespace vel_test
