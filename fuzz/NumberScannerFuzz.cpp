// Fuzz target of the number scanners: the text after the first byte read as
// a 16-, 32- and 64-bit integer and as a real, under the decimal separator
// that byte chooses; then, as a string's text (ANSI, at most 255
// characters), by the string's own readers and made into the value it
// stands for.
#include <string_view>

#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VNumberText.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  FuzzInput input(data, size);
  const char separator = (input.TakeByte() & 1) != 0 ? ',' : '.';
  // The string's readers see at most its first 80 characters; the scanners
  // themselves take any length.
  const std::string_view text(reinterpret_cast<const char*>(input.Rest()), input.RestSize());
  // Summed without sign, where wrapping is defined.
  volatile uint64_t sink = uint64_t(ParseWord(text, separator));
  sink = sink + uint64_t(ParseLong(text, separator));
  sink = sink + uint64_t(ParseLongLong(text, separator));
  volatile double real = ParseReal(text, separator);

  VStr<255> string;
  string.SetChars(text.data(), 0, int32_t(text.size() < 255 ? text.size() : 255), kCharSetAnsi);
  sink = sink + uint64_t(string.GetWord(kWholeValue)) + uint64_t(string.GetLong(kWholeValue)) +
         uint64_t(string.GetLongLong(kWholeValue));
  real = real + string.GetReal(kWholeValue);
  delete string.NewValueFromText(true);
  (void)sink;
  (void)real;
  return 0;
}
