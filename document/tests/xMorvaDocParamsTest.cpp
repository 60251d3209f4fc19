// xMorvaDocParams: defaults and the small-page rule, page and column
// geometry, display units, and the 'wPRM' record in every version and both
// byte orders.
#include <gtest/gtest.h>

#include <string>

#include "document/tests/DocumentTestSupport.h"
#include "document/tests/FakeDocument.h"
#include "document/xMorvaDocParams.h"
#include "framework/core/strings/VUniString.h"

namespace {

// An A4 page at 96 dpi, with defaults.
xMorvaDocParams A4() {
  xMorvaDocParams p;
  p.SetPageSize(794, 1123);
  p.SetDefaults();
  return p;
}

// Every field away from its default; at 96 dpi every length is a whole
// number of twips (15 a pixel), so it survives the record exactly.
xMorvaDocParams Unusual() {
  xMorvaDocParams p = A4();
  p.SetReserved(77);
  p.SetFirstPageNumber(5);
  p.SetViewMode(0);
  for (int32_t option : {2, 3, 6, 7, 8}) p.SetViewFlag(option, 0);
  for (int32_t option : {15, 16, 45, 46}) p.SetViewFlag(option, 1);
  p.SetColumnLines(1);
  p.SetDifferentFirstPage(1);
  p.SetDifferentLeftRight(1);
  p.SetWidowControl(0);
  p.SetDisplayUnit(kUnitInches);
  p.SetLanguage(-3);
  p.SetColumns(3);
  p.SetColumnSpacing(20);
  p.SetBinding(30);
  p.SetDefaultTabInterval(48);
  p.SetAlternateBinding(1);
  p.SetBindingLeft(0);
  p.SetLeftMargin(60);
  p.SetRightMargin(70);
  p.SetLinkColour(0x112233);
  p.SetSecondLinkColour(0x445566);
  xMorvaPageBands& bands = p.GetBands(false);
  bands = {0, 1, 150, 160, 40, 100, 110, 45};
  p.GetBands(true) = {1, 0, 170, 180, 50, 120, 130, 55};
  p.SetPrinterMetrics(0);
  return p;
}

Bytes WritePrm(const xMorvaDocParams& p, bool bigEndian) {
  return WriteRecord([&](VStream& s) { return p.Write(s); }, bigEndian);
}

std::string Text(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += char(s.GetCharAt(i));
  return out;
}

}  // namespace

// ---- Defaults

TEST(DocParams, DefaultsOfAFullSizePage) {
  ScopedResolution dpi(96);
  const xMorvaDocParams p = A4();
  EXPECT_EQ(p.GetPage(), VRect(0, 0, 794, 1123));
  EXPECT_EQ(p.GetFirstPageNumber(), 1);
  EXPECT_EQ(p.GetViewMode(), 1);
  for (int32_t option : {2, 3, 6, 7, 8}) EXPECT_EQ(p.GetViewFlag(option), 1) << option;
  for (int32_t option : {15, 16, 45, 46}) EXPECT_EQ(p.GetViewFlag(option), 0) << option;
  EXPECT_EQ(p.GetViewFlag(4), 0);  // not a view flag
  EXPECT_EQ(p.GetColumnLines(), 0);
  EXPECT_EQ(p.GetDifferentFirstPage(), 0);
  EXPECT_EQ(p.GetWidowControl(), 1);
  EXPECT_EQ(p.GetDisplayUnit(), kUnitCentimetres);
  EXPECT_EQ(p.GetColumns(), 1);
  EXPECT_EQ(p.GetColumnSpacing(), 37);       // 1 cm
  EXPECT_EQ(p.GetDefaultTabInterval(), 37);  // 1 cm
  EXPECT_EQ(p.GetBinding(), 0);
  EXPECT_EQ(p.GetBindingLeft(), 1);
  EXPECT_EQ(p.GetLeftMargin(), 94);  // 2.5 cm
  EXPECT_EQ(p.GetRightMargin(), 94);
  EXPECT_EQ(p.GetLinkColour(), 0xFF0000);
  EXPECT_EQ(p.GetSecondLinkColour(), 0xFF00CC);
  for (bool first : {false, true}) {
    const xMorvaPageBands& b = p.GetBands(first);
    EXPECT_EQ(b.headerShown, 1);
    EXPECT_EQ(b.footerShown, 1);
    EXPECT_EQ(b.topMargin, 132);  // 3.5 cm
    EXPECT_EQ(b.bottomMargin, 132);
    EXPECT_EQ(b.headerTop, 56);  // 1.5 cm
    EXPECT_EQ(b.headerBottom, 113);
    EXPECT_EQ(b.footerTop, 113);
    EXPECT_EQ(b.footerBottom, 56);
  }
  EXPECT_EQ(p.GetPrinterMetrics(), 1);
}

