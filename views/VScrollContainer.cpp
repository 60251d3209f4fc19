#include "views/VScrollContainer.h"

#include "views/VScrollBar.h"
#include "views/VScrolledView.h"
#include "views/VWindowView.h"
#include "graphics/VPort.h"
#include "graphics/VRegion.h"
#include "graphics/VShape.h"

VScrollContainer::VScrollContainer(VFrame* parent, bool verticalBar, bool horizontalBar)
    : VView(parent) {
  SetHorizontalBar(horizontalBar, true);
  SetVerticalBar(verticalBar, true);
}

VScrollContainer::~VScrollContainer() {
  // The sub-views go with the view's list; the fields must not outlive them.
  EndLiveDrawing();
  fContent = nullptr;
  fHorizontalBar = nullptr;
  fVerticalBar = nullptr;
}

void VScrollContainer::RemoveSubView(VFrame* frame) {
  if (frame == fContent) fContent = nullptr;
  if (frame == fHorizontalBar) fHorizontalBar = nullptr;
  if (frame == fVerticalBar) fVerticalBar = nullptr;
  VView::RemoveSubView(frame);
}

void VScrollContainer::SetContentView(VScrolledView* view, bool relayout) {
  if (fContent != nullptr && fContent != view) {
    VScrolledView* old = fContent;
    fContent = nullptr;
    old->Close();
    delete old;
  }
  fContent = view;
  if (view != nullptr) view->SetParent(this);
  if (relayout) Layout(1);
}

void VScrollContainer::RemoveBar(VScrollBar*& bar) {
  VScrollBar* old = bar;
  bar = nullptr;
  old->Close();
  delete old;
}

void VScrollContainer::SetHorizontalBar(bool show, bool relayout) {
  if (show && fHorizontalBar == nullptr) {
    fHorizontalBar = new VScrollBar(this, true);
  } else if (!show && fHorizontalBar != nullptr) {
    RemoveBar(fHorizontalBar);
  }
  if (relayout) Layout(1);
}

void VScrollContainer::SetVerticalBar(bool show, bool relayout) {
  if (show && fVerticalBar == nullptr) {
    fVerticalBar = new VScrollBar(this, false);
  } else if (!show && fVerticalBar != nullptr) {
    RemoveBar(fVerticalBar);
  }
  if (relayout) Layout(1);
}

void VScrollContainer::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  VView::ResizeTo(width, height, 0);
  Layout(mode);
}

// ---- Layout.

void VScrollContainer::Layout(int32_t mode) {
  if (fContent == nullptr) return;
  const int32_t hh = fHorizontalBar != nullptr ? fHorizontalBar->GetHeight() : 0;
  const int32_t vw = fVerticalBar != nullptr ? fVerticalBar->GetWidth() : 0;
  fGrowBoxCorner = IsAtWindowCorner() ? 1 : 0;
  const int32_t corner = (fGrowBoxCorner == 0 || hh == vw) ? 0 : (hh > vw ? hh : vw);
  int32_t contentHeight = GetHeight() - hh;
  int32_t contentWidth = GetWidth() - vw;
  if (contentHeight < 0) contentHeight = 0;
  if (contentWidth < 0) contentWidth = 0;
  const auto m = static_cast<int16_t>(mode);

  fContent->MoveTo(0, 0, 1);
  fContent->ResizeTo(contentWidth, contentHeight, 1);
  // Resizing may have run a nested layout that replaced the content.
  if (fContent == nullptr) return;

  int32_t value = 0;
  int32_t maximum = 0;
  int32_t page = 0;
  fContent->GetVerticalBarState(value, maximum, page);
  if (fVerticalBar != nullptr) {
    fVerticalBar->MoveTo(contentWidth, 0, 1);
    fVerticalBar->ResizeTo(vw, contentHeight - corner + (fHorizontalBar != nullptr ? 1 : 0), 1);
    fVerticalBar->ShowScrollState(value, maximum, page);
  }
  fContent->GetHorizontalBarState(value, maximum, page);
  if (fHorizontalBar != nullptr) {
    fHorizontalBar->MoveTo(0, contentHeight, 1);
    fHorizontalBar->ResizeTo(contentWidth - corner + (fVerticalBar != nullptr ? 1 : 0), hh, 1);
    fHorizontalBar->ShowScrollState(value, maximum, page);
  }
  if (IsVisible() && !IsHiddenByParent()) Invalidate(m);
}

// ---- Scrolling.

void VScrollContainer::ScrollBy(int32_t dx, int32_t dy, int32_t mode) {
  if (fContent == nullptr) return;
  dx = fContent->LimitHorizontalStep(dx);
  if (fHorizontalBar != nullptr && dx != 0) fHorizontalBar->SetValue(fHorizontalBar->GetValue() + dx, 0);
  dy = fContent->LimitVerticalStep(dy);
  if (fVerticalBar != nullptr && dy != 0) fVerticalBar->SetValue(fVerticalBar->GetValue() + dy, 0);
  if (mode == 2) {
    if (fMovesPixels != 0) {
      ScrollByMovingPixels(dx, dy);
    } else {
      ScrollByRedrawing(dx, dy);
    }
  } else {
    ScrollContentAndRedraw(dx, dy);
  }
}

void VScrollContainer::ScrollContent(VPort& port, int32_t dx, int32_t dy) {
  if (fContent == nullptr || (dx == 0 && dy == 0)) return;
  int32_t x = 0;
  int32_t y = 0;
  fContent->GetPosition(x, y);
  // The content's place after the scroll.
  port.PushOrigin(x - fContent->GetScrollX() - dx, y - fContent->GetScrollY() - dy);
  fContent->ScrollBy(&port, dx, dy);
  port.PopOrigin();
}

