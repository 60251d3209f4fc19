// xMorvaDocParams: the parameters of a document: page geometry, margins of
// ordinary and first pages, header and footer distances, columns, binding,
// default tab interval, display unit, language, link colours and view
// options; the conversion of lengths to the unit the user sees; stored as
// the 'wPRM' resource.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "graphics/VShape.h"

class VPort;
class VStream;
class VString;
class VEmfPictureData;
class xMorvaDocumentInterface;
class xMorvaRecordStore;

// Display units.
constexpr int32_t kUnitCentimetres = 0;
constexpr int32_t kUnitInches = 1;
constexpr int32_t kUnitPoints = 2;

// The margins and the header and footer settings of one kind of page
// (ordinary pages, or the first page when it has a layout of its own).
// Distances are pixels: header top and bottom from the page top, footer top
// and bottom from the page bottom.
struct xMorvaPageBands {
  uint8_t headerShown = 1;
  uint8_t footerShown = 1;
  int32_t topMargin = 0;
  int32_t bottomMargin = 0;
  int32_t headerTop = 0;
  int32_t headerBottom = 0;
  int32_t footerTop = 0;
  int32_t footerBottom = 0;

  bool operator==(const xMorvaPageBands& other) const = default;
};

// Invariants kept by every setter and by Read: 1 <= columns <= 10 and a
// default tab interval of at least 1 pixel (both divide later).
class xMorvaDocParams : public VObject {
 public:
  static constexpr int16_t kMaxColumns = 10;
  // The narrowest column, pixels.
  static constexpr int32_t kMinColumnWidth = 50;

  // An empty page rectangle, then SetDefaults.
  xMorvaDocParams();
  xMorvaDocParams(const xMorvaDocParams& other) = default;
  xMorvaDocParams& operator=(const xMorvaDocParams& other) = default;
  ~xMorvaDocParams() override;

  // The defaults, then the small-page rule. View flags 45 and 46 keep their
  // values.
  void SetDefaults();

  // The 'wPRM' record "0103" in the stream's data order. False when the
  // stream fails.
  bool Write(VStream& stream) const;
  // Reads "0100" to "0103". False, with the record unchanged, for a wrong
  // tag or version or a record the stream cannot hold whole.
  bool Read(VStream& stream);
  // The record as resource 'wPRM' id 0 of the store: replaced when it
  // exists, else added. False when the stream or the store fails; the store
  // is then unchanged.
  bool Write(xMorvaRecordStore& store) const;
  // False when the store has no 'wPRM' id 0 or Read refuses it.
  bool Read(xMorvaRecordStore& store);

  // Every field but the reserved one.
  bool IsEqual(const xMorvaDocParams& other) const;

