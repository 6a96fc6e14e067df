// ShaderEffect: the base of the shader surface's effects. It owns what the
// effects share: up to ten vertex and ten pixel shaders assembled at run time
// from the texts carried in this library, one vertex and one 16-bit index
// buffer built from the surface's mesh with a vertex layout each effect
// chooses component by component, the tangent basis for bump effects, the
// bone palette for skinned meshes, the per-frame driver that rebuilds them
// when the mesh changes, and the draw call. The shader surface calls these
// operations in their fixed order; effects override them in place and add
// their own after them.
#pragma once

#include "orn_string.h"

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8.h>

class EngineInterface;
class Vel_DX8_PixelShaderSurface;
class Vel_DX8_DirectGraphicsChannel;

class ShaderEffect {
 public:
  static constexpr int kShaderSlots = 10;

  // Vertex components an effect can ask for through UsesVertexComponent; the
  // vertex holds them in the order of BuildMeshBuffers, not of these numbers.
  enum Component {
    kPosition = 0,       // 12 bytes
    kNormal = 1,         // 12 bytes
    kZeroFloat = 2,      // 4 bytes, 0
    kZeroFloat3 = 3,     // 12 bytes, 0
    kTexU = 4,           // 4 bytes: u of set 1
    kTexUV = 5,          // 8 bytes: u, v of set 1
    kBasisS = 6,         // 12 bytes, filled by BuildTangentBasis
    kBasisT = 7,         // 12 bytes
    kBasisSxT = 8,       // 12 bytes
    kVertexValue = 10,   // 4 bytes: GetVertexValue(i)
    kTexUV2 = 11,        // 8 bytes: u, v of set 2
  };
  // Vertex-shader constant register of the first bone row; three rows a bone.
  static constexpr int kFirstBoneRegister = 20;
  static constexpr int kMaxBones = 25;

  ShaderEffect();
  virtual ~ShaderEffect();
  ShaderEffect(const ShaderEffect&) = delete;
  ShaderEffect& operator=(const ShaderEffect&) = delete;

  virtual void DeleteDeviceObjects();
  virtual bool RestoreDeviceObjects();
  virtual void InvalidateDeviceObjects();
  virtual bool AssembleVertexShader(int index, const char* text, const DWORD* declaration);
  virtual bool AssemblePixelShader(int index, const char* text);
  virtual void SetOwner(Vel_DX8_PixelShaderSurface* owner);
  virtual void SetDevice(Vel_DX8_DirectGraphicsChannel* device);
  virtual void DoShaderEffect();
  virtual void Render();
  virtual const char* GetErrorText();
  virtual const char* GetShaderText();
  virtual const DWORD* GetVertexDeclaration();
  virtual bool OwnsStageStates();
  virtual void SetDebugMode(bool on);
  virtual bool GetDebugMode();
  virtual bool BuildMeshBuffers();
  virtual void DrawMesh();
  virtual HRESULT BuildTangentBasis(IDirect3DVertexBuffer8* vertexBuffer, IDirect3DIndexBuffer8* indexBuffer);
  virtual bool UsesVertexComponent(int index);
  virtual DWORD GetVertexShader(int index);
  virtual DWORD GetPixelShader(int index);
  virtual const char* LoadEffectResource(const char* name);
  virtual float GetVertexValue(int vertex);
  virtual const DWORD* GetSkinnedVertexDeclaration();
  virtual bool IsSkinnedObjectData();
  virtual bool SupportsSkinning();
  virtual bool SetBoneMatrices();
  virtual const char* GetDescription();

  EngineInterface* engine;

 protected:
  bool debugMode;
  bool shaderCreated;
  ID3DXBuffer* compiledShader;
  ID3DXBuffer* assemblerErrors;
  DWORD vertexShaders[kShaderSlots];
  Vel_DX8_PixelShaderSurface* owner;
  Vel_DX8_DirectGraphicsChannel* device;
  Orn_String shaderText;
  Orn_String secondText;
  DWORD pixelShaders[kShaderSlots];
  unsigned vertexStride;
  unsigned vertexCount;
  unsigned indexCount;
  IDirect3DVertexBuffer8* vertexBuffer;
  IDirect3DIndexBuffer8* indexBuffer;
  bool buffersReady;
  int lastObjectStamp;
  bool skinned;
};
