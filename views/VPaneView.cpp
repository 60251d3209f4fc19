// VPaneView: layout of leaves and branches, splitting and joining, and the
// messages that climb to the root pane and come down to every leaf.
#include "views/VPaneView.h"

#include <algorithm>
#include <vector>

#include "framework/core/containers/VListOf.h"
#include "views/VEvent.h"
#include "views/VScrollBar.h"
#include "views/VScrolledView.h"
#include "views/VSplitter.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPort.h"

namespace {

constexpr int32_t kHiddenPlace = -1000;
constexpr int32_t kMetricBarThickness = 2;
constexpr int32_t kCollapseBarRoom = 16;

void Hide(VFrame* f) {
  f->MoveTo(kHiddenPlace, kHiddenPlace, 1);
  f->ResizeTo(0, 0, 1);
}

// A view that counts for the layout: present and displayed.
bool Counts(const VFrame* f) { return f != nullptr && f->IsDisplayed(); }

void DeleteFrame(VFrame* f) {
  if (f == nullptr) return;
  f->Close();
  delete f;
}

}  // namespace

VPaneView::VPaneView(VFrame* parent, bool verticalBar, bool horizontalBar, bool verticalBox,
                     bool horizontalBox)
    : VScrollContainer(parent, verticalBar, horizontalBar) {
  SetVerticalSplitBox(verticalBox, true);
  SetHorizontalSplitBox(horizontalBox, true);
}

VPaneView::~VPaneView() {
  // The sub-frames go with the view's list.
  fParentPane = nullptr;
  fFirst = fSecond = nullptr;
  fSplitter = nullptr;
  fHorizontalBox = fVerticalBox = nullptr;
  std::fill(std::begin(fViews), std::end(fViews), nullptr);
}

void VPaneView::RemoveSubView(VFrame* frame) {
  if (frame == fFirst) fFirst = nullptr;
  if (frame == fSecond) fSecond = nullptr;
  if (frame == fSplitter) fSplitter = nullptr;
  if (frame == fHorizontalBox) fHorizontalBox = nullptr;
  if (frame == fVerticalBox) fVerticalBox = nullptr;
  for (VFrame*& v : fViews) {
    if (v == frame) v = nullptr;
  }
  VScrollContainer::RemoveSubView(frame);
}

// ---- Attached views.

void VPaneView::AttachView(int32_t place, VFrame* view, bool deleteOld, bool relayout) {
  if (IsSplit() || place < 0 || place >= kPlaceCount) return;
  VFrame* old = fViews[place];
  if (old != nullptr && old != view && deleteOld) {
    fViews[place] = nullptr;
    DeleteFrame(old);
  }
  fViews[place] = view;
  if (view != nullptr) view->SetParent(this);
  if (relayout) Layout(1);
}

VFrame* VPaneView::GetView(int32_t place) const {
  return place >= 0 && place < kPlaceCount ? fViews[place] : nullptr;
}

bool VPaneView::IsViewShown(int32_t place) const {
  const VFrame* v = GetView(place);
  return v != nullptr && v->IsShown();
}

VFrame* VPaneView::DetachView(int32_t place, bool relayout) {
  VFrame* v = GetView(place);
  if (v != nullptr) AttachView(place, nullptr, false, relayout);
  return v;
}

void VPaneView::ShowView(int32_t place, bool show, bool relayout) {
  VFrame* v = GetView(place);
  if (v == nullptr) return;
  v->SetVisible(show);
  v->SetDisplayed(show);
  if (relayout) Layout(1);
}

void VPaneView::SetCornerMode(int index, uint8_t mode) {
  if (fCornerModes[index] == mode) return;
  fCornerModes[index] = mode;
  Layout(1);
}

void VPaneView::CornerSize(uint8_t mode, int32_t a, int32_t b, int32_t& width, int32_t& height) {
  width = 0;
  height = 0;
  const auto set = [&width, &height](int32_t w, int32_t h) {
    width = w;
    height = h;
  };
  switch (mode) {
    case 0:
      if (a != 0) set(b != 0 ? b : a, a);
      break;
    case 1:
      if (b != 0) set(b, a != 0 ? a : b);
      break;
    case 2:
      if (a != 0 && b == 0) set(a, a);
      break;
    case 3:
      if (a == 0 && b != 0) set(b, b);
      break;
    case 4:
      if (a != 0 && b != 0) {
        set(b, a);
      } else if (a != 0) {
        set(a, a);
      } else if (b != 0) {
        set(b, b);
      }
      break;
    case 5:
      if (a != 0 && b != 0) set(b, a);
      break;
    default: break;  // Modes above 5 hide the corner.
  }
  if (width == 0 || height == 0) width = height = 0;
}

// ---- Split boxes and scroll bars.

