// Find and replace: the parameters of a search, the matcher that a text
// walk feeds item by item (case folding, whole words, soft hyphens, tab
// elements, property criteria), and the search over a stored document held
// in a block of memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"
#include "framework/core/VObject.h"
#include "framework/core/intl/Clusters.h"
#include "framework/core/intl/WordScripts.h"
#include "framework/core/strings/VUniString.h"

// What to find and what to put in its place. The editing area owns one and
// its dialogs and the host-language commands fill it.
class xMorvaFindReplaceParameters : public VObject {
 public:
  xMorvaFindReplaceParameters() = default;
  xMorvaFindReplaceParameters(const xMorvaFindReplaceParameters&) = delete;
  xMorvaFindReplaceParameters& operator=(const xMorvaFindReplaceParameters&) = delete;

  VStrInHandle findText;
  xMorvaProperties findProperties;
  // The properties that must match; all 0: no property criteria.
  xMorvaPropertiesStates findStates;
  VStrInHandle replaceText;
  xMorvaProperties replaceProperties;
  // The properties set on each replacement.
  xMorvaPropertiesStates replaceStates;
  uint8_t wholeWord = 0;
  uint8_t caseSensitive = 0;
  // FindNext goes on from the start of the text when it reaches the end.
  uint8_t wrap = 1;
};

// The unit as a case-insensitive search compares it: a to z by subtracting
// 32, units from 123 up through the international manager's case table
// (unchanged without one).
char16_t FoldCaseUnit(char16_t unit);

// True when a state among ids 0 to 45 is 1: the search has property criteria.
bool HasPropertyCriteria(const xMorvaPropertiesStates& states);

// Whether a unit belongs to words; the text engine keeps the table. Two
// word characters of different scripts (a Latin letter and a CJK
// ideograph) still belong to different words (framework/core/intl/WordScripts.h):
// a whole word is asked about them only where a match can start or end.
using xMorvaWordTest = bool (*)(char16_t unit);

// The matching of a pattern against the positions of a text, one item at a
// time. Every candidate start is followed on its own, so after a mismatch
// the characters already seen can still begin a match ("abc" is found in
// "ababc"), and the match span is exact even when soft hyphens lie inside
// it. A match counts only when both its ends are edges of what a user sees
// as one character (framework/core/intl/Clusters.h): "e" is not found in
// an e with a combining accent, nor one regional indicator in a flag, so
// no selection or replacement of a match splits one. The position the
// first item takes is such an edge. An empty pattern matches the longest
// run of positions whose properties match (a properties-only search).
class xMorvaTextMatcher {
 public:
  // `previous` is the unit before the first position fed (a space at the
  // start of the text); `first` the position of the first item fed;
  // `previousWord` the script of the word that `previous` ends, where
  // `previous` goes with the unit before it (a combining mark).
  xMorvaTextMatcher(const std::u16string& pattern, bool wholeWord, bool caseSensitive, xMorvaWordTest isWord,
                    char16_t previous, int32_t first, VWordScript previousWord = VWordScript::kEither);

  // One character unit at the next position; `propertiesMatch` says
  // whether the properties in effect there meet the criteria. True once a
  // match is complete.
  bool Character(char16_t unit, bool propertiesMatch);
  // One special element (code 16000 or more) at the next position.
  bool Element(uint16_t code, bool propertiesMatch);
  // The walk ended (at its limit or the end of the text). `next` is what
  // follows: 0 nothing (the end of the text), 1 a word character, 2
  // anything else; `after` the units that follow (0 for an element), two
  // when the first is a pair's high unit. True when a match is complete.
  bool Finish(int next, char16_t after = 0, char16_t second = 0);
  // What a unit that follows the walk is to Finish: 1 when it carries on
  // the word of the last unit fed, else 2.
  int Follows(char16_t unit) const {
    return fIsWord(unit) && !WordScriptsPart(fEndScript, WordScriptOf(unit)) ? 1 : 2;
  }

  bool IsFound() const { return fFound; }
  // The match, as positions [start, end).
  int32_t MatchStart() const { return fMatchStart; }
  int32_t MatchEnd() const { return fMatchEnd; }
  // The position the next item fed would take.
  int32_t Position() const { return fPosition; }

