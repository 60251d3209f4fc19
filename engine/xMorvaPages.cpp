#include "engine/xMorvaPages.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocumentInterface.h"
#include "engine/xMorvaLines.h"

namespace {

// Sums of a run of lines.
struct LineSums {
  int32_t lines = 0;
  int32_t height = 0;
  int32_t positions = 0;
  uint32_t bytes = 0;
};

LineSums SumLines(const xMorvaLines& lines, int32_t first, int32_t count) {
  LineSums sums;
  const int32_t end = std::min(first + std::max(count, 0), lines.GetLineCount());
  for (int32_t i = std::max(first, 0); i < end; ++i) {
    const xMorvaLineRecord& line = lines.GetLine(i);
    ++sums.lines;
    sums.height += line.height;
    sums.positions += line.positions;
    sums.bytes += line.bytes;
  }
  return sums;
}

void AddLine(xMorvaPageRecord& page, const xMorvaLineRecord& line, int32_t sign) {
  page.lines += sign;
  page.height += sign * line.height;
  page.positions += sign * line.positions;
  page.bytes += sign * int32_t(line.bytes);
}

}  // namespace

xMorvaPages::xMorvaPages(xMorvaDocumentInterface* document, xMorvaLines* lines)
    : fDocument(document), fLines(lines) {
  fRecords.reserve(20);
}

xMorvaPages::~xMorvaPages() = default;

bool xMorvaPages::AppendPage(const xMorvaPageRecord& record) {
  if (fRecordLimit >= 0 && int32_t(fRecords.size()) >= fRecordLimit) return false;
  fRecords.push_back(record);
  fCarried.push_back(fNextCarried);
  fNextCarried = 0;
  fTotalLines += record.lines;
  // The first page is filled with its own text height, every later page
  // with the height of the other pages.
  if (fRecords.size() == 1) fBodyHeight = BodyHeightOf(1);
  return true;
}

int32_t xMorvaPages::BodyTopOf(int32_t page) const {
  const int32_t given = (fDocument->GetParams().UsesFirstPageLayout(page) ? fFirstBody : fOtherBody).top;
  return given >= 0 ? given : fDocument->GetParams().TopMargin(page);
}

int32_t xMorvaPages::BodyHeightOf(int32_t page) const {
  const int32_t given = (fDocument->GetParams().UsesFirstPageLayout(page) ? fFirstBody : fOtherBody).height;
  return given >= 0 ? given : fDocument->GetParams().TextHeight(page);
}

int32_t xMorvaPages::ComputePageBreaks(int32_t firstPage) {
  return ComputePageBreaks(firstPage, 0, 0, 0);
}

// One pagination from a page on: the page being filled and the column in
// it and, after a composition that replaced lines, the pages of before that
// the new ones may meet. With replaced lines, the pages of before from the
// first one filled again stay in the table while the new pages are made
// apart; where a new page begins as an old one began, the new pages take
// the place of the old ones before it in one move. Without, there is
// nothing to meet.
class xMorvaPages::PageFill {
 public:
  PageFill(xMorvaPages& pages, int32_t lineCount, int32_t columns, bool widowControl,
           int32_t startLine, int64_t cutLines, bool canMeet, size_t oldBase, size_t oldTotal,
           int32_t firstKept, int32_t lineDelta)
      : fPages(pages),
        fLineCount(lineCount),
        fColumns(columns),
        fWidowControl(widowControl),
        fStartLine(startLine),
        fCutLines(cutLines),
        fCanMeet(canMeet),
        fOldBase(oldBase),
        fOldTotal(oldTotal),
        fFirstKept(firstKept),
        fLineDelta(lineDelta),
        fOldPageStart(startLine) {}

  // Fills the pages from the start line to the last; the status.
  int32_t Run();

 private:
  // The new pages in place of the old ones before fOldPage.
  void Splice();
  // Appends a page made after the first one filled again.
  bool Append(const xMorvaPageRecord& record);
  // A new page that begins at line `line` with `carried` lines: when a
  // page of before began at the same line of before in the same way, it
  // and the pages after it are laid out as they were.
  bool MeetsOld(int32_t line, uint8_t carried);
  // Appends the page being filled and starts an empty one; false (status
  // set) when the record cannot be stored, which ends the pagination: the
  // pages after a lost one would carry wrong numbers.
  bool ClosePage();
  // Line i joins the column, or closes it when full; false when the
  // pagination ends there.
  bool PlaceLine(int32_t i, const xMorvaLineRecord& line);
  // The column is full: it closes, and the next one (on the next page
  // after the last column) starts with line i, or with the line before
  // too under widow and orphan control.
  bool CloseFullColumn(int32_t i, const xMorvaLineRecord& line);
  // Widow and orphan control: whether the line before line i moves with
  // it to the next column.
  bool MovesPreviousLine(int32_t i, const xMorvaLineRecord& line,
                         const xMorvaLineRecord& previous) const;
  // A page or column break carried by line i, placed already.
  bool TakeBreak(int32_t i, const xMorvaLineRecord& line);

