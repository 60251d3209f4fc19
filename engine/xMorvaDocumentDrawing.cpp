// Drawing of the document body: pages, parts, lines and the selection.
#include "engine/xMorvaDocumentDrawing.h"

#include <algorithm>

#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaLineRecord.h"
#include "engine/xMorvaLines.h"
#include "engine/xMorvaPages.h"
#include "engine/xMorvaPictureElement.h"
#include "graphics/VPolygon.h"
#include "graphics/VPort.h"
#include "graphics/VReferencePrinter.h"
#include "graphics/printing/VPrintSettings.h"

namespace {

// Colour and pattern indexes of the port's tables: grey around the pages,
// the dark ink of edges and marks, the boundaries' colour; the solid
// pattern.
constexpr int32_t kGrey = 5;
constexpr int32_t kInk = 10;
constexpr int32_t kBoundaryColour = 2;
constexpr int32_t kSolid = 6;
constexpr int32_t kPageGap = 4;        // page view: between pages, and above the first
constexpr int32_t kContinuousGap = 3;  // continuous view: between pages
constexpr int32_t kHandleSize = 8;
constexpr int32_t kMiddleHandleMinimum = 25;

// View options of the document's parameters: the boundaries of text areas,
// pictures shown, invisible marks shown.
constexpr int32_t kOptionBoundaries = 3;
constexpr int32_t kOptionPictures = 6;
constexpr int32_t kOptionMarks = 15;

void UseInk(VPort& port, int32_t colour) {
  port.SetPenMode(0);
  port.SetPenWidth(1);
  port.SetPenPatternIndex(kSolid);
  port.SetPenColorIndex(colour);
}

void PaintGrey(VPort& port, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) return;
  port.SetFillPatternIndex(kSolid);
  port.SetFillColorIndex(kGrey);
  port.PaintRect(x, y, w, h);
}

}  // namespace

// What one drawing pass shares between its pages and lines.
struct xMorvaDocumentDrawing::PassState {
  VPort& port;
  xMorvaFont font;
  xMorvaSelectionState* selection = nullptr;
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t pageLeft = 0;
  bool screen = false;
  int16_t viewMode = 0;

  PassState(VPort& p, xMorvaDocument& document) : port(p), font(&p, &document) {}
};

void DrawSelectionRegion(xMorvaSelectionState& state, VPort& port, uint16_t mode) {
  if (mode & kDrawPaint) {
    if (!state.region.IsEmpty()) {
      if (state.active) {
        port.SetFillPatternIndex(kSolid);
        port.SetFillColorIndex(kInk);
        port.InvertRegion(state.region);
      } else {
        UseInk(port, kInk);
        port.FrameRegionXor(state.region);
      }
    }
  } else if (!state.active) {
    // Outlines are drawn by exclusive or: the old one goes, the new comes.
    UseInk(port, kInk);
    if (!state.drawn.IsEmpty()) port.FrameRegionXor(state.drawn);
    if (!state.region.IsEmpty()) port.FrameRegionXor(state.region);
  } else if (state.kind != state.drawnKind) {
    port.InvertRegion(state.drawn);
    port.InvertRegion(state.region);
  } else {
    // Only what changed: the pixels in exactly one of the two regions.
    VRegion change(state.drawn);
    change.Xor(state.region);
    if (!change.IsEmpty()) port.InvertRegion(change);
  }
  state.drawn.Assign(state.region);
  state.drawnKind = state.kind;
}

xMorvaDocumentDrawing::xMorvaDocumentDrawing(xMorvaDocument& document,
                                             xMorvaLines* const partLines[7], xMorvaPages& pages)
    : fDocument(document), fPages(pages) {
  for (int i = 0; i < 7; ++i) fLines[i] = partLines != nullptr ? partLines[i] : nullptr;
}

void xMorvaDocumentDrawing::SetDraggedRange(uint32_t start, uint32_t end) {
  fDragStart = std::min(start, end);
  fDragEnd = std::max(start, end);
}

bool xMorvaDocumentDrawing::IsCurrentFlow(xMorvaEngine& engine) const {
  return static_cast<xMorvaTextInterface*>(&engine) == fDocument.GetCurrentPart();
}

int32_t xMorvaDocumentDrawing::GetDocumentHeight() const {
  const xMorvaDocParams& params = fDocument.GetParams();
  const int32_t count = fPages.GetPageCount();
  if (params.GetViewMode() == 0) {
    return kPageGap + int32_t(std::min<int64_t>(int64_t(count) * (params.GetPageHeight() + kPageGap), INT32_MAX / 2));
  }
  const int64_t height =
      kPageGap + fPages.GetHeightBefore(count) + int64_t(std::max(count - 1, 0)) * kContinuousGap;
  return int32_t(std::min<int64_t>(height, INT32_MAX / 2));
}

