// Fuzz target of the reader of the 'wPRP' record (the character and paragraph properties).
#include "document/xMorvaProperties.h"
#include "fuzz/RecordFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRecord<xMorvaProperties>(data, size);
  return 0;
}
