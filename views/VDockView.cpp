// The dock: its bar lists, the layout of the four edges, the description
// it starts from, the bar drag and the user's toolbar dialog.
#include "views/VDockView.h"

#include <algorithm>
#include <cstring>

#include "framework/core/streams/VByteReader.h"
#include "framework/system/environment/VSystemServices.h"
#include "views/ResourceBytes_p.h"
#include "views/VWindowView.h"
#include "graphics/VPort.h"

namespace {

constexpr uint32_t kResTypeDockDescription = FourCC("XDOK");

struct Box {
  int32_t x, y, w, h;
  int32_t Right() const { return x + w; }
  int32_t Bottom() const { return y + h; }
};

Box BoxOf(const VFrame* f) {
  Box b{};
  f->GetPosition(b.x, b.y);
  b.w = f->GetWidth();
  b.h = f->GetHeight();
  return b;
}

// Closed intervals on both axes: bars that only touch overlap.
bool Overlap(const Box& a, const Box& b) {
  return a.x <= b.Right() && b.x <= a.Right() && a.y <= b.Bottom() && b.y <= a.Bottom();
}

// Moves bar i of a side's list off the shown bars before it. Along the
// side (x for the top and bottom, y for the left and right) a bar that
// overlaps by no more than the limit goes just past the other; by more, it
// goes into a new row (column), away from the edge: down (right) from the
// top (left) edge, up (left) from the bottom (right) edge.
void MoveOffEarlierBars(const std::vector<VDockBar*>& list, size_t i, Box& b, bool horizontal,
                        bool fromFarEdge) {
  for (size_t j = 0; j < i; ++j) {
    if (!list[j]->IsShown()) continue;
    const Box o = BoxOf(list[j]);
    if (!Overlap(o, b)) continue;
    if (horizontal) {
      if (o.Right() - b.x > kDockOverlapLimit) {
        b.y = fromFarEdge ? o.y - b.h : o.Bottom();
      } else {
        b.x = o.Right() + 1;
      }
    } else if (o.Bottom() - b.y > kDockOverlapLimit) {
      b.x = fromFarEdge ? o.x - b.w : o.Right();
    } else {
      b.y = o.Bottom() + 1;
    }
  }
}

}  // namespace

bool ReadDockDescription(const uint8_t* data, size_t size, VDockDescription& out) {
  out = VDockDescription();
  VByteReader reader(data, size);
  const int16_t menuBarId = reader.I16();
  const int16_t toolBarId = reader.I16();
  const int16_t count = reader.I16();
  if (reader.Failed()) return false;
  out.menuBarId = menuBarId;
  out.toolBarId = toolBarId;
  // The count comes from a file: only the ids the data holds are read.
  const size_t held = reader.Remaining() / 2;
  const size_t n = count <= 0 ? 0 : std::min(static_cast<size_t>(count), held);
  out.itemIds.reserve(n);
  for (size_t i = 0; i < n; ++i) out.itemIds.push_back(reader.I16());
  return true;
}

VDockView::VDockView(VFrame* parent) : VView(parent) {}

VDockView::~VDockView() {
  CloseFloatingWindow();
  // The bars are sub-frames: the view's destructor deletes them.
  for (auto& list : fBars) list.clear();
  fMenuBar = nullptr;
  fToolBar = nullptr;
  fContentView = nullptr;
}

std::vector<VDockBar*>& VDockView::ListOf(int16_t side) {
  return fBars[side >= 0 && side <= 4 ? side : 0];
}

const std::vector<VDockBar*>& VDockView::GetBars(int16_t side) const {
  return fBars[side >= 0 && side <= 4 ? side : 0];
}

int16_t VDockView::GetBarSide(const VDockBar* bar) const {
  for (int16_t side = 0; side <= 4; ++side) {
    if (std::find(fBars[side].begin(), fBars[side].end(), bar) != fBars[side].end()) return side;
  }
  return -1;
}

// ---- Building.

VPort* VDockView::GetBarPort() { return fBarPort != nullptr ? fBarPort : GetPort(); }