int32_t xMorvaDocumentDrawing::GetPageTop(int32_t page) const {
  const xMorvaDocParams& params = fDocument.GetParams();
  if (page < 0 || page >= fPages.GetPageCount()) return -1;
  if (params.GetViewMode() == 0) {
    return int32_t(std::min<int64_t>(kPageGap + int64_t(page) * (params.GetPageHeight() + kPageGap), INT32_MAX / 2));
  }
  const int64_t y = kPageGap + fPages.GetHeightBefore(page) + int64_t(page) * kContinuousGap;
  return int32_t(std::min<int64_t>(y, INT32_MAX / 2));
}

int32_t xMorvaDocumentDrawing::FirstPageShown(int32_t top) const {
  const int32_t count = fPages.GetPageCount();
  if (count == 0 || top <= kPageGap) return 0;
  if (fDocument.GetParams().GetViewMode() != 0) {
    // The continuous view: the first page that ends at or below the top.
    return fPages.FindPageEndingAtOrBelow(int64_t(top) - kPageGap, kContinuousGap);
  }
  // Pages are all as high in page view: the pages that end, with the gap
  // below them, above the top are counted at once.
  const int64_t step = int64_t(fDocument.GetParams().GetPageHeight()) + kPageGap;
  if (step <= 0) return 0;
  return int32_t(std::clamp<int64_t>((top - kPageGap) / step, 0, count - 1));
}

void xMorvaDocumentDrawing::DrawDocument(xMorvaSelectionState* selection, VPort& port,
                                         int32_t visibleLeft, int32_t visibleTop,
                                         int32_t visibleWidth, int32_t visibleHeight,
                                         int32_t pageLeft) {
  // Between the start and the end of a change the lines do not match the
  // text: nothing is drawn.
  if (fDocument.IsChangeInProgress() || fLines[0] == nullptr) return;
  const xMorvaDocParams& params = fDocument.GetParams();
  // With the printer's metrics applied the lines were measured on the
  // printer: the pass measures there too, so that drawing agrees with them.
  struct ReferenceGuard {
    VPort& port;
    bool set = false;
    ~ReferenceGuard() {
      if (set) port.ClearReferencePrinter();
    }
  } reference{port};
  if (fDocument.IsPrinterMetricsApplied() && port.GetReferencePrinter() == nullptr) {
    if (auto* printer = dynamic_cast<VReferencePrinter*>(fDocument.GetPrinter())) {
      port.SetReferencePrinter(printer);
      reference.set = port.GetReferencePrinter() == printer;
    }
  }
  PassState pass(port, fDocument);
  pass.selection = selection;
  pass.left = visibleLeft;
  pass.top = visibleTop;
  pass.right = visibleLeft + std::max(visibleWidth, 0);
  pass.bottom = visibleTop + std::max(visibleHeight, 0);
  pass.pageLeft = pageLeft;
  pass.screen = !fPrinting && (fMode & kDrawPaint) != 0;
  pass.viewMode = params.GetViewMode() == 0 ? 0 : 1;
  pass.font.SetShowMarks(!fPrinting && params.GetViewFlag(kOptionMarks) != 0);
  pass.font.SetHidePictures(params.GetViewFlag(kOptionPictures) == 0);
  pass.font.SetViewMode(pass.viewMode);
  fHandlesDrawn = false;
  fPictureNoted = false;
  fPictureEngine = nullptr;
  if (selection != nullptr) {
    selection->region.SetEmpty();
    selection->kind = 0;
  }

  const int32_t width = params.GetPageWidth();
  const int32_t height = params.GetPageHeight();
  if (pass.viewMode == 0 && pass.screen) {
    PaintGrey(port, pass.left, pass.top, pageLeft - pass.left, visibleHeight);
    PaintGrey(port, pageLeft + width + 3, pass.top, pass.right - (pageLeft + width + 3), visibleHeight);
    UseInk(port, kInk);
    port.DrawLine(pageLeft, pass.top, pageLeft, pass.bottom);
    for (int32_t k = 0; k < 3; ++k) port.DrawLine(pageLeft + width + k, pass.top, pageLeft + width + k, pass.bottom);
    if (visibleTop < 5) {
      PaintGrey(port, pageLeft + 1, pass.top, width - 1, kPageGap - 1 - pass.top);
      UseInk(port, kInk);
      port.DrawLine(pageLeft, kPageGap - 1, pageLeft + width, kPageGap - 1);
    }
  }

  // Drawing starts at the first page the view shows, in either view: the
  // pages above it are passed at once, so that drawing near the end of a
  // long document costs what it costs near its start.
  const int32_t count = fPages.GetPageCount();
  const int32_t first = FirstPageShown(pass.top);
  int32_t y = count > 0 ? GetPageTop(first) : kPageGap;
  for (int32_t page = first; page < count && y < pass.bottom; ++page) {
    const xMorvaPageRecord record = fPages.GetPage(page);
    const int32_t pageHeight = pass.viewMode == 0 ? height : record.height;
    if (y + pageHeight >= pass.top) DrawPage(pass, page, y);
    if (pass.viewMode == 0) {
      if (pass.screen) {
        // The gap: grey, the page's bottom shadow and the next page's top.
        const int32_t gap = y + height;
        PaintGrey(port, pageLeft + 1, gap, width + 2, kPageGap);
        UseInk(port, kInk);
        for (int32_t k = 0; k < 3; ++k) port.DrawLine(pageLeft + 3, gap + k, pageLeft + width + 3, gap + k);
        if (page + 1 < count) port.DrawLine(pageLeft, gap + 3, pageLeft + width, gap + 3);
      }
      y += height + kPageGap;
    } else {
      const int32_t next = y + pageHeight + kContinuousGap;
      bool endsWithBreak = false;
      if (record.lines > 0) {
        const int32_t last = fPages.GetFirstLineOfPage(page) + record.lines - 1;
        if (last >= 0 && last < fLines[0]->GetLineCount()) {
          endsWithBreak = (fLines[0]->GetLine(last).flags & kLinePageBreak) != 0;
        }
      }
      if (pass.screen && page + 1 < count && !endsWithBreak) {
        port.SetPenMode(0);
        port.SetPenWidth(1);
        port.SetPenPatternIndex(kSolid);
        port.SetPenColorIndex(kGrey);
        port.DrawLine(pass.left, next - kContinuousGap, pass.right, next - kContinuousGap);
      }
      y = next;
    }
  }
  if (pass.viewMode == 0 && pass.screen && y < pass.bottom) {
    PaintGrey(port, pageLeft + 1, y, width + 2, pass.bottom - y);
  }
  if (selection != nullptr) DrawSelectionRegion(*selection, port, fMode);
}

