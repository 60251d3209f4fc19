// xMorvaTabs: sorted stops, editing, the stop a tab jumps to, and the 'wTAB'
// record in its three versions and both byte orders.
#include <gtest/gtest.h>

#include <vector>

#include "document/tests/DocumentTestSupport.h"
#include "document/tests/FakeDocument.h"
#include "document/xMorvaTabs.h"

namespace {

std::vector<int16_t> Positions(const xMorvaTabs& tabs) {
  std::vector<int16_t> out;
  for (int32_t i = 0; i < tabs.Count(); ++i) out.push_back(TabStopPosition(tabs.StopAt(i)));
  return out;
}

xMorvaTabs ThreeStops() {
  xMorvaTabs tabs;
  tabs.AddStop(MakeTabStop(200, 0, kTabRight));
  tabs.AddStop(MakeTabStop(50, '.', kTabLeft));
  tabs.AddStop(MakeTabStop(120, '-', kTabDecimal));
  return tabs;
}

Bytes WriteTabs(const xMorvaTabs& tabs, bool bigEndian) {
  return WriteRecord([&](VStream& s) { return tabs.Write(s); }, bigEndian);
}

}  // namespace

TEST(Tabs, StopPacksPositionLeaderAndKind) {
  const uint32_t stop = MakeTabStop(-5, '_', kTabCentre);
  EXPECT_EQ(stop, 0x025FFFFBu);
  EXPECT_EQ(TabStopPosition(stop), -5);
  EXPECT_EQ(TabStopLeader(stop), '_');
  EXPECT_EQ(TabStopKind(stop), kTabCentre);
}

TEST(Tabs, AddStopKeepsTheListSorted) {
  const xMorvaTabs tabs = ThreeStops();
  EXPECT_EQ(Positions(tabs), (std::vector<int16_t>{50, 120, 200}));
  xMorvaTabs negative;
  negative.AddStop(MakeTabStop(10, 0, kTabLeft));
  negative.AddStop(MakeTabStop(-10, 0, kTabLeft));
  EXPECT_EQ(Positions(negative), (std::vector<int16_t>{-10, 10}));
}

TEST(Tabs, AddStopAtAnExistingPositionReplacesOrRemoves) {
  xMorvaTabs tabs = ThreeStops();
  tabs.AddStop(MakeTabStop(120, 0, kTabRight));
  EXPECT_EQ(tabs.Count(), 3);
  EXPECT_EQ(tabs.StopAt(1), MakeTabStop(120, 0, kTabRight));
  tabs.AddStop(MakeTabStop(120, 0, kTabNone));
  EXPECT_EQ(Positions(tabs), (std::vector<int16_t>{50, 200}));
  // Kind 0 at a new position is inserted like any other.
  tabs.AddStop(MakeTabStop(90, 0, kTabNone));
  EXPECT_EQ(Positions(tabs), (std::vector<int16_t>{50, 90, 200}));
}

TEST(Tabs, AFullListDropsNewPositionsButStillReplacesAndRemoves) {
  xMorvaTabs tabs;
  for (int16_t i = 0; i < 256; ++i) tabs.AddStop(MakeTabStop(int16_t(i * 2), 0, kTabLeft));
  ASSERT_EQ(tabs.Count(), 256);
  tabs.AddStop(MakeTabStop(1, 0, kTabLeft));     // inside the list
  tabs.AddStop(MakeTabStop(1000, 0, kTabLeft));  // after the last
  EXPECT_EQ(tabs.Count(), 256);
  uint32_t stop = 0;
  EXPECT_FALSE(tabs.FindStop(1, stop));
  EXPECT_FALSE(tabs.FindStop(1000, stop));
  tabs.AddStop(MakeTabStop(4, '.', kTabRight));
  EXPECT_TRUE(tabs.Contains(MakeTabStop(4, '.', kTabRight)));
  tabs.AddStop(MakeTabStop(4, 0, kTabNone));
  EXPECT_EQ(tabs.Count(), 255);
  tabs.AddStop(MakeTabStop(1, 0, kTabLeft));
  EXPECT_EQ(tabs.Count(), 256);
  EXPECT_EQ(TabStopPosition(tabs.StopAt(1)), 1);
}

