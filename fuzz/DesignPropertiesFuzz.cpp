// Fuzz target of an area's stored design properties: a block is taken
// whole only when its configuration is all there, the configuration is
// exactly as long as it says, and the same block with every field reversed
// reads the same.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "controls/bars/DesignProperties.h"

namespace {

constexpr uint32_t kKind = 0x784D6F72;  // 'xMor'

void Reverse(std::vector<uint8_t>& b, size_t at, size_t width) {
  if (at + width <= b.size()) std::reverse(b.begin() + at, b.begin() + at + width);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VDesignProperties p;
  const bool whole = ReadDesignProperties(data, size, kKind, p);
  if (whole != p.hasConfiguration) std::abort();
  if (!whole && !p.configuration.empty()) std::abort();
  if (whole && kDesignPropertiesFixedSize + p.configuration.size() > size) std::abort();
  // The same block written on a machine of the other order.
  std::vector<uint8_t> other(data, data + size);
  for (auto [at, width] : {std::pair<size_t, size_t>{0, 4}, {4, 4}, {8, 2}, {10, 2}, {14, 4}})
    Reverse(other, at, width);
  VDesignProperties q;
  const bool otherWhole = ReadDesignProperties(other.data(), other.size(), kKind, q);
  if (size >= 4 && (otherWhole != whole || q.first != p.first || q.second != p.second ||
                    q.third != p.third || q.fourth != p.fourth ||
                    q.configuration != p.configuration))
    std::abort();
  return 0;
}
