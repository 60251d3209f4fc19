// Fuzz target of the rich-edit control's RTF reader: any bytes are read or
// refused without reading outside them; a refused stream changes nothing;
// what is read holds no character 0, formats within their bounds, and
// writes RTF that reads back to the same text.
#include <cstdlib>

#include "platform/richedit/RichEditText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RichEditText text;
  text.ReplaceSelection("before", false);
  if (!text.ReadRtf(data, size)) {
    if (text.Text() != "before") std::abort();
    return 0;
  }
  for (LONG i = 0; i < text.Length(); ++i) {
    if (text.Text()[size_t(i)] == 0) std::abort();
    const RichFormat& f = text.FormatAt(i);
    if (f.height < 20 || f.height > RichEditText::kMaxHeight || f.face.size() > 31) std::abort();
  }
  const std::string again = text.WriteRtf();
  RichEditText back;
  if (!back.ReadRtf(reinterpret_cast<const uint8_t*>(again.data()), again.size())) std::abort();
  if (back.Text() != text.Text()) std::abort();
  return 0;
}
