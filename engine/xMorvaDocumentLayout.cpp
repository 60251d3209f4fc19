// The lines and pages of a document, kept up to date with its texts, and
// the geometry that maps byte offsets to lines on pages and back.
#include "engine/xMorvaDocumentLayout.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaTabs.h"
#include "engine/xMorvaDocumentDrawing.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaLines.h"
#include "engine/xMorvaPages.h"
#include "framework/core/intl/Clusters.h"

namespace {

// Records reserved at first: the body's table is the large one.
constexpr int32_t kBodyRecords = 20;
constexpr int32_t kPartRecords = 4;

// Space above the first page and between pages, page view and continuous
// view.
constexpr int32_t kPageGap = 4;
constexpr int32_t kContinuousGap = 3;

// The view flag that shows invisible marks.
constexpr int32_t kMarksFlag = 15;

bool IsHeaderPart(int16_t part) { return part == 1 || part == 3 || part == 5; }

// A tab element's layout cache behind its head: two f32 widths, the kind
// and the leader.
struct TabCache {
  uint32_t at = 0;  // the element's offset
  bool found = false;
  float width = 0;
  uint16_t kind = 0;
  uint16_t leader = 0;
};

TabCache ReadTabCache(const uint8_t* s, uint32_t at, uint32_t size) {
  TabCache tab;
  if (size < kElementHeadSize + 14) return tab;
  const uint32_t bits = StreamLong(s + at + kElementHeadSize);
  std::memcpy(&tab.width, &bits, sizeof tab.width);
  tab.kind = StreamUnit(s + at + kElementHeadSize + 8);
  tab.leader = StreamUnit(s + at + kElementHeadSize + 10);
  tab.at = at;
  tab.found = true;
  return tab;
}

// Both laid-out widths of the tab at `at` narrowed by `by`.
void NarrowTab(uint8_t* s, uint32_t at, float width, double by) {
  const float narrowed = float(double(width) - by);
  uint32_t bits = 0;
  std::memcpy(&bits, &narrowed, sizeof bits);
  PutStreamLong(s + at + kElementHeadSize, bits);
  PutStreamLong(s + at + kElementHeadSize + 4, bits);
}

// The page numbers of parts `first` to `last` as they show now, and the
// tabs laid out around them, put back as they were when this goes. A
// header's or footer's numbers show the page the part is first met on;
// measuring the part composes them with the widest text of their style,
// and drawing, printing, measuring or hit-testing it on a page lays them
// out for that page. None of these is an edit: what a writer writes
// afterwards must not depend on the page the screen showed last. The body
// needs keeping only where its lines are drawn as one page: each of its
// numbers is laid out for the page its line is on, which is the page
// every other drawing and measure of the line gives it.
class ShownPageNumbers {
 public:
  ShownPageNumbers(xMorvaEngine* const* engines, int16_t first, int16_t last) {
    for (int16_t part = first; part <= last; ++part) {
      Part kept{engines[part], 0, {}};
      const uint8_t* s = kept.engine->LockStream();
      if (s == nullptr) continue;
      kept.size = kept.engine->GetStreamSize();
      bool numbered = false;
      Walk(s, kept.size, [&](uint32_t at, uint32_t size, bool number) {
        numbered = numbered || number;
        kept.items.push_back({at, std::vector<uint8_t>(s + at, s + at + size)});
      });
      kept.engine->UnlockStream();
      if (numbered) fParts.push_back(std::move(kept));
    }
  }
  ~ShownPageNumbers() {
    for (const Part& kept : fParts) {
      uint8_t* s = kept.engine->LockStream();
      if (s == nullptr) continue;
      // Composing and drawing change no element's size nor place.
      if (kept.engine->GetStreamSize() == kept.size) {
        for (const auto& [at, bytes] : kept.items) {
          if (ComposedAnew(s + at, bytes)) continue;
          std::memcpy(s + at, bytes.data(), bytes.size());
        }
      }
      kept.engine->UnlockStream();
    }
  }
  ShownPageNumbers(const ShownPageNumbers&) = delete;
  ShownPageNumbers& operator=(const ShownPageNumbers&) = delete;

