// xMorvaDocParams: page geometry, units and view options of a document, and
// their 'wPRM' record.
#include "document/xMorvaDocParams.h"

#include <algorithm>
#include <cmath>

#include "document/DocumentUnits.h"
#include "document/StoredRecord_p.h"
#include "framework/core/streams/VStream.h"
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaText.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/values/VValue.h"

namespace {

constexpr uint32_t kTagWPRM = FourCC("wPRM");
constexpr uint32_t kVersion0100 = FourCC("0100");
constexpr uint32_t kVersion0101 = FourCC("0101");
constexpr uint32_t kVersion0102 = FourCC("0102");
constexpr uint32_t kVersion0103 = FourCC("0103");

// The bytes behind the head of each version: fields 3 to 35 take 86; the
// first-page fields, link colours and view flags 45/46 of "0101" 36 more;
// "0102" adds binding left and "0103" printer metrics.
constexpr uint32_t kBody0100 = 86;
constexpr uint32_t kBody0101 = 122;
constexpr uint32_t kBody0102 = 123;
constexpr uint32_t kBody0103 = 124;

// The view flags' option numbers, in slot order.
constexpr int32_t kViewFlagOptions[] = {2, 3, 6, 7, 8, 15, 16, 45, 46};

int32_t GetTwips(VStream& stream) { return TwipsToPixels(stream.GetLong()); }
void PutTwips(VStream& stream, int32_t pixels) { stream.PutLong(PixelsToTwips(pixels)); }

}  // namespace

xMorvaDocParams::xMorvaDocParams() { SetDefaults(); }

xMorvaDocParams::~xMorvaDocParams() = default;

int xMorvaDocParams::ViewFlagSlot(int32_t option) {
  for (int slot = 0; slot < kViewFlagCount; ++slot) {
    if (kViewFlagOptions[slot] == option) return slot;
  }
  return -1;
}

uint8_t xMorvaDocParams::GetViewFlag(int32_t option) const {
  const int slot = ViewFlagSlot(option);
  return slot >= 0 ? fViewFlags[slot] : 0;
}

void xMorvaDocParams::SetViewFlag(int32_t option, uint8_t value) {
  const int slot = ViewFlagSlot(option);
  if (slot >= 0) fViewFlags[slot] = value;
}

void xMorvaDocParams::SetPageSize(int32_t width, int32_t height) {
  fPage = VRect::FromEdges(0, 0, width, height);
}

void xMorvaDocParams::SetColumns(int32_t value) {
  fColumns = int16_t(value < 1 ? 1 : value > kMaxColumns ? kMaxColumns : value);
}

void xMorvaDocParams::SetDefaultTabInterval(int32_t value) {
  fDefaultTabInterval = value < 1 ? 1 : value;
}

double xMorvaDocParams::DefaultTabIntervalInUnit() const {
  const double interval = ToDisplayUnit(fDefaultTabInterval);
  return interval > 0.0 && FromDisplayUnit(interval) == fDefaultTabInterval ? interval : 0.0;
}

int32_t xMorvaDocParams::TwipsOfUnitValue(double value) const {
  switch (fDisplayUnit) {
    case kUnitCentimetres: return RoundToLong(value * 1440.0 / 2.54);
    case kUnitInches: return RoundToLong(value * 1440.0);
    default: return PixelsToTwips(FromDisplayUnit(value));
  }
}

int32_t xMorvaDocParams::GetDefaultTabTwips() const {
  const double interval = DefaultTabIntervalInUnit();
  const int32_t twips = interval > 0.0 ? TwipsOfUnitValue(interval) : PixelsToTwips(fDefaultTabInterval);
  // Within what a file may give, so that it reads back.
  return std::clamp(twips, kMinFileDefaultTab, kMaxFileDefaultTab);
}

