// VFrame: placement, invalidation, drawing, the input method and the frame
// side of the focus protocol.
#include "views/VFrame.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/core/VService.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VCursor.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"
#include "views/VCommand.h"
#include "views/VDragTypeList.h"
#include "views/VEvent.h"
#include "views/VWindowView.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPort.h"
#include "graphics/VRegion.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

#include "views/VFrameServices.h"

namespace {

// a * b / c rounded half away from zero, as the platform's multiply-divide.
int32_t MulDivRound(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const int64_t p = static_cast<int64_t>(a) * b;
  const int64_t q = (std::llabs(p) + std::llabs(static_cast<int64_t>(c)) / 2) / std::llabs(c);
  return static_cast<int32_t>(((p < 0) != (c < 0)) ? -q : q);
}

}  // namespace

VFrame::VFrame(VFrame* parent, const int32_t* rect) : fParent(parent) {
  if (fParent != nullptr) {
    fParent->AddSubView(this);
    fOriginX = fParent->fOriginX;
    fOriginY = fParent->fOriginY;
  }
  if (rect != nullptr) {
    fX = rect[0];
    fY = rect[1];
    fWidth = rect[2];
    fHeight = rect[3];
    fOriginX += fX;
    fOriginY += fY;
  } else if (fParent != nullptr) {
    fWidth = fParent->fWidth;
    fHeight = fParent->fHeight;
  }
  if (GetWindowHandle() != nullptr) Invalidate(1);
}

VFrame::~VFrame() {
  NotifyParent(this, kMsgFrameLeaving, 0);
  VFrame::Close();
  delete fTitle;
  fTitle = nullptr;
  if (fParent != nullptr) fParent->RemoveSubView(this);
  fParent = nullptr;
}

// ---- Place and size.

void VFrame::MoveTo(int32_t x, int32_t y, int16_t mode) {
  if (fParent != nullptr) {
    if (mode != 0) Invalidate(1);
    fX = x;
    fY = y;
    UpdateOrigin(fParent->HasScrollOffsets());
    Invalidate(mode);
  } else {
    fX = x;
    fY = y;
    fOriginX = 0;
    fOriginY = 0;
  }
  if (fCompositionX != -1 && fCompositionY != -1) {
    HWND window = GetWindowHandle();
    if (window == nullptr) return;
    HIMC context = ImmGetContext(window);
    if (context == nullptr) return;
    if (ImmGetOpenStatus(context)) PlaceComposition(window, context);
    ImmReleaseContext(window, context);
  }
}

void VFrame::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  if (width == fWidth && height == fHeight) return;
  const bool shown = IsShown();
  if (shown && mode != 0) Invalidate(1);
  fWidth = width;
  fHeight = height;
  if (shown) Invalidate(mode);
}

void VFrame::UpdateOrigin(bool subtractParentScroll) {
  if (fParent == nullptr) return;
  fOriginX = fParent->fOriginX + fX;
  fOriginY = fParent->fOriginY + fY;
  if (subtractParentScroll) {
    int32_t sx = 0;
    int32_t sy = 0;
    fParent->GetScrollOffsets(sx, sy);
    fOriginX -= sx;
    fOriginY -= sy;
  }
}

bool VFrame::ContainsLocal(const VPoint& p) const {
  return p.GetX() >= 0 && p.GetX() < fWidth && p.GetY() >= 0 && p.GetY() < fHeight;
}

bool VFrame::Contains(const VPoint& p) const {
  return p.GetX() >= fX && p.GetX() < fX + fWidth && p.GetY() >= fY && p.GetY() < fY + fHeight;
}

void VFrame::GetScrollOffsets(int32_t& x, int32_t& y) const {
  x = 0;
  y = 0;
}

// ---- Drawing and invalidation.

void VFrame::DrawContent(VPort& port) {
  port.SetPenWidth(1);
  port.SetPenColorIndex(10);
  port.SetFillColorIndex(0);
  port.PaintAndFrameRect(0, 0, fWidth, fHeight);
}

void VFrame::Invalidate(int16_t mode) {
  if (mode == 3) {
    InvalidateChild(this);
  } else {
    InvalidateRect(0, 0, fWidth, fHeight, mode);
  }
}

void VFrame::InvalidateChild(VFrame* frame) {
  if (fParent != nullptr) {
    fParent->InvalidateChild(frame);
  } else if (frame != nullptr) {
    frame->Invalidate(1);
  }
}