 private:
  struct Part {
    xMorvaEngine* engine;
    uint32_t size;
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> items;  // offset, the element's bytes
  };
  // Whether the tab at `now` was composed again to another width than it
  // had (`kept`): a composition at a new text width lays its tabs out
  // anew, and they stay so. Laying out page numbers changes only a tab's
  // first width and its leaders, never the second, the width composition
  // gave it.
  static bool ComposedAnew(const uint8_t* now, const std::vector<uint8_t>& kept) {
    constexpr uint32_t kComposedWidth = kElementHeadSize + 4;
    return StreamUnit(now + 2) == xMorvaElementCode::Tab && kept.size() >= kComposedWidth + 4 &&
           std::memcmp(now + kComposedWidth, kept.data() + kComposedWidth, 4) != 0;
  }
  // Each page number and each tab (whose laid-out width follows the
  // numbers before it on its line): `each`(offset, size, is a number).
  template <typename Each>
  static void Walk(const uint8_t* s, uint32_t size, Each&& each) {
    for (uint32_t at = 0; at < size;) {
      const StreamItem item = ReadStreamItem(s + at, size - at);
      if (item.kind == StreamItem::kElement &&
          (item.unit == xMorvaElementCode::PageNumber || item.unit == xMorvaElementCode::Tab)) {
        each(at, item.size, item.unit == xMorvaElementCode::PageNumber);
      }
      at += std::max<uint32_t>(item.size, 1);
    }
  }
  std::vector<Part> fParts;
};

// Whether the `bytes` bytes from `lineStart` hold a page number that shows
// the page count.
bool LineShowsPageCount(xMorvaEngine& engine, uint32_t lineStart, uint32_t bytes) {
  const uint8_t* s = engine.LockStream();
  if (s == nullptr) return false;
  const uint32_t size = engine.GetStreamSize();
  const uint32_t end = uint32_t(std::min<uint64_t>(uint64_t(lineStart) + bytes, size));
  bool count = false;
  for (uint32_t at = lineStart; at < end && !count;) {
    const StreamItem item = ReadStreamItem(s + at, size - at);
    // The format word follows the computed element's 14-byte head.
    constexpr uint32_t kFormatAt = kElementHeadSize + 14;
    if (item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::PageNumber &&
        item.size >= kFormatAt + 4) {
      count = (StreamLong(s + at + kFormatAt) & kPageNumberCount) != 0;
    }
    at += std::max<uint32_t>(item.size, 1);
  }
  engine.UnlockStream();
  return count;
}

// Units after which a line may break.
bool IsBreakUnit(uint16_t u) {
  return IsSpaceUnit(u) || u == 0x00AD || u == 0x002D || u == 0x2013 || u == 0x2014 ||
         (u >= 0x1100 && u <= 0x1DFF) || (u >= 0x3000 && u <= 0xFB4F);
}

}  // namespace

xMorvaDocumentLayout::xMorvaDocumentLayout(xMorvaDocumentInterface& document,
                                           xMorvaEngine* const engines[kPartCount], VPort* port)
    : fDocument(document) {
  for (int part = 0; part < kPartCount; ++part) {
    fEngines[part] = engines[part];
    fLines[part] = std::make_unique<xMorvaLines>(&document, engines[part], int16_t(part),
                                                 part == kBody ? kBodyRecords : kPartRecords);
    fLinePointers[part] = fLines[part].get();
    fWidths[part] = -1;
    engines[part]->SetLines(fLines[part].get());
  }
  fPages = std::make_unique<xMorvaPages>(&document, fLines[kBody].get());
  fFont = std::make_unique<xMorvaFont>(port, &document);
  // Drawing reads the page parts and view options that only the full
  // document keeps.
  if (auto* full = dynamic_cast<xMorvaDocument*>(&document)) {
    fDrawing = std::make_unique<xMorvaDocumentDrawing>(*full, fLinePointers, *fPages);
  }
}

xMorvaDocumentLayout::~xMorvaDocumentLayout() {
  for (int part = 0; part < kPartCount; ++part) {
    if (fEngines[part] != nullptr && fEngines[part]->GetLines() == fLines[part].get())
      fEngines[part]->SetLines(nullptr);
  }
}

xMorvaLines* xMorvaDocumentLayout::GetLines(int16_t part) const {
  return IsPart(part) ? fLinePointers[part] : nullptr;
}

xMorvaEngine* xMorvaDocumentLayout::GetEngine(int16_t part) const {
  return IsPart(part) ? fEngines[part] : nullptr;
}

xMorvaDocumentLayout::PageGeometry xMorvaDocumentLayout::CurrentGeometry() const {
  const xMorvaDocParams& params = fDocument.GetParams();
  PageGeometry g;
  // The body starts below the lines of a header, and ends above those of
  // a footer, that reach over the margin from a band of no height; the
  // other pages fill from below the taller of their headers (a left
  // page's and a right page's) to above the taller of their footers. A
  // part without text has its empty line only, which takes no room.
  auto linesHeight = [&](int16_t part) {
    return fEngines[part] != nullptr && fEngines[part]->GetLength() > 0 ? fLines[part]->GetTotalHeight() : 0;
  };
  auto body = [&](int32_t page, int32_t next) {
    const int32_t header =
        std::max(linesHeight(HeaderPartOfPage(params, page)), linesHeight(HeaderPartOfPage(params, next)));
    const int32_t footer =
        std::max(linesHeight(FooterPartOfPage(params, page)), linesHeight(FooterPartOfPage(params, next)));
    return xMorvaPages::BodyPlace{params.BodyTopMargin(page, header), params.TextHeight(page, header, footer)};
  };
  g.first = body(0, 0);
  g.other = body(1, 2);
  g.columns = params.GetColumns();
  g.widow = params.GetWidowControl();
  return g;
}

void xMorvaDocumentLayout::ApplyViewOptions() {
  const xMorvaDocParams& params = fDocument.GetParams();
  fFont->SetShowMarks(params.GetViewFlag(kMarksFlag) != 0);
  fFont->SetViewMode(params.GetViewMode());
}

int32_t xMorvaDocumentLayout::Paginate(int32_t fromPage) {
  if (fromPage == 0) fGeometry = CurrentGeometry();
  fPages->SetBodyPlaces(fGeometry.first, fGeometry.other);
  return fPages->ComputePageBreaks(fromPage);
}

