// xMorvaEngine: the element stream's primitives, the engine's selection and
// the walks behind it.
#include "engine/xMorvaEngine.h"

#include <algorithm>
#include <cstring>

#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine_p.h"
#include "engine/xMorvaLines.h"
#include "framework/core/intl/Clusters.h"
#include "framework/core/memory/VMemoryMgr.h"

namespace {

uint8_t sWordCharacters[8192] = {};
// Paragraph record runs end before this id.
constexpr uint16_t kLastRecordId = 15999;

bool IsParagraphId(uint16_t id) { return id >= kFirstParagraphProperty; }

// Applies a record to a property set, or a tab record to a tab list.
void ApplyRecord(uint16_t id, uint32_t value, xMorvaProperties& properties, xMorvaTabs& tabs) {
  if (id == kPropTabs)
    tabs.AddStop(value);
  else
    properties.SetProperty(id, int32_t(value));
}

// Steps over at most `most` ordinary characters (units that are neither a
// record or element head nor a paragraph end) from `at`, before `end`;
// answers the offset reached. The walks' tight loop over plain text: the
// units from 32 on are passed many at a time, the control characters
// among them one by one.
uint32_t PassPlainUnits(const uint8_t* stream, uint32_t at, uint32_t end, int32_t most) {
  if (most <= 0) return at;
  const uint32_t limit = end - at > 2 * uint64_t(most) ? at + 2 * uint32_t(most) : end;
  while (limit - at >= 2) {
    at = SkipOrdinaryUnits(stream, at, limit);
    if (limit - at < 2) break;
    const uint16_t unit = StreamUnit(stream + at);
    if (unit == 0 || unit == kUnitParagraphEnd) break;
    at += 2;
  }
  return at;
}

// The script of the word that the plain units before `to`, back to
// `from`, end: kEither where a unit of no word comes first, or none has
// a script.
VWordScript ScriptOfWordBefore(const uint8_t* stream, uint32_t from, uint32_t to) {
  for (uint32_t back = to; back > from; back -= 2) {
    const char16_t unit = StreamUnit(stream + back - 2);
    if (!IsWordCharacter(unit)) break;
    const VWordScript script = WordScriptOf(unit);
    if (script != VWordScript::kEither) return script;
  }
  return VWordScript::kEither;
}

}  // namespace

bool IsWordCharacter(char16_t unit) { return (sWordCharacters[unit >> 3] >> (unit & 7)) & 1; }

void SetWordCharacters(const uint8_t* table) {
  if (table == nullptr) {
    std::memset(sWordCharacters, 0, sizeof sWordCharacters);
    return;
  }
  std::memcpy(sWordCharacters, table, sizeof sWordCharacters);
  // The table holds the BMP's letters, digits and marks: the ideographs
  // beyond it and the joiners are words too.
  for (uint32_t unit = 0x2000; unit <= 0xDFFF; ++unit) {
    if (IsWordUnitBesideTheTable(char16_t(unit))) sWordCharacters[unit >> 3] |= uint8_t(1 << (unit & 7));
  }
}

// ---- Construction

xMorvaEngine::xMorvaEngine(xMorvaUndo* undo, uint16_t granule)
    : fGranule(granule), fFormat(FourCC("0106")), fUndo(undo) {
  fStream = gMemoryMgr->NewHandle(0, granule);
  Reset();
}

xMorvaEngine::~xMorvaEngine() {
  if (fStream != 0) gMemoryMgr->DisposeHandle(fStream);
}

void xMorvaEngine::Reset() {
  fSelLength = fParaEndCount = fBreakCount = 0;
  fSelStartOffset = fSelEndOffset = fParaStartOffset = fParaEndOffset = 0;
  fSelStart = fSelEnd = fParaStart = fParaEnd = fWordStart = fWordEnd = 0;
  fWordScript = VWordScript::kEither;
  fPictureSelected = 0;
  fInLastParagraph = 1;
  fEndsWithParaEnd = 0;
  fSpaceAtEnd = 0;
  fTrailingRecordBytes = 0;
  DropCache();
  fWalk.SetDefaults();
  fCurrent.SetDefaults();
  fTyping.SetDefaults();
  fWalkTabs.Clear();
  fCurrentTabs.Clear();
  fTypingTabs.Clear();
  fStates.SetAll();
}

void xMorvaEngine::Clear() {
  fBytesInUse = 0;
  if (fStream != 0) gMemoryMgr->SetHandleSize(fStream, 0);
  fLength = 0;
  fFieldDisplayMode = 0;
  ResetPictureCaches();
  Reset();
  if (fLines != nullptr) fLines->NoteCleared();
}

// ---- Stream primitives

uint8_t* xMorvaEngine::LockStream() {
  return fStream != 0 ? static_cast<uint8_t*>(gMemoryMgr->LockHandle(fStream)) : nullptr;
}

void xMorvaEngine::UnlockStream() {
  if (fStream != 0) gMemoryMgr->UnlockHandle(fStream);
}

void xMorvaEngine::SetLength(int32_t length) { fLength = length < 0 ? 0 : length; }

// a + 12 (or b + 12) in 64 bits: a stored length near 4 GB must not wrap to
// a small step. The size is held at UINT32_MAX, which no stream reaches.
static uint32_t HeadPlus(uint32_t length) {
  const uint64_t size = uint64_t(kElementHeadSize) + length;
  return size < UINT32_MAX ? uint32_t(size) : UINT32_MAX;
}

uint32_t xMorvaEngine::ElementSize(const uint8_t* item) {
  if (StreamUnit(item + 2) < kFirstElementCode) return kRecordSize;
  return HeadPlus(StreamLong(item + 4));
}

uint32_t xMorvaEngine::ElementSkipSize(const uint8_t* item) {
  const uint16_t code = StreamUnit(item + 2);
  if (code < kFirstElementCode) return kRecordSize;
  return HeadPlus(StreamLong(item + (code < kFirstComputedCode ? 4 : 8)));
}

void xMorvaEngine::NoteLinesChange(uint32_t offset, uint32_t removed, uint32_t inserted) {
  if (fLines != nullptr) fLines->NoteChange(offset, removed, inserted);
}

void xMorvaEngine::RecomposeRange(int32_t firstOffset, int32_t lastOffset) {
  if (fLines == nullptr || lastOffset < firstOffset || lastOffset < 0) return;
  const uint32_t first = std::min<uint32_t>(uint32_t(std::max(firstOffset, 0)), fBytesInUse);
  const uint32_t last = std::min<uint32_t>(uint32_t(lastOffset), fBytesInUse);
  fLines->NoteChange(first, last - first, last - first);
}

