// xMorvaEngine: property runs (properties and tab lists set over the
// selection, extremes and indent sums) and the editing operations (typing,
// paragraph ends, deletion, insertion of stream bytes and markers), each
// with a variant that runs in one undo step.
#include <algorithm>
#include <string>
#include <vector>

#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngine_p.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VMemoryMgr.h"

namespace {

// A tab stop turned into the record that removes the stop at its position.
constexpr uint32_t RemovalOf(uint32_t stop) { return stop & 0x00FFFFFFu; }

// The value a property set keeps for an id, which is what records compare.
// A property's field holds the value alone, whatever the record's other
// fields hold: one record serves every call, not a new one made each time.
int32_t Normalised(uint16_t id, int32_t value) {
  static xMorvaProperties scratch;
  scratch.SetProperty(id, value);
  return scratch.GetProperty(id);
}

int32_t Max0(int32_t value) { return value > 0 ? value : 0; }

// A unit 0 is no character: typed units hold none.
bool HoldsZeroUnit(const char16_t* units, int32_t count) { return std::find(units, units + count, 0) != units + count; }

}  // namespace

// ---- Property runs

void xMorvaEngine::RecordRemovedAt(uint32_t offset) {
  if (offset < fSelStartOffset) fSelStartOffset -= kRecordSize;
  if (offset < fSelEndOffset) fSelEndOffset -= kRecordSize;
  if (offset < fParaEndOffset) {
    if (offset >= fParaEndOffset - fTrailingRecordBytes && fTrailingRecordBytes >= kRecordSize)
      fTrailingRecordBytes -= kRecordSize;
    fParaEndOffset -= kRecordSize;
  }
}

void xMorvaEngine::RemovePropertyRecords(uint16_t id, int16_t stopPosition, uint32_t start, uint32_t end,
                                         bool allStops) {
  if (end > fBytesInUse) end = fBytesInUse;
  // One walk finds them, one pass takes them out: removing them one by one
  // would move the rest of the text at each.
  std::vector<uint32_t> found;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  for (uint32_t at = start; at < end;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kRecord && item.size == kRecordSize && item.unit == id &&
        (id != kPropTabs || allStops || TabStopPosition(item.value) == stopPosition)) {
      found.push_back(at);
    }
    at += item.size;
  }
  UnlockStream();
  DeleteRecords(found);
}

void xMorvaEngine::DeleteRecords(const std::vector<uint32_t>& offsets) {
  if (offsets.empty() || fStream == 0) return;
  if (fRemoveOneAtATime) {
    for (size_t i = 0; i < offsets.size(); ++i) {
      const uint32_t now = offsets[i] - uint32_t(i) * kRecordSize;
      DeleteBytes(int32_t(now), int32_t(kRecordSize));
      RecordRemovedAt(now);
    }
    return;
  }
  uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  // Each record is reported to the undo history, the cache and the lines
  // at the offset it has when the ones before it are gone, as deleting
  // them one after the other reports them; the bytes between two records
  // move down once.
  const size_t n = offsets.size();
  uint32_t write = offsets[0];
  for (size_t i = 0; i < n; ++i) {
    const uint32_t at = offsets[i];
    const uint32_t now = at - uint32_t(i) * kRecordSize;
    if (fUndo != nullptr) fUndo->RecordStreamChange(kUndoDeletion, int32_t(now), stream + at, int32_t(kRecordSize));
    const uint32_t next = i + 1 < n ? offsets[i + 1] : fBytesInUse;
    const uint32_t kept = next - at - kRecordSize;
    if (kept != 0) MoveBlock(stream + at + kRecordSize, stream + write, kept);
    write += kept;
  }
  UnlockStream();
  fBytesInUse -= uint32_t(n) * kRecordSize;
  if (fReserveDepth == 0) gMemoryMgr->SetHandleSize(fStream, fBytesInUse);
  for (size_t i = 0; i < n; ++i) {
    const uint32_t now = offsets[i] - uint32_t(i) * kRecordSize;
    StreamChangedAt(now);
    NoteLinesChange(now, kRecordSize, 0);
    RecordRemovedAt(now);
  }
}

