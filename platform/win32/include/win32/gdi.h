// Text into memory bitmaps: memory device contexts, 32-bit DIB sections,
// TrueType fonts chosen by face name, and antialiased text output.
//
// A font is matched by face name to the nearest installed face: a Windows
// face that is not installed ("Arial", "Times New Roman", "Courier New", ...)
// becomes the installed face the font configuration offers in its place, or
// else one of the family its name or the pitch-and-family argument suggests
// (sans-serif, serif, monospace). Glyphs are drawn hinted and antialiased in
// 256 levels of coverage, blended from the background colour to the text
// colour. Device contexts draw at 96 pixels per inch in the MM_TEXT mapping
// only. All calls may come from any thread; one device context is used by
// one thread at a time.
#pragma once

#include "win32/types.h"

typedef DWORD COLORREF;
typedef SIZE* LPSIZE;

#define RGB(r, g, b) \
  (static_cast<COLORREF>(static_cast<BYTE>(r) | (static_cast<DWORD>(static_cast<BYTE>(g)) << 8) | \
                         (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(c) (static_cast<BYTE>((c) & 0xFF))
#define GetGValue(c) (static_cast<BYTE>(((c) >> 8) & 0xFF))
#define GetBValue(c) (static_cast<BYTE>(((c) >> 16) & 0xFF))
#define CLR_INVALID 0xFFFFFFFFu
#define GDI_ERROR 0xFFFFFFFFu

// GetDeviceCaps
#define LOGPIXELSX 88
#define LOGPIXELSY 90

// SetMapMode
#define MM_TEXT 1

// CreateFontA: weight
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900
// character set, precision (accepted and not used)
#define ANSI_CHARSET 0u
#define DEFAULT_CHARSET 1u
#define OUT_DEFAULT_PRECIS 0u
#define OUT_TT_PRECIS 4u
#define CLIP_DEFAULT_PRECIS 0u
// quality: NONANTIALIASED_QUALITY draws two-level glyphs, every other value
// antialiased ones
#define DEFAULT_QUALITY 0u
#define DRAFT_QUALITY 1u
#define PROOF_QUALITY 2u
#define NONANTIALIASED_QUALITY 3u
#define ANTIALIASED_QUALITY 4u
#define CLEARTYPE_QUALITY 5u
// pitch and family
#define DEFAULT_PITCH 0u
#define FIXED_PITCH 1u
#define VARIABLE_PITCH 2u
#define FF_DONTCARE 0x00u
#define FF_ROMAN 0x10u
#define FF_SWISS 0x20u
#define FF_MODERN 0x30u
#define FF_SCRIPT 0x40u
#define FF_DECORATIVE 0x50u

// SetTextAlign: one horizontal and one vertical choice.
#define TA_NOUPDATECP 0u
#define TA_LEFT 0u
#define TA_RIGHT 2u
#define TA_CENTER 6u
#define TA_TOP 0u
#define TA_BOTTOM 8u
#define TA_BASELINE 24u

// ExtTextOutA
#define ETO_OPAQUE 0x0002u
#define ETO_CLIPPED 0x0004u

// CreateDIBSection
#define BI_RGB 0u
#define DIB_RGB_COLORS 0u

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // negative: the first row in memory is the top one
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER must keep its 40-byte layout");

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};
static_assert(sizeof(RGBQUAD) == 4, "RGBQUAD must keep its 4-byte layout");

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

extern "C" {

// A memory device context. It starts with a 1 x 1 bitmap and a 16-pixel
// system font selected, black text on a white background, TA_TOP | TA_LEFT.
// The reference context is not used (NULL and any other are the same).
HDC CreateCompatibleDC(HDC reference);
// Deletes the context; the objects selected into it are released from it
// (and freed when they were deleted while selected).
BOOL DeleteDC(HDC dc);

// A bitmap whose pixels the caller reads and writes at *bits: 32 bits per
// pixel, BI_RGB (bytes blue, green, red, unused), rows of biWidth * 4 bytes,
// top row first when biHeight is negative, zeroed. Other formats, a missing
// header or a size beyond 2 GB give NULL with ERROR_INVALID_PARAMETER. The
// section and offset arguments are not used.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);

// Selects a bitmap or font into the context and returns the one it replaces;
// NULL when the context or object is not valid, or when the bitmap is
// selected into another context already.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Frees a bitmap or font. One still selected into a context is freed when it
// is released from its last context; its handle is not valid from now on.
BOOL DeleteObject(HGDIOBJ object);

// MM_TEXT only (one logical unit is one pixel, y grows downwards): returns
// the previous mode, 0 for any other mode.
int SetMapMode(HDC dc, int mode);
// LOGPIXELSX and LOGPIXELSY: 96. 0 for any other index.
int GetDeviceCaps(HDC dc, int index);

// A font of the named face (see the top of this file). height < 0: the em
// height in pixels is -height; height > 0: the cell height (ascent plus
// descent) is height; 0: a 16-pixel cell. weight FW_BOLD and heavier or
// italic TRUE choose the bold or italic face, drawn bold or slanted by the
// font engine when the face has no such style. width, escapement,
// orientation, underline, strike-out, character set and precisions are
// accepted and not used. NULL with ERROR_INVALID_PARAMETER when no face can
// be loaded at that size.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);

// Colours of the text and of the cell background behind it; return the
// previous colour (CLR_INVALID for an invalid context).
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF SetBkColor(HDC dc, COLORREF color);
// TA_LEFT / TA_CENTER / TA_RIGHT with TA_TOP / TA_BASELINE / TA_BOTTOM;
// returns the previous alignment (GDI_ERROR for an invalid context).
UINT SetTextAlign(HDC dc, UINT align);

// The size of a text in the selected font: cx the sum of the characters'
// advance widths (the font's advance widths scaled to the pixel size and
// rounded, without kerning), cy the cell height. Characters are
// Windows-1252.
BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size);

// Draws count characters at (x, y) in the selected bitmap, placed by the
// text alignment: with TA_TOP y is the top of the character cell, with
// TA_BASELINE the baseline, with TA_BOTTOM the bottom of the cell. The cell
// box of the text (its advance widths across, ascent plus descent down) is
// first filled with the background colour. ETO_OPAQUE also fills *rect with
// it, ETO_CLIPPED keeps all drawing inside *rect. dx, when given, holds the
// distance from each character's origin to the next one's, in place of the
// advance widths.
BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count, const INT* dx);

}
