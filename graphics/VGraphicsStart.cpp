// The graphics layer's start and stop: the shared state of every port, and
// the picture services.
#include "graphics/VGraphicsStart.h"

#include "graphics/GraphicsGlobals.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/VCharWidthCache.h"
#include "graphics/VLookPainter.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/gdi/WinGdi.h"

void InitGraphics() {
  // The five painters in kind order; a slot whose painter cannot be made
  // stays empty and ports fall back on the plain painter.
  const VLookPainterMaker* maker = VLookPainterMakerService::Get();
  for (int32_t kind = 0; kind < kLookPainterCount; ++kind) {
    if (gLookPainters[kind] == nullptr) {
      gLookPainters[kind] = maker != nullptr ? maker->makePainter(kind) : new VPlainLookPainter();
    }
  }
  MakeFontCache();
  HDC screen = CreateCompatibleDC(nullptr);
  if (screen != nullptr) {
    gScreenLogPixelsX = GetDeviceCaps(screen, LOGPIXELSX);
    gScreenLogPixelsY = GetDeviceCaps(screen, LOGPIXELSY);
    DeleteDC(screen);
  }
  // The transparent copy is a routine of the GDI stand-in itself.
  gTransparentBlt = &TransparentBlt;
}

void ExitGraphics() {
  for (VLookPainter*& painter : gLookPainters) {
    delete painter;
    painter = nullptr;
  }
  FreeDeviceColors();
  gTransparentBlt = nullptr;
  FreeFontCache();
  ReleaseGrowIcon();
  ReleaseGraphicsHookState();
}

// The picture import and export library: started once, its version kept
// for the module's life; the maker of picture values is installed with the
// module's other services. Without the library the emulation is told once.
void StartPictureServices() {
  if (StartQuickTime() == 0) Tbx::EmulatorCall3028(0);
}
void StopPictureServices() { StopQuickTime(); }
