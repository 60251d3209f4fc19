// The dockable toolbar: construction from 'XBAR', the measures and layouts
// of each side, the floating shape, hiding and saving its state.
#include "controls/bars/VToolBarItem.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "controls/bars/BarResources.h"
#include "controls/bars/VToolBarWindow.h"
#include "controls/toolbars/VToolBarSeparator.h"
#include "framework/system/resources/VResourceFile.h"
#include "views/VDockView.h"
#include "views/VEvent.h"
#include "views/VTask.h"
#include "host/context/HostProcesses.h"

namespace {

constexpr int32_t kToolBarGripElement = 14;
constexpr int32_t kToolBarPanelElement = 0;
constexpr int32_t kToolBarFrameElement = 16;
// What the measures count for the grip and for a separator across the line.
constexpr int32_t kGripRoom = 10;
constexpr int32_t kSeparatorRoom = 8;
// Out of sight: the grip of a floating bar, a separator opening a line.
constexpr int32_t kOutOfSight = 1000;
constexpr int32_t kMinThickness = 24;
constexpr int32_t kMinRowHeight = 16;
constexpr int32_t kWrapSeparatorHeight = 22;
constexpr int32_t kFloatingWidthStep = 5;
constexpr double kFloatingRatio = 1.33;

bool IsHorizontalSide(uint8_t side) { return side == kDockTop || side == kDockBottom; }

// A resource's bytes for the scope, released when the file made a copy.
class HeldBarResource {
 public:
  HeldBarResource(VResourceFile* file, uint32_t type, int16_t id) : fFile(file) {
    if (fFile == nullptr) return;
    fRef = fFile->GetResource(type, id, &fOwned);
    if (fRef == 0) return;
    fData = static_cast<uint8_t*>(fFile->LockResource(fRef));
    fSize = fData != nullptr ? fFile->GetResourceSize(fRef) : 0;
  }
  ~HeldBarResource() {
    if (fRef == 0) return;
    if (fData != nullptr) fFile->UnlockResource(fRef);
    if (fOwned != 0) fFile->ReleaseResource(fRef);
  }
  HeldBarResource(const HeldBarResource&) = delete;
  HeldBarResource& operator=(const HeldBarResource&) = delete;
  uint8_t* Data() const { return fData; }
  size_t Size() const { return fSize; }
  void Write() {
    if (fRef != 0) fFile->WriteResource(fRef);
  }

 private:
  VResourceFile* fFile;
  VResourceRef fRef = 0;
  uint8_t fOwned = 0;
  uint8_t* fData = nullptr;
  size_t fSize = 0;
};

}  // namespace

bool IsBarSeparator(const VFrame* frame) {
  return frame != nullptr && frame->GetKind() == kKindSeparator;
}

// ---- The grip.

void VToolBarGrip::DrawContent(VPort& port) { DrawLookElement(port, kToolBarGripElement, 0, nullptr, 0); }

bool VToolBarGrip::MouseDown(VEvent& event) {
  NotifyParent(this, kMsgGripPressed, reinterpret_cast<intptr_t>(&event));
  return true;
}

// ---- Construction.

VToolBarItem::VToolBarItem(VDockView* dock, int16_t id)
    : VDockBar(dock), fDock(dock), fResourceId(id), fResourceType(kResTypeToolBar) {
  SetResourceId(id);
  fProcess = static_cast<uint32_t>(HostGetCurrentProcess());
}

VToolBarItem::VToolBarItem(VDockView* dock, VPort* port, VResourceFile* file, int16_t id)
    : VToolBarItem(dock, id) {
  VBarDescription description;
  const bool found = ReadDescription(file, kResTypeToolBar, id, description);
  Build(port, file, description, found);
}

bool VToolBarItem::ReadDescription(VResourceFile* file, uint32_t type, int16_t id,
                                   VBarDescription& out) {
  HeldBarResource resource(file, type, id);
  return type == kResTypeMenuBar ? ReadMenuBarDescription(resource.Data(), resource.Size(), out)
                                 : ReadBarDescription(resource.Data(), resource.Size(), out);
}

void VToolBarItem::Build(VPort* port, VResourceFile* file, const VBarDescription& description,
                         bool found) {
  if (!found) return;
  fSide = description.side;
  fPreviousSide = fSide;
  MoveTo(description.left, description.top, 1);
  fHasGrip = (description.flags & kBarFlagGrip) != 0 ? 1 : 0;
  fSpareFlag = (description.flags & kBarFlagSpare) != 0 ? 1 : 0;
  if (!IsMenuBar()) fFullWidth = (description.flags & kBarFlagFullWidth) != 0 ? 1 : 0;
  if (description.title[0] != 0 && file != nullptr) {
    VStr<255> title;
    file->ResolveStringRef(&title, description.title);
    SetTitle(title);
  }
  fLayoutSuspended = 1;
  CreateControls(port, file, description);
  fLayoutSuspended = 0;
  Layout();
  const bool shown = (description.flags & kBarFlagShown) != 0;
  SetVisible(shown);
  SetDisplayed(shown);
  if (fDock != nullptr) fDock->DockBar(this, fSide, description.left, description.top, false);
}

