// Fuzz target of the search over a stored document: the first byte chooses
// whole words (bit 0) and case (bit 1), the second the pattern's length in
// units (taken low byte first from what follows, at most 8); the rest is the
// stored block. The answer is -2, -1 or a position the block can hold.
#include <cstring>
#include <string>
#include <vector>

#include "document/xMorvaFind.h"
#include "fuzz/FuzzSupport.h"

namespace {

bool AsciiWord(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  FuzzInput input(data, size);
  const uint8_t flags = input.TakeByte();
  std::u16string pattern;
  for (uint8_t n = input.TakeByte() % 9; n > 0; --n) {
    const uint8_t low = input.TakeByte();
    pattern.push_back(char16_t(low | (input.TakeByte() << 8)));
  }
  // A copy of exactly the block's size, so that a read past it is caught.
  std::vector<uint8_t> block(input.Rest(), input.Rest() + input.RestSize());
  const int32_t found = SearchStoredText(block.empty() ? nullptr : block.data(), uint32_t(block.size()), pattern,
                                         (flags & 1) != 0, (flags & 2) != 0, AsciiWord);
  if (found < -2 || found > int32_t(block.size() / 2)) __builtin_trap();
  return 0;
}