void VFrame::InvalidateRect(int32_t x, int32_t y, int32_t width, int32_t height, int16_t mode) {
  if (mode == 0) return;
  HWND window = GetWindowHandle();
  if (window == nullptr) return;
  if (mode == 2) {
    VRegion visible;
    GetVisibleRegion(visible);
    if (visible.IsEmpty()) return;
    VPort* port = GetPort();
    if (port == nullptr) {
      mode = 1;
    } else {
      // The visible region is in window coordinates, those of the window
      // port's device.
      port->PushClip(false);
      port->ClipToRegion(visible, false);
      if (fDrawsParentBehind != 0 && fParent != nullptr) {
        port->PushOrigin(-fX, -fY);
        port->BeginOffscreen(fParent);
        port->ClipToFrame(this, nullptr, true);
        fParent->Draw(*port);
        port->CopyRectToScreen(VRect(fX, fY, fWidth, fHeight), false);
        port->PopOrigin();
      } else {
        int32_t sx = 0;
        int32_t sy = 0;
        const bool scrolls = HasScrollOffsets();
        if (scrolls) {
          GetScrollOffsets(sx, sy);
          port->PushOrigin(-sx, -sy);
        }
        port->BeginOffscreen(this);
        Draw(*port);
        port->CopyToScreen(false);
        if (scrolls) port->PopOrigin();
      }
      port->PopClip();
      // The flush hands the port back with its origins popped.
      FlushWindow();
    }
  }
  const RECT r{fOriginX + x, fOriginY + y, fOriginX + x + width, fOriginY + y + height};
  InvalidateWindowRect(window, r, mode == 2);
}

void VFrame::InvalidateWindowRect(HWND window, const RECT& rect, bool validate) {
  if (fParent != nullptr) fParent->InvalidateWindowRect(window, rect, validate);
}

void VFrame::GetVisibleRegion(VRegion& region) const {
  if (fParent != nullptr) {
    fParent->GetVisibleRegion(region);
    if (region.IsEmpty()) return;
    region.IntersectBox(fOriginX, fOriginY, fWidth, fHeight);
    fParent->SubtractSiblingsAbove(this, region);
  } else {
    region.SetBox(fOriginX, fOriginY, fWidth, fHeight);
  }
}

void VFrame::Draw(VPort& port) {
  if (!IsShown() || !port.IsFrameVisible(this, nullptr)) return;
  port.PushClip(false);
  port.ClipToFrame(this, nullptr, true);
  if (fLookIndex > -2) port.SetLook(fLookIndex);
  DrawContent(port);
  port.PopClip();
}

VPort* VFrame::GetPort() {
  if (fParent == nullptr) return nullptr;
  VPort* port = fParent->GetPort();
  if (port == nullptr) return nullptr;
  if (fLookIndex > -2) port->SetLook(fLookIndex);
  port->PushOrigin(fX, fY);
  return port;
}

void VFrame::FlushWindow() {
  if (fParent != nullptr) fParent->FlushWindow();
}

void VFrame::ScrollPixels(int32_t dx, int32_t dy, VRegion& region) {
  if (std::abs(dx) >= fWidth || std::abs(dy) >= fHeight) {
    region.SetBox(0, 0, fWidth, fHeight);
    return;
  }
  HWND window = GetWindowHandle();
  if (window == nullptr) {
    region.SetBox(0, 0, fWidth, fHeight);
    return;
  }
  HDC dc = GetDC(window);
  if (dc == nullptr) {
    region.SetBox(0, 0, fWidth, fHeight);
    return;
  }
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  const bool hadClip = saved != nullptr && GetClipRgn(dc, saved) == 1;
  VRegion visible;
  GetVisibleRegion(visible);
  SelectClipRgn(dc, visible.GetHandle());
  const RECT box{fOriginX, fOriginY, fOriginX + fWidth, fOriginY + fHeight};
  HRGN uncovered = CreateRectRgn(0, 0, 0, 0);
  ScrollDC(dc, dx, dy, &box, &box, uncovered, nullptr);
  SelectClipRgn(dc, hadClip ? saved : nullptr);
  if (saved != nullptr) DeleteObject(saved);
  ReleaseDC(window, dc);
  region.SetEmpty();
  if (uncovered != nullptr) {
    VRegion moved(uncovered, false);
    region.Assign(moved);
    DeleteObject(uncovered);
  }
  if (region.GetHandle() != nullptr) OffsetRgn(region.GetHandle(), -fOriginX, -fOriginY);
}