void xMorvaEngine::StreamChangedAt(uint32_t offset) {
  // The cache point keeps the walk state at its offset: a change at or
  // before it makes that state wrong. A point known by its position alone
  // lies before the offset bound: a change before the bound may be before
  // it, and drops it too.
  if (fCachePosition != 0 && (fCacheHasState ? offset <= fCacheOffset : offset < fCacheBoundOffset))
    fCachePosition = 0;
  // The last walk's stop holds the state of the bytes before it alone.
  if (offset < fStopOffset) fStopValid = false;
  fElementCacheNumber = 0;
  ForgetMarksFrom(offset);
}

void xMorvaEngine::ForgetMarksFrom(uint32_t offset) {
  // The marks whose state the change may have made wrong: those at or
  // after it.
  if (fMarkIndex.empty() || fMarkIndex.back().offset < offset) return;
  // Their slots stay, to be filled again.
  while (!fMarkIndex.empty() && fMarkIndex.back().offset >= offset) fMarkIndex.pop_back();
  // The lists of the marks kept end with the last one's.
  size_t kept = 0;
  if (!fMarkIndex.empty()) {
    const uint32_t last = std::max(fMarkIndex.back().walkStops, fMarkIndex.back().pendingStops);
    kept = size_t(last) + 1 + fMarkStops[last];
  }
  fMarkStops.resize(kept);
}

int32_t xMorvaEngine::InsertBytes(uint32_t offset, const void* source, uint32_t n) {
  if (fStream == 0 || offset > fBytesInUse) return kErrorTextCannotGrow;
  if (n == 0) return 0;
  const uint64_t wanted = uint64_t(fBytesInUse) + n;
  if (wanted > uint64_t(INT32_MAX)) return kErrorTextCannotGrow;
  if (gMemoryMgr->GetHandleSize(fStream) < wanted &&
      !gMemoryMgr->SetHandleSize(fStream, uint32_t(wanted))) {
    return kErrorTextCannotGrow;
  }
  uint8_t* stream = LockStream();
  if (stream == nullptr) return kErrorTextCannotGrow;
  if (offset < fBytesInUse) MoveBlock(stream + offset, stream + offset + n, fBytesInUse - offset);
  if (source != nullptr)
    std::memcpy(stream + offset, source, n);
  else
    std::memset(stream + offset, 0, n);
  if (fUndo != nullptr) fUndo->RecordStreamChange(kUndoInsertion, int32_t(offset), stream + offset, int32_t(n));
  UnlockStream();
  fBytesInUse += n;
  StreamChangedAt(offset);
  NoteLinesChange(offset, 0, n);
  return 0;
}

int32_t xMorvaEngine::InsertBytes(int32_t offset, int32_t n) {
  if (offset < 0 || n < 0) return kErrorTextCannotGrow;
  return InsertBytes(uint32_t(offset), nullptr, uint32_t(n));
}

void xMorvaEngine::DeleteBytes(int32_t offset, int32_t n) {
  if (fStream == 0 || offset < 0 || n <= 0 || uint32_t(offset) >= fBytesInUse) return;
  const uint32_t at = uint32_t(offset);
  const uint32_t count = uint32_t(n) < fBytesInUse - at ? uint32_t(n) : fBytesInUse - at;
  uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  if (fUndo != nullptr) fUndo->RecordStreamChange(kUndoDeletion, int32_t(at), stream + at, int32_t(count));
  if (at + count < fBytesInUse) MoveBlock(stream + at + count, stream + at, fBytesInUse - at - count);
  UnlockStream();
  fBytesInUse -= count;
  // While an edit holds the block grown ahead it stays so.
  if (fReserveDepth == 0) gMemoryMgr->SetHandleSize(fStream, fBytesInUse);
  StreamChangedAt(at);
  NoteLinesChange(at, count, 0);
}

void xMorvaEngine::ReplaceBytes(uint32_t offset, const void* source, uint32_t n) {
  if (fStream == 0 || offset > fBytesInUse || n > fBytesInUse - offset || n == 0) return;
  uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  if (fUndo != nullptr) {
    fUndo->RecordStreamChange(kUndoDeletion, int32_t(offset), stream + offset, int32_t(n));
    fUndo->RecordStreamChange(kUndoInsertion, int32_t(offset), static_cast<const uint8_t*>(source),
                              int32_t(n));
  }
  std::memcpy(stream + offset, source, n);
  UnlockStream();
  StreamChangedAt(offset);
  NoteLinesChange(offset, n, n);
}

int32_t xMorvaEngine::InsertPropertyRecord(uint32_t offset, uint16_t id, uint32_t value) {
  uint8_t record[kRecordSize];
  PutPropertyRecord(record, id, value);
  return InsertBytes(offset, record, kRecordSize);
}

bool xMorvaEngine::Reserve(uint64_t extra) {
  if (fStream == 0) return false;
  const uint64_t wanted = uint64_t(fBytesInUse) + extra;
  if (wanted > uint64_t(INT32_MAX)) return false;
  if (gMemoryMgr->GetHandleSize(fStream) < wanted &&
      !gMemoryMgr->SetHandleSize(fStream, uint32_t(wanted))) {
    return false;
  }
  ++fReserveDepth;
  return true;
}

bool xMorvaEngine::ReserveCapacity(uint32_t extra) {
  if (fStream == 0) return false;
  const uint64_t wanted = uint64_t(fBytesInUse) + extra;
  if (wanted > uint64_t(INT32_MAX)) return false;
  if (gMemoryMgr->GetHandleSize(fStream) >= wanted) return true;
  return gMemoryMgr->SetHandleSize(fStream, uint32_t(wanted));
}

void xMorvaEngine::ReleaseCapacity() {
  if (fStream != 0 && fReserveDepth == 0 && gMemoryMgr->GetHandleSize(fStream) > fBytesInUse) {
    gMemoryMgr->SetHandleSize(fStream, fBytesInUse);
  }
}

void xMorvaEngine::ReleaseReserve() {
  if (--fReserveDepth == 0 && gMemoryMgr->GetHandleSize(fStream) > fBytesInUse) {
    gMemoryMgr->SetHandleSize(fStream, fBytesInUse);
  }
}

void xMorvaEngine::ApplyRecordsInRange(uint32_t start, uint32_t end, xMorvaProperties& properties) {
  if (end > fBytesInUse) end = fBytesInUse;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  xMorvaTabs unused;
  for (uint32_t at = start; at < end;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kRecord && item.unit < kFirstElementCode && item.unit != kPropTabs)
      properties.SetProperty(item.unit, int32_t(item.value));
    at += item.size;
  }
  UnlockStream();
}

