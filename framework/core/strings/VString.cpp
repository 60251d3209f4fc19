// The string operations written once for every kind and storage.
#include "framework/core/strings/VString.h"

#include <cstring>
#include <string>

#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/TextUtils.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VHtmlEntityEncoder.h"
#include "framework/core/strings/VStringSupport_p.h"
#include "framework/core/strings/VUniString.h"

using strings_p::HeldBuffer;

namespace {
// The flat form's length prefix carries at most this many characters.
constexpr int32_t kFlatMaxChars = 255;
}  // namespace

VString::VString(int32_t capacity) : fCapacity(capacity < 0 ? 0 : capacity) {}
VString::~VString() = default;

bool VString::IsSingle() const { return true; }

void VString::SetNull(bool isNull, int32_t range) {
  if (isNull) SetEmpty(true);
  VValue::SetNull(isNull, range);
}

void VString::Clear() {
  SetEmpty(true);
  SetNull(false, kWholeValue);
}

int32_t VString::GetKind() const { return kValueString; }

void VString::ConvertTo(VValue& destination, int32_t) const { destination.SetString(*this, kWholeValue); }
void VString::CopyTo(VValue& destination, int32_t) const { destination.SetString(*this, kWholeValue); }

void VString::FormatTo(VString& destination, const VString* format, int32_t) const {
  destination.Assign(*this);
  if (format != nullptr) ApplyTextFormat(destination, *format);
}

void VString::CopyFrom(const VValue& source, int32_t) {
  if (&source == this) return;
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  source.FormatTo(*this, nullptr, kWholeValue);
}

void VString::SetString(const VString& source, int32_t) { Assign(source); }

void VString::Assign(const VValue& source, int32_t range) {
  if (&source == this) return;
  if (source.IsNull(kWholeValue)) {
    SetNull(true, kWholeValue);
    return;
  }
  if (const auto* text = dynamic_cast<const VString*>(&source)) {
    Assign(*text);
    return;
  }
  CopyFrom(source, range);
}

int32_t VString::Compare(const VValue& other, int32_t strict, int32_t) const {
  if (const auto* text = dynamic_cast<const VString*>(&other))
    return strings_p::CompareStrings(*this, *text, strict != 0);
  VStr<255> form;
  other.FormatTo(form, nullptr, kWholeValue);
  return strings_p::CompareStrings(*this, form, strict != 0);
}

void VString::CopyText(const VString& source) {
  const int32_t length = source.GetLength();
  if (length <= 0) return;
  if (source.IsUnicode()) {
    std::u16string units;
    {
      HeldBuffer buffer(source);
      units.assign(buffer.Units(), static_cast<size_t>(length));
    }
    AppendUniChars(units.data(), length);
  } else {
    std::string bytes;
    {
      HeldBuffer buffer(source);
      bytes.assign(reinterpret_cast<const char*>(buffer.Bytes()), static_cast<size_t>(length));
    }
    AppendChars(bytes.data(), length, source.GetCharKind());
  }
}

void VString::Assign(const VString& source) {
  if (&source == this) return;
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  SetEmpty(false);
  CopyText(source);
}

void VString::ReleaseBuffer() const {}
bool VString::IsAvailable() const { return true; }

int32_t VString::Find(const VString& pattern, int32_t start, bool strict) const {
  // The 8-bit strings search a UTF-16 copy of their text.
  VStrInHandle copy(*this);
  return copy.Find(pattern, start, strict);
}

const uint8_t* VString::FromData(const uint8_t* data, int32_t) {
  if (data == nullptr) return data;
  SetEmpty(false);
  if (IsUnicode()) {
    uint16_t count;
    std::memcpy(&count, data, sizeof count);
    std::u16string units(count, u'\0');
    std::memcpy(units.data(), data + 2, count * sizeof(char16_t));
    AppendUniChars(units.data(), count);
    SetNull(false, kWholeValue);
    return data + (count + 2) * sizeof(char16_t);
  }
  const uint8_t count = data[0];
  AppendChars(reinterpret_cast<const char*>(data + 1), count, kCharSetAnsi);
  SetNull(false, kWholeValue);
  return data + count + 2;
}