void VPaneView::SetHorizontalSplitBox(bool wanted, bool relayout) {
  if (IsSplit()) {
    if (fFirst != nullptr) fFirst->SetHorizontalSplitBox(wanted, relayout);
    if (fSecond != nullptr) fSecond->SetHorizontalSplitBox(wanted, relayout);
    return;
  }
  if ((fHorizontalBoxWanted != 0) == wanted) return;
  fHorizontalBoxWanted = wanted ? 1 : 0;
  if (wanted && fHorizontalBar != nullptr) {
    if (fHorizontalBox == nullptr) fHorizontalBox = new VSplitBox(this, 0);
  } else if (fHorizontalBox != nullptr) {
    VSplitBox* box = fHorizontalBox;
    fHorizontalBox = nullptr;
    DeleteFrame(box);
  }
  if (relayout) Layout(1);
}

void VPaneView::SetVerticalSplitBox(bool wanted, bool relayout) {
  if (IsSplit()) {
    if (fFirst != nullptr) fFirst->SetVerticalSplitBox(wanted, relayout);
    if (fSecond != nullptr) fSecond->SetVerticalSplitBox(wanted, relayout);
    return;
  }
  if ((fVerticalBoxWanted != 0) == wanted) return;
  fVerticalBoxWanted = wanted ? 1 : 0;
  if (wanted && fVerticalBar != nullptr) {
    if (fVerticalBox == nullptr) fVerticalBox = new VSplitBox(this, 1);
  } else if (fVerticalBox != nullptr) {
    VSplitBox* box = fVerticalBox;
    fVerticalBox = nullptr;
    DeleteFrame(box);
  }
  if (relayout) Layout(1);
}

void VPaneView::SetHorizontalBar(bool wanted, bool relayout) {
  if (IsSplit()) {
    if (fFirst != nullptr) fFirst->SetHorizontalBar(wanted, relayout);
    if (fSecond != nullptr) fSecond->SetHorizontalBar(wanted, relayout);
    return;
  }
  if (wanted && fHorizontalBar == nullptr) {
    fHorizontalBar = new VScrollBar(this, true);
    if (fHorizontalBoxWanted != 0) {
      // The box comes back with its bar.
      fHorizontalBoxWanted = 0;
      SetHorizontalSplitBox(true, relayout);
    }
  } else if (!wanted && fHorizontalBar != nullptr) {
    VScrollBar* bar = fHorizontalBar;
    fHorizontalBar = nullptr;
    DeleteFrame(bar);
    VSplitBox* box = fHorizontalBox;
    fHorizontalBox = nullptr;
    DeleteFrame(box);
  }
  if (relayout) Layout(1);
}

void VPaneView::SetVerticalBar(bool wanted, bool relayout) {
  if (IsSplit()) {
    if (fFirst != nullptr) fFirst->SetVerticalBar(wanted, relayout);
    if (fSecond != nullptr) fSecond->SetVerticalBar(wanted, relayout);
    return;
  }
  if (wanted && fVerticalBar == nullptr) {
    fVerticalBar = new VScrollBar(this, false);
    if (fVerticalBoxWanted != 0) {
      fVerticalBoxWanted = 0;
      SetVerticalSplitBox(true, relayout);
    }
  } else if (!wanted && fVerticalBar != nullptr) {
    VScrollBar* bar = fVerticalBar;
    fVerticalBar = nullptr;
    DeleteFrame(bar);
    VSplitBox* box = fVerticalBox;
    fVerticalBox = nullptr;
    DeleteFrame(box);
  }
  if (relayout) Layout(1);
}

// ---- Layout.

void VPaneView::Layout(int32_t mode) {
  if (IsSplit()) {
    LayoutBranch(mode);
  } else {
    LayoutLeaf(mode);
  }
}

void VPaneView::LayoutBranch(int32_t mode) {
  fGrowBoxCorner = 0;
  if (fFirst == nullptr || fSecond == nullptr) return;
  const int32_t W = GetWidth();
  const int32_t H = GetHeight();
  fFirst->MoveTo(0, 0, 1);
  int32_t x = 0, y = 0;
  if (fOrientation == kStacked) {
    const int64_t h1 = fFirst->GetHeight();
    const int64_t total = h1 + fSecond->GetHeight() + kSplitterThickness;
    const int64_t extra = H - total;
    // The first child keeps its share; rounding goes to the second.
    const int64_t share = total != 0 ? extra * h1 / total : 0;
    fFirst->ResizeTo(fFirst->GetWidth(), static_cast<int32_t>(h1 + share), 1);
    fSplitter->GetPosition(x, y);
    fSplitter->MoveTo(x, fFirst->GetHeight(), 1);
    fSplitter->GetPosition(x, y);
    const int32_t secondY = y + fSplitter->GetHeight();
    fSecond->GetPosition(x, y);
    fSecond->MoveTo(x, secondY, 1);
    fSecond->ResizeTo(fSecond->GetWidth(), H - secondY, 1);
    fFirst->ResizeTo(W, fFirst->GetHeight(), 1);
    fSplitter->ResizeTo(W, fSplitter->GetHeight(), 1);
    fSecond->ResizeTo(W, fSecond->GetHeight(), 1);
  } else {
    const int64_t w1 = fFirst->GetWidth();
    const int64_t total = w1 + fSecond->GetWidth() + kSplitterThickness;
    const int64_t extra = W - total;
    const int64_t share = total != 0 ? extra * w1 / total : 0;
    fFirst->ResizeTo(static_cast<int32_t>(w1 + share), fFirst->GetHeight(), 1);
    fSplitter->GetPosition(x, y);
    fSplitter->MoveTo(fFirst->GetWidth(), y, 1);
    fSplitter->GetPosition(x, y);
    const int32_t secondX = x + fSplitter->GetWidth();
    fSecond->GetPosition(x, y);
    fSecond->MoveTo(secondX, y, 1);
    fSecond->ResizeTo(W - secondX, fSecond->GetHeight(), 1);
    fFirst->ResizeTo(fFirst->GetWidth(), H, 1);
    fSplitter->ResizeTo(fSplitter->GetWidth(), H, 1);
    fSecond->ResizeTo(fSecond->GetWidth(), H, 1);
  }
  if (IsVisible() && !IsHiddenByParent()) Invalidate(static_cast<int16_t>(mode));
}

