// The matcher of find and replace and the search over a stored document.
#include "document/xMorvaFind.h"

#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/intl/WordScripts.h"
#include "framework/core/streams/VByteReader.h"

namespace {

constexpr uint16_t kTabElement = 16000;
constexpr uint16_t kSoftHyphenElement = 24002;
constexpr uint16_t kFirstElement = 16000;
constexpr char16_t kSpace = u' ';
constexpr char16_t kTabUnit = u'\t';

}  // namespace

char16_t FoldCaseUnit(char16_t unit) {
  if (unit >= u'a' && unit <= u'z') return char16_t(unit - 32);
  if (unit >= 123 && gIntlMgr != nullptr) gIntlMgr->ToUpperChar(unit, false);
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
      fIsWord(isWord),
      fPrevious(previous),
      fBase(previous),
      fPreviousWord(previousWord),
      fPosition(first) {
  if (!fCaseSensitive) {
    for (char16_t& unit : fPattern) unit = FoldCaseUnit(unit);
  }
  if (!fPattern.empty() && fIsWord(fPattern.front())) fStartScript = WordScriptOf(fPattern.front());
  for (auto unit = fPattern.rbegin(); unit != fPattern.rend() && fIsWord(*unit); ++unit) {
    fEndScript = WordScriptOf(*unit);
    if (fEndScript != VWordScript::kEither) break;
  }
}

void xMorvaTextMatcher::Complete(int32_t start, int32_t end) {
  fFound = true;
  fWaiting = false;
  fMatchStart = start;
  fMatchEnd = end;
}

bool xMorvaTextMatcher::Advance(char16_t unit, bool canStart) {
  const int32_t position = fPosition - 1;
  if (canStart) fCandidates.push_back({position, 0});
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
  if (!completed) return false;
  if (!fWholeWord) {
    Complete(completedStart, fPosition);
    return true;
  }
  // The word must end here: the next item decides.
  fWaiting = true;
  fWaitStart = completedStart;
  fWaitEnd = fPosition;
  return false;
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

bool xMorvaTextMatcher::Character(char16_t unit, bool propertiesMatch) {
  if (fFound) return true;
  const int32_t position = fPosition++;
  const char16_t folded = fCaseSensitive ? unit : FoldCaseUnit(unit);
  if (fWaiting) {
    if (!fIsWord(unit) || WordScriptsPart(fEndScript, WordScriptOf(folded))) {
      Complete(fWaitStart, fWaitEnd);
      return true;
    }
    fWaiting = false;
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
    const bool canStart = folded == fPattern.front() && (!fWholeWord || StartsWord());
    if (canStart || !fCandidates.empty()) Advance(folded, canStart);
  }
  NoteUnit(folded);
  return fFound;
}

bool xMorvaTextMatcher::Element(uint16_t code, bool propertiesMatch) {
  if (fFound) return true;
  const int32_t position = fPosition++;
  // Special elements separate words.
  if (fWaiting) {
    Complete(fWaitStart, fWaitEnd);
    return true;
  }
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
    Advance(kTabUnit, fPattern.front() == kTabUnit && (!fWholeWord || !fIsWord(fPrevious)));
  } else {
    KillAll();
  }
  fPrevious = fBase = kSpace;
  return fFound;
}

bool xMorvaTextMatcher::Finish(int next) {
  if (fFound) return true;
  if (fWaiting && next != 1) Complete(fWaitStart, fWaitEnd);
  if (!fFound && fPattern.empty() && fRunStart >= 0) Complete(fRunStart, fPosition);
  fWaiting = false;
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
