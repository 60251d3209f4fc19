// Display formats for the single values' text forms.
#include "framework/core/values/VValueFormat_p.h"

#include "framework/core/strings/VString.h"

namespace values_p {

void ApplyNumberFormatIfAny(VString& text, const VString* format) {
  if (format == nullptr) return;
  (void)text;
}

void ApplyTextFormatIfAny(VString& text, const VString* format) {
  if (format == nullptr) return;
  (void)text;
}

}  // namespace values_p
