// Vel_DX8_TextOutChannel ("DX8 Textout"): each frame it is called it draws the
// string of its "Text" child at the pixel position of its "Pos" child (x, y;
// z unused) in the colour of its "Color" child (red, green, blue in 0..1;
// opaque black without one), in a font given by face name and point size.
// Other code can draw through its operations too. The glyphs come from a
// FontTexture built at the first draw, dropped when the device is reset and
// rebuilt when the font changes.
//
// Record, after the channel record: "FNTN" the face name with its NUL (at
// most 256 bytes), "FNTS" the point size (int32). Both optional.
#pragma once

#include "deviceuse/vel_dx8_d3d_device_use.h"
#include "orn_string.h"

#include <d3d8/d3d8.h>

#include <cstdint>
#include <memory>

class FontTexture;

class Vel_DX8_TextOutChannel : public Vel_DX8_D3DDeviceUse {
 public:
  enum Slot { kPosSlot = 0, kTextSlot, kColorSlot, kSlotCount };
  // Point sizes below kMinFontSize are refused.
  static constexpr int kMinFontSize = 1;
  // The longest face name kept: a record's name block is at most 256 bytes.
  static constexpr int kMaxNameChars = 255;

  Vel_DX8_TextOutChannel();
  ~Vel_DX8_TextOutChannel() override;
  // The channel owns its font: it is not copied.
  Vel_DX8_TextOutChannel(const Vel_DX8_TextOutChannel&) = delete;
  Vel_DX8_TextOutChannel& operator=(const Vel_DX8_TextOutChannel&) = delete;

  void CallChannel() override;
  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void DoDependencyInit(Orn_List* dependencies) override;
  // Drops the font; the next draw builds it again.
  void InvalidateDeviceObjects() override;

  // Builds the font when it is not ready and a device is there.
  virtual void CheckDeviceState();
  // The draws answer E_FAIL when there is no font (no device, or the font
  // could not be built) or no text.
  virtual HRESULT DrawTextA(float x, float y, char* text);
  virtual HRESULT DrawTextA(float x, float y, unsigned long color, char* text, unsigned long flags);
  // Glyphs sized so that `scale` lines fill the viewport's height, filtered.
  virtual HRESULT DrawScaledText(float x, float y, unsigned long color, char* text, float scale);
  // Between StartFontDraw and EndFontDraw: no state is set per string.
  virtual HRESULT DrawQuickText(float x, float y, char* text);
  virtual void StartFontDraw();
  virtual void EndFontDraw();
  // A new name (compared with case) or size drops the font; the next draw
  // builds the new one. NULL names are ignored, longer ones than
  // kMaxNameChars cut; sizes below 1 are refused (false).
  virtual void SetFontName(char* name);
  virtual const char* GetFontName();
  virtual bool SetFontSize(int size);
  virtual int GetFontSize();

  // The font while it is built, else null.
  FontTexture* GetFont() { return ready_ ? font_.get() : nullptr; }

 protected:
  void DropFont();

  std::unique_ptr<FontTexture> font_;
  bool ready_;
  // The last build failed on a working device: not tried again until the
  // font or the device changes.
  bool buildFailed_;
  float position_[3];
  Orn_String text_;
  Orn_String fontName_;
  int32_t fontSize_;
};
