// Vel_DX8_DirectGraphicsChannel: the one Direct3D 8 device of the running
// engine. It creates the device on the engine window, resets it when the
// window, the window mode or the back-buffer size changes (device users
// linked into its "Textures" slot drop their device objects first), keeps a
// cache of the render and texture-stage states, and owns the projection, the
// frustum planes and the screen-coordinate conversions. Other channels reach
// it as the engine's unique channel of its type and call its operations in
// the order declared here.
#pragma once

#include "engine_interface.h"
#include "orn_channel.h"
#include "vel_child_access.h"
#include "vel_type_guids.h"

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8math.h>

class Vel_DX8_D3DDeviceUse;

// The four arguments of the last projection set from values.
struct ProjectionInfo {
  float nearPlane;
  float farPlane;
  float scale;
  float zoom;
};
static_assert(sizeof(ProjectionInfo) == 16);

class Vel_DX8_DirectGraphicsChannel : public Orn_Channel {
 public:
  static constexpr int kRenderStateCount = 174;
  static constexpr int kStageCount = 8;
  static constexpr int kStageStateCount = 30;

  Vel_DX8_DirectGraphicsChannel();
  ~Vel_DX8_DirectGraphicsChannel() override;
  Vel_DX8_DirectGraphicsChannel(const Vel_DX8_DirectGraphicsChannel&) = delete;
  Vel_DX8_DirectGraphicsChannel& operator=(const Vel_DX8_DirectGraphicsChannel&) = delete;

  virtual void SetFullScreenDeviceMode(D3DDISPLAYMODE mode, int adapter, bool hardwareVertexProcessing,
                                       bool fullScreen);
  virtual bool CreateD3D();
  virtual IDirect3D8* GetDirect3d();
  virtual IDirect3DDevice8* GetDirect3dDevice();
  virtual void SetProjectionMatrix(D3DXMATRIX& matrix);
  virtual void SetProjectionMatrix(float nearPlane, float farPlane, float scale, float zoom);
  virtual float GetCurrentZoomFactor();
  virtual void SetBackBufferSize(int width, int height);
  virtual int GetBackBufferWidth();
  virtual int GetBackBufferHeight();
  virtual void SetWindowMode(bool windowed);
  virtual bool GetWindowMode();
  virtual bool GetUseStencilBuffer();
  virtual void SetWindowHandle(HWND window);
  virtual bool ResetDevice();
  virtual void InvalidateDeviceObjects();
  virtual bool SetDeviceStates();
  virtual void SetRenderState(DWORD state, DWORD value);
  virtual D3DXVECTOR3 GetScreenCoordsFromVector(D3DXVECTOR3 position);
  virtual D3DXVECTOR3 GetScreenPresentCoordsFromVector(D3DXVECTOR3 position);
  virtual void GetViewPortScalingMatrix(D3DXMATRIX& matrix);
  virtual RECT GetViewPortRect();
  virtual D3DXVECTOR3 TransformPositionTo3DSpace(D3DXVECTOR3 position);
  virtual D3DVIEWPORT8 GetViewPort();
  virtual void SetViewPort(D3DVIEWPORT8 viewport);
  virtual D3DXMATRIX GetProjectionMatrix();
  virtual D3DXMATRIX GetCameraMatrix();
  virtual D3DXMATRIX GetWorldMatrix();
  virtual void SetDestinationCoords(int x, int y);
  virtual POINT GetDestinationCoords();
  virtual void SetDeviceType(D3DDEVTYPE type);
  virtual D3DDEVTYPE GetDeviceType();
  virtual D3DCAPS8 GetDeviceCaps();
  virtual void CheckDeviceRestore();
  virtual void CalcFrustumPlanes();
  virtual bool CheckAABBVisible(D3DXVECTOR3& boxMin, D3DXVECTOR3& boxMax);
  virtual ProjectionInfo GetProjectionInformation();
  virtual HWND GetPresentWindow();
  virtual void SetPresentWindow(HWND window);
  virtual void SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);

  // The two cached setters for callers that set many states per draw: a
  // value already in the copy is let through here, without a call (the
  // setter would send nothing for it either); any other goes to the setter.
  void ChangeRenderState(DWORD state, DWORD value) {
    if (state < static_cast<DWORD>(kRenderStateCount) && renderStates_[state] == value) return;
    SetRenderState(state, value);
  }
  void ChangeTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    const DWORD t = static_cast<DWORD>(type);
    if (stage < static_cast<DWORD>(kStageCount) && t < static_cast<DWORD>(kStageStateCount) &&
        stageStates_[stage][t] == value)
      return;
    SetTextureStageState(stage, type, value);
  }

 protected:
  IDirect3D8* d3d_;
  IDirect3DDevice8* device_;
  float zoomFactor_;
  int32_t windowed_;
  int32_t backBufferWidth_;
  int32_t backBufferHeight_;
  D3DPRESENT_PARAMETERS presentParameters_;
  HWND deviceWindow_;
  int32_t destinationX_;
  int32_t destinationY_;
  D3DDISPLAYMODE fullScreenMode_;
  D3DDEVTYPE deviceType_;
  D3DCAPS8 deviceCaps_;
  DWORD lastRestoreTick_;
  D3DXPLANE frustumPlanes_[6];
  ProjectionInfo projectionInfo_;
  HWND presentWindow_;
  bool useStencil_;
  DWORD renderStates_[kRenderStateCount];
  DWORD stageStates_[kStageCount][kStageStateCount];
  // A state value that is not a finite number never reaches the device; each
  // state is reported once, until a valid value arrives for it.
  bool renderStateRefused_[kRenderStateCount];
  bool stageStateRefused_[kStageStateCount];
  // The last projection given by its four values had no finite matrix: the
  // previous one stays in force, and it is reported once.
  bool projectionRefused_;
  // The back-buffer size of the last device that was made or reset.
  int32_t workingWidth_;
  int32_t workingHeight_;

 private:
  // The device user linked into child entry i, when the entry holds one that
  // is alive; anything else there is never called.
  Vel_DX8_D3DDeviceUse* DeviceUser(int i);
  HWND EngineWindow();
  // D3DFMT_D24S8 when the adapter offers it with `displayFormat` (the stencil
  // flag is set), else D3DFMT_D16.
  D3DFORMAT ChooseDepthFormat(UINT adapter, D3DFORMAT displayFormat);
  // Hardware, mixed or software vertex processing, from the adapter's caps.
  DWORD ChooseVertexProcessing();
  // Notes the stored back-buffer size as one a device was made with.
  void KeepWorkingSize();
  void ReleaseDevice();
  void ReleaseDirect3D();
  void ReportCreateFailure(HRESULT result);
  // Drops the device after every live device user has dropped its objects.
  void DropDevice();
};

namespace vel {
// The engine's one device channel, made on the first request; null without
// an engine or when the device plug-in is missing.
inline Vel_DX8_DirectGraphicsChannel* DeviceChannel(EngineInterface* engine) {
  return engine ? As<Vel_DX8_DirectGraphicsChannel>(engine->GetUniqueChannel(kDeviceType, nullptr), kDeviceType)
                : nullptr;
}
}  // namespace vel
