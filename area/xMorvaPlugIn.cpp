// The editing area's object in a host form.
#include "area/xMorvaPlugIn.h"

#include "graphics/VPort.h"

xMorvaPlugIn::xMorvaPlugIn(VPackage* package, void* params)
    : VPlugIn(package, kResourceOffset, static_cast<void**>(params)), fMenuBar(this) {
  SetMinimumSize(kMinimumWidth, kMinimumHeight);
}

VWindowMenuBar* xMorvaPlugIn::GetWindowMenuBar() {
  VWindowMenuBar* dockBar = VPlugIn::GetWindowMenuBar();
  return dockBar != nullptr ? dockBar : &fMenuBar;
}

void xMorvaPlugIn::DrawTooSmall(VPort& port) {
  // A grey field in a dark frame: the area is there, but too small to show
  // its text.
  port.SetBackColorRGB(192, 192, 192);
  port.EraseRect(0, 0, GetWidth(), GetHeight());
  port.SetBackColorRGB(64, 64, 64);
  port.EraseRect(0, 0, GetWidth(), 1);
  port.EraseRect(0, GetHeight() - 1, GetWidth(), 1);
  port.EraseRect(0, 0, 1, GetHeight());
  port.EraseRect(GetWidth() - 1, 0, 1, GetHeight());
}