void VDockView::LoadDockDescription(VObject* owner, VResourceFile* file, int16_t id, VPort* port) {
  SetResourceId(id);
  if (file == nullptr) return;
  // A dock lends its port once at a time: the bars built now measure on
  // the one the caller holds.
  struct BarPortScope {
    VPort*& slot;
    VPort* saved;
    BarPortScope(VPort*& s, VPort* p) : slot(s), saved(s) { slot = p; }
    ~BarPortScope() { slot = saved; }
  } scope(fBarPort, port);
  VDockDescription description;
  {
    LockedResource resource(file, file->GetResource(kResTypeDockDescription, id, nullptr));
    if (resource.Data() == nullptr) return;
    ReadDockDescription(resource.Data(), resource.Size(), description);
  }
  if (const VDockBarMakers* makers = VDockBarService::Get()) {
    if (description.menuBarId != 0 && makers->makeMenuBar != nullptr) {
      fMenuBar = makers->makeMenuBar(this, owner, file, description.menuBarId);
    }
    if (description.toolBarId != 0 && makers->makeToolBar != nullptr) {
      makers->makeToolBar(this, owner, file, description.toolBarId);
    }
    if (makers->makeItem != nullptr) {
      for (int16_t item : description.itemIds) makers->makeItem(this, owner, file, item);
    }
  }
  Relayout();
}

void VDockView::SetContentView(VFrame* view) {
  if (view == fContentView) return;
  if (fContentView != nullptr) {
    VFrame* old = fContentView;
    fContentView = nullptr;
    old->Close();
    delete old;
  }
  fContentView = view;
  if (view != nullptr && view->GetParent() != this) view->SetParentQuietly(this);
  PlaceContentView();
}

void VDockView::SetToolBar(VDockBar* bar) {
  if (bar != fToolBar && fToolBar != nullptr) {
    VDockBar* old = fToolBar;
    fToolBar = nullptr;
    old->Close();
    delete old;
  }
  fToolBar = bar;
  if (bar != nullptr && bar->GetParent() != this) bar->SetParentQuietly(this);
  Relayout();
}

// ---- Docking.

void VDockView::DockBar(VDockBar* bar, int16_t side, int32_t x, int32_t y, bool relayoutNow) {
  if (bar == nullptr || side < kDockFloating || side > kDockBottom) return;
  // A floating bar is told too: it keeps the side it leaves and takes its
  // floating shape.
  bar->SetDockSide(side);
  if (side == kDockFloating) {
    if (VDockFloatingWindow* window = MakeFloatingWindow()) {
      window->AddBar(bar, x, y);
      fBars[kDockFloating].push_back(bar);
      if (relayoutNow) {
        Relayout();
      } else {
        fRelayoutOnIdle = 1;
      }
      return;
    }
    // Without a window for it the bar stays in the dock, along the top.
    side = kDockTop;
    x = kDockNoPosition;
    y = kDockNoPosition;
    bar->SetDockSide(side);
  }
  if (bar->GetParent() != this) bar->SetParentQuietly(this);
  std::vector<VDockBar*>& list = ListOf(side);
  if (x == kDockNoPosition && y == kDockNoPosition) {
    bar->MoveTo(0, 0, 0);
    list.push_back(bar);
  } else {
    switch (side) {
      case kDockLeft: x -= 1; break;
      case kDockTop: y -= 1; break;
      case kDockRight: x += 1; break;
      default: y += 1; break;
    }
    bar->MoveTo(x, y, 0);
    auto beyond = [&](const VDockBar* other) {
      const Box o = BoxOf(other);
      switch (side) {
        case kDockLeft: return o.x > x;
        case kDockTop: return o.y > y;
        case kDockRight: return o.Right() < x;
        default: return o.Bottom() < y;
      }
    };
    list.insert(std::find_if(list.begin(), list.end(), beyond), bar);
  }
  if (relayoutNow) {
    Relayout();
  } else {
    fRelayoutOnIdle = 1;
  }
}

void VDockView::UndockBar(VDockBar* bar, bool relayoutNow) {
  if (bar == nullptr) return;
  bar->Invalidate(1);
  for (int16_t side = 0; side <= 4; ++side) {
    auto& list = fBars[side];
    auto it = std::find(list.begin(), list.end(), bar);
    if (it == list.end()) continue;
    list.erase(it);
    if (side == kDockFloating && fFloatingWindow != nullptr) fFloatingWindow->RemoveBar(bar);
  }
  if (relayoutNow) {
    Relayout();
  } else {
    fRelayoutOnIdle = 1;
  }
}

