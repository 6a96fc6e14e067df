// The texture channel: construction, settings, registration with the texture
// manager and the saved record.
#include "texture/vel_dx8_texture.h"

#include "file_saver.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"
#include "win32/thread.h"

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 Texture", vel::kTextureType, vel::kTextureType);
  return type;
}

constexpr const char* kCorruptChunk = "Vel_DX8_Texture::LoadChannel: Corrupt chunk";
}  // namespace

Vel_DX8_Texture::Vel_DX8_Texture()
    : managerIndex_(-1),
      texture_(nullptr),
      normalMap_(nullptr),
      textureManager_(nullptr),
      mipLevels_(0),
      alphaRefresh_(true),
      desiredHeight_(-1),
      desiredWidth_(-1),
      public_(true),
      hasAlpha_(false),
      forceARGB_(false),
      normalMapType_(0),
      isNormalMap_(false),
      useCompression_(false),
      groupBufferStamp_(0),
      lastOutcome_(LoadOutcome::kMade),
      bytesFailed_(false),
      retryClock(GetTickCount) {
  SetChannelName("DX8 Texture");
  SetChildCreationCount(3);
  vel::DeclareSlot(this, kAlphaSlot, vel::kTextureType, "DX8 Texture", "Alpha Texture");
  vel::DeclareSlot(this, kBumpScaleSlot, vel::kFloatType, "Value", "Bumpmap Scale");
  vel::DeclareSlot(this, kGroupBufferSlot, vel::kGroupBufferType, "GroupBuffer", "Load texture from file");
  // The device channel is the one the device-use base found and linked into.
  if (!engine) return;
  if (!directGraphics_) engine->errorFunctor("Texture couldn't initialize Direct Graphics!");
  textureManager_ = vel::As<Orn_Channel>(engine->GetUniqueChannel(vel::kTextureManagerType, nullptr),
                                         vel::kTextureManagerType);
  if (!textureManager_) engine->errorFunctor("Couldn't initialize textureManager_ !");
}

Vel_DX8_Texture::~Vel_DX8_Texture() {
  if (managerIndex_ >= 0 && textureManager_) textureManager_->RemoveChild(managerIndex_);
  Release();
}

Vel_DX8_Texture* Vel_DX8_Texture::MakeHelperTexture() {
  if (!engine) return nullptr;
  Orn_Channel* channel = engine->InitChannelFromType(vel::kTextureType, nullptr, false);
  Vel_DX8_Texture* texture = vel::As<Vel_DX8_Texture>(channel, vel::kTextureType);
  if (!texture) delete channel;
  return texture;
}

void Vel_DX8_Texture::Release() {
  if (texture_) texture_->Release();
  texture_ = nullptr;
  if (normalMap_) normalMap_->Release();
  normalMap_ = nullptr;
  thumbnail_.reset();
  alphaRefresh_ = true;
}

void Vel_DX8_Texture::InvalidateDeviceObjects() {
  // Bytes that failed on the old device are tried again on the new one.
  TryAgainNow();
  if (!texture_) return;
  texture_->Release();
  texture_ = nullptr;
  thumbnail_.reset();
  if (normalMap_) normalMap_->Release();
  normalMap_ = nullptr;
}

// ---------------------------------------------------------------------------
// Settings. Those that change how the texture is made let bytes that failed
// be tried again.

void Vel_DX8_Texture::SetMipMapLevels(int levels) {
  mipLevels_ = levels;
  TryAgainNow();
}
int Vel_DX8_Texture::GetMipMapLevels() { return mipLevels_; }
void Vel_DX8_Texture::SetDesiredHeight(int height) {
  desiredHeight_ = height;
  TryAgainNow();
}
void Vel_DX8_Texture::SetDesiredWidth(int width) {
  desiredWidth_ = width;
  TryAgainNow();
}
int Vel_DX8_Texture::GetDesiredHeight() { return desiredHeight_; }
int Vel_DX8_Texture::GetDesiredWidth() { return desiredWidth_; }
void Vel_DX8_Texture::SetForceARGB(bool on) {
  forceARGB_ = on;
  TryAgainNow();
}
void Vel_DX8_Texture::SetIsNormalMap(bool on) {
  isNormalMap_ = on;
  TryAgainNow();
}
bool Vel_DX8_Texture::GetIsNormalMap() { return isNormalMap_; }
void Vel_DX8_Texture::SetNormalMapType(int type) { normalMapType_ = type; }
int Vel_DX8_Texture::GetNormalMapType() { return normalMapType_; }
void Vel_DX8_Texture::SetUseTextureCompression(bool on) {
  useCompression_ = on;
  TryAgainNow();
}
bool Vel_DX8_Texture::GetUseTextureCompression() { return useCompression_; }
bool Vel_DX8_Texture::GetIfValidTexture() { return texture_ != nullptr; }
IDirect3DTexture8* Vel_DX8_Texture::GetTexture() { return texture_; }
const char* Vel_DX8_Texture::GetTextureBuffer() { return imageBytes_.empty() ? nullptr : imageBytes_.data(); }
int Vel_DX8_Texture::GetBufferSize() { return static_cast<int>(imageBytes_.size()); }