TEST(DocParams, SmallPageGetsBandsInProportion) {
  ScopedResolution dpi(96);
  xMorvaDocParams p;
  p.SetPageSize(300, 200);
  p.SetDefaults();
  EXPECT_EQ(p.HeaderTop(0), 18);
  EXPECT_EQ(p.HeaderBottom(0), 37);
  EXPECT_EQ(p.FooterTop(0), 37);
  EXPECT_EQ(p.FooterBottom(0), 18);
  EXPECT_EQ(p.TopMargin(0), 55);
  EXPECT_EQ(p.BottomMargin(0), 55);
  EXPECT_EQ(p.GetBands(true).headerTop, 18);
  EXPECT_EQ(p.GetBands(true).footerTop, 37);
}

TEST(DocParams, RecordWithoutPageSizeHasZeroBands) {
  const xMorvaDocParams p;
  EXPECT_EQ(p.GetPageHeight(), 0);
  EXPECT_EQ(p.HeaderTop(0), 0);
  EXPECT_EQ(p.HeaderBottom(0), 0);
  EXPECT_EQ(p.TopMargin(0), 0);
  EXPECT_EQ(p.BottomMargin(0), 0);
  // A page of 40 pixels: (40 - 50) / 4 truncates to -2, negative, so 40 / 5.
  xMorvaDocParams tiny;
  tiny.SetPageSize(100, 40);
  tiny.SetDefaults();
  EXPECT_EQ(tiny.HeaderBottom(0), 8);
  EXPECT_EQ(tiny.HeaderTop(0), 4);
  EXPECT_EQ(tiny.TopMargin(0), 12);
}

TEST(DocParams, SetDefaultsLeavesViewFlags45And46) {
  xMorvaDocParams p = A4();
  p.SetViewFlag(45, 1);
  p.SetViewFlag(15, 1);
  p.SetDefaults();
  EXPECT_EQ(p.GetViewFlag(45), 1);
  EXPECT_EQ(p.GetViewFlag(15), 0);
}

TEST(DocParams, ColumnsAndTabIntervalStayUsable) {
  xMorvaDocParams p = A4();
  p.SetColumns(0);
  EXPECT_EQ(p.GetColumns(), 1);
  p.SetColumns(11);
  EXPECT_EQ(p.GetColumns(), 10);
  p.SetDefaultTabInterval(0);
  EXPECT_EQ(p.GetDefaultTabInterval(), 1);
  p.SetDefaultTabInterval(-5);
  EXPECT_EQ(p.GetDefaultTabInterval(), 1);
}

// A file's default tab interval in twips: taken within 1 mm to 22 inches,
// a round number of the display unit as the unit gives it; and the twips
// written back for it.
TEST(DocParams, AFilesDefaultTabIntervalAndTheTwipsWrittenForIt) {
  ScopedResolution dpi(96);
  struct Row {
    int32_t unit;
    int32_t twips;    // the file's
    int32_t pixels;   // the document's after it
    int32_t written;  // the twips written for it
  };
  const int32_t own = 37;  // 1 cm, a new document's
  const Row rows[] = {
      {kUnitCentimetres, 720, 48, 720},   // half an inch, no round number of centimetres
      {kUnitCentimetres, 567, 37, 567},   // 1 cm as the unit gives it, not the file's 38 pixels
      {kUnitCentimetres, 709, 47, 705},   // LibreOffice's 1.25 cm, counted in pixels
      {kUnitInches, 720, 48, 720},
      {kUnitInches, 567, 38, 570},
      {kUnitPoints, 567, 38, 570},
      {kUnitCentimetres, 57, 3, 57},      // 1 mm, as the unit gives it
      {kUnitPoints, 57, 4, 60},
      {kUnitCentimetres, 31680, 2112, 31680},  // 22 inches
      {kUnitCentimetres, 56, own, 567},   // below 1 mm: the document's kept
      {kUnitCentimetres, 0, own, 567},    // none given
      {kUnitCentimetres, -720, own, 567},
      {kUnitCentimetres, 31681, own, 567},
      {kUnitCentimetres, 40000, own, 567},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "unit " << row.unit << ", " << row.twips << " twips");
    xMorvaDocParams p = A4();
    p.SetDefaultTabInterval(own);
    p.SetDisplayUnit(row.unit);
    p.SetDefaultTabTwips(row.twips);
    EXPECT_EQ(p.GetDefaultTabInterval(), row.pixels);
    // What is written reads back the same.
    EXPECT_EQ(p.GetDefaultTabTwips(), row.written);
    xMorvaDocParams back = A4();
    back.SetDisplayUnit(row.unit);
    back.SetDefaultTabTwips(p.GetDefaultTabTwips());
    EXPECT_EQ(back.GetDefaultTabInterval(), p.GetDefaultTabInterval());
  }
}