TEST(Tabs, FindRemoveAndContains) {
  xMorvaTabs tabs = ThreeStops();
  uint32_t stop = 0;
  ASSERT_TRUE(tabs.FindStop(120, stop));
  EXPECT_EQ(stop, MakeTabStop(120, '-', kTabDecimal));
  EXPECT_FALSE(tabs.FindStop(121, stop));
  // Contains tells stops apart by their leader too.
  EXPECT_TRUE(tabs.Contains(MakeTabStop(50, '.', kTabLeft)));
  EXPECT_FALSE(tabs.Contains(MakeTabStop(50, '-', kTabLeft)));
  tabs.RemoveStopAtPosition(77);
  EXPECT_EQ(tabs.Count(), 3);
  tabs.RemoveStopAtPosition(50);
  EXPECT_EQ(Positions(tabs), (std::vector<int16_t>{120, 200}));
  tabs.RemoveStopAt(5);
  tabs.RemoveStopAt(-1);
  EXPECT_EQ(tabs.Count(), 2);
  tabs.RemoveStopAt(1);
  EXPECT_EQ(Positions(tabs), (std::vector<int16_t>{120}));
}

TEST(Tabs, CopiesClearAndDifference) {
  const xMorvaTabs tabs = ThreeStops();
  xMorvaTabs copy(tabs);
  EXPECT_FALSE(copy.IsDifferent(tabs));
  xMorvaTabs other;
  other.CopyFrom(&tabs);
  EXPECT_FALSE(other.IsDifferent(tabs));
  other.CopyFrom(nullptr);
  EXPECT_EQ(other.Count(), 3);
  other.AddStop(MakeTabStop(200, '.', kTabRight));
  EXPECT_TRUE(other.IsDifferent(tabs));
  other.Assign(tabs);
  EXPECT_FALSE(other.IsDifferent(tabs));
  other.Clear();
  EXPECT_EQ(other.Count(), 0);
  EXPECT_TRUE(other.IsDifferent(tabs));
  EXPECT_EQ(TabStopKind(other.StopAt(0)), kTabNone);
}

// ---- NextStop

TEST(TabsNextStop, NearestListStopRightOfXWithinTheText) {
  ScopedResolution dpi(96);
  FakeDocument document;
  document.textWidth = 150;
  const xMorvaTabs tabs = ThreeStops();
  uint32_t stop = 0;
  bool isDefault = true;
  tabs.NextStop(60, document, 3, 0, stop, isDefault);
  EXPECT_EQ(document.lastPart, 3);
  EXPECT_EQ(stop, MakeTabStop(120, '-', kTabDecimal));
  EXPECT_FALSE(isDefault);
  tabs.NextStop(10, document, 0, 0, stop, isDefault);
  EXPECT_EQ(TabStopPosition(stop), 50);
  // The stop at 200 lies beyond the text: the default stops take over.
  tabs.NextStop(120, document, 0, 0, stop, isDefault);
  EXPECT_TRUE(isDefault);
  EXPECT_EQ(stop, MakeTabStop(151, 0, kTabLeft));  // 4 cm
}

TEST(TabsNextStop, HangingStopWinsWhenNearer) {
  FakeDocument document;
  const xMorvaTabs tabs = ThreeStops();
  uint32_t stop = 0;
  bool isDefault = false;
  tabs.NextStop(10, document, 0, 30, stop, isDefault);
  EXPECT_EQ(stop, MakeTabStop(30, 0, kTabLeft));
  EXPECT_TRUE(isDefault);
  tabs.NextStop(10, document, 0, 60, stop, isDefault);
  EXPECT_EQ(TabStopPosition(stop), 50);
  EXPECT_FALSE(isDefault);
  tabs.NextStop(40, document, 0, 40, stop, isDefault);  // not right of x
  EXPECT_EQ(TabStopPosition(stop), 50);
}

