// Lengths of the document model: pixels, twips and points at the screen
// resolution, truncated toward zero and held to 32 bits.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "document/DocumentUnits.h"
#include "document/tests/DocumentTestSupport.h"

TEST(DocumentUnits, ConversionsTruncateTowardZero) {
  ScopedResolution dpi(96);
  EXPECT_EQ(PixelsToTwips(1), 15);
  EXPECT_EQ(PixelsToTwips(-1), -15);
  EXPECT_EQ(TwipsToPixels(29), 1);
  EXPECT_EQ(TwipsToPixels(-29), -1);
  EXPECT_EQ(PointsToPixels(72), 96);
  EXPECT_EQ(PointsToPixels(-1), -1);  // -1.33
  EXPECT_EQ(CentimetresToPixels(2.54), 96);
  EXPECT_EQ(CentimetresToPixels(1.0), 37);
  ScopedResolution other(300);
  EXPECT_EQ(PixelsToTwips(7), 33);  // 33.6
  EXPECT_EQ(TwipsToPixels(1440), 300);
}

TEST(DocumentUnits, ResolutionBelowOneCountsAs96) {
  ScopedResolution none(0);
  EXPECT_EQ(GetScreenResolution(), 96);
  EXPECT_EQ(TwipsToPixels(1440), 96);
  ScopedResolution negative(-5);
  EXPECT_EQ(PixelsToTwips(96), 1440);
}

TEST(DocumentUnits, HugeLengthsAreHeldTo32Bits) {
  ScopedResolution dpi(96);
  EXPECT_EQ(PixelsToTwips(std::numeric_limits<int32_t>::max()), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(PixelsToTwips(std::numeric_limits<int32_t>::min()), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TruncateToLong(1e300), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(TruncateToLong(-1e300), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TruncateToLong(std::nan("")), 0);
  EXPECT_EQ(TruncateToLong(-2.9), -2);
}
