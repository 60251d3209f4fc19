// What the graphics layer asks of the layers around it, through procedures
// they install at start (one service each): the Toolbox emulation's current
// port and palette, a frame's place in its window (the view framework), and
// the tick clock (the system services). Until one is installed a plain
// answer stands in.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"
#include "platform/gdi/WinGdiTypes.h"

class VFrame;

// The device context of the Toolbox emulation's current graphics port.
// Without an installed procedure: a screen device context that the graphics
// layer keeps until ExitGraphics.
struct VPortDCProc {
  HDC (*currentPortDC)();
};
using VPortDCService = VService<const VPortDCProc>;
HDC CurrentPortDC();

// The Toolbox emulation's palette; none without an installed procedure.
struct VEmulatorPaletteProc {
  HPALETTE (*palette)();
};
using VEmulatorPaletteService = VService<const VEmulatorPaletteProc>;
HPALETTE EmulatorPalette();

// A frame's absolute origin and size in window coordinates, and its scroll
// position when it scrolls.
struct VFrameArea {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool scrolls = false;
  int32_t scrollX = 0;
  int32_t scrollY = 0;
};
// False when the frame cannot answer; the caller then does nothing.
struct VFrameAreaProc {
  bool (*frameArea)(const VFrame* frame, VFrameArea* area);
};
using VFrameAreaService = VService<const VFrameAreaProc>;
bool GetFrameArea(const VFrame* frame, VFrameArea* area);

// A frame's window for copies into it: its visible region in window device
// coordinates, and the device context of its port, made the current Toolbox
// port between begin and end (the previous port is put back at the end).
class VRegion;
struct VFrameWindowProc {
  bool (*visibleRegion)(const VFrame* frame, VRegion* region);
  HDC (*beginFramePort)(const VFrame* frame);
  void (*endFramePort)(const VFrame* frame);
};
using VFrameWindowService = VService<const VFrameWindowProc>;
// False (nothing to copy into) without an installed procedure.
bool GetFrameVisibleRegion(const VFrame* frame, VRegion* region);
HDC BeginFramePort(const VFrame* frame);
void EndFramePort(const VFrame* frame);

// Ticks of 1/60 second, wrapping at 32 bits. Without an installed procedure
// the monotonic clock in milliseconds x 6 / 100.
struct VTickProc {
  uint32_t (*ticks)();
};
using VGraphicsTickService = VService<const VTickProc>;
uint32_t GraphicsTicks();

// The host application's resource file, where icons are looked for after
// the file a caller names; none without an installed procedure.
class VResourceFile;
struct VHostResourceFileProc {
  VResourceFile* (*file)();
};
using VHostResourceFileService = VService<const VHostResourceFileProc>;
VResourceFile* HostResourceFile();

// Forgets the screen device context kept for CurrentPortDC (ExitGraphics).
void ReleaseGraphicsHookState();