void xMorvaDocumentDrawing::DrawPageForPrinting(VPort& port, int32_t page, int32_t x, int32_t y) {
  if (fDocument.IsChangeInProgress() || fLines[0] == nullptr) return;
  if (page < 0 || page >= fPages.GetPageCount()) return;
  const xMorvaDocParams& params = fDocument.GetParams();
  const bool wasPrinting = fPrinting;
  const uint16_t mode = fMode;
  fPrinting = true;
  fMode = kDrawPaint;
  PassState pass(port, fDocument);
  pass.left = x;
  pass.top = y;
  pass.right = x + params.GetPageWidth();
  pass.bottom = y + params.GetPageHeight();
  pass.pageLeft = x;
  pass.screen = false;
  pass.viewMode = 0;
  pass.font.SetShowMarks(false);
  pass.font.SetHidePictures(params.GetViewFlag(kOptionPictures) == 0);
  pass.font.SetViewMode(0);
  DrawPage(pass, page, y);
  fPrinting = wasPrinting;
  fMode = mode;
}

void xMorvaDocumentDrawing::DrawBodyLines(VPort& port, int32_t x, int32_t y, int32_t height) {
  if (fDocument.IsChangeInProgress() || fLines[0] == nullptr || height <= 0) return;
  xMorvaLines& body = *fLines[0];
  xMorvaEngine* engine = body.GetEngine();
  if (engine == nullptr) return;
  const bool wasPrinting = fPrinting;
  const uint16_t mode = fMode;
  fPrinting = true;
  fMode = kDrawPaint;
  PassState pass(port, fDocument);
  pass.font.SetShowMarks(false);
  pass.font.SetHidePictures(fDocument.GetParams().GetViewFlag(kOptionPictures) == 0);
  pass.font.SetViewMode(0);
  const int32_t bottom = y + height;
  uint32_t offset = 0;
  for (int32_t line = 0; line < body.GetLineCount() && y < bottom; ++line) {
    const xMorvaLineRecord& record = body.GetLine(line);
    DrawLines(port, nullptr, *engine, offset, pass.font, record, 0, x, y, true);
    y += record.height;
    offset += record.bytes;
  }
  fPrinting = wasPrinting;
  fMode = mode;
}

