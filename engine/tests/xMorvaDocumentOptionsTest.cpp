// The document as the host language drives it: area options with their
// ranges and colour byte order, property values as reals, area settings,
// switching parts, going to pages and the 'wPRT' print record.
#include <algorithm>
#include <cmath>
#include <limits>

#include "document/xMorvaProperties.h"
#include "engine/tests/DocumentFixture.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/VPoint.h"
#include "graphics/printing/VWinPrinter.h"

namespace {

// A store of one resource per (type, id).
class MapStore : public xMorvaRecordStore {
 public:
  VMemHandle CopyResource(uint32_t type, int16_t id) override {
    auto it = resources.find({type, id});
    if (it == resources.end()) return 0;
    return gMemoryMgr->NewHandleFromData(it->second.data(), uint32_t(it->second.size()));
  }
  bool PutResource(uint32_t type, int16_t id, const void* data, uint32_t size) override {
    const auto* bytes = static_cast<const uint8_t*>(data);
    resources[{type, id}] = Bytes(bytes, bytes + size);
    return true;
  }
  std::map<std::pair<uint32_t, int16_t>, Bytes> resources;
};

constexpr uint32_t kWPRT = 0x77505254;

class OptionsTest : public DocumentTest {
 protected:
  OptionsTest() {
    // Lengths as they are, so that ranges read in pixels.
    EXPECT_EQ(document->SetAreaOption(21, 2), 0);
  }
  double Get(int16_t n) {
    double value = -99;
    EXPECT_EQ(document->GetAreaOption(n, value), 0) << n;
    return value;
  }
};

TEST_F(OptionsTest, BadOptionNumbersAndReadOnlyOptionsChangeNothing) {
  double value = 5;
  for (int16_t n : {-1, 60, 1000}) {
    EXPECT_EQ(document->GetAreaOption(n, value), 1079) << n;
    EXPECT_EQ(value, 0) << n;
  }
  const xMorvaDocParams before = document->GetParams();
  for (int16_t n : {-1, 39, 40, 41, 42, 43, 44, 59, 60}) {
    EXPECT_EQ(document->SetAreaOption(n, 1), 1079) << n;
  }
  EXPECT_TRUE(document->GetParams().IsEqual(before));
}

TEST_F(OptionsTest, ValuesOutsideTheirRangeAnswer1080AndChangeNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    int16_t n;
    double value;
  } cases[] = {
      {21, 3},     {21, -1},   {24, 11},        {24, 0},         {0, 0},     {0, 3001},
      {1, 2},      {17, 2},    {17, -0.5},      {47, -2},        {47, 16777216}, {48, -1.5},
      {23, 65536}, {23, -1},   {22, 0},         {37, 0},         {38, 1000001},  {29, 1e9},
      {16, nan},   {0, 1e300}, {26, -1e12},     {58, 2},
  };
  const xMorvaDocParams before = document->GetParams();
  for (const auto& c : cases) {
    EXPECT_EQ(document->SetAreaOption(c.n, c.value), 1080) << c.n << " " << c.value;
  }
  EXPECT_TRUE(document->GetParams().IsEqual(before));
}

TEST_F(OptionsTest, LinkColoursExchangeTheirBytesAndNegativeRestoresTheDefault) {
  xMorvaDocument fresh(nullptr);
  double unit = -1;
  EXPECT_EQ(fresh.GetAreaOption(21, unit), 0);
  EXPECT_EQ(unit, 0);  // centimetres in a new document

  ASSERT_EQ(document->SetAreaOption(47, -1), 0);
  EXPECT_EQ(document->GetParams().GetLinkColour(), 0xFF9933);
  EXPECT_EQ(Get(47), 0x3399FF);
  ASSERT_EQ(document->SetAreaOption(48, -1), 0);
  EXPECT_EQ(document->GetParams().GetSecondLinkColour(), 0xFF00CC);
  ASSERT_EQ(document->SetAreaOption(48, 0x123456), 0);
  EXPECT_EQ(document->GetParams().GetSecondLinkColour(), 0x563412);
  EXPECT_EQ(Get(48), 0x123456);
}

