// The point-based commands on an area's text, by family, on an area of a
// form and on an offscreen area: the conversions of points, colours, style
// bits and codes, what each command answers and records, and bad input
// that records its code and leaves the document as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "area/commands/xMorvaPointConversions.h"
#include "area/tests/AreaTestSupport.h"
#include "area/tests/DocumentFileSupport.h"
#include "area/tests/HostPictureSupport.h"
#include "area/view/xMorvaFrame.h"
#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VDIBPort.h"
#include "platform/toolbox/TbxHandles.h"
#include "views/VPaneView.h"

// Named: the test files are compiled in batches.
namespace low_text_test {

namespace convert = xMorvaPointConversions;
using areatest::AreaTest;
using areatest::PString;
using documentfile::Bytes;

int32_t R() { return GetScreenResolution(); }

using areatest::HostText;

// A two-dimensional host array of rows of words, as command 17 takes it:
// each row (type, number of elements) with its handle of count + 1 words.
struct HostArray {
  HostArray(uint8_t type, std::vector<std::pair<uint8_t, uint32_t>> rows) {
    std::vector<HostArrayRow> records(rows.size() + 1);
    for (size_t r = 0; r < rows.size(); ++r) {
      HostArrayRow& row = records[r + 1];
      row.type = rows[r].first;
      row.array.count = rows[r].second;
      const std::vector<int16_t> words(rows[r].second + 1, int16_t(-7));
      row.array.handle = tablecommands::NewHandleWith(
          Bytes(reinterpret_cast<const uint8_t*>(words.data()), reinterpret_cast<const uint8_t*>(words.data()) + words.size() * 2));
      handles.push_back(uint32_t{row.array.handle});
    }
    entry.type = type;
    entry.value.array.count = uint32_t(rows.size());
    entry.value.array.handle = tablecommands::NewHandleWith(
        Bytes(reinterpret_cast<const uint8_t*>(records.data()),
              reinterpret_cast<const uint8_t*>(records.data()) + records.size() * sizeof(HostArrayRow)));
    handles.push_back(uint32_t{entry.value.array.handle});
  }
  ~HostArray() {
    for (uint32_t h : handles) Tbx::DisposeHandle(h);
  }
  // Element k of row r (from 1).
  int16_t At(size_t r, size_t k) const {
    const Bytes bytes = tablecommands::HandleBytes(handles[r - 1]);
    int16_t v = 0;
    std::memcpy(&v, bytes.data() + 2 * k, 2);
    return v;
  }
  // All the words of every row, to see that nothing was written.
  std::vector<Bytes> Rows() const {
    std::vector<Bytes> all;
    for (uint32_t h : handles) all.push_back(tablecommands::HandleBytes(h));
    return all;
  }
  HostVariableEntry entry{};
  std::vector<uint32_t> handles;
};

class LowTextCommandsTest : public areatest::TextAreasTest {
 protected:
  xMorvaEngine& Engine(uint32_t ref) { return *static_cast<xMorvaEngine*>(Doc(ref).GetCurrentPart()); }
  void Select(uint32_t ref, int32_t start, int32_t end) { Engine(ref).SetSelection(start, end); }
  std::string PlainText(uint32_t ref, int32_t start, int32_t end) {
    HostText out;
    Run(20, ref, {&start, &end}, &out.record);
    return out.Text();
  }
  // What a refused command must leave: the body's bytes, the selection and
  // the style sheets.
  struct State {
    Bytes body;
    int32_t start, end, sheets;
    bool operator==(const State&) const = default;
  };
  State StateOf(uint32_t ref) {
    return {documentfile::StreamOf(Doc(ref), kPartBody), Engine(ref).GetSelStart(), Engine(ref).GetSelEnd(),
            Doc(ref).StyleSheetCount()};
  }
};

// ---- Conversions

TEST(LowTextConversions, PointsRoundBothWaysAndComeBackAsSet) {
  const int32_t r = R();
  for (int32_t pixels : {0, 1, 7, 13, 35, 36, 95, 96, 97, 1000, -1, -13, -97}) {
    EXPECT_EQ(convert::PixelsToPoints(pixels), int32_t(std::lround(double(pixels) * 72.0 / r))) << pixels;
  }
  for (int32_t points : {0, 1, 3, 10, 36, 72, 100, -1, -5, -10}) {
    EXPECT_EQ(convert::PointsToPixels(points), int32_t(std::lround(double(points) * r / 72.0))) << points;
  }
  // A pixel is smaller than a point, so every length in points a host sets
  // reads back unchanged (10 points: 13 pixels, not 9 points).
  ASSERT_GE(r, 72);
  for (int32_t points = -400; points <= 2000; ++points) {
    ASSERT_EQ(convert::PixelsToPoints(convert::PointsToPixels(points)), points);
  }
}

TEST(LowTextConversions, ColoursSwapRedAndBlue) {
  struct Row {
    int32_t host, stored;
  };
  const Row rows[] = {{0x0000FF, 0xFF0000}, {0xFF0000, 0x0000FF}, {0x00FF00, 0x00FF00},
                      {0x123456, 0x563412}, {0, 0},               {-1, -1}};
  for (const Row& row : rows) {
    EXPECT_EQ(convert::HostToStoredColour(row.host), row.stored) << std::hex << row.host;
    EXPECT_EQ(convert::StoredToHostColour(row.stored), row.host) << std::hex << row.stored;
  }
}

TEST(LowTextConversions, StyleBitsAndVerticalPosition) {
  xMorvaProperties properties;
  properties.SetProperty(kPropBold, 1);
  properties.SetProperty(kPropUnderline, 3);  // any kind reads as 4
  properties.SetProperty(kPropVerticalPosition, 2);
  EXPECT_EQ(convert::StyleBitsOf(properties), 1 + 4 + 64);
  properties.SetProperty(kPropShadow, 1);
  properties.SetProperty(kPropItalic, 1);
  properties.SetProperty(kPropVerticalPosition, 1);
  EXPECT_EQ(convert::StyleBitsOf(properties), 1 + 2 + 4 + 16 + 32);
  // 32 wins over 64; the clear-and-set reading reverses them.
  EXPECT_EQ(convert::VerticalPositionOfBits(96, false), 1);
  EXPECT_EQ(convert::VerticalPositionOfBits(64, false), 2);
  EXPECT_EQ(convert::VerticalPositionOfBits(8, false), 0);
  EXPECT_EQ(convert::VerticalPositionOfBits(96, true), 1);
  EXPECT_EQ(convert::VerticalPositionOfBits(32, true), 2);
}

TEST(LowTextConversions, InterlineTabKindAndLeaderCodes) {
  for (int16_t n = 0; n <= 17; ++n) {
    EXPECT_EQ(convert::InterlineOfCode(n), 10 + 5 * n);
    EXPECT_EQ(convert::CodeOfInterline(convert::InterlineOfCode(n)), n);
  }
  // Below single spacing the unsigned division gives a large code.
  EXPECT_EQ(convert::CodeOfInterline(5), int16_t(uint32_t(-5) / 5u));
  const uint8_t stored[] = {1, 3, 4, 2};
  for (int16_t kind = 0; kind < 4; ++kind) {
    EXPECT_EQ(convert::StoredTabKind(kind), stored[kind]);
    EXPECT_EQ(convert::HostTabKind(stored[kind]), kind);
  }
  const uint8_t leaders[] = {0, '.', '-', '_'};
  for (int16_t code = 0; code < 4; ++code) {
    EXPECT_EQ(convert::StoredTabLeader(code), leaders[code]);
    EXPECT_EQ(convert::HostTabLeader(leaders[code]), code);
  }
  EXPECT_EQ(convert::StoredTabLeader(0x12A), 0x2A);
  EXPECT_EQ(convert::HostTabLeader('*'), '*');
}

// ---- Selection

TEST_F(LowTextCommandsTest, SelectionIsReadSetAndAReversedRangeIsIgnored) {
  for (uint32_t ref : Areas("Hello brave world")) {
    int32_t start = 6, end = 11;
    Run(3, ref, {&start, &end});
    int32_t a = -1, b = -1;
    Run(2, ref, {&a, &b});
    EXPECT_EQ(a, 6);
    EXPECT_EQ(b, 11);
    start = 10, end = 5;
    Run(3, ref, {&start, &end});
    EXPECT_EQ(LastError(ref), 0);
    Run(2, ref, {&a, &b});
    EXPECT_EQ(a, 6);
    EXPECT_EQ(b, 11);
    Run(27, ref);
    EXPECT_EQ(LastError(ref), 0);
  }
}

TEST_F(LowTextCommandsTest, SelectByKindParagraphsWordAndElements) {
  for (uint32_t ref : Areas("One two\nThree\nFour")) {
    int16_t kind = 2;
    int32_t a = 2, b = 3;
    Run(59, ref, {&kind, &a, &b});
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_EQ(Engine(ref).GetSelStart(), 8);
    EXPECT_EQ(Engine(ref).GetSelEnd(), 18);
    Select(ref, 5, 6);
    kind = 6;
    Run(59, ref, {&kind, &a, &b});
    EXPECT_EQ(Engine(ref).GetSelStart(), 4);
    EXPECT_EQ(Engine(ref).GetSelEnd(), 7);
    // Two soft hyphens: the second is selected as one position.
    Select(ref, 1, 1);
    Run(88, ref);
    Select(ref, 3, 3);
    Run(88, ref);
    kind = 9, a = 2;
    Run(59, ref, {&kind, &a, &b});
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_EQ(Engine(ref).GetSelStart(), 3);
    EXPECT_EQ(Engine(ref).GetSelEnd(), 4);
  }
}

TEST_F(LowTextCommandsTest, SelectByKindRefusesBadKindsAndMissingElements) {
  struct Row {
    int16_t kind;
    int32_t a, b, code;
  };
  const Row rows[] = {{-1, 1, 1, 1055}, {15, 1, 1, 1055}, {1, 0, 0, 1028}, {1, 1, 0, 1028},
                      {1, 3, 0, 1028},  {4, 1, 0, 1028},  {9, 0, 0, 1028}, {2, 5, 6, 1028},
                      {0, -1, 3, 1028}, {0, 4, 2, 1028}};
  for (uint32_t ref : Areas("Some text\nMore")) {
    Select(ref, 2, 4);
    const State before = StateOf(ref);
    for (const Row& row : rows) {
      Row r = row;
      Run(59, ref, {&r.kind, &r.a, &r.b});
      EXPECT_EQ(LastError(ref), row.code) << row.kind << " " << row.a;
      EXPECT_TRUE(StateOf(ref) == before) << row.kind;
    }
  }
}

TEST_F(LowTextCommandsTest, APointOutsideTheAreaHasNoPosition) {
  for (uint32_t ref : Areas("Text")) {
    int16_t x = -20, y = -20;
    int32_t p3 = 9, p4 = 9, result = 9;
    Run(84, ref, {&x, &y, &p3, &p4}, &result);
    EXPECT_EQ(p3, 0);
    EXPECT_EQ(p4, 0);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(LastError(ref), 0);
  }
}

// ---- Text

TEST_F(LowTextCommandsTest, TextGoesInAndComesOutPlain) {
  for (uint32_t ref : Areas("")) {
    HostText in("Name\tValue\rNext");
    Run(19, ref, {&in.record});
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_EQ(Engine(ref).GetLength(), 15);
    EXPECT_EQ(Engine(ref).GetSelStart(), 15);
    EXPECT_EQ(PlainText(ref, 0, 15), "Name\tValue\rNext");
    EXPECT_EQ(PlainText(ref, 5, 10), "Value");
    // Past the end: the whole text; the selection stays.
    EXPECT_EQ(PlainText(ref, 5, 1000000), "Name\tValue\rNext");
    EXPECT_EQ(Engine(ref).GetSelStart(), 15);
    Select(ref, 0, 4);
    HostText out;
    Run(21, ref, {}, &out.record);
    EXPECT_EQ(out.Text(), "Name");
    // The host's character set has no soft hyphen: the text goes out
    // without it, and with every character around it.
    Select(ref, 2, 2);
    Run(88, ref);
    EXPECT_EQ(Engine(ref).GetLength(), 16);
    EXPECT_EQ(PlainText(ref, 0, 5), "Name");
    Select(ref, 0, 5);
    Run(21, ref, {}, &out.record);
    EXPECT_EQ(out.Text(), "Name");
  }
}

TEST_F(LowTextCommandsTest, BadTextRangesRecordTheirCodeAndGiveNoText) {
  struct Row {
    int32_t start, end, code;
  };
  // Past the end the range is the whole text, here over 32,000 positions.
  const Row rows[] = {{-1, 3, 1013}, {5, 1, 1013}, {0, 40000, 1024}, {5, 1000000, 1024}, {0, 32001, 1024}};
  for (uint32_t ref : Areas("")) {
    HostText in(std::string(32010, 'x'));
    Run(19, ref, {&in.record});
    Select(ref, 3, 4);
    const State before = StateOf(ref);
    for (const Row& row : rows) {
      HostText out("old");
      Row r = row;
      Run(20, ref, {&r.start, &r.end}, &out.record);
      EXPECT_EQ(LastError(ref), row.code) << row.start << " " << row.end;
      EXPECT_EQ(uint32_t{out.record.handle}, 0u);
      EXPECT_TRUE(StateOf(ref) == before);
    }
    Select(ref, 0, 32001);
    HostText out("old");
    Run(21, ref, {}, &out.record);
    EXPECT_EQ(LastError(ref), 1024);
    EXPECT_EQ(uint32_t{out.record.handle}, 0u);
  }
}

TEST_F(LowTextCommandsTest, DeletingBackwardAndSoftHyphens) {
  for (uint32_t ref : Areas("abcdefgh")) {
    Select(ref, 0, 0);
    Run(40, ref);
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_EQ(Engine(ref).GetLength(), 8);
    Select(ref, 5, 5);
    Run(40, ref);
    EXPECT_EQ(PlainText(ref, 0, 100), "abcdfgh");
    Select(ref, 2, 2);
    int32_t found = -1;
    Run(90, ref, {}, &found);
    EXPECT_EQ(found, 0);
    Run(89, ref);
    EXPECT_EQ(LastError(ref), 1072);
    EXPECT_EQ(Engine(ref).GetSelStart(), 2);
    Run(88, ref);
    EXPECT_EQ(Engine(ref).GetLength(), 8);
    int16_t kind = 9;
    int32_t first = 1, unused = 0;
    Run(59, ref, {&kind, &first, &unused});
    EXPECT_EQ(Engine(ref).GetSelStart(), 2);
    Select(ref, 3, 3);
    // The caret after the hyphen: it is before the caret.
    Run(90, ref, {}, &found);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(Engine(ref).GetSelStart(), 3);
    Run(89, ref);
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_EQ(PlainText(ref, 0, 100), "abcdfgh");
  }
}

// ---- Character attributes

TEST_F(LowTextCommandsTest, CharacterAttributesGoOutInHostForm) {
  for (uint32_t ref : Areas("Colour and style")) {
    Select(ref, 0, 6);
    int16_t font = -1, size = 0, bits = -1;
    int32_t colour = 0x0000FF;
    Run(12, ref, {&font, &size, &bits, &colour});
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropTextColour), 0xFF0000);
    int16_t out[3] = {-9, -9, -9};
    int32_t outColour = -9;
    Run(11, ref, {&out[0], &out[1], &out[2], &outColour});
    EXPECT_EQ(outColour, 0x0000FF);
    EXPECT_EQ(out[2], 0);
    EXPECT_GT(out[1], 0);
    // Bits 96: superscript; over a mixed selection the bits read -1.
    bits = 96 | 1;
    colour = -1;
    Run(12, ref, {&font, &size, &bits, &colour});
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropVerticalPosition), 1);
    Run(11, ref, {&out[0], &out[1], &out[2], &outColour});
    EXPECT_EQ(out[2], 1 + 32);
    Select(ref, 3, 10);
    Run(11, ref, {&out[0], &out[1], &out[2], &outColour});
    EXPECT_EQ(out[2], -1);
    EXPECT_EQ(outColour, -1);
  }
}

