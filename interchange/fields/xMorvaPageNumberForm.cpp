// The page numbers' style of a whole document, for the RTF and the Word
// writers alike.
#include "interchange/fields/xMorvaPageNumberForm.h"

#include "document/xMorvaDocument.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"

static_assert(kPartCount == 7, "the notes keep one entry a part");

namespace {

// The parts in the order their page numbers count: those most pages show
// first.
constexpr int16_t kPageNumberParts[] = {kPartHeader,     kPartFooter,     kPartFirstHeader, kPartFirstFooter,
                                        kPartLeftHeader, kPartLeftFooter, kPartBody};

// The format word of the page-number element item at `item` (`size`
// bytes, its head included); false for another item or one too short to
// hold it. A computed element's payload: u32 object length, two u32 text
// lengths, two flag bytes, then the object, the format word.
bool PageNumberFormat(const uint8_t* item, uint32_t size, uint32_t& format) {
  if (size < kElementHeadSize + kComputedHeadSize + 4 || StreamUnit(item) != 0 ||
      StreamUnit(item + 2) != xMorvaElementCode::PageNumber)
    return false;
  const uint8_t* payload = item + kElementHeadSize;
  if (StreamLong(payload) < 4) return false;
  format = StreamLong(payload + kComputedHeadSize);
  return true;
}

}  // namespace

void xMorvaPageNumberNotes::NoteElement(int16_t part, const uint8_t* item, uint32_t size) {
  uint32_t format = 0;
  if (part < 0 || part >= kParts || !PageNumberFormat(item, size, format)) return;
  int32_t& first = (format & kPageNumberCount) == 0 ? fNumber[part] : fCount[part];
  if (first < 0) first = int32_t(format >> kPageNumberStyleShift);
}

void xMorvaPageNumberNotes::MarkWalked(int16_t part) {
  if (part >= 0 && part < kParts) fWalked[part] = true;
}

int32_t PageNumberStyleOf(xMorvaDocument& document, const xMorvaPageNumberNotes* notes) {
  int32_t count = -1;
  for (int16_t part : kPageNumberParts) {
    xMorvaPageNumberNotes walked;
    if (notes == nullptr || !notes->fWalked[part]) {
      auto* engine = static_cast<xMorvaEngine*>(document.GetPart(part));
      const uint32_t size = engine != nullptr ? engine->GetStreamSize() : 0;
      if (size == 0) continue;
      const uint8_t* stream = engine->LockStream();
      if (stream == nullptr) continue;
      // The walk may stop at the part's first page number: a count after
      // it would never be asked for.
      for (uint32_t at = 0; at < size && walked.fNumber[part] < 0;) {
        const StreamItem item = ReadStreamItem(stream + at, size - at);
        if (item.kind == StreamItem::kElement) walked.NoteElement(part, stream + at, item.size);
        at += item.size;
      }
      engine->UnlockStream();
    }
    const xMorvaPageNumberNotes& seen = notes != nullptr && notes->fWalked[part] ? *notes : walked;
    if (seen.fNumber[part] >= 0) return seen.fNumber[part];
    if (count < 0) count = seen.fCount[part];
  }
  return count;
}