void VToolBarItem::CreateControls(VPort* port, VResourceFile* file,
                                  const VBarDescription& description) {
  const uint8_t suspended = fLayoutSuspended;
  fLayoutSuspended = 1;
  if (fGrip == nullptr) fGrip = new VToolBarGrip(this);
  PlaceGrip();
  if (fHasGrip == 0) fGrip->SetVisible(false);
  MakeBarOnlyControls(port, file);
  // The area makes no kinds of its own: unknown kinds are skipped.
  MakeToolBarControls(this, port, file, description.items, VCustomControlMaker());
  fLayoutSuspended = suspended;
}

// ---- Measures.

std::vector<VFrame*> VToolBarItem::Controls() const {
  std::vector<VFrame*> controls;
  for (VFrame* f : GetSubFrames()) {
    if (f == fGrip || IsBarOnlyControl(f)) continue;
    controls.push_back(f);
  }
  return controls;
}

int32_t VToolBarItem::RowWidthOf(bool grip) const {
  int32_t width = 4 + (grip ? kGripRoom : 0);
  bool first = true;
  for (const VFrame* f : Controls()) {
    const bool separator = IsBarSeparator(f);
    if (!(separator && first)) width += separator ? kSeparatorRoom : f->GetWidth();
    first = false;
  }
  return width;
}

int32_t VToolBarItem::ColumnHeight() const {
  int32_t height = 4 + (GripCounts() ? kGripRoom : 0);
  bool first = true;
  for (const VFrame* f : Controls()) {
    const bool separator = IsBarSeparator(f);
    if (!(separator && first)) height += separator ? kSeparatorRoom : f->GetHeight();
    first = false;
  }
  return height;
}

int32_t VToolBarItem::WidestControl() const {
  int32_t widest = 0;
  bool first = true;
  for (const VFrame* f : Controls()) {
    const bool separator = IsBarSeparator(f);
    // A separator is as wide as its column: only its own 8 pixels count.
    if (!(separator && first)) widest = std::max(widest, separator ? kSeparatorRoom : f->GetWidth());
    first = false;
  }
  return std::max(widest + 4, kMinThickness);
}

int32_t VToolBarItem::RowHeight() const {
  int32_t tallest = 0;
  for (const VFrame* f : Controls()) {
    // A separator takes the height of its row.
    if (!IsBarSeparator(f)) tallest = std::max(tallest, f->GetHeight());
  }
  return std::max(tallest + 4, kMinRowHeight);
}

int32_t VToolBarItem::WrappedHeightOf(int32_t width, bool grip) {
  const int32_t rowStart = grip ? 2 + kGripRoom + 2 : 2;
  int32_t x = 2 + (grip ? kGripRoom : 0);
  int32_t rows = 0;
  int32_t rowHeight = 0;
  for (VFrame* f : Controls()) {
    if (IsBarSeparator(f)) f->ResizeTo(kSeparatorRoom, kWrapSeparatorHeight, 0);
    const int32_t w = f->GetWidth();
    if (x + 4 + w > width) {
      rows += 2 + rowHeight;
      rowHeight = 0;
      x = rowStart;
    }
    x += w;
    rowHeight = std::max(rowHeight, f->GetHeight());
  }
  return std::max(4 + rows + rowHeight, kMinThickness);
}

void VToolBarItem::WrapToWidth(int32_t width, int32_t& actualWidth, int32_t& height) {
  int32_t x = 4;
  int32_t widest = 0;
  bool rowStart = true;
  for (const VFrame* f : Controls()) {
    const bool separator = IsBarSeparator(f);
    if (separator && rowStart) continue;
    const int32_t w = separator ? kSeparatorRoom : f->GetWidth();
    if (x + w > width && !rowStart) {
      // The row ends before this control, which opens the next one.
      widest = std::max(widest, x);
      x = 4;
      rowStart = true;
      if (separator) continue;
    }
    x += w;
    rowStart = false;
  }
  widest = std::max(widest, x);
  actualWidth = std::max(widest, WidestControl());
  height = WrappedHeightOf(actualWidth, false);
}

