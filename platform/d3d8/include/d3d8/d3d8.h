// Direct3D 8: the Direct3D object, the device and its resources.
//
// Umbrella header: value types (d3d8types.h), capabilities (d3d8caps.h) and
// the interfaces below. Interfaces are abstract classes with reference counts
// (IUnknown); objects are created only by Direct3DCreate8 and the Create*
// methods and destroyed by their last Release.
#pragma once

#include <d3d8/d3d8caps.h>
#include <d3d8/d3d8types.h>
#include <win32/com.h>

struct RGNDATA;

struct IDirect3D8;
struct IDirect3DDevice8;
struct IDirect3DResource8;
struct IDirect3DBaseTexture8;
struct IDirect3DTexture8;
struct IDirect3DCubeTexture8;
struct IDirect3DSurface8;
struct IDirect3DVertexBuffer8;
struct IDirect3DIndexBuffer8;

typedef IDirect3D8* LPDIRECT3D8;
typedef IDirect3DDevice8* LPDIRECT3DDEVICE8;
typedef IDirect3DResource8* LPDIRECT3DRESOURCE8;
typedef IDirect3DBaseTexture8* LPDIRECT3DBASETEXTURE8;
typedef IDirect3DTexture8* LPDIRECT3DTEXTURE8;
typedef IDirect3DCubeTexture8* LPDIRECT3DCUBETEXTURE8;
typedef IDirect3DSurface8* LPDIRECT3DSURFACE8;
typedef IDirect3DVertexBuffer8* LPDIRECT3DVERTEXBUFFER8;
typedef IDirect3DIndexBuffer8* LPDIRECT3DINDEXBUFFER8;

inline constexpr IID IID_IDirect3D8 = {0x8957EC52, 0x56D8, 0x4BCC, {0x9B, 0xC7, 0xA2, 0x15, 0x71, 0x4E, 0x6E, 0x50}};
inline constexpr IID IID_IDirect3DDevice8 = {0x7352BD19, 0x8DD7, 0x40AE, {0xAD, 0x9F, 0xCA, 0xB2, 0x18, 0xA5, 0x7E, 0xA1}};
inline constexpr IID IID_IDirect3DResource8 = {0x5589B2C5, 0xCD3E, 0x40C9, {0xA3, 0xEC, 0xD1, 0x33, 0x03, 0x01, 0xD2, 0xD4}};
inline constexpr IID IID_IDirect3DBaseTexture8 = {0x2850344E, 0xCC4F, 0x481D, {0xA2, 0x93, 0xB1, 0xDC, 0x4F, 0x79, 0xBD, 0x9E}};
inline constexpr IID IID_IDirect3DTexture8 = {0xAA81DE18, 0x2620, 0x42AA, {0xA6, 0xFE, 0x4E, 0x08, 0x4F, 0x2B, 0x78, 0xBA}};
inline constexpr IID IID_IDirect3DCubeTexture8 = {0x3EE5B968, 0x2ACA, 0x4C34, {0x8B, 0xB5, 0x7E, 0x0C, 0x3D, 0x19, 0xB7, 0x50}};
inline constexpr IID IID_IDirect3DSurface8 = {0x5A800CD0, 0x10C2, 0x4950, {0xAC, 0xF6, 0x7B, 0x6F, 0xDE, 0xD8, 0x84, 0x43}};
inline constexpr IID IID_IDirect3DVertexBuffer8 = {0x15C182A5, 0xD43D, 0x4D54, {0x88, 0xE5, 0x99, 0x41, 0xC8, 0x5A, 0x7A, 0x53}};
inline constexpr IID IID_IDirect3DIndexBuffer8 = {0xE544EE49, 0x29FE, 0x4EF6, {0x85, 0x8F, 0xC8, 0xDB, 0xCF, 0xC0, 0x10, 0x4B}};

// ---------------------------------------------------------------------------
// IDirect3D8: adapters, display modes, format checks, device creation
// ---------------------------------------------------------------------------

