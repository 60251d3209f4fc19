// xMorvaFrame: the scrolled view that shows an editing area's document in
// the area's split-pane view: it draws the visible part of the document
// with the page column set in by its inset, keeps the caret in view and
// blinks it at idle time, answers the cursor under the mouse, the edit
// menu's states and its undo and redo titles, and clones itself when the
// user splits the pane.
#pragma once

#include <cstdint>

#include "document/xMorvaLayoutInterface.h"
#include "graphics/VRegion.h"
#include "views/VScrolledView.h"

class VPaneView;
class VShortcut;
class xMorvaDocument;
class xMorvaHRuler;
class xMorvaPlugIn;
class xMorvaTabSelector;
class xMorvaVRuler;

class xMorvaFrame : public VScrolledView {
 public:
  // The frame's kind, the same as the area's document kind.
  static constexpr uint32_t kKind = 0x584D4F52;  // 'XMOR'
  // Pixels one wheel step scrolls.
  static constexpr int32_t kWheelStep = 48;
  // The smallest pane the user may split off.
  static constexpr int32_t kMinimumPane = 80;
  // Cursor ids: the text beam, the arrow, the hand over a link.
  static constexpr int32_t kCursorArrow = 0;
  static constexpr int32_t kCursorText = 1;
  static constexpr int32_t kCursorPicture = 3;
  static constexpr int32_t kCursorLink = 9000;
  // Edit-state bits, as the edit menu reads them.
  enum : int32_t {
    kEditUndo = 1,
    kEditRedo = 2,
    kEditCut = 4,
    kEditCopy = 8,
    kEditPaste = 16,
    kEditClear = 32,
    kEditSelectAll = 64,
  };

  // Made in `paneView` for the area's `document`; becomes the pane's
  // content view. `area` is not owned.
  xMorvaFrame(VPaneView* paneView, xMorvaDocument* document, xMorvaPlugIn* area);
  ~xMorvaFrame() override;

  // Leaves the old document's frames and joins the new one's.
  void SetDocument(xMorvaDocument* document);
  xMorvaDocument* GetDocument() const { return fDocument; }
  xMorvaPlugIn* GetArea() const { return fArea; }
  // The area is going: the frame shows nothing from now on.
  void ForgetArea() {
    fArea = nullptr;
    fDocument = nullptr;
    ForgetRulerParts();
  }

  // The horizontal inset of the document in the frame: in page view the
  // page is centred once the frame is wider than the page and its edges
  // (4 pixels on either side); other views have none.
  int32_t TextInset() const;
  static int32_t TextInsetFor(int16_t viewMode, int32_t frameWidth, int32_t pageWidth);
  // Scrolls so that the caret line at document point (x, y), `height`
  // high, is in view; nothing while the frame is not shown.
  void ScrollToShow(int32_t x, int32_t y, int32_t height);
  void ScrollToOrigin();
  // Draws what the frame shows now, into its port (a drag's feedback).
  void RedrawNow();
  // Draws the caret now when it changed phase (the idle step); `force`
  // takes a visible caret off.
  void BlinkCaret(bool force);

  // The rulers and the tab selector around the view (owned by the pane
  // view); null once they are gone.
  xMorvaHRuler* GetHRuler() const { return hRuler; }
  xMorvaVRuler* GetVRuler() const { return vRuler; }
  xMorvaTabSelector* GetTabSelector() const { return tabSelector; }
  // A ruler or the selector is going: the view forgets it.
  void DetachRulerPart(const VFrame* part);

  bool IsRedrawPending() const { return redrawPending != 0; }
  bool IsDrawnMarkSet() const { return drawnMark != 0; }
  bool HasFocusKindChanged() const { return focusKindChanged != 0; }
  xMorvaSelectionState& GetSelectionState() { return fSelection; }

  // ---- Overrides.
  uint32_t GetKind() const override { return kKind; }
  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  bool ControlMouseDown(VEvent& event) override;
  void MouseWheel(VEvent& event) override;
  int32_t HandleKey(VEvent& event) override;
  void LoseFocus(VFrame* next) override;
  void TakeFocus() override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  void Idle(bool flag) override;
  int32_t GetCursorIdAt(VEvent& event) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;
  // The edit menu asks the frame's edit state.
  int32_t UpdateEditCommands() override;
  bool HandlesEditCommands() override { return true; }
  // Paste stays on for what the document's paste takes.
  bool AcceptsScrapType(uint32_t type) override;
  void GetUndoTitle(VString& out) override;
  void GetRedoTitle(VString& out) override;
  void ScrollBy(VPort* port, int32_t dx, int32_t dy) override;

  // The edit commands the text allows now, as the kEdit bits: undo, redo,
  // cut, clear and paste need the text not protected, copy and select all
  // do not; each needs the area to allow its command.
  int32_t GetEditState() const;
  // The cursor id at a point of the frame (frame coordinates).
  int32_t CursorIdAt(int32_t x, int32_t y);
  // The key as the text takes it (xMorvaKeyboard): 0 handled, 1 not
  // handled.
  int32_t KeyDown(const VShortcut& key);

 private:
  // Whether the document may be changed here: not read-only, area not
  // locked.
  bool IsProtected() const;
  // Draws the document into `port` (frame content coordinates) over the
  // rectangle at (left, top).
  void DrawDocumentInto(VPort& port, int32_t left, int32_t top, int32_t width, int32_t height);

  // Makes the two rulers and the tab selector and gives them to the pane.
  void MakeRulers(VPaneView* paneView);
  // The rulers and the selector show and edit nothing any more.
  void ForgetRulerParts();

  xMorvaPlugIn* fArea = nullptr;
  xMorvaDocument* fDocument = nullptr;
  xMorvaHRuler* hRuler = nullptr;
  xMorvaVRuler* vRuler = nullptr;
  xMorvaTabSelector* tabSelector = nullptr;
  // The uncovered part of the last scroll, and what it left drawn.
  VRegion fScrollRegion;
  VRegion fDrawnRegion;
  // The view's selection highlight as the document's drawing keeps it.
  xMorvaSelectionState fSelection;
  uint8_t drawnMark = 0;
  uint8_t fSecondMark = 0;
  uint8_t redrawPending = 0;
  uint8_t focusKindChanged = 0;
};
