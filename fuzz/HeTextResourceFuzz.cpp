// Fuzz target of the 'HE' styled-text reader: a read either fails and hands
// back nothing, or hands back text no longer than the input and a style
// scrap whose count matches its size, and answers the same twice.
#include <cstdlib>
#include <cstring>

#include "controls/fields/TextResourceReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TextResourceContent out;
  const TextResourceError error = ReadHeTextResource(data, size, out);
  if (error != TextResourceError::kNone) {
    if (!out.text.empty() || !out.styles.empty() || out.hasSelection) std::abort();
    return 0;
  }
  if (out.text.size() > size) std::abort();
  if (!out.styles.empty()) {
    int16_t count = 0;
    std::memcpy(&count, out.styles.data(), 2);
    if (count < 0 || kStyleScrapHeader + size_t(count) * kStyleScrapElement > out.styles.size()) std::abort();
  }
  TextResourceContent again;
  if (ReadHeTextResource(data, size, again) != error || again.text != out.text || again.styles != out.styles)
    std::abort();
  return 0;
}
