// Byte reversal and the 10-byte extended reals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "framework/core/streams/ByteSwap.h"

TEST(ByteSwap, ReversesEachWidthInPlace) {
  uint8_t b[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  Swap16(b);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(b[1], 1);
  uint8_t c[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  Swap32(c + 1);  // unaligned
  const uint8_t want32[8] = {1, 5, 4, 3, 2, 6, 7, 8};
  EXPECT_EQ(std::memcmp(c, want32, 8), 0);
  uint8_t d[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  Swap64(d);
  const uint8_t want64[8] = {8, 7, 6, 5, 4, 3, 2, 1};
  EXPECT_EQ(std::memcmp(d, want64, 8), 0);
}

TEST(ByteSwap, ArraysOfZeroOrNegativeCountAreLeftAlone) {
  uint8_t b[4] = {1, 2, 3, 4};
  SwapArray16(b, 0);
  SwapArray16(b, -3);
  SwapArray32(b, -1);
  const uint8_t same[4] = {1, 2, 3, 4};
  EXPECT_EQ(std::memcmp(b, same, 4), 0);
  SwapArray16(b, 2);
  const uint8_t swapped[4] = {2, 1, 4, 3};
  EXPECT_EQ(std::memcmp(b, swapped, 4), 0);
}

TEST(ByteSwap, OneAsExtendedReal) {
  double one = 1.0;
  uint8_t ext[10];
  DoubleToExtended(&one, ext);
  const uint8_t want[10] = {0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(ext, want, 10), 0);
}

TEST(ByteSwap, ExtendedRoundTripsEveryKindOfReal) {
  const double values[] = {0.0, -0.0, 1.0, -2.5, 3.141592653589793, 1e-300, 1e300,
                           std::numeric_limits<double>::denorm_min(),
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity()};
  uint8_t ext[10 * std::size(values)];
  double back[std::size(values)];
  DoubleArrayToExtended(values, ext, int32_t(std::size(values)));
  ExtendedArrayToDouble(ext, back, int32_t(std::size(values)));
  for (size_t i = 0; i < std::size(values); ++i) {
    EXPECT_EQ(back[i], values[i]) << i;
    EXPECT_EQ(std::signbit(back[i]), std::signbit(values[i])) << i;
  }
  double nan = std::nan(""), nanBack = 0;
  DoubleToExtended(&nan, ext);
  ExtendedToDouble(ext, &nanBack);
  EXPECT_TRUE(std::isnan(nanBack));
}

TEST(ByteSwap, ExtendedBeyondTheRealRangeRoundsToNearest) {
  // 1 + 2^-60 is not a real: it rounds to 1.
  uint8_t ext[10] = {0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0x08};
  double v = 0;
  ExtendedToDouble(ext, &v);
  EXPECT_EQ(v, 1.0);
  // An exponent far above the real range is an infinity; far below, zero.
  uint8_t huge[10] = {0x7F, 0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0};
  ExtendedToDouble(huge, &v);
  EXPECT_TRUE(std::isinf(v));
  uint8_t tiny[10] = {0x80, 0x01, 0x80, 0, 0, 0, 0, 0, 0, 0};
  ExtendedToDouble(tiny, &v);
  EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(std::signbit(v));
}