struct IDirect3D8 : IUnknown {
  virtual UINT GetAdapterCount() = 0;
  virtual UINT GetAdapterModeCount(UINT Adapter) = 0;
  virtual HRESULT EnumAdapterModes(UINT Adapter, UINT Mode, D3DDISPLAYMODE* pMode) = 0;
  virtual HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) = 0;
  virtual HRESULT CheckDeviceType(UINT Adapter, D3DDEVTYPE CheckType, D3DFORMAT DisplayFormat,
                                  D3DFORMAT BackBufferFormat, BOOL Windowed) = 0;
  virtual HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                                    D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) = 0;
  virtual HRESULT CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SurfaceFormat,
                                             BOOL Windowed, D3DMULTISAMPLE_TYPE MultiSampleType) = 0;
  virtual HRESULT CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                         D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) = 0;
  virtual HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS8* pCaps) = 0;
  virtual HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                               D3DPRESENT_PARAMETERS* pPresentationParameters,
                               IDirect3DDevice8** ppReturnedDeviceInterface) = 0;

 protected:
  ~IDirect3D8() = default;
};

// ---------------------------------------------------------------------------
// IDirect3DDevice8
// ---------------------------------------------------------------------------

struct IDirect3DDevice8 : IUnknown {
  // Device and presentation
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual UINT GetAvailableTextureMem() = 0;
  virtual HRESULT ResourceManagerDiscardBytes(DWORD Bytes) = 0;
  virtual HRESULT GetDirect3D(IDirect3D8** ppD3D8) = 0;
  virtual HRESULT GetDeviceCaps(D3DCAPS8* pCaps) = 0;
  virtual HRESULT GetDisplayMode(D3DDISPLAYMODE* pMode) = 0;
  virtual HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) = 0;
  virtual HRESULT SetCursorProperties(UINT XHotSpot, UINT YHotSpot, IDirect3DSurface8* pCursorBitmap) = 0;
  virtual void SetCursorPosition(int X, int Y, DWORD Flags) = 0;
  virtual BOOL ShowCursor(BOOL bShow) = 0;
  virtual HRESULT Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) = 0;
  virtual HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                          const RGNDATA* pDirtyRegion) = 0;
  virtual HRESULT GetBackBuffer(UINT BackBuffer, D3DBACKBUFFER_TYPE Type, IDirect3DSurface8** ppBackBuffer) = 0;

  // Resource creation
  virtual HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                IDirect3DTexture8** ppTexture) = 0;
  virtual HRESULT CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                    IDirect3DCubeTexture8** ppCubeTexture) = 0;
  virtual HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                     IDirect3DVertexBuffer8** ppVertexBuffer) = 0;
  virtual HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                    IDirect3DIndexBuffer8** ppIndexBuffer) = 0;
  virtual HRESULT CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                     BOOL Lockable, IDirect3DSurface8** ppSurface) = 0;
  virtual HRESULT CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                            D3DMULTISAMPLE_TYPE MultiSample, IDirect3DSurface8** ppSurface) = 0;
  virtual HRESULT CreateImageSurface(UINT Width, UINT Height, D3DFORMAT Format, IDirect3DSurface8** ppSurface) = 0;
  // Copies rectangles between two distinct surfaces of the same format
  // without scaling, clipping or conversion: rectangle i of pSourceRectsArray
  // (the whole source when NULL) goes with its top-left texel to point i of
  // pDestPointsArray (the same place when NULL). Every rectangle must lie
  // inside both surfaces (on 4-texel block bounds for DXT formats); depth
  // buffers take no part.
  virtual HRESULT CopyRects(IDirect3DSurface8* pSourceSurface, const RECT* pSourceRectsArray, UINT cRects,
                            IDirect3DSurface8* pDestinationSurface, const POINT* pDestPointsArray) = 0;
  virtual HRESULT GetFrontBuffer(IDirect3DSurface8* pDestSurface) = 0;

  // Render targets
  virtual HRESULT SetRenderTarget(IDirect3DSurface8* pRenderTarget, IDirect3DSurface8* pNewZStencil) = 0;
  virtual HRESULT GetRenderTarget(IDirect3DSurface8** ppRenderTarget) = 0;
  virtual HRESULT GetDepthStencilSurface(IDirect3DSurface8** ppZStencilSurface) = 0;

  // Scenes and clearing
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                        DWORD Stencil) = 0;

  // Transforms, viewport, material, lights
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) = 0;
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) = 0;
  virtual HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) = 0;
  virtual HRESULT SetViewport(const D3DVIEWPORT8* pViewport) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT8* pViewport) = 0;
  virtual HRESULT SetMaterial(const D3DMATERIAL8* pMaterial) = 0;
  virtual HRESULT GetMaterial(D3DMATERIAL8* pMaterial) = 0;
  virtual HRESULT SetLight(DWORD Index, const D3DLIGHT8* pLight) = 0;
  virtual HRESULT GetLight(DWORD Index, D3DLIGHT8* pLight) = 0;
  virtual HRESULT LightEnable(DWORD Index, BOOL Enable) = 0;
  virtual HRESULT GetLightEnable(DWORD Index, BOOL* pEnable) = 0;

  // Render states and state blocks
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) = 0;
  virtual HRESULT BeginStateBlock() = 0;
  virtual HRESULT EndStateBlock(DWORD* pToken) = 0;
  virtual HRESULT ApplyStateBlock(DWORD Token) = 0;
  virtual HRESULT CaptureStateBlock(DWORD Token) = 0;
  virtual HRESULT DeleteStateBlock(DWORD Token) = 0;
  virtual HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE Type, DWORD* pToken) = 0;

  // Textures and texture stages
  virtual HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) = 0;
  virtual HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) = 0;
  virtual HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) = 0;
  virtual HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) = 0;

  // Drawing
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) = 0;
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT MinIndex, UINT NumVertices,
                                       UINT StartIndex, UINT PrimitiveCount) = 0;
  virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                  const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) = 0;
  virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex, UINT NumVertexIndices,
                                         UINT PrimitiveCount, const void* pIndexData, D3DFORMAT IndexDataFormat,
                                         const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) = 0;

  // Vertex processing: a handle with bit 0 clear is a flexible vertex format
  // code (D3DFVF_*); handles made by CreateVertexShader have bit 0 set.
  virtual HRESULT CreateVertexShader(const DWORD* pDeclaration, const DWORD* pFunction, DWORD* pHandle,
                                     DWORD Usage) = 0;
  virtual HRESULT SetVertexShader(DWORD Handle) = 0;
  virtual HRESULT GetVertexShader(DWORD* pHandle) = 0;
  virtual HRESULT DeleteVertexShader(DWORD Handle) = 0;
  virtual HRESULT SetVertexShaderConstant(DWORD Register, const void* pConstantData, DWORD ConstantCount) = 0;
  virtual HRESULT GetVertexShaderConstant(DWORD Register, void* pConstantData, DWORD ConstantCount) = 0;

  // Vertex streams
  virtual HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData, UINT Stride) = 0;
  virtual HRESULT GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8** ppStreamData, UINT* pStride) = 0;
  virtual HRESULT SetIndices(IDirect3DIndexBuffer8* pIndexData, UINT BaseVertexIndex) = 0;
  virtual HRESULT GetIndices(IDirect3DIndexBuffer8** ppIndexData, UINT* pBaseVertexIndex) = 0;

  // Pixel processing
  virtual HRESULT CreatePixelShader(const DWORD* pFunction, DWORD* pHandle) = 0;
  virtual HRESULT SetPixelShader(DWORD Handle) = 0;
  virtual HRESULT GetPixelShader(DWORD* pHandle) = 0;
  virtual HRESULT DeletePixelShader(DWORD Handle) = 0;
  virtual HRESULT SetPixelShaderConstant(DWORD Register, const void* pConstantData, DWORD ConstantCount) = 0;
  virtual HRESULT GetPixelShaderConstant(DWORD Register, void* pConstantData, DWORD ConstantCount) = 0;

 protected:
  ~IDirect3DDevice8() = default;
};

