// Fuzz target of the picture library's readers of foreign bytes: BMP, PNG,
// JPEG and PICT data imported into a PICT. The first byte of the input
// chooses the format (0 BMP, 1 PNG, 2 JPEG, 3 PICT; others as the low two
// bits say); a PICT made is exported back to the same format.
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/quicktime/QtPictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  FuzzInput input(data, size);
  static constexpr uint32_t kTypes[] = {kQtTypeBmp, kQtTypePng, kQtTypeJpeg, kQtTypePict};
  const uint32_t type = kTypes[input.TakeByte() & 3];
  std::vector<uint8_t> pict;
  if (QtImportData(input.Rest(), input.RestSize(), type, pict) == kQtNoErr) {
    std::vector<uint8_t> out;
    (void)QtExportData(pict.data(), pict.size(), type, out);
  }
  return 0;
}