// The sizes a leaf lays out by: the pane's own, the four edge views', the
// scroll bars' thicknesses, the grow box's room and the content's size.
struct VPaneView::LeafSizes {
  int32_t W = 0, H = 0;
  int32_t T = 0, L = 0, R = 0, B = 0;
  int32_t SH = 0, SV = 0;
  int32_t G = 0;
  int32_t CH = 0, CW = 0;
  int32_t BW = 0, BH = 0;
};

// A corner view's place and size: top-left (A = T, B = L), top-right (T, R),
// bottom-left (B, L), bottom-right (B, R).
struct VPaneView::LeafCorner {
  int32_t place, modeIndex, a, b;
  int32_t w = 0, h = 0;
};

void VPaneView::LayoutLeaf(int32_t mode) {
  if (fContent == nullptr) return;
  LeafSizes s;
  s.W = GetWidth();
  s.H = GetHeight();
  VFrame* const* v = fViews;
  s.T = Counts(v[kTop]) ? v[kTop]->GetHeight() : 0;
  s.L = Counts(v[kLeft]) ? v[kLeft]->GetWidth() : 0;
  s.R = Counts(v[kRight]) ? v[kRight]->GetWidth() : 0;
  s.B = Counts(v[kBottom]) ? v[kBottom]->GetHeight() : 0;
  s.SH = fHorizontalBar != nullptr ? fHorizontalBar->GetHeight() : 0;
  s.SV = fVerticalBar != nullptr ? fVerticalBar->GetWidth() : 0;

  fGrowBoxCorner = IsAtWindowCorner() ? 1 : 0;
  if (s.SH != s.SV && fGrowBoxCorner != 0) s.G = GetLookPainter()->GetMetric(kMetricBarThickness);

  s.CH = std::max(0, s.H - s.SH - s.T - s.B);
  s.CW = std::max(0, s.W - s.SV - s.L - s.R);
  if (!PlaceLeafContent(s)) return;

  s.BW = Counts(v[kHorizontalBarView]) ? v[kHorizontalBarView]->GetWidth() : 0;
  s.BH = Counts(v[kVerticalBarView]) ? v[kVerticalBarView]->GetHeight() : 0;
  PlaceBarViews(s);
  PlaceVerticalBar(s);
  PlaceHorizontalBar(s);

  LeafCorner corners[4] = {{kTopLeft, 0, s.T, s.L},
                           {kTopRight, 1, s.T, s.R},
                           {kBottomLeft, 2, s.B, s.L},
                           {kBottomRight, 3, s.B, s.R}};
  PlaceCorners(s, corners);
  PlaceEdgeViews(s, corners);
  if (IsVisible() && !IsHiddenByParent()) Invalidate(static_cast<int16_t>(mode));
}

bool VPaneView::PlaceLeafContent(const LeafSizes& s) {
  fContent->MoveTo(s.L, s.T, 1);
  fContent->ResizeTo(s.CW, s.CH, 1);
  if (fContent == nullptr) return false;

  if (fContent->WidthFollowsView()) {
    fContent->SetContentWidth(s.CW, false, 1);
    fContent->ScrollToX(0, false, 1);
  } else if (fContent->GetScrollX() < 0) {
    fContent->ScrollToX(0, false, 1);
  }
  if (fContent->HeightFollowsView()) {
    fContent->SetContentHeight(s.CH, false, 1);
    fContent->ScrollToY(0, false, 1);
  } else if (fContent->GetScrollY() < 0) {
    fContent->ScrollToY(0, false, 1);
  }
  return true;
}

void VPaneView::PlaceBarViews(const LeafSizes& s) {
  VFrame* const* v = fViews;
  if (VFrame* f = v[kVerticalBarView]) {
    if (fVerticalBar != nullptr) {
      f->MoveTo(s.W - s.SV, 0, 1);
      f->ResizeTo(s.SV, s.BH, 1);
    } else {
      Hide(f);
    }
  }
  if (VFrame* f = v[kHorizontalBarView]) {
    if (fHorizontalBar != nullptr) {
      f->MoveTo(0, s.H - s.SH, 1);
      f->ResizeTo(s.BW, s.SH, 1);
    } else {
      Hide(f);
    }
  }
  if (VFrame* f = v[kBarCorner]) {
    if (fVerticalBar != nullptr && fHorizontalBar != nullptr) {
      f->MoveTo(s.W - s.SV, s.H - s.SH, 1);
      f->ResizeTo(s.SV, s.SH, 1);
    } else {
      Hide(f);
    }
  }
}

