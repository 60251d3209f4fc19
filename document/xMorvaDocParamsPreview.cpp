// The page preview of the document's parameters: a miniature of the page's
// margins, header, columns, footer and binding, recorded as a picture.
#include "document/xMorvaDocParams.h"

#include <algorithm>

#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"

namespace {

// Look colours and patterns of the preview.
constexpr int32_t kColourWhite = 0;
constexpr int32_t kColourBandLines = 4;
constexpr int32_t kColourFrame = 10;
constexpr int32_t kColourBinding = 5;
constexpr int32_t kColourBandFrame = 3;
constexpr int32_t kColourBandFrameOver = 6;
constexpr int32_t kPatternSolid = 5;
constexpr int32_t kPatternGrey = 3;
constexpr int32_t kPatternDiagonal = 10;

// Page pixels to preview pixels, at one page's offset.
struct PreviewScale {
  double factor;
  int32_t left;
  int32_t X(int32_t x) const { return left + int32_t(x * factor); }
  int32_t Y(int32_t y) const { return int32_t(y * factor); }
  // The box between two page positions, at least one pixel each way.
  VRect Box(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
    const int32_t l = X(x1), t = Y(y1);
    return VRect(l, t, std::max(1, X(x2) - l), std::max(1, Y(y2) - t));
  }
};

void FrameBox(VPort& port, const VRect& r) {
  const int32_t right = r.GetLeft() + r.GetWidth() - 1;
  const int32_t bottom = r.GetTop() + r.GetHeight() - 1;
  // GDI leaves out the last pixel of a line, so each side runs one further.
  port.DrawLine(r.GetLeft(), r.GetTop(), right + 1, r.GetTop());
  port.DrawLine(right, r.GetTop(), right, bottom + 1);
  port.DrawLine(r.GetLeft(), bottom, right + 1, bottom);
  port.DrawLine(r.GetLeft(), r.GetTop(), r.GetLeft(), bottom + 1);
}

}  // namespace

void xMorvaDocParams::DrawPageBreakPattern(VPort& port, const VRect& rect) const {
  if (rect.GetWidth() <= 0 || rect.GetHeight() <= 0) return;
  int32_t left = rect.GetLeft();
  int32_t top = rect.GetTop();
  int32_t right = left + rect.GetWidth();
  const int32_t bottom = top + rect.GetHeight();
  if (GetViewFlag(3) != 0) {
    port.SetPenPatternIndex(kPatternSolid);
    port.SetPenColorIndex(kColourBandFrame);
    FrameBox(port, rect);
    port.SetPenPatternIndex(kPatternDiagonal);
    port.SetPenColorIndex(kColourBandFrameOver);
    FrameBox(port, rect);
    left += 2;
    top += 2;
    right -= 3;  // 2 pixels in and 5 shorter
  }
  port.SetPenPatternIndex(kPatternSolid);
  port.SetPenColorIndex(kColourBandLines);
  for (int32_t y = top; y < bottom; y += 2) {
    if (right > left) port.DrawLine(left, y, right, y);
  }
}

VEmfPictureData* xMorvaDocParams::DrawPagePreview(int32_t width, int32_t height) const {
  const int32_t pageWidth = GetPageWidth();
  const int32_t pageHeight = GetPageHeight();
  if (width <= 1 || height <= 1 || pageWidth <= 0 || pageHeight <= 0) return nullptr;
  const bool facing = fAlternateBinding != 0;
  const int32_t pages = facing ? 2 : 1;
  // One pixel is kept right of and below the pages for the shadow line.
  const double factor = std::min(double(width - 1) / (double(pageWidth) * pages),
                                 double(height - 1) / double(pageHeight));

  VMetafilePort port(nullptr, 0, 0, width, height);
  if (!port.IsRecording()) return nullptr;
  const int32_t firstPage = facing ? (fBindingLeft == 1 ? 1 : 0) : 0;
  for (int32_t i = 0; i < pages; ++i) {
    const int32_t page = firstPage + i;
    const PreviewScale scale{factor, int32_t(pageWidth * factor) * i};
    const VRect sheet = scale.Box(0, 0, pageWidth, pageHeight);

    port.SetFillPatternIndex(kPatternSolid);
    port.SetFillColorIndex(kColourWhite);
    port.PaintRect(sheet.GetLeft(), sheet.GetTop(), sheet.GetWidth(), sheet.GetHeight());
    port.SetPenPatternIndex(kPatternSolid);
    port.SetPenColorIndex(kColourFrame);
    FrameBox(port, sheet);
    // The shadow: one pixel right of and below the sheet, shifted by one.
    const int32_t right = sheet.GetLeft() + sheet.GetWidth();
    const int32_t bottom = sheet.GetTop() + sheet.GetHeight();
    port.DrawLine(right, sheet.GetTop() + 1, right, bottom + 1);
    port.DrawLine(sheet.GetLeft() + 1, bottom, right + 1, bottom);

    const int32_t textLeft = TextLeft(page);
    const int32_t textRight = textLeft + ColumnWidth(true);
    if (HasHeader(page)) {
      DrawPageBreakPattern(port, scale.Box(textLeft, HeaderTop(page), textRight, HeaderBottom(page)));
    }
    const int32_t top = TopMargin(page);
    const int32_t textBottom = top + TextHeight(page);
    const int32_t columnWidth = ColumnWidth(false);
    for (int32_t k = 0; k < ColumnCount(); ++k) {
      const int32_t columnLeft = ColumnLeft(page, k);
      DrawPageBreakPattern(port, scale.Box(columnLeft, top, columnLeft + columnWidth, textBottom));
      if (k > 0 && fColumnLines != 0) {
        // Midway in the gap between this column and the one before.
        const int32_t previousRight = ColumnLeft(page, k - 1) + columnWidth;
        const int32_t x = scale.X((previousRight + columnLeft) / 2);
        port.SetPenPatternIndex(kPatternSolid);
        port.SetPenColorIndex(kColourFrame);
        port.DrawLine(x, scale.Y(top), x, scale.Y(textBottom));
      }
    }
    if (HasFooter(page)) {
      DrawPageBreakPattern(port, scale.Box(textLeft, pageHeight - FooterTop(page), textRight,
                                           pageHeight - FooterBottom(page)));
    }
    if (fBinding != 0) {
      // The binding strip lies at the page's edge on the binding side.
      const VRect strip = BindingOnLeft(page)
                              ? scale.Box(0, 0, fBinding, pageHeight)
                              : scale.Box(pageWidth - fBinding, 0, pageWidth, pageHeight);
      port.SetFillPatternIndex(kPatternGrey);
      port.SetFillColorIndex(kColourBinding);
      // Inside the frame, which stays whole.
      port.PaintRect(strip.GetLeft() + 1, strip.GetTop() + 1, strip.GetWidth() - 2,
                     strip.GetHeight() - 2);
    }
  }
  return port.EndAsPictureData();
}
