// xMorvaFont: the context through which line composition and drawing
// measure and draw styled text on a port. It keeps the character and
// paragraph properties in effect (fed one by one as the stream's property
// records are met), sets the port's font, size, style and colours from
// them, gathers characters into a pending run of at most 512 units that is
// measured or drawn at once, spreads the extra width of justified lines
// over their spaces, and draws the character decorations.
//
// Widths are sums of the port's per-unit advances, which the port caches
// per face, size and style: measuring a unit costs one table look-up, and
// a run measures exactly as its units do one by one, so composition and
// drawing agree to the pixel.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"

class VPictureShape;
class VPort;
class xMorvaDocumentInterface;
class xMorvaProperties;
struct xMorvaLineRecord;

// ProcessUnit and FlushRun: bit 0 set draws, clear only measures.
constexpr uint32_t kFontDraw = 1;

class xMorvaFont : public VObject {
 public:
  static constexpr int32_t kRunCapacity = 512;

  xMorvaFont(VPort* port, xMorvaDocumentInterface* document);
  ~xMorvaFont() override;
  xMorvaFont(const xMorvaFont&) = delete;
  xMorvaFont& operator=(const xMorvaFont&) = delete;

  void SetPort(VPort* port) { fPort = port; }
  void SetDocument(xMorvaDocumentInterface* document) { fDocument = document; }
  VPort* GetPort() const { return fPort; }

  // One property; `deferred` leaves the size selection and the line-start
  // placement that some ids trigger to the caller.
  void ApplyProperty(uint16_t id, int32_t value, bool deferred);
  // Starts a line at frame x and line top: the pen on the baseline, text
  // drawn transparent, then BeginLine with the line's own state.
  void BeginLineAt(const xMorvaLineRecord* line, int32_t x, int32_t top, int32_t width,
                   bool noMarks);
  void BeginLine(const xMorvaLineRecord* line, const xMorvaProperties& properties, int32_t x);
  // Feeds one character unit. The paragraph end flushes the run and, when
  // drawing, shows its mark: a break label on a line that ends with a page
  // or column break, else the pilcrow.
  void ProcessUnit(uint16_t unit, uint32_t flags);
  // Measures or draws the pending run and empties it.
  void FlushRun(uint32_t flags);
  // Ends the cluster that the units fed next would join: the walks call it
  // where drawing begins a run of its own (an element), as property
  // records and line starts do.
  void BreakCluster() { fClusterLength = 0; }

  // The width of the unit at `unit` as it will be laid out (case mode and
  // small capitals applied; small capitals may change the port's size).
  double MeasureCharWidth(const uint16_t* unit, const uint16_t* end);
  // The width of the unit under the case mode, small capitals measured at
  // their reduced size without changing the context's state.
  double MeasureCaseChar(uint16_t unit);

  // Ascent + leading and descent at the nominal size; the descent leaves
  // room for the underline kind.
  int32_t GetAscent();
  int32_t GetDescent();
  // The run's baseline offset from the line top and its height.
  void GetRunOffsets(int32_t& baseline, int32_t& height);
  // Width of underlines, strike-outs, shadows and marks: 1 up to size 24.
  int32_t GetLineThickness() const { return (fEffectiveSize + 23) / 24; }
  int32_t GetEffectiveSize() const { return fEffectiveSize; }

  // The pen x, pending run included, rounded.
  int32_t GetPenX() const;
  void MovePenBy(int32_t dx);
  // Moves the pen by a width that is not whole (a tab's laid-out width).
  void AdvancePenBy(double dx);

  bool IsItalic() const { return fItalic != 0; }
  bool IsLinkLook() const { return fLinkLook == 1 || fLinkLook == 2 || fLinkLook == 4; }
  bool HasBackColour() const { return fBackColour != -1 || fParagraphBackColour != -1; }
  bool IsJustifyActive() const { return fJustifyActive != 0; }
  int32_t GetPendingRunLength() const { return fRunLength; }

  // Moves the pen to the line's start: indents, alignment and left border.
  void PlaceLineStart();
  // The extra space of the current line's top and bottom borders.
  void GetBorderExtents(int32_t& top, int32_t& bottom) const;
  // Sets the size the properties call for on the port, when it differs.
  void SelectEffectiveSize();

  // ---- Paragraph frames, bullets, tabs, pictures and marks.
  // When drawing: the paragraph's background and borders, then the bullet.
  void DrawParagraphStart(uint32_t flags);
  void DrawParagraphFrame();
  // Side 1 left, 2 top, 4 right, 8 bottom, 32 a vertical bar at the pen.
  void DrawBorderSide(uint32_t side, bool joinCorners);
  void DrawBullet();
  // The bullet's width and gap: properties 0 to 16 of the set applied.
  int32_t MeasureBullet(const xMorvaProperties& properties, uint16_t bullet);
  // A tab element's layout cache (14 bytes): its background, leaders and
  // bar when drawing, and the pen moved by its width.
  void DrawTab(const uint8_t* cache, uint32_t flags);
  // A picture's box at the pen: a framed box with its diagonals when the
  // document hides pictures, else the shape (when given) placed in the box
  // by `mode`; the pen moves past it. x and y receive the box's top-left
  // corner.
  void DrawPicture(int32_t& x, int32_t& y, int32_t width, int32_t height,
                   VPictureShape* shape = nullptr, int16_t mode = 0);
  void FillBack(int32_t x, int32_t width);
  void DrawSpaceMark(int32_t x, int32_t y, int32_t width);
  // A dotted grey bar at the pen over the line's text height.
  void DrawSoftHyphenMark();
  // The width of the paragraph-end mark at the effective size.
  int32_t GetPilcrowWidth();
  // Options of the document's view: view mode 1 shows break labels even
  // with marks hidden.
  void SetShowMarks(bool on) { fShowMarks = on; }
  void SetViewMode(int32_t mode) { fViewMode = mode; }
  void SetHidePictures(bool on) { fHidePictures = on; }
  int32_t GetTabsLeft() const { return fTabsLeft; }

