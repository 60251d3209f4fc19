// The stored design properties of an area, read in either byte order, one
// row a case: a foreign tag gives zeros, a cut keeps what came before it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "controls/bars/DesignProperties.h"

namespace {

constexpr uint32_t kKind = 0x784D6F72;  // 'xMor'

// The block as a machine of the given order writes it.
std::vector<uint8_t> Block(bool big, uint32_t tag, const std::vector<uint8_t>& configuration,
                           uint32_t length) {
  std::vector<uint8_t> b;
  auto put = [&](uint64_t v, int width) {
    for (int i = 0; i < width; ++i) {
      const int shift = big ? 8 * (width - 1 - i) : 8 * i;
      b.push_back(uint8_t(v >> shift));
    }
  };
  put(tag, 4);
  put(99, 4);
  put(uint16_t(-300), 2);
  put(1200, 2);
  put(7, 1);
  put(255, 1);
  put(length, 4);
  b.insert(b.end(), configuration.begin(), configuration.end());
  return b;
}

TEST(DesignProperties, ReadInEitherOrderAndCutShortKeepsWhatCameFirst) {
  const std::vector<uint8_t> conf{1, 2, 3, 4, 5, 6};
  auto cut = [](std::vector<uint8_t> b, size_t n) {
    b.resize(n);
    return b;
  };
  struct Row {
    const char* name;
    std::vector<uint8_t> bytes;
    bool whole;
    int16_t first, second;
    uint8_t third, fourth;
    size_t configuration;
  };
  const std::vector<Row> rows = {
      {"big-endian", Block(true, kKind, conf, 6), true, -300, 1200, 7, 255, 6},
      {"little-endian", Block(false, kKind, conf, 6), true, -300, 1200, 7, 255, 6},
      {"no configuration bytes", Block(true, kKind, {}, 0), true, -300, 1200, 7, 255, 0},
      {"foreign tag", Block(true, 0x41424344, conf, 6), false, 0, 0, 0, 0, 0},
      {"empty", {}, false, 0, 0, 0, 0, 0},
      {"shorter than the tag", cut(Block(true, kKind, conf, 6), 3), false, 0, 0, 0, 0, 0},
      {"cut after the first setting", cut(Block(true, kKind, conf, 6), 11), false, -300, 0, 0, 0, 0},
      {"cut after the third", cut(Block(false, kKind, conf, 6), 13), false, -300, 1200, 7, 0, 0},
      {"cut in the configuration", cut(Block(true, kKind, conf, 6), 20), false, -300, 1200, 7, 255, 0},
      {"length past the data", Block(false, kKind, conf, 0xFFFFFFF0u), false, -300, 1200, 7, 255, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    VDesignProperties p;
    p.first = 42;
    EXPECT_EQ(ReadDesignProperties(row.bytes.data(), row.bytes.size(), kKind, p), row.whole);
    EXPECT_EQ(p.first, row.first);
    EXPECT_EQ(p.second, row.second);
    EXPECT_EQ(p.third, row.third);
    EXPECT_EQ(p.fourth, row.fourth);
    EXPECT_EQ(p.hasConfiguration, row.whole);
    EXPECT_EQ(p.configuration.size(), row.configuration);
    if (row.configuration != 0) {
      EXPECT_EQ(p.configuration, conf);
    }
  }
}

}  // namespace
