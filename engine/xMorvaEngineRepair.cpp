// xMorvaEngine: repair of a loaded stream, and the selections and searches
// that count paragraphs, format runs and elements by number.
#include <algorithm>
#include <cstring>
#include <vector>

#include "document/DocumentUnits.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngine_p.h"
#include "framework/core/memory/VMemoryMgr.h"

namespace {

constexpr char16_t kUnitQuestion = 63;
constexpr char16_t kUnitPlaceholder = 120;
constexpr char16_t kUnitSoftHyphen = 173;
constexpr uint32_t kFormat0103 = FourCC("0103");
constexpr uint32_t kFormat0105 = FourCC("0105");
// The highest border spacing, 255 pixels, in twips at the screen resolution.
constexpr uint64_t kMostSpacingTwipsTimesDpi = 255u * 1440u;

bool IsComputedCode(uint16_t code) {
  return code == xMorvaElementCode::PageNumber || code == xMorvaElementCode::ExprQv ||
         (code >= xMorvaElementCode::DateTime && code <= xMorvaElementCode::HTMLExpression2);
}

bool IsColour(uint32_t value) { return value == 0xFFFFFFFFu || value < (1u << 24); }

// Where an item of the bytes at `at`, with `remaining` behind it, ends; 0
// when its head or payload runs past `remaining` (or it is a stray byte).
uint64_t WholeItemSize(const uint8_t* at, uint64_t remaining) {
  if (remaining < 2) return 0;
  if (StreamUnit(at) != 0) return 2;
  if (remaining < 4) return 0;
  if (StreamUnit(at + 2) < kFirstElementCode) return remaining >= kRecordSize ? kRecordSize : 0;
  if (remaining < kElementHeadSize) return 0;
  const uint64_t whole = uint64_t(kElementHeadSize) + StreamLong(at + 4);
  return whole <= remaining ? whole : 0;
}

// The visible tail of a computed element: whole items only (units, the
// look records of a source text, a nested picture). False when an item
// runs past the element's end.
bool TailIsWhole(const uint8_t* tail, uint64_t length) {
  for (uint64_t at = 0; at < length;) {
    const uint64_t size = WholeItemSize(tail + at, length - at);
    if (size == 0) return false;
    at += size;
  }
  return true;
}

// Units below 32 other than 13 in the tail's text become "?"; the items in
// it stay as they are. Answers whether a byte changed.
bool MendTailUnits(uint8_t* tail, uint64_t length) {
  bool changed = false;
  for (uint64_t at = 0; at + 2 <= length;) {
    const uint16_t unit = StreamUnit(tail + at);
    if (unit != 0 && unit < 32 && unit != kUnitParagraphEnd) {
      PutStreamUnit(tail + at, kUnitQuestion);
      changed = true;
    }
    const uint64_t size = WholeItemSize(tail + at, length - at);
    if (size == 0) break;
    at += size;
  }
  return changed;
}

class StreamRepair {
 public:
  StreamRepair(uint8_t* stream, uint32_t size, uint32_t format, int32_t fontCount,
               const std::vector<int32_t>& sheetIds, xMorvaLoadWalk* walk)
      : s(stream), fSize(size), fFormat(format), fFontCount(fontCount), fSheets(sheetIds), fWalk(walk) {
    xMorvaProperties defaults;
    for (uint16_t id = 0; id < kPropTabs; ++id) fRunning[id] = uint32_t(defaults.GetProperty(id));
    fDpi = uint64_t(GetScreenResolution());
  }

