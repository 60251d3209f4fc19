#include "views/VPaneGrid.h"

#include <algorithm>
#include <cstdlib>

#include "views/VEvent.h"
#include "views/VScrollBar.h"
#include "views/VScrolledView.h"
#include "views/VSplitter.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPort.h"

namespace {

constexpr int32_t kMetricBarThickness = 2;
constexpr int32_t kColorBlack = 10;
constexpr int32_t kSplitThreshold = 5;

int32_t PackDivider(int32_t index, int32_t delta) {
  return static_cast<int32_t>((static_cast<uint32_t>(index) << 16) |
                              (static_cast<uint32_t>(delta) & 0xFFFF));
}

}  // namespace

// ---- Grid.

VPaneGrid::VPaneGrid(VFrame* parent) : VView(parent), fDividers(nullptr) {
  fDividers = new VPaneGridDividers(this);
}

VPaneGrid::~VPaneGrid() {
  fPanes.clear();
  fDividers = nullptr;
}

void VPaneGrid::RemoveSubView(VFrame* frame) {
  auto it = std::find(fPanes.begin(), fPanes.end(), frame);
  if (it != fPanes.end()) fPanes.erase(it);
  if (frame == fDividers) fDividers = nullptr;
  VView::RemoveSubView(frame);
}

void VPaneGrid::Close() {
  NotifyParent(this, kMsgBarTrackingEnds, 0);
  VView::Close();
}

void VPaneGrid::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  VView::ResizeTo(width, height, mode);
  LayoutPanes();
}

void VPaneGrid::AddFirstPane(VGridPane* pane) {
  if (pane == nullptr || !fPanes.empty()) return;
  pane->SetParent(this);
  pane->SetPlace(1, 1);
  fPanes.push_back(pane);
  fRows = fColumns = 1;
  fCurrentRow = fCurrentColumn = 1;
  LayoutPanes();
}

VGridPane* VPaneGrid::GetPaneAt(int32_t row, int32_t column) const {
  for (VGridPane* p : fPanes) {
    if (p->GetRow() == row && p->GetColumn() == column) return p;
  }
  return nullptr;
}

void VPaneGrid::SetCurrent(int32_t row, int32_t column) {
  fCurrentRow = static_cast<int16_t>(row);
  fCurrentColumn = static_cast<int16_t>(column);
}

void VPaneGrid::SetDividerThickness(int32_t thickness) {
  fThickness = static_cast<int16_t>(std::clamp(thickness, 1, 100));
  LayoutPanes();
}

void VPaneGrid::SetLastDividersLocked(bool rowLocked, bool columnLocked) {
  if (fDividers == nullptr) return;
  fDividers->fLastRowLocked = rowLocked ? 1 : 0;
  fDividers->fLastColumnLocked = columnLocked ? 1 : 0;
}

int32_t VPaneGrid::GetGrowBoxReserve() {
  return IsAtWindowCorner() ? GetLookPainter()->GetMetric(kMetricBarThickness) : 0;
}

void VPaneGrid::GetSpan(bool row, int32_t index, int32_t& start, int32_t& end) {
  const std::vector<int16_t>& d = row ? fDividers->fRowDividers : fDividers->fColumnDividers;
  const int32_t count = row ? fRows : fColumns;
  start = index <= 1 || index - 2 >= static_cast<int32_t>(d.size()) ? 0 : d[index - 2] + fThickness;
  end = index >= count || index - 1 >= static_cast<int32_t>(d.size())
            ? (row ? GetHeight() : GetWidth())
            : d[index - 1];
}

void VPaneGrid::LayoutPanes() {
  if (fDividers == nullptr) return;
  fDividers->MoveTo(0, 0, 1);
  fDividers->ResizeTo(GetWidth(), GetHeight(), 1);
  for (VGridPane* p : fPanes) {
    int32_t y0 = 0, y1 = 0, x0 = 0, x1 = 0;
    GetSpan(true, p->GetRow(), y0, y1);
    GetSpan(false, p->GetColumn(), x0, x1);
    p->MoveTo(x0, y0, 1);
    p->ResizeTo(std::max(0, x1 - x0), std::max(0, y1 - y0), 1);
  }
}

