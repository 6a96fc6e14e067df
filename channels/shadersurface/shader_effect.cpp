// ShaderEffect: shaders, shader texts, inputs and the per-frame driver. The
// mesh buffers, tangent basis, bone palette and draw call are in
// shader_effect_mesh.cpp.
#include "shader_effect.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "floatvalue/vel_float_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "skinnedobjectdata/skinned_object_data_channel.h"
#include "vectorvalue/vel_vector_channel.h"
#include "vel_child_access.h"
#include "vel_dx8_pixel_shader_surface.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"
#include "win32/thread.h"
#include "win32/resource.h"

#include <cstring>
#include <vector>

ShaderEffect::ShaderEffect()
    : engine(nullptr),
      debugMode(false),
      shaderCreated(false),
      compiledShader(nullptr),
      assemblerErrors(nullptr),
      vertexShaders{},
      owner(nullptr),
      device(nullptr),
      pixelShaders{},
      vertexStride(0),
      vertexCount(0),
      indexCount(0),
      vertexBuffer(nullptr),
      indexBuffer(nullptr),
      buffersReady(false),
      lastObjectStamp(0),
      skinned(false),
      retryClock(GetTickCount) {}

ShaderEffect::~ShaderEffect() {
  // Not through the table: a derived effect's part is gone by now.
  ShaderEffect::DeleteDeviceObjects();
}

// ---------------------------------------------------------------------------
// Device objects

void ShaderEffect::ReleaseAssemblerBuffers() {
  if (compiledShader) compiledShader->Release();
  if (assemblerErrors) assemblerErrors->Release();
  compiledShader = assemblerErrors = nullptr;
}

void ShaderEffect::DeleteShaders() {
  // Handles belong to the device they were made on; without one they are
  // only forgotten (the device that made them is gone with them).
  IDirect3DDevice8* d3d = D3DDevice();
  for (int i = 0; i < kShaderSlots; ++i) {
    if (d3d && vertexShaders[i]) d3d->DeleteVertexShader(vertexShaders[i]);
    if (d3d && pixelShaders[i]) d3d->DeletePixelShader(pixelShaders[i]);
    vertexShaders[i] = pixelShaders[i] = 0;
  }
  shaderCreated = false;
}

void ShaderEffect::ReleaseBuffers() {
  if (vertexBuffer) vertexBuffer->Release();
  if (indexBuffer) indexBuffer->Release();
  vertexBuffer = nullptr;
  indexBuffer = nullptr;
  buffersReady = false;
}

void ShaderEffect::DeleteDeviceObjects() {
  ReleaseAssemblerBuffers();
  DeleteShaders();
  ReleaseBuffers();
  vertexStride = 0;
}

bool ShaderEffect::RestoreDeviceObjects() { return false; }

void ShaderEffect::InvalidateDeviceObjects() {
  DeleteShaders();
  ReleaseBuffers();
  restoreFailedAt_ = 0;
}

// ---------------------------------------------------------------------------
// Shaders

