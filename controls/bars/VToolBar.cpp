// The status bar and its progress gauge.
#include "controls/bars/VToolBar.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "controls/bars/BarResources.h"
#include "controls/toolbars/VToolBarSeparator.h"
#include "framework/system/resources/VResourceFile.h"
#include "graphics/VPort.h"
#include "views/VDockView.h"

namespace {

constexpr int32_t kStatusPanelElement = 0;
constexpr int32_t kGaugeFrameElement = 17;
constexpr int32_t kGaugeFillElement = 31;
constexpr int32_t kTopLineColor = 21;
constexpr int32_t kGaugeTextColor = 25;
constexpr int32_t kGaugeFont = 1;
constexpr int32_t kGaugeFrameWidth = 160;
constexpr int32_t kGaugeTextLeft = 164;
constexpr int32_t kGaugeExtraWidth = 9;
// Without a resource the bar is as high as a control of 21 pixels.
constexpr int32_t kDefaultControlHeight = 21;
constexpr int32_t kBarExtraHeight = 5;
// The gap kept for the window's size box, else at the right edge.
constexpr int32_t kSizeBoxGap = 20;
constexpr int32_t kStatusEdgeGap = 4;

constexpr uint32_t kStatusKinds[] = {FourCC("XBUT"), FourCC("XCCH"), FourCC("XCHK"),
                                     FourCC("XDRP"), FourCC("XEDT"), FourCC("XICO"),
                                     FourCC("XKLI"), FourCC("XMBU"), FourCC("XTXT")};

bool IsStatusKind(uint32_t kind) {
  return std::find(std::begin(kStatusKinds), std::end(kStatusKinds), kind) !=
         std::end(kStatusKinds);
}

int32_t SaturateToLong(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int32_t TallestStatusItem(const std::vector<VFrame*>& a, const std::vector<VFrame*>& b) {
  int32_t tallest = 0;
  for (const auto* list : {&a, &b}) {
    for (const VFrame* f : *list) tallest = std::max(tallest, f->GetHeight());
  }
  return tallest;
}

}  // namespace

// ---- The gauge.

VProgressGauge::VProgressGauge(VFrame* parent, VPort* port, VResourceFile* file, int16_t listId,
                               int16_t index, int32_t total)
    : VControl(parent), fTotal(total) {
  if (file != nullptr) file->GetIndString(&fMessage, listId, index);
  int32_t textWidth = 0;
  if (port != nullptr && fMessage.GetLength() > 0) {
    port->SetTextColorIndex(kGaugeTextColor);
    port->UseStandardFont(kGaugeFont);
    textWidth = static_cast<int32_t>(port->MeasureString(fMessage));
  }
  ResizeTo(textWidth + kGaugeFrameWidth + kGaugeExtraWidth, GetHeight(), 0);
  if (fTotal <= 0) {
    // Nothing to divide by: the gauge shows the work done and never grows.
    fFilled = kFullWidth;
    fNextRedraw = std::numeric_limits<int32_t>::max();
  }
}

bool VProgressGauge::Advance(int32_t delta) {
  fCurrent = SaturateToLong(int64_t{fCurrent} + delta);
  // The next pixel is due at the redraw point itself: waiting for the
  // value to pass it would leave the gauge a pixel short at the total.
  if (fCurrent < fNextRedraw) return false;
  fCurrent = std::clamp(fCurrent, 0, std::max(fTotal, 0));
  if (fTotal <= 0) return false;
  // In 64 bits: the current value times 158 passes 32 bits from 13.6
  // million on.
  const auto filled = static_cast<int32_t>(int64_t{fCurrent} * kFullWidth / fTotal);
  fNextRedraw = SaturateToLong(int64_t{fTotal} * (filled + 1) / kFullWidth);
  if (filled == fFilled) return false;
  fFilled = filled;
  if (IsShown()) Invalidate(2);
  return true;
}

void VProgressGauge::Fill() {
  fFilled = kFullWidth;
  if (IsVisible()) Invalidate(2);
}

void VProgressGauge::DrawContent(VPort& port) {
  const int32_t h = GetHeight();
  if (fDisplayMode == 1) {
    DrawLookElement(port, kStatusPanelElement, 0, nullptr, 0);
    DrawLookElement(port, kGaugeFrameElement, 0, nullptr, 0);
    return;
  }
  if (fDisplayMode != 0) return;
  DrawLookElement(port, kStatusPanelElement, 0, nullptr, 0);
  const int32_t frame[4] = {1, 1, kGaugeFrameWidth, std::max(h - 4, 0)};
  DrawLookElement(port, kGaugeFrameElement, 0, frame, 0);
  const int32_t fill[4] = {1, 2, fFilled, std::max(h - 6, 0)};
  DrawLookElement(port, kGaugeFillElement, 0, fill, 0);
  if (fMessage.GetLength() == 0) return;
  port.SetTextColorIndex(kGaugeTextColor);
  port.UseStandardFont(kGaugeFont);
  port.MoveTo(kGaugeTextLeft, h - 6, true);
  port.DrawString(fMessage);
}

// ---- The bar.

VToolBar::VToolBar(VDockView* dock, VPort* port, VResourceFile* file, int16_t id)
    : VDockBar(dock) {
  SetResourceId(id);
  int32_t tallest = kDefaultControlHeight;
  VBarDescription description;
  bool found = false;
  if (file != nullptr) {
    uint8_t owned = 0;
    const VResourceRef ref = file->GetResource(kResTypeToolBar, id, &owned);
    if (ref != 0) {
      const auto* data = static_cast<const uint8_t*>(file->LockResource(ref));
      found = ReadBarDescription(data, data != nullptr ? file->GetResourceSize(ref) : 0,
                                 description);
      file->UnlockResource(ref);
      if (owned != 0) file->ReleaseResource(ref);
    }
  }
  if (found) {
    bool right = false;
    tallest = 0;
    for (const VToolBarItemEntry& item : description.items) {
      VFrame* made = nullptr;
      if (item.kind == kKindRightGroup) {
        right = true;
      } else if (item.kind == kKindSeparator || item.kind == kKindSpace) {
        made = new VToolBarSeparator(this, item.kind == kKindSeparator);
      } else if (IsStatusKind(item.kind)) {
        made = MakeToolBarControl(this, port, file, item.kind, item.id, true);
      }
      if (made == nullptr) continue;
      (right ? fRightItems : fLeftItems).push_back(made);
      tallest = std::max(tallest, made->GetHeight());
    }
    SetVisible((description.flags & kBarFlagShown) != 0);
  }
  const int32_t width = dock != nullptr ? dock->GetWidth() : 0;
  ResizeTo(width, tallest + kBarExtraHeight, 1);
  if (dock != nullptr) dock->SetToolBar(this);
}

VToolBar::~VToolBar() {
  // The gauge is a sub-view: the view deletes it with the others.
  fProgress = nullptr;
}

void VToolBar::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  VDockBar::ResizeTo(width, height, 0);
  Layout();
  Invalidate(mode);
}