uint8_t* VString::ToData(uint8_t* data, int32_t) const {
  if (data == nullptr) return data;
  const uint32_t size = GetDataSize();
  std::memset(data, 0, size);
  const int32_t length = GetLength();
  const int32_t count = length < kFlatMaxChars ? length : kFlatMaxChars;
  if (IsUnicode()) {
    const uint16_t prefix = static_cast<uint16_t>(count);
    std::memcpy(data, &prefix, sizeof prefix);
    if (count > 0) {
      HeldBuffer buffer(*this);
      std::memcpy(data + 2, buffer.Units(), count * sizeof(char16_t));
    }
    return data + size;
  }
  // 8-bit strings travel as ANSI text; a conversion never produces more
  // bytes than it is given, and the rest of the block stays zero.
  std::string bytes;
  if (count > 0) {
    std::string own;
    {
      HeldBuffer buffer(*this);
      own.assign(reinterpret_cast<const char*>(buffer.Bytes()), static_cast<size_t>(count));
    }
    if (GetCharKind() == kCharKindAnsi)
      bytes = own;
    else
      strings_p::BytesToOtherSet(kCharSetMac, reinterpret_cast<const uint8_t*>(own.data()), count, bytes);
    if (bytes.size() > static_cast<size_t>(count)) bytes.resize(static_cast<size_t>(count));
  }
  data[0] = static_cast<uint8_t>(bytes.size());
  std::memcpy(data + 1, bytes.data(), bytes.size());
  return data + size;
}

uint32_t VString::GetDataSize() const {
  const int32_t length = GetLength();
  const int32_t count = length < kFlatMaxChars ? length : kFlatMaxChars;
  return static_cast<uint32_t>(count + 2) * static_cast<uint32_t>(GetCharSize());
}

// --- Setters ----------------------------------------------------------------

void VString::SetChar(uint8_t c, int32_t charSet) {
  SetEmpty(false);
  AppendChar(c, charSet);
  SetNull(false, kWholeValue);
}

void VString::SetUniChar(char16_t c) {
  SetEmpty(false);
  AppendUniChar(c);
  SetNull(false, kWholeValue);
}

void VString::SetUniPText(const char16_t* text) {
  SetEmpty(false);
  AppendUniPText(text);
  SetNull(false, kWholeValue);
}

void VString::SetUniCText(const char16_t* text) {
  SetEmpty(false);
  AppendUniCText(text);
  SetNull(false, kWholeValue);
}

void VString::SetPText(const uint8_t* text, int32_t charSet) {
  SetEmpty(false);
  AppendPText(text, charSet);
  SetNull(false, kWholeValue);
}

void VString::SetMacPText(const uint8_t* text) { SetPText(text, kCharSetMac); }
void VString::SetAnsiPText(const uint8_t* text) { SetPText(text, kCharSetAnsi); }

void VString::SetCText(const char* text, int32_t charSet) {
  SetEmpty(false);
  AppendCText(text, charSet);
  SetNull(false, kWholeValue);
}

void VString::SetMacCTextQuiet(const char* text) {
  SetEmpty(false);
  AppendCText(text, kCharSetMac);
}

void VString::SetAnsiCText(const char* text) { SetCText(text, kCharSetAnsi); }

void VString::AppendCTextIn(const char* text, int32_t charSet) {
  AppendCText(text, strings_p::ByteSetFor(*this, charSet));
}

void VString::AppendPTextIn(const uint8_t* text, int32_t charSet) {
  AppendPText(text, strings_p::ByteSetFor(*this, charSet));
}

void VString::AppendCharIn(uint8_t c, int32_t charSet) { AppendChar(c, strings_p::ByteSetFor(*this, charSet)); }

void VString::SetFromValue(const VValue& value) {
  VStrInHandle form;
  form.Assign(value, kWholeValue);
  CopyText(form);
}

// --- Copies out -------------------------------------------------------------

namespace {
// A length byte counts at most this many characters.
constexpr int32_t kMaxPChars = 255;
// The 16-bit length in front of a UTF-16 text.
constexpr int32_t kMaxUniPChars = 0xFFFF;

int32_t AtMost(int32_t value, int32_t bound) { return value < bound ? value : bound; }
}  // namespace

void VString::GetPText(uint8_t* destination, int32_t maximum, int32_t charSet) const {
  if (destination == nullptr) return;
  // A larger maximum would wrap the length byte.
  maximum = AtMost(maximum, kMaxPChars);
  if (maximum < 0) maximum = 0;
  const int32_t set = strings_p::ByteSetFor(*this, charSet);
  int32_t n = 0;
  if (!IsUnicode() && GetCharKind() == set) {
    n = AtMost(GetLength(), maximum);
    if (n > 0) {
      HeldBuffer buffer(*this);
      std::memcpy(destination + 1, buffer.Bytes(), static_cast<size_t>(n));
    }
  } else if (maximum > 1) {
    n = strings_p::TextToBytes(*this, set, destination + 1, destination + maximum);
  }
  destination[0] = static_cast<uint8_t>(n);
}