TEST(TabsNextStop, DefaultStopIsTheNextMultipleStrictlyRightOfX) {
  ScopedResolution dpi(254);  // 100 pixels a centimetre
  FakeDocument document;
  document.params.SetDefaultTabInterval(100);
  document.textWidth = 5000;
  const xMorvaTabs empty;
  uint32_t stop = 0;
  bool isDefault = false;
  empty.NextStop(200, document, 0, 0, stop, isDefault);
  EXPECT_TRUE(isDefault);
  EXPECT_EQ(stop, MakeTabStop(300, 0, kTabLeft));
  empty.NextStop(194, document, 0, 0, stop, isDefault);
  EXPECT_EQ(TabStopPosition(stop), 200);
  // x is taken in the unit's steps: 199 pixels show as 2.0 cm.
  empty.NextStop(199, document, 0, 0, stop, isDefault);
  EXPECT_EQ(TabStopPosition(stop), 300);
  empty.NextStop(0, document, 0, 0, stop, isDefault);
  EXPECT_EQ(TabStopPosition(stop), 100);
  document.params.SetDisplayUnit(kUnitPoints);
  document.params.SetDefaultTabInterval(36);
  empty.NextStop(72, document, 0, 0, stop, isDefault);
  EXPECT_EQ(TabStopPosition(stop), 108);
}

TEST(TabsNextStop, AnIntervalThatIsNoRoundNumberOfTheUnitCountsInPixels) {
  ScopedResolution dpi(96);
  FakeDocument document;
  document.textWidth = 5000;
  const xMorvaTabs empty;
  uint32_t stop = 0;
  bool isDefault = false;
  // Half an inch shows as 1.3 cm: its stops stay half an inch apart.
  document.params.SetDefaultTabInterval(48);
  for (int16_t k = 1; k <= 10; ++k) {
    empty.NextStop(int16_t(48 * k - 1), document, 0, 0, stop, isDefault);
    EXPECT_EQ(TabStopPosition(stop), 48 * k);
  }
  // 1 cm is 37.8 pixels: its stops fall on whole centimetres.
  document.params.SetDefaultTabInterval(37);
  empty.NextStop(int16_t(document.params.FromDisplayUnit(10.0)), document, 0, 0, stop, isDefault);
  EXPECT_EQ(TabStopPosition(stop), document.params.FromDisplayUnit(11.0));
}

TEST(TabsNextStop, IntervalBelowTheUnitsStepCountsInPixels) {
  ScopedResolution dpi(96);
  FakeDocument document;
  document.params.SetDefaultTabInterval(1);  // 0.03 cm shows as 0.0
  const xMorvaTabs empty;
  uint32_t stop = 0;
  bool isDefault = false;
  empty.NextStop(41, document, 0, 0, stop, isDefault);
  EXPECT_EQ(TabStopPosition(stop), 42);
  document.params.SetDisplayUnit(7);  // an unknown unit shows everything as 0
  document.params.SetDefaultTabInterval(10);
  empty.NextStop(41, document, 0, 0, stop, isDefault);
  EXPECT_EQ(TabStopPosition(stop), 50);
}

// ---- 'wTAB'

TEST(TabsRecord, Writes0102WithTwipsInBothOrders) {
  ScopedResolution dpi(96);
  const xMorvaTabs tabs = ThreeStops();
  const Bytes big = WriteTabs(tabs, true);
  ASSERT_EQ(big.size(), 12u + 3 * 6);
  EXPECT_EQ(Bytes(big.begin(), big.begin() + 8), Chars("wTAB0102"));
  EXPECT_EQ(LongBE(big, 8), 3);
  EXPECT_EQ(LongBE(big, 12), 750);
  EXPECT_EQ(big[16], '.');
  EXPECT_EQ(big[17], kTabLeft);
  EXPECT_EQ(LongBE(big, 18), 1800);
  EXPECT_EQ(big[22], '-');
  EXPECT_EQ(big[23], kTabDecimal);
  EXPECT_EQ(LongBE(big, 24), 3000);
  const Bytes little = WriteTabs(tabs, false);
  EXPECT_EQ(Bytes(little.begin(), little.begin() + 8), Chars("BATw0102"));
  EXPECT_EQ(LongLE(little, 12), 750);
  for (const Bytes& bytes : {big, little}) {
    ByteReader reader(bytes, true);
    xMorvaTabs read;
    ASSERT_TRUE(read.Read(reader.stream()));
    EXPECT_FALSE(read.IsDifferent(tabs));
    EXPECT_EQ(reader.position(), bytes.size());
  }
  const xMorvaTabs empty;
  EXPECT_EQ(WriteTabs(empty, true).size(), 12u);
}

