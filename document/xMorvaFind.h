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
// 32, units from kFoldedByTable up through the international manager's case
// table (unchanged without one).
char16_t FoldCaseUnit(char16_t unit);
// The first unit that FoldCaseUnit folds through the case tables; below it
// a unit folds as FoldAsciiUnit says.
constexpr char16_t kFoldedByTable = 123;
inline char16_t FoldAsciiUnit(char16_t unit) { return unit >= u'a' && unit <= u'z' ? char16_t(unit - 32) : unit; }

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
// Edges are judged only at a complete match's two ends; a unit that
// neither meets an open candidate nor starts one is only noted, inline.
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
  bool Character(char16_t unit, bool propertiesMatch) {
    // Most units of a text: nothing open, and a unit below those that fold
    // through the case tables that is not the pattern's first. It is kept
    // for the edges a later match may ask about, and is the unit before
    // the next.
    if (fIdle && unit < kFoldedByTable) {
      const char16_t folded = fCaseSensitive ? unit : FoldAsciiUnit(unit);
      if (folded != fFront || !propertiesMatch) {
        fRing[fPosition++ & (kRingSize - 1)] = unit;
        fPrevious = fBase = folded;
        return false;
      }
    }
    return FeedCharacter(unit, propertiesMatch);
  }
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
  };
  // A character unit that the inline road does not take.
  bool FeedCharacter(char16_t unit, bool propertiesMatch);
  // A pattern unit against an item: the folded unit, or the tab element;
  // `open`: a candidate or a waiting match was open before the item.
  void Advance(char16_t unit, bool canStart, bool open);
  // After an item: whether anything is open, and a stretch of open
  // candidates that the ring would no longer hold keeps its units in fUnits.
  void Settle();
  // fUnits from an edge before `position` (at most kWalkBack units back,
  // as far as the units beside a place tell, or the flag's start counted
  // in a run of regional indicators) to `position`, out of the ring.
  void StartUnits(int32_t position);
  // Counts the regional indicator whose high unit is at `start` in its run.
  void NoteIndicator(int32_t start);
  // fUnits out of the ring: from the edge before the stretch's first
  // candidate up to the last position fed.
  void StretchFromRing();
  // fUnits for the break rules, out of the ring: from the edge before the
  // stretch's first candidate up to the last position fed, and what Finish
  // was told follows.
  void TakeUnitsFromRing();
  // Keeps the raw unit at `position` (0 for an element), while the
  // stretch's units are kept in fUnits.
  void KeepUnit(char16_t unit, int32_t position);
  char16_t RingUnit(int32_t position) const { return fRing[position & (kRingSize - 1)]; }
  // The unit before the position; 0, which stands alone, before the first.
  char16_t UnitBefore(int32_t position) const { return position > fFirst ? RingUnit(position - 1) : 0; }
  // What the units on either side tell of the place before the match's
  // start at `position`.
  VClusterEdge StartEdge(int32_t position) const;
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
  // Nothing is found, open or waiting, and the pattern is not empty: a
  // unit that is not the pattern's first changes nothing but the units kept.
  bool fIdle;
  // The pattern's first unit, folded.
  char16_t fFront = 0;
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
  bool fWaitForLow = false;
  // The raw units of the last kRingSize positions fed. A stretch of
  // candidates open one after another starts at fOpenSince; where the units beside
  // a match's end do not tell, the break rules read the stretch's units
  // from an edge before it. A stretch that outgrows the ring keeps them in fUnits
  // as it goes (fKeeping), only what can still be asked about.
  static constexpr int32_t kRingSize = 256;
  static constexpr int32_t kWalkBack = 63;
  char16_t fRing[kRingSize];
  int32_t fFirst;
  int32_t fOpenSince = 0;
  // A run of regional indicators pairs into flags from its start, however
  // far back that lies: the indicators fed in the run that ends at
  // fIndicatorsEnd, and the start of the last flag counted in one with a
  // flag before it, an edge whatever the units around it are. fOpenEdge is
  // that edge as it stood when the stretch at fOpenSince opened.
  int32_t fIndicators = 0;
  int32_t fIndicatorsEnd = -1;
  int32_t fIndicatorEdge = -1;
  int32_t fOpenEdge = -1;
  bool fKeeping = false;
  std::u16string fUnits;
  int32_t fUnitsStart;
  // The units after the walk that Finish was told.
  char16_t fTail[2] = {};
  int32_t fTailCount = 0;
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
