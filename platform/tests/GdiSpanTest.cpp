// Fills, mixes, blits, text and scrolling painted a row at a time, checked
// pixel by pixel against a model of each operation: every pixel inside the
// shape, the surface and the clip takes the operation's value, every other
// pixel keeps its bytes, and a 32-bit pixel's fourth byte is never touched.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/gdi/WinGdi.h"

// A namespace of its own: the test programs compile in unity batches.
namespace gdi_span_test {

constexpr int kWidth = 29;
constexpr int kHeight = 21;
constexpr uint8_t kFourth = 0xA7;

// A memory DC over a top-down DIB section of 24 or 32 bits a pixel.
class Dib {
 public:
  Dib(int width, int height, int bitsPerPixel) : width_(width), height_(height), bytes_(bitsPerPixel / 8) {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint8_t*>(bits);
    stride_ = (width * bytes_ + 3) / 4 * 4;
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Dib() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;

  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  uint8_t* At(int x, int y) const { return bits_ + y * stride_ + x * bytes_; }
  // 0xRRGGBB of a pixel.
  uint32_t Color(int x, int y) const {
    const uint8_t* p = At(x, y);
    return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
  }
  void Set(int x, int y, uint32_t rgb) {
    uint8_t* p = At(x, y);
    p[0] = uint8_t(rgb);
    p[1] = uint8_t(rgb >> 8);
    p[2] = uint8_t(rgb >> 16);
    if (bytes_ == 4) p[3] = kFourth;
  }
  bool FourthKept(int x, int y) const { return bytes_ == 3 || At(x, y)[3] == kFourth; }
  // Every pixel a colour of its own.
  void Fill(uint32_t seed) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) Set(x, y, (seed * 2654435761u + uint32_t(x) * 40503u + uint32_t(y) * 977u) & 0xFFFFFF);
  }

 private:
  int width_, height_, bytes_;
  ptrdiff_t stride_ = 0;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  uint8_t* bits_ = nullptr;
};

// The pattern brush's colour at pattern pixel (x, y).
uint32_t PatternColor(int x, int y) { return uint32_t(x * 31 + 5) << 16 | uint32_t(y * 29 + 3) << 8 | uint32_t(x ^ y); }

// Source pixel (x, y) of the blits.
uint32_t SourceColor(int x, int y) { return (uint32_t(x) * 0x0B0307u + uint32_t(y) * 0x050D11u) & 0xFFFFFF; }

struct Clip {
  const char* name;
  std::vector<RECT> rects;  // their union; none at all: no clip
  bool none = false;
};