int32_t xMorvaEngine::SetPropertyValue(uint16_t id, int32_t value) {
  if (!IsPropertyId(id)) return kErrorInvalidPropertyId;
  if (id != kPropTabs) {
    value = Normalised(id, value);
    if (fCurrent.GetProperty(id) == value && fStates.GetState(id) == 1) return 0;
  }
  const bool paragraph = id >= kFirstParagraphProperty;
  if (!paragraph && fSelStartOffset == fSelEndOffset) {
    // A caret: the value waits in the current properties until typing.
    fCurrent.SetProperty(id, value);
    return 0;
  }
  const uint32_t v = uint32_t(value);
  return Reserved(2 * kRecordSize, [&]() -> int32_t {
    const uint32_t start = paragraph ? fParaStartOffset : fSelStartOffset;
    const uint32_t end = paragraph ? fParaEndOffset : fSelEndOffset;
    DropCache();
    RemovePropertyRecords(id, TabStopPosition(v), start, end, false);
    fStates.SetState(id, 1);

    bool startRecord;
    if (id != kPropTabs) {
      startRecord = fWalk.GetProperty(id) != value;
    } else {
      uint32_t stop = 0;
      startRecord = fWalkTabs.FindStop(TabStopPosition(v), stop) ? stop != v : TabStopKind(v) != kTabNone;
    }
    if (startRecord) {
      if (const int32_t error = InsertPropertyRecord(start, id, v)) return error;
      fParaEndOffset += kRecordSize;
      fSelEndOffset += kRecordSize;
      if (paragraph) fSelStartOffset += kRecordSize;
    }

    bool restore = false;
    uint32_t restoreValue = 0;
    uint32_t restoreAt = fParaEndOffset;
    if (id != kPropTabs) {
      restoreValue = uint32_t(fTyping.GetProperty(id));
      if (fTyping.GetProperty(id) != value) {
        restore = paragraph ? fInLastParagraph == 0 : fSelEnd < fLength;
        if (!paragraph) restoreAt = fSelEndOffset;
      }
    } else if (fInLastParagraph == 0) {
      uint32_t stop = 0;
      const bool found = fTypingTabs.FindStop(TabStopPosition(v), stop);
      if (TabStopKind(v) != kTabNone) {
        restore = !fTypingTabs.Contains(v);
        restoreValue = found ? stop : (v & 0xFFFFu);
      } else {
        restore = found;
        restoreValue = stop;
      }
    }
    if (restore) {
      if (const int32_t error = InsertPropertyRecord(restoreAt, id, restoreValue)) return error;
      if (paragraph) {
        fTrailingRecordBytes += kRecordSize;
        fParaEndOffset += kRecordSize;
      } else {
        fSelEndOffset += kRecordSize;
        if (fEndsWithParaEnd == 0) fParaEndOffset += kRecordSize;
      }
    }
    fCurrent.SetProperty(id, value);
    if (id == kPropTabs) fCurrentTabs.AddStop(v);
    return 0;
  });
}

int32_t xMorvaEngine::SetPropertyWithUndo(uint16_t id, int32_t value) {
  if (id < kFirstParagraphProperty && !HasSelection()) return SetPropertyValue(id, value);
  return Reserved(2 * kRecordSize, [&]() {
    BeginUndoStep(kUndoProperty, id);
    const int32_t result = SetPropertyValue(id, value);
    EndUndoStep(result);
    return result;
  });
}

int32_t xMorvaEngine::SetTabs(const xMorvaTabs& tabs) {
  return Reserved(kTabListRecords, [&]() -> int32_t {
    xMorvaProperties characters;
    characters.Assign(fCurrent);
    RemovePropertyRecords(kPropTabs, 0, fParaStartOffset, fParaEndOffset, true);
    int32_t error = 0;
    auto insert = [&](uint32_t at, uint32_t stop) {
      if (error == 0) error = InsertPropertyRecord(at, kPropTabs, stop);
      if (error == 0) fParaEndOffset += kRecordSize;
    };
    uint32_t at = fParaStartOffset;
    for (int32_t i = 0; i < fWalkTabs.Count(); ++i) {
      if (!tabs.Contains(fWalkTabs.StopAt(i))) {
        insert(at, RemovalOf(fWalkTabs.StopAt(i)));
        at += kRecordSize;
      }
    }
    for (int32_t i = 0; i < tabs.Count(); ++i) {
      if (!fWalkTabs.Contains(tabs.StopAt(i))) {
        insert(at, tabs.StopAt(i));
        at += kRecordSize;
      }
    }
    if (fInLastParagraph == 0) {
      for (int32_t i = 0; i < tabs.Count(); ++i) {
        if (!fTypingTabs.Contains(tabs.StopAt(i))) insert(fParaEndOffset, RemovalOf(tabs.StopAt(i)));
      }
      for (int32_t i = 0; i < fTypingTabs.Count(); ++i) {
        if (!tabs.Contains(fTypingTabs.StopAt(i))) insert(fParaEndOffset, fTypingTabs.StopAt(i));
      }
    }
    DropCache();
    SetSelection(fSelStart, fSelEnd);
    fCurrent.CopyCharacterProperties(characters);
    return error;
  });
}

int32_t xMorvaEngine::SetTabsWithUndo(const xMorvaTabs& tabs) {
  return Reserved(kTabListRecords, [&]() {
    BeginUndoStep(kUndoTabs, 0);
    const int32_t result = SetTabs(tabs);
    EndUndoStep(result);
    return result;
  });
}

