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
  if (fRecords.size() == 1) fBodyHeight = fDocument->GetParams().TextHeight(1);
  return true;
}

int32_t xMorvaPages::ComputePageBreaks(int32_t firstPage) {
  return ComputePageBreaks(firstPage, 0, 0, 0);
}

int32_t xMorvaPages::ComputePageBreaks(int32_t firstPage, int32_t first, int32_t oldCount,
                                       int32_t newCount) {
  const xMorvaDocParams& params = fDocument->GetParams();
  const int32_t lineCount = fLines->GetLineCount();
  firstPage = std::clamp(firstPage, 0, GetPageCount());
  // A table that could not be stored whole, or whose pages before the
  // first no longer fit the lines, is rebuilt from the start.
  if (fNeedsRebuild || GetFirstLineOfPage(firstPage) > lineCount) firstPage = 0;
  fStatus = 0;
  fNeedsRebuild = false;
  const int32_t columns =
      std::clamp<int32_t>(params.GetColumns(), 1, xMorvaPageRecord::kMaxColumns);
  const bool widowControl = params.GetWidowControl() != 0;
  fBodyHeight = params.TextHeight(firstPage);
  const int32_t startLine = GetFirstLineOfPage(firstPage);
  int64_t cutLines = 0;
  for (size_t p = size_t(firstPage); p < fRecords.size(); ++p) cutLines += fRecords[p].lines;
  fTotalLines -= cutLines;
  // The pages of before from the first one filled again, and where each
  // began in the lines of before; with no replaced lines there are none
  // to meet.
  const bool canMeet = newCount > 0 || oldCount > 0;
  std::vector<xMorvaPageRecord> old;
  std::vector<uint8_t> oldCarried;
  if (canMeet) {
    old.assign(fRecords.begin() + firstPage, fRecords.end());
    oldCarried.assign(fCarried.begin() + firstPage, fCarried.end());
  }
  fRecords.resize(size_t(firstPage));
  fCarried.resize(size_t(firstPage));
  fNextCarried = 1;
  size_t oldPage = 0;
  int64_t oldPageStart = startLine;
  const int32_t firstKept = first + newCount;
  const int32_t lineDelta = newCount - oldCount;
  // A new page that begins at line `line` with `carried` lines: when a
  // page of before began at the same line of before in the same way, it
  // and the pages after it are laid out as they were.
  auto meetsOld = [&](int32_t line, uint8_t carried) {
    if (!canMeet || line < firstKept || line >= lineCount) return false;
    const int64_t oldLine = int64_t(line) - lineDelta;
    while (oldPage < old.size() && oldPageStart < oldLine) oldPageStart += old[oldPage++].lines;
    if (oldPage >= old.size() || oldPageStart != oldLine || size_t(firstPage) + oldPage < 1 ||
        oldCarried[oldPage] != carried)
      return false;
    const size_t kept = old.size() - oldPage;
    if (fRecordLimit >= 0 && fRecords.size() + kept > size_t(fRecordLimit)) {
      // As many as the table can hold, then the rebuild it asks for.
      while (int32_t(fRecords.size()) < fRecordLimit && oldPage < old.size()) {
        fTotalLines += old[oldPage].lines;
        fCarried.push_back(oldCarried[oldPage]);
        fRecords.push_back(old[oldPage++]);
      }
      fStatus = kPagesOutOfMemory;
      fNeedsRebuild = true;
      return true;
    }
    // The lines of the pages kept: those cut less those of the pages
    // filled again.
    fTotalLines += cutLines - (oldPageStart - startLine);
    fRecords.insert(fRecords.end(), old.begin() + std::ptrdiff_t(oldPage), old.end());
    fCarried.insert(fCarried.end(), oldCarried.begin() + std::ptrdiff_t(oldPage), oldCarried.end());
    return true;
  };

  xMorvaPageRecord page;
  int32_t column = 0;
  int32_t columnLines = 0;
  int32_t columnHeight = 0;
  // Appends the page being filled and starts an empty one; false (status
  // set) when the record cannot be stored, which ends the pagination: the
  // pages after a lost one would carry wrong numbers.
  auto closePage = [&]() {
    const bool stored = AppendPage(page);
    if (!stored) {
      fStatus = kPagesOutOfMemory;
      fNeedsRebuild = true;
    }
    page = xMorvaPageRecord();
    column = 0;
    return stored;
  };

  for (int32_t i = startLine; i < lineCount; ++i) {
    const xMorvaLineRecord& line = fLines->GetLine(i);
    // An empty column takes any line, so that a line taller than the body
    // stays where it is and no column or page is left empty before it. A
    // column also ends when its 16-bit line count is full (lines of no
    // height).
    if (columnLines == 0 ||
        (columnLines < INT16_MAX && columnHeight + line.height <= fBodyHeight)) {
      ++columnLines;
      columnHeight += line.height;
      AddLine(page, line, 1);
    } else {
      const xMorvaLineRecord& previous = fLines->GetLine(i - 1);
      const bool moveBack =
          widowControl && page.lines >= 3 && columnLines >= 2 &&
          (previous.flags & kLineLastOfParagraph) == 0 &&
          ((line.flags & kLineLastOfParagraph) != 0 ||
           (i >= 2 && (fLines->GetLine(i - 2).flags & kLineLastOfParagraph) != 0));
      page.columnLines[column] = int16_t(moveBack ? columnLines - 1 : columnLines);
      ++column;
      if (column == columns) {
        if (moveBack) AddLine(page, previous, -1);
        if (page.lines != 0 || page.positions != 0) {
          if (!closePage()) return fStatus;
          fNextCarried = moveBack ? 2 : 1;
          if (meetsOld(moveBack ? i - 1 : i, fNextCarried)) return fStatus;
        } else {
          page = xMorvaPageRecord();
          column = 0;
          fNextCarried = moveBack ? 2 : 1;
        }
        if (moveBack) AddLine(page, previous, 1);
      }
      AddLine(page, line, 1);
      columnLines = moveBack ? 2 : 1;
      columnHeight = line.height + (moveBack ? previous.height : 0);
    }
    if ((line.flags & kLinePageBreak) != 0) {
      page.columnLines[column] = int16_t(columnLines);
      columnLines = columnHeight = 0;
      if (!closePage()) return fStatus;
      // The next page's first line joins it whatever its height, as a
      // carried line does.
      fNextCarried = 1;
      if (meetsOld(i + 1, 1)) return fStatus;
    } else if ((line.flags & kLineColumnBreak) != 0) {
      page.columnLines[column] = int16_t(columnLines);
      columnLines = columnHeight = 0;
      if (++column == columns) {
        if (!closePage()) return fStatus;
        fNextCarried = 1;
        if (meetsOld(i + 1, 1)) return fStatus;
      }
    }
  }
  page.columnLines[column] = int16_t(columnLines);
  closePage();
  return fStatus;
}