VDockBar* VDockView::FindBar(int16_t resourceId) const {
  for (int16_t side : {kDockTop, kDockBottom, kDockLeft, kDockRight, kDockFloating}) {
    for (VDockBar* bar : fBars[side]) {
      if (static_cast<int16_t>(bar->GetResourceId()) == resourceId) return bar;
    }
  }
  return nullptr;
}

bool VDockView::IsBarDisplayed(int16_t resourceId) const {
  const VDockBar* bar = FindBar(resourceId);
  return bar != nullptr && bar->IsDisplayed();
}

int32_t VDockView::CountBars() const {
  return static_cast<int32_t>(fBars[1].size() + fBars[2].size() + fBars[3].size() +
                              fBars[4].size());
}

int16_t VDockView::CountUserBars() const {
  int32_t n = static_cast<int32_t>(fBars[kDockTop].size() + fBars[kDockLeft].size() +
                                   fBars[kDockRight].size());
  if (fToolBar != nullptr) --n;
  if (fMenuBar != nullptr) --n;
  return static_cast<int16_t>(std::max(n, 0));
}

bool VDockView::HasDockedBars() const { return CountBars() > 0; }

// ---- Layout.

void VDockView::Relayout() {
  if (!IsShown()) {
    fRelayoutWhenShown = 1;
    return;
  }
  VWindowView* window = GetWindowView();
  int32_t reserve = window != nullptr && window->HasGrowBox() ? kDockCornerReserve : 0;
  fTopMargin = fBottomMargin = fLeftMargin = fRightMargin = 0;
  fStripHeight = 0;
  const int32_t width = GetWidth();
  const int32_t height = GetHeight();
  if (fToolBar != nullptr && fToolBar->IsShown()) {
    fStripHeight = fToolBar->GetHeight();
    fToolBar->MoveTo(0, height - fStripHeight, 0);
    fToolBar->ResizeTo(width, fStripHeight, 0);
    reserve = 0;
  }
  for (int16_t side = kDockLeft; side <= kDockBottom; ++side) {
    for (VDockBar* bar : fBars[side]) RemoveSubView(bar);
  }
  if (fToolBar != nullptr) RemoveSubView(fToolBar);
  LayoutTop(width);
  LayoutBottom(width, height, reserve);
  LayoutLeft(height);
  LayoutRight(width, height, reserve);
  // Bars last in the list: drawn above the content view and hit first.
  for (int16_t side : {kDockLeft, kDockRight, kDockTop, kDockBottom}) {
    for (VDockBar* bar : fBars[side]) AddSubView(bar);
  }
  if (fToolBar != nullptr) AddSubView(fToolBar);
  fRelayoutOnIdle = 0;
  PlaceContentView();
  Invalidate(1);
}

void VDockView::LayoutTop(int32_t width) {
  int32_t row = 0;
  const auto& list = fBars[kDockTop];
  for (size_t i = 0; i < list.size(); ++i) {
    VDockBar* bar = list[i];
    if (!bar->IsShown()) continue;
    Box b = BoxOf(bar);
    b.y = row;
    if (b.x > width - kDockKeepInside) b.x = std::max(width - kDockKeepInside, 0);
    if (b.x < 0) b.x = 0;
    MoveOffEarlierBars(list, i, b, true, false);
    bar->MoveTo(b.x, b.y, 0);
    fTopMargin = std::max(fTopMargin, b.Bottom());
    row = std::max(row, b.y);
  }
}