 private:
  struct Candidate {
    int32_t start;
    int32_t matched;
    // What the units on either side of the start told of it; where they
    // do not tell, the break rules over the units kept are asked.
    VClusterEdge startEdge;
  };
  // A pattern unit against an item: the folded unit, or the tab element;
  // `startEdge`: what the units on either side told of the place before
  // the item; `unitKept`: the item's unit is kept already.
  bool Advance(char16_t unit, bool canStart, VClusterEdge startEdge, bool unitKept);
  // Starts keeping the units for the break rules, for a candidate that
  // starts at `position`: from an edge before it, out of the ring.
  void StartUnits(int32_t position);
  // Keeps the raw unit at `position` (0 for an element).
  void KeepUnit(char16_t unit, int32_t position);
  char16_t RingUnit(int32_t position) const { return fRing[position & (kRingSize - 1)]; }
  // The unit before the position; 0, which stands alone, before the first.
  char16_t UnitBefore(int32_t position) const { return position > fFirst ? RingUnit(position - 1) : 0; }
  // Whether a cluster starts (or the text ends) at the position, which the
  // units kept cover, the units beside it having told `told`.
  bool IsEdge(int32_t position, VClusterEdge told) const;
  // Decides the match that waits for what follows its end, its word
  // ending there, once its end's edge can be told (`endEdge`: what the
  // units on either side told of it). True when it counts.
  bool DecideWaiting(VClusterEdge endEdge);
  // Whether a whole word can start at the unit just fed, the pattern's
  // first: after no word character, or after a word of another script.
  bool StartsWord() const;
  // Takes the unit fed as the one before the next.
  void NoteUnit(char16_t unit) {
    if (JoinsUnitBefore(unit))
      NoteJoiningUnit(unit);
    else
      fPrevious = fBase = unit;
  }
  void NoteJoiningUnit(char16_t unit);
  void Complete(int32_t start, int32_t end);
  void KillAll() { fCandidates.clear(); }

  std::u16string fPattern;
  bool fWholeWord;
  bool fCaseSensitive;
  xMorvaWordTest fIsWord;
  char16_t fPrevious;
  // The last unit fed that does not go with the unit before it: the word
  // before the next position has its script.
  char16_t fBase;
  VWordScript fPreviousWord;
  // The scripts of the pattern's first word character and of its last
  // word (kEither where it starts or ends with no word character): what a
  // match starts and ends its words with.
  VWordScript fStartScript = VWordScript::kEither;
  VWordScript fEndScript = VWordScript::kEither;
  int32_t fPosition;
  std::vector<Candidate> fCandidates;
  // A match that waits for the next item to tell whether its end is an
  // edge and, for a whole word, whether its word ends there. After a
  // pair's high unit the low one is waited for too, the word's end being
  // told already.
  bool fWaiting = false;
  int32_t fWaitStart = 0;
  int32_t fWaitEnd = 0;
  VClusterEdge fWaitStartEdge = VClusterEdge::kEdge;
  bool fWaitForLow = false;
  // The raw units of the last kRingSize positions fed, and while a
  // candidate or a waiting match may ask, those from fUnitsStart (an edge)
  // to the last position fed: the break rules read them where the units
  // beside a place do not tell. Only what can still be asked about is kept.
  static constexpr int32_t kRingSize = 64;
  char16_t fRing[kRingSize] = {};
  int32_t fFirst;
  std::u16string fUnits;
  int32_t fUnitsStart;
  // The properties-only run.
  int32_t fRunStart = -1;
  bool fFound = false;
  int32_t fMatchStart = 0;
  int32_t fMatchEnd = 0;
};

// The answers of SearchStoredText besides a position.
constexpr int32_t kStoredTextNotFound = -1;
constexpr int32_t kStoredTextNotAStream = -2;
// The marker that opens a stored document, after a zero unit; read in the
// other byte order, every value of the block is swapped.
constexpr uint16_t kStoredStreamMarker = 0x8F8E;

// Searches a stored document (the zero unit, the marker, the header and
// store as one element, then the body's element stream) for the text: the
// position of the match counted with the leading header element as one
// position, -1 when there is none, -2 when the block is not a stored
// document. Nothing beyond `size` bytes is read; an element cut short ends
// the walk.
int32_t SearchStoredText(const uint8_t* block, uint32_t size, const std::u16string& text, bool wholeWord,
                         bool caseSensitive, xMorvaWordTest isWord);
