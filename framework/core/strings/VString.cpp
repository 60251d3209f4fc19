// The string operations written once for every kind and storage.
#include "framework/core/strings/VString.h"

#include <cstring>
#include <string>

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

void VString::FormatTo(VString& destination, const VString*, int32_t) const { destination.Assign(*this); }

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