 private:
  void DrawRun(double x, double width);
  void DrawUnderline(uint16_t first, double x, double width);
  void DrawStrike(double x, double width);
  void DrawRunText(int32_t dx, int32_t dy);
  void SetTextColour(int32_t colour);
  void FillBackground(double x, double width, int32_t colour);
  void ApplyLinkLook(int32_t value);
  // A unit's width; a low surrogate after its high half (`before`) is the
  // pair's character, whose whole width it carries.
  double UnitWidth(uint16_t unit, uint16_t before = 0);
  // A unit's width on the line: a unit that joins the cluster of the units
  // before it (a mark after its letter, a joiner, a selector) takes what it
  // adds to the cluster's width as the port measures the cluster shaped,
  // any other its own width; so that a line measures as its runs draw.
  inline double ClusterUnitWidth(uint16_t unit, uint16_t before);
  // The width of a unit from U+0300 on, which may join the cluster.
  double JoinedUnitWidth(uint16_t unit, uint16_t before);
  // MeasureCharWidth for a unit under a case mode or on a justified line.
  double MeasureOtherCharWidth(uint16_t unit, uint16_t before);
  // Whether the unit joins the cluster of the units before it.
  bool JoinsCluster(uint16_t unit, uint16_t before) const;
  uint16_t UpperCase(uint16_t unit) const;
  void ChangeSmallCapitals(bool on);
  int32_t ClampedBorderStyle() const;
  bool MarksShown() const { return fShowMarks && !fNoMarks; }
  void DrawParagraphEndMark();
  void DrawBreakLabel(int16_t item);
  void DrawTabArrow(double startX, double width);

  VPort* fPort = nullptr;
  xMorvaDocumentInterface* fDocument = nullptr;
  VStrInHandle fFaceName;  // the font property's name, looked up in the table

  // Character state; colours are 0x00BBGGRR (red in the low byte), -1
  // none.
  int32_t fUnderline = 0;
  uint8_t fStrikeOut = 0;
  int32_t fUnderlineColour = -1;
  int32_t fTextColour = -1;
  int32_t fBackColour = -1;
  int32_t fStrikeOutColour = -1;
  int32_t fShadowColour = -1;
  uint8_t fItalic = 0;
  uint8_t fShadow = 0;
  int32_t fSize = 0;
  int32_t fVertical = 0;
  int32_t fCase = 0;
  int32_t fLinkLook = 0;
  // As they were when the link look was set.
  int32_t fSavedUnderline = 0;
  int32_t fSavedUnderlineColour = -1;
  int32_t fSavedTextColour = -1;
  int32_t fSavedBackColour = -1;

  // Paragraph state.
  int32_t fAlignment = 0;
  int32_t fInterline = 0;
  uint16_t fBullet = 0;
  int32_t fLeftIndent = 0;
  int32_t fFirstIndent = 0;
  int32_t fRightIndent = 0;
  int32_t fParagraphBackColour = -1;
  int32_t fBorderColour = -1;
  int32_t fBorderStyle = 0;
  uint8_t fBorders[4] = {};  // left, right, top, bottom
  int32_t fBorderSpacing = 0;

  int32_t fEffectiveSize = 0;

  // Line state.
  const xMorvaLineRecord* fLine = nullptr;
  int32_t fFrameX = 0;
  int32_t fLineTop = 0;
  int32_t fBaseline = 0;
  int32_t fLineHeight = 0;
  int32_t fFrameWidth = 0;
  uint8_t fNoMarks = 0;
  uint8_t fSmallCapitals = 0;
  int32_t fTabsLeft = 0;
  uint8_t fJustifyActive = 0;
  int32_t fSpacesLeft = 0;
  int32_t fExtraLeft = 0;

  // The pending run, its units' widths and its width so far.
  char16_t fRun[kRunCapacity] = {};
  double fRunWidths[kRunCapacity] = {};
  // The unit measured last on the line, for the low half of a pair.
  uint16_t fPrevious = 0;
  int32_t fRunLength = 0;
  double fRunWidth = 0.0;
  // The cluster the last units measured belong to, as the port measures
  // it: its units (at most kClusterCapacity; -1: the one unit below U+0300
  // held as its last character), its last character and its width.
  static constexpr int32_t kClusterCapacity = 32;
  char16_t fCluster[kClusterCapacity] = {};
  int32_t fClusterLength = 0;
  char32_t fClusterLast = 0;
  double fClusterWidth = 0.0;
  uint8_t fShadowPass = 0;
  uint8_t fShowMarks = 0;
  uint8_t fHidePictures = 0;
  int32_t fViewMode = 0;
};
