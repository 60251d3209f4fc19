// Pagination over line tables laid out by hand (every break computed on
// paper) and over real composition after seeded random edits, where
// repaginating from one page before the change must give the whole
// pagination's table.
#include "engine/xMorvaPages.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "document/tests/FakeDocument.h"
#include "document/xMorvaFontTable.h"
#include "engine/tests/EngineTestSupport.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaLines.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/VDIBPort.h"

namespace {

using Columns = std::vector<int16_t>;

// A line of a hand-made table: its height and flags; 4 bytes, 2 positions.
struct L {
  int32_t height;
  uint16_t flags = 0;
};

class HandPages : public testing::Test {
 protected:
  HandPages() : lines(&document, nullptr, 0, 4), pages(&document, &lines) {
    document.params.SetPageSize(400, 100);
    SetMargins(false, 0, 0);
    SetMargins(true, 0, 0);
  }
  void SetMargins(bool first, int32_t top, int32_t bottom) {
    document.params.GetBands(first).topMargin = top;
    document.params.GetBands(first).bottomMargin = bottom;
  }
  void Load(const std::vector<L>& table) {
    while (lines.GetLineCount() > 0) lines.RemoveLines(0, 0, 0, true);
    for (const L& l : table) {
      xMorvaLineRecord record;
      record.height = l.height;
      record.flags = l.flags;
      record.bytes = 4;
      record.positions = 2;
      ASSERT_TRUE(lines.InsertLineRecord(record, lines.GetLineCount()));
    }
  }
  static std::vector<L> Uniform(int count, int32_t height, uint16_t flags = 0) {
    return std::vector<L>(size_t(count), L{height, flags});
  }
  // The columns of every page, trailing empty columns left out; each
  // page's other sums checked against its lines.
  std::vector<Columns> Layout() {
    std::vector<Columns> result;
    int32_t line = 0;
    for (int32_t p = 0; p < pages.GetPageCount(); ++p) {
      const xMorvaPageRecord record = pages.GetPage(p);
      Columns columns(record.columnLines, record.columnLines + xMorvaPageRecord::kMaxColumns);
      while (!columns.empty() && columns.back() == 0) columns.pop_back();
      int32_t height = 0;
      for (int32_t i = line; i < line + record.lines; ++i) height += lines.GetLine(i).height;
      int32_t sum = 0;
      for (int16_t c : columns) sum += c;
      EXPECT_EQ(record.lines, sum) << "page " << p;
      EXPECT_EQ(record.height, height) << "page " << p;
      EXPECT_EQ(record.bytes, 4 * record.lines) << "page " << p;
      EXPECT_EQ(record.positions, 2 * record.lines) << "page " << p;
      EXPECT_EQ(pages.GetFirstLineOfPage(p), line);
      line += record.lines;
      result.push_back(columns);
    }
    EXPECT_EQ(line, lines.GetLineCount());
    return result;
  }