int32_t xMorvaEngine::GetPropertyExtreme(uint16_t id, bool inSelection, bool wantMaximum) {
  uint32_t start = 0;
  uint32_t end = fBytesInUse;
  int32_t extreme = 0;
  if (inSelection) {
    const bool paragraph = id >= kFirstParagraphProperty;
    start = paragraph ? fParaStartOffset : fSelStartOffset;
    end = paragraph ? fParaEndOffset - fTrailingRecordBytes : fSelEndOffset;
    extreme = fCurrent.GetProperty(id);
  }
  if (end > fBytesInUse) end = fBytesInUse;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return extreme;
  for (uint32_t at = start; at < end;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kRecord && item.unit == id) {
      const int32_t value = Normalised(id, int32_t(item.value));
      if (wantMaximum ? value > extreme : value < extreme) extreme = value;
    }
    at += item.size;
  }
  UnlockStream();
  return extreme;
}

namespace {
// The largest of `sum` over the paragraphs whose items lie between the
// offsets. The running left, first-line and right indents are followed from
// the stream's start (where all three are 0), and a paragraph's sum is taken
// after its whole run of records: a sum taken half-way through a run would
// mix two paragraphs' values.
template <typename Sum>
int32_t LargestIndentSum(const uint8_t* stream, uint32_t size, uint32_t start, uint32_t end, Sum sum) {
  int32_t left = 0;
  int32_t first = 0;
  int32_t right = 0;
  if (stream == nullptr) return sum(left, first, right);
  if (end > size) end = size;
  bool pending = true;  // the values in effect at `start` count once
  bool any = false;
  int32_t largest = 0;
  auto take = [&]() {
    const int32_t s = sum(left, first, right);
    largest = any ? std::max(largest, s) : s;
    any = true;
    pending = false;
  };
  for (uint32_t at = 0; at < end;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kRecord) {
      if (item.unit == kPropLeftIndent || item.unit == kPropFirstLineIndent || item.unit == kPropRightIndent) {
        const int32_t value = int16_t(uint16_t(item.value));
        if (item.unit == kPropLeftIndent) left = value;
        if (item.unit == kPropFirstLineIndent) first = value;
        if (item.unit == kPropRightIndent) right = value;
        if (at >= start) pending = true;
      }
    } else if (at >= start && pending) {
      take();
    }
    at += item.size;
  }
  if (pending) take();
  return largest;
}
}  // namespace

int32_t xMorvaEngine::GetMaxIndentSum() {
  const uint8_t* stream = LockStream();
  const int32_t largest = LargestIndentSum(stream, fBytesInUse, 0, fBytesInUse,
                                           [](int32_t l, int32_t f, int32_t r) { return l + Max0(f) + r; });
  if (stream != nullptr) UnlockStream();
  return largest;
}

int32_t xMorvaEngine::GetMaxLeftIndentSum() {
  const uint8_t* stream = LockStream();
  const int32_t largest = LargestIndentSum(stream, fBytesInUse, fParaStartOffset,
                                           fParaEndOffset - fTrailingRecordBytes,
                                           [](int32_t l, int32_t f, int32_t) { return l + Max0(f); });
  if (stream != nullptr) UnlockStream();
  return largest;
}

int32_t xMorvaEngine::GetMaxRightIndentSum() {
  const uint8_t* stream = LockStream();
  const int32_t largest = LargestIndentSum(stream, fBytesInUse, fParaStartOffset,
                                           fParaEndOffset - fTrailingRecordBytes,
                                           [](int32_t, int32_t f, int32_t r) { return r + Max0(f); });
  if (stream != nullptr) UnlockStream();
  return largest;
}

int32_t xMorvaEngine::GetMaxSideIndentSum() {
  const uint8_t* stream = LockStream();
  const int32_t largest = LargestIndentSum(stream, fBytesInUse, fParaStartOffset,
                                           fParaEndOffset - fTrailingRecordBytes,
                                           [](int32_t l, int32_t, int32_t r) { return l + r; });
  if (stream != nullptr) UnlockStream();
  return largest;
}

bool xMorvaEngine::UsesPropertyValue(uint16_t id, int32_t value) {
  xMorvaProperties defaults;
  if (id != kPropTabs && defaults.GetProperty(id) == value) return true;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return false;
  bool used = false;
  for (uint32_t at = 0; at < fBytesInUse && !used;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    used = item.kind == StreamItem::kRecord && item.unit == id && item.value == uint32_t(value);
    at += item.skipSize;
  }
  UnlockStream();
  return used;
}

// ---- Editing

void xMorvaEngine::BeginUndoStep(uint16_t kind, uint16_t value) {
  if (fUndo != nullptr) fUndo->BeginStep(*this, kind, value);
}