void VDockView::LayoutBottom(int32_t width, int32_t height, int32_t reserve) {
  int32_t offset = fStripHeight;
  fBottomMargin = fStripHeight;
  const auto& list = fBars[kDockBottom];
  for (size_t i = 0; i < list.size(); ++i) {
    VDockBar* bar = list[i];
    if (!bar->IsShown()) continue;
    Box b = BoxOf(bar);
    b.y = height - offset - b.h;
    if (reserve != 0) {
      if (b.Right() > width - reserve) b.x = width - b.w - reserve;
    } else if (b.x > width - kDockKeepInside) {
      b.x = std::max(width - kDockKeepInside, 0);
    }
    if (b.x < 0) b.x = 0;
    MoveOffEarlierBars(list, i, b, true, true);
    bar->MoveTo(b.x, b.y, 0);
    fBottomMargin = std::max(fBottomMargin, height - b.y);
    offset = std::max(offset, height - b.Bottom());
  }
}

void VDockView::LayoutLeft(int32_t height) {
  int32_t column = 0;
  const auto& list = fBars[kDockLeft];
  for (size_t i = 0; i < list.size(); ++i) {
    VDockBar* bar = list[i];
    if (!bar->IsShown()) continue;
    Box b = BoxOf(bar);
    b.x = column;
    b.y = std::min(b.y, height - fBottomMargin - kDockKeepInside);
    b.y = std::max(b.y, fTopMargin);
    MoveOffEarlierBars(list, i, b, false, false);
    bar->MoveTo(b.x, b.y, 0);
    fLeftMargin = std::max(fLeftMargin, b.Right());
    column = std::max(column, b.x);
  }
}

void VDockView::LayoutRight(int32_t width, int32_t height, int32_t reserve) {
  int32_t offset = 0;
  const auto& list = fBars[kDockRight];
  for (size_t i = 0; i < list.size(); ++i) {
    VDockBar* bar = list[i];
    if (!bar->IsShown()) continue;
    Box b = BoxOf(bar);
    b.x = width - offset - b.w;
    if (reserve != 0 && fBottomMargin == 0 && b.Bottom() > height - reserve)
      b.y = height - reserve - b.h;
    b.y = std::min(b.y, height - fBottomMargin - kDockKeepInside);
    b.y = std::max(b.y, fTopMargin);
    MoveOffEarlierBars(list, i, b, false, true);
    bar->MoveTo(b.x, b.y, 0);
    fRightMargin = std::max(fRightMargin, width - b.x);
    offset = std::max(offset, width - b.Right());
  }
}

void VDockView::PlaceContentView() {
  if (fContentView == nullptr) return;
  const bool docked = HasDockedBars();
  if (docked) {
    const Box old = BoxOf(fContentView);
    InvalidateRect(old.x - 2, old.y - 2, old.w + 4, old.h + 4, 1);
  }
  const int32_t w = std::max(GetWidth() - fLeftMargin - fRightMargin, 0);
  const int32_t h = std::max(GetHeight() - fTopMargin - fBottomMargin, 0);
  fContentView->MoveTo(fLeftMargin, fTopMargin, 0);
  fContentView->ResizeTo(w, h, 0);
  if (docked) InvalidateRect(fLeftMargin - 2, fTopMargin - 2, w + 4, h + 4, 1);
}

// ---- Dragging a bar.

