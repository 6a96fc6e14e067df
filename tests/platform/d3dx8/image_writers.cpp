// Test image writers (libpng and libjpeg for PNG and JPEG, by hand for the
// others).
#include "image_writers.h"

#include <cstdio>

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <stdexcept>

namespace testimages {

void Put16(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}

void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

namespace {

uint8_t A(uint32_t c) { return uint8_t(c >> 24); }
uint8_t R(uint32_t c) { return uint8_t(c >> 16); }
uint8_t G(uint32_t c) { return uint8_t(c >> 8); }
uint8_t B(uint32_t c) { return uint8_t(c); }

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void PngFlush(png_structp) {}

}  // namespace

Bytes WritePng(unsigned width, unsigned height, const Texels& texels, PngKind kind, bool interlaced) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png write failed");
  }
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  const int colorType = kind == PngKind::kRgba    ? PNG_COLOR_TYPE_RGBA
                        : kind == PngKind::kRgb   ? PNG_COLOR_TYPE_RGB
                        : kind == PngKind::kGrey  ? PNG_COLOR_TYPE_GRAY
                                                  : PNG_COLOR_TYPE_PALETTE;
  png_set_IHDR(png, info, width, height, 8, colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  Texels palette;
  std::vector<png_color> plte;
  std::vector<png_byte> trns;
  if (kind == PngKind::kPalette) {
    for (uint32_t t : texels)
      if (std::find(palette.begin(), palette.end(), t) == palette.end()) palette.push_back(t);
    for (uint32_t c : palette) {
      plte.push_back(png_color{R(c), G(c), B(c)});
      trns.push_back(A(c));
    }
    png_set_PLTE(png, info, plte.data(), int(plte.size()));
    png_set_tRNS(png, info, trns.data(), int(trns.size()), nullptr);
  }
  png_write_info(png, info);
  const int channels = kind == PngKind::kRgba ? 4 : kind == PngKind::kRgb ? 3 : 1;
  std::vector<Bytes> rows(height, Bytes(size_t(width) * channels));
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      const uint32_t c = texels[y * width + x];
      uint8_t* p = rows[y].data() + size_t(x) * channels;
      switch (kind) {
        case PngKind::kRgba: p[0] = R(c); p[1] = G(c); p[2] = B(c); p[3] = A(c); break;
        case PngKind::kRgb: p[0] = R(c); p[1] = G(c); p[2] = B(c); break;
        case PngKind::kGrey: p[0] = R(c); break;
        case PngKind::kPalette:
          p[0] = uint8_t(std::find(palette.begin(), palette.end(), c) - palette.begin());
          break;
      }
    }
  }
  std::vector<png_bytep> pointers;
  for (auto& r : rows) pointers.push_back(r.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes WriteJpeg(unsigned width, unsigned height, const Texels& texels, int quality, bool grey) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  Bytes row(size_t(width) * 3);
  while (cinfo.next_scanline < height) {
    for (unsigned x = 0; x < width; ++x) {
      const uint32_t c = texels[cinfo.next_scanline * width + x];
      if (grey) {
        row[x] = R(c);
      } else {
        row[3 * x] = R(c);
        row[3 * x + 1] = G(c);
        row[3 * x + 2] = B(c);
      }
    }
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&cinfo, &pointer, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  free(buffer);
  return out;
}

namespace {

Bytes BmpHeaders(unsigned width, unsigned height, int bits, bool topDown, uint32_t paletteEntries,
                 uint32_t pixelBytes) {
  Bytes b;
  const uint32_t offset = 14 + 40 + paletteEntries * 4;
  b.push_back('B');
  b.push_back('M');
  Put32(b, offset + pixelBytes);
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 40);
  Put32(b, width);
  Put32(b, topDown ? uint32_t(-int32_t(height)) : height);
  Put16(b, 1);
  Put16(b, uint32_t(bits));
  Put32(b, 0);  // uncompressed
  Put32(b, pixelBytes);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, paletteEntries);
  Put32(b, 0);
  return b;
}

}  // namespace

Bytes WriteBmp(unsigned width, unsigned height, const Texels& texels, int bits, bool topDown) {
  const uint32_t stride = ((width * bits + 31) / 32) * 4;
  Bytes b = BmpHeaders(width, height, bits, topDown, 0, stride * height);
  for (unsigned row = 0; row < height; ++row) {
    const unsigned y = topDown ? row : height - 1 - row;
    const size_t start = b.size();
    for (unsigned x = 0; x < width; ++x) {
      const uint32_t c = texels[y * width + x];
      b.push_back(B(c));
      b.push_back(G(c));
      b.push_back(R(c));
      if (bits == 32) b.push_back(A(c));
    }
    while (b.size() - start < stride) b.push_back(0);
  }
  return b;
}