  FakeDocument document;
  xMorvaLines lines;
  xMorvaPages pages;
};

constexpr uint16_t kLast = kLineLastOfParagraph;
constexpr uint16_t kFirst = kLineFirstOfParagraph;

std::vector<L> Concat(std::vector<L> a, const std::vector<L>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct BreakCase {
  const char* name;
  std::vector<L> table;
  int16_t columns;
  bool widow;
  std::vector<Columns> expected;
};

// Page height 100, no margins: ten lines of 10 fill a column.
TEST_F(HandPages, BreaksComputedByHand) {
  const std::vector<L> ten = Uniform(10, 10);
  const BreakCase cases[] = {
      {"empty table", {}, 1, true, {{}}},
      {"twenty-five lines", Uniform(25, 10), 1, false, {{10}, {10}, {5}}},
      {"exactly full", Uniform(10, 10), 1, false, {{10}}},
      {"page break on line 2", Concat(Uniform(2, 10), Concat({{10, kLinePageBreak}}, Uniform(3, 10))),
       1, false, {{3}, {3}}},
      {"page break ends the text", Concat(Uniform(2, 10), {{10, kLinePageBreak}}), 1, false,
       {{3}, {}}},
      {"line taller than the page", {{10}, {150}, {10}}, 1, false, {{1}, {1}, {1}}},
      {"widow: last line takes the previous along", Concat(ten, {{10, kLast}}), 1, true,
       {{9}, {2}}},
      {"widow control off", Concat(ten, {{10, kLast}}), 1, false, {{10}, {1}}},
      {"orphan: a first line does not end the page",
       Concat(Uniform(8, 10), {{10, kLast}, {10, kFirst}, {10}}), 1, true,
       {{9}, {2}}},
      {"previous line ends its paragraph", Concat(Concat(Uniform(9, 10), {{10, kLast}}), {{10, kLast}}),
       1, true, {{10}, {1}}},
      {"end of text is no paragraph end", Concat(ten, {{10, kLineLastOfText}}), 1, true,
       {{10}, {1}}},
      {"two columns", Uniform(25, 10), 2, false, {{10, 10}, {5}}},
      {"widow into the next column", Concat(ten, {{10, kLast}}), 2, true, {{9, 2}}},
      {"column break", Concat({{10, kLineColumnBreak}}, Uniform(12, 10)), 2, false,
       {{1, 10}, {2}}},
      {"column break in the last column", Concat(Uniform(12, 10), {{10, kLineColumnBreak}, {10}}),
       2, false, {{10, 3}, {1}}},
      {"page break in the first column", Concat({{10, kLinePageBreak}}, Uniform(2, 10)), 3, false,
       {{1}, {2}}},
      {"ten columns", Uniform(105, 10), 10, false,
       {{10, 10, 10, 10, 10, 10, 10, 10, 10, 10}, {5}}},
      {"eleven columns held to ten", Uniform(105, 10), 11, false,
       {{10, 10, 10, 10, 10, 10, 10, 10, 10, 10}, {5}}},
  };
  for (const BreakCase& c : cases) {
    Load(c.table);
    document.params.SetColumns(c.columns);
    document.params.SetWidowControl(c.widow ? 1 : 0);
    EXPECT_EQ(0, pages.ComputePageBreaks(0)) << c.name;
    EXPECT_EQ(Layout(), c.expected) << c.name;
  }
}

// With fewer than three lines on the page, nothing moves.
TEST_F(HandPages, WidowControlNeedsThreeLines) {
  document.params.SetPageSize(400, 20);
  Load({{10}, {10}, {10, kLast}});
  ASSERT_EQ(0, pages.ComputePageBreaks(0));
  EXPECT_EQ(Layout(), (std::vector<Columns>{{2}, {1}}));
}

TEST_F(HandPages, FirstPageHasItsOwnHeight) {
  document.params.SetDifferentFirstPage(1);
  SetMargins(true, 30, 20);  // the first page holds 50
  Load(Uniform(27, 10));
  ASSERT_EQ(0, pages.ComputePageBreaks(0));
  EXPECT_EQ(Layout(), (std::vector<Columns>{{5}, {10}, {10}, {2}}));
  // From page 2 on: the other pages' height throughout.
  ASSERT_EQ(0, pages.ComputePageBreaks(2));
  EXPECT_EQ(Layout(), (std::vector<Columns>{{5}, {10}, {10}, {2}}));
}

// A text height at or below 0 gives every line a page of its own.
TEST_F(HandPages, NoTextHeight) {
  for (int32_t height : {0, -40}) {
    SetMargins(false, 100 - height, 0);
    Load(Uniform(4, 10));
    ASSERT_EQ(0, pages.ComputePageBreaks(0));
    EXPECT_EQ(Layout(), (std::vector<Columns>{{1}, {1}, {1}, {1}})) << height;
  }
}

// A page that cannot be stored is reported, and the next pagination,
// whatever page it is asked to start from, rebuilds the whole table.
TEST_F(HandPages, UnstoredPageAsksForFullRebuild) {
  Load(Uniform(35, 10));
  pages.SetRecordLimit(2);
  EXPECT_EQ(kPagesOutOfMemory, pages.ComputePageBreaks(0));
  EXPECT_TRUE(pages.NeedsFullRebuild());
  EXPECT_EQ(pages.GetPageCount(), 2);
  pages.SetRecordLimit(-1);
  EXPECT_EQ(0, pages.ComputePageBreaks(2));
  EXPECT_FALSE(pages.NeedsFullRebuild());
  EXPECT_EQ(Layout(), (std::vector<Columns>{{10}, {10}, {10}, {5}}));
}

// Two columns of 3 lines, lines of 4 bytes and 2 positions: page 0 holds
// bytes 0-24, page 1 bytes 24-40 (column 0: 24-36, column 1: 36-40).
TEST_F(HandPages, OffsetsPositionsAndLines) {
  document.params.SetPageSize(400, 30);
  document.params.SetColumns(2);
  document.params.SetWidowControl(0);
  Load(Uniform(10, 10));
  ASSERT_EQ(0, pages.ComputePageBreaks(0));
  ASSERT_EQ(Layout(), (std::vector<Columns>{{3, 3}, {3, 1}}));
  struct OffsetCase {
    uint32_t offset;
    int16_t viewMode;
    int32_t page, column, lines, positions, y;
    uint32_t bytes;
  };
  const OffsetCase cases[] = {
      {0, 1, 0, 0, 0, 0, 0, 0},      {11, 1, 0, 0, 0, 0, 0, 0},
      {12, 1, 0, 1, 3, 6, 30, 12},   {12, 0, 0, 1, 3, 6, 0, 12},
      {23, 1, 0, 1, 3, 6, 30, 12},   {24, 1, 1, 0, 6, 12, 60, 24},
      {36, 1, 1, 1, 9, 18, 90, 36},  {40, 1, 1, 1, 9, 18, 90, 36},
      {999, 1, 1, 1, 9, 18, 90, 36},
  };
  for (const OffsetCase& c : cases) {
    document.params.SetViewMode(c.viewMode);
    uint32_t bytes = 7;
    int32_t y = 7, linesBefore = 7, positions = 7, column = 7;
    EXPECT_EQ(c.page, pages.FindPageForOffset(c.offset, bytes, y, linesBefore, positions, column))
        << c.offset;
    EXPECT_EQ(c.column, column) << c.offset;
    EXPECT_EQ(c.lines, linesBefore) << c.offset;
    EXPECT_EQ(c.positions, positions) << c.offset;
    EXPECT_EQ(c.y, y) << c.offset;
    EXPECT_EQ(c.bytes, bytes) << c.offset;
  }
  int32_t linesBefore = 0, positions = 0;
  uint32_t bytes = 0;
  pages.GetPageStart(1, 1, linesBefore, positions, bytes);
  EXPECT_EQ(linesBefore, 9);
  EXPECT_EQ(positions, 18);
  EXPECT_EQ(bytes, 36u);
  // Column 1 of page 1 is the last with lines: asking for a later one stops there.
  pages.GetPageStart(1, 5, linesBefore, positions, bytes);
  EXPECT_EQ(linesBefore, 9);
  for (auto [position, page] : std::vector<std::pair<int32_t, int32_t>>{
           {0, 1}, {12, 1}, {13, 2}, {20, 2}, {21, 2}}) {
    EXPECT_EQ(page, pages.FindPageForPosition(position)) << position;
  }
  for (auto [line, page] : std::vector<std::pair<int32_t, int32_t>>{
           {0, 0}, {5, 0}, {6, 1}, {9, 1}, {10, 1}}) {
    EXPECT_EQ(page, pages.FindPageForLine(line)) << line;
  }
}

class PagesDocument : public FakeDocument {
 public:
  PagesDocument() {
    VStr<64> name;
    name.SetAnsiCText("Liberation Sans");
    fFonts.Reset(name);
  }
  xMorvaFontTable* GetFontTable() override { return &fFonts; }

 private:
  xMorvaFontTable fFonts;
};

// Real composition, random edits: the incremental table always equals the
// whole pagination, with widow control, a first page of its own and one to
// three columns.
TEST(Repagination, FromOnePageBeforeTheChangeEqualsWhole) {
  PagesDocument document;
  document.textWidth = 120;
  document.params.SetPageSize(400, 90);
  for (bool first : {false, true}) {
    document.params.GetBands(first).topMargin = first ? 20 : 5;
    document.params.GetBands(first).bottomMargin = 5;
  }
  document.params.SetDifferentFirstPage(1);
  document.params.SetWidowControl(1);
  VDIBPort port(8, 8, 32);
  xMorvaFont font(&port, &document);
  xMorvaEngine engine(nullptr, 128);
  xMorvaLines lines(&document, &engine, 0, 4);
  xMorvaPages pages(&document, &lines);
  std::mt19937 random(121);
  const std::u16string alphabet = u"abcd efgh ijk lmn\rop qrs tu vw\r";
  const Bytes start = Stream().Text(u"One paragraph of some words to fill lines.\rAnother.\r");
  ASSERT_EQ(0, engine.InsertBytes(0, start.data(), uint32_t(start.size())));
  for (int step = 0; step < 250; ++step) {
    document.params.SetColumns(1 + step / 90);
    if (step % 90 == 0) {
      ASSERT_EQ(0, lines.ComposeAll(font));
      ASSERT_EQ(0, pages.ComputePageBreaks(0));
    }
    const Bytes current = StreamBytes(engine);
    const uint32_t size = uint32_t(current.size());
    const uint32_t at = 2 * uint32_t(random() % (size / 2 + 1));
    const bool insert = size < 400 || random() % 3 != 0;
    const uint32_t oldEnd = insert ? at : std::min(size, at + 2 * uint32_t(random() % 30));
    const xMorvaLines::Change change = lines.RemoveForChange(at, oldEnd);
    // The page the change begins on, as the table stood before it.
    const int32_t changedPage = pages.FindPageForLine(change.line);
    uint32_t newEnd = at;
    if (insert) {
      std::u16string text;
      for (int n = int(random() % 40) + 1; n > 0; --n) text += alphabet[random() % alphabet.size()];
      const Bytes bytes = Stream().Text(text);
      ASSERT_EQ(0, engine.InsertBytes(at, bytes.data(), uint32_t(bytes.size())));
      newEnd = at + uint32_t(bytes.size());
    } else {
      engine.DeleteBytes(int32_t(at), int32_t(oldEnd - at));
    }
    ASSERT_EQ(0, lines.RecomposeAfterChange(font, change, newEnd));
    ASSERT_EQ(0, pages.ComputePageBreaks(changedPage - 1));
    xMorvaPages whole(&document, &lines);
    ASSERT_EQ(0, whole.ComputePageBreaks(0));
    ASSERT_EQ(pages.GetPageCount(), whole.GetPageCount()) << "step " << step;
    for (int32_t p = 0; p < whole.GetPageCount(); ++p)
      ASSERT_TRUE(pages.GetPage(p) == whole.GetPage(p)) << "step " << step << " page " << p;
    ASSERT_EQ(pages.GetFirstLineOfPage(pages.GetPageCount()), lines.GetLineCount());
  }
  EXPECT_GT(pages.GetPageCount(), 5);
}

}  // namespace