bool xMorvaEngine::RemoveRecordAt(uint16_t id, uint32_t offset) {
  if (offset >= fBytesInUse) return false;  // no record after the text's end
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return false;
  uint32_t found = fBytesInUse;
  for (uint32_t at = offset; at < fBytesInUse;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind != StreamItem::kRecord || item.size != kRecordSize) break;
    if (item.unit == id) {
      found = at;
      break;
    }
    at += item.size;
  }
  UnlockStream();
  if (found == fBytesInUse) return false;
  DeleteBytes(int32_t(found), int32_t(kRecordSize));
  return true;
}

uint32_t xMorvaEngine::RemoveParagraphRecordsAt(uint32_t offset) {
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return 0;
  uint32_t at = offset;
  while (at < fBytesInUse) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind != StreamItem::kRecord || item.size != kRecordSize || item.unit < kFirstParagraphProperty ||
        item.unit >= kLastRecordId) {
      break;
    }
    at += kRecordSize;
  }
  UnlockStream();
  const uint32_t count = at - offset;
  if (count != 0) DeleteBytes(int32_t(offset), int32_t(count));
  return count;
}

void xMorvaEngine::ReadParagraphRecordsAt(uint32_t offset, xMorvaProperties& properties, xMorvaTabs& tabs) {
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  for (uint32_t at = offset; at < fBytesInUse;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind != StreamItem::kRecord || item.size != kRecordSize || item.unit < kFirstParagraphProperty)
      break;
    ApplyRecord(item.unit, item.value, properties, tabs);
    at += kRecordSize;
  }
  UnlockStream();
}

void xMorvaEngine::GetTabsAt(uint32_t offset, xMorvaTabs& tabs) {
  tabs.Clear();
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  const uint32_t end = std::min(offset, fBytesInUse);
  for (uint32_t at = 0; at < end;) {
    // Characters, the bulk of a text, are stepped over two bytes at a time.
    if (at + 1 < fBytesInUse && (stream[at] | stream[at + 1]) != 0) {
      at += 2;
      continue;
    }
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kRecord && item.size == kRecordSize && item.unit == kPropTabs)
      tabs.AddStop(item.value);
    at += item.size;
  }
  UnlockStream();
}

uint32_t xMorvaEngine::FindParagraphEndFrom(uint32_t offset) {
  const uint8_t* stream = LockStream();
  uint32_t at = offset;
  while (stream != nullptr && at < fBytesInUse) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    at += item.size;
    if ((item.kind == StreamItem::kUnit && item.unit == kUnitParagraphEnd) ||
        (item.kind == StreamItem::kElement && IsBreakCode(item.unit))) {
      UnlockStream();
      return at;
    }
  }
  if (stream != nullptr) UnlockStream();
  fInLastParagraph = 1;
  return fBytesInUse;
}

void xMorvaEngine::GetRecordStatesInRange(uint32_t offset, uint32_t n, xMorvaPropertiesStates& states,
                                          bool& paragraphId) {
  states.SetAll();
  paragraphId = false;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  const uint32_t end = offset + n < fBytesInUse && offset + n >= offset ? offset + n : fBytesInUse;
  for (uint32_t at = offset; at < end;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kRecord && item.unit < kFirstElementCode) {
      states.SetState(item.unit, 0);
      if (IsParagraphId(item.unit)) paragraphId = true;
    }
    at += item.size;
  }
  UnlockStream();
}

// ---- Selection

void xMorvaEngine::GetSelection(int32_t& start, int32_t& end) const {
  start = fSelStart;
  end = fSelEnd;
}

void xMorvaEngine::GetSelection(int32_t* start, int32_t* end) const {
  if (start != nullptr) *start = fSelStart;
  if (end != nullptr) *end = fSelEnd;
}

bool xMorvaEngine::TrySetSelection(int32_t start, int32_t end) {
  if (start < 0 || end < 0) return false;
  if (start > fLength) start = fLength;
  if (end > fLength) end = fLength;
  if (end < start) return false;
  SetSelection(start, end);
  return true;
}

bool xMorvaEngine::GetTab(int32_t index, uint32_t& stop) const {
  if (index < 0 || index >= fCurrentTabs.Count()) return false;
  stop = fCurrentTabs.StopAt(index);
  return true;
}

int16_t xMorvaEngine::GetPlainStyleState() const {
  bool plain = true;
  for (uint16_t id = kPropBold; id <= kPropVerticalPosition; ++id) {
    if (fStates.GetState(id) == 0) return 2;
    if (fCurrent.GetProperty(id) != 0) plain = false;
  }
  return plain ? 1 : 0;
}

void xMorvaEngine::SetSelection(int32_t start, int32_t end) { Select(start, end, false); }

void xMorvaEngine::SetSelectionAsTyped(int32_t start, int32_t end) {
  Select(start, end, start == end);
}

