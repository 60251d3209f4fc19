// Fuzz target of the toolbar item list reader (native-order bytes): a read
// succeeds exactly when every counted item is there, answers the same
// twice and leaves the output alone when it fails.
#include <cstdlib>
#include <cstring>

#include "controls/toolbars/ToolBarControlFactory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<VToolBarItemEntry> items{{1, 1}};
  const bool taken = ReadToolBarItems(data, size, items);
  uint16_t count = 0;
  if (size >= 2) std::memcpy(&count, data, 2);
  const bool whole = size >= 2 && size_t(count) <= (size - 2) / 6;
  if (taken != whole) std::abort();
  if (!taken) {
    if (items.size() != 1 || items[0].kind != 1) std::abort();
    return 0;
  }
  if (items.size() != count) std::abort();
  std::vector<VToolBarItemEntry> again;
  if (!ReadToolBarItems(data, size, again) || again.size() != items.size()) std::abort();
  for (size_t i = 0; i < items.size(); ++i)
    if (again[i].kind != items[i].kind || again[i].id != items[i].id) std::abort();
  return 0;
}