void xMorvaEngine::EndUndoStep(int32_t result) {
  if (fUndo == nullptr) return;
  if (result == 0)
    fUndo->EndStep();
  else
    fUndo->CancelStep();
}

void xMorvaEngine::GetFirstCharacterProperties(xMorvaProperties& properties) {
  properties.Assign(fWalk);
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  for (uint32_t at = fSelStartOffset; at < fBytesInUse;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind != StreamItem::kRecord || item.unit >= kFirstElementCode) break;
    if (item.unit <= kLastCharacterProperty) properties.SetProperty(item.unit, int32_t(item.value));
    at += item.size;
  }
  UnlockStream();
}

int32_t xMorvaEngine::WriteTypingProperties() {
  if (fSelStart <= fCachePosition) DropCache();
  // Typing in the look of the text before it writes no record, and
  // removes none when the text after it has that look too or when nothing,
  // not even a record, follows the caret: the usual cases.
  const bool nothingAfter = fSelStart >= fLength && fSelStartOffset >= fBytesInUse;
  const uint32_t typed = fWalk.CharacterFieldsDiffering(fCurrent);
  const uint32_t currentAfter = fCurrent.CharacterFieldsDiffering(fTyping);
  if (typed == 0 && (nothingAfter || currentAfter == 0)) return 0;
  // An id whose value is the same before the caret, in the look typed
  // with and after the caret writes and removes nothing: only those whose
  // fields differ somewhere are read.
  const uint32_t ids = typed | currentAfter | fWalk.CharacterFieldsDiffering(fTyping);
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) {
    if ((ids & (1u << id)) == 0) continue;
    const int32_t before = fWalk.GetProperty(id);
    const int32_t current = fCurrent.GetProperty(id);
    const int32_t after = fTyping.GetProperty(id);
    if (current != before) {
      fWalk.SetProperty(id, current);
      if (const int32_t error = InsertPropertyRecord(fSelStartOffset, id, uint32_t(current))) return error;
      fSelStartOffset += kRecordSize;
    }
    if (fSelStart < fLength) {
      // The record that made the text after the caret differ goes; one
      // restoring that text stands after the insertion point instead.
      if (before != after) RemoveRecordAt(id, fSelStartOffset);
      if (current != after) {
        if (const int32_t error = InsertPropertyRecord(fSelStartOffset, id, uint32_t(after))) return error;
      }
    } else if (before != after) {
      // A record left at the end of the text governs no character: the
      // typed unit has its own look from the records before it.
      RemoveRecordAt(id, fSelStartOffset);
    }
  }
  return 0;
}

int32_t xMorvaEngine::TypeCharacter(char16_t unit) {
  if (unit == 0) return kErrorBadStream;
  return Reserved(DeleteReserve(*this) + kTypingRecords + 2, [&]() -> int32_t {
    if (const int32_t error = DeleteSelection()) return error;
    const uint32_t before = fBytesInUse;
    // Where the word that the text before the caret ends starts (the caret
    // where none does), as the walk to the caret left it: the word at a
    // caret may be the unit after it instead (a comma, a word of another
    // script). Typed units after it patch the word themselves.
    const int32_t wordBefore = fStopValid && fStopPosition == fSelStart ? fStopWordStart : fWordStart;
    // Whether the word at the caret is that word and runs on past it.
    const bool wordRunsOn = fWordEnd > fSelStart && fWordStart == wordBefore;
    if (const int32_t error = WriteTypingProperties()) return error;
    uint8_t bytes[2];
    PutStreamUnit(bytes, unit);
    if (const int32_t error = InsertBytes(fSelStartOffset, bytes, 2)) return error;
    fParaEndOffset += fBytesInUse - before;
    StepPastTypedUnit(unit, wordBefore, wordRunsOn, fSelStartOffset + 2);
    return 0;
  });
}

int32_t xMorvaEngine::TypeCharacters(const char16_t* units, int32_t count) {
  if (count <= 0) return 0;
  if (count == 1) return TypeCharacter(units[0]);
  if (HoldsZeroUnit(units, count)) return kErrorBadStream;
  return Reserved(DeleteReserve(*this) + kTypingRecords + 2 * uint64_t(count), [&]() -> int32_t {
    if (const int32_t error = DeleteSelection()) return error;
    // The word before the caret as TypeCharacter takes it for the first
    // unit; the units after it patch the word themselves, as each typed
    // alone would.
    int32_t wordBefore = fStopValid && fStopPosition == fSelStart ? fStopWordStart : fWordStart;
    bool wordRunsOn = fWordEnd > fSelStart && fWordStart == wordBefore;
    if (const int32_t error = InsertTypedUnits(units, count)) return error;
    // The text after the typing, which each unit typed alone would find
    // right after the caret.
    const uint32_t after = fSelStartOffset + 2 * uint32_t(count);
    // The stream is taken once for all the units, not once a unit.
    const uint8_t* stream = LockStream();
    for (int32_t i = 0; i < count; ++i) {
      StepPastTypedUnit(units[i], wordBefore, wordRunsOn, after, stream);
      wordBefore = fStopValid && fStopPosition == fSelStart ? fStopWordStart : fWordStart;
      wordRunsOn = fWordEnd > fSelStart && fWordStart == wordBefore;
    }
    UnlockStream();
    return 0;
  });
}