TEST(TabsRecord, Reads0100PixelsAnd0101Points) {
  ScopedResolution dpi(96);
  Bytes v0100 = Chars("wTAB0100");
  AppendLongBE(v0100, 2);
  AppendWordBE(v0100, 40);
  v0100.push_back(0);
  v0100.push_back(kTabLeft);
  AppendWordBE(v0100, int16_t(40000));  // unsigned, kept to 16 bits
  v0100.push_back('_');
  v0100.push_back(kTabRight);
  ByteReader reader0100(v0100);
  xMorvaTabs tabs;
  ASSERT_TRUE(tabs.Read(reader0100.stream()));
  ASSERT_EQ(tabs.Count(), 2);
  EXPECT_EQ(tabs.StopAt(0), MakeTabStop(int16_t(40000), '_', kTabRight));
  EXPECT_EQ(tabs.StopAt(1), MakeTabStop(40, 0, kTabLeft));

  Bytes v0101 = Chars("wTAB0101");
  AppendLongBE(v0101, 1);
  AppendWordBE(v0101, 72);  // one inch
  v0101.push_back(0);
  v0101.push_back(kTabCentre);
  ByteReader reader0101(v0101);
  ASSERT_TRUE(tabs.Read(reader0101.stream()));
  ASSERT_EQ(tabs.Count(), 1);
  EXPECT_EQ(tabs.StopAt(0), MakeTabStop(96, 0, kTabCentre));
  {
    ScopedResolution other(120);
    ByteReader again(v0101);
    ASSERT_TRUE(tabs.Read(again.stream()));
    EXPECT_EQ(TabStopPosition(tabs.StopAt(0)), 120);
  }
}

TEST(TabsRecord, StopsStoredOutOfOrderAreReadSorted) {
  ScopedResolution dpi(96);
  Bytes bytes = Chars("wTAB0102");
  AppendLongBE(bytes, 3);
  for (int32_t twips : {3000, 750, 1800}) {
    AppendLongBE(bytes, twips);
    bytes.push_back(0);
    bytes.push_back(kTabLeft);
  }
  ByteReader reader(bytes);
  xMorvaTabs tabs;
  ASSERT_TRUE(tabs.Read(reader.stream()));
  EXPECT_EQ(Positions(tabs), (std::vector<int16_t>{50, 120, 200}));
}

TEST(TabsRecord, CountsOutside0To256AreDamaged) {
  for (int32_t count : {-1, 257, 300}) {
    Bytes bytes = Chars("wTAB0102");
    AppendLongBE(bytes, count);
    for (int i = 0; i < 300 * 6; ++i) bytes.push_back(0);
    ByteReader reader(bytes);
    xMorvaTabs tabs = ThreeStops();
    EXPECT_FALSE(tabs.Read(reader.stream())) << count;
    EXPECT_FALSE(tabs.IsDifferent(ThreeStops()));
  }
  Bytes full = Chars("wTAB0102");
  AppendLongBE(full, 256);
  for (int i = 0; i < 256; ++i) {
    AppendLongBE(full, i * 15);
    full.push_back(0);
    full.push_back(kTabLeft);
  }
  ByteReader reader(full);
  xMorvaTabs tabs;
  ASSERT_TRUE(tabs.Read(reader.stream()));
  EXPECT_EQ(tabs.Count(), 256);
}

TEST(TabsRecord, BadTagVersionOrLengthFailsAndChangesNothing) {
  const Bytes good = WriteTabs(ThreeStops(), true);
  std::vector<Bytes> bad;
  Bytes tag = good;
  tag[0] = 'W';
  bad.push_back(tag);
  Bytes version = good;
  version[7] = '3';
  bad.push_back(version);
  for (size_t length = 0; length < good.size(); ++length) {
    bad.emplace_back(good.begin(), good.begin() + long(length));
  }
  for (const Bytes& bytes : bad) {
    ByteReader reader(bytes);
    xMorvaTabs tabs;
    tabs.AddStop(MakeTabStop(7, 0, kTabLeft));
    EXPECT_FALSE(tabs.Read(reader.stream())) << bytes.size();
    EXPECT_EQ(Positions(tabs), (std::vector<int16_t>{7}));
  }
}
