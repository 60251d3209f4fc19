// What the rulers and the tab selector share of their look: the colours
// of their edges, the look elements of their bands, where the bands stand
// across them, and the reach of a press or of the cursor at an edge.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace xMorvaRulerLook {

constexpr int32_t kColourOuterEdge = 20;
constexpr int32_t kColourInnerEdge = 10;
constexpr int32_t kColourInnerLight = 21;
constexpr int32_t kLookBackground = 0;
constexpr int32_t kLookPage = 18;
constexpr int32_t kLookText = 4;
// The bands run from 3 pixels in, 17 pixels across.
constexpr int32_t kBandStart = 3;
constexpr int32_t kBandWidth = 17;
// Pages stand one under the other with this gap, and one gap above the
// first; continuous text starts one gap right of the view's edge.
constexpr int32_t kPageGap = 4;
// How near an edge a press or the cursor must be, exclusive.
constexpr int32_t kEdgeReach = 4;

inline bool NearEdge(int32_t at, int64_t edge) {
  return std::llabs(int64_t(at) - edge) < kEdgeReach;
}

}  // namespace xMorvaRulerLook