  xMorvaPages& fPages;
  const int32_t fLineCount;
  const int32_t fColumns;
  const bool fWidowControl;
  const int32_t fStartLine;
  // The lines of the pages cut from the table.
  const int64_t fCutLines;
  const bool fCanMeet;
  const size_t fOldBase;
  const size_t fOldTotal;
  // The first line after the replaced ones, and how many lines they added.
  const int32_t fFirstKept;
  const int32_t fLineDelta;
  std::vector<xMorvaPageRecord> fFresh;
  std::vector<uint8_t> fFreshCarried;
  size_t fOldPage = 0;
  int64_t fOldPageStart;
  xMorvaPageRecord fPage;
  int32_t fColumn = 0;
  int32_t fColumnLines = 0;
  int32_t fColumnHeight = 0;
};

void xMorvaPages::PageFill::Splice() {
  std::vector<xMorvaPageRecord>& records = fPages.fRecords;
  std::vector<uint8_t>& carried = fPages.fCarried;
  const size_t common = std::min(fFresh.size(), fOldPage);
  std::copy(fFresh.begin(), fFresh.begin() + std::ptrdiff_t(common),
            records.begin() + std::ptrdiff_t(fOldBase));
  std::copy(fFreshCarried.begin(), fFreshCarried.begin() + std::ptrdiff_t(common),
            carried.begin() + std::ptrdiff_t(fOldBase));
  const auto at = std::ptrdiff_t(fOldBase + common);
  if (fFresh.size() < fOldPage) {
    records.erase(records.begin() + at, records.begin() + std::ptrdiff_t(fOldBase + fOldPage));
    carried.erase(carried.begin() + at, carried.begin() + std::ptrdiff_t(fOldBase + fOldPage));
  } else if (fFresh.size() > fOldPage) {
    records.insert(records.begin() + at, fFresh.begin() + std::ptrdiff_t(common), fFresh.end());
    carried.insert(carried.begin() + at, fFreshCarried.begin() + std::ptrdiff_t(common),
                   fFreshCarried.end());
  }
  fFresh.clear();
  fFreshCarried.clear();
}

bool xMorvaPages::PageFill::Append(const xMorvaPageRecord& record) {
  if (!fCanMeet) return fPages.AppendPage(record);
  if (fPages.fRecordLimit >= 0 && fOldBase + fFresh.size() >= size_t(fPages.fRecordLimit))
    return false;
  fFresh.push_back(record);
  fFreshCarried.push_back(fPages.fNextCarried);
  fPages.fNextCarried = 0;
  fPages.fTotalLines += record.lines;
  if (fOldBase + fFresh.size() == 1)
    fPages.fBodyHeight = fPages.BodyHeightOf(1);
  return true;
}

bool xMorvaPages::PageFill::MeetsOld(int32_t line, uint8_t carried) {
  if (!fCanMeet || line < fFirstKept || line >= fLineCount) return false;
  const std::vector<xMorvaPageRecord>& records = fPages.fRecords;
  const int64_t oldLine = int64_t(line) - fLineDelta;
  while (fOldPage < fOldTotal && fOldPageStart < oldLine)
    fOldPageStart += records[fOldBase + fOldPage++].lines;
  if (fOldPage >= fOldTotal || fOldPageStart != oldLine || fOldBase + fOldPage < 1 ||
      fPages.fCarried[fOldBase + fOldPage] != carried)
    return false;
  const size_t kept = fOldTotal - fOldPage;
  const int32_t limit = fPages.fRecordLimit;
  if (limit >= 0 && fOldBase + fFresh.size() + kept > size_t(limit)) {
    // As many as the table can hold, then the rebuild it asks for.
    const size_t keptAt = fOldBase + fFresh.size();
    const size_t room = size_t(limit) > keptAt ? size_t(limit) - keptAt : 0;
    for (size_t k = 0; k < std::min(room, kept); ++k)
      fPages.fTotalLines += records[fOldBase + fOldPage + k].lines;
    Splice();
    const size_t size = std::min(fPages.fRecords.size(), size_t(limit));
    fPages.fRecords.resize(size);
    fPages.fCarried.resize(size);
    fPages.fStatus = kPagesOutOfMemory;
    fPages.fNeedsRebuild = true;
    return true;
  }
  // The lines of the pages kept: those cut less those of the pages
  // filled again.
  fPages.fTotalLines += fCutLines - (fOldPageStart - fStartLine);
  Splice();
  return true;
}

