// The papers the stand-in's printers take, and the page a printer lays out
// for a device mode: its paper, across or upright, at the printer's
// resolution, within the printer's own unprintable margins.
#pragma once

#include <cstdint>

struct DEVMODEA;
struct GdiDeviceCaps;

// The size of a paper code in hundredths of a millimetre, upright. False
// (0 x 0) for a code the printers do not know: 0, 24 to 26, 48, 49 and
// everything outside 1 to 68.
bool PrinterPaperSize(int16_t code, int32_t& width, int32_t& height);

// The capabilities of a printer whose own page is `device` (upright, at its
// registered size) when it prints on the paper and in the orientation of
// `mode`. The paper is the mode's code when the printer knows it, else the
// mode's own length and width when both are given, else the printer's own
// page. Across, the paper turns a quarter to the left: its top margin
// becomes the left one, and the resolutions change axes. Without a mode the
// device's page stands.
GdiDeviceCaps PrinterCapsForMode(const GdiDeviceCaps& device, const DEVMODEA* mode);
