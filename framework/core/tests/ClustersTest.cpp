// The code points told apart at a glance are those the tables would tell
// apart: none is a mark, a joiner, a prepended character or a jamo, so any
// two of them stand on either side of an edge (but CR LF).
#include <gtest/gtest.h>

#include <unicode/uchar.h>

#include "framework/core/intl/Clusters.h"

namespace {

TEST(Clusters, WhatStandsAloneAtAGlanceStandsAloneByTheTables) {
  int32_t glanced = 0;
  for (char32_t c = 0; c < 0x10000; ++c) {
    if (!StandsAloneAtAGlance(c)) continue;
    ++glanced;
    const int32_t kind = u_getIntPropertyValue(UChar32(c), UCHAR_GRAPHEME_CLUSTER_BREAK);
    EXPECT_TRUE(kind == U_GCB_OTHER || kind == U_GCB_CONTROL || kind == U_GCB_CR || kind == U_GCB_LF ||
                kind == U_GCB_LV || kind == U_GCB_LVT)
        << std::hex << uint32_t(c);
    EXPECT_TRUE(IsPlainClusterBoundary(c, U'a') && IsPlainClusterBoundary(0x4E00, c)) << std::hex << uint32_t(c);
  }
  EXPECT_GT(glanced, 39000);
  EXPECT_FALSE(IsPlainClusterBoundary(0x0D, 0x0A));
  EXPECT_FALSE(IsPlainClusterBoundary(U'e', 0x0301));
  EXPECT_FALSE(IsPlainClusterBoundary(0xAC00, 0x11A8));
}

}  // namespace