void VScrollContainer::ScrollContentAndRedraw(int32_t dx, int32_t dy) {
  if (fContent != nullptr) fContent->ScrollByAndRedraw(dx, dy);
}

VPort* VScrollContainer::BeginScrollPort() {
  if (fLivePort != nullptr) return fLivePort;
  VPort* port = GetPort();
  if (port == nullptr) return nullptr;
  VRegion visible;
  GetVisibleRegion(visible);
  port->PushClip(false);
  port->ClipToRegion(visible, false);
  port->BeginOffscreen(this);
  return port;
}

void VScrollContainer::EndScrollPort(VPort* port) {
  if (port == fLivePort) return;
  port->PopClip();
  FlushWindow();
}

void VScrollContainer::ScrollByMovingPixels(int32_t dx, int32_t dy) {
  VRegion uncovered;
  VPort* port = BeginScrollPort();
  if (port == nullptr) {
    // Nothing to draw into: the content still moves.
    ScrollContentAndRedraw(dx, dy);
    return;
  }
  const bool live = port == fLivePort;
  const std::vector<VFrame*> subs = GetSubFrames();
  for (VFrame* f : subs) {
    if (f->IsShown()) f->SetDrawsParentBehind(true);
  }
  if (GetLookIndex() > -2) port->SetLook(GetLookIndex());
  ScrollContent(*port, dx, dy);
  // What did not move its own pixels is drawn whole.
  for (VFrame* f : GetSubFrames()) {
    if (!f->DrawsParentBehind()) continue;
    f->SetDrawsParentBehind(false);
    if (!f->IsShown()) continue;
    if (GetLookIndex() > -2) port->SetLook(GetLookIndex());
    int32_t x = 0;
    int32_t y = 0;
    f->GetPosition(x, y);
    port->PushOrigin(x, y);
    f->Draw(*port);
    port->PopOrigin();
    uncovered.UnionBox(x, y, f->GetWidth(), f->GetHeight());
  }
  if (GetLookIndex() > -2) port->SetLook(GetLookIndex());
  if (!uncovered.IsEmpty()) {
    port->CopyRegionToScreen(uncovered, live);
  } else if (!live) {
    port->EndOffscreen();
  }
  EndScrollPort(port);
}

void VScrollContainer::ScrollByRedrawing(int32_t dx, int32_t dy) {
  VPort* port = BeginScrollPort();
  if (port == nullptr) {
    ScrollContentAndRedraw(dx, dy);
    return;
  }
  const bool live = port == fLivePort;
  ScrollContentAndRedraw(dx, dy);
  Draw(*port);
  port->CopyToScreen(live);
  EndScrollPort(port);
}

// ---- Drawing.

void VScrollContainer::DrawBarNow(VScrollBar* bar) {
  if (bar == nullptr) return;
  if (fLivePort == nullptr) {
    bar->Invalidate(2);
    return;
  }
  VPort& port = *fLivePort;
  int32_t x = 0;
  int32_t y = 0;
  bar->GetPosition(x, y);
  const VRect rect(x, y, bar->GetWidth(), bar->GetHeight());
  const int16_t look = GetLookIndex() == -2 ? port.GetLook() : GetLookIndex();
  port.PushClip(false);
  port.PushOrigin(x, y);
  port.ClipToFrame(bar, nullptr, true);
  port.SetLook(look);
  bar->Draw(port);
  port.SetLook(look);
  port.PopOrigin();
  port.PopClip();
  port.CopyRectToScreen(rect, true);
}

void VScrollContainer::DrawContent(VPort& port) {
  port.SetFillColorIndex(18);
  port.SetFillPatternIndex(6);
  port.PaintRect(0, 0, GetWidth(), GetHeight());
  if ((fHorizontalBar != nullptr || fVerticalBar != nullptr) && fGrowBoxCorner != 0) {
    NotifyParent(this, kMsgDrawGrowBox, reinterpret_cast<intptr_t>(&port));
  }
}

VPort* VScrollContainer::GetPort() { return fLivePort != nullptr ? fLivePort : VView::GetPort(); }

void VScrollContainer::FlushWindow() {
  if (fLivePort == nullptr) VView::FlushWindow();
}

// ---- Messages.

void VScrollContainer::BeginLiveDrawing() {
  if (fLivePort != nullptr) return;
  VPort* port = GetPort();
  if (port == nullptr) return;
  port->PushClip(false);
  port->ClipToFrame(this, nullptr, true);
  port->BeginOffscreen(this);
  fLivePort = port;
}

void VScrollContainer::EndLiveDrawing() {
  if (fLivePort == nullptr) return;
  fLivePort->EndOffscreen();
  fLivePort->PopClip();
  fLivePort = nullptr;
  FlushWindow();
}

bool VScrollContainer::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  if (fParent == nullptr) return false;
  switch (message) {
    case kMsgScrollHorizontally: ScrollBy(static_cast<int32_t>(parameter), 0, 2); return true;
    case kMsgScrollVertically: ScrollBy(0, static_cast<int32_t>(parameter), 2); return true;
    case kMsgScrollBothWays: {
      const auto word = static_cast<uint32_t>(parameter);
      ScrollBy(static_cast<int16_t>(word >> 16), static_cast<int16_t>(word & 0xFFFF), 2);
      return true;
    }
    case kMsgContentSizeChanged: Layout(static_cast<int32_t>(parameter)); return true;
    case kMsgBarTrackingBegins: BeginLiveDrawing(); return true;
    case kMsgBarTrackingEnds: EndLiveDrawing(); return true;
    default: return fParent->NotifyParent(sender, message, parameter);
  }
}

void VScrollContainer::Close() {
  // Live drawing ends before the sub-views go.
  NotifyParent(this, kMsgBarTrackingEnds, 0);
  VView::Close();
}