int32_t xMorvaEngine::InsertTypedUnits(const char16_t* units, int32_t count) {
  const uint32_t before = fBytesInUse;
  // The look is written before the first unit; the others, typed alone,
  // would find it written.
  if (const int32_t error = WriteTypingProperties()) return error;
  std::vector<uint8_t> bytes(2 * size_t(count));
  for (int32_t i = 0; i < count; ++i) PutStreamUnit(bytes.data() + 2 * i, units[i]);
  if (const int32_t error = InsertBytes(fSelStartOffset, bytes.data(), uint32_t(bytes.size()))) return error;
  fParaEndOffset += fBytesInUse - before;
  return 0;
}

int32_t xMorvaEngine::AppendTyped(const char16_t* units, int32_t count) {
  if (!CaretAtTextEnd()) return TypeCharacters(units, count);
  if (count <= 0) return 0;
  if (HoldsZeroUnit(units, count)) return kErrorBadStream;
  return Reserved(kTypingRecords + 2 * uint64_t(count), [&]() -> int32_t {
    if (const int32_t error = InsertTypedUnits(units, count)) return error;
    // Nothing follows: no character can go on past the last unit, and the
    // caret stands at the end, as each unit typed alone would leave it.
    fSelStartOffset = fSelEndOffset = fBytesInUse;
    fLength += count;
    fSelStart = fSelEnd = fParaEnd = fWordStart = fWordEnd = fLength;
    fWordScript = VWordScript::kEither;
    return 0;
  });
}

// The selection is patched rather than walked again: the caret one unit
// on, and the word at it as the typed unit leaves it. What is typed stands
// in the order typed: the caret stands right after the typed unit, where
// the next key types, even where the text after it goes on with that unit
// as one character (a virama before a consonant, a joiner before an emoji,
// a letter or a space before a mark).
void xMorvaEngine::StepPastTypedUnit(char16_t unit, int32_t wordBefore, bool wordRunsOn, uint32_t after,
                                     const uint8_t* stream) {
  fSelStartOffset += 2;
  fSelEndOffset = fSelStartOffset;
  fSelEnd = ++fSelStart;
  fSelLength = 0;
  ++fWordEnd;
  ++fParaEnd;
  ++fLength;
  if (!IsWordCharacter(unit)) {
    fWordStart = fSelStart;
    fWordScript = VWordScript::kEither;
  } else {
    fWordStart = wordBefore;
    NoteWordUnit(unit, fSelStart - 1);
    TakeWordEndAfterTyping(wordRunsOn, after, stream);
  }
  // Past the last unit the caret may stand inside the character that unit
  // makes with the text after it, or after a character beyond the BMP
  // (an emoji, whose units the word rules read by its code point): the
  // word there is the one a caret given back there finds, and the look
  // stays the one typed with. A pair's high unit waits for its low one.
  if (fSelStartOffset != after || IsHighSurrogateUnit(unit)) return;
  if (!IsLowSurrogateUnit(unit)) {
    const uint8_t* text = stream != nullptr ? stream : LockStream();
    if (text == nullptr) return;
    const bool edge = IsClusterPlace(text, fSelStart, PlaceSides{after, unit});
    if (stream == nullptr) UnlockStream();
    if (edge) return;
  }
  const xMorvaProperties look(fCurrent);
  Select(fSelStart, fSelStart, true);
  fCurrent.CopyCharacterProperties(look);
}

void xMorvaEngine::TakeWordEndAfterTyping(bool wordRanOn, uint32_t after, const uint8_t* held) {
  const uint8_t* stream = held != nullptr ? held : LockStream();
  const char16_t next = UnitPastRecords(stream, after, fBytesInUse);
  const bool nextInWord = next != 0 && IsWordCharacter(next);
  if (nextInWord && WordScriptsPart(fWordScript, WordScriptOf(next))) {
    // The typed word ends at the caret, where the next one's script begins.
    fWordEnd = fSelStart;
    fSpaceAtEnd = 0;
  } else if (!wordRanOn || !nextInWord) {
    // The typed unit joins the word after the caret, or ends its word
    // there: the end found as a caret inside the word finds it.
    fWordEnd = WordEndFrom(stream, after, fSelStart, fWordScript);
  }
  if (held == nullptr) UnlockStream();
}