void xMorvaEngine::Select(int32_t start, int32_t end, bool caretAsGiven) {
  if (end < 0) end = 0;
  if (end > fLength) end = fLength;
  if (start < 0) start = 0;
  if (start > fLength) start = fLength;
  if (end < start) end = start;
  fSelLength = end - start;

  const uint8_t* stream = LockStream();
  static const uint8_t kEmpty[2] = {0, 0};
  if (stream == nullptr) stream = kEmpty;  // an empty stream: every walk ends at once
  // The old selection's offsets may predate an edit: the reads below start
  // from the marks, the last stop and the cache point, never from them.
  fSelStart = fSelEnd = 0;
  fSelEndOffset = 0;
  fSelStartOffset = WalkToPosition(stream, start);
  // No end of a selection falls inside what a user sees as one character
  // (a pair, a letter with its marks, a flag, a joined emoji, a syllable of
  // jamo), whatever road set it: a start there goes to the character's
  // start (a caret with it), an end to its end. Before a paragraph end, an
  // element or a control a caret always may stand. Only the caret that
  // typing left inside a character, given back as it stood, stays there.
  // The walk there knows the code point before the start when it passed it.
  const bool startKnown = fStopValid && fStopPosition == start && fStopKnowsBefore;
  if (!caretAsGiven && start > 0 && start < fLength &&
      UnitPastRecords(stream, fSelStartOffset, fBytesInUse) >= 0x20 && stream != kEmpty &&
      !(startKnown ? IsClusterPlace(stream, start, PlaceSides{fSelStartOffset, fStopBefore})
                   : IsClusterPlace(stream, start))) {
    fSelStartOffset = 0;
    const int32_t place = ClusterPlaceFrom(stream, start, false);
    UnlockStream();
    SetSelection(place, end == start ? place : end);
    return;
  }
  fSelStart = start;
  fParaEndCount = fBreakCount = 0;
  fSpaceAtEnd = fPictureSelected = 0;
  fStates.SetAll();

  TakeWordAtSelection(stream);
  // The script of the word that the caret or the selection's end is in.
  VWordScript endScript = fWordStart == fSelStart ? VWordScript::kEither : fWordScript;
  uint32_t reached = fSelStartOffset;
  uint32_t characterRecordBytes = 0;
  if (fSelLength == 0) {
    fEndsWithParaEnd = 0;
    fTyping.Assign(fCurrent);
    fTypingTabs.Assign(fCurrentTabs);
  } else {
    fEndsWithParaEnd = 0;
    fTrailingRecordBytes = 0;
    endScript = VWordScript::kEither;
    bool endSplitsPair = false;
    char16_t endUnit = 0;
    reached = WalkSelection(stream, fSelStartOffset, fSelLength, characterRecordBytes, endScript, endSplitsPair,
                            endUnit);
    // The unit before the end and the one after it tell for most text;
    // after a paragraph end or an element a caret always may stand.
    const bool endInside =
        endSplitsPair || (end < fLength && endUnit >= 0x20 && !IsClusterPlace(stream, end, PlaceSides{reached, endUnit}));
    if (endInside) {
      const int32_t place = ClusterPlaceFrom(stream, end, true);
      if (stream != kEmpty) UnlockStream();
      SetSelection(start, place);
      return;
    }
  }
  fSelEndOffset = reached;
  fSelEnd = fParaEnd = fWordEnd = end;
  if (fEndsWithParaEnd != 0) {
    fInLastParagraph = fParaEnd == fLength ? 1 : 0;
    fParaEndOffset = fSelEndOffset - characterRecordBytes;
  } else {
    fParaEndOffset = WalkToParagraphEnd(stream, fSelEndOffset, endScript);
  }
  // A cluster belongs wholly to the word of its first unit: a word that
  // starts inside one (a mark after a character of no word) starts after
  // it, and one that ends inside one (a letter's selector, an emoji's skin
  // tone or joined emoji) ends after it.
  if (stream != kEmpty) {
    // The word's start lies before the selection's, in its paragraph: where
    // only characters stand from the paragraph's start to the selection's
    // (two bytes a position), its offset and the code point before it are
    // read there; at the paragraph's start a caret always may stand.
    if (fWordStart != fSelStart) {
      const bool characters = fWordStart >= fParaStart && fSelStartOffset >= fParaStartOffset &&
                              fSelStartOffset - fParaStartOffset == 2 * uint32_t(fSelStart - fParaStart);
      PlaceSides wordStart{fSelStartOffset - 2 * uint32_t(fSelStart - fWordStart), kUnitParagraphEnd};
      if (characters && fWordStart > fParaStart) {
        const char16_t last = StreamUnit(stream + wordStart.offset - 2);
        wordStart.before =
            CodePointEndedBy(fWordStart - fParaStart >= 2 ? StreamUnit(stream + wordStart.offset - 4) : 0, last);
      }
      if (!(characters ? IsClusterPlace(stream, fWordStart, wordStart) : IsClusterPlace(stream, fWordStart)))
        fWordStart = std::min(ClusterPlaceFrom(stream, fWordStart, true), fSelStart);
    }
    // The word's end lies past the selection's: where only characters
    // stand between them, its offset and the code point before it are read
    // there, without a walk. They do when the walk to the paragraph's end
    // met two bytes a position (no record, no element), else when the
    // units from the selection's end on say so.
    if (fWordEnd != fSelEnd) {
      const bool plainParagraph =
          fParaEndOffset - fSelEndOffset == 2 * uint32_t(fParaEnd - fSelEnd) + fTrailingRecordBytes;
      const uint32_t from = plainParagraph ? fSelEndOffset : PastRecords(stream, fSelEndOffset, fBytesInUse);
      const uint32_t to = from + 2 * uint32_t(fWordEnd - fSelEnd);
      const bool characters =
          to <= fBytesInUse && (plainParagraph || SkipCharacterUnits(stream, from, to) == to);
      const char16_t last = characters ? StreamUnit(stream + to - 2) : 0;
      const PlaceSides wordEnd{to, CodePointEndedBy(to - from >= 4 ? StreamUnit(stream + to - 4) : 0, last)};
      if (!(characters ? IsClusterPlace(stream, fWordEnd, wordEnd) : IsClusterPlace(stream, fWordEnd)))
        fWordEnd = ClusterStep(stream, fWordEnd, true);
    }
  }
  // A caret at a paragraph's start shows, and types with, the look of the
  // text after it.
  if (fSelLength == 0 && fSelStart == fParaStart) fCurrent.CopyCharacterProperties(fTyping);
  if (stream != kEmpty) UnlockStream();
}

void xMorvaEngine::MeasureOnePositionMore(uint32_t& paragraphEndOffset, uint32_t& recordBytes) {
  paragraphEndOffset = fParaEndOffset;
  recordBytes = fTrailingRecordBytes;
  if (fSelEnd >= fLength) return;  // the selection could not grow
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  // What SetSelection(start, end + 1) would leave: the walk over the
  // selection is the same up to its end, the records after it passed; only
  // the items from there on tell the paragraphs' end. An end inside a
  // character goes to the character's end, as the selection takes it.
  uint32_t at = fSelEndOffset;
  int32_t end = fSelEnd + 1;
  // The unit there and the code point after it tell for most text, read
  // from there: not behind the selection's end, which only a walk over the
  // selection would reach.
  const uint32_t unitAt = PastRecords(stream, at, fBytesInUse);
  const char16_t unit = unitAt + 2 <= fBytesInUse ? StreamUnit(stream + unitAt) : 0;
  if (end < fLength && unit >= 0x20 &&
      (StartsPair(stream, unitAt, fBytesInUse) || !IsClusterPlace(stream, end, PlaceSides{unitAt + 2, unit})))
    end = ClusterStep(stream, end, true);
  bool endsParagraph = false;
  for (int32_t count = end - fSelEnd; at < fBytesInUse && count > 0;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    at += item.size;
    if (item.kind == StreamItem::kRecord) continue;
    endsParagraph = item.kind == StreamItem::kUnit ? item.unit == kUnitParagraphEnd : IsBreakCode(item.unit);
    --count;
  }
  recordBytes = 0;
  if (endsParagraph) {
    // The records after the last selected paragraph end: the next
    // paragraph's are counted, the character ones left out of the offset.
    uint32_t characterRecordBytes = 0;
    while (at < fBytesInUse) {
      const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
      if (item.kind != StreamItem::kRecord) break;
      if (item.unit < kFirstElementCode) (IsParagraphId(item.unit) ? recordBytes : characterRecordBytes) += item.size;
      at += item.size;
    }
    paragraphEndOffset = at - characterRecordBytes;
  } else {
    // On to the paragraph's end and the paragraph records after it, as
    // the walk to the paragraph's end goes.
    bool pastEnd = false;
    while (at < fBytesInUse) {
      const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
      if (item.kind == StreamItem::kRecord) {
        if (item.unit >= kFirstElementCode || (pastEnd && item.unit < kFirstParagraphProperty)) break;
        if (pastEnd) recordBytes += kRecordSize;
      } else if (pastEnd) {
        break;
      } else {
        pastEnd = item.kind == StreamItem::kUnit ? item.unit == kUnitParagraphEnd : IsBreakCode(item.unit);
      }
      at += item.size;
    }
    paragraphEndOffset = at;
  }
  UnlockStream();
}