bool VPaneGrid::InsertRowOrColumn(bool row, int32_t index, int32_t position, bool adjust, int32_t) {
  const int32_t count = row ? fRows : fColumns;
  if (fDividers == nullptr || index < 1 || index > count) return false;
  if (adjust) position = AdjustInsertPosition(row, index, position);
  int32_t start = 0, end = 0;
  GetSpan(row, index, start, end);
  const int32_t size = end - start;
  if (position < 0 || position > size - fThickness) return false;
  std::vector<VGridPane*> line;
  int32_t minimum = -1;
  for (VGridPane* p : fPanes) {
    if ((row ? p->GetRow() : p->GetColumn()) != index) continue;
    line.push_back(p);
    minimum = std::max(minimum, row ? p->GetMinimumHeight() : p->GetMinimumWidth());
  }
  if (minimum != -1) {
    if ((size - fThickness) / 2 < minimum) return false;
    position = std::clamp(position, minimum, size - fThickness - minimum);
  }
  for (VGridPane* p : fPanes) {
    if (row && p->GetRow() > index) p->SetPlace(p->GetRow() + 1, p->GetColumn());
    if (!row && p->GetColumn() > index) p->SetPlace(p->GetRow(), p->GetColumn() + 1);
  }
  std::vector<int16_t>& d = row ? fDividers->fRowDividers : fDividers->fColumnDividers;
  std::vector<uint8_t>& locks = row ? fDividers->fRowLocked : fDividers->fColumnLocked;
  d.insert(d.begin() + (index - 1), static_cast<int16_t>(start + position));
  locks.insert(locks.begin() + (index - 1), 0);
  if (row) {
    ++fRows;
  } else {
    ++fColumns;
  }
  for (VGridPane* p : line) {
    auto* clone = dynamic_cast<VGridPane*>(p->Clone(this, 0));
    if (clone == nullptr) continue;
    clone->SetPlace(row ? index + 1 : p->GetRow(), row ? p->GetColumn() : index + 1);
    fPanes.push_back(clone);
  }
  LayoutPanes();
  // The new panes go on where their neighbours now end.
  for (VGridPane* p : fPanes) {
    if ((row ? p->GetRow() : p->GetColumn()) != index + 1) continue;
    p->ScrollBy(row ? 0 : position + fThickness, row ? position + fThickness : 0, 1);
  }
  Invalidate(1);
  return true;
}

void VPaneGrid::RemoveRowOrColumn(bool row, int32_t index) {
  const int32_t count = row ? fRows : fColumns;
  if (fDividers == nullptr || count <= 1 || index < 1 || index > count) return;
  std::vector<VGridPane*> gone;
  for (VGridPane* p : fPanes) {
    if ((row ? p->GetRow() : p->GetColumn()) == index) gone.push_back(p);
  }
  for (VGridPane* p : gone) {
    p->Close();
    delete p;
  }
  for (VGridPane* p : fPanes) {
    if (row && p->GetRow() > index) p->SetPlace(p->GetRow() - 1, p->GetColumn());
    if (!row && p->GetColumn() > index) p->SetPlace(p->GetRow(), p->GetColumn() - 1);
  }
  // The neighbour after takes the room; the last row's goes to the one
  // before it.
  std::vector<int16_t>& d = row ? fDividers->fRowDividers : fDividers->fColumnDividers;
  std::vector<uint8_t>& locks = row ? fDividers->fRowLocked : fDividers->fColumnLocked;
  const size_t at = static_cast<size_t>(index < count ? index - 1 : index - 2);
  if (at < d.size()) d.erase(d.begin() + static_cast<std::ptrdiff_t>(at));
  if (at < locks.size()) locks.erase(locks.begin() + static_cast<std::ptrdiff_t>(at));
  if (row) {
    --fRows;
    fCurrentRow = static_cast<int16_t>(std::min<int32_t>(fCurrentRow, fRows));
  } else {
    --fColumns;
    fCurrentColumn = static_cast<int16_t>(std::min<int32_t>(fCurrentColumn, fColumns));
  }
  LayoutPanes();
  Invalidate(1);
}

