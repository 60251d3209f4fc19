// Fuzz target of the rich-edit field's own styled-text record: any bytes
// are read or refused without reading past them, and the runs read never
// hold more characters than the record has bytes, nor a run longer than
// 32,767.
#include <cstdlib>

#include "controls/fields/VRichEditField.h"
#include "framework/core/streams/VMemoryStream.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  VMemoryStream stream(data, uint32_t(size));
  if (stream.OpenRead() != 0) return 0;
  VRichRecord record;
  if (ReadRichRecord(stream, "Default", 12, record)) {
    size_t characters = 0;
    for (const VRichRecordRun& run : record.runs) {
      if (run.text.empty() || run.text.size() > 32767) std::abort();
      characters += run.text.size();
    }
    if (characters * 2 > size) std::abort();
  }
  stream.CloseRead();
  return 0;
}
