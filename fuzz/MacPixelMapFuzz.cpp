// Fuzz target of the conversions of Macintosh bit and pixel maps: the map's
// fields (row bytes, bounds of at most 255 x 255, packing, pixel kind and
// size, components, a colour table of up to 16 entries) taken from the
// front of the input, its pixels from the rest.
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "graphics/VMacBitmaps.h"
#include "platform/gdi/WinGdi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  FuzzInput input(data, size);
  VMacPixMap map;
  map.rowBytes = uint16_t(input.TakeByte() << 8 | input.TakeByte());
  map.bounds.top = int16_t(int8_t(input.TakeByte()));
  map.bounds.left = int16_t(int8_t(input.TakeByte()));
  map.bounds.bottom = int16_t(map.bounds.top + input.TakeByte());
  map.bounds.right = int16_t(map.bounds.left + input.TakeByte());
  map.packType = int16_t(input.TakeByte() % 6);
  map.pixelType = (input.TakeByte() & 1) != 0 ? 16 : 0;
  map.pixelSize = int16_t(input.TakeByte() % 40);
  map.cmpCount = int16_t(input.TakeByte() % 5);
  map.cmpSize = int16_t(input.TakeByte() % 10);
  std::vector<VMacColorSpec> colors(input.TakeByte() % 17);
  for (VMacColorSpec& c : colors) {
    c.value = uint16_t(input.TakeByte() << 8 | input.TakeByte());
    c.red = c.green = c.blue = uint16_t(input.TakeByte() << 8);
  }
  map.colors = colors.data();
  map.colorCount = uint16_t(colors.size());
  map.baseAddr = input.Rest();
  map.dataSize = uint32_t(input.RestSize());
  VDIBImage image;
  if (DIBImageFromPixMap(map, &image)) DisposeDIBImage(&image);

  VMacBitMap bits;
  bits.baseAddr = map.baseAddr;
  bits.dataSize = map.dataSize;
  bits.rowBytes = map.rowBytes;
  bits.bounds = map.bounds;
  if (HBITMAP bitmap = BitmapFromMacBitMap(bits)) DeleteObject(bitmap);
  return 0;
}