void VPaneGrid::MoveDivider(bool row, int32_t index, int32_t delta) {
  if (fDividers == nullptr) return;
  std::vector<int16_t>& d = row ? fDividers->fRowDividers : fDividers->fColumnDividers;
  const int32_t n = static_cast<int32_t>(d.size());
  if (index < 1 || index > n) return;
  const int32_t low = index == 1 ? 0 : d[index - 2] + fThickness;
  const int32_t high =
      index == n ? (row ? GetHeight() : GetWidth()) - GetGrowBoxReserve() : d[index];
  const int32_t moved = d[index - 1] + delta;
  if (moved < low) {
    RemoveRowOrColumn(row, index);
  } else if (moved + fThickness > high) {
    RemoveRowOrColumn(row, index + 1);
  } else {
    d[index - 1] = static_cast<int16_t>(moved);
    LayoutPanes();
    Invalidate(1);
  }
}

void VPaneGrid::ScrollTogether(int32_t dx, int32_t dy, int32_t row, int32_t column, int32_t mode) {
  const std::vector<VGridPane*> panes = fPanes;
  for (VGridPane* p : panes) {
    if (dx != 0 && p->GetRow() == row) p->ScrollBy(dx, 0, mode);
    if (dy != 0 && p->GetColumn() == column) p->ScrollBy(0, dy, mode);
  }
}

bool VPaneGrid::TrackPaneSplitBox(VSplitBox* box, VEvent& event) {
  auto* pane = box != nullptr ? dynamic_cast<VGridPane*>(box->GetParent()) : nullptr;
  VScrolledView* content = pane != nullptr ? pane->GetContentView(0) : nullptr;
  if (content == nullptr) return false;
  int32_t bx = 0, by = 0, px = 0, py = 0, cx = 0, cy = 0;
  box->GetPosition(bx, by);
  pane->GetPosition(px, py);
  content->GetPosition(cx, cy);
  event.Offset(bx + px, by + py);
  const uint8_t kind = box->GetBoxKind();
  const int32_t start = kind == 1 ? by + py : bx + px;
  const int32_t maximum = kind == 1 ? py + cy + content->GetHeight() - fThickness
                                    : px + cx + content->GetWidth() - fThickness;
  VPoint p0, p1;
  {
    VSplitterDragger dragger(this, event, start, 0, maximum, kind);
    dragger.Track();
    dragger.GetStartPoint(p0, 2);
    dragger.GetCurrentPoint(p1, 2);
  }
  const int32_t delta = kind == 1 ? p1.GetY() - p0.GetY() : p1.GetX() - p0.GetX();
  if (std::abs(delta) <= kSplitThreshold) return false;
  return InsertRowOrColumn(kind == 1, kind == 1 ? pane->GetRow() : pane->GetColumn(), delta, true,
                           0);
}

