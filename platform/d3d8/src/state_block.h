// A state block: a chosen set of device states with stored values. Recorded
// blocks hold the states set between BeginStateBlock and EndStateBlock;
// created blocks hold all states, the pixel states or the vertex states.
// Capture refreshes the stored values from the device, Apply sets them.
#pragma once

#include <bitset>
#include <map>

#include "device_state.h"

namespace d3d8 {

class Device;

class StateBlock {
 public:
  StateBlock() = default;

  // Chooses the states of a created block (values are captured afterwards).
  void Select(D3DSTATEBLOCKTYPE type, const DeviceState& current);

  void RecordRenderState(DWORD state, DWORD value);
  void RecordStageState(DWORD stage, DWORD type, DWORD value);
  void RecordTransform(int slot, const D3DMATRIX& m);
  void RecordViewport(const D3DVIEWPORT8& v);
  void RecordMaterial(const D3DMATERIAL8& m);
  void RecordLight(DWORD index, const D3DLIGHT8& l);
  void RecordLightEnable(DWORD index, bool enable);
  void RecordTexture(DWORD stage, BaseTexture* t);
  void RecordStream(UINT stream, VertexBuffer* vb, UINT stride);
  void RecordIndices(IndexBuffer* ib, UINT baseVertexIndex);
  void RecordVertexShader(DWORD handle);
  void RecordPixelShader(DWORD handle);
  void RecordVertexConstant(DWORD reg, const float* value);
  void RecordPixelConstant(DWORD reg, const float* value);

  void Capture(const DeviceState& current);
  void Apply(Device& device) const;

 private:
  struct LightEntry {
    bool hasLight = false;
    bool hasEnable = false;
    D3DLIGHT8 light{};
    bool enabled = false;
  };

  std::bitset<kRenderStateCount> renderStates_;
  std::bitset<kStageCount * kStageStateCount> stageStates_;
  std::bitset<kTransformSlotCount> transforms_;
  std::bitset<kStageCount> textures_;
  std::bitset<kStreamCount> streams_;
  std::bitset<96> vsConstants_;
  std::bitset<8> psConstants_;
  bool viewport_ = false, material_ = false, indices_ = false, vertexShader_ = false, pixelShader_ = false;
  std::map<DWORD, LightEntry> lights_;
  DeviceState values_;  // only the selected entries are meaningful
};

}  // namespace d3d8
