// Fuzz target of the 'XDRP' template reader (native-order bytes, as the
// resource layer hands them over): a read succeeds exactly when the fixed
// part and every counted item are there, keeps texts within their fields,
// answers the same twice, and leaves the output alone when it fails.
#include <cstdlib>
#include <cstring>

#include "controls/controls/ControlTemplates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VDropTemplate t;
  t.lines = 0xA5;
  const bool taken = ReadDropTemplate(data, size, t);
  int16_t count = -1;
  if (size >= kDropTemplateSize) std::memcpy(&count, data + 64, 2);
  const bool whole = size >= kDropTemplateSize && count >= 0 &&
                     size_t(count) <= (size - kDropTemplateSize) / kDropItemSize;
  if (taken != whole) std::abort();
  if (!taken) {
    if (t.lines != 0xA5 || !t.items.empty()) std::abort();
    return 0;
  }
  if (t.items.size() != size_t(count)) std::abort();
  if (t.header.title[0] > kControlTitleMax) std::abort();
  for (const VDropItem& item : t.items)
    if (item.text[0] > kDropItemTextMax) std::abort();
  VDropTemplate again;
  if (!ReadDropTemplate(data, size, again)) std::abort();
  if (again.items.size() != t.items.size() || again.source != t.source || again.flags != t.flags ||
      std::memcmp(again.header.title, t.header.title, sizeof t.header.title) != 0)
    std::abort();
  for (size_t i = 0; i < t.items.size(); ++i)
    if (std::memcmp(again.items[i].text, t.items[i].text, sizeof t.items[i].text) != 0) std::abort();
  return 0;
}
