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

// Whether a code point may be a consonant a virama links to the one before
// it: the consonants of the scripts whose viramas do (Devanagari, Bengali,
// Gujarati, Oriya, Telugu, Malayalam) all stand from U+0900 to U+0DFF, and
// so the whole stretch is left to the iterator.
bool MayBeLinkedConsonant(char32_t c) { return c >= 0x0900 && c <= 0x0DFF; }

// What the rules between two code points need of each, in a byte: its
// break kind in the low five bits, whether it is an extended pictograph,
// and whether a virama may link it to the consonant before it.
constexpr uint8_t kKindBits = 0x1F;
constexpr uint8_t kPictographic = 0x20;
constexpr uint8_t kLinkable = 0x40;

// The traits as ICU tells them.
uint8_t TraitsByIcu(char32_t c) {
  uint8_t traits = uint8_t(u_getIntPropertyValue(UChar32(c), UCHAR_GRAPHEME_CLUSTER_BREAK)) & kKindBits;
  if (u_hasBinaryProperty(UChar32(c), UCHAR_EXTENDED_PICTOGRAPHIC)) traits |= kPictographic;
  if (MayBeLinkedConsonant(c)) traits |= kLinkable;
  return traits;
}

// The traits of the Basic Multilingual Plane in pages of 256 code points,
// each made from ICU when a text first holds one of its code points: a
// look-up costs more than the rules themselves, and a text asks about the
// same few code points (its marks, its joiners) over and over. A page is
// put in place whole, so a thread sees a page complete or none, and a page
// two threads make at once is kept once.
class TraitPages {
 public:
  ~TraitPages() {
    for (std::atomic<const uint8_t*>& page : fPages) delete[] page.load(std::memory_order_relaxed);
  }
  uint8_t Of(char16_t c) {
    const uint8_t* page = fPages[c >> 8].load(std::memory_order_acquire);
    return page != nullptr ? page[c & 0xFF] : Made(c >> 8)[c & 0xFF];
  }

 private:
  __attribute__((noinline)) const uint8_t* Made(uint32_t index) {
    auto* page = new uint8_t[256];
    for (uint32_t i = 0; i < 256; ++i) page[i] = TraitsByIcu(char32_t(index << 8 | i));
    const uint8_t* none = nullptr;
    if (fPages[index].compare_exchange_strong(none, page, std::memory_order_acq_rel)) return page;
    delete[] page;
    return none;
  }
  std::atomic<const uint8_t*> fPages[256] = {};
};

TraitPages sTraitPages;

// The traits of a code point beyond the plane. The answers for the code
// points met last are kept: a text holds few of them over and over (its
// emoji). A slot holds the code point plus 1 (0: empty) in its low bits
// and the traits above them, read and written whole, so threads that share
// the slots see one code point's answer or another's, never a mix.
uint8_t WideTraits(char32_t c) {
  static std::atomic<uint64_t> sSeen[64];
  std::atomic<uint64_t>& slot = sSeen[c & 63];
  uint64_t seen = slot.load(std::memory_order_relaxed);
  if ((seen & 0x3FFFFF) != c + 1) {
    seen = (c + 1) | uint64_t(TraitsByIcu(c)) << 32;
    slot.store(seen, std::memory_order_relaxed);
  }
  return uint8_t(seen >> 32);
}

inline uint8_t Traits(char32_t c) { return c <= 0xFFFF ? sTraitPages.Of(char16_t(c)) : WideTraits(c); }

// What the kinds of two code points alone tell of the place between them:
// an edge, inside a cluster, or left to the text around: always (two
// regional indicators), when the code point after may be a linked
// consonant (after a mark), or when it is a pictograph or may be a linked
// consonant (after a joiner).
enum KindEdge : uint8_t { kKindEdge, kKindInside, kKindAsk, kKindAskLinked, kKindAskEither };