int32_t xMorvaEngine::TypeCharacterWithUndo(char16_t unit) {
  if (unit == 0) return kErrorBadStream;
  // The block is grown before the step opens: a text that cannot grow
  // leaves no step behind.
  return Reserved(DeleteReserve(*this) + kTypingRecords + 2, [&]() {
    BeginUndoStep(kUndoTyping, 0);
    const int32_t result = TypeCharacter(unit);
    EndUndoStep(result);
    return result;
  });
}

int32_t xMorvaEngine::InsertParagraphEnd() {
  return Reserved(DeleteReserve(*this) + kTypingRecords + 2, [&]() -> int32_t {
    if (const int32_t error = DeleteSelection()) return error;
    if (const int32_t error = WriteTypingProperties()) return error;
    uint8_t bytes[2];
    PutStreamUnit(bytes, kUnitParagraphEnd);
    if (const int32_t error = InsertBytes(fSelStartOffset, bytes, 2)) return error;
    ++fLength;
    ++fSelEnd;
    return 0;
  });
}

int32_t xMorvaEngine::InsertParagraphEndWithUndo() {
  return Reserved(DeleteReserve(*this) + kTypingRecords + 2, [&]() {
    BeginUndoStep(kUndoTyping, 0);
    const int32_t start = fSelStart;
    const int32_t result = InsertParagraphEnd();
    if (result == 0) SetSelection(start + 1, start + 1);
    EndUndoStep(result);
    return result;
  });
}

int32_t xMorvaEngine::InsertMarker() { return TypeCharacter(kUnitMarker); }

int32_t xMorvaEngine::RemoveMarkers() {
  if (fLength == 0) return 0;
  int32_t position = 0;
  uint32_t at = 0;
  while (at < fBytesInUse) {
    const uint8_t* stream = LockStream();
    if (stream == nullptr) break;
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    UnlockStream();
    if (item.kind == StreamItem::kUnit && item.unit == kUnitMarker) {
      SetSelection(position, position + 1);
      DeleteSelection();
      at = fSelStartOffset;
      continue;
    }
    if (item.kind != StreamItem::kRecord) ++position;
    at += item.size;
  }
  return 0;
}

int32_t xMorvaEngine::WriteParagraphTransition(uint32_t offset, uint32_t& count, const xMorvaProperties& from,
                                               const xMorvaProperties& to, const xMorvaTabs& fromTabs,
                                               const xMorvaTabs& toTabs) {
  auto insert = [&](uint16_t id, uint32_t value) {
    const int32_t error = InsertPropertyRecord(offset + count, id, value);
    if (error == 0) count += kRecordSize;
    return error;
  };
  for (uint16_t id = kFirstParagraphProperty; id < kPropTabs; ++id) {
    if (from.GetProperty(id) != to.GetProperty(id)) {
      if (const int32_t error = insert(id, uint32_t(to.GetProperty(id)))) return error;
    }
  }
  for (int32_t i = 0; i < fromTabs.Count(); ++i) {
    if (!toTabs.Contains(fromTabs.StopAt(i))) {
      if (const int32_t error = insert(kPropTabs, RemovalOf(fromTabs.StopAt(i)))) return error;
    }
  }
  for (int32_t i = 0; i < toTabs.Count(); ++i) {
    if (!fromTabs.Contains(toTabs.StopAt(i))) {
      if (const int32_t error = insert(kPropTabs, toTabs.StopAt(i))) return error;
    }
  }
  return 0;
}

