// Fuzz target of the 'XTXT', 'XKLI', 'XCCH' and 'XMBU' template readers
// (native-order bytes). The first byte chooses the reader (modulo 4), the
// rest is the template: a read succeeds exactly when the kind's fixed part
// is there, keeps a title of at most 31 characters, answers the same twice
// and leaves the output alone when it fails.
#include <cstdlib>
#include <cstring>

#include "controls/controls/ControlTemplates.h"

namespace {

template <typename T, typename Read>
void Check(const uint8_t* data, size_t size, size_t fixed, Read read) {
  T t;
  t.header.commandId = 0x5A5A5A5A;
  const bool taken = read(data, size, t);
  if (taken != (size >= fixed)) std::abort();
  if (!taken) {
    if (t.header.commandId != 0x5A5A5A5A) std::abort();
    return;
  }
  if (t.header.title[0] > kControlTitleMax) std::abort();
  T again;
  if (!read(data, size, again)) std::abort();
  if (std::memcmp(again.header.title, t.header.title, sizeof t.header.title) != 0 ||
      again.header.commandId != t.header.commandId)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t kind = data[0] % 4;
  ++data, --size;
  switch (kind) {
    case 0: Check<VStaticTextTemplate>(data, size, kStaticTextTemplateSize, ReadStaticTextTemplate); break;
    case 1: Check<VLockTemplate>(data, size, kLockTemplateSize, ReadLockTemplate); break;
    case 2: Check<VChooserTemplate>(data, size, kChooserTemplateSize, ReadChooserTemplate); break;
    default: Check<VMenuButtonTemplate>(data, size, kMenuButtonTemplateSize, ReadMenuButtonTemplate); break;
  }
  return 0;
}