void VDockView::TrackBar(VDockBar* bar, int32_t startX, int32_t startY) {
  if (bar == nullptr) return;
  const VBarDraggerRunner* runner = VBarDraggerService::Get();
  if (runner == nullptr || runner->track == nullptr) return;
  const int32_t width = GetWidth();
  const int32_t height = GetHeight();
  int32_t floatW = 0, floatH = 0;
  bar->GetFloatingSize(floatW, floatH);
  const int32_t hLength = std::min(bar->GetDockedLength(true), width - fLeftMargin - fRightMargin);
  const int32_t vLength =
      std::min(bar->GetDockedLength(false), height - fTopMargin - fBottomMargin);
  const int32_t hThick = bar->GetDockedThickness(true);
  const int32_t vThick = bar->GetDockedThickness(false);
  const int32_t inner = height - fTopMargin - fBottomMargin;

  VBarDragSetup setup;
  setup.outlines[0] = VRect(0, 0, floatW, floatH);
  setup.outlines[1] = VRect(0, 0, hLength, hThick);
  setup.outlines[2] = VRect(0, 0, vThick, vLength);
  setup.zones[0] = VRect(0, fTopMargin, fLeftMargin + vThick, inner);
  setup.zones[1] = VRect(0, 0, width, fTopMargin + hThick);
  setup.zones[2] = VRect(width - fRightMargin - vThick, fTopMargin, fRightMargin + vThick, inner);
  setup.zones[3] = VRect(0, height - fBottomMargin - hThick, width, fBottomMargin + hThick);
  const int16_t oldSide = GetBarSide(bar);
  setup.side = oldSide < 0 ? int16_t{kDockFloating} : oldSide;

  DispatchIdle(true);
  VBarDragResult result;
  if (!runner->track(this, bar, startX, startY, setup, result)) return;

  int32_t bx = 0, by = 0;
  bar->GetPosition(bx, by);
  if (oldSide == kDockFloating && bar->GetParent() != this) {
    // A floating bar's position is in its own window: the grab is taken
    // from where it lies as seen from the dock, or a bar dropped back would
    // land off by the window's place.
    int32_t barX = 0, barY = 0, dockX = 0, dockY = 0;
    bar->LocalToScreen(barX, barY);
    LocalToScreen(dockX, dockY);
    bx = barX - dockX;
    by = barY - dockY;
  }
  const int32_t grabX = startX - bx;
  const int32_t grabY = startY - by;
  int32_t x = 0, y = 0;
  if (result.side != kDockFloating) {
    x = result.dockX - grabX;
    y = result.dockY - grabY;
    if (x == bx && y == by && result.side == oldSide) return;
  } else {
    x = result.windowX - grabX;
    y = result.windowY - grabY;
    // Kept on the screen, below the host's menu bar.
    if (x < 0) x = 5;
    if (y < 0) y = VSystemServices::GetMenuBarHeight();
    const int32_t right = VSystemServices::GetScreenRight();
    const int32_t bottom = VSystemServices::GetScreenBottom();
    if (right > 0 && x + floatW > right) x = std::max(right - floatW, 0);
    if (bottom > 0 && y + floatH > bottom) y = std::max(bottom - floatH, 0);
  }
  UndockBar(bar, result.side != oldSide);
  DockBar(bar, result.side, x - 2, y - 2, true);
}

// ---- The floating window.

VDockFloatingWindow* VDockView::MakeFloatingWindow() {
  if (fFloatingWindow != nullptr) return fFloatingWindow;
  const VDockFloatingWindowMaker* maker = VDockFloatingWindowService::Get();
  if (maker == nullptr || maker->make == nullptr) return nullptr;
  fFloatingWindow = maker->make(this);
  ShowFloatingWindow();
  return fFloatingWindow;
}

void VDockView::CloseFloatingWindow() {
  if (fFloatingWindow == nullptr) return;
  VDockFloatingWindow* window = fFloatingWindow;
  fFloatingWindow = nullptr;
  fBars[kDockFloating].clear();
  window->Close();
  delete window;
}

void VDockView::SetNoBackground(bool on) {
  fNoBackground = on ? 1 : 0;
  for (const auto& list : fBars) {
    for (VDockBar* bar : list) {
      if (bar == fToolBar) continue;
      bar->SetNoBackground(fNoBackground);
      bar->SetItemsNoBackground(fNoBackground);
    }
  }
  Invalidate(1);
}

bool VDockView::WriteDockLayout(VResourceFile& file, int16_t id) {
  uint8_t owned = 0;
  const VResourceRef ref = file.GetResource(kResTypeDockDescription, id, &owned);
  if (ref == 0) return false;
  auto* data = static_cast<uint8_t*>(file.LockResource(ref));
  const size_t size = data != nullptr ? file.GetResourceSize(ref) : 0;
  // The ids are rewritten in the places the description already holds.
  VDockDescription held;
  ReadDockDescription(data, size, held);
  const int16_t menuBarId = held.menuBarId;
  const size_t limit = held.itemIds.size();
  size_t written = 0;
  for (int16_t side : {kDockLeft, kDockTop, kDockRight, kDockBottom, kDockFloating}) {
    for (VDockBar* bar : std::vector<VDockBar*>(fBars[side])) {
      const auto barId = static_cast<int16_t>(bar->GetResourceId());
      if (barId != menuBarId && written < limit) {
        std::memcpy(data + kDockDescriptionHeadSize + 2 * written, &barId, sizeof barId);
        ++written;
      }
      bar->StoreState(&file);
    }
  }
  if (fToolBar != nullptr) fToolBar->StoreState(&file);
  if (data != nullptr) file.UnlockResource(ref);
  file.WriteResource(ref);
  file.ReleaseResource(ref);
  return true;
}