  // The bytes kept; the stream holds them from its start.
  uint32_t Run() {
    while (r < fSize) {
      // A run of ordinary characters (32 and above) is kept in one move.
      const uint32_t run = SkipOrdinaryUnits(s, r, fSize);
      if (run != r) {
        if (fWalk != nullptr) fWalk->positions += (run - r) / 2;
        Keep(run - r);
        fAtParagraphStart = false;
        continue;
      }
      const uint32_t remaining = fSize - r;
      if (remaining < 2) {
        // A byte that is no whole unit.
        Damage();
        break;
      }
      const uint16_t unit = StreamUnit(s + r);
      if (unit != 0) {
        Unit(unit);
        continue;
      }
      const uint64_t whole = WholeItemSize(s + r, remaining);
      if (whole == 0) {
        // An item cut by the end of the stream: it and all behind it go.
        Damage();
        break;
      }
      const uint16_t code = StreamUnit(s + r + 2);
      if (code >= kFirstElementCode)
        Element(code, uint32_t(whole));
      else
        Record(code, StreamLong(s + r + 4));
    }
    FlushParagraph();
    if (fShiftSheets) ShiftSheets();
    return w;
  }

  bool Changed() const { return fChanged || w != fSize; }
  bool Damaged() const { return fDamaged; }

 private:
  void Damage() {
    fDamaged = true;
    fChanged = true;
  }

  // Moves `n` bytes from the read place to the write place (never ahead of
  // it: the write place only falls behind).
  void Keep(uint32_t n) {
    if (w != r) std::memmove(s + w, s + r, n);
    w += n;
    r += n;
  }

  void Unit(uint16_t unit) {
    if (unit < 32 && unit != kUnitParagraphEnd) {
      PutStreamUnit(s + r, kUnitQuestion);
      Damage();
    }
    Keep(2);
    if (fWalk != nullptr) ++fWalk->positions;
    fAtParagraphStart = unit == kUnitParagraphEnd;
    if (fAtParagraphStart) FlushParagraph();
  }

  void Element(uint16_t code, uint32_t whole) {
    fAtParagraphStart = false;
    uint8_t* item = s + r;
    const uint32_t a = StreamLong(item + 4);
    const uint32_t b = StreamLong(item + 8);
    if (!ElementIsValid(code, item + kElementHeadSize, a, b)) {
      Damage();
      r += whole;
      return;
    }
    // The digits layout wrote into a page number are put back to their
    // placeholders; that is no repair: every stored page number has them, so
    // counting it would report each laid-out document as repaired on load.
    if (code == xMorvaElementCode::PageNumber) OverwritePageNumber(item + kElementHeadSize);
    if (code >= kFirstComputedCode && MendTailUnits(item + kElementHeadSize + b, a - b)) Damage();
    Keep(whole);
    if (fWalk != nullptr) {
      ++fWalk->positions;
      const bool old = fFormat == kFormat0103;
      if (code == xMorvaElementCode::Pict || code == xMorvaElementCode::ExprQv ||
          code == xMorvaElementCode::DateTime ||
          (old && (code == xMorvaElementCode::Tab || IsBreakCode(code))))
        fWalk->elements.push_back(w - whole);
    }
    // A break ends its paragraph as 13 does: the records after it belong to
    // the next paragraph and stay where they are.
    if (IsBreakCode(code)) {
      fAtParagraphStart = true;
      FlushParagraph();
    }
  }

  bool ElementIsValid(uint16_t code, const uint8_t* payload, uint32_t a, uint32_t b) const {
    if (b > a) return false;
    // From 23999 on the tail from b is text: whole units.
    if (code >= kFirstComputedCode && ((a - b) & 1) != 0) return false;
    const bool old = fFormat == kFormat0103;
    switch (code) {
      case xMorvaElementCode::Tab:
        return a == (old ? 10u : 14u);
      case xMorvaElementCode::Pict:
        return a >= 24;
      case xMorvaElementCode::SoftHyphen:
        return a == 2;
      case xMorvaElementCode::ColBreak:
      case xMorvaElementCode::PageBreak:
        if (old) {
          return a == 4 && StreamUnit(payload) == kUnitParagraphEnd &&
                 StreamUnit(payload + 2) == kUnitParagraphEnd;
        }
        return a == 2 && StreamUnit(payload) == kUnitParagraphEnd;
      default:
        break;
    }
    if (!IsComputedCode(code) || a < kComputedHeadSize) return false;
    const uint64_t w0 = StreamLong(payload);
    const uint64_t w1 = StreamLong(payload + 4);
    const uint64_t w2 = StreamLong(payload + 8);
    // The texts are units, and the visible one is the tail from b: their
    // lengths are even; the order flag is 0 or 1.
    return uint64_t(a) == w0 + w1 + w2 + kComputedHeadSize && (w1 & 1) == 0 && (w2 & 1) == 0 &&
           ((a - b) & 1) == 0 && payload[12] <= 1 && TailIsWhole(payload + b, a - b);
  }

