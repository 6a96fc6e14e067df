// Memory device contexts, DIB sections and the selection and deletion of
// GDI objects.
#include <mutex>
#include <new>
#include <unordered_set>

#include "gdi_internal.h"
#include "win32/errors.h"

namespace win32plat {
namespace {

struct GdiTable {
  std::mutex mutex;
  std::unordered_set<Win32DC*> contexts;
  std::unordered_set<Win32GdiObject*> objects;
};

GdiTable& Table() {
  static GdiTable* table = new GdiTable;  // lives until the process ends
  return *table;
}

GdiBitmap* StockBitmap() {
  static GdiBitmap* bitmap = [] {
    auto* made = new GdiBitmap;
    made->stock = true;
    made->width = 1;
    made->height = 1;
    made->pixels.reset(new uint32_t[1]());
    RegisterGdiObject(made);
    return made;
  }();
  return bitmap;
}

GdiFont* StockFont() {
  static GdiFont* font = [] {
    auto* made = new GdiFont;
    made->stock = true;
    FontRequest request;
    request.height = 16;
    request.weight = FW_BOLD;
    made->face = FontFace::Open(request);
    RegisterGdiObject(made);
    return made;
  }();
  return font;
}

// Takes an object out of a context; frees it when it was deleted meanwhile
// and no other context holds it.
void Release(Win32GdiObject* object) {
  if (!object) return;
  bool free = false;
  {
    GdiTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    if (object->selections > 0) --object->selections;
    if (object->deleted && object->selections == 0) {
      table.objects.erase(object);
      free = true;
    }
  }
  if (free) delete object;
}

// Sets one of a context's settings and answers the one it replaces, or
// `invalid` for an invalid context.
template <class T>
T ExchangeSetting(HDC dc, T Win32DC::*setting, T value, T invalid) {
  Win32DC* record = LiveDC(dc);
  if (!record) return invalid;
  T previous = record->*setting;
  record->*setting = value;
  return previous;
}

}  // namespace

Win32DC* LiveDC(HDC dc) {
  GdiTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (!dc || !table.contexts.count(dc)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return dc;
}

HGDIOBJ RegisterGdiObject(Win32GdiObject* object) {
  GdiTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  table.objects.insert(object);
  return object;
}

GdiBitmap* SelectedBitmap(Win32DC* dc) {
  return static_cast<GdiBitmap*>(dc->bitmap ? dc->bitmap : StockBitmap());
}

GdiFont* SelectedFont(Win32DC* dc) { return static_cast<GdiFont*>(dc->font ? dc->font : StockFont()); }

}  // namespace win32plat

using namespace win32plat;

extern "C" {

HDC CreateCompatibleDC(HDC) {
  Win32DC* dc = new Win32DC;
  GdiTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  table.contexts.insert(dc);
  return dc;
}

BOOL DeleteDC(HDC dc) {
  {
    GdiTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    if (!dc || !table.contexts.erase(dc)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  Release(dc->bitmap);
  Release(dc->font);
  delete dc;
  return TRUE;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
  if (bits) *bits = nullptr;
  const BITMAPINFOHEADER* header = info ? &info->bmiHeader : nullptr;
  long long pixels = header ? static_cast<long long>(header->biWidth) * header->biHeight : 0;
  if (pixels < 0) pixels = -pixels;
  if (!header || header->biSize < sizeof(BITMAPINFOHEADER) || header->biWidth <= 0 || header->biHeight == 0 ||
      header->biPlanes != 1 || header->biBitCount != 32 || header->biCompression != BI_RGB ||
      usage != DIB_RGB_COLORS || pixels > (1ll << 29)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* bitmap = new GdiBitmap;
  bitmap->width = header->biWidth;
  bitmap->height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  bitmap->topDown = header->biHeight < 0;
  bitmap->pixels.reset(new (std::nothrow) uint32_t[static_cast<size_t>(pixels)]());
  if (!bitmap->pixels) {
    delete bitmap;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (bits) *bits = bitmap->pixels.get();
  return RegisterGdiObject(bitmap);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  Win32DC* record = LiveDC(dc);
  if (!record) return nullptr;
  GdiTable& table = Table();
  Win32GdiObject* previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    if (!object || !table.objects.count(object) || object->deleted) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    bool bitmap = object->kind == Win32GdiObject::Kind::Bitmap;
    Win32GdiObject*& slot = bitmap ? record->bitmap : record->font;
    if (slot == object) return object;
    // A bitmap belongs to one context at a time.
    if (bitmap && !object->stock && object->selections > 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    previous = slot;
    ++object->selections;
    slot = object;
  }
  HGDIOBJ answer = previous;
  if (!answer) answer = object->kind == Win32GdiObject::Kind::Bitmap ? static_cast<HGDIOBJ>(StockBitmap()) : StockFont();
  Release(previous);
  return answer;
}

BOOL DeleteObject(HGDIOBJ object) {
  {
    GdiTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    if (!object || !table.objects.count(object) || object->deleted) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (object->stock) return TRUE;
    object->deleted = true;
    if (object->selections > 0) return TRUE;
    table.objects.erase(object);
  }
  delete object;
  return TRUE;
}

int SetMapMode(HDC dc, int mode) {
  if (!LiveDC(dc)) return 0;
  if (mode != MM_TEXT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return MM_TEXT;
}

int GetDeviceCaps(HDC dc, int index) {
  if (!LiveDC(dc)) return 0;
  return index == LOGPIXELSX || index == LOGPIXELSY ? 96 : 0;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  return ExchangeSetting(dc, &Win32DC::text, color & 0x00FFFFFFu, CLR_INVALID);
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  return ExchangeSetting(dc, &Win32DC::background, color & 0x00FFFFFFu, CLR_INVALID);
}

UINT SetTextAlign(HDC dc, UINT align) { return ExchangeSetting(dc, &Win32DC::align, align, GDI_ERROR); }

}