void xMorvaDocumentDrawing::DrawPage(PassState& pass, int32_t page, int32_t top) {
  const xMorvaDocParams& params = fDocument.GetParams();
  const xMorvaPageRecord record = fPages.GetPage(page);
  xMorvaLines& body = *fLines[0];
  xMorvaEngine* engine = body.GetEngine();
  if (engine == nullptr) return;
  const int32_t pageHeight = pass.viewMode == 0 ? params.GetPageHeight() : record.height;
  // The pictures placed on the page, in page view: those behind the text
  // before it, the others after it. Only a painting pass draws them.
  xMorvaPagePicturesInterface* pictures =
      pass.viewMode == 0 && (fMode & kDrawPaint) != 0 ? fDocument.GetPagePictures() : nullptr;
  if (pictures != nullptr) pictures->DrawPictures(fDocument, pass.port, pass.pageLeft, top, page, true, !pass.screen);

  if (pass.viewMode == 0 && params.HasHeader(page)) {
    const int16_t header = fDocument.HeaderForPage(page);
    const bool known = header >= 0 && header < 7 && fLines[header] != nullptr;
    const xMorvaDocParams::HeaderPlace place =
        params.HeaderPlaceOf(page, known ? fLines[header]->GetTotalHeight() : 0);
    DrawHeaderOrFooter(pass, header, page, top + place.top, top + place.bottom);
  }

  int32_t linesBefore = 0;
  int32_t positionsBefore = 0;
  uint32_t offset = 0;
  fPages.GetPageStart(page, 0, linesBefore, positionsBefore, offset);
  int32_t line = linesBefore;
  const int32_t columns = pass.viewMode == 0 ? std::clamp<int32_t>(params.GetColumns(), 1, xMorvaPageRecord::kMaxColumns) : 1;
  // The body starts below a header's lines that reach over the top
  // margin, where the pages were filled from.
  const int32_t bodyTop = top + fPages.BodyTopOf(page);
  int32_t y = pass.viewMode == 0 ? bodyTop : top;
  for (int32_t k = 0; k < columns; ++k) {
    // The continuous view shows the text without its page margins, at the
    // ruler's offset, as the caret and the hit test place it.
    const int32_t x = pass.pageLeft + (pass.viewMode == 0 ? params.ColumnLeft(page, k) : params.RulerOffset());
    int32_t n = pass.viewMode == 0 ? record.columnLines[k] : record.lines;
    if (pass.viewMode == 0) y = bodyTop;
    for (; n > 0 && line < body.GetLineCount(); --n, ++line) {
      const xMorvaLineRecord& l = body.GetLine(line);
      if (y + l.height > pass.top && y < pass.bottom) {
        DrawLines(pass.port, pass.selection, *engine, offset, pass.font, l, page, x, y, false);
      }
      y += l.height;
      offset += l.bytes;
    }
  }

  if (pass.viewMode == 0 && params.HasFooter(page)) {
    const int32_t pageBottom = top + pageHeight;
    const int16_t footer = fDocument.FooterForPage(page);
    const bool known = footer >= 0 && footer < 7 && fLines[footer] != nullptr;
    const xMorvaDocParams::FooterPlace place =
        params.FooterPlaceOf(page, known ? fLines[footer]->GetTotalHeight() : 0);
    DrawHeaderOrFooter(pass, footer, page, pageBottom - place.top, pageBottom - place.bottom);
  }
  if (pictures != nullptr) pictures->DrawPictures(fDocument, pass.port, pass.pageLeft, top, page, false, !pass.screen);
  if (pass.viewMode == 0 && pass.screen && top + pageHeight >= pass.top && top + pageHeight <= pass.bottom) {
    DrawPageMarkers(pass, page, top);
  }
}

void xMorvaDocumentDrawing::DrawHeaderOrFooter(PassState& pass, int16_t part, int32_t page,
                                               int32_t areaTop, int32_t areaBottom) {
  if (areaBottom <= areaTop || areaBottom < pass.top || areaTop > pass.bottom) return;
  if (part < 0 || part >= 7 || fLines[part] == nullptr) return;
  xMorvaLines& lines = *fLines[part];
  xMorvaEngine* engine = lines.GetEngine();
  if (engine == nullptr) return;
  const xMorvaDocParams& params = fDocument.GetParams();
  const int32_t textLeft = pass.pageLeft + params.TextLeft(page);
  const int32_t textWidth = params.ColumnWidth(true);
  pass.port.PushClip(false);
  pass.port.ClipToRect(VRect(pass.pageLeft, areaTop, params.GetPageWidth(), areaBottom - areaTop), true);
  int32_t y = areaTop;
  uint32_t offset = 0;
  bool overflow = false;
  for (int32_t i = 0; i < lines.GetLineCount(); ++i) {
    if (y >= areaBottom) {
      overflow = true;
      break;
    }
    const xMorvaLineRecord& l = lines.GetLine(i);
    DrawLines(pass.port, pass.selection, *engine, offset, pass.font, l, page, textLeft, y, false);
    y += l.height;
    offset += l.bytes;
  }
  pass.port.PopClip();
  if (overflow && engine->GetLength() > 0 && pass.screen) {
    DrawCrossMark(pass.port, textLeft + textWidth, areaBottom);
  }
}

