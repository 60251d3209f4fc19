// Clusters: ICU's character properties and its character break iterator.
#include "framework/core/intl/Clusters.h"

#include <atomic>

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/uclean.h>

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

// ICU keeps what it loads on first use (the emoji properties, the break
// rules) until u_cleanup. The module is ICU's only user in the host's
// process and ICU is unloaded with it, so that data would stay behind,
// unreachable, at every unload: it is given back when the module's statics
// go. A thread's iterator keeps the module loaded until the thread ends,
// and the ending thread closes it first.
struct IcuRelease {
  ~IcuRelease() { u_cleanup(); }
} sIcuRelease;

bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The break kind of a code point. Below U+0300 the kinds are CR, LF, the
// controls (C0, DEL, C1 and the soft hyphen) and Other, told without a
// look-up. From U+0300 on ICU answers, and the answers for the code points
// met last are kept: a text holds few of them over and over (its emoji, its
// marks), and a look-up costs more than the rest of a rule. A slot holds
// the code point plus 1 (0: empty) in its low bits and the kind above
// them, read and written whole, so threads that share the slots see one
// code point's answer or another's, never a mix.
int32_t BreakKind(char32_t c) {
  if (c < 0x0300) {
    if (c == 0x0D) return U_GCB_CR;
    if (c == 0x0A) return U_GCB_LF;
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD ? U_GCB_CONTROL : U_GCB_OTHER;
  }
  static std::atomic<uint64_t> sSeen[64];
  std::atomic<uint64_t>& slot = sSeen[c & 63];
  uint64_t seen = slot.load(std::memory_order_relaxed);
  if ((seen & 0x1FFFFF) != c + 1) {
    const uint64_t kind = uint64_t(u_getIntPropertyValue(UChar32(c), UCHAR_GRAPHEME_CLUSTER_BREAK)) & 0xFF;
    seen = (c + 1) | kind << 32;
    slot.store(seen, std::memory_order_relaxed);
  }
  return int32_t((seen >> 32) & 0xFF);
}

// Whether a code point may be a consonant a virama links to the one before
// it: the consonants of the scripts whose viramas do (Devanagari, Bengali,
// Gujarati, Oriya, Telugu, Malayalam) all stand from U+0900 to U+0DFF, and
// so the whole stretch is left to the iterator.
bool MayBeLinkedConsonant(char32_t c) { return c >= 0x0900 && c <= 0x0DFF; }

// The rules between `before` and `after`, neither a unit of a pair.
VClusterEdge EdgeByRules(char32_t before, char32_t after) {
  const int32_t kindBefore = BreakKind(before);
  const int32_t kindAfter = BreakKind(after);
  const auto isControl = [](int32_t kind) {
    return kind == U_GCB_CONTROL || kind == U_GCB_CR || kind == U_GCB_LF;
  };
  // The rules between two code points that look no further, in their
  // order: CR LF; a control on either side; a Hangul syllable's jamo; a
  // mark, joiner or spacing mark after, a prepended character before.
  if (kindBefore == U_GCB_CR && kindAfter == U_GCB_LF) return VClusterEdge::kInside;
  if (isControl(kindBefore) || isControl(kindAfter)) return VClusterEdge::kEdge;
  const bool syllable =
      (kindBefore == U_GCB_L &&
       (kindAfter == U_GCB_L || kindAfter == U_GCB_V || kindAfter == U_GCB_LV || kindAfter == U_GCB_LVT)) ||
      ((kindBefore == U_GCB_LV || kindBefore == U_GCB_V) && (kindAfter == U_GCB_V || kindAfter == U_GCB_T)) ||
      ((kindBefore == U_GCB_LVT || kindBefore == U_GCB_T) && kindAfter == U_GCB_T);
  if (syllable || kindAfter == U_GCB_EXTEND || kindAfter == U_GCB_ZWJ || kindAfter == U_GCB_SPACING_MARK ||
      kindBefore == U_GCB_PREPEND)
    return VClusterEdge::kInside;
  // The rules that look further back: a pictograph joined by a ZWJ to the
  // one before it, the pairing of regional indicators, and a consonant
  // linked by a virama (with marks or a joiner after it) to the one before.
  if (kindBefore == U_GCB_ZWJ && u_hasBinaryProperty(UChar32(after), UCHAR_EXTENDED_PICTOGRAPHIC))
    return VClusterEdge::kAsk;
  if (kindBefore == U_GCB_REGIONAL_INDICATOR && kindAfter == U_GCB_REGIONAL_INDICATOR) return VClusterEdge::kAsk;
  if ((kindBefore == U_GCB_EXTEND || kindBefore == U_GCB_ZWJ) && MayBeLinkedConsonant(after)) return VClusterEdge::kAsk;
  return VClusterEdge::kEdge;
}
}  // namespace

bool IsStrayCharacter(char32_t c) {
  if (c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D) return false;
  const int8_t type = u_charType(UChar32(c));
  return type == U_UNASSIGNED || type == U_PRIVATE_USE_CHAR || type == U_SURROGATE || type == U_CONTROL_CHAR ||
         u_hasBinaryProperty(UChar32(c), UCHAR_NONCHARACTER_CODE_POINT);
}

// The answers for the pairs met last are kept as the kinds are: a
// text's emoji and marks meet the same neighbours over and over. A slot
// holds the pair (21 bits each, the first plus 1 so that 0 is empty) and
// the answer, read and written whole.
VClusterEdge ClusterEdgeByProperties(char32_t before, char32_t after) {
  if ((before >= 0xD800 && before <= 0xDFFF) || (after >= 0xD800 && after <= 0xDFFF) || before > 0x10FFFF ||
      after > 0x10FFFF)
    return VClusterEdge::kAsk;
  static std::atomic<uint64_t> sPairs[64];
  const uint64_t pair = uint64_t(before + 1) | uint64_t(after) << 21;
  std::atomic<uint64_t>& slot = sPairs[(before ^ (after << 3)) & 63];
  const uint64_t seen = slot.load(std::memory_order_relaxed);
  if ((seen & 0x3FFFFFFFFFF) == pair) return VClusterEdge(seen >> 42);
  const VClusterEdge edge = EdgeByRules(before, after);
  slot.store(pair | uint64_t(edge) << 42, std::memory_order_relaxed);
  return edge;
}

bool IsClusterBoundary(const char16_t* units, int32_t count, int32_t at) {
  if (at <= 0 || at >= count) return true;
  if (IsLow(units[at]) && IsHigh(units[at - 1])) return false;
  const VClusterEdge edge = ClusterEdgeBetween(CodePointBefore(units, at), CodePointAt(units, count, at));
  if (edge != VClusterEdge::kAsk) return edge == VClusterEdge::kEdge;
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
