// Fuzz target of the enhanced-metafile reader and player: the input taken as
// a metafile's bytes, and when they are one, its header read, the metafile
// played onto a small device and turned into a Windows metafile.
#include <memory>

#include "fuzz/FuzzSupport.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  static FuzzDevice device;
  HENHMETAFILE metafile = SetEnhMetaFileBits(UINT(size), data);
  if (metafile == nullptr) return 0;
  ENHMETAHEADER header{};
  GetEnhMetaFileHeader(metafile, sizeof header, &header);
  const RECT rect{0, 0, 64, 64};
  PlayEnhMetaFile(device.dc(), metafile, &rect);
  const UINT wmfSize = GetWinMetaFileBits(metafile, 0, nullptr, MM_ANISOTROPIC, nullptr);
  if (wmfSize != 0 && wmfSize < (1u << 24)) {
    std::unique_ptr<BYTE[]> wmf(new BYTE[wmfSize]);
    GetWinMetaFileBits(metafile, wmfSize, wmf.get(), MM_ANISOTROPIC, nullptr);
  }
  DeleteEnhMetaFile(metafile);
  return 0;
}