// Red as the host gives it (0xFF0000) is stored with red in the low byte,
// drawn red, and read back as red by both command sets.
TEST_F(LowTextCommandsTest, AColourFromTheHostIsDrawnAndReadBackAsGiven) {
  for (uint32_t ref : Areas("Red text")) {
    Select(ref, 0, 3);
    int16_t font = -1, size = 0, bits = -1;
    int32_t colour = 0xFF0000;
    Run(12, ref, {&font, &size, &bits, &colour});
    ASSERT_EQ(LastError(ref), 0);
    const int32_t stored = Engine(ref).GetPropertyValue(kPropTextColour);
    EXPECT_EQ(stored, 0x0000FF);

    VDIBPort port(8, 8, 32);
    xMorvaFont drawing(&port, nullptr);
    drawing.ApplyProperty(kPropTextColour, stored, false);
    EXPECT_EQ(port.GetTextColor(), RGB(255, 0, 0));

    int16_t out[3] = {-9, -9, -9};
    int32_t outColour = -9;
    Run(11, ref, {&out[0], &out[1], &out[2], &outColour});
    EXPECT_EQ(outColour, 0xFF0000);
    int16_t id = kPropTextColour;
    int16_t uniform = -1;
    double read = -1;
    Run(102, ref, {&id, &uniform}, &read);
    EXPECT_EQ(read, double(0xFF0000));

    // The other command set sets it the same way.
    double green = 0x00FF00;
    Run(103, ref, {&id, &green});
    ASSERT_EQ(LastError(ref), 0);
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropTextColour), 0x00FF00);
    double blue = 0x0000FF;
    Run(103, ref, {&id, &blue});
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropTextColour), 0xFF0000);
    Run(11, ref, {&out[0], &out[1], &out[2], &outColour});
    EXPECT_EQ(outColour, 0x0000FF);
  }
}

