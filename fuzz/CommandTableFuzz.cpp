// Fuzz target of the command table reader ('XCOM' bytes in native order):
// the bytes read as a table and as a list of commands with their groups,
// then every command asked for and the list's commands deleted.
#include "framework/core/containers/VArrayListOf.h"
#include "views/VCommand.h"
#include "views/VCommandTable.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  VCommandTable table;
  table.LoadCommandBytes(data, size, nullptr);
  for (int32_t id = 0; id <= table.GetCount() + 1; ++id) {
    if (VCommand* command = table.GetCommand(id)) (void)command->IsGroup();
    (void)table.IsCommandEnabled(id);
  }
  VArrayListPtrOf<VCommand*> list;
  LoadCommandListBytes(list, data, size, nullptr);
  for (int32_t i = 1; i <= list.Count(); ++i) (void)list.GetAt(i)->GetGroupCommand();
  list.RemoveAll(false);
  return 0;
}
