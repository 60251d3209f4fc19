// The text search of find and replace: the element stream walked from a
// position, each positioned item handed to the document model's matcher
// with whether the properties in effect there meet the criteria.
#include <string>

#include "document/xMorvaFind.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngine_p.h"
#include "framework/core/strings/VString.h"

namespace {

bool WordUnit(char16_t unit) { return IsWordCharacter(unit); }

}  // namespace

bool FinishSearch(xMorvaTextMatcher& matcher, const uint8_t* stream, uint32_t at, uint32_t size) {
  const uint32_t next = stream != nullptr ? PastRecords(stream, at, size) : size;
  if (next >= size) return matcher.Finish(0);
  // An element is no word's and stands alone; a pair's two units make the
  // character that follows.
  const char16_t after = UnitPastRecords(stream, next, size);
  const char16_t second = IsHighSurrogateUnit(after) ? UnitPastRecords(stream, next + 2, size) : 0;
  return matcher.Finish(after != 0 ? matcher.Follows(after) : 2, after, second);
}

bool xMorvaEngine::SearchText(int32_t from, int32_t to, const VString& text, const xMorvaProperties* properties,
                              const xMorvaPropertiesStates* states, bool wholeWord, bool caseSensitive) {
  if (from < 0) from = 0;
  if (from > fLength) from = fLength;
  if (to > fLength) to = fLength;
  std::u16string pattern;
  for (int32_t i = 1; i <= text.GetLength(); ++i) pattern.push_back(text.GetCharAt(i));
  const bool criteria = properties != nullptr && states != nullptr && HasPropertyCriteria(*states);
  // An empty text without property criteria asks for nothing, so it finds
  // nothing: matching every position would select, or replace, the whole
  // rest of the text. Every search of a text comes through here.
  if (pattern.empty() && !criteria) {
    SetSelection(from, from);
    return false;
  }

  // A search from inside a pair starts before it.
  if (from >= 1 && from < fLength) {
    SetSelection(from, from);
    from = fSelStart;
  }
  // The unit before `from`, a space at the start or before an element, and
  // the script of the word before it, which a combining mark takes. After
  // a pair, the caret before its low unit stands before the pair: its high
  // unit judges the character.
  char16_t previous = u' ';
  VWordScript previousWord = VWordScript::kEither;
  if (from >= 1) {
    SetSelection(from - 1, from - 1);
    previousWord = fWordScript;
    const uint8_t* stream = LockStream();
    const char16_t unit = stream != nullptr ? UnitPastRecords(stream, fSelStartOffset, fBytesInUse) : 0;
    // A unit that goes with the one before it is no word's where no word
    // is open before it (an emoji's selector).
    if (unit != 0 && !(JoinsUnitBefore(unit) && previousWord == VWordScript::kEither))
      previous = caseSensitive ? unit : FoldCaseUnit(unit);
    if (stream != nullptr) UnlockStream();
  }

  SetSelection(from, from);
  xMorvaProperties running;
  running.Assign(fCurrent);
  bool matches = true;
  bool changed = true;
  xMorvaTextMatcher matcher(pattern, wholeWord, caseSensitive, WordUnit, previous, from, previousWord);
  const uint8_t* stream = LockStream();
  uint32_t at = fSelStartOffset;
  while (stream != nullptr && at < fBytesInUse && matcher.Position() < to && !matcher.IsFound()) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    at += item.size;
    if (item.kind == StreamItem::kRecord) {
      if (criteria) {
        running.SetProperty(item.unit, int32_t(item.value));
        changed = true;
      }
      continue;
    }
    if (criteria && changed) {
      matches = running.EqualsMasked(*properties, *states);
      changed = false;
    }
    if (item.kind == StreamItem::kElement) {
      matcher.Element(item.unit, matches);
    } else {
      matcher.Character(item.unit, matches);
    }
  }
  if (!matcher.IsFound()) FinishSearch(matcher, stream, at, fBytesInUse);
  if (stream != nullptr) UnlockStream();
  if (!matcher.IsFound()) {
    SetSelection(from, from);
    return false;
  }
  SetSelection(matcher.MatchStart(), matcher.MatchEnd());
  return true;
}
