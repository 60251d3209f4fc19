// xMorvaDocumentDrawing: paints the visible part of a document into a port:
// pages with margins, headers, body columns and footers in page view, the
// body alone in continuous view, the text of each line through the font,
// pictures in the text, the markers of the page layout, and the selection
// highlight, which is kept as a region and updated by inversion.
#pragma once

#include <cstdint>

#include "document/xMorvaLayoutInterface.h"
#include "graphics/VRegion.h"
#include "graphics/VShape.h"

class VPort;
class xMorvaDocument;
class xMorvaEngine;
class xMorvaFont;
class xMorvaLines;
class xMorvaPages;
struct xMorvaLineRecord;

// Shows the selection region: a painting pass inverts it (an inactive view
// outlines it); any other pass draws only the change from the region last
// drawn, so that inverting twice gives back every pixel. The region then
// counts as drawn.
void DrawSelectionRegion(xMorvaSelectionState& state, VPort& port, uint16_t mode);

class xMorvaDocumentDrawing {
 public:
  // The line tables of the seven parts by part number (the body first; a
  // missing part is null) and the body's pages. None is owned.
  xMorvaDocumentDrawing(xMorvaDocument& document, xMorvaLines* const partLines[7],
                        xMorvaPages& pages);
  xMorvaDocumentDrawing(const xMorvaDocumentDrawing&) = delete;
  xMorvaDocumentDrawing& operator=(const xMorvaDocumentDrawing&) = delete;

  // Paints everything within the visible rectangle (port coordinates);
  // the page column starts at `pageLeft`. `selection` is the view's state
  // (null: no highlight).
  void DrawDocument(xMorvaSelectionState* selection, VPort& port, int32_t visibleLeft,
                    int32_t visibleTop, int32_t visibleWidth, int32_t visibleHeight,
                    int32_t pageLeft);
  // Paints one line (or only measures it, in a region pass) whose top-left
  // is (x, y) and adds its share of the selection to the region.
  void DrawLines(VPort& port, xMorvaSelectionState* selection, xMorvaEngine& engine,
                 uint32_t lineStart, xMorvaFont& font, const xMorvaLineRecord& line, int32_t page,
                 int32_t x, int32_t y, bool noSelection);
  // An 11 x 11 square with a cross whose bottom right corner is (x, y).
  void DrawCrossMark(VPort& port, int32_t x, int32_t y);
  // The frame and the handles of a selected picture, once per pass.
  void DrawPictureHandles(VPort& port, const VRect& rect);

  // Drawing state.
  void SetDrawingMode(uint16_t mode) { fMode = mode; }
  uint16_t GetDrawingMode() const { return fMode; }
  // The byte range of a selection drag (ordered on setting).
  void SetDraggedRange(uint32_t start, uint32_t end);
  // Printing leaves out what only the screen shows (grey, edges, marks,
  // handles, the highlight).
  void SetPrinting(bool on) { fPrinting = on; }
  bool IsPrinting() const { return fPrinting; }
  void SetTracking(bool on) { fTracking = on; }
  bool IsNotTracking() const { return !fTracking; }
  // Page view: the y of each page's top in the last pass, and where the
  // drawing of a page begins; -1 for a page not reached.
  int32_t GetPageTop(int32_t page) const;
  // Draws exactly one page at (x, y) as page view prints it: header, body
  // columns and footer, nothing of the screen's markers.
  void DrawPageForPrinting(VPort& port, int32_t page, int32_t x, int32_t y);
  // Draws the body's lines one under the other from (x, y), without pages,
  // margins, headers or footers, while a line's top lies above y + height:
  // what a display-only area shows of its document.
  void DrawBodyLines(VPort& port, int32_t x, int32_t y, int32_t height);

  // The selected picture's handles as last drawn.
  const VRect& GetPictureFrame() const { return fPictureFrame; }
  const VRect& GetCornerHandle(int32_t corner) const { return fCorners[corner & 3]; }
  bool HasHorizontalMiddleHandles() const { return fMiddleTopBottom; }
  bool HasVerticalMiddleHandles() const { return fMiddleLeftRight; }
  xMorvaEngine* GetPictureEngine() const { return fPictureEngine; }
  // The height of the document in the current view: every page with the
  // gaps between them.
  int32_t GetDocumentHeight() const;
  // The first page that a view whose top is `top` shows, in the current
  // view, found from the page table without passing the pages above it.
  int32_t FirstPageShown(int32_t top) const;

 private:
  struct PassState;
  struct LineWalk;
  // The part whose lines the engine's are (the body when none is); the
  // line record as laid out for the page, page numbers showing its number.
  int16_t LayOutLineForPage(xMorvaEngine& engine, xMorvaFont& font, uint32_t lineStart,
                            const xMorvaLineRecord& composed, int32_t page, xMorvaLineRecord& line);
  void DrawPage(PassState& pass, int32_t page, int32_t top);
  void DrawHeaderOrFooter(PassState& pass, int16_t part, int32_t page, int32_t areaTop,
                          int32_t areaBottom);
  void DrawPageMarkers(PassState& pass, int32_t page, int32_t top);
  // The flow whose selection is shown: the document's current part.
  bool IsCurrentFlow(xMorvaEngine& engine) const;

  xMorvaDocument& fDocument;
  xMorvaLines* fLines[7];
  xMorvaPages& fPages;
  uint16_t fMode = kDrawPaint;
  uint32_t fDragStart = 0;
  uint32_t fDragEnd = 0;
  bool fPrinting = false;
  bool fTracking = false;
  bool fHandlesDrawn = false;
  bool fMiddleTopBottom = false;
  bool fMiddleLeftRight = false;
  VRect fPictureFrame;
  VRect fCorners[4];
  VRect fSelectedPicture;
  bool fPictureNoted = false;
  xMorvaEngine* fPictureEngine = nullptr;
};
