// The rulers' common part (the scale in centimetres, inches or pixels, the
// background, the change protocol after a drag) and the horizontal ruler's
// geometry, drawing and cursor.
#include "area/view/xMorvaRuler.h"

#include <algorithm>
#include <cmath>

#include "area/view/xMorvaDragger.h"
#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaRulerLook.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaText.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"
#include "views/VEvent.h"

using namespace xMorvaRulerLook;

namespace {

// The scale's font.
constexpr double kScaleFontSize = 7;
// Across the ruler: the number's baseline, the short marks and the middle
// mark (the vertical ruler's middle mark is one pixel longer).
constexpr int32_t kNumberBaseline = 15;
constexpr int32_t kShortFrom = 11;
constexpr int32_t kShortTo = 12;
constexpr int32_t kMiddleFrom = 10;
constexpr int32_t kMiddleTo = 13;
constexpr int32_t kMiddleToVertical = 14;
// Column gap lines.
constexpr int32_t kGapFrom = 7;
constexpr int32_t kGapTo = 15;
// The user's method hears of a ruler change as event kind 8.
constexpr int16_t kEventRulerChange = 8;
// The cursor changes over edges only within this band.
constexpr int32_t kCursorBandTop = 3;
constexpr int32_t kCursorBandBottom = 17;

// Ticks per numbered step, their spacing and the step, by unit.
struct ScaleUnit {
  int32_t count;
  double spacing;
  int32_t step;
};
constexpr ScaleUnit kScaleUnits[] = {{4, 0.25, 1}, {8, 0.125, 1}, {5, 10, 50}};

int32_t TickPosition(int32_t unit, int32_t dpi, double d) {
  switch (unit) {
    case kUnitCentimetres: return TruncateToLong(dpi * d / 2.54);
    case kUnitInches: return TruncateToLong(dpi * d);
    default: return TruncateToLong(d);
  }
}

// The names of the marker pictures, in slot order.
constexpr const char* kPictureNames[xMorvaHRuler::kPictureCount] = {
    "LeftMargin",
    "FirstIndent",
    "RightMargin",
    "LeftMarginGrayed",
    "FirstIndentGrayed",
    "RightMarginGrayed",
    "LeftTabulation",
    "CenteredTabulation",
    "RightTabulation",
    "DecimalTabulation",
    "BarTabulation",
    "LeftTabulationGrayed",
    "CenteredTabulationGrayed",
    "RightTabulationGrayed",
    "DecimalTabulationGrayed",
    "BarTabulationGrayed",
};

// Where the tab stop pictures stand across the ruler, and their half width.
constexpr int32_t kTabTop = 12;
constexpr int32_t kTabHalf = 5;
// Where the indent pictures stand across the ruler.
constexpr int32_t kFirstIndentTop = 1;
constexpr int32_t kIndentTop = 11;
// The left indent's picture is two pictures high: its upper part moves
// the left indent alone, its lower part the first line with it.
constexpr int32_t kLeftIndentHeight = 11;

}  // namespace

// ---- The common part

xMorvaRuler::xMorvaRuler(VFrame* parent, xMorvaFrame* textView, xMorvaDocument* document)
    : VFrame(parent, nullptr), fTextView(textView), fDocument(document) {}

xMorvaRuler::~xMorvaRuler() {
  if (fTextView != nullptr) fTextView->DetachRulerPart(this);
}

void xMorvaRuler::ListScale(int32_t unit, int32_t dpi, int32_t length,
                            std::vector<xMorvaScaleMark>& marks) {
  marks.clear();
  if (unit < 0 || unit > 2 || length <= 0 || dpi < 1) return;
  const ScaleUnit& u = kScaleUnits[unit];
  for (int64_t n = 0;; n += u.step) {
    const int32_t first = TickPosition(unit, dpi, double(n));
    if (first > length) break;
    for (int32_t i = 0; i < u.count; ++i) {
      const int32_t at = TickPosition(unit, dpi, double(n) + i * u.spacing);
      if (i > 0 && at >= length) break;
      xMorvaScaleMark mark;
      mark.offset = at;
      mark.numbered = i == 0;
      mark.number = i == 0 ? int32_t(n) : 0;
      mark.middle = unit != kUnitPoints && i == u.count / 2;
      marks.push_back(mark);
    }
  }
}

