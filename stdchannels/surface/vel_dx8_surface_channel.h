// Vel_DX8_SurfaceChannel ("DX8 Surface"): one drawable surface of a 3D object:
// its mesh-data child (slot 0), the render and texture-stage settings it
// draws with, and the world matrix the object hands it. The shader surface
// derives from it and draws through DoDrawSurface.
#pragma once

#include "deviceuse/vel_dx8_d3d_device_use.h"
#include "vel_child_access.h"

#include <d3dx8/d3dx8math.h>

class MaterialChannel;
class Vel_DX8_ObjectDataChannel;
class Vel_DX8_Texture;

class Vel_DX8_SurfaceChannel : public Vel_DX8_D3DDeviceUse {
 public:
  static constexpr int kStages = 8;

  Vel_DX8_SurfaceChannel();
  ~Vel_DX8_SurfaceChannel() override;

  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void DoDependencyInit(Orn_List* dependencies) override;
  // The device channel goes: the surface stops drawing.
  void InvalidateDirectGraphics() override;

  // First pass (opaque surfaces) and second pass (transparent surfaces) of
  // the 3D object; each applies the surface's settings and calls DoDrawSurface
  // when the surface belongs to that pass and may draw.
  virtual void DrawSurface();
  virtual void DoDrawSurface();
  virtual void DrawTransparentSurface();

  virtual void SetAlphaRejectValue(DWORD value);
  virtual DWORD GetAlphaRejectValue();
  virtual void SetAlphaRejectTest(bool on);
  virtual bool GetAlphaRejectTest();
  virtual void SetTransparentSurface(bool on);
  virtual bool GetTransparentSurface();
  // A number that changes whenever any surface turns transparent or opaque:
  // a drawer that noted which surfaces were transparent may trust the note
  // while it stays the same.
  static uint64_t TransparencyChangeCount() { return transparencyChanges; }
  virtual void SetVisible(bool on);
  virtual bool GetVisible();
  virtual void SetSourceBlend(DWORD value);
  virtual DWORD GetSourceBlend();
  virtual void SetDestBlend(DWORD value);
  virtual DWORD GetDestBlend();

  virtual DWORD GetColorOp(int stage);
  virtual void SetColorOp(DWORD value, int stage);
  virtual DWORD GetAplhaOp(int stage);
  virtual void SetAplhaOp(DWORD value, int stage);
  virtual DWORD GetCoordIndex(int stage);
  virtual void SetCoordIndex(DWORD value, int stage);
  virtual DWORD GetTextureWrap(int stage);
  virtual void SetTextureWrap(DWORD value, int stage);

  virtual void SetWriteDepthBuffer(bool on);
  virtual bool GetWriteDepthBuffer();
  virtual void SetCheckDepthBuffer(bool on);
  virtual bool GetCheckDepthBuffer();
  virtual void SetTillingMode(DWORD value, int stage);
  virtual DWORD GetTillingMode(int stage);

  virtual DWORD GetColorArg1(int stage);
  virtual void SetColorArg1(DWORD value, int stage);
  virtual DWORD GetColorArg2(int stage);
  virtual void SetColorArg2(DWORD value, int stage);
  virtual DWORD GetAlphaArg1(int stage);
  virtual void SetAlphaArg1(DWORD value, int stage);
  virtual DWORD GetAlphaArg2(int stage);
  virtual void SetAlphaArg2(DWORD value, int stage);
  virtual DWORD GetZBias();
  virtual void SetZBias(DWORD value);

  // The mesh-data child (slot 0) when it is one, else null.
  virtual Vel_DX8_ObjectDataChannel* GetObjectData();
  virtual void SetWorldMatrix(D3DXMATRIX m);
  virtual D3DXMATRIX GetWorldMatrix();

  // Child slots.
  enum Slot { kObjectDataSlot = 0, kMaterialSlot = 1, kTexturesSlot = 2 };

 protected:
  // Applies the surface's blend, alpha-test and depth settings and draws
  // through DoDrawSurface; used by both passes.
  void DrawPass();
  void UnbindTextures(IDirect3DDevice8* d3d, int stages);
  // Child 1: ApplyMaterial of a material, CallChannel of anything else.
  void ApplyMaterialChild();

  // The surface draws only while this is set (while it knows a device
  // channel); derived surfaces read it.
  bool drawEnabled_;

  // The settings a surface draws with, saved as chunk "SURF".
  struct Settings {
    uint32_t alphaRejectValue;
    uint8_t alphaRejectTest;
    uint8_t transparent;
    uint8_t visible;
    uint8_t writeDepth;
    uint8_t checkDepth;
    uint8_t reserved[3];
    uint32_t sourceBlend;
    uint32_t destBlend;
    uint32_t zBias;
    uint32_t colorOp[kStages];
    uint32_t alphaOp[kStages];
    uint32_t colorArg1[kStages];
    uint32_t colorArg2[kStages];
    uint32_t alphaArg1[kStages];
    uint32_t alphaArg2[kStages];
    uint32_t coordIndex[kStages];
    uint32_t textureWrap[kStages];
    uint32_t tilingMode[kStages];
  };
  static_assert(sizeof(Settings) == 312, "the saved settings are 312 bytes");
  Settings settings_;
  D3DXMATRIX worldMatrix_;

  static uint64_t transparencyChanges;

 private:
  // The typed children, kept between link changes (see vel::LinkStamp).
  struct Links {
    vel::LinkStamp stamp;
    Vel_DX8_ObjectDataChannel* mesh = nullptr;
    Orn_Channel* materialChild = nullptr;
    MaterialChannel* material = nullptr;
    int textureCount = 0;  // texture children, at most kStages
    Vel_DX8_Texture* textures[kStages] = {};
  };
  const Links& CurrentLinks();
  Links links_;
  // Binds the texture children to stages 0..k-1 with the surface's stage
  // settings, disables stage k, and answers k.
  int BindTextures(IDirect3DDevice8* d3d, const Links& links);
  void ApplyMaterialChild(const Links& links);
};