void VToolBar::DrawContent(VPort& port) {
  DrawLookElement(port, kStatusPanelElement, 0, nullptr, 0);
  port.SetPenColorIndex(kTopLineColor);
  port.DrawLine(-1, 0, GetWidth() + 1, 0);
}

bool VToolBar::DispatchMouse(VEvent&) { return true; }

void VToolBar::RemoveSubView(VFrame* frame) {
  VDockBar::RemoveSubView(frame);
  std::erase(fLeftItems, frame);
  std::erase(fRightItems, frame);
  if (frame == fProgress) fProgress = nullptr;
}

void VToolBar::Layout() {
  // Each control is placed or left out whole by the width alone, so that
  // the bar is the same however it came to its width: a control that does
  // not fit is hidden, never left where a wider bar put it over another.
  // The left group's first control (the page, or the gauge while one
  // shows) is left out last, so it takes its place first; then the right
  // group from the right edge, its first item rightmost; then the rest of
  // the left group. In each group the first control that does not fit and
  // all after it are left out. While a gauge shows, it alone of the left
  // group is shown.
  const int32_t tallest = TallestStatusItem(fLeftItems, fRightItems);
  int32_t left = kStatusEdgeGap;
  int32_t right = GetWidth() - (IsAtWindowCorner() ? kSizeBoxGap : kStatusEdgeGap);
  const auto show = [&](VFrame* f, bool shown, int32_t x) {
    if (shown) f->MoveTo(x, (tallest - f->GetHeight()) / 2 + 3, 1);
    f->SetVisible(shown);
    // Shown again, it is still hidden while the bar is.
    if (shown) f->SetHiddenByParent(!IsShown());
  };
  bool leftFits = true;
  const auto placeLeft = [&](VFrame* f) {
    leftFits = leftFits && (fProgress == nullptr || f == fProgress) && left + f->GetWidth() <= right;
    show(f, leftFits, left);
    if (leftFits) left += f->GetWidth() + kStatusEdgeGap;
  };
  if (!fLeftItems.empty()) placeLeft(fLeftItems.front());
  bool rightFits = true;
  for (VFrame* f : fRightItems) {
    rightFits = rightFits && right - f->GetWidth() >= left;
    show(f, rightFits, right - f->GetWidth());
    if (rightFits) right -= f->GetWidth() + kStatusEdgeGap;
  }
  for (size_t i = 1; i < fLeftItems.size(); ++i) placeLeft(fLeftItems[i]);
}

