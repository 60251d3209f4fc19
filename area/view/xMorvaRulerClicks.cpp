// Presses on the horizontal ruler: the three indent markers, the page
// margins and the column spacing (page view), and the tab stops, each
// dragged and then applied to the document.
#include <algorithm>
#include <cstdlib>

#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaRuler.h"
#include "area/view/xMorvaRulerLook.h"
#include "area/view/xMorvaTabSelector.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentArea.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaText.h"
#include "engine/xMorvaEngine.h"
#include "views/VEvent.h"

namespace {

// Below this line the left indent's picture moves the first line along.
constexpr int32_t kLeftIndentLowerPart = 16;
// Margins and spacing are taken within this band.
constexpr int32_t kMarginBandTop = 2;
constexpr int32_t kMarginBandBottom = 19;
// The command of the tab stops dialog, offered to the area's method first.
constexpr int32_t kCommandTabsDialog = 753;
// The undo step of a ruler drag: kind 0, for the property dragged (the
// left indent, or property 64 for a tab list change).
constexpr uint16_t kUndoKindProperty = 0;

}  // namespace

void xMorvaHRuler::Press(const VEvent& event, int32_t x, int32_t y) {
  if (fDocument == nullptr || fTextView == nullptr || fDocument->GetCurrentPart() == nullptr)
    return;
  xMorvaHRulerGeometry g;
  GetGeometry(g);
  if (PressIndent(event, g, x, y)) return;
  if (PressMargin(event, g, x, y)) return;
  PressTab(event, g, x, y);
}

bool xMorvaHRuler::PressIndent(const VEvent& event, const xMorvaHRulerGeometry& g, int32_t x,
                               int32_t y) {
  VRect leftBox, firstBox, rightBox;
  GetIndentBoxes(g, leftBox, firstBox, rightBox);
  const VPoint p(x, y);
  xMorvaTextInterface* text = fDocument->GetCurrentPart();
  const int32_t left = text->GetPropertyValue(kPropLeftIndent);
  const int32_t first = text->GetPropertyValue(kPropFirstLineIndent);
  const int32_t right = text->GetPropertyValue(kPropRightIndent);
  int32_t kind = kDragNone, value = 0, marker = 0, minimum = 0, maximum = 0;
  bool forward = true;
  uint16_t property = kPropLeftIndent;
  if (firstBox.Contains(p)) {
    kind = kDragFirstLine;
    property = kPropFirstLineIndent;
    value = first;
    marker = g.columnLeft + left + first;
    fDocument->GetFirstLineRangeOfSelection(minimum, maximum);
  } else if (rightBox.Contains(p)) {
    kind = kDragRightIndent;
    property = kPropRightIndent;
    value = right;
    forward = false;
    marker = g.columnLeft + g.columnWidth - right;
    fDocument->GetRightIndentRangeOfSelection(minimum, maximum);
  } else if (leftBox.Contains(p)) {
    value = left;
    marker = g.columnLeft + left;
    if (y < kLeftIndentLowerPart) {
      // The first line keeps its place: only the left edge moves.
      kind = kDragLeftKeepFirst;
      fDocument->GetLeftAndFirstRangeOfSelection(minimum, maximum);
    } else {
      kind = kDragLeftWithFirst;
      fDocument->GetLeftIndentRangeOfSelection(minimum, maximum);
    }
  } else {
    return false;
  }
  const int32_t v = Drag(event, true, kind, value, forward, marker, minimum, maximum, nullptr);
  const auto* engine = static_cast<const xMorvaEngine*>(text);
  const bool uniform = engine->GetPropertiesStates().GetState(property) != 0;
  if (v != value || !uniform) {
    // One drag, one undo step, though the upper left marker sets two
    // indents (as command 14 sets three in one): undone halfway, the
    // paragraph would show indents the user never had.
    fDocument->BeginChange();
    text->BeginUndoStep(kUndoKindProperty, property);
    int32_t result = text->SetPropertyValue(property, v);
    if (result == 0 && kind == kDragLeftKeepFirst)
      result = text->SetPropertyValue(kPropFirstLineIndent, first + left - v);
    text->EndUndoStep(result);
    fDocument->EndChange();
  }
  AfterRulerChange();
  return true;
}