void xMorvaEngine::NoteParagraphStart(int32_t position, uint32_t offset, const xMorvaProperties& state,
                                      const xMorvaTabs& tabs) {
  if (position < 0 || position > fLength || offset > fBytesInUse) return;
  // The place becomes the last walk's stop, as a walk from the start would
  // leave it there: past the paragraph end, before the records of the
  // paragraph's start. A walk keeps the character properties it met and,
  // as the paragraph part of both of its states, the paragraph properties
  // in effect past the paragraph end; it meets the paragraph's own records
  // again from the stop.
  fStopValid = true;
  fStopOffset = offset;
  fStopPosition = position;
  fStopBefore = kUnitParagraphEnd;
  fStopKnowsBefore = position > 0;
  fStopParaStartOffset = offset;
  fStopParaStart = fStopWordStart = position;
  fStopWordScript = VWordScript::kEither;
  fStopWalk.Assign(state);
  fStopPending.SetDefaults();
  fStopPending.CopyParagraphProperties(state);
  fStopWalkTabs.CopyFrom(&tabs);
  fStopPendingTabs.CopyFrom(&tabs);
}

void xMorvaEngine::ResumeWalk(uint32_t paraStartOffset, int32_t paraStart, int32_t wordStart,
                              VWordScript wordScript, const xMorvaProperties& walk,
                              const xMorvaProperties& pending) {
  fParaStartOffset = paraStartOffset;
  fParaStart = paraStart;
  fWordStart = wordStart;
  fWordScript = wordScript;
  fWalk.Assign(walk);
  fPending.Assign(pending);
}

// Where a position walk stands: the offset and position reached, the
// position where it leaves a new cache point (-1: none) and the position of
// the next mark it leaves.
struct xMorvaEngine::PositionWalk {
  uint32_t at = 0;
  int32_t position = 0;
  int32_t newCache = -1;
  int32_t nextMark = 0;
  // The code point before `position` (0: an element), once known.
  char32_t before = 0;
  bool knowsBefore = false;
};

int32_t xMorvaEngine::ChooseCachePoint(int32_t target, bool& keepCache) const {
  // None when the present one already lies about the right distance
  // behind the target.
  const int32_t near = fCachePosition + kCacheDistance;
  keepCache = fCachePosition != 0 && near >= target - kCacheSlack && near <= target + kCacheSlack;
  int32_t newCache = keepCache ? -1 : target - kCacheDistance;
  if (newCache <= 0) newCache = -1;
  return newCache;
}

size_t xMorvaEngine::CountMarksBefore(int32_t limit) const {
  // Marks are left at the multiples of the spacing, in order, from the
  // first on: the count is found at once where it is that multiple's, and
  // searched for only where marks were left elsewhere.
  const size_t guess = limit > 0 ? std::min(size_t((limit - 1) / kMarkSpacing), fMarkIndex.size()) : 0;
  if ((guess == 0 || fMarkIndex[guess - 1].position < limit) &&
      (guess == fMarkIndex.size() || fMarkIndex[guess].position >= limit))
    return guess;
  const auto markAfter =
      std::lower_bound(fMarkIndex.begin(), fMarkIndex.end(), limit,
                       [](const MarkPlace& place, int32_t limit) { return place.position < limit; });
  return size_t(markAfter - fMarkIndex.begin());
}

void xMorvaEngine::LeaveCachePosition(int32_t position, uint32_t walkStartOffset) {
  fCachePosition = position;
  fCacheHasState = false;
  fCacheBoundOffset = walkStartOffset;
}

void xMorvaEngine::StartPositionWalk(PositionWalk& walk, const uint8_t* stream, int32_t target) {
  bool keepCache = false;
  const int32_t newCache = ChooseCachePoint(target, keepCache);
  // The present point stays when it lies about the right distance behind
  // the target, or between the place of a new one and the target (a walk
  // from it would not pass that place).
  const bool cacheStays = keepCache || (newCache >= 0 && fCachePosition != 0 && fCachePosition > newCache &&
                                        fCachePosition < target);
  // The walk resumes from the nearest point behind the target whose state
  // is known: the last mark before it (records exactly at the target are
  // the selection walk's: a walk resumes only from behind it), the last
  // walk's stop at or before it (left before the character records of its
  // position, so a walk from it meets them as a walk from the start
  // would), or the cache point.
  const size_t marksBefore = CountMarksBefore(target);
  const MarkPlace* mark = marksBefore != 0 ? &fMarkIndex[marksBefore - 1] : nullptr;
  if (mark != nullptr && mark->offset >= fBytesInUse) mark = nullptr;
  const bool stopUsable = fStopValid && fStopPosition <= target && fStopOffset <= fBytesInUse;
  const bool cacheUsable =
      fCachePosition != 0 && fCacheHasState && fCachePosition < target && fCacheOffset < fBytesInUse;
  enum { kFromStart, kFromMark, kFromStop, kFromCache } from = kFromStart;
  walk.at = 0;
  walk.position = 0;
  if (mark != nullptr) {
    from = kFromMark;
    walk.at = mark->offset;
    walk.position = mark->position;
  }
  if (stopUsable && fStopPosition > walk.position) {
    from = kFromStop;
    walk.at = fStopOffset;
    walk.position = fStopPosition;
  }
  if (cacheUsable && fCachePosition > walk.position) {
    from = kFromCache;
    walk.at = fCacheOffset;
    walk.position = fCachePosition;
  }
  // The bytes the walk reads lie ahead of it in one stretch, two or more a
  // position, and the selection's walks read on from there: asked for at
  // once, together with the mark's state, their loads overlap instead of
  // waiting one after the other (a walk far from the last one finds none
  // of them in the cache).
  const uint64_t ahead =
      std::min<uint64_t>(uint64_t(target - walk.position) * 5 / 2 + kPrefetchBeyond, kPrefetchLimit);
  const uint32_t prefetchEnd = uint32_t(std::min<uint64_t>(walk.at + ahead, fBytesInUse));
  if (from == kFromMark) {
    const WalkMark* state = &MarkAt(marksBefore - 1);
    for (size_t line = 0; line < sizeof(WalkMark); line += 64)
      __builtin_prefetch(reinterpret_cast<const uint8_t*>(state) + line);
    __builtin_prefetch(&fMarkStops[mark->walkStops]);
    __builtin_prefetch(&fMarkStops[mark->pendingStops]);
  }
  for (uint32_t at = walk.at; at < prefetchEnd; at += 64) __builtin_prefetch(stream + at);
  switch (from) {
    case kFromMark: {
      const WalkMark& state = MarkAt(marksBefore - 1);
      ResumeWalk(state.paraStartOffset, state.paraStart, state.wordStart, state.wordScript, state.walk,
                 state.pending);
      RestoreMarkStops(mark->walkStops, fWalkTabs);
      RestoreMarkStops(mark->pendingStops, fPendingTabs);
      break;
    }
    case kFromStop:
      walk.before = fStopBefore;
      walk.knowsBefore = fStopKnowsBefore;
      ResumeWalk(fStopParaStartOffset, fStopParaStart, fStopWordStart, fStopWordScript, fStopWalk, fStopPending);
      fWalkTabs.CopyFrom(&fStopWalkTabs);
      fPendingTabs.CopyFrom(&fStopPendingTabs);
      break;
    case kFromCache:
      ResumeWalk(fCacheParaStartOffset, fCacheParaStart, fCacheWordStart, fCacheWordScript, fCacheWalk,
                 fCachePending);
      fWalkTabs.CopyFrom(&fCacheWalkTabs);
      fPendingTabs.CopyFrom(&fCachePendingTabs);
      break;
    case kFromStart:
      fParaStartOffset = 0;
      fParaStart = fWordStart = 0;
      fWordScript = VWordScript::kEither;
      fWalk.SetDefaults();
      fPending.SetDefaults();
      fWalkTabs.Clear();
      fPendingTabs.Clear();
      break;
  }
  walk.newCache = -1;
  if (cacheStays) {
    // A point known by its position alone takes its state when the walk
    // passes it.
    if (!fCacheHasState && fCachePosition >= walk.position) walk.newCache = fCachePosition;
  } else if (newCache < 0) {
    // A target too near the start for a point behind it.
    fCachePosition = 0;
  } else if (walk.position <= newCache) {
    walk.newCache = newCache;
  } else {
    // The walk starts past the new point's place: the point is left there
    // all the same, its state to be taken by a later walk through it.
    LeaveCachePosition(newCache, walk.at);
  }
  // The next mark to leave: past the last one, at a multiple of the
  // spacing.
  const int32_t lastMark = fMarkIndex.empty() ? 0 : fMarkIndex.back().position;
  walk.nextMark = (std::max(lastMark, walk.position - 1) / kMarkSpacing + 1) * kMarkSpacing;
}

