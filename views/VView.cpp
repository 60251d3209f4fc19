// VView: the sub-frame list and what passes down it.
#include "views/VView.h"

#include <algorithm>

#include "views/VEvent.h"
#include "views/VWindowView.h"
#include "graphics/VPort.h"
#include "graphics/VRegion.h"

VView::VView(VFrame* parent) : VFrame(parent, nullptr) {}

VView::~VView() {
  while (!fSubFrames.empty()) {
    VFrame* first = fSubFrames.front();
    first->Close();
    delete first;
    // A sub-frame whose destructor did not leave the list still goes.
    if (!fSubFrames.empty() && fSubFrames.front() == first) fSubFrames.erase(fSubFrames.begin());
  }
}

void VView::AddSubView(VFrame* frame) {
  // A view never holds itself or one of its ancestors.
  if (frame == nullptr || frame->IsSelfOrAncestorOf(this)) return;
  if (std::find(fSubFrames.begin(), fSubFrames.end(), frame) != fSubFrames.end()) return;
  fSubFrames.push_back(frame);
}

void VView::RemoveSubView(VFrame* frame) {
  auto it = std::find(fSubFrames.begin(), fSubFrames.end(), frame);
  if (it != fSubFrames.end()) fSubFrames.erase(it);
}

void VView::SubtractSiblingsAbove(const VFrame* frame, VRegion& region) const {
  if (region.IsEmpty()) return;
  auto it = std::find(fSubFrames.begin(), fSubFrames.end(), frame);
  if (it == fSubFrames.end()) return;
  for (++it; it != fSubFrames.end(); ++it) {
    const VFrame* f = *it;
    if (!f->IsShown()) continue;
    VRegion box(f->fOriginX, f->fOriginY, f->fWidth, f->fHeight);
    region.Subtract(box);
    if (region.IsEmpty()) return;
  }
}

void VView::UpdateOrigin(bool subtractParentScroll) {
  VFrame::UpdateOrigin(subtractParentScroll);
  const bool scrolls = HasScrollOffsets();
  for (VFrame* f : fSubFrames) f->UpdateOrigin(scrolls);
}

VFrame* VView::FindFrameAt(const VPoint& p) {
  if (!IsShown()) return nullptr;
  for (auto it = fSubFrames.rbegin(); it != fSubFrames.rend(); ++it) {
    VFrame* f = *it;
    if (!f->IsShown()) continue;
    VPoint local(p.GetX() - f->fX, p.GetY() - f->fY);
    if (VFrame* found = f->FindFrameAt(local)) return found;
  }
  return ContainsLocal(p) ? this : nullptr;
}

VFrame* VView::AcceptsDragAt(const VPoint& p, const VDragTypeList* dragged, uint32_t mask) {
  if (!IsShown()) return nullptr;
  for (auto it = fSubFrames.rbegin(); it != fSubFrames.rend(); ++it) {
    VFrame* f = *it;
    if (!f->IsShown()) continue;
    VPoint local(p.GetX() - f->fX, p.GetY() - f->fY);
    if (VFrame* found = f->AcceptsDragAt(local, dragged, mask)) return found;
  }
  return VFrame::AcceptsDragAt(p, dragged, mask);
}

VFrame* VView::FindClickTarget(const VPoint& p, bool clickableOnly) {
  if (!IsShown()) return nullptr;
  for (auto it = fSubFrames.rbegin(); it != fSubFrames.rend(); ++it) {
    VFrame* f = *it;
    if (!f->IsShown() || !f->Contains(p)) continue;
    VPoint local(p.GetX() - f->fX, p.GetY() - f->fY);
    if (VFrame* found = f->FindClickTarget(local, clickableOnly)) return found;
  }
  if (clickableOnly && !IsClickable()) return nullptr;
  return this;
}

void VView::Close() {
  while (!fSubFrames.empty()) {
    VFrame* first = fSubFrames.front();
    first->Close();
    delete first;
    if (!fSubFrames.empty() && fSubFrames.front() == first) fSubFrames.erase(fSubFrames.begin());
  }
  VFrame::Close();
}

void VView::Activate(bool active) {
  Activated(active);
  for (VFrame* f : std::vector<VFrame*>(fSubFrames)) f->Activate(active);
}