VResourceFile* xMorvaRuler::PictureFile(const xMorvaFrame* view) {
  xMorvaPlugIn* area = view != nullptr ? view->GetArea() : nullptr;
  xMorvaMain* package = area != nullptr ? area->GetMorvaPackage() : nullptr;
  if (package != nullptr && package->GetResourceFile() != nullptr)
    return package->GetResourceFile();
  return gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
}

void xMorvaRuler::DrawRuler(VPort& port, const VRect& rect, bool forward, bool vertical,
                            int32_t avoid) {
  if (fDocument == nullptr) return;
  const int32_t start = vertical ? rect.GetTop() : rect.GetLeft();
  const int32_t length = vertical ? rect.GetHeight() : rect.GetWidth();
  const int32_t end = start + length;
  VStr<31> font;
  font.SetCText("Arial", kCharSetAnsi);
  port.SetFontName(font);
  port.SetFontSize(kScaleFontSize, false);
  port.SetTextAngle(vertical ? 90.0f : 0.0f);
  port.SetTextColorIndex(kColourInnerEdge);
  port.SetPenColorIndex(kColourInnerEdge);
  port.SetTextMode(1);
  if (fDigitWidth == 0) fDigitWidth = int16_t(std::lround(port.CharWidth(u'0')));
  std::vector<xMorvaScaleMark> marks;
  ListScale(fDocument->GetParams().GetDisplayUnit(), GetScreenResolution(), length, marks);
  for (const xMorvaScaleMark& mark : marks) {
    const int32_t at = forward ? start + mark.offset : end - mark.offset;
    if (mark.numbered) {
      if (mark.number == 0) continue;
      char digits[16];
      const int count = std::snprintf(digits, sizeof digits, "%d", int(mark.number));
      const int32_t width = count * fDigitWidth;
      const int32_t from = vertical ? at + width / 2 : at - width / 2;
      const int32_t low = vertical ? from - width : from;
      const int32_t high = low + width;
      // Only a number wholly within the span that leaves `avoid` clear.
      if (low < start || high > end || (avoid >= low && avoid <= high)) continue;
      port.MoveTo(vertical ? kNumberBaseline : from, vertical ? from : kNumberBaseline, true);
      port.DrawTextRun(digits, count, kTextAnsi);
      continue;
    }
    if (at <= start || at >= end) continue;
    const int32_t a = mark.middle ? kMiddleFrom : kShortFrom;
    const int32_t b = mark.middle ? (vertical ? kMiddleToVertical : kMiddleTo) : kShortTo;
    if (vertical) {
      port.DrawLine(a, at, b, at);
    } else {
      port.DrawLine(at, a, at, b);
    }
  }
  port.SetTextAngle(0.0f);
}

void xMorvaRuler::DrawBackground(VPort& port, bool vertical) {
  DrawLookElement(port, kLookBackground, 0, nullptr, 0);
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  if (vertical) {
    port.SetPenColorIndex(kColourOuterEdge);
    port.DrawLine(0, 0, 0, h - 1);
    port.SetPenColorIndex(kColourInnerEdge);
    port.DrawLine(w - 1, 0, w - 1, h - 1);
    port.SetPenColorIndex(kColourInnerLight);
    port.DrawLine(w - 2, 0, w - 2, h - 1);
  } else {
    port.SetPenColorIndex(kColourOuterEdge);
    port.DrawLine(0, 0, w - 1, 0);
    port.SetPenColorIndex(kColourInnerEdge);
    port.DrawLine(0, h - 1, w - 1, h - 1);
    port.SetPenColorIndex(kColourInnerLight);
    port.DrawLine(0, h - 2, w - 1, h - 2);
  }
}

void xMorvaRuler::RedrawNow() {
  VPort* port = GetPort();
  if (port == nullptr) return;
  Draw(*port);
  FlushWindow();
}

bool xMorvaRuler::IsEditable() const {
  if (fDocument == nullptr || fTextView == nullptr) return false;
  if (fDocument->Infos().GetLocked() != 0) return false;
  xMorvaPlugIn* area = fTextView->GetArea();
  return area == nullptr || !area->IsAreaLocked();
}