  // ---- Page geometry. Page indexes are 0-based.
  bool UsesFirstPageLayout(int32_t page) const;
  // The bands of that page's kind.
  const xMorvaPageBands& BandsOf(int32_t page) const;
  bool HasHeader(int32_t page) const { return BandsOf(page).headerShown != 0; }
  bool HasFooter(int32_t page) const { return BandsOf(page).footerShown != 0; }
  int32_t HeaderTop(int32_t page) const { return BandsOf(page).headerTop; }
  int32_t HeaderBottom(int32_t page) const { return BandsOf(page).headerBottom; }
  int32_t FooterTop(int32_t page) const { return BandsOf(page).footerTop; }
  int32_t FooterBottom(int32_t page) const { return BandsOf(page).footerBottom; }
  // Where that page's header prints, its lines `height` pixels tall, as
  // distances from the page's upper edge (`top` above `bottom`): its band.
  // A band of no height (a foreign file's header without text) is where
  // the lines start: they reach down from it, as a file's header of those
  // lines does, the body's top margin making room below them
  // (BodyTopMargin); lines taller than the body leaves room for reach up
  // from as low as they may stand. Every place that prints, shows or hits
  // a header asks this.
  struct HeaderPlace {
    int32_t top = 0;
    int32_t bottom = 0;
  };
  HeaderPlace HeaderPlaceOf(int32_t page, int32_t height) const;
  // Where that page's footer prints, its lines `height` pixels tall, as
  // distances from the page's lower edge (`top` above `bottom`): its band,
  // unless the band reaches lower than 12 points above the edge, below
  // which printers do not print, and its last line would end there; the
  // footer then stands higher, its last line ending there, whole. A footer
  // that its band places higher stays where it is. A band of no height
  // (a foreign file's footer without text) is where the lines end: they
  // reach up from it, as a file's footer of those lines does, the body's
  // bottom margin making room above them (BodyBottomMargin); lines taller
  // than the body leaves room for reach down from as high as they may
  // stand. Every place that prints, shows or hits a footer asks this.
  struct FooterPlace {
    int32_t top = 0;
    int32_t bottom = 0;
  };
  FooterPlace FooterPlaceOf(int32_t page, int32_t height) const;
  // The 12 points above the page's lower edge a footer's lines end on.
  static int32_t FooterFloor();
  // The farthest a header's or footer's edge toward the body stands from
  // its own edge of the page, on a page of those bands, that side's
  // margin `margin`: the body keeps the height of its narrowest column;
  // never below 0. HighestFooterTop is the footer's, LowestHeaderBottom
  // the header's.
  int32_t FarthestBandEdge(const xMorvaPageBands& bands, int32_t margin) const;
  int32_t HighestFooterTop(const xMorvaPageBands& bands) const;
  int32_t LowestHeaderBottom(const xMorvaPageBands& bands) const;
  int32_t TopMargin(int32_t page) const { return BandsOf(page).topMargin; }
  int32_t BottomMargin(int32_t page) const { return BandsOf(page).bottomMargin; }
  // Page height minus that page's top and bottom margins.
  int32_t TextHeight(int32_t page) const;
  // Where that page's body starts below the page's upper edge, its
  // header's lines `headerHeight` tall: the top margin, or lower where the
  // lines of a header in a band of no height reach over it, as a reader
  // widens the margin for a file's header of those lines; the body keeps
  // the height of its narrowest column.
  int32_t BodyTopMargin(int32_t page, int32_t headerHeight) const;
  // Where that page's body ends above the page's lower edge, its footer's
  // lines `footerHeight` tall: the bottom margin, or higher where the
  // lines of a footer in a band of no height reach over it, as a reader
  // widens the margin for a file's footer of those lines; the body keeps
  // the height of its narrowest column.
  int32_t BodyBottomMargin(int32_t page, int32_t footerHeight) const;
  // Page height minus that page's body's top and bottom margins with its
  // header's lines `headerHeight` and its footer's `footerHeight` tall:
  // the height the page's body fills, never less than its narrowest
  // column (or the text height, when that is less).
  int32_t TextHeight(int32_t page, int32_t headerHeight, int32_t footerHeight) const;
  // (binding left + (alternate binding ? page : 0)) is odd.
  bool BindingOnLeft(int32_t page) const;
  // The left margin, plus the binding when it is on the left of that page.
  int32_t TextLeft(int32_t page) const;
  // The text width (page width - binding - left - right margin), or with
  // `wholeWidth` false and 2 or more columns the width of one column.
  int32_t ColumnWidth(bool wholeWidth) const;
  // The left edge of column k (0-based) of that page.
  int32_t ColumnLeft(int32_t page, int32_t k) const;
  // The column under x: x becomes relative to that column's left edge.
  // Past the last column, the last column.
  int32_t ColumnAt(int32_t page, int32_t& x) const;
  // columns x 50 + (columns - 1) x column spacing.
  int32_t MinimumColumnsWidth() const;
  // The range of the column spacing that leaves every column room for the
  // body's widest indent sum and 50 pixels more; max 0 for one column.
  void ColumnSpacingRange(xMorvaDocumentInterface& document, int32_t& min, int32_t& max) const;
  // The range of the binding for a page width.
  void BindingRange(int32_t pageWidth, int32_t& min, int32_t& max) const;
  // The largest column spacing that leaves columns of `columnWidth` within
  // `width`; 0 for one column, which has no spacing.
  int32_t ColumnSpacingMax(int32_t width, int32_t columnWidth) const;
  // max: the text width shared by the columns; min: 50, or max when smaller.
  void ColumnWidthRange(int32_t& min, int32_t& max) const;
  // The width the editing frame needs.
  int32_t FrameWidth() const;
  // 28 with view flag 2 set, else 4.
  int32_t RulerOffset() const;

