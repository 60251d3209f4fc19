// The passage of an array element's text through the host's display formats.
#include "framework/core/containers/VArrayConversions_p.h"

#include "framework/core/strings/VDisplayFormats.h"

namespace arrays_p {

void ApplyNumberFormatTo(VString& text, const VString* format) {
  if (format != nullptr) ApplyNumberFormat(text, *format);
}

void ApplyTextFormatTo(VString& text, const VString* format) {
  if (format != nullptr) ApplyTextFormat(text, *format);
}

}  // namespace arrays_p