void VPaneView::PlaceVerticalBar(const LeafSizes& s) {
  if (fVerticalBar == nullptr) return;
  int32_t value = 0, maximum = 0, page = 0;
  int32_t box = 0;
  if (fVerticalBox != nullptr) {
    box = (fMinimumHeight != -1 && (s.H >> 1) <= fMinimumHeight) ? 0 : kSplitterThickness;
    if (box != 0) {
      fVerticalBox->MoveTo(s.W - s.SV, s.BH, 1);
      fVerticalBox->ResizeTo(s.SV, kSplitterThickness, 1);
    } else {
      Hide(fVerticalBox);
    }
  }
  fVerticalBar->MoveTo(s.W - s.SV, box + s.BH, 1);
  fVerticalBar->ResizeTo(s.SV, s.H - s.G - box - s.SH - s.BH + (fHorizontalBar != nullptr ? 1 : 0), 1);
  fContent->GetVerticalBarState(value, maximum, page);
  fVerticalBar->ShowScrollState(value, maximum, page);
}

void VPaneView::PlaceHorizontalBar(const LeafSizes& s) {
  if (fHorizontalBar == nullptr) return;
  int32_t value = 0, maximum = 0, page = 0;
  int32_t box = 0;
  if (fHorizontalBox != nullptr) {
    box = (fMinimumWidth != -1 && (s.W >> 1) <= fMinimumWidth) ? 0 : kSplitterThickness;
    if (box != 0) {
      fHorizontalBox->MoveTo(s.BW, s.H - s.SH, 1);
      fHorizontalBox->ResizeTo(kSplitterThickness, s.SH, 1);
    } else {
      Hide(fHorizontalBox);
    }
  }
  fHorizontalBar->MoveTo(box + s.BW, s.H - s.SH, 1);
  fHorizontalBar->ResizeTo(s.W - s.G - box - s.SV - s.BW + (fVerticalBar != nullptr ? 1 : 0), s.SH, 1);
  fContent->GetHorizontalBarState(value, maximum, page);
  fHorizontalBar->ShowScrollState(value, maximum, page);
}

void VPaneView::PlaceCorners(const LeafSizes& s, LeafCorner (&corners)[4]) {
  // A corner that is missing or not displayed counts as 0 x 0.
  for (LeafCorner& c : corners) {
    VFrame* f = fViews[c.place];
    if (!Counts(f)) continue;
    CornerSize(fCornerModes[c.modeIndex], c.a, c.b, c.w, c.h);
    if (c.w == 0) {
      Hide(f);
      continue;
    }
    // The left corners sit at the left edge, the right ones against the
    // vertical bar; the top ones at the top, the bottom ones on the
    // horizontal bar.
    const int32_t x = (c.place == kTopLeft || c.place == kBottomLeft) ? 0 : s.W - s.SV - c.w;
    const int32_t y = (c.place == kTopLeft || c.place == kTopRight) ? 0 : s.H - s.SH - c.h;
    f->MoveTo(x, y, 1);
    f->ResizeTo(c.w, c.h, 1);
  }
}

void VPaneView::FollowContentX(VFrame* f) {
  if (!f->HasScrollOffsets()) return;
  auto* s = dynamic_cast<VScrolledView*>(f);
  if (s == nullptr || fContent == nullptr) return;
  s->SetContentWidth(fContent->GetContentWidth(), false, 1);
  s->ScrollToX(fContent->GetScrollX(), false, 1);
}

void VPaneView::FollowContentY(VFrame* f) {
  if (!f->HasScrollOffsets()) return;
  auto* s = dynamic_cast<VScrolledView*>(f);
  if (s == nullptr || fContent == nullptr) return;
  s->SetContentHeight(fContent->GetContentHeight(), false, 1);
  s->ScrollToY(fContent->GetScrollY(), false, 1);
}

void VPaneView::PlaceEdgeViews(const LeafSizes& s, const LeafCorner (&corners)[4]) {
  VFrame* const* v = fViews;
  const LeafCorner& tl = corners[0];
  const LeafCorner& tr = corners[1];
  const LeafCorner& bl = corners[2];
  const LeafCorner& br = corners[3];
  if (VFrame* f = v[kTop]; Counts(f)) {
    const int32_t x0 = s.L != 0 ? s.L : tl.w;
    f->MoveTo(x0, 0, 1);
    f->ResizeTo(s.W - x0 - s.SV - (s.R != 0 ? s.R : tr.w), f->GetHeight(), 1);
    FollowContentX(f);
  }
  if (VFrame* f = v[kLeft]; Counts(f)) {
    const int32_t y0 = s.T != 0 ? s.T : tl.h;
    f->MoveTo(0, y0, 1);
    f->ResizeTo(f->GetWidth(), s.H - y0 - s.SH - (s.B != 0 ? s.B : bl.h), 1);
    FollowContentY(f);
  }
  if (VFrame* f = v[kBottom]; Counts(f)) {
    const int32_t x0 = s.L != 0 ? s.L : bl.w;
    f->MoveTo(x0, s.T + s.CH, 1);
    f->ResizeTo(s.W - x0 - s.SV - (s.R != 0 ? s.R : br.w), f->GetHeight(), 1);
    FollowContentX(f);
  }
  if (VFrame* f = v[kRight]; Counts(f)) {
    const int32_t y0 = s.T != 0 ? s.T : tr.h;
    f->MoveTo(s.L + s.CW, y0, 1);
    f->ResizeTo(f->GetWidth(), s.H - y0 - s.SH - (s.B != 0 ? s.B : br.h), 1);
    FollowContentY(f);
  }
}