int32_t xMorvaDocumentLayout::ComposeAll() {
  ApplyViewOptions();
  int32_t status = 0;
  // The headers and footers first, then the body.
  for (int part = kPartCount - 1; part >= 0; --part) {
    fWidths[part] = fDocument.GetTextWidth(int16_t(part));
    const int32_t result = fLines[part]->ComposeAll(*fFont, part == kBody);
    if (status == 0) status = result;
  }
  const int32_t pages = Paginate(0);
  RefreshPageNumbers();
  return status != 0 ? status : pages;
}

int32_t xMorvaDocumentLayout::ComposePart(int16_t part) {
  if (!IsPart(part)) return 0;
  ApplyViewOptions();
  fWidths[part] = fDocument.GetTextWidth(part);
  const int32_t status = fLines[part]->ComposeAll(*fFont, part == kBody);
  // A header's or footer's lines may move where the body starts or ends.
  const int32_t pages = part == kBody || !(CurrentGeometry() == fGeometry) ? Paginate(0) : 0;
  RefreshPageNumbers();
  return status != 0 ? status : pages;
}

int32_t xMorvaDocumentLayout::Update() {
  ApplyViewOptions();
  int32_t status = 0;
  int32_t bodyFirst = -1;
  bool changed = false;
  for (int part = kPartCount - 1; part >= 0; --part) {
    // A part whose text width changed is composed whole.
    const int32_t width = fDocument.GetTextWidth(int16_t(part));
    if (width != fWidths[part]) {
      fWidths[part] = width;
      fLines[part]->NoteCleared();
    }
    if (!fLines[part]->HasPendingChange()) continue;
    changed = true;
    int32_t first = -1;
    const int32_t result = fLines[part]->Update(*fFont, first);
    if (status == 0) status = result;
    if (part == kBody) bodyFirst = first;
  }
  int32_t pages = 0;
  if (!(CurrentGeometry() == fGeometry) || fPages->GetPageCount() == 0 ||
      fPages->NeedsFullRebuild()) {
    pages = Paginate(0);
    changed = true;
  } else if (bodyFirst >= 0) {
    // The pages before the one holding the first composed line keep their
    // lines; the page before it may have given a line to it (widow and
    // orphan control), so filling starts there.
    // Filling stops at the first page after the new lines that begins as
    // it began before.
    const int32_t page = fPages->FindPageForLine(bodyFirst);
    const xMorvaLines::Replaced& replaced = fLines[kBody]->GetLastReplaced();
    if (replaced.whole || replaced.first != bodyFirst) {
      pages = Paginate(std::max(page - 1, 0));
    } else {
      pages = fPages->ComputePageBreaks(std::max(page - 1, 0), replaced.first, replaced.oldCount,
                                        replaced.newCount);
    }
    changed = true;
  }
  if (changed) RefreshPageNumbers();
  return status != 0 ? status : pages;
}

int32_t xMorvaDocumentLayout::GetPageCount() {
  Update();
  return fPages->GetPageCount();
}

int32_t xMorvaDocumentLayout::GetPageFirstPosition(int32_t page) {
  Update();
  if (page <= 0) return 0;
  int32_t lines = 0;
  int32_t positions = 0;
  uint32_t bytes = 0;
  fPages->GetPageStart(std::min(page, fPages->GetPageCount()), 0, lines, positions, bytes);
  return positions;
}

int32_t xMorvaDocumentLayout::PreparePageStart(int32_t page) {
  const int32_t first = GetPageFirstPosition(page);
  if (page <= 0) return first;
  int32_t line = 0;
  int32_t positions = 0;
  uint32_t bytes = 0;
  fPages->GetPageStart(std::min(page, fPages->GetPageCount()), 0, line, positions, bytes);
  // Back from the page's first line to the first line of its paragraph
  // whose record holds the tab stops at its start: the walk takes up the
  // line's state there.
  const xMorvaLines& lines = *fLines[kBody];
  line = std::min(line, lines.GetLineCount());
  while (line > 0) {
    if (line < lines.GetLineCount()) {
      const xMorvaLineRecord& record = lines.GetLine(line);
      if ((record.flags & kLineFirstOfParagraph) != 0 && record.stops != nullptr) {
        fEngines[kBody]->NoteParagraphStart(positions, bytes, record.state, *record.stops);
        break;
      }
    }
    --line;
    bytes -= lines.GetLine(line).bytes;
    positions -= lines.GetLine(line).positions;
  }
  return first;
}

int32_t xMorvaDocumentLayout::Repaginate() {
  const int32_t status = Update();
  const int32_t pages = Paginate(0);
  RefreshPageNumbers();
  return status != 0 ? status : pages;
}

int32_t xMorvaDocumentLayout::PageOfPart(int16_t part) {
  // The left (even) pages' header and footer are first met on the second
  // page; every other part on the first.
  return part == kPartLeftHeader || part == kPartLeftFooter ? 1 : 0;
}