int32_t xMorvaEngine::DeleteSelection() {
  if (fSelStart == fSelEnd) return 0;
  return Reserved(DeleteReserve(*this), [&]() -> int32_t {
    xMorvaProperties first;
    GetFirstCharacterProperties(first);
    const bool crossed = fParaEndCount > 0 || fBreakCount > 0;
    const int32_t start = fSelStart;
    const int32_t length = fSelLength;
    const bool fromParagraphStart = fSelStart == fParaStart;
    const bool endBelowLength = fSelEnd < fLength;
    xMorvaProperties before;
    xMorvaTabs beforeTabs;
    before.Assign(fWalk);
    beforeTabs.Assign(fWalkTabs);
    xMorvaProperties after;
    xMorvaTabs afterTabs;
    after.Assign(fTyping);
    afterTabs.Assign(fTypingTabs);
    xMorvaProperties head;
    xMorvaTabs headTabs;
    xMorvaProperties next;
    xMorvaTabs nextTabs;

    if (crossed) {
      head.Assign(before);
      headTabs.Assign(beforeTabs);
      ReadParagraphRecordsAt(fParaStartOffset, head, headTabs);
      next.Assign(after);
      nextTabs.Assign(afterTabs);
      const uint32_t removed = RemoveParagraphRecordsAt(fParaStartOffset);
      fParaEndOffset -= removed;
      fSelStartOffset -= removed;
      fSelEndOffset -= removed;
      if (fEndsWithParaEnd != 0) {
        // The merged paragraph runs on to the end of the next one.
        fInLastParagraph = 0;
        fParaEndOffset = FindParagraphEndFrom(fSelEndOffset);
        if (fInLastParagraph == 0) {
          ReadParagraphRecordsAt(fParaEndOffset, next, nextTabs);
          RemoveParagraphRecordsAt(fParaEndOffset);
        }
      } else if (fTrailingRecordBytes != 0) {
        DeleteBytes(int32_t(fParaEndOffset - fTrailingRecordBytes), int32_t(fTrailingRecordBytes));
        fParaEndOffset -= fTrailingRecordBytes;
        fTrailingRecordBytes = 0;
      }
    }

    const uint32_t count = fSelEndOffset - fSelStartOffset;
    DeleteBytes(int32_t(fSelStartOffset), int32_t(count));
    fParaEndOffset -= count;

    if (endBelowLength) {
      // The text after the deletion keeps its look.
      uint32_t at = fSelStartOffset;
      for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) {
        if (before.GetProperty(id) == after.GetProperty(id)) continue;
        if (const int32_t error = InsertPropertyRecord(at, id, uint32_t(after.GetProperty(id)))) return error;
        at += kRecordSize;
        fParaEndOffset += kRecordSize;
      }
    }
    fLength -= length;

    if (crossed) {
      // The merged paragraph keeps the first paragraph's formatting, or the
      // next one's when the first was cut from its start.
      const xMorvaProperties& merged = fromParagraphStart ? after : head;
      const xMorvaTabs& mergedTabs = fromParagraphStart ? afterTabs : headTabs;
      uint32_t written = 0;
      if (const int32_t error =
              WriteParagraphTransition(fParaStartOffset, written, before, merged, beforeTabs, mergedTabs)) {
        return error;
      }
      fParaEndOffset += written;
      if (fInLastParagraph == 0) {
        uint32_t following = 0;
        if (const int32_t error =
                WriteParagraphTransition(fParaEndOffset, following, merged, next, mergedTabs, nextTabs)) {
          return error;
        }
      }
    }
    SetSelection(start, start);
    fCurrent.CopyCharacterProperties(first);
    return 0;
  });
}

int32_t xMorvaEngine::DeleteSelectionWithUndo() {
  if (!HasSelection()) return 0;
  return Reserved(DeleteReserve(*this), [&]() {
    BeginUndoStep(kUndoDelete, 0);
    const int32_t result = DeleteSelection();
    EndUndoStep(result);
    return result;
  });
}

namespace {
// The positions that the element bytes hold; -1 when they end inside an
// item.
int32_t CountPositions(const uint8_t* bytes, uint32_t size) {
  int32_t positions = 0;
  for (uint32_t at = 0; at < size;) {
    // A run of characters, one position each, is passed at once.
    while (size - at >= 2 && StreamUnit(bytes + at) != 0) {
      ++positions;
      at += 2;
    }
    if (at >= size) break;
    const StreamItem item = ReadStreamItem(bytes + at, size - at);
    const uint64_t whole = item.kind == StreamItem::kElement && size - at >= kElementHeadSize
                               ? kElementHeadSize + uint64_t(StreamLong(bytes + at + 4))
                               : item.size;
    if (item.unit == 0xFFFF && item.kind == StreamItem::kRecord) return -1;
    if (item.kind == StreamItem::kElement && (size - at < kElementHeadSize || whole > size - at)) return -1;
    if (item.kind != StreamItem::kRecord) ++positions;
    at += item.size;
  }
  return positions;
}
}  // namespace

int32_t xMorvaEngine::CheckHandle(VMemHandle handle, int32_t positions) {
  const uint32_t size = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
  if (size % 2 != 0) return kErrorBadStream;
  if (size == 0) return positions == 0 ? 0 : kErrorBadStream;
  // Bytes that are not whole items, or that hold another number of
  // positions than announced, would corrupt the text: refused whole.
  const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  const int32_t counted = bytes != nullptr ? CountPositions(bytes, size) : -1;
  gMemoryMgr->UnlockHandle(handle);
  return counted == positions ? 0 : kErrorBadStream;
}

int32_t xMorvaEngine::InsertHandle(VMemHandle handle, int32_t positions) {
  if (const int32_t error = CheckHandle(handle, positions)) return error;
  const uint32_t size = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
  return Reserved(DeleteReserve(*this) + kTypingRecords + size, [&]() -> int32_t {
    if (const int32_t error = DeleteSelection()) return error;
    if (const int32_t error = WriteTypingProperties()) return error;
    if (size != 0) {
      auto* bytes = static_cast<uint8_t*>(gMemoryMgr->LockHandle(handle));
      // Ids of decoded pictures mean nothing in bytes from elsewhere.
      ClearPictureIds(bytes, size);
      const int32_t error = bytes != nullptr ? InsertBytes(fSelStartOffset, bytes, size) : kErrorTextCannotGrow;
      gMemoryMgr->UnlockHandle(handle);
      if (error != 0) return error;
    }
    fLength += positions;
    const int32_t start = fSelStart;
    SetSelection(start, start + positions);
    return 0;
  });
}

