// Fuzz target of the records the small dialogs read: the bytes as an
// 'LGCD' language table (every item's code, and the item found again from
// that code) and as a 'vers' record (its short version string, which must
// lie within the record).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dialogs/xMorvaSmallDialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int32_t item = -1; item <= int32_t(size / 2) + 1; ++item) {
    int16_t code = 0;
    if (!LanguageCodeOfItem(data, size, item, code)) continue;
    // The item found for the code is this one or an earlier one of the
    // same code.
    const int32_t found = LanguageItemOfCode(data, size, code);
    if (found < 1 || found > item) std::abort();
  }
  std::string version;
  if (ShortVersionOf(data, size, version) && (size < 7 || version.size() != data[6] || 7 + version.size() > size))
    std::abort();
  return 0;
}
