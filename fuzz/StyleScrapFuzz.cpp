// Fuzz target of TextEdit's style-scrap reader: a scrap is taken exactly
// when its count fits its size, a refused one changes nothing, and the runs
// it leaves start at 0, increase, stay inside the text and differ from
// their neighbours.
#include <cstdlib>
#include <cstring>

#include "platform/toolbox/TbxTextStyles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Tbx;
  constexpr int32_t kLength = 40;
  TextEditRuns runs(TextEditStyle{3, 0, 12, {0, 0, 0}});
  runs.Replace(0, 0, kLength, TextEditStyle{3, 0, 12, {0, 0, 0}});
  runs.Apply(10, 20, kStyleFace, TextEditStyle{0, 1, 0, {0, 0, 0}});
  const auto before = runs.Runs().size();
  int16_t count = -1;
  if (size >= 2) std::memcpy(&count, data, 2);
  const bool fits = size >= 2 && count >= 0 && 2 + size_t(count) * kScrapElementSize <= size;
  const bool used = runs.UseScrap(5, 35, data, size);
  if (used != fits) std::abort();
  if (!used && runs.Runs().size() != before) std::abort();
  const auto& r = runs.Runs();
  if (r.empty() || r.front().start != 0 || runs.Length() != kLength) std::abort();
  for (size_t i = 1; i < r.size(); ++i) {
    if (r[i].start <= r[i - 1].start || r[i].start >= kLength) std::abort();
    if (r[i].style == r[i - 1].style) std::abort();
  }
  return 0;
}
