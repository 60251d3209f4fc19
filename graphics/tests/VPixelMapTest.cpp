// Tests of pixel-map row sizes and rotation: exact quarter turns, the
// general walk, every depth, and refused input.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/VPixelMap.h"

namespace {

// A one-bit map, rows of two bytes, with 0 bits (black) where `ink` says.
std::vector<uint8_t> OneBitMap(int32_t w, int32_t h, bool (*ink)(int32_t, int32_t)) {
  const int32_t rowBytes = PixelMapRowBytes(w, 1, 2);
  std::vector<uint8_t> bits(size_t(rowBytes) * h, 0xFF);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if (ink(x, y)) bits[size_t(y) * rowBytes + (x >> 3)] &= uint8_t(~(0x80 >> (x & 7)));
    }
  }
  return bits;
}

bool Black(const VTransformedPixelMap& m, int32_t x, int32_t y) {
  return ((m.pixels[size_t(y) * m.rowBytes + (x >> 3)] >> (7 - (x & 7))) & 1) == 0;
}

bool LShapeInk(int32_t x, int32_t y) { return y == 0 || x == 0; }

class Turned {
 public:
  ~Turned() {
    if (map.pixels != nullptr) gMemoryMgr->DisposeBlock(map.pixels);
  }
  VTransformedPixelMap map;
};

}  // namespace

TEST(PixelMapRowBytes, RoundsByDepthAndAlignment) {
  EXPECT_EQ(PixelMapRowBytes(9, 1, 1), 2);
  EXPECT_EQ(PixelMapRowBytes(17, 1, 2), 4);
  EXPECT_EQ(PixelMapRowBytes(16, 1, 2), 2);
  EXPECT_EQ(PixelMapRowBytes(5, 2, 0), 2);
  EXPECT_EQ(PixelMapRowBytes(3, 4, 0), 2);
  EXPECT_EQ(PixelMapRowBytes(3, 8, 4), 4);
  EXPECT_EQ(PixelMapRowBytes(3, 16, 0), 6);
  EXPECT_EQ(PixelMapRowBytes(3, 24, 4), 12);
  EXPECT_EQ(PixelMapRowBytes(3, 32, 16), 16);
  EXPECT_EQ(PixelMapRowBytes(3, 12, 2), 0);
  // Alignments other than 2, 4, 8 and 16 leave the size.
  EXPECT_EQ(PixelMapRowBytes(3, 8, 3), 3);
}

TEST(TransformPixelMap, QuarterTurnsMapEveryPixelExactly) {
  const int32_t w = 20, h = 10;
  std::vector<uint8_t> src = OneBitMap(w, h, LShapeInk);
  const int32_t rowBytes = PixelMapRowBytes(w, 1, 2);

  Turned t90;
  ASSERT_TRUE(TransformPixelMap(90.0, src.data(), rowBytes, w, h, 1, 2, 0xFF, &t90.map));
  EXPECT_EQ(t90.map.width, h);
  EXPECT_EQ(t90.map.height, w);
  EXPECT_EQ(t90.map.left, 0);
  EXPECT_EQ(t90.map.top, -w);
  for (int32_t y = 0; y < w; ++y) {
    for (int32_t x = 0; x < h; ++x) {
      // Turned counter-clockwise: the top row becomes the left column and
      // the start of the run the bottom.
      EXPECT_EQ(Black(t90.map, x, y), LShapeInk(w - 1 - y, x)) << x << "," << y;
    }
  }

  Turned t180;
  ASSERT_TRUE(TransformPixelMap(180.0, src.data(), rowBytes, w, h, 1, 2, 0xFF, &t180.map));
  EXPECT_EQ(t180.map.left, -w);
  EXPECT_EQ(t180.map.top, -h);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      EXPECT_EQ(Black(t180.map, x, y), LShapeInk(w - 1 - x, h - 1 - y));
    }
  }

  Turned t270;
  ASSERT_TRUE(TransformPixelMap(-90.0, src.data(), rowBytes, w, h, 1, 2, 0xFF, &t270.map));
  EXPECT_EQ(t270.map.left, -h);
  EXPECT_EQ(t270.map.top, 0);
  for (int32_t y = 0; y < w; ++y) {
    for (int32_t x = 0; x < h; ++x) EXPECT_EQ(Black(t270.map, x, y), LShapeInk(y, h - 1 - x));
  }
}