void xMorvaDocumentLayout::RefreshPageNumbers() {
  if (fRefreshingPageNumbers) return;
  fRefreshingPageNumbers = true;
  RefreshBodyPageNumbers();
  // A header or footer holds a few lines: they are walked whole, their
  // numbers laid out for the page the part is first met on.
  for (int16_t part = 1; part < kPartCount; ++part) {
    xMorvaLines& lines = *fLines[part];
    const bool composed = lines.TakePageNumbersComposed();
    if (!composed && !fHasPageNumbers[part]) continue;
    fHasPageNumbers[part] = false;
    const int32_t page = PageOfPart(part);
    uint32_t lineStart = 0;
    for (int32_t index = 0; index < lines.GetLineCount(); ++index) {
      const xMorvaLineRecord& line = lines.GetLine(index);
      if ((line.flags & kLineHasPageNumbers) != 0) {
        fHasPageNumbers[part] = true;
        xMorvaLineRecord laidOut;
        lines.LayOutPageNumbers(*fFont, lineStart, line, page, laidOut);
      }
      lineStart += line.bytes;
    }
  }
  fRefreshingPageNumbers = false;
}

void xMorvaDocumentLayout::FindNumberedLines() {
  const xMorvaLines& lines = *fLines[kBody];
  fNumberedLines.clear();
  for (int32_t index = 0; index < lines.GetLineCount(); ++index) {
    if ((lines.GetLine(index).flags & kLineHasPageNumbers) != 0) fNumberedLines.push_back({index, -1, -1});
  }
}

void xMorvaDocumentLayout::TrackNumberedLines(int32_t first, int32_t oldCount, int32_t newCount,
                                              int32_t written) {
  const xMorvaLines& lines = *fLines[kBody];
  auto before = [](const NumberedLine& numbered, int32_t line) { return numbered.line < line; };
  auto from = std::lower_bound(fNumberedLines.begin(), fNumberedLines.end(), first, before);
  auto to = std::lower_bound(from, fNumberedLines.end(), first + oldCount + written, before);
  // The records after the replaced ones are those of before, moved.
  for (auto it = to; it != fNumberedLines.end(); ++it) it->line += newCount - oldCount;
  std::vector<NumberedLine> composed;
  const int32_t end = std::min(first + newCount + written, lines.GetLineCount());
  for (int32_t index = std::max(first, 0); index < end; ++index) {
    if ((lines.GetLine(index).flags & kLineHasPageNumbers) != 0) composed.push_back({index, -1, -1});
  }
  from = fNumberedLines.erase(from, to);
  fNumberedLines.insert(from, composed.begin(), composed.end());
}

uint32_t xMorvaDocumentLayout::BodyLineStart(int32_t line, int32_t page) const {
  const xMorvaLines& lines = *fLines[kBody];
  int32_t linesBefore = 0;
  int32_t positionsBefore = 0;
  uint32_t bytesBefore = 0;
  fPages->GetPageStart(page, 0, linesBefore, positionsBefore, bytesBefore);
  if (linesBefore > line) {
    linesBefore = 0;
    bytesBefore = 0;
  }
  for (int32_t index = linesBefore; index < line; ++index) bytesBefore += lines.GetLine(index).bytes;
  return bytesBefore;
}

void xMorvaDocumentLayout::RefreshBodyPageNumbers() {
  xMorvaLines& lines = *fLines[kBody];
  // The lines composition gave the widest texts are among the records it
  // says it replaced or wrote again.
  lines.TakePageNumbersComposed();
  const uint64_t changes = lines.GetChangeCount();
  const xMorvaLines::Replaced& replaced = lines.GetLastReplaced();
  if (!fNumberedKnown || (changes != fNumberedChanges &&
                          (changes != fNumberedChanges + 1 || replaced.whole))) {
    FindNumberedLines();
  } else if (changes != fNumberedChanges) {
    TrackNumberedLines(replaced.first, replaced.oldCount, replaced.newCount, replaced.written);
  }
  fNumberedKnown = true;
  fNumberedChanges = changes;
  const int32_t firstPage = fDocument.GetParams().GetFirstPageNumber();
  const bool all = fNumbersDisturbed || firstPage != fNumbersFirstPage;
  fNumbersFirstPage = firstPage;
  fNumbersDisturbed = false;
  // The count the document gives a page count: an empty table is a page.
  const int32_t pageCount = std::max(fPages->GetPageCount(), 1);
  for (NumberedLine& numbered : fNumberedLines) {
    if (numbered.line >= lines.GetLineCount()) break;
    const int32_t page = fPages->FindPageForLine(numbered.line);
    if (!all && numbered.page == page && (numbered.count < 0 || numbered.count == pageCount)) continue;
    const xMorvaLineRecord& line = lines.GetLine(numbered.line);
    const uint32_t lineStart = BodyLineStart(numbered.line, page);
    xMorvaLineRecord laidOut;
    lines.LayOutPageNumbers(*fFont, lineStart, line, page, laidOut);
    numbered.page = page;
    numbered.count = LineShowsPageCount(*fEngines[kBody], lineStart, line.bytes) ? pageCount : -1;
  }
}

int32_t xMorvaDocumentLayout::GetBodyLinesHeight() {
  Update();
  return fLines[kBody]->GetTotalHeight();
}

int32_t xMorvaDocumentLayout::GetWidestBodyLine() {
  Update();
  return fLines[kBody]->GetWidestLine();
}

