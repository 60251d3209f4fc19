// Computed elements over all seven parts: which of their two texts they
// show, dates and host expressions evaluated again, freezing into plain
// text; and the page numbers of header and footer lines laid out for the
// page being drawn, with the tabs around them widened by what they lost.
#include <algorithm>
#include <cstring>

#include "document/DocumentUnits.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentArea.h"
#include "document/xMorvaEngineServices.h"
#include "document/xMorvaLineMeasure.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "platform/bytes/ByteOrder.h"

namespace {

// The parts in the order the document made them, with their numbers.
constexpr int16_t kPartsInMemberOrder[kPartCount] = {kPartBody,       kPartFirstHeader, kPartFirstFooter,
                                                     kPartLeftHeader, kPartLeftFooter,  kPartHeader,
                                                     kPartFooter};

// The user's method is told of each part whose fields are evaluated.
constexpr int16_t kEventUpdateFields = 9;

// ---- The element stream as the page-number layout reads it: 16-bit
// units low byte first; 8-byte property records (0, id, value); special
// elements with a 12-byte head (0, code, a, b) and a payload of a bytes.
// A computed element (codes from 23999) shows the payload's bytes from b
// on as its text.
constexpr uint32_t kRecordBytes = 8;
constexpr uint32_t kHeadBytes = 12;
constexpr uint16_t kFirstElement = 16000;
constexpr uint16_t kTabElement = 16000;
constexpr uint16_t kFirstComputed = 23999;
constexpr uint16_t kPageNumberElement = 24000;
// A tab's payload caches its layout: f32 laid-out width, f32 natural
// width, i16 kind, u16 leader, i16 leader count.
constexpr uint32_t kTabCacheBytes = 14;
constexpr int16_t kTabCentre = 2;
constexpr int16_t kTabRight = 3;
constexpr int16_t kTabDecimal = 4;
// A computed element's payload: u32 object length n, u32 bytes of the
// result, u32 bytes of the source, u8 shown-text flag, u8 spare, then the
// object and the two texts. With the flag clear the source comes first and
// the result last, at the payload's end. A page number's object starts with its
// format word: bit 0 the page count, bits 28 to 31 the number style.
constexpr uint32_t kComputedHead = 14;
constexpr uint32_t kNumberUnits = 15;
constexpr uint32_t kPageCountBit = 1;
constexpr int kStyleShift = 28;

float GetFloat(const uint8_t* at) {
  const uint32_t bits = LoadLE32(at);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
void PutFloat(uint8_t* at, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  StoreLE32(at, bits);
}

// An element's code and payload length when its head and whole payload lie
// before `end`; false otherwise (a short or cut element is left alone).
bool ReadElement(const uint8_t* at, const uint8_t* end, uint16_t& code, uint32_t& a, uint32_t& b) {
  if (end - at < ptrdiff_t(kHeadBytes) || LoadLE16(at) != 0) return false;
  code = LoadLE16(at + 2);
  if (code < kFirstElement) return false;
  a = LoadLE32(at + 4);
  b = LoadLE32(at + 8);
  return uint64_t(a) <= uint64_t(end - at - kHeadBytes);
}

// The bytes a text walk steps over at `at`: a unit, a record, an element's
// head and payload, or, for a computed element, the head and the payload
// up to its visible text. Never beyond `end`, never 0.
uint32_t TextStep(const uint8_t* at, const uint8_t* end) {
  const uint64_t remaining = uint64_t(end - at);
  uint64_t step = 2;
  if (remaining >= 2 && LoadLE16(at) == 0) {
    if (remaining >= 4 && LoadLE16(at + 2) < kFirstElement) {
      step = kRecordBytes;
    } else if (remaining >= kHeadBytes) {
      const uint64_t a = LoadLE32(at + 4);
      const uint64_t b = LoadLE32(at + 8);
      step = kHeadBytes + (LoadLE16(at + 2) >= kFirstComputed ? (b < a ? b : a) : a);
    } else {
      step = remaining;
    }
  }
  return uint32_t(step < remaining ? step : remaining > 0 ? remaining : 1);
}

// A page number laid out as the document lays it: whole, its result last,
// 15 units long, with its format word.
struct PageNumberLayout {
  uint32_t a = 0;
  uint32_t resultAt = 0;  // payload offset of the result units
  uint32_t format = 0;
  uint32_t visibleBase = 0;  // b when the whole result is visible
};

bool ReadPageNumber(const uint8_t* element, const uint8_t* end, PageNumberLayout& layout) {
  uint16_t code = 0;
  uint32_t a = 0;
  uint32_t b = 0;
  if (!ReadElement(element, end, code, a, b) || code != kPageNumberElement || a < kComputedHead) {
    return false;
  }
  const uint8_t* payload = element + kHeadBytes;
  // The shown-text flag set: the element shows its source, not a number.
  if (payload[12] != 0) return false;
  const uint64_t n = LoadLE32(payload);
  const uint64_t result = LoadLE32(payload + 4);
  const uint64_t source = LoadLE32(payload + 8);
  if (n < 4 || result != 2 * kNumberUnits || kComputedHead + n + result + source != a) return false;
  layout.a = a;
  layout.resultAt = uint32_t(kComputedHead + n + source);
  layout.format = LoadLE32(payload + kComputedHead);
  layout.visibleBase = layout.resultAt;
  return true;
}

// The widest text of each number style, set right-aligned into the result
// before the text is measured.
const char16_t* StyleTemplate(uint32_t style) {
  switch (style) {
    case 1: return u"mmmm";
    case 2: return u"MMMM";
    case 3: return u"mmmdccclxxxviii";
    case 4: return u"MMMDCCCLXXXVIII";
    default: return u"0000";
  }
}

void RecountLeaders(xMorvaLineMeasure& font, uint8_t* cache) {
  const uint16_t leader = LoadLE16(cache + 10);
  if (leader == 0) return;
  const double leaderWidth = font.MeasureCharWidth(char16_t(leader));
  const float width = GetFloat(cache);
  // The cached width comes from the stream: any float, held to the count
  // the cache can store before it is converted.
  double count = 0;
  if (leaderWidth > 0 && width > 0) count = std::min(double(width) / leaderWidth, double(0x7FFF));
  StoreLE16(cache + 12, uint16_t(count));
}

}  // namespace

// ---- Display mode, evaluation and freezing over the parts

// Makes each part current in turn; the part current before, and the page
// its header or footer was chosen for, come back at the end.
class xMorvaDocument::PartWalk {
 public:
  explicit PartWalk(xMorvaDocument& document)
      : fDocument(document), fPart(document.fCurrentNumber), fPage(document.fHeaderFooterPage) {}
  ~PartWalk() {
    fDocument.SetCurrentPart(fPart);
    fDocument.fHeaderFooterPage = fPage;
  }
  PartWalk(const PartWalk&) = delete;
  PartWalk& operator=(const PartWalk&) = delete;