void VToolBar::SetDisplayMode(uint8_t mode) {
  fDisplayMode = mode;
  for (const auto* list : {&fLeftItems, &fRightItems}) {
    for (VFrame* f : *list) {
      if (f->IsControl()) static_cast<VControl*>(f)->SetDisplayMode(mode);
    }
  }
}

void VToolBar::SaveState(VResourceFile* file) {
  if (file == nullptr) return;
  uint8_t owned = 0;
  const VResourceRef ref = file->GetResource(kResTypeToolBar, static_cast<int16_t>(GetResourceId()),
                                             &owned);
  if (ref == 0) return;
  auto* data = static_cast<uint8_t*>(file->LockResource(ref));
  if (data != nullptr && file->GetResourceSize(ref) > kBarFlagsOffset) {
    data[kBarFlagsOffset] = static_cast<uint8_t>((data[kBarFlagsOffset] & ~kBarFlagShown) |
                                                 (IsVisible() ? kBarFlagShown : 0));
  }
  if (data != nullptr) file->UnlockResource(ref);
  file->WriteResource(ref);
  if (owned != 0) file->ReleaseResource(ref);
}

// ---- Progress.

void VToolBar::ShowProgress(VResourceFile* file, int16_t listId, int16_t index, int32_t total) {
  HideProgress();
  fProgress = new VProgressGauge(this, GetPort(), file, listId, index, total);
  // As high as the bar's controls.
  fProgress->ResizeTo(fProgress->GetWidth(), std::max(GetHeight() - kBarExtraHeight, 0), 0);
  FlushWindow();
  fLeftItems.insert(fLeftItems.begin(), fProgress);
  Layout();
}

void VToolBar::AdvanceProgress(int32_t delta) {
  if (fProgress != nullptr) fProgress->Advance(delta);
}

void VToolBar::HideProgress() {
  if (fProgress == nullptr) return;
  VProgressGauge* gauge = fProgress;
  gauge->Fill();
  std::erase(fLeftItems, static_cast<VFrame*>(gauge));
  gauge->Close();
  delete gauge;
  fProgress = nullptr;
  Layout();
  Invalidate(1);
}
