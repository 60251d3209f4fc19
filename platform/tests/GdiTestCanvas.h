// Test support for the GDI stand-in: a memory DC over a 32-bit top-down DIB
// section, filled white (or a given colour), with the questions the drawing,
// blit and metafile tests ask of its pixels.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/gdi/WinGdi.h"

class Canvas {
 public:
  Canvas(int width, int height, uint32_t fill = 0xFFFFFF) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    old_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < width * height; ++i) bits_[i] = fill;
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  uint32_t* bits() const { return bits_; }
  size_t Bytes() const { return size_t(width_) * height_ * 4; }
  // The whole 32-bit pixel, fourth byte included.
  uint32_t& Px(int x, int y) { return bits_[y * width_ + x]; }
  // 0xRRGGBB of a pixel.
  uint32_t At(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFF; }

  // Rows of '.' (white) and '#' (anything else).
  std::string Picture() const {
    std::string s;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) s += At(x, y) == 0xFFFFFF ? '.' : '#';
      s += '\n';
    }
    return s;
  }
  int Count(uint32_t color) const {
    int n = 0;
    for (int i = 0; i < width_ * height_; ++i) n += (bits_[i] & 0xFFFFFF) == color;
    return n;
  }
  // How many pixels differ from another canvas of the same size, and the first.
  int Differences(const Canvas& other, std::string* first) const {
    int n = 0;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (At(x, y) == other.At(x, y)) continue;
        if (n++ == 0 && first) {
          char text[96];
          std::snprintf(text, sizeof text, "(%d, %d): %06X here, %06X there", x, y, At(x, y),
                        other.At(x, y));
          *first = text;
        }
      }
    }
    return n;
  }
  // The box of the pixels that are not white.
  RECT Ink() const {
    RECT r{width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (At(x, y) == 0xFFFFFF) continue;
        r.left = std::min<LONG>(r.left, x);
        r.top = std::min<LONG>(r.top, y);
        r.right = std::max<LONG>(r.right, x + 1);
        r.bottom = std::max<LONG>(r.bottom, y + 1);
      }
    }
    return r;
  }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  uint32_t* bits_;
};
