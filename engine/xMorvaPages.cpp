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
  const int64_t cutLines = fTotalLines - startLine;
  fTotalLines -= cutLines;
  // With replaced lines, the pages of before from the first one filled
  // again stay in the table while the new pages are made apart; where a
  // new page begins as an old one began, the new pages take the place of
  // the old ones before it in one move. Without, there is nothing to meet.
  const bool canMeet = newCount > 0 || oldCount > 0;
  const size_t oldBase = size_t(firstPage);
  const size_t oldTotal = canMeet ? fRecords.size() - oldBase : 0;
  std::vector<xMorvaPageRecord> fresh;
  std::vector<uint8_t> freshCarried;
  if (!canMeet) {
    fRecords.resize(oldBase);
    fCarried.resize(oldBase);
  }
  ForgetSumsAfter(firstPage);
  fNextCarried = 1;
  size_t oldPage = 0;
  int64_t oldPageStart = startLine;
  const int32_t firstKept = first + newCount;
  const int32_t lineDelta = newCount - oldCount;
  // The new pages in place of the old ones before `oldPage`.
  auto splice = [&]() {
    const size_t common = std::min(fresh.size(), oldPage);
    std::copy(fresh.begin(), fresh.begin() + std::ptrdiff_t(common), fRecords.begin() + std::ptrdiff_t(oldBase));
    std::copy(freshCarried.begin(), freshCarried.begin() + std::ptrdiff_t(common),
              fCarried.begin() + std::ptrdiff_t(oldBase));
    const auto at = std::ptrdiff_t(oldBase + common);
    if (fresh.size() < oldPage) {
      fRecords.erase(fRecords.begin() + at, fRecords.begin() + std::ptrdiff_t(oldBase + oldPage));
      fCarried.erase(fCarried.begin() + at, fCarried.begin() + std::ptrdiff_t(oldBase + oldPage));
    } else if (fresh.size() > oldPage) {
      fRecords.insert(fRecords.begin() + at, fresh.begin() + std::ptrdiff_t(common), fresh.end());
      fCarried.insert(fCarried.begin() + at, freshCarried.begin() + std::ptrdiff_t(common), freshCarried.end());
    }
    fresh.clear();
    freshCarried.clear();
  };
  // Appends a page made after the first one filled again.
  auto append = [&](const xMorvaPageRecord& record) {
    if (!canMeet) return AppendPage(record);
    if (fRecordLimit >= 0 && oldBase + fresh.size() >= size_t(fRecordLimit)) return false;
    fresh.push_back(record);
    freshCarried.push_back(fNextCarried);
    fNextCarried = 0;
    fTotalLines += record.lines;
    if (oldBase + fresh.size() == 1) fBodyHeight = fDocument->GetParams().TextHeight(1);
    return true;
  };
  // A new page that begins at line `line` with `carried` lines: when a
  // page of before began at the same line of before in the same way, it
  // and the pages after it are laid out as they were.
  auto meetsOld = [&](int32_t line, uint8_t carried) {
    if (!canMeet || line < firstKept || line >= lineCount) return false;
    const int64_t oldLine = int64_t(line) - lineDelta;
    while (oldPage < oldTotal && oldPageStart < oldLine) oldPageStart += fRecords[oldBase + oldPage++].lines;
    if (oldPage >= oldTotal || oldPageStart != oldLine || oldBase + oldPage < 1 ||
        fCarried[oldBase + oldPage] != carried)
      return false;
    const size_t kept = oldTotal - oldPage;
    if (fRecordLimit >= 0 && oldBase + fresh.size() + kept > size_t(fRecordLimit)) {
      // As many as the table can hold, then the rebuild it asks for.
      const size_t keptAt = oldBase + fresh.size();
      const size_t room = size_t(fRecordLimit) > keptAt ? size_t(fRecordLimit) - keptAt : 0;
      for (size_t k = 0; k < std::min(room, kept); ++k) fTotalLines += fRecords[oldBase + oldPage + k].lines;
      splice();
      const size_t size = std::min(fRecords.size(), size_t(fRecordLimit));
      fRecords.resize(size);
      fCarried.resize(size);
      fStatus = kPagesOutOfMemory;
      fNeedsRebuild = true;
      return true;
    }
    // The lines of the pages kept: those cut less those of the pages
    // filled again.
    fTotalLines += cutLines - (oldPageStart - startLine);
    splice();
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
    const bool stored = append(page);
    if (!stored) {
      fStatus = kPagesOutOfMemory;
      fNeedsRebuild = true;
      if (canMeet) {
        // The pages after the lost one go: the table ends with the new ones.
        oldPage = oldTotal;
        splice();
      }
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
  if (canMeet) {
    // No page met one of before: the new pages are the table's end.
    oldPage = oldTotal;
    splice();
  }
  return fStatus;
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
  // The first page whose positions, with those before it, reach the
  // position.
  const auto first = fSums.begin() + 1;
  const auto found = std::lower_bound(first, first + count, int64_t(position),
                                      [](const PageSums& sums, int64_t p) { return sums.positions < p; });
  return found == first + count ? count : int32_t(found - first) + 1;
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