TEST_F(OptionsTest, SettingsReachTheirFieldsAndTheArea) {
  ASSERT_EQ(document->SetAreaOption(24, 10), 0);
  EXPECT_EQ(document->GetParams().GetColumns(), 10);
  EXPECT_EQ(Get(24), 10);
  // A flag takes any non-zero value in its range as 1.
  ASSERT_EQ(document->SetAreaOption(17, 0.5), 0);
  EXPECT_EQ(document->GetParams().GetColumnLines(), 1);
  ASSERT_EQ(document->SetAreaOption(58, 1), 0);
  EXPECT_EQ(document->GetParams().GetPrinterMetrics(), 0);
  EXPECT_FALSE(document->IsPrinterMetricsApplied());
  EXPECT_EQ(Get(58), 1);

  // Bars and the area's own flag live in the area.
  ASSERT_EQ(document->SetAreaOption(13, 1), 0);
  EXPECT_TRUE(area.shownBars[2]);
  EXPECT_EQ(Get(12), 0);
  ASSERT_EQ(document->SetAreaOption(23, 40000), 0);
  EXPECT_EQ(Get(23), 40000);
  EXPECT_EQ(area.spellerUnloads, 1);

  // A new page size is the page area too.
  ASSERT_EQ(document->SetAreaOption(37, 700), 0);
  EXPECT_EQ(Get(41), 700);

  // The view flags reach the frames' panes: scroll bars, split boxes (45
  // and 46 leave them out), and the bars of a locked document.
  ASSERT_EQ(document->SetAreaOption(8, 0), 0);
  EXPECT_TRUE(area.scrollBars[0]);
  EXPECT_FALSE(area.scrollBars[1]);
  ASSERT_EQ(document->SetAreaOption(46, 1), 0);
  EXPECT_TRUE(area.paneElements[0]);
  EXPECT_FALSE(area.paneElements[1]);
  EXPECT_EQ(area.barsLocked, std::vector<bool>({false, false}));
  document->Infos().SetLocked(1);
  ASSERT_EQ(document->SetAreaOption(2, 1), 0);
  EXPECT_EQ(area.barsLocked.back(), true);
  ASSERT_EQ(document->SetAreaOption(49, 1), 0);
  EXPECT_EQ(Get(49), 1);
}

// The spacing leaves every column room for the body's widest indent sum
// (left + positive first-line + right) and 50 pixels; the binding is off
// the text width once.
TEST_F(OptionsTest, ColumnSpacingLeavesEveryColumnTheWidestIndentsAndFiftyPixels) {
  Load(u"one\rtwo\r", 0, 0);
  xMorvaTextInterface& body = *document->GetCurrentPart();
  document->GetUndo()->Suspend();
  body.SetSelection(0, 0);
  ASSERT_EQ(body.SetPropertyValue(kPropLeftIndent, 20), 0);
  ASSERT_EQ(body.SetPropertyValue(kPropFirstLineIndent, -10), 0);  // counts as 0
  ASSERT_EQ(body.SetPropertyValue(kPropRightIndent, 10), 0);
  body.SetSelection(5, 5);
  ASSERT_EQ(body.SetPropertyValue(kPropLeftIndent, 5), 0);
  ASSERT_EQ(body.SetPropertyValue(kPropFirstLineIndent, 25), 0);
  ASSERT_EQ(body.SetPropertyValue(kPropRightIndent, 10), 0);
  document->GetUndo()->Resume();
  ASSERT_EQ(body.GetMaxIndentSum(), 40);

  xMorvaDocParams& p = document->Params();
  for (const int32_t binding : {0, 24}) {
    p.SetBinding(binding);
    const int32_t textWidth = p.GetPageWidth() - p.GetLeftMargin() - p.GetRightMargin() - binding;
    for (const int16_t columns : {2, 3, 4}) {
      ASSERT_EQ(document->SetAreaOption(24, columns), 0);
      const int32_t max = (textWidth - (40 + 50) * columns) / (columns - 1);
      int32_t low = -1;
      int32_t high = -1;
      p.ColumnSpacingRange(*document, low, high);
      EXPECT_EQ(low, 0) << binding << " " << columns;
      EXPECT_EQ(high, max) << binding << " " << columns;
      EXPECT_EQ(document->SetAreaOption(25, max + 1), 1080) << binding << " " << columns;
      ASSERT_EQ(document->SetAreaOption(25, max), 0) << binding << " " << columns;
      EXPECT_EQ(p.GetColumnSpacing(), max);
      EXPECT_EQ(document->SetAreaOption(25, -1), 1080);
    }
  }
}