bool xMorvaPages::PageFill::ClosePage() {
  const bool stored = Append(fPage);
  if (!stored) {
    fPages.fStatus = kPagesOutOfMemory;
    fPages.fNeedsRebuild = true;
    if (fCanMeet) {
      // The pages after the lost one go: the table ends with the new ones.
      fOldPage = fOldTotal;
      Splice();
    }
  }
  fPage = xMorvaPageRecord();
  fColumn = 0;
  return stored;
}

bool xMorvaPages::PageFill::MovesPreviousLine(int32_t i, const xMorvaLineRecord& line,
                                              const xMorvaLineRecord& previous) const {
  return fWidowControl && fPage.lines >= 3 && fColumnLines >= 2 &&
         (previous.flags & kLineLastOfParagraph) == 0 &&
         ((line.flags & kLineLastOfParagraph) != 0 ||
          (i >= 2 && (fPages.fLines->GetLine(i - 2).flags & kLineLastOfParagraph) != 0));
}

bool xMorvaPages::PageFill::CloseFullColumn(int32_t i, const xMorvaLineRecord& line) {
  const xMorvaLineRecord& previous = fPages.fLines->GetLine(i - 1);
  const bool moveBack = MovesPreviousLine(i, line, previous);
  fPage.columnLines[fColumn] = int16_t(moveBack ? fColumnLines - 1 : fColumnLines);
  ++fColumn;
  if (fColumn == fColumns) {
    if (moveBack) AddLine(fPage, previous, -1);
    if (fPage.lines != 0 || fPage.positions != 0) {
      if (!ClosePage()) return false;
      fPages.fNextCarried = moveBack ? 2 : 1;
      if (MeetsOld(moveBack ? i - 1 : i, fPages.fNextCarried)) return false;
    } else {
      fPage = xMorvaPageRecord();
      fColumn = 0;
      fPages.fNextCarried = moveBack ? 2 : 1;
    }
    if (moveBack) AddLine(fPage, previous, 1);
  }
  AddLine(fPage, line, 1);
  fColumnLines = moveBack ? 2 : 1;
  fColumnHeight = line.height + (moveBack ? previous.height : 0);
  return true;
}

bool xMorvaPages::PageFill::PlaceLine(int32_t i, const xMorvaLineRecord& line) {
  // An empty column takes any line, so that a line taller than the body
  // stays where it is and no column or page is left empty before it. A
  // column also ends when its 16-bit line count is full (lines of no
  // height).
  if (fColumnLines == 0 ||
      (fColumnLines < INT16_MAX && fColumnHeight + line.height <= fPages.fBodyHeight)) {
    ++fColumnLines;
    fColumnHeight += line.height;
    AddLine(fPage, line, 1);
    return true;
  }
  return CloseFullColumn(i, line);
}

bool xMorvaPages::PageFill::TakeBreak(int32_t i, const xMorvaLineRecord& line) {
  if ((line.flags & kLinePageBreak) != 0) {
    fPage.columnLines[fColumn] = int16_t(fColumnLines);
    fColumnLines = fColumnHeight = 0;
    if (!ClosePage()) return false;
    // The next page's first line joins it whatever its height, as a
    // carried line does.
    fPages.fNextCarried = 1;
    if (MeetsOld(i + 1, 1)) return false;
  } else if ((line.flags & kLineColumnBreak) != 0) {
    fPage.columnLines[fColumn] = int16_t(fColumnLines);
    fColumnLines = fColumnHeight = 0;
    if (++fColumn == fColumns) {
      if (!ClosePage()) return false;
      fPages.fNextCarried = 1;
      if (MeetsOld(i + 1, 1)) return false;
    }
  }
  return true;
}

int32_t xMorvaPages::PageFill::Run() {
  for (int32_t i = fStartLine; i < fLineCount; ++i) {
    const xMorvaLineRecord& line = fPages.fLines->GetLine(i);
    if (!PlaceLine(i, line) || !TakeBreak(i, line)) return fPages.fStatus;
  }
  fPage.columnLines[fColumn] = int16_t(fColumnLines);
  ClosePage();
  if (fCanMeet) {
    // No page met one of before: the new pages are the table's end.
    fOldPage = fOldTotal;
    Splice();
  }
  return fPages.fStatus;
}