// ---- Title, visibility.

void VFrame::SetTitle(const char* text) {
  VStr<255> s;
  s.SetCText(text != nullptr ? text : "", kCharSetAnsi);
  SetTitle(s);
}

void VFrame::SetTitlePascal(const uint8_t* text) {
  VStr<255> s;
  if (text != nullptr) s.SetPText(text, kCharSetAnsi);
  SetTitle(s);
}

void VFrame::SetTitle(const VString& text) {
  if (fTitle == nullptr) fTitle = new VStr<255>();
  fTitle->Assign(text);
  if (IsShown()) Invalidate(1);
}

const VString* VFrame::GetTitle() const { return fTitle; }

void VFrame::SetVisible(bool visible) {
  if ((fVisible != 0) == visible) return;
  SetHiddenByParent(!visible);
  fVisible = visible ? 1 : 0;
  Invalidate(1);
}

bool VFrame::AskParentState() { return fParent != nullptr && fParent->AskParentState(); }

// ---- Mouse and keys.

bool VFrame::MouseDown(VEvent&) { return false; }
bool VFrame::ControlMouseDown(VEvent&) { return false; }
bool VFrame::MouseUp(VEvent&) { return false; }
bool VFrame::ControlMouseUp(VEvent&) { return false; }
void VFrame::MouseWheel(VEvent&) {}
int32_t VFrame::HandleKey(VEvent&) { return kKeyNotHandled; }
void VFrame::Idle(bool) {}
void VFrame::Activated(bool) {}
void VFrame::FocusChanged(VFrame*, VFrame*) {}
void VFrame::FocusIdle() {}
void VFrame::DragHook(VEvent&) {}
void VFrame::DragHookAt(VEvent& event) { DragHook(event); }
void VFrame::CursorHook() {}

bool VFrame::DispatchMouse(VEvent& event) {
  if (event.IsButtonUp()) return event.IsContextual() ? ControlMouseUp(event) : MouseUp(event);
  return event.IsContextual() ? ControlMouseDown(event) : MouseDown(event);
}

void VFrame::DispatchWheel(VEvent& event) { MouseWheel(event); }
void VFrame::Activate(bool active) { Activated(active); }
void VFrame::DispatchIdle(bool flag) { Idle(flag); }

int32_t VFrame::DispatchKey(VEvent& event) {
  int32_t answer = HandleKey(event);
  // Each frame is offered the key once, so a loop of key links ends.
  std::vector<const VFrame*> offered{this};
  for (VFrame* next = fNextKey; answer == kKeyNotHandled && next != nullptr;
       next = next->fNextKey) {
    if (std::find(offered.begin(), offered.end(), next) != offered.end()) break;
    offered.push_back(next);
    answer = next->HandleKey(event);
  }
  return answer;
}

// ---- Focus and messages.

bool VFrame::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  return fParent != nullptr && fParent->NotifyParent(sender, message, parameter);
}

void* VFrame::Query(int32_t message) {
  void* answer = nullptr;
  if (NotifyParent(this, message, reinterpret_cast<intptr_t>(&answer))) return answer;
  return nullptr;
}

VCommandKey* VFrame::FindShortcut(int32_t commandId) const {
  return fParent != nullptr ? fParent->FindShortcut(commandId) : nullptr;
}

VCommandMgr* VFrame::GetFocusManager() {
  return static_cast<VCommandMgr*>(Query(kMsgGetFocusManager));
}
VFrame* VFrame::GetDefaultFrame() { return static_cast<VFrame*>(Query(kMsgGetDefaultFrame)); }
VFrame* VFrame::GetFocusFrame() { return static_cast<VFrame*>(Query(kMsgGetFocusFrame)); }
void VFrame::MakeDefaultFrame() { NotifyParent(this, kMsgMakeDefaultFrame, 0); }
void VFrame::SetListening(bool on) { NotifyParent(this, kMsgSetListening, on ? 1 : 0); }

void VFrame::SetEnabled(bool enabled) {
  if ((fEnabled != 0) == enabled) return;
  NotifyParent(this, kMsgSetEnabled, enabled ? 1 : 0);
  fEnabled = enabled ? 1 : 0;
}

bool VFrame::IsEnabled() const { return fVisible != 0 && fEnabled != 0 && fHiddenByParent == 0; }

void VFrame::TakeFocus() {
  fFocused = 1;
  NotifyParent(this, kMsgTookFocus, 0);
}