void xMorvaDocParams::SetDefaultTabTwips(int32_t twips) {
  if (twips < kMinFileDefaultTab || twips > kMaxFileDefaultTab) return;
  SetDefaultTabInterval(TwipsToPixels(twips));
  // The unit's round number nearest the file's interval, when it is the
  // file's to the twip (567 twips are 1 cm, 720 are not 1.3 cm).
  const double value = ToDisplayUnit(fDefaultTabInterval);
  if (value > 0.0 && TwipsOfUnitValue(value) == twips) SetDefaultTabInterval(FromDisplayUnit(value));
}

void xMorvaDocParams::SetDefaults() {
  fReserved = 0;
  fFirstPageNumber = 1;
  fViewMode = 1;
  for (int32_t option : {2, 3, 6, 7, 8}) SetViewFlag(option, 1);
  SetViewFlag(15, 0);
  SetViewFlag(16, 0);
  fColumnLines = 0;
  fDifferentFirstPage = 0;
  fDifferentLeftRight = 0;
  fWidowControl = 1;
  fDisplayUnit = kUnitCentimetres;
  fLanguage = gIntlMgr != nullptr ? int16_t(gIntlMgr->GetLanguage()) : 0;
  fColumns = 1;
  fColumnSpacing = CentimetresToPixels(1.0);
  fBinding = 0;
  SetDefaultTabInterval(CentimetresToPixels(1.0));
  fAlternateBinding = 0;
  fBindingLeft = 1;
  fLeftMargin = CentimetresToPixels(2.5);
  fRightMargin = CentimetresToPixels(2.5);
  fLinkColour = 0xFF0000;
  fSecondLinkColour = 0xFF00CC;
  for (xMorvaPageBands* bands : {&fBands, &fFirstBands}) {
    bands->headerShown = 1;
    bands->footerShown = 1;
    bands->topMargin = CentimetresToPixels(3.5);
    bands->bottomMargin = CentimetresToPixels(3.5);
    bands->headerTop = CentimetresToPixels(1.5);
    bands->headerBottom = CentimetresToPixels(3.0);
    bands->footerTop = CentimetresToPixels(3.0);
    bands->footerBottom = CentimetresToPixels(1.5);
  }
  fPrinterMetrics = 1;

  // A page too small for the default margins gets bands in proportion to
  // its height (a record made before its page size is known gets zeros).
  const int32_t t = CentimetresToPixels(3.5);
  const int32_t height = GetPageHeight();
  if (int64_t(height) < 2 * int64_t(t) + 50) {
    int32_t a = (height - 50) / 4;
    if (a < 0) a = height / 5;
    const int32_t b = a / 2;
    for (xMorvaPageBands* bands : {&fBands, &fFirstBands}) {
      bands->headerTop = b;
      bands->headerBottom = a;
      bands->footerTop = a;
      bands->footerBottom = b;
    }
    fBands.topMargin = a + b;
    fBands.bottomMargin = a + b;
  }
}

bool xMorvaDocParams::IsEqual(const xMorvaDocParams& other) const {
  for (int slot = 0; slot < kViewFlagCount; ++slot) {
    if (fViewFlags[slot] != other.fViewFlags[slot]) return false;
  }
  return fPage == other.fPage && fFirstPageNumber == other.fFirstPageNumber &&
         fViewMode == other.fViewMode && fColumnLines == other.fColumnLines &&
         fDifferentFirstPage == other.fDifferentFirstPage &&
         fDifferentLeftRight == other.fDifferentLeftRight &&
         fWidowControl == other.fWidowControl && fDisplayUnit == other.fDisplayUnit &&
         fLanguage == other.fLanguage && fColumns == other.fColumns &&
         fColumnSpacing == other.fColumnSpacing && fBinding == other.fBinding &&
         fDefaultTabInterval == other.fDefaultTabInterval &&
         fAlternateBinding == other.fAlternateBinding && fBindingLeft == other.fBindingLeft &&
         fLeftMargin == other.fLeftMargin && fRightMargin == other.fRightMargin &&
         fLinkColour == other.fLinkColour && fSecondLinkColour == other.fSecondLinkColour &&
         fBands == other.fBands && fFirstBands == other.fFirstBands &&
         fPrinterMetrics == other.fPrinterMetrics;
}