  // A page number's result shows placeholders until layout writes it.
  // Answers whether a byte changed.
  static bool OverwritePageNumber(uint8_t* payload) {
    const uint64_t w0 = StreamLong(payload);
    const uint64_t w1 = StreamLong(payload + 4);
    const uint64_t w2 = StreamLong(payload + 8);
    uint8_t* result = payload + kComputedHeadSize + w0 + (payload[12] == 0 ? w2 : 0);
    bool changed = false;
    for (uint64_t i = 0; i + 1 < w1; i += 2) {
      if (StreamUnit(result + i) == kUnitPlaceholder) continue;
      PutStreamUnit(result + i, kUnitPlaceholder);
      changed = true;
    }
    return changed;
  }

  void Record(uint16_t id, uint32_t value) {
    if (id <= kLastCharacterProperty) fAtParagraphStart = false;
    // A load's tab stops are judged at the places they load at: two stops
    // stored at the same points may stand at two places, and the removal
    // of one is then no repeat of the other's.
    // The loaded value is taken once for every record, judged or not: a
    // tab stop's exact positions are taken in the stops' order, and the
    // other conversions depend on the value alone.
    const uint32_t loaded = fWalk != nullptr ? LoadedPropertyValue(id, value) : value;
    if (fWalk != nullptr && id == kPropTabs) value = loaded;
    if (!RecordIsValid(id, value)) {
      Damage();
      r += kRecordSize;
      return;
    }
    const bool paragraphRecord = id >= kFirstParagraphProperty;
    const bool misplaced = paragraphRecord && !fAtParagraphStart;
    // A misplaced record goes to its paragraph's start ahead of the records
    // there, which thus win over it, as one moved before it does: when one
    // of them sets the same property (or the same tab position), the moved
    // record would set a value that nothing reads, and the next repair
    // would find it redundant. It goes now, so that a repaired text needs
    // no further repair.
    if (misplaced && SetInParagraph(id, value)) {
      fChanged = true;
      r += kRecordSize;
      return;
    }
    if (IsRedundant(id, value)) {
      fChanged = true;
      r += kRecordSize;
      return;
    }
    if (paragraphRecord) NoteInParagraph(id, value);
    if (misplaced) {
      // Moved to the paragraph's start, ahead of the records already there.
      fMoved.insert(fMoved.end(), s + r, s + r + kRecordSize);
      if (fWalk != nullptr) PutStreamLong(fMoved.data() + fMoved.size() - 4, loaded);
      fChanged = true;
      r += kRecordSize;
      return;
    }
    Keep(kRecordSize);
    // A load's other records take their loaded values once judged by the
    // stored ones.
    if (fWalk != nullptr) PutStreamLong(s + w - 4, loaded);
  }

