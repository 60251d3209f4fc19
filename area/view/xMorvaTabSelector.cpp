// The tab selector: the kind a new tab stop takes, shown and chosen.
#include "area/view/xMorvaTabSelector.h"

#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaRuler.h"
#include "area/view/xMorvaRulerLook.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaDocument.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"
#include "views/VEvent.h"

using namespace xMorvaRulerLook;

namespace {

constexpr const char* kIconNames[xMorvaTabSelector::kKindCount] = {
    "LeftTabulation", "CenteredTabulation", "RightTabulation", "DecimalTabulation",
    "BarTabulation"};
constexpr int32_t kLookSquare = 18;
// The square the kind shows in, and where its icon stands.
constexpr int32_t kSquareLeft = 3;
constexpr int32_t kSquareWidth = 18;
constexpr int32_t kSquareHeight = 17;
constexpr int32_t kIconAt = 7;
// Presses inside this square open the menu, below its lower left corner.
constexpr int32_t kPressFrom = 4;
constexpr int32_t kPressTo = 20;

}  // namespace

xMorvaTabSelector::xMorvaTabSelector(VFrame* parent, xMorvaFrame* textView,
                                     xMorvaDocument* document)
    : VFrame(parent, nullptr), fTextView(textView), fDocument(document) {
  ResizeTo(kSize, kSize, 0);
  if (GetPort() != nullptr) {
    VResourceFile* file = xMorvaRuler::PictureFile(textView);
    for (int32_t i = 0; i < kKindCount; ++i) fIcons[i].reset(new VIconShape(file, kIconNames[i]));
    FlushWindow();
  }
}

xMorvaTabSelector::~xMorvaTabSelector() {
  if (fTextView != nullptr) fTextView->DetachRulerPart(this);
}

void xMorvaTabSelector::SetCurrentKind(int16_t kind) {
  if (kind < 1 || kind > kKindCount || kind == fCurrentKind) return;
  fCurrentKind = kind;
  Invalidate(1);
}

int16_t xMorvaTabSelector::KindOfCommand(int32_t command) {
  const int32_t kind = command - kFirstKindCommand + 1;
  return kind >= 1 && kind <= kKindCount ? int16_t(kind) : int16_t(0);
}

void xMorvaTabSelector::DrawContent(VPort& port) {
  if (!IsShown()) return;
  DrawLookElement(port, kLookBackground, 0, nullptr, 0);
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  const bool continuous = fDocument != nullptr && fDocument->GetParams().GetViewMode() == 1;
  // Continuous text has no vertical ruler beneath: the square closes on
  // its right as well as at its bottom.
  port.SetPenColorIndex(kColourOuterEdge);
  port.DrawLine(0, 0, w - 1, 0);
  port.DrawLine(0, 0, 0, h - 1);
  port.SetPenColorIndex(kColourInnerEdge);
  port.DrawLine(0, h - 1, w - 1, h - 1);
  if (continuous) port.DrawLine(w - 1, 0, w - 1, h - 1);
  port.SetPenColorIndex(kColourInnerLight);
  port.DrawLine(1, h - 2, w - 2, h - 2);
  if (continuous) port.DrawLine(w - 2, 1, w - 2, h - 2);
  port.SetPenColorIndex(kColourOuterEdge);
  port.DrawLine(0, h - 1, 0, h - 1);
  const int32_t square[4] = {kSquareLeft, kSquareLeft, kSquareWidth, kSquareHeight};
  DrawLookElement(port, kLookSquare, 0, square, 0);
  // Loaded on first use: a selector made before its window has no port.
  std::unique_ptr<VIconShape>& slot = fIcons[fCurrentKind - 1];
  if (!slot) {
    slot.reset(new VIconShape(xMorvaRuler::PictureFile(fTextView), kIconNames[fCurrentKind - 1]));
  }
  VIconShape* icon = slot.get();
  if (icon != nullptr && icon->GetData() != 0) {
    icon->SetPosition(kIconAt, kIconAt);
    port.DrawIcon(*icon, 0);
  }
}

bool xMorvaTabSelector::MouseDown(VEvent& event) {
  if (!IsShown()) return true;
  const int32_t x = event.GetX();
  const int32_t y = event.GetY();
  if (x < kPressFrom || x > kPressTo || y < kPressFrom || y > kPressTo) return true;
  xMorvaPlugIn* area = fTextView != nullptr ? fTextView->GetArea() : nullptr;
  xMorvaMain* package = area != nullptr ? area->GetMorvaPackage() : nullptr;
  if (package == nullptr) return true;
  // The kinds may be chosen unless the host forbade their commands.
  for (int32_t id = kFirstKindCommand; id < kFirstKindCommand + kKindCount; ++id) {
    if (area->IsCommandAllowed(id)) area->EnableCommand(id, true, 0);
  }
  PopUpMenu(package->GetResourceBase() + kMenuOffset, fCurrentKind, kPressFrom, kPressTo, 0);
  return true;
}

bool xMorvaTabSelector::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  if (message >= 1 && fTextView != nullptr)
    return fTextView->NotifyParent(this, message, parameter);
  return VFrame::NotifyParent(sender, message, parameter);
}