// One column has no gap, but the host may still set the spacing the columns
// take when they come: any length up to the text width, its own value too.
TEST_F(OptionsTest, ColumnSpacingIsSetOnAOneColumnDocument) {
  const xMorvaDocParams& p = document->GetParams();
  ASSERT_EQ(p.GetColumns(), 1);
  const double spacing = Get(25);
  ASSERT_GT(spacing, 0);
  EXPECT_EQ(document->SetAreaOption(25, spacing), 0);
  const int32_t textWidth = p.ColumnWidth(true);
  EXPECT_EQ(document->SetAreaOption(25, textWidth + 1), 1080);
  EXPECT_EQ(document->SetAreaOption(25, -1), 1080);
  ASSERT_EQ(document->SetAreaOption(25, textWidth), 0);
  EXPECT_EQ(p.GetColumnSpacing(), textWidth);
  ASSERT_EQ(document->SetAreaOption(25, 0), 0);
  ASSERT_EQ(document->SetAreaOption(25, 40), 0);
  EXPECT_EQ(Get(25), 40);
  ASSERT_EQ(document->SetAreaOption(24, 2), 0);
  EXPECT_EQ(p.GetColumnSpacing(), 40);
}

TEST_F(OptionsTest, MarginsStayWithinTheirRanges) {
  int32_t min = 0;
  int32_t max = 0;
  document->GetLeftMarginRange(min, max);
  ASSERT_LT(min, max);
  EXPECT_EQ(document->SetAreaOption(29, max + 1), 1080);
  ASSERT_EQ(document->SetAreaOption(29, max), 0);
  EXPECT_EQ(document->GetParams().GetLeftMargin(), max);

  // The header bottom distance bounds the top margin from below while the
  // header is shown.
  const xMorvaPageBands& bands = document->GetParams().GetBands(false);
  ASSERT_EQ(bands.headerShown, 1);
  EXPECT_EQ(document->SetAreaOption(31, bands.headerBottom - 1), 1080);
  ASSERT_EQ(document->SetAreaOption(31, bands.headerBottom + 3), 0);
  EXPECT_EQ(bands.topMargin, bands.headerBottom + 3);
  // The first page's bands are their own.
  const int32_t firstTop = document->GetParams().GetBands(true).topMargin;
  EXPECT_NE(firstTop, bands.topMargin);
}

TEST_F(OptionsTest, PropertyValuesConvertBothWaysWithinTheirRanges) {
  Load(u"Some text\r", 0, 4);
  const int32_t width = document->CurrentTextWidth();
  const struct {
    uint16_t id;
    double real;
    int32_t error;
    int32_t stored;
  } cases[] = {
      {33, 1.5, 0, 15},           {33, 0.5, 1076, 0},        {33, 10.0, 0, 100},
      {33, 10.2, 1076, 0},        {9, -1, 0, -1},            {9, -0.5, 0, -1},
      {9, 0x123456, 0, 0x563412}, {39, 0xFF, 0, 0xFF0000},   {9, -2, 1076, 0},
      {12, 16777216, 1076, 0},    {8, 0, 1076, 0},           {8, 255, 0, 255},
      {7, 1, 0, 1},               {7, 2, 1076, 0},           {4, 4, 0, 4},
      {4, 5, 1076, 0},            {34, 31, 1076, 0},         {40, 10, 0, 10},
      {16, -123456, 0, -123456},  {16, 1e12, 1076, 0},       {15, 3, 0, 3},
      {17, 1, 1075, 0},           {31, 1, 1075, 0},          {46, 1, 1075, 0},
      {64, 1, 1075, 0},           {35, 10, 0, 10},           {35, double(width), 1076, 0},
      {36, -1, 1076, 0},          {45, 256, 1076, 0},        {45, 255, 0, 255},
  };
  for (const auto& c : cases) {
    int32_t stored = -7;
    EXPECT_EQ(document->RealToPropertyValue(c.id, c.real, stored, true), c.error) << c.id << " " << c.real;
    if (c.error == 0) {
      EXPECT_EQ(stored, c.stored) << c.id << " " << c.real;
    }
  }

  const struct {
    uint16_t id;
    int32_t stored;
    double real;
  } shown[] = {{9, 0x563412, 0x123456}, {9, -1, -1}, {33, 15, 1.5}, {15, 3, 0}, {8, 12, 12}};
  for (const auto& c : shown) {
    double real = 0;
    EXPECT_EQ(document->GetPropertyAsReal(c.id, c.stored, real), 0) << c.id;
    EXPECT_EQ(real, c.real) << c.id;
  }
  double real = 0;
  EXPECT_EQ(document->GetPropertyAsReal(20, 1, real), 1075);
}