bool VPaneGrid::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  auto* pane = dynamic_cast<VGridPane*>(sender);
  switch (message) {
    case kMsgScrollHorizontally:
    case kMsgScrollVertically:
    case kMsgScrollBothWays: {
      if (pane == nullptr) break;
      int32_t dx = 0, dy = 0;
      if (message == kMsgScrollHorizontally) dx = static_cast<int32_t>(parameter);
      if (message == kMsgScrollVertically) dy = static_cast<int32_t>(parameter);
      if (message == kMsgScrollBothWays) {
        const auto word = static_cast<uint32_t>(parameter);
        dx = static_cast<int16_t>(word >> 16);
        dy = static_cast<int16_t>(word & 0xFFFF);
      }
      ScrollTogether(dx, dy, pane->GetRow(), pane->GetColumn(), 2);
      return true;
    }
    case kMsgContentSizeChanged:
      for (VGridPane* p : std::vector<VGridPane*>(fPanes)) p->NotifyParent(this, message, 0);
      return true;
    case kMsgSplitBoxPressed:
      if (parameter == 0) return false;
      return TrackPaneSplitBox(dynamic_cast<VSplitBox*>(sender),
                               *reinterpret_cast<VEvent*>(parameter));
    case kMsgDividerDragged: {
      const auto word = static_cast<uint32_t>(parameter);
      const auto index = static_cast<int16_t>(word >> 16);
      MoveDivider(index < 0, std::abs(index), static_cast<int16_t>(word & 0xFFFF));
      return true;
    }
    case kMsgDividerDoubleClicked: {
      const auto index = static_cast<int32_t>(parameter);
      RemoveRowOrColumn(index < 0, std::abs(index));
      return true;
    }
    case kMsgGetFocusedContent: {
      auto* answer = reinterpret_cast<VFrame**>(parameter);
      if (answer == nullptr) return true;
      for (VGridPane* p : fPanes) {
        p->NotifyParent(this, message, parameter);
        if (*answer != nullptr) break;
      }
      return true;
    }
    case kMsgBarTrackingBegins:
      if (fClipPort == nullptr) {
        fClipPort = GetPort();
        if (fClipPort != nullptr) {
          fClipPort->PushClip(false);
          fClipPort->ClipToFrame(this, nullptr, true);
        }
      }
      return true;
    case kMsgBarTrackingEnds:
      if (fClipPort != nullptr) {
        fClipPort->PopClip();
        fClipPort = nullptr;
        FlushWindow();
      }
      return true;
    default: break;
  }
  return VView::NotifyParent(sender, message, parameter);
}

// ---- Dividers.

VPaneGridDividers::VPaneGridDividers(VPaneGrid* grid) : VFrame(grid, nullptr), fGrid(grid) {}

int32_t VPaneGridDividers::DividerAt(int32_t x, int32_t y) const {
  const int32_t t = fGrid->GetDividerThickness();
  for (size_t i = 0; i < fRowDividers.size(); ++i) {
    if (y >= fRowDividers[i] && y < fRowDividers[i] + t) return -static_cast<int32_t>(i + 1);
  }
  for (size_t i = 0; i < fColumnDividers.size(); ++i) {
    if (x >= fColumnDividers[i] && x < fColumnDividers[i] + t) return static_cast<int32_t>(i + 1);
  }
  return 0;
}

bool VPaneGridDividers::ContainsLocal(const VPoint& p) const {
  return VFrame::ContainsLocal(p) && DividerAt(p.GetX(), p.GetY()) != 0;
}

bool VPaneGridDividers::Contains(const VPoint& p) const {
  int32_t x = 0, y = 0;
  GetPosition(x, y);
  return ContainsLocal(VPoint(p.GetX() - x, p.GetY() - y));
}

int32_t VPaneGridDividers::GetCursorIdAt(VEvent& event) {
  const int32_t at = DividerAt(event.GetX(), event.GetY());
  if (at < 0) return kCursorSplitAcross;
  if (at > 0) return kCursorSplitUpright;
  return VFrame::GetCursorIdAt(event);
}

bool VPaneGridDividers::IsLocked(bool row, int32_t index) const {
  const std::vector<uint8_t>& locks = row ? fRowLocked : fColumnLocked;
  const size_t n = row ? fRowDividers.size() : fColumnDividers.size();
  if (index >= 1 && static_cast<size_t>(index) <= locks.size() && locks[index - 1] != 0) {
    return true;
  }
  return static_cast<size_t>(index) == n && (row ? fLastRowLocked : fLastColumnLocked) != 0;
}

void VPaneGridDividers::DrawContent(VPort& port) {
  const int32_t t = fGrid->GetDividerThickness();
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  auto band = [&](int32_t x, int32_t y, int32_t bw, int32_t bh, bool across) {
    if (t < 4) {
      port.SetFillPatternIndex(6);
      port.SetFillColorIndex(kColorBlack);
      port.PaintRect(x, y, bw, bh);
      return;
    }
    const int32_t r[4] = {x, y, bw, bh};
    DrawLookElement(port, 0, 0, r, 0);
    DrawLookElement(port, 16, 0, r, 0);
    port.SetPenColorIndex(kColorBlack);
    port.SetPenWidth(1);
    if (across) {
      port.DrawLineBy(x, y + bh - 1, bw, 0);
    } else {
      port.DrawLineBy(x + bw - 1, y, 0, bh);
    }
  };
  for (int16_t d : fRowDividers) band(0, d, w - 1, t, true);
  for (int16_t d : fColumnDividers) band(d, 0, t, h, false);
}