void VString::GetCText(char* destination, int32_t maximum, int32_t charSet) const {
  if (destination == nullptr || maximum < 1) return;
  auto* bytes = reinterpret_cast<uint8_t*>(destination);
  const int32_t n = strings_p::TextToBytes(*this, strings_p::ByteSetFor(*this, charSet), bytes, bytes + maximum - 1);
  bytes[n] = 0;
}

void VString::GetUniPText(char16_t* destination, int32_t maximum) const {
  if (destination == nullptr) return;
  maximum = AtMost(maximum, kMaxUniPChars);
  if (!IsUnicode()) --maximum;
  int32_t n = 0;
  if (maximum > 0) n = strings_p::TextToUnits(*this, destination + 1, destination + 1 + maximum);
  destination[0] = static_cast<char16_t>(n);
}

void VString::GetUniCText(char16_t* destination, int32_t maximum) const {
  if (destination == nullptr || maximum < 1) return;
  const int32_t n = strings_p::TextToUnits(*this, destination, destination + maximum - 1);
  destination[n] = 0;
}

int32_t VString::GetUniChars(char16_t* destination, int32_t offset, int32_t maximum) const {
  if (destination == nullptr || offset < 0) return 0;
  if (!IsUnicode()) --maximum;
  if (maximum <= 0) return 0;
  return strings_p::TextToUnits(*this, destination + offset, destination + offset + maximum);
}

int32_t VString::ConvertInto(char* destination, int32_t maximum, int32_t charSet) const {
  if (destination == nullptr || maximum <= 0) return 0;
  auto* bytes = reinterpret_cast<uint8_t*>(destination);
  return strings_p::TextToBytes(*this, strings_p::ByteSetFor(*this, charSet), bytes, bytes + maximum);
}

namespace {
// The character kind a handle form stands for: -1 the string's own kind.
int32_t KindOfForm(const VString& s, int32_t form) {
  if (form == -1) return s.GetCharKind();
  if (form == kCharKindMac || form == kCharKindUnicode) return form;
  return kCharKindAnsi;
}

// The largest block the memory manager hands out.
constexpr int64_t kMaxHandleBytes = 0x7FFFFFFF;
}  // namespace

bool VString::ToHandle(VMemHandle handle, int32_t form, bool withTerminator) const {
  if (handle == 0 || gMemoryMgr == nullptr) return false;
  const int32_t kind = KindOfForm(*this, form);
  const int64_t charSize = kind == kCharKindUnicode ? 2 : 1;
  // Room for every character in its longest byte form, and the terminator.
  const int64_t room = (static_cast<int64_t>(GetLength()) * 3 + 10) * charSize;
  if (room > kMaxHandleBytes) return false;
  if (!gMemoryMgr->SetHandleSize(handle, static_cast<uint32_t>(room))) return false;
  int64_t written = 0;
  {
    VHandleLocker data(handle);
    if (!data) return false;
    if (kind == kCharKindUnicode) {
      auto* units = data.As<char16_t>();
      const int32_t n = strings_p::TextToUnits(*this, units, units + room / 2 - 1);
      units[n] = 0;
      written = static_cast<int64_t>(n) * 2;
    } else {
      auto* bytes = data.As<uint8_t>();
      const int32_t n = strings_p::TextToBytes(*this, kind, bytes, bytes + room - 1);
      bytes[n] = 0;
      written = n;
    }
  }
  if (withTerminator) written += charSize;
  // The handle's size tells the reader how much text there is.
  return gMemoryMgr->SetHandleSize(handle, static_cast<uint32_t>(written));
}

VMemHandle VString::NewHandleOfText(int32_t form, bool withTerminator) const {
  if (gMemoryMgr == nullptr) return 0;
  VMemHandle handle = gMemoryMgr->NewEmptyHandle();
  if (handle == 0) return 0;
  if (!ToHandle(handle, form, withTerminator)) {
    gMemoryMgr->DisposeHandle(handle);
    return 0;
  }
  return handle;
}

void VString::SetFromHandle(VMemHandle handle, int32_t form) {
  SetEmpty(false);
  SetNull(false, kWholeValue);
  if (handle == 0 || gMemoryMgr == nullptr) return;
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  if (size == 0) return;
  const int32_t kind = KindOfForm(*this, form);
  VHandleLocker data(handle);
  if (!data) return;
  if (kind == kCharKindUnicode) {
    const auto* units = data.As<const char16_t>();
    // A last odd byte is no unit.
    int32_t count = static_cast<int32_t>(size / 2);
    if (count > 0 && units[count - 1] == 0) --count;
    AppendUniChars(units, count);
  } else {
    const auto* bytes = data.As<const char>();
    int32_t count = static_cast<int32_t>(size > 0x7FFFFFFFu ? 0x7FFFFFFFu : size);
    if (count > 0 && bytes[count - 1] == 0) --count;
    AppendChars(bytes, count, kind);
  }
}