 private:
  xMorvaDocument& fDocument;
  int16_t fPart;
  int32_t fPage;
};

template <typename Each>
void xMorvaDocument::ForEachComputedElement(uint16_t group, Each&& each) {
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr) return;
  // Every element found lies after the one before, so the walk ends within
  // the text's positions even if an element keeps being found.
  int32_t guard = text->GetLength() + 1;
  int32_t last = -1;
  for (int32_t at = text->FindElement(group, true, false); at >= 0 && guard-- > 0;
       at = text->FindElement(group, false, false)) {
    if (at < last) break;
    last = at;
    text->SetSelection(at, at + 1);
    BeginChange();
    each(*text);
    EndChange();
  }
}

void xMorvaDocument::ApplyToAllParts(uint8_t fieldDisplayMode) {
  PartWalk walk(*this);
  for (int16_t part : kPartsInMemberOrder) {
    if (!fParts[part]) continue;
    SetCurrentPart(part);
    SetFieldDisplayModeOfPart(fieldDisplayMode);
  }
}

void xMorvaDocument::SetFieldDisplayModeOfPart(uint8_t mode) {
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr) return;
  int32_t start = 0;
  int32_t end = 0;
  text->GetSelection(start, end);
  text->SetFieldDisplayMode(mode);
  ForEachComputedElement(kFindAnyComputed, [](xMorvaTextInterface& part) {
    part.RefreshComputedElements(part.GetSelStartOffset(), part.GetSelEndOffset());
  });
  text->SetSelection(start, end);
}

void xMorvaDocument::UpdateDateTimeFields() {
  // Evaluating again is no edit of the user's: nothing goes into the
  // history. An undo that was already suspended (an offscreen area's)
  // stays suspended.
  const bool recording = fUndo && fUndo->IsRecording();
  if (fUndo) fUndo->Suspend();
  {
    PartWalk walk(*this);
    for (int16_t part : kPartsInMemberOrder) {
      if (!fParts[part]) continue;
      SetCurrentPart(part);
      if (fArea != nullptr) fArea->CallEventCallback(kEventUpdateFields, part);
      UpdateDateTimeFieldsOfPart();
    }
  }
  if (fPagePictures && fStyleSheets) fPagePictures->RebuildPictures(*fStyleSheets);
  if (recording) fUndo->Resume();
}

