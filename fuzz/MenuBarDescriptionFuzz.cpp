// Fuzz target of the menu bar description 'XMBA' (native-order bytes): its
// head and two strings are read exactly when the bytes hold them, each
// string's length holds to its field, and the items are read only when
// every counted one is there.
#include <cstdlib>
#include <cstring>

#include "controls/bars/BarResources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VBarDescription d;
  const bool read = ReadMenuBarDescription(data, size, d);
  if (read != (size >= kMenuBarItemsOffset)) std::abort();
  if (!read) {
    if (!d.items.empty() || d.itemsRead || d.firstString[0] != 0) std::abort();
    return 0;
  }
  if (d.side > 4 || d.title[0] > 31 || d.firstString[0] > 31 || d.secondString[0] > 31)
    std::abort();
  uint16_t count = 0;
  if (size >= kMenuBarItemsOffset + 2) std::memcpy(&count, data + kMenuBarItemsOffset, 2);
  const bool whole =
      size >= kMenuBarItemsOffset + 2 && count <= (size - kMenuBarItemsOffset - 2) / 6;
  if (d.itemsRead != whole || d.items.size() != (whole ? count : 0u)) std::abort();
  return 0;
}