TEST(TransformPixelMap, AnglesWithinAHundredthOfAQuarterTurnAreExact) {
  const int32_t w = 20, h = 10;
  std::vector<uint8_t> src = OneBitMap(w, h, LShapeInk);
  const int32_t rowBytes = PixelMapRowBytes(w, 1, 2);
  Turned exact, near, general;
  ASSERT_TRUE(TransformPixelMap(90.0, src.data(), rowBytes, w, h, 1, 2, 0xFF, &exact.map));
  ASSERT_TRUE(TransformPixelMap(90.005, src.data(), rowBytes, w, h, 1, 2, 0xFF, &near.map));
  ASSERT_EQ(near.map.width, exact.map.width);
  ASSERT_EQ(near.map.height, exact.map.height);
  EXPECT_EQ(std::memcmp(near.map.pixels, exact.map.pixels, size_t(exact.map.rowBytes) * w), 0);
  // 90.02 walks back into the source: its truncated corners lose a side.
  ASSERT_TRUE(TransformPixelMap(90.02, src.data(), rowBytes, w, h, 1, 2, 0xFF, &general.map));
  EXPECT_EQ(general.map.width, h - 1);
  EXPECT_TRUE(Black(general.map, 0, 5));
}

TEST(TransformPixelMap, GeneralAngleKeepsTheFillWhereNothingMaps) {
  const int32_t w = 16, h = 16;
  std::vector<uint8_t> src = OneBitMap(w, h, [](int32_t, int32_t) { return true; });
  Turned t;
  ASSERT_TRUE(TransformPixelMap(45.0, src.data(), PixelMapRowBytes(w, 1, 2), w, h, 1, 2, 0xFF,
                                &t.map));
  // A square turned by 45 degrees: a diamond, white in the corners.
  EXPECT_EQ(t.map.width, 22);
  EXPECT_EQ(t.map.height, 22);
  EXPECT_FALSE(Black(t.map, 0, 0));
  EXPECT_FALSE(Black(t.map, t.map.width - 1, t.map.height - 1));
  EXPECT_TRUE(Black(t.map, t.map.width / 2, t.map.height / 2));
}

TEST(TransformPixelMap, WholeTurnsOfAnyDepthCopyThePixels) {
  for (int16_t depth : {2, 4, 8, 16, 24, 32}) {
    const int32_t w = 5, h = 3;
    const int32_t rowBytes = PixelMapRowBytes(w, depth, 4);
    std::vector<uint8_t> src(size_t(rowBytes) * h);
    for (size_t i = 0; i < src.size(); ++i) src[i] = uint8_t(i * 37 + 11);
    Turned t;
    ASSERT_TRUE(TransformPixelMap(180.0, src.data(), rowBytes, w, h, depth, 4, 0, &t.map))
        << depth;
    Turned back;
    ASSERT_TRUE(TransformPixelMap(180.0, t.map.pixels, t.map.rowBytes, t.map.width,
                                  t.map.height, depth, 4, 0, &back.map));
    // Two half turns give the pixels back (padding bits aside).
    const int32_t usedBits = w * depth;
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t bit = 0; bit < usedBits; ++bit) {
        const size_t at = size_t(y) * rowBytes + size_t(bit >> 3);
        const int mask = 0x80 >> (bit & 7);
        EXPECT_EQ(src[at] & mask, back.map.pixels[at] & mask) << depth;
      }
    }
  }
}

TEST(TransformPixelMap, HugeAnglesAreBroughtIntoOneTurn) {
  std::vector<uint8_t> src = OneBitMap(8, 4, LShapeInk);
  Turned a, b;
  ASSERT_TRUE(TransformPixelMap(90.0 + 360.0 * 1e9, src.data(), 2, 8, 4, 1, 2, 0xFF, &a.map));
  ASSERT_TRUE(TransformPixelMap(90.0, src.data(), 2, 8, 4, 1, 2, 0xFF, &b.map));
  EXPECT_EQ(a.map.width, b.map.width);
}

TEST(TransformPixelMap, BadInputIsRefused) {
  std::vector<uint8_t> src(64, 0);
  VTransformedPixelMap out;
  EXPECT_FALSE(TransformPixelMap(30.0, src.data(), 2, 8, 4, 3, 2, 0, &out));
  EXPECT_FALSE(TransformPixelMap(30.0, src.data(), 2, 0, 4, 1, 2, 0, &out));
  EXPECT_FALSE(TransformPixelMap(30.0, src.data(), 2, 8, -1, 1, 2, 0, &out));
  EXPECT_FALSE(TransformPixelMap(30.0, nullptr, 2, 8, 4, 1, 2, 0, &out));
  // Rows too short for their pixels.
  EXPECT_FALSE(TransformPixelMap(30.0, src.data(), 1, 16, 4, 1, 2, 0, &out));
  EXPECT_FALSE(TransformPixelMap(30.0, src.data(), 2, 100000, 4, 1, 2, 0, &out));
  EXPECT_EQ(out.pixels, nullptr);
}
