// Fuzz target of the reader of the 'wPRM' record (the document's page and view settings).
#include "document/xMorvaDocParams.h"
#include "fuzz/RecordFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRecord<xMorvaDocParams>(data, size);
  return 0;
}