  bool RecordIsValid(uint16_t id, uint32_t value) {
    switch (id) {
      case kPropBold:
      case kPropItalic:
      case kPropShadow:
      case kPropStrikeOut:
      case kPropLeftBorder:
      case kPropRightBorder:
      case kPropTopBorder:
      case kPropBottomBorder:
        return value <= 1;
      case kPropUnderline:
      case kPropLinkLook:
        return value <= 4;
      case kPropVerticalPosition:
      case kPropLetterCase:
        return value <= 2;
      case kPropFont:
        return value >= 1 && fFontCount >= 1 && value <= uint32_t(fFontCount);
      case kPropSize:
        return value >= 1 && value <= 255;
      case kPropTextColour:
      case kPropBackColour:
      case kPropStrikeOutColour:
      case kPropUnderlineColour:
      case kPropShadowColour:
      case kPropParagraphBackColour:
      case kPropBorderColour:
        return IsColour(value);
      case kPropStyleSheet: {
        const int32_t sheet = int32_t(value);
        if (std::find(fSheets.begin(), fSheets.end(), sheet) != fSheets.end()) return true;
        // Texts that refer to a sheet 2 the document lacks had their sheets
        // counted from 1: every sheet record is raised by one after the walk.
        if (sheet == 2) {
          fShiftSheets = true;
          return true;
        }
        return false;
      }
      case kPropAttribute16:
        return fFormat > kFormat0105;
      case kPropAlignment:
        return value <= 3;
      case kPropInterline:
        return value >= 10 && value <= 100;
      case kPropBullet:
        return value == 0 || value >= 32;
      case kPropLeftIndent:
      case kPropFirstLineIndent:
      case kPropRightIndent:
        return true;
      case kPropBorderStyle:
        return value <= 10;
      case kPropBorderSpacing:
        return int32_t(value) >= 0 && uint64_t(value) * fDpi <= kMostSpacingTwipsTimesDpi;
      case kPropTabs: {
        const uint8_t leader = TabStopLeader(value);
        return (leader == 0 || leader >= 32) && TabStopKind(value) <= 5;
      }
      default:
        return false;
    }
  }

  // Whether a record of the paragraph met before (kept at its start or
  // moved there) sets the property, or for tabs the stop's position.
  bool SetInParagraph(uint16_t id, uint32_t value) const {
    if (id != kPropTabs) return id < kPropTabs && fParagraphSets[id];
    return std::find(fParagraphStops.begin(), fParagraphStops.end(), TabStopPosition(value)) !=
           fParagraphStops.end();
  }

  void NoteInParagraph(uint16_t id, uint32_t value) {
    if (id != kPropTabs) {
      if (id < kPropTabs) fParagraphSets[id] = true;
    } else {
      fParagraphStops.push_back(TabStopPosition(value));
    }
  }

  // Compared with, and else taken into, the running values.
  bool IsRedundant(uint16_t id, uint32_t value) {
    if (id != kPropTabs) {
      if (fRunning[id] == value) return true;
      fRunning[id] = value;
      return false;
    }
    uint32_t held = 0;
    if (TabStopKind(value) == kTabNone) {
      if (!fTabs.FindStop(TabStopPosition(value), held)) return true;
    } else if (fTabs.Contains(value)) {
      return true;
    }
    fTabs.AddStop(value);
    return false;
  }

  // Puts the records moved out of the paragraph that ends here at its
  // start, the last moved first, with one move of the paragraph's bytes.
  void FlushParagraph() {
    if (!fMoved.empty()) {
      const uint32_t n = uint32_t(fMoved.size());
      std::memmove(s + fParagraphStart + n, s + fParagraphStart, w - fParagraphStart);
      uint8_t* at = s + fParagraphStart;
      for (uint32_t i = n; i >= kRecordSize; i -= kRecordSize) {
        std::memcpy(at, fMoved.data() + i - kRecordSize, kRecordSize);
        at += kRecordSize;
      }
      w += n;
      fMoved.clear();
      // The elements noted in the paragraph moved with it.
      if (fWalk != nullptr) {
        for (auto e = fWalk->elements.rbegin(); e != fWalk->elements.rend() && *e >= fParagraphStart; ++e)
          *e += n;
      }
    }
    fParagraphStart = w;
    std::fill(std::begin(fParagraphSets), std::end(fParagraphSets), false);
    fParagraphStops.clear();
    // The running stops go on into the next paragraph: a text's stops are
    // the sum of its tab records (xMorvaEngine::GetTabsAt), so a removal
    // at a paragraph start takes away a stop of the paragraph before.
  }

  void ShiftSheets() {
    for (uint32_t at = 0; at < w;) {
      const StreamItem item = ReadStreamItem(s + at, w - at);
      if (item.kind == StreamItem::kRecord && item.unit == kPropStyleSheet)
        PutStreamLong(s + at + 4, item.value + 1);
      at += item.size;
    }
    fChanged = true;
  }