int32_t xMorvaDocumentLayout::GetLineCount(int16_t part) {
  if (!IsPart(part)) return 0;
  Update();
  return fLines[part]->GetLineCount();
}

int32_t xMorvaDocumentLayout::GetPartLinesHeight(int16_t part) {
  if (!IsPart(part) || part == kBody) return 0;
  // A header or footer is a few lines: composed whole, at its width now.
  // Composing sets each page number to the widest text of its style.
  const ShownPageNumbers shown(fEngines, part, part);
  ApplyViewOptions();
  fWidths[part] = fDocument.GetTextWidth(part);
  fLines[part]->ComposeAll(*fFont, false);
  return fLines[part]->GetTotalHeight();
}

// ---- Geometry.

xMorvaDocParams::HeaderPlace xMorvaDocumentLayout::HeaderPlaceOn(int32_t page) const {
  // Where the header the page shows stands, its lines reaching down from a
  // band of no height.
  const xMorvaDocParams& params = fDocument.GetParams();
  return params.HeaderPlaceOf(page, fLines[HeaderPartOfPage(params, page)]->GetTotalHeight());
}

int32_t xMorvaDocumentLayout::FooterTopOn(int32_t page) const {
  // Where the footer the page shows stands, raised as its lines need.
  const xMorvaDocParams& params = fDocument.GetParams();
  return params.FooterPlaceOf(page, fLines[FooterPartOfPage(params, page)]->GetTotalHeight()).top;
}

int32_t xMorvaDocumentLayout::LocateOffset(int16_t part, uint32_t offset, int32_t headerFooterPage,
                                           xMorvaLineLocation& where) {
  where = xMorvaLineLocation();
  if (!IsPart(part)) return 0;
  Update();
  const xMorvaDocParams& params = fDocument.GetParams();
  const xMorvaLines& lines = *fLines[part];
  const bool pageView = params.GetViewMode() == 0;
  const int32_t pageHeight = params.GetPageHeight();
  uint32_t bytesBefore = 0;
  int32_t yBefore = 0;
  int32_t positionsBefore = 0;
  int32_t firstLine = 0;
  int32_t pagesHeight = 0;
  if (part == kBody) {
    int32_t linesBefore = 0;
    where.page = fPages->FindPageForOffset(offset, bytesBefore, yBefore, linesBefore,
                                           positionsBefore, where.column);
    firstLine = linesBefore;
    // The heights the page search passed: the pages before, and in
    // continuous view the columns before on this page.
    pagesHeight = yBefore;
  } else {
    where.page = std::max(headerFooterPage, 0);
  }
  int32_t y = 0;
  int32_t height = 0;
  where.line = lines.FindLineForOffset(offset, firstLine, bytesBefore, y, positionsBefore, height);
  where.lineStart = bytesBefore;
  where.positionsBefore = positionsBefore;
  where.lineInColumn = where.line - firstLine;
  where.yInPart = y;
  where.height = height;
  where.textWidth = fDocument.GetTextWidth(part);
  if (pageView) {
    const int32_t pageTop = where.page * (pageHeight + kPageGap) + kPageGap;
    if (part == kBody) {
      where.top = pageTop + fPages->BodyTopOf(where.page) + y;
      where.left = params.ColumnLeft(where.page, where.column);
    } else if (IsHeaderPart(part)) {
      where.top = pageTop + params.HeaderPlaceOf(where.page, lines.GetTotalHeight()).top + y;
      where.left = params.TextLeft(where.page);
    } else {
      where.top = pageTop + pageHeight - params.FooterPlaceOf(where.page, lines.GetTotalHeight()).top + y;
      where.left = params.TextLeft(where.page);
    }
  } else {
    where.left = params.RulerOffset();
    where.top = kPageGap + kContinuousGap * where.page + (part == kBody ? pagesHeight : 0) + y;
  }
  return where.line;
}

int32_t xMorvaDocumentLayout::MeasureToOffset(int16_t part, const xMorvaLineLocation& where,
                                              uint32_t offset, bool& italic) {
  italic = false;
  if (!IsPart(part)) return where.left;
  // A header's or footer's numbers are measured for the caret's page.
  std::optional<ShownPageNumbers> shown;
  if (part != kBody) shown.emplace(fEngines, part, part);
  int32_t height = 0;
  const double x = fLines[part]->MeasureToOffset(*fFont, where.lineStart, offset, where.line,
                                                 height, where.page);
  italic = fFont->IsItalic();
  return where.left + int32_t(x);
}

