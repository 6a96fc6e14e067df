// Vel_DX8_Texture ("DX8 Texture"): one Direct3D texture made from the bytes of
// an image file that the project stores with the channel, so no file is read
// once it is loaded. It is passive: surfaces bind it with SetTexture(stage)
// while they draw. It can take its alpha from the brightness of a second
// texture (slot 0), bind a normal map made from its image instead of itself,
// make a small thumbnail copy, register as a public texture with the
// engine's texture manager, rebuild itself after the device was lost, and
// take new image bytes from a group-buffer child (slot 2) whenever that
// child's bytes change.
//
// Record, after the channel record: "TEUN" is-normal-map flag (1 byte),
// "TEXM" mip levels, "TEXW" desired width, "TEXH" desired height (int32
// each), "TEPU" public flag (1 byte), "TEXS" image size (int32) and "TEXT" the
// image bytes (both only while there are any), "TENT" normal-map type
// (int32), "TECM" compression flag (1 byte).
#pragma once

#include "deviceuse/vel_dx8_d3d_device_use.h"
#include "vel_child_access.h"

#include <d3d8/d3d8.h>

#include <memory>
#include <vector>

class GroupBufferChannel;

class Vel_DX8_Texture : public Vel_DX8_D3DDeviceUse {
 public:
  enum Slot { kAlphaSlot = 0, kBumpScaleSlot, kGroupBufferSlot, kSlotCount };
  // Image data shorter than this is no image.
  static constexpr int kMinImageSize = 6;

  Vel_DX8_Texture();
  // Leaves the texture manager, releases the device objects and frees the
  // image bytes.
  ~Vel_DX8_Texture() override;
  // A texture is not copied: it owns its device objects, its thumbnail and
  // its image bytes. CopyOurselvesIntoTexture gives another texture the same
  // image.
  Vel_DX8_Texture(const Vel_DX8_Texture&) = delete;
  Vel_DX8_Texture& operator=(const Vel_DX8_Texture&) = delete;

  bool SaveChannel(OrnFileSaver& saver) override;
  // Reads the record, then makes the texture from the stored image bytes.
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void DoDependencyInit(Orn_List* dependencies) override;
  // Releases the texture, the normal map and the thumbnail; the next bind
  // makes them again from the kept image bytes.
  void InvalidateDeviceObjects() override;

  // Releases texture and normal map and deletes the thumbnail.
  virtual void Release();
  // Binds the texture (or, for a normal map, the normal map) to `stage`,
  // first taking new bytes from the group-buffer child and making a missing
  // texture.
  virtual void SetTexture(int stage);
  virtual bool LoadTextureFromFile(const char* path);
  // Makes the texture from image-file bytes without keeping them.
  virtual bool LoadTextureFromMemory(const char* bytes, int size);
  // Keeps a copy of the bytes and makes the texture from it.
  virtual bool LoadTextureFromMemoryAndCopyBuffer(const char* bytes, int size);
  // Levels to create, 0 for the full chain.
  virtual void SetMipMapLevels(int levels);
  virtual int GetMipMapLevels();
  // The description of a level; width and height 0xFFFFFFFF (-1) when there
  // is no texture.
  virtual D3DSURFACE_DESC GetTextureDescription(int level);
  virtual HRESULT LockTexture(int level, D3DLOCKED_RECT& rect);
  virtual void UnlockTexture(int level);
  virtual bool GetIfValidTexture();
  // Size to create (-1: the image's own), taking effect at the next creation.
  virtual void SetDesiredHeight(int height);
  virtual void SetDesiredWidth(int width);
  virtual int GetDesiredHeight();
  virtual int GetDesiredWidth();
  // Makes the texture again from the kept image bytes.
  virtual void RestoreTexture();
  // A copy of the image at the given size, owned by this texture.
  virtual Vel_DX8_Texture* CreateTumbNailTexture(int width, int height);
  // Writes the brightness of `alpha`'s image into this texture's alpha.
  virtual bool AddAplhaTexture(Vel_DX8_Texture* alpha);
  // Links a child as the channel base does, and has the alpha applied again.
  virtual int SetChild(Orn_Channel* child, int linkPos, int creationTypeNr);
  // Makes `target` from this texture's image bytes (keeping a copy there with
  // copyBuffer).
  virtual bool CopyOurselvesIntoTexture(Vel_DX8_Texture* target, bool copyBuffer);
  // Applies the alpha child when it changed.
  virtual void CheckAplhaRefresh();
  virtual void ClearTexture(int stage);
  virtual bool GetIfPublicTexture();
  virtual void SetIfPublicTexture(bool on);
  // Always A8R8G8B8 in system memory.
  virtual void SetForceARGB(bool on);
  virtual IDirect3DTexture8* GetTexture();
  virtual void SetIsNormalMap(bool on);
  virtual bool GetIsNormalMap();
  // 0 a two-channel bump map, 1 a colour-encoded normal map.
  virtual void SetNormalMapType(int type);
  virtual int GetNormalMapType();
  // Makes the normal map from the texture.
  virtual void CreateNormalMap();
  virtual const char* GetTextureBuffer();
  virtual int GetBufferSize();
  // Tries DXT5 first.
  virtual void SetUseTextureCompression(bool on);
  virtual bool GetUseTextureCompression();

