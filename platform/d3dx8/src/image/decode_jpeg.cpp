// JPEG files through libjpeg, read from memory and converted to ARGB.
#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>

#include "image_decoder.h"

namespace d3dx8 {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  jmp_buf jump;
};

void OnFatal(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  longjmp(err->jump, 1);
}

// Warnings are silent, except that data ending before the image is complete
// counts as an error: libjpeg would otherwise pad the rest with grey.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) OnFatal(cinfo);
}

void OnOutput(j_common_ptr) {}

// Converts one decoded scanline (grey, RGB or CMYK samples) to ARGB.
void StoreRow(const JSAMPLE* samples, int components, bool invertedCmyk, UINT width, uint32_t* row) {
  for (UINT x = 0; x < width; ++x) {
    const JSAMPLE* s = samples + size_t(x) * components;
    uint32_t r, g, b;
    if (components == 1) {
      r = g = b = s[0];
    } else if (components == 3) {
      r = s[0];
      g = s[1];
      b = s[2];
    } else {
      // CMYK; files written by some tools store the inks inverted.
      uint32_t c = s[0], m = s[1], y = s[2], k = s[3];
      if (!invertedCmyk) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
      }
      r = (c * k + 127) / 255;
      g = (m * k + 127) / 255;
      b = (y * k + 127) / 255;
    }
    row[x] = PackArgb(0xFF, r, g, b);
  }
}

struct JpegJob {
  DecodedImage* out;
  std::vector<JSAMPLE> scanline;
  HRESULT result;
};

bool RunDecoder(jpeg_decompress_struct* cinfo, ErrorManager* err, const uint8_t* data, size_t size,
                JpegJob* job) {
  if (setjmp(err->jump)) return false;

  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;
  if (!ImageSizeAcceptable(cinfo->image_width, cinfo->image_height)) return false;

  DecodedImage* out = job->out;
  bool invertedCmyk = false;
  switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
      cinfo->out_color_space = JCS_GRAYSCALE;
      out->info.Format = D3DFMT_L8;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo->out_color_space = JCS_CMYK;
      invertedCmyk = cinfo->saw_Adobe_marker != 0;
      out->info.Format = D3DFMT_R8G8B8;
      break;
    default:
      cinfo->out_color_space = JCS_RGB;
      out->info.Format = D3DFMT_R8G8B8;
      break;
  }
  jpeg_start_decompress(cinfo);
  const int components = cinfo->output_components;
  if (components != 1 && components != 3 && components != 4) return false;
  const UINT width = cinfo->output_width;
  const UINT height = cinfo->output_height;
  if (!ImageSizeAcceptable(width, height)) return false;

  if (!AllocateImage(out, width, height)) {
    job->result = E_OUTOFMEMORY;
    return false;
  }
  try {
    job->scanline.resize(size_t(width) * components);
  } catch (const std::bad_alloc&) {
    job->result = E_OUTOFMEMORY;
    return false;
  }
  while (cinfo->output_scanline < height) {
    const UINT y = cinfo->output_scanline;
    JSAMPROW rowPointer = job->scanline.data();
    if (jpeg_read_scanlines(cinfo, &rowPointer, 1) != 1) return false;
    StoreRow(job->scanline.data(), components, invertedCmyk, width, out->image.Row(y));
  }
  jpeg_finish_decompress(cinfo);
  out->info.Width = width;
  out->info.Height = height;
  return true;
}

}  // namespace

HRESULT DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* out) {
  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = OnFatal;
  err.base.emit_message = OnMessage;
  err.base.output_message = OnOutput;

  JpegJob job{out, {}, D3DXERR_INVALIDDATA};
  const bool ok = RunDecoder(&cinfo, &err, data, size, &job);
  jpeg_destroy_decompress(&cinfo);
  if (!ok) return job.result;

  out->hasAlpha = false;
  out->info.Depth = 1;
  out->info.MipLevels = 1;
  out->info.ResourceType = D3DRTYPE_TEXTURE;
  out->info.ImageFileFormat = D3DXIFF_JPG;
  return D3D_OK;
}

}  // namespace d3dx8
