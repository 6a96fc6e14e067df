// The records behind device-context and GDI object handles, shared by the
// object calls and the text calls.
#pragma once

#include <cstdint>
#include <memory>

#include "font_face.h"
#include "win32/gdi.h"

struct Win32GdiObject {
  enum class Kind { Bitmap, Font };
  explicit Win32GdiObject(Kind kind) : kind(kind) {}
  virtual ~Win32GdiObject() = default;
  Win32GdiObject(const Win32GdiObject&) = delete;
  Win32GdiObject& operator=(const Win32GdiObject&) = delete;

  const Kind kind;
  bool stock = false;    // one of a context's initial objects: never freed
  int selections = 0;    // contexts it is selected into
  bool deleted = false;  // deleted while selected: freed when released
};

struct Win32DC {
  Win32GdiObject* bitmap = nullptr;
  Win32GdiObject* font = nullptr;
  COLORREF text = RGB(0, 0, 0);
  COLORREF background = RGB(255, 255, 255);
  UINT align = TA_TOP | TA_LEFT;
};

namespace win32plat {

struct GdiBitmap : Win32GdiObject {
  GdiBitmap() : Win32GdiObject(Kind::Bitmap) {}
  int width = 0;
  int height = 0;
  bool topDown = true;
  std::unique_ptr<uint32_t[]> pixels;  // 0x00RRGGBB, as the caller sees them

  // Row y counted from the top of the picture.
  uint32_t* Row(int y) { return pixels.get() + static_cast<size_t>(topDown ? y : height - 1 - y) * width; }
};

struct GdiFont : Win32GdiObject {
  GdiFont() : Win32GdiObject(Kind::Font) {}
  std::unique_ptr<FontFace> face;
};

// The record of a live context; NULL with ERROR_INVALID_HANDLE otherwise.
Win32DC* LiveDC(HDC dc);
// Enters a new object into the table of live objects and returns its handle.
HGDIOBJ RegisterGdiObject(Win32GdiObject* object);
// What a context has selected (its initial objects until others are).
GdiBitmap* SelectedBitmap(Win32DC* dc);
GdiFont* SelectedFont(Win32DC* dc);

}  // namespace win32plat
