// Clusters: ICU's character properties and its character break iterator.
#include "framework/core/intl/Clusters.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>

namespace {
// One character break iterator a thread, made on first use and given each
// text in turn: opening one reads its rules, which costs far more than a
// walk over a few units.
class ClusterIterator {
 public:
  ~ClusterIterator() {
    if (fIterator != nullptr) ubrk_close(fIterator);
  }
  // The iterator over the units; null when ICU cannot make one.
  UBreakIterator* Over(const char16_t* units, int32_t count) {
    UErrorCode status = U_ZERO_ERROR;
    if (fIterator == nullptr) {
      fIterator = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
      if (U_FAILURE(status)) {
        fIterator = nullptr;
        return nullptr;
      }
    }
    ubrk_setText(fIterator, reinterpret_cast<const UChar*>(units), count, &status);
    return U_SUCCESS(status) ? fIterator : nullptr;
  }

 private:
  UBreakIterator* fIterator = nullptr;
};

thread_local ClusterIterator tIterator;

bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

int32_t BreakKind(char32_t c) { return u_getIntPropertyValue(UChar32(c), UCHAR_GRAPHEME_CLUSTER_BREAK); }

// The code point that ends at `at`, and the one that starts there.
char32_t CodePointBefore(const char16_t* units, int32_t at) {
  const char16_t last = units[at - 1];
  if (IsLow(last) && at >= 2 && IsHigh(units[at - 2]))
    return 0x10000 + ((char32_t(units[at - 2]) - 0xD800) << 10) + (last - 0xDC00);
  return last;
}
char32_t CodePointAt(const char16_t* units, int32_t count, int32_t at) {
  const char16_t first = units[at];
  if (IsHigh(first) && at + 1 < count && IsLow(units[at + 1]))
    return 0x10000 + ((char32_t(first) - 0xD800) << 10) + (units[at + 1] - 0xDC00);
  return first;
}
}  // namespace

bool IsStrayCharacter(char32_t c) {
  if (c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D) return false;
  const int8_t type = u_charType(UChar32(c));
  return type == U_UNASSIGNED || type == U_PRIVATE_USE_CHAR || type == U_SURROGATE || type == U_CONTROL_CHAR ||
         u_hasBinaryProperty(UChar32(c), UCHAR_NONCHARACTER_CODE_POINT);
}

bool IsPlainClusterBoundaryBeyondLatin(char32_t before, char32_t after) {
  if ((before >= 0xD800 && before <= 0xDFFF) || (after >= 0xD800 && after <= 0xDFFF)) return false;
  // Kana and ideographs side by side, the bulk of a Chinese or Japanese
  // text, which line breaking asks about at every unit: none is a mark, a
  // joiner, a jamo or a prepended character.
  const auto kanaOrIdeograph = [](char32_t c) {
    return (c >= 0x3041 && c <= 0x3096) || (c >= 0x30A1 && c <= 0x30FA) || (c >= 0x3400 && c <= 0x9FFF);
  };
  if (kanaOrIdeograph(before) && kanaOrIdeograph(after)) return true;
  const int32_t kindBefore = BreakKind(before);
  const int32_t kindAfter = BreakKind(after);
  const auto isControl = [](int32_t kind) {
    return kind == U_GCB_CONTROL || kind == U_GCB_CR || kind == U_GCB_LF;
  };
  if (isControl(kindBefore) || isControl(kindAfter)) return !(kindBefore == U_GCB_CR && kindAfter == U_GCB_LF);
  // A prepended character, a Hangul leading jamo, a joiner, a regional
  // indicator or a mark before (a mark may link consonants), and a mark,
  // joiner, jamo vowel or trail or a regional indicator after, ask the
  // rules.
  const bool plainBefore = kindBefore == U_GCB_OTHER || kindBefore == U_GCB_SPACING_MARK || kindBefore == U_GCB_T ||
                           kindBefore == U_GCB_V || kindBefore == U_GCB_LV || kindBefore == U_GCB_LVT;
  const bool plainAfter = kindAfter == U_GCB_OTHER || kindAfter == U_GCB_PREPEND || kindAfter == U_GCB_L ||
                          kindAfter == U_GCB_LV || kindAfter == U_GCB_LVT;
  return plainBefore && plainAfter;
}

bool IsClusterBoundary(const char16_t* units, int32_t count, int32_t at) {
  if (at <= 0 || at >= count) return true;
  if (IsLow(units[at]) && IsHigh(units[at - 1])) return false;
  if (IsPlainClusterBoundary(CodePointBefore(units, at), CodePointAt(units, count, at))) return true;
  UBreakIterator* const iterator = tIterator.Over(units, count);
  return iterator == nullptr || ubrk_isBoundary(iterator, at) != 0;
}

int32_t ClusterBoundaryBefore(const char16_t* units, int32_t count, int32_t at) {
  if (at <= 0) return 0;
  if (at > count) return count;
  UBreakIterator* const iterator = tIterator.Over(units, count);
  if (iterator == nullptr) return at - 1;
  // ICU reads a place inside a pair as the pair's start, and answers the
  // boundary before that: the boundaries after it that still lie before
  // the place are taken up.
  int32_t boundary = ubrk_preceding(iterator, at);
  if (boundary == UBRK_DONE) return 0;
  for (int32_t next = ubrk_following(iterator, boundary); next != UBRK_DONE && next < at;
       next = ubrk_following(iterator, next))
    boundary = next;
  return boundary;
}

int32_t ClusterBoundaryAfter(const char16_t* units, int32_t count, int32_t at) {
  if (at >= count) return count;
  if (at < 0) return 0;
  UBreakIterator* const iterator = tIterator.Over(units, count);
  const int32_t boundary = iterator == nullptr ? UBRK_DONE : ubrk_following(iterator, at);
  return boundary == UBRK_DONE ? at + 1 : boundary;
}