uint32_t VString::GetOSType() const {
  char bytes[4] = {0, 0, 0, 0};
  ConvertInto(bytes, 4, kCharSetAnsi);
  uint32_t code = 0;
  for (char c : bytes) code = (code << 8) | static_cast<uint8_t>(c);
  return code;
}

// --- Comparison -------------------------------------------------------------

namespace {
// Caller texts are compared through a UTF-16 string of their own: one in
// the object while it fits, one in a handle from 255 characters on, so a
// long text is compared whole.
constexpr int32_t kLongText = 255;

int32_t CompareWithTemporary(const VString& s, bool strict, int32_t length, void (*fill)(VString&, const void*, int32_t),
                             const void* text, int32_t set) {
  if (length < kLongText) {
    VStr<255> other;
    fill(other, text, set);
    return strings_p::CompareStrings(s, other, strict);
  }
  VStrInHandle other;
  fill(other, text, set);
  return strings_p::CompareStrings(s, other, strict);
}
}  // namespace

int32_t VString::Compare(const VString& other, bool strict) const {
  return strings_p::CompareStrings(*this, other, strict);
}

int32_t VString::CompareCText(const char* text, int32_t charSet, bool strict) const {
  return CompareWithTemporary(
      *this, strict, CStrLen(text),
      [](VString& to, const void* t, int32_t set) { to.AppendCText(static_cast<const char*>(t), set); }, text,
      strings_p::ByteSetFor(*this, charSet));
}

int32_t VString::ComparePText(const uint8_t* text, int32_t charSet, bool strict) const {
  return CompareWithTemporary(
      *this, strict, 0,
      [](VString& to, const void* t, int32_t set) { to.AppendPText(static_cast<const uint8_t*>(t), set); }, text,
      strings_p::ByteSetFor(*this, charSet));
}

int32_t VString::CompareUniCText(const char16_t* text, bool strict) const {
  return CompareWithTemporary(
      *this, strict, UniStrLen(text),
      [](VString& to, const void* t, int32_t) { to.AppendUniCText(static_cast<const char16_t*>(t)); }, text, 0);
}

int32_t VString::CompareUniPText(const char16_t* text, bool strict) const {
  return CompareWithTemporary(
      *this, strict, text != nullptr ? text[0] : 0,
      [](VString& to, const void* t, int32_t) { to.AppendUniPText(static_cast<const char16_t*>(t)); }, text, 0);
}

// --- Search and replace -----------------------------------------------------

void VString::Replace(const VString& pattern, const VString& replacement, int32_t start, int32_t count) {
  // Both may be this very string; work from copies of their texts.
  const VStrInHandle wanted(pattern);
  const VStrInHandle with(replacement);
  const int32_t patternLength = wanted.GetLength();
  // An empty pattern is found everywhere and would only insert.
  if (patternLength == 0) return;
  if (start < 1) start = 1;
  for (int32_t done = 0; done < count; ++done) {
    if (start > GetLength()) return;
    const int32_t found = Find(wanted, start, false);
    if (found == 0) return;
    // One step, all or nothing: the pattern's characters give way to the
    // replacement, the text cut at the capacity as an insertion is.
    const int32_t before = GetLength();
    ReplaceRange(with, found, patternLength);
    // A step that could not shrink the text would be found again forever.
    if (with.GetLength() == 0 && GetLength() == before) return;
    start = found + with.GetLength();
  }
}

// --- Case -------------------------------------------------------------------

namespace {
// Without the manager only the ASCII letters have a case that can be told.
void MapAsciiCase(char16_t* units, int32_t count, bool upper) {
  for (int32_t i = 0; i < count; ++i) {
    const char16_t c = units[i];
    if (upper && c >= u'a' && c <= u'z') units[i] = static_cast<char16_t>(c - 32);
    if (!upper && c >= u'A' && c <= u'Z') units[i] = static_cast<char16_t>(c + 32);
  }
}

void MapCase(char16_t* units, int32_t count, bool upper, bool variant) {
  if (count <= 0) return;
  if (gIntlMgr == nullptr)
    MapAsciiCase(units, count, upper);
  else if (upper)
    gIntlMgr->ToUpper(units, count, variant);
  else
    gIntlMgr->ToLower(units, count, variant);
}

void ChangeCase(VString& s, bool upper, bool variant) {
  const int32_t length = s.GetLength();
  if (length <= 0) return;
  if (s.IsUnicode()) {
    HeldBuffer buffer(s);
    MapCase(buffer.Units(), length, upper, variant);
    return;
  }
  // An 8-bit text changes case as UTF-16 and is set back in its own kind.
  std::u16string units = strings_p::UniTextOf(s);
  MapCase(units.data(), static_cast<int32_t>(units.size()), upper, variant);
  s.SetEmpty(false);
  s.AppendUniChars(units.data(), static_cast<int32_t>(units.size()));
  s.SetNull(false, kWholeValue);
}
}  // namespace

