// Fuzz target of the 'XIC#' icon list reader (native-order bytes): a list is
// taken exactly when it holds the four ids the button reads, and a refused
// one leaves the output alone.
#include <cstdlib>

#include "controls/controls/ControlTemplates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VIconIdList list;
  list.ids[0] = 0x5A5A;
  const bool taken = ReadIconList(data, size, list);
  if (taken != (size >= 2 * kIconListEntries)) std::abort();
  if (!taken && list.ids[0] != 0x5A5A) std::abort();
  return 0;
}