void xMorvaPages::AddToPage(int32_t page, int32_t positions, int32_t bytes) {
  if (page < 0 || page >= GetPageCount()) return;
  fRecords[size_t(page)].positions += positions;
  fRecords[size_t(page)].bytes += bytes;
}

xMorvaPageRecord xMorvaPages::GetPage(int32_t page) const {
  if (page < 0 || page >= GetPageCount()) return xMorvaPageRecord();
  return fRecords[size_t(page)];
}

int32_t xMorvaPages::GetFirstLineOfPage(int32_t page) const {
  page = std::clamp(page, 0, GetPageCount());
  if (page > GetPageCount() / 2) {
    // Near the end (where typing goes on): counted back from the total,
    // so that it costs the same in a short and a long text.
    int64_t sum = fTotalLines;
    for (int32_t p = GetPageCount() - 1; p >= page; --p) sum -= fRecords[size_t(p)].lines;
    return int32_t(sum);
  }
  int32_t sum = 0;
  for (int32_t p = 0; p < page; ++p) sum += fRecords[size_t(p)].lines;
  return sum;
}

int16_t xMorvaPages::GetColumnLineCount(int32_t page, int32_t column) const {
  if (column < 0 || column >= xMorvaPageRecord::kMaxColumns) return 0;
  return GetPage(page).columnLines[column];
}

int32_t xMorvaPages::FindPageForLine(int32_t line) const {
  if (line >= fTotalLines / 2) {
    int64_t sum = fTotalLines;
    for (int32_t p = GetPageCount() - 1; p > 0; --p) {
      sum -= fRecords[size_t(p)].lines;
      if (line >= sum) return p;
    }
    return 0;
  }
  int32_t sum = 0;
  for (int32_t p = 0; p < GetPageCount(); ++p) {
    sum += fRecords[size_t(p)].lines;
    if (line < sum) return p;
  }
  return std::max(GetPageCount() - 1, 0);
}

int32_t xMorvaPages::FindPageForOffset(uint32_t offset, uint32_t& bytesBefore, int32_t& yBefore,
                                       int32_t& linesBefore, int32_t& positionsBefore,
                                       int32_t& column) const {
  bytesBefore = 0;
  yBefore = linesBefore = positionsBefore = column = 0;
  const int32_t count = GetPageCount();
  if (count == 0) return 0;
  int32_t p = 0;
  for (; p + 1 < count && bytesBefore + uint32_t(fRecords[size_t(p)].bytes) <= offset; ++p) {
    const xMorvaPageRecord& record = fRecords[size_t(p)];
    bytesBefore += uint32_t(record.bytes);
    linesBefore += record.lines;
    yBefore += record.height;
    positionsBefore += record.positions;
  }
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
  int32_t sum = 0;
  for (int32_t p = 0; p < GetPageCount(); ++p) {
    sum += fRecords[size_t(p)].positions;
    if (sum >= position) return p + 1;
  }
  return std::max(GetPageCount(), 1);
}

void xMorvaPages::GetPageStart(int32_t page, int32_t column, int32_t& linesBefore,
                               int32_t& positionsBefore, uint32_t& bytesBefore) const {
  linesBefore = positionsBefore = 0;
  bytesBefore = 0;
  page = std::clamp(page, 0, GetPageCount());
  for (int32_t p = 0; p < page; ++p) {
    linesBefore += fRecords[size_t(p)].lines;
    positionsBefore += fRecords[size_t(p)].positions;
    bytesBefore += uint32_t(fRecords[size_t(p)].bytes);
  }
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
