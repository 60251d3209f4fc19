// Fuzz target of the PICT readers: the opcode walker over the bytes (with or
// without the 512-byte file header, as the first byte of the input says,
// looking for the opcode its next two bytes name), the interpreter playing
// the picture onto a small device and recording it as an enhanced metafile,
// and the metafile played back.
#include "fuzz/FuzzSupport.h"
#include "graphics/pictures/VPictureReader.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/gdi/pict/PictInterpreter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  static FuzzDevice device;
  FuzzInput input(data, size);
  const bool fileHeader = (input.TakeByte() & 1) != 0;
  const uint16_t opcode = uint16_t(input.TakeByte() << 8 | input.TakeByte());
  const uint8_t* bytes = input.Rest();
  const uint32_t count = uint32_t(input.RestSize());
  (void)FindPictOpcodeInBytes(bytes, count, fileHeader, opcode);
  const RECT rect{0, 0, 64, 64};
  PlayPict(device.dc(), bytes, count, &rect);
  if (HENHMETAFILE metafile = PictToEnhMetaFile(bytes, count)) {
    PlayEnhMetaFile(device.dc(), metafile, &rect);
    DeleteEnhMetaFile(metafile);
  }
  return 0;
}