TEST(DocParams, IsEqualIgnoresOnlyTheReservedField) {
  const xMorvaDocParams a = Unusual();
  xMorvaDocParams b = a;
  EXPECT_TRUE(a.IsEqual(b));
  b.SetReserved(1);
  EXPECT_TRUE(a.IsEqual(b));
  b.GetBands(true).footerBottom += 1;
  EXPECT_FALSE(a.IsEqual(b));
  b = a;
  b.SetViewFlag(46, 0);
  EXPECT_FALSE(a.IsEqual(b));
  b = a;
  b.SetPrinterMetrics(1);
  EXPECT_FALSE(a.IsEqual(b));
}

// ---- Geometry

TEST(DocParams, FirstPageLayoutOnlyForPage0WhenAsked) {
  xMorvaDocParams p = Unusual();
  EXPECT_TRUE(p.UsesFirstPageLayout(0));
  EXPECT_FALSE(p.UsesFirstPageLayout(1));
  EXPECT_TRUE(p.HasHeader(0));
  EXPECT_FALSE(p.HasFooter(0));
  EXPECT_FALSE(p.HasHeader(1));
  EXPECT_TRUE(p.HasFooter(1));
  EXPECT_EQ(p.TopMargin(0), 170);
  EXPECT_EQ(p.TopMargin(2), 150);
  EXPECT_EQ(p.HeaderBottom(0), 120);
  EXPECT_EQ(p.FooterBottom(3), 45);
  EXPECT_EQ(p.TextHeight(0), 1123 - 170 - 180);
  EXPECT_EQ(p.TextHeight(1), 1123 - 150 - 160);
  p.SetDifferentFirstPage(0);
  EXPECT_FALSE(p.UsesFirstPageLayout(0));
  EXPECT_EQ(p.TopMargin(0), 150);
}

