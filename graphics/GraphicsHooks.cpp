// The installable procedures of the graphics layer and their plain answers.
#include "graphics/GraphicsHooks.h"

#include <chrono>

#include "platform/gdi/WinGdi.h"

namespace {

VPortDCProc gPortDCProc = nullptr;
VEmulatorPaletteProc gPaletteProc = nullptr;
VFrameAreaProc gFrameAreaProc = nullptr;
VTickProc gTickProc = nullptr;
HDC gScreenDC = nullptr;

}  // namespace

void SetCurrentPortDCProc(VPortDCProc proc) { gPortDCProc = proc; }

HDC CurrentPortDC() {
  if (gPortDCProc != nullptr) return gPortDCProc();
  if (gScreenDC == nullptr) gScreenDC = GetDC(nullptr);
  return gScreenDC;
}

void SetEmulatorPaletteProc(VEmulatorPaletteProc proc) { gPaletteProc = proc; }

HPALETTE EmulatorPalette() { return gPaletteProc != nullptr ? gPaletteProc() : nullptr; }

void SetFrameAreaProc(VFrameAreaProc proc) { gFrameAreaProc = proc; }

bool GetFrameArea(const VFrame* frame, VFrameArea* area) {
  if (frame == nullptr || area == nullptr || gFrameAreaProc == nullptr) return false;
  *area = VFrameArea{};
  return gFrameAreaProc(frame, area);
}

void SetGraphicsTickProc(VTickProc proc) { gTickProc = proc; }

uint32_t GraphicsTicks() {
  if (gTickProc != nullptr) return gTickProc();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
  return static_cast<uint32_t>(static_cast<uint64_t>(ms) * 6 / 100);
}

void ReleaseGraphicsHookState() {
  if (gScreenDC != nullptr) {
    ReleaseDC(nullptr, gScreenDC);
    gScreenDC = nullptr;
  }
}
