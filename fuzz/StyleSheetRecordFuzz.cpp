// Fuzz target of the reader of the 'wSTL' record (a style sheet: flags,
// shortcut, properties, states, tabs and font name).
#include "document/xMorvaStyleSheet.h"
#include "fuzz/RecordFuzz.h"

namespace {

struct StyleSheetRecord {
  xMorvaStyleSheet sheet;
  bool Read(VStream& stream) { return sheet.ReadBody(stream); }
  bool Write(VStream& stream) const { return sheet.WriteBody(stream); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRecord<StyleSheetRecord>(data, size);
  return 0;
}