TEST_F(LowTextCommandsTest, ClearAndSetStyleBitsReverseTheVerticalBits) {
  for (uint32_t ref : Areas("Style bits")) {
    Select(ref, 0, 5);
    int16_t clear = 0, set = 96 | 2;
    Run(63, ref, {&clear, &set});
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropVerticalPosition), 1);
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropItalic), 1);
    set = 32;
    Run(63, ref, {&clear, &set});
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropVerticalPosition), 2);
    clear = 64 | 2, set = 4;
    Run(63, ref, {&clear, &set});
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropVerticalPosition), 0);
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropItalic), 0);
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropUnderline), 1);
    EXPECT_EQ(LastError(ref), 0);
  }
}

// ---- Paragraph attributes

TEST_F(LowTextCommandsTest, IndentsInPointsRoundTrip) {
  for (uint32_t ref : Areas("Indented paragraph")) {
    int16_t left = 36, first = 72, right = -1;
    const int32_t rightIndent = Engine(ref).GetPropertyValue(kPropRightIndent);
    Run(14, ref, {&left, &first, &right});
    ASSERT_EQ(LastError(ref), 0);
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropLeftIndent), convert::PointsToPixels(36));
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropFirstLineIndent),
              convert::PointsToPixels(72) - convert::PointsToPixels(36));
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropRightIndent), rightIndent);
    int16_t out[3] = {-9, -9, -9};
    Run(13, ref, {&out[0], &out[1], &out[2]});
    EXPECT_EQ(out[0], convert::PixelsToPoints(convert::PointsToPixels(36)));
    EXPECT_NEAR(out[1], 72, 1);
    EXPECT_EQ(out[2], convert::PixelsToPoints(convert::RightEdgeOf(Doc(ref)) - rightIndent));
  }
}

