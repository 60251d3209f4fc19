// Lengths of the document model: pixels, twips and points at the screen
// resolution, rounded to the nearest and held to 32 bits.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "document/DocumentUnits.h"
#include "document/tests/DocumentTestSupport.h"

TEST(DocumentUnits, ConversionsRoundToTheNearest) {
  ScopedResolution dpi(96);
  EXPECT_EQ(PixelsToTwips(1), 15);
  EXPECT_EQ(PixelsToTwips(-1), -15);
  EXPECT_EQ(TwipsToPixels(29), 2);  // 1.93
  EXPECT_EQ(TwipsToPixels(22), 1);  // 1.47
  EXPECT_EQ(TwipsToPixels(-29), -2);
  EXPECT_EQ(PointsToPixels(72), 96);
  EXPECT_EQ(PointsToPixels(-1), -1);  // -1.33
  EXPECT_EQ(PixelsToPoints(415), 311);  // 311.25
  EXPECT_EQ(PointsToPixels(311), 415);  // 414.67
  EXPECT_EQ(CentimetresToPixels(2.54), 96);
  EXPECT_EQ(CentimetresToPixels(1.0), 37);
  ScopedResolution other(300);
  EXPECT_EQ(PixelsToTwips(7), 34);  // 33.6
  EXPECT_EQ(TwipsToPixels(1440), 300);
  EXPECT_EQ(RoundToLong(-2.5), -3);
  EXPECT_EQ(RoundToLong(2.5), 3);
  EXPECT_EQ(RoundToLong(std::nan("")), 0);
}

// A length stored and read back is the length it was; one read from the
// coarser points settles after one round trip: a second changes nothing.
TEST(DocumentUnits, SecondRoundTripChangesNothing) {
  for (int32_t resolution : {72, 96, 100, 120, 144, 300}) {
    ScopedResolution dpi(resolution);
    for (int32_t pixels = -800; pixels <= 800; ++pixels) {
      ASSERT_EQ(pixels, TwipsToPixels(PixelsToTwips(pixels))) << resolution << " " << pixels;
      const int32_t once = PointsToPixels(PixelsToPoints(pixels));
      ASSERT_EQ(once, PointsToPixels(PixelsToPoints(once))) << resolution << " " << pixels;
    }
  }
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