void xMorvaEngine::SaveWalkMark(PositionWalk& walk) {
  // Marks are kept in blocks: thousands of them take a few allocations.
  const size_t count = fMarkIndex.size();
  if (count == fMarkBlocks.size() * kMarksPerBlock) fMarkBlocks.push_back(std::make_unique<WalkMark[]>(kMarksPerBlock));
  WalkMark& made = MarkAt(count);
  made.paraStartOffset = fParaStartOffset;
  made.paraStart = fParaStart;
  made.wordStart = fWordStart;
  made.wordScript = fWordScript;
  made.walk.Assign(fWalk);
  made.pending.Assign(fPending);
  const MarkPlace* previous = fMarkIndex.empty() ? nullptr : &fMarkIndex.back();
  const uint32_t walkStops = KeepMarkStops(fWalkTabs, previous != nullptr ? previous->walkStops : UINT32_MAX);
  const uint32_t pendingStops =
      KeepMarkStops(fPendingTabs, previous != nullptr ? previous->pendingStops : UINT32_MAX);
  fMarkIndex.push_back({walk.position, walk.at, walkStops, pendingStops});
  walk.nextMark += kMarkSpacing;
}

uint32_t xMorvaEngine::KeepMarkStops(const xMorvaTabs& tabs, uint32_t previous) {
  const auto count = uint32_t(tabs.Count());
  if (previous != UINT32_MAX && fMarkStops[previous] == count) {
    bool same = true;
    for (uint32_t i = 0; i < count && same; ++i) same = fMarkStops[previous + 1 + i] == tabs.StopAt(int32_t(i));
    if (same) return previous;
  }
  const auto at = uint32_t(fMarkStops.size());
  fMarkStops.push_back(count);
  for (uint32_t i = 0; i < count; ++i) fMarkStops.push_back(tabs.StopAt(int32_t(i)));
  return at;
}

void xMorvaEngine::RestoreMarkStops(uint32_t at, xMorvaTabs& tabs) const {
  // A tab list keeps its stops sorted by position, one a position: added
  // in that order, each goes after the others and the list comes out the
  // same. Only the stops in use are read, so the list is emptied by its
  // count alone.
  static const xMorvaTabs kNoStops;
  tabs.CopyFrom(&kNoStops);
  const uint32_t count = fMarkStops[at];
  for (uint32_t i = 1; i <= count; ++i) tabs.AddStop(fMarkStops[at + i]);
}

void xMorvaEngine::SaveCachePoint(const PositionWalk& walk) {
  fCacheOffset = walk.at;
  fCachePosition = walk.position;
  fCacheHasState = true;
  fCacheParaStartOffset = fParaStartOffset;
  fCacheParaStart = fParaStart;
  fCacheWordStart = fWordStart;
  fCacheWordScript = fWordScript;
  fCacheWalk.Assign(fWalk);
  fCachePending.Assign(fPending);
  // The stops in use: the rest of a list's room is never read.
  fCacheWalkTabs.CopyFrom(&fWalkTabs);
  fCachePendingTabs.CopyFrom(&fPendingTabs);
}

void xMorvaEngine::PassParagraphEnd(const PositionWalk& walk) {
  fWalk.CopyParagraphProperties(fPending);
  fWalkTabs.CopyFrom(&fPendingTabs);
  fParaStartOffset = walk.at;
  fParaStart = fWordStart = walk.position;
  fWordScript = VWordScript::kEither;
}

void xMorvaEngine::NoteWordUnit(char16_t unit, int32_t position) {
  const VWordScript script = WordScriptOf(unit);
  if (script == VWordScript::kEither) {
    // A unit that goes with the one before it (an emoji's low unit, its
    // selector, a mark or a joiner) is no word's where no word is open.
    if (fWordStart == position) fWordStart = position + 1;
    return;
  }
  if (WordScriptsPart(fWordScript, script)) fWordStart = position;
  fWordScript = script;
}

