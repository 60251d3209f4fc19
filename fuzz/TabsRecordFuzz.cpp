// Fuzz target of the reader of the 'wTAB' record (the tab stops).
#include "document/xMorvaTabs.h"
#include "fuzz/RecordFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRecord<xMorvaTabs>(data, size);
  return 0;
}