  uint8_t* s;
  uint32_t fSize;
  uint32_t fFormat;
  int32_t fFontCount;
  const std::vector<int32_t>& fSheets;
  xMorvaLoadWalk* fWalk;
  uint64_t fDpi = 96;
  uint32_t fRunning[kPropTabs] = {};
  xMorvaTabs fTabs;
  // The read and write places; the start of the paragraph being written.
  uint32_t r = 0;
  uint32_t w = 0;
  uint32_t fParagraphStart = 0;
  bool fAtParagraphStart = true;
  // Paragraph records waiting for the end of their paragraph, as met.
  std::vector<uint8_t> fMoved;
  // The properties and tab positions that the paragraph's records kept so
  // far set, at its start or moved there.
  bool fParagraphSets[kPropTabs] = {};
  std::vector<int16_t> fParagraphStops;
  bool fShiftSheets = false;
  bool fChanged = false;
  bool fDamaged = false;
};

bool IsBreakOpportunityUnit(uint16_t unit) {
  return IsSpaceUnit(unit) || unit == kUnitSoftHyphen || unit == u'-' || unit == 0x2013 || unit == 0x2014 ||
         (unit >= 0x1100 && unit <= 0x1DFF) || (unit >= 0x3000 && unit <= 0xFB4F);
}

}  // namespace

bool xMorvaEngine::RepairStream(int32_t fontCount, const std::vector<int32_t>& sheetIds, bool& damaged) {
  if (RepairStreamBytes(fontCount, sheetIds, damaged)) return true;
  fLength = int32_t(RecountPositions());
  DropCache();
  SetSelection(fSelStart, fSelEnd);
  return false;
}

bool xMorvaEngine::RepairLoadedStream(int32_t fontCount, const std::vector<int32_t>& sheetIds, bool& damaged) {
  // The header read before the stream left its count of positions as the
  // length; the walk counts them again.
  const int32_t stated = fLength;
  xMorvaLoadWalk walk;
  const bool whole = RepairStreamBytes(fontCount, sheetIds, damaged, &walk);
  FixUpStream(&walk);
  return whole && fLength == stated;
}

bool xMorvaEngine::RepairStreamBytes(int32_t fontCount, const std::vector<int32_t>& sheetIds,
                                     bool& damaged, xMorvaLoadWalk* walk) {
  damaged = false;
  uint8_t* stream = LockStream();
  if (stream == nullptr) return true;
  StreamRepair repair(stream, fBytesInUse, fFormat, fontCount, sheetIds, walk);
  const uint32_t kept = repair.Run();
  UnlockStream();
  damaged = repair.Damaged();
  if (!repair.Changed()) return true;
  fBytesInUse = kept;
  gMemoryMgr->SetHandleSize(fStream, kept);
  return false;
}

// ---- Selection by number

bool xMorvaEngine::SelectParagraphs(int32_t n, int32_t m) {
  if (n < 1 || m < 1 || m < n) return false;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return false;
  // Paragraph k starts after the (k - 1)-th 13 and ends after the k-th.
  int32_t position = 0;
  int32_t ends = 0;
  int32_t start = n == 1 ? 0 : -1;
  int32_t end = -1;
  for (uint32_t at = 0; at < fBytesInUse && end < 0;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind != StreamItem::kRecord) ++position;
    if (item.kind == StreamItem::kUnit && item.unit == kUnitParagraphEnd) {
      ++ends;
      if (ends == n - 1) start = position;
      if (ends == m) end = position;
    }
    at += item.size;
  }
  UnlockStream();
  // The last paragraph has no 13 and ends with the text.
  if (end < 0 && ends == m - 1) end = fLength;
  if (start < 0 || end < 0) return false;
  SetSelection(start, end);
  return true;
}