bool xMorvaDocumentLayout::LineAtPoint(int32_t x, int32_t y, int16_t part, int32_t headerFooterPage,
                                       xMorvaLineHit& hit) {
  hit = xMorvaLineHit();
  Update();
  const xMorvaDocParams& params = fDocument.GetParams();
  const int32_t pageHeight = params.GetPageHeight();
  const int32_t pageCount = std::max(fPages->GetPageCount(), 1);
  int32_t first = 0;
  int32_t count = 0;
  uint32_t bytesBefore = 0;
  int32_t positionsBefore = 0;
  int32_t referenceY = 0;
  if (params.GetViewMode() == 0) {
    // The page band holding y: after the last page, the last page.
    int32_t page = 0;
    while (page + 1 < pageCount && y >= page * (pageHeight + kPageGap) + pageHeight + 2 * kPageGap)
      ++page;
    const int32_t bandTop = kPageGap + page * (pageHeight + kPageGap);
    const int32_t bandEnd = page * (pageHeight + kPageGap) + pageHeight + 2 * kPageGap;
    if (part < 0) {
      if (params.HasHeader(page) && y >= bandTop && y < bandTop + HeaderPlaceOn(page).bottom)
        part = 1;
      else if (params.HasFooter(page) && y >= bandEnd - FooterTopOn(page) - kPageGap)
        part = 2;
      else
        part = kBody;
    }
    if (part == kBody) {
      int32_t column = params.ColumnAt(page, x);
      if (column >= xMorvaPageRecord::kMaxColumns) column = xMorvaPageRecord::kMaxColumns - 1;
      fPages->GetPageStart(page, column, first, positionsBefore, bytesBefore);
      count = fPages->GetColumnLineCount(page, column);
      referenceY = bandTop + fPages->BodyTopOf(page);
    } else {
      // Which header or footer the page shows is the document's; the part
      // asked for (or the common one) is measured on that page's band.
      x -= params.TextLeft(page);
      referenceY = IsHeaderPart(part) ? bandTop + HeaderPlaceOn(page).top
                                      : bandTop + pageHeight - FooterTopOn(page);
    }
    hit.top = referenceY;
    hit.page = page;
  } else {
    if (part < 0) part = kBody;
    x -= params.RulerOffset();
    referenceY = kPageGap;
    if (part == kBody) {
      int32_t page = 0;
      for (; page + 1 < pageCount; ++page) {
        const xMorvaPageRecord record = fPages->GetPage(page);
        if (y < referenceY + record.height + kContinuousGap) break;
        referenceY += record.height + kContinuousGap;
        first += record.lines;
        positionsBefore += record.positions;
        bytesBefore += uint32_t(record.bytes);
      }
      count = fPages->GetPage(page).lines;
      hit.page = page;
    }
  }
  (void)headerFooterPage;
  const xMorvaLines& lines = *fLines[part];
  if (part != kBody) {
    first = 0;
    count = lines.GetLineCount();
  }
  count = std::min(count, lines.GetLineCount() - first);
  hit.part = part;
  if (count <= 0) {
    hit.line = std::max(std::min(first, lines.GetLineCount() - 1), 0);
    hit.lineStart = bytesBefore;
    hit.positionsBefore = positionsBefore;
    hit.x = x;
    hit.top = referenceY;
    return false;
  }
  int32_t line = first;
  int32_t top = referenceY;
  for (; line < first + count - 1; ++line) {
    const xMorvaLineRecord& record = lines.GetLine(line);
    if (y < top + record.height) break;
    top += record.height;
    bytesBefore += record.bytes;
    positionsBefore += record.positions;
  }
  // A line that begins inside a computed element's text is not a place of
  // its own: the hit goes on to the line where the element ends.
  while (line + 1 < lines.GetLineCount() && lines.GetLine(line).elementTail > lines.GetLine(line).bytes) {
    const xMorvaLineRecord& record = lines.GetLine(line);
    top += record.height;
    bytesBefore += record.bytes;
    positionsBefore += record.positions;
    ++line;
  }
  hit.line = line;
  hit.lineStart = bytesBefore;
  hit.positionsBefore = positionsBefore;
  hit.x = x;
  hit.top = top;
  return true;
}

int32_t xMorvaDocumentLayout::PositionInLine(int16_t part, int32_t line, uint32_t lineStart,
                                             int32_t x, int32_t page) {
  if (!IsPart(part)) return 0;
  if (part == kBody) page = fPages->FindPageForLine(line);
  std::optional<ShownPageNumbers> shown;
  if (part != kBody) shown.emplace(fEngines, part, part);
  return fLines[part]->HitTestLine(*fFont, x, line, lineStart, page).positions;
}

int32_t xMorvaDocumentLayout::StepLine(int16_t part, int32_t line, bool up, uint32_t& lineStart,
                                       int32_t& positionsBefore) {
  if (!IsPart(part)) return -1;
  const xMorvaLines& lines = *fLines[part];
  const int32_t count = lines.GetLineCount();
  if (line < 0 || line >= count) return -1;
  if (up ? line == 0 : line == count - 1) return -1;
  do {
    if (up) {
      --line;
      lineStart -= lines.GetLine(line).bytes;
      positionsBefore -= lines.GetLine(line).positions;
    } else {
      lineStart += lines.GetLine(line).bytes;
      positionsBefore += lines.GetLine(line).positions;
      ++line;
    }
  } while ((up ? line > 0 : line < count - 1) && lines.GetLine(line).elementTail != 0);
  return line;
}

// ---- Typing along a line.

