// The PICT conversions, through the host's when installed.
#include "graphics/pictures/VPictureConversion.h"

#include "platform/gdi/pict/PictInterpreter.h"

HENHMETAFILE ConvertPictToEmf(const uint8_t* bytes, uint32_t size) {
  if (bytes == nullptr || size == 0) return nullptr;
  if (const VPictConversionProc* proc = VPictConversionService::Get()) {
    return proc->pictToEmf(bytes, size);
  }
  return PictToEnhMetaFile(bytes, size);
}
