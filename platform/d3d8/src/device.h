// IDirect3DDevice8 over an OpenGL 3.3 core context.
//
// The device renders into framebuffer objects. Rows are kept top row first
// (row 0 of every colour buffer and texture is the top row as Direct3D sees
// it), so locked texels, uploads and read-backs need no flipping; the
// clip-space conversion flips y, moves pixel centres to Direct3D's integer
// positions and maps the depth range [0, 1] onto OpenGL's [-1, 1].
#pragma once

#include <d3d8/d3d8.h>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "device_state.h"
#include "ffp_key.h"
#include "gl.h"
#include "gl_context.h"
#include "program_cache.h"
#include "shader_programs.h"

struct SDL_Window;
struct SDL_Cursor;

namespace d3d8 {

class Direct3D8;
class DeviceChild;
class Surface;
class BaseTexture;
class VertexBuffer;
class IndexBuffer;
class StateBlock;

constexpr UINT kMaxTextureSize = 4096;
// Texture unit used for uploads so that the stage bindings stay untouched.
constexpr GLuint kScratchTextureUnit = 15;

class Device final : public IDirect3DDevice8 {
 public:
  static HRESULT Create(Direct3D8* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                        D3DPRESENT_PARAMETERS* pp, IDirect3DDevice8** out);

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // Device and presentation
  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT ResourceManagerDiscardBytes(DWORD bytes) override;
  HRESULT GetDirect3D(IDirect3D8** ppD3D8) override;
  HRESULT GetDeviceCaps(D3DCAPS8* pCaps) override;
  HRESULT GetDisplayMode(D3DDISPLAYMODE* pMode) override;
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) override;
  HRESULT SetCursorProperties(UINT xHotSpot, UINT yHotSpot, IDirect3DSurface8* pCursorBitmap) override;
  void SetCursorPosition(int x, int y, DWORD flags) override;
  BOOL ShowCursor(BOOL show) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* pp) override;
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const RGNDATA* pDirtyRegion) override;
  HRESULT GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** ppBackBuffer) override;

  // Resource creation
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture8** ppTexture) override;
  HRESULT CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DCubeTexture8** ppCubeTexture) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer8** ppVertexBuffer) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer8** ppIndexBuffer) override;
  HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                             BOOL lockable, IDirect3DSurface8** ppSurface) override;
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                    IDirect3DSurface8** ppSurface) override;
  HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** ppSurface) override;
  HRESULT CopyRects(IDirect3DSurface8* pSourceSurface, const RECT* pSourceRectsArray, UINT cRects,
                    IDirect3DSurface8* pDestinationSurface, const POINT* pDestPointsArray) override;
  HRESULT GetFrontBuffer(IDirect3DSurface8* pDestSurface) override;

  // Render targets
  HRESULT SetRenderTarget(IDirect3DSurface8* pRenderTarget, IDirect3DSurface8* pNewZStencil) override;
  HRESULT GetRenderTarget(IDirect3DSurface8** ppRenderTarget) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface8** ppZStencilSurface) override;

  // Scenes and clearing
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* pRects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;

  // Transforms, viewport, material, lights
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* pMatrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* pMatrix) override;
  HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* pMatrix) override;
  HRESULT SetViewport(const D3DVIEWPORT8* pViewport) override;
  HRESULT GetViewport(D3DVIEWPORT8* pViewport) override;
  HRESULT SetMaterial(const D3DMATERIAL8* pMaterial) override;
  HRESULT GetMaterial(D3DMATERIAL8* pMaterial) override;
  HRESULT SetLight(DWORD index, const D3DLIGHT8* pLight) override;
  HRESULT GetLight(DWORD index, D3DLIGHT8* pLight) override;
  HRESULT LightEnable(DWORD index, BOOL enable) override;
  HRESULT GetLightEnable(DWORD index, BOOL* pEnable) override;

  // Render states and state blocks
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* pValue) override;
  HRESULT BeginStateBlock() override;
  HRESULT EndStateBlock(DWORD* pToken) override;
  HRESULT ApplyStateBlock(DWORD token) override;
  HRESULT CaptureStateBlock(DWORD token) override;
  HRESULT DeleteStateBlock(DWORD token) override;
  HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* pToken) override;

  // Textures and texture stages
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** ppTexture) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* pTexture) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* pValue) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;

  // Drawing
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                               UINT primitiveCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* pVertexStreamZeroData,
                          UINT vertexStreamZeroStride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertexIndices,
                                 UINT primitiveCount, const void* pIndexData, D3DFORMAT indexDataFormat,
                                 const void* pVertexStreamZeroData, UINT vertexStreamZeroStride) override;

  // Vertex processing
  HRESULT CreateVertexShader(const DWORD* pDeclaration, const DWORD* pFunction, DWORD* pHandle,
                             DWORD usage) override;
  HRESULT SetVertexShader(DWORD handle) override;
  HRESULT GetVertexShader(DWORD* pHandle) override;
  HRESULT DeleteVertexShader(DWORD handle) override;
  HRESULT SetVertexShaderConstant(DWORD reg, const void* pConstantData, DWORD constantCount) override;
  HRESULT GetVertexShaderConstant(DWORD reg, void* pConstantData, DWORD constantCount) override;

  // Vertex streams
  HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* pStreamData, UINT stride) override;
  HRESULT GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** ppStreamData, UINT* pStride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer8* pIndexData, UINT baseVertexIndex) override;
  HRESULT GetIndices(IDirect3DIndexBuffer8** ppIndexData, UINT* pBaseVertexIndex) override;

  // Pixel processing
  HRESULT CreatePixelShader(const DWORD* pFunction, DWORD* pHandle) override;
  HRESULT SetPixelShader(DWORD handle) override;
  HRESULT GetPixelShader(DWORD* pHandle) override;
  HRESULT DeletePixelShader(DWORD handle) override;
  HRESULT SetPixelShaderConstant(DWORD reg, const void* pConstantData, DWORD constantCount) override;
  HRESULT GetPixelShaderConstant(DWORD reg, void* pConstantData, DWORD constantCount) override;

  // ---- For the objects of this device ----
  // Makes the device's context current and sends the draws still waiting
  // to be merged: everything that touches OpenGL outside a draw comes here
  // first.
  void MakeCurrent() {
    gl_.MakeCurrent();
    FlushDraws();
  }
  void MakeCurrentForDraw() { gl_.MakeCurrentForDraw(); }
  void RegisterChild(DeviceChild* child);
  void UnregisterChild(DeviceChild* child);
  void AcquireChildReference();
  void ReleaseChildReference();
  UINT ChildReferences() const { return childRefs_; }
  void ForgetGlTexture(GLuint texture);
  void ForgetGlBuffer(GLuint buffer);
  void ForgetSurface(Surface* surface);
  // What stage `stage` (0..7) has bound: nothing, a 2D or a cube texture.
  // Draws choose the sampler type of the stage by it.
  TextureKind StageTextureKind(DWORD stage) const;

  // Texel transfers between memory and the OpenGL colour image of a
  // surface (a render target, the back buffer, a level or face of a
  // render-target texture). Rows are top row first on both sides, in the
  // surface's own format; `pitch` is the memory's row length in bytes.
  void ReadSurfaceTexels(Surface* surface, const RECT& rect, BYTE* out, UINT pitch);
  void WriteSurfaceTexels(Surface* surface, const RECT& rect, const BYTE* in, UINT pitch);
  uint64_t ProgramCompileCount() const { return programs_.compileCount() + shaderPrograms_.compileCount(); }
  // Until the next successful Reset the device reports itself lost.
  void Lose() { lost_ = true; }
  // Whether draws that differ only in their object's transforms are merged
  // into instanced draws (on unless turned off, for comparing pictures),
  // and the draw calls made to OpenGL so far.
  void SetMergeDraws(bool merge) {
    MakeCurrent();
    mergeDraws_ = merge;
  }
  uint64_t GlDrawCount() const { return glDraws_; }

 private:
  friend class StateBlock;

  Device(Direct3D8* d3d, const D3DDEVICE_CREATION_PARAMETERS& creation);
  ~Device();

  static HRESULT ValidatePresentParameters(const D3DPRESENT_PARAMETERS& pp, D3DFORMAT displayFormat);
  HRESULT InitGl();
  HRESULT CreateImplicitSurfaces(D3DPRESENT_PARAMETERS* pp);
  void DestroyImplicitSurfaces();
  void ResetStateToDefaults();
  void ApplyWindowMode();
  SDL_Window* Window(HWND hwnd) const;

  // Presenting (device_present.cpp).
  void KeepPresentedFrame();
  bool ShowFrameThroughWindow(SDL_Window* window, const RECT* pSourceRect, const RECT* pDestRect);
  void CopyFrameIntoWindow(SDL_Window* window, const RECT* pSourceRect, const RECT* pDestRect);
  void ReadFrontFrame(std::vector<BYTE>* bgra);
  void WriteFrameFile();

  // OpenGL copies through the device's spare framebuffers; `rowLength` is
  // the memory's row length in texels.
  void ReadTextureTexels(GLuint texture, GLenum target, GLint level, const RECT& rect, GLenum format, GLenum type,
                         BYTE* out, UINT rowLength);
  void BlitTexture(GLuint source, GLenum sourceTarget, GLint sourceLevel, const RECT& from, GLuint dest,
                   GLenum destTarget, GLint destLevel, const RECT& to, GLenum filter);

  // State changes, shared by the setters and by state blocks.
  void MarkRenderState(DWORD state);
  void MarkStageState(DWORD stage, DWORD type);
  void MarkTransform(int slot);
  // Counts stage `stage`'s key state `type` going from `before` to `after`
  // against the fixed-function key's copy.
  void CountStageKeyChange(DWORD stage, DWORD type, DWORD before, DWORD after);
  void CountTextureKindChange(DWORD stage, TextureKind before, TextureKind after);
  void BumpGroup(UniformGroup g) { ++groupVersion_[g]; }

  // Drawing
  struct VertexLayout {
    GLuint buffer = 0;
    UINT stride = 0;
    DWORD fvf = 0;
    size_t offset = 0;
  };
  // Readies OpenGL for a draw. A draw that may be merged (`mergeable`)
  // keeps the waiting draws as long as nothing but the transforms changes;
  // any other draw sends them first.
  bool PrepareDraw(DWORD fvf, D3DPRIMITIVETYPE type, bool mergeable = false);
  // An indexed draw of the fixed-function pipeline, as OpenGL takes it.
  struct IndexedDraw {
    GLenum mode = 0;
    GLuint first = 0, last = 0;  // the vertex indices it uses
    GLsizei indices = 0;
    GLenum indexType = 0;
    uintptr_t offset = 0;
    GLint baseVertex = 0;
    bool operator==(const IndexedDraw&) const = default;
  };
  // Waiting draws (device_batch.cpp): `HoldDraw` adds a prepared draw to
  // them, or sends them and starts again with it; `FlushDraws` sends them
  // as one draw call, instanced when there are several.
  void HoldDraw(const IndexedDraw& draw);
  void FlushDraws() {
    if (batch_.count) IssueBatch();
  }
  void IssueBatch();
  // Adds the current object's transform rows to the waiting draws'.
  void AppendTransforms(int rows);
  // One indexed draw as it stands.
  void DrawRange(const IndexedDraw& draw);
  void UploadTransforms(FfpProgram* program);
  // Rows of the shaders' transform array: world-view-projection,
  // world-view, the normals' matrix (each row of the last one padded).
  void DerivedTransformRows(float (*rows)[4]) const;
  // FvfStride of the vertex format drawn last, kept.
  UINT StrideOf(DWORD fvf) {
    if (fvf != strideFvf_) {
      strideFvf_ = fvf;
      fvfStride_ = FvfStride(fvf);
    }
    return fvfStride_;
  }
  void BindFramebuffer();
  void ApplyViewport();
  void ApplyRasterState();
  void BindTextures();
  // Uploads the groups that changed since `program` last saw them. Before
  // each upload the waiting draws are sent, unless `forWaitingDraws` (the
  // uniforms of the instanced program that will draw them).
  void UploadUniforms(FfpProgram* program, bool forWaitingDraws = false);
  void SetVertexLayout(GLuint buffer, UINT stride, DWORD fvf, size_t offset);
  // Shader draws (device_shader_draw.cpp).
  const VertexShaderObject* CurrentVertexShader() const;
  const PixelShaderObject* CurrentPixelShader() const;
  bool SelectShaderProgram(DWORD fvf, bool points);
  bool StreamsHold(const VertexShaderObject& vs, uint64_t vertexEnd, bool streamZeroFromMemory) const;
  void SetDeclarationLayout(const VertexShaderObject& vs, GLuint memoryBuffer, UINT memoryStride);
  void UpdateDerivedTransforms();
  GLuint SamplerFor(DWORD stage);

  ULONG refs_ = 1;
  Direct3D8* d3d_;
  D3DDEVICE_CREATION_PARAMETERS creation_;
  D3DPRESENT_PARAMETERS pp_{};
  D3DCAPS8 caps_{};
  HWND deviceWindow_ = nullptr;
  bool fullScreenApplied_ = false;
  GlContext gl_;

  std::vector<DeviceChild*> children_;
  UINT childRefs_ = 0;
  bool destroying_ = false;

  Surface* backBuffer_ = nullptr;   // owned
  Surface* autoDepth_ = nullptr;    // owned
  Surface* renderTarget_ = nullptr;  // internal reference
  Surface* depthStencil_ = nullptr;  // internal reference

  DeviceState state_;
  StateBlock* recording_ = nullptr;
  std::map<DWORD, std::unique_ptr<StateBlock>> stateBlocks_;
  DWORD nextStateBlock_ = 1;
  bool inScene_ = false;
  bool lost_ = false;

  // OpenGL objects and what is bound.
  GLuint vao_ = 0, fbo_ = 0, readFbo_ = 0, copyFbo_ = 0, upVertexBuffer_ = 0, upIndexBuffer_ = 0;
  ProgramCache programs_;
  ShaderProgramCache shaderPrograms_;
  std::map<DWORD, std::unique_ptr<VertexShaderObject>> vertexShaders_;
  std::map<DWORD, std::unique_ptr<PixelShaderObject>> pixelShaders_;
  uint32_t nextShaderSerial_ = 1;
  bool shaderKeyValid_ = false;
  DWORD shaderVertex_ = 0, shaderPixel_ = 0;
  std::map<std::pair<uint64_t, uint64_t>, GLuint> samplerCache_;
  GLuint boundTexture_[kStageCount] = {};
  GLuint boundSampler_[kStageCount] = {};
  GLuint currentProgram_ = 0;
  GLuint boundElementBuffer_ = 0;
  GLuint attachedColor_ = 0, attachedDepth_ = 0;
  GLenum attachedTarget_ = GL_TEXTURE_2D;
  GLint attachedLevel_ = 0;
  bool attachedStencil_ = false;
  VertexLayout layout_;
  bool layoutValid_ = false;
  DWORD strideFvf_ = 0;  // FvfStride(0) is 0
  UINT fvfStride_ = 0;

  // Dirty tracking: which parts of the OpenGL state a draw must refresh.
  uint32_t dirty_ = ~0u;
  uint8_t samplerDirty_ = 0xFF;  // one bit per stage
  bool mirrorOnce_ = false;      // GL_MIRROR_CLAMP_TO_EDGE available
  uint64_t groupVersion_[kGroupCount] = {};
  FfpKey key_{};
  bool keyValid_ = false;
  // The stage states and texture kinds the fixed-function key was built
  // from, and how many of them differ from the device's now: a surface
  // that sets its stages and puts them back before the next draw leaves
  // the key as it was, with nothing to build or compare.
  DWORD keyStageStates_[kStageCount][kStageStateCount] = {};
  TextureKind keyTextureKinds_[kStageCount] = {};
  int stageKeyDifferences_ = 0;
  // One bit per stage: its texture matrix is the identity (programs leave
  // the product out then).
  uint8_t textureMatrixIdentity_ = 0xFF;
  FfpProgram* program_ = nullptr;
  DWORD keyFvf_ = 0;
  bool keyPoints_ = false;

  // Values derived from the transforms for the shaders. View x projection x
  // clip conversion changes with the camera and the viewport only, and is
  // formed again when one of them changed; the world matrix changes per
  // object.
  uint64_t derivedVersion_ = ~0ull;
  uint64_t viewProjVersion_ = 1;
  uint64_t viewProjSeen_ = 0, viewProjViewportSeen_ = ~0ull;
  D3DMATRIX viewProjClip_{};
  D3DMATRIX wvp_{}, wv_{};
  float normalMatrix_[9] = {};

  // Draws waiting to be merged: consecutive fixed-function draws inside a
  // scene with the same OpenGL state and the same indices, whose objects'
  // transforms alone differ. OpenGL's state stays as the first of them set
  // it until they are sent; whatever changes it sends them first.
  struct DrawBatch {
    int count = 0;
    FfpProgram* program = nullptr;
    IndexedDraw draw;
    std::vector<float> transforms;  // transformRows rows of 4 per draw
  };
  DrawBatch batch_;
  bool mergeDraws_ = true;
  // The draw being prepared found its transforms changed while draws were
  // waiting: they go with it into the batch, or to the uniforms once the
  // batch is sent.
  bool transformsHeld_ = false;
  GLuint instanceBuffer_ = 0;
  uint64_t glDraws_ = 0;

  // The image of the last Present (GetFrontBuffer, the frame file), its
  // read-back copy for windows shown through SDL surfaces, and the frame
  // file asked for when the device was created.
  GLuint frontTexture_ = 0;
  UINT frontWidth_ = 0, frontHeight_ = 0;
  D3DFORMAT frontFormat_ = D3DFMT_UNKNOWN;
  bool framePresented_ = false;
  std::vector<BYTE> frontPixels_;
  std::string framePngPath_;

  // Cursor
  BOOL cursorShown_ = FALSE;
  int cursorX_ = 0, cursorY_ = 0;
  SDL_Cursor* cursor_ = nullptr;
};

// Dirty bits of Device::dirty_.
enum DirtyBits : uint32_t {
  kDirtyKey = 1u << 0,
  kDirtyRaster = 1u << 1,
  kDirtyViewport = 1u << 2,
  kDirtySamplers = 1u << 3,
  kDirtyTextures = 1u << 4,
  kDirtyFramebuffer = 1u << 5,
  // A stage state or a stage's texture kind that programs are built from
  // changed (the fixed-function side looks at the differences count).
  kDirtyStageKey = 1u << 6,
};

}  // namespace d3d8
