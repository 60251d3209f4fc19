// xMorvaDocumentLayout: the composed lines of a document's seven parts, the
// pages of its body and the font that measures them on the document's
// measuring port. Each line table is attached to its engine, which notes
// in it every change of its stream; Update composes again what changed and
// re-paginates the body from one page before the first line it composed.
// A change of a part's text width, or of the page geometry the pages were
// filled for, composes (or paginates) that part whole at the next update.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "document/xMorvaDocParams.h"
#include "document/xMorvaLayoutInterface.h"
#include "engine/xMorvaPages.h"
#include "framework/core/VObject.h"

class VPort;
class xMorvaDocumentDrawing;
class xMorvaDocumentInterface;
class xMorvaEngine;
class xMorvaFont;
class xMorvaLines;

class xMorvaDocumentLayout : public VObject, public xMorvaLayoutInterface {
 public:
  static constexpr int kPartCount = 7;
  static constexpr int16_t kBody = 0;

  // `engines` by part number, none null. Nothing is composed yet.
  xMorvaDocumentLayout(xMorvaDocumentInterface& document, xMorvaEngine* const engines[kPartCount],
                       VPort* port);
  // Detaches the line tables from their engines.
  ~xMorvaDocumentLayout() override;
  xMorvaDocumentLayout(const xMorvaDocumentLayout&) = delete;
  xMorvaDocumentLayout& operator=(const xMorvaDocumentLayout&) = delete;

  // ---- What drawing and the document's geometry read.
  // The line table of a part; null out of range.
  xMorvaLines* GetLines(int16_t part) const;
  // The seven line tables by part number.
  xMorvaLines* const* GetPartLines() const { return fLinePointers; }
  xMorvaPages& GetPages() const { return *fPages; }
  xMorvaFont& GetFont() const { return *fFont; }
  xMorvaEngine* GetEngine(int16_t part) const;
  // The drawing of the body over these lines and pages; null when the
  // document is not a full document (its page parts and options).
  xMorvaDocumentDrawing* GetDrawing() const { return fDrawing.get(); }

  // ---- xMorvaLayoutInterface.
  int32_t ComposeAll() override;
  int32_t ComposePart(int16_t part) override;
  int32_t Update() override;
  int32_t GetPageCount() override;
  int32_t GetPageFirstPosition(int32_t page) override;
  int32_t PreparePageStart(int32_t page) override;
  int32_t Repaginate() override;
  int32_t GetBodyLinesHeight() override;
  int32_t GetWidestBodyLine() override;
  int32_t GetLineCount(int16_t part) override;
  int32_t GetPartLinesHeight(int16_t part) override;
  int32_t LocateOffset(int16_t part, uint32_t offset, int32_t headerFooterPage,
                       xMorvaLineLocation& where) override;
  int32_t MeasureToOffset(int16_t part, const xMorvaLineLocation& where, uint32_t offset,
                          bool& italic) override;
  bool LineAtPoint(int32_t x, int32_t y, int16_t part, int32_t headerFooterPage,
                   xMorvaLineHit& hit) override;
  int32_t PositionInLine(int16_t part, int32_t line, uint32_t lineStart, int32_t x,
                         int32_t page) override;
  int32_t StepLine(int16_t part, int32_t line, bool up, uint32_t& lineStart,
                   int32_t& positionsBefore) override;
  bool CanTypeInLine(int16_t part, const xMorvaLineLocation& where, uint32_t offset, char16_t unit,
                     double& lineEnd) override;
  bool TakeTypedUnit(int16_t part, const xMorvaLineLocation& where, double lineEnd) override;
  void DrawDocument(xMorvaSelectionState* selection, VPort& port, int32_t visibleLeft,
                    int32_t visibleTop, int32_t visibleWidth, int32_t visibleHeight,
                    int32_t pageLeft) override;
  void DrawPageForPrinting(VPort& port, int32_t page, int32_t x, int32_t y) override;
  void DrawBodyLines(VPort& port, int32_t x, int32_t y, int32_t height) override;
  int32_t GetColumnLineCount(int32_t page, int32_t column) override;
  void SetDrawingMode(uint16_t mode) override;
  void SetDraggedRange(uint32_t start, uint32_t end) override;