// ---------------------------------------------------------------------------
// Resources
// ---------------------------------------------------------------------------

struct IDirect3DResource8 : IUnknown {
  virtual HRESULT GetDevice(IDirect3DDevice8** ppDevice) = 0;
  virtual DWORD SetPriority(DWORD PriorityNew) = 0;
  virtual DWORD GetPriority() = 0;
  virtual void PreLoad() = 0;
  virtual D3DRESOURCETYPE GetType() = 0;

 protected:
  ~IDirect3DResource8() = default;
};

struct IDirect3DBaseTexture8 : IDirect3DResource8 {
  virtual DWORD SetLOD(DWORD LODNew) = 0;
  virtual DWORD GetLOD() = 0;
  virtual DWORD GetLevelCount() = 0;

 protected:
  ~IDirect3DBaseTexture8() = default;
};

struct IDirect3DTexture8 : IDirect3DBaseTexture8 {
  virtual HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) = 0;
  virtual HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface8** ppSurfaceLevel) = 0;
  virtual HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) = 0;
  virtual HRESULT UnlockRect(UINT Level) = 0;
  virtual HRESULT AddDirtyRect(const RECT* pDirtyRect) = 0;

 protected:
  ~IDirect3DTexture8() = default;
};

// A cube texture: six square faces (D3DCUBEMAP_FACES), each with the same
// chain of mip levels.
struct IDirect3DCubeTexture8 : IDirect3DBaseTexture8 {
  virtual HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) = 0;
  virtual HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES FaceType, UINT Level, IDirect3DSurface8** ppCubeMapSurface) = 0;
  virtual HRESULT LockRect(D3DCUBEMAP_FACES FaceType, UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                           DWORD Flags) = 0;
  virtual HRESULT UnlockRect(D3DCUBEMAP_FACES FaceType, UINT Level) = 0;
  virtual HRESULT AddDirtyRect(D3DCUBEMAP_FACES FaceType, const RECT* pDirtyRect) = 0;

 protected:
  ~IDirect3DCubeTexture8() = default;
};