void xMorvaDocumentDrawing::DrawPageMarkers(PassState& pass, int32_t page, int32_t top) {
  const xMorvaDocParams& params = fDocument.GetParams();
  VPort& port = pass.port;
  const xMorvaPageRecord record = fPages.GetPage(page);
  const int32_t columns = std::clamp<int32_t>(params.GetColumns(), 1, xMorvaPageRecord::kMaxColumns);
  const int32_t columnWidth = params.ColumnWidth(false);
  // Where the pages were filled: the body starts below a header's lines
  // and ends above a footer's that reach over the margins.
  const int32_t bodyTop = top + fPages.BodyTopOf(page);
  const int32_t bodyBottom = bodyTop + fPages.BodyHeightOf(page);
  if (params.GetColumnLines() != 0 && columns >= 2) {
    UseInk(port, kInk);
    for (int32_t k = 0; k + 1 < columns; ++k) {
      if (record.columnLines[k] == 0 || record.columnLines[k + 1] == 0) continue;
      const int32_t x = pass.pageLeft + params.ColumnLeft(page, k) + columnWidth + params.GetColumnSpacing() / 2;
      port.DrawLine(x, bodyTop, x, bodyBottom);
    }
  }
  if (params.GetViewFlag(kOptionBoundaries) != 0) {
    UseInk(port, kBoundaryColour);
    const int32_t binding = params.GetBinding();
    if (binding > 0) {
      const int32_t x = params.BindingOnLeft(page) ? pass.pageLeft + binding
                                                   : pass.pageLeft + params.GetPageWidth() - binding;
      port.DrawLine(x, top, x, top + params.GetPageHeight());
    }
    for (int32_t k = 0; k < columns; ++k) {
      port.FrameRect(pass.pageLeft + params.ColumnLeft(page, k) - 1, bodyTop - 1, columnWidth + 2,
                     bodyBottom - bodyTop + 2);
    }
    const int32_t textLeft = pass.pageLeft + params.TextLeft(page);
    const int32_t textWidth = params.ColumnWidth(true);
    if (params.HasHeader(page) && params.HeaderBottom(page) > params.HeaderTop(page)) {
      port.FrameRect(textLeft - 1, top + params.HeaderTop(page) - 1, textWidth + 2,
                     params.HeaderBottom(page) - params.HeaderTop(page) + 2);
    }
    if (params.HasFooter(page) && params.FooterTop(page) > params.FooterBottom(page)) {
      const int32_t pageBottom = top + params.GetPageHeight();
      port.FrameRect(textLeft - 1, pageBottom - params.FooterTop(page) - 1, textWidth + 2,
                     params.FooterTop(page) - params.FooterBottom(page) + 2);
    }
  }
}

// One line's walk: its items drawn (or only measured) through the font,
// with what the highlight needs noted on the way: the pen x where the
// selection begins and ends on the line, the italic look at each end, the
// font's baseline offset and height at the start, and a selected picture.
struct xMorvaDocumentDrawing::LineWalk {
  LineWalk(xMorvaDocumentDrawing& drawing, xMorvaEngine& engine, xMorvaFont& font,
           const xMorvaLineRecord& line, uint8_t* s, uint32_t size, int32_t y, uint32_t selStart,
           uint32_t selEnd, uint32_t flags, bool screen, bool singlePicture, int32_t pictureRoom)
      : drawing(drawing),
        engine(engine),
        font(font),
        line(line),
        s(s),
        size(size),
        y(y),
        selStart(selStart),
        selEnd(selEnd),
        flags(flags),
        screen(screen),
        singlePicture(singlePicture),
        pictureRoom(pictureRoom),
        lineStartX(font.GetPenX()) {}

  // Walks the bytes from `lineStart` to `end`.
  void Walk(uint32_t lineStart, uint32_t end);
  // The element at `at` (`itemAt` is where the entered element begins
  // when the walk is inside one): entered, drawn, or stepped over; the
  // offset the walk goes on from.
  uint32_t TakeElement(const StreamItem& item, uint32_t at, uint32_t itemAt);
  // A picture element, at the size it is laid out at in the line's room:
  // drawn from its decoded picture, else stepped over; noted when
  // selected.
  void TakePicture(const StreamItem& item, uint32_t at, uint32_t itemAt);
  // After the last item: the ends of the selection not met on the way,
  // and the paragraph mark's width for a selection that runs past it.
  void Finish(uint32_t lineStart, uint32_t lineEnd);
  // The caret's bar, while a drag is tracked.
  void AddCaret(VRegion& region, uint32_t lineStart, uint32_t lineEnd, bool dragPass) const;
  // The share of a non-empty selection, slanted at an italic end.
  void AddHighlight(VRegion& region, uint32_t lineStart) const;

