// FontTexture: screen-space text on a Direct3D device. The printable ASCII
// characters (32..126) of one font are drawn once through GDI into an alpha
// atlas (A4R4G4B4, white with the glyph coverage as alpha); a string is then
// drawn as one textured quad per character of transformed vertices from a
// dynamic buffer of 300 vertices, flushed every 50 characters.
//
// The atlas is 256, 512 or 1024 texels square by font size, no wider than the
// device allows. When the glyph rows would run past the bottom of the atlas
// the glyphs are rasterised smaller until they fit; the text scale (1.0, or
// the shrink factor) makes them draw at their full size anyway.
#pragma once

#include <d3d8/d3d8.h>

class FontTexture {
 public:
  static constexpr int kFirstChar = 32;
  static constexpr int kLastChar = 126;
  static constexpr int kGlyphEntries = 96;  // 32..127; 127 stays empty
  static constexpr UINT kVertexCount = 300;
  static constexpr DWORD kVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
  // Flag of the draw calls: stage 0 filters linearly for this draw.
  static constexpr DWORD kFiltered = 4;
  // Flags of the constructor.
  static constexpr unsigned kBold = 1;
  static constexpr unsigned kItalic = 2;
  // The largest size in points the glyphs are rasterised at; a larger font
  // is drawn at its size from glyphs rasterised at this one.
  static constexpr unsigned kMaxRasterPoints = 500;

  struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float tu, tv;
  };
  static_assert(sizeof(Vertex) == 28, "a text vertex is 28 bytes");

  // Keeps at most 79 characters of the face name; a NULL name is empty.
  FontTexture(const char* faceName, unsigned height, unsigned flags);
  ~FontTexture();
  FontTexture(const FontTexture&) = delete;
  FontTexture& operator=(const FontTexture&) = delete;

  // Builds the glyph atlas on `device` (NULL: nothing, 0). Fails with the
  // device's result, or E_FAIL when no font of that face and size can be
  // made or the glyphs fit no atlas; the device is then not kept.
  HRESULT InitDeviceObjects(IDirect3DDevice8* device);
  // The vertex buffer and the two state blocks (saved and drawing states).
  HRESULT RestoreDeviceObjects();
  HRESULT InvalidateDeviceObjects();
  // Releases the atlas and forgets the device.
  HRESULT DeleteDeviceObjects();

  // Draws `text` with its top left at pixel (x, y); "\n" starts a new line at
  // x, other bytes below 32 and above 127 are skipped. E_FAIL without text,
  // device, buffer or state blocks.
  HRESULT DrawText(float x, float y, D3DCOLOR color, const char* text, DWORD flags);
  // The same with glyphs sized so that `linesPerScreen` lines fill the
  // viewport's height.
  HRESULT DrawTextScaled(float x, float y, float linesPerScreen, D3DCOLOR color, const char* text, DWORD flags);
  // DrawText without touching any state: between BeginText and EndText.
  HRESULT DrawTextQuick(float x, float y, D3DCOLOR color, const char* text, DWORD flags);
  void BeginText();
  void EndText();

  const char* GetFaceName() const { return faceName_; }
  unsigned GetHeight() const { return height_; }
  UINT GetTextureWidth() const { return texWidth_; }
  UINT GetTextureHeight() const { return texHeight_; }
  float GetTextScale() const { return textScale_; }
  // The glyph atlas (not referenced for the caller); null before it is built.
  IDirect3DTexture8* GetAtlas() const { return texture_; }
  // Glyph c's box in the atlas: tx1, ty1, tx2, ty2 (all 0 outside 32..127).
  const float* GetGlyph(int c) const;

 private:
  // Rasterises the glyphs into the atlas texture and fills the glyph table.
  HRESULT RasteriseGlyphs();
  // Appends the quads of `text`; glyphs are `scale` times their atlas size
  // and a line is `lineStep` pixels.
  HRESULT EmitText(float x, float y, D3DCOLOR color, const char* text, DWORD flags, float scale, float lineStep,
                   float z);
  void RecordDrawingStates();
  // The box of the space glyph in pixels of the atlas: the line height.
  float LineHeight() const;

  char faceName_[80];
  unsigned height_;
  unsigned flags_;
  IDirect3DDevice8* device_;
  IDirect3DTexture8* texture_;
  IDirect3DVertexBuffer8* vertexBuffer_;
  UINT texWidth_;
  UINT texHeight_;
  float textScale_;
  float glyphs_[kGlyphEntries][4];
  DWORD savedBlock_;
  DWORD drawingBlock_;
};
