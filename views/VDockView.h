// VDockView: a view holding one content view and bars docked along its
// four edges. Each edge keeps its bars in layout order; the top and bottom
// bars are laid out in rows, the left and right ones in columns, and the
// content view gets what remains. A dock description ('XDOK') says which
// bars a dock starts with; the user moves bars with the mouse and shows or
// hides them through the toolbar dialog (message 33).
#pragma once

#include <cstdint>
#include <vector>

#include "views/VDockBar.h"
#include "views/VView.h"

class VObject;
class VPort;
class VResourceFile;

// The message a dock sends up its chain when the user changed its bars.
constexpr int32_t kMsgDockBarsChanged = -970;
// The message that opens the user's toolbar dialog.
constexpr int32_t kMsgDockUserBars = 33;

// Layout constants: an overlap beyond this many pixels starts a new row
// or column; at least this many pixels of a bar stay inside the dock; the
// room left for a grow box at the bottom-right corner.
constexpr int32_t kDockOverlapLimit = 15;
constexpr int32_t kDockKeepInside = 30;
constexpr int32_t kDockCornerReserve = 17;

// 'XDOK' in native order: s16 menu bar id (0 none), s16 tool bar id (0
// none), s16 count n, n × s16 item ids. The ids read are held to those the
// data holds, whatever the count claims; a negative count holds none.
struct VDockDescription {
  int16_t menuBarId = 0;
  int16_t toolBarId = 0;
  std::vector<int16_t> itemIds;
};
constexpr size_t kDockDescriptionHeadSize = 6;
// False (all 0, no items) when the data holds less than its head.
bool ReadDockDescription(const uint8_t* data, size_t size, VDockDescription& out);

class VDockView : public VView {
 public:
  explicit VDockView(VFrame* parent);
  ~VDockView() override;

  // ---- Overrides of the frame and view.
  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void DrawContent(VPort& port) override;
  void SetVisible(bool visible) override;
  void SetHiddenByParent(bool hidden) override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  void Idle(bool flag) override;
  void DispatchIdle(bool flag) override;

  virtual int32_t DockHook(int32_t, int32_t, int32_t, int32_t, int32_t) { return 0; }
  virtual VDockFloatingWindow* GetFloatingWindow() { return fFloatingWindow; }

  // Builds the bars of the 'XDOK' `id` of `file`; a missing one builds none.
  // `port` is the port the caller holds for the dock, on which the bars
  // measure their controls' titles (null: the dock's own, when it has one).
  void LoadDockDescription(VObject* owner, VResourceFile* file, int16_t id, VPort* port = nullptr);
  // The port the bars being built measure on: the one handed to
  // LoadDockDescription while it runs, else the dock's port.
  VPort* GetBarPort();
  // Puts a bar on a side (0 floating) at (x, y), or at the end of the
  // side's list when both are kDockNoPosition.
  void DockBar(VDockBar* bar, int16_t side, int32_t x, int32_t y, bool relayoutNow);
  // Lets the user drag the bar from `(startX, startY)` (dock coordinates)
  // to another side or out of the dock.
  void TrackBar(VDockBar* bar, int32_t startX, int32_t startY);
  void UndockBar(VDockBar* bar, bool relayoutNow);
  VDockBar* FindBar(int16_t resourceId) const;
  bool IsBarDisplayed(int16_t resourceId) const;
  // The bars docked on the four sides.
  int32_t CountBars() const;
  // The top, left and right bars less the tool bar and the menu bar; never
  // below 0.
  int16_t CountUserBars() const;
  void SetContentView(VFrame* view);
  VFrame* GetContentView() const { return fContentView; }
  void SetToolBar(VDockBar* bar);
  VDockBar* GetToolBar() const { return fToolBar; }
  VDockBar* GetDockBar() const { return fMenuBar; }
  void Relayout();
  // The floating window, made on first use; null when none can be made.
  VDockFloatingWindow* MakeFloatingWindow();
  void CloseFloatingWindow();
  // Rewrites the bar ids of the 'XDOK' `id` of `file` from the bars'
  // places (never more than its count and its data hold, the menu bar's
  // id left out) and lets every bar and the tool bar store its state
  // there; false when the file has no such 'XDOK'.
  bool WriteDockLayout(VResourceFile& file, int16_t id);
  // Hands the no-background byte to every bar other than the tool bar.
  void SetNoBackground(bool on);

  // ---- State, for the area and tests.
  // The side a bar is docked on; -1 when the dock does not hold it.
  int16_t GetBarSide(const VDockBar* bar) const;
  const std::vector<VDockBar*>& GetBars(int16_t side) const;
  int32_t GetTopMargin() const { return fTopMargin; }
  int32_t GetBottomMargin() const { return fBottomMargin; }
  int32_t GetLeftMargin() const { return fLeftMargin; }
  int32_t GetRightMargin() const { return fRightMargin; }
  int32_t GetStripHeight() const { return fStripHeight; }
  bool IsRelayoutOnIdle() const { return fRelayoutOnIdle != 0; }
  bool IsRelayoutWhenShown() const { return fRelayoutWhenShown != 0; }

 protected:
  // Places the content view in the rectangle the bars leave.
  void PlaceContentView();
  // The user's toolbar dialog; true when it was run and confirmed.
  bool RunUserBarsDialog();
  // Drops a frame that leaves the dock from the bar lists and the fields.
  void ForgetFrame(const VFrame* frame);
  // Shows the floating window while the dock is shown, else hides it.
  void ShowFloatingWindow();

 private:
  std::vector<VDockBar*>& ListOf(int16_t side);
  // The port of the LoadDockDescription that runs; null outside it.
  VPort* fBarPort = nullptr;
  void LayoutTop(int32_t width);
  void LayoutBottom(int32_t width, int32_t height, int32_t reserve);
  void LayoutLeft(int32_t height);
  void LayoutRight(int32_t width, int32_t height, int32_t reserve);
  // Whether any bar is docked on the four sides.
  bool HasDockedBars() const;

  VDockFloatingWindow* fFloatingWindow = nullptr;
  // Floating first, then left, top, right, bottom: indexed by side.
  std::vector<VDockBar*> fBars[5];
  int32_t fStripHeight = 0;
  int32_t fTopMargin = 0;
  int32_t fBottomMargin = 0;
  int32_t fLeftMargin = 0;
  int32_t fRightMargin = 0;
  VDockBar* fMenuBar = nullptr;
  VDockBar* fToolBar = nullptr;
  VFrame* fContentView = nullptr;
  uint8_t fNoBackground = 0;
  uint8_t fRelayoutOnIdle = 0;
  uint8_t fRelayoutWhenShown = 0;
};