TEST_F(OptionsTest, IndentOfAStyleSheetIsBoundByItsOwnRecord) {
  xMorvaProperties sheet;
  sheet.SetProperty(kPropFirstLineIndent, -20);
  int32_t stored = 0;
  // A first line that starts 20 pixels left of the left indent needs those
  // 20 pixels.
  EXPECT_EQ(document->RealToPropertyValue(35, 19, stored, false, &sheet), 1076);
  EXPECT_EQ(document->RealToPropertyValue(35, 20, stored, false, &sheet), 0);
  EXPECT_EQ(stored, 20);
}

TEST_F(OptionsTest, PropertyFromRealIsOneUndoStep) {
  Load(u"Line one\r", 0, 4);
  ASSERT_EQ(document->SetPropertyFromReal(33, 1.5), 0);
  EXPECT_EQ(PropertyAt(33, 0, 4), 15);
  EXPECT_TRUE(document->GetUndo()->CanUndo());
  document->GetUndo()->Undo();
  EXPECT_EQ(PropertyAt(33, 0, 4), 10);
  EXPECT_EQ(document->SetPropertyFromReal(33, 0.5), 1076);
  EXPECT_EQ(PropertyAt(33, 0, 4), 10);
}

TEST_F(OptionsTest, AreaSettings) {
  uint16_t value = 9;
  for (int16_t n : {-1, 5, 12}) {
    EXPECT_EQ(document->SetAreaSetting(n, 1, nullptr), 1089) << n;
    EXPECT_EQ(document->GetAreaSetting(n, value, nullptr), 1089) << n;
  }
  // Undo recording suspended and resumed.
  ASSERT_EQ(document->SetAreaSetting(2, 0, nullptr), 0);
  EXPECT_FALSE(document->GetUndo()->IsRecording());
  EXPECT_EQ(document->GetAreaSetting(2, value, nullptr), 0);
  EXPECT_EQ(value, 0);
  ASSERT_EQ(document->SetAreaSetting(2, 1, nullptr), 0);
  EXPECT_TRUE(document->GetUndo()->IsRecording());

  ASSERT_EQ(document->SetAreaSetting(3, 1, nullptr), 0);
  EXPECT_TRUE(document->IsModified());

  VStrInHandle text;
  text.SetAnsiCText("Invoice");
  ASSERT_EQ(document->SetAreaSetting(7, 1, &text), 0);
  EXPECT_EQ(area.titles, 1);
  VStrInHandle name;
  document->GetDocumentName(name);
  char shown[64] = {};
  name.GetCText(shown, sizeof shown, kCharSetAnsi);
  EXPECT_STREQ(shown, "Invoice");

  // Flag 6 keeps its string only while set.
  ASSERT_EQ(document->SetAreaSetting(6, 1, &text), 0);
  ASSERT_EQ(document->SetAreaSetting(6, 0, &text), 0);
  VStrInHandle kept;
  EXPECT_EQ(document->GetAreaSetting(6, value, &kept), 0);
  EXPECT_EQ(kept.GetLength(), 0);
}

TEST_F(OptionsTest, PartsSwitchOnlyWhereThePageLayoutHasThem) {
  // No different first page: the first-page header is not there.
  EXPECT_EQ(document->SwitchEditedPart(5), 1091);
  EXPECT_EQ(document->CurrentPartNumber(), 0);
  EXPECT_EQ(document->SwitchEditedPart(3), 1091);
  for (int16_t n : {-1, 7}) EXPECT_EQ(document->SwitchEditedPart(n), 1091) << n;

  ASSERT_EQ(document->SwitchEditedPart(2), 0);
  EXPECT_EQ(document->CurrentPartNumber(), 2);
  EXPECT_TRUE(document->IsFooterCurrent());

  document->Params().SetDifferentFirstPage(1);
  document->Params().GetBands(true).headerShown = 0;
  ASSERT_EQ(document->SwitchEditedPart(5), 0);
  EXPECT_EQ(document->CurrentPartNumber(), 5);
  EXPECT_EQ(document->GetParams().GetBands(true).headerShown, 1);

  // Left and right pages differ as well: the common header needs two pages.
  document->Params().SetDifferentLeftRight(1);
  EXPECT_EQ(document->SwitchEditedPart(1), 1091);
  EXPECT_EQ(document->CurrentPartNumber(), 5);
  ASSERT_EQ(document->SwitchEditedPart(4), 0);
  EXPECT_EQ(document->GetHeaderFooterPage(), 1);
  ASSERT_EQ(document->SwitchEditedPart(0), 0);
  EXPECT_TRUE(document->IsBodyCurrent());
}