bool InClip(const Clip& clip, int x, int y) {
  if (clip.none) return true;
  for (const RECT& r : clip.rects)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

void SelectClip(HDC dc, const Clip& clip) {
  if (clip.none) {
    SelectClipRgn(dc, nullptr);
    return;
  }
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  for (const RECT& r : clip.rects) {
    HRGN part = CreateRectRgn(r.left, r.top, r.right, r.bottom);
    CombineRgn(region, region, part, RGN_OR);
    DeleteObject(part);
  }
  SelectClipRgn(dc, region);
  DeleteObject(region);
}

// An operation: draws on the DC, and tells for a pixel inside its shape the
// value it leaves over `old`, or false for a pixel it leaves alone.
struct Operation {
  const char* name;
  std::function<void(HDC)> draw;
  std::function<bool(int x, int y, uint32_t old, uint32_t* value)> model;
};

bool Inside(int x, int y, int left, int top, int right, int bottom) {
  return x >= left && x < right && y >= top && y < bottom;
}

std::vector<Operation> Operations(HDC source24, HDC source32) {
  const uint32_t brush = 0x1E140A;  // RGB(10, 20, 30) as 0xRRGGBB
  auto solid = [](HDC dc) { SelectObject(dc, CreateSolidBrush(RGB(0x1E, 0x14, 0x0A))); };
  auto drop = [](HDC dc) { DeleteObject(SelectObject(dc, GetStockObject(WHITE_BRUSH))); };
  return {
      {"solid fill crossing the edges",
       [=](HDC dc) { solid(dc); PatBlt(dc, -4, 3, 20, 30, PATCOPY); drop(dc); },
       [=](int x, int y, uint32_t, uint32_t* v) { *v = brush; return Inside(x, y, -4, 3, 16, 33); }},
      {"solid fill given bottom-up and right to left",
       [=](HDC dc) { solid(dc); PatBlt(dc, 25, 18, -19, -11, PATCOPY); drop(dc); },
       [=](int x, int y, uint32_t, uint32_t* v) { *v = brush; return Inside(x, y, 6, 7, 25, 18); }},
      {"pattern inverted over the pixels",
       [=](HDC dc) { solid(dc); PatBlt(dc, 2, 1, 26, 15, PATINVERT); drop(dc); },
       [=](int x, int y, uint32_t old, uint32_t* v) { *v = old ^ brush; return Inside(x, y, 2, 1, 28, 16); }},
      {"destination inverted",
       [](HDC dc) { PatBlt(dc, 0, 0, kWidth, kHeight, DSTINVERT); },
       [](int, int, uint32_t old, uint32_t* v) { *v = ~old & 0xFFFFFF; return true; }},
      {"blackness and whiteness",
       [](HDC dc) { PatBlt(dc, 1, 1, 10, 10, BLACKNESS); PatBlt(dc, 11, 5, 10, 10, WHITENESS); },
       [](int x, int y, uint32_t, uint32_t* v) {
         if (Inside(x, y, 11, 5, 21, 15)) return *v = 0xFFFFFF, true;
         return *v = 0, Inside(x, y, 1, 1, 11, 11);
       }},
      {"pattern brush from its origin",
       [](HDC dc) {
         Dib pattern(8, 8, 32);
         for (int y = 0; y < 8; ++y)
           for (int x = 0; x < 8; ++x) pattern.Set(x, y, PatternColor(x, y));
         HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(pattern.dc(), OBJ_BITMAP));
         HBRUSH b = CreatePatternBrush(bitmap);
         HGDIOBJ previous = SelectObject(dc, b);
         SetBrushOrgEx(dc, 3, 5, nullptr);
         PatBlt(dc, 1, 2, 27, 17, PATCOPY);
         SetBrushOrgEx(dc, 0, 0, nullptr);
         SelectObject(dc, previous);
         DeleteObject(b);
       },
       [](int x, int y, uint32_t, uint32_t* v) {
         *v = PatternColor(((x - 3) % 8 + 8) % 8, ((y - 5) % 8 + 8) % 8);
         return Inside(x, y, 1, 2, 28, 19);
       }},
      {"pattern with the source: merge copy",
       [=](HDC dc) { solid(dc); BitBlt(dc, 3, 2, 22, 16, source32, 1, 0, MERGECOPY); drop(dc); },
       [=](int x, int y, uint32_t, uint32_t* v) {
         *v = brush & SourceColor(x - 3 + 1, y - 2);
         return Inside(x, y, 3, 2, 25, 18);
       }},
      {"mixed fill of a shape's inside (or pen)",
       [=](HDC dc) {
         solid(dc);
         SelectObject(dc, GetStockObject(NULL_PEN));
         SetROP2(dc, R2_MERGEPEN);
         Rectangle(dc, 4, 3, 25, 19);
         SetROP2(dc, R2_COPYPEN);
         SelectObject(dc, GetStockObject(BLACK_PEN));
         drop(dc);
       },
       [=](int x, int y, uint32_t old, uint32_t* v) { *v = old | brush; return Inside(x, y, 4, 3, 24, 18); }},
      {"copy of a 32-bit source, part of it outside the source",
       [=](HDC dc) { BitBlt(dc, -2, 4, 30, 20, source32, -3, 2, SRCCOPY); },
       [](int x, int y, uint32_t, uint32_t* v) {
         const int sx = x + 2 - 3, sy = y - 4 + 2;
         *v = SourceColor(sx, sy);
         return Inside(x, y, -2, 4, 28, 24) && Inside(sx, sy, 0, 0, 24, 18);
       }},
      {"copy of a 24-bit source",
       [=](HDC dc) { BitBlt(dc, 5, 1, 24, 18, source24, 0, 0, SRCCOPY); },
       [](int x, int y, uint32_t, uint32_t* v) { *v = SourceColor(x - 5, y - 1); return Inside(x, y, 5, 1, 29, 19); }},
      {"source inverted over the pixels",
       [=](HDC dc) { BitBlt(dc, 0, 0, 24, 18, source32, 0, 0, SRCINVERT); },
       [](int x, int y, uint32_t old, uint32_t* v) { *v = old ^ SourceColor(x, y); return Inside(x, y, 0, 0, 24, 18); }},
      {"source and destination: erase",
       [=](HDC dc) { BitBlt(dc, 1, 2, 20, 15, source24, 2, 1, SRCERASE); },
       [](int x, int y, uint32_t old, uint32_t* v) {
         *v = SourceColor(x + 1, y - 1) & ~old & 0xFFFFFF;
         return Inside(x, y, 1, 2, 21, 17);
       }},
  };
}

