// Replace all in one walk of the element stream: the new text is built
// once, match by match, and put in place with one insertion and one
// deletion, instead of moving the rest of the text at every replacement.
//
// Each match is replaced by the same edits that one replacement does
// (deleting the match, writing the typing records, inserting the units,
// setting the replace properties), run on a small scratch engine that holds
// only what those edits read: the character properties in effect before
// the match, the bytes from the item before the match to the item after it,
// and whether an item follows. So the bytes come out as one replacement
// after another leaves them, including where two matches touch.
#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "document/xMorvaFind.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngine_p.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VString.h"

namespace {

constexpr int32_t kOneAtATime = -1;
constexpr uint32_t kNotOld = 0xFFFFFFFFu;
// The unit that stands for the items around a match in the scratch engine:
// an ordinary character, neither a paragraph end nor a control.
constexpr char16_t kStandIn = u'x';

bool MatchWordUnit(char16_t unit) { return IsWordCharacter(unit); }

// A positioned item of the new text: where its bytes lie in the new text,
// where they came from in the old one (kNotOld for a replacement's), and
// the unit a search starting after it takes as the one before.
struct Placed {
  int32_t position = 0;
  uint32_t newStart = 0;
  uint32_t newEnd = 0;
  uint32_t oldStart = kNotOld;
  char16_t previous = u' ';
  bool softHyphen = false;
};

// The positioned items a match can still reach back to: a candidate spans
// at most the pattern's length in items other than soft hyphens, plus the
// item that ends a whole word and the item before the match.
class PlacedWindow {
 public:
  explicit PlacedWindow(int32_t patternLength) : fKeep(patternLength + 3) {}
  void Add(const Placed& item) {
    fItems.push_back(item);
    if (!item.softHyphen) ++fOrdinary;
    while (fOrdinary > fKeep) {
      if (!fItems.front().softHyphen) --fOrdinary;
      fItems.pop_front();
    }
  }
  // The item at the position; null when it is no longer (or not yet) kept.
  const Placed* At(int32_t position) const {
    if (fItems.empty() || position < fItems.front().position || position > fItems.back().position) return nullptr;
    return &fItems[size_t(position - fItems.front().position)];
  }
  const Placed* Last() const { return fItems.empty() ? nullptr : &fItems.back(); }
  // Forgets the items from the position on.
  void DropFrom(int32_t position) {
    while (!fItems.empty() && fItems.back().position >= position) {
      if (!fItems.back().softHyphen) --fOrdinary;
      fItems.pop_back();
    }
  }

 private:
  int32_t fKeep;
  int32_t fOrdinary = 0;
  std::deque<Placed> fItems;
};

// A stretch of the text that the replacements change: its bytes in the old
// text and in the new one. Matches whose unchanged bytes between lie closer
// than the gap of a run share a stretch.
struct Stretch {
  uint32_t oldStart = 0, oldEnd = 0;
  uint32_t newStart = 0, newEnd = 0;
};

void AppendStreamUnit(std::vector<uint8_t>& bytes, char16_t unit) {
  uint8_t two[2];
  PutStreamUnit(two, unit);
  bytes.insert(bytes.end(), two, two + 2);
}

// Whether the replace properties can be set on the scratch engine: the
// character properties whose state is 1 come out; false when a paragraph
// property is to be set, which reaches past the match.
bool CharacterIdsToSet(const xMorvaPropertiesStates& states, std::vector<uint16_t>& ids) {
  for (uint16_t id = 0; id <= kLastParagraphProperty; ++id) {
    if (!IsPropertyId(id) || states.GetState(id) != 1) continue;
    if (id > kLastCharacterProperty) return false;
    ids.push_back(id);
  }
  return true;
}

// The bytes of the replacement units; false when they cannot be read.
bool CopyReplacementUnits(VMemHandle units, std::vector<uint8_t>& replacement) {
  if (const uint32_t size = units != 0 ? gMemoryMgr->GetHandleSize(units) : 0) {
    const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(units));
    if (bytes == nullptr) return false;
    replacement.assign(bytes, bytes + size);
    gMemoryMgr->UnlockHandle(units);
  }
  return true;
}

// Whether the replacement holds a paragraph end or a break, which would
// end the paragraph around the match.
bool EndsParagraphs(const std::vector<uint8_t>& replacement) {
  for (uint32_t at = 0; at < replacement.size();) {
    const StreamItem item = ReadStreamItem(replacement.data() + at, uint32_t(replacement.size()) - at);
    if ((item.kind == StreamItem::kUnit && item.unit == kUnitParagraphEnd) ||
        (item.kind == StreamItem::kElement && IsBreakCode(item.unit))) {
      return true;
    }
    at += item.size;
  }
  return false;
}

}  // namespace

