// Fuzz target of the plain text reader's decoding. The first input byte
// chooses the encoding (its value modulo 5: Macintosh, Windows, UTF-16,
// UTF-8, untyped); the rest is the file. No line feed survives (every line
// end is one CR), nothing is made from nothing, ASCII text in the Windows,
// UTF-8 and untyped encodings comes out as the same characters with its
// line ends made CR, and an untyped file reads as the encoding its bytes
// choose.
#include <cstdlib>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "interchange/text/xMorvaPlainText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  if (size == 0) return 0;
  const int32_t encoding = data[0] % 5;
  const uint8_t* bytes = data + 1;
  const size_t n = size - 1;
  const std::u16string text = DecodePlainText(bytes, n, encoding);
  if (text.find(u'\n') != std::u16string::npos) std::abort();
  if (encoding == kTextEncodingUtf16 ? text.size() > n / 2 : text.size() > n) std::abort();
  if (encoding == kTextEncodingUntyped &&
      text != DecodePlainText(bytes, n, PlainTextEncodingOf(bytes, n, encoding)))
    std::abort();
  // A Windows-typed file is read as an untyped one would be.
  if (encoding == kTextEncodingWindows &&
      DecodePlainText(bytes, n, PlainTextEncodingOf(bytes, n, encoding)) !=
          DecodePlainText(bytes, n, kTextEncodingUntyped))
    std::abort();
  if (encoding == kTextEncodingWindows || encoding == kTextEncodingUtf8 || encoding == kTextEncodingUntyped) {
    bool ascii = true;
    for (size_t i = 0; i < n; ++i) ascii = ascii && bytes[i] < 0x80;
    if (ascii) {
      std::u16string expected;
      for (size_t i = 0; i < n; ++i) {
        if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') continue;
        expected.push_back(bytes[i] == '\n' ? u'\r' : char16_t(bytes[i]));
      }
      if (text != expected) std::abort();
    }
  }
  return 0;
}
