// Pagination over line tables laid out by hand (every break computed on
// paper) and over real composition after seeded random edits, where
// repaginating from one page before the change must give the whole
// pagination's table.
#include "engine/xMorvaPages.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/tests/CompositionFixture.h"

namespace {

using Columns = std::vector<int16_t>;
constexpr uint16_t kLast = kLineLastOfParagraph;

// A line of a hand-made table: its height and flags; 4 bytes, 2 positions.
struct L {
  int32_t height;
  uint16_t flags = 0;
};

std::vector<L> Lines(int count, std::vector<L> tail = {}) {
  std::vector<L> table(size_t(count), L{10});
  table.insert(table.end(), tail.begin(), tail.end());
  return table;
}

class HandPages : public testing::Test {
 protected:
  HandPages() : lines(&document, nullptr, 0, 4), pages(&document, &lines) {
    document.params.SetPageSize(400, 100);
    SetMargins(false, 0, 0);
  }
  void SetMargins(bool first, int32_t top, int32_t bottom) {
    document.params.GetBands(first).topMargin = top;
    document.params.GetBands(first).bottomMargin = bottom;
  }
  void Load(const std::vector<L>& table) {
    lines.RemoveLines(0, 0, UINT32_MAX, true);
    ASSERT_EQ(lines.GetLineCount(), 0);
    for (const L& l : table) {
      xMorvaLineRecord record;
      record.height = l.height;
      record.flags = l.flags;
      record.bytes = 4;
      record.positions = 2;
      ASSERT_TRUE(lines.InsertLineRecord(record, lines.GetLineCount()));
    }
  }
  // The columns of every page, trailing empty ones left out; each page's
  // sums checked against its lines.
  std::vector<Columns> Layout() {
    std::vector<Columns> result;
    for (int32_t p = 0, line = 0; p < pages.GetPageCount(); ++p) {
      const xMorvaPageRecord r = pages.GetPage(p);
      Columns columns(r.columnLines, r.columnLines + xMorvaPageRecord::kMaxColumns);
      while (!columns.empty() && columns.back() == 0) columns.pop_back();
      int32_t height = 0, sum = 0;
      for (int32_t i = line; i < line + r.lines; ++i) height += lines.GetLine(i).height;
      for (int16_t c : columns) sum += c;
      EXPECT_TRUE(r.lines == sum && r.height == height && r.bytes == 4 * sum &&
                  r.positions == 2 * sum && pages.GetFirstLineOfPage(p) == line)
          << "page " << p;
      line += r.lines;
      result.push_back(columns);
    }
    return result;
  }

