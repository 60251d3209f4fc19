// xMorvaPages: the body's line table divided into pages and, within a page,
// into columns. One record per page says how many lines, how much height,
// how many positions and how many stream bytes the page holds, and how many
// lines each column holds. Drawing, page numbers, printing, scrolling and
// the position commands read it; it is rebuilt from a page on whenever the
// lines change.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "framework/core/VObject.h"

class xMorvaDocumentInterface;
class xMorvaLines;

// The status of a pagination whose page records could not all be stored.
constexpr int32_t kPagesOutOfMemory = 1041;

struct xMorvaPageRecord {
  static constexpr int kMaxColumns = 10;
  int32_t lines = 0;
  int32_t height = 0;
  int32_t positions = 0;
  int32_t bytes = 0;
  int16_t columnLines[kMaxColumns] = {};

  bool operator==(const xMorvaPageRecord& other) const = default;
};

class xMorvaPages : public VObject {
 public:
  xMorvaPages(xMorvaDocumentInterface* document, xMorvaLines* lines);
  ~xMorvaPages() override;
  xMorvaPages(const xMorvaPages&) = delete;
  xMorvaPages& operator=(const xMorvaPages&) = delete;

  // Rebuilds the table from page `firstPage` (0-based) on: 0, or 1041 when
  // a page record could not be stored; the table then asks for a full
  // rebuild, which the next call does whatever page it is given.
  int32_t ComputePageBreaks(int32_t firstPage);
  // The same after a composition that replaced `oldCount` line records
  // from `first` on by `newCount` new ones: filling stops at the first page
  // that begins, after the new lines, at the same line and in the same way
  // as one of before; that page and those after it stay as they were.
  int32_t ComputePageBreaks(int32_t firstPage, int32_t first, int32_t oldCount, int32_t newCount);
  // False, the table unchanged, when the record cannot be stored.
  bool AppendPage(const xMorvaPageRecord& record);

  int32_t GetPageCount() const { return int32_t(fRecords.size()); }
  // The record of a page; an empty record for an index out of range.
  xMorvaPageRecord GetPage(int32_t page) const;
  // The sum of the lines of the pages before `page` (held to the table).
  int32_t GetFirstLineOfPage(int32_t page) const;
  // Lines in that column of that page; 0 out of range.
  int16_t GetColumnLineCount(int32_t page, int32_t column) const;
  // The page holding line `line`: the last page for a line past the table.
  int32_t FindPageForLine(int32_t line) const;
  // The sum of the heights of the pages before `page` (held to the table).
  int64_t GetHeightBefore(int32_t page) const;
  // The first page whose bottom lies at or below `y`, the pages standing
  // one under the other from 0 with `gap` pixels between them; the last
  // page when none does.
  int32_t FindPageEndingAtOrBelow(int64_t y, int32_t gap) const;
  // The page (0-based) holding the byte offset. The running sums of the
  // pages and columns before it come out; heights of columns passed are
  // added to `yBefore` only in continuous view. An offset at a page's end
  // belongs to the next page unless the page is the last.
  int32_t FindPageForOffset(uint32_t offset, uint32_t& bytesBefore, int32_t& yBefore,
                            int32_t& linesBefore, int32_t& positionsBefore, int32_t& column) const;
  // The 1-based number of the page that holds `position`: the first page
  // whose running sum of positions passes it (a page's first position, as
  // GetPageStart gives it, is on that page); the last page when none does.
  int32_t FindPageForPosition(int32_t position) const;
  // The sums of lines, positions and bytes before that column of that page.
  void GetPageStart(int32_t page, int32_t column, int32_t& linesBefore, int32_t& positionsBefore,
                    uint32_t& bytesBefore) const;

  // A unit typed on a page without composing: its positions and bytes.
  void AddToPage(int32_t page, int32_t positions, int32_t bytes);

  bool NeedsFullRebuild() const { return fNeedsRebuild; }
  int32_t GetStatus() const { return fStatus; }
  // Where the body starts, below the page's upper edge, and the height it
  // fills; -1 for the document's top margin and text height.
  struct BodyPlace {
    int32_t top = -1;
    int32_t height = -1;
    bool operator==(const BodyPlace& other) const = default;
  };
  // The body's place on the first page and on the others.
  void SetBodyPlaces(const BodyPlace& first, const BodyPlace& other) {
    fFirstBody = first;
    fOtherBody = other;
  }
  // Where the body starts on that page, and the height it fills there.
  int32_t BodyTopOf(int32_t page) const;
  int32_t BodyHeightOf(int32_t page) const;
  // Caps the table at `count` records (-1: none), as a table that cannot
  // grow would be.
  void SetRecordLimit(int32_t count) { fRecordLimit = count; }

 private:
  // One pagination from a page on (xMorvaPages.cpp).
  class PageFill;
  // Sums of the pages before a page, kept so that a page is found by a
  // binary search instead of a walk over the pages before it.
  struct PageSums {
    int64_t lines = 0;
    int64_t height = 0;
    int64_t positions = 0;
    int64_t bytes = 0;
  };
  // The sums of the pages before `page` (0 to the count), made up to date
  // from the last page whose sums are known.
  const PageSums& SumsBefore(int32_t page) const;
  // The records from `page` on changed: the sums behind it are made again.
  void ForgetSumsAfter(int32_t page) {
    fSumsKnown = std::min<size_t>(fSumsKnown, size_t(std::max(page, 0)) + 1);
  }

  xMorvaDocumentInterface* fDocument;
  xMorvaLines* fLines;
  // The height lines may fill in a column of the page being filled.
  int32_t fBodyHeight = 0;
  // As SetBodyPlaces gives them.
  BodyPlace fFirstBody;
  BodyPlace fOtherBody;
  std::vector<xMorvaPageRecord> fRecords;
  // How each page began: 1 with its first line, 2 with the last line of
  // the page before taken along (widow control); 0 not known.
  std::vector<uint8_t> fCarried;
  // The lines of all the records.
  int64_t fTotalLines = 0;
  int32_t fStatus = 0;
  bool fNeedsRebuild = false;
  // The page being filled begins as fCarried says.
  uint8_t fNextCarried = 0;
  int32_t fRecordLimit = -1;
  // fSums[p] holds the sums of the pages before p, for p below fSumsKnown.
  mutable std::vector<PageSums> fSums;
  mutable size_t fSumsKnown = 0;
};