bool xMorvaRuler::MouseDown(VEvent& event) {
  // A click that may change nothing is swallowed all the same.
  if (IsShown() && IsEditable()) Press(event, event.GetX(), event.GetY());
  return true;
}

int32_t xMorvaRuler::Drag(const VEvent& event, bool horizontal, int32_t kind, int32_t value,
                          bool forward, int32_t marker, int32_t minimum, int32_t maximum,
                          bool* pulledOff) {
  // Limits that leave no room keep the marker where it is.
  if (maximum < minimum) minimum = maximum = value;
  // The drag runs in the text view's coordinates.
  int32_t rx = 0, ry = 0, vx = 0, vy = 0;
  GetOrigin(rx, ry);
  fTextView->GetOrigin(vx, vy);
  VEvent start(event);
  start.Set(event.GetX() + rx - vx, event.GetY() + ry - vy);
  xMorvaRulerDragger dragger(fTextView, start, this, kind, horizontal, value, forward,
                             fDocument->GetParams().GetDisplayUnit(),
                             marker + (horizontal ? rx - vx : ry - vy), minimum, maximum);
  dragger.Track();
  if (pulledOff != nullptr) *pulledOff = !dragger.IsVisible();
  SetDragKind(kDragNone);
  Invalidate(1);
  return dragger.GetValue();
}

int32_t xMorvaRuler::GetCursorIdAt(VEvent& event) { return CursorIdAt(event.GetX(), event.GetY()); }

void xMorvaRuler::AfterRulerChange() {
  if (fDocument == nullptr) return;
  fDocument->Refresh(false, true);
  if (xMorvaDocumentArea* area = fDocument->GetArea())
    area->CallEventCallback(kEventRulerChange, 0);
}

// ---- The horizontal ruler

xMorvaHRuler::xMorvaHRuler(VFrame* parent, xMorvaFrame* textView, xMorvaDocument* document)
    : xMorvaRuler(parent, textView, document) {
  ResizeTo(GetWidth(), kThickness, 0);
  // The pictures come from the module's resource file; a ruler without a
  // port has none.
  if (GetPort() != nullptr) {
    VResourceFile* file = PictureFile(textView);
    for (int32_t i = 0; i < kPictureCount; ++i)
      fPictures[i].reset(new VIconShape(file, kPictureNames[i]));
    FlushWindow();
  }
}

xMorvaHRuler::~xMorvaHRuler() = default;

VIconShape* xMorvaHRuler::PictureFor(int32_t slot) {
  if (slot < 0 || slot >= kPictureCount) return nullptr;
  if (!fPictures[slot]) {
    fPictures[slot].reset(new VIconShape(PictureFile(fTextView), kPictureNames[slot]));
  }
  return fPictures[slot].get();
}

