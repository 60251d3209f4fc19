// Fuzz target of the reader of the 'wFNT' record (the document's font
// table). The first input byte chooses: bit 0 reads big-endian, bit 1
// writes the table again big-endian.
#include "document/xMorvaFontTable.h"
#include "fuzz/RecordFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRecord<xMorvaFontTable>(data, size);
  return 0;
}