int32_t xMorvaPages::ComputePageBreaks(int32_t firstPage, int32_t first, int32_t oldCount,
                                       int32_t newCount) {
  const xMorvaDocParams& params = fDocument->GetParams();
  const int32_t lineCount = fLines->GetLineCount();
  firstPage = std::clamp(firstPage, 0, GetPageCount());
  // A table that could not be stored whole, or whose pages before the
  // first no longer fit the lines, is rebuilt from the start.
  if (fNeedsRebuild || GetFirstLineOfPage(firstPage) > lineCount) firstPage = 0;
  // A page that began with the last line of the page before, taken along
  // by widow and orphan control, is filled again from that page: the line
  // moves only as that page fills.
  while (firstPage > 0 && size_t(firstPage) < fCarried.size() && fCarried[size_t(firstPage)] == 2) --firstPage;
  fStatus = 0;
  fNeedsRebuild = false;
  const int32_t columns =
      std::clamp<int32_t>(params.GetColumns(), 1, xMorvaPageRecord::kMaxColumns);
  const bool widowControl = params.GetWidowControl() != 0;
  fBodyHeight = BodyHeightOf(firstPage);
  const int32_t startLine = GetFirstLineOfPage(firstPage);
  const int64_t cutLines = fTotalLines - startLine;
  fTotalLines -= cutLines;
  // With replaced lines, the pages from the first one filled again stay
  // until the new ones meet them; without, the table is cut there.
  const bool canMeet = newCount > 0 || oldCount > 0;
  const size_t oldBase = size_t(firstPage);
  const size_t oldTotal = canMeet ? fRecords.size() - oldBase : 0;
  if (!canMeet) {
    fRecords.resize(oldBase);
    fCarried.resize(oldBase);
  }
  ForgetSumsAfter(firstPage);
  fNextCarried = 1;
  PageFill fill(*this, lineCount, columns, widowControl, startLine, cutLines, canMeet, oldBase,
                oldTotal, first + newCount, newCount - oldCount);
  return fill.Run();
}

void xMorvaPages::AddToPage(int32_t page, int32_t positions, int32_t bytes) {
  if (page < 0 || page >= GetPageCount()) return;
  ForgetSumsAfter(page);
  fRecords[size_t(page)].positions += positions;
  fRecords[size_t(page)].bytes += bytes;
}

const xMorvaPages::PageSums& xMorvaPages::SumsBefore(int32_t page) const {
  const size_t count = fRecords.size();
  const size_t at = size_t(std::clamp<int64_t>(page, 0, int64_t(count)));
  if (fSums.size() != count + 1) fSums.resize(count + 1);
  if (fSumsKnown > count + 1) fSumsKnown = count + 1;
  if (fSumsKnown == 0) {
    fSums[0] = PageSums();
    fSumsKnown = 1;
  }
  for (size_t p = fSumsKnown; p <= at; ++p) {
    const xMorvaPageRecord& record = fRecords[p - 1];
    const PageSums& before = fSums[p - 1];
    fSums[p] = {before.lines + record.lines, before.height + record.height, before.positions + record.positions,
                before.bytes + record.bytes};
  }
  fSumsKnown = std::max(fSumsKnown, at + 1);
  return fSums[at];
}

xMorvaPageRecord xMorvaPages::GetPage(int32_t page) const {
  if (page < 0 || page >= GetPageCount()) return xMorvaPageRecord();
  return fRecords[size_t(page)];
}

int32_t xMorvaPages::GetFirstLineOfPage(int32_t page) const {
  return int32_t(SumsBefore(std::clamp(page, 0, GetPageCount())).lines);
}

int16_t xMorvaPages::GetColumnLineCount(int32_t page, int32_t column) const {
  if (column < 0 || column >= xMorvaPageRecord::kMaxColumns) return 0;
  return GetPage(page).columnLines[column];
}

int32_t xMorvaPages::FindPageForLine(int32_t line) const {
  const int32_t count = GetPageCount();
  if (count == 0) return 0;
  SumsBefore(count);
  // The first page whose lines, with those before it, pass the line.
  const auto first = fSums.begin() + 1;
  const auto found = std::upper_bound(first, first + count, int64_t(line),
                                      [](int64_t l, const PageSums& sums) { return l < sums.lines; });
  return std::min(int32_t(found - first), count - 1);
}