// The walk of replace all: the old text is copied item by item into the
// new one; each match found is replaced there by what the edits of one
// replacement leave on the scratch engine, and the stretches the
// replacements change are noted to be put in place at the end.
class xMorvaEngine::ReplaceAllWalk {
 public:
  ReplaceAllWalk(const std::u16string& pattern, bool wholeWord, bool caseSensitive,
                 const std::vector<uint8_t>& replacement, int32_t positions,
                 const std::vector<uint16_t>& ids, const xMorvaProperties& values,
                 xMorvaEngine& scratch, VMemHandle scratchUnits)
      : fPattern(pattern),
        fWholeWord(wholeWord),
        fCaseSensitive(caseSensitive),
        fReplacement(replacement),
        fPositions(positions),
        fIds(ids),
        fValues(values),
        fScratch(scratch),
        fScratchUnits(scratchUnits),
        fWindow(int32_t(pattern.size())) {
    fFold.SetDefaults();
    fDefaults.SetDefaults();
  }

  // Walks the old text of `oldSize` bytes and `length` positions, the
  // search starting at position `from`; false when a match could not be
  // replaced as one replacement would replace it.
  bool Run(const uint8_t* old, uint32_t oldSize, int32_t from, int32_t length);
  int32_t Count() const { return fCount; }
  // Puts the stretches in place in the engine, in one undo step; 0 or the
  // edit's error.
  int32_t PutInPlace(xMorvaEngine& engine);

 private:
  // Copies the old item at fRead into the new text.
  void CopyItem(const StreamItem& item);
  // Notes an item of the new text that starts at `start` and ends at the
  // new text's end; `oldStart` is where it came from.
  void Place(const StreamItem& item, uint32_t start, uint32_t oldStart);
  // Feeds the old items to a matcher from the present position; false when
  // no match remains.
  bool FindMatch(int32_t& start, int32_t& end);
  // The end of the match's bytes in the new text; false when the item
  // after it is no longer known.
  bool TakeMatchEnd(int32_t end, uint32_t& matchEnd);
  // The new text's offset of the bytes from the item before the match on.
  bool FindMatchFrom(int32_t start, uint32_t& matchFrom) const;
  // Gathers the character properties in effect up to `matchFrom`.
  void FoldPropertiesTo(uint32_t matchFrom);
  // The scratch text around the match; the offset of the stand-in before.
  uint32_t BuildScratchText(uint32_t matchFrom, uint32_t matchEnd, bool more);
  // The edits of one replacement on the scratch engine; 0 or an error.
  int32_t RunReplacementEdits(int32_t span, bool more);
  // Takes what the edits left between the stand-ins in place of the
  // match; false when the scratch text is not as the edits should leave it.
  bool TakeScratchResult(uint32_t head, bool more, uint32_t matchFrom, int32_t start);
  // Notes the replaced bytes in the stretches.
  void NoteStretch(uint32_t matchFrom);

  const std::u16string& fPattern;
  const bool fWholeWord;
  const bool fCaseSensitive;
  const std::vector<uint8_t>& fReplacement;
  const int32_t fPositions;
  const std::vector<uint16_t>& fIds;
  const xMorvaProperties& fValues;
  xMorvaEngine& fScratch;
  const VMemHandle fScratchUnits;

  const uint8_t* fOld = nullptr;
  uint32_t fOldSize = 0;
  std::vector<uint8_t> fBuilt;
  PlacedWindow fWindow;
  uint32_t fRead = 0;
  int32_t fPosition = 0;
  int32_t fLength = 0;
  // The character properties in effect at fFoldAt of the new text, as a
  // walk to a position gathers them.
  xMorvaProperties fFold;
  uint32_t fFoldAt = 0;
  xMorvaProperties fDefaults;
  int32_t fCount = 0;
  int32_t fFirstStart = 0, fFirstEnd = 0;
  int32_t fLastStart = 0;
  // The stretches put in place at the end, each as one deletion and one
  // insertion, which is also what the undo history keeps of them: one
  // stretch for matches that lie close, so that undo moves the text once,
  // and a new one after a long unchanged gap, so that the history does not
  // keep the unchanged bytes between two distant matches.
  std::vector<Stretch> fStretches;
  uint32_t fGap = 0;
  std::vector<uint8_t> fInput;
};