// ---- Splitting and joining.

void VPaneView::MoveSubFrames(VPaneView* from, VPaneView* to) {
  while (!from->GetSubFrames().empty()) {
    VFrame* f = from->GetSubFrames().front();
    f->SetParent(to);
    // A frame that could not move still leaves the list.
    if (!from->GetSubFrames().empty() && from->GetSubFrames().front() == f) {
      from->VScrollContainer::RemoveSubView(f);
    }
  }
  for (VFrame* f : to->GetSubFrames()) f->UpdateOrigin(false);
}

void VPaneView::MakeChildPanes(uint8_t) {
  auto* first = new VPaneView(this, false, false, false, false);
  VScrollContainer::RemoveSubView(first);

  // What the first child takes over, read before the moves clear it here.
  VScrolledView* content = fContent;
  VScrollBar* hbar = fHorizontalBar;
  VScrollBar* vbar = fVerticalBar;
  VSplitBox* hbox = fHorizontalBox;
  VSplitBox* vbox = fVerticalBox;
  VFrame* views[kPlaceCount];
  std::copy(std::begin(fViews), std::end(fViews), views);

  MoveSubFrames(this, first);
  AddSubView(first);

  std::copy(std::begin(views), std::end(views), first->fViews);
  first->fContent = content;
  first->fHorizontalBar = hbar;
  first->fVerticalBar = vbar;
  first->fHorizontalBox = hbox;
  first->fVerticalBox = vbox;
  first->fHorizontalBoxWanted = fHorizontalBoxWanted;
  first->fVerticalBoxWanted = fVerticalBoxWanted;
  first->fMinimumWidth = fMinimumWidth;
  first->fMinimumHeight = fMinimumHeight;
  first->fMovesPixels = fMovesPixels;
  std::copy(std::begin(fCornerModes), std::end(fCornerModes), first->fCornerModes);
  std::fill(std::begin(fViews), std::end(fViews), nullptr);
  fContent = nullptr;
  fHorizontalBar = fVerticalBar = nullptr;
  fHorizontalBox = fVerticalBox = nullptr;
  fFirst = first;

  // A pointer does not fit the copy word: the copies need no port of ours.
  fSecond = static_cast<VPaneView*>(first->Clone(this, 0));
}

bool VPaneView::Split(uint8_t orientation, int32_t position) {
  if (IsSplit() || fContent == nullptr || position < 0) return false;
  const bool stacked = orientation == kStacked;
  const int32_t size = stacked ? GetHeight() : GetWidth();
  const int32_t minimum = stacked ? fMinimumHeight : fMinimumWidth;
  // No room for the bar, or not for two panes of the minimum size.
  if (size < kSplitterThickness) return false;
  if (minimum != -1 && ((size - kSplitterThickness) >> 1) < minimum) return false;

  VFrame* focus = GetFocusFrame();
  MakeChildPanes(orientation);
  fFirst->fParentPane = this;
  fSecond->fParentPane = this;
  fOrientation = stacked ? kStacked : kSideBySide;
  fSplitter = new VSplitterBar(this, fOrientation);

  if (minimum != -1) {
    if (position < minimum) position = minimum;
    if (size - position - kSplitterThickness < minimum) {
      position = size - minimum - kSplitterThickness;
    }
  }
  // A split far past the pane would leave the second child a negative size.
  position = std::clamp(position, 0, size - kSplitterThickness);
  const int32_t W = GetWidth();
  const int32_t H = GetHeight();
  if (stacked) {
    fSplitter->MoveTo(0, position, 1);
    fSplitter->ResizeTo(W, kSplitterThickness, 1);
    fFirst->MoveTo(0, 0, 1);
    fFirst->ResizeTo(W, position, 1);
    fSecond->MoveTo(0, position + kSplitterThickness, 1);
    fSecond->ResizeTo(W, H - position - kSplitterThickness, 1);
    fSecond->ScrollBy(0, position, 1);
  } else {
    fSplitter->MoveTo(position, 0, 1);
    fSplitter->ResizeTo(kSplitterThickness, H, 1);
    fFirst->MoveTo(0, 0, 1);
    fFirst->ResizeTo(position, H, 1);
    fSecond->MoveTo(position + kSplitterThickness, 0, 1);
    fSecond->ResizeTo(W - position - kSplitterThickness, H, 1);
    fSecond->ScrollBy(position, 0, 1);
  }
  const bool active = AskParentState();
  fFirst->Activate(active);
  fSecond->Activate(active);
  if (focus != nullptr && GetFocusFrame() != focus) focus->TakeFocus();
  return true;
}