  void Note(uint32_t at);
  bool Selected(uint32_t at) const { return at >= selStart && at < selEnd; }

  xMorvaDocumentDrawing& drawing;
  xMorvaEngine& engine;
  xMorvaFont& font;
  const xMorvaLineRecord& line;
  uint8_t* const s;
  const uint32_t size;
  const int32_t y;
  const uint32_t selStart;
  const uint32_t selEnd;
  const uint32_t flags;
  const bool screen;
  const bool singlePicture;
  const int32_t pictureRoom;
  const int32_t lineStartX;
  // Inside a computed element: where it begins and ends (0: not inside).
  uint32_t elementStart = 0;
  uint32_t elementEnd = 0;
  bool started = false;
  bool startNoted = false;
  bool endNoted = false;
  int32_t startX = 0;
  int32_t endX = 0;
  bool startItalic = false;
  bool endItalic = false;
  int32_t baseline = 0;
  int32_t fontHeight = 0;
  bool filled = false;
  bool pictureSelected = false;
  VRect pictureRect;
};

void xMorvaDocumentDrawing::LineWalk::Note(uint32_t at) {
  if (!startNoted && at >= selStart) {
    startNoted = true;
    startX = font.GetPenX();
    startItalic = font.IsItalic();
    font.GetRunOffsets(baseline, fontHeight);
  }
  if (!endNoted && at >= selEnd) {
    endNoted = true;
    endX = font.GetPenX();
    endItalic = font.IsItalic();
  }
}

void xMorvaDocumentDrawing::LineWalk::Walk(uint32_t lineStart, uint32_t end) {
  // A line that begins inside a computed element's text knows that
  // element's end from its element tail.
  elementEnd = line.elementTail != 0
                   ? uint32_t(std::min<uint64_t>(uint64_t(lineStart) + line.elementTail, size))
                   : 0;
  elementStart = lineStart;
  for (uint32_t at = lineStart; at < end;) {
    if (elementEnd != 0 && at >= elementEnd) {
      elementEnd = 0;
      continue;
    }
    const StreamItem item = ReadStreamItem(s + at, size - at);
    if (item.kind == StreamItem::kRecord) {
      font.FlushRun(flags);
      if (item.size == kRecordSize && item.unit < 46) font.ApplyProperty(item.unit, int32_t(item.value), false);
      at += item.size;
      continue;
    }
    if (!started) {
      started = true;
      font.DrawParagraphStart(flags);
    }
    const uint32_t itemAt = elementEnd != 0 ? elementStart : at;
    if (item.kind == StreamItem::kElement) {
      at = TakeElement(item, at, itemAt);
      continue;
    }
    if (elementEnd == 0) Note(at);
    if (Selected(itemAt) && font.HasBackColour()) filled = true;
    font.ProcessUnit(item.unit, flags);
    at += 2;
  }
}

uint32_t xMorvaDocumentDrawing::LineWalk::TakeElement(const StreamItem& item, uint32_t at,
                                                      uint32_t itemAt) {
  font.FlushRun(flags);
  font.BreakCluster();
  if (elementEnd == 0) Note(at);
  const uint16_t code = item.unit;
  if (code >= kFirstComputedCode && elementEnd == 0 && item.size >= kElementHeadSize) {
    // Entered: its visible text is drawn like text.
    if (code == xMorvaElementCode::SoftHyphen && screen) font.DrawSoftHyphenMark();
    elementStart = at;
    elementEnd = at + item.size;
    return at + item.skipSize;
  }
  if (code == xMorvaElementCode::Tab && item.size >= kElementHeadSize + 14) {
    if (Selected(itemAt) && font.HasBackColour()) filled = true;
    font.DrawTab(s + at + kElementHeadSize, flags);
  } else if (code == xMorvaElementCode::Pict) {
    TakePicture(item, at, itemAt);
  }
  return at + item.size;
}

