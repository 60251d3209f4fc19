// The debug view draws the stream row by row and the line table.
#include "engine/tests/CompositionFixture.h"
#include "engine/xMorvaDebugView.h"

namespace {

using DebugView = Composition;

// Rows of the 32-bit port that hold a pixel other than the first one's.
std::vector<bool> InkedRows(const VDIBPort& port) {
  const auto* bits = static_cast<const uint32_t*>(port.GetBits());
  const int32_t width = port.GetWidth();
  std::vector<bool> rows(size_t(port.GetHeight()), false);
  for (int32_t y = 0; y < port.GetHeight(); ++y) {
    for (int32_t x = 0; x < width; ++x) {
      if ((bits[y * width + x] & 0xFFFFFF) != (bits[0] & 0xFFFFFF)) rows[size_t(y)] = true;
    }
  }
  return rows;
}

void White(VDIBPort& port) {
  port.SetFillColor(RGB(255, 255, 255));
  port.SetFillPatternIndex(6);
  port.PaintRect(0, 0, port.GetWidth(), port.GetHeight());
}

bool AnyInked(const std::vector<bool>& rows, int32_t from, int32_t to) {
  for (int32_t y = from; y < to && y < int32_t(rows.size()); ++y) {
    if (rows[size_t(y)]) return true;
  }
  return false;
}

TEST_F(DebugView, ElementDumpStartsANewRowAfterEachParagraphEnd) {
  // Every kind of item, a cut record at the end included: the dump reads
  // nothing beyond the stream.
  Load(Stream()
           .Record(kPropBold, 1)
           .Tab(20, kTabLeft, '.')
           .Text(u"ab")
           .Element(xMorvaElementCode::Tab, Bytes(14, 0), 14)
           .Element(30000, Bytes(3, 1))
           .Text(u"\rc\r")
           .Unit(0)
           .Unit(kPropItalic));
  VDIBPort canvas(400, 100, 32);
  White(canvas);
  DrawElementDump(canvas, engine);
  const std::vector<bool> rows = InkedRows(canvas);
  // Rows at 25, 45 and 65 (baselines): text above each.
  EXPECT_TRUE(AnyInked(rows, 12, 27));
  EXPECT_TRUE(AnyInked(rows, 32, 47));
  EXPECT_TRUE(AnyInked(rows, 52, 67));
  EXPECT_FALSE(AnyInked(rows, 72, 100));
}

TEST_F(DebugView, LineTableHasOneRowPerLine) {
  Load(Stream().Text(u"one\rtwo\rthree"));
  ASSERT_EQ(0, lines.ComposeAll(font));
  ASSERT_EQ(3, lines.GetLineCount());
  VDIBPort canvas(500, 100, 32);
  White(canvas);
  DrawLineTableDump(canvas, lines);
  const std::vector<bool> rows = InkedRows(canvas);
  EXPECT_TRUE(AnyInked(rows, 5, 21));
  EXPECT_TRUE(AnyInked(rows, 45, 61));
  EXPECT_FALSE(AnyInked(rows, 66, 100));
}

}  // namespace