void xMorvaHRuler::GetGeometry(xMorvaHRulerGeometry& g) const {
  g = xMorvaHRulerGeometry();
  if (fDocument == nullptr || fTextView == nullptr) return;
  const xMorvaDocParams& params = fDocument->GetParams();
  int32_t leftMargin = params.GetLeftMargin();
  int32_t rightMargin = params.GetRightMargin();
  int32_t spacing = params.GetColumnSpacing();
  if (fDragKind == kDragLeftMargin) leftMargin = fDragValue;
  if (fDragKind == kDragRightMargin) rightMargin = fDragValue;
  if (fDragKind == kDragColumnSpacing) spacing = 2 * fDragValue;
  g.pageView = params.GetViewMode() == 0;
  // In the ruler's own coordinates: the pane may set it off from the view
  // (the tab selector's corner beside it when there is no vertical ruler).
  int32_t rx = 0, ry = 0, vx = 0, vy = 0;
  GetOrigin(rx, ry);
  fTextView->GetOrigin(vx, vy);
  g.origin = fTextView->TextInset() - fTextView->GetScrollX() + vx - rx;
  g.pageWidth = params.GetPageWidth();
  g.textWidth = g.pageWidth - leftMargin - rightMargin - params.GetBinding();
  g.columns = std::max<int32_t>(params.GetColumns(), 1);
  g.spacing = spacing;
  const int32_t page = fDocument->GetCaretPage();
  if (!g.pageView) {
    // Continuous text stands where the text view puts it, without the
    // page's margin.
    g.pageWidth = g.pageWidth + kPageGap - leftMargin;
    g.origin += kPageGap;
    g.textLeft = g.origin + params.RulerOffset() - kPageGap;
    g.columnLeft = g.textLeft;
    g.columnWidth = g.textWidth;
    if (g.columns > 1) g.columnWidth = (g.textWidth - (g.columns - 1) * spacing) / g.columns;
    return;
  }
  // The same column edges as the text's own drawing.
  g.textLeft = g.origin + leftMargin + (params.BindingOnLeft(page) ? params.GetBinding() : 0);
  g.columnLeft = g.textLeft;
  g.columnWidth = g.textWidth;
  if (fDocument->IsBodyCurrent() && g.columns > 1) {
    int32_t pageNumber = 0, line = 0, position = 0, column = 0;
    fDocument->GetCaretStatus(pageNumber, line, position, column);
    column = std::clamp(column, 0, g.columns - 1);
    const int64_t shared = int64_t(g.textWidth) - int64_t(g.columns - 1) * spacing;
    g.columnWidth = int32_t(shared / g.columns);
    g.columnLeft = int32_t(g.textLeft + shared * column / g.columns + int64_t(column) * spacing);
  }
}

void xMorvaHRuler::GetIndentBoxes(const xMorvaHRulerGeometry& g, VRect& left, VRect& first,
                                  VRect& right) const {
  xMorvaTextInterface* text = fDocument != nullptr ? fDocument->GetCurrentPart() : nullptr;
  const int32_t p35 = text != nullptr ? text->GetPropertyValue(kPropLeftIndent) : 0;
  const int32_t p36 = text != nullptr ? text->GetPropertyValue(kPropFirstLineIndent) : 0;
  const int32_t p37 = text != nullptr ? text->GetPropertyValue(kPropRightIndent) : 0;
  const int32_t leftX = g.columnLeft + p35 - kIndentHalf;
  left = VRect(leftX, kIndentTop, kIndentWidth, kLeftIndentHeight);
  first = VRect(leftX + p36, kFirstIndentTop, kIndentWidth, kIndentHeight);
  right = VRect(g.columnLeft + g.columnWidth - kIndentHalf - p37, kIndentTop, kIndentWidth,
                kIndentHeight);
}

void xMorvaHRuler::DrawMarker(VPort& port, int32_t slot, int32_t x, int32_t y) {
  VIconShape* icon = PictureFor(slot);
  if (icon == nullptr || icon->GetData() == 0) return;
  icon->SetPosition(x, y);
  port.DrawIcon(*icon, 0);
}