TEST_F(LowTextCommandsTest, BadIndentsRecordTheirCodeAndChangeNothing) {
  for (uint32_t ref : Areas("Indents")) {
    const int32_t w = convert::PixelsToPoints(convert::RightEdgeOf(Doc(ref)));
    struct Row {
      int16_t left, first, right;
      int32_t code;
    };
    // A hanging first line of 36 points: moving the left edge to 0 would
    // put it before the left edge.
    int16_t left = 36, first = 0, right = -1;
    Run(14, ref, {&left, &first, &right});
    ASSERT_EQ(LastError(ref), 0);
    const Row rows[] = {{int16_t(w), -1, -1, 1003}, {0, -1, -1, 1004}, {0, int16_t(w), -1, 1005}};
    const State before = StateOf(ref);
    for (const Row& row : rows) {
      Row r = row;
      Run(14, ref, {&r.left, &r.first, &r.right});
      EXPECT_EQ(LastError(ref), row.code) << row.left << " " << row.first;
      EXPECT_TRUE(StateOf(ref) == before);
    }
  }
}

TEST_F(LowTextCommandsTest, InterlineAndAlignmentCodes) {
  for (uint32_t ref : Areas("Spacing")) {
    int16_t code = 2;
    Run(15, ref, {&code});
    EXPECT_EQ(Engine(ref).GetPropertyValue(kPropInterline), 20);
    int16_t alignment = 3;
    Run(16, ref, {&alignment});
    int16_t out[2] = {-9, -9};
    Run(61, ref, {&out[0], &out[1]});
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 3);
    const State before = StateOf(ref);
    for (int16_t bad : {int16_t(18), int16_t(-1)}) {
      code = bad;
      Run(15, ref, {&code});
      EXPECT_EQ(LastError(ref), 1055);
    }
    for (int16_t bad : {int16_t(4), int16_t(-1)}) {
      alignment = bad;
      Run(16, ref, {&alignment});
      EXPECT_EQ(LastError(ref), 1055);
    }
    EXPECT_TRUE(StateOf(ref) == before);
  }
}

