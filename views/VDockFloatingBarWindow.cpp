// The window of a dock's floating bars: one floating window per bar, run by
// a process window of the dock's own.
#include "views/VDockFloatingBarWindow.h"

#include <algorithm>

#include "views/VDockView.h"
#include "views/VWindowView.h"
#include "platform/toolbox/TbxWindows.h"

namespace {

constexpr uint32_t kFloatingStack = 16000;
constexpr uint32_t kFloatingSleepTicks = 2;
// A floating window with a close box, no grow box and no zoom box.
constexpr uint16_t kFloatingKind = 6;

}  // namespace

VDockFloatingBarWindow::VDockFloatingBarWindow(VDockView* dock)
    : VProcessWindow(dock, dock != nullptr ? dock->GetTitle() : nullptr, kFloatingStack, true),
      fDock(dock) {
  SetSleepTicks(kFloatingSleepTicks);
}

VDockFloatingBarWindow::~VDockFloatingBarWindow() {
  for (const Held& held : std::vector<Held>(fHeld)) GiveBack(held, true);
  fHeld.clear();
  DeleteRetired();
}

void VDockFloatingBarWindow::AddBar(VDockBar* bar, int32_t x, int32_t y) {
  if (bar == nullptr || WindowOf(bar) != nullptr) return;
  int32_t width = 0, height = 0;
  bar->GetFloatingSize(width, height);
  // A bar may bring a window of its own, which passes its messages on.
  VWindowView* window = nullptr;
  if (VView* own = bar->MakeFloatingWindowView(fDock)) window = own->GetWindowView();
  if (window == nullptr) window = new VWindowView(fDock, kFloatingKind, true, false, false);
  window->MoveTo(x, y, 0);
  window->ResizeTo(std::max(width, 1), std::max(height, 1), 0);
  if (const VString* title = bar->GetTitle(); title != nullptr && title->GetLength() > 0)
    window->SetTitle(*title);
  // Quietly: the dock keeps the bar in its floating list.
  bar->SetParentQuietly(window);
  bar->MoveTo(0, 0, 0);
  bar->ResizeTo(width, height, 0);
  fHeld.push_back({bar, window});
  AddFrame(window);
  const bool shown = fShown != 0 && bar->IsVisible();
  window->SetVisible(shown);
  if (Tbx::WindowRef w = window->GetToolboxWindow()) {
    if (shown) {
      Tbx::ShowWindow(w);
    } else {
      Tbx::HideWindow(w);
    }
  }
}

void VDockFloatingBarWindow::RemoveBar(VDockBar* bar) {
  auto it = std::find_if(fHeld.begin(), fHeld.end(), [bar](const Held& h) { return h.bar == bar; });
  if (it == fHeld.end()) return;
  const Held held = *it;
  fHeld.erase(it);
  GiveBack(held, false);
}

void VDockFloatingBarWindow::GiveBack(const Held& held, bool hide) {
  RemoveFrame(held.window);
  if (hide) {
    held.bar->SetVisible(false);
    held.bar->SetDisplayed(false);
  }
  held.bar->SetParentQuietly(fDock);
  // A bar dragged out of its window is given back while that window's
  // mouse handling is still running: the window is hidden now and deleted
  // when this window closes.
  held.window->SetVisible(false);
  if (Tbx::WindowRef w = held.window->GetToolboxWindow()) Tbx::HideWindow(w);
  fRetired.push_back(held.window);
}

void VDockFloatingBarWindow::DeleteRetired() {
  for (VWindowView* window : fRetired) delete window;
  fRetired.clear();
}

void VDockFloatingBarWindow::Show(bool shown) {
  fShown = shown ? 1 : 0;
  for (const Held& held : fHeld) {
    const bool on = shown && held.bar->IsVisible();
    held.window->SetVisible(on);
    if (Tbx::WindowRef w = held.window->GetToolboxWindow()) {
      if (on) {
        Tbx::ShowWindow(w);
      } else {
        Tbx::HideWindow(w);
      }
    }
  }
}

bool VDockFloatingBarWindow::IsOpen() { return GetState() < kTaskEnded; }

void VDockFloatingBarWindow::Close() {
  VProcessWindow::Close();
  const std::vector<Held> held = fHeld;
  fHeld.clear();
  for (const Held& h : held) GiveBack(h, true);
  DeleteRetired();
}

bool VDockFloatingBarWindow::HoldsWindow(const Tbx::WindowRecord* window) const {
  if (window == nullptr) return false;
  return std::any_of(fHeld.begin(), fHeld.end(),
                     [window](const Held& h) { return h.window->GetToolboxWindow() == window; });
}

VWindowView* VDockFloatingBarWindow::WindowOf(const VDockBar* bar) const {
  for (const Held& held : fHeld) {
    if (held.bar == bar) return held.window;
  }
  return nullptr;
}

namespace {

VDockFloatingWindow* MakeFloatingBarWindow(VDockView* dock) {
  auto* window = new VDockFloatingBarWindow(dock);
  // Without a host process the bars' windows still work, driven by the
  // host's own process.
  window->Start();
  return window;
}

}  // namespace

const VDockFloatingWindowMaker kDockFloatingBarWindowMaker{&MakeFloatingBarWindow};