void VPaneView::Unsplit(bool removeFirst) {
  if (!IsSplit()) return;
  DeleteFrame(fSplitter);
  fSplitter = nullptr;
  VPaneView* removed = removeFirst ? fFirst : fSecond;
  VPaneView* kept = removeFirst ? fSecond : fFirst;
  if (removed == nullptr || kept == nullptr) return;

  VPaneView* leaf = kept;
  while (leaf->fFirst != nullptr) leaf = leaf->fFirst;
  if (leaf->fContent != nullptr) {
    VFrame* def = GetDefaultFrame();
    if (def != nullptr && removed->IsAncestorOf(def, false)) leaf->fContent->MakeDefaultFrame();
    VFrame* focus = GetFocusFrame();
    if (focus != nullptr && removed->IsAncestorOf(focus, false)) leaf->fContent->TakeFocus();
  }
  DeleteFrame(removed);

  VFrame* focus = GetFocusFrame();
  // What this pane takes over, read before the moves clear it there.
  const uint8_t orientation = kept->fOrientation;
  VSplitterBar* bar = kept->fSplitter;
  VPaneView* first = kept->fFirst;
  VPaneView* second = kept->fSecond;
  VFrame* views[kPlaceCount];
  std::copy(std::begin(kept->fViews), std::end(kept->fViews), views);
  VScrolledView* content = kept->fContent;
  VScrollBar* hbar = kept->fHorizontalBar;
  VScrollBar* vbar = kept->fVerticalBar;
  VSplitBox* hbox = kept->fHorizontalBox;
  VSplitBox* vbox = kept->fVerticalBox;
  const uint8_t hwanted = kept->fHorizontalBoxWanted;
  const uint8_t vwanted = kept->fVerticalBoxWanted;

  MoveSubFrames(kept, this);

  fOrientation = orientation;
  fSplitter = bar;
  fFirst = first;
  fSecond = second;
  if (fFirst != nullptr) fFirst->fParentPane = this;
  if (fSecond != nullptr) fSecond->fParentPane = this;
  fHorizontalBoxWanted = hwanted;
  fVerticalBoxWanted = vwanted;
  std::copy(std::begin(views), std::end(views), fViews);
  fContent = content;
  fHorizontalBar = hbar;
  fVerticalBar = vbar;
  fHorizontalBox = hbox;
  fVerticalBox = vbox;

  DeleteFrame(kept);
  if (focus != nullptr && GetFocusFrame() != focus) focus->TakeFocus();
  Layout(1);
  Invalidate(2);
}

void VPaneView::GetCollapseLimits(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) {
  left = top = right = bottom = kCollapseMinimum;
  if (fVerticalBar != nullptr && fVerticalBar->IsShown()) right += kCollapseBarRoom;
  if (fHorizontalBar != nullptr && fHorizontalBar->IsShown()) bottom += kCollapseBarRoom;
}

void VPaneView::MoveSplitter(int32_t delta) {
  if (!IsSplit() || fFirst == nullptr || fSecond == nullptr) return;
  const bool stacked = fOrientation == kStacked;
  const int32_t m = stacked ? fMinimumHeight : fMinimumWidth;
  const int32_t s1 = stacked ? fFirst->GetHeight() : fFirst->GetWidth();
  const int32_t s2 = stacked ? fSecond->GetHeight() : fSecond->GetWidth();
  if (m != -1) {
    if (delta < 0 && s1 + delta < m) delta = m - s1;
    if (delta >= 0 && s2 - delta < m) delta = s2 - m;
  }
  // Without a minimum neither child is left a negative size.
  delta = std::clamp(delta, -s1, std::max(-s1, s2));
  int32_t x = 0, y = 0;
  if (stacked) {
    fFirst->ResizeTo(fFirst->GetWidth(), s1 + delta, 1);
    fFirst->GetPosition(x, y);
    const int32_t barY = y + fFirst->GetHeight();
    fSplitter->GetPosition(x, y);
    fSplitter->MoveTo(x, barY, 1);
    const int32_t secondY = barY + fSplitter->GetHeight();
    fSecond->GetPosition(x, y);
    fSecond->MoveTo(x, secondY, 1);
    fSecond->ResizeTo(fSecond->GetWidth(), GetHeight() - secondY, 1);
  } else {
    fFirst->ResizeTo(s1 + delta, fFirst->GetHeight(), 1);
    fFirst->GetPosition(x, y);
    const int32_t barX = x + fFirst->GetWidth();
    fSplitter->GetPosition(x, y);
    fSplitter->MoveTo(barX, y, 1);
    const int32_t secondX = barX + fSplitter->GetWidth();
    fSecond->GetPosition(x, y);
    fSecond->MoveTo(secondX, y, 1);
    fSecond->ResizeTo(GetWidth() - secondX, fSecond->GetHeight(), 1);
  }
  Invalidate(2);
}