void xMorvaDocumentDrawing::LineWalk::TakePicture(const StreamItem& item, uint32_t at,
                                                  uint32_t itemAt) {
  int32_t w = 0;
  int32_t h = 0;
  int16_t mode = 0;
  if (flags & kFontDraw) {
    VPictureShape* shape = engine.GetPictureForDrawing(s + at, item.size, w, h, mode);
    const xMorvaPictureExtent extent = LaidOutPictureSize(w, h, pictureRoom);
    w = extent.width;
    h = extent.height;
    int32_t px = 0;
    int32_t py = 0;
    font.DrawPicture(px, py, w, h, shape, mode);
    if (Selected(itemAt)) pictureRect = VRect(px, py, w, h);
  } else {
    xMorvaPictureHeader header;
    if (ReadPictureHeader(s + at, item.size, header)) {
      const xMorvaPictureExtent extent =
          LaidOutPictureSize(header.shownWidth, header.shownHeight, pictureRoom);
      w = extent.width;
      h = extent.height;
    }
    const int32_t px = font.GetPenX();
    font.MovePenBy(w);
    if (Selected(itemAt)) pictureRect = VRect(px, y + line.ascent - h, w, h);
  }
  if (Selected(itemAt)) {
    if (drawing.IsNotTracking()) filled = true;
    // Selected as a picture, with its frame and handles: a picture
    // element selected alone, and the picture a host expression
    // selected alone shows as its result (the one the engine's
    // picture commands and the edit dialog work on).
    if (singlePicture && (elementEnd == 0 || int64_t(at) == engine.FindSelectedPicture(s)))
      pictureSelected = true;
  }
}

void xMorvaDocumentDrawing::LineWalk::Finish(uint32_t lineStart, uint32_t lineEnd) {
  font.FlushRun(flags);
  if (!startNoted && selStart <= lineEnd && selStart >= lineStart) Note(selStart);
  const bool reachedEnd = !endNoted;
  if (!endNoted) {
    endNoted = true;
    endX = font.GetPenX();
    endItalic = font.IsItalic();
  }
  if (reachedEnd && (line.flags & kLineLastOfParagraph) && selEnd >= lineEnd && selStart < lineEnd) {
    endX += font.GetPilcrowWidth();
  }
}

void xMorvaDocumentDrawing::LineWalk::AddCaret(VRegion& region, uint32_t lineStart,
                                               uint32_t lineEnd, bool dragPass) const {
  // A caret is part of the region only while a drag is tracked.
  if (!dragPass || selStart < lineStart || selStart > lineEnd) return;
  if (selStart == lineEnd && !(line.flags & kLineLastOfText)) return;
  const int32_t cx = startNoted ? startX : lineStartX;
  const int32_t barTop = y + baseline;
  if (startItalic) {
    const int32_t slant = fontHeight / 8;
    VPolygon bar;
    bar.AddPoint(cx - 1 + slant, barTop);
    bar.AddPoint(cx + 1 + slant, barTop);
    bar.AddPoint(cx + 1, barTop + fontHeight);
    bar.AddPoint(cx - 1, barTop + fontHeight);
    bar.Finish();
    region.UnionPolygon(bar);
  } else {
    region.UnionBox(cx - 1, barTop, 2, fontHeight);
  }
}

void xMorvaDocumentDrawing::LineWalk::AddHighlight(VRegion& region, uint32_t lineStart) const {
  const int32_t sx = selStart <= lineStart ? lineStartX : (startNoted ? startX : endX);
  const int32_t ex = endX;
  if (ex <= sx) return;
  const int32_t slant = line.height / 8;
  const bool slantStart = selStart > lineStart && startItalic;
  if ((slantStart || endItalic) && slant > 0) {
    VPolygon shape;
    shape.AddPoint(sx + (slantStart ? slant : 0), y);
    shape.AddPoint(ex + (endItalic ? slant : 0), y);
    shape.AddPoint(ex, y + line.height);
    shape.AddPoint(sx, y + line.height);
    shape.Finish();
    region.UnionPolygon(shape);
  } else {
    region.UnionBox(sx, y, ex - sx, line.height);
  }
}

int16_t xMorvaDocumentDrawing::LayOutLineForPage(xMorvaEngine& engine, xMorvaFont& font,
                                                 uint32_t lineStart,
                                                 const xMorvaLineRecord& composed, int32_t page,
                                                 xMorvaLineRecord& line) {
  int16_t part = -1;
  for (int16_t p = 0; p < 7 && part < 0; ++p) {
    if (fLines[p] != nullptr && fLines[p]->GetEngine() == &engine) part = p;
  }
  // Page numbers show this page's number before the line is laid out; the
  // line's width is that of the numbers shown.
  if (part >= 0) {
    fLines[part]->LayOutPageNumbers(font, lineStart, composed, page, line);
  } else {
    line = composed;
    part = 0;
  }
  return part;
}