void VToolBarItem::FloatingSize(int32_t& width, int32_t& height) {
  // A floating bar shows no grip.
  if (IsMenuBar()) {
    width = WidestControl();
    height = WrappedHeightOf(width, false);
    return;
  }
  int32_t w = RowWidthOf(false);
  int32_t h = WrappedHeightOf(w, false);
  int32_t bestW = w;
  int32_t bestH = h;
  double bestDistance = std::fabs(static_cast<double>(w) / h - kFloatingRatio);
  for (;;) {
    int32_t narrower = 0;
    int32_t narrowerHeight = 0;
    bool found = false;
    for (int32_t trial = w - kFloatingWidthStep; trial >= 1; trial -= kFloatingWidthStep) {
      WrapToWidth(trial, narrower, narrowerHeight);
      if (narrower < w) {
        found = true;
        break;
      }
    }
    if (!found) break;
    w = narrower;
    h = narrowerHeight;
    const double distance = std::fabs(static_cast<double>(w) / h - kFloatingRatio);
    if (distance < bestDistance) {
      bestDistance = distance;
      bestW = w;
      bestH = h;
    }
  }
  width = bestW;
  height = bestH;
}

// ---- The dock's questions.

void VToolBarItem::GetFloatingSize(int32_t& width, int32_t& height) { FloatingSize(width, height); }

int32_t VToolBarItem::GetDockedLength(bool horizontal) {
  if (!horizontal) return ColumnHeight();
  if (fFullWidth != 0 && GetParent() != nullptr) return GetParent()->GetWidth();
  return RowWidth();
}

int32_t VToolBarItem::GetDockedThickness(bool horizontal) {
  return horizontal ? RowHeight() : WidestControl();
}

void VToolBarItem::SetDockSide(int16_t side) {
  if (side < kDockFloating || side > kDockBottom) return;
  if (side == kDockFloating && fSide != kDockFloating) {
    // Where it was docked, for its return and for the saved state.
    GetPosition(fPreviousLeft, fPreviousTop);
  }
  SetSide(static_cast<uint8_t>(side));
  PlaceGrip();
  if (fHasGrip != 0 && fGrip != nullptr) fGrip->SetVisible(side != kDockFloating);
  ResizeTo(0, 0, 0);
  Layout();
}

void VToolBarItem::SetSide(uint8_t side) {
  fPreviousSide = fSide;
  fSide = side;
}

// ---- Size and place.

void VToolBarItem::MoveTo(int32_t left, int32_t top, int16_t mode) {
  if (IsHorizontalSide(fSide) && fFullWidth != 0 && GetParent() != nullptr) {
    left = 0;
    ResizeTo(GetParent()->GetWidth(), GetHeight(), mode);
  }
  VDockBar::MoveTo(left, top, mode);
}

void VToolBarItem::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  if (GetParent() == nullptr) return;
  switch (fSide) {
    case kDockFloating:
      if (width == 0 && height == 0) FloatingSize(width, height);
      break;
    case kDockLeft:
    case kDockRight:
      width = WidestControl();
      height = ColumnHeight();
      break;
    default:
      width = fFullWidth != 0 ? GetParent()->GetWidth() : RowWidth();
      height = RowHeight();
      break;
  }
  if (IsMenuBar()) width = std::max(width, WidestControl());
  if (width == GetWidth() && height == GetHeight()) return;
  VDockBar::ResizeTo(width, height, 0);
  Layout();
  Invalidate(mode);
}

void VToolBarItem::PlaceGrip() {
  if (fGrip == nullptr) return;
  switch (fSide) {
    case kDockFloating:
      fGrip->MoveTo(kOutOfSight, kOutOfSight, 0);
      break;
    case kDockLeft:
    case kDockRight:
      fGrip->MoveTo(2, 2, 0);
      fGrip->ResizeTo(std::max(GetWidth() - 4, 0), 8, 0);
      break;
    default:
      fGrip->MoveTo(2, 2, 0);
      fGrip->ResizeTo(8, std::max(GetHeight() - 4, 0), 0);
      break;
  }
}

// ---- Layout.

void VToolBarItem::Layout() {
  PlaceGrip();
  const std::vector<VFrame*> controls = Controls();
  if (fSide == kDockFloating) {
    LayoutFloating(controls);
  } else if (IsHorizontalSide(fSide)) {
    LayoutRow(controls);
  } else {
    LayoutColumn(controls);
  }
}

