// The page numbers' style of a whole document, for the RTF and the Word
// writers alike.
#include "interchange/fields/xMorvaPageNumberForm.h"

#include "document/xMorvaDocument.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"

namespace {

// The parts in the order their page numbers count: those most pages show
// first.
constexpr int16_t kPageNumberParts[] = {kPartHeader,     kPartFooter,     kPartFirstHeader, kPartFirstFooter,
                                        kPartLeftHeader, kPartLeftFooter, kPartBody};

}  // namespace

int32_t PageNumberStyleOf(xMorvaDocument& document) {
  int32_t count = -1;
  for (int16_t part : kPageNumberParts) {
    auto* engine = static_cast<xMorvaEngine*>(document.GetPart(part));
    const uint32_t size = engine != nullptr ? engine->GetStreamSize() : 0;
    if (size == 0) continue;
    const uint8_t* stream = engine->LockStream();
    if (stream == nullptr) continue;
    int32_t number = -1;
    for (uint32_t at = 0; at < size && number < 0;) {
      const StreamItem item = ReadStreamItem(stream + at, size - at);
      // A computed element's payload: u32 object length, two u32 text
      // lengths, two flag bytes, then the object, the format word.
      if (item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::PageNumber &&
          item.size >= kElementHeadSize + kComputedHeadSize + 4) {
        const uint8_t* payload = stream + at + kElementHeadSize;
        if (StreamLong(payload) >= 4) {
          const uint32_t format = StreamLong(payload + kComputedHeadSize);
          const int32_t style = int32_t(format >> kPageNumberStyleShift);
          if ((format & kPageNumberCount) == 0) {
            number = style;
          } else if (count < 0) {
            count = style;
          }
        }
      }
      at += item.size;
    }
    engine->UnlockStream();
    if (number >= 0) return number;
  }
  return count;
}
