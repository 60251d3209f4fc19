// Fuzz target of the 'XEDT' template reader (native-order bytes, as the
// resource layer hands them over): a read succeeds exactly when the fixed
// part is there, keeps a title of at most 31 characters, answers the same
// twice, and leaves the output alone when it fails.
#include <cstdlib>
#include <cstring>

#include "controls/controls/ControlTemplates.h"

namespace {

bool Same(const VEditTemplate& a, const VEditTemplate& b) {
  const VControlHeader& x = a.header;
  const VControlHeader& y = b.header;
  return x.commandId == y.commandId && x.left == y.left && x.top == y.top &&
         x.width == y.width && x.height == y.height &&
         std::memcmp(x.title, y.title, sizeof x.title) == 0 && a.filterKind == b.filterKind;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VEditTemplate t;
  t.header.commandId = 0x5A5A5A5A;
  const bool taken = ReadEditTemplate(data, size, t);
  if (taken != (size >= kEditTemplateSize)) std::abort();
  if (!taken) {
    if (t.header.commandId != 0x5A5A5A5A) std::abort();
    return 0;
  }
  if (t.header.title[0] > kControlTitleMax) std::abort();
  VEditTemplate again;
  if (!ReadEditTemplate(data, size, again)) std::abort();
  if (!Same(again, t)) std::abort();
  return 0;
}