  FakeDocument document;
  xMorvaLines lines;
  xMorvaPages pages;
};

struct BreakCase {
  const char* name;
  std::vector<L> table;
  int32_t textHeight;
  int16_t columns;
  bool widow;
  std::vector<Columns> expected;
};

TEST_F(HandPages, BreaksComputedByHand) {
  const BreakCase cases[] = {
      {"empty table", {}, 100, 1, true, {{}}},
      {"twenty-five lines", Lines(25), 100, 1, false, {{10}, {10}, {5}}},
      {"page break on line 2",
       Lines(2, Lines(0, {{10, kLinePageBreak}, {10}})),
       100,
       1,
       false,
       {{3}, {1}}},
      {"page break ends the text", Lines(2, {{10, kLinePageBreak}}), 100, 1, false, {{3}, {}}},
      {"line taller than the page", {{10}, {150}, {10}}, 100, 1, false, {{1}, {1}, {1}}},
      {"no text height", Lines(3), 0, 1, false, {{1}, {1}, {1}}},
      {"negative text height", Lines(2), -40, 2, false, {{1, 1}}},
      {"widow", Lines(10, {{10, kLast}}), 100, 1, true, {{9}, {2}}},
      {"widow control off", Lines(10, {{10, kLast}}), 100, 1, false, {{10}, {1}}},
      {"orphan", Lines(8, {{10, kLast}, {10}, {10}}), 100, 1, true, {{9}, {2}}},
      {"previous line ends its paragraph",
       Lines(9, {{10, kLast}, {10, kLast}}),
       100,
       1,
       true,
       {{10}, {1}}},
      {"end of text is no paragraph end",
       Lines(10, {{10, kLineLastOfText}}),
       100,
       1,
       true,
       {{10}, {1}}},
      {"fewer than three lines", Lines(2, {{10, kLast}}), 20, 1, true, {{2}, {1}}},
      {"two columns", Lines(25), 100, 2, false, {{10, 10}, {5}}},
      {"widow into the next column", Lines(10, {{10, kLast}}), 100, 2, true, {{9, 2}}},
      {"column break",
       Lines(0, Lines(12, {{10, kLineColumnBreak}, {10}})),
       100,
       2,
       false,
       {{10, 3}, {1}}},
      {"page break in the first column",
       Lines(0, {{10, kLinePageBreak}, {10}}),
       100,
       3,
       false,
       {{1}, {1}}},
      {"more lines than a column count holds",
       std::vector<L>(32769, L{0}),
       100,
       1,
       false,
       {{32767}, {2}}},
      {"ten columns", Lines(105), 100, 10, false, {Columns(10, 10), {5}}},
      {"eleven columns held to ten", Lines(105), 100, 11, false, {Columns(10, 10), {5}}},
  };
  for (const BreakCase& c : cases) {
    Load(c.table);
    SetMargins(false, 100 - c.textHeight, 0);
    document.params.SetColumns(c.columns);
    document.params.SetWidowControl(c.widow ? 1 : 0);
    EXPECT_EQ(0, pages.ComputePageBreaks(0)) << c.name;
    EXPECT_EQ(Layout(), c.expected) << c.name;
  }
}

TEST_F(HandPages, FirstPageHasItsOwnHeight) {
  document.params.SetDifferentFirstPage(1);
  SetMargins(true, 30, 20);  // the first page holds 50
  Load(Lines(27));
  for (int32_t from : {0, 2}) {
    ASSERT_EQ(0, pages.ComputePageBreaks(from));
    EXPECT_EQ(Layout(), (std::vector<Columns>{{5}, {10}, {10}, {2}})) << from;
  }
}

// A page that cannot be stored is reported, and the next pagination,
// whatever page it is asked to start from, rebuilds the whole table.
TEST_F(HandPages, UnstoredPageAsksForFullRebuild) {
  Load(Lines(35));
  pages.SetRecordLimit(2);
  EXPECT_EQ(kPagesOutOfMemory, pages.ComputePageBreaks(0));
  EXPECT_TRUE(pages.NeedsFullRebuild());
  pages.SetRecordLimit(-1);
  EXPECT_EQ(0, pages.ComputePageBreaks(2));
  EXPECT_EQ(Layout(), (std::vector<Columns>{{10}, {10}, {10}, {5}}));
}

// Two columns of 3 lines of 4 bytes: page 0 holds bytes 0-24, page 1
// 24-40 (column 0: 24-36, column 1: 36-40).
TEST_F(HandPages, OffsetsPositionsAndLines) {
  SetMargins(false, 70, 0);
  document.params.SetColumns(2);
  Load(Lines(10));
  ASSERT_EQ(0, pages.ComputePageBreaks(0));
  ASSERT_EQ(Layout(), (std::vector<Columns>{{3, 3}, {3, 1}}));
  // offset, view mode -> page, column, lines, positions, y, bytes before
  const int32_t cases[][8] = {{11, 1, 0, 0, 0, 0, 0, 0},    {12, 1, 0, 1, 3, 6, 30, 12},
                              {12, 0, 0, 1, 3, 6, 0, 12},   {24, 1, 1, 0, 6, 12, 60, 24},
                              {36, 1, 1, 1, 9, 18, 90, 36}, {999, 1, 1, 1, 9, 18, 90, 36}};
  for (const auto& c : cases) {
    document.params.SetViewMode(int16_t(c[1]));
    uint32_t bytes = 7;
    int32_t y = 7, before = 7, positions = 7, column = 7;
    const int32_t page =
        pages.FindPageForOffset(uint32_t(c[0]), bytes, y, before, positions, column);
    EXPECT_EQ((std::vector<int32_t>{page, column, before, positions, y, int32_t(bytes)}),
              std::vector<int32_t>(c + 2, c + 8))
        << c[0];
  }
  // The last column is never passed.
  for (int32_t column : {1, 5}) {
    int32_t before = 0, positions = 0;
    uint32_t bytes = 0;
    pages.GetPageStart(1, column, before, positions, bytes);
    EXPECT_TRUE(before == 9 && positions == 18 && bytes == 36u) << column;
  }
  // Position 12, where page 1 begins, is on it (as offset 24 is).
  EXPECT_EQ((std::vector<int32_t>{pages.FindPageForPosition(11), pages.FindPageForPosition(12),
                                  pages.FindPageForPosition(21), pages.FindPageForLine(5),
                                  pages.FindPageForLine(6), pages.FindPageForLine(10)}),
            (std::vector<int32_t>{1, 2, 2, 0, 1, 1}));
}

// Real composition, random edits: repaginating from one page before the
// change always gives the whole pagination's table, with widow control, a
// first page of its own, one to three columns and page breaks; on every
// other edit filling stops at the first page after the new lines that
// begins as it began before.
TEST_F(Composition, RepaginationFromOnePageBeforeTheChangeEqualsWhole) {
  document.textWidth = 120;
  document.params.SetPageSize(400, 90);
  for (bool first : {false, true}) {
    document.params.GetBands(first).topMargin = first ? 20 : 5;
    document.params.GetBands(first).bottomMargin = 5;
  }
  document.params.SetDifferentFirstPage(1);
  xMorvaPages pages(&document, &lines);
  std::mt19937 random(121);
  const std::u16string alphabet = u"abcd efgh ijk lmn\rop qrs tu vw\r";
  Load(Stream().Text(u"One paragraph of some words to fill lines.\rAnother.\r"));
  for (int step = 0; step < 250; ++step) {
    document.params.SetColumns(1 + step / 90);
    if (step % 90 == 0 && (lines.ComposeAll(font) != 0 || pages.ComputePageBreaks(0) != 0)) FAIL();
    // Edits fall on item boundaries; deletions take units only.
    const Bytes current = StreamBytes(engine);
    const auto size = uint32_t(current.size());
    std::vector<uint32_t> bounds;
    for (uint32_t at = 0; at < size;) {
      bounds.push_back(at);
      at += ReadStreamItem(current.data() + at, size - at).size;
    }
    bounds.push_back(size);
    const size_t first = random() % bounds.size();
    const uint32_t at = bounds[first];
    const bool insert = size < 400 || random() % 3 != 0;
    uint32_t oldEnd = at;
    for (size_t n = insert ? 0 : random() % 30, i = first; n > 0 && i + 1 < bounds.size(); --n, ++i) {
      if (StreamUnit(current.data() + bounds[i]) == 0) break;
      oldEnd = bounds[i + 1];
    }
    const xMorvaLines::Change change = lines.RemoveForChange(at, oldEnd);
    const int32_t changedPage = pages.FindPageForLine(change.line);  // before the edit
    std::u16string text;
    for (int n = insert ? int(random() % 40) + 1 : 0; n > 0; --n)
      text += alphabet[random() % alphabet.size()];
    Stream inserted;
    inserted.Text(text);
    if (insert && random() % 12 == 0) inserted.Element(xMorvaElementCode::PageBreak, Stream().Unit(13), 0);
    const Bytes& bytes = inserted.bytes();
    engine.DeleteBytes(int32_t(at), int32_t(oldEnd - at));
    ASSERT_EQ(0, engine.InsertBytes(at, bytes.data(), uint32_t(bytes.size())));
    ASSERT_EQ(0, lines.RecomposeAfterChange(font, change, at + uint32_t(bytes.size())));
    const xMorvaLines::Replaced& replaced = lines.GetLastReplaced();
    if (step % 2 == 1 && !replaced.whole) {
      ASSERT_EQ(0, pages.ComputePageBreaks(changedPage - 1, replaced.first, replaced.oldCount,
                                           replaced.newCount));
    } else {
      ASSERT_EQ(0, pages.ComputePageBreaks(changedPage - 1));
    }
    xMorvaPages whole(&document, &lines);
    ASSERT_EQ(0, whole.ComputePageBreaks(0));
    ASSERT_EQ(pages.GetPageCount(), whole.GetPageCount()) << "step " << step;
    for (int32_t p = 0; p < whole.GetPageCount(); ++p)
      ASSERT_TRUE(pages.GetPage(p) == whole.GetPage(p)) << "step " << step << " page " << p;
    ASSERT_EQ(pages.GetFirstLineOfPage(pages.GetPageCount()), lines.GetLineCount());
    // The lookups of the table kept up to date answer as the sums of its
    // pages, counted one by one, say.
    int64_t lineSum = 0, positionSum = 0;
    uint32_t byteSum = 0;
    for (int32_t p = 0; p < whole.GetPageCount(); ++p) {
      const xMorvaPageRecord r = whole.GetPage(p);
      ASSERT_EQ(pages.GetFirstLineOfPage(p), lineSum) << "step " << step << " page " << p;
      int32_t linesBefore = 0, positionsBefore = 0;
      uint32_t bytesBefore = 0;
      pages.GetPageStart(p, 0, linesBefore, positionsBefore, bytesBefore);
      ASSERT_TRUE(linesBefore == lineSum && positionsBefore == positionSum && bytesBefore == byteSum) << p;
      if (r.lines > 0) {
        ASSERT_EQ(pages.FindPageForLine(int32_t(lineSum)), p) << "step " << step;
      }
      if (r.bytes > 0 && p + 1 < whole.GetPageCount()) {
        int32_t y = 0, column = 0;
        ASSERT_EQ(pages.FindPageForOffset(byteSum, bytesBefore, y, linesBefore, positionsBefore, column), p);
        ASSERT_EQ(pages.FindPageForOffset(byteSum + uint32_t(r.bytes), bytesBefore, y, linesBefore,
                                          positionsBefore, column),
                  p + 1);
      }
      if (r.positions > 0) {
        // From the page's first position (where it begins) to its last.
        ASSERT_EQ(pages.FindPageForPosition(int32_t(positionSum)), p + 1) << "step " << step;
        ASSERT_EQ(pages.FindPageForPosition(int32_t(positionSum + r.positions - 1)), p + 1) << "step " << step;
      }
      lineSum += r.lines;
      positionSum += r.positions;
      byteSum += uint32_t(r.bytes);
    }
    // A unit typed without composing counts on its page and the pages
    // after it start one unit later.
    const int32_t typedOn = int32_t(random() % uint32_t(pages.GetPageCount()));
    int32_t linesBefore = 0, positionsBefore = 0, afterPositions = 0;
    uint32_t bytesBefore = 0, afterBytes = 0;
    pages.GetPageStart(pages.GetPageCount(), 0, linesBefore, positionsBefore, bytesBefore);
    pages.AddToPage(typedOn, 1, 2);
    pages.GetPageStart(pages.GetPageCount(), 0, linesBefore, afterPositions, afterBytes);
    ASSERT_TRUE(afterPositions == positionsBefore + 1 && afterBytes == bytesBefore + 2) << "step " << step;
    pages.AddToPage(typedOn, -1, -2);
  }
  EXPECT_GT(pages.GetPageCount(), 5);
}

}  // namespace