bool xMorvaHRuler::PressMargin(const VEvent& event, const xMorvaHRulerGeometry& g, int32_t x,
                               int32_t y) {
  if (!g.pageView || y < kMarginBandTop || y > kMarginBandBottom) return false;
  xMorvaDocParams& params = fDocument->Params();
  int32_t kind = kDragNone, value = 0, marker = 0, minimum = 0, maximum = 0;
  bool forward = true;
  const int64_t textRight = int64_t(g.textLeft) + g.textWidth;
  if (xMorvaRulerLook::NearEdge(x, textRight)) {
    kind = kDragRightMargin;
    value = params.GetRightMargin();
    forward = false;
    marker = int32_t(textRight);
    fDocument->GetRightMarginRange(minimum, maximum);
  } else if (xMorvaRulerLook::NearEdge(x, g.textLeft)) {
    kind = kDragLeftMargin;
    value = params.GetLeftMargin();
    marker = g.textLeft;
    fDocument->GetLeftMarginRange(minimum, maximum);
  } else if (fDocument->IsBodyCurrent() && g.columns > 1) {
    // Either edge of a gap drags half the spacing: the gap widens on both
    // sides at once.
    const int64_t shared = int64_t(g.textWidth) - int64_t(g.columns - 1) * g.spacing;
    for (int32_t k = 1; k < g.columns && kind == kDragNone; ++k) {
      const int64_t nextLeft = g.textLeft + shared * k / g.columns + int64_t(k) * g.spacing;
      if (xMorvaRulerLook::NearEdge(x, nextLeft)) {
        kind = kDragColumnSpacing;
        marker = int32_t(nextLeft);
      } else if (xMorvaRulerLook::NearEdge(x, nextLeft - g.spacing)) {
        kind = kDragColumnSpacing;
        forward = false;
        marker = int32_t(nextLeft - g.spacing);
      }
    }
    if (kind == kDragNone) return false;
    value = params.GetColumnSpacing() / 2;
    params.ColumnSpacingRange(*fDocument, minimum, maximum);
    minimum /= 2;
    maximum /= 2;
  } else {
    return false;
  }
  const int32_t v = Drag(event, true, kind, value, forward, marker, minimum, maximum, nullptr);
  if (v == value) return true;
  switch (kind) {
    case kDragLeftMargin: params.SetLeftMargin(v); break;
    case kDragRightMargin: params.SetRightMargin(v); break;
    default: params.SetColumnSpacing(2 * v); break;
  }
  fDocument->UpdateReferencePrinter();
  fDocument->SetModified();
  fDocument->Refresh(false, true);
  return true;
}

void xMorvaHRuler::PressTab(const VEvent& event, const xMorvaHRulerGeometry& g, int32_t x,
                            int32_t) {
  if (x < g.columnLeft || int64_t(x) > int64_t(g.columnLeft) + g.columnWidth) return;
  xMorvaTextInterface* text = fDocument->GetCurrentPart();
  const xMorvaTabs& tabs = text->GetCurrentTabs();
  // A new stop of the kind the selector shows, unless the press is on a
  // stop of the paragraph, which is then taken as it is.
  int32_t index = -1;
  int32_t position = x - g.columnLeft;
  uint8_t kind = kTabLeft;
  if (xMorvaTabSelector* selector = fTextView->GetTabSelector())
    kind = uint8_t(selector->GetCurrentKind());
  uint8_t leader = 0;
  int32_t nearest = kTabReach + 1;
  for (int32_t i = 0; i < tabs.Count(); ++i) {
    const uint32_t stop = tabs.StopAt(i);
    const int32_t distance = std::abs(g.columnLeft + TabStopPosition(stop) - x);
    if (distance <= kTabReach && distance < nearest) {
      nearest = distance;
      index = i;
    }
  }
  const int32_t oldPosition = index >= 0 ? TabStopPosition(tabs.StopAt(index)) : 0;
  if (index >= 0) {
    position = oldPosition;
    kind = TabStopKind(tabs.StopAt(index));
    leader = TabStopLeader(tabs.StopAt(index));
  }
  if (event.IsDoubleClick()) {
    if (xMorvaDocumentArea* area = fDocument->GetArea();
        area != nullptr && !area->CallAreaCallback(kCommandTabsDialog)) {
      area->RunTabulationsDialog(position);
    }
    return;
  }
  // A paragraph holds no more stops than this.
  if (index < 0 && tabs.Count() >= xMorvaTabs::kCapacity) return;
  int32_t minimum = 0, maximum = 0;
  fDocument->TextWidthRange(minimum, maximum);
  fDraggedTab = index;
  fDraggedTabKind = kind;
  bool pulledOff = false;
  const int32_t v = Drag(event, true, kDragTab, position, true, g.columnLeft + position, minimum,
                         maximum, &pulledOff);
  fDraggedTab = -1;
  if (index < 0 && pulledOff) return;
  fDocument->BeginChange();
  text->BeginUndoStep(kUndoKindProperty, kPropTabs);
  int32_t result = 0;
  // The old stop goes first (a stop of kind 0 at its place removes it).
  if (index >= 0)
    result =
        text->SetPropertyValue(kPropTabs, int32_t(MakeTabStop(int16_t(oldPosition), 0, kTabNone)));
  if (result == 0 && !pulledOff) {
    result = text->SetPropertyValue(kPropTabs, int32_t(MakeTabStop(int16_t(v), leader, kind)));
  }
  text->EndUndoStep(result);
  fDocument->EndChange();
  AfterRulerChange();
}