std::vector<Clip> Clips() {
  return {
      {"no clip", {}, true},
      {"one rectangle", {{2, 3, 17, 11}}},
      {"an L of two rectangles", {{0, 0, 9, 20}, {9, 12, 25, 20}}},
      {"three bands with holes", {{1, 1, 5, 4}, {8, 1, 20, 4}, {3, 6, 27, 9}, {0, 12, 4, 18}, {6, 12, 28, 18}}},
      {"a rectangle partly off the surface", {{-5, -5, 31, 4}, {20, 15, 40, 40}}},
      {"an empty clip", {}},
  };
}

TEST(GdiSpan, EveryOperationPaintsExactlyTheClippedPixelsOfItsShape) {
  Dib source32(24, 18, 32);
  Dib source24(24, 18, 24);
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 24; ++x) {
      source32.Set(x, y, SourceColor(x, y));
      source24.Set(x, y, SourceColor(x, y));
    }
  int checked = 0;
  for (int bits : {32, 24}) {
    for (const Operation& op : Operations(source24.dc(), source32.dc())) {
      for (const Clip& clip : Clips()) {
        Dib target(kWidth, kHeight, bits);
        target.Fill(uint32_t(checked));
        std::vector<uint32_t> before;
        for (int y = 0; y < kHeight; ++y)
          for (int x = 0; x < kWidth; ++x) before.push_back(target.Color(x, y));
        SelectClip(target.dc(), clip);
        op.draw(target.dc());
        int wrong = 0;
        std::string first;
        for (int y = 0; y < kHeight; ++y) {
          for (int x = 0; x < kWidth; ++x) {
            const uint32_t old = before[size_t(y) * kWidth + x];
            uint32_t value = old;
            uint32_t painted = 0;
            if (InClip(clip, x, y) && op.model(x, y, old, &painted)) value = painted;
            if (target.Color(x, y) == value && target.FourthKept(x, y)) continue;
            if (wrong++ == 0)
              first = "(" + std::to_string(x) + ", " + std::to_string(y) + "): " + std::to_string(target.Color(x, y)) +
                      " for " + std::to_string(value);
          }
        }
        EXPECT_EQ(wrong, 0) << bits << " bits, " << op.name << ", " << clip.name << ": first at " << first;
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 2 * 12 * 6);
}

// Text is painted from glyph masks in runs of ink pixels: drawn through a
// clip, it is the text drawn without one, cut to the clip, and nothing else.
TEST(GdiSpan, TextThroughAClipIsTheUnclippedTextCutToIt) {
  const int width = kWidth * 4;
  for (const Clip& clip : Clips()) {
    Dib background(width, kHeight, 32);
    Dib free(width, kHeight, 32);
    Dib clipped(width, kHeight, 32);
    for (Dib* d : {&background, &free, &clipped}) d->Fill(7);
    Clip wide = clip;
    for (RECT& r : wide.rects) r.right = r.right * 4;  // the clip spread over the wider surface
    SelectClip(clipped.dc(), wide);
    for (Dib* d : {&free, &clipped}) {
      SetBkMode(d->dc(), TRANSPARENT);
      SetTextColor(d->dc(), RGB(200, 10, 60));
      TextOutA(d->dc(), -3, 2, "Whisky Ajax", 11);
    }
    int inked = 0;
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint32_t want = InClip(wide, x, y) ? free.Color(x, y) : background.Color(x, y);
        inked += free.Color(x, y) == 0xC80A3C;
        wrong += clipped.Color(x, y) != want || !clipped.FourthKept(x, y) || !free.FourthKept(x, y);
      }
    }
    EXPECT_GT(inked, 20) << clip.name;
    EXPECT_EQ(wrong, 0) << clip.name;
  }
}

}  // namespace gdi_span_test