// ---- Page geometry

bool xMorvaDocParams::UsesFirstPageLayout(int32_t page) const {
  return fDifferentFirstPage != 0 && page == 0;
}

const xMorvaPageBands& xMorvaDocParams::BandsOf(int32_t page) const {
  return UsesFirstPageLayout(page) ? fFirstBands : fBands;
}

int32_t xMorvaDocParams::FooterFloor() { return PointsToPixels(12); }

namespace {

// A header's or a footer's band seen from its own edge of the page (the
// header's from the upper edge, the footer's from the lower): `outer` the
// distance of its edge nearer that edge, `inner` of its edge toward the
// body, and the body's margin on that side. One rule places both.
struct SideBand {
  int32_t outer = 0;
  int32_t inner = 0;
  int32_t margin = 0;
};

SideBand HeaderSide(const xMorvaPageBands& bands) { return {bands.headerTop, bands.headerBottom, bands.topMargin}; }

SideBand FooterSide(const xMorvaPageBands& bands) { return {bands.footerBottom, bands.footerTop, bands.bottomMargin}; }

// Where lines `height` tall stand in the band, `farthest` the farthest
// from its edge the band's inner edge may stand. A band of no height is a
// distance alone (a foreign file's header or footer without text): lines
// typed into it start there and reach toward the body, as the file's part
// of the same lines does, the body's margin making room beside them
// (BodyMarginBeside); lines taller than the body leaves room for reach
// back from as far as they may stand, to the page's edge.
SideBand PlaceLines(SideBand band, int32_t height, int32_t farthest) {
  if (band.outer != band.inner) return band;
  const int64_t reach = int64_t(band.outer) + std::max(height, 0);
  const int32_t limit = std::max(farthest, band.outer);
  if (reach <= limit) {
    band.inner = int32_t(reach);
  } else {
    band.inner = limit;
    band.outer = 0;
  }
  return band;
}

// The body's margin on the band's side with the band's lines `height`
// tall whose inner edge stands at `placedInner`: the margin, or farther
// where the lines of a band of no height reach over it, no farther than
// the body's narrowest column allows (`farthest`).
int32_t BodyMarginBeside(const SideBand& band, int32_t placedInner, int32_t height, int32_t farthest) {
  if (band.outer != band.inner || height <= 0) return band.margin;
  const int64_t beside = int64_t(placedInner) + 1;
  return int32_t(std::clamp<int64_t>(beside, band.margin, std::max(farthest + 1, band.margin)));
}

}  // namespace

xMorvaDocParams::HeaderPlace xMorvaDocParams::HeaderPlaceOf(int32_t page, int32_t height) const {
  const xMorvaPageBands& bands = BandsOf(page);
  const SideBand placed = PlaceLines(HeaderSide(bands), height, LowestHeaderBottom(bands));
  return {placed.outer, placed.inner};
}

xMorvaDocParams::FooterPlace xMorvaDocParams::FooterPlaceOf(int32_t page, int32_t height) const {
  const xMorvaPageBands& bands = BandsOf(page);
  const SideBand placed = PlaceLines(FooterSide(bands), height, HighestFooterTop(bands));
  FooterPlace place{placed.inner, placed.outer};
  // A band whose lower edge stands on the floor or higher keeps its lines
  // within it, as it always did; lines that end above the floor stay too.
  const int64_t lowest = int64_t(place.top) - std::max(height, 0);
  if (place.bottom >= FooterFloor() || lowest >= FooterFloor()) return place;
  // A band that reaches lower (Word's footer a pixel from the edge, RTF's
  // \footery0 at it) is raised, its last line ending on the floor, but
  // never above the page's upper edge.
  const int64_t top = std::min<int64_t>(int64_t(FooterFloor()) + std::max(height, 0), GetPageHeight());
  place.top = int32_t(std::max<int64_t>(top, place.top));
  place.bottom = std::clamp(place.bottom, 0, place.top);
  return place;
}

