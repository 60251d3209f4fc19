// Fuzz target of the drag-type block reader: a block from another module
// taken within the bytes it holds, its names read, copied, grown and matched
// against itself. A copy of what was taken must give the same names.
#include <cstdlib>

#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "views/VDragTypeList.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  VDragTypeList list(data, size);
  VStringArray names;
  list.GetTypeNames(true, true, names);
  VDragTypeList copy(list);
  VStringArray copied;
  copy.GetTypeNames(true, true, copied);
  if (copied.Count() != names.Count()) std::abort();
  VDragTypeList again(list.GetBlock(), list.GetBlockSize());
  if (again.Count() != list.Count()) std::abort();
  VStr<8> name;
  name.AppendUniCText(u"fuzz");
  copy.AddType(true, true, name);
  (void)copy.Matches(list, 0xFFFFFFFF);
  (void)list.IsInDropArea(100, 100, 5, 5);
  copy.ClearOffered();
  copy.ClearAccepted();
  return 0;
}
