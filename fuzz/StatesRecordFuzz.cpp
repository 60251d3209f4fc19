// Fuzz target of the reader of the 'wSTT' record (the property states).
#include "document/xMorvaPropertiesStates.h"
#include "fuzz/RecordFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRecord<xMorvaPropertiesStates>(data, size);
  return 0;
}
