// Fuzz target of the 'XCHK' template reader (native-order bytes, as the
// resource layer hands them over): a read succeeds exactly when the fixed
// part is there, keeps a title of at most 31 characters, answers the same
// twice, and leaves the output alone when it fails.
#include <cstdlib>
#include <cstring>

#include "controls/controls/ControlTemplates.h"

namespace {

bool Same(const VCheckTemplate& a, const VCheckTemplate& b) {
  const VControlHeader& x = a.header;
  const VControlHeader& y = b.header;
  return x.commandId == y.commandId && x.left == y.left && x.top == y.top &&
         x.width == y.width && x.height == y.height &&
         std::memcmp(x.title, y.title, sizeof x.title) == 0 && a.flags == b.flags;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VCheckTemplate t;
  t.header.commandId = 0x5A5A5A5A;
  const bool taken = ReadCheckTemplate(data, size, t);
  if (taken != (size >= kCheckTemplateSize)) std::abort();
  if (!taken) {
    if (t.header.commandId != 0x5A5A5A5A) std::abort();
    return 0;
  }
  if (t.header.title[0] > kControlTitleMax) std::abort();
  VCheckTemplate again;
  if (!ReadCheckTemplate(data, size, again)) std::abort();
  if (!Same(again, t)) std::abort();
  return 0;
}