bool ShaderEffect::AssembleVertexShader(int index, const char* text, const DWORD* declaration) {
  if (!text) text = GetShaderText();
  if (!declaration)
    declaration = IsSkinnedObjectData() && SupportsSkinning() ? GetSkinnedVertexDeclaration() : GetVertexDeclaration();
  if (!declaration) {
    Report("Error in shader description");
    return false;
  }
  if (index < 0 || index >= kShaderSlots) {
    Report("Error invalid shadernr");
    return false;
  }
  if (!text || !*text) {
    Report("shaderCode==NULL");
    return false;
  }
  IDirect3DDevice8* d3d = D3DDevice();
  if (!d3d) return false;
  ReleaseAssemblerBuffers();
  if (FAILED(D3DXAssembleShader(text, static_cast<UINT>(std::strlen(text)), D3DXASM_DEBUG, nullptr, &compiledShader,
                                &assemblerErrors)) ||
      !compiledShader) {
    if (engine) engine->errorFunctor("Error asseble : ", GetErrorText());
    return false;
  }
  if (vertexShaders[index]) d3d->DeleteVertexShader(vertexShaders[index]);
  vertexShaders[index] = 0;
  if (assemblerErrors) assemblerErrors->Release();
  assemblerErrors = nullptr;

  const bool hardware = owner && owner->GetVertexShaderSupport() && device &&
                        (device->GetDeviceCaps().DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  const DWORD usage = hardware ? 0 : D3DUSAGE_SOFTWAREPROCESSING;
  const HRESULT hr = d3d->CreateVertexShader(declaration, static_cast<const DWORD*>(compiledShader->GetBufferPointer()),
                                             &vertexShaders[index], usage);
  if (SUCCEEDED(hr)) {
    shaderCreated = true;
    return true;
  }
  vertexShaders[index] = 0;
  if (owner && owner->engine) {
    owner->engine->errorFunctor("hr : ", static_cast<int>(hr));
    owner->engine->errorFunctor("hr : ", static_cast<int>(D3DERR_INVALIDCALL));
  }
  ReportOwner("Failed to create vertex shader");
  return false;
}

bool ShaderEffect::AssemblePixelShader(int index, const char* text) {
  if (index < 0 || index >= kShaderSlots) return false;
  if (!text) {
    if (engine) engine->errorFunctor("shadeNr : ", index);
    ReportOwner("No pixel shader code found");
    return false;
  }
  IDirect3DDevice8* d3d = D3DDevice();
  if (!d3d) return false;
  ReleaseAssemblerBuffers();
  if (FAILED(D3DXAssembleShader(text, static_cast<UINT>(std::strlen(text)), D3DXASM_SKIPVALIDATION, nullptr,
                                &compiledShader, &assemblerErrors)) ||
      !compiledShader) {
    if (engine) engine->errorFunctor("D3DXAssembleShader : ", GetErrorText());
    ReportOwner("Error compiling pixel shader code");
    return false;
  }
  if (pixelShaders[index]) d3d->DeletePixelShader(pixelShaders[index]);
  pixelShaders[index] = 0;
  if (assemblerErrors) assemblerErrors->Release();
  assemblerErrors = nullptr;
  // No pixel shader is made on a device without shader support.
  if (!owner || !owner->GetVertexShaderSupport()) return false;
  if (SUCCEEDED(d3d->CreatePixelShader(static_cast<const DWORD*>(compiledShader->GetBufferPointer()),
                                       &pixelShaders[index]))) {
    shaderCreated = true;
    return true;
  }
  pixelShaders[index] = 0;
  ReportOwner("Error creating pixel shader");
  return false;
}

DWORD ShaderEffect::GetVertexShader(int index) { return index >= 0 && index < kShaderSlots ? vertexShaders[index] : 0; }
DWORD ShaderEffect::GetPixelShader(int index) { return index >= 0 && index < kShaderSlots ? pixelShaders[index] : 0; }

const char* ShaderEffect::GetErrorText() {
  if (assemblerErrors && assemblerErrors->GetBufferPointer() && assemblerErrors->GetBufferSize() > 0) {
    // The buffer's text need not end in a NUL: a copy that does is kept.
    const char* text = static_cast<const char*>(assemblerErrors->GetBufferPointer());
    errorText_.assign(text, strnlen(text, assemblerErrors->GetBufferSize()));
    return errorText_.c_str();
  }
  return shaderCreated ? "Succes" : "No vertex shader compiled or error creating vertex shader";
}

const char* ShaderEffect::GetShaderText() { return shaderText.GetString(); }

const char* ShaderEffect::LoadEffectResource(const char* name) {
  HMODULE module = owner ? owner->dll : nullptr;
  if (!module || !name) return nullptr;
  HRSRC found = FindResourceA(module, name, "EFFECTS");
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  const DWORD size = SizeofResource(module, found);
  if (!bytes || size == 0) return nullptr;
  std::vector<char> text(bytes, bytes + size);
  text.push_back('\0');
  shaderText.SetString(text.data());
  return shaderText.GetString();
}

// ---------------------------------------------------------------------------
// Driver

void ShaderEffect::DoShaderEffect() {
  if (!owner || !device || !D3DDevice()) return;
  Orn_Channel* mesh = MeshChild();
  const int stamp = mesh ? static_cast<int>(mesh->GetTimeStamp()) : 0;
  const bool waiting = restoreFailedAt_ != 0 && stamp == failedStamp_ &&
                       static_cast<DWORD>(retryClock() - restoreFailedAt_) < kRestoreRetryMs;
  if ((!buffersReady || (mesh && stamp != lastObjectStamp)) && !waiting) {
    if (RestoreDeviceObjects()) {
      restoreFailedAt_ = 0;
      if (mesh) lastObjectStamp = static_cast<int>(mesh->GetTimeStamp());
    } else {
      // Reported once now; tried again when something may have changed.
      restoreFailedAt_ = retryClock() | 1;
      failedStamp_ = mesh ? static_cast<int>(mesh->GetTimeStamp()) : 0;
    }
  }
  if (!buffersReady) return;

  for (DWORD stage = 0; stage < 4; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, 0);
    device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
  }
  const bool software = !owner->GetVertexShaderSupport();
  if (software) device->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, 1);
  Render();
  if (software) device->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, 0);
}