void VFrame::LoseFocus(VFrame* next) {
  CompleteComposition();
  fFocused = 0;
  NotifyParent(this, kMsgLostFocus, reinterpret_cast<intptr_t>(next));
}

bool VFrame::RequestFocus() {
  if (fFocused != 0) return true;
  fFocused = NotifyParent(this, kMsgRequestFocus, 0) ? 1 : 0;
  return fFocused != 0;
}

void VFrame::CompleteComposition() {
  HWND window = GetWindowHandle();
  if (window == nullptr) return;
  HIMC context = ImmGetContext(window);
  if (context == nullptr) return;
  if (ImmGetOpenStatus(context)) ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
  ImmReleaseContext(window, context);
}

// ---- Cursor and input method.

void VFrame::UpdateCursor(VEvent& event, bool entered) {
  if (entered) {
    AdjustCursor(event);
  } else {
    AdjustCursorWithin(event);
  }
}

void VFrame::AdjustCursor(VEvent& event) {
  const int32_t id = GetCursorIdAt(event);
  if (gCursor != nullptr) gCursor->SetId(id);
}

void VFrame::AdjustCursorWithin(VEvent& event) { AdjustCursor(event); }
int32_t VFrame::GetCursorIdAt(VEvent&) { return fCursorId; }

void VFrame::SetCompositionPlace(const VString& fontName, int32_t points, bool bold, bool italic,
                                 int32_t x, int32_t y) {
  HWND window = GetWindowHandle();
  if (window == nullptr) return;
  HIMC context = ImmGetContext(window);
  if (context == nullptr) return;
  LOGFONTA font;
  std::memset(&font, 0, sizeof font);
  HDC screen = GetDC(nullptr);
  const int32_t dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  font.lfHeight = -MulDivRound(points, dpi, 72);
  font.lfWeight = bold ? 700 : 400;
  font.lfItalic = italic ? 1 : 0;
  font.lfCharSet = 1;
  fontName.GetCText(font.lfFaceName, sizeof font.lfFaceName, kCharSetAnsi);
  font.lfFaceName[sizeof font.lfFaceName - 1] = '\0';
  ImmSetCompositionFontA(context, &font);
  fCompositionX = x;
  fCompositionY = y;
  PlaceComposition(window, context);
  ImmReleaseContext(window, context);
}

void VFrame::PlaceComposition(HWND, void* context) {
  int32_t x = fCompositionX;
  int32_t y = fCompositionY;
  if (HasScrollOffsets()) {
    int32_t sx = 0;
    int32_t sy = 0;
    GetScrollOffsets(sx, sy);
    x -= sx;
    y -= sy;
  }
  COMPOSITIONFORM form{};
  form.dwStyle = CFS_POINT;
  form.ptCurrentPos = POINT{fOriginX + x - 1, fOriginY + y};
  ImmSetCompositionWindow(static_cast<HIMC>(context), &form);
}

// ---- Searches.

VFrame* VFrame::FindFrameAt(const VPoint& p) {
  return IsShown() && ContainsLocal(p) ? this : nullptr;
}

VFrame* VFrame::AcceptsDragAt(const VPoint& p, const VDragTypeList* dragged, uint32_t mask) {
  if (!IsShown()) return nullptr;
  VDragTypeList* types = GetDragTypes();
  if (types == nullptr || types->IsEmpty()) return nullptr;
  int32_t m1 = 0;
  int32_t m2 = 0;
  int32_t m3 = 0;
  int32_t m4 = 0;
  types->GetInsets(m1, m2, m3, m4);
  const int32_t left = -m1;
  const int32_t top = -m2;
  if (p.GetX() < left || p.GetX() >= left + fWidth + m3 || p.GetY() < top ||
      p.GetY() >= top + fHeight + m4) {
    return nullptr;
  }
  return AcceptsDrag(dragged, mask, p) ? this : nullptr;
}

bool VFrame::AcceptsDrag(const VDragTypeList* dragged, uint32_t mask, const VPoint&) {
  VDragTypeList* types = GetDragTypes();
  if (types == nullptr || dragged == nullptr) return false;
  return types->Matches(*dragged, mask);
}

VFrame* VFrame::FindClickTarget(const VPoint&, bool clickableOnly) {
  if (!IsShown()) return nullptr;
  if (clickableOnly && fClickable == 0) return nullptr;
  return this;
}

// ---- The chain's answers.

