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

}  // namespace

int32_t xMorvaEngine::ReplaceEveryMatch(const VString& text, bool wholeWord, bool caseSensitive, VMemHandle units,
                                        int32_t positions, const xMorvaProperties& values,
                                        const xMorvaPropertiesStates& states) {
  std::u16string pattern;
  for (int32_t i = 1; i <= text.GetLength(); ++i) pattern.push_back(text.GetCharAt(i));
  // A paragraph end in the match joins paragraphs, and paragraph
  // properties reach past the match: those edits read the paragraphs
  // around, which the scratch engine does not hold.
  if (pattern.empty() || pattern.find(char16_t(kUnitParagraphEnd)) != std::u16string::npos) return kOneAtATime;
  std::vector<uint16_t> ids;
  for (uint16_t id = 0; id <= kLastParagraphProperty; ++id) {
    if (!IsPropertyId(id) || states.GetState(id) != 1) continue;
    if (id > kLastCharacterProperty) return kOneAtATime;
    ids.push_back(id);
  }
  if (CheckHandle(units, positions) != 0 || fStream == 0) return kOneAtATime;
  std::vector<uint8_t> replacement;
  if (const uint32_t size = units != 0 ? gMemoryMgr->GetHandleSize(units) : 0) {
    const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(units));
    if (bytes == nullptr) return kOneAtATime;
    replacement.assign(bytes, bytes + size);
    gMemoryMgr->UnlockHandle(units);
  }
  for (uint32_t at = 0; at < replacement.size();) {
    const StreamItem item = ReadStreamItem(replacement.data() + at, uint32_t(replacement.size()) - at);
    if ((item.kind == StreamItem::kUnit && item.unit == kUnitParagraphEnd) ||
        (item.kind == StreamItem::kElement && IsBreakCode(item.unit))) {
      return kOneAtATime;
    }
    at += item.size;
  }

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
  const uint32_t oldSize = fBytesInUse;
  const int32_t from = fSelEnd;
  std::vector<uint8_t> built;
  built.reserve(oldSize + oldSize / 8 + 64);
  PlacedWindow window(int32_t(pattern.size()));
  uint32_t read = 0;
  int32_t position = 0;
  int32_t length = fLength;

  // The character properties in effect at `foldAt` of the new text, as a
  // walk to a position gathers them.
  xMorvaProperties fold;
  fold.SetDefaults();
  uint32_t foldAt = 0;
  xMorvaProperties defaults;
  defaults.SetDefaults();

  // Copies the old item at `read` into the new text.
  auto copyItem = [&](const StreamItem& item) {
    const uint32_t start = uint32_t(built.size());
    built.insert(built.end(), old + read, old + read + item.size);
    if (item.kind != StreamItem::kRecord) {
      Placed placed;
      placed.position = position++;
      placed.newStart = start;
      placed.newEnd = uint32_t(built.size());
      placed.oldStart = read;
      placed.previous = item.kind == StreamItem::kUnit ? (caseSensitive ? item.unit : FoldCaseUnit(item.unit)) : u' ';
      placed.softHyphen = item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::SoftHyphen;
      window.Add(placed);
    }
    read += item.size;
  };

  int32_t count = 0;
  int32_t firstStart = 0, firstEnd = 0;
  int32_t lastStart = 0;
  // The stretches put in place at the end, each as one deletion and one
  // insertion, which is also what the undo history keeps of them: one
  // stretch for matches that lie close, so that undo moves the text once,
  // and a new one after a long unchanged gap, so that the history does not
  // keep the unchanged bytes between two distant matches.
  std::vector<Stretch> stretches;
  const uint32_t gap = std::max<uint32_t>(64 * 1024, oldSize / 32);
  bool failed = false;
  std::vector<uint8_t> input;

  // The search starts at the selection's end.
  while (read < oldSize && position < from) copyItem(ReadStreamItem(old + read, oldSize - read));

  for (;;) {
    const Placed* before = window.Last();
    xMorvaTextMatcher matcher(pattern, wholeWord, caseSensitive, MatchWordUnit,
                              before != nullptr && before->position == position - 1 ? before->previous : u' ',
                              position);
    while (read < oldSize && position < length && !matcher.IsFound()) {
      const StreamItem item = ReadStreamItem(old + read, oldSize - read);
      copyItem(item);
      if (item.kind == StreamItem::kElement) {
        matcher.Element(item.unit, true);
      } else if (item.kind == StreamItem::kUnit) {
        matcher.Character(item.unit, true);
      }
    }
    if (!matcher.IsFound()) {
      // What follows decides a whole word that ends the searched text.
      int next = 0;
      for (uint32_t at = read; at < oldSize;) {
        const StreamItem item = ReadStreamItem(old + at, oldSize - at);
        at += item.size;
        if (item.kind == StreamItem::kRecord) continue;
        next = item.kind == StreamItem::kUnit && IsWordCharacter(item.unit) ? 1 : 2;
        break;
      }
      if (!matcher.Finish(next)) break;
    }
    const int32_t start = matcher.MatchStart();
    const int32_t end = matcher.MatchEnd();

    // The match's bytes run to the next positioned item: the records after
    // its last item go with it, as a selection takes them.
    uint32_t matchEnd = 0;
    if (end < position) {
      // The item that ended the word is read again by the next search.
      const Placed* next = window.At(end);
      if (next == nullptr || next->oldStart == kNotOld) {
        failed = true;
        break;
      }
      matchEnd = next->newStart;
      read = next->oldStart;
      built.resize(matchEnd);
      window.DropFrom(end);
      position = end;
    } else {
      while (read < oldSize) {
        const StreamItem item = ReadStreamItem(old + read, oldSize - read);
        if (item.kind != StreamItem::kRecord) break;
        copyItem(item);
      }
      matchEnd = uint32_t(built.size());
    }
    const bool more = read < oldSize;
    // The bytes from the item before the match on.
    uint32_t matchFrom = 0;
    if (start > 0) {
      const Placed* previous = window.At(start - 1);
      if (previous == nullptr) {
        failed = true;
        break;
      }
      matchFrom = previous->newEnd;
    }
    while (foldAt < matchFrom) {
      const StreamItem item = ReadStreamItem(built.data() + foldAt, matchFrom - foldAt);
      if (item.kind == StreamItem::kRecord && item.unit < kFirstParagraphProperty)
        fold.SetProperty(item.unit, int32_t(item.value));
      foldAt += item.size;
    }

    // The scratch text: records for the properties in effect, a stand-in
    // for the item before, the match with what lies around it, and a
    // stand-in for the item after when there is one.
    input.clear();
    for (uint16_t id = 0; id < kFirstParagraphProperty; ++id) {
      if (!IsPropertyId(id) || fold.GetProperty(id) == defaults.GetProperty(id)) continue;
      uint8_t record[kRecordSize];
      PutPropertyRecord(record, id, uint32_t(fold.GetProperty(id)));
      input.insert(input.end(), record, record + kRecordSize);
    }
    const uint32_t head = uint32_t(input.size());
    AppendStreamUnit(input, kStandIn);
    input.insert(input.end(), built.begin() + matchFrom, built.begin() + matchEnd);
    if (more) AppendStreamUnit(input, kStandIn);
    const int32_t span = end - start;
    scratch.DeleteBytes(0, int32_t(scratch.fBytesInUse));
    int32_t error = scratch.InsertBytes(0u, input.data(), uint32_t(input.size()));
    // Each replacement inserts its own copy: the insertion may change it.
    if (error == 0 && !gMemoryMgr->SetHandleSize(scratchUnits, uint32_t(replacement.size())))
      error = kErrorTextCannotGrow;
    if (error == 0 && !replacement.empty()) {
      auto* bytes = static_cast<uint8_t*>(gMemoryMgr->LockHandle(scratchUnits));
      if (bytes == nullptr) {
        error = kErrorTextCannotGrow;
      } else {
        std::memcpy(bytes, replacement.data(), replacement.size());
        gMemoryMgr->UnlockHandle(scratchUnits);
      }
    }
    if (error == 0) {
      scratch.SetLength(1 + span + (more ? 1 : 0));
      scratch.SetSelection(1, 1 + span);
      error = scratch.InsertHandle(scratchUnits, positions);
    }
    if (error == 0) {
      scratch.SetSelection(1, 1 + positions);
      for (uint16_t id : ids) {
        if ((error = scratch.SetPropertyValue(id, values.GetProperty(id))) != 0) break;
      }
    }
    if (error != 0) {
      failed = true;
      break;
    }
    // What the edits left between the two stand-ins replaces the match.
    const uint8_t* result = scratch.LockStream();
    const uint32_t resultSize = scratch.fBytesInUse;
    const uint32_t tail = more ? 2 : 0;
    if (result == nullptr || resultSize < head + 2 + tail || StreamUnit(result + head) != kStandIn ||
        (more && StreamUnit(result + resultSize - 2) != kStandIn) ||
        scratch.fLength != 1 + positions + (more ? 1 : 0)) {
      if (result != nullptr) scratch.UnlockStream();
      failed = true;
      break;
    }
    built.resize(matchFrom);
    window.DropFrom(start);
    position = start;
    for (uint32_t at = head + 2; at < resultSize - tail;) {
      const StreamItem item = ReadStreamItem(result + at, resultSize - tail - at);
      const uint32_t itemStart = uint32_t(built.size());
      built.insert(built.end(), result + at, result + at + item.size);
      if (item.kind != StreamItem::kRecord) {
        Placed placed;
        placed.position = position++;
        placed.newStart = itemStart;
        placed.newEnd = uint32_t(built.size());
        placed.previous =
            item.kind == StreamItem::kUnit ? (caseSensitive ? item.unit : FoldCaseUnit(item.unit)) : u' ';
        placed.softHyphen = item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::SoftHyphen;
        window.Add(placed);
      }
      at += item.size;
    }
    scratch.UnlockStream();
    if (position != start + positions) {
      failed = true;
      break;
    }
    length += positions - span;
    // A match may begin inside the last stretch (in the records that the
    // replacement before left behind it); behind the stretch, old and new
    // bytes are the same.
    if (stretches.empty() || (matchFrom > stretches.back().newEnd && matchFrom - stretches.back().newEnd > gap)) {
      const uint32_t oldFrom =
          stretches.empty() ? matchFrom : stretches.back().oldEnd + (matchFrom - stretches.back().newEnd);
      stretches.push_back({oldFrom, read, matchFrom, uint32_t(built.size())});
    } else {
      stretches.back().oldEnd = read;
      stretches.back().newEnd = uint32_t(built.size());
    }
    if (count == 0) {
      firstStart = start;
      firstEnd = end;
    }
    ++count;
    lastStart = start;
  }
  UnlockStream();
  gMemoryMgr->DisposeHandle(scratchUnits);
  if (failed) return kOneAtATime;
  if (count == 0) return 0;

  // The stretches go in, in one undo step that starts with the first match
  // selected, as the first replacement's did. The block is grown first to
  // the most the text holds on the way, so that no insertion fails halfway.
  int64_t shift = 0;
  int64_t peak = 0;
  for (const Stretch& stretch : stretches) {
    peak = std::max<int64_t>(peak, shift + int64_t(stretch.newEnd - stretch.newStart));
    shift += int64_t(stretch.newEnd - stretch.newStart) - int64_t(stretch.oldEnd - stretch.oldStart);
  }
  SetSelection(firstStart, firstEnd);
  const int32_t error = Reserved(uint64_t(peak), [&]() -> int32_t {
    BeginUndoStep(kUndoFindReplace, 0);
    int32_t result = 0;
    for (const Stretch& stretch : stretches) {
      // Everything before the stretch is new text already.
      result = InsertBytes(stretch.newStart, built.data() + stretch.newStart, stretch.newEnd - stretch.newStart);
      if (result != 0) break;
      DeleteBytes(int32_t(stretch.newEnd), int32_t(stretch.oldEnd - stretch.oldStart));
    }
    if (result == 0) {
      SetLength(length);
      SetSelection(lastStart, lastStart + positions);
    }
    EndUndoStep(result);
    return result;
  });
  return error == 0 ? count : kOneAtATime;
}
