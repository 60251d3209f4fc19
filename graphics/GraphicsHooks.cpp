// The graphics layer's calls to its installable procedures, and their plain
// answers.
#include "graphics/GraphicsHooks.h"

#include <chrono>

#include "platform/gdi/WinGdi.h"

namespace {

HDC gScreenDC = nullptr;

}  // namespace

HDC CurrentPortDC() {
  if (const VPortDCProc* proc = VPortDCService::Get()) return proc->currentPortDC();
  if (gScreenDC == nullptr) gScreenDC = GetDC(nullptr);
  return gScreenDC;
}

HPALETTE EmulatorPalette() {
  const VEmulatorPaletteProc* proc = VEmulatorPaletteService::Get();
  return proc != nullptr ? proc->palette() : nullptr;
}

VResourceFile* HostResourceFile() {
  const VHostResourceFileProc* proc = VHostResourceFileService::Get();
  return proc != nullptr ? proc->file() : nullptr;
}

bool GetFrameArea(const VFrame* frame, VFrameArea* area) {
  const VFrameAreaProc* proc = VFrameAreaService::Get();
  if (frame == nullptr || area == nullptr || proc == nullptr) return false;
  *area = VFrameArea{};
  return proc->frameArea(frame, area);
}

bool GetFrameVisibleRegion(const VFrame* frame, VRegion* region) {
  const VFrameWindowProc* proc = VFrameWindowService::Get();
  if (frame == nullptr || region == nullptr || proc == nullptr) return false;
  return proc->visibleRegion(frame, region);
}

HDC BeginFramePort(const VFrame* frame) {
  const VFrameWindowProc* proc = VFrameWindowService::Get();
  return proc != nullptr ? proc->beginFramePort(frame) : nullptr;
}

void EndFramePort(const VFrame* frame) {
  if (const VFrameWindowProc* proc = VFrameWindowService::Get()) proc->endFramePort(frame);
}

uint32_t GraphicsTicks() {
  if (const VTickProc* proc = VGraphicsTickService::Get()) return proc->ticks();
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