TEST_F(OptionsTest, GoToPageWithinThePageTable) {
  ASSERT_EQ(document->SwitchEditedPart(1), 0);
  EXPECT_EQ(document->GoToPage(-1), 1086);
  EXPECT_EQ(document->GoToPage(document->GetBodyPageCount()), 1086);
  EXPECT_FALSE(document->IsBodyCurrent());
  ASSERT_EQ(document->GoToPage(0), 0);
  EXPECT_TRUE(document->IsBodyCurrent());
  EXPECT_EQ(document->GetCurrentPart()->GetSelStart(), 0);
}

TEST_F(OptionsTest, PrintRecordRoundTripsAndBadRecordsKeepTheSettings) {
  document->GetPrinter()->SetMargins(1500, 1600, 1700, 1800);
  MapStore store;
  ASSERT_TRUE(document->WritePrintRecord(store));
  const Bytes& written = store.resources[{kWPRT, 0}];
  ASSERT_GE(written.size(), 12u);
  EXPECT_EQ(Bytes(written.begin() + 4, written.begin() + 8), (Bytes{'0', '1', '0', '0'}));

  xMorvaDocument other(nullptr);
  ASSERT_TRUE(other.ReadPrintRecord(store));
  int32_t l, t, r, b;
  other.GetPrinter()->GetMargins(l, t, r, b);
  EXPECT_EQ(l, 1500);
  EXPECT_EQ(b, 1800);

  // Missing, another tag, another version, cut short: false, settings kept.
  xMorvaDocument kept(nullptr);
  kept.GetPrinter()->SetMargins(1100, 1100, 1100, 1100);
  MapStore empty;
  EXPECT_FALSE(kept.ReadPrintRecord(empty));
  Bytes badTag = written;
  badTag[0] ^= 0x20;
  Bytes badVersion = written;
  badVersion[7] = '1';
  Bytes cut(written.begin(), written.begin() + 10);
  for (const Bytes& bad : {badTag, badVersion, cut}) {
    MapStore one;
    one.resources[{kWPRT, 0}] = bad;
    EXPECT_FALSE(kept.ReadPrintRecord(one));
    kept.GetPrinter()->GetMargins(l, t, r, b);
    EXPECT_EQ(l, 1100);
    EXPECT_EQ(r, 1100);
  }
}

// A print record that holds its paper but no device mode (the tag after the
// paper is not one of the record's), with no resolution: read and written,
// it reads back to the same record and writes the same bytes.
TEST_F(OptionsTest, PrintRecordWithoutDeviceModeWritesTheSameAgain) {
  MapStore store;
  ASSERT_TRUE(document->WritePrintRecord(store));
  Bytes paperOnly = store.resources[{kWPRT, 0}];
  // 'wPRT' and its version, 'XPRI' and its version, 'UPRI' and its 34 bytes.
  ASSERT_GE(paperOnly.size(), 8u + 8 + 38 + 4);
  paperOnly.resize(8 + 8 + 38 + 4);
  std::fill(paperOnly.end() - 8, paperOnly.end(), 0);  // the resolutions, an unknown tag
  MapStore given;
  given.resources[{kWPRT, 0}] = paperOnly;
  xMorvaDocument first(nullptr);
  ASSERT_TRUE(first.ReadPrintRecord(given));
  MapStore once;
  ASSERT_TRUE(first.WritePrintRecord(once));
  xMorvaDocument second(nullptr);
  ASSERT_TRUE(second.ReadPrintRecord(once));
  MapStore twice;
  ASSERT_TRUE(second.WritePrintRecord(twice));
  const Bytes& writtenOnce = once.resources[{kWPRT, 0}];
  const Bytes& writtenTwice = twice.resources[{kWPRT, 0}];
  EXPECT_EQ(writtenTwice, writtenOnce);
  // The printer gave its resolution back: the paper stands as a new
  // document's.
  const Bytes& fresh = store.resources[{kWPRT, 0}];
  ASSERT_GE(writtenOnce.size(), 54u);
  EXPECT_EQ(Bytes(writtenOnce.begin(), writtenOnce.begin() + 54),
            Bytes(fresh.begin(), fresh.begin() + 54));
}

}  // namespace

