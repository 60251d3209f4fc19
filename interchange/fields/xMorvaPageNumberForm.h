// The number style of a document's page numbers as a whole, which RTF and
// Word keep for the section rather than for each page number: one answer
// for both writers.
#pragma once

#include <cstdint>

class xMorvaDocument;

// What a writer's own walk over a part's element stream saw of its page
// numbers, so that the style below needs no second walk of that part (a
// body of thousands of pages, saved without a page number in its headers
// and footers, would otherwise be read once more at every save).
class xMorvaPageNumberNotes {
 public:
  // The item of `size` bytes at `item` met in `part`: noted when it is the
  // part's first page number, or its first page count.
  void NoteElement(int16_t part, const uint8_t* item, uint32_t size);
  // The part was walked whole: what it holds is noted.
  void MarkWalked(int16_t part);

 private:
  friend int32_t PageNumberStyleOf(xMorvaDocument& document, const xMorvaPageNumberNotes* notes);
  static constexpr int kParts = 7;
  bool fWalked[kParts] = {};
  int32_t fNumber[kParts] = {-1, -1, -1, -1, -1, -1, -1};
  int32_t fCount[kParts] = {-1, -1, -1, -1, -1, -1, -1};
};

// The number style (0 decimal, 1 and 2 lower and upper letters, 3 and 4
// lower and upper roman, 5 and 6 the named lists) of the document's first
// page-number element that shows the page number, looked for in the other
// pages' header and footer, then the first page's, then the left pages',
// then the body, each in its own order; when none shows the page number,
// the first that shows the page count. -1 when there is no page number.
// The parts `notes` says were walked are taken from it; the others are
// walked here.
int32_t PageNumberStyleOf(xMorvaDocument& document, const xMorvaPageNumberNotes* notes = nullptr);