int32_t xMorvaEngine::InsertHandleWithUndo(VMemHandle handle, int32_t positions) {
  if (const int32_t error = CheckHandle(handle, positions)) return error;
  const uint32_t size = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
  return Reserved(DeleteReserve(*this) + kTypingRecords + size, [&]() {
    BeginUndoStep(kUndoPaste, 0);
    const int32_t result = InsertHandle(handle, positions);
    EndUndoStep(result);
    return result;
  });
}

void xMorvaEngine::ConvertCharacterSet(int16_t fromSet, int16_t toSet) {
  if (fromSet < 0 || toSet < 0 || fromSet == toSet || gIntlMgr == nullptr) return;
  uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  const uint32_t end = fSelEndOffset < fBytesInUse ? fSelEndOffset : fBytesInUse;
  // The characters and where they stand, converted all at once: each table
  // is taken once, not once a character.
  std::u16string units;
  std::vector<uint32_t> places;
  for (uint32_t at = fSelStartOffset; at < end;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kUnit) {
      units.push_back(item.unit);
      places.push_back(at);
    }
    at += item.skipSize;
  }
  std::vector<uint8_t> bytes(units.size());
  if (fromSet == 0)
    gIntlMgr->UniCharsToMac(units.data(), units.size(), bytes.data());
  else
    gIntlMgr->UniCharsToWin(units.data(), units.size(), bytes.data());
  if (toSet == 1)
    gIntlMgr->WinCharsToUni(bytes.data(), bytes.size(), units.data());
  else
    gIntlMgr->MacCharsToUni(bytes.data(), bytes.size(), units.data());
  for (size_t i = 0; i < units.size(); ++i)
    if (units[i] != 0) PutStreamUnit(stream + places[i], units[i]);
  UnlockStream();
  if (end > fSelStartOffset) {
    // Units changed in place: what the walks kept from there on is stale.
    StreamChangedAt(fSelStartOffset);
    NoteLinesChange(fSelStartOffset, end - fSelStartOffset, end - fSelStartOffset);
  }
}

namespace {

char16_t CaseOf(char16_t unit, bool upper) {
  if (gIntlMgr != nullptr) {
    if (upper)
      gIntlMgr->ToUpperChar(unit, false);
    else
      gIntlMgr->ToLowerChar(unit, false);
    return unit;
  }
  // Without the international tables only the ASCII letters change.
  if (upper && unit >= 'a' && unit <= 'z') return char16_t(unit - 32);
  if (!upper && unit >= 'A' && unit <= 'Z') return char16_t(unit + 32);
  return unit;
}

}  // namespace

int32_t xMorvaEngine::ChangeCaseWithUndo(int16_t mode) {
  if (!HasSelection() || mode < 0 || mode > 3) return 0;
  const uint32_t start = fSelStartOffset;
  const uint32_t end = std::min(fSelEndOffset, fBytesInUse);
  if (end <= start) return 0;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return 0;
  std::vector<uint8_t> bytes(stream + start, stream + end);
  UnlockStream();
  // Units change in place; records and special elements are stepped over,
  // so the stream keeps its shape and only the characters' bytes differ.
  bool changed = false;
  // The selection opens a word when it starts where its word starts.
  bool wordStart = fSelStart == fWordStart;
  for (uint32_t at = 0; at < bytes.size();) {
    const StreamItem item = ReadStreamItem(bytes.data() + at, uint32_t(bytes.size() - at));
    if (item.kind == StreamItem::kUnit) {
      const char16_t unit = item.unit;
      char16_t next = unit;
      if (mode == 0) {
        next = CaseOf(unit, false);
      } else if (mode == 1) {
        next = CaseOf(unit, true);
      } else if (mode == 2) {
        next = CaseOf(unit, wordStart);
      } else {
        const char16_t upper = CaseOf(unit, true);
        next = upper != unit ? upper : CaseOf(unit, false);
      }
      // A word unit that goes with the one before it leaves the word as
      // that one left it.
      if (!IsJoiningWordUnit(unit)) wordStart = !IsWordCharacter(unit);
      if (next != unit) {
        PutStreamUnit(bytes.data() + at, next);
        changed = true;
      }
    } else {
      wordStart = true;
    }
    at += item.size != 0 ? item.size : 1;
  }
  if (!changed) return 0;
  BeginUndoStep(kUndoCaseChange, uint16_t(mode));
  ReplaceBytes(start, bytes.data(), uint32_t(bytes.size()));
  EndUndoStep(0);
  return 0;
}