void xMorvaEngine::TakeWordAtSelection(const uint8_t* stream) {
  for (uint32_t at = fSelStartOffset; at < fBytesInUse;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    at += item.size;
    if (item.kind == StreamItem::kRecord) continue;
    if (item.kind == StreamItem::kUnit && IsWordCharacter(item.unit) &&
        WordScriptsPart(fWordScript, WordScriptOf(item.unit)))
      fWordStart = fSelStart;
    return;
  }
}

void xMorvaEngine::StepCharacterRun(const uint8_t* stream, PositionWalk& walk, int32_t target) {
  // Up to the target or the new cache point, and not past the next mark.
  int32_t limit = walk.newCache >= walk.position && walk.newCache < target ? walk.newCache : target;
  if (walk.nextMark < limit) limit = walk.nextMark;
  if (walk.position >= limit) return;
  const uint32_t runStart = walk.at;
  const uint32_t at = PassPlainUnits(stream, runStart, fBytesInUse, limit - walk.position);
  walk.at = at;
  walk.position += int32_t((at - runStart) / 2);
  if (at != runStart) {
    if (at - runStart >= 4) walk.before = StreamUnit(stream + at - 4);
    walk.before = CodePointEndedBy(walk.before, StreamUnit(stream + at - 2));
    walk.knowsBefore = true;
  }
  // A word starts after the run's last character that is not a word's, or
  // where the script of the run's last word changes. Seen from the run's
  // end: `script` is that word's script, `first` the byte of its earliest
  // unit with it (the run's end while it has none). The units between that
  // start and `first` go with the unit before them, and are no word's.
  const auto positionOf = [&](uint32_t byte) { return walk.position - int32_t((at - byte) / 2); };
  const int32_t runStartPosition = positionOf(runStart);
  VWordScript script = VWordScript::kEither;
  uint32_t first = at;
  for (uint32_t back = at; back > runStart; back -= 2) {
    const char16_t unit = StreamUnit(stream + back - 2);
    const bool word = IsWordCharacter(unit);
    const VWordScript own = word ? WordScriptOf(unit) : VWordScript::kEither;
    if (!word || WordScriptsPart(script, own)) {
      fWordStart = positionOf(first);
      fWordScript = script;
      return;
    }
    if (own != VWordScript::kEither) {
      script = own;
      first = back - 2;
    }
  }
  // The whole run belongs to the word before it, unless its script differs
  // or no word is open there (a word then starts at `first`).
  if (fWordStart == runStartPosition || (script != VWordScript::kEither && WordScriptsPart(fWordScript, script)))
    fWordStart = positionOf(first);
  if (script != VWordScript::kEither) fWordScript = script;
}

bool xMorvaEngine::StepPositionWalk(const uint8_t* stream, PositionWalk& walk, int32_t target) {
  // Runs of ordinary characters, the bulk of a text, are stepped in a
  // tight loop first.
  StepCharacterRun(stream, walk, target);
  if (walk.at >= fBytesInUse) return false;
  const StreamItem item = ReadStreamItem(stream + walk.at, fBytesInUse - walk.at);
  if (item.kind == StreamItem::kRecord) {
    if (item.unit < kFirstParagraphProperty) {
      // Records exactly at the target are left for the selection walk.
      if (walk.position == target) return false;
      fWalk.SetProperty(item.unit, int32_t(item.value));
    } else if (item.unit < kFirstElementCode) {
      ApplyRecord(item.unit, item.value, fPending, fPendingTabs);
    }
    walk.at += item.size;
    return true;
  }
  if (walk.position == target) return false;
  if (walk.position == walk.newCache) SaveCachePoint(walk);
  if (walk.position == walk.nextMark) SaveWalkMark(walk);
  ++walk.position;
  walk.before = item.kind == StreamItem::kUnit ? CodePointEndedBy(walk.before, item.unit) : 0;
  walk.knowsBefore = true;
  if (item.kind == StreamItem::kUnit) {
    walk.at += 2;
    if (item.unit == kUnitParagraphEnd) {
      PassParagraphEnd(walk);
    } else if (!IsWordCharacter(item.unit)) {
      fWordStart = walk.position;
      fWordScript = VWordScript::kEither;
    } else {
      NoteWordUnit(item.unit, walk.position - 1);
    }
  } else {
    walk.at += item.size;
    if (item.unit < kFirstComputedCode) {
      fWordStart = walk.position;
      fWordScript = VWordScript::kEither;
    }
    if (IsBreakCode(item.unit)) PassParagraphEnd(walk);
  }
  return true;
}

void xMorvaEngine::StopPositionWalk(const PositionWalk& walk) {
  fStopValid = true;
  fStopOffset = walk.at;
  fStopPosition = walk.position;
  fStopBefore = walk.before;
  fStopKnowsBefore = walk.knowsBefore;
  fStopParaStartOffset = fParaStartOffset;
  fStopParaStart = fParaStart;
  fStopWordStart = fWordStart;
  fStopWordScript = fWordScript;
  fStopWalk.Assign(fWalk);
  fStopPending.Assign(fPending);
  fStopWalkTabs.CopyFrom(&fWalkTabs);
  fStopPendingTabs.CopyFrom(&fPendingTabs);
  fCurrent.Assign(fWalk);
  fCurrent.CopyParagraphProperties(fPending);
  fCurrentTabs.Assign(fPendingTabs);
}

uint32_t xMorvaEngine::WalkToPosition(const uint8_t* stream, int32_t target) {
  PositionWalk walk;
  StartPositionWalk(walk, stream, target);
  while (walk.at < fBytesInUse && StepPositionWalk(stream, walk, target)) {
  }
  StopPositionWalk(walk);
  return walk.at;
}