bool xMorvaDocumentLayout::CanTypeInLine(int16_t part, const xMorvaLineLocation& where,
                                         uint32_t offset, char16_t unit, double& lineEnd) {
  lineEnd = 0;
  if (!IsPart(part) || unit < 32 || unit == 0x00AD) return false;
  xMorvaLines& lines = *fLines[part];
  if (lines.HasPendingChange() || where.line < 0 || where.line >= lines.GetLineCount()) return false;
  const xMorvaLineRecord& r = lines.GetLine(where.line);
  if (r.elementTail != 0 || (r.flags & (kLineHasPageNumbers | kLineForcedBreak)) != 0) return false;
  if (offset < where.lineStart || offset - where.lineStart > r.bytes) return false;
  // A unit at the start of a continued line might fit at the end of the
  // line before (a cut word): composed again.
  const bool continued = where.line >= 1 && (r.flags & kLineFirstOfParagraph) == 0;
  if (continued && offset == where.lineStart) return false;
  xMorvaEngine& engine = *fEngines[part];
  const uint8_t* s = engine.LockStream();
  if (s == nullptr) return false;
  const uint32_t size = engine.GetStreamSize();
  const uint32_t end = uint32_t(std::min<uint64_t>(uint64_t(where.lineStart) + r.bytes, size));
  bool breakBefore = false;
  bool plain = true;
  for (uint32_t at = where.lineStart; at < end && plain;) {
    const StreamItem item = ReadStreamItem(s + at, size - at);
    if (item.kind == StreamItem::kElement) {
      // Pictures and computed elements lay out with the line; tabs are
      // looked at when the unit is in. A soft hyphen takes the room of its
      // hyphen until the next place to break, which the line's width does
      // not show: its line is composed again too.
      if (item.unit != xMorvaElementCode::Tab) plain = false;
      if (at < offset) breakBefore = true;
    } else if (item.kind == StreamItem::kUnit && at < offset && IsBreakUnit(item.unit)) {
      breakBefore = true;
    }
    at += std::max<uint32_t>(item.size, 1);
  }
  engine.UnlockStream();
  if (!plain) return false;
  // Typing a break into the first word of a continued line can let that
  // word move up to the line before; into a line cut inside a word, it
  // gives the line a place to break at.
  if (continued && !breakBefore && IsBreakUnit(unit)) return false;
  constexpr uint16_t kEnded = kLineLastOfParagraph | kLineLastOfText | kLineBreakAtSpace |
                              kLineBreakAtTab | kLineBreakAtHyphen | kLineBreakAtSoftHyphen |
                              kLinePageBreak | kLineColumnBreak;
  if (IsBreakUnit(unit) && (r.flags & kEnded) == 0) return false;
  // Where the line's text ends, as composition placed it: its width and
  // the space it broke at, which composition placed only because it fit.
  // The pen of a measuring walk would also hold the line's indents (a
  // hanging first line begins left of the indent) and its alignment.
  lineEnd = r.width;
  if ((r.flags & kLineBreakAtSpace) != 0 && end >= where.lineStart + 2) {
    s = engine.LockStream();
    const uint16_t space = s != nullptr ? StreamUnit(s + end - 2) : 0;
    if (s != nullptr) engine.UnlockStream();
    int32_t height = 0;
    lines.MeasureToOffset(*fFont, where.lineStart, end - 2, where.line, height);
    if (IsSpaceUnit(space)) lineEnd += fFont->MeasureCharWidth(&space, &space + 1);
  }
  return true;
}

double xMorvaDocumentLayout::DisplayStep() const {
  const xMorvaDocParams& params = fDocument.GetParams();
  const double step = params.GetDisplayUnit() == kUnitCentimetres ? 0.1
                      : params.GetDisplayUnit() == kUnitInches    ? 0.125
                                                                  : 1.0;
  return double(params.FromDisplayUnit(step)) + 1.0;
}

