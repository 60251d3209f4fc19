// Texts whose characters are more than one unit (emoji with skin tones,
// flags, joined families and selectors, keycaps, Devanagari and Thai with
// their marks, Hangul of jamo, Persian with ZWNJ, Latin with combining
// marks), and ICU's own cluster edges of a text, which the tests of every
// road that sets a caret or a selection compare with.
#pragma once

#include <unicode/ubrk.h>

#include <algorithm>
#include <string>
#include <vector>

namespace clustertest {

inline const std::u16string kTexts[] = {
    u"\U0001F600Tokyo \U0001F1EF\U0001F1F5Osaka \U0001F44D\U0001F3FDKyoto "
    u"\U0001F468\u200D\U0001F469\u200D\U0001F467Nara \u2764\uFE0FKobe",
    u"1\uFE0F\u20E3 2\uFE0F\u20E3#\uFE0F\u20E3 call",
    u"\u0928\u092E\u0938\u094D\u0924\u0947 \u0926\u0941\u0928\u093F\u092F\u093E",
    u"\u0E17\u0E35\u0E48\u0E19\u0E35\u0E48\u0E2A\u0E27\u0E22 \u0E19\u0E49\u0E33",
    u"\u1100\u1161\u11A8\u1112\u1161\u11AB \uD55C\uAD6D",
    u"\u0645\u06CC\u200C\u062E\u0648\u0627\u0647\u0645 \u0628\u0631\u0648\u0645",
    u"Cafe\u0301 nai\u0308ve a\u0323\u0302!",
};

// The places ICU's character break iterator gives a text, 0 and its length
// among them.
inline std::vector<int32_t> ClusterEdges(const std::u16string& text) {
  UErrorCode status = U_ZERO_ERROR;
  UBreakIterator* iterator =
      ubrk_open(UBRK_CHARACTER, "", reinterpret_cast<const UChar*>(text.data()), int32_t(text.size()), &status);
  std::vector<int32_t> edges;
  for (int32_t at = ubrk_first(iterator); at != UBRK_DONE; at = ubrk_next(iterator)) edges.push_back(at);
  ubrk_close(iterator);
  return edges;
}

// The text's clusters, one string each.
inline std::vector<std::u16string> ClustersOf(const std::u16string& text) {
  const std::vector<int32_t> edges = ClusterEdges(text);
  std::vector<std::u16string> clusters;
  for (size_t i = 1; i < edges.size(); ++i)
    clusters.push_back(text.substr(size_t(edges[i - 1]), size_t(edges[i] - edges[i - 1])));
  return clusters;
}

inline bool IsEdge(const std::u16string& text, int32_t at) {
  const std::vector<int32_t> edges = ClusterEdges(text);
  return std::find(edges.begin(), edges.end(), at) != edges.end();
}

}  // namespace clustertest
