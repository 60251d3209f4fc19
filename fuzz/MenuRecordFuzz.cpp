// Fuzz target of the 'XMNU' reader (native-order bytes, as the resource layer
// hands them over): a read succeeds exactly when the header and every counted
// item are there, keeps texts of at most 31 characters, answers the same
// twice, and leaves the output alone when it fails.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "controls/menus/MenuResource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VMenuRecord menu;
  menu.commandId = 0x5A5A5A5A;
  const int32_t answer = ReadMenuRecord(data, size, menu);
  int16_t count = -1;
  if (size >= kMenuHeaderSize) std::memcpy(&count, data + 36, 2);
  const bool fits = count >= 0 && (size - kMenuHeaderSize) / kMenuItemSize >= size_t(count);
  if ((answer == kMenuLoaded) != (size >= kMenuHeaderSize && fits)) std::abort();
  if (answer != kMenuLoaded) {
    if (answer != kMenuResourceCorrupt || menu.commandId != 0x5A5A5A5A || !menu.items.empty()) {
      std::abort();
    }
    return 0;
  }
  if (menu.items.size() != size_t(count) || menu.title[0] > kMenuTextMax) std::abort();
  for (const VMenuItemRecord& item : menu.items) {
    if (item.text[0] > kMenuTextMax) std::abort();
  }
  VMenuRecord again;
  if (ReadMenuRecord(data, size, again) != kMenuLoaded || again.items.size() != menu.items.size() ||
      std::memcmp(again.title, menu.title, sizeof menu.title) != 0) {
    std::abort();
  }
  return 0;
}