// ---- Frame overrides.

void VDockView::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  VView::ResizeTo(width, height, 0);
  Relayout();
  Invalidate(mode);
}

void VDockView::SetVisible(bool visible) {
  const bool changed = visible != IsVisible();
  VView::SetVisible(visible);
  if (changed) ShowFloatingWindow();
  if (fRelayoutWhenShown != 0 && IsShown()) {
    fRelayoutWhenShown = 0;
    Relayout();
  }
}

void VDockView::SetHiddenByParent(bool hidden) {
  VView::SetHiddenByParent(hidden);
  ShowFloatingWindow();
}

void VDockView::ShowFloatingWindow() {
  // The floating bars are seen exactly while the dock is: a dock that
  // starts hidden, inside a window not shown yet, shows them with itself.
  if (fFloatingWindow != nullptr) fFloatingWindow->Show(IsShown());
}

void VDockView::Idle(bool flag) {
  // Floating bars live in another window: their requests for this
  // process are answered here, before a closed window takes them away.
  for (VDockBar* bar : std::vector<VDockBar*>(fBars[kDockFloating])) bar->FloatingIdle();
  if (fFloatingWindow != nullptr && !fFloatingWindow->IsOpen()) CloseFloatingWindow();
  VView::Idle(flag);
}

void VDockView::DispatchIdle(bool flag) {
  VView::DispatchIdle(flag);
  if (fRelayoutOnIdle != 0) Relayout();
}

void VDockView::DrawContent(VPort& port) {
  if (fNoBackground != 0) return;
  DrawLookElement(port, 0, 0, nullptr, 0);
  DrawLookElement(port, 17, 0, nullptr, 0);
  if (HasDockedBars()) {
    const int32_t rect[4] = {fLeftMargin, fTopMargin, GetWidth() - fLeftMargin - fRightMargin,
                             GetHeight() - fTopMargin - fBottomMargin};
    DrawLookElement(port, 18, 0, rect, 0);
  }
}

bool VDockView::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  // A bar or view of the dock that goes is forgotten, whoever deletes it.
  if (message == kMsgFrameLeaving) ForgetFrame(sender);
  if (message == kMsgDockUserBars) return RunUserBarsDialog();
  return VView::NotifyParent(sender, message, parameter);
}

void VDockView::ForgetFrame(const VFrame* frame) {
  if (frame == nullptr || frame == this) return;
  for (auto& list : fBars) list.erase(std::remove(list.begin(), list.end(), frame), list.end());
  if (frame == fMenuBar) fMenuBar = nullptr;
  if (frame == fToolBar) fToolBar = nullptr;
  if (frame == fContentView) fContentView = nullptr;
}

bool VDockView::RunUserBarsDialog() {
  const VToolBarsUserDialogRunner* runner = VToolBarsUserDialogService::Get();
  if (runner == nullptr || runner->run == nullptr) return false;
  std::vector<VDockBar*> bars;
  std::vector<VToolBarChoice> choices;
  for (int16_t side : {kDockTop, kDockBottom, kDockLeft, kDockRight, kDockFloating}) {
    for (VDockBar* bar : fBars[side]) {
      VToolBarChoice choice;
      choice.id = static_cast<int16_t>(bar->GetResourceId());
      if (const VString* title = bar->GetTitle()) choice.title.SetString(*title, kWholeValue);
      choice.shown = bar->IsDisplayed();
      bars.push_back(bar);
      choices.push_back(choice);
    }
  }
  if (!runner->run(choices)) return false;
  // The dialog answers as many lines as it was given; any beyond are not
  // the dock's.
  const size_t n = std::min(bars.size(), choices.size());
  for (size_t i = 0; i < n; ++i) {
    bars[i]->SetVisible(choices[i].shown);
    bars[i]->SetDisplayed(choices[i].shown);
  }
  Relayout();
  NotifyParent(this, kMsgDockBarsChanged, 0);
  return true;
}