uint32_t xMorvaEngine::WalkSelection(const uint8_t* stream, uint32_t at, int32_t count,
                                     uint32_t& characterRecordBytes, VWordScript& endScript, bool& endSplitsPair,
                                     char16_t& endUnit) {
  bool seen = false;
  const bool single = count == 1;
  // The last run of plain units stepped over.
  uint32_t runStart = at;
  uint32_t runEnd = at;
  while (at < fBytesInUse) {
    // Ordinary characters before the last selected position are only
    // counted: stepped over in a tight loop.
    if (count > 1) {
      runStart = at;
      at = PassPlainUnits(stream, at, fBytesInUse, count - 1);
      runEnd = at;
      count -= int32_t((at - runStart) / 2);
      if (at != runStart) seen = true;
      if (at >= fBytesInUse) break;
    }
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kUnit) {
      if (count == 0) break;
      if (count == 1) {
        endUnit = item.unit;
        if (item.unit == kUnitParagraphEnd) {
          fEndsWithParaEnd = 1;
          fInLastParagraph = 0;
          fTrailingRecordBytes = 0;
          ++fParaEndCount;
        } else if (IsSpaceUnit(item.unit)) {
          fSpaceAtEnd = 1;
        } else if (StartsPair(stream, at, fBytesInUse)) {
          endSplitsPair = true;
          return at;
        }
        endScript = IsWordCharacter(item.unit) ? WordScriptOf(item.unit) : VWordScript::kEither;
        // A last unit that goes with the one before it (a combining mark)
        // ends the word of that one.
        if (endScript == VWordScript::kEither && runEnd == at && IsWordCharacter(item.unit))
          endScript = ScriptOfWordBefore(stream, runStart, runEnd);
        fTyping.Assign(fCurrent);
        fTypingTabs.Assign(fCurrentTabs);
      } else if (item.unit == kUnitParagraphEnd) {
        ++fParaEndCount;
      }
      --count;
      seen = true;
    } else if (item.kind == StreamItem::kRecord) {
      if (item.unit >= kFirstElementCode) {
        // a stray byte at the stream's end
      } else if (count > 0) {
        ApplyRecord(item.unit, item.value, fCurrent, fCurrentTabs);
        if (seen) fStates.SetState(item.unit, 0);
      } else {
        ApplyRecord(item.unit, item.value, fTyping, fTypingTabs);
        if (fEndsWithParaEnd != 0) {
          if (IsParagraphId(item.unit))
            fTrailingRecordBytes += item.size;
          else
            characterRecordBytes += item.size;
        }
      }
    } else {
      if (count == 0) break;
      if (IsBreakCode(item.unit)) {
        ++fBreakCount;
        if (count == 1) {
          fEndsWithParaEnd = 1;
          fInLastParagraph = 0;
          fTrailingRecordBytes = 0;
          fTyping.Assign(fCurrent);
          fTypingTabs.Assign(fCurrentTabs);
        }
      } else if (count == 1) {
        // Any last item starts the look of the text after the selection;
        // without this an element would leave the typing properties of an
        // earlier selection in place.
        fTyping.Assign(fCurrent);
        fTypingTabs.Assign(fCurrentTabs);
      }
      // A picture, or a host expression whose result is one, selected alone.
      if (single && (item.unit == xMorvaElementCode::Pict ||
                     (item.unit == xMorvaElementCode::ExprQv &&
                      FindPictureInExpression(stream + at, uint32_t(std::min<uint64_t>(item.size, fBytesInUse - at))) >= 0))) {
        fPictureSelected = 1;
      }
      --count;
      seen = true;
    }
    at += item.size;
  }
  return at;
}

uint32_t xMorvaEngine::WalkToParagraphEnd(const uint8_t* stream, uint32_t at, VWordScript wordScript) {
  bool pastEnd = fEndsWithParaEnd != 0;
  bool wordClosed = fEndsWithParaEnd != 0 || fSpaceAtEnd != 0;
  bool atStart = true;
  const bool caret = fSelLength == 0;
  fInLastParagraph = 1;
  fTrailingRecordBytes = 0;
  // A caret before a unit of no word: the word is that character, both
  // units of a pair.
  auto wordIsThisUnit = [&](uint32_t unitAt) {
    if (caret && atStart) {
      fWordStart = fSelStart;
      fWordEnd = fWordStart + (StartsPair(stream, unitAt, fBytesInUse) ? 2 : 1);
    }
  };
  while (at < fBytesInUse) {
    // Past the selection's word, ordinary characters only count toward the
    // paragraph's end: stepped over in a tight loop.
    if (wordClosed && !atStart && !pastEnd) {
      const uint32_t runStart = at;
      at = PassPlainUnits(stream, at, fBytesInUse, INT32_MAX);
      fParaEnd += int32_t((at - runStart) / 2);
      if (at >= fBytesInUse) break;
    }
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kRecord) {
      if (item.unit >= kFirstElementCode) break;  // a stray byte at the end
      if (item.unit < kFirstParagraphProperty) {
        if (pastEnd) break;
        if (atStart) fTyping.SetProperty(item.unit, int32_t(item.value));
      } else {
        ApplyRecord(item.unit, item.value, fTyping, fTypingTabs);
        if (pastEnd) fTrailingRecordBytes += kRecordSize;
      }
      at += item.size;
      continue;
    }
    if (pastEnd) break;
    if (item.kind == StreamItem::kElement) {
      atStart = false;
      if (item.unit < kFirstComputedCode) {
        wordClosed = true;
      } else if (!wordClosed) {
        ++fWordEnd;
      }
      if (IsBreakCode(item.unit)) {
        pastEnd = true;
        wordClosed = true;
        fInLastParagraph = 0;
      }
      ++fParaEnd;
      at += item.size;
      continue;
    }
    const char16_t unit = item.unit;
    if (unit == kUnitParagraphEnd) {
      pastEnd = true;
      wordIsThisUnit(at);
      wordClosed = true;
      fInLastParagraph = 0;
    } else if (!IsWordCharacter(unit)) {
      if (IsSpaceUnit(unit)) {
        if (!wordClosed) {
          ++fWordEnd;
          fSpaceAtEnd = 1;
        }
      } else if (!wordClosed) {
        wordIsThisUnit(at);
      }
      wordClosed = true;
    } else if (caret && atStart && fWordStart == fSelStart && JoinsUnitBefore(unit)) {
      // Where no word is open before the caret, a unit that goes with the
      // one before it is no word's.
      wordIsThisUnit(at);
      wordClosed = true;
    } else if (!wordClosed) {
      const VWordScript script = WordScriptOf(unit);
      if (WordScriptsPart(wordScript, script)) {
        wordClosed = true;
      } else {
        ++fWordEnd;
        if (script != VWordScript::kEither) wordScript = script;
      }
    }
    atStart = false;
    ++fParaEnd;
    at += 2;
  }
  return at;
}

int32_t xMorvaEngine::WordEndFrom(const uint8_t* stream, uint32_t at, int32_t position, VWordScript wordScript) {
  fSpaceAtEnd = 0;
  while (at < fBytesInUse) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    at += item.size;
    if (item.kind == StreamItem::kRecord) {
      if (item.unit >= kFirstElementCode) break;  // a stray byte at the end
      continue;
    }
    if (item.kind == StreamItem::kElement) {
      if (item.unit < kFirstComputedCode) break;
      ++position;
      if (IsBreakCode(item.unit)) break;
      continue;
    }
    if (!IsWordCharacter(item.unit)) {
      if (IsSpaceUnit(item.unit)) {
        ++position;
        fSpaceAtEnd = 1;
      }
      break;
    }
    const VWordScript script = WordScriptOf(item.unit);
    if (WordScriptsPart(wordScript, script)) break;
    if (script != VWordScript::kEither) wordScript = script;
    ++position;
  }
  return position;
}

int32_t xMorvaEngine::GetWidestLine() const { return fLines != nullptr ? fLines->GetWidestLine() : 0; }
