// Printers of chosen resolutions for the graphics layer's tests.
#include "platform/gdi/GdiExtra.h"

#include "platform/gdi/GdiInternal.h"

BOOL GdiExtraAddPrinter(const char* name, int logPixelsX, int logPixelsY, int horzRes,
                        int vertRes, int numColors) {
  if (name == nullptr || logPixelsX <= 0 || logPixelsY <= 0 || horzRes <= 0 || vertRes <= 0) {
    return FALSE_;
  }
  GdiDeviceCaps caps;
  caps.technology = DT_RASPRINTER;
  caps.horzRes = horzRes;
  caps.vertRes = vertRes;
  caps.physicalWidth = horzRes;
  caps.physicalHeight = vertRes;
  caps.horzSize = static_cast<int32_t>(int64_t{horzRes} * 254 / (int64_t{logPixelsX} * 10));
  caps.vertSize = static_cast<int32_t>(int64_t{vertRes} * 254 / (int64_t{logPixelsY} * 10));
  caps.logPixelsX = logPixelsX;
  caps.logPixelsY = logPixelsY;
  caps.numColors = numColors;
  caps.rasterCaps = RC_BITBLT | RC_BANDING | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV |
                    RC_STRETCHBLT | RC_STRETCHDIB;
  GdiRegisterPrinter(name, caps);
  return TRUE_;
}