// ---- Tab stops

TEST_F(LowTextCommandsTest, TabStopsAddedAndReadThroughTheHostArray) {
  for (uint32_t ref : Areas("Tabs")) {
    int16_t none = -1, at = 72, leader = 1, kind = 3;
    Run(18, ref, {&none, &at, &leader, &kind});
    ASSERT_EQ(LastError(ref), 0);
    at = 144, leader = 0x2A, kind = 1;
    Run(18, ref, {&none, &at, &leader, &kind});
    const xMorvaTabs& tabs = Engine(ref).GetCurrentTabs();
    ASSERT_EQ(tabs.Count(), 2);
    EXPECT_EQ(tabs.StopAt(0), MakeTabStop(int16_t(convert::PointsToPixels(72)), '.', 2));
    EXPECT_EQ(tabs.StopAt(1), MakeTabStop(int16_t(convert::PointsToPixels(144)), '*', 3));
    HostArray array(kHostArray2D, {{kHostIntegerArray, 10}, {kHostIntegerArray, 10}, {kHostIntegerArray, 10}});
    Run(17, ref, {&array.entry});
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_EQ(array.At(1, 0), 2);
    EXPECT_EQ(array.At(1, 1), convert::PixelsToPoints(convert::PointsToPixels(72)));
    EXPECT_EQ(array.At(2, 1), 3);
    EXPECT_EQ(array.At(3, 1), 1);
    EXPECT_EQ(array.At(2, 2), 1);
    EXPECT_EQ(array.At(3, 2), 0x2A);
    EXPECT_EQ(array.At(1, 3), -7);  // past the stops: untouched
    // Removing the first by its position.
    at = -1;
    int16_t remove = 72;
    Run(18, ref, {&remove, &at, &leader, &kind});
    EXPECT_EQ(Engine(ref).GetCurrentTabs().Count(), 1);
  }
}

TEST_F(LowTextCommandsTest, AParagraphWithTenStopsTakesNoMore) {
  for (uint32_t ref : Areas("Ten")) {
    int16_t none = -1, leader = 0, kind = 0;
    for (int16_t at = 10; at <= 100; at += 10) Run(18, ref, {&none, &at, &leader, &kind});
    ASSERT_EQ(Engine(ref).GetCurrentTabs().Count(), 10);
    const State before = StateOf(ref);
    int16_t at = 200;
    Run(18, ref, {&none, &at, &leader, &kind});
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_TRUE(StateOf(ref) == before);
  }
}

TEST_F(LowTextCommandsTest, BadTabRequestsRecord1006AndChangeNothing) {
  for (uint32_t ref : Areas("Tabs")) {
    const int16_t w = int16_t(convert::PixelsToPoints(convert::RightEdgeOf(Doc(ref))) + 1);
    struct Row {
      int16_t remove, add, leader, kind;
    };
    // The far position is wider than 16 bits of pixels: it must not wrap.
    const Row rows[] = {{-1, 72, 0, 4}, {-1, 72, 0, -1}, {-1, -1, 0, 0}, {-1, w, 0, 0}, {w, -1, 0, 0},
                        {-1, 30000, 0, 0}};
    const State before = StateOf(ref);
    for (const Row& row : rows) {
      Row r = row;
      Run(18, ref, {&r.remove, &r.add, &r.leader, &r.kind});
      EXPECT_EQ(LastError(ref), 1006) << row.add << " " << row.kind;
      EXPECT_TRUE(StateOf(ref) == before);
    }
  }
}

