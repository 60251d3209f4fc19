// Fuzz target of the Windows-metafile reader and player: the input after its
// first byte taken as a metafile's bytes, played onto a small device, and
// made into an enhanced metafile under the picture record the first byte
// chooses, which is played in turn.
#include "fuzz/FuzzSupport.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  static FuzzDevice device;
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  const UINT length = UINT(input.RestSize());
  const BYTE* bytes = input.Rest();

  if (HMETAFILE metafile = SetMetaFileBitsEx(length, bytes)) {
    PlayMetaFile(device.dc(), metafile);
    DeleteMetaFile(metafile);
  }

  // No picture record; a picture of the metafile's own extent; one of a
  // given size; one of a suggested size; another mode.
  METAFILEPICT picture{};
  const METAFILEPICT* given = &picture;
  switch (choice % 5) {
    case 0: given = nullptr; break;
    case 1: picture = {MM_ANISOTROPIC, 0, 0, nullptr}; break;
    case 2: picture = {MM_ANISOTROPIC, 2540, 1270, nullptr}; break;
    case 3: picture = {MM_ANISOTROPIC, -2540, -2540, nullptr}; break;
    default: picture = {MM_TEXT, 0, 0, nullptr}; break;
  }
  if (HENHMETAFILE enhanced = SetWinMetaFileBits(length, bytes, nullptr, given)) {
    const RECT rect{0, 0, 64, 64};
    PlayEnhMetaFile(device.dc(), enhanced, &rect);
    DeleteEnhMetaFile(enhanced);
  }
  return 0;
}
