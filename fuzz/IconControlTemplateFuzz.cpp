// Fuzz target of the 'XICO' template reader (native-order bytes): a read
// succeeds exactly when the fixed part and every counted pair are there,
// keeps the title within its 29 characters, answers the same twice and
// leaves the output alone when it fails.
#include <cstdlib>
#include <cstring>

#include "controls/controls/ControlTemplates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VIconControlTemplate t;
  t.header.commandId = 0x5A5A5A5A;
  const bool taken = ReadIconControlTemplate(data, size, t);
  int16_t count = -1;
  if (size >= kIconControlTemplateSize) std::memcpy(&count, data + 54, 2);
  const bool whole = size >= kIconControlTemplateSize && count >= 0 &&
                     size_t(count) <= (size - kIconControlTemplateSize) / 4;
  if (taken != whole) std::abort();
  if (!taken) {
    if (t.header.commandId != 0x5A5A5A5A || !t.values.empty()) std::abort();
    return 0;
  }
  if (t.header.title[0] > kIconControlTitleMax) std::abort();
  if (t.values.size() != size_t(count) || t.icons.size() != size_t(count)) std::abort();
  VIconControlTemplate again;
  if (!ReadIconControlTemplate(data, size, again)) std::abort();
  if (again.values != t.values || again.icons != t.icons ||
      std::memcmp(again.header.title, t.header.title, sizeof t.header.title) != 0)
    std::abort();
  return 0;
}