VWindowView* VFrame::GetWindowView() {
  return fParent != nullptr ? fParent->GetWindowView() : nullptr;
}

HWND VFrame::GetWindowHandle() {
  VWindowView* view = GetWindowView();
  return view != nullptr ? view->GetWindowHandle() : nullptr;
}

VFrame* VFrame::FindInChain(int32_t commandId) {
  return fParent != nullptr ? fParent->FindInChain(commandId) : nullptr;
}

VCommand* VFrame::FindCommand(int32_t commandId) {
  return fParent != nullptr ? fParent->FindCommand(commandId) : nullptr;
}

// ---- Close, copies, parents.

void VFrame::Close() {
  fClosing = 1;
  CompleteComposition();
}

VFrame* VFrame::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VFrame(newParent, nullptr);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VFrame::CopyFrom(VFrame* newParent, const VFrame& source, int32_t) {
  fX = source.fX;
  fY = source.fY;
  fWidth = source.fWidth;
  fHeight = source.fHeight;
  fOriginX = source.fOriginX;
  fOriginY = source.fOriginY;
  fCursorId = source.fCursorId;
  fClickable = source.fClickable;
  SetEnabled(source.fEnabled != 0);
  fResourceId = source.fResourceId;
  fLookIndex = source.fLookIndex;
  fVisible = source.fVisible;
  fHiddenByParent = source.fHiddenByParent;
  fParent = newParent;
  if (source.fTitle != nullptr) SetTitle(*source.fTitle);
}

bool VFrame::IsSelfOrAncestorOf(const VFrame* frame) const {
  for (const VFrame* f = frame; f != nullptr; f = f->fParent) {
    if (f == this) return true;
  }
  return false;
}

void VFrame::SetParent(VFrame* newParent) {
  if (newParent == fParent) return;
  // A frame cannot become a child of itself or of its own descendant.
  if (IsSelfOrAncestorOf(newParent)) return;
  NotifyParent(this, kMsgFrameLeaving, 0);
  if (fParent != nullptr) {
    fParent->RemoveSubView(this);
    Invalidate(1);
  }
  fParent = newParent;
  if (fParent != nullptr) {
    fParent->AddSubView(this);
    Invalidate(1);
  }
}

void VFrame::SetParentQuietly(VFrame* newParent) {
  if (newParent == fParent || IsSelfOrAncestorOf(newParent)) return;
  if (fParent != nullptr) fParent->RemoveSubView(this);
  fParent = newParent;
  if (fParent != nullptr) fParent->AddSubView(this);
}

void VFrame::GetMouseLocation(int32_t& x, int32_t& y) {
  POINT p{0, 0};
  GetCursorPos(&p);
  int32_t sx = 0;
  int32_t sy = 0;
  LocalToScreen(sx, sy);
  x = p.x - sx;
  y = p.y - sy;
}

// ---- Non-virtual.

bool VFrame::Overlaps(const VFrame& o) const {
  return fX <= o.fX + o.fWidth && fY <= o.fY + o.fHeight && fX + fWidth >= o.fX &&
         fY + fHeight >= o.fY;
}

void VFrame::LocalToScreen(int32_t& x, int32_t& y) {
  POINT p{fOriginX, fOriginY};
  HWND window = GetWindowHandle();
  if (window != nullptr) ClientToScreen(window, &p);
  int16_t left = 0;
  int16_t top = 0;
  if (VWindowView* view = GetWindowView()) view->GetPortCorner(left, top);
  x = p.x - left;
  y = p.y - top;
}

void VFrame::GetPositionInTopWindow(int32_t& x, int32_t& y) {
  LocalToScreen(x, y);
  HWND top = GetWindowHandle();
  if (top == nullptr) return;
  for (HWND up = ::GetParent(top); up != nullptr; up = ::GetParent(up)) top = up;
  POINT corner{0, 0};
  ClientToScreen(top, &corner);
  x = x - corner.x;
  y = y - corner.y + GetSystemMetrics(SM_CYCAPTION);
}

void VFrame::DrawLookElement(VPort& port, int32_t kind, int32_t state, const int32_t* rect,
                             int32_t word) {
  DrawLookElementText(port, kind, state, nullptr, rect, word);
}

void VFrame::DrawLookElementText(VPort& port, int32_t kind, int32_t state, const VString* text,
                                 const int32_t* rect, int32_t word) {
  if (rect != nullptr) {
    port.DrawThemeElement(kind, state, rect[0], rect[1], rect[2], rect[3], text, word);
  } else {
    port.DrawThemeElement(kind, state, 0, 0, fWidth, fHeight, text, word);
  }
}