int64_t xMorvaPages::GetHeightBefore(int32_t page) const {
  return SumsBefore(std::clamp(page, 0, GetPageCount())).height;
}

int32_t xMorvaPages::FindPageEndingAtOrBelow(int64_t y, int32_t gap) const {
  const int32_t count = GetPageCount();
  if (count == 0) return 0;
  SumsBefore(count);
  // Page p ends at the heights of the pages up to it and the gaps before
  // it: the first page whose end reaches y, by halving the range.
  int32_t low = 0;
  int32_t high = count - 1;
  while (low < high) {
    const int32_t mid = low + (high - low) / 2;
    if (fSums[size_t(mid) + 1].height + int64_t(mid) * gap >= y)
      high = mid;
    else
      low = mid + 1;
  }
  return low;
}

int32_t xMorvaPages::FindPageForOffset(uint32_t offset, uint32_t& bytesBefore, int32_t& yBefore,
                                       int32_t& linesBefore, int32_t& positionsBefore,
                                       int32_t& column) const {
  bytesBefore = 0;
  yBefore = linesBefore = positionsBefore = column = 0;
  const int32_t count = GetPageCount();
  if (count == 0) return 0;
  // The first page that ends after the offset (an offset at a page's end
  // goes on to the next), the last page at most.
  SumsBefore(count);
  const auto first = fSums.begin() + 1;
  const auto found = std::upper_bound(first, first + (count - 1), int64_t(offset),
                                      [](int64_t o, const PageSums& sums) { return o < sums.bytes; });
  const int32_t p = int32_t(found - first);
  const PageSums& before = fSums[size_t(p)];
  bytesBefore = uint32_t(before.bytes);
  linesBefore = int32_t(before.lines);
  yBefore = int32_t(before.height);
  positionsBefore = int32_t(before.positions);
  const xMorvaDocParams& params = fDocument->GetParams();
  const int32_t columns =
      std::clamp<int32_t>(params.GetColumns(), 1, xMorvaPageRecord::kMaxColumns);
  const bool continuous = params.GetViewMode() == 1;
  const xMorvaPageRecord& record = fRecords[size_t(p)];
  for (; column + 1 < columns; ++column) {
    const LineSums sums = SumLines(*fLines, linesBefore, record.columnLines[column]);
    const uint32_t end = bytesBefore + sums.bytes;
    const bool nextHasLines = record.columnLines[column + 1] != 0;
    if (end > offset || !nextHasLines) break;
    bytesBefore = end;
    linesBefore += sums.lines;
    positionsBefore += sums.positions;
    if (continuous) yBefore += sums.height;
  }
  return p;
}

int32_t xMorvaPages::FindPageForPosition(int32_t position) const {
  const int32_t count = GetPageCount();
  if (count == 0) return 1;
  SumsBefore(count);
  // The first page that ends after the position: a position at a page's
  // end is where the next page begins (GetPageStart's answer for it, where
  // text typed prints on it), so it counts there, as an offset does; the
  // last page takes the rest.
  const auto first = fSums.begin() + 1;
  const auto found = std::upper_bound(first, first + (count - 1), int64_t(position),
                                      [](int64_t p, const PageSums& sums) { return p < sums.positions; });
  return int32_t(found - first) + 1;
}

void xMorvaPages::GetPageStart(int32_t page, int32_t column, int32_t& linesBefore,
                               int32_t& positionsBefore, uint32_t& bytesBefore) const {
  linesBefore = positionsBefore = 0;
  bytesBefore = 0;
  page = std::clamp(page, 0, GetPageCount());
  const PageSums& before = SumsBefore(page);
  linesBefore = int32_t(before.lines);
  positionsBefore = int32_t(before.positions);
  bytesBefore = uint32_t(before.bytes);
  if (page == GetPageCount()) return;
  const int32_t columns =
      std::clamp<int32_t>(fDocument->GetParams().GetColumns(), 1, xMorvaPageRecord::kMaxColumns);
  const xMorvaPageRecord& record = fRecords[size_t(page)];
  // The last column is never passed; nor is an empty column.
  for (int32_t c = 0; c < column && c + 1 < columns; ++c) {
    const LineSums sums = SumLines(*fLines, linesBefore, record.columnLines[c]);
    linesBefore += sums.lines;
    positionsBefore += sums.positions;
    bytesBefore += sums.bytes;
    if (record.columnLines[c + 1] == 0) break;
  }
}