void VToolBarItem::LayoutFloating(const std::vector<VFrame*>& controls) {
  const int32_t width = GetWidth();
  // The rows' heights, 8 bits each; a row past the table is measured again
  // while it is placed.
  uint8_t rowHeights[kMaxFloatingRows] = {};
  size_t row = 0;
  int32_t x = 2;
  bool rowStart = true;
  for (VFrame* f : controls) {
    if (IsBarSeparator(f)) {
      if (rowStart) continue;
      f->ResizeTo(kSeparatorRoom, f->GetHeight(), 0);
    }
    if (x + 2 + f->GetWidth() > width && !rowStart) {
      ++row;
      x = 2;
      rowStart = true;
      if (IsBarSeparator(f)) continue;
    }
    if (row < kMaxFloatingRows) {
      const int32_t h = std::clamp(f->GetHeight(), 0, 255);
      rowHeights[row] = static_cast<uint8_t>(std::max<int32_t>(rowHeights[row], h));
    }
    x += f->GetWidth();
    rowStart = false;
  }

  row = 0;
  x = 2;
  int32_t y = 2;
  rowStart = true;
  int32_t placedHeight = 0;  // the tallest control placed in this row
  auto heightOfRow = [&](size_t r) {
    return r < kMaxFloatingRows ? static_cast<int32_t>(rowHeights[r]) : placedHeight;
  };
  for (VFrame* f : controls) {
    const bool separator = IsBarSeparator(f);
    if (separator && rowStart) {
      f->MoveTo(kOutOfSight, kOutOfSight, 1);
      continue;
    }
    if (x + 2 + f->GetWidth() > width && !rowStart) {
      y += 2 + heightOfRow(row);
      ++row;
      x = 2;
      rowStart = true;
      placedHeight = 0;
      if (separator) {
        f->MoveTo(kOutOfSight, kOutOfSight, 1);
        continue;
      }
    }
    if (separator) f->ResizeTo(kSeparatorRoom, heightOfRow(row), 0);
    placedHeight = std::max(placedHeight, f->GetHeight());
    f->MoveTo(x, y + (heightOfRow(row) - f->GetHeight()) / 2, 1);
    x += f->GetWidth();
    rowStart = false;
  }
}

void VToolBarItem::LayoutColumn(const std::vector<VFrame*>& controls) {
  int32_t y = 2 + (GripCounts() ? kGripRoom : 0);
  bool lineStart = true;
  for (VFrame* f : controls) {
    if (IsBarSeparator(f)) {
      if (lineStart) {
        f->MoveTo(kOutOfSight, kOutOfSight, 1);
        continue;
      }
      f->ResizeTo(std::max(GetWidth() - 4, 0), kSeparatorRoom, 0);
    }
    f->MoveTo(2, y, 1);
    y += f->GetHeight();
    lineStart = false;
  }
}

void VToolBarItem::LayoutRow(const std::vector<VFrame*>& controls) {
  int32_t tallest = 0;
  for (const VFrame* f : controls) {
    if (!IsBarSeparator(f)) tallest = std::max(tallest, f->GetHeight());
  }
  int32_t x = 2 + (GripCounts() ? kGripRoom : 0);
  bool lineStart = true;
  for (VFrame* f : controls) {
    if (IsBarSeparator(f)) {
      if (lineStart) {
        f->MoveTo(kOutOfSight, kOutOfSight, 1);
        continue;
      }
      f->ResizeTo(kSeparatorRoom, tallest, 0);
    }
    f->MoveTo(x, 2 + (tallest - f->GetHeight()) / 2, 1);
    x += f->GetWidth();
    lineStart = false;
  }
}

void VToolBarItem::AddSubView(VFrame* frame) {
  VDockBar::AddSubView(frame);
  if (fLayoutSuspended == 0) Layout();
}

void VToolBarItem::SetDisplayMode(uint8_t mode) {
  fLayoutSuspended = mode;
  for (VFrame* f : GetSubFrames()) {
    if (f->IsControl()) static_cast<VControl*>(f)->SetDisplayMode(mode);
  }
}

// ---- Drawing and events.

void VToolBarItem::DrawContent(VPort& port) {
  DrawLookElement(port, kToolBarPanelElement, 0, nullptr, 0);
  DrawLookElement(port, kToolBarFrameElement, 0, nullptr, 0);
}

bool VToolBarItem::ControlMouseDown(VEvent& event) {
  if (event.IsButtonUp()) return false;
  const bool floating = fSide == kDockFloating;
  if (!(floating || fHasGrip != 0) || fContextMenuAllowed == 0) return false;
  PopUpMenu(floating ? kFloatingBarMenuId : kDockedBarMenuId, 0, event.GetX(), event.GetY(), 0);
  return true;
}

