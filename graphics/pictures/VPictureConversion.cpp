// The PICT conversions, through the host's when installed.
#include "graphics/pictures/VPictureConversion.h"

#include <vector>

#include "platform/gdi/pict/PictInterpreter.h"

HENHMETAFILE ConvertPictToEmf(const uint8_t* bytes, uint32_t size) {
  if (bytes == nullptr || size == 0) return nullptr;
  if (const VPictConversionProc* proc = VPictConversionService::Get()) {
    return proc->pictToEmf(bytes, size);
  }
  return PictToEnhMetaFile(bytes, size);
}

HMETAFILE ConvertPictToWmf(const uint8_t* bytes, uint32_t size) {
  HENHMETAFILE emf = ConvertPictToEmf(bytes, size);
  if (emf == nullptr) return nullptr;
  HDC screen = GetDC(nullptr);
  HMETAFILE wmf = nullptr;
  const UINT bytesNeeded = GetWinMetaFileBits(emf, 0, nullptr, MM_ANISOTROPIC, screen);
  if (bytesNeeded != 0) {
    std::vector<BYTE> bits(bytesNeeded);
    if (GetWinMetaFileBits(emf, bytesNeeded, bits.data(), MM_ANISOTROPIC, screen) == bytesNeeded)
      wmf = SetMetaFileBitsEx(bytesNeeded, bits.data());
  }
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  DeleteEnhMetaFile(emf);
  return wmf;
}