void xMorvaDocument::UpdateDateTimeFieldsOfPart() {
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr) return;
  int32_t start = 0;
  int32_t end = 0;
  text->GetSelection(start, end);
  ForEachComputedElement(kFindDateOrExpression,
                         [](xMorvaTextInterface& part) { part.UpdateComputedFields(); });
  text->SetSelection(start, end);
}

void xMorvaDocument::FreezeComputedElements() {
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr) return;
  // A selected page picture freezes its own texts, and nothing else does.
  const bool pagePictureSelected = fPagePictures && fPagePictures->HasSelection();
  if (pagePictureSelected || (fArea != nullptr && fArea->IsPagePictureSelected())) {
    if (pagePictureSelected && fStyleSheets) fPagePictures->FreezeReferences(*fStyleSheets);
    return;
  }
  if (!text->HasSelection()) {
    if (fPagePictures && fStyleSheets) fPagePictures->FreezeReferences(*fStyleSheets);
    // Every part, undone in one step.
    PartWalk walk(*this);
    if (fUndo) fUndo->BeginGroup(kUndoGroupAllParts);
    for (int16_t part : kPartsInMemberOrder) {
      if (!fParts[part]) continue;
      SetCurrentPart(part);
      FreezeComputedElementsOfPart();
    }
    if (fUndo) fUndo->EndGroup();
    return;
  }
  BeginChange();
  const bool showingSources = text->GetFieldDisplayMode() == 1;
  // What freezes is the result: shown for the time of the freeze.
  if (showingSources) {
    text->SetFieldDisplayMode(0);
    text->RefreshComputedElements(text->GetSelStartOffset(), text->GetSelEndOffset());
    text->SetFieldDisplayMode(1);
  }
  text->FreezeComputedElements();
  // The page numbers that stay show their sources again.
  if (showingSources) {
    text->RefreshComputedElements(text->GetSelStartOffset(), text->GetSelEndOffset());
  }
  EndChange();
}

void xMorvaDocument::FreezeComputedElementsOfPart() {
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr) return;
  ForEachComputedElement(kFindFieldOrLink, [](xMorvaTextInterface& part) {
    const bool showingSources = part.GetFieldDisplayMode() == 1;
    if (showingSources) {
      part.SetFieldDisplayMode(0);
      part.RefreshComputedElements(part.GetSelStartOffset(), part.GetSelEndOffset());
      part.SetFieldDisplayMode(1);
    }
    part.FreezeComputedElements();
    if (showingSources) {
      part.RefreshComputedElements(part.GetSelStartOffset(), part.GetSelEndOffset());
    }
  });
  const int32_t end = text->GetSelEnd();
  text->SetSelection(end, end);
}

// ---- Page numbers of header and footer lines

void xMorvaDocument::ResetTabElements(uint8_t* start, uint8_t* end) {
  if (start == nullptr || end == nullptr) return;
  for (uint8_t* at = start; at < end; at += TextStep(at, end)) {
    uint16_t code = 0;
    uint32_t a = 0;
    uint32_t b = 0;
    if (ReadElement(at, end, code, a, b) && code == kTabElement && a >= kTabCacheBytes) {
      uint8_t* cache = at + kHeadBytes;
      std::memcpy(cache, cache + 4, 4);
    }
  }
}

int32_t xMorvaDocument::MeasureElementText(xMorvaLineMeasure& font, const uint8_t* element,
                                           const uint8_t* end) {
  uint16_t code = 0;
  uint32_t a = 0;
  uint32_t b = 0;
  if (!ReadElement(element, end, code, a, b) || code < kFirstComputed || a < kComputedHead) return 0;
  const uint8_t* payload = element + kHeadBytes;
  if (payload[12] != 0 || b > a) return 0;
  int32_t width = 0;
  for (uint32_t at = b; at + 2 <= a; at += 2) {
    width = int32_t(width + font.MeasureCharWidth(char16_t(LoadLE16(payload + at))));
  }
  return width;
}