int32_t xMorvaDocParams::FarthestBandEdge(const xMorvaPageBands& bands, int32_t margin) const {
  // The body keeps the height of its narrowest column.
  const int64_t room = int64_t(GetPageHeight()) - bands.topMargin - bands.bottomMargin - kMinColumnWidth;
  return int32_t(std::clamp<int64_t>(int64_t(margin) + std::max<int64_t>(room, 0) - 1, 0, INT32_MAX));
}

int32_t xMorvaDocParams::HighestFooterTop(const xMorvaPageBands& bands) const {
  return FarthestBandEdge(bands, bands.bottomMargin);
}

int32_t xMorvaDocParams::LowestHeaderBottom(const xMorvaPageBands& bands) const {
  return FarthestBandEdge(bands, bands.topMargin);
}

int32_t xMorvaDocParams::BodyTopMargin(int32_t page, int32_t headerHeight) const {
  const xMorvaPageBands& bands = BandsOf(page);
  if (bands.headerShown == 0) return bands.topMargin;
  return BodyMarginBeside(HeaderSide(bands), HeaderPlaceOf(page, headerHeight).bottom, headerHeight,
                          LowestHeaderBottom(bands));
}

int32_t xMorvaDocParams::BodyBottomMargin(int32_t page, int32_t footerHeight) const {
  const xMorvaPageBands& bands = BandsOf(page);
  if (bands.footerShown == 0) return bands.bottomMargin;
  return BodyMarginBeside(FooterSide(bands), FooterPlaceOf(page, footerHeight).top, footerHeight,
                          HighestFooterTop(bands));
}

int32_t xMorvaDocParams::TextHeight(int32_t page) const {
  return GetPageHeight() - TopMargin(page) - BottomMargin(page);
}

int32_t xMorvaDocParams::TextHeight(int32_t page, int32_t headerHeight, int32_t footerHeight) const {
  // A header and a footer that both reach over their margins leave the
  // body the height of its narrowest column still.
  const int32_t height = GetPageHeight() - BodyTopMargin(page, headerHeight) - BodyBottomMargin(page, footerHeight);
  return std::max(height, std::min(TextHeight(page), kMinColumnWidth));
}

bool xMorvaDocParams::BindingOnLeft(int32_t page) const {
  const int32_t sum = fBindingLeft + (fAlternateBinding != 0 ? page : 0);
  return (sum & 1) != 0;
}

int32_t xMorvaDocParams::TextLeft(int32_t page) const {
  return BindingOnLeft(page) ? fLeftMargin + fBinding : fLeftMargin;
}

int32_t xMorvaDocParams::ColumnWidth(bool wholeWidth) const {
  const int32_t textWidth = GetPageWidth() - fBinding - fLeftMargin - fRightMargin;
  const int32_t columns = ColumnCount();
  if (wholeWidth || columns < 2) return textWidth;
  return (textWidth - (columns - 1) * fColumnSpacing) / columns;
}

int32_t xMorvaDocParams::ColumnLeft(int32_t page, int32_t k) const {
  const int32_t left = TextLeft(page);
  if (k < 1) return left;
  const int64_t columns = ColumnCount();
  const int64_t shared = int64_t(ColumnWidth(true)) - (columns - 1) * fColumnSpacing;
  return int32_t(left + (shared * k) / columns + int64_t(k) * fColumnSpacing);
}

int32_t xMorvaDocParams::ColumnAt(int32_t page, int32_t& x) const {
  const int32_t columns = ColumnCount();
  const int32_t width = ColumnWidth(false);
  for (int32_t k = 0; k < columns; ++k) {
    const int32_t left = ColumnLeft(page, k);
    if (x < left + width) {
      x -= left;
      return k;
    }
  }
  x -= ColumnLeft(page, columns - 1);
  return columns - 1;
}

int32_t xMorvaDocParams::MinimumColumnsWidth() const {
  const int32_t columns = ColumnCount();
  return columns * kMinColumnWidth + (columns - 1) * fColumnSpacing;
}