void VView::Draw(VPort& port) {
  if (!IsShown() || !port.IsFrameVisible(this, nullptr)) return;
  const int16_t handDown = GetLookIndex() == -2 ? port.GetLook() : GetLookIndex();
  port.PushClip(false);
  port.ClipToFrame(this, nullptr, true);
  if (GetLookIndex() > -2) port.SetLook(GetLookIndex());
  DrawContent(port);
  for (VFrame* f : fSubFrames) {
    if (!f->IsShown()) continue;
    port.PushOrigin(f->fX, f->fY);
    port.SetLook(handDown);
    f->Draw(port);
    port.PopOrigin();
  }
  port.SetLook(handDown);
  port.PopClip();
}

void VView::DispatchIdle(bool flag) {
  if (IsHiddenByParent() || !IsVisible()) return;
  Idle(flag);
  for (VFrame* f : std::vector<VFrame*>(fSubFrames)) f->DispatchIdle(flag);
}

bool VView::DispatchMouse(VEvent& event) {
  for (auto it = fSubFrames.rbegin(); it != fSubFrames.rend(); ++it) {
    VFrame* f = *it;
    if (!f->IsClickable() || !f->IsShown() || !f->Contains(event)) continue;
    const int32_t dx = f->fX;
    const int32_t dy = f->fY;
    event.Offset(-dx, -dy);
    if (f->DispatchMouse(event)) return true;
    event.Offset(dx, dy);
  }
  return VFrame::DispatchMouse(event);
}

void VView::DispatchWheel(VEvent& event) {
  for (auto it = fSubFrames.rbegin(); it != fSubFrames.rend(); ++it) {
    VFrame* f = *it;
    if (!f->IsShown() || !f->Contains(event)) continue;
    event.Offset(-f->fX, -f->fY);
    f->DispatchWheel(event);
    return;
  }
  MouseWheel(event);
}

VFrame* VView::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VView(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VView::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VFrame::CopyFrom(newParent, source, word);
  if (!source.IsView()) return;
  const auto& subs = static_cast<const VView&>(source).fSubFrames;
  // A copy placed inside its own source is not copied into itself again.
  for (VFrame* f : std::vector<VFrame*>(subs)) {
    if (!f->IsSelfOrAncestorOf(this)) f->Clone(this, word);
  }
}

void VView::SetHiddenByParent(bool hidden) {
  VFrame::SetHiddenByParent(hidden);
  for (VFrame* f : fSubFrames) f->SetHiddenByParent(hidden);
}

void VView::SetDisplayed(bool displayed) {
  VFrame::SetDisplayed(displayed);
  for (VFrame* f : fSubFrames) f->SetDisplayed(displayed);
}

bool VView::IsAncestorOf(const VFrame* frame, bool directOnly) const {
  if (frame == nullptr) return false;
  if (directOnly) return frame->GetParent() == this;
  for (const VFrame* f = frame->GetParent(); f != nullptr; f = f->GetParent()) {
    if (f == this) return true;
  }
  return false;
}

// ---- Walker.

void VViewWalker::Collect(VView* view) {
  for (VFrame* f : view->GetSubFrames()) {
    fOrder.push_back(f);
    if (fDescend && f->IsView()) Collect(static_cast<VView*>(f));
  }
}

VFrame* VViewWalker::First() {
  fOrder.clear();
  if (fView != nullptr) Collect(fView);
  fStarted = true;
  fIndex = 0;
  while (fIndex < fOrder.size() && !Accept(fOrder[fIndex])) ++fIndex;
  return Current();
}

VFrame* VViewWalker::Current() {
  if (!fStarted) return First();
  return fIndex < fOrder.size() ? fOrder[fIndex] : nullptr;
}

VFrame* VViewWalker::Next() {
  if (!fStarted) return First();
  if (fIndex < fOrder.size()) ++fIndex;
  while (fIndex < fOrder.size() && !Accept(fOrder[fIndex])) ++fIndex;
  return Current();
}

VFrame* VViewWalker::Last() {
  fOrder.clear();
  if (fView != nullptr) Collect(fView);
  fStarted = true;
  fIndex = fOrder.size();
  return Previous();
}

VFrame* VViewWalker::Previous() {
  if (!fStarted) return Last();
  while (fIndex > 0) {
    --fIndex;
    if (Accept(fOrder[fIndex])) return fOrder[fIndex];
  }
  // Before the first: the walk is over.
  fIndex = fOrder.size();
  return nullptr;
}

bool VView::HandleActivationMessage(int32_t message) {
  if (message == kMsgDeactivate) {
    LoseFocus(nullptr);
    Activate(false);
  } else if (message == kMsgActivate) {
    Activate(true);
    TakeFocus();
  } else {
    return false;
  }
  Invalidate(2);
  return true;
}
