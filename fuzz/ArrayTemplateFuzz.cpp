// Fuzz target of the array dialog's template reader: the data is an 'ARAY'
// resource as stored, converted to native order in a block of its own size
// and read. What is read must lie inside the data: the lists' entries, with
// their counts, can never take more bytes than there are.
#include <cstring>
#include <memory>

#include "area/files/xMorvaResourceSwap.h"
#include "dialogs/xMorvaArrayTable.h"
#include "framework/core/VObject.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size == 0 ? 1 : size]);
  if (size != 0) std::memcpy(bytes.get(), data, size);
  SwapPlugInResource(true, FourCC("ARAY"), uint32_t(size), bytes.get());
  xMorvaArrayTemplate model;
  const bool whole = ReadArrayTemplate(bytes.get(), size, model);
  size_t used = 6;
  for (const auto& list : model.lists) used += 2 + 8 * list.size();
  if (size < 6 && whole) __builtin_trap();
  if (size >= 6 && used > size + 2 * xMorvaArrayTemplate::kLists) __builtin_trap();
  if (whole && used > size) __builtin_trap();
  // A template read whole reads the same again.
  xMorvaArrayTemplate again;
  if (ReadArrayTemplate(bytes.get(), size, again) != whole) __builtin_trap();
  for (int i = 0; i < xMorvaArrayTemplate::kLists; ++i) {
    if (again.lists[i] != model.lists[i]) __builtin_trap();
  }
  return 0;
}