void VString::ToUpper(bool variant) { ChangeCase(*this, true, variant); }
void VString::ToLower(bool variant) { ChangeCase(*this, false, variant); }

// --- Smaller operations -----------------------------------------------------

bool VString::Unquote(char16_t c) {
  const int32_t length = GetLength();
  if (length < 2 || GetCharAt(1) != c || GetCharAt(length) != c) return false;
  KeepRange(2, length - 2);
  return true;
}

bool VString::StripLeading(char16_t c) {
  if (GetLength() < 1 || GetCharAt(1) != c) return false;
  Delete(1, 1);
  return true;
}

void VString::TrimChar(char16_t c) {
  int32_t last = GetLength();
  while (last >= 1 && GetCharAt(last) == c) --last;
  int32_t first = 1;
  while (first <= last && GetCharAt(first) == c) ++first;
  if (first > last) {
    SetEmpty(false);
    return;
  }
  if (first > 1 || last < GetLength()) KeepRange(first, last - first + 1);
}

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

// The value of a hexadecimal digit, -1 for any other character.
int32_t HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}
}  // namespace

void VString::SetHexBytes(const uint8_t* bytes, int32_t count) {
  SetEmpty(false);
  if (bytes != nullptr && count > 0) {
    std::string digits;
    digits.reserve(static_cast<size_t>(count) * 2);
    for (int32_t i = 0; i < count; ++i) {
      digits.push_back(kHexDigits[bytes[i] >> 4]);
      digits.push_back(kHexDigits[bytes[i] & 0x0F]);
    }
    AppendChars(digits.data(), static_cast<int32_t>(digits.size()), kCharSetAnsi);
  }
  SetNull(false, kWholeValue);
}

int32_t VString::GetHexBytes(uint8_t* destination, int32_t maximum) const {
  if (destination == nullptr || maximum <= 0) return 0;
  const std::u16string text = strings_p::UniTextOf(*this);
  const int32_t pairs = AtMost(static_cast<int32_t>(text.size() / 2), maximum);
  for (int32_t i = 0; i < pairs; ++i) {
    const int32_t high = HexValue(text[2 * i]);
    const int32_t low = HexValue(text[2 * i + 1]);
    destination[i] = static_cast<uint8_t>(((high < 0 ? 0 : high) << 4) | (low < 0 ? 0 : low));
  }
  return pairs;
}

int32_t VString::GetHexLong() const {
  VAnsiStr<255> copy;
  copy.Assign(*this);
  uint32_t value = 0;
  for (int32_t i = 1; i <= copy.GetLength(); ++i) {
    const int32_t digit = HexValue(copy.GetCharAt(i));
    if (digit >= 0) value = (value << 4) | static_cast<uint32_t>(digit);
  }
  return static_cast<int32_t>(value);
}

namespace {
// Without the HTML export's encoder every character outside printable ASCII,
// and the four that mark up HTML, go out as numeric references: the page
// stays well formed, if less readable.
const uint8_t* EncodeWithoutNames(char16_t c) {
  static uint8_t text[16];
  if (c >= 32 && c <= 127 && c != u'&' && c != u'<' && c != u'>' && c != u'"') {
    text[0] = 1;
    text[1] = static_cast<uint8_t>(c);
    return text;
  }
  const std::string reference = "&#" + std::to_string(static_cast<unsigned>(c)) + ";";
  text[0] = static_cast<uint8_t>(reference.size());
  std::memcpy(text + 1, reference.data(), reference.size());
  return text;
}
}  // namespace

void VString::WriteHtmlText(VStream& stream) const {
  const VHtmlEntityEncoder* encoder = VHtmlEntityEncoderService::Get();
  const auto encode = encoder != nullptr ? encoder->encode : EncodeWithoutNames;
  const std::u16string text = strings_p::UniTextOf(*this);
  for (char16_t c : text) {
    const uint8_t* form = encode(c);
    if (form != nullptr && form[0] > 0) stream.PutData(form + 1, form[0]);
  }
}
