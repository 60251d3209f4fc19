// VToolBar: the status bar along the bottom edge of a dock, built from an
// 'XBAR' resource. The controls before an 'XTAB' item are placed from the
// left, those after it from the right; while a long operation runs, a
// progress gauge with a message takes the place of the left group.
// VProgressGauge is that gauge: 158 pixels filled in proportion to the
// progress, redrawn only when it grows by a pixel.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "controls/controls/VControl.h"
#include "framework/core/strings/VUniString.h"
#include "views/VDockBar.h"

class VDockView;
class VPort;
class VResourceFile;

class VProgressGauge : public VControl {
 public:
  // The pixels the gauge fills at the total.
  static constexpr int32_t kFullWidth = 158;

  // The message is item `index` of 'STR#' `listId` of `file` (none without
  // a file); the gauge is as wide as 160 + 9 pixels and the message.
  VProgressGauge(VFrame* parent, VPort* port, VResourceFile* file, int16_t listId, int16_t index,
                 int32_t total);

  void DrawContent(VPort& port) override;
  // Adds `delta`; answers whether the gauge grew by a pixel (and was
  // invalidated when shown).
  bool Advance(int32_t delta);
  // Full, and invalidated when shown.
  void Fill();

  int32_t GetCurrent() const { return fCurrent; }
  int32_t GetNextRedraw() const { return fNextRedraw; }
  int32_t GetFilled() const { return fFilled; }
  int32_t GetTotal() const { return fTotal; }
  const VString& GetMessage() const { return fMessage; }

 private:
  int32_t fCurrent = 0;
  int32_t fNextRedraw = 0;
  int32_t fFilled = 0;
  int32_t fTotal;
  VStr<255> fMessage;
};

class VToolBar : public VDockBar {
 public:
  // Builds status bar 'XBAR' `id` of `file` and installs it in `dock`. A
  // missing resource gives an empty bar 26 pixels high.
  VToolBar(VDockView* dock, VPort* port, VResourceFile* file, int16_t id);
  ~VToolBar() override;

  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void DrawContent(VPort& port) override;
  // The bar itself takes every click and passes it to nothing.
  bool DispatchMouse(VEvent& event) override;
  void RemoveSubView(VFrame* frame) override;

  // The dock never moves its status bar to a side or out of it.
  void GetFloatingSize(int32_t& width, int32_t& height) override {
    width = GetWidth();
    height = GetHeight();
  }
  int32_t GetDockedLength(bool) override { return GetWidth(); }
  int32_t GetDockedThickness(bool) override { return GetHeight(); }
  void SetDockSide(int16_t) override {}
  void StoreState(VResourceFile* file) override { SaveState(file); }

  // Writes the shown state into its resource, the other bits kept.
  virtual void SaveState(VResourceFile* file);
  // Places the controls for the bar's width, hiding those that do not fit
  // (the left group's first one last).
  void Layout();
  void SetDisplayMode(uint8_t mode);

  // Replaces any gauge by a new one in place of the left group.
  void ShowProgress(VResourceFile* file, int16_t listId, int16_t index, int32_t total);
  void AdvanceProgress(int32_t delta);
  void HideProgress();

  VProgressGauge* GetProgress() const { return fProgress; }
  const std::vector<VFrame*>& GetLeftItems() const { return fLeftItems; }
  const std::vector<VFrame*>& GetRightItems() const { return fRightItems; }
  uint8_t GetDisplayMode() const { return fDisplayMode; }

 private:
  // The groups do not own their controls: the view does.
  std::vector<VFrame*> fLeftItems;
  std::vector<VFrame*> fRightItems;
  VProgressGauge* fProgress = nullptr;
  uint8_t fDisplayMode = 0;
};