bool VPaneGridDividers::MouseDown(VEvent& event) {
  const int32_t at = DividerAt(event.GetX(), event.GetY());
  if (at == 0 || fParent == nullptr) return false;
  const bool row = at < 0;
  const int32_t index = std::abs(at);
  if (IsLocked(row, index)) return true;
  if (event.IsDoubleClick()) {
    fParent->NotifyParent(this, kMsgDividerDoubleClicked, at);
    return true;
  }
  const std::vector<int16_t>& d = row ? fRowDividers : fColumnDividers;
  const int32_t n = static_cast<int32_t>(d.size());
  const int32_t t = fGrid->GetDividerThickness();
  const int32_t minimum = (index == 1 ? 0 : d[index - 2]) + t;
  const int32_t maximum =
      (index == n ? (row ? GetHeight() : GetWidth()) - fGrid->GetGrowBoxReserve() : d[index]) - t;
  VPoint p0, p1;
  {
    VSplitterDragger dragger(this, event, d[index - 1], minimum, maximum, row ? 1 : 0);
    dragger.Track();
    dragger.GetStartPoint(p0, 2);
    dragger.GetCurrentPoint(p1, 2);
  }
  const int32_t delta = row ? p1.GetY() - p0.GetY() : p1.GetX() - p0.GetX();
  // The grid may remove a row and re-lay out: nothing of this frame's
  // dividers is used after the message.
  fParent->NotifyParent(this, kMsgDividerDragged,
                        PackDivider(at, std::clamp(delta, -32768, 32767)));
  return true;
}

// ---- Grid pane.

VGridPane::VGridPane(VFrame* parent) : VPaneView(parent, false, false, false, false) {}

bool VGridPane::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  if (fParent == nullptr) return false;
  switch (message) {
    case kMsgScrollHorizontally:
    case kMsgScrollVertically:
    case kMsgScrollBothWays:
    case kMsgBarTrackingBegins:
    case kMsgBarTrackingEnds: return fParent->NotifyParent(this, message, parameter);
    case kMsgSplitBoxPressed: return fParent->NotifyParent(sender, message, parameter);
    case kMsgContentSizeChanged:
      if (sender == fParent) {
        if (GetContentView(0) != nullptr) Layout(1);
        return true;
      }
      return fParent->NotifyParent(this, message, parameter);
    default: return VPaneView::NotifyParent(sender, message, parameter);
  }
}

VFrame* VGridPane::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VGridPane(newParent);
  copy->fBarsDisabled = fBarsDisabled;
  copy->SetVerticalBar(GetVerticalBar() != nullptr, false);
  copy->SetHorizontalBar(GetHorizontalBar() != nullptr, false);
  copy->SetVerticalSplitBox(IsVerticalSplitBoxWanted(), false);
  copy->SetHorizontalSplitBox(IsHorizontalSplitBoxWanted(), false);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VGridPane::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VPaneView::CopyFrom(newParent, source, word);
  if (const auto* other = dynamic_cast<const VGridPane*>(&source)) {
    fRow = other->fRow;
    fColumn = other->fColumn;
    fBarsDisabled = other->fBarsDisabled;
    fSpare = other->fSpare;
  }
}

void VGridPane::SetHorizontalBar(bool wanted, bool relayout) {
  VPaneView::SetHorizontalBar(wanted, relayout);
  if (fBarsDisabled != 0 && GetHorizontalBar() != nullptr) GetHorizontalBar()->SetDisabled(true);
}

void VGridPane::SetVerticalBar(bool wanted, bool relayout) {
  VPaneView::SetVerticalBar(wanted, relayout);
  if (fBarsDisabled != 0 && GetVerticalBar() != nullptr) GetVerticalBar()->SetDisabled(true);
}