void xMorvaDocParams::ColumnSpacingRange(xMorvaDocumentInterface& document, int32_t& min,
                                         int32_t& max) const {
  min = 0;
  max = 0;
  const int32_t columns = ColumnCount();
  if (columns < 2) return;
  // Every column must hold the body's widest indents (left, positive
  // first-line and right) and 50 pixels of text beside them. The text width
  // has the binding taken off already.
  xMorvaTextInterface* body = document.GetBodyText();
  const int64_t indents = body != nullptr ? body->GetMaxIndentSum() : 0;
  const int64_t room = int64_t(ColumnWidth(true)) - (indents + kMinColumnWidth) * columns;
  const int64_t spacing = room / (columns - 1);
  max = spacing > 0 ? int32_t(spacing) : 0;
}

void xMorvaDocParams::BindingRange(int32_t pageWidth, int32_t& min, int32_t& max) const {
  const int32_t columns = ColumnCount();
  min = 0;
  max = pageWidth - fLeftMargin - fRightMargin - columns * kMinColumnWidth -
        (columns - 1) * fColumnSpacing;
}

int32_t xMorvaDocParams::ColumnSpacingMax(int32_t width, int32_t columnWidth) const {
  // One column has no spacing; the quotient would divide by zero.
  const int32_t columns = ColumnCount();
  if (columns < 2) return 0;
  const int64_t room =
      int64_t(width) - fBinding - fLeftMargin - fRightMargin - int64_t(columns) * columnWidth;
  return int32_t(room / (columns - 1));
}

void xMorvaDocParams::ColumnWidthRange(int32_t& min, int32_t& max) const {
  const int32_t columns = ColumnCount();
  max = ColumnWidth(true);
  if (columns >= 2) max /= columns;
  min = max < kMinColumnWidth ? max : kMinColumnWidth;
}

int32_t xMorvaDocParams::FrameWidth() const {
  if (fViewMode != 1) return GetPageWidth() + 8;
  if (GetViewFlag(2) != 0) return GetPageWidth() + 32 - fLeftMargin - fBinding;
  return GetPageWidth() + 8 - fLeftMargin - fRightMargin - fBinding;
}

int32_t xMorvaDocParams::RulerOffset() const { return GetViewFlag(2) != 0 ? 28 : 4; }

// ---- Units

double xMorvaDocParams::ToDisplayUnit(int32_t length) const {
  const double resolution = GetScreenResolution();
  switch (fDisplayUnit) {
    case kUnitCentimetres: return std::round(double(length) * 2.54 / resolution * 10.0) / 10.0;
    case kUnitInches: return std::round(double(length) / resolution * 8.0) / 8.0;
    case kUnitPoints: return double(length);
    default: return 0.0;
  }
}

int32_t xMorvaDocParams::FromDisplayUnit(double value) const {
  const double resolution = GetScreenResolution();
  switch (fDisplayUnit) {
    case kUnitCentimetres:
      return TruncateToLong(std::round(value * 10.0) / 10.0 * resolution / 2.54);
    case kUnitInches: return TruncateToLong(std::round(value * 8.0) / 8.0 * resolution);
    case kUnitPoints: return TruncateToLong(value);
    default: return 0;
  }
}

void xMorvaDocParams::MakeNumberFormat(VString& format) const {
  format.SetEmpty(true);
  format.AppendCText("###0", kCharSetAnsi);
  if (fDisplayUnit != kUnitPoints) {
    format.AppendUniChar(GetDecimalSeparator());
    format.AppendCText("0", kCharSetAnsi);
  }
  VStr<255> name;
  GetDocumentListString(name, kUnitNamesListOffset, int16_t(fDisplayUnit + 1));
  format.CopyText(name);
}

void xMorvaDocParams::AppendDisplayLength(VString& text, int32_t length) const {
  VStr<255> format;
  MakeNumberFormat(format);
  VStr<255> number;
  number.SetReal(ToDisplayUnit(length), kWholeValue);
  ApplyNumberFormat(number, format);
  text.CopyText(number);
}

// ---- The 'wPRM' record

