// The display formats as the single values' FormatTo applies them: only when
// a format string is given.
#pragma once

class VString;

namespace values_p {

// The host's display format for numbers, or for texts, applied to `text` in
// place; nothing without a format.
void ApplyNumberFormatIfAny(VString& text, const VString* format);
void ApplyTextFormatIfAny(VString& text, const VString* format);

}  // namespace values_p