Bytes WriteBmpPalettised(unsigned width, unsigned height, const std::vector<uint8_t>& indices,
                         const Texels& palette, int bits) {
  const uint32_t stride = ((width * bits + 31) / 32) * 4;
  Bytes b = BmpHeaders(width, height, bits, false, uint32_t(palette.size()), stride * height);
  for (uint32_t c : palette) {
    b.push_back(B(c));
    b.push_back(G(c));
    b.push_back(R(c));
    b.push_back(0);
  }
  for (unsigned row = 0; row < height; ++row) {
    const unsigned y = height - 1 - row;
    Bytes line(stride, 0);
    for (unsigned x = 0; x < width; ++x) {
      const uint8_t index = indices[y * width + x];
      const unsigned bit = x * bits;
      line[bit / 8] |= uint8_t(index << (8 - bits - bit % 8));
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

Bytes WriteTga(unsigned width, unsigned height, const Texels& texels, int bits, bool rle, bool topDown) {
  Bytes b = {0, 0, uint8_t(rle ? 10 : 2), 0, 0, 0, 0, 0};
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, width);
  Put16(b, height);
  b.push_back(uint8_t(bits));
  b.push_back(uint8_t((bits == 32 ? 8 : 0) | (topDown ? 0x20 : 0)));
  auto pixel = [&](uint32_t c) {
    b.push_back(B(c));
    b.push_back(G(c));
    b.push_back(R(c));
    if (bits == 32) b.push_back(A(c));
  };
  Texels ordered;
  for (unsigned row = 0; row < height; ++row) {
    const unsigned y = topDown ? row : height - 1 - row;
    for (unsigned x = 0; x < width; ++x) ordered.push_back(texels[y * width + x]);
  }
  if (!rle) {
    for (uint32_t c : ordered) pixel(c);
    return b;
  }
  // Runs of equal texels as run packets, everything else as raw packets.
  size_t i = 0;
  while (i < ordered.size()) {
    size_t run = 1;
    while (i + run < ordered.size() && run < 128 && ordered[i + run] == ordered[i]) ++run;
    if (run > 1) {
      b.push_back(uint8_t(0x80 | (run - 1)));
      pixel(ordered[i]);
      i += run;
      continue;
    }
    size_t raw = 1;
    while (i + raw < ordered.size() && raw < 128 &&
           (i + raw + 1 >= ordered.size() || ordered[i + raw] != ordered[i + raw + 1]))
      ++raw;
    b.push_back(uint8_t(raw - 1));
    for (size_t k = 0; k < raw; ++k) pixel(ordered[i + k]);
    i += raw;
  }
  return b;
}

namespace {

Bytes DdsHeader(unsigned width, unsigned height, uint32_t pfFlags, uint32_t fourCc, uint32_t bits,
                const uint32_t masks[4], unsigned mipCount, uint32_t caps2 = 0) {
  Bytes b = {'D', 'D', 'S', ' '};
  Put32(b, 124);
  Put32(b, 0x1 | 0x2 | 0x4 | 0x1000 | (mipCount ? 0x20000u : 0u));
  Put32(b, height);
  Put32(b, width);
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, mipCount);
  for (int i = 0; i < 11; ++i) Put32(b, 0);
  Put32(b, 32);
  Put32(b, pfFlags);
  Put32(b, fourCc);
  Put32(b, bits);
  for (int i = 0; i < 4; ++i) Put32(b, masks[i]);
  Put32(b, 0x1000);
  Put32(b, caps2);
  for (int i = 0; i < 3; ++i) Put32(b, 0);
  return b;
}

}  // namespace

Bytes WriteDdsArgb(unsigned width, unsigned height, const Texels& texels, unsigned mipCount) {
  const uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  Bytes b = DdsHeader(width, height, 0x40 | 0x1, 0, 32, masks, mipCount);
  for (uint32_t c : texels) Put32(b, c);
  return b;
}

Bytes WriteDdsCubeArgb(unsigned edge, const std::vector<Texels>& faces, unsigned mipCount) {
  const uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  uint32_t caps2 = 0x200;
  for (unsigned f = 0; f < 6; ++f)
    if (!faces[f].empty()) caps2 |= 0x400u << f;
  Bytes b = DdsHeader(edge, edge, 0x40 | 0x1, 0, 32, masks, mipCount, caps2);
  for (unsigned f = 0; f < 6; ++f) {
    if (faces[f].empty()) continue;
    for (uint32_t c : faces[f]) Put32(b, c);
    // Lower levels hold texels of a colour the top levels never use.
    for (unsigned level = 1, size = edge / 2; level < mipCount; ++level, size = size > 1 ? size / 2 : 1)
      for (unsigned i = 0; i < size * size; ++i) Put32(b, 0xFF123456);
  }
  return b;
}

Bytes WriteDdsBlocks(unsigned width, unsigned height, const char fourCc[4], const Bytes& blocks) {
  const uint32_t masks[4] = {0, 0, 0, 0};
  const uint32_t code = uint32_t(uint8_t(fourCc[0])) | (uint32_t(uint8_t(fourCc[1])) << 8) |
                        (uint32_t(uint8_t(fourCc[2])) << 16) | (uint32_t(uint8_t(fourCc[3])) << 24);
  Bytes b = DdsHeader(width, height, 0x4, code, 0, masks, 0);
  b.insert(b.end(), blocks.begin(), blocks.end());
  return b;
}

}  // namespace testimages
