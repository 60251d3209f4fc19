#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "area/files/xMorvaResourceSwap.h"
#include "dialogs/xMorvaArrayTable.h"
#include "document/xMorvaTabs.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"

namespace array_table_test {

// A stored (big-endian) template: flag, alignment and the eight lists.
std::vector<uint8_t> Stored(uint8_t separator, int16_t alignment,
                            const std::vector<std::vector<std::pair<int32_t, int32_t>>>& lists) {
  std::vector<uint8_t> bytes = {separator, 0, 0, 0, uint8_t(uint16_t(alignment) >> 8), uint8_t(alignment)};
  auto put16 = [&](int32_t v) { bytes.push_back(uint8_t(v >> 8)), bytes.push_back(uint8_t(v)); };
  auto put32 = [&](int32_t v) { put16(int32_t(uint32_t(v) >> 16)), put16(v & 0xFFFF); };
  for (const auto& list : lists) {
    put16(int32_t(list.size()));
    for (const auto& [id, value] : list) put32(id), put32(value);
  }
  return bytes;
}

xMorvaArrayTemplate Parsed(std::vector<uint8_t> bytes, bool* whole = nullptr) {
  SwapPlugInResource(true, FourCC("ARAY"), uint32_t(bytes.size()), bytes.data());
  xMorvaArrayTemplate model;
  const bool read = ReadArrayTemplate(bytes.data(), bytes.size(), model);
  if (whole != nullptr) *whole = read;
  return model;
}

TEST(ArrayTemplateTest, StoredTemplateSwappedAndReadListByList) {
  std::vector<std::vector<std::pair<int32_t, int32_t>>> lists(8);
  lists[0] = {{7, 3}, {38, 0xB3B3FF}};
  lists[3] = {{0, -1}};
  lists[7] = {{10, 1}, {45, 2}, {64, 9}};
  bool whole = false;
  const xMorvaArrayTemplate model = Parsed(Stored(1, 4, lists), &whole);
  EXPECT_TRUE(whole);
  EXPECT_TRUE(model.separator);
  EXPECT_EQ(4, model.alignment);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(lists[size_t(i)], model.lists[i]) << "list " << i;
  // Swapping back gives the stored bytes again.
  std::vector<uint8_t> bytes = Stored(1, 4, lists);
  const std::vector<uint8_t> stored = bytes;
  SwapPlugInResource(true, FourCC("ARAY"), uint32_t(bytes.size()), bytes.data());
  SwapPlugInResource(false, FourCC("ARAY"), uint32_t(bytes.size()), bytes.data());
  EXPECT_EQ(stored, bytes);
}

TEST(ArrayTemplateTest, BadTemplatesReadNoFurtherThanTheirBytes) {
  std::vector<std::vector<std::pair<int32_t, int32_t>>> lists(8);
  lists[0] = {{7, 1}, {8, 2}};
  lists[1] = {{9, 3}};
  const std::vector<uint8_t> good = Stored(0, 2, lists);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool whole;
    size_t first;  // entries of list 1 kept
    size_t second;
  };
  std::vector<uint8_t> pastEnd = good;
  pastEnd[7] = 100;  // list 1 claims 100 entries
  std::vector<uint8_t> negative = good;
  negative[6] = 0xFF, negative[7] = 0xFE;  // -2: an empty list, its entries then read as list 2's count
  std::vector<uint8_t> cut(good.begin(), good.begin() + 6 + 2 + 12);
  const Case cases[] = {
      {"five bytes", {1, 0, 0, 0, 2}, false, 0, 0},
      {"empty", {}, false, 0, 0},
      {"head only", {1, 0, 0, 0, 0, 3}, false, 0, 0},
      {"count past the end", pastEnd, false, 4, 0},
      {"negative count", negative, false, 0, 0},
      {"cut inside an entry", cut, false, 1, 0},
      {"whole", good, true, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool whole = true;
    const xMorvaArrayTemplate model = Parsed(c.bytes, &whole);
    EXPECT_EQ(c.whole, whole);
    EXPECT_EQ(c.first, model.lists[0].size());
    EXPECT_EQ(c.second, model.lists[1].size());
  }
}

class ArrayTableTest : public ::testing::Test {
 protected:
  ArrayTableTest() {
    table.SetTextWidth(600);
    table.AddTemplate(xMorvaArrayTemplate());
    table.SetFont(3, 12);
    table.MakeLineRecords();
    table.MakeColumnRecords();
  }
  std::vector<uint32_t> Stops() {
    xMorvaTabs tabs;
    table.MakeTabs(tabs);
    std::vector<uint32_t> stops;
    for (int32_t i = 0; i < tabs.Count(); ++i) stops.push_back(tabs.StopAt(i));
    return stops;
  }
  std::u16string Text() {
    table.BuildTable(engine, nullptr);
    VStrInHandle text;
    engine.WritePlainText(text, false, false);
    std::u16string units;
    for (int32_t i = 1; i <= text.GetLength(); ++i) units.push_back(text.GetCharAt(i));
    return units;
  }
  xMorvaArrayTable table;
  xMorvaEngine engine{nullptr, xMorvaEngine::kPartGranule};
};

TEST_F(ArrayTableTest, WidthsShareTheTextAndFixedColumnsKeepTheirs) {
  for (int32_t c = 1; c <= 4; ++c) EXPECT_EQ(150, table.ColumnAt(c).width);
  table.ColumnAt(1).fixed = true;
  table.ColumnAt(1).width = 300;
  EXPECT_TRUE(table.DistributeWidths(false));
  EXPECT_EQ(300, table.ColumnAt(1).width);
  EXPECT_EQ(100, table.ColumnAt(4).width);
  EXPECT_EQ(1, table.LineKind(1).record.states.GetState(37));
  // Every column fixed: the lines' right indent takes what is left.
  for (int32_t c = 2; c <= 4; ++c) table.ColumnAt(c).fixed = true, table.ColumnAt(c).width = 50;
  EXPECT_TRUE(table.DistributeWidths(false));
  EXPECT_EQ(150, table.LineKind(4).record.properties.GetProperty(37));
  EXPECT_EQ(0, table.LineKind(4).record.states.GetState(37));
  // Wider than the text: the distribution fails.
  table.ColumnAt(2).width = 400;
  EXPECT_FALSE(table.DistributeWidths(false));
  // A share under 5 pixels unfixes from the last column on.
  table.ColumnAt(1).fixed = false;
  table.ColumnAt(2).width = 580;
  EXPECT_TRUE(table.DistributeWidths(true));
  EXPECT_FALSE(table.ColumnAt(4).fixed);
  EXPECT_FALSE(table.ColumnAt(3).fixed);
  EXPECT_TRUE(table.ColumnAt(2).fixed);
  EXPECT_EQ(6, table.ColumnAt(3).width);
  // A text too narrow for 5 pixels a column even with nothing fixed fails.
  table.SetTextWidth(10);
  EXPECT_FALSE(table.DistributeWidths(true));
  EXPECT_FALSE(table.ColumnAt(2).fixed);
  EXPECT_EQ(2, table.ColumnAt(1).width);
}

TEST_F(ArrayTableTest, StopsFollowAlignmentAndEdges) {
  ASSERT_TRUE(table.SetColumns(3));
  for (int32_t c = 1; c <= 3; ++c) table.ColumnAt(c).fixed = true, table.ColumnAt(c).width = 100;
  // Left columns without property 45: only the last edge, a right stop.
  EXPECT_EQ(std::vector<uint32_t>{MakeTabStop(300, 0, kTabRight)}, Stops());
  table.ColumnAt(2).record.Set(10, 1);
  EXPECT_EQ((std::vector<uint32_t>{MakeTabStop(200, 0, kTabCentre), MakeTabStop(300, 0, kTabRight)}), Stops());
  table.ColumnAt(1).width = 101;
  table.ColumnAt(1).alignment = 2;
  table.ColumnAt(2).alignment = 4;
  table.ColumnAt(2).record.Reset();
  table.ColumnAt(3).alignment = 3;
  EXPECT_EQ((std::vector<uint32_t>{MakeTabStop(50, 0, kTabCentre), MakeTabStop(101 + 74, 0, kTabDecimal),
                                   MakeTabStop(201 + 95, 0, kTabRight), MakeTabStop(301, 0, kTabRight)}),
            Stops());
  table.CurrentTemplate()->separator = true;
  EXPECT_EQ(6u, Stops().size());
  EXPECT_EQ(5, TabStopKind(Stops()[1]));
}

TEST_F(ArrayTableTest, ColumnCountsThatOverflowTheStopsAreRefused) {
  // Centred columns with separators: two stops a column.
  table.CurrentTemplate()->separator = true;
  table.CurrentTemplate()->alignment = 2;
  EXPECT_TRUE(table.SetColumns(128));
  EXPECT_EQ(256, table.CountStops());
  EXPECT_FALSE(table.SetColumns(129));
  EXPECT_EQ(128, table.GetColumns());
  EXPECT_TRUE(table.SetColumns(2));
  EXPECT_EQ(300, table.ColumnAt(1).width);
  // Columns sharing a text 40,000 pixels wide would reach past 32,767.
  table.SetTextWidth(40000);
  EXPECT_FALSE(table.SetColumns(3));
  EXPECT_EQ(2, table.GetColumns());
  EXPECT_EQ(300, table.ColumnAt(1).width);
  table.SetTextWidth(32000);
  EXPECT_TRUE(table.SetColumns(3));
  // A width typed past the limit: the stops stop short of it, none wraps.
  table.ColumnAt(3).fixed = true;
  table.ColumnAt(3).width = 20000;
  for (uint32_t stop : Stops()) EXPECT_GE(TabStopPosition(stop), 0);
  EXPECT_EQ(4u, Stops().size());
}

TEST_F(ArrayTableTest, TemplateListsGoToTheirLinesAndColumns) {
  xMorvaArrayTemplate model;
  model.alignment = 3;
  model.lists[xMorvaArrayTemplate::kAllLines] = {{33, 20}, {99, 1}, {-1, 1}};
  model.lists[xMorvaArrayTemplate::kEvenLines] = {{38, 0xCCCCCC}};
  model.lists[xMorvaArrayTemplate::kFirstLine] = {{0, 1}};
  model.lists[xMorvaArrayTemplate::kLastLine] = {{39, 0x0000FF}};
  model.lists[xMorvaArrayTemplate::kAllColumns] = {{2, 1}};
  model.lists[xMorvaArrayTemplate::kEvenColumns] = {{3, 1}};
  model.lists[xMorvaArrayTemplate::kFirstColumn] = {{45, 1}};
  model.lists[xMorvaArrayTemplate::kLastColumn] = {{10, 1}};
  table.AddTemplate(model);
  table.SetTemplate(2);
  table.SetLines(6);
  table.ApplyLineTemplate();
  table.ApplyColumnTemplate();
  EXPECT_EQ(3, table.LineKind(3).record.properties.GetProperty(7));
  EXPECT_EQ(20, table.LineKind(3).record.properties.GetProperty(33));
  EXPECT_FALSE(table.LineKind(3).record.Defines(38));
  EXPECT_TRUE(table.LineKind(2).record.Defines(38));
  EXPECT_TRUE(table.LineKind(1).record.Defines(0));
  EXPECT_FALSE(table.LineKind(2).record.Defines(0));
  // L even: the last line also takes the even lines' list.
  EXPECT_TRUE(table.LineKind(4).record.Defines(38));
  EXPECT_TRUE(table.LineKind(4).record.Defines(39));
  table.SetLines(5);
  table.ApplyLineTemplate();
  EXPECT_FALSE(table.LineKind(4).record.Defines(38));
  EXPECT_TRUE(table.ColumnAt(1).record.Defines(45));
  EXPECT_FALSE(table.ColumnAt(1).record.Defines(3));
  EXPECT_TRUE(table.ColumnAt(2).record.Defines(3));
  EXPECT_TRUE(table.ColumnAt(4).record.Defines(10));
  EXPECT_EQ(3, table.ColumnAt(4).alignment);
}

TEST_F(ArrayTableTest, NumberedColumnsAndLinesWriteTheirCells) {
  ASSERT_TRUE(table.SetColumns(3));
  table.SetLines(3);
  table.ColumnAt(1).kind = xMorvaArrayTable::kNumbered;
  table.LineKind(1).leaveEmpty = true;
  // Left columns without stops: no tabs; the last line is its own.
  EXPECT_EQ(u"\r\r1\r2\r\r", Text());
  table.ColumnAt(1).record.Set(10, 1);
  table.ColumnAt(1).start = 0;
  table.LineKind(1).leaveEmpty = false;
  EXPECT_EQ(u"\r\t\r1\t\r2\t\r\r", Text());
  table.LineKind(1).numbered = true;
  table.LineKind(1).style = 3;  // upper-case letters
  table.ColumnAt(3).alignment = 2;
  EXPECT_EQ(u"\rA\tB\tC\r1\t\t\r2\t\t\r\r", Text());
  // A single line is the last line, its content that of the first.
  table.SetLines(1);
  EXPECT_EQ(u"\rA\tB\tC\r\r", Text());
  table.SetLines(0);
  EXPECT_EQ(u"\rA\tB\tC\r\r", Text()) << "a table of no lines keeps the text as it was";
}

class Fields : public xMorvaArrayFieldSource {
 public:
  int32_t RecordCount(int16_t table) override { return table == 2 ? 2 : 0; }
  void WriteField(int16_t, int16_t field, int32_t record, xMorvaEngine& engine) override {
    engine.TypeCharacter(char16_t(u'a' + field));
    engine.TypeCharacter(char16_t(u'0' + record));
  }
};

TEST_F(ArrayTableTest, FieldCellsReadRecordByRecordWhileThereAreRecords) {
  ASSERT_TRUE(table.SetColumns(2));
  table.SetLines(4);
  table.ColumnAt(2).kind = xMorvaArrayTable::kFieldValues;
  table.ColumnAt(2).fieldTable = 2;
  table.ColumnAt(2).fieldNumber = 1;
  Fields fields;
  table.BuildTable(engine, &fields);
  VStrInHandle text;
  engine.WritePlainText(text, false, false);
  std::u16string units;
  for (int32_t i = 1; i <= text.GetLength(); ++i) units.push_back(text.GetCharAt(i));
  EXPECT_EQ(u"\rb1\rb2\r\r\r\r", units);
}

}  // namespace array_table_test

#ifdef QV_RESOURCE_FILE
#include "dialogs/xMorvaDialogNewArray.h"
#include "framework/system/resources/VMacResourceFile.h"

namespace array_table_test {

TEST(ArrayTemplateTest, ModuleTemplatesListedByIdWithTheirNames) {
  std::unique_ptr<VMacResourceFile> file(VMacResourceFile::OpenExact(QV_RESOURCE_FILE, 0));
  ASSERT_NE(nullptr, file);
  xMorvaArrayTable table;
  std::vector<std::string> names;
  LoadArrayTemplates(*file, table, names);
  EXPECT_EQ((std::vector<std::string>{"Plain", "Ruled", "Banded", "Figures"}), names);
  ASSERT_EQ(4, table.TemplateCount());
  // The separator flags (single bytes, in either byte order); the values
  // go through the module's resource swap, which the host's run checks.
  table.SetTemplate(1);
  EXPECT_FALSE(table.CurrentTemplate()->separator);
  table.SetTemplate(2);
  EXPECT_TRUE(table.CurrentTemplate()->separator);
  table.SetTemplate(4);
  EXPECT_TRUE(table.CurrentTemplate()->separator);
}

}  // namespace array_table_test
#endif
