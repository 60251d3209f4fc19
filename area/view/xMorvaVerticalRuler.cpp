// The vertical ruler: the page's scale from the current part's upper edge,
// and the drags of the body's margins and of the header and footer edges.
#include "area/view/xMorvaVerticalRuler.h"

#include <algorithm>
#include <cstdlib>

#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaRulerLook.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "graphics/VPort.h"

using namespace xMorvaRulerLook;

namespace {

// The cursor changes over the edges within this band, right end excluded.
constexpr int32_t kCursorBandLeft = 3;
constexpr int32_t kCursorBandRight = 18;

}  // namespace

xMorvaVRuler::xMorvaVRuler(VFrame* parent, xMorvaFrame* textView, xMorvaDocument* document)
    : xMorvaRuler(parent, textView, document) {
  ResizeTo(kThickness, GetHeight(), 0);
}

int32_t xMorvaVRuler::EdgeKind(bool upper) const {
  if (fDocument == nullptr || fDocument->IsBodyCurrent())
    return upper ? kDragTopMargin : kDragBottomMargin;
  if (fDocument->IsHeaderCurrent()) return upper ? kDragHeaderTop : kDragHeaderBottom;
  return upper ? kDragFooterTop : kDragFooterBottom;
}

void xMorvaVRuler::GetGeometry(xMorvaVRulerGeometry& g) const {
  g = xMorvaVRulerGeometry();
  if (fDocument == nullptr || fTextView == nullptr) return;
  const xMorvaDocParams& params = fDocument->GetParams();
  const int32_t page = std::max(fDocument->GetCaretPage(), 0);
  xMorvaPageBands bands = params.BandsOf(page);
  switch (fDragKind) {
    case kDragTopMargin: bands.topMargin = fDragValue; break;
    case kDragBottomMargin: bands.bottomMargin = fDragValue; break;
    case kDragHeaderTop: bands.headerTop = fDragValue; break;
    case kDragHeaderBottom: bands.headerBottom = fDragValue; break;
    case kDragFooterTop: bands.footerTop = fDragValue; break;
    case kDragFooterBottom: bands.footerBottom = fDragValue; break;
    default: break;
  }
  g.pageHeight = params.GetPageHeight();
  int32_t rx = 0, ry = 0, vx = 0, vy = 0;
  GetOrigin(rx, ry);
  fTextView->GetOrigin(vx, vy);
  const int64_t top = int64_t(page) * (int64_t(g.pageHeight) + kPageGap) + kPageGap -
                      fTextView->GetScrollY() + vy - ry;
  g.pageTop = int32_t(std::clamp<int64_t>(top, INT32_MIN / 2, INT32_MAX / 2));
  if (fDocument->IsBodyCurrent()) {
    g.textTop = g.pageTop + bands.topMargin;
    g.textHeight = g.pageHeight - bands.topMargin - bands.bottomMargin;
  } else if (fDocument->IsHeaderCurrent()) {
    g.textTop = g.pageTop + bands.headerTop;
    g.textHeight = bands.headerBottom - bands.headerTop;
  } else {
    g.textTop = g.pageTop + g.pageHeight - bands.footerTop;
    g.textHeight = bands.footerTop - bands.footerBottom;
  }
}

void xMorvaVRuler::DrawContent(VPort& port) {
  if (!IsShown() || fDocument == nullptr || fTextView == nullptr) return;
  if (fDocument->GetParams().GetViewMode() != 0) return;
  DrawBackground(port, true);
  xMorvaVRulerGeometry g;
  GetGeometry(g);
  if (int64_t(g.pageTop) + g.pageHeight < 0 || g.pageTop > GetHeight()) return;
  const int32_t page[4] = {kBandStart, g.pageTop, kBandWidth, g.pageHeight};
  DrawLookElement(port, kLookPage, 0, page, 0);
  const int32_t band[4] = {kBandStart, g.textTop, kBandWidth, g.textHeight};
  DrawLookElement(port, kLookText, 0, band, 0);
  const int32_t pageBottom = g.pageTop + g.pageHeight;
  DrawRuler(port, VRect(0, g.textTop, GetWidth(), std::max(pageBottom - g.textTop, 0)), true, true,
            g.textTop + g.textHeight);
  DrawRuler(port, VRect(0, g.pageTop, GetWidth(), std::max(g.textTop - g.pageTop, 0)), false, true,
            g.textTop);
}

int32_t xMorvaVRuler::CursorIdAt(int32_t x, int32_t y) {
  if (fDocument == nullptr || x < kCursorBandLeft || x >= kCursorBandRight) return 0;
  xMorvaVRulerGeometry g;
  GetGeometry(g);
  if (NearEdge(y, g.textTop) || NearEdge(y, int64_t(g.textTop) + g.textHeight))
    return kCursorResizeUpDown;
  return 0;
}

void xMorvaVRuler::Press(const VEvent& event, int32_t, int32_t y) {
  if (fDocument == nullptr || fTextView == nullptr || fDocument->GetParams().GetViewMode() != 0)
    return;
  xMorvaVRulerGeometry g;
  GetGeometry(g);
  bool upper = true;
  int32_t marker = g.textTop;
  if (NearEdge(y, g.textTop)) {
    upper = true;
  } else if (NearEdge(y, int64_t(g.textTop) + g.textHeight)) {
    upper = false;
    marker = g.textTop + g.textHeight;
  } else {
    return;
  }
  const int32_t kind = EdgeKind(upper);
  const int32_t page = std::max(fDocument->GetCaretPage(), 0);
  const bool firstPage = fDocument->GetParams().UsesFirstPageLayout(page);
  xMorvaPageBands& bands = fDocument->Params().GetBands(firstPage);
  int32_t* field = nullptr;
  int32_t minimum = 0, maximum = 0;
  // Distances from the page's top grow downwards, those from its bottom
  // upwards.
  bool forward = true;
  switch (kind) {
    case kDragTopMargin:
      field = &bands.topMargin;
      fDocument->GetTopMarginRange(firstPage, minimum, maximum);
      break;
    case kDragBottomMargin:
      field = &bands.bottomMargin;
      forward = false;
      fDocument->GetBottomMarginRange(firstPage, minimum, maximum);
      break;
    case kDragHeaderTop:
      field = &bands.headerTop;
      fDocument->GetHeaderTopRange(firstPage, minimum, maximum);
      break;
    case kDragHeaderBottom:
      field = &bands.headerBottom;
      fDocument->GetHeaderBottomRange(firstPage, minimum, maximum);
      break;
    case kDragFooterTop:
      field = &bands.footerTop;
      forward = false;
      fDocument->GetFooterTopRange(firstPage, minimum, maximum);
      break;
    default:
      field = &bands.footerBottom;
      forward = false;
      fDocument->GetFooterBottomRange(firstPage, minimum, maximum);
      break;
  }
  const int32_t value = *field;
  const int32_t v = Drag(event, false, kind, value, forward, marker, minimum, maximum, nullptr);
  if (v == value) return;
  *field = v;
  // The pages take the new layout, and the views their new height.
  fDocument->UpdateReferencePrinter();
  fDocument->SetModified();
  fDocument->Refresh(false, true);
}
