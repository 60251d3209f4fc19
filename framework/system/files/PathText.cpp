// Path texts of the file layer: UTF-16 units of strings and their UTF-8 form.
#include "framework/system/files/PathText_p.h"

#include "framework/core/intl/Utf.h"
#include "framework/core/strings/VString.h"

namespace files_p {

std::u16string UnitsOf(const VString& text) {
  const int32_t length = text.GetLength();
  if (length <= 0) return {};
  if (text.IsUnicode()) {
    const auto* units = static_cast<const char16_t*>(text.GetBuffer());
    std::u16string out(units, size_t(length));
    text.ReleaseBuffer();
    return out;
  }
  // An 8-bit character may widen into two units; one more for the terminator.
  std::u16string out(size_t(length) * 2 + 1, u'\0');
  const int32_t n = text.GetUniChars(out.data(), 0, int32_t(out.size()));
  out.resize(size_t(n > 0 ? n : 0));
  return out;
}

void SetUnits(VString& text, const std::u16string& units) {
  text.SetUniChars(units.data(), 0, int32_t(units.size()));
  text.SetNull(false, kWholeValue);
}

bool Utf8Of(const std::u16string& units, std::string* out) {
  return Utf16ToUtf8(units, out, VLoneSurrogate::kRefuse);
}

std::u16string UnitsOfUtf8(const char* text, size_t length) {
  return Utf8ToUtf16(std::string_view(text, length));
}

std::u16string UnitsOfUtf8(const std::string& text) {
  return UnitsOfUtf8(text.data(), text.size());
}

}  // namespace files_p