void xMorvaDocument::PreparePageNumberElement(uint8_t* element, const uint8_t* end) {
  PageNumberLayout layout;
  if (!ReadPageNumber(element, end, layout)) return;
  const char16_t* widest = StyleTemplate(layout.format >> kStyleShift);
  const uint32_t length = uint32_t(std::char_traits<char16_t>::length(widest));
  uint8_t* result = element + kHeadBytes + layout.resultAt;
  for (uint32_t i = 0; i < length; ++i)
    StoreLE16(result + 2 * (kNumberUnits - length + i), widest[i]);
  StoreLE32(element + 8, layout.visibleBase + (kNumberUnits - length) * 2);
}

void xMorvaDocument::FormatPageNumberElement(uint8_t* element, const uint8_t* end, int32_t page) {
  PageNumberLayout layout;
  if (!ReadPageNumber(element, end, layout)) return;
  const int64_t number = (layout.format & kPageCountBit) != 0
                             ? GetBodyPageCount()
                             : int64_t(fParams.GetFirstPageNumber()) + page;
  char16_t units[kNumberUnits] = {};
  int32_t written = 0;
  if (number >= 1 && number <= INT32_MAX) {
    written = FormatDocumentListNumber(int32_t(number), int32_t(layout.format >> kStyleShift),
                                       &units[kNumberUnits - 1]);
  }
  // The formatter writes at most the field; a longer answer is not trusted.
  if (written < 0 || written > int32_t(kNumberUnits)) written = 0;
  uint8_t* result = element + kHeadBytes + layout.resultAt;
  for (uint32_t i = kNumberUnits - uint32_t(written); i < kNumberUnits; ++i) {
    StoreLE16(result + 2 * i, units[i]);
  }
  StoreLE32(element + 8, layout.visibleBase + (kNumberUnits - uint32_t(written)) * 2);
}

float xMorvaDocument::LayOutPageNumbers(xMorvaLineMeasure& font, int32_t page, uint8_t* lineStart,
                                        uint8_t* end) {
  // The tabs as the line was composed, then widened for this page.
  ResetTabElements(lineStart, end);
  return AdjustTabsForPageNumbers(font, page, lineStart, end);
}

float xMorvaDocument::AdjustTabsForPageNumbers(xMorvaLineMeasure& font, int32_t page,
                                               uint8_t* lineStart, uint8_t* end) {
  if (lineStart == nullptr || end == nullptr) return 0;
  font.ResetRunState();
  const char16_t decimal = GetDecimalSeparator();
  float total = 0;
  float pending = 0;
  float carry = 0;
  uint8_t* tab = nullptr;  // the cache of the last tab before here
  for (uint8_t* at = lineStart; at < end;) {
    if (end - at >= 2 && LoadLE16(at) != 0) {
      // A decimal tab aligns up to the separator; after it, it takes no more.
      if (LoadLE16(at) == decimal && tab != nullptr && int16_t(LoadLE16(tab + 8)) == kTabDecimal) {
        tab = nullptr;
      }
      at += 2;
      continue;
    }
    if (end - at >= ptrdiff_t(kRecordBytes) && LoadLE16(at + 2) < kFirstElement) {
      font.ApplyProperty(LoadLE16(at + 2), int32_t(LoadLE32(at + 4)));
      at += kRecordBytes;
      continue;
    }
    uint16_t code = 0;
    uint32_t a = 0;
    uint32_t b = 0;
    if (ReadElement(at, end, code, a, b)) {
      if (code == kPageNumberElement) {
        PreparePageNumberElement(at, end);
        const int32_t before = MeasureElementText(font, at, end);
        FormatPageNumberElement(at, end, page);
        const int32_t after = MeasureElementText(font, at, end);
        const float lost = float(before - after);
        total += lost;
        pending += lost;
        if (tab != nullptr) {
          const int16_t kind = int16_t(LoadLE16(tab + 8));
          if (kind == kTabCentre) {
            PutFloat(tab, GetFloat(tab) + pending / 2);
            pending = pending / 2 + carry;
          } else if (kind == kTabRight || kind == kTabDecimal) {
            PutFloat(tab, GetFloat(tab) + pending);
            pending = carry;
          }
          carry = pending;
          pending = 0;
          RecountLeaders(font, tab);
        }
      } else if (code == kTabElement && a >= kTabCacheBytes) {
        tab = at + kHeadBytes;
        if (carry != 0 || pending != 0) {
          PutFloat(tab, GetFloat(tab) + carry + pending);
          carry = pending = 0;
          RecountLeaders(font, tab);
        }
      }
    }
    at += TextStep(at, end);
  }
  return total;
}
