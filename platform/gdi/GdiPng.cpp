// PNG snapshots of DCs and bitmaps, and PNG files read back as DIB sections,
// through libpng's simplified interface.
#include <png.h>

#include <cstring>
#include <vector>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/GdiTopDownBitmap.h"

namespace {

BOOL WriteSurface(const GdiSurface& s, const char* path) {
  if (!path) return FALSE_;
  std::vector<uint8_t> rgb(static_cast<size_t>(s.width) * s.height * 3);
  uint8_t* out = rgb.data();
  for (int32_t y = 0; y < s.height; ++y) {
    for (int32_t x = 0; x < s.width; ++x) {
      COLORREF c = s.ToColor(s.Get(x, y));
      *out++ = GetRValue(c);
      *out++ = GetGValue(c);
      *out++ = GetBValue(c);
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(s.width);
  image.height = static_cast<png_uint_32>(s.height);
  image.format = PNG_FORMAT_RGB;
  int ok = png_image_write_to_file(&image, path, 0, rgb.data(), s.width * 3, nullptr);
  png_image_free(&image);
  return ok ? TRUE_ : FALSE_;
}

}  // namespace

BOOL GdiWritePng(HDC handle, const char* path) {
  GdiDC* dc = GdiDcFromHandle(handle);
  std::shared_ptr<GdiSurface> s = dc ? GdiReadableSurface(*dc) : nullptr;
  return s ? WriteSurface(*s, path) : FALSE_;
}

BOOL GdiWriteBitmapPng(HBITMAP handle, const char* path) {
  GdiBitmap* b = GdiBitmapFromHandle(handle);
  return (b && b->surface) ? WriteSurface(*b->surface, path) : FALSE_;
}

HBITMAP GdiReadPng(const char* path) {
  if (!path) return nullptr;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path)) return nullptr;
  image.format = PNG_FORMAT_BGRA;
  // 16384 pixels a side at most, as windows have.
  if (image.width == 0 || image.height == 0 || image.width > 16384 || image.height > 16384) {
    png_image_free(&image);
    return nullptr;
  }
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return nullptr;
  }
  void* bits = nullptr;
  HBITMAP bitmap = CreateTopDownBitmap32(nullptr, static_cast<LONG>(image.width),
                                         static_cast<LONG>(image.height), &bits);
  if (bitmap) {
    uint8_t* out = static_cast<uint8_t*>(bits);
    for (size_t i = 0; i < pixels.size(); i += 4) {
      out[i] = pixels[i];
      out[i + 1] = pixels[i + 1];
      out[i + 2] = pixels[i + 2];
      out[i + 3] = 0;
    }
  }
  png_image_free(&image);
  return bitmap;
}
