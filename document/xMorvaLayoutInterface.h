// xMorvaLayoutInterface: the composed lines of a document's seven parts and
// the pages of its body, as the document sees them. The text engine makes
// the object (xMorvaEngineServices::NewLayout) and owns what it holds: the
// line table of each part, the body's page table and the font that
// measures on the document's measuring port. Lines follow every edit of
// their text: an update composes again what the edits since the last one
// touched and re-paginates the body from one page before the first page
// they reached. The document's view options (invisible marks, view mode)
// reach the measuring font at each update.
#pragma once

#include <cstdint>

#include "graphics/VRegion.h"

class VPort;

// Where a byte offset of a part lies on the screen (view coordinates of a
// frame) and in the part's lines.
struct xMorvaLineLocation {
  int32_t line = 0;              // index of the line record
  uint32_t lineStart = 0;        // byte offset of the line's start
  int32_t page = 0;              // 0-based
  int32_t column = 0;            // 0-based
  int32_t lineInColumn = 0;      // line index less the column's first line
  int32_t positionsBefore = 0;   // positions of the part before the line
  int32_t left = 0;              // the line's left x
  int32_t top = 0;               // the line's top y
  int32_t yInPart = 0;           // the line's top within its part
  int32_t textWidth = 0;
  int32_t height = 0;
};

// The line under a point.
struct xMorvaLineHit {
  int16_t part = 0;              // the part the point falls in
  int32_t page = 0;              // the page band it falls in
  int32_t line = 0;
  uint32_t lineStart = 0;
  int32_t positionsBefore = 0;
  int32_t x = 0;                 // the point's x relative to the line's left
  int32_t top = 0;               // the line's top y
};

// The drawing-mode word: paint; a pass during a selection drag, where the
// dragged range stands in for the selection; a pass that only measures to
// rebuild the selection region.
constexpr uint16_t kDrawPaint = 1;
constexpr uint16_t kDrawSelectionDrag = 2;
constexpr uint16_t kDrawRegionPass = 4;

// The selection state of the view that shows a document: the region of
// the highlight as the last pass built it and as it was last drawn, each
// with its kind (1: built as a filled area), and whether the view is
// active (holds the focus or keeps its highlight).
struct xMorvaSelectionState {
  VRegion region;
  VRegion drawn;
  uint8_t kind = 0;
  uint8_t drawnKind = 0;
  bool active = true;
};

class xMorvaLayoutInterface {
 public:
  virtual ~xMorvaLayoutInterface() = default;

  // Every part composed whole and the body paginated from its first page:
  // 0, or 1041 when a line or page record could not be stored (the table
  // is then rebuilt whole at the next update).
  virtual int32_t ComposeAll() = 0;
  // One part composed whole; the body is then paginated from page 0.
  virtual int32_t ComposePart(int16_t part) = 0;
  // Brings every part up to date with the edits of its text since the last
  // update, and the body's pages with its lines. The same answers.
  virtual int32_t Update() = 0;

  virtual int32_t GetPageCount() = 0;
  // The positions of the body before page `page` (0-based); 0 for a page
  // before the first, the body's positions after the last.
  virtual int32_t GetPageFirstPosition(int32_t page) = 0;
  // The same, with the body's walk told where the paragraph holding that
  // place begins and the state there, from the line table: a caret set on
  // the page then walks from there, not from where the text was last
  // walked.
  virtual int32_t PreparePageStart(int32_t page) = 0;
  // The lines brought up to date, then the body paginated whole again.
  virtual int32_t Repaginate() = 0;
  // Sum of the heights of the body's lines.
  virtual int32_t GetBodyLinesHeight() = 0;
  virtual int32_t GetWidestBodyLine() = 0;
  virtual int32_t GetLineCount(int16_t part) = 0;
  // Sum of the heights of a header's or footer's lines, that part alone
  // composed as it stands (the body is left as it is); 0 for the body.
  virtual int32_t GetPartLinesHeight(int16_t part) = 0;

