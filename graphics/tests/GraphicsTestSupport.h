// Shared helpers of the graphics tests: the graphics layer started around
// the whole program (with the international tables of the module's resource
// file), canvases whose pixels the tests read, a printer stand-in for
// measuring, and the comparison of drawings with reference images.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/VReferencePrinter.h"
#include "platform/gdi/WinGdi.h"

// A memory DC on a 32-bit top-down DIB section, white at the start.
class Canvas {
 public:
  Canvas(int32_t width, int32_t height, COLORREF fill = RGB(255, 255, 255));
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return fDC; }
  HBITMAP bitmap() const { return fBitmap; }
  int32_t width() const { return fWidth; }
  int32_t height() const { return fHeight; }
  // The pixel as a COLORREF (0x00BBGGRR); 0xFFFFFFFF outside.
  COLORREF Pixel(int32_t x, int32_t y) const;
  void SetPixelValue(int32_t x, int32_t y, COLORREF color);
  // How many pixels of the box have the colour.
  int32_t Count(COLORREF color, int32_t x, int32_t y, int32_t w, int32_t h) const;
  int32_t CountAll(COLORREF color) const { return Count(color, 0, 0, fWidth, fHeight); }
  // The box of the pixels that differ from the colour; empty when none.
  RECT InkBox(COLORREF background) const;
  std::vector<uint32_t> Pixels() const;
  void Fill(COLORREF color);
  // Fills every pixel with a value made from its position, so that a
  // drawing that puts anything back wrong shows.
  void FillNoise();

 private:
  HDC fDC = nullptr;
  HBITMAP fBitmap = nullptr;
  HGDIOBJ fDisplaced = nullptr;
  uint32_t* fBits = nullptr;
  int32_t fWidth;
  int32_t fHeight;
};

// Answers a fixed information DC and records the port that registered last.
class TestPrinter : public VReferencePrinter {
 public:
  explicit TestPrinter(HDC info) : fInfo(info) {}
  HDC GetInfoDC() override { return fInfo; }
  bool RegisterPort(VPort* port) override {
    const bool differs = port != fRegistered;
    fRegistered = port;
    return differs;
  }
  VPort* Registered() const { return fRegistered; }
  void SetInfoDC(HDC info) { fInfo = info; }

 private:
  HDC fInfo;
  VPort* fRegistered = nullptr;
};

// An information DC of a printer of that resolution (made known once).
HDC NewPrinterInfoDC(int32_t dotsPerInch);

// Compares the canvas with tests/data/<name>.png; QV_REGENERATE_REFERENCES=1
// rewrites the reference instead (and skips the test).
void ExpectMatchesReference(const Canvas& canvas, const std::string& name);