void xMorvaDocumentDrawing::DrawLines(VPort& port, xMorvaSelectionState* selection,
                                      xMorvaEngine& engine, uint32_t lineStart, xMorvaFont& font,
                                      const xMorvaLineRecord& composed, int32_t page, int32_t x,
                                      int32_t y, bool noSelection) {
  const bool dragPass = (fMode & kDrawSelectionDrag) != 0;
  const bool regionPass = (fMode & kDrawRegionPass) != 0;
  const uint32_t selStart = dragPass ? fDragStart : engine.GetSelStartOffset();
  const uint32_t selEnd = dragPass ? fDragEnd : engine.GetSelEndOffset();
  const uint64_t lineEnd64 = uint64_t(lineStart) + composed.bytes;
  if ((dragPass || regionPass) && ((selStart < lineStart && selEnd < lineStart) ||
                                   (selStart > lineEnd64 && selEnd > lineEnd64))) {
    return;
  }
  xMorvaLineRecord line;
  const int16_t part = LayOutLineForPage(engine, font, lineStart, composed, page, line);
  uint8_t* s = engine.LockStream();
  if (s == nullptr) return;
  const uint32_t size = engine.GetStreamSize();
  const uint32_t lineEnd = uint32_t(std::min<uint64_t>(lineEnd64, size));
  uint32_t end = lineEnd;
  // A line broken at a space neither draws nor highlights that space.
  if ((line.flags & kLineBreakAtSpace) && end >= lineStart + 2) end -= 2;
  const uint32_t flags = (fMode & kDrawPaint) ? kFontDraw : 0;
  const bool screen = !fPrinting && (fMode & kDrawPaint) != 0;

  font.BeginLineAt(&line, x, y, fDocument.GetTextWidth(part), !screen);

  const bool isCurrent = IsCurrentFlow(engine);
  const bool singlePicture = engine.GetSelEnd() - engine.GetSelStart() == 1 && !dragPass;
  const xMorvaLines* flow =
      fLines[part] != nullptr && fLines[part]->GetEngine() == &engine ? fLines[part] : nullptr;
  LineWalk walk(*this, engine, font, line, s, size, y, selStart, selEnd, flags, screen,
                singlePicture, flow != nullptr ? flow->PictureRoom(line) : 0);
  walk.Walk(lineStart, end);
  walk.Finish(lineStart, lineEnd);
  engine.UnlockStream();

  if (walk.filled && IsNotTracking() && selection != nullptr && isCurrent) selection->kind = 1;
  if (walk.pictureSelected && isCurrent) {
    fPictureNoted = true;
    fSelectedPicture = walk.pictureRect;
    fPictureEngine = &engine;
  }
  if (noSelection || selection == nullptr || !isCurrent) return;
  if (selStart == selEnd) {
    walk.AddCaret(selection->region, lineStart, lineEnd, dragPass);
    return;
  }
  if (!(selStart < lineEnd64 && selEnd > lineStart)) return;
  if (walk.pictureSelected && screen && selection->active) {
    DrawPictureHandles(port, walk.pictureRect);
    return;
  }
  walk.AddHighlight(selection->region, lineStart);
}

void xMorvaDocumentDrawing::DrawCrossMark(VPort& port, int32_t x, int32_t y) {
  if (fPrinting) return;
  UseInk(port, kInk);
  port.FrameRect(x - 10, y - 10, 11, 11);
  port.DrawLine(x - 8, y - 5, x - 2, y - 5);
  port.DrawLine(x - 5, y - 8, x - 5, y - 2);
}

void xMorvaDocumentDrawing::DrawPictureHandles(VPort& port, const VRect& rect) {
  if (fHandlesDrawn || rect.GetWidth() <= 0 || rect.GetHeight() <= 0) return;
  if (!port.IsVRectVisible(rect)) return;
  fHandlesDrawn = true;
  fPictureFrame = rect;
  UseInk(port, kInk);
  port.SetFillPatternIndex(kSolid);
  port.SetFillColorIndex(0);
  port.FrameVRect(rect);
  const int32_t l = rect.GetLeft();
  const int32_t t = rect.GetTop();
  const int32_t r = l + rect.GetWidth();
  const int32_t b = t + rect.GetHeight();
  auto handle = [&](int32_t cx, int32_t cy) {
    const VRect box(cx - kHandleSize / 2, cy - kHandleSize / 2, kHandleSize, kHandleSize);
    port.PaintAndFrameVRect(box);
    return box;
  };
  fCorners[0] = handle(l, t);
  fCorners[1] = handle(r, t);
  fCorners[2] = handle(l, b);
  fCorners[3] = handle(r, b);
  fMiddleTopBottom = rect.GetWidth() >= kMiddleHandleMinimum;
  fMiddleLeftRight = rect.GetHeight() >= kMiddleHandleMinimum;
  if (fMiddleTopBottom) {
    handle(l + rect.GetWidth() / 2, t);
    handle(l + rect.GetWidth() / 2, b);
  }
  if (fMiddleLeftRight) {
    handle(l, t + rect.GetHeight() / 2);
    handle(r, t + rect.GetHeight() / 2);
  }
}
