// Fuzz target of the keyboard shortcut reader ('XKEY' bytes in native
// order): the shortcuts read into a list, each matched against a key, then
// deleted.
#include "framework/core/containers/VArrayListOf.h"
#include "views/VShortcut.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  VArrayListPtrOf<VCommandKey*> list;
  LoadKeyShortcutBytes(list, data, size);
  const VShortcut key(u'b', 'B', uint16_t(0));
  for (int32_t i = 1; i <= list.Count(); ++i) (void)list.GetAt(i)->Matches(key);
  list.RemoveAll(false);
  return 0;
}
