// xMorvaPrintPreviewDialog: one page of the document at a time, as it
// prints, at a chosen zoom, on the form "mvPrintPreview". The page is drawn
// by an xMorvaPageDisplayer in the user area "usrPreview"; a page larger
// than the area is dragged inside it with an xMorvaPreviewDragger.
#pragma once

#include <cstdint>
#include <memory>

#include "dialogs/xMorvaDialog.h"
#include "views/VDragger.h"
#include "views/VFrame.h"

class VPictureShape;
class xMorvaDocument;

class xMorvaPageDisplayer : public VFrame {
 public:
  // The zoom the displayer accepts: a percentage from 1 to 1,000.
  static constexpr int32_t kMinZoom = 1;
  static constexpr int32_t kMaxZoom = 1000;
  // The cursor shown over a page larger than the frame.
  static constexpr int32_t kDragCursor = 9002;

  // Page `index` (0-based) of the document, at 100 %, under `parent`; the
  // frame's size is the parent's to give.
  xMorvaPageDisplayer(VFrame* parent, xMorvaDocument* document, int32_t index);
  ~xMorvaPageDisplayer() override;

  // Records page `index` as the picture shown; the zoom and offsets stay.
  void SetPage(int32_t index);
  // Stores the zoom (the caller redraws). A zoom outside 1 to 1,000 is
  // refused and the previous one kept: false.
  bool SetZoom(int32_t percent);
  int32_t GetZoom() const { return fZoom; }
  bool HasPicture() const { return fPicture != nullptr; }
  int32_t GetOffsetX() const { return fOffsetX; }
  int32_t GetOffsetY() const { return fOffsetY; }
  // The page's size at the zoom, in pixels.
  int32_t ZoomedWidth() const;
  int32_t ZoomedHeight() const;
  // Whether the zoomed page exceeds the frame either way.
  bool IsLargerThanFrame() const;
  // Moves the page by (dx, dy); the next drawing clamps it.
  void MoveBy(int32_t dx, int32_t dy);
  // The offsets as drawing leaves them: centred along a side where the
  // page fits, else no gap at either end.
  void ClampOffsets();

  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  int32_t GetCursorId() const override;
  int32_t GetCursorIdAt(VEvent& event) override;

 private:
  xMorvaDocument* fDocument;
  std::unique_ptr<VPictureShape> fPicture;
  int32_t fZoom = 100;
  int32_t fOffsetX = 0;
  int32_t fOffsetY = 0;
};

// Drags an enlarged page inside its displayer: each step moves the page by
// the mouse's movement and draws it again at once.
class xMorvaPreviewDragger : public VDragger {
 public:
  xMorvaPreviewDragger(xMorvaPageDisplayer* displayer, const VEvent& event);
  ~xMorvaPreviewDragger() override;

  void BeginTrack(VPort&) override {}
  void TrackMove(VPort& port, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) override;
  void EndTrack(VPort&, VFrame*) override {}
  void DrawFeedback(VPort&, bool) override {}

 private:
  xMorvaPageDisplayer* fDisplayer;
};

class xMorvaPrintPreviewDialog : public xMorvaDialog {
 public:
  xMorvaPrintPreviewDialog(xMorvaPlugIn* area, xMorvaDocument* document);

  int32_t GetCurrentPage() const { return fCurrentPage; }
  xMorvaPageDisplayer* GetDisplayer() const { return fDisplayer; }
  // The first and last page numbers as the user sees them.
  int32_t FirstPage() const;
  int32_t LastPage() const;

  bool BeforeOpen() override;
  bool AfterOpen() override;
  VObject* CreateUserArea(const VString& objectName, void* areaCall) override;
  void ItemHit(const VString& objectName, int16_t page) override;
  // The displayer goes with the form's user area: let go of it.
  void Closing() override;

  // Reads a zoom item's text: its leading number when it is a percentage
  // from 1 to 1,000, else 0.
  static int32_t ZoomOfText(const char* text);

 private:
  void UpdatePageFields();
  void ShowPage();

  xMorvaPageDisplayer* fDisplayer = nullptr;
  xMorvaDocument* fDocument;
  int32_t fCurrentPage = 1;
};

// The print preview command's dialog: true when closed with OK.
bool RunPrintPreviewDialog(xMorvaPlugIn& area);