  // ---- Units.
  // Centimetres to 0.1 (half away from zero), inches to 1/8, points as
  // they are; 0 for an unknown unit.
  double ToDisplayUnit(int32_t length) const;
  // The reverse, truncated toward zero to whole pixels.
  int32_t FromDisplayUnit(double value) const;
  // "###0", then for units other than points the decimal separator and
  // "0", then the unit's name from the unit names list.
  void MakeNumberFormat(VString& format) const;
  // Appends the length in the display unit, under the unit's number format
  // (the host's number display routine; the plain number without it).
  void AppendDisplayLength(VString& text, int32_t length) const;

  // ---- Page preview (page set-up and preferences dialogs).
  // Records a miniature of one page scaled into width x height pixels, or of
  // two facing pages side by side with alternate binding, into an EMF
  // picture value that the caller deletes; null when the size is empty, the
  // page has no size or the recording is refused.
  VEmfPictureData* DrawPagePreview(int32_t width, int32_t height) const;
  // Fills a band with horizontal lines every 2 pixels; with view flag 3 the
  // band is framed first and the lines stay inside the frame.
  void DrawPageBreakPattern(VPort& port, const VRect& rect) const;

  // ---- Fields.
  const VRect& GetPage() const { return fPage; }
  int32_t GetPageWidth() const { return fPage.GetWidth(); }
  int32_t GetPageHeight() const { return fPage.GetHeight(); }
  // Left and top 0.
  void SetPageSize(int32_t width, int32_t height);
  int32_t GetReserved() const { return fReserved; }
  void SetReserved(int32_t value) { fReserved = value; }
  int32_t GetFirstPageNumber() const { return fFirstPageNumber; }
  void SetFirstPageNumber(int32_t value) { fFirstPageNumber = value; }
  int16_t GetViewMode() const { return fViewMode; }
  void SetViewMode(int16_t value) { fViewMode = value; }
  // The view flags by their option numbers 2, 3, 6, 7, 8, 15, 16, 45 and
  // 46; 0 for any other number, which is ignored on setting.
  uint8_t GetViewFlag(int32_t option) const;
  void SetViewFlag(int32_t option, uint8_t value);
  uint8_t GetColumnLines() const { return fColumnLines; }
  void SetColumnLines(uint8_t value) { fColumnLines = value; }
  uint8_t GetDifferentFirstPage() const { return fDifferentFirstPage; }
  void SetDifferentFirstPage(uint8_t value) { fDifferentFirstPage = value; }
  uint8_t GetDifferentLeftRight() const { return fDifferentLeftRight; }
  void SetDifferentLeftRight(uint8_t value) { fDifferentLeftRight = value; }
  uint8_t GetWidowControl() const { return fWidowControl; }
  void SetWidowControl(uint8_t value) { fWidowControl = value; }
  int32_t GetDisplayUnit() const { return fDisplayUnit; }
  void SetDisplayUnit(int32_t value) { fDisplayUnit = value; }
  int16_t GetLanguage() const { return fLanguage; }
  void SetLanguage(int16_t value) { fLanguage = value; }
  int16_t GetColumns() const { return fColumns; }
  // Held to 1..10.
  void SetColumns(int32_t value);
  int32_t GetColumnSpacing() const { return fColumnSpacing; }
  void SetColumnSpacing(int32_t value) { fColumnSpacing = value; }
  int32_t GetBinding() const { return fBinding; }
  void SetBinding(int32_t value) { fBinding = value; }
  int32_t GetDefaultTabInterval() const { return fDefaultTabInterval; }
  // At least 1 pixel.
  void SetDefaultTabInterval(int32_t value);
  // The default tab interval in the display unit when it is a round
  // number there (its value in the unit gives it back), so that the
  // default stops are counted in the unit and fall on its round numbers;
  // 0 otherwise (0.5 inch shows as 1.3 cm, whose stops would stray a
  // little further at each): they are counted in pixels.
  double DefaultTabIntervalInUnit() const;
  // The default tab interval in twips as the default stops fall, which a
  // file carries (RTF's \deftab, Word's dxaTab): its value in the display
  // unit when the stops are counted there (1 cm is 567 twips, not the
  // 555 of its 37 pixels at 96 dpi), else its pixels; held to the range a
  // file's interval is taken from.
  int32_t GetDefaultTabTwips() const;
  // The default tab interval a file gives in twips. Only an interval from
  // kMinFileDefaultTab to kMaxFileDefaultTab is taken; 0 (a file's "none
  // given") and any other keep the document's. A round number of the
  // display unit is taken as the unit gives it, as the defaults and the
  // preferences dialog do, so that an interval written reads back the
  // same.
  void SetDefaultTabTwips(int32_t twips);
  // 1 mm: closer stops fill a line with stops, not with a layout.
  static constexpr int32_t kMinFileDefaultTab = 57;
  // 22 inches, the widest page Word allows: a wider interval has no stop
  // on any page.
  static constexpr int32_t kMaxFileDefaultTab = 31680;
  uint8_t GetAlternateBinding() const { return fAlternateBinding; }
  void SetAlternateBinding(uint8_t value) { fAlternateBinding = value; }
  int8_t GetBindingLeft() const { return fBindingLeft; }
  void SetBindingLeft(int8_t value) { fBindingLeft = value; }
  int32_t GetLeftMargin() const { return fLeftMargin; }
  void SetLeftMargin(int32_t value) { fLeftMargin = value; }
  int32_t GetRightMargin() const { return fRightMargin; }
  void SetRightMargin(int32_t value) { fRightMargin = value; }
  int32_t GetLinkColour() const { return fLinkColour; }
  void SetLinkColour(int32_t value) { fLinkColour = value; }
  int32_t GetSecondLinkColour() const { return fSecondLinkColour; }
  void SetSecondLinkColour(int32_t value) { fSecondLinkColour = value; }
  // The bands of ordinary pages and of the first page.
  const xMorvaPageBands& GetBands(bool firstPage) const { return firstPage ? fFirstBands : fBands; }
  xMorvaPageBands& GetBands(bool firstPage) { return firstPage ? fFirstBands : fBands; }
  uint8_t GetPrinterMetrics() const { return fPrinterMetrics; }
  void SetPrinterMetrics(uint8_t value) { fPrinterMetrics = value; }