namespace {

// A picture element alone in the body, selected; its box at (100, 100),
// 80 x 40, with the four corner handles.
class PictureClickTest : public DocumentTest {
 protected:
  PictureClickTest() {
    const Bytes picture = Stream().Element(xMorvaElementCode::Pict, Bytes(24, 0), 24);
    xMorvaTextInterface* body = document->GetPart(kPartBody);
    const VMemHandle handle = gMemoryMgr->NewHandleFromData(picture.data(), uint32_t(picture.size()));
    EXPECT_EQ(0, body->InsertHandle(handle, 1));
    gMemoryMgr->DisposeHandle(handle);
    body->SetSelection(0, 1);
    const VRect handles[4] = {VRect(96, 96, 8, 8), VRect(96, 136, 8, 8), VRect(176, 96, 8, 8),
                              VRect(176, 136, 8, 8)};
    document->SetPictureHandles(VRect(100, 100, 80, 40), handles, 4);
  }
  bool Click(int32_t x, int32_t y, bool twice = false, bool control = false) {
    return document->HandlePictureClick(VPoint(x, y), twice, control);
  }
};

TEST_F(PictureClickTest, HandlesStartTheResizeWithTheirModes) {
  ASSERT_TRUE(document->GetPart(kPartBody)->IsPictureSelected());
  const struct {
    int32_t x, y;
    int16_t horizontal, vertical;
  } corners[] = {{98, 98, 1, 2}, {98, 140, 1, 4}, {180, 98, 3, 2}, {182, 142, 3, 4}};
  for (const auto& c : corners) {
    area.resizes.clear();
    EXPECT_TRUE(Click(c.x, c.y)) << c.x << "," << c.y;
    ASSERT_EQ(area.resizes.size(), 1u);
    EXPECT_EQ(area.resizes[0], std::make_pair(c.horizontal, c.vertical));
  }
  EXPECT_EQ(area.lastRatio, 2.0);
  // Each drag is offered to the host afterwards.
  EXPECT_EQ(area.events.size(), 4u);
  EXPECT_EQ(area.events.back(), std::make_pair(int16_t(2), 0));

  // A selected page picture takes the new box, and a click in it moves it.
  area.pagePictureSelected = true;
  area.resizeTo = VRect(100, 100, 120, 60);
  EXPECT_TRUE(Click(182, 142));
  EXPECT_EQ(area.pageBox, VRect(100, 100, 120, 60));
  EXPECT_TRUE(document->IsModified());
  EXPECT_TRUE(Click(120, 120));
  EXPECT_EQ(area.pageOrigin.GetX(), 7);
}

TEST_F(PictureClickTest, ClicksThatHandleNothing) {
  // Outside the picture, or a single click inside a picture in the text.
  EXPECT_FALSE(Click(20, 20));
  EXPECT_FALSE(Click(120, 120));
  // Locked documents and areas.
  document->Infos().SetLocked(1);
  EXPECT_FALSE(Click(98, 98));
  document->Infos().SetLocked(0);
  area.locked = true;
  EXPECT_FALSE(Click(98, 98));
  area.locked = false;
  // No picture selected; a page picture with the Control key down.
  document->GetPart(kPartBody)->SetSelection(0, 0);
  EXPECT_FALSE(Click(98, 98));
  area.pagePictureSelected = true;
  EXPECT_FALSE(Click(98, 98, false, true));
  EXPECT_TRUE(area.resizes.empty());
}

TEST_F(PictureClickTest, DoubleClickOpensTheDialogUnlessTheHostTakesIt) {
  area.consumeEvents = true;
  EXPECT_TRUE(Click(120, 120, true));
  EXPECT_EQ(area.textEdits, 0);
  EXPECT_EQ(area.events.back(), std::make_pair(int16_t(1), 0));

  area.consumeEvents = false;
  document->SetInHostCommand(true);
  EXPECT_TRUE(Click(120, 120, true));
  EXPECT_EQ(area.textEdits, 1);
  EXPECT_EQ(area.applied, 0);
  area.editChanges = true;
  EXPECT_TRUE(Click(120, 120, true));
  EXPECT_EQ(area.applied, 1);
  EXPECT_EQ(area.modal, (std::vector<bool>{false, true}));
  EXPECT_FALSE(document->IsChangeInProgress());
}

}  // namespace