bool xMorvaDocumentLayout::TakeTypedUnit(int16_t part, const xMorvaLineLocation& where,
                                         double lineEnd) {
  if (!IsPart(part)) return false;
  xMorvaLines& lines = *fLines[part];
  uint32_t offset = 0;
  if (!lines.GetInsertedUnit(offset) || where.line < 0 || where.line >= lines.GetLineCount())
    return false;
  const xMorvaLineRecord& r = lines.GetLine(where.line);
  if (offset < where.lineStart || offset - where.lineStart > r.bytes) return false;
  xMorvaEngine& engine = *fEngines[part];
  const uint8_t* s = engine.LockStream();
  const uint32_t size = engine.GetStreamSize();
  if (s == nullptr || offset + 2 > size) {
    if (s != nullptr) engine.UnlockStream();
    return false;
  }
  const uint16_t unit = StreamUnit(s + offset);
  // A unit that may join a cluster, or be joined by the unit after it (a
  // mark, a joiner), changes the width its cluster is measured with: the
  // line is composed again.
  const uint16_t next = offset + 4 <= size ? StreamUnit(s + offset + 2) : 0;
  const uint16_t previous = offset >= 2 ? StreamUnit(s + offset - 2) : 0;
  if (ClusterEdgeBetween(previous, unit) != VClusterEdge::kEdge ||
      ClusterEdgeBetween(unit, next) != VClusterEdge::kEdge) {
    engine.UnlockStream();
    return false;
  }
  // The tab before the unit on its line (T) and the one after it (N).
  TabCache before;
  TabCache after;
  const uint32_t end = uint32_t(std::min<uint64_t>(uint64_t(where.lineStart) + r.bytes + 2, size));
  for (uint32_t at = where.lineStart; at < end;) {
    const StreamItem item = ReadStreamItem(s + at, size - at);
    if (item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::Tab) {
      if (at < offset) {
        before = ReadTabCache(s, at, item.size);
        if (!before.found) break;
      } else if (at > offset) {
        after = ReadTabCache(s, at, item.size);
        break;
      }
    }
    at += std::max<uint32_t>(item.size, 1);
  }
  engine.UnlockStream();
  if (unit < 32 || unit >= kFirstElementCode || unit == 0x00AD) return false;
  if (r.tabs != 0 && !before.found && !after.found) return false;
  // The unit's width in the properties where it stands.
  int32_t height = 0;
  lines.MeasureToOffset(*fFont, where.lineStart, offset, where.line, height);
  const double width = fFont->MeasureCharWidth(&unit, &unit + 1);
  // Where the width goes: into the line (which must hold it with the space
  // it broke at, if any), or taken from the tab that aligns the unit's
  // text (T) or from the next tab (N). A decimal tab, or a tab with a
  // leader whose count would change, is composed again.
  double lineGrows = 0;
  double beforeShrinks = 0;
  double afterShrinks = 0;
  const bool aligning = before.found && (before.kind == kTabRight || before.kind == kTabCentre ||
                                         before.kind == kTabDecimal);
  if (aligning && before.kind == kTabDecimal) return false;
  if (aligning && before.kind == kTabRight) {
    if (before.leader != 0 || !(before.width > width)) return false;
    beforeShrinks = width;
  } else if (aligning) {
    if (before.leader != 0 || !(before.width > width / 2)) return false;
    beforeShrinks = width / 2;
    if (after.found) {
      if (after.leader != 0 || !(after.width > width / 2)) return false;
      if (after.kind == kTabLeft && double(after.width) - width / 2 < DisplayStep()) return false;
      afterShrinks = width / 2;
    } else {
      lineGrows = width / 2;
    }
  } else if (after.found) {
    if (after.leader != 0 || !(after.width > width)) return false;
    // A left tab may go to a default stop, which is found in the display
    // unit's rounded steps: one left within a step of its stop may jump to
    // the next one when composed.
    if (after.kind == kTabLeft && double(after.width) - width < DisplayStep()) return false;
    afterShrinks = width;
  } else {
    lineGrows = width;
  }
  if (lineGrows > 0 &&
      (double(r.width) + lineGrows > r.available || lineEnd + lineGrows + 1 > r.available))
    return false;
  if (beforeShrinks > 0 || afterShrinks > 0) {
    // Layout, not an edit: the caches are written in place.
    uint8_t* w = engine.LockStream();
    if (w == nullptr) return false;
    if (beforeShrinks > 0) NarrowTab(w, before.at, before.width, beforeShrinks);
    if (afterShrinks > 0) NarrowTab(w, after.at, after.width, afterShrinks);
    engine.UnlockStream();
  }
  lines.TakeInsertedUnit(where.line, lineGrows, IsSpaceUnit(unit));
  if (part == kBody) fPages->AddToPage(fPages->FindPageForLine(where.line), 1, 2);
  return true;
}

// ---- Drawing.

void xMorvaDocumentLayout::DrawDocument(xMorvaSelectionState* selection, VPort& port,
                                        int32_t visibleLeft, int32_t visibleTop,
                                        int32_t visibleWidth, int32_t visibleHeight,
                                        int32_t pageLeft) {
  if (!fDrawing) return;
  Update();
  // Each page's headers and footers show its numbers while it is drawn.
  const ShownPageNumbers shown(fEngines, 1, kPartCount - 1);
  fDrawing->DrawDocument(selection, port, visibleLeft, visibleTop, visibleWidth, visibleHeight,
                         pageLeft);
}

void xMorvaDocumentLayout::DrawPageForPrinting(VPort& port, int32_t page, int32_t x, int32_t y) {
  if (!fDrawing) return;
  Update();
  // The page's headers and footers show its numbers while it is drawn.
  const ShownPageNumbers shown(fEngines, 1, kPartCount - 1);
  fDrawing->DrawPageForPrinting(port, page, x, y);
  // Measured on the printer: the tabs around the page's numbers are laid
  // out again at the next refresh.
  fNumbersDisturbed = true;
}

void xMorvaDocumentLayout::DrawBodyLines(VPort& port, int32_t x, int32_t y, int32_t height) {
  if (!fDrawing) return;
  Update();
  // The lines are drawn as one page: their numbers show the first.
  std::optional<ShownPageNumbers> shown;
  if (!fNumberedLines.empty()) shown.emplace(fEngines, kBody, kBody);
  fDrawing->DrawBodyLines(port, x, y, height);
}

int32_t xMorvaDocumentLayout::GetColumnLineCount(int32_t page, int32_t column) {
  if (!fPages || page < 0 || page >= fPages->GetPageCount()) return 0;
  return fPages->GetColumnLineCount(page, column);
}

void xMorvaDocumentLayout::SetDrawingMode(uint16_t mode) {
  if (fDrawing) fDrawing->SetDrawingMode(mode);
}

void xMorvaDocumentLayout::SetDraggedRange(uint32_t start, uint32_t end) {
  if (fDrawing) fDrawing->SetDraggedRange(start, end);
}