// A footer prints where its band puts it while its last line ends at
// least 12 points above the page's lower edge, or while the band's lower
// edge is there or higher; lower, it stands higher, whole, its last line
// ending there, never above the page's upper edge. A band of no height
// is where its lines end. A header's band of no height is where its lines
// start, by the same rule seen from the upper edge; a header has no floor.
TEST(DocParams, AFooterEndsNoLowerThanAPrinterPrints) {
  const int32_t floor = xMorvaDocParams::FooterFloor();
  EXPECT_EQ(PointsToPixels(12), floor);
  struct Row {
    const char* what;
    // The band's edges from its own edge of the page (the footer's lower
    // one, the header's upper one), the inner one first; the lines' height.
    int32_t top, bottom, height;
    int32_t placedTop, placedBottom;
    int32_t body = 100;  // where the body starts or ends from that edge
    bool header = false;
  };
  const Row rows[] = {
      {"its band holds it above the floor", 80, 20, 40, 80, 20},
      {"its last line ends on the floor", floor + 40, 0, 40, floor + 40, 0},
      {"a pixel lower: raised whole", floor + 39, 0, 40, floor + 40, 0},
      {"a band at the lower edge (\\footery0)", 0, 0, 14, floor + 14, 0},
      {"a band above the floor, too small: its lines are cut there", 30, 20, 40, 30, 20},
      {"a band from under the floor: raised", 30, floor - 1, 40, floor + 40, floor - 1},
      {"no lines", 0, 0, 0, floor, 0},
      {"taller than the page", 10, 0, 5000, 1123, 0},
      // A band of no height (a file's footer without text): the lines end
      // there and reach up, the body ending above them where they pass
      // the bottom margin (100), as for a file's footer of those lines.
      {"a band of no height: its lines end there", 60, 60, 30, 90, 60},
      {"a band of no height without lines", 60, 60, 0, 60, 60},
      {"a band of no height, its lines up to the margin", 60, 60, 39, 99, 60},
      {"a band of no height, its lines past the margin: the body above them", 60, 60, 40, 100, 60, 101},
      {"a band of no height at the margin", 100, 100, 20, 120, 100, 121},
      {"a band of no height under the floor", floor - 4, floor - 4, 20, floor + 20, floor - 4},
      // Taller than the body's room (the page, 1123, less the narrowest
      // column, 50): down from there, raised to stand whole.
      {"a band of no height, taller than the page", 60, 60, 5000, 1123, 0, 1073},
      // The header's twins, the body starting below them past the top
      // margin (100).
      {"a header's band holds it", 80, 20, 40, 80, 20, 100, true},
      {"a header's band at the upper edge (\\headery0)", 14, 0, 14, 14, 0, 100, true},
      {"a header's band of no height: its lines start there", 60, 60, 30, 90, 60, 100, true},
      {"a header's band of no height without lines", 60, 60, 0, 60, 60, 100, true},
      {"a header's band of no height, its lines past the margin", 60, 60, 40, 100, 60, 101, true},
      {"a header's band of no height at the margin", 100, 100, 20, 120, 100, 121, true},
      {"a header's band of no height at the upper edge", 0, 0, 14, 14, 0, 100, true},
      {"a header's band of no height, taller than the page", 60, 60, 5000, 1072, 0, 1073, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    xMorvaDocParams p;
    p.SetPageSize(794, 1123);
    for (bool first : {false, true}) {
      xMorvaPageBands& bands = p.GetBands(first);
      (row.header ? bands.headerBottom : bands.footerTop) = row.top;
      (row.header ? bands.headerTop : bands.footerBottom) = row.bottom;
      (row.header ? bands.topMargin : bands.bottomMargin) = 100;
      (row.header ? bands.bottomMargin : bands.topMargin) = 0;
    }
    const int32_t header = row.header ? row.height : 0, footer = row.header ? 0 : row.height;
    const xMorvaDocParams::HeaderPlace head = p.HeaderPlaceOf(1, header);
    const xMorvaDocParams::FooterPlace foot = p.FooterPlaceOf(1, footer);
    EXPECT_EQ(row.body, row.header ? p.BodyTopMargin(1, header) : p.BodyBottomMargin(1, footer));
    EXPECT_EQ(1123 - row.body, p.TextHeight(1, header, footer));
    EXPECT_EQ(row.placedTop, row.header ? head.bottom : foot.top);
    EXPECT_EQ(row.placedBottom, row.header ? head.top : foot.bottom);
  }
}

TEST(DocParams, BindingSideAlternatesWithThePage) {
  xMorvaDocParams p = A4();
  p.SetBinding(20);
  p.SetBindingLeft(1);
  EXPECT_TRUE(p.BindingOnLeft(0));
  EXPECT_TRUE(p.BindingOnLeft(1));
  EXPECT_EQ(p.TextLeft(0), 94 + 20);
  p.SetAlternateBinding(1);
  EXPECT_TRUE(p.BindingOnLeft(0));
  EXPECT_FALSE(p.BindingOnLeft(1));
  EXPECT_TRUE(p.BindingOnLeft(2));
  EXPECT_EQ(p.TextLeft(1), 94);
  p.SetBindingLeft(0);
  EXPECT_FALSE(p.BindingOnLeft(0));
  EXPECT_TRUE(p.BindingOnLeft(1));
}

TEST(DocParams, ColumnsShareTheTextWidth) {
  xMorvaDocParams p = A4();
  p.SetLeftMargin(100);
  p.SetRightMargin(94);
  p.SetBinding(0);
  // Text width 794 - 100 - 94 = 600.
  EXPECT_EQ(p.ColumnWidth(true), 600);
  EXPECT_EQ(p.ColumnWidth(false), 600);
  p.SetColumns(3);
  p.SetColumnSpacing(30);
  EXPECT_EQ(p.ColumnWidth(false), (600 - 60) / 3);
  EXPECT_EQ(p.ColumnLeft(0, 0), 100);
  EXPECT_EQ(p.ColumnLeft(0, -1), 100);
  EXPECT_EQ(p.ColumnLeft(0, 1), 100 + 540 / 3 + 30);
  EXPECT_EQ(p.ColumnLeft(0, 2), 100 + 1080 / 3 + 60);
  int32_t x = 100 + 179;
  EXPECT_EQ(p.ColumnAt(0, x), 0);
  EXPECT_EQ(x, 179);
  x = 100 + 185;  // in the gap after column 0: counted to column 1
  EXPECT_EQ(p.ColumnAt(0, x), 1);
  EXPECT_EQ(x, 185 - 210);
  x = 5000;
  EXPECT_EQ(p.ColumnAt(0, x), 2);
  EXPECT_EQ(x, 5000 - 520);
  EXPECT_EQ(p.MinimumColumnsWidth(), 3 * 50 + 2 * 30);
}

// The spacing's range against a hand computation: text width (page width
// less both margins and the binding, once) less 50 pixels a column, shared
// by the gaps. A document without a body has no indents to keep.
TEST(DocParams, ColumnSpacingRangeLeavesEveryColumnFiftyPixels) {
  FakeDocument document;
  const struct {
    int32_t binding;
    int16_t columns;
    int32_t max;
  } cases[] = {
      {0, 1, 0},    {0, 2, 600 - 100},       {0, 3, (600 - 150) / 2}, {0, 4, (600 - 200) / 3},
      {10, 1, 0},   {10, 2, 590 - 100},      {10, 3, (590 - 150) / 2}, {10, 4, (590 - 200) / 3},
      {520, 2, 0},  // 80 pixels cannot hold two columns: never below 0
  };
  for (const auto& c : cases) {
    xMorvaDocParams p = A4();
    p.SetLeftMargin(100);
    p.SetRightMargin(94);
    p.SetBinding(c.binding);
    p.SetColumns(c.columns);
    int32_t min = -1;
    int32_t max = -1;
    p.ColumnSpacingRange(document, min, max);
    EXPECT_EQ(min, 0) << c.binding << " " << c.columns;
    EXPECT_EQ(max, c.max) << c.binding << " " << c.columns;
  }
}

TEST(DocParams, ColumnRanges) {
  xMorvaDocParams p = A4();
  p.SetLeftMargin(100);
  p.SetRightMargin(94);
  p.SetBinding(10);  // text width 590
  p.SetColumns(3);
  int32_t min = -1;
  int32_t max = -1;
  p.SetColumnSpacing(20);
  p.BindingRange(794, min, max);
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, 794 - 100 - 94 - 150 - 40);
  EXPECT_EQ(p.ColumnSpacingMax(794, 150), (794 - 10 - 100 - 94 - 450) / 2);
  p.ColumnWidthRange(min, max);
  EXPECT_EQ(max, 590 / 3);
  EXPECT_EQ(min, 50);
  p.SetColumns(1);
  EXPECT_EQ(p.ColumnSpacingMax(794, 150), 0);  // no division by zero
  p.ColumnWidthRange(min, max);
  EXPECT_EQ(max, 590);
  p.SetLeftMargin(400);
  p.SetRightMargin(360);  // text width 24
  p.ColumnWidthRange(min, max);
  EXPECT_EQ(max, 24);
  EXPECT_EQ(min, 24);
}

