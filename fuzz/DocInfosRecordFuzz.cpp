// Fuzz target of the reader of the 'wINF' record (the document's dates and texts).
#include "document/xMorvaDocInfos.h"
#include "fuzz/RecordFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRecord<xMorvaDocInfos>(data, size);
  return 0;
}
