// Paper sizes and the page laid out for a device mode.
#include "platform/print/PrinterPaper.h"

#include <algorithm>
#include <utility>

#include "platform/gdi/GdiInternal.h"
#include "platform/print/WinPrint.h"

namespace {

struct Paper {
  int16_t code;
  int32_t width, height;  // hundredths of a millimetre, upright
};
constexpr Paper kPapers[] = {
    {1, 21590, 27940},  {2, 21590, 27940},  {3, 27940, 43180},  {4, 43180, 27940},
    {5, 21590, 35560},  {6, 13970, 21590},  {7, 18415, 26670},  {8, 29700, 42000},
    {9, 21000, 29700},  {10, 21000, 29700}, {11, 14800, 21000}, {12, 25000, 35400},
    {13, 18200, 25700}, {14, 21590, 33020}, {15, 21500, 27500}, {16, 25400, 35560},
    {17, 27940, 43180}, {18, 21590, 27940}, {19, 9840, 22540},  {20, 10470, 24130},
    {21, 11430, 26350}, {22, 12060, 27940}, {23, 12700, 29210}, {27, 11000, 22000},
    {28, 16000, 22900}, {29, 32400, 45800}, {30, 22900, 32400}, {31, 11400, 16200},
    {32, 11400, 22900}, {33, 25000, 35300}, {34, 17600, 25000}, {35, 17600, 12500},
    {36, 11000, 23000}, {37, 9840, 19050},  {38, 9200, 16510},  {39, 37780, 27940},
    {40, 21590, 30480}, {41, 21590, 33020}, {42, 25000, 35300}, {43, 10000, 14800},
    {44, 22860, 27940}, {45, 25400, 27940}, {46, 38100, 27940}, {47, 22000, 22000},
    {50, 23550, 30480}, {51, 23550, 38100}, {52, 29690, 45720}, {53, 23540, 32230},
    {54, 21010, 27940}, {55, 21000, 29700}, {56, 23550, 30480}, {57, 22700, 35600},
    {58, 30500, 48700}, {59, 21590, 32230}, {60, 21000, 33000}, {61, 14800, 21000},
    {62, 18200, 25700}, {63, 32200, 44500}, {64, 17400, 23500}, {65, 20100, 27600},
    {66, 42000, 59400}, {67, 29700, 42000}, {68, 32200, 44500},
};

// Device pixels of a length in hundredths of a millimetre, truncated.
int32_t Pixels(int32_t length, int32_t dpi) { return int32_t(int64_t{length} * dpi / 2540); }

}  // namespace

bool PrinterPaperSize(int16_t code, int32_t& width, int32_t& height) {
  width = height = 0;
  for (const Paper& paper : kPapers) {
    if (paper.code == code) {
      width = paper.width;
      height = paper.height;
      return true;
    }
  }
  return false;
}

GdiDeviceCaps PrinterCapsForMode(const GdiDeviceCaps& device, const DEVMODEA* mode) {
  if (mode == nullptr || device.logPixelsX <= 0 || device.logPixelsY <= 0) return device;
  const int32_t pageWidth = device.physicalWidth > 0 ? device.physicalWidth : device.horzRes;
  const int32_t pageHeight = device.physicalHeight > 0 ? device.physicalHeight : device.vertRes;
  // The printer's unprintable strips, upright: left, top, right, bottom.
  int32_t left = device.physicalOffsetX;
  int32_t top = device.physicalOffsetY;
  int32_t right = std::max(0, pageWidth - left - device.horzRes);
  int32_t bottom = std::max(0, pageHeight - top - device.vertRes);

  // The paper, upright, in pixels.
  int32_t width = pageWidth;
  int32_t height = pageHeight;
  int32_t paperWidth = 0, paperHeight = 0;
  const uint32_t fields = mode->dmFields;
  if ((fields & DM_PAPERSIZE) && PrinterPaperSize(mode->dmPaperSize, paperWidth, paperHeight)) {
    width = Pixels(paperWidth, device.logPixelsX);
    height = Pixels(paperHeight, device.logPixelsY);
  } else if ((fields & DM_PAPERWIDTH) && (fields & DM_PAPERLENGTH) && mode->dmPaperWidth > 0 &&
             mode->dmPaperLength > 0) {
    width = Pixels(mode->dmPaperWidth * 10, device.logPixelsX);
    height = Pixels(mode->dmPaperLength * 10, device.logPixelsY);
  }

  GdiDeviceCaps caps = device;
  if ((fields & DM_ORIENTATION) && mode->dmOrientation == DMORIENT_LANDSCAPE) {
    // A quarter turn to the left: the top edge goes to the left, the right
    // edge to the top.
    std::swap(width, height);
    const int32_t upright[4] = {left, top, right, bottom};
    left = upright[1];
    top = upright[2];
    right = upright[3];
    bottom = upright[0];
    std::swap(caps.logPixelsX, caps.logPixelsY);
  }
  caps.physicalWidth = width;
  caps.physicalHeight = height;
  caps.physicalOffsetX = left;
  caps.physicalOffsetY = top;
  // A paper smaller than the margins still has one printable pixel.
  caps.horzRes = std::max(1, width - left - right);
  caps.vertRes = std::max(1, height - top - bottom);
  caps.horzSize = int32_t(int64_t{caps.horzRes} * 254 / (int64_t{caps.logPixelsX} * 10));
  caps.vertSize = int32_t(int64_t{caps.vertRes} * 254 / (int64_t{caps.logPixelsY} * 10));
  return caps;
}