TEST(DocParams, FrameWidthAndRulerOffsetFollowTheView) {
  xMorvaDocParams p = A4();
  p.SetBinding(6);
  EXPECT_EQ(p.FrameWidth(), 794 + 32 - 94 - 6);
  EXPECT_EQ(p.RulerOffset(), 28);
  p.SetViewFlag(2, 0);
  EXPECT_EQ(p.FrameWidth(), 794 + 8 - 94 - 94 - 6);
  EXPECT_EQ(p.RulerOffset(), 4);
  p.SetViewMode(0);
  EXPECT_EQ(p.FrameWidth(), 794 + 8);
}

// ---- Units

TEST(DocParams, DisplayUnitsRoundToTheirSteps) {
  ScopedResolution dpi(96);
  xMorvaDocParams p;
  EXPECT_DOUBLE_EQ(p.ToDisplayUnit(37), 1.0);   // 0.979 cm
  EXPECT_DOUBLE_EQ(p.ToDisplayUnit(96), 2.5);   // 2.54 cm
  EXPECT_DOUBLE_EQ(p.ToDisplayUnit(-96), -2.5);
  EXPECT_DOUBLE_EQ(p.ToDisplayUnit(-1), -0.0);
  EXPECT_EQ(p.FromDisplayUnit(1.0), 37);
  EXPECT_EQ(p.FromDisplayUnit(2.54), 94);  // 2.5 cm
  EXPECT_EQ(p.FromDisplayUnit(-1.0), -37);
  p.SetDisplayUnit(kUnitInches);
  EXPECT_DOUBLE_EQ(p.ToDisplayUnit(100), 1.0);  // 8.33 eighths round to 8
  EXPECT_DOUBLE_EQ(p.ToDisplayUnit(108), 1.125);
  EXPECT_EQ(p.FromDisplayUnit(1.0), 96);
  EXPECT_EQ(p.FromDisplayUnit(1.06), 96);  // 1.06 rounds to 1
  EXPECT_EQ(p.FromDisplayUnit(0.5), 48);
  p.SetDisplayUnit(kUnitPoints);
  EXPECT_DOUBLE_EQ(p.ToDisplayUnit(-7), -7.0);
  EXPECT_EQ(p.FromDisplayUnit(7.9), 7);
  EXPECT_EQ(p.FromDisplayUnit(-7.9), -7);
  p.SetDisplayUnit(9);
  EXPECT_DOUBLE_EQ(p.ToDisplayUnit(100), 0.0);
  EXPECT_EQ(p.FromDisplayUnit(3.0), 0);
}