void VFrame::GetUndoTitle(VString& out) {
  VResourceFile* file =
      gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
  if (file != nullptr) file->GetIndString(&out, 9002, 1);
}

void VFrame::GetRedoTitle(VString& out) {
  VResourceFile* file =
      gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
  if (file != nullptr) file->GetIndString(&out, 9002, 2);
}

void* VFrame::GetWindowPort() {
  VWindowView* view = GetWindowView();
  return view != nullptr ? static_cast<void*>(view->GetToolboxWindow()) : nullptr;
}

bool VFrame::IsAtWindowCorner() {
  VWindowView* view = GetWindowView();
  if (view == nullptr || !view->HasGrowBox()) return false;
  const int32_t dx = (view->fOriginX + view->fWidth) - (fOriginX + fWidth);
  const int32_t dy = (view->fOriginY + view->fHeight) - (fOriginY + fHeight);
  return std::abs(dx) <= 2 && std::abs(dy) <= 2;
}

int16_t VFrame::GetEffectiveLookIndex() const {
  const VFrame* f = this;
  while (f->fLookIndex <= -2 && f->fParent != nullptr) f = f->fParent;
  return f->fLookIndex;
}

VLookPainter* VFrame::GetLookPainter() const { return LookPainterForKind(GetEffectiveLookIndex()); }

int32_t VFrame::ComparePositions(const VFrame& a, const VFrame& b) {
  if (a.fY != b.fY) return a.fY < b.fY ? -1 : 1;
  if (a.fX != b.fX) return a.fX < b.fX ? -1 : 1;
  return 0;
}

void VFrame::PopUpMenu(int32_t menuId, int16_t item, int32_t x, int32_t y, int32_t flag) {
  const VPopUpMenuMaker* maker = VPopUpMenuService::Get();
  VPort* port = GetPort();
  if (maker == nullptr || maker->make == nullptr) {
    if (port != nullptr) FlushWindow();
    return;
  }
  VPopUpMenu* menu = maker->make(this, port, menuId, item);
  if (menu != nullptr) {
    if (port != nullptr) menu->SetLook(port->GetLook());
    int32_t sx = 0;
    int32_t sy = 0;
    LocalToScreen(sx, sy);
    menu->SetFlag(flag);
    menu->Track(x + sx, y + sy);
    delete menu;
  }
  if (port != nullptr) FlushWindow();
}

// ---- Command shortcuts.

void VFrame::EnableCommand(int32_t id, bool enabled, int32_t redraw) {
  VCommand* c = FindCommand(id);
  if (c != nullptr && c->IsEnabled() != enabled) c->SetEnabled(enabled, redraw);
}

bool VFrame::IsCommandEnabled(int32_t id) {
  VCommand* c = FindCommand(id);
  return c != nullptr && c->IsEnabled();
}

void VFrame::SetCommandTitle(int32_t id, const VString& title, int32_t) {
  if (VCommand* c = FindCommand(id)) c->SetTitle(title);
}

void VFrame::GetCommandTitle(VString& out, int32_t id) {
  VCommand* c = FindCommand(id);
  if (c != nullptr) {
    out.Assign(c->GetTitle());
  } else {
    out.SetCText("", kCharSetAnsi);
  }
}

const VString* VFrame::GetCommandTitleString(int32_t id) {
  VCommand* c = FindCommand(id);
  return c != nullptr ? &c->GetTitle() : nullptr;
}

void VFrame::SetCommandLong(int32_t id, int32_t value, int32_t redraw) {
  if (VCommand* c = FindCommand(id)) c->SetLong(nullptr, value, redraw);
}

void VFrame::SetCommandString(int32_t id, const VString& text, int32_t redraw) {
  if (VCommand* c = FindCommand(id)) c->SetString(nullptr, text, redraw);
}

int32_t VFrame::GetCommandLong(int32_t id) {
  VCommand* c = FindCommand(id);
  if (c == nullptr || c->GetValue() == nullptr) return 0;
  return c->GetLong();
}

void VFrame::GetCommandString(VString& out, int32_t id) {
  out.SetCText("", kCharSetAnsi);
  VCommand* c = FindCommand(id);
  if (c != nullptr && c->GetValue() != nullptr) c->CopyValue(out);
}