TEST_F(LowTextCommandsTest, AnArrayThatCannotHoldTheStopsRecords1007AndIsNotWritten) {
  using Rows = std::vector<std::pair<uint8_t, uint32_t>>;
  const uint8_t words = kHostIntegerArray;
  struct Row {
    uint8_t type;
    Rows rows;
  };
  const Row rows[] = {
      {kHostArray2D, Rows{{words, 10}, {words, 10}}},                              // 2 rows
      {kHostArray2D, Rows{{words, 12}, {words, 12}, {words, 12}}},                 // 12 words
      {kHostArray2D, Rows{{words, 10}, {kHostLongArray, 10}, {words, 10}}},        // row 2 of longs
      {kHostArray2D, Rows{{words, 10}, {words, 10}, {kHostTextArray, 10}}},        // row 3 of texts
      {kHostArray2D, Rows{{words, 10}, {words, 3}, {words, 10}}},                  // row 2 shorter
      {kHostArray2D, Rows{{words, 10}, {words, 10}, {words, 9}}},                  // row 3 shorter
      {kHostIntegerArray, Rows{{words, 10}, {words, 10}, {words, 10}}},            // not 2-D
  };
  for (uint32_t ref : Areas("Tabs")) {
    int16_t none = -1, at = 72, leader = 0, kind = 0;
    Run(18, ref, {&none, &at, &leader, &kind});
    for (const Row& row : rows) {
      HostArray array(row.type, row.rows);
      const std::vector<Bytes> before = array.Rows();
      Run(17, ref, {&array.entry});
      EXPECT_EQ(LastError(ref), 1007) << row.rows.size();
      EXPECT_EQ(array.Rows(), before);
    }
    Run(17, ref, {static_cast<void*>(nullptr)});
    EXPECT_EQ(LastError(ref), 1007);
  }
}

// ---- Style sheets

TEST_F(LowTextCommandsTest, StyleSheetsNumberedWithoutTheDefault) {
  for (uint32_t ref : Areas("Sheets")) {
    int32_t count = -1;
    Run(72, ref, {}, &count);
    EXPECT_EQ(count, 0);
    int16_t i = 1;
    PString name;
    int16_t font = 0, size = 0, bits = 0;
    int32_t colour = 0;
    Run(73, ref, {&i, name.bytes, &font, &size, &bits, &colour});
    EXPECT_EQ(LastError(ref), 1038);
    // 76 with i in 1 to N makes a sheet; 74 rewrites it; 73 reads it.
    PString made("Heading");
    font = -1, size = 18, bits = 1 | 64, colour = 0x00FF00;
    Run(76, ref, {&i, made.bytes, &font, &size, &bits, &colour});
    ASSERT_EQ(LastError(ref), 0);
    Run(72, ref, {}, &count);
    EXPECT_EQ(count, 1);
    Run(73, ref, {&i, name.bytes, &font, &size, &bits, &colour});
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_EQ(name.Text(), "Heading");
    EXPECT_EQ(size, 18);
    EXPECT_EQ(bits, 1 | 64);
    EXPECT_EQ(colour, 0x00FF00);
    PString renamed("Title");
    size = 24, bits = 2, colour = 0x0000FF;
    Run(74, ref, {&i, renamed.bytes, &font, &size, &bits, &colour});
    Run(73, ref, {&i, name.bytes, &font, &size, &bits, &colour});
    EXPECT_EQ(name.Text(), "Title");
    EXPECT_EQ(size, 24);
    EXPECT_EQ(bits, 2);
    EXPECT_EQ(colour, 0x0000FF);
    Run(75, ref, {&i});
    EXPECT_EQ(LastError(ref), 0);
    Run(72, ref, {}, &count);
    EXPECT_EQ(count, 0);
  }
  int32_t count = -1;
  Run(72, 12345, {}, &count);
  EXPECT_EQ(count, 0);
}

TEST_F(LowTextCommandsTest, NoSuchStyleSheetRecords1038AndChangesNothing) {
  struct Row {
    int32_t n;
    int16_t i;
  };
  // N is 1 (the default sheet only): 76 takes 1 to N, the others 1 to N - 1.
  const Row rows[] = {{73, 0}, {73, 1}, {74, 0}, {74, 1}, {75, 0}, {75, 1}, {75, -1}, {76, 0}, {76, 2}};
  for (uint32_t ref : Areas("Sheets")) {
    const State before = StateOf(ref);
    for (const Row& row : rows) {
      int16_t i = row.i;
      PString name("Name");
      int16_t font = 0, size = 12, bits = 0;
      int32_t colour = 0;
      Run(row.n, ref, {&i, name.bytes, &font, &size, &bits, &colour});
      EXPECT_EQ(LastError(ref), 1038) << row.n << " " << row.i;
      EXPECT_TRUE(StateOf(ref) == before);
    }
  }
}