TEST(DocParams, CentimetresRoundHalfAwayFromZero) {
  ScopedResolution dpi(254);  // 0.01 cm a pixel
  xMorvaDocParams p;
  EXPECT_DOUBLE_EQ(p.ToDisplayUnit(25), 0.3);   // 0.25 cm
  EXPECT_DOUBLE_EQ(p.ToDisplayUnit(-25), -0.3);
  EXPECT_DOUBLE_EQ(p.ToDisplayUnit(24), 0.2);
}

TEST(DocParams, NumberFormatOfEachUnit) {
  FakeAreaServices area;
  area.texts[{kUnitNamesListOffset, 1}] = " cm";
  area.texts[{kUnitNamesListOffset, 2}] = " in";
  area.texts[{kUnitNamesListOffset, 3}] = " pt";
  xMorvaDocParams p;
  VStr<63> format;
  p.MakeNumberFormat(format);
  EXPECT_EQ(Text(format), "###0.0 cm");
  p.SetDisplayUnit(kUnitInches);
  SetDecimalSeparator(u',');
  p.MakeNumberFormat(format);
  SetDecimalSeparator(u'.');
  EXPECT_EQ(Text(format), "###0,0 in");
  p.SetDisplayUnit(kUnitPoints);
  p.MakeNumberFormat(format);
  EXPECT_EQ(Text(format), "###0 pt");
}

// ---- 'wPRM'

