// Fuzz target of the reader of the 'wSTL' record (a style sheet: flags,
// shortcut, properties, states, tabs and font name), and of the 'wSTN'
// record beside it (the sheet's whole name), over the same bytes.
#include "document/xMorvaStyleSheet.h"
#include "framework/core/strings/VUniString.h"
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
  VStr<kStyleSheetWholeNameLength> name;
  // A name read is never empty and never longer than a whole name holds.
  if (ReadStyleSheetNameBytes(data, uint32_t(size), name) &&
      (name.GetLength() < 1 || name.GetLength() > kStyleSheetWholeNameLength))
    __builtin_trap();
  return 0;
}