// 'wPRM' "0103", in the stream's data order ("tw": twips):
//    tag, version "0103"
//    L tw page width, L tw page height, L reserved, L first page number,
//    W view mode, B view flags 2 and 3, B header shown, B footer shown,
//    B view flags 6, 7 and 8, B view flags 15 and 16, B column lines,
//    B different first page, B different left and right pages,
//    B widow and orphan control, L display unit, L language,
//    W columns, L tw column spacing, L tw binding, L tw default tab interval,
//    B alternate binding, L tw left and right margins,
//    L tw top and bottom margins, L tw header top, header bottom,
//    footer top, footer bottom                       (end of "0100")
//    B first-page header shown, B first-page footer shown,
//    L tw first-page top and bottom margins, L tw first-page header top,
//    header bottom, footer top, footer bottom, L link colour,
//    L second link colour, B view flags 45 and 46    (end of "0101")
//    B binding left                                  (end of "0102")
//    B printer metrics                               (end of "0103")
// 132 bytes in all.
bool xMorvaDocParams::Write(VStream& stream) const {
  WriteRecordHead(stream, kTagWPRM, kVersion);
  PutTwips(stream, GetPageWidth());
  PutTwips(stream, GetPageHeight());
  stream.PutLong(fReserved);
  stream.PutLong(fFirstPageNumber);
  stream.PutWord(fViewMode);
  stream.PutByte(GetViewFlag(2));
  stream.PutByte(GetViewFlag(3));
  stream.PutByte(fBands.headerShown);
  stream.PutByte(fBands.footerShown);
  stream.PutByte(GetViewFlag(6));
  stream.PutByte(GetViewFlag(7));
  stream.PutByte(GetViewFlag(8));
  stream.PutByte(GetViewFlag(15));
  stream.PutByte(GetViewFlag(16));
  stream.PutByte(fColumnLines);
  stream.PutByte(fDifferentFirstPage);
  stream.PutByte(fDifferentLeftRight);
  stream.PutByte(fWidowControl);
  stream.PutLong(fDisplayUnit);
  stream.PutLong(fLanguage);
  stream.PutWord(fColumns);
  PutTwips(stream, fColumnSpacing);
  PutTwips(stream, fBinding);
  PutTwips(stream, fDefaultTabInterval);
  stream.PutByte(fAlternateBinding);
  PutTwips(stream, fLeftMargin);
  PutTwips(stream, fRightMargin);
  PutTwips(stream, fBands.topMargin);
  PutTwips(stream, fBands.bottomMargin);
  PutTwips(stream, fBands.headerTop);
  PutTwips(stream, fBands.headerBottom);
  PutTwips(stream, fBands.footerTop);
  PutTwips(stream, fBands.footerBottom);
  stream.PutByte(fFirstBands.headerShown);
  stream.PutByte(fFirstBands.footerShown);
  PutTwips(stream, fFirstBands.topMargin);
  PutTwips(stream, fFirstBands.bottomMargin);
  PutTwips(stream, fFirstBands.headerTop);
  PutTwips(stream, fFirstBands.headerBottom);
  PutTwips(stream, fFirstBands.footerTop);
  PutTwips(stream, fFirstBands.footerBottom);
  stream.PutLong(fLinkColour);
  stream.PutLong(fSecondLinkColour);
  stream.PutByte(GetViewFlag(45));
  stream.PutByte(GetViewFlag(46));
  stream.PutByte(uint8_t(fBindingLeft));
  stream.PutByte(fPrinterMetrics);
  return stream.GetStatus() == 0;
}