TEST(DocParamsRecord, WritesThe0103LayoutBigEndian) {
  ScopedResolution dpi(96);
  const xMorvaDocParams p = Unusual();
  const Bytes b = WritePrm(p, true);
  ASSERT_EQ(b.size(), 132u);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 8), Chars("wPRM0103"));
  EXPECT_EQ(LongBE(b, 8), 794 * 15);   // page width in twips
  EXPECT_EQ(LongBE(b, 12), 1123 * 15);
  EXPECT_EQ(LongBE(b, 16), 77);        // reserved
  EXPECT_EQ(LongBE(b, 20), 5);         // first page number
  EXPECT_EQ(WordBE(b, 24), 0);         // view mode
  EXPECT_EQ(Bytes(b.begin() + 26, b.begin() + 39),
            (Bytes{0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1, 1, 0}));
  EXPECT_EQ(LongBE(b, 39), kUnitInches);
  EXPECT_EQ(LongBE(b, 43), -3);        // language, sign-extended
  EXPECT_EQ(WordBE(b, 47), 3);         // columns
  EXPECT_EQ(LongBE(b, 49), 20 * 15);   // column spacing
  EXPECT_EQ(LongBE(b, 53), 30 * 15);   // binding
  EXPECT_EQ(LongBE(b, 57), 48 * 15);   // default tab interval
  EXPECT_EQ(b[61], 1);                 // alternate binding
  EXPECT_EQ(LongBE(b, 62), 60 * 15);   // left margin
  EXPECT_EQ(LongBE(b, 66), 70 * 15);
  EXPECT_EQ(LongBE(b, 70), 150 * 15);  // top margin
  EXPECT_EQ(LongBE(b, 74), 160 * 15);
  EXPECT_EQ(LongBE(b, 78), 40 * 15);   // header top
  EXPECT_EQ(LongBE(b, 82), 100 * 15);
  EXPECT_EQ(LongBE(b, 86), 110 * 15);
  EXPECT_EQ(LongBE(b, 90), 45 * 15);   // footer bottom
  EXPECT_EQ(b[94], 1);                 // first-page header shown
  EXPECT_EQ(b[95], 0);
  EXPECT_EQ(LongBE(b, 96), 170 * 15);
  EXPECT_EQ(LongBE(b, 100), 180 * 15);
  EXPECT_EQ(LongBE(b, 104), 50 * 15);
  EXPECT_EQ(LongBE(b, 116), 55 * 15);
  EXPECT_EQ(LongBE(b, 120), 0x112233);
  EXPECT_EQ(LongBE(b, 124), 0x445566);
  EXPECT_EQ(b[128], 1);  // view flag 45
  EXPECT_EQ(b[129], 1);
  EXPECT_EQ(b[130], 0);  // binding left
  EXPECT_EQ(b[131], 0);  // printer metrics
}

TEST(DocParamsRecord, RoundTripsInBothOrders) {
  ScopedResolution dpi(96);
  const xMorvaDocParams p = Unusual();
  for (bool bigEndian : {true, false}) {
    const Bytes bytes = WritePrm(p, bigEndian);
    ASSERT_EQ(bytes.size(), 132u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), Chars(bigEndian ? "wPRM" : "MRPw"));
    ByteReader reader(bytes);
    xMorvaDocParams q;
    ASSERT_TRUE(q.Read(reader.stream()));
    EXPECT_TRUE(q.IsEqual(p));
    EXPECT_EQ(q.GetReserved(), 77);
    EXPECT_EQ(WritePrm(q, bigEndian), bytes);
  }
}

TEST(DocParamsRecord, Version0100CopiesTheFirstPageFromTheOrdinaryPages) {
  ScopedResolution dpi(96);
  Bytes bytes = WritePrm(Unusual(), true);
  bytes[7] = '0';
  bytes.resize(8 + 86);
  ByteReader reader(bytes);
  xMorvaDocParams q = A4();
  q.SetLinkColour(0x010203);
  q.SetViewFlag(45, 1);
  q.SetBindingLeft(1);
  q.SetPrinterMetrics(1);
  ASSERT_TRUE(q.Read(reader.stream()));
  EXPECT_EQ(reader.position(), 94u);
  EXPECT_TRUE(q.GetBands(true) == q.GetBands(false));
  EXPECT_EQ(q.GetBands(true).topMargin, 150);
  EXPECT_EQ(q.GetLinkColour(), 0x010203);
  EXPECT_EQ(q.GetViewFlag(45), 1);
  EXPECT_EQ(q.GetViewFlag(46), 0);
  EXPECT_EQ(q.GetBindingLeft(), 1);
  EXPECT_EQ(q.GetPrinterMetrics(), 1);
  EXPECT_EQ(q.GetColumns(), 3);
}

TEST(DocParamsRecord, Versions0101And0102ReadWhatTheyHold) {
  ScopedResolution dpi(96);
  const xMorvaDocParams p = Unusual();
  for (char last : {'1', '2'}) {
    Bytes bytes = WritePrm(p, false);
    bytes[7] = uint8_t(last);
    bytes.resize(last == '1' ? 130 : 131);
    ByteReader reader(bytes);
    xMorvaDocParams q = A4();
    ASSERT_TRUE(q.Read(reader.stream())) << last;
    EXPECT_TRUE(q.GetBands(true) == p.GetBands(true));
    EXPECT_EQ(q.GetSecondLinkColour(), 0x445566);
    EXPECT_EQ(q.GetBindingLeft(), last == '1' ? 1 : 0);
    EXPECT_EQ(q.GetPrinterMetrics(), 1);
  }
}

