// The fixture the shader-effect tests share: a shader surface with effect N
// on a mesh, its Shader Info inputs and textures, frames drawn and read back,
// a device loss in the middle of a run, and the graphics layer's own reports.
//
//   class MyEffectTest : public vel_test::EffectTest {};
//   TEST_F(MyEffectTest, Draws) {
//     auto* surface = NewSurface(Vel_DX8_PixelShaderSurface::kToon, Sphere(0.8f));
//     AddVector(surface, {1, 0, -1});
//     AddTexture(surface, Ramp({0xFF000000, 0xFFFFFFFF}));
//     Image image = Draw(surface);
//     ExpectNoLayerError();
//     ExpectLossRecovers(surface);
//   }
//
// The view, world and projection matrices are the identity, so a vertex at
// (x, y) lands at normalised device position (x, y); lighting and face
// culling are off.
#pragma once

#include "channel_harness.h"
#include "floatvalue/vel_float_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "shader_effect.h"
#include "texture/vel_dx8_texture.h"
#include "vectorvalue/vel_vector_channel.h"
#include "vel_dx8_pixel_shader_surface.h"

#include <d3dx8/d3dx8math.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vel_test {

// Keeps what is written to the process's standard error while it lives (the
// graphics layer reports there) and hands it on when it ends.
class StderrCapture {
 public:
  StderrCapture();
  ~StderrCapture();
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;
  std::string Text() const;

 private:
  int saved_ = -1;
  std::string path_;
};

class EffectTest : public ChannelHarness {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A shader surface (with its Shader Info child) drawing `mesh` (a quad over
  // the whole view when null) with effect `number`.
  Vel_DX8_PixelShaderSurface* NewSurface(int number, Vel_DX8_ObjectDataChannel* mesh = nullptr);
  // The surface's Shader Info child.
  Orn_Channel* Info(Vel_DX8_PixelShaderSurface* surface);
  // The next float, vector or texture input of the surface.
  Vel_FloatChannel* AddFloat(Vel_DX8_PixelShaderSurface* surface, float value);
  Vel_VectorChannel* AddVector(Vel_DX8_PixelShaderSurface* surface, D3DXVECTOR3 value);
  Vel_DX8_Texture* AddTexture(Vel_DX8_PixelShaderSurface* surface, const std::vector<uint32_t>& texels, int width,
                              int height);
  // A horizontal ramp image of the given colours, one texel each (0xAARRGGBB).
  Vel_DX8_Texture* AddRamp(Vel_DX8_PixelShaderSurface* surface, const std::vector<uint32_t>& colours);

  // Meshes: a quad facing the viewer (normal (0, 0, -1), uv 0..1) and a
  // sphere of `radius` (at most 0.5) around (0, 0, 0.5) with outward
  // normals and uv. The eye is at the origin, looking along +z.
  Vel_DX8_ObjectDataChannel* Quad(float x0, float y0, float x1, float y1, float z = 0.5f);
  Vel_DX8_ObjectDataChannel* Sphere(float radius, int rings = 16, int segments = 24);

  // One frame: clear to `clear`, both passes of the surface, presented and
  // read back.
  Image Draw(Vel_DX8_PixelShaderSurface* surface, D3DCOLOR clear = 0xFF000000);
  // The device is lost and reset as the device channel does it: every
  // device user drops its objects first.
  void LoseDevice();
  // Draws a frame, loses the device, draws again: both frames are the same
  // to the bit, and after the surface is gone no object made for it is left.
  void ExpectLossRecovers(Vel_DX8_PixelShaderSurface* surface);
  // Neither the graphics layer nor the engine reported an error so far.
  void ExpectNoLayerError();
  // Objects made by the device that are still held.
  unsigned LiveReferences();
  // The graphics layer assembles and creates vertex and pixel shaders.
  // Tests of drawing with shaders skip themselves on a layer that cannot.
  bool ShadersAvailable();

  StderrCapture* layerOutput = nullptr;
};

}  // namespace vel_test
