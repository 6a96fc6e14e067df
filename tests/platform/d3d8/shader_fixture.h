// Shader tests: shaders assembled from text, a full-viewport quad for them
// and the pixel it leaves in the middle of the back buffer.
#pragma once

#include <d3dx8/d3dx8core.h>

#include <string>
#include <vector>

#include "d3d8_fixture.h"

namespace d3d8test {

// The tokens of `text`; an empty vector (and a failed test) when it does
// not assemble.
std::vector<DWORD> AssembleText(const std::string& text);

class ShaderTest : public DeviceTest {
 protected:
  // Position (float3, v0), colour (D3DCOLOR, v5) and one coordinate set
  // (float4, v7) from stream 0.
  DWORD CreateVertexShader(const std::string& text);
  DWORD CreatePixelShader(const std::string& text);
  // A quad over the whole viewport in clip space (x, y in [-1, 1], z 0.5,
  // w 1) with the given colour and coordinates (the same at every corner
  // unless `spread`, which runs u from 0 to 1 left to right).
  void DrawClipQuad(D3DCOLOR color, float u = 0, float v = 0, float s = 0, float t = 1);
  void SetConstants(const std::vector<float>& values, DWORD first = 0);
  void SetPixelConstants(const std::vector<float>& values, DWORD first = 0);
  Rgba Middle() { return Pixel(kWidth / 2, kHeight / 2); }
};

struct ClipVertex {
  float x, y, z;
  D3DCOLOR color;
  float u, v, s, t;
};

}  // namespace d3d8test