// A surface: a level of a texture, a render target, a depth-stencil buffer,
// the back buffer or an image in system memory.
struct IDirect3DSurface8 : IUnknown {
  virtual HRESULT GetDevice(IDirect3DDevice8** ppDevice) = 0;
  virtual HRESULT GetContainer(REFIID riid, void** ppContainer) = 0;
  virtual HRESULT GetDesc(D3DSURFACE_DESC* pDesc) = 0;
  virtual HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) = 0;
  virtual HRESULT UnlockRect() = 0;

 protected:
  ~IDirect3DSurface8() = default;
};

struct IDirect3DVertexBuffer8 : IDirect3DResource8 {
  virtual HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) = 0;

 protected:
  ~IDirect3DVertexBuffer8() = default;
};

struct IDirect3DIndexBuffer8 : IDirect3DResource8 {
  virtual HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) = 0;

 protected:
  ~IDirect3DIndexBuffer8() = default;
};

// ---------------------------------------------------------------------------
// Entry point
// ---------------------------------------------------------------------------

// The frame file. When the environment variable KELVANE_FRAME_PNG names a
// file at the time a device is created, that device writes the last frame
// it presented to the file, as an opaque RGB PNG image of the back buffer's
// size, when it is released; a device that presented no frame leaves the
// file alone. The file appears whole (it is written under a temporary name
// beside it and then renamed). This works alike for devices that show their
// frames in a window and for devices without one, so a run without a display
// can still show what it drew.

// Creates the Direct3D object; NULL when SDKVersion is not D3D_SDK_VERSION or
// no OpenGL 3.3 renderer is available.
extern "C" IDirect3D8* WINAPI Direct3DCreate8(UINT SDKVersion);
