// The state of a device that state blocks capture: render states,
// texture-stage states, transforms, viewport, material, lights, textures,
// streams and indices, and the shaders in use. Holds internal references on
// the textures and buffers it names.
#pragma once

#include <d3d8/d3d8.h>

#include <map>

namespace d3d8 {

class BaseTexture;
class VertexBuffer;
class IndexBuffer;

constexpr int kRenderStateCount = 256;  // render states 0..255 are accepted
constexpr int kStageCount = 8;
constexpr int kStageStateCount = 32;  // stage states 0..31 are accepted
constexpr int kStreamCount = 16;
constexpr int kMaxActiveLights = 8;

// Transform slots: four world matrices, view, projection, eight texture
// matrices.
enum TransformSlot : int {
  kWorldSlot = 0,
  kViewSlot = 4,
  kProjectionSlot = 5,
  kTextureSlot0 = 6,
  kTransformSlotCount = 14,
};
// -1 for a transform state the device does not have.
int TransformSlotOf(D3DTRANSFORMSTATETYPE state);

struct LightSlot {
  D3DLIGHT8 light;
  bool enabled = false;
};

struct DeviceState {
  DeviceState() = default;
  ~DeviceState();
  DeviceState(const DeviceState&) = delete;
  DeviceState& operator=(const DeviceState&) = delete;

  DWORD renderStates[kRenderStateCount] = {};
  DWORD stageStates[kStageCount][kStageStateCount] = {};
  D3DMATRIX transforms[kTransformSlotCount] = {};
  D3DVIEWPORT8 viewport = {};
  D3DMATERIAL8 material = {};
  std::map<DWORD, LightSlot> lights;
  BaseTexture* textures[kStageCount] = {};
  VertexBuffer* streams[kStreamCount] = {};
  UINT strides[kStreamCount] = {};
  IndexBuffer* indices = nullptr;
  UINT baseVertexIndex = 0;
  DWORD vertexShader = 0;
  DWORD pixelShader = 0;
  float vsConstants[96][4] = {};
  float psConstants[8][4] = {};

  // Drops every texture, stream and index reference.
  void ReleaseBindings();
};

// The documented initial values of a new or reset device.
void SetDefaultRenderStates(DWORD states[kRenderStateCount], bool autoDepthStencil, bool softwareVertexProcessing);
void SetDefaultStageStates(DWORD states[kStageCount][kStageStateCount]);
// The light LightEnable creates for an index that no SetLight has named:
// a white directional light shining along +z.
D3DLIGHT8 DefaultLight();

inline float FloatBits(DWORD v) {
  float f;
  __builtin_memcpy(&f, &v, 4);
  return f;
}
inline DWORD BitsOfFloat(float f) {
  DWORD v;
  __builtin_memcpy(&v, &f, 4);
  return v;
}

}  // namespace d3d8
