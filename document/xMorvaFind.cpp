// The matcher of find and replace and the search over a stored document.
#include "document/xMorvaFind.h"

#include <algorithm>

#include "framework/core/intl/Clusters.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/intl/WordScripts.h"
#include "framework/core/streams/VByteReader.h"

namespace {

constexpr uint16_t kTabElement = 16000;
constexpr uint16_t kSoftHyphenElement = 24002;
constexpr uint16_t kFirstElement = 16000;
constexpr char16_t kSpace = u' ';
constexpr char16_t kTabUnit = u'\t';
// The units kept for the break rules behind the last position fed, when
// no candidate reaches further back: more than any cluster a text holds
// but a run of flags or of marks, which the rules read from an edge.
constexpr int32_t kUnitsKept = 32;

bool IsHighUnit(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

char16_t FoldCaseUnit(char16_t unit) {
  if (unit < kFoldedByTable) return FoldAsciiUnit(unit);
  if (gIntlMgr != nullptr) gIntlMgr->ToUpperChar(unit, false);
  return unit;
}

bool HasPropertyCriteria(const xMorvaPropertiesStates& states) {
  for (uint16_t id = 0; id <= kLastParagraphProperty; ++id) {
    if (states.GetState(id) == 1) return true;
  }
  return false;
}

// ---- xMorvaTextMatcher

xMorvaTextMatcher::xMorvaTextMatcher(const std::u16string& pattern, bool wholeWord, bool caseSensitive,
                                     xMorvaWordTest isWord, char16_t previous, int32_t first,
                                     VWordScript previousWord)
    : fPattern(pattern),
      fWholeWord(wholeWord),
      fCaseSensitive(caseSensitive),
      fIdle(!pattern.empty()),
      fIsWord(isWord),
      fPrevious(previous),
      fBase(previous),
      fPreviousWord(previousWord),
      fPosition(first),
      fFirst(first),
      fUnitsStart(first) {
  if (!fCaseSensitive) {
    for (char16_t& unit : fPattern) unit = FoldCaseUnit(unit);
  }
  if (!fPattern.empty()) fFront = fPattern.front();
  if (!fPattern.empty() && fIsWord(fPattern.front())) fStartScript = WordScriptOf(fPattern.front());
  for (auto unit = fPattern.rbegin(); unit != fPattern.rend() && fIsWord(*unit); ++unit) {
    fEndScript = WordScriptOf(*unit);
    if (fEndScript != VWordScript::kEither) break;
  }
}

void xMorvaTextMatcher::Complete(int32_t start, int32_t end) {
  fFound = true;
  fIdle = false;
  fWaiting = false;
  fMatchStart = start;
  fMatchEnd = end;
}

void xMorvaTextMatcher::Advance(char16_t unit, bool canStart, bool open) {
  const int32_t position = fPosition - 1;
  if (canStart) {
    // A first candidate with nothing open starts a stretch: the units the
    // break rules may read start from an edge before it.
    if (!open) {
      fOpenSince = position;
      fOpenEdge = fIndicatorEdge;
    }
    fCandidates.push_back({position, 0});
  }
  const int32_t n = int32_t(fPattern.size());
  size_t kept = 0;
  bool completed = false;
  int32_t completedStart = 0;
  for (const Candidate& candidate : fCandidates) {
    if (fPattern[size_t(candidate.matched)] != unit) continue;
    if (candidate.matched + 1 == n) {
      // Candidates are kept oldest first, so the first to complete starts
      // earliest.
      if (!completed) {
        completed = true;
        completedStart = candidate.start;
      }
      continue;
    }
    fCandidates[kept++] = {candidate.start, candidate.matched + 1};
  }
  fCandidates.resize(kept);
  // A match that ends while another waits for a pair's low unit ends
  // inside the pair.
  if (!completed || fWaiting) return;
  // Its ends must be edges, and a whole word must end there: the next
  // item decides.
  fWaiting = true;
  fWaitForLow = false;
  fWaitStart = completedStart;
  fWaitEnd = fPosition;
}

void xMorvaTextMatcher::Settle() {
  if (!fWaiting && fCandidates.empty()) {
    fKeeping = false;
    fIdle = !fFound && !fPattern.empty();
    return;
  }
  fIdle = false;
  // The ring must still hold the units from the edge before the stretch's
  // start when a match asks: a stretch about to outgrow it keeps them.
  if (fKeeping || fPosition - fOpenSince < kRingSize - kWalkBack - 1) return;
  StretchFromRing();
  fKeeping = true;
}

void xMorvaTextMatcher::StartUnits(int32_t position) {
  // From the nearest edge that the units beside it tell, kWalkBack units
  // back at most.
  int32_t edge = position;
  while (edge > fFirst && edge > position - kWalkBack && edge != fOpenEdge &&
         ClusterEdgeBetween(UnitBefore(edge), RingUnit(edge)) != VClusterEdge::kEdge)
    --edge;
  fUnits.clear();
  for (int32_t at = edge; at <= position; ++at) fUnits.push_back(RingUnit(at));
  fUnitsStart = edge;
}

void xMorvaTextMatcher::NoteIndicator(int32_t start) {
  fIndicators = start == fIndicatorsEnd ? fIndicators + 1 : 1;
  fIndicatorsEnd = start + 2;
  // An odd indicator after a flag starts the next flag.
  if (fIndicators > 1 && fIndicators % 2 == 1) fIndicatorEdge = start;
}

void xMorvaTextMatcher::StretchFromRing() {
  StartUnits(fOpenSince);
  for (int32_t at = fOpenSince + 1; at < fPosition; ++at) fUnits.push_back(RingUnit(at));
}

void xMorvaTextMatcher::TakeUnitsFromRing() {
  StretchFromRing();
  fUnits.append(fTail, size_t(fTailCount));
}

void xMorvaTextMatcher::KeepUnit(char16_t unit, int32_t position) {
  fUnits.push_back(unit);
  if (fUnits.size() % (2 * kUnitsKept) != 0) return;
  // Long: the units before the last edge that nothing asks about go, the
  // last units staying for the rules that look back.
  int32_t keep = position - kUnitsKept;
  if (!fCandidates.empty()) keep = std::min(keep, fCandidates.front().start);
  if (fWaiting) keep = std::min(keep, fWaitStart);
  const int32_t at = keep - fUnitsStart;
  if (at <= 0) return;
  int32_t edge = at;
  while (edge > 0 && ClusterEdgeBetween(fUnits[size_t(edge - 1)], fUnits[size_t(edge)]) != VClusterEdge::kEdge) --edge;
  if (edge == 0) edge = ClusterBoundaryBefore(fUnits.data(), int32_t(fUnits.size()), at + 1);
  if (edge <= 0) return;
  fUnits.erase(0, size_t(edge));
  fUnitsStart += edge;
}

VClusterEdge xMorvaTextMatcher::StartEdge(int32_t position) const {
  // The ring holds a match's start but for a stretch that outgrew it,
  // whose units are kept from an edge at or before the start.
  const auto unitAt = [&](int32_t at, char16_t& unit) {
    if (fPosition - at <= kRingSize) {
      unit = RingUnit(at);
      return true;
    }
    if (!fKeeping || at < fUnitsStart || at - fUnitsStart >= int32_t(fUnits.size())) return false;
    unit = fUnits[size_t(at - fUnitsStart)];
    return true;
  };
  char16_t unit = 0;
  // A tab element stands alone; so does a start that the units kept begin
  // at, an edge.
  if (!unitAt(position, unit) || unit == 0) return VClusterEdge::kEdge;
  char16_t before = 0;
  if (position > fFirst && !unitAt(position - 1, before)) return VClusterEdge::kEdge;
  return ClusterEdgeBetween(before, unit);
}

bool xMorvaTextMatcher::IsEdge(int32_t position, VClusterEdge told) const {
  if (told != VClusterEdge::kAsk) return told == VClusterEdge::kEdge;
  const int32_t at = position - fUnitsStart;
  if (at <= 0 || at >= int32_t(fUnits.size())) return true;
  return IsClusterBoundary(fUnits.data(), int32_t(fUnits.size()), at);
}

bool xMorvaTextMatcher::DecideWaiting(VClusterEdge endEdge) {
  fWaiting = false;
  fWaitForLow = false;
  const VClusterEdge startEdge = StartEdge(fWaitStart);
  if (startEdge == VClusterEdge::kInside || endEdge == VClusterEdge::kInside) return false;
  // Where the units beside an end do not tell, the break rules read the
  // units around it.
  if (startEdge == VClusterEdge::kAsk || endEdge == VClusterEdge::kAsk) {
    if (!fKeeping) TakeUnitsFromRing();
    if (!IsEdge(fWaitStart, startEdge) || !IsEdge(fWaitEnd, endEdge)) return false;
  }
  Complete(fWaitStart, fWaitEnd);
  return true;
}

bool xMorvaTextMatcher::StartsWord() const {
  if (!fIsWord(fPrevious)) return true;
  if (fStartScript == VWordScript::kEither) return false;
  VWordScript before = VWordScript::kEither;
  if (fIsWord(fBase)) {
    before = WordScriptOf(fBase);
    if (before == VWordScript::kEither) before = fPreviousWord;
  }
  return WordScriptsPart(before, fStartScript);
}

void xMorvaTextMatcher::NoteJoiningUnit(char16_t unit) {
  // A word unit that goes with the one before it (an emoji's low unit, its
  // selector, a mark, a joiner) is no word's after a unit of no word.
  if (fIsWord(unit) && !fIsWord(fPrevious)) return;
  fPrevious = unit;
  if (!fIsWord(unit)) fBase = unit;
}

bool xMorvaTextMatcher::FeedCharacter(char16_t unit, bool propertiesMatch) {
  if (fFound) return true;
  const int32_t position = fPosition++;
  fRing[position & (kRingSize - 1)] = unit;
  if (IsRegionalIndicatorUnits(UnitBefore(position), unit)) NoteIndicator(position - 1);
  const char16_t folded = fCaseSensitive ? unit : FoldCaseUnit(unit);
  const bool open = fWaiting || !fCandidates.empty();
  if (fKeeping && open) KeepUnit(unit, position);
  if (fWaiting) {
    if (fWaitForLow) {
      if (DecideWaiting(VClusterEdge::kAsk)) return true;
    } else if (fWholeWord && fIsWord(unit) && !WordScriptsPart(fEndScript, WordScriptOf(folded))) {
      fWaiting = false;
    } else {
      // Whether a character starts here, as the units on either side tell.
      const VClusterEdge edge = ClusterEdgeBetween(UnitBefore(position), unit);
      if (edge == VClusterEdge::kAsk && IsHighUnit(unit)) {
        // The character after the end is a pair: its low unit is needed.
        fWaitForLow = true;
      } else if (DecideWaiting(edge)) {
        return true;
      }
    }
  }
  if (fPattern.empty()) {
    if (propertiesMatch) {
      if (fRunStart < 0) fRunStart = position;
    } else if (fRunStart >= 0) {
      Complete(fRunStart, position);
      return true;
    }
    NoteUnit(folded);
    return false;
  }
  if (!propertiesMatch) {
    KillAll();
  } else {
    // Only the pattern's first unit starts a match, and a whole word none
    // right after a character of its word.
    const bool canStart = folded == fFront && (!fWholeWord || StartsWord());
    if (canStart || !fCandidates.empty()) Advance(folded, canStart, open);
  }
  NoteUnit(folded);
  Settle();
  return fFound;
}

bool xMorvaTextMatcher::Element(uint16_t code, bool propertiesMatch) {
  if (fFound) return true;
  const int32_t position = fPosition++;
  // An element stands alone, as a unit 0; special elements separate words.
  fRing[position & (kRingSize - 1)] = 0;
  const bool open = fWaiting || !fCandidates.empty();
  if (fKeeping && open) KeepUnit(0, position);
  if (fWaiting && DecideWaiting(fWaitForLow ? VClusterEdge::kAsk : VClusterEdge::kEdge)) return true;
  if (fPattern.empty()) {
    if (propertiesMatch) {
      if (fRunStart < 0) fRunStart = position;
    } else if (fRunStart >= 0) {
      Complete(fRunStart, position);
      return true;
    }
  } else if (code == kSoftHyphenElement) {
    // Transparent: a match runs on across it.
  } else if (code == kTabElement && propertiesMatch) {
    const bool canStart = fFront == kTabUnit && (!fWholeWord || !fIsWord(fPrevious));
    if (canStart || !fCandidates.empty()) Advance(kTabUnit, canStart, open);
  } else {
    KillAll();
  }
  fPrevious = fBase = kSpace;
  Settle();
  return fFound;
}

bool xMorvaTextMatcher::Finish(int next, char16_t after, char16_t second) {
  if (fFound) return true;
  if (fWaiting && (fWaitForLow || !fWholeWord || next != 1)) {
    // The end of the text is an edge; else the units after it tell.
    VClusterEdge endEdge = fWaitForLow ? VClusterEdge::kAsk : VClusterEdge::kEdge;
    if (next != 0) {
      if (endEdge == VClusterEdge::kEdge) endEdge = ClusterEdgeBetween(UnitBefore(fPosition), after);
      fTail[0] = after;
      fTail[1] = second;
      fTailCount = second != 0 ? 2 : 1;
      if (fKeeping) {
        KeepUnit(after, fPosition);
        if (second != 0) KeepUnit(second, fPosition + 1);
      }
    }
    DecideWaiting(endEdge);
  }
  if (!fFound && fPattern.empty() && fRunStart >= 0) Complete(fRunStart, fPosition);
  fWaiting = false;
  fIdle = false;
  return fFound;
}

// ---- The stored document

int32_t SearchStoredText(const uint8_t* block, uint32_t size, const std::u16string& text, bool wholeWord,
                         bool caseSensitive, xMorvaWordTest isWord) {
  if (block == nullptr || size < 4) return kStoredTextNotAStream;
  VByteReader::Order order = VByteReader::Order::kLittle;
  {
    VByteReader head(block, 4, VByteReader::Order::kLittle);
    const uint16_t zero = head.U16();
    const uint16_t marker = head.U16();
    if (zero != 0) return kStoredTextNotAStream;
    if (marker == uint16_t((kStoredStreamMarker >> 8) | (kStoredStreamMarker << 8))) {
      order = VByteReader::Order::kBig;
    } else if (marker != kStoredStreamMarker) {
      return kStoredTextNotAStream;
    }
  }
  // The header and store stand as one element in front of the body: it
  // takes position 0, so body positions come out counted from 1.
  xMorvaTextMatcher matcher(text, wholeWord, caseSensitive, isWord, kSpace, 0);
  VByteReader reader(block, size, order);
  while (!matcher.IsFound() && reader.Remaining() >= 2) {
    const uint16_t unit = reader.U16();
    if (unit != 0) {
      matcher.Character(unit, true);
      continue;
    }
    if (reader.Remaining() < 6) break;
    const uint16_t code = reader.U16();
    if (code < kFirstElement) {
      reader.U32();  // a property record: no position
      continue;
    }
    if (reader.Remaining() < 8) break;
    const uint32_t length = reader.U32();
    reader.U32();
    // An element that runs past the block ends the walk there.
    if (length > reader.Remaining()) break;
    reader.Skip(length);
    matcher.Element(code, true);
  }
  if (!matcher.IsFound()) matcher.Finish(0);
  return matcher.IsFound() ? matcher.MatchStart() : kStoredTextNotFound;
}
