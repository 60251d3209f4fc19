// Conversions through a Macintosh string over a local buffer, so that the
// international tables do the character mapping.
#include "host/context/HostText.h"

#include <cstring>

#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VString.h"

void StringToPText(const VString& text, uint8_t* pascalText, int32_t maxChars) {
  if (maxChars > 255) maxChars = 255;
  if (maxChars <= 0) {
    pascalText[0] = 0;
    return;
  }
  uint8_t storage[258];
  VMacStrInMem mac(storage, maxChars, true);
  mac.SetString(text, kWholeValue);
  const int32_t length = mac.GetLength() <= maxChars ? mac.GetLength() : maxChars;
  pascalText[0] = static_cast<uint8_t>(length);
  if (length > 0) std::memcpy(pascalText + 1, mac.GetBuffer(), static_cast<size_t>(length));
}

void PTextToString(const uint8_t* pascalText, VString& text) {
  if (pascalText == nullptr) {
    text.SetEmpty(false);
    text.SetNull(false, kWholeValue);
    return;
  }
  text.SetChars(reinterpret_cast<const char*>(pascalText + 1), 0, pascalText[0], kCharSetMac);
}
