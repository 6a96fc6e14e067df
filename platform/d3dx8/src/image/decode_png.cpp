// PNG files through libpng, read from memory and converted to ARGB.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "image_decoder.h"

namespace d3dx8 {
namespace {

struct PngSource {
  const uint8_t* data;
  size_t size;
  size_t offset;
};

// State kept outside the function that calls setjmp, so that nothing with a
// destructor lives in a frame that longjmp unwinds.
struct PngJob {
  DecodedImage* out;
  HRESULT result;
};

void ReadFromMemory(png_structp png, png_bytep target, png_size_t length) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (length > src->size - src->offset) png_error(png, "truncated");
  std::memcpy(target, src->data + src->offset, length);
  src->offset += length;
}

void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// Runs libpng; returns false after any libpng error.
bool RunDecoder(png_structp png, png_infop info, PngJob* job) {
  if (setjmp(png_jmpbuf(png))) return false;

  png_set_user_limits(png, kMaxImageDimension, kMaxImageDimension);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
  if (!ImageSizeAcceptable(width, height)) {
    job->result = D3DXERR_INVALIDDATA;
    return false;
  }

  DecodedImage* out = job->out;
  const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  out->hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || transparency;
  switch (colorType) {
    case PNG_COLOR_TYPE_PALETTE: out->info.Format = D3DFMT_P8; break;
    case PNG_COLOR_TYPE_GRAY: out->info.Format = transparency ? D3DFMT_A8L8 : D3DFMT_L8; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: out->info.Format = D3DFMT_A8L8; break;
    case PNG_COLOR_TYPE_RGB: out->info.Format = transparency ? D3DFMT_A8R8G8B8 : D3DFMT_R8G8B8; break;
    default: out->info.Format = D3DFMT_A8R8G8B8; break;
  }

  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp colors = nullptr;
    int count = 0;
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    png_color_16p unused = nullptr;
    if (png_get_PLTE(png, info, &colors, &count) && count > 0) {
      if (transparency) png_get_tRNS(png, info, &alphas, &alphaCount, &unused);
      out->palette.assign(256, PALETTEENTRY{0, 0, 0, 0xFF});
      for (int i = 0; i < count && i < 256; ++i) {
        BYTE alpha = (alphas && i < alphaCount) ? alphas[i] : 0xFF;
        out->palette[i] = PALETTEENTRY{colors[i].red, colors[i].green, colors[i].blue, alpha};
      }
    }
    png_set_palette_to_rgb(png);
  }
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (transparency) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_strip_16(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!out->hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != png_size_t(width) * 4) {
    job->result = D3DXERR_INVALIDDATA;
    return false;
  }

  if (!AllocateImage(out, width, height)) {
    job->result = E_OUTOFMEMORY;
    return false;
  }
  // Interlaced images come in several passes over the same rows.
  for (int pass = 0; pass < passes; ++pass)
    for (png_uint_32 y = 0; y < height; ++y)
      png_read_row(png, reinterpret_cast<png_bytep>(out->image.Row(y)), nullptr);

  out->info.Width = width;
  out->info.Height = height;
  return true;
}

}  // namespace

HRESULT DecodePng(const uint8_t* data, size_t size, DecodedImage* out) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!png) return E_OUTOFMEMORY;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return E_OUTOFMEMORY;
  }
  PngSource source{data, size, 0};
  png_set_read_fn(png, &source, ReadFromMemory);

  PngJob job{out, D3DXERR_INVALIDDATA};
  const bool ok = RunDecoder(png, info, &job);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok) return job.result;

  out->info.Depth = 1;
  out->info.MipLevels = 1;
  out->info.ResourceType = D3DRTYPE_TEXTURE;
  out->info.ImageFileFormat = D3DXIFF_PNG;
  return D3D_OK;
}

}  // namespace d3dx8