// ---- Find and replace

TEST_F(LowTextCommandsTest, FindAndReplaceWithoutWrapping) {
  for (uint32_t ref : Areas("one two one two")) {
    PString what("two");
    uint8_t word = 1, match = 0;
    int32_t found = -1;
    Run(34, ref, {what.bytes, &word, &match}, &found);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(Engine(ref).GetSelStart(), 4);
    EXPECT_EQ(Engine(ref).GetSelEnd(), 7);
    Select(ref, 14, 14);
    Run(34, ref, {what.bytes, &word, &match}, &found);
    EXPECT_EQ(found, 0);
    Select(ref, 0, 0);
    PString by("2");
    int16_t next = 0;
    Run(35, ref, {what.bytes, by.bytes, &word, &match, &next}, &found);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(PlainText(ref, 0, 100), "one 2 one 2");
    EXPECT_EQ(LastError(ref), 0);
  }
  int32_t found = -1;
  PString what("x");
  Run(34, 12345, {what.bytes}, &found);
  EXPECT_EQ(found, 0);
}

// ---- Counts and fields

TEST_F(LowTextCommandsTest, CountsAndThePageOfAPosition) {
  for (uint32_t ref : Areas("First\nSecond\nThird")) {
    int32_t characters = -1;
    int16_t out[5] = {-1, -1, -1, -1, -1};
    Run(41, ref, {&characters, &out[0], &out[1], &out[2], &out[3], &out[4]});
    // The letters and the two paragraph ends.
    EXPECT_EQ(characters, 18);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[4], 1);
    int32_t position = 5, page = 0;
    Run(62, ref, {&position}, &page);
    EXPECT_EQ(page, Doc(ref).GetParams().GetViewMode() == 0 ? 1 : -1);
    Run(85, ref);
    EXPECT_EQ(LastError(ref), 0);
  }
  // Area 0: 0, and nothing recorded: the error method hears of no area
  // there, as it does for another unknown reference.
  SetErrorMethod("OnError");
  int32_t position = 5, page = 9;
  const size_t calls = package->calls.size();
  Run(62, 0, {&position}, &page);
  EXPECT_EQ(page, 0);
  EXPECT_EQ(package->calls.size(), calls);
  Run(62, 12345, {&position}, &page);
  EXPECT_EQ(page, 0);
  EXPECT_EQ(package->calls.size(), calls + 1);
}

// ---- Host references and pictures

TEST_F(LowTextCommandsTest, ReferencesOutOfRangeRecord1047AndInsertNothing) {
  // One table of three fields: an alpha field, one of type 7 and a BLOB.
  host.answer = [fixture = host.answer](int32_t selector, HostParamBlock& block) {
    fixture(selector, block);
    if (selector == kHostSelCountTables) block.param1 = HostWord(1);
    if (selector == kHostSelCountFields) block.param1 = HostWord(block.table == 1 ? 3 : 0);
    if (selector == kHostSelFieldInfo) {
      const int16_t types[] = {0, 0, 7, 30};
      block.error = 0;
      block.param1 = HostWord(block.field >= 1 && block.field <= 3 ? types[block.field] : 0);
    }
  };
  struct Row {
    int16_t table, field;
    int32_t code;
  };
  const Row rows[] = {{0, 1, 1047}, {-1, 1, 1047}, {2, 1, 1047},  {999, 1, 1047},
                      {1, 0, 1047}, {1, 4, 1047},  {1, -1, 1047}, {1, 2, 1060}, {1, 3, 1069}};
  for (uint32_t ref : Areas("Fields")) {
    const State before = StateOf(ref);
    for (const Row& row : rows) {
      int16_t table = row.table, field = row.field, option = 0, format = 0;
      PString name("x");
      Run(22, ref, {&table, &field, name.bytes, &option, &format});
      EXPECT_EQ(LastError(ref), row.code) << row.table << "." << row.field;
      EXPECT_TRUE(StateOf(ref) == before);
    }
    int16_t words[7] = {9, 9, 9, 9, 9, 9, 9};
    PString tableName("old"), fieldName("old");
    Run(60, ref, {&words[0], &words[1], tableName.bytes, &words[3], fieldName.bytes, &words[5], &words[6]});
    EXPECT_EQ(words[0], 0);
    EXPECT_EQ(words[3], 0);
    EXPECT_EQ(tableName.Text(), "");
    EXPECT_EQ(LastError(ref), 0);
  }
}