void VPaneView::DragSplitterBy(int32_t delta) {
  if (!IsSplit()) return;
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  GetCollapseLimits(left, top, right, bottom);
  int32_t x = 0, y = 0;
  fSplitter->GetPosition(x, y);
  bool collapse = false;
  if (fOrientation == kStacked) {
    collapse = y + delta < top || GetHeight() - (y + fSplitter->GetHeight() + delta) < bottom;
  } else {
    // The bar's width is not taken off here.
    collapse = x + delta < left || GetWidth() - (x + delta) < right;
  }
  if (collapse) {
    Unsplit(delta < 0);
  } else {
    MoveSplitter(delta);
  }
}

bool VPaneView::TrackSplitBox(VSplitBox* box, VEvent& event) {
  if (box == nullptr || fContent == nullptr) return false;
  int32_t bx = 0, by = 0;
  box->GetPosition(bx, by);
  event.Offset(bx, by);
  int32_t cx = 0, cy = 0;
  fContent->GetPosition(cx, cy);
  const uint8_t kind = box->GetBoxKind();
  const int32_t start = kind == 1 ? by : bx;
  const int32_t maximum = kind == 1 ? cy + fContent->GetHeight() - kSplitterThickness
                                    : cx + fContent->GetWidth() - kSplitterThickness;
  VPoint p0, p1;
  {
    VSplitterDragger dragger(this, event, start, 0, maximum, kind);
    dragger.Track();
    dragger.GetStartPoint(p0, 2);
    dragger.GetCurrentPoint(p1, 2);
  }
  const int32_t delta = kind == 1 ? p1.GetY() - p0.GetY() : p1.GetX() - p0.GetX();
  if (delta > kSplitterThickness || delta < -kSplitterThickness) return Split(kind, delta);
  return false;
}

bool VPaneView::TrackSplitterBar(VSplitterBar* bar, VEvent& event) {
  if (bar == nullptr || !IsSplit()) return false;
  int32_t bx = 0, by = 0;
  bar->GetPosition(bx, by);
  event.Offset(bx, by);
  const uint8_t orientation = fOrientation;
  const int32_t start = orientation == kStacked ? by : bx;
  const int32_t maximum = (orientation == kStacked ? GetHeight() : GetWidth()) - kSplitterThickness;
  VPoint p0, p1;
  {
    VSplitterDragger dragger(this, event, start, 0, maximum, orientation);
    dragger.Track();
    dragger.GetStartPoint(p0, 2);
    dragger.GetCurrentPoint(p1, 2);
  }
  DragSplitterBy(orientation == kStacked ? p1.GetY() - p0.GetY() : p1.GetX() - p0.GetX());
  return true;
}

// ---- The tree.

VPaneView* VPaneView::GetRootPane() {
  VPaneView* p = this;
  while (p->fParentPane != nullptr) p = p->fParentPane;
  return p;
}

bool VPaneView::IsAtTopEdge() {
  if (IsSplit()) return false;
  int32_t x = 0, y = 0, rx = 0, ry = 0;
  GetOrigin(x, y);
  GetRootPane()->GetOrigin(rx, ry);
  return y == ry;
}

bool VPaneView::IsAtLeftEdge() {
  if (IsSplit()) return false;
  int32_t x = 0, y = 0, rx = 0, ry = 0;
  GetOrigin(x, y);
  GetRootPane()->GetOrigin(rx, ry);
  return x == rx;
}

bool VPaneView::IsAtRightEdge() {
  if (IsSplit()) return false;
  VPaneView* root = GetRootPane();
  int32_t x = 0, y = 0, rx = 0, ry = 0;
  GetOrigin(x, y);
  root->GetOrigin(rx, ry);
  return x + GetWidth() == rx + root->GetWidth();
}

bool VPaneView::IsAtBottomEdge() {
  if (IsSplit()) return false;
  VPaneView* root = GetRootPane();
  int32_t x = 0, y = 0, rx = 0, ry = 0;
  GetOrigin(x, y);
  root->GetOrigin(rx, ry);
  return y + GetHeight() == ry + root->GetHeight();
}

void VPaneView::CollectLeaves(VListOf<VPaneView*>& list) {
  if (IsSplit()) {
    if (fFirst != nullptr) fFirst->CollectLeaves(list);
    if (fSecond != nullptr) fSecond->CollectLeaves(list);
    return;
  }
  VPaneView* self = this;
  list.Add(&self);
}

VScrolledView* VPaneView::GetContentView(int32_t focused) {
  if (focused != 0) {
    VFrame* answer = nullptr;
    NotifyParent(this, kMsgGetFocusedContent, reinterpret_cast<intptr_t>(&answer));
    return dynamic_cast<VScrolledView*>(answer);
  }
  if (IsSplit()) return fFirst != nullptr ? fFirst->GetContentView(0) : nullptr;
  return fContent;
}

// ---- Copies.