  static constexpr uint32_t kVersion = FourCC("0103");

 private:
  // The view flags in the order of the options 2, 3, 6, 7, 8, 15, 16, 45, 46.
  static constexpr int kViewFlagCount = 9;
  static int ViewFlagSlot(int32_t option);
  // The columns shared by the text width, never below 1.
  int32_t ColumnCount() const { return fColumns >= 1 ? fColumns : 1; }
  // The twips of a value in the display unit, rounded.
  int32_t TwipsOfUnitValue(double value) const;

  VRect fPage;
  int32_t fReserved = 0;
  int32_t fFirstPageNumber = 1;
  int16_t fViewMode = 1;
  // Chosen start values of flags 45 and 46, which SetDefaults leaves alone:
  // off.
  uint8_t fViewFlags[kViewFlagCount] = {};
  uint8_t fColumnLines = 0;
  uint8_t fDifferentFirstPage = 0;
  uint8_t fDifferentLeftRight = 0;
  uint8_t fWidowControl = 1;
  int32_t fDisplayUnit = kUnitCentimetres;
  int16_t fLanguage = 0;
  int16_t fColumns = 1;
  int32_t fColumnSpacing = 0;
  int32_t fBinding = 0;
  int32_t fDefaultTabInterval = 1;
  uint8_t fAlternateBinding = 0;
  int8_t fBindingLeft = 1;
  int32_t fLeftMargin = 0;
  int32_t fRightMargin = 0;
  int32_t fLinkColour = 0xFF0000;
  int32_t fSecondLinkColour = 0xFF00CC;
  xMorvaPageBands fBands;
  xMorvaPageBands fFirstBands;
  uint8_t fPrinterMetrics = 1;
};