TEST(DocParamsRecord, HeaderOrFooterOverlappingTheMarginPushesItOut) {
  ScopedResolution dpi(96);
  xMorvaDocParams p = A4();
  p.GetBands(false).headerBottom = 151;  // 4 cm, below the 3.5 cm margin
  p.GetBands(false).footerTop = 140;
  ByteReader reader(WritePrm(p, true));
  xMorvaDocParams q;
  ASSERT_TRUE(q.Read(reader.stream()));
  EXPECT_EQ(q.TopMargin(1), 151 + 14);
  EXPECT_EQ(q.BottomMargin(1), 140 + 14);
  EXPECT_EQ(q.GetBands(true).topMargin, 132);  // the first page is not repaired
}

TEST(DocParamsRecord, ColumnsAndTabIntervalOutOfRangeAreClamped) {
  ScopedResolution dpi(96);
  Bytes bytes = WritePrm(A4(), true);
  for (const auto& [columns, tab, wantColumns, wantTab] :
       {std::tuple{0, 0, 1, 1}, std::tuple{11, -150, 10, 1}, std::tuple{-4, 15, 1, 1}}) {
    bytes[47] = uint8_t(uint16_t(columns) >> 8);
    bytes[48] = uint8_t(columns);
    for (int i = 0; i < 4; ++i) bytes[57 + i] = uint8_t(uint32_t(tab) >> (24 - 8 * i));
    ByteReader reader(bytes);
    xMorvaDocParams q;
    ASSERT_TRUE(q.Read(reader.stream()));
    EXPECT_EQ(q.GetColumns(), wantColumns);
    EXPECT_EQ(q.GetDefaultTabInterval(), wantTab);
    EXPECT_GT(q.ColumnWidth(false), 0);
  }
}

TEST(DocParamsRecord, BadTagVersionOrLengthFailsAndChangesNothing) {
  ScopedResolution dpi(96);
  const Bytes good = WritePrm(Unusual(), true);
  std::vector<Bytes> bad;
  Bytes tag = good;
  tag[3] = 'N';
  bad.push_back(tag);
  Bytes version = good;
  version[7] = '4';
  bad.push_back(version);
  for (size_t length = 0; length < good.size(); ++length) {
    bad.emplace_back(good.begin(), good.begin() + long(length));
  }
  for (const Bytes& bytes : bad) {
    ByteReader reader(bytes);
    xMorvaDocParams q = A4();
    EXPECT_FALSE(q.Read(reader.stream())) << bytes.size();
    EXPECT_TRUE(q.IsEqual(A4())) << bytes.size();
  }
}

TEST(DocParamsRecord, StoredAsResourceZeroOfTheStore) {
  ScopedResolution dpi(96);
  FakeStore store;
  const xMorvaDocParams p = Unusual();
  xMorvaDocParams q = A4();
  EXPECT_FALSE(q.Read(store));  // none yet
  EXPECT_TRUE(q.IsEqual(A4()));
  ASSERT_TRUE(p.Write(store));
  ASSERT_EQ(store.resources.size(), 1u);
  const auto& stored = store.resources[{FourCC("wPRM"), 0}];
  EXPECT_EQ(stored, WritePrm(p, false));
  ASSERT_TRUE(q.Read(store));
  EXPECT_TRUE(q.IsEqual(p));
  // Written again: replaced, not added.
  ASSERT_TRUE(A4().Write(store));
  EXPECT_EQ(store.resources.size(), 1u);
  ASSERT_TRUE(q.Read(store));
  EXPECT_TRUE(q.IsEqual(A4()));
  // A refusing store keeps what it had.
  store.refuse = true;
  EXPECT_FALSE(p.Write(store));
  ASSERT_TRUE(q.Read(store));
  EXPECT_TRUE(q.IsEqual(A4()));
  // A damaged resource is refused.
  store.resources[{FourCC("wPRM"), 0}].resize(50);
  EXPECT_FALSE(q.Read(store));
}