void xMorvaEngine::ReplaceAllWalk::Place(const StreamItem& item, uint32_t start,
                                         uint32_t oldStart) {
  if (item.kind == StreamItem::kRecord) return;
  Placed placed;
  placed.position = fPosition++;
  placed.newStart = start;
  placed.newEnd = uint32_t(fBuilt.size());
  placed.oldStart = oldStart;
  placed.previous = item.kind == StreamItem::kUnit
                        ? (fCaseSensitive ? item.unit : FoldCaseUnit(item.unit))
                        : u' ';
  placed.softHyphen =
      item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::SoftHyphen;
  fWindow.Add(placed);
}

void xMorvaEngine::ReplaceAllWalk::CopyItem(const StreamItem& item) {
  const uint32_t start = uint32_t(fBuilt.size());
  fBuilt.insert(fBuilt.end(), fOld + fRead, fOld + fRead + item.size);
  Place(item, start, fRead);
  fRead += item.size;
}

bool xMorvaEngine::ReplaceAllWalk::FindMatch(int32_t& start, int32_t& end) {
  const Placed* before = fWindow.Last();
  xMorvaTextMatcher matcher(
      fPattern, fWholeWord, fCaseSensitive, MatchWordUnit,
      before != nullptr && before->position == fPosition - 1 ? before->previous : u' ', fPosition);
  while (fRead < fOldSize && fPosition < fLength && !matcher.IsFound()) {
    const StreamItem item = ReadStreamItem(fOld + fRead, fOldSize - fRead);
    CopyItem(item);
    if (item.kind == StreamItem::kElement) {
      matcher.Element(item.unit, true);
    } else if (item.kind == StreamItem::kUnit) {
      matcher.Character(item.unit, true);
    }
  }
  // What follows decides a match that ends the searched text.
  if (!matcher.IsFound() && !FinishSearch(matcher, fOld, fRead, fOldSize)) return false;
  start = matcher.MatchStart();
  end = matcher.MatchEnd();
  return true;
}

bool xMorvaEngine::ReplaceAllWalk::TakeMatchEnd(int32_t end, uint32_t& matchEnd) {
  // The match's bytes run to the next positioned item: the records after
  // its last item go with it, as a selection takes them.
  if (end < fPosition) {
    // The item that ended the word is read again by the next search.
    const Placed* next = fWindow.At(end);
    if (next == nullptr || next->oldStart == kNotOld) return false;
    matchEnd = next->newStart;
    fRead = next->oldStart;
    fBuilt.resize(matchEnd);
    fWindow.DropFrom(end);
    fPosition = end;
    return true;
  }
  while (fRead < fOldSize) {
    const StreamItem item = ReadStreamItem(fOld + fRead, fOldSize - fRead);
    if (item.kind != StreamItem::kRecord) break;
    CopyItem(item);
  }
  matchEnd = uint32_t(fBuilt.size());
  return true;
}

bool xMorvaEngine::ReplaceAllWalk::FindMatchFrom(int32_t start, uint32_t& matchFrom) const {
  matchFrom = 0;
  if (start > 0) {
    const Placed* previous = fWindow.At(start - 1);
    if (previous == nullptr) return false;
    matchFrom = previous->newEnd;
  }
  return true;
}

void xMorvaEngine::ReplaceAllWalk::FoldPropertiesTo(uint32_t matchFrom) {
  while (fFoldAt < matchFrom) {
    const StreamItem item = ReadStreamItem(fBuilt.data() + fFoldAt, matchFrom - fFoldAt);
    if (item.kind == StreamItem::kRecord && item.unit < kFirstParagraphProperty)
      fFold.SetProperty(item.unit, int32_t(item.value));
    fFoldAt += item.size;
  }
}

uint32_t xMorvaEngine::ReplaceAllWalk::BuildScratchText(uint32_t matchFrom, uint32_t matchEnd,
                                                        bool more) {
  // Records for the properties in effect, a stand-in for the item before,
  // the match with what lies around it, and a stand-in for the item after
  // when there is one.
  fInput.clear();
  for (uint16_t id = 0; id < kFirstParagraphProperty; ++id) {
    if (!IsPropertyId(id) || fFold.GetProperty(id) == fDefaults.GetProperty(id)) continue;
    uint8_t record[kRecordSize];
    PutPropertyRecord(record, id, uint32_t(fFold.GetProperty(id)));
    fInput.insert(fInput.end(), record, record + kRecordSize);
  }
  const uint32_t head = uint32_t(fInput.size());
  AppendStreamUnit(fInput, kStandIn);
  fInput.insert(fInput.end(), fBuilt.begin() + matchFrom, fBuilt.begin() + matchEnd);
  if (more) AppendStreamUnit(fInput, kStandIn);
  return head;
}