 private:
  // What the page table was filled for.
  struct PageGeometry {
    xMorvaPages::BodyPlace first;
    xMorvaPages::BodyPlace other;
    int32_t columns = -1;
    uint8_t widow = 0;
    bool operator==(const PageGeometry& other) const = default;
  };
  PageGeometry CurrentGeometry() const;
  // The view options of the document reach the measuring font.
  void ApplyViewOptions();
  int32_t Paginate(int32_t fromPage);
  // Writes into every page-number element the number of the page its line
  // is on (the page count for a total), so that what reads or saves the
  // text finds the numbers and not the widest text the lines were
  // composed with. Only parts that hold page numbers are walked; in the
  // body, only the lines that hold them, and of those only the ones
  // composed since, moved to another page or showing a page count that
  // changed.
  void RefreshPageNumbers();
  // The body's part of it.
  void RefreshBodyPageNumbers();
  // The body's lines that hold page numbers, found again by a walk over
  // all its lines (after a whole composition, or changes not followed).
  void FindNumberedLines();
  // The same kept up to date after a composition that replaced records as
  // its Replaced says: only the new records, and the old ones after them
  // whose layout it wrote again, are looked at; they show the widest texts.
  void TrackNumberedLines(int32_t first, int32_t oldCount, int32_t newCount, int32_t written);
  // The first byte of body line `line`, which is on page `page`.
  uint32_t BodyLineStart(int32_t line, int32_t page) const;
  // The page a header's or footer's numbers show outside drawing.
  static int32_t PageOfPart(int16_t part);
  // Pixels of one rounding step of the document's display unit, and one.
  double DisplayStep() const;
  static bool IsPart(int16_t part) { return part >= 0 && part < kPartCount; }
  // Where the header a page shows prints, from the page's upper edge, and
  // the distance from the page's lower edge at which its footer prints.
  xMorvaDocParams::HeaderPlace HeaderPlaceOn(int32_t page) const;
  int32_t FooterTopOn(int32_t page) const;

  xMorvaDocumentInterface& fDocument;
  xMorvaEngine* fEngines[kPartCount] = {};
  std::unique_ptr<xMorvaLines> fLines[kPartCount];
  xMorvaLines* fLinePointers[kPartCount] = {};
  std::unique_ptr<xMorvaPages> fPages;
  std::unique_ptr<xMorvaFont> fFont;
  std::unique_ptr<xMorvaDocumentDrawing> fDrawing;
  // The text width each part was composed for.
  int32_t fWidths[kPartCount];
  PageGeometry fGeometry;
  // The parts whose lines held page numbers at the last refresh.
  bool fHasPageNumbers[kPartCount] = {};
  // A body line that holds page numbers, and what they show: the numbers
  // of `page` (-1: the widest texts composition left), and `count` pages
  // in a page count (-1: the line holds none).
  struct NumberedLine {
    int32_t line = 0;
    int32_t page = -1;
    int32_t count = -1;
  };
  // In line order.
  std::vector<NumberedLine> fNumberedLines;
  // The body lines' change count when fNumberedLines was last made up to
  // date; until it first is, every line is looked at.
  uint64_t fNumberedChanges = 0;
  bool fNumberedKnown = false;
  // The number of the first page the body's numbers were laid out with.
  int32_t fNumbersFirstPage = 0;
  // Set when something other than the refresh wrote into the body's
  // numbers (drawing the lines as one page, measuring on a printer): the
  // next refresh lays them all out.
  bool fNumbersDisturbed = false;
  // Set while the refresh runs: the page count it reads must not start
  // another one.
  bool fRefreshingPageNumbers = false;
};