void xMorvaHRuler::DrawContent(VPort& port) {
  if (!IsShown() || fDocument == nullptr || fTextView == nullptr) return;
  DrawBackground(port, false);
  xMorvaHRulerGeometry g;
  GetGeometry(g);
  const int32_t page[4] = {g.origin, kBandStart, g.pageWidth, kBandWidth};
  DrawLookElement(port, kLookPage, 0, page, 0);
  const int32_t band[4] = {g.textLeft - 1, kBandStart, g.textWidth + 2, kBandWidth};
  DrawLookElement(port, kLookText, 0, band, 0);
  const int32_t pageRight = g.origin + g.pageWidth;
  DrawRuler(port, VRect(g.columnLeft, 0, std::max(pageRight - g.columnLeft, 0), GetHeight()), true,
            false, g.textLeft + g.textWidth);
  if (g.pageView && g.columnLeft >= 0) {
    DrawRuler(port, VRect(g.origin, 0, std::max(g.columnLeft - g.origin, 0), GetHeight()), false,
              false, g.textLeft);
  }
  // The gaps between the body's columns.
  if (fDocument->IsBodyCurrent() && g.columns > 1) {
    port.SetPenColorIndex(kColourInnerEdge);
    const int64_t shared = int64_t(g.textWidth) - int64_t(g.columns - 1) * g.spacing;
    for (int32_t k = 1; k < g.columns; ++k) {
      const int32_t nextLeft =
          int32_t(g.textLeft + shared * k / g.columns + int64_t(k) * g.spacing);
      const int32_t gapLeft = nextLeft - g.spacing;
      port.DrawLine(gapLeft, kGapFrom, gapLeft, kGapTo);
      port.DrawLine(nextLeft, kGapFrom, nextLeft, kGapTo);
    }
  }

  // The markers of the current paragraph, grayed where the selection
  // mixes values; the one being dragged stands at its dragged value.
  xMorvaTextInterface* text = fDocument->GetCurrentPart();
  if (text == nullptr) return;
  const auto* engine = static_cast<const xMorvaEngine*>(text);
  auto uniform = [engine](uint16_t id) { return engine->GetPropertiesStates().GetState(id) != 0; };
  int32_t p35 = text->GetPropertyValue(kPropLeftIndent);
  int32_t p36 = text->GetPropertyValue(kPropFirstLineIndent);
  int32_t p37 = text->GetPropertyValue(kPropRightIndent);
  switch (fDragKind) {
    case kDragLeftKeepFirst:
      p36 = p36 + p35 - fDragValue;
      p35 = fDragValue;
      break;
    case kDragLeftWithFirst: p35 = fDragValue; break;
    case kDragFirstLine: p36 = fDragValue; break;
    case kDragRightIndent: p37 = fDragValue; break;
    default: break;
  }
  const int32_t grayed = kLeftIndentGrayed - kLeftIndent;
  const int32_t leftX = g.columnLeft + p35 - kIndentHalf;
  DrawMarker(port, kLeftIndent + (uniform(kPropLeftIndent) ? 0 : grayed), leftX, kIndentTop);
  DrawMarker(port, kFirstIndent + (uniform(kPropFirstLineIndent) ? 0 : grayed), leftX + p36,
             kFirstIndentTop);
  DrawMarker(port, kRightIndent + (uniform(kPropRightIndent) ? 0 : grayed),
             g.columnLeft + g.columnWidth - kIndentHalf - p37, kIndentTop);
  const xMorvaTabs& tabs = text->GetCurrentTabs();
  const int32_t tabGrayed = uniform(kPropTabs) ? 0 : 5;
  for (int32_t i = 0; i < tabs.Count(); ++i) {
    const uint32_t stop = tabs.StopAt(i);
    if (fDragKind == kDragTab && i == fDraggedTab) continue;
    const int32_t kind = std::clamp<int32_t>(TabStopKind(stop), 1, 5);
    DrawMarker(port, kTabPictures + tabGrayed + kind - 1,
               g.columnLeft + TabStopPosition(stop) - kTabHalf, kTabTop);
  }
  if (fDragKind == kDragTab && fTabHidden == 0) {
    const int32_t kind = std::clamp<int32_t>(fDraggedTabKind, 1, 5);
    DrawMarker(port, kTabPictures + tabGrayed + kind - 1, g.columnLeft + fDragValue - kTabHalf,
               kTabTop);
  }
}

int32_t xMorvaHRuler::CursorIdAt(int32_t x, int32_t y) {
  if (fDocument == nullptr || fTextView == nullptr) return 0;
  xMorvaHRulerGeometry g;
  GetGeometry(g);
  if (!g.pageView) return 0;
  VRect left, first, right;
  GetIndentBoxes(g, left, first, right);
  const VPoint p(x, y);
  if (left.Contains(p) || first.Contains(p) || right.Contains(p)) return 0;
  if (y < kCursorBandTop || y > kCursorBandBottom) return 0;
  auto near = [x](int64_t edge) { return NearEdge(x, edge); };
  if (near(g.textLeft) || near(int64_t(g.textLeft) + g.textWidth)) return kCursorResizeAcross;
  if (fDocument->IsBodyCurrent() && g.columns > 1) {
    const int64_t shared = int64_t(g.textWidth) - int64_t(g.columns - 1) * g.spacing;
    for (int32_t k = 1; k < g.columns; ++k) {
      const int64_t nextLeft = g.textLeft + shared * k / g.columns + int64_t(k) * g.spacing;
      if (near(nextLeft) || near(nextLeft - g.spacing)) return kCursorResizeAcross;
    }
  }
  return 0;
}