int32_t xMorvaEngine::ReplaceAllWalk::RunReplacementEdits(int32_t span, bool more) {
  fScratch.DeleteBytes(0, int32_t(fScratch.fBytesInUse));
  int32_t error = fScratch.InsertBytes(0u, fInput.data(), uint32_t(fInput.size()));
  // Each replacement inserts its own copy: the insertion may change it.
  if (error == 0 && !gMemoryMgr->SetHandleSize(fScratchUnits, uint32_t(fReplacement.size())))
    error = kErrorTextCannotGrow;
  if (error == 0 && !fReplacement.empty()) {
    auto* bytes = static_cast<uint8_t*>(gMemoryMgr->LockHandle(fScratchUnits));
    if (bytes == nullptr) {
      error = kErrorTextCannotGrow;
    } else {
      std::memcpy(bytes, fReplacement.data(), fReplacement.size());
      gMemoryMgr->UnlockHandle(fScratchUnits);
    }
  }
  if (error == 0) {
    fScratch.SetLength(1 + span + (more ? 1 : 0));
    fScratch.SetSelection(1, 1 + span);
    error = fScratch.InsertHandle(fScratchUnits, fPositions);
  }
  if (error == 0) {
    fScratch.SetSelection(1, 1 + fPositions);
    for (uint16_t id : fIds) {
      if ((error = fScratch.SetPropertyValue(id, fValues.GetProperty(id))) != 0) break;
    }
  }
  return error;
}

bool xMorvaEngine::ReplaceAllWalk::TakeScratchResult(uint32_t head, bool more, uint32_t matchFrom,
                                                     int32_t start) {
  const uint8_t* result = fScratch.LockStream();
  const uint32_t resultSize = fScratch.fBytesInUse;
  const uint32_t tail = more ? 2 : 0;
  if (result == nullptr || resultSize < head + 2 + tail || StreamUnit(result + head) != kStandIn ||
      (more && StreamUnit(result + resultSize - 2) != kStandIn) ||
      fScratch.fLength != 1 + fPositions + (more ? 1 : 0)) {
    if (result != nullptr) fScratch.UnlockStream();
    return false;
  }
  fBuilt.resize(matchFrom);
  fWindow.DropFrom(start);
  fPosition = start;
  for (uint32_t at = head + 2; at < resultSize - tail;) {
    const StreamItem item = ReadStreamItem(result + at, resultSize - tail - at);
    const uint32_t itemStart = uint32_t(fBuilt.size());
    fBuilt.insert(fBuilt.end(), result + at, result + at + item.size);
    Place(item, itemStart, kNotOld);
    at += item.size;
  }
  fScratch.UnlockStream();
  return fPosition == start + fPositions;
}

void xMorvaEngine::ReplaceAllWalk::NoteStretch(uint32_t matchFrom) {
  // A match may begin inside the last stretch (in the records that the
  // replacement before left behind it); behind the stretch, old and new
  // bytes are the same.
  if (fStretches.empty() ||
      (matchFrom > fStretches.back().newEnd && matchFrom - fStretches.back().newEnd > fGap)) {
    const uint32_t oldFrom =
        fStretches.empty() ? matchFrom
                           : fStretches.back().oldEnd + (matchFrom - fStretches.back().newEnd);
    fStretches.push_back({oldFrom, fRead, matchFrom, uint32_t(fBuilt.size())});
  } else {
    fStretches.back().oldEnd = fRead;
    fStretches.back().newEnd = uint32_t(fBuilt.size());
  }
}