 protected:
  // How the last LoadTextureFromMemory ended.
  // kShortOfMemory: the driver had no memory for it (E_OUTOFMEMORY,
  // D3DERR_OUTOFVIDEOMEMORY), which may pass.
  enum class LoadOutcome { kMade, kNoDevice, kDeviceLost, kShortOfMemory, kFailed };
  // A texture that failed for want of memory is tried again at most this
  // often.
  static constexpr DWORD kMemoryRetryMs = 1000;

  // A texture made outside the creation handshake for the same engine.
  Vel_DX8_Texture* MakeHelperTexture();
  // Registers with the texture manager when public and not yet registered.
  void Register();
  // Replaces the kept image bytes; false (old bytes kept) when memory is short.
  bool KeepBytes(const char* bytes, int size);
  // Makes the texture from the kept bytes, marking them failed when they do
  // not make one on a working device, or timing the next try when memory
  // was short.
  bool MakeFromKeptBytes();
  // Something that decides how the texture is made changed: bytes that
  // failed are tried at the next bind.
  void TryAgainNow() {
    bytesFailed_ = false;
    shortOfMemoryAt_ = 0;
  }
  // A try that found memory short was made less than kMemoryRetryMs ago.
  bool WaitingForMemory() const {
    return shortOfMemoryAt_ != 0 && static_cast<DWORD>(retryClock() - shortOfMemoryAt_) < kMemoryRetryMs;
  }
  // Takes the group-buffer child's bytes when they changed.
  void CheckGroupBuffer();
  // Makes a texture of the desired size and levels from image-file bytes
  // into *out (the texture itself when null).
  HRESULT CreateFromBytes(IDirect3DDevice8* device, const char* bytes, int size, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** out = nullptr);
  bool ReadImageChunks(OrnFileLoader& loader);

  int32_t managerIndex_;
  IDirect3DTexture8* texture_;
  IDirect3DTexture8* normalMap_;
  Orn_Channel* textureManager_;
  std::vector<char> imageBytes_;
  int32_t mipLevels_;
  std::unique_ptr<Vel_DX8_Texture> thumbnail_;
  bool alphaRefresh_;
  int32_t desiredHeight_;
  int32_t desiredWidth_;
  bool public_;
  bool hasAlpha_;
  bool forceARGB_;
  int32_t normalMapType_;
  bool isNormalMap_;
  bool useCompression_;
  DWORD groupBufferStamp_;
  LoadOutcome lastOutcome_;
  // The kept image bytes failed to make a texture on a working device: they
  // are not tried again until they, or the device, change.
  bool bytesFailed_;
  // When the last try found memory short (the clock's time with the low bit
  // set; 0 none), and the code reported for it, so that the retries that
  // follow are not reported again until a texture is made.
  DWORD shortOfMemoryAt_ = 0;
  HRESULT reportedShortage_ = D3D_OK;
  // The alpha child the last bind found: a link made past SetChild (the
  // channel base's, which the group loader and the link editor use) is
  // noticed by the change.
  Orn_Channel* alphaChildSeen_ = nullptr;
  // The clock the retries are timed by, in milliseconds (GetTickCount).
  DWORD (*retryClock)();

 private:
  // The children every bind reads, kept between link changes (see
  // vel::LinkStamp).
  struct BindLinks {
    vel::LinkStamp stamp;
    GroupBufferChannel* groupBuffer = nullptr;
    Orn_Channel* alpha = nullptr;  // whatever the alpha slot holds
  };
  const BindLinks& CurrentBindLinks();
  BindLinks bindLinks_;
};