int Vel_DX8_Texture::SetChild(Orn_Channel* child, int linkPos, int creationTypeNr) {
  int result = Orn_Channel::SetChild(child, linkPos, creationTypeNr);
  alphaRefresh_ = true;
  return result;
}

// ---------------------------------------------------------------------------
// The texture manager

void Vel_DX8_Texture::Register() {
  if (public_ && managerIndex_ < 0 && textureManager_) managerIndex_ = textureManager_->SetChild(this, -1, -1);
}

bool Vel_DX8_Texture::GetIfPublicTexture() { return public_; }

void Vel_DX8_Texture::SetIfPublicTexture(bool on) {
  public_ = on;
  if (on) {
    Register();
  } else if (managerIndex_ >= 0) {
    if (textureManager_) textureManager_->RemoveChild(managerIndex_);
    managerIndex_ = -1;
  }
}

// ---------------------------------------------------------------------------
// Record

bool Vel_DX8_Texture::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  uint8_t flag = isNormalMap_ ? 1 : 0;
  saver.SaveChunk("TEUN", &flag, 1);
  saver.SaveChunk("TEXM", &mipLevels_, 4);
  saver.SaveChunk("TEXW", &desiredWidth_, 4);
  saver.SaveChunk("TEXH", &desiredHeight_, 4);
  flag = public_ ? 1 : 0;
  saver.SaveChunk("TEPU", &flag, 1);
  int32_t size = GetBufferSize();
  if (size > 0) {
    saver.SaveChunk("TEXS", &size, 4);
    saver.SaveChunk("TEXT", imageBytes_.data(), static_cast<unsigned long>(size));
  }
  saver.SaveChunk("TENT", &normalMapType_, 4);
  flag = useCompression_ ? 1 : 0;
  saver.SaveChunk("TECM", &flag, 1);
  return true;
}

bool Vel_DX8_Texture::ReadImageChunks(OrnFileLoader& loader) {
  int32_t size = 0;
  if (!vel::ReadRecordChunk(loader, "TEXS", &size, 4, this, kCorruptChunk)) return false;
  if (!loader.GetInfoIfTag("TEXT")) return false;
  unsigned long block = 0;
  const char* data = vel::TakeBlock(loader, &block);
  // A size below that of any image keeps no bytes and passes the data over.
  if (size < kMinImageSize) return false;
  // Data shorter than the size is a cut-off image: refused. Longer data is
  // cut to the size.
  if (!data || block < static_cast<unsigned long>(size)) {
    vel::ReportCorruptChunk(this, kCorruptChunk, "TEXT");
    return false;
  }
  return KeepBytes(data, size);
}

bool Vel_DX8_Texture::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  uint8_t flag = 0;
  if (vel::ReadRecordChunk(loader, "TEUN", &flag, 1, this, kCorruptChunk)) isNormalMap_ = flag != 0;
  vel::ReadRecordChunk(loader, "TEXM", &mipLevels_, 4, this, kCorruptChunk);
  vel::ReadRecordChunk(loader, "TEXW", &desiredWidth_, 4, this, kCorruptChunk);
  vel::ReadRecordChunk(loader, "TEXH", &desiredHeight_, 4, this, kCorruptChunk);
  if (vel::ReadRecordChunk(loader, "TEPU", &flag, 1, this, kCorruptChunk)) public_ = flag != 0;
  ReadImageChunks(loader);
  vel::ReadRecordChunk(loader, "TENT", &normalMapType_, 4, this, kCorruptChunk);
  if (vel::ReadRecordChunk(loader, "TECM", &flag, 1, this, kCorruptChunk)) useCompression_ = flag != 0;
  TryAgainNow();
  RestoreTexture();
  if (texture_) Register();
  SetTimeStamp();
  return true;
}

void Vel_DX8_Texture::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kDeviceUseType, dependencies);
  AddChannelGuidDepend(vel::kTextureManagerType, dependencies);
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_Texture; }
