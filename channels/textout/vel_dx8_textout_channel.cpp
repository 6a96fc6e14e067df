#include "textout/vel_dx8_textout_channel.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "file_loader.h"
#include "file_saver.h"
#include "text/text_channel.h"
#include "textout/font_texture.h"
#include "vectorvalue/vel_vector_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

#include <cstring>
#include <new>
#include <string>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 Textout", vel::kTextOutType, vel::kTextOutType);
  return type;
}

constexpr const char* kCorrupt = "Vel_DX8_TextOutChannel::LoadChannel: Corrupt chunk";

}  // namespace

Vel_DX8_TextOutChannel::Vel_DX8_TextOutChannel()
    : ready_(false), buildFailed_(false), position_{0.0f, 0.0f, 0.0f}, fontSize_(8) {
  fontName_.SetString("Arial");
  SetChildCreationCount(kSlotCount);
  vel::DeclareSlot(this, kPosSlot, vel::kVectorType, "Value Vector", "Pos");
  vel::DeclareSlot(this, kTextSlot, vel::kTextType, "Text", "Text");
  vel::DeclareSlot(this, kColorSlot, vel::kVectorType, "Value Vector", "Color");
  SetChannelName("DX8 Textout");
}

Vel_DX8_TextOutChannel::~Vel_DX8_TextOutChannel() { DropFont(); }

void Vel_DX8_TextOutChannel::DropFont() {
  font_.reset();  // its destructor releases its device objects
  ready_ = false;
}

void Vel_DX8_TextOutChannel::CallChannel() {
  if (!CheckRenderCount()) return;
  if (Vel_VectorChannel* pos = vel::ChildAs<Vel_VectorChannel>(this, kPosSlot, vel::kVectorType)) {
    D3DXVECTOR3 v = pos->GetVector();
    position_[0] = vel::FiniteOr(v.x, 0.0f);
    position_[1] = vel::FiniteOr(v.y, 0.0f);
    position_[2] = vel::FiniteOr(v.z, 0.0f);
  } else {
    position_[0] = position_[1] = position_[2] = 0.0f;
  }
  TextChannel* text = vel::ChildAs<TextChannel>(this, kTextSlot, vel::kTextType);
  if (!text) return;
  text_.SetString(text->GetString());
  DWORD color = 0xFF000000u;
  if (Vel_VectorChannel* c = vel::ChildAs<Vel_VectorChannel>(this, kColorSlot, vel::kVectorType)) {
    color |= vel::ColorBytes(c->GetVector());
  }
  DrawTextA(position_[0], position_[1], color, const_cast<char*>(text_.GetString()), 0);
}

void Vel_DX8_TextOutChannel::CheckDeviceState() {
  if (ready_ || buildFailed_) return;
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  // Without a device nothing is built and the font stays not ready: the next
  // draw tries again.
  if (!device) return;
  DropFont();
  font_.reset(new (std::nothrow) FontTexture(fontName_.GetString(), static_cast<unsigned>(fontSize_), 0));
  HRESULT result = font_ ? font_->InitDeviceObjects(device) : E_OUTOFMEMORY;
  if (SUCCEEDED(result)) result = font_->RestoreDeviceObjects();
  if (FAILED(result)) {
    DropFont();
    buildFailed_ = true;
    if (engine) engine->errorFunctor("Vel_DX8_TextOutChannel::CheckDeviceState: cannot build the font ",
                                     fontName_.GetString());
    return;
  }
  ready_ = true;
}

HRESULT Vel_DX8_TextOutChannel::DrawTextA(float x, float y, char* text) {
  return DrawTextA(x, y, 0xFF000000u, text, 0);
}

HRESULT Vel_DX8_TextOutChannel::DrawTextA(float x, float y, unsigned long color, char* text, unsigned long flags) {
  CheckDeviceState();
  return ready_ ? font_->DrawText(x, y, static_cast<D3DCOLOR>(color), text, static_cast<DWORD>(flags)) : E_FAIL;
}

HRESULT Vel_DX8_TextOutChannel::DrawScaledText(float x, float y, unsigned long color, char* text, float scale) {
  CheckDeviceState();
  return ready_ ? font_->DrawTextScaled(x, y, scale, static_cast<D3DCOLOR>(color), text, FontTexture::kFiltered)
                : E_FAIL;
}

HRESULT Vel_DX8_TextOutChannel::DrawQuickText(float x, float y, char* text) {
  CheckDeviceState();
  return ready_ ? font_->DrawTextQuick(x, y, 0xFF000000u, text, 0) : E_FAIL;
}

void Vel_DX8_TextOutChannel::StartFontDraw() {
  CheckDeviceState();
  if (ready_) font_->BeginText();
}

void Vel_DX8_TextOutChannel::EndFontDraw() {
  CheckDeviceState();
  if (ready_) font_->EndText();
}

void Vel_DX8_TextOutChannel::SetFontName(char* name) {
  if (!name) return;
  std::string kept(name, strnlen(name, kMaxNameChars));
  const char* old = fontName_.GetString();
  if (old && kept == old) return;
  fontName_.SetString(kept.c_str());
  DropFont();
  buildFailed_ = false;
}

const char* Vel_DX8_TextOutChannel::GetFontName() { return fontName_.GetString(); }

bool Vel_DX8_TextOutChannel::SetFontSize(int size) {
  // Any size from 1 up is kept as it is (and saved so); the font caps only
  // the size its glyphs are rasterised at.
  if (size < kMinFontSize) return false;
  if (size == fontSize_) return true;
  fontSize_ = size;
  DropFont();
  buildFailed_ = false;
  return true;
}

int Vel_DX8_TextOutChannel::GetFontSize() { return fontSize_; }

void Vel_DX8_TextOutChannel::InvalidateDeviceObjects() {
  DropFont();
  buildFailed_ = false;
}

bool Vel_DX8_TextOutChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  const char* name = fontName_.GetString() ? fontName_.GetString() : "Noname";
  saver.SaveChunk("FNTN", name, static_cast<unsigned long>(std::strlen(name) + 1));
  saver.SaveChunk("FNTS", &fontSize_, sizeof fontSize_);
  return true;
}

bool Vel_DX8_TextOutChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  if (loader.GetInfoIfTag("FNTN")) {
    unsigned long size = 0;
    const char* data = vel::TakeBlock(loader, &size);
    // The name and its NUL, in at most 256 bytes.
    if (!data || size < 1 || size > static_cast<unsigned long>(kMaxNameChars) + 1 || strnlen(data, size) != size - 1)
      vel::ReportCorruptChunk(this, kCorrupt, "FNTN");
    else
      SetFontName(const_cast<char*>(data));
  }
  int32_t size = 0;
  if (vel::ReadRecordChunk(loader, "FNTS", &size, sizeof size, this, kCorrupt) && !SetFontSize(size))
    vel::ReportCorruptChunk(this, kCorrupt, "FNTS");
  return true;
}

void Vel_DX8_TextOutChannel::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kDeviceUseType, dependencies);
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_TextOutChannel; }
