// Face matching through fontconfig and glyphs through FreeType. One FreeType
// library serves the process; every call into it holds one lock, since
// neither the library nor a face may be used by two threads at once.
#include "font_face.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <cstring>
#include <mutex>

#include "win32/gdi.h"

namespace win32plat {
namespace {

std::mutex& EngineLock() {
  static std::mutex* lock = new std::mutex;  // lives until the process ends
  return *lock;
}

// Called with the lock held; NULL when FreeType cannot start.
FT_Library Library() {
  static FT_Library library = nullptr;
  static bool tried = false;
  if (!tried) {
    tried = true;
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  return library;
}

// The generic family of well-known faces, for machines that have neither
// them nor a configured replacement.
const char* GenericOfName(const std::string& name) {
  static const char* const kMonospace[] = {"courier new", "courier", "lucida console", "consolas",
                                           "fixedsys", "terminal", "lucida sans typewriter"};
  static const char* const kSerif[] = {"times new roman", "times", "georgia", "garamond", "book antiqua",
                                       "palatino linotype", "cambria", "century schoolbook"};
  std::string lower = name;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (const char* face : kMonospace)
    if (lower == face) return "monospace";
  for (const char* face : kSerif)
    if (lower == face) return "serif";
  return nullptr;
}

const char* GenericOfPitchAndFamily(DWORD pitchAndFamily) {
  switch (pitchAndFamily & 0xF0u) {
    case FF_ROMAN: return "serif";
    case FF_MODERN: return "monospace";
    case FF_SCRIPT: return "cursive";
    case FF_DECORATIVE: return "fantasy";
    case FF_SWISS: return "sans-serif";
    default: break;
  }
  return (pitchAndFamily & 0x3u) == FIXED_PITCH ? "monospace" : "sans-serif";
}

// The file and face index fontconfig chooses for a request; false when it
// offers none.
bool MatchFace(const FontRequest& request, std::string* file, int* index) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  const char* generic = GenericOfName(request.faceName);
  if (!generic) generic = GenericOfPitchAndFamily(request.pitchAndFamily);
  if (!request.faceName.empty())
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.faceName.c_str()));
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(generic));
  int weight = request.weight <= 0 ? FW_NORMAL : (request.weight > 1000 ? 1000 : request.weight);
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* path = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
  if (found) {
    *file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
  }
  FcPatternDestroy(match);
  return found;
}

// Windows-1252 where it differs from Latin-1; 0 marks the unassigned codes,
// which keep their own value.
const uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

unsigned CodePoint(unsigned char c) {
  if (c >= 0x80 && c < 0xA0 && kHighControls[c - 0x80]) return kHighControls[c - 0x80];
  return c;
}

long Round(long long numerator, long long denominator) {
  return static_cast<long>((numerator + denominator / 2) / denominator);
}

}  // namespace

std::unique_ptr<FontFace> FontFace::Open(const FontRequest& request) {
  std::lock_guard<std::mutex> lock(EngineLock());
  FT_Library library = Library();
  std::string file;
  int index = 0;
  if (!library || !MatchFace(request, &file, &index)) return nullptr;
  std::unique_ptr<FontFace> font(new FontFace);
  if (FT_New_Face(library, file.c_str(), index, &font->face_) != 0) {
    font->face_ = nullptr;
    return nullptr;
  }
  if (!font->Configure(request)) {
    FT_Done_Face(font->face_);
    font->face_ = nullptr;
    return nullptr;
  }
  return font;
}

bool FontFace::Configure(const FontRequest& request) {
  FT_Face face = face_;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return false;
  // The cell is the font's Windows ascent and descent when it has them.
  long up = face->ascender;
  long down = -face->descender;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    up = os2->usWinAscent;
    down = os2->usWinDescent;
  }
  if (up + down <= 0) return false;
  const long em = face->units_per_EM;
  int height = request.height == 0 ? 16 : request.height;
  if (height < 0) {
    ppem_ = -height;
    ascent_ = static_cast<int>(Round(up * ppem_, em));
    descent_ = static_cast<int>(Round(down * ppem_, em));
  } else {
    ppem_ = static_cast<int>(Round(static_cast<long long>(height) * em, up + down));
    ascent_ = static_cast<int>(Round(static_cast<long long>(height) * up, up + down));
    descent_ = height - ascent_;
  }
  if (ppem_ < 1 || ppem_ > 0xFFFF || FT_Set_Pixel_Sizes(face, 0, ppem_) != 0) return false;
  antialiased_ = request.antialiased;
  int faceWeight = os2 ? os2->usWeightClass : ((face->style_flags & FT_STYLE_FLAG_BOLD) ? FW_BOLD : FW_NORMAL);
  emboldened_ = request.weight >= FW_SEMIBOLD && faceWeight < FW_SEMIBOLD;
  slanted_ = request.italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
  for (int& advance : advances_) advance = -1;
  return true;
}

FontFace::~FontFace() {
  if (!face_) return;
  std::lock_guard<std::mutex> lock(EngineLock());
  FT_Done_Face(face_);
}

unsigned FontFace::GlyphIndex(unsigned char c) const { return FT_Get_Char_Index(face_, CodePoint(c)); }

int FontFace::Advance(unsigned char c) {
  std::lock_guard<std::mutex> lock(EngineLock());
  int& advance = advances_[c];
  if (advance < 0) {
    FT_Fixed units = 0;
    if (FT_Get_Advance(face_, GlyphIndex(c), FT_LOAD_NO_SCALE, &units) != 0) units = 0;
    advance = static_cast<int>(Round(static_cast<long long>(units) * ppem_, face_->units_per_EM));
    // A drawn-bold glyph is one pixel wider.
    if (emboldened_) advance += 1;
  }
  return advance;
}

bool FontFace::Glyph(unsigned char c, GlyphImage* image) {
  std::lock_guard<std::mutex> lock(EngineLock());
  *image = GlyphImage();
  FT_Int32 flags = FT_LOAD_NO_BITMAP | (antialiased_ ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
  if (FT_Load_Glyph(face_, GlyphIndex(c), flags) != 0) return false;
  FT_GlyphSlot slot = face_->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    if (emboldened_) FT_Outline_Embolden(&slot->outline, 64);
    if (slanted_) {
      // About 12 degrees, leaning right.
      FT_Matrix shear = {0x10000, 0x0366A, 0, 0x10000};
      FT_Outline_Transform(&slot->outline, &shear);
    }
  }
  if (FT_Render_Glyph(slot, antialiased_ ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return false;
  const FT_Bitmap& bitmap = slot->bitmap;
  image->left = slot->bitmap_left;
  image->top = -slot->bitmap_top;
  image->width = static_cast<int>(bitmap.width);
  image->height = static_cast<int>(bitmap.rows);
  image->coverage.assign(static_cast<size_t>(image->width) * image->height, 0);
  for (int row = 0; row < image->height; ++row) {
    const unsigned char* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
    BYTE* target = image->coverage.data() + static_cast<size_t>(row) * image->width;
    for (int column = 0; column < image->width; ++column) {
      if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
        target[column] = (source[column >> 3] & (0x80 >> (column & 7))) ? 255 : 0;
      else
        target[column] = source[column];
    }
  }
  return true;
}

}  // namespace win32plat