namespace {

// Run starts of a stream: run 1 at 0, then one at each position where a
// record of the kind counted stands, unless the last run began there.
// `which`: 0 any record group, 1 paragraph records, 2 character records.
std::vector<int32_t> RunStarts(const uint8_t* stream, uint32_t size, int which, int32_t limit) {
  std::vector<int32_t> starts{0};
  int32_t position = 0;
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kRecord) {
      const bool counted = which == 0 || (which == 1 && item.unit >= kFirstParagraphProperty && item.unit < 15999) ||
                           (which == 2 && item.unit < kFirstParagraphProperty);
      if (counted && position != starts.back()) {
        starts.push_back(position);
        // Only the run asked for and the one after it are needed.
        if (int32_t(starts.size()) > limit) break;
      }
    } else {
      ++position;
    }
    at += item.size;
  }
  return starts;
}

}  // namespace

bool xMorvaEngine::SelectFormatRuns(int32_t n, int32_t m) {
  if (n < 1 || m < 1 || m < n) return false;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return false;
  const std::vector<int32_t> starts = RunStarts(stream, fBytesInUse, 0, m + 1);
  UnlockStream();
  if (size_t(n) > starts.size()) return false;
  const int32_t start = starts[size_t(n - 1)];
  const int32_t end = size_t(m) < starts.size() ? starts[size_t(m)] : fLength;
  if (end <= start) return false;
  SetSelection(start, end);
  return true;
}

bool xMorvaEngine::SelectRecordRun(int which, int32_t n) {
  if (n < 1) return false;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return false;
  const std::vector<int32_t> starts = RunStarts(stream, fBytesInUse, which, n + 1);
  UnlockStream();
  if (size_t(n) > starts.size()) return false;
  SetSelection(starts[size_t(n - 1)], size_t(n) < starts.size() ? starts[size_t(n)] : fLength);
  return true;
}

bool xMorvaEngine::SelectParagraphFormatRun(int32_t n) { return SelectRecordRun(1, n); }

bool xMorvaEngine::SelectCharacterFormatRun(int32_t n) { return SelectRecordRun(2, n); }

bool xMorvaEngine::SelectElement(uint16_t code, int32_t n) {
  if (n < 1) return false;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return false;
  int32_t position = 0;
  int32_t counted = 0;
  uint32_t at = 0;
  // Selecting the elements of a code in turn would walk from the start for
  // each: the walk counts on from the last one found when it lies before.
  if (fElementCacheNumber > 0 && fElementCacheCode == code && fElementCacheNumber <= n &&
      fElementCacheOffset < fBytesInUse) {
    at = fElementCacheOffset;
    position = fElementCachePosition;
    counted = fElementCacheNumber - 1;
  }
  int32_t found = -1;
  while (at < fBytesInUse) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kElement && item.unit == code && ++counted == n) {
      found = position;
      break;
    }
    if (item.kind != StreamItem::kRecord) ++position;
    at += item.size;
  }
  UnlockStream();
  if (found < 0) return false;
  fElementCacheCode = code;
  fElementCacheNumber = n;
  fElementCacheOffset = at;
  fElementCachePosition = found;
  SetSelection(found, found + 1);
  return true;
}

bool xMorvaEngine::SelectionHasElement(uint16_t code) { return FindElement(code, false, true) >= 0; }

bool xMorvaEngine::HasTabElement(uint32_t startOffset, uint32_t endOffset) {
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return false;
  const uint32_t end = std::min(endOffset, fBytesInUse);
  bool found = false;
  for (uint32_t at = startOffset; at < end && !found;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    found = item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::Tab;
    at += item.size;
  }
  UnlockStream();
  return found;
}

bool xMorvaEngine::HasBreakOpportunity(uint32_t startOffset, uint32_t endOffset) {
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return false;
  const uint32_t end = std::min(endOffset, fBytesInUse);
  bool found = false;
  // A text walk: the visible tails of computed elements are met as units.
  for (uint32_t at = startOffset; at < end && !found;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    found = (item.kind == StreamItem::kUnit && IsBreakOpportunityUnit(item.unit)) ||
            (item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::SoftHyphen);
    at += item.skipSize;
  }
  UnlockStream();
  return found;
}