bool xMorvaDocParams::Read(VStream& stream) {
  uint32_t version = 0;
  if (!ReadRecordTag(stream, kTagWPRM) ||
      !ReadRecordVersion(stream, {kVersion0100, kVersion0101, kVersion0102, kVersion0103},
                         version)) {
    return false;
  }
  const uint32_t body = version == kVersion0100   ? kBody0100
                        : version == kVersion0101 ? kBody0101
                        : version == kVersion0102 ? kBody0102
                                                  : kBody0103;
  if (!stream.HasRemaining(body)) return false;

  // Read into a copy, taken only when the whole record has arrived.
  xMorvaDocParams read(*this);
  const int32_t pageWidth = GetTwips(stream);
  const int32_t pageHeight = GetTwips(stream);
  read.SetPageSize(pageWidth, pageHeight);
  read.fReserved = stream.GetLong();
  read.fFirstPageNumber = stream.GetLong();
  read.fViewMode = stream.GetWord();
  read.SetViewFlag(2, stream.GetByte());
  read.SetViewFlag(3, stream.GetByte());
  read.fBands.headerShown = stream.GetByte();
  read.fBands.footerShown = stream.GetByte();
  read.SetViewFlag(6, stream.GetByte());
  read.SetViewFlag(7, stream.GetByte());
  read.SetViewFlag(8, stream.GetByte());
  read.SetViewFlag(15, stream.GetByte());
  read.SetViewFlag(16, stream.GetByte());
  read.fColumnLines = stream.GetByte();
  read.fDifferentFirstPage = stream.GetByte();
  read.fDifferentLeftRight = stream.GetByte();
  read.fWidowControl = stream.GetByte();
  read.fDisplayUnit = stream.GetLong();
  read.fLanguage = int16_t(stream.GetLong());
  // A damaged count of columns or tab interval would divide by zero later.
  read.SetColumns(stream.GetWord());
  read.fColumnSpacing = GetTwips(stream);
  read.fBinding = GetTwips(stream);
  read.SetDefaultTabInterval(GetTwips(stream));
  read.fAlternateBinding = stream.GetByte();
  read.fLeftMargin = GetTwips(stream);
  read.fRightMargin = GetTwips(stream);
  read.fBands.topMargin = GetTwips(stream);
  read.fBands.bottomMargin = GetTwips(stream);
  read.fBands.headerTop = GetTwips(stream);
  read.fBands.headerBottom = GetTwips(stream);
  read.fBands.footerTop = GetTwips(stream);
  read.fBands.footerBottom = GetTwips(stream);
  if (version == kVersion0100) {
    // No first-page layout stored: the first page is laid out like the
    // others.
    read.fFirstBands = read.fBands;
  } else {
    read.fFirstBands.headerShown = stream.GetByte();
    read.fFirstBands.footerShown = stream.GetByte();
    read.fFirstBands.topMargin = GetTwips(stream);
    read.fFirstBands.bottomMargin = GetTwips(stream);
    read.fFirstBands.headerTop = GetTwips(stream);
    read.fFirstBands.headerBottom = GetTwips(stream);
    read.fFirstBands.footerTop = GetTwips(stream);
    read.fFirstBands.footerBottom = GetTwips(stream);
    read.fLinkColour = stream.GetLong();
    read.fSecondLinkColour = stream.GetLong();
    read.SetViewFlag(45, stream.GetByte());
    read.SetViewFlag(46, stream.GetByte());
  }
  if (version == kVersion0102 || version == kVersion0103) {
    read.fBindingLeft = int8_t(stream.GetByte());
  }
  if (version == kVersion0103) read.fPrinterMetrics = stream.GetByte();
  if (stream.GetStatus() != 0) return false;

  // A header reaching below the top margin, or a footer above the bottom
  // margin, pushes the margin out.
  if (read.fBands.headerBottom > read.fBands.topMargin) {
    read.fBands.topMargin = read.fBands.headerBottom + 14;
  }
  if (read.fBands.footerTop > read.fBands.bottomMargin) {
    read.fBands.bottomMargin = read.fBands.footerTop + 14;
  }
  *this = read;
  return true;
}

bool xMorvaDocParams::Write(xMorvaRecordStore& store) const {
  return StoreRecordResource(store, kTagWPRM, 0, [this](VStream& stream) { return Write(stream); });
}

bool xMorvaDocParams::Read(xMorvaRecordStore& store) {
  return LoadRecordResource(store, kTagWPRM, 0, [this](VStream& stream) { return Read(stream); });
}