constexpr KindEdge EdgeByKinds(int32_t kindBefore, int32_t kindAfter) {
  const auto isControl = [](int32_t kind) {
    return kind == U_GCB_CONTROL || kind == U_GCB_CR || kind == U_GCB_LF;
  };
  // The rules between two code points that look no further, in their
  // order: CR LF; a control on either side; a Hangul syllable's jamo; a
  // mark, joiner or spacing mark after, a prepended character before.
  if (kindBefore == U_GCB_CR && kindAfter == U_GCB_LF) return kKindInside;
  if (isControl(kindBefore) || isControl(kindAfter)) return kKindEdge;
  const bool syllable =
      (kindBefore == U_GCB_L &&
       (kindAfter == U_GCB_L || kindAfter == U_GCB_V || kindAfter == U_GCB_LV || kindAfter == U_GCB_LVT)) ||
      ((kindBefore == U_GCB_LV || kindBefore == U_GCB_V) && (kindAfter == U_GCB_V || kindAfter == U_GCB_T)) ||
      ((kindBefore == U_GCB_LVT || kindBefore == U_GCB_T) && kindAfter == U_GCB_T);
  if (syllable || kindAfter == U_GCB_EXTEND || kindAfter == U_GCB_ZWJ || kindAfter == U_GCB_SPACING_MARK ||
      kindBefore == U_GCB_PREPEND)
    return kKindInside;
  // The rules that look further back: a pictograph joined by a ZWJ to the
  // one before it, the pairing of regional indicators, and a consonant
  // linked by a virama (with marks or a joiner after it) to the one before.
  if (kindBefore == U_GCB_REGIONAL_INDICATOR && kindAfter == U_GCB_REGIONAL_INDICATOR) return kKindAsk;
  if (kindBefore == U_GCB_ZWJ) return kKindAskEither;
  if (kindBefore == U_GCB_EXTEND) return kKindAskLinked;
  return kKindEdge;
}

// The answers by kinds, made once when the module loads.
struct KindEdges {
  constexpr KindEdges() {
    for (int32_t before = 0; before <= kKindBits; ++before) {
      for (int32_t after = 0; after <= kKindBits; ++after) edges[before][after] = EdgeByKinds(before, after);
    }
  }
  KindEdge edges[kKindBits + 1][kKindBits + 1] = {};
};
constexpr KindEdges kKindEdges;

// The rules between two code points by their traits, neither a unit of a
// pair.
inline VClusterEdge EdgeByTraits(uint8_t before, uint8_t after) {
  switch (kKindEdges.edges[before & kKindBits][after & kKindBits]) {
    case kKindEdge: return VClusterEdge::kEdge;
    case kKindInside: return VClusterEdge::kInside;
    case kKindAsk: return VClusterEdge::kAsk;
    case kKindAskLinked: return (after & kLinkable) != 0 ? VClusterEdge::kAsk : VClusterEdge::kEdge;
    case kKindAskEither: return (after & (kPictographic | kLinkable)) != 0 ? VClusterEdge::kAsk : VClusterEdge::kEdge;
  }
  return VClusterEdge::kAsk;
}
}  // namespace

bool IsStrayCharacter(char32_t c) {
  if (c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D) return false;
  const int8_t type = u_charType(UChar32(c));
  return type == U_UNASSIGNED || type == U_PRIVATE_USE_CHAR || type == U_SURROGATE || type == U_CONTROL_CHAR ||
         u_hasBinaryProperty(UChar32(c), UCHAR_NONCHARACTER_CODE_POINT);
}

VClusterEdge ClusterEdgeByProperties(char32_t before, char32_t after) {
  // Two code points before the surrogates, as most are, are read from the
  // pages at once.
  if (before < 0xD800 && after < 0xD800)
    return EdgeByTraits(sTraitPages.Of(char16_t(before)), sTraitPages.Of(char16_t(after)));
  if ((before >= 0xD800 && before <= 0xDFFF) || (after >= 0xD800 && after <= 0xDFFF) || before > 0x10FFFF ||
      after > 0x10FFFF)
    return VClusterEdge::kAsk;
  return EdgeByTraits(Traits(before), Traits(after));
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
