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

#include <string>

class EngineInterface;
class Orn_Channel;
class Vel_DX8_PixelShaderSurface;
class Vel_DX8_DirectGraphicsChannel;
class Vel_DX8_ObjectDataChannel;
class SkinnedObjectDataChannel;

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
  // A restore that failed is tried again after this long at the earliest
  // (sooner when the mesh changes or the device is reset).
  static constexpr DWORD kRestoreRetryMs = 1000;

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
  // The clock the restore retries are timed by, in milliseconds
  // (GetTickCount).
  DWORD (*retryClock)();

  // The device when the effect has a device channel that has one, else null.
  IDirect3DDevice8* D3DDevice() const;
  // The owner's child 0 as it is linked (null without owner or child).
  Orn_Channel* MeshChild() const;
  // The owner's child 0 when it is a skinned mesh, else null.
  SkinnedObjectDataChannel* SkinnedChild() const;
  // The mesh the vertices come from: child 0, or the mesh of a skinned child 0.
  Vel_DX8_ObjectDataChannel* SourceMesh() const;
  // The n-th float and vector child of the owner's Shader Info child; the
  // fallback when there is none or its value is not finite.
  float FloatInput(int n, float fallback) const;
  D3DXVECTOR3 VectorInput(int n, const D3DXVECTOR3& fallback) const;
  // Where the tangent basis lives in a vertex: byte offsets of the position,
  // the normal, u (v follows), S, T and S x T, and the vertex size.
  struct TangentLayout {
    unsigned stride, position, normal, uv, s, t, sxt;
  };
  // The 80-byte tangent-space vertex of BuildTangentBasis.
  static constexpr TangentLayout kTangentVertex = {80, 0, 12, 36, 44, 56, 68};
  // BuildTangentBasis over vertices of any layout.
  HRESULT BuildTangentBasisAt(IDirect3DVertexBuffer8* vertexBuffer, IDirect3DIndexBuffer8* indexBuffer,
                              const TangentLayout& layout);
  // Message on the effect's error functor, or on the owner's.
  void Report(const char* text) const;
  void ReportOwner(const char* text) const;

 private:
  void ReleaseAssemblerBuffers();
  void DeleteShaders();
  void ReleaseBuffers();
  // Writes vertex i of the effect's layout at `out`; the skin block comes from
  // `weights` when it is set.
  void WriteVertex(Vel_DX8_ObjectDataChannel* mesh, SkinnedObjectDataChannel* weights, int i, float* out);
  unsigned LayoutStride();

  std::string errorText_;
  // When the last restore failed (0: it did not) and the mesh stamp it
  // failed for: it is tried again once the mesh changes, the device was
  // reset or a second has passed, not every frame.
  DWORD restoreFailedAt_ = 0;
  int failedStamp_ = 0;
};