TEST_F(LowTextCommandsTest, APictureGoesInItsOwnParagraphAndIsSizedAndPlaced) {
  for (uint32_t ref : Areas("Before")) {
    Select(ref, 6, 6);
    const Bytes bytes = tablecommands::HostPictureBytes(40, 30);
    uint32_t handle = tablecommands::NewHandleWith(bytes);
    Run(71, ref, {&handle});
    Tbx::DisposeHandle(handle);
    ASSERT_EQ(LastError(ref), 0);
    // A paragraph end before it and one after it.
    EXPECT_EQ(Engine(ref).GetLength(), 9);
    Select(ref, 7, 8);
    int16_t out[3] = {-1, -1, -1};
    Run(70, ref, {&out[0], &out[1], &out[2]});
    ASSERT_EQ(LastError(ref), 0);
    EXPECT_EQ(out[0], convert::PixelsToPoints(40));
    EXPECT_EQ(out[1], convert::PixelsToPoints(30));
    EXPECT_EQ(out[2], 0);
    int16_t w = 60, h = 45;
    Run(69, ref, {&w, &h});
    EXPECT_EQ(LastError(ref), 0);
    int16_t x = 36;
    Run(68, ref, {&x});
    EXPECT_EQ(LastError(ref), 0);
    Run(70, ref, {&out[0], &out[1], &out[2]});
    EXPECT_EQ(out[0], convert::PixelsToPoints(convert::PointsToPixels(60)));
    EXPECT_EQ(out[2], convert::PixelsToPoints(convert::PointsToPixels(36)));
  }
}

TEST_F(LowTextCommandsTest, BadPicturesAndNoPictureRecordTheirCodes) {
  const Bytes garbage = {0, 40, 'g', 'a', 'r', 'b', 'a', 'g', 'e', '!', 1, 2, 3, 4, 5, 6};
  const uint32_t garbageHandle = tablecommands::NewHandleWith(garbage);
  const uint32_t shortHandle = tablecommands::NewHandleWith(Bytes{0, 1, 2});
  for (uint32_t ref : Areas("Text")) {
    Select(ref, 1, 2);
    const State before = StateOf(ref);
    struct Row {
      int32_t n;
      uint32_t handle;
      int16_t a, b;
      int32_t code;
    };
    const Row rows[] = {{71, 0, 0, 0, 1065}, {71, garbageHandle, 0, 0, 1065}, {71, shortHandle, 0, 0, 1065},
                        {68, 0, 10, 0, 1034}, {69, 0, 10, 10, 1034},         {70, 0, 0, 0, 1034}};
    for (const Row& row : rows) {
      Row r = row;
      if (row.n == 71) {
        Run(71, ref, {&r.handle});
      } else {
        Run(row.n, ref, {&r.a, &r.b, static_cast<void*>(nullptr)});
      }
      EXPECT_EQ(LastError(ref), row.code) << row.n;
      EXPECT_TRUE(StateOf(ref) == before) << row.n;
    }
  }
  Tbx::DisposeHandle(garbageHandle);
  Tbx::DisposeHandle(shortHandle);
}

}  // namespace low_text_test

namespace low_text_test {

// Command 84 on a form area's frame: a point on the text and points on a
// picture, given in the area's window coordinates.
TEST_F(LowTextCommandsTest, APointOnAPictureGivesItsRangeOnlyWellInside) {
  xMorvaPlugIn* area = NewFormArea();
  area->GetDocument()->Params().SetViewMode(0);
  area->GetPaneView()->ResizeTo(1000, 600, 0);
  area->GetPaneView()->Layout(1);
  const uint32_t ref = area->GetReference();
  HostText text("ab");
  Run(19, ref, {&text.record});
  Select(ref, 1, 1);
  uint32_t handle = tablecommands::NewHandleWith(tablecommands::HostPictureBytes(60, 40));
  Run(71, ref, {&handle});
  Tbx::DisposeHandle(handle);
  ASSERT_EQ(LastError(ref), 0);
  Doc(ref).Refresh(false, true);
  // "a", paragraph end, the picture at 2, paragraph end, "b".
  Select(ref, 2, 2);
  int32_t x = 0, y = 0, top = 0, height = 0;
  Doc(ref).GetCaretGeometry(x, y, top, height);
  xMorvaFrame* frame = area->GetFrames().front();
  int32_t left = 0, upper = 0;
  frame->GetOrigin(left, upper);
  const auto windowX = [&](int32_t dx) { return int16_t(left + x + dx + frame->TextInset() - frame->GetScrollX()); };
  const int16_t windowY = int16_t(upper + top + height / 2 - frame->GetScrollY());
  struct Row {
    int32_t dx, p3, p4, onPicture;
  };
  // 3 pixels in: the picture's start in both; 10 in: its range; in its
  // right half 10 from its right edge: its range; 3 from it: its end.
  const Row rows[] = {{3, 2, 2, 1}, {10, 2, 3, 1}, {50, 2, 3, 1}, {57, 3, 3, 1}};
  for (const Row& row : rows) {
    int16_t px = windowX(row.dx), py = windowY;
    int32_t p3 = -1, p4 = -1, result = -1;
    Run(84, ref, {&px, &py, &p3, &p4}, &result);
    EXPECT_EQ(p3, row.p3) << row.dx;
    EXPECT_EQ(p4, row.p4) << row.dx;
    EXPECT_EQ(result, row.onPicture) << row.dx;
  }
  // The selection is not moved by the hit test.
  EXPECT_EQ(Engine(ref).GetSelStart(), 2);
  EXPECT_EQ(Engine(ref).GetSelEnd(), 2);
}

}  // namespace low_text_test