  // ---- Geometry of the current part (lines brought up to date first).
  // The line holding the byte offset of the part: its place on the page of
  // `headerFooterPage` for a header or footer, of its own page for the
  // body. The line index.
  virtual int32_t LocateOffset(int16_t part, uint32_t offset, int32_t headerFooterPage,
                               xMorvaLineLocation& where) = 0;
  // The pen x at the offset within its line (located as above), and
  // whether the text there is italic.
  virtual int32_t MeasureToOffset(int16_t part, const xMorvaLineLocation& where, uint32_t offset,
                                  bool& italic) = 0;
  // The line under (x, y), view coordinates, in `part` when it is not -1,
  // else in the part under the point (page view: header, footer or body of
  // the page band; continuous view: the body).
  virtual bool LineAtPoint(int32_t x, int32_t y, int16_t part, int32_t headerFooterPage,
                           xMorvaLineHit& hit) = 0;
  // The position of the part under x within line `line` that starts at
  // `lineStart` (x relative to the line's left).
  // A header or footer line is laid out for `page` (its page numbers);
  // a body line for its own page.
  virtual int32_t PositionInLine(int16_t part, int32_t line, uint32_t lineStart, int32_t x,
                                 int32_t page) = 0;
  // The line next to `line` in that direction, stepping over lines that
  // continue inside a computed element; -1 at the first line going up or
  // the last going down. `lineStart` and `positionsBefore` move with it.
  virtual int32_t StepLine(int16_t part, int32_t line, bool up, uint32_t& lineStart,
                           int32_t& positionsBefore) = 0;

  // ---- Typing along a line without composing it again.
  // Whether `unit` typed at the offset (a caret on line `where`) may leave
  // every line as it is but that one: false for a break character that
  // might let the first word of a continued line move up or give a line
  // cut inside a word a place to break, a unit at the start of a continued
  // line, a line with pictures or computed elements, or lines not up to
  // date. `lineEnd` receives the pen at the line's end.
  virtual bool CanTypeInLine(int16_t part, const xMorvaLineLocation& where, uint32_t offset,
                             char16_t unit, double& lineEnd) = 0;
  // After the unit went in: when the only change since the last update is
  // that one unit inside line `where` and the line has room for it (at its
  // end, or in the tab that aligns its text, or in the next tab), the line
  // and its page take it without composing. False, with the change left
  // for the next update, otherwise.
  virtual bool TakeTypedUnit(int16_t part, const xMorvaLineLocation& where, double lineEnd) = 0;

  // ---- Drawing (lines brought up to date first). A page's headers and
  // footers show its numbers while it is drawn, measured or hit, and the
  // numbers they showed before again after it: a save never depends on
  // the page shown last.
  // Paints everything within the visible rectangle of `port` (its
  // coordinates) in the document's view mode, the page column starting
  // at `pageLeft`; `selection` is the showing view's state (null: no
  // highlight), rebuilt and drawn as the drawing mode says.
  virtual void DrawDocument(xMorvaSelectionState* selection, VPort& port, int32_t visibleLeft,
                            int32_t visibleTop, int32_t visibleWidth, int32_t visibleHeight,
                            int32_t pageLeft) = 0;
  // One page (0-based) at (x, y) as it prints: header, body columns and
  // footer, none of the screen's markers.
  virtual void DrawPageForPrinting(VPort& port, int32_t page, int32_t x, int32_t y) = 0;
  // The body's lines one under the other from (x, y), without pages, while
  // a line begins within `height` pixels.
  virtual void DrawBodyLines(VPort& port, int32_t x, int32_t y, int32_t height) = 0;
  // How many body lines column `column` (0-based) of page `page` holds; 0
  // for a page or column the pages do not have.
  virtual int32_t GetColumnLineCount(int32_t page, int32_t column) { return 0; }
  // The drawing-mode word of the following passes, and the byte range of
  // a selection drag.
  virtual void SetDrawingMode(uint16_t mode) = 0;
  virtual void SetDraggedRange(uint32_t start, uint32_t end) = 0;
};
