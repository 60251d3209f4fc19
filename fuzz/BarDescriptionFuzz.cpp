// Fuzz target of the toolbar description 'XBAR' (native-order bytes): the
// head is read exactly when the bytes hold it, the items only when every
// counted one is there, the title's length holds to its field, the side is
// one a dock knows, and a second read answers the same.
#include <cstdlib>
#include <cstring>

#include "controls/bars/BarResources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VBarDescription d;
  const bool read = ReadBarDescription(data, size, d);
  if (read != (size >= kBarItemsOffset)) std::abort();
  if (!read) {
    if (!d.items.empty() || d.itemsRead || d.side != 0 || d.title[0] != 0) std::abort();
    return 0;
  }
  if (d.side > 4 || d.title[0] > 31) std::abort();
  uint16_t count = 0;
  if (size >= kBarItemsOffset + 2) std::memcpy(&count, data + kBarItemsOffset, 2);
  const bool whole = size >= kBarItemsOffset + 2 && count <= (size - kBarItemsOffset - 2) / 6;
  if (d.itemsRead != whole) std::abort();
  if (d.items.size() != (whole ? count : 0u)) std::abort();
  VBarDescription again;
  if (!ReadBarDescription(data, size, again) || again.items.size() != d.items.size() ||
      std::memcmp(again.title, d.title, sizeof d.title) != 0 || again.left != d.left)
    std::abort();
  return 0;
}
