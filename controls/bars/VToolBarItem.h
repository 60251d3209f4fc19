// VToolBarItem: a dockable toolbar, a row, column or block of controls
// built from an 'XBAR' resource, docked on a side of its dock or floating
// in a window of its own. It lays its controls out for its side, takes the
// shape nearest 4 : 3 when it floats, hides through its context menu and
// writes its side, position and shown state back into its resource.
// VToolBarGrip is the handle by which the user drags it.
#pragma once

#include <cstdint>
#include <vector>

#include "controls/controls/VControl.h"
#include "views/VDockBar.h"

class VDockView;
class VEvent;
class VPendingReply;
class VPort;
class VResourceFile;
struct VBarDescription;

// Messages of a toolbar: its grip was pressed; hide it (a floating one is
// docked again, hidden); dock a floating one again, shown.
constexpr int32_t kMsgGripPressed = -992;
constexpr int32_t kMsgHideBar = 31;
constexpr int32_t kMsgDockAgain = 32;
// The context menus of a floating and of a docked toolbar.
constexpr int16_t kFloatingBarMenuId = 9000;
constexpr int16_t kDockedBarMenuId = 9001;

class VToolBarGrip : public VControl {
 public:
  explicit VToolBarGrip(VFrame* parent) : VControl(parent) {}
  void DrawContent(VPort& port) override;
  // Tells the toolbar, which starts the drag.
  bool MouseDown(VEvent& event) override;
};

class VToolBarItem : public VDockBar {
 public:
  // Builds toolbar 'XBAR' `id` of `file` in `dock` and docks it on the side
  // the resource gives. A missing resource leaves it empty and undocked.
  VToolBarItem(VDockView* dock, VPort* port, VResourceFile* file, int16_t id);

  // ---- Frame and view operations.
  void MoveTo(int32_t left, int32_t top, int16_t mode) override;
  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void DrawContent(VPort& port) override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  bool ControlMouseDown(VEvent& event) override;
  void AddSubView(VFrame* frame) override;

  // ---- What the dock asks of a bar.
  void GetFloatingSize(int32_t& width, int32_t& height) override;
  int32_t GetDockedLength(bool horizontal) override;
  int32_t GetDockedThickness(bool horizontal) override;
  void SetDockSide(int16_t side) override;
  void StoreState(VResourceFile* file) override { SaveState(file); }

  // ---- Own operations.
  virtual bool IsMenuBar() const { return false; }
  // The previous side is kept.
  virtual void SetSide(uint8_t side);
  // Writes the shown state, the side and the position (a floating bar's
  // previous docked ones) into its resource.
  virtual void SaveState(VResourceFile* file);
  virtual void Layout();
  virtual bool HasGrip() const { return fHasGrip != 0; }

  uint8_t GetSide() const { return fSide; }
  uint8_t GetPreviousSide() const { return fPreviousSide; }
  void GetPreviousPosition(int32_t& left, int32_t& top) const {
    left = fPreviousLeft;
    top = fPreviousTop;
  }
  bool IsFullWidth() const { return fFullWidth != 0; }
  bool HasSpareFlag() const { return fSpareFlag != 0; }
  void SetContextMenuAllowed(bool allowed) { fContextMenuAllowed = allowed ? 1 : 0; }
  bool IsContextMenuAllowed() const { return fContextMenuAllowed != 0; }
  bool IsLayoutSuspended() const { return fLayoutSuspended != 0; }
  // Stores the mode as the layout suspension (customising) and gives it to
  // every control.
  void SetDisplayMode(uint8_t mode);
  VToolBarGrip* GetGrip() const { return fGrip; }
  VDockView* GetDock() const { return fDock; }

  // ---- Floating in another process's window.
  VView* MakeFloatingWindowView(VDockView* dock) override;
  // Answers the request its floating window left, in this process.
  void FloatingIdle() override;
  // The host process that made the toolbar.
  uint32_t GetProcess() const { return fProcess; }
  bool IsInOtherProcess() const;
  // From the floating window's process: leaves the request for the
  // toolbar's idle and waits for its answer; false when none came.
  bool AskOwnProcess(VFrame* sender, int32_t message, intptr_t parameter);
  // The window asks to be closed (31 hides the toolbar, 32 and -994 show it
  // docked again).
  bool AnswerCloseRequest(int32_t message);
  bool HasPendingRequest() const { return fPendingRequest != nullptr; }
  uint8_t GetAnswerDepth() const { return fAnswerDepth; }
  // How often a wait for the other process asks the host before it gives
  // up, so that a process that never idles cannot hang this one.
  static constexpr int32_t kMaxProcessWaits = 100000;

  // ---- Measures.
  int32_t RowWidth() const { return RowWidthOf(GripCounts()); }
  int32_t ColumnHeight() const;
  int32_t WidestControl() const;
  int32_t RowHeight() const;
  int32_t WrappedHeight(int32_t width) { return WrappedHeightOf(width, GripCounts()); }
  // The narrowest width the controls wrap to within `width`, and the
  // height they then take.
  void WrapToWidth(int32_t width, int32_t& actualWidth, int32_t& height);
  void FloatingSize(int32_t& width, int32_t& height);

  // Rows of a floating layout whose heights are kept; rows past them are
  // laid out from their own controls.
  static constexpr size_t kMaxFloatingRows = 32;

 protected:
  // For the menu bar, which reads its own resource.
  VToolBarItem(VDockView* dock, int16_t id);
  // Construction from a description read: position, flags, title, the
  // grip and the controls, the shown state, then docking.
  void Build(VPort* port, VResourceFile* file, const VBarDescription& description, bool found);
  // Makes the grip (once) and the controls of the items.
  void CreateControls(VPort* port, VResourceFile* file, const VBarDescription& description);
  // A control the measures and layouts leave alone (the menu bar's close
  // button), and its making, after the grip and before the items.
  virtual bool IsBarOnlyControl(const VFrame*) const { return false; }
  virtual void MakeBarOnlyControls(VPort*, VResourceFile*) {}
  // Reads description (type, id) of the file; false when it is missing or
  // shorter than its fixed part.
  static bool ReadDescription(VResourceFile* file, uint32_t type, int16_t id,
                              VBarDescription& out);
  // The controls in item order, the grip and bar-only controls left out.
  std::vector<VFrame*> Controls() const;
  void PlaceGrip();
  bool GripCounts() const { return fHasGrip != 0 && fSide != kDockFloating; }
  int32_t RowWidthOf(bool grip) const;
  int32_t WrappedHeightOf(int32_t width, bool grip);
  // Hides the bar (floating: docks it again first) and tells the chain.
  bool HideBar(bool show);

  VDockView* fDock;
  VToolBarGrip* fGrip = nullptr;
  int16_t fResourceId = 0;
  uint8_t fHasGrip = 0;
  uint8_t fSpareFlag = 0;
  uint8_t fFullWidth = 0;
  uint8_t fContextMenuAllowed = 1;
  uint8_t fSide = 0;
  uint8_t fPreviousSide = 0;
  int32_t fPreviousLeft = 0;
  int32_t fPreviousTop = 0;
  uint8_t fLayoutSuspended = 0;
  uint32_t fResourceType;
  uint32_t fProcess = 0;
  VPendingReply* fPendingRequest = nullptr;
  uint8_t fAnswerDepth = 0;

 private:
  void LayoutFloating(const std::vector<VFrame*>& controls);
  void LayoutColumn(const std::vector<VFrame*>& controls);
  void LayoutRow(const std::vector<VFrame*>& controls);
};

// Whether the frame is a separator, which the layouts count 8 pixels across.
bool IsBarSeparator(const VFrame* frame);
