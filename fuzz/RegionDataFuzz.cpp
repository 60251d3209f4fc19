// Fuzz target of the stored region bytes: the input as a region's stored
// form (the 'Wrgn' code, then RGNDATA) adopted by VRegion, and the RGNDATA
// behind the code given straight to ExtCreateRegion as a metafile record
// gives it; each region made is then combined, moved, measured, stored
// again, painted and selected as a clip on a small device.
#include <cstring>
#include <memory>

#include "framework/core/memory/VMemoryMgr.h"
#include "fuzz/FuzzSupport.h"
#include "graphics/VRegion.h"
#include "platform/gdi/WinGdi.h"

namespace {

void Exercise(HRGN region) {
  static FuzzDevice device;
  RECT box{};
  GetRgnBox(region, &box);
  PtInRegion(region, 10, 10);

  HRGN other = CreateRectRgn(5, 5, 40, 40);
  HRGN result = CreateRectRgn(0, 0, 0, 0);
  for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF}) {
    CombineRgn(result, region, other, mode);
    CombineRgn(result, other, region, mode);
  }

  // Stored again and read back, the region must be the same.
  const DWORD size = GetRegionData(region, 0, nullptr);
  if (size != 0) {
    std::unique_ptr<uint8_t[]> block(new uint8_t[size]);
    auto* data = reinterpret_cast<RGNDATA*>(block.get());
    if (GetRegionData(region, size, data) == size) {
      HRGN again = ExtCreateRegion(nullptr, size, data);
      if (again == nullptr || !EqualRgn(again, region)) __builtin_trap();
      DeleteObject(again);
    }
  }

  HBRUSH brush = CreateSolidBrush(0x0000FF);
  FillRgn(device.dc(), region, brush);
  DeleteObject(brush);
  InvertRgn(device.dc(), region);
  SelectClipRgn(device.dc(), region);
  SelectClipRgn(device.dc(), nullptr);

  OffsetRgn(result, 1000, -1000);
  DeleteObject(result);
  DeleteObject(other);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  VMemHandle handle = gMemoryMgr->NewHandle(uint32_t(size), 0);
  if (handle == 0) return 0;
  if (size != 0) {
    std::memcpy(gMemoryMgr->LockHandle(handle), data, size);
    gMemoryMgr->UnlockHandle(handle);
  }
  {
    VRegion region;
    if (region.FromHandle(handle)) {
      Exercise(region.GetHandle());
      VMemHandle stored = region.ToHandle();
      VRegion again;
      if (stored == 0 || !again.FromHandle(stored)) __builtin_trap();
      gMemoryMgr->DisposeHandle(stored);
    }
  }
  gMemoryMgr->DisposeHandle(handle);

  // The RGNDATA as a metafile record hands it over: no check beforehand.
  if (size > 4) {
    const size_t dataSize = size - 4;
    // Exactly as long as the data (new aligns it for the header's fields),
    // so that the address checker sees a read past its end.
    std::unique_ptr<uint8_t[]> block(new uint8_t[dataSize]);
    std::memcpy(block.get(), data + 4, dataSize);
    HRGN region = ExtCreateRegion(nullptr, DWORD(dataSize), reinterpret_cast<const RGNDATA*>(block.get()));
    if (region != nullptr) {
      Exercise(region);
      DeleteObject(region);
    }
  }
  return 0;
}