VFrame* VPaneView::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VPaneView(newParent, fVerticalBar != nullptr, fHorizontalBar != nullptr,
                             fVerticalBoxWanted != 0, fHorizontalBoxWanted != 0);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VPaneView::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  // Only the frame's own state: the pane copies its sub-frames by place.
  VFrame::CopyFrom(newParent, source, word);
  const auto* other = dynamic_cast<const VPaneView*>(&source);
  if (other == nullptr) return;
  for (int i = 0; i < kPlaceCount; ++i) {
    if (other->fViews[i] != nullptr) fViews[i] = other->fViews[i]->Clone(this, word);
  }
  if (other->fContent != nullptr) {
    fContent = dynamic_cast<VScrolledView*>(other->fContent->Clone(this, word));
  }
  fMovesPixels = other->fMovesPixels;
  fMinimumWidth = other->fMinimumWidth;
  fMinimumHeight = other->fMinimumHeight;
  fHorizontalBoxWanted = other->fHorizontalBoxWanted;
  fVerticalBoxWanted = other->fVerticalBoxWanted;
  std::copy(std::begin(other->fCornerModes), std::end(other->fCornerModes), fCornerModes);
}

// ---- Scrolling.

void VPaneView::ScrollContentAndRedraw(int32_t dx, int32_t dy) {
  if (fContent != nullptr) fContent->ScrollByAndRedraw(dx, dy);
  auto scroll = [](VFrame* f, int32_t x, int32_t y) {
    if (f == nullptr || !f->HasScrollOffsets()) return;
    if (auto* s = dynamic_cast<VScrolledView*>(f)) s->ScrollByAndRedraw(x, y);
  };
  if (dx != 0) {
    scroll(fViews[kTop], dx, 0);
    scroll(fViews[kBottom], dx, 0);
  }
  if (dy != 0) {
    scroll(fViews[kLeft], 0, dy);
    scroll(fViews[kRight], 0, dy);
  }
}

void VPaneView::ScrollContent(VPort& port, int32_t dx, int32_t dy) {
  if (dx == 0 && dy == 0) return;
  const int16_t look = port.GetLook();
  if (fContent != nullptr) {
    int32_t x = 0, y = 0;
    fContent->GetPosition(x, y);
    port.PushOrigin(x - fContent->GetScrollX() - dx, y - fContent->GetScrollY() - dy);
    fContent->ScrollBy(&port, dx, dy);
    port.PopOrigin();
  }
  // The bands that scroll with the content move along one axis each.
  auto band = [&port, look](VFrame* f, int32_t bx, int32_t by) {
    if (f == nullptr || !f->HasScrollOffsets()) return;
    auto* s = dynamic_cast<VScrolledView*>(f);
    if (s == nullptr) return;
    const int32_t d = bx != 0 ? bx : by;
    if (!s->IsShown()) {
      s->ScrollByAndRedraw(bx, by);
    } else if (d == 0) {
      // Not moved: not drawn again either.
      s->SetDrawsParentBehind(false);
    } else {
      int32_t x = 0, y = 0;
      s->GetPosition(x, y);
      port.SetLook(look);
      port.PushOrigin(x - (bx != 0 ? s->GetScrollX() + bx : 0),
                      y - (by != 0 ? s->GetScrollY() + by : 0));
      s->ScrollBy(&port, bx, by);
      port.PopOrigin();
    }
  };
  band(fViews[kTop], dx, 0);
  band(fViews[kBottom], dx, 0);
  band(fViews[kLeft], 0, dy);
  band(fViews[kRight], 0, dy);
}

// ---- Messages.

void VPaneView::PassDown(int32_t message, intptr_t parameter) {
  if (fFirst != nullptr) fFirst->NotifyParent(this, message, parameter);
  if (fSecond != nullptr) fSecond->NotifyParent(this, message, parameter);
}

bool VPaneView::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  if (fParent == nullptr) return false;
  switch (message) {
    case kMsgContentSizeChanged:
      if (fParentPane != nullptr && sender != fParentPane) {
        return fParentPane->NotifyParent(sender, message, parameter);
      }
      if (IsSplit()) {
        PassDown(message, 0);
      } else if (fContent != nullptr) {
        Layout(1);
      }
      return true;
    case kMsgGetFocusedContent: {
      if (fParentPane != nullptr && sender != fParentPane) {
        return fParentPane->NotifyParent(sender, message, parameter);
      }
      auto* answer = reinterpret_cast<VFrame**>(parameter);
      if (answer == nullptr) return true;
      if (IsSplit()) {
        if (fFirst != nullptr) fFirst->NotifyParent(this, message, parameter);
        if (*answer == nullptr && fSecond != nullptr) {
          fSecond->NotifyParent(this, message, parameter);
        }
      } else {
        *answer = fContent != nullptr && fContent->IsFocused() ? fContent : nullptr;
      }
      return true;
    }
    case kMsgSplitBoxPressed:
      if (parameter == 0) return false;
      return TrackSplitBox(dynamic_cast<VSplitBox*>(sender), *reinterpret_cast<VEvent*>(parameter));
    case kMsgSplitterBarPressed:
      if (parameter == 0) return false;
      return TrackSplitterBar(dynamic_cast<VSplitterBar*>(sender),
                              *reinterpret_cast<VEvent*>(parameter));
    case kMsgSplitterBarDoubleClicked: Unsplit(true); return true;
    default: return VScrollContainer::NotifyParent(sender, message, parameter);
  }
}