void ShaderEffect::Render() {}

// ---------------------------------------------------------------------------
// Simple answers

void ShaderEffect::SetOwner(Vel_DX8_PixelShaderSurface* surface) { owner = surface; }
void ShaderEffect::SetDevice(Vel_DX8_DirectGraphicsChannel* channel) { device = channel; }
const DWORD* ShaderEffect::GetVertexDeclaration() { return nullptr; }
const DWORD* ShaderEffect::GetSkinnedVertexDeclaration() { return nullptr; }
bool ShaderEffect::OwnsStageStates() { return false; }
void ShaderEffect::SetDebugMode(bool on) { debugMode = on; }
bool ShaderEffect::GetDebugMode() { return debugMode; }
bool ShaderEffect::UsesVertexComponent(int) { return false; }
float ShaderEffect::GetVertexValue(int) { return 0.0f; }
bool ShaderEffect::SupportsSkinning() { return false; }
const char* ShaderEffect::GetDescription() { return nullptr; }

// ---------------------------------------------------------------------------
// Helpers for the effects

IDirect3DDevice8* ShaderEffect::D3DDevice() const { return device ? device->GetDirect3dDevice() : nullptr; }

Orn_Channel* ShaderEffect::MeshChild() const { return owner ? owner->GetChild(0) : nullptr; }

SkinnedObjectDataChannel* ShaderEffect::SkinnedChild() const { return SkinnedObjectDataChannel::Of(MeshChild()); }

bool ShaderEffect::IsSkinnedObjectData() { return SkinnedChild() != nullptr; }

Vel_DX8_ObjectDataChannel* ShaderEffect::SourceMesh() const {
  if (SkinnedObjectDataChannel* skin = SkinnedChild()) return skin->GetMesh();
  return vel::As<Vel_DX8_ObjectDataChannel>(MeshChild(), vel::kObjectDataType);
}

float ShaderEffect::FloatInput(int n, float fallback) const {
  Orn_Channel* info = owner ? owner->GetChildFromLinkGuid(vel::kShaderInfoType, 0) : nullptr;
  if (!vel::IsOfType(info, vel::kShaderInfoType)) return fallback;
  auto* value = vel::As<Vel_FloatChannel>(info->GetChildFromLinkGuid(vel::kFloatType, n), vel::kFloatType);
  return value ? vel::FiniteOr(value->GetFloat(), fallback) : fallback;
}

D3DXVECTOR3 ShaderEffect::VectorInput(int n, const D3DXVECTOR3& fallback) const {
  Orn_Channel* info = owner ? owner->GetChildFromLinkGuid(vel::kShaderInfoType, 0) : nullptr;
  if (!vel::IsOfType(info, vel::kShaderInfoType)) return fallback;
  auto* value = vel::As<Vel_VectorChannel>(info->GetChildFromLinkGuid(vel::kVectorType, n), vel::kVectorType);
  if (!value) return fallback;
  const D3DXVECTOR3 v = value->GetVector();
  return vel::AllFinite(v) ? v : fallback;
}

void ShaderEffect::Report(const char* text) const {
  if (engine) engine->errorFunctor(text);
}

void ShaderEffect::ReportOwner(const char* text) const {
  if (owner && owner->engine) owner->engine->errorFunctor(text);
}