bool xMorvaEngine::ReplaceAllWalk::Run(const uint8_t* old, uint32_t oldSize, int32_t from,
                                       int32_t length) {
  fOld = old;
  fOldSize = oldSize;
  fLength = length;
  fBuilt.reserve(oldSize + oldSize / 8 + 64);
  fGap = std::max<uint32_t>(64 * 1024, oldSize / 32);

  // The search starts at the selection's end.
  while (fRead < fOldSize && fPosition < from)
    CopyItem(ReadStreamItem(fOld + fRead, fOldSize - fRead));

  for (;;) {
    int32_t start = 0;
    int32_t end = 0;
    if (!FindMatch(start, end)) return true;
    uint32_t matchEnd = 0;
    if (!TakeMatchEnd(end, matchEnd)) return false;
    const bool more = fRead < fOldSize;
    uint32_t matchFrom = 0;
    if (!FindMatchFrom(start, matchFrom)) return false;
    FoldPropertiesTo(matchFrom);
    const uint32_t head = BuildScratchText(matchFrom, matchEnd, more);
    if (RunReplacementEdits(end - start, more) != 0) return false;
    // What the edits left between the two stand-ins replaces the match.
    if (!TakeScratchResult(head, more, matchFrom, start)) return false;
    fLength += fPositions - (end - start);
    NoteStretch(matchFrom);
    if (fCount == 0) {
      fFirstStart = start;
      fFirstEnd = end;
    }
    ++fCount;
    fLastStart = start;
  }
}

int32_t xMorvaEngine::ReplaceAllWalk::PutInPlace(xMorvaEngine& engine) {
  // The stretches go in, in one undo step that starts with the first match
  // selected, as the first replacement's did. The block is grown first to
  // the most the text holds on the way, so that no insertion fails halfway.
  int64_t shift = 0;
  int64_t peak = 0;
  for (const Stretch& stretch : fStretches) {
    peak = std::max<int64_t>(peak, shift + int64_t(stretch.newEnd - stretch.newStart));
    shift += int64_t(stretch.newEnd - stretch.newStart) - int64_t(stretch.oldEnd - stretch.oldStart);
  }
  engine.SetSelection(fFirstStart, fFirstEnd);
  return engine.Reserved(uint64_t(peak), [&]() -> int32_t {
    engine.BeginUndoStep(kUndoFindReplace, 0);
    int32_t result = 0;
    for (const Stretch& stretch : fStretches) {
      // Everything before the stretch is new text already.
      result = engine.InsertBytes(stretch.newStart, fBuilt.data() + stretch.newStart,
                                  stretch.newEnd - stretch.newStart);
      if (result != 0) break;
      engine.DeleteBytes(int32_t(stretch.newEnd), int32_t(stretch.oldEnd - stretch.oldStart));
    }
    if (result == 0) {
      engine.SetLength(fLength);
      engine.SetSelection(fLastStart, fLastStart + fPositions);
    }
    engine.EndUndoStep(result);
    return result;
  });
}

int32_t xMorvaEngine::ReplaceEveryMatch(const VString& text, bool wholeWord, bool caseSensitive,
                                        VMemHandle units, int32_t positions,
                                        const xMorvaProperties& values,
                                        const xMorvaPropertiesStates& states) {
  std::u16string pattern;
  for (int32_t i = 1; i <= text.GetLength(); ++i) pattern.push_back(text.GetCharAt(i));
  // A paragraph end in the match joins paragraphs, and paragraph
  // properties reach past the match: those edits read the paragraphs
  // around, which the scratch engine does not hold.
  if (pattern.empty() || pattern.find(char16_t(kUnitParagraphEnd)) != std::u16string::npos)
    return kOneAtATime;
  std::vector<uint16_t> ids;
  if (!CharacterIdsToSet(states, ids)) return kOneAtATime;
  if (CheckHandle(units, positions) != 0 || fStream == 0) return kOneAtATime;
  std::vector<uint8_t> replacement;
  if (!CopyReplacementUnits(units, replacement) || EndsParagraphs(replacement)) return kOneAtATime;

  xMorvaEngine scratch(nullptr, fGranule);
  VMemHandle scratchUnits = gMemoryMgr->NewHandle(0, 0);
  if (!scratch.IsValid() || scratchUnits == 0) {
    if (scratchUnits != 0) gMemoryMgr->DisposeHandle(scratchUnits);
    return kOneAtATime;
  }
  const uint8_t* old = LockStream();
  if (old == nullptr) {
    gMemoryMgr->DisposeHandle(scratchUnits);
    return kOneAtATime;
  }
  ReplaceAllWalk walk(pattern, wholeWord, caseSensitive, replacement, positions, ids, values,
                      scratch, scratchUnits);
  const bool replaced = walk.Run(old, fBytesInUse, fSelEnd, fLength);
  UnlockStream();
  gMemoryMgr->DisposeHandle(scratchUnits);
  if (!replaced) return kOneAtATime;
  if (walk.Count() == 0) return 0;
  return walk.PutInPlace(*this) == 0 ? walk.Count() : kOneAtATime;
}
