// One TrueType face at one pixel size, found through the font configuration
// and drawn by FreeType: the metrics and glyph images the text calls of the
// device contexts need.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "win32/types.h"

struct FT_FaceRec_;

namespace win32plat {

// What CreateFontA asks for.
struct FontRequest {
  int height = 0;
  int weight = 0;
  bool italic = false;
  bool antialiased = true;
  DWORD pitchAndFamily = 0;
  std::string faceName;
};

// A glyph's coverage (0 to 255 a pixel, rows of `width` bytes from the top),
// its top-left corner at (left, top) from the pen position on the baseline,
// y growing downwards.
struct GlyphImage {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<BYTE> coverage;
};

class FontFace {
 public:
  // The face nearest to the request at the size it asks for; NULL when no
  // face can be loaded at that size.
  static std::unique_ptr<FontFace> Open(const FontRequest& request);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  // Rows above and below the baseline; their sum is the cell height.
  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }
  int Height() const { return ascent_ + descent_; }
  // The advance width of a Windows-1252 character in pixels.
  int Advance(unsigned char c);
  // The image of a Windows-1252 character; false when the font engine fails.
  bool Glyph(unsigned char c, GlyphImage* image);

 private:
  FontFace() = default;
  // Sizes the loaded face for the request; called with the engine lock held.
  bool Configure(const FontRequest& request);
  unsigned GlyphIndex(unsigned char c) const;

  FT_FaceRec_* face_ = nullptr;
  int ppem_ = 0;
  int ascent_ = 0;
  int descent_ = 0;
  bool antialiased_ = true;
  bool emboldened_ = false;
  bool slanted_ = false;
  int advances_[256];
};

}  // namespace win32plat