bool VToolBarItem::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  switch (message) {
    case kMsgGripPressed: {
      if (fHasGrip == 0 || GetParent() == nullptr || fDock == nullptr) return false;
      int32_t x = 0, y = 0;
      fDock->GetMouseLocation(x, y);
      fDock->TrackBar(this, x, y);
      return true;
    }
    case kMsgHideBar:
      if (GetParent() == nullptr) return false;
      // A floating one asks its window, which may run in another process.
      if (fSide == kDockFloating) break;
      return HideBar(false);
    default:
      break;
  }
  return VDockBar::NotifyParent(sender, message, parameter);
}

bool VToolBarItem::HideBar(bool show) {
  if (fSide == kDockFloating && fDock != nullptr) {
    // A floating bar leaves its window for the side it came from.
    const uint8_t side = fPreviousSide != kDockFloating ? fPreviousSide : uint8_t{kDockTop};
    fDock->UndockBar(this, false);
    fDock->DockBar(this, side, fPreviousLeft, fPreviousTop, false);
  }
  SetVisible(show);
  SetDisplayed(show);
  if (fDock != nullptr) fDock->Relayout();
  VDockBar::NotifyParent(this, kMsgDockBarsChanged, 0);
  return true;
}

// ---- Saving.

void VToolBarItem::SaveState(VResourceFile* file) {
  HeldBarResource resource(file, fResourceType, static_cast<int16_t>(GetResourceId()));
  uint8_t* data = resource.Data();
  // Only a resource that holds the fields written is changed.
  if (data == nullptr || resource.Size() < kBarTitleOffset) return;
  data[kBarFlagsOffset] = static_cast<uint8_t>((data[kBarFlagsOffset] & ~kBarFlagShown) |
                                               (IsDisplayed() ? kBarFlagShown : 0));
  uint8_t side = fSide;
  int32_t left = 0, top = 0;
  GetPosition(left, top);
  if (fSide == kDockFloating) {
    side = fPreviousSide;
    left = fPreviousLeft;
    top = fPreviousTop;
  }
  data[kBarSideOffset] = side;
  std::memcpy(data + kBarLeftOffset, &left, sizeof left);
  std::memcpy(data + kBarTopOffset, &top, sizeof top);
  resource.Write();
}

// ---- Floating in another process's window.

VView* VToolBarItem::MakeFloatingWindowView(VDockView* dock) {
  return new VToolBarWindow(dock, this);
}

bool VToolBarItem::IsInOtherProcess() const {
  return fProcess != 0 && static_cast<uint32_t>(HostGetCurrentProcess()) != fProcess;
}

bool VToolBarItem::AskOwnProcess(VFrame* sender, int32_t message, intptr_t parameter) {
  int32_t waits = 0;
  // One question at a time: a second one waits for the first's answer.
  while ((fAnswerDepth > 0 || fPendingRequest != nullptr) && waits++ < kMaxProcessWaits)
    HostWait(-1);
  if (fAnswerDepth > 0 || fPendingRequest != nullptr) return false;
  ++fAnswerDepth;
  VPendingReply reply(reinterpret_cast<intptr_t>(sender), message, parameter, 0);
  fPendingRequest = &reply;
  waits = 0;
  while (!reply.IsAnswered() && waits++ < kMaxProcessWaits) HostWait(-1);
  // Never taken: withdrawn, so that no idle answers it later.
  if (fPendingRequest == &reply) fPendingRequest = nullptr;
  --fAnswerDepth;
  return reply.IsAnswered() && reply.GetAnswer() != 0;
}

void VToolBarItem::FloatingIdle() {
  if (fPendingRequest == nullptr || fDock == nullptr) return;
  VPendingReply* reply = fPendingRequest;
  fPendingRequest = nullptr;
  intptr_t sender = 0;
  int32_t message = 0;
  intptr_t parameter = 0;
  reply->GetRequest(sender, message, parameter);
  bool answer = true;
  if (message != kMsgHideBar && message != kMsgDockAgain)
    answer = fDock->NotifyParent(reinterpret_cast<VFrame*>(sender), message, parameter);
  // The asker may go as soon as it has its answer: the reply is not
  // touched after this.
  reply->SetAnswer(answer ? 1 : 0);
  ++fAnswerDepth;
  int32_t waits = 0;
  while (fAnswerDepth > 1 && waits++ < kMaxProcessWaits) HostWait(-1);
  --fAnswerDepth;
  if (message == kMsgHideBar || message == kMsgDockAgain || message == kMsgCloseFloatingBar)
    AnswerCloseRequest(message);
}

bool VToolBarItem::AnswerCloseRequest(int32_t message) {
  if (fSide != kDockFloating || fDock == nullptr) return false;
  return HideBar(message != kMsgHideBar);
}
